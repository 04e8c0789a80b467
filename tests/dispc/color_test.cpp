// Colors and the graphic properties that carry them.
#include "dispc/color.h"
#include "dispc/dispprop.h"

#include "zfound/archive.h"

#include "support/archive_bytes.h"
#include "support/sketch_stream.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using zc_test::Bytes;
const Bytes& kHeader = zc_test::kArchiveHeader;

using zc_test::stored;
using zc_test::withHeader;

// A color exactly as an archive holds it: version, flags, index, rgb version, r, g, b.
zcColor colorFromBytes(unsigned char flags, unsigned char index, unsigned char r, unsigned char g, unsigned char b) {
  zcArchive in(withHeader({0, flags, index, 0, r, g, b}));
  zcColor color;
  in >> color;
  return color;
}

void expectRGB(const zcRGB& rgb, int r, int g, int b) {
  EXPECT_EQ(rgb.r(), r);
  EXPECT_EQ(rgb.g(), g);
  EXPECT_EQ(rgb.b(), b);
}

using Props = zcGraphicProps;

// Counts the hook calls and keeps the object as it was at the last one.
class PropsObserver : public zcMutationObserver {
public:
  void mutating(const zcPersistent& object) override {
    ++calls;
    const auto& props = dynamic_cast<const Props&>(object);
    seenObject = &props;
    before.emplace(props);
  }
  int calls = 0;
  const Props* seenObject = nullptr;
  std::optional<Props> before;
};

// Every field away from its default; the color is an RGB one.
Props unusual() {
  Props p(zcColor(10, 20, 30), 7, static_cast<Props::zePenStyle>(3), true);
  p.penJoin(static_cast<Props::zePenJoin>(2));
  p.penEndCap(static_cast<Props::zePenEndCap>(-4));
  p.arrowHead(false);
  p.arrowHeadForward(false);
  p.showVertex(true);
  return p;
}

}  // namespace

TEST(ColorRGB, PackingsPlaceEveryChannelEqualityIsPerChannelAndOrderIsByIntegerMean) {
  // 0x12 >> 3 = 2, 0x34 >> 3 = 6, 0x34 >> 2 = 13, 0x56 >> 3 = 10; bits below each
  // channel's width are dropped.
  const std::tuple<zcRGB, std::uint32_t, std::uint32_t, int, int> rows[] = {
      {zcRGB(0x12, 0x34, 0x56), 0x123456, 0x563412, (2 << 10) | (6 << 5) | 10, (2 << 11) | (13 << 5) | 10},
      {zcRGB(255, 255, 255), 0xFFFFFF, 0xFFFFFF, 0x7FFF, 0xFFFF},
      {zcRGB(8, 4, 8), 0x080408, 0x080408, 0x0401, 0x0821},
      {zcRGB(255, 0, 0), 0xFF0000, 0x0000FF, 0x7C00, 0xF800},
      {zcRGB(0, 255, 0), 0x00FF00, 0x00FF00, 0x03E0, 0x07E0},
      {zcRGB(7, 3, 7), 0x070307, 0x070307, 0, 0}};
  for (const auto& [c, rgb, bgr, rgb15, rgb16] : rows) {
    EXPECT_EQ(c.rgb(), rgb);
    EXPECT_EQ(c.bgr(), bgr) << rgb;
    EXPECT_EQ(c.rgb15(), rgb15) << rgb;
    EXPECT_EQ(c.rgb16(), rgb16) << rgb;
  }
  zcRGB d;
  expectRGB(d, 0, 0, 0);
  d.rgb(1, 2, 3);
  d.g(200);
  EXPECT_EQ(d.rgb(), 0x01C803u);
  // == is per channel (see ColorKinds); a < b and b > a by the integer means: (3, 0, 0)
  // and (0, 0, 5) both have the mean 1, and 765 / 3 = 255 against 764 / 3 = 254 (the sum
  // must not overflow a byte).
  EXPECT_TRUE(zcRGB(1, 2, 3) != zcRGB(3, 2, 1));
  const std::tuple<zcRGB, zcRGB, bool> order[] = {{zcRGB(3, 0, 0), zcRGB(0, 0, 5), false},
                                                  {zcRGB(0, 0, 5), zcRGB(3, 0, 0), false},
                                                  {zcRGB(3, 0, 0), zcRGB(0, 0, 6), true},
                                                  {zcRGB(255, 255, 254), zcRGB(255, 255, 255), true},
                                                  {zcRGB(200, 0, 0), zcRGB(100, 100, 100), true}};
  for (const auto& [a, b, less] : order) {
    EXPECT_EQ(a < b, less) << a.rgb();
    EXPECT_EQ(b > a, less) << a.rgb();
  }
}

TEST(ColorKinds, ConstructorsSetFlagsAccessorsRefuseMissingPartsAndEqualityComparesWhatBothCarry) {
  // Flags 4: an index color (the default too), 2: an RGB color, 7: a stock color, which
  // answers to all three kinds. What a color does not carry is refused; an index color
  // holds the triple (0, 0, 0).
  const struct {
    zcColor color;
    int flags, index;  // index −1: refused
    long rgb;          // −1: refused
  } made[] = {{zcColor(), 4, 0, -1},
              {zcColor(5), 4, 5, -1},
              {zcColor(1, 2, 3), 2, -1, 0x010203},
              {zcColor(zcRGB(9, 8, 7)), 2, -1, 0x090807},
              {zcColor::red, 7, 249, 0xFF0000}};
  for (const auto& [c, flags, index, rgb] : made) {
    SCOPED_TRACE(flags * 1000 + index);
    EXPECT_EQ(c.flags(), flags);
    EXPECT_EQ(c.isStockColor(), flags == 7);
    EXPECT_EQ(c.isIndexColor(), index >= 0);
    EXPECT_EQ(c.isRGBColor(), rgb >= 0);
    if (index >= 0) EXPECT_EQ(c.index(), index);
    else EXPECT_THROW(c.index(), zcUIError::NotIndexColor);
    if (rgb < 0) {
      expectRGB(c.rgbStruct(), 0, 0, 0);
      EXPECT_THROW(c.rgb(), zcUIError::NotRGBColor);
      EXPECT_THROW(c.bgr(), zcUIError::NotRGBColor);
      EXPECT_THROW(c.rgb15(), zcUIError::NotRGBColor);
      EXPECT_THROW(c.rgb16(), zcUIError::NotRGBColor);
      continue;
    }
    EXPECT_EQ(c.rgb(), rgb);
  }
  // Both orders, both operators. An index color never equals an RGB one, not even the
  // black of its empty triple; two stock colors of different indices still equal when
  // their triples do.
  const std::tuple<zcColor, zcColor, bool> rows[] = {
      {zcColor(249), zcColor::red, true},          {zcColor(255, 0, 0), zcColor::red, true},
      {zcColor(249), zcColor(255, 0, 0), false},   {zcColor(0), zcColor(0, 0, 0), false},
      {zcColor(7), zcColor(7), true},              {zcColor(7), zcColor(8), false},
      {zcColor(1, 2, 3), zcColor(zcRGB(1, 2, 3)), true}, {zcColor(1, 2, 3), zcColor(1, 2, 4), false},
      {zcColor::red, zcColor::magenta, false},     {zcColor::black, zcColor(0), true},
      {zcColor::black, zcColor(0, 0, 1), false},   {colorFromBytes(7, 100, 255, 0, 0), zcColor::red, true},
      {colorFromBytes(7, 249, 1, 2, 3), zcColor::red, true},    {colorFromBytes(7, 100, 1, 2, 3), zcColor::red, false}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& [a, b, equal] = rows[i];
    EXPECT_EQ(a == b, equal) << "row " << i;
    EXPECT_EQ(b == a, equal) << "row " << i;
    EXPECT_EQ(a != b, !equal) << "row " << i;
  }
}

TEST(ColorCodes, ToAndFromTheGraphicsListCode) {
  // An RGB color keeps its RGB code, even with a stock triple; stock colors read from
  // an archive take the code of the first stock color they equal, else 0.
  const std::pair<zcColor, std::uint32_t> to[] = {{zcColor(10, 20, 30), 0x0A141E80u},
                                                  {zcColor(7), 0x00000080u},
                                                  {zcColor(0, 0, 0), 0x00000080u},
                                                  {zcColor(255, 254, 253), 0xFFFEFD80u},
                                                  {zcColor(255, 0, 0), 0xFF000080u},
                                                  {colorFromBytes(7, 249, 1, 2, 3), 5},
                                                  {colorFromBytes(7, 100, 255, 0, 0), 5},
                                                  {colorFromBytes(7, 100, 1, 2, 3), 0}};
  for (const auto& [color, code] : to) EXPECT_EQ(static_cast<std::uint32_t>(zfColor(color)), code);

  // Bit 7 makes an RGB color; the low seven bits do not matter then.
  const std::tuple<zgr_color, int, int, int> from[] = {{0x0A141E80, 10, 20, 30},
                                                       {static_cast<zgr_color>(0xFFFFFF80), 255, 255, 255},
                                                       {0x112233FF, 0x11, 0x22, 0x33}};
  for (const auto& [code, r, g, b] : from) EXPECT_EQ(stored(zfColor(code)), stored(zcColor(r, g, b))) << code;
  // The stock colors in code order: index and triple; the static members are copies of
  // the accessors' constants; codes 0 to 15 give them back (flags, index and triple).
  const std::tuple<const zcColor&, const zcColor&, int, std::uint32_t> stock[] = {
      {zcColor::black, zcColor::blackColor(), 0, 0x000000}, {zcColor::dkGrey, zcColor::dkGreyColor(), 248, 0x808080},
      {zcColor::grey, zcColor::greyColor(), 247, 0xA0A0A4}, {zcColor::ltGrey, zcColor::ltGreyColor(), 7, 0xC0C0C0},
      {zcColor::white, zcColor::whiteColor(), 255, 0xFFFFFF}, {zcColor::red, zcColor::redColor(), 249, 0xFF0000},
      {zcColor::dkRed, zcColor::dkRedColor(), 1, 0x800000}, {zcColor::orange, zcColor::orangeColor(), 245, 0xFA7D32},
      {zcColor::yellow, zcColor::yellowColor(), 251, 0xFFFF00}, {zcColor::green, zcColor::greenColor(), 250, 0x00FF00},
      {zcColor::dkGreen, zcColor::dkGreenColor(), 2, 0x008000}, {zcColor::cyan, zcColor::cyanColor(), 254, 0x00FFFF},
      {zcColor::blue, zcColor::blueColor(), 252, 0x0000FF}, {zcColor::purple, zcColor::purpleColor(), 244, 0xA014C8},
      {zcColor::magenta, zcColor::magentaColor(), 253, 0xFF00FF}, {zcColor::pass, zcColor::passColor(), 243, 0xF3F3F3}};
  for (int code = 0; code < 16; ++code) {
    const auto& [member, constant, index, rgb] = stock[code];
    EXPECT_EQ(std::make_tuple(int(member.flags()), int(member.index()), member.rgb()), std::make_tuple(7, index, rgb));
    EXPECT_NE(&member, &constant);
    EXPECT_EQ(stored(member), stored(constant)) << code;
    EXPECT_EQ(zfColor(member), code);
    EXPECT_EQ(stored(zfColor(zgr_color(code))), stored(member)) << code;
  }
  EXPECT_TRUE(&zcColor::gray == &zcColor::grey && &zcColor::ltGray == &zcColor::ltGrey);
  EXPECT_EQ(&zcColor::dkGray, &zcColor::dkGrey);
  // The others give stock black.
  for (zgr_color code : {0, 16, 127, 0x100, 0x7FFFFF00, static_cast<zgr_color>(0x80000000), -1 & ~0x80})
    EXPECT_EQ(stored(zfColor(code)), stored(zcColor::black)) << code;
}

TEST(ColorArchive, ByteFormsRoundTripAndMalformedInputRaisesArchiveErrors) {
  // Version, flags, index, then the triple: version, r, g, b.
  const std::pair<zcColor, Bytes> rows[] = {{zcColor::orange, withHeader({0, 7, 245, 0, 250, 125, 50})},
                                            {zcColor(10, 20, 30), withHeader({0, 2, 0, 0, 10, 20, 30})},
                                            {zcColor(99), withHeader({0, 4, 99, 0, 0, 0, 0})},
                                            {zcColor(), withHeader({0, 4, 0, 0, 0, 0, 0})}};
  for (const auto& [color, bytes] : rows) {
    EXPECT_EQ(stored(color), bytes);
    // Reading gives the same bytes again: flags, index and triple came back exactly.
    zcArchive in(bytes);
    zcColor back(3, 3, 3);
    in >> back;
    EXPECT_EQ(stored(back), bytes);
    EXPECT_EQ(in.remaining(), 0u);
  }
  EXPECT_EQ(stored(zcRGB(1, 2, 3)), withHeader({0, 1, 2, 3}));
  zcArchive in(withHeader({0, 1, 2, 3}));
  zcRGB rgb;
  in >> rgb;
  expectRGB(rgb, 1, 2, 3);
  // The flag byte comes back as it was read, without validation.
  const zcColor odd = colorFromBytes(2, 99, 1, 2, 3);
  EXPECT_EQ(odd.flags(), 2);
  EXPECT_THROW(odd.index(), zcUIError::NotIndexColor);

  // The color's own version byte and its triple's, a triple of version −1, every cut.
  const Bytes& good = rows[0].second;
  zcColor c;
  for (std::size_t at : {std::size_t(8), std::size_t(11)}) {
    zcArchive bad(zc_test::withByte(good, at, 1));
    zc_test::expectUnknownVersion([&] { bad >> c; }, "dispc/color");
  }
  zcArchive minusOne(withHeader({0xFF, 1, 2, 3}));
  EXPECT_THROW(minusOne >> rgb, zcArchive::UnknownVersion);
  for (std::size_t size = kHeader.size(); size < good.size(); ++size) {
    zcArchive cut(Bytes(good.begin(), good.begin() + long(size)));
    EXPECT_THROW(cut >> c, zcArchive::UnexpectedEnd) << size;
  }
  // Reading from a storing archive or writing into a loading one changes neither.
  zcArchive storing;
  EXPECT_THROW(storing >> c, zcArchive::BadFormat);
  EXPECT_THROW(storing >> rgb, zcArchive::BadFormat);
  EXPECT_EQ(storing.bytes(), kHeader);
  zcArchive loading(good);
  EXPECT_THROW(loading << zcColor::red, zcArchive::BadFormat);
  EXPECT_THROW(loading << zcRGB(), zcArchive::BadFormat);
  EXPECT_EQ(loading.remaining(), 7u);
}

TEST(GraphicProps, DefaultsSettersAndTheHookBeforeEveryChange) {
  // Equality compares every field (see the setters below), so the default is the
  // four-argument form whose other fields follow.
  EXPECT_TRUE(Props() == Props(zcColor::cyan, 1, 0, false));
  EXPECT_TRUE(Props(zcColor::cyan, 1, 1, false) != Props());
  const std::unique_ptr<zcPersistent> made(Props::make());
  ASSERT_NE(dynamic_cast<const Props*>(made.get()), nullptr);
  EXPECT_TRUE(*dynamic_cast<const Props*>(made.get()) == Props());
  // Pens of one record compare their colors as colors: a stock color equals its
  // index and its triple, which differ from each other.
  const auto with = [](const zcColor& c) { return Props(c, 2, Props::ePenStyleDefault, true); };
  const struct {
    zcColor a, b;
    bool equal;
  } colors[] = {{zcColor::red, zcColor(249), true}, {zcColor::red, zcColor(255, 0, 0), true},
                {zcColor(249), zcColor(255, 0, 0), false}, {zcColor(249), zcColor(248), false}};
  for (const auto& row : colors) {
    EXPECT_EQ(with(row.a) == with(row.b), row.equal) << int(row.a.index()) << " " << int(row.b.flags());
    EXPECT_EQ(with(row.b) == with(row.a), row.equal);
  }

  // Widths the 32-bit field cannot hold would wrap to negative or small values; a
  // refused one leaves the object alone and tells nobody.
  Props p = unusual();
  PropsObserver observer;
  p.track(&observer);
  const Props copy = p;
  for (long width : {-1L, LONG_MIN, 2147483648L, 4294967297L}) {
    EXPECT_THROW(Props(zcColor::red, width, Props::ePenStyleDefault, false), Props::BadParams) << width;
    EXPECT_THROW(p.penWidth(width), Props::BadParams) << width;
  }
  EXPECT_EQ(observer.calls, 0);
  EXPECT_TRUE(p == copy);

  const std::vector<std::function<void(Props&)>> setters = {
      [](Props& q) { q.penColor(zcColor::orange); },
      [](Props& q) { q.penWidth(0); },
      [](Props& q) { q.penStyle(static_cast<Props::zePenStyle>(2)); },
      [](Props& q) { q.fill(false); },
      [](Props& q) { q.penJoin(static_cast<Props::zePenJoin>(3)); },
      [](Props& q) { q.penEndCap(static_cast<Props::zePenEndCap>(1)); },
      [](Props& q) { q.arrowHead(true); },
      [](Props& q) { q.arrowHeadForward(true); },
      [](Props& q) { q.showVertex(false); },
      [](Props& q) { q = Props(zcColor::blue, 4, Props::ePenStyleDefault, false); },
  };
  for (std::size_t i = 0; i < setters.size(); ++i) {
    SCOPED_TRACE(i);
    const Props before = p;
    setters[i](p);
    EXPECT_EQ(observer.calls, static_cast<int>(i) + 1);
    EXPECT_EQ(observer.seenObject, &p);
    ASSERT_TRUE(observer.before.has_value());
    // The hook saw the object unchanged; the setter then changed it, and the field
    // counts for equality.
    EXPECT_TRUE(*observer.before == before);
    EXPECT_TRUE(p != before);
    EXPECT_FALSE(p == before);
  }
  EXPECT_EQ(p.penWidth(), 4);
}

TEST(GraphicPropsArchive, ByteFormRoundTripsUncheckedValuesAndMalformedInput) {
  const Bytes expected = zc_test::Stream()
                             .bytes(kHeader)
                             .u8(0)                                  // version
                             .u8(0).u8(2).u8(0).u8(0).u8(10).u8(20).u8(30)  // color
                             .i32(7).i32(3).u8(1).i32(2).i32(-4)     // width, style, fill, join, end cap
                             .u8(0).u8(0).u8(1);                     // arrow head, forward, show vertex
  EXPECT_EQ(zc_test::ownBytes(unusual()), expected);

  // Through the registry, as a polymorphic pointer: every field comes back to the byte,
  // enumeration values beyond the named ones too.
  Props indexColored = unusual();
  indexColored.penColor(zcColor(17));
  indexColored.penWidth(INT32_MAX);
  indexColored.penStyle(static_cast<Props::zePenStyle>(INT32_MIN));
  indexColored.penJoin(static_cast<Props::zePenJoin>(INT32_MAX));
  const std::unique_ptr<zcPersistent> written(new Props(indexColored));
  const std::unique_ptr<Props> read(zc_test::loadedPointer<Props>(zc_test::archivedPointer(written.get())));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(zc_test::ownBytes(*read), zc_test::ownBytes(indexColored));
  EXPECT_FALSE(read->isTracked());

  // A negative width from an archive is taken as it is; only the setter checks.
  Bytes negative = expected;
  zfStoreI32(negative.data() + kHeader.size() + 1 + 7, -5);
  Props back = zc_test::loaded<Props>(negative);
  EXPECT_EQ(back.penWidth(), -5);
  EXPECT_EQ(back.penEndCap(), -4);
  EXPECT_THROW(back.penWidth(-5), Props::BadParams);

  // The properties' version byte, then the color's, checked by the color; every cut; a
  // boolean byte other than 0 or 1.
  for (const auto& [at, where] : {std::pair<std::size_t, const char*>{0, "dispc/dispprop"}, {1, "dispc/color"}}) {
    zcArchive bad(zc_test::withByte(expected, kHeader.size() + at, 1));
    zc_test::expectUnknownVersion([&] { bad || back; }, where);
  }
  for (std::size_t size = kHeader.size(); size < expected.size(); ++size) {
    zcArchive cut(Bytes(expected.begin(), expected.begin() + long(size)));
    EXPECT_THROW(cut || back, zcArchive::UnexpectedEnd) << size;
  }
  zc_test::expectRefused<zcArchive::BadFormat>(zc_test::withByte(expected, expected.size() - 1, 2), back);
}

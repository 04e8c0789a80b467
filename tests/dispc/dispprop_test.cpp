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
#include <utility>
#include <vector>

namespace {

using Props = zcGraphicProps;
using zc_test::Bytes;

const Bytes& kHeader = zc_test::kArchiveHeader;

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

TEST(GraphicPropsConstruction, DefaultsAndWidthCheck) {
  // Equality compares every field (see GraphicPropsEquality), so the default is the
  // four-argument form whose other fields follow.
  EXPECT_TRUE(Props() == Props(zcColor::cyan, 1, Props::ePenStyleDefault, false));
  // The fields the four-argument form does not take.
  const Props four(zcColor::red, 0, static_cast<Props::zePenStyle>(5), true);
  EXPECT_EQ(four.penJoin(), 0);
  EXPECT_EQ(four.penEndCap(), 0);
  EXPECT_TRUE(four.arrowHead());
  EXPECT_TRUE(four.arrowHeadForward());
  EXPECT_FALSE(four.showVertex());
  // Widths the 32-bit field cannot hold would wrap to negative or small values.
  for (long width : {-1L, LONG_MIN, 2147483648L, 4294967297L})
    EXPECT_THROW(Props(zcColor::red, width, Props::ePenStyleDefault, false), Props::BadParams) << width;
}

TEST(GraphicPropsEquality, EveryFieldCountsAndColorsCompareByKind) {
  const Props base = unusual();
  EXPECT_TRUE(base == unusual());
  EXPECT_FALSE(base != unusual());

  const std::vector<std::function<void(Props&)>> changes = {
      [](Props& p) { p.penColor(zcColor(10, 20, 31)); },
      [](Props& p) { p.penWidth(8); },
      [](Props& p) { p.penStyle(static_cast<Props::zePenStyle>(4)); },
      [](Props& p) { p.fill(false); },
      [](Props& p) { p.penJoin(static_cast<Props::zePenJoin>(1)); },
      [](Props& p) { p.penEndCap(static_cast<Props::zePenEndCap>(4)); },
      [](Props& p) { p.arrowHead(true); },
      [](Props& p) { p.arrowHeadForward(true); },
      [](Props& p) { p.showVertex(false); },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    SCOPED_TRACE(i);
    Props changed = base;
    changes[i](changed);
    EXPECT_TRUE(changed != base);
    EXPECT_FALSE(changed == base);
  }

  // Colors compare as colors do: stock red equals RGB red and index 249, the two
  // others do not equal each other.
  const Props stockRed(zcColor::red, 2, Props::ePenStyleDefault, false);
  const Props rgbRed(zcColor(255, 0, 0), 2, Props::ePenStyleDefault, false);
  const Props indexRed(zcColor(249), 2, Props::ePenStyleDefault, false);
  EXPECT_TRUE(stockRed == rgbRed);
  EXPECT_TRUE(stockRed == indexRed);
  EXPECT_TRUE(rgbRed != indexRed);
}

TEST(GraphicPropsSetters, EverySetterCallsTheHookBeforeTheChangeAndARefusedOneNot) {
  Props p = unusual();
  PropsObserver observer;
  p.track(&observer);
  const Props copy = p;
  for (long width : {-1L, LONG_MIN, 2147483648L, 4294967297L})
    EXPECT_THROW(p.penWidth(width), Props::BadParams) << width;
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
    // The hook saw the object unchanged; the setter then changed it.
    EXPECT_TRUE(*observer.before == before);
    EXPECT_TRUE(p != before);
  }
  EXPECT_EQ(p.penWidth(), 4);
  // Assignment keeps the target's tracking and does not take the source's.
  EXPECT_TRUE(p.isTracked());
  Props other;
  other = p;
  EXPECT_FALSE(other.isTracked());

  // Copies are not tracked: changing one tells nobody.
  const int calls = observer.calls;
  Props tracked(p);
  EXPECT_FALSE(tracked.isTracked());
  tracked.fill(true);
  EXPECT_EQ(observer.calls, calls);
  p.track(nullptr);
  p.fill(true);
  EXPECT_EQ(observer.calls, calls);
}

TEST(GraphicPropsArchive, ByteFormRoundTripsAndUncheckedValues) {
  const Bytes expected = zc_test::Stream()
                             .bytes(kHeader)
                             .u8(0)                                  // version
                             .u8(0).u8(2).u8(0).u8(0).u8(10).u8(20).u8(30)  // color
                             .i32(7).i32(3).u8(1).i32(2).i32(-4)     // width, style, fill, join, end cap
                             .u8(0).u8(0).u8(1);                     // arrow head, forward, show vertex
  EXPECT_EQ(zc_test::ownBytes(unusual()), expected);

  // Every field comes back to the byte, enumeration values beyond the named ones too.
  Props stockColored = unusual();
  stockColored.penColor(zcColor::purple);
  Props indexColored = unusual();
  indexColored.penColor(zcColor(17));
  indexColored.penWidth(INT32_MAX);
  indexColored.penStyle(static_cast<Props::zePenStyle>(INT32_MIN));
  indexColored.penJoin(static_cast<Props::zePenJoin>(INT32_MAX));
  for (const Props& original : {unusual(), stockColored, indexColored, Props()}) {
    const Bytes bytes = zc_test::expectOwnRoundTrip(original);
    zcArchive in(bytes);
    Props back;
    in || back;
    EXPECT_EQ(zc_test::ownBytes(back), bytes);
  }

  // Through the registry, as a polymorphic pointer.
  zcPersistent* written = new Props(indexColored);
  zcArchive out;
  out.serializePointer(written);
  delete written;
  zcArchive in(out.bytes());
  zcGraphicProps* read = nullptr;
  in.serializePointer(read);
  std::unique_ptr<zcGraphicProps> owned(read);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(zc_test::ownBytes(*read), zc_test::ownBytes(indexColored));
  EXPECT_FALSE(read->isTracked());

  // A negative width from an archive is taken as it is; only the setter checks.
  Bytes negative = expected;
  zfStoreI32(negative.data() + kHeader.size() + 1 + 7, -5);
  zcArchive loose(negative);
  Props back;
  loose || back;
  EXPECT_EQ(back.penWidth(), -5);
  EXPECT_EQ(back.penEndCap(), -4);
  EXPECT_THROW(back.penWidth(-5), Props::BadParams);
}

TEST(GraphicPropsArchive, MalformedInputRaisesArchiveErrors) {
  const Bytes good = zc_test::ownBytes(unusual());
  // The properties' version byte, then the color's, checked by the color.
  for (const auto& [at, where] : {std::pair<std::size_t, const char*>{0, "dispc/dispprop"}, {1, "dispc/color"}}) {
    Bytes bytes = good;
    bytes[kHeader.size() + at] = 1;
    zcArchive in(bytes);
    Props r;
    zc_test::expectUnknownVersion([&] { in || r; }, where);
  }
  Props r;
  for (std::size_t size = kHeader.size(); size < good.size(); ++size) {
    zcArchive cut(Bytes(good.begin(), good.begin() + long(size)));
    EXPECT_THROW(cut || r, zcArchive::UnexpectedEnd) << size;
  }
  // A boolean byte other than 0 or 1 is not a boolean.
  Bytes bytes = good;
  bytes.back() = 2;
  zcArchive in(bytes);
  EXPECT_THROW(in || r, zcArchive::BadFormat);
}

#include "dispc/dispprop.h"

#include "zfound/archive.h"

#include "support/archive_bytes.h"
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

const zc_test::Bytes& kHeader = zc_test::kArchiveHeader;

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

void expectSameFields(const Props& a, const Props& b) {
  EXPECT_EQ(a.penColor().flags(), b.penColor().flags());
  EXPECT_EQ(a.penColor().rgbStruct(), b.penColor().rgbStruct());
  if (a.penColor().isIndexColor() && b.penColor().isIndexColor()) {
    EXPECT_EQ(a.penColor().index(), b.penColor().index());
  }
  EXPECT_EQ(a.penWidth(), b.penWidth());
  EXPECT_EQ(a.penStyle(), b.penStyle());
  EXPECT_EQ(a.fill(), b.fill());
  EXPECT_EQ(a.penJoin(), b.penJoin());
  EXPECT_EQ(a.penEndCap(), b.penEndCap());
  EXPECT_EQ(a.arrowHead(), b.arrowHead());
  EXPECT_EQ(a.arrowHeadForward(), b.arrowHeadForward());
  EXPECT_EQ(a.showVertex(), b.showVertex());
}

void putLE32(std::vector<unsigned char>& bytes, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

}  // namespace

TEST(GraphicPropsConstruction, DefaultsAndWidthCheck) {
  // Equality compares every field (see GraphicPropsEquality), so the default is the
  // four-argument form whose other fields follow.
  EXPECT_TRUE(Props() == Props(zcColor::cyan, 1, Props::ePenStyleDefault, false));
  // The fields the four-argument form does not take (the others: GraphicPropsArchive).
  const Props four(zcColor::red, 0, static_cast<Props::zePenStyle>(5), true);
  EXPECT_EQ(four.penJoin(), 0);
  EXPECT_EQ(four.penEndCap(), 0);
  EXPECT_TRUE(four.arrowHead());
  EXPECT_TRUE(four.arrowHeadForward());
  EXPECT_FALSE(four.showVertex());
  EXPECT_THROW(Props(zcColor::red, -1, Props::ePenStyleDefault, false), Props::BadParams);
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

TEST(GraphicPropsSetters, NegativeWidthIsRefusedWithoutChangeOrHook) {
  Props p = unusual();
  const Props copy = p;
  PropsObserver observer;
  p.track(&observer);

  EXPECT_THROW(p.penWidth(-1), Props::BadParams);
  EXPECT_THROW(p.penWidth(LONG_MIN), Props::BadParams);
  // Widths the 32-bit field cannot hold would wrap to negative or small values.
  EXPECT_THROW(p.penWidth(2147483648L), Props::BadParams);
  EXPECT_THROW(p.penWidth(4294967297L), Props::BadParams);
  EXPECT_THROW(Props(zcColor::red, 2147483648L, Props::ePenStyleDefault, false), Props::BadParams);
  EXPECT_EQ(observer.calls, 0);
  EXPECT_TRUE(p == copy);
  expectSameFields(p, copy);

  p.penWidth(0);
  EXPECT_EQ(p.penWidth(), 0);
  EXPECT_EQ(observer.calls, 1);
}

TEST(GraphicPropsSetters, EverySetterCallsTheHookBeforeTheChange) {
  Props p;
  PropsObserver observer;
  p.track(&observer);

  const std::vector<std::function<void(Props&)>> setters = {
      [](Props& q) { q.penColor(zcColor::orange); },
      [](Props& q) { q.penWidth(9); },
      [](Props& q) { q.penStyle(static_cast<Props::zePenStyle>(2)); },
      [](Props& q) { q.fill(true); },
      [](Props& q) { q.penJoin(static_cast<Props::zePenJoin>(3)); },
      [](Props& q) { q.penEndCap(static_cast<Props::zePenEndCap>(1)); },
      [](Props& q) { q.arrowHead(false); },
      [](Props& q) { q.arrowHeadForward(false); },
      [](Props& q) { q.showVertex(true); },
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
    expectSameFields(*observer.before, before);
    EXPECT_TRUE(p != before);
  }
  // Assignment keeps the target's tracking and does not take the source's.
  EXPECT_TRUE(p.isTracked());
  Props other;
  other = p;
  EXPECT_FALSE(other.isTracked());

  // Copies are not tracked: changing one tells nobody.
  const int calls = observer.calls;
  Props copy(p);
  EXPECT_FALSE(copy.isTracked());
  copy.fill(false);
  copy.penWidth(3);
  EXPECT_EQ(observer.calls, calls);

  p.track(nullptr);
  p.fill(false);
  EXPECT_EQ(observer.calls, calls);
}

TEST(GraphicPropsArchive, RoundTripKeepsEveryField) {
  Props stockColored = unusual();
  stockColored.penColor(zcColor::purple);
  Props indexColored = unusual();
  indexColored.penColor(zcColor(17));
  indexColored.penWidth(INT32_MAX);
  // Enumeration values beyond the named ones survive unchanged.
  indexColored.penStyle(static_cast<Props::zePenStyle>(INT32_MIN));
  indexColored.penJoin(static_cast<Props::zePenJoin>(INT32_MAX));

  for (const Props& original : {unusual(), stockColored, indexColored, Props()}) {
    zcArchive out;
    Props toWrite = original;
    out || toWrite;
    zcArchive in(out.bytes());
    Props back;
    in || back;
    EXPECT_EQ(in.remaining(), 0u);
    expectSameFields(back, original);
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
  expectSameFields(*read, indexColored);
  EXPECT_FALSE(read->isTracked());
}

TEST(GraphicPropsArchive, ByteFormAndUncheckedValues) {
  Props p = unusual();
  zcArchive out;
  out || p;
  std::vector<unsigned char> expected = kHeader;
  expected.push_back(0);                                  // version
  expected.insert(expected.end(), {0, 2, 0, 0, 10, 20, 30});  // color
  putLE32(expected, 7);                                   // width
  putLE32(expected, 3);                                   // style
  expected.push_back(1);                                  // fill
  putLE32(expected, 2);                                   // join
  putLE32(expected, static_cast<std::uint32_t>(-4));      // end cap
  expected.insert(expected.end(), {0, 0, 1});             // arrow head, forward, show vertex
  EXPECT_EQ(out.bytes(), expected);

  // A negative width from an archive is taken as it is.
  std::vector<unsigned char> negative = expected;
  const std::size_t widthAt = kHeader.size() + 1 + 7;
  negative[widthAt] = 0xFB;
  negative[widthAt + 1] = negative[widthAt + 2] = negative[widthAt + 3] = 0xFF;
  zcArchive in(negative);
  Props back;
  in || back;
  EXPECT_EQ(back.penWidth(), -5);
  EXPECT_EQ(back.penEndCap(), -4);

  // Only the setter checks.
  EXPECT_THROW(back.penWidth(-5), Props::BadParams);
}

TEST(GraphicPropsArchive, MalformedInputRaisesArchiveErrors) {
  Props p = unusual();
  zcArchive out;
  out || p;
  const std::vector<unsigned char> good = out.bytes();

  // The properties' version byte, then the color's, checked by the color.
  for (const auto& [at, where] : {std::pair<std::size_t, const char*>{0, "dispc/dispprop"}, {1, "dispc/color"}}) {
    std::vector<unsigned char> bytes = good;
    bytes[kHeader.size() + at] = 1;
    zcArchive in(bytes);
    Props r;
    zc_test::expectUnknownVersion([&] { in || r; }, where);
  }

  for (std::size_t size = kHeader.size(); size < good.size(); ++size) {
    SCOPED_TRACE(size);
    zcArchive in(std::vector<unsigned char>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)));
    Props r;
    EXPECT_THROW(in || r, zcArchive::UnexpectedEnd);
  }

  // A boolean byte other than 0 or 1 is not a boolean.
  std::vector<unsigned char> bytes = good;
  bytes.back() = 2;
  zcArchive in(bytes);
  Props r;
  EXPECT_THROW(in || r, zcArchive::BadFormat);
}

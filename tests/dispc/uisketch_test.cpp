#include "dispc/uisketch.h"

#include "dispc/uierror.h"
#include "support/tablet_screen.h"

#include "zfound/archive.h"

#include <gtest/gtest.h>

#include <limits>
#include <new>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using zc_test::bytesOf;
using zc_test::sketchOf;

TEST(GraphicPropsRecord, DefaultsGiveTheDocumentedBytesAndEveryFieldRoundTrips) {
  zcUISketch plain;
  const zcGraphicProps d;
  EXPECT_EQ(d.opcode(&plain, d), 21);
  EXPECT_EQ(bytesOf(plain), (Bytes{0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0}));
  EXPECT_EQ(d.opcode(nullptr, d), 0);
  zcGraphicProps p(zcColor::red, 0x01020304, static_cast<zcGraphicProps::zePenStyle>(-2), true);
  p.penJoin(static_cast<zcGraphicProps::zePenJoin>(5));
  p.penEndCap(static_cast<zcGraphicProps::zePenEndCap>(0x7FFFFFFF));
  p.arrowHead(false);
  p.showVertex(true);
  zcUISketch s;
  p.opcode(&s, p);
  const Bytes b = bytesOf(s);
  ASSERT_EQ(b.size(), 21u);
  EXPECT_EQ((Bytes{b[1], b[2], b[5], b[6], b[18]}), (Bytes{1, 0x04, 0x01, 0xFE, 0}));  // fill, LE width, style -2
  zcGraphicProps back(zcColor::red, 1, zcGraphicProps::ePenStyleDefault, false);
  EXPECT_EQ(back.opcode(&back, b.data() + 1), 20);
  EXPECT_EQ(back, p);
  EXPECT_EQ(back.opcode(nullptr, b.data() + 1), 0);
  EXPECT_EQ(back.opcode(&back, nullptr), 0);
  Bytes body(20, 0);  // a negative width is refused after the fill byte was taken
  body[0] = 1;
  body[1] = body[2] = body[3] = body[4] = 0xFF;
  zcGraphicProps target;
  EXPECT_THROW(target.opcode(&target, body.data()), zcGraphicProps::BadParams);
  EXPECT_TRUE(target.fill());
  EXPECT_EQ(target.penWidth(), 1);
}

TEST(SketchGrowth, AllocatesExactlyThenDoublesAndAFailedGrowthChangesNothing) {
  zcUISketch s;
  EXPECT_EQ(s.data(), nullptr);
  EXPECT_TRUE(s.isNull());
  for (const auto& [n, capacity] : {std::pair<long, long>(10, 10), {1, 20}, {100, 111}}) {  // then size + n wins
    s.append(n);
    EXPECT_EQ(s.capacity(), capacity) << n;
  }
  EXPECT_EQ(s.size(), 111);
  EXPECT_THROW(s.append(-1), zcUIError::BadParams);
  zcUISketch small = sketchOf({1, 2, 3});
  const long capacity = small.capacity();
  try {
    small.append(std::numeric_limits<std::int32_t>::max());
    FAIL() << "growth beyond 2^31 - 1 bytes was accepted";
  } catch (const std::bad_alloc& e) {
    EXPECT_EQ(std::string(e.what()), "bad allocation");
  }
  EXPECT_EQ(bytesOf(small), (Bytes{1, 2, 3}));
  EXPECT_EQ(small.capacity(), capacity);
}

TEST(SketchFraming, HeaderBytesAndPropertiesBlocksOnlyOnChange) {
  const std::tuple<int, int, zcColor, Bytes> headers[] = {{5, 1, zcColor::red, {5, 1, 7, 249, 255, 0, 0, 0}},
                                                          {28, 2, zcColor(1, 2, 3), {28, 2, 2, 0, 1, 2, 3, 0}},
                                                          {0, 0, zcColor(17), {0, 0, 4, 17, 0, 0, 0, 0}}};
  for (const auto& [opcode, layer, color, bytes] : headers) {
    zcUISketch h;
    h.opcode(opcode, layer, color);
    EXPECT_EQ(bytesOf(h), bytes) << opcode;
  }
  const zcGraphicProps p, q(zcColor::cyan, 4, zcGraphicProps::ePenStyleDefault, true);
  zcUISketch s;
  s.opcode(40, p);  // the remembered default: nothing to write
  EXPECT_EQ(s.size(), 0);
  s.opcode(40, q);
  s.opcode(40, q);
  EXPECT_EQ(s.size(), 22);
  s.opcode(40, p);
  s.opcode(40, q);
  const Bytes b = bytesOf(s);
  ASSERT_EQ(b.size(), 66u);
  EXPECT_EQ((Bytes{b[0], b[22], b[24], b[46]}), (Bytes{40, 40, 0, 1}));  // q, p, q: p's and q's fill bytes
  s.erase();  // erasing forgets them
  s.opcode(40, q);
  EXPECT_EQ(s.size(), 22);
}

TEST(SketchMarks, CutJoinInsertRemove) {
  zcUISketch s = sketchOf({0, 1, 2, 3, 4, 5});
  const zcUISketchMark a(2), b(4);
  EXPECT_EQ(bytesOf(s.subSketch(a, b)), (Bytes{2, 3}));
  EXPECT_TRUE(s.subSketch(b, b).isNull());
  EXPECT_TRUE(s.subSketch(b, a).isNull());
  EXPECT_THROW(s.subSketch(a, zcUISketchMark(7)), zcUIError::BadParams);
  EXPECT_THROW(s.subSketch(zcUISketchMark(-1), a), zcUIError::BadParams);
  s.remove(b, a);  // nothing
  EXPECT_EQ(s.size(), 6);
  s.remove(a, b);
  EXPECT_EQ(bytesOf(s), (Bytes{0, 1, 4, 5}));
  s.remove(zcUISketchMark(3), zcUISketchMark(99));  // clipped to the size
  EXPECT_EQ(bytesOf(s), (Bytes{0, 1, 4}));
  s.insert(sketchOf({7, 8}), zcUISketchMark(1));
  s.insert(sketchOf({9}), s.mark());
  EXPECT_EQ(bytesOf(s), (Bytes{0, 7, 8, 1, 4, 9}));
  s.insert(s, zcUISketchMark(0));  // itself
  EXPECT_EQ(bytesOf(s), (Bytes{0, 7, 8, 1, 4, 9, 0, 7, 8, 1, 4, 9}));
  EXPECT_THROW(s.insert(s, zcUISketchMark(13)), zcUIError::BadParams);
  zcUISketch t = sketchOf({1, 2});
  t += t;
  const zcUISketch sum = sketchOf({5}) + t;
  EXPECT_EQ(bytesOf(sum), (Bytes{5, 1, 2, 1, 2}));
  EXPECT_EQ(sum.capacity(), 5);  // one allocation of the joint size
  zcArchive out;
  zcUISketchMark m(0x01020304);
  out || m;
  ASSERT_EQ(out.bytes().size(), 8u + 5u);
  EXPECT_EQ(out.bytes()[8], 0);  // version
  zcArchive in(out.bytes());
  zcUISketchMark back;
  in || back;
  EXPECT_EQ(back, m);
}

TEST(SketchCopies, BytesAreCopiedButNotTheRememberedProperties) {
  const zcGraphicProps q(zcColor::red, 4, zcGraphicProps::ePenStyleDefault, true);
  zcUISketch s;
  s.opcode(40, q);
  s.opcode(4, 0, zcColor::red);
  zcUISketch copy(s);
  EXPECT_EQ(copy, s);
  EXPECT_EQ(copy.capacity(), s.capacity());
  copy.opcode(40, q);  // the copy does not remember q: a second block
  EXPECT_EQ(copy.size(), s.size() + 22);
  zcUISketch assigned;
  assigned.opcode(40, q);
  assigned = sketchOf({1});
  assigned.opcode(40, q);  // assignment kept the remembered q
  assigned = assigned;
  EXPECT_EQ(bytesOf(assigned), (Bytes{1}));
  zcUISketch joined = zcUISketch() + s;
  joined.opcode(40, q);
  EXPECT_EQ(joined.size(), s.size() + 22);
  s.eraseAndDelete();
  EXPECT_EQ(s.data(), nullptr);
  EXPECT_EQ(s.capacity(), 0);
  EXPECT_TRUE(s.isNull());
}

}  // namespace

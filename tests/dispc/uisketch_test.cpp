#include "dispc/uisketch.h"

#include "dispc/uierror.h"

#include "zfound/archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const zcUISketch& s) { return Bytes(s.bytes().begin(), s.bytes().end()); }

zcUISketch sketchOf(const Bytes& bytes) {
  zcUISketch s;
  s.append(bytes.data(), static_cast<long>(bytes.size()));
  return s;
}

TEST(GraphicPropsRecord, DefaultPropertiesGiveTheDocumentedBytes) {
  zcUISketch s;
  const zcGraphicProps p;
  EXPECT_EQ(p.opcode(&s, p), 21);
  Bytes expected = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
  expected.insert(expected.end(), 12, 0x00);
  expected.insert(expected.end(), {0x01, 0x01, 0x00});
  EXPECT_EQ(bytesOf(s), expected);
  EXPECT_EQ(p.opcode(nullptr, p), 0);
}

TEST(GraphicPropsRecord, EveryFieldRoundTripsThroughTheRecord) {
  zcGraphicProps p(zcColor::red, 0x01020304, static_cast<zcGraphicProps::zePenStyle>(-2), true);
  p.penJoin(static_cast<zcGraphicProps::zePenJoin>(5));
  p.penEndCap(static_cast<zcGraphicProps::zePenEndCap>(0x7FFFFFFF));
  p.arrowHead(false);
  p.showVertex(true);
  zcUISketch s;
  p.opcode(&s, p);
  const Bytes b = bytesOf(s);
  ASSERT_EQ(b.size(), 21u);
  EXPECT_EQ(b[1], 1);
  EXPECT_EQ(b[2], 0x04);  // little-endian width
  EXPECT_EQ(b[5], 0x01);
  EXPECT_EQ(b[6], 0xFE);  // style −2
  EXPECT_EQ(b[18], 0);    // arrow head off

  zcGraphicProps back(zcColor::red, 1, zcGraphicProps::ePenStyleDefault, false);
  EXPECT_EQ(back.opcode(&back, b.data() + 1), 20);
  EXPECT_EQ(back, p);
  EXPECT_EQ(back.opcode(nullptr, b.data() + 1), 0);
  EXPECT_EQ(back.opcode(&back, nullptr), 0);
}

TEST(GraphicPropsRecord, NegativeWidthIsRefusedAfterTheFill) {
  Bytes body(20, 0);
  body[0] = 1;                   // fill
  body[1] = body[2] = body[3] = body[4] = 0xFF;  // width −1
  zcGraphicProps target;
  EXPECT_THROW(target.opcode(&target, body.data()), zcGraphicProps::BadParams);
  EXPECT_TRUE(target.fill());
  EXPECT_EQ(target.penWidth(), 1);
}

TEST(SketchGrowth, AllocatesExactlyThenDoubles) {
  zcUISketch s;
  EXPECT_EQ(s.data(), nullptr);
  EXPECT_TRUE(s.isNull());
  s.append(10);
  EXPECT_EQ(s.capacity(), 10);
  EXPECT_EQ(s.size(), 10);
  s.append(1);
  EXPECT_EQ(s.capacity(), 20);
  s.append(100);
  EXPECT_EQ(s.capacity(), 111);  // size + n beats twice the capacity
  EXPECT_EQ(s.size(), 111);
  EXPECT_THROW(s.append(-1), zcUIError::BadParams);
}

TEST(SketchGrowth, FailedGrowthLeavesTheSketchUnchanged) {
  zcUISketch s = sketchOf({1, 2, 3});
  const long capacity = s.capacity();
  try {
    s.append(std::numeric_limits<std::int32_t>::max());
    FAIL() << "growth beyond 2^31 - 1 bytes was accepted";
  } catch (const std::bad_alloc& e) {
    EXPECT_EQ(std::string(e.what()), "bad allocation");
  }
  EXPECT_EQ(bytesOf(s), (Bytes{1, 2, 3}));
  EXPECT_EQ(s.capacity(), capacity);

}

TEST(SketchFraming, HeaderBytesOfAStockColor) {
  zcUISketch s;
  s.opcode(5, 1, zcColor::red);
  EXPECT_EQ(bytesOf(s), (Bytes{5, 1, 7, 249, 255, 0, 0, 0}));
  s.erase();
  s.opcode(28, 2, zcColor(1, 2, 3));
  EXPECT_EQ(bytesOf(s), (Bytes{28, 2, 2, 0, 1, 2, 3, 0}));
  s.erase();
  s.opcode(0, 0, zcColor(17));
  EXPECT_EQ(bytesOf(s), (Bytes{0, 0, 4, 17, 0, 0, 0, 0}));
}

TEST(SketchFraming, PropertiesBlocksOnlyOnChange) {
  const zcGraphicProps p;  // the remembered default: nothing to write
  const zcGraphicProps q(zcColor::cyan, 4, zcGraphicProps::ePenStyleDefault, true);
  zcUISketch s;
  s.opcode(40, p);
  EXPECT_EQ(s.size(), 0);
  s.opcode(40, q);
  s.opcode(40, q);
  EXPECT_EQ(s.size(), 22);
  s.opcode(40, p);
  s.opcode(40, q);
  EXPECT_EQ(s.size(), 66);  // q, p, q: three blocks
  const Bytes b = bytesOf(s);
  EXPECT_EQ(b[0], 40);
  EXPECT_EQ(b[22], 40);
  EXPECT_EQ(b[23 + 1], 0);  // p's fill byte
  EXPECT_EQ(b[45 + 1], 1);  // q's fill byte
  // Two sets away from the default: P, Q, P gives three blocks.
  zcUISketch pqp;
  const zcGraphicProps thick(zcColor::cyan, 9, zcGraphicProps::ePenStyleDefault, false);
  pqp.opcode(40, thick);
  pqp.opcode(40, q);
  pqp.opcode(40, thick);
  EXPECT_EQ(pqp.size(), 66);
  // A color change alone is a change of properties.
  zcGraphicProps red = q;
  red.penColor(zcColor::red);
  s.opcode(40, red);
  EXPECT_EQ(s.size(), 88);
  // Erasing forgets them.
  s.erase();
  s.opcode(40, red);
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
  EXPECT_EQ(bytesOf(s), (Bytes{0, 7, 8, 1, 4}));
  s.insert(sketchOf({9}), s.mark());
  EXPECT_EQ(bytesOf(s), (Bytes{0, 7, 8, 1, 4, 9}));
  s.insert(s, zcUISketchMark(0));  // itself
  EXPECT_EQ(bytesOf(s), (Bytes{0, 7, 8, 1, 4, 9, 0, 7, 8, 1, 4, 9}));
  EXPECT_THROW(s.insert(s, zcUISketchMark(13)), zcUIError::BadParams);

  zcUISketch t = sketchOf({1, 2});
  t += t;
  EXPECT_EQ(bytesOf(t), (Bytes{1, 2, 1, 2}));
  const zcUISketch sum = sketchOf({5}) + t;
  EXPECT_EQ(bytesOf(sum), (Bytes{5, 1, 2, 1, 2}));
  EXPECT_EQ(sum.capacity(), 5);  // one allocation of the joint size
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
  EXPECT_EQ(bytesOf(assigned), (Bytes{1}));
  assigned.opcode(40, q);  // assignment kept the remembered q
  EXPECT_EQ(assigned.size(), 1);
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

TEST(SketchMarks, ArchiveForm) {
  zcArchive out;
  zcUISketchMark m(0x01020304);
  out || m;
  const Bytes& b = out.bytes();
  ASSERT_EQ(b.size(), 8u + 5u);
  EXPECT_EQ(b[8], 0);  // version
  zcArchive in(b);
  zcUISketchMark back;
  in || back;
  EXPECT_EQ(back, m);
}

}  // namespace

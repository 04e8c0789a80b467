#include "zfound/rle.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using zc_test::Bytes;
using zc_test::expectRefused;
using zc_test::withByte;
using Buf8 = zcPelBuffer<unsigned char>;

Bytes rowOf(const zcRLEBuffer& rle, long i) {
  const std::span<const unsigned char> r = rle.row(i);
  return Bytes(r.begin(), r.end());
}

// The same size, offset and pels.
bool samePels(const zcPelBuffer_const<unsigned char>& a, const zcPelBuffer_const<unsigned char>& b) {
  bool same = a.width() == b.width() && a.height() == b.height() && a.offset() == b.offset();
  for (long i = 0; same && i < a.width() * a.height(); ++i) {
    const long x = a.offset().x() + i % a.width(), y = a.offset().y() + i / a.width();
    same = a.get(x, y) == b.get(x, y);
  }
  return same;
}

}  // namespace

TEST(RLEEncoding, ExactRunsOfAHandMadeImage) {
  // Row 0: 300 fives, one seven, 299 fives; row 1: 600 zeros.
  Buf8 img(600, 2);
  for (long x = 0; x < 600; ++x) img.set(x, 0, x == 300 ? 7 : 5);
  img.offset(zcPair<long>(4, -9));
  const zcRLEBuffer rle = zcRLEBuffer::encode(img);
  EXPECT_EQ(rle.rowCount(), 2);
  EXPECT_EQ(rowOf(rle, 0), (Bytes{5, 255, 5, 45, 7, 1, 5, 255, 5, 44, 0, 0}));
  EXPECT_EQ(rowOf(rle, 1), (Bytes{0, 255, 0, 255, 0, 90, 0, 0}));
  EXPECT_EQ(rle.runData().size(), 20u);
  EXPECT_TRUE(samePels(rle.image(), img));
  EXPECT_THROW(rle.row(2), zcPel::BadCoord);
  EXPECT_THROW(rle.row(-1), zcPel::BadCoord);

  Bytes built;
  zcRLEBuffer::appendRun(built, 3, 0);
  zcRLEBuffer::appendRun(built, 3, 510);
  zcRLEBuffer::appendRun(built, 4, 1);
  zcRLEBuffer::endRow(built);
  EXPECT_EQ(built, (Bytes{3, 255, 3, 255, 4, 1, 0, 0}));
}

namespace {

// One random image from its seed: encoding, maximal runs, run data, archive and
// windows agree with the pels.
void checkRandomImage(unsigned seed) {
  std::mt19937 rng(seed);
  const long w = std::uniform_int_distribution<long>(0, 700)(rng);
  const long h = std::uniform_int_distribution<long>(0, 6)(rng);
  // A bigger buffer, so that the encoded window has a pitch of its own.
  Buf8 host(w + 3, h + 2);
  const int alphabet = std::uniform_int_distribution<int>(1, 4)(rng);
  for (long y = 0; y < h + 2; ++y) {
    long x = 0;
    while (x < w + 3) {
      const long run = std::uniform_int_distribution<long>(1, seed % 3 == 0 ? 600 : 8)(rng);
      const auto v = static_cast<unsigned char>(std::uniform_int_distribution<int>(0, alphabet)(rng) * 61);
      for (long k = 0; k < run && x < w + 3; ++k, ++x) host.set(x, y, v);
    }
  }
  Buf8 img = host.window(2, 1, w, h);
  const zcRLEBuffer rle = zcRLEBuffer::encode(img);
  ASSERT_TRUE(samePels(rle.image(), img));

  // Maximal runs: a run is followed by one of the same value only after 255.
  for (long r = 0; r < h; ++r) {
    const Bytes row = rowOf(rle, r);
    for (std::size_t k = 2; k + 2 < row.size(); k += 2) {
      ASSERT_TRUE(row[k] != row[k - 2] || row[k - 1] == 255) << "row " << r;
    }
  }

  std::size_t used = 0;
  Bytes tail = rle.runData();
  tail.push_back(0xAB);
  EXPECT_EQ(zcRLEBuffer::fromRunData(w, h, img.offset(), tail, used), rle);
  EXPECT_EQ(used, rle.runData().size());

  zc_test::expectOwnRoundTrip(rle);

  if (w > 1 && h > 0) {
    const long x = std::uniform_int_distribution<long>(2, w)(rng);
    const long cw = std::uniform_int_distribution<long>(0, w + 2 - x)(rng);
    const zcRLEBuffer part = rle.window(x, 1, cw, h);
    ASSERT_EQ(part, zcRLEBuffer::encode(img.window(x, 1, cw, h)));
  }
}

}  // namespace

TEST(RLEEncoding, RandomImagesRoundTrip) {
  for (unsigned seed = 42; seed < 242 && !testing::Test::HasFailure(); ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", regression: checkRandomImage(" << seed << ");");
    checkRandomImage(seed);
  }
}

TEST(RLEValidation, MalformedRunDataAndArchivesAreRefused) {
  using Rows = std::vector<Bytes>;
  // Valid: any value byte in the terminating pair; a width-0 row is the pair alone.
  EXPECT_EQ(rowOf(zcRLEBuffer(3, Rows{{1, 2, 2, 1, 9, 0}}), 0), (Bytes{1, 2, 2, 1, 9, 0}));
  EXPECT_EQ(zcRLEBuffer(0, Rows{{0, 0}, {0, 0}}).image().height(), 2);

  const auto refused = [](long width, const Rows& rows) {
    EXPECT_THROW(zcRLEBuffer(width, rows), zcShapesError::BadParams) << "width " << width;
  };
  refused(3, {{1, 2, 0, 0}});              // short
  refused(3, {{1, 2, 1, 2, 0, 0}});        // too long
  refused(3, {{1, 3}});                    // no terminating pair
  refused(3, {{1, 3, 0, 0, 0}});           // a byte after it
  refused(3, {{1, 3, 0}});                 // half a pair
  refused(3, {{1, 3, 0, 0}, {}});          // an empty row
  refused(-1, {});
  refused(zkPelLimit + 1, {});

  std::size_t used = 99;
  const Bytes two = {1, 3, 0, 0, 1, 2, 0, 0};
  EXPECT_THROW(zcRLEBuffer::fromRunData(3, 2, {}, two, used), zcShapesError::BadParams);
  EXPECT_THROW(zcRLEBuffer::fromRunData(3, 3, {}, Bytes{1, 3, 0, 0, 1, 3, 0, 0}, used), zcShapesError::BadParams);
  EXPECT_THROW(zcRLEBuffer::fromRunData(3, 1, zcPair<long>(zkPelLimit + 1, 0), two, used), zcShapesError::BadParams);
  // A height that the bytes cannot hold is refused before anything is allocated.
  EXPECT_THROW(zcRLEBuffer::fromRunData(0, zkPelLimit, {}, two, used), zcShapesError::BadParams);
  EXPECT_EQ(used, 99u);

  const zcRLEBuffer none;
  EXPECT_FALSE(none.isInit());
  EXPECT_FALSE(none.image().isBound());
  EXPECT_THROW(none.window(0, 0, 0, 0), zcPel::UnboundWindow);
  EXPECT_THROW(zcRLEBuffer::encode(Buf8()), zcPel::UnboundWindow);
  EXPECT_THROW(zcRLEBuffer(3, Rows{{1, 3, 0, 0}}).window(1, 0, 3, 1), zcPel::BadCoord);

  // Malformed archives leave the image unchanged.
  const Bytes good = zc_test::ownBytes(zcRLEBuffer(3, {{1, 3, 0, 0}, {2, 1, 4, 2, 0, 0}}, zcPair<long>(1, 2)));
  // header 8, version, flag, width 4, height 4, offset 8, then count 4 + row bytes
  ASSERT_EQ(good.size(), 8u + 2 + 16 + 4 + 4 + 4 + 6);
  EXPECT_EQ(Bytes(good.begin() + 26, good.end()), (Bytes{4, 0, 0, 0, 1, 3, 0, 0, 6, 0, 0, 0, 2, 1, 4, 2, 0, 0}));

  const zcRLEBuffer original(2, {{7, 2, 0, 0}});
  expectRefused<zcArchive::UnknownVersion>(withByte(good, 8, 3), original);
  expectRefused<zcArchive::BadFormat>(withByte(good, 31, 2), original);   // the first row's run becomes 2 long
  expectRefused<zcArchive::BadFormat>(withByte(good, 26, 3), original);   // first row count 3: half a pair
  expectRefused<zcArchive::BadCount>(withByte(good, 14, 0xFF), original);  // height 255 rows in 22 bytes
  expectRefused<zcArchive::BadFormat>(withByte(good, 13, 0x80), original);  // negative width
  expectRefused<zcArchive::BadCount>(withByte(good, 34, 0x10), original);   // second row count of 16 bytes
}


#include "zfound/pelbuf.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <vector>

namespace {

using Buf8 = zcPelBuffer<unsigned char>;
using zc_test::Bytes;
using zc_test::ownBytes;
using zc_test::withByte;

// A w × h buffer whose pel at (x, y) is 10 y + x (offset (0, 0)).
Buf8 numbered(long w, long h) {
  Buf8 b(w, h);
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) b.set(x, y, static_cast<unsigned char>(10 * y + x));
  }
  return b;
}

// The window's pels row by row.
template <class T>
std::vector<T> pels(const zcPelBuffer_const<T>& b) {
  std::vector<T> out;
  for (long y = b.offset().y(); y < b.offset().y() + b.height(); ++y) {
    for (long x = b.offset().x(); x < b.offset().x() + b.width(); ++x) out.push_back(b.get(x, y));
  }
  return out;
}

}  // namespace

TEST(PelBufferWindows, WindowsOffsetsSharingCloningAndUnboundBuffers) {
  Buf8 img = numbered(6, 4);
  Buf8 roi = img.window(2, 1, 3, 2);
  EXPECT_EQ(roi.offset(), zcPair<long>(2, 1));
  EXPECT_EQ(roi.windowOrigin(), zcPair<long>(2, 1));
  EXPECT_EQ(pels<unsigned char>(roi), (std::vector<unsigned char>{12, 13, 14, 22, 23, 24}));
  EXPECT_EQ(roi.rowPointer(2)[2], 24);
  EXPECT_THROW(roi.get(1, 1), zcPel::BadCoord);
  EXPECT_THROW(roi.rowPointer(3), zcPel::BadCoord);

  // Writes through a window land in the shared storage.
  roi.set(4, 2, 99);
  EXPECT_EQ(img.get(4, 2), 99);

  // Moving the offset renames the pels; a window of it keeps the new names.
  Buf8 moved = img;
  moved.offset(zcPair<long>(100, -200));
  EXPECT_EQ(moved.get(100, -200), 0);
  EXPECT_THROW(moved.get(0, 0), zcPel::BadCoord);
  Buf8 inner = moved.window(101, -199, 2, 2).window(102, -198, 1, 1);
  EXPECT_EQ(inner.get(102, -198), 22);
  EXPECT_EQ(inner.windowOrigin(), zcPair<long>(2, 2));
  EXPECT_EQ(img.offset(), zcPair<long>(0, 0));  // the copy's offset is its own

  // Empty windows at the far edges are allowed; anything reaching past them is not.
  EXPECT_EQ(img.window(6, 4, 0, 0).width(), 0);
  for (const auto& [x, y, w, h] : std::vector<std::array<long, 4>>{
           {6, 0, 1, 1}, {-1, 0, 2, 2}, {1, 1, 6, 1}, {0, 0, -1, 1}, {1, 1, LONG_MAX, 1}, {LONG_MAX, LONG_MAX, 1, 1}})
    EXPECT_THROW(img.window(x, y, w, h), zcPel::BadCoord) << x << " " << y << " " << w << " " << h;

  // Views and copies share storage, clones do not.
  Buf8 shared = numbered(4, 3);
  shared.offset(zcPair<long>(5, 5));
  shared.imageFromClientXform(zcXform<2>::scaling(2, 2));
  zcPelBuffer_const<unsigned char> view = shared;
  Buf8 copy = shared;
  copy.set(5, 5, 200);
  EXPECT_EQ(view.get(5, 5), 200);
  EXPECT_TRUE(view.sharesStorage(shared));

  Buf8 twin = shared.window(6, 6, 2, 2).clone();
  EXPECT_FALSE(twin.sharesStorage(shared));
  EXPECT_EQ(twin.offset(), zcPair<long>(6, 6));
  EXPECT_EQ(twin.windowOrigin(), zcPair<long>(0, 0));
  EXPECT_EQ(twin.imageFromClientXform(), zcXform<2>::scaling(2, 2));
  EXPECT_EQ(pels<unsigned char>(twin), (std::vector<unsigned char>{11, 12, 21, 22}));
  twin.set(6, 6, 0);
  EXPECT_EQ(shared.get(6, 6), 11);

  Buf8 none;
  EXPECT_FALSE(none.isBound());
  EXPECT_FALSE(none.contains(0, 0));
  EXPECT_THROW(none.get(0, 0), zcPel::UnboundWindow);
  EXPECT_THROW(none.window(0, 0, 0, 0), zcPel::UnboundWindow);
  EXPECT_THROW(zfPelSet_U8(none, 1), zcPel::UnboundWindow);
  EXPECT_FALSE(none.clone().isBound());

  // A bound buffer of no pels is not unbound.
  Buf8 empty(0, 5);
  EXPECT_TRUE(empty.isBound());
  EXPECT_THROW(empty.get(0, 0), zcPel::BadCoord);
}

TEST(PelBufferTransform, PointToPelTheClientTransformAndAbsurdSizes) {
  Buf8 b(10, 10);
  EXPECT_EQ(b.pointToPel(zcPoint(2.99999999999999, -0.5)), zcPair<long>(3, -1));
  EXPECT_EQ(b.pointToPel(zcPoint(2.5, 0.0)), zcPair<long>(2, 0));

  const zcXform<2> x(zcMatrix<2>(2, 0, 0, 2), zcVector<2>(1, -1));
  b.imageFromClientXform(x);
  EXPECT_EQ(b.pointToPel(zcPoint(1.4, 2.0)), zcPair<long>(3, 3));
  EXPECT_TRUE(zfRealEq(b.clientFromImageXform().mapPoint(zcPoint(3.8, 3.0)), zcPoint(1.4, 2.0), 1e-12));

  EXPECT_THROW(b.imageFromClientXform(zcXform<2>::scaling(1, 0)), zcMathError::Singular);
  EXPECT_THROW(b.imageFromClientXform(zcXform<2>::translation(zcVector<2>(NAN, 0))), zcShapesError::BadParams);
  EXPECT_EQ(b.imageFromClientXform(), x);
  EXPECT_THROW(b.pointToPel(zcPoint(1e300, 0)), zcShapesError::BadParams);

  // Absurd sizes and offsets are refused.
  for (const auto& [w, h] : std::vector<std::pair<long, long>>{
           {-1, 1}, {zkPelLimit + 1, 1}, {1L << 16, 1L << 15} /* 2^31 pels */, {LONG_MAX, LONG_MAX}})
    EXPECT_THROW(Buf8(w, h), zcShapesError::BadParams) << w << " " << h;
  EXPECT_THROW(zcPelBuffer<zcPackedRGB32>(1, -3), zcShapesError::BadParams);

  Buf8 small(2, 2);
  small.offset(zcPair<long>(-zkPelLimit, zkPelLimit));
  EXPECT_THROW(small.offset(zcPair<long>(zkPelLimit + 1, 0)), zcShapesError::BadParams);
  EXPECT_EQ(small.offset(), zcPair<long>(-zkPelLimit, zkPelLimit));
}

TEST(PackedPels, ChannelPackings) {
  EXPECT_EQ(zcPackedRGB16(8, 4, 8).value(), 0x0821);
  EXPECT_EQ(zcPackedRGB16(255, 255, 255).value(), 0xFFFF);
  const zcPackedRGB16 p(0xF81F);  // full red and blue, no green
  EXPECT_EQ((std::array<int, 3>{p.red(), p.green(), p.blue()}), (std::array<int, 3>{255, 0, 255}));
  EXPECT_EQ(zcPackedRGB16(0x0400).green(), 0x82);  // 100000b -> 10000010b

  const zcPackedRGB32 q(1, 2, 3);
  EXPECT_EQ(q.value(), 0x010203u);
  zcPelBuffer<zcPackedRGB32> rgb(3, 2, q);
  EXPECT_EQ(rgb.get(2, 1), q);
}

TEST(PelHelpers, SetRectangleMapThroughATableAndRefuseWithoutWriting) {
  Buf8 b = numbered(5, 4);
  b.offset(zcPair<long>(10, 10));
  zfPelSet_U8(b, 11, 12, 3, 2, 0xEE);
  for (long y = 10; y < 14; ++y) {
    for (long x = 10; x < 15; ++x) {
      const bool inside = x >= 11 && x < 14 && y >= 12;
      EXPECT_EQ(b.get(x, y), inside ? 0xEE : 10 * (y - 10) + (x - 10)) << x << "," << y;
    }
  }
  const std::vector<unsigned char> before = pels<unsigned char>(b);
  EXPECT_THROW(zfPelSet_U8(b, 12, 12, 4, 1, 1), zcPel::BadCoord);
  EXPECT_EQ(pels<unsigned char>(b), before);

  Buf8 w = b.window(10, 10, 2, 1);
  zfPelSet_U8(w, 7);
  EXPECT_EQ(b.get(11, 10), 7);
  EXPECT_EQ(b.get(12, 10), 2);

  // Mapping through a table.
  std::vector<unsigned char> invert(256);
  for (int v = 0; v < 256; ++v) invert[v] = static_cast<unsigned char>(255 - v);

  Buf8 src = numbered(4, 3);
  src.offset(zcPair<long>(-2, 7));
  src.imageFromClientXform(zcXform<2>::scaling(3, 3));
  Buf8 fresh;
  zfPelMap(src, fresh, invert);
  EXPECT_FALSE(fresh.sharesStorage(src));
  EXPECT_EQ(fresh.offset(), src.offset());
  EXPECT_EQ(fresh.imageFromClientXform(), src.imageFromClientXform());
  EXPECT_EQ(fresh.get(1, 8), 255 - 13);

  // A short table maps its own values and keeps the rest.
  const unsigned char small[] = {100, 101};
  Buf8 dst(4, 3, 9);
  zfPelMap(src, dst, small);
  EXPECT_EQ(pels<unsigned char>(dst), (std::vector<unsigned char>{100, 101, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23}));

  // A target of another size is refused and left as it was.
  Buf8 wrong(3, 3, 9);
  EXPECT_THROW(zfPelMap(src, wrong, invert), zcShapesError::BadParams);
  EXPECT_EQ(pels<unsigned char>(wrong), std::vector<unsigned char>(9, 9));

  // Overlapping windows of one storage read the original pels.
  Buf8 img = numbered(5, 1);
  Buf8 left = img.window(0, 0, 4, 1);
  Buf8 right = img.window(1, 0, 4, 1);
  zfPelMap(left, right, invert);
  EXPECT_EQ(pels<unsigned char>(img), (std::vector<unsigned char>{0, 255, 254, 253, 252}));

  zfPelMap(img, invert);
  EXPECT_EQ(pels<unsigned char>(img), (std::vector<unsigned char>{255, 0, 1, 2, 3}));
}

namespace {

// Magnifying a checkerboard by an integer factor in nearest mode replicates pels.
template <class T>
void expectReplication(T dark, T light) {
  zcPelBuffer<T> board(5, 4);
  board.offset(zcPair<long>(3, -2));
  for (long y = -2; y < 2; ++y) {
    for (long x = 3; x < 8; ++x) board.set(x, y, (x + y) % 2 ? light : dark);
  }
  for (long n = 1; n <= 4; ++n) {
    const zcAffineSamplingParams params{zcXform<2>(zcMatrix<2>::scaling(1.0 / n, 1.0 / n), zcVector<2>(3, -2)), 5 * n,
                                        4 * n};
    const zcPelBuffer<T> big = zfAffineTransformImage<T>(board, params, T());
    for (long r = 0; r < 4 * n; ++r) {
      for (long c = 0; c < 5 * n; ++c) {
        ASSERT_EQ(big.get(c, r), board.get(3 + c / n, -2 + r / n)) << "n " << n << " at " << c << "," << r;
      }
    }
  }
}

}  // namespace

TEST(AffineResampling, NearestIntegerMagnificationAndABilinearHandComputedCase) {
  expectReplication<unsigned char>(0, 255);
  expectReplication<unsigned short>(1000, 60000);
  expectReplication<zcPackedRGB16>(zcPackedRGB16(0x1234), zcPackedRGB16(0xFEDC));
  expectReplication<zcPackedRGB32>(zcPackedRGB32(0x00102030), zcPackedRGB32(0x00F0E0D0));
  // Source pels 0 100 / 200 40. Target pel c samples x = 0.75 + c / 4 at y = 1, the
  // row midway between the two pel centers.
  Buf8 src(2, 2);
  src.set(1, 0, 100);
  src.set(0, 1, 200);
  src.set(1, 1, 40);
  zcAffineSamplingParams params{zcXform<2>(zcMatrix<2>::scaling(0.25, 1), zcVector<2>(0.625, 0.5)), 6, 1,
                                zcAffineSamplingParams::eBilinear};
  // 92.5 rounds up; from x = 1.5 on the right column repeats; x = 2 is outside.
  EXPECT_EQ(pels<unsigned char>(zfAffineTransformImage<unsigned char>(src, params, 9)),
            (std::vector<unsigned char>{93, 85, 78, 70, 70, 9}));

  // Channels blend separately: halfway between pure red and green + blue.
  zcPelBuffer<zcPackedRGB16> two(2, 1, zcPackedRGB16(0xF800));
  two.set(1, 0, zcPackedRGB16(0x07FF));
  params.targetToSource = zcXform<2>::translation(zcVector<2>(0.5, 0));
  params.width = 1;
  EXPECT_EQ(zfAffineTransformImage<zcPackedRGB16>(two, params, zcPackedRGB16()).get(0, 0),
            zcPackedRGB16(16 << 11 | 32 << 5 | 16));
}

TEST(AffineResampling, TargetFormAndRefusals) {
  Buf8 src = numbered(4, 4);
  Buf8 dst(2, 2, 1);
  dst.offset(zcPair<long>(10, 10));
  // Target pel (10, 10) samples source pel (1, 2).
  zcAffineSamplingParams params{zcXform<2>::translation(zcVector<2>(-9, -8)), 2, 2};
  zfAffineTransformImage<unsigned char>(src, dst, params, 0);
  EXPECT_EQ(pels<unsigned char>(dst), (std::vector<unsigned char>{21, 22, 31, 32}));

  Buf8 before = dst.clone();
  params.width = 3;
  EXPECT_THROW(zfAffineTransformImage<unsigned char>(src, dst, params, 0), zcShapesError::BadParams);
  params.width = 2;
  Buf8 alias = src.window(0, 0, 2, 2);
  EXPECT_THROW(zfAffineTransformImage<unsigned char>(src, alias, params, 0), zcShapesError::BadParams);
  params.targetToSource = zcXform<2>::scaling(NAN, 1);
  EXPECT_THROW(zfAffineTransformImage<unsigned char>(src, dst, params, 0), zcShapesError::BadParams);
  params.targetToSource = zcXform<2>();
  params.mode = static_cast<zcAffineSamplingParams::zeMode>(7);
  EXPECT_THROW(zfAffineTransformImage<unsigned char>(src, dst, params, 0), zcShapesError::BadParams);
  EXPECT_EQ(pels<unsigned char>(dst), pels<unsigned char>(before));
  params.mode = zcAffineSamplingParams::eNearest;
  EXPECT_THROW(zfAffineTransformImage<unsigned char>(Buf8(), params, 0), zcPel::UnboundWindow);

  // An empty source fills everything.
  EXPECT_EQ(pels<unsigned char>(zfAffineTransformImage<unsigned char>(src.window(0, 0, 0, 4), params, 5)),
            std::vector<unsigned char>(4, 5));
}

namespace {

constexpr std::size_t kPelsAt = 8 + 1 + 1 + 4 + 4 + 8 + 56;  // header, version, bound, sizes, offset, xform

}  // namespace

TEST(PelBufferArchive, RoundTripOfAWindowAndRefusals) {
  Buf8 img = numbered(5, 4);
  Buf8 roi = img.window(1, 1, 3, 2);
  roi.offset(zcPair<long>(-7, 70000));
  roi.imageFromClientXform(zcXform<2>(zcMatrix<2>(0, 2, -2, 0), zcVector<2>(0.5, 3)));
  const Bytes bytes = ownBytes(roi);
  ASSERT_EQ(bytes.size(), kPelsAt + 6);
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + kPelsAt, bytes.end()),
            (std::vector<unsigned char>{11, 12, 13, 21, 22, 23}));

  const Buf8 back = zc_test::loaded(bytes, Buf8(1, 1));
  EXPECT_FALSE(back.sharesStorage(img));
  EXPECT_EQ(back.offset(), roi.offset());
  EXPECT_EQ(back.imageFromClientXform(), roi.imageFromClientXform());
  EXPECT_EQ(pels<unsigned char>(back), pels<unsigned char>(roi));
  EXPECT_FALSE(zc_test::loaded(ownBytes(Buf8()), back).isBound());

  // Malformed forms leave the target as it was.
  const Bytes good = ownBytes(numbered(3, 2));
  const auto expectRefused = [](const Bytes& bytes, auto exceptionTag) {
    Buf8 target(2, 1, 42);
    Buf8 alias = target;
    zcArchive in(bytes);
    EXPECT_THROW(in || target, decltype(exceptionTag));
    EXPECT_TRUE(target.sharesStorage(alias));
    EXPECT_EQ(pels<unsigned char>(target), (std::vector<unsigned char>{42, 42}));
  };

  expectRefused(withByte(good, 8, 1), zcArchive::UnknownVersion());  // version
  expectRefused(withByte(good, 13, 0x80), zcArchive::BadFormat());   // width negative
  expectRefused(withByte(good, 16, 0x01), zcArchive::BadCount());    // height 0x10002: more pels than bytes left
  expectRefused(withByte(good, 21, 0x40), zcArchive::BadFormat());   // offset x beyond the limit
  Bytes bad = good;
  std::fill(bad.begin() + 26, bad.begin() + 82, 0);  // the zero transform
  expectRefused(bad, zcArchive::BadFormat());
  expectRefused(Bytes(good.begin(), good.end() - 1), zcArchive::BadCount());
}

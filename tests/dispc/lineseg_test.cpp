#include "dispc/wrfm/lineseg.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

namespace {

std::vector<unsigned char> stored(const zc2SegmentLine& s) {
  zcArchive out;
  out << s;
  return out.bytes();
}

void expectSame(const zc2SegmentLine& a, const zc2SegmentLine& b) {
  EXPECT_EQ(a.p1(), b.p1());
  EXPECT_EQ(a.p2(), b.p2());
}

}  // namespace

TEST(LineSegConstruction, RefusesDegenerateInputAndMaps) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(zc2SegmentLine(zcPoint(1, 2), zcPoint(1, 2)), zcShapesError::DegenerateShape);
  EXPECT_THROW(zc2SegmentLine(zcLineSeg(zcPoint(3, 3), zcPoint(3, 3))), zcShapesError::DegenerateShape);
  EXPECT_THROW(zc2SegmentLine(zcPoint(nan, 0), zcPoint(1, 0)), zcShapesError::BadParams);
  EXPECT_THROW(zcXform<2>(zcMatrix<2>(0, 1, 0, 1), zcVector<2>()) * zc2SegmentLine(zcPoint(1, 0), zcPoint(3, 0)),
               zcShapesError::DegenerateShape);
  const zc2SegmentLine r = zc2Rigid(zcRadian(zkPi / 2), zcVector<2>(10, 0)) * zc2SegmentLine(zcPoint(1, 0), zcPoint(3, 0));
  EXPECT_LT(r.p1().distance(zcPoint(10, 1)), 1e-15);
  EXPECT_LT(r.p2().distance(zcPoint(10, 3)), 1e-15);

  // The default segment has no direction: queries that need one say so, the others
  // answer with its one point.
  const zc2SegmentLine none;
  EXPECT_THROW(none.line(), zcShapesError::DegenerateShape);
  EXPECT_THROW(zc2SegmentLine(zcPoint(0, -1), zcPoint(0, 1)).intersection(none), zcShapesError::DegenerateShape);
  EXPECT_EQ(none.closestPoint(zcPoint(5, 5)), zcPoint(0, 0));
  EXPECT_FALSE(none.validPoint(zcPoint(1e-300, 0)));
}

TEST(LineSegRange, EndsCountOnlyWhenInclusive) {
  // Length 10 along a slant, so that the tolerance (1e-13 here) survives the rotation.
  const zcPoint a(1, 1), b(7, 9);
  const zc2SegmentLine s(a, b);
  const zcVector<2> u = (b - a) / 10.0, n = u.perp();
  EXPECT_TRUE(s.inRange(a + u * 5 + n * 100, false));  // the distance from the line does not matter
  for (const zcPoint& end : {a, b, a + u * 5e-14, b - u * 5e-14, a - u * 5e-14, b + u * 5e-14}) {
    EXPECT_TRUE(s.inRange(end + n, true));
    EXPECT_FALSE(s.inRange(end + n, false));
  }
  EXPECT_FALSE(s.inRange(a - u * 1e-9, true));
  EXPECT_FALSE(s.inRange(b + u * 1e-9, true));
}

TEST(LineSegClosestPoint, FootInsideNearerEndOutside) {
  const zc2SegmentLine s(zcPoint(0, 0), zcPoint(10, 0));
  EXPECT_EQ(s.closestPoint(zcPoint(3, 4)), zcPoint(3, 0));
  EXPECT_EQ(s.closestPoint(zcPoint(-2, 1)), zcPoint(0, 0));
  EXPECT_DOUBLE_EQ(s.distToPoint(zcPoint(13, -4)), 5);
  // Within length × 1e-14, whatever the flag.
  EXPECT_TRUE(s.validPoint(zcPoint(4, 5e-14), true));
  EXPECT_TRUE(s.validPoint(zcPoint(4, -5e-14), false));
  EXPECT_FALSE(s.validPoint(zcPoint(4, 1e-12), true));
  EXPECT_FALSE(s.validPoint(zcPoint(-1e-12, 0), true));
}

TEST(LineSegIntersection, CrossingsEndsAndParallels) {
  const zc2SegmentLine s(zcPoint(0, 0), zcPoint(4, 4));
  for (bool exclusive : {false, true}) {
    const auto hits = s.intersection(zc2SegmentLine(zcPoint(0, 4), zcPoint(4, 0)), exclusive);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_LT(hits[0].distance(zcPoint(2, 2)), 1e-15);
  }
  // The other piece ends on this one (a T), or both share an end: inclusive only.
  const zc2SegmentLine tee(zcPoint(3, 1), zcPoint(2, 2)), chained(zcPoint(4, 4), zcPoint(8, 0));
  for (const zc2SegmentLine& o : {tee, chained}) {
    EXPECT_EQ(s.intersection(o, false).size(), 1u);
    EXPECT_TRUE(s.intersection(o, true).empty());
    EXPECT_EQ(o.intersection(s, false).size(), 1u);
    EXPECT_TRUE(o.intersection(s, true).empty());
  }
  // The lines cross beyond an end; parallel and overlapping pieces.
  EXPECT_TRUE(s.intersection(zc2SegmentLine(zcPoint(0, 10), zcPoint(3, 7)), false).empty());
  EXPECT_TRUE(s.intersection(zc2SegmentLine(zcPoint(1, 0), zcPoint(5, 4)), false).empty());
  EXPECT_TRUE(s.intersection(zc2SegmentLine(zcPoint(1, 1), zcPoint(6, 6)), false).empty());
  // With an infinite line only this segment's range counts.
  const auto hits = s.intersection(zcFLine(zcPoint(100, -97), zcPoint(101, -98)), true);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_LT(hits[0].distance(zcPoint(1.5, 1.5)), 1e-12);
  EXPECT_EQ(s.intersection(zcFLine(zcPoint(0, 0), zcPoint(-1, 1)), false).size(), 1u);
  EXPECT_TRUE(s.intersection(zcFLine(zcPoint(0, 0), zcPoint(-1, 1)), true).empty());
}

TEST(LineSegIntersection, AgreesWithParametricSolveOnRandomPairs) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> coord(-10, 10);
  int crossings = 0;
  for (int i = 0; i < 400; ++i) {
    const zcPoint a(coord(rng), coord(rng)), b(coord(rng), coord(rng));
    const zcPoint c(coord(rng), coord(rng)), d(coord(rng), coord(rng));
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << "seed 42 pair " << i << ": zc2SegmentLine(zcPoint("
                                    << a.x() << ", " << a.y() << "), zcPoint(" << b.x() << ", " << b.y()
                                    << ")).intersection(zc2SegmentLine(zcPoint(" << c.x() << ", " << c.y()
                                    << "), zcPoint(" << d.x() << ", " << d.y() << ")), exclusive);");
    // a + (b − a) u = c + (d − c) v by Cramer's rule.
    const zcVector<2> r = b - a, q = d - c, w = c - a;
    const double den = r.cross(q);
    if (std::abs(den) < 1e-3 * r.length() * q.length()) continue;  // nearly parallel
    const double u = w.cross(q) / den, v = w.cross(r) / den;
    if (std::min({std::abs(u), std::abs(u - 1), std::abs(v), std::abs(v - 1)}) < 1e-9) continue;  // at an end
    const bool expected = u > 0 && u < 1 && v > 0 && v < 1;
    for (bool exclusive : {false, true}) {
      const auto hits = zc2SegmentLine(a, b).intersection(zc2SegmentLine(c, d), exclusive);
      ASSERT_EQ(hits.size(), expected ? 1u : 0u);
      if (expected) {
        EXPECT_LT(hits[0].distance(a + r * u), 1e-9);
      }
    }
    crossings += expected;
  }
  EXPECT_GT(crossings, 50);
}

TEST(LineSegEquality, CoordinatesWithinTenToTheMinusFifteen) {
  const zcPoint p1(0, 0), p2(1e-3, -2e-3);
  const zc2SegmentLine s(p1, p2);
  const zcVector<2> e16(1e-16, -1e-16);
  EXPECT_TRUE(s == zc2SegmentLine(p1 + e16, p2 - e16));
  EXPECT_FALSE(s != zc2SegmentLine(p1 + e16, p2 - e16));
  const zcVector<2> dx(1e-14, 0), dy(0, 1e-14);
  for (const zc2SegmentLine& other : {zc2SegmentLine(p1 + dx, p2), zc2SegmentLine(p1 + dy, p2),
                                      zc2SegmentLine(p1, p2 - dx), zc2SegmentLine(p1, p2 - dy), zc2SegmentLine(p2, p1)}) {
    EXPECT_FALSE(s == other);
    EXPECT_TRUE(s != other);
  }
}

TEST(LineSegText, PointsThenAnEmptyLine) {
  std::wostringstream out;
  out << zc2SegmentLine(zcPoint(1.5, -2), zcPoint(3, 4));
  EXPECT_EQ(out.str(), L"p1_=1.5 -2\np2_=3 4\n\n");
}

TEST(LineSegArchive, BytesRoundTripAndRefusals) {
  const zc2SegmentLine s(zcPoint(1.25, -2), zcPoint(3, 1e-300));
  const std::vector<unsigned char> good = stored(s);
  // 8-byte header, version 0, then p1 and p2.
  ASSERT_EQ(good.size(), 8u + 1 + 32);
  EXPECT_EQ(good[8], 0);
  EXPECT_EQ(zfLoadF64(&good[9]), 1.25);
  EXPECT_EQ(zfLoadF64(&good[33]), 1e-300);
  zcArchive in(good);
  zc2SegmentLine back;
  in >> back;
  expectSame(back, s);
  zc_test::expectOwnRoundTrip(zc2SegmentLine());

  const zc2SegmentLine before(zcPoint(-1, -1), zcPoint(5, 5));
  for (unsigned char version : {1, 255}) {
    std::vector<unsigned char> bytes = good;
    bytes[8] = version;
    zcArchive bad(bytes);
    zc2SegmentLine t = before;
    zc_test::expectUnknownVersion([&] { bad >> t; }, "dispc/wrfm/lineseg", 105);
    expectSame(t, before);
  }
  for (std::size_t size = 8; size < good.size(); ++size)
    zc_test::expectRefused<zcArchive::UnexpectedEnd>(zc_test::Bytes(good.begin(), good.begin() + long(size)), before);
  std::vector<unsigned char> nan = good;
  zfStoreF64(&nan[25], std::numeric_limits<double>::quiet_NaN());
  zc_test::expectRefused<zcArchive::BadFormat>(nan, before);
}

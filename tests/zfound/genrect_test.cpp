#include "zfound/genrect.h"

#include "zfound/archive.h"
#include "zfound/rect.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

using namespace zc_test;

namespace {

const double kSqrt3 = std::sqrt(3.0);

// Center (10, 5), half sizes (4, 2), corner radii (1, 1): a rectangle with round
// corners of radius 1 (fractions 1/4 and 1/2).
zcGenRect roundedRect(zcRadian orient = zcRadian(0)) {
  return zcGenRect(zcVector<2>(10, 5), zcVector<2>(4, 2), orient, zcVector<2>(1, 1));
}

// Signed area of a closed point ring (positive counter-clockwise).
double ringArea(const std::vector<zcPoint>& p, std::size_t from, std::size_t to) {
  double s = 0.0;
  for (std::size_t i = from; i + 1 < to; ++i) s += p[i].cross(p[i + 1]);
  return 0.5 * s;
}

TEST(GenRectConstruction, FormsAgreeDeriveTheRightQuantitiesMapAndRefuseInvalidInput) {
  const zcGenRect g = roundedRect(zcRadian(zkPi / 6));
  EXPECT_TRUE(zfRealEq(g.roundFractions(), zcVector<2>(0.25, 0.5), 1e-15));
  EXPECT_TRUE(zfRealEq(g.xHalfSide(), zcVector<2>(2 * kSqrt3, 2), 1e-12));
  EXPECT_TRUE(zfRealEq(g.yHalfSide(), zcVector<2>(-1, kSqrt3), 1e-12));
  // M carries the rectangle onto the square: a corner goes to (1, 1).
  EXPECT_TRUE(zfRealEq(g.matrix() * (g.corners()[2] - g.center()), zcVector<2>(1, 1), 1e-12));

  // Mapped, the center goes to the center and the boundary onto the boundary.
  expectMapsAsItsKind(g);
  const zcGenRect sheared = g.map(skewXform());
  const zcPoint onArc = g.nearestBoundaryPoint(g.center() + zcVector<2>(10, 10));
  EXPECT_TRUE(zfRealEq(sheared.center(), skewXform().mapPoint(g.center()), 1e-12));
  EXPECT_LT(sheared.nearestBoundaryPoint(skewXform().mapPoint(onArc)).distance(skewXform().mapPoint(onArc)), 1e-9);
  EXPECT_EQ(sheared.roundFractions(), g.roundFractions());
  EXPECT_FALSE(zfRealEq(sheared, g, 1e-3));
  const zcVector<2> c(0, 0);
  const double nan = std::nan("");
  EXPECT_THROW(zcGenRect(zcVector<2>(nan, 0), zcMatrix<2>(), zcVector<2>()), zcShapesError::BadParams);
  EXPECT_THROW(zcGenRect(c, zcMatrix<2>(1, 0, 0, INFINITY), zcVector<2>()), zcShapesError::BadParams);
  EXPECT_THROW(zcGenRect(c, zcMatrix<2>(), zcVector<2>(1.5, 0)), zcShapesError::BadRadius);
  EXPECT_THROW(zcGenRect(c, zcMatrix<2>(), zcVector<2>(0, -0.1)), zcShapesError::BadRadius);
  EXPECT_THROW(zcGenRect(c, zcMatrix<2>(1, 2, 2, 4), zcVector<2>()), zcShapesError::DegenerateShape);
  EXPECT_THROW(zcGenRect(c, zcVector<2>(1, 0), zcRadian(0), zcVector<2>()), zcShapesError::DegenerateShape);
  EXPECT_THROW(zcGenRect(c, zcVector<2>(-1, 1), zcRadian(0), zcVector<2>()), zcShapesError::BadParams);
  EXPECT_THROW(zcGenRect(c, zcVector<2>(1, 1), zcRadian(0), zcVector<2>(1.1, 0)), zcShapesError::BadRadius);
  EXPECT_THROW(zcGenRect(c, zcVector<2>(1, 0), zcVector<2>(2, 0), zcVector<2>()), zcShapesError::DegenerateShape);
  EXPECT_THROW(zcGenRect(zcRect(zcPoint(0, 0), zcVector<2>(0, 3))), zcShapesError::DegenerateShape);
  EXPECT_THROW(zcGenRect::fromUnitXform(zcXform<2>::scaling(1, 0), zcVector<2>(1, 1)), zcShapesError::DegenerateShape);
  EXPECT_THROW(roundedRect().map(zcXform<2>::scaling(2, 0)), zcMathError::Singular);
  // A radius a rounding error above its half side is a full quarter ellipse.
  EXPECT_EQ(zcGenRect(c, zcVector<2>(3, 1), zcRadian(0), zcVector<2>(3 * (1 + 1e-14), 1)).roundFractions(),
            zcVector<2>(1, 1));
}

TEST(GenRectGeometry, DistancesInsideBoxesAndPerimetersOnHandComputedCases) {
  const zcGenRect g = roundedRect();
  EXPECT_TRUE(g.within(zcPoint(10, 5)));
  EXPECT_TRUE(g.within(zcPoint(14, 5)));        // on a side
  EXPECT_TRUE(g.within(zcPoint(13.6, 6.8)));    // on the corner arc around (13, 6)
  EXPECT_FALSE(g.within(zcPoint(13.9, 6.9)));   // inside the sharp corner, outside the arc
  EXPECT_TRUE(zfRealEq(g.nearestPoint(zcPoint(11, 6)), zcPoint(11, 6), 0.0));
  EXPECT_TRUE(zfRealEq(g.nearestPoint(zcPoint(17, 5)), zcPoint(14, 5), 1e-12));
  EXPECT_TRUE(zfRealEq(g.nearestPoint(zcPoint(16, 10)), zcPoint(13.6, 6.8), 1e-12));
  EXPECT_NEAR(g.distToPoint(zcPoint(16, 10)), 4.0, 1e-12);
  EXPECT_EQ(g.distToPoint(zcPoint(12, 4)), 0.0);
  // From inside, the nearest boundary point: the top side is 1 away.
  EXPECT_TRUE(zfRealEq(g.nearestBoundaryPoint(zcPoint(10, 6)), zcPoint(10, 7), 1e-12));

  // The same after a rigid motion: distances and nearest points move along.
  const zcXform<2> rigid = zcXform<2>::translation(zcVector<2>(-3, 8)) * zcXform<2>::rotation(zcRadian(0.7));
  const zcGenRect moved = g.map(rigid);
  EXPECT_TRUE(zfRealEq(moved.nearestPoint(rigid.mapPoint(zcPoint(16, 10))), rigid.mapPoint(zcPoint(13.6, 6.8)), 1e-9));
  EXPECT_FALSE(moved.within(rigid.mapPoint(zcPoint(13.9, 6.9))));

  // Elliptical corners (radii 2 and 1 around (12, 6)): a point 1 out along the
  // normal at parameter 45 degrees has its foot there.
  const zcGenRect e(zcVector<2>(10, 5), zcVector<2>(4, 2), zcRadian(0), zcVector<2>(2, 1));
  const double t = zkPi / 4;
  const zcPoint foot(12 + 2 * std::cos(t), 6 + std::sin(t));
  const zcVector<2> normal = zcVector<2>(std::cos(t), 2 * std::sin(t)).unit();
  EXPECT_TRUE(zfRealEq(e.nearestPoint(foot + normal), foot, 1e-9));
  EXPECT_NEAR(e.distToPoint(foot + normal), 1.0, 1e-9);
  EXPECT_TRUE(e.within(foot));
  EXPECT_FALSE(e.within(foot + normal * 1e-6));
  // The perimeter of a sheared ellipse (semi-axes 2 and 1) against a fine polyline.
  const zcGenRect ellipse(zcVector<2>(0, 0), zcVector<2>(2, 1), zcRadian(0.4), zcVector<2>(2, 1));
  const zcGenRect sheared = ellipse.map(skewXform());
  const std::vector<zcPoint> points = sampled(sheared, {.tolerance = 1e-9}).points;
  double length = 0.0;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) length += points[i].distance(points[i + 1]);
  EXPECT_NEAR(sheared.perimeter(), length, 1e-6);
}

TEST(GenRectSampling, PointsLieOnTheBoundaryWithinTolerance) {
  const zcGenRect g = roundedRect(zcRadian(0.3)).map(skewXform());
  const std::vector<zcPoint> p = sampled(g, {.spacing = 0.5, .tolerance = 1e-3}).points;
  ASSERT_GT(p.size(), 20u);
  EXPECT_EQ(p.front(), p.back());
  EXPECT_TRUE(zfRealEq(p.front(), g.unitXform().mapPoint(zcPoint(-0.75, -1)), 1e-12));
  for (std::size_t i = 0; i + 1 < p.size(); ++i) {
    EXPECT_LT(g.nearestBoundaryPoint(p[i]).distance(p[i]), 1e-9);
    EXPECT_LE(p[i].distance(p[i + 1]), 0.5 + 1e-12);
    const zcPoint mid = (p[i] + p[i + 1]) * 0.5;
    EXPECT_LE(g.nearestBoundaryPoint(mid).distance(mid), 1e-3);
  }
  EXPECT_GT(ringArea(p, 0, p.size()), 0.0);

  // Sharp corners: the corners alone, each twice on request.
  const zcGenRect sharp(zcVector<2>(0, 0), zcVector<2>(2, 1), zcRadian(0), zcVector<2>());
  EXPECT_EQ(sampled(sharp, {.tolerance = 0.1, .duplicateCorners = true}).points,
            (std::vector<zcPoint>{zcPoint(-2, -1), zcPoint(2, -1), zcPoint(2, -1), zcPoint(2, 1), zcPoint(2, 1),
                                  zcPoint(-2, 1), zcPoint(-2, 1), zcPoint(-2, -1)}));

  EXPECT_THROW(sampled(roundedRect(), {.spacing = 0.1, .uniform = true}), zcShapesError::BadParams);
}

zcGenAnnulus ring() {
  // Outer: the rounded rectangle; inner: half sizes (2, 1) at the same center.
  return zcGenAnnulus(zcGenRect(zcVector<2>(10, 5), zcVector<2>(2, 1), zcRadian(0), zcVector<2>(0.5, 0.5)),
                      roundedRect());
}

TEST(GenAnnulus, RegionBetweenTheRectanglesImageAndArchive) {
  const zcGenAnnulus a = ring();
  EXPECT_TRUE(a.within(zcPoint(13, 5)));
  EXPECT_TRUE(a.within(zcPoint(12, 5)));   // on the inner boundary
  EXPECT_FALSE(a.within(zcPoint(11, 5)));  // in the hole
  EXPECT_FALSE(a.within(zcPoint(15, 5)));
  EXPECT_TRUE(zfRealEq(a.nearestPoint(zcPoint(11.5, 5.2)), zcPoint(12, 5.2), 1e-12));
  EXPECT_TRUE(zfRealEq(a.nearestPoint(zcPoint(17, 5)), zcPoint(14, 5), 1e-12));
  EXPECT_NEAR(a.distToPoint(zcPoint(10, 5.5)), 0.5, 1e-12);
  EXPECT_EQ(a.distToPoint(zcPoint(13, 4)), 0.0);
  expectBox(a.boundingBox(), 6, 3, 14, 7);
  // Outer 16 + 2π; inner straight parts 2·(3 + 1) plus a circle of radius 0.5.
  EXPECT_NEAR(a.perimeter(), 16 + 2 * zkPi + 8 + zkPi, 1e-12);
  EXPECT_TRUE(a.isRightHanded());

  // The boundary: outer ring counter-clockwise, then the inner one clockwise.
  const std::vector<zcPoint> r = sampled(a, {.tolerance = 1e-6}).points;
  const std::size_t split = sampled(a.outer(), {.tolerance = 1e-6}).points.size();
  ASSERT_GT(r.size(), split);
  EXPECT_NEAR(ringArea(r, 0, split), 32 - 4 + zkPi, 1e-3);
  EXPECT_NEAR(ringArea(r, split, r.size()), -(7 + zkPi / 4), 1e-3);
  expectMapsAsItsKind(a);

  const zcGenAnnulus m = ring().map(skewXform());
  const auto image = imageOf<zkGenAnnulusImageSize>(m);
  const auto inner = imageOf<zkGenRectImageSize>(m.inner()), outer = imageOf<zkGenRectImageSize>(m.outer());
  // The two version-0 blocks, then the two derived parts, then zeros.
  EXPECT_EQ(std::memcmp(&image[0], &inner[0], 96), 0);
  EXPECT_EQ(std::memcmp(&image[96], &outer[0], 96), 0);
  EXPECT_EQ(std::memcmp(&image[192], &inner[96], 56), 0);
  EXPECT_EQ(std::memcmp(&image[248], &outer[96], 56), 0);
  expectZeroBytes(image.data(), 304, 360);
  EXPECT_TRUE(zcGenAnnulus::readImage(image) == m);
  std::array<unsigned char, zkGenAnnulusImageV0Size> v0;
  std::memcpy(v0.data(), image.data(), v0.size());
  EXPECT_TRUE(zcGenAnnulus::readImageV0(v0) == m);
  // The outer y fraction.
  EXPECT_THROW(zcGenAnnulus::readImage(withDouble(image, 96 + 64, -0.5)), zcShapesError::BadRadius);

  // A bad outer rectangle after a good inner one: nothing of the target changes.
  Bytes broken = ownBytes(m);
  // The inner rectangle's x fraction is the same 0.25 and comes first.
  ASSERT_EQ(m.inner().roundFractions().x(), m.outer().roundFractions().x());
  patchDouble(broken, m.outer().roundFractions().x(), 7.0, 1);
  expectRefused<zcArchive::BadFormat>(broken, ring());
}

// Sides 3 along x and 2 along y from (1, 1), sheared: the y corner is at (2, 3).
zcAffineRectangle parallelogram() { return zcAffineRectangle(zcPoint(1, 1), zcPoint(4, 1), zcPoint(2, 3)); }

TEST(AffineRectangle, HandComputedCasesSamplesImageAndRefusedArchives) {
  const zcAffineRectangle r = parallelogram();
  EXPECT_EQ(r.cornerOpposite(), zcPoint(5, 3));
  expectBox(r.boundingBox(), 1, 1, 5, 3);
  EXPECT_NEAR(r.perimeter(), 6 + 2 * std::sqrt(5.0), 1e-12);
  EXPECT_TRUE(r.isRightHanded());
  EXPECT_FALSE(r.degen());
  EXPECT_TRUE(r.within(zcPoint(3, 2)));
  EXPECT_TRUE(r.within(zcPoint(1.5, 2)));  // on the slanted side
  EXPECT_FALSE(r.within(zcPoint(1.4, 2)));
  EXPECT_TRUE(zfRealEq(r.nearestPoint(zcPoint(3, 0)), zcPoint(3, 1), 1e-15));
  // Beyond the slanted side from (1, 1) to (2, 3): the foot of the perpendicular.
  EXPECT_TRUE(zfRealEq(r.nearestPoint(zcPoint(0, 2)), zcPoint(1.2, 1.4), 1e-12));
  EXPECT_NEAR(r.distToPoint(zcPoint(6, 4)), std::sqrt(2.0), 1e-12);
  EXPECT_FALSE(parallelogram().reverse()->isRightHanded());
  expectMapsAsItsKind(r);
  // A singular map leaves a degenerate parallelogram rather than failing.
  EXPECT_TRUE(r.map(zcXform<2>::scaling(1, 0)).degen());

  // Collinear corners: a segment from (0, 0) to (3, 0).
  const zcAffineRectangle flat(zcPoint(0, 0), zcPoint(2, 0), zcPoint(1, 0));
  EXPECT_TRUE(flat.degen());
  EXPECT_TRUE(flat.within(zcPoint(2.5, 0)));
  EXPECT_FALSE(flat.within(zcPoint(2.5, 1e-6)));
  EXPECT_NEAR(flat.distToPoint(zcPoint(4, 0)), 1.0, 1e-15);
  EXPECT_THROW(zcAffineRectangle(zcPoint(0, 0), zcPoint(INFINITY, 0), zcPoint(0, 1)), zcShapesError::BadParams);

  // Sampled: uniform steps run round the corners.
  const zcAffineRectangle box(zcPoint(0, 0), zcPoint(3, 0), zcPoint(0, 2));
  expectPoints(sampled(box, {.spacing = 1.0, .uniform = true}).points,
               {zcPoint(0, 0), zcPoint(1, 0), zcPoint(2, 0), zcPoint(3, 0), zcPoint(3, 1), zcPoint(3, 2), zcPoint(2, 2),
                zcPoint(1, 2), zcPoint(0, 2), zcPoint(0, 1), zcPoint(0, 0)});
  const std::vector<zcPoint> s = sampled(box, {.spacing = 0.7}).points;
  EXPECT_EQ(s.size(), 1u + 5u + 3u + 5u + 3u);  // the start, then ⌈3/0.7⌉ or ⌈2/0.7⌉ steps per side
  for (std::size_t i = 0; i + 1 < s.size(); ++i) EXPECT_LE(s[i].distance(s[i + 1]), 0.7);

  // The image: the unit map, then the corner, the x and y corners, the opposite corner and the center.
  const auto image = imageOf<zkAffineRectangleImageSize>(r);
  std::array<unsigned char, zkXformImageSize> xform;
  std::memcpy(xform.data(), image.data(), xform.size());
  EXPECT_TRUE(zcXform<2>::readImage(xform) == r.unitXform());
  expectDoublesAt(image.data(), {{56, 1}, {64, 1}, {72, 4}, {80, 1}, {88, 2}, {96, 3}, {104, 5}, {112, 3}, {120, 3},
                                 {128, 2}});
  expectZeroBytes(image.data(), 136, 232);
  EXPECT_TRUE(zcAffineRectangle::readImage(image) == r);
  std::array<unsigned char, zkAffineRectangleImageV0Size> v0{};
  std::memcpy(&v0[56], &image[56], 48);
  EXPECT_TRUE(zcAffineRectangle::readImageV0(v0) == r);
  EXPECT_THROW(zcAffineRectangle::readImage(withDouble(image, 80, NAN)), zcShapesError::BadParams);

  EXPECT_FALSE(r == ring().outer());
  Bytes broken = ownBytes(r);
  patchDouble(broken, 3.0, INFINITY);
  expectRefused<zcArchive::BadFormat>(broken, zcAffineRectangle());
}

}  // namespace

#include "zfound/xformbase.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const std::array<double, 9> kTilt = {1.2, 0.1, 5, -0.2, 0.9, -3, 0.001, 0.002, 1};

// The Jacobian of a transform at p by central differences.
zcMatrix<2> numericJacobian(const zc2XformBase& xf, const zcPoint& p) {
  const double h = 1e-4;
  const zcVector<2> dx = (xf.mapPoint(p + zcVector<2>(h, 0)) - xf.mapPoint(p - zcVector<2>(h, 0))) / (2 * h);
  const zcVector<2> dy = (xf.mapPoint(p + zcVector<2>(0, h)) - xf.mapPoint(p - zcVector<2>(0, h))) / (2 * h);
  return zcMatrix<2>(dx.x(), dy.x(), dx.y(), dy.y());
}

TEST(ProjectiveXform, MapsInvertsPointsFromQuadsAndSingularitiesRaise) {
  const zc2XformProjective tilt(kTilt);
  // u = 12 + 2 + 5, v = −2 + 18 − 3, w = 0.01 + 0.04 + 1.
  EXPECT_TRUE(zfRealEq(tilt.mapPoint(zcPoint(10, 20)), zcPoint(19 / 1.05, 13 / 1.05), 1e-12));
  EXPECT_FALSE(tilt.isLinear());
  for (const zcPoint& p : {zcPoint(0, 0), zcPoint(10, 20), zcPoint(-300, 150), zcPoint(640, 480)}) {
    EXPECT_TRUE(zfRealEq(tilt.invMapPoint(tilt.mapPoint(p)), p, 1e-9)) << p.x() << ", " << p.y();
    EXPECT_TRUE(zfRealEq(tilt.inverse().mapPoint(tilt.mapPoint(p)), p, 1e-9));
  }

  // A homography matters only up to a factor; the stored one has h22 = 1.
  std::array<double, 9> doubled = kTilt;
  for (double& e : doubled) e *= 2;
  const zc2XformProjective scaled(doubled);
  EXPECT_EQ(scaled.element(2, 2), 1.0);
  EXPECT_EQ(scaled.element(0, 0), 1.2);
  EXPECT_EQ(scaled.mapPoint(zcPoint(10, 20)), tilt.mapPoint(zcPoint(10, 20)));

  const zcXform<2> affine(zcMatrix<2>(2, 1, 0, 3), zcVector<2>(-1, 4));
  const zc2XformProjective asProjective(affine);
  EXPECT_TRUE(asProjective.isLinear());
  EXPECT_EQ(asProjective.mapPoint(zcPoint(5, 7)), affine.mapPoint(zcPoint(5, 7)));

  // w = 0.5 x + 1 vanishes at x = −2.
  const zc2XformProjective horizon({1, 0, 0, 0, 1, 0, 0.5, 0, 1});
  EXPECT_THROW(horizon.mapPoint(zcPoint(-2, 5)), zcMathError::Singular);
  EXPECT_THROW(horizon.linearXform(zcPoint(-2, 5)), zcMathError::Singular);
  EXPECT_TRUE(zfRealEq(horizon.mapPoint(zcPoint(2, 4)), zcPoint(1, 2), 1e-15));

  const zc2XformProjective flat({1, 2, 3, 2, 4, 6, 0, 0, 1});
  EXPECT_TRUE(flat.isSingular());
  EXPECT_THROW(flat.mapPoint(zcPoint(1, 1)), zcMathError::Singular);
  EXPECT_THROW(flat.invMapPoint(zcPoint(1, 1)), zcMathError::Singular);
  EXPECT_THROW(flat.inverse(), zcMathError::Singular);

  EXPECT_THROW(zc2XformProjective({1, 0, 0, 0, 1, 0, 0, NAN, 1}), zcShapesError::BadParams);
  EXPECT_THROW(flat.element(3, 0), zcShapesError::BadParams);
  const std::array<zcPoint, 4> rect = {zcPoint(0, 0), zcPoint(100, 0), zcPoint(100, 50), zcPoint(0, 50)};
  const std::array<zcPoint, 4> quad = {zcPoint(10, 10), zcPoint(90, 20), zcPoint(80, 70), zcPoint(20, 60)};
  const zc2XformProjective lens = zc2XformProjective::fromQuads(rect, quad);
  EXPECT_FALSE(lens.isLinear());
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(zfRealEq(lens.mapPoint(rect[i]), quad[i], 1e-10)) << i;
    EXPECT_TRUE(zfRealEq(lens.invMapPoint(quad[i]), rect[i], 1e-10)) << i;
  }

  // A parallelogram is reached affinely.
  const std::array<zcPoint, 4> slanted = {zcPoint(0, 0), zcPoint(100, 0), zcPoint(130, 50), zcPoint(30, 50)};
  const zc2XformProjective shear = zc2XformProjective::fromQuads(rect, slanted);
  EXPECT_TRUE(shear.isLinear());
  EXPECT_TRUE(zfRealEq(shear.mapPoint(zcPoint(50, 25)), zcPoint(65, 25), 1e-12));

  const std::array<zcPoint, 4> collinear = {zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, 2), zcPoint(0, 5)};
  EXPECT_THROW(zc2XformProjective::fromQuads(rect, collinear), zcMathError::Singular);
  EXPECT_THROW(zc2XformProjective::fromQuads(collinear, rect), zcMathError::Singular);
}

TEST(XformCompose, LinearPartsGiveALinearTransformOthersAComposite) {
  const zcXform<2> a(zcMatrix<2>(0, -1, 1, 0), zcVector<2>(10, 0));
  const zcXform<2> b = zcXform<2>::scaling(2, 3);
  const zc2XformBasePtr both = zc2XformBase::composeBase(zc2XformBasePtr(new zc2XformLinear(a)),
                                                         zc2XformBasePtr(new zc2XformLinear(b)));
  const auto* linear = dynamic_cast<const zc2XformLinear*>(both.rep());
  ASSERT_NE(linear, nullptr);
  EXPECT_EQ(linear->xform(), a * b);
  // b first: (1, 1) -> (2, 3) -> (7, 2).
  EXPECT_EQ(both->mapPoint(zcPoint(1, 1)), zcPoint(7, 2));
  EXPECT_EQ(both->linearXform(zcPoint(-50, 8)), a * b);

  // A projective transform whose w is constant counts as linear too.
  const zc2XformBasePtr withAffine = zc2XformBase::composeBase(
      zc2XformBasePtr(new zc2XformLinear(a)), zc2XformBasePtr(new zc2XformProjective(b)));
  EXPECT_NE(dynamic_cast<const zc2XformLinear*>(withAffine.rep()), nullptr);

  const zc2XformLinear flat(zcXform<2>(zcMatrix<2>(1, 2, 2, 4), zcVector<2>()));
  EXPECT_THROW(flat.invMapPoint(zcPoint(1, 0)), zcMathError::Singular);

  // With a projective part: a composite.
  const zc2XformBasePtr turn(new zc2XformLinear(a));
  const zc2XformBasePtr tilt(new zc2XformProjective(kTilt));
  const zc2XformBasePtr composed = zc2XformBase::composeBase(turn, tilt);
  ASSERT_NE(dynamic_cast<const zc2XformComposite*>(composed.rep()), nullptr);
  // Both parts are shared, not copied.
  EXPECT_EQ(turn.rep()->refCount(), 2);
  EXPECT_EQ(tilt.rep()->refCount(), 2);
  EXPECT_FALSE(composed->isLinear());

  const zcPoint p(30, -12);
  EXPECT_EQ(composed->mapPoint(p), turn->mapPoint(tilt->mapPoint(p)));
  EXPECT_TRUE(zfRealEq(composed->invMapPoint(composed->mapPoint(p)), p, 1e-9));
  const zcXform<2> local = composed->linearXform(p);
  EXPECT_TRUE(zfRealEq(local.matrix(), numericJacobian(*composed, p), 1e-7));
  EXPECT_TRUE(zfRealEq(local.mapPoint(p), composed->mapPoint(p), 1e-12));

  // The other order maps differently.
  const zc2XformBasePtr reversed = zc2XformBase::composeBase(tilt, turn);
  EXPECT_EQ(reversed->mapPoint(p), tilt->mapPoint(turn->mapPoint(p)));
  EXPECT_TRUE(zfRealEq(reversed->linearXform(p).matrix(), numericJacobian(*reversed, p), 1e-7));
  EXPECT_FALSE(zfRealEq(reversed->mapPoint(p), composed->mapPoint(p), 1.0));

  EXPECT_THROW(zc2XformBase::composeBase(zc2XformBasePtr(), tilt), zcBadPointer);
  EXPECT_THROW(zc2XformComposite(tilt, zc2XformBasePtr()), zcBadPointer);
}

}  // namespace

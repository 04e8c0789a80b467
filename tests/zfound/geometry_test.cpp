#include "zfound/geometry.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace zc_test;

namespace {

TEST(Angles, NormBoundariesAndQuarterTurnsAreExact) {
  for (const auto& [a, n] : {std::pair{2 * zkPi, 0.0}, {-zkPi, zkPi}}) EXPECT_EQ(zcRadian(a).norm().value(), n) << a;
  for (const auto& [a, n] : {std::pair{-zkPi, zkPi}, {zkPi, zkPi}, {-1e-20, -1e-20}})
    EXPECT_EQ(zcRadian(a).signedNorm().value(), n) << a;
  // Negative zero and whole negative turns come out as +0.
  EXPECT_FALSE(std::signbit(zcRadian(-0.0).norm().value()));
  EXPECT_FALSE(std::signbit(zcRadian(-2 * zkPi).signedNorm().value()));
  // A remainder just below zero must not round up to the excluded 2π.
  EXPECT_LT(zcRadian(-1e-20).norm().value(), 2 * zkPi);
  EXPECT_LT(zcDegree(-1e-14).norm().value(), 360.0);

  // 3.6e14 + 90 is exact in a double; so must be the reduction.
  for (const auto& [d, n] : {std::pair{360.0, 0.0}, {-90.0, 270.0}, {360.0 * 1e12 + 90, 90.0}})
    EXPECT_EQ(zcDegree(d).norm().value(), n) << d;
  for (const auto& [d, n] : {std::pair{-180.0, 180.0}, {180.0, 180.0}, {540.0, 180.0}, {-540.0, 180.0}, {270.0, -90.0},
                             {-360.0 * 1e12 - 90, -90.0}})
    EXPECT_EQ(zcDegree(d).signedNorm().value(), n) << d;
  // Within (−half, half] an angle is its own signed norm (−0 made +0); just outside, the
  // reduction by a whole turn.
  for (const double half : {180.0, zkPi}) {
    const double below = std::nextafter(-half, 0.0), above = std::nextafter(half, 2.0 * half);
    for (const auto& [a, n] : {std::pair{below, below}, {half, half}, {-half, half}, {0.5, 0.5}, {-0.0, 0.0},
                               {above, above - 2.0 * half}, {std::nextafter(-half, -2.0 * half), 0.0}}) {
      const double got = half == 180.0 ? zcDegree(a).signedNorm().value() : zcRadian(a).signedNorm().value();
      if (n != 0.0) {
        EXPECT_EQ(got, n) << a;
      }
      if (a == 0.0) {
        EXPECT_FALSE(std::signbit(got));
      }
      EXPECT_GT(got, -half) << a;
      EXPECT_LE(got, half) << a;
    }
    EXPECT_TRUE(std::isnan(zcDegree(NAN).signedNorm().value()));
  }
  const double r = zcRadian(1e300).norm().value();
  EXPECT_GE(r, 0.0);
  EXPECT_LT(r, 2 * zkPi);
  const double s = zcRadian(-1e300).signedNorm().value();
  EXPECT_GT(s, -zkPi);
  EXPECT_LE(s, zkPi);
  EXPECT_TRUE(std::isnan(zcRadian(INFINITY).norm().value()));

  EXPECT_EQ(zcRadian(zcDegree(180)).value(), zkPi);
  EXPECT_EQ(zcRadian(zcDegree(-90)).value(), -zkPi / 2);
  EXPECT_EQ(zcDegree(zcRadian(zkPi / 2)).value(), 90.0);
  for (const auto& [d, c] : {std::pair{90.0, 0.0}, {-270.0, 0.0}, {540.0, -1.0}}) EXPECT_EQ(cos(zcDegree(d)), c) << d;
  for (const auto& [d, s] : {std::pair{-90.0, -1.0}, {720.0, 0.0}}) EXPECT_EQ(sin(zcDegree(d)), s) << d;
  EXPECT_NEAR(sin(zcDegree(30)), 0.5, 1e-15);
  EXPECT_NEAR(cos(zcDegree(-60)), 0.5, 1e-15);
  // Arithmetic does not wrap; comparisons are by value.
  EXPECT_EQ((zcDegree(350) + zcDegree(20)).value(), 370.0);
  EXPECT_LT(zcRadian(0), zcRadian(2 * zkPi));
  EXPECT_EQ((2.0 * zcRadian(1.5) - zcRadian(1)).value(), 2.0);
}

TEST(MatrixAndXformMath, InversesAnglesCompositionAndSingularity) {
  // Singular; a determinant that underflows to 0, is not a number or overflows.
  for (const zcMatrix<2>& s : {zcMatrix<2>(1, 2, 2, 4), zcMatrix<2>(1e-200, 0, 0, 1e-200), zcMatrix<2>(NAN, 0, 0, 1),
                               zcMatrix<2>(1e300, 0, 0, 1e300)})
    EXPECT_THROW(s.inverse(), zcMathError::Singular) << s.element(0, 0);
  // A subnormal determinant still gives a finite inverse.
  const zcMatrix<2> tiny = zcMatrix<2>(1e-160, 0, 0, 1e-160).inverse();
  EXPECT_NEAR(tiny.element(0, 0) / 1e160, 1.0, 1e-2);
  EXPECT_NEAR(tiny.element(1, 1) / 1e160, 1.0, 1e-2);

  EXPECT_THROW(zcMatrix<2>(1.5, -0.7, 0.2, -2.1).element(2, 0), zcShapesError::BadParams);
  EXPECT_THROW(zcMatrix<2>(1.5, -0.7, 0.2, -2.1).col(-1), zcShapesError::BadParams);

  const zcXform<2> shear(zcMatrix<2>(1, 1, 0, 1), zcVector<2>(7, -3));
  EXPECT_NEAR(zcDegree(shear.mapAngle(zcRadian(zcDegree(90)))).value(), 45.0, 1e-12);
  EXPECT_NEAR(zcDegree(shear.invMapAngle(zcRadian(zcDegree(45)))).value(), 90.0, 1e-12);
  EXPECT_EQ(shear.mapAngle(zcRadian(0)).value(), 0.0);
  // Results stay in (−π, π].
  EXPECT_EQ(shear.mapAngle(zcRadian(zkPi)).value(), zkPi);
  EXPECT_EQ(shear.mapPoint(zcPoint(1, 2)), zcPoint(10, -1));
  EXPECT_EQ(shear.invMapPoint(zcPoint(10, -1)), zcPoint(1, 2));

  const zcXform<2> x(zcMatrix<2>(2, 0.5, -1, 3), zcVector<2>(4, -6));
  EXPECT_EQ(x.determinant(), 6.5);
  EXPECT_TRUE(zfRealEq(x * x.inverse(), zcXform<2>(), 1e-12));
  EXPECT_TRUE(zfRealEq(x.inverse() * x, zcXform<2>(), 1e-12));
  EXPECT_TRUE(zfRealEq(x.invMapPoint(x.mapPoint(zcPoint(3, 7))), zcPoint(3, 7), 1e-12));

  // a * b maps by b first.
  const zcXform<2> shift = zcXform<2>::translation(zcVector<2>(10, 0));
  const zcXform<2> turn = zcXform<2>::rotation(zcRadian(zcDegree(90)));
  EXPECT_TRUE(zfRealEq((shift * turn).mapPoint(zcPoint(1, 0)), zcPoint(10, 1), 1e-15));
  EXPECT_TRUE(zfRealEq((turn * shift).mapPoint(zcPoint(1, 0)), zcPoint(0, 11), 1e-14));
  const zcXform<2> product = x * zcXform<2>::scaling(2, -1);
  EXPECT_EQ(product.determinant(), -13.0);

  const zcXform<2> flat(zcMatrix<2>(1, 2, 2, 4), zcVector<2>(1, 1));
  EXPECT_EQ(flat.determinant(), 0.0);
  EXPECT_THROW(flat.inverse(), zcMathError::Singular);
  EXPECT_THROW(flat.invMapPoint(zcPoint(1, 1)), zcMathError::Singular);
  EXPECT_THROW(flat.invMapVector(zcVector<2>(1, 0)), zcMathError::Singular);
  EXPECT_THROW(flat.invMapAngle(zcRadian(0)), zcMathError::Singular);
  EXPECT_NEAR(flat.mapAngle(zcRadian(0)).value(), std::atan2(2.0, 1.0), 1e-15);
  // The x-axis is the kernel of diag(0, 1): that direction has no image.
  const zcXform<2> squash(zcMatrix<2>(0, 0, 0, 1), zcVector<2>());
  EXPECT_THROW(squash.mapAngle(zcRadian(0)), zcMathError::Singular);
  // An invertible matrix whose inverse sends the translation beyond the doubles.
  const zcXform<2> far(zcMatrix<2>(1e-10, 0, 0, 1e-10), zcVector<2>(1e300, 0));
  EXPECT_THROW(far.inverse(), zcMathError::Singular);
}

TEST(XformImage, LittleEndianSevenDoublesAndRigidMaps) {
  const zcXform<2> x(zcMatrix<2>(1, 2, 3, 4), zcVector<2>(5, 6));
  unsigned char image[zkXformImageSize];
  x.writeImage(image);
  // High bytes of 1, 2, 3, 4, 5, 6 and the determinant −2; the low six are 0.
  const unsigned char high[7][2] = {{0xF0, 0x3F}, {0x00, 0x40}, {0x08, 0x40}, {0x10, 0x40},
                                    {0x14, 0x40}, {0x18, 0x40}, {0x00, 0xC0}};
  for (int i = 0; i < 7; ++i) {
    for (int b = 0; b < 6; ++b) EXPECT_EQ(image[8 * i + b], 0) << "field " << i;
    EXPECT_EQ(image[8 * i + 6], high[i][0]) << "field " << i;
    EXPECT_EQ(image[8 * i + 7], high[i][1]) << "field " << i;
  }
  EXPECT_EQ(zcXform<2>::readImage(image), x);

  // A corrupted determinant is replaced by the one the entries give.
  image[55] = 0x40;
  const zcXform<2> read = zcXform<2>::readImage(image);
  EXPECT_EQ(read.determinant(), -2.0);
  EXPECT_EQ(read, x);
  const zc2Rigid r(zcRadian(zcDegree(90)), zcVector<2>(1, 2));
  EXPECT_TRUE(zfRealEq(r.mapPoint(zcPoint(1, 0)), zcPoint(1, 3), 1e-15));
  EXPECT_TRUE(zfRealEq(r.invMapPoint(zcPoint(1, 3)), zcPoint(1, 0), 1e-15));
  for (const zcPoint& p : {zcPoint(0.3, -7), zcPoint(1e6, 2.5)}) EXPECT_EQ(r.xform().mapPoint(p), r.mapPoint(p));

  const zc2Rigid s(zcRadian(3.0), zcVector<2>(-4, 0.5));
  const zcPoint p(2, -3);
  EXPECT_TRUE(zfRealEq((r * s).mapPoint(p), r.mapPoint(s.mapPoint(p)), 1e-14));
  EXPECT_TRUE(zfRealEq((r * s).xform(), r.xform() * s.xform(), 1e-14));
  // 90° + 3 rad passes π; the angle stays in (−π, π].
  EXPECT_NEAR((r * s).angle().value(), zkPi / 2 + 3.0 - 2 * zkPi, 1e-14);
  const zc2Rigid identity = r * r.inverse();
  EXPECT_NEAR(identity.angle().value(), 0.0, 1e-15);
  EXPECT_TRUE(zfRealEq(identity.trans(), zcVector<2>(), 1e-15));
  EXPECT_NEAR(r.mapAngle(zcRadian(zkPi)).value(), -zkPi / 2, 1e-15);
  EXPECT_EQ(zc2Rigid(zcRadian(-zkPi), zcVector<2>(1, 1)), zc2Rigid(zcRadian(zkPi), zcVector<2>(1, 1)));
}

TEST(Scalars, RealEqTolerancesAndRoundingRange) {
  EXPECT_TRUE(zfRealEq(1.0, 1.5, 0.5));
  EXPECT_FALSE(zfRealEq(1.0, 1.5, 0.4999));
  EXPECT_TRUE(zfRealEq(INFINITY, INFINITY, 0));
  EXPECT_FALSE(zfRealEq(NAN, NAN, 1e300));
  EXPECT_FALSE(zfRealEq(zcVector<2>(0, 0), zcVector<2>(0, 0.25), 0.125));
  // Angles compare by value, without wrapping.
  EXPECT_FALSE(zfRealEq(zcRadian(0), zcRadian(2 * zkPi), 1e-9));
  // The translation counts; the determinant follows from the matrix.
  EXPECT_FALSE(zfRealEq(zcXform<2>(), zcXform<2>::translation(zcVector<2>(0, 1)), 0.5));
  const double lowest = static_cast<double>(std::numeric_limits<long>::min());
  for (const auto& [v, f] : {std::pair{-0.5, -1L}, {2.0, 2L}, {lowest, std::numeric_limits<long>::min()}})
    EXPECT_EQ(zfIFloor(v), f) << v;
  for (const auto& [v, c] : {std::pair{-0.5, 0L}, {2.0000000000000004, 3L}}) EXPECT_EQ(zfICeil(v), c) << v;
  for (double v : {std::nextafter(lowest, -INFINITY), double(NAN)}) EXPECT_THROW(zfIFloor(v), zcShapesError::BadParams);
  for (double v : {-lowest, -double(INFINITY)}) EXPECT_THROW(zfICeil(v), zcShapesError::BadParams);
}

TEST(Range, ClosedIntervalsEnclosingAndAngleRanges) {
  zcRange r;
  EXPECT_TRUE(r.isEmpty());
  EXPECT_FALSE(r.isWithin(0.0));
  EXPECT_EQ(r, zcRange(5, 4));
  r.enclose(3);
  EXPECT_FALSE(r.isEmpty());
  EXPECT_TRUE(r.isWithin(3));
  r.enclose(-1);
  EXPECT_EQ(r, zcRange(-1, 3));
  EXPECT_TRUE(r.isWithin(-1));
  EXPECT_FALSE(r.isWithin(3.0000000000000004));
  r.enclose(zcRange(10, 9));
  EXPECT_EQ(r, zcRange(-1, 3));
  r.enclose(zcRange(0, 7));
  EXPECT_EQ(r, zcRange(-1, 7));
  zcRange empty;
  empty.enclose(zcRange(2, 2));
  EXPECT_EQ(empty, zcRange(2, 2));

  // Angle ranges with angles inside and outside them.
  const struct {
    zcAngleRange range;
    std::vector<double> inside, outside;
  } ranges[] = {
      {zcAngleRange(zcDegree(350), zcDegree(20)), {350.0, 0.0, 10.0, -10.0, 370.0, 710.0}, {349.9, 10.1, 180.0, -11.0}},
      {zcAngleRange(zcDegree(10), zcDegree(-20)), {10.0, 0.0, 355.0, 350.0}, {10.5, 20.0, 349.0, 180.0}},  // clockwise
      {zcAngleRange(), {123.0}, {}},
      {zcAngleRange(zcDegree(40), zcDegree(-400)), {-77.0}, {}},
      {zcAngleRange(zcDegree(30), zcDegree(0)), {390.0}, {30.000001}},
      {zcAngleRange(zcDegree(0.1), zcDegree(0.2)), {0.1 + 0.2}, {}}};  // the end, though start + span rounds
  for (const auto& [range, inside, outside] : ranges) {
    for (double a : inside) EXPECT_TRUE(range.isWithin(zcDegree(a))) << a;
    for (double a : outside) EXPECT_FALSE(range.isWithin(zcDegree(a))) << a;
  }
}

TEST(GeometryArchive, EveryValueRoundTripsInItsFixedSizeMalformedTransformsDoNot) {
  // After the 8-byte header: doubles of 8 bytes, longs of 4.
  EXPECT_EQ(expectOwnRoundTrip(zcVector<2>(1.25, -3e10)).size(), 8u + 16);
  EXPECT_EQ(expectOwnRoundTrip(zcRadian(-2.5)).size(), 8u + 8);
  EXPECT_EQ(expectOwnRoundTrip(zcXform<2>(zcMatrix<2>(1.5, -0.7, 0.2, -2.1), zcVector<2>(4, -6))).size(), 8u + 56);
  EXPECT_EQ(expectOwnRoundTrip(zc2Rigid(zcRadian(1.0), zcVector<2>(7, 8))).size(), 8u + 24);
  EXPECT_EQ(expectOwnRoundTrip(zcPair<long>(-5, 1L << 30)).size(), 8u + 8);
  EXPECT_EQ(expectOwnRoundTrip(zcPair<double>(0.5, -0.25)).size(), 8u + 16);

  // Matrix (4 doubles), translation (2), determinant.
  const Bytes good = ownBytes(zcXform<2>(zcMatrix<2>(2, 0.5, -1, 3), zcVector<2>(4, -6)));
  const zcXform<2> target = zcXform<2>::scaling(3, 3);
  expectRefused<zcArchive::BadFormat>(withDouble(good, 8 + 48, 6.5 * (1 + 1e-9)), target);  // disagreeing determinant
  expectRefused<zcArchive::BadFormat>(withDouble(good, 8, NAN), target);
  expectRefused<zcArchive::BadFormat>(withDouble(good, 8 + 32, INFINITY), target);
  // It ends in the translation.
  expectRefused<zcArchive::UnexpectedEnd>(Bytes(good.begin(), good.begin() + 8 + 36), target);

  zcXform<2> infinite(zcMatrix<2>(), zcVector<2>(INFINITY, 0));
  zcArchive refused;
  EXPECT_THROW(refused || infinite, zcArchive::ValueOutOfRange);
}

}  // namespace

#include "zfound/curves.h"
#include "zfound/rect.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace zc_test;

namespace {

const double kRoot2 = std::sqrt(2.0);

// The unit quarter circle from (1, 0) to (0, 1): the rational quadratic with weights
// 1, √2/2, 1 raised to degree 3.
zcBezierCurve quarterCircle() {
  const double w = (1.0 + kRoot2) / 3.0;
  return zcBezierCurve(zcPoint(1, 0), zcPoint(1, 2 - kRoot2), zcPoint(2 - kRoot2, 1), zcPoint(0, 1), 1.0, w, w, 1.0);
}

// Rational curves: uneven weights and an S bend; steep weights; a loop.
const zcPoint kO(0, 0);
zcBezierCurve wavy() { return zcBezierCurve(kO, zcPoint(1, 3), zcPoint(3, -2), zcPoint(4, 1), 1, 5, 0.3, 2); }
zcBezierCurve steep() { return zcBezierCurve(kO, zcPoint(5, 5), zcPoint(-3, 6), zcPoint(1, -1), 0.5, 3, 7, 1); }
zcBezierCurve loop() { return zcBezierCurve(kO, zcPoint(4, 3), zcPoint(-4, 3), zcPoint(0, 0.5), 1, 0.1, 9, 1); }

// The curve from its definition: Σ wᵢ Bᵢ Pᵢ / Σ wᵢ Bᵢ.
zcPoint reference(const zcBezierCurve& c, double t) {
  const double s = 1.0 - t;
  const double b[4] = {s * s * s, 3 * t * s * s, 3 * t * t * s, t * t * t};
  zcVector<2> num;
  double den = 0.0;
  for (int i = 0; i < 4; ++i) {
    num += c.controlPoint(i) * (c.weight(i) * b[i]);
    den += c.weight(i) * b[i];
  }
  return num / den;
}

}  // namespace

TEST(BezierCurve, ConstructionRefusesBadValuesAndEvaluationMatchesTheDefinitionAndTheCircle) {
  const zcPoint o(0, 0), a(1, 1);
  EXPECT_THROW(zcBezierCurve(o, a, a, o, 1, 0, 1, 1), zcShapesError::BadParams);
  EXPECT_THROW(zcBezierCurve(o, a, a, o, 1, -2, 1, 1), zcShapesError::BadParams);
  EXPECT_THROW(zcBezierCurve(o, a, a, o, 1, 1, NAN, 1), zcShapesError::BadParams);
  EXPECT_THROW(zcBezierCurve(o, a, a, o, 1, 1, 1, INFINITY), zcShapesError::BadParams);
  EXPECT_THROW(zcBezierCurve(o, zcPoint(INFINITY, 0), a, o), zcShapesError::BadParams);
  const zcBezierCurve c = wavy();
  EXPECT_THROW(c.controlPoint(4), zcShapesError::BadParams);
  EXPECT_THROW(c.weight(-1), zcShapesError::BadParams);
  EXPECT_THROW(c.point(1.5), zcShapesError::BadParams);
  EXPECT_THROW(c.point(NAN), zcShapesError::BadParams);
  EXPECT_FALSE(c.isPolynomial());
  EXPECT_TRUE(zcBezierCurve(o, a, a, o, 2, 2, 2, 2).isPolynomial());
  EXPECT_TRUE(zcBezierCurve().degen());
  EXPECT_THROW(zcBezierCurve().startAngle(), zcShapesError::NoTangent);

  // A weight that is not positive is refused and the target keeps its value.
  expectRefused<zcArchive::BadFormat>(withDouble(ownBytes(c), -8, -1.0), quarterCircle());

  // Four control points, then four weights.
  const auto image = imageOf<zkBezierCurveImageSize>(c);
  expectDoublesAt(image.data(), {{16, 1.0}, {72, 5.0}});  // P1.x, w1
  EXPECT_TRUE(zcBezierCurve::readImage(image) == c);
  EXPECT_THROW(zcBezierCurve::readImage(withDouble(image, 88, 0.0)), zcShapesError::BadParams);
  const zcBezierCurve w = wavy();
  const zcBezierCurve q = quarterCircle();
  for (int i = 0; i <= 20; ++i) {
    const double t = i / 20.0;
    EXPECT_TRUE(zfRealEq(w.point(t), reference(w, t), 1e-12)) << t;
    // The quarter circle is exact: unit radius, derivative perpendicular to it.
    const zcPoint p = q.point(t);
    EXPECT_NEAR(p.length(), 1.0, 1e-14);
    EXPECT_NEAR(p.dot(q.derivative(t)), 0.0, 1e-13);
    // The derivative against a central difference of the definition.
    if (t > 0.0 && t < 1.0) {
      const double h = 1e-6;
      const zcVector<2> fd = (reference(w, t + h) - reference(w, t - h)) / (2 * h);
      EXPECT_TRUE(zfRealEq(w.derivative(t), fd, 1e-5 * (1 + fd.length()))) << t;
    }
  }
  EXPECT_NEAR(q.tangentAngle(0.0).value(), zkPi / 2, 1e-14);
  EXPECT_NEAR(q.endAngle().value(), zkPi, 1e-14);
  // A repeated control point: the end direction is the limit toward the next one.
  const zcBezierCurve cusp(zcPoint(0, 0), zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, 0));
  EXPECT_NEAR(cusp.startAngle().value(), zkPi / 4, 1e-15);
  EXPECT_NEAR(cusp.tangentAngle(0.0).value(), zkPi / 4, 1e-12);
}

TEST(BezierCurve, SplitPartReverseAndLengthsKeepTheCurve) {
  const zcBezierCurve c = wavy();
  zcBezierCurve a, b;
  c.split(0.3, a, b);
  EXPECT_EQ(a.endPoint(), b.startPoint());
  for (int i = 0; i <= 10; ++i) {
    const double s = i / 10.0;
    EXPECT_TRUE(zfRealEq(a.point(s), c.point(0.3 * s), 1e-12));
    EXPECT_TRUE(zfRealEq(b.point(s), c.point(0.3 + 0.7 * s), 1e-12));
    const zcBezierCurve p = c.part(0.2, 0.9);
    EXPECT_TRUE(zfRealEq(p.point(s), c.point(0.2 + 0.7 * s), 1e-12));
  }
  EXPECT_THROW(c.part(0.6, 0.5), zcShapesError::BadParams);
  const zcShapePtr r = c.reverse();
  const auto& rc = dynamic_cast<const zcBezierCurve&>(*r);
  EXPECT_TRUE(zfRealEq(rc.point(0.25), c.point(0.75), 1e-12));
  EXPECT_EQ(rc.startPoint(), c.endPoint());

  const zcBezierCurve q = quarterCircle();
  EXPECT_NEAR(q.perimeter(), zkPi / 2, 1e-13);
  EXPECT_NEAR(q.arcLength(0.0, 0.5), zkPi / 4, 1e-13);  // symmetric weights
  const double t = q.paramAtLength(zkPi / 6);
  EXPECT_NEAR(q.point(t).angle().value(), zkPi / 6, 1e-12);
  EXPECT_NEAR(q.nearestPerimPos(zcPoint(3 * std::cos(1.0), 3 * std::sin(1.0))), 1.0, 1e-12);
  const zcShapePtr sub = c.subShape(1.0, 3.0);
  EXPECT_NEAR(sub->perimeter(), 2.0, 1e-10);
  EXPECT_TRUE(zfRealEq(sub->startPoint(), c.point(c.paramAtLength(1.0)), 1e-12));
  const zcShapePtr back = c.subShape(3.0, 1.0);
  EXPECT_TRUE(zfRealEq(back->startPoint(), sub->endPoint(), 1e-12));
  // Positions are clamped to the curve.
  EXPECT_EQ(c.subShape(-5.0, 1e9)->endPoint(), c.endPoint());
  EXPECT_THROW(c.subShape(NAN, 1.0), zcShapesError::BadParams);
}

// Curves with uneven weights, S bends and loops against their definition: boxes,
// nearest points (also by parameter), winding angles and samples within the tolerance.
TEST(BezierCurve, MatchesItsDefinitionAndTurns) {
  const std::vector<zcPoint> probes = {zcPoint(2, 0.5),   zcPoint(-3, 4),    zcPoint(10, -10), zcPoint(1.2, 1.1),
                                       zcPoint(3.5, -0.5), zcPoint(0.72, 0.72), wavy().point(0.37)};
  for (const zcBezierCurve& c : {wavy(), quarterCircle(), steep(), loop()}) {
    SCOPED_TRACE(testing::Message() << "weights " << c.weight(0) << " " << c.weight(1) << " " << c.weight(2));
    expectMatchesDefinition(c, [&](double t) { return reference(c, t); }, probes);
    for (const zcPoint& p : probes) EXPECT_TRUE(zfRealEq(c.nearestPoint(p), c.point(c.nearestParam(p)), 1e-12));
    expectSampledWithin(c, [&](double t) { return reference(c, t); },
                        [&](const zcPoint& p) { return c.distToPoint(p); }, {0.1, 0.01, 1e-4});
  }

  const zcBezierCurve q = quarterCircle();
  EXPECT_NEAR(q.tangentRotation().value(), zkPi / 2, 1e-12);
  EXPECT_THROW(q.windingAngle(q.point(0.4)), zcShapesError::BadGeom);
  EXPECT_NEAR(q.reverse()->tangentRotation().value(), -zkPi / 2, 1e-12);
  // An S bend turns right and back: no net rotation.
  const zcBezierCurve s(zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, -1), zcPoint(3, 0));
  EXPECT_NEAR(s.tangentRotation().value(), 0.0, 1e-12);
  // A loop turns through more than a half turn: dense angle steps sum to it.
  const zcBezierCurve loop(zcPoint(0, 0), zcPoint(4, 3), zcPoint(-4, 3), zcPoint(0, 0.5));
  const double sum = sweptAngle([&](double t) { return loop.derivative(t); }, 4000);
  EXPECT_GT(std::abs(sum), zkPi);
  EXPECT_NEAR(loop.tangentRotation().value(), sum, 1e-9);
}

TEST(BezierCurve, SampleSpacingUniformAndOverflow) {
  const zcBezierCurve q = quarterCircle();
  zcSampleResult a = sampled(q, {.spacing = 0.1});
  for (std::size_t i = 1; i < a.points.size(); ++i)
    EXPECT_LE(std::abs((a.points[i].angle() - a.points[i - 1].angle()).value()), 0.1 + 1e-12);
  EXPECT_GE(a.points.size(), 17u);  // at least ⌈(π/2) / 0.1⌉ + 1
  // A circle's chords are within the tolerance of the arc, and not needlessly many.
  EXPECT_LE(sampled(q, {.tolerance = 1e-3}).points.size(), 40u);

  const zcSampleResult u = sampled(q, {.spacing = 0.1, .uniform = true});
  ASSERT_EQ(u.points.size(), 17u);  // 15 full steps and a shorter last one
  for (std::size_t i = 1; i + 1 < u.points.size(); ++i)
    EXPECT_NEAR((u.points[i].angle() - u.points[i - 1].angle()).value(), 0.1, 1e-10);
  EXPECT_EQ(u.points.back(), q.endPoint());
  EXPECT_THROW(sampled(q, {.spacing = 0.1, .tolerance = 0.01, .uniform = true}), zcShapesError::BadParams);

  EXPECT_THROW(sampled(wavy(), {.tolerance = 1e-9, .maxPoints = 50}), zcShapesError::SampleOverflow);
  EXPECT_THROW(sampled(q, {}), zcShapesError::BadParams);
}

namespace {

// Cox-de Boor: the B-spline basis, independent of the blossoming the spline uses.
double basis(const std::vector<double>& u, std::size_t i, int p, double x) {
  if (p == 0) return (u[i] <= x && x < u[i + 1]) ? 1.0 : 0.0;
  double v = 0.0;
  if (u[i + p] > u[i]) v += (x - u[i]) / (u[i + p] - u[i]) * basis(u, i, p - 1, x);
  if (u[i + p + 1] > u[i + 1]) v += (u[i + p + 1] - x) / (u[i + p + 1] - u[i + 1]) * basis(u, i + 1, p - 1, x);
  return v;
}

zcPoint deBoorReference(const std::vector<zcPoint>& d, const std::vector<double>& u, double x) {
  zcVector<2> sum;
  for (std::size_t i = 0; i < d.size(); ++i) sum += d[i] * basis(u, i, 3, x);
  return sum;
}

// Second derivative of a polynomial piece at its start and end.
zcVector<2> secondAtStart(const zcBezierCurve& c) {
  return (c.controlPoint(2) - c.controlPoint(1) * 2 + c.controlPoint(0)) * 6;
}
zcVector<2> secondAtEnd(const zcBezierCurve& c) {
  return (c.controlPoint(3) - c.controlPoint(2) * 2 + c.controlPoint(1)) * 6;
}

const std::vector<zcPoint> kPoints = {zcPoint(0, 0), zcPoint(2, 3), zcPoint(5, 1), zcPoint(7, 4), zcPoint(9, 0),
                                      zcPoint(6, -3)};

}  // namespace

TEST(CubicSpline, PiecesMustJoinAndArchivesMustHoldThem) {
  const zcBezierCurve a(zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, 1), zcPoint(3, 0));
  const zcBezierCurve b(zcPoint(3, 0), zcPoint(4, -1), zcPoint(5, -1), zcPoint(6, 0), 1, 2, 2, 1);
  const zcBezierCurve gap(zcPoint(3.01, 0), zcPoint(4, -1), zcPoint(5, -1), zcPoint(6, 0));
  const zcCubicSpline s({a, b});
  EXPECT_EQ(s.numPieces(), 2);
  EXPECT_TRUE(s.piece(1) == b);
  EXPECT_THROW(s.piece(2), zcShapesError::BadParams);
  EXPECT_THROW(zcCubicSpline({a, gap}), zcShapesError::BadParams);
  EXPECT_NEAR(s.perimeter(), a.perimeter() + b.perimeter(), 1e-12);
  EXPECT_TRUE(zfRealEq(s.boundingBox(), zcRect(a.boundingBox()).enclose(b.boundingBox()), 0.0));

  const zcCubicSpline empty;
  EXPECT_FALSE(empty.isOpenContour());
  EXPECT_THROW(empty.boundingBox(), zcShapesError::EmptyShape);
  EXPECT_THROW(empty.nearestPoint(zcPoint()), zcShapesError::EmptyShape);
  EXPECT_THROW(empty.startPoint(), zcShapesError::EmptyShape);
  EXPECT_THROW(sampled(empty, {.tolerance = 0.1}), zcShapesError::EmptyShape);

  // The join is one point, or two with duplicated corners.
  const std::vector<zcPoint> once = sampled(s, {.tolerance = 0.1}).points;
  const std::vector<zcPoint> twice = sampled(s, {.tolerance = 0.1, .duplicateCorners = true}).points;
  EXPECT_EQ(twice.size(), once.size() + 1);
  EXPECT_EQ(std::count(once.begin(), once.end(), zcPoint(3, 0)), 1);
  EXPECT_EQ(std::count(twice.begin(), twice.end(), zcPoint(3, 0)), 2);

  // A count larger than the bytes left is refused before anything is allocated.
  Bytes bad = ownBytes(zcCubicSpline({wavy()}));
  zfStoreU32(bad.data() + 8 + 2, 0x7fffffff);  // header, two version bytes, count
  expectRefused<zcArchive::BadCount>(bad, zcCubicSpline());
  // Knots that decrease make no spline.
  const Bytes knots = ownBytes(zcDeBoorSpline(kPoints, {-1, 0, 0.5, 1, 1.5, 2, 4, 4, 5, 6}));
  expectRefused<zcArchive::BadFormat>(withDouble(knots, -8, -100.0), zcDeBoorSpline(kPoints));  // the last knot
}

TEST(CubicSpline, SubShapeUniformSampleAndTurning) {
  const zcInterpSpline s(kPoints);
  const double length = s.perimeter();
  const zcShapePtr mid = s.subShape(0.25 * length, 0.75 * length);
  EXPECT_NEAR(mid->perimeter(), 0.5 * length, 1e-9);
  EXPECT_TRUE(dynamic_cast<const zcCubicSpline*>(mid.rep()) != nullptr);
  EXPECT_NEAR(s.nearestPerimPos(mid->startPoint()), 0.25 * length, 1e-9);
  EXPECT_TRUE(zfRealEq(s.subShape(0.75 * length, 0.25 * length)->startPoint(), mid->endPoint(), 1e-12));

  zcSampleResult u = sampled(s, {.spacing = 0.5, .uniform = true});
  for (std::size_t i = 1; i + 1 < u.points.size(); ++i)
    EXPECT_NEAR(s.nearestPerimPos(u.points[i]), 0.5 * static_cast<double>(i), 1e-8);
  EXPECT_EQ(u.points.back(), s.endPoint());

  // The total turning equals the sum of dense angle steps.
  double sum = 0.0;
  for (const zcBezierCurve& c : s.pieces()) sum += sweptAngle([&](double t) { return c.derivative(t); }, 1000);
  EXPECT_NEAR(s.tangentRotation().value(), sum, 1e-9);
}

TEST(DeBoorSpline, MatchesTheBasisDefinition) {
  const zcDeBoorSpline clamped(kPoints);
  EXPECT_EQ(clamped.numPieces(), 3);
  EXPECT_EQ(clamped.startPoint(), kPoints.front());
  EXPECT_EQ(clamped.endPoint(), kPoints.back());
  std::vector<zcPoint> eight = kPoints;
  eight.insert(eight.end(), {zcPoint(1, 1), zcPoint(2, 2)});
  const zcDeBoorSpline knotted(eight, {-1, 0, 0.5, 1, 1.5, 2, 2, 2, 3, 4, 5, 6});  // triple knot at 2
  EXPECT_EQ(knotted.numPieces(), 3);  // spans [1, 1.5), [1.5, 2), [2, 3)
  for (const zcDeBoorSpline* s : {&clamped, &knotted}) {
    const std::vector<double>& u = s->knots();
    const std::vector<zcPoint>& d = s->controlPoints();
    long k = 0;
    for (std::size_t j = 3; j < d.size(); ++j) {
      if (!(u[j] < u[j + 1])) continue;
      const zcBezierCurve& c = s->piece(k++);
      for (double t : {0.0, 0.3, 0.7})
        EXPECT_TRUE(zfRealEq(c.point(t), deBoorReference(d, u, u[j] + t * (u[j + 1] - u[j])), 1e-12));
    }
    for (long i = 1; i < s->numPieces(); ++i) EXPECT_EQ(s->piece(i).startPoint(), s->piece(i - 1).endPoint());
  }
  // The triple knot interpolates its control point and makes a corner there.
  EXPECT_TRUE(zfRealEq(knotted.piece(1).endPoint(), eight[4], 1e-12));
  EXPECT_GT(std::abs((knotted.piece(2).startAngle() - knotted.piece(1).endAngle()).signedNorm().value()), 0.1);

  EXPECT_THROW(zcDeBoorSpline({zcPoint(0, 0), zcPoint(1, 0), zcPoint(2, 0)}), zcShapesError::BadParams);
  EXPECT_THROW(zcDeBoorSpline(kPoints, {0, 0, 0, 0, 1, 2, 3, 3, 3}), zcShapesError::BadParams);
  EXPECT_THROW(zcDeBoorSpline(kPoints, {0, 0, 0, 0, 2, 1, 3, 3, 3, 3}), zcShapesError::BadParams);
  EXPECT_NO_THROW(zcDeBoorSpline(eight, {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2}));
  EXPECT_THROW(zcDeBoorSpline(eight, {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}), zcShapesError::BadParams);
  EXPECT_THROW(zcDeBoorSpline(kPoints, {0, 0, 0, 5, 5, 5, 5, 5, 5, 5}), zcShapesError::BadParams);
}

TEST(InterpSpline, InterpolatesSmoothly) {
  const zcInterpSpline natural(kPoints);
  ASSERT_EQ(natural.numPieces(), 5);
  for (long i = 0; i < 5; ++i) {
    EXPECT_EQ(natural.piece(i).startPoint(), kPoints[static_cast<std::size_t>(i)]);
    EXPECT_EQ(natural.piece(i).endPoint(), kPoints[static_cast<std::size_t>(i) + 1]);
  }
  for (long i = 1; i < 5; ++i) {
    EXPECT_TRUE(zfRealEq(natural.piece(i - 1).derivative(1.0), natural.piece(i).derivative(0.0), 1e-12));
    EXPECT_TRUE(zfRealEq(secondAtEnd(natural.piece(i - 1)), secondAtStart(natural.piece(i)), 1e-11));
  }
  EXPECT_TRUE(zfRealEq(secondAtStart(natural.piece(0)), zcVector<2>(), 1e-12));
  EXPECT_TRUE(zfRealEq(secondAtEnd(natural.piece(4)), zcVector<2>(), 1e-12));

  const zcInterpSpline periodic(kPoints, zcInterpSpline::ePeriodic);
  ASSERT_EQ(periodic.numPieces(), 6);
  EXPECT_EQ(periodic.endPoint(), periodic.startPoint());
  for (long i = 0; i < 6; ++i) {
    const zcBezierCurve& a = periodic.piece(i);
    const zcBezierCurve& b = periodic.piece((i + 1) % 6);
    EXPECT_TRUE(zfRealEq(a.derivative(1.0), b.derivative(0.0), 1e-12));
    EXPECT_TRUE(zfRealEq(secondAtEnd(a), secondAtStart(b), 1e-11));
  }

  const zcInterpSpline two({zcPoint(1, 1), zcPoint(4, 5)});
  EXPECT_NEAR(two.perimeter(), 5.0, 1e-13);
  EXPECT_NEAR(two.distToPoint(zcPoint(2.5, 3)), 0.0, 1e-12);
  EXPECT_THROW(zcInterpSpline({zcPoint(0, 0)}), zcShapesError::BadParams);
  EXPECT_THROW(zcInterpSpline({zcPoint(0, 0), zcPoint(1, 0)}, zcInterpSpline::ePeriodic), zcShapesError::BadParams);
  EXPECT_THROW(zcInterpSpline({zcPoint(0, 0), zcPoint(NAN, 0)}), zcShapesError::BadParams);

  // A closed spline turns and winds once.
  const zcInterpSpline ring({zcPoint(1, 0), zcPoint(0, 1), zcPoint(-1, 0), zcPoint(0, -1)}, zcInterpSpline::ePeriodic);
  EXPECT_NEAR(ring.tangentRotation().value(), 2 * zkPi, 1e-12);
  EXPECT_NEAR(ring.windingAngle(zcPoint(0.1, 0.2)).value(), 2 * zkPi, 1e-12);
  EXPECT_NEAR(ring.windingAngle(zcPoint(3, 0.2)).value(), 0.0, 1e-12);
  const zcShapePtr rev = ring.reverse();
  EXPECT_TRUE(dynamic_cast<const zcInterpSpline*>(rev.rep()) != nullptr);
  EXPECT_EQ(rev->startPoint(), ring.startPoint());
  EXPECT_NEAR(rev->tangentRotation().value(), -2 * zkPi, 1e-12);
}

TEST(HermiteSpline, FollowsItsTangents) {
  const std::vector<zcPoint> pts = {zcPoint(0, 0), zcPoint(3, 1), zcPoint(5, -2)};
  const std::vector<zcVector<2>> tans = {zcVector<2>(1, 2), zcVector<2>(3, 0), zcVector<2>(0, -4)};
  const zcHermiteSpline h(pts, tans);
  ASSERT_EQ(h.numPieces(), 2);
  for (long i = 0; i < 2; ++i) {
    const auto k = static_cast<std::size_t>(i);
    EXPECT_TRUE(zfRealEq(h.piece(i).derivative(0.0), tans[k], 1e-12));
    EXPECT_TRUE(zfRealEq(h.piece(i).derivative(1.0), tans[k + 1], 1e-12));
    EXPECT_EQ(h.piece(i).startPoint(), pts[k]);
  }
  const zcShapePtr rev = h.reverse();
  const auto& r = dynamic_cast<const zcHermiteSpline&>(*rev);
  EXPECT_TRUE(zfRealEq(r.piece(0).point(0.25), h.piece(1).point(0.75), 1e-12));
  EXPECT_THROW(zcHermiteSpline(pts, {zcVector<2>(1, 0)}), zcShapesError::BadParams);
  EXPECT_THROW(zcHermiteSpline({zcPoint(0, 0)}, {zcVector<2>(1, 0)}), zcShapesError::BadParams);
}

// The control points of a curve, or of every piece of a spline, in order.
std::vector<zcPoint> controlPoints(const zcShape& s) {
  const auto* curve = dynamic_cast<const zcBezierCurve*>(&s);
  const std::vector<zcBezierCurve> pieces = curve ? std::vector{*curve} : dynamic_cast<const zcCubicSpline&>(s).pieces();
  std::vector<zcPoint> points;
  for (const zcBezierCurve& c : pieces)
    for (int i = 0; i < 4; ++i) points.push_back(c.controlPoint(i));
  return points;
}

// The curve of the mapped data is the mapped curve: affine maps move the control points
// and keep the weights.
TEST(CubicSpline, EveryKindMapsItsControlPointsAndMapsBack) {
  const zcXform<2> x = skewXform();
  const zcInterpSpline periodic(kPoints, zcInterpSpline::ePeriodic);
  for (const zcShapePtr& s : std::vector<zcShapePtr>{
           new zcBezierCurve(wavy()), new zcDeBoorSpline(kPoints), new zcInterpSpline(periodic),
           new zcHermiteSpline({zcPoint(0, 0), zcPoint(3, 1)}, {zcVector<2>(1, 2), zcVector<2>(3, 0)}),
           new zcCubicSpline(periodic.cubicSpline())}) {
    SCOPED_TRACE(typeid(*s).name());
    const zcShapePtr m = s->mapShape(x);
    ASSERT_EQ(typeid(*m), typeid(*s));
    std::vector<zcPoint> mapped = controlPoints(*s);
    for (zcPoint& p : mapped) p = x.mapPoint(p);
    expectPoints(controlPoints(*m), mapped, 1e-10);
    expectPoints(controlPoints(*m->mapShape(x.inverse())), controlPoints(*s), 1e-9);
  }
  EXPECT_EQ(wavy().map(x).weights(), wavy().weights());
}

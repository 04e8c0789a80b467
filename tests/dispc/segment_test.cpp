// The segments of poly outlines: straight ones (zc2SegmentLine) and arcs (zc2SegmentArc).
#include "dispc/wrfm/arc.h"
#include "dispc/wrfm/lineseg.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using zc_test::Bytes;

void expectPoint(const zcPoint& p, double x, double y, double tol = 1e-12) {
  EXPECT_NEAR(p.x(), x, tol);
  EXPECT_NEAR(p.y(), y, tol);
}

void expectSameArc(const zc2SegmentArc& a, const zc2SegmentArc& b) {
  EXPECT_EQ(a.p1(), b.p1());
  EXPECT_EQ(a.midPoint(), b.midPoint());
  EXPECT_EQ(a.p2(), b.p2());
  EXPECT_EQ(a.center(), b.center());
  EXPECT_EQ(a.angleSpan(), b.angleSpan());
}

// With its version byte (at 8) set to each of `versions`, `bytes` is refused with
// UnknownVersion naming `where` and `line`, and every cut of it with UnexpectedEnd; the
// value loaded into stays as `before` was.
template <class T, class Same>
void expectVersionsAndCutsRefused(const Bytes& bytes, std::initializer_list<unsigned char> versions, const T& before,
                                  const char* where, long line, Same same) {
  for (unsigned char version : versions) {
    Bytes b = bytes;
    b[8] = version;
    zcArchive bad(b);
    T t = before;
    zc_test::expectUnknownVersion([&] { bad >> t; }, where, line);
    same(t, before);
  }
  for (std::size_t size = 8; size < bytes.size(); ++size)
    zc_test::expectRefused<zcArchive::UnexpectedEnd>(Bytes(bytes.begin(), bytes.begin() + long(size)), before);
}

double normDeg(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}

zcXform<2> linear(double m00, double m01, double m10, double m11, double tx = 0, double ty = 0) {
  return zcXform<2>(zcMatrix<2>(m00, m01, m10, m11), zcVector<2>(tx, ty));
}

void expectSame(const zc2SegmentLine& a, const zc2SegmentLine& b) {
  EXPECT_EQ(a.p1(), b.p1());
  EXPECT_EQ(a.p2(), b.p2());
}

using zc_test::stored;

}  // namespace

TEST(ArcSegConstruction, ThroughTwoPointsOrFromEllipticalArcs) {
  // Half circles counter-clockwise from (0, 0) pass below, clockwise above.
  for (const double span : {180.0, -180.0}) {
    const zc2SegmentArc half(zcPoint(0, 0), zcPoint(2, 0), zcDegree(span));
    expectPoint(half.center(), 1, 0);
    EXPECT_NEAR(half.radius(zcDegree(0)), 1, 1e-12);
    EXPECT_NEAR(std::abs(half.startAngle().value()), 180, 1e-12);
    expectPoint(half.midPoint(), 1, -span / 180);
  }

  // Every span, either sense, runs from p1 to p2 and sees the chord under the span.
  const zcPoint p1(-1, 2), p2(3, 5);
  for (double span : {1.0, 90.0, 179.0, 181.0, 270.0, 359.0, -1.0, -90.0, -179.0, -181.0, -300.0}) {
    SCOPED_TRACE(span);
    const zc2SegmentArc a(p1, p2, zcDegree(span));
    expectPoint(a.p1(), p1.x(), p1.y(), 1e-9);
    expectPoint(a.p2(), p2.x(), p2.y(), 1e-9);
    EXPECT_DOUBLE_EQ(a.angleSpan().value(), span);
    const double seen = zcDegree((a.p2() - a.center()).angle() - (a.p1() - a.center()).angle()).norm().value();
    EXPECT_NEAR(seen, normDeg(span), 1e-7);
    EXPECT_NEAR(a.length(), std::abs(span) * zkPi / 180 * a.radius(zcDegree(0)), 1e-9);
  }

  EXPECT_THROW(zc2SegmentArc(p1, p1, zcDegree(90)), zcShapesError::DegenerateShape);
  for (double span : {0.0, 1e-15, -1e-15, 360.5, -361.0, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_THROW(zc2SegmentArc(p1, p2, zcDegree(span)), zcShapesError::DegenerateShape) << span;
  for (double r : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_THROW(zc2SegmentArc(zcPoint(0, 0), r, zcDegree(0), zcDegree(90)), zcShapesError::DegenerateShape);
  EXPECT_THROW(zc2SegmentArc(zcPoint(0, 0), 1, zcDegree(std::numeric_limits<double>::infinity()), zcDegree(90)),
               zcShapesError::BadParams);

  // Elliptical arcs hand their points over, and the arc hands back equivalent ones.
  const zcEllipse ellipse(zcPoint(2, -1), 3, 1, zcRadian(zkPi / 6));
  for (double span : {100.0, -100.0, 360.0, -250.0}) {
    SCOPED_TRACE(span);
    const zcEllipseArc source(ellipse, zcRadian(0.4), zcRadian(zcDegree(span)));
    for (const zc2SegmentArc& a : {zc2SegmentArc(source), zc2SegmentArc(zcEllipseArc2(source))}) {
      EXPECT_LT(a.p1().distance(source.startPoint()), 1e-12);
      EXPECT_LT(a.p2().distance(source.endPoint()), 1e-12);
      EXPECT_LT(a.center().distance(zcPoint(2, -1)), 1e-12);
      EXPECT_LT(source.nearestPoint(a.midPoint()).distance(a.midPoint()), 1e-12);
      EXPECT_LT(a.ellipseArc().startPoint().distance(source.startPoint()), 1e-12);
      EXPECT_LT(a.ellipseArc2().endPoint().distance(source.endPoint()), 1e-12);
      EXPECT_NEAR(a.ellipseArc().perimeter(), source.perimeter(), 1e-9);
      EXPECT_NEAR(a.ellipseArc2().perimeter(), source.perimeter(), 1e-9);
      EXPECT_LT(a.boundingBox().size().distance(source.boundingBox().size()), 1e-12);
    }
  }
  EXPECT_THROW(zc2SegmentArc(zcEllipseArc(zcEllipse(zcPoint(0, 0), 2, 0, zcRadian(0)), zcRadian(0), zcRadian(1))),
               zcShapesError::DegenerateShape);
}

TEST(ArcSegWorld, MirrorKeepsThePointsAndFlipsTheSpan) {
  const zcXform<2> mirror = linear(1, 0, 0, -1);
  const zc2SegmentArc a(zcPoint(1, 1), 2, zcDegree(10), zcDegree(120));
  const zc2SegmentArc m = mirror * a;
  for (double t : {0.0, 0.3, 1.0}) {
    const zcPoint expected = mirror.mapPoint(a.segPoint(t));
    expectPoint(m.segPoint(t), expected.x(), expected.y());
  }
  EXPECT_NEAR(m.angleSpan().value(), -120, 1e-12);
  EXPECT_NEAR(m.startAngle().value(), -10, 1e-12);
  EXPECT_NEAR(m.startDirection().value(), -100, 1e-12);
  EXPECT_EQ((mirror * zc2SegmentArc()).angleSpan().value(), -360);
  // An arc symmetric about the mirror line covers the same points, ends swapped.
  const zc2SegmentArc sym(zcPoint(0, 0), 1, zcDegree(-40), zcDegree(80));
  const zc2SegmentArc msym = mirror * sym;
  expectPoint(msym.p1(), sym.p2().x(), sym.p2().y());
  for (double t = 0; t <= 1; t += 0.125) EXPECT_LT(sym.distToPoint(msym.segPoint(t)), 1e-12);

  EXPECT_THROW(linear(1, 2, 2, 4) * a, zcShapesError::DegenerateShape);
  const zc2SegmentArc r = zc2Rigid(zcRadian(zkPi / 2), zcVector<2>(0, 1)) * a;
  expectSameArc(r, zc2Rigid(zcRadian(zkPi / 2), zcVector<2>(0, 1)).xform() * a);
  expectPoint(r.center(), -1, 2);
}

TEST(ArcSegWorld, EllipticalArcsMeasureFromTheWorldCenter) {
  const zcXform<2> x = zcXform<2>(zcMatrix<2>::rotation(zcRadian(0.5)), zcVector<2>(5, -2)) * zcXform<2>::scaling(3, 1);
  const zc2SegmentArc local(zcPoint(1, 0), 2, zcDegree(-30), zcDegree(200));
  const zc2SegmentArc a = x * local;
  for (double t : {0.0, 0.25, 0.8, 1.0}) {
    SCOPED_TRACE(t);
    const zcPoint p = a.segPoint(t);
    EXPECT_LT(p.distance(x.mapPoint(local.segPoint(t))), 1e-12);
    // The world angle is the direction of the point from the world center.
    EXPECT_NEAR(zcDegree(a.angle(t) - zcDegree((p - a.center()).angle())).signedNorm().value(), 0, 1e-9);
    EXPECT_LT(a.arcPoint(a.angle(t)).distance(p), 1e-12);
    // Heading and tangent follow the curve.
    const zcPoint ahead = a.segPoint(t + 1e-6);
    EXPECT_NEAR(zcDegree(a.direction(t) - zcDegree((ahead - p).angle())).signedNorm().value(), 0, 1e-3);
    EXPECT_NEAR(a.tangent(t).signedDistance(p), 0, 1e-12);
    EXPECT_NEAR(a.tangent(t).direction().cross((ahead - p) / (ahead - p).length()), 0, 1e-5);
    EXPECT_TRUE(a.inRange(a.center() + (p - a.center()) * 1.5, true));
  }
  EXPECT_FALSE(a.validAngle(a.angle(1.1), true));
  EXPECT_FALSE(a.inRange(a.center(), true));
  // The world span is the turn from p1 to p2 seen from the center, not the local 200.
  const double turn = normDeg(zcDegree((a.p2() - a.center()).angle() - (a.p1() - a.center()).angle()).value());
  EXPECT_NEAR(a.angleSpan().value(), turn, 1e-9);
  EXPECT_GT(std::abs(turn - 200), 1);
  // The centroid of the local curve, mapped; a zero span's is its point.
  const zc2SegmentArc half(zcPoint(0, 0), 1, zcDegree(0), zcDegree(180));
  expectPoint((zcXform<2>::scaling(2, 1) * half).centerOfMass(), 0, 2 / zkPi);
  expectPoint(zc2SegmentArc(zcPoint(3, 4), 2, zcDegree(90), zcDegree(0)).centerOfMass(), 3, 6);
}

TEST(ArcSegRange, EndsCountOnlyWhenInclusiveAndClosestPoints) {
  // The default arc is the full unit circle: every angle lies on it, ends or not.
  const zc2SegmentArc full;
  EXPECT_EQ(full.center(), zcPoint(0, 0));
  EXPECT_EQ(full.angleSpan().value(), 360);
  EXPECT_EQ(full.p1(), zcPoint(1, 0));
  EXPECT_EQ(full.p2(), zcPoint(1, 0));
  EXPECT_DOUBLE_EQ(full.length(), 2 * zkPi);
  expectPoint(full.centerOfMass(), 0, 0, 1e-15);
  for (double angle = -720; angle <= 720; angle += 7.5) {
    EXPECT_TRUE(full.validAngle(zcDegree(angle), true)) << angle;
    EXPECT_TRUE(full.validAngle(zcDegree(angle), false)) << angle;
  }
  EXPECT_EQ(zc2SegmentArc(zcPoint(0, 0), 1, zcDegree(30), zcDegree(-360)).angleSpan().value(), -360);
  // An angle on the unit arc (start, span), inclusive and exclusive of the ends, in
  // degrees; within |span| × 1e-13 of an end is at the end.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double start, span, angle;
    bool inclusive, exclusive;
  } angles[] = {
      {0, 90, 0, true, false},     {0, 90, 90, true, false},      {0, 90, 360, true, false},
      {0, 90, -270, true, false},  {0, 90, 45 - 360, true, true}, {0, 90, 91, false, false},
      {10, 37.5, 10 - 2e-12, true, false},   {10, 37.5, 10 + 2e-12, true, false},
      {10, 37.5, 47.5 - 2e-12, true, false}, {10, 37.5, 47.5 + 2e-12, true, false},
      {10, 37.5, 10 - 1e-9, false, false},   {10, 37.5, 10 + 1e-9, true, true},
      // Clockwise from 30 to −60, across 0.
      {30, -90, 320, true, true},  {30, -90, 300, true, false},  {30, -90, 31, false, false},
      {30, -90, nan, false, false},
  };
  for (const auto& row : angles) {
    const zc2SegmentArc arc(zcPoint(0, 0), 1, zcDegree(row.start), zcDegree(row.span));
    EXPECT_EQ(arc.validAngle(zcDegree(row.angle), true), row.inclusive) << row.start << " " << row.angle;
    EXPECT_EQ(arc.validAngle(zcDegree(row.angle), false), row.exclusive) << row.start << " " << row.angle;
  }

  const zc2SegmentArc a(zcPoint(1, 2), 3, zcDegree(0), zcDegree(90));
  // The center gives the point at angle 0, on the arc or not.
  EXPECT_EQ(a.closestPoint(zcPoint(1, 2)), zcPoint(4, 2));
  EXPECT_EQ(zc2SegmentArc(zcPoint(1, 2), 3, zcDegree(120), zcDegree(90)).closestPoint(zcPoint(1, 2)), zcPoint(4, 2));
  expectPoint(a.closestPoint(zcPoint(2, 3)), 1 + 3 / std::sqrt(2), 2 + 3 / std::sqrt(2));
  // Out of range: the nearer end, the start on a tie.
  EXPECT_EQ(a.closestPoint(zcPoint(-1, 10)), zcPoint(1, 5));
  EXPECT_EQ(a.closestPoint(zcPoint(-5, -4)), zcPoint(4, 2));
  // Under a map the query goes through the local frame.
  const zc2SegmentArc m = linear(2, 0, 0, 1, 10, 0) * a;
  EXPECT_EQ(m.closestPoint(m.center()), zcPoint(18, 2));
  EXPECT_EQ(m.closestPoint(zcPoint(0, 20)), zcPoint(12, 5));
  EXPECT_TRUE(a.validPoint(zcPoint(1, 5), false));
  EXPECT_FALSE(a.validPoint(zcPoint(4 + 1e-13, 2)));
  // Under a map the point is taken back to the local frame and mapped again before its
  // distance is measured: these two points of a mapped arc are decided by that rounding.
  const struct {
    double turn, tx, ty, t;
    bool valid;
  } mapped[] = {{-150, 0.6, -1.8, 1.0, true}, {-170, -2, -0.75, 0.0, false}};
  for (const auto& row : mapped) {
    const zc2SegmentArc r =
        zcXform<2>(zcMatrix<2>(3, 0, 0, 3) * zcMatrix<2>::rotation(zcRadian(zcDegree(row.turn))),
                   zcVector<2>(row.tx, row.ty)) *
        zc2SegmentArc(zcPoint(0.7, -1.3), 1.6, zcDegree(20), zcDegree(250));
    EXPECT_EQ(r.validPoint(r.segPoint(row.t)), row.valid) << row.turn;
  }
}

// Crossings, tangencies, shared ends and near misses.
TEST(SegmentIntersection, TangenciesSharedEndsAndNearMisses) {
  const zc2SegmentArc unit, upper(zcPoint(0, 0), 2, zcDegree(0), zcDegree(180));
  const zc2SegmentArc first(zcPoint(0, 0), zcPoint(2, 0), zcDegree(90));
  const zc2SegmentArc second(zcPoint(2, 0), zcPoint(4, 2), zcDegree(-90));
  const auto circle = [](double x, double r) { return zc2SegmentArc(zcPoint(x, 0), r, zcDegree(0), zcDegree(360)); };
  const auto line = [](double y) { return zcFLine(zcPoint(-5, y), zcPoint(5, y)); };
  const auto seg = [](double x1, double y1, double x2, double y2) {
    return zc2SegmentLine(zcPoint(x1, y1), zcPoint(x2, y2));
  };
  using Hits = std::function<std::vector<zcPoint>(bool)>;
  const auto meet = [](const auto& a, const auto& b) -> Hits {
    return [a, b](bool exclusive) { return a.intersection(b, exclusive); };
  };
  const zc2SegmentArc flat = linear(2, 0, 0, 0.5, 0.01, 0) * unit;
  // The points found inclusive and exclusive of the ends, and how many of the
  // inclusive ones lie within `tol` of `at`.
  const std::tuple<Hits, std::size_t, std::size_t, zcPoint, double, long> rows[] = {
      {meet(upper, line(0)), 2, 0, zcPoint(-2, 0), 1e-12, 1},  // through both ends
      {meet(upper, line(2)), 1, 0, zcPoint(0, 2), 1e-12, 1},   // touching
      {meet(upper, line(2 + 1e-12)), 0, 0, zcPoint(), 0, 0},
      {meet(upper, seg(0, 1, 3, 1)), 1, 1, zcPoint(std::sqrt(3), 1), 1e-12, 1},
      {meet(unit, zcFLine(zcPoint(0, 0), zcPoint(0, 0) + zcVector<2>(zcRadian(0.5), 2))), 2, 2,
       zcPoint(std::cos(0.5), std::sin(0.5)), 1e-12, 1},  // through the center
      {meet(upper, seg(0, 0, 0, 2)), 1, 0, zcPoint(0, 2), 1e-12, 1},
      {meet(linear(3, 0, 0, 1) * unit, zcFLine(zcPoint(1.5, -5), zcPoint(1.5, 5))), 2, 2,
       zcPoint(1.5, std::sqrt(3) / 2), 1e-12, 1},
      // Full circles touching exactly meet once whatever the flag; one unit of
      // rounding apart (the cosine just above 1) only inclusive.
      {meet(unit, circle(2, 1)), 1, 1, zcPoint(1, 0), 0, 1},
      {meet(unit, circle(std::nextafter(2.0, 3.0), 1)), 1, 0, zcPoint(1, 0), 1e-15, 1},
      {meet(unit, circle(2 + 1e-9, 1)), 0, 0, zcPoint(), 0, 0},
      {meet(unit, circle(0.5, 0.5)), 1, 1, zcPoint(1, 0), 0, 1},  // inside
      {meet(unit, zc2SegmentArc(zcPoint(0, 0), 1, zcDegree(0), zcDegree(90))), 0, 0, zcPoint(), 0, 0},  // concentric
      {meet(first, second), 1, 0, zcPoint(2, 0), 1e-12, 1},  // chained
      // An ellipse and a circle: four points on the unit circle, two on an upper half.
      {meet(unit, flat), 4, 4, zcPoint(0, 0), 1 + 1e-12, 4},
      {meet(flat, unit), 4, 4, zcPoint(0, 0), 1 + 1e-12, 4},
      {meet(unit, linear(2, 0, 0, 0.5, 0.01, 0) * upper), 2, 2, zcPoint(0, 0), 1 + 1e-12, 2},
      // A crossing where the other arc's parameter wraps is found once, as a crossing.
      {meet(circle(0, 2), linear(1, 1, 0, 3, 1, 0) * unit), 4, 4, zcPoint(2, 0), 1e-12, 1},
      // Touching from outside at (1, 0): a tangency, refused when exclusive.
      {meet(unit, linear(2, 0, 0, 0.5, 3, 0) * unit), 1, 0, zcPoint(1, 0), 1e-6, 1},
      {meet(unit, linear(2, 0, 0, 0.5, 3 + 1e-6, 0) * unit), 0, 0, zcPoint(), 0, 0},
      // Straight pieces: one ends on the other (a T) or both share an end, either way
      // round; parallel and overlapping ones; infinite lines count this range only.
      {meet(seg(0, 0, 4, 4), seg(3, 1, 2, 2)), 1, 0, zcPoint(2, 2), 1e-12, 1},
      {meet(seg(3, 1, 2, 2), seg(0, 0, 4, 4)), 1, 0, zcPoint(2, 2), 1e-12, 1},
      {meet(seg(0, 0, 4, 4), seg(4, 4, 8, 0)), 1, 0, zcPoint(4, 4), 1e-12, 1},
      {meet(seg(4, 4, 8, 0), seg(0, 0, 4, 4)), 1, 0, zcPoint(4, 4), 1e-12, 1},
      {meet(seg(0, 0, 4, 4), seg(1, 0, 5, 4)), 0, 0, zcPoint(), 0, 0},
      {meet(seg(0, 0, 4, 4), seg(1, 1, 6, 6)), 0, 0, zcPoint(), 0, 0},
      {meet(seg(0, 0, 4, 4), zcFLine(zcPoint(100, -97), zcPoint(101, -98))), 1, 1, zcPoint(1.5, 1.5), 1e-12, 1},
      {meet(seg(0, 0, 4, 4), zcFLine(zcPoint(0, 0), zcPoint(-1, 1))), 1, 0, zcPoint(0, 0), 1e-12, 1},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& [hits, inclusive, exclusive, at, tol, near] = rows[i];
    const std::vector<zcPoint> found = hits(false);
    EXPECT_EQ(found.size(), inclusive) << "row " << i;
    EXPECT_EQ(hits(true).size(), exclusive) << "row " << i;
    EXPECT_EQ(std::count_if(found.begin(), found.end(), [&](const zcPoint& p) { return p.distance(at) <= tol; }), near)
        << "row " << i;
  }
  // Points come in the line's direction.
  EXPECT_LT(upper.intersection(zcFLine(zcPoint(5, 0), zcPoint(-5, 0)))[0].distance(zcPoint(2, 0)), 1e-12);
}

// --- Against dense sampling ---------------------------------------------------------------------

namespace {

// A piece as the test knows it: a point at u in [0, 1] and a distance off the piece,
// computed without the class (an arc in its local frame, which the test's maps
// stretch by at most 2.5).
struct Piece {
  bool isArc = false, stretched = false;
  zcPoint a, b;                         // line
  zcPoint c;                            // arc, local
  double r = 1, start = 0, span = 360;  // degrees
  zcXform<2> x;

  zcPoint at(double u) const {
    if (!isArc) return a + (b - a) * u;
    const double ang = (start + span * u) * zkPi / 180;
    return x.mapPoint(c + zcVector<2>(std::cos(ang), std::sin(ang)) * r);
  }
  double offBy(const zcPoint& p) const {
    if (!isArc) return p.distance(a + (b - a) * std::clamp((p - a).dot(b - a) / (b - a).lengthSq(), 0.0, 1.0));
    const zcPoint q = x.invMapPoint(p);
    const double along = normDeg((span >= 0 ? 1 : -1) * (std::atan2(q.y() - c.y(), q.x() - c.x()) * 180 / zkPi - start));
    const double beyond = std::abs(span) >= 360 ? 0 : std::min(std::max(0.0, along - std::abs(span)), 360 - along);
    return std::abs(q.distance(c) - r) + beyond * zkPi / 180 * r;
  }
  zc2SegmentArc arc() const { return x * zc2SegmentArc(c, r, zcDegree(start), zcDegree(span)); }
  std::vector<zcPoint> ends() const {
    if (isArc && std::abs(span) >= 360) return {};
    return {at(0), at(1)};
  }
  // The piece as C++, to paste into a regression test.
  std::string cpp() const {
    std::ostringstream out;
    out << std::setprecision(17);
    if (!isArc) {
      out << "zc2SegmentLine(zcPoint(" << a.x() << ", " << a.y() << "), zcPoint(" << b.x() << ", " << b.y() << "))";
      return out.str();
    }
    const zcMatrix<2> m = x.matrix();
    out << "zcXform<2>(zcMatrix<2>(" << m.element(0, 0) << ", " << m.element(0, 1) << ", " << m.element(1, 0) << ", "
        << m.element(1, 1) << "), zcVector<2>(" << x.trans().x() << ", " << x.trans().y() << ")) * zc2SegmentArc(zcPoint("
        << c.x() << ", " << c.y() << "), " << r << ", zcDegree(" << start << "), zcDegree(" << span << "))";
    return out.str();
  }
};

// Crossings of the two pieces sampled as polylines of 1000 chords, with the sine of
// the crossing angle. Runs of 25 chords are boxed so that few pairs are tried.
std::vector<std::pair<zcPoint, double>> sampledCrossings(const Piece& p, const Piece& q) {
  const int n = 1000, run = 25;
  std::vector<zcPoint> sp(n + 1), sq(n + 1);
  for (int i = 0; i <= n; ++i) sp[i] = p.at(double(i) / n), sq[i] = q.at(double(i) / n);
  const auto box = [&](const std::vector<zcPoint>& s, int from) {
    zcRect r;
    for (int i = from; i <= from + run; ++i) r.enclose(s[i]);
    return r;
  };
  std::vector<zcRect> boxQ;
  for (int j = 0; j < n; j += run) boxQ.push_back(box(sq, j));
  std::vector<std::pair<zcPoint, double>> out;
  for (int bi = 0; bi < n; bi += run) {
    const zcRect boxP = box(sp, bi);
    for (int bj = 0; bj < n; bj += run) {
      if (!boxP.intersects(boxQ[bj / run])) continue;
      for (int i = bi; i < bi + run; ++i) {
        for (int j = bj; j < bj + run; ++j) {
          const zcVector<2> r = sp[i + 1] - sp[i], s = sq[j + 1] - sq[j], w = sq[j] - sp[i];
          const double den = r.cross(s);
          if (den == 0) continue;
          const double u = w.cross(s) / den, v = w.cross(r) / den;
          if (u >= 0 && u < 1 && v >= 0 && v < 1) out.push_back({sp[i] + r * u, std::abs(den) / (r.length() * s.length())});
        }
      }
    }
  }
  return out;
}

zcXform<2> randomXform(std::mt19937& rng, int kind) {
  std::uniform_real_distribution<double> unit(-1, 1);
  const zcVector<2> shift(3 * unit(rng), 3 * unit(rng));
  if (kind == 0) return zcXform<2>::translation(shift);
  if (kind == 1) {  // a similarity, mirrored half of the time
    const double s = 1.2 + 0.6 * unit(rng), turn = zkPi * unit(rng), flip = unit(rng) < 0 ? -1 : 1;
    return zcXform<2>(zcMatrix<2>(s, s, zcRadian(turn), zcRadian(turn)) * zcMatrix<2>(1, 0, 0, flip), shift);
  }
  for (;;) {  // singular values between 0.4 and 2.5, visibly unequal
    const zcMatrix<2> m(2 * unit(rng), 2 * unit(rng), 2 * unit(rng), 2 * unit(rng));
    const double sumSq = m.col(0).lengthSq() + m.col(1).lengthSq(), det = std::abs(m.determinant());
    const double big = std::sqrt(sumSq / 2 + std::sqrt(std::max(0.0, sumSq * sumSq / 4 - det * det))), small = det / big;
    if (small > 0.4 && big < 2.5 && big / small > 1.3) return zcXform<2>(m, shift);
  }
}

Piece randomArc(std::mt19937& rng) {
  std::uniform_real_distribution<double> unit(0, 1);
  Piece p;
  p.isArc = true;
  p.c = zcPoint(-2 + 4 * unit(rng), -2 + 4 * unit(rng));
  p.r = 0.5 + 2.5 * unit(rng);
  p.start = -180 + 360 * unit(rng);
  p.span = (unit(rng) < 0.5 ? -1 : 1) * (unit(rng) < 0.15 ? 360 : 20 + 320 * unit(rng));
  const int kind = static_cast<int>(unit(rng) * 3);
  p.x = randomXform(rng, kind);
  p.stretched = kind == 2;
  return p;
}

// Lines through the region of the arcs, so that most pairs cross.
Piece randomLine(std::mt19937& rng) {
  std::uniform_real_distribution<double> unit(0, 1);
  const zcPoint mid(-3 + 6 * unit(rng), -3 + 6 * unit(rng));
  const zcVector<2> half(zcRadian(2 * zkPi * unit(rng)), 2 + 4 * unit(rng));
  Piece p;
  p.a = mid - half;
  p.b = mid + half;
  return p;
}

double nearestOf(const std::vector<zcPoint>& points, const zcPoint& p) {
  double best = std::numeric_limits<double>::infinity();
  for (const zcPoint& q : points) best = std::min(best, q.distance(p));
  return best;
}

// Every reported point lies on both pieces; exclusive results are the inclusive ones
// away from the ends; every clean sampled crossing is reported. Returns the number
// of sampled crossings checked.
int checkPair(const Piece& p, const Piece& q, const std::function<std::vector<zcPoint>(bool)>& intersect) {
  const std::vector<zcPoint> inclusive = intersect(false), exclusive = intersect(true);
  std::vector<zcPoint> ends = p.ends();
  for (const zcPoint& e : q.ends()) ends.push_back(e);
  for (const zcPoint& hit : inclusive) {
    EXPECT_LT(std::max(p.offBy(hit), q.offBy(hit)), 1e-9) << hit.x() << " " << hit.y();
    if (nearestOf(ends, hit) > 1e-6) {
      EXPECT_LT(nearestOf(exclusive, hit), 1e-12) << hit.x() << " " << hit.y();
    }
  }
  for (const zcPoint& hit : exclusive) {
    EXPECT_LT(nearestOf(inclusive, hit), 1e-12);
    EXPECT_GT(nearestOf(ends, hit), 1e-9);
  }
  int checked = 0;
  for (const auto& [at, sine] : sampledCrossings(p, q)) {
    // Shallow crossings are near tangencies, where the sampling is not precise.
    if (sine < 0.25 || nearestOf(ends, at) < 1e-2) continue;
    EXPECT_LT(nearestOf(inclusive, at), 1e-3) << "missed crossing at " << at.x() << " " << at.y();
    ++checked;
  }
  return checked;
}

}  // namespace

// Seed 42: an arc against a line; seed 7: two arcs, each against the other; seed 5:
// two lines. Enough clean crossings must be checked, under stretching maps too.
TEST(SegmentIntersection, AgreesWithSamplingAgainstLinesAndArcs) {
  for (const auto& [seed, kind, least, leastStretched] :
       {std::tuple{42u, 0, 120, 40}, {7u, 1, 200, 120}, {5u, 2, 140, -1}}) {
    std::mt19937 rng(seed);
    int checked = 0, checkedStretched = 0;
    for (int i = 0; i < 400 && !testing::Test::HasFailure(); ++i) {
      const Piece p = kind == 2 ? randomLine(rng) : randomArc(rng), q = kind == 1 ? randomArc(rng) : randomLine(rng);
      SCOPED_TRACE("seed " + std::to_string(seed) + " pair " + std::to_string(i) + ": (" + p.cpp() +
                   ").intersection(" + q.cpp() + ", exclusive);");
      int n = 0;
      if (kind == 1) {
        const zc2SegmentArc a = p.arc(), b = q.arc();
        n = checkPair(p, q, [&](bool exclusive) { return a.intersection(b, exclusive); }) +
            checkPair(q, p, [&](bool exclusive) { return b.intersection(a, exclusive); });
      } else if (kind == 0) {
        const zc2SegmentArc a = p.arc();
        const zc2SegmentLine l(q.a, q.b);
        n = checkPair(p, q, [&](bool exclusive) { return a.intersection(l, exclusive); });
      } else {
        const zc2SegmentLine l(p.a, p.b), m(q.a, q.b);
        n = checkPair(p, q, [&](bool exclusive) { return l.intersection(m, exclusive); });
      }
      checked += n;
      checkedStretched += p.stretched || q.stretched ? n : 0;
    }
    EXPECT_GT(checked, least) << seed;
    EXPECT_GT(checkedStretched, leastStretched) << seed;
  }
}

// --- Equality, text, archive ----------------------------------------------------------------------

TEST(ArcSegEquality, WorldGeometryDecidesAndTheTextShowsIt) {
  const zc2SegmentArc a(zcPoint(1, 2), 3, zcDegree(30), zcDegree(100));
  EXPECT_TRUE(a == zcXform<2>::translation(zcVector<2>(1, 2)) * zc2SegmentArc(zcPoint(0, 0), 3, zcDegree(30), zcDegree(100)));
  EXPECT_FALSE(a != a);
  for (const zc2SegmentArc& other : {zc2SegmentArc(zcPoint(1, 2), 3, zcDegree(30 + 1e-13), zcDegree(100)),
                                     zc2SegmentArc(zcPoint(1, 2), 3, zcDegree(30), zcDegree(100 + 1e-13)),
                                     zc2SegmentArc(zcPoint(1, 2 + 1e-14), 3, zcDegree(30), zcDegree(100)),
                                     zc2SegmentArc(zcPoint(1, 2), 3 + 1e-14, zcDegree(30), zcDegree(100)),
                                     zc2SegmentArc(zcPoint(1, 2), 3, zcDegree(130), zcDegree(-100))}) {
    EXPECT_TRUE(a != other);
    EXPECT_FALSE(a == other);
  }
  // Stretched: the radius differs at the end.
  const zc2SegmentArc quarter(zcPoint(0, 0), 1, zcDegree(0), zcDegree(90));
  EXPECT_TRUE(quarter != zcXform<2>::scaling(1, 2) * quarter);
  // The text form: world values, then an empty line.
  std::wostringstream out;
  out << zc2SegmentArc(zcPoint(1.5, 2), 3, zcDegree(90), zcDegree(-45));
  EXPECT_EQ(out.str(), L"center=1.5 2\nradius=3\nstartAngle=90\nangleSpan=-45\n\n");
  std::wostringstream mapped;
  mapped << linear(2, 0, 0, -2, 1, 1) * zc2SegmentArc(zcPoint(1, 0), 1, zcDegree(90), zcDegree(30));
  EXPECT_EQ(mapped.str(), L"center=3 1\nradius=2\nstartAngle=-90\nangleSpan=-30\n\n");
}

TEST(ArcSegArchive, BytesRoundTripAndRefusals) {
  const zc2SegmentArc a = linear(2, 0.5, -1, 1, 3, 4) * zc2SegmentArc(zcPoint(1, -2), 2.5, zcDegree(15), zcDegree(-200));
  const Bytes bytes = stored(a);
  // 8-byte header, version 1, center, radius, start, span, then the 56-byte transform.
  ASSERT_EQ(bytes.size(), 8u + 1 + 16 + 24 + 56);
  EXPECT_EQ(bytes[8], 1);
  EXPECT_EQ(zfLoadF64(&bytes[17]), -2.0);
  EXPECT_EQ(zfLoadF64(&bytes[41]), -200.0);
  EXPECT_EQ(zfLoadF64(&bytes[57]), 0.5);  // m01
  zcArchive in(bytes);
  zc2SegmentArc back;
  in >> back;
  expectSameArc(back, a);
  EXPECT_EQ(in.remaining(), 0u);
  // Version 0 has no transform: the identity.
  Bytes v0(bytes.begin(), bytes.begin() + 49);
  v0[8] = 0;
  zcArchive in0(v0);
  in0 >> back;
  expectSameArc(back, zc2SegmentArc(zcPoint(1, -2), 2.5, zcDegree(15), zcDegree(-200)));

  // Refusals leave the arc as it was.
  const zc2SegmentArc before(zcPoint(7, 7), 1, zcDegree(0), zcDegree(45));
  expectVersionsAndCutsRefused(bytes, {2, 255}, before, "dispc/wrfm/arc", 147, expectSameArc);
  // Radius 0 or negative, an infinite start angle, a singular transform (m00 = 0 of an
  // identity, with a matching stored determinant).
  const Bytes plain = stored(zc2SegmentArc(zcPoint(1, -2), 2.5, zcDegree(15), zcDegree(90)));
  const std::vector<std::pair<std::size_t, double>> patches[] = {{{25, 0.0}},
                                                                  {{25, -1.0}},
                                                                  {{33, std::numeric_limits<double>::infinity()}},
                                                                  {{49, 0.0}, {97, 0.0}}};
  for (const auto& patch : patches) {
    Bytes b = plain;
    for (const auto& [at, value] : patch) zfStoreF64(&b[at], value);
    zc_test::expectRefused<zcArchive::BadFormat>(b, before);
  }
}

// --- Straight segments ---------------------------------------------------------------------------

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

TEST(LineSegEquality, CoordinatesWithinTenToTheMinusFifteenAndText) {
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
  std::wostringstream out;  // the text form: the points, then an empty line
  out << zc2SegmentLine(zcPoint(1.5, -2), zcPoint(3, 4));
  EXPECT_EQ(out.str(), L"p1_=1.5 -2\np2_=3 4\n\n");
}

TEST(LineSegArchive, BytesRoundTripAndRefusals) {
  const zc2SegmentLine s(zcPoint(1.25, -2), zcPoint(3, 1e-300));
  const Bytes good = stored(s);
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
  expectVersionsAndCutsRefused(good, {1, 255}, before, "dispc/wrfm/lineseg", 105, expectSame);
  Bytes nan = good;
  zfStoreF64(&nan[25], std::numeric_limits<double>::quiet_NaN());
  zc_test::expectRefused<zcArchive::BadFormat>(nan, before);
}

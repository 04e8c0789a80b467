#include "zfound/conics.h"

#include "zfound/archive.h"
#include "zfound/genrect.h"
#include "zfound/rect.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

using namespace zc_test;

namespace {

using Geom = zcEllipse::zcEllipseGeom;

const double kTwoPi = 2.0 * zkPi;

zcRadian deg(double d) { return zcRadian(zcDegree(d)); }

// A mirror, a shear and a translation.
zcXform<2> mirrorShear() { return zcXform<2>(zcMatrix<2>(1.0, 0.7, 0.2, -1.3), zcVector<2>(-3.0, 4.0)); }

// A transform, point or arc as C++, for regression tests pasted from a failure.
std::string cpp(const zcXform<2>& x) {
  std::ostringstream out;
  const zcMatrix<2> m = x.matrix();
  out << std::setprecision(17) << "zcXform<2>(zcMatrix<2>(" << m.element(0, 0) << ", " << m.element(0, 1) << ", "
      << m.element(1, 0) << ", " << m.element(1, 1) << "), zcVector<2>(" << x.trans().x() << ", " << x.trans().y()
      << "))";
  return out.str();
}
std::string cpp(const zcEllipseArc2& a) {
  std::ostringstream out;
  out << std::setprecision(17) << "zcEllipseArc2(zcEllipse2(" << cpp(a.ellFromUnitCirc()) << "), zcRadian("
      << a.phiStart().value() << "), zcRadian(" << a.phiSpan().value() << "))";
  return out.str();
}

zcPoint onXform(const zcXform<2>& x, double t) { return x.mapPoint(zcPoint(std::cos(t), std::sin(t))); }

}  // namespace

TEST(ConicsDecomposition, GeometryAndPhaseReproduceTheMap) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  std::vector<zcMatrix<2>> ms = {zcMatrix<2>(2, 0, 0, 2), zcMatrix<2>(0, -1, 1, 0), zcMatrix<2>(1, 0, 0, -1),
                                 zcMatrix<2>(3, 6, 1, 2), zcMatrix<2>(0, 0, 0, 0), zcMatrix<2>(1e-9, 0, 0, 5)};
  for (int i = 0; i < 200; ++i) ms.emplace_back(u(rng), u(rng), u(rng), u(rng));
  for (const zcMatrix<2>& m : ms) {
    const zcXform<2> x(m, zcVector<2>(u(rng), u(rng)));
    SCOPED_TRACE("seed 42: Geom::fromUnitXform(" + cpp(x) + ", phase);");
    zcRadian phase;
    const Geom g = Geom::fromUnitXform(x, phase);
    EXPECT_TRUE(zfRealEq(g.unitXform() * zcXform<2>::rotation(-phase), x, 1e-12 * (1 + m.xScale() + m.yScale())));
    // A circle takes any phase (its rotation is 0 instead).
    if (std::abs(g.xRadius() - g.yRadius()) > 1e-9) {
      EXPECT_LE(std::abs(phase.value()), zkPi / 4 + 1e-12);
    }
    if (m.determinant() != 0.0) {
      EXPECT_EQ(g.isRightHanded(), m.determinant() > 0.0);
    }
    // What a sketch keeps of a zcEllipse2 (radii, angle, center, handedness, phase)
    // rebuilds it.
    const zcEllipse2 e2(x);
    const zcEllipse2 rebuilt(e2.radii(), e2.angle(), e2.center(), e2.isRightHanded(), e2.phase());
    EXPECT_TRUE(zfRealEq(rebuilt, e2, 1e-12 * (1 + m.xScale() + m.yScale())));
  }
  // A circle takes rotation 0 and puts the turn into the phase.
  zcRadian phase;
  const Geom circle = Geom::fromUnitXform(
      zcXform<2>(zcMatrix<2>::rotation(zcRadian(0.3)) * zcMatrix<2>::scaling(2, 2), zcVector<2>()), phase);
  EXPECT_EQ(circle.rotation().value(), 0.0);
  EXPECT_NEAR(phase.value(), -0.3, 1e-15);
  // A geometry comes back from its own unit map whatever the order of its radii.
  for (const Geom& g : {Geom(zcPoint(1, 2), 2, 5, deg(170)), Geom(zcPoint(0, 0), 5, 2, deg(-40), false),
                        Geom(zcPoint(-3, 1), 1, 4, deg(90))}) {
    const Geom back = Geom::fromUnitXform(g.unitXform(), phase);
    EXPECT_NEAR(back.xRadius(), g.xRadius(), 1e-12);
    EXPECT_NEAR(back.yRadius(), g.yRadius(), 1e-12);
    EXPECT_NEAR((back.rotation() - g.rotation()).signedNorm().value(), 0.0, 1e-12);
    EXPECT_EQ(back.isRightHanded(), g.isRightHanded());
    EXPECT_NEAR(phase.value(), 0.0, 1e-12);
  }
}

TEST(ConicsMapping, EveryKindMapsThereAndBackAsItsDocumentedKind) {
  const zcCircle circle(zcPoint(1, 2), 1.5);
  EXPECT_TRUE(zfRealEq(circle.map(skewXform()).map(skewXform().inverse()), zcEllipse(circle), 1e-9));
  const zcEllipse ellipse(zcPoint(1, -1), 4, 2, deg(20));
  const zcEllipse2 e2(zcXform<2>(zcMatrix<2>(2, 1, -0.5, 1), zcVector<2>(3, 3)));
  const zcEllipseAnnulus ann(ellipse, 0.4);
  expectMapRoundTrip(ellipse);
  expectMapRoundTrip(zcEllipse(zcPoint(1, -1), 1, 3, deg(-120), false), mirrorShear());
  expectMapRoundTrip(e2);
  expectMapRoundTrip(zcEllipseArc(ellipse, deg(60), deg(-250)));
  expectMapRoundTrip(zcEllipseArc2(e2, deg(10), deg(300)));
  expectMapRoundTrip(ann);
  expectMapRoundTrip(zcEllipseAnnulusSection(ann, deg(30), deg(300), false, true));

  // Mapped arcs and sections carry their points along; a mirror turns the boundary round.
  const zcXform<2> x = mirrorShear();
  const zcEllipseArc arc = zcEllipseArc(zcEllipse(zcPoint(2, 1), 3, 1, deg(25)), deg(200), deg(130));
  EXPECT_TRUE(zfRealEq(arc.map(x).startPoint(), x.mapPoint(arc.startPoint()), 1e-12));
  EXPECT_TRUE(zfRealEq(arc.map(x).endPoint(), x.mapPoint(arc.endPoint()), 1e-12));
  EXPECT_LT(arc.map(x).distToPoint(x.mapPoint(arc.ellipse().point(arc.phiStart() + arc.phiSpan() / 2))), 1e-12);
  const zcEllipseAnnulusSection s(zcEllipseAnnulus(zcEllipse(zcPoint(0, 0), 2, 1, deg(10)), 0.5), deg(-30), deg(80));
  EXPECT_TRUE(zfRealEq(s.map(x).outerArc().startPoint(), x.mapPoint(s.outerArc().startPoint()), 1e-12));
  EXPECT_TRUE(zfRealEq(s.map(x).innerArc().endPoint(), x.mapPoint(s.innerArc().endPoint()), 1e-12));
  EXPECT_TRUE(s.isRightHanded());
  EXPECT_FALSE(s.map(x).isRightHanded());

  // mapShape gives the documented kinds: a similarity (turn by 90°, scale 2) keeps an
  // annulus an annulus; a circle stays a circle under a similarity only.
  zcShapePtr turned = zcAnnulus(zcPoint(2, 2), 1, 3).mapShape(zcXform<2>(zcMatrix<2>(0, -2, 2, 0), zcVector<2>(1, 1)));
  ASSERT_EQ(typeid(*turned), typeid(zcAnnulus));
  EXPECT_TRUE(zfRealEq(static_cast<const zcAnnulus&>(*turned), zcAnnulus(zcPoint(-3, 5), 2, 6), 1e-12));
  const zcCircle round(zcPoint(1, 1), 2);
  const zcXform<2> shear(zcMatrix<2>(1, 0.5, 0, 1), zcVector<2>(0, 0));
  zcShapePtr sheared = round.mapShape(shear);
  ASSERT_EQ(typeid(*sheared), typeid(zcEllipse2));
  EXPECT_TRUE(zfRealEq(static_cast<const zcEllipse2&>(*sheared).point(zcRadian(0.7)),
                       shear.mapPoint(round.center() + zcVector<2>(zcRadian(0.7), 2.0)), 1e-12));

  const zcXform<2> similarity(zcMatrix<2>(0, 3, 3, 0), zcVector<2>(2, 0));  // mirror, scale 3
  zcShapePtr similar = round.mapShape(similarity);
  ASSERT_EQ(typeid(*similar), typeid(zcCircle));
  EXPECT_TRUE(zfRealEq(static_cast<const zcCircle&>(*similar), zcCircle(zcPoint(5, 3), 6), 1e-12));

  EXPECT_EQ(typeid(*zcEllipse().mapShape(zcXform<2>())), typeid(zcEllipse2));
  for (const zcShapePtr& s : std::vector<zcShapePtr>{new zcEllipseArc, new zcEllipseArc2, new zcEllipseAnnulus,
                                                      new zcEllipseAnnulusSection})
    EXPECT_EQ(typeid(*s->mapShape(shear)), typeid(*s));

  // Orthogonal columns of different lengths: no similarity.
  const zcXform<2> stretch = zcXform<2>::rotation(deg(30)) * zcXform<2>::scaling(3.0, 0.5);
  const zcAnnulus annulus(zcPoint(1, 0), 1, 2);
  zcShapePtr gen = annulus.mapShape(stretch);
  ASSERT_EQ(typeid(*gen), typeid(zcGenAnnulus));
  const auto& ga = static_cast<const zcGenAnnulus&>(*gen);
  const zcPoint outerPoint = stretch.mapPoint(zcPoint(1, 0) + zcVector<2>(zcRadian(1.1), 2.0));
  const zcPoint innerPoint = stretch.mapPoint(zcPoint(1, 0) + zcVector<2>(zcRadian(-2.0), 1.0));
  EXPECT_LT(ga.outer().nearestBoundaryPoint(outerPoint).distance(outerPoint), 1e-9);
  EXPECT_LT(ga.inner().nearestBoundaryPoint(innerPoint).distance(innerPoint), 1e-9);
  // A disk has no inner ellipse to make a general rectangle of.
  EXPECT_THROW(zcAnnulus(zcPoint(0, 0), 0, 1).mapShape(stretch), zcShapesError::DegenerateShape);
}

TEST(ConicsGeometry, BoxesAndNearestPointsAreExact) {
  // Half widths sqrt(16 cos²30° + 4 sin²30°) = √13 and sqrt(16 sin²30° + 4 cos²30°) = √7.
  expectBox(zcEllipse(zcPoint(1, 2), 4, 2, deg(30)).boundingBox(), 1 - std::sqrt(13.0), 2 - std::sqrt(7.0),
            1 + std::sqrt(13.0), 2 + std::sqrt(7.0));

  // From 60° to 200° the arc passes the top (90°) and the left end (180°).
  expectBox(zcEllipseArc(zcEllipse(zcPoint(0, 0), 3, 1, zcRadian(0)), deg(60), deg(140)).boundingBox(), -3.0,
            std::sin(200 * zkPi / 180), 1.5, 1.0);

  // The section from 45° to 135° of radii 2 and 1: outer top, inner corners at the bottom.
  const zcEllipseAnnulusSection s(zcEllipseAnnulus(zcEllipse(zcPoint(0, 0), 2, 2, zcRadian(0)), 0.5), deg(45),
                                  deg(135));
  expectBox(s.boundingBox(), -std::sqrt(2.0), std::sqrt(0.5), std::sqrt(2.0), 2.0);

  // A degenerate circle: the center's zero-size box, and every distance is to the center.
  const zcCircle dot(zcPoint(3, 4), 0);
  EXPECT_TRUE(dot.degen());
  EXPECT_TRUE(zfRealEq(dot.boundingBox(), zcRect(3, 4, 0, 0), 0.0));
  EXPECT_EQ(dot.distToPoint(zcPoint(6, 8)), 5.0);
  EXPECT_TRUE(dot.within(zcPoint(3, 4)));

  const zcEllipse rotated(zcPoint(1, 1), 2, 1, deg(30));
  const zcMatrix<2> r = zcMatrix<2>::rotation(deg(30));
  EXPECT_TRUE(zfRealEq(rotated.nearestPoint(zcPoint(1, 1) + r * zcVector<2>(0, 3)),
                       zcPoint(1, 1) + r * zcVector<2>(0, 1), 1e-12));
  EXPECT_NEAR(rotated.distToPoint(zcPoint(1, 1) + r * zcVector<2>(5, 0)), 3.0, 1e-12);
  // Inside the region the point is its own nearest point.
  EXPECT_EQ(rotated.nearestPoint(zcPoint(1.5, 1.2)), zcPoint(1.5, 1.2));
}

// Whole ellipses (flat, mirrored, round) and seeded random arcs against dense samples
// of their definition: boxes, nearest points and winding angles from probes around them.
// The lower half of a flat ellipse seen from (0.5, 0.2) has a local minimum of the
// distance that the nearest foot of the whole ellipse (on the upper half) hides.
TEST(ConicsGeometry, ArcsMatchTheirDefinition) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-5, 5);
  std::vector<zcEllipseArc2> arcs;
  for (const zcXform<2>& x : {zcXform<2>(zcMatrix<2>(8, 0, 0, 0.05), zcVector<2>(1, 0)),
                              zcXform<2>(zcMatrix<2>(3, 1, -1, -2), zcVector<2>(0, 2)),
                              zcXform<2>(zcMatrix<2>(2, 0, 0, 2), zcVector<2>())})
    arcs.emplace_back(zcEllipse2(x), zcRadian(0), zcRadian(kTwoPi));
  arcs.emplace_back(zcEllipse2(zcXform<2>::scaling(5, 1)), zcRadian(zkPi), zcRadian(zkPi));
  for (const zcXform<2>& x : {zcXform<2>(zcMatrix<2>(4, 0, 0, 0.3), zcVector<2>()), mirrorShear(), skewXform()})
    arcs.emplace_back(zcEllipse2(x), zcRadian(u(rng)), zcRadian(1.25 * u(rng)));
  for (int i = 0; i < 40; ++i) {
    const zcXform<2> x(zcMatrix<2>(u(rng), u(rng), u(rng), u(rng)), zcVector<2>(u(rng), u(rng)));
    arcs.emplace_back(zcEllipse2(x), zcRadian(u(rng)), zcRadian(1.25 * u(rng)));
  }
  for (const zcEllipseArc2& arc : arcs) {
    SCOPED_TRACE("seed 7: " + cpp(arc) + ";");
    const zcXform<2> x = arc.ellFromUnitCirc();
    std::vector<zcPoint> probes = {zcPoint(0.5, 0.2)};  // and inside the ellipse and around it
    for (int k = 0; k < 3; ++k) probes.push_back(x.mapPoint(zcPoint(u(rng) / 5, u(rng) / 5)));
    for (int k = 0; k < 3; ++k) probes.push_back(x.trans() + zcVector<2>(2 * u(rng), u(rng)));
    const double t0 = arc.phiStart().value(), span = arc.phiSpan().value();
    expectMatchesDefinition(arc, [&](double s) { return onXform(x, t0 + span * s); }, probes);
  }
}

TEST(ConicsGeometry, RegionsAnswerInsideAndDistance) {
  const zcAnnulus annulus(zcPoint(0, 0), 1, 2);
  EXPECT_TRUE(zfRealEq(annulus.nearestPoint(zcPoint(0, 0)), zcPoint(1, 0), 0));
  EXPECT_NEAR(annulus.distToPoint(zcPoint(0.25, 0)), 0.75, 1e-15);
  const zcEllipseAnnulus ea(zcEllipse(zcPoint(0, 0), 4, 2, zcRadian(0)), 0.5);
  // Section from 0° to 90° of radii 2 and 1 (circular, so distances are easy).
  const zcEllipseAnnulusSection s(zcEllipseAnnulus(zcEllipse(zcPoint(0, 0), 2, 2, zcRadian(0)), 0.5), zcRadian(0),
                                  deg(90));
  EXPECT_NEAR(s.perimeter(), zkPi + zkPi / 2 + 2.0, 1e-12);
  // Shape, point, distance (0 inside, the region's points included).
  const std::tuple<const zcShape*, zcPoint, double> rows[] = {
      {&annulus, zcPoint(0, 1.5), 0}, {&annulus, zcPoint(0, -2), 0},
      {&annulus, zcPoint(0, 0.99), 0.01}, {&ea, zcPoint(3, 0), 0},        {&ea, zcPoint(1.9, 0), 0.1},
      {&ea, zcPoint(0, 0.25), 0.75},      {&ea, zcPoint(6, 0), 2.0},      {&s, zcPoint(1, 1), 0},
      {&s, zcPoint(1.5, 0), 0},  // on the radial edge
      {&s, zcPoint(-1, 1), 1},  {&s, zcPoint(0.3, 0.3), 1 - std::sqrt(0.18)},
      {&s, zcPoint(1.5, -0.5), 0.5},  // below the radial edge
      {&s, zcPoint(-1, -1), std::sqrt(5.0)}};  // the inner arc's ends
  for (const auto& [shape, p, d] : rows) {
    SCOPED_TRACE(testing::Message() << typeid(*shape).name() << " at " << p.x() << ", " << p.y());
    if (d == 0) EXPECT_EQ(shape->distToPoint(p), 0.0);
    else EXPECT_NEAR(shape->distToPoint(p), d, 1e-12);
    EXPECT_EQ(shape->within(p), d == 0);
  }

  // Degeneracy of sections: no span, or an annulus without area.
  EXPECT_TRUE(zcEllipseAnnulusSection(zcEllipseAnnulus(), deg(30), deg(30)).degen());
  EXPECT_FALSE(zcEllipseAnnulusSection(zcEllipseAnnulus(), deg(30), deg(30), true).degen());
  EXPECT_TRUE(zcEllipseAnnulusSection(zcEllipseAnnulus(zcEllipse(), 1.0), deg(0), deg(90)).degen());
  EXPECT_TRUE(zcEllipseAnnulusSection(zcEllipseAnnulus(zcEllipse(zcPoint(), 1, 0, zcRadian(0)), 0.2), deg(0),
                                      deg(90), true)
                  .degen());
  EXPECT_FALSE(zcEllipseAnnulusSection(zcEllipseAnnulus(zcEllipse(), 0.0), deg(0), deg(90)).degen());
}

TEST(ConicsCurves, PerimetersArcLengthsEndsAnglesAndReversal) {
  // The trapezoid rule converges geometrically on this periodic integrand.
  const auto reference = [](double a, double b) {
    const int n = 20000;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += std::hypot(a * std::sin(kTwoPi * i / n), b * std::cos(kTwoPi * i / n));
    return sum * kTwoPi / n;
  };
  EXPECT_NEAR(zcEllipse(zcPoint(), 2, 1, zcRadian(0)).perimeter(), 9.688448220547676, 1e-13);
  for (const auto& [a, b] : std::vector<std::pair<double, double>>{{5, 0.3}, {1, 1}, {0.2, 7}, {100, 80}}) {
    const double p = zcEllipse(zcPoint(1, 1), a, b, deg(33)).perimeter();
    EXPECT_NEAR(p, reference(a, b), 1e-9 * p);
  }
  EXPECT_DOUBLE_EQ(zcEllipse(zcPoint(), 3, 0, zcRadian(0)).perimeter(), 12.0);
  EXPECT_DOUBLE_EQ(zcCircle(zcPoint(), 2).perimeter(), 4 * zkPi);

  // Arc lengths add up, whatever the direction, and a quarter from a vertex is a
  // quarter of the perimeter.
  const zcEllipse2 e(zcXform<2>(zcMatrix<2>(3, 1, -1, 0.5), zcVector<2>(2, 2)));
  const auto len = [&](double t0, double span) {
    return zcEllipseArc2(e, zcRadian(t0), zcRadian(span)).perimeter();
  };
  EXPECT_NEAR(len(0.3, 1.0) + len(1.3, 2.5), len(0.3, 3.5), 1e-12);
  EXPECT_NEAR(len(3.8, -3.5), len(0.3, 3.5), 1e-12);
  EXPECT_NEAR(len(-1, kTwoPi), e.perimeter(), 1e-12);
  const zcEllipseArc q(zcEllipse(zcPoint(), 4, 1, deg(70)), zcRadian(zkPi / 2), zcRadian(zkPi / 2));
  EXPECT_NEAR(q.perimeter(), q.ellipse().perimeter() / 4, 1e-12);

  // Positions: the nearest point's position, and sub-arcs between positions.
  const zcEllipseArc arc(zcEllipse(zcPoint(1, 0), 3, 1, deg(10)), deg(20), deg(-200));
  const double total = arc.perimeter();
  const zcPoint mid = arc.ellipse().point(deg(-80));
  EXPECT_NEAR(arc.nearestPerimPos(mid), zcEllipseArc(arc.ellipse(), deg(20), deg(-100)).perimeter(), 1e-10);
  zcShapePtr part = arc.subShape(0.25 * total, 0.75 * total);
  EXPECT_NEAR(part->perimeter(), 0.5 * total, 1e-10);
  EXPECT_NEAR(arc.nearestPerimPos(part->startPoint()), 0.25 * total, 1e-9);
  zcShapePtr backwards = arc.subShape(0.75 * total, 0.25 * total);
  EXPECT_TRUE(zfRealEq(backwards->startPoint(), part->endPoint(), 1e-12));

  const zcEllipseArc quarter(zcEllipse(zcPoint(0, 0), 2, 1, zcRadian(0)), zcRadian(0), deg(90));
  EXPECT_TRUE(zfRealEq(quarter.startPoint(), zcPoint(2, 0), 1e-15));
  EXPECT_TRUE(zfRealEq(quarter.endPoint(), zcPoint(0, 1), 1e-15));
  EXPECT_NEAR(quarter.startAngle().value(), zkPi / 2, 1e-15);
  EXPECT_NEAR(quarter.endAngle().value(), zkPi, 1e-15);
  EXPECT_NEAR(quarter.tangentRotation().value(), zkPi / 2, 1e-15);

  zcShapePtr rev = quarter.reverse();
  EXPECT_TRUE(zfRealEq(rev->startPoint(), quarter.endPoint(), 1e-15));
  EXPECT_TRUE(zfRealEq(rev->endPoint(), quarter.startPoint(), 1e-15));
  EXPECT_NEAR(rev->startAngle().value(), 0.0, 1e-15);
  EXPECT_NEAR(rev->tangentRotation().value(), -zkPi / 2, 1e-15);

  // A full turn turns the tangent by 2π, or −2π when mirrored.
  const zcEllipseArc2 full(zcEllipse2(zcXform<2>(zcMatrix<2>(5, 4, 0, 0.5), zcVector<2>())), zcRadian(1), zcRadian(kTwoPi));
  EXPECT_NEAR(full.tangentRotation().value(), kTwoPi, 1e-12);
  EXPECT_NEAR(full.map(zcXform<2>::scaling(1, -1)).tangentRotation().value(), -kTwoPi, 1e-12);
  // Regions reverse too: the mirrored geometry runs the other way.
  const zcEllipse tilted(zcPoint(), 2, 1, deg(15));
  EXPECT_TRUE(tilted.isRightHanded());
  EXPECT_FALSE(tilted.reverse()->isRightHanded());
  EXPECT_FALSE(zcEllipse2(tilted).reverse()->isRightHanded());
  EXPECT_FALSE(zcEllipseAnnulusSection().reverse()->isRightHanded());
  EXPECT_THROW(zcEllipseArc(zcEllipse(zcPoint(), 0, 0, zcRadian(0)), zcRadian(0), zcRadian(1)).startAngle(),
               zcShapesError::NoTangent);
  EXPECT_NEAR(quarter.windingAngle(zcPoint(0, 0)).value(), zkPi / 2, 1e-15);  // a quarter turn about the center
  EXPECT_THROW(quarter.windingAngle(zcPoint(0, 1)), zcShapesError::BadGeom);  // on the curve
}

TEST(ConicsSampling, ToleranceSpacingUniformModeCornersAndLimits) {
  const zcXform<2> flat(zcMatrix<2>(10, 2, 0, 0.4), zcVector<2>(1, 1));
  const zcEllipseArc2 flatCurve(zcEllipse2(flat), zcRadian(0), zcRadian(kTwoPi));
  expectSampledWithin(zcEllipse2(flat), [&](double s) { return onXform(flat, kTwoPi * s); },
                      [&](const zcPoint& p) { return flatCurve.distToPoint(p); }, {0.5, 0.05, 1e-4});
  const zcEllipseArc wide(zcEllipse(zcPoint(0, 0), 30, 4, deg(20)), deg(300), deg(-280));
  expectSampledWithin(wide, [&](double s) { return wide.ellipse().point(wide.phiStart() + wide.phiSpan() * s); },
                      [&](const zcPoint& p) { return wide.distToPoint(p); }, {0.5, 0.05, 1e-4});
  const zcCircle big(zcPoint(2, 2), 100);
  expectSampledWithin(big, [](double s) { return zcPoint(2, 2) + zcVector<2>(zcRadian(kTwoPi * s), 100); },
                      [](const zcPoint& p) { return std::abs(p.distance(zcPoint(2, 2)) - 100); }, {0.5, 0.05, 1e-4});
  // At 0.05 it needs about 100 chords, not thousands.
  const zcSampleResult circle = sampled(big, {.tolerance = 0.05});
  EXPECT_GE(circle.points.size(), 100u);
  EXPECT_LE(circle.points.size(), 110u);
  EXPECT_EQ(circle.points.back(), circle.points.front());

  // Spacing and uniform mode.
  const zcEllipseArc arc(zcEllipse(zcPoint(0, 0), 5, 2, deg(-10)), zcRadian(1), zcRadian(-4));
  const zcSampleResult r = sampled(arc, {.spacing = 0.3});
  for (std::size_t i = 0; i + 1 < r.points.size(); ++i) EXPECT_LE(r.points[i].distance(r.points[i + 1]), 0.3);
  EXPECT_EQ(r.points.back(), arc.endPoint());

  const zcSampleResult u = sampled(arc, {.spacing = 0.7, .uniform = true});
  const double total = arc.perimeter();
  ASSERT_EQ(u.points.size(), static_cast<std::size_t>(std::ceil(total / 0.7)) + 1);
  for (std::size_t i = 0; i + 1 < u.points.size(); ++i)
    EXPECT_NEAR(arc.nearestPerimPos(u.points[i]), 0.7 * static_cast<double>(i), 1e-9);
  EXPECT_EQ(u.points.back(), arc.endPoint());

  // A section's boundary: outer arc, inward edge, inner arc, outward edge; corners
  // appear twice when asked.
  const zcEllipseAnnulusSection s(zcEllipseAnnulus(zcEllipse(zcPoint(0, 0), 2, 2, zcRadian(0)), 0.5), zcRadian(0),
                                  deg(90));
  const zcSampleParams corners{.tolerance = 0.01, .duplicateCorners = true};
  const zcSampleResult c = sampled(s, corners);
  EXPECT_EQ(c.points.front(), zcPoint(2, 0));
  EXPECT_EQ(c.points.back(), zcPoint(2, 0));
  for (const zcPoint& corner : {zcPoint(0, 2), zcPoint(0, 1), zcPoint(1, 0)})
    EXPECT_EQ(std::count_if(c.points.begin(), c.points.end(), [&](const zcPoint& p) { return p.distance(corner) < 1e-15; }),
              2);
  for (const zcPoint& p : c.points) EXPECT_LT(s.distToPoint(p), 1e-12);
  // Reversed, the same outline runs the other way round from the same start.
  const zcSampleResult rev = sampled(*s.reverse(), corners);
  EXPECT_EQ(rev.points.front(), zcPoint(2, 0));
  EXPECT_TRUE(zfRealEq(rev.points[1], zcPoint(1, 0), 1e-15));  // out along the radial edge first
  EXPECT_TRUE(zfRealEq(rev.points[2], zcPoint(1, 0), 1e-15));  // the corner again
  EXPECT_GT(rev.points[3].y(), 0.0);                           // then up the inner arc

  // Annuli sample the outer boundary, then the inner one the other way.
  const zcSampleResult a = sampled(zcAnnulus(zcPoint(0, 0), 1, 2), corners);
  EXPECT_EQ(a.points.front(), zcPoint(2, 0));
  const auto innerStart = std::find(a.points.begin(), a.points.end(), zcPoint(1, 0));
  ASSERT_NE(innerStart, a.points.end());
  EXPECT_LT((innerStart + 1)->y(), 0.0);
  EXPECT_THROW(sampled(zcCircle(zcPoint(), 10), {.tolerance = 1e-6, .maxPoints = 10}), zcShapesError::SampleOverflow);
}

TEST(ConicsImages, SectionImageHasItsOffsetsAndReadsVersion0) {
  const zcEllipseAnnulusSection s(zcEllipseAnnulus(zcEllipse(zcPoint(1, 1), 4, 2, deg(30)), 0.25), deg(10),
                                  deg(200), false, true);
  const auto b = imageOf<zkEllipseAnnulusSectionImageSize>(s);
  const auto inner = imageOf<zkEllipseGeomImageSize>(s.annulus().inner().geom());
  const auto outer = imageOf<zkEllipseGeomImageSize>(s.annulus().outer().geom());
  EXPECT_TRUE(std::equal(inner.begin(), inner.end(), b.begin()));
  EXPECT_TRUE(std::equal(outer.begin(), outer.end(), b.begin() + 176));
  const zcPoint start = s.outerArc().startPoint();
  expectDoublesAt(b.data(), {{280, start.x()}, {288, start.y()}, {352, deg(10).value()}, {360, deg(200).value()},
                             {376, 0.25}, {384, deg(190).value()}});
  EXPECT_EQ(b[368], 0);  // handedness
  EXPECT_EQ(b[369], 1);  // full
  expectZeroBytes(b.data(), 370, 376);
  expectZeroBytes(b.data(), 392, static_cast<int>(b.size()));
  EXPECT_TRUE(zcEllipseAnnulusSection::readImage(b) == s);

  // The version-0 form: the same leading bytes, with junk where it had none of ours.
  std::array<unsigned char, zkEllipseAnnulusSectionImageV0Size> v0;
  std::copy(b.begin(), b.begin() + v0.size(), v0.begin());
  for (int i : {42, 47, 100, 218, 300, 370}) v0[i] = 0x5A;
  EXPECT_TRUE(zfRealEq(zcEllipseAnnulusSection::readImageV0(v0), s, 1e-15));

  EXPECT_THROW(zcEllipseAnnulusSection::readImage(withByte(b, 368, 3)), zcShapesError::BadParams);
  // An inner ellipse of another shape makes no elliptical annulus.
  EXPECT_THROW(zcEllipseAnnulusSection::readImage(withDouble(b, 16, 0.9)), zcShapesError::BadParams);
}

TEST(ConicsConstruction, RefusesInvalidValuesAndSettersKeepState) {
  const double nan = std::nan("");
  EXPECT_THROW(zcCircle(zcPoint(0, 0), -1.0), zcShapesError::BadRadius);
  EXPECT_THROW(zcCircle(zcPoint(nan, 0), 1.0), zcShapesError::BadParams);
  EXPECT_THROW(zcEllipse(zcPoint(), 1, -2, zcRadian(0)), zcShapesError::BadRadius);
  EXPECT_THROW(zcEllipse(zcPoint(), 1, 2, zcRadian(INFINITY)), zcShapesError::BadParams);
  EXPECT_THROW(zcEllipse2(zcXform<2>(zcMatrix<2>(nan, 0, 0, 1), zcVector<2>())), zcShapesError::BadParams);
  EXPECT_THROW(zcEllipseArc(zcEllipse(), zcRadian(0), zcRadian(7)), zcShapesError::BadParams);
  EXPECT_NO_THROW(zcEllipseArc(zcEllipse(), zcRadian(0), zcRadian(-kTwoPi)));
  EXPECT_THROW(zcAnnulus(zcPoint(), 2, 1), zcShapesError::BadRadius);
  EXPECT_THROW(zcEllipseAnnulus(zcEllipse(), 1.5), zcShapesError::BadRadius);
  EXPECT_THROW(zcEllipseAnnulusSection(zcEllipseAnnulus(), zcRadian(nan), zcRadian(0)), zcShapesError::BadParams);
  // Radii whose product overflows: the ellipse could never be decomposed again.
  EXPECT_THROW(zcEllipse2(zcVector<2>(1.5e171, 1.2e171), zcRadian(0), zcPoint(0, 0)), zcShapesError::BadParams);
  EXPECT_THROW(zcEllipse2(zcCircle(zcPoint(0, 0), 1e200)), zcShapesError::BadParams);
  EXPECT_NO_THROW(zcEllipse2(zcVector<2>(1e150, 1e150), zcRadian(0), zcPoint(0, 0)));

  // Two ellipses make an annulus when one is the other scaled about the center; a
  // circle's rotation does not matter, its shape and center do.
  const zcEllipse outer(zcPoint(1, 1), 4, 2, deg(30));
  const zcEllipseAnnulus ok(zcEllipse(zcPoint(1, 1), 1, 2, deg(120)), outer);
  EXPECT_NEAR(ok.ratio(), 0.5, 1e-15);
  EXPECT_NEAR(ok.inner().xAxis().length() / outer.xAxis().length(), 0.5, 1e-15);
  EXPECT_NO_THROW(zcEllipseAnnulus(zcEllipse(zcPoint(), 1, 1, deg(77)), zcEllipse(zcPoint(), 3, 3, zcRadian(0))));
  EXPECT_THROW(zcEllipseAnnulus(zcEllipse(zcPoint(1, 1), 2, 1, deg(0)), outer), zcShapesError::BadParams);
  EXPECT_THROW(zcEllipseAnnulus(zcEllipse(zcPoint(1, 1.5), 2, 1, deg(30)), outer), zcShapesError::BadParams);
  EXPECT_THROW(zcEllipseAnnulus(zcEllipse(zcPoint(1, 1), 8, 4, deg(30)), outer), zcShapesError::BadRadius);
  // Radii whose squares overflow are compared in units of the outer size.
  const zcEllipse huge(zcPoint(), 4e200, 2e200, deg(30));
  EXPECT_NEAR(zcEllipseAnnulus(zcEllipse(zcPoint(), 1e200, 2e200, deg(120)), huge).ratio(), 0.5, 1e-15);
  EXPECT_THROW(zcEllipseAnnulus(huge, zcEllipse(zcPoint(), 4e-200, 2e-200, deg(30))), zcShapesError::BadRadius);

  zcCircle c(zcPoint(1, 1), 2);
  EXPECT_THROW(c.radius(-3), zcShapesError::BadRadius);
  EXPECT_THROW(c.center(zcPoint(nan, 1)), zcShapesError::BadParams);
  EXPECT_TRUE(c == zcCircle(zcPoint(1, 1), 2));
  zcAnnulus a(zcPoint(), 1, 2);
  EXPECT_THROW(a.radii(3, 2), zcShapesError::BadRadius);
  EXPECT_TRUE(a == zcAnnulus(zcPoint(), 1, 2));
  zcEllipseArc arc;
  EXPECT_THROW(arc.phiRange(zcRadian(0), zcRadian(-10)), zcShapesError::BadParams);
  EXPECT_TRUE(arc == zcEllipseArc());
  zcEllipse2 e2;
  EXPECT_THROW(e2.ellFromUnitCirc(zcXform<2>(zcMatrix<2>(1, 0, 0, 1), zcVector<2>(INFINITY, 0))),
               zcShapesError::BadParams);
  EXPECT_TRUE(e2 == zcEllipse2());
}

// Own forms carry no class name, the arc's not even for its ellipse; impossible radii are
// refused and leave the object alone.
TEST(ConicsOwnArchiveForms, EllipseAndArcCarryNoClassNameAndRadiiAreChecked) {
  const zcEllipse e(zcPoint(1, -2), 3, 1.5, zcRadian(0.7));
  const zcEllipseArc arc(e, zcRadian(0.25), zcRadian(-1.5));
  for (const Bytes& bytes : {expectOwnRoundTrip(e), expectOwnRoundTrip(arc)})
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("zcEllipse"), std::string::npos);
  Bytes bad = ownBytes(e);
  bad[8] = 1;  // the ellipse's version byte
  expectRefused<zcArchive::UnknownVersion>(bad, zcEllipse(zcPoint(5, 5), 1, 1, zcRadian(0)));
  // The radius last; the inner radius before the outer one.
  expectRefused<zcArchive::BadFormat>(withDouble(ownBytes(zcCircle(zcPoint(1, 2), 3)), -8, -1.0),
                                      zcCircle(zcPoint(7, 7), 1));
  expectRefused<zcArchive::BadFormat>(withDouble(ownBytes(zcAnnulus(zcPoint(0, 0), 1, 2)), -16, 5.0),
                                      zcAnnulus(zcPoint(3, 3), 0.5, 1));
}

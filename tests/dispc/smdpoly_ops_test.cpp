#include "dispc/wrfm/smdpoly.h"

#include "zfound/archive.h"
#include "zfound/lines.h"

#include "support/smdpoly_builders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Poly = zcSMDGDPoly;
using Vertex = zcSMDGDPolyVertex;
using Priv = zcSMDGDPolyPrivate;

constexpr double kTol = 1e-9;

using zc_test::arcVx;
using zc_test::build;
using zc_test::square;
using zc_test::tolVx;
using zc_test::vx;

void expectNear(const zcVector<2>& a, const zcVector<2>& b, double tol = kTol) {
  EXPECT_NEAR(a.x(), b.x(), tol);
  EXPECT_NEAR(a.y(), b.y(), tol);
}

// As many points as expected, each near its own.
void expectNear(const std::vector<zcVector<2>>& got, const std::vector<zcPoint>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) expectNear(got[i], want[i]);
}

std::vector<zcPoint> points(const Poly& p) {
  std::vector<zcPoint> out;
  for (const Vertex& v : p.vertices()) out.push_back(v.point());
  return out;
}

// Points from a flat list of coordinates.
std::vector<zcPoint> pts(std::initializer_list<double> xy) {
  std::vector<zcPoint> out;
  for (auto it = xy.begin(); it + 1 < xy.end(); it += 2) out.emplace_back(it[0], it[1]);
  return out;
}

std::vector<std::vector<zcPoint>> points(const std::vector<Poly>& polys) {
  std::vector<std::vector<zcPoint>> out;
  for (const Poly& p : polys) out.push_back(points(p));
  return out;
}

std::vector<double> spans(const Poly& p) {
  std::vector<double> out;
  for (const Vertex& v : p.vertices()) out.push_back(v.segmentAngleSpan().value());
  return out;
}

// Every corner a right angle and every segment straight: rectilinear in some frame.
bool rightAngled(const Poly& p) {
  for (long v = 0; v < p.numVertices(); ++v) {
    const long s = p.previousSegmentIndex_(v);
    if (s != -1 && p.isSegmentArc_(s)) return false;
    if (p.isEndVertex_(v)) continue;
    if (std::abs(std::abs(Priv::vertexAngle(p, v).value()) - 90.0) > 1e-9) return false;
  }
  return true;
}

// --- An independent winding number of the rounded outline -------------------------------
//
// A line adds the angle it subtends. An arc adds the angle of its chord, plus a whole
// turn (in its sense) when the point lies in the region between chord and arc.
double subtended(const zcVector<2>& p, const zcVector<2>& a, const zcVector<2>& b) {
  const zcVector<2> u = a - p, w = b - p;
  return std::atan2(u.cross(w), u.dot(w));
}

double arcWinding(const zc2SegmentArc& arc, const zcVector<2>& p) {
  const zcVector<2> a = arc.p1(), b = arc.p2();
  double turn = subtended(p, a, b);
  const zcVector<2> chord = b - a;
  const bool sameSide = (chord.cross(p - a) > 0) == (chord.cross(arc.segPoint(0.5) - a) > 0);
  if (p.distance(arc.center()) < arc.center().distance(a) && sameSide)
    turn += arc.angleSpan().value() > 0 ? 2 * zkPi : -2 * zkPi;
  return turn;
}

long winding(const Poly& poly, const zcVector<2>& p) {
  double total = 0.0;
  const long n = poly.numVertices();
  for (long v = 0; v < n; ++v) {
    if (poly.isVertexRounded_(v)) total += arcWinding(poly.roundedArcVertex_(v), p);
    const long s = poly.nextSegmentIndex_(v);
    if (s == -1) continue;
    if (poly.isSegmentArc_(s)) {
      total += arcWinding(poly.roundedArcSegment_(s), p);
    } else {
      const zc2SegmentLine line = poly.roundedLineSegment_(s);
      total += subtended(p, line.p1(), line.p2());
    }
  }
  return std::lround(total / (2 * zkPi));
}

// A random closed star-shaped poly from `seed`, with some arc segments and rounded
// corners; false when the random choice is refused.
bool randomPoly(unsigned seed, std::vector<Vertex>& list, Poly& out) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int n = 4 + static_cast<int>(unit(rng) * 9);
  list.clear();
  const double flip = unit(rng) < 0.5 ? 1.0 : -1.0;  // either orientation
  for (int i = 0; i < n; ++i) {
    const double a = flip * 2 * zkPi * (i + 0.3 * unit(rng)) / n;
    const double r = 5 + 5 * unit(rng);
    const double rounding = unit(rng) < 0.4 ? 0.8 * unit(rng) : 0.0;
    const double span = unit(rng) < 0.35 ? (unit(rng) - 0.5) * 80 : 0.0;
    list.emplace_back(zcPoint(r * std::cos(a) + 3, r * std::sin(a) - 2), rounding, zcDegree(span), 0.5, 0.5, -1,
                      zcDimTol());
  }
  try {
    out.vertices(list);
    out.close();
    return true;
  } catch (const zcException&) {
    return false;
  }
}

// Runs `check(seed, list, poly)` on `count` random polys, from the seeds `first` on.
template <class F>
void forRandomPolys(unsigned first, int count, F check) {
  for (unsigned seed = first; count > 0; ++seed) {
    std::vector<Vertex> list;
    Poly p;
    if (randomPoly(seed, list, p)) check(seed, list, p), --count;
  }
}

// The failure line of a random case: its seed, the poly as C++ and the point.
std::string caseOf(unsigned seed, const std::vector<Vertex>& list, const zcPoint& q) {
  std::ostringstream out;
  out.precision(17);
  out << "seed " << seed << ": const Poly p = " << zc_test::cppOf(list, true) << "; const zcPoint q(" << q.x() << ", "
      << q.y() << ");";
  return out.str();
}

}  // namespace

TEST(SMDPolyLengths, PerimetersAndSegmentLengthsOfTheRoundedSquare) {
  const Poly p = square(2.0);
  EXPECT_NEAR(p.perimeter_(0.0), 40.0 - 4.0 + zkPi, kTol);
  EXPECT_NEAR(Priv::perimeter(p, 5.0), 36.0, kTol);  // the arc (π) is a piece ≤ 5
  EXPECT_NEAR(p.perimeter_(8.0), 20.0, kTol);         // the rounded sides of 8 go too
  EXPECT_NEAR(p.perimeter_(zcXform<2>::scaling(2, 2)), 2 * (36.0 + zkPi), kTol);
  std::vector<double> lengths{-1.0};
  Priv::appendSegmentLengths(p, lengths);
  ASSERT_EQ(lengths.size(), 5u);
  EXPECT_EQ(lengths[0], -1.0);  // appended, not replaced
  const double expected[] = {10.0, 8.0 + zkPi, 8.0, 10.0};
  for (std::size_t s = 1; s < 5; ++s) EXPECT_NEAR(lengths[s], expected[s - 1], kTol) << s;
  // Open: no closing segment.
  EXPECT_NEAR(build({vx(0, 0), vx(3, 4), vx(3, 0)}, false).perimeter_(0.0), 9.0, kTol);

  Poly extended = square();
  EXPECT_EQ(extended.extensionPerimeter_(), 0.0);
  extended.setDefaultExtensions_();
  EXPECT_NEAR(extended.extensionPerimeter_(), 40.0, kTol);  // every side 10 × (0.5 + 0.5)
  extended.forwardPercExtension_(1, 0.0);
  EXPECT_NEAR(extended.extensionPerimeter_(), 35.0, kTol);
}

TEST(SMDPolyTolerance, OutOfToleranceSkipsSegmentsWithoutLimits) {
  const zcDimTol narrow(-1, 0.5, 0.5, zcDimTol::eOffsets);  // 9.5 … 10.5 about 10
  const zcDimTol wide(-1, 2.0, 2.0, zcDimTol::eOffsets);    // 8 … 12
  const zcDimTol share(-1, 0.05, 0.05, zcDimTol::ePercentages);
  Poly p = build({vx(0, 0), tolVx(10, 0, narrow), tolVx(10, 10, wide), tolVx(0, 10, share), vx(0, 0.5)}, false);
  const zcXform<2> grow = zcXform<2>::scaling(1.1, 1.1), none;
  // Measured 11 against nominal 10: segments 1 and 3 fail, 2 passes, 4 has no limits;
  // against a reference grown alike, nominal and percentage limits follow. Limits are
  // exclusive: 10.5 measured against 9.5 … 10.5 is out.
  const struct {
    zcXform<2> measured, reference;
    std::vector<long> out;
  } rows[] = {{grow, none, {1, 3}}, {grow, grow, {}}, {zcXform<2>::scaling(1.05, 1.0), none, {1, 3}},
              {zcXform<2>::scaling(1.0, 1.05), none, {}}, {none, none, {}}};
  for (const auto& row : rows) EXPECT_EQ(p.segmentsOutOfTolerance(row.measured, row.reference), row.out);
  // A map that collapses a segment.
  EXPECT_THROW(p.segmentsOutOfTolerance(zcXform<2>::scaling(0, 1), none), zcShapesError::DegenerateShape);
}

TEST(SMDPolyContainment, RoundedSquareAndOpenPolys) {
  const Poly sq = square(2.0);
  // A U shape (the notch is outside) and a circle of two half arcs.
  const Poly u = build({vx(0, 0), vx(9, 0), vx(9, 9), vx(6, 9), vx(6, 3), vx(3, 3), vx(3, 9), vx(0, 9)}, true);
  const Poly c = Poly::circle(5, zcPoint(1, 1));
  const struct {
    const Poly& poly;
    zcPoint q;
    bool inside;
  } rows[] = {{sq, zcPoint(5, 5), true},     {sq, zcPoint(9.9, 0.1), false},  // cut off by the rounding
              {sq, zcPoint(15, 5), false},   {sq, zcPoint(5, 10.5), false},  {sq, zcPoint(-3, -3), false},
              {u, zcPoint(4.5, 6), false},   {u, zcPoint(1.5, 6), true},     {u, zcPoint(4.5, 1.5), true},
              {c, zcPoint(1, 5.9), true},    {c, zcPoint(4.6, 4.6), false}};
  for (const auto& row : rows) EXPECT_EQ(row.poly.inside_(row.q), row.inside) << row.q.x() << " " << row.q.y();
  EXPECT_TRUE(Priv::inside(sq, zcPoint(9.5, 1.9)));
  const Poly open = build({vx(0, 0), vx(10, 0), vx(10, 10)}, false);
  EXPECT_THROW(open.inside_(zcPoint(5, 5)), Poly::notClosed);
  EXPECT_THROW(open.isDirectionPositive(), Poly::notClosed);
}

TEST(SMDPolyContainment, AgreesWithAWindingNumberOnRandomPolys) {
  int insidePoints = 0, tested = 0;
  forRandomPolys(7, 60, [&](unsigned seed, const std::vector<Vertex>& list, const Poly& p) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const zcRect box = p.boundingBox();
    for (int k = 0; k < 100; ++k) {
      const zcPoint q(box.x() - 1 + (box.width() + 2) * unit(rng), box.y() - 1 + (box.height() + 2) * unit(rng));
      if (Priv::distToPoint(p, q) < 1e-6) continue;
      const long w = winding(p, q);
      ASSERT_TRUE(w == 0 || w == 1 || w == -1) << "winding " << w << "; " << caseOf(seed, list, q);
      ASSERT_EQ(p.inside_(q), w != 0) << caseOf(seed, list, q);
      insidePoints += w != 0;
      ++tested;
    }
  });
  EXPECT_GT(insidePoints, tested / 5);
  EXPECT_LT(insidePoints, tested * 4 / 5);
}

TEST(SMDPolyDirection, OrientationFlagAndReversal) {
  const Poly ccw = square(2.0);
  EXPECT_TRUE(ccw.isDirectionPositive());
  EXPECT_FALSE(ccw.isDirectionNegative());
  Poly toggled = ccw;
  toggled.toggleDirection();
  EXPECT_FALSE(toggled.isDirectionPositive());
  EXPECT_FALSE(build({vx(0, 0), vx(0, 10), vx(10, 10, 2.0), vx(10, 0)}, true).isDirectionPositive());
  // Arcs first: the circle runs counter-clockwise; mirrored it runs clockwise.
  EXPECT_TRUE(Poly::circle(3, zcPoint(0, 0)).isDirectionPositive());
  EXPECT_FALSE(build({arcVx(-3, 0, -180), arcVx(3, 0, -180)}, true).isDirectionPositive());

  // Random outlines: the answer follows the winding of an inside point, flips with the
  // vertex order, and reversePoly (which also flips the flag) keeps it.
  forRandomPolys(11, 40, [](unsigned seed, const std::vector<Vertex>& list, const Poly& p) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const zcRect box = p.boundingBox();
    long w = 0;
    zcPoint q;
    while (w == 0) w = winding(p, q = zcPoint(box.x() + box.width() * unit(rng), box.y() + box.height() * unit(rng)));
    EXPECT_EQ(p.isDirectionPositive(), w > 0) << caseOf(seed, list, q);
    Poly reversed;
    Priv::reversePoly(p, reversed);
    EXPECT_EQ(reversed.isDirectionPositive(), p.isDirectionPositive()) << caseOf(seed, list, q);
    reversed.toggleDirection();
    EXPECT_EQ(reversed.isDirectionPositive(), !p.isDirectionPositive()) << caseOf(seed, list, q);
  });
}

TEST(SMDPolyDominantAngle, RectanglesAtSeveralTurns) {
  EXPECT_EQ(Priv::dominantAngle(Poly()).value(), 0.0);
  EXPECT_EQ(Priv::dominantAngle(build({vx(1, 1)}, false)).value(), 0.0);
  EXPECT_NEAR(Priv::dominantAngle(Poly::rectangle(4, 2, zcPoint(0, 0))).value(), 0.0, kTol);
  EXPECT_NEAR(Priv::dominantAngle(square()).value(), 0.0, kTol);
  for (double turn : {30.0, 100.0, -170.0}) {
    const Poly r = zc2Rigid(zcRadian(zcDegree(turn)), zcVector<2>(3, 4)) * Poly::rectangle(6, 2, zcPoint(0, 0));
    EXPECT_NEAR(Priv::dominantAngle(r).value(), turn - 90.0 * std::round(turn / 90.0), 1e-9) << turn;
  }
  // An open zigzag mostly along 20 degrees.
  const zcVector<2> along(std::cos(20 * zkPi / 180), std::sin(20 * zkPi / 180));
  const Poly zig = build({Vertex(zcPoint(0, 0), 0.5, 0.5, -1), Vertex(along * 5 + along.perp() * 0.1, 0.5, 0.5, -1),
                          Vertex(along * 10, 0.5, 0.5, -1)},
                         false);
  EXPECT_NEAR(Priv::dominantAngle(zig).value(), 20.0, 1.5);
}

// The square of side 10 with the default extensions (half a side at either end).
Poly extendedSquare(double r = 0.0) {
  Poly sq = square(r);
  sq.setDefaultExtensions_();
  return sq;
}

TEST(SMDPolyExtensions, CornersPiecesChecksAndBox) {
  // A corner of 170 degrees is no corner for extensions; right angles are.
  Poly p = build({vx(0, 0), vx(10, 0), vx(20, 1.76), vx(20, 10), vx(0, 10)}, true);
  p.setExtensions_(0.25);
  EXPECT_EQ(p.vertex(1).forwardExtension(), 0.0);
  EXPECT_EQ(p.vertex(1).backwardExtension(), 0.0);
  EXPECT_EQ(p.forwardPercExtension_(3), 0.25);
  EXPECT_EQ(p.backwardPercExtension_(4), 0.25);  // at vertex 3, the start of segment 4
  EXPECT_THROW(p.forwardPercExtension_(5), Poly::invalidIndex);

  Poly sq = extendedSquare();
  expectNear({sq.overlayLineSegment_(1, true).p1(), sq.overlayLineSegment_(1, true).p2()}, pts({10, 0, 15, 0}));
  expectNear(sq.overlayLineSegment_(1, false).p2(), zcPoint(-5, 0));
  const zcRect neg = Priv::boundingBoxNeg(sq, zcXform<2>());
  EXPECT_NEAR(neg.x(), -5.0, kTol);
  EXPECT_NEAR(neg.width(), 20.0, kTol);
  EXPECT_NEAR(sq.boundingBox().width(), 10.0, kTol);

  // Another body 2 to the right: forward extensions along y = 0 and y = 10 stop a
  // margin of 0.5 before its edge at x = 12.
  const Poly other = build({vx(12, -5), vx(20, -5), vx(20, 15), vx(12, 15)}, true);
  sq.checkExtensions_(other, 1.0, zcDegree(10), 0.5, false);
  EXPECT_NEAR(sq.forwardPercExtension_(1), 0.15, kTol);  // 1.5 of 10
  EXPECT_NEAR(sq.backwardPercExtension_(3), 0.15, kTol);  // segment 3 runs right to left: it starts at x = 10
  EXPECT_NEAR(sq.backwardPercExtension_(1), 0.5, kTol);
  // Against itself nothing is near: the pieces at each corner do not count.
  Poly alone = extendedSquare();
  alone.checkExtensions_(alone, 1.0, zcDegree(10), 0.5, true);
  EXPECT_NEAR(alone.extensionPerimeter_(), 40.0, kTol);
  // An edge running along an extension within the distance removes it.
  Poly railed = extendedSquare();
  railed.checkExtensions_(build({vx(10.5, 0.5), vx(30, 0.5), vx(30, 3), vx(10.5, 3)}, true), 1.0, zcDegree(10), 0.1,
                          false);
  EXPECT_EQ(railed.forwardPercExtension_(1), 0.0);

  // Arc extensions continue the circle.
  Poly arcs = Poly::circle(2, zcPoint(0, 0));
  arcs.forwardPercExtension_(1, 0.5);
  expectNear({arcs.overlayArc_(1, true).p1(), arcs.overlayArc_(1, true).p2()}, pts({2, 0, 0, 2}));
  EXPECT_THROW(arcs.overlayArc_(0, true), zcShapesError::DegenerateShape);
}

TEST(SMDPolyCorner, SubPolysAndCornerPieces) {
  Poly p = build({vx(0, 0), Vertex(zcPoint(10, 0), 1.0, 0.3, 0.8, 4), arcVx(10, 10, 90), vx(0, 10)}, true);
  p.toggleDirection();
  p.weight(0.5);
  const Poly c = Priv::corner(p, 1, false);
  // From 0.3 of segment 1 before the corner to 0.8 of the quarter circle about (5, 5)
  // from (10, 0): at −45 + 72 degrees.
  const double a = (-45.0 + 72.0) * zkPi / 180;
  const double r = std::sqrt(50.0);
  expectNear(points(c), {zcPoint(7, 0), zcPoint(10, 0), zcPoint(5 + r * std::cos(a), 5 + r * std::sin(a))});
  EXPECT_TRUE(c.isOpen());
  EXPECT_EQ(c.name(), L"poly");
  EXPECT_EQ(c.vertex(1).subModelLabel(), -1);
  EXPECT_EQ(c.vertex(1).vertexRadius(), 1.0);
  EXPECT_TRUE(c.vertex(1).segmentLengthTol() == zcDimTol());
  EXPECT_NEAR(c.vertex(2).segmentAngleSpan().value(), 72.0, kTol);
  EXPECT_TRUE(c.isDirectionReversed());
  EXPECT_EQ(c.weight(), 0.5);
  EXPECT_TRUE(c.colors() == zcSMDColors());
  // Wrapping and the ends of an open poly.
  EXPECT_EQ(Priv::corner(p, 5, true).vertex(1).point(), p.vertex(1).point());
  EXPECT_THROW(Priv::corner(p, 5, false), Poly::invalidIndex);
  const Poly open = build({vx(0, 0), vx(10, 0), vx(10, 10)}, false);
  EXPECT_THROW(Priv::corner(open, 0, false), Poly::invalidIndex);
  const Poly end = Priv::subPoly(open, 0, false);
  ASSERT_EQ(end.numVertices(), 2);
  expectNear(end.vertex(1).point(), zcPoint(5, 0));
}

TEST(SMDPolyMeeting, IntersectionsOfTwoPolys) {
  const Poly a = square(2.0);
  const Poly b = build({vx(5, -5), vx(15, -5), vx(15, 5), vx(5, 5)}, true);
  std::vector<zcVector<2>> hits = a.intersection_(b);
  std::sort(hits.begin(), hits.end(), [](const zcVector<2>& p, const zcVector<2>& q) { return p.x() < q.x(); });
  expectNear(hits, pts({5, 0, 10, 5}));
  EXPECT_EQ(b.intersection_(a).size(), 2u);
  // Its parts: segment 1 of a meets b's left side at (5, 0); the rounding of a's
  // vertex 1 lies inside b and meets nothing.
  expectNear(a.intersectionSegment_(1, b), pts({5, 0}));
  EXPECT_TRUE(a.intersectionVertex_(1, b).empty());
  EXPECT_TRUE(a.intersectionVertex_(2, b).empty());  // sharp
  // A ring about (10, 2) meets the rounding about (8, 2) once (the arc holds only its
  // lower half) and the rounded side x = 10 once, at (10, 3).
  const Poly ring = Poly::circle(1, zcPoint(10, 2));
  EXPECT_EQ(ring.intersectionSegment_(1, a).size() + ring.intersectionSegment_(0, a).size(), 2u);
  expectNear(a.intersectionVertex_(1, ring), {zcPoint(9.75, 2 - std::sqrt(4 - 3.0625))});
  EXPECT_EQ(ring.segmentVertexIntersection_(1, a, 1).size() + ring.segmentVertexIntersection_(0, a, 1).size(), 1u);
  EXPECT_TRUE(a.vertexIntersection_(1, ring, 0).empty());  // the ring has no roundings
  // The same square turned half round about (9, 0.5): the two roundings cross twice.
  const Poly turned = zc2Rigid(zcRadian(zkPi), zcVector<2>(18, 1)) * a;
  EXPECT_EQ(a.vertexIntersection_(1, turned, 1).size(), 2u);
  EXPECT_TRUE(a.vertexIntersection_(1, turned, 2).empty());
  // A scan line through the rounded corner meets the arc, not the sharp corner.
  hits = a.intersection_(build({vx(-1, 1), vx(11, 1)}, false));
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_NEAR(std::max(hits[0].x(), hits[1].x()), 8 + std::sqrt(4.0 - 1.0), kTol);
  // Touching at a shared sharp vertex gives that point once.
  expectNear(a.intersection_(build({vx(10, 10), vx(20, 10), vx(20, 20)}, false)), pts({10, 10}));
  EXPECT_TRUE(a.intersection_(build({vx(30, 30), vx(40, 30)}, false)).empty());
}

TEST(SMDPolyNearest, ClosestPointDistanceAndBox) {
  const Poly p = square(2.0);
  // Near the rounded corner the nearest point is on the arc about (8, 2).
  const zcPoint q(12, -2);
  EXPECT_NEAR(Priv::closestPoint(p, q).distance(zcPoint(8, 2)), 2.0, kTol);
  EXPECT_NEAR(Priv::distToPoint(p, q), std::sqrt(32.0) - 2.0, kTol);
  expectNear(Priv::closestPoint(p, zcPoint(5, -1)), zcPoint(5, 0));
  EXPECT_NEAR(Priv::distToPoint(p, zcPoint(5, 5)), 5.0, kTol);
  EXPECT_THROW(Priv::closestPoint(Poly(), q), Poly::invalidVertices);
  expectNear(Priv::closestPoint(build({vx(1, 1)}, false), q), zcPoint(1, 1));

  // A half circle bulging below the x axis reaches y = −5.
  const Poly bulge = build({vx(-5, 0), arcVx(5, 0, 180)}, false);
  EXPECT_NEAR(bulge.boundingBox().y(), -5.0, kTol);
  EXPECT_NEAR(bulge.boundingBox().height(), 5.0, kTol);
  EXPECT_NEAR(Priv::boundingBox(bulge, zcXform<2>::translation(zcVector<2>(1, 1))).x(), -4.0, kTol);
  EXPECT_TRUE(build({vx(1, 1)}, false).boundingBox().isEmpty());
}

TEST(SMDPolyReversal, OnceAndTwice) {
  const zcDimTol t(-1, 0.5, 0.5, zcDimTol::eOffsets);
  const Poly ab = build({vx(0, 0), Vertex(zcPoint(4, 0), 0.0, zcDegree(90), 0.2, 0.7, -1, t)}, false);
  Poly ba;
  Priv::reversePoly(ab, ba);
  EXPECT_EQ(points(ba), pts({4, 0, 0, 0}));
  EXPECT_EQ(spans(ba)[1], -90.0);  // the arc now arrives at A
  EXPECT_TRUE(ba.vertex(1).segmentLengthTol() == t);
  EXPECT_EQ(ba.vertex(0).percentPrevSegment(), 0.7);
  EXPECT_EQ(ba.vertex(0).percentNextSegment(), 0.2);
  EXPECT_TRUE(ba.isDirectionReversed());
  EXPECT_NEAR(ba.segmentLength_(1), ab.segmentLength_(1), kTol);
  Poly again;
  Priv::reversePoly(ba, again);
  EXPECT_TRUE(again == ab);

  Poly sq = extendedSquare(2.0);
  sq.forwardPercExtension_(1, 0.1);
  Poly back;
  Priv::reversePoly(sq, back);
  EXPECT_TRUE(back.isClosed());
  EXPECT_EQ(points(back), pts({0, 10, 10, 10, 10, 0, 0, 0}));
  EXPECT_NEAR(back.perimeter_(0.0), sq.perimeter_(0.0), kTol);
  EXPECT_EQ(back.vertex(2).backwardExtension(), 0.1);  // extensions swap ends
  Priv::reversePoly(back, back);  // in place
  EXPECT_TRUE(back == sq);
}

TEST(SMDPolyPieces, DeleteSegmentsConnectAndConvert) {
  const Poly sq = square(2.0);
  std::vector<Poly> out{Poly()};
  Priv::deleteSegments(sq, {1, 3}, out);
  ASSERT_EQ(points(out), (std::vector{pts({10, 0, 10, 10}), pts({0, 10, 0, 0})}));
  EXPECT_TRUE(out[0].isOpen());
  Priv::deleteSegments(sq, {0}, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(points(out[0]), points(sq));
  EXPECT_EQ(out[0].vertex(1).vertexRadius(), 2.0);  // inner vertices keep their data
  Priv::deleteSegments(sq, {}, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(out[0] == sq);
  Priv::deleteSegments(sq, {0, 1, 2, 3}, out);
  EXPECT_TRUE(out.empty());
  out.assign(1, sq);
  EXPECT_THROW(Priv::deleteSegments(sq, {4}, out), Poly::invalidIndex);
  EXPECT_EQ(out.size(), 1u);  // a refusal leaves the list alone
  const Poly open = build({vx(0, 0), vx(1, 0), vx(2, 0.5), vx(3, 0)}, false);
  EXPECT_THROW(Priv::deleteSegments(open, {0}, out), Poly::invalidIndex);
  Priv::deleteSegments(open, {2}, out);
  EXPECT_EQ(points(out), (std::vector{pts({0, 0, 1, 0}), pts({2, 0.5, 3, 0})}));

  // Joining at the chosen ends.
  const Poly a = build({vx(0, 0), vx(5, 0)}, false);
  const Poly b = build({vx(5, 5), arcVx(0, 5, 60)}, false);
  Poly joined;
  Priv::connectPolys(a, true, b, false, joined);
  EXPECT_EQ(points(joined), pts({0, 0, 5, 0, 5, 5, 0, 5}));
  EXPECT_EQ(spans(joined)[2], 0.0);  // the joining segment is straight
  EXPECT_EQ(spans(joined)[3], 60.0);
  Priv::connectPolys(a, false, b, true, joined);
  EXPECT_EQ(points(joined), pts({5, 0, 0, 0, 0, 5, 5, 5}));
  EXPECT_EQ(spans(joined)[3], -60.0);
  const Poly before = joined;
  EXPECT_THROW(Priv::connectPolys(sq, true, b, false, joined), Poly::invalidVertices);
  EXPECT_THROW(Priv::connectPolys(a, true, sq, false, joined), Poly::invalidVertices);
  EXPECT_TRUE(joined == before);

  const Poly converted = Priv::convert(zcPolygon(pts({0, 0, 4, 0, 4, 3})));
  EXPECT_TRUE(converted.isClosed());
  EXPECT_EQ(points(converted), pts({0, 0, 4, 0, 4, 3}));
  EXPECT_NEAR(converted.perimeter_(0.0), 12.0, kTol);
  EXPECT_THROW(Priv::convert(zcPolygon()), Poly::invalidVertices);
  EXPECT_THROW(Priv::convert(zcPolygon(pts({0, 0, 4, 4, 4, 0, 0, 4}))), Poly::crossingSegments);
}

TEST(SMDPolyCrop, PiecesInsideAndOutsideACutter) {
  const Poly sq = square();
  const Poly cutter = build({vx(5, -5), vx(15, -5), vx(15, 5), vx(5, 5)}, true);
  const std::vector<Poly> inside = Priv::crop(sq, cutter, true);
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(points(inside[0]), pts({5, 0, 10, 0, 10, 5}));
  const std::vector<Poly> outside = Priv::crop(sq, cutter, false);
  ASSERT_EQ(outside.size(), 1u);
  EXPECT_EQ(points(outside[0]), pts({10, 5, 10, 10, 0, 10, 0, 0, 5, 0}));
  EXPECT_NEAR(inside[0].perimeter_(0.0) + outside[0].perimeter_(0.0), 40.0, kTol);
  // An open chain crossing the cutter twice: in, out, in again.
  const Poly wave = build({vx(0, 1), vx(7, 1), vx(7, 8), vx(12, 8), vx(12, 2)}, false);
  EXPECT_EQ(points(Priv::crop(wave, cutter, true)), (std::vector{pts({5, 1, 7, 1, 7, 5}), pts({12, 5, 12, 2})}));
  // Not meeting: whole or nothing.
  const Poly small = Poly::rectangle(2, 2, zcPoint(10, 0));
  EXPECT_TRUE(Priv::crop(small, cutter, true) == std::vector<Poly>{small});
  EXPECT_TRUE(Priv::crop(small, cutter, false).empty());
  EXPECT_THROW(Priv::crop(sq, wave, true), Poly::notClosed);
}

TEST(SMDPolyRectilinear, TestSnapCloseAndReplace) {
  EXPECT_TRUE(Priv::isRectilinear(Poly::rectangle(4, 2, zcPoint(10, 10))));
  EXPECT_TRUE(Priv::isRectilinear(square(1.0)));  // roundings do not matter
  EXPECT_FALSE(Priv::isRectilinear(Poly::triangle(6, 3, zcPoint(0, 0))));
  EXPECT_FALSE(Priv::isRectilinear(build({vx(0, 0), arcVx(10, 0, 20), vx(10, 10)}, false)));

  // A slightly skewed quadrilateral snaps to a rectangle in its own frame; each corner
  // moves a little.
  const Poly skewBefore = build({vx(0, 0), vx(10, 0.3), vx(10.2, 5), vx(-0.1, 5.2)}, true);
  Poly skew = skewBefore;
  Priv::snapRectilinear(skew);
  EXPECT_TRUE(rightAngled(skew));
  EXPECT_FALSE(rightAngled(skewBefore));
  ASSERT_EQ(skew.numVertices(), 4);
  EXPECT_TRUE(skew.isClosed());
  for (long v = 0; v < 4; ++v) EXPECT_LT(skew.vertex(v).point().distance(skewBefore.vertex(v).point()), 1.0);
  // A rectilinear poly is left alone.
  Poly rect = Poly::rectangle(4, 2, zcPoint(0, 0));
  Priv::snapRectilinear(rect);
  EXPECT_TRUE(rect == Poly::rectangle(4, 2, zcPoint(0, 0)));
  // An open staircase with arcs: straight, right-angled, first vertex kept, runs of
  // one direction merged.
  Poly stairs = build({vx(0, 0), vx(5, 0.2), arcVx(5.1, 3, 10), vx(7, 3.1), vx(9, 3.2)}, false);
  Priv::snapRectilinear(stairs);
  EXPECT_TRUE(rightAngled(stairs));
  EXPECT_EQ(stairs.numVertices(), 4);
  expectNear(stairs.vertex(0).point(), zcPoint(0, 0));
  EXPECT_NEAR(stairs.vertex(3).point().x(), 9.0, 0.2);

  // Closing an L needs a corner vertex.
  Poly l = build({vx(0, 0), vx(10, 0), vx(10, 4), vx(4, 4), vx(4, 10)}, false);
  Priv::closeRectilinear(l);
  EXPECT_TRUE(l.isClosed());
  EXPECT_TRUE(Priv::isRectilinear(l));
  EXPECT_EQ(points(l).back(), zcPoint(0, 10));
  // Closing along an axis needs none, and a straight run through vertex 0 loses it.
  Poly u = build({vx(0, 5), vx(0, 0), vx(10, 0), vx(10, 10), vx(0, 10)}, false);
  Priv::closeRectilinear(u);
  EXPECT_EQ(points(u), pts({0, 0, 10, 0, 10, 10, 0, 10}));

  // Moving a corner drags its neighbours along.
  Poly r = Poly::rectangle(4, 2, zcPoint(0, 0));  // (2,1) (−2,1) (−2,−1) (2,−1)
  Priv::replaceVertexRectilinear(r, 0, zcPoint(3, 2));
  EXPECT_EQ(points(r), pts({3, 2, -2, 2, -2, -1, 3, -1}));
  EXPECT_TRUE(Priv::isRectilinear(r));
  const Poly rBefore = r;
  EXPECT_THROW(Priv::replaceVertexRectilinear(r, 0, zcPoint(-2, -1)), zcShapesError::DegenerateShape);
  EXPECT_TRUE(r == rBefore);
}

TEST(SMDPolyShapes, CircleRectangleAndTriangle) {
  const Poly c = Poly::circle(5, zcPoint(0, 0));
  EXPECT_EQ(points(c), pts({-5, 0, 5, 0}));
  EXPECT_EQ(spans(c), (std::vector<double>{180.0, 180.0}));
  EXPECT_TRUE(c.isClosed());
  EXPECT_EQ(c.numSegments(), 2);
  EXPECT_EQ(c.vertex(0).subModelLabel(), 0);
  EXPECT_EQ(c.vertex(0).segmentLengthTol().tolType(), zcDimTol::eLimits);
  EXPECT_NEAR(c.perimeter_(0.0), 10 * zkPi, 1e-9);
  EXPECT_NEAR(c.boundingBox().height(), 10.0, 1e-9);

  const Poly r = Poly::rectangle(4, 2, zcPoint(10, 10));
  EXPECT_EQ(points(r), pts({12, 11, 8, 11, 8, 9, 12, 9}));
  for (long v = 0; v < 4; ++v) {
    EXPECT_EQ(r.vertex(v).subModelLabel(), v);
    EXPECT_EQ(r.vertex(v).segmentLengthTol().tolType(), zcDimTol::eOffsets);
  }
  EXPECT_EQ(r.subModelLabels(), (std::vector<std::int32_t>{0, 1, 2, 3}));
  EXPECT_TRUE(r.isDirectionPositive());

  const Poly t = Poly::triangle(6, 3, zcPoint(0, 0));
  EXPECT_EQ(points(t), pts({0, 2, -3, -1, 3, -1}));
  EXPECT_TRUE(t.isClosed());
  EXPECT_TRUE(t.inside_(zcPoint(0, 0)));
  EXPECT_THROW(Poly::rectangle(0, 2, zcPoint(0, 0)), zcShapesError::DegenerateShape);
}

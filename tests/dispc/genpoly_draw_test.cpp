// The generalized polygon's decomposition against its SMD poly on random polygons,
// and its drawing through a scope: chords, arrows and polarity marks, roundings.
#include "dispc/wrfm/genpoly.h"

#include "support/logging_scope.h"
#include "support/shape_area.h"
#include "support/sketch_stream.h"
#include "support/smdpoly_builders.h"
#include "wrfm/genpoly_private.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

struct Segment {
  zcPoint a, b;
};

// The segments a scope was asked to draw, read back from its log (the log writes
// numbers in their shortest exact form, so they read back exactly).
std::vector<Segment> segmentsOf(const zcLoggingScope& scope) {
  std::vector<Segment> out;
  for (const std::string& entry : scope.callsOf("drawLineSeg")) {
    const std::vector<double> v = zc_test::numbersIn(entry);
    out.push_back({zcPoint(v[0], v[1]), zcPoint(v[2], v[3])});
  }
  return out;
}

zcGraphicProps noArrows(bool showVertex = false) {
  zcGraphicProps props;
  props.arrowHead(false);
  props.showVertex(showVertex);
  return props;
}

// A random polygon around the origin: vertices at increasing angles and radii
// between 5 and 10, some segments arcs of up to ±40 degrees, some corners rounded
// outward or inward; open or closed. Built through the polygon's own edits, so it
// is null when the poly refuses it.
struct RandomCase {
  zcGenPoly polygon;
  zcXform<2> map;
  std::string cpp;  // the poly as C++, for the failure line
};

bool randomCase(unsigned seed, RandomCase& out) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const long n = 3 + static_cast<long>(unit(rng) * 9);
  const bool closed = unit(rng) < 0.7;
  zcGenPoly g;
  try {
    for (long i = 0; i < n; ++i) {
      const double a = 2 * zkPi * (i + 0.2 + 0.6 * unit(rng)) / n;
      const double r = 5 + 5 * unit(rng);
      const double span = unit(rng) < 0.35 ? (unit(rng) - 0.5) * 80 : 0.0;
      const double rounding = unit(rng) < 0.45 ? (unit(rng) < 0.5 ? -1 : 1) * (0.2 + unit(rng)) : 0.0;
      g.insertVertex(zcPoint(r * std::cos(a), r * std::sin(a)), rounding, zcRadian(zcDegree(i == 0 ? 0.0 : span)));
    }
    if (closed) g.close(zcRadian(zcDegree(unit(rng) < 0.35 ? (unit(rng) - 0.5) * 80 : 0.0)));
  } catch (const zcShapesError::Errors&) {
    return false;
  }
  // A random affine map, mirroring half of the time.
  const double turn = unit(rng) * 2 * zkPi, sx = 0.3 + 3 * unit(rng), sy = (unit(rng) < 0.5 ? -1 : 1) * (0.3 + 3 * unit(rng));
  const zcMatrix<2> m = zcMatrix<2>::rotation(zcRadian(turn)) * zcMatrix<2>(sx, 0.6 * unit(rng) - 0.3, 0, sy);
  out.map = zcXform<2>(m, zcVector<2>(50 * unit(rng) - 25, 50 * unit(rng) - 25));
  out.polygon = g.map(out.map);
  std::ostringstream cpp;
  cpp.precision(17);
  const zcMatrix<2> x = out.map.matrix();
  cpp << "seed " << seed << ": zcGenPoly from " << zc_test::cppOf(zcSMDGDPolyPrivate::poly(g).vertices(), closed)
      << " mapped by zcXform<2>(zcMatrix<2>(" << x.element(0, 0) << ", " << x.element(0, 1) << ", "
      << x.element(1, 0) << ", " << x.element(1, 1) << "), zcVector<2>(" << out.map.trans().x() << ", "
      << out.map.trans().y() << "))";
  out.cpp = cpp.str();
  return true;
}

// Winding number of a closed ring of points about p.
int winding(const std::vector<zcPoint>& ring, const zcPoint& p) {
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
    const zcVector<2> a = ring[i] - p, b = ring[i + 1] - p;
    sum += std::atan2(a.cross(b), a.dot(b));
  }
  return static_cast<int>(std::lround(sum / (2 * zkPi)));
}

}  // namespace

TEST(GenPolyDecomposition, AgreesWithThePolyOnRandomMappedPolygons) {
  int cases = 0, arcs = 0, inward = 0, outward = 0, open = 0;
  for (unsigned seed = 1; seed <= 400 && cases < 120; ++seed) {
    RandomCase c;
    if (!randomCase(seed, c)) continue;
    SCOPED_TRACE(c.cpp);
    ++cases;
    const zcGenPoly& g = c.polygon;
    const zcSMDGDPoly& poly = zcSMDGDPolyPrivate::poly(g);
    open += g.isOpen();
    for (long v = 0; v < g.numVertices(); ++v) {
      const double r = g.vertexRoundingSize(v);
      inward += r < 0;
      outward += r > 0;
    }
    for (long s = 0; s < g.numSegments(); ++s) arcs += g.isArcSegment(s);

    const zcShapePtr d = g.decompose();
    const auto* contour = dynamic_cast<const zcContourTree*>(d.rep());
    ASSERT_NE(contour, nullptr);
    const double size = std::max(g.encloseRect().width(), g.encloseRect().height());
    // The pieces chain, and a closed contour closes.
    const auto& pieces = contour->children();
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
      EXPECT_LT(pieces[i]->endPoint().distance(pieces[i + 1]->startPoint()), 1e-9 * size) << "join " << i;
    if (!g.isOpen()) {
      EXPECT_LT(pieces.back()->endPoint().distance(pieces.front()->startPoint()), 1e-9 * size);
    }
    // Sampled points map back onto the poly's rounded outline.
    zcSampleParams params;
    params.tolerance = 1e-5 * size;
    zcSampleResult sampled;
    g.sample(params, sampled);
    const zcXform<2> back = c.map.inverse();
    double worst = 0.0;
    for (const zcPoint& p : sampled.points)
      worst = std::max(worst, zcSMDGDPolyPrivate::distToPoint(poly, back.mapPoint(p)));
    EXPECT_LT(worst, 1e-9 * size);
    // One length three ways. The poly measures an arc under a map by its radius in
    // one direction, exact only for circles: it is compared under a similarity
    // (mirrored as the random map is).
    const double pieceSum = zc_test::pieceLength(*d);
    EXPECT_NEAR(pieceSum, g.perimeter(), 1e-9 * pieceSum);
    const double mirror = c.map.determinant() < 0 ? -1.0 : 1.0;
    const zcXform<2> similar(zcMatrix<2>(2.5, 0, 0, 2.5 * mirror) * zcMatrix<2>::rotation(zcRadian(0.7)),
                             zcVector<2>(3, -8));
    const double similarSum = zc_test::pieceLength(*g.map(c.map.inverse()).map(similar).decompose());
    EXPECT_NEAR(similarSum, poly.perimeter_(similar), 1e-9 * similarSum);
    // The exact box lies inside the box of the unrounded segments.
    const zcRect box = g.boundingBox(), enclosing = g.encloseRect();
    EXPECT_GE(box.x(), enclosing.x() - 1e-9 * size);
    EXPECT_GE(box.y(), enclosing.y() - 1e-9 * size);
    EXPECT_LE(box.x() + box.width(), enclosing.x() + enclosing.width() + 1e-9 * size);
    EXPECT_LE(box.y() + box.height(), enclosing.y() + enclosing.height() + 1e-9 * size);
    if (g.isOpen()) continue;
    // within (poly frame) agrees with the winding number of the sampled outline.
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(-11.0, 11.0);
    for (int k = 0; k < 40; ++k) {
      const zcPoint p(coord(rng), coord(rng));
      if (zcSMDGDPolyPrivate::distToPoint(poly, p) < 0.05) continue;
      EXPECT_EQ(g.within(p), winding(sampled.points, c.map.mapPoint(p)) != 0) << "point " << p.x() << ", " << p.y();
    }
  }
  // The random polygons must reach every kind of piece, or the comparison proves little.
  EXPECT_GE(cases, 100);
  EXPECT_GT(arcs, 20);
  EXPECT_GT(inward, 20);
  EXPECT_GT(outward, 20);
  EXPECT_GT(open, 10);
}

TEST(GenPolyDecomposition, OneVertexOpenEndsAndInwardCorners) {
  // A closed polygon of one vertex (only loaded data makes one): a zero-length segment.
  zc_UISketchPolyData one;
  one.vertices.resize(1);
  one.vertices[0].point = zcPoint(2, 3);
  one.roundedStarts = one.roundedEnds = {zcPoint(2, 3)};
  one.roundedSpans = {0.0};
  one.open = false;
  one.xform = zcXform<2>::translation(zcVector<2>(1, 1));
  zcGenPoly single;
  zcGenPolyPrivate::assignStored(single, one);
  const zcShapePtr dot = single.decompose();
  ASSERT_EQ(typeid(*dot), typeid(zcLineSeg));
  EXPECT_TRUE(zfRealEq(dot->startPoint(), zcPoint(3, 4), 0) && zfRealEq(dot->endPoint(), zcPoint(3, 4), 0));

  // An open polygon keeps no rounding on its first vertex.
  zcGenPoly chain;
  chain.insertVertex(zcPoint(0, 0), 3.0, zcRadian(0));
  chain.insertVertex(zcPoint(10, 0), 2.0, zcRadian(0));
  chain.insertVertex(zcPoint(10, 10), 0.0, zcRadian(0));
  const zcShapePtr d = chain.decompose();
  const auto& pieces = static_cast<const zcContourTree&>(*d).children();
  ASSERT_EQ(pieces.size(), 3u);  // segment, corner at vertex 1, segment
  EXPECT_EQ(typeid(*pieces[0]), typeid(zcLineSeg));
  EXPECT_TRUE(zfRealEq(pieces[0]->startPoint(), zcPoint(0, 0), 0));
  EXPECT_EQ(typeid(*pieces[1]), typeid(zcEllipseArc2));

  // An inward corner is what negCornerArc_ makes of it.
  class Marked : public zcGenPoly {
  public:
    using zcGenPoly::zcGenPoly;
    mutable std::vector<const zcShape*> made;

  protected:
    zcPtrHandle<zcEllipseArc2> negCornerArc_(const zcEllipseArc2& arc) const override {
      zcPtrHandle<zcEllipseArc2> h(new zcEllipseArc2(arc));
      made.push_back(h.rep());
      return h;
    }
  };
  Marked marked{zcRect(0, 0, 10, 10)};
  marked.vertexRoundingSize(1, -2.0);
  marked.vertexRoundingSize(3, 2.0);
  const zcShapePtr corners = marked.decompose();
  const auto& parts = static_cast<const zcContourTree&>(*corners).children();
  ASSERT_EQ(marked.made.size(), 1u);
  // Vertex 0's segment, vertex 1's corner (inward): the second piece.
  EXPECT_EQ(parts[1].rep(), marked.made[0]);
  EXPECT_EQ(parts.size(), 6u);
}

TEST(GenPolyDrawing, ArcsBecomeChainedChordsWithinTheirErrorAndABoundedCount) {
  // A whole unit circle scaled to radius ρ: 73 chords at 0.04 (5 degree steps), 100
  // at 100 (steps of 2 acos(0.9995)), a bounded count at 1e20.
  const struct {
    double rho;
    std::size_t chords;
  } rows[] = {{0.04, 73}, {100.0, 100}, {3.0, 73}, {1e20, static_cast<std::size_t>(zkGenPolyMaxChords)}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.rho);
    zcLoggingScope scope;
    const zcXform<2> x(zcMatrix<2>::scaling(row.rho, row.rho), zcVector<2>(7, 9));
    zcGenPolyPrivate::drawArcToScope(zc2SegmentArc(), x, noArrows(), scope);
    const std::vector<Segment> chords = segmentsOf(scope);
    ASSERT_EQ(chords.size(), row.chords);
    for (std::size_t i = 0; i + 1 < chords.size(); ++i) EXPECT_EQ(chords[i].b, chords[i + 1].a) << i;
    if (row.rho > 1e6) continue;  // the cap gives up the 0.05 error there
    EXPECT_LT(chords.back().b.distance(chords.front().a), 1e-9 * row.rho);
    for (const Segment& s : chords) {
      EXPECT_NEAR(s.a.distance(zcPoint(7, 9)), row.rho, 1e-9 * row.rho);
      EXPECT_LE(row.rho - ((s.a + s.b) * 0.5).distance(zcPoint(7, 9)), 0.05);
    }
  }
  // A circle polygon is two half circles: 74 and 100 chords.
  for (const auto& [rho, chords] : {std::pair{0.04, 74ul}, std::pair{100.0, 100ul}}) {
    zcLoggingScope scope;
    zcGenPoly(zcCircle(zcPoint(0, 0), rho)).drawToScope(noArrows(), scope);
    EXPECT_EQ(scope.count("drawLineSeg"), chords);
  }
}

TEST(GenPolyDrawing, SegmentsThroughTheVerticesOrBetweenTheRoundings) {
  zcGenPoly g(zcRect(0, 0, 10, 10));  // (10,0) (10,10) (0,10) (0,0)
  g.vertexRoundingSize(1, 2.0);
  for (const bool show : {false, true}) {
    zcLoggingScope scope;
    g.map(zcXform<2>::scaling(2, 2)).drawToScope(noArrows(show), scope);
    const std::vector<Segment> s = segmentsOf(scope);
    ASSERT_GE(s.size(), 4u + 18u);  // the sides, then the quarter circle in 5 degree chords
    EXPECT_EQ(s[0].b, show ? zcPoint(20, 20) : zcPoint(20, 16));
    EXPECT_EQ(s[1].a, show ? zcPoint(20, 20) : zcPoint(16, 20));
    EXPECT_EQ(s[2].a, zcPoint(0, 20));
    // The rounding arc is drawn either way, from (20, 16) to (16, 20).
    EXPECT_TRUE(zfRealEq(s[4].a, zcPoint(20, 16), 1e-12));
    EXPECT_TRUE(zfRealEq(s.back().b, zcPoint(16, 20), 1e-12));
  }
}

TEST(GenPolyDrawing, ArrowsOnLongSegmentsWithMarksThatFollowMirrors) {
  // Sides 20, 2, 20, 2: the arrow size is 4, so the short sides get none.
  const zcGenPoly g(zcRect(0, 0, 20, 2));  // (20,0) (20,2) (0,2) (0,0)
  const zcGraphicProps props;                // arrow heads on by default
  struct Row {
    zcXform<2> map;
    double plusSide;  // +1: the plus mark on the left of the heading (y up)
  };
  const Row rows[] = {{zcXform<2>(), 1}, {zcXform<2>::scaling(1, -1), -1}, {zcXform<2>::rotation(zcRadian(1)), 1}};
  for (const Row& row : rows) {
    zcLoggingScope scope;
    g.map(row.map).drawToScope(props, scope);
    const std::vector<Segment> s = segmentsOf(scope);
    ASSERT_EQ(s.size(), 4u + 2 * 5u);
    // The arrows sit on the long sides, in vertex order: the one arriving at vertex 0
    // ((0,0) to (20,0)), then the one arriving at vertex 2 ((20,2) to (0,2)).
    for (int k = 0; k < 2; ++k) {
      const Segment* a = &s[4 + 5 * k];
      const zcPoint tip = a[0].a;
      const zcPoint expectedTip = row.map.mapPoint(k == 0 ? zcPoint(10, 0) : zcPoint(10, 2));
      EXPECT_TRUE(zfRealEq(tip, expectedTip, 1e-12));
      const zcVector<2> heading = row.map.mapVector(k == 0 ? zcVector<2>(1, 0) : zcVector<2>(-1, 0)).unit();
      // The head's arms reach back along the heading, 4 across on each side.
      for (int arm = 0; arm < 2; ++arm) {
        EXPECT_NEAR((a[arm].b - tip).dot(heading), -4, 1e-12);
        EXPECT_NEAR(std::abs((a[arm].b - tip).cross(heading)), 4, 1e-12);
      }
      // Plus (two strokes, crossing at its center) on one side, minus on the other.
      const zcPoint plus = (a[2].a + a[2].b) * 0.5, minus = (a[4].a + a[4].b) * 0.5;
      EXPECT_TRUE(zfRealEq(plus, (a[3].a + a[3].b) * 0.5, 1e-12));
      EXPECT_NEAR(heading.cross(plus - tip), 4 * row.plusSide, 1e-12);
      EXPECT_NEAR(heading.cross(minus - tip), -4 * row.plusSide, 1e-12);
      EXPECT_NEAR(a[2].a.distance(a[2].b), 2.4, 1e-12);
      EXPECT_NEAR(a[2].a.y(), a[2].b.y(), 1e-12);  // along the scope's axes
      EXPECT_NEAR(a[3].a.x(), a[3].b.x(), 1e-12);
    }
  }
  // Run the other way, the polygon flips its direction flag too: the arrows are the
  // same strokes in another order.
  zcLoggingScope forward, backward;
  g.drawToScope(props, forward);
  static_cast<const zcGenPoly&>(*g.reverse()).drawToScope(props, backward);
  const std::vector<Segment> f = segmentsOf(forward), b = segmentsOf(backward);
  ASSERT_EQ(f.size(), b.size());
  for (int k = 0; k < 2; ++k) {
    bool found = false;
    for (int j = 0; j < 2; ++j) found = found || zfRealEq(f[4 + 5 * k].b, b[4 + 5 * j].b, 1e-12);
    EXPECT_TRUE(found) << "arrow " << k;
  }
  // Without segments there is nothing to point along.
  zcLoggingScope none;
  zcGenPoly dot;
  dot.insertVertex(zcPoint(1, 1), 0, zcRadian(0));
  dot.drawToScope(props, none);
  EXPECT_EQ(none.count("drawLineSeg"), 0u);
}

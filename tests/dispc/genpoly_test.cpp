// The generalized polygon: construction from every shape against analytic area and
// perimeter, edits and their refusals, queries, maps and archives; its decomposition
// against its SMD poly on random polygons, and its drawing through a scope. Wireframes:
// segment-length tolerances through edits, polarity, maps, archives and the SMD poly
// made from a wireframe. Both on tablets: what they record, how they paint, and their
// replay from malformed payloads.
#include "dispc/uierror.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/genpoly.h"
#include "dispc/wrfm/wirefrm.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"

#include "support/logging_scope.h"
#include "support/shape_area.h"
#include "support/sketch_stream.h"
#include "support/smdpoly_builders.h"
#include "support/tablet_screen.h"
#include "wrfm/genpoly_private.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using Edit = std::function<void(zcGenPoly&)>;

zcGenPoly openChain(std::vector<zcPoint> points) {
  zcGenPoly g;
  for (const zcPoint& p : points) g.insertVertex(p, 0.0, zcRadian(0.0));
  return g;
}

// The 10 × 10 square at the origin, counter-clockwise from (10, 0).
zcGenPoly square() { return zcGenPoly(zcRect(0, 0, 10, 10)); }

zcXform<2> shear() { return zcXform<2>(zcMatrix<2>(2.0, 0.7, -0.3, 0.5), zcVector<2>(4, -1)); }

// An edit that must raise Ex and leave the polygon's archive bytes as they were.
template <class Ex>
void expectRefused(zcGenPoly g, const Edit& edit, const std::string& what) {
  const Bytes before = zc_test::ownBytes(g);
  EXPECT_THROW(edit(g), Ex) << what;
  EXPECT_EQ(zc_test::ownBytes(g), before) << what;
}

// Exposes the failure translation.
class Probe : public zcGenPoly {
public:
  using zcGenPoly::zcGenPoly;
  void remap(zcException& e) const { remapAndThrowError_(e); }
};

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

// The segments the polygon draws.
std::vector<Segment> drawn(const zcGenPoly& g, const zcGraphicProps& props) {
  zcLoggingScope scope;
  g.drawToScope(props, scope);
  return segmentsOf(scope);
}

zcGraphicProps noArrows(bool showVertex = false) {
  zcGraphicProps props;
  props.arrowHead(false);
  props.showVertex(showVertex);
  return props;
}

// Wireframes and tablets.
using zc_test::Op;
using zc_test::opsOf;
using zc_test::Screen;
using zc_test::SketchBytes;

Bytes bytesOf(const zc2Wireframe& value) { return zc_test::ownBytes(value); }

const zcDimTol kWide(-1, 0.05, 0.05, zcDimTol::eOffsets);
const zcDimTol kNarrow(-1, 0.1, 0.2, zcDimTol::eOffsets);
const zcDimTol kTooLong(-1, 50, 60, zcDimTol::eLimits);  // no side is that long

// (10,0) (10,4) (0,4) (0,0), closed, every segment toleranced ±0.05.
zc2Wireframe box() { return zc2Wireframe(zcGenPoly(zcRect(0, 0, 10, 4)), kWide); }

// (0,0) (3,0) (3,4), open, toleranced ±0.05.
zc2Wireframe openWireframe() {
  zc2Wireframe w;
  for (const zcPoint& p : {zcPoint(0, 0), zcPoint(3, 0), zcPoint(3, 4)}) w.insertVertex(p, 0, zcRadian(0), kWide);
  return w;
}

bool untoleranced(const zcDimTol& t) { return t.minTol() == -1.0 && t.maxTol() == -1.0; }

// The tolerance of a segment as a dimension: the nominal is its length.
void expectTol(const zcDimTol& t, double length, const zcDimTol& given) {
  EXPECT_NEAR(t.nomDim(), length, 1e-12);
  EXPECT_EQ(t.tolType(), given.tolType());
  EXPECT_NEAR(t.minTol(), given.minTol(), 1e-12);
  EXPECT_NEAR(t.maxTol(), given.maxTol(), 1e-12);
}

class Counted : public zc2Wireframe {
public:
  using zc2Wireframe::zc2Wireframe;
  std::vector<bool> told;

protected:
  void polarityChanged_(bool reversed) override { told.push_back(reversed); }
};

// A closed polygon with an arc, an outward and an inward rounding.
zcGenPoly sample() {
  zcGenPoly g;
  g.insertVertex(zcPoint(10, 10), 0.0, zcRadian(0));
  g.insertVertex(zcPoint(60, 10), 4.0, zcRadian(0));
  g.insertVertex(zcPoint(60, 50), -3.0, zcRadian(0.6));
  g.insertVertex(zcPoint(10, 50), 0.0, zcRadian(0));
  g.close();
  return g;
}

zcGraphicProps pen(bool fill = false) {
  zcGraphicProps p(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, fill);
  p.showVertex(true);
  return p;
}

// A scope whose n-th line segment fails, as a screen that runs out of memory might.
class FailingScope : public zcLoggingScope {
public:
  using zcLoggingScope::zcLoggingScope;
  int failAt = -1;
  void draw(const zcLineSeg& s, const zcGraphicProps& props) override {
    if (failAt-- == 0) throw zcUIError::NotImplemented();
    zcLoggingScope::draw(s, props);
  }
  using zcLoggingScope::draw;
};

}  // namespace

TEST(GenPolyConstruction, EveryShapeGivesItsAnalyticAreaPerimeterAndVertices) {
  const zcEllipse ellipse(zcPoint(1, 2), 4, 2, zcRadian(0.3));
  const zcEllipse2 skewed(shear());
  const zcGenRect rounded(zcPoint(3, 1), zcVector<2>(4, 2), zcRadian(0.5), zcVector<2>(1, 0.5));
  const zcGenRect stadium(zcPoint(0, 0), zcVector<2>(1, 3), zcRadian(0), zcVector<2>(1, 1));
  const zcGenRect full(zcPoint(0, 0), zcVector<2>(3, 1), zcRadian(0), zcVector<2>(3, 1));
  const zcGenRect sharp = zcGenRect(zcPoint(0, 0), zcVector<2>(3, 1), zcRadian(0), zcVector<2>(0, 0)).map(shear());
  const zcEllipseAnnulus annulus(zcEllipse(zcPoint(2, 2), 5, 3, zcRadian(0.2)), 0.4);
  const zcEllipseAnnulusSection section(annulus, zcRadian(0.5), zcRadian(4.0));
  const zcEllipseAnnulusSection slice(zcEllipseAnnulus(zcEllipse(zcPoint(0, 0), 2, 2, zcRadian(0)), 0.0),
                                      zcRadian(0), zcRadian(zkPi / 2));
  const zcEllipseArc arc(ellipse, zcRadian(1), zcRadian(-2));
  const zcEllipseAnnulus thin(zcEllipse(zcPoint(0, 0), 2, 1, zcRadian(0)), 0.5);
  // Annuli convert to their inner boundary, then their outer one.
  const zcGenRect inner(zcPoint(0, 0), zcVector<2>(2, 1), zcRadian(0), zcVector<2>(0, 0));
  const zcGenRect outer(zcPoint(0, 0), zcVector<2>(4, 2), zcRadian(0), zcVector<2>(1, 1));
  const std::vector<zcGenPoly> disk = zcGenPoly::convert(zcAnnulus(zcPoint(1, 1), 0, 2));
  const std::vector<zcGenPoly> both = zcGenPoly::convert(zcGenAnnulus(inner, outer));
  const std::vector<zcGenPoly> ring = zcGenPoly::convert(thin);
  struct Row {
    std::string name;
    zcGenPoly polygon;
    double area;  // 0 for open polygons
    double perimeter;
    long vertices;
    bool editable;
  };
  // More than three points ending on the first close; three do not. A degenerate
  // section and an arc of a flat ellipse are empty; a whole turn of an arc is the ellipse.
  const std::vector<Row> rows = {
      {"circle", zcGenPoly(zcCircle(zcPoint(1, 2), 3)), 9 * zkPi, 6 * zkPi, 2, true},
      {"ellipse", zcGenPoly(ellipse), 8 * zkPi, ellipse.perimeter(), 2, false},
      {"ellipse2", zcGenPoly(skewed), zkPi * shear().determinant(), skewed.perimeter(), 2, false},
      {"rect", zcGenPoly(zcRect(1, 2, 10, 5)), 50, 30, 4, true},
      {"closed polygon", zcGenPoly(zcPolygon({{0, 0}, {4, 0}, {0, 3}, {0, 0}})), 6, 12, 3, true},
      {"open triangle", zcGenPoly(zcPolygon({{0, 0}, {4, 0}, {0, 3}})), 0, 9, 3, true},
      {"open polygon", zcGenPoly(zcPolygon({{0, 0}, {4, 0}, {3, 3}, {1, 3}})), 0, 6 + std::sqrt(10), 4, true},
      {"empty polygon", zcGenPoly(zcPolygon(std::vector<zcPoint>())), 0, 0, 0, true},
      {"rounded genrect", zcGenPoly(rounded), 4 * 4 * 2 - (4 - zkPi) * 1 * 0.5, rounded.perimeter(), 4, false},
      {"stadium", zcGenPoly(stadium), 4 * 3 - (4 - zkPi), stadium.perimeter(), 4, false},
      {"full rounding", zcGenPoly(full), 3 * zkPi, full.perimeter(), 2, false},
      {"sharp genrect", zcGenPoly(sharp), 12 * shear().determinant(), sharp.perimeter(), 4, false},
      {"section", zcGenPoly(section), 0.5 * 3.5 * 15 * (1 - 0.16), section.perimeter(), 4, false},
      {"pie slice", zcGenPoly(slice), zkPi, 4 + zkPi, 3, false},
      {"degenerate section", zcGenPoly(zcEllipseAnnulusSection(thin, zcRadian(1), zcRadian(1))), 0, 0, 0, false},
      {"arc", zcGenPoly(arc), 0, arc.perimeter(), 2, false},
      {"whole-turn arc", zcGenPoly(zcEllipseArc2()), zkPi, 2 * zkPi, 2, false},
      {"flat arc", zcGenPoly(zcEllipseArc(zcEllipse(zcPoint(0, 0), 2, 0, zcRadian(0)), zcRadian(0), zcRadian(1))), 0,
       0, 0, false},
      {"segment", zcGenPoly(zcLineSeg(zcPoint(0, 0), zcPoint(3, 4))), 0, 5, 2, true},
      {"disk's inner boundary", disk.at(0), 0, 0, 0, true},
      {"disk's outer boundary", disk.at(1), 4 * zkPi, 4 * zkPi, 2, true},
      {"general annulus, inner", both.at(0), 8, inner.perimeter(), 4, false},
      {"general annulus, outer", both.at(1), 32 - (4 - zkPi), outer.perimeter(), 4, false},
      {"elliptical annulus, inner", ring.at(0), zkPi / 2, zcEllipse(zcPoint(), 1, 0.5, zcRadian(0)).perimeter(), 2, false},
      {"elliptical annulus, outer", ring.at(1), 2 * zkPi, zcEllipse(zcPoint(), 2, 1, zcRadian(0)).perimeter(), 2, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.area > 0) {
      EXPECT_NEAR(std::abs(zc_test::signedArea(*row.polygon.decompose())), row.area, 1e-9 * row.area);
    }
    EXPECT_NEAR(row.polygon.perimeter(), row.perimeter, 1e-9 * row.perimeter);
    EXPECT_EQ(row.polygon.numVertices(), row.vertices);
    EXPECT_EQ(row.polygon.isEditable(), row.editable);
    EXPECT_EQ(row.polygon.isRegion(), row.area > 0);
    EXPECT_EQ(row.polygon.isOpen(), row.area == 0);
    EXPECT_EQ(row.polygon.degen(), row.vertices == 0);
  }
  // Three points ending on the first stay open, A → B → A: two adjacent lines never
  // cross, even running back over each other. A full section has two outlines.
  const zcGenPoly back(zcPolygon({{0, 0}, {4, 0}, {0, 0}}));
  EXPECT_TRUE(back.isOpen());
  EXPECT_EQ(back.numVertices(), 3);
  EXPECT_EQ(back.vertexPoint(2), zcPoint(0, 0));
  EXPECT_THROW(zcGenPoly(zcEllipseAnnulusSection(thin, zcRadian(1), zcRadian(1), true)), zcShapesError::BadGeom);
}

TEST(GenPolyEditing, InsertionsReplacementsAndSpansFollowTheNumbering) {
  zcGenPoly g = openChain({{0, 0}, {10, 0}});
  g.insertVertex(-1, zcPoint(0, 10), 0.0, zcRadian(0.0));  // in front
  EXPECT_TRUE(zfRealEq(g.vertexPoint(0), zcPoint(0, 10), 0));
  g.insertVertex(2, zcPoint(10, 10), 2.0, zcRadian(0.0));  // after the last
  g.close(zcRadian(0.0));
  // (0,10) (0,0) (10,0) (10,10): segment 3 closes back to vertex 0.
  EXPECT_EQ(g.numSegments(), 4);
  EXPECT_EQ(g.previousSegmentIndex(0), 3);
  EXPECT_EQ(g.nextSegmentIndex(3), 3);
  EXPECT_EQ(g.previousVertexIndex(3), 3);
  EXPECT_EQ(g.nextVertexIndex(3), 0);
  EXPECT_EQ(g.nextVertexIndex(4), -1);
  // Vertex 3 is rounded by 2; the corner lies at its neighbours' segments.
  EXPECT_NEAR(g.vertexRoundingSize(3), 2.0, 1e-12);
  EXPECT_TRUE(zfRealEq(g.lineSegment(2, false).p2(), zcPoint(10, 8), 1e-12));
  EXPECT_TRUE(zfRealEq(g.lineSegment(2, true).p2(), zcPoint(10, 10), 0));
  EXPECT_NEAR(g.roundedVertexArc(3).perimeter(), zkPi, 1e-12);
  EXPECT_THROW(g.roundedVertexArc(0), zcShapesError::BadGeom);
  // A span on segment 1 (stored on vertex 2): the segment becomes an arc.
  g.segmentAngleSpan(1, zcRadian(-0.5));
  EXPECT_TRUE(g.isArcSegment(1));
  EXPECT_DOUBLE_EQ(g.segmentAngleSpan(1).value(), -0.5);
  EXPECT_THROW(g.lineSegment(1, true), zcShapesError::BadGeom);
  EXPECT_THROW(g.arcSegment(0, true), zcShapesError::BadGeom);
  EXPECT_NEAR(g.arcSegment(1, true).perimeter(), g.ellipseSegment(1, true).perimeter(), 1e-12);
  // replaceVertex keeps the other properties (the span stays with vertex 2).
  g.replaceVertex(2, zcPoint(10, 1), 0.0);
  EXPECT_TRUE(g.isArcSegment(1));
  g.replaceVertex(2, zcPoint(10, 0), 0.0, zcRadian(0.0));
  EXPECT_TRUE(g.isLineSegment(1));
  g.deleteVertex(1);
  EXPECT_EQ(g.numVertices(), 3);
  EXPECT_EQ(g.previousSegmentIndex(0), 2);

  // Open ends: no rounding reported; writing a point back drops a stored one.
  zcGenPoly open = openChain({{0, 0}, {10, 0}, {10, 10}});
  open.replaceVertex(0, zcPoint(0, 0), 3.0);
  EXPECT_EQ(open.vertexRoundingSize(0), 0.0);
  EXPECT_EQ(open.previousSegmentIndex(0), -1);
  EXPECT_EQ(open.nextSegmentIndex(2), -1);
  open.vertexPoint(0, zcPoint(0, 1));
  open.close(zcRadian(0.0));
  EXPECT_EQ(open.vertexRoundingSize(0), 0.0);  // the 3 did not survive

  // vertexRoundingSizes rounds every corner as one edit; a rigid map with scale keeps
  // an editable polygon editable, in place.
  const zc2Rigid rigid(zcRadian(0.3), zcVector<2>(1, 2));
  zcGenPoly sq = square().map(rigid, 1.0);
  EXPECT_TRUE(sq.isEditable());
  EXPECT_TRUE(sq.xform().isIdentity());
  sq.vertexRoundingSizes(1.5);
  for (long v = 0; v < 4; ++v) EXPECT_NEAR(sq.vertexRoundingSize(v), 1.5, 1e-12);
  EXPECT_NEAR(sq.perimeter(), 40 - 4 * 3 + 3 * zkPi, 1e-9);
  EXPECT_TRUE(zfRealEq(sq.vertexPoint(0), rigid.mapPoint(zcPoint(10, 0)), 1e-12));
}

TEST(GenPolyEditing, RefusedEditsRaiseTheirShapeErrorAndChangeNothing) {
  const auto coef = &expectRefused<zcShapesError::BadCoef>;
  const auto geom = &expectRefused<zcShapesError::BadGeom>;
  const auto radius = &expectRefused<zcShapesError::BadRadius>;
  const zcGenPoly sq = square(), mapped = square().map(shear()), one = openChain({{1, 1}});
  const zcGenPoly notch(zcPolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 9}, {0, 0}}));
  struct Row {
    const char* what;
    zcGenPoly polygon;
    void (*refused)(zcGenPoly, const Edit&, const std::string&);
    Edit edit;
  };
  const Row rows[] = {
      {"insert at n", sq, coef, [](zcGenPoly& p) { p.insertVertex(4, zcPoint(5, 5), 0, zcRadian(0)); }},
      {"insert at -2", sq, coef, [](zcGenPoly& p) { p.insertVertex(-2, zcPoint(5, 5), 0, zcRadian(0)); }},
      {"replace -1", sq, coef, [](zcGenPoly& p) { p.replaceVertex(-1, zcPoint(5, 5), 0); }},
      {"delete 4", sq, coef, [](zcGenPoly& p) { p.deleteVertex(4); }},
      {"span of segment 4", sq, coef, [](zcGenPoly& p) { p.segmentAngleSpan(4, zcRadian(1)); }},
      {"point of 7", sq, coef, [](zcGenPoly& p) { p.vertexPoint(7, zcPoint(1, 1)); }},
      {"crossing", sq, geom, [](zcGenPoly& p) { p.vertexPoint(1, zcPoint(-5, 12)); }},
      {"two vertices on one point", sq, geom, [](zcGenPoly& p) { p.vertexPoint(1, zcPoint(0, 10)); }},
      {"closing span that crosses", sq, geom, [](zcGenPoly& p) { p.close(zcRadian(zcDegree(-250.0))); }},
      // Roundings that do not fit: one edit, or the last of several (nothing kept).
      {"radius 6", sq, radius, [](zcGenPoly& p) { p.vertexRoundingSize(2, 6.0); }},
      {"all radius 5.5", sq, radius, [](zcGenPoly& p) { p.vertexRoundingSizes(5.5); }},
      {"short side", notch, radius, [](zcGenPoly& p) { p.vertexRoundingSizes(0.8); }},
      // Not editable after a map: every edit refused.
      {"mapped: insert", mapped, geom, [](zcGenPoly& p) { p.insertVertex(0, zcPoint(5, -1), 0, zcRadian(0)); }},
      {"mapped: replace", mapped, geom, [](zcGenPoly& p) { p.replaceVertex(0, zcPoint(5, -1), 0); }},
      {"mapped: delete", mapped, geom, [](zcGenPoly& p) { p.deleteVertex(0); }},
      {"mapped: rounding", mapped, geom, [](zcGenPoly& p) { p.vertexRoundingSize(0, 1.0); }},
      {"mapped: roundings", mapped, geom, [](zcGenPoly& p) { p.vertexRoundingSizes(1.0); }},
      {"mapped: span", mapped, geom, [](zcGenPoly& p) { p.segmentAngleSpan(0, zcRadian(0.1)); }},
      {"mapped: open", mapped, geom, [](zcGenPoly& p) { p.open(); }},
      {"mapped: close", mapped, geom, [](zcGenPoly& p) { p.close(); }},
      // Closed polygons need two vertices.
      {"close one vertex", one, geom, [](zcGenPoly& p) { p.close(); }},
      {"close no vertex", zcGenPoly(), geom, [](zcGenPoly& p) { p.close(); }},
      {"closed, to one vertex", zcGenPoly(zcCircle(zcPoint(0, 0), 1)), geom, [](zcGenPoly& p) { p.deleteVertex(0); }},
  };
  for (const Row& row : rows) row.refused(row.polygon, row.edit, row.what);

  // The poly's failures become shape failures; others pass as they are.
  const Probe probe{zcRect(0, 0, 1, 1)};
  auto via = [&probe](auto failure) {
    return [&probe, failure]() mutable {
      try {
        throw failure;
      } catch (zcException& e) {
        probe.remap(e);
      }
    };
  };
  EXPECT_THROW(via(zcSMDGDPoly::invalidVertices())(), zcShapesError::BadGeom);
  EXPECT_THROW(via(zcSMDGDPoly::crossingSegments())(), zcShapesError::BadGeom);
  EXPECT_THROW(via(zcSMDGDPoly::notClosed())(), zcShapesError::BadGeom);
  EXPECT_THROW(via(zcSMDGDPolyVertex::invalidSegmentLength())(), zcShapesError::BadGeom);
  EXPECT_THROW(via(zcShapesError::DegenerateShape())(), zcShapesError::BadGeom);
  EXPECT_THROW(via(zcSMDGDPoly::invalidRounding())(), zcShapesError::BadRadius);
  EXPECT_THROW(via(zcSMDGDPoly::invalidIndex())(), zcShapesError::BadCoef);
  EXPECT_THROW(via(zcSMDGDPoly::noPelBuffer())(), zcSMDGDPoly::noPelBuffer);
  EXPECT_THROW(via(zcMathError::Singular())(), zcMathError::Singular);
  EXPECT_THROW(via(zcShapesError::NoTangent())(), zcShapesError::NoTangent);
}

TEST(GenPolyQueries, FramesPredicatesAndTheEmptyPolygon) {
  // The open chain in the poly's frame, queried under a map that mirrors.
  const zcXform<2> mirror(zcMatrix<2>(-2, 0, 0, 1), zcVector<2>(1, 1));
  const zcGenPoly chain = openChain({{0, 0}, {3, 0}, {3, 4}}).map(mirror);
  EXPECT_TRUE(zfRealEq(chain.startPoint(), zcPoint(0, 0), 0));     // poly frame
  EXPECT_TRUE(zfRealEq(chain.vertexPoint(1), zcPoint(-5, 1), 0));  // world
  EXPECT_NEAR(chain.endAngle().value(), zkPi / 2, 1e-15);
  EXPECT_TRUE(zfRealEq(chain.pos(), zcPoint(1, 1), 0));
  EXPECT_TRUE(zfRealEq(chain.center(), mirror.mapPoint(zcPoint(2, 4.0 / 3)), 1e-12));
  EXPECT_NEAR(chain.tangentRotation().value(), -zkPi / 2, 1e-12);  // mirrored: turns right
  EXPECT_TRUE(chain.hasTangent());
  EXPECT_FALSE(openChain({{1, 1}}).hasTangent());
  const zcGenPoly sq = square(), empty;
  EXPECT_TRUE(sq.isRightHanded());
  EXPECT_FALSE(sq.map(mirror).isRightHanded());
  EXPECT_NEAR(sq.distToPoint(zcPoint(13, 14)), 5, 1e-12);
  // Queries that do not apply.
  EXPECT_THROW(chain.isRightHanded(), zcShapesError::NotRegion);
  EXPECT_THROW(chain.within(zcPoint(0, 0)), zcShapesError::NotRegion);
  EXPECT_THROW(openChain({{1, 1}}).startAngle(), zcShapesError::NoTangent);
  EXPECT_THROW(sq.startPoint(), zcShapesError::NotOpenContour);
  EXPECT_THROW(sq.tangentRotation(), zcShapesError::NotOpenContour);
  EXPECT_THROW(sq.windingAngle(zcPoint(1, 1)), zcShapesError::NotOpenContour);
  EXPECT_THROW(empty.boundingBox(), zcShapesError::EmptyShape);
  EXPECT_THROW(empty.distToPoint(zcPoint()), zcShapesError::BadGeom);
  // The empty polygon otherwise answers at the origin.
  EXPECT_TRUE(empty.encloseRect().isEmpty() && openChain({{1, 1}}).encloseRect().isEmpty());
  EXPECT_FALSE(empty.isOpenContour() || empty.isRegion());
  EXPECT_TRUE(zfRealEq(empty.pos(), zcPoint(), 0) && zfRealEq(empty.center(), zcPoint(), 0));

  // Under a map that is not a similarity the rounding reports the radius of the
  // circle of the same area: 3 · √(det).
  zcGenPoly rounded = square();
  rounded.vertexRoundingSize(2, 3.0);
  rounded.vertexRoundingSize(1, -2.0);
  EXPECT_NEAR(rounded.map(zcXform<2>::scaling(4, 1)).vertexRoundingSize(2), 6.0, 1e-12);
  EXPECT_NEAR(rounded.map(zcXform<2>::scaling(-2, 2)).vertexRoundingSize(2), 6.0, 1e-12);
  EXPECT_NEAR(rounded.vertexRoundingSize(1), -2.0, 1e-12);
  // The exact box of a rounded corner lies strictly inside the unrounded segments' box.
  const zcRect mappedBox = rounded.map(shear()).boundingBox(), enclosing = rounded.encloseRect(shear());
  EXPECT_TRUE(enclosing.contains(mappedBox));
  EXPECT_LT(mappedBox.area(), enclosing.area());
}

TEST(GenPolyMaps, MapsComparisonAndReversal) {
  const zcGenPoly sq = square();
  EXPECT_TRUE(sq.map(zcXform<2>()) == sq);
  EXPECT_TRUE(sq.map(zcXform<2>()).isEditable());
  EXPECT_THROW(sq.map(zcXform<2>(zcMatrix<2>(1, 2, 2, 4), zcVector<2>())), zcMathError::Singular);
  EXPECT_THROW(sq.map(zc2Rigid(), 1e-16), zcMathError::Singular);
  // An editable polygon stays exact under a rigid map with scale; a mapped one
  // composes transforms instead.
  const zc2Rigid r(zcRadian(zkPi / 2), zcVector<2>(1, 0));
  EXPECT_TRUE(zfRealEq(sq.map(r, 2.0).vertexPoint(0), zcPoint(1, 20), 1e-12));
  const zcGenPoly composed = sq.map(shear()).map(r, 2.0);
  EXPECT_FALSE(composed.isEditable());
  EXPECT_TRUE(zfRealEq(composed.vertexPoint(0), r.mapPoint(shear().mapPoint(zcPoint(10, 0)) * 2.0), 1e-12));
  // Equality: poly, transform and flag; zfRealEq within a tolerance.
  EXPECT_FALSE(sq.map(shear()) == sq);
  EXPECT_TRUE(sq.map(shear()) == sq.map(shear()));
  const zcXform<2> nudge = zcXform<2>::translation(zcVector<2>(1e-10, 0));
  EXPECT_TRUE(zfRealEq(sq.map(nudge), sq.map(zcXform<2>::translation(zcVector<2>(0, 1e-10))), 1e-9));
  EXPECT_FALSE(zfRealEq(sq.map(nudge), sq, 1e-9));  // the flags differ
  zcGenPoly nudged = square();
  nudged.vertexPoint(0, zcPoint(10 + 1e-10, 0));
  EXPECT_FALSE(nudged == sq);
  EXPECT_TRUE(zfRealEq(nudged, sq, 1e-9));
  EXPECT_FALSE(zfRealEq(nudged, sq, 1e-11));
  EXPECT_TRUE(static_cast<const zcShape&>(sq) == static_cast<const zcShape&>(square()));
  EXPECT_FALSE(static_cast<const zcShape&>(sq) == static_cast<const zcShape&>(zcRect(0, 0, 10, 10)));
  // Reversal runs the other way over the same region.
  const zcShapePtr back = sq.map(shear()).reverse();
  EXPECT_NEAR(zc_test::signedArea(*back->decompose()), -zc_test::signedArea(*sq.map(shear()).decompose()), 1e-9);
}

TEST(GenPolyArchive, RoundTripsVersionsAndRefusalsOfPolygonsAndWireframes) {
  zcGenPoly g = square();
  g.vertexRoundingSize(1, 2.0);
  g.segmentAngleSpan(2, zcRadian(0.4));
  const zcGenPoly mapped = g.map(shear());
  for (const zcGenPoly& p : {g, mapped, zcGenPoly()}) {
    const Bytes bytes = zc_test::expectOwnRoundTrip(p);
    zc_test::expectShapeRoundTrip(p);  // through a pointer, as a shape
    // Every truncation is an archive error and leaves the target as it was.
    for (std::size_t n = 8; n < bytes.size(); n += 7)
      zc_test::expectRefused<zcArchive::Errors>(Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(n)), square());
  }
  zc2Wireframe w = box();
  w.polarity(true);
  for (const zc2Wireframe& x : {w, w.map(zcXform<2>::scaling(2, 3))}) {
    zc_test::expectOwnRoundTrip(x);  // polarity included
    zc_test::expectShapeRoundTrip(x);
  }
  // Unknown version bytes name their module and line: the polygon's first, the
  // wireframe's first and the polygon's second.
  zcArchive v1(zc_test::withByte(zc_test::ownBytes(g), 8, 1));
  zcGenPoly target;
  zc_test::expectUnknownVersion([&] { v1 || target; }, "dispc/wrfm/genpoly", 751);
  for (const auto& [at, where, line] : {std::tuple{8, "dispc/wrfm/wirefrm", 148}, {9, "dispc/wrfm/genpoly", 751}}) {
    zcArchive in(zc_test::withByte(bytesOf(w), std::size_t(at), 1));
    zc2Wireframe wireTarget = box();
    zc_test::expectUnknownVersion([&] { in || wireTarget; }, where, line);
    EXPECT_TRUE(wireTarget == box());
  }
  // An editable polygon under a transform is not a form this class writes.
  Bytes flagged = zc_test::ownBytes(mapped);
  flagged.back() = 1;
  zc_test::expectRefused<zcArchive::BadFormat>(flagged, square());

  // The simple forms: shape part, the wireframe's signed version (for a wireframe),
  // the polygon's, poly, transform, flag.
  auto simple = [](const zcGenPoly& p, std::vector<signed char> versions) {
    zcArchive out;
    unsigned char shapeVersion = 0;
    out || shapeVersion;
    for (signed char& v : versions) out || v;
    zcSMDGDPoly poly = zcSMDGDPolyPrivate::poly(p);
    zcXform<2> x = p.xform();
    bool editable = p.isEditable();
    out || poly || x || editable;
    return out.bytes();
  };
  zcArchive ok(simple(mapped, {0})), bad(simple(mapped, {-1})), wireOk(simple(w, {0, 0})), wireBad(simple(w, {3, 0}));
  zcGenPoly loaded;
  loaded.loadSimple(ok);
  EXPECT_TRUE(loaded == mapped);
  zc2Wireframe loadedWire;
  loadedWire.loadSimple(wireOk);
  EXPECT_TRUE(loadedWire == w);
  zc_test::expectUnknownVersion([&] { loaded.loadSimple(bad); }, "dispc/wrfm/genpoly", 741);
  zc_test::expectUnknownVersion([&] { loadedWire.loadSimple(wireBad); }, "dispc/wrfm/wirefrm", 131);
  zcArchive storing;
  EXPECT_THROW(loaded.loadSimple(storing), zcArchive::BadFormat);
}

// --- Decomposition against the SMD poly ----------------------------------------------------------

namespace {

// A random polygon around the origin: vertices at increasing angles and radii
// between 5 and 10, some segments arcs of up to ±40 degrees, some corners rounded
// outward or inward; open or closed; under a random affine map, mirroring half of the
// time. Built through the polygon's own edits: false when the poly refuses it.
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
  const double turn = unit(rng) * 2 * zkPi, sx = 0.3 + 3 * unit(rng);
  const double sy = (unit(rng) < 0.5 ? -1 : 1) * (0.3 + 3 * unit(rng));
  const zcMatrix<2> m = zcMatrix<2>::rotation(zcRadian(turn)) * zcMatrix<2>(sx, 0.6 * unit(rng) - 0.3, 0, sy);
  out.map = zcXform<2>(m, zcVector<2>(50 * unit(rng) - 25, 50 * unit(rng) - 25));
  out.polygon = g.map(out.map);
  std::ostringstream cpp;
  cpp.precision(17);
  cpp << "seed " << seed << ": zcGenPoly from " << zc_test::cppOf(zcSMDGDPolyPrivate::poly(g).vertices(), closed)
      << " mapped by zcXform<2>(zcMatrix<2>(" << m.element(0, 0) << ", " << m.element(0, 1) << ", " << m.element(1, 0)
      << ", " << m.element(1, 1) << "), zcVector<2>(" << out.map.trans().x() << ", " << out.map.trans().y() << "))";
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
      inward += g.vertexRoundingSize(v) < 0;
      outward += g.vertexRoundingSize(v) > 0;
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
    const zcSampleResult sampled = zc_test::sampled(g, params);
    double worst = 0.0;
    for (const zcPoint& p : sampled.points)
      worst = std::max(worst, zcSMDGDPolyPrivate::distToPoint(poly, c.map.inverse().mapPoint(p)));
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
    EXPECT_TRUE(zcRect(enclosing.x() - 1e-9 * size, enclosing.y() - 1e-9 * size, enclosing.width() + 2e-9 * size,
                       enclosing.height() + 2e-9 * size)
                    .contains(box));
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

TEST(GenPolyDecomposition, OneVertexAndInwardCorners) {
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
  EXPECT_EQ(parts.size(), 6u);
  EXPECT_EQ(parts[1].rep(), marked.made[0]);  // vertex 0's segment, then vertex 1's corner
}

// --- Drawing --------------------------------------------------------------------------------------

TEST(GenPolyDrawing, ArcsBecomeBoundedChainedChordsAndLongSegmentsArrowsWithMarksThatFollowMirrors) {
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
    EXPECT_EQ(drawn(zcGenPoly(zcCircle(zcPoint(0, 0), rho)), noArrows()).size(), chords);
  }
  // Sides 20, 2, 20, 2: the arrow size is 4, so the short sides get none. The plus
  // mark lies on the left of the heading (y up), on its right under a mirror.
  const zcGenPoly g(zcRect(0, 0, 20, 2));  // (20,0) (20,2) (0,2) (0,0)
  const zcGraphicProps props;                // arrow heads on by default
  for (const auto& [map, plusSide] : {std::pair{zcXform<2>(), 1.0}, {zcXform<2>::scaling(1, -1), -1.0},
                                      {zcXform<2>::rotation(zcRadian(1)), 1.0}}) {
    const std::vector<Segment> s = drawn(g.map(map), props);
    ASSERT_EQ(s.size(), 4u + 2 * 5u);
    // The arrows sit on the long sides, in vertex order: the one arriving at vertex 0
    // ((0,0) to (20,0)), then the one arriving at vertex 2 ((20,2) to (0,2)).
    for (int k = 0; k < 2; ++k) {
      const Segment* a = &s[4 + 5 * k];
      const zcPoint tip = a[0].a;
      EXPECT_TRUE(zfRealEq(tip, map.mapPoint(k == 0 ? zcPoint(10, 0) : zcPoint(10, 2)), 1e-12));
      const zcVector<2> heading = map.mapVector(k == 0 ? zcVector<2>(1, 0) : zcVector<2>(-1, 0)).unit();
      // The head's arms reach back along the heading, 4 across on each side.
      for (int arm = 0; arm < 2; ++arm) {
        EXPECT_NEAR((a[arm].b - tip).dot(heading), -4, 1e-12);
        EXPECT_NEAR(std::abs((a[arm].b - tip).cross(heading)), 4, 1e-12);
      }
      // Plus (two strokes along the scope's axes, crossing at its center) on one
      // side, minus on the other.
      const zcPoint plus = (a[2].a + a[2].b) * 0.5, minus = (a[4].a + a[4].b) * 0.5;
      EXPECT_TRUE(zfRealEq(plus, (a[3].a + a[3].b) * 0.5, 1e-12));
      EXPECT_NEAR(heading.cross(plus - tip), 4 * plusSide, 1e-12);
      EXPECT_NEAR(heading.cross(minus - tip), -4 * plusSide, 1e-12);
      EXPECT_NEAR(a[2].a.distance(a[2].b), 2.4, 1e-12);
      EXPECT_NEAR(a[2].a.y(), a[2].b.y(), 1e-12);
      EXPECT_NEAR(a[3].a.x(), a[3].b.x(), 1e-12);
    }
  }
  // Run the other way, the polygon flips its direction flag too: the same arrow tips.
  const std::vector<Segment> f = drawn(g, props), b = drawn(static_cast<const zcGenPoly&>(*g.reverse()), props);
  ASSERT_EQ(f.size(), b.size());
  EXPECT_TRUE((zfRealEq(f[4].b, b[4].b, 1e-12) && zfRealEq(f[9].b, b[9].b, 1e-12)) ||
              (zfRealEq(f[4].b, b[9].b, 1e-12) && zfRealEq(f[9].b, b[4].b, 1e-12)));
  EXPECT_TRUE(drawn(openChain({{1, 1}}), props).empty());  // without segments nothing to point along
}

// --- Wireframes ------------------------------------------------------------------------------------

TEST(WireframeTolerances, InsertionSplitsASegmentsToleranceClosingSetsOneAndRefusedEditsChangeNothing) {
  zc2Wireframe w = box();
  for (long s = 0; s < 4; ++s) expectTol(w.segmentLengthTol(s), s % 2 ? 10 : 4, kWide);
  // Splitting segment 0 at (10, 1): the first part takes the new tolerance, the second
  // part (arriving at the old end vertex) none.
  w.insertVertex(0, zcPoint(10, 1), 0.0, zcRadian(0), kNarrow);
  expectTol(w.segmentLengthTol(0), 1, kNarrow);
  EXPECT_TRUE(untoleranced(w.segmentLengthTol(1)));
  expectTol(w.segmentLengthTol(2), 10, kWide);
  // In front: no tolerance set; the closing segment now ends at the new vertex.
  w.insertVertex(-1, zcPoint(5, -1), 0.0, zcRadian(0), kNarrow);
  EXPECT_TRUE(untoleranced(w.segmentLengthTol(5)));
  expectTol(w.segmentLengthTol(0), std::hypot(5, 1), kWide);
  // The single-segment setter.
  w.segmentLengthTol(3, kNarrow);
  expectTol(w.segmentLengthTol(3), 10, kNarrow);  // (10,4) to (0,4)
  // Appending to an open wireframe tolerances the new last segment; closing sets
  // the closing one.
  zc2Wireframe open = openWireframe();
  open.insertVertex(zcPoint(0, 4), 0, zcRadian(0), kNarrow);
  expectTol(open.segmentLengthTol(1), 4, kWide);
  expectTol(open.segmentLengthTol(2), 3, kNarrow);
  open.close(zcRadian(0), kNarrow);
  expectTol(open.segmentLengthTol(3), 4, kNarrow);
  EXPECT_FALSE(open.isOpen());
  // A closed wireframe is left exactly as it is, editable or not.
  for (const zc2Wireframe& closed : {open, open.map(zcXform<2>::scaling(2, 1))}) {
    zc2Wireframe copy = closed;
    copy.close(zcRadian(1.0), kWide);
    EXPECT_EQ(bytesOf(copy), bytesOf(closed));
  }
  using Edit = std::function<void(zc2Wireframe&)>;
  const zc2Wireframe mapped = box().map(zcXform<2>::scaling(1, 2));
  const std::tuple<const char*, zc2Wireframe, bool, Edit> rows[] = {  // bad index or bad geometry
      {"setter, length outside", box(), false, [](zc2Wireframe& w) { w.segmentLengthTol(0, kTooLong); }},
      {"insert, length outside", box(), false,
       [](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, 5), 0, zcRadian(0), kTooLong); }},
      {"insert, crossing", box(), false,
       [](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, -5), 0, zcRadian(0), kWide); }},
      {"setter, not editable", mapped, false, [](zc2Wireframe& w) { w.segmentLengthTol(0, kWide); }},
      {"insert, not editable", mapped, false,
       [](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, 5), 0, zcRadian(0), kWide); }},
      {"closing segment outside", openWireframe(), false, [](zc2Wireframe& w) { w.close(zcRadian(0), kTooLong); }},
      {"setter of segment 4", box(), true, [](zc2Wireframe& w) { w.segmentLengthTol(4, kWide); }},
      {"getter of segment -1", box(), true, [](zc2Wireframe& w) { w.segmentLengthTol(-1); }},
      {"insert after 4", box(), true, [](zc2Wireframe& w) { w.insertVertex(4, zcPoint(1, 1), 0, zcRadian(0), kWide); }},
  };
  for (auto [what, w, badIndex, edit] : rows) {
    const Bytes before = bytesOf(w);
    if (badIndex) {
      EXPECT_THROW(edit(w), zcShapesError::BadCoef) << what;
    } else {
      EXPECT_THROW(edit(w), zcShapesError::BadGeom) << what;
    }
    EXPECT_EQ(bytesOf(w), before) << what;
  }
  EXPECT_THROW(zc2Wireframe(zcGenPoly(zcRect(0, 0, 10, 4)), kTooLong), zcShapesError::BadGeom);
}

TEST(WireframePolarity, FlagsHookAndMirrors) {
  Counted w(zcGenPoly(zcRect(0, 0, 10, 4)));
  EXPECT_FALSE(w.isPolarityReversed());
  EXPECT_TRUE(w.isInsidePositive());  // counter-clockwise
  w.polarity(true);
  w.polarity(true);
  EXPECT_TRUE(w.isPolarityReversed());
  EXPECT_EQ(w.told, std::vector<bool>{true});
  EXPECT_FALSE(w.isInsidePositive());
  w.polarity(false);
  EXPECT_EQ(w.told, (std::vector<bool>{true, false}));
  // A mirror flips the answer; insidePolarity then sets it, without the hook.
  for (const zcXform<2>& m : {zcXform<2>::scaling(1, -1), zcXform<2>::scaling(-3, 1),
                              zcXform<2>(zcMatrix<2>(0, 1, 1, 0), zcVector<2>())}) {
    zc2Wireframe mirrored = w.map(m);
    EXPECT_FALSE(mirrored.isInsidePositive());
    for (const bool x : {true, false, true}) {
      mirrored.insidePolarity(x);
      EXPECT_EQ(mirrored.isInsidePositive(), x);
    }
  }
  w.insidePolarity(false);
  EXPECT_TRUE(w.isPolarityReversed());
  EXPECT_EQ(w.told.size(), 2u);
  EXPECT_THROW(openWireframe().isInsidePositive(), zcShapesError::BadGeom);
  // Polarity is part of the poly: equality sees it, and the arrows turn round. The
  // first arrow's first arm: from the same tip, the other way round.
  zc2Wireframe a = box(), b = box();
  b.polarity(true);
  EXPECT_FALSE(a == b);
  const Segment armA = drawn(a, zcGraphicProps())[4], armB = drawn(b, zcGraphicProps())[4];
  EXPECT_EQ(armA.a, armB.a);
  EXPECT_TRUE(zfRealEq(armA.b - armA.a, armB.a - armB.b, 1e-12));
  EXPECT_NE(armA.b, armA.a);
}

TEST(WireframeShape, MapsComparisonAndThePolyItHolds) {
  const zc2Wireframe w = box();
  const zc2Wireframe mapped = w.map(zcXform<2>::rotation(zcRadian(0.4)));
  EXPECT_FALSE(mapped.isEditable());
  EXPECT_TRUE(w.map(zc2Rigid(zcRadian(0.4), zcVector<2>(1, 1)), 2.0).isEditable());
  EXPECT_EQ(typeid(*w.clone()), typeid(zc2Wireframe));
  // A polygon takes a wireframe of its geometry as equal; the wireframe only wireframes.
  const zcGenPoly polygon(w);
  EXPECT_TRUE(static_cast<const zcGenPoly&>(w) == polygon);
  EXPECT_FALSE(static_cast<const zcShape&>(w) == static_cast<const zcShape&>(polygon));
  EXPECT_TRUE(static_cast<const zcShape&>(polygon) == static_cast<const zcShape&>(w));
  EXPECT_TRUE(static_cast<const zcShape&>(w) == static_cast<const zcShape&>(box()));
  // The SMD poly of a wireframe: the held poly with its name, whatever the transform.
  const zcSMDGDPoly held(mapped, L"other");
  EXPECT_EQ(held.name(), L"poly");
  EXPECT_TRUE(held == zcSMDGDPolyPrivate::poly(w));
  EXPECT_TRUE(zcSMDGDPolyPrivate::wireframeXform(mapped) == mapped.xform());
}

// --- On tablets -------------------------------------------------------------------------------------

TEST(GenPolyTablet, RecordsThePolygonAsStoredUnderItsOpcode) {
  const zcGenPoly g = sample().map(zcXform<2>::rotation(zcRadian(0.2)));
  zc2Wireframe w(sample());
  w.polarity(true);
  const zcSMDGDPoly& poly = zcSMDGDPolyPrivate::poly(g);
  const std::pair<std::function<void(zcUITablet&)>, long> rows[] = {
      {[&](zcUITablet& t) { t.draw(g, pen(), zcUITablet::eImage); }, 34},
      {[&](zcUITablet& t) { t.draw(g, zcColor::red, true, zcUITablet::eOverlay); }, 38},
      {[&](zcUITablet& t) { t.draw(w, pen(true), zcUITablet::eImage); }, 41},
      {[&](zcUITablet& t) { t.draw(static_cast<const zcShape&>(w), pen(), zcUITablet::eImage); }, 41},
      {[&](zcUITablet& t) { t.draw(static_cast<const zcShape&>(g), pen(), zcUITablet::eImage); }, 34},
  };
  for (const auto& [draw, opcode] : rows) {
    zcUITablet recorder;
    draw(recorder);
    const std::vector<Op> ops = opsOf(recorder.sketch());
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].opcode, opcode);
    const SketchBytes& p = ops[0].payload;
    ASSERT_EQ(p.size(), 68u + 104u * 4u);
    // Transform, editable, count, then vertex 2: point, radius, span (degrees), the
    // tolerance; the caches; open.
    EXPECT_EQ(zfLoadF64(p.data() + 8), (opcode == 41 ? w.xform() : g.xform()).matrix().element(0, 1));
    EXPECT_EQ(zfLoadI32(p.data() + 56), opcode == 41 ? 1 : 0);
    EXPECT_EQ(zfLoadI32(p.data() + 60), 4);
    const unsigned char* v2 = p.data() + 64 + 2 * 64;
    EXPECT_EQ(zfLoadF64(v2), 60.0);
    EXPECT_EQ(zfLoadF64(v2 + 16), -3.0);
    EXPECT_NEAR(zfLoadF64(v2 + 24), zcDegree(zcRadian(0.6)).value(), 1e-12);
    EXPECT_EQ(zfLoadF64(v2 + 32), -1.0);
    EXPECT_EQ(zfLoadF64(p.data() + 64 + 4 * 64 + 16 + 8), poly.roundedStartPoints()[1].y());
    EXPECT_EQ(zfLoadF64(p.data() + 64 + 4 * 64 + 4 * 32 + 8), poly.roundedSpans()[1]);
    EXPECT_EQ(zfLoadI32(p.data() + p.size() - 4), 0);  // closed
  }
}

// Replay against direct drawing is a row of the tablet's replay table.
TEST(GenPolyTablet, PaintsOutlinesInOneCompoundAlsoWhenPaintingFails) {
  // Filled or not, a polygon paints line segments only, locked around each polygon,
  // also when painting fails.
  zc2Wireframe w(sample(), zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets));
  Screen direct;
  direct.tablet.draw(sample(), pen(), zcUITablet::eImage);
  direct.tablet.draw(w, pen(true), zcUITablet::eImage);
  direct.tablet.draw(sample().map(zcXform<2>::scaling(0.5, 1)), zcColor::green, true, zcUITablet::eImage);
  EXPECT_EQ(direct.image.count("lockScreenUpdatesPush"), 3u);
  EXPECT_EQ(direct.image.calls().front(), "lockScreenUpdatesPush 1");
  EXPECT_EQ(direct.image.lockDepth(), 0);
  EXPECT_EQ(direct.image.count("drawLineSeg") + 2 * 3, direct.image.calls().size());
  FailingScope scope(zcPair<long>(100, 80), zcPair<long>(), "image");
  zcUITablet tablet(&scope, nullptr);
  tablet.visible(true);
  for (int failAt : {0, 5, 30}) {
    scope.failAt = failAt;
    EXPECT_THROW(tablet.draw(sample(), pen(), zcUITablet::eImage), zcUIError::NotImplemented);
    EXPECT_EQ(scope.lockDepth(), 0) << failAt;
  }
}

TEST(GenPolyTablet, MalformedPayloadsGiveOnlyInvalidSketch) {
  zcUITablet recorder;
  recorder.draw(sample(), pen(), zcUITablet::eImage);
  const SketchBytes good = zc_test::bytesOf(recorder.sketch());
  const std::size_t payloadAt = good.size() - (68 + 104 * 4);
  // Every truncation.
  for (std::size_t n = 1; n < good.size(); ++n) {
    const zcUISketch cut = zc_test::sketchOf(SketchBytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_THROW(opsOf(cut), zcUIError::InvalidUISketch) << n;
  }
  // Counts, non-finite numbers and tolerance types; the last two parse and are
  // refused only on replay.
  const double nan = std::nan("");
  const std::tuple<const char*, std::size_t, long, double> patches[] = {
      {"negative count", 60, -1, 0},
      {"count past the end", 60, 5, 0},
      {"huge count", 60, 0x7fffffff, 0},
      {"NaN point", 64, 0, nan},
      {"infinite span", 64 + 64 * 3 + 24, 0, HUGE_VAL},
      {"infinite cache", 64 + 64 * 4 + 8, 0, -HUGE_VAL},
      {"non-finite transform", 0, 0, nan},
      {"tolerance type 3", 64 + 56, 3, 0},
      {"tolerance type high bytes", 64 + 60, 1, 0},
  };
  for (const auto& [what, at, integer, real] : patches) {
    SketchBytes bad = good;
    if (integer != 0) {
      zfStoreI32(bad.data() + payloadAt + at, std::int32_t(integer));
    } else {
      zfStoreF64(bad.data() + payloadAt + at, real);
    }
    const zcUISketch sketch = zc_test::sketchOf(bad);
    if (at != 64 + 56 && at != 64 + 60) {  // not a tolerance type of vertex 0
      EXPECT_THROW(opsOf(sketch), zcUIError::InvalidUISketch) << what;
      continue;
    }
    EXPECT_NO_THROW(opsOf(sketch)) << what;
    Screen screen;
    EXPECT_THROW(screen.tablet.draw(sketch, zcPoint(), zcUITablet::eImage), zcUIError::InvalidUISketch) << what;
  }
  // Flags other than 0 and 1 read as false: the polygon is not editable and closed.
  SketchBytes flags = good;
  zfStoreI32(flags.data() + payloadAt + 56, 2);
  zfStoreI32(flags.data() + good.size() - 4, 2);
  const std::vector<Op> flagged = opsOf(zc_test::sketchOf(flags));
  const auto* read = dynamic_cast<const zc_UISketchOpGenPoly*>(flagged[0].record.rep());
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read->poly().editable);
  EXPECT_FALSE(read->poly().open);
  // Caches that disagree with their vertices: a rounding whose cached start is its end
  // cannot be built, and replay leaves it out.
  SketchBytes bad = good;
  const auto cache = [&](SketchBytes& b, std::size_t at) { return b.begin() + std::ptrdiff_t(payloadAt + at); };
  std::copy_n(cache(bad, 384 + 16), 16, cache(bad, 320 + 16));
  Screen screen;
  EXPECT_NO_THROW(screen.tablet.draw(zc_test::sketchOf(bad), zcPoint(), zcUITablet::eImage));
  EXPECT_GT(screen.image.count("drawLineSeg"), 0u);
  EXPECT_EQ(screen.image.lockDepth(), 0);
  // Caches that disagree with their vertices (any finite values): replay paints what
  // it can and never fails otherwise.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> any(-1e6, 1e6);
  for (int round = 0; round < 300; ++round) {
    SketchBytes noisy = good;
    std::ostringstream cpp;  // the round's patches, to paste into a regression test
    cpp.precision(17);
    for (int k = 0; k < 6; ++k) {
      const std::size_t at = 64 + 8 * (rng() % ((104 * 4) / 8));
      if ((at - 64) % 64 == 56) continue;  // tolerance types: refused above
      const double value = round % 3 == 0 ? any(rng) : any(rng) * 1e-6;
      zfStoreF64(noisy.data() + payloadAt + at, value);
      cpp << " zfStoreF64(noisy.data() + payloadAt + " << at << ", " << value << ");";
    }
    Screen painted;
    try {
      painted.tablet.draw(zc_test::sketchOf(noisy), zcPoint(), zcUITablet::eImage);
    } catch (const zcUIError::InvalidUISketch&) {
    }
    EXPECT_EQ(painted.image.lockDepth(), 0) << "seed 7, round " << round << ":" << cpp.str();
  }
}

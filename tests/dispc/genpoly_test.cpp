// The generalized polygon: construction from every shape against analytic area and
// perimeter, editing and its refusals, queries, maps, comparison and archives.
#include "dispc/wrfm/genpoly.h"

#include "zfound/archive.h"

#include "support/shape_area.h"
#include "zfound/checks.h"
#include "wrfm/genpoly_private.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const zcGenPoly& value) { return zc_test::ownBytes(value); }

zcGenPoly openChain(std::vector<zcPoint> points) {
  zcGenPoly g;
  for (const zcPoint& p : points) g.insertVertex(p, 0.0, zcRadian(0.0));
  return g;
}

// The 10 × 10 square at the origin, counter-clockwise from (10, 0).
zcGenPoly square() { return zcGenPoly(zcRect(0, 0, 10, 10)); }

zcXform<2> shear() { return zcXform<2>(zcMatrix<2>(2.0, 0.7, -0.3, 0.5), zcVector<2>(4, -1)); }

// A call that must raise Ex and leave the polygon's archive bytes as they were.
template <class Ex>
void expectRefused(zcGenPoly& g, const std::function<void(zcGenPoly&)>& edit, const std::string& what) {
  const Bytes before = bytesOf(g);
  EXPECT_THROW(edit(g), Ex) << what;
  EXPECT_EQ(bytesOf(g), before) << what;
}

// Exposes the failure translation.
class Probe : public zcGenPoly {
public:
  void remap(zcException& e) const { remapAndThrowError_(e); }
};

}  // namespace

TEST(GenPolyConstruction, EveryShapeGivesItsAnalyticAreaAndPerimeter) {
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
  struct Row {
    std::string name;
    zcGenPoly polygon;
    double area;  // 0 for open polygons
    double perimeter;
    bool editable;
  };
  const std::vector<Row> rows = {
      {"circle", zcGenPoly(zcCircle(zcPoint(1, 2), 3)), 9 * zkPi, 6 * zkPi, true},
      {"ellipse", zcGenPoly(ellipse), 8 * zkPi, ellipse.perimeter(), false},
      {"ellipse2", zcGenPoly(skewed), zkPi * shear().determinant(), skewed.perimeter(), false},
      {"rect", zcGenPoly(zcRect(1, 2, 10, 5)), 50, 30, true},
      {"polygon", zcGenPoly(zcPolygon({{0, 0}, {4, 0}, {0, 3}, {0, 0}})), 6, 12, true},
      {"rounded genrect", zcGenPoly(rounded), 4 * 4 * 2 - (4 - zkPi) * 1 * 0.5, rounded.perimeter(), false},
      {"stadium", zcGenPoly(stadium), 4 * 3 - (4 - zkPi), stadium.perimeter(), false},
      {"full rounding", zcGenPoly(full), 3 * zkPi, full.perimeter(), false},
      {"sharp genrect", zcGenPoly(sharp), 12 * shear().determinant(), sharp.perimeter(), false},
      {"section", zcGenPoly(section), 0.5 * 3.5 * 15 * (1 - 0.16), section.perimeter(), false},
      {"pie slice", zcGenPoly(slice), zkPi, 4 + zkPi, false},
      {"arc", zcGenPoly(zcEllipseArc(ellipse, zcRadian(1), zcRadian(-2))), 0,
       zcEllipseArc(ellipse, zcRadian(1), zcRadian(-2)).perimeter(), false},
      {"segment", zcGenPoly(zcLineSeg(zcPoint(0, 0), zcPoint(3, 4))), 0, 5, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const zcShapePtr pieces = row.polygon.decompose();
    if (row.area > 0) {
      EXPECT_NEAR(std::abs(zc_test::signedArea(*pieces)), row.area, 1e-9 * row.area);
    }
    EXPECT_NEAR(row.polygon.perimeter(), row.perimeter, 1e-9 * row.perimeter);
    EXPECT_EQ(row.polygon.isEditable(), row.editable);
    EXPECT_EQ(row.polygon.isRegion(), row.area > 0);
  }
}

TEST(GenPolyConstruction, ShapesWithoutOneOutlineAndTheClosingRuleOfPolygons) {
  // More than three points ending on the first close; three do not.
  struct Row {
    std::vector<zcPoint> points;
    long vertices;
    bool open;
  };
  const std::vector<Row> rows = {{{{0, 0}, {4, 0}, {0, 3}, {0, 0}}, 3, false},
                                 {{{0, 0}, {4, 0}, {0, 3}}, 3, true},
                                 {{{0, 0}, {4, 0}, {3, 3}, {1, 3}}, 4, true},
                                 {{}, 0, true}};
  for (const Row& row : rows) {
    const zcGenPoly g{zcPolygon(row.points)};
    EXPECT_EQ(g.numVertices(), row.vertices);
    EXPECT_EQ(g.isOpen(), row.open);
  }
  // Three points ending on the first stay open, A → B → A: the second segment runs
  // back over the first, which the poly refuses.
  EXPECT_THROW(zcGenPoly(zcPolygon({{0, 0}, {4, 0}, {0, 0}})), zcShapesError::BadGeom);
  // A full section has two outlines; a degenerate one none.
  const zcEllipseAnnulus annulus(zcEllipse(zcPoint(0, 0), 2, 1, zcRadian(0)), 0.5);
  EXPECT_THROW(zcGenPoly(zcEllipseAnnulusSection(annulus, zcRadian(1), zcRadian(1), true)), zcShapesError::BadGeom);
  EXPECT_TRUE(zcGenPoly(zcEllipseAnnulusSection(annulus, zcRadian(1), zcRadian(1))).degen());
  // A whole turn of an arc is the ellipse; an arc of a flat ellipse is nothing.
  EXPECT_TRUE(zcGenPoly(zcEllipseArc2()).isRegion());
  EXPECT_TRUE(zcGenPoly(zcEllipseArc(zcEllipse(zcPoint(0, 0), 2, 0, zcRadian(0)), zcRadian(0), zcRadian(1))).degen());
  // Annuli: the inner boundary first; a disk's inner boundary is empty.
  const std::vector<zcGenPoly> disk = zcGenPoly::convert(zcAnnulus(zcPoint(1, 1), 0, 2));
  ASSERT_EQ(disk.size(), 2u);
  EXPECT_TRUE(disk[0].degen());
  EXPECT_NEAR(zc_test::signedArea(*disk[1].decompose()), 4 * zkPi, 1e-9);
  const zcGenRect outer(zcPoint(0, 0), zcVector<2>(4, 2), zcRadian(0), zcVector<2>(1, 1));
  const zcGenRect inner(zcPoint(0, 0), zcVector<2>(2, 1), zcRadian(0), zcVector<2>(0, 0));
  const std::vector<zcGenPoly> both = zcGenPoly::convert(zcGenAnnulus(inner, outer));
  EXPECT_NEAR(both[0].perimeter(), inner.perimeter(), 1e-9);
  EXPECT_NEAR(both[1].perimeter(), outer.perimeter(), 1e-9);
  const std::vector<zcGenPoly> ring = zcGenPoly::convert(annulus);
  EXPECT_NEAR(zc_test::signedArea(*ring[1].decompose()) - zc_test::signedArea(*ring[0].decompose()), 2 * zkPi * 0.75,
              1e-9);
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
  const zcEllipseArc2 corner = g.roundedVertexArc(3);
  EXPECT_NEAR(corner.perimeter(), zkPi, 1e-12);
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

  // vertexRoundingSizes rounds every corner as one edit.
  zcGenPoly sq = square();
  sq.vertexRoundingSizes(1.5);
  for (long v = 0; v < 4; ++v) EXPECT_NEAR(sq.vertexRoundingSize(v), 1.5, 1e-12);
  EXPECT_NEAR(sq.perimeter(), 40 - 4 * 3 + 3 * zkPi, 1e-9);
}

TEST(GenPolyEditing, RefusedEditsRaiseTheirShapeErrorAndChangeNothing) {
  zcGenPoly g = square();
  using Edit = std::function<void(zcGenPoly&)>;
  const std::vector<std::pair<std::string, Edit>> badCoef = {
      {"insert at n", [](zcGenPoly& p) { p.insertVertex(4, zcPoint(5, 5), 0, zcRadian(0)); }},
      {"insert at -2", [](zcGenPoly& p) { p.insertVertex(-2, zcPoint(5, 5), 0, zcRadian(0)); }},
      {"replace -1", [](zcGenPoly& p) { p.replaceVertex(-1, zcPoint(5, 5), 0); }},
      {"delete 4", [](zcGenPoly& p) { p.deleteVertex(4); }},
      {"span of segment 4", [](zcGenPoly& p) { p.segmentAngleSpan(4, zcRadian(1)); }},
      {"point of 7", [](zcGenPoly& p) { p.vertexPoint(7, zcPoint(1, 1)); }},
  };
  for (const auto& [what, edit] : badCoef) expectRefused<zcShapesError::BadCoef>(g, edit, what);
  const std::vector<std::pair<std::string, Edit>> badGeom = {
      {"crossing", [](zcGenPoly& p) { p.vertexPoint(1, zcPoint(-5, 12)); }},
      {"two vertices on one point", [](zcGenPoly& p) { p.vertexPoint(1, zcPoint(0, 10)); }},
      {"closing span that crosses", [](zcGenPoly& p) { p.close(zcRadian(zcDegree(-250.0))); }},
  };
  for (const auto& [what, edit] : badGeom) {
    zcGenPoly copy = g;
    expectRefused<zcShapesError::BadGeom>(copy, edit, what);
  }
  // Roundings that do not fit: one edit, or the last of several (nothing kept).
  expectRefused<zcShapesError::BadRadius>(g, [](zcGenPoly& p) { p.vertexRoundingSize(2, 6.0); }, "radius 6");
  expectRefused<zcShapesError::BadRadius>(g, [](zcGenPoly& p) { p.vertexRoundingSizes(5.5); }, "all radius 5.5");
  zcGenPoly notch = zcGenPoly(zcPolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 9}, {0, 0}}));
  expectRefused<zcShapesError::BadRadius>(notch, [](zcGenPoly& p) { p.vertexRoundingSizes(0.8); }, "short side");

  // Not editable: every edit refused, the rigid map of an editable one stays editable.
  zcGenPoly mapped = g.map(shear());
  const std::vector<std::pair<std::string, Edit>> locked = {
      {"insert", [](zcGenPoly& p) { p.insertVertex(0, zcPoint(5, -1), 0, zcRadian(0)); }},
      {"replace", [](zcGenPoly& p) { p.replaceVertex(0, zcPoint(5, -1), 0); }},
      {"delete", [](zcGenPoly& p) { p.deleteVertex(0); }},
      {"rounding", [](zcGenPoly& p) { p.vertexRoundingSize(0, 1.0); }},
      {"roundings", [](zcGenPoly& p) { p.vertexRoundingSizes(1.0); }},
      {"span", [](zcGenPoly& p) { p.segmentAngleSpan(0, zcRadian(0.1)); }},
      {"open", [](zcGenPoly& p) { p.open(); }},
      {"close", [](zcGenPoly& p) { p.close(); }},
  };
  for (const auto& [what, edit] : locked) expectRefused<zcShapesError::BadGeom>(mapped, edit, what);
  zcGenPoly moved = g.map(zc2Rigid(zcRadian(0.3), zcVector<2>(1, 2)), 1.0);
  EXPECT_TRUE(moved.isEditable());
  EXPECT_TRUE(moved.xform().isIdentity());
  moved.vertexRoundingSize(0, 1.0);
  EXPECT_TRUE(zfRealEq(moved.vertexPoint(0), zc2Rigid(zcRadian(0.3), zcVector<2>(1, 2)).mapPoint(zcPoint(10, 0)), 1e-12));
  // A polygon of one vertex cannot be closed.
  zcGenPoly one = openChain({{1, 1}});
  expectRefused<zcShapesError::BadGeom>(one, [](zcGenPoly& p) { p.close(); }, "one vertex");
  zcGenPoly circle(zcCircle(zcPoint(0, 0), 1));
  expectRefused<zcShapesError::BadGeom>(circle, [](zcGenPoly& p) { p.deleteVertex(0); }, "closed, to one vertex");
  zcGenPoly none;
  expectRefused<zcShapesError::BadGeom>(none, [](zcGenPoly& p) { p.close(); }, "no vertex");
}

TEST(GenPolyFailures, PolyFailuresBecomeShapeFailures) {
  const Probe probe;
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
  // Others pass as they are.
  EXPECT_THROW(via(zcSMDGDPoly::noPelBuffer())(), zcSMDGDPoly::noPelBuffer);
  EXPECT_THROW(via(zcMathError::Singular())(), zcMathError::Singular);
  EXPECT_THROW(via(zcShapesError::NoTangent())(), zcShapesError::NoTangent);
}

TEST(GenPolyQueries, FramesPredicatesAndBoxes) {
  // The open chain in the poly's frame, queried under a map that mirrors.
  const zcXform<2> mirror(zcMatrix<2>(-2, 0, 0, 1), zcVector<2>(1, 1));
  const zcGenPoly chain = openChain({{0, 0}, {3, 0}, {3, 4}}).map(mirror);
  EXPECT_TRUE(zfRealEq(chain.startPoint(), zcPoint(0, 0), 0));  // poly frame
  EXPECT_TRUE(zfRealEq(chain.vertexPoint(1), zcPoint(-5, 1), 0));  // world
  EXPECT_NEAR(chain.endAngle().value(), zkPi / 2, 1e-15);
  EXPECT_TRUE(zfRealEq(chain.pos(), zcPoint(1, 1), 0));
  EXPECT_TRUE(zfRealEq(chain.center(), mirror.mapPoint(zcPoint(2, 4.0 / 3)), 1e-12));
  EXPECT_THROW(chain.isRightHanded(), zcShapesError::NotRegion);
  EXPECT_THROW(chain.within(zcPoint(0, 0)), zcShapesError::NotRegion);
  EXPECT_NEAR(chain.tangentRotation().value(), -zkPi / 2, 1e-12);  // mirrored: turns right
  EXPECT_TRUE(chain.hasTangent());
  EXPECT_FALSE(openChain({{1, 1}}).hasTangent());
  EXPECT_THROW(openChain({{1, 1}}).startAngle(), zcShapesError::NoTangent);

  const zcGenPoly sq = square();
  EXPECT_TRUE(sq.isRightHanded());
  EXPECT_FALSE(sq.map(mirror).isRightHanded());
  EXPECT_TRUE(sq.within(zcPoint(5, 5)));
  EXPECT_FALSE(sq.within(zcPoint(15, 5)));
  EXPECT_NEAR(sq.distToPoint(zcPoint(13, 14)), 5, 1e-12);
  EXPECT_THROW(sq.startPoint(), zcShapesError::NotOpenContour);
  EXPECT_THROW(sq.tangentRotation(), zcShapesError::NotOpenContour);
  EXPECT_THROW(sq.windingAngle(zcPoint(1, 1)), zcShapesError::NotOpenContour);

  // The empty polygon.
  const zcGenPoly empty;
  EXPECT_THROW(empty.boundingBox(), zcShapesError::EmptyShape);
  EXPECT_TRUE(empty.encloseRect().isEmpty());
  EXPECT_TRUE(empty.degen());
  EXPECT_FALSE(empty.isOpenContour() || empty.isRegion());
  EXPECT_TRUE(zfRealEq(empty.pos(), zcPoint(), 0) && zfRealEq(empty.center(), zcPoint(), 0));
  EXPECT_THROW(empty.distToPoint(zcPoint()), zcShapesError::BadGeom);

  // A rounded corner's box lies inside the unrounded segments' box.
  zcGenPoly rounded = square();
  rounded.vertexRoundingSize(2, 3.0);
  const zcRect box = rounded.boundingBox(), enclosing = rounded.encloseRect(shear());
  EXPECT_NEAR(box.width(), 10, 1e-12);
  const zcRect mappedBox = rounded.map(shear()).boundingBox();
  EXPECT_TRUE(enclosing.contains(mappedBox));
  EXPECT_LT(mappedBox.area(), enclosing.area());

  // Under a map that is not a similarity the rounding reports the radius of the
  // circle of the same area: 3 · √(det).
  EXPECT_NEAR(rounded.map(zcXform<2>::scaling(4, 1)).vertexRoundingSize(2), 6.0, 1e-12);
  EXPECT_NEAR(rounded.map(zcXform<2>::scaling(-2, 2)).vertexRoundingSize(2), 6.0, 1e-12);
  zcGenPoly inward = square();
  inward.vertexRoundingSize(1, -2.0);
  EXPECT_NEAR(inward.vertexRoundingSize(1), -2.0, 1e-12);
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
  const zcGenPoly exact = sq.map(r, 2.0);
  EXPECT_TRUE(exact.isEditable());
  EXPECT_TRUE(zfRealEq(exact.vertexPoint(0), zcPoint(1, 20), 1e-12));
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

TEST(GenPolyArchive, RoundTripsVersionsAndRefusals) {
  zcGenPoly g = square();
  g.vertexRoundingSize(1, 2.0);
  g.segmentAngleSpan(2, zcRadian(0.4));
  const zcGenPoly mapped = g.map(shear());
  for (const zcGenPoly& p : {g, mapped, zcGenPoly()}) {
    const Bytes bytes = bytesOf(p);
    zcArchive in(bytes);
    zcGenPoly back(zcCircle(zcPoint(0, 0), 1));
    in || back;
    EXPECT_TRUE(back == p);
    EXPECT_EQ(bytesOf(back), bytes);
    zc_test::expectShapeRoundTrip(p);  // through a pointer, as a shape
    // Every truncation is an archive error and leaves the target as it was.
    for (std::size_t n = 8; n < bytes.size(); n += 7) {
      zcArchive cut(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
      zcGenPoly target = square();
      EXPECT_THROW(cut || target, zcArchive::Errors);
      EXPECT_TRUE(target == square());
    }
  }
  // Version byte 1 names the module and line 751.
  Bytes v1 = bytesOf(g);
  v1[8] = 1;
  zcArchive in(v1);
  zcGenPoly target;
  try {
    in || target;
    ADD_FAILURE() << "version 1 accepted";
  } catch (const zcArchive::UnknownVersion& e) {
    EXPECT_EQ(e.where(), "dispc/wrfm/genpoly");
    EXPECT_EQ(e.line(), 751);
  }
  // An editable polygon under a transform is not a form this class writes.
  Bytes flagged = bytesOf(mapped);
  flagged.back() = 1;
  zcArchive in3(flagged);
  zcGenPoly refused = square();
  EXPECT_THROW(in3 || refused, zcArchive::BadFormat);
  EXPECT_TRUE(refused == square());

  // The simple form: shape part, signed version, poly, transform, flag.
  auto simple = [&](signed char version) {
    zcArchive out;
    zcSMDGDPoly poly = zcSMDGDPolyPrivate::poly(mapped);
    zcXform<2> x = mapped.xform();
    unsigned char shapeVersion = 0;
    bool editable = false;
    out || shapeVersion || version || poly || x || editable;
    return out.bytes();
  };
  zcArchive ok(simple(0));
  zcGenPoly loaded;
  loaded.loadSimple(ok);
  EXPECT_TRUE(loaded == mapped);
  zcArchive bad(simple(-1));
  try {
    loaded.loadSimple(bad);
    ADD_FAILURE() << "version -1 accepted";
  } catch (const zcArchive::UnknownVersion& e) {
    EXPECT_EQ(e.line(), 741);
  }
  zcArchive storing;
  EXPECT_THROW(loaded.loadSimple(storing), zcArchive::BadFormat);
}

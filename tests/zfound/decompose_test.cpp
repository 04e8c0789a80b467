// Shapes that answer through their decomposition, contours grown piece by piece, and
// the public view of a shape's contour count.
#include "zfound/conics.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/trees.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <typeinfo>
#include <vector>

using namespace zc_test;

TEST(ContourGrowth, AddChildChecksWhatTheListWouldAndKeepsTheTreeOnRefusal) {
  // Rows: a piece appended to an open or closed contour; accepted exactly when the
  // list constructor accepts the longer list.
  const zcShapePtr ab = new zcLineSeg(zcPoint(0, 0), zcPoint(1, 0));
  const zcShapePtr bc = new zcLineSeg(zcPoint(1, 0), zcPoint(1, 1));
  const zcShapePtr ca = new zcLineSeg(zcPoint(1, 1), zcPoint(0, 0));
  const zcShapePtr far = new zcLineSeg(zcPoint(5, 5), zcPoint(6, 5));
  const zcShapePtr region = new zcCircle(zcPoint(1, 0), 1);
  const zcShapePtr loop = new zcEllipseArc2();  // a whole circle: starts where it ends
  struct Row {
    std::vector<zcShapePtr> before;
    zcShapePtr piece;
    bool closed;
  };
  const std::vector<Row> rows = {
      {{}, ab, false},   {{ab}, bc, false},   {{ab}, far, false},   {{ab, bc}, ca, false},
      {{}, ab, true},    {{}, loop, true},    {{loop}, loop, true}, {{loop}, ab, true},
      {{ab}, region, false}, {{ab}, zcShapePtr(), false},
  };
  const auto accepts = [](auto&& f) {
    try {
      f();
      return true;
    } catch (const zcException&) {
      return false;
    }
  };
  int accepted = 0;
  for (const Row& row : rows) {
    std::vector<zcShapePtr> longer = row.before;
    longer.push_back(row.piece);
    zcContourTree tree(row.before, row.closed);
    const Bytes before = archivedShape(tree);
    const bool appended = accepts([&] { tree.addChild(row.piece); });
    EXPECT_EQ(appended, accepts([&] { zcContourTree(longer, row.closed); }))
        << "row with " << row.before.size() << " pieces, closed " << row.closed;
    EXPECT_TRUE(appended || archivedShape(tree) == before);  // a refusal keeps the tree
    accepted += appended;
  }
  EXPECT_EQ(accepted, 5);
}

TEST(GenRectDecomposition, PiecesRunTheBoundaryFromTheSamplingStartAndAnswerPerimeterQueries) {
  // Rows: sharp, rounded, one side fully rounded, an ellipse; each under a skew.
  const std::pair<zcVector<2>, long> rows[] = {{{0, 0}, 4}, {{0.25, 0.5}, 8}, {{1, 0.3}, 6}, {{1, 1}, 4}};
  for (const auto& [fractions, pieces] : rows) {
    SCOPED_TRACE(testing::Message() << fractions.x() << ", " << fractions.y());
    const zcGenRect g = zcGenRect(zcPoint(3, -2), zcMatrix<2>(0.5, 0.2, -0.1, 0.25), fractions).map(skewXform());
    const zcShapePtr d = g.decompose();
    const auto* contour = dynamic_cast<const zcContourTree*>(d.rep());
    ASSERT_NE(contour, nullptr);
    EXPECT_TRUE(contour->isClosed());
    EXPECT_EQ(contour->numChildren(), pieces);
    for (const zcShapePtr& p : contour->children())
      EXPECT_TRUE(typeid(*p) == typeid(zcLineSeg) || typeid(*p) == typeid(zcEllipseArc2));
    EXPECT_NEAR(contour->perimeter(), g.perimeter(), 1e-9 * g.perimeter());
    EXPECT_EQ(contour->isRightHanded(), g.isRightHanded());
    const zcSampleResult s = sampled(g, {.tolerance = 1e-3});
    EXPECT_TRUE(zfRealEq(contour->children().front()->startPoint(), s.points.front(), 1e-12));
    for (const zcPoint& p : s.points) EXPECT_LT(contour->nearestPoint(p).distance(p), 1e-9);
  }

  // A kind that decomposes answers perimeter queries through its pieces.
  const zcGenRect g(zcPoint(0, 0), zcVector<2>(4, 2), zcRadian(0), zcVector<2>(1, 1));
  // The start is (−3, −2), the bottom side runs to (3, −2), then the corner at (3, −1).
  EXPECT_NEAR(g.nearestPerimPos(zcPoint(0, -5)), 3.0, 1e-12);
  zcPoint p;
  zcRadian t;
  g.perimPointAndTangent(3.0, p, t);
  EXPECT_TRUE(zfRealEq(p, zcPoint(0, -2), 1e-12));
  EXPECT_NEAR(t.value(), 0.0, 1e-12);
  g.perimPointAndTangent(6.0 + zkPi / 2 + 1.0, p, t);  // one unit up the right side
  EXPECT_TRUE(zfRealEq(p, zcPoint(4, 0), 1e-9));
  EXPECT_NEAR(t.value(), zkPi / 2, 1e-9);
  const zcShapePtr part = g.subShape(1.0, 5.0);
  EXPECT_NEAR(part->perimeter(), 4.0, 1e-12);
  EXPECT_TRUE(zfRealEq(part->startPoint(), zcPoint(-2, -2), 1e-12));

  // Kinds whose decomposition is themselves keep their refusals.
  const zc2Point point(zcPoint(1, 1));
  EXPECT_THROW(point.perimeter(), zcShapesError::BadGeom);
  EXPECT_THROW(point.nearestPerimPos(zcPoint(0, 0)), zcShapesError::NotOpenContour);
  EXPECT_THROW(point.subShape(0, 1), zcShapesError::NotOpenContour);
  EXPECT_THROW(point.perimPointAndTangent(0, p, t), zcShapesError::NotOpenContour);
}

TEST(ShapeContours, MultipleContoursAreVisibleFromOutside) {
  const zcShapePtr a = new zcLineSeg(zcPoint(0, 0), zcPoint(1, 0)), annulus = new zcAnnulus;
  const std::pair<zcShapePtr, bool> rows[] = {
      {new zcCircle, false}, {new zcShapeTree({a, new zcLineSeg(zcPoint(5, 0), zcPoint(6, 0))}), true},
      {new zcShapeTree({a}), false}, {annulus, true}, {new zcGenShape(*annulus), true},
      {new zcMappedShape(annulus, skewXform()), true}};
  for (const auto& [shape, multiple] : rows) EXPECT_EQ(shape->isMultipleContours(), multiple) << typeid(*shape).name();
}

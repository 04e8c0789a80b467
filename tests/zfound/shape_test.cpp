#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/trees.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace {
const zcRect kWindow(0, 0, 10, 10);

// Keeps what a probe reads of the object at every call of the hook.
class Recorder : public zcMutationObserver {
public:
  explicit Recorder(std::function<double(const zcPersistent&)> probe) : probe_(std::move(probe)) {}
  void mutating(const zcPersistent& object) override { seen.push_back(probe_(object)); }
  std::vector<double> seen;

private:
  std::function<double(const zcPersistent&)> probe_;
};

// A class that reaches the persistent base through two bases.
struct Left : virtual zcPersistent {
  double l = 0;
};
struct Right : virtual zcPersistent {
  double r = 0;
};
struct Both : Left, Right {
  double b = 0;
};

// One shape of every kind, in their less plain forms (mirrored, rounded, nested, empty).
std::vector<zcShapePtr> everyKind() {
  const zcPoint o(0, 0);
  const zcEllipse flat(o, 3, 1, zcRadian(1));
  const zcEllipse2 sheared(zcXform<2>(zcMatrix<2>(1, 2, -3, 0.5), zcVector<2>(4, 4)));
  const zcGenRect rounded(zcVector<2>(10, 5), zcVector<2>(4, 2), zcRadian(0.3), zcVector<2>(1, 1));
  const std::vector<zcPoint> six = {o, zcPoint(2, 3), zcPoint(5, 1), zcPoint(7, 4), zcPoint(9, 0), zcPoint(6, -3)};
  const zcBezierCurve wavy(o, zcPoint(1, 3), zcPoint(3, -2), zcPoint(4, 1), 1.0, 5.0, 0.3, 2.0);
  const zcEllipse2 unit(zcXform<2>::translation(zcVector<2>(2, 1)));  // the unit circle about (2, 1)
  zcShapePtr circle = new zcCircle(zcPoint(1, 2), 3);
  return {
      new zc2Point(zcPoint(3, -1)), new zcLineSeg(zcPoint(1, 2), zcPoint(-4, 6)),
      new zcLine(zcPoint(2, 1), zcRadian(0.7)), new zcFLine(zcPoint(2, 1), zcPoint(-3, 5)),
      new zcPointSet({o, zcPoint(1, 5)}),
      new zcLineSegSet({zcLineSeg(o, zcPoint(1, 1)), zcLineSeg(zcPoint(2, 2), zcPoint(2, 2))}, true),
      new zcPolygon({o, zcPoint(4, 0), zcPoint(2, 3)}, zcPolygon::eWinding), new zcPolygon(),
      new zcPolyline({o, zcPoint(4, 0)}, true), new zcCross(zcPoint(3, 4), zcRadian(2.5), 9),
      new zcCoordAxes(zcPoint(1, 1), zcPoint(5, 1), zcPoint(1, 3)),
      circle, new zcEllipse(zcPoint(-1, 0), 2, 1, zcRadian(0.4), false), new zcEllipse2(sheared),
      new zcEllipseArc(flat, zcRadian(-2), zcRadian(-1)), new zcEllipseArc2(sheared, zcRadian(1), zcRadian(3)),
      new zcAnnulus(zcPoint(5, 5), 0, 2), new zcEllipseAnnulus(flat, 0.3),
      new zcEllipseAnnulusSection(zcEllipseAnnulus(), zcRadian(2), zcRadian(1), true, true),
      new zcRect(zcPoint(1, 2), zcVector<2>(3, 4)), new zcRect(), new zcGenRect(rounded.map(zc_test::skewXform())),
      new zcGenAnnulus(zcGenRect(zcVector<2>(10, 5), zcVector<2>(2, 1), zcRadian(0.3), zcVector<2>(0.5, 0.5)), rounded),
      new zcAffineRectangle(zcPoint(1, 1), zcPoint(4, 1), zcPoint(2, 3)), new zcBezierCurve(wavy),
      new zcCubicSpline({wavy, zcBezierCurve(zcPoint(4, 1), zcPoint(5, 5), zcPoint(6, 0), zcPoint(7, 7), 1, 2, 3, 4)}),
      new zcDeBoorSpline(six, {-1, 0, 0.5, 1, 1.5, 2, 4, 4, 5, 6}), new zcInterpSpline(six, zcInterpSpline::ePeriodic),
      new zcHermiteSpline({o, zcPoint(3, 1)}, {zcVector<2>(1, 2), zcVector<2>(3, 0)}),
      new zcShapeTree({circle, new zcShapeTree({circle, new zcLineSeg(o, zcPoint(2, 1))}), new zcShapeTree,
                       new zcGenShape(zcMappedShape(circle, zc_test::skewXform())), new zcGenShape}),
      new zcContourTree({new zcLineSeg(o, zcPoint(2, 0)), new zcEllipseArc2(unit, zcRadian(-zkPi / 2), zcRadian(zkPi))},
                        false),
      new zcGenShape(zcEllipseArc(flat, zcRadian(0), zcRadian(2))), new zcGenShape(),
      new zcMappedShape(circle, zc_test::skewXform()), new zcMappedShape()};
}
}  // namespace

// The pointer form reads back as an equal object of the same class, and every shorter
// prefix fails with an archive error. A copy is equal; the own form's first byte after
// the header is the kind's version: another one is refused before the (default) target
// changes.
TEST(ShapeKinds, EveryKindRoundTripsAsAPointerAndRefusesAnUnknownVersionOfItsOwnForm) {
  for (const zcShapePtr& s : everyKind()) {
    SCOPED_TRACE(zc_Instantiator::nameOf(*s));
    zc_test::expectShapeRoundTrip(*s, 1);
    zcShapePtr copy = s->clone();
    EXPECT_TRUE(*copy == *s);
    zc_test::Bytes bytes = zc_test::ownBytes<zcPersistent&>(*copy);
    bytes[8] = 1;
    zcShapePtr target(dynamic_cast<zcShape*>(zc_Instantiator::create(zc_Instantiator::nameOf(*s))));
    ASSERT_TRUE(target);
    const zcShapePtr before = target->clone();
    zcArchive in(bytes);
    EXPECT_THROW(in || static_cast<zcPersistent&>(*target), zcArchive::UnknownVersion);
    EXPECT_TRUE(*target == *before);
  }
}

// Defaulted assignments tell the observer once, before any field changes, even when
// the persistent base is assigned through two paths; each assignment tells again.
TEST(ShapeAssignment, TellsTheObserverOnceBeforeTheChange) {
  zcCircle circle(zcPoint(1, 1), 2);
  Recorder radius([](const zcPersistent& o) { return dynamic_cast<const zcCircle&>(o).radius(); });
  circle.track(&radius);
  circle = zcCircle(zcPoint(), 5);
  circle = zcCircle(zcPoint(), 7);
  EXPECT_EQ(radius.seen, (std::vector<double>{2, 5}));
  EXPECT_TRUE(circle.isTracked());

  Both target, source;
  source.l = 1, source.r = 2, source.b = 3;
  Recorder sum([](const zcPersistent& o) {
    const auto& both = dynamic_cast<const Both&>(o);
    return both.l + both.r + both.b;
  });
  target.track(&sum);
  target = source;
  target = source;
  EXPECT_EQ(sum.seen, (std::vector<double>{0, 6}));
  EXPECT_EQ(target.l + target.r + target.b, 6);
}

// Both ends of a segment move with one check and one call of the hook, before the
// change; a non-finite coordinate in any of the four places changes nothing.
TEST(ShapeMutation, SegmentEndsTogether) {
  zcLineSeg seg(zcPoint(1, 2), zcPoint(3, 4));
  Recorder firstX([](const zcPersistent& o) { return dynamic_cast<const zcLineSeg&>(o).p1().x(); });
  seg.track(&firstX);
  seg.ends(zcPoint(5, 6), zcPoint(7, 8));
  EXPECT_EQ(seg, zcLineSeg(zcPoint(5, 6), zcPoint(7, 8)));
  EXPECT_EQ(firstX.seen, std::vector<double>{1});
  for (int bad = 0; bad < 4; ++bad) {
    double v[4] = {9, 9, 9, 9};
    v[bad] = bad % 2 ? NAN : INFINITY;
    EXPECT_THROW(seg.ends(zcPoint(v[0], v[1]), zcPoint(v[2], v[3])), zcShapesError::BadParams);
    EXPECT_EQ(seg, zcLineSeg(zcPoint(5, 6), zcPoint(7, 8)));
  }
  EXPECT_EQ(firstX.seen.size(), 1u);
}

TEST(ShapeClip, WholeShapesByTheirBoxesRegionsAsPolygonsCurvesInPieces) {
  zcClipInfo info;
  const zcCircle inside(zcPoint(5, 5), 2);
  zcShapePtr kept = inside.clip(kWindow, info);
  EXPECT_EQ(info.result, zcClipInfo::eInside);
  EXPECT_EQ(info.pieces, 1);
  ASSERT_TRUE(kept);
  EXPECT_TRUE(*kept == inside);

  const zcCircle outside(zcPoint(20, 20), 2);
  EXPECT_FALSE(outside.clip(kWindow, info));
  EXPECT_EQ(info.result, zcClipInfo::eOutside);
  EXPECT_EQ(info.pieces, 0);
  EXPECT_FALSE(inside.clip(zcRect(), info));  // nothing lies in the empty window

  // A region across the border becomes a polygon inside the window: a circle centred
  // on the window's corner keeps one quarter.
  zcShapePtr clipped = zcCircle(zcPoint(0, 0), 4).clip(kWindow, info);
  EXPECT_EQ(info.result, zcClipInfo::eClipped);
  const auto* polygon = dynamic_cast<const zcPolygon*>(clipped.rep());
  ASSERT_NE(polygon, nullptr);
  for (const zcPoint& p : polygon->vertices()) EXPECT_TRUE(kWindow.within(p));
  // The quarter disc's area, within the sampling tolerance.
  EXPECT_NEAR(std::fabs(polygon->signedArea()), zkPi * 16 / 4, 0.05);

  // A curve leaving and reentering gives several pieces: a Bézier arch that rises above
  // the window's top edge and comes back down.
  clipped = zcBezierCurve(zcPoint(1, 5), zcPoint(3, 25), zcPoint(7, 25), zcPoint(9, 5)).clip(kWindow, info);
  EXPECT_EQ(info.result, zcClipInfo::eClipped);
  EXPECT_EQ(info.pieces, 2);
  const auto* tree = dynamic_cast<const zcShapeTree*>(clipped.rep());
  ASSERT_NE(tree, nullptr);
  ASSERT_EQ(tree->numChildren(), 2);
  for (const zcShapePtr& piece : tree->children()) {
    const auto* line = dynamic_cast<const zcPolyline*>(piece.rep());
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->isClosed());
    // Each piece starts or ends on the top edge y = 10.
    EXPECT_NEAR(std::min(std::fabs(line->vertices().front().y() - 10), std::fabs(line->vertices().back().y() - 10)),
                0.0, 1e-9);
  }
}

TEST(ShapeDefaults, QueriesThatDoNotApplyRaiseTheirClass) {
  const zcCircle circle(zcPoint(0, 0), 1);
  EXPECT_THROW(circle.startPoint(), zcShapesError::NotOpenContour);
  EXPECT_THROW(circle.tangentRotation(), zcShapesError::NotOpenContour);
  const zcLineSeg seg(zcPoint(0, 0), zcPoint(3, 4));
  EXPECT_THROW(seg.within(zcPoint(0, 0)), zcShapesError::NotRegion);
  EXPECT_THROW(seg.isRightHanded(), zcShapesError::NotRegion);
  EXPECT_DOUBLE_EQ(seg.distToPoint(zcPoint(3, 0)), 2.4);
  EXPECT_DOUBLE_EQ(circle.distToPoint(zcPoint(0.5, 0)), 0.0);  // inside a region
  EXPECT_DOUBLE_EQ(circle.distToPoint(zcPoint(3, 0)), 2.0);
  EXPECT_THROW(zcSampleParams().validate(), zcShapesError::BadParams);
}

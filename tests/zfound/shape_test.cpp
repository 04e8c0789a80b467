#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/trees.h"

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
}  // namespace

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

TEST(ShapeClip, WholeShapesPassOrGoByTheirBoxes) {
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
}

TEST(ShapeClip, RegionAcrossTheBorderBecomesAPolygonInsideTheWindow) {
  // A circle centred on the window's corner keeps one quarter.
  const zcCircle circle(zcPoint(0, 0), 4);
  zcClipInfo info;
  zcShapePtr clipped = circle.clip(kWindow, info);
  EXPECT_EQ(info.result, zcClipInfo::eClipped);
  ASSERT_TRUE(clipped);
  const auto* polygon = dynamic_cast<const zcPolygon*>(clipped.rep());
  ASSERT_NE(polygon, nullptr);
  for (const zcPoint& p : polygon->vertices()) {
    EXPECT_GE(p.x(), 0.0);
    EXPECT_GE(p.y(), 0.0);
    EXPECT_LE(p.x(), 10.0);
    EXPECT_LE(p.y(), 10.0);
  }
  // The quarter disc's area, within the sampling tolerance.
  EXPECT_NEAR(std::fabs(polygon->signedArea()), zkPi * 16 / 4, 0.05);
}

TEST(ShapeClip, CurveLeavingAndReenteringGivesSeveralPieces) {
  // A Bézier arch that rises above the window's top edge and comes back down.
  const zcBezierCurve arch(zcPoint(1, 5), zcPoint(3, 25), zcPoint(7, 25), zcPoint(9, 5));
  zcClipInfo info;
  zcShapePtr clipped = arch.clip(kWindow, info);
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

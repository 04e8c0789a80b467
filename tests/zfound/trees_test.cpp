#include "zfound/trees.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/lines.h"
#include "zfound/rect.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace zc_test;

namespace {

const double kRoot2 = std::sqrt(2.0);

// The unit quarter circle from angle a to a + π/2, exactly, as a rational cubic.
zcShapePtr quarter(double a) {
  const double w = (1.0 + kRoot2) / 3.0;
  const zcBezierCurve q(zcPoint(1, 0), zcPoint(1, 2 - kRoot2), zcPoint(2 - kRoot2, 1), zcPoint(0, 1), 1.0, w, w, 1.0);
  return q.mapShape(zcXform<2>::rotation(zcRadian(a)));
}

// The unit circle, counter-clockwise from (1, 0), as four pieces.
std::vector<zcShapePtr> circlePieces() {
  return {quarter(0), quarter(zkPi / 2), quarter(zkPi), quarter(3 * zkPi / 2)};
}

zcShapePtr arc(const zcPoint& center, double r, double start) {
  return new zcEllipseArc2(zcEllipse2(zcXform<2>(zcMatrix<2>::scaling(r, r), center)), zcRadian(start),
                           zcRadian(zkPi / 2));
}

// The 10 × 6 rectangle at the origin with corners rounded by 1, counter-clockwise.
std::vector<zcShapePtr> roundedRect() {
  return {new zcLineSeg(zcPoint(1, 0), zcPoint(9, 0)),  arc(zcPoint(9, 1), 1, -zkPi / 2),
          new zcLineSeg(zcPoint(10, 1), zcPoint(10, 5)), arc(zcPoint(9, 5), 1, 0),
          new zcLineSeg(zcPoint(9, 6), zcPoint(1, 6)),  arc(zcPoint(1, 5), 1, zkPi / 2),
          new zcLineSeg(zcPoint(0, 5), zcPoint(0, 1)),  arc(zcPoint(1, 1), 1, zkPi)};
}

// Dense points of a shape, for comparing geometry independently of its pieces.
std::vector<zcPoint> densePoints(const zcShape& s) {
  return sampled(s, {.tolerance = 1e-4}).points;
}

}  // namespace

TEST(ShapeTree, BoxNearestAndPerimeterComeFromTheChildrenWhichMayNotHoldTheTree) {
  zcShapePtr a = new zcBezierCurve(zcPoint(0, 0), zcPoint(1, 2), zcPoint(2, 2), zcPoint(3, 0));
  zcShapePtr b = quarter(zkPi);
  zcShapeTree tree({a, b, new zcShapeTree});
  EXPECT_TRUE(zfRealEq(tree.boundingBox(), zcRect(-1, -1, 4, 2.5), 1e-12));
  EXPECT_TRUE(zfRealEq(tree.nearestPoint(zcPoint(-2, -2)), zcPoint(-kRoot2 / 2, -kRoot2 / 2), 1e-12));
  EXPECT_TRUE(zfRealEq(tree.nearestPoint(zcPoint(1.5, 5)), zcPoint(1.5, 1.5), 1e-12));
  EXPECT_NEAR(tree.perimeter(), a->perimeter() + zkPi / 2, 1e-12);
  EXPECT_TRUE(tree.isCompound());
  EXPECT_FALSE(tree.isConnected());

  const zcShapeTree empty({new zcShapeTree});
  EXPECT_THROW(empty.boundingBox(), zcShapesError::EmptyShape);
  EXPECT_THROW(empty.nearestPoint(zcPoint()), zcShapesError::EmptyShape);
  EXPECT_THROW(zcShapeTree({a, zcShapePtr()}), zcBadPointer);
  EXPECT_THROW(tree.child(3), zcShapesError::BadParams);

  // A tree refuses to contain itself, also through a mapped shape.
  zcShapeTree* outer = new zcShapeTree;
  zcShapePtr outerHandle(outer);
  zcShapeTree* inner = new zcShapeTree({quarter(0)});
  outer->addChild(zcShapePtr(inner));
  EXPECT_TRUE(outer->contains(inner));
  EXPECT_FALSE(inner->contains(outer));
  EXPECT_THROW(inner->addChild(outerHandle), zcShapesError::BadParams);
  EXPECT_EQ(inner->numChildren(), 1);
  zcShapePtr m = new zcMappedShape(outerHandle, zcXform<2>::translation(zcVector<2>(1, 0)));
  EXPECT_THROW(inner->addChild(m), zcShapesError::BadParams);
  EXPECT_THROW(outer->addChild(outerHandle), zcShapesError::BadParams);
  EXPECT_EQ(outer->numChildren(), 1);
}

TEST(ShapeTree, CopiesAndMapsHaveChildrenOfTheirOwn) {
  zcShapePtr leaf = quarter(0);
  const zcShapeTree tree({leaf, new zcShapeTree({quarter(1.0)})});
  const zcShapeTree copy(tree);
  EXPECT_TRUE(copy == tree);
  EXPECT_NE(copy.child(0).rep(), leaf.rep());

  const zcShapePtr mapped = tree.mapShape(skewXform());
  const auto& m = dynamic_cast<const zcShapeTree&>(*mapped);
  EXPECT_TRUE(zfRealEq(m.child(0)->startPoint(), skewXform().mapPoint(leaf->startPoint()), 1e-12));
  const zcShapePtr back = mapped->mapShape(skewXform().inverse());
  const auto& nested = dynamic_cast<const zcShapeTree&>(*dynamic_cast<const zcShapeTree&>(*back).child(1));
  expectPoints(densePoints(*nested.child(0)), densePoints(*quarter(1.0)), 1e-9);
}

TEST(ShapeTree, NestedTreesRoundTripAndMalformedOnesAreRefused) {
  zcShapePtr shared = quarter(0.5);
  zcShapeTree tree({shared, new zcShapeTree({shared, new zcLineSeg(zcPoint(0, 0), zcPoint(2, 1))}),
                    new zcContourTree(circlePieces(), true)});
  // The shared child is read back as one object.
  const zcShapePtr back = loadedShape(archivedShape(tree));
  const auto& t = dynamic_cast<const zcShapeTree&>(*back);
  EXPECT_EQ(t.child(0).rep(), dynamic_cast<const zcShapeTree&>(*t.child(1)).child(0).rep());

  // In place: header (8), two version bytes, the count (4), then the first child.
  const Bytes form = ownBytes<zcShapeTree&>(tree);
  Bytes hugeCount = form;
  zfStoreU32(hugeCount.data() + 10, 0x40000000);
  for (const Bytes& bad : {withByte(form, 14, 0), hugeCount}) {  // a null child, a huge count
    zcShapeTree target({quarter(0)});
    zcArchive in(bad);
    EXPECT_THROW(in || target, zcArchive::Errors);
    EXPECT_EQ(target.numChildren(), 1);
    EXPECT_TRUE(*target.child(0) == *quarter(0));
  }
}

TEST(ShapeTree, ClipsChildByChild) {
  const zcShapeTree tree({new zcLineSeg(zcPoint(1, 1), zcPoint(2, 1)), new zcLineSeg(zcPoint(1, 2), zcPoint(9, 2)),
                          new zcLineSeg(zcPoint(20, 20), zcPoint(30, 20)), new zcShapeTree});
  const zcRect window(0, 0, 5, 5);
  zcClipInfo info;
  const zcShapePtr clipped = tree.clip(window, info);
  EXPECT_EQ(info.result, zcClipInfo::eClipped);
  EXPECT_EQ(info.pieces, 2);
  const auto& t = dynamic_cast<const zcShapeTree&>(*clipped);
  ASSERT_EQ(t.numChildren(), 2);
  EXPECT_TRUE(*t.child(0) == *tree.child(0));
  EXPECT_TRUE(zfRealEq(t.child(1)->boundingBox(), zcRect(1, 2, 4, 0), 1e-12));
  EXPECT_FALSE(tree.clip(zcRect(50, 50, 1, 1), info));
  EXPECT_EQ(info.result, zcClipInfo::eOutside);
  const zcShapeTree inside({new zcLineSeg(zcPoint(1, 1), zcPoint(2, 1))});
  EXPECT_TRUE(inside.clip(window, info));
  EXPECT_EQ(info.result, zcClipInfo::eInside);

  // A closed contour clips as a region; a mapped shape as its image.
  const zcContourTree circle(circlePieces(), true);
  const zcShapePtr half = circle.clip(zcRect(0, -2, 2, 4), info);
  EXPECT_EQ(info.result, zcClipInfo::eClipped);
  EXPECT_TRUE(zfRealEq(half->boundingBox(), zcRect(0, -1, 1, 2), 1e-3));
  const zcMappedShape moved(new zcContourTree(circle), zcXform<2>::translation(zcVector<2>(10, 0)));
  EXPECT_FALSE(moved.clip(zcRect(0, -2, 2, 4), info));
  EXPECT_TRUE(moved.clip(zcRect(0, -20, 20, 40), info));
  EXPECT_EQ(info.result, zcClipInfo::eInside);
}

TEST(ContourTree, ClosedCircleOfBezierPiecesSampledAndRefusingGaps) {
  const zcContourTree c(circlePieces(), true);
  EXPECT_TRUE(c.isClosed());
  EXPECT_TRUE(c.isRegion());
  EXPECT_FALSE(c.isOpenContour());
  EXPECT_NEAR(c.perimeter(), 2 * zkPi, 1e-12);
  EXPECT_NEAR(c.tangentRotation().value(), 2 * zkPi, 1e-12);
  EXPECT_NEAR(c.windingAngle(zcPoint(0.3, -0.2)).value(), 2 * zkPi, 1e-12);
  EXPECT_NEAR(c.windingAngle(zcPoint(1.5, 0.1)).value(), 0.0, 1e-12);
  EXPECT_TRUE(c.within(zcPoint(0.3, -0.2)));
  EXPECT_TRUE(c.within(zcPoint(0, -1)));  // on the contour
  EXPECT_FALSE(c.within(zcPoint(0.8, 0.8)));
  EXPECT_TRUE(c.isRightHanded());
  EXPECT_TRUE(zfRealEq(c.boundingBox(), zcRect(-1, -1, 2, 2), 1e-12));
  EXPECT_THROW(c.startPoint(), zcShapesError::NotOpenContour);
  EXPECT_NEAR(c.nearestPerimPos(zcPoint(-3, 0.001)), zkPi, 1e-3);

  const zcShapePtr r = c.reverse();
  EXPECT_NEAR(r->tangentRotation().value(), -2 * zkPi, 1e-12);
  EXPECT_FALSE(r->isRightHanded());
  EXPECT_TRUE(r->within(zcPoint(0.3, -0.2)));

  const zcShapePtr half = c.subShape(zkPi / 4, 5 * zkPi / 4);
  EXPECT_NEAR(half->perimeter(), zkPi, 1e-10);
  EXPECT_TRUE(zfRealEq(half->startPoint(), zcPoint(kRoot2 / 2, kRoot2 / 2), 1e-12));
  EXPECT_TRUE(zfRealEq(half->endPoint(), zcPoint(-kRoot2 / 2, -kRoot2 / 2), 1e-12));
  EXPECT_NEAR(half->tangentRotation().value(), zkPi, 1e-10);

  // Sampling joins the pieces once.
  const std::vector<zcPoint> once = sampled(c, {.tolerance = 1e-3}).points;
  EXPECT_EQ(once.front(), zcPoint(1, 0));
  EXPECT_TRUE(zfRealEq(once.back(), zcPoint(1, 0), 1e-15));
  for (std::size_t i = 1; i < once.size(); ++i) {
    EXPECT_NE(once[i], once[i - 1]);
    // Each chord stays within the tolerance of the circle.
    EXPECT_GE(((once[i] + once[i - 1]) * 0.5).length(), 1 - 1e-3 - 1e-12);
  }
  EXPECT_EQ(sampled(c, {.tolerance = 1e-3, .duplicateCorners = true}).points.size(), once.size() + 3);

  const zcSampleResult u = sampled(c, {.spacing = 0.25, .uniform = true});
  ASSERT_EQ(u.points.size(), 27u);  // 25 steps of 0.25 and a last one of 2π − 6.25
  for (std::size_t i = 0; i + 1 < u.points.size(); ++i)
    EXPECT_NEAR((u.points[i].angle() - zcRadian(0.25 * static_cast<double>(i))).signedNorm().value(), 0.0, 1e-10);
  EXPECT_EQ(u.points.back(), zcPoint(1, 0));
  EXPECT_THROW(sampled(c, {.spacing = 0.25, .tolerance = 0.1, .uniform = true}), zcShapesError::BadParams);

  // Exactly as many points as allowed pass; one fewer allowed overflows.
  const long n = static_cast<long>(once.size());
  EXPECT_EQ(sampled(c, {.tolerance = 1e-3, .maxPoints = n}).points, once);
  EXPECT_THROW(sampled(c, {.tolerance = 1e-3, .maxPoints = n - 1}), zcShapesError::SampleOverflow);

  const zcContourTree empty(true);
  EXPECT_THROW(sampled(empty, {.tolerance = 1e-3}), zcShapesError::EmptyShape);
  EXPECT_FALSE(empty.within(zcPoint()));
  EXPECT_EQ(empty.tangentRotation().value(), 0.0);
  EXPECT_THROW(empty.boundingBox(), zcShapesError::EmptyShape);

  // The pieces must form one contour.
  std::vector<zcShapePtr> gap = circlePieces();
  gap[2] = quarter(zkPi + 0.01);
  EXPECT_THROW(zcContourTree(gap, false), zcShapesError::BadParams);
  std::vector<zcShapePtr> open = circlePieces();
  open.pop_back();
  EXPECT_NO_THROW(zcContourTree(open, false));
  EXPECT_THROW(zcContourTree(open, true), zcShapesError::BadParams);
  EXPECT_THROW(zcContourTree({new zcShapeTree({quarter(0)})}, false), zcShapesError::NotOpenContour);
  EXPECT_THROW(zcContourTree({quarter(0), zcShapePtr()}, false), zcBadPointer);

  zcContourTree growing({quarter(0)}, false);
  EXPECT_THROW(growing.addChild(quarter(zkPi)), zcShapesError::BadParams);
  EXPECT_EQ(growing.numChildren(), 1);
  growing.addChild(quarter(zkPi / 2));
  EXPECT_TRUE(zfRealEq(growing.endPoint(), zcPoint(-1, 0), 1e-15));
  // A nested open contour is a piece like any other.
  growing.addChild(new zcContourTree({quarter(zkPi), quarter(3 * zkPi / 2)}, false));
  EXPECT_NEAR(growing.tangentRotation().value(), 2 * zkPi, 1e-12);
}

TEST(ContourTree, OpenContourWithCorners) {
  // Along the x axis, a left turn up, a zero-length piece, then back to the left:
  // the turns at the joins count.
  const zcContourTree c({new zcLineSeg(zcPoint(0, 0), zcPoint(2, 0)), new zcLineSeg(zcPoint(2, 0), zcPoint(2, 2)),
                         new zcLineSeg(zcPoint(2, 2), zcPoint(2, 2)), new zcLineSeg(zcPoint(2, 2), zcPoint(0, 1))},
                        false);
  EXPECT_TRUE(c.isOpenContour());
  EXPECT_EQ(c.startPoint(), zcPoint(0, 0));
  EXPECT_EQ(c.endPoint(), zcPoint(0, 1));
  EXPECT_NEAR(c.startAngle().value(), 0.0, 1e-15);
  EXPECT_NEAR(c.endAngle().value(), std::atan2(-1.0, -2.0), 1e-15);
  // Left by π/2, then by the angle to (−2, −1); the zero-length piece is stepped over.
  EXPECT_NEAR(c.tangentRotation().value(), zkPi / 2 + (zcRadian(std::atan2(-1.0, -2.0)) - zcRadian(zkPi / 2)).signedNorm().value(), 1e-15);
  EXPECT_NEAR(c.perimeter(), 4 + std::sqrt(5.0), 1e-14);
  EXPECT_THROW(c.within(zcPoint(1, 0.5)), zcShapesError::NotRegion);
  EXPECT_THROW(c.isRightHanded(), zcShapesError::NotRegion);

  EXPECT_EQ(sampled(c, {.tolerance = 0.1}).points,
            (std::vector<zcPoint>{zcPoint(0, 0), zcPoint(2, 0), zcPoint(2, 2), zcPoint(0, 1)}));
}

TEST(ContourTree, RoundedRectangleOfSegmentsAndArcs) {
  const zcContourTree c(roundedRect(), true);
  EXPECT_NEAR(c.perimeter(), 24 + 2 * zkPi, 1e-12);
  EXPECT_NEAR(c.tangentRotation().value(), 2 * zkPi, 1e-12);
  EXPECT_TRUE(zfRealEq(c.boundingBox(), zcRect(0, 0, 10, 6), 1e-12));
  EXPECT_TRUE(c.within(zcPoint(0.5, 3)));
  EXPECT_FALSE(c.within(zcPoint(0.05, 0.05)));  // cut off by the rounding
  EXPECT_TRUE(zfRealEq(c.nearestPoint(zcPoint(-1, -1)), zcPoint(1 - kRoot2 / 2, 1 - kRoot2 / 2), 1e-12));

  const zcShapePtr m = c.mapShape(skewXform());
  ASSERT_TRUE(dynamic_cast<const zcContourTree*>(m.rep()) != nullptr);
  EXPECT_TRUE(m->isRegion());
  // The skew map keeps the orientation: still one positive turn.
  EXPECT_NEAR(m->tangentRotation().value(), 2 * zkPi, 1e-9);
  EXPECT_TRUE(m->within(skewXform().mapPoint(zcPoint(5, 3))));
  const zcShapePtr back = m->mapShape(skewXform().inverse());
  expectPoints(densePoints(*back), densePoints(c), 1e-9);

  // A moved corner breaks the contour: refused, target unchanged.
  Bytes bad = ownBytes(c);
  patchDouble(bad, 10.0, 10.5);
  expectRefused<zcArchive::BadFormat>(bad, zcContourTree({quarter(0)}, false));
}

TEST(HeldShapes, AGenShapeCarriesAShapeAsItsBytesAMappedShapeItsImage) {
  const zcContourTree circle(circlePieces(), true);
  const zcGenShape g(circle);
  EXPECT_NE(g.shape().rep(), &circle);
  const std::vector<unsigned char> bytes = g.bytes();
  const zcGenShape back = zcGenShape::fromBytes(bytes);
  EXPECT_TRUE(*back.shape() == circle);
  EXPECT_TRUE(back == g);
  // The protocol goes to the held shape.
  EXPECT_NEAR(back.perimeter(), 2 * zkPi, 1e-12);
  EXPECT_TRUE(back.within(zcPoint(0.5, 0)));
  EXPECT_TRUE(back.isRegion());

  // Mapped through its own map, still a generic shape.
  const zcShapePtr m = g.mapShape(skewXform());
  const auto& gm = dynamic_cast<const zcGenShape&>(*m);
  EXPECT_TRUE(*gm.shape() == *circle.mapShape(skewXform()));
  EXPECT_TRUE(zfRealEq(g.map(skewXform()).boundingBox(), circle.mapShape(skewXform())->boundingBox(), 0.0));
  expectPoints(densePoints(g.map(skewXform()).map(skewXform().inverse())), densePoints(circle), 1e-9);

  std::vector<unsigned char> trailing = bytes;
  trailing.push_back(0);
  EXPECT_THROW(zcGenShape::fromBytes(trailing), zcArchive::BadFormat);
  EXPECT_THROW(zcGenShape::fromBytes(bytes.data(), bytes.size() - 1), zcArchive::Errors);
  EXPECT_THROW(zcGenShape::fromBytes(nullptr, 0), zcArchive::Errors);
  // A persistent object that is not a shape.
  zcArchive notShape;
  zcPersistent* e = new zcShapesError::BadParams(L"x");
  notShape.serializePointer(e);
  delete e;
  EXPECT_THROW(zcGenShape::fromBytes(notShape.bytes()), zcArchive::WrongClass);

  const zcGenShape empty;
  EXPECT_TRUE(zcGenShape::fromBytes(empty.bytes()).isEmpty());
  EXPECT_THROW(empty.boundingBox(), zcShapesError::EmptyShape);

  // A mapped shape shares its shape and answers through the image.
  const zcShapePtr held = new zcContourTree(circle);
  const zcXform<2> x = skewXform();
  const zcMappedShape mapped(held, x);
  EXPECT_EQ(mapped.shape().rep(), held.rep());
  EXPECT_TRUE(zfRealEq(mapped.boundingBox(), held->mapShape(x)->boundingBox(), 0.0));
  EXPECT_TRUE(mapped.within(x.mapPoint(zcPoint(0.5, 0.5))));
  EXPECT_FALSE(mapped.within(x.mapPoint(zcPoint(1.5, 0))));
  EXPECT_NEAR(mapped.perimeter(), held->mapShape(x)->perimeter(), 1e-12);

  // Maps compose, and mapping back gives the original transform.
  const zcXform<2> y = zcXform<2>::rotation(zcRadian(1.0));
  const zcMappedShape my = mapped.map(y);
  EXPECT_TRUE(zfRealEq(my.xform(), y * x, 1e-15));
  const zcShapePtr home = my.mapShape(y.inverse())->mapShape(x.inverse());
  const auto& b = dynamic_cast<const zcMappedShape&>(*home);
  EXPECT_TRUE(zfRealEq(b.xform(), zcXform<2>(), 1e-9));
  EXPECT_TRUE(*b.shape() == circle);

  EXPECT_THROW(zcMappedShape(held, zcXform<2>(zcMatrix<2>(NAN, 0, 0, 1), zcVector<2>())), zcShapesError::BadParams);
  EXPECT_THROW(zcMappedShape().nearestPoint(zcPoint()), zcShapesError::EmptyShape);
}

#include "zfound/rect.h"

#include "zfound/archive.h"
#include "zfound/genrect.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <array>
#include <typeinfo>
#include <vector>

using namespace zc_test;

namespace {

// The in-place archive form of a rectangle, built field by field.
std::vector<unsigned char> rectForm(bool empty, zcPoint corner, zcVector<2> size) {
  zcArchive out;
  unsigned char version = 0;
  out || version || version || empty || corner || size;  // zcRect level, zcShape level
  return out.bytes();
}

}  // namespace

TEST(RectBasics, ConstructionAccessorsRegionQueriesAndRefusals) {
  const zcRect r(zcPoint(1, 2), zcVector<2>(4, 3));
  EXPECT_FALSE(r.isEmpty());
  // Corners from the upper left (y downward), then the center.
  EXPECT_EQ((std::vector{r.ul(), r.ur(), r.lr(), r.ll(), r.center()}),
            (std::vector{zcPoint(1, 2), zcPoint(5, 2), zcPoint(5, 5), zcPoint(1, 5), zcPoint(3, 3.5)}));
  EXPECT_DOUBLE_EQ(r.area(), 12.0);
  EXPECT_EQ(zcRect::fromCorners(zcPoint(5, 2), zcPoint(1, 5)), r);

  for (const auto& [x, y, w, h] :
       {std::array{0.0, 0.0, -1.0, 2.0}, {0.0, 0.0, 1.0, -0.5}, {NAN, 0.0, 1.0, 1.0}, {0.0, 0.0, INFINITY, 1.0}})
    EXPECT_THROW(zcRect(x, y, w, h), zcShapesError::BadParams) << x << " " << y << " " << w << " " << h;

  // A refused setter leaves the rectangle as it was.
  zcRect s = r;
  EXPECT_THROW(s.size(zcVector<2>(-1, 1)), zcShapesError::BadParams);
  EXPECT_THROW(s.corner(zcPoint(NAN, 0)), zcShapesError::BadParams);
  EXPECT_EQ(s, r);

  // The empty rectangle differs from the zero-size one at the origin.
  const zcRect empty;
  const zcRect dot(zcPoint(0, 0), zcVector<2>(0, 0));
  EXPECT_TRUE(empty.isEmpty());
  EXPECT_FALSE(dot.isEmpty());
  EXPECT_NE(empty, dot);
  EXPECT_TRUE(dot.within(zcPoint(0, 0)));
  EXPECT_FALSE(empty.within(zcPoint(0, 0)));
  EXPECT_TRUE(empty.degen());
  EXPECT_TRUE(dot.degen());
  EXPECT_FALSE(r.degen());
  EXPECT_THROW(empty.nearestPoint(zcPoint(1, 1)), zcShapesError::EmptyShape);
  EXPECT_THROW(sampled(empty, {.tolerance = 0.1}), zcShapesError::EmptyShape);

  // As a region: inside, nearest points, perimeter and the sampled boundary.
  EXPECT_TRUE(r.isRegion());
  EXPECT_TRUE(r.isRightHanded());
  EXPECT_TRUE(r.within(zcPoint(5, 5)));  // the corner belongs to it
  EXPECT_TRUE(r.within(zcPoint(3, 3)));
  EXPECT_FALSE(r.within(zcPoint(5.0000001, 3)));
  EXPECT_EQ(r.nearestPoint(zcPoint(3, 3)), zcPoint(3, 3));
  EXPECT_EQ(r.nearestPoint(zcPoint(8, 9)), zcPoint(5, 5));
  EXPECT_EQ(r.nearestPoint(zcPoint(0, 3)), zcPoint(1, 3));
  EXPECT_DOUBLE_EQ(r.distToPoint(zcPoint(8, 9)), 5.0);
  EXPECT_DOUBLE_EQ(r.distToPoint(zcPoint(2, 3)), 0.0);
  EXPECT_DOUBLE_EQ(r.perimeter(), 14.0);
  EXPECT_EQ(r.boundingBox(), r);
  EXPECT_TRUE(zcRect().boundingBox().isEmpty());

  // Boundary: corner, (x + w, y), lr, ll, corner; spacing 2 splits the 4-long
  // sides in two and the 3-long ones in two as well.
  const std::vector<zcPoint> expected{zcPoint(1, 2), zcPoint(3, 2), zcPoint(5, 2),   zcPoint(5, 3.5), zcPoint(5, 5),
                                      zcPoint(3, 5), zcPoint(1, 5), zcPoint(1, 3.5), zcPoint(1, 2)};
  EXPECT_EQ(sampled(r, {.spacing = 2.0}).points, expected);
}

TEST(RectEnclose, EmptyIsTheIdentityPointsCountAndIntersections) {
  zcRect box;
  box.enclose(zcRect());
  EXPECT_TRUE(box.isEmpty());

  box.enclose(zcPoint(3, -2));
  EXPECT_FALSE(box.isEmpty());
  EXPECT_EQ(box, zcRect(zcPoint(3, -2), zcVector<2>(0, 0)));

  box.enclose(zcPoint(-1, 4)).enclose(zcRect());
  EXPECT_EQ(box, zcRect(zcPoint(-1, -2), zcVector<2>(4, 6)));

  const zcRect r(zcPoint(10, 10), zcVector<2>(1, 1));
  zcRect fromEmpty;
  fromEmpty.enclose(r);
  EXPECT_EQ(fromEmpty, r);
  box.enclose(r);
  EXPECT_EQ(box, zcRect(zcPoint(-1, -2), zcVector<2>(12, 13)));

  // A zero-size box at the origin is not the identity: it pulls the box there.
  zcRect far(zcPoint(5, 5), zcVector<2>(1, 1));
  far.enclose(zcRect(zcPoint(0, 0), zcVector<2>()));
  EXPECT_EQ(far, zcRect(zcPoint(0, 0), zcVector<2>(6, 6)));

  const zcRect a(zcPoint(0, 0), zcVector<2>(4, 4));
  const zcRect b(zcPoint(2, 3), zcVector<2>(5, 5));
  const zcRect touching(zcPoint(4, 0), zcVector<2>(1, 1));
  const zcRect apart(zcPoint(10, 0), zcVector<2>(1, 1));
  EXPECT_EQ(a.intersection(b), zcRect(zcPoint(2, 3), zcVector<2>(2, 1)));
  EXPECT_EQ(a.intersection(touching), zcRect(zcPoint(4, 0), zcVector<2>(0, 1)));
  EXPECT_TRUE(a.intersection(apart).isEmpty());
  EXPECT_FALSE(a.intersects(zcRect()));
  EXPECT_TRUE(a.contains(zcRect(zcPoint(1, 1), zcVector<2>(3, 3))));
  EXPECT_FALSE(a.contains(b));
  EXPECT_TRUE(a.contains(zcRect()));
  EXPECT_FALSE(zcRect().contains(a));
}

TEST(RectMapping, AxisScalingKeepsARectOtherMapsGiveAGenRect) {
  const zcRect r(zcPoint(1, 2), zcVector<2>(4, 3));

  // A mirror in x with anisotropic scaling: still axis-aligned.
  const zcXform<2> axis(zcMatrix<2>::scaling(-2, 0.5), zcVector<2>(10, 1));
  const zcRect m = r.map(axis);
  EXPECT_EQ(m, zcRect(zcPoint(0, 2), zcVector<2>(8, 1.5)));
  zcShapePtr shape = r.mapShape(axis);
  ASSERT_EQ(typeid(*shape), typeid(zcRect));
  EXPECT_EQ(*shape, m);
  EXPECT_TRUE(zfRealEq(m.map(axis.inverse()), r, 1e-9));

  // Rotation and scaling: a general rectangle, and back again by the inverse.
  EXPECT_THROW(r.map(skewXform()), zcShapesError::BadGeom);
  zcShapePtr skew = r.mapShape(skewXform());
  ASSERT_EQ(typeid(*skew), typeid(zcGenRect));
  zcShapePtr back = skew->mapShape(skewXform().inverse());
  ASSERT_EQ(typeid(*back), typeid(zcGenRect));
  EXPECT_TRUE(zfRealEq(static_cast<const zcGenRect&>(*back), zcGenRect(r), 1e-9));
  // The mapped corner is a corner of the general rectangle.
  const zcRect skewBox = skew->boundingBox();
  EXPECT_TRUE(skewBox.contains(zcRect(skewXform().mapPoint(r.lr()), zcVector<2>())));

  // The empty rectangle maps to itself under any map.
  zcShapePtr emptyImage = zcRect().mapShape(skewXform());
  EXPECT_TRUE(static_cast<const zcRect&>(*emptyImage).isEmpty());
}

TEST(RectForms, EightyEightByteImageAndArchivesThatRefuseMalformedForms) {
  const zcRect r(zcPoint(-1.5, 2.25), zcVector<2>(3.5, 0.125));
  static_assert(zkRectImageSize == 88);
  const auto image = imageOf<zkRectImageSize>(r);
  expectDoublesAt(image.data(), {{16, -1.5}, {24, 2.25}, {32, 3.5}, {40, 0.125}});
  expectZeroBytes(image.data(), 0, 16);
  expectZeroBytes(image.data(), 48, 88);
  // Readers ignore the housekeeping bytes.
  EXPECT_EQ(zcRect::readImage(withByte(withByte(image, 0, 0x7F), 87, 0x13)), r);
  EXPECT_THROW(zcRect::readImage(withDouble(image, 32, -1.0)), zcShapesError::BadParams);

  const zcRect before(zcPoint(7, 8), zcVector<2>(1, 1));
  expectRefused<zcArchive::BadFormat>(rectForm(false, zcPoint(0, 0), zcVector<2>(-1, 2)), before);
  expectRefused<zcArchive::BadFormat>(rectForm(false, zcPoint(NAN, 0), zcVector<2>(1, 2)), before);
  expectRefused<zcArchive::BadFormat>(rectForm(true, zcPoint(0, 0), zcVector<2>(1, 2)), before);  // empty, with a size
  zcRect target = before;
  zcArchive in(rectForm(false, zcPoint(3, 4), zcVector<2>(5, 6)));
  in || static_cast<zcPersistent&>(target);
  EXPECT_EQ(target, zcRect(zcPoint(3, 4), zcVector<2>(5, 6)));
}


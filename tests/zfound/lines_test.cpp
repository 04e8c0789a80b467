#include "zfound/lines.h"

#include "zfound/archive.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

using namespace zc_test;

namespace {

std::vector<zcPoint> sampled(const zcShape& shape, double spacing, bool duplicateCorners = false,
                             bool uniform = false) {
  return zc_test::sampled(shape, {.spacing = spacing, .tolerance = spacing == 0.0 ? 0.1 : 0.0,
                                  .duplicateCorners = duplicateCorners, .uniform = uniform})
      .points;
}

// An own archive form written field by field: version byte, then what `fields` adds.
std::vector<unsigned char> ownForm(const std::function<void(zcArchive&)>& fields, unsigned char version = 0) {
  zcArchive out;
  out || version;
  fields(out);
  return out.bytes();
}

const zcPoint kNan(std::nan(""), 0.0);

}  // namespace

TEST(LinesMapping, EveryKindMapsThereAndBack) {
  expectMapsAsItsKind(zc2Point(zcPoint(3, -1)));
  expectMapsAsItsKind(zcLineSeg(zcPoint(1, 2), zcPoint(-4, 6)));
  expectMapsAsItsKind(zcLine(zcPoint(2, 1), zcRadian(0.7)));
  expectMapsAsItsKind(zcFLine(zcPoint(2, 1), zcPoint(-3, 5)));
  expectMapsAsItsKind(zcPointSet({zcPoint(0, 0), zcPoint(1, 5), zcPoint(-2, 3)}));
  expectMapsAsItsKind(zcLineSegSet({zcLineSeg(zcPoint(0, 0), zcPoint(1, 1)), zcLineSeg(zcPoint(5, 5), zcPoint(5, 5))}, true));
  expectMapsAsItsKind(zcPolygon({zcPoint(0, 0), zcPoint(4, 0), zcPoint(2, 3)}, zcPolygon::eWinding));
  expectMapsAsItsKind(zcPolyline({zcPoint(0, 0), zcPoint(4, 0), zcPoint(2, 3)}, true));
  expectMapsAsItsKind(zcCross(zcPoint(3, 4), zcRadian(2.5), 9));
  expectMapsAsItsKind(zcCoordAxes(zcPoint(1, 1), zcPoint(5, 1), zcPoint(1, 3)));

  // Hand-computed images under a quarter turn about the origin then a shift.
  const zcXform<2> q(zcMatrix<2>::rotation(zcRadian(zcDegree(90))), zcVector<2>(10, 0));
  const zcLineSeg s = zcLineSeg(zcPoint(1, 0), zcPoint(3, 0)).map(q);
  EXPECT_TRUE(zfRealEq(s, zcLineSeg(zcPoint(10, 1), zcPoint(10, 3)), 1e-12));
  const zcCross c = zcCross(zcPoint(1, 0), zcRadian(0.25), 7).map(q);
  EXPECT_NEAR(c.angle().value(), 0.25 + zkPi / 2, 1e-12);
  EXPECT_EQ(c.size(), 7);
  const zcFLine f = zcFLine(zcPoint(0, 2), zcPoint(1, 2)).map(q);  // y = 2 becomes x = 8
  EXPECT_NEAR(f.signedDistance(zcPoint(8, 123)), 0.0, 1e-12);
  EXPECT_NEAR(f.angle().value(), zkPi / 2, 1e-12);

  // Maps that collapse an infinite line's direction are refused.
  const zcXform<2> flatten(zcMatrix<2>::scaling(1, 0), zcVector<2>());
  EXPECT_THROW(zcLine(zcVector<2>(0, 1), zcPoint(0, 0)).map(flatten), zcShapesError::DegenerateShape);
  EXPECT_THROW(zcFLine(zcPoint(0, 0), zcPoint(0, 1)).map(flatten), zcShapesError::DegenerateShape);
}

TEST(LineSeg, DistancesEndsAndPieces) {
  const zcLineSeg s(zcPoint(0, 0), zcPoint(10, 0));
  EXPECT_DOUBLE_EQ(s.distToPoint(zcPoint(5, 3)), 3.0);
  EXPECT_DOUBLE_EQ(s.distToPoint(zcPoint(13, 4)), 5.0);
  EXPECT_EQ(s.nearestPoint(zcPoint(-2, 7)), zcPoint(0, 0));
  EXPECT_DOUBLE_EQ(s.nearestPerimPos(zcPoint(4, -9)), 4.0);
  EXPECT_EQ(zcLineSeg(zcPoint(3, 5), zcPoint(-1, 2)).boundingBox(), zcRect(zcPoint(-1, 2), zcVector<2>(4, 3)));
  EXPECT_DOUBLE_EQ(zcLineSeg(zcPoint(0, 0), zcPoint(0, -2)).startAngle().value(), -zkPi / 2);

  // Seen from the origin, the segment from (1, −1) to (1, 1) sweeps a quarter turn.
  const zcLineSeg near(zcPoint(1, -1), zcPoint(1, 1));
  EXPECT_NEAR(near.windingAngle(zcPoint(0, 0)).value(), zkPi / 2, 1e-15);
  EXPECT_NEAR(near.reverse()->windingAngle(zcPoint(0, 0)).value(), -zkPi / 2, 1e-15);
  EXPECT_THROW(near.windingAngle(zcPoint(1, 0.5)), zcShapesError::BadGeom);

  zcShapePtr piece = s.subShape(2, 7);
  EXPECT_EQ(*piece, zcLineSeg(zcPoint(2, 0), zcPoint(7, 0)));
  EXPECT_EQ(*s.subShape(8, -5), zcLineSeg(zcPoint(8, 0), zcPoint(0, 0)));
  EXPECT_THROW(s.subShape(NAN, 1), zcShapesError::BadParams);

  EXPECT_EQ(sampled(s, 2.5), (std::vector<zcPoint>{zcPoint(0, 0), zcPoint(2.5, 0), zcPoint(5, 0), zcPoint(7.5, 0),
                                                   zcPoint(10, 0)}));
  expectPoints(sampled(s, 3.0, false, true),
               {zcPoint(0, 0), zcPoint(3, 0), zcPoint(6, 0), zcPoint(9, 0), zcPoint(10, 0)});

  // A segment of zero length is allowed but has no direction.
  const zcLineSeg dot(zcPoint(1, 1), zcPoint(1, 1));
  EXPECT_TRUE(dot.degen());
  EXPECT_THROW(dot.startAngle(), zcShapesError::NoTangent);
  EXPECT_THROW(dot.line(), zcShapesError::DegenerateShape);

  zcLineSeg t = s;
  EXPECT_THROW(t.p2(kNan), zcShapesError::BadParams);
  EXPECT_EQ(t, s);
  EXPECT_THROW(zcLineSeg(kNan, zcPoint()), zcShapesError::BadParams);
}

TEST(Line, DirectionPointTheFourNumbersClippingAndTheImplicitForm) {
  const zcLine l(zcVector<2>(3, 4), zcPoint(1, 1));
  EXPECT_EQ(l.dir(), zcVector<2>(0.6, 0.8));
  EXPECT_FALSE(l.isFinite());
  EXPECT_THROW(l.boundingBox(), zcShapesError::DegenerateShape);
  EXPECT_THROW(l.within(zcPoint()), zcShapesError::NotRegion);
  EXPECT_NEAR(l.distToPoint(zcPoint(1 + 4, 1 - 3)), 5.0, 1e-12);
  EXPECT_TRUE(zfRealEq(l.nearestPoint(zcPoint(4, 5)), zcPoint(4, 5), 1e-12));
  EXPECT_NEAR(l.signedDistance(zcPoint(-3, 4)), 5.0, 1e-12);  // left of the direction
  EXPECT_THROW(zcLine(zcVector<2>(0, 0), zcPoint(1, 1)), zcShapesError::DegenerateShape);
  EXPECT_THROW(zcLine::throughPoints(zcPoint(2, 2), zcPoint(2, 2)), zcShapesError::DegenerateShape);
  EXPECT_TRUE(zfRealEq(zcLine::throughPoints(zcPoint(0, 1), zcPoint(0, 5)), zcLine(zcPoint(0, 1), zcRadian(zkPi / 2)),
                       1e-15));

  const auto image = imageOf<zkLineImageSize>(l);
  expectDoublesAt(image.data(), {{0, 0.6}, {8, 0.8}, {16, 1.0}, {24, 1.0}});  // direction, point
  EXPECT_EQ(zcLine::readImage(image), l);
  // A direction read back from its own numbers stays as it was.
  const zcLine angled(zcPoint(-2, 3), zcRadian(1.1));
  EXPECT_EQ(zcLine::readImage(imageOf<zkLineImageSize>(angled)), angled);
  EXPECT_THROW(zcLine::readImage(withDouble(withDouble(image, 0, 0.0), 8, 0.0)), zcShapesError::DegenerateShape);
  EXPECT_NEAR(l.fline().signedDistance(zcPoint(-3, 4)), 5.0, 1e-12);
  // Directions of any finite size give a unit direction, subnormal ones included.
  for (const zcVector<2>& d : {zcVector<2>(4e-320, 4e-320), zcVector<2>(5e-324, 0), zcVector<2>(1e308, -1e308),
                              zcVector<2>(3, 4)}) {
    const zcLine line(d, zcPoint(1, 2));
    EXPECT_NEAR(line.dir().length(), 1.0, 1e-15);
    expectOwnRoundTrip(line);
  }

  // The archive form carries a unit direction; anything else is refused.
  auto lineForm = [](zcVector<2> dir) {
    return ownForm([&](zcArchive& a) { unsigned char shapeVersion = 0; zcPoint p(1, 1); a || shapeVersion || dir || p; });
  };
  zcLine target = angled;
  zcArchive good(lineForm(zcVector<2>(0.6, 0.8)));
  good || target;
  EXPECT_EQ(target, l);
  expectRefused<zcArchive::BadFormat>(lineForm(zcVector<2>(3, 4)), l);
  const zcRect window(zcPoint(0, 0), zcVector<2>(10, 5));
  zcClipInfo info;
  // The diagonal y = x enters at the origin and leaves through the top at (5, 5).
  // Then running the other way along x, and along an edge.
  const std::pair<zcShapePtr, zcLineSeg> rows[] = {
      {new zcLine(zcVector<2>(1, 1), zcPoint(-3, -3)), zcLineSeg(zcPoint(0, 0), zcPoint(5, 5))},
      {new zcFLine(zcPoint(20, 2), zcPoint(19, 2)), zcLineSeg(zcPoint(10, 2), zcPoint(0, 2))},
      {new zcLine(zcPoint(10, -7), zcRadian(zkPi / 2)), zcLineSeg(zcPoint(10, 0), zcPoint(10, 5))}};
  for (const auto& [line, expected] : rows) {
    zcShapePtr piece = line->clip(window, info);
    ASSERT_TRUE(piece);
    EXPECT_EQ(info.result, zcClipInfo::eClipped);
    EXPECT_EQ(info.pieces, 1);
    ASSERT_EQ(typeid(*piece), typeid(zcLineSeg));
    EXPECT_TRUE(zfRealEq(static_cast<const zcLineSeg&>(*piece), expected, 1e-12));
  }

  EXPECT_FALSE(zcLine(zcPoint(0, 6), zcRadian(0)).clip(window, info));
  EXPECT_EQ(info.result, zcClipInfo::eOutside);
  EXPECT_EQ(info.pieces, 0);
  EXPECT_FALSE(zcLine(zcVector<2>(1, 1), zcPoint(11, 0)).clip(window, info));
  EXPECT_FALSE(zcLine().clip(zcRect(), info));

  // The implicit form: intersections, normalisation, reversal.
  const zcFLine a(zcPoint(0, 0), zcPoint(1, 1));
  const zcFLine b(zcPoint(0, 2), zcPoint(2, 0));
  EXPECT_TRUE(zfRealEq(a.intersection(b), zcPoint(1, 1), 1e-15));

  const zcFLine y2(0, 2, 4);  // 2 y = 4, normalised to y = 2
  EXPECT_EQ(y2.normal(), zcVector<2>(0, 1));
  EXPECT_EQ(y2.c(), 2.0);
  EXPECT_EQ(y2.direction(), zcVector<2>(1, 0));
  EXPECT_TRUE(zfRealEq(y2.intersection(zcFLine(zcPoint(3, 0), zcRadian(zkPi / 2))), zcPoint(3, 2), 1e-15));
  EXPECT_EQ(y2.nearestPoint(zcPoint(5, -1)), zcPoint(5, 2));
  EXPECT_DOUBLE_EQ(y2.distToPoint(zcPoint(5, -1)), 3.0);
  EXPECT_EQ(y2.point(), zcPoint(0, 2));

  // Parallel lines, coinciding or not, have no single common point.
  EXPECT_THROW(y2.intersection(zcFLine(zcPoint(0, 5), zcPoint(1, 5))), zcMathError::Singular);
  EXPECT_THROW(y2.intersection(zcFLine(zcPoint(9, 2), zcPoint(-1, 2))), zcMathError::Singular);

  EXPECT_THROW(zcFLine(0, 0, 1), zcShapesError::DegenerateShape);
  EXPECT_THROW(zcFLine(1, 0, INFINITY), zcShapesError::BadParams);
  EXPECT_THROW(zcFLine(zcPoint(1, 1), zcPoint(1, 1)), zcShapesError::DegenerateShape);
  EXPECT_THROW(a.boundingBox(), zcShapesError::DegenerateShape);

  // Reversal keeps the points and turns the direction.
  zcShapePtr r = a.reverse();
  const auto& ra = static_cast<const zcFLine&>(*r);
  EXPECT_NEAR(ra.signedDistance(zcPoint(1, 0)), -a.signedDistance(zcPoint(1, 0)), 1e-15);
  EXPECT_NEAR(ra.signedDistance(zcPoint(3, 3)), 0.0, 1e-15);
}

TEST(Sets, TheDegenerateFlagBoxesNearestPointsAndArchives) {
  const zcLineSeg dot(zcPoint(2, 2), zcPoint(2, 2));
  const zcLineSeg one(zcPoint(0, 0), zcPoint(3, 4));
  EXPECT_THROW(zcLineSegSet({one, dot}), zcShapesError::DegenerateShape);
  zcLineSegSet strict({one});
  EXPECT_THROW(strict.add(dot), zcShapesError::DegenerateShape);
  EXPECT_EQ(strict.size(), 1);

  zcLineSegSet lenient({one, dot}, true);
  lenient.add(zcLineSeg(zcPoint(-1, 7), zcPoint(0, 7)));
  EXPECT_TRUE(lenient.allowsDegenerate());
  EXPECT_EQ(lenient.boundingBox(), zcRect(zcPoint(-1, 0), zcVector<2>(4, 7)));
  EXPECT_DOUBLE_EQ(lenient.perimeter(), 6.0);
  EXPECT_EQ(lenient.nearestPoint(zcPoint(2.5, 2)), zcPoint(2, 2));
  EXPECT_FALSE(lenient.degen());
  EXPECT_TRUE(zcLineSegSet({dot}, true).degen());
  EXPECT_THROW(zcLineSegSet().boundingBox(), zcShapesError::EmptyShape);

  zcShapePtr rev = lenient.reverse();
  const auto& r = static_cast<const zcLineSegSet&>(*rev);
  EXPECT_EQ(r.segment(0), zcLineSeg(zcPoint(0, 7), zcPoint(-1, 7)));
  EXPECT_EQ(r.segment(2), zcLineSeg(zcPoint(3, 4), zcPoint(0, 0)));

  // Segments of zero length survive an archive only in a set that allows them.
  Bytes bytes = ownBytes(lenient);
  bytes[10] = 0;  // the flag, after the header and the two version bytes
  expectRefused<zcArchive::BadFormat>(bytes, zcLineSegSet(strict));

  // Point sets.
  const zcPointSet set({zcPoint(1, 5), zcPoint(-2, 3), zcPoint(4, -1)});
  EXPECT_EQ(set.boundingBox(), zcRect(zcPoint(-2, -1), zcVector<2>(6, 6)));
  EXPECT_EQ(set.nearestPoint(zcPoint(3, 0)), zcPoint(4, -1));
  EXPECT_FALSE(set.isConnected());
  EXPECT_THROW(zcPointSet().boundingBox(), zcShapesError::EmptyShape);
  EXPECT_THROW(zcPointSet().nearestPoint(zcPoint()), zcShapesError::EmptyShape);
  EXPECT_THROW(set.point(3), zcShapesError::BadParams);
  EXPECT_THROW(zcPointSet({zcPoint(), kNan}), zcShapesError::BadParams);

  // Own form: version, count, points.
  EXPECT_EQ(expectOwnRoundTrip(set).size(), 8u + 1 + 4 + 3 * 16);
  expectRefused<zcArchive::BadCount>(ownForm([](zcArchive& a) { long n = -1; a || n; }), set);
  expectRefused<zcArchive::BadCount>(ownForm([](zcArchive& a) { long n = 3; zcPoint p(1, 2); a || n || p || p; }), set);
  expectRefused<zcArchive::BadFormat>(ownForm([](zcArchive& a) { long n = 1; zcPoint p = kNan; a || n || p; }), set);
  expectRefused<zcArchive::UnknownVersion>(ownForm([](zcArchive& a) { long n = 0; a || n; }, 1), set);
}

TEST(Polygon, FillModesBoundaryAndArchives) {
  // A pentagram: its center is wound twice, so it is inside by the winding rule and
  // outside by the even-odd rule.
  std::vector<zcPoint> star;
  for (int i = 0; i < 5; ++i) star.emplace_back(zcRadian(zkPi / 2 + i * 4 * zkPi / 5), 10.0);
  const zcPolygon alternate(star, zcPolygon::eAlternate);
  const zcPolygon winding(star, zcPolygon::eWinding);
  EXPECT_FALSE(alternate.within(zcPoint(0, 0)));
  EXPECT_TRUE(winding.within(zcPoint(0, 0)));
  EXPECT_TRUE(alternate.within(zcPoint(0, 9)));  // inside a point of the star
  EXPECT_FALSE(winding.within(zcPoint(0, 10.5)));
  EXPECT_EQ(winding.nearestPoint(zcPoint(0, 0)), zcPoint(0, 0));
  EXPECT_GT(alternate.distToPoint(zcPoint(0, 0)), 1.0);

  const zcPolygon tri({zcPoint(0, 0), zcPoint(4, 0), zcPoint(0, 3)});
  EXPECT_TRUE(tri.within(zcPoint(2, 1.5)));  // on the hypotenuse
  EXPECT_TRUE(tri.within(zcPoint(4, 0)));
  EXPECT_FALSE(tri.within(zcPoint(2.01, 1.5)));
  EXPECT_DOUBLE_EQ(tri.perimeter(), 12.0);
  EXPECT_DOUBLE_EQ(tri.signedArea(), 6.0);
  EXPECT_TRUE(tri.isRightHanded());
  EXPECT_FALSE(static_cast<const zcPolygon&>(*tri.reverse()).isRightHanded());
  EXPECT_TRUE(zfRealEq(tri.nearestPoint(zcPoint(4, 3)), zcPoint(2.56, 1.08), 1e-12));
  EXPECT_EQ(tri.boundingBox(), zcRect(zcPoint(0, 0), zcVector<2>(4, 3)));
  EXPECT_EQ(sampled(tri, 0.0), (std::vector<zcPoint>{zcPoint(0, 0), zcPoint(4, 0), zcPoint(0, 3), zcPoint(0, 0)}));

  const zcPolygon two({zcPoint(0, 0), zcPoint(1, 0)});
  EXPECT_FALSE(two.isRegion());
  EXPECT_TRUE(two.degen());
  EXPECT_THROW(two.within(zcPoint()), zcShapesError::NotRegion);
  EXPECT_THROW(zcPolygon().boundingBox(), zcShapesError::EmptyShape);
  zcPolygon p = tri;
  EXPECT_THROW(p.fillMode(static_cast<zcPolygon::PolyFillMode>(7)), zcShapesError::BadParams);
  EXPECT_THROW(p.add(kNan), zcShapesError::BadParams);
  EXPECT_EQ(p, tri);

  // Own form: version, fill mode, count, vertices.
  const Bytes bytes = expectOwnRoundTrip(winding);
  EXPECT_EQ(bytes.size(), 8u + 1 + 4 + 4 + 5 * 16);
  EXPECT_EQ(bytes[9], 1);  // eWinding
  expectRefused<zcArchive::BadCount>(ownForm([](zcArchive& a) { int m = 0; long n = -5; a || m || n; }), tri);
  expectRefused<zcArchive::BadCount>(ownForm([](zcArchive& a) { int m = 0; long n = 1000000; a || m || n; }), tri);
  expectRefused<zcArchive::BadFormat>(ownForm([](zcArchive& a) { int m = 2; long n = 0; a || m || n; }), tri);
}

TEST(VertexChains, MoveKeepsTheVerticesWhereTheyAreAndLeavesTheSourceEmpty) {
  // Growing an array of chains moves them, so their vertices stay where they were.
  const auto check = [](auto made) {
    using Chain = decltype(made);
    static_assert(std::is_nothrow_move_constructible_v<Chain>);
    std::vector<Chain> chains;
    chains.push_back(made);
    const zcPoint* at = chains[0].vertices().data();
    for (int i = 0; i < 100; ++i) chains.push_back(made);
    EXPECT_EQ(chains[0].vertices().data(), at);
    Chain moved(std::move(chains[0]));
    EXPECT_EQ(moved.vertices().data(), at);
    EXPECT_EQ(moved, made);
    EXPECT_TRUE(chains[0].vertices().empty());
  };
  const std::vector<zcPoint> points = {zcPoint(0, 0), zcPoint(4, 0), zcPoint(4, 3)};
  check(zcPolyline(points, true));
  check(zcPolygon(points, zcPolygon::eWinding));
}

TEST(Polyline, OpenContourQueriesAndClosedChainsAsRegions) {
  // An L: along x, then a quarter turn left.
  const zcPolyline l({zcPoint(0, 0), zcPoint(4, 0), zcPoint(4, 0), zcPoint(4, 3)});
  EXPECT_TRUE(l.isOpenContour());
  EXPECT_FALSE(l.isRegion());
  EXPECT_DOUBLE_EQ(l.perimeter(), 7.0);
  EXPECT_EQ(l.startPoint(), zcPoint(0, 0));
  EXPECT_EQ(l.endPoint(), zcPoint(4, 3));
  EXPECT_DOUBLE_EQ(l.startAngle().value(), 0.0);
  EXPECT_DOUBLE_EQ(l.endAngle().value(), zkPi / 2);
  EXPECT_DOUBLE_EQ(l.tangentRotation().value(), zkPi / 2);
  EXPECT_DOUBLE_EQ(l.nearestPerimPos(zcPoint(6, 1)), 5.0);
  EXPECT_EQ(l.nearestPoint(zcPoint(6, 1)), zcPoint(4, 1));
  // From (2, 1) the chain runs from the direction (−2, −1) round to (2, 2).
  EXPECT_NEAR(l.windingAngle(zcPoint(2, 1)).value(), 5 * zkPi / 4 - std::atan(0.5), 1e-12);
  EXPECT_THROW(l.windingAngle(zcPoint(4, 2)), zcShapesError::BadGeom);
  EXPECT_THROW(l.within(zcPoint(1, 1)), zcShapesError::NotRegion);

  EXPECT_EQ(*l.subShape(2, 5), zcPolyline({zcPoint(2, 0), zcPoint(4, 0), zcPoint(4, 1)}));
  EXPECT_EQ(*l.subShape(5, 2), zcPolyline({zcPoint(4, 1), zcPoint(4, 0), zcPoint(2, 0)}));
  EXPECT_EQ(*l.subShape(-1, 1), zcPolyline({zcPoint(0, 0), zcPoint(1, 0)}));

  // Corners are given twice on request; the repeated vertex is not a corner twice over.
  EXPECT_EQ(sampled(l, 2.0, true), (std::vector<zcPoint>{zcPoint(0, 0), zcPoint(2, 0), zcPoint(4, 0), zcPoint(4, 0),
                                                         zcPoint(4, 1.5), zcPoint(4, 3)}));
  // Uniform steps run round the corner.
  expectPoints(sampled(l, 3.0, false, true), {zcPoint(0, 0), zcPoint(3, 0), zcPoint(4, 2), zcPoint(4, 3)});

  const zcPolyline reversed = static_cast<const zcPolyline&>(*l.reverse());
  EXPECT_EQ(reversed.startPoint(), zcPoint(4, 3));
  EXPECT_DOUBLE_EQ(reversed.tangentRotation().value(), -zkPi / 2);

  const zcPolyline flat({zcPoint(1, 1), zcPoint(1, 1)});
  EXPECT_TRUE(flat.degen());
  EXPECT_THROW(flat.startAngle(), zcShapesError::NoTangent);
  EXPECT_THROW(zcPolyline().startPoint(), zcShapesError::NotOpenContour);

  // Closed, a chain is a region.
  const zcPolyline square({zcPoint(0, 0), zcPoint(2, 0), zcPoint(2, 2), zcPoint(0, 2)}, true);
  EXPECT_TRUE(square.isRegion());
  EXPECT_TRUE(square.isRightHanded());
  EXPECT_TRUE(square.within(zcPoint(1, 1)));
  EXPECT_TRUE(square.within(zcPoint(2, 1)));
  EXPECT_FALSE(square.within(zcPoint(3, 1)));
  EXPECT_DOUBLE_EQ(square.perimeter(), 8.0);
  EXPECT_DOUBLE_EQ(square.distToPoint(zcPoint(1, 1)), 0.0);
  EXPECT_THROW(square.startPoint(), zcShapesError::NotOpenContour);
  EXPECT_THROW(square.tangentRotation(), zcShapesError::NotOpenContour);
  EXPECT_THROW(square.subShape(0, 1), zcShapesError::NotOpenContour);
  EXPECT_EQ(sampled(square, 0.0).back(), zcPoint(0, 0));

  // Reversal keeps the start vertex and turns the direction.
  const zcPolyline r = static_cast<const zcPolyline&>(*square.reverse());
  EXPECT_EQ(r.vertices(), (std::vector<zcPoint>{zcPoint(0, 0), zcPoint(0, 2), zcPoint(2, 2), zcPoint(2, 0)}));
  EXPECT_FALSE(r.isRightHanded());

  // A malformed count leaves the polyline as it was.
  Bytes bytes = ownBytes(square);
  zfStoreI32(&bytes[11], -1);  // the count, after header, two versions and the flag
  expectRefused<zcArchive::BadCount>(bytes, zcPolyline(square));
}

TEST(PointKinds, CrossAxesAndPointImagesBoxesAndArchiveForms) {
  const zcCross c(zcPoint(1.5, -2), zcRadian(0.75), 11);
  auto image = imageOf<zkCrossImageSize>(c);
  expectDoublesAt(image.data(), {{0, 1.5}, {8, -2.0}, {16, 0.75}});
  EXPECT_EQ(zfLoadI32(&image[24]), 11);
  EXPECT_EQ(zfLoadU32(&image[28]), 0u);
  EXPECT_EQ(zcCross::readImage(image), c);
  zfStoreI32(&image[24], -3);
  EXPECT_THROW(zcCross::readImage(image), zcShapesError::BadParams);

  EXPECT_EQ(c.boundingBox(), zcRect(zcPoint(1.5, -2), zcVector<2>()));
  EXPECT_EQ(c.nearestPoint(zcPoint(100, 100)), zcPoint(1.5, -2));
  zcCross d = c;
  EXPECT_THROW(d.size(-1), zcShapesError::BadParams);
  EXPECT_THROW(d.angle(zcRadian(NAN)), zcShapesError::BadParams);
  EXPECT_EQ(d, c);

  // Own form: version, center, angle, size.
  EXPECT_EQ(expectOwnRoundTrip(c).size(), 8u + 1 + 16 + 8 + 4);
  expectRefused<zcArchive::BadFormat>(
      ownForm([](zcArchive& a) { zcPoint p(0, 0); zcRadian r(0.0); int size = -7; a || p || r || size; }), c);

  // Coordinate axes.
  const zcCoordAxes axes(zcPoint(1, 1), zcPoint(5, 1), zcPoint(1, 4));
  const auto axesImage = imageOf<zkCoordAxesImageSize>(axes);
  expectDoublesAt(axesImage.data(), {{0, 1}, {8, 1}, {16, 5}, {24, 1}, {32, 1}, {40, 4}});
  EXPECT_EQ(zcCoordAxes::readImage(axesImage), axes);
  EXPECT_EQ(axes.boundingBox(), zcRect(zcPoint(1, 1), zcVector<2>(4, 3)));
  EXPECT_EQ(axes.nearestPoint(zcPoint(3, 0)), zcPoint(3, 1));
  EXPECT_EQ(axes.nearestPoint(zcPoint(0, 3)), zcPoint(1, 3));
  EXPECT_DOUBLE_EQ(axes.distToPoint(zcPoint(3, 2)), 1.0);
  EXPECT_EQ(axes.xAxis(), zcLineSeg(zcPoint(1, 1), zcPoint(5, 1)));
  expectOwnRoundTrip(axes);
  expectRefused<zcArchive::BadFormat>(ownForm([](zcArchive& a) { zcPoint p(0, 0), q = kNan; a || p || q || p; }), axes);

  const zc2Point p(zcPoint(2, 3));
  EXPECT_EQ(p.boundingBox(), zcRect(zcPoint(2, 3), zcVector<2>()));
  EXPECT_DOUBLE_EQ(p.distToPoint(zcPoint(5, 7)), 5.0);
  zc2Point q = p;
  EXPECT_THROW(q.point(kNan), zcShapesError::BadParams);
  EXPECT_EQ(q, p);
  EXPECT_FALSE(p == zcCross(zcPoint(2, 3), zcRadian(0), 7));
}

// The SMD model, the drawing of SMD polys and models, and the poly shapes and filters.
#include "dispc/wrfm/smdmodel.h"

#include "dispc/glist.h"
#include "dispc/sketchop.h"
#include "dispc/wrfm/wirefrm.h"

#include "zfound/archive.h"
#include "zfound/lines.h"
#include "zfound/rect.h"

#include "support/smdpoly_builders.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace {

using Poly = zcSMDGDPoly;
using Model = zcSMDGDModel;
using MPriv = zcSMDGDModelPrivate;
using Priv = zcSMDGDPolyPrivate;
using Bytes = std::vector<unsigned char>;
using zc_test::build;
using zc_test::vx;

constexpr double kTol = 1e-9;

Model modelOf(const std::vector<Poly>& polys) {
  Model m;
  m.polys(polys);
  return m;
}

Poly rect(double w, double h, double x, double y, double degrees = 0.0) {
  return zc2Rigid(zcRadian(zcDegree(degrees)), zcVector<2>(x, y)) * Poly::rectangle(w, h, zcPoint());
}

std::vector<zcPoint> points(const Poly& p) {
  std::vector<zcPoint> out;
  for (const zcSMDGDPolyVertex& v : p.vertices()) out.push_back(v.point());
  return out;
}

// Runs an edit that must fail with E and leave the object byte for byte as it was.
template <class E, class T>
void expectRefused(T& object, const std::function<void(T&)>& edit) {
  const Bytes before = zc_test::ownBytes(object);
  EXPECT_THROW(edit(object), E);
  EXPECT_EQ(zc_test::ownBytes(object), before);
}

// The line segments a tablet recorded, with their colors.
struct Line {
  zcPoint a, b;
  zcColor color;
  bool operator==(const Line& o) const { return zfRealEq(a, o.a, kTol) && zfRealEq(b, o.b, kTol) && color == o.color; }
};

std::vector<Line> recordedLines(zcUITablet& tablet) {
  std::vector<Line> out;
  zcUISketchCursor cursor(tablet.sketch());
  while (!cursor.atEnd())
    if (const auto* seg = dynamic_cast<const zc_UISketchOpLineSeg*>(&cursor.next()))
      out.push_back({seg->lineSeg().p1(), seg->lineSeg().p2(), cursor.header().color()});
  return out;
}

}  // namespace

// --- Model ---------------------------------------------------------------------------------------

TEST(SMDModel, PolysLabelsNamesAndIndexRefusals) {
  Model m(L"body");
  EXPECT_TRUE(m.numPolys() == 0 && m.isClosed() && m.numVertices() == 0 && MPriv::position(m) == zc2Rigid());
  EXPECT_THROW(m.poly(0), Model::invalidIndex);
  Poly labelled = build({vx(0, 0, 0, 3), vx(4, 0, 0, -1), vx(4, 4, 0, 5), vx(0, 4, 0, 3)}, false);
  m << labelled;
  EXPECT_EQ(m.subModelLabels(), (std::vector<std::int32_t>{3, 5}));
  m << build({vx(9, 0, 0, 5), vx(9, 5, 0, 7)}, false) << m;  // a model appended to itself
  EXPECT_EQ(m.subModelLabels(), (std::vector<std::int32_t>{3, 5, 7}));
  EXPECT_TRUE(m.numPolys() == 4 && m.isOpen() && m.numVertices() == 12 && m.name() == L"body");
  EXPECT_THROW(m.poly(4), Model::invalidIndex);

  m.colors(zcSMDColors(zcColor::redColor(), zcColor::whiteColor(), zcColor::blackColor()));
  m.negativeArrowColor(zcColor::blueColor());
  for (const Poly& p : m.polys())
    EXPECT_TRUE(p.colors().wireframeDefaultColor() == zcColor::redColor() && p.negativeArrowColor() == zcColor::blueColor());

  // A bad index keeps the list and still empties the name (see the header).
  const Model before = m;
  const auto named = [&] { Model n(L"again"); n.polys(before.polys()); return n; };
  using Edit = std::function<void(Model&)>;
  for (const Edit& edit : {Edit([](Model& x) { x.deletePoly(4); }), Edit([&](Model& x) { x.replacePoly(-1, labelled); })}) {
    Model n = named();
    edit(n);
    EXPECT_TRUE(n == before && n.name().empty());
  }
  m.replacePoly(1, Poly::circle(1, zcPoint()));
  EXPECT_EQ(m.subModelLabels(), (std::vector<std::int32_t>{3, 5, 0, 7}));
  m.deletePoly(0);
  EXPECT_TRUE(m.numPolys() == 3 && m.poly(0) == Poly::circle(1, zcPoint()) && m.name().empty());
  m.deleteAllPolys();
  EXPECT_TRUE(m.numPolys() == 0 && m.subModelLabels().empty());

  // Polys from wireframes; a refused one adds none.
  Model w;
  w << std::vector<zc2Wireframe>{zc2Wireframe(zcGenPoly(zcRect(0, 0, 4, 2)))};
  EXPECT_TRUE(w.numPolys() == 1 && w.poly(0).numVertices() == 4 && w.poly(0).name() == L"poly");
}

TEST(SMDModel, PositionsSubModelsAndMeasures) {
  const Model one = modelOf({build({vx(0, 0), vx(2, 0), vx(2, 3)}, false)});
  EXPECT_TRUE(MPriv::normalizedPosition(one) == zc2Rigid(zcRadian(0.0), zcPoint(2, 0)));
  Model moved = one;
  MPriv::position(moved, zc2Rigid(zcRadian(1.0), zcPoint(1, 1)));
  EXPECT_TRUE(moved != one && MPriv::equivalent(moved, one));

  // The corner of label 1: (10, 11), (8, 11), (8, 10) seen from (8, 11) heading −x.
  Model sub;
  modelOf({Poly::rectangle(4, 2, zcPoint(10, 10))}).subModel(1, sub);
  ASSERT_EQ(sub.numPolys(), 1);
  zc_test::expectPoints(points(sub.poly(0)), {zcPoint(-2, 0), zcPoint(0, 0), zcPoint(0, 1)}, 1e-12);
  EXPECT_NEAR(MPriv::position(sub).angle().value(), zkPi, 1e-12);
  EXPECT_TRUE(zfRealEq(MPriv::position(sub).trans(), zcPoint(8, 11), 1e-12));
  Model corner;
  MPriv::corner(modelOf({Poly::rectangle(4, 2, zcPoint(10, 10))}), corner, 0, 1, false);
  EXPECT_TRUE(corner == sub);
  // Into a model that holds a poly already: appended, and the whole normalized again
  // (turned as its first poly, moved to the mean of all six points, (4, 5.5)).
  Model twice = sub;
  modelOf({Poly::rectangle(4, 2, zcPoint(10, 10))}).subModel(1, twice);
  ASSERT_EQ(twice.numPolys(), 2);
  zc_test::expectPoints(points(twice.poly(1)), {zcPoint(6, 5.5), zcPoint(4, 5.5), zcPoint(4, 4.5)}, 1e-12);
  EXPECT_TRUE(zfRealEq(MPriv::position(twice).trans(), zcPoint(4, 5.5), 1e-12));
  EXPECT_THROW(MPriv::corner(sub, corner, 1, 0, false), Model::invalidIndex);

  // Dominant angles weighted by perimeter, folded into [−45, 45).
  const struct { std::vector<Poly> polys; double angle; } kAngles[] = {
      {{rect(4, 2, 0, 0, 100)}, 10}, {{rect(4, 2, 0, 0, 35)}, 35}, {{rect(2, 2, 0, 0, 40), rect(2, 2, 9, 0, -40)}, 0},
      {{}, 0}};
  for (const auto& row : kAngles) EXPECT_NEAR(MPriv::dominantAngle(modelOf(row.polys)).value(), row.angle, 1e-9);

  Model two = modelOf({rect(4, 2, 0, 0), rect(2, 2, 10, 0)});
  EXPECT_TRUE(zfRealEq(two.centerOfMass_(), zcPoint(5, 0), 1e-12));
  EXPECT_NEAR(two.orientation_().value(), 180.0, 1e-12);
  EXPECT_NEAR(MPriv::perimeter(two, 0.0), 20.0, 1e-12);
  zc_test::expectBox(two.boundingBox(), -2, -1, 11, 1);
  const std::vector<zcXform<2>> shifts = {zcXform<2>(), zcXform<2>::translation(zcVector<2>(0, 5))};
  zc_test::expectBox(MPriv::boundingBox(two, shifts, zcXform<2>::scaling(2, 2)), -4, -2, 22, 12);
  Poly light = two.poly(1);
  light.weight(0.0);
  two.replacePoly(1, light);
  EXPECT_EQ(MPriv::numPosProbesRequired(two, zcXform<2>::scaling(2, 2), shifts, 3.0), 8);  // 24 / 3
  zc_test::expectBox(MPriv::boundingBoxPositive(two, shifts, zcXform<2>()), -2, -1, 11, 6);
  for (const std::vector<zcXform<2>>& wrong : {std::vector<zcXform<2>>{}, std::vector<zcXform<2>>(3)}) {
    EXPECT_THROW(MPriv::numPosProbesRequired(two, zcXform<2>(), wrong, 1.0), Model::invalidIndex);
    EXPECT_THROW(MPriv::boundingBox(two, wrong, zcXform<2>()), Model::invalidIndex);
  }
  EXPECT_EQ(MPriv::numPosProbesRequired(Model(), zcXform<2>(), {}, 1.0), 0);
  EXPECT_TRUE(Model().centerOfMass_() == zcPoint() && modelOf({Poly()}).centerOfMass_() == zcPoint());
  Model negative = modelOf({light});
  light.weight(-1.0);
  negative.replacePoly(0, light);
  EXPECT_THROW(MPriv::boundingBoxPositive(negative, {zcXform<2>()}, zcXform<2>()), Model::invalidIndex);

  // Tolerances: only the stretched poly is reported.
  Model tol = modelOf({rect(4, 2, 0, 0), rect(4, 2, 10, 0)});
  Poly strict = tol.poly(1);
  Priv::autoSegmentLengthTolerance(strict, zcDimTol(-1, 0.1, 0.1, zcDimTol::eOffsets));
  tol.replacePoly(1, strict);
  EXPECT_EQ(tol.polysOutOfTolerance(zcXform<2>::scaling(1.5, 1), zcXform<2>()), std::vector<long>{1});
}

TEST(SMDModel, CroppingBuildersAndResolvingCrossings) {
  const Poly big = rect(10, 10, 0, 0), small = rect(2, 2, 1, 1), far = rect(2, 2, 20, 0);
  const Model body = modelOf({rect(4, 4, 5, 0)});
  EXPECT_THROW(MPriv::crop(body, modelOf({big, small})), Model::nestedPolys);
  const Model inside = MPriv::crop(body, big, true), outside = MPriv::crop(body, zcPolygon({zcPoint(-5, -5), zcPoint(5, -5), zcPoint(5, 5), zcPoint(-5, 5)}), false);
  ASSERT_TRUE(inside.numPolys() == 1 && outside.numPolys() == 1);
  EXPECT_NEAR(inside.perimeter_(0.0) + outside.perimeter_(0.0), 16.0, 1e-9);
  EXPECT_EQ(MPriv::crop(body, {zcPolygon({zcPoint(4, -9), zcPoint(9, -9), zcPoint(9, 9)})}).numPolys(), 1);
  EXPECT_EQ(MPriv::convert({zcPolygon({zcPoint(0, 0), zcPoint(1, 0), zcPoint(0, 1)})}).numVertices(), 3);

  const std::vector<zc2Wireframe> frames = {zc2Wireframe(zcGenPoly(zcRect(0, 0, 4, 2))),
                                            zc2Wireframe(zcGenPoly(zcRect(0, 0, 1, 1))).map(zcXform<2>::scaling(2, 2))};
  const Model weighted = MPriv::weightedWireframesToModel(frames, {0.5, 0.0});
  EXPECT_TRUE(weighted.numPolys() == 1 && weighted.poly(0).weight() == 0.5 && weighted.poly(0).isDirectionReversed());
  EXPECT_TRUE(MPriv::wireframeXforms(frames, {0.0, -1.0}) == std::vector<zcXform<2>>{zcXform<2>::scaling(2, 2)});
  for (const std::vector<double>& bad : {std::vector<double>{1.0}, std::vector<double>{0.0, 1.5}})
    EXPECT_THROW(MPriv::wireframeXforms(frames, bad), Model::invalidIndex);
  EXPECT_THROW(MPriv::weightedWireframesToModel({}, {}), Model::invalidIndex);

  // A crosses B, B crosses C, A and C apart; A longer than B longer than C. The one
  // pass depends on the order: taken C, B, A it loses C.
  const Poly a = rect(6, 1, 0, 0), b = rect(1, 4, 2.5, 0), c = rect(2, 0.5, 2.5, 2);
  std::vector<Poly> kept;
  Priv::crossingPolysResolve(kept, {a, b, c, far});
  EXPECT_TRUE(kept == (std::vector<Poly>{a, c, far}));
  Priv::crossingPolysResolve(kept, {c, b, a});
  EXPECT_TRUE(kept == std::vector<Poly>{a});
}

// Random models: flips, rigid maps, sub-models, resolving and the archive.
TEST(SMDModel, RandomModelProperties) {
  const unsigned seed = std::random_device()();
  SCOPED_TRACE(seed);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-10, 10);
  for (int round = 0; round < 40; ++round) {
    std::vector<Poly> polys;
    for (int i = 0; i < 1 + round % 4; ++i) {
      const zc2Rigid at(zcRadian(u(rng)), zcPoint(u(rng), u(rng)));
      const int kind = (round + i) % 3;
      polys.push_back(at * (kind == 0   ? Poly::rectangle(1 + std::abs(u(rng)), 1 + std::abs(u(rng)), zcPoint())
                            : kind == 1 ? Poly::circle(1 + std::abs(u(rng)) / 2, zcPoint())
                                        : Poly::triangle(2 + std::abs(u(rng)), 2 + std::abs(u(rng)), zcPoint())));
    }
    Model m(L"random");
    m.polys(polys);
    MPriv::position(m, zc2Rigid(zcRadian(u(rng) / 4), zcPoint(u(rng), u(rng))));
    EXPECT_TRUE(m.flip().flip() == m);
    EXPECT_TRUE(m.flip().poly(0).isDirectionReversed());
    const zc2Rigid r(zcRadian(u(rng)), zcPoint(u(rng), u(rng)));
    EXPECT_TRUE(MPriv::equivalent(r.inverse() * (r * m), m));
    EXPECT_TRUE(MPriv::position(2.0 * m) == zc2Rigid(MPriv::position(m).angle(), 2.0 * MPriv::position(m).trans()));

    // A sub-model put back where it was gives the corner pieces.
    Model sub;
    m.subModel(1, sub);
    Model pieces;
    for (const Poly& p : polys) Priv::subModel(p, 1, pieces);
    const Model back = MPriv::position(sub) * sub;
    ASSERT_EQ(back.numPolys(), pieces.numPolys());
    for (long i = 0; i < back.numPolys(); ++i) EXPECT_TRUE(zfRealEq(back.poly(i), pieces.poly(i), 1e-9));

    std::vector<Poly> kept;
    Priv::crossingPolysResolve(kept, polys);
    for (std::size_t i = 0; i < kept.size(); ++i)
      for (std::size_t j = i + 1; j < kept.size(); ++j) EXPECT_TRUE(kept[i].intersection_(kept[j]).empty());

    Bytes bytes = zc_test::expectOwnRoundTrip(m);
    EXPECT_TRUE(zc_test::loaded(bytes, Model()).name() == L"random");
    bytes[8] = 1;
    zc_test::expectUnknownVersion([&] { zc_test::loaded(bytes, Model()); }, "dispc/wrfm/smdmodel");
    Model target = m.flip();
    zc_test::expectRefused<zcArchive::UnknownVersion>(bytes, target);
  }
}

// --- Drawing ----------------------------------------------------------------------------------------

TEST(SMDDrawing, GrayLevelsWireframesAndSyntheticImages) {
  const struct { zcColor color; int gray; } kGrays[] = {
      {zcColor(30, 60, 91), 60}, {zcColor(0, 0, 1), 0}, {zcColor(1, 1, 0), 1}, {zcColor::blackColor(), 5},
      {zcColor::dkGreyColor(), 50}, {zcColor::greyColor(), 100}, {zcColor::ltGreyColor(), 150},
      {zcColor::whiteColor(), 250}, {zcColor::redColor(), 120}, {zcColor::dkRedColor(), 90},
      {zcColor::orangeColor(), 180}, {zcColor::yellowColor(), 210}, {zcColor::greenColor(), 130},
      {zcColor::dkGreenColor(), 80}, {zcColor::cyanColor(), 200}, {zcColor::blueColor(), 160},
      {zcColor::purpleColor(), 90}, {zcColor::magentaColor(), 170}, {zcColor(zcColor::redColor().index()), 120},
      {zcColor::passColor(), 0}, {zcColor(17), 0}};
  for (const auto& row : kGrays) EXPECT_EQ(zcSMDColors::colorToGrayScale(row.color), row.gray) << &row - kGrays;

  const Poly square = rect(10, 10, 20, 20);
  zcUITablet recorder;
  square.drawWireframe(zcXform<2>::translation(zcVector<2>(1, 0)), recorder);
  zcUISketchCursor cursor(recorder.sketch());
  const auto* op = dynamic_cast<const zc_UISketchOpWireframe*>(&cursor.next());
  ASSERT_NE(op, nullptr);
  EXPECT_TRUE(cursor.header().color() == zcColor::greenColor() && cursor.header().layer() == zcUITablet::eOverlay);

  zcPelBuffer<unsigned char> image(40, 40), twice(40, 40);
  square.drawSynthetic(zcXform<2>(), image);
  EXPECT_TRUE(image.get(20, 20) == 150 && image.get(5, 5) == 0);
  // Two overlapping polys: the second drawn over the first.
  Poly dark = rect(10, 10, 26, 20);
  dark.colors(zcSMDColors(zcColor::greenColor(), zcColor(80, 80, 80), zcColor::blackColor()));
  zcPelBuffer<unsigned char> model(40, 40);
  modelOf({square, dark}).drawSynthetic(zcXform<2>(), model);
  square.drawSynthetic(zcXform<2>(), twice);
  dark.drawSynthetic(zcPtrHandle_const<zc2XformBase>(new zc2XformLinear(zcXform<2>())), twice);
  for (long y = 0; y < 40; ++y)
    for (long x = 0; x < 40; ++x) ASSERT_EQ(model.get(x, y), twice.get(x, y)) << x << ", " << y;
  EXPECT_EQ(model.get(27, 20), 80);

  zcPelBuffer<unsigned char> unbound;
  EXPECT_THROW(square.drawSynthetic(zcXform<2>(), unbound), Poly::noPelBuffer);
  EXPECT_THROW(square.drawSynthetic(zcPtrHandle_const<zc2XformBase>(), image), zcBadPointer);
  const zcPelBuffer<unsigned char> before = image.clone();
  build({vx(1, 1), vx(30, 1), vx(30, 30)}, false).drawSynthetic(zcXform<2>(), image);
  for (long y = 0; y < 40; ++y)
    for (long x = 0; x < 40; ++x) ASSERT_EQ(image.get(x, y), before.get(x, y));
}

TEST(SMDDrawing, DirectionArrowsOnATabletAndInAList) {
  // The bottom side of the square runs +x (counter-clockwise), its arrow at (5, 0).
  const Poly square = build({vx(0, 0), vx(10, 0), vx(10, 10), vx(0, 10)}, true);
  const zcColor plus = square.positiveArrowColor(), minus = zcColor::redColor();
  Poly coloured = square;
  coloured.negativeArrowColor(minus);
  const struct { zcXform<2> xform; double side; } kMaps[] = {{zcXform<2>(), 1}, {zcXform<2>::scaling(1, -1), -1}};
  for (const auto& row : kMaps) {
    zcUITablet tablet, replay;
    coloured.drawDirectionArrows(row.xform, tablet, 2.0);
    const std::vector<Line> lines = recordedLines(tablet);
    // Segment 0 (the left side, down) comes first; the bottom side is segment 1.
    ASSERT_EQ(lines.size(), 20u);
    const double m = row.side;
    const std::vector<Line> first = {{zcPoint(3, 2 * m), zcPoint(5, 0), plus},      {zcPoint(3, -2 * m), zcPoint(5, 0), minus},
                                     {zcPoint(4, 2 * m), zcPoint(6, 2 * m), plus},  {zcPoint(5, 2 * m - 1), zcPoint(5, 2 * m + 1), plus},
                                     {zcPoint(4, -2 * m), zcPoint(6, -2 * m), minus}};
    EXPECT_TRUE(std::equal(first.begin(), first.end(), lines.begin() + 5));
    // The right side runs +y; its plus mark lies left of it (toward the inside).
    EXPECT_TRUE(lines[12] == (Line{zcPoint(7, 5 * m), zcPoint(9, 5 * m), plus}));
    zcGraphicList list;
    coloured.drawDirectionArrows(row.xform, list, 2.0);
    list.draw(replay, zcUITablet::eOverlay);
    EXPECT_TRUE(recordedLines(replay) == lines);
  }
  // An arc side points along its tangent; the reversed flag turns every arrow round.
  Poly reversed = square;
  reversed.toggleDirection();
  zcUITablet tablet;
  Model().drawDirectionArrows(zcXform<2>(), tablet);
  modelOf({reversed}).drawDirectionArrows(zcXform<2>(), tablet, 2.0);
  EXPECT_TRUE(recordedLines(tablet)[0] == (Line{zcPoint(-2, 3), zcPoint(0, 5), plus}));

  // Negative wireframes: the sides and their extensions, in red.
  Model ext = modelOf({square});
  MPriv::setExtensions(ext, 0.1, 0.5);
  zcUITablet neg, sides;
  MPriv::drawNegWireframe(ext, zcXform<2>(), neg);
  Priv::drawNegWireframe(ext.poly(0), zcXform<2>(), sides, plus, Priv::eNegSegment);
  EXPECT_EQ(recordedLines(neg).size(), 12u);
  EXPECT_TRUE(recordedLines(neg)[2] == (Line{zcPoint(0, 0), zcPoint(0, -5), zcColor::redColor()}));
  EXPECT_EQ(recordedLines(sides).size(), 4u);
}

// --- Shapes and filters -----------------------------------------------------------------------------

TEST(SMDShapes, TestsDimensionsAndFilters) {
  const Poly r = Poly::rectangle(4, 2, zcPoint(10, 10));
  const struct { Poly poly; bool circle, rectilinear, rectangular; } kShapes[] = {
      {Poly::circle(5, zcPoint()), true, false, false},
      {r, false, true, true},
      {Poly::triangle(6, 3, zcPoint()), false, false, false},
      {build({vx(0, 0), vx(10, 0, 1), vx(10, 10), vx(0, 10)}, true), false, true, false},
      {build({vx(0, 0), vx(4, 0), vx(4, 4)}, false), false, true, false},
      {Poly(), false, true, false}};
  for (const auto& row : kShapes) {
    SCOPED_TRACE(&row - kShapes);
    EXPECT_EQ(Poly::isCircle(row.poly), row.circle);
    EXPECT_EQ(Priv::isRectilinear(row.poly), row.rectilinear);
    EXPECT_EQ(Priv::isRectangular(row.poly), row.rectangular);
    EXPECT_EQ(Priv::rectangle(row.poly).isEmpty(), !row.rectangular);
    EXPECT_EQ(Priv::rectLength(row.poly).nomDim(), row.rectangular ? 4.0 : -1.0);
  }
  zc_test::expectBox(Priv::rectangle(r), 8, 9, 12, 11);
  const Poly turned = zc2Rigid(zcRadian(zcDegree(90)), zcPoint()) * r;
  EXPECT_NEAR(Priv::rectWidth(turned).nomDim(), 4.0, 1e-12);
  EXPECT_NEAR(Priv::rectLength(turned).nomDim(), 2.0, 1e-12);

  Poly longer = r;
  Priv::rectLength(longer, zcSMDDimension(6, 5.5, 6.5));
  zc_test::expectPoints(points(longer), {zcPoint(13, 11), zcPoint(7, 11), zcPoint(7, 9), zcPoint(13, 9)});
  for (long v : {1, 3}) EXPECT_TRUE(longer.vertex(v).segmentLengthTol() == zcDimTol(6, 5.5, 6.5, zcDimTol::eLimits));
  EXPECT_EQ(longer.vertex(2).segmentLengthTol().minTol(), -1.0);
  // Refused: an unset nominal, and a tolerance that one segment's length does not fit.
  expectRefused<zcSMDGDPolyVertex::invalidSegmentLength, Poly>(longer, [](Poly& p) { Priv::rectWidth(p, zcSMDDimension()); });
  expectRefused<zcSMDGDPolyVertex::invalidSegmentLength, Poly>(
      longer, [](Poly& p) { Priv::autoSegmentLengthTolerance(p, zcDimTol(5, 4.9, 5.1)); });
  // A poly that is not rectangular is left alone.
  const Poly triangle = Poly::triangle(6, 3, zcPoint());
  Poly same = triangle;
  Priv::rectLength(same, zcSMDDimension(9));
  EXPECT_EQ(zc_test::ownBytes(same), zc_test::ownBytes(triangle));
  Priv::autoSegmentLengthTolerance(longer, zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets));
  EXPECT_TRUE(longer.segmentDimension(2) == zcSMDDimension(2, 1.5, 2.5, zcSMDDimension::eScaleNominal));

  // Filters: what remains of each list, by vertex count.
  const Poly open = build({vx(0, 0), vx(10, 0), vx(10, 1), vx(20, 1)}, false);
  const Poly round = Poly::circle(2, zcPoint(50, 0));
  const auto counts = [](const std::vector<Poly>& list) {
    std::vector<long> out;
    for (const Poly& p : list) out.push_back(p.numVertices() * (p.isOpen() ? -1 : 1));
    return out;
  };
  const struct { std::function<void(std::vector<Poly>&)> filter; std::vector<long> left; } kFilters[] = {
      {[](auto& l) { Priv::perimeterFilter(l, zcRange(12, 30)); }, {4, -4, 2}},
      {[](auto& l) { Priv::closureFilter(l, true, false); }, {-4}},
      {[](auto& l) { Priv::closureFilter(l, false, false); }, {4, -4, 2}},
      {[](auto& l) { Priv::segmentLengthFilter(l, zcRange(2, 100)); }, {4, -2, -2, 2}},
      {[](auto& l) { Priv::vertexAngleFilter(l, zcAngleRange(zcDegree(150), zcDegree(150))); }, {-2, 2}},
      {[](auto& l) { Priv::segmentAngleSpanFilter(l, zcDegree(90)); }, {4, -4}}};
  for (const auto& row : kFilters) {
    std::vector<Poly> list = {rect(4, 2, 0, 0), open, round};
    row.filter(list);
    EXPECT_EQ(counts(list), row.left) << &row - kFilters;
  }
}

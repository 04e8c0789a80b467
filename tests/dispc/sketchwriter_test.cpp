// Recording writes each payload straight from the drawing call's values: for every
// kind the tablet records, those bytes must be the ones the record of the same
// operation writes (populateSketch).
#include "dispc/sketchop.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"
#include "wrfm/genpoly_private.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/trees.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {
using L = zcUITabletEnums::Layers;
constexpr L kLayer = zcUITabletEnums::eOverlay;

struct Row {
  std::string name;  // the kind's name; "+" ends the name of a filled kind
  std::function<void(zcUITablet&)> draw;
  std::function<zc_UISketchOpData*()> record;
};

template <class R, class... A>
std::function<zc_UISketchOpData*()> make(const A&... a) {
  return [=] { return new R(a...); };
}

std::vector<Row> rows() {
  const zcGraphicProps pen(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, false);
  const zcGraphicProps fill(zcColor::blue, 3, zcGraphicProps::ePenStyleDefault, true);
  zcGraphicProps noArrow = pen;
  noArrow.arrowHead(false);
  const zcPoint a(1.25, -2), b(30, 12.5);
  const zcEllipse ellipse(a, 12, 6, zcRadian(0.3));
  const zcEllipseAnnulusSection section(zcEllipseAnnulus(ellipse, 0.5), zcRadian(0.2), zcRadian(2.0));
  const zcGenRect rect(zcVector<2>(20, 15), zcVector<2>(6, 3), zcRadian(0.4), zcVector<2>(2, 1));
  const zcBezierCurve curve(a, zcPoint(8, 20), zcPoint(20, 20), b);
  const zcCubicSpline spline({curve, zcBezierCurve(b, zcPoint(36, -6), zcPoint(40, 10), zcPoint(44, 12), 1, 2, 2, 1)});
  const zcEllipse2 ellipse2(zcVector<2>(12, 6), zcRadian(0.1), a, false, zcRadian(0.2));
  zcPelBuffer<unsigned char> pels(3, 2);
  for (long i = 0; i < 6; ++i) pels.set(i % 3, i / 3, static_cast<unsigned char>(i + 1));
  const zcRLEBuffer rle = zcRLEBuffer::encode(pels);
  zcUITablet inner;
  inner.draw(zcLineSeg(a, b), pen, kLayer);
  const zcUISketch nested = inner.sketch();
  // Beyond the basic plane (two UTF-16 units) and beyond Unicode (the replacement).
  const std::wstring text = std::wstring(L"pad 7 ") + wchar_t(0x1F600) + wchar_t(0x110000);
  const zcUIRect pixels(3, 4, 20, 10);
  const zcRect client(2.5, 3, 10, 4.5);
  const zcColor dark = zcColor::blackColor(), light = zcColor::whiteColor();
  zcGenPoly polygon(rect);
  const zc_UISketchPolyData stored = zcGenPolyPrivate::stored(polygon);
  using T = zcUITablet&;
  using P = zcUITablet;
  return {
      {"Point", [=](T t) { t.draw(a, pen, kLayer); }, make<zc_UISketchOpPoint>(a)},
      {"PointIcon", [=](T t) { t.drawPointIcon(a, pen, kLayer); }, make<zc_UISketchOpPointIcon>(a)},
      {"LineSeg", [=](T t) { t.draw(zcLineSeg(a, b), pen, kLayer); }, make<zc_UISketchOpLineSeg>(zcLineSeg(a, b))},
      {"Line", [=](T t) { t.draw(zcLine(a, zcRadian(0.3)), pen, kLayer); },
       make<zc_UISketchOpLine>(zcLine(a, zcRadian(0.3)))},
      {"Circle", [=](T t) { t.draw(zcCircle(a, 3), pen, kLayer); }, make<zc_UISketchOpCircle>(zcCircle(a, 3))},
      {"Circle+", [=](T t) { t.draw(zcCircle(a, 3), fill, kLayer); }, make<zc_UISketchOpCircle>(zcCircle(a, 3))},
      {"Ellipse", [=](T t) { t.draw(ellipse, pen, kLayer); }, make<zc_UISketchOpEllipse>(ellipse)},
      {"Ellipse+", [=](T t) { t.draw(ellipse, fill, kLayer); }, make<zc_UISketchOpEllipse>(ellipse)},
      {"EllipseArc", [=](T t) { t.draw(zcEllipseArc(ellipse, zcRadian(0.1), zcRadian(1)), pen, kLayer); },
       make<zc_UISketchOpEllipseArc>(zcEllipseArc(ellipse, zcRadian(0.1), zcRadian(1)))},
      {"EllipseAnnSect", [=](T t) { t.draw(section, pen, kLayer); }, make<zc_UISketchOpEllipseAnnSect>(section)},
      {"EllipseAnnSectArrowheadFlag", [=](T t) { t.draw(section, noArrow, kLayer); },
       make<zc_UISketchOpEllipseAnnSectArrowheadFlag>(section, false, true)},
      {"GenRect", [=](T t) { t.draw(rect, pen, kLayer); }, make<zc_UISketchOpGenRect>(rect)},
      {"GenRect+", [=](T t) { t.draw(rect, fill, kLayer); }, make<zc_UISketchOpGenRect>(rect)},
      {"GenAnn", [=](T t) { t.draw(zcGenAnnulus(rect, rect), pen, kLayer); },
       make<zc_UISketchOpGenAnn>(zcGenAnnulus(rect, rect))},
      {"CoordAxes", [=](T t) { t.draw(zcCoordAxes(a, b, zcPoint(3, 25)), pen, kLayer); },
       make<zc_UISketchOpCoordAxes>(zcCoordAxes(a, b, zcPoint(3, 25)))},
      {"PelBuf8", [=](T t) { t.draw(pels, a, true, 7, true, kLayer); },
       make<zc_UISketchOpPelBuf8>(pels, a, true, 7, true)},
      {"RleBuf", [=](T t) { t.draw(rle, a, {0, 3}, true, 5, false, kLayer); },
       make<zc_UISketchOpRleBuf>(rle, a, std::vector<unsigned char>{0, 3}, true, 5, false)},
      {"Sketch", [=](T t) { t.draw(nested, b, kLayer); }, make<zc_UISketchOpSketch>(nested, b)},
      {"Set", [=](T t) { t.set(pixels, light, kLayer); }, make<zc_UISketchOpSet>(pixels)},
      {"Set", [=](T t) { t.set(client, light, kLayer); }, make<zc_UISketchOpSet>(client)},
      {"SetAll", [=](T t) { t.set(light, kLayer); }, make<zc_UISketchOpSetAll>()},
      {"SetComp", [=](T t) { t.setComplement(pixels, light, kLayer); }, make<zc_UISketchOpSetComp>(pixels)},
      {"SetComp", [=](T t) { t.setComplement(client, light, kLayer); }, make<zc_UISketchOpSetComp>(client)},
      {"Fill", [=](T t) { t.fill(zcPair<long>(4, 5), light, dark, P::eFillType0, kLayer); },
       make<zc_UISketchOpFill>(zcPair<long>(4, 5), dark, P::eFillType0)},
      {"Fill", [=](T t) { t.fill(a, light, dark, P::eFillType1, kLayer); },
       make<zc_UISketchOpFill>(a, dark, P::eFillType1)},
      {"DrawStart", [=](T t) { t.drawStart(a, kLayer); }, make<zc_UISketchOpDrawStart>(a)},
      {"DrawTo", [=](T t) { t.drawTo(a, pen, kLayer); }, make<zc_UISketchOpDrawTo>(a)},
      {"DrawToRelPels", [=](T t) { t.drawToRelPels(-3, 70000, pen, kLayer); },
       make<zc_UISketchOpDrawToRelPels>(-3, 70000)},
      {"MoveToRelPels", [=](T t) { t.moveToRelPels(5, -6, kLayer); }, make<zc_UISketchOpMoveToRelPels>(5, -6)},
      {"Outline3d", [=](T t) { t.outline3D(pixels, light, dark, 2, kLayer); },
       make<zc_UISketchOpOutline3d>(pixels, light, dark, 2)},
      {"Outline3d", [=](T t) { t.outline3D(client, light, dark, 3, kLayer); },
       make<zc_UISketchOpOutline3d>(client, light, dark, 3)},
      {"Arrow", [=](T t) { t.arrowHead(a, zcVector<2>(1, 2), 4.5f, pen, kLayer); },
       make<zc_UISketchOpArrow>(a, zcVector<2>(1, 2), 4.5f)},
      {"AffineRect", [=](T t) { t.draw(zcAffineRectangle(a, b, zcPoint(0, 9)), pen, kLayer); },
       make<zc_UISketchOpAffineRect>(zcAffineRectangle(a, b, zcPoint(0, 9)))},
      {"Polygon", [=](T t) { t.draw(zcPolygon({a, b, zcPoint(5, 8)}, zcPolygon::eWinding), pen, kLayer); },
       make<zc_UISketchOpPolygon>(zcPolygon({a, b, zcPoint(5, 8)}, zcPolygon::eWinding))},
      {"Rect", [=](T t) { t.draw(client, pen, kLayer); }, make<zc_UISketchOpRect>(client)},
      {"GenShape", [=](T t) { t.draw(zcGenShape(), light, kLayer); },
       make<zc_UISketchOpGenShape>(light, zcUIRect(), zcGenShape().bytes())},
      {"UnicodeString", [=](T t) { t.draw(text, a, light, dark, zcUIFormat(3, zcUIFormat::eBottomRight), kLayer); },
       make<zc_UISketchOpUnicodeString>(text, a, dark, zcUIFormat(3, zcUIFormat::eBottomRight))},
      {"Cross", [=](T t) { t.draw(zcCross(a, zcRadian(0.7), 9), pen, kLayer); },
       make<zc_UISketchOpCross>(zcCross(a, zcRadian(0.7), 9))},
      {"BezierCurve", [=](T t) { t.draw(curve, pen, kLayer); }, make<zc_UISketchOpBezierCurve>(curve)},
      {"CubicSpline", [=](T t) { t.draw(spline, pen, kLayer); }, make<zc_UISketchOpCubicSpline>(spline)},
      {"Polyline", [=](T t) { t.draw(zcPolyline({a, b, zcPoint(5, 8)}, true), pen, kLayer); },
       make<zc_UISketchOpPolyline>(zcPolyline({a, b, zcPoint(5, 8)}, true))},
      {"Ellipse2", [=](T t) { t.draw(ellipse2, pen, kLayer); }, make<zc_UISketchOpEllipse2>(ellipse2)},
      {"EllipseArc2", [=](T t) { t.draw(zcEllipseArc2(ellipse2, zcRadian(0.5), zcRadian(2)), pen, kLayer); },
       make<zc_UISketchOpEllipseArc2>(zcEllipseArc2(ellipse2, zcRadian(0.5), zcRadian(2)))},
      {"ClipRect", [=](T t) { t.drawClipRect(client, kLayer); }, make<zc_UISketchOpClipRect>(client)},
      {"GenPoly", [=](T t) { t.draw(polygon, pen, kLayer); }, make<zc_UISketchOpGenPoly>(stored)},
      {"GenPoly+", [=](T t) { t.draw(polygon, fill, kLayer); }, make<zc_UISketchOpGenPoly>(stored)},
      {"Wireframe", [=](T t) { t.draw(zc2Wireframe(polygon), pen, kLayer); }, make<zc_UISketchOpWireframe>(stored)},
  };
}

std::string nameOf(const zcUISketchOpKind& kind) { return std::string(kind.name) + (kind.filled ? "+" : ""); }
}  // namespace

TEST(SketchWriter, RecordsTheBytesOfTheRecordOfEveryKind) {
  std::set<std::string> covered;
  for (const Row& row : rows()) {
    zcUITablet recorder;
    row.draw(recorder);
    zcUISketchCursor walk(recorder.sketch());
    walk.next();
    ASSERT_TRUE(walk.atEnd()) << row.name << " recorded more than one operation";
    const zcUISketchOpKind* kind = zfUISketchOpKind(walk.header().opcode());
    ASSERT_NE(kind, nullptr) << row.name;
    EXPECT_EQ(nameOf(*kind), row.name);
    covered.insert(row.name);
    const long header = walk.hasBlock() ? zcUISketch::kPropsBlockSize + zcUISketch::kHeaderSize
                                        : zcUISketch::kHeaderSize;
    const std::span<const unsigned char> bytes = recorder.sketch().bytes().subspan(static_cast<std::size_t>(header));
    zcUISketch expected;
    std::unique_ptr<zc_UISketchOpData>(row.record())->populateSketch(expected);
    EXPECT_TRUE(std::ranges::equal(bytes, expected.bytes())) << row.name;
  }
  // Every kind has a row but those that only sketches from outside hold.
  for (const zcUISketchOpKind& kind : zfUISketchOpKinds()) {
    const std::string name = kind.name;
    const bool fromOutside = name == "String";
    EXPECT_TRUE(fromOutside || covered.count(nameOf(kind))) << name;
  }
}

// Replaying sketches on a tablet. Every drawing call is made once directly and once
// through its recording: the recording replayed record by record onto a second
// recorder gives the same bytes, and the sketch replayed onto a screen tablet asks
// the scope for the same painting as the direct call.
#include "support/tablet_screen.h"

#include "dispc/sketchop.h"
#include "dispc/uitablet.h"

#include "zfound/bytes.h"
#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/pelbuf.h"
#include "zfound/rect.h"
#include "zfound/rle.h"
#include "zfound/trees.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using zc_test::bytesOf;
using zc_test::opsOf;
using zc_test::Screen;
using Bytes = std::vector<unsigned char>;
using Strings = std::vector<std::string>;
using Layers = zcUITablet::Layers;

constexpr auto eImage = zcUITablet::eImage;
constexpr auto eOverlay = zcUITablet::eOverlay;
constexpr auto eBoth = zcUITablet::eBothLayers;
constexpr auto eStyle = zcGraphicProps::ePenStyleDefault;

// --- The calls --------------------------------------------------------------------------

struct Call {
  std::string name;
  std::function<void(zcUITablet&, Layers)> make;
  bool records = true;  // the 16-bit, RGB16 and RGB32 images record nothing
  bool paints = true;   // moves and drawStart only move the drawing point
};

const zcGraphicProps& wide() {
  static const zcGraphicProps p(zcColor::red, 2, eStyle, false);
  return p;
}
const zcGraphicProps& filled() {
  static const zcGraphicProps p(zcColor::blue, 3, eStyle, true);
  return p;
}
// Point sets paint their points with the pen color and width 1 and record them with
// the full properties; these properties have nothing else, so both agree.
const zcGraphicProps& thin() {
  static const zcGraphicProps p(zcColor::green, 1, eStyle, false);
  return p;
}
const zcGraphicProps& noArrow() {
  static const zcGraphicProps p = [] {
    zcGraphicProps q(zcColor::red, 1, eStyle, false);
    q.arrowHead(false);
    return q;
  }();
  return p;
}

zcPelBuffer<unsigned char> pels8() {
  zcPelBuffer<unsigned char> p(3, 2);
  for (long y = 0; y < 2; ++y)
    for (long x = 0; x < 3; ++x) p.set(x, y, static_cast<unsigned char>(10 * y + x + 1));
  return p;
}

const zcEllipse& ellipse() {
  static const zcEllipse e(zcPoint(30, 20), 12, 6, zcRadian(0.3));
  return e;
}

zcEllipseAnnulusSection section() {
  return zcEllipseAnnulusSection(zcEllipseAnnulus(ellipse(), 0.5), zcRadian(0.2), zcRadian(2.0));
}

zcUISketch nested() {
  zcUITablet recorder;
  recorder.draw(zcLineSeg(zcPoint(1, 1), zcPoint(9, 4)), wide(), eImage);
  recorder.draw(zcCircle(zcPoint(5, 5), 2), filled(), eOverlay);
  recorder.draw(zcPoint(4, 3), zcColor::red, eBoth);
  return recorder.sketch();
}

std::vector<Call> calls() {
  const zcBezierCurve b1(zcPoint(2, 2), zcPoint(8, 20), zcPoint(20, 20), zcPoint(30, 4));
  const zcBezierCurve b2(zcPoint(30, 4), zcPoint(36, -6), zcPoint(40, 10), zcPoint(44, 12), 1, 2, 2, 1);
  const zcGenRect sharp(zcVector<2>(20, 15), zcVector<2>(6, 3), zcRadian(0.4), zcVector<2>(0, 0));
  const zcGenRect oval(zcVector<2>(20, 15), zcVector<2>(6, 3), zcRadian(0.4), zcVector<2>(6, 3));
  const zcGenRect rounded(zcVector<2>(20, 15), zcVector<2>(6, 3), zcRadian(0.4), zcVector<2>(2, 1));
  const zcGenAnnulus genAnnulus(zcGenRect(zcVector<2>(20, 15), zcVector<2>(3, 2), zcRadian(0.4), zcVector<2>(1, 1)),
                                rounded);
  const zcPolygon polygon({zcPoint(1, 1), zcPoint(9, 2), zcPoint(5, 8)}, zcPolygon::eWinding);
  const zcAffineRectangle affine(zcVector<2>(2, 2), zcVector<2>(12, 4), zcVector<2>(0, 9));
  const zcUIFormat format(3, zcUIFormat::eBottomRight);
  const zcRLEBuffer rle = zcRLEBuffer::encode(pels8());
  const zcUISketch inner = nested();
  using T = zcUITablet&;
  using L = Layers;
  return {
      // Points.
      {"draw(point, props)", [](T t, L l) { t.draw(zcPoint(3, 4), wide(), l); }},
      {"draw(zc2Point, props)", [](T t, L l) { t.draw(zc2Point(zcPoint(3, 4)), wide(), l); }},
      {"draw(point, color)", [](T t, L l) { t.draw(zcPoint(3, 4), zcColor::blue, l); }},
      {"draw(drawPointArg, props)", [](T t, L l) { t.draw(zcUITablet::drawPointArg(), wide(), l); }},
      {"drawPixel", [](T t, L l) { t.drawPixel(zcPair<double>(7.5, 2), zcColor::orange, l); }},
      {"drawPointIcon(props)", [](T t, L l) { t.drawPointIcon(zcPoint(20, 20), wide(), l); }},
      {"drawPointIcon(color)", [](T t, L l) { t.drawPointIcon(zcPoint(20, 20), zcColor::yellow, l); }},
      {"draw(pointSet of one, props)", [](T t, L l) { t.draw(zcPointSet({zcPoint(3, 4)}), thin(), l); }},
      {"draw(pointSet, props)",
       [](T t, L l) { t.draw(zcPointSet({zcPoint(3, 4), zcPoint(6, 8), zcPoint(1, 9)}), thin(), l); }},
      {"draw(pointSet, color)",
       [](T t, L l) { t.draw(zcPointSet({zcPoint(3, 4), zcPoint(6, 8)}), zcColor::blue, l); }},
      // Lines.
      {"draw(lineSeg, props)", [](T t, L l) { t.draw(zcLineSeg(zcPoint(1, 2), zcPoint(30, 12)), wide(), l); }},
      {"draw(lineSeg, color)",
       [](T t, L l) { t.draw(zcLineSeg(zcPoint(1, 2), zcPoint(30, 12)), zcColor::blue, l); }},
      {"drawLineSeg",
       [](T t, L l) { t.drawLineSeg(zcPair<double>(1, 2), zcPair<double>(30, 12), zcColor::blue, l); }},
      {"draw(lineSegSet, props)",
       [](T t, L l) {
         t.draw(zcLineSegSet({zcLineSeg(zcPoint(1, 2), zcPoint(3, 4)), zcLineSeg(zcPoint(5, 5), zcPoint(9, 1))}),
                wide(), l);
       }},
      {"draw(line, props)", [](T t, L l) { t.draw(zcLine(zcPoint(10, 12), zcRadian(0.3)), wide(), l); }},
      {"draw(line, color)", [](T t, L l) { t.draw(zcLine(zcVector<2>(0, 1), zcPoint(10, 12)), zcColor::blue, l); }},
      {"drawLine", [](T t, L l) { t.drawLine(zcPair<double>(10, 12), zcRadian(-1.1), zcColor::blue, l); }},
      {"draw(polygon, props)", [polygon](T t, L l) { t.draw(polygon, filled(), l); }},
      {"draw(polygon, color)", [polygon](T t, L l) { t.draw(polygon, zcColor::blue, l); }},
      {"drawPolygon",
       [](T t, L l) {
         t.drawPolygon({zcPoint(1, 1), zcPoint(9, 2), zcPoint(5, 8), zcPoint(2, 6)}, zcPolygon::eAlternate,
                       zcColor::blue, l);
       }},
      {"draw(polyline, props)",
       [](T t, L l) { t.draw(zcPolyline({zcPoint(1, 1), zcPoint(9, 2), zcPoint(5, 8)}, true), wide(), l); }},
      {"draw(bezierCurve, props)", [b1](T t, L l) { t.draw(b1, wide(), l); }},
      {"draw(cubicSpline, props)", [b1, b2](T t, L l) { t.draw(zcCubicSpline({b1, b2}), wide(), l); }},
      // Conics.
      {"draw(circle, props)", [](T t, L l) { t.draw(zcCircle(zcPoint(20, 15), 6), filled(), l); }},
      {"draw(circle, color, fill)", [](T t, L l) { t.draw(zcCircle(zcPoint(20, 15), 6), zcColor::blue, false, l); }},
      {"drawCircle", [](T t, L l) { t.drawCircle(zcPair<double>(20, 15), 6, zcColor::blue, l, true); }},
      {"draw(ellipse, props)", [](T t, L l) { t.draw(ellipse(), wide(), l); }},
      {"draw(ellipse, color, fill)", [](T t, L l) { t.draw(ellipse(), zcColor::blue, true, l); }},
      {"drawEllipse",
       [](T t, L l) { t.drawEllipse(zcPair<double>(30, 20), zcPair<double>(12, 6), zcRadian(0.3), zcColor::blue, l); }},
      {"draw(ellipseArc, props)",
       [](T t, L l) { t.draw(zcEllipseArc(ellipse(), zcRadian(0.5), zcRadian(2)), wide(), l); }},
      {"draw(ellipseArc, color)",
       [](T t, L l) { t.draw(zcEllipseArc(ellipse(), zcRadian(0.5), zcRadian(-2)), zcColor::blue, l); }},
      {"drawEllipseArc",
       [](T t, L l) {
         t.drawEllipseArc(zcPair<double>(30, 20), zcPair<double>(12, 6), zcRadian(0.3), zcRadian(0.5), zcRadian(2),
                          zcColor::blue, l);
       }},
      // The Ellipse2 kinds store radii and angle, from which replay rebuilds the
      // ellipse's transform: axis-aligned ones come back bit for bit.
      {"draw(ellipse2, props)",
       [](T t, L l) { t.draw(zcEllipse2(zcVector<2>(12, 6), zcRadian(0), zcPoint(30, 20)), wide(), l); }},
      {"draw(ellipseArc2, props)",
       [](T t, L l) {
         t.draw(zcEllipseArc2(zcEllipse2(zcVector<2>(12, 6), zcRadian(0), zcPoint(30, 20), false), zcRadian(0.5),
                              zcRadian(2)),
                wide(), l);
       }},
      {"draw(section, props)", [](T t, L l) { t.draw(section(), wide(), l); }},
      {"draw(section, props without arrow head)", [](T t, L l) { t.draw(section(), noArrow(), l); }},
      {"draw(section, color, flags)", [](T t, L l) { t.draw(section(), zcColor::blue, true, false, l); }},
      {"draw(annulus, props)", [](T t, L l) { t.draw(zcAnnulus(zcPoint(20, 15), 3, 7), wide(), l); }},
      {"draw(annulus, color)", [](T t, L l) { t.draw(zcAnnulus(zcPoint(20, 15), 3, 7), zcColor::blue, l); }},
      {"draw(genAnnulus, props)", [genAnnulus](T t, L l) { t.draw(genAnnulus, wide(), l); }},
      {"draw(genAnnulus, color)", [genAnnulus](T t, L l) { t.draw(genAnnulus, zcColor::blue, l); }},
      // Rectangles.
      {"draw(genRect sharp, props)", [sharp](T t, L l) { t.draw(sharp, wide(), l); }},
      {"draw(genRect sharp, color, fill)", [sharp](T t, L l) { t.draw(sharp, zcColor::blue, true, l); }},
      {"draw(genRect oval, props)", [oval](T t, L l) { t.draw(oval, filled(), l); }},
      {"draw(genRect rounded, props)", [rounded](T t, L l) { t.draw(rounded, wide(), l); }},
      {"drawGenRect",
       [](T t, L l) {
         t.drawGenRect(zcPair<double>(20, 15), zcPair<double>(6, 3), zcRadian(0.4), zcPair<double>(2, 1),
                       zcColor::blue, l, true);
       }},
      {"draw(rect, props)", [](T t, L l) { t.draw(zcRect(2, 3, 20, 10), wide(), l); }},
      {"draw(rect, color, fill)", [](T t, L l) { t.draw(zcRect(2, 3, 20, 10), zcColor::blue, true, l); }},
      {"drawRect", [](T t, L l) { t.drawRect(zcPair<double>(2, 3), zcPair<double>(20, 10), zcColor::blue, l); }},
      {"draw(affineRect, props)", [affine](T t, L l) { t.draw(affine, filled(), l); }},
      {"draw(affineRect, color)", [affine](T t, L l) { t.draw(affine, zcColor::blue, l); }},
      {"drawAffineRect",
       [](T t, L l) {
         t.drawAffineRect(zcPair<double>(2, 2), zcPair<double>(12, 4), zcPair<double>(0, 9), zcColor::blue, l);
       }},
      // Markers.
      {"draw(cross, props)", [](T t, L l) { t.draw(zcCross(zcPoint(20, 15), zcRadian(0.7), 9), wide(), l); }},
      {"draw(cross, color)", [](T t, L l) { t.draw(zcCross(zcPoint(20, 15), zcRadian(-0.7), 4), zcColor::blue, l); }},
      {"drawCross", [](T t, L l) { t.drawCross(zcPair<double>(20, 15), zcRadian(2.5), zcColor::blue, l); }},
      {"draw(coordAxes, props)",
       [](T t, L l) { t.draw(zcCoordAxes(zcPoint(5, 5), zcPoint(30, 8), zcPoint(3, 25)), wide(), l); }},
      {"draw(coordAxes, color)",
       [](T t, L l) { t.draw(zcCoordAxes(zcPoint(5, 5), zcPoint(30, 8), zcPoint(3, 25)), zcColor::blue, l); }},
      {"arrowHead", [](T t, L l) { t.arrowHead(zcPoint(20, 15), zcVector<2>(2, -1), 9.5f, wide(), l); }},
      // Generic shapes and dispatch.
      {"draw(genShape, color)", [](T t, L l) { t.draw(zcGenShape(zcCircle(zcPoint(20, 15), 4)), zcColor::blue, l); }},
      {"draw(shape, props)",
       [](T t, L l) {
         const zcShapeTree tree({zcShapePtr(new zcCircle(zcPoint(20, 15), 4)),
                                 zcShapePtr(new zcRect(2, 3, 5, 6)),
                                 zcShapePtr(new zcLineSeg(zcPoint(1, 1), zcPoint(8, 3)))});
         t.draw(static_cast<const zcShape&>(tree), wide(), l);
       }},
      // Text.
      {"draw(text)",
       [format](T t, L l) { t.draw(L"Text \u00e9", zcPoint(12, 30), zcColor::red, zcColor::white, format, l); }},
      {"draw(text at drawPointArg)",
       [format](T t, L l) {
         t.draw(L"x", zcUITablet::drawPointArg(), zcColor::red, zcColor::white, format, l);
       }},
      // Strokes from the drawing point.
      {"drawStart", [](T t, L l) { t.drawStart(zcPoint(3, 4), l); }, true, false},
      {"drawTo(props)", [](T t, L l) { t.drawTo(zcPoint(13, 9), wide(), l); }},
      {"drawTo(color)", [](T t, L l) { t.drawTo(zcPoint(13, 9), zcColor::blue, l); }},
      {"drawToRelPels(dx, dy, props)", [](T t, L l) { t.drawToRelPels(7, -3, wide(), l); }},
      {"drawToRelPels(dx, dy, color)", [](T t, L l) { t.drawToRelPels(-7, 3, zcColor::blue, l); }},
      {"drawToRelPels(dir, length, props)",
       [](T t, L l) { t.drawToRelPels(zcVector<2>(2, 1), 9.5f, wide(), l); }},
      {"drawToRelPels(dir, length, color)",
       [](T t, L l) { t.drawToRelPels(zcVector<2>(-1, 3), 12.0f, zcColor::blue, l); }},
      {"moveToRelPels(dx, dy)", [](T t, L l) { t.moveToRelPels(5, 6, l); }, true, false},
      {"moveToRelPels(dir, length)",
       [](T t, L l) { t.moveToRelPels(zcVector<2>(1, 1), 7.0f, l); }, true, false},
      // Areas.
      {"set(color)", [](T t, L l) { t.set(zcColor::dkGrey, l); }},
      {"set(uiRect, color)", [](T t, L l) { t.set(zcUIRect(3, 4, 20, 10), zcColor::blue, l); }},
      {"set(rect, color)", [](T t, L l) { t.set(zcRect(1.5, 2, 10, 5.5), zcColor::blue, l); }},
      {"setComplement(uiRect, color)", [](T t, L l) { t.setComplement(zcUIRect(3, 4, 20, 10), zcColor::blue, l); }},
      {"setComplement(rect, color)", [](T t, L l) { t.setComplement(zcRect(1.5, 2, 10, 5.5), zcColor::blue, l); }},
      {"fill(point)",
       [](T t, L l) { t.fill(zcPoint(7.5, 8.25), zcColor::red, zcColor::blue, zcUITablet::eFillType0, l); }},
      {"fill(pixel)",
       [](T t, L l) { t.fill(zcPair<long>(7, 8), zcColor::red, zcColor::blue, zcUITablet::eFillType1, l); }},
      {"outline3D(uiRect)",
       [](T t, L l) { t.outline3D(zcUIRect(3, 4, 20, 10), zcColor::white, zcColor::dkGrey, 3, l); }},
      {"outline3D(rect)",
       [](T t, L l) { t.outline3D(zcRect(1.5, 2, 10, 5.5), zcColor::white, zcColor::dkGrey, 2, l); }},
      {"outline(uiRect)", [](T t, L l) { t.outline(zcUIRect(3, 4, 20, 10), zcColor::blue, 2, l); }},
      {"outline(rect)", [](T t, L l) { t.outline(zcRect(1.5, 2, 10, 5.5), zcColor::blue, 1, l); }},
      {"drawClipRect", [](T t, L l) { t.drawClipRect(zcRect(1.5, 2, 10, 5.5), l); }},
      // Images.
      {"draw(pel8)",
       [](T t, L l) { t.draw(zcPelBuffer_const<unsigned char>(pels8()), zcPoint(5, 6), true, 2, true, l); }},
      {"draw(pel16)",
       [](T t, L l) {
         t.draw(zcPelBuffer_const<unsigned short>(zcPelBuffer<unsigned short>(2, 2, 500)), zcPoint(5, 6), true, 7, l);
       },
       false},
      {"draw(rgb16)",
       [](T t, L l) {
         t.draw(zcPelBuffer_const<zcPackedRGB16>(zcPelBuffer<zcPackedRGB16>(2, 2, zcPackedRGB16(1, 2, 3))),
                zcPoint(5, 6), false, zcPackedRGB16(), l);
       },
       false},
      {"draw(rgb32)",
       [](T t, L l) {
         t.draw(zcPelBuffer_const<zcPackedRGB32>(zcPelBuffer<zcPackedRGB32>(2, 2, zcPackedRGB32(1, 2, 3))),
                zcPoint(5, 6), false, zcPackedRGB32(), l);
       },
       false},
      {"draw(rle)", [rle](T t, L l) { t.draw(rle, zcPoint(5, 6), {0, 9, 8, 7}, true, 11, false, l); }},
      // Sketches.
      {"draw(sketch)", [inner](T t, L l) { t.draw(inner, zcPoint(2, 3), l); }},
  };
}

// Maps under which the screens draw.
struct Maps {
  const char* name;
  zcXform<2> base;
  zcPair<double> scale;
  void apply(zcUITablet& t) const {
    t.baseMap(base);
    t.scaleExact(scale);
  }
};

const Maps kMaps[] = {
    {"identity", zcXform<2>(), zcPair<double>(1, 1)},
    {"shifted, magnified", zcXform<2>::translation(zcVector<2>(3, -2)), zcPair<double>(2, 2)},
    {"reduced", zcXform<2>(), zcPair<double>(0.5, 0.5)},
};

// The pop slot answers whether locks are left, which differs inside a replay.
Strings normalized(const Strings& entries) {
  Strings out;
  for (const std::string& e : entries)
    out.push_back(e.rfind("lockScreenUpdatesPop", 0) == 0 ? std::string("lockScreenUpdatesPop") : e);
  return out;
}

// Each record of the sketch replayed by its own draw onto a fresh recorder.
Bytes rerecorded(const zcUISketch& sketch) {
  zcUITablet again;
  zcUISketch walked = sketch;
  zc_UISketchOpHeader header;
  for (long at = 0; at < walked.size();) {
    zc_UISketchOpData* record = nullptr;
    at += zfParseUISketch(walked, at, header, &record);
    const zcPtrHandle<zc_UISketchOpData> owned(record);
    record->draw(again, header);
  }
  return bytesOf(again.sketch());
}

TEST(TabletReplayEveryCall, RecordsReplayToTheSameBytesAndPainting) {
  const std::vector<Call> table = calls();
  for (const Call& call : table) {
    for (const Layers layer : {eImage, eOverlay}) {
      SCOPED_TRACE(call.name + (layer == eImage ? " on the image" : " on the overlay"));
      zcUITablet recorder;
      call.make(recorder, layer);
      const Bytes recorded = bytesOf(recorder.sketch());
      if (!call.records) {
        EXPECT_TRUE(recorded.empty());
      } else {
        ASSERT_FALSE(recorded.empty());
        for (const zc_test::Op& op : opsOf(recorder.sketch())) EXPECT_EQ(op.layer, layer);
        EXPECT_EQ(rerecorded(recorder.sketch()), recorded);
      }

      for (const Maps& maps : kMaps) {
        SCOPED_TRACE(maps.name);
        Screen direct, replay;
        maps.apply(direct.tablet);
        maps.apply(replay.tablet);
        direct.clear();
        replay.clear();
        call.make(direct.tablet, layer);
        replay.tablet.draw(recorder.sketch(), zcPoint(0, 0), layer);
        const Layers other = layer == eImage ? eOverlay : eImage;
        EXPECT_TRUE(direct.scope(other).calls().empty());
        EXPECT_TRUE(replay.scope(other).calls().empty());
        if (call.paints) {
          EXPECT_FALSE(direct.scope(layer).calls().empty());
        }
        if (!call.records) {
          EXPECT_TRUE(replay.scope(layer).calls().empty());
          continue;
        }
        Strings expected = {"lockScreenUpdatesPush 1", "optimizeDrawing 1"};
        for (const std::string& e : normalized(direct.scope(layer).calls())) expected.push_back(e);
        expected.push_back("optimizeDrawing 0");
        expected.push_back("lockScreenUpdatesPop");
        EXPECT_EQ(normalized(replay.scope(layer).calls()), expected);
        EXPECT_EQ(replay.scope(layer).drawPoint(), direct.scope(layer).drawPoint());
      }
    }
  }
}

// --- Replay -----------------------------------------------------------------------------

TEST(TabletReplay, EmptySketchDrawsAndRecordsNothing) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.draw(zcUISketch(), zcPoint(1, 1), eImage);
  s.tablet.draw(zcUISketch(), zcPoint(1, 1), eBoth);
  EXPECT_TRUE(s.image.calls().empty());
  EXPECT_TRUE(s.overlay.calls().empty());
  EXPECT_TRUE(s.tablet.sketch().isNull());
  zcUITablet recorder;
  recorder.draw(zcUISketch(), zcPoint(1, 1), eImage);
  EXPECT_TRUE(recorder.sketch().isNull());
}

TEST(TabletReplay, LayerFilteringKeepsTheLayerAndBothLayerOperations) {
  zcUITablet recorder;
  recorder.draw(zcPoint(1, 1), zcColor::red, eImage);
  recorder.draw(zcPoint(2, 2), zcColor::red, eOverlay);
  recorder.draw(zcPoint(3, 3), zcColor::red, eBoth);

  Screen s;
  s.tablet.draw(recorder.sketch(), zcPoint(0, 0), eImage);
  EXPECT_EQ(s.image.callsOf("drawPoint"),
            (Strings{"drawPoint (1,1) color=red width=1", "drawPoint (3,3) color=red width=1"}));
  EXPECT_TRUE(s.overlay.calls().empty());

  s.clear();
  s.tablet.draw(recorder.sketch(), zcPoint(0, 0), eOverlay);
  EXPECT_EQ(s.overlay.callsOf("drawPoint"),
            (Strings{"drawPoint (2,2) color=red width=1", "drawPoint (3,3) color=red width=1"}));
  EXPECT_TRUE(s.image.calls().empty());

  // Replaying on both layers draws each operation on its own layer; one recorded for
  // both layers paints nowhere. Both scopes are locked and optimized.
  s.clear();
  s.tablet.draw(recorder.sketch(), zcPoint(0, 0), eBoth);
  EXPECT_EQ(s.image.callsOf("drawPoint"), Strings{"drawPoint (1,1) color=red width=1"});
  EXPECT_EQ(s.overlay.callsOf("drawPoint"), Strings{"drawPoint (2,2) color=red width=1"});
  for (zcLoggingScope* scope : {&s.image, &s.overlay}) {
    EXPECT_EQ(scope->callsOf("optimizeDrawing"), (Strings{"optimizeDrawing 1", "optimizeDrawing 0"}));
    EXPECT_EQ(scope->count("lockScreenUpdatesPush"), 1u);
    EXPECT_EQ(scope->lockDepth(), 0);
  }
}

TEST(TabletReplay, OffsetMovesTheReplayAndNestedSketchesAddTheirOwn) {
  zcUITablet inner;
  inner.draw(zcPoint(1, 2), zcColor::red, eImage);
  zcUITablet recorder;
  recorder.draw(zcLineSeg(zcPoint(1, 1), zcPoint(11, 1)), zcColor::red, eImage);
  recorder.draw(inner.sketch(), zcPoint(10, 20), eImage);
  const Bytes recorded = bytesOf(recorder.sketch());

  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  const zcXform<2> map = s.tablet.scaledMap();
  s.clear();
  s.tablet.draw(recorder.sketch(), zcPoint(5, 7), eImage);
  EXPECT_EQ(s.image.callsOf("drawLineSeg"), Strings{"drawLineSeg (12,16)-(32,16) color=red width=1"});
  EXPECT_EQ(s.image.callsOf("drawPoint"), Strings{"drawPoint (32,58) color=red width=1"});
  EXPECT_EQ(s.tablet.scaledMap(), map);
  EXPECT_TRUE(s.tablet.recordOn());
  EXPECT_EQ(s.tablet.recordOn().depth(), 1);

  // One Sketch operation: default properties, index color 0, the offset, the byte
  // count and the bytes.
  Bytes expected = {15, 0, 4, 0, 0, 0, 0, 0};
  unsigned char number[8];
  for (const double v : {5.0, 7.0}) {
    zfStoreF64(number, v);
    expected.insert(expected.end(), number, number + 8);
  }
  zfStoreI32(number, static_cast<std::int32_t>(recorded.size()));
  expected.insert(expected.end(), number, number + 4);
  expected.insert(expected.end(), recorded.begin(), recorded.end());
  EXPECT_EQ(bytesOf(s.tablet.sketch()), expected);

  // Afterwards the tablet draws without the offset again.
  s.clear();
  s.tablet.draw(zcPoint(1, 1), zcColor::red, eImage);
  EXPECT_EQ(s.image.calls(), Strings{"drawPoint (2,2) color=red width=1"});
}

// A sketch whose first operation is good and whose second is `bad`.
zcUISketch withBadTail(const Bytes& bad) {
  zcUITablet recorder;
  recorder.draw(zcLineSeg(zcPoint(1, 1), zcPoint(11, 1)), zcColor::red, eImage);
  zcUISketch s = recorder.sketch();
  s.append(bad.data(), static_cast<long>(bad.size()));
  return s;
}

TEST(TabletReplay, MalformedSketchRaisesAndLeavesTheTabletAsItWas) {
  std::vector<zcUISketch> bad;
  // The codes without a kind (the low ones and the last).
  for (unsigned op = 0; op < 256; ++op)
    if (!zfUISketchOpKind(op) && op != zcUISketch::kPropsOpcode && (op < 64 || op == 255))
      bad.push_back(withBadTail({static_cast<unsigned char>(op), 0, 4, 0, 0, 0, 0, 0}));
  bad.push_back(withBadTail({2, 0, 4, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));  // payload cut short
  bad.push_back(withBadTail({2, 7, 4, 0, 0, 0, 0, 0}));                                 // layer 7
  {
    Bytes block = {40, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0};  // version 1
    bad.push_back(withBadTail(block));
    block[1] = 0;
    block.insert(block.end(), block.begin(), block.end());  // two blocks in a row
    bad.push_back(withBadTail(block));
  }
  {
    // A good outer operation that nests a bad sketch.
    zcUISketch outer;
    zc_UISketchOpHeader(15, eBoth, zcColor(0), zcGraphicProps(), false).populateSketch(outer);
    zc_UISketchOpSketch(bad.front(), zcPoint(1, 1)).populateSketch(outer);
    bad.push_back(outer);
  }

  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.tablet.drawOn().push(true);
  s.tablet.recordOn().push(true);
  s.tablet.drawOnOverlay().push(false);
  s.tablet.lockScreenUpdatesPush(true, eImage);
  s.tablet.draw(zcPoint(1, 1), zcColor::red, eImage);
  const zcXform<2> base = s.tablet.baseMap();
  const zcXform<2> scaled = s.tablet.scaledMap();
  const zcFlagStack drawOn = s.tablet.drawOn();
  const zcFlagStack recordOn = s.tablet.recordOn();
  const zcFlagStack drawOnOverlay = s.tablet.drawOnOverlay();
  const Bytes sketch = bytesOf(s.tablet.sketch());
  ASSERT_EQ(s.image.lockDepth(), 1);

  for (std::size_t i = 0; i < bad.size(); ++i) {
    for (const Layers layer : {eImage, eOverlay, eBoth}) {
      SCOPED_TRACE(::testing::Message() << "sketch " << i << " layer " << layer);
      EXPECT_THROW(s.tablet.draw(bad[i], zcPoint(3, 4), layer), zcUIError::InvalidUISketch);
      EXPECT_EQ(s.tablet.baseMap(), base);
      EXPECT_EQ(s.tablet.scaledMap(), scaled);
      EXPECT_TRUE(s.tablet.drawOn() == drawOn);
      EXPECT_TRUE(s.tablet.recordOn() == recordOn);
      EXPECT_TRUE(s.tablet.drawOnOverlay() == drawOnOverlay);
      EXPECT_EQ(s.tablet.drawOn().depth(), 2);
      EXPECT_EQ(s.image.lockDepth(), 1);
      EXPECT_EQ(s.overlay.lockDepth(), 0);
      EXPECT_EQ(bytesOf(s.tablet.sketch()), sketch);
    }
  }
  // The good first operation of each was drawn before the failure, without the
  // offset leaking into later calls.
  s.clear();
  s.tablet.draw(zcPoint(1, 1), zcColor::red, eImage);
  EXPECT_EQ(s.image.calls(), Strings{"drawPoint (2,2) color=red width=1"});
}

}  // namespace

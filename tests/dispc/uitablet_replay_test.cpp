// Replaying sketches on a tablet. Every drawing call is made once directly and once
// through its recording: the recording replayed record by record onto a second
// recorder gives the same bytes, and the sketch replayed onto a screen tablet asks
// the scope for the same painting as the direct call.
#include "support/sketch_stream.h"
#include "support/tablet_screen.h"

#include "dispc/sketchop.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"

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

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using zc_test::bytesOf;
using zc_test::opsOf;
using zc_test::pen;
using zc_test::Screen;
using zc_test::Stream;
using zc_test::Bytes;
using Strings = std::vector<std::string>;
using Layers = zcUITablet::Layers;

constexpr auto eImage = zcUITablet::eImage;
constexpr auto eOverlay = zcUITablet::eOverlay;
constexpr auto eBoth = zcUITablet::eBothLayers;

struct Call {
  std::string name;
  std::function<void(zcUITablet&, Layers)> make;
  bool records = true;
  bool paints = true;  // moves and drawStart only move the drawing point
};

const zcGraphicProps& wide() { static const zcGraphicProps p = pen(zcColor::red, 2); return p; }
const zcGraphicProps& filled() { static const zcGraphicProps p = pen(zcColor::blue, 3, true); return p; }
// Point sets paint their points with the pen color and width 1 and record them with
// the full properties; these properties have nothing else, so both agree.
const zcGraphicProps& thin() { static const zcGraphicProps p = pen(zcColor::green, 1); return p; }
const zcGraphicProps& noArrow() {
  static const zcGraphicProps p = [] { zcGraphicProps q = pen(zcColor::red, 1); q.arrowHead(false); return q; }();
  return p;
}

zcPelBuffer<unsigned char> pels8() {
  zcPelBuffer<unsigned char> p(3, 2);
  for (long y = 0; y < 2; ++y)
    for (long x = 0; x < 3; ++x) p.set(x, y, static_cast<unsigned char>(10 * y + x + 1));
  return p;
}

const zcEllipse& ellipse() { static const zcEllipse e(zcPoint(30, 20), 12, 6, zcRadian(0.3)); return e; }

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

// A row whose name is its call, made with the tablet `t` on the layer `l`.
#define ROW(...) Call{#__VA_ARGS__, [=](zcUITablet& t, Layers l) { __VA_ARGS__; }}
#define ROW_UNRECORDED(...) Call{#__VA_ARGS__, [=](zcUITablet& t, Layers l) { __VA_ARGS__; }, false}
#define ROW_MOVE(...) Call{#__VA_ARGS__, [=](zcUITablet& t, Layers l) { __VA_ARGS__; }, true, false}

std::vector<Call> calls() {
  using P = zcPoint;
  using D = zcPair<double>;
  using V = zcVector<2>;
  using R = zcRadian;
  const zcBezierCurve b1(P(2, 2), P(8, 20), P(20, 20), P(30, 4));
  const zcBezierCurve b2(P(30, 4), P(36, -6), P(40, 10), P(44, 12), 1, 2, 2, 1);
  const zcGenRect sharp(V(20, 15), V(6, 3), R(0.4), V(0, 0)), oval(V(20, 15), V(6, 3), R(0.4), V(6, 3));
  const zcGenRect rounded(V(20, 15), V(6, 3), R(0.4), V(2, 1));
  const zcGenAnnulus genAnnulus(zcGenRect(V(20, 15), V(3, 2), R(0.4), V(1, 1)), rounded);
  const zcPolygon polygon({P(1, 1), P(9, 2), P(5, 8)}, zcPolygon::eWinding);
  const zcAffineRectangle affine(V(2, 2), V(12, 4), V(0, 9));
  const zcUIFormat format(3, zcUIFormat::eBottomRight);
  const zcRLEBuffer rle = zcRLEBuffer::encode(pels8());
  const zcUISketch inner = nested();
  const zcLineSeg seg(P(1, 2), P(30, 12));
  const zcEllipseArc arc(ellipse(), R(0.5), R(2)), backArc(ellipse(), R(0.5), R(-2));
  // The Ellipse2 kinds store radii and angle, from which replay rebuilds the
  // ellipse's transform: axis-aligned ones come back bit for bit.
  const zcEllipse2 ellipse2(V(12, 6), R(0), P(30, 20)), ellipse2b(V(12, 6), R(0), P(30, 20), false);
  const zcShapeTree tree({zcShapePtr(new zcCircle(P(20, 15), 4)), zcShapePtr(new zcRect(2, 3, 5, 6)),
                          zcShapePtr(new zcLineSeg(P(1, 1), P(8, 3)))});
  const zcCoordAxes axes(P(5, 5), P(30, 8), P(3, 25));
  const zcPelBuffer_const<unsigned short> pels16(zcPelBuffer<unsigned short>(2, 2, 500));
  const zcPelBuffer_const<zcPackedRGB16> rgb16(zcPelBuffer<zcPackedRGB16>(2, 2, zcPackedRGB16(1, 2, 3)));
  const zcPelBuffer_const<zcPackedRGB32> rgb32(zcPelBuffer<zcPackedRGB32>(2, 2, zcPackedRGB32(1, 2, 3)));
  const zcUIRect ui(3, 4, 20, 10);
  const zcRect rect(1.5, 2, 10, 5.5);
  const zcColor blue = zcColor::blue;
  // Beyond the basic plane (two UTF-16 units) and beyond Unicode (the replacement).
  const std::wstring text = std::wstring(L"Text \u00e9 ") + wchar_t(0x1F600) + wchar_t(0x110000);
  // A polygon with an arc and an outward and an inward rounding, and its wireframe.
  zcGenPoly genPoly(zcRect(4, 4, 30, 20));
  genPoly.vertexRoundingSize(1, 3.0);
  genPoly.vertexRoundingSize(2, -2.0);
  genPoly.segmentAngleSpan(0, R(0.6));
  const zc2Wireframe wireframe(genPoly, zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets));
  return {
      // Points.
      ROW(t.draw(P(3, 4), wide(), l)), ROW(t.draw(zc2Point(P(3, 4)), wide(), l)), ROW(t.draw(P(3, 4), blue, l)),
      ROW(t.draw(zcUITablet::drawPointArg(), wide(), l)), ROW(t.drawPixel(D(7.5, 2), zcColor::orange, l)),
      ROW(t.drawPointIcon(P(20, 20), wide(), l)), ROW(t.drawPointIcon(P(20, 20), zcColor::yellow, l)),
      ROW(t.draw(zcPointSet({P(3, 4)}), thin(), l)), ROW(t.draw(zcPointSet({P(3, 4), P(6, 8), P(1, 9)}), thin(), l)),
      ROW(t.draw(zcPointSet({P(3, 4), P(6, 8)}), blue, l)),
      // Lines.
      ROW(t.draw(seg, wide(), l)), ROW(t.draw(seg, blue, l)), ROW(t.drawLineSeg(D(1, 2), D(30, 12), blue, l)),
      ROW(t.draw(zcLineSegSet({zcLineSeg(P(1, 2), P(3, 4)), zcLineSeg(P(5, 5), P(9, 1))}), wide(), l)),
      ROW(t.draw(zcLine(P(10, 12), R(0.3)), wide(), l)), ROW(t.draw(zcLine(V(0, 1), P(10, 12)), blue, l)),
      ROW(t.drawLine(D(10, 12), R(-1.1), blue, l)), ROW(t.draw(polygon, filled(), l)), ROW(t.draw(polygon, blue, l)),
      ROW(t.drawPolygon({P(1, 1), P(9, 2), P(5, 8), P(2, 6)}, zcPolygon::eAlternate, blue, l)),
      ROW(t.draw(zcPolyline({P(1, 1), P(9, 2), P(5, 8)}, true), wide(), l)), ROW(t.draw(b1, wide(), l)),
      ROW(t.draw(zcCubicSpline({b1, b2}), wide(), l)),
      // Conics.
      ROW(t.draw(zcCircle(P(20, 15), 6), filled(), l)), ROW(t.draw(zcCircle(P(20, 15), 6), blue, false, l)),
      ROW(t.drawCircle(D(20, 15), 6, blue, l, true)), ROW(t.draw(ellipse(), wide(), l)),
      ROW(t.draw(ellipse(), blue, true, l)), ROW(t.drawEllipse(D(30, 20), D(12, 6), R(0.3), blue, l)),
      ROW(t.draw(arc, wide(), l)), ROW(t.draw(backArc, blue, l)),
      ROW(t.drawEllipseArc(D(30, 20), D(12, 6), R(0.3), R(0.5), R(2), blue, l)), ROW(t.draw(ellipse2, wide(), l)),
      ROW(t.draw(zcEllipseArc2(ellipse2b, R(0.5), R(2)), wide(), l)), ROW(t.draw(section(), wide(), l)),
      ROW(t.draw(section(), noArrow(), l)), ROW(t.draw(section(), blue, true, false, l)),
      ROW(t.draw(zcAnnulus(P(20, 15), 3, 7), wide(), l)), ROW(t.draw(zcAnnulus(P(20, 15), 3, 7), blue, l)),
      ROW(t.draw(genAnnulus, wide(), l)), ROW(t.draw(genAnnulus, blue, l)),
      // Rectangles.
      ROW(t.draw(sharp, wide(), l)), ROW(t.draw(sharp, blue, true, l)), ROW(t.draw(oval, filled(), l)),
      ROW(t.draw(rounded, wide(), l)), ROW(t.drawGenRect(D(20, 15), D(6, 3), R(0.4), D(2, 1), blue, l, true)),
      ROW(t.draw(zcRect(2, 3, 20, 10), wide(), l)), ROW(t.draw(zcRect(2, 3, 20, 10), blue, true, l)),
      ROW(t.drawRect(D(2, 3), D(20, 10), blue, l)), ROW(t.draw(affine, filled(), l)), ROW(t.draw(affine, blue, l)),
      ROW(t.drawAffineRect(D(2, 2), D(12, 4), D(0, 9), blue, l)),
      // Generalized polygons and wireframes.
      ROW(t.draw(genPoly, wide(), l)), ROW(t.draw(genPoly.map(zcXform<2>::scaling(1.5, -1)), blue, true, l)),
      ROW(t.draw(wireframe, filled(), l)), ROW(t.draw(wireframe.map(zcXform<2>::scaling(-1, 1)), blue, false, l)),
      // Markers, generic shapes and dispatch, text.
      ROW(t.draw(zcCross(P(20, 15), R(0.7), 9), wide(), l)), ROW(t.draw(zcCross(P(20, 15), R(-0.7), 4), blue, l)),
      ROW(t.drawCross(D(20, 15), R(2.5), blue, l)), ROW(t.draw(axes, wide(), l)), ROW(t.draw(axes, blue, l)),
      ROW(t.arrowHead(P(20, 15), V(2, -1), 9.5f, wide(), l)),
      ROW(t.draw(zcGenShape(zcCircle(P(20, 15), 4)), blue, l)),
      ROW(t.draw(zcGenShape(), blue, l)), ROW(t.draw(static_cast<const zcShape&>(tree), wide(), l)),
      ROW(t.draw(text, P(12, 30), zcColor::red, zcColor::white, format, l)),
      ROW(t.draw(L"x", zcUITablet::drawPointArg(), zcColor::red, zcColor::white, format, l)),
      // Strokes from the drawing point.
      ROW_MOVE(t.drawStart(P(3, 4), l)), ROW(t.drawTo(P(13, 9), wide(), l)), ROW(t.drawTo(P(13, 9), blue, l)),
      ROW(t.drawToRelPels(7, -3, wide(), l)), ROW(t.drawToRelPels(-7, 3, blue, l)),
      ROW(t.drawToRelPels(V(2, 1), 9.5f, wide(), l)), ROW(t.drawToRelPels(V(-1, 3), 12.0f, blue, l)),
      ROW_MOVE(t.moveToRelPels(5, 6, l)), ROW_MOVE(t.moveToRelPels(V(1, 1), 7.0f, l)),
      // Areas.
      ROW(t.set(zcColor::dkGrey, l)), ROW(t.set(ui, blue, l)), ROW(t.set(rect, blue, l)),
      ROW(t.setComplement(ui, blue, l)), ROW(t.setComplement(rect, blue, l)),
      ROW(t.fill(P(7.5, 8.25), zcColor::red, blue, zcUITablet::eFillType0, l)),
      ROW(t.fill(zcPair<long>(7, 8), zcColor::red, blue, zcUITablet::eFillType1, l)),
      ROW(t.outline3D(ui, zcColor::white, zcColor::dkGrey, 3, l)),
      ROW(t.outline3D(rect, zcColor::white, zcColor::dkGrey, 2, l)), ROW(t.outline(ui, blue, 2, l)),
      ROW(t.outline(rect, blue, 1, l)), ROW(t.drawClipRect(rect, l)),
      // Images (the 16-bit, RGB16 and RGB32 ones record nothing) and sketches.
      ROW(t.draw(zcPelBuffer_const<unsigned char>(pels8()), P(5, 6), true, 2, true, l)),
      ROW_UNRECORDED(t.draw(pels16, P(5, 6), true, 7, l)),
      ROW_UNRECORDED(t.draw(rgb16, P(5, 6), false, zcPackedRGB16(), l)),
      ROW_UNRECORDED(t.draw(rgb32, P(5, 6), false, zcPackedRGB32(), l)),
      ROW(t.draw(rle, P(5, 6), {0, 9, 8, 7}, true, 11, false, l)), ROW(t.draw(inner, P(2, 3), l)),
  };
}

// Maps under which the screens draw.
const std::pair<zcXform<2>, zcPair<double>> kMaps[] = {{zcXform<2>(), zcPair<double>(1, 1)},
                                                       {zcXform<2>::translation(zcVector<2>(3, -2)), zcPair<double>(2, 2)},
                                                       {zcXform<2>(), zcPair<double>(0.5, 0.5)}};

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
  std::set<std::string> recordedKinds;
  for (const Call& call : table) {
    for (const Layers layer : {eImage, eOverlay}) {
      SCOPED_TRACE(call.name + (layer == eImage ? " on the image" : " on the overlay"));
      zcUITablet recorder;
      call.make(recorder, layer);
      const Bytes recorded = bytesOf(recorder.sketch());
      ASSERT_EQ(recorded.empty(), !call.records);
      // The tablet writes each payload from the call's values: the same bytes as the
      // record read back from them writes.
      for (const zc_test::Op& op : opsOf(recorder.sketch())) {
        EXPECT_EQ(op.layer, layer);
        zcUISketch own;
        op.record->populateSketch(own);
        EXPECT_EQ(bytesOf(own), op.payload);
        const zcUISketchOpKind* kind = zfUISketchOpKind(op.opcode);
        recordedKinds.insert(std::string(kind->name) + (kind->filled ? "+" : ""));
      }
      EXPECT_EQ(rerecorded(recorder.sketch()), recorded);

      for (const auto& [base, scale] : kMaps) {
        SCOPED_TRACE(::testing::Message() << "scale " << scale.x() << " base " << base.mapPoint(zcPoint(0, 0)).x());
        Screen direct, replay;
        for (Screen* screen : {&direct, &replay}) {
          screen->tablet.baseMap(base);
          screen->tablet.scaleExact(scale);
          screen->clear();
        }
        call.make(direct.tablet, layer);
        replay.tablet.draw(recorder.sketch(), zcPoint(0, 0), layer);
        const Layers other = layer == eImage ? eOverlay : eImage;
        EXPECT_TRUE(direct.scope(other).calls().empty());
        EXPECT_TRUE(replay.scope(other).calls().empty());
        EXPECT_TRUE(!call.paints || !direct.scope(layer).calls().empty());
        Strings expected = normalized(direct.scope(layer).calls());
        expected.insert(expected.begin(), {"lockScreenUpdatesPush 1", "optimizeDrawing 1"});
        expected.insert(expected.end(), {"optimizeDrawing 0", "lockScreenUpdatesPop"});
        EXPECT_EQ(normalized(replay.scope(layer).calls()), call.records ? expected : Strings());
        EXPECT_EQ(replay.scope(layer).drawPoint(), direct.scope(layer).drawPoint());
      }
    }
  }
  // Every kind is recorded by some call but String, that only sketches from outside hold.
  for (const zcUISketchOpKind& kind : zfUISketchOpKinds()) {
    const std::string name = kind.name;
    EXPECT_NE(recordedKinds.count(name + (kind.filled ? "+" : "")), name == "String") << name;
  }
}

TEST(TabletReplay, LayerFilteringKeepsTheLayerAndBothLayerOperations) {
  zcUITablet recorder;
  recorder.draw(zcUISketch(), zcPoint(1, 1), eImage);  // an empty sketch records nothing
  EXPECT_TRUE(recorder.sketch().isNull());
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.draw(zcUISketch(), zcPoint(1, 1), eImage);  // nor paints anything
  s.tablet.draw(zcUISketch(), zcPoint(1, 1), eBoth);
  EXPECT_TRUE(s.image.calls().empty() && s.overlay.calls().empty() && s.tablet.sketch().isNull());
  s.tablet.recordOn() = false;
  recorder.draw(zcPoint(1, 1), zcColor::red, eImage);
  recorder.draw(zcPoint(2, 2), zcColor::red, eOverlay);
  recorder.draw(zcPoint(3, 3), zcColor::red, eBoth);
  // On one layer the layer's own and the both-layer operations paint, the other scope
  // hears nothing; on both layers each operation paints on its own layer, one recorded
  // for both layers nowhere, and both scopes are locked and optimized.
  const std::string one = "drawPoint (1,1) color=red width=1", two = "drawPoint (2,2) color=red width=1",
                    three = "drawPoint (3,3) color=red width=1";
  const std::tuple<Layers, Strings, Strings> rows[] = {{eImage, {one, three}, {}},
                                                       {eOverlay, {}, {two, three}},
                                                       {eBoth, {one}, {two}}};
  for (const auto& [layer, image, overlay] : rows) {
    s.clear();
    s.tablet.draw(recorder.sketch(), zcPoint(0, 0), layer);
    EXPECT_EQ(s.image.callsOf("drawPoint"), image) << layer;
    EXPECT_EQ(s.overlay.callsOf("drawPoint"), overlay) << layer;
    EXPECT_TRUE(!image.empty() || s.image.calls().empty()) << layer;
    EXPECT_TRUE(!overlay.empty() || s.overlay.calls().empty()) << layer;
  }
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
  EXPECT_EQ(bytesOf(s.tablet.sketch()),
            Stream().header(15, 0, zc_test::kIndex0).point(5, 7).i32(std::int32_t(recorded.size())).bytes(recorded).get());

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
  auto state = [&s] {
    return std::make_tuple(s.tablet.baseMap(), s.tablet.scaledMap(), s.tablet.drawOn(), s.tablet.recordOn(),
                           s.tablet.drawOnOverlay(), s.tablet.drawOn().depth(), s.image.lockDepth(),
                           s.overlay.lockDepth(), bytesOf(s.tablet.sketch()));
  };
  const auto before = state();
  ASSERT_EQ(s.image.lockDepth(), 1);
  for (std::size_t i = 0; i < bad.size(); ++i) {
    for (const Layers layer : {eImage, eOverlay, eBoth}) {
      EXPECT_THROW(s.tablet.draw(bad[i], zcPoint(3, 4), layer), zcUIError::InvalidUISketch) << i << " " << layer;
      EXPECT_TRUE(state() == before) << "sketch " << i << " layer " << layer;
    }
  }
  // The good first operation of each was drawn before the failure, without the
  // offset leaking into later calls.
  s.clear();
  s.tablet.draw(zcPoint(1, 1), zcColor::red, eImage);
  EXPECT_EQ(s.image.calls(), Strings{"drawPoint (2,2) color=red width=1"});
}

}  // namespace

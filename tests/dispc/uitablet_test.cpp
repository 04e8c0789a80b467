// The drawing tablet: what a call records (properties block, header, payload), when
// it paints (okToDraw), how the maps are built, and how the composite calls paint.
// Replaying sketches: every drawing call is made once directly and once through its
// recording: the recording replayed record by record onto a second recorder gives the
// same bytes, and the sketch replayed onto a screen tablet asks the scope for the same
// painting as the direct call.
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
#include "zfound/strings.h"
#include "zfound/trees.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace zc_test;
using Strings = std::vector<std::string>;
using Layers = zcUITablet::Layers;

constexpr auto eImage = zcUITablet::eImage;
constexpr auto eOverlay = zcUITablet::eOverlay;
constexpr auto eBoth = zcUITablet::eBothLayers;

// A client rectangle as a sketch stores it: 16 zero bytes, x, y, width and height,
// 40 zero bytes.
Bytes rectImage(double x, double y, double w, double h) {
  return Stream().f64(0).f64(0).point(x, y).point(w, h).f64(0).f64(0).f64(0).f64(0).f64(0);
}

// A quarter of an elliptical annulus; ratio 1 makes it degenerate.
zcEllipseAnnulusSection quarter(double ratio) {
  const zcEllipse outer(zcPoint(40, 40), 20, 10, zcRadian(0));
  return zcEllipseAnnulusSection(zcEllipseAnnulus(outer, ratio), zcRadian(0), zcRadian(zkPi / 2));
}

TEST(TabletRecording, RecorderWritesBlocksOnChangeHeaderAndPayloadButNeverDraws) {
  zcUITablet t;
  EXPECT_FALSE(t.drawOn());
  EXPECT_FALSE(t.okToDraw(eImage) || t.okToDraw(eOverlay));
  // The shared scratch pad is such a recorder.
  EXPECT_TRUE(zcUITablet::scratchPad.recordOn() && !zcUITablet::scratchPad.drawOn());
  // A properties block precedes every change, back to earlier properties too, and only
  // a change: the properties compare their pen color, although the block does not
  // carry it.
  const zcLineSeg seg(zcPoint(0, 0), zcPoint(10, 0));
  for (const long width : {3, 5, 3, 3}) t.draw(seg, pen(zcColor::red, width), eImage);
  t.draw(seg, pen(zcColor::blue, 3), eImage);
  const Bytes op = Stream().header(2, 0, kRed).point(0, 0).point(10, 0);
  EXPECT_EQ(bytesOf(t.sketch()), Stream()
                                     .block(false, 3).bytes(op)
                                     .block(false, 5).bytes(op)
                                     .block(false, 3).bytes(op)
                                     .bytes(op)
                                     .block(false, 3).header(2, 0, kBlue).point(0, 0).point(10, 0)
                                     .get());
  EXPECT_EQ(opsOf(t.sketch())[3].props.penWidth(), 3);  // carried forward
  zcUITablet plain;  // default properties need no block
  plain.draw(seg, zcGraphicProps(), eImage);
  EXPECT_EQ(bytesOf(plain.sketch()), Stream().header(2, 0, kCyan).point(0, 0).point(10, 0).get());

  // Pushing false suspends recording; set(color) then does not empty the sketch.
  const Bytes before = bytesOf(t.sketch());
  t.recordOn().push(false);
  t.draw(zcLineSeg(zcPoint(1, 1), zcPoint(5, 1)), pen(zcColor::blue, 2), eOverlay);
  t.set(zcColor::red, eImage);
  EXPECT_EQ(bytesOf(t.sketch()), before);
  EXPECT_FALSE(t.recordOn().pop());
  EXPECT_EQ(t.recordOn().depth(), 1);
  zcUIRect out(1, 1, 1, 1);  // without scopes textRect gives the null rectangle
  t.textRect(L"abc", zcPoint(10, 10), zcUIFormat(0, zcUIFormat::eTopLeft), out, eImage);
  EXPECT_TRUE(out.isNull());
  // A degenerate section, skipped where it would be drawn (a row of TabletCalls), is
  // recorded.
  ASSERT_TRUE(quarter(1.0).degen());
  t.draw(quarter(1.0), pen(zcColor::red, 1), eImage);
  EXPECT_EQ(opcodesOf(t.sketch()).back(), 7);

  // Copies take the bytes as sketch values do: a new copy remembers the default
  // properties and writes the block again, an assigned one keeps what it remembered.
  t.scaleExact(zcPair<double>(2, 2));
  zcUITablet copy(t), assigned;
  assigned.draw(seg, pen(zcColor::blue, 2), eImage);
  assigned = t;
  EXPECT_EQ(copy.scaleMode(), zcUITablet::eMagnify);
  EXPECT_TRUE(copy.recordOn() && !copy.drawOn());
  const long size = t.sketch().size();
  EXPECT_EQ(copy.sketch().size(), size);
  EXPECT_EQ(bytesOf(assigned.sketch()), bytesOf(t.sketch()));
  for (zcUITablet* u : {&t, &copy}) u->draw(seg, pen(zcColor::red, 1), eImage);
  assigned.draw(seg, pen(zcColor::blue, 2), eImage);
  EXPECT_EQ(t.sketch().size(), size + 40);
  EXPECT_EQ(copy.sketch().size(), size + 22 + 40);
  EXPECT_EQ(assigned.sketch().size(), size + 40);
}

TEST(TabletOkToDraw, EachConditionSuppressesPaintingAndTheTimeStampMovesOncePerTablet) {
  Screen s;
  EXPECT_FALSE(s.tablet.recordOn());
  EXPECT_FALSE(s.tablet.okToDraw(eBoth));  // its calls are rows of TabletCalls
  EXPECT_FALSE(s.tablet.okToDraw(static_cast<zcUITablet::Layers>(-1)));
  // A condition, whether the image and the overlay then paint (and okToDraw says so),
  // and its undoing.
  using Change = std::function<void()>;
  const std::tuple<const char*, Change, bool, bool, Change> rows[] = {
      {"shown", [] {}, true, true, [] {}},
      {"hidden: two hides need two shows",
       [&s] {
         s.tablet.visible(false);
         s.tablet.visible(false);
         s.tablet.visible(true);
       },
       false, false, [&s] { s.tablet.visible(true); }},
      {"drawOn off", [&s] { s.tablet.drawOn().push(false); }, false, false, [&s] { s.tablet.drawOn().pop(); }},
      {"drawOnOverlay off", [&s] { s.tablet.drawOnOverlay() = false; }, true, false,
       [&s] { s.tablet.drawOnOverlay() = true; }},
      {"an inhibited image scope", [&s] { s.image.setInhibited(true); }, false, true, [] {}},
      {"one that collects client changes", [&s] { s.image.clientChangeEnable(true); }, true, true, [] {}},
  };
  for (const auto& [what, set, image, overlay, undo] : rows) {
    set();
    for (const auto& [layer, paints] : {std::pair{eImage, image}, {eOverlay, overlay}}) {
      s.clear();
      EXPECT_EQ(s.tablet.okToDraw(layer), paints) << what << " " << layer;
      s.tablet.draw(zcPoint(1, 2), zcColor::red, layer);
      EXPECT_EQ(s.scope(layer).count("drawPoint"), paints ? 1u : 0u) << what << " " << layer;
    }
    undo();
  }
  // No scope for the layer.
  zcLoggingScope only(zcPair<long>(50, 50));
  zcUITablet t(&only, nullptr);
  t.visible(true);
  EXPECT_TRUE(t.okToDraw(eImage));
  EXPECT_FALSE(t.okToDraw(eOverlay));
  only.clear();
  t.draw(zcPoint(1, 2), zcColor::red, eOverlay);
  EXPECT_TRUE(only.calls().empty());
  Screen a, b;
  const std::uint32_t c0 = zcUITablet::timeStamp_;
  for (Screen* s : {&a, &a, &b, &a}) s->tablet.draw(zcPoint(1, 2), zcColor::red, eImage);
  b.tablet.draw(zcPoint(1, 2), zcColor::red, eBoth);  // paints nothing
  EXPECT_EQ(zcUITablet::timeStamp_, c0 + 3);
  EXPECT_EQ(a.tablet.drawStamp(), c0 + 3);
  EXPECT_EQ(b.tablet.drawStamp(), c0 + 2);
}

TEST(TabletMaps, ScaleExactChoosesTheModeByTheXFactorRefusalsChangeNothingAndTheCoordinateHelpersFollow) {
  zcUITablet t;
  EXPECT_EQ(t.scaleMode(), zcUITablet::eNoScale);
  EXPECT_EQ(t.scaleExact(), zcPair<double>(1, 1));
  EXPECT_TRUE(t.scaledMap().isIdentity());
  t.baseMap(zcXform<2>::translation(zcVector<2>(4, 6)));
  // The scaling applies after the base map: (10, 20) -> (14, 26) -> scaled. Only x
  // decides the mode; in eReduce factors not both above 1 multiply.
  const std::tuple<zcPair<double>, zcUITablet::ScaleModes, zcPoint, zcPair<long>> rows[] = {
      {{1.0000005, 3}, zcUITablet::eNoScale, zcPoint(14, 26), {1, 1}},
      {{0.5, 0.5}, zcUITablet::eReduce, zcPoint(7, 13), {2, 2}},
      {{2, 3}, zcUITablet::eMagnify, zcPoint(28, 78), {2, 3}},
      {{0.25, 3}, zcUITablet::eReduce, zcPoint(3.5, 78), {4, 3}},
      {{1, 5}, zcUITablet::eNoScale, zcPoint(14, 26), {1, 1}},
      {{2.7, 0.4}, zcUITablet::eMagnify, zcPoint(37.8, 10.4), {2, 2}}};
  for (const auto& [exact, mode, mapped, scale] : rows) {
    t.scaleExact(exact);
    EXPECT_EQ(t.scaleExact(), exact);
    EXPECT_EQ(t.scaleMode(), mode) << exact.x();
    EXPECT_TRUE(zfRealEq(t.scaledMap().mapPoint(zcPoint(10, 20)), mapped, 1e-12)) << exact.x();
    EXPECT_TRUE(mode == zcUITablet::eNoScale ? t.scaledMap() == t.baseMap() : t.scale() == scale) << exact.x();
  }
  // Refused factors and maps change nothing.
  t.scaleExact(zcPair<double>(2, 2));
  const zcXform<2> base = t.baseMap(), scaled = t.scaledMap();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const zcPair<double>& bad : {zcPair<double>(0, 1), zcPair<double>(-2, 1), zcPair<double>(2, 0),
                                    zcPair<double>(nan, 1), zcPair<double>(2, std::numeric_limits<double>::infinity())})
    EXPECT_THROW(t.scaleExact(bad), zcUIError::BadParams) << bad.x() << "," << bad.y();
  // A singular base map would leave tabletCoords and drawingPoint without an inverse.
  EXPECT_THROW(t.baseMap(zcXform<2>(zcMatrix<2>(1, 2, 2, 4), zcVector<2>())), zcMathError::Singular);
  EXPECT_EQ(t.scaleMode(), zcUITablet::eMagnify);
  EXPECT_EQ(t.scaleExact(), zcPair<double>(2, 2));
  EXPECT_EQ(t.baseMap(), base);
  EXPECT_EQ(t.scaledMap(), scaled);

  // The integer scale keeps the mode; eReduce divides.
  zcUITablet r;
  r.scaleMode(zcUITablet::eReduce);
  r.scale(zcPair<long>(2, 2));
  EXPECT_EQ(r.scaleMode(), zcUITablet::eReduce);
  EXPECT_EQ(r.scaleExact(), zcPair<double>(2, 2));
  EXPECT_EQ(r.scale(), zcPair<long>(2, 2));
  EXPECT_EQ(r.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(5, 10));
  r.scale(zcPair<long>(2, 1));
  EXPECT_EQ(r.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(20, 20));
  r.scale(zcPair<long>(4, 2));
  r.scaleMode(zcUITablet::eMagnify);
  EXPECT_EQ(r.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(40, 40));
  r.scaleMode(zcUITablet::eNoScale);
  EXPECT_TRUE(r.scaledMap().isIdentity());
  // The coordinate helpers use the scaled map and the tolerance floor.
  zcUITablet u;
  u.scaleExact(zcPair<double>(2, 2));
  EXPECT_EQ(u.scopeCoords(zcPoint(1.25, -0.25)), zcPair<long>(2, -1));
  EXPECT_EQ(u.scopeCoords(zcPoint(1.499999999999995, 0)), zcPair<long>(3, 0));  // 2.99999999999999
  EXPECT_EQ(u.screenCoords(zcPoint(1.25, -0.25)), zcPair<long>(2, -1));
  EXPECT_EQ(u.tabletCoords(zcPair<long>(3, -1)), zcPoint(1.5, -0.5));
  Screen s;
  zcUITablet kid(s.tablet, zcUIRect(10, 20, 30, 30));
  EXPECT_EQ(kid.scopeOrg(), zcPair<long>(10, 20));
  EXPECT_EQ(kid.scopeCoords(zcPoint(1.5, 2)), zcPair<long>(1, 2));
  EXPECT_EQ(kid.screenCoords(zcPoint(1.5, 2)), zcPair<long>(11, 22));
  // The drawing point comes back through the inverse map.
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.tablet.drawStart(zcPoint(3, 4), eImage);
  EXPECT_EQ(s.image.drawPoint(), zcPoint(6, 8));
  EXPECT_EQ(s.tablet.drawingPoint(eImage), zcPoint(3, 4));
  EXPECT_EQ(s.tablet.drawingPoint(eOverlay), zcPoint(0, 0));
  EXPECT_THROW(s.tablet.drawingPoint(eBoth), zcUIError::BadLayer);
  EXPECT_EQ(u.drawingPoint(eImage), zcPoint(0, 0));  // a recorder's
}

class RedrawCounter : public zcUITablet {
public:
  using zcUITablet::zcUITablet;
  int redraws = 0, mapChanges = 0;
  bool recordedWhileRedrawing = false;
  Layers layers = eImage;

protected:
  void redraw_() override {
    ++redraws;
    layers = updateLayers();
    recordedWhileRedrawing = recordedWhileRedrawing || recordOn();
  }
  void parentMapChanged() override { ++mapChanges; }
};

TEST(TabletMaps, EverySetterRecomputesTellsTheKidsAndRedraws) {
  zcLoggingScope image, overlay;
  RedrawCounter t(&image, &overlay);
  t.recordOn() = true;
  t.visible(true);
  RedrawCounter kid(t, zcUIRect(5, 5, 10, 10));
  t.redraws = 0;
  t.baseMap(zcXform<2>::translation(zcVector<2>(1, 1)));
  t.scaleMode(zcUITablet::eMagnify);
  t.scale(zcPair<long>(2, 2));
  t.scaleExact(zcPair<double>(3, 3));
  t.interpolation(3);
  t.interpolation(3);  // no change
  EXPECT_EQ(t.interpolation(), 3);
  EXPECT_EQ(t.redraws, 5);
  EXPECT_EQ(kid.mapChanges, 4);
  EXPECT_EQ(t.layers, eBoth);
  EXPECT_FALSE(t.recordedWhileRedrawing);
  EXPECT_TRUE(t.recordOn());
  // A kid made now starts from the default maps, not from its parent's.
  const zcUITablet late(t, zcUIRect(0, 0, 5, 5));
  EXPECT_EQ(late.scaleMode(), zcUITablet::eNoScale);
  EXPECT_TRUE(late.scaleExact() == zcPair<double>(1, 1));
  EXPECT_TRUE(late.scaledMap().mapPoint(zcPoint(2, 3)) == zcPoint(2, 3));
  // A hidden tablet recomputes its map without redrawing.
  t.visible(false);
  t.scaleExact(zcPair<double>(1, 1));
  EXPECT_EQ(t.redraws, 5);
  EXPECT_TRUE(t.scaledMap().mapPoint(zcPoint(0, 0)) == zcPoint(1, 1));
}

TEST(TabletAreas, SetColorEmptiesTheSketchKeepsTheClipRectangleComplementPaintsOutsideAndClipsArePixelRects) {
  zcUITablet t;
  const zcLineSeg seg(zcPoint(1, 1), zcPoint(5, 1));
  t.draw(seg, pen(zcColor::red, 3), eImage);
  t.drawClipRect(zcRect(1, 2, 3, 4), eImage);
  t.draw(seg, pen(zcColor::red, 3), eImage);
  t.set(zcColor::red, eImage);
  EXPECT_EQ(bytesOf(t.sketch()), Stream().header(47, 0, kCyan).point(1, 2).point(3, 4).header(17, 0, kRed).get());
  // The overlay has no clip rectangle; both layers never re-record one.
  t.set(zcColor::blue, eOverlay);
  EXPECT_EQ(bytesOf(t.sketch()), Stream().header(17, 1, kBlue).get());
  t.drawClipRect(zcRect(0, 0, 5, 5), eBoth);
  t.set(zcColor::blue, eBoth);
  EXPECT_EQ(bytesOf(t.sketch()), Stream().header(17, 2, kBlue).get());
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.tablet.setComplement(zcUIRect(10, 20, 30, 40), zcColor::blue, eImage);  // pixels as given
  s.tablet.setComplement(zcRect(5, 10, 15, 20), zcColor::blue, eOverlay);   // through the maps: the same
  for (const zcLoggingScope* scope : {&s.image, &s.overlay}) {
    EXPECT_EQ(scope->count("setAll"), 0u);
    std::vector<int> painted(100 * 80, 0);
    for (const std::string& e : scope->callsOf("setRect")) {
      const std::vector<double> n = numbersIn(e);
      EXPECT_NE(e.find("color=blue"), std::string::npos) << e;
      for (long y = std::max(0L, long(n[1])); y < std::min(80L, long(n[1] + n[3])); ++y)
        for (long x = std::max(0L, long(n[0])); x < std::min(100L, long(n[0] + n[2])); ++x) ++painted[y * 100 + x];
    }
    for (long i = 0; i < 100 * 80; ++i) {
      const zcPair<long> at(i % 100, i / 100);
      ASSERT_EQ(painted[i] > 0, !zcUIRect(10, 20, 30, 40).within(at)) << at.x() << "," << at.y();
    }
  }
  EXPECT_EQ(bytesOf(s.tablet.sketch()), Stream()
                                            .header(18, 0, kBlue).u8(1).rect(10, 20, 30, 40)
                                            .header(18, 1, kBlue).u8(0).bytes(rectImage(5, 10, 15, 20))
                                            .get());
  // A clip rectangle becomes a pixel rectangle.
  Screen c;
  c.tablet.recordOn() = true;
  c.tablet.drawClipRect(zcRect(1.2, 2.5, 3, 4), eImage);
  EXPECT_EQ(c.image.displayClipRect(), zcUIRect(1, 2, 4, 5));
  EXPECT_TRUE(zfRealEq(c.tablet.clipRect(eImage), zcRect(1.2, 2.5, 3, 4), 0));
  EXPECT_EQ(c.tablet.clipRect(eOverlay).width(), 0);
  // Both layers, through the maps: (2.4, 5) to (8.4, 13).
  c.tablet.scaleExact(zcPair<double>(2, 2));
  c.clear();
  c.tablet.drawClipRect(zcRect(1.2, 2.5, 3, 4), eBoth);
  EXPECT_EQ(c.image.calls(), Strings{"displayClipRectChanged [2,5,7,8]"});
  EXPECT_EQ(c.overlay.calls(), Strings{"displayClipRectChanged [2,5,7,8]"});
  EXPECT_TRUE(zfRealEq(c.tablet.clipRect(eOverlay), zcRect(1.2, 2.5, 3, 4), 0));
  // Above 2: BadLayer, and nothing stored, recorded or handed on.
  const Bytes before = bytesOf(c.tablet.sketch());
  c.clear();
  EXPECT_THROW(c.tablet.drawClipRect(zcRect(0, 0, 1, 1), static_cast<zcUITablet::Layers>(3)), zcUIError::BadLayer);
  EXPECT_EQ(bytesOf(c.tablet.sketch()), before);
  EXPECT_TRUE(c.image.calls().empty());
  EXPECT_TRUE(zfRealEq(c.tablet.clipRect(eImage), zcRect(1.2, 2.5, 3, 4), 0));
  // Where the layer may not be drawn the rectangle is kept and recorded only.
  c.tablet.drawOnOverlay() = false;
  c.tablet.drawClipRect(zcRect(0, 0, 10, 10), eOverlay);
  EXPECT_TRUE(c.overlay.calls().empty());
  EXPECT_TRUE(zfRealEq(c.tablet.clipRect(eOverlay), zcRect(0, 0, 10, 10), 0));
  EXPECT_EQ(opsOf(c.tablet.sketch()).back().layer, eOverlay);
}

TEST(TabletLines, InfiniteLineIsClippedHalfAPixelOutsideTheScope) {
  Screen s;  // 100 × 80
  // The one drawTo stroke's two ends, in either direction.
  auto expectEnds = [&s](const zcLine& line, const zcPoint& a, const zcPoint& b) {
    s.clear();
    s.tablet.draw(line, zcColor::red, eImage);
    const Strings strokes = s.image.callsOf("drawTo");
    ASSERT_EQ(strokes.size(), 1u);
    std::vector<double> n = numbersIn(strokes[0]);
    ASSERT_EQ(n.size(), 4u);
    if (n[2] > n[0] || (n[2] == n[0] && n[3] > n[1])) std::swap(n[0], n[2]), std::swap(n[1], n[3]);
    const double want[] = {b.x(), b.y(), a.x(), a.y()};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(n[i], want[i], 1e-9) << strokes[0];
  };
  expectEnds(zcLine(zcPoint(30, 10), zcRadian(0)), zcPoint(-0.5, 10), zcPoint(100.5, 10));
  expectEnds(zcLine(zcVector<2>(0, -1), zcPoint(30, 10)), zcPoint(30, -0.5), zcPoint(30, 80.5));
  expectEnds(zcLine(zcVector<2>(1, 1), zcPoint(0, 0)), zcPoint(-0.5, -0.5), zcPoint(80.5, 80.5));
  expectEnds(zcLine(zcVector<2>(1, 1e-13), zcPoint(0, 79)), zcPoint(-0.5, 79), zcPoint(100.5, 79));
  expectEnds(zcLine(zcPoint(30, 80.25), zcRadian(0)), zcPoint(-0.5, 80.25), zcPoint(100.5, 80.25));
  // Across a corner: inside the half-pixel margin a short piece, beyond it nothing.
  expectEnds(zcLine(zcVector<2>(1, -1), zcPoint(-0.4, -0.4)), zcPoint(-0.5, -0.3), zcPoint(-0.3, -0.5));
  for (const zcLine& away : {zcLine(zcVector<2>(1, -1), zcPoint(-0.6, -0.6)), zcLine(zcVector<2>(1, 1), zcPoint(0, 200))}) {
    s.clear();
    s.tablet.draw(away, zcColor::red, eImage);
    EXPECT_TRUE(s.image.callsOf("drawTo").empty());
  }
  // The map applies first; the recorded line is the caller's.
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  expectEnds(zcLine(zcPoint(10, 5), zcRadian(0)), zcPoint(-0.5, 10), zcPoint(100.5, 10));
  const std::vector<Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 3);
  EXPECT_EQ(ops[0].payload, Stream().point(1, 0).point(10, 5).get());
}

TEST(TabletCurves, BezierIsSampledToWithinAPixel) {
  Screen s(zcPair<long>(1000, 1000));
  s.tablet.recordOn() = true;
  const zcBezierCurve straight(zcPoint(1, 10), zcPoint(10, 10), zcPoint(20, 10), zcPoint(31, 10));
  s.tablet.draw(straight, pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.calls(), Strings{"drawPolyline open n=2 (1,10) (31,10) color=red width=1"});
  EXPECT_EQ(opcodesOf(s.tablet.sketch()), std::vector<long>{42});
  // A curved one: sampled points lie on the curve, the polyline within one pixel of
  // it, and a larger scale gives more points.
  const zcBezierCurve arch(zcPoint(1, 1), zcPoint(1, 41), zcPoint(61, 41), zcPoint(61, 1));
  auto polyline = [&](double scale) {
    s.tablet.scaleExact(zcPair<double>(scale, scale));
    s.clear();
    s.tablet.draw(arch, pen(zcColor::red, 1), eImage);
    const Strings lines = s.image.callsOf("drawPolyline");
    EXPECT_EQ(lines.size(), 1u);
    return lines.empty() ? std::vector<zcPoint>() : verticesIn(lines[0]);
  };
  std::size_t previous = 0;
  for (const double scale : {1.0, 4.0, 16.0}) {
    const std::vector<zcPoint> v = polyline(scale);
    ASSERT_GE(v.size(), 3u) << scale;
    EXPECT_GT(v.size(), previous) << scale;
    previous = v.size();
    EXPECT_EQ(v.front(), zcPoint(scale, scale));
    EXPECT_EQ(v.back(), zcPoint(61 * scale, scale));
    const zcBezierCurve screen = arch.map(zcXform<2>::scaling(scale, scale));
    for (const zcPoint& p : v) EXPECT_LT(screen.distToPoint(p), 1e-6 * scale) << scale;
    double worst = 0;
    for (int i = 0; i <= 400; ++i) {
      const zcPoint c = screen.point(i / 400.0);
      double nearest = 1e300;
      for (std::size_t k = 0; k + 1 < v.size(); ++k) nearest = std::min(nearest, zcLineSeg(v[k], v[k + 1]).distToPoint(c));
      worst = std::max(worst, nearest);
    }
    EXPECT_LE(worst, 1.0 + 1e-9) << scale;
  }
  // A scale that would need more than 5000 points: the tolerance grows until the
  // sampling fits.
  const std::vector<zcPoint> huge = polyline(1e6);
  EXPECT_GE(huge.size(), 3u);
  EXPECT_LE(huge.size(), 5000u);
  EXPECT_EQ(opcodesOf(s.tablet.sketch()), std::vector<long>(5, 42));
}

TEST(TabletSections, ArcsEndsAndArrowHeadAndTheTwoOpcodes) {
  zcGraphicProps noArrow = pen(zcColor::red, 1);
  noArrow.arrowHead(false);
  const zcEllipseAnnulusSection full(quarter(0.5).annulus(), zcRadian(0), zcRadian(0), true);
  // The call; the arcs, whole ellipses, end segments and arrow strokes it paints; the
  // opcode, and the flag bytes after the 552 of the section (none for opcode 7).
  const std::tuple<std::function<void(zcUITablet&)>, std::vector<std::size_t>, long, Bytes> rows[] = {
      {[&](zcUITablet& t) { t.draw(quarter(0.5), noArrow, eImage); }, {2, 0, 2, 0}, 39, {0, 1}},
      {[&](zcUITablet& t) { t.draw(quarter(0.5), pen(zcColor::red, 1), eImage); }, {2, 0, 2, 2}, 7, {}},
      {[&](zcUITablet& t) { t.draw(quarter(0.5), zcColor::red, true, false, eImage); }, {2, 0, 2, 2}, 39, {1, 0}},
      {[&](zcUITablet& t) { t.draw(full, noArrow, eImage); }, {0, 2, 0, 0}, 39, {0, 1}}};
  for (const auto& [call, counts, opcode, flags] : rows) {
    Screen s;
    s.tablet.recordOn() = true;
    call(s.tablet);
    EXPECT_EQ((std::vector<std::size_t>{s.image.count("drawEllipseArc"), s.image.count("drawEllipse"),
                                        s.image.count("drawLineSeg"), s.image.count("drawToRelPels")}),
              counts) << opcode;
    const std::vector<Op> ops = opsOf(s.tablet.sketch());
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].opcode, opcode);
    ASSERT_EQ(ops[0].payload.size(), 552 + flags.size());
    EXPECT_EQ(Bytes(ops[0].payload.begin() + 552, ops[0].payload.end()), flags);
  }
}

TEST(TabletRecording, TextsAndPolylinesOfEveryLengthRecordTheirUtf16UnitsAndPoints) {
  // Lengths on both sides of the four and eight characters narrowed at a time, in
  // the basic plane throughout or with one character beyond it, beyond Unicode or
  // negative at each place: the payload ends with the units zfToUtf16 makes, then a 0.
  // The text follows another one, in a sketch whose capacity holds it with room to
  // spare (written in place, then widened there), holds it only if every character
  // is one unit (measured exactly first), or holds nothing (grown).
  const zcUIFormat format(0, zcUIFormat::eTopLeft);
  const auto unitsOf = [](const std::wstring& text) {
    Bytes units;
    for (const char16_t u : zfToUtf16(text) + u'\0') {
      units.push_back(static_cast<unsigned char>(u));
      units.push_back(static_cast<unsigned char>(u >> 8));
    }
    return units;
  };
  for (std::size_t n = 0; n <= 19; ++n) {
    for (const wchar_t odd : {wchar_t(0x10000), wchar_t(0x10FFFF), wchar_t(0x110000), wchar_t(-1)}) {
      for (std::size_t at = 0; at <= n; ++at) {  // at == n: none
        std::wstring text;
        for (std::size_t i = 0; i < n; ++i) text += i == at ? odd : wchar_t(i % 2 ? 0xFFFF : L'a' + i);
        // The first text's operation (the default properties: no block), and the
        // second's room with one unit a character.
        const long first = 8 + 30 + 4, narrow = 8 + 30 + 2 * static_cast<long>(n + 1);
        const long spare = first + narrow + 2 * static_cast<long>(n);
        for (const long capacity : {spare, first + narrow, 0L}) {
          zcUITablet t;
          if (capacity > 0) {
            t.sketch().append(capacity);
            t.sketch().erase();
          }
          t.draw(L"z", zcPoint(3, 4), zcColor::green, zcColor::blue, format, eImage);
          t.draw(text, zcPoint(1, 2), zcColor::red, zcColor::blue, format, eImage);
          const std::vector<zc_test::Op> ops = opsOf(t.sketch());
          ASSERT_EQ(ops.size(), 2u);
          EXPECT_EQ(Bytes(ops[0].payload.begin() + 30, ops[0].payload.end()), unitsOf(L"z"));
          const Bytes& payload = ops[1].payload;
          ASSERT_GE(payload.size(), 30u);
          EXPECT_EQ(Bytes(payload.begin() + 30, payload.end()), unitsOf(text))
              << "n " << n << ", at " << at << ", odd " << static_cast<long>(odd) << ", capacity " << capacity;
          if (capacity == spare) {
            EXPECT_EQ(t.sketch().capacity(), spare) << "widened in place, nothing grown";
          }
        }
      }
    }
  }
  // Polylines: fewer points than the four copied at a time, and more, overlapping the last four.
  for (int n = 0; n <= 13; ++n) {
    std::vector<zcPoint> points;
    Stream expected;
    expected.header(44, 0, kCyan).i32(n);
    for (int i = 0; i < n; ++i) {
      points.emplace_back(i + 0.25, -i * 1.5);
      expected.point(i + 0.25, -i * 1.5);
    }
    zcUITablet t;
    t.draw(zcPolyline(points, n % 2 == 1), zcGraphicProps(), eImage);
    EXPECT_EQ(bytesOf(t.sketch()), expected.u8(n % 2).get()) << "n " << n;
  }
}

// A call made on a shown, recording 100 × 80 tablet at a scale: every entry the two
// scopes logged, the opcodes recorded, and the whole recording where it is given.
struct Row {
  const char* name;
  double scale;
  std::function<void(zcUITablet&)> call;
  Strings image, overlay;
  std::vector<long> opcodes;
  Bytes sketch;
  std::function<void(zcUITablet&)> setUp = [](zcUITablet&) {};  // before the logs are cleared
};

std::vector<Row> rows() {
  using P = zcPoint;
  using D = zcPair<double>;
  const zcColor red = zcColor::red, blue = zcColor::blue;
  zcGraphicProps fancy = pen(red, 3, true);
  fancy.arrowHead(false);
  zcPelBuffer<unsigned char> pels(2, 1);
  pels.set(0, 0, 1);
  pels.set(1, 0, 2);
  const std::string lock = "lockScreenUpdatesPush 1", unlock = "lockScreenUpdatesPop -> 0",
                    inner = "lockScreenUpdatesPop -> 1";
  const auto stretch = [](zcUITablet& t) { t.baseMap(zcXform<2>::scaling(1, 3)); };
  return {
      {"a call for both layers records layer 2 and paints nothing", 1,
       [red](zcUITablet& t) {
         t.draw(zcLineSeg(P(1, 1), P(5, 1)), pen(red, 3), eBoth);
         t.drawCross(D(20, 30), zcRadian(0), red, eBoth);
       }, {}, {}, {2, 37},
       Stream().block(false, 3).header(2, 2, kRed).point(1, 1).point(5, 1).block(false, 1).header(37, 2, kRed)
           .point(20, 30).f64(0).i32(7).i32(0)},
      {"a circle paints its ellipse through the maps and records only the circle", 2,
       [](zcUITablet& t) { t.draw(zcCircle(P(1, 2), 3), pen(zcColor::red, 1, true), eOverlay); },
       {}, {"drawEllipse center=(2,4) radii=(6,6) rot=0 color=red width=1 fill"}, {29},
       Stream().block(true, 1).header(29, 1, kRed).point(1, 2).f64(3)},
      {"a point set of two adds a circle and a segment, its points painted with the pen color and width 1", 1,
       [fancy](zcUITablet& t) { t.draw(zcPointSet({P(1, 2), P(4, 6)}), fancy, eImage); },
       {"drawEllipse center=(1,2) radii=(5,5) rot=0 color=red width=3 fill noArrow",
        "drawLineSeg (1,2)-(4,6) color=red width=3 fill noArrow", "drawPoint (1,2) color=red width=1",
        "drawPoint (4,6) color=red width=1"}, {}, {29, 2, 0, 0},
       Stream().block(true, 3, false).header(29, 0, kRed).point(1, 2).f64(5).header(2, 0, kRed).point(1, 2).point(4, 6)
           .header(0, 0, kRed).point(1, 2).header(0, 0, kRed).point(4, 6)},
      {"a cross's strokes are its size in pixels", 1,
       [red](zcUITablet& t) { t.drawCross(D(20, 30), zcRadian(0), red, eImage); },
       {lock, "drawToRelPels (-14,0) from [27,30] color=red width=1",
        "drawToRelPels (0,-14) from [20,37] color=red width=1", unlock},
       {}, {37}, Stream().block(false, 1).header(37, 0, kRed).point(20, 30).f64(0).i32(7).i32(0)},
      {"outline3D draws its frames in the two colors", 1,
       [](zcUITablet& t) { t.outline3D(zcUIRect(10, 20, 3, 3), zcColor::white, zcColor::black, 5, eImage); },
       {lock, "drawToRelPels (2,0) from [10,20] color=white width=1",
        "drawToRelPels (0,2) from [12,20] color=black width=1", "drawToRelPels (-2,0) from [12,22] color=black width=1",
        "drawToRelPels (0,-2) from [10,22] color=white width=1", unlock},
       {}, {25}, Stream().header(25, 0, kIndex0).u8(1).rect(10, 20, 3, 3).bytes(kWhite).bytes(kBlack).i32(5)},
      {"set paints a pixel rectangle as it is, a client one through the maps", 2,
       [red](zcUITablet& t) {
         t.set(zcUIRect(1, 2, 3, 4), red, eImage);
         t.set(zcRect(1, 2, 3, 4), red, eOverlay);
       },
       {"setRect [1,2,3,4] color=red"}, {"setRect [2,4,6,8] color=red"}, {16, 16},
       Stream().header(16, 0, kRed).u8(1).rect(1, 2, 3, 4).header(16, 1, kRed).u8(0).bytes(rectImage(1, 2, 3, 4))},
      {"fill records its flag and its form", 2,
       [red, blue](zcUITablet& t) {
         t.fill(P(2.5, 3.5), red, blue, zcUITablet::eFillType0, eImage);
         t.fill(zcPair<long>(5, 6), red, blue, zcUITablet::eFillType1, eOverlay);
       },
       {"fill (5,7) fill=red boundary=blue type0=1"}, {"fill (5,6) fill=red boundary=blue type0=0"}, {19, 19},
       Stream().block(true, 1).header(19, 0, kRed).u8(0).point(2.5, 3.5).bytes(kBlue).i32(0)
           .header(19, 1, kRed).u8(1).i32(5).i32(6).bytes(kBlue).i32(1)},
      {"an arrow head follows the mapped direction under a stretch", 1,
       [red](zcUITablet& t) { t.arrowHead(P(20, 10), zcVector<2>(1, 0), 10, pen(red, 1), eImage); },
       {lock, "drawToRelPels (-5,-8) from [20,30] color=red width=1",
        "drawToRelPels (-5,8) from [20,30] color=red width=1", unlock}, {}, {26}, {}, stretch},
      {"coordinate axes are two segments and two arrow heads of 1.5 × 2 + 6 pixels", 1,
       [red](zcUITablet& t) { t.draw(zcCoordAxes(P(10, 10), P(50, 10), P(10, 50)), pen(red, 2), eImage); },
       {lock, "drawLineSeg (10,10)-(50,10) color=red width=2", "drawLineSeg (10,10)-(10,50) color=red width=2", lock,
        "drawToRelPels (-8,-4) from [50,10] color=red width=2", "drawToRelPels (-8,4) from [50,10] color=red width=2",
        inner, lock, "drawToRelPels (4,-8) from [10,50] color=red width=2",
        "drawToRelPels (-4,-8) from [10,50] color=red width=2", inner, unlock},
       {}, {10}, Stream().block(false, 2).header(10, 0, kRed).point(10, 10).point(50, 10).point(10, 50)},
      {"a rectangle is four strokes", 2, [red](zcUITablet& t) { t.draw(zcRect(1, 2, 3, 4), pen(red, 1), eImage); },
       {lock, "drawTo (8,4) from (2,4) color=red width=1", "drawTo (8,12) from (8,4) color=red width=1",
        "drawTo (2,12) from (8,12) color=red width=1", "drawTo (2,4) from (2,12) color=red width=1", unlock},
       {}, {32}, Stream().block(false, 1).header(32, 0, kRed).point(1, 2).point(3, 4)},
      {"drawGenRect", 1,
       [red](zcUITablet& t) { t.drawGenRect(D(20, 20), D(4, 2), zcRadian(0), D(1, 1), red, eImage); },
       {lock, "drawGenRect center=(20,20) matrix=[0.25,0,0,0.5] round=(0.25,0.5) color=red width=1", unlock}, {}, {8}, {}},
      {"the drawing-point argument paints at the scope's drawing point and records the caller's position", 2,
       [red, blue](zcUITablet& t) {
         t.drawStart(P(5, 6), eImage);
         t.draw(L"c", zcUITablet::drawPointArg(), red, blue, zcUIFormat(2, zcUIFormat::eTopLeft), eImage);
         t.draw(P(0, 0), pen(red, 1), eImage);  // an equal value
         t.drawTo(zcUITablet::drawPointArg(), red, eImage);
       },
       {"drawText \"c\" @drawPoint(10,12) fg=red bg=blue font=2 align=0", "drawPoint @drawPoint(10,12) color=red width=1",
        "drawTo @drawPoint(10,12) from (10,12) color=red width=1"}, {}, {20, 35, 0, 21},
       Stream().header(20, 0, kIndex0).point(5, 6).header(35, 0, kRed).point(0, 0).bytes(kBlue).i32(2).i32(0)
           .u8('c').u8(0).u8(0).u8(0).block(false, 1).header(0, 0, kRed).point(0, 0).header(21, 0, kRed).point(0, 0)},
      {"relative strokes and moves record truncated pixels", 1,
       [red](zcUITablet& t) {
         t.drawStart(P(10, 10), eImage);
         t.drawToRelPels(zcVector<2>(3, 4), 10.0f, red, eImage);
         t.moveToRelPels(-6, -8, eImage);
         t.drawTo(P(20, 10), red, eImage);
         t.drawToRelPels(-5, 2, pen(red, 1), eImage);
       },
       {"drawToRelPels (6,8) from [10,10] color=red width=1", "drawTo (20,10) from (10,10) color=red width=1",
        "drawToRelPels (-5,2) from [20,10] color=red width=1"}, {}, {20, 22, 23, 21, 22},
       Stream().header(20, 0, kIndex0).point(10, 10).block(false, 1).header(22, 0, kRed).i32(6).i32(8).block(false, 1)
           .header(23, 0, kIndex0).i32(-6).i32(-8).block(false, 1).header(21, 0, kRed).point(20, 10)
           .header(22, 0, kRed).i32(-5).i32(2)},
      {"a magnified 8-bit image takes the interpolation", 2,
       [pels](zcUITablet& t) { t.draw(pels, P(3, 4), true, 7, false, eImage); },
       {"drawMagnifiedPel8 (6,8) scale=(2,2) size=2x1 pass=1/7 flag=0 mode=5 pels=1,2"}, {}, {12}, {},
       [](zcUITablet& t) { t.interpolation(5); }},
      {"a point icon is centred on the point in the pen color", 1,
       [red](zcUITablet& t) { t.drawPointIcon(P(10, 10), red, eImage); },
       {"drawIcon (4,4) size=13x13 map=[red] pass=1/243 runs=243,6,0,1,243,6,0,0;243,6,0,1,243,6,0,0;243,6,0,1,243,6,0,0;"
        "243,4,0,5,243,4,0,0;243,3,0,1,243,2,0,1,243,2,0,1,243,3,0,0;243,3,0,1,243,2,0,1,243,2,0,1,243,3,0,0;0,13,0,0;"
        "243,3,0,1,243,2,0,1,243,2,0,1,243,3,0,0;243,3,0,1,243,2,0,1,243,2,0,1,243,3,0,0;243,4,0,5,243,4,0,0;"
        "243,6,0,1,243,6,0,0;243,6,0,1,243,6,0,0;243,6,0,1,243,6,0,0"}, {}, {1}, {}},
      {"a degenerate section is skipped", 1, [](zcUITablet& t) { t.draw(quarter(1.0), pen(zcColor::red, 1), eImage); },
       {}, {}, {}, {}},
      {"textRect asks the scope and records nothing", 2,
       [](zcUITablet& t) {
         zcUIRect out;
         t.textRect(L"abc", P(10, 10), zcUIFormat(0, zcUIFormat::eTopLeft), out, eImage);
         EXPECT_EQ(out, zcUIRect(20, 20, 24, 16));
       },
       {"textRect \"abc\" (20,20) font=0 align=0 -> [20,20,24,16]"}, {}, {}, {}},
  };
}

TEST(TabletCalls, EachPaintsAndRecordsExactlyAndFramesThatCannotShowCostNothing) {
  for (const Row& row : rows()) {
    SCOPED_TRACE(row.name);
    Screen s;
    s.tablet.recordOn() = true;
    s.tablet.scaleExact(zcPair<double>(row.scale, row.scale));
    row.setUp(s.tablet);
    s.clear();
    row.call(s.tablet);
    EXPECT_EQ(s.image.calls(), row.image);
    EXPECT_EQ(s.overlay.calls(), row.overlay);
    EXPECT_EQ(opcodesOf(s.tablet.sketch()), row.opcodes);
    EXPECT_TRUE(row.sketch.empty() || bytesOf(s.tablet.sketch()) == row.sketch);
  }
  // A frame 10⁹ pels wide around the 100 × 80 scope paints only the frames whose edges
  // can cross it (500 to 539 here, 4 strokes each), in one compound, and passes over the
  // 500 outer ones with one move.
  Screen s;
  s.tablet.outline3D(zcUIRect(-500, -500, 1101, 1081), zcColor::white, zcColor::black, 1000000000, eImage);
  const std::vector<std::string> strokes = s.image.callsOf("drawToRelPels");
  ASSERT_EQ(strokes.size(), 160u);
  EXPECT_EQ(strokes.front(), "drawToRelPels (100,0) from [0,0] color=white width=1");
  EXPECT_EQ(strokes.back(), "drawToRelPels (0,-2) from [39,41] color=white width=1");
  EXPECT_EQ(s.image.calls().size(), 162u);
}

// A shape kind that no tablet call knows.
class UnknownShape : public zcShape {
public:
  zcRect boundingBox() const override { return zcRect(0, 0, 1, 1); }
  zcPoint nearestPoint(const zcPoint& p) const override { return p; }
  zcShapePtr mapShape(const zcXform<2>&) const override { return zcShapePtr(new UnknownShape); }

protected:
  bool equal_(const zcShape&) const override { return true; }
  zcShape* cloneThat_() const override { return new UnknownShape; }
};

TEST(TabletDispatch, ShapesGoToTheCallOfTheirKind) {
  zcUITablet t;
  const zcGraphicProps props = pen(zcColor::red, 2);
  const zcCircle circle(zcPoint(1, 2), 3);
  t.draw(static_cast<const zcShape&>(circle), props, eImage);
  t.draw(static_cast<const zcShape&>(zcRect(1, 2, 3, 4)), props, eImage);
  const zcShapeTree tree({zcShapePtr(new zcCircle(zcPoint(1, 2), 3)),
                          zcShapePtr(new zcLineSeg(zcPoint(1, 1), zcPoint(2, 2)))});
  t.draw(static_cast<const zcShape&>(tree), props, eImage);
  const zcMappedShape moved(zcShapePtr(new zcCircle(zcPoint(1, 2), 3)), zcXform<2>::translation(zcVector<2>(10, 0)));
  t.draw(static_cast<const zcShape&>(moved), props, eImage);
  const zcInterpSpline spline({zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, 0)});
  t.draw(static_cast<const zcShape&>(spline), props, eImage);
  EXPECT_EQ(opcodesOf(t.sketch()), (std::vector<long>{4, 32, 4, 2, 4, 43}));
  const std::vector<Op> ops = opsOf(t.sketch());
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[4].payload, Stream().point(11, 2).f64(3).get());
  EXPECT_EQ(zfLoadI32(ops[5].payload.data()), 2);  // two pieces
  const Bytes before = bytesOf(t.sketch());
  EXPECT_THROW(t.draw(UnknownShape(), props, eImage), zcUIError::NotImplemented);
  EXPECT_EQ(bytesOf(t.sketch()), before);
}

// --- Replay --------------------------------------------------------------------------------------

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
  const zcEllipseArc arc(ellipse(), R(0.5), R(2));
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
      ROW(t.draw(P(3, 4), wide(), l)), ROW(t.draw(zc2Point(P(3, 4)), wide(), l)),
      ROW(t.draw(zcUITablet::drawPointArg(), wide(), l)), ROW(t.drawPixel(D(7.5, 2), zcColor::orange, l)),
      ROW(t.drawPointIcon(P(20, 20), wide(), l)), ROW(t.drawPointIcon(P(20, 20), zcColor::yellow, l)),
      ROW(t.draw(zcPointSet({P(3, 4)}), thin(), l)), ROW(t.draw(zcPointSet({P(3, 4), P(6, 8)}), blue, l)),
      // Lines.
      ROW(t.draw(seg, wide(), l)), ROW(t.drawLineSeg(D(1, 2), D(30, 12), blue, l)),
      ROW(t.draw(zcLineSegSet({zcLineSeg(P(1, 2), P(3, 4)), zcLineSeg(P(5, 5), P(9, 1))}), wide(), l)),
      ROW(t.draw(zcLine(P(10, 12), R(0.3)), wide(), l)), ROW(t.drawLine(D(10, 12), R(-1.1), blue, l)),
      ROW(t.draw(polygon, filled(), l)),
      ROW(t.drawPolygon({P(1, 1), P(9, 2), P(5, 8), P(2, 6)}, zcPolygon::eAlternate, blue, l)),
      ROW(t.draw(zcPolyline({P(1, 1), P(9, 2), P(5, 8)}, true), wide(), l)), ROW(t.draw(b1, wide(), l)),
      ROW(t.draw(zcCubicSpline({b1, b2}), wide(), l)),
      // Conics.
      ROW(t.draw(zcCircle(P(20, 15), 6), filled(), l)), ROW(t.drawCircle(D(20, 15), 6, blue, l, true)),
      ROW(t.draw(ellipse(), blue, true, l)), ROW(t.drawEllipse(D(30, 20), D(12, 6), R(0.3), blue, l)),
      ROW(t.draw(arc, wide(), l)), ROW(t.drawEllipseArc(D(30, 20), D(12, 6), R(0.3), R(0.5), R(2), blue, l)),
      ROW(t.draw(ellipse2, wide(), l)), ROW(t.draw(zcEllipseArc2(ellipse2b, R(0.5), R(2)), wide(), l)),
      ROW(t.draw(section(), wide(), l)), ROW(t.draw(section(), noArrow(), l)),
      ROW(t.draw(zcAnnulus(P(20, 15), 3, 7), blue, l)), ROW(t.draw(genAnnulus, blue, l)),
      // Rectangles.
      ROW(t.draw(sharp, wide(), l)), ROW(t.draw(sharp, blue, true, l)), ROW(t.draw(oval, filled(), l)),
      ROW(t.drawGenRect(D(20, 15), D(6, 3), R(0.4), D(2, 1), blue, l, true)),
      ROW(t.draw(zcRect(2, 3, 20, 10), wide(), l)), ROW(t.draw(zcRect(2, 3, 20, 10), blue, true, l)),
      ROW(t.drawRect(D(2, 3), D(20, 10), blue, l)), ROW(t.draw(affine, filled(), l)),
      ROW(t.drawAffineRect(D(2, 2), D(12, 4), D(0, 9), blue, l)),
      // Generalized polygons and wireframes.
      ROW(t.draw(genPoly, wide(), l)), ROW(t.draw(genPoly.map(zcXform<2>::scaling(1.5, -1)), blue, true, l)),
      ROW(t.draw(wireframe, filled(), l)), ROW(t.draw(wireframe.map(zcXform<2>::scaling(-1, 1)), blue, false, l)),
      // Markers, generic shapes and dispatch, text.
      ROW(t.draw(zcCross(P(20, 15), R(0.7), 9), wide(), l)), ROW(t.drawCross(D(20, 15), R(2.5), blue, l)),
      ROW(t.draw(axes, blue, l)), ROW(t.arrowHead(P(20, 15), V(2, -1), 9.5f, wide(), l)),
      ROW(t.draw(zcGenShape(zcCircle(P(20, 15), 4)), blue, l)),
      ROW(t.draw(zcGenShape(), blue, l)), ROW(t.draw(static_cast<const zcShape&>(tree), wide(), l)),
      ROW(t.draw(text, P(12, 30), zcColor::red, zcColor::white, format, l)),
      ROW(t.draw(L"x", zcUITablet::drawPointArg(), zcColor::red, zcColor::white, format, l)),
      // Strokes from the drawing point.
      ROW_MOVE(t.drawStart(P(3, 4), l)), ROW(t.drawTo(P(13, 9), wide(), l)), ROW(t.drawToRelPels(7, -3, blue, l)),
      ROW(t.drawToRelPels(V(2, 1), 9.5f, wide(), l)), ROW_MOVE(t.moveToRelPels(5, 6, l)),
      ROW_MOVE(t.moveToRelPels(V(1, 1), 7.0f, l)),
      // Areas.
      ROW(t.set(zcColor::dkGrey, l)), ROW(t.set(ui, blue, l)), ROW(t.set(rect, blue, l)),
      ROW(t.setComplement(ui, blue, l)), ROW(t.setComplement(rect, blue, l)),
      ROW(t.fill(P(7.5, 8.25), zcColor::red, blue, zcUITablet::eFillType0, l)),
      ROW(t.fill(zcPair<long>(7, 8), zcColor::red, blue, zcUITablet::eFillType1, l)),
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
      for (const Op& op : opsOf(recorder.sketch())) {
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

// A sketch whose first operation is good and whose second is `bad`.
zcUISketch withBadTail(const Bytes& bad) {
  zcUITablet recorder;
  recorder.draw(zcLineSeg(zcPoint(1, 1), zcPoint(11, 1)), zcColor::red, eImage);
  zcUISketch s = recorder.sketch();
  s.append(bad.data(), static_cast<long>(bad.size()));
  return s;
}

TEST(TabletReplay, OffsetMovesTheReplayNestedSketchesAddTheirOwnAndMalformedOnesLeaveTheTabletAsItWas) {
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
            Stream().header(15, 0, kIndex0).point(5, 7).i32(std::int32_t(recorded.size())).bytes(recorded).get());

  // A malformed sketch raises and leaves the tablet as it was.
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

  // On the same recording tablet at scale 2:
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

// The drawing tablet: what a call records (properties block, header, payload), when
// it paints (okToDraw), how the maps are built, and how the composite calls paint.
#include "support/tablet_screen.h"

#include "dispc/sketchop.h"
#include "dispc/uitablet.h"

#include "zfound/bytes.h"
#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/trees.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using zc_test::bytesOf;
using zc_test::opcodesOf;
using zc_test::opsOf;
using zc_test::Screen;
using Bytes = std::vector<unsigned char>;
using Strings = std::vector<std::string>;

constexpr auto eImage = zcUITablet::eImage;
constexpr auto eOverlay = zcUITablet::eOverlay;
constexpr auto eBoth = zcUITablet::eBothLayers;
constexpr auto eStyle = zcGraphicProps::ePenStyleDefault;

// The six bytes a sketch stores for a color: kind flags, index, red, green, blue, 0.
const Bytes kRed = {7, 249, 255, 0, 0, 0};
const Bytes kCyan = {7, 254, 0, 255, 255, 0};
const Bytes kBlue = {7, 252, 0, 0, 255, 0};
const Bytes kWhite = {7, 255, 255, 255, 255, 0};
const Bytes kBlack = {7, 0, 0, 0, 0, 0};
const Bytes kIndex0 = {4, 0, 0, 0, 0, 0};

// Expected sketch bytes, written out field by field.
class Stream {
public:
  Stream& u8(unsigned v) {
    bytes_.push_back(static_cast<unsigned char>(v));
    return *this;
  }
  Stream& i32(std::int32_t v) {
    unsigned char b[4];
    zfStoreI32(b, v);
    return raw(b, 4);
  }
  Stream& f32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    unsigned char b[4];
    zfStoreU32(b, bits);
    return raw(b, 4);
  }
  Stream& f64(double v) {
    unsigned char b[8];
    zfStoreF64(b, v);
    return raw(b, 8);
  }
  Stream& point(double x, double y) { return f64(x).f64(y); }
  Stream& bytes(const Bytes& b) { return raw(b.data(), b.size()); }
  // A properties block: 40, version 0, fill, width, style, join, end cap, arrow
  // head, arrow head forward, show vertex.
  Stream& block(bool fill, std::int32_t width, bool arrow = true, bool forward = true) {
    return u8(40).u8(0).u8(fill).i32(width).i32(0).i32(0).i32(0).u8(arrow).u8(forward).u8(0);
  }
  Stream& header(unsigned opcode, unsigned layer, const Bytes& color) { return u8(opcode).u8(layer).bytes(color); }
  const Bytes& get() const { return bytes_; }

private:
  Stream& raw(const unsigned char* p, std::size_t n) {
    bytes_.insert(bytes_.end(), p, p + n);
    return *this;
  }
  Bytes bytes_;
};

zcGraphicProps pen(const zcColor& color, long width, bool fill = false) {
  return zcGraphicProps(color, width, eStyle, fill);
}

// The numbers of a log entry before its properties (" color=..."), in order.
std::vector<double> numbersIn(const std::string& entry) {
  const std::string head = entry.substr(0, entry.find(" color="));
  std::vector<double> out;
  const char* p = head.c_str();
  while (*p) {
    if ((*p >= '0' && *p <= '9') || ((*p == '-' || *p == '.') && (p[1] >= '0' && p[1] <= '9'))) {
      char* end = nullptr;
      out.push_back(std::strtod(p, &end));
      p = end;
    } else {
      ++p;
    }
  }
  return out;
}

// The vertices of a drawPolyline or drawPolygon entry.
std::vector<zcPoint> verticesIn(const std::string& entry) {
  const std::vector<double> n = numbersIn(entry);
  std::vector<zcPoint> out;
  for (std::size_t i = 1; i + 1 < n.size(); i += 2) out.emplace_back(n[i], n[i + 1]);
  return out;
}

// --- Recording --------------------------------------------------------------------------

TEST(TabletRecording, RecorderWritesBlockHeaderAndPayloadButNeverDraws) {
  zcUITablet t;
  EXPECT_FALSE(t.drawOn());
  EXPECT_TRUE(t.recordOn());
  EXPECT_FALSE(t.drawOnOverlay());
  EXPECT_FALSE(t.okToDraw(eImage));
  EXPECT_FALSE(t.okToDraw(eOverlay));

  const zcLineSeg seg(zcPoint(0, 0), zcPoint(10, 0));
  t.draw(seg, pen(zcColor::red, 3), eImage);
  Stream op;
  op.header(2, 0, kRed).point(0, 0).point(10, 0);
  Stream first;
  first.block(false, 3).bytes(op.get());
  ASSERT_EQ(t.sketch().size(), 22 + 8 + 32);
  EXPECT_EQ(bytesOf(t.sketch()), first.get());

  // The same properties again: header and payload only.
  t.draw(seg, pen(zcColor::red, 3), eImage);
  Stream twice;
  twice.bytes(first.get()).bytes(op.get());
  EXPECT_EQ(bytesOf(t.sketch()), twice.get());

  // Default properties need no block.
  zcUITablet plain;
  plain.draw(seg, zcGraphicProps(), eImage);
  EXPECT_EQ(bytesOf(plain.sketch()), Stream().header(2, 0, kCyan).point(0, 0).point(10, 0).get());
}

TEST(TabletRecording, PushingFalseOnRecordOnSuspendsRecording) {
  zcUITablet t;
  const zcLineSeg seg(zcPoint(1, 1), zcPoint(5, 1));
  t.draw(seg, pen(zcColor::red, 3), eImage);
  const Bytes before = bytesOf(t.sketch());

  t.recordOn().push(false);
  t.draw(seg, pen(zcColor::blue, 2), eOverlay);
  t.drawStart(zcPoint(1, 2), eImage);
  t.set(zcUIRect(0, 0, 4, 4), zcColor::red, eImage);
  t.set(zcColor::red, eImage);  // without recording it does not empty the sketch
  EXPECT_EQ(bytesOf(t.sketch()), before);

  EXPECT_FALSE(t.recordOn().pop());
  EXPECT_EQ(t.recordOn().depth(), 1);
  t.draw(seg, pen(zcColor::red, 3), eImage);
  EXPECT_EQ(t.sketch().size(), static_cast<long>(before.size()) + 40);
}

TEST(TabletRecording, PropertiesBlocksFollowEveryChange) {
  zcUITablet t;
  const zcLineSeg seg(zcPoint(1, 1), zcPoint(5, 1));
  t.draw(seg, pen(zcColor::red, 3), eImage);  // P
  t.draw(seg, pen(zcColor::red, 5), eImage);  // Q
  t.draw(seg, pen(zcColor::red, 3), eImage);  // P
  t.draw(seg, pen(zcColor::red, 3), eImage);  // P again: no block
  // The properties compare their pen color too, although the block does not carry it.
  t.draw(seg, pen(zcColor::blue, 3), eImage);
  const std::vector<zc_test::Op> ops = opsOf(t.sketch());
  ASSERT_EQ(ops.size(), 5u);
  const bool blocks[] = {true, true, true, false, true};
  const long widths[] = {3, 5, 3, 3, 3};
  for (std::size_t i = 0; i < ops.size(); ++i) {
    EXPECT_EQ(ops[i].block, blocks[i]) << i;
    EXPECT_EQ(ops[i].props.penWidth(), widths[i]) << i;
  }
  EXPECT_EQ(ops[4].color, zcColor::blue);
  EXPECT_EQ(t.sketch().size(), 4 * 22 + 5 * 40);
}

TEST(TabletRecording, CallsWithoutPropertiesRecordTheDefaults) {
  zcUITablet t;
  t.draw(zcLineSeg(zcPoint(1, 1), zcPoint(5, 1)), pen(zcColor::red, 3), eImage);
  const long start = t.sketch().size();
  t.drawStart(zcPoint(1, 2), eOverlay);
  t.moveToRelPels(3, -4, eImage);
  t.set(zcUIRect(1, 2, 3, 4), zcColor::blue, eImage);
  t.drawClipRect(zcRect(1, 2, 3, 4), eOverlay);

  Stream expected;
  expected.block(false, 1).header(20, 1, kIndex0).point(1, 2);  // default properties, index color 0
  expected.header(23, 0, kIndex0).i32(3).i32(-4);
  expected.header(16, 0, kBlue).u8(1).i32(1).i32(2).i32(3).i32(4);  // the given color
  expected.header(47, 1, kCyan).point(1, 2).point(3, 4);            // the default pen color
  const Bytes all = bytesOf(t.sketch());
  EXPECT_EQ(Bytes(all.begin() + start, all.end()), expected.get());
}

// --- Drawing: okToDraw ------------------------------------------------------------------

TEST(TabletOkToDraw, BothLayersRecordsLayerTwoAndPaintsNothing) {
  Screen s;
  EXPECT_FALSE(s.tablet.recordOn());
  s.tablet.recordOn() = true;
  EXPECT_FALSE(s.tablet.okToDraw(eBoth));
  s.tablet.draw(zcLineSeg(zcPoint(1, 1), zcPoint(5, 1)), pen(zcColor::red, 3), eBoth);
  s.tablet.drawCross(zcPair<double>(20, 30), zcRadian(0), zcColor::red, eBoth);
  EXPECT_TRUE(s.image.calls().empty());
  EXPECT_TRUE(s.overlay.calls().empty());
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].layer, eBoth);
  EXPECT_EQ(bytesOf(s.tablet.sketch())[22 + 1], 2);
  EXPECT_EQ(ops[1].opcode, 37);
  EXPECT_EQ(ops[1].layer, eBoth);
}

TEST(TabletOkToDraw, EachConditionSuppressesPainting) {
  Screen s;
  auto paints = [&s](zcUITablet::Layers layer) {
    s.clear();
    const bool ok = s.tablet.okToDraw(layer);
    s.tablet.draw(zcPoint(1, 2), zcColor::red, layer);
    const bool painted = s.scope(layer).count("drawPoint") == 1;
    EXPECT_EQ(ok, painted) << layer;
    return painted;
  };
  EXPECT_TRUE(paints(eImage));
  EXPECT_TRUE(paints(eOverlay));
  EXPECT_FALSE(s.tablet.okToDraw(static_cast<zcUITablet::Layers>(-1)));

  // 1. Hidden (hides nest: two hides need two shows).
  s.tablet.visible(false);
  s.tablet.visible(false);
  s.tablet.visible(true);
  EXPECT_FALSE(paints(eImage));
  EXPECT_FALSE(paints(eOverlay));
  s.tablet.visible(true);
  EXPECT_TRUE(paints(eImage));

  // 2. drawOn off stops both layers.
  s.tablet.drawOn().push(false);
  EXPECT_FALSE(paints(eImage));
  EXPECT_FALSE(paints(eOverlay));
  s.tablet.drawOn().pop();

  // 3. drawOnOverlay off stops the overlay only.
  s.tablet.drawOnOverlay() = false;
  EXPECT_FALSE(paints(eOverlay));
  EXPECT_TRUE(paints(eImage));
  s.tablet.drawOnOverlay() = true;

  // 4. No scope for the layer.
  {
    zcLoggingScope image(zcPair<long>(50, 50));
    zcUITablet t(&image, nullptr);
    t.visible(true);
    EXPECT_TRUE(t.okToDraw(eImage));
    EXPECT_FALSE(t.okToDraw(eOverlay));
    image.clear();
    t.draw(zcPoint(1, 2), zcColor::red, eOverlay);
    EXPECT_TRUE(image.calls().empty());
  }

  // 5. An inhibited scope, unless it collects client changes.
  s.image.setInhibited(true);
  EXPECT_FALSE(paints(eImage));
  EXPECT_TRUE(paints(eOverlay));
  s.image.clientChangeEnable(true);
  EXPECT_TRUE(paints(eImage));
}

TEST(TabletOkToDraw, TimeStampMovesAtMostOncePerTabletBetweenChanges) {
  Screen a, b;
  const std::uint32_t c0 = zcUITablet::timeStamp();
  a.tablet.draw(zcPoint(1, 2), zcColor::red, eImage);
  EXPECT_EQ(zcUITablet::timeStamp(), c0 + 1);
  EXPECT_EQ(a.tablet.drawStamp(), c0 + 1);
  a.tablet.draw(zcPoint(1, 2), zcColor::red, eOverlay);
  a.tablet.draw(zcLineSeg(zcPoint(1, 1), zcPoint(2, 2)), zcColor::red, eImage);
  EXPECT_EQ(zcUITablet::timeStamp(), c0 + 1);

  b.tablet.draw(zcPoint(1, 2), zcColor::red, eImage);
  EXPECT_EQ(zcUITablet::timeStamp(), c0 + 2);
  EXPECT_EQ(b.tablet.drawStamp(), c0 + 2);
  a.tablet.draw(zcPoint(1, 2), zcColor::red, eImage);
  EXPECT_EQ(zcUITablet::timeStamp(), c0 + 3);
  EXPECT_EQ(a.tablet.drawStamp(), c0 + 3);

  // Calls that do not paint take no stamp.
  b.tablet.draw(zcPoint(1, 2), zcColor::red, eBoth);
  b.tablet.drawOn().push(false);
  b.tablet.draw(zcPoint(1, 2), zcColor::red, eImage);
  EXPECT_EQ(zcUITablet::timeStamp(), c0 + 3);
  EXPECT_EQ(b.tablet.drawStamp(), c0 + 2);
}

// --- Maps -------------------------------------------------------------------------------

TEST(TabletMaps, ScaleExactChoosesTheModeByTheXFactor) {
  zcUITablet t;
  EXPECT_EQ(t.scaleMode(), zcUITablet::eNoScale);
  EXPECT_EQ(t.scaleExact(), zcPair<double>(1, 1));
  EXPECT_TRUE(t.scaledMap().isIdentity());

  t.baseMap(zcXform<2>::translation(zcVector<2>(4, 6)));
  t.scaleExact(zcPair<double>(1.0000005, 3));
  EXPECT_EQ(t.scaleMode(), zcUITablet::eNoScale);
  EXPECT_EQ(t.scaleExact(), zcPair<double>(1.0000005, 3));
  EXPECT_EQ(t.scaledMap(), t.baseMap());

  // The scaling applies after the base map: (10, 20) -> (14, 26) -> scaled.
  t.scaleExact(zcPair<double>(0.5, 0.5));
  EXPECT_EQ(t.scaleMode(), zcUITablet::eReduce);
  EXPECT_EQ(t.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(7, 13));
  EXPECT_EQ(t.scale(), zcPair<long>(2, 2));

  t.scaleExact(zcPair<double>(2, 3));
  EXPECT_EQ(t.scaleMode(), zcUITablet::eMagnify);
  EXPECT_EQ(t.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(28, 78));
  EXPECT_EQ(t.scale(), zcPair<long>(2, 3));

  // Only x decides; in eReduce factors not both above 1 multiply.
  t.scaleExact(zcPair<double>(0.25, 3));
  EXPECT_EQ(t.scaleMode(), zcUITablet::eReduce);
  EXPECT_EQ(t.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(3.5, 78));
  EXPECT_EQ(t.scale(), zcPair<long>(4, 3));
  t.scaleExact(zcPair<double>(1, 5));
  EXPECT_EQ(t.scaleMode(), zcUITablet::eNoScale);
  EXPECT_EQ(t.scaledMap(), t.baseMap());
  t.scaleExact(zcPair<double>(2.7, 0.4));
  EXPECT_EQ(t.scale(), zcPair<long>(2, 2));
}

TEST(TabletMaps, IntegerScaleKeepsTheModeAndReduceDivides) {
  zcUITablet t;
  t.scaleMode(zcUITablet::eReduce);
  t.scale(zcPair<long>(2, 2));
  EXPECT_EQ(t.scaleMode(), zcUITablet::eReduce);
  EXPECT_EQ(t.scaleExact(), zcPair<double>(2, 2));
  EXPECT_EQ(t.scale(), zcPair<long>(2, 2));
  EXPECT_EQ(t.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(5, 10));

  t.scale(zcPair<long>(2, 1));
  EXPECT_EQ(t.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(20, 20));
  t.scale(zcPair<long>(4, 2));
  t.scaleMode(zcUITablet::eMagnify);
  EXPECT_EQ(t.scaledMap().mapPoint(zcPoint(10, 20)), zcPoint(40, 40));
  t.scaleMode(zcUITablet::eNoScale);
  EXPECT_TRUE(t.scaledMap().isIdentity());
}

TEST(TabletMaps, RefusedFactorsAndMapsChangeNothing) {
  zcUITablet t;
  t.baseMap(zcXform<2>::translation(zcVector<2>(1, 2)));
  t.scaleExact(zcPair<double>(2, 2));
  const zcXform<2> base = t.baseMap();
  const zcXform<2> scaled = t.scaledMap();
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
}

TEST(TabletMaps, CoordinateHelpersUseTheScaledMapAndTheToleranceFloor) {
  zcUITablet t;
  t.scaleExact(zcPair<double>(2, 2));
  EXPECT_EQ(t.scopeCoords(zcPoint(1.25, -0.25)), zcPair<long>(2, -1));
  EXPECT_EQ(t.scopeCoords(zcPoint(1.499999999999995, 0)), zcPair<long>(3, 0));  // 2.99999999999999
  EXPECT_EQ(t.screenCoords(zcPoint(1.25, -0.25)), zcPair<long>(2, -1));
  EXPECT_EQ(t.tabletCoords(zcPair<long>(3, -1)), zcPoint(1.5, -0.5));

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
  zcUITablet recorder;
  EXPECT_EQ(recorder.drawingPoint(eImage), zcPoint(0, 0));
}

class RedrawCounter : public zcUITablet {
public:
  using zcUITablet::zcUITablet;
  int redraws = 0;
  int mapChanges = 0;
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
  EXPECT_EQ(t.redraws, 4);
  EXPECT_EQ(kid.mapChanges, 4);
  EXPECT_EQ(t.layers, eBoth);
  EXPECT_FALSE(t.recordedWhileRedrawing);
  EXPECT_TRUE(t.recordOn());

  t.interpolation(3);
  EXPECT_EQ(t.interpolation(), 3);
  EXPECT_EQ(t.redraws, 5);
  t.interpolation(3);
  EXPECT_EQ(t.redraws, 5);

  // A hidden tablet recomputes its map without redrawing.
  t.visible(false);
  t.scaleExact(zcPair<double>(1, 1));
  EXPECT_EQ(t.redraws, 5);
  EXPECT_TRUE(t.scaledMap().mapPoint(zcPoint(0, 0)) == zcPoint(1, 1));
}

// --- Composite drawing ------------------------------------------------------------------

TEST(TabletCircles, RecordOnlyTheCircleAndPaintItsEllipse) {
  zcUITablet t;
  t.draw(zcCircle(zcPoint(1, 2), 3), pen(zcColor::red, 1, true), eOverlay);
  EXPECT_EQ(bytesOf(t.sketch()), Stream().block(true, 1).header(29, 1, kRed).point(1, 2).f64(3).get());

  t.sketch().erase();
  t.draw(zcCircle(zcPoint(1, 2), 3), zcColor::red, false, eImage);
  t.drawCircle(zcPair<double>(1, 2), 3, zcColor::red, eImage, true);
  t.drawCircle(zcPair<double>(1, 2), 3, zcColor::red, eImage);
  EXPECT_EQ(opcodesOf(t.sketch()), (std::vector<long>{4, 29, 4}));

  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.draw(zcCircle(zcPoint(1, 2), 3), pen(zcColor::red, 1, true), eImage);
  EXPECT_EQ(s.image.calls(), Strings{"drawEllipse center=(2,4) radii=(6,6) rot=0 color=red width=1 fill"});
  EXPECT_EQ(opcodesOf(s.tablet.sketch()), std::vector<long>{29});
  EXPECT_EQ(s.tablet.sketch().size(), 22 + 8 + 24);
}

TEST(TabletPointSets, OnePointIsAPointTwoAddACircleAndASegment) {
  zcUITablet t;
  t.draw(zcPointSet({zcPoint(1, 2)}), pen(zcColor::red, 3), eImage);
  std::vector<zc_test::Op> ops = opsOf(t.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 0);
  EXPECT_EQ(ops[0].payload, Stream().point(1, 2).get());

  t.sketch().erase();
  t.draw(zcPointSet({zcPoint(1, 2), zcPoint(4, 6)}), pen(zcColor::red, 3), eImage);
  ops = opsOf(t.sketch());
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].opcode, 4);
  EXPECT_EQ(ops[0].payload, Stream().point(1, 2).f64(5).get());
  EXPECT_EQ(ops[1].opcode, 2);
  EXPECT_EQ(ops[1].payload, Stream().point(1, 2).point(4, 6).get());
  EXPECT_EQ(ops[2].opcode, 0);
  EXPECT_EQ(ops[2].payload, Stream().point(1, 2).get());
  EXPECT_EQ(ops[3].opcode, 0);
  EXPECT_EQ(ops[3].payload, Stream().point(4, 6).get());
  for (const zc_test::Op& op : ops) EXPECT_EQ(op.props.penWidth(), 3);

  // The points themselves are painted with the pen color and width 1 only.
  Screen s;
  s.tablet.recordOn() = true;
  zcGraphicProps fancy = pen(zcColor::red, 3, true);
  fancy.arrowHead(false);
  s.tablet.draw(zcPointSet({zcPoint(1, 2), zcPoint(4, 6)}), fancy, eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"drawEllipse center=(1,2) radii=(5,5) rot=0 color=red width=3 fill noArrow",
                                      "drawLineSeg (1,2)-(4,6) color=red width=3 fill noArrow",
                                      "drawPoint (1,2) color=red width=1", "drawPoint (4,6) color=red width=1"}));
  EXPECT_EQ(opcodesOf(s.tablet.sketch()), (std::vector<long>{29, 2, 0, 0}));
}

TEST(TabletPointSets, SegmentSetsDrawAndRecordEachMember) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.draw(zcLineSegSet({zcLineSeg(zcPoint(1, 1), zcPoint(5, 1)), zcLineSeg(zcPoint(2, 2), zcPoint(2, 9))}),
                pen(zcColor::red, 2), eImage);
  EXPECT_EQ(s.image.calls(),
            (Strings{"drawLineSeg (1,1)-(5,1) color=red width=2", "drawLineSeg (2,2)-(2,9) color=red width=2"}));
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[1].opcode, 2);
  EXPECT_EQ(ops[1].payload, Stream().point(2, 2).point(2, 9).get());
}

TEST(TabletCrosses, StrokesAreSizePixelsWhateverTheScale) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.drawCross(zcPair<double>(20, 30), zcRadian(0), zcColor::red, eImage);
  EXPECT_EQ(s.image.callsOf("drawToRelPels"), (Strings{"drawToRelPels (-14,0) from [27,30] color=red width=1",
                                                       "drawToRelPels (0,-14) from [20,37] color=red width=1"}));
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 37);
  EXPECT_EQ(ops[0].payload, Stream().point(20, 30).f64(0).i32(7).i32(0).get());

  // A quarter turn of size 5 with the center scaled by 2: c = 0, s = 5.
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.draw(zcCross(zcPoint(20, 30), zcRadian(zkPi / 2), 5), pen(zcColor::blue, 2), eImage);
  EXPECT_EQ(s.image.callsOf("drawToRelPels"), (Strings{"drawToRelPels (0,-10) from [40,65] color=blue width=2",
                                                       "drawToRelPels (10,0) from [35,60] color=blue width=2"}));
}

TEST(TabletFrames, Outline3DDrawsFramesUntilTheyVanish) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.outline3D(zcUIRect(10, 20, 3, 3), zcColor::white, zcColor::black, 5, eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"lockScreenUpdatesPush 1",
                                      "drawToRelPels (2,0) from [10,20] color=white width=1",
                                      "drawToRelPels (0,2) from [12,20] color=black width=1",
                                      "drawToRelPels (-2,0) from [12,22] color=black width=1",
                                      "drawToRelPels (0,-2) from [10,22] color=white width=1",
                                      "lockScreenUpdatesPop -> 0"}));
  std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 25);
  EXPECT_EQ(ops[0].payload,
            Stream().u8(1).i32(10).i32(20).i32(3).i32(3).bytes(kWhite).bytes(kBlack).i32(5).get());

  // A 10 × 6 rectangle holds three frames, each one pixel further in.
  s.clear();
  s.tablet.outline(zcUIRect(0, 0, 10, 6), zcColor::red, 5, eOverlay);
  const Strings strokes = s.overlay.callsOf("drawToRelPels");
  ASSERT_EQ(strokes.size(), 12u);
  EXPECT_EQ(strokes[4], "drawToRelPels (7,0) from [1,1] color=red width=1");
  EXPECT_EQ(strokes[8], "drawToRelPels (5,0) from [2,2] color=red width=1");
  EXPECT_EQ(strokes[11], "drawToRelPels (0,-1) from [2,3] color=red width=1");

  // The client form converts to pixels through the maps and records form 0.
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.tablet.sketch().erase();
  s.clear();
  s.tablet.outline3D(zcRect(1, 2, 3, 4), zcColor::white, zcColor::black, 1, eImage);
  EXPECT_EQ(s.image.callsOf("drawToRelPels").at(0), "drawToRelPels (5,0) from [2,4] color=white width=1");
  ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  ASSERT_EQ(ops[0].payload.size(), 105u);
  EXPECT_EQ(ops[0].payload[0], 0);
  EXPECT_EQ(zfLoadF64(ops[0].payload.data() + 1 + 16), 1);
  EXPECT_EQ(zfLoadF64(ops[0].payload.data() + 1 + 40), 4);
  EXPECT_EQ(Bytes(ops[0].payload.begin() + 89, ops[0].payload.end()),
            Stream().bytes(kWhite).bytes(kBlack).i32(1).get());
}

TEST(TabletAreas, SetColorEmptiesTheSketchAndKeepsTheClipRectangle) {
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
  s.tablet.set(zcColor::red, eOverlay);
  EXPECT_EQ(s.overlay.calls(), Strings{"setAll color=red"});
  EXPECT_TRUE(s.image.calls().empty());
}

TEST(TabletAreas, SetRecordsItsFormAndPaintsPixels) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.set(zcUIRect(1, 2, 3, 4), zcColor::red, eImage);
  s.tablet.set(zcRect(1, 2, 3, 4), zcColor::red, eOverlay);
  EXPECT_EQ(s.image.calls(), Strings{"setRect [1,2,3,4] color=red"});
  EXPECT_EQ(s.overlay.calls(), Strings{"setRect [2,4,6,8] color=red"});

  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].opcode, 16);
  EXPECT_EQ(ops[0].color, zcColor::red);
  EXPECT_EQ(ops[0].payload, Stream().u8(1).i32(1).i32(2).i32(3).i32(4).get());
  EXPECT_EQ(ops[1].opcode, 16);
  ASSERT_EQ(ops[1].payload.size(), 89u);
  EXPECT_EQ(ops[1].payload[0], 0);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(zfLoadF64(ops[1].payload.data() + 17 + 8 * k), k + 1.0);
}

TEST(TabletAreas, SetComplementPaintsEverythingOutsideTheRectangle) {
  Screen s;
  s.tablet.recordOn() = true;
  auto coverage = [&s](const zcUIRect& hole) {
    std::vector<int> painted(100 * 80, 0);
    for (const std::string& e : s.image.callsOf("setRect")) {
      const std::vector<double> n = numbersIn(e);
      EXPECT_NE(e.find("color=blue"), std::string::npos) << e;
      for (long y = std::max(0L, long(n[1])); y < std::min(80L, long(n[1] + n[3])); ++y)
        for (long x = std::max(0L, long(n[0])); x < std::min(100L, long(n[0] + n[2])); ++x) ++painted[y * 100 + x];
    }
    for (long y = 0; y < 80; ++y)
      for (long x = 0; x < 100; ++x) {
        const bool inside = hole.within(zcPair<long>(x, y));
        EXPECT_EQ(painted[y * 100 + x] > 0, !inside) << x << "," << y;
        if ((painted[y * 100 + x] > 0) == inside) return;
      }
  };
  s.tablet.setComplement(zcUIRect(10, 20, 30, 40), zcColor::blue, eImage);
  EXPECT_EQ(s.image.count("setAll"), 0u);
  coverage(zcUIRect(10, 20, 30, 40));

  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.setComplement(zcRect(5, 10, 15, 20), zcColor::blue, eImage);
  coverage(zcUIRect(10, 20, 30, 40));

  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].opcode, 18);
  EXPECT_EQ(ops[0].payload, Stream().u8(1).i32(10).i32(20).i32(30).i32(40).get());
  EXPECT_EQ(ops[1].opcode, 18);
  EXPECT_EQ(ops[1].payload.size(), 89u);
  EXPECT_EQ(ops[1].payload[0], 0);
}

TEST(TabletAreas, FillRecordsTheFillFlagAndItsForm) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.fill(zcPoint(2.5, 3.5), zcColor::red, zcColor::blue, zcUITablet::eFillType0, eImage);
  s.tablet.fill(zcPair<long>(5, 6), zcColor::red, zcColor::blue, zcUITablet::eFillType1, eOverlay);
  s.tablet.fill(zcPoint(1.499999999999995, -0.25), zcColor::red, zcColor::blue, zcUITablet::eFillType0, eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"fill (5,7) fill=red boundary=blue type0=1",
                                      "fill (3,-1) fill=red boundary=blue type0=1"}));
  EXPECT_EQ(s.overlay.calls(), Strings{"fill (5,6) fill=red boundary=blue type0=0"});

  const Bytes all = bytesOf(s.tablet.sketch());
  Stream expected;
  expected.block(true, 1).header(19, 0, kRed).u8(0).point(2.5, 3.5).bytes(kBlue).i32(0);
  expected.header(19, 1, kRed).u8(1).i32(5).i32(6).bytes(kBlue).i32(1);
  ASSERT_GE(all.size(), expected.get().size());
  EXPECT_EQ(Bytes(all.begin(), all.begin() + static_cast<long>(expected.get().size())), expected.get());
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_TRUE(ops[2].props.fill());
}

TEST(TabletAreas, ClipRectangleBecomesAPixelRectangle) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.drawClipRect(zcRect(1.2, 2.5, 3, 4), eImage);
  EXPECT_EQ(s.image.calls(), Strings{"displayClipRectChanged [1,2,4,5]"});
  EXPECT_TRUE(s.overlay.calls().empty());
  EXPECT_EQ(s.image.displayClipRect(), zcUIRect(1, 2, 4, 5));
  EXPECT_TRUE(zfRealEq(s.tablet.clipRect(eImage), zcRect(1.2, 2.5, 3, 4), 0));
  EXPECT_EQ(s.tablet.clipRect(eOverlay).width(), 0);
  EXPECT_EQ(bytesOf(s.tablet.sketch()), Stream().header(47, 0, kCyan).point(1.2, 2.5).point(3, 4).get());

  // Both layers, through the maps: (2.4, 5) to (8.4, 13).
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.drawClipRect(zcRect(1.2, 2.5, 3, 4), eBoth);
  EXPECT_EQ(s.image.calls(), Strings{"displayClipRectChanged [2,5,7,8]"});
  EXPECT_EQ(s.overlay.calls(), Strings{"displayClipRectChanged [2,5,7,8]"});
  EXPECT_TRUE(zfRealEq(s.tablet.clipRect(eOverlay), zcRect(1.2, 2.5, 3, 4), 0));

  // Above 2: BadLayer, and nothing stored, recorded or handed on.
  const Bytes before = bytesOf(s.tablet.sketch());
  s.clear();
  EXPECT_THROW(s.tablet.drawClipRect(zcRect(0, 0, 1, 1), static_cast<zcUITablet::Layers>(3)), zcUIError::BadLayer);
  EXPECT_EQ(bytesOf(s.tablet.sketch()), before);
  EXPECT_TRUE(s.image.calls().empty());
  EXPECT_TRUE(zfRealEq(s.tablet.clipRect(eImage), zcRect(1.2, 2.5, 3, 4), 0));

  // Where the layer may not be drawn the rectangle is kept and recorded only.
  s.tablet.drawOnOverlay() = false;
  s.tablet.drawClipRect(zcRect(0, 0, 10, 10), eOverlay);
  EXPECT_TRUE(s.overlay.calls().empty());
  EXPECT_TRUE(zfRealEq(s.tablet.clipRect(eOverlay), zcRect(0, 0, 10, 10), 0));
  EXPECT_EQ(opsOf(s.tablet.sketch()).back().layer, eOverlay);
}

TEST(TabletLines, InfiniteLineIsClippedHalfAPixelOutsideTheScope) {
  Screen s;  // 100 × 80
  // The one drawTo stroke and its two ends, in either direction.
  auto ends = [&s](const zcLine& line) {
    s.clear();
    s.tablet.draw(line, zcColor::red, eImage);
    const Strings strokes = s.image.callsOf("drawTo");
    std::vector<double> n;
    if (strokes.size() == 1) n = numbersIn(strokes[0]);
    EXPECT_EQ(n.size(), 4u);
    n.resize(4);
    if (n[2] > n[0] || (n[2] == n[0] && n[3] > n[1])) std::swap(n[0], n[2]), std::swap(n[1], n[3]);
    return std::pair<zcPoint, zcPoint>(zcPoint(n[2], n[3]), zcPoint(n[0], n[1]));
  };
  auto expectEnds = [&ends](const zcLine& line, const zcPoint& a, const zcPoint& b) {
    const auto [p, q] = ends(line);
    EXPECT_NEAR(p.x(), a.x(), 1e-9);
    EXPECT_NEAR(p.y(), a.y(), 1e-9);
    EXPECT_NEAR(q.x(), b.x(), 1e-9);
    EXPECT_NEAR(q.y(), b.y(), 1e-9);
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
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 3);
  EXPECT_EQ(ops[0].payload, Stream().point(1, 0).point(10, 5).get());
}

TEST(TabletArrows, ArmsAreSizePixelsTurnedFromTheDirection) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.arrowHead(zcPoint(50, 50), zcVector<2>(1, 0), 10, pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"lockScreenUpdatesPush 1",
                                      "drawToRelPels (-8,-4) from [50,50] color=red width=1",
                                      "drawToRelPels (-8,4) from [50,50] color=red width=1",
                                      "lockScreenUpdatesPop -> 0"}));
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 26);
  EXPECT_EQ(ops[0].payload, Stream().point(50, 50).point(1, 0).f32(10).get());

  // The arms keep their pixel length under a magnification ...
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.arrowHead(zcPoint(20, 20), zcVector<2>(0, -1), 10, pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.callsOf("drawToRelPels"), (Strings{"drawToRelPels (-4,8) from [40,40] color=red width=1",
                                                       "drawToRelPels (4,8) from [40,40] color=red width=1"}));
  // ... and follow the mapped direction under a stretch.
  s.tablet.scaleExact(zcPair<double>(1, 1));
  s.tablet.baseMap(zcXform<2>::scaling(1, 3));
  s.clear();
  s.tablet.arrowHead(zcPoint(20, 10), zcVector<2>(1, 0), 10, pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.callsOf("drawToRelPels"), (Strings{"drawToRelPels (-5,-8) from [20,30] color=red width=1",
                                                       "drawToRelPels (-5,8) from [20,30] color=red width=1"}));
}

TEST(TabletArrows, CoordinateAxesAreTwoSegmentsAndTwoArrowHeads) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.draw(zcCoordAxes(zcPoint(10, 10), zcPoint(50, 10), zcPoint(10, 50)), pen(zcColor::red, 2), eImage);
  const Strings names = s.image.names();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "lockScreenUpdatesPush");
  EXPECT_EQ(names.back(), "lockScreenUpdatesPop");
  EXPECT_EQ(s.image.callsOf("drawLineSeg"),
            (Strings{"drawLineSeg (10,10)-(50,10) color=red width=2", "drawLineSeg (10,10)-(10,50) color=red width=2"}));
  // Arm length 1.5 × 2 + 6 = 9 pixels.
  const Strings arms = s.image.callsOf("drawToRelPels");
  const Strings expected = {"drawToRelPels (-8,-4) from [50,10] color=red width=2",
                            "drawToRelPels (-8,4) from [50,10] color=red width=2",
                            "drawToRelPels (4,-8) from [10,50] color=red width=2",
                            "drawToRelPels (-4,-8) from [10,50] color=red width=2"};
  EXPECT_TRUE(std::is_permutation(arms.begin(), arms.end(), expected.begin(), expected.end()))
      << ::testing::PrintToString(arms);
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 10);
  EXPECT_EQ(ops[0].payload, Stream().point(10, 10).point(50, 10).point(10, 50).get());
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

TEST(TabletCurves, SplinesDrawEachPieceAndRecordOnce) {
  Screen s;
  s.tablet.recordOn() = true;
  const zcBezierCurve a(zcPoint(1, 1), zcPoint(5, 1), zcPoint(10, 1), zcPoint(15, 1));
  const zcBezierCurve b(zcPoint(15, 1), zcPoint(15, 5), zcPoint(15, 10), zcPoint(15, 15));
  s.tablet.draw(zcCubicSpline({a, b}), pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"drawPolyline open n=2 (1,1) (15,1) color=red width=1",
                                      "drawPolyline open n=2 (15,1) (15,15) color=red width=1"}));
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 43);
  EXPECT_EQ(ops[0].payload.size(), 4u + 2 * 96);
}

zcEllipseAnnulusSection quarter(double ratio) {
  const zcEllipse outer(zcPoint(40, 40), 20, 10, zcRadian(0));
  return zcEllipseAnnulusSection(zcEllipseAnnulus(outer, ratio), zcRadian(0), zcRadian(zkPi / 2));
}

TEST(TabletSections, ArcsEndsAndArrowHeadAndTheTwoOpcodes) {
  Screen s;
  s.tablet.recordOn() = true;
  zcGraphicProps noArrow = pen(zcColor::red, 1);
  noArrow.arrowHead(false);
  s.tablet.draw(quarter(0.5), noArrow, eImage);
  EXPECT_EQ(s.image.count("drawEllipseArc"), 2u);
  EXPECT_EQ(s.image.count("drawLineSeg"), 2u);
  EXPECT_EQ(s.image.count("drawToRelPels"), 0u);
  std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 39);
  ASSERT_EQ(ops[0].payload.size(), 554u);
  EXPECT_EQ(ops[0].payload[552], 0);
  EXPECT_EQ(ops[0].payload[553], 1);

  // The default flags: an arrow head too, and the plain opcode.
  s.clear();
  s.tablet.sketch().erase();
  s.tablet.draw(quarter(0.5), pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.count("drawEllipseArc"), 2u);
  EXPECT_EQ(s.image.count("drawToRelPels"), 2u);
  ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 7);
  EXPECT_EQ(ops[0].payload.size(), 552u);

  // The color form sets the two flags.
  s.tablet.sketch().erase();
  s.tablet.draw(quarter(0.5), zcColor::red, true, false, eImage);
  ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 39);
  EXPECT_EQ(ops[0].payload[552], 1);
  EXPECT_EQ(ops[0].payload[553], 0);

  // A full section draws whole ellipses.
  s.clear();
  const zcEllipseAnnulusSection full(quarter(0.5).annulus(), zcRadian(0), zcRadian(0), true);
  s.tablet.draw(full, noArrow, eImage);
  EXPECT_EQ(s.image.count("drawEllipse"), 2u);
  EXPECT_EQ(s.image.count("drawEllipseArc"), 0u);
}

TEST(TabletSections, DegenerateSectionIsSkippedOnlyWhereItWouldBeDrawn) {
  const zcEllipseAnnulusSection flat = quarter(1.0);
  ASSERT_TRUE(flat.degen());
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.draw(flat, pen(zcColor::red, 1), eImage);
  EXPECT_TRUE(s.image.calls().empty());
  EXPECT_TRUE(s.tablet.sketch().isNull());

  zcUITablet recorder;
  recorder.draw(flat, pen(zcColor::red, 1), eImage);
  EXPECT_EQ(opcodesOf(recorder.sketch()), std::vector<long>{7});
}

TEST(TabletRects, GenRectDrawsByItsRounding) {
  Screen s;
  s.tablet.recordOn() = true;
  const zcGenRect sharp(zcVector<2>(20, 20), zcVector<2>(4, 2), zcRadian(0), zcVector<2>(0, 0));
  s.tablet.draw(sharp, pen(zcColor::red, 1), eImage);
  const Strings names = s.image.names();
  EXPECT_EQ(names, (Strings{"lockScreenUpdatesPush", "drawTo", "drawTo", "drawTo", "drawTo", "lockScreenUpdatesPop"}));
  const Strings strokes = s.image.callsOf("drawTo");
  ASSERT_EQ(strokes.size(), 4u);
  std::vector<zcPoint> targets;
  for (const std::string& e : strokes) {
    const std::vector<double> n = numbersIn(e);
    targets.emplace_back(n[0], n[1]);
  }
  const std::vector<zcPoint> corners = {zcPoint(16, 18), zcPoint(24, 18), zcPoint(24, 22), zcPoint(16, 22)};
  EXPECT_TRUE(std::is_permutation(targets.begin(), targets.end(), corners.begin(), corners.end()));
  const std::vector<double> first = numbersIn(strokes[0]);
  EXPECT_EQ(zcPoint(first[2], first[3]), targets.back());  // a closed outline

  s.clear();
  s.tablet.draw(sharp, zcColor::red, true, eImage);
  ASSERT_EQ(s.image.count("drawPolygon"), 1u);
  const std::vector<zcPoint> polygon = verticesIn(s.image.callsOf("drawPolygon")[0]);
  EXPECT_TRUE(std::is_permutation(polygon.begin(), polygon.end(), corners.begin(), corners.end()));
  EXPECT_NE(s.image.callsOf("drawPolygon")[0].find(" fill"), std::string::npos);

  s.clear();
  s.tablet.draw(zcGenRect(zcVector<2>(20, 20), zcVector<2>(4, 2), zcRadian(0), zcVector<2>(4, 2)),
                pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.count("drawEllipse"), 1u);
  EXPECT_EQ(s.image.callsOf("drawEllipse").at(0).rfind("drawEllipse center=(20,20)", 0), 0u);
  EXPECT_EQ(s.image.count("drawGenRect"), 0u);

  s.clear();
  s.tablet.drawGenRect(zcPair<double>(20, 20), zcPair<double>(4, 2), zcRadian(0), zcPair<double>(1, 1),
                       zcColor::red, eImage);
  EXPECT_EQ(s.image.callsOf("drawGenRect"),
            Strings{"drawGenRect center=(20,20) matrix=[0.25,0,0,0.5] round=(0.25,0.5) color=red width=1"});
  EXPECT_EQ(opcodesOf(s.tablet.sketch()), (std::vector<long>{8, 31, 8, 8}));
}

TEST(TabletRects, RectIsFourStrokesOrAFilledPolygon) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.draw(zcRect(1, 2, 3, 4), pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"lockScreenUpdatesPush 1", "drawTo (8,4) from (2,4) color=red width=1",
                                      "drawTo (8,12) from (8,4) color=red width=1",
                                      "drawTo (2,12) from (8,12) color=red width=1",
                                      "drawTo (2,4) from (2,12) color=red width=1", "lockScreenUpdatesPop -> 0"}));
  s.clear();
  s.tablet.drawRect(zcPair<double>(1, 2), zcPair<double>(3, 4), zcColor::red, eImage, true);
  ASSERT_EQ(s.image.calls().size(), 1u);
  EXPECT_EQ(verticesIn(s.image.calls()[0]),
            (std::vector<zcPoint>{zcPoint(2, 4), zcPoint(8, 4), zcPoint(8, 12), zcPoint(2, 12)}));
  EXPECT_NE(s.image.calls()[0].find("color=red width=1 fill"), std::string::npos);

  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].opcode, 32);
  EXPECT_EQ(ops[0].payload, Stream().point(1, 2).point(3, 4).get());
  EXPECT_TRUE(ops[1].props.fill());

  // An affine rectangle is a closed polygon from its origin corner.
  s.clear();
  s.tablet.drawAffineRect(zcPair<double>(1, 1), zcPair<double>(5, 1), zcPair<double>(1, 3), zcColor::red, eImage);
  ASSERT_EQ(s.image.count("drawPolygon"), 1u);
  EXPECT_EQ(verticesIn(s.image.callsOf("drawPolygon")[0]),
            (std::vector<zcPoint>{zcPoint(2, 2), zcPoint(10, 2), zcPoint(10, 6), zcPoint(2, 6), zcPoint(2, 2)}));
}

TEST(TabletRects, AnnulusDrawsItsTwoRectanglesInOneCompound) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.draw(zcAnnulus(zcPoint(20, 20), 2, 5), pen(zcColor::red, 1), eImage);
  const Strings names = s.image.names();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "lockScreenUpdatesPush");
  EXPECT_EQ(names.back(), "lockScreenUpdatesPop");
  EXPECT_EQ(s.image.count("drawEllipse"), 2u);
  EXPECT_EQ(s.image.count("lockScreenUpdatesPush") + s.image.count("lockScreenUpdatesPop") + 2, names.size());
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 9);
  EXPECT_EQ(ops[0].payload.size(), 360u);
}

TEST(TabletText, TextAndTheDrawingPointArgument) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  s.tablet.draw(L"ab", zcPoint(3, 4), zcColor::red, zcColor::blue, zcUIFormat(2, zcUIFormat::eMiddleCenter), eImage);
  EXPECT_EQ(s.image.calls(), Strings{"drawText \"ab\" (6,8) fg=red bg=blue font=2 align=4"});
  std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 35);
  EXPECT_EQ(ops[0].color, zcColor::red);
  EXPECT_EQ(ops[0].payload,
            Stream().point(3, 4).bytes(kBlue).i32(2).i32(4).u8('a').u8(0).u8('b').u8(0).u8(0).u8(0).get());

  // The drawing-point argument, by identity or by an equal value, paints at the
  // scope's drawing point; the caller's position is recorded.
  s.tablet.drawStart(zcPoint(5, 6), eImage);
  s.clear();
  s.tablet.draw(L"c", zcUITablet::drawPointArg(), zcColor::red, zcColor::blue, zcUIFormat(2, zcUIFormat::eTopLeft),
                eImage);
  s.tablet.draw(zcPoint(0, 0), pen(zcColor::red, 1), eImage);
  s.tablet.drawTo(zcUITablet::drawPointArg(), zcColor::red, eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"drawText \"c\" @drawPoint(10,12) fg=red bg=blue font=2 align=0",
                                      "drawPoint @drawPoint(10,12) color=red width=1",
                                      "drawTo @drawPoint(10,12) from (10,12) color=red width=1"}));
  ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(Bytes(ops[2].payload.begin(), ops[2].payload.begin() + 16), Stream().point(0, 0).get());
  EXPECT_EQ(ops[3].payload, Stream().point(0, 0).get());

  // textRect asks the scope and records nothing; without a scope it is null.
  const long size = s.tablet.sketch().size();
  zcUIRect out;
  s.tablet.textRect(L"abc", zcPoint(10, 10), zcUIFormat(0, zcUIFormat::eTopLeft), out, eImage);
  EXPECT_EQ(out, zcUIRect(20, 20, 24, 16));
  EXPECT_EQ(s.tablet.sketch().size(), size);
  zcUITablet recorder;
  out = zcUIRect(1, 1, 1, 1);
  recorder.textRect(L"abc", zcPoint(10, 10), zcUIFormat(0, zcUIFormat::eTopLeft), out, eImage);
  EXPECT_TRUE(out.isNull());
  EXPECT_TRUE(recorder.sketch().isNull());
}

TEST(TabletStrokes, RelativeStrokesAndMovesRecordTruncatedPixels) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.drawStart(zcPoint(10, 10), eImage);
  s.tablet.drawToRelPels(zcVector<2>(3, 4), 10.0f, zcColor::red, eImage);
  s.tablet.moveToRelPels(-6, -8, eImage);
  s.tablet.drawTo(zcPoint(20, 10), zcColor::red, eImage);
  s.tablet.drawToRelPels(-5, 2, pen(zcColor::red, 1), eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"drawToRelPels (6,8) from [10,10] color=red width=1",
                                      "drawTo (20,10) from (10,10) color=red width=1",
                                      "drawToRelPels (-5,2) from [20,10] color=red width=1"}));

  // Under a stretch the direction is mapped, made unit and truncated.
  s.tablet.baseMap(zcXform<2>::scaling(1, 3));
  s.clear();
  s.tablet.drawStart(zcPoint(10, 10), eImage);
  s.tablet.drawToRelPels(zcVector<2>(1, 1), 10.0f, zcColor::red, eImage);
  s.tablet.moveToRelPels(zcVector<2>(1, 0), 5.9f, eImage);
  s.tablet.drawToRelPels(1, 0, zcColor::red, eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"drawToRelPels (3,9) from [10,30] color=red width=1",
                                      "drawToRelPels (1,0) from [18,39] color=red width=1"}));

  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 9u);
  const long opcodes[] = {20, 22, 23, 21, 22, 20, 22, 23, 22};
  for (std::size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(ops[i].opcode, opcodes[i]) << i;
  EXPECT_EQ(ops[1].payload, Stream().i32(6).i32(8).get());
  EXPECT_EQ(ops[2].payload, Stream().i32(-6).i32(-8).get());
  EXPECT_EQ(ops[2].color, zcColor(0));
  EXPECT_EQ(ops[6].payload, Stream().i32(3).i32(9).get());
  EXPECT_EQ(ops[7].payload, Stream().i32(5).i32(0).get());
}

TEST(TabletImages, ScaleModeChoosesTheImageSlotAndOnlyTwoFormsRecord) {
  zcPelBuffer<unsigned char> pels(2, 1);
  pels.set(0, 0, 1);
  pels.set(1, 0, 2);
  Screen s;
  s.tablet.recordOn() = true;
  auto image = [&s, &pels](const zcPair<double>& scale) {
    s.tablet.scaleExact(scale);
    s.clear();
    s.tablet.draw(zcPelBuffer_const<unsigned char>(pels), zcPoint(3, 4), true, 7, scale.x() < 1, eImage);
    return s.image.calls();
  };
  EXPECT_EQ(image(zcPair<double>(1, 1)), Strings{"drawPel8 (3,4) size=2x1 pass=1/7 flag=0 pels=1,2"});
  s.tablet.interpolation(5);
  EXPECT_EQ(image(zcPair<double>(2, 2)),
            Strings{"drawMagnifiedPel8 (6,8) scale=(2,2) size=2x1 pass=1/7 flag=0 mode=5 pels=1,2"});
  EXPECT_EQ(image(zcPair<double>(0.5, 0.5)),
            Strings{"drawReducedPel8 (1.5,2) scale=(0.5,0.5) size=2x1 pass=1/7 flag=1 pels=1,2"});
  EXPECT_EQ(opcodesOf(s.tablet.sketch()), (std::vector<long>{12, 12, 12}));

  // The 16-bit and RGB forms paint but record nothing.
  const long size = s.tablet.sketch().size();
  s.tablet.scaleExact(zcPair<double>(1, 1));
  s.clear();
  s.tablet.draw(zcPelBuffer_const<unsigned short>(zcPelBuffer<unsigned short>(1, 1, 300)), zcPoint(3, 4), false, 0,
                eImage);
  s.tablet.draw(zcPelBuffer_const<zcPackedRGB32>(zcPelBuffer<zcPackedRGB32>(1, 1, zcPackedRGB32(1, 2, 3))),
                zcPoint(3, 4), false, zcPackedRGB32(), eImage);
  EXPECT_EQ(s.image.calls(), (Strings{"drawPel16 (3,4) size=1x1 pass=0/0 pels=300",
                                      "drawRGB32 (3,4) size=1x1 pass=0/0x000000 pels=0x010203"}));
  EXPECT_EQ(s.tablet.sketch().size(), size);

  // The point icon is centred on the point in the pen color.
  s.clear();
  s.tablet.drawPointIcon(zcPoint(10, 10), zcColor::red, eImage);
  ASSERT_EQ(s.image.calls().size(), 1u);
  EXPECT_EQ(s.image.calls()[0].rfind("drawIcon (4,4) size=13x13 map=[red] pass=1/243 ", 0), 0u);
  EXPECT_EQ(opcodesOf(s.tablet.sketch()).back(), 1);
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
  const std::vector<zc_test::Op> ops = opsOf(t.sketch());
  std::vector<long> opcodes;
  for (const zc_test::Op& op : ops) opcodes.push_back(op.opcode);
  EXPECT_EQ(opcodes, (std::vector<long>{4, 32, 4, 2, 4, 43}));
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[4].payload, Stream().point(11, 2).f64(3).get());
  EXPECT_EQ(zfLoadI32(ops[5].payload.data()), 2);  // two pieces

  const Bytes before = bytesOf(t.sketch());
  EXPECT_THROW(t.draw(UnknownShape(), props, eImage), zcUIError::NotImplemented);
  EXPECT_EQ(bytesOf(t.sketch()), before);
}

TEST(TabletDispatch, GenericShapeMapsItselfAndRecordsItsBytes) {
  Screen s;
  s.tablet.recordOn() = true;
  s.tablet.scaleExact(zcPair<double>(2, 2));
  s.clear();
  const zcGenShape shape{zcCircle(zcPoint(10, 10), 5)};
  s.tablet.draw(shape, zcColor::red, eImage);
  ASSERT_EQ(s.image.calls().size(), 1u);
  EXPECT_NE(s.image.calls()[0].find(" box=(10,10)-(30,30) color=red"), std::string::npos) << s.image.calls()[0];
  const std::vector<zc_test::Op> ops = opsOf(s.tablet.sketch());
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].opcode, 33);
  const Bytes& p = ops[0].payload;
  ASSERT_GE(p.size(), 26u);
  EXPECT_EQ(Bytes(p.begin(), p.begin() + 6), kRed);
  const long n = zfLoadI32(p.data() + 22);
  ASSERT_EQ(static_cast<long>(p.size()), 26 + n);
  const zcGenShape back = zcGenShape::fromBytes(p.data() + 26, static_cast<std::size_t>(n));
  EXPECT_TRUE(back == shape);
}

}  // namespace

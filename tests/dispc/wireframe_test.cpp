// Wireframes: segment-length tolerances through edits, polarity, maps, archives and
// the SMD poly made from a wireframe. Generalized polygons and wireframes on tablets:
// what they record, how they paint, and their replay from sketches, archives and
// malformed payloads.
#include "dispc/uierror.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"

#include "support/sketch_stream.h"
#include "support/tablet_screen.h"
#include "wrfm/genpoly_private.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using zc_test::Op;
using zc_test::opsOf;
using zc_test::Screen;
using zc_test::SketchBytes;

Bytes bytesOf(const zc2Wireframe& value) { return zc_test::ownBytes(value); }

const zcDimTol kWide(-1, 0.05, 0.05, zcDimTol::eOffsets);
const zcDimTol kNarrow(-1, 0.1, 0.2, zcDimTol::eOffsets);
const zcDimTol kTooLong(-1, 50, 60, zcDimTol::eLimits);  // no side is that long

// (10,0) (10,4) (0,4) (0,0), closed, every segment toleranced ±0.05.
zc2Wireframe box() { return zc2Wireframe(zcGenPoly(zcRect(0, 0, 10, 4)), kWide); }

// (0,0) (3,0) (3,4), open, toleranced ±0.05.
zc2Wireframe openWireframe() {
  zc2Wireframe w;
  for (const zcPoint& p : {zcPoint(0, 0), zcPoint(3, 0), zcPoint(3, 4)}) w.insertVertex(p, 0, zcRadian(0), kWide);
  return w;
}

bool untoleranced(const zcDimTol& t) { return t.minTol() == -1.0 && t.maxTol() == -1.0; }

// The tolerance of a segment as a dimension: the nominal is its length.
void expectTol(const zcDimTol& t, double length, const zcDimTol& given) {
  EXPECT_NEAR(t.nomDim(), length, 1e-12);
  EXPECT_EQ(t.tolType(), given.tolType());
  EXPECT_NEAR(t.minTol(), given.minTol(), 1e-12);
  EXPECT_NEAR(t.maxTol(), given.maxTol(), 1e-12);
}

class Counted : public zc2Wireframe {
public:
  using zc2Wireframe::zc2Wireframe;
  std::vector<bool> told;

protected:
  void polarityChanged_(bool reversed) override { told.push_back(reversed); }
};

// A closed polygon with an arc, an outward and an inward rounding.
zcGenPoly sample() {
  zcGenPoly g;
  g.insertVertex(zcPoint(10, 10), 0.0, zcRadian(0));
  g.insertVertex(zcPoint(60, 10), 4.0, zcRadian(0));
  g.insertVertex(zcPoint(60, 50), -3.0, zcRadian(0.6));
  g.insertVertex(zcPoint(10, 50), 0.0, zcRadian(0));
  g.close();
  return g;
}

zcGraphicProps pen(bool fill = false) {
  zcGraphicProps p(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, fill);
  p.showVertex(true);
  return p;
}

// A scope whose n-th line segment fails, as a screen that runs out of memory might.
class FailingScope : public zcLoggingScope {
public:
  using zcLoggingScope::zcLoggingScope;
  int failAt = -1;
  void draw(const zcLineSeg& s, const zcGraphicProps& props) override {
    if (failAt-- == 0) throw zcUIError::NotImplemented();
    zcLoggingScope::draw(s, props);
  }
  using zcLoggingScope::draw;
};

}  // namespace

TEST(WireframeTolerances, InsertionSplitsASegmentsToleranceAndClosingSetsOne) {
  zc2Wireframe w = box();
  for (long s = 0; s < 4; ++s) expectTol(w.segmentLengthTol(s), s % 2 ? 10 : 4, kWide);
  // Splitting segment 0 at (10, 1): the first part takes the new tolerance, the second
  // part (arriving at the old end vertex) none.
  w.insertVertex(0, zcPoint(10, 1), 0.0, zcRadian(0), kNarrow);
  expectTol(w.segmentLengthTol(0), 1, kNarrow);
  EXPECT_TRUE(untoleranced(w.segmentLengthTol(1)));
  expectTol(w.segmentLengthTol(2), 10, kWide);
  // In front: no tolerance set; the closing segment now ends at the new vertex.
  w.insertVertex(-1, zcPoint(5, -1), 0.0, zcRadian(0), kNarrow);
  EXPECT_TRUE(untoleranced(w.segmentLengthTol(5)));
  expectTol(w.segmentLengthTol(0), std::hypot(5, 1), kWide);
  // The single-segment setter.
  w.segmentLengthTol(3, kNarrow);
  expectTol(w.segmentLengthTol(3), 10, kNarrow);  // (10,4) to (0,4)
  // Appending to an open wireframe tolerances the new last segment; closing sets
  // the closing one.
  zc2Wireframe open = openWireframe();
  open.insertVertex(zcPoint(0, 4), 0, zcRadian(0), kNarrow);
  expectTol(open.segmentLengthTol(1), 4, kWide);
  expectTol(open.segmentLengthTol(2), 3, kNarrow);
  open.close(zcRadian(0), kNarrow);
  expectTol(open.segmentLengthTol(3), 4, kNarrow);
  EXPECT_FALSE(open.isOpen());
  // A closed wireframe is left exactly as it is, editable or not.
  for (const zc2Wireframe& closed : {open, open.map(zcXform<2>::scaling(2, 1))}) {
    zc2Wireframe copy = closed;
    copy.close(zcRadian(1.0), kWide);
    EXPECT_EQ(bytesOf(copy), bytesOf(closed));
  }
}

TEST(WireframeTolerances, RefusedEditsChangeNothing) {
  using Edit = std::function<void(zc2Wireframe&)>;
  const zc2Wireframe mapped = box().map(zcXform<2>::scaling(1, 2));
  const std::tuple<const char*, zc2Wireframe, bool, Edit> rows[] = {  // bad index or bad geometry
      {"setter, length outside", box(), false, [](zc2Wireframe& w) { w.segmentLengthTol(0, kTooLong); }},
      {"insert, length outside", box(), false,
       [](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, 5), 0, zcRadian(0), kTooLong); }},
      {"insert, crossing", box(), false,
       [](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, -5), 0, zcRadian(0), kWide); }},
      {"setter, not editable", mapped, false, [](zc2Wireframe& w) { w.segmentLengthTol(0, kWide); }},
      {"insert, not editable", mapped, false,
       [](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, 5), 0, zcRadian(0), kWide); }},
      {"closing segment outside", openWireframe(), false, [](zc2Wireframe& w) { w.close(zcRadian(0), kTooLong); }},
      {"setter of segment 4", box(), true, [](zc2Wireframe& w) { w.segmentLengthTol(4, kWide); }},
      {"getter of segment -1", box(), true, [](zc2Wireframe& w) { w.segmentLengthTol(-1); }},
      {"insert after 4", box(), true, [](zc2Wireframe& w) { w.insertVertex(4, zcPoint(1, 1), 0, zcRadian(0), kWide); }},
  };
  for (auto [what, w, badIndex, edit] : rows) {
    const Bytes before = bytesOf(w);
    if (badIndex) {
      EXPECT_THROW(edit(w), zcShapesError::BadCoef) << what;
    } else {
      EXPECT_THROW(edit(w), zcShapesError::BadGeom) << what;
    }
    EXPECT_EQ(bytesOf(w), before) << what;
  }
  EXPECT_THROW(zc2Wireframe(zcGenPoly(zcRect(0, 0, 10, 4)), kTooLong), zcShapesError::BadGeom);
}

TEST(WireframePolarity, FlagsHookAndMirrors) {
  Counted w(zcGenPoly(zcRect(0, 0, 10, 4)));
  EXPECT_FALSE(w.isPolarityReversed());
  EXPECT_TRUE(w.isInsidePositive());  // counter-clockwise
  w.polarity(true);
  w.polarity(true);
  EXPECT_TRUE(w.isPolarityReversed());
  EXPECT_EQ(w.told, std::vector<bool>{true});
  EXPECT_FALSE(w.isInsidePositive());
  w.polarity(false);
  EXPECT_EQ(w.told, (std::vector<bool>{true, false}));
  // A mirror flips the answer; insidePolarity then sets it, without the hook.
  for (const zcXform<2>& m : {zcXform<2>::scaling(1, -1), zcXform<2>::scaling(-3, 1),
                              zcXform<2>(zcMatrix<2>(0, 1, 1, 0), zcVector<2>())}) {
    zc2Wireframe mirrored = w.map(m);
    EXPECT_FALSE(mirrored.isInsidePositive());
    for (const bool x : {true, false, true}) {
      mirrored.insidePolarity(x);
      EXPECT_EQ(mirrored.isInsidePositive(), x);
    }
  }
  w.insidePolarity(false);
  EXPECT_TRUE(w.isPolarityReversed());
  EXPECT_EQ(w.told.size(), 2u);
  EXPECT_THROW(openWireframe().isInsidePositive(), zcShapesError::BadGeom);
  // Polarity is part of the poly: equality sees it, and the arrows turn round. The
  // first arrow's first arm: from the same tip, the other way round.
  zc2Wireframe a = box(), b = box();
  b.polarity(true);
  EXPECT_FALSE(a == b);
  const auto firstArm = [](const zc2Wireframe& x) {
    zcLoggingScope scope;
    x.drawToScope(zcGraphicProps(), scope);
    return zc_test::numbersIn(scope.callsOf("drawLineSeg")[4]);
  };
  const std::vector<double> armA = firstArm(a), armB = firstArm(b);
  EXPECT_EQ(armA[0], armB[0]);
  EXPECT_EQ(armA[1], armB[1]);
  EXPECT_NEAR(armA[2] - armA[0], -(armB[2] - armB[0]), 1e-12);
  EXPECT_NEAR(armA[3] - armA[1], -(armB[3] - armB[1]), 1e-12);
  EXPECT_NE(armA[2], armA[0]);
}

TEST(WireframeShape, MapsComparisonArchivesAndThePolyItHolds) {
  zc2Wireframe w = box();
  const zc2Wireframe mapped = w.map(zcXform<2>::rotation(zcRadian(0.4)));
  EXPECT_FALSE(mapped.isEditable());
  EXPECT_TRUE(w.map(zc2Rigid(zcRadian(0.4), zcVector<2>(1, 1)), 2.0).isEditable());
  EXPECT_EQ(typeid(*w.clone()), typeid(zc2Wireframe));
  // A wireframe and its polygon are different shapes, equal as polygons.
  const zcGenPoly polygon(w);
  EXPECT_TRUE(static_cast<const zcGenPoly&>(w) == polygon);
  EXPECT_FALSE(static_cast<const zcShape&>(w) == static_cast<const zcShape&>(polygon));
  EXPECT_TRUE(static_cast<const zcShape&>(w) == static_cast<const zcShape&>(box()));
  // The SMD poly of a wireframe: the held poly with its name, whatever the transform.
  const zcSMDGDPoly held(mapped, L"other");
  EXPECT_EQ(held.name(), L"poly");
  EXPECT_TRUE(held == zcSMDGDPolyPrivate::poly(w));
  EXPECT_TRUE(zcSMDGDPolyPrivate::wireframeXform(mapped) == mapped.xform());

  // Archives, polarity included, in the own form and as a shape pointer.
  w.polarity(true);
  for (const zc2Wireframe& x : {w, w.map(zcXform<2>::scaling(2, 3))}) {
    zc_test::expectOwnRoundTrip(x);
    zc_test::expectShapeRoundTrip(x);
  }
  // The wireframe's version byte comes first, the polygon's second.
  for (const auto& [at, where, line] : {std::tuple{8, "dispc/wrfm/wirefrm", 148}, {9, "dispc/wrfm/genpoly", 751}}) {
    zcArchive in(zc_test::withByte(bytesOf(w), std::size_t(at), 1));
    zc2Wireframe target = box();
    zc_test::expectUnknownVersion([&] { in || target; }, where, line);
    EXPECT_TRUE(target == box());
  }
  // The simple form: shape part, the wireframe's signed version, the polygon's.
  for (signed char version : {0, 3}) {
    zcArchive out;
    unsigned char shapeVersion = 0;
    signed char polyVersion = 0;
    zcSMDGDPoly poly = zcSMDGDPolyPrivate::poly(w);
    zcXform<2> x;
    bool editable = true;
    out || shapeVersion || version || polyVersion || poly || x || editable;
    zcArchive in(out.bytes());
    zc2Wireframe loaded;
    if (version != 0) {
      zc_test::expectUnknownVersion([&] { loaded.loadSimple(in); }, "dispc/wrfm/wirefrm", 131);
      continue;
    }
    loaded.loadSimple(in);
    EXPECT_TRUE(loaded == w);
  }
}

// --- On tablets -------------------------------------------------------------------------------------

TEST(GenPolyTablet, RecordsThePolygonAsStoredUnderItsOpcode) {
  const zcGenPoly g = sample().map(zcXform<2>::rotation(zcRadian(0.2)));
  zc2Wireframe w(sample());
  w.polarity(true);
  const zcSMDGDPoly& poly = zcSMDGDPolyPrivate::poly(g);
  const std::pair<std::function<void(zcUITablet&)>, long> rows[] = {
      {[&](zcUITablet& t) { t.draw(g, pen(), zcUITablet::eImage); }, 34},
      {[&](zcUITablet& t) { t.draw(g, pen(true), zcUITablet::eImage); }, 38},
      {[&](zcUITablet& t) { t.draw(g, zcColor::red, true, zcUITablet::eOverlay); }, 38},
      {[&](zcUITablet& t) { t.draw(w, pen(true), zcUITablet::eImage); }, 41},
      {[&](zcUITablet& t) { t.draw(w, zcColor::red, false, zcUITablet::eBothLayers); }, 41},
      {[&](zcUITablet& t) { t.draw(static_cast<const zcShape&>(w), pen(), zcUITablet::eImage); }, 41},
      {[&](zcUITablet& t) { t.draw(static_cast<const zcShape&>(g), pen(), zcUITablet::eImage); }, 34},
  };
  for (const auto& [draw, opcode] : rows) {
    zcUITablet recorder;
    draw(recorder);
    const std::vector<Op> ops = opsOf(recorder.sketch());
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].opcode, opcode);
    const SketchBytes& p = ops[0].payload;
    ASSERT_EQ(p.size(), 68u + 104u * 4u);
    // Transform, editable, count, then vertex 2: point, radius, span (degrees), the
    // tolerance; the caches; open.
    EXPECT_EQ(zfLoadF64(p.data() + 8), (opcode == 41 ? w.xform() : g.xform()).matrix().element(0, 1));
    EXPECT_EQ(zfLoadI32(p.data() + 56), opcode == 41 ? 1 : 0);
    EXPECT_EQ(zfLoadI32(p.data() + 60), 4);
    const unsigned char* v2 = p.data() + 64 + 2 * 64;
    EXPECT_EQ(zfLoadF64(v2), 60.0);
    EXPECT_EQ(zfLoadF64(v2 + 16), -3.0);
    EXPECT_NEAR(zfLoadF64(v2 + 24), zcDegree(zcRadian(0.6)).value(), 1e-12);
    EXPECT_EQ(zfLoadF64(v2 + 32), -1.0);
    EXPECT_EQ(zfLoadF64(p.data() + 64 + 4 * 64 + 16 + 8), poly.roundedStartPoints()[1].y());
    EXPECT_EQ(zfLoadF64(p.data() + 64 + 4 * 64 + 4 * 32 + 8), poly.roundedSpans()[1]);
    EXPECT_EQ(zfLoadI32(p.data() + p.size() - 4), 0);  // closed
  }
}

// Replay against direct drawing is a row of the tablet's replay table.
TEST(GenPolyTablet, PaintsOutlinesInOneCompoundAndReplaysWithoutPolarity) {
  // Filled or not, a polygon paints line segments only, locked around each polygon,
  // also when painting fails.
  zc2Wireframe w(sample(), zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets));
  Screen direct;
  direct.tablet.draw(sample(), pen(), zcUITablet::eImage);
  direct.tablet.draw(w, pen(true), zcUITablet::eImage);
  direct.tablet.draw(sample().map(zcXform<2>::scaling(0.5, 1)), zcColor::green, true, zcUITablet::eImage);
  EXPECT_EQ(direct.image.count("lockScreenUpdatesPush"), 3u);
  EXPECT_EQ(direct.image.calls().front(), "lockScreenUpdatesPush 1");
  EXPECT_EQ(direct.image.lockDepth(), 0);
  for (const std::string& name : direct.image.names())
    EXPECT_TRUE(name == "drawLineSeg" || name.rfind("lockScreenUpdates", 0) == 0) << name;
  FailingScope scope(zcPair<long>(100, 80), zcPair<long>(), "image");
  zcUITablet tablet(&scope, nullptr);
  tablet.visible(true);
  for (int failAt : {0, 5, 30}) {
    scope.failAt = failAt;
    EXPECT_THROW(tablet.draw(sample(), pen(), zcUITablet::eImage), zcUIError::NotImplemented);
    EXPECT_EQ(scope.lockDepth(), 0) << failAt;
  }
  // A wireframe of reversed polarity: its sketch carries no polarity, so the replay
  // draws the arrows as for positive polarity.
  zc2Wireframe reversed = w;
  reversed.polarity(true);
  Screen recorded, replayed, positive;
  recorded.tablet.recordOn() = true;
  recorded.tablet.draw(reversed, pen(), zcUITablet::eImage);
  positive.tablet.draw(w, pen(), zcUITablet::eImage);
  replayed.tablet.draw(recorded.tablet.sketch(), zcPoint(0, 0), zcUITablet::eImage);
  EXPECT_NE(recorded.image.callsOf("drawLineSeg"), positive.image.callsOf("drawLineSeg"));
  EXPECT_EQ(replayed.image.callsOf("drawLineSeg"), positive.image.callsOf("drawLineSeg"));
}

TEST(GenPolyTablet, MalformedPayloadsGiveOnlyInvalidSketch) {
  zcUITablet recorder;
  recorder.draw(sample(), pen(), zcUITablet::eImage);
  const SketchBytes good = zc_test::bytesOf(recorder.sketch());
  const std::size_t payloadAt = good.size() - (68 + 104 * 4);
  // Every truncation.
  for (std::size_t n = 1; n < good.size(); ++n) {
    const zcUISketch cut = zc_test::sketchOf(SketchBytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_THROW(opsOf(cut), zcUIError::InvalidUISketch) << n;
  }
  // Counts, non-finite numbers and tolerance types; the last two parse and are
  // refused only on replay.
  const double nan = std::nan("");
  const std::tuple<const char*, std::size_t, long, double> patches[] = {
      {"negative count", 60, -1, 0},
      {"count past the end", 60, 5, 0},
      {"huge count", 60, 0x7fffffff, 0},
      {"NaN point", 64, 0, nan},
      {"infinite span", 64 + 64 * 3 + 24, 0, HUGE_VAL},
      {"infinite cache", 64 + 64 * 4 + 8, 0, -HUGE_VAL},
      {"non-finite transform", 0, 0, nan},
      {"tolerance type 3", 64 + 56, 3, 0},
      {"tolerance type high bytes", 64 + 60, 1, 0},
  };
  for (const auto& [what, at, integer, real] : patches) {
    SketchBytes bad = good;
    if (integer != 0) {
      zfStoreI32(bad.data() + payloadAt + at, std::int32_t(integer));
    } else {
      zfStoreF64(bad.data() + payloadAt + at, real);
    }
    const zcUISketch sketch = zc_test::sketchOf(bad);
    if (at != 64 + 56 && at != 64 + 60) {  // not a tolerance type of vertex 0
      EXPECT_THROW(opsOf(sketch), zcUIError::InvalidUISketch) << what;
      continue;
    }
    EXPECT_NO_THROW(opsOf(sketch)) << what;
    Screen screen;
    EXPECT_THROW(screen.tablet.draw(sketch, zcPoint(), zcUITablet::eImage), zcUIError::InvalidUISketch) << what;
  }
  // Flags other than 0 and 1 read as false: the polygon is not editable and closed.
  SketchBytes flags = good;
  zfStoreI32(flags.data() + payloadAt + 56, 2);
  zfStoreI32(flags.data() + good.size() - 4, 2);
  const std::vector<Op> flagged = opsOf(zc_test::sketchOf(flags));
  const auto* read = dynamic_cast<const zc_UISketchOpGenPoly*>(flagged[0].record.rep());
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read->poly().editable);
  EXPECT_FALSE(read->poly().open);

  // Caches that disagree with their vertices (any finite values): replay paints what
  // it can and never fails otherwise.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> any(-1e6, 1e6);
  for (int round = 0; round < 300; ++round) {
    SketchBytes bad = good;
    for (int k = 0; k < 6; ++k) {
      const std::size_t at = 64 + 8 * (rng() % ((104 * 4) / 8));
      if ((at - 64) % 64 == 56) continue;  // tolerance types: refused above
      zfStoreF64(bad.data() + payloadAt + at, round % 3 == 0 ? any(rng) : any(rng) * 1e-6);
    }
    Screen screen;
    try {
      screen.tablet.draw(zc_test::sketchOf(bad), zcPoint(), zcUITablet::eImage);
    } catch (const zcUIError::InvalidUISketch&) {
    }
    EXPECT_EQ(screen.image.lockDepth(), 0);
  }
}

// Generalized polygons and wireframes on tablets: what they record, how they paint,
// and their replay from sketches, archives and malformed payloads.
#include "dispc/uierror.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"

#include "support/tablet_screen.h"
#include "wrfm/genpoly_private.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using zc_test::Op;
using zc_test::opsOf;
using zc_test::Screen;
using zc_test::SketchBytes;
using Layers = zcUITabletEnums::Layers;

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

SketchBytes archivedAndLoaded(const zcUISketch& sketch) {
  zcUISketch copy = sketch;
  zcArchive out;
  out || copy;
  zcArchive in(out.bytes());
  zcUISketch back;
  in || back;
  return zc_test::bytesOf(back);
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

TEST(GenPolyTablet, RecordsThePolygonAsStoredUnderItsOpcode) {
  const zcGenPoly g = sample().map(zcXform<2>::rotation(zcRadian(0.2)));
  zc2Wireframe w(sample());
  w.polarity(true);
  const zcSMDGDPoly& poly = zcSMDGDPolyPrivate::poly(g);
  struct Row {
    std::function<void(zcUITablet&)> draw;
    long opcode;
  };
  const std::vector<Row> rows = {
      {[&](zcUITablet& t) { t.draw(g, pen(), zcUITablet::eImage); }, 34},
      {[&](zcUITablet& t) { t.draw(g, pen(true), zcUITablet::eImage); }, 38},
      {[&](zcUITablet& t) { t.draw(g, zcColor::red, true, zcUITablet::eOverlay); }, 38},
      {[&](zcUITablet& t) { t.draw(w, pen(true), zcUITablet::eImage); }, 41},
      {[&](zcUITablet& t) { t.draw(w, zcColor::red, false, zcUITablet::eBothLayers); }, 41},
      {[&](zcUITablet& t) { t.draw(static_cast<const zcShape&>(w), pen(), zcUITablet::eImage); }, 41},
      {[&](zcUITablet& t) { t.draw(static_cast<const zcShape&>(g), pen(), zcUITablet::eImage); }, 34},
  };
  for (const Row& row : rows) {
    zcUITablet recorder;
    row.draw(recorder);
    const std::vector<Op> ops = opsOf(recorder.sketch());
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].opcode, row.opcode);
    const SketchBytes& p = ops[0].payload;
    ASSERT_EQ(p.size(), 68u + 104u * 4u);
    // Transform, editable, count, then vertex 2: point, radius, span (degrees), the
    // tolerance; the caches; open.
    const zcXform<2> x = row.opcode == 34 || row.opcode == 38 ? g.xform() : w.xform();
    EXPECT_EQ(zfLoadF64(p.data() + 8), x.matrix().element(0, 1));
    EXPECT_EQ(zfLoadI32(p.data() + 56), row.opcode == 41 ? 1 : 0);
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

TEST(GenPolyTablet, PaintsInOneCompoundAndReplaysAsDrawnDirectly) {
  // Direct drawing, and the recorded sketch replayed, archived and replayed, under a
  // scale and under a mirror: the same painting calls.
  const zcXform<2> maps[] = {zcXform<2>(), zcXform<2>(zcMatrix<2>(1.5, 0.2, 0, -1.5), zcVector<2>(10, 90))};
  zc2Wireframe w(sample(), zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets));
  for (const zcXform<2>& m : maps) {
    Screen direct, replayed, reloaded;
    for (Screen* s : {&direct, &replayed, &reloaded}) s->tablet.baseMap(m);
    direct.clear();
    direct.tablet.recordOn() = true;
    direct.tablet.draw(sample(), pen(), zcUITablet::eImage);
    direct.tablet.draw(w, pen(true), zcUITablet::eOverlay);
    direct.tablet.draw(sample().map(zcXform<2>::scaling(0.5, 1)), zcColor::green, true, zcUITablet::eOverlay);
    const zcUISketch sketch = direct.tablet.sketch();
    replayed.clear();
    replayed.tablet.draw(sketch, zcPoint(0, 0), zcUITablet::eImage);
    replayed.tablet.draw(sketch, zcPoint(0, 0), zcUITablet::eOverlay);
    reloaded.clear();
    const zcUISketch back = zc_test::sketchOf(archivedAndLoaded(sketch));
    reloaded.tablet.draw(back, zcPoint(0, 0), zcUITablet::eOverlay);
    reloaded.tablet.draw(back, zcPoint(0, 0), zcUITablet::eImage);
    // The replays lock around their walk, drawing locks around each polygon.
    const auto painted = [](const zcLoggingScope& s) { return s.callsOf("drawLineSeg"); };
    EXPECT_FALSE(painted(direct.image).empty());
    EXPECT_EQ(painted(replayed.image), painted(direct.image));
    EXPECT_EQ(painted(replayed.overlay), painted(direct.overlay));
    EXPECT_EQ(painted(reloaded.image), painted(direct.image));
    EXPECT_EQ(painted(reloaded.overlay), painted(direct.overlay));
    EXPECT_EQ(direct.image.count("lockScreenUpdatesPush"), 1u);
    // Filled or not, a polygon paints line segments only.
    for (const std::string& name : direct.overlay.names())
      EXPECT_TRUE(name == "drawLineSeg" || name.rfind("lockScreenUpdates", 0) == 0) << name;
    EXPECT_EQ(direct.image.calls().front(), "lockScreenUpdatesPush 1");
    EXPECT_EQ(direct.image.lockDepth(), 0);
    // Recording the replay's records again gives the same bytes.
    zcUITablet again;
    for (const Op& op : opsOf(sketch)) {
      zc_UISketchOpHeader header(op.opcode, op.layer, op.color, op.props);
      op.record->draw(again, header);
    }
    EXPECT_EQ(zc_test::bytesOf(again.sketch()), zc_test::bytesOf(sketch));
  }

  // A wireframe of reversed polarity: its sketch carries no polarity, so the replay
  // draws the arrows as for positive polarity.
  zc2Wireframe reversed = w;
  reversed.polarity(true);
  Screen direct, replayed, positive;
  direct.tablet.recordOn() = true;
  direct.tablet.draw(reversed, pen(), zcUITablet::eImage);
  positive.tablet.draw(w, pen(), zcUITablet::eImage);
  replayed.tablet.draw(direct.tablet.sketch(), zcPoint(0, 0), zcUITablet::eImage);
  EXPECT_NE(direct.image.callsOf("drawLineSeg"), positive.image.callsOf("drawLineSeg"));
  EXPECT_EQ(replayed.image.callsOf("drawLineSeg"), positive.image.callsOf("drawLineSeg"));
}

TEST(GenPolyTablet, TheCompoundIsClosedWhenPaintingFails) {
  FailingScope scope(zcPair<long>(100, 80), zcPair<long>(), "image");
  zcUITablet tablet(&scope, nullptr);
  tablet.visible(true);
  for (int failAt : {0, 5, 30}) {
    scope.failAt = failAt;
    EXPECT_THROW(tablet.draw(sample(), pen(), zcUITablet::eImage), zcUIError::NotImplemented);
    EXPECT_EQ(scope.lockDepth(), 0) << failAt;
  }
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
  // Counts, non-finite numbers and tolerance types.
  struct Patch {
    std::string what;
    std::size_t at;  // in the payload
    std::function<void(unsigned char*)> write;
    bool parses;  // refused only on replay
  };
  const std::vector<Patch> patches = {
      {"negative count", 60, [](unsigned char* p) { zfStoreI32(p, -1); }, false},
      {"count past the end", 60, [](unsigned char* p) { zfStoreI32(p, 5); }, false},
      {"huge count", 60, [](unsigned char* p) { zfStoreI32(p, 0x7fffffff); }, false},
      {"NaN point", 64, [](unsigned char* p) { zfStoreF64(p, std::nan("")); }, false},
      {"infinite span", 64 + 64 * 3 + 24, [](unsigned char* p) { zfStoreF64(p, HUGE_VAL); }, false},
      {"infinite cache", 64 + 64 * 4 + 8, [](unsigned char* p) { zfStoreF64(p, -HUGE_VAL); }, false},
      {"non-finite transform", 0, [](unsigned char* p) { zfStoreF64(p, std::nan("")); }, false},
      {"tolerance type 3", 64 + 56, [](unsigned char* p) { zfStoreI32(p, 3); }, true},
      {"tolerance type high bytes", 64 + 60, [](unsigned char* p) { zfStoreI32(p, 1); }, true},
  };
  for (const Patch& patch : patches) {
    SketchBytes bad = good;
    patch.write(bad.data() + payloadAt + patch.at);
    const zcUISketch sketch = zc_test::sketchOf(bad);
    if (!patch.parses) {
      EXPECT_THROW(opsOf(sketch), zcUIError::InvalidUISketch) << patch.what;
      continue;
    }
    EXPECT_NO_THROW(opsOf(sketch)) << patch.what;
    Screen screen;
    EXPECT_THROW(screen.tablet.draw(sketch, zcPoint(), zcUITablet::eImage), zcUIError::InvalidUISketch) << patch.what;
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

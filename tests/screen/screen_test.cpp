#include "zscreen/screen.h"

#include "dispc/uitablet.h"

#include "zfound/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// Fontconfig keeps its configuration for the life of the process; the leak checker
// of the sanitizer builds would report it as lost.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace {

using L = zcUITablet::Layers;
constexpr L kImage = zcUITablet::eImage;
constexpr L kOverlay = zcUITablet::eOverlay;

const zcRGB kBlack(0, 0, 0);
const zcRGB kRed(255, 0, 0);
const zcRGB kGreen(0, 255, 0);
const zcRGB kBlue(0, 0, 255);
const zcRGB kGray(40, 40, 40);

zcGraphicProps pen(const zcColor& color, long width = 1, long style = 0, bool fill = false) {
  return zcGraphicProps(color, width, static_cast<zcGraphicProps::zePenStyle>(style), fill);
}

// A screen with a shown root tablet over its two layers.
struct Scene {
  explicit Scene(long w = 64, long h = 48, const zcRGB& background = kGray)
      : screen(w, h, background), tablet(&screen.image(), &screen.overlay()) {
    tablet.visible(true);
  }
  zcRGB at(long x, long y) const { return screen.pel(x, y); }
  // The composite, row by row.
  std::vector<zcRGB> pels() const {
    const zcPelBuffer<zcPackedRGB32> all = screen.composite();
    std::vector<zcRGB> out;
    for (long y = 0; y < screen.height(); ++y)
      for (long x = 0; x < screen.width(); ++x) {
        const zcPackedRGB32 v = all.get(x, y);
        out.emplace_back(v.red(), v.green(), v.blue());
      }
    return out;
  }
  long count(const zcRGB& color) const {
    const std::vector<zcRGB> all = pels();
    return static_cast<long>(std::count(all.begin(), all.end(), color));
  }
  // The bounding box of the pels that differ from the background (null when none).
  zcUIRect inkBox() const {
    const std::vector<zcRGB> all = pels();
    zcUIRect box;
    for (long i = 0; i < long(all.size()); ++i)
      if (all[std::size_t(i)] != screen.background()) box |= zcUIRect(i % screen.width(), i / screen.width(), 1, 1);
    return box;
  }

  zcScreen screen;
  zcUITablet tablet;
};

// Pels of a screen against their expected colors.
void expectPels(const zcScreen& screen, std::initializer_list<std::tuple<long, long, zcRGB>> rows) {
  for (const auto& [x, y, color] : rows) EXPECT_EQ(screen.pel(x, y), color) << "at " << x << ", " << y;
}

}  // namespace

// --- The screen itself ----------------------------------------------------------------------

TEST(ScreenLayers, StartWithBackgroundAndClearOverlayAndMapIndexColors) {
  const zcScreen screen(5, 4, kBlue);
  expectPels(screen, {{0, 0, kBlue}, {4, 3, kBlue}});
  EXPECT_EQ(screen.layer(kImage).get(2, 2).value(), 0xFF0000FFu);
  EXPECT_EQ(screen.layer(kOverlay).get(2, 2).value(), 0u);
  EXPECT_EQ(screen.overlay().size(), zcPair<long>(5, 4));

  EXPECT_THROW(screen.pel(5, 0), zcPel::BadCoord);
  EXPECT_THROW(screen.pel(0, -1), zcPel::BadCoord);
  EXPECT_THROW(screen.layer(zcUITablet::eBothLayers), zcUIError::BadLayer);
  EXPECT_THROW(zcScreen(0, 10), zcScreenError::BadParams);
  EXPECT_THROW(zcScreen(10, 40000), zcScreenError::BadParams);
  Scene s(8, 8);
  const std::vector<zcRGB> palette = s.screen.palette();
  ASSERT_EQ(palette.size(), 256u);
  EXPECT_EQ(palette[249], kRed);  // the stock red's index
  EXPECT_EQ(palette[zcColor::cyan.index()], zcRGB(0, 255, 255));
  EXPECT_EQ(palette[100], zcRGB(100, 100, 100));  // the gray ramp
  EXPECT_EQ(palette, zcScreen::defaultPalette());

  EXPECT_THROW(s.screen.palette(std::vector<zcRGB>(255)), zcScreenError::BadParams);
  EXPECT_EQ(s.screen.palette(), palette);

  s.tablet.draw(zcPoint(1, 1), pen(zcColor(100)), kImage);
  EXPECT_EQ(s.at(1, 1), zcRGB(100, 100, 100));
  std::vector<zcRGB> changed = palette;
  changed[100] = kGreen;
  s.screen.palette(changed);
  s.tablet.draw(zcPoint(2, 1), pen(zcColor(100)), kImage);
  s.tablet.draw(zcPoint(3, 1), pen(zcColor(10, 20, 30)), kImage);
  // (1, 1) painted before the change; (3, 1) RGB colors bypass the palette.
  expectPels(s.screen, {{1, 1, zcRGB(100, 100, 100)}, {2, 1, kGreen}, {3, 1, zcRGB(10, 20, 30)}});
}

// --- Pixel positions and shapes ---------------------------------------------------------------

// Each drawing on a fresh 64 × 48 scene against pels it must and must not paint, the
// box of its ink (null when none; unchecked when not given) and the counts of pels of
// some colors.
TEST(ScreenPixels, DrawingsPaintExactlyTheirPels) {
  const struct {
    std::function<void(Scene&)> draw;
    std::vector<std::tuple<long, long, zcRGB>> pels;
    std::optional<zcUIRect> ink;
    std::vector<std::pair<zcRGB, long>> counts;
  } rows[] = {
      // A one-pixel segment covers its row and both ends; a vertical one its column; an
      // even width straddles the line between two rows.
      {[](Scene& s) { s.tablet.draw(zcLineSeg(zcPoint(0, 5), zcPoint(10, 5)), pen(zcColor::red), kImage); }, {},
       zcUIRect(0, 5, 11, 1), {{kRed, 11}}},
      {[](Scene& s) { s.tablet.draw(zcLineSeg(zcPoint(20, 10), zcPoint(20, 14)), pen(zcColor::green), kImage); }, {},
       zcUIRect(20, 10, 1, 5), {{kGreen, 5}}},
      {[](Scene& s) { s.tablet.draw(zcLineSeg(zcPoint(30, 20), zcPoint(40, 20)), pen(zcColor::blue, 2), kImage); },
       {{35, 19, kBlue}, {35, 20, kBlue}, {35, 18, kGray}, {35, 21, kGray}}, {}, {}},
      // Points paint their floor pixel (a hair below 10 too), wide ones a square around it.
      {[](Scene& s) {
         s.tablet.draw(zcPoint(3.7, 2.2), pen(zcColor::red), kImage);
         s.tablet.draw(zcPoint(9.99999999999999, 4), pen(zcColor::green), kImage);
         s.tablet.draw(zcPoint(20, 20), pen(zcColor::blue, 3), kImage);
       },
       {{3, 2, kRed}, {10, 4, kGreen}, {19, 19, kBlue}}, zcUIRect(3, 2, 19, 20), {{kRed, 1}, {kGreen, 1}, {kBlue, 9}}},
      // Shapes far beyond the screen paint their visible part: a segment; a huge filled
      // circle whose edge crosses the screen, inside left of the edge; nothing of a
      // circle entirely outside.
      {[](Scene& s) { s.tablet.draw(zcLineSeg(zcPoint(-1e9, 7), zcPoint(1e9, 7)), pen(zcColor::red), kImage); }, {},
       zcUIRect(0, 7, 64, 1), {{kRed, 64}}},
      {[](Scene& s) {
         s.tablet.draw(zcCircle(zcPoint(-1e7 + 30, 20), 1e7), pen(zcColor::green, 1, 0, true), kOverlay);
       },
       {{10, 20, kGreen}, {28, 20, kGreen}, {33, 20, kGray}, {40, 30, kGray}}, zcUIRect(0, 0, 31, 48), {}},
      {[](Scene& s) { s.tablet.draw(zcCircle(zcPoint(5e8, 5e8), 10), pen(zcColor::blue, 1, 0, true), kImage); }, {},
       zcUIRect::null, {}},
      // An outline circle; a quarter of a circle from angle 0 towards +y.
      {[](Scene& s) { s.tablet.draw(zcCircle(zcPoint(45, 20), 8), pen(zcColor::green), kImage); },
       {{45, 20, kGray}, {53, 20, kGreen}, {45, 12, kGreen}}, zcUIRect(37, 12, 17, 17), {}},
      {[](Scene& s) {
         const zcEllipse circle(zcPoint(20, 20), 10, 10, zcRadian(0));
         s.tablet.draw(zcEllipseArc(circle, zcRadian(0), zcRadian(1.5707963267949)), pen(zcColor::red), kImage);
       },
       {}, zcUIRect(20, 20, 11, 11), {}},
      // A rounded rectangle: (11, 24) and (30, 13) the middles of its left and top sides;
      // (10, 12) the corner of the sharp rectangle; (48, 35) inside the rounded corner.
      {[](Scene& s) {
         s.tablet.draw(zcGenRect(zcVector<2>(30, 24), zcVector<2>(20, 12), zcRadian(0), zcVector<2>(6, 6)),
                       pen(zcColor::green, 1, 0, true), kImage);
       },
       {{30, 24, kGreen}, {11, 24, kGreen}, {30, 13, kGreen}, {10, 12, kGray}, {48, 35, kGreen}, {49, 35, kGray}},
       zcUIRect(10, 12, 41, 25), {}},
      // Strokes from the drawing point move it.
      {[](Scene& s) {
         s.tablet.drawStart(zcPoint(5, 5), kImage);
         s.tablet.drawTo(zcPoint(15, 5), zcColor::red, kImage);
         s.tablet.drawToRelPels(0, 10, zcColor::green, kImage);
         EXPECT_EQ(s.tablet.drawingPoint(kImage), zcPoint(15, 15));
       },
       {{5, 5, kRed}, {14, 5, kRed}, {15, 10, kGreen}, {15, 15, kGreen}}, zcUIRect(5, 5, 11, 11), {}},
      // A generic shape paints its outline.
      {[](Scene& s) { s.tablet.draw(zcGenShape(zcCircle(zcPoint(20, 20), 6)), zcColor::red, kImage); },
       {{20, 20, kGray}, {26, 20, kRed}}, zcUIRect(14, 14, 13, 13), {}},
      // The display clip rectangle limits painting until it is reset.
      {[](Scene& s) {
         s.tablet.drawClipRect(zcRect(10, 10, 10, 5), kImage);
         s.tablet.draw(zcLineSeg(zcPoint(0, 12), zcPoint(63, 12)), pen(zcColor::red), kImage);
       },
       {}, zcUIRect(10, 12, 10, 1), {{kRed, 10}}},
      {[](Scene& s) {
         s.tablet.drawClipRect(zcRect(10, 10, 10, 5), kImage);
         s.screen.image().setDisplayClipRect(zcUIRect::null);
         s.tablet.draw(zcLineSeg(zcPoint(0, 30), zcPoint(63, 30)), pen(zcColor::red), kImage);
       },
       {}, zcUIRect(0, 30, 64, 1), {{kRed, 64}}},
      // RGB images on the scope itself: unscaled (the pass value leaves the background),
      // magnified by (3, 2), and 16-bit pels sampled by 2 (source pel (2, 2) at (21, 21)).
      {[](Scene& s) {
         zcPelBuffer<zcPackedRGB32> rgb(2, 2, zcPackedRGB32(1, 2, 3));
         rgb.set(0, 0, zcPackedRGB32(255, 0, 0));
         rgb.set(1, 0, zcPackedRGB32(0, 255, 0));
         rgb.set(0, 1, zcPackedRGB32(0, 0, 255));
         s.screen.image().draw(rgb, zcPoint(0, 0), true, zcPackedRGB32(1, 2, 3));
         s.screen.image().expand(rgb, zcPoint(10, 10), zcPair<long>(3, 2), false, zcPackedRGB32(), false, 0);
         zcPelBuffer<unsigned short> wide(4, 4, 0x1234);
         wide.set(2, 2, 0xFF00);
         s.screen.image().sample(wide, zcPoint(20, 20), zcPair<long>(2, 2), false, 0, false);
       },
       {{0, 0, kRed}, {1, 0, kGreen}, {0, 1, kBlue}, {1, 1, kGray}, {10, 10, kRed}, {12, 11, kRed}, {13, 11, kGreen},
        {15, 12, zcRGB(1, 2, 3)}, {16, 12, kGray}, {15, 14, kGray}, {20, 20, zcRGB(0x12, 0x12, 0x12)},
        {21, 21, zcRGB(255, 255, 255)}, {22, 20, kGray}},
       zcUIRect(0, 0, 22, 22), {}},
  };
  for (const auto& row : rows) {
    Scene s;
    row.draw(s);
    const auto what = &row - rows;
    for (const auto& [x, y, color] : row.pels) EXPECT_EQ(s.at(x, y), color) << "row " << what << ": " << x << "," << y;
    EXPECT_EQ(s.inkBox(), row.ink.value_or(s.inkBox())) << "row " << what;
    for (const auto& [color, n] : row.counts) EXPECT_EQ(s.count(color), n) << "row " << what;
  }
}

TEST(ScreenShapes, DashedAndDottedLinesLeaveGaps) {
  // A row of 40 pels each on its own line, 3 rows apart; style 5 strokes nothing.
  const std::pair<long, std::string> styles[] = {{0, std::string(40, '#')},
                                                 {1, "######...######...######...######...####"},
                                                 {2, "#..#..#..#..#..#..#..#..#..#..#..#..#..#"},
                                                 {5, std::string(40, '.')}};
  Scene s(64, 16);
  for (long i = 0; i < 4; ++i)
    s.tablet.draw(zcLineSeg(zcPoint(0, 2 + 3 * i), zcPoint(39, 2 + 3 * i)), pen(zcColor::red, 1, styles[i].first),
                  kImage);
  for (long i = 0; i < 4; ++i) {
    std::string row;
    for (long x = 0; x < 40; ++x) row += s.at(x, 2 + 3 * i) == kGray ? '.' : '#';
    EXPECT_EQ(row, styles[i].second) << "style " << styles[i].first;
  }
}

// --- Scopes ---------------------------------------------------------------------------------

TEST(ScreenScopes, KidCutByItsParentAndKidOfKid) {
  zcScreen screen(40, 30, kGray);
  // A kid hanging over the left edge: its scope pixel 0 is its pixel 5.
  std::unique_ptr<zcUIScope> kid(screen.image().makeKidScope(zcUIRect(-5, 10, 20, 10), false));
  EXPECT_EQ(kid->size(), zcPair<long>(15, 10));
  EXPECT_EQ(kid->origin(), zcPair<long>(5, 0));
  kid->set(zcColor::red);
  kid->draw(zcPoint(5, 0), pen(zcColor::green));
  expectPels(screen, {{0, 10, kGreen}, {14, 19, kRed}, {15, 19, kGray}});

  std::unique_ptr<zcUIScope> grandKid(kid->makeKidScope(zcUIRect(10, 2, 100, 3), false));
  EXPECT_EQ(grandKid->size(), zcPair<long>(10, 3));
  grandKid->set(zcColor::blue);
  // (5, 12) kid pixel 10 is layer pixel 5; (15, 14) cut at the kid's right edge.
  expectPels(screen, {{5, 12, kBlue}, {14, 14, kBlue}, {15, 14, kGray}, {4, 12, kRed}});

  // Kids outlive their screen without painting into freed memory.
  zcUIScope* orphan = nullptr;
  {
    zcScreen gone(10, 10);
    orphan = gone.overlay().makeKidScope(zcUIRect(2, 2, 4, 4), false);
  }
  orphan->set(zcColor::red);
  delete orphan;
}

TEST(ScreenScopes, ChangesAreReportedInhibitedScopesOnlyMeasureAndLocksStack) {
  Scene s;
  zcScreenScope& image = s.screen.image();
  image.noChange();
  image.modified(false);
  s.tablet.draw(zcLineSeg(zcPoint(10, 10), zcPoint(20, 15)), pen(zcColor::red), kImage);
  EXPECT_TRUE(image.modified());
  EXPECT_TRUE(image.changeRect().within(zcUIRect(10, 10, 11, 6)));
  EXPECT_FALSE(image.allChanged());

  image.noChange();
  image.modified(false);
  image.inhibitDrawing(true);
  image.clientChangeEnable(true);
  const std::vector<zcRGB> before = s.pels();
  image.draw(zcEllipse(zcPoint(40, 20), 5, 5, zcRadian(0)), pen(zcColor::green, 1, 0, true));
  image.set(zcUIRect(0, 0, 5, 5), zcColor::blue);
  image.fill(zcPair<long>(30, 30), zcColor::blue, zcColor::red, true);
  EXPECT_EQ(s.pels(), before);
  EXPECT_FALSE(image.modified());
  EXPECT_TRUE(image.changeRect().isNull());
  const zcUIRect client = image.clientChangedRect(true);
  EXPECT_TRUE(client.within(zcUIRect(35, 15, 11, 11)));
  EXPECT_TRUE(client.within(zcUIRect(0, 0, 5, 5)));
  EXPECT_TRUE(image.drawingInhibited(kImage));

  // Kids made while inhibited are inhibited too.
  std::unique_ptr<zcUIScope> kid(image.makeKidScope(zcUIRect(0, 0, 8, 8), true));
  EXPECT_TRUE(kid->drawingInhibited(kImage));
  image.inhibitDrawing(false);
  EXPECT_FALSE(image.drawingInhibited(kOverlay));
  zcScreen screen(4, 4);
  zcScreenScope& scope = screen.overlay();
  scope.lockScreenUpdatesPush(true);
  scope.lockScreenUpdatesPush(false);
  EXPECT_TRUE(scope.lockScreenUpdatesPop());  // the locking entry is left
  EXPECT_FALSE(scope.lockScreenUpdatesPop());
  EXPECT_FALSE(scope.lockScreenUpdatesPop());  // popping an empty stack is harmless
  EXPECT_EQ(scope.lockDepth(), 0);
}

// --- Areas ----------------------------------------------------------------------------------

TEST(ScreenAreas, FloodFillStopsAtTheBoundaryColor) {
  Scene s;
  s.tablet.draw(zcRect(10, 10, 20, 15), zcColor::red, false, kImage);
  s.tablet.draw(zcLineSeg(zcPoint(40, 0), zcPoint(40, 47)), pen(zcColor::blue), kImage);
  const long redBefore = s.count(kRed);
  s.tablet.fill(zcPair<long>(15, 15), zcColor::green, zcColor::red, zcUITablet::eFillType0, kImage);
  expectPels(s.screen, {{15, 15, kGreen}, {11, 11, kGreen}, {5, 5, kGray}});
  EXPECT_EQ(s.count(kRed), redBefore);
  const zcUIRect inside = s.inkBox() & zcUIRect(11, 11, 19, 14);
  EXPECT_EQ(inside, zcUIRect(11, 11, 19, 14));
  EXPECT_EQ(s.count(kGreen), 19 * 14);

  // Fill type 1 fills the start pixel's own color: the gray outside up to any other
  // color, here left of the blue line and around the rectangle.
  s.tablet.fill(zcPair<long>(0, 0), zcColor::yellow, zcColor::black, zcUITablet::eFillType1, kImage);
  expectPels(s.screen, {{0, 0, zcRGB(255, 255, 0)}, {39, 47, zcRGB(255, 255, 0)}, {41, 0, kGray}});
  EXPECT_EQ(s.count(kGreen), 19 * 14);
  // Starting on the boundary color fills nothing.
  s.tablet.fill(zcPair<long>(10, 10), zcColor::blue, zcColor::red, zcUITablet::eFillType0, kImage);
  EXPECT_EQ(s.at(10, 10), kRed);
}

// --- Replay ---------------------------------------------------------------------------------

// Far geometry (a point, text, a cross and an image beyond the range of a pixel
// coordinate, at every sign) records, replays and paints what falls inside: nothing
// of itself, and the rest of the sketch.
TEST(ScreenReplay, FarOperationsPaintNothingAndTheRestRenders) {
  zcUITablet recorder;
  recorder.drawOn() = true;
  zcPelBuffer<unsigned char> pels(2, 2, 200);
  for (double far : {1e20, -1e20, 1e300}) {
    for (const zcPoint& p : {zcPoint(far, 5), zcPoint(5, far), zcPoint(far, far)}) {
      recorder.draw(p, pen(zcColor::red, 3), kOverlay);
      recorder.draw(std::wstring(L"far"), p, zcColor::red, zcColor::blue, zcUIFormat(), kOverlay);
      recorder.draw(zcCross(p, zcRadian(0.3), 8), pen(zcColor::red), kOverlay);
      recorder.draw(pels, p, false, 0, false, kImage);
    }
  }
  recorder.draw(zcRect(2, 2, 4, 3), pen(zcColor::green, 1, 0, true), kOverlay);
  Scene replayed(16, 12), direct(16, 12);
  replayed.tablet.draw(recorder.sketch(), zcPoint(), zcUITablet::eBothLayers);
  direct.tablet.draw(zcRect(2, 2, 4, 3), pen(zcColor::green, 1, 0, true), kOverlay);
  EXPECT_GT(direct.count(kGreen), 0);
  EXPECT_EQ(replayed.pels(), direct.pels());
}

#include "zscreen/screen.h"

#include "dispc/uitablet.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr long kW = 64, kH = 48;
const zcUIRect kKid(5, 4, 50, 38);  // layer pixels; the kid's pixel (0, 0) is layer (5, 4)
const zcRGB kGray(40, 40, 40);
constexpr std::uint32_t kRedArgb = 0xFFFF0000u, kGrayArgb = 0xFF282828u;

zcGraphicProps thinPen(const zcColor& color, long style = 0, bool fill = false) {
  return zcGraphicProps(color, 1, static_cast<zcGraphicProps::zePenStyle>(style), fill);
}

// The thin-line rule in its own words, one pixel at a time (scope pixels): ends in
// 1/256 pixel, moved by half a pixel; one pixel per column (per row when steeper),
// in the row holding the line's height at the column's centre.
bool lit(const zcPoint& a, const zcPoint& b, long i, long j) {
  auto fix = [](double v) { return static_cast<long long>(std::floor((v + 0.5) * 256 + 0.5)); };
  long long x0 = fix(a.x()), y0 = fix(a.y()), x1 = fix(b.x()), y1 = fix(b.y());
  if (std::llabs(x1 - x0) < std::llabs(y1 - y0)) {
    std::swap(x0, y0);
    std::swap(x1, y1);
    std::swap(i, j);
  }
  if (x1 < x0) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  if (i < std::floor(x0 / 256.0) || i > std::floor(x1 / 256.0)) return false;
  if (x1 == x0) return j == std::floor(y0 / 256.0);
  const long long dx = x1 - x0, height = y0 * dx + (256 * i + 128 - x0) * (y1 - y0);
  return 256 * j * dx <= height && height < 256 * (j + 1) * dx;
}

std::vector<std::uint32_t> pelsOf(const zcScreen& s, zcUITablet::Layers layer) {
  const zcPelBuffer<zcPackedRGB32> all = s.layer(layer);
  std::vector<std::uint32_t> out;
  for (long y = 0; y < kH; ++y)
    for (long x = 0; x < kW; ++x) out.push_back(all.get(x, y).value());
  return out;
}

}  // namespace

// Random segments (ends on grids of 1/2 and 1/256 pixel, many beyond the kid scope
// that paints them) and far ones against the rule: exactly the rule's pixels inside
// the kid, nothing outside it, the same drawn either way, all inside the reported
// change. Every third row erases a red overlay with the pass color instead.
TEST(ThinLines, FollowTheRuleBothWaysWithinTheClip) {
  struct Row {
    zcPoint a, b;
    zcPoint ruleA, ruleB;  // a segment of the same line whose ends are near the kid
  };
  std::vector<Row> rows = {
      {zcPoint(-1e9, 7), zcPoint(1e9, 7), zcPoint(-10, 7), zcPoint(80, 7)},
      {zcPoint(-1e9, -1e9 + 3), zcPoint(1e9, 1e9 + 3), zcPoint(-10, -7), zcPoint(80, 83)},
      {zcPoint(-4e8, 10.3 - 1e8), zcPoint(4e8, 10.3 + 1e8), zcPoint(-20, 5.3), zcPoint(100, 35.3)},
      {zcPoint(30.3 + 1.25e8, 1e9), zcPoint(30.3 - 1.25e8, -1e9), zcPoint(37.8, 60), zcPoint(29.05, -10)},
      {zcPoint(12.25, 9.75), zcPoint(12.25, 9.75), zcPoint(12.25, 9.75), zcPoint(12.25, 9.75)},
      {zcPoint(3, 3), zcPoint(23, 23), zcPoint(3, 3), zcPoint(23, 23)},
      {zcPoint(0.5, 0), zcPoint(20.5, 20), zcPoint(0.5, 0), zcPoint(20.5, 20)},  // through pixel corners
      // On the borders of the kid's first and last rows and columns.
      {zcPoint(-5, 37.5), zcPoint(60, 37.5), zcPoint(-5, 37.5), zcPoint(60, 37.5)},
      {zcPoint(-5, -0.5), zcPoint(60, -0.5), zcPoint(-5, -0.5), zcPoint(60, -0.5)},
      {zcPoint(49.5, -5), zcPoint(49.5, 50), zcPoint(49.5, -5), zcPoint(49.5, 50)},
      {zcPoint(49.5, 10), zcPoint(49.5, 10), zcPoint(49.5, 10), zcPoint(49.5, 10)},
  };
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> along(-30, 94);
  for (int k = 0; k < 400; ++k) {
    const double grid = k % 2 ? 2.0 : 256.0;
    auto at = [&] { return std::round(along(rng) * grid) / grid; };
    const zcPoint a(at(), at() * 0.75), b(at(), at() * 0.75);
    rows.push_back({a, b, a, b});
  }
  for (const Row& row : rows) {
    const bool erase = (&row - rows.data()) % 3 == 2;
    const zcUITablet::Layers layer = erase ? zcUITablet::eOverlay : zcUITablet::eImage;
    const std::uint32_t blank = erase ? kRedArgb : kGrayArgb, ink = erase ? 0u : kRedArgb;
    std::vector<std::uint32_t> drawn[2];
    for (int reverse = 0; reverse < 2; ++reverse) {
      zcScreen screen(kW, kH, kGray);
      zcScreenScope& root = erase ? screen.overlay() : screen.image();
      if (erase) root.set(zcColor::red);
      std::unique_ptr<zcUIScope> kid(root.makeKidScope(kKid, false));
      kid->noChange();
      const zcColor color = erase ? zcColor::pass : zcColor::red;
      kid->draw(reverse ? zcLineSeg(row.b, row.a) : zcLineSeg(row.a, row.b), thinPen(color));
      drawn[reverse] = pelsOf(screen, layer);
      const zcUIRect change = kid->changeRect();
      for (long y = 0; y < kH; ++y)
        for (long x = 0; x < kW; ++x) {
          const long i = x - kKid.left(), j = y - kKid.top();
          const bool on = kKid.within(zcPair<long>(x, y)) && lit(row.ruleA, row.ruleB, i, j);
          ASSERT_EQ(drawn[reverse][std::size_t(y * kW + x)], on ? ink : blank)
              << "segment (" << row.a.x() << ", " << row.a.y() << ")-(" << row.b.x() << ", " << row.b.y()
              << ") reversed " << reverse << " at " << x << ", " << y;
          ASSERT_TRUE(!on || change.within(zcPair<long>(i, j))) << i << ", " << j;
        }
    }
    EXPECT_EQ(drawn[0], drawn[1]);
  }
}

// Outlines built of segments set the pixels of their segments drawn one by one, a fill
// under them included; pens that are not thin and solid, and vector screens, keep
// Cairo's wider stroke (the vector file keeps the stroke as a path).
TEST(ThinLines, OutlinesAreTheirSegmentsAndOtherPensKeepCairo) {
  const std::vector<zcPoint> v = {zcPoint(4, 5), zcPoint(40, 17.5), zcPoint(22, 41)};
  auto segments = [&](zcUITablet& t, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
      t.draw(zcLineSeg(v[i], v[(i + 1) % v.size()]), thinPen(zcColor::red), zcUITablet::eImage);
  };
  const struct {
    void (*shape)(zcUITablet&, const std::vector<zcPoint>&);
    void (*same)(zcUITablet&, const std::vector<zcPoint>&);  // before the segments
    std::size_t segments;
  } rows[] = {
      {[](zcUITablet& t, const std::vector<zcPoint>& p) { t.draw(zcPolyline(p), thinPen(zcColor::red), zcUITablet::eImage); },
       nullptr, 2},
      {[](zcUITablet& t, const std::vector<zcPoint>& p) { t.draw(zcPolygon(p), thinPen(zcColor::red), zcUITablet::eImage); },
       nullptr, 3},
      {[](zcUITablet& t, const std::vector<zcPoint>& p) {
         t.draw(zcPolygon(p), thinPen(zcColor::red, 0, true), zcUITablet::eImage);
       },
       [](zcUITablet& t, const std::vector<zcPoint>& p) {
         t.draw(zcPolygon(p), thinPen(zcColor::red, 5, true), zcUITablet::eImage);
       },
       3},
  };
  for (const auto& row : rows) {
    zcScreen one(kW, kH, kGray), parts(kW, kH, kGray);
    zcUITablet a(&one.image(), &one.overlay()), b(&parts.image(), &parts.overlay());
    a.visible(true);
    b.visible(true);
    row.shape(a, v);
    if (row.same) row.same(b, v);
    segments(b, row.segments);
    EXPECT_EQ(pelsOf(one, zcUITablet::eImage), pelsOf(parts, zcUITablet::eImage)) << &row - rows;
    EXPECT_EQ(one.pel(22, 21), row.same ? zcRGB(255, 0, 0) : kGray) << &row - rows;  // the middle
  }

  // A diagonal: one pixel per column when thin; more with a pen of style 6 (solid)
  // too; more on a vector screen and with a wider pen, which Cairo strokes.
  auto count = [](zcScreen& s, const zcGraphicProps& pen) {
    zcUITablet t(&s.image(), &s.overlay());
    t.visible(true);
    t.draw(zcLineSeg(zcPoint(2, 3), zcPoint(42, 33)), pen, zcUITablet::eImage);
    const std::vector<std::uint32_t> p = pelsOf(s, zcUITablet::eImage);
    return std::count(p.begin(), p.end(), kRedArgb);
  };
  zcScreen raster(kW, kH, kGray), solid6(kW, kH, kGray), vector(kW, kH, kGray, zcScreen::eVector),
      wide(kW, kH, kGray);
  EXPECT_EQ(count(raster, thinPen(zcColor::red)), 41);
  EXPECT_EQ(count(solid6, thinPen(zcColor::red, 6)), 41);
  EXPECT_GT(count(vector, thinPen(zcColor::red)), 41);
  EXPECT_GT(count(wide, zcGraphicProps(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, false)), 2 * 41);
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("zscreen_lines_test-" + std::to_string(::getpid()) + ".svg");
  vector.save(file.string(), zcScreen::eSvg);
  const std::string svg = zc_test::readText(file);
  std::filesystem::remove(file);
  EXPECT_NE(svg.find("<path"), std::string::npos);
}

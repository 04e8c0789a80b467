#include "zscreen/screen.h"

#include "dispc/dispprop.h"
#include "zfound/lines.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr long kW = 64, kH = 48;
const zcUIRect kKid(5, 4, 50, 38);  // layer pixels: the kid's pixel (0, 0) is layer (5, 4)
const zcRGB kGray(40, 40, 40);
constexpr std::uint32_t kRed = 0xFFFF0000u, kGrayArgb = 0xFF282828u;

zcGraphicProps pen(const zcColor& color, long style = 0, bool fill = false) {
  return zcGraphicProps(color, 1, static_cast<zcGraphicProps::zePenStyle>(style), fill);
}

// The thin-line rule pixel by pixel (scope pixels): ends moved by half a pixel, in 1/256
// pixel; per column (row when steeper) the row holding the height at the column's centre.
bool lit(const zcPoint& a, const zcPoint& b, long i, long j) {
  auto fix = [](double v) { return static_cast<long long>(std::floor((v + 0.5) * 256 + 0.5)); };
  long long x0 = fix(a.x()), y0 = fix(a.y()), x1 = fix(b.x()), y1 = fix(b.y());
  if (std::llabs(x1 - x0) < std::llabs(y1 - y0)) std::swap(x0, y0), std::swap(x1, y1), std::swap(i, j);
  if (x1 < x0) std::swap(x0, x1), std::swap(y0, y1);
  if (i < std::floor(x0 / 256.0) || i > std::floor(x1 / 256.0)) return false;
  if (x1 == x0) return j == std::floor(y0 / 256.0);
  const long long dx = x1 - x0, height = y0 * dx + (256 * i + 128 - x0) * (y1 - y0);
  return 256 * j * dx <= height && height < 256 * (j + 1) * dx;
}

// A layer's pels (premultiplied; rows of 64 pels hold no padding).
std::vector<std::uint32_t> pelsOf(zcScreen& s, zcUITabletEnums::Layers layer = zcUITabletEnums::eImage) {
  const zcScreen::Pels p = s.pels(layer);
  return std::vector<std::uint32_t>(p.data, p.data + p.width * p.height);
}

}  // namespace

// Random segments (ends on grids of 1/2 and 1/256 pixel, many beyond the kid scope that
// paints them), lines on pixel borders and far ones (checked by a near segment of the
// same line) against the rule: its pixels inside the kid, nothing outside, the same
// either way, all within the change reported. Every third row erases a red overlay.
TEST(ThinLines, FollowTheRuleBothWaysWithinTheClip) {
  std::vector<std::array<zcPoint, 4>> rows = {  // a, b and the near segment
      {zcPoint(-4e8, 10.3 - 1e8), zcPoint(4e8, 10.3 + 1e8), zcPoint(-20, 5.3), zcPoint(100, 35.3)},
      {zcPoint(30.3 + 1.25e8, 1e9), zcPoint(30.3 - 1.25e8, -1e9), zcPoint(37.8, 60), zcPoint(29.05, -10)}};
  for (const auto& [a, b] : {std::pair{zcPoint(12.25, 9.75), zcPoint(12.25, 9.75)}, {zcPoint(0.5, 0), zcPoint(20.5, 20)},
                             {zcPoint(-5, 37.5), zcPoint(60, 37.5)}, {zcPoint(-5, -0.5), zcPoint(60, -0.5)},
                             {zcPoint(49.5, -5), zcPoint(49.5, 50)}, {zcPoint(49.5, 10), zcPoint(49.5, 10)}})
    rows.push_back({a, b, a, b});
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> along(-30, 94);
  for (int k = 0; k < 400; ++k) {
    const double grid = k % 2 ? 2.0 : 256.0;
    auto at = [&] { return std::round(along(rng) * grid) / grid; };
    const zcPoint a(at(), at() * 0.75), b(at(), at() * 0.75);
    rows.push_back({a, b, a, b});
  }
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const auto& [a, b, ruleA, ruleB] = rows[n];
    const bool erase = n % 3 == 2;
    const std::uint32_t blank = erase ? kRed : kGrayArgb, ink = erase ? 0u : kRed;
    std::vector<std::uint32_t> drawn[2];
    for (int reverse = 0; reverse < 2; ++reverse) {
      zcScreen screen(kW, kH, kGray);
      zcScreenScope& root = erase ? screen.overlay() : screen.image();
      if (erase) root.set(zcColor::red);
      std::unique_ptr<zcUIScope> kid(root.makeKidScope(kKid, false));
      kid->noChange();
      kid->draw(reverse ? zcLineSeg(b, a) : zcLineSeg(a, b), pen(erase ? zcColor::pass : zcColor::red));
      drawn[reverse] = pelsOf(screen, erase ? zcUITabletEnums::eOverlay : zcUITabletEnums::eImage);
      for (long y = 0; y < kH; ++y)
        for (long x = 0; x < kW; ++x) {
          const long i = x - kKid.left(), j = y - kKid.top();
          const bool on = kKid.within(zcPair<long>(x, y)) && lit(ruleA, ruleB, i, j);
          ASSERT_EQ(drawn[reverse][std::size_t(y * kW + x)], on ? ink : blank) << "row " << n << " at " << x << ", " << y;
          ASSERT_TRUE(!on || kid->changeRect().within(zcPair<long>(i, j))) << i << ", " << j;
        }
    }
    EXPECT_EQ(drawn[0], drawn[1]);
  }
}

// A closed polyline sets its segments' pixels, filled also its fill; a vector screen keeps
// Cairo's bolder stroke, and the vector file a path.
TEST(ThinLines, OutlinesAreTheirSegmentsAndVectorScreensKeepCairo) {
  const std::vector<zcPoint> v = {zcPoint(4, 5), zcPoint(40, 17.5), zcPoint(22, 41)};
  for (const bool fill : {false, true}) {
    zcScreen one(kW, kH, kGray), parts(kW, kH, kGray);
    one.image().draw(zcPolyline(v, true), pen(zcColor::red, 0, fill));
    if (fill) parts.image().draw(zcPolygon(v), pen(zcColor::red, 5, true));
    for (std::size_t i = 0; i < v.size(); ++i) parts.image().draw(zcLineSeg(v[i], v[(i + 1) % 3]), pen(zcColor::red));
    EXPECT_EQ(pelsOf(one), pelsOf(parts));
    EXPECT_EQ(one.pel(22, 21), fill ? zcRGB(255, 0, 0) : kGray);
  }
  zcScreen raster(kW, kH, kGray), vector(kW, kH, kGray, zcScreen::eVector);
  for (zcScreen* s : {&raster, &vector}) s->image().draw(zcLineSeg(zcPoint(2, 3), zcPoint(42, 33)), pen(zcColor::red));
  const std::vector<std::uint32_t> thin = pelsOf(raster), bold = pelsOf(vector);
  EXPECT_EQ(std::count(thin.begin(), thin.end(), kRed), 41);
  EXPECT_GT(std::count(bold.begin(), bold.end(), kRed), 41);
  const auto file = std::filesystem::temp_directory_path() / ("zscreen_lines-" + std::to_string(::getpid()) + ".svg");
  vector.save(file.string(), zcScreen::eSvg);
  EXPECT_NE(zc_test::readText(file).find("<path"), std::string::npos);
  std::filesystem::remove(file);
}

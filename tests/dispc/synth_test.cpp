// Synthetic drawing: both coverage modes against exact pel areas, the invariants of the
// exact mode, the general renderer, the boundary rasterizers and refused input.
#include "dispc/wrfm/genpoly.h"
#include "dispc/wrfm/synth.h"
#include "support/smdpoly_builders.h"
#include "support/synth_reference.h"
#include "wrfm/synth_private.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <sstream>

using zc_test::build;
using zc_test::vx;
using Image = zcPelBuffer<unsigned char>;

namespace {

constexpr zeSyntheticCoverage kModes[] = {eNeighbourBlend, eExactCoverage};

Image render(const zcSMDGDPoly& p, const zcXform<2>& x, long w, long h, zeSyntheticCoverage mode,
             unsigned char v = 255) {
  Image img(w, h);
  zcSMDGDPolyPrivate::drawSynthetic(p, x, img, v, true, true, mode);
  return img;
}

// The rounded outline in image coordinates, from the poly's own pieces.
zc_test::Outline outlineOf(const zcSMDGDPoly& p, const zcXform<2>& M) {
  zc_test::Outline o;
  for (long k = 0; k < p.numVertices(); ++k) {
    const long s = p.previousSegmentIndex_(k);
    if (s < 0) continue;
    if (p.isSegmentArc_(s)) {
      zc_test::addShape(o, p.roundedArcSegment_(s).ellipseArc2(), M);
    } else {
      const zcPoint a = p.roundedEndPoints()[p.previousVertexIndex_(s)], b = p.roundedStartPoints()[k];
      if (a != b) zc_test::addLine(o, M.mapPoint(a), M.mapPoint(b));
    }
    if (p.isVertexRounded_(k)) zc_test::addShape(o, p.roundedArcVertex_(k).ellipseArc2(), M);
  }
  return o;
}

struct Errors {
  int max = 0;
  double mean = 0.0;
  long pels = 0;
};

// Errors against the reference over the pels strictly between 0 and v in either image.
Errors against(const Image& img, const std::function<double(long, long)>& area, int v = 255) {
  Errors e;
  double sum = 0.0;
  for (long r = 0; r < img.height(); ++r)
    for (long c = 0; c < img.width(); ++c) {
      const int want = zc_test::level(area(c, r), v), got = img.get(c, r);
      if ((want == 0 || want == v) && (got == 0 || got == v) && want == got) continue;
      e.max = std::max(e.max, std::abs(got - want));
      sum += std::abs(got - want);
      ++e.pels;
    }
  e.mean = e.pels ? sum / static_cast<double>(e.pels) : 0.0;
  return e;
}

zcSMDGDPoly roundedRect(double x, double y, double w, double h, double r) {
  return build({vx(x, y, r), vx(x + w, y, r), vx(x + w, y + h, r), vx(x, y + h, r)}, true);
}

// A star of n points whose edges alternate between lines and shallow arcs.
zcSMDGDPoly star(const zcPoint& c, double outer, double inner, int n, double span = 12.0) {
  std::vector<zcSMDGDPolyVertex> list;
  for (int i = 0; i < 2 * n; ++i) {
    const double a = std::numbers::pi * i / n, r = i % 2 ? inner : outer;
    const zcPoint p = c + zcVector<2>(std::cos(a), std::sin(a)) * r;
    list.push_back(i % 4 == 1 ? zc_test::arcVx(p.x(), p.y(), span) : vx(p.x(), p.y()));
  }
  return build(list, true);
}

// Shapes of lines, arcs and roundings, inside a 64 × 64 image.
struct Shape {
  const char* name;
  zcSMDGDPoly poly;
};
std::vector<Shape> shapes() {
  return {{"circle", zcSMDGDPoly::circle(20.3, zcPoint(31.7, 30.2))},
          {"rounded rectangle", roundedRect(9.3, 12.6, 41.5, 33.2, 6.4)},
          {"star", star(zcPoint(32.2, 31.9), 27.0, 11.5, 5)},
          {"half disk", build({vx(12.25, 30.5), zc_test::arcVx(50.75, 30.5, 180.0)}, true)}};
}

}  // namespace

// --- Accuracy ---------------------------------------------------------------------------------

TEST(SyntheticAccuracy, CircleOfRadius100AgainstClosedFormDiskAreas) {
  const zcPoint centre(128.37, 127.81);
  const zcSMDGDPoly circle = zcSMDGDPoly::circle(100.0, centre);
  const auto disk = [&](long c, long r) { return zc_test::diskPelArea(centre, 100.0, c, r); };
  const Errors exact = against(render(circle, zcXform<2>(), 256, 256, eExactCoverage), disk);
  EXPECT_LE(exact.max, 2);
  EXPECT_LE(exact.mean, 0.5);
  EXPECT_GT(exact.pels, 600);
  const Errors blend = against(render(circle, zcXform<2>(), 256, 256, eNeighbourBlend), disk);
  std::cout << "circle r=100: exact coverage max " << exact.max << " mean " << exact.mean << "; neighbour blend max "
            << blend.max << " mean " << blend.mean << "\n";
  EXPECT_LE(blend.max, 64);
}

// --- Invariants of the exact mode -------------------------------------------------------------

TEST(SyntheticExact, CoverageSumsToTheExactAreaInsideAndAcrossTheBorder) {
  // Shifts put each shape inside the window, then across its edges and corners.
  const zcVector<2> shifts[] = {{0, 0}, {-25.5, 0.25}, {30.125, -28.75}, {-29.0, 31.5}, {0.5, 40.0}};
  for (const Shape& s : shapes())
    for (const zcVector<2>& d : shifts) {
      const zcXform<2> M = zcXform<2>::translation(d);
      const zc_synth::Window win{0, 0, 64, 64};
      const std::vector<double> f = zc_synth::exactCoverage(s.poly, M, win);
      const zc_test::Outline o = outlineOf(s.poly, M);
      double sum = 0.0, want = 0.0, worst = 0.0;
      for (long r = 0; r < 64; ++r)
        for (long c = 0; c < 64; ++c) {
          const double ref = zc_test::pelArea(o, c, r);
          sum += f[static_cast<std::size_t>(r * 64 + c)];
          want += ref;
          worst = std::max(worst, std::abs(ref - f[static_cast<std::size_t>(r * 64 + c)]));
        }
      EXPECT_NEAR(sum, want, 1e-9) << s.name << " shifted " << d.x() << ", " << d.y();
      EXPECT_LT(worst, 1e-9) << s.name << " shifted " << d.x() << ", " << d.y();
    }
  const zcSMDGDPoly circle = zcSMDGDPoly::circle(20.3, zcPoint(31.7, 30.2));
  const std::vector<double> f = zc_synth::exactCoverage(circle, zcXform<2>(), zc_synth::Window{0, 0, 64, 64});
  double sum = 0.0;
  for (const double x : f) sum += x;
  EXPECT_NEAR(sum, std::numbers::pi * 20.3 * 20.3, 1e-9);
}

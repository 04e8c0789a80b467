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

namespace {

// Pels that may differ by 1 between two renderings of one region: those whose exact
// level lies within 1e-6 of a rounding boundary.
bool nearTie(double f, int v = 255) {
  const double x = f * v;
  return std::abs(x - std::floor(x) - 0.5) < 1e-6;
}

// Compares b, read through `where` (b's pel for a's pel), with a; counts allowed ties.
long expectSame(const Image& a, const Image& b, const zc_test::Outline& ref,
                const std::function<std::pair<long, long>(long, long)>& where, const std::string& what) {
  long ties = 0;
  for (long r = 0; r < a.height(); ++r)
    for (long c = 0; c < a.width(); ++c) {
      const auto [bc, br] = where(c, r);
      const int d = std::abs(a.get(c, r) - b.get(bc, br));
      if (d == 0) continue;
      const bool tie = d == 1 && nearTie(zc_test::pelArea(ref, c, r));
      ties += tie;
      EXPECT_TRUE(tie) << what << " at " << c << ", " << r << ": " << int(a.get(c, r)) << " vs "
                       << int(b.get(bc, br));
    }
  return ties;
}

zcSMDGDPoly reversed(const zcSMDGDPoly& p) {
  zcSMDGDPoly out;
  zcSMDGDPolyPrivate::reversePoly(p, out);
  return out;
}

}  // namespace

TEST(SyntheticExact, TranslationMirrorRotationAndReversalGiveTheSameImage) {
  // Outlines on a 1/64 grid: every map below keeps them there.
  const zcSMDGDPoly shapes[] = {
      roundedRect(9.25, 12.5, 41.5, 33.25, 6.375), zcSMDGDPoly::circle(20.25, zcPoint(31.75, 30.125)),
      build({vx(10.5, 8.25, 4.5), zc_test::arcVx(52.125, 14.0, -40.0), vx(44.0, 55.75, 3.0), vx(12.75, 50.0)}, true)};
  const zcXform<2> flipX(zcMatrix<2>(-1, 0, 0, 1), zcVector<2>(64, 0));
  const zcXform<2> turn(zcMatrix<2>(0, -1, 1, 0), zcVector<2>(64, 0));
  long ties = 0;
  for (const zcSMDGDPoly& p : shapes) {
    const zc_test::Outline ref = outlineOf(p, zcXform<2>());
    const Image base = render(p, zcXform<2>(), 64, 64, eExactCoverage);
    const Image moved = render(p, zcXform<2>::translation(zcVector<2>(7, -3)), 64, 64, eExactCoverage);
    ties += expectSame(base, moved, ref, [](long c, long r) { return std::pair(std::clamp(c + 7, 0L, 63L), std::clamp(r - 3, 0L, 63L)); }, "translation");
    ties += expectSame(base, render(p, flipX, 64, 64, eExactCoverage), ref, [](long c, long r) { return std::pair(63 - c, r); }, "mirror");
    ties += expectSame(base, render(p, turn, 64, 64, eExactCoverage), ref, [](long c, long r) { return std::pair(63 - r, c); }, "rotation");
    ties += expectSame(base, render(reversed(p), zcXform<2>(), 64, 64, eExactCoverage), ref, [](long c, long r) { return std::pair(c, r); }, "reversal");
    Image general(64, 64), generalReversed(64, 64);
    const zc2XformBasePtr bent(new zc2XformProjective({1, 0, 0, 0, 1, 0, 1e-4, 0, 1}));
    zcSMDGDPolyPrivate::drawSynthetic(p, bent, general, 255);
    zcSMDGDPolyPrivate::drawSynthetic(reversed(p), bent, generalReversed, 255);
    for (long r = 0; r < 64; ++r)
      for (long c = 0; c < 64; ++c) ASSERT_EQ(general.get(c, r), generalReversed.get(c, r)) << c << ", " << r;
  }
  std::cout << ties << " pels differ by 1 at a rounding tie\n";
}

TEST(SyntheticExact, AShapeCutInTwoAddsBackToTheWhole) {
  // Halves of a rounded rectangle (cut across straight sides) and of a disk (cut along a
  // diameter, across the border too).
  struct Cut {
    zcSMDGDPoly whole, first, second;
    zcVector<2> shift;
  };
  const Cut cuts[] = {
      {roundedRect(9.3, 12.6, 41.5, 33.2, 6.4),
       build({vx(9.3, 12.6, 6.4), vx(27.71, 12.6), vx(27.71, 45.8), vx(9.3, 45.8, 6.4)}, true),
       build({vx(27.71, 12.6), vx(50.8, 12.6, 6.4), vx(50.8, 45.8, 6.4), vx(27.71, 45.8)}, true),
       {0, 0}},
      {zcSMDGDPoly::circle(20.3, zcPoint(31.7, 30.2)),
       build({vx(11.4, 30.2), zc_test::arcVx(52.0, 30.2, 180.0)}, true),
       build({vx(52.0, 30.2), zc_test::arcVx(11.4, 30.2, 180.0)}, true),
       {-20.5, 25.25}}};
  for (const Cut& cut : cuts) {
    const zcXform<2> at = zcXform<2>::translation(cut.shift);
    const Image whole = render(cut.whole, at, 64, 64, eExactCoverage);
    const Image a = render(cut.first, at, 64, 64, eExactCoverage), b = render(cut.second, at, 64, 64, eExactCoverage);
    for (long r = 0; r < 64; ++r)
      for (long c = 0; c < 64; ++c) EXPECT_NEAR(a.get(c, r) + b.get(c, r), whole.get(c, r), 1) << c << ", " << r;
  }
}

TEST(SyntheticExact, NothingIsWrittenOutsideTheWindowWhereverTheShapeLies) {
  // A 20 × 16 window in the middle of a 40 × 36 image of guard pels.
  const zcSMDGDPoly shape = roundedRect(0, 0, 13.7, 11.3, 3.1);
  for (const double dx : {-10.0, -3.3, 4.6, 13.2, 17.9, 31.0})
    for (const double dy : {-9.0, -2.7, 3.4, 10.1, 28.0})
      for (int renderer = 0; renderer < 3; ++renderer) {
        Image image(40, 36, 7);
        Image win = image.window(10, 10, 20, 16);
        const zcXform<2> at = zcXform<2>::translation(zcVector<2>(10 + dx, 10 + dy));
        if (renderer < 2) {
          zcSMDGDPolyPrivate::drawSynthetic(shape, at, win, 200, true, true, kModes[renderer]);
        } else {
          zcSMDGDPolyPrivate::drawSynthetic(
              shape, zc2XformBasePtr(new zc2XformProjective({1, 0.01, 10 + dx, 0, 1, 10 + dy, 1e-4, 0, 1})), win, 200);
        }
        long written = 0;
        for (long r = 0; r < 36; ++r)
          for (long c = 0; c < 40; ++c) {
            if (win.contains(c, r)) {
              written += image.get(c, r) != 7;
              continue;
            }
            ASSERT_EQ(image.get(c, r), 7) << "renderer " << renderer << " shift " << dx << ", " << dy;
          }
        const bool apart = dx + 13.7 <= 0 || dx >= 20 || dy + 11.3 <= 0 || dy >= 16;
        if (renderer == 1) {
          EXPECT_EQ(written == 0, apart) << "shift " << dx << ", " << dy;
        }
      }
}

TEST(SyntheticExact, EdgesOfTwentyThousandPelsAndFarCoordinatesMatchTheReference) {
  struct Case {
    const char* what;
    zcSMDGDPoly poly;
    long width, height;
  };
  const Case cases[] = {
      {"sliver across a 20000-wide buffer", build({vx(0.5, 1.25), vx(19999.5, 2.75), vx(19999.5, 3.0), vx(0.5, 2.0)}, true),
       20000, 5},
      {"edge from x = -10000 to 10000", build({vx(-10000, -3.7), vx(10000, 250.2), vx(10000, 400), vx(-10000, 400)}, true),
       256, 256},
      {"disk of radius 1e6 reaching in", zcSMDGDPoly::circle(1e6, zcPoint(-1e6 + 100.3, 128.6)), 256, 256},
      {"corner at 1e12", build({vx(-1e12, -1e12), vx(1e12, 37.5), vx(-1e12, 1e12)}, true), 256, 256}};
  for (const Case& k : cases) {
    const Image img = render(k.poly, zcXform<2>(), k.width, k.height, eExactCoverage);
    const zc_test::Outline ref = outlineOf(k.poly, zcXform<2>());
    const Errors e = against(img, [&](long c, long r) { return zc_test::pelArea(ref, c, r); });
    EXPECT_LE(e.max, 1) << k.what;
  }
}

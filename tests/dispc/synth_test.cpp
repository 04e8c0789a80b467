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

// --- The documented renderer (neighbour blend) ----------------------------------------------

TEST(SyntheticBlend, AlignedSquareHalfRowsChordCountsAndOpenPolygons) {
  // An aligned 10 × 10 square fills exactly its 100 pels: its lines run along borders.
  const Image square = render(build({vx(5, 5), vx(15, 5), vx(15, 15), vx(5, 15)}, true), zcXform<2>(), 20, 20,
                              eNeighbourBlend, 90);
  for (long r = 0; r < 20; ++r)
    for (long c = 0; c < 20; ++c)
      EXPECT_EQ(square.get(c, r), c >= 5 && c < 15 && r >= 5 && r < 15 ? 90 : 0) << c << ", " << r;

  // A boundary at r + 0.25 over 0 above and 200 below leaves 150.
  Image rows(12, 9);
  zfPelSet_U8(rows, 0, 5, 12, 4, 200);
  drawLinePelBuf(rows, zc2SegmentLine(zcPoint(2.5, 4.25), zcPoint(9.5, 4.25)), zcXform<2>(), 100, 1);
  for (long c = 2; c <= 9; ++c) EXPECT_EQ(rows.get(c, 4), 150) << c;

  // Chords: 100 for a turn of radius 100, 73 for radius 0.04 (steps of 5 degrees).
  const Image room(300, 300);
  for (const auto& [radius, chords] : {std::pair(100.0, 100UL), std::pair(0.04, 73UL)}) {
    const zc2SegmentArc turn(zcPoint(150, 150), radius, zcDegree(0), zcDegree(360));
    EXPECT_EQ(zc_synth::arcChordPoints(room, turn, zcXform<2>()).size(), chords + 1) << radius;
  }
  // Far off, an arc that meets no edge line of the window is not flattened at all.
  EXPECT_TRUE(zc_synth::arcChordPoints(room, zc2SegmentArc(zcPoint(1000, 1000), 50, zcDegree(0), zcDegree(90)),
                                       zcXform<2>())
                  .empty());

  // An open polygon is refused; an open SMD poly draws nothing.
  Image img(20, 20, 3);
  EXPECT_THROW(zfDrawSynthetic(zcGenPoly(zcLineSeg(zcPoint(1, 1), zcPoint(9, 9))), zcXform<2>(), img, 9),
               zcShapesError::BadGeom);
  zcSMDGDPolyPrivate::drawSynthetic(build({vx(2, 2), vx(15, 3), vx(9, 14)}, false),
                                    zc2XformBasePtr(new zc2XformLinear()), img, 9);
  for (long r = 0; r < 20; ++r)
    for (long c = 0; c < 20; ++c) ASSERT_EQ(img.get(c, r), 3);
  // The closed polygon through the generalized-polygon entry, as the exact renderer.
  Image viaGenPoly(64, 64);
  zfDrawSynthetic(zcGenPoly(zcCircle(zcPoint(31.7, 30.2), 20.3)), zcXform<2>(), viaGenPoly, 255, eExactCoverage);
  const Image direct = render(zcSMDGDPoly::circle(20.3, zcPoint(31.7, 30.2)), zcXform<2>(), 64, 64, eExactCoverage);
  for (long r = 0; r < 64; ++r)
    for (long c = 0; c < 64; ++c) EXPECT_NEAR(viaGenPoly.get(c, r), direct.get(c, r), 1) << c << ", " << r;
}

TEST(SyntheticBlend, BlenderMatchesHalfPlaneCoverageOnPrefilledColumns) {
  // Rising, falling, shallow and steep lines; pels with centres below the line hold 200.
  const std::pair<zcPoint, zcPoint> lines[] = {{{3.2, 20.4}, {36.7, 9.1}},  {{3.6, 8.3}, {36.1, 24.8}},
                                               {{3.3, 14.6}, {36.9, 16.2}}, {{12.2, 3.4}, {25.9, 36.3}},
                                               {{27.8, 3.1}, {13.4, 36.6}}, {{4.1, 4.3}, {35.7, 35.2}}};
  for (const auto& [p, q] : lines) {
    const zcVector<2> d = q - p;
    // Signed distance to the right of p → q (y down): the part of a pel on that side.
    const auto below = [&](double x, double y) { return d.cross(zcPoint(x, y) - p) > 0; };
    Image img(40, 40);
    for (long r = 0; r < 40; ++r)
      for (long c = 0; c < 40; ++c) img.set(c, r, below(c + 0.5, r + 0.5) ? 200 : 0);
    drawLinePelBuf(img, zc2SegmentLine(p, q), zcXform<2>(), 0, 1);
    zc_test::Outline half;  // the side of the line as a large quadrilateral
    const zcVector<2> n = zcVector<2>(-d.y(), d.x()) * (100.0 / d.length()), e = d * (100.0 / d.length());
    zc_test::addLine(half, p - e, q + e);
    zc_test::addLine(half, q + e, q + e + n);
    zc_test::addLine(half, q + e + n, p - e + n);
    zc_test::addLine(half, p - e + n, p - e);
    for (long r = 0; r < 40; ++r)
      for (long c = 0; c < 40; ++c) {
        const bool crossed = std::abs(d.cross(zcPoint(c + 0.5, r + 0.5) - p)) / d.length() < 0.8;
        const bool inSpan = (zcPoint(c + 0.5, r + 0.5) - p).dot(d) > 2 * d.length() &&
                            (q - zcPoint(c + 0.5, r + 0.5)).dot(d) > 2 * d.length();
        if (!crossed || !inSpan) continue;
        EXPECT_NEAR(img.get(c, r), zc_test::level(zc_test::pelArea(half, c, r), 200), 1)
            << p.x() << "," << p.y() << " → " << q.x() << "," << q.y() << " at " << c << ", " << r;
      }
  }
}

// --- Seeded differential test -----------------------------------------------------------------

TEST(SyntheticExact, RandomPolysUnderRandomMapsMatchTheReferenceEveryPel) {
  std::mt19937 rng(20261206);
  const auto uni = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  long tried = 0, drawn = 0;
  while (drawn < 1500 && tried < 20000) {
    const unsigned seed = static_cast<unsigned>(++tried);
    rng.seed(seed);
    // A star-shaped outline: lines, arcs of up to ±35 degrees, some roundings.
    const int n = std::uniform_int_distribution<int>(3, 8)(rng);
    std::vector<double> angles;
    for (int i = 0; i < n; ++i) angles.push_back(uni(0, 2 * std::numbers::pi));
    std::sort(angles.begin(), angles.end());
    std::vector<zcSMDGDPolyVertex> list;
    for (const double a : angles) {
      const double r = uni(6, 14), round = uni(0, 1) < 0.4 ? uni(0.3, 2.5) : 0.0;
      const double span = uni(0, 1) < 0.4 ? uni(-35, 35) : 0.0;
      list.emplace_back(zcPoint(r * std::cos(a), r * std::sin(a)), round, zcDegree(span), 0.5, 0.5, -1, zcDimTol());
    }
    zcSMDGDPoly poly;
    try {
      poly = build(list, true);
    } catch (const zcException&) {
      continue;
    }
    const zcMatrix<2> m(uni(-1.6, 1.6), uni(-1.6, 1.6), uni(-1.6, 1.6), uni(-1.6, 1.6));
    if (std::abs(m.determinant()) < 0.2) continue;
    const long w = std::uniform_int_distribution<long>(6, 40)(rng), h = std::uniform_int_distribution<long>(6, 40)(rng);
    const zcPair<long> offset(std::uniform_int_distribution<long>(-50, 50)(rng),
                              std::uniform_int_distribution<long>(-50, 50)(rng));
    const zcXform<2> x(m, zcVector<2>(offset.x() + uni(-10, w + 10), offset.y() + uni(-10, h + 10)));
    Image img(w, h);
    img.offset(offset);
    zcSMDGDPolyPrivate::drawSynthetic(poly, x, img, 255, true, true, eExactCoverage);
    ++drawn;
    const zc_test::Outline ref = outlineOf(poly, x);
    for (long r = 0; r < h; ++r)
      for (long c = 0; c < w; ++c) {
        const long pc = offset.x() + c, pr = offset.y() + r;
        const int want = zc_test::level(zc_test::pelArea(ref, pc, pr)), got = img.get(pc, pr);
        if (std::abs(want - got) <= 1) continue;
        std::ostringstream m2;
        m2.precision(17);
        m2 << "seed " << seed << ": poly = " << zc_test::cppOf(list, true) << "; x = zcXform<2>(zcMatrix<2>("
           << m.element(0, 0) << ", " << m.element(0, 1) << ", " << m.element(1, 0) << ", " << m.element(1, 1)
           << "), zcVector<2>(" << x.trans().x() << ", " << x.trans().y() << ")); window " << w << " x " << h
           << " at " << offset.x() << ", " << offset.y() << "; pel " << pc << ", " << pr << ": " << got << " vs "
           << want;
        FAIL() << m2.str();
      }
  }
  EXPECT_EQ(drawn, 1500);
}

// --- General renderer ------------------------------------------------------------------------------

namespace {

// An affine map that calls itself non-linear, so the general renderer runs.
class BentAffine : public zc2XformBase {
public:
  explicit BentAffine(const zcXform<2>& x) : x_(x) {}
  bool isLinear() const override { return false; }
  zcXform<2> linearXform(const zcPoint&) const override { return x_; }
  zcPoint mapPoint(const zcPoint& p) const override { return x_.mapPoint(p); }
  zcPoint invMapPoint(const zcPoint& p) const override { return x_.invMapPoint(p); }

private:
  zcXform<2> x_;
};

}  // namespace

TEST(SyntheticGeneral, AffineBehindANonLinearHandleAndAProjectiveMapMatchTheirReferences) {
  const zcXform<2> shear(zcMatrix<2>(1.1, 0.35, -0.2, 0.9), zcVector<2>(3.3, 4.1));
  const zcSMDGDPoly polygon = build({vx(10, 10), vx(45, 14), vx(40, 48), vx(22, 30), vx(8, 41)}, true);
  Image general(64, 64);
  zcSMDGDPolyPrivate::drawSynthetic(polygon, zc2XformBasePtr(new BentAffine(shear)), general, 255);
  const Image exact = render(polygon, shear, 64, 64, eExactCoverage);
  for (long r = 0; r < 64; ++r)
    for (long c = 0; c < 64; ++c) EXPECT_NEAR(general.get(c, r), exact.get(c, r), 1) << c << ", " << r;

  // A projective map: the sampled polygon is what is drawn; its reference area per pel.
  const zc2XformProjective lens({1.2, 0.1, 5, -0.05, 1.1, 6, 0.004, -0.003, 1});
  const zcSMDGDPoly rounded = roundedRect(2, 3, 40, 35, 8);
  Image bent(64, 64);
  zcSMDGDPolyPrivate::drawSynthetic(rounded, zc2XformBasePtr(new zc2XformProjective(lens)), bent, 255);
  // The same samples the renderer takes: lines at every 3 pels of their image, arcs at
  // every 2 degrees (at least 5 points).
  zc_test::Outline sampled;
  std::vector<zcPoint> pts;
  const double s = 1.25;  // above the larger singular value at the origin: a finer polygon
  for (long k = 0; k < 4; ++k) {
    const zcPoint a = rounded.roundedEndPoints()[(k + 3) % 4], b = rounded.roundedStartPoints()[k];
    const long n = std::max(static_cast<long>(a.distance(b) * s / 3.0), 2L);
    for (long i = 0; i < n; ++i) pts.push_back(lens.mapPoint(a + (b - a) * (double(i) / double(n - 1))));
    const zc2SegmentArc arc = rounded.roundedArcVertex_(k);
    for (int i = 0; i < 45; ++i) pts.push_back(lens.mapPoint(arc.segPoint(i / 44.0)));
  }
  for (std::size_t i = 0; i < pts.size(); ++i) zc_test::addLine(sampled, pts[i], pts[(i + 1) % pts.size()]);
  const Errors e = against(bent, [&](long c, long r) { return zc_test::pelArea(sampled, c, r); });
  EXPECT_LE(e.max, 2);
  EXPECT_LE(e.mean, 0.6);
}

// --- Refused input -------------------------------------------------------------------------------------

TEST(SyntheticInput, EveryFailureComesBeforeTheFirstWrite) {
  Image img(30, 30, 5);
  const Image before = img.clone();
  const zcSMDGDPoly circle = zcSMDGDPoly::circle(6, zcPoint(15, 15));
  const zcGenPoly disk(zcCircle(zcPoint(15, 15), 6));
  Image unbound;
  const std::vector<std::pair<const char*, std::function<void()>>> refused = {
      {"null handle", [&] { zfDrawSynthetic(disk, zc2XformBasePtr(), img, 9); }},
      {"null handle, selector", [&] { zcSMDGDPolyPrivate::drawSynthetic(circle, zc2XformBasePtr(), img, 9); }},
      {"unbound", [&] { zcSMDGDPolyPrivate::drawSynthetic(circle, zcXform<2>(), unbound, 9, true, true); }},
      {"unbound line", [&] { drawLinePelBuf(unbound, zc2SegmentLine(zcPoint(1, 1), zcPoint(5, 5)), zcXform<2>(), 1, 1); }},
      {"coincident mapped ends", [&] { drawLinePelBuf(img, zc2SegmentLine(zcPoint(1, 1), zcPoint(5, 5)), zcXform<2>(zcMatrix<2>(0, 0, 0, 0), zcVector<2>(9, 9)), 1, 1); }},
      {"extents leave the window", [&] { drawHorizontalExtentsPelBuf(img, zc2SegmentLine(zcPoint(3.5, 2.2), zcPoint(33.5, 20.7)), zcXform<2>(), 1); }},
      {"arc extents leave the window", [&] { drawHorizontalExtentsPelBuf(img, zc2SegmentArc(zcPoint(15, 15), 16, zcDegree(0), zcDegree(90)), zcXform<2>(), 1, nullptr, nullptr, nullptr, nullptr); }},
      {"horizon", [&] { zcSMDGDPolyPrivate::drawSynthetic(circle, zc2XformBasePtr(new zc2XformProjective({1, 0, 0, 0, 1, 0, -1.0 / 15, 0, 1})), img, 9); }},
  };
  using Is = bool (*)(const zcException&);
  const auto is = []<class T>(T*) -> Is { return [](const zcException& e) { return dynamic_cast<const T*>(&e) != nullptr; }; };
  const std::vector<Is> expected = {is((zcBadPointer*)nullptr), is((zcBadPointer*)nullptr),
                                    is((zcPel::UnboundWindow*)nullptr), is((zcPel::UnboundWindow*)nullptr),
                                    is((zcShapesError::DegenerateShape*)nullptr), is((zcPel::BadCoord*)nullptr),
                                    is((zcPel::BadCoord*)nullptr), is((zcShapesError::BadGeom*)nullptr)};
  for (std::size_t i = 0; i < refused.size(); ++i) {
    try {
      refused[i].second();
      ADD_FAILURE() << refused[i].first << " was accepted";
    } catch (const zcException& e) {
      EXPECT_TRUE(expected[i](e)) << refused[i].first << ": " << typeid(e).name();
    }
    for (long r = 0; r < 30; ++r)
      for (long c = 0; c < 30; ++c) ASSERT_EQ(img.get(c, r), before.get(c, r)) << refused[i].first;
  }
  // A singular map draws nothing; a zero-size window too.
  zcSMDGDPolyPrivate::drawSynthetic(circle, zcXform<2>(zcMatrix<2>(1, 2, 2, 4), zcVector<2>()), img, 9, true, true);
  Image empty = img.window(3, 3, 0, 0);
  for (const zeSyntheticCoverage mode : kModes) zcSMDGDPolyPrivate::drawSynthetic(circle, zcXform<2>(), empty, 9, true, true, mode);
  for (long r = 0; r < 30; ++r)
    for (long c = 0; c < 30; ++c) ASSERT_EQ(img.get(c, r), 5);
}

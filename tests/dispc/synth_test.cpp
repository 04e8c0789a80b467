// Synthetic drawing: both coverage modes against exact pel areas, the invariants of the
// exact mode, the general renderer, the boundary rasterizers and refused input.
#include "dispc/wrfm/genpoly.h"
#include "dispc/wrfm/synth.h"
#include "support/smdpoly_builders.h"
#include "support/synth_reference.h"
#include "wrfm/arc_private.h"
#include "wrfm/synth_private.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <tuple>

using zc_test::build;
using zc_test::vx;
using Image = zcPelBuffer<unsigned char>;

namespace {

// Calls f(c, r) for every pel of the image, in its own coordinates.
template <class F>
void eachPel(const Image& img, F&& f) {
  for (long r = img.offset().y(); r < img.offset().y() + img.height(); ++r)
    for (long c = img.offset().x(); c < img.offset().x() + img.width(); ++c) f(c, r);
}

// Draws into a w × h window of zeros in a frame of 2 guard pels, and checks that nothing
// is written outside the window.
template <class Draw>
Image framed(long w, long h, Draw&& draw) {
  Image whole(w + 4, h + 4, 7);
  whole.offset(zcPair<long>(-2, -2));
  Image img = whole.window(0, 0, w, h);
  zfPelSet_U8(img, 0);
  draw(img);
  eachPel(whole, [&](long c, long r) { EXPECT_TRUE(img.contains(c, r) || whole.get(c, r) == 7) << c << ", " << r; });
  return img;
}

Image render(const zcSMDGDPoly& p, const zcXform<2>& x, long w, long h, zeSyntheticCoverage mode = eExactCoverage,
             unsigned char v = 255) {
  return framed(w, h, [&](Image& img) { zcSMDGDPolyPrivate::drawSynthetic(p, x, img, v, true, true, mode); });
}

int maxDifference(const Image& a, const Image& b) {
  int d = 0;
  eachPel(a, [&](long c, long r) { d = std::max(d, std::abs(a.get(c, r) - b.get(c, r))); });
  return d;
}

// Max and mean error against the exact areas over the pels strictly between 0 and v in
// either image, how many such pels there are, and the worst one.
struct Errors {
  int max = 0;
  double mean = 0.0;
  long pels = 0;
  long c = 0, r = 0;
};
Errors against(const Image& img, const zc_test::Outline& ref, int v = 255) {
  Errors e;
  eachPel(img, [&](long c, long r) {
    const int want = zc_test::level(zc_test::pelArea(ref, c, r), v), d = std::abs(img.get(c, r) - want);
    if (d == 0 && (want == 0 || want == v)) return;
    if (d > e.max) e.max = d, e.c = c, e.r = r;
    e.mean += d;
    ++e.pels;
  });
  e.mean /= std::max(e.pels, 1L);
  return e;
}

// Renders the poly through x into img and compares it with the exact areas of its outline.
Errors renderAndCompare(const zcSMDGDPoly& p, const zcXform<2>& x, Image img,
                        zeSyntheticCoverage mode = eExactCoverage) {
  zcSMDGDPolyPrivate::drawSynthetic(p, x, img, 255, true, true, mode);
  return against(img, zc_test::outlineOf(p, x));
}

zcSMDGDPoly roundedRect(double x, double y, double w, double h, double r) {
  return build({vx(x, y, r), vx(x + w, y, r), vx(x + w, y + h, r), vx(x, y + h, r)}, true);
}

// Lines, arcs and roundings on a 1/64 grid, which translations, mirrors and rotations by
// whole pels keep there. The notched rectangle has runs of rows crossed by vertical sides
// only, ended by a side that begins or ends within a row.
std::vector<zcSMDGDPoly> shapes() {
  return {
      roundedRect(9.25, 12.5, 41.5, 33.25, 6.375), zcSMDGDPoly::circle(20.25, zcPoint(31.75, 30.125)),
      build({vx(10.5, 8.25, 4.5), zc_test::arcVx(52.125, 14.0, -40.0), vx(44.0, 55.75, 3.0), vx(12.75, 50.0)}, true),
      build({vx(8.25, 6.5), vx(40.5, 6.5), vx(40.5, 20.75), vx(30.125, 26.0), vx(40.5, 31.25), vx(40.5, 50.5),
             vx(8.25, 50.5), vx(8.25, 40.0), vx(18.5, 40.0), vx(18.5, 28.25), vx(8.25, 28.25)},
            true)};
}

zcSMDGDPoly reversed(const zcSMDGDPoly& p) {
  zcSMDGDPoly out;
  zcSMDGDPolyPrivate::reversePoly(p, out);
  return out;
}

}  // namespace

TEST(SyntheticExact, CircleAndFarEdgesAgainstExactAreas) {
  // A circle of radius 100 in both modes, a 20,000-pel sliver, an edge from x = −10,000
  // to 10,000, a circle of radius 1e6 and coordinates of 1e12.
  const std::tuple<zcSMDGDPoly, long, long, zeSyntheticCoverage, int, double> cases[] = {
      {zcSMDGDPoly::circle(100.0, zcPoint(128.37, 127.81)), 256, 256, eExactCoverage, 2, 0.5},
      {zcSMDGDPoly::circle(100.0, zcPoint(128.37, 127.81)), 256, 256, eNeighbourBlend, 64, 10},
      {build({vx(0.5, 1.25), vx(19999.5, 2.75), vx(19999.5, 3.0), vx(0.5, 2.0)}, true), 20000, 5, eExactCoverage, 1, 1},
      {build({vx(-10000, -3.7), vx(10000, 250.2), vx(10000, 400), vx(-10000, 400)}, true), 256, 256, eExactCoverage, 1,
       1},
      {zcSMDGDPoly::circle(1e6, zcPoint(-1e6 + 100.3, 128.6)), 256, 256, eExactCoverage, 1, 1},
      {build({vx(-1e12, -1e12), vx(1e12, 37.5), vx(-1e12, 1e12)}, true), 256, 256, eExactCoverage, 1, 1}};
  for (const auto& [poly, w, h, mode, max, mean] : cases) {
    const Errors e = renderAndCompare(poly, zcXform<2>(), Image(w, h), mode);
    EXPECT_LE(e.max, max) << w << " x " << h << ", worst pel " << e.c << ", " << e.r;
    EXPECT_LE(e.mean, mean) << w << " x " << h;
    std::cout << w << " x " << h << (mode == eExactCoverage ? " exact" : " neighbour blend") << ": max " << e.max
              << " mean " << e.mean << "\n";
  }
}

TEST(SyntheticExact, CoverageIsTheExactAreaInsideAndAcrossTheBorder) {
  for (const zcSMDGDPoly& p : shapes())
    for (const zcVector<2>& d : {zcVector<2>(0, 0), zcVector<2>(-25.5, 0.25), zcVector<2>(30.125, -28.75),
                                 zcVector<2>(-29.0, 31.5), zcVector<2>(0.5, 40.0)}) {
      const zcXform<2> M = zcXform<2>::translation(d);
      const std::vector<double> f = zc_synth::exactCoverage(p, M, zc_synth::Window{0, 0, 64, 64});
      const zc_test::Outline ref = zc_test::outlineOf(p, M);
      double sum = 0.0, want = 0.0, worst = 0.0;
      for (long r = 0; r < 64; ++r)
        for (long c = 0; c < 64; ++c) {
          const double a = zc_test::pelArea(ref, c, r), got = f[static_cast<std::size_t>(r * 64 + c)];
          sum += got, want += a, worst = std::max(worst, std::abs(a - got));
        }
      EXPECT_NEAR(sum, want, 1e-9) << p.numVertices() << " vertices shifted " << d.x() << ", " << d.y();
      EXPECT_LT(worst, 1e-9) << p.numVertices() << " vertices shifted " << d.x() << ", " << d.y();
    }
}

TEST(SyntheticExact, FlatArcsAcrossManyColumnsAndFarWindowsKeepTheExactArea) {
  // Flat ellipses (arcs crossing up to ~100 pel borders in a row, leftward and rightward,
  // steep near their ends) and a wide rounded rectangle, mirrored, under windows whose
  // top, bottom and sides cut them and that lie at 0, 2^20 and 2^30 pels from the origin.
  const zcSMDGDPoly disk = zcSMDGDPoly::circle(10.0, zcPoint(0.0, 0.0));
  const zcSMDGDPoly wide = roundedRect(-50.0, -6.0, 100.0, 12.0, 5.5);
  const std::tuple<const zcSMDGDPoly*, zcMatrix<2>> cases[] = {
      {&disk, zcMatrix<2>(5.3, 0.0, 0.0, 1.37)},  {&disk, zcMatrix<2>(-4.1, 0.9, 0.2, 0.83)},
      {&disk, zcMatrix<2>(0.7, 6.2, -1.1, 0.3)}, {&wide, zcMatrix<2>(1.0, 0.35, 0.0, -1.0)}};
  for (const double far : {0.0, 1048576.0, 1073741824.0})
    for (const auto& [poly, m] : cases)
      for (const zcVector<2>& at : {zcVector<2>(40.37, 12.61), zcVector<2>(-13.2, 3.4), zcVector<2>(61.7, -5.25)}) {
        const zc_synth::Window win{static_cast<long>(far), static_cast<long>(far), static_cast<long>(far) + 80,
                                   static_cast<long>(far) + 20};
        const zcXform<2> M(m, zcVector<2>(far, far) + at);
        const std::vector<double> f = zc_synth::exactCoverage(*poly, M, win);
        const zc_test::Outline ref = zc_test::outlineOf(*poly, M);
        double worst = 0.0;
        for (long r = 0; r < 20; ++r)
          for (long c = 0; c < 80; ++c)
            worst = std::max(worst, std::abs(zc_test::pelArea(ref, win.x0 + c, win.y0 + r) -
                                             f[static_cast<std::size_t>(r * 80 + c)]));
        // The reference's own rounding grows with the distance.
        EXPECT_LT(worst, 1e-11 + far * 1e-13) << "at " << far << " + " << at.x() << ", " << at.y();
      }
}

TEST(SyntheticExact, SymmetriesReversalAndCutsGiveTheSameImage) {
  // A translation, a mirror, a 90° rotation and the reversed outline; a pel's centre maps to the moved pel's.
  const std::pair<const char*, zcXform<2>> maps[] = {
      {"translation", zcXform<2>::translation(zcVector<2>(7, -3))},
      {"mirror", zcXform<2>(zcMatrix<2>(-1, 0, 0, 1), zcVector<2>(64, 0))},
      {"rotation", zcXform<2>(zcMatrix<2>(0, -1, 1, 0), zcVector<2>(64, 0))},
      {"reversal", zcXform<2>()}};
  long ties = 0;
  for (const zcSMDGDPoly& p : shapes()) {
    const zc_test::Outline ref = zc_test::outlineOf(p, zcXform<2>());
    const Image base = render(p, zcXform<2>(), 64, 64);
    for (const auto& [name, x] : maps) {
      const Image moved = render(name == maps[3].first ? reversed(p) : p, x, 64, 64);
      eachPel(base, [&](long c, long r) {
        const zcPoint m = x.mapPoint(zcPoint(c + 0.5, r + 0.5));
        const long mc = std::lround(m.x() - 0.5), mr = std::lround(m.y() - 0.5);
        if (!moved.contains(mc, mr)) return;
        // ±1 only where the exact level lies within 1e-6 of a rounding boundary.
        const double f = zc_test::pelArea(ref, c, r) * 255;
        const int d = std::abs(base.get(c, r) - moved.get(mc, mr));
        const bool tie = d == 1 && std::abs(f - std::floor(f) - 0.5) < 1e-6;
        ties += tie;
        EXPECT_TRUE(d == 0 || tie) << name << " at " << c << ", " << r;
      });
    }
  }
  std::cout << ties << " pels differ by 1 at a rounding tie\n";

  // Halves of a rounded rectangle (cut across straight sides) and of a disk (cut along a
  // diameter, across the border too), rendered apart, add back to the whole.
  const std::array<zcSMDGDPoly, 3> cuts[] = {
      {roundedRect(9.3, 12.6, 41.5, 33.2, 6.4),
       build({vx(9.3, 12.6, 6.4), vx(27.71, 12.6), vx(27.71, 45.8), vx(9.3, 45.8, 6.4)}, true),
       build({vx(27.71, 12.6), vx(50.8, 12.6, 6.4), vx(50.8, 45.8, 6.4), vx(27.71, 45.8)}, true)},
      {zcSMDGDPoly::circle(20.3, zcPoint(31.7, 30.2)), build({vx(11.4, 30.2), zc_test::arcVx(52.0, 30.2, 180.0)}, true),
       build({vx(52.0, 30.2), zc_test::arcVx(11.4, 30.2, 180.0)}, true)}};
  for (const zcVector<2>& shift : {zcVector<2>(0, 0), zcVector<2>(-20.5, 25.25)})
    for (const auto& [whole, first, second] : cuts) {
      const zcXform<2> at = zcXform<2>::translation(shift);
      const Image all = render(whole, at, 64, 64), a = render(first, at, 64, 64), b = render(second, at, 64, 64);
      eachPel(all, [&](long c, long r) { EXPECT_NEAR(a.get(c, r) + b.get(c, r), all.get(c, r), 1) << c << ", " << r; });
    }
}

TEST(SyntheticEdges, ArcFramesOfAxisAlignedMapsAreTheLibrarysToTheBit) {
  // cu cos t + cv sin t as r cos(t − φ): a zero part (an axis-aligned map) skips the calls.
  const double values[] = {0.0, -0.0, 3.5, -3.5, 1e-310, -7e300, 0.1};
  for (const double cu : values)
    for (const double cv : values) {
      zc_synth::Mono::Frame f(cu, cv);
      const auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
      EXPECT_EQ(bits(f.phi), bits(std::atan2(cv, cu))) << cu << ", " << cv;
      EXPECT_EQ(bits(f.r), bits(std::hypot(cu, cv))) << cu << ", " << cv;
      // Pieces on one half turn share its sines; the base's own are the library's.
      for (const double mid : {0.25, -2.0, 3.0, 0.25}) {
        const zc_synth::Mono::Axis a = f.axis(1.0, mid);
        EXPECT_EQ(a.base, f.phi + std::floor((mid - f.phi) / std::numbers::pi) * std::numbers::pi);
        EXPECT_EQ(a.cosBase, std::cos(a.base));
        EXPECT_EQ(bits(a.sinBase), bits(std::sin(a.base)));
        EXPECT_EQ(a.sign, std::fmod(std::floor((mid - f.phi) / std::numbers::pi), 2.0) != 0.0 ? -1.0 : 1.0);
      }
    }
}

TEST(SyntheticExact, NothingIsWrittenOutsideTheWindowWhereverTheShapeLies) {
  // Both modes and the general renderer, across every edge and corner of a 20 × 16
  // window and wholly outside it (framed() checks the guard pels).
  const zcSMDGDPoly shape = roundedRect(0, 0, 13.7, 11.3, 3.1);
  for (const double dx : {-10.0, -3.3, 4.6, 13.2, 17.9, 31.0})
    for (const double dy : {-9.0, -2.7, 3.4, 10.1, 28.0}) {
      const zc2XformBasePtr lens(new zc2XformProjective({1, 0.01, dx, 0, 1, dy, 1e-4, 0, 1}));
      framed(20, 16, [&](Image& img) { zcSMDGDPolyPrivate::drawSynthetic(shape, lens, img, 200); });
      render(shape, zcXform<2>::translation(zcVector<2>(dx, dy)), 20, 16, eNeighbourBlend, 200);
      const Image exact = render(shape, zcXform<2>::translation(zcVector<2>(dx, dy)), 20, 16, eExactCoverage, 200);
      const bool apart = dx + 13.7 <= 0 || dx >= 20 || dy + 11.3 <= 0 || dy >= 16;
      EXPECT_EQ(maxDifference(exact, Image(20, 16)) == 0, apart) << "shift " << dx << ", " << dy;
    }
}

TEST(SyntheticBlend, DocumentedCasesAndRefusedInput) {
  // An aligned 10 × 10 square fills exactly its 100 pels: its lines run along borders.
  const Image square =
      render(build({vx(5, 5), vx(15, 5), vx(15, 15), vx(5, 15)}, true), zcXform<2>(), 20, 20, eNeighbourBlend, 90);
  eachPel(square, [&](long c, long r) {
    EXPECT_EQ(square.get(c, r), c >= 5 && c < 15 && r >= 5 && r < 15 ? 90 : 0) << c << ", " << r;
  });
  // Plain lines: Bresenham from the first end's pel, the second end's pel left out,
  // clipped to the window shrunk by 2 pels.
  Image plain(20, 20);
  drawLinePelBuf(plain, zc2SegmentLine(zcPoint(2.5, 3.5), zcPoint(8.5, 6.5)), zcXform<2>(), 9, 0);
  drawLinePelBuf(plain, zc2SegmentLine(zcPoint(-5, 12.5), zcPoint(30, 12.5)), zcXform<2>(), 9, 0);
  long set = 0;
  eachPel(plain, [&](long c, long r) {
    set += plain.get(c, r) == 9;
    EXPECT_TRUE(r != 12 || (plain.get(c, r) == 9) == (c >= 2 && c < 18)) << c;
  });
  EXPECT_EQ(set, 6 + 16);
  EXPECT_EQ(plain.get(2, 3) - plain.get(8, 6), 9);
  // Chords: 100 for a turn of radius 100, 73 for radius 0.04 (steps of 5 degrees).
  const Image room(300, 300);
  for (const auto& [radius, chords] : {std::pair(100.0, 101UL), std::pair(0.04, 74UL)}) {
    const zc2SegmentArc turn(zcPoint(150, 150), radius, zcDegree(0), zcDegree(360));
    EXPECT_EQ(zc_synth::arcChordPoints(room, turn, zcXform<2>()).size(), chords) << radius;
  }
  // The closed polygon through the generalized-polygon entry, as the exact renderer.
  Image viaGenPoly(64, 64);
  zfDrawSynthetic(zcGenPoly(zcCircle(zcPoint(31.7, 30.2), 20.3)), zcXform<2>(), viaGenPoly, 255, eExactCoverage);
  EXPECT_LE(maxDifference(viaGenPoly, render(zcSMDGDPoly::circle(20.3, zcPoint(31.7, 30.2)), zcXform<2>(), 64, 64)), 1);

  // Every failure comes before the first write; an open SMD poly, a singular map and a
  // zero-size window draw nothing.
  Image img(30, 30, 5), unbound;
  const zcSMDGDPoly circle = zcSMDGDPoly::circle(6, zcPoint(15, 15));
  const zc2SegmentLine line(zcPoint(1, 1), zcPoint(5, 5));
  const zcXform<2> collapse(zcMatrix<2>(0, 0, 0, 0), zcVector<2>(9, 9)), I;
  const zc2XformBasePtr horizon(new zc2XformProjective({1, 0, 0, 0, 1, 0, -1.0 / 15, 0, 1}));
  EXPECT_THROW(zfDrawSynthetic(zcGenPoly(zcLineSeg(zcPoint(1, 1), zcPoint(9, 9))), I, img, 9), zcShapesError::BadGeom);
  EXPECT_THROW(zfDrawSynthetic(zcGenPoly(zcCircle(zcPoint(15, 15), 6)), zc2XformBasePtr(), img, 9), zcBadPointer);
  EXPECT_THROW(zcSMDGDPolyPrivate::drawSynthetic(circle, zc2XformBasePtr(), img, 9), zcBadPointer);
  EXPECT_THROW(zcSMDGDPolyPrivate::drawSynthetic(circle, I, unbound, 9, true, true), zcPel::UnboundWindow);
  EXPECT_THROW(drawLinePelBuf(unbound, line, I, 1, 1), zcPel::UnboundWindow);
  EXPECT_THROW(drawLinePelBuf(img, line, collapse, 1, 1), zcShapesError::DegenerateShape);
  EXPECT_THROW(drawHorizontalExtentsPelBuf(img, zc2SegmentLine(zcPoint(3.5, 2.2), zcPoint(33.5, 20.7)), I, 1),
               zcPel::BadCoord);
  EXPECT_THROW(drawHorizontalExtentsPelBuf(img, zc2SegmentArc(zcPoint(15, 15), 16, zcDegree(0), zcDegree(90)), I, 1,
                                           nullptr, nullptr, nullptr, nullptr),
               zcPel::BadCoord);
  EXPECT_THROW(zcSMDGDPolyPrivate::drawSynthetic(circle, horizon, img, 9), zcShapesError::BadGeom);
  zcSMDGDPolyPrivate::drawSynthetic(build({vx(2, 2), vx(15, 3), vx(9, 14)}, false),
                                    zc2XformBasePtr(new zc2XformLinear()), img, 9);
  zcSMDGDPolyPrivate::drawSynthetic(circle, zcXform<2>(zcMatrix<2>(1, 2, 2, 4), zcVector<2>()), img, 9, true, true);
  Image empty = img.window(3, 3, 0, 0);
  for (const zeSyntheticCoverage mode : {eNeighbourBlend, eExactCoverage})
    zcSMDGDPolyPrivate::drawSynthetic(circle, I, empty, 9, true, true, mode);
  eachPel(img, [&](long c, long r) { ASSERT_EQ(img.get(c, r), 5) << c << ", " << r; });
}

TEST(SyntheticBlend, BlenderMatchesHalfPlaneCoverageOnPrefilledColumns) {
  // Rising, falling, shallow, steep and level lines (at r + 0.25: 150 over 0 above and
  // 200 below); pels with centres below the line hold 200.
  const std::pair<zcPoint, zcPoint> lines[] = {{{1.5, 20.25}, {38.5, 20.25}}, {{3.2, 20.4}, {36.7, 9.1}},
                                               {{3.6, 8.3}, {36.1, 24.8}},    {{3.3, 14.6}, {36.9, 16.2}},
                                               {{12.2, 3.4}, {25.9, 36.3}},   {{27.8, 3.1}, {13.4, 36.6}},
                                               {{4.1, 4.3}, {35.7, 35.2}}};
  for (const auto& [p, q] : lines) {
    const zcVector<2> d = q - p, e = d * (100.0 / d.length()), n = zcVector<2>(-e.y(), e.x());
    Image img(40, 40);
    eachPel(img, [&](long c, long r) { img.set(c, r, d.cross(zcPoint(c + 0.5, r + 0.5) - p) > 0 ? 200 : 0); });
    drawLinePelBuf(img, zc2SegmentLine(p, q), zcXform<2>(), 0, 1);
    // The side of the line as a large quadrilateral, checked on the pels the line
    // crosses at least 2 pels from its ends.
    zc_test::Outline half;
    const zcPoint corners[] = {p - e, q + e, q + e + n, p - e + n};
    for (int i = 0; i < 4; ++i) zc_test::addLine(half, corners[i], corners[(i + 1) % 4]);
    eachPel(img, [&](long c, long r) {
      const zcPoint m(c + 0.5, r + 0.5);
      if (std::abs(d.cross(m - p)) >= 0.8 * d.length() || (m - p).dot(d) <= 2 * d.length() ||
          (q - m).dot(d) <= 2 * d.length())
        return;
      EXPECT_NEAR(img.get(c, r), zc_test::level(zc_test::pelArea(half, c, r), 200), 1)
          << p.x() << "," << p.y() << " → " << q.x() << "," << q.y() << " at " << c << ", " << r;
    });
  }
}

namespace {

// A star-shaped closed poly: lines, arcs of up to ±35 degrees, some roundings; its
// vertices in `list` (for messages), nullopt when they make no poly.
struct StarShape {
  double r0, r1, step0, step1, roundChance, round0, round1;
};
template <class Uni>
std::optional<zcSMDGDPoly> randomStar(Uni& uni, const StarShape& k, std::vector<zcSMDGDPolyVertex>& list) {
  for (double a = uni(0, 1); a < 2 * std::numbers::pi; a += uni(k.step0, k.step1)) {
    const double r = uni(k.r0, k.r1), round = uni(0, 1) < k.roundChance ? uni(k.round0, k.round1) : 0.0;
    list.push_back(zc_test::arcVx(r * std::cos(a), r * std::sin(a), uni(0, 1) < 0.4 ? uni(-35, 35) : 0.0, round));
  }
  try {
    return build(list, true);
  } catch (const zcException&) {
    return std::nullopt;
  }
}

// Whether the fill through centres sets pel (c, r): rows are taken at their centres and
// a crossing at x starts or ends a run at column nearest(x − 0.5), so pel c is set when
// the point (c + 1, r + 0.5) lies inside (nonzero winding of the ray to its right);
// nullopt within 1e-7 of the outline, where rounding decides.
std::optional<bool> centreInside(const zc_test::Outline& o, long c, long r) {
  const double xc = c + 1.0, yc = r + 0.5;
  int winding = 0;
  for (const zc_test::Piece& s : o) {
    std::vector<double> ts;
    if (s.arc) {
      zc_test::detail::roots(s.u.y(), s.v.y(), yc - s.c.y(), std::min(s.t0, s.t1), std::max(s.t0, s.t1), ts);
    } else if (s.p.y() != s.q.y()) {
      ts.push_back((yc - s.p.y()) / (s.q.y() - s.p.y()));
    }
    for (const double t : ts) {
      const double lo = s.arc ? std::min(s.t0, s.t1) : 0.0, hi = s.arc ? std::max(s.t0, s.t1) : 1.0;
      if (t < lo - 1e-9 || t > hi + 1e-9) continue;
      const zcPoint at = s.at(t);
      const double dy = s.arc ? (s.u.y() * -std::sin(t) + s.v.y() * std::cos(t)) * (s.t1 > s.t0 ? 1 : -1) : s.q.y() - s.p.y();
      // Ends, tangents and crossings at the centre are left to rounding.
      if (std::abs(at.x() - xc) < 1e-7 || std::abs(dy) < 1e-7 || t < lo + 1e-9 || t > hi - 1e-9) return std::nullopt;
      if (at.x() > xc) winding += dy > 0 ? 1 : -1;
    }
  }
  return winding != 0;
}

}  // namespace

TEST(SyntheticBlend, FastFormsAgreeWithThePlainOnesToTheBit) {
  const auto same = [](double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); };
  std::mt19937 rng(7);
  const auto uni = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  // Floors and ceilings: signed zeros, halves, the ends of exact integers, huge and
  // non-finite values, and random ones.
  std::vector<double> xs = {0.0, -0.0, 0.5, -0.5, -2.5, 2.5, 3.0, -3.0, 0x1p52 - 0.5, -0x1p52 + 0.5, 0x1p52, 1e300,
                            -1e300, INFINITY, -INFINITY, NAN};
  for (int i = 0; i < 2000; ++i) xs.push_back(uni(-1e6, 1e6));
  for (const double x : xs) {
    EXPECT_TRUE(same(zc_synth::exactFloor(x), std::floor(x)) || std::isnan(x)) << x;
    EXPECT_TRUE(same(zc_synth::exactCeil(x), std::ceil(x)) || std::isnan(x)) << x;
  }
  EXPECT_TRUE(std::isnan(zc_synth::exactFloor(NAN)) && std::isnan(zc_synth::exactCeil(NAN)));
  // The branch-free blend of a clamped fraction is the blend with its branches, for every
  // pair of neighbours and fractions at and beyond the ends, non-finite and random ones.
  std::vector<double> fs = {0.0, -0.0, 1.0, -1e-300, 1e-300, 0.5, 1.0 - 0x1p-53, 1.0 + 0x1p-52, 7.0, -7.0,
                            INFINITY, -INFINITY, NAN};
  for (int i = 0; i < 40; ++i) fs.push_back(uni(0, 1));
  long mismatches = 0;
  for (const double f : fs)
    for (int from = 0; from < 256; ++from)
      for (int to = 0; to < 256; to += 3) {
        const auto a = static_cast<unsigned char>(from), b = static_cast<unsigned char>(to);
        mismatches += zc_synth::blendUnit(a, b, zc_synth::unitFraction(f)) != zc_synth::blendValue(a, b, f);
      }
  EXPECT_EQ(mismatches, 0);
  // Chord points of arcs under their own and a further map, mirrors included, at quarter
  // turns, wide angles and random ones.
  for (int i = 0; i < 200; ++i) {
    const zcXform<2> own(zcMatrix<2>(uni(0.5, 2), uni(-1, 1), uni(-1, 1), uni(0.5, 2) * (i % 3 ? 1 : -1)),
                         zcVector<2>(uni(-9, 9), uni(-9, 9)));
    const zcXform<2> X(zcMatrix<2>(uni(-2, 2), uni(-2, 2), uni(-2, 2), uni(-2, 2)), zcVector<2>(uni(-99, 99), 3));
    zc2SegmentArc arc(zcPoint(uni(-50, 50), uni(-50, 50)), uni(0.01, 80), zcDegree(uni(-400, 400)), zcDegree(30));
    if (i % 4) arc = own * arc;
    const zc2SegmentArcPrivate::MappedPoints pointAt(arc, X);
    for (const double a : {0.0, 90.0, -90.0, 180.0, -180.0, 270.0, 1e5 + 0.3, uni(-720, 720), uni(-1, 1)}) {
      const zcPoint want = X.mapPoint(arc.arcPoint(zcDegree(a))), got = pointAt(a);
      EXPECT_TRUE(same(got.x(), want.x()) && same(got.y(), want.y())) << i << " at " << a;
    }
  }
  // Chord points along evenly spaced angles (a turn per step, re-anchored) stay within
  // 1e-12 pel of the points at those angles, which are the exact ones up to the last bits,
  // up to radii of 2,500 pels and under shears and mirrors; the ends of a chord within 1e-9
  // of 45 degrees (here the middle one of a quarter turn in 23 chords) are the exact ones
  // to the bit.
  for (int i = 0; i < 120; ++i) {
    const zcXform<2> own(zcMatrix<2>(uni(0.5, 2), uni(-1, 1), uni(-1, 1), uni(0.5, 2) * (i % 3 ? 1 : -1)),
                         zcVector<2>(uni(-9, 9), uni(-9, 9)));
    const zcXform<2> X(zcMatrix<2>(uni(-2, 2), uni(-2, 2), uni(-2, 2), uni(-2, 2)), zcVector<2>(uni(-99, 99), 3));
    zc2SegmentArc arc(zcPoint(uni(-50, 50), uni(-50, 50)), uni(0.01, 1000), zcDegree(uni(-400, 400)),
                      zcDegree(uni(-360, 360)));
    if (i % 4) arc = own * arc;
    if (std::abs(X.determinant()) < 0.05) continue;
    const double start = arc.startAngle().value(), step = arc.angleSpan().value() / 500;
    std::vector<zcPoint> points;
    const zc2SegmentArcPrivate::StepPoints walk(arc, X);
    walk.append(start, step, 500, points);
    ASSERT_EQ(points.size(), 501U);
    const zc2SegmentArcPrivate::MappedPoints pointAt(arc, X);
    double drift = 0.0, rounding = 0.0;
    for (std::size_t j = 0; j < points.size(); ++j) {
      const double a = start + step * static_cast<double>(j);
      const zcPoint at = walk.at(a), want = pointAt(a);
      drift = std::max(drift, (points[j] - at).length());
      rounding = std::max(rounding, (at - want).length() / (1.0 + want.length()));
    }
    EXPECT_LT(drift, 1e-12) << i;
    EXPECT_LT(rounding, 1e-13) << i;
  }
  const zc2SegmentArc quarter(zcPoint(100.37, 99.79), 61.9, zcDegree(0), zcDegree(90));
  const zcXform<2> scale(zcMatrix<2>(1.3, 0, 0, 1.3), zcVector<2>(3.1, -2.3));
  const std::vector<zcPoint> chords = zc_synth::arcChordPoints(Image(256, 256), quarter, scale);
  ASSERT_EQ(chords.size(), 24U);
  const zc2SegmentArcPrivate::MappedPoints quarterAt(quarter, scale);
  for (const std::size_t j : {11U, 12U}) {
    const zcPoint want = quarterAt(90.0 / 23 * static_cast<double>(j));
    EXPECT_TRUE(same(chords[j].x(), want.x()) && same(chords[j].y(), want.y())) << j;
  }
  // A map that collapses the arc is refused as the mapped arc refuses it.
  EXPECT_THROW(zc_synth::arcChordPoints(Image(256, 256), quarter, zcXform<2>(zcMatrix<2>(1, 2, 2, 4), zcVector<2>())),
               zcShapesError::DegenerateShape);

  // Chords wholly inside the clip rectangle are prepared as the lines are one by one, and
  // so are chains that cross it; coinciding ends are refused either way.
  const zc_synth::Window win{-3, 4, 37, 34};
  for (int i = 0; i < 300; ++i) {
    const double spread = i % 2 ? 16.9 : 40;
    std::vector<zcPoint> points;
    for (int j = 0; j < 6; ++j) points.emplace_back(17 + uni(-spread, spread), 19 + uni(-spread * 0.7, spread * 0.7));
    std::vector<zc_synth::Stroke> got, want;
    zc_synth::prepareChords(win, points, i % 3 != 0, got);
    for (std::size_t j = 0; j + 1 < points.size(); ++j) {
      zc_synth::Stroke s;
      if (zc_synth::prepareStroke(win, points[j], points[j + 1], i % 3 != 0, s)) want.push_back(s);
    }
    ASSERT_EQ(got.size(), want.size()) << i;
    for (std::size_t j = 0; j < got.size(); ++j) EXPECT_TRUE(got[j].a == want[j].a && got[j].b == want[j].b) << i;
    points[3 + i % 2] = points[2 + i % 2];
    EXPECT_THROW(zc_synth::prepareChords(win, points, true, got), zcShapesError::DegenerateShape) << i;
    // A chain wholly inside is checked before any of its chords is appended.
    if (i % 2) {
      EXPECT_EQ(got.size(), want.size()) << i;
    }
  }

  // Directions of angles in degrees are the cosine and sine themselves.
  for (const double a : {0.0, -0.0, 90.0, -90.0, 180.0, -180.0, 270.0, 360.0, 45.0, 1e17, uni(-1e4, 1e4)}) {
    const zcVector<2> d = zfDirection(zcDegree(a));
    EXPECT_TRUE(same(d.x(), cos(zcDegree(a))) && same(d.y(), sin(zcDegree(a)))) << a;
  }
}

TEST(SyntheticBlend, FillThroughCentresSetsThePelsWhoseCentresLieInside) {
  std::mt19937 rng(11);
  const auto uni = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  long checked = 0, ties = 0;
  for (int i = 0; i < 100; ++i) {
    // Star-shaped outlines of lines, arcs and roundings, large enough for several bands of
    // rows, under maps with shear and mirrors, in windows that cut them.
    std::vector<zcSMDGDPolyVertex> list;
    const std::optional<zcSMDGDPoly> poly = randomStar(uni, {20, 45, 0.5, 1.8, 0.5, 1, 12}, list);
    if (!poly) continue;
    const zcMatrix<2> m(uni(-1.5, 1.5), uni(-1.5, 1.5), uni(-1.5, 1.5), uni(-1.5, 1.5));
    if (std::abs(m.determinant()) < 0.3) continue;
    const zcXform<2> x(m, zcVector<2>(uni(30, 90), uni(30, 90)));
    Image img(static_cast<long>(uni(40, 121)), static_cast<long>(uni(40, 121)));
    img.offset(zcPair<long>(static_cast<long>(uni(-5, 30)), static_cast<long>(uni(-5, 30))));
    zcSMDGDPolyPrivate::drawSynthetic(*poly, x, img, 1, false, true);
    const zc_test::Outline ref = zc_test::outlineOf(*poly, x);
    eachPel(img, [&](long c, long r) {
      const std::optional<bool> inside = centreInside(ref, c, r);
      if (!inside) return void(++ties);
      ++checked;
      EXPECT_EQ(img.get(c, r), *inside ? 1 : 0) << "case " << i << " at " << c << ", " << r;
    });
  }
  EXPECT_GT(checked, 300000);
  EXPECT_LT(ties, checked / 1000);
}

TEST(SyntheticExact, RandomPolysUnderRandomMapsMatchTheReferenceEveryPel) {
  std::mt19937 rng;
  const auto uni = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  long drawn = 0;
  for (unsigned seed = 1; drawn < 1500 && seed < 20000; ++seed) {
    rng.seed(seed);
    std::vector<zcSMDGDPolyVertex> list;
    const std::optional<zcSMDGDPoly> poly = randomStar(uni, {6, 14, 0.6, 2.0, 0.4, 0.3, 2.5}, list);
    if (!poly) continue;
    const zcMatrix<2> m(uni(-1.6, 1.6), uni(-1.6, 1.6), uni(-1.6, 1.6), uni(-1.6, 1.6));
    if (std::abs(m.determinant()) < 0.2) continue;
    Image img(static_cast<long>(uni(6, 41)), static_cast<long>(uni(6, 41)));
    img.offset(zcPair<long>(static_cast<long>(uni(-50, 51)), static_cast<long>(uni(-50, 51))));
    const zcXform<2> x(
        m, zcVector<2>(img.offset().x() + uni(-10, img.width() + 10), img.offset().y() + uni(-10, img.height() + 10)));
    const Errors e = renderAndCompare(*poly, x, img);
    ++drawn;
    if (e.max <= 1) continue;
    // One line to paste as a regression test.
    std::ostringstream out;
    out.precision(17);
    out << "seed " << seed << ": poly = " << zc_test::cppOf(list, true) << "; x = zcXform<2>(zcMatrix<2>("
        << m.element(0, 0) << ", " << m.element(0, 1) << ", " << m.element(1, 0) << ", " << m.element(1, 1)
        << "), zcVector<2>(" << x.trans().x() << ", " << x.trans().y() << ")); window " << img.width() << " x "
        << img.height() << " at " << img.offset().x() << ", " << img.offset().y() << "; worst pel " << e.c << ", "
        << e.r;
    FAIL() << out.str();
  }
  EXPECT_EQ(drawn, 1500);
}

TEST(SyntheticGeneral, AffineBehindANonLinearHandleAndAProjectiveMapMatchTheirReferences) {
  // A perspective term of 1e-300 leaves the map affine but makes the handle non-linear.
  const zcSMDGDPoly polygon = build({vx(10, 10), vx(45, 14), vx(40, 48), vx(22, 30), vx(8, 41)}, true);
  Image general(64, 64);
  zcSMDGDPolyPrivate::drawSynthetic(
      polygon, zc2XformBasePtr(new zc2XformProjective({1.1, 0.35, 3.3, -0.2, 0.9, 4.1, 1e-300, 0, 1})), general, 255);
  const zcXform<2> shear(zcMatrix<2>(1.1, 0.35, -0.2, 0.9), zcVector<2>(3.3, 4.1));
  EXPECT_LE(maxDifference(general, render(polygon, shear, 64, 64)), 1);

  // A projective map draws its sampled polygon (arcs every 2 degrees, lines stay straight),
  // in either orientation, within 1 of the mapped outline sampled finely.
  const zc2XformBasePtr lens(new zc2XformProjective({1.2, 0.1, 5, -0.05, 1.1, 6, 0.004, -0.003, 1}));
  const auto draw = [&](const zcSMDGDPoly& p) {
    return framed(64, 64, [&](Image& img) { zcSMDGDPolyPrivate::drawSynthetic(p, lens, img, 255); });
  };
  const zcSMDGDPoly rounded = roundedRect(2, 3, 40, 35, 8);
  const Image bent = draw(rounded);
  EXPECT_EQ(maxDifference(bent, draw(reversed(rounded))), 0);
  zc_test::Outline sampled;
  for (const zc_test::Piece& s : zc_test::outlineOf(rounded, zcXform<2>()))
    for (double i = 0; i < 200; ++i) {
      const auto at = [&](double k) { return lens->mapPoint(s.at(s.arc ? s.t0 + (s.t1 - s.t0) * k / 200 : k / 200)); };
      zc_test::addLine(sampled, at(i), at(i + 1));
    }
  const Errors e = against(bent, sampled);
  EXPECT_LE(e.max, 1) << "worst pel " << e.c << ", " << e.r;
}

TEST(SyntheticBlend, ALargeBufferGivesThePelsOfASmallWindowAroundTheShape) {
  // Vertical boundary lines in a buffer larger than a core's cache are blended row by row
  // with the fill; in a window just around the shape they are blended after it. Outlines
  // of vertical and horizontal lines, roundings, bulging arcs and a closing slant, whose
  // pieces come near each other, under mirrors and a transposition, give the same pels.
  std::mt19937 rng(23);
  const auto uni = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  const auto background = [](long c, long r) { return static_cast<unsigned char>((c * 7 + r * 3) % 61 + 20); };
  const auto pattern = [&](Image& img) {
    for (long r = img.offset().y(); r < img.offset().y() + img.height(); ++r) {
      unsigned char* row = img.pelPointer(img.offset().x(), r);
      for (long c = 0; c < img.width(); ++c) row[c] = background(img.offset().x() + c, r);
    }
  };
  Image large(2100, 2100);
  int drawn = 0;
  for (int i = 0; drawn < 8 && i < 100; ++i) {
    std::vector<zcSMDGDPolyVertex> list;
    double x = uni(100, 300), y = uni(100, 300);
    const double y0 = y;
    for (int k = 0; k < 8; ++k) {
      const double bulge = uni(0, 1) < 0.2 ? uni(-30, 30) : 0.0, round = uni(0, 1) < 0.5 ? uni(0.5, 40) : 0.0;
      list.push_back(zc_test::arcVx(x, y, bulge, round));
      if (k % 2 == 0) x = k < 4 ? uni(x + 40, 1400) : uni(100, x - 40);
      else y = k < 4 ? uni(y + 200, 1900) : uni(y0 + 60, y - 40);
    }
    std::optional<zcSMDGDPoly> poly;
    try {
      poly = build(list, true);
    } catch (const zcException&) {
      continue;
    }
    const zcXform<2> maps[] = {zcXform<2>(zcMatrix<2>(1, 0, 0, 1), zcVector<2>(0.5, 0)),
                               zcXform<2>(zcMatrix<2>(-1, 0, 0, 1), zcVector<2>(1600.37, 0.25)),
                               zcXform<2>(zcMatrix<2>(0, 1, 1, 0), zcVector<2>(0.25, 0)),
                               zcXform<2>(zcMatrix<2>(1, 0, 0, -1), zcVector<2>(0.13, 2050))};
    const zcXform<2>& map = maps[i % 4];
    const zcRect box = poly->boundingBox(map);
    const long left = static_cast<long>(std::floor(box.ul().x())) - 4, top = static_cast<long>(std::floor(box.ul().y())) - 4;
    Image small(static_cast<long>(std::ceil(box.lr().x())) + 4 - left, static_cast<long>(std::ceil(box.lr().y())) + 4 - top);
    small.offset(zcPair<long>(left, top));
    ASSERT_LT(small.width() * small.height(), 4L << 20);
    pattern(large);
    pattern(small);
    const auto v = static_cast<unsigned char>(uni(0, 255));
    zcSMDGDPolyPrivate::drawSynthetic(*poly, map, large, v, true, true);
    zcSMDGDPolyPrivate::drawSynthetic(*poly, map, small, v, true, true);
    long differing = 0, changed = 0;
    eachPel(small, [&](long c, long r) {
      differing += small.get(c, r) != large.get(c, r);
      changed += small.get(c, r) != background(c, r);
    });
    EXPECT_EQ(differing, 0) << "case " << i;
    EXPECT_GT(changed, 10000) << "case " << i;
    ++drawn;
  }
  EXPECT_EQ(drawn, 8);
}

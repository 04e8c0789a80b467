// Synthetic drawing: both coverage modes against exact pel areas, the invariants of the
// exact mode, the general renderer, the boundary rasterizers and refused input.
#include "dispc/wrfm/genpoly.h"
#include "dispc/wrfm/synth.h"
#include "support/smdpoly_builders.h"
#include "support/synth_reference.h"
#include "wrfm/synth_private.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <sstream>
#include <tuple>

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

template <class F>
void eachPel(long w, long h, F&& f) {
  for (long r = 0; r < h; ++r)
    for (long c = 0; c < w; ++c) f(c, r);
}

// Max and mean error against the exact areas over the pels strictly between 0 and v in
// either image, and how many such pels there are.
struct Errors {
  int max = 0;
  double mean = 0.0;
  long pels = 0;
};
Errors against(const Image& img, const zc_test::Outline& ref, int v = 255) {
  Errors e;
  eachPel(img.width(), img.height(), [&](long c, long r) {
    const int want = zc_test::level(zc_test::pelArea(ref, c, r), v), got = img.get(c, r);
    if (want == got && (want == 0 || want == v)) return;
    e.max = std::max(e.max, std::abs(got - want));
    e.mean += std::abs(got - want);
    ++e.pels;
  });
  e.mean /= std::max(e.pels, 1L);
  return e;
}

zcSMDGDPoly roundedRect(double x, double y, double w, double h, double r) {
  return build({vx(x, y, r), vx(x + w, y, r), vx(x + w, y + h, r), vx(x, y + h, r)}, true);
}

// Lines, arcs and roundings inside a 64 × 64 image: a circle, a rounded rectangle, a
// five-pointed star whose edges alternate between lines and arcs, a half disk.
std::vector<zcSMDGDPoly> shapes() {
  std::vector<zcSMDGDPolyVertex> star;
  for (int i = 0; i < 10; ++i) {
    const double a = std::numbers::pi * i / 5, r = i % 2 ? 11.5 : 27.0;
    const zcPoint p = zcPoint(32.2, 31.9) + zcVector<2>(std::cos(a), std::sin(a)) * r;
    star.push_back(i % 4 == 1 ? zc_test::arcVx(p.x(), p.y(), 12.0) : vx(p.x(), p.y()));
  }
  return {zcSMDGDPoly::circle(20.3, zcPoint(31.7, 30.2)), roundedRect(9.3, 12.6, 41.5, 33.2, 6.4),
          build(star, true), build({vx(12.25, 30.5), zc_test::arcVx(50.75, 30.5, 180.0)}, true)};
}

// Whether a pel's exact level lies within 1e-6 of a rounding boundary, where two
// renderings of one region may differ by 1.
bool nearTie(double f) { return std::abs(f * 255 - std::floor(f * 255) - 0.5) < 1e-6; }

zcSMDGDPoly reversed(const zcSMDGDPoly& p) {
  zcSMDGDPoly out;
  zcSMDGDPolyPrivate::reversePoly(p, out);
  return out;
}

}  // namespace

TEST(SyntheticAccuracy, CircleOfRadius100AgainstExactAreas) {
  const zcSMDGDPoly circle = zcSMDGDPoly::circle(100.0, zcPoint(128.37, 127.81));
  const zc_test::Outline ref = zc_test::outlineOf(circle, zcXform<2>());
  const Errors exact = against(render(circle, zcXform<2>(), 256, 256, eExactCoverage), ref);
  const Errors blend = against(render(circle, zcXform<2>(), 256, 256, eNeighbourBlend), ref);
  EXPECT_LE(exact.max, 2);
  EXPECT_LE(exact.mean, 0.5);
  EXPECT_GT(exact.pels, 600);
  EXPECT_LE(blend.max, 64);
  std::cout << "circle r=100: exact max " << exact.max << " mean " << exact.mean << "; neighbour blend max "
            << blend.max << " mean " << blend.mean << "\n";
}

TEST(SyntheticExact, CoverageIsTheExactAreaInsideAndAcrossTheBorder) {
  // Shifts put each shape inside the window, then across its edges and corners.
  const zcVector<2> shifts[] = {{0, 0}, {-25.5, 0.25}, {30.125, -28.75}, {-29.0, 31.5}, {0.5, 40.0}};
  for (const zcSMDGDPoly& p : shapes())
    for (const zcVector<2>& d : shifts) {
      const zcXform<2> M = zcXform<2>::translation(d);
      const std::vector<double> f = zc_synth::exactCoverage(p, M, zc_synth::Window{0, 0, 64, 64});
      const zc_test::Outline ref = zc_test::outlineOf(p, M);
      double sum = 0.0, want = 0.0, worst = 0.0;
      eachPel(64, 64, [&](long c, long r) {
        const double a = zc_test::pelArea(ref, c, r), got = f[static_cast<std::size_t>(r * 64 + c)];
        sum += got, want += a, worst = std::max(worst, std::abs(a - got));
      });
      EXPECT_NEAR(sum, want, 1e-9) << p.numVertices() << " vertices shifted " << d.x() << ", " << d.y();
      EXPECT_LT(worst, 1e-9) << p.numVertices() << " vertices shifted " << d.x() << ", " << d.y();
    }
}

TEST(SyntheticExact, SymmetriesReversalAndCutsGiveTheSameImage) {
  // Outlines on a 1/64 grid, which every map below keeps there.
  const zcSMDGDPoly polys[] = {
      roundedRect(9.25, 12.5, 41.5, 33.25, 6.375), zcSMDGDPoly::circle(20.25, zcPoint(31.75, 30.125)),
      build({vx(10.5, 8.25, 4.5), zc_test::arcVx(52.125, 14.0, -40.0), vx(44.0, 55.75, 3.0), vx(12.75, 50.0)}, true)};
  struct Map {
    const char* name;
    zcXform<2> x;
    std::pair<long, long> (*where)(long, long);  // the moved image's pel for a pel
  };
  const Map maps[] = {
      {"translation", zcXform<2>::translation(zcVector<2>(7, -3)),
       [](long c, long r) { return std::pair(std::min(c + 7, 63L), std::max(r - 3, 0L)); }},
      {"mirror", zcXform<2>(zcMatrix<2>(-1, 0, 0, 1), zcVector<2>(64, 0)),
       [](long c, long r) { return std::pair(63 - c, r); }},
      {"rotation", zcXform<2>(zcMatrix<2>(0, -1, 1, 0), zcVector<2>(64, 0)),
       [](long c, long r) { return std::pair(63 - r, c); }},
      {"reversal", zcXform<2>(), [](long c, long r) { return std::pair(c, r); }}};
  long ties = 0;
  for (const zcSMDGDPoly& p : polys) {
    const zc_test::Outline ref = zc_test::outlineOf(p, zcXform<2>());
    const Image base = render(p, zcXform<2>(), 64, 64, eExactCoverage);
    for (const Map& m : maps) {
      const Image moved = render(&m == &maps[3] ? reversed(p) : p, m.x, 64, 64, eExactCoverage);
      eachPel(64, 64, [&](long c, long r) {
        const auto [mc, mr] = m.where(c, r);
        const int d = std::abs(base.get(c, r) - moved.get(mc, mr));
        const bool tie = d == 1 && nearTie(zc_test::pelArea(ref, c, r));
        ties += tie;
        EXPECT_TRUE(d == 0 || tie) << m.name << " at " << c << ", " << r;
      });
    }
    // The general renderer: both orientations alike.
    Image general(64, 64), generalReversed(64, 64);
    const zc2XformBasePtr bent(new zc2XformProjective({1, 0, 0, 0, 1, 0, 1e-4, 0, 1}));
    zcSMDGDPolyPrivate::drawSynthetic(p, bent, general, 255);
    zcSMDGDPolyPrivate::drawSynthetic(reversed(p), bent, generalReversed, 255);
    eachPel(64, 64, [&](long c, long r) { ASSERT_EQ(general.get(c, r), generalReversed.get(c, r)) << c << ", " << r; });
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
      const Image all = render(whole, at, 64, 64, eExactCoverage), a = render(first, at, 64, 64, eExactCoverage),
                  b = render(second, at, 64, 64, eExactCoverage);
      eachPel(64, 64, [&](long c, long r) {
        EXPECT_NEAR(a.get(c, r) + b.get(c, r), all.get(c, r), 1) << c << ", " << r;
      });
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
        if (renderer < 2) {
          const zcXform<2> at = zcXform<2>::translation(zcVector<2>(10 + dx, 10 + dy));
          zcSMDGDPolyPrivate::drawSynthetic(shape, at, win, 200, true, true, kModes[renderer]);
        } else {
          const zc2XformBasePtr lens(new zc2XformProjective({1, 0.01, 10 + dx, 0, 1, 10 + dy, 1e-4, 0, 1}));
          zcSMDGDPolyPrivate::drawSynthetic(shape, lens, win, 200);
        }
        long written = 0;
        eachPel(40, 36, [&](long c, long r) {
          if (win.contains(c, r)) written += image.get(c, r) != 7;
          else EXPECT_EQ(image.get(c, r), 7) << "renderer " << renderer << " shift " << dx << ", " << dy;
        });
        const bool apart = dx + 13.7 <= 0 || dx >= 20 || dy + 11.3 <= 0 || dy >= 16;
        if (renderer == 1) {
          EXPECT_EQ(written == 0, apart) << "shift " << dx << ", " << dy;
        }
      }
}

TEST(SyntheticExact, EdgesOfTwentyThousandPelsAndFarCoordinatesMatchTheReference) {
  const std::tuple<zcSMDGDPoly, long, long> cases[] = {
      {build({vx(0.5, 1.25), vx(19999.5, 2.75), vx(19999.5, 3.0), vx(0.5, 2.0)}, true), 20000, 5},
      {build({vx(-10000, -3.7), vx(10000, 250.2), vx(10000, 400), vx(-10000, 400)}, true), 256, 256},
      {zcSMDGDPoly::circle(1e6, zcPoint(-1e6 + 100.3, 128.6)), 256, 256},
      {build({vx(-1e12, -1e12), vx(1e12, 37.5), vx(-1e12, 1e12)}, true), 256, 256}};
  for (const auto& [poly, w, h] : cases) {
    const Errors e = against(render(poly, zcXform<2>(), w, h, eExactCoverage), zc_test::outlineOf(poly, zcXform<2>()));
    EXPECT_LE(e.max, 1) << w << " x " << h << ", " << e.pels << " boundary pels";
  }
}

TEST(SyntheticBlend, AlignedSquareHalfRowsChordCountsAndOpenPolygons) {
  // An aligned 10 × 10 square fills exactly its 100 pels: its lines run along borders.
  const Image square =
      render(build({vx(5, 5), vx(15, 5), vx(15, 15), vx(5, 15)}, true), zcXform<2>(), 20, 20, eNeighbourBlend, 90);
  eachPel(20, 20, [&](long c, long r) {
    EXPECT_EQ(square.get(c, r), c >= 5 && c < 15 && r >= 5 && r < 15 ? 90 : 0) << c << ", " << r;
  });
  // A boundary at r + 0.25 over 0 above and 200 below leaves 150.
  Image rows(12, 9);
  zfPelSet_U8(rows, 0, 5, 12, 4, 200);
  drawLinePelBuf(rows, zc2SegmentLine(zcPoint(2.5, 4.25), zcPoint(9.5, 4.25)), zcXform<2>(), 100, 1);
  for (long c = 2; c <= 9; ++c) EXPECT_EQ(rows.get(c, 4), 150) << c;
  // Chords: 100 for a turn of radius 100, 73 for radius 0.04 (steps of 5 degrees); none
  // for an arc far off that meets no edge line of the window.
  const Image room(300, 300);
  for (const auto& [radius, chords] : {std::pair(100.0, 101UL), std::pair(0.04, 74UL)}) {
    const zc2SegmentArc turn(zcPoint(150, 150), radius, zcDegree(0), zcDegree(360));
    EXPECT_EQ(zc_synth::arcChordPoints(room, turn, zcXform<2>()).size(), chords) << radius;
  }
  const zc2SegmentArc far(zcPoint(1000, 1000), 50, zcDegree(0), zcDegree(90));
  EXPECT_TRUE(zc_synth::arcChordPoints(room, far, zcXform<2>()).empty());
  // An open polygon is refused; an open SMD poly draws nothing.
  Image img(20, 20, 3);
  EXPECT_THROW(zfDrawSynthetic(zcGenPoly(zcLineSeg(zcPoint(1, 1), zcPoint(9, 9))), zcXform<2>(), img, 9),
               zcShapesError::BadGeom);
  const zc2XformBasePtr identity(new zc2XformLinear());
  zcSMDGDPolyPrivate::drawSynthetic(build({vx(2, 2), vx(15, 3), vx(9, 14)}, false), identity, img, 9);
  eachPel(20, 20, [&](long c, long r) { ASSERT_EQ(img.get(c, r), 3); });
  // The closed polygon through the generalized-polygon entry, as the exact renderer.
  Image viaGenPoly(64, 64);
  zfDrawSynthetic(zcGenPoly(zcCircle(zcPoint(31.7, 30.2), 20.3)), zcXform<2>(), viaGenPoly, 255, eExactCoverage);
  const Image direct = render(shapes()[0], zcXform<2>(), 64, 64, eExactCoverage);
  eachPel(64, 64, [&](long c, long r) { EXPECT_NEAR(viaGenPoly.get(c, r), direct.get(c, r), 1) << c << ", " << r; });
}

TEST(SyntheticBlend, BlenderMatchesHalfPlaneCoverageOnPrefilledColumns) {
  // Rising, falling, shallow and steep lines; pels with centres below the line hold 200.
  const std::pair<zcPoint, zcPoint> lines[] = {{{3.2, 20.4}, {36.7, 9.1}},  {{3.6, 8.3}, {36.1, 24.8}},
                                               {{3.3, 14.6}, {36.9, 16.2}}, {{12.2, 3.4}, {25.9, 36.3}},
                                               {{27.8, 3.1}, {13.4, 36.6}}, {{4.1, 4.3}, {35.7, 35.2}}};
  for (const auto& [p, q] : lines) {
    const zcVector<2> d = q - p, e = d * (100.0 / d.length()), n = zcVector<2>(-e.y(), e.x());
    Image img(40, 40);
    eachPel(40, 40, [&](long c, long r) { img.set(c, r, d.cross(zcPoint(c + 0.5, r + 0.5) - p) > 0 ? 200 : 0); });
    drawLinePelBuf(img, zc2SegmentLine(p, q), zcXform<2>(), 0, 1);
    // The side of the line as a large quadrilateral, checked on the pels the line
    // crosses at least 2 pels from its ends.
    zc_test::Outline half;
    const zcPoint corners[] = {p - e, q + e, q + e + n, p - e + n};
    for (int i = 0; i < 4; ++i) zc_test::addLine(half, corners[i], corners[(i + 1) % 4]);
    eachPel(40, 40, [&](long c, long r) {
      const zcPoint m(c + 0.5, r + 0.5);
      if (std::abs(d.cross(m - p)) >= 0.8 * d.length() || (m - p).dot(d) <= 2 * d.length() ||
          (q - m).dot(d) <= 2 * d.length())
        return;
      EXPECT_NEAR(img.get(c, r), zc_test::level(zc_test::pelArea(half, c, r), 200), 1)
          << p.x() << "," << p.y() << " → " << q.x() << "," << q.y() << " at " << c << ", " << r;
    });
  }
}

TEST(SyntheticExact, RandomPolysUnderRandomMapsMatchTheReferenceEveryPel) {
  std::mt19937 rng;
  const auto uni = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  long drawn = 0;
  for (unsigned seed = 1; drawn < 1500 && seed < 20000; ++seed) {
    rng.seed(seed);
    // A star-shaped outline: lines, arcs of up to ±35 degrees, some roundings.
    std::vector<double> angles(static_cast<std::size_t>(uni(3, 9)));
    for (double& a : angles) a = uni(0, 2 * std::numbers::pi);
    std::sort(angles.begin(), angles.end());
    std::vector<zcSMDGDPolyVertex> list;
    for (const double a : angles) {
      const double r = uni(6, 14), round = uni(0, 1) < 0.4 ? uni(0.3, 2.5) : 0.0;
      const double span = uni(0, 1) < 0.4 ? uni(-35, 35) : 0.0;
      list.push_back(zc_test::arcVx(r * std::cos(a), r * std::sin(a), span, round));
    }
    zcSMDGDPoly poly;
    try {
      poly = build(list, true);
    } catch (const zcException&) {
      continue;
    }
    const zcMatrix<2> m(uni(-1.6, 1.6), uni(-1.6, 1.6), uni(-1.6, 1.6), uni(-1.6, 1.6));
    if (std::abs(m.determinant()) < 0.2) continue;
    const long w = static_cast<long>(uni(6, 41)), h = static_cast<long>(uni(6, 41));
    const long ox = static_cast<long>(uni(-50, 51)), oy = static_cast<long>(uni(-50, 51));
    const zcXform<2> x(m, zcVector<2>(ox + uni(-10, w + 10), oy + uni(-10, h + 10)));
    Image img(w, h);
    img.offset(zcPair<long>(ox, oy));
    zcSMDGDPolyPrivate::drawSynthetic(poly, x, img, 255, true, true, eExactCoverage);
    ++drawn;
    const zc_test::Outline ref = zc_test::outlineOf(poly, x);
    eachPel(w, h, [&](long c, long r) {
      const int want = zc_test::level(zc_test::pelArea(ref, ox + c, oy + r)), got = img.get(ox + c, oy + r);
      if (std::abs(want - got) <= 1) return;
      std::ostringstream out;
      out.precision(17);
      out << "seed " << seed << ": poly = " << zc_test::cppOf(list, true) << "; x = zcXform<2>(zcMatrix<2>("
          << m.element(0, 0) << ", " << m.element(0, 1) << ", " << m.element(1, 0) << ", " << m.element(1, 1)
          << "), zcVector<2>(" << x.trans().x() << ", " << x.trans().y() << ")); window " << w << " x " << h << " at "
          << ox << ", " << oy << "; pel " << ox + c << ", " << oy + r << ": " << got << " vs " << want;
      FAIL() << out.str();
    });
    if (HasFailure()) return;
  }
  EXPECT_EQ(drawn, 1500);
}

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
  eachPel(64, 64, [&](long c, long r) { EXPECT_NEAR(general.get(c, r), exact.get(c, r), 1) << c << ", " << r; });

  // A projective map draws its sampled polygon: lines at every 3 pels of their image
  // (the scale 1.25 lies above the larger singular value at the origin), arcs at every 2
  // degrees.
  const zc2XformProjective lens({1.2, 0.1, 5, -0.05, 1.1, 6, 0.004, -0.003, 1});
  const zcSMDGDPoly rounded = roundedRect(2, 3, 40, 35, 8);
  Image bent(64, 64);
  zcSMDGDPolyPrivate::drawSynthetic(rounded, zc2XformBasePtr(new zc2XformProjective(lens)), bent, 255);
  std::vector<zcPoint> pts;
  for (long k = 0; k < 4; ++k) {
    const zcPoint a = rounded.roundedEndPoints()[(k + 3) % 4], b = rounded.roundedStartPoints()[k];
    const long n = std::max(static_cast<long>(a.distance(b) * 1.25 / 3.0), 2L);
    for (long i = 0; i < n; ++i) pts.push_back(lens.mapPoint(a + (b - a) * (double(i) / double(n - 1))));
    for (int i = 0; i < 45; ++i) pts.push_back(lens.mapPoint(rounded.roundedArcVertex_(k).segPoint(i / 44.0)));
  }
  zc_test::Outline sampled;
  for (std::size_t i = 0; i < pts.size(); ++i) zc_test::addLine(sampled, pts[i], pts[(i + 1) % pts.size()]);
  const Errors e = against(bent, sampled);
  EXPECT_LE(e.max, 2);
  EXPECT_LE(e.mean, 0.6);
}

TEST(SyntheticInput, EveryFailureComesBeforeTheFirstWrite) {
  Image img(30, 30, 5), unbound;
  const zcSMDGDPoly circle = zcSMDGDPoly::circle(6, zcPoint(15, 15));
  const zc2SegmentLine line(zcPoint(1, 1), zcPoint(5, 5));
  const zcXform<2> collapse(zcMatrix<2>(0, 0, 0, 0), zcVector<2>(9, 9)), I;
  const zc2XformBasePtr horizon(new zc2XformProjective({1, 0, 0, 0, 1, 0, -1.0 / 15, 0, 1}));
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
  // A singular map draws nothing; a zero-size window neither.
  zcSMDGDPolyPrivate::drawSynthetic(circle, zcXform<2>(zcMatrix<2>(1, 2, 2, 4), zcVector<2>()), img, 9, true, true);
  Image empty = img.window(3, 3, 0, 0);
  for (const zeSyntheticCoverage mode : kModes)
    zcSMDGDPolyPrivate::drawSynthetic(circle, I, empty, 9, true, true, mode);
  eachPel(30, 30, [&](long c, long r) { ASSERT_EQ(img.get(c, r), 5) << c << ", " << r; });
}

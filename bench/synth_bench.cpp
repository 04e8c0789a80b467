// Synthetic drawing of a circle, a rounded rectangle and a star (outlines filling the
// image, off the pel grid) at 256², 1024² and 4096², value 255 into 8 bits: both of our
// coverage modes, Cairo (an A8 image surface, the same path, its default anti-aliased
// fill) and a floor (one memset per row over the shape's span). Before the timings it
// prints each one's error against exact pel areas at 256² (max and mean over the pels
// strictly between 0 and 255 in either image).
//
//   build/release/bench/synth_bench --benchmark_filter=4096
#include "dispc/wrfm/synth.h"
#include "dispc/wrfm/smdpoly.h"
#include "support/synth_reference.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

zcSMDGDPolyVertex vertex(const zcPoint& p, double radius = 0.0) { return zcSMDGDPolyVertex(p, radius, 0.5, 0.5, -1); }

zcSMDGDPoly closed(const std::vector<zcSMDGDPolyVertex>& list) {
  zcSMDGDPoly p;
  for (const zcSMDGDPolyVertex& v : list) p << v;
  p.close();
  return p;
}

enum Shape { eCircle, eRoundedRect, eStar };
const char* const kShapeNames[] = {"circle", "rounded_rect", "star"};

zcSMDGDPoly shape(int kind, double n) {
  const zcPoint c(n / 2 + 0.37, n / 2 - 0.21);
  switch (kind) {
    case eCircle:
      return zcSMDGDPoly::circle(0.47 * n, c);
    case eRoundedRect: {
      const double a = 0.03 * n + 0.3, b = n - 0.04 * n - 0.2, r = 0.12 * n;
      return closed({vertex(zcPoint(a, a), r), vertex(zcPoint(b, a), r), vertex(zcPoint(b, b), r), vertex(zcPoint(a, b), r)});
    }
    default: {
      std::vector<zcSMDGDPolyVertex> list;
      for (int i = 0; i < 10; ++i) {
        const double t = zkPi * i / 5.0 - zkPi / 2, r = (i % 2 ? 0.2 : 0.48) * n;
        list.push_back(vertex(c + zcVector<2>(std::cos(t), std::sin(t)) * r));
      }
      return closed(list);
    }
  }
}

// The same outline as a Cairo path: lines, and arcs as circle arcs.
void cairoPath(cairo_t* cr, const zcSMDGDPoly& p) {
  const auto arc = [&](const zc2SegmentArc& a) {
    const zcPoint c = a.center();
    const double r = a.radius(zcDegree(0)), s = zcRadian(a.startAngle()).value();
    const double e = s + zcRadian(a.angleSpan()).value();
    if (e >= s) cairo_arc(cr, c.x(), c.y(), r, s, e);
    else cairo_arc_negative(cr, c.x(), c.y(), r, s, e);
  };
  for (long k = 0; k < p.numVertices(); ++k) {
    const long s = p.previousSegmentIndex_(k);
    if (p.isSegmentArc_(s)) {
      arc(p.roundedArcSegment_(s));
    } else {
      const zcPoint a = p.roundedEndPoints()[p.previousVertexIndex_(s)], b = p.roundedStartPoints()[k];
      if (k == 0) cairo_move_to(cr, a.x(), a.y());
      cairo_line_to(cr, b.x(), b.y());
    }
    if (p.isVertexRounded_(k)) arc(p.roundedArcVertex_(k));
  }
  cairo_close_path(cr);
}

struct Cairo {
  cairo_surface_t* surface;
  cairo_t* cr;
  explicit Cairo(int n) : surface(cairo_image_surface_create(CAIRO_FORMAT_A8, n, n)), cr(cairo_create(surface)) {}
  ~Cairo() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  void fill(const zcSMDGDPoly& p) {
    cairoPath(cr, p);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_fill(cr);
  }
  int get(long c, long r) {
    cairo_surface_flush(surface);
    return cairo_image_surface_get_data(surface)[r * cairo_image_surface_get_stride(surface) + c];
  }
};

// Each timed render is one call of its own (renderOurs, renderCairo, renderFloor), so
// that callgrind counts the instructions of one render: the inclusive cost of renderOurs
// over its calls from BM_Ours, with
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect='*BM_Ours*'
//   build/bench/bench/synth_bench --benchmark_filter='^BM_Exact/0/256$' --no_accuracy
[[gnu::noinline]] void renderOurs(const zcSMDGDPoly& p, zcPelBuffer<unsigned char>& img, zeSyntheticCoverage mode) {
  zcSMDGDPolyPrivate::drawSynthetic(p, zcXform<2>(), img, 255, true, true, mode);
}

void BM_Ours(benchmark::State& state, zeSyntheticCoverage mode) {
  const long n = state.range(1);
  const zcSMDGDPoly p = shape(static_cast<int>(state.range(0)), static_cast<double>(n));
  zcPelBuffer<unsigned char> img(n, n);
  for (auto _ : state) {
    renderOurs(p, img, mode);
    benchmark::DoNotOptimize(img.pelPointer(0, 0));
  }
}

void BM_Blend(benchmark::State& state) { BM_Ours(state, eNeighbourBlend); }
void BM_Exact(benchmark::State& state) { BM_Ours(state, eExactCoverage); }

[[gnu::noinline]] void renderCairo(Cairo& cairo, const zcSMDGDPoly& p) {
  cairo.fill(p);
  cairo_surface_flush(cairo.surface);
}

void BM_Cairo(benchmark::State& state) {
  const long n = state.range(1);
  const zcSMDGDPoly p = shape(static_cast<int>(state.range(0)), static_cast<double>(n));
  Cairo cairo(static_cast<int>(n));
  for (auto _ : state) {
    renderCairo(cairo, p);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(cairo.surface));
  }
}

[[gnu::noinline]] void renderFloor(zcPelBuffer<unsigned char>& img, const std::vector<std::pair<long, long>>& spans) {
  for (std::size_t i = 0; i < spans.size(); i += 2)
    std::memset(img.pelPointer(spans[i].second, spans[i].first), 255,
                static_cast<std::size_t>(spans[i + 1].second - spans[i].second));
}

// One memset per row over the shape's span (taken from an exact rendering).
void BM_Floor(benchmark::State& state) {
  const long n = state.range(1);
  zcPelBuffer<unsigned char> img(n, n);
  zcSMDGDPolyPrivate::drawSynthetic(shape(static_cast<int>(state.range(0)), static_cast<double>(n)), zcXform<2>(), img,
                                    255, true, true, eExactCoverage);
  std::vector<std::pair<long, long>> spans;
  for (long r = 0; r < n; ++r) {
    long lo = n, hi = 0;
    for (long c = 0; c < n; ++c)
      if (img.get(c, r)) lo = std::min(lo, c), hi = c + 1;
    if (lo < hi) spans.emplace_back(r, lo), spans.emplace_back(r, hi);
  }
  for (auto _ : state) {
    renderFloor(img, spans);
    benchmark::DoNotOptimize(img.pelPointer(0, 0));
  }
}

void sizes(benchmark::internal::Benchmark* b) {
  for (const long kind : {eCircle, eRoundedRect, eStar})
    for (const long n : {256, 1024, 4096}) b->Args({kind, n});
}

BENCHMARK(BM_Floor)->Apply(sizes);
BENCHMARK(BM_Exact)->Apply(sizes);
BENCHMARK(BM_Blend)->Apply(sizes);
BENCHMARK(BM_Cairo)->Apply(sizes);

// Max and mean error of `get` against the exact areas over the pels strictly between 0
// and 255 in either image.
template <class Get>
void report(const char* who, const zc_test::Outline& ref, long n, Get&& get) {
  int worst = 0;
  double sum = 0.0;
  long count = 0;
  for (long r = 0; r < n; ++r)
    for (long c = 0; c < n; ++c) {
      const int want = zc_test::level(zc_test::pelArea(ref, c, r)), got = get(c, r);
      if (want == got && (want == 0 || want == 255)) continue;
      worst = std::max(worst, std::abs(want - got));
      sum += std::abs(want - got);
      ++count;
    }
  std::printf("  %-16s max %3d  mean %.2f  (%ld pels)\n", who, worst, count ? sum / count : 0.0, count);
}

void accuracy() {
  const long n = 256;
  for (const int kind : {eCircle, eRoundedRect, eStar}) {
    const zcSMDGDPoly p = shape(kind, static_cast<double>(n));
    const zc_test::Outline ref = zc_test::outlineOf(p, zcXform<2>());
    std::printf("%s at %ldx%ld, error against exact areas:\n", kShapeNames[kind], n, n);
    for (const zeSyntheticCoverage mode : {eExactCoverage, eNeighbourBlend}) {
      zcPelBuffer<unsigned char> img(n, n);
      zcSMDGDPolyPrivate::drawSynthetic(p, zcXform<2>(), img, 255, true, true, mode);
      report(mode == eExactCoverage ? "exact coverage" : "neighbour blend", ref, n,
             [&](long c, long r) { return int(img.get(c, r)); });
    }
    Cairo cairo(static_cast<int>(n));
    cairo.fill(p);
    report("cairo", ref, n, [&](long c, long r) { return cairo.get(c, r); });
  }
}

}  // namespace

// --no_accuracy skips the accuracy table (it dominates a run under callgrind).
int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[argc - 1], "--no_accuracy") != 0) accuracy();
  else --argc;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

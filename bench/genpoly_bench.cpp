// Generalized polygons of 1,000 to 100,000 rounded vertices: recording onto a tablet,
// archiving the recorded sketch, replaying it onto a tablet without scopes (the
// payload read and the polygon rebuilt, nothing painted) and decomposing into
// segments and arcs. None of them validates the poly again, so the time per vertex
// stays flat as the polygon grows (items per second: vertices).
//
// The outline: a star of n vertices at a constant pitch (radius 1000 at 10,000
// vertices), every second vertex 5 pitches further in, every corner rounded by a tenth
// of a pitch.
#include "dispc/uitablet.h"
#include "dispc/wrfm/genpoly.h"

#include "zfound/archive.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <vector>

namespace {

const zcGenPoly& star(long n) {
  static std::map<long, zcGenPoly> made;
  auto it = made.find(n);
  if (it != made.end()) return it->second;
  const double outer = 1000.0 * static_cast<double>(n) / 10000.0;
  const double pitch = 2.0 * zkPi * outer / static_cast<double>(n);
  std::vector<zcPoint> points;
  for (long i = 0; i <= n; ++i) {
    const double a = 2.0 * zkPi * static_cast<double>(i % n) / static_cast<double>(n);
    const double r = i % 2 == 0 ? outer : outer - 5.0 * pitch;
    points.emplace_back(r * std::cos(a), r * std::sin(a));
  }
  zcGenPoly g{zcPolygon(points)};
  g.vertexRoundingSizes(0.1 * pitch);
  return made.emplace(n, g).first->second;
}

const zcGraphicProps kPen(zcColor::green, 1, zcGraphicProps::ePenStyleDefault, false);

zcUISketch recorded(long n) {
  zcUITablet recorder;
  recorder.draw(star(n), kPen, zcUITablet::eOverlay);
  return recorder.sketch();
}

void BM_GenPolyRecord(benchmark::State& state) {
  const zcGenPoly& g = star(state.range(0));
  zcUITablet recorder;
  for (auto _ : state) {
    recorder.sketch().erase();
    recorder.draw(g, kPen, zcUITablet::eOverlay);
    benchmark::DoNotOptimize(recorder.sketch().size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GenPolyArchive(benchmark::State& state) {
  zcUISketch sketch = recorded(state.range(0));
  for (auto _ : state) {
    zcArchive out;
    out || sketch;
    zcArchive in(out.bytes());
    zcUISketch back;
    in || back;
    benchmark::DoNotOptimize(back.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GenPolyReplay(benchmark::State& state) {
  const zcUISketch sketch = recorded(state.range(0));
  zcUITablet tablet(nullptr, nullptr);
  for (auto _ : state) tablet.draw(sketch, zcPoint(0, 0), zcUITablet::eOverlay);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GenPolyDecompose(benchmark::State& state) {
  const zcGenPoly g = star(state.range(0)).map(zcXform<2>::rotation(zcRadian(0.3)));
  for (auto _ : state) benchmark::DoNotOptimize(g.decompose());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_GenPolyRecord)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GenPolyArchive)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GenPolyReplay)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GenPolyDecompose)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

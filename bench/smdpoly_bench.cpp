// Building closed SMD polys: vertex by vertex (each append validated) and in one
// vertices() call (one full validation), for outlines of 100 to 100,000 vertices.
//
// The outline is a star: N/2 spikes around a circle of radius 1000, every second
// vertex 5 spacings further in, and every tenth corner rounded by a tenth of a spacing.
// Appending is quadratic (each append checks the new segment against the whole
// chain); the 100,000-vertex append runs once.
#include "dispc/wrfm/smdpoly.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

std::vector<zcSMDGDPolyVertex> star(long n) {
  const double outer = 1000.0;
  const double spacing = 2.0 * zkPi * outer / static_cast<double>(n);
  std::vector<zcSMDGDPolyVertex> list;
  list.reserve(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) {
    const double a = 2.0 * zkPi * static_cast<double>(i) / static_cast<double>(n);
    const double r = i % 2 == 0 ? outer : outer - 5.0 * spacing;
    const double rounding = i % 10 == 5 ? 0.1 * spacing : 0.0;
    list.emplace_back(zcPoint(r * std::cos(a), r * std::sin(a)), rounding, 0.5, 0.5, -1);
  }
  return list;
}

void BM_SMDPolyAppendAndClose(benchmark::State& state) {
  const std::vector<zcSMDGDPolyVertex> list = star(state.range(0));
  for (auto _ : state) {
    zcSMDGDPoly poly;
    for (const zcSMDGDPolyVertex& v : list) poly << v;
    poly.close();
    benchmark::DoNotOptimize(poly.numVertices());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SMDPolyAppendAndClose)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SMDPolyAppendAndClose)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SMDPolyVerticesAndClose(benchmark::State& state) {
  const std::vector<zcSMDGDPolyVertex> list = star(state.range(0));
  for (auto _ : state) {
    zcSMDGDPoly poly;
    poly.vertices(list);
    poly.close();
    benchmark::DoNotOptimize(poly.numVertices());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SMDPolyVerticesAndClose)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

// Building closed SMD polys: vertex by vertex (each append validated) and in one
// vertices() call (one full validation), for outlines of 100 to 100,000 vertices.
//
// Two outlines around a circle of radius 1000: a star (N/2 spikes, every second vertex 5
// spacings further in, every tenth corner rounded by a tenth of a spacing; argument 0)
// and a gear (teeth of 1.5, out and in by arcs of ±20 degrees; argument 1). The star
// keeps its shape as it grows (its spikes scale with the spacing); the gear of argument
// 1 does not: its teeth keep their depth while their pitch shrinks, so at 100,000
// vertices each flank is 24 pitches long and near many others, and the pairs to check
// grow faster than the outline. Argument 2 is the same gear grown at a constant pitch
// (radius 1000 at 10,000 vertices), the outline that measures growth. An append tests
// only the pieces near it; the 100,000-vertex appends run once.
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

// A gear of n vertices about a circle of `radius`: out by an arc of +20 degrees, down
// by 1.5, in by −20, up.
std::vector<zcSMDGDPolyVertex> gear(long n, double radius) {
  std::vector<zcSMDGDPolyVertex> list;
  list.reserve(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) {
    const double a = 2.0 * zkPi * static_cast<double>(i) / static_cast<double>(n);
    const double r = i % 4 < 2 ? radius : radius - 1.5;
    const double span = i % 4 == 1 ? 20.0 : i % 4 == 3 ? -20.0 : 0.0;
    list.emplace_back(zcPoint(r * std::cos(a), r * std::sin(a)), 0.0, zcDegree(span), 0.5, 0.5, -1, zcDimTol());
  }
  return list;
}

std::vector<zcSMDGDPolyVertex> outline(const benchmark::State& state) {
  const long n = state.range(0);
  if (state.range(1) == 0) return star(n);
  return gear(n, state.range(1) == 1 ? 1000.0 : 1000.0 * static_cast<double>(n) / 10000.0);
}

void BM_SMDPolyAppendAndClose(benchmark::State& state) {
  const std::vector<zcSMDGDPolyVertex> list = outline(state);
  for (auto _ : state) {
    zcSMDGDPoly poly;
    for (const zcSMDGDPolyVertex& v : list) poly << v;
    poly.close();
    benchmark::DoNotOptimize(poly.numVertices());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SMDPolyAppendAndClose)->ArgsProduct({{100, 1000, 10000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SMDPolyAppendAndClose)->ArgsProduct({{100000}, {0, 1, 2}})->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SMDPolyVerticesAndClose(benchmark::State& state) {
  const std::vector<zcSMDGDPolyVertex> list = outline(state);
  for (auto _ : state) {
    zcSMDGDPoly poly;
    poly.vertices(list);
    poly.close();
    benchmark::DoNotOptimize(poly.numVertices());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SMDPolyVerticesAndClose)
    ->ArgsProduct({{100, 1000, 10000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

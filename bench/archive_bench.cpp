// Archive throughput: colors and pen properties written and read back.
#include "dispc/color.h"
#include "dispc/dispprop.h"

#include "zfound/archive.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::vector<unsigned char> writeColors(int count) {
  zcArchive out;
  for (int i = 0; i < count; ++i) {
    zcColor c(static_cast<unsigned char>(i), static_cast<unsigned char>(i >> 8), 7);
    out || c;
  }
  return out.bytes();
}

void BM_ArchiveWriteColors(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(writeColors(static_cast<int>(state.range(0))));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ArchiveWriteColors)->Arg(1000);

void BM_ArchiveReadColors(benchmark::State& state) {
  const auto bytes = writeColors(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    zcArchive in(bytes);
    zcColor c;
    for (int i = 0; i < state.range(0); ++i) in || c;
    benchmark::DoNotOptimize(c);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ArchiveReadColors)->Arg(1000);

void BM_ArchivePropsRoundTrip(benchmark::State& state) {
  zcGraphicProps props(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, true);
  for (auto _ : state) {
    zcArchive out;
    out || props;
    zcArchive in(out.bytes());
    zcGraphicProps back;
    in || back;
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_ArchivePropsRoundTrip);

}  // namespace

// The C++ side of bench/python_bench.py: the tablet drawing the same 100,000 segments
// onto a 1024 x 1024 screen that the Python batch call and the OpenCV loop draw, so
// that the script can report the batch call's cost against the library's own.
#include "dispc/uitablet.h"

#include "zscreen/screen.h"

#include <benchmark/benchmark.h>

namespace {

constexpr long kSide = 1024;
constexpr long kSegments = 100000;

// Segment i, as python_bench.py computes it.
zcLineSeg segment(long i) {
  return zcLineSeg(zcPoint(double(i * 37 % kSide), double(i * 91 % kSide)),
                   zcPoint(double((i * 53 + 17) % kSide), double((i * 29 + 400) % kSide)));
}

void TabletSegments100k(benchmark::State& state) {
  zcScreen screen(kSide, kSide);
  zcUITablet tablet(&screen.image(), &screen.overlay());
  tablet.visible(true);
  const zcGraphicProps pen(zcColor::red, 1, zcGraphicProps::ePenStyleDefault, false);
  for (auto _ : state) {
    for (long i = 0; i < kSegments; ++i) tablet.draw(segment(i), pen, zcUITablet::eImage);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(TabletSegments100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

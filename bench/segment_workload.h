// The segment workload both tablet benchmarks share: 1,000,000 segments inside a
// square, the pen color changing every 100 calls and the pen width every 1,000. The
// segments are short (the second end within 32 pixels of the first on each axis) or
// spread over the whole square (both ends anywhere in it).
#pragma once

#include "dispc/color.h"
#include "dispc/dispprop.h"

#include "zfound/lines.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace zc_bench {

constexpr long kOps = 1000000;
constexpr long kColorEvery = 100;
constexpr long kWidthEvery = 1000;
constexpr int kColors = 16;
constexpr int kWidths = 4;
constexpr double kMaxReach = 32.0;

inline int colorIndex(long i) { return static_cast<int>(i / kColorEvery % kColors); }
inline int widthIndex(long i) { return static_cast<int>(i / kWidthEvery % kWidths); }

struct SegmentWorkload {
  long firstWidth;
  std::vector<zcLineSeg> segments;  // what a caller hands to the tablet
  std::vector<double> ends;         // x1, y1, x2, y2 per segment, for Cairo
  std::array<zcRGB, kColors> palette;
  std::vector<zcGraphicProps> props;  // [width][color]
  // The box of every end point.
  double minX, minY, maxX = 0.0, maxY = 0.0;

  long penWidth(long i) const { return firstWidth + widthIndex(i); }
  const zcGraphicProps& propsOf(long i) const { return props[widthIndex(i) * kColors + colorIndex(i)]; }

  enum Layout { eShort, eUniform };

  // Both ends of every segment lie inside the square of the given side.
  SegmentWorkload(long firstPenWidth, double side, Layout layout = eShort)
      : firstWidth(firstPenWidth), minX(side), minY(side) {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> at(kMaxReach, side - kMaxReach), reach(-kMaxReach, kMaxReach);
    std::uniform_real_distribution<double> anywhere(0.0, side);
    segments.reserve(kOps);
    ends.reserve(4 * kOps);
    for (long i = 0; i < kOps; ++i) {
      const bool uniform = layout == eUniform;
      const zcPoint a = uniform ? zcPoint(anywhere(rng), anywhere(rng)) : zcPoint(at(rng), at(rng));
      zcPoint b = uniform ? zcPoint(anywhere(rng), anywhere(rng)) : zcPoint(a.x() + reach(rng), a.y() + reach(rng));
      if (b == a) b = zcPoint(a.x() + 1.0, a.y());
      segments.emplace_back(a, b);
      minX = std::min({minX, a.x(), b.x()});
      minY = std::min({minY, a.y(), b.y()});
      maxX = std::max({maxX, a.x(), b.x()});
      maxY = std::max({maxY, a.y(), b.y()});
      ends.insert(ends.end(), {a.x(), a.y(), b.x(), b.y()});
    }
    for (int c = 0; c < kColors; ++c)
      palette[c] = zcRGB(static_cast<unsigned char>(c * 16), static_cast<unsigned char>(255 - c * 12),
                         static_cast<unsigned char>(64 + c * 8));
    for (int w = 0; w < kWidths; ++w)
      for (int c = 0; c < kColors; ++c)
        props.emplace_back(zcColor(palette[c]), firstWidth + w, zcGraphicProps::ePenStyleDefault, false);
  }
};

// main() of a benchmark program that prints a summary after the runs: counters inline,
// color only on a terminal.
template <class Reporter>
int runWithSummary(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Reporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color
                                          : benchmark::ConsoleReporter::OO_None);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printSummary();
  benchmark::Shutdown();
  return 0;
}

}  // namespace zc_bench

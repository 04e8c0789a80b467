// Graphics-list export, import and drawing of 1,000,000 graphics (segments,
// rectangles, four-point polylines and point icons in turn), each reported in ns per
// record, beside recording the same list onto a tablet (goal: export within 2 times).
#include "dispc/glexport.h"
#include "dispc/glist.h"

#include <benchmark/benchmark.h>

namespace {

constexpr long kCount = 1000000;

const zcGraphicList& graphics() {
  static const zcGraphicList list = [] {
    const zcGraphicProps pen(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, false);
    zcGraphicList out;
    out.items().reserve(kCount);
    for (long i = 0; i < kCount; ++i) {
      const double x = static_cast<double>(i % 640), y = static_cast<double>(i % 480);
      zcGraphic* g = nullptr;
      switch (i % 4) {
        case 0: g = new zcGraphicSimple<zcLineSeg>(zcLineSeg(zcPoint(x, y), zcPoint(x + 5, y + 3)), pen); break;
        case 1: g = new zcGraphicWithFill<zcRect, zcGenRect>(zcRect(x, y, 6, 4), pen); break;
        case 2:
          g = new zcGraphicSimple<zcPolyline>(
              zcPolyline({zcPoint(x, y), zcPoint(x + 3, y + 1), zcPoint(x + 4, y + 5), zcPoint(x, y + 6)}), pen);
          break;
        default: g = new zcGraphicPointIcon(zcPoint(x, y), pen);
      }
      out.append(zcPtrHandle<zcGraphic>(g), false);
    }
    return out;
  }();
  return list;
}

struct Records {
  Records() { zgr_list_init(&list); }
  ~Records() { zgr_list_free(&list); }
  zgr_list list;
};

const zgr_list& exported() {
  static Records records;
  if (records.list.count == 0) zfGraphicListAppend(&records.list, graphics());
  return records.list;
}

void perRecord(benchmark::State& state) {
  state.counters["ns_per_record"] =
      benchmark::Counter(kCount * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RecordListOntoTablet(benchmark::State& state) {
  graphics();
  for (auto _ : state) {
    zcUITablet recorder;
    graphics().draw(recorder, zcUITablet::eOverlay);
    benchmark::DoNotOptimize(recorder.sketch().size());
  }
  perRecord(state);
}
BENCHMARK(BM_RecordListOntoTablet)->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state) {
  graphics();
  for (auto _ : state) {
    Records records;
    zfGraphicListAppend(&records.list, graphics());
    benchmark::DoNotOptimize(records.list.used);
  }
  perRecord(state);
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond);

void BM_Import(benchmark::State& state) {
  exported();
  for (auto _ : state) {
    zcGraphicList back;
    back.items().reserve(kCount);
    zfGraphicListAppend(back, &exported());
    benchmark::DoNotOptimize(back.items().size());
  }
  perRecord(state);
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond);

void BM_DrawRecordsOntoTablet(benchmark::State& state) {
  exported();
  for (auto _ : state) {
    zcUITablet recorder;
    zfUITabletDraw(recorder, &exported(), zcUITablet::eOverlay);
    benchmark::DoNotOptimize(recorder.sketch().size());
  }
  perRecord(state);
}
BENCHMARK(BM_DrawRecordsOntoTablet)->Unit(benchmark::kMillisecond);

}  // namespace

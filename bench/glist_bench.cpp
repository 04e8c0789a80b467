// Graphic lists: drawing a list onto a recorder against the same tablet calls made
// directly (goal: within 1.25 times), and archiving a list of mixed graphics (goal:
// under a second each way for 100,000; bytes per graphic reported).
#include "dispc/glist.h"

#include "zfound/archive.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const zcGraphicProps& pen() {
  static const zcGraphicProps p(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, false);
  return p;
}

// Segments, rectangles and four-point polylines in turn.
zcGraphicList drawingList(long count) {
  zcGraphicList list;
  list.items().reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count; ++i) {
    const double x = static_cast<double>(i % 640), y = static_cast<double>(i % 480);
    zcGraphic* g = nullptr;
    switch (i % 3) {
      case 0: g = new zcGraphicSimple<zcLineSeg>(zcLineSeg(zcPoint(x, y), zcPoint(x + 5, y + 3)), pen()); break;
      case 1: g = new zcGraphicWithFill<zcRect, zcGenRect>(zcRect(x, y, 6, 4), pen()); break;
      default:
        g = new zcGraphicSimple<zcPolyline>(
            zcPolyline({zcPoint(x, y), zcPoint(x + 3, y + 1), zcPoint(x + 4, y + 5), zcPoint(x, y + 6)}), pen());
    }
    list.append(zcPtrHandle<zcGraphic>(g), false);
  }
  return list;
}

constexpr long kDrawn = 1000000;

void BM_ListDrawOntoRecorder(benchmark::State& state) {
  const zcGraphicList list = drawingList(kDrawn);
  for (auto _ : state) {
    zcUITablet recorder;
    list.draw(recorder, zcUITablet::eOverlay);
    benchmark::DoNotOptimize(recorder.sketch().size());
  }
  state.SetItemsProcessed(state.iterations() * kDrawn);
}
BENCHMARK(BM_ListDrawOntoRecorder)->Unit(benchmark::kMillisecond);

// The same shapes, held as they are, drawn by the tablet's own calls.
void BM_DirectCallsOntoRecorder(benchmark::State& state) {
  std::vector<zcLineSeg> segs;
  std::vector<zcRect> rects;
  std::vector<zcPolyline> lines;
  const zcGraphicList list = drawingList(kDrawn);
  for (const zcPtrHandle<zcGraphic>& g : list.items()) {
    if (const auto* s = dynamic_cast<const zcGraphicSimple<zcLineSeg>*>(g.rep())) segs.push_back(s->item());
    if (const auto* r = dynamic_cast<const zcGraphicWithFill<zcRect, zcGenRect>*>(g.rep())) rects.push_back(r->item());
    if (const auto* p = dynamic_cast<const zcGraphicSimple<zcPolyline>*>(g.rep())) lines.push_back(p->item());
  }
  for (auto _ : state) {
    zcUITablet recorder;
    for (std::size_t i = 0; i < segs.size(); ++i) {
      recorder.draw(segs[i], pen(), zcUITablet::eOverlay);
      if (i < rects.size()) recorder.draw(rects[i], pen(), zcUITablet::eOverlay);
      if (i < lines.size()) recorder.draw(lines[i], pen(), zcUITablet::eOverlay);
    }
    benchmark::DoNotOptimize(recorder.sketch().size());
  }
  state.SetItemsProcessed(state.iterations() * kDrawn);
}
BENCHMARK(BM_DirectCallsOntoRecorder)->Unit(benchmark::kMillisecond);

// Mixed graphics: segments, filled circles, polylines, general rectangles, and groups of
// two of them.
zcGraphicList archiveList(long count) {
  zcGraphicList list = drawingList(count);
  for (long i = 0; i < count; i += 4) {
    const zcPoint c(static_cast<double>(i % 500), 20);
    list.items()[static_cast<std::size_t>(i)] = new zcGraphicWithFill<zcCircle, zcEllipse2>(zcCircle(c, 5), zcColor::blue, true);
  }
  for (long i = 2; i < count; i += 8) {
    zcGraphicGroup group;
    group.items({list.items()[static_cast<std::size_t>(i - 1)], list.items()[static_cast<std::size_t>(i - 2)]});
    list.items()[static_cast<std::size_t>(i)] = new zcGraphicGroup(group);
  }
  return list;
}

constexpr long kArchived = 100000;

void BM_ListArchiveWrite(benchmark::State& state) {
  zcGraphicList list = archiveList(kArchived);
  std::size_t bytes = 0;
  for (auto _ : state) {
    zcArchive out;
    out || list;
    bytes = out.bytes().size();
  }
  state.counters["bytes/graphic"] = static_cast<double>(bytes) / kArchived;
  state.SetItemsProcessed(state.iterations() * kArchived);
}
BENCHMARK(BM_ListArchiveWrite)->Unit(benchmark::kMillisecond);

void BM_ListArchiveRead(benchmark::State& state) {
  zcGraphicList list = archiveList(kArchived);
  zcArchive out;
  out || list;
  for (auto _ : state) {
    zcArchive in(out.bytes());
    zcGraphicList back;
    in || back;
    benchmark::DoNotOptimize(back.items().size());
  }
  state.counters["bytes/graphic"] = static_cast<double>(out.bytes().size()) / kArchived;
  state.SetItemsProcessed(state.iterations() * kArchived);
}
BENCHMARK(BM_ListArchiveRead)->Unit(benchmark::kMillisecond);

}  // namespace

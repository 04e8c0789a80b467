// Recording and replaying a million line segments: a recorder tablet and its sketch
// side by side with Cairo's recording surface, and the floor of appending the same
// bytes to a std::vector.
//
// The workload: 1,000,000 segments, each end inside 1024 × 1024 and the second end
// within 32 pixels of the first on each axis, drawn on the overlay layer; the pen
// color changes every 100 calls (16 colors), the pen width every 1,000 calls (2 to
// 5). Properties compare their pen color too, so every color change writes a
// 22-byte properties block: 40 bytes per segment (8-byte header, two points) and 62
// for each hundredth.
//
// The mixed workload: 1,000,000 calls in turn a segment, a circle, a rectangle, an
// open 8-point polyline and a short text, each within 32 pixels of a point of the
// square, with the same pen changes (text records the default properties, so that
// each text call writes a properties block before it and one after it).
//
// Benchmarks (each reports ops/s; the recorders also bytes/op and heap/op):
//   TabletRecord             a new recorder tablet draws every segment
//   TabletRecordReused       the same tablet again, its sketch erased (buffer kept)
//   VectorAppendFloor        the same bytes appended to a new std::vector
//   VectorAppendFloorReused  the same vector again, cleared (capacity kept)
//   CairoRecord              move_to, line_to, stroke on a new recording surface
//   MixedTabletRecordReused, MixedVectorAppendFloorReused, MixedCairoRecord
//                            the same three on the mixed workload (the floor appends
//                            each call's bytes as one piece; Cairo strokes arcs,
//                            rectangles and paths and shows the text with its toy font)
//   TabletWalkBare           the sketch walked: header, properties and payload
//                            decoded into their records, nothing drawn
//   TabletReplayNull         the sketch replayed on a screen tablet whose scopes paint nothing
//   CairoReplayNull          the recording replayed into Cairo's own null surface
//   ...Uniform               the same on segments spread over the whole square
//   CairoReplayImage         the recording painted onto a 1024 × 1024 ARGB32 image
// The fresh runs pay for growing the buffer and touching its pages for the first
// time, which costs the tablet and the vector alike; the reused runs time the
// appending alone, which is what the goal against the vector is about. Destroying
// a Cairo recording (a million freed commands) is kept out of CairoRecord's time.
//
// Cairo's closest null painter. Cairo has no public surface that discards drawing.
// Painting a recording into another recording surface does not replay it: it stores
// one paint command that refers to a snapshot. Painting it onto a 1 × 1 image (or
// through a small clip) makes Cairo build a spatial index of the commands on the
// first replay and afterwards visit only the few commands that touch the pixel: an
// index query, not a walk, and building the index once costs more than a full
// replay. cairo_recording_surface_ink_extents replays every command through Cairo's
// replay loop into its internal null surface, which only measures each operation's
// extents and paints nothing. That is what CairoReplayNull times.
//
// main() runs the benchmarks and ends with the ratios against the goals: recording
// at least 20 times Cairo's rate and within 2 times the cost of appending the same
// bytes (both workloads), null replay at least 10 times Cairo's (both layouts) and
// within 3 times the bare walk of the same sketch.
#include "dispc/sketchop.h"
#include "dispc/uitablet.h"

#include "segment_workload.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace zc_bench;

constexpr long kFirstWidth = 2;
constexpr double kSide = 1024.0;
constexpr auto kLayer = zcUITablet::eOverlay;
constexpr unsigned char kLineSegOpcode = 2;


// The same calls for every contender, built once, and the floor's precomputed pieces:
// a 22-byte properties block per props entry and an 8-byte LineSeg header per color.
struct Workload : SegmentWorkload {
  std::vector<std::vector<unsigned char>> blocks;
  std::array<std::array<unsigned char, zcUISketch::kHeaderSize>, kColors> headers{};
  long expectedBytes = 0;

  const std::vector<unsigned char>& blockOf(long i) const { return blocks[widthIndex(i) * kColors + colorIndex(i)]; }

  explicit Workload(Layout layout = eShort) : SegmentWorkload(kFirstWidth, kSide, layout) {
    for (const zcGraphicProps& p : props) {
      // A fresh sketch remembers the default properties, which these differ from.
      zcUISketch s;
      s.opcode(static_cast<signed char>(zcUISketch::kPropsOpcode), p);
      blocks.emplace_back(s.data(), s.data() + s.size());
    }
    for (int c = 0; c < kColors; ++c) {
      zcUISketch s;
      s.opcode(static_cast<signed char>(kLineSegOpcode), static_cast<signed char>(kLayer), zcColor(palette[c]));
      std::memcpy(headers[c].data(), s.data(), headers[c].size());
    }
    const long blocksWritten = (kOps + kColorEvery - 1) / kColorEvery;
    expectedBytes = kOps * (zcUISketch::kHeaderSize + 32) + blocksWritten * zcUISketch::kPropsBlockSize;
  }
};

const Workload& workload(SegmentWorkload::Layout layout = SegmentWorkload::eShort) {
  static const Workload shortOnes(SegmentWorkload::eShort);
  if (layout == SegmentWorkload::eShort) return shortOnes;
  static const Workload uniform(SegmentWorkload::eUniform);
  return uniform;
}

// Heap in use (small blocks and mmapped ones); -1 under an allocator that keeps no
// statistics (the sanitizers').
long heapInUse() {
  const struct mallinfo2 m = mallinfo2();
  const long used = static_cast<long>(m.uordblks + m.hblkhd);
  return used > 0 ? used : -1;
}
long heapGrowth(long before) {
  const long after = heapInUse();
  return before < 0 || after < 0 ? -1 : after - before;
}

void recordOnTablet(zcUITablet& t, const Workload& w) {
  for (long i = 0; i < kOps; ++i) t.draw(w.segments[i], w.propsOf(i), kLayer);
}

void appendFloor(std::vector<unsigned char>& out, const Workload& w) {
  for (long i = 0; i < kOps; ++i) {
    if (i % kColorEvery == 0) {
      const std::vector<unsigned char>& block = w.blockOf(i);
      out.insert(out.end(), block.begin(), block.end());
    }
    unsigned char op[zcUISketch::kHeaderSize + 32];
    std::memcpy(op, w.headers[colorIndex(i)].data(), zcUISketch::kHeaderSize);
    // Little-endian doubles: the host's own layout on the machines we build for;
    // the floor's bytes are compared with the tablet's before anything is reported.
    std::memcpy(op + zcUISketch::kHeaderSize, &w.ends[4 * i], 32);
    out.insert(out.end(), op, op + sizeof op);
  }
}

void recordOnCairo(cairo_t* cr, const Workload& w) {
  for (long i = 0; i < kOps; ++i) {
    if (i % kColorEvery == 0) {
      const zcRGB& c = w.palette[colorIndex(i)];
      cairo_set_source_rgb(cr, c.r() / 255.0, c.g() / 255.0, c.b() / 255.0);
    }
    if (i % kWidthEvery == 0) cairo_set_line_width(cr, static_cast<double>(w.penWidth(i)));
    const double* e = &w.ends[4 * i];
    cairo_move_to(cr, e[0], e[1]);
    cairo_line_to(cr, e[2], e[3]);
    cairo_stroke(cr);
  }
}

cairo_surface_t* newCairoRecording() {
  const cairo_rectangle_t extents = {0.0, 0.0, kSide, kSide};
  return cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
}

// The sketches and the Cairo recordings that the replays read, recorded once.
zcUISketch recordSketch(SegmentWorkload::Layout layout) {
  zcUITablet t;
  recordOnTablet(t, workload(layout));
  return t.sketch();
}
const zcUISketch& recordedSketch(SegmentWorkload::Layout layout = SegmentWorkload::eShort) {
  static const zcUISketch shortOnes = recordSketch(SegmentWorkload::eShort);
  if (layout == SegmentWorkload::eShort) return shortOnes;
  static const zcUISketch uniform = recordSketch(SegmentWorkload::eUniform);
  return uniform;
}

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;

CairoSurface recordCairo(SegmentWorkload::Layout layout) {
  CairoSurface s(newCairoRecording());
  cairo_t* cr = cairo_create(s.get());
  recordOnCairo(cr, workload(layout));
  cairo_destroy(cr);
  return s;
}
cairo_surface_t* recordedCairo(SegmentWorkload::Layout layout = SegmentWorkload::eShort) {
  static const CairoSurface shortOnes = recordCairo(SegmentWorkload::eShort);
  if (layout == SegmentWorkload::eShort) return shortOnes.get();
  static const CairoSurface uniform = recordCairo(SegmentWorkload::eUniform);
  return uniform.get();
}

// A painting scope that paints nothing: every slot returns at once. It counts the
// segments it is handed, so that a replay that skips its work cannot pass unseen.
class NullScope : public zcUIScope {
public:
  using zcUIScope::zcUIScope;

  long segments = 0;

  void moved(const zcUIScope&, const zcUIRect&) override {}
  zcUIScope* makeKidScope(const zcUIRect& r, bool) override { return new NullScope(r.ul()); }
  void dragStart() override {}
  void dragStop() override {}
  void dragErase() override {}
  void dragAnimate(bool) override {}
  void draw(const zcEllipseArc&, const zcGraphicProps&) override {}
  void draw(const zcEllipse&, const zcGraphicProps&) override {}
  void draw(const zcPolygon&, const zcGraphicProps&) override {}
  void draw(const zcRLEBuffer&, const zcPoint&, const std::vector<zcColor>&, bool, unsigned char) override {}
  void draw(const zcRLEBuffer&, const zcPoint&, const std::vector<unsigned char>&, bool, unsigned char,
            bool) override {}
  void draw(const zcPelBuffer_const<zcPackedRGB32>&, const zcPoint&, bool, zcPackedRGB32) override {}
  void draw(const zcPelBuffer_const<zcPackedRGB16>&, const zcPoint&, bool, zcPackedRGB16) override {}
  void draw(const zcPelBuffer_const<unsigned short>&, const zcPoint&, bool, unsigned short) override {}
  void draw(const zcPelBuffer_const<unsigned char>&, const zcPoint&, bool, unsigned char, bool) override {}
  void draw(const std::wstring&, const zcPoint&, const zcColor&, const zcColor&, const zcUIFormat&) override {}
  void draw(const zcPolyline&, const zcGraphicProps&) override {}
  void draw(const zcGenRect&, const zcGraphicProps&) override {}
  void draw(const zcEllipseArc2&, const zcGraphicProps&) override {}
  void draw(const zcEllipse2&, const zcGraphicProps&) override {}
  void draw(const zcLineSeg&, const zcGraphicProps&) override { ++segments; }
  void draw(const zcPoint&, const zcGraphicProps&) override {}
  void textRect(const std::wstring&, const zcPoint&, const zcUIFormat&, zcUIRect&) override {}
  void drawReduced(const zcPelBuffer_const<zcPackedRGB32>&, const zcPoint&, const zcPair<double>&, bool,
                   zcPackedRGB32, bool) override {}
  void drawReduced(const zcPelBuffer_const<zcPackedRGB16>&, const zcPoint&, const zcPair<double>&, bool,
                   zcPackedRGB16, bool) override {}
  void drawReduced(const zcPelBuffer_const<unsigned short>&, const zcPoint&, const zcPair<double>&, bool,
                   unsigned short, bool) override {}
  void drawReduced(const zcPelBuffer_const<unsigned char>&, const zcPoint&, const zcPair<double>&, bool,
                   unsigned char, bool) override {}
  void drawMagnified(const zcPelBuffer_const<zcPackedRGB32>&, const zcPoint&, const zcPair<double>&, bool,
                     zcPackedRGB32, bool, InterpolationModes) override {}
  void drawMagnified(const zcPelBuffer_const<zcPackedRGB16>&, const zcPoint&, const zcPair<double>&, bool,
                     zcPackedRGB16, bool, InterpolationModes) override {}
  void drawMagnified(const zcPelBuffer_const<unsigned short>&, const zcPoint&, const zcPair<double>&, bool,
                     unsigned short, bool, InterpolationModes) override {}
  void drawMagnified(const zcPelBuffer_const<unsigned char>&, const zcPoint&, const zcPair<double>&, bool,
                     unsigned char, bool, InterpolationModes) override {}
  void set(const zcUIRect&, const zcColor&) override {}
  void set(const zcColor&) override {}
  void fill(const zcPair<long>&, const zcColor&, const zcColor&, bool) override {}
  void drawTo(const zcPoint&, const zcGraphicProps&) override {}
  void drawToRelPels(long, long, const zcGraphicProps&) override {}
  bool drawingInhibited(Layers) const override { return false; }
  zcPair<long> size() const override { return zcPair<long>(static_cast<long>(kSide), static_cast<long>(kSide)); }
};

void reportOps(benchmark::State& state) {
  state.counters["ops/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kOps, benchmark::Counter::kIsRate);
}

// A negative count is not reported.
void reportBytes(benchmark::State& state, long streamBytes, long heapBytes) {
  if (streamBytes >= 0) state.counters["bytes/op"] = static_cast<double>(streamBytes) / kOps;
  if (heapBytes >= 0) state.counters["heap/op"] = static_cast<double>(heapBytes) / kOps;
}

// --- Recording ---------------------------------------------------------------------------

// A fresh tablet (or vector) per pass pays for the buffer's growth and the first
// touch of its pages; a reused one (erased sketch, cleared vector) keeps its
// capacity, so that only the appending is timed.
void tabletRecord(benchmark::State& state, bool reuse) {
  const Workload& w = workload();
  long bytes = 0, heap = 0;
  auto t = std::make_unique<zcUITablet>();
  // A reused sketch has grown to its full size before the first timed pass.
  if (reuse) recordOnTablet(*t, w);
  for (auto _ : state) {
    state.PauseTiming();
    if (reuse) {
      t->sketch().erase();
    } else {
      t.reset();
      t = std::make_unique<zcUITablet>();
    }
    const long heapBefore = heapInUse();
    state.ResumeTiming();
    recordOnTablet(*t, w);
    state.PauseTiming();
    bytes = t->sketch().size();
    heap = heapGrowth(heapBefore);
    state.ResumeTiming();
  }
  if (bytes != w.expectedBytes) {
    state.SkipWithError(("the sketch holds " + std::to_string(bytes) + " bytes, expected " +
                         std::to_string(w.expectedBytes))
                            .c_str());
    return;
  }
  reportOps(state);
  reportBytes(state, bytes, reuse ? -1 : heap);
}
void TabletRecord(benchmark::State& state) { tabletRecord(state, false); }
void TabletRecordReused(benchmark::State& state) { tabletRecord(state, true); }
BENCHMARK(TabletRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(TabletRecordReused)->Unit(benchmark::kMillisecond);

void vectorAppend(benchmark::State& state, bool reuse) {
  const Workload& w = workload();
  const zcUISketch& reference = recordedSketch();
  bool same = false;
  long bytes = 0, heap = 0;
  auto out = std::make_unique<std::vector<unsigned char>>();
  if (reuse) appendFloor(*out, w);
  for (auto _ : state) {
    state.PauseTiming();
    if (reuse) {
      out->clear();
    } else {
      out.reset();
      out = std::make_unique<std::vector<unsigned char>>();
    }
    const long heapBefore = heapInUse();
    state.ResumeTiming();
    appendFloor(*out, w);
    state.PauseTiming();
    bytes = static_cast<long>(out->size());
    heap = heapGrowth(heapBefore);
    same = bytes == reference.size() && std::memcmp(out->data(), reference.data(), out->size()) == 0;
    state.ResumeTiming();
  }
  if (!same) {
    state.SkipWithError("the floor's bytes differ from the tablet's sketch");
    return;
  }
  reportOps(state);
  reportBytes(state, bytes, reuse ? -1 : heap);
}
void VectorAppendFloor(benchmark::State& state) { vectorAppend(state, false); }
void VectorAppendFloorReused(benchmark::State& state) { vectorAppend(state, true); }
BENCHMARK(VectorAppendFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorAppendFloorReused)->Unit(benchmark::kMillisecond);

void CairoRecord(benchmark::State& state) {
  const Workload& w = workload();
  long heap = 0;
  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  for (auto _ : state) {
    state.PauseTiming();
    const long heapBefore = heapInUse();
    state.ResumeTiming();
    cairo_surface_t* recording = newCairoRecording();
    cairo_t* cr = cairo_create(recording);
    recordOnCairo(cr, w);
    cairo_destroy(cr);
    state.PauseTiming();
    heap = heapGrowth(heapBefore);
    status = cairo_surface_status(recording);
    // Freeing a million commands is not recording: keep it out of the time.
    cairo_surface_destroy(recording);
    state.ResumeTiming();
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    state.SkipWithError(cairo_status_to_string(status));
    return;
  }
  reportOps(state);
  reportBytes(state, -1, heap);
}
BENCHMARK(CairoRecord)->Unit(benchmark::kMillisecond);

// --- Recording the mixed workload ----------------------------------------------------------

// The calls of the mixed workload, and the bytes that a tablet records for each one
// (the floor appends those, call by call).
struct MixedWorkload {
  static constexpr int kKinds = 5;
  static constexpr int kPolylinePoints = 8;
  const Workload& pens = workload();
  // Each kind's shapes in an array of their own, as a caller keeps the shapes it draws.
  std::vector<zcLineSeg> segments;
  std::vector<zcCircle> circles;
  std::vector<zcRect> rects;
  std::vector<zcPolyline> polylines;
  std::vector<std::wstring> texts;
  std::vector<zcPoint> textAt;
  std::vector<unsigned char> bytes;  // the whole recorded sketch
  std::vector<long> ends;            // where each call's bytes end in it
  // Each call as a caller holds it ready: its kind, the index of its shape among its
  // kind's and its pen, so that the timed loop costs no index arithmetic (the floor's
  // loop has none either).
  struct Call {
    int kind;
    long n;
    const zcGraphicProps* props;
  };
  std::vector<Call> calls;
  const zcUIFormat format;

  static int kindOf(long i) { return static_cast<int>(i % kKinds); }

  MixedWorkload() {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> at(kMaxReach, kSide - kMaxReach), reach(-kMaxReach, kMaxReach),
        size(1.0, kMaxReach);
    for (long i = 0; i < kOps; ++i) {
      const zcPoint a(at(rng), at(rng));
      switch (kindOf(i)) {
        case 0: segments.push_back(pens.segments[static_cast<std::size_t>(i)]); break;
        case 1: circles.emplace_back(a, size(rng)); break;
        case 2: rects.emplace_back(a.x(), a.y(), size(rng), size(rng)); break;
        case 3: {
          std::vector<zcPoint> points;
          for (int k = 0; k < kPolylinePoints; ++k) points.emplace_back(a.x() + reach(rng), a.y() + reach(rng));
          polylines.emplace_back(std::move(points));
          break;
        }
        case 4: texts.push_back(L"pad " + std::to_wstring(i % 1000)); textAt.push_back(a); break;
        default: break;
      }
    }
    calls.reserve(kOps);
    for (long i = 0; i < kOps; ++i) calls.push_back(Call{kindOf(i), i / kKinds, &pens.propsOf(i)});
    zcUITablet t;
    ends.reserve(kOps);
    for (long i = 0; i < kOps; ++i) {
      record(t, i);
      ends.push_back(t.sketch().size());
    }
    bytes.assign(t.sketch().data(), t.sketch().data() + t.sketch().size());
  }

  void record(zcUITablet& t, long i) const {
    const Call& c = calls[static_cast<std::size_t>(i)];
    switch (c.kind) {
      case 0: t.draw(segments[c.n], *c.props, kLayer); break;
      case 1: t.draw(circles[c.n], *c.props, kLayer); break;
      case 2: t.draw(rects[c.n], *c.props, kLayer); break;
      case 3: t.draw(polylines[c.n], *c.props, kLayer); break;
      default: t.draw(texts[c.n], textAt[c.n], c.props->penColor(), zcColor::black, format, kLayer); break;
    }
  }

  void recordOnCairo(cairo_t* cr) const {
    cairo_set_font_size(cr, 12.0);
    for (long i = 0; i < kOps; ++i) {
      if (i % kColorEvery == 0) {
        const zcRGB& c = pens.palette[colorIndex(i)];
        cairo_set_source_rgb(cr, c.r() / 255.0, c.g() / 255.0, c.b() / 255.0);
      }
      if (i % kWidthEvery == 0) cairo_set_line_width(cr, static_cast<double>(pens.penWidth(i)));
      const long n = i / kKinds;
      switch (kindOf(i)) {
        case 0: {
          const double* e = &pens.ends[4 * i];
          cairo_move_to(cr, e[0], e[1]);
          cairo_line_to(cr, e[2], e[3]);
          break;
        }
        case 1:
          cairo_new_sub_path(cr);
          cairo_arc(cr, circles[n].center().x(), circles[n].center().y(), circles[n].radius(), 0.0, 2 * M_PI);
          break;
        case 2: cairo_rectangle(cr, rects[n].corner().x(), rects[n].corner().y(), rects[n].width(), rects[n].height()); break;
        case 3: {
          const std::vector<zcPoint>& v = polylines[n].vertices();
          cairo_move_to(cr, v[0].x(), v[0].y());
          for (std::size_t k = 1; k < v.size(); ++k) cairo_line_to(cr, v[k].x(), v[k].y());
          break;
        }
        default: {
          cairo_move_to(cr, textAt[n].x(), textAt[n].y());
          const std::string text(texts[n].begin(), texts[n].end());
          cairo_show_text(cr, text.c_str());
          continue;
        }
      }
      cairo_stroke(cr);
    }
  }
};

const MixedWorkload& mixedWorkload() {
  static const MixedWorkload w;
  return w;
}

void MixedTabletRecordReused(benchmark::State& state) {
  const MixedWorkload& w = mixedWorkload();
  zcUITablet t;
  for (long i = 0; i < kOps; ++i) w.record(t, i);
  for (auto _ : state) {
    state.PauseTiming();
    t.sketch().erase();
    state.ResumeTiming();
    for (long i = 0; i < kOps; ++i) w.record(t, i);
  }
  const zcUISketch& s = t.sketch();
  if (static_cast<std::size_t>(s.size()) != w.bytes.size() || std::memcmp(s.data(), w.bytes.data(), w.bytes.size()) != 0) {
    state.SkipWithError("the tablet recorded other bytes than on the first pass");
    return;
  }
  reportOps(state);
  reportBytes(state, s.size(), -1);
}
BENCHMARK(MixedTabletRecordReused)->Unit(benchmark::kMillisecond);

void MixedVectorAppendFloorReused(benchmark::State& state) {
  const MixedWorkload& w = mixedWorkload();
  std::vector<unsigned char> out;
  out.reserve(w.bytes.size());
  for (auto _ : state) {
    out.clear();
    const unsigned char* bytes = w.bytes.data();
    long from = 0;
    for (long i = 0; i < kOps; ++i) {
      const long to = w.ends[i];
      out.insert(out.end(), bytes + from, bytes + to);
      from = to;
    }
    benchmark::DoNotOptimize(out.data());
  }
  if (out != w.bytes) {
    state.SkipWithError("the floor's bytes differ from the tablet's sketch");
    return;
  }
  reportOps(state);
}
BENCHMARK(MixedVectorAppendFloorReused)->Unit(benchmark::kMillisecond);

void MixedCairoRecord(benchmark::State& state) {
  const MixedWorkload& w = mixedWorkload();
  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  for (auto _ : state) {
    cairo_surface_t* recording = newCairoRecording();
    cairo_t* cr = cairo_create(recording);
    w.recordOnCairo(cr);
    cairo_destroy(cr);
    state.PauseTiming();
    status = cairo_surface_status(recording);
    cairo_surface_destroy(recording);
    state.ResumeTiming();
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    state.SkipWithError(cairo_status_to_string(status));
    return;
  }
  reportOps(state);
}
BENCHMARK(MixedCairoRecord)->Unit(benchmark::kMillisecond);

// --- Replay --------------------------------------------------------------------------------

// The walk that replay makes, without the drawing: every operation's header,
// properties and payload decoded into its record.
void tabletWalkBare(benchmark::State& state, SegmentWorkload::Layout layout) {
  const zcUISketch& sketch = recordedSketch(layout);
  long walked = 0;
  for (auto _ : state) {
    walked = 0;
    for (zcUISketchCursor walk(sketch); !walk.atEnd(); ++walked) benchmark::DoNotOptimize(&walk.next());
  }
  if (walked != kOps) {
    state.SkipWithError(("the walk read " + std::to_string(walked) + " operations").c_str());
    return;
  }
  reportOps(state);
}
void TabletWalkBare(benchmark::State& state) { tabletWalkBare(state, SegmentWorkload::eShort); }
BENCHMARK(TabletWalkBare)->Unit(benchmark::kMillisecond);

void tabletReplayNull(benchmark::State& state, SegmentWorkload::Layout layout) {
  const zcUISketch& sketch = recordedSketch(layout);
  NullScope image, overlay;
  zcUITablet screen(&image, &overlay);
  screen.visible(true);
  long painted = 0;
  for (auto _ : state) {
    overlay.segments = 0;
    screen.draw(sketch, zcPoint(0, 0), kLayer);
    painted = overlay.segments;
  }
  if (painted != kOps || image.segments != 0) {
    state.SkipWithError(("the overlay scope was handed " + std::to_string(painted) + " segments").c_str());
    return;
  }
  reportOps(state);
}
void TabletReplayNull(benchmark::State& state) { tabletReplayNull(state, SegmentWorkload::eShort); }
void TabletReplayNullUniform(benchmark::State& state) { tabletReplayNull(state, SegmentWorkload::eUniform); }
BENCHMARK(TabletReplayNull)->Unit(benchmark::kMillisecond);
BENCHMARK(TabletReplayNullUniform)->Unit(benchmark::kMillisecond);

void cairoReplayNull(benchmark::State& state, SegmentWorkload::Layout layout) {
  const Workload& w = workload(layout);
  cairo_surface_t* recording = recordedCairo(layout);
  double x = 0, y = 0, width = 0, height = 0;
  for (auto _ : state) {
    cairo_recording_surface_ink_extents(recording, &x, &y, &width, &height);
    benchmark::DoNotOptimize(width);
  }
  // The measured box must be the end points' box, up to the pens and Cairo's
  // rounding to whole pixels.
  const double slack = static_cast<double>(kFirstWidth + kWidths) + 1.0;
  if (std::abs(x - w.minX) > slack || std::abs(y - w.minY) > slack || std::abs(x + width - w.maxX) > slack ||
      std::abs(y + height - w.maxY) > slack) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "Cairo's null replay measured (%g, %g, %g, %g), the end points span (%g, %g, %g, %g)", x, y,
                  width, height, w.minX, w.minY, w.maxX - w.minX, w.maxY - w.minY);
    state.SkipWithError(text);
    return;
  }
  reportOps(state);
}
void CairoReplayNull(benchmark::State& state) { cairoReplayNull(state, SegmentWorkload::eShort); }
void CairoReplayNullUniform(benchmark::State& state) { cairoReplayNull(state, SegmentWorkload::eUniform); }
BENCHMARK(CairoReplayNull)->Unit(benchmark::kMillisecond);
BENCHMARK(CairoReplayNullUniform)->Unit(benchmark::kMillisecond);

void CairoReplayImage(benchmark::State& state) {
  cairo_surface_t* recording = recordedCairo();
  CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(kSide), static_cast<int>(kSide)));
  for (auto _ : state) {
    cairo_t* cr = cairo_create(image.get());
    cairo_set_source_surface(cr, recording, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image.get());
  }
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
    state.SkipWithError(cairo_status_to_string(cairo_surface_status(image.get())));
    return;
  }
  reportOps(state);
}
BENCHMARK(CairoReplayImage)->Unit(benchmark::kMillisecond);

// --- Summary -------------------------------------------------------------------------------

// The console reporter, keeping each benchmark's counters for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
  using benchmark::ConsoleReporter::ConsoleReporter;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // Repeated runs: the medians (--benchmark_repetitions).
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred) continue;
      for (const auto& [name, counter] : run.counters) results_[run.run_name.function_name][name] = counter.value;
    }
  }

  void printSummary() const {
    std::printf("\nSummary: %ld line segments, pen color every %ld calls, pen width every %ld\n", kOps,
                kColorEvery, kWidthEvery);
    // Rate ratios: how many times the first is faster than the second.
    row("recording: tablet rate / Cairo rate", rate("TabletRecord") / rate("CairoRecord"), ">=", 20.0);
    row("  mixed workload", rate("MixedTabletRecordReused") / rate("MixedCairoRecord"), ">=", 20.0);
    row("null replay: tablet rate / Cairo rate", rate("TabletReplayNull") / rate("CairoReplayNull"), ">=", 10.0);
    row("  uniform layout", rate("TabletReplayNullUniform") / rate("CairoReplayNullUniform"), ">=", 10.0);
    // Cost ratios: the tablet's time per call over the floor's, reused buffers (the
    // appending alone) and fresh ones.
    row("recording: tablet time / vector append time", rate("VectorAppendFloorReused") / rate("TabletRecordReused"),
        "<=", 2.0);
    row("  mixed workload", rate("MixedVectorAppendFloorReused") / rate("MixedTabletRecordReused"), "<=", 2.0);
    row("  the same with fresh buffers (growth, page faults)", rate("VectorAppendFloor") / rate("TabletRecord"),
        nullptr, 0.0);
    row("null replay time / bare walk time", rate("TabletWalkBare") / rate("TabletReplayNull"), "<=", 3.0);
    row("tablet null replay rate / Cairo image replay rate", rate("TabletReplayNull") / rate("CairoReplayImage"),
        nullptr, 0.0);
    const double bytes = value("TabletRecord", "bytes/op"), heap = value("TabletRecord", "heap/op");
    const double cairoHeap = value("CairoRecord", "heap/op");
    if (std::isfinite(bytes) && std::isfinite(heap) && std::isfinite(cairoHeap))
      std::printf("  memory per segment: sketch %.2f bytes (%.2f with its spare capacity), Cairo %.1f bytes\n",
                  bytes, heap, cairoHeap);
  }

private:
  // NaN when the benchmark did not run (filtered out, or it failed its check).
  double value(const std::string& benchmark, const std::string& name) const {
    const auto b = results_.find(benchmark);
    if (b == results_.end()) return std::nan("");
    const auto c = b->second.find(name);
    return c == b->second.end() ? std::nan("") : c->second;
  }
  double rate(const std::string& benchmark) const { return value(benchmark, "ops/s"); }

  static void row(const char* what, double ratio, const char* relation, double goal) {
    if (!std::isfinite(ratio)) {
      std::printf("  %-52s not measured\n", what);
    } else if (!relation) {
      std::printf("  %-52s %8.2f\n", what, ratio);
    } else {
      const bool met = relation[0] == '>' ? ratio >= goal : ratio <= goal;
      std::printf("  %-52s %8.2f  goal %s %g: %s\n", what, ratio, relation, goal, met ? "met" : "MISSED");
    }
  }

  std::map<std::string, std::map<std::string, double>> results_;
};

}  // namespace

int main(int argc, char** argv) { return zc_bench::runWithSummary<SummaryReporter>(argc, argv); }

// Stage 3 of synthetic drawing, sweep: rows of cells become runs and blended pels.
//
//   renderExact(outline.pieces, win, pb, v);   // exact coverage, stages 1 to 4
//
// It goes down the window's rows with the pieces that cross each row (an active list
// ordered by the pieces' tops), so a row costs its pieces and its runs, never its width.
// Coverage follows the nonzero rule: |winding| clamped to 1, so the parts of a folded
// outline that overlap count once.
#include "wrfm/synth_cells.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace zc_synth {

namespace {

// The pieces in the order of their tops, handed row by row to `f` as those that reach
// into the row; a piece leaves the list after the last row it reaches. When every piece
// in the row is a vertical line crossing it whole (the sides of rectangles, and parts
// left of the window), the rows below are the same until a piece ends or another
// begins: f(row, active, repeat) sweeps the row and gives the `repeat` rows below it the
// same coverage, and the pieces move on past them.
template <class F>
void eachRow(std::vector<Mono>& pieces, const Window& win, F&& f) {
  // Pointers sorted, not the pieces themselves (a piece is a few hundred bytes).
  std::vector<Mono*> order(pieces.size());
  for (std::size_t k = 0; k < pieces.size(); ++k) order[k] = &pieces[k];
  std::sort(order.begin(), order.end(), [](const Mono* l, const Mono* r) { return l->a.y() < r->a.y(); });
  std::vector<Mono*> active;
  active.reserve(pieces.size());
  std::size_t next = 0;
  // The first row's bottom at which an active piece ends: only then is the list pruned.
  double firstEnd = std::numeric_limits<double>::infinity();
  for (long row = win.y0; row < win.y1; ++row) {
    if (active.empty()) {
      if (next == order.size()) break;
      row = std::max(row, clampToLong(std::floor(order[next]->a.y()), row, win.y1));
      if (row >= win.y1) break;
    }
    double bottom = static_cast<double>(row) + 1.0;
    for (; next < order.size() && order[next]->a.y() < bottom; ++next) {
      active.push_back(order[next]);
      firstEnd = std::min(firstEnd, order[next]->b.y());
    }
    const double top = static_cast<double>(row);
    const bool same = std::all_of(active.begin(), active.end(),
                                  [&](const Mono* m) { return !m->arc && m->a.x() == m->b.x() && m->py == top; });
    long repeat = 0;
    if (same) {
      const double nextTop = next < order.size() ? order[next]->a.y() : std::numeric_limits<double>::infinity();
      repeat = clampToLong(std::floor(std::min(firstEnd, nextTop)), row + 1, win.y1) - row - 1;
    }
    f(row, active, repeat);
    if (repeat > 0) {
      row += repeat;
      bottom = static_cast<double>(row) + 1.0;
      for (Mono* m : active) m->py = bottom;
    }
    if (firstEnd <= bottom) {
      std::erase_if(active, [&](const Mono* m) { return m->b.y() <= bottom; });
      firstEnd = std::numeric_limits<double>::infinity();
      for (const Mono* m : active) firstEnd = std::min(firstEnd, m->b.y());
    }
  }
}

// A PelSink that keeps what it did, to do it again on other rows.
class RecordingSink {
public:
  // Pels [from, to) at f, or the single pel `from` when to is −1.
  struct Step {
    long from, to;
    double f;
  };
  RecordingSink(const PelSink& sink, std::vector<Step>& steps) : sink_(sink), steps_(steps) {}
  void span(long from, long to, double f) {
    sink_.span(from, to, f);
    steps_.push_back(Step{from, to, f});
  }
  void pel(long i, double f) {
    sink_.pel(i, f);
    steps_.push_back(Step{i, -1, f});
  }
  // Does it all again on a row whose pel at the window's left column is row0.
  void replay(unsigned char* row0) const {
    PelSink sink{row0, sink_.v};
    for (const Step& s : steps_) {
      if (s.to < 0) sink.pel(s.from, s.f);
      else sink.span(s.from, s.to, s.f);
    }
  }

private:
  PelSink sink_;
  std::vector<Step>& steps_;
};

}  // namespace

template <class Sink>
[[gnu::always_inline]] inline void CellRow::sweep(Sink& to) {
  // A copy whose fields no pel store can change, so the loops keep them in registers.
  Sink sink = to;
  // The runs in column order (insertion sort: a row holds a few), then merged where
  // they overlap or meet, so that every touched cell is swept once, left to right.
  long* const firsts = firsts_.data();
  long* const lasts = lasts_.data();
  const std::size_t n = count_;
  for (std::size_t k = 1; k < n; ++k) {
    const long first = firsts[k], last = lasts[k];
    std::size_t j = k;
    for (; j > 0 && firsts[j - 1] > first; --j) firsts[j] = firsts[j - 1], lasts[j] = lasts[j - 1];
    firsts[j] = first;
    lasts[j] = last;
  }
  Cell* const cells = cells_.data();
  double sum = 0.0;
  long from = 0;
  for (std::size_t k = 0; k < n;) {
    const long first = firsts[k];
    long last = lasts[k];
    for (++k; k < n && firsts[k] <= last + 1; ++k) last = std::max(last, lasts[k]);
    // Between runs the coverage is the running sum, an integer up to rounding.
    if (from < first) sink.span(from, first, std::min(1.0, std::abs(sum)));
    // The cell right of the window (index width) only needs clearing.
    last = std::min(last, width_ - 1);
    for (long i = first; i <= last; ++i) {
      Cell& cell = cells[i];
      sum += cell.cover;
      sink.pel(i, std::min(1.0, std::abs(sum - cell.area)));
      cell = Cell{};
    }
    from = std::max(from, last + 1);
  }
  cells[width_] = Cell{};
  count_ = 0;
  if (from < width_) sink.span(from, width_, std::min(1.0, std::abs(sum)));
}

void renderExact(const std::vector<Mono>& pieces, const Window& win, zcPelBuffer<unsigned char>& pb,
                 unsigned char v) {
  if (win.empty()) return;
  std::vector<Mono> cut = clipPieces(pieces, win);
  CellRow cells(win, cut.size());
  unsigned char* const first = pb.pelPointer(win.x0, win.y0);
  std::vector<RecordingSink::Step> steps;
  eachRow(cut, win, [&](long row, std::vector<Mono*>& active, long repeat) {
    const double bottom = static_cast<double>(row) + 1.0;
    for (Mono* m : active) cells.walk(*m, bottom);
    unsigned char* const row0 = first + (row - win.y0) * pb.pitch();
    PelSink sink{row0, v};
    if (repeat == 0) return cells.sweep(sink);
    steps.clear();
    RecordingSink recording(sink, steps);
    cells.sweep(recording);
    for (long k = 1; k <= repeat; ++k) recording.replay(row0 + k * pb.pitch());
  });
}

std::vector<double> exactCoverage(const zcSMDGDPoly& poly, const zcXform<2>& M, const Window& win) {
  Outline outline;
  polyOutline(poly, M, outline);
  std::vector<double> out(static_cast<std::size_t>((win.x1 - win.x0) * (win.y1 - win.y0)), 0.0);
  if (win.empty()) return out;
  std::vector<Mono> cut = clipPieces(outline.pieces, win);
  CellRow cells(win, cut.size());
  const long width = win.x1 - win.x0;
  eachRow(cut, win, [&](long row, std::vector<Mono*>& active, long repeat) {
    const double bottom = static_cast<double>(row) + 1.0;
    for (Mono* m : active) cells.walk(*m, bottom);
    double* const row0 = out.data() + (row - win.y0) * width;
    CoverageSink sink{row0};
    cells.sweep(sink);
    for (long k = 1; k <= repeat; ++k) std::copy(row0, row0 + width, row0 + k * width);
  });
  return out;
}

}  // namespace zc_synth

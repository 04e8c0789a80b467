// Stage 3 of synthetic drawing, sweep: rows of cells or of crossings become runs and
// blended pels.
//
//   renderExact(outline.pieces, win, pb, v);   // exact coverage, stages 1 to 4
//   fillCentres(outline.pieces, win, pb, v);   // the pels whose centres lie inside
//
// Both go down the window's rows with the pieces that cross each row (an active list
// ordered by the pieces' tops), so a row costs its pieces and its runs, never its width.
// Coverage follows the nonzero rule: |winding| clamped to 1, so the parts of a folded
// outline that overlap count once.
#include "wrfm/synth_cells.h"
#include "wrfm/synth_fill.h"

#include <algorithm>
#include <limits>
#include <type_traits>
#include <utility>

namespace zc_synth {

namespace {

// The pieces in the order of their tops, handed row by row to `f` as those that reach
// into the row; a piece leaves the list after the last row it reaches.
template <class Pieces, class F>
void eachRow(Pieces& pieces, const Window& win, F&& f) {
  using Piece = std::remove_reference_t<decltype(pieces[0])>;  // Mono or const Mono
  // Pointers sorted, not the pieces themselves (a piece is a few hundred bytes).
  std::vector<Piece*> order(pieces.size());
  for (std::size_t k = 0; k < pieces.size(); ++k) order[k] = &pieces[k];
  std::sort(order.begin(), order.end(), [](const Mono* l, const Mono* r) { return l->a.y() < r->a.y(); });
  std::vector<Piece*> active;
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
    const double bottom = static_cast<double>(row) + 1.0;
    for (; next < order.size() && order[next]->a.y() < bottom; ++next) {
      active.push_back(order[next]);
      firstEnd = std::min(firstEnd, order[next]->b.y());
    }
    f(row, active);
    if (firstEnd <= bottom) {
      std::erase_if(active, [&](const Mono* m) { return m->b.y() <= bottom; });
      firstEnd = std::numeric_limits<double>::infinity();
      for (const Mono* m : active) firstEnd = std::min(firstEnd, m->b.y());
    }
  }
}

// Where a piece crosses the row centre y, for the fill through pel centres, which keeps
// only the crossing's column: nearest(x − 0.5) clamped to integers, a step at every
// integer x. An arc's exact crossing takes an arc cosine for its parameter and a cosine
// and a sine for its point; the same point follows from the root's cosine q by one
// square root, off by a few ulps of the arc's size (more near the turning points, where
// the square root is tiny). Where that cannot change the column (the cheap point farther
// than 1e-9 of the arc's size from every integer, the root well inside the piece and
// away from its turning points), it stands in for the exact one; elsewhere the exact one
// is taken, so the columns are the exact ones.
class CentreCrossing {
public:
  explicit CentreCrossing(const Mono& m) {
    if (!m.arc || !(m.ay.r > 0.0)) return;
    // The root is base + acos(q), within [lo, hi] for q within [cos(hi − base), cos(lo − base)].
    const double lo = std::min(m.ta, m.tb) - m.ay.base, hi = std::max(m.ta, m.tb) - m.ay.base;
    constexpr double inside = 1e-9, turning = 5e-11;
    qLo_ = std::max(std::cos(hi), -1.0 + turning) + inside;
    qHi_ = std::min(std::cos(lo), 1.0 - turning) - inside;
    margin_ = 1e-9 * (1.0 + std::abs(m.c.x()) + std::abs(m.u.x()) + std::abs(m.v.x()));
  }
  double x(const Mono& m, double y) const {
    if (m.arc) {
      const Mono::Axis& a = m.ay;
      const double q = std::clamp(a.r > 0.0 ? a.sign * (y - a.centre) / a.r : 0.0, -1.0, 1.0);
      if (q > qLo_ && q < qHi_) {
        const double s = std::sqrt(1.0 - q * q);
        const double x = m.c.x() + m.u.x() * (a.cosBase * q - a.sinBase * s) + m.v.x() * (a.sinBase * q + a.cosBase * s);
        if (std::abs(x) < 1e15 && std::abs(x - fastFloor(x + 0.5)) > margin_) return x;
      }
      return m.at(m.tAtY(y)).x();
    }
    return m.a.x() + (m.b.x() - m.a.x()) * m.tAtY(y);
  }

private:
  double qLo_ = 1.0, qHi_ = -1.0;  // no cheap point unless set
  double margin_ = 0.0;
};

// The column of a crossing at x for the fill through pel centres:
// clampToLong(nearest(x − 0.5), lo, hi), by a conversion to integer where x is finite.
long centreColumn(double x, long lo, long hi) {
  const double y = x - 0.5;
  const double t = y >= 0 ? y + 0.5 : y - 0.5;
  if (!(std::abs(t) < 4.5e15)) return clampToLong(nearest(y), lo, hi);
  const long n = static_cast<long>(t);
  return n <= lo ? lo : n >= hi ? hi : n;
}

}  // namespace

template <class Sink>
void CellRow::sweep(Sink& to) {
  // A copy whose fields no pel store can change, so the loops keep them in registers.
  Sink sink = to;
  // The runs in column order (insertion sort: a row holds a few), then merged where
  // they overlap or meet, so that every touched cell is swept once, left to right.
  Run* const runs = runs_.data();
  const std::size_t n = count_;
  for (std::size_t k = 1; k < n; ++k) {
    const Run r = runs[k];
    std::size_t j = k;
    for (; j > 0 && runs[j - 1].first > r.first; --j) runs[j] = runs[j - 1];
    runs[j] = r;
  }
  Cell* const cells = cells_.data();
  double sum = 0.0;
  long from = 0;
  for (std::size_t k = 0; k < n;) {
    const long first = runs[k].first;
    long last = runs[k].last;
    for (++k; k < n && runs[k].first <= last + 1; ++k) last = std::max(last, runs[k].last);
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

template void CellRow::sweep(PelSink&);
template void CellRow::sweep(CoverageSink&);

void renderExact(const std::vector<Mono>& pieces, const Window& win, zcPelBuffer<unsigned char>& pb,
                 unsigned char v) {
  if (win.empty()) return;
  std::vector<Mono> cut = clipPieces(pieces, win);
  CellRow cells(win, cut.size());
  unsigned char* const first = pb.pelPointer(win.x0, win.y0);
  eachRow(cut, win, [&](long row, std::vector<Mono*>& active) {
    const double bottom = static_cast<double>(row) + 1.0;
    for (Mono* m : active) cells.walk(*m, bottom);
    PelSink sink{first + (row - win.y0) * pb.pitch(), v};
    cells.sweep(sink);
  });
}

std::vector<double> exactCoverage(const zcSMDGDPoly& poly, const zcXform<2>& M, const Window& win) {
  Outline outline;
  polyOutline(poly, M, outline);
  std::vector<double> out(static_cast<std::size_t>((win.x1 - win.x0) * (win.y1 - win.y0)), 0.0);
  if (win.empty()) return out;
  std::vector<Mono> cut = clipPieces(outline.pieces, win);
  CellRow cells(win, cut.size());
  eachRow(cut, win, [&](long row, std::vector<Mono*>& active) {
    const double bottom = static_cast<double>(row) + 1.0;
    for (Mono* m : active) cells.walk(*m, bottom);
    CoverageSink sink{out.data() + (row - win.y0) * (win.x1 - win.x0)};
    cells.sweep(sink);
  });
  return out;
}

void fillCentres(const std::vector<Mono>& pieces, const Window& win, zcPelBuffer<unsigned char>& pb,
                 unsigned char v) {
  if (win.empty()) return;
  std::vector<CentreCrossing> at;
  at.reserve(pieces.size());
  for (const Mono& m : pieces) at.emplace_back(m);
  // At most one crossing per piece in a row.
  std::vector<std::pair<double, double>> crossings(pieces.size());
  const double lo = static_cast<double>(win.x0) - 2.0, hi = static_cast<double>(win.x1) + 2.0;
  unsigned char* const first = pb.pelPointer(win.x0, win.y0);
  const long pitch = pb.pitch();
  eachRow(pieces, win, [&](long row, const std::vector<const Mono*>& active) {
    const double y = static_cast<double>(row) + 0.5;
    std::size_t n = 0;
    for (const Mono* m : active) {
      if (m->a.y() > y || m->b.y() <= y) continue;
      const double x = at[static_cast<std::size_t>(m - pieces.data())].x(*m, y);
      crossings[n++] = {std::clamp(x, lo, hi), m->w};
    }
    // Insertion sort: a row has a few crossings.
    for (std::size_t k = 1; k < n; ++k)
      for (std::size_t j = k; j > 0 && crossings[j] < crossings[j - 1]; --j) std::swap(crossings[j], crossings[j - 1]);
    unsigned char* const row0 = first + (row - win.y0) * pitch;
    double winding = 0.0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
      winding += crossings[i].second;
      if (winding == 0.0) continue;
      // Columns under pel-centre coordinates (centres on integers), rounded to nearest.
      const long c0 = centreColumn(crossings[i].first, win.x0, win.x1);
      const long c1 = centreColumn(crossings[i + 1].first, win.x0, win.x1);
      fillRun(row0 + (c0 - win.x0), c1 - c0, v);
    }
  });
}

}  // namespace zc_synth

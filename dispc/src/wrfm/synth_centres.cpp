// The fill through pel centres of the neighbour-blend mode: in every row of the window,
// the pels whose centres lie inside the outline (nonzero winding), one memset per run.
//
//   fillCentres(outline.pieces, win, pb, v);
//
// A piece crosses the centres of a run of rows; its crossings are taken piece by piece
// over a band of rows (so each piece's invariants stay at hand), sorted per row by
// column, and the runs between them filled. Only a crossing's column matters: the
// pels from it onwards are the ones whose centres lie right of it. Work and memory go
// with the crossings within the window, never with its width.
#include "wrfm/synth_fill.h"
#include "wrfm/synth_private.h"

#include <algorithm>
#include <cstdint>

namespace zc_synth {

namespace {

// The column of a crossing at x for the fill through pel centres:
// clampToLong(nearest(x − 0.5), lo, hi), by a conversion to integer where x is finite.
[[gnu::always_inline]] inline long centreColumn(double x, long lo, long hi) {
  const double y = x - 0.5;
  const double t = y >= 0 ? y + 0.5 : y - 0.5;
  if (!(std::abs(t) < 4.5e15)) return clampToLong(nearest(y), lo, hi);
  const long n = static_cast<long>(t);
  return n <= lo ? lo : n >= hi ? hi : n;
}

// The same for a crossing anywhere, x taken within 2 pels of the window first.
[[gnu::always_inline]] inline long centreColumn(double x, const Window& win) {
  return centreColumn(std::clamp(x, static_cast<double>(win.x0) - 2.0, static_cast<double>(win.x1) + 2.0), win.x0,
                      win.x1);
}

// Where a piece crosses the row centre y, for the fill through pel centres, which keeps
// only the crossing's column: nearest(x − 0.5) clamped to integers, a step at every
// integer x. An arc's exact crossing takes an arc cosine for its parameter and a cosine
// and a sine for its point; the same point follows from the root's cosine
// q = (y − centre) × sign / r by one square root, c.x + q P + √(1 − q²) Q with P and Q
// the piece's constants, off by a few ulps of the arc's size (more near the turning
// points, where the square root is tiny). Where that cannot change the column (the cheap
// point farther than 1e-9 of the arc's size from every integer, the root well inside the
// piece and away from its turning points), it stands in for the exact one; elsewhere the
// exact one is taken, so the columns are the exact ones.
class CentreCrossing {
public:
  explicit CentreCrossing(const Mono& m) {
    if (!m.arc || !(m.ay.r > 0.0)) return;
    const Mono::Axis& a = m.ay;
    // The root is base + acos(q), within [lo, hi] for q within [cos(hi − base), cos(lo − base)].
    const double lo = std::min(m.ta, m.tb) - a.base, hi = std::max(m.ta, m.tb) - a.base;
    constexpr double inside = 1e-9, turning = 5e-11;
    qLo_ = std::max(std::cos(hi), -1.0 + turning) + inside;
    qHi_ = std::min(std::cos(lo), 1.0 - turning) - inside;
    x0_ = m.c.x(), centre_ = a.centre, signOverR_ = a.signOverR;
    p_ = m.u.x() * a.cosBase + m.v.x() * a.sinBase;
    q_ = m.v.x() * a.cosBase - m.u.x() * a.sinBase;
    margin_ = 1e-9 * (1.0 + std::abs(m.c.x()) + std::abs(m.u.x()) + std::abs(m.v.x()));
  }
  // The column at the row centre y, clamped to the window's.
  [[gnu::always_inline]] long column(const Mono& m, double y, const Window& win) const {
    double x;
    if (!m.arc) {
      x = m.a.x() + (m.b.x() - m.a.x()) * m.tAtY(y);
    } else {
      const double q = (y - centre_) * signOverR_;
      if (q > qLo_ && q < qHi_) {
        x = x0_ + q * p_ + std::sqrt(1.0 - q * q) * q_;
        // Away from every integer, nearest(x − 0.5) is ⌊x⌋.
        const double below = std::abs(x) < 1e15 ? fastFloor(x) : x;
        if (x - below > margin_ && below + 1.0 - x > margin_) return clampToLong(below, win.x0, win.x1);
      }
      x = m.at(m.tAtY(y)).x();
    }
    return centreColumn(x, win);
  }

private:
  double qLo_ = 1.0, qHi_ = -1.0;  // no cheap point unless set
  double x0_ = 0.0, centre_ = 0.0, signOverR_ = 0.0, p_ = 0.0, q_ = 0.0;
  double margin_ = 0.0;
};

// The first row of the window whose centre lies at or below y (y1 when none does).
long centreRow(double y, const Window& win) {
  long r = clampToLong(std::ceil(y - 0.5), win.y0, win.y1);
  while (r > win.y0 && static_cast<double>(r - 1) + 0.5 >= y) --r;
  while (r < win.y1 && static_cast<double>(r) + 0.5 < y) ++r;
  return r;
}

// A piece with the rows [first, end) whose centres it crosses (a.y ≤ centre < b.y).
struct Span {
  const Mono* piece;
  long first, end;
  CentreCrossing at;
};

// A crossing as one integer, 2 × its column + 1 for winding +1 (+ 0 for −1): sorted by
// it, crossings come in column order, and the fill depends on nothing else (crossings at
// one column bound no pels between them). One word a crossing sorts without the stalls
// of reading back a pair of words just written as one.
using Crossing = long;
Crossing crossing(long column, double w) { return 2 * column + (w > 0.0 ? 1 : 0); }
long columnOf(Crossing c) { return c >> 1; }
int windingOf(Crossing c) { return c & 1 ? 1 : -1; }

constexpr long kBand = 32;  // rows whose crossings are held at once

}  // namespace

void fillCentres(const std::vector<Mono>& pieces, const Window& win, zcPelBuffer<unsigned char>& pb,
                 unsigned char v, EarlyColumns* early) {
  if (win.empty()) return;
  std::vector<Span> spans;
  spans.reserve(pieces.size());
  for (const Mono& m : pieces) {
    const long first = centreRow(m.a.y(), win), end = centreRow(m.b.y(), win);
    if (first < end) spans.push_back(Span{&m, first, end, CentreCrossing(m)});
  }
  std::sort(spans.begin(), spans.end(), [](const Span& l, const Span& r) { return l.first < r.first; });
  unsigned char* const first = pb.pelPointer(win.x0, win.y0);
  const long pitch = pb.pitch();
  // A copy no store to the crossings can reach, so its columns stay in registers.
  const Window window = win;
  std::vector<const Span*> active;
  std::vector<Crossing> crossings;
  std::uint32_t offset[kBand + 1];
  std::size_t next = 0;
  for (long b0 = win.y0; b0 < win.y1;) {
    if (active.empty()) {
      if (next == spans.size()) break;
      b0 = std::max(b0, spans[next].first);
    }
    const long b1 = std::min(b0 + kBand, win.y1);
    for (; next < spans.size() && spans[next].first < b1; ++next) active.push_back(&spans[next]);
    // Each row's crossings at offset[row − b0] … offset[row − b0 + 1].
    const long rows = b1 - b0;
    std::fill(offset, offset + rows + 1, 0u);
    for (const Span* s : active) {
      ++offset[std::max(s->first, b0) - b0 + 1];
      if (s->end < b1) --offset[s->end - b0 + 1];
    }
    // The changes summed give the counts, the counts summed the offsets.
    for (std::uint32_t i = 1, count = 0, sum = 0; i <= static_cast<std::uint32_t>(rows); ++i) {
      count += offset[i];
      sum += count;
      offset[i] = sum;
    }
    crossings.resize(std::max<std::size_t>(crossings.size(), offset[rows]));
    std::uint32_t fill[kBand];
    std::copy(offset, offset + rows, fill);
    for (const Span* s : active) {
      const Mono& m = *s->piece;
      if (!m.arc && m.a.x() == m.b.x()) {
        // A vertical line crosses every row at its own x.
        const Crossing k = crossing(centreColumn(m.a.x(), window), m.w);
        for (long row = std::max(s->first, b0), end = std::min(s->end, b1); row < end; ++row) crossings[fill[row - b0]++] = k;
        continue;
      }
      for (long row = std::max(s->first, b0), end = std::min(s->end, b1); row < end; ++row) {
        crossings[fill[row - b0]++] = crossing(s->at.column(m, static_cast<double>(row) + 0.5, window), m.w);
      }
    }
    for (long row = b0; row < b1; ++row) {
      Crossing* const c = crossings.data() + offset[row - b0];
      const std::uint32_t n = offset[row - b0 + 1] - offset[row - b0];
      unsigned char* const row0 = first + (row - win.y0) * pitch;
      if (n == 2) {
        // The common row: one run between two crossings, of winding ±1.
        const long c0 = columnOf(std::min(c[0], c[1])), c1 = columnOf(std::max(c[0], c[1]));
        fillRun(row0 + (c0 - win.x0), c1 - c0, v);
        continue;
      }
      // Insertion sort: a row has a few crossings.
      for (std::uint32_t k = 1; k < n; ++k) {
        const Crossing key = c[k];
        std::uint32_t j = k;
        for (; j > 0 && key < c[j - 1]; --j) c[j] = c[j - 1];
        c[j] = key;
      }
      int winding = 0;
      for (std::uint32_t i = 0; i + 1 < n; ++i) {
        winding += windingOf(c[i]);
        if (winding != 0) fillRun(row0 + (columnOf(c[i]) - win.x0), columnOf(c[i + 1]) - columnOf(c[i]), v);
      }
    }
    if (early) early->blendAbove(b1);
    std::erase_if(active, [&](const Span* s) { return s->end <= b1; });
    b0 = b1;
  }
}

}  // namespace zc_synth

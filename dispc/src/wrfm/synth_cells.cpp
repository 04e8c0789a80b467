// Stage 2 of synthetic drawing, exact cells: what each piece of the outline adds to the
// pels of one row.
//
//   CellRow row(win);
//   for (Mono& m : active) row.walk(m, r);   // every piece crossing row r, in any order
//   row.sweep(pels, v);                      // stage 3
//
// Per pel, cover is the sum of dy of the pieces within it and area the sum of
// dy × (mean distance of the piece from the pel's left edge); a pel's signed coverage is
// then the cover of the pels left of it and its own, minus its area. A piece is walked
// from border to border (a line's borders by division, an arc's by solving
// a cos t + b sin t = c), each part inside one pel adding its chord; an arc part adds the
// sliver between chord and arc too, |det| r² (θ − sin θ) / 2 for a circle. The sums do
// not depend on the order of the pieces.
#include "wrfm/synth_private.h"

#include <algorithm>

namespace zc_synth {

CellRow::CellRow(const Window& win)
    : win_(win),
      cover_(static_cast<std::size_t>(win.x1 - win.x0) + 1, 0.0),
      area_(cover_.size(), 0.0),
      marked_(cover_.size(), 0) {
  touched_.reserve(64);
}

void CellRow::walk(Mono& m, long row) {
  const double yEnd = std::min(static_cast<double>(row) + 1.0, m.b.y());
  if (m.p.y() >= yEnd) return;
  if (m.arc) {
    walkArc(m, yEnd, yEnd >= m.b.y());
  } else {
    walkLine(m, yEnd, yEnd >= m.b.y());
  }
}

// A line: x at the row's end by its slope, each pel border crossed by the inverse one.
void CellRow::walkLine(Mono& m, double yEnd, bool last) {
  const zcPoint q = last ? m.b : zcPoint(m.a.x() + (yEnd - m.a.y()) * ((m.b.x() - m.a.x()) / (m.b.y() - m.a.y())), yEnd);
  const double x0 = m.p.x(), y0 = m.p.y();
  const double x1 = q.x(), y1 = q.y();
  const double c0 = fastFloor(x0), c1 = fastFloor(x1);
  if (c0 == c1 || x0 == x1) {
    const double col = fastFloor(0.5 * (x0 + x1));
    add(clampToLong(col, win_.x0 - 1, win_.x1), m.w * (y1 - y0), m.w * (y1 - y0) * (0.5 * (x0 + x1) - col));
  } else {
    const double dydx = (y1 - y0) / (x1 - x0);
    const double step = x1 > x0 ? 1.0 : -1.0;
    double px = x0, py = y0;
    // Borders strictly between the ends, then the last part.
    double k = x1 > x0 ? c0 + 1.0 : fastCeil(x0) - 1.0;
    for (; x1 > x0 ? k < x1 : k > x1; k += step) {
      const double ny = std::clamp(y0 + (k - x0) * dydx, py, y1);
      const double col = fastFloor(0.5 * (px + k));
      add(clampToLong(col, win_.x0 - 1, win_.x1), m.w * (ny - py), m.w * (ny - py) * (0.5 * (px + k) - col));
      px = k;
      py = ny;
    }
    const double col = fastFloor(0.5 * (px + x1));
    add(clampToLong(col, win_.x0 - 1, win_.x1), m.w * (y1 - py), m.w * (y1 - py) * (0.5 * (px + x1) - col));
  }
  m.p = q;
}

// An arc: each pel border crossed found by one arc cosine; every part adds its chord
// and its sliver.
void CellRow::walkArc(Mono& m, double yEnd, bool last) {
  const double lo = std::min(m.ta, m.tb), hi = std::max(m.ta, m.tb);
  const Mono::Param tEnd = last ? Mono::Param{m.tb, std::cos(m.tb), std::sin(m.tb)} : m.ay.root(yEnd, lo, hi);
  const zcPoint qEnd = last ? m.b : zcPoint(m.at(tEnd).x(), yEnd);
  const double dx = m.b.x() - m.a.x();
  const int sx = dx > 0 ? 1 : dx < 0 ? -1 : 0;
  // One step per pel border, plus slack for a point that sits on a border.
  for (double guard = std::abs(qEnd.x() - m.p.x()) + 4.0; guard > 0.0; guard -= 1.0) {
    zcPoint q = qEnd;
    Mono::Param t = tEnd;
    if (sx != 0) {
      const double k = sx > 0 ? fastFloor(m.p.x()) + 1.0 : fastCeil(m.p.x()) - 1.0;
      if (sx > 0 ? k < qEnd.x() : k > qEnd.x()) {
        t = m.ax.root(k, lo, hi);
        q = zcPoint(k, std::clamp(m.at(t).y(), m.p.y(), yEnd));
      }
    }
    const double mid = 0.5 * (m.p.x() + q.x());
    const double col = fastFloor(mid);
    const double dy = q.y() - m.p.y();
    add(clampToLong(col, win_.x0 - 1, win_.x1), m.w * dy, m.w * (dy * (mid - col) + m.sliver(m.at0, t)));
    m.p = q;
    m.at0 = t;
    if (q == qEnd) break;
  }
  m.p = qEnd;
  m.at0 = tEnd;
}

}  // namespace zc_synth

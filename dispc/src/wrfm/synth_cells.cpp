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

void CellRow::add(long col, double cover, double area) {
  // Right of the window a pel changes nothing inside it.
  if (col >= win_.x1) return;
  const std::size_t i = static_cast<std::size_t>(std::max(col, win_.x0) - win_.x0);
  cover_[i] += cover;
  area_[i] += area;
  if (!marked_[i]) {
    marked_[i] = 1;
    touched_.push_back(static_cast<long>(i));
  }
}

void CellRow::walk(Mono& m, long row) {
  const double yEnd = std::min(static_cast<double>(row) + 1.0, m.b.y());
  if (m.p.y() >= yEnd) return;
  const bool last = yEnd >= m.b.y();
  const double tEnd = last ? m.tb : m.tAtY(yEnd);
  const zcPoint qEnd = last ? m.b : zcPoint(m.at(tEnd).x(), yEnd);
  const double dx = m.b.x() - m.a.x();
  const int sx = dx > 0 ? 1 : dx < 0 ? -1 : 0;
  // One step per pel border, plus slack for a point that sits on a border.
  for (double guard = std::abs(qEnd.x() - m.p.x()) + 4.0; guard > 0.0; guard -= 1.0) {
    zcPoint q = qEnd;
    double t = tEnd;
    if (sx != 0) {
      const double k = sx > 0 ? std::floor(m.p.x()) + 1.0 : std::ceil(m.p.x()) - 1.0;
      if (sx > 0 ? k < qEnd.x() : k > qEnd.x()) {
        t = m.tAtX(k);
        q = zcPoint(k, std::clamp(m.at(t).y(), m.p.y(), yEnd));
      }
    }
    const double mid = 0.5 * (m.p.x() + q.x());
    const double col = std::floor(mid);
    const double dy = q.y() - m.p.y();
    add(clampToLong(col, win_.x0 - 1, win_.x1), m.w * dy, m.w * (dy * (mid - col) + m.sliver(m.t, t)));
    m.p = q;
    m.t = t;
    if (q == qEnd) break;
  }
  m.p = qEnd;
  m.t = tEnd;
}

}  // namespace zc_synth

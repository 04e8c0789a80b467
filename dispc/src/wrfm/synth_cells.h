// Stage 2 of synthetic drawing, exact cells: what each piece of the outline adds to the
// pels of one row.
//
//   CellRow row(win, cut.size());
//   for (Mono& m : active) row.walk(m, r + 1.0);   // every piece crossing row r, any order
//   row.sweep(sink);                                // stage 3
//
// Per pel, cover is the sum of dy of the pieces within it and area the sum of
// dy × (mean distance of the piece from the pel's left edge); a pel's signed coverage is
// then the cover of the pels left of it and its own, minus its area. A piece is walked
// once, row by row, from pel border to pel border: a line's borders by its slope (a
// product, no division), an arc's by solving a cos t + b sin t = c (one square root);
// each part inside one pel adds its chord, an arc part the sliver between chord and arc
// too, |det| r² (θ − sin θ) / 2 for a circle. The sums do not depend on the order of the
// pieces. The walk is inline: it runs per piece per row, next to the sweep.
#pragma once

#include "wrfm/synth_private.h"

#include <algorithm>

namespace zc_synth {

namespace borders {

// A line crosses pel borders where its slope says; it has no sliver.
struct LineBorders {
  const Mono& m;
  double y(double k) const { return m.a.y() + (k - m.a.x()) * m.dydx; }
  static double extra() { return 0.0; }
  static double extraEnd() { return 0.0; }
};

// An arc crosses a border where its x axis reaches it; each part adds the sliver from
// the last crossing's parameter to its own.
struct ArcBorders {
  const Mono& m;
  Mono::Param& last;
  Mono::Param next, end;
  double y(double k) {
    next = m.ax.at(k);
    return m.c.y() + m.u.y() * next.cos + m.v.y() * next.sin;
  }
  double extra() {
    const double s = Mono::sliver(m.hd, last, next);
    last = next;
    return s;
  }
  double extraEnd() {
    const double s = Mono::sliver(m.hd, last, end);
    last = end;
    return s;
  }
};

}  // namespace borders

inline CellRow::CellRow(const Window& win, std::size_t pieces)
    : x0_(win.x0),
      left_(static_cast<double>(win.x0)),
      right_(static_cast<double>(win.x1)),
      width_(win.x1 - win.x0),
      cells_(static_cast<std::size_t>(width_) + 1),
      runs_(std::max<std::size_t>(pieces, 1)) {}

inline void CellRow::walk(Mono& m, double bottom) {
  const double yEnd = std::min(bottom, m.b.y());
  if (m.py >= yEnd) return;
  const bool last = yEnd >= m.b.y();
  double xb;
  if (!m.arc) {
    xb = clampFast(last ? m.b.x() : m.a.x() + (yEnd - m.a.y()) * m.dxdy, left_, right_);
    borders::LineBorders line{m};
    m.pcol = walkParts(m, xb, yEnd, line);
  } else {
    borders::ArcBorders arc{m, m.at0, {}, last ? m.atEnd : m.ay.at(yEnd)};
    xb = clampFast(last ? m.b.x() : m.c.x() + m.u.x() * arc.end.cos + m.v.x() * arc.end.sin, left_, right_);
    m.pcol = walkParts(m, xb, yEnd, arc);
  }
  m.px = xb;
  m.py = yEnd;
}

// The piece from its point to (xb, yb) within one row, cut at the pel borders between:
// each part adds its cover, its trapezoid and its sliver to the pel that holds it.
// Returns ⌊xb⌋.
template <class Border>
inline double CellRow::walkParts(const Mono& m, double xb, double yb, Border& border) {
  const double w = m.w, xa = m.px, ya = m.py, ca = m.pcol, cb = fastFloor(xb);
  long i = static_cast<long>(ca) - x0_;
  if (ca == cb) {
    const double dy = yb - ya;
    add(i, w * dy, w * (dy * (0.5 * (xa + xb) - ca) + border.extraEnd()));
    runs_[count_++] = Run{i, i};
    return cb;
  }
  const long start = i;
  // Borders strictly between the ends; the column of the part before border k is k − 1
  // going right and k going left.
  double px = xa, py = ya;
  const auto part = [&](double k, double col) {
    const double ny = clampFast(border.y(k), py, yb);
    const double dy = ny - py;
    add(i, w * dy, w * (dy * (0.5 * (px + k) - col) + border.extra()));
    px = k;
    py = ny;
  };
  double col;
  if (xb > xa) {
    for (col = ca; col + 1.0 < xb; col += 1.0, ++i) part(col + 1.0, col);
  } else {
    col = fastCeil(xa) - 1.0;
    i = static_cast<long>(col) - x0_;
    for (; col > xb; col -= 1.0, --i) part(col, col);
  }
  const double dy = yb - py;
  add(i, w * dy, w * (dy * (0.5 * (px + xb) - col) + border.extraEnd()));
  runs_[count_++] = start < i ? Run{start, i} : Run{i, start};
  return cb;
}

}  // namespace zc_synth

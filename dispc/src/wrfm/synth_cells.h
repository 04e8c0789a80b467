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
// pieces. The walk is inline: it runs per piece per row, next to the sweep; a part that
// stays in its column takes one cell without the border loop. An arc's root at a row's
// bottom is solved while walking the row above, off the path of the column test.
#pragma once

#include "wrfm/synth_private.h"

#include <algorithm>
#include <type_traits>

namespace zc_synth {

namespace borders {

// The borders' policies hold copies of what they read of the piece, so that the cells
// written on the way cannot alias them and everything stays in registers.
// A line crosses pel borders where its slope says; it has no sliver.
struct LineBorders {
  double ax, ay, dydx;
  double y(double k) const { return ay + (k - ax) * dydx; }
  static double extra() { return 0.0; }
  static double extraEnd() { return 0.0; }
};

// An arc crosses a border where its x axis reaches it; each part adds the sliver from
// the last crossing to its own. Points are (q, s) in the x axis's frame (Mono::q0).
struct ArcBorders {
  double centre, signOverR, cy, yq, ys, hd;
  double lastQ, lastS, endQ, endS;
  double nextQ = 0.0, nextS = 0.0;
  double y(double k) {
    nextQ = clampFast((k - centre) * signOverR, -1.0, 1.0);
    nextS = std::sqrt(1.0 - nextQ * nextQ);
    return cy + yq * nextQ + ys * nextS;
  }
  double extra() {
    const double s = Mono::sliver(hd, lastQ, lastS, nextQ, nextS);
    lastQ = nextQ;
    lastS = nextS;
    return s;
  }
  double extraEnd() {
    const double s = Mono::sliver(hd, lastQ, lastS, endQ, endS);
    lastQ = endQ;
    lastS = endS;
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
      firsts_(std::max<std::size_t>(pieces, 1)),
      lasts_(std::max<std::size_t>(pieces, 1)) {}

inline void CellRow::walk(Mono& m, double bottom) {
  const double yEnd = std::min(bottom, m.b.y());
  if (m.py >= yEnd) return;
  if (m.arc) return walkArc(m, yEnd);
  const double xb = clampFast(yEnd >= m.b.y() ? m.b.x() : m.a.x() + (yEnd - m.a.y()) * m.dxdy, left_, right_);
  // Within one column (a steep line, a side of an axis-aligned shape): one cell. (The
  // comparisons say ⌊xb⌋ = pcol without converting to integers and back.)
  if (xb >= m.pcol && xb < m.pcol + 1.0) {
    const double dy = yEnd - m.py;
    addCell(m.pcol, m.w * dy, m.w * (dy * (0.5 * (m.px + xb) - m.pcol)));
  } else {
    walkLine(m, xb, yEnd);
  }
  m.px = xb;
  m.py = yEnd;
}

[[gnu::noinline]] inline void CellRow::walkLine(Mono& m, double xb, double yEnd) {
  borders::LineBorders line{m.a.x(), m.a.y(), m.dydx};
  m.pcol = walkParts(m.px, m.py, m.pcol, xb, yEnd, m.w, line);
}

inline void CellRow::walkArc(Mono& m, double yEnd) {
  double endQ = m.qEnd, endS = m.sEnd, xb;
  if (yEnd >= m.b.y()) {
    xb = clampFast(m.b.x(), left_, right_);
  } else if (yEnd == m.aheadY) {
    endQ = m.aheadQ;
    endS = m.aheadS;
    xb = m.aheadX;
  } else {
    arcRoot(m, yEnd, endQ, endS, xb);
  }
  // The next row's root, solved now: the column test below and the next row's then
  // read values that are ready instead of waiting on a square root.
  if (yEnd + 1.0 < m.b.y()) {
    m.aheadY = yEnd + 1.0;
    arcRoot(m, m.aheadY, m.aheadQ, m.aheadS, m.aheadX);
  }
  if (xb >= m.pcol && xb < m.pcol + 1.0) {
    const double dy = yEnd - m.py;
    addCell(m.pcol, m.w * dy, m.w * (dy * (0.5 * (m.px + xb) - m.pcol) + Mono::sliver(m.hd, m.q0, m.s0, endQ, endS)));
    m.q0 = endQ;
    m.s0 = endS;
  } else {
    walkArcParts(m, xb, yEnd, endQ, endS);
  }
  m.px = xb;
  m.py = yEnd;
}

// Where the arc reaches y (above its end): the root in the y axis's frame, turned into
// the x axis's, and its x within the window.
inline void CellRow::arcRoot(const Mono& m, double y, double& q, double& s, double& x) const {
  const Mono::Axis& ay = m.ay;
  const double qy = clampFast((y - ay.centre) * ay.signOverR, -1.0, 1.0), sy = std::sqrt(1.0 - qy * qy);
  q = qy * m.turnCos - sy * m.turnSin;
  s = sy * m.turnCos + qy * m.turnSin;
  x = clampFast(m.ax.centre + m.xr * q, left_, right_);
}

[[gnu::noinline]] inline void CellRow::walkArcParts(Mono& m, double xb, double yEnd, double endQ, double endS) {
  borders::ArcBorders arc{m.ax.centre, m.ax.signOverR, m.c.y(), m.yq, m.ys, m.hd, m.q0, m.s0, endQ, endS};
  m.pcol = walkParts(m.px, m.py, m.pcol, xb, yEnd, m.w, arc);
  m.q0 = arc.lastQ;
  m.s0 = arc.lastS;
}

// The piece from (xa, ya) in column ca to (xb, yb) within one row, xb in another column,
// cut at the pel borders between: each part adds its cover, its trapezoid and its
// sliver to the pel that holds it. Returns ⌊xb⌋.
// A part between borders k and k ± 1 of column col has 0.5 (k + (k ± 1)) − col = 0.5
// exactly (integers below 2^51), so only the first and the last part take their mean.
template <class Border>
inline double CellRow::walkParts(double xa, double ya, double ca, double xb, double yb, double w, Border& border) {
  Cell* const cells = cells_.data();
  const long start = static_cast<long>(ca) - x0_;
  // One loop per direction: going right the column before border k is k − 1, going
  // left it is k.
  const auto run = [&](auto toRight) {
    constexpr bool right = decltype(toRight)::value;
    constexpr double step = right ? 1.0 : -1.0;
    constexpr long di = right ? 1 : -1;
    const auto inside = [&](double k) { return right ? k < xb : k > xb; };  // strictly between the ends
    double col = right ? ca : fastCeil(xa) - 1.0;
    double k = right ? col + 1.0 : col;
    long i = static_cast<long>(col) - x0_;
    double py = ya, px = xa;
    const auto add = [&](double dy, double area) {
      cells[i].cover += w * dy;
      cells[i].area += w * area;
    };
    const auto part = [&](double mid) {
      const double ny = clampFast(border.y(k), py, yb);
      const double dy = ny - py;
      add(dy, dy * mid + border.extra());
      py = ny;
    };
    if (inside(k)) {
      part(0.5 * (xa + k) - col);
      for (col += step, i += di, k += step; inside(k); col += step, i += di, k += step) part(0.5);
      px = k - step;
    }
    const double dy = yb - py;
    add(dy, dy * (0.5 * (px + xb) - col) + border.extraEnd());
    return i;
  };
  const long end = xb > xa ? run(std::true_type{}) : run(std::false_type{});
  firsts_[count_] = std::min(start, end);
  lasts_[count_++] = std::max(start, end);
  return fastFloor(xb);
}

}  // namespace zc_synth

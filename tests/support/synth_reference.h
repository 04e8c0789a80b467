// Exact per-pel areas of regions, independent of the renderers, to check synthetic
// drawing against: pelArea(outlineOf(poly, M), c, r) is Green's theorem on the outline
// within the pel's row, the integral of (clamp(x, c, c + 1) − c) dy, in closed form on
// lines and on elliptical arcs c + u cos t + v sin t.
#pragma once

#include "dispc/wrfm/smdpoly.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace zc_test {

// A line p → q (arc false), or the arc c + u cos t + v sin t for t from t0 to t1.
struct Piece {
  bool arc = false;
  zcPoint p{}, q{}, c{};
  zcVector<2> u{}, v{};
  double t0 = 0.0, t1 = 0.0;
  zcPoint at(double t) const { return arc ? c + u * std::cos(t) + v * std::sin(t) : p + (q - p) * t; }
};
using Outline = std::vector<Piece>;

inline void addLine(Outline& o, const zcPoint& p, const zcPoint& q) { o.push_back({.p = p, .q = q}); }

// The rounded outline of the poly in image coordinates, from its own pieces.
inline Outline outlineOf(const zcSMDGDPoly& poly, const zcXform<2>& M) {
  Outline o;
  const auto arc = [&](const zc2SegmentArc& a) {
    const zcEllipseArc2 e = a.ellipseArc2();
    const zcXform<2> x = M * e.ellFromUnitCirc();
    const double t0 = e.phiStart().value();
    o.push_back({.arc = true,
                 .c = x.trans(),
                 .u = x.matrix() * zcVector<2>(1, 0),
                 .v = x.matrix() * zcVector<2>(0, 1),
                 .t0 = t0,
                 .t1 = t0 + e.phiSpan().value()});
  };
  for (long k = 0; k < poly.numVertices(); ++k) {
    const long s = poly.previousSegmentIndex_(k);
    if (s < 0) continue;
    const zcPoint a = poly.roundedEndPoints()[poly.previousVertexIndex_(s)], b = poly.roundedStartPoints()[k];
    if (poly.isSegmentArc_(s))
      arc(poly.roundedArcSegment_(s));
    else if (a != b)
      addLine(o, M.mapPoint(a), M.mapPoint(b));
    if (poly.isVertexRounded_(k)) arc(poly.roundedArcVertex_(k));
  }
  return o;
}

namespace detail {

// Parameters in [lo, hi] where a cos t + b sin t = k.
inline void roots(double a, double b, double k, double lo, double hi, std::vector<double>& out) {
  const double r = std::hypot(a, b), turn = 2.0 * std::numbers::pi;
  if (r == 0.0 || std::abs(k) > r) return;
  for (const double base : {std::atan2(b, a) + std::acos(k / r), std::atan2(b, a) - std::acos(k / r)})
    for (double t = base + turn * std::ceil((lo - base) / turn); t <= hi; t += turn) out.push_back(t);
}

// ∫ (x − col) y' dt of the arc from s0 to s1.
inline double arcIntegral(const Piece& a, double col, double s0, double s1) {
  const double ux = a.u.x(), uy = a.u.y(), vx = a.v.x(), vy = a.v.y();
  const auto F = [&](double t) {
    const double s = std::sin(t), c = std::cos(t);
    return (a.c.x() - col) * (a.c.y() + uy * c + vy * s) + (vx * vy - ux * uy) * s * s / 2.0 +
           ux * vy * (t / 2.0 + std::sin(2 * t) / 4.0) - vx * uy * (t / 2.0 - std::sin(2 * t) / 4.0);
  };
  return F(s1) - F(s0);
}

// The piece cut where it crosses the pel's rows and columns; each part inside the row
// adds its integral, full dy right of the pel and nothing left of it.
inline double pieceIntegral(const Piece& s, double col, double row) {
  // Nothing to add where the piece's box misses the row or lies left of the pel.
  const double rx = std::hypot(s.u.x(), s.v.x()), ry = std::hypot(s.u.y(), s.v.y());
  const double ylo = s.arc ? s.c.y() - ry : std::min(s.p.y(), s.q.y());
  const double yhi = s.arc ? s.c.y() + ry : std::max(s.p.y(), s.q.y());
  if (yhi <= row || ylo >= row + 1.0 || (s.arc ? s.c.x() + rx : std::max(s.p.x(), s.q.x())) <= col) return 0.0;
  std::vector<double> cuts;
  const double lo = s.arc ? std::min(s.t0, s.t1) : 0.0, hi = s.arc ? std::max(s.t0, s.t1) : 1.0;
  for (int i = 0; i < 4; ++i) {
    const bool y = i < 2;
    const double k = y ? row + i : col + (i - 2);
    if (s.arc) roots(y ? s.u.y() : s.u.x(), y ? s.v.y() : s.v.x(), k - (y ? s.c.y() : s.c.x()), lo, hi, cuts);
    const double d = y ? s.q.y() - s.p.y() : s.q.x() - s.p.x();
    if (!s.arc && d != 0.0) cuts.push_back((k - (y ? s.p.y() : s.p.x())) / d);
  }
  cuts.push_back(lo);
  cuts.push_back(hi);
  std::sort(cuts.begin(), cuts.end());
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = std::max(cuts[i], lo), b = std::min(cuts[i + 1], hi);
    if (b <= a) continue;
    const zcPoint m = s.at(0.5 * (a + b)), pa = s.at(a), pb = s.at(b);
    if (m.y() < row || m.y() > row + 1.0 || m.x() <= col) continue;
    if (m.x() >= col + 1.0)
      sum += pb.y() - pa.y();
    else if (!s.arc)
      sum += (0.5 * (pa.x() + pb.x()) - col) * (pb.y() - pa.y());
    else
      sum += arcIntegral(s, col, a, b);
  }
  // An arc run backwards: the integral over [lo, hi] has the opposite sign.
  return s.arc && s.t1 < s.t0 ? -sum : sum;
}

}  // namespace detail

inline double pelArea(const Outline& o, long c, long r) {
  double sum = 0.0;
  for (const Piece& s : o) sum += detail::pieceIntegral(s, static_cast<double>(c), static_cast<double>(r));
  return std::abs(sum);
}

// A pel value v blended over 0 with coverage f, as the renderers store it.
inline int level(double f, int v = 255) { return static_cast<int>(f * v + 0.5); }

}  // namespace zc_test

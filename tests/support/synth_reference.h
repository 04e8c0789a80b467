// Exact per-pel areas of regions, independent of the renderers, to check synthetic
// drawing against.
//
//   zc_test::Outline o = zc_test::outline(genPoly, M);   // pieces in image coordinates
//   double f = zc_test::pelArea(o, c, r);                // covered part of pel (c, r)
//   double g = zc_test::diskPelArea(centre, radius, c, r);
//
// pelArea is Green's theorem on the outline within the pel's row: the integral of
// (clamp(x, c, c + 1) − c) dy over the parts of the outline with r ≤ y ≤ r + 1, in
// closed form on lines and on elliptical arcs c + u cos t + v sin t; its magnitude is the
// covered area for an outline that does not cross itself.
#pragma once

#include "zfound/conics.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/trees.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace zc_test {

struct Piece {
  bool arc = false;
  zcPoint p, q;              // a line's ends
  zcPoint c;                 // an arc: c + u cos t + v sin t, t from t0 to t1
  zcVector<2> u, v;
  double t0 = 0.0, t1 = 0.0;
  double xlo = 0, xhi = 0, ylo = 0, yhi = 0;  // a box holding the piece
};
using Outline = std::vector<Piece>;

inline void addLine(Outline& o, const zcPoint& p, const zcPoint& q) {
  Piece s;
  s.p = p;
  s.q = q;
  s.xlo = std::min(p.x(), q.x()), s.xhi = std::max(p.x(), q.x());
  s.ylo = std::min(p.y(), q.y()), s.yhi = std::max(p.y(), q.y());
  o.push_back(s);
}

inline void addArc(Outline& o, const zcPoint& c, const zcVector<2>& u, const zcVector<2>& v, double t0, double t1) {
  Piece s;
  s.arc = true;
  s.c = c, s.u = u, s.v = v, s.t0 = t0, s.t1 = t1;
  const double rx = std::hypot(u.x(), v.x()), ry = std::hypot(u.y(), v.y());
  s.xlo = c.x() - rx, s.xhi = c.x() + rx, s.ylo = c.y() - ry, s.yhi = c.y() + ry;
  o.push_back(s);
}

// The decomposition of a shape (line segments and elliptical arcs), mapped by M.
inline void addShape(Outline& o, const zcShape& s, const zcXform<2>& M) {
  if (const auto* seg = dynamic_cast<const zcLineSeg*>(&s)) return addLine(o, M.mapPoint(seg->p1()), M.mapPoint(seg->p2()));
  if (const auto* arc = dynamic_cast<const zcEllipseArc2*>(&s)) {
    const zcXform<2> x = M * arc->ellFromUnitCirc();
    const double t0 = arc->phiStart().value();
    return addArc(o, x.trans(), x.matrix() * zcVector<2>(1, 0), x.matrix() * zcVector<2>(0, 1), t0,
                  t0 + arc->phiSpan().value());
  }
  for (const zcShapePtr& child : dynamic_cast<const zcContourTree&>(s).children()) addShape(o, *child, M);
}

namespace detail {

// Parameters in [lo, hi] where a cos t + b sin t = k.
inline void roots(double a, double b, double k, double lo, double hi, std::vector<double>& out) {
  const double r = std::hypot(a, b);
  if (r == 0.0 || std::abs(k) > r) return;
  const double phi = std::atan2(b, a), alpha = std::acos(k / r);
  const double turn = 2.0 * std::numbers::pi;
  for (const double base : {phi + alpha, phi - alpha})
    for (double t = base + turn * std::ceil((lo - base) / turn); t <= hi; t += turn) out.push_back(t);
}

// ∫ (x − c) y' dt of the arc from s0 to s1.
inline double arcIntegral(const Piece& a, double col, double s0, double s1) {
  const double ux = a.u.x(), uy = a.u.y(), vx = a.v.x(), vy = a.v.y();
  const auto F = [&](double t) {
    const double s = std::sin(t), c = std::cos(t);
    return (a.c.x() - col) * (a.c.y() + uy * c + vy * s) + (vx * vy - ux * uy) * s * s / 2.0 +
           ux * vy * (t / 2.0 + std::sin(2 * t) / 4.0) - vx * uy * (t / 2.0 - std::sin(2 * t) / 4.0);
  };
  return F(s1) - F(s0);
}

inline double pieceIntegral(const Piece& s, double col, double row) {
  if (s.yhi <= row || s.ylo >= row + 1.0 || s.xhi <= col) return 0.0;
  std::vector<double> cuts;
  double lo, hi;
  if (!s.arc) {
    lo = 0.0, hi = 1.0;
    const zcVector<2> d = s.q - s.p;
    for (const double k : {row, row + 1.0})
      if (d.y() != 0.0) cuts.push_back((k - s.p.y()) / d.y());
    for (const double k : {col, col + 1.0})
      if (d.x() != 0.0) cuts.push_back((k - s.p.x()) / d.x());
  } else {
    lo = std::min(s.t0, s.t1), hi = std::max(s.t0, s.t1);
    for (const double k : {row, row + 1.0}) roots(s.u.y(), s.v.y(), k - s.c.y(), lo, hi, cuts);
    for (const double k : {col, col + 1.0}) roots(s.u.x(), s.v.x(), k - s.c.x(), lo, hi, cuts);
  }
  cuts.push_back(lo);
  cuts.push_back(hi);
  std::sort(cuts.begin(), cuts.end());
  const auto at = [&](double t) { return s.arc ? s.c + s.u * std::cos(t) + s.v * std::sin(t) : s.p + (s.q - s.p) * t; };
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = std::max(cuts[i], lo), b = std::min(cuts[i + 1], hi);
    if (b <= a) continue;
    const zcPoint m = at(0.5 * (a + b)), pa = at(a), pb = at(b);
    if (m.y() < row || m.y() > row + 1.0 || m.x() <= col) continue;
    if (m.x() >= col + 1.0) {
      sum += pb.y() - pa.y();
    } else if (!s.arc) {
      sum += (0.5 * (pa.x() + pb.x()) - col) * (pb.y() - pa.y());
    } else {
      sum += arcIntegral(s, col, a, b);
    }
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

// The area of the disk within the pel, in closed form: the integral over x of the
// chord heights clipped to the pel's rows, piecewise a constant or ±√(ρ² − x²).
inline double diskPelArea(const zcPoint& centre, double rho, long c, long r) {
  const double x0 = static_cast<double>(c) - centre.x(), x1 = x0 + 1.0;
  const double y0 = static_cast<double>(r) - centre.y(), y1 = y0 + 1.0;
  const auto H = [&](double x) {  // ∫ √(ρ² − x²) dx
    x = std::clamp(x, -rho, rho);
    return 0.5 * (x * std::sqrt(std::max(0.0, rho * rho - x * x)) + rho * rho * std::asin(x / rho));
  };
  const auto h = [&](double x) { return std::sqrt(std::max(0.0, rho * rho - x * x)); };
  std::vector<double> cuts{x0, x1, -rho, rho};
  for (const double y : {y0, y1})
    if (std::abs(y) < rho) cuts.push_back(std::sqrt(rho * rho - y * y)), cuts.push_back(-std::sqrt(rho * rho - y * y));
  std::sort(cuts.begin(), cuts.end());
  double area = 0.0;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = std::max(cuts[i], x0), b = std::min(cuts[i + 1], x1);
    if (b <= a || a >= rho || b <= -rho) continue;
    const double m = 0.5 * (a + b), hm = h(m);
    const bool topIsH = hm < y1, bottomIsH = -hm > y0;
    if ((topIsH ? hm : y1) <= (bottomIsH ? -hm : y0)) continue;
    area += (topIsH ? H(b) - H(a) : y1 * (b - a)) - (bottomIsH ? -(H(b) - H(a)) : y0 * (b - a));
  }
  return area;
}

// A pel value v blended over 0 with coverage f, as the renderers store it.
inline int level(double f, int v = 255) { return static_cast<int>(f * v + 0.5); }

}  // namespace zc_test

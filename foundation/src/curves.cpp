// Rational cubic Bézier curves (zfound/curves). The splines are in curves_spline.cpp.
#include "zfound/curves.h"

#include "curves_private.h"
#include "zfound/rect.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <typeinfo>

namespace {

// Gauss-Kronrod 15-point rule: Kronrod abscissae (the odd ones are the 7 Gauss
// points) and weights on [-1, 1].
constexpr double kGkX[8] = {0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
                            0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
                            0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
                            0.207784955007898467600689403773245, 0.0};
constexpr double kGkW[8] = {0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
                            0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
                            0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
                            0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr double kGW[4] = {0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
                           0.381830050505118944950369775488975, 0.417959183673469387755102040816327};

// Deepest subdivision of the recursive algorithms: 2^-60 of the parameter range is
// below the resolution of a double.
constexpr int kMaxDepth = 60;
// A cone of directions narrower than this (radians) is certainly less than a half
// turn, with room for rounding.
constexpr double kConeLimit = 0.9 * zkPi;

double horner(const std::vector<double>& c, double t) {
  double v = 0.0;
  for (std::size_t k = c.size(); k-- > 0;) v = v * t + c[k];
  return v;
}

// The real roots in (0, 1) of Σ c[k] tᵏ. The roots of the derivative split [0, 1]
// into intervals on which the polynomial is monotonic, so each holds at most one
// root, found by bisection. Extra candidates (double roots) are harmless to the
// callers, which evaluate the curve at every candidate.
std::vector<double> rootsInUnit(std::vector<double> c) {
  while (!c.empty() && c.back() == 0.0) c.pop_back();
  std::vector<double> roots;
  if (c.size() < 2) return roots;
  std::vector<double> d(c.size() - 1);
  for (std::size_t k = 1; k < c.size(); ++k) d[k - 1] = static_cast<double>(k) * c[k];
  std::vector<double> stops{0.0};
  for (double r : rootsInUnit(d)) stops.push_back(r);
  stops.push_back(1.0);
  for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
    double a = stops[i];
    double b = stops[i + 1];
    double fa = horner(c, a);
    const double fb = horner(c, b);
    if (fa == 0.0) {
      if (a > 0.0) roots.push_back(a);
      continue;
    }
    if ((fa < 0.0) == (fb < 0.0) || fb == 0.0) continue;
    for (int it = 0; it < 200; ++it) {
      const double m = 0.5 * (a + b);
      if (m <= a || m >= b) break;
      const double fm = horner(c, m);
      if (fm == 0.0) {
        a = b = m;
        break;
      }
      if ((fm < 0.0) == (fa < 0.0)) {
        a = m;
        fa = fm;
      } else {
        b = m;
      }
    }
    roots.push_back(0.5 * (a + b));
  }
  for (std::size_t i = 1; i + 1 < stops.size(); ++i)
    if (horner(c, stops[i]) == 0.0) roots.push_back(stops[i]);
  return roots;
}

// Power-basis coefficients of the cubic Σ vᵢ Bᵢ(t).
std::vector<double> bernsteinToPower(double v0, double v1, double v2, double v3) {
  return {v0, 3.0 * (v1 - v0), 3.0 * (v0 - 2.0 * v1 + v2), -v0 + 3.0 * v1 - 3.0 * v2 + v3};
}

std::vector<double> polyMul(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> r(a.size() + b.size() - 1, 0.0);
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j) r[i + j] += a[i] * b[j];
  return r;
}

std::vector<double> polyDeriv(const std::vector<double>& a) {
  std::vector<double> r(a.size() > 1 ? a.size() - 1 : 1, 0.0);
  for (std::size_t k = 1; k < a.size(); ++k) r[k - 1] = static_cast<double>(k) * a[k];
  return r;
}

double distToSegment(const zcPoint& p, const zcPoint& a, const zcPoint& b) {
  const zcVector<2> ab = b - a;
  const double len2 = ab.lengthSq();
  if (len2 == 0.0) return p.distance(a);
  const double s = std::clamp((p - a).dot(ab) / len2, 0.0, 1.0);
  return p.distance(a + ab * s);
}

bool inTriangle(const zcPoint& p, const zcPoint& a, const zcPoint& b, const zcPoint& c) {
  const double d1 = (b - a).cross(p - a);
  const double d2 = (c - b).cross(p - b);
  const double d3 = (a - c).cross(p - c);
  const bool hasNeg = d1 < 0 || d2 < 0 || d3 < 0;
  const bool hasPos = d1 > 0 || d2 > 0 || d3 > 0;
  return !(hasNeg && hasPos);
}

// Signed angle from a to b in (−π, π].
double angleBetween(const zcVector<2>& a, const zcVector<2>& b) { return std::atan2(a.cross(b), a.dot(b)); }

}  // namespace

// --- Homogeneous control points ---------------------------------------------------

zc_BezierHom zcBezierCurvePrivate::toHom(const zcBezierCurve& c) {
  zc_BezierHom h;
  for (int i = 0; i < 4; ++i) {
    h.w[i] = c.weights_[i];
    h.x[i] = c.weights_[i] * c.points_[i].x();
    h.y[i] = c.weights_[i] * c.points_[i].y();
  }
  return h;
}

zcBezierCurve zcBezierCurvePrivate::fromHom(const zc_BezierHom& h) {
  zcBezierCurve c;
  for (int i = 0; i < 4; ++i) {
    c.points_[i] = h.point(i);
    c.weights_[i] = h.w[i];
  }
  return c;
}

void zcBezierCurvePrivate::split(const zc_BezierHom& h, double t, zc_BezierHom& a, zc_BezierHom& b) {
  const auto one = [t](const double (&v)[4], double (&l)[4], double (&r)[4]) {
    const double s = 1.0 - t;
    const double a1 = s * v[0] + t * v[1], b1 = s * v[1] + t * v[2], c1 = s * v[2] + t * v[3];
    const double a2 = s * a1 + t * b1, b2 = s * b1 + t * c1;
    const double a3 = s * a2 + t * b2;
    l[0] = v[0], l[1] = a1, l[2] = a2, l[3] = a3;
    r[0] = a3, r[1] = b2, r[2] = c1, r[3] = v[3];
  };
  zc_BezierHom left, right;
  one(h.x, left.x, right.x);
  one(h.y, left.y, right.y);
  one(h.w, left.w, right.w);
  a = left;
  b = right;
}

void zcBezierCurvePrivate::evaluate(const zc_BezierHom& h, double t, zcPoint& point, zcVector<2>& deriv) {
  const double s = 1.0 - t;
  double q[3][3];  // level-2 points (x, y, w) of de Casteljau
  const double* v[3] = {h.x, h.y, h.w};
  double r[3];
  for (int k = 0; k < 3; ++k) {
    const double a1 = s * v[k][0] + t * v[k][1], b1 = s * v[k][1] + t * v[k][2], c1 = s * v[k][2] + t * v[k][3];
    q[k][0] = s * a1 + t * b1;
    q[k][1] = s * b1 + t * c1;
    r[k] = s * q[k][0] + t * q[k][1];
  }
  point = zcPoint(r[0] / r[2], r[1] / r[2]);
  // Derivative of the homogeneous curve is 3 (Q1 − Q0); then the quotient rule.
  const double dx = 3.0 * (q[0][1] - q[0][0]), dy = 3.0 * (q[1][1] - q[1][0]), dw = 3.0 * (q[2][1] - q[2][0]);
  deriv = zcVector<2>((dx - point.x() * dw) / r[2], (dy - point.y() * dw) / r[2]);
}

double zcBezierCurvePrivate::extent(const zc_BezierHom& h) {
  double x0 = h.point(0).x(), x1 = x0, y0 = h.point(0).y(), y1 = y0;
  for (int i = 1; i < 4; ++i) {
    const zcPoint p = h.point(i);
    x0 = std::min(x0, p.x()), x1 = std::max(x1, p.x());
    y0 = std::min(y0, p.y()), y1 = std::max(y1, p.y());
  }
  return std::max(x1 - x0, y1 - y0);
}

double zcBezierCurvePrivate::hullDistance(const zc_BezierHom& h, const zcPoint& p) {
  const zcPoint q[4] = {h.point(0), h.point(1), h.point(2), h.point(3)};
  // p in the hull of four points lies in one of the triangles of three of them.
  if (inTriangle(p, q[0], q[1], q[2]) || inTriangle(p, q[0], q[1], q[3]) || inTriangle(p, q[0], q[2], q[3]) ||
      inTriangle(p, q[1], q[2], q[3]))
    return 0.0;
  double d = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) d = std::min(d, distToSegment(p, q[i], q[j]));
  return d;
}

double zcBezierCurvePrivate::arcLength(const zc_BezierHom& h, double t0, double t1) {
  if (!(t1 > t0)) return 0.0;
  const auto speed = [&h](double t) {
    zcPoint p;
    zcVector<2> d;
    evaluate(h, t, p, d);
    return d.length();
  };
  const auto gk = [&speed](double a, double b, double& err) {
    const double c = 0.5 * (a + b), r = 0.5 * (b - a);
    const double fc = speed(c);
    double k = kGkW[7] * fc;
    double g = kGW[3] * fc;
    for (int i = 0; i < 7; ++i) {
      const double f = speed(c - r * kGkX[i]) + speed(c + r * kGkX[i]);
      k += kGkW[i] * f;
      if (i % 2 == 1) g += kGW[i / 2] * f;
    }
    err = std::abs(k - g) * r;
    return k * r;
  };
  // The control polygon's length sets the scale of the absolute tolerance.
  double scale = 0.0;
  for (int i = 0; i < 3; ++i) scale += h.point(i).distance(h.point(i + 1));
  const double tol = 1e-13 * scale + std::numeric_limits<double>::min();
  struct Local {
    static double run(const decltype(gk)& rule, double a, double b, double tol, int depth) {
      double err = 0.0;
      const double v = rule(a, b, err);
      if (err <= tol || depth >= 40) return v;
      const double m = 0.5 * (a + b);
      return run(rule, a, m, 0.5 * tol, depth + 1) + run(rule, m, b, 0.5 * tol, depth + 1);
    }
  };
  return Local::run(gk, t0, t1, tol * (t1 - t0), 0);
}

double zcBezierCurvePrivate::paramAfter(const zc_BezierHom& h, double t0, double ds) {
  if (!(ds > 0.0)) return t0;
  const double total = arcLength(h, t0, 1.0);
  if (ds >= total) return 1.0;
  const double tol = 1e-12 * std::max(total, ds);
  double lo = t0, hi = 1.0;
  double t = t0 + (1.0 - t0) * ds / total;
  double length = arcLength(h, t0, t);
  for (int it = 0; it < 100; ++it) {
    const double f = length - ds;
    if (std::abs(f) <= tol) break;
    if (f > 0.0) hi = t;
    else lo = t;
    zcPoint p;
    zcVector<2> d;
    evaluate(h, t, p, d);
    const double speed = d.length();
    double next = speed > 0.0 ? t - f / speed : 0.5 * (lo + hi);
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    if (next == t) break;
    length += next > t ? arcLength(h, t, next) : -arcLength(h, next, t);
    t = next;
  }
  return t;
}

double zcBezierCurvePrivate::nearestParam(const zc_BezierHom& h, const zcPoint& p) {
  const double size = extent(h);
  double bestT = 0.0;
  double bestD = h.point(0).distance(p);
  if (h.point(3).distance(p) < bestD) bestT = 1.0, bestD = h.point(3).distance(p);
  if (size == 0.0) return bestT;
  const double eps = 1e-10 * size;

  struct Node {
    double lb, t0, t1;
    zc_BezierHom h;
    bool operator<(const Node& o) const { return lb > o.lb; }  // min-heap
  };
  std::priority_queue<Node> heap;
  heap.push(Node{hullDistance(h, p), 0.0, 1.0, h});
  // Branch and bound: a sub-curve lies in the hull of its control points, so the
  // distance to that hull bounds the distance to every point of it from below.
  for (int count = 0; !heap.empty() && count < 100000; ++count) {
    const Node n = heap.top();
    heap.pop();
    if (n.lb >= bestD - eps) break;
    if (n.t1 - n.t0 < 1e-15) continue;
    zc_BezierHom a, b;
    split(n.h, 0.5, a, b);
    const double tm = 0.5 * (n.t0 + n.t1);
    const double dm = a.point(3).distance(p);
    if (dm < bestD) bestD = dm, bestT = tm;
    const double la = hullDistance(a, p), lb = hullDistance(b, p);
    if (la < bestD - eps) heap.push(Node{la, n.t0, tm, a});
    if (lb < bestD - eps) heap.push(Node{lb, tm, n.t1, b});
  }

  // Newton's method on (C − p)·C' = 0, with exact derivatives from power-basis
  // polynomials of the homogeneous curve shifted to p.
  const auto poly = [](const double (&v)[4]) { return bernsteinToPower(v[0], v[1], v[2], v[3]); };
  double xs[4], ys[4];
  for (int i = 0; i < 4; ++i) xs[i] = h.x[i] - p.x() * h.w[i], ys[i] = h.y[i] - p.y() * h.w[i];
  const std::vector<double> X = poly(xs), Y = poly(ys), W = poly(h.w);
  const std::vector<double> X1 = polyDeriv(X), Y1 = polyDeriv(Y), W1 = polyDeriv(W);
  const std::vector<double> X2 = polyDeriv(X1), Y2 = polyDeriv(Y1), W2 = polyDeriv(W1);
  double t = bestT;
  for (int it = 0; it < 30; ++it) {
    const double w = horner(W, t), w1 = horner(W1, t), w2 = horner(W2, t);
    const zcVector<2> c(horner(X, t) / w, horner(Y, t) / w);
    const zcVector<2> c1((horner(X1, t) - c.x() * w1) / w, (horner(Y1, t) - c.y() * w1) / w);
    const zcVector<2> c2((horner(X2, t) - 2.0 * c1.x() * w1 - c.x() * w2) / w,
                         (horner(Y2, t) - 2.0 * c1.y() * w1 - c.y() * w2) / w);
    const double g = c.dot(c1);
    const double g1 = c1.dot(c1) + c.dot(c2);
    if (!(g1 > 0.0)) break;
    const double next = std::clamp(t - g / g1, 0.0, 1.0);
    if (next == t) break;
    t = next;
  }
  zcPoint q;
  zcVector<2> d;
  evaluate(h, t, q, d);
  return q.distance(p) < bestD ? t : bestT;
}

double zcBezierCurvePrivate::turn(const zc_BezierHom& h, double eps, int depth) {
  const zcPoint q[4] = {h.point(0), h.point(1), h.point(2), h.point(3)};
  std::vector<zcVector<2>> edges;
  for (int i = 0; i < 3; ++i)
    if ((q[i + 1] - q[i]).length() > eps) edges.push_back(q[i + 1] - q[i]);
  if (edges.empty()) return 0.0;
  // The derivative lies in the cone of the control polygon's edges; once that cone
  // is narrower than a half turn, the tangent turns from the first edge's
  // direction to the last one's within it.
  double lo = 0.0, hi = 0.0, last = 0.0;
  for (const zcVector<2>& e : edges) {
    last = angleBetween(edges.front(), e);
    lo = std::min(lo, last), hi = std::max(hi, last);
  }
  if (hi - lo < kConeLimit || depth >= kMaxDepth) return last;
  zc_BezierHom a, b;
  split(h, 0.5, a, b);
  double join = 0.0;
  const zcVector<2> aEnd = firstDistinct(a, false, eps), bStart = firstDistinct(b, true, eps);
  if (aEnd.lengthSq() > 0.0 && bStart.lengthSq() > 0.0) join = angleBetween(aEnd, bStart);
  return turn(a, eps, depth + 1) + join + turn(b, eps, depth + 1);
}

double zcBezierCurvePrivate::wind(const zc_BezierHom& h, const zcPoint& p, double eps, int depth) {
  // Within rounding of the curve the angle is undefined.
  if (extent(h) <= eps && hullDistance(h, p) <= eps)
    throw zcShapesError::BadGeom(L"the winding angle about a point on the curve");
  const zcVector<2> v[4] = {h.point(0) - p, h.point(1) - p, h.point(2) - p, h.point(3) - p};
  bool touches = false;
  for (const zcVector<2>& e : v) touches = touches || e.lengthSq() == 0.0;
  if (!touches) {
    // Seen from p, the hull lies in the cone of its control points; inside a cone
    // narrower than a half turn the sweep is the angle from the first to the last.
    double lo = 0.0, hi = 0.0, last = 0.0;
    for (int i = 1; i < 4; ++i) {
      last = angleBetween(v[0], v[i]);
      lo = std::min(lo, last), hi = std::max(hi, last);
    }
    if (hi - lo < kConeLimit) return last;
  }
  if (depth >= kMaxDepth) throw zcShapesError::BadGeom(L"the winding angle about a point on the curve");
  zc_BezierHom a, b;
  split(h, 0.5, a, b);
  return wind(a, p, eps, depth + 1) + wind(b, p, eps, depth + 1);
}

zcVector<2> zcBezierCurvePrivate::firstDistinct(const zc_BezierHom& h, bool atStart, double eps) {
  const zcPoint end = h.point(atStart ? 0 : 3);
  for (int k = 1; k < 4; ++k) {
    const zcPoint q = h.point(atStart ? k : 3 - k);
    if (q.distance(end) > eps) return atStart ? q - end : end - q;
  }
  return zcVector<2>();
}

void zcBezierCurvePrivate::sampleInto(const zc_BezierHom& h, const zcSampleParams& params, double tolerance,
                                      zcSampleResult& result, int depth) {
  bool fine = true;
  if (tolerance > 0.0) {
    // The curve lies in the hull of its control points, so the inner control
    // points' distance to the chord bounds the curve's distance to it (and, the
    // curve being connected from one end of the chord to the other, the chord's
    // distance to the curve).
    const zcPoint a = h.point(0), b = h.point(3);
    fine = distToSegment(h.point(1), a, b) <= tolerance && distToSegment(h.point(2), a, b) <= tolerance;
  }
  if (fine && params.spacing > 0.0) fine = arcLength(h, 0.0, 1.0) <= params.spacing;
  if (fine || depth >= kMaxDepth) {
    result.add(h.point(3), params);
    return;
  }
  zc_BezierHom a, b;
  split(h, 0.5, a, b);
  sampleInto(a, params, tolerance, result, depth + 1);
  sampleInto(b, params, tolerance, result, depth + 1);
}

void zcBezierCurvePrivate::sampleCurve(const zcBezierCurve& c, const zcSampleParams& params, zcSampleResult& result,
                                       bool withStart) {
  const zc_BezierHom h = toHom(c);
  if (withStart) result.add(c.points_[0], params);
  double tolerance = params.tolerance;
  if (tolerance > 0.0) tolerance = std::max(tolerance, 1e-13 * extent(h));
  sampleInto(h, params, tolerance, result, 0);
}

void zcBezierCurvePrivate::checkParam(double t) {
  if (!(t >= 0.0 && t <= 1.0)) throw zcShapesError::BadParams(L"a curve parameter outside [0, 1]");
}

bool zcBezierCurvePrivate::valid(const std::array<zcPoint, 4>& points, const std::array<double, 4>& weights) {
  for (int i = 0; i < 4; ++i) {
    if (!std::isfinite(points[i].x()) || !std::isfinite(points[i].y())) return false;
    if (!std::isfinite(weights[i]) || !(weights[i] > 0.0)) return false;
  }
  return true;
}

zcRect zcBezierCurvePrivate::box(const zcBezierCurve& c) {
  // Extremes of x(t) = X(t) / W(t) are at the roots of X'W − XW', a quartic (the
  // quintic terms cancel). Coordinates are taken relative to P0 for conditioning.
  const zcPoint o = c.points_[0];
  double xs[4], ys[4], ws[4];
  for (int i = 0; i < 4; ++i) {
    ws[i] = c.weights_[i];
    xs[i] = ws[i] * (c.points_[i].x() - o.x());
    ys[i] = ws[i] * (c.points_[i].y() - o.y());
  }
  const std::vector<double> W = bernsteinToPower(ws[0], ws[1], ws[2], ws[3]);
  const std::vector<double> W1 = polyDeriv(W);
  const zc_BezierHom h = toHom(c);
  zcRect r = zcRect::fromCorners(c.points_[0], c.points_[3]);
  for (const double* v : {xs, ys}) {
    const std::vector<double> A = bernsteinToPower(v[0], v[1], v[2], v[3]);
    std::vector<double> n = polyMul(polyDeriv(A), W);
    const std::vector<double> m = polyMul(A, W1);
    for (std::size_t k = 0; k < n.size(); ++k) n[k] -= m[k];
    n.resize(5);
    for (double t : rootsInUnit(n)) {
      zcPoint p;
      zcVector<2> d;
      evaluate(h, t, p, d);
      r.enclose(p);
    }
  }
  return r;
}

// --- zcBezierCurve --------------------------------------------------------------------

const zc_Instantiator zcBezierCurve::sExemplar(typeid(zcBezierCurve), "zcBezierCurve", &zcBezierCurve::make);
zcPersistent* zcBezierCurve::make() { return new zcBezierCurve; }

zcBezierCurve::zcBezierCurve() : weights_{1.0, 1.0, 1.0, 1.0} {}

zcBezierCurve::zcBezierCurve(const zcPoint& p0, const zcPoint& p1, const zcPoint& p2, const zcPoint& p3, double w0,
                             double w1, double w2, double w3)
    : zcBezierCurve(std::array<zcPoint, 4>{p0, p1, p2, p3}, std::array<double, 4>{w0, w1, w2, w3}) {}

zcBezierCurve::zcBezierCurve(const std::array<zcPoint, 4>& points, const std::array<double, 4>& weights)
    : points_(points), weights_(weights) {
  if (!zcBezierCurvePrivate::valid(points, weights))
    throw zcShapesError::BadParams(L"a Bezier curve needs finite points and finite positive weights");
}

zcBezierCurve& zcBezierCurve::operator=(const zcBezierCurve&) = default;

zcBezierCurve::~zcBezierCurve() = default;

const zcPoint& zcBezierCurve::controlPoint(int i) const {
  if (i < 0 || i > 3) throw zcShapesError::BadParams(L"a control point index outside 0 to 3");
  return points_[static_cast<std::size_t>(i)];
}

double zcBezierCurve::weight(int i) const {
  if (i < 0 || i > 3) throw zcShapesError::BadParams(L"a weight index outside 0 to 3");
  return weights_[static_cast<std::size_t>(i)];
}

bool zcBezierCurve::isPolynomial() const {
  return weights_[0] == weights_[1] && weights_[1] == weights_[2] && weights_[2] == weights_[3];
}

zcPoint zcBezierCurve::point(double t) const {
  zcBezierCurvePrivate::checkParam(t);
  zcPoint p;
  zcVector<2> d;
  zcBezierCurvePrivate::evaluate(zcBezierCurvePrivate::toHom(*this), t, p, d);
  return p;
}

zcVector<2> zcBezierCurve::derivative(double t) const {
  zcBezierCurvePrivate::checkParam(t);
  zcPoint p;
  zcVector<2> d;
  zcBezierCurvePrivate::evaluate(zcBezierCurvePrivate::toHom(*this), t, p, d);
  return d;
}

zcRadian zcBezierCurve::tangentAngle(double t) const {
  zcBezierCurvePrivate::checkParam(t);
  if (degen()) throw zcShapesError::NoTangent(L"a degenerate curve has no direction");
  const zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  const double eps = 1e-12 * zcBezierCurvePrivate::extent(h);
  zcPoint p;
  zcVector<2> d;
  zcBezierCurvePrivate::evaluate(h, t, p, d);
  if (d.length() > eps) return d.angle();
  // Where the derivative vanishes, the direction is the limit from the side that
  // has curve left: the leading direction of the part that starts (or ends) at t.
  zc_BezierHom a, b;
  zcBezierCurvePrivate::split(h, t, a, b);
  zcVector<2> dir = t < 1.0 ? zcBezierCurvePrivate::firstDistinct(b, true, eps)
                            : zcBezierCurvePrivate::firstDistinct(a, false, eps);
  if (dir.lengthSq() == 0.0) dir = t > 0.0 ? zcBezierCurvePrivate::firstDistinct(a, false, eps) : dir;
  if (dir.lengthSq() == 0.0) throw zcShapesError::NoTangent(L"no direction at this parameter");
  return dir.angle();
}

void zcBezierCurve::split(double t, zcBezierCurve& first, zcBezierCurve& second) const {
  zcBezierCurvePrivate::checkParam(t);
  zc_BezierHom a, b;
  zcBezierCurvePrivate::split(zcBezierCurvePrivate::toHom(*this), t, a, b);
  zcBezierCurve left = zcBezierCurvePrivate::fromHom(a);
  zcBezierCurve right = zcBezierCurvePrivate::fromHom(b);
  right.points_[0] = left.points_[3];
  first = left;
  second = right;
}

zcBezierCurve zcBezierCurve::part(double t0, double t1) const {
  zcBezierCurvePrivate::checkParam(t0);
  zcBezierCurvePrivate::checkParam(t1);
  if (t0 > t1) throw zcShapesError::BadParams(L"a curve part needs t0 <= t1");
  zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  zc_BezierHom a, b;
  if (t1 < 1.0) {
    zcBezierCurvePrivate::split(h, t1, a, b);
    h = a;
  }
  if (t0 > 0.0) {
    zcBezierCurvePrivate::split(h, t0 / t1, a, b);
    h = b;
  }
  zcBezierCurve c = zcBezierCurvePrivate::fromHom(h);
  // The ends of the whole curve stay exact.
  if (t0 == 0.0) c.points_[0] = points_[0];
  if (t1 == 1.0) c.points_[3] = points_[3];
  return c;
}

double zcBezierCurve::arcLength(double t0, double t1) const {
  zcBezierCurvePrivate::checkParam(t0);
  zcBezierCurvePrivate::checkParam(t1);
  if (t0 > t1) throw zcShapesError::BadParams(L"an arc length needs t0 <= t1");
  return zcBezierCurvePrivate::arcLength(zcBezierCurvePrivate::toHom(*this), t0, t1);
}

double zcBezierCurve::paramAtLength(double s) const {
  if (std::isnan(s)) throw zcShapesError::BadParams(L"a NaN arc length");
  return zcBezierCurvePrivate::paramAfter(zcBezierCurvePrivate::toHom(*this), 0.0, s);
}

double zcBezierCurve::nearestParam(const zcPoint& p) const {
  if (!std::isfinite(p.x()) || !std::isfinite(p.y())) throw zcShapesError::BadParams(L"a non-finite point");
  return zcBezierCurvePrivate::nearestParam(zcBezierCurvePrivate::toHom(*this), p);
}

bool zcBezierCurve::degen() const {
  return points_[1] == points_[0] && points_[2] == points_[0] && points_[3] == points_[0];
}

zcRect zcBezierCurve::boundingBox() const { return zcBezierCurvePrivate::box(*this); }

zcPoint zcBezierCurve::nearestPoint(const zcPoint& p) const {
  const double t = nearestParam(p);
  if (t == 0.0) return points_[0];
  if (t == 1.0) return points_[3];
  return point(t);
}

double zcBezierCurve::perimeter() const { return arcLength(0.0, 1.0); }

double zcBezierCurve::nearestPerimPos(const zcPoint& p) const { return arcLength(0.0, nearestParam(p)); }

zcRadian zcBezierCurve::startAngle() const {
  const zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  const zcVector<2> d = zcBezierCurvePrivate::firstDistinct(h, true, 1e-12 * zcBezierCurvePrivate::extent(h));
  if (d.lengthSq() == 0.0) throw zcShapesError::NoTangent(L"a degenerate curve has no direction");
  return d.angle();
}

zcRadian zcBezierCurve::endAngle() const {
  const zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  const zcVector<2> d = zcBezierCurvePrivate::firstDistinct(h, false, 1e-12 * zcBezierCurvePrivate::extent(h));
  if (d.lengthSq() == 0.0) throw zcShapesError::NoTangent(L"a degenerate curve has no direction");
  return d.angle();
}

zcRadian zcBezierCurve::tangentRotation() const {
  const zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  return zcRadian(zcBezierCurvePrivate::turn(h, 1e-12 * zcBezierCurvePrivate::extent(h), 0));
}

zcRadian zcBezierCurve::windingAngle(const zcPoint& p) const {
  if (!std::isfinite(p.x()) || !std::isfinite(p.y())) throw zcShapesError::BadParams(L"a non-finite point");
  const zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  return zcRadian(zcBezierCurvePrivate::wind(h, p, 1e-12 * zcBezierCurvePrivate::extent(h), 0));
}

zcBezierCurve zcBezierCurve::map(const zcXform<2>& x) const {
  std::array<zcPoint, 4> q;
  for (int i = 0; i < 4; ++i) q[i] = x.mapPoint(points_[i]);
  return zcBezierCurve(q, weights_);
}

zcShapePtr zcBezierCurve::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcBezierCurve(map(x))); }

zcShapePtr zcBezierCurve::subShape(double from, double to) const {
  if (std::isnan(from) || std::isnan(to)) throw zcShapesError::BadParams(L"a NaN perimeter position");
  const zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  const double length = zcBezierCurvePrivate::arcLength(h, 0.0, 1.0);
  const double a = std::clamp(std::min(from, to), 0.0, length);
  const double b = std::clamp(std::max(from, to), 0.0, length);
  const double t0 = zcBezierCurvePrivate::paramAfter(h, 0.0, a);
  const double t1 = std::max(t0, zcBezierCurvePrivate::paramAfter(h, t0, b - a));
  zcBezierCurve p = part(t0, t1);
  if (from > to) return p.reverse();
  return zcShapePtr(new zcBezierCurve(p));
}

void zcBezierCurve::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  result.reserveFor(params);
  if (!params.uniform) {
    zcBezierCurvePrivate::sampleCurve(*this, params, result, true);
    return;
  }
  if (params.tolerance > 0.0)
    throw zcShapesError::BadParams(L"uniform sampling cannot promise a tolerance as well");
  const zc_BezierHom h = zcBezierCurvePrivate::toHom(*this);
  const double length = zcBezierCurvePrivate::arcLength(h, 0.0, 1.0);
  result.add(points_[0], params);
  double t = 0.0;
  // Stop short of the end by a sliver so that rounding does not add a point on top
  // of the end point.
  for (double s = params.spacing; s < length - 1e-9 * params.spacing; s += params.spacing) {
    t = zcBezierCurvePrivate::paramAfter(h, t, params.spacing);
    zcPoint p;
    zcVector<2> d;
    zcBezierCurvePrivate::evaluate(h, t, p, d);
    result.add(p, params);
  }
  result.add(points_[3], params);
}

void zcBezierCurve::writeImage(zcImageOut<zkBezierCurveImageSize> out) const {
  unsigned char* p = out.data();
  for (int i = 0; i < 4; ++i) {
    zfStoreF64(p + 16 * i, points_[i].x());
    zfStoreF64(p + 16 * i + 8, points_[i].y());
    zfStoreF64(p + 64 + 8 * i, weights_[i]);
  }
}

zcBezierCurve zcBezierCurve::readImage(zcImageIn<zkBezierCurveImageSize> in) {
  const unsigned char* p = in.data();
  std::array<zcPoint, 4> points;
  std::array<double, 4> weights;
  for (int i = 0; i < 4; ++i) {
    points[i] = zcPoint(zfLoadF64(p + 16 * i), zfLoadF64(p + 16 * i + 8));
    weights[i] = zfLoadF64(p + 64 + 8 * i);
  }
  return zcBezierCurve(points, weights);
}

zcShape* zcBezierCurve::cloneThat_() const { return new zcBezierCurve(*this); }

zcShapePtr zcBezierCurve::reverse_() const {
  return zcShapePtr(new zcBezierCurve(points_[3], points_[2], points_[1], points_[0], weights_[3], weights_[2],
                                      weights_[1], weights_[0]));
}

bool zcBezierCurve::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcBezierCurve&>(other);
  return points_ == o.points_ && weights_ == o.weights_;
}

void zcBezierCurve::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  const double t = paramAtLength(position);
  point = this->point(t);
  tangent = tangentAngle(t);
}

void zcBezierCurve::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcBezierCurve", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/curves", __LINE__);
    zcShape::dispatchSerialize(archive);
    std::array<zcPoint, 4> points = points_;
    std::array<double, 4> weights = weights_;
    zcBezierCurvePrivate::serializeFields(archive, points, weights);
    if (archive.isLoading()) {
      mutating_();
      points_ = points;
      weights_ = weights;
    }
  });
}

void zcBezierCurvePrivate::serializeFields(zcArchive& archive, std::array<zcPoint, 4>& points,
                                           std::array<double, 4>& weights) {
  for (zcPoint& p : points) archive || p;
  for (double& w : weights) archive || w;
  if (archive.isLoading() && !valid(points, weights))
    throw zcArchive::BadFormat(L"a Bezier curve with a non-finite point or a weight that is not positive");
}

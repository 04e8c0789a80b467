// The parametric ellipse behind every conic kind: decomposition, arc length, nearest
// points, boxes, sweeps, and the contours that sampling walks.
#include "conics_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace zc_conics {

// --- Validation ---------------------------------------------------------------------

void checkFinite(double v, const wchar_t* what) {
  if (!std::isfinite(v)) throw zcShapesError::BadParams(what);
}

void checkFinite(const zcVector<2>& v, const wchar_t* what) {
  if (!zfIsFinite(v)) throw zcShapesError::BadParams(what);
}

void checkFinite(const zcXform<2>& x, const wchar_t* what) {
  if (!zfIsFinite(x)) throw zcShapesError::BadParams(what);
}

void checkRadius(double r) {
  checkFinite(r, L"non-finite radius");
  if (r < 0.0) throw zcShapesError::BadRadius(L"negative radius");
}

void checkSpan(zcRadian start, zcRadian span) {
  checkFinite(start.value(), L"non-finite arc start");
  checkFinite(span.value(), L"non-finite arc span");
  if (std::abs(span.value()) > kTwoPi) throw zcShapesError::BadParams(L"arc span beyond a full turn");
}

bool isSimilarity(const zcMatrix<2>& m, double& scale) {
  const zcVector<2> c0 = m.col(0), c1 = m.col(1);
  const double l0 = c0.lengthSq(), l1 = c1.lengthSq();
  const double tol = 1e-12 * std::max(l0, l1);
  scale = std::sqrt(0.5 * (l0 + l1));
  return std::abs(c0.dot(c1)) <= tol && std::abs(l0 - l1) <= tol;
}

bool inRange(double t, double t0, double span, double slack) {
  if (std::abs(span) >= kTwoPi) return true;
  const double d = zcRadian(span >= 0.0 ? t - t0 : t0 - t).norm().value();
  const double limit = std::abs(span);
  return d <= limit + slack || d >= kTwoPi - slack;
}

// --- Boxes ----------------------------------------------------------------------------

void Box::add(const zcPoint& p) {
  if (empty) {
    xmin = xmax = p.x();
    ymin = ymax = p.y();
    empty = false;
    return;
  }
  xmin = std::min(xmin, p.x());
  xmax = std::max(xmax, p.x());
  ymin = std::min(ymin, p.y());
  ymax = std::max(ymax, p.y());
}

void Box::add(const Box& b) {
  if (b.empty) return;
  add(zcPoint(b.xmin, b.ymin));
  add(zcPoint(b.xmax, b.ymax));
}

zcRect Box::rect() const {
  if (empty) return zcRect();
  return zcRect(zcPoint(xmin, ymin), zcVector<2>(xmax - xmin, ymax - ymin));
}

// --- Decomposition --------------------------------------------------------------------

void decomposeMatrix(const zcMatrix<2>& m, double& theta, double& a, double& b, double& s, double& phi) {
  // Closed-form SVD of a 2x2 matrix: m = R(theta) diag(sx, sy) R(beta), sy signed.
  const double m00 = m.element(0, 0), m01 = m.element(0, 1);
  const double m10 = m.element(1, 0), m11 = m.element(1, 1);
  const double e = 0.5 * (m00 + m11), f = 0.5 * (m00 - m11);
  const double g = 0.5 * (m10 + m01), h = 0.5 * (m10 - m01);
  const double q = std::hypot(e, h), r = std::hypot(f, g);
  const double a1 = std::atan2(g, f), a2 = std::atan2(h, e);
  theta = 0.5 * (a2 + a1);
  phi = -0.5 * (a2 - a1);
  a = q + r;
  const double det = m.determinant();
  // q − r cancels for flat ellipses; |det| / a keeps the small radius accurate.
  b = a > 0.0 ? std::min(a, std::abs(det) / a) : 0.0;
  s = det < 0.0 ? -1.0 : 1.0;
}

// --- Conic ----------------------------------------------------------------------------

Conic::Conic(const zcXform<2>& unitXform) : x_(unitXform) {
  decomposeMatrix(x_.matrix(), theta_, a_, b_, s_, phi_);
}

zcPoint Conic::point(double t) const { return x_.mapPoint(zcPoint(std::cos(t), std::sin(t))); }

zcVector<2> Conic::deriv(double t) const { return x_.mapVector(zcVector<2>(-std::sin(t), std::cos(t))); }

namespace {

// Gauss-Kronrod 7-15 nodes and weights on [−1, 1].
constexpr std::array<double, 8> kXgk = {
    0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
    0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
    0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
    0.207784955007898467600689403773245, 0.0};
constexpr std::array<double, 8> kWgk = {
    0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
    0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
    0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
    0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr std::array<double, 4> kWg = {0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
                                       0.381830050505118944950369775488975, 0.417959183673469387755102040816327};

template <class F>
double kronrod(const F& f, double lo, double hi, double& error) {
  const double c = 0.5 * (lo + hi), h = 0.5 * (hi - lo);
  const double fc = f(c);
  double k = fc * kWgk[7], g = fc * kWg[3];
  for (int j = 0; j < 7; ++j) {
    const double x = h * kXgk[j];
    const double sum = f(c - x) + f(c + x);
    k += kWgk[j] * sum;
    if (j % 2 == 1) g += kWg[j / 2] * sum;
  }
  error = std::abs((k - g) * h);
  return k * h;
}

template <class F>
double integrate(const F& f, double lo, double hi, double tol, int depth = 0) {
  double error = 0.0;
  const double whole = kronrod(f, lo, hi, error);
  if (error <= tol || depth >= 40 || hi - lo <= 1e-15 * (1.0 + std::abs(lo))) return whole;
  const double mid = 0.5 * (lo + hi);
  return integrate(f, lo, mid, 0.5 * tol, depth + 1) + integrate(f, mid, hi, 0.5 * tol, depth + 1);
}

}  // namespace

double Conic::perimeter() const {
  if (a_ == 0.0) return 0.0;
  if (b_ == 0.0) return 4.0 * a_;
  // 2π (a² − Σ 2^(n−1) c_n²) / AGM(a, b), with c_0² = a² − b², c_(n+1) = (a_n − b_n) / 2.
  double an = a_, bn = b_;
  double sum = 0.5 * (a_ - b_) * (a_ + b_);
  double weight = 0.5;
  for (int i = 0; i < 64; ++i) {
    const double cn = 0.5 * (an - bn);
    const double next = 0.5 * (an + bn);
    bn = std::sqrt(an * bn);
    an = next;
    weight *= 2.0;
    sum += weight * cn * cn;
    if (cn <= 1e-17 * an) break;
  }
  return kTwoPi * (a_ * a_ - sum) / an;
}

double Conic::arcLength(double t0, double span) const {
  if (span == 0.0 || a_ == 0.0) return 0.0;
  double lo = s_ * (t0 - phi_), hi = lo + s_ * span;
  if (lo > hi) std::swap(lo, hi);
  // The speed has period π in τ: move the range near 0 to keep precision.
  const double shift = zkPi * std::floor(lo / zkPi);
  lo -= shift;
  hi -= shift;
  const double a = a_, b = b_;
  const auto speed = [a, b](double tau) { return std::hypot(a * std::sin(tau), b * std::cos(tau)); };
  const double quarter = 0.5 * zkPi;
  const double tol = 1e-15 * a * (hi - lo) + std::numeric_limits<double>::min();
  const double k0 = std::ceil(lo / quarter), k1 = std::floor(hi / quarter);
  if (k0 > k1) return integrate(speed, lo, hi, tol);
  // Whole quarters come from the perimeter; the speed is smooth inside each quarter.
  return integrate(speed, lo, k0 * quarter, tol) + (k1 - k0) * 0.25 * perimeter() +
         integrate(speed, k1 * quarter, hi, tol);
}

double Conic::paramAtLength(double t0, double span, double length) const {
  const double total = arcLength(t0, span);
  if (!(length > 0.0) || total == 0.0) return t0;
  if (length >= total) return t0 + span;
  const double dir = span >= 0.0 ? 1.0 : -1.0;
  double lo = 0.0, hi = std::abs(span);
  double delta = hi * length / total;
  for (int i = 0; i < 100; ++i) {
    const double f = arcLength(t0, dir * delta) - length;
    if (std::abs(f) <= 1e-15 * total) break;
    if (f > 0.0) {
      hi = delta;
    } else {
      lo = delta;
    }
    const double sp = speed(t0 + dir * delta);
    double next = sp > 0.0 ? delta - f / sp : 0.5 * (lo + hi);
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    if (next == delta) break;
    delta = next;
  }
  return t0 + dir * delta;
}

std::vector<double> Conic::criticalTaus(double u, double v) const {
  std::vector<double> out = {0.0, 0.5 * zkPi, zkPi, -0.5 * zkPi};
  if (a_ == 0.0) return out;
  if (b_ == 0.0) {
    // A segment along the major axis: the foot is the clamped projection.
    const double t = std::acos(std::clamp(u / a_, -1.0, 1.0));
    out.push_back(t);
    out.push_back(-t);
    return out;
  }
  if (a_ == b_) {
    if (u != 0.0 || v != 0.0) out.push_back(std::atan2(v, u));
    return out;
  }
  const std::size_t fixed = out.size();
  // Feet of the normals through p: x = r0 u / (σ + r0), y = v / (σ + 1) (in units of
  // a and b) for the roots σ of G (the multiplier scaled by b²), r0 = (a / b)².
  const double z0 = u / a_, z1 = v / b_;
  const double r0 = (a_ / b_) * (a_ / b_);
  const double n0 = r0 * z0;
  const auto g = [&](double sg) {
    const double p = n0 / (sg + r0), q = z1 / (sg + 1.0);
    return p * p + q * q - 1.0;
  };
  const auto tauAt = [&](double sg) {
    const double x = z0 * r0 / (sg + r0);  // x / a
    const double y = z1 / (sg + 1.0);      // y / b
    return std::atan2(y, x);
  };
  // Bisection to the last bit: `rootLeftOf(m)` tells that the root lies below m.
  const auto bisect = [](double lo, double hi, const auto& rootLeftOf) {
    for (int i = 0; i < 2100; ++i) {
      const double m = 0.5 * (lo + hi);
      if (m == lo || m == hi) break;
      if (rootLeftOf(m)) {
        hi = m;
      } else {
        lo = m;
      }
    }
    return 0.5 * (lo + hi);
  };
  if (u != 0.0 && v != 0.0) {
    // On (−1, ∞) G falls from +∞ to −1: the nearest foot.
    const double lo = std::abs(z1) - 1.0, hi = std::hypot(n0, z1) - 1.0;
    out.push_back(tauAt(bisect(lo, hi, [&](double m) { return g(m) < 0.0; })));
    // On (−r0, −1) G is convex and rises to +∞ at both ends: two feet or none.
    const double sm = bisect(-r0, -1.0, [&](double m) {
      const double p = m + r0, q = m + 1.0;
      return -(n0 * n0) / (p * p * p) - (z1 * z1) / (q * q * q) > 0.0;
    });
    if (g(sm) < 0.0) {
      out.push_back(tauAt(bisect(-r0, sm, [&](double m) { return g(m) < 0.0; })));
      out.push_back(tauAt(bisect(sm, -1.0, [&](double m) { return g(m) > 0.0; })));
    }
  } else if (u != 0.0) {
    // On the major axis: the feet off the axis, when the point is inside the evolute.
    const double x = n0 / (r0 - 1.0);
    if (std::abs(x) <= 1.0) {
      const double y = std::sqrt(1.0 - x * x);
      out.push_back(std::atan2(y, x));
      out.push_back(std::atan2(-y, x));
    }
  } else if (v != 0.0) {
    const double y = z1 / (1.0 - r0);
    if (std::abs(y) <= 1.0) {
      const double x = std::sqrt(1.0 - y * y);
      out.push_back(std::atan2(y, x));
      out.push_back(std::atan2(y, -x));
    }
  }
  // Newton steps on the derivative of the squared distance sharpen the bisected feet.
  const double k = b_ * b_ - a_ * a_;
  for (std::size_t i = fixed; i < out.size(); ++i) {
    double tau = out[i];
    const auto f = [&](double t) { return k * std::sin(t) * std::cos(t) + a_ * u * std::sin(t) - b_ * v * std::cos(t); };
    double ft = f(tau);
    for (int it = 0; it < 4 && ft != 0.0; ++it) {
      const double df = k * std::cos(2.0 * tau) + a_ * u * std::cos(tau) + b_ * v * std::sin(tau);
      if (df == 0.0) break;
      const double next = tau - ft / df;
      const double fn = f(next);
      if (!(std::abs(fn) < std::abs(ft))) break;
      tau = next;
      ft = fn;
    }
    out[i] = tau;
  }
  return out;
}

double Conic::nearestParam(const zcPoint& p, double t0, double span) const {
  const zcVector<2> d = p - center();
  const double c = std::cos(theta_), s = std::sin(theta_);
  const double u = d.x() * c + d.y() * s, v = -d.x() * s + d.y() * c;
  const bool full = std::abs(span) >= kTwoPi;
  std::vector<double> ts;
  if (!full) {
    ts.push_back(t0);
    ts.push_back(t0 + span);
  }
  for (double tau : criticalTaus(u, v)) {
    const double t = tauToT(tau);
    if (full || inRange(t, t0, span)) ts.push_back(t);
  }
  double best = ts.front();
  double bestDist = point(best).distance(p);
  for (double t : ts) {
    const double dist = point(t).distance(p);
    if (dist < bestDist) {
      best = t;
      bestDist = dist;
    }
  }
  return best;
}

Box Conic::box(double t0, double span) const {
  const zcMatrix<2> m = x_.matrix();
  Box box;
  if (std::abs(span) >= kTwoPi) {
    const double hx = std::hypot(m.element(0, 0), m.element(0, 1));
    const double hy = std::hypot(m.element(1, 0), m.element(1, 1));
    box.add(center() - zcVector<2>(hx, hy));
    box.add(center() + zcVector<2>(hx, hy));
    return box;
  }
  box.add(point(t0));
  box.add(point(t0 + span));
  // x(t) and y(t) are extreme where their derivatives vanish.
  const double tx = std::atan2(m.element(0, 1), m.element(0, 0));
  const double ty = std::atan2(m.element(1, 1), m.element(1, 0));
  for (double t : {tx, tx + zkPi, ty, ty + zkPi})
    if (inRange(t, t0, span)) box.add(point(t));
  return box;
}

bool Conic::inside(const zcPoint& p) const {
  const zcVector<2> d = p - center();
  const double c = std::cos(theta_), s = std::sin(theta_);
  const double u = d.x() * c + d.y() * s, v = -d.x() * s + d.y() * c;
  constexpr double slack = 1.0 + 1e-12;
  if (a_ == 0.0) return u == 0.0 && v == 0.0;
  if (b_ == 0.0) return std::abs(v) <= 1e-12 * a_ && std::abs(u) <= a_ * slack;
  const double ru = u / a_, rv = v / b_;
  return ru * ru + rv * rv <= slack * slack;
}

double Conic::paramOf(const zcPoint& p) const {
  const zcPoint w = x_.invMapPoint(p);
  return std::atan2(w.y(), w.x());
}

zcRadian Conic::travelAngle(double t, double span) const {
  zcVector<2> v = deriv(t);
  if (span < 0.0) v = -v;
  if (v.x() == 0.0 && v.y() == 0.0) throw zcShapesError::NoTangent(L"the ellipse has no tangent there");
  return v.angle();
}

double Conic::liftSweep(double unitSweep, const zcVector<2>& from, const zcVector<2>& to) const {
  if (unitSweep == 0.0) return 0.0;
  // The directions map by the linear part, a monotone bijection of the circle of
  // directions (reversing when det < 0): whole turns stay whole, and the rest is
  // the turn from `from` to `to` the same way round.
  const double sigma = (unitSweep > 0.0 ? 1.0 : -1.0) * (det() < 0.0 ? -1.0 : 1.0);
  const double turns = std::floor(std::abs(unitSweep) / kTwoPi);
  const double rest = std::abs(unitSweep) - turns * kTwoPi;
  double d = zcRadian(sigma * (to.angle().value() - from.angle().value())).norm().value();
  if (rest == 0.0) {
    d = 0.0;
  } else if (rest < 1e-12 && d > zkPi) {
    d -= kTwoPi;
  } else if (rest > kTwoPi - 1e-12 && d < zkPi) {
    d += kTwoPi;
  }
  return sigma * (turns * kTwoPi + d);
}

double Conic::tangentRotation(double t0, double span) const {
  if (degenerate()) throw zcShapesError::NoTangent(L"a degenerate ellipse has no tangent");
  return liftSweep(span, deriv(t0), deriv(t0 + span));
}

double Conic::windingAngle(const zcPoint& p, double t0, double span) const {
  if (degenerate()) throw zcShapesError::DegenerateShape(L"winding angle about a degenerate ellipse");
  if (point(nearestParam(p, t0, span)).distance(p) <= 1e-12 * a_)
    throw zcShapesError::BadGeom(L"the point lies on the curve");
  const zcPoint q = x_.invMapPoint(p);
  const double r = q.length();
  const auto unitVec = [&](double t) { return zcVector<2>(std::cos(t) - q.x(), std::sin(t) - q.y()); };
  double unit = 0.0;
  if (std::abs(r - 1.0) <= 1e-12) {
    // Seen from a point of the circle, the direction to the moving point turns at half
    // the rate (inscribed angles).
    unit = 0.5 * span;
  } else if (r < 1.0) {
    // From inside, the direction turns monotonically with the parameter.
    const double dir = span >= 0.0 ? 1.0 : -1.0;
    const double turns = std::floor(std::abs(span) / kTwoPi);
    const double rest = std::abs(span) - turns * kTwoPi;
    double d = zcRadian(dir * (unitVec(t0 + span).angle().value() - unitVec(t0).angle().value())).norm().value();
    if (rest == 0.0) d = 0.0;
    unit = dir * (turns * kTwoPi + d);
  } else {
    // From outside, the sweep turns back at the two tangent points; between them it
    // is monotone and shorter than π, so principal angles add up exactly.
    const double lo = std::min(t0, t0 + span), hi = std::max(t0, t0 + span);
    std::vector<double> cuts = {t0, t0 + span};
    const double base = q.angle().value(), half = std::acos(1.0 / r);
    for (double c : {base + half, base - half}) {
      for (double t = c + kTwoPi * std::ceil((lo - c) / kTwoPi); t < hi; t += kTwoPi)
        if (t > lo) cuts.push_back(t);
    }
    std::sort(cuts.begin(), cuts.end());
    if (span < 0.0) std::reverse(cuts.begin(), cuts.end());
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
      const zcVector<2> v0 = unitVec(cuts[i]), v1 = unitVec(cuts[i + 1]);
      unit += std::atan2(v0.cross(v1), v0.dot(v1));
    }
  }
  return liftSweep(unit, point(t0) - p, point(t0 + span) - p);
}

// --- Pieces and contours -------------------------------------------------------------

zcPoint nearestOnSegment(const zcPoint& a, const zcPoint& b, const zcPoint& p) {
  const zcVector<2> d = b - a;
  const double len2 = d.lengthSq();
  if (len2 == 0.0) return a;
  const double t = std::clamp((p - a).dot(d) / len2, 0.0, 1.0);
  return a + d * t;
}

zcPoint nearestOf(const std::vector<zcPoint>& candidates, const zcPoint& p) {
  zcPoint best = candidates.front();
  double bestDist = best.distance(p);
  for (const zcPoint& c : candidates) {
    const double d = c.distance(p);
    if (d < bestDist) {
      best = c;
      bestDist = d;
    }
  }
  return best;
}

Piece Piece::arcOf(const Conic& c, double t0, double span) {
  Piece p;
  p.arc = true;
  p.conic = c;
  p.t0 = t0;
  p.span = span;
  p.p0 = c.point(t0);
  p.p1 = c.point(t0 + span);
  return p;
}

Piece Piece::segment(const zcPoint& a, const zcPoint& b) {
  Piece p;
  p.p0 = a;
  p.p1 = b;
  return p;
}

double Piece::length() const { return arc ? conic.arcLength(t0, span) : p0.distance(p1); }
zcPoint Piece::start() const { return p0; }
zcPoint Piece::end() const { return p1; }

zcPoint Piece::nearest(const zcPoint& p) const {
  return arc ? conic.point(conic.nearestParam(p, t0, span)) : nearestOnSegment(p0, p1, p);
}

zcPoint Piece::atLength(double s) const {
  if (arc) return conic.point(conic.paramAtLength(t0, span, s));
  const double len = length();
  return len > 0.0 ? p0 + (p1 - p0) * std::clamp(s / len, 0.0, 1.0) : p0;
}

double Contour::length() const {
  double total = 0.0;
  for (const Piece& p : pieces) total += p.length();
  return total;
}

zcPoint Contour::nearest(const zcPoint& p) const {
  std::vector<zcPoint> candidates;
  for (const Piece& piece : pieces) candidates.push_back(piece.nearest(p));
  return nearestOf(candidates, p);
}

Box Contour::box() const {
  Box box;
  for (const Piece& p : pieces) {
    if (p.arc) {
      box.add(p.conic.box(p.t0, p.span));
    } else {
      box.add(p.p0);
      box.add(p.p1);
    }
  }
  return box;
}

namespace {

class StepCounter {
public:
  void step() {
    if (++steps_ > kMaxSampleSteps) throw zcShapesError::SampleOverflow(L"too many sampling steps");
  }

private:
  long steps_ = 0;
};

// Interior points of an arc piece: steps short enough for the spacing (the speed is
// at most the major radius) and for the tolerance. The chord over [t, t + 2h] stays
// within (1 − cos h) |A (cos m, sin m)| of the arc, m = t + h, because the arc is the
// affine image of a circular one.
void sampleArcInterior(const Piece& piece, double spacing, double tol, const zcSampleParams& params,
                       zcSampleResult& result, StepCounter& counter) {
  const Conic& c = piece.conic;
  const double total = std::abs(piece.span);
  const double dir = piece.span >= 0.0 ? 1.0 : -1.0;
  double maxStep = 0.5 * zkPi;
  if (spacing > 0.0 && c.major() > 0.0) maxStep = std::min(maxStep, spacing / c.major());
  const zcMatrix<2> m = c.xform().matrix();
  const auto radial = [&](double t) { return (m * zcVector<2>(std::cos(t), std::sin(t))).length(); };
  double pos = 0.0;
  while (pos < total) {
    const double rest = total - pos;
    double step = std::min(rest, maxStep);
    if (tol > 0.0) {
      for (;;) {
        const double h = 0.5 * step;
        const double rad = radial(piece.t0 + dir * (pos + h));
        const double sh = std::sin(0.5 * h);
        if (2.0 * sh * sh * rad <= tol) break;
        // Aim at the step the local radius allows, and always shrink.
        const double ratio = tol / rad;
        const double allowed = ratio < 2.0 ? 2.0 * std::acos(1.0 - ratio) : step;
        step = std::min(0.9 * step, 0.98 * allowed);
      }
    }
    if (rest - step <= 1e-12 * total) break;  // the end point follows
    pos += step;
    counter.step();
    result.add(c.point(piece.t0 + dir * pos), params);
  }
}

void sampleSegmentInterior(const Piece& piece, double spacing, const zcSampleParams& params,
                           zcSampleResult& result, StepCounter& counter) {
  const double len = piece.length();
  if (!(spacing > 0.0) || len <= spacing) return;
  const double count = std::ceil(len / spacing);
  if (count > static_cast<double>(kMaxSampleSteps)) throw zcShapesError::SampleOverflow(L"too many sampling steps");
  const long n = static_cast<long>(count);
  for (long i = 1; i < n; ++i) {
    counter.step();
    result.add(piece.p0 + (piece.p1 - piece.p0) * (static_cast<double>(i) / static_cast<double>(n)), params);
  }
}

}  // namespace

void Contour::sample(const zcSampleParams& params, zcSampleResult& result) const {
  if (pieces.empty()) return;
  const zcPoint first = pieces.front().start();
  const zcPoint last = closed ? first : pieces.back().end();
  result.reserveFor(params);
  StepCounter counter;
  if (params.uniform) {
    const double total = length();
    if (total / params.spacing > static_cast<double>(kMaxSampleSteps))
      throw zcShapesError::SampleOverflow(L"too many sampling steps");
    result.add(first, params);
    double before = 0.0;  // length at the start of the current piece
    long k = 1;
    for (const Piece& piece : pieces) {
      const double len = piece.length();
      for (;;) {
        const double s = static_cast<double>(k) * params.spacing;
        if (s >= total - 1e-12 * total || s > before + len) break;
        result.add(piece.atLength(s - before), params);
        ++k;
      }
      before += len;
    }
    result.add(last, params);
    return;
  }
  // Tolerances below what doubles resolve at this size would never be met.
  const Box b = box();
  const double size = std::max({b.xmax - b.xmin, b.ymax - b.ymin, std::abs(b.xmin), std::abs(b.xmax),
                                std::abs(b.ymin), std::abs(b.ymax)});
  const double tol = params.tolerance > 0.0 ? std::max(params.tolerance, 1e-14 * size) : 0.0;
  result.add(first, params);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const Piece& piece = pieces[i];
    if (i > 0 && params.duplicateCorners) result.add(piece.start(), params);
    if (piece.arc) {
      sampleArcInterior(piece, params.spacing, tol, params, result, counter);
    } else {
      sampleSegmentInterior(piece, params.spacing, params, result, counter);
    }
    result.add(i + 1 == pieces.size() ? last : piece.end(), params);
  }
}

void writeEllipseBlock(unsigned char* p, const zcEllipse::zcEllipseGeom& g, double t0, double t1) {
  std::fill(p, p + 176, static_cast<unsigned char>(0));
  g.writeImage(zcImageOut<zkEllipseGeomImageSize>(p, zkEllipseGeomImageSize));
  const zcXform<2> u = g.unitXform();
  u.writeImage(zcImageOut<zkXformImageSize>(p + 48, zkXformImageSize));
  const zcPoint a = u.mapPoint(zcPoint(std::cos(t0), std::sin(t0)));
  const zcPoint e = u.mapPoint(zcPoint(std::cos(t1), std::sin(t1)));
  zfStoreF64(p + 104, a.x());
  zfStoreF64(p + 112, a.y());
  zfStoreF64(p + 120, e.x());
  zfStoreF64(p + 128, e.y());
}

}  // namespace zc_conics

// Stage 1 of synthetic drawing, edges: the outline in image coordinates as pieces along
// which x and y are monotone (Monos), held downward, then cut to a window.
//
//   Outline o;
//   polyOutline(poly, M, o);                        // lines and exact elliptical arcs
//   std::vector<Mono> cut = clipPieces(o.pieces, win);
//
// Each piece starts at the point where the last one ended and close() ends the chain at
// its first point, so the cover of every row sums to zero outside the region (a gap would
// leak cover along the rest of the row). Clipping keeps per-row work bounded however far
// the outline reaches: parts above and below the window go, parts right of it go, parts
// left of it become vertical pieces on its left edge, which keep their cover.
#include "wrfm/synth_private.h"

#include <algorithm>
#include <numbers>

namespace zc_synth {

namespace {

constexpr double kPi = std::numbers::pi;

Mono lineMono(const zcPoint& a, const zcPoint& b, double w) {
  Mono m;
  m.a = a;
  m.b = b;
  m.w = w;
  return m;
}

// The parts of m before and after parameter s, which lies at q.
std::pair<Mono, Mono> cut(const Mono& m, double s, const zcPoint& q) {
  if (!m.arc) return {lineMono(m.a, q, m.w), lineMono(q, m.b, m.w)};
  Mono first = m, second = m;
  first.b = q;
  first.tb = s;
  second.a = q;
  second.ta = s;
  return {first, second};
}

}  // namespace

Mono::Param Mono::Axis::root(double value, double lo, double hi) const {
  const double q = std::clamp(r > 0.0 ? sign * (value - centre) / r : 0.0, -1.0, 1.0);
  const double theta = std::acos(q), sinTheta = std::sqrt(std::max(0.0, 1.0 - q * q));
  const double t = base + theta;
  // Outside the piece by rounding only: the nearer end.
  if (t < lo || t > hi) {
    const double e = t < lo ? lo : hi;
    return Param{e, std::cos(e), std::sin(e)};
  }
  return Param{t, cosBase * q - sinBase * sinTheta, sinBase * q + cosBase * sinTheta};
}

void Mono::prepare() {
  const double mid = 0.5 * (ta + tb);
  const auto axis = [&](double centre, double cu, double cv) {
    Axis x;
    x.centre = centre;
    x.r = std::hypot(cu, cv);
    const double phi = std::atan2(cv, cu);
    const double m = std::floor((mid - phi) / kPi);
    x.base = phi + m * kPi;
    x.sign = std::fmod(m, 2.0) != 0.0 ? -1.0 : 1.0;
    x.cosBase = std::cos(x.base);
    x.sinBase = std::sin(x.base);
    x.signOverR = x.r > 0.0 ? x.sign / x.r : 0.0;
    return x;
  };
  ax = axis(c.x(), u.x(), v.x());
  ay = axis(c.y(), u.y(), v.y());
}

// --- Outline -------------------------------------------------------------------------------------

void Outline::extend(const zcPoint& p) {
  if (!zfIsFinite(p)) throw zcShapesError::BadGeom(L"a boundary point maps to no finite image point");
  if (!started_) {
    started_ = true;
    first_ = last_ = lo = hi = p;
    return;
  }
  lo = zcPoint(std::min(lo.x(), p.x()), std::min(lo.y(), p.y()));
  hi = zcPoint(std::max(hi.x(), p.x()), std::max(hi.y(), p.y()));
}

void Outline::add(Mono m) {
  extend(m.b);
  last_ = m.b;
  // A horizontal piece adds no cover and crosses no row centre.
  if (m.a.y() == m.b.y()) return;
  if (m.a.y() > m.b.y()) {
    std::swap(m.a, m.b);
    std::swap(m.ta, m.tb);
    m.w = -1.0;
    if (!m.arc) m.ta = 0.0, m.tb = 1.0;
  }
  if (m.arc) m.prepare();
  pieces.push_back(m);
}

void Outline::line(const zcPoint& from, const zcPoint& to) {
  if (!started_) extend(from);
  add(lineMono(last_, to, 1.0));
}

void Outline::arc(const zcPoint& c, const zcVector<2>& u, const zcVector<2>& v, double t0, double t1,
                  const zcPoint* to) {
  Mono m;
  m.arc = true;
  m.c = c;
  m.u = u;
  m.v = v;
  if (!zfIsFinite(c) || !zfIsFinite(u) || !zfIsFinite(v))
    throw zcShapesError::BadGeom(L"a boundary arc maps to no finite image arc");
  if (!started_) extend(m.at(t0));
  const zcPoint end = to ? *to : m.at(t1);
  // Split where x or y turns back: at φ + kπ for either coordinate.
  const double lo = std::min(t0, t1), hi = std::max(t0, t1);
  std::vector<double> cuts;
  for (const double phi : {std::atan2(v.x(), u.x()), std::atan2(v.y(), u.y())}) {
    for (double k = std::ceil((lo - phi) / kPi); k <= std::floor((hi - phi) / kPi); k += 1.0) {
      const double s = phi + k * kPi;
      if (s > lo + 1e-12 && s < hi - 1e-12) cuts.push_back(s);
    }
  }
  std::sort(cuts.begin(), cuts.end());
  if (t1 < t0) std::reverse(cuts.begin(), cuts.end());
  double s0 = t0;
  for (std::size_t i = 0; i <= cuts.size(); ++i) {
    const double s1 = i < cuts.size() ? cuts[i] : t1;
    Mono piece = m;
    piece.a = last_;
    piece.b = i < cuts.size() ? m.at(s1) : end;
    piece.ta = s0;
    piece.tb = s1;
    add(piece);
    s0 = s1;
  }
}

void Outline::close() {
  if (started_ && last_ != first_) add(lineMono(last_, first_, 1.0));
}

void polyOutline(const zcSMDGDPoly& poly, const zcXform<2>& M, Outline& out, std::vector<zc2SegmentArc>* arcs) {
  const auto arc = [&](const zc2SegmentArc& a) {
    if (arcs) arcs->push_back(a);
    const zcEllipseArc2 e = a.ellipseArc2();
    const zcXform<2> map = M * e.ellFromUnitCirc();
    const zcMatrix<2> m = map.matrix();
    const double t0 = e.phiStart().value();
    out.arc(map.trans(), m * zcVector<2>(1.0, 0.0), m * zcVector<2>(0.0, 1.0), t0, t0 + e.phiSpan().value());
  };
  const auto& starts = poly.roundedStartPoints();
  const auto& ends = poly.roundedEndPoints();
  const long n = poly.numVertices();
  // Room for a segment and a rounding of a few monotone pieces per vertex.
  out.pieces.reserve(out.pieces.size() + static_cast<std::size_t>(n) * 6);
  for (long k = 0; k < n; ++k) {
    const long s = poly.previousSegmentIndex_(k);
    if (s < 0) continue;
    if (poly.isSegmentArc_(s)) {
      arc(poly.roundedArcSegment_(s));
    } else {
      const long from = poly.previousVertexIndex_(s);
      // Roundings that consume the whole segment leave nothing of it.
      if (ends[from] != starts[k]) out.line(M.mapPoint(ends[from]), M.mapPoint(starts[k]));
    }
    if (poly.isVertexRounded_(k)) arc(poly.roundedArcVertex_(k));
  }
  out.close();
}

// --- Windows and clipping ------------------------------------------------------------------------

Window bufferWindow(const zcPelBuffer_const<unsigned char>& pb) {
  if (!pb.isBound()) throw zcPel::UnboundWindow();
  const long x = pb.offset().x(), y = pb.offset().y();
  return Window{x, y, x + pb.width(), y + pb.height()};
}

Window boxWindow(const zcPoint& lo, const zcPoint& hi, const Window& within) {
  return Window{clampToLong(std::floor(lo.x()), within.x0, within.x1),
                clampToLong(std::floor(lo.y()), within.y0, within.y1),
                clampToLong(std::ceil(hi.x()), within.x0, within.x1),
                clampToLong(std::ceil(hi.y()), within.y0, within.y1)};
}

std::vector<Mono> clipPieces(const std::vector<Mono>& pieces, const Window& win) {
  const double x0 = static_cast<double>(win.x0), x1 = static_cast<double>(win.x1);
  const double y0 = static_cast<double>(win.y0), y1 = static_cast<double>(win.y1);
  std::vector<Mono> out;
  out.reserve(pieces.size() + 8);
  const auto keep = [&](Mono m) {
    if (m.arc) {
      // Into the x axis's frame: turned back by ax.base.
      const double cx = m.ax.cosBase, sx = m.ax.sinBase, cy = m.ay.cosBase, sy = m.ay.sinBase;
      const double ca = std::cos(m.ta), sa = std::sin(m.ta), cb = std::cos(m.tb), sb = std::sin(m.tb);
      m.q0 = cx * ca + sx * sa, m.s0 = cx * sa - sx * ca;
      m.qEnd = cx * cb + sx * sb, m.sEnd = cx * sb - sx * cb;
      m.xr = m.ax.sign * m.ax.r;
      m.yq = m.u.y() * cx + m.v.y() * sx;
      m.ys = m.v.y() * cx - m.u.y() * sx;
      m.turnCos = cy * cx + sy * sx;
      m.turnSin = sy * cx - cy * sx;
      m.hd = m.halfDet();
    }
    m.px = clampFast(m.a.x(), x0, x1);
    m.py = m.a.y();
    m.pcol = fastFloor(m.px);
    const double dx = m.b.x() - m.a.x(), dy = m.b.y() - m.a.y();
    m.dxdy = dx / dy;
    m.dydx = dx != 0.0 ? dy / dx : 0.0;
    if (dy > 0.0) out.push_back(m);
  };
  for (Mono m : pieces) {
    if (m.b.y() <= y0 || m.a.y() >= y1) continue;
    if (m.a.y() < y0) {
      const double s = m.tAtY(y0);
      m = cut(m, s, zcPoint(m.at(s).x(), y0)).second;
    }
    if (m.b.y() > y1) {
      const double s = m.tAtY(y1);
      m = cut(m, s, zcPoint(m.at(s).x(), y1)).first;
    }
    const double lo = std::min(m.a.x(), m.b.x()), hi = std::max(m.a.x(), m.b.x());
    if (lo >= x1) continue;
    if (hi <= x0) {
      keep(lineMono(zcPoint(x0, m.a.y()), zcPoint(x0, m.b.y()), m.w));
      continue;
    }
    const bool rightward = m.b.x() > m.a.x();
    if (lo < x0) {
      const double s = m.tAtX(x0);
      const zcPoint q(x0, std::clamp(m.at(s).y(), m.a.y(), m.b.y()));
      auto [first, second] = cut(m, s, q);
      Mono& left = rightward ? first : second;
      keep(lineMono(zcPoint(x0, left.a.y()), zcPoint(x0, left.b.y()), m.w));
      m = rightward ? second : first;
    }
    if (hi > x1) {
      const double s = m.tAtX(x1);
      const zcPoint q(x1, std::clamp(m.at(s).y(), m.a.y(), m.b.y()));
      auto [first, second] = cut(m, s, q);
      m = rightward ? first : second;
    }
    keep(m);
  }
  return out;
}

}  // namespace zc_synth

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
#include "wrfm/arc_private.h"
#include "wrfm/synth_private.h"

#include <algorithm>
#include <numbers>

namespace zc_synth {

namespace {

constexpr double kPi = std::numbers::pi;

// std::fmod(k, 2) != 0 for an integral k: true for an odd one and a non-finite one.
bool odd(double k) {
  return std::abs(k) < 9007199254740992.0 ? (static_cast<long long>(k) & 1) != 0 : !std::isfinite(k);
}

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
  first.cosB = second.cosA = std::cos(s);
  first.sinB = second.sinA = std::sin(s);
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

// φ = atan2(cv, cu) and r = hypot(cu, cv). Where one of them is 0 (an axis-aligned
// map), both are exact and the library gives what is set here: ±0 or ±π, ±π/2, |cu|
// or |cv|.
Mono::Frame::Frame(double cu, double cv) {
  if (cv == 0.0 && cu != 0.0) {
    phi = cu > 0.0 ? cv : std::copysign(kPi, cv);
    r = std::abs(cu);
  } else if (cu == 0.0 && cv != 0.0) {
    phi = cv > 0.0 ? kPi / 2.0 : -kPi / 2.0;
    r = std::abs(cv);
  } else {
    phi = std::atan2(cv, cu);
    r = std::hypot(cu, cv);
  }
}

Mono::Axis Mono::Frame::axis(double centre, double mid) {
  const double k = std::floor((mid - phi) / kPi);
  if (!(k == m)) {
    m = k;
    base = phi + k * kPi;
    // cos ±0 is 1 and sin ±0 is ±0, exactly.
    cosBase = base == 0.0 ? 1.0 : std::cos(base);
    sinBase = base == 0.0 ? base : std::sin(base);
  }
  Axis x;
  x.centre = centre;
  x.r = r;
  x.base = base;
  x.sign = odd(k) ? -1.0 : 1.0;
  x.cosBase = cosBase;
  x.sinBase = sinBase;
  x.signOverR = r > 0.0 ? x.sign / r : 0.0;
  return x;
}

void Mono::prepare(Frame& x, Frame& y) {
  const double mid = 0.5 * (ta + tb);
  ax = x.axis(c.x(), mid);
  ay = y.axis(c.y(), mid);
}

// --- Outline -------------------------------------------------------------------------------------

namespace {

// The storage that outlines leave to the next on their thread, up to this many pieces.
constexpr std::size_t kSparePieces = 1024;
std::vector<Mono>& sparePieces() {
  thread_local std::vector<Mono> spare;
  return spare;
}

}  // namespace

Outline::Outline() { pieces.swap(sparePieces()); }

Outline::~Outline() {
  std::vector<Mono>& spare = sparePieces();
  if (pieces.capacity() <= kSparePieces && pieces.capacity() > spare.capacity()) {
    pieces.clear();
    pieces.swap(spare);
  }
}

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

template <class Fill>
void Outline::add(const zcPoint& to, Fill&& fill, Mono::Frame* frames) {
  const zcPoint from = last_;
  extend(to);
  last_ = to;
  // A horizontal piece adds no cover and crosses no row centre.
  if (from.y() == to.y()) return;
  Mono& m = pieces.emplace_back();
  m.a = from;
  m.b = to;
  fill(m);
  if (m.a.y() > m.b.y()) {
    std::swap(m.a, m.b);
    std::swap(m.ta, m.tb);
    std::swap(m.cosA, m.cosB);
    std::swap(m.sinA, m.sinB);
    m.w = -1.0;
    if (!m.arc) m.ta = 0.0, m.tb = 1.0;
  }
  if (frames) m.prepare(frames[0], frames[1]);  // an arc
}

void Outline::line(const zcPoint& from, const zcPoint& to) {
  if (!started_) extend(from);
  add(to, [](Mono&) {});
}

void Outline::arc(const zcPoint& c, const zcVector<2>& u, const zcVector<2>& v, double t0, double t1) {
  if (!zfIsFinite(c) || !zfIsFinite(u) || !zfIsFinite(v))
    throw zcShapesError::BadGeom(L"a boundary arc maps to no finite image arc");
  Mono::Frame frames[2] = {Mono::Frame(u.x(), v.x()), Mono::Frame(u.y(), v.y())};
  // The piece's parameters at its ends, with their cosines and sines.
  double ta = t0, cosA = std::cos(t0), sinA = std::sin(t0);
  if (!started_) extend(c + u * cosA + v * sinA);
  // Split where x or y turns back: at φ + kπ for either coordinate, at most three
  // times each for a span of at most 2π.
  const double lo = std::min(t0, t1), hi = std::max(t0, t1);
  double cuts[8];
  std::size_t n = 0;
  for (const Mono::Frame& f : frames) {
    for (double k = std::ceil((lo - f.phi) / kPi); k <= std::floor((hi - f.phi) / kPi) && n < 8; k += 1.0) {
      const double s = f.phi + k * kPi;
      if (s > lo + 1e-12 && s < hi - 1e-12) cuts[n++] = s;
    }
  }
  // In the order of travel (insertion: a handful at most).
  for (std::size_t i = 1; i < n; ++i)
    for (std::size_t j = i; j > 0 && (t1 < t0 ? cuts[j - 1] < cuts[j] : cuts[j] < cuts[j - 1]); --j)
      std::swap(cuts[j - 1], cuts[j]);
  for (std::size_t i = 0; i <= n; ++i) {
    const double tb = i < n ? cuts[i] : t1, cosB = std::cos(tb), sinB = std::sin(tb);
    const auto fill = [&](Mono& m) {
      m.arc = true;
      m.c = c;
      m.u = u;
      m.v = v;
      m.ta = ta, m.cosA = cosA, m.sinA = sinA;
      m.tb = tb, m.cosB = cosB, m.sinB = sinB;
    };
    add(c + u * cosB + v * sinB, fill, frames);
    ta = tb, cosA = cosB, sinA = sinB;
  }
}

void Outline::close() {
  if (started_ && last_ != first_) add(first_, [](Mono&) {});
}

void polyOutline(const zcSMDGDPoly& poly, const zcXform<2>& M, Outline& out, std::vector<zc2SegmentArc>* arcs) {
  const auto arc = [&](const zc2SegmentArc& a) {
    if (arcs) arcs->push_back(a);
    const zc2SegmentArcPrivate::UnitCircleArc e = zc2SegmentArcPrivate::unitCircleArc(a);
    const zcXform<2> map = M * e.ellFromUnitCirc;
    const zcMatrix<2> m = map.matrix();
    out.arc(map.trans(), m * zcVector<2>(1.0, 0.0), m * zcVector<2>(0.0, 1.0), e.phiStart, e.phiStart + e.phiSpan);
  };
  // Room for a segment and a rounding of a few monotone pieces per vertex.
  out.pieces.reserve(out.pieces.size() + static_cast<std::size_t>(poly.numVertices()) * 6);
  if (arcs) arcs->reserve(arcs->size() + static_cast<std::size_t>(poly.numVertices()) * 2);
  eachRoundedPiece(
      poly, [&](const zcVector<2>& from, const zcVector<2>& to) { out.line(M.mapPoint(from), M.mapPoint(to)); }, arc);
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
  const auto keep = [&](const Mono& piece) {
    Mono& m = out.emplace_back(piece);
    if (m.arc) {
      // Into the x axis's frame: turned back by ax.base.
      const double cx = m.ax.cosBase, sx = m.ax.sinBase, cy = m.ay.cosBase, sy = m.ay.sinBase;
      const double ca = m.cosA, sa = m.sinA, cb = m.cosB, sb = m.sinB;
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
    if (!(dy > 0.0)) out.pop_back();
  };
  for (const Mono& piece : pieces) {
    if (piece.b.y() <= y0 || piece.a.y() >= y1) continue;
    // Wholly within the window (and not on its edges alone): kept as it is.
    const double left = std::min(piece.a.x(), piece.b.x()), right = std::max(piece.a.x(), piece.b.x());
    if (piece.a.y() >= y0 && piece.b.y() <= y1 && left >= x0 && right <= x1 && left < x1 && right > x0) {
      keep(piece);
      continue;
    }
    Mono m = piece;
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

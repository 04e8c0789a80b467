#include "zfound/genrect.h"

#include "genrect_support.h"
#include "zfound/conics.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/trees.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <vector>

using namespace zc_genrect;

namespace {

// A corner fraction at or below this counts as 0: the corners are then sharp.
constexpr double kZeroRounding = 1e-15;
// Relative slack of the inside test in the square frame, so that boundary points
// computed in floating point count as inside.
constexpr double kInsideSlack = 1e-12;

zcMatrix<2> fromColumns(const zcVector<2>& a, const zcVector<2>& b) {
  return zcMatrix<2>(a.x(), b.x(), a.y(), b.y());
}

// The inverse of a rectangle's matrix; a rectangle without one is degenerate.
zcMatrix<2> invertOrDegenerate(const zcMatrix<2>& m) {
  try {
    return m.inverse();
  } catch (const zcMathError::Singular&) {
    throw zcShapesError::DegenerateShape(L"a general rectangle needs a nonsingular matrix");
  }
}

// Fractions from corner radii in world units along half sides of the given lengths.
zcVector<2> fractionsFromRadii(const zcVector<2>& round, double hx, double hy) {
  if (!zfIsFinite(round)) throw zcShapesError::BadParams(L"non-finite corner radius");
  auto one = [](double r, double h) {
    // A radius a rounding error above its half side still makes a full quarter ellipse.
    if (r < 0.0 || r > h * (1.0 + 1e-12)) throw zcShapesError::BadRadius(L"corner radius outside [0, half side]");
    return std::min(r / h, 1.0);
  };
  return zcVector<2>(one(round.x(), hx), one(round.y(), hy));
}

// Inside test in the square frame with a margin: a positive slack accepts points
// just outside, a negative one refuses points just inside (strict interior).
bool squareWithin(const zcVector<2>& q, const zcVector<2>& f, double slack) {
  const double ax = std::abs(q.x());
  const double ay = std::abs(q.y());
  if (!(ax <= 1.0 + slack) || !(ay <= 1.0 + slack)) return false;
  if (f.x() == 0.0) return true;
  const double dx = ax - (1.0 - f.x());
  const double dy = ay - (1.0 - f.y());
  if (dx <= 0.0 || dy <= 0.0) return true;
  const double ex = dx / f.x();
  const double ey = dy / f.y();
  return ex * ex + ey * ey <= 1.0 + 2.0 * slack;
}

}  // namespace

// --- Shared helpers (genrect_support.h) ---------------------------------------------

namespace zc_genrect {

zcPoint nearestOnSegment(const zcPoint& a, const zcPoint& b, const zcPoint& p) {
  const zcVector<2> d = b - a;
  const double len2 = d.lengthSq();
  if (len2 == 0.0) return a;
  const double t = std::clamp((p - a).dot(d) / len2, 0.0, 1.0);
  return a + d * t;
}

zcPoint Piece::at(double t) const { return center + u * std::cos(t) + v * std::sin(t); }

zcPoint Piece::nearest(const zcPoint& p) const {
  if (!arc) return nearestOnSegment(a, b, p);
  // The derivative of the squared distance, up to a factor 2: (P(t) − p)·P'(t).
  auto slope = [&](double t) {
    const zcVector<2> d = -u * std::sin(t) + v * std::cos(t);
    return (at(t) - p).dot(d);
  };
  zcPoint best = at(t0);
  double bestDist = best.distance(p);
  auto consider = [&](double t) {
    const zcPoint q = at(t);
    const double d = q.distance(p);
    if (d < bestDist) {
      bestDist = d;
      best = q;
    }
  };
  consider(t1);
  // Local minima are where the slope turns from negative to positive; a grid finds
  // them apart (a quarter ellipse seen from outside has one), bisection pins them.
  constexpr int kSteps = 32;
  double tPrev = t0;
  double sPrev = slope(t0);
  for (int i = 1; i <= kSteps; ++i) {
    const double t = i == kSteps ? t1 : t0 + (t1 - t0) * i / kSteps;
    const double s = slope(t);
    if (sPrev < 0.0 && s >= 0.0) {
      double lo = tPrev;
      double hi = t;
      for (int k = 0; k < 200 && hi - lo > 0.0; ++k) {
        const double mid = 0.5 * (lo + hi);
        if (mid <= lo || mid >= hi) break;
        (slope(mid) < 0.0 ? lo : hi) = mid;
      }
      consider(lo);
      consider(hi);
    }
    tPrev = t;
    sPrev = s;
  }
  return best;
}

double largestSingularValue(const zcVector<2>& u, const zcVector<2>& v) {
  const double s = u.lengthSq() + v.lengthSq();
  const double d = std::abs(u.cross(v));
  const double disc = std::max(0.0, (s - 2.0 * d) * (s + 2.0 * d));
  return std::sqrt(0.5 * (s + std::sqrt(disc)));
}

double ellipsePerimeter(const zcVector<2>& u, const zcVector<2>& v) {
  // Semi-axes from the conjugate semi-diameters u, v: the singular values of [u v].
  const double a = largestSingularValue(u, v);
  if (a == 0.0) return 0.0;
  const double b = std::abs(u.cross(v)) / a;
  // Gauss's arithmetic-geometric mean: P = 2π (a² − Σ 2^(n−1) cₙ²) / AGM(a, b).
  double an = a;
  double bn = b;
  double weight = 0.5;
  double sum = weight * (a - b) * (a + b);
  for (int i = 0; i < 64 && an - bn > 1e-16 * an; ++i) {
    const double c = 0.5 * (an - bn);
    const double next = 0.5 * (an + bn);
    bn = std::sqrt(an * bn);
    an = next;
    weight *= 2.0;
    sum += weight * c * c;
  }
  return 2.0 * zkPi * (a * a - sum) / (0.5 * (an + bn));
}

double samplingTolerance(const zcSampleParams& params, double size) {
  if (params.tolerance <= 0.0) return 0.0;
  // Below this the chords cannot be told from the curve in double precision.
  return std::max(params.tolerance, 1e-13 * size);
}

long stepCount(double count) {
  if (!(count <= static_cast<double>(kMaxSampleSteps)))
    throw zcShapesError::SampleOverflow(L"sampling would need too many points");
  return std::max(1L, static_cast<long>(std::ceil(count)));
}

void samplePieces(const std::vector<Piece>& pieces, bool cornersBetweenPieces, const zcSampleParams& params,
                  double tolerance, zcSampleResult& result) {
  if (pieces.empty()) return;
  const zcPoint start = pieces.front().arc ? pieces.front().at(pieces.front().t0) : pieces.front().a;
  result.add(start, params);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const Piece& piece = pieces[i];
    long n = 1;
    if (piece.arc) {
      const double sweep = piece.t1 - piece.t0;
      const double sigma = largestSingularValue(piece.u, piece.v);
      // |P''| <= σ bounds the sagitta of a parameter step Δt by σ Δt² / 8, and |P'| <= σ
      // bounds its arc length by σ Δt.
      if (tolerance > 0.0) n = std::max(n, stepCount(sweep / std::sqrt(8.0 * tolerance / sigma)));
      if (params.spacing > 0.0) n = std::max(n, stepCount(sigma * sweep / params.spacing));
      for (long k = 1; k < n; ++k) result.add(piece.at(piece.t0 + sweep * k / n), params);
      result.add(i + 1 == pieces.size() ? start : piece.at(piece.t1), params);
    } else {
      if (params.spacing > 0.0) n = stepCount(piece.a.distance(piece.b) / params.spacing);
      for (long k = 1; k < n; ++k) result.add(piece.a + (piece.b - piece.a) * (static_cast<double>(k) / n), params);
      const bool last = i + 1 == pieces.size();
      result.add(last ? start : piece.b, params);
      if (cornersBetweenPieces && params.duplicateCorners && !last) result.add(piece.b, params);
    }
  }
}

void sampleUniform(const std::vector<zcPoint>& ring, const zcSampleParams& params, zcSampleResult& result) {
  double total = 0.0;
  for (std::size_t i = 0; i + 1 < ring.size(); ++i) total += ring[i].distance(ring[i + 1]);
  stepCount(total / params.spacing);
  result.add(ring.front(), params);
  // Positions k · spacing along the ring, computed from k so that no error builds up.
  long k = 1;
  double before = 0.0;  // arc length at the start of edge i
  for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
    const double len = ring[i].distance(ring[i + 1]);
    for (;;) {
      const double s = static_cast<double>(k) * params.spacing;
      if (s >= total || s > before + len) break;
      const double t = len > 0.0 ? std::clamp((s - before) / len, 0.0, 1.0) : 0.0;
      result.add(ring[i] + (ring[i + 1] - ring[i]) * t, params);
      ++k;
    }
    before += len;
  }
  result.add(ring.back(), params);
}

zcRect boxOf(const Box& box) {
  return zcRect(zcPoint(box.xmin, box.ymin), zcVector<2>(box.xmax - box.xmin, box.ymax - box.ymin));
}

}  // namespace zc_genrect

// --- zcGenRect ----------------------------------------------------------------------

const zc_Instantiator zcGenRect::sExemplar(typeid(zcGenRect), "zcGenRect", &zcGenRect::make);

zcPersistent* zcGenRect::make() { return new zcGenRect; }

// Through assign, so that the derived values (U, the orientation) are the ones a
// reloaded square computes, signs of zeros included.
zcGenRect::zcGenRect() { assign(zcVector<2>(), zcMatrix<2>(1, 0, 0, 1), zcVector<2>()); }

zcGenRect::zcGenRect(const zcVector<2>& center, const zcMatrix<2>& toSquare, const zcVector<2>& roundFractions) {
  if (!zfIsFinite(center) || !zfIsFinite(toSquare) || !zfIsFinite(roundFractions))
    throw zcShapesError::BadParams(L"non-finite general rectangle");
  const auto fractionOk = [](double f) { return f >= 0.0 && f <= 1.0; };
  if (!fractionOk(roundFractions.x()) || !fractionOk(roundFractions.y()))
    throw zcShapesError::BadRadius(L"rounding fraction outside [0, 1]");
  assign(center, toSquare, roundFractions);
}

void zcGenRect::assign(const zcVector<2>& center, const zcMatrix<2>& toSquare, const zcVector<2>& roundFractions) {
  // U always comes from M the same way, so that equal stored forms have equal images.
  fromSquare_ = invertOrDegenerate(toSquare);
  center_ = center;
  toSquare_ = toSquare;
  fractions_ = roundFractions;
}

zcGenRect::zcGenRect(const zcVector<2>& center, const zcVector<2>& halfSizes, zcRadian orient,
                     const zcVector<2>& round) {
  if (!zfIsFinite(center) || !zfIsFinite(halfSizes) || !std::isfinite(orient.value()))
    throw zcShapesError::BadParams(L"non-finite general rectangle");
  if (halfSizes.x() < 0.0 || halfSizes.y() < 0.0) throw zcShapesError::BadParams(L"negative half size");
  if (halfSizes.x() == 0.0 || halfSizes.y() == 0.0)
    throw zcShapesError::DegenerateShape(L"a general rectangle needs two non-zero half sizes");
  const zcVector<2> fractions = fractionsFromRadii(round, halfSizes.x(), halfSizes.y());
  const zcMatrix<2> u = zcMatrix<2>::rotation(orient) * zcMatrix<2>::scaling(halfSizes.x(), halfSizes.y());
  assign(center, invertOrDegenerate(u), fractions);
}

zcGenRect::zcGenRect(const zcVector<2>& center, const zcVector<2>& xHalfSide, const zcVector<2>& yHalfSide,
                     const zcVector<2>& round) {
  if (!zfIsFinite(center) || !zfIsFinite(xHalfSide) || !zfIsFinite(yHalfSide))
    throw zcShapesError::BadParams(L"non-finite general rectangle");
  const double hx = xHalfSide.length();
  const double hy = yHalfSide.length();
  if (hx == 0.0 || hy == 0.0) throw zcShapesError::DegenerateShape(L"a general rectangle needs two non-zero sides");
  const zcVector<2> fractions = fractionsFromRadii(round, hx, hy);
  assign(center, invertOrDegenerate(fromColumns(xHalfSide, yHalfSide)), fractions);
}

zcGenRect::zcGenRect(const zcRect& rect) {
  const double x = rect.x();
  const double y = rect.y();
  const double w = rect.width();
  const double h = rect.height();
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h))
    throw zcShapesError::BadParams(L"non-finite rectangle");
  assign(zcVector<2>(x + 0.5 * w, y + 0.5 * h), invertOrDegenerate(zcMatrix<2>::scaling(0.5 * w, 0.5 * h)),
         zcVector<2>());
}

zcGenRect zcGenRect::fromUnitXform(const zcXform<2>& unitXform, const zcVector<2>& roundFractions) {
  const zcMatrix<2> u = unitXform.matrix();
  if (!zfIsFinite(u)) throw zcShapesError::BadParams(L"non-finite general rectangle");
  return zcGenRect(unitXform.trans(), invertOrDegenerate(u), roundFractions);
}

zcGenRect::zcGenRect(const zcGenRect& other) = default;

zcGenRect& zcGenRect::operator=(const zcGenRect&) = default;

zcGenRect::~zcGenRect() = default;

zcVector<2> zcGenRect::halfSizes() const { return zcVector<2>(xHalfSide().length(), yHalfSide().length()); }

zcVector<2> zcGenRect::round() const {
  const zcVector<2> h = halfSizes();
  return zcVector<2>(fractions_.x() * h.x(), fractions_.y() * h.y());
}

bool zcGenRect::isSharp() const {
  return std::abs(fractions_.x()) <= kZeroRounding || std::abs(fractions_.y()) <= kZeroRounding;
}

std::array<zcPoint, 4> zcGenRect::corners() const {
  const zcXform<2> u = unitXform();
  return {u.mapPoint(zcPoint(-1, -1)), u.mapPoint(zcPoint(1, -1)), u.mapPoint(zcPoint(1, 1)),
          u.mapPoint(zcPoint(-1, 1))};
}

std::vector<Piece> zc_genrect::boundaryPieces(const zcGenRect& g) {
  const zcXform<2> u = g.unitXform();
  std::vector<Piece> pieces;
  if (g.isSharp()) {
    const std::array<zcPoint, 4> c = g.corners();
    for (int i = 0; i < 4; ++i) pieces.push_back(Piece::segment(c[i], c[(i + 1) % 4]));
    return pieces;
  }
  const double fx = g.roundFractions().x();
  const double fy = g.roundFractions().y();
  const double ax = 1.0 - fx;
  const double ay = 1.0 - fy;
  const zcVector<2> ru = g.xHalfSide() * fx;
  const zcVector<2> rv = g.yHalfSide() * fy;
  auto side = [&](double x0, double y0, double x1, double y1) {
    // A side shrunk to nothing by full rounding leaves two arcs meeting.
    if (x0 == x1 && y0 == y1) return;
    pieces.push_back(Piece::segment(u.mapPoint(zcPoint(x0, y0)), u.mapPoint(zcPoint(x1, y1))));
  };
  auto corner = [&](double cx, double cy, double from) {
    pieces.push_back(Piece::ellipseArc(u.mapPoint(zcPoint(cx, cy)), ru, rv, from, from + 0.5 * zkPi));
  };
  side(-ax, -1.0, ax, -1.0);
  corner(ax, -ay, -0.5 * zkPi);
  side(1.0, -ay, 1.0, ay);
  corner(ax, ay, 0.0);
  side(ax, 1.0, -ax, 1.0);
  corner(-ax, ay, 0.5 * zkPi);
  side(-1.0, ay, -1.0, -ay);
  corner(-ax, -ay, zkPi);
  return pieces;
}

Box zc_genrect::boxOf(const zcGenRect& g) {
  // The rounded square is the Minkowski sum of the rectangle [−ax, ax] × [−ay, ay]
  // and the ellipse of radii (fx, fy); boxes of Minkowski sums add.
  const bool sharp = g.isSharp();
  const double fx = sharp ? 0.0 : g.roundFractions().x();
  const double fy = sharp ? 0.0 : g.roundFractions().y();
  const zcMatrix<2> u = g.unitXform().matrix();
  auto half = [&](int row) {
    const double a = u.element(row, 0);
    const double b = u.element(row, 1);
    return std::abs(a) * (1.0 - fx) + std::abs(b) * (1.0 - fy) + std::hypot(a * fx, b * fy);
  };
  const double hx = half(0);
  const double hy = half(1);
  const zcPoint c = g.center();
  return Box{c.x() - hx, c.y() - hy, c.x() + hx, c.y() + hy};
}

zcRect zcGenRect::boundingBox() const { return zc_genrect::boxOf(zc_genrect::boxOf(*this)); }

zcShapePtr zcGenRect::decompose() const {
  std::vector<zcShapePtr> out;
  for (const Piece& p : boundaryPieces(*this)) {
    if (!p.arc) {
      out.push_back(zcShapePtr(new zcLineSeg(p.a, p.b)));
      continue;
    }
    const zcEllipse2 e(zcXform<2>(fromColumns(p.u, p.v), p.center));
    out.push_back(zcShapePtr(new zcEllipseArc2(e, zcRadian(p.t0), zcRadian(p.t1 - p.t0))));
  }
  return zcShapePtr(new zcContourTree(std::move(out), true));
}

zcPoint zcGenRect::nearestBoundaryPoint(const zcPoint& p) const {
  const std::vector<Piece> pieces = boundaryPieces(*this);
  zcPoint best = pieces.front().nearest(p);
  double bestDist = best.distance(p);
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const zcPoint q = pieces[i].nearest(p);
    const double d = q.distance(p);
    if (d < bestDist) {
      bestDist = d;
      best = q;
    }
  }
  return best;
}

zcPoint zcGenRect::nearestPoint(const zcPoint& p) const {
  if (within(p)) return p;
  return nearestBoundaryPoint(p);
}

double zcGenRect::perimeter() const {
  const double hx = xHalfSide().length();
  const double hy = yHalfSide().length();
  if (isSharp()) return 4.0 * (hx + hy);
  // The four corner arcs are the four quarters of one ellipse.
  const double fx = fractions_.x();
  const double fy = fractions_.y();
  return 4.0 * ((1.0 - fx) * hx + (1.0 - fy) * hy) + ellipsePerimeter(xHalfSide() * fx, yHalfSide() * fy);
}

bool zcGenRect::isRightHanded() const { return fromSquare_.determinant() > 0.0; }

bool zcGenRect::within(const zcPoint& p) const {
  const zcVector<2> f = isSharp() ? zcVector<2>() : fractions_;
  return squareWithin(toSquare_ * (p - center_), f, kInsideSlack);
}

bool zc_genrect::strictlyWithin(const zcGenRect& g, const zcPoint& p) {
  const zcVector<2> f = g.isSharp() ? zcVector<2>() : g.roundFractions();
  return squareWithin(g.matrix() * (p - g.center()), f, -kInsideSlack);
}

zcGenRect zcGenRect::map(const zcXform<2>& x) const {
  const zcMatrix<2> m = toSquare_ * x.matrix().inverse();  // zcMathError::Singular for a singular map
  const zcPoint c = x.mapPoint(center_);
  if (!zfIsFinite(m) || !zfIsFinite(c)) throw zcShapesError::DegenerateShape(L"the mapped rectangle overflows");
  zcGenRect g;
  g.assign(c, m, fractions_);
  return g;
}

zcShapePtr zcGenRect::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcGenRect(map(x))); }

void zcGenRect::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  if (params.uniform) {
    if (!isSharp()) throw zcShapesError::BadParams(L"uniform sampling of a rounded rectangle");
    const std::array<zcPoint, 4> c = corners();
    sampleUniform({c[0], c[1], c[2], c[3], c[0]}, params, result);
    return;
  }
  const Box box = boxOf(*this);
  const double size = std::max(box.xmax - box.xmin, box.ymax - box.ymin);
  samplePieces(boundaryPieces(*this), isSharp(), params, samplingTolerance(params, size), result);
}

zcShapePtr zcGenRect::clone() const { return zcShapePtr(new zcGenRect(*this)); }

bool zcGenRect::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcGenRect)) return false;
  const auto& g = static_cast<const zcGenRect&>(other);
  return center_ == g.center_ && toSquare_ == g.toSquare_ && fractions_ == g.fractions_;
}

zcShapePtr zcGenRect::reverse_() const {
  const zcMatrix<2> flip = zcMatrix<2>::scaling(1.0, -1.0);
  auto* g = new zcGenRect(*this);
  g->assign(center_, flip * toSquare_, fractions_);
  return zcShapePtr(g);
}

bool zfRealEq(const zcGenRect& a, const zcGenRect& b, double tol) {
  return zfRealEq(a.center(), b.center(), tol) && zfRealEq(a.unitXform().matrix(), b.unitXform().matrix(), tol) &&
         zfRealEq(a.roundFractions(), b.roundFractions(), tol);
}

// --- zcGenRect: archive form and value image ------------------------------------------

void zc_genrect::serializeFields(zcArchive& archive, zcGenRect& g) {
  zcVector<2> c = g.center();
  zcMatrix<2> m = g.matrix();
  double e[4] = {m.element(0, 0), m.element(0, 1), m.element(1, 0), m.element(1, 1)};
  zcVector<2> f = g.roundFractions();
  archive || c || e[0] || e[1] || e[2] || e[3] || f;
  if (archive.isLoading()) {
    try {
      g = zcGenRect(c, zcMatrix<2>(e[0], e[1], e[2], e[3]), f);
    } catch (const zcShapesError::Errors&) {
      throw zcArchive::BadFormat(L"the archive holds an invalid general rectangle");
    }
  }
}

void zcGenRect::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGenRect", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/genrect", __LINE__);
    zcShape::dispatchSerialize(archive);
    if (archive.isStoring()) {
      serializeFields(archive, *this);
      return;
    }
    // Read into a copy, so that a refused rectangle leaves this one as it was.
    zcGenRect loaded(*this);
    serializeFields(archive, loaded);
    *this = loaded;
  });
}

void zc_genrect::writeBlock(unsigned char* p, const zcGenRect& g) {
  const zcMatrix<2>& m = g.matrix();
  zfStoreF64(p + 0, g.center().x());
  zfStoreF64(p + 8, g.center().y());
  zfStoreF64(p + 16, m.element(0, 0));
  zfStoreF64(p + 24, m.element(0, 1));
  zfStoreF64(p + 32, m.element(1, 0));
  zfStoreF64(p + 40, m.element(1, 1));
  zfStoreF64(p + 48, m.determinant());
  zfStoreF64(p + 56, g.roundFractions().x());
  zfStoreF64(p + 64, g.roundFractions().y());
  const zcVector<2> h = g.halfSizes();
  zfStoreF64(p + 72, h.x());
  zfStoreF64(p + 80, h.y());
  zfStoreF64(p + 88, g.orient().value());
}

void zc_genrect::writeTail(unsigned char* p, const zcGenRect& g) {
  const zcMatrix<2> u = g.unitXform().matrix();
  zfStoreF64(p + 0, u.element(0, 0));
  zfStoreF64(p + 8, u.element(0, 1));
  zfStoreF64(p + 16, u.element(1, 0));
  zfStoreF64(p + 24, u.element(1, 1));
  zfStoreF64(p + 32, u.determinant());
  const zcVector<2> r = g.round();
  zfStoreF64(p + 40, r.x());
  zfStoreF64(p + 48, r.y());
}

zcGenRect zc_genrect::readBlock(const unsigned char* p) {
  const zcVector<2> c(zfLoadF64(p + 0), zfLoadF64(p + 8));
  const zcMatrix<2> m(zfLoadF64(p + 16), zfLoadF64(p + 24), zfLoadF64(p + 32), zfLoadF64(p + 40));
  const zcVector<2> f(zfLoadF64(p + 56), zfLoadF64(p + 64));
  return zcGenRect(c, m, f);
}

void zcGenRect::writeImage(zcImageOut<zkGenRectImageSize> out) const {
  std::fill(out.begin(), out.end(), static_cast<unsigned char>(0));
  writeBlock(out.data(), *this);
  writeTail(out.data() + zkGenRectImageV0Size, *this);
}

zcGenRect zcGenRect::readImage(zcImageIn<zkGenRectImageSize> in) { return readBlock(in.data()); }

zcGenRect zcGenRect::readImageV0(zcImageIn<zkGenRectImageV0Size> in) { return readBlock(in.data()); }

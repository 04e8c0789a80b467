// Cubic splines (zfound/curves): chains of Bézier pieces, and the de Boor,
// interpolating and Hermite splines that derive their pieces from their own data.
#include "curves_private.h"
#include "zfound/rect.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

namespace {


// Solves the tridiagonal system sub[i] x[i−1] + diag[i] x[i] + sup[i] x[i+1] = rhs[i]
// (Thomas algorithm; the systems here are diagonally dominant).
std::vector<zcVector<2>> solveTridiagonal(const std::vector<double>& sub, std::vector<double> diag,
                                          const std::vector<double>& sup, std::vector<zcVector<2>> rhs) {
  const std::size_t n = diag.size();
  for (std::size_t i = 1; i < n; ++i) {
    const double m = sub[i] / diag[i - 1];
    diag[i] -= m * sup[i - 1];
    rhs[i] -= rhs[i - 1] * m;
  }
  std::vector<zcVector<2>> x(n);
  x[n - 1] = rhs[n - 1] / diag[n - 1];
  for (std::size_t i = n - 1; i-- > 0;) x[i] = (rhs[i] - x[i + 1] * sup[i]) / diag[i];
  return x;
}

zcBezierCurve hermitePiece(const zcPoint& a, const zcVector<2>& da, const zcPoint& b, const zcVector<2>& db) {
  return zcBezierCurve(a, a + da / 3.0, b - db / 3.0, b);
}

}  // namespace

// --- Helpers -----------------------------------------------------------------------------

void zcCubicSplinePrivate::checkJoins(const std::vector<zcBezierCurve>& pieces) {
  double size = 0.0;
  for (const zcBezierCurve& c : pieces)
    for (const zcPoint& p : c.controlPoints()) size = std::max({size, std::abs(p.x()), std::abs(p.y())});
  for (std::size_t i = 1; i < pieces.size(); ++i)
    if (pieces[i - 1].endPoint().distance(pieces[i].startPoint()) > 1e-9 * size)
      throw zcShapesError::BadParams(L"the pieces of a spline do not join");
}

void zcCubicSplinePrivate::checkPoints(const std::vector<zcPoint>& points) {
  for (const zcPoint& p : points)
    if (!zfIsFinite(p)) throw zcShapesError::BadParams(L"a non-finite spline point");
}

std::vector<double> zcCubicSplinePrivate::uniformKnots(std::size_t count) {
  std::vector<double> knots(4, 0.0);
  for (std::size_t i = 1; i + 3 < count; ++i) knots.push_back(static_cast<double>(i));
  knots.insert(knots.end(), 4, static_cast<double>(count - 3));
  return knots;
}

std::vector<zcBezierCurve> zcCubicSplinePrivate::deBoorPieces(const std::vector<zcPoint>& points,
                                                              const std::vector<double>& knots) {
  const std::size_t n = points.size();
  if (n < 4) throw zcShapesError::BadParams(L"a de Boor spline needs 4 control points or more");
  checkPoints(points);
  if (knots.size() != n + 4) throw zcShapesError::BadParams(L"a de Boor spline needs 4 knots more than points");
  for (std::size_t i = 0; i < knots.size(); ++i) {
    if (!std::isfinite(knots[i])) throw zcShapesError::BadParams(L"a non-finite knot");
    if (i > 0 && knots[i] < knots[i - 1]) throw zcShapesError::BadParams(L"decreasing knots");
  }
  if (!(knots[3] < knots[n])) throw zcShapesError::BadParams(L"a de Boor spline over an empty knot range");
  for (std::size_t i = 0; i + 3 < knots.size(); ++i)
    if (knots[i] == knots[i + 3] && knots[i] > knots[3] && knots[i] < knots[n])
      throw zcShapesError::BadParams(L"an inner knot repeated more than 3 times");

  // The Bézier points of span [a, b] are the blossoms f(a,a,a), f(a,a,b), f(a,b,b),
  // f(b,b,b): de Boor's algorithm with the arguments taken one per level.
  const auto blossom = [&](std::size_t j, const double (&args)[3]) {
    zcPoint q[4] = {points[j - 3], points[j - 2], points[j - 1], points[j]};
    for (std::size_t r = 1; r <= 3; ++r) {
      for (std::size_t i = 3; i >= r; --i) {
        const std::size_t g = j - 3 + i;
        const double alpha = (args[r - 1] - knots[g]) / (knots[g + 4 - r] - knots[g]);
        q[i] = q[i - 1] * (1.0 - alpha) + q[i] * alpha;
      }
    }
    return q[3];
  };
  std::vector<zcBezierCurve> pieces;
  for (std::size_t j = 3; j < n; ++j) {
    const double a = knots[j], b = knots[j + 1];
    if (!(a < b)) continue;
    const zcPoint p0 = pieces.empty() ? blossom(j, {a, a, a}) : pieces.back().endPoint();
    pieces.emplace_back(p0, blossom(j, {a, a, b}), blossom(j, {a, b, b}), blossom(j, {b, b, b}));
  }
  return pieces;
}

std::vector<zcBezierCurve> zcCubicSplinePrivate::interpPieces(const std::vector<zcPoint>& points,
                                                              zcInterpSpline::zeEnds ends) {
  const std::size_t n = points.size();
  checkPoints(points);
  std::vector<zcBezierCurve> pieces;
  if (ends == zcInterpSpline::eNatural) {
    if (n < 2) throw zcShapesError::BadParams(L"an interpolating spline needs 2 points or more");
    // Derivatives Dᵢ at the points: Dᵢ₋₁ + 4Dᵢ + Dᵢ₊₁ = 3(Pᵢ₊₁ − Pᵢ₋₁), and at the
    // ends 2D₀ + D₁ = 3(P₁ − P₀) (zero second derivative).
    std::vector<double> sub(n, 1.0), diag(n, 4.0), sup(n, 1.0);
    std::vector<zcVector<2>> rhs(n);
    diag[0] = diag[n - 1] = 2.0;
    rhs[0] = (points[1] - points[0]) * 3.0;
    rhs[n - 1] = (points[n - 1] - points[n - 2]) * 3.0;
    for (std::size_t i = 1; i + 1 < n; ++i) rhs[i] = (points[i + 1] - points[i - 1]) * 3.0;
    const std::vector<zcVector<2>> d = solveTridiagonal(sub, diag, sup, rhs);
    for (std::size_t i = 0; i + 1 < n; ++i) pieces.push_back(hermitePiece(points[i], d[i], points[i + 1], d[i + 1]));
    return pieces;
  }
  if (ends != zcInterpSpline::ePeriodic) throw zcShapesError::BadParams(L"an unknown end condition");
  if (n < 3) throw zcShapesError::BadParams(L"a periodic spline needs 3 points or more");
  // The cyclic system, by Sherman-Morrison: solve with the corners folded into the
  // diagonal, then correct by the rank-one term.
  const double gamma = -4.0;
  std::vector<double> sub(n, 1.0), diag(n, 4.0), sup(n, 1.0);
  diag[0] -= gamma;
  diag[n - 1] -= 1.0 / gamma;
  std::vector<zcVector<2>> rhs(n), u(n);
  for (std::size_t i = 0; i < n; ++i) rhs[i] = (points[(i + 1) % n] - points[(i + n - 1) % n]) * 3.0;
  u[0] = zcVector<2>(gamma, gamma);
  u[n - 1] = zcVector<2>(1.0, 1.0);
  const std::vector<zcVector<2>> x = solveTridiagonal(sub, diag, sup, rhs);
  const std::vector<zcVector<2>> z = solveTridiagonal(sub, diag, sup, u);
  std::vector<zcVector<2>> d(n);
  const double fx = (x[0].x() + x[n - 1].x() / gamma) / (1.0 + z[0].x() + z[n - 1].x() / gamma);
  const double fy = (x[0].y() + x[n - 1].y() / gamma) / (1.0 + z[0].y() + z[n - 1].y() / gamma);
  for (std::size_t i = 0; i < n; ++i) d[i] = zcVector<2>(x[i].x() - fx * z[i].x(), x[i].y() - fy * z[i].y());
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t k = (i + 1) % n;
    pieces.push_back(hermitePiece(points[i], d[i], points[k], d[k]));
  }
  return pieces;
}

std::vector<zcBezierCurve> zcCubicSplinePrivate::hermitePieces(const std::vector<zcPoint>& points,
                                                               const std::vector<zcVector<2>>& tangents) {
  if (points.size() < 2) throw zcShapesError::BadParams(L"a Hermite spline needs 2 points or more");
  if (tangents.size() != points.size()) throw zcShapesError::BadParams(L"a Hermite spline needs a tangent per point");
  checkPoints(points);
  checkPoints(tangents);
  std::vector<zcBezierCurve> pieces;
  for (std::size_t i = 0; i + 1 < points.size(); ++i)
    pieces.push_back(hermitePiece(points[i], tangents[i], points[i + 1], tangents[i + 1]));
  return pieces;
}

void zcCubicSplinePrivate::serializePoints(zcArchive& archive, std::vector<zcPoint>& points) {
  unsigned long count = static_cast<unsigned long>(points.size());
  archive || count;
  archive.checkCount(count, 16);
  if (archive.isLoading()) points.assign(count, zcPoint());
  for (zcPoint& p : points) archive || p;
}

// --- zcCubicSpline ----------------------------------------------------------------------

const zc_Instantiator zcCubicSpline::sExemplar(typeid(zcCubicSpline), "zcCubicSpline", &zcCubicSpline::make);
zcPersistent* zcCubicSpline::make() { return new zcCubicSpline; }

zcCubicSpline::zcCubicSpline() = default;

zcCubicSpline::zcCubicSpline(std::vector<zcBezierCurve> pieces) {
  zcCubicSplinePrivate::checkJoins(pieces);
  pieces_ = std::move(pieces);
}

zcCubicSpline& zcCubicSpline::operator=(const zcCubicSpline&) = default;

zcCubicSpline::~zcCubicSpline() = default;

const zcBezierCurve& zcCubicSpline::piece(long i) const {
  if (i < 0 || i >= numPieces()) throw zcShapesError::BadParams(L"a piece index out of range");
  return pieces_[static_cast<std::size_t>(i)];
}

zcCubicSpline zcCubicSpline::cubicSpline() const {
  zcCubicSpline plain;
  plain.pieces_ = pieces_;
  return plain;
}

void zcCubicSpline::setPieces_(std::vector<zcBezierCurve> pieces) {
  mutating_();
  pieces_ = std::move(pieces);
}

bool zcCubicSpline::degen() const {
  return std::all_of(pieces_.begin(), pieces_.end(), [](const zcBezierCurve& c) { return c.degen(); });
}

namespace {
void requirePieces(const std::vector<zcBezierCurve>& pieces) {
  if (pieces.empty()) throw zcShapesError::EmptyShape(L"a spline without pieces");
}
}  // namespace

zcRect zcCubicSpline::boundingBox() const {
  requirePieces(pieces_);
  zcRect box;
  for (const zcBezierCurve& c : pieces_) box.enclose(c.boundingBox());
  return box;
}

zcPoint zcCubicSpline::nearestPoint(const zcPoint& p) const {
  requirePieces(pieces_);
  zcPoint best = pieces_.front().nearestPoint(p);
  for (std::size_t i = 1; i < pieces_.size(); ++i) {
    const zcPoint q = pieces_[i].nearestPoint(p);
    if (q.distance(p) < best.distance(p)) best = q;
  }
  return best;
}

double zcCubicSpline::perimeter() const {
  double sum = 0.0;
  for (const zcBezierCurve& c : pieces_) sum += c.perimeter();
  return sum;
}

double zcCubicSpline::nearestPerimPos(const zcPoint& p) const {
  requirePieces(pieces_);
  double bestDist = std::numeric_limits<double>::infinity(), bestPos = 0.0, before = 0.0;
  for (const zcBezierCurve& c : pieces_) {
    const double t = c.nearestParam(p);
    const double d = (t == 0.0 ? c.startPoint() : t == 1.0 ? c.endPoint() : c.point(t)).distance(p);
    if (d < bestDist) bestDist = d, bestPos = before + c.arcLength(0.0, t);
    before += c.perimeter();
  }
  return bestPos;
}

zcPoint zcCubicSpline::startPoint() const {
  requirePieces(pieces_);
  return pieces_.front().startPoint();
}

zcPoint zcCubicSpline::endPoint() const {
  requirePieces(pieces_);
  return pieces_.back().endPoint();
}

zcRadian zcCubicSpline::startAngle() const {
  requirePieces(pieces_);
  for (const zcBezierCurve& c : pieces_)
    if (!c.degen()) return c.startAngle();
  throw zcShapesError::NoTangent(L"a degenerate spline has no direction");
}

zcRadian zcCubicSpline::endAngle() const {
  requirePieces(pieces_);
  for (auto it = pieces_.rbegin(); it != pieces_.rend(); ++it)
    if (!it->degen()) return it->endAngle();
  throw zcShapesError::NoTangent(L"a degenerate spline has no direction");
}

zcRadian zcCubicSpline::tangentRotation() const {
  requirePieces(pieces_);
  zcRadian sum;
  const zcBezierCurve* previous = nullptr;
  for (const zcBezierCurve& c : pieces_) {
    if (c.degen()) continue;
    if (previous) sum += (c.startAngle() - previous->endAngle()).signedNorm();
    sum += c.tangentRotation();
    previous = &c;
  }
  return sum;
}

zcRadian zcCubicSpline::windingAngle(const zcPoint& p) const {
  requirePieces(pieces_);
  zcRadian sum;
  for (const zcBezierCurve& c : pieces_) sum += c.windingAngle(p);
  return sum;
}

zcCubicSpline zcCubicSpline::map(const zcXform<2>& x) const {
  zcCubicSpline mapped;
  for (const zcBezierCurve& c : pieces_) mapped.pieces_.push_back(c.map(x));
  return mapped;
}

zcShapePtr zcCubicSpline::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcCubicSpline(map(x))); }

zcShapePtr zcCubicSpline::subShape(double from, double to) const {
  if (std::isnan(from) || std::isnan(to)) throw zcShapesError::BadParams(L"a NaN perimeter position");
  requirePieces(pieces_);
  const double length = perimeter();
  const double a = std::clamp(std::min(from, to), 0.0, length);
  const double b = std::clamp(std::max(from, to), 0.0, length);
  zcCubicSpline part;
  double before = 0.0;
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    const zcBezierCurve& c = pieces_[i];
    const double len = c.perimeter();
    const bool last = i + 1 == pieces_.size();
    if (a == b && (a <= before + len || last)) {
      // A point-like part: the degenerate piece at that position.
      const double t = c.paramAtLength(a - before);
      part.pieces_.push_back(c.part(t, t));
      break;
    }
    if (a < before + len && b > before) {
      const double t0 = a > before ? c.paramAtLength(a - before) : 0.0;
      const double t1 = b < before + len ? c.paramAtLength(b - before) : 1.0;
      zcBezierCurve p = c.part(t0, std::max(t0, t1));
      // Consecutive parts share their join exactly.
      if (!part.pieces_.empty()) {
        std::array<zcPoint, 4> q = p.controlPoints();
        q[0] = part.pieces_.back().endPoint();
        p = zcBezierCurve(q, p.weights());
      }
      part.pieces_.push_back(p);
    }
    before += len;
  }
  if (from > to) return part.reverse();
  return zcShapePtr(new zcCubicSpline(part));
}

void zcCubicSpline::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  requirePieces(pieces_);
  result.reserveFor(params);
  if (!params.uniform) {
    for (std::size_t i = 0; i < pieces_.size(); ++i)
      zcBezierCurvePrivate::sampleCurve(pieces_[i], params, result, i == 0 || params.duplicateCorners);
    return;
  }
  if (params.tolerance > 0.0)
    throw zcShapesError::BadParams(L"uniform sampling cannot promise a tolerance as well");
  result.add(startPoint(), params);
  const double length = perimeter();
  std::size_t i = 0;
  double before = 0.0;
  double len = pieces_[0].perimeter();
  for (double s = params.spacing; s < length - 1e-9 * params.spacing; s += params.spacing) {
    while (s > before + len && i + 1 < pieces_.size()) {
      before += len;
      len = pieces_[++i].perimeter();
    }
    result.add(pieces_[i].point(pieces_[i].paramAtLength(s - before)), params);
  }
  result.add(endPoint(), params);
}

zcShape* zcCubicSpline::cloneThat_() const { return new zcCubicSpline(*this); }

zcShapePtr zcCubicSpline::reverse_() const {
  zcCubicSpline reversed;
  for (auto it = pieces_.rbegin(); it != pieces_.rend(); ++it) {
    const auto& q = it->controlPoints();
    const auto& w = it->weights();
    reversed.pieces_.emplace_back(q[3], q[2], q[1], q[0], w[3], w[2], w[1], w[0]);
  }
  return zcShapePtr(new zcCubicSpline(reversed));
}

bool zcCubicSpline::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcCubicSpline&>(other);
  if (pieces_.size() != o.pieces_.size()) return false;
  for (std::size_t i = 0; i < pieces_.size(); ++i)
    if (pieces_[i] != o.pieces_[i]) return false;
  return true;
}

void zcCubicSpline::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  requirePieces(pieces_);
  if (std::isnan(position)) throw zcShapesError::BadParams(L"a NaN perimeter position");
  double before = 0.0;
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    const zcBezierCurve& c = pieces_[i];
    const double len = c.perimeter();
    if (position <= before + len || i + 1 == pieces_.size()) {
      const double t = c.paramAtLength(position - before);
      point = c.point(t);
      tangent = c.degen() ? startAngle() : c.tangentAngle(t);
      return;
    }
    before += len;
  }
}

void zcCubicSpline::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcCubicSpline", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/curves", __LINE__);
    zcShape::dispatchSerialize(archive);
    unsigned long count = static_cast<unsigned long>(pieces_.size());
    archive || count;
    archive.checkCount(count, zkBezierCurveImageSize);
    std::vector<zcBezierCurve> pieces;
    if (archive.isLoading()) pieces.resize(count);
    for (unsigned long i = 0; i < count; ++i) {
      std::array<zcPoint, 4> q = archive.isLoading() ? std::array<zcPoint, 4>{} : pieces_[i].controlPoints();
      std::array<double, 4> w = archive.isLoading() ? std::array<double, 4>{} : pieces_[i].weights();
      zcBezierCurvePrivate::serializeFields(archive, q, w);
      if (archive.isLoading()) pieces[i] = zcBezierCurve(q, w);
    }
    if (archive.isLoading()) {
      try {
        zcCubicSplinePrivate::checkJoins(pieces);
      } catch (const zcShapesError::BadParams&) {
        throw zcArchive::BadFormat(L"spline pieces that do not join");
      }
      setPieces_(std::move(pieces));
    }
  });
}

// --- zcDeBoorSpline ---------------------------------------------------------------------

const zc_Instantiator zcDeBoorSpline::sExemplar(typeid(zcDeBoorSpline), "zcDeBoorSpline", &zcDeBoorSpline::make);
zcPersistent* zcDeBoorSpline::make() { return new zcDeBoorSpline; }

zcDeBoorSpline::zcDeBoorSpline()
    : zcDeBoorSpline(std::vector<zcPoint>{zcPoint(0, 0), zcPoint(1, 0), zcPoint(2, 0), zcPoint(3, 0)}) {}

zcDeBoorSpline::zcDeBoorSpline(const std::vector<zcPoint>& controlPoints)
    : zcDeBoorSpline(controlPoints, zcCubicSplinePrivate::uniformKnots(std::max<std::size_t>(controlPoints.size(), 4))) {}

zcDeBoorSpline::zcDeBoorSpline(const std::vector<zcPoint>& controlPoints, const std::vector<double>& knots)
    : controlPoints_(controlPoints), knots_(knots) {
  setPieces_(zcCubicSplinePrivate::deBoorPieces(controlPoints, knots));
}

zcDeBoorSpline& zcDeBoorSpline::operator=(const zcDeBoorSpline&) = default;

zcDeBoorSpline::~zcDeBoorSpline() = default;

zcDeBoorSpline zcDeBoorSpline::map(const zcXform<2>& x) const {
  std::vector<zcPoint> points;
  for (const zcPoint& p : controlPoints_) points.push_back(x.mapPoint(p));
  return zcDeBoorSpline(points, knots_);
}

zcShapePtr zcDeBoorSpline::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcDeBoorSpline(map(x))); }

zcShape* zcDeBoorSpline::cloneThat_() const { return new zcDeBoorSpline(*this); }

zcShapePtr zcDeBoorSpline::reverse_() const {
  std::vector<zcPoint> points(controlPoints_.rbegin(), controlPoints_.rend());
  std::vector<double> knots;
  for (auto it = knots_.rbegin(); it != knots_.rend(); ++it) knots.push_back(-*it);
  return zcShapePtr(new zcDeBoorSpline(points, knots));
}

bool zcDeBoorSpline::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcDeBoorSpline&>(other);
  return controlPoints_ == o.controlPoints_ && knots_ == o.knots_;
}

void zcDeBoorSpline::dispatchSerialize(zcArchive& archive) {
  // The pieces follow from the control points and knots, so the zcCubicSpline
  // level is not written.
  zfSerializeLevel(archive, this, "zcDeBoorSpline", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/curves", __LINE__);
    zcShape::dispatchSerialize(archive);
    std::vector<zcPoint> points = controlPoints_;
    std::vector<double> knots = knots_;
    zcCubicSplinePrivate::serializePoints(archive, points);
    unsigned long count = static_cast<unsigned long>(knots.size());
    archive || count;
    archive.checkCount(count, 8);
    if (archive.isLoading()) knots.assign(count, 0.0);
    for (double& k : knots) archive || k;
    if (archive.isLoading()) {
      std::vector<zcBezierCurve> pieces;
      try {
        pieces = zcCubicSplinePrivate::deBoorPieces(points, knots);
      } catch (const zcShapesError::Errors&) {
        throw zcArchive::BadFormat(L"de Boor spline data that make no spline");
      }
      setPieces_(std::move(pieces));
      controlPoints_ = std::move(points);
      knots_ = std::move(knots);
    }
  });
}

// --- zcInterpSpline ---------------------------------------------------------------------

const zc_Instantiator zcInterpSpline::sExemplar(typeid(zcInterpSpline), "zcInterpSpline", &zcInterpSpline::make);
zcPersistent* zcInterpSpline::make() { return new zcInterpSpline; }

zcInterpSpline::zcInterpSpline() : zcInterpSpline(std::vector<zcPoint>{zcPoint(0, 0), zcPoint(1, 0)}) {}

zcInterpSpline::zcInterpSpline(const std::vector<zcPoint>& points, zeEnds ends) : points_(points), ends_(ends) {
  setPieces_(zcCubicSplinePrivate::interpPieces(points, ends));
}

zcInterpSpline& zcInterpSpline::operator=(const zcInterpSpline&) = default;

zcInterpSpline::~zcInterpSpline() = default;

zcInterpSpline zcInterpSpline::map(const zcXform<2>& x) const {
  std::vector<zcPoint> points;
  for (const zcPoint& p : points_) points.push_back(x.mapPoint(p));
  return zcInterpSpline(points, ends_);
}

zcShapePtr zcInterpSpline::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcInterpSpline(map(x))); }

zcShape* zcInterpSpline::cloneThat_() const { return new zcInterpSpline(*this); }

zcShapePtr zcInterpSpline::reverse_() const {
  std::vector<zcPoint> points(points_.rbegin(), points_.rend());
  // A closed curve keeps its first point.
  if (ends_ == ePeriodic) std::rotate(points.rbegin(), points.rbegin() + 1, points.rend());
  return zcShapePtr(new zcInterpSpline(points, ends_));
}

bool zcInterpSpline::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcInterpSpline&>(other);
  return points_ == o.points_ && ends_ == o.ends_;
}

void zcInterpSpline::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcInterpSpline", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/curves", __LINE__);
    zcShape::dispatchSerialize(archive);
    unsigned char ends = ends_;
    std::vector<zcPoint> points = points_;
    archive || ends;
    zcCubicSplinePrivate::serializePoints(archive, points);
    if (archive.isLoading()) {
      if (ends != eNatural && ends != ePeriodic) throw zcArchive::BadFormat(L"an unknown spline end condition");
      std::vector<zcBezierCurve> pieces;
      try {
        pieces = zcCubicSplinePrivate::interpPieces(points, static_cast<zeEnds>(ends));
      } catch (const zcShapesError::Errors&) {
        throw zcArchive::BadFormat(L"interpolation points that make no spline");
      }
      setPieces_(std::move(pieces));
      points_ = std::move(points);
      ends_ = static_cast<zeEnds>(ends);
    }
  });
}

// --- zcHermiteSpline --------------------------------------------------------------------

const zc_Instantiator zcHermiteSpline::sExemplar(typeid(zcHermiteSpline), "zcHermiteSpline", &zcHermiteSpline::make);
zcPersistent* zcHermiteSpline::make() { return new zcHermiteSpline; }

zcHermiteSpline::zcHermiteSpline()
    : zcHermiteSpline({zcPoint(0, 0), zcPoint(1, 0)}, {zcVector<2>(1, 0), zcVector<2>(1, 0)}) {}

zcHermiteSpline::zcHermiteSpline(const std::vector<zcPoint>& points, const std::vector<zcVector<2>>& tangents)
    : points_(points), tangents_(tangents) {
  setPieces_(zcCubicSplinePrivate::hermitePieces(points, tangents));
}

zcHermiteSpline& zcHermiteSpline::operator=(const zcHermiteSpline&) = default;

zcHermiteSpline::~zcHermiteSpline() = default;

zcHermiteSpline zcHermiteSpline::map(const zcXform<2>& x) const {
  std::vector<zcPoint> points;
  std::vector<zcVector<2>> tangents;
  for (const zcPoint& p : points_) points.push_back(x.mapPoint(p));
  for (const zcVector<2>& t : tangents_) tangents.push_back(x.mapVector(t));
  return zcHermiteSpline(points, tangents);
}

zcShapePtr zcHermiteSpline::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcHermiteSpline(map(x))); }

zcShape* zcHermiteSpline::cloneThat_() const { return new zcHermiteSpline(*this); }

zcShapePtr zcHermiteSpline::reverse_() const {
  std::vector<zcPoint> points(points_.rbegin(), points_.rend());
  std::vector<zcVector<2>> tangents;
  for (auto it = tangents_.rbegin(); it != tangents_.rend(); ++it) tangents.push_back(-*it);
  return zcShapePtr(new zcHermiteSpline(points, tangents));
}

bool zcHermiteSpline::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcHermiteSpline&>(other);
  return points_ == o.points_ && tangents_ == o.tangents_;
}

void zcHermiteSpline::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcHermiteSpline", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/curves", __LINE__);
    zcShape::dispatchSerialize(archive);
    std::vector<zcPoint> points = points_;
    std::vector<zcVector<2>> tangents = tangents_;
    zcCubicSplinePrivate::serializePoints(archive, points);
    zcCubicSplinePrivate::serializePoints(archive, tangents);
    if (archive.isLoading()) {
      std::vector<zcBezierCurve> pieces;
      try {
        pieces = zcCubicSplinePrivate::hermitePieces(points, tangents);
      } catch (const zcShapesError::Errors&) {
        throw zcArchive::BadFormat(L"Hermite data that make no spline");
      }
      setPieces_(std::move(pieces));
      points_ = std::move(points);
      tangents_ = std::move(tangents);
    }
  });
}

#include "dispc/wrfm/arc.h"
#include "wrfm/arc_private.h"

#include "zfound/xformbase.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Source location that archive errors of this module report.
constexpr const char* kModule = "dispc/wrfm/arc";
constexpr long kArchiveErrorLine = 147;

// Absolute tolerance of zero tests, tangencies and equality.
constexpr double kZeroTol = 1e-15;
// Angle tests: a fraction of the span.
constexpr double kAngleTol = 1e-13;
constexpr double kDegToRad = 0.017453292519943295;

// Degree trigonometry from the foundation is exact at quarter turns, so that the
// points of axis-aligned arcs and the spans of full circles come out exact.
zcVector<2> unitAt(zcDegree a) { return zfDirection(a); }
zcDegree directionOf(const zcVector<2>& v) { return zcDegree(v.angle()); }

// The transform's direction map and its inverse, in degrees, in (−180, 180].
zcDegree mapAngle(const zcXform<2>& x, zcDegree a) { return directionOf(x.mapVector(unitAt(a))); }
zcDegree invMapAngle(const zcXform<2>& x, zcDegree a) { return directionOf(x.invMapVector(unitAt(a))); }

void checkFields(const zcVector<2>& center, double radius, double start, double span) {
  if (!(radius > 0.0)) throw zcShapesError::DegenerateShape(L"an arc needs a positive radius");
  if (!zfIsFinite(center) || !std::isfinite(radius) || !std::isfinite(start) || !std::isfinite(span))
    throw zcShapesError::BadParams(L"non-finite arc");
}

// A singular transform would flatten the arc to a segment or a point, where angles
// have no inverse map.
void checkXform(const zcXform<2>& x) {
  if (!zfIsFinite(x)) throw zcShapesError::BadParams(L"non-finite arc transform");
  try {
    (void)x.inverse();
  } catch (const zcMathError::Singular&) {
    throw zcShapesError::DegenerateShape(L"singular arc transform");
  }
}

// Rotation and uniform scale, possibly with a mirror: circles stay circles.
bool isSimilarity(const zcMatrix<2>& m) {
  const double a = m.element(0, 0), b = m.element(0, 1), c = m.element(1, 0), d = m.element(1, 1);
  const double tol = 1e-12 * (std::abs(a) + std::abs(b) + std::abs(c) + std::abs(d));
  return (std::abs(a - d) <= tol && std::abs(b + c) <= tol) || (std::abs(a + d) <= tol && std::abs(b - c) <= tol);
}

// f(t) = a + b cos t + c sin t + d cos 2t + e sin 2t: the squared distance of an
// ellipse point from a circle's center, minus the squared radius.
struct TrigQuadratic {
  double a, b, c, d, e;
  double value(double t) const {
    return a + b * std::cos(t) + c * std::sin(t) + d * std::cos(2.0 * t) + e * std::sin(2.0 * t);
  }
  double slope(double t) const {
    return -b * std::sin(t) + c * std::cos(t) - 2.0 * d * std::sin(2.0 * t) + 2.0 * e * std::cos(2.0 * t);
  }
};

// The zeros of a TrigQuadratic in [0, 2π), isolated by subdivision. On an interval of
// half-width h around m, |f''| <= curve bounds how far f strays from its tangent at m:
// an interval where |f(m)| exceeds |f'(m)| h + curve h² / 2 holds no zero, and one
// where |f'(m)| exceeds curve h is monotone and holds at most one, found by
// bisection. What is left when h is tiny sits at a double zero: a tangency.
class RootSearch {
public:
  struct Root {
    double t;
    bool tangent;
  };

  explicit RootSearch(const TrigQuadratic& f)
      : f_(f),
        curve_(std::hypot(f.b, f.c) + 4.0 * std::hypot(f.d, f.e)),
        slack_(1e-14 * (std::abs(f.a) + std::abs(f.b) + std::abs(f.c) + std::abs(f.d) + std::abs(f.e))) {}

  std::vector<Root> run() {
    constexpr int kStartPieces = 32;
    const double step = 2.0 * zkPi / kStartPieces;
    for (int i = 0; i < kStartPieces; ++i) isolate(i * step, i == kStartPieces - 1 ? 2.0 * zkPi : (i + 1) * step);
    return merged();
  }

private:
  static constexpr double kLeafHalfWidth = 1e-9;
  // Zeros and leaves closer than this (radians) are one point.
  static constexpr double kSamePoint = 1e-6;

  void isolate(double lo, double hi) {
    const double h = 0.5 * (hi - lo);
    const double m = lo + h;
    const double fm = f_.value(m);
    const double dm = f_.slope(m);
    if (std::abs(fm) > std::abs(dm) * h + 0.5 * curve_ * h * h + slack_) return;
    if (std::abs(dm) > curve_ * h) {
      const double flo = f_.value(lo);
      // f(2π) is f(0): the same number, so that a zero at 0 is not found twice.
      const double fhi = hi >= 2.0 * zkPi ? f_.value(0.0) : f_.value(hi);
      // Half-open [lo, hi): a zero at hi belongs to the next interval.
      if (flo == 0.0) simple_.push_back(lo);
      else if ((flo < 0.0) != (fhi < 0.0) && fhi != 0.0) simple_.push_back(bisect(lo, hi, flo));
      return;
    }
    if (h < kLeafHalfWidth) {
      leaves_.push_back({m, std::abs(fm), false});
      return;
    }
    isolate(lo, m);
    isolate(m, hi);
  }

  double bisect(double lo, double hi, double flo) const {
    for (int i = 0; i < 200; ++i) {
      const double mid = 0.5 * (lo + hi);
      if (mid <= lo || mid >= hi) break;
      const double fm = f_.value(mid);
      if (fm == 0.0) return mid;
      if ((fm < 0.0) == (flo < 0.0)) {
        lo = mid;
        flo = fm;
      } else {
        hi = mid;
      }
    }
    return 0.5 * (lo + hi);
  }

  // Rounding makes f flicker in sign around a double zero, so one tangency can show
  // up as several zeros and leaves close together: each such run is one tangency,
  // placed where |f| is least. A lone simple zero is a crossing.
  std::vector<Root> merged() const {
    std::vector<Candidate> all = leaves_;
    for (double t : simple_) all.push_back({t, std::abs(f_.value(t)), true});
    std::sort(all.begin(), all.end(), [](const Candidate& x, const Candidate& y) { return x.t < y.t; });
    std::vector<std::vector<Candidate>> runs;
    for (const Candidate& leaf : all) {
      if (runs.empty() || leaf.t - runs.back().back().t > kSamePoint) runs.emplace_back();
      runs.back().push_back(leaf);
    }
    // A run across 2π and 0.
    if (runs.size() > 1 && runs.front().front().t + 2.0 * zkPi - runs.back().back().t <= kSamePoint) {
      runs.front().insert(runs.front().begin(), runs.back().begin(), runs.back().end());
      runs.pop_back();
    }
    std::vector<Root> roots;
    for (const std::vector<Candidate>& run : runs) {
      if (run.size() == 1 && run.front().simple) {
        roots.push_back({run.front().t, false});
        continue;
      }
      const auto best = std::min_element(run.begin(), run.end(),
                                         [](const Candidate& x, const Candidate& y) { return x.size < y.size; });
      roots.push_back({best->t, true});
    }
    return roots;
  }

  struct Candidate {
    double t;
    double size;
    bool simple;
  };

  TrigQuadratic f_;
  double curve_;
  double slack_;
  std::vector<double> simple_;
  std::vector<Candidate> leaves_;
};

void requireDirection(const zcArchive& archive, bool storing) {
  if (archive.isStoring() != storing)
    throw zcArchive::BadFormat(storing ? L"<< needs a storing archive" : L">> needs a loading archive");
}

}  // namespace

bool zc2SegmentArcPrivate::validFields(const zcVector<2>& center, double radius, double start, double span,
                                       const zcXform<2>& xform) {
  try {
    checkFields(center, radius, start, span);
    checkXform(xform);
  } catch (const zcShapesError::Errors&) {
    return false;
  }
  return true;
}

// --- Construction --------------------------------------------------------------------

zc2SegmentArc::zc2SegmentArc() = default;

zc2SegmentArc::zc2SegmentArc(const zcVector<2>& center, double radius, zcDegree startAngle, zcDegree angleSpan)
    : center_(center), radius_(radius), startAngle_(startAngle.value()), angleSpan_(angleSpan.value()) {
  checkFields(center, radius, startAngle_, angleSpan_);
}

zc2SegmentArc::zc2SegmentArc(const zcVector<2>& p1, const zcVector<2>& p2, zcDegree angleSpan) {
  const double s = angleSpan.value();
  if (!zfIsFinite(p1) || !zfIsFinite(p2)) throw zcShapesError::BadParams(L"non-finite arc end point");
  if (!(std::abs(s) > kZeroTol) || !(s >= -360.0 && s <= 360.0) || p1 == p2)
    throw zcShapesError::DegenerateShape(L"no arc through these points with this span");
  // The center lies on the perpendicular bisector, on the side that makes the arc
  // turn through s from p1 to p2.
  const double side = (0.0 < s && s < 180.0) || (-360.0 < s && s < -180.0) ? 90.0 : -90.0;
  const zcVector<2> m = (p1 + p2) * 0.5;
  const double h = m.distance(p1);
  const double offset = std::abs(h / tan(zcDegree(s * 0.5)));
  const zcVector<2> center = m + unitAt(directionOf(p2 - p1) + zcDegree(side)) * offset;
  const double radius = p1.distance(center);
  if (!zfIsFinite(center) || !std::isfinite(radius) || !(radius > 0.0))
    throw zcShapesError::DegenerateShape(L"no arc through these points with this span");
  center_ = center;
  radius_ = radius;
  startAngle_ = directionOf(p1 - center).value();
  angleSpan_ = s;
}

zc2SegmentArc::zc2SegmentArc(const zcEllipseArc& arc) {
  const zcXform<2> x = arc.ellipse().unitXform();
  checkXform(x);
  // Mapped back, the ellipse is the unit circle, where parameters are polar angles.
  const zcEllipseArc back = arc.map(x.inverse());
  // The span keeps its sign and a whole ellipse stays a full circle: reducing it to
  // [0, 360) would turn a clockwise arc into its complement.
  startAngle_ = zcDegree(back.phiStart()).value();
  angleSpan_ = zcDegree(back.phiSpan()).value();
  xform_ = x;
}

zc2SegmentArc::zc2SegmentArc(const zcEllipseArc2& arc) {
  const zcXform<2> x = arc.ellFromUnitCirc();
  checkXform(x);
  const zcEllipseArc2 back = arc.map(x.inverse());
  startAngle_ = zcDegree(back.phiStart()).value();
  angleSpan_ = zcDegree(back.phiSpan()).value();
  xform_ = x;
}

// --- Local frame -----------------------------------------------------------------------

zcDegree zc2SegmentArc::endAngle_() const { return zcDegree(startAngle_ + angleSpan_); }
zcDegree zc2SegmentArc::midAngle_() const { return zcDegree(startAngle_ + angleSpan_ * 0.5); }
zcDegree zc2SegmentArc::angle_(double t) const { return zcDegree(startAngle_ + angleSpan_ * t); }

zcVector<2> zc2SegmentArc::arcPoint_(zcDegree a) const { return center_ + unitAt(a) * radius_; }
zcVector<2> zc2SegmentArc::p1_() const { return arcPoint_(zcDegree(startAngle_)); }
zcVector<2> zc2SegmentArc::p2_() const { return arcPoint_(endAngle_()); }
zcVector<2> zc2SegmentArc::midPoint_() const { return arcPoint_(midAngle_()); }
zcVector<2> zc2SegmentArc::segPoint_(double t) const { return arcPoint_(angle_(t)); }

zcDegree zc2SegmentArc::startDirection_() const {
  return zc2SegmentArcPrivate::headingAt(*this, zcDegree(startAngle_));
}
zcDegree zc2SegmentArc::endDirection_() const { return zc2SegmentArcPrivate::headingAt(*this, endAngle_()); }
zcDegree zc2SegmentArc::midDirection_() const { return zc2SegmentArcPrivate::headingAt(*this, midAngle_()); }
zcDegree zc2SegmentArc::direction_(double t) const { return zc2SegmentArcPrivate::headingAt(*this, angle_(t)); }

double zc2SegmentArc::segmentLength_() const { return p1_().distance(p2_()); }
double zc2SegmentArc::length_() const { return std::abs(angleSpan_ * kDegToRad * radius_); }

zcVector<2> zc2SegmentArc::centerOfMass_() const {
  // center + r ((sin e − sin s) / σ, (cos s − cos e) / σ), written as
  // r sinc(σ/2) times the unit vector at the mid angle so that a zero span gives
  // the start point instead of 0 / 0.
  const double halfSpan = 0.5 * angleSpan_ * kDegToRad;
  const double sinc = halfSpan == 0.0 ? 1.0 : std::sin(halfSpan) / halfSpan;
  return center_ + unitAt(midAngle_()) * (radius_ * sinc);
}

zcFLine zc2SegmentArc::tangent_(zcDegree a) const {
  return zcFLine(arcPoint_(a), zcRadian(a + zcDegree(90.0)));
}

zcRect zc2SegmentArc::boundingBox_() const { return zc2SegmentArcPrivate::localEllipseArc(*this).boundingBox(); }

bool zc2SegmentArc::validAngle_(zcDegree a, bool inclusive) const {
  const double span = angleSpan_;
  const double tol = std::abs(span) * kAngleTol;
  if (std::abs(span) >= 360.0) return true;
  double x, limit;
  if (span >= 0.0) {
    x = (a - zcDegree(startAngle_)).norm().value();
    limit = span;
  } else {
    x = (zcDegree(startAngle_) - a).norm().value();
    limit = -span;
  }
  const bool atEnd = std::abs(x - limit) <= tol || std::abs(x) <= tol || std::abs(x - 360.0) <= tol;
  if (inclusive) return x <= limit || atEnd;
  return x < limit && !atEnd;
}

zcVector<2> zc2SegmentArc::closestPoint_(const zcVector<2>& p) const {
  if (p == center_) return arcPoint_(zcDegree(0.0));
  const zcDegree a = directionOf(p - center_);
  if (validAngle_(a, true)) return arcPoint_(a);
  const zcVector<2> s = p1_();
  const zcVector<2> e = p2_();
  return p.distance(s) <= p.distance(e) ? s : e;
}

double zc2SegmentArc::distToPoint_(const zcVector<2>& p) const { return p.distance(closestPoint_(p)); }

bool zc2SegmentArc::validPoint_(const zcVector<2>& p, bool) const {
  return xform_.mapPoint(p).distance(xform_.mapPoint(closestPoint_(p))) <= radius_ * kZeroTol;
}

// --- World geometry ----------------------------------------------------------------------

zcVector<2> zc2SegmentArc::center() const { return xform_.mapPoint(center_); }

double zc2SegmentArc::radius(zcDegree a) const { return center().distance(arcPoint(a)); }

zcDegree zc2SegmentArc::startAngle() const { return mapAngle(xform_, zcDegree(startAngle_)); }
zcDegree zc2SegmentArc::endAngle() const { return mapAngle(xform_, endAngle_()); }
zcDegree zc2SegmentArc::midAngle() const { return mapAngle(xform_, midAngle_()); }
zcDegree zc2SegmentArc::angle(double t) const { return mapAngle(xform_, angle_(t)); }

zcVector<2> zc2SegmentArc::p1() const { return xform_.mapPoint(p1_()); }
zcVector<2> zc2SegmentArc::p2() const { return xform_.mapPoint(p2_()); }
zcVector<2> zc2SegmentArc::midPoint() const { return xform_.mapPoint(midPoint_()); }
zcVector<2> zc2SegmentArc::segPoint(double t) const { return xform_.mapPoint(segPoint_(t)); }

zcDegree zc2SegmentArc::startDirection() const { return mapAngle(xform_, startDirection_()); }
zcDegree zc2SegmentArc::endDirection() const { return mapAngle(xform_, endDirection_()); }
zcDegree zc2SegmentArc::midDirection() const { return mapAngle(xform_, midDirection_()); }
zcDegree zc2SegmentArc::direction(double t) const { return mapAngle(xform_, direction_(t)); }

zcVector<2> zc2SegmentArc::arcPoint(zcDegree a) const {
  return xform_.mapPoint(arcPoint_(invMapAngle(xform_, a)));
}

zcFLine zc2SegmentArc::tangent(zcDegree a) const { return tangent_(invMapAngle(xform_, a)).map(xform_); }

zcFLine zc2SegmentArc::tangent(double t) const { return tangent(angle(t)); }

zcDegree zc2SegmentArc::angleSpan() const {
  // A negative determinant is the axes' rotations differing by more than 90 degrees:
  // the transform mirrors and the arc runs the other way round.
  const double s = xform_.determinant() < 0.0 ? -angleSpan_ : angleSpan_;
  const double d = (endAngle() - startAngle()).norm().value();
  // The angle congruent to d modulo 360 nearest to s: a full circle stays ±360 and a
  // small arc keeps its sense.
  return zcDegree(s - zcDegree(s - d).signedNorm().value());
}

double zc2SegmentArc::length() const {
  return std::abs(radius(zcDegree(0.0)) * angleSpan().value() * kDegToRad);
}

double zc2SegmentArc::segmentLength() const { return p1().distance(p2()); }

zcVector<2> zc2SegmentArc::centerOfMass() const { return xform_.mapPoint(centerOfMass_()); }

zcEllipseArc zc2SegmentArcPrivate::localEllipseArc(const zc2SegmentArc& arc) {
  const double span = clampedSpan(arc);
  if (span >= 0.0) {
    const zcEllipse::zcEllipseGeom geom(arc.center_, arc.radius_, arc.radius_, zcRadian(0.0), true);
    return zcEllipseArc(geom, zcRadian(zcDegree(arc.startAngle_)), zcRadian(zcDegree(span)));
  }
  // The mirrored circle's parameter t is the point at angle −t.
  const zcEllipse::zcEllipseGeom geom(arc.center_, arc.radius_, arc.radius_, zcRadian(0.0), false);
  return zcEllipseArc(geom, zcRadian(zcDegree(-arc.startAngle_)), zcRadian(zcDegree(-span)));
}

zcEllipseArc zc2SegmentArc::ellipseArc() const {
  const zcEllipseArc local = zc2SegmentArcPrivate::localEllipseArc(*this);
  return xform_.isIdentity() ? local : local.map(xform_);
}

zcEllipseArc2 zc2SegmentArc::ellipseArc2() const {
  const zcEllipseArc2 local(zcEllipse2(zcCircle(center_, radius_)), zcRadian(zcDegree(startAngle_)),
                            zcRadian(zcDegree(zc2SegmentArcPrivate::clampedSpan(*this))));
  return local.map(zc2XformLinear(xform_));
}

zcRect zc2SegmentArc::boundingBox() const { return ellipseArc().boundingBox(); }

zcVector<2> zc2SegmentArc::closestPoint(const zcVector<2>& p) const {
  return xform_.mapPoint(closestPoint_(xform_.invMapPoint(p)));
}

double zc2SegmentArc::distToPoint(const zcVector<2>& p) const { return p.distance(closestPoint(p)); }

bool zc2SegmentArc::validAngle(zcDegree a, bool inclusive) const {
  return validAngle_(invMapAngle(xform_, a), inclusive);
}

bool zc2SegmentArc::validPoint(const zcVector<2>& p, bool inclusive) const {
  return validPoint_(xform_.invMapPoint(p), inclusive);
}

bool zc2SegmentArc::inRange(const zcVector<2>& p, bool inclusive) const {
  const zcVector<2> q = xform_.invMapPoint(p);
  if (q == center_) return false;
  return validAngle_(directionOf(q - center_), inclusive);
}

// --- Intersections ------------------------------------------------------------------------

std::vector<zcVector<2>> zc2SegmentArc::intersection(const zcFLine& line, bool exclusive) const {
  std::vector<zcVector<2>> result;
  const zcFLine local = xform_.isIdentity() ? line : line.map(xform_.inverse());
  const zcVector<2> foot = local.nearestPoint(center_);
  const double d = foot.distance(center_);
  const double r = std::abs(radius_);
  if (d > r) return result;
  if (std::abs(d - r) <= kZeroTol) {
    // A touching line crosses nothing: exclusive tests refuse it.
    if (!exclusive && validAngle_(directionOf(foot - center_), true)) result.push_back(xform_.mapPoint(foot));
    return result;
  }
  const zcVector<2> along = local.direction() * std::sqrt(r * r - d * d);
  for (const zcVector<2>& q : {foot - along, foot + along})
    if (validAngle_(directionOf(q - center_), !exclusive)) result.push_back(xform_.mapPoint(q));
  return result;
}

std::vector<zcVector<2>> zc2SegmentArc::intersection(const zc2SegmentLine& line, bool exclusive) const {
  std::vector<zcVector<2>> result = intersection(line.line(), exclusive);
  std::erase_if(result, [&](const zcVector<2>& p) { return !line.inRange(p, !exclusive); });
  return result;
}

std::vector<zcVector<2>> zc2SegmentArc::intersection(const zc2SegmentArc& other, bool exclusive) const {
  if (center().distance(other.center()) <= kZeroTol) return {};
  if (isSimilarity(xform_.matrix()) && isSimilarity(other.xform_.matrix()))
    return zc2SegmentArcPrivate::circleIntersection(*this, other, exclusive);
  return zc2SegmentArcPrivate::conicIntersection(*this, other, exclusive);
}

std::vector<zcVector<2>> zc2SegmentArcPrivate::circleIntersection(const zc2SegmentArc& self,
                                                                  const zc2SegmentArc& other, bool exclusive) {
  const bool inclusive = !exclusive;
  const zcVector<2> c1 = self.center();
  const zcVector<2> c2 = other.center();
  const double d = c1.distance(c2);
  const zcDegree theta = directionOf(c1 - c2);
  const double r2 = other.radius(theta);
  const double r1 = self.radius(theta + zcDegree(180.0));

  std::vector<zcVector<2>> candidates;
  if (std::abs(r2) <= kZeroTol) {
    candidates.push_back(c2);
  } else {
    // The cosine of the angle at c2 between c1 and a common point.
    const double x = (r2 * r2 + d * d - r1 * r1) / (2.0 * r2 * d);
    const bool touching = std::abs(std::abs(x) - 1.0) <= kZeroTol;
    zcDegree alpha;
    if (std::abs(x) <= 1.0) {
      alpha = zcDegree(zcRadian(std::acos(x)));
    } else if (exclusive) {
      return {};
    } else if (std::abs(x - 1.0) <= kZeroTol) {
      alpha = zcDegree(0.0);
    } else if (std::abs(x + 1.0) <= kZeroTol) {
      alpha = zcDegree(180.0);
    } else {
      return {};
    }
    if (other.validAngle(theta + alpha, inclusive)) candidates.push_back(other.arcPoint(theta + alpha));
    if (!touching && other.validAngle(theta - alpha, inclusive)) candidates.push_back(other.arcPoint(theta - alpha));
  }

  std::vector<zcVector<2>> result;
  for (const zcVector<2>& p : candidates)
    if (self.validAngle(directionOf(p - c1), inclusive)) result.push_back(p);
  return result;
}

std::vector<zcVector<2>> zc2SegmentArcPrivate::conicIntersection(const zc2SegmentArc& self,
                                                                 const zc2SegmentArc& other, bool exclusive) {
  const bool inclusive = !exclusive;
  // The other arc in this arc's local frame: E(t) = c + u1 cos t + u2 sin t.
  const zcXform<2> toLocal = self.xform_.inverse() * other.xform_;
  const zcVector<2> c = toLocal.mapPoint(other.center_);
  const zcMatrix<2> m = toLocal.matrix();
  const zcVector<2> u1 = m.col(0) * other.radius_;
  const zcVector<2> u2 = m.col(1) * other.radius_;
  const zcVector<2> w = c - self.center_;
  // |E(t) − center|² − r², divided by r² to keep the numbers near 1.
  const double scale = 1.0 / (self.radius_ * self.radius_);
  const TrigQuadratic f{(w.dot(w) + 0.5 * (u1.dot(u1) + u2.dot(u2))) * scale - 1.0, 2.0 * w.dot(u1) * scale,
                        2.0 * w.dot(u2) * scale, 0.5 * (u1.dot(u1) - u2.dot(u2)) * scale, u1.dot(u2) * scale};

  std::vector<zcVector<2>> result;
  for (const RootSearch::Root& root : RootSearch(f).run()) {
    if (root.tangent && exclusive) continue;
    const zcDegree t{zcRadian(root.t)};
    if (!other.validAngle_(t, inclusive)) continue;
    const zcVector<2> q = c + u1 * std::cos(root.t) + u2 * std::sin(root.t);
    if (q == self.center_ || !self.validAngle_(directionOf(q - self.center_), inclusive)) continue;
    result.push_back(other.xform_.mapPoint(other.arcPoint_(t)));
  }
  return result;
}

// --- Comparison, text, archive, maps --------------------------------------------------------

bool zc2SegmentArc::operator==(const zc2SegmentArc& other) const {
  const zcDegree start = startAngle();
  const zcDegree span = angleSpan();
  const zcVector<2> c = center();
  const zcVector<2> oc = other.center();
  if (!zfRealEq(start.value(), other.startAngle().value(), kZeroTol)) return false;
  if (!zfRealEq(span.value(), other.angleSpan().value(), kZeroTol)) return false;
  if (!zfRealEq(c.x(), oc.x(), kZeroTol) || !zfRealEq(c.y(), oc.y(), kZeroTol)) return false;
  for (const zcDegree a : {start, endAngle(), start + span})
    if (!zfRealEq(radius(a), other.radius(a), kZeroTol)) return false;
  return true;
}

void zc2SegmentArc::print_(std::basic_ostream<wchar_t>& out) const {
  const zcVector<2> c = center();
  out << L"center=" << c.x() << L" " << c.y() << std::endl;
  out << L"radius=" << radius(zcDegree(0.0)) << std::endl;
  out << L"startAngle=" << startAngle().value() << std::endl;
  out << L"angleSpan=" << angleSpan().value() << std::endl;
  out << std::endl;
}

std::basic_ostream<wchar_t>& operator<<(std::basic_ostream<wchar_t>& out, const zc2SegmentArc& arc) {
  arc.print_(out);
  return out;
}

zcArchive& operator||(zcArchive& archive, zc2SegmentArc& arc) {
  unsigned char version = 1;
  archive || version;
  if (version > 1) throw zcArchive::UnknownVersion(kModule, kArchiveErrorLine);
  zcVector<2> center = arc.center_;
  double radius = arc.radius_;
  double start = arc.startAngle_;
  double span = arc.angleSpan_;
  zcXform<2> xform = arc.xform_;
  archive || center || radius || start || span;
  if (version >= 1) archive || xform;
  else xform = zcXform<2>();
  if (archive.isLoading()) {
    if (!zc2SegmentArcPrivate::validFields(center, radius, start, span, xform))
      throw zcArchive::BadFormat(L"the values make no arc");
    arc.center_ = center;
    arc.radius_ = radius;
    arc.startAngle_ = start;
    arc.angleSpan_ = span;
    arc.xform_ = xform;
  }
  return archive;
}

zcArchive& operator>>(zcArchive& archive, zc2SegmentArc& arc) {
  requireDirection(archive, false);
  return archive || arc;
}

zcArchive& operator<<(zcArchive& archive, const zc2SegmentArc& arc) {
  requireDirection(archive, true);
  zc2SegmentArc copy = arc;
  return archive || copy;
}

zc2SegmentArc operator*(const zcXform<2>& xform, const zc2SegmentArc& arc) {
  zc2SegmentArc result(arc.center_, arc.radius_, zcDegree(arc.startAngle_), zcDegree(arc.angleSpan_));
  const zcXform<2> composed = xform * arc.xform_;
  checkXform(composed);
  result.xform_ = composed;
  return result;
}

zc2SegmentArc operator*(const zc2Rigid& rigid, const zc2SegmentArc& arc) { return rigid.xform() * arc; }

namespace {

// The squares of the larger singular value of m and of its determinant.
std::pair<double, double> singularSquares(const zcMatrix<2>& m) {
  const zcVector<2> a = m * zcVector<2>(1.0, 0.0), b = m * zcVector<2>(0.0, 1.0);
  const double sum = a.x() * a.x() + a.y() * a.y() + b.x() * b.x() + b.y() * b.y();
  const double det = a.x() * b.y() - a.y() * b.x();
  return {0.5 * (sum + std::sqrt(std::max(0.0, sum * sum - 4.0 * det * det))), det * det};
}

}  // namespace

zc2SegmentArcPrivate::StepPoints::StepPoints(const zc2SegmentArc& arc, const zcXform<2>& X)
    : arc_(arc), X_(X), inverse_(arc.xform_.matrix().inverse()) {
  // Refused as X × arc refuses it.
  const zcXform<2> composed = X * arc.xform_;
  checkXform(composed);
  L_ = composed.matrix() * zcMatrix<2>(arc.radius_, 0.0, 0.0, arc.radius_);
  centre_ = composed.mapPoint(arc.center_);
  // The mapped arc's point in the direction 0 from its centre lies at L u for the local
  // direction u ∝ L⁻¹ (1, 0) ∝ (L₁₁, −L₁₀): |det L| / |(L₁₀, L₁₁)| from it.
  const zcVector<2> row1 = L_.transpose() * zcVector<2>(0.0, 1.0);
  radiusAtZero_ = std::abs(L_.determinant()) / row1.length();
  // A step of the recurrence turns the direction off by at most 4.4e-16 (the rounding of
  // the turn and of its products); taken back through the arc's transform the angle grows
  // by at most its condition number σ₁² / |det|, and L makes it at most σ₁(L) pels.
  const auto [a1, aDet] = singularSquares(arc.xform_.matrix());
  drift_ = 4.4e-16 * std::sqrt(singularSquares(L_).first) * (a1 / std::sqrt(aDet));
}

zcPoint zc2SegmentArcPrivate::StepPoints::mappedAt(double a) const { return MappedPoints(arc_, X_)(a); }

void zc2SegmentArcPrivate::StepPoints::append(double start, double step, long n, std::vector<zcPoint>& out) const {
  // Half of 1e-12 allowed between anchors, as the bound on a step is no wide one.
  const double every = drift_ > 0.0 ? 5e-13 / drift_ : 0.0;
  const long anchorEvery = every >= 32.0 ? 32 : every >= 1.0 ? static_cast<long>(every) : 1;
  const zcVector<2> turn = zfDirection(zcDegree(step));
  const double cs = turn.x(), sn = turn.y();
  out.reserve(out.size() + static_cast<std::size_t>(n) + 1);
  zcVector<2> w;
  // j − the last anchor's j
  long sinceAnchor = 0;
  for (long j = 0; j <= n; ++j) {
    const double a = start + step * static_cast<double>(j);
    w = sinceAnchor == 0 || j == n ? zfDirection(zcDegree(a))
                                   : zcVector<2>(cs * w.x() - sn * w.y(), sn * w.x() + cs * w.y());
    if (++sinceAnchor == anchorEvery) sinceAnchor = 0;
    out.push_back(at(a, w));
  }
}

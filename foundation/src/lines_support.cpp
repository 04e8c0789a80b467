#include "lines_support.h"

#include "zfound/rect.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zc_lines {

namespace {

// Relative slack of on-the-chain tests: points computed in floating point onto a
// piece count as lying on it.
constexpr double kOnChainSlack = 1e-12;
// More pieces than this from one sampling is a caller's mistake, not a drawing.
constexpr double kMaxStepsPerPiece = 1e8;

double scaleOf(const std::vector<zcPoint>& points, const zcPoint& p) {
  double s = std::max({1.0, std::abs(p.x()), std::abs(p.y())});
  for (const zcPoint& q : points) s = std::max({s, std::abs(q.x()), std::abs(q.y())});
  return s;
}

}  // namespace

void throwNonFinite() { throw zcShapesError::BadParams(L"non-finite coordinate"); }

void requireFinite(const std::vector<zcPoint>& points) {
  for (const zcPoint& p : points) requireFinite(p);
}

double segmentFraction(const zcPoint& a, const zcPoint& b, const zcPoint& p) {
  const zcVector<2> d = b - a;
  const double len2 = d.lengthSq();
  if (len2 == 0.0) return 0.0;
  return std::clamp((p - a).dot(d) / len2, 0.0, 1.0);
}

std::size_t Chain::pieces() const {
  if (points.size() < 2) return 0;
  return closed ? points.size() : points.size() - 1;
}

double Chain::length() const {
  double sum = 0.0;
  for (std::size_t i = 0; i < pieces(); ++i) sum += from(i).distance(to(i));
  return sum;
}

zcPoint Chain::nearest(const zcPoint& p, double* position) const {
  if (points.empty()) throw zcShapesError::EmptyShape(L"no points");
  zcPoint best = points[0];
  double bestDist = p.distance(best);
  double bestPos = 0.0;
  double start = 0.0;
  for (std::size_t i = 0; i < pieces(); ++i) {
    const zcPoint& a = from(i);
    const zcPoint& b = to(i);
    const double len = a.distance(b);
    const double t = segmentFraction(a, b, p);
    const zcPoint q = a + (b - a) * t;
    const double d = p.distance(q);
    if (d < bestDist) {
      best = q;
      bestDist = d;
      bestPos = start + t * len;
    }
    start += len;
  }
  if (position) *position = bestPos;
  return best;
}

bool Chain::touches(const zcPoint& p) const {
  if (points.empty()) return false;
  return nearest(p).distance(p) <= kOnChainSlack * scaleOf(points, p);
}

void Chain::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  if (points.empty()) throw zcShapesError::EmptyShape(L"nothing to sample");
  result.reserveFor(params);
  result.add(points[0], params);
  const std::size_t n = pieces();

  if (params.uniform) {
    // Steps of exactly `spacing` along the whole chain, corners or not.
    const double step = params.spacing;
    double next = step;  // arc length of the next point
    double start = 0.0;
    zcPoint last = points[0];
    for (std::size_t i = 0; i < n; ++i) {
      const zcPoint& a = from(i);
      const zcPoint& b = to(i);
      const double len = a.distance(b);
      if (len == 0.0) continue;
      if ((start + len - next) / step > kMaxStepsPerPiece) throw zcShapesError::SampleOverflow(L"spacing too small");
      const double slack = len * 1e-12;
      while (next <= start + len + slack) {
        const double t = std::min((next - start) / len, 1.0);
        last = t == 1.0 ? b : a + (b - a) * t;
        result.add(last, params);
        next += step;
      }
      start += len;
    }
    const zcPoint& end = closed ? points[0] : points.back();
    if (last != end && n > 0 && start > 0.0) result.add(end, params);
    return;
  }

  for (std::size_t i = 0; i < n; ++i) {
    const zcPoint& a = from(i);
    const zcPoint& b = to(i);
    const double len = a.distance(b);
    if (len == 0.0) continue;
    double steps = 1.0;
    if (params.spacing > 0.0) steps = std::max(1.0, std::ceil(len / params.spacing));
    if (steps > kMaxStepsPerPiece) throw zcShapesError::SampleOverflow(L"spacing too small");
    const long k = static_cast<long>(steps);
    for (long j = 1; j < k; ++j) result.add(a + (b - a) * (static_cast<double>(j) / steps), params);
    result.add(b, params);
    if (params.duplicateCorners && i + 1 < n) {
      // Duplicate only where the direction jumps: at the next piece of length.
      for (std::size_t m = i + 1; m < n; ++m) {
        const zcVector<2> d2 = to(m) - from(m);
        if (d2.lengthSq() == 0.0) continue;
        const zcVector<2> d1 = b - a;
        if (d1.cross(d2) != 0.0 || d1.dot(d2) < 0.0) result.add(b, params);
        break;
      }
    }
  }
}

void Chain::pointAndTangent(double position, zcPoint& point, zcRadian& tangent) const {
  if (std::isnan(position)) throw zcShapesError::BadParams(L"NaN position");
  if (points.empty()) throw zcShapesError::EmptyShape(L"no points");
  double remaining = std::max(position, 0.0);
  zcVector<2> dir;
  for (std::size_t i = 0; i < pieces(); ++i) {
    const zcPoint& a = from(i);
    const zcPoint& b = to(i);
    const double len = a.distance(b);
    if (len == 0.0) continue;
    dir = b - a;
    if (remaining <= len) {
      point = a + dir * (remaining / len);
      tangent = dir.angle();
      return;
    }
    remaining -= len;
  }
  if (dir.lengthSq() == 0.0) throw zcShapesError::NoTangent(L"the chain has no direction");
  // Past the end: the end point, with the last piece's direction.
  point = closed ? points[0] : points.back();
  tangent = dir.angle();
}

std::vector<zcPoint> Chain::part(double fromPos, double toPos) const {
  if (std::isnan(fromPos) || std::isnan(toPos)) throw zcShapesError::BadParams(L"NaN position");
  if (points.empty()) throw zcShapesError::EmptyShape(L"no points");
  const double total = length();
  fromPos = std::clamp(fromPos, 0.0, total);
  toPos = std::clamp(toPos, fromPos, total);
  std::vector<zcPoint> out;
  double start = 0.0;
  const std::size_t n = pieces();
  for (std::size_t i = 0; i < n; ++i) {
    const zcPoint& a = from(i);
    const zcPoint& b = to(i);
    const double len = a.distance(b);
    const double end = start + len;
    if (len > 0.0 && end >= fromPos && start <= toPos) {
      if (out.empty()) out.push_back(a + (b - a) * std::clamp((fromPos - start) / len, 0.0, 1.0));
      if (end <= toPos) {
        if (out.back() != b) out.push_back(b);
      } else {
        const zcPoint q = a + (b - a) * std::clamp((toPos - start) / len, 0.0, 1.0);
        if (out.back() != q) out.push_back(q);
        break;
      }
    }
    start = end;
  }
  if (out.empty()) out.push_back(points[0]);
  if (out.size() == 1) out.push_back(out[0]);
  return out;
}

zcRect boxOf(const std::vector<zcPoint>& points) {
  if (points.empty()) throw zcShapesError::EmptyShape(L"no points");
  double x0 = points[0].x(), x1 = x0, y0 = points[0].y(), y1 = y0;
  for (const zcPoint& p : points) {
    x0 = std::min(x0, p.x());
    x1 = std::max(x1, p.x());
    y0 = std::min(y0, p.y());
    y1 = std::max(y1, p.y());
  }
  return zcRect(zcPoint(x0, y0), zcVector<2>(x1 - x0, y1 - y0));
}

bool insideEvenOdd(const std::vector<zcPoint>& points, const zcPoint& p) {
  bool in = false;
  const std::size_t n = points.size();
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const zcPoint& a = points[i];
    const zcPoint& b = points[j];
    if ((a.y() > p.y()) != (b.y() > p.y())) {
      const double xCross = a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
      if (p.x() < xCross) in = !in;
    }
  }
  return in;
}

bool insideWinding(const std::vector<zcPoint>& points, const zcPoint& p) {
  long winding = 0;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    const zcPoint& a = points[i];
    const zcPoint& b = points[(i + 1) % n];
    const double side = (b - a).cross(p - a);
    if (a.y() <= p.y()) {
      if (b.y() > p.y() && side > 0.0) ++winding;
    } else if (b.y() <= p.y() && side < 0.0) {
      --winding;
    }
  }
  return winding != 0;
}

double signedArea(const std::vector<zcPoint>& points) {
  const std::size_t n = points.size();
  if (n < 3) return 0.0;
  // Relative to the first vertex, so that far-off polygons keep their precision.
  double twice = 0.0;
  for (std::size_t i = 1; i + 1 < n; ++i) twice += (points[i] - points[0]).cross(points[i + 1] - points[0]);
  return twice * 0.5;
}

double turn(const zcVector<2>& u, const zcVector<2>& v) { return std::atan2(u.cross(v), u.dot(v)); }

void serializePoints(zcArchive& archive, std::vector<zcPoint>& points) {
  if (archive.isStoring()) {
    long count = static_cast<long>(points.size());
    archive || count;
    for (zcPoint p : points) archive || p;
    return;
  }
  long count = 0;
  archive || count;
  if (count < 0) throw zcArchive::BadCount(L"negative point count");
  archive.checkCount(static_cast<unsigned long>(count), 16);
  std::vector<zcPoint> loaded;
  loaded.reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count; ++i) loaded.push_back(loadFinite(archive));
  points.swap(loaded);
}

zcPoint loadFinite(zcArchive& archive) {
  zcPoint p;
  archive || p;
  if (!zfIsFinite(p)) throw zcArchive::BadFormat(L"non-finite coordinate");
  return p;
}

}  // namespace zc_lines

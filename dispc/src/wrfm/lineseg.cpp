#include "dispc/wrfm/lineseg.h"

#include <algorithm>
#include <cmath>

namespace {

// Source location that archive errors of this module report.
constexpr const char* kModule = "dispc/wrfm/lineseg";
constexpr long kArchiveErrorLine = 105;

// Relative tolerance of range and point tests, as a fraction of the length.
constexpr double kRangeTol = 1e-14;
// Absolute tolerance of equality, per coordinate.
constexpr double kEqualTol = 1e-15;

void checkPoints(const zcVector<2>& p1, const zcVector<2>& p2) {
  if (!zfIsFinite(p1) || !zfIsFinite(p2)) throw zcShapesError::BadParams(L"non-finite segment end point");
  if (p1 == p2) throw zcShapesError::DegenerateShape(L"a line segment needs two different points");
}

void requireDirection(const zcArchive& archive, bool storing) {
  if (archive.isStoring() != storing)
    throw zcArchive::BadFormat(storing ? L"<< needs a storing archive" : L">> needs a loading archive");
}

}  // namespace

zc2SegmentLine::zc2SegmentLine() = default;

zc2SegmentLine::zc2SegmentLine(const zcVector<2>& p1, const zcVector<2>& p2) : p1_(p1), p2_(p2) {
  checkPoints(p1, p2);
}

zc2SegmentLine::zc2SegmentLine(const zcLineSeg& seg) : zc2SegmentLine(seg.p1(), seg.p2()) {}

zcLineSeg zc2SegmentLine::lineSeg() const { return zcLineSeg(p1_, p2_); }

zcFLine zc2SegmentLine::line() const { return zcFLine(p1_, p2_); }

zcFLine zc2SegmentLine::tangent(double) const { return line(); }

zcDegree zc2SegmentLine::angle() const { return zcDegree((p2_ - p1_).angle()); }

zcRect zc2SegmentLine::boundingBox() const { return zcRect::fromCorners(p1_, p2_); }

bool zc2SegmentLine::inRange(const zcVector<2>& p, bool inclusive) const {
  // Rotated by minus the direction, the segment runs along x from 0 to L.
  const zcVector<2> d = p2_ - p1_;
  const double a = std::atan2(d.y(), d.x());
  const zcVector<2> axis(std::cos(a), std::sin(a));
  const double len = d.dot(axis);
  const double t = (p - p1_).dot(axis);
  const double tol = len * kRangeTol;
  const bool atEnd = std::abs(t) <= tol || std::abs(t - len) <= tol;
  if (inclusive) return (0.0 <= t && t <= len) || atEnd;
  return 0.0 < t && t < len && !atEnd;
}

zcVector<2> zc2SegmentLine::closestPoint(const zcVector<2>& p) const {
  const zcVector<2> d = p2_ - p1_;
  const double lenSq = d.lengthSq();
  if (lenSq > 0.0 && inRange(p, true)) {
    const zcVector<2> foot = p1_ + d * ((p - p1_).dot(d) / lenSq);
    if (zfIsFinite(foot)) return foot;
  }
  return p.distance(p1_) < p.distance(p2_) ? p1_ : p2_;
}

double zc2SegmentLine::distToPoint(const zcVector<2>& p) const { return p.distance(closestPoint(p)); }

bool zc2SegmentLine::validPoint(const zcVector<2>& p, bool) const {
  return distToPoint(p) <= length() * kRangeTol;
}

std::vector<zcVector<2>> zc2SegmentLine::intersection(const zcFLine& other, bool exclusive) const {
  std::vector<zcVector<2>> result;
  zcVector<2> p;
  try {
    p = line().intersection(other);
  } catch (const zcMathError::Singular&) {
    // Parallel (or overlapping) lines: no single common point.
    return result;
  }
  if (inRange(p, !exclusive)) result.push_back(p);
  return result;
}

std::vector<zcVector<2>> zc2SegmentLine::intersection(const zc2SegmentLine& other, bool exclusive) const {
  std::vector<zcVector<2>> result = other.intersection(line(), exclusive);
  std::erase_if(result, [&](const zcVector<2>& p) { return !inRange(p, !exclusive); });
  return result;
}

bool zc2SegmentLine::operator==(const zc2SegmentLine& other) const {
  return zfRealEq(p1_, other.p1_, kEqualTol) && zfRealEq(p2_, other.p2_, kEqualTol);
}

void zc2SegmentLine::print_(std::basic_ostream<wchar_t>& out) const {
  out << L"p1_=" << p1_.x() << L" " << p1_.y() << std::endl;
  out << L"p2_=" << p2_.x() << L" " << p2_.y() << std::endl;
  out << std::endl;
}

std::basic_ostream<wchar_t>& operator<<(std::basic_ostream<wchar_t>& out, const zc2SegmentLine& segment) {
  segment.print_(out);
  return out;
}

zcArchive& operator||(zcArchive& archive, zc2SegmentLine& segment) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion(kModule, kArchiveErrorLine);
  zcVector<2> p1 = segment.p1_;
  zcVector<2> p2 = segment.p2_;
  archive || p1 || p2;
  if (archive.isLoading()) {
    // Equal points are accepted: the default segment has them and must load back.
    if (!zfIsFinite(p1) || !zfIsFinite(p2)) throw zcArchive::BadFormat(L"non-finite segment end point");
    segment.p1_ = p1;
    segment.p2_ = p2;
  }
  return archive;
}

zcArchive& operator>>(zcArchive& archive, zc2SegmentLine& segment) {
  requireDirection(archive, false);
  return archive || segment;
}

zcArchive& operator<<(zcArchive& archive, const zc2SegmentLine& segment) {
  requireDirection(archive, true);
  zc2SegmentLine copy = segment;
  return archive || copy;
}

zc2SegmentLine operator*(const zc2Rigid& rigid, const zc2SegmentLine& segment) {
  return zc2SegmentLine(rigid.mapPoint(segment.p1()), rigid.mapPoint(segment.p2()));
}

zc2SegmentLine operator*(const zcXform<2>& xform, const zc2SegmentLine& segment) {
  return zc2SegmentLine(xform.mapPoint(segment.p1()), xform.mapPoint(segment.p2()));
}

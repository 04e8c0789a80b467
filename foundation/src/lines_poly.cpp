// Point sets, segment sets, polygons and polylines.
#include "zfound/lines.h"

#include "lines_support.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <utility>
#include <vector>

using namespace zc_lines;

namespace {

template <class T>
const T* sameKind(const zcShape& other) {
  return typeid(other) == typeid(T) ? static_cast<const T*>(&other) : nullptr;
}

template <class T>
const T& checkedAt(const std::vector<T>& items, long i) {
  if (i < 0 || static_cast<std::size_t>(i) >= items.size()) throw zcShapesError::BadParams(L"index out of range");
  return items[static_cast<std::size_t>(i)];
}

std::vector<zcPoint> mapped(const std::vector<zcPoint>& points, const zcXform<2>& x) {
  std::vector<zcPoint> out;
  out.reserve(points.size());
  for (const zcPoint& p : points) out.push_back(x.mapPoint(p));
  return out;
}

bool realEq(const std::vector<zcPoint>& a, const std::vector<zcPoint>& b, double tol) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!zfRealEq(a[i], b[i], tol)) return false;
  return true;
}

void checkOwnVersion(unsigned char version, long line) {
  if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", line);
}

bool validMode(long mode) { return mode == zcPolygon::eAlternate || mode == zcPolygon::eWinding; }

}  // namespace

// ===========================================================================
// zcPointSet

const zc_Instantiator zcPointSet::sExemplar(typeid(zcPointSet), "zcPointSet", &zcPointSet::make);
zcPersistent* zcPointSet::make() { return new zcPointSet; }

zcPointSet::zcPointSet() = default;
zcPointSet::zcPointSet(std::vector<zcPoint> points) : points_(std::move(points)) { requireFinite(points_); }
zcPointSet::zcPointSet(const zcPointSet& other) = default;
zcPointSet& zcPointSet::operator=(const zcPointSet&) = default;
zcPointSet::~zcPointSet() = default;

const zcPoint& zcPointSet::point(long i) const { return checkedAt(points_, i); }

void zcPointSet::add(const zcPoint& p) {
  requireFinite(p);
  mutating_();
  points_.push_back(p);
}

void zcPointSet::points(std::vector<zcPoint> points) {
  requireFinite(points);
  mutating_();
  points_ = std::move(points);
}

zcRect zcPointSet::boundingBox() const { return boxOf(points_); }

zcPoint zcPointSet::nearestPoint(const zcPoint& p) const {
  if (points_.empty()) throw zcShapesError::EmptyShape(L"an empty point set");
  const zcPoint* best = &points_[0];
  for (const zcPoint& q : points_)
    if (q.distance(p) < best->distance(p)) best = &q;
  return *best;
}

zcShapePtr zcPointSet::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcPointSet(map(x))); }
zcShapePtr zcPointSet::clone() const { return zcShapePtr(new zcPointSet(*this)); }
zcPointSet zcPointSet::map(const zcXform<2>& x) const { return zcPointSet(mapped(points_, x)); }

bool zcPointSet::equal_(const zcShape& other) const {
  const zcPointSet* o = sameKind<zcPointSet>(other);
  return o && points_ == o->points_;
}

void zcPointSet::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcPointSet", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    std::vector<zcPoint> points = archive.isStoring() ? points_ : std::vector<zcPoint>();
    serializePoints(archive, points);
    if (archive.isLoading()) this->points(std::move(points));
  });
}

zcArchive& operator||(zcArchive& archive, zcPointSet& set) {
  unsigned char version = 0;
  archive || version;
  checkOwnVersion(version, __LINE__);
  std::vector<zcPoint> points = archive.isStoring() ? set.points() : std::vector<zcPoint>();
  serializePoints(archive, points);
  if (archive.isLoading()) set.points(std::move(points));
  return archive;
}

bool zfRealEq(const zcPointSet& a, const zcPointSet& b, double tol) { return realEq(a.points(), b.points(), tol); }

// ===========================================================================
// zcLineSegSet

const zc_Instantiator zcLineSegSet::sExemplar(typeid(zcLineSegSet), "zcLineSegSet", &zcLineSegSet::make);
zcPersistent* zcLineSegSet::make() { return new zcLineSegSet; }

namespace {
void checkMembers(const std::vector<zcLineSeg>& segments, bool allowDegenerate) {
  if (allowDegenerate) return;
  for (const zcLineSeg& s : segments)
    if (s.degen()) throw zcShapesError::DegenerateShape(L"a segment of zero length in the set");
}
}  // namespace

zcLineSegSet::zcLineSegSet() = default;
zcLineSegSet::zcLineSegSet(std::vector<zcLineSeg> segments, bool allowDegenerate)
    : segments_(std::move(segments)), allowDegenerate_(allowDegenerate) {
  checkMembers(segments_, allowDegenerate_);
}
zcLineSegSet::zcLineSegSet(const zcLineSegSet& other) = default;
zcLineSegSet& zcLineSegSet::operator=(const zcLineSegSet&) = default;
zcLineSegSet::~zcLineSegSet() = default;

const zcLineSeg& zcLineSegSet::segment(long i) const { return checkedAt(segments_, i); }

void zcLineSegSet::add(const zcLineSeg& segment) {
  if (!allowDegenerate_ && segment.degen()) throw zcShapesError::DegenerateShape(L"a segment of zero length");
  mutating_();
  segments_.push_back(segment);
}

bool zcLineSegSet::degen() const {
  return std::all_of(segments_.begin(), segments_.end(), [](const zcLineSeg& s) { return s.degen(); });
}

zcRect zcLineSegSet::boundingBox() const {
  if (segments_.empty()) throw zcShapesError::EmptyShape(L"an empty segment set");
  zcRect box;
  for (const zcLineSeg& s : segments_) box.enclose(s.boundingBox());
  return box;
}

zcPoint zcLineSegSet::nearestPoint(const zcPoint& p) const {
  if (segments_.empty()) throw zcShapesError::EmptyShape(L"an empty segment set");
  zcPoint best = segments_[0].nearestPoint(p);
  for (const zcLineSeg& s : segments_) {
    const zcPoint q = s.nearestPoint(p);
    if (q.distance(p) < best.distance(p)) best = q;
  }
  return best;
}

double zcLineSegSet::perimeter() const {
  double sum = 0.0;
  for (const zcLineSeg& s : segments_) sum += s.length();
  return sum;
}

zcShapePtr zcLineSegSet::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcLineSegSet(map(x))); }
zcShapePtr zcLineSegSet::clone() const { return zcShapePtr(new zcLineSegSet(*this)); }

zcLineSegSet zcLineSegSet::map(const zcXform<2>& x) const {
  std::vector<zcLineSeg> out;
  out.reserve(segments_.size());
  for (const zcLineSeg& s : segments_) out.push_back(s.map(x));
  return zcLineSegSet(std::move(out), allowDegenerate_);
}

bool zcLineSegSet::equal_(const zcShape& other) const {
  const zcLineSegSet* o = sameKind<zcLineSegSet>(other);
  if (!o || allowDegenerate_ != o->allowDegenerate_ || segments_.size() != o->segments_.size()) return false;
  for (std::size_t i = 0; i < segments_.size(); ++i)
    if (segments_[i] != o->segments_[i]) return false;
  return true;
}

zcShapePtr zcLineSegSet::reverse_() const {
  std::vector<zcLineSeg> out;
  out.reserve(segments_.size());
  for (auto it = segments_.rbegin(); it != segments_.rend(); ++it) out.push_back(it->reversed());
  return zcShapePtr(new zcLineSegSet(std::move(out), allowDegenerate_));
}

void zcLineSegSet::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcLineSegSet", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    bool allow = allowDegenerate_;
    archive || allow;
    if (archive.isStoring()) {
      long count = size();
      archive || count;
      for (const zcLineSeg& s : segments_) {
        zcPoint a = s.p1(), b = s.p2();
        archive || a || b;
      }
      return;
    }
    long count = 0;
    archive || count;
    if (count < 0) throw zcArchive::BadCount(L"negative segment count");
    archive.checkCount(static_cast<unsigned long>(count), 32);
    std::vector<zcLineSeg> loaded;
    loaded.reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) {
      const zcPoint a = loadFinite(archive);
      const zcPoint b = loadFinite(archive);
      if (!allow && a == b) throw zcArchive::BadFormat(L"a segment of zero length in a set that refuses them");
      loaded.emplace_back(a, b);
    }
    mutating_();
    segments_ = std::move(loaded);
    allowDegenerate_ = allow;
  });
}

bool zfRealEq(const zcLineSegSet& a, const zcLineSegSet& b, double tol) {
  if (a.allowsDegenerate() != b.allowsDegenerate() || a.size() != b.size()) return false;
  for (long i = 0; i < a.size(); ++i)
    if (!zfRealEq(a.segment(i), b.segment(i), tol)) return false;
  return true;
}

// ===========================================================================
// zcPolygon

const zc_Instantiator zcPolygon::sExemplar(typeid(zcPolygon), "zcPolygon", &zcPolygon::make);
zcPersistent* zcPolygon::make() { return new zcPolygon; }

zcPolygon::zcPolygon() = default;
zcPolygon::zcPolygon(std::vector<zcPoint> vertices, PolyFillMode mode) : vertices_(std::move(vertices)), mode_(mode) {
  requireFinite(vertices_);
  if (!validMode(mode)) throw zcShapesError::BadParams(L"unknown fill mode");
}
zcPolygon::zcPolygon(const zcPolygon& other) = default;
zcPolygon::zcPolygon(zcPolygon&& other) noexcept = default;
zcPolygon& zcPolygon::operator=(const zcPolygon&) = default;
zcPolygon::~zcPolygon() = default;

const zcPoint& zcPolygon::vertex(long i) const { return checkedAt(vertices_, i); }

void zcPolygon::fillMode(PolyFillMode mode) {
  if (!validMode(mode)) throw zcShapesError::BadParams(L"unknown fill mode");
  mutating_();
  mode_ = mode;
}

void zcPolygon::vertices(std::vector<zcPoint> vertices) {
  requireFinite(vertices);
  mutating_();
  vertices_ = std::move(vertices);
}

void zcPolygon::add(const zcPoint& p) {
  requireFinite(p);
  mutating_();
  vertices_.push_back(p);
}

double zcPolygon::signedArea() const { return zc_lines::signedArea(vertices_); }

bool zcPolygon::hasTangent() const {
  return std::any_of(vertices_.begin(), vertices_.end(), [&](const zcPoint& p) { return p != vertices_[0]; });
}

zcRect zcPolygon::boundingBox() const { return boxOf(vertices_); }

zcPoint zcPolygon::nearestPoint(const zcPoint& p) const {
  if (isRegion() && within(p)) return p;
  return Chain{vertices_, true}.nearest(p);
}

double zcPolygon::perimeter() const { return Chain{vertices_, true}.length(); }

bool zcPolygon::isRightHanded() const {
  if (!isRegion()) throw zcShapesError::NotRegion(L"a polygon of fewer than three vertices");
  return signedArea() >= 0.0;
}

bool zcPolygon::within(const zcPoint& p) const {
  if (!isRegion()) throw zcShapesError::NotRegion(L"a polygon of fewer than three vertices");
  if (Chain{vertices_, true}.touches(p)) return true;
  return mode_ == eWinding ? insideWinding(vertices_, p) : insideEvenOdd(vertices_, p);
}

zcShapePtr zcPolygon::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcPolygon(map(x))); }

void zcPolygon::sample(const zcSampleParams& params, zcSampleResult& result) const {
  Chain{vertices_, true}.sample(params, result);
}

zcShapePtr zcPolygon::clone() const { return zcShapePtr(new zcPolygon(*this)); }

zcPolygon zcPolygon::map(const zcXform<2>& x) const { return zcPolygon(mapped(vertices_, x), mode_); }

bool zcPolygon::equal_(const zcShape& other) const {
  const zcPolygon* o = sameKind<zcPolygon>(other);
  return o && mode_ == o->mode_ && vertices_ == o->vertices_;
}

zcShapePtr zcPolygon::reverse_() const {
  return zcShapePtr(new zcPolygon(std::vector<zcPoint>(vertices_.rbegin(), vertices_.rend()), mode_));
}

namespace {
// Fill mode and vertices through an archive; loading validates, then assigns.
void serializePolygon(zcArchive& archive, zcPolygon& polygon) {
  int mode = polygon.fillMode();
  archive || mode;
  std::vector<zcPoint> vertices = archive.isStoring() ? polygon.vertices() : std::vector<zcPoint>();
  if (archive.isLoading() && !validMode(mode)) throw zcArchive::BadFormat(L"unknown polygon fill mode");
  serializePoints(archive, vertices);
  if (archive.isLoading()) polygon = zcPolygon(std::move(vertices), static_cast<zcPolygon::PolyFillMode>(mode));
}
}  // namespace

void zcPolygon::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcPolygon", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    serializePolygon(archive, *this);
  });
}

zcArchive& operator||(zcArchive& archive, zcPolygon& polygon) {
  unsigned char version = 0;
  archive || version;
  checkOwnVersion(version, __LINE__);
  serializePolygon(archive, polygon);
  return archive;
}

bool zfRealEq(const zcPolygon& a, const zcPolygon& b, double tol) {
  return a.fillMode() == b.fillMode() && realEq(a.vertices(), b.vertices(), tol);
}

// ===========================================================================
// zcPolyline

const zc_Instantiator zcPolyline::sExemplar(typeid(zcPolyline), "zcPolyline", &zcPolyline::make);
zcPersistent* zcPolyline::make() { return new zcPolyline; }

zcPolyline::zcPolyline() = default;
zcPolyline::zcPolyline(std::vector<zcPoint> vertices, bool closed) : vertices_(std::move(vertices)), closed_(closed) {
  requireFinite(vertices_);
}
zcPolyline::zcPolyline(const zcPolyline& other) = default;
zcPolyline::zcPolyline(zcPolyline&& other) noexcept = default;
zcPolyline& zcPolyline::operator=(const zcPolyline&) = default;
zcPolyline::~zcPolyline() = default;

const zcPoint& zcPolyline::vertex(long i) const { return checkedAt(vertices_, i); }

void zcPolyline::closed(bool value) {
  mutating_();
  closed_ = value;
}

void zcPolyline::vertices(std::vector<zcPoint> vertices) {
  requireFinite(vertices);
  mutating_();
  vertices_ = std::move(vertices);
}

void zcPolyline::add(const zcPoint& p) {
  requireFinite(p);
  mutating_();
  vertices_.push_back(p);
}

bool zcPolyline::degen() const {
  return std::all_of(vertices_.begin(), vertices_.end(), [&](const zcPoint& p) { return p == vertices_[0]; });
}

zcRect zcPolyline::boundingBox() const { return boxOf(vertices_); }

zcPoint zcPolyline::nearestPoint(const zcPoint& p) const {
  if (isRegion() && within(p)) return p;
  return Chain{vertices_, closed_}.nearest(p);
}

double zcPolyline::perimeter() const { return Chain{vertices_, closed_}.length(); }

double zcPolyline::nearestPerimPos(const zcPoint& p) const {
  double pos = 0.0;
  Chain{vertices_, closed_}.nearest(p, &pos);
  return pos;
}

zcPoint zcPolyline::startPoint() const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"a closed or empty polyline has no ends");
  return vertices_.front();
}

zcPoint zcPolyline::endPoint() const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"a closed or empty polyline has no ends");
  return vertices_.back();
}

zcRadian zcPolyline::startAngle() const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"a closed or empty polyline has no ends");
  for (std::size_t i = 1; i < vertices_.size(); ++i)
    if (vertices_[i] != vertices_[0]) return (vertices_[i] - vertices_[i - 1]).angle();
  throw zcShapesError::NoTangent(L"the polyline has no direction");
}

zcRadian zcPolyline::endAngle() const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"a closed or empty polyline has no ends");
  for (std::size_t i = vertices_.size() - 1; i > 0; --i)
    if (vertices_[i - 1] != vertices_.back()) return (vertices_[i] - vertices_[i - 1]).angle();
  throw zcShapesError::NoTangent(L"the polyline has no direction");
}

zcRadian zcPolyline::tangentRotation() const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"tangent rotation needs an open contour");
  double sum = 0.0;
  zcVector<2> previous;
  for (std::size_t i = 1; i < vertices_.size(); ++i) {
    const zcVector<2> d = vertices_[i] - vertices_[i - 1];
    if (d.lengthSq() == 0.0) continue;
    if (previous.lengthSq() != 0.0) sum += turn(previous, d);
    previous = d;
  }
  return zcRadian(sum);
}

zcRadian zcPolyline::windingAngle(const zcPoint& p) const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"winding angle needs an open contour");
  if (Chain{vertices_, false}.touches(p)) throw zcShapesError::BadGeom(L"the point lies on the polyline");
  double sum = 0.0;
  for (std::size_t i = 1; i < vertices_.size(); ++i) sum += turn(vertices_[i - 1] - p, vertices_[i] - p);
  return zcRadian(sum);
}

bool zcPolyline::isRightHanded() const {
  if (!isRegion()) throw zcShapesError::NotRegion(L"an open polyline or fewer than three vertices");
  return zc_lines::signedArea(vertices_) >= 0.0;
}

bool zcPolyline::within(const zcPoint& p) const {
  if (!isRegion()) throw zcShapesError::NotRegion(L"an open polyline or fewer than three vertices");
  return Chain{vertices_, true}.touches(p) || insideEvenOdd(vertices_, p);
}

zcShapePtr zcPolyline::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcPolyline(map(x))); }

zcShapePtr zcPolyline::subShape(double from, double to) const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"sub-shapes of open polylines only");
  if (std::isnan(from) || std::isnan(to)) throw zcShapesError::BadParams(L"NaN position");
  const Chain chain{vertices_, false};
  if (from <= to) return zcShapePtr(new zcPolyline(chain.part(from, to)));
  std::vector<zcPoint> part = chain.part(to, from);
  std::reverse(part.begin(), part.end());
  return zcShapePtr(new zcPolyline(std::move(part)));
}

void zcPolyline::sample(const zcSampleParams& params, zcSampleResult& result) const {
  Chain{vertices_, closed_}.sample(params, result);
}

zcShapePtr zcPolyline::clone() const { return zcShapePtr(new zcPolyline(*this)); }

zcPolyline zcPolyline::map(const zcXform<2>& x) const { return zcPolyline(mapped(vertices_, x), closed_); }

bool zcPolyline::equal_(const zcShape& other) const {
  const zcPolyline* o = sameKind<zcPolyline>(other);
  return o && closed_ == o->closed_ && vertices_ == o->vertices_;
}

zcShapePtr zcPolyline::reverse_() const {
  std::vector<zcPoint> v(vertices_.rbegin(), vertices_.rend());
  // A closed chain keeps its start vertex: 0, n−1, ..., 1.
  if (closed_ && !v.empty()) std::rotate(v.rbegin(), v.rbegin() + 1, v.rend());
  return zcShapePtr(new zcPolyline(std::move(v), closed_));
}

void zcPolyline::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  Chain{vertices_, closed_}.pointAndTangent(position, point, tangent);
}

void zcPolyline::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcPolyline", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    bool closed = closed_;
    archive || closed;
    std::vector<zcPoint> vertices = archive.isStoring() ? vertices_ : std::vector<zcPoint>();
    serializePoints(archive, vertices);
    if (archive.isStoring()) return;
    mutating_();
    vertices_ = std::move(vertices);
    closed_ = closed;
  });
}

bool zfRealEq(const zcPolyline& a, const zcPolyline& b, double tol) {
  return a.isClosed() == b.isClosed() && realEq(a.vertices(), b.vertices(), tol);
}

// Points, segments, infinite lines, the cross marker and coordinate axes.
// Point and segment sets, polygons and polylines are in lines_poly.cpp.
#include "zfound/lines.h"

#include "lines_support.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <vector>

using namespace zc_lines;

namespace {

template <class T>
const T* sameKind(const zcShape& other) {
  return typeid(other) == typeid(T) ? static_cast<const T*>(&other) : nullptr;
}

// A direction as a unit vector. One already of length 1 to rounding is kept as it
// is, so that a direction read back from its own numbers stays bit for bit.
zcVector<2> unitDirection(const zcVector<2>& d) {
  requireFinite(d);
  const double len = d.length();
  if (std::abs(len - 1.0) <= 1e-15) return d;
  // Scaled by the larger component first, so that neither tiny (subnormal) nor huge
  // directions lose their precision on the way to length 1.
  const double m = std::max(std::abs(d.x()), std::abs(d.y()));
  if (m == 0.0) throw zcShapesError::DegenerateShape(L"a line needs a direction");
  const zcVector<2> scaled(d.x() / m, d.y() / m);
  return scaled / scaled.length();
}

zcVector<2> directionOf(zcRadian angle) {
  if (!std::isfinite(angle.value())) throw zcShapesError::BadParams(L"non-finite angle");
  return zcVector<2>(std::cos(angle.value()), std::sin(angle.value()));
}

// A loaded direction or normal must have length 1 within this.
constexpr double kUnitSlack = 1e-9;

bool isUnit(const zcVector<2>& v) { return zfIsFinite(v) && std::abs(v.length() - 1.0) <= kUnitSlack; }

void checkOwnVersion(unsigned char version, long line) {
  if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", line);
}

// The part of the line p + t d (d a unit vector) inside the window, by clipping the
// parameter range against the two slabs. A direction component at or below 1e-12
// counts as 0: the line is then parallel to that slab.
zcShapePtr clipInfinite(const zcPoint& p, const zcVector<2>& d, const zcRect& window, zcClipInfo& info) {
  info = zcClipInfo();
  info.result = zcClipInfo::eOutside;
  if (window.isEmpty()) return zcShapePtr();
  double lo = -INFINITY;
  double hi = INFINITY;
  const double from[2] = {window.x(), window.y()};
  const double to[2] = {window.x() + window.width(), window.y() + window.height()};
  const double at[2] = {p.x(), p.y()};
  const double dir[2] = {d.x(), d.y()};
  for (int axis = 0; axis < 2; ++axis) {
    if (std::abs(dir[axis]) <= 1e-12) {
      if (at[axis] < from[axis] || at[axis] > to[axis]) return zcShapePtr();
      continue;
    }
    const double t1 = (from[axis] - at[axis]) / dir[axis];
    const double t2 = (to[axis] - at[axis]) / dir[axis];
    lo = std::max(lo, std::min(t1, t2));
    hi = std::min(hi, std::max(t1, t2));
  }
  if (!(lo <= hi)) return zcShapePtr();
  info.result = zcClipInfo::eClipped;
  info.pieces = 1;
  return zcShapePtr(new zcLineSeg(p + d * lo, p + d * hi));
}

}  // namespace

// ===========================================================================
// zc2Point

const zc_Instantiator zc2Point::sExemplar(typeid(zc2Point), "zc2Point", &zc2Point::make);
zcPersistent* zc2Point::make() { return new zc2Point; }

zc2Point::zc2Point() = default;
zc2Point::zc2Point(const zcPoint& p) : p_(p) { requireFinite(p); }
zc2Point::zc2Point(const zc2Point& other) = default;
zc2Point& zc2Point::operator=(const zc2Point&) = default;
zc2Point::~zc2Point() = default;

void zc2Point::point(const zcPoint& p) {
  requireFinite(p);
  mutating_();
  p_ = p;
}

zcRect zc2Point::boundingBox() const { return zcRect(p_, zcVector<2>()); }
zcPoint zc2Point::nearestPoint(const zcPoint&) const { return p_; }
zcShapePtr zc2Point::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zc2Point(map(x))); }
zcShapePtr zc2Point::clone() const { return zcShapePtr(new zc2Point(*this)); }
zc2Point zc2Point::map(const zcXform<2>& x) const { return zc2Point(x.mapPoint(p_)); }

bool zc2Point::equal_(const zcShape& other) const {
  const zc2Point* o = sameKind<zc2Point>(other);
  return o && p_ == o->p_;
}

void zc2Point::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zc2Point", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    if (archive.isStoring()) {
      archive || p_;
      return;
    }
    const zcPoint p = loadFinite(archive);
    mutating_();
    p_ = p;
  });
}

bool zfRealEq(const zc2Point& a, const zc2Point& b, double tol) { return zfRealEq(a.point(), b.point(), tol); }

// ===========================================================================
// zcLineSeg

const zc_Instantiator zcLineSeg::sExemplar(typeid(zcLineSeg), "zcLineSeg", &zcLineSeg::make);
zcPersistent* zcLineSeg::make() { return new zcLineSeg; }

zcLineSeg::zcLineSeg() = default;
zcLineSeg::zcLineSeg(const zcPoint& p1, const zcPoint& p2) : p1_(p1), p2_(p2) {
  requireFinite(p1);
  requireFinite(p2);
}
zcLineSeg::zcLineSeg(const zcLineSeg& other) = default;
zcLineSeg& zcLineSeg::operator=(const zcLineSeg&) = default;
zcLineSeg::~zcLineSeg() = default;

void zcLineSeg::throwNonFinite_() { throwNonFinite(); }

zcRadian zcLineSeg::angle() const {
  if (degen()) throw zcShapesError::NoTangent(L"a segment of zero length has no direction");
  return (p2_ - p1_).angle();
}

zcFLine zcLineSeg::line() const { return zcFLine(p1_, p2_); }

zcRect zcLineSeg::boundingBox() const { return zcRect::fromCorners(p1_, p2_); }

zcPoint zcLineSeg::nearestPoint(const zcPoint& p) const { return segmentNearest(p1_, p2_, p); }

double zcLineSeg::nearestPerimPos(const zcPoint& p) const { return segmentFraction(p1_, p2_, p) * length(); }

zcRadian zcLineSeg::tangentRotation() const { return zcRadian(0.0); }

zcRadian zcLineSeg::windingAngle(const zcPoint& p) const {
  const std::vector<zcPoint> ends{p1_, p2_};
  if (Chain{ends, false}.touches(p)) throw zcShapesError::BadGeom(L"the point lies on the segment");
  return zcRadian(turn(p1_ - p, p2_ - p));
}

zcShapePtr zcLineSeg::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcLineSeg(map(x))); }

zcShapePtr zcLineSeg::subShape(double from, double to) const {
  if (std::isnan(from) || std::isnan(to)) throw zcShapesError::BadParams(L"NaN position");
  const double len = length();
  auto at = [&](double pos) {
    if (len == 0.0) return p1_;
    const double t = std::clamp(pos, 0.0, len) / len;
    return t == 1.0 ? p2_ : p1_ + (p2_ - p1_) * t;
  };
  return zcShapePtr(new zcLineSeg(at(from), at(to)));
}

void zcLineSeg::sample(const zcSampleParams& params, zcSampleResult& result) const {
  const std::vector<zcPoint> ends{p1_, p2_};
  Chain{ends, false}.sample(params, result);
}

zcShapePtr zcLineSeg::clone() const { return zcShapePtr(new zcLineSeg(*this)); }

zcLineSeg zcLineSeg::map(const zcXform<2>& x) const { return zcLineSeg(x.mapPoint(p1_), x.mapPoint(p2_)); }

bool zcLineSeg::equal_(const zcShape& other) const {
  const zcLineSeg* o = sameKind<zcLineSeg>(other);
  return o && p1_ == o->p1_ && p2_ == o->p2_;
}

zcShapePtr zcLineSeg::reverse_() const { return zcShapePtr(new zcLineSeg(p2_, p1_)); }

void zcLineSeg::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  const std::vector<zcPoint> ends{p1_, p2_};
  Chain{ends, false}.pointAndTangent(position, point, tangent);
}

void zcLineSeg::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcLineSeg", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    if (archive.isStoring()) {
      archive || p1_ || p2_;
      return;
    }
    const zcPoint a = loadFinite(archive);
    const zcPoint b = loadFinite(archive);
    mutating_();
    p1_ = a;
    p2_ = b;
  });
}

bool zfRealEq(const zcLineSeg& a, const zcLineSeg& b, double tol) {
  return zfRealEq(a.p1(), b.p1(), tol) && zfRealEq(a.p2(), b.p2(), tol);
}

// ===========================================================================
// zcLine

const zc_Instantiator zcLine::sExemplar(typeid(zcLine), "zcLine", &zcLine::make);
zcPersistent* zcLine::make() { return new zcLine; }

zcLine::zcLine() : dir_(1.0, 0.0) {}

zcLine::zcLine(const zcVector<2>& direction, const zcPoint& point)
    : dir_(unitDirection(direction)), point_(point) {
  requireFinite(point);
}

zcLine::zcLine(const zcPoint& point, zcRadian angle) : zcLine(directionOf(angle), point) {}

zcLine zcLine::throughPoints(const zcPoint& a, const zcPoint& b) {
  requireFinite(a);
  requireFinite(b);
  return zcLine(b - a, a);
}

zcLine::zcLine(const zcLine& other) = default;
zcLine& zcLine::operator=(const zcLine&) = default;
zcLine::~zcLine() = default;

zcFLine zcLine::fline() const { return zcFLine(*this); }

double zcLine::signedDistance(const zcPoint& p) const { return dir_.cross(p - point_); }

zcRect zcLine::boundingBox() const { throw zcShapesError::DegenerateShape(L"an infinite line has no bounding box"); }

zcPoint zcLine::nearestPoint(const zcPoint& p) const { return point_ + dir_ * dir_.dot(p - point_); }

zcShapePtr zcLine::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcLine(map(x))); }
zcShapePtr zcLine::clone() const { return zcShapePtr(new zcLine(*this)); }

zcLine zcLine::map(const zcXform<2>& x) const { return zcLine(x.mapVector(dir_), x.mapPoint(point_)); }

void zcLine::writeImage(zcImageOut<zkLineImageSize> out) const {
  zfStoreF64(out.data() + 0, dir_.x());
  zfStoreF64(out.data() + 8, dir_.y());
  zfStoreF64(out.data() + 16, point_.x());
  zfStoreF64(out.data() + 24, point_.y());
}

zcLine zcLine::readImage(zcImageIn<zkLineImageSize> in) {
  return zcLine(zcVector<2>(zfLoadF64(in.data() + 0), zfLoadF64(in.data() + 8)),
                zcPoint(zfLoadF64(in.data() + 16), zfLoadF64(in.data() + 24)));
}

bool zcLine::equal_(const zcShape& other) const {
  const zcLine* o = sameKind<zcLine>(other);
  return o && dir_ == o->dir_ && point_ == o->point_;
}

zcShapePtr zcLine::reverse_() const { return zcShapePtr(new zcLine(-dir_, point_)); }

zcShapePtr zcLine::clip_(const zcRect& window, zcClipInfo& info) const {
  return clipInfinite(point_, dir_, window, info);
}

void zcLine::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcLine", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    if (archive.isStoring()) {
      archive || dir_ || point_;
      return;
    }
    zcVector<2> dir;
    archive || dir;
    const zcPoint point = loadFinite(archive);
    if (!isUnit(dir)) throw zcArchive::BadFormat(L"a line direction must be a unit vector");
    const zcVector<2> unit = unitDirection(dir);
    mutating_();
    dir_ = unit;
    point_ = point;
  });
}

bool zfRealEq(const zcLine& a, const zcLine& b, double tol) {
  return zfRealEq(a.dir(), b.dir(), tol) && zfRealEq(a.point(), b.point(), tol);
}

// ===========================================================================
// zcFLine

const zc_Instantiator zcFLine::sExemplar(typeid(zcFLine), "zcFLine", &zcFLine::make);
zcPersistent* zcFLine::make() { return new zcFLine; }

zcFLine::zcFLine() : normal_(0.0, 1.0) {}

zcFLine::zcFLine(const zcPoint& p1, const zcPoint& p2) {
  requireFinite(p1);
  requireFinite(p2);
  normal_ = unitDirection(p2 - p1).perp();
  c_ = normal_.dot(p1);
}

zcFLine::zcFLine(const zcPoint& point, zcRadian direction) : normal_(directionOf(direction).perp()) {
  requireFinite(point);
  c_ = normal_.dot(point);
}

zcFLine::zcFLine(double a, double b, double c) {
  if (!std::isfinite(c)) throw zcShapesError::BadParams(L"non-finite line");
  const zcVector<2> n(a, b);
  requireFinite(n);
  const double len = n.length();
  if (len == 0.0) throw zcShapesError::DegenerateShape(L"a line needs a normal");
  normal_ = unitDirection(n);
  c_ = normal_ == n ? c : c / len;
  if (!std::isfinite(c_)) throw zcShapesError::BadParams(L"non-finite line");
}

zcFLine::zcFLine(const zcLine& line) : normal_(line.dir().perp()), c_(line.dir().perp().dot(line.point())) {}

zcFLine::zcFLine(const zcFLine& other) = default;
zcFLine& zcFLine::operator=(const zcFLine&) = default;
zcFLine::~zcFLine() = default;

zcPoint zcFLine::intersection(const zcFLine& other) const {
  const double det = a() * other.b() - other.a() * b();
  if (std::abs(det) <= 1e-15) throw zcMathError::Singular();
  return zcPoint((c_ * other.b() - other.c_ * b()) / det, (a() * other.c_ - other.a() * c_) / det);
}

zcRect zcFLine::boundingBox() const { throw zcShapesError::DegenerateShape(L"an infinite line has no bounding box"); }

zcPoint zcFLine::nearestPoint(const zcPoint& p) const { return p - normal_ * signedDistance(p); }

zcShapePtr zcFLine::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcFLine(map(x))); }
zcShapePtr zcFLine::clone() const { return zcShapePtr(new zcFLine(*this)); }

zcFLine zcFLine::map(const zcXform<2>& x) const {
  const zcPoint p = point();
  const zcPoint a = x.mapPoint(p);
  const zcPoint b = x.mapPoint(p + direction());
  if (a == b) throw zcShapesError::DegenerateShape(L"the map collapses the line");
  return zcFLine(a, b);
}

bool zcFLine::equal_(const zcShape& other) const {
  const zcFLine* o = sameKind<zcFLine>(other);
  return o && normal_ == o->normal_ && c_ == o->c_;
}

zcShapePtr zcFLine::reverse_() const {
  zcFLine* r = new zcFLine(*this);
  r->normal_ = -normal_;
  r->c_ = -c_;
  return zcShapePtr(r);
}

zcShapePtr zcFLine::clip_(const zcRect& window, zcClipInfo& info) const {
  return clipInfinite(point(), direction(), window, info);
}

void zcFLine::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcFLine", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    double a = normal_.x();
    double b = normal_.y();
    double c = c_;
    archive || a || b || c;
    if (archive.isStoring()) return;
    if (!isUnit(zcVector<2>(a, b)) || !std::isfinite(c))
      throw zcArchive::BadFormat(L"a line normal must be a unit vector");
    const zcFLine loaded(a, b, c);
    mutating_();
    normal_ = loaded.normal_;
    c_ = loaded.c_;
  });
}

bool zfRealEq(const zcFLine& a, const zcFLine& b, double tol) {
  return zfRealEq(a.normal(), b.normal(), tol) && zfRealEq(a.c(), b.c(), tol);
}

// ===========================================================================
// zcCross

const zc_Instantiator zcCross::sExemplar(typeid(zcCross), "zcCross", &zcCross::make);
zcPersistent* zcCross::make() { return new zcCross; }

namespace {
void checkCross(const zcPoint& center, zcRadian angle, std::int32_t size) {
  requireFinite(center);
  if (!std::isfinite(angle.value())) throw zcShapesError::BadParams(L"non-finite cross angle");
  if (size < 0) throw zcShapesError::BadParams(L"negative cross size");
}
}  // namespace

zcCross::zcCross() = default;
zcCross::zcCross(const zcPoint& center, zcRadian angle, std::int32_t size)
    : center_(center), angle_(angle), size_(size) {
  checkCross(center, angle, size);
}
zcCross::zcCross(const zcCross& other) = default;
zcCross& zcCross::operator=(const zcCross&) = default;
zcCross::~zcCross() = default;

void zcCross::center(const zcPoint& p) {
  checkCross(p, angle_, size_);
  mutating_();
  center_ = p;
}

void zcCross::angle(zcRadian a) {
  checkCross(center_, a, size_);
  mutating_();
  angle_ = a;
}

void zcCross::size(std::int32_t pixels) {
  checkCross(center_, angle_, pixels);
  mutating_();
  size_ = pixels;
}

zcRect zcCross::boundingBox() const { return zcRect(center_, zcVector<2>()); }
zcPoint zcCross::nearestPoint(const zcPoint&) const { return center_; }
zcShapePtr zcCross::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcCross(map(x))); }
zcShapePtr zcCross::clone() const { return zcShapePtr(new zcCross(*this)); }

zcCross zcCross::map(const zcXform<2>& x) const { return zcCross(x.mapPoint(center_), x.mapAngle(angle_), size_); }

void zcCross::writeImage(zcImageOut<zkCrossImageSize> out) const {
  zfStoreF64(out.data() + 0, center_.x());
  zfStoreF64(out.data() + 8, center_.y());
  zfStoreF64(out.data() + 16, angle_.value());
  zfStoreI32(out.data() + 24, size_);
  zfStoreU32(out.data() + 28, 0);
}

zcCross zcCross::readImage(zcImageIn<zkCrossImageSize> in) {
  return zcCross(zcPoint(zfLoadF64(in.data() + 0), zfLoadF64(in.data() + 8)), zcRadian(zfLoadF64(in.data() + 16)),
                 zfLoadI32(in.data() + 24));
}

bool zcCross::equal_(const zcShape& other) const {
  const zcCross* o = sameKind<zcCross>(other);
  return o && center_ == o->center_ && angle_ == o->angle_ && size_ == o->size_;
}

namespace {
// The fields of a cross through an archive; loading validates before assigning.
void serializeCross(zcArchive& archive, zcCross& cross) {
  zcPoint center = cross.center();
  zcRadian angle = cross.angle();
  int size = cross.size();
  archive || center || angle || size;
  if (archive.isStoring()) return;
  if (!zfIsFinite(center) || !std::isfinite(angle.value()) || size < 0)
    throw zcArchive::BadFormat(L"not a cross");
  cross = zcCross(center, angle, size);
}
}  // namespace

void zcCross::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcCross", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    serializeCross(archive, *this);
  });
}

zcArchive& operator||(zcArchive& archive, zcCross& cross) {
  unsigned char version = 0;
  archive || version;
  checkOwnVersion(version, __LINE__);
  serializeCross(archive, cross);
  return archive;
}

bool zfRealEq(const zcCross& a, const zcCross& b, double tol) {
  return zfRealEq(a.center(), b.center(), tol) && std::abs((a.angle() - b.angle()).signedNorm().value()) <= tol &&
         a.size() == b.size();
}

// ===========================================================================
// zcCoordAxes

const zc_Instantiator zcCoordAxes::sExemplar(typeid(zcCoordAxes), "zcCoordAxes", &zcCoordAxes::make);
zcPersistent* zcCoordAxes::make() { return new zcCoordAxes; }

zcCoordAxes::zcCoordAxes() : xEnd_(1.0, 0.0), yEnd_(0.0, 1.0) {}
zcCoordAxes::zcCoordAxes(const zcPoint& origin, const zcPoint& xEnd, const zcPoint& yEnd)
    : origin_(origin), xEnd_(xEnd), yEnd_(yEnd) {
  requireFinite(origin);
  requireFinite(xEnd);
  requireFinite(yEnd);
}
zcCoordAxes::zcCoordAxes(const zcCoordAxes& other) = default;
zcCoordAxes& zcCoordAxes::operator=(const zcCoordAxes&) = default;
zcCoordAxes::~zcCoordAxes() = default;

zcRect zcCoordAxes::boundingBox() const { return boxOf({origin_, xEnd_, yEnd_}); }

zcPoint zcCoordAxes::nearestPoint(const zcPoint& p) const {
  const zcPoint a = segmentNearest(origin_, xEnd_, p);
  const zcPoint b = segmentNearest(origin_, yEnd_, p);
  return a.distance(p) <= b.distance(p) ? a : b;
}

zcShapePtr zcCoordAxes::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcCoordAxes(map(x))); }
zcShapePtr zcCoordAxes::clone() const { return zcShapePtr(new zcCoordAxes(*this)); }

zcCoordAxes zcCoordAxes::map(const zcXform<2>& x) const {
  return zcCoordAxes(x.mapPoint(origin_), x.mapPoint(xEnd_), x.mapPoint(yEnd_));
}

void zcCoordAxes::writeImage(zcImageOut<zkCoordAxesImageSize> out) const {
  const zcPoint points[3] = {origin_, xEnd_, yEnd_};
  for (int i = 0; i < 3; ++i) {
    zfStoreF64(out.data() + 16 * i, points[i].x());
    zfStoreF64(out.data() + 16 * i + 8, points[i].y());
  }
}

zcCoordAxes zcCoordAxes::readImage(zcImageIn<zkCoordAxesImageSize> in) {
  auto at = [&](int i) { return zcPoint(zfLoadF64(in.data() + 16 * i), zfLoadF64(in.data() + 16 * i + 8)); };
  return zcCoordAxes(at(0), at(1), at(2));
}

bool zcCoordAxes::equal_(const zcShape& other) const {
  const zcCoordAxes* o = sameKind<zcCoordAxes>(other);
  return o && origin_ == o->origin_ && xEnd_ == o->xEnd_ && yEnd_ == o->yEnd_;
}

namespace {
void serializeAxes(zcArchive& archive, zcCoordAxes& axes) {
  if (archive.isStoring()) {
    zcPoint o = axes.origin(), x = axes.xEnd(), y = axes.yEnd();
    archive || o || x || y;
    return;
  }
  const zcPoint o = loadFinite(archive);
  const zcPoint x = loadFinite(archive);
  const zcPoint y = loadFinite(archive);
  axes = zcCoordAxes(o, x, y);
}
}  // namespace

void zcCoordAxes::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcCoordAxes", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/lines", __LINE__);
    zcShape::dispatchSerialize(archive);
    serializeAxes(archive, *this);
  });
}

zcArchive& operator||(zcArchive& archive, zcCoordAxes& axes) {
  unsigned char version = 0;
  archive || version;
  checkOwnVersion(version, __LINE__);
  serializeAxes(archive, axes);
  return archive;
}

bool zfRealEq(const zcCoordAxes& a, const zcCoordAxes& b, double tol) {
  return zfRealEq(a.origin(), b.origin(), tol) && zfRealEq(a.xEnd(), b.xEnd(), tol) &&
         zfRealEq(a.yEnd(), b.yEnd(), tol);
}

// Circles, ellipses given by their geometry, and ellipses given by a map of the unit
// circle.
#include "zfound/conics.h"

#include "conics_support.h"
#include "zfound/xformbase.h"

#include <cmath>
#include <typeinfo>

using namespace zc_conics;

namespace {

zcXform<2> circleXform(const zcPoint& center, double radius) {
  return zcXform<2>(zcMatrix<2>::scaling(radius, radius), center);
}

// Perimeter position on a closed curve, wrapped into [0, perimeter).
double wrapPosition(double position, double perimeter) {
  if (!(perimeter > 0.0)) return 0.0;
  double r = std::fmod(position, perimeter);
  if (r < 0.0) r += perimeter;
  return r;
}

// The closed boundary of a whole conic, from parameter 0 in its own direction.
Contour wholeContour(const Conic& c) {
  Contour contour;
  contour.closed = true;
  contour.pieces.push_back(Piece::arcOf(c, 0.0, kTwoPi));
  return contour;
}

// Archive loading: a refused value is a malformed archive.
template <class Make>
auto loadChecked(Make&& make) {
  try {
    return make();
  } catch (const zcShapesError::Errors&) {
    throw zcArchive::BadFormat(L"the archive holds an invalid conic");
  }
}

}  // namespace

// --- zcEllipseGeom ----------------------------------------------------------------------

zcEllipse::zcEllipseGeom::zcEllipseGeom(const zcPoint& center, double xRadius, double yRadius, zcRadian rotation,
                                        bool rightHanded)
    : center_(center), xRadius_(xRadius), yRadius_(yRadius), rotation_(rotation), rightHanded_(rightHanded) {
  checkFinite(center, L"non-finite ellipse center");
  checkRadius(xRadius);
  checkRadius(yRadius);
  checkFinite(rotation.value(), L"non-finite ellipse rotation");
}

zcEllipse::zcEllipseGeom zcEllipse::zcEllipseGeom::fromUnitXform(const zcXform<2>& x, zcRadian& phase) {
  checkFinite(x, L"non-finite ellipse transform");
  double theta, a, b, s, phi;
  decomposeMatrix(x.matrix(), theta, a, b, s, phi);
  const bool right = s > 0.0;
  if (a == 0.0) {
    phase = zcRadian(0.0);
    return zcEllipseGeom(x.trans(), 0.0, 0.0, zcRadian(0.0), true);
  }
  if (a - b <= 1e-12 * a) {
    // A circle: any rotation fits, so take 0 and put the turn into the phase.
    // With U = diag(a, b) D, U⁻¹ x = R(−phase).
    const zcVector<2> k = x.matrix().col(0);
    phase = zcRadian(-std::atan2(s * k.y() / b, k.x() / a));
    return zcEllipseGeom(x.trans(), a, b, zcRadian(0.0), right);
  }
  // Four decompositions describe the same map (turning the parameter by quarter
  // turns while swapping the radii); take the one with the smallest phase, so that
  // the parameter moves as little as possible.
  int best = 0;
  double bestPhase = zcRadian(phi).signedNorm().value();
  for (int k = 1; k < 4; ++k) {
    const double p = zcRadian(phi + k * s * 0.5 * zkPi).signedNorm().value();
    if (std::abs(p) < std::abs(bestPhase)) {
      best = k;
      bestPhase = p;
    }
  }
  phase = zcRadian(bestPhase);
  const zcRadian rotation = zcRadian(theta + best * 0.5 * zkPi).signedNorm();
  return best % 2 == 0 ? zcEllipseGeom(x.trans(), a, b, rotation, right)
                       : zcEllipseGeom(x.trans(), b, a, rotation, right);
}

zcEllipse::zcEllipseGeom zcEllipse::zcEllipseGeom::fromUnitXform(const zcXform<2>& x) {
  zcRadian phase;
  return fromUnitXform(x, phase);
}

zcXform<2> zcEllipse::zcEllipseGeom::unitXform() const {
  const double c = std::cos(rotation_.value()), s = std::sin(rotation_.value());
  const double sy = rightHanded_ ? yRadius_ : -yRadius_;
  return zcXform<2>(zcMatrix<2>(xRadius_ * c, -sy * s, xRadius_ * s, sy * c), center_);
}

zcEllipse::zcEllipseGeom zcEllipse::zcEllipseGeom::mirrored() const {
  zcEllipseGeom g(*this);
  g.rightHanded_ = !rightHanded_;
  return g;
}

void zcEllipse::zcEllipseGeom::writeImage(zcImageOut<zkEllipseGeomImageSize> out) const {
  unsigned char* p = out.data();
  zfStoreF64(p + 0, center_.x());
  zfStoreF64(p + 8, center_.y());
  zfStoreF64(p + 16, xRadius_);
  zfStoreF64(p + 24, yRadius_);
  zfStoreF64(p + 32, rotation_.value());
  p[40] = rightHanded_ ? 1 : 0;
  p[41] = isCircle() ? 1 : 0;
  for (int i = 42; i < 48; ++i) p[i] = 0;
}

zcEllipse::zcEllipseGeom zcEllipse::zcEllipseGeom::readImage(zcImageIn<zkEllipseGeomImageSize> in) {
  const unsigned char* p = in.data();
  if (p[40] > 1) throw zcShapesError::BadParams(L"ellipse handedness byte is neither 0 nor 1");
  return zcEllipseGeom(zcPoint(zfLoadF64(p + 0), zfLoadF64(p + 8)), zfLoadF64(p + 16), zfLoadF64(p + 24),
                       zcRadian(zfLoadF64(p + 32)), p[40] == 1);
}

zcArchive& operator||(zcArchive& archive, zcEllipse::zcEllipseGeom& geom) {
  zcPoint center = geom.center();
  double rx = geom.xRadius(), ry = geom.yRadius();
  zcRadian rotation = geom.rotation();
  bool right = geom.isRightHanded();
  archive || center || rx || ry || rotation || right;
  if (archive.isLoading())
    geom = loadChecked([&] { return zcEllipse::zcEllipseGeom(center, rx, ry, rotation, right); });
  return archive;
}

bool zfRealEq(const zcEllipse::zcEllipseGeom& a, const zcEllipse::zcEllipseGeom& b, double tol) {
  return zfRealEq(a.unitXform(), b.unitXform(), tol);
}

// --- zcCircle ---------------------------------------------------------------------------

const zc_Instantiator zcCircle::sExemplar(typeid(zcCircle), "zcCircle", &zcCircle::make);

zcPersistent* zcCircle::make() { return new zcCircle; }

zcCircle::zcCircle() = default;

zcCircle::zcCircle(const zcPoint& center, double radius) : center_(center), radius_(radius) {
  checkFinite(center, L"non-finite circle center");
  checkRadius(radius);
}

zcCircle::zcCircle(const zcCircle& other) = default;

zcCircle& zcCircle::operator=(const zcCircle&) = default;

zcCircle::~zcCircle() = default;

void zcCircle::center(const zcPoint& value) {
  checkFinite(value, L"non-finite circle center");
  mutating_();
  center_ = value;
}

void zcCircle::radius(double value) {
  checkRadius(value);
  mutating_();
  radius_ = value;
}

zcRect zcCircle::boundingBox() const {
  return zcRect(center_ - zcVector<2>(radius_, radius_), zcVector<2>(2.0 * radius_, 2.0 * radius_));
}

zcPoint zcCircle::nearestPoint(const zcPoint& p) const {
  if (within(p)) return p;
  const zcVector<2> d = p - center_;
  return center_ + d * (radius_ / d.length());
}

double zcCircle::perimeter() const { return kTwoPi * radius_; }

double zcCircle::nearestPerimPos(const zcPoint& p) const {
  if (p == center_) return 0.0;
  return (p - center_).angle().norm().value() * radius_;
}

bool zcCircle::within(const zcPoint& p) const { return p.distance(center_) <= radius_ * (1.0 + 1e-12); }

zcShapePtr zcCircle::mapShape(const zcXform<2>& x) const {
  checkFinite(x, L"non-finite transform");
  double scale = 0.0;
  if (isSimilarity(x.matrix(), scale)) return zcShapePtr(new zcCircle(x.mapPoint(center_), radius_ * scale));
  return zcShapePtr(new zcEllipse2(x * circleXform(center_, radius_)));
}

void zcCircle::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  wholeContour(Conic(circleXform(center_, radius_))).sample(params, result);
}

zcShapePtr zcCircle::clone() const { return zcShapePtr(new zcCircle(*this)); }

zcEllipse zcCircle::map(const zcXform<2>& x) const {
  return zcEllipse::fromUnitXform(x * circleXform(center_, radius_));
}

bool zcCircle::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcCircle)) return false;
  const auto& o = static_cast<const zcCircle&>(other);
  return center_ == o.center_ && radius_ == o.radius_;
}

void zcCircle::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  const double t = radius_ > 0.0 ? wrapPosition(position, perimeter()) / radius_ : 0.0;
  point = center_ + zcVector<2>(zcRadian(t), radius_);
  tangent = zcRadian(t + 0.5 * zkPi).signedNorm();
}

void zcCircle::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcCircle", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcPoint c = center_;
    double r = radius_;
    archive || c || r;
    if (archive.isLoading()) {
      const zcCircle loaded = loadChecked([&] { return zcCircle(c, r); });
      mutating_();
      center_ = loaded.center_;
      radius_ = loaded.radius_;
    }
  });
}

bool zfRealEq(const zcCircle& a, const zcCircle& b, double tol) {
  return zfRealEq(a.center(), b.center(), tol) && zfRealEq(a.radius(), b.radius(), tol);
}

// --- zcEllipse --------------------------------------------------------------------------

const zc_Instantiator zcEllipse::sExemplar(typeid(zcEllipse), "zcEllipse", &zcEllipse::make);

zcPersistent* zcEllipse::make() { return new zcEllipse; }

zcEllipse::zcEllipse() = default;
zcEllipse::zcEllipse(const zcEllipseGeom& geom) : geom_(geom) {}
zcEllipse::zcEllipse(const zcPoint& center, double xRadius, double yRadius, zcRadian rotation, bool rightHanded)
    : geom_(center, xRadius, yRadius, rotation, rightHanded) {}
zcEllipse::zcEllipse(const zcCircle& circle)
    : geom_(circle.center(), circle.radius(), circle.radius(), zcRadian(0.0), true) {}
zcEllipse::zcEllipse(const zcEllipse& other) = default;

zcEllipse& zcEllipse::operator=(const zcEllipse&) = default;

zcEllipse::~zcEllipse() = default;

zcEllipse zcEllipse::fromUnitXform(const zcXform<2>& x) { return zcEllipse(zcEllipseGeom::fromUnitXform(x)); }

void zcEllipse::geom(const zcEllipseGeom& value) {
  mutating_();
  geom_ = value;
}

zcMatrix<2> zcEllipse::unitMatrix() const { return unitXform().matrix().inverse(); }
zcVector<2> zcEllipse::xAxis() const { return unitXform().matrix().col(0); }
zcVector<2> zcEllipse::yAxis() const { return unitXform().matrix().col(1); }

zcPoint zcEllipse::point(zcRadian t) const {
  return unitXform().mapPoint(zcPoint(std::cos(t.value()), std::sin(t.value())));
}

zcRect zcEllipse::boundingBox() const { return Conic(unitXform()).box(0.0, kTwoPi).rect(); }

zcPoint zcEllipse::nearestPoint(const zcPoint& p) const {
  const Conic c(unitXform());
  if (c.inside(p)) return p;
  return c.point(c.nearestParam(p, 0.0, kTwoPi));
}

double zcEllipse::perimeter() const { return Conic(unitXform()).perimeter(); }

double zcEllipse::nearestPerimPos(const zcPoint& p) const {
  const Conic c(unitXform());
  const double t = zcRadian(c.nearestParam(p, 0.0, kTwoPi)).norm().value();
  return c.arcLength(0.0, t);
}

bool zcEllipse::within(const zcPoint& p) const { return Conic(unitXform()).inside(p); }

zcShapePtr zcEllipse::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcEllipse2(x * unitXform())); }

void zcEllipse::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  wholeContour(Conic(unitXform())).sample(params, result);
}

zcShapePtr zcEllipse::clone() const { return zcShapePtr(new zcEllipse(*this)); }

zcEllipse zcEllipse::map(const zcXform<2>& x) const { return fromUnitXform(x * unitXform()); }

bool zcEllipse::equal_(const zcShape& other) const {
  return typeid(other) == typeid(zcEllipse) && geom_ == static_cast<const zcEllipse&>(other).geom_;
}

zcShapePtr zcEllipse::reverse_() const { return zcShapePtr(new zcEllipse(geom_.mirrored())); }

void zcEllipse::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  const Conic c(unitXform());
  const double t = c.paramAtLength(0.0, kTwoPi, wrapPosition(position, c.perimeter()));
  point = c.point(t);
  tangent = c.travelAngle(t, 1.0);
}

void zcEllipse::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcEllipse", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcEllipseGeom g = geom_;
    archive || g;
    if (archive.isLoading()) geom(g);
  });
}

zcArchive& operator||(zcArchive& archive, zcEllipse& ellipse) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
  zcEllipse::zcEllipseGeom g = ellipse.geom();
  archive || g;
  if (archive.isLoading()) ellipse.geom(g);
  return archive;
}

bool zfRealEq(const zcEllipse& a, const zcEllipse& b, double tol) { return zfRealEq(a.geom(), b.geom(), tol); }

// --- zcEllipse2 -------------------------------------------------------------------------

const zc_Instantiator zcEllipse2::sExemplar(typeid(zcEllipse2), "zcEllipse2", &zcEllipse2::make);

zcPersistent* zcEllipse2::make() { return new zcEllipse2; }

zcEllipse2::zcEllipse2() = default;

zcEllipse2::zcEllipse2(const zcXform<2>& ellFromUnitCirc) : xform_(ellFromUnitCirc) {
  checkFinite(ellFromUnitCirc, L"non-finite ellipse transform");
}

zcEllipse2::zcEllipse2(const zcVector<2>& radii, zcRadian angle, const zcPoint& center, bool rightHanded,
                       zcRadian phase)
    : zcEllipse2(zcEllipse::zcEllipseGeom(center, radii.x(), radii.y(), angle, rightHanded), phase) {}

zcEllipse2::zcEllipse2(const zcEllipse::zcEllipseGeom& geom, zcRadian phase) {
  checkFinite(phase.value(), L"non-finite ellipse phase");
  // Finite radii can still overflow the determinant: every ellipse keeps a transform
  // whose decomposition is finite.
  xform_ = geom.unitXform() * zcXform<2>::rotation(-phase);
  checkFinite(xform_, L"non-finite ellipse transform");
}

zcEllipse2::zcEllipse2(const zcCircle& circle) : xform_(circleXform(circle.center(), circle.radius())) {
  checkFinite(xform_, L"non-finite ellipse transform");
}
zcEllipse2::zcEllipse2(const zcEllipse& ellipse) : xform_(ellipse.unitXform()) {
  checkFinite(xform_, L"non-finite ellipse transform");
}
zcEllipse2::zcEllipse2(const zcEllipse2& other) = default;

zcEllipse2& zcEllipse2::operator=(const zcEllipse2&) = default;

zcEllipse2::~zcEllipse2() = default;

void zcEllipse2::ellFromUnitCirc(const zcXform<2>& value) {
  checkFinite(value, L"non-finite ellipse transform");
  mutating_();
  xform_ = value;
}

zcEllipse::zcEllipseGeom zcEllipse2::geom() const { return zcEllipse::zcEllipseGeom::fromUnitXform(xform_); }

zcRadian zcEllipse2::phase() const {
  zcRadian phase;
  zcEllipse::zcEllipseGeom::fromUnitXform(xform_, phase);
  return phase;
}

zcPoint zcEllipse2::point(zcRadian phi) const {
  return xform_.mapPoint(zcPoint(std::cos(phi.value()), std::sin(phi.value())));
}

bool zcEllipse2::degen() const { return Conic(xform_).degenerate(); }

zcRect zcEllipse2::boundingBox() const { return Conic(xform_).box(0.0, kTwoPi).rect(); }

zcPoint zcEllipse2::nearestPoint(const zcPoint& p) const {
  const Conic c(xform_);
  if (c.inside(p)) return p;
  return c.point(c.nearestParam(p, 0.0, kTwoPi));
}

double zcEllipse2::perimeter() const { return Conic(xform_).perimeter(); }

double zcEllipse2::nearestPerimPos(const zcPoint& p) const {
  const Conic c(xform_);
  const double t = zcRadian(c.nearestParam(p, 0.0, kTwoPi)).norm().value();
  return c.arcLength(0.0, t);
}

bool zcEllipse2::isRightHanded() const { return xform_.determinant() >= 0.0; }

bool zcEllipse2::within(const zcPoint& p) const { return Conic(xform_).inside(p); }

zcShapePtr zcEllipse2::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcEllipse2(map(x))); }

void zcEllipse2::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  wholeContour(Conic(xform_)).sample(params, result);
}

zcShapePtr zcEllipse2::clone() const { return zcShapePtr(new zcEllipse2(*this)); }

zcEllipse2 zcEllipse2::map(const zcXform<2>& x) const { return zcEllipse2(x * xform_); }
zcEllipse2 zcEllipse2::map(const zc2XformLinear& x) const { return map(x.xform()); }

bool zcEllipse2::equal_(const zcShape& other) const {
  return typeid(other) == typeid(zcEllipse2) && xform_ == static_cast<const zcEllipse2&>(other).xform_;
}

zcShapePtr zcEllipse2::reverse_() const {
  return zcShapePtr(new zcEllipse2(xform_ * zcXform<2>::scaling(1.0, -1.0)));
}

void zcEllipse2::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  const Conic c(xform_);
  const double t = c.paramAtLength(0.0, kTwoPi, wrapPosition(position, c.perimeter()));
  point = c.point(t);
  tangent = c.travelAngle(t, 1.0);
}

void zcEllipse2::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcEllipse2", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcXform<2> x = xform_;
    archive || x;
    if (archive.isLoading()) {
      const zcEllipse2 loaded = loadChecked([&] { return zcEllipse2(x); });
      ellFromUnitCirc(loaded.xform_);
    }
  });
}

bool zfRealEq(const zcEllipse2& a, const zcEllipse2& b, double tol) {
  return zfRealEq(a.ellFromUnitCirc(), b.ellFromUnitCirc(), tol);
}

// Elliptical arcs: of a zcEllipse (zcEllipseArc) and of a zcEllipse2 (zcEllipseArc2).
#include "zfound/conics.h"

#include "conics_support.h"
#include "zfound/xformbase.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <utility>

using namespace zc_conics;

namespace {

// The maths of an elliptical arc, shared by zcEllipseArc and zcEllipseArc2: the conic
// of the ellipse and the parameter range from t0 over the signed span.
struct ArcMath {
  Conic c;
  double t0, span;

  ArcMath(const zcXform<2>& unitXform, zcRadian start, zcRadian spanAngle)
      : c(unitXform), t0(start.value()), span(spanAngle.value()) {}

  zcRect box() const { return c.box(t0, span).rect(); }
  double nearest(const zcPoint& p) const { return c.nearestParam(p, t0, span); }
  double perimeter() const { return c.arcLength(t0, span); }
  zcRadian angleAt(double t) const { return c.travelAngle(t, span); }
  zcRadian tangentRotation() const { return zcRadian(c.tangentRotation(t0, span)); }
  zcRadian windingAngle(const zcPoint& p) const { return zcRadian(c.windingAngle(p, t0, span)); }

  // The perimeter position of parameter t (t on the range up to rounding at its ends).
  double positionOf(double t) const {
    const double dir = span >= 0.0 ? 1.0 : -1.0;
    const double limit = std::abs(span);
    double delta = zcRadian(dir * (t - t0)).norm().value();
    if (limit < kTwoPi && delta > limit) delta = (delta - limit < kTwoPi - delta) ? limit : 0.0;
    return c.arcLength(t0, dir * delta);
  }

  // The parameter at a perimeter position, clamped to the arc.
  double paramAt(double position) const { return c.paramAtLength(t0, span, std::clamp(position, 0.0, perimeter())); }

  // The parameter range between two perimeter positions (clamped): start and span.
  std::pair<zcRadian, zcRadian> subRange(double from, double to) const {
    checkFinite(from, L"non-finite perimeter position");
    checkFinite(to, L"non-finite perimeter position");
    const double s0 = paramAt(from), s1 = paramAt(to);
    return {zcRadian(s0), zcRadian(s1 - s0)};
  }

  void sample(const zcSampleParams& params, zcSampleResult& result) const {
    params.validate();
    Contour contour;
    contour.pieces.push_back(Piece::arcOf(c, t0, span));
    contour.sample(params, result);
  }

  void pointAndTangent(double position, zcPoint& point, zcRadian& tangent) const {
    const double t = paramAt(position);
    point = c.point(t);
    tangent = angleAt(t);
  }
};

template <class Make>
auto loadChecked(Make&& make) {
  try {
    return make();
  } catch (const zcShapesError::Errors&) {
    throw zcArchive::BadFormat(L"the archive holds an invalid elliptical arc");
  }
}

}  // namespace

// --- zcEllipseArc -----------------------------------------------------------------------

const zc_Instantiator zcEllipseArc::sExemplar(typeid(zcEllipseArc), "zcEllipseArc", &zcEllipseArc::make);

zcPersistent* zcEllipseArc::make() { return new zcEllipseArc; }

zcEllipseArc::zcEllipseArc() = default;

zcEllipseArc::zcEllipseArc(const zcEllipse& ellipse, zcRadian phiStart, zcRadian phiSpan)
    : ellipse_(ellipse), start_(phiStart), span_(phiSpan) {
  checkSpan(phiStart, phiSpan);
}

zcEllipseArc::zcEllipseArc(const zcEllipse::zcEllipseGeom& geom, zcRadian phiStart, zcRadian phiSpan)
    : zcEllipseArc(zcEllipse(geom), phiStart, phiSpan) {}

zcEllipseArc::zcEllipseArc(const zcEllipseArc& other) = default;

zcEllipseArc& zcEllipseArc::operator=(const zcEllipseArc&) = default;

zcEllipseArc::~zcEllipseArc() = default;

void zcEllipseArc::phiRange(zcRadian phiStart, zcRadian phiSpan) {
  checkSpan(phiStart, phiSpan);
  mutating_();
  start_ = phiStart;
  span_ = phiSpan;
}

bool zcEllipseArc::degen() const { return ellipse_.degen() || span_.value() == 0.0; }

zcRect zcEllipseArc::boundingBox() const { return ArcMath(ellipse_.unitXform(), start_, span_).box(); }

zcPoint zcEllipseArc::nearestPoint(const zcPoint& p) const {
  const ArcMath arc{ellipse_.unitXform(), start_, span_};
  return arc.c.point(arc.nearest(p));
}

double zcEllipseArc::perimeter() const { return ArcMath(ellipse_.unitXform(), start_, span_).perimeter(); }

double zcEllipseArc::nearestPerimPos(const zcPoint& p) const {
  const ArcMath arc{ellipse_.unitXform(), start_, span_};
  return arc.positionOf(arc.nearest(p));
}

zcPoint zcEllipseArc::startPoint() const { return ellipse_.point(start_); }
zcPoint zcEllipseArc::endPoint() const { return ellipse_.point(phiEnd()); }

zcRadian zcEllipseArc::startAngle() const { return ArcMath(ellipse_.unitXform(), start_, span_).angleAt(start_.value()); }

zcRadian zcEllipseArc::endAngle() const { return ArcMath(ellipse_.unitXform(), start_, span_).angleAt(phiEnd().value()); }

zcRadian zcEllipseArc::tangentRotation() const { return ArcMath(ellipse_.unitXform(), start_, span_).tangentRotation(); }

zcRadian zcEllipseArc::windingAngle(const zcPoint& p) const { return ArcMath(ellipse_.unitXform(), start_, span_).windingAngle(p); }

zcShapePtr zcEllipseArc::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcEllipseArc(map(x))); }

zcShapePtr zcEllipseArc::subShape(double from, double to) const {
  const auto [start, span] = ArcMath(ellipse_.unitXform(), start_, span_).subRange(from, to);
  return zcShapePtr(new zcEllipseArc(ellipse_, start, span));
}

void zcEllipseArc::sample(const zcSampleParams& params, zcSampleResult& result) const {
  ArcMath(ellipse_.unitXform(), start_, span_).sample(params, result);
}

zcShapePtr zcEllipseArc::clone() const { return zcShapePtr(new zcEllipseArc(*this)); }

zcEllipseArc zcEllipseArc::map(const zcXform<2>& x) const {
  checkFinite(x, L"non-finite transform");
  // x U = U' R(−phase): the old parameter t is the new parameter t − phase.
  zcRadian phase;
  const zcEllipse::zcEllipseGeom g = zcEllipse::zcEllipseGeom::fromUnitXform(x * ellipse_.unitXform(), phase);
  return zcEllipseArc(g, start_ - phase, span_);
}

void zcEllipseArc::writeImage(zcImageOut<zkEllipseArcImageSize> out) const {
  unsigned char* p = out.data();
  std::fill(out.begin(), out.end(), static_cast<unsigned char>(0));
  writeEllipseBlock(p, ellipse_.geom(), start_.value(), phiEnd().value());
  zfStoreF64(p + 176, start_.value());
  zfStoreF64(p + 184, span_.value());
}

zcEllipseArc zcEllipseArc::readImage(zcImageIn<zkEllipseArcImageSize> in) {
  const unsigned char* p = in.data();
  const auto geom = zcEllipse::zcEllipseGeom::readImage(in.first<zkEllipseGeomImageSize>());
  return zcEllipseArc(geom, zcRadian(zfLoadF64(p + 176)), zcRadian(zfLoadF64(p + 184)));
}

bool zcEllipseArc::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcEllipseArc)) return false;
  const auto& o = static_cast<const zcEllipseArc&>(other);
  return ellipse_.geom() == o.ellipse_.geom() && start_ == o.start_ && span_ == o.span_;
}

zcShapePtr zcEllipseArc::reverse_() const { return zcShapePtr(new zcEllipseArc(ellipse_, phiEnd(), -span_)); }

void zcEllipseArc::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  ArcMath(ellipse_.unitXform(), start_, span_).pointAndTangent(position, point, tangent);
}

void zcEllipseArc::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcEllipseArc", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcEllipse::zcEllipseGeom g = ellipse_.geom();
    zcRadian start = start_, span = span_;
    archive || g || start || span;
    if (archive.isLoading()) *this = loadChecked([&] { return zcEllipseArc(g, start, span); });
  });
}

zcArchive& operator||(zcArchive& archive, zcEllipseArc& arc) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
  zcEllipse::zcEllipseGeom g = arc.geom();
  zcRadian start = arc.phiStart(), span = arc.phiSpan();
  archive || g || start || span;
  if (archive.isLoading()) arc = loadChecked([&] { return zcEllipseArc(g, start, span); });
  return archive;
}

bool zfRealEq(const zcEllipseArc& a, const zcEllipseArc& b, double tol) {
  return zfRealEq(a.ellipse(), b.ellipse(), tol) && zfRealEq(a.phiStart(), b.phiStart(), tol) &&
         zfRealEq(a.phiSpan(), b.phiSpan(), tol);
}

// --- zcEllipseArc2 ----------------------------------------------------------------------

const zc_Instantiator zcEllipseArc2::sExemplar(typeid(zcEllipseArc2), "zcEllipseArc2", &zcEllipseArc2::make);

zcPersistent* zcEllipseArc2::make() { return new zcEllipseArc2; }

zcEllipseArc2::zcEllipseArc2() = default;

zcEllipseArc2::zcEllipseArc2(const zcEllipse2& ellipse, zcRadian phiStart, zcRadian phiSpan)
    : ellipse_(ellipse), start_(phiStart), span_(phiSpan) {
  checkSpan(phiStart, phiSpan);
}

zcEllipseArc2::zcEllipseArc2(const zcEllipseArc& arc)
    : zcEllipseArc2(zcEllipse2(arc.ellipse()), arc.phiStart(), arc.phiSpan()) {}

zcEllipseArc2::zcEllipseArc2(const zcEllipseArc2& other) = default;

zcEllipseArc2& zcEllipseArc2::operator=(const zcEllipseArc2&) = default;

zcEllipseArc2::~zcEllipseArc2() = default;

void zcEllipseArc2::phiRange(zcRadian phiStart, zcRadian phiSpan) {
  checkSpan(phiStart, phiSpan);
  mutating_();
  start_ = phiStart;
  span_ = phiSpan;
}

bool zcEllipseArc2::degen() const { return ellipse_.degen() || span_.value() == 0.0; }

zcRect zcEllipseArc2::boundingBox() const { return ArcMath(ellFromUnitCirc(), start_, span_).box(); }

zcPoint zcEllipseArc2::nearestPoint(const zcPoint& p) const {
  const ArcMath arc{ellFromUnitCirc(), start_, span_};
  return arc.c.point(arc.nearest(p));
}

double zcEllipseArc2::perimeter() const { return ArcMath(ellFromUnitCirc(), start_, span_).perimeter(); }

double zcEllipseArc2::nearestPerimPos(const zcPoint& p) const {
  const ArcMath arc{ellFromUnitCirc(), start_, span_};
  return arc.positionOf(arc.nearest(p));
}

zcPoint zcEllipseArc2::startPoint() const { return ellipse_.point(start_); }
zcPoint zcEllipseArc2::endPoint() const { return ellipse_.point(phiEnd()); }

zcRadian zcEllipseArc2::startAngle() const { return ArcMath(ellFromUnitCirc(), start_, span_).angleAt(start_.value()); }

zcRadian zcEllipseArc2::endAngle() const { return ArcMath(ellFromUnitCirc(), start_, span_).angleAt(phiEnd().value()); }

zcRadian zcEllipseArc2::tangentRotation() const { return ArcMath(ellFromUnitCirc(), start_, span_).tangentRotation(); }

zcRadian zcEllipseArc2::windingAngle(const zcPoint& p) const { return ArcMath(ellFromUnitCirc(), start_, span_).windingAngle(p); }

zcShapePtr zcEllipseArc2::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcEllipseArc2(map(x))); }

zcShapePtr zcEllipseArc2::subShape(double from, double to) const {
  const auto [start, span] = ArcMath(ellFromUnitCirc(), start_, span_).subRange(from, to);
  return zcShapePtr(new zcEllipseArc2(ellipse_, start, span));
}

void zcEllipseArc2::sample(const zcSampleParams& params, zcSampleResult& result) const {
  ArcMath(ellFromUnitCirc(), start_, span_).sample(params, result);
}

zcShapePtr zcEllipseArc2::clone() const { return zcShapePtr(new zcEllipseArc2(*this)); }

zcEllipseArc2 zcEllipseArc2::map(const zcXform<2>& x) const {
  checkFinite(x, L"non-finite transform");
  return zcEllipseArc2(ellipse_.map(x), start_, span_);
}

zcEllipseArc2 zcEllipseArc2::map(const zc2XformLinear& x) const { return map(x.xform()); }

bool zcEllipseArc2::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcEllipseArc2)) return false;
  const auto& o = static_cast<const zcEllipseArc2&>(other);
  return ellFromUnitCirc() == o.ellFromUnitCirc() && start_ == o.start_ && span_ == o.span_;
}

zcShapePtr zcEllipseArc2::reverse_() const { return zcShapePtr(new zcEllipseArc2(ellipse_, phiEnd(), -span_)); }

void zcEllipseArc2::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  ArcMath(ellFromUnitCirc(), start_, span_).pointAndTangent(position, point, tangent);
}

void zcEllipseArc2::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcEllipseArc2", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcXform<2> x = ellFromUnitCirc();
    zcRadian start = start_, span = span_;
    archive || x || start || span;
    if (archive.isLoading()) *this = loadChecked([&] { return zcEllipseArc2(zcEllipse2(x), start, span); });
  });
}

bool zfRealEq(const zcEllipseArc2& a, const zcEllipseArc2& b, double tol) {
  return zfRealEq(a.ellipse(), b.ellipse(), tol) && zfRealEq(a.phiStart(), b.phiStart(), tol) &&
         zfRealEq(a.phiSpan(), b.phiSpan(), tol);
}

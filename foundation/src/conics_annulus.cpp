// Regions between two conics: circular annuli, elliptical annuli and sections of
// elliptical annuli.
#include "zfound/conics.h"

#include "conics_support.h"
#include "zfound/genrect.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

using namespace zc_conics;

namespace {

template <class Make>
auto loadChecked(Make&& make) {
  try {
    return make();
  } catch (const zcShapesError::Errors&) {
    throw zcArchive::BadFormat(L"the archive holds an invalid annulus");
  }
}

zcXform<2> scaled(const zcXform<2>& x, double factor) {
  const zcMatrix<2> m = x.matrix();
  return zcXform<2>(zcMatrix<2>(m.element(0, 0) * factor, m.element(0, 1) * factor, m.element(1, 0) * factor,
                                m.element(1, 1) * factor),
                    x.trans());
}

// Where p lies relative to the unit frame of a non-degenerate ellipse: |U⁻¹ (p − c)|.
double unitRadius(const zcEllipse& e, const zcPoint& p) { return e.unitXform().invMapPoint(p).length(); }

void addPiece(Contour& contour, const Piece& piece) {
  if (piece.length() > 0.0) contour.pieces.push_back(piece);
}

bool flagByte(unsigned char b) {
  if (b > 1) throw zcShapesError::BadParams(L"flag byte is neither 0 nor 1");
  return b == 1;
}

}  // namespace

// --- zcAnnulus --------------------------------------------------------------------------

const zc_Instantiator zcAnnulus::sExemplar(typeid(zcAnnulus), "zcAnnulus", &zcAnnulus::make);

zcPersistent* zcAnnulus::make() { return new zcAnnulus; }

zcAnnulus::zcAnnulus() = default;

zcAnnulus::zcAnnulus(const zcPoint& center, double innerRadius, double outerRadius)
    : center_(center), inner_(innerRadius), outer_(outerRadius) {
  checkFinite(center, L"non-finite annulus center");
  checkRadius(innerRadius);
  checkRadius(outerRadius);
  if (innerRadius > outerRadius) throw zcShapesError::BadRadius(L"inner radius beyond the outer radius");
}

zcAnnulus::zcAnnulus(const zcAnnulus& other) = default;

zcAnnulus& zcAnnulus::operator=(const zcAnnulus&) = default;

zcAnnulus::~zcAnnulus() = default;

void zcAnnulus::center(const zcPoint& value) {
  checkFinite(value, L"non-finite annulus center");
  mutating_();
  center_ = value;
}

void zcAnnulus::radii(double innerRadius, double outerRadius) {
  const zcAnnulus checked(center_, innerRadius, outerRadius);
  mutating_();
  inner_ = checked.inner_;
  outer_ = checked.outer_;
}

zcRect zcAnnulus::boundingBox() const { return outerCircle().boundingBox(); }

zcPoint zcAnnulus::nearestPoint(const zcPoint& p) const {
  if (within(p)) return p;
  const zcVector<2> d = p - center_;
  const double len = d.length();
  if (len > outer_) return center_ + d * (outer_ / len);
  // Inside the hole: the nearest point of the inner circle (the centre sees all of it).
  if (len == 0.0) return center_ + zcVector<2>(inner_, 0.0);
  return center_ + d * (inner_ / len);
}

double zcAnnulus::perimeter() const { return kTwoPi * (inner_ + outer_); }

bool zcAnnulus::within(const zcPoint& p) const {
  const double d = p.distance(center_);
  return d <= outer_ * (1.0 + 1e-12) && d >= inner_ * (1.0 - 1e-12);
}

zcShapePtr zcAnnulus::mapShape(const zcXform<2>& x) const {
  checkFinite(x, L"non-finite transform");
  double scale = 0.0;
  if (isSimilarity(x.matrix(), scale))
    return zcShapePtr(new zcAnnulus(x.mapPoint(center_), inner_ * scale, outer_ * scale));
  const auto circleRect = [&](double r) {
    return zcGenRect::fromUnitXform(x * zcXform<2>(zcMatrix<2>::scaling(r, r), center_), zcVector<2>(1.0, 1.0));
  };
  return zcShapePtr(new zcGenAnnulus(circleRect(inner_), circleRect(outer_)));
}

void zcAnnulus::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  Contour outer;
  outer.closed = true;
  outer.pieces.push_back(Piece::arcOf(Conic(zcXform<2>(zcMatrix<2>::scaling(outer_, outer_), center_)), 0.0, kTwoPi));
  outer.sample(params, result);
  // A disk (inner radius 0) has no inner contour.
  if (inner_ > 0.0) {
    Contour inner;
    inner.closed = true;
    inner.pieces.push_back(
        Piece::arcOf(Conic(zcXform<2>(zcMatrix<2>::scaling(inner_, inner_), center_)), 0.0, -kTwoPi));
    inner.sample(params, result);
  }
}

zcShapePtr zcAnnulus::clone() const { return zcShapePtr(new zcAnnulus(*this)); }

bool zcAnnulus::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcAnnulus)) return false;
  const auto& o = static_cast<const zcAnnulus&>(other);
  return center_ == o.center_ && inner_ == o.inner_ && outer_ == o.outer_;
}

void zcAnnulus::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcAnnulus", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcPoint c = center_;
    double in = inner_, out = outer_;
    archive || c || in || out;
    if (archive.isLoading()) *this = loadChecked([&] { return zcAnnulus(c, in, out); });
  });
}

bool zfRealEq(const zcAnnulus& a, const zcAnnulus& b, double tol) {
  return zfRealEq(a.center(), b.center(), tol) && zfRealEq(a.innerRadius(), b.innerRadius(), tol) &&
         zfRealEq(a.outerRadius(), b.outerRadius(), tol);
}

// --- zcEllipseAnnulus -------------------------------------------------------------------

const zc_Instantiator zcEllipseAnnulus::sExemplar(typeid(zcEllipseAnnulus), "zcEllipseAnnulus",
                                                  &zcEllipseAnnulus::make);

zcPersistent* zcEllipseAnnulus::make() { return new zcEllipseAnnulus; }

zcEllipseAnnulus::zcEllipseAnnulus() = default;

zcEllipseAnnulus::zcEllipseAnnulus(const zcEllipse& inner, const zcEllipse& outer)
    : outer_(outer), ratio_(checkedRatio(inner, outer)) {}

zcEllipseAnnulus::zcEllipseAnnulus(const zcEllipse& outer, double ratio) : outer_(outer), ratio_(ratio) {
  checkFinite(ratio, L"non-finite annulus ratio");
  if (ratio < 0.0 || ratio > 1.0) throw zcShapesError::BadRadius(L"annulus ratio outside [0, 1]");
}

zcEllipseAnnulus::zcEllipseAnnulus(const zcEllipseAnnulus& other) = default;

zcEllipseAnnulus& zcEllipseAnnulus::operator=(const zcEllipseAnnulus&) = default;

zcEllipseAnnulus::~zcEllipseAnnulus() = default;

double zcEllipseAnnulus::checkedRatio(const zcEllipse& inner, const zcEllipse& outer) {
  // Compare point sets through the shape matrices S = U Uᵀ, which do not depend on
  // the parameterization: the inner one must be q² times the outer one. Radii whose
  // squares overflow are compared in units of the outer size instead.
  const double size = std::max(outer.xRadius(), outer.yRadius());
  if (inner.center().distance(outer.center()) > 1e-9 * size)
    throw zcShapesError::BadParams(L"the annulus ellipses are not concentric");
  zcMatrix<2> so, si;
  double unit = 1.0, traceO = 0.0, traceI = 0.0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const zcMatrix<2> scale = zcMatrix<2>::scaling(unit, unit);
    const zcMatrix<2> uo = scale * outer.unitXform().matrix(), ui = scale * inner.unitXform().matrix();
    so = uo * uo.transpose();
    si = ui * ui.transpose();
    traceO = so.element(0, 0) + so.element(1, 1);
    traceI = si.element(0, 0) + si.element(1, 1);
    if ((std::isfinite(traceO) && std::isfinite(traceI)) || size == 0.0) break;
    unit = 1.0 / size;
  }
  if (!std::isfinite(traceO) || !std::isfinite(traceI))
    throw zcShapesError::BadRadius(L"inner ellipse beyond the outer ellipse");
  const double q = traceO > 0.0 ? std::sqrt(traceI / traceO) : 0.0;
  if (traceO == 0.0 && traceI > 0.0) throw zcShapesError::BadRadius(L"inner ellipse beyond the outer ellipse");
  const double scaledSize = size * unit;
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c)
      if (std::abs(si.element(r, c) - q * q * so.element(r, c)) > 2e-9 * scaledSize * scaledSize)
        throw zcShapesError::BadParams(L"the annulus ellipses differ in shape or orientation");
  if (q > 1.0 + 1e-9) throw zcShapesError::BadRadius(L"inner ellipse beyond the outer ellipse");
  return std::min(q, 1.0);
}

zcEllipse zcEllipseAnnulus::inner() const {
  const zcEllipse::zcEllipseGeom& g = outer_.geom();
  return zcEllipse(g.center(), g.xRadius() * ratio_, g.yRadius() * ratio_, g.rotation(), g.isRightHanded());
}

bool zcEllipseAnnulus::degen() const { return outer_.degen() || ratio_ >= 1.0 - 1e-15; }

zcRect zcEllipseAnnulus::boundingBox() const { return outer_.boundingBox(); }

zcPoint zcEllipseAnnulus::nearestPoint(const zcPoint& p) const {
  if (within(p)) return p;
  // The nearest points of both boundaries (not of the filled ellipses).
  const Conic outer(outer_.unitXform()), inner(scaled(outer_.unitXform(), ratio_));
  return nearestOf({outer.point(outer.nearestParam(p, 0.0, kTwoPi)), inner.point(inner.nearestParam(p, 0.0, kTwoPi))},
                   p);
}

double zcEllipseAnnulus::perimeter() const { return (1.0 + ratio_) * outer_.perimeter(); }

bool zcEllipseAnnulus::within(const zcPoint& p) const {
  if (outer_.degen()) {
    // No area: the points of the (flat) outer ellipse.
    return outer_.within(p);
  }
  const double r = unitRadius(outer_, p);
  return r <= 1.0 + 1e-12 && r >= ratio_ * (1.0 - 1e-12);
}

zcShapePtr zcEllipseAnnulus::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcEllipseAnnulus(map(x))); }

void zcEllipseAnnulus::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  Contour outer;
  outer.closed = true;
  outer.pieces.push_back(Piece::arcOf(Conic(outer_.unitXform()), 0.0, kTwoPi));
  outer.sample(params, result);
  if (ratio_ > 0.0) {
    Contour inner;
    inner.closed = true;
    inner.pieces.push_back(Piece::arcOf(Conic(scaled(outer_.unitXform(), ratio_)), 0.0, -kTwoPi));
    inner.sample(params, result);
  }
}

zcShapePtr zcEllipseAnnulus::clone() const { return zcShapePtr(new zcEllipseAnnulus(*this)); }

zcEllipseAnnulus zcEllipseAnnulus::map(const zcXform<2>& x) const {
  zcRadian phase;
  return map(x, phase);
}

zcEllipseAnnulus zcEllipseAnnulus::map(const zcXform<2>& x, zcRadian& phase) const {
  checkFinite(x, L"non-finite transform");
  return zcEllipseAnnulus(zcEllipse(zcEllipse::zcEllipseGeom::fromUnitXform(x * outer_.unitXform(), phase)), ratio_);
}

bool zcEllipseAnnulus::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcEllipseAnnulus)) return false;
  const auto& o = static_cast<const zcEllipseAnnulus&>(other);
  return outer_.geom() == o.outer_.geom() && ratio_ == o.ratio_;
}

zcShapePtr zcEllipseAnnulus::reverse_() const {
  return zcShapePtr(new zcEllipseAnnulus(zcEllipse(outer_.geom().mirrored()), ratio_));
}

void zcEllipseAnnulus::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcEllipseAnnulus", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcEllipse::zcEllipseGeom in = inner().geom(), out = outer_.geom();
    archive || in || out;
    if (archive.isLoading()) *this = loadChecked([&] { return zcEllipseAnnulus(zcEllipse(in), zcEllipse(out)); });
  });
}

bool zfRealEq(const zcEllipseAnnulus& a, const zcEllipseAnnulus& b, double tol) {
  return zfRealEq(a.outer(), b.outer(), tol) && zfRealEq(a.inner(), b.inner(), tol);
}

// --- zcEllipseAnnulusSection ------------------------------------------------------------

namespace {

struct SectionGeometry {
  Conic outer, inner;
  double s = 0.0, span = 0.0;
};

SectionGeometry geometryOf(const zcEllipseAnnulus& annulus, double s, double span) {
  SectionGeometry g;
  const zcXform<2> u = annulus.outer().unitXform();
  g.outer = Conic(u);
  g.inner = Conic(scaled(u, annulus.ratio()));
  g.s = s;
  g.span = span;
  return g;
}

// The boundary contours (one, or two for a full section), in the section's direction.
std::vector<Contour> contoursOf(const SectionGeometry& g, bool full, bool reversed, double ratio) {
  const double dir = reversed ? -1.0 : 1.0;
  std::vector<Contour> out;
  if (full) {
    Contour outer, inner;
    outer.closed = inner.closed = true;
    addPiece(outer, Piece::arcOf(g.outer, g.s, dir * kTwoPi));
    out.push_back(outer);
    if (ratio > 0.0) {
      addPiece(inner, Piece::arcOf(g.inner, g.s, -dir * kTwoPi));
      out.push_back(inner);
    }
    return out;
  }
  const double e = g.s + g.span;
  Contour c;
  c.closed = true;
  if (!reversed) {
    addPiece(c, Piece::arcOf(g.outer, g.s, g.span));
    addPiece(c, Piece::segment(g.outer.point(e), g.inner.point(e)));
    addPiece(c, Piece::arcOf(g.inner, e, -g.span));
    addPiece(c, Piece::segment(g.inner.point(g.s), g.outer.point(g.s)));
  } else {
    addPiece(c, Piece::segment(g.outer.point(g.s), g.inner.point(g.s)));
    addPiece(c, Piece::arcOf(g.inner, g.s, g.span));
    addPiece(c, Piece::segment(g.inner.point(e), g.outer.point(e)));
    addPiece(c, Piece::arcOf(g.outer, e, -g.span));
  }
  out.push_back(c);
  return out;
}

std::vector<Contour> contoursOf(const zcEllipseAnnulusSection& section) {
  return contoursOf(geometryOf(section.annulus(), section.phiStart().value(), section.phiSpan().value()),
                    section.isFull(), section.isReversed(), section.annulus().ratio());
}

// The nearest boundary point (the center when the boundary has no extent at all).
zcPoint boundaryNearest(const zcEllipseAnnulusSection& section, const zcPoint& p) {
  std::vector<zcPoint> candidates;
  for (const Contour& c : contoursOf(section))
    if (!c.pieces.empty()) candidates.push_back(c.nearest(p));
  if (candidates.empty()) return section.annulus().outer().center();
  return nearestOf(candidates, p);
}

}  // namespace

const zc_Instantiator zcEllipseAnnulusSection::sExemplar(typeid(zcEllipseAnnulusSection), "zcEllipseAnnulusSection",
                                                         &zcEllipseAnnulusSection::make);

zcPersistent* zcEllipseAnnulusSection::make() { return new zcEllipseAnnulusSection; }

zcEllipseAnnulusSection::zcEllipseAnnulusSection() = default;

zcEllipseAnnulusSection::zcEllipseAnnulusSection(const zcEllipseAnnulus& annulus, zcRadian phiStart,
                                                 zcRadian phiEnd, bool full, bool reversed)
    : annulus_(annulus), start_(phiStart), end_(phiEnd), full_(full), reversed_(reversed) {
  checkFinite(phiStart.value(), L"non-finite section angle");
  checkFinite(phiEnd.value(), L"non-finite section angle");
}

zcEllipseAnnulusSection::zcEllipseAnnulusSection(const zcEllipseAnnulusSection& other) = default;

zcEllipseAnnulusSection& zcEllipseAnnulusSection::operator=(const zcEllipseAnnulusSection&) = default;

zcEllipseAnnulusSection::~zcEllipseAnnulusSection() = default;

zcRadian zcEllipseAnnulusSection::phiSpan() const {
  return full_ ? zcRadian(kTwoPi) : (end_ - start_).norm();
}

zcEllipseArc zcEllipseAnnulusSection::outerArc() const { return zcEllipseArc(annulus_.outer(), start_, phiSpan()); }
zcEllipseArc zcEllipseAnnulusSection::innerArc() const { return zcEllipseArc(annulus_.inner(), start_, phiSpan()); }

bool zcEllipseAnnulusSection::degen() const { return annulus_.degen() || (!full_ && phiSpan().value() == 0.0); }

zcRect zcEllipseAnnulusSection::boundingBox() const {
  const SectionGeometry g = geometryOf(annulus_, start_.value(), phiSpan().value());
  Box box = g.outer.box(g.s, g.span);
  // The radial segments end on the arcs, so the two arcs hold every extreme point.
  box.add(g.inner.box(g.s, g.span));
  return box.rect();
}

zcPoint zcEllipseAnnulusSection::nearestPoint(const zcPoint& p) const {
  if (within(p)) return p;
  return boundaryNearest(*this, p);
}

double zcEllipseAnnulusSection::perimeter() const {
  double total = 0.0;
  for (const Contour& c : contoursOf(*this)) total += c.length();
  return total;
}

bool zcEllipseAnnulusSection::isRightHanded() const { return annulus_.isRightHanded() != reversed_; }

bool zcEllipseAnnulusSection::within(const zcPoint& p) const {
  if (!annulus_.within(p)) return false;
  if (full_) return true;
  if (degen()) {
    // No area: the points of the boundary.
    const zcPoint q = boundaryNearest(*this, p);
    return q.distance(p) <= 1e-12 * std::max(annulus_.outer().xRadius(), annulus_.outer().yRadius());
  }
  const zcPoint c = annulus_.outer().center();
  if (p == c) return true;  // the apex of a section of a full ellipse (ratio 0)
  const double t = Conic(annulus_.outer().unitXform()).paramOf(p);
  return inRange(t, start_.value(), phiSpan().value(), 1e-12);
}

zcShapePtr zcEllipseAnnulusSection::mapShape(const zcXform<2>& x) const {
  return zcShapePtr(new zcEllipseAnnulusSection(map(x)));
}

void zcEllipseAnnulusSection::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  const std::vector<Contour> contours = contoursOf(*this);
  bool any = false;
  for (const Contour& c : contours) {
    if (c.pieces.empty()) continue;
    c.sample(params, result);
    any = true;
  }
  // A section without extent: its one point, as a closed curve.
  if (!any) {
    const zcPoint q = Conic(annulus_.outer().unitXform()).point(start_.value());
    result.add(q, params);
    result.add(q, params);
  }
}

zcShapePtr zcEllipseAnnulusSection::clone() const { return zcShapePtr(new zcEllipseAnnulusSection(*this)); }

zcEllipseAnnulusSection zcEllipseAnnulusSection::map(const zcXform<2>& x) const {
  zcRadian phase;
  const zcEllipseAnnulus mapped = annulus_.map(x, phase);
  return zcEllipseAnnulusSection(mapped, start_ - phase, end_ - phase, full_, reversed_);
}

void zcEllipseAnnulusSection::writeImage(zcImageOut<zkEllipseAnnulusSectionImageSize> out) const {
  unsigned char* p = out.data();
  std::fill(out.begin(), out.end(), static_cast<unsigned char>(0));
  const double e = (start_ + phiSpan()).value();
  writeEllipseBlock(p + 0, annulus_.inner().geom(), start_.value(), e);
  writeEllipseBlock(p + 176, annulus_.outer().geom(), start_.value(), e);
  zfStoreF64(p + 352, start_.value());
  zfStoreF64(p + 360, end_.value());
  p[368] = full_ ? 1 : 0;
  p[369] = reversed_ ? 1 : 0;
  zfStoreF64(p + 376, annulus_.ratio());
  zfStoreF64(p + 384, phiSpan().value());
}

namespace {

zcEllipseAnnulusSection readSection(const unsigned char* p) {
  using Geom = zcEllipse::zcEllipseGeom;
  const Geom inner = Geom::readImage(zcImageIn<zkEllipseGeomImageSize>(p, zkEllipseGeomImageSize));
  const Geom outer = Geom::readImage(zcImageIn<zkEllipseGeomImageSize>(p + 176, zkEllipseGeomImageSize));
  const bool full = flagByte(p[368]);
  const bool reversed = flagByte(p[369]);
  return zcEllipseAnnulusSection(zcEllipseAnnulus(zcEllipse(inner), zcEllipse(outer)), zcRadian(zfLoadF64(p + 352)),
                                 zcRadian(zfLoadF64(p + 360)), full, reversed);
}

}  // namespace

zcEllipseAnnulusSection zcEllipseAnnulusSection::readImage(zcImageIn<zkEllipseAnnulusSectionImageSize> in) {
  return readSection(in.data());
}

zcEllipseAnnulusSection zcEllipseAnnulusSection::readImageV0(zcImageIn<zkEllipseAnnulusSectionImageV0Size> in) {
  return readSection(in.data());
}

bool zcEllipseAnnulusSection::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcEllipseAnnulusSection)) return false;
  const auto& o = static_cast<const zcEllipseAnnulusSection&>(other);
  return annulus_ == o.annulus_ && start_ == o.start_ && end_ == o.end_ && full_ == o.full_ &&
         reversed_ == o.reversed_;
}

zcShapePtr zcEllipseAnnulusSection::reverse_() const {
  return zcShapePtr(new zcEllipseAnnulusSection(annulus_, start_, end_, full_, !reversed_));
}

void zcEllipseAnnulusSection::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcEllipseAnnulusSection", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/conics", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcEllipse::zcEllipseGeom in = annulus_.inner().geom(), out = annulus_.outer().geom();
    zcRadian start = start_, end = end_;
    bool full = full_, reversed = reversed_;
    archive || in || out || start || end || full || reversed;
    if (archive.isLoading()) {
      *this = loadChecked([&] {
        return zcEllipseAnnulusSection(zcEllipseAnnulus(zcEllipse(in), zcEllipse(out)), start, end, full, reversed);
      });
    }
  });
}

bool zfRealEq(const zcEllipseAnnulusSection& a, const zcEllipseAnnulusSection& b, double tol) {
  return zfRealEq(a.annulus(), b.annulus(), tol) && zfRealEq(a.phiStart(), b.phiStart(), tol) &&
         zfRealEq(a.phiEnd(), b.phiEnd(), tol) && a.isFull() == b.isFull() && a.isReversed() == b.isReversed();
}

// Wireframe: segment-length tolerances and inside polarity on a generalized polygon,
// and the SMD poly built from a wireframe.
#include "dispc/wrfm/wirefrm.h"

#include "wrfm/genpoly_private.h"

#include "zfound/archive.h"

#include <cmath>
#include <typeinfo>
#include <utility>

namespace {

constexpr const char* kModule = "dispc/wrfm/wirefrm";
// The source lines that the archive errors of this class have always named.
constexpr long kSerializeLine = 148;
constexpr long kLoadSimpleLine = 131;

// The tolerance a split segment's second part keeps: none.
zcDimTol noTolerance() { return zcDimTol(-1.0, -1.0, -1.0, zcDimTol::eLimits); }

// Vertex v of the poly with its arriving segment's tolerance replaced.
void setTolerance(zcSMDGDPoly& poly, long v, const zcDimTol& tol) {
  zcSMDGDPolyVertex vertex = poly.vertex(v);
  vertex.segmentLengthTol(tol);
  poly.replaceVertex(v, vertex);
}

}  // namespace

const zc_Instantiator zc2Wireframe::sExemplar(typeid(zc2Wireframe), "zc2Wireframe", &zc2Wireframe::make);

zcPersistent* zc2Wireframe::make() { return new zc2Wireframe; }

zc2Wireframe::zc2Wireframe() = default;
zc2Wireframe::zc2Wireframe(const zc2Wireframe& other) : zcPersistent(other), zcRepBase(other), zcGenPoly(other) {}
zc2Wireframe::zc2Wireframe(const zcGenPoly& polygon) : zcPersistent(polygon), zcRepBase(polygon), zcGenPoly(polygon) {}

zc2Wireframe::zc2Wireframe(const zcGenPoly& polygon, const zcDimTol& tol) : zc2Wireframe(polygon) {
  std::unique_ptr<zcSMDGDPoly> work = workCopy_();
  guarded_([&] {
    for (long s = 0; s < numSegments(); ++s) setTolerance(*work, zcGenPolyPrivate::polySegment(*this, s), tol);
  });
  adoptPoly_(std::move(work));
}

zc2Wireframe& zc2Wireframe::operator=(const zc2Wireframe& other) {
  zcGenPoly::operator=(other);
  return *this;
}

zc2Wireframe::~zc2Wireframe() = default;

zc2Wireframe zc2Wireframe::map(const zc2Rigid& r, double scale) const { return zc2Wireframe(zcGenPoly::map(r, scale)); }
zc2Wireframe zc2Wireframe::map(const zcXform<2>& x) const { return zc2Wireframe(zcGenPoly::map(x)); }

zcShapePtr zc2Wireframe::clone() const { return zcShapePtr(new zc2Wireframe(*this)); }

bool zc2Wireframe::equal_(const zcShape& other) const {
  return typeid(other) == typeid(zc2Wireframe) && *this == static_cast<const zc2Wireframe&>(other);
}

void zc2Wireframe::remapAndThrowError_(zcException& e) const { zcGenPoly::remapAndThrowError_(e); }

// --- Tolerances -------------------------------------------------------------------------------

zcDimTol zc2Wireframe::segmentLengthTol(long segment) const {
  const long s = zcGenPolyPrivate::polySegment(*this, segment);
  return guarded_([&] { return zcSMDGDPolyPrivate::dimTol(zcSMDGDPolyPrivate::poly(*this).segmentDimension(s)); });
}

void zc2Wireframe::segmentLengthTol(long segment, const zcDimTol& tol) {
  requireEditable_();
  const long end = zcGenPolyPrivate::polySegment(*this, segment);
  mutating_();
  guarded_([&] { setTolerance(smdPoly_(), end, tol); });
}

void zc2Wireframe::insertVertex(long index, const zcVector<2>& p, double rounding, const zcRadian& span,
                                const zcDimTol& tol) {
  requireEditable_();
  const long n = numVertices();
  if (index < -1 || index > n - 1) throw zcShapesError::BadCoef(L"a vertex index out of range");
  // Three poly edits on a copy: the polygon changes only when all have passed.
  std::unique_ptr<zcSMDGDPoly> work = workCopy_();
  guarded_([&] {
    const long split = index == -1 ? -1 : nextSegmentIndex(index);
    if (split != -1) setTolerance(*work, (split + 1) % n, noTolerance());
    work->insertVertex(index, zcGenPolyPrivate::newVertex(p, rounding, span));
    if (index != -1) setTolerance(*work, index + 1, tol);
  });
  adoptPoly_(std::move(work));
}

void zc2Wireframe::insertVertex(const zcVector<2>& p, double rounding, const zcRadian& span, const zcDimTol& tol) {
  insertVertex(numVertices() - 1, p, rounding, span, tol);
}

void zc2Wireframe::close(const zcRadian& span, const zcDimTol& tol) {
  if (isOpen()) close_(span, &tol);
}

// --- Polarity ----------------------------------------------------------------------------------

bool zc2Wireframe::isPolarityReversed() const { return zcSMDGDPolyPrivate::poly(*this).isDirectionReversed(); }

void zc2Wireframe::polarity(bool reversed) {
  if (reversed == isPolarityReversed()) return;
  mutating_();
  smdPoly_().toggleDirection();
  polarityChanged_(reversed);
}

void zc2Wireframe::polarityChanged_(bool) {}

bool zc2Wireframe::isInsidePositive() const {
  if (isOpen()) throw zcShapesError::BadGeom(L"an open wireframe has no inside");
  const bool direction = guarded_([&] { return zcSMDGDPolyPrivate::poly(*this).isDirectionPositive(); });
  const zcMatrix<2> m = xform().matrix();
  return cos(m.xRot() - m.yRot()) >= 0.0 ? direction : !direction;
}

void zc2Wireframe::insidePolarity(bool positive) {
  if (positive == isInsidePositive()) return;
  mutating_();
  smdPoly_().toggleDirection();
}

// --- Archive form ------------------------------------------------------------------------------

void zc2Wireframe::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zc2Wireframe", 0, [&](unsigned char v) { serialize_(archive, v); });
}

void zc2Wireframe::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion(kModule, kSerializeLine);
  zcGenPoly::dispatchSerialize(archive);
}

void zc2Wireframe::loadSimple(zcArchive& archive) {
  // The polygon's form that follows skips the shape part read here.
  zcGenPolyPrivate::loadSimpleHead(*this, archive, kModule, kLoadSimpleLine);
  zcGenPoly::loadSimple(archive);
}

// --- The SMD poly of a wireframe ------------------------------------------------------------------

zcSMDGDPoly::zcSMDGDPoly(const zc2Wireframe& wireframe, const std::wstring& name) : zcSMDGDPoly(name) {
  *this = zcSMDGDPolyPrivate::poly(wireframe);
}

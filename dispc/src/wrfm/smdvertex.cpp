#include "dispc/wrfm/smdvertex.h"

#include "zfound/archive.h"

#include <optional>
#include <ostream>
#include <utility>

ZC_EXCEPTION_FAMILY_SERIALIZE(zcSMDGDPolyVertex::Errors, zcException, "zcSMDGDPolyVertex::Errors")
ZC_EXCEPTION_DEFINE(zcSMDGDPolyVertex::invalidSegmentLength, Errors, "zcSMDGDPolyVertex::invalidSegmentLength",
                    0x11000350)

void zcSMDGDPolyVertex::invalidSegmentLength::message_(std::wostream& out) const {
  out << L"Invalid poly segment length specified at vertex.";
}

namespace {
constexpr double kVertexTolerance = 1e-11;
constexpr unsigned char kVertexVersion = 2;

// Both ends belong to the range; NaN does not.
bool fractionOk(double fraction) { return fraction >= 0.01 && fraction <= 1.0; }

void checkFractions(double percentPrev, double percentNext) {
  if (!fractionOk(percentPrev) || !fractionOk(percentNext)) throw zcSMDGDPolyVertex::invalidSegmentLength();
}
}  // namespace

// --- zcSMDGeometricDescription --------------------------------------------------

zcSMDGeometricDescription::zcSMDGeometricDescription(const std::wstring& name) : name_(name) {}

zcSMDGeometricDescription::zcSMDGeometricDescription(const zcSMDGeometricDescription&) = default;
zcSMDGeometricDescription& zcSMDGeometricDescription::operator=(const zcSMDGeometricDescription&) = default;
zcSMDGeometricDescription::~zcSMDGeometricDescription() = default;

void zcSMDGeometricDescription::drawSynthetic(const zcPtrHandle_const<zc2XformBase>& xform,
                                              zcPelBuffer<unsigned char>& buffer) const {
  if (!xform) throw zcBadPointer(L"no transform to draw through");
  drawSynthetic(xform->linearXform(zcPoint(0.0, 0.0)), buffer);
}

void zcSMDGeometricDescription::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcSMDGeometricDescription", 0, [&](unsigned char v) { serialize_(archive, v); });
}

void zcSMDGeometricDescription::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion("dispc/wrfm/smdvertex", __LINE__);
  zcPersistent::dispatchSerialize(archive);
  std::wstring name = name_;
  archive || name;
  if (archive.isLoading()) {
    mutating_();
    name_ = std::move(name);
  }
}

// --- zcSMDGDPolyVertex ------------------------------------------------------------

zcSMDGDPolyVertex::zcSMDGDPolyVertex() = default;

zcSMDGDPolyVertex::zcSMDGDPolyVertex(const zcVector<2>& point, double percentPrev, double percentNext,
                                     std::int32_t label)
    : zcSMDGDPolyVertex(point, 0.0, percentPrev, percentNext, label) {}

zcSMDGDPolyVertex::zcSMDGDPolyVertex(const zcVector<2>& point, double radius, double percentPrev,
                                     double percentNext, std::int32_t label)
    : zcSMDGDPolyVertex(point, radius, zcDegree(0.0), percentPrev, percentNext, label,
                        zcDimTol(-1.0, -1.0, -1.0, zcDimTol::eOffsets)) {}

zcSMDGDPolyVertex::zcSMDGDPolyVertex(const zcVector<2>& point, double radius, zcDegree span, double percentPrev,
                                     double percentNext, std::int32_t label, const zcDimTol& segmentLengthTol)
    : point_(point),
      radius_(radius),
      span_(span),
      percentPrev_(percentPrev),
      percentNext_(percentNext),
      label_(label),
      segmentLengthTol_(segmentLengthTol) {
  checkFractions(percentPrev, percentNext);
}

zcSMDGDPolyVertex::zcSMDGDPolyVertex(const zcSMDGDPolyVertex&) = default;
zcSMDGDPolyVertex& zcSMDGDPolyVertex::operator=(const zcSMDGDPolyVertex&) = default;
zcSMDGDPolyVertex::~zcSMDGDPolyVertex() = default;

void zcSMDGDPolyVertex::point(const zcVector<2>& point) {
  mutating_();
  point_ = point;
}

void zcSMDGDPolyVertex::vertexRadius(double radius) {
  mutating_();
  radius_ = radius;
}

void zcSMDGDPolyVertex::segmentAngleSpan(zcDegree span) {
  mutating_();
  span_ = span;
}

void zcSMDGDPolyVertex::percentPrevSegment(double fraction) {
  if (!fractionOk(fraction)) throw invalidSegmentLength();
  mutating_();
  percentPrev_ = fraction;
}

void zcSMDGDPolyVertex::percentNextSegment(double fraction) {
  if (!fractionOk(fraction)) throw invalidSegmentLength();
  mutating_();
  percentNext_ = fraction;
}

void zcSMDGDPolyVertex::subModelLabel(std::int32_t label) {
  mutating_();
  label_ = label;
}

void zcSMDGDPolyVertex::segmentLengthTol(const zcDimTol& tol) {
  mutating_();
  segmentLengthTol_ = tol;
}

void zcSMDGDPolyVertex::forwardExtension(double fraction) {
  mutating_();
  forwardExtension_ = fraction;
}

void zcSMDGDPolyVertex::backwardExtension(double fraction) {
  mutating_();
  backwardExtension_ = fraction;
}

bool zcSMDGDPolyVertex::operator==(const zcSMDGDPolyVertex& other) const {
  return zfRealEq(*this, other, kVertexTolerance);
}

bool zfRealEq(const zcSMDGDPolyVertex& a, const zcSMDGDPolyVertex& b, double tol) {
  const zcDegree spanA = a.segmentAngleSpan();
  const zcDegree spanB = b.segmentAngleSpan();
  return zfRealEq(a.point().x(), b.point().x(), tol) && zfRealEq(a.point().y(), b.point().y(), tol) &&
         zfRealEq(a.vertexRadius(), b.vertexRadius(), tol) &&
         zfRealEq(a.percentPrevSegment(), b.percentPrevSegment(), tol) &&
         zfRealEq(a.percentNextSegment(), b.percentNextSegment(), tol) &&
         zfRealEq(a.forwardExtension(), b.forwardExtension(), tol) &&
         zfRealEq(a.backwardExtension(), b.backwardExtension(), tol) &&
         zfRealEq(sin(spanA), sin(spanB), tol) && zfRealEq(cos(spanA), cos(spanB), tol) &&
         a.subModelLabel() == b.subModelLabel() && a.segmentLengthTol() == b.segmentLengthTol();
}

zcSMDGDPolyVertex operator*(const zc2Rigid& xform, const zcSMDGDPolyVertex& vertex) {
  zcSMDGDPolyVertex result(vertex);
  result.point(xform.mapPoint(vertex.point()));
  return result;
}

zcSMDGDPolyVertex operator*(double factor, const zcSMDGDPolyVertex& vertex) {
  zcSMDGDPolyVertex result(vertex.point() * factor, vertex.vertexRadius() * factor, vertex.segmentAngleSpan(),
                           vertex.percentPrevSegment(), vertex.percentNextSegment(), vertex.subModelLabel(),
                           factor * vertex.segmentLengthTol());
  result.forwardExtension(vertex.forwardExtension());
  result.backwardExtension(vertex.backwardExtension());
  return result;
}

void zcSMDGDPolyVertex::drawWireframe(const zcXform<2>&, zcUITablet&) const {}

void zcSMDGDPolyVertex::drawSynthetic(const zcXform<2>&, zcPelBuffer<unsigned char>&) const {}

zcPersistent* zcSMDGDPolyVertex::make() { return new zcSMDGDPolyVertex; }
const zc_Instantiator zcSMDGDPolyVertex::sExemplar(typeid(zcSMDGDPolyVertex), "zcSMDGDPolyVertex",
                                                   &zcSMDGDPolyVertex::make);

void zcSMDGDPolyVertex::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcSMDGDPolyVertex", kVertexVersion,
                   [&](unsigned char v) { serialize_(archive, v); });
}

void zcSMDGDPolyVertex::serialize_(zcArchive& archive, unsigned char version) {
  if (version > kVertexVersion) throw zcArchive::UnknownVersion("dispc/wrfm/smdvertex", __LINE__);

  // The name is read before the fields; keep it to put back when a field fails.
  std::optional<zcSMDGDPolyVertex> before;
  if (archive.isLoading()) before.emplace(*this);
  try {
    zcSMDGeometricDescription::dispatchSerialize(archive);
    zcVector<2> point = point_;
    double radius = radius_;
    double span = span_.value();
    double percentPrev = percentPrev_;
    double percentNext = percentNext_;
    long label = label_;
    archive || point || radius || span || percentPrev || percentNext || label;

    zcDimTol tol = segmentLengthTol_;
    if (version == 2) {
      archive || tol;
    } else if (version == 1) {
      double lower = -1.0;
      double upper = -1.0;
      unsigned long unused = 0;
      archive || lower || upper || unused;
      // Taken as stored, like every loaded tolerance: the poly checks it against the
      // segment's length.
      tol = zcDimTol::fromStored(tol.nomDim(), lower, upper, zcDimTol::eOffsets);
    } else {
      tol = zcDimTol();
    }
    if (archive.isStoring()) return;

    // The constructors' rule holds for what an archive brings too.
    if (!fractionOk(percentPrev) || !fractionOk(percentNext))
      throw zcArchive::BadFormat(L"a vertex corner fraction outside [0.01, 1]");
    mutating_();
    point_ = point;
    radius_ = radius;
    span_ = zcDegree(span);
    percentPrev_ = percentPrev;
    percentNext_ = percentNext;
    label_ = static_cast<std::int32_t>(label);
    segmentLengthTol_ = tol;
  } catch (...) {
    if (before) zcSMDGeometricDescription::operator=(*before);
    throw;
  }
}

#include "zfound/shape.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

// --- Sampling parameters ----------------------------------------------------------

void zcSampleParams::validate() const {
  const bool spacingOk = std::isfinite(spacing) && spacing >= 0.0;
  const bool toleranceOk = std::isfinite(tolerance) && tolerance >= 0.0;
  if (!spacingOk || !toleranceOk) throw zcShapesError::BadParams(L"negative or non-finite sampling parameter");
  if (spacing == 0.0 && tolerance == 0.0) throw zcShapesError::BadParams(L"sampling needs a spacing or a tolerance");
  if (uniform && spacing == 0.0) throw zcShapesError::BadParams(L"uniform sampling needs a spacing");
}

void zcSampleResult::add(const zcPoint& p, const zcSampleParams& params) {
  if (params.maxPoints > 0 && points.size() >= static_cast<std::size_t>(params.maxPoints))
    throw zcShapesError::SampleOverflow(L"more points than the sampling allows");
  points.push_back(p);
}

void zcSampleResult::reserveFor(const zcSampleParams& params) {
  if (params.reserve <= 0) return;
  std::size_t room = static_cast<std::size_t>(params.reserve);
  if (params.maxPoints > 0) room = std::min(room, static_cast<std::size_t>(params.maxPoints));
  points.reserve(points.size() + room);
}

// --- Shape defaults ------------------------------------------------------------------

zcShape::~zcShape() = default;

bool zcShape::isOpenContour() const { return false; }
bool zcShape::isRegion() const { return false; }
bool zcShape::isFinite() const { return true; }
bool zcShape::degen() const { return false; }
bool zcShape::hasTangent() const { return false; }
bool zcShape::isCompound() const { return false; }
bool zcShape::isConnected() const { return true; }
bool zcShape::isMultipleContours_() const { return false; }

// The slots below answer through the decomposition of a kind that decomposes into
// other kinds; the default decomposition (a copy) would only ask the same question
// again.
namespace {
zcShapePtr decomposedOrNull(const zcShape& s) {
  zcShapePtr d = s.decompose();
  if (!d || typeid(*d) == typeid(s)) return zcShapePtr();
  return d;
}
}  // namespace

double zcShape::perimeter() const {
  if (const zcShapePtr d = decomposedOrNull(*this)) return d->perimeter();
  throw zcShapesError::BadGeom(L"the shape has no perimeter");
}

double zcShape::nearestPerimPos(const zcPoint& p) const {
  if (const zcShapePtr d = decomposedOrNull(*this)) return d->nearestPerimPos(p);
  throw zcShapesError::NotOpenContour(L"perimeter positions need a curve");
}

zcPoint zcShape::startPoint() const { throw zcShapesError::NotOpenContour(); }
zcPoint zcShape::endPoint() const { throw zcShapesError::NotOpenContour(); }
zcRadian zcShape::startAngle() const { throw zcShapesError::NotOpenContour(); }
zcRadian zcShape::endAngle() const { throw zcShapesError::NotOpenContour(); }
zcRadian zcShape::tangentRotation() const { throw zcShapesError::NotOpenContour(); }
zcRadian zcShape::windingAngle(const zcPoint&) const { throw zcShapesError::NotOpenContour(); }
bool zcShape::isRightHanded() const { throw zcShapesError::NotRegion(); }
bool zcShape::within(const zcPoint&) const { throw zcShapesError::NotRegion(); }

zcShapePtr zcShape::reverse() const { return reverse_(); }
zcShapePtr zcShape::reverse_() const { return clone(); }
zcShapePtr zcShape::decompose() const { return clone(); }

zcShapePtr zcShape::subShape(double from, double to) const {
  if (const zcShapePtr d = decomposedOrNull(*this)) return d->subShape(from, to);
  throw zcShapesError::NotOpenContour(L"sub-shapes need a curve");
}

void zcShape::sample(const zcSampleParams&, zcSampleResult&) const {
  throw zcShapesError::BadGeom(L"the shape is not a curve");
}

void zcShape::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  if (const zcShapePtr d = decomposedOrNull(*this)) return d->perimPointAndTangent(position, point, tangent);
  throw zcShapesError::NotOpenContour(L"perimeter positions need a curve");
}

zcShapePtr zcShape::clone() const { return zcShapePtr(cloneThat_()); }

zcShape* zcShape::cloneThat_() const {
  zcShapePtr copy = clone();
  zcShape* raw = copy.rep();
  raw->addRef();  // outlive the handle...
  copy = zcShapePtr();
  raw->dropReference_();  // ...and leave the new object unshared, as `new` would
  return raw;
}

double zcShape::distToPoint(const zcPoint& p) const {
  if (isRegion() && within(p)) return 0.0;
  return nearestPoint(p).distance(p);
}

void zcShape::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcShape", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zcShape", 0);
    zcPersistent::dispatchSerialize(archive);
  });
}

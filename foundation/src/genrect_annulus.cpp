#include "zfound/genrect.h"

#include "genrect_support.h"
#include "zfound/rect.h"

#include <algorithm>
#include <typeinfo>
#include <vector>

using namespace zc_genrect;

const zc_Instantiator zcGenAnnulus::sExemplar(typeid(zcGenAnnulus), "zcGenAnnulus", &zcGenAnnulus::make);

zcPersistent* zcGenAnnulus::make() { return new zcGenAnnulus; }

zcGenAnnulus::zcGenAnnulus()
    : inner_(zcGenRect::fromUnitXform(zcXform<2>::scaling(0.5, 0.5), zcVector<2>())), outer_() {}

zcGenAnnulus::zcGenAnnulus(const zcGenRect& inner, const zcGenRect& outer) : inner_(inner), outer_(outer) {}

zcGenAnnulus::zcGenAnnulus(const zcGenAnnulus& other) = default;

zcGenAnnulus& zcGenAnnulus::operator=(const zcGenAnnulus&) = default;

zcGenAnnulus::~zcGenAnnulus() = default;

zcRect zcGenAnnulus::boundingBox() const {
  // The inner rectangle is not checked to lie inside, so both count.
  const Box a = boxOf(outer_);
  const Box b = boxOf(inner_);
  return boxOf(Box{std::min(a.xmin, b.xmin), std::min(a.ymin, b.ymin), std::max(a.xmax, b.xmax),
                   std::max(a.ymax, b.ymax)});
}

zcPoint zcGenAnnulus::nearestPoint(const zcPoint& p) const {
  if (within(p)) return p;
  const zcPoint a = outer_.nearestBoundaryPoint(p);
  const zcPoint b = inner_.nearestBoundaryPoint(p);
  return a.distance(p) <= b.distance(p) ? a : b;
}

double zcGenAnnulus::perimeter() const { return outer_.perimeter() + inner_.perimeter(); }

bool zcGenAnnulus::isRightHanded() const { return outer_.isRightHanded(); }

bool zcGenAnnulus::within(const zcPoint& p) const { return outer_.within(p) && !strictlyWithin(inner_, p); }

zcGenAnnulus zcGenAnnulus::map(const zcXform<2>& x) const { return zcGenAnnulus(inner_.map(x), outer_.map(x)); }

zcShapePtr zcGenAnnulus::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcGenAnnulus(map(x))); }

void zcGenAnnulus::sample(const zcSampleParams& params, zcSampleResult& result) const {
  outer_.sample(params, result);
  inner_.reverse()->sample(params, result);
}

zcShapePtr zcGenAnnulus::clone() const { return zcShapePtr(new zcGenAnnulus(*this)); }

bool zcGenAnnulus::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcGenAnnulus)) return false;
  const auto& a = static_cast<const zcGenAnnulus&>(other);
  return inner_ == a.inner_ && outer_ == a.outer_;
}

zcShapePtr zcGenAnnulus::reverse_() const {
  const zcShapePtr inner = inner_.reverse();
  const zcShapePtr outer = outer_.reverse();
  return zcShapePtr(
      new zcGenAnnulus(static_cast<const zcGenRect&>(*inner), static_cast<const zcGenRect&>(*outer)));
}

bool zfRealEq(const zcGenAnnulus& a, const zcGenAnnulus& b, double tol) {
  return zfRealEq(a.inner(), b.inner(), tol) && zfRealEq(a.outer(), b.outer(), tol);
}

void zcGenAnnulus::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGenAnnulus", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/genrect", __LINE__);
    zcShape::dispatchSerialize(archive);
    // The rectangles' fields, not their persistent forms: temporaries must not
    // take part in the archive's visited marks. Both are read before either is kept.
    zcGenRect inner = inner_;
    zcGenRect outer = outer_;
    serializeFields(archive, inner);
    serializeFields(archive, outer);
    if (archive.isLoading()) {
      mutating_();
      inner_ = inner;
      outer_ = outer;
    }
  });
}

void zcGenAnnulus::writeImage(zcImageOut<zkGenAnnulusImageSize> out) const {
  std::fill(out.begin(), out.end(), static_cast<unsigned char>(0));
  unsigned char* p = out.data();
  writeBlock(p, inner_);
  writeBlock(p + 96, outer_);
  writeTail(p + 192, inner_);
  writeTail(p + 248, outer_);
}

zcGenAnnulus zcGenAnnulus::readImage(zcImageIn<zkGenAnnulusImageSize> in) {
  return readImageV0(in.first<zkGenAnnulusImageV0Size>());
}

zcGenAnnulus zcGenAnnulus::readImageV0(zcImageIn<zkGenAnnulusImageV0Size> in) {
  const zcGenRect inner = readBlock(in.data());
  return zcGenAnnulus(inner, readBlock(in.data() + 96));
}

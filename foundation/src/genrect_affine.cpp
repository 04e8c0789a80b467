#include "zfound/genrect.h"

#include "genrect_support.h"
#include "zfound/rect.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <vector>

using namespace zc_genrect;

namespace {


// Below this the corners count as collinear, relative to the product of the sides.
constexpr double kFlat = 1e-14;
// Slack of the inside test in the parallelogram's own coordinates.
constexpr double kInsideSlack = 1e-12;

}  // namespace

const zc_Instantiator zcAffineRectangle::sExemplar(typeid(zcAffineRectangle), "zcAffineRectangle",
                                                   &zcAffineRectangle::make);

zcPersistent* zcAffineRectangle::make() { return new zcAffineRectangle; }

zcAffineRectangle::zcAffineRectangle() : po_(0, 0), px_(1, 0), py_(0, 1) {}

zcAffineRectangle::zcAffineRectangle(const zcVector<2>& cornerPo, const zcVector<2>& cornerPx,
                                     const zcVector<2>& cornerPy) {
  if (!zfIsFinite(cornerPo) || !zfIsFinite(cornerPx) || !zfIsFinite(cornerPy))
    throw zcShapesError::BadParams(L"non-finite affine rectangle corner");
  po_ = cornerPo;
  px_ = cornerPx;
  py_ = cornerPy;
}

zcAffineRectangle::zcAffineRectangle(const zcAffineRectangle& other) = default;

zcAffineRectangle& zcAffineRectangle::operator=(const zcAffineRectangle&) = default;

zcAffineRectangle::~zcAffineRectangle() = default;

zcXform<2> zcAffineRectangle::unitXform() const {
  const zcVector<2> e1 = px_ - po_;
  const zcVector<2> e2 = py_ - po_;
  return zcXform<2>(zcMatrix<2>(e1.x(), e2.x(), e1.y(), e2.y()), po_);
}

bool zcAffineRectangle::degen() const {
  const zcVector<2> e1 = px_ - po_;
  const zcVector<2> e2 = py_ - po_;
  return std::abs(e1.cross(e2)) <= kFlat * e1.length() * e2.length();
}

zcRect zcAffineRectangle::boundingBox() const {
  const zcPoint q = cornerOpposite();
  return boxOf(Box{std::min({po_.x(), px_.x(), py_.x(), q.x()}), std::min({po_.y(), px_.y(), py_.y(), q.y()}),
                   std::max({po_.x(), px_.x(), py_.x(), q.x()}), std::max({po_.y(), px_.y(), py_.y(), q.y()})});
}

namespace {

zcPoint nearestOnOutline(const zcAffineRectangle& r, const zcPoint& p) {
  const zcPoint c[4] = {r.cornerPo(), r.cornerPx(), r.cornerOpposite(), r.cornerPy()};
  zcPoint best = nearestOnSegment(c[0], c[1], p);
  for (int i = 1; i < 4; ++i) {
    const zcPoint q = nearestOnSegment(c[i], c[(i + 1) % 4], p);
    if (q.distance(p) < best.distance(p)) best = q;
  }
  return best;
}

}  // namespace

bool zcAffineRectangle::within(const zcPoint& p) const {
  const zcVector<2> e1 = px_ - po_;
  const zcVector<2> e2 = py_ - po_;
  if (degen()) {
    // A segment or a point: inside means on it.
    return nearestOnOutline(*this, p).distance(p) <= kInsideSlack * (e1.length() + e2.length());
  }
  // p − Po = s e1 + t e2, solved by Cramer's rule.
  const zcVector<2> d = p - po_;
  const double det = e1.cross(e2);
  const double s = d.cross(e2) / det;
  const double t = e1.cross(d) / det;
  return s >= -kInsideSlack && s <= 1.0 + kInsideSlack && t >= -kInsideSlack && t <= 1.0 + kInsideSlack;
}

zcPoint zcAffineRectangle::nearestPoint(const zcPoint& p) const {
  if (within(p)) return p;
  return nearestOnOutline(*this, p);
}

double zcAffineRectangle::perimeter() const { return 2.0 * (px_.distance(po_) + py_.distance(po_)); }

bool zcAffineRectangle::isRightHanded() const { return (px_ - po_).cross(py_ - po_) >= 0.0; }

zcAffineRectangle zcAffineRectangle::map(const zcXform<2>& x) const {
  return zcAffineRectangle(x.mapPoint(po_), x.mapPoint(px_), x.mapPoint(py_));
}

zcShapePtr zcAffineRectangle::mapShape(const zcXform<2>& x) const {
  return zcShapePtr(new zcAffineRectangle(map(x)));
}

void zcAffineRectangle::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  const zcPoint q = cornerOpposite();
  if (params.uniform) {
    sampleUniform({po_, px_, q, py_, po_}, params, result);
    return;
  }
  const std::vector<Piece> pieces = {Piece::segment(po_, px_), Piece::segment(px_, q), Piece::segment(q, py_),
                                     Piece::segment(py_, po_)};
  samplePieces(pieces, true, params, 0.0, result);
}

zcShapePtr zcAffineRectangle::clone() const { return zcShapePtr(new zcAffineRectangle(*this)); }

bool zcAffineRectangle::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcAffineRectangle)) return false;
  const auto& r = static_cast<const zcAffineRectangle&>(other);
  return po_ == r.po_ && px_ == r.px_ && py_ == r.py_;
}

zcShapePtr zcAffineRectangle::reverse_() const { return zcShapePtr(new zcAffineRectangle(po_, py_, px_)); }

bool zfRealEq(const zcAffineRectangle& a, const zcAffineRectangle& b, double tol) {
  return zfRealEq(a.cornerPo(), b.cornerPo(), tol) && zfRealEq(a.cornerPx(), b.cornerPx(), tol) &&
         zfRealEq(a.cornerPy(), b.cornerPy(), tol);
}

void zcAffineRectangle::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcAffineRectangle", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/genrect", __LINE__);
    zcShape::dispatchSerialize(archive);
    zcVector<2> po = po_;
    zcVector<2> px = px_;
    zcVector<2> py = py_;
    archive || po || px || py;
    if (archive.isLoading()) {
      if (!zfIsFinite(po) || !zfIsFinite(px) || !zfIsFinite(py))
        throw zcArchive::BadFormat(L"the archive holds a non-finite affine rectangle");
      mutating_();
      po_ = po;
      px_ = px;
      py_ = py;
    }
  });
}

void zcAffineRectangle::writeImage(zcImageOut<zkAffineRectangleImageSize> out) const {
  std::fill(out.begin(), out.end(), static_cast<unsigned char>(0));
  unitXform().writeImage(out.first<zkXformImageSize>());
  unsigned char* p = out.data();
  const zcPoint points[5] = {po_, px_, py_, cornerOpposite(), center()};
  for (int i = 0; i < 5; ++i) {
    zfStoreF64(p + 56 + 16 * i, points[i].x());
    zfStoreF64(p + 64 + 16 * i, points[i].y());
  }
}

zcAffineRectangle zcAffineRectangle::readImage(zcImageIn<zkAffineRectangleImageSize> in) {
  return readImageV0(in.first<zkAffineRectangleImageV0Size>());
}

zcAffineRectangle zcAffineRectangle::readImageV0(zcImageIn<zkAffineRectangleImageV0Size> in) {
  const unsigned char* p = in.data();
  auto point = [&](int offset) { return zcPoint(zfLoadF64(p + offset), zfLoadF64(p + offset + 8)); };
  return zcAffineRectangle(point(56), point(72), point(88));
}

#include "zfound/xformbase.h"

#include <cmath>

namespace {

// 3x3 matrices row by row.
using Mat3 = std::array<double, 9>;

Mat3 multiply(const Mat3& a, const Mat3& b) {
  Mat3 r{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r[3 * i + j] = a[3 * i] * b[j] + a[3 * i + 1] * b[3 + j] + a[3 * i + 2] * b[6 + j];
    }
  }
  return r;
}

// adj(A) = det(A) A^-1; as a homography it is the inverse, without dividing by a
// determinant that may be tiny.
Mat3 adjugate(const Mat3& a) {
  return {a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
          a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
          a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3]};
}

double determinant(const Mat3& a) {
  return a[0] * (a[4] * a[8] - a[5] * a[7]) - a[1] * (a[3] * a[8] - a[5] * a[6]) + a[2] * (a[3] * a[7] - a[4] * a[6]);
}

bool allFinite(const Mat3& a) {
  for (double v : a) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// Scales so that entry 8 is 1, unless it is 0 or the scaled entries would overflow.
Mat3 normalized(const Mat3& a) {
  if (a[8] == 0.0) return a;
  Mat3 r;
  for (int i = 0; i < 9; ++i) r[i] = a[i] / a[8];
  r[8] = 1.0;
  return allFinite(r) ? r : a;
}

// The homography that maps the unit square's corners (0,0), (1,0), (1,1), (0,1) to
// q[0..3], in closed form. A degenerate quadrilateral gives a singular matrix or
// non-finite entries.
Mat3 squareToQuad(const std::array<zcPoint, 4>& q) {
  const double sx = q[0].x() - q[1].x() + q[2].x() - q[3].x();
  const double sy = q[0].y() - q[1].y() + q[2].y() - q[3].y();
  double g = 0.0;
  double h = 0.0;
  // A parallelogram maps affinely (g = h = 0); otherwise solve for the perspective row.
  if (sx != 0.0 || sy != 0.0) {
    const double dx1 = q[1].x() - q[2].x();
    const double dx2 = q[3].x() - q[2].x();
    const double dy1 = q[1].y() - q[2].y();
    const double dy2 = q[3].y() - q[2].y();
    const double den = dx1 * dy2 - dx2 * dy1;
    if (den == 0.0) throw zcMathError::Singular();
    g = (sx * dy2 - dx2 * sy) / den;
    h = (dx1 * sy - sx * dy1) / den;
  }
  return {q[1].x() - q[0].x() + g * q[1].x(), q[3].x() - q[0].x() + h * q[3].x(), q[0].x(),
          q[1].y() - q[0].y() + g * q[1].y(), q[3].y() - q[0].y() + h * q[3].y(), q[0].y(),
          g, h, 1.0};
}

// Applies a homography; raises zcMathError::Singular on the line at infinity.
zcPoint applyHomography(const Mat3& a, const zcPoint& p) {
  const double w = a[6] * p.x() + a[7] * p.y() + a[8];
  if (w == 0.0) throw zcMathError::Singular();
  const zcPoint r((a[0] * p.x() + a[1] * p.y() + a[2]) / w, (a[3] * p.x() + a[4] * p.y() + a[5]) / w);
  if (!std::isfinite(r.x()) || !std::isfinite(r.y())) throw zcMathError::Singular();
  return r;
}

}  // namespace

// --- zc2XformBase ------------------------------------------------------------

zc2XformBase::~zc2XformBase() = default;

zc2XformBasePtr zc2XformBase::composeBase(const zc2XformBasePtr& second, const zc2XformBasePtr& first) {
  if (second->isLinear() && first->isLinear()) {
    // A linear transform's linearXform is the same at every point.
    const zcPoint origin;
    return zc2XformBasePtr(new zc2XformLinear(second->linearXform(origin) * first->linearXform(origin)));
  }
  return zc2XformBasePtr(new zc2XformComposite(second, first));
}

// --- zc2XformLinear ----------------------------------------------------------

zc2XformLinear::~zc2XformLinear() = default;

zcXform<2> zc2XformLinear::linearXform(const zcPoint&) const { return xform_; }

// --- zc2XformProjective ------------------------------------------------------

zc2XformProjective::zc2XformProjective() : zc2XformProjective(zcXform<2>()) {}

zc2XformProjective::zc2XformProjective(const std::array<double, 9>& rowByRow) : h_(normalized(rowByRow)) {
  if (!allFinite(rowByRow)) throw zcShapesError::BadParams(L"homography with a non-finite entry");
  const double det = determinant(h_);
  singular_ = det == 0.0 || !std::isfinite(det);
  inv_ = normalized(adjugate(h_));
  if (!allFinite(inv_)) singular_ = true;
}

zc2XformProjective::zc2XformProjective(const zcXform<2>& affine)
    : zc2XformProjective(Mat3{affine.matrix().element(0, 0), affine.matrix().element(0, 1), affine.trans().x(),
                              affine.matrix().element(1, 0), affine.matrix().element(1, 1), affine.trans().y(),
                              0.0, 0.0, 1.0}) {}

zc2XformProjective::~zc2XformProjective() = default;

zc2XformProjective zc2XformProjective::fromQuads(const std::array<zcPoint, 4>& from,
                                                 const std::array<zcPoint, 4>& to) {
  const Mat3 product = multiply(squareToQuad(to), adjugate(squareToQuad(from)));
  if (!allFinite(product)) throw zcMathError::Singular();
  zc2XformProjective result(product);
  if (result.singular_) throw zcMathError::Singular();
  return result;
}

double zc2XformProjective::element(int row, int col) const {
  if (row < 0 || row > 2 || col < 0 || col > 2) throw zcShapesError::BadParams(L"matrix index out of range");
  return h_[3 * row + col];
}

zc2XformProjective zc2XformProjective::inverse() const {
  if (singular_) throw zcMathError::Singular();
  return zc2XformProjective(inv_);
}

bool zc2XformProjective::isLinear() const { return h_[6] == 0.0 && h_[7] == 0.0; }

zcXform<2> zc2XformProjective::linearXform(const zcPoint& at) const {
  const zcPoint image = mapPoint(at);
  const double w = h_[6] * at.x() + h_[7] * at.y() + h_[8];
  // d(u/w) = (du − (u/w) dw) / w, per row.
  const zcMatrix<2> jacobian((h_[0] - image.x() * h_[6]) / w, (h_[1] - image.x() * h_[7]) / w,
                             (h_[3] - image.y() * h_[6]) / w, (h_[4] - image.y() * h_[7]) / w);
  return zcXform<2>(jacobian, image - jacobian * at);
}

zcPoint zc2XformProjective::mapPoint(const zcPoint& p) const {
  if (singular_) throw zcMathError::Singular();
  return applyHomography(h_, p);
}

zcPoint zc2XformProjective::invMapPoint(const zcPoint& p) const {
  if (singular_) throw zcMathError::Singular();
  return applyHomography(inv_, p);
}

// --- zc2XformComposite -------------------------------------------------------

zc2XformComposite::zc2XformComposite(const zc2XformBasePtr& second, const zc2XformBasePtr& first)
    : second_(second), first_(first) {
  if (!second_ || !first_) throw zcBadPointer(L"composite of an empty transform handle");
}

zc2XformComposite::~zc2XformComposite() = default;

bool zc2XformComposite::isLinear() const { return second_->isLinear() && first_->isLinear(); }

zcXform<2> zc2XformComposite::linearXform(const zcPoint& at) const {
  return second_->linearXform(first_->mapPoint(at)) * first_->linearXform(at);
}

zcPoint zc2XformComposite::mapPoint(const zcPoint& p) const { return second_->mapPoint(first_->mapPoint(p)); }

zcPoint zc2XformComposite::invMapPoint(const zcPoint& p) const {
  return first_->invMapPoint(second_->invMapPoint(p));
}

// Point transforms of the plane behind shared handles: affine ones and non-linear
// ones, for code that maps shapes point by point.
//
//   zc2XformBasePtr lens(new zc2XformProjective(zc2XformProjective::fromQuads(from, to)));
//   zc2XformBasePtr shift(new zc2XformLinear(zcXform<2>::translation(zcVector<2>(5, 0))));
//   zc2XformBasePtr both = zc2XformBase::composeBase(shift, lens);  // lens first
//   zcPoint q = both->mapPoint(p);
//   zcXform<2> local = both->linearXform(p);   // the affine map closest to it near p
//
// The transforms are immutable once built, so one object may be shared freely.
#pragma once

#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/handle.h"

#include <array>

class zc2XformBase;
using zc2XformBasePtr = zcPtrHandle_const<zc2XformBase>;

// A reference-counted transform of plane points. Create one with new and hand it to
// a handle at once; the last handle deletes it.
class ZFOUND_API zc2XformBase : public zcRepBase {
public:
  // True when the transform is affine everywhere (linearXform does not depend on
  // the point).
  virtual bool isLinear() const = 0;
  // The affine map that agrees with the transform at `at` to first order (the
  // Jacobian there, with the offset that maps `at` right); the transform itself
  // when it is linear.
  virtual zcXform<2> linearXform(const zcPoint& at) const = 0;
  virtual zcPoint mapPoint(const zcPoint& p) const = 0;
  virtual zcPoint invMapPoint(const zcPoint& p) const = 0;

  // The transform that maps by `first`, then by `second`: a zc2XformLinear when
  // both are linear, otherwise a zc2XformComposite sharing the two. An empty
  // handle raises zcBadPointer.
  static zc2XformBasePtr composeBase(const zc2XformBasePtr& second, const zc2XformBasePtr& first);

protected:
  zc2XformBase() = default;
  zc2XformBase(const zc2XformBase&) = default;
  zc2XformBase& operator=(const zc2XformBase&) = default;
  ~zc2XformBase() override;
};

// An affine transform.
class ZFOUND_API zc2XformLinear : public zc2XformBase {
public:
  explicit zc2XformLinear(const zcXform<2>& xform = zcXform<2>()) : xform_(xform) {}
  ~zc2XformLinear() override;

  const zcXform<2>& xform() const { return xform_; }

  bool isLinear() const override { return true; }
  zcXform<2> linearXform(const zcPoint& at) const override;
  zcPoint mapPoint(const zcPoint& p) const override { return xform_.mapPoint(p); }
  // Raises zcMathError::Singular when the transform is singular.
  zcPoint invMapPoint(const zcPoint& p) const override { return xform_.invMapPoint(p); }

private:
  zcXform<2> xform_;
};

// A projective transform (homography) given by a 3x3 matrix H, row by row:
//   (x, y) -> ((h00 x + h01 y + h02) / w, (h10 x + h11 y + h12) / w),
//   w = h20 x + h21 y + h22.
// H matters only up to a factor; it is scaled so that h22 is 1 whenever h22 is not 0.
// Points on the line w = 0 have no image, and a singular H has no inverse: mapping
// then raises zcMathError::Singular, as does every map of a singular H.
class ZFOUND_API zc2XformProjective : public zc2XformBase {
public:
  // The identity.
  zc2XformProjective();
  // Non-finite entries raise zcShapesError::BadParams.
  explicit zc2XformProjective(const std::array<double, 9>& rowByRow);
  explicit zc2XformProjective(const zcXform<2>& affine);
  ~zc2XformProjective() override;

  // The homography that maps from[i] to to[i], i = 0..3. Raises zcMathError::Singular
  // when three points of either quadrilateral are collinear.
  static zc2XformProjective fromQuads(const std::array<zcPoint, 4>& from, const std::array<zcPoint, 4>& to);

  // Row and column indices are 0..2; others raise zcShapesError::BadParams.
  double element(int row, int col) const;
  bool isSingular() const { return singular_; }
  // Raises zcMathError::Singular when H is singular.
  zc2XformProjective inverse() const;

  // True when h20 and h21 are 0 (then w is constant and the map is affine).
  bool isLinear() const override;
  zcXform<2> linearXform(const zcPoint& at) const override;
  zcPoint mapPoint(const zcPoint& p) const override;
  zcPoint invMapPoint(const zcPoint& p) const override;

private:
  std::array<double, 9> h_;
  // The adjugate of H, scaled like H; meaningless when singular_.
  std::array<double, 9> inv_;
  bool singular_;
};

// Two transforms applied one after the other: first, then second. composeBase
// builds these; they share both parts.
class ZFOUND_API zc2XformComposite : public zc2XformBase {
public:
  // Empty handles raise zcBadPointer.
  zc2XformComposite(const zc2XformBasePtr& second, const zc2XformBasePtr& first);
  ~zc2XformComposite() override;

  const zc2XformBasePtr& second() const { return second_; }
  const zc2XformBasePtr& first() const { return first_; }

  bool isLinear() const override;
  // The chain rule: second's linear map at first(at), after first's at `at`.
  zcXform<2> linearXform(const zcPoint& at) const override;
  zcPoint mapPoint(const zcPoint& p) const override;
  zcPoint invMapPoint(const zcPoint& p) const override;

private:
  zc2XformBasePtr second_;
  zc2XformBasePtr first_;
};

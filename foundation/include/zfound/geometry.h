// Plane geometry: angles, vectors, integer pairs, 2x2 matrices, affine and rigid
// transforms, tolerant comparison, intervals and angular ranges.
//
//   zcXform<2> x(zcMatrix<2>::rotation(zcRadian(zcDegree(30))), zcVector<2>(5, 0));
//   zcPoint q = x.mapPoint(zcPoint(1, 2));      // M p + t
//   zcPoint p = x.invMapPoint(q);               // back again
//   zcRadian a = x.mapAngle(zcRadian(0));       // direction of M (1, 0)
//
// Conventions: angles grow counter-clockwise from the x-axis in a right-handed frame
// (with y downward, as in images, they grow clockwise on the screen). Equality
// operators are exact; use zfRealEq for comparisons with a tolerance. Operations
// without a result (the inverse of a singular matrix, the direction of a zero
// vector) raise zcMathError::Singular rather than hand back inf or NaN.
#pragma once

#include "zfound/archive.h"
#include "zfound/exception.h"
#include "zfound/bytes.h"
#include "zfound/export.h"

#include <cmath>
#include <compare>
#include <cstddef>
#include <numbers>

inline constexpr double zkPi = std::numbers::pi;

class zcDegree;

// ---------------------------------------------------------------------------
// Angles. zcRadian and zcDegree are doubles with a unit; neither converts from a
// plain double or from the other implicitly, so a value in the wrong unit does not
// compile. Conversion keeps quarter turns exact (zcRadian(zcDegree(180)) is zkPi).

class ZFOUND_API zcRadian {
public:
  constexpr zcRadian() = default;
  constexpr explicit zcRadian(double value) : value_(value) {}
  constexpr explicit zcRadian(zcDegree angle);

  constexpr double value() const { return value_; }

  // The same direction in [0, 2π), and in (−π, π]. Both are exact at the ends
  // (norm(2π) is 0, signedNorm(−π) is π) and keep full precision for huge values;
  // a non-finite angle gives NaN.
  zcRadian norm() const;
  zcRadian signedNorm() const { return value_ > -zkPi && value_ <= zkPi ? zcRadian(value_ + 0.0) : wrapped_(); }

  constexpr zcRadian operator-() const { return zcRadian(-value_); }
  constexpr zcRadian operator+(zcRadian other) const { return zcRadian(value_ + other.value_); }
  constexpr zcRadian operator-(zcRadian other) const { return zcRadian(value_ - other.value_); }
  constexpr zcRadian operator*(double factor) const { return zcRadian(value_ * factor); }
  constexpr zcRadian operator/(double divisor) const { return zcRadian(value_ / divisor); }
  friend constexpr zcRadian operator*(double factor, zcRadian angle) { return angle * factor; }
  zcRadian& operator+=(zcRadian other) { value_ += other.value_; return *this; }
  zcRadian& operator-=(zcRadian other) { value_ -= other.value_; return *this; }
  zcRadian& operator*=(double factor) { value_ *= factor; return *this; }
  zcRadian& operator/=(double divisor) { value_ /= divisor; return *this; }

  // Compares values, not directions: zcRadian(0) != zcRadian(2 * zkPi).
  constexpr auto operator<=>(const zcRadian&) const = default;

private:
  zcRadian wrapped_() const;  // signedNorm() beyond (−π, π]
  double value_ = 0.0;
};

class ZFOUND_API zcDegree {
public:
  constexpr zcDegree() = default;
  constexpr explicit zcDegree(double value) : value_(value) {}
  constexpr explicit zcDegree(zcRadian angle) : value_(angle.value() / zkPi * 180.0) {}

  constexpr double value() const { return value_; }

  // [0, 360) and (−180, 180], exact at the ends as for zcRadian.
  zcDegree norm() const;
  // An angle already in (−180, 180] is its own (−0 made +0), without a library call.
  zcDegree signedNorm() const { return value_ > -180.0 && value_ <= 180.0 ? zcDegree(value_ + 0.0) : wrapped_(); }

  constexpr zcDegree operator-() const { return zcDegree(-value_); }
  constexpr zcDegree operator+(zcDegree other) const { return zcDegree(value_ + other.value_); }
  constexpr zcDegree operator-(zcDegree other) const { return zcDegree(value_ - other.value_); }
  constexpr zcDegree operator*(double factor) const { return zcDegree(value_ * factor); }
  constexpr zcDegree operator/(double divisor) const { return zcDegree(value_ / divisor); }
  friend constexpr zcDegree operator*(double factor, zcDegree angle) { return angle * factor; }
  zcDegree& operator+=(zcDegree other) { value_ += other.value_; return *this; }
  zcDegree& operator-=(zcDegree other) { value_ -= other.value_; return *this; }
  zcDegree& operator*=(double factor) { value_ *= factor; return *this; }
  zcDegree& operator/=(double divisor) { value_ /= divisor; return *this; }

  constexpr auto operator<=>(const zcDegree&) const = default;

private:
  zcDegree wrapped_() const;  // signedNorm() beyond (−180, 180]
  double value_ = 0.0;
};

// Dividing first keeps 90, 180 and 360 degrees exact multiples of zkPi.
constexpr zcRadian::zcRadian(zcDegree angle) : value_(angle.value() / 180.0 * zkPi) {}

inline double sin(zcRadian angle) { return std::sin(angle.value()); }
inline double cos(zcRadian angle) { return std::cos(angle.value()); }
inline double tan(zcRadian angle) { return std::tan(angle.value()); }
// Exact at multiples of 90 degrees (cos(zcDegree(90)) is 0, not 6e-17), so that
// axis-aligned shapes stay axis-aligned under quarter turns.
ZFOUND_API double sin(zcDegree angle);
ZFOUND_API double cos(zcDegree angle);
inline double tan(zcDegree angle) { return std::tan(zcRadian(angle.signedNorm()).value()); }

inline zcRadian zfATan2(double y, double x) { return zcRadian(std::atan2(y, x)); }

// ---------------------------------------------------------------------------
template <int N>
class zcVector;

// A vector or point of the plane. The zero vector has no direction: unit() raises
// zcMathError::Singular for it, and angle() gives 0.
template <>
class ZFOUND_API zcVector<2> {
public:
  constexpr zcVector() = default;
  constexpr zcVector(double x, double y) : x_(x), y_(y) {}
  // The vector of the given length pointing at `direction`.
  explicit zcVector(zcRadian direction, double length = 1.0)
      : x_(length * std::cos(direction.value())), y_(length * std::sin(direction.value())) {}

  constexpr double x() const { return x_; }
  constexpr double y() const { return y_; }
  void x(double value) { x_ = value; }
  void y(double value) { y_ = value; }

  constexpr zcVector operator-() const { return zcVector(-x_, -y_); }
  constexpr zcVector operator+(const zcVector& v) const { return zcVector(x_ + v.x_, y_ + v.y_); }
  constexpr zcVector operator-(const zcVector& v) const { return zcVector(x_ - v.x_, y_ - v.y_); }
  constexpr zcVector operator*(double s) const { return zcVector(x_ * s, y_ * s); }
  constexpr zcVector operator/(double s) const { return zcVector(x_ / s, y_ / s); }
  friend constexpr zcVector operator*(double s, const zcVector& v) { return v * s; }
  zcVector& operator+=(const zcVector& v) { x_ += v.x_; y_ += v.y_; return *this; }
  zcVector& operator-=(const zcVector& v) { x_ -= v.x_; y_ -= v.y_; return *this; }
  zcVector& operator*=(double s) { x_ *= s; y_ *= s; return *this; }
  zcVector& operator/=(double s) { x_ /= s; y_ /= s; return *this; }

  // Dot product.
  constexpr double dot(const zcVector& v) const { return x_ * v.x_ + y_ * v.y_; }
  constexpr double operator*(const zcVector& v) const { return dot(v); }
  // The z component of the 3-D cross product: positive when v lies counter-clockwise.
  constexpr double cross(const zcVector& v) const { return x_ * v.y_ - y_ * v.x_; }

  double length() const { return std::hypot(x_, y_); }
  constexpr double lengthSq() const { return x_ * x_ + y_ * y_; }
  double distance(const zcVector& v) const { return std::hypot(x_ - v.x_, y_ - v.y_); }
  zcRadian angle() const { return zcRadian(std::atan2(y_, x_)); }
  zcVector unit() const;
  // Turned by +90 degrees.
  constexpr zcVector perp() const { return zcVector(-y_, x_); }

  constexpr bool operator==(const zcVector&) const = default;

private:
  double x_ = 0.0;
  double y_ = 0.0;
};

typedef zcVector<2> zcPoint;

// ---------------------------------------------------------------------------
// Two values of one type: integer pixel positions (zcPair<long>) and sizes.
template <class T>
class zcPair {
public:
  constexpr zcPair() : x_(), y_() {}
  constexpr zcPair(const T& x, const T& y) : x_(x), y_(y) {}

  constexpr const T& x() const { return x_; }
  constexpr const T& y() const { return y_; }
  void x(const T& value) { x_ = value; }
  void y(const T& value) { y_ = value; }

  constexpr bool operator==(const zcPair&) const = default;

private:
  T x_;
  T y_;
};

// ---------------------------------------------------------------------------
template <int N>
class zcMatrix;

// A 2x2 matrix, entries element(row, column). Default-constructed it is the identity.
//
// Axis description: the matrix maps the x-axis unit vector to column 0 and the y-axis
// unit vector to column 1. xScale and yScale are the lengths of these images (>= 0);
// xRot is the direction of column 0 and yRot the direction of column 1 minus 90
// degrees, both in (−π, π]. A rotation by a with scales (sx, sy) has xRot == yRot
// == a; the two differ for a shear, and by more than 90 degrees exactly when the
// matrix mirrors (diag(1, −1) has xRot 0, yRot π).
template <>
class ZFOUND_API zcMatrix<2> {
public:
  constexpr zcMatrix() = default;
  // Entries row by row.
  constexpr zcMatrix(double m00, double m01, double m10, double m11) : m_{{m00, m01}, {m10, m11}} {}
  // From the axis description: m00 = xs cos xr, m10 = xs sin xr, m01 = −ys sin yr,
  // m11 = ys cos yr.
  zcMatrix(double xScale, double yScale, zcRadian xRot, zcRadian yRot);

  static constexpr zcMatrix identity() { return zcMatrix(); }
  static zcMatrix rotation(zcRadian angle);
  static constexpr zcMatrix scaling(double sx, double sy) { return zcMatrix(sx, 0.0, 0.0, sy); }

  static constexpr int rows() { return 2; }
  static constexpr int cols() { return 2; }
  // Row and column indices are 0 or 1; others raise zcShapesError::BadParams.
  double element(int row, int col) const {
    if (static_cast<unsigned>(row) > 1u || static_cast<unsigned>(col) > 1u) badIndex();
    return m_[row][col];
  }
  void element(int row, int col, double value);
  zcVector<2> row(int row) const;
  zcVector<2> col(int col) const;

  double determinant() const { return m_[0][0] * m_[1][1] - m_[0][1] * m_[1][0]; }
  // Raises zcMathError::Singular when the determinant is 0 or not finite, or the
  // inverse would not be finite.
  zcMatrix inverse() const;
  constexpr zcMatrix transpose() const { return zcMatrix(m_[0][0], m_[1][0], m_[0][1], m_[1][1]); }

  double xScale() const { return std::hypot(m_[0][0], m_[1][0]); }
  double yScale() const { return std::hypot(m_[0][1], m_[1][1]); }
  zcRadian xRot() const;
  zcRadian yRot() const;

  constexpr zcMatrix operator*(const zcMatrix& b) const {
    return zcMatrix(m_[0][0] * b.m_[0][0] + m_[0][1] * b.m_[1][0], m_[0][0] * b.m_[0][1] + m_[0][1] * b.m_[1][1],
                    m_[1][0] * b.m_[0][0] + m_[1][1] * b.m_[1][0], m_[1][0] * b.m_[0][1] + m_[1][1] * b.m_[1][1]);
  }
  constexpr zcVector<2> operator*(const zcVector<2>& v) const {
    return zcVector<2>(m_[0][0] * v.x() + m_[0][1] * v.y(), m_[1][0] * v.x() + m_[1][1] * v.y());
  }

  constexpr bool operator==(const zcMatrix&) const = default;
  constexpr bool isIdentity() const { return *this == zcMatrix(); }

private:
  static void checkIndex(int row, int col);
  [[noreturn]] static void badIndex();
  double m_[2][2] = {{1.0, 0.0}, {0.0, 1.0}};
};

// ---------------------------------------------------------------------------
template <int N>
class zcXform;

// Bytes of the value image of a zcXform<2>.
inline constexpr std::size_t zkXformImageSize = 56;

// An affine transform of the plane: p -> M p + t. Default-constructed it is the
// identity. a * b maps by b first, then by a.
//
// The object is exactly seven doubles, in this order: the matrix row by row, the
// translation, the determinant. The determinant is always recomputed from the four
// entries, so it never disagrees with them.
template <>
class ZFOUND_API zcXform<2> {
public:
  constexpr zcXform() = default;
  zcXform(const zcMatrix<2>& matrix, const zcVector<2>& trans) : tx_(trans.x()), ty_(trans.y()) {
    this->matrix(matrix);
  }

  static zcXform translation(const zcVector<2>& offset) { return zcXform(zcMatrix<2>(), offset); }
  static zcXform rotation(zcRadian angle) { return zcXform(zcMatrix<2>::rotation(angle), zcVector<2>()); }
  static zcXform scaling(double sx, double sy) { return zcXform(zcMatrix<2>::scaling(sx, sy), zcVector<2>()); }

  constexpr zcMatrix<2> matrix() const { return zcMatrix<2>(m00_, m01_, m10_, m11_); }
  constexpr zcVector<2> trans() const { return zcVector<2>(tx_, ty_); }
  constexpr double determinant() const { return det_; }
  void matrix(const zcMatrix<2>& m) {
    m00_ = m.element(0, 0);
    m01_ = m.element(0, 1);
    m10_ = m.element(1, 0);
    m11_ = m.element(1, 1);
    det_ = m.determinant();
  }
  void trans(const zcVector<2>& t) { tx_ = t.x(); ty_ = t.y(); }

  constexpr zcPoint mapPoint(const zcPoint& p) const {
    return zcPoint(m00_ * p.x() + m01_ * p.y() + tx_, m10_ * p.x() + m11_ * p.y() + ty_);
  }
  constexpr zcVector<2> mapVector(const zcVector<2>& v) const {
    return zcVector<2>(m00_ * v.x() + m01_ * v.y(), m10_ * v.x() + m11_ * v.y());
  }
  // The direction of M (cos a, sin a), in (−π, π]. Raises zcMathError::Singular
  // when the matrix maps that direction to the zero vector.
  zcRadian mapAngle(zcRadian angle) const;

  // The inverse maps raise zcMathError::Singular when the transform is singular.
  zcPoint invMapPoint(const zcPoint& p) const;
  zcVector<2> invMapVector(const zcVector<2>& v) const;
  zcRadian invMapAngle(zcRadian angle) const;
  zcXform inverse() const;

  zcXform operator*(const zcXform& b) const { return zcXform(matrix() * b.matrix(), mapPoint(b.trans())); }

  constexpr bool operator==(const zcXform&) const = default;
  constexpr bool isIdentity() const { return *this == zcXform(); }

  // Value image, 56 bytes, doubles little-endian:
  //   m00 @0, m01 @8, m10 @16, m11 @24, tx @32, ty @40, det @48.
  // Reading ignores the stored determinant and recomputes it from the entries.
  void writeImage(zcImageOut<zkXformImageSize> out) const;
  static zcXform readImage(zcImageIn<zkXformImageSize> in);

private:
  double m00_ = 1.0;
  double m01_ = 0.0;
  double m10_ = 0.0;
  double m11_ = 1.0;
  double tx_ = 0.0;
  double ty_ = 0.0;
  double det_ = 1.0;
};

// ---------------------------------------------------------------------------
// A rigid transform: rotation by an angle about the origin, then translation.
// The angle is kept in (−π, π], so equal motions compare equal.
class ZFOUND_API zc2Rigid {
public:
  zc2Rigid() = default;
  zc2Rigid(zcRadian angle, const zcVector<2>& trans);

  zcRadian angle() const { return angle_; }
  const zcVector<2>& trans() const { return trans_; }

  zcPoint mapPoint(const zcPoint& p) const;
  zcVector<2> mapVector(const zcVector<2>& v) const;
  // In (−π, π].
  zcRadian mapAngle(zcRadian angle) const { return (angle + angle_).signedNorm(); }
  zcPoint invMapPoint(const zcPoint& p) const;
  zc2Rigid inverse() const;
  // a * b maps by b first, then by a.
  zc2Rigid operator*(const zc2Rigid& b) const;
  zcXform<2> xform() const;

  bool operator==(const zc2Rigid&) const = default;

private:
  zcRadian angle_;
  zcVector<2> trans_;
};

// (cos a, sin a) of an angle in degrees: the values of cos(a) and sin(a), for the price
// of one normalization.
ZFOUND_API zcVector<2> zfDirection(zcDegree angle);

// ---------------------------------------------------------------------------
// Tolerant comparison: |a − b| <= tol, per component or entry. Equal infinities are
// equal; NaN equals nothing.
// True when every stored number is finite (no NaN, no infinity).
inline bool zfIsFinite(const zcVector<2>& v) { return std::isfinite(v.x()) && std::isfinite(v.y()); }
inline bool zfIsFinite(const zcMatrix<2>& m) {
  return std::isfinite(m.element(0, 0)) && std::isfinite(m.element(0, 1)) && std::isfinite(m.element(1, 0)) &&
         std::isfinite(m.element(1, 1));
}
inline bool zfIsFinite(const zcXform<2>& x) {
  return zfIsFinite(x.matrix()) && zfIsFinite(x.trans()) && std::isfinite(x.determinant());
}

ZFOUND_API bool zfRealEq(double a, double b, double tol);
ZFOUND_API bool zfRealEq(const zcVector<2>& a, const zcVector<2>& b, double tol);
ZFOUND_API bool zfRealEq(const zcMatrix<2>& a, const zcMatrix<2>& b, double tol);
// Matrix and translation; the determinant follows from the matrix.
ZFOUND_API bool zfRealEq(const zcXform<2>& a, const zcXform<2>& b, double tol);
// Angles compare by value and do not wrap: 0 and 2π differ by 2π. Compare the
// signedNorm() of both when directions are meant.
ZFOUND_API bool zfRealEq(zcRadian a, zcRadian b, double tol);

// The greatest integer <= x and the least integer >= x. NaN, infinities and values
// beyond the range of long raise zcShapesError::BadParams.
ZFOUND_API long zfIFloor(double x);
ZFOUND_API long zfICeil(double x);

// ---------------------------------------------------------------------------
// A closed interval [lo, hi]; empty when lo > hi (the default).
class ZFOUND_API zcRange {
public:
  zcRange() = default;
  zcRange(double lo, double hi) : lo_(lo), hi_(hi) {}

  double lo() const { return lo_; }
  double hi() const { return hi_; }
  bool isEmpty() const { return !(lo_ <= hi_); }
  bool isWithin(double x) const { return lo_ <= x && x <= hi_; }
  // Grows to hold x (or the other range); enclosing an empty range changes nothing.
  void enclose(double x);
  void enclose(const zcRange& other);

  // All empty ranges are equal.
  bool operator==(const zcRange& other) const {
    return (isEmpty() && other.isEmpty()) || (lo_ == other.lo_ && hi_ == other.hi_);
  }

private:
  double lo_ = 1.0;
  double hi_ = 0.0;
};

// A range of directions in degrees: from `start` turning through `span`,
// counter-clockwise for a positive span and clockwise for a negative one. Both ends
// belong to the range. A span of 360 degrees or more either way is the full circle
// (the default); a span of 0 holds the start direction alone.
class ZFOUND_API zcAngleRange {
public:
  zcAngleRange() = default;
  zcAngleRange(zcDegree start, zcDegree span) : start_(start), span_(span) {}

  zcDegree start() const { return start_; }
  zcDegree span() const { return span_; }
  zcDegree end() const { return start_ + span_; }
  bool isFull() const { return std::abs(span_.value()) >= 360.0; }
  bool isWithin(zcDegree angle) const;

  bool operator==(const zcAngleRange&) const = default;

private:
  zcDegree start_;
  zcDegree span_{360.0};
};

// ---------------------------------------------------------------------------
// Archive forms (see archive.h for the primitives): a vector is x, y; a radian its
// value; a pair x, y in T's form; a rigid transform the angle, then the translation;
// an affine transform the seven doubles of its value image, in that order. Loading a
// transform recomputes the determinant and raises zcArchive::BadFormat when the
// stored one disagrees or an entry is not finite; storing a transform with a
// non-finite entry raises zcArchive::ValueOutOfRange. A value that fails to load is
// left unchanged.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcVector<2>& value);
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcRadian& value);
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcXform<2>& value);
ZFOUND_API zcArchive& operator||(zcArchive& archive, zc2Rigid& value);

template <class T>
zcArchive& operator||(zcArchive& archive, zcPair<T>& value) {
  T x = value.x();
  T y = value.y();
  archive || x || y;
  if (archive.isLoading()) value = zcPair<T>(x, y);
  return archive;
}

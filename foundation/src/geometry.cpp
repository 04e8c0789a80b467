#include "zfound/geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {

// The remainder of value / period in [0, period). fmod is exact, so huge values
// keep every bit that is left.
// A value already within one period is its own remainder (fmod returns it as it is),
// so the library call is left out for it.
double remainder(double value, double period) { return std::abs(value) < period ? value : std::fmod(value, period); }

double normPeriod(double value, double period) {
  double r = remainder(value, period);
  if (r < 0.0) {
    r += period;
    // A remainder just below zero rounds up to the period itself.
    if (r >= period) r = 0.0;
  }
  return r + 0.0;  // turns −0 into +0
}

// The remainder in (−period/2, period/2]. Both corrections are exact (Sterbenz), so
// −period/2 lands on +period/2 exactly.
double signedNormPeriod(double value, double period) {
  double r = remainder(value, period);
  const double half = period / 2.0;
  if (r > half) {
    r -= period;
  } else if (r <= -half) {
    r += period;
  }
  return r + 0.0;
}

// Integral value to long; NaN and values beyond long's range are refused.
long integralToLong(double v) {
  // −2^63 (or −2^31) is exact as a double; its negation is the first value too big.
  constexpr double lowest = static_cast<double>(std::numeric_limits<long>::min());
  if (!(v >= lowest && v < -lowest)) throw zcShapesError::BadParams(L"value beyond the range of long");
  return static_cast<long>(v);
}

}  // namespace

// --- Angles ------------------------------------------------------------------

zcRadian zcRadian::norm() const { return zcRadian(normPeriod(value_, 2.0 * zkPi)); }
zcRadian zcRadian::wrapped_() const { return zcRadian(signedNormPeriod(value_, 2.0 * zkPi)); }
zcDegree zcDegree::norm() const { return zcDegree(normPeriod(value_, 360.0)); }
zcDegree zcDegree::wrapped_() const { return zcDegree(signedNormPeriod(value_, 360.0)); }

double sin(zcDegree angle) {
  const double d = angle.signedNorm().value();
  if (d == 0.0 || d == 180.0) return 0.0;
  if (d == 90.0) return 1.0;
  if (d == -90.0) return -1.0;
  return std::sin(d / 180.0 * zkPi);
}

double cos(zcDegree angle) {
  const double d = angle.signedNorm().value();
  if (d == 90.0 || d == -90.0) return 0.0;
  if (d == 0.0) return 1.0;
  if (d == 180.0) return -1.0;
  return std::cos(d / 180.0 * zkPi);
}

zcVector<2> zfDirection(zcDegree angle) {
  const double d = angle.signedNorm().value();
  if (d == 0.0) return zcVector<2>(1.0, 0.0);
  if (d == 90.0) return zcVector<2>(0.0, 1.0);
  if (d == 180.0) return zcVector<2>(-1.0, 0.0);
  if (d == -90.0) return zcVector<2>(0.0, -1.0);
  const double x = d / 180.0 * zkPi;
  return zcVector<2>(std::cos(x), std::sin(x));
}

// --- Vectors -----------------------------------------------------------------

zcVector<2> zcVector<2>::unit() const {
  const double len = length();
  if (!(len > 0.0) || !std::isfinite(len)) throw zcMathError::Singular();
  return zcVector<2>(x_ / len, y_ / len);
}

// --- Matrices ----------------------------------------------------------------

zcMatrix<2>::zcMatrix(double xScale, double yScale, zcRadian xRot, zcRadian yRot)
    : zcMatrix(xScale * cos(xRot), -yScale * sin(yRot), xScale * sin(xRot), yScale * cos(yRot)) {}

zcMatrix<2> zcMatrix<2>::rotation(zcRadian angle) {
  const double c = cos(angle);
  const double s = sin(angle);
  return zcMatrix(c, -s, s, c);
}

void zcMatrix<2>::checkIndex(int row, int col) {
  if (row < 0 || row > 1 || col < 0 || col > 1) throw zcShapesError::BadParams(L"matrix index out of range");
}

void zcMatrix<2>::badIndex() { throw zcShapesError::BadParams(L"matrix index out of range"); }

void zcMatrix<2>::element(int row, int col, double value) {
  checkIndex(row, col);
  m_[row][col] = value;
}

zcVector<2> zcMatrix<2>::row(int row) const {
  checkIndex(row, 0);
  return zcVector<2>(m_[row][0], m_[row][1]);
}

zcVector<2> zcMatrix<2>::col(int col) const {
  checkIndex(0, col);
  return zcVector<2>(m_[0][col], m_[1][col]);
}

zcMatrix<2> zcMatrix<2>::inverse() const {
  const double det = determinant();
  if (det == 0.0 || !std::isfinite(det)) throw zcMathError::Singular();
  // Dividing each entry (rather than multiplying by 1/det) keeps a tiny determinant
  // from overflowing when the entries are tiny too.
  const zcMatrix inv(m_[1][1] / det, -m_[0][1] / det, -m_[1][0] / det, m_[0][0] / det);
  if (!zfIsFinite(inv)) throw zcMathError::Singular();
  return inv;
}

// signedNorm turns the −π that atan2 gives for a −0 numerator into π.
zcRadian zcMatrix<2>::xRot() const { return zcRadian(std::atan2(m_[1][0], m_[0][0])).signedNorm(); }
zcRadian zcMatrix<2>::yRot() const { return zcRadian(std::atan2(-m_[0][1], m_[1][1])).signedNorm(); }


// --- Affine transforms -------------------------------------------------------

static_assert(sizeof(zcXform<2>) == zkXformImageSize, "a transform is seven doubles");
static_assert(std::is_standard_layout_v<zcXform<2>>);


zcRadian zcXform<2>::mapAngle(zcRadian angle) const {
  const zcVector<2> v = mapVector(zcVector<2>(angle));
  if (v.x() == 0.0 && v.y() == 0.0) throw zcMathError::Singular();
  return v.angle().signedNorm();
}

zcPoint zcXform<2>::invMapPoint(const zcPoint& p) const { return matrix().inverse() * (p - trans()); }

zcVector<2> zcXform<2>::invMapVector(const zcVector<2>& v) const { return matrix().inverse() * v; }

zcRadian zcXform<2>::invMapAngle(zcRadian angle) const {
  const zcVector<2> v = invMapVector(zcVector<2>(angle));
  if (v.x() == 0.0 && v.y() == 0.0) throw zcMathError::Singular();
  return v.angle().signedNorm();
}

zcXform<2> zcXform<2>::inverse() const {
  const zcMatrix<2> inv = matrix().inverse();
  const zcVector<2> t = -(inv * trans());
  if (!zfIsFinite(t)) throw zcMathError::Singular();
  return zcXform(inv, t);
}


void zcXform<2>::writeImage(zcImageOut<zkXformImageSize> out) const {
  const double fields[7] = {m00_, m01_, m10_, m11_, tx_, ty_, det_};
  for (int i = 0; i < 7; ++i) zfStoreF64(out.data() + 8 * i, fields[i]);
}

zcXform<2> zcXform<2>::readImage(zcImageIn<zkXformImageSize> in) {
  const unsigned char* p = in.data();
  return zcXform(zcMatrix<2>(zfLoadF64(p), zfLoadF64(p + 8), zfLoadF64(p + 16), zfLoadF64(p + 24)),
                 zcVector<2>(zfLoadF64(p + 32), zfLoadF64(p + 40)));
}

// --- Rigid transforms --------------------------------------------------------

zc2Rigid::zc2Rigid(zcRadian angle, const zcVector<2>& trans) : angle_(angle.signedNorm()), trans_(trans) {}

// The same products as xform().mapPoint, so the two agree to the bit.
zcPoint zc2Rigid::mapPoint(const zcPoint& p) const { return mapVector(p) + trans_; }

zcVector<2> zc2Rigid::mapVector(const zcVector<2>& v) const {
  const double c = cos(angle_);
  const double s = sin(angle_);
  return zcVector<2>(c * v.x() + -s * v.y(), s * v.x() + c * v.y());
}

zcPoint zc2Rigid::invMapPoint(const zcPoint& p) const {
  const double c = cos(angle_);
  const double s = sin(angle_);
  const zcVector<2> d = p - trans_;
  return zcPoint(c * d.x() + s * d.y(), -s * d.x() + c * d.y());
}

zc2Rigid zc2Rigid::inverse() const {
  const zc2Rigid turn(-angle_, zcVector<2>());
  return zc2Rigid(-angle_, -turn.mapVector(trans_));
}

zc2Rigid zc2Rigid::operator*(const zc2Rigid& b) const { return zc2Rigid(angle_ + b.angle_, mapPoint(b.trans_)); }

zcXform<2> zc2Rigid::xform() const { return zcXform<2>(zcMatrix<2>::rotation(angle_), trans_); }

// --- Comparison and rounding -------------------------------------------------

bool zfRealEq(double a, double b, double tol) { return a == b || std::abs(a - b) <= tol; }

bool zfRealEq(const zcVector<2>& a, const zcVector<2>& b, double tol) {
  return zfRealEq(a.x(), b.x(), tol) && zfRealEq(a.y(), b.y(), tol);
}

bool zfRealEq(const zcMatrix<2>& a, const zcMatrix<2>& b, double tol) {
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      if (!zfRealEq(a.element(r, c), b.element(r, c), tol)) return false;
    }
  }
  return true;
}

bool zfRealEq(const zcXform<2>& a, const zcXform<2>& b, double tol) {
  return zfRealEq(a.matrix(), b.matrix(), tol) && zfRealEq(a.trans(), b.trans(), tol);
}

bool zfRealEq(zcRadian a, zcRadian b, double tol) { return zfRealEq(a.value(), b.value(), tol); }

long zfIFloor(double x) { return integralToLong(std::floor(x)); }
long zfICeil(double x) { return integralToLong(std::ceil(x)); }

// --- Ranges ------------------------------------------------------------------

void zcRange::enclose(double x) {
  if (isEmpty()) {
    lo_ = hi_ = x;
  } else {
    lo_ = std::min(lo_, x);
    hi_ = std::max(hi_, x);
  }
}

void zcRange::enclose(const zcRange& other) {
  if (other.isEmpty()) return;
  if (isEmpty()) {
    *this = other;
  } else {
    lo_ = std::min(lo_, other.lo_);
    hi_ = std::max(hi_, other.hi_);
  }
}

bool zcAngleRange::isWithin(zcDegree angle) const {
  if (isFull()) return true;
  const double span = span_.value();
  // How far the angle lies from the start in the turning direction, in [0, 360).
  const double offset = (span >= 0.0 ? angle - start_ : start_ - angle).norm().value();
  // The second test keeps the end inclusive when start + span was rounded.
  return offset <= std::abs(span) || angle.norm() == end().norm();
}

// --- Archive forms -----------------------------------------------------------

zcArchive& operator||(zcArchive& archive, zcVector<2>& value) {
  double x = value.x();
  double y = value.y();
  archive || x || y;
  if (archive.isLoading()) value = zcVector<2>(x, y);
  return archive;
}

zcArchive& operator||(zcArchive& archive, zcRadian& value) {
  double v = value.value();
  archive || v;
  if (archive.isLoading()) value = zcRadian(v);
  return archive;
}

zcArchive& operator||(zcArchive& archive, zcXform<2>& value) {
  const zcMatrix<2> m = value.matrix();
  double fields[7] = {m.element(0, 0), m.element(0, 1), m.element(1, 0), m.element(1, 1),
                      value.trans().x(), value.trans().y(), value.determinant()};
  const auto entriesFinite = [&fields] {
    for (int i = 0; i < 6; ++i) {
      if (!std::isfinite(fields[i])) return false;
    }
    return true;
  };
  if (archive.isStoring() && !entriesFinite()) {
    throw zcArchive::ValueOutOfRange(L"transform with a non-finite entry");
  }
  for (double& field : fields) archive || field;
  if (archive.isStoring()) return archive;

  if (!entriesFinite()) throw zcArchive::BadFormat(L"transform with a non-finite entry");
  const zcXform<2> loaded(zcMatrix<2>(fields[0], fields[1], fields[2], fields[3]), zcVector<2>(fields[4], fields[5]));
  // A writer that fused the multiply-adds may differ in the last bits; anything
  // more is a corrupted archive.
  const double scale = std::abs(fields[0] * fields[3]) + std::abs(fields[1] * fields[2]);
  if (!(std::abs(fields[6] - loaded.determinant()) <= 8.0 * std::numeric_limits<double>::epsilon() * scale)) {
    throw zcArchive::BadFormat(L"transform determinant disagrees with its entries");
  }
  value = loaded;
  return archive;
}

zcArchive& operator||(zcArchive& archive, zc2Rigid& value) {
  zcRadian angle = value.angle();
  zcVector<2> trans = value.trans();
  archive || angle || trans;
  if (archive.isLoading()) value = zc2Rigid(angle, trans);
  return archive;
}



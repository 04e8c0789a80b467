// Internal helpers shared by the conic sources (conics*.cpp): the parametric ellipse
// with its canonical decomposition, and contours made of elliptical arcs and
// segments, which answer lengths, nearest points, boxes and sampling.
#pragma once

#include "zfound/conics.h"
#include "zfound/rect.h"

#include <vector>

namespace zc_conics {

inline constexpr double kTwoPi = 2.0 * zkPi;

// More sampling steps than this on one contour raise zcShapesError::SampleOverflow,
// whatever maxPoints says, so that a tiny tolerance cannot run away.
inline constexpr long kMaxSampleSteps = 1L << 24;

// Raise zcShapesError::BadParams unless every number is finite.
void checkFinite(double v, const wchar_t* what);
void checkFinite(const zcVector<2>& v, const wchar_t* what);
void checkFinite(const zcXform<2>& x, const wchar_t* what);
// Radius >= 0 and finite (BadParams for non-finite, BadRadius for negative).
void checkRadius(double r);
// Finite span of magnitude <= 2π (BadParams otherwise).
void checkSpan(zcRadian start, zcRadian span);

// True when m maps circles to circles: orthogonal columns of equal length, to 1e-12
// relative (mirrors included). `scale` receives the factor.
bool isSimilarity(const zcMatrix<2>& m, double& scale);

// True when t lies on the parameter range from t0 through span (signed; |span| >= 2π
// is everything), with `slack` radians to spare at both ends.
bool inRange(double t, double t0, double span, double slack = 0.0);

// An axis-aligned box grown point by point.
struct Box {
  double xmin = 1.0, ymin = 1.0, xmax = 0.0, ymax = 0.0;
  bool empty = true;
  void add(const zcPoint& p);
  void add(const Box& b);
  zcRect rect() const;
};

// The ellipse t -> c + A (cos t, sin t), with A = R(theta) diag(a, b) D(s) R(−phi),
// a >= b >= 0, D(s) = diag(1, s). In its canonical frame (rotated by −theta about c)
// the point at parameter t is (a cos τ, b sin τ) with τ = s (t − phi).
class Conic {
public:
  Conic() : Conic(zcXform<2>()) {}
  explicit Conic(const zcXform<2>& unitXform);

  const zcXform<2>& xform() const { return x_; }
  zcPoint center() const { return x_.trans(); }
  double major() const { return a_; }
  double minor() const { return b_; }
  bool degenerate() const { return !(b_ > 0.0); }
  double det() const { return x_.determinant(); }

  zcPoint point(double t) const;
  // dP/dt.
  zcVector<2> deriv(double t) const;
  double speed(double t) const { return deriv(t).length(); }

  // Length of the curve from t0 over the signed span (>= 0).
  double arcLength(double t0, double span) const;
  // The whole ellipse (Gauss' arithmetic-geometric mean series).
  double perimeter() const;
  // The parameter reached after `length` along the range from t0 over span
  // (length clamped to [0, arcLength(t0, span)]).
  double paramAtLength(double t0, double span, double length) const;

  // The parameter of the point of the range nearest to p (the whole ellipse when
  // |span| >= 2π).
  double nearestParam(const zcPoint& p, double t0, double span) const;
  // Box of the range.
  Box box(double t0, double span) const;
  // p in the filled ellipse, boundary within 1e-12 relative.
  bool inside(const zcPoint& p) const;
  // The parameter whose ray from the center (in the unit frame) passes through p;
  // the ellipse must not be degenerate and p not the center.
  double paramOf(const zcPoint& p) const;

  // Turning of the tangent and sweep seen from p over the range (see zcShape).
  // Degenerate ellipses raise NoTangent / DegenerateShape; a p on the range BadGeom.
  double tangentRotation(double t0, double span) const;
  double windingAngle(const zcPoint& p, double t0, double span) const;
  // Direction of travel at t for a range of the given sign.
  zcRadian travelAngle(double t, double span) const;

private:
  // Critical parameters of the distance from p (canonical frame coordinates).
  std::vector<double> criticalTaus(double u, double v) const;
  double tauToT(double tau) const { return phi_ + s_ * tau; }
  // The world direction sweep corresponding to a unit-frame sweep.
  double liftSweep(double unitSweep, const zcVector<2>& from, const zcVector<2>& to) const;

  zcXform<2> x_;
  double theta_ = 0.0, a_ = 1.0, b_ = 1.0, phi_ = 0.0;
  double s_ = 1.0;
};

// The canonical decomposition of a matrix (see Conic): raw, a >= b.
void decomposeMatrix(const zcMatrix<2>& m, double& theta, double& a, double& b, double& s, double& phi);

// A boundary piece: an elliptical arc (conic, t0, span) or a segment p0 -> p1.
struct Piece {
  bool arc = false;
  Conic conic;
  double t0 = 0.0, span = 0.0;
  zcPoint p0, p1;

  static Piece arcOf(const Conic& c, double t0, double span);
  static Piece segment(const zcPoint& a, const zcPoint& b);

  double length() const;
  zcPoint start() const;
  zcPoint end() const;
  zcPoint nearest(const zcPoint& p) const;
  zcPoint atLength(double s) const;
};

// A connected contour of pieces, each starting where the one before ends.
struct Contour {
  std::vector<Piece> pieces;
  bool closed = false;

  double length() const;
  zcPoint nearest(const zcPoint& p) const;
  Box box() const;
  // Appends the contour's points; a closed contour ends on its start point exactly.
  void sample(const zcSampleParams& params, zcSampleResult& result) const;
};

zcPoint nearestOnSegment(const zcPoint& a, const zcPoint& b, const zcPoint& p);
// The nearest of several candidates to p.
zcPoint nearestOf(const std::vector<zcPoint>& candidates, const zcPoint& p);

// The 48-byte geometry block and the 176-byte ellipse block of the images.
void writeEllipseBlock(unsigned char* p, const zcEllipse::zcEllipseGeom& g, double t0, double t1);

}  // namespace zc_conics

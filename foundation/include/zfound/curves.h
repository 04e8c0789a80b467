// Curves: rational cubic Bézier curves and the cubic splines built from them.
//
//   zcBezierCurve b(zcPoint(0, 0), zcPoint(1, 2), zcPoint(3, 2), zcPoint(4, 0));
//   zcPoint mid = b.point(0.5);
//   zcSampleParams params;
//   params.tolerance = 0.01;                 // chords within 0.01 of the curve
//   zcSampleResult out;
//   b.sample(params, out);
//
//   zcInterpSpline s({zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, 0)});  // natural ends
//   for (long i = 0; i < s.numPieces(); ++i) draw(s.piece(i));
//
// Every spline is a zcCubicSpline: a chain of cubic Bézier pieces, each piece
// starting where the previous one ends. zcDeBoorSpline, zcInterpSpline and
// zcHermiteSpline keep the data they were built from (control points and knots,
// interpolated points, points and tangents) and derive their pieces from it; code
// that draws or stores pieces treats all four alike, and cubicSpline() gives the
// plain chain of pieces.
//
// Parameters. A Bézier curve runs over t in [0, 1]. Perimeter positions (subShape,
// nearestPerimPos, uniform sampling) are arc lengths from the start.
#pragma once

#include "zfound/bytes.h"
#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/shape.h"

#include <array>
#include <cstddef>
#include <vector>

// Bytes of the value image of a zcBezierCurve.
inline constexpr std::size_t zkBezierCurveImageSize = 96;

// A cubic rational Bézier curve: four control points P0..P3 with weights w0..w3,
//   C(t) = Σ wᵢ Bᵢ(t) Pᵢ / Σ wᵢ Bᵢ(t),   Bᵢ the cubic Bernstein polynomials.
// The weights are finite and positive, so the curve lies in the convex hull of its
// control points and its derivative in the cone of the control polygon's edges; the
// sampling, distance and winding computations rest on these two facts. Equal
// weights give the ordinary polynomial curve; an affine map keeps the weights.
//
// It is an open contour from P0 to P3. It has a tangent unless all four control
// points coincide; where a control point repeats an end point, the end direction is
// the limit direction (toward the next distinct control point).
//
// Sampling (zcSampleParams): the points are curve points at increasing t, starting
// with P0 and ending with P3. With a tolerance, every chord between consecutive
// points stays within the tolerance of the curve and the curve within the tolerance
// of the polyline (subdivision until the inner control points lie within the
// tolerance of the chord, a true bound because the curve stays in the hull). With a
// spacing, consecutive points are at most that arc length apart. A tolerance below
// 1e-13 of the curve's size is raised to that, the limit of double precision.
// Uniform mode places the points exactly `spacing` apart in arc length (the last
// step may be shorter) and is refused (zcShapesError::BadParams) together with a
// positive tolerance, which it could not guarantee.
class ZFOUND_API zcBezierCurve : public zcShape {
public:
  // All control points at the origin, weights 1 (a degenerate curve).
  zcBezierCurve();
  // Raises zcShapesError::BadParams for a non-finite coordinate or a weight that is
  // not finite and positive.
  zcBezierCurve(const zcPoint& p0, const zcPoint& p1, const zcPoint& p2, const zcPoint& p3,
                double w0 = 1.0, double w1 = 1.0, double w2 = 1.0, double w3 = 1.0);
  zcBezierCurve(const std::array<zcPoint, 4>& points, const std::array<double, 4>& weights);
  zcBezierCurve(const zcBezierCurve&) = default;
  zcBezierCurve& operator=(const zcBezierCurve& other);
  ~zcBezierCurve() override;

  // Index 0 to 3; others raise zcShapesError::BadParams.
  const zcPoint& controlPoint(int i) const;
  double weight(int i) const;
  const std::array<zcPoint, 4>& controlPoints() const { return points_; }
  const std::array<double, 4>& weights() const { return weights_; }
  // True when the four weights are equal (the curve is polynomial).
  bool isPolynomial() const;

  // --- Evaluation (t in [0, 1]; others raise zcShapesError::BadParams) ---------
  zcPoint point(double t) const;
  // dC/dt.
  zcVector<2> derivative(double t) const;
  // Direction of the curve at t (the limit direction where the derivative
  // vanishes); zcShapesError::NoTangent for a degenerate curve.
  zcRadian tangentAngle(double t) const;
  // The curve cut at t into the parts over [0, t] and [t, 1], each reparametrized
  // to [0, 1]. Both are rational curves again; the join is shared exactly.
  void split(double t, zcBezierCurve& first, zcBezierCurve& second) const;
  // The part over [t0, t1] (0 <= t0 <= t1 <= 1), reparametrized to [0, 1].
  zcBezierCurve part(double t0, double t1) const;
  // Arc length from t0 to t1 (t0 <= t1), by adaptive Gauss-Kronrod quadrature to a
  // relative 1e-12.
  double arcLength(double t0 = 0.0, double t1 = 1.0) const;
  // The parameter at which the arc length from the start equals s (clamped to the
  // curve's length).
  double paramAtLength(double s) const;
  // The parameter of the point nearest to p: a branch-and-bound over the convex
  // hulls of sub-curves (so no other part of the curve is nearer by more than a
  // relative 1e-10), polished by Newton's method.
  double nearestParam(const zcPoint& p) const;

  // --- Shape protocol ----------------------------------------------------------
  bool isOpenContour() const override { return true; }
  bool degen() const override;
  bool hasTangent() const override { return !degen(); }

  // Exact: the ends and the curve points where dx/dt or dy/dt vanishes (the real
  // roots in (0, 1) of the quartic numerator of the derivative).
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  double nearestPerimPos(const zcPoint& p) const override;
  zcPoint startPoint() const override { return points_[0]; }
  zcPoint endPoint() const override { return points_[3]; }
  zcRadian startAngle() const override;
  zcRadian endAngle() const override;
  zcRadian tangentRotation() const override;
  // zcShapesError::BadGeom when p lies on the curve.
  zcRadian windingAngle(const zcPoint& p) const override;

  zcBezierCurve map(const zcXform<2>& x) const;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // From `from` to `to` (perimeter positions clamped to [0, perimeter()]); when
  // from > to the part runs backwards. NaN raises zcShapesError::BadParams.
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;

  // Value image, 96 bytes, little-endian doubles: P0..P3 as (x, y) pairs @0..56,
  // w0..w3 @64, 72, 80, 88. Reading raises zcShapesError::BadParams for bytes that
  // do not make a valid curve.
  void writeImage(zcImageOut<zkBezierCurveImageSize> out) const;
  static zcBezierCurve readImage(zcImageIn<zkBezierCurveImageSize> in);

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  friend class zcBezierCurvePrivate;
  static zcPersistent* make();

  std::array<zcPoint, 4> points_;
  std::array<double, 4> weights_;
};

// A chain of cubic Bézier pieces; piece i + 1 starts where piece i ends (within a
// relative 1e-9 of the chain's size, as computed joins land). This is exactly what
// a sketch stores for a spline: the piece count and each piece's four control
// points and four weights.
//
// An open contour from the first piece's start to the last one's end (they may
// coincide). A spline without pieces (the default) has no points: its bounding box,
// nearest point, ends and samples raise zcShapesError::EmptyShape. Sampling joins the
// pieces' samples, giving each join once, or twice with duplicateCorners. The
// tangent rotation is the sum of the pieces' rotations and of the signed turns at
// the joins; the winding angle the sum of the pieces' winding angles.
class ZFOUND_API zcCubicSpline : public zcShape {
public:
  zcCubicSpline();
  // Raises zcShapesError::BadParams when the pieces do not join.
  explicit zcCubicSpline(std::vector<zcBezierCurve> pieces);
  zcCubicSpline(const zcCubicSpline&) = default;
  zcCubicSpline& operator=(const zcCubicSpline& other);
  ~zcCubicSpline() override;

  long numPieces() const { return static_cast<long>(pieces_.size()); }
  // Index 0 to numPieces() − 1; others raise zcShapesError::BadParams.
  const zcBezierCurve& piece(long i) const;
  const std::vector<zcBezierCurve>& pieces() const { return pieces_; }
  // The plain chain of pieces (for the derived splines: without their own data).
  zcCubicSpline cubicSpline() const;

  bool isOpenContour() const override { return !pieces_.empty(); }
  bool degen() const override;
  bool hasTangent() const override { return !degen(); }

  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  double nearestPerimPos(const zcPoint& p) const override;
  zcPoint startPoint() const override;
  zcPoint endPoint() const override;
  zcRadian startAngle() const override;
  zcRadian endAngle() const override;
  zcRadian tangentRotation() const override;
  zcRadian windingAngle(const zcPoint& p) const override;

  zcCubicSpline map(const zcXform<2>& x) const;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // A plain zcCubicSpline of the part between the perimeter positions (clamped);
  // when from > to the part runs backwards.
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version 0, the zcShape part, the piece count (long), then per
  // piece P0..P3 and w0..w3.
  void dispatchSerialize(zcArchive& archive) override;

  // For the derived splines: replace the pieces (already known to join).
  void setPieces_(std::vector<zcBezierCurve> pieces);

private:
  friend class zcCubicSplinePrivate;
  static zcPersistent* make();

  std::vector<zcBezierCurve> pieces_;
};

// A cubic B-spline given by de Boor control points d0..d(n−1) (n >= 4) and a knot
// vector u0..u(n+3). The curve runs over [u3, un]; each non-empty knot span gives one
// Bézier piece. Knots are finite and non-decreasing with u3 < un, and a knot inside
// (u3, un) repeats at most 3 times (the curve stays connected).
//
// Without knots the spline is uniform and clamped: knots 0,0,0,0,1,2,...,n−3 with
// the last repeated four times, so the curve starts at d0 and ends at d(n−1) and has
// n − 3 pieces. An affine map maps the control points; knots stay.
//
// Archive form: version 0, the zcShape part, the control points (count, points),
// the knots (count, values); the pieces are derived again when loading.
class ZFOUND_API zcDeBoorSpline : public zcCubicSpline {
public:
  // Four control points (0, 0), (1, 0), (2, 0), (3, 0), uniform knots.
  zcDeBoorSpline();
  // Raises zcShapesError::BadParams for fewer than 4 points, non-finite values,
  // or (second form) a knot vector of the wrong size or order.
  explicit zcDeBoorSpline(const std::vector<zcPoint>& controlPoints);
  zcDeBoorSpline(const std::vector<zcPoint>& controlPoints, const std::vector<double>& knots);
  zcDeBoorSpline(const zcDeBoorSpline&) = default;
  zcDeBoorSpline& operator=(const zcDeBoorSpline& other);
  ~zcDeBoorSpline() override;

  const std::vector<zcPoint>& controlPoints() const { return controlPoints_; }
  const std::vector<double>& knots() const { return knots_; }

  zcDeBoorSpline map(const zcXform<2>& x) const;
  zcShapePtr mapShape(const zcXform<2>& x) const override;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  // The control points in reverse order with the mirrored knots.
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  std::vector<zcPoint> controlPoints_;
  std::vector<double> knots_;
};

// The cubic spline through given points, with uniform parameters (point i at
// parameter i), so that the spline of mapped points is the mapped spline. Piece i
// runs from point i to point i + 1 and the curve is twice continuously
// differentiable at the points.
//
// End conditions: eNatural (zero second derivative at both ends; 2 or more points,
// two points give a straight segment) or ePeriodic (a closed curve through the
// points and back to the first, twice differentiable there too; 3 or more points,
// and as many pieces as points).
//
// Archive form: version 0, the zcShape part, the end condition (unsigned char), the
// points (count, points); the pieces are derived again when loading.
class ZFOUND_API zcInterpSpline : public zcCubicSpline {
public:
  enum zeEnds : unsigned char { eNatural = 0, ePeriodic = 1 };

  // The straight spline through (0, 0) and (1, 0).
  zcInterpSpline();
  // Raises zcShapesError::BadParams for too few points or a non-finite coordinate.
  explicit zcInterpSpline(const std::vector<zcPoint>& points, zeEnds ends = eNatural);
  zcInterpSpline(const zcInterpSpline&) = default;
  zcInterpSpline& operator=(const zcInterpSpline& other);
  ~zcInterpSpline() override;

  const std::vector<zcPoint>& points() const { return points_; }
  zeEnds ends() const { return ends_; }

  zcInterpSpline map(const zcXform<2>& x) const;
  zcShapePtr mapShape(const zcXform<2>& x) const override;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  // The points in reverse order (for a periodic spline: starting at the same point).
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  std::vector<zcPoint> points_;
  zeEnds ends_ = eNatural;
};

// The cubic spline through given points with given tangents: piece i runs from
// point i to point i + 1 with derivative tangent i at its start and tangent i + 1 at
// its end, over a unit parameter interval (Bézier control points pᵢ + tᵢ / 3 and
// pᵢ₊₁ − tᵢ₊₁ / 3). An affine map maps the points and the tangents by its matrix.
//
// Archive form: version 0, the zcShape part, the points (count, points), the
// tangents (count, vectors); the pieces are derived again when loading.
class ZFOUND_API zcHermiteSpline : public zcCubicSpline {
public:
  // From (0, 0) to (1, 0) with tangents (1, 0).
  zcHermiteSpline();
  // Raises zcShapesError::BadParams for fewer than 2 points, a tangent count other
  // than the point count, or a non-finite value.
  zcHermiteSpline(const std::vector<zcPoint>& points, const std::vector<zcVector<2>>& tangents);
  zcHermiteSpline(const zcHermiteSpline&) = default;
  zcHermiteSpline& operator=(const zcHermiteSpline& other);
  ~zcHermiteSpline() override;

  const std::vector<zcPoint>& points() const { return points_; }
  const std::vector<zcVector<2>>& tangents() const { return tangents_; }

  zcHermiteSpline map(const zcXform<2>& x) const;
  zcShapePtr mapShape(const zcXform<2>& x) const override;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  // Points in reverse order, tangents reversed and negated.
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  std::vector<zcPoint> points_;
  std::vector<zcVector<2>> tangents_;
};

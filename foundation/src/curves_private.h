// Helpers shared by the curve sources (not installed).
#pragma once

#include "zfound/curves.h"

#include <array>
#include <vector>

// A cubic rational Bézier curve in homogeneous coordinates: (wᵢ xᵢ, wᵢ yᵢ, wᵢ).
// De Casteljau's algorithm on these is linear, and projecting back gives the
// rational curve's points and its sub-curves' control points and weights.
struct zc_BezierHom {
  double x[4];
  double y[4];
  double w[4];
  zcPoint point(int i) const { return zcPoint(x[i] / w[i], y[i] / w[i]); }
};

class zcBezierCurvePrivate : public zcBezierCurve {
public:
  static zc_BezierHom toHom(const zcBezierCurve& c);
  // No validation: the weights of sub-curves of a valid curve are positive.
  static zcBezierCurve fromHom(const zc_BezierHom& h);
  static void split(const zc_BezierHom& h, double t, zc_BezierHom& a, zc_BezierHom& b);
  static void evaluate(const zc_BezierHom& h, double t, zcPoint& point, zcVector<2>& deriv);
  // Larger side of the control points' box.
  static double extent(const zc_BezierHom& h);
  // Distance from p to the convex hull of the control points (0 inside).
  static double hullDistance(const zc_BezierHom& h, const zcPoint& p);
  static double arcLength(const zc_BezierHom& h, double t0, double t1);
  // The t >= t0 at which the arc length from t0 is ds (1 past the end).
  static double paramAfter(const zc_BezierHom& h, double t0, double ds);
  static double nearestParam(const zc_BezierHom& h, const zcPoint& p);
  static double turn(const zc_BezierHom& h, double eps, int depth);
  // The angle swept about p; BadGeom when p is within eps of the curve.
  static double wind(const zc_BezierHom& h, const zcPoint& p, double eps, int depth);
  // From the end toward the first control point farther than eps from it (at the
  // start), or from the last such point toward the end; zero when there is none.
  static zcVector<2> firstDistinct(const zc_BezierHom& h, bool atStart, double eps);
  // Appends the sample of c (its start point when withStart).
  static void sampleCurve(const zcBezierCurve& c, const zcSampleParams& params, zcSampleResult& result,
                          bool withStart);
  static void sampleInto(const zc_BezierHom& h, const zcSampleParams& params, double tolerance,
                         zcSampleResult& result, int depth);
  static void checkParam(double t);
  static bool valid(const std::array<zcPoint, 4>& points, const std::array<double, 4>& weights);
  static zcRect box(const zcBezierCurve& c);
  // Control points and weights, without version bytes; loading validates.
  static void serializeFields(zcArchive& archive, std::array<zcPoint, 4>& points, std::array<double, 4>& weights);
};

class zcCubicSplinePrivate : public zcCubicSpline {
public:
  // Raises zcShapesError::BadParams when consecutive pieces do not join.
  static void checkJoins(const std::vector<zcBezierCurve>& pieces);
  static std::vector<zcBezierCurve> deBoorPieces(const std::vector<zcPoint>& points, const std::vector<double>& knots);
  static std::vector<double> uniformKnots(std::size_t count);
  static std::vector<zcBezierCurve> interpPieces(const std::vector<zcPoint>& points, zcInterpSpline::zeEnds ends);
  static std::vector<zcBezierCurve> hermitePieces(const std::vector<zcPoint>& points,
                                                  const std::vector<zcVector<2>>& tangents);
  static void checkPoints(const std::vector<zcPoint>& points);
  // A count followed by that many vectors; loading checks the count first.
  static void serializePoints(zcArchive& archive, std::vector<zcPoint>& points);
};

// Helpers of zc2SegmentArc with access to its fields (dispc/wrfm/arc.h is the public side).
//
//   const zc2SegmentArcPrivate::MappedPoints pointAt(arc, X);
//   zcPoint p = pointAt(a);   // X.mapPoint(arc.arcPoint(zcDegree(a))), bit for bit
//   zc2SegmentArcPrivate::StepPoints(arc, X).append(start, step, n, points);   // n + 1 of them
#pragma once

#include "dispc/wrfm/arc.h"

#include <algorithm>
#include <cmath>
#include <vector>

class zc2SegmentArcPrivate {
public:
  // Both arcs circles in the world: the law of cosines in the triangle of the two
  // centers and a common point.
  static std::vector<zcVector<2>> circleIntersection(const zc2SegmentArc& self, const zc2SegmentArc& other,
                                                     bool exclusive);
  // Otherwise, exactly: the other arc as an ellipse in this arc's local frame,
  // parameterized by its own local angle, meets this arc's circle.
  static std::vector<zcVector<2>> conicIntersection(const zc2SegmentArc& self, const zc2SegmentArc& other,
                                                    bool exclusive);
  // The local circle arc as a foundation arc (a negative span as a mirrored ellipse
  // run forwards; more than a full turn as one turn).
  static zcEllipseArc localEllipseArc(const zc2SegmentArc& arc);
  static double clampedSpan(const zc2SegmentArc& arc) { return std::clamp(arc.angleSpan_, -360.0, 360.0); }
  static zcDegree headingAt(const zc2SegmentArc& arc, zcDegree a) {
    return a + zcDegree(arc.angleSpan_ >= 0.0 ? 90.0 : -90.0);
  }
  static bool validFields(const zcVector<2>& center, double radius, double start, double span,
                          const zcXform<2>& xform);

  // What ellipseArc2() holds, bit for bit, without building the shape: the map from the
  // unit circle to the world ellipse and the parameter range in radians.
  struct UnitCircleArc {
    zcXform<2> ellFromUnitCirc;
    double phiStart, phiSpan;
  };
  static UnitCircleArc unitCircleArc(const zc2SegmentArc& arc) {
    const zcXform<2> x = arc.xform_ * zcXform<2>(zcMatrix<2>::scaling(arc.radius_, arc.radius_), arc.center_);
    if (!zfIsFinite(x)) throw zcShapesError::BadParams(L"non-finite ellipse transform");
    return {x, zcRadian(zcDegree(arc.startAngle_)).value(), zcRadian(zcDegree(clampedSpan(arc))).value()};
  }

  // Points of one arc at many world angles, mapped by X: the operations of arcPoint in
  // the same order, with the inverse of the arc's transform taken once. Chord ends of
  // flattened arcs come from here, so that a point costs a few library calls.
  class MappedPoints {
  public:
    MappedPoints(const zc2SegmentArc& arc, const zcXform<2>& X)
        : inverse_(arc.xform_.matrix().inverse()), xform_(arc.xform_), X_(X), center_(arc.center_),
          radius_(arc.radius_) {}
    // The world angle a, in degrees, taken to the local frame.
    zcPoint operator()(double a) const {
      const zcVector<2> local = inverse_ * zfDirection(zcDegree(a));
      const zcVector<2> u = zfDirection(zcDegree(local.angle()));
      return X_.mapPoint(xform_.mapPoint(center_ + u * radius_));
    }

  private:
    zcMatrix<2> inverse_;
    zcXform<2> xform_, X_;
    zcVector<2> center_;
    double radius_;
  };

  // Points of one arc at world angles, mapped by X: those of MappedPoints up to the last
  // bits. The local direction is the world one taken back and normalized, the point
  // c + L × it (c the mapped centre, L the linear part of X × the arc's transform × the
  // radius): one square root a point instead of two sine-cosine pairs and an arc tangent.
  // Along evenly spaced angles (append) the world direction turns by the rotation of one
  // step and is taken afresh every few points and at the last, so that the drift stays
  // below 1e-12 of a pel.
  class DISPC_API StepPoints {
  public:
    // X × the arc's transform singular: DegenerateShape, as for X × arc. The arc and X
    // are referred to, not copied.
    StepPoints(const zc2SegmentArc& arc, const zcXform<2>& X);
    zcPoint at(double a) const { return at(a, zfDirection(zcDegree(a))); }
    // The distance from c to the mapped arc's point in the direction 0 from c.
    double radiusAtZero() const { return radiusAtZero_; }
    // The points at start + step × j, j = 0 … n.
    void append(double start, double step, long n, std::vector<zcPoint>& out) const;

  private:
    // The point at world angle a whose world direction is w.
    zcPoint at(double a, const zcVector<2>& w) const {
      const zcVector<2> local = inverse_ * w;
      const double len2 = local.x() * local.x() + local.y() * local.y();
      // Out of the squares' range the point is taken as MappedPoints takes it.
      if (!(len2 > 1e-280 && len2 < 1e280)) return mappedAt(a);
      const zcVector<2> u = L_ * (local * (1.0 / std::sqrt(len2)));
      return zcPoint(centre_.x() + u.x(), centre_.y() + u.y());
    }
    zcPoint mappedAt(double a) const;
    const zc2SegmentArc& arc_;
    const zcXform<2>& X_;
    zcMatrix<2> inverse_, L_;
    zcVector<2> centre_;
    double drift_ = 0.0;  // pels a step of the recurrence may add, at most
    double radiusAtZero_ = 0.0;
  };
};

// Helpers of zc2SegmentArc with access to its fields (dispc/wrfm/arc.h is the public side).
//
//   const zc2SegmentArcPrivate::MappedPoints pointAt(arc, X);
//   zcPoint p = pointAt(a);   // X.mapPoint(arc.arcPoint(zcDegree(a))), bit for bit
//   zc2SegmentArcPrivate::StepPoints(arc, X, start, step).append(n, points);   // n + 1 of them
#pragma once

#include "dispc/wrfm/arc.h"

#include <algorithm>
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

  // The points at the world angles start + step × j, j = 0 … n, mapped by X: those of
  // MappedPoints up to the last bits, without trigonometry between anchors. The world
  // direction turns by the rotation of one step; every few points (and at j = n) it is
  // taken afresh, so that the drift stays below 1e-12 of a pel. The local direction is
  // the world one taken back and normalized, the point c + L × it (c the mapped centre,
  // L the linear part of X × the arc's transform × the radius).
  class StepPoints {
  public:
    StepPoints(const zc2SegmentArc& arc, const zcXform<2>& X, double start, double step);
    void append(long n, std::vector<zcPoint>& out) const;

  private:
    MappedPoints exact_;
    zcMatrix<2> inverse_, L_;
    zcVector<2> centre_, turn_;
    double start_, step_;
    long anchorEvery_ = 1;
  };
};

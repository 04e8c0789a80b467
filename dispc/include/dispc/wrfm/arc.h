// A circular arc segment of a generalized polygon.
//
//   zc2SegmentArc a(zcPoint(0, 0), zcPoint(2, 0), zcDegree(180));   // half circle below
//   zcPoint top = a.arcPoint(zcDegree(-90));                          // (1, -1)
//   zc2SegmentArc e = zcXform<2>::scaling(3, 1) * a;                  // now elliptical
//   auto hits = e.intersection(zc2SegmentLine(zcPoint(3, -2), zcPoint(3, 2)), true);
//
// The arc is a circle arc in its own local frame (center, radius, start angle and a
// signed span, all angles in degrees) plus a transform that carries the local frame
// to the world; under a transform that is not a similarity the world curve is an
// elliptical arc. Public queries work in the world: points are mapped with the
// transform, angles with its direction map (a world angle is the direction, seen from
// center(), of the world point). The private twins with a trailing underscore work
// in the local frame.
//
// Spans: positive runs toward increasing angle, negative toward decreasing; a
// magnitude of 360 or more is the full circle. A mirroring transform turns the sense:
// angleSpan() is the signed world span.
//
// Failures: construction raises zcShapesError::DegenerateShape for a radius that is
// not positive, a two-point arc with equal points or a span of magnitude <= 1e-15 or
// beyond 360, and for a singular transform; zcShapesError::BadParams for non-finite
// numbers. Queries do not throw, except the intersections with a default (degenerate)
// zc2SegmentLine, which has no line.
#pragma once

#include "dispc/export.h"
#include "dispc/wrfm/lineseg.h"

#include "zfound/archive.h"
#include "zfound/conics.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/rect.h"

#include <ostream>
#include <vector>

class DISPC_API zc2SegmentArc {
public:
  // The full unit circle at the origin, from 0 degrees.
  zc2SegmentArc();
  zc2SegmentArc(const zcVector<2>& center, double radius, zcDegree startAngle, zcDegree angleSpan);
  // The circular arc that starts at p1, turns through the span and ends at p2.
  zc2SegmentArc(const zcVector<2>& p1, const zcVector<2>& p2, zcDegree angleSpan);
  // The unit circle with the elliptical arc's parameter range, and the map from the
  // unit circle to the ellipse as transform.
  explicit zc2SegmentArc(const zcEllipseArc& arc);
  explicit zc2SegmentArc(const zcEllipseArc2& arc);
  zc2SegmentArc(const zc2SegmentArc&) = default;
  zc2SegmentArc& operator=(const zc2SegmentArc&) = default;

  // --- World geometry ------------------------------------------------------------
  zcVector<2> center() const;
  // Distance from center() to arcPoint(a): constant for a circle, varies on an ellipse.
  double radius(zcDegree a) const;

  // World directions, seen from center(), of the local angles; in (−180, 180].
  zcDegree startAngle() const;
  zcDegree endAngle() const;
  zcDegree midAngle() const;
  zcDegree angle(double t) const;

  zcVector<2> p1() const;
  zcVector<2> p2() const;
  zcVector<2> midPoint() const;
  zcVector<2> segPoint(double t) const;

  // Headings of travel; in (−180, 180].
  zcDegree startDirection() const;
  zcDegree endDirection() const;
  zcDegree midDirection() const;
  zcDegree direction(double t) const;

  // The point of the curve in the world direction a from center() (the range of the
  // arc is not consulted).
  zcVector<2> arcPoint(zcDegree a) const;
  zcFLine tangent(zcDegree a) const;
  zcFLine tangent(double t) const;

  // The signed world span: congruent to the turn from startAngle() to endAngle(),
  // nearest to the local span (sign flipped under a mirror).
  zcDegree angleSpan() const;
  // |radius(0) × angleSpan()|: the arc length of a circular arc.
  double length() const;
  // The chord |p2 − p1|.
  double segmentLength() const;
  // The centroid of the local curve, mapped.
  zcVector<2> centerOfMass() const;

  zcEllipseArc ellipseArc() const;
  zcEllipseArc2 ellipseArc2() const;
  zcRect boundingBox() const;

  // Through the local frame: p is taken back, its local closest point found and
  // mapped. The local closest point is the point in p's direction when that lies on
  // the arc, otherwise the nearer end (the start on a tie); the center itself gives
  // the point at angle 0.
  zcVector<2> closestPoint(const zcVector<2>& p) const;
  double distToPoint(const zcVector<2>& p) const;
  // A world angle within the arc's range; an angle at an end (within |span| × 1e-13)
  // counts only when inclusive. Every angle of a full circle is valid.
  bool validAngle(zcDegree a, bool inclusive = true) const;
  // p taken back to the local frame, then mapped again, lies within radius × 1e-15 of the
  // mapped closest point; the flag does not change the answer.
  bool validPoint(const zcVector<2>& p, bool inclusive = true) const;
  // p's direction from the center is valid; false for the center itself.
  bool inRange(const zcVector<2>& p, bool inclusive = true) const;

  // Common points, in world coordinates, in the order found. `exclusive` drops
  // points at the ends of either piece and refuses tangencies.
  std::vector<zcVector<2>> intersection(const zcFLine& line, bool exclusive = false) const;
  std::vector<zcVector<2>> intersection(const zc2SegmentLine& line, bool exclusive = false) const;
  std::vector<zcVector<2>> intersection(const zc2SegmentArc& other, bool exclusive = false) const;

  // World start angles, spans and centers within 1e-15, and radii within 1e-15 at
  // this arc's start, end and start + span.
  bool operator==(const zc2SegmentArc& other) const;
  bool operator!=(const zc2SegmentArc& other) const { return !(*this == other); }

  // "center=x y", "radius=r", "startAngle=a", "angleSpan=s" and an empty line.
  void print_(std::basic_ostream<wchar_t>& out) const;

private:
  friend class zc2SegmentArcPrivate;
  friend DISPC_API zcArchive& operator||(zcArchive& archive, zc2SegmentArc& arc);
  friend DISPC_API zc2SegmentArc operator*(const zcXform<2>& xform, const zc2SegmentArc& arc);

  // --- Local frame -----------------------------------------------------------------
  zcDegree endAngle_() const;
  zcDegree midAngle_() const;
  zcDegree angle_(double t) const;
  zcVector<2> p1_() const;
  zcVector<2> p2_() const;
  zcVector<2> midPoint_() const;
  zcVector<2> segPoint_(double t) const;
  zcDegree startDirection_() const;
  zcDegree endDirection_() const;
  zcDegree midDirection_() const;
  zcDegree direction_(double t) const;
  double segmentLength_() const;
  double length_() const;
  zcVector<2> centerOfMass_() const;
  zcVector<2> arcPoint_(zcDegree a) const;
  zcFLine tangent_(zcDegree a) const;
  zcRect boundingBox_() const;
  zcVector<2> closestPoint_(const zcVector<2>& p) const;
  double distToPoint_(const zcVector<2>& p) const;
  bool validAngle_(zcDegree a, bool inclusive) const;
  bool validPoint_(const zcVector<2>& p, bool inclusive) const;

  zcVector<2> center_;
  double radius_ = 1.0;
  double startAngle_ = 0.0;
  double angleSpan_ = 360.0;
  zcXform<2> xform_;
};

DISPC_API std::basic_ostream<wchar_t>& operator<<(std::basic_ostream<wchar_t>& out, const zc2SegmentArc& arc);

// Archive form: version byte 1, the local center (x, y), radius, start angle and span
// (doubles, degrees), then the transform. Version 0 has no transform and loads with
// the identity; a later version raises zcArchive::UnknownVersion ("dispc/wrfm/arc",
// 147). Values that make no valid arc raise zcArchive::BadFormat. A failed load
// leaves the arc unchanged.
DISPC_API zcArchive& operator||(zcArchive& archive, zc2SegmentArc& arc);
// Loading only (a storing archive raises zcArchive::BadFormat).
DISPC_API zcArchive& operator>>(zcArchive& archive, zc2SegmentArc& arc);
// Storing only (a loading archive raises zcArchive::BadFormat).
DISPC_API zcArchive& operator<<(zcArchive& archive, const zc2SegmentArc& arc);

// The same local arc with the map applied after the arc's transform. A map that
// makes the transform singular raises DegenerateShape.
DISPC_API zc2SegmentArc operator*(const zc2Rigid& rigid, const zc2SegmentArc& arc);
DISPC_API zc2SegmentArc operator*(const zcXform<2>& xform, const zc2SegmentArc& arc);

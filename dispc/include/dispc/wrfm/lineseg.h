// A straight segment of a generalized polygon, in world coordinates.
//
//   zc2SegmentLine s(zcPoint(0, 0), zcPoint(4, 0));
//   zcPoint q = s.closestPoint(zcPoint(1, 3));                 // (1, 0)
//   auto hits = s.intersection(zc2SegmentLine(zcPoint(2, -1), zcPoint(2, 1)), true);
//
// A small value class: copyable, no persistence base, archived in place with
// operator||. Range tests use a tolerance relative to the length (1e-14): a point
// "at an end" is within that distance of p1 or p2 along the segment, and the
// `inclusive` / `exclusive` flags decide whether such points count.
//
// Construction refuses two equal points (zcShapesError::DegenerateShape) and
// non-finite coordinates (zcShapesError::BadParams). Only the default segment has
// both points at the origin; on it the queries that need a direction (line(),
// tangent(), the intersections) raise DegenerateShape, the others answer with its
// single point.
#pragma once

#include "dispc/export.h"

#include "zfound/archive.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/rect.h"

#include <ostream>
#include <vector>

class DISPC_API zc2SegmentLine {
public:
  // Both points at the origin.
  zc2SegmentLine();
  zc2SegmentLine(const zcVector<2>& p1, const zcVector<2>& p2);
  explicit zc2SegmentLine(const zcLineSeg& seg);
  zc2SegmentLine(const zc2SegmentLine&) = default;
  zc2SegmentLine& operator=(const zc2SegmentLine&) = default;

  const zcVector<2>& p1() const { return p1_; }
  const zcVector<2>& p2() const { return p2_; }
  zcVector<2> midPoint() const { return (p1_ + p2_) * 0.5; }
  // p1 + (p2 − p1) t; t is not limited to [0, 1].
  zcVector<2> segPoint(double t) const { return p1_ + (p2_ - p1_) * t; }

  zcLineSeg lineSeg() const;
  // The infinite line through both points, directed from p1 to p2.
  zcFLine line() const;
  // A segment's tangent is its line, wherever it is taken.
  zcFLine tangent(double t) const;

  // Direction of p2 − p1.
  zcDegree angle() const;
  double length() const { return p1_.distance(p2_); }
  zcRect boundingBox() const;

  // The foot of the perpendicular when it falls on the segment, otherwise the nearer
  // end point (p2 on a tie).
  zcVector<2> closestPoint(const zcVector<2>& p) const;
  double distToPoint(const zcVector<2>& p) const;
  // Within length × 1e-14 of the segment; the flag does not change the answer.
  bool validPoint(const zcVector<2>& p, bool inclusive = true) const;
  // Whether the projection of p onto the line falls between the ends; points at an
  // end (within the tolerance) count only when inclusive.
  bool inRange(const zcVector<2>& p, bool inclusive = true) const;

  // Common points, in world coordinates. `exclusive` drops points at the ends of
  // either piece. Parallel lines have no common point here, even when they overlap.
  std::vector<zcVector<2>> intersection(const zcFLine& line, bool exclusive = false) const;
  std::vector<zcVector<2>> intersection(const zc2SegmentLine& other, bool exclusive = false) const;

  // Each coordinate within 1e-15.
  bool operator==(const zc2SegmentLine& other) const;
  bool operator!=(const zc2SegmentLine& other) const { return !(*this == other); }

  // "p1_=x y", "p2_=x y" and an empty line.
  void print_(std::basic_ostream<wchar_t>& out) const;

private:
  friend DISPC_API zcArchive& operator||(zcArchive& archive, zc2SegmentLine& segment);

  zcVector<2> p1_;
  zcVector<2> p2_;
};

DISPC_API std::basic_ostream<wchar_t>& operator<<(std::basic_ostream<wchar_t>& out, const zc2SegmentLine& segment);

// Archive form: version byte 0, then p1 and p2 (x, y doubles each). Any other version
// raises zcArchive::UnknownVersion ("dispc/wrfm/lineseg", 105); a non-finite
// coordinate raises zcArchive::BadFormat. A failed load leaves the segment unchanged.
DISPC_API zcArchive& operator||(zcArchive& archive, zc2SegmentLine& segment);
// Loading only (a storing archive raises zcArchive::BadFormat).
DISPC_API zcArchive& operator>>(zcArchive& archive, zc2SegmentLine& segment);
// Storing only (a loading archive raises zcArchive::BadFormat).
DISPC_API zcArchive& operator<<(zcArchive& archive, const zc2SegmentLine& segment);

// Both end points mapped; DegenerateShape when they land on one point.
DISPC_API zc2SegmentLine operator*(const zc2Rigid& rigid, const zc2SegmentLine& segment);
DISPC_API zc2SegmentLine operator*(const zcXform<2>& xform, const zc2SegmentLine& segment);

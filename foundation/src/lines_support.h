// Helpers shared by the straight-edged shapes (lines.cpp, lines_poly.cpp, rect.cpp):
// checks, nearest points on segments and chains, sampling of chains, and the archive
// form of a point list. Not part of the public interface.
#pragma once

#include "zfound/archive.h"
#include "zfound/geometry.h"
#include "zfound/shape.h"

#include <cmath>
#include <vector>

namespace zc_lines {


// Raises zcShapesError::BadParams for a non-finite point.
[[noreturn]] void throwNonFinite();
inline void requireFinite(const zcVector<2>& v) {
  if (!zfIsFinite(v)) throwNonFinite();
}
void requireFinite(const std::vector<zcPoint>& points);

// Fraction t in [0, 1] of the point of segment ab nearest to p (0 for a = b).
double segmentFraction(const zcPoint& a, const zcPoint& b, const zcPoint& p);
inline zcPoint segmentNearest(const zcPoint& a, const zcPoint& b, const zcPoint& p) {
  return a + (b - a) * segmentFraction(a, b, p);
}

// A chain of points; closed chains join the last point back to the first.
struct Chain {
  const std::vector<zcPoint>& points;
  bool closed;

  std::size_t pieces() const;
  const zcPoint& from(std::size_t piece) const { return points[piece]; }
  const zcPoint& to(std::size_t piece) const { return points[(piece + 1) % points.size()]; }

  double length() const;
  // The nearest point and its arc-length position (the first piece on a tie).
  // A chain of one point gives that point. Raises EmptyShape when empty.
  zcPoint nearest(const zcPoint& p, double* position = nullptr) const;
  // True when p is within a rounding slack of a piece (or of the single point).
  bool touches(const zcPoint& p) const;
  // Points along the chain; see zcSampleParams. EmptyShape when empty.
  void sample(const zcSampleParams& params, zcSampleResult& result) const;
  // The point at an arc-length position (clamped) and the direction of the piece
  // it lies on (pieces of zero length skipped); NoTangent when no piece has length.
  void pointAndTangent(double position, zcPoint& point, zcRadian& tangent) const;
  // The part between two positions (clamped, from <= to), as its points.
  std::vector<zcPoint> part(double from, double to) const;
};

// The box of a non-empty list of points; EmptyShape when empty.
zcRect boxOf(const std::vector<zcPoint>& points);

// Even-odd and non-zero winding inside tests of the closed chain (boundary not
// treated specially).
bool insideEvenOdd(const std::vector<zcPoint>& points, const zcPoint& p);
bool insideWinding(const std::vector<zcPoint>& points, const zcPoint& p);
// Shoelace area, positive when counter-clockwise.
double signedArea(const std::vector<zcPoint>& points);

// The signed angle in (−π, π] that turns direction u into direction v.
double turn(const zcVector<2>& u, const zcVector<2>& v);

// Archive form of a point list: the count (long), then the points. Loading checks
// the count against the bytes left (BadCount), refuses non-finite points
// (BadFormat) and only then replaces `points`.
void serializePoints(zcArchive& archive, std::vector<zcPoint>& points);

// Loads a point, refusing a non-finite one with zcArchive::BadFormat.
zcPoint loadFinite(zcArchive& archive);

}  // namespace zc_lines

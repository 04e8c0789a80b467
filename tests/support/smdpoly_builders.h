// Building SMD polys in tests: vertices by position, rounding, span and tolerance,
// chains appended vertex by vertex, the rounded square most cases start from, and a
// vertex list written as C++ (for the failure lines of random tests).
#pragma once

#include "dispc/wrfm/smdpoly.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace zc_test {

inline zcSMDGDPolyVertex vx(double x, double y, double radius = 0.0, std::int32_t label = -1) {
  return zcSMDGDPolyVertex(zcPoint(x, y), radius, 0.5, 0.5, label);
}

// A vertex arriving by an arc of `span` degrees.
inline zcSMDGDPolyVertex arcVx(double x, double y, double span, double radius = 0.0) {
  return zcSMDGDPolyVertex(zcPoint(x, y), radius, zcDegree(span), 0.5, 0.5, -1, zcDimTol());
}

// A vertex whose arriving segment has the length tolerance `tol`.
inline zcSMDGDPolyVertex tolVx(double x, double y, const zcDimTol& tol) {
  return zcSMDGDPolyVertex(zcPoint(x, y), 0.0, zcDegree(0), 0.5, 0.5, -1, tol);
}

inline zcSMDGDPoly build(const std::vector<zcSMDGDPolyVertex>& list, bool closed) {
  zcSMDGDPoly p;
  for (const zcSMDGDPolyVertex& v : list) p << v;
  if (closed) p.close();
  return p;
}

// The square of side 10 at the origin, counter-clockwise, vertex 1 rounded by r.
inline zcSMDGDPoly square(double r = 0.0) {
  return build({vx(0, 0), vx(10, 0, r), vx(10, 10), vx(0, 10)}, true);
}

// The list as a C++ expression of this header's build(), numbers in full precision.
inline std::string cppOf(const std::vector<zcSMDGDPolyVertex>& list, bool closed) {
  std::ostringstream out;
  out.precision(17);
  out << "build({";
  for (const zcSMDGDPolyVertex& v : list) {
    const zcDimTol& t = v.segmentLengthTol();
    out << (&v == list.data() ? "" : ", ") << "zcSMDGDPolyVertex(zcPoint(" << v.point().x() << ", " << v.point().y()
        << "), " << v.vertexRadius() << ", zcDegree(" << v.segmentAngleSpan().value() << "), "
        << v.percentPrevSegment() << ", " << v.percentNextSegment() << ", " << v.subModelLabel() << ", zcDimTol("
        << t.nomDim() << ", " << t.minTol() << ", " << t.maxTol() << ", zcDimTol::TolType(" << t.tolType() << ")))";
  }
  out << "}, " << (closed ? "true" : "false") << ")";
  return out.str();
}

}  // namespace zc_test

// Building SMD polys in tests: vertices by position, rounding, span and tolerance,
// chains appended vertex by vertex, the rounded square most cases start from, gear
// outlines, and a vertex list written as C++ (for the failure lines of random tests).
#pragma once

#include "dispc/wrfm/smdpoly.h"

#include <cmath>
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

// A closed gear of n vertices (n a multiple of 4) around the origin, radius 1000: each
// tooth runs out by an arc of `span` degrees, down, in by an arc of −span, and up.
inline std::vector<zcSMDGDPolyVertex> gear(long n, double span) {
  std::vector<zcSMDGDPolyVertex> list;
  for (long i = 0; i < n; ++i) {
    const double a = 2.0 * zkPi * static_cast<double>(i) / static_cast<double>(n);
    const double r = i % 4 < 2 ? 1000.0 : 998.5;
    const double s = i % 4 == 1 ? span : i % 4 == 3 ? -span : 0.0;
    list.emplace_back(zcPoint(r * std::cos(a), r * std::sin(a)), 0.0, zcDegree(s), 0.5, 0.5, -1, zcDimTol());
  }
  return list;
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

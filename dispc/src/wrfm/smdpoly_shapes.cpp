// Standard SMD poly outlines and the rectilinear shape test.
#include "dispc/wrfm/smdpoly.h"

#include <cmath>

zcSMDGDPoly zcSMDGDPoly::circle(double radius, const zcVector<2>& center) {
  zcSMDGDPoly poly(L"poly");
  for (const double side : {-1.0, 1.0})
    poly << zcSMDGDPolyVertex(center + zcVector<2>(side * radius, 0.0), 0.0, zcDegree(180.0), 0.5, 0.5, 0, zcDimTol());
  poly.close();
  return poly;
}

zcSMDGDPoly zcSMDGDPoly::rectangle(double width, double height, const zcVector<2>& center) {
  const double w = 0.5 * width;
  const double h = 0.5 * height;
  zcSMDGDPoly poly(L"poly");
  poly << zcSMDGDPolyVertex(center + zcVector<2>(w, h), 0.0, 0.5, 0.5, 0)
       << zcSMDGDPolyVertex(center + zcVector<2>(-w, h), 0.0, 0.5, 0.5, 1)
       << zcSMDGDPolyVertex(center + zcVector<2>(-w, -h), 0.0, 0.5, 0.5, 2)
       << zcSMDGDPolyVertex(center + zcVector<2>(w, -h), 0.0, 0.5, 0.5, 3);
  poly.close();
  return poly;
}

zcSMDGDPoly zcSMDGDPoly::triangle(double baseWidth, double height, const zcVector<2>& center) {
  const double w = 0.5 * baseWidth;
  zcSMDGDPoly poly(L"poly");
  poly << zcSMDGDPolyVertex(zcVector<2>(center.x(), center.y() + 2.0 * height / 3.0), 0.0, 0.5, 0.5, 0)
       << zcSMDGDPolyVertex(center + zcVector<2>(-w, -height / 3.0), 0.0, 0.5, 0.5, 1)
       << zcSMDGDPolyVertex(center + zcVector<2>(w, -height / 3.0), 0.0, 0.5, 0.5, 2);
  poly.close();
  return poly;
}

bool zcSMDGDPolyPrivate::isRectilinear(const zcSMDGDPoly& poly) {
  constexpr double kTol = 1e-15;
  const long n = poly.numVertices();
  if (n < 2) return true;
  const auto& v = poly.vertices();
  const double c = std::abs(cos(zcDegree((v[0].point() - v[1].point()).angle())));
  if (std::abs(c - 1.0) > kTol && c > kTol) return false;
  for (long i = 0; i < n; ++i) {
    if (poly.previousSegmentIndex_(i) != -1 && poly.isSegmentArc_(i)) return false;
  }
  for (long i = 0; i < n; ++i) {
    if (poly.isEndVertex_(i)) continue;
    if (std::abs(cos(vertexAngle(poly, i))) > kTol) return false;
  }
  return true;
}

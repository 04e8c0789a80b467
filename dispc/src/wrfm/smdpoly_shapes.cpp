// Standard SMD poly outlines, the shape tests, rectangle dimensions, bulk segment
// tolerances and the filters of poly lists.
#include "dispc/wrfm/smdpoly.h"

#include "wrfm/smdcommon.h"

#include <algorithm>
#include <cmath>
#include <vector>

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
    if (poly.isEndVertex(i)) continue;
    if (std::abs(cos(vertexAngle(poly, i))) > kTol) return false;
  }
  return true;
}

bool zcSMDGDPoly::isCircle(const zcSMDGDPoly& poly) {
  const long n = poly.numVertices();
  if (poly.numSegments() == 0) return false;
  double firstRadius = 0.0, sum = 0.0;
  int sign = 0;
  for (long s = poly.isOpen() ? 1 : 0; s < n; ++s) {
    if (!poly.isSegmentArc_(s)) return false;
    const zc2SegmentArc arc = poly.roundedArcSegment_(s);
    const double span = arc.angleSpan().value();
    const int sense = span > 0.0 ? 1 : -1;
    const double radius = arc.radius(zcDegree(0.0));
    if (sign == 0) sign = sense, firstRadius = radius;
    if (sense != sign || std::abs(radius - firstRadius) > 0.01) return false;
    sum += span;
  }
  return std::abs(std::abs(sum) - 360.0) <= 1.0;
}

// --- Rectangles ------------------------------------------------------------------------------

bool zcSMDGDPolyPrivate::isRectangular(const zcSMDGDPoly& poly) {
  const auto& v = poly.vertices();
  for (const zcSMDGDPolyVertex& vertex : v)
    if (std::abs(vertex.vertexRadius()) > 1e-15) return false;
  if (!isRectilinear(poly) || poly.isOpen() || v.size() != 4) return false;
  return v[0].segmentLengthTol() == v[2].segmentLengthTol() && v[1].segmentLengthTol() == v[3].segmentLengthTol();
}

zcRect zcSMDGDPolyPrivate::rectangle(const zcSMDGDPoly& poly) {
  return isRectangular(poly) ? poly.boundingBox() : zcRect();
}

namespace {

using zc_smd::kSin45;

// The segment (1 or 2) that `which` selects: 0 the side nearer to horizontal, any
// other value the side nearer to vertical.
long selectedSide(const zcSMDGDPoly& poly, long which) {
  const auto& v = poly.vertices();
  const bool firstNearVertical = std::abs(sin(zcDegree((v[0].point() - v[1].point()).angle()))) >= kSin45;
  return (which == 0) != firstNearVertical ? 1 : 2;
}

}  // namespace

zcSMDDimension zcSMDGDPolyPrivate::rectDim(const zcSMDGDPoly& poly, long which) {
  if (!isRectangular(poly)) return zcSMDDimension();
  return poly.segmentDimension(selectedSide(poly, which));
}

void zcSMDGDPolyPrivate::rectDim(zcSMDGDPoly& poly, long which, const zcSMDDimension& dim) {
  if (!isRectangular(poly)) return;
  if (!(dim.nomDim() > 1e-15)) throw zcSMDGDPolyVertex::invalidSegmentLength();
  const long side = selectedSide(poly, which);
  std::vector<zcSMDGDPolyVertex> list = poly.vertices();
  const zcVector<2> along = list[static_cast<std::size_t>(side)].point() - list[static_cast<std::size_t>(side - 1)].point();
  const zcVector<2> half = along.unit() * (0.5 * (dim.nomDim() - poly.segmentLength_(side)));
  const std::size_t k = side == 1 ? 0 : 1;
  const double moves[4] = {-1.0, 1.0, 1.0, -1.0};
  for (std::size_t i = 0; i < 4; ++i) {
    zcSMDGDPolyVertex& vertex = list[(k + i) % 4];
    vertex.point(vertex.point() + half * moves[i]);
  }
  const zcDimTol tol = dimTol(dim);
  list[k + 1].segmentLengthTol(tol);
  list[(k + 3) % 4].segmentLengthTol(tol);
  zcSMDGDPoly changed(poly);
  changed.vertices(list);
  changed.close();
  poly = changed;
}

void zcSMDGDPolyPrivate::autoSegmentLengthTolerance(zcSMDGDPoly& poly, const zcDimTol& tol) {
  if (poly.numVertices() == 0) return;
  zcSMDGDPoly changed(poly);
  for (long i = 0; i < changed.numVertices(); ++i) {
    zcSMDGDPolyVertex v = changed.vertex(i);
    v.segmentLengthTol(tol);
    changed.replaceVertex(i, v);
  }
  poly = changed;
}

// --- Filters -------------------------------------------------------------------------------------

void zcSMDGDPolyPrivate::perimeterFilter(std::vector<zcSMDGDPoly>& list, const zcRange& range) {
  std::erase_if(list, [&](const zcSMDGDPoly& p) { return !range.isWithin(p.perimeter_(0.0)); });
}

void zcSMDGDPolyPrivate::closureFilter(std::vector<zcSMDGDPoly>& list, bool keepOpen, bool keepClosed) {
  if (keepOpen == keepClosed) return;
  std::erase_if(list, [&](const zcSMDGDPoly& p) { return p.isOpen() != keepOpen; });
}

namespace {

// Each poly replaced by the pieces left after deleting the segments `selected` picks.
template <class Select>
void deleteSelected(std::vector<zcSMDGDPoly>& list, Select selected) {
  std::vector<zcSMDGDPoly> out;
  for (const zcSMDGDPoly& p : list) {
    std::vector<long> segments = selected(p);
    std::vector<zcSMDGDPoly> pieces;
    zcSMDGDPolyPrivate::deleteSegments(p, segments, pieces);
    out.insert(out.end(), pieces.begin(), pieces.end());
  }
  list.swap(out);
}

// The segments of the poly for which the test holds, ascending.
template <class Test>
std::vector<long> segmentsWhere(const zcSMDGDPoly& p, Test test) {
  std::vector<long> out;
  for (long s = p.isOpen() ? 1 : 0; s < p.numVertices(); ++s)
    if (test(s)) out.push_back(s);
  return out;
}

}  // namespace

void zcSMDGDPolyPrivate::segmentLengthFilter(std::vector<zcSMDGDPoly>& list, const zcRange& range) {
  deleteSelected(list, [&](const zcSMDGDPoly& p) {
    return segmentsWhere(p, [&](long s) { return !range.isWithin(p.segmentLength_(s)); });
  });
}

void zcSMDGDPolyPrivate::vertexAngleFilter(std::vector<zcSMDGDPoly>& list, const zcAngleRange& range) {
  deleteSelected(list, [&](const zcSMDGDPoly& p) {
    const long n = p.numVertices();
    std::vector<long> out;
    for (long v = 0; v < n && n >= 2; ++v) {
      if (p.isEndVertex(v) || range.isWithin(vertexAngle(p, v))) continue;
      out.push_back(v);
      out.push_back((v + 1) % n);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  });
}

void zcSMDGDPolyPrivate::segmentAngleSpanFilter(std::vector<zcSMDGDPoly>& list, zcDegree span) {
  deleteSelected(list, [&](const zcSMDGDPoly& p) {
    return segmentsWhere(p, [&](long s) {
      return std::abs(p.vertices()[static_cast<std::size_t>(s)].segmentAngleSpan().value()) > span.value();
    });
  });
}

// Synthetic drawing: the entry points, the renderer selector and the two renderers,
// each a run of the stages in synth_private.h.
#include "dispc/wrfm/synth.h"

#include "dispc/wrfm/genpoly.h"
#include "dispc/wrfm/smdpoly.h"
#include "wrfm/synth_private.h"

#include <algorithm>
#include <cmath>

using namespace zc_synth;

namespace {

// A sampled line keeps at most this many points, so that a segment far larger than any
// buffer costs no more than one of the buffer's size.
constexpr double kMaxLineSamples = 65536.0;

// The larger singular value of the matrix.
double largerSingularValue(const zcMatrix<2>& m) {
  const double a = m.element(0, 0), b = m.element(0, 1), c = m.element(1, 0), d = m.element(1, 1);
  const double sum = a * a + b * b + c * c + d * d;
  const double det = a * d - b * c;
  return std::sqrt(0.5 * (sum + std::sqrt(std::max(0.0, sum * sum - 4.0 * det * det))));
}

// The general renderer's point polygon: the boundary sampled through F.
std::vector<zcPoint> sampleBoundary(const zcSMDGDPoly& poly, const zc2XformBase& F) {
  const double scale = largerSingularValue(F.linearXform(zcPoint(0.0, 0.0)).matrix());
  std::vector<zcPoint> points;
  double orientation = 0.0;
  const auto keep = [&](const zcPoint& world) {
    const zcPoint p = F.mapPoint(world);
    if (!zfIsFinite(p)) throw zcShapesError::BadGeom(L"a boundary point maps to no finite image point");
    // A map whose Jacobian changes sign along the outline passes it through its horizon
    // (or folds it): the image is no region.
    const double det = F.linearXform(world).determinant();
    if (det * orientation < 0.0 || !std::isfinite(det))
      throw zcShapesError::BadGeom(L"the map turns the outline inside out");
    if (det != 0.0) orientation = det;
    if (points.empty() || !zfRealEq(p.x(), points.back().x(), 1e-15) || !zfRealEq(p.y(), points.back().y(), 1e-15))
      points.push_back(p);
  };
  const auto run = [&](long n, auto&& at) {
    for (long i = 0; i < n; ++i) {
      double t = static_cast<double>(i) / static_cast<double>(n - 1);
      if (t > 0.999999) t = 1.0;
      keep(at(t));
    }
  };
  eachRoundedPiece(
      poly,
      [&](const zcVector<2>& a, const zcVector<2>& b) {
        if (F.isLinear()) return keep(a), keep(b);
        const double n = std::clamp(std::trunc(a.distance(b) * scale / 3.0), 2.0, kMaxLineSamples);
        run(std::isfinite(n) ? static_cast<long>(n) : 2, [&](double t) { return a + (b - a) * t; });
      },
      [&](const zc2SegmentArc& arc) {
        run(std::max(static_cast<long>(nearest(std::abs(arc.angleSpan().value()) / 2.0)), 5L),
            [&](double t) { return arc.segPoint(t); });
      });
  double sum = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) sum += points[i].cross(points[(i + 1) % points.size()]);
  if (sum < 0.0) std::reverse(points.begin(), points.end());
  if (points.size() > 1 && zfRealEq(points.front().x(), points.back().x(), 1e-15) &&
      zfRealEq(points.front().y(), points.back().y(), 1e-15))
    points.pop_back();
  return points;
}

void drawGeneral(const zcSMDGDPoly& poly, const zc2XformBasePtr& x, zcPelBuffer<unsigned char>& pb,
                 unsigned char v) {
  const Window buffer = bufferWindow(pb);
  const zc2XformBasePtr F =
      zc2XformBase::composeBase(zc2XformBasePtr(new zc2XformLinear(pb.imageFromClientXform())), x);
  const std::vector<zcPoint> points = sampleBoundary(poly, *F);
  if (points.size() < 3) return;
  Outline outline;
  for (const zcPoint& p : points) outline.line(p, p);
  outline.close();
  renderExact(outline.pieces, boxWindow(outline.lo, outline.hi, buffer), pb, v);
}

}  // namespace

void zcSMDGDPolyPrivate::drawSynthetic(const zcSMDGDPoly& poly, const zcXform<2>& xform,
                                       zcPelBuffer<unsigned char>& pb, unsigned char value, bool drawBoundary,
                                       bool fillAndSmooth, zeSyntheticCoverage coverage) {
  if (fillAndSmooth && poly.isOpen()) return;
  const Window buffer = bufferWindow(pb);
  if (poly.numSegments() == 0) return;
  const zcXform<2> M = pb.imageFromClientXform() * xform;
  if (!zfIsFinite(M)) throw zcShapesError::BadGeom(L"the map to the image is not finite");
  // A singular map leaves the region without area.
  if (M.determinant() == 0.0) return;

  Outline outline;
  // The exact renderer touches nothing beyond its pieces, whose box is exact.
  const bool exact = fillAndSmooth && drawBoundary && coverage == eExactCoverage;
  // The rounded arcs, made once for the outline and the boundary lines.
  std::vector<zc2SegmentArc> arcs;
  if (fillAndSmooth) polyOutline(poly, M, outline, exact ? nullptr : &arcs);
  if (exact) {
    const Window win = boxWindow(outline.lo, outline.hi, buffer);
    if (outline.hasPoint() && !win.empty()) renderExact(outline.pieces, win, pb, value);
    return;
  }
  // The window bounds the fill, which sets no pel outside the outline: its box, where
  // there is one, serves for the poly's (taking the ellipses' boxes of the unrounded
  // segments would cost more than the fill of a small shape).
  zcPoint lo = outline.lo, hi = outline.hi;
  if (!outline.hasPoint()) {
    const zcRect box = poly.boundingBox(M);
    if (box.isEmpty()) return;
    lo = box.ul(), hi = box.lr();
  }
  const Window win = boxWindow(lo, hi, buffer);
  if (win.empty()) return;

  // Every boundary line is clipped and checked before the fill writes a pel.
  std::vector<Stroke> strokes;
  if (drawBoundary || !fillAndSmooth) {
    eachRoundedPiece(
        poly,
        [&](const zcVector<2>& a, const zcVector<2>& b) {
          Stroke s;
          if (prepareStroke(buffer, M.mapPoint(a), M.mapPoint(b), fillAndSmooth, s)) strokes.push_back(s);
        },
        [&](const zc2SegmentArc& arc) { prepareChords(buffer, arcChordPoints(pb, arc, M), fillAndSmooth, strokes); },
        fillAndSmooth ? &arcs : nullptr);
  }
  EarlyColumns early(pb, strokes, fillAndSmooth);
  if (fillAndSmooth) fillCentres(outline.pieces, win, pb, value, &early);
  drawStrokes(pb, strokes, value, fillAndSmooth, &early);
}

void zcSMDGDPolyPrivate::drawSynthetic(const zcSMDGDPoly& poly, const zcPtrHandle_const<zc2XformBase>& xform,
                                       zcPelBuffer<unsigned char>& pb, unsigned char value,
                                       zeSyntheticCoverage coverage) {
  if (poly.isOpen()) return;
  if (!xform) throw zcBadPointer(L"no transform to draw through");
  if (xform->isLinear()) {
    drawSynthetic(poly, xform->linearXform(zcPoint(0.0, 0.0)), pb, value, true, true, coverage);
  } else {
    drawGeneral(poly, xform, pb, value);
  }
}

void zfDrawSynthetic(const zcGenPoly& poly, const zcPtrHandle_const<zc2XformBase>& x, zcPelBuffer<unsigned char>& pb,
                     unsigned char value, zeSyntheticCoverage coverage) {
  if (poly.isOpen()) throw zcShapesError::BadGeom(L"an open polygon has no inside to draw");
  if (!x) throw zcBadPointer(L"no transform to draw through");
  const zc2XformBasePtr composite = zc2XformBase::composeBase(x, zc2XformBasePtr(new zc2XformLinear(poly.xform())));
  zcSMDGDPolyPrivate::drawSynthetic(zcSMDGDPolyPrivate::poly(poly), composite, pb, value, coverage);
}

void zfDrawSynthetic(const zcGenPoly& poly, const zcXform<2>& x, zcPelBuffer<unsigned char>& pb, unsigned char value,
                     zeSyntheticCoverage coverage) {
  zfDrawSynthetic(poly, zc2XformBasePtr(new zc2XformLinear(x)), pb, value, coverage);
}

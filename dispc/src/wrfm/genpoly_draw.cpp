// Generalized polygon: the decomposition into foundation shapes, the shape queries
// answered through it, drawing through a scope, and the form sketches store.
#include "dispc/wrfm/genpoly.h"

#include "dispc/uierror.h"
#include "dispc/uiscope.h"
#include "wrfm/arc_private.h"
#include "wrfm/genpoly_private.h"

#include "zfound/trees.h"

#include <algorithm>
#include <cmath>

// --- Decomposition -------------------------------------------------------------------------------

zcPtrHandle<zcEllipseArc2> zcGenPoly::negCornerArc_(const zcEllipseArc2& arc) const {
  return zcPtrHandle<zcEllipseArc2>(new zcEllipseArc2(arc));
}

zcShapePtr zcGenPoly::decompose() const {
  const long n = numVertices();
  if (n == 0) return zcShapePtr(new zcContourTree(!isOpen()));
  if (n == 1) return zcShapePtr(new zcLineSeg(vertexPoint(0), vertexPoint(0)));
  std::vector<zcShapePtr> pieces;
  pieces.reserve(2 * static_cast<std::size_t>(n));
  for (long v = 0; v < n; ++v) {
    if (poly_->isVertexRounded_(v)) {
      const zcEllipseArc2 arc = roundedVertexArc(v);
      if (poly_->vertices()[v].vertexRadius() > 0.0) {
        pieces.push_back(zcShapePtr(new zcEllipseArc2(arc)));
      } else {
        pieces.push_back(negCornerArc_(arc));
      }
    }
    if (isOpen() && v == n - 1) break;
    if (isArcSegment(v)) {
      pieces.push_back(zcShapePtr(new zcEllipseArc2(ellipseSegment(v, false))));
    } else {
      pieces.push_back(zcShapePtr(new zcLineSeg(lineSegment(v, false))));
    }
  }
  // One check of the whole list: linear in the number of pieces.
  return zcShapePtr(new zcContourTree(std::move(pieces), !isOpen()));
}

zcRect zcGenPoly::boundingBox() const {
  if (numVertices() == 0) throw zcShapesError::EmptyShape(L"a polygon without vertices");
  return decompose()->boundingBox();
}

zcPoint zcGenPoly::nearestPoint(const zcPoint& p) const { return decompose()->nearestPoint(p); }

zcRadian zcGenPoly::tangentRotation() const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"the polygon is not an open contour");
  return decompose()->tangentRotation();
}

zcRadian zcGenPoly::windingAngle(const zcPoint& p) const {
  if (!isOpenContour()) throw zcShapesError::NotOpenContour(L"the polygon is not an open contour");
  return decompose()->windingAngle(p);
}

zcShapePtr zcGenPoly::mapShape(const zcXform<2>& x) const { return decompose()->mapShape(x); }

zcShapePtr zcGenPoly::clip_(const zcRect& window, zcClipInfo& info) const { return decompose()->clip(window, info); }

void zcGenPoly::sample(const zcSampleParams& params, zcSampleResult& result) const {
  if (params.uniform) throw zcShapesError::BadParams(L"a polygon is not sampled uniformly");
  decompose()->sample(params, result);
}

// --- Drawing -------------------------------------------------------------------------------------------

namespace {

// Draws everything as line segments of the scope.
struct Pen {
  const zcGraphicProps& props;
  zcUIScope& scope;
  void operator()(const zcPoint& a, const zcPoint& b) const { scope.draw(zcLineSeg(a, b), props); }
};

// The arc `arc` (poly frame) in chords whose error stays within 0.05 scope units:
// the copy under xform gives the radius ρ; steps of 5 degrees, or of
// 2 acos(1 − 0.05 / ρ) when that is smaller (written 4 asin(√(0.025 / ρ)), the same
// angle without the cancellation that makes it 0 for a large ρ); at most
// zkGenPolyMaxChords chords.
void drawArc(const zc2SegmentArc& arc, const zcXform<2>& xform, const Pen& pen) {
  const long k = zcGenPolyPrivate::arcChords(arc, xform) - 1;
  const double span = arc.angleSpan().value();
  const double start = arc.startAngle().value();
  const double delta = span / static_cast<double>(k + 1);
  const zc2SegmentArcPrivate::MappedPoints pointAt(arc, xform);
  zcPoint previous = pointAt(start);
  for (long j = 1; j <= k + 1; ++j) {
    const zcPoint next = pointAt(start + delta * static_cast<double>(j));
    pen(previous, next);
    previous = next;
  }
}

// Pieces of a poly that came from outside (a sketch) may not be buildable; they are
// left out of the drawing rather than stopping it.
template <class F>
void drawPiece(F&& f) {
  try {
    f();
  } catch (const zcShapesError::Errors&) {
  }
}

// The arrow at tip P heading φ (poly frame, degrees) of size s: the head, a plus mark
// on its left and a minus mark on its right (in the scope, mirrored maps swap them).
void drawArrow(const zcPoint& tip, double heading, double s, const zcXform<2>& xform, const Pen& pen) {
  const zcXform<2> frame = xform * zc2Rigid(zcRadian(zcDegree(heading)), tip).xform();
  const zcMatrix<2> m = frame.matrix();
  const zc2Rigid r(m.xRot(), frame.trans());
  const double side = std::abs((m.yRot() - m.xRot()).signedNorm().value()) >= zkPi / 2 ? -1.0 : 1.0;
  const zcPoint p = frame.trans();
  pen(p, r.mapPoint(zcPoint(-s, -s * side)));
  pen(p, r.mapPoint(zcPoint(-s, s * side)));
  const zcPoint plus = r.mapPoint(zcPoint(0, s * side));
  const zcPoint minus = r.mapPoint(zcPoint(0, -s * side));
  const double h = 0.3 * s;
  pen(plus + zcVector<2>(h, 0), plus - zcVector<2>(h, 0));
  pen(plus + zcVector<2>(0, h), plus - zcVector<2>(0, h));
  pen(minus + zcVector<2>(h, 0), minus - zcVector<2>(h, 0));
}

}  // namespace

long zcGenPolyPrivate::arcChords(const zc2SegmentArc& arc, const zcXform<2>& xform) {
  return arcChords(xform * arc, arc.angleSpan());
}

long zcGenPolyPrivate::arcChords(const zc2SegmentArc& mapped, zcDegree span) {
  return arcChords(mapped.center().distance(mapped.arcPoint(zcDegree(0.0))), span);
}

long zcGenPolyPrivate::arcChords(double rho, zcDegree span) {
  double step = 5.0;
  if (rho > 0.05) step = std::min(step, zcDegree(zcRadian(4.0 * std::asin(std::sqrt(0.025 / rho)))).value());
  const double steps = std::abs(span.value()) / step;
  // A NaN or huge count takes the cap.
  return steps < static_cast<double>(zkGenPolyMaxChords) ? static_cast<long>(steps) + 1 : zkGenPolyMaxChords;
}

void zcGenPolyPrivate::drawArcToScope(const zc2SegmentArc& arc, const zcXform<2>& xform, const zcGraphicProps& props,
                                      zcUIScope& scope) {
  drawArc(arc, xform, Pen{props, scope});
}

void zcGenPolyPrivate::drawToScope(const zcGenPoly& g, const zcGraphicProps& props, zcUIScope& scope,
                                   const zcXform<2>& xform) {
  const zcSMDGDPoly& poly = *g.poly_;
  const Pen pen{props, scope};
  const long n = poly.numVertices();
  const long segments = poly.numSegments();
  const auto& v = poly.vertices();
  const bool whole = props.showVertex();

  // Segment i runs from vertex i to poly segment (vertex) e.
  for (long i = 0; i < segments; ++i) {
    const long e = (i + 1) % n;
    if (!poly.isSegmentArc_(e)) {
      const zcPoint a = whole ? v[i].point() : poly.roundedEndPoints()[i];
      const zcPoint b = whole ? v[e].point() : poly.roundedStartPoints()[e];
      pen(xform.mapPoint(a), xform.mapPoint(b));
    } else {
      drawPiece([&] { drawArc(whole ? poly.arcSegment_(e) : poly.roundedArcSegment_(e), xform, pen); });
    }
  }

  if (props.arrowHead() && segments > 0) {
    double longest = 0.0;
    for (long i = 0; i + 1 < n; ++i) longest = std::max(longest, v[i].point().distance(v[i + 1].point()));
    if (!poly.isOpen()) longest = std::max(longest, v[n - 1].point().distance(v[0].point()));
    const double s = 0.2 * longest;
    for (long e = poly.isOpen() ? 1 : 0; e < n; ++e) {
      const long from = (e - 1 + n) % n;
      if (v[from].point().distance(v[e].point()) < s) continue;
      drawPiece([&] {
        zcPoint tip;
        double heading;
        if (poly.isSegmentArc_(e)) {
          const zc2SegmentArc arc = poly.roundedArcSegment_(e);
          tip = arc.midPoint();
          heading = arc.midDirection().value();
        } else {
          const zc2SegmentLine line = poly.roundedLineSegment_(e);
          tip = line.midPoint();
          heading = line.angle().value();
        }
        if (poly.isDirectionReversed()) heading += 180.0;
        drawArrow(tip, heading, s, xform, pen);
      });
    }
  }

  for (long i = 0; i < n && segments > 0; ++i)
    if (poly.isVertexRounded_(i)) drawPiece([&] { drawArc(poly.roundedArcVertex_(i), xform, pen); });
}

void zcGenPoly::drawToScope(const zcGraphicProps& props, zcUIScope& scope) const {
  zcGenPolyPrivate::drawToScope(*this, props, scope, xform_);
}

// --- The stored form of sketches ----------------------------------------------------------------------

zc_UISketchPolyData zcGenPolyPrivate::stored(const zcGenPoly& g) {
  const zcSMDGDPoly& poly = *g.poly_;
  zc_UISketchPolyData d;
  d.xform = g.xform_;
  d.editable = g.editable_;
  d.vertices.reserve(poly.vertices().size());
  for (const zcSMDGDPolyVertex& v : poly.vertices()) {
    zc_UISketchPolyData::Vertex out;
    out.point = v.point();
    out.radius = v.vertexRadius();
    out.span = v.segmentAngleSpan().value();
    const zcDimTol& t = v.segmentLengthTol();
    out.tolerance[0] = t.nomDim();
    out.tolerance[1] = t.minTol();
    out.tolerance[2] = t.maxTol();
    out.toleranceType = static_cast<std::uint32_t>(t.tolType());
    d.vertices.push_back(out);
  }
  d.roundedStarts = poly.roundedStartPoints();
  d.roundedEnds = poly.roundedEndPoints();
  d.roundedSpans = poly.roundedSpans();
  d.open = poly.isOpen();
  return d;
}

void zcGenPolyPrivate::assignStored(zcGenPoly& g, const zc_UISketchPolyData& d) {
  std::vector<zcSMDGDPolyVertex> vertices;
  vertices.reserve(d.vertices.size());
  for (const zc_UISketchPolyData::Vertex& v : d.vertices) {
    if (v.toleranceType > 2) throw zcUIError::InvalidUISketch();
    const zcDimTol tol = zcDimTol::fromStored(v.tolerance[0], v.tolerance[1], v.tolerance[2],
                                              static_cast<zcDimTol::TolType>(v.toleranceType));
    vertices.emplace_back(v.point, v.radius, zcDegree(v.span), 0.5, 0.5, -1, tol);
  }
  auto poly = std::make_unique<zcSMDGDPoly>(L"poly");
  try {
    zcSMDGDPolyPrivate::assignStored(*poly, std::move(vertices), d.roundedStarts, d.roundedEnds, d.roundedSpans,
                                     d.open);
  } catch (const zcShapesError::BadParams&) {
    throw zcUIError::InvalidUISketch();
  }
  g.mutating_();
  g.poly_ = std::move(poly);
  g.xform_ = d.xform;
  g.editable_ = d.editable;
}

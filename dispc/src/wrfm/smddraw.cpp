// Drawing of SMD polys and models: wireframes and negative wireframes onto tablets,
// direction arrows onto tablets or into graphic lists, synthetic images into pel
// buffers.
#include "dispc/wrfm/smdmodel.h"

#include "dispc/glist.h"
#include "dispc/wrfm/wirefrm.h"

#include "zfound/lines.h"

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr zcUITablet::Layers kLayer = zcUITablet::eOverlay;

struct ColoredLine {
  zcLineSeg line;
  zcColor color;
};

// The lines of one arrow, in target coordinates (see zcSMDGDPoly::drawArrow).
std::array<ColoredLine, 5> arrowLines(const zcXform<2>& xform, const zc2Rigid& placement, double s,
                                      const zcColor& positive, const zcColor& negative) {
  const zcPoint tip = xform.mapPoint(placement.trans());
  const zcRadian turn = xform.mapAngle(placement.angle());
  const zcMatrix<2> m = xform.matrix();
  const double side = std::abs((m.yRot() - m.xRot()).signedNorm().value()) >= zkPi / 2 ? -1.0 : 1.0;
  const zcMatrix<2> r = zcMatrix<2>::rotation(turn);
  const auto frame = [&](double x, double y) { return tip + r * zcVector<2>(x, y); };
  const zcPoint plus = frame(0.0, side * s), minus = frame(0.0, -side * s);
  const zcVector<2> dx(1.0, 0.0), dy(0.0, 1.0);
  return {{{zcLineSeg(frame(-s, side * s), tip), positive},
           {zcLineSeg(frame(-s, -side * s), tip), negative},
           {zcLineSeg(plus - dx, plus + dx), positive},
           {zcLineSeg(plus - dy, plus + dy), positive},
           {zcLineSeg(minus - dx, minus + dx), negative}}};
}

void put(const ColoredLine& l, zcUITablet& tablet) { tablet.draw(l.line, l.color, kLayer); }

void put(const ColoredLine& l, zcGraphicList& list) {
  list.append(zcPtrHandle<zcGraphic>(new zcGraphicSimple<zcLineSeg>(l.line, l.color)), false);
}

// Where the arrows of the poly's segments stand: at the middle of each rounded
// segment, turned the way the outline travels there.
std::vector<zc2Rigid> arrowPlacements(const zcSMDGDPoly& poly) {
  std::vector<zc2Rigid> out;
  if (poly.numSegments() == 0) return out;
  const zcDegree turn(poly.isDirectionReversed() ? 180.0 : 0.0);
  for (long s = poly.isOpen() ? 1 : 0; s < poly.numVertices(); ++s) {
    zcPoint middle;
    zcDegree direction;
    if (poly.isSegmentArc_(s)) {
      const zc2SegmentArc arc = poly.roundedArcSegment_(s);
      if (std::abs(arc.angleSpan().value()) <= 1e-12) continue;
      middle = arc.segPoint(0.5);
      const zcDegree radial((middle - arc.center()).angle());
      direction = radial + zcDegree(arc.angleSpan().value() > 0.0 ? 90.0 : -90.0);
    } else {
      const zcPoint a = poly.roundedEndPoints()[static_cast<std::size_t>(poly.previousVertexIndex_(s))];
      const zcPoint b = poly.roundedStartPoints()[static_cast<std::size_t>(s)];
      // The roundings at both ends use the whole segment: nothing to point along.
      if (a == b) continue;
      middle = (a + b) * 0.5;
      direction = zcDegree((b - a).angle());
    }
    out.emplace_back(zcRadian((direction + turn).signedNorm()), middle);
  }
  return out;
}

template <class Target>
void drawArrows(const zcSMDGDPoly& poly, const zcXform<2>& xform, Target& target, double size) {
  std::vector<ColoredLine> lines;
  for (const zc2Rigid& at : arrowPlacements(poly))
    for (const ColoredLine& l : arrowLines(xform, at, size, poly.positiveArrowColor(), poly.negativeArrowColor()))
      lines.push_back(l);
  for (const ColoredLine& l : lines) put(l, target);
}

// The arc as chords of at most 5 degrees.
void drawChords(const zc2SegmentArc& arc, const zcXform<2>& xform, zcUITablet& tablet, const zcColor& color) {
  const long n = std::max(1L, static_cast<long>(std::ceil(std::abs(arc.angleSpan().value()) / 5.0)));
  zcPoint from = xform.mapPoint(arc.segPoint(0.0));
  for (long k = 1; k <= n; ++k) {
    const zcPoint to = xform.mapPoint(arc.segPoint(static_cast<double>(k) / static_cast<double>(n)));
    tablet.draw(zcLineSeg(from, to), color, kLayer);
    from = to;
  }
}

}  // namespace

// --- Poly ---------------------------------------------------------------------------------------

zc2Wireframe zcSMDGDPolyPrivate::wireframe(const zcSMDGDPoly& poly) {
  zc2Wireframe w;
  *static_cast<zcGenPoly&>(w).poly_ = poly;
  return w;
}

void zcSMDGDPoly::drawWireframe(const zcXform<2>& xform, zcUITablet& tablet) const {
  tablet.draw(zcSMDGDPolyPrivate::wireframe(*this).map(xform), colors_.wireframeDefaultColor(), false, kLayer);
}

void zcSMDGDPoly::drawSynthetic(const zcPtrHandle_const<zc2XformBase>& xform,
                                zcPelBuffer<unsigned char>& buffer) const {
  if (!buffer.isBound()) throw noPelBuffer();
  zcSMDGDPolyPrivate::drawSynthetic(*this, xform, buffer,
                                    zcSMDColors::colorToGrayScale(colors_.syntheticDefaultColor()));
}

void zcSMDGDPoly::drawSynthetic(const zcXform<2>& xform, zcPelBuffer<unsigned char>& buffer) const {
  if (!buffer.isBound()) throw noPelBuffer();
  zcSMDGDPolyPrivate::drawSynthetic(*this, xform, buffer,
                                    zcSMDColors::colorToGrayScale(colors_.syntheticDefaultColor()), true, true);
}

void zcSMDGDPoly::drawDirectionArrows(const zcXform<2>& xform, zcUITablet& tablet, double size) const {
  drawArrows(*this, xform, tablet, size);
}

void zcSMDGDPoly::drawDirectionArrows(const zcXform<2>& xform, zcGraphicList& list, double size) const {
  drawArrows(*this, xform, list, size);
}

void zcSMDGDPoly::drawArrow(const zcXform<2>& xform, zcUITablet& tablet, const zc2Rigid& placement, double size,
                            const zcColor& positive, const zcColor& negative) {
  for (const ColoredLine& l : arrowLines(xform, placement, size, positive, negative)) put(l, tablet);
}

void zcSMDGDPoly::drawArrow(const zcXform<2>& xform, zcGraphicList& list, const zc2Rigid& placement, double size,
                            const zcColor& positive, const zcColor& negative) {
  for (const ColoredLine& l : arrowLines(xform, placement, size, positive, negative)) put(l, list);
}

void zcSMDGDPolyPrivate::drawNegWireframe(const zcSMDGDPoly& poly, const zcXform<2>& xform, zcUITablet& tablet,
                                          const zcColor& color, unsigned flags) {
  if (poly.numSegments() == 0) return;
  for (long s = poly.isOpen() ? 1 : 0; s < poly.numVertices(); ++s) {
    const bool arc = poly.isSegmentArc_(s);
    // Builds the arc or the line form of a piece, whichever the segment is, and draws it.
    const auto piece = [&](const auto& arcForm, const auto& lineForm) {
      if (arc) return drawChords(arcForm(), xform, tablet, color);
      const zc2SegmentLine l = lineForm();
      tablet.draw(zcLineSeg(xform.mapPoint(l.p1()), xform.mapPoint(l.p2())), color, kLayer);
    };
    if (flags & eNegSegment) piece([&] { return poly.arcSegment_(s); }, [&] { return poly.lineSegment_(s); });
    for (const bool forward : {false, true}) {
      if (!(flags & (forward ? eNegForward : eNegBackward))) continue;
      const double f = forward ? poly.forwardPercExtension_(s) : poly.backwardPercExtension_(s);
      if (!(f > 0.0)) continue;
      piece([&] { return poly.overlayArc_(s, forward); }, [&] { return poly.overlayLineSegment_(s, forward); });
    }
  }
}

// --- Model ---------------------------------------------------------------------------------------

void zcSMDGDModel::drawWireframe(const zcXform<2>& xform, zcUITablet& tablet) const {
  for (const zcSMDGDPoly& p : polys_) zcSMDGDPoly(p).drawWireframe(xform, tablet);
}

void zcSMDGDModel::drawSynthetic(const zcPtrHandle_const<zc2XformBase>& xform,
                                 zcPelBuffer<unsigned char>& buffer) const {
  for (const zcSMDGDPoly& p : polys_) p.drawSynthetic(xform, buffer);
}

void zcSMDGDModel::drawSynthetic(const zcXform<2>& xform, zcPelBuffer<unsigned char>& buffer) const {
  drawSynthetic(zcPtrHandle_const<zc2XformBase>(new zc2XformLinear(xform)), buffer);
}

void zcSMDGDModel::drawDirectionArrows(const zcXform<2>& xform, zcUITablet& tablet, double size) const {
  for (const zcSMDGDPoly& p : polys_) p.drawDirectionArrows(xform, tablet, size);
}

void zcSMDGDModel::drawDirectionArrows(const zcXform<2>& xform, zcGraphicList& list, double size) const {
  for (const zcSMDGDPoly& p : polys_) p.drawDirectionArrows(xform, list, size);
}

void zcSMDGDModelPrivate::drawNegWireframe(const zcSMDGDModel& model, const zcXform<2>& xform, zcUITablet& tablet) {
  for (const zcSMDGDPoly& p : model.polys_)
    zcSMDGDPolyPrivate::drawNegWireframe(p, xform, tablet, zcColor::redColor(), zcSMDGDPolyPrivate::eNegAll);
}

// Replay of each operation kind: the tablet call that records it, with the header's
// properties (pen color = header color) and layer.
#include "dispc/sketchop.h"

#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"

#include "../uitablet_private.h"
#include "../wrfm/genpoly_private.h"

#include "zfound/strings.h"

namespace {
using Layers = zcUITabletEnums::Layers;
}  // namespace

#define ZC_UISKETCH_OP_DRAW(Class, call)                                               \
  void Class::draw(zcUITablet& t, zc_UISketchOpHeader& header) const {                \
    const zcGraphicProps& props = header.props();                                      \
    const Layers layer = header.layer();                                               \
    (void)props;                                                                       \
    call;                                                                              \
  }

ZC_UISKETCH_OP_DRAW(zc_UISketchOpPoint, t.draw(point_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpPointIcon, t.drawPointIcon(point_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpLineSeg, zcUITabletPrivate::drawSegment(t, zcUITabletPrivate::Ends{p1_, p2_}, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpLine, t.draw(line_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpCircle, t.draw(circle_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpEllipse, t.draw(ellipse_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpEllipseArc, t.draw(arc_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpEllipseAnnSect, t.draw(section_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpGenRect, t.draw(rect_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpGenAnn, t.draw(annulus_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpCoordAxes, t.draw(axes_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpString,
                    t.draw(zfConvertString(text_), position_, header.color(), background_, format_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpPelBuf8, t.draw(pels_, position_, flag_, value_, flag2_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpRleBuf, t.draw(image_, position_, colorMap_, flag_, passValue_, flag2_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpSketch, t.draw(sketch_, offset_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpSet, pixelForm_ ? t.set(pixels_, header.color(), layer)
                                                 : t.set(rect_, header.color(), layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpSetAll, t.set(header.color(), layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpSetComp, pixelForm_ ? t.setComplement(pixels_, header.color(), layer)
                                                     : t.setComplement(rect_, header.color(), layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpFill,
                    pixelForm_ ? t.fill(pel_, header.color(), boundary_, zcUITabletEnums::FillType(fillType_), layer)
                               : t.fill(point_, header.color(), boundary_, zcUITabletEnums::FillType(fillType_),
                                        layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpDrawStart, t.drawStart(point_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpDrawTo, t.drawTo(point_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpDrawToRelPels, t.drawToRelPels(dx_, dy_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpMoveToRelPels, t.moveToRelPels(dx_, dy_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpOutline3d, pixelForm_ ? t.outline3D(pixels_, light_, dark_, width_, layer)
                                                       : t.outline3D(rect_, light_, dark_, width_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpArrow, t.arrowHead(tip_, direction_, size_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpAffineRect, t.draw(rect_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpPolygon, t.draw(polygon_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpRect, t.draw(rect_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpClipRect, t.drawClipRect(rect_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpUnicodeString,
                    t.draw(text_, position_, header.color(), background_, format_, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpCross, t.draw(cross_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpBezierCurve, t.draw(curve_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpCubicSpline, t.draw(spline_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpPolyline, t.draw(polyline_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpEllipse2, t.draw(ellipse_, props, layer))
ZC_UISKETCH_OP_DRAW(zc_UISketchOpEllipseArc2, t.draw(arc_, props, layer))

void zc_UISketchOpEllipseAnnSectArrowheadFlag::draw(zcUITablet& t, zc_UISketchOpHeader& header) const {
  zcGraphicProps props = header.props();
  props.arrowHead(arrowHead_);
  props.arrowHeadForward(forward_);
  t.draw(section_, props, header.layer());
}

void zc_UISketchOpGenShape::draw(zcUITablet& t, zc_UISketchOpHeader& header) const {
  zcGenShape shape;
  try {
    shape = zcGenShape::fromBytes(shapeBytes_);
  } catch (const zcException&) {
    // Bytes that hold no shape: the operation is malformed.
    throw zcUIError::InvalidUISketch();
  }
  t.draw(shape, header.color(), header.layer());
}

// The polygon as it was stored, without validating it again: it was valid where it
// was drawn, and pieces that cannot be built are left out of the drawing.
void zc_UISketchOpGenPoly::draw(zcUITablet& t, zc_UISketchOpHeader& header) const {
  zcGenPoly polygon;
  zcGenPolyPrivate::assignStored(polygon, poly_);
  t.draw(polygon, header.props(), header.layer());
}

void zc_UISketchOpWireframe::draw(zcUITablet& t, zc_UISketchOpHeader& header) const {
  zc2Wireframe wireframe;
  zcGenPolyPrivate::assignStored(wireframe, poly_);
  t.draw(wireframe, header.props(), header.layer());
}

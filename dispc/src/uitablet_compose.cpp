// The composite drawing calls: those built on other calls or on several scope
// slots, areas, clip rectangles, icons, shape dispatch and sketch replay.
#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"

#include "uitablet_private.h"
#include "wrfm/genpoly_private.h"

#include "zfound/shape.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <numbers>
#include <utility>

namespace {
using P = zcUITabletPrivate;
using Layers = zcUITabletEnums::Layers;
}  // namespace

// --- Point and segment sets --------------------------------------------------------------

void zcUITablet::draw(const zcPointSet& points, const zcGraphicProps& props, Layers layer) {
  const std::vector<zcPoint>& p = points.points();
  if (p.size() >= 2) {
    draw(zcCircle(p[0], p[0].distance(p[1])), props, layer);
    draw(zcLineSeg(p[0], p[1]), props, layer);
  }
  if (okToDraw(layer)) {
    // The points themselves in the pen color, width 1.
    const zcGraphicProps plain = P::colorProps(props.penColor());
    zcUIScope& s = P::scope(*this, layer);
    for (const zcPoint& q : p) s.draw(scaledMap_.mapPoint(q), plain);
  }
  if (!recordOn_) return;
  for (const zcPoint& q : p) P::record<zc_UISketchOpPoint>(*this, layer, props, q);
}

void zcUITablet::draw(const zcPointSet& points, const zcColor& color, Layers layer) {
  draw(points, P::colorProps(color), layer);
}

void zcUITablet::draw(const zcLineSegSet& segs, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    zcUIScope& s = P::scope(*this, layer);
    for (const zcLineSeg& seg : segs.segments()) s.draw(seg.map(scaledMap_), props);
  }
  if (!recordOn_) return;
  for (const zcLineSeg& seg : segs.segments()) P::record<zc_UISketchOpLineSeg>(*this, layer, props, seg.p1(), seg.p2());
}

// --- Curves --------------------------------------------------------------------------------

namespace {
// The curve as the polyline of its samples one pixel apart under the scaled map,
// handed to the scope's polyline slot.
void paintCurve(zcUITablet& t, const zcBezierCurve& curve, const zcGraphicProps& props, Layers layer) {
  const double scale = std::sqrt(std::abs(t.scaledMap().matrix().determinant()));
  zcSampleParams params;
  params.maxPoints = 5000;
  params.duplicateCorners = false;
  params.reserve = 500;
  // Under a map of scale 0 the whole curve is one pixel: any tolerance will do.
  params.tolerance = scale > 0.0 && std::isfinite(1.0 / scale) ? 1.0 / scale : 1.0;
  zcSampleResult result;
  for (;;) {
    try {
      result.points.clear();
      curve.sample(params, result);
      break;
    } catch (const zcShapesError::SampleOverflow&) {
      params.tolerance *= 2.0;
      if (!std::isfinite(params.tolerance)) {
        // Too large to sample at all: the chord from end to end.
        result.points = {curve.startPoint(), curve.endPoint()};
        break;
      }
    }
  }
  P::scope(t, layer).draw(zcPolyline(std::move(result.points)).map(t.scaledMap()), props);
}
}  // namespace

void zcUITablet::draw(const zcBezierCurve& curve, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) paintCurve(*this, curve, props, layer);
  if (recordOn_) P::record<zc_UISketchOpBezierCurve>(*this, layer, props, curve);
}

void zcUITablet::draw(const zcCubicSpline& spline, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    for (const zcBezierCurve& piece : spline.pieces()) paintCurve(*this, piece, props, layer);
  }
  if (recordOn_) P::record<zc_UISketchOpCubicSpline>(*this, layer, props, spline.cubicSpline());
}

// --- Annuli --------------------------------------------------------------------------------

void zcUITablet::draw(const zcEllipseAnnulusSection& section, const zcGraphicProps& props, Layers layer) {
  const bool allowed = okToDraw(layer);
  if (allowed && section.annulus().degen()) return;
  if (allowed) {
    P::NoRecording quiet(*this);
    P::Compound compound(*this, layer);
    const zcEllipse inner = section.annulus().inner(), outer = section.annulus().outer();
    const bool full = section.phiSpan().value() >= 2.0 * std::numbers::pi - 1e-6;
    const zcEllipseArc outerArc = section.outerArc();
    if (full) {
      draw(inner, props, layer);
      draw(outer, props, layer);
    } else {
      const zcEllipseArc innerArc = section.innerArc();
      draw(outerArc, props, layer);
      draw(innerArc, props, layer);
      draw(zcLineSeg(innerArc.startPoint(), outerArc.startPoint()), props, layer);
      draw(zcLineSeg(innerArc.endPoint(), outerArc.endPoint()), props, layer);
    }
    if (props.arrowHead() && !outerArc.degen()) {
      // On the outer arc, pointing along it at its end (forward) or back at its start.
      const bool forward = props.arrowHeadForward();
      const zcPoint tip = forward ? outerArc.endPoint() : outerArc.startPoint();
      const zcRadian a = forward ? outerArc.endAngle() : outerArc.startAngle() + zcRadian(std::numbers::pi);
      arrowHead(tip, zcVector<2>(std::cos(a.value()), std::sin(a.value())),
                static_cast<float>(P::arrowArmLength(*this, props)), props, layer);
    }
  }
  if (!recordOn_) return;
  if (props.arrowHead() && props.arrowHeadForward()) {
    P::record<zc_UISketchOpEllipseAnnSect>(*this, layer, props, section);
  } else {
    P::record<zc_UISketchOpEllipseAnnSectArrowheadFlag>(*this, layer, props, section, props.arrowHead(), props.arrowHeadForward());
  }
}

void zcUITablet::draw(const zcEllipseAnnulusSection& section, const zcColor& color, bool arrowHead,
                      bool arrowHeadForward, Layers layer) {
  zcGraphicProps props = P::colorProps(color);
  props.arrowHead(arrowHead);
  props.arrowHeadForward(arrowHeadForward);
  draw(section, props, layer);
}

namespace {
// A circle as the general rectangle of its square with fully rounded corners.
zcGenRect roundRect(const zcPoint& center, double r) {
  return zcGenRect(zcVector<2>(center.x(), center.y()), zcVector<2>(r, r), zcRadian(0.0), zcVector<2>(r, r));
}
}  // namespace

void zcUITablet::draw(const zcAnnulus& annulus, const zcGraphicProps& props, Layers layer) {
  draw(zcGenAnnulus(roundRect(annulus.center(), annulus.innerRadius()),
                    roundRect(annulus.center(), annulus.outerRadius())),
       props, layer);
}

void zcUITablet::draw(const zcAnnulus& annulus, const zcColor& color, Layers layer) {
  draw(annulus, P::colorProps(color), layer);
}

void zcUITablet::draw(const zcGenAnnulus& annulus, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    P::NoRecording quiet(*this);
    P::Compound compound(*this, layer);
    draw(annulus.inner(), props, layer);
    draw(annulus.outer(), props, layer);
  }
  if (recordOn_) P::record<zc_UISketchOpGenAnn>(*this, layer, props, annulus);
}

void zcUITablet::draw(const zcGenAnnulus& annulus, const zcColor& color, Layers layer) {
  draw(annulus, P::colorProps(color), layer);
}

// --- Generalized polygons --------------------------------------------------------------------

namespace {
// The polygon draws itself, under the scaled map, inside one scope compound.
void paintPolygon(zcUITablet& t, const zcGenPoly& polygon, const zcGraphicProps& props, Layers layer) {
  P::Compound compound(t, layer);
  zcGenPolyPrivate::drawToScope(polygon, props, P::scope(t, layer), t.scaledMap() * polygon.xform());
}
}  // namespace

void zcUITablet::draw(const zcGenPoly& polygon, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) paintPolygon(*this, polygon, props, layer);
  if (recordOn_) P::recordFilled<zc_UISketchOpGenPoly>(*this, layer, props, zcGenPolyPrivate::stored(polygon));
}

void zcUITablet::draw(const zcGenPoly& polygon, const zcColor& color, bool fill, Layers layer) {
  draw(polygon, P::colorProps(color, fill), layer);
}

void zcUITablet::draw(const zc2Wireframe& wireframe, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) paintPolygon(*this, wireframe, props, layer);
  if (recordOn_) P::record<zc_UISketchOpWireframe>(*this, layer, props, zcGenPolyPrivate::stored(wireframe));
}

void zcUITablet::draw(const zc2Wireframe& wireframe, const zcColor& color, bool fill, Layers layer) {
  draw(wireframe, P::colorProps(color, fill), layer);
}

// --- Markers -------------------------------------------------------------------------------

void zcUITablet::draw(const zcCross& cross, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    zcUIScope& s = P::scope(*this, layer);
    const zcPoint center = scaledMap_.mapPoint(cross.center());
    const double a = cross.angle().norm().value();
    const long c = P::truncated(std::cos(a) * cross.size()), n = P::truncated(std::sin(a) * cross.size());
    P::Compound compound(*this, layer);
    s.drawStart(center + zcVector<2>(static_cast<double>(c), static_cast<double>(n)));
    s.drawToRelPels(-2 * c, -2 * n, props);
    s.drawStart(center + zcVector<2>(static_cast<double>(-n), static_cast<double>(c)));
    s.drawToRelPels(2 * n, -2 * c, props);
  }
  if (recordOn_) P::record<zc_UISketchOpCross>(*this, layer, props, cross);
}

void zcUITablet::draw(const zcCross& cross, const zcColor& color, Layers layer) {
  draw(cross, P::colorProps(color), layer);
}

void zcUITablet::drawCross(const zcPair<double>& center, zcRadian angle, const zcColor& color, Layers layer) {
  draw(zcCross(zcPoint(center.x(), center.y()), angle, 7), color, layer);
}

void zcUITablet::draw(const zcCoordAxes& axes, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    P::NoRecording quiet(*this);
    P::Compound compound(*this, layer);
    const float arm = static_cast<float>(P::arrowArmLength(*this, props));
    draw(axes.xAxis(), props, layer);
    draw(axes.yAxis(), props, layer);
    arrowHead(axes.xEnd(), axes.xEnd() - axes.origin(), arm, props, layer);
    arrowHead(axes.yEnd(), axes.yEnd() - axes.origin(), arm, props, layer);
  }
  if (recordOn_) P::record<zc_UISketchOpCoordAxes>(*this, layer, props, axes);
}

void zcUITablet::draw(const zcCoordAxes& axes, const zcColor& color, Layers layer) {
  draw(axes, P::colorProps(color), layer);
}

void zcUITablet::arrowHead(const zcPoint& tip, const zcVector<2>& dir, float size, const zcGraphicProps& props,
                           Layers layer) {
  if (okToDraw(layer)) {
    zcUIScope& s = P::scope(*this, layer);
    const zcPoint at = scaledMap_.mapPoint(tip);
    s.drawStart(at);
    P::Compound compound(*this, layer);
    const double dx = dir.x(), dy = dir.y();
    for (const zcVector<2>& arm : {zcVector<2>(dx - dy / 2, dy + dx / 2), zcVector<2>(dx + dy / 2, dy - dx / 2)}) {
      const zcPair<long> step = P::pixelStep(*this, arm, -static_cast<double>(size));
      s.drawToRelPels(step.x(), step.y(), props);
      s.drawStart(at);
    }
  }
  if (recordOn_) P::record<zc_UISketchOpArrow>(*this, layer, props, tip, dir, size);
}

// --- Areas ---------------------------------------------------------------------------------

void zcUITablet::set(const zcColor& color, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).set(color);
  if (!recordOn_) return;
  sketch_.erase();
  if (layer == eImage || layer == eOverlay) {
    const zcRect clip = clipRects_[layer];
    if (clip.width() != 0.0 || clip.height() != 0.0) drawClipRect(clip, layer);
  }
  if (recordOn_) P::recordDefault<zc_UISketchOpSetAll>(*this, layer, color);
}

void zcUITablet::set(const zcUIRect& rect, const zcColor& color, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).set(rect, color);
  if (recordOn_) P::recordDefault<zc_UISketchOpSet>(*this, layer, color, true, rect, zcRect());
}

void zcUITablet::set(const zcRect& rect, const zcColor& color, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).set(P::pixelRect(*this, rect), color);
  if (recordOn_) P::recordDefault<zc_UISketchOpSet>(*this, layer, color, false, zcUIRect(), rect);
}

namespace {
// Everything of the scope outside the rectangle, as up to four bands.
void setOutside(zcUIScope& s, const zcUIRect& rect, const zcColor& color) {
  const zcPair<long> size = s.size();
  const zcUIRect all(0, 0, size.x(), size.y());
  const zcUIRect inside = rect & all;
  if (inside.isNull()) {
    s.set(all, color);
    return;
  }
  const zcUIRect bands[4] = {
      zcUIRect(0, 0, size.x(), inside.top()),
      zcUIRect(0, inside.bottom(), size.x(), size.y() - inside.bottom()),
      zcUIRect(0, inside.top(), inside.left(), inside.height()),
      zcUIRect(inside.right(), inside.top(), size.x() - inside.right(), inside.height()),
  };
  for (const zcUIRect& band : bands)
    if (!band.isNull()) s.set(band, color);
}
}  // namespace

void zcUITablet::setComplement(const zcUIRect& rect, const zcColor& color, Layers layer) {
  if (okToDraw(layer)) setOutside(P::scope(*this, layer), rect, color);
  if (recordOn_) P::recordDefault<zc_UISketchOpSetComp>(*this, layer, color, true, rect, zcRect());
}

void zcUITablet::setComplement(const zcRect& rect, const zcColor& color, Layers layer) {
  if (okToDraw(layer)) setOutside(P::scope(*this, layer), P::pixelRect(*this, rect), color);
  if (recordOn_) P::recordDefault<zc_UISketchOpSetComp>(*this, layer, color, false, zcUIRect(), rect);
}

void zcUITablet::fill(const zcPoint& p, const zcColor& fill, const zcColor& boundary, FillType type,
                      Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).fill(scopeCoords(p), fill, boundary, type == eFillType0);
  if (recordOn_) P::recordColor<zc_UISketchOpFill>(*this, layer, P::colorProps(P::defaultColor(), true), fill, false, zcPair<long>(), p, boundary,
                                             static_cast<std::int32_t>(type));
}

void zcUITablet::fill(const zcPair<long>& p, const zcColor& fill, const zcColor& boundary, FillType type,
                      Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).fill(p, fill, boundary, type == eFillType0);
  if (recordOn_) P::recordColor<zc_UISketchOpFill>(*this, layer, P::colorProps(P::defaultColor(), true), fill, true, p, zcPoint(), boundary,
                                             static_cast<std::int32_t>(type));
}

namespace {
// The frames of outline3D on a pixel rectangle.
void paintOutline(zcUITablet& t, const zcUIRect& r, const zcColor& light, const zcColor& dark, long width,
                  Layers layer) {
  if (!t.okToDraw(layer)) return;
  zcUIScope& s = P::scope(t, layer);
  const zcGraphicProps lightPen = P::colorProps(light), darkPen = P::colorProps(dark);
  s.drawStart(zcPoint(static_cast<double>(r.left()), static_cast<double>(r.top())));
  P::Compound compound(t, layer);
  // A frame shows only where one of its four edges crosses the scope: frame i has its
  // edges at left + i, right - i, top + i and bottom - i. The frames between those
  // ranges are passed over with one move, so a huge width costs no more than the
  // scope's size.
  const zcPair<long> size = s.size();
  const long x0 = s.origin().x(), y0 = s.origin().y(), x1 = x0 + size.x() - 1, y1 = y0 + size.y() - 1;
  const long right = r.left() + r.width() - 1, bottom = r.top() + r.height() - 1;
  const std::pair<long, long> shown[] = {{x0 - r.left(), x1 - r.left()},
                                         {right - x1, right - x0},
                                         {y0 - r.top(), y1 - r.top()},
                                         {bottom - y1, bottom - y0}};
  const auto nextShown = [&](long i) {
    long next = LONG_MAX;
    for (const auto& [lo, hi] : shown)
      if (hi >= i) next = std::min(next, std::max(lo, i));
    return next;
  };
  for (long i = 0; i < width; ++i) {
    const long next = nextShown(i);
    if (next > i) {  // frames that do not show
      if (next >= width) break;
      s.moveToRel(next - i, next - i);
      i = next;
    }
    const long w = r.width() - 1 - 2 * i, h = r.height() - 1 - 2 * i;
    if (w < 1 || h < 1) break;
    s.drawToRelPels(w, 0, lightPen);
    s.drawToRelPels(0, h, darkPen);
    s.drawToRelPels(-w, 0, darkPen);
    s.drawToRelPels(0, -h, lightPen);
    s.moveToRel(1, 1);
  }
}
}  // namespace

void zcUITablet::outline3D(const zcUIRect& rect, const zcColor& light, const zcColor& dark, long width,
                           Layers layer) {
  paintOutline(*this, rect, light, dark, width, layer);
  if (recordOn_) P::recordDefault<zc_UISketchOpOutline3d>(*this, layer, zcColor(0), true, rect, zcRect(), light,
                                                 dark, static_cast<std::int32_t>(width));
}

void zcUITablet::outline3D(const zcRect& rect, const zcColor& light, const zcColor& dark, long width,
                           Layers layer) {
  paintOutline(*this, P::pixelRect(*this, rect), light, dark, width, layer);
  if (recordOn_) P::recordDefault<zc_UISketchOpOutline3d>(*this, layer, zcColor(0), false, zcUIRect(), rect, light,
                                                 dark, static_cast<std::int32_t>(width));
}

void zcUITablet::outline(const zcUIRect& rect, const zcColor& color, long width, Layers layer) {
  outline3D(rect, color, color, width, layer);
}

void zcUITablet::outline(const zcRect& rect, const zcColor& color, long width, Layers layer) {
  outline3D(rect, color, color, width, layer);
}

void zcUITablet::drawClipRect(const zcRect& rect, Layers layer) {
  if (layer < eImage || layer > eBothLayers) throw zcUIError::BadLayer();
  if (layer != eOverlay) clipRects_[eImage] = rect;
  if (layer != eImage) clipRects_[eOverlay] = rect;
  if (recordOn_) P::recordDefault<zc_UISketchOpClipRect>(*this, layer, P::defaultColor(), rect);
  double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
  for (const zcPoint& c : {rect.ul(), rect.ur(), rect.lr(), rect.ll()}) {
    const zcPoint m = scaledMap_.mapPoint(c);
    lo[0] = std::min(lo[0], m.x());
    lo[1] = std::min(lo[1], m.y());
    hi[0] = std::max(hi[0], m.x());
    hi[1] = std::max(hi[1], m.y());
  }
  const long x0 = zfIFloor(lo[0]), y0 = zfIFloor(lo[1]);
  const zcUIRect pixels(x0, y0, zfICeil(hi[0]) - x0, zfICeil(hi[1]) - y0);
  for (Layers l : {eImage, eOverlay}) {
    if (layer != eBothLayers && layer != l) continue;
    if (okToDraw(l)) P::scope(*this, l).setDisplayClipRect(pixels);
  }
}

// --- Icons ---------------------------------------------------------------------------------

zcRLEBuffer zcUITablet::makeIcon(const wchar_t* pattern, const std::vector<unsigned char>& colorMap) {
  if (!pattern || !*pattern) throw zcUIError::BadIconPattern();
  const wchar_t separator = pattern[0];
  auto isCell = [](wchar_t c) { return (c >= L'0' && c <= L'9') || c == L'+' || c == L'.' || c == L' '; };
  long width = -1, rows = 0, cells = 0;
  const wchar_t* p = pattern + 1;
  for (;; ++p) {
    const wchar_t c = *p;
    if (c == separator || (c == 0 && cells > 0)) {
      if (width < 0) width = cells;
      if (cells != width) throw zcUIError::BadIconPattern();
      ++rows;
      cells = 0;
      if (c == 0) break;
      continue;
    }
    if (c == 0) break;
    if (!isCell(c)) throw zcUIError::BadIconPattern();
    ++cells;
  }
  if (width < 0) width = 0;
  const unsigned char pass = zcColor::passColor().index();
  zcPelBuffer<unsigned char> pels(width, rows);
  long x = 0, y = 0;
  for (const wchar_t* q = pattern + 1; *q && y < rows; ++q) {
    const wchar_t c = *q;
    if (c == separator) {
      x = 0;
      ++y;
      continue;
    }
    unsigned char value = pass;
    if (c >= L'0' && c <= L'9') {
      const std::size_t digit = static_cast<std::size_t>(c - L'0');
      value = digit < colorMap.size() ? colorMap[digit] : static_cast<unsigned char>(digit);
    }
    pels.set(x++, y, value);
  }
  return zcRLEBuffer::encode(pels);
}

const zcRLEBuffer& zcUITablet::pointIcon() {
  static const bool built = (pointIcon_ = makeIcon(pointIconData_, {0}), true);
  (void)built;
  return pointIcon_;
}

// --- Shape dispatch ------------------------------------------------------------------------

namespace {
template <class S>
bool drawAs(zcUITablet& t, const zcShape& shape, const zcGraphicProps& props, Layers layer) {
  const S* s = dynamic_cast<const S*>(&shape);
  if (!s) return false;
  t.draw(*s, props, layer);
  return true;
}
}  // namespace

void zcUITablet::draw(const zcShape& shape, const zcGraphicProps& props, Layers layer) {
  if (const auto* mapped = dynamic_cast<const zcMappedShape*>(&shape)) {
    if (!mapped->shape()) throw zcBadPointer(L"a mapped shape without its shape");
    const zcShapePtr image = mapped->mapped();
    draw(*image, props, layer);
    return;
  }
  if (const auto* tree = dynamic_cast<const zcShapeTree*>(&shape)) {
    for (long i = 0; i < tree->numChildren(); ++i) {
      const zcShapePtr& child = tree->child(i);
      if (!child) throw zcBadPointer(L"a shape tree with an empty child");
      draw(*child, props, layer);
    }
    return;
  }
  if (const auto* generic = dynamic_cast<const zcGenShape*>(&shape)) {
    draw(*generic, props.penColor(), layer);
    return;
  }
  if (const auto* fline = dynamic_cast<const zcFLine*>(&shape)) {
    draw(zcLine(fline->direction(), fline->point()), props, layer);
    return;
  }
  if (const auto* annulus = dynamic_cast<const zcEllipseAnnulus*>(&shape)) {
    draw(zcGenShape(*annulus), props.penColor(), layer);
    return;
  }
  if (const auto* spline = dynamic_cast<const zcCubicSpline*>(&shape)) {
    // Interpolating, Hermite and de Boor splines draw as their chain of pieces.
    draw(spline->cubicSpline(), props, layer);
    return;
  }
  if (drawAs<zc2Point>(*this, shape, props, layer) || drawAs<zcLineSeg>(*this, shape, props, layer) ||
      drawAs<zcLine>(*this, shape, props, layer) || drawAs<zcPointSet>(*this, shape, props, layer) ||
      drawAs<zcLineSegSet>(*this, shape, props, layer) || drawAs<zcPolygon>(*this, shape, props, layer) ||
      drawAs<zcPolyline>(*this, shape, props, layer) || drawAs<zcCross>(*this, shape, props, layer) ||
      drawAs<zcCoordAxes>(*this, shape, props, layer) || drawAs<zcRect>(*this, shape, props, layer) ||
      drawAs<zcCircle>(*this, shape, props, layer) || drawAs<zcEllipse>(*this, shape, props, layer) ||
      drawAs<zcEllipse2>(*this, shape, props, layer) || drawAs<zcEllipseArc>(*this, shape, props, layer) ||
      drawAs<zcEllipseArc2>(*this, shape, props, layer) || drawAs<zcAnnulus>(*this, shape, props, layer) ||
      drawAs<zcEllipseAnnulusSection>(*this, shape, props, layer) ||
      drawAs<zcGenRect>(*this, shape, props, layer) || drawAs<zcGenAnnulus>(*this, shape, props, layer) ||
      drawAs<zcAffineRectangle>(*this, shape, props, layer) || drawAs<zcBezierCurve>(*this, shape, props, layer) ||
      drawAs<zc2Wireframe>(*this, shape, props, layer) || drawAs<zcGenPoly>(*this, shape, props, layer))
    return;
  throw zcUIError::NotImplemented();
}

// --- Sketch replay -------------------------------------------------------------------------

namespace {
// Sketches nest through Sketch operations; replay refuses nesting deeper than this.
constexpr int kMaxReplayDepth = 64;
thread_local int gReplayDepth = 0;

class ReplayDepth {
public:
  ReplayDepth() {
    if (gReplayDepth >= kMaxReplayDepth) throw zcUIError::InvalidUISketch();
    ++gReplayDepth;
  }
  ~ReplayDepth() { --gReplayDepth; }
  ReplayDepth(const ReplayDepth&) = delete;
  ReplayDepth& operator=(const ReplayDepth&) = delete;
};
}  // namespace

void zcUITablet::draw(const zcUISketch& sketch, const zcPoint& offset, Layers layer) {
  if (sketch.isNull()) return;
  if (layer < eImage || layer > eBothLayers) throw zcUIError::BadLayer();
  if (drawOn_) {
    const ReplayDepth depth;
    // Everything below is undone on the way out, exceptions included.
    const zcXform<2> savedMap = scaledMap_;
    const zcPair<long> savedDrag = dragDel_;
    P::NoRecording quiet(*this);
    P::Compound compound(*this, layer);
    zcUIScope* optimized[2] = {nullptr, nullptr};
    struct Restore {
      zcUITablet& t;
      const zcXform<2>& map;
      const zcPair<long>& drag;
      zcUIScope** optimized;
      ~Restore() {
        P::restoreMap(t, map, drag);
        for (int l = 0; l < 2; ++l)
          if (optimized[l]) optimized[l]->optimizeDrawing(false);
      }
    } restore{*this, savedMap, savedDrag, optimized};
    scaledMap_ = scaledMap_ * zcXform<2>(zcMatrix<2>(1, 0, 0, 1), offset);
    for (Layers l : {eImage, eOverlay}) {
      if ((layer == l || layer == eBothLayers) && drawScope_[l]) {
        drawScope_[l]->optimizeDrawing(true);
        optimized[l] = drawScope_[l];
      }
    }
    for (zcUISketchCursor walk(sketch); !walk.atEnd();) {
      const zc_UISketchOpData& record = walk.next();
      zc_UISketchOpHeader& header = walk.header();
      if (header.layer() == eBothLayers) header.layer(layer);
      if (layer == eBothLayers || header.layer() == layer) record.draw(*this, header);
    }
  }
  if (!recordOn_) return;
  if (&sketch == &sketch_) {
    // The tablet's own sketch: its bytes as they were before this operation.
    const zcUISketch before(sketch);
    P::recordDefault<zc_UISketchOpSketch>(*this, layer, zcColor(0), before, offset);
  } else {
    P::recordDefault<zc_UISketchOpSketch>(*this, layer, zcColor(0), sketch, offset);
  }
}

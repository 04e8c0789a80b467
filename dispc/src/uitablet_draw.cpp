// The drawing calls that paint through one scope slot each, and their color forms.
#include "dispc/uitablet.h"

#include "uitablet_private.h"

#include <cmath>

namespace {
using P = zcUITabletPrivate;
using Layers = zcUITabletEnums::Layers;

zcPoint pointOf(const zcPair<double>& p) { return zcPoint(p.x(), p.y()); }
}  // namespace

// --- Points --------------------------------------------------------------------------------

void zcUITablet::draw(const zcPoint& p, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    zcPoint mapped;
    P::scope(*this, layer).draw(P::resolve(*this, p, layer, mapped), props);
  }
  if (recordOn_) P::record<zc_UISketchOpPoint>(*this, layer, props, p);
}

void zcUITablet::draw(const zc2Point& p, const zcGraphicProps& props, Layers layer) { draw(p.point(), props, layer); }

void zcUITablet::draw(const zcPoint& p, const zcColor& color, Layers layer) { draw(p, P::colorProps(color), layer); }

void zcUITablet::drawPixel(const zcPair<double>& p, const zcColor& color, Layers layer) {
  draw(pointOf(p), color, layer);
}

void zcUITablet::drawPointIcon(const zcPoint& p, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    zcPoint mapped;
    const zcPoint& at = P::resolve(*this, p, layer, mapped);
    const std::vector<zcColor> colors = {props.penColor()};
    P::scope(*this, layer).draw(pointIcon(), at - zcVector<2>(6, 6), colors, true, zcColor::passColor().index());
  }
  if (recordOn_) P::record<zc_UISketchOpPointIcon>(*this, layer, props, p);
}

void zcUITablet::drawPointIcon(const zcPoint& p, const zcColor& color, Layers layer) {
  drawPointIcon(p, P::colorProps(color), layer);
}

// --- Lines ---------------------------------------------------------------------------------

// Flat: the whole recording path inlined (see paintAndRecord).
[[gnu::flatten]] void zcUITablet::draw(const zcLineSeg& seg, const zcGraphicProps& props, Layers layer) {
  P::drawSegment(*this, seg, props, layer);
}

void zcUITablet::draw(const zcLineSeg& seg, const zcColor& color, Layers layer) {
  draw(seg, P::colorProps(color), layer);
}

void zcUITablet::drawLineSeg(const zcPair<double>& p1, const zcPair<double>& p2, const zcColor& color,
                             Layers layer) {
  draw(zcLineSeg(pointOf(p1), pointOf(p2)), color, layer);
}

void zcUITablet::draw(const zcLine& line, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    zcUIScope& s = P::scope(*this, layer);
    const zcLine mapped = line.map(scaledMap_);
    const zcPair<long> size = s.size();
    // The scope's rectangle in screen pixels, each edge half a pixel further out.
    const double lo[2] = {static_cast<double>(s.origin().x()) - 0.5, static_cast<double>(s.origin().y()) - 0.5};
    const double hi[2] = {static_cast<double>(s.origin().x() + size.x()) + 0.5,
                          static_cast<double>(s.origin().y() + size.y()) + 0.5};
    const double p[2] = {mapped.point().x(), mapped.point().y()};
    const double d[2] = {mapped.dir().x(), mapped.dir().y()};
    double t0 = -HUGE_VAL, t1 = HUGE_VAL;
    bool inside = true;
    for (int axis = 0; axis < 2 && inside; ++axis) {
      if (std::abs(d[axis]) <= 1e-12) {
        // Parallel to these edges: inside between them or nowhere.
        inside = p[axis] >= lo[axis] && p[axis] <= hi[axis];
        continue;
      }
      double a = (lo[axis] - p[axis]) / d[axis], b = (hi[axis] - p[axis]) / d[axis];
      if (a > b) std::swap(a, b);
      t0 = std::max(t0, a);
      t1 = std::min(t1, b);
    }
    if (inside && t0 <= t1 && std::isfinite(t0) && std::isfinite(t1)) {
      s.drawStart(mapped.point() + mapped.dir() * t0);
      s.drawTo(mapped.point() + mapped.dir() * t1, props);
    }
  }
  if (recordOn_) P::record<zc_UISketchOpLine>(*this, layer, props, line);
}

void zcUITablet::draw(const zcLine& line, const zcColor& color, Layers layer) {
  draw(line, P::colorProps(color), layer);
}

void zcUITablet::drawLine(const zcPair<double>& point, zcRadian angle, const zcColor& color, Layers layer) {
  draw(zcLine(pointOf(point), angle), color, layer);
}

void zcUITablet::draw(const zcPolygon& polygon, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).draw(polygon.map(scaledMap_), props);
  if (recordOn_) P::record<zc_UISketchOpPolygon>(*this, layer, props, polygon);
}

void zcUITablet::draw(const zcPolygon& polygon, const zcColor& color, Layers layer) {
  draw(polygon, P::colorProps(color), layer);
}

void zcUITablet::drawPolygon(const std::vector<zcPoint>& vertices, zcPolygon::PolyFillMode mode,
                             const zcColor& color, Layers layer) {
  draw(zcPolygon(vertices, mode), color, layer);
}

// Flat: the whole recording path inlined (see paintAndRecord).
[[gnu::flatten]] void zcUITablet::draw(const zcPolyline& polyline, const zcGraphicProps& props, Layers layer) {
  P::paintAndRecord(
      *this, layer,
      [](zcUITablet& t, Layers layer, const zcPolyline& polyline, const zcGraphicProps& props) {
        P::scope(t, layer).draw(polyline.map(t.scaledMap_), props);
      },
      [](auto how, zcUITablet& t, Layers layer, const zcPolyline& polyline, const zcGraphicProps& props) {
        return P::record<zc_UISketchOpPolyline>(how, t, layer, props, polyline);
      },
      polyline, props);
}

// --- Conics --------------------------------------------------------------------------------

// Flat: the whole recording path inlined (see paintAndRecord).
[[gnu::flatten]] void zcUITablet::draw(const zcCircle& circle, const zcGraphicProps& props, Layers layer) {
  // Painted as its ellipse; a tablet that only records builds none.
  P::paintAndRecord(
      *this, layer,
      [](zcUITablet& t, Layers layer, const zcCircle& circle, const zcGraphicProps& props) {
        P::scope(t, layer).draw(zcEllipse(circle).map(t.scaledMap_), props);
      },
      [](auto how, zcUITablet& t, Layers layer, const zcCircle& circle, const zcGraphicProps& props) {
        return P::recordFilled<zc_UISketchOpCircle>(how, t, layer, props, circle);
      },
      circle, props);
}

void zcUITablet::draw(const zcCircle& circle, const zcColor& color, bool fill, Layers layer) {
  draw(circle, P::colorProps(color, fill), layer);
}

void zcUITablet::drawCircle(const zcPair<double>& center, double radius, const zcColor& color, Layers layer,
                            bool fill) {
  draw(zcCircle(pointOf(center), radius), color, fill, layer);
}

void zcUITablet::draw(const zcEllipse& ellipse, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).draw(ellipse.map(scaledMap_), props);
  if (recordOn_) P::recordFilled<zc_UISketchOpEllipse>(*this, layer, props, ellipse);
}

void zcUITablet::draw(const zcEllipse& ellipse, const zcColor& color, bool fill, Layers layer) {
  draw(ellipse, P::colorProps(color, fill), layer);
}

void zcUITablet::drawEllipse(const zcPair<double>& center, const zcPair<double>& radii, zcRadian rotation,
                             const zcColor& color, Layers layer, bool fill) {
  draw(zcEllipse(pointOf(center), radii.x(), radii.y(), rotation), color, fill, layer);
}

void zcUITablet::draw(const zcEllipseArc& arc, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).draw(arc.map(scaledMap_), props);
  if (recordOn_) P::record<zc_UISketchOpEllipseArc>(*this, layer, props, arc);
}

void zcUITablet::draw(const zcEllipseArc& arc, const zcColor& color, Layers layer) {
  draw(arc, P::colorProps(color), layer);
}

void zcUITablet::drawEllipseArc(const zcPair<double>& center, const zcPair<double>& radii, zcRadian rotation,
                                zcRadian start, zcRadian span, const zcColor& color, Layers layer) {
  draw(zcEllipseArc(zcEllipse(pointOf(center), radii.x(), radii.y(), rotation), start, span), color, layer);
}

void zcUITablet::draw(const zcEllipse2& ellipse, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).draw(ellipse.map(scaledMap_), props);
  if (recordOn_) P::record<zc_UISketchOpEllipse2>(*this, layer, props, ellipse);
}

void zcUITablet::draw(const zcEllipseArc2& arc, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).draw(arc.map(zcXform<2>(scaledMap_.matrix(), zcVector<2>())), props);
  if (recordOn_) P::record<zc_UISketchOpEllipseArc2>(*this, layer, props, arc);
}

// --- Rectangles ----------------------------------------------------------------------------

void zcUITablet::draw(const zcGenRect& rect, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    zcUIScope& s = P::scope(*this, layer);
    P::Compound compound(*this, layer);
    const zcVector<2> f = rect.roundFractions();
    if (f.x() == 0.0 && f.y() == 0.0) {
      std::array<zcPoint, 4> c = rect.corners();
      for (zcPoint& p : c) p = scaledMap_.mapPoint(p);
      if (props.fill()) {
        s.draw(zcPolygon(std::vector<zcPoint>(c.begin(), c.end())), props);
      } else {
        s.drawStart(c[0]);
        for (int i = 1; i <= 4; ++i) s.drawTo(c[i % 4], props);
      }
    } else if (rect.isEllipse()) {
      s.draw(zcEllipse(zcEllipse::zcEllipseGeom::fromUnitXform(scaledMap_ * rect.unitXform())), props);
    } else {
      s.draw(rect.map(scaledMap_), props);
    }
  }
  if (recordOn_) P::recordFilled<zc_UISketchOpGenRect>(*this, layer, props, rect);
}

void zcUITablet::draw(const zcGenRect& rect, const zcColor& color, bool fill, Layers layer) {
  draw(rect, P::colorProps(color, fill), layer);
}

void zcUITablet::drawGenRect(const zcPair<double>& center, const zcPair<double>& halfSizes, zcRadian orient,
                             const zcPair<double>& round, const zcColor& color, Layers layer, bool fill) {
  draw(zcGenRect(zcVector<2>(center.x(), center.y()), zcVector<2>(halfSizes.x(), halfSizes.y()), orient,
                 zcVector<2>(round.x(), round.y())),
       color, fill, layer);
}

// Flat: the whole recording path inlined (see paintAndRecord).
[[gnu::flatten]] void zcUITablet::draw(const zcRect& rect, const zcGraphicProps& props, Layers layer) {
  P::paintAndRecord(
      *this, layer,
      [](zcUITablet& t, Layers layer, const zcRect& rect, const zcGraphicProps& props) {
        zcUIScope& s = P::scope(t, layer);
        const zcXform<2>& map = t.scaledMap_;
        const zcPoint c[4] = {map.mapPoint(rect.ul()), map.mapPoint(rect.ur()), map.mapPoint(rect.lr()),
                              map.mapPoint(rect.ll())};
        if (props.fill()) {
          s.draw(zcPolygon(std::vector<zcPoint>(c, c + 4)), props);
        } else {
          P::Compound compound(t, layer);
          s.drawStart(c[0]);
          for (int i = 1; i <= 4; ++i) s.drawTo(c[i % 4], props);
        }
      },
      [](auto how, zcUITablet& t, Layers layer, const zcRect& rect, const zcGraphicProps& props) {
        return P::record<zc_UISketchOpRect>(how, t, layer, props, rect);
      },
      rect, props);
}

void zcUITablet::draw(const zcRect& rect, const zcColor& color, bool fill, Layers layer) {
  draw(rect, P::colorProps(color, fill), layer);
}

void zcUITablet::drawRect(const zcPair<double>& corner, const zcPair<double>& size, const zcColor& color,
                          Layers layer, bool fill) {
  draw(zcRect(corner.x(), corner.y(), size.x(), size.y()), color, fill, layer);
}

void zcUITablet::draw(const zcAffineRectangle& rect, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    const zcPoint c[5] = {rect.cornerPo(), rect.cornerPx(), rect.cornerOpposite(), rect.cornerPy(), rect.cornerPo()};
    std::vector<zcPoint> mapped;
    for (const zcPoint& p : c) mapped.push_back(scaledMap_.mapPoint(p));
    P::scope(*this, layer).draw(zcPolygon(std::move(mapped)), props);
  }
  if (recordOn_) P::record<zc_UISketchOpAffineRect>(*this, layer, props, rect);
}

void zcUITablet::draw(const zcAffineRectangle& rect, const zcColor& color, Layers layer) {
  draw(rect, P::colorProps(color), layer);
}

void zcUITablet::drawAffineRect(const zcPair<double>& origin, const zcPair<double>& xCorner,
                                const zcPair<double>& yCorner, const zcColor& color, Layers layer) {
  draw(zcAffineRectangle(pointOf(origin), pointOf(xCorner), pointOf(yCorner)), color, layer);
}

// --- Generic shapes ------------------------------------------------------------------------

void zcUITablet::draw(const zcGenShape& shape, const zcColor& color, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).draw(shape.map(scaledMap_), color);
  if (!recordOn_) return;
  // The rectangle is the pixel box of the shape under the current map.
  zcUIRect box;
  if (!shape.isEmpty() && shape.isFinite()) {
    const zcRect b = shape.boundingBox();
    if (!b.isEmpty()) {
      zcPoint lo(HUGE_VAL, HUGE_VAL), hi(-HUGE_VAL, -HUGE_VAL);
      for (const zcPoint& c : {b.ul(), b.ur(), b.lr(), b.ll()}) {
        const zcPoint m = scaledMap_.mapPoint(c);
        lo = zcPoint(std::min(lo.x(), m.x()), std::min(lo.y(), m.y()));
        hi = zcPoint(std::max(hi.x(), m.x()), std::max(hi.y(), m.y()));
      }
      const long x0 = zcUIScope::floorTol(lo.x()), y0 = zcUIScope::floorTol(lo.y());
      box = zcUIRect(x0, y0, zcUIScope::ceilTol(hi.x()) - x0, zcUIScope::ceilTol(hi.y()) - y0);
    }
  }
  if (recordOn_) P::record<zc_UISketchOpGenShape>(*this, layer, P::colorProps(color), color, box, shape.bytes());
}

// --- Text ----------------------------------------------------------------------------------

// Flat: the whole recording path inlined (see paintAndRecord).
[[gnu::flatten]] void zcUITablet::draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground,
                      const zcColor& background, const zcUIFormat& format, Layers layer) {
  P::paintAndRecord(
      *this, layer,
      [](zcUITablet& t, Layers layer, const std::wstring& text, const zcPoint& pos, const zcColor& foreground,
         const zcColor& background, const zcUIFormat& format) {
        zcPoint mapped;
        P::scope(t, layer).draw(text, P::resolve(t, pos, layer, mapped), foreground, background, format);
      },
      [](auto how, zcUITablet& t, Layers layer, const std::wstring& text, const zcPoint& pos,
         const zcColor& foreground, const zcColor& background, const zcUIFormat& format) {
        return P::recordDefault<zc_UISketchOpUnicodeString>(how, t, layer, foreground, text, pos, background, format);
      },
      text, pos, foreground, background, format);
}

void zcUITablet::textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format, zcUIRect& out,
                          Layers layer) {
  out = zcUIRect::null;
  if (layer != eImage && layer != eOverlay) throw zcUIError::BadLayer();
  if (!drawScope_[layer]) return;
  zcPoint mapped;
  drawScope_[layer]->textRect(text, P::resolve(*this, pos, layer, mapped), format, out);
}

// --- Strokes from the drawing point --------------------------------------------------------

void zcUITablet::drawStart(const zcPoint& p, Layers layer) {
  if (okToDraw(layer)) {
    zcPoint mapped;
    zcUIScope& s = P::scope(*this, layer);
    s.drawStart(P::resolve(*this, p, layer, mapped));
  }
  if (recordOn_) P::recordDefault<zc_UISketchOpDrawStart>(*this, layer, zcColor(0), p);
}

void zcUITablet::drawTo(const zcPoint& p, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) {
    zcPoint mapped;
    P::scope(*this, layer).drawTo(P::resolve(*this, p, layer, mapped), props);
  }
  if (recordOn_) P::record<zc_UISketchOpDrawTo>(*this, layer, props, p);
}

void zcUITablet::drawTo(const zcPoint& p, const zcColor& color, Layers layer) {
  drawTo(p, P::colorProps(color), layer);
}

void zcUITablet::drawToRelPels(long dx, long dy, const zcGraphicProps& props, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).drawToRelPels(dx, dy, props);
  if (recordOn_) P::record<zc_UISketchOpDrawToRelPels>(*this, layer, props, static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy));
}

void zcUITablet::drawToRelPels(long dx, long dy, const zcColor& color, Layers layer) {
  drawToRelPels(dx, dy, P::colorProps(color), layer);
}

void zcUITablet::drawToRelPels(const zcVector<2>& dir, float length, const zcGraphicProps& props, Layers layer) {
  const zcPair<long> step = P::pixelStep(*this, dir, length);
  drawToRelPels(step.x(), step.y(), props, layer);
}

void zcUITablet::drawToRelPels(const zcVector<2>& dir, float length, const zcColor& color, Layers layer) {
  drawToRelPels(dir, length, P::colorProps(color), layer);
}

void zcUITablet::moveToRelPels(long dx, long dy, Layers layer) {
  if (okToDraw(layer)) P::scope(*this, layer).moveToRel(dx, dy);
  if (recordOn_) P::recordDefault<zc_UISketchOpMoveToRelPels>(*this, layer, zcColor(0), static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy));
}

void zcUITablet::moveToRelPels(const zcVector<2>& dir, float length, Layers layer) {
  const zcPair<long> step = P::pixelStep(*this, dir, length);
  moveToRelPels(step.x(), step.y(), layer);
}

// --- Images --------------------------------------------------------------------------------

namespace {
// The scale the scaled map applies (what the image slots get): the factors under
// eMagnify; under eReduce their reciprocals when both exceed 1, else the factors.
zcPair<double> displayScale(const zcUITablet& t) {
  const zcPair<double>& f = t.scaleExact();
  if (t.scaleMode() == zcUITabletEnums::eReduce && f.x() > 1.0 && f.y() > 1.0)
    return zcPair<double>(1.0 / f.x(), 1.0 / f.y());
  return f;
}

// The plain, magnifying or reducing slot of a pel type, by the tablet's scale mode.
// An image without pels paints nothing (it is still recorded). `flag` is the image
// call's second flag (false for the kinds that have none).
template <class T, class Plain>
void paintImage(zcUITablet& t, Layers layer, const zcPelBuffer_const<T>& image, const zcPoint& pos, bool pass,
                T value, bool flag, Plain&& plain) {
  // An image without pels paints nothing.
  if (image.width() == 0 || image.height() == 0 || !t.okToDraw(layer)) return;
  zcPoint mapped;
  zcUIScope& s = P::scope(t, layer);
  const zcPoint& at = P::resolve(t, pos, layer, mapped);
  if (t.scaleMode() == zcUITabletEnums::eMagnify) {
    s.drawMagnified(image, at, displayScale(t), pass, value, flag, t.interpolation());
  } else if (t.scaleMode() == zcUITabletEnums::eReduce) {
    s.drawReduced(image, at, displayScale(t), pass, value, flag);
  } else {
    plain(s, at);
  }
}
}  // namespace

void zcUITablet::draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
                      unsigned char passValue, bool flag, Layers layer) {
  paintImage(*this, layer, image, pos, passThrough, passValue, flag,
             [&](zcUIScope& s, const zcPoint& at) { s.draw(image, at, passThrough, passValue, flag); });
  if (recordOn_)
    P::recordDefault<zc_UISketchOpPelBuf8>(*this, layer, zcColor(0), image, pos, passThrough, passValue, flag);
}

void zcUITablet::draw(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos, bool passThrough,
                      unsigned short passValue, Layers layer) {
  paintImage(*this, layer, image, pos, passThrough, passValue, false,
             [&](zcUIScope& s, const zcPoint& at) { s.draw(image, at, passThrough, passValue); });
}

void zcUITablet::draw(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos, bool passThrough,
                      zcPackedRGB16 passValue, Layers layer) {
  paintImage(*this, layer, image, pos, passThrough, passValue, false,
             [&](zcUIScope& s, const zcPoint& at) { s.draw(image, at, passThrough, passValue); });
}

void zcUITablet::draw(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos, bool passThrough,
                      zcPackedRGB32 passValue, Layers layer) {
  paintImage(*this, layer, image, pos, passThrough, passValue, false,
             [&](zcUIScope& s, const zcPoint& at) { s.draw(image, at, passThrough, passValue); });
}

void zcUITablet::draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                      bool passThrough, unsigned char passValue, bool flag, Layers layer) {
  if (image.width() > 0 && image.height() > 0 && okToDraw(layer)) {
    zcPoint mapped;
    zcUIScope& s = P::scope(*this, layer);
    const zcPoint& at = P::resolve(*this, pos, layer, mapped);
    if (scaleMode_ == eMagnify) {
      s.expand(image, at, colorMap, displayScale(*this), passThrough, passValue, flag, interpolation_);
    } else if (scaleMode_ == eReduce) {
      s.sample(image, at, colorMap, displayScale(*this), passThrough, passValue, flag);
    } else {
      s.draw(image, at, colorMap, passThrough, passValue, flag);
    }
  }
  if (recordOn_)
    P::recordDefault<zc_UISketchOpRleBuf>(*this, layer, zcColor(0), image, pos, colorMap, passThrough, passValue, flag);
}

// encloseRect: a sketch replayed on a probe tablet whose scope measures instead of
// painting.
#include "dispc/uitablet.h"

#include "uitablet_private.h"

#include "zfound/conics.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/rle.h"
#include "zfound/trees.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr long kMaxPenWidth = 4096;

// A scope that stands in for a real one (same origin and size, its text measured by
// the real scope) and, instead of painting, adds to its client change rectangle the
// pixel box that each painting call could reach: a stroke's geometry grown by the
// pen's reach (half the width, five widths for mitred joins) plus 1.5 pixels for
// pixel snapping, rounded outward.
class zc_MeasureScope final : public zcUIScope {
public:
  explicit zc_MeasureScope(zcUIScope& real) : zcUIScope(real.origin()), real_(real) { clientChangeEnable(true); }

  void moved(const zcUIScope&, const zcUIRect&) override {}
  zcUIScope* makeKidScope(const zcUIRect&, bool) override { return nullptr; }
  void dragStart() override {}
  void dragStop() override {}
  void dragErase() override {}
  void dragAnimate(bool) override {}

  void draw(const zcGenShape& shape, const zcColor&) override { stroke(shape.boundingBox(), 1, false); }
  void draw(const zcEllipseArc& arc, const zcGraphicProps& props) override {
    zcRect box = arc.boundingBox();
    if (props.fill()) box.enclose(zcPoint(arc.geom().unitXform().trans()));
    stroke(box, props);
  }
  void draw(const zcEllipse& e, const zcGraphicProps& props) override { stroke(e.boundingBox(), props); }
  void draw(const zcPolygon& p, const zcGraphicProps& props) override { stroke(p.boundingBox(), props); }
  void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<zcColor>&, bool, unsigned char) override {
    pels(pos, image.width(), image.height(), 1.0, 1.0);
  }
  void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>&, bool, unsigned char,
            bool) override {
    pels(pos, image.width(), image.height(), 1.0, 1.0);
  }
  void draw(const zcPelBuffer_const<zcPackedRGB32>& i, const zcPoint& pos, bool, zcPackedRGB32) override {
    pels(pos, i.width(), i.height(), 1.0, 1.0);
  }
  void draw(const zcPelBuffer_const<zcPackedRGB16>& i, const zcPoint& pos, bool, zcPackedRGB16) override {
    pels(pos, i.width(), i.height(), 1.0, 1.0);
  }
  void draw(const zcPelBuffer_const<unsigned short>& i, const zcPoint& pos, bool, unsigned short) override {
    pels(pos, i.width(), i.height(), 1.0, 1.0);
  }
  void draw(const zcPelBuffer_const<unsigned char>& i, const zcPoint& pos, bool, unsigned char, bool) override {
    pels(pos, i.width(), i.height(), 1.0, 1.0);
  }
  void draw(const std::wstring& text, const zcPoint& pos, const zcColor&, const zcColor&,
            const zcUIFormat& format) override {
    zcUIRect box;
    textRect(text, pos, format, box);
    collectClientChange(box);
  }
  void draw(const zcPolyline& p, const zcGraphicProps& props) override { stroke(p.boundingBox(), props); }
  void draw(const zcGenRect& r, const zcGraphicProps& props) override { stroke(r.boundingBox(), props); }
  void draw(const zcEllipseArc2& arc, const zcGraphicProps& props) override {
    zcRect box = arc.boundingBox();
    if (props.fill()) box.enclose(zcPoint(arc.ellFromUnitCirc().trans()));
    stroke(box, props);
  }
  void draw(const zcEllipse2& e, const zcGraphicProps& props) override { stroke(e.boundingBox(), props); }
  void draw(const zcLineSeg& s, const zcGraphicProps& props) override { stroke(s.boundingBox(), props); }
  void draw(const zcPoint& p, const zcGraphicProps& props) override {
    const long w = width(props);
    collectClientChange(zcUIRect(xCoord(p) - (w - 1) / 2, yCoord(p) - (w - 1) / 2, w, w));
  }
  void textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format, zcUIRect& out) override {
    real_.textRect(text, pos, format, out);
  }

#define ZC_MEASURE_SCALED(T)                                                                                     \
  void drawReduced(const zcPelBuffer_const<T>& i, const zcPoint& pos, const zcPair<double>& s, bool, T, bool)   \
      override {                                                                                                 \
    pels(pos, i.width(), i.height(), reduction(s.x()), reduction(s.y()));                                        \
  }                                                                                                              \
  void drawMagnified(const zcPelBuffer_const<T>& i, const zcPoint& pos, const zcPair<double>& s, bool, T, bool, \
                     InterpolationModes) override {                                                              \
    pels(pos, i.width(), i.height(), s.x(), s.y());                                                              \
  }
  ZC_MEASURE_SCALED(zcPackedRGB32)
  ZC_MEASURE_SCALED(zcPackedRGB16)
  ZC_MEASURE_SCALED(unsigned short)
  ZC_MEASURE_SCALED(unsigned char)
#undef ZC_MEASURE_SCALED

  void set(const zcUIRect& rect, const zcColor&) override { collectClientChange(rect); }
  void set(const zcColor&) override { collectClientChange(zcUIRect(zcPair<long>(), size())); }
  void fill(const zcPair<long>&, const zcColor&, const zcColor&, bool) override {
    collectClientChange(zcUIRect(zcPair<long>(), size()));
  }
  void drawTo(const zcPoint& p, const zcGraphicProps& props) override {
    const zcPoint from = pen();
    drawStart(p);
    stroke(zcLineSeg(from, pen()).boundingBox(), props);
  }
  void drawToRelPels(long dx, long dy, const zcGraphicProps& props) override {
    const zcPoint from = pen();
    moveToRel(dx, dy);
    stroke(zcLineSeg(from, pen()).boundingBox(), props);
  }
  bool drawingInhibited(Layers) const override { return true; }
  zcPair<long> size() const override { return real_.size(); }

private:
  // The drawing point in screen pixels.
  zcPoint pen() const { return zcPoint(double(drawX() + origin().x()), double(drawY() + origin().y())); }
  static long width(const zcGraphicProps& props) { return std::clamp(props.penWidth(), 1L, kMaxPenWidth); }
  static double reduction(double s) { return s > 1.0 ? 1.0 / s : s; }

  void stroke(const zcRect& box, const zcGraphicProps& props) {
    stroke(box, width(props), props.penJoin() == 2 && (props.penStyle() < 1 || props.penStyle() > 4));
  }
  // The box of screen-pixel geometry grown by the reach of a pen, in scope pixels.
  void stroke(const zcRect& box, long w, bool miter) {
    if (box.isEmpty()) return;
    const double reach = (miter ? 5.0 : 0.5) * double(w) + 1.5;
    const zcPoint a = box.ul(), b = box.lr();
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())) return;
    const long x0 = clampLong(std::floor(a.x() - reach)) - origin().x();
    const long y0 = clampLong(std::floor(a.y() - reach)) - origin().y();
    const long x1 = clampLong(std::ceil(b.x() + reach)) - origin().x();
    const long y1 = clampLong(std::ceil(b.y() + reach)) - origin().y();
    collectClientChange(zcUIRect(x0, y0, x1 - x0, y1 - y0));
  }
  // An image of w × h pels at pos, covering ceil(w·sx) × ceil(h·sy) pixels.
  void pels(const zcPoint& pos, long w, long h, double sx, double sy) {
    if (w < 1 || h < 1 || !(sx > 0) || !(sy > 0)) return;
    const long dw = clampLong(std::ceil(double(w) * sx)), dh = clampLong(std::ceil(double(h) * sy));
    collectClientChange(zcUIRect(xCoord(pos), yCoord(pos), dw, dh));
  }
  static long clampLong(double v) { return static_cast<long>(std::clamp(v, -1073741823.0, 1073741823.0)); }

  zcUIScope& real_;
};

}  // namespace

zcUIRect zcUITablet::encloseRect(const zcUISketch& sketch, const zcPoint& offset, Layers layer) const {
  zc_tablet::checkLayer(layer, 1);
  zcUIScope* own = ownScope_[layer];
  if (!own) return zcUIRect::null;
  zc_MeasureScope measure(*own);
  zcUITablet probe(layer == eImage ? &measure : nullptr, layer == eOverlay ? &measure : nullptr);
  probe.baseMap_ = baseMap_;
  probe.scaleMode_ = scaleMode_;
  probe.scaleExact_ = scaleExact_;
  probe.interpolation_ = interpolation_;
  probe.setMap();
  probe.visible_(true);
  probe.draw(sketch, offset, layer);
  // Nothing changes outside the scope.
  return measure.clientChangedRect(false) & zcUIRect(own->origin(), own->size());
}

// The painting slots of a screen scope: vector shapes and text with Cairo, images,
// area sets and flood fills on the layer's pels.
//
// Coordinates. Slots receive screen pixels; scope pixels are those minus the origin;
// layer pixels are scope pixels plus base_ (where the scope's pixel (0, 0) lies in
// its layer). Paths are built in layer coordinates, moved by half a pixel for odd pen
// widths so that strokes run through pixel centres.
#include "screen_lines.h"
#include "screen_path.h"
#include "screen_private.h"

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/uistring.h"

#include "zfound/conics.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/rle.h"
#include "zfound/strings.h"
#include "zfound/trees.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr long kMaxPenWidth = 4096;
constexpr unsigned char kPassIndex = 243;
// Curves of shapes given to the generic slot are sampled within this many pixels.
constexpr double kSampleTolerance = 0.2;
constexpr long kMaxSamples = 1 << 20;
constexpr int kMaxTreeDepth = 64;

// A color as it paints on a layer: an opaque value, or transparency on the overlay.
struct Paint {
  std::uint32_t argb;  // premultiplied; 0 for transparency
  bool clear;
};

long saturate(double v) { return static_cast<long>(std::clamp(v, -double(zkPelLimit), double(zkPelLimit))); }

// The byte form of a wide string for Cairo; empty when it cannot be converted.
std::string utf8(const std::wstring& text) {
  try {
    return zfConvertString(text);
  } catch (const zcException&) {
    return std::string();
  }
}

}  // namespace

// The Cairo context of a scope and the state last set on it.
struct zc_ScreenContext {
  ~zc_ScreenContext() {
    if (cr) cairo_destroy(cr);
  }
  cairo_t* cr = nullptr;
  zcUIRect clip;  // layer pixels
  bool haveColor = false;
  Paint color{0, false};
  bool havePen = false;
  long width = 0;
  int style = 0, cap = 0, join = 0;
  zc_ScreenPath path;
};

// The painting slots of zcScreenScope and the helpers they share.
class zcScreenScopePrivate final : public zcScreenScope {
public:
  using S = zcScreenScope;

  // A root scope of its screen: opaque, its temporary kids start blank.
  static void markRoot(S& s) {
    s.root_ = true;
    s.opaque(true);
  }

  zcScreenScopePrivate(std::shared_ptr<zc_ScreenLayer> layer, const zcUIRect& layerRect)
      : zcScreenScope(std::move(layer), layerRect) {}

  void moved(const zcUIScope& parent, const zcUIRect& r) override;
  zcUIScope* makeKidScope(const zcUIRect& r, bool temporary) override;
  void dragStart() override;
  void dragStop() override;
  void dragErase() override;
  void dragAnimate(bool on) override;
  void lockScreenUpdatesPush(bool lock) override;
  bool lockScreenUpdatesPop() override;
  bool screenUpdatesLocked() const override;

  void draw(const zcGenShape& shape, const zcColor& color) override;
  void draw(const zcEllipseArc& arc, const zcGraphicProps& props) override;
  void draw(const zcEllipse& ellipse, const zcGraphicProps& props) override;
  void draw(const zcPolygon& polygon, const zcGraphicProps& props) override;
  void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<zcColor>& colorMap, bool passThrough,
            unsigned char passValue) override;
  void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap, bool passThrough,
            unsigned char passValue, bool flag) override;
  void draw(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos, bool passThrough,
            zcPackedRGB32 passValue) override;
  void draw(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos, bool passThrough,
            zcPackedRGB16 passValue) override;
  void draw(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos, bool passThrough,
            unsigned short passValue) override;
  void draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
            unsigned char passValue, bool flag) override;
  void draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground, const zcColor& background,
            const zcUIFormat& format) override;
  void draw(const zcPolyline& polyline, const zcGraphicProps& props) override;
  void draw(const zcGenRect& rect, const zcGraphicProps& props) override;
  void draw(const zcEllipseArc2& arc, const zcGraphicProps& props) override;
  void draw(const zcEllipse2& ellipse, const zcGraphicProps& props) override;
  void draw(const zcLineSeg& segment, const zcGraphicProps& props) override;
  void draw(const zcPoint& point, const zcGraphicProps& props) override;
  void textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format, zcUIRect& out) override;

  void drawReduced(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos, const zcPair<double>& scale,
                   bool passThrough, zcPackedRGB32 passValue, bool flag) override;
  void drawReduced(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos, const zcPair<double>& scale,
                   bool passThrough, zcPackedRGB16 passValue, bool flag) override;
  void drawReduced(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos, const zcPair<double>& scale,
                   bool passThrough, unsigned short passValue, bool flag) override;
  void drawReduced(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, const zcPair<double>& scale,
                   bool passThrough, unsigned char passValue, bool flag) override;
  void drawMagnified(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos, const zcPair<double>& scale,
                     bool passThrough, zcPackedRGB32 passValue, bool flag, InterpolationModes mode) override;
  void drawMagnified(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos, const zcPair<double>& scale,
                     bool passThrough, zcPackedRGB16 passValue, bool flag, InterpolationModes mode) override;
  void drawMagnified(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos, const zcPair<double>& scale,
                     bool passThrough, unsigned short passValue, bool flag, InterpolationModes mode) override;
  void drawMagnified(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, const zcPair<double>& scale,
                     bool passThrough, unsigned char passValue, bool flag, InterpolationModes mode) override;

  void set(const zcUIRect& rect, const zcColor& color) override;
  void set(const zcColor& color) override;
  void fill(const zcPair<long>& pos, const zcColor& fillColor, const zcColor& boundary, bool fillType0) override;
  void drawTo(const zcPoint& p, const zcGraphicProps& props) override;
  void drawToRelPels(long dx, long dy, const zcGraphicProps& props) override;
  bool drawingInhibited(Layers layer) const override;
  zcPair<long> size() const override;
  void displayClipRectChanged(const zcUIRect& r) override;



  // Where the scope may paint in its layer: its rectangle, cut by the display clip
  // rectangle while that is not null.
  static zcUIRect clipRect(const S& s) {
    zcUIRect r = s.layerRect_;
    if (!s.displayClipRect().isNull()) {
      const zcPair<long> shift(s.base_.x() - s.origin().x(), s.base_.y() - s.origin().y());
      r &= s.displayClipRect() + shift;
    }
    return r;
  }

  static zc_ScreenContext& context(S& s) {
    if (!s.context_) {
      auto c = std::make_unique<zc_ScreenContext>();
      c->cr = cairo_create(s.layer_->target());
      if (cairo_status(c->cr) != CAIRO_STATUS_SUCCESS) throw zcScreenError::CairoError(L"cannot make a context");
      cairo_set_antialias(c->cr, CAIRO_ANTIALIAS_NONE);
      c->clip = clipRect(s);
      cairo_rectangle(c->cr, double(c->clip.left()), double(c->clip.top()), double(c->clip.width()),
                      double(c->clip.height()));
      cairo_clip(c->cr);
      s.context_ = std::move(c);
    }
    return *s.context_;
  }

  // A context that met an error ignores every later call: start a new one next time.
  static void settle(S& s) {
    if (s.context_ && cairo_status(s.context_->cr) != CAIRO_STATUS_SUCCESS) s.context_.reset();
  }

  static Paint paint(const S& s, const zcColor& color) {
    if (s.layer_->overlay && color.isIndexColor() && color.index() == kPassIndex) return Paint{0, true};
    if (color.isRGBColor()) return Paint{zf_ScreenOpaque(color.rgbStruct()), false};
    // A color of neither form (flags read from a sketch) paints as palette entry 0.
    return Paint{zf_ScreenOpaque((*s.layer_->palette)[color.isIndexColor() ? color.index() : 0]), false};
  }

  static void setColor(zc_ScreenContext& c, const Paint& p) {
    if (c.haveColor && c.color.argb == p.argb && c.color.clear == p.clear) return;
    if (p.clear) {
      cairo_set_operator(c.cr, CAIRO_OPERATOR_CLEAR);
    } else {
      cairo_set_operator(c.cr, CAIRO_OPERATOR_OVER);
      cairo_set_source_rgb(c.cr, ((p.argb >> 16) & 0xFF) / 255.0, ((p.argb >> 8) & 0xFF) / 255.0,
                           (p.argb & 0xFF) / 255.0);
    }
    c.color = p;
    c.haveColor = true;
  }

  static long penWidth(const zcGraphicProps& props) { return std::clamp(props.penWidth(), 1L, kMaxPenWidth); }
  // Half a pixel for odd widths: strokes through pixel centres.
  static double penShift(long width) { return width % 2 == 1 ? 0.5 : 0.0; }

  static void setPen(zc_ScreenContext& c, const zcGraphicProps& props) {
    const long width = penWidth(props);
    const int style = props.penStyle(), cap = props.penEndCap(), join = props.penJoin();
    if (c.havePen && c.width == width && c.style == style && c.cap == cap && c.join == join) return;
    cairo_set_line_width(c.cr, double(width));
    // Dashes with square ends: each "on" length is one width short of what shows and
    // each "off" length one width long, the ends making up the difference.
    static const double kPatterns[][6] = {{5, 4}, {0, 3}, {5, 4, 0, 4}, {5, 4, 0, 4, 0, 4}};
    static const int kCounts[] = {2, 2, 4, 6};
    if (style >= 1 && style <= 4) {
      double dashes[6];
      for (int i = 0; i < kCounts[style - 1]; ++i) dashes[i] = kPatterns[style - 1][i] * double(width);
      cairo_set_dash(c.cr, dashes, kCounts[style - 1], 0);
      cairo_set_line_cap(c.cr, CAIRO_LINE_CAP_SQUARE);
    } else {
      cairo_set_dash(c.cr, nullptr, 0, 0);
      cairo_set_line_cap(c.cr, cap == 1   ? CAIRO_LINE_CAP_SQUARE
                               : cap == 2 ? CAIRO_LINE_CAP_BUTT
                                          : CAIRO_LINE_CAP_ROUND);
    }
    cairo_set_line_join(c.cr, join == 1   ? CAIRO_LINE_JOIN_BEVEL
                              : join == 2 ? CAIRO_LINE_JOIN_MITER
                                          : CAIRO_LINE_JOIN_ROUND);
    c.width = width;
    c.style = style;
    c.cap = cap;
    c.join = join;
    c.havePen = true;
  }

  // A fresh path whose points are given in screen pixels, for the pen.
  static zc_ScreenPath& beginPath(S& s, long width) {
    zc_ScreenPath& path = context(s).path;
    path.clear();
    const double shift = penShift(width);
    path.offset(double(s.base_.x() - s.origin().x()) + shift, double(s.base_.y() - s.origin().y()) + shift);
    return path;
  }

  // The scope pixels the path covers with a pen of the width.
  static zcUIRect pathBox(const S& s, const zc_ScreenPath& path, long width, bool miter) {
    if (path.empty() || !path.finite()) return zcUIRect::null;
    // Caps and round joins reach half the width; miter joins further, within the limit.
    const double reach = (miter ? 10.0 : 1.0) * double(width) / 2.0 + 1.0;
    const long x0 = saturate(std::floor(path.left() - reach)) - s.base_.x();
    const long y0 = saturate(std::floor(path.top() - reach)) - s.base_.y();
    const long x1 = saturate(std::ceil(path.right() + reach)) - s.base_.x();
    const long y1 = saturate(std::ceil(path.bottom() + reach)) - s.base_.y();
    return zcUIRect(x0, y0, x1 - x0, y1 - y0);
  }

  // Reports what a slot painted (or, inhibited, would have painted).
  static void painted(S& s, const zcUIRect& r, bool opaque = false) {
    if (r.isNull()) return;
    if (s.inhibited_) {
      s.collectClientChange(r);
      return;
    }
    s.change(r, opaque);
    s.modified(true);
  }

  // A pen that strokes as a thin line (screen_lines.h): one pixel wide and solid, on a
  // layer without a vector recording, which keeps Cairo's strokes.
  static bool thinPen(const S& s, const zcGraphicProps& props) {
    const int style = props.penStyle();
    return penWidth(props) == 1 && (style < 1 || style > 4) && !s.layer_->recording;
  }

  // Writes the path's segments as thin lines straight into the layer's pels.
  static void strokeThin(S& s, const zc_ScreenPath& path, std::uint32_t argb) {
    zc_ScreenLayer& l = *s.layer_;
    l.flush();
    zc_ScreenInk ink;
    zf_ScreenThinPath(zc_ScreenPels{l.row(0), l.stride / 4}, context(s).clip, path, argb, ink);
    if (!ink.empty()) l.dirty(ink.x0, ink.y0, ink.width(), ink.height());
  }

  // Fills (when asked) and strokes the path with the pen, and reports it.
  static void paintPath(S& s, const zcGraphicProps& props, bool fill, cairo_fill_rule_t rule) {
    zc_ScreenContext& c = context(s);
    const zc_ScreenPath& path = c.path;
    const long width = penWidth(props);
    const bool miter = props.penJoin() == 2 && (props.penStyle() < 1 || props.penStyle() > 4);
    const zcUIRect box = pathBox(s, path, width, miter);
    if (box.isNull()) return;
    if (s.inhibited_) {
      painted(s, box);
      return;
    }
    const Paint color = paint(s, props.penColor());
    const bool stroke = props.penStyle() != 5;
    const bool thin = stroke && !path.curved() && thinPen(s, props);
    const bool safe = path.safe();
    const double margin = 10.0 * width + 16.0;
    const zc_ScreenBox guard{c.clip.left() - margin, c.clip.top() - margin, c.clip.right() + margin,
                             c.clip.bottom() + margin};
    if (!safe &&
        (path.right() < guard.x0 || path.left() > guard.x1 || path.bottom() < guard.y0 || path.top() > guard.y1))
      return;
    if (fill || (stroke && !thin)) {
      setPen(c, props);
      setColor(c, color);
      if (fill) {
        cairo_set_fill_rule(c.cr, rule);
        if (safe)
          zf_ScreenEmit(c.cr, path);
        else
          zf_ScreenEmitGuarded(c.cr, path, guard, true);
        cairo_fill(c.cr);
      }
      if (stroke && !thin) {
        if (safe)
          zf_ScreenEmit(c.cr, path);
        else
          zf_ScreenEmitGuarded(c.cr, path, guard, false);
        cairo_stroke(c.cr);
      }
      settle(s);
    }
    if (thin) strokeThin(s, path, color.argb);
    painted(s, box);
  }

  // Fills a rectangle of scope pixels with a color (exact pixels, no pen).
  static void fillRect(S& s, const zcUIRect& r, const Paint& p) {
    zc_ScreenContext& c = context(s);
    // Cut in integers first: Cairo's fixed point cannot hold far-away corners.
    const zcUIRect target = (r + s.base_) & c.clip;
    if (target.isNull()) return;
    setColor(c, p);
    cairo_rectangle(c.cr, double(target.left()), double(target.top()), double(target.width()), double(target.height()));
    cairo_fill(c.cr);
    settle(s);
  }

  // --- Images ----------------------------------------------------------------------------

  // Paints an image at scope pixel (x, y), scaled by (sx, sy) with the nearest pel.
  // `pel(v, out)` turns a source pel into a premultiplied value and answers false to
  // skip it.
  template <class T, class PelFn>
  static void blit(S& s, const zcPelBuffer_const<T>& image, long x, long y, double sx, double sy, PelFn pel) {
    if (!image.isBound() || image.width() < 1 || image.height() < 1) return;
    if (!(sx > 0) || !(sy > 0) || !std::isfinite(sx) || !std::isfinite(sy)) return;
    const double wd = std::ceil(double(image.width()) * sx - 1e-9);
    const double hd = std::ceil(double(image.height()) * sy - 1e-9);
    const long w = std::max(1L, saturate(wd)), h = std::max(1L, saturate(hd));
    const zcUIRect box(x, y, w, h);
    if (s.inhibited_) {
      painted(s, box);
      return;
    }
    const zcUIRect clip = context(s).clip;
    const zcUIRect target = (box + s.base_) & clip;
    if (!target.isNull()) {
      zc_ScreenLayer& l = *s.layer_;
      // Source columns of the target's columns.
      std::vector<long> columns(static_cast<std::size_t>(target.width()));
      const long left = x + s.base_.x(), top = y + s.base_.y();
      // Source pel of a target pixel, at most the last one (the quotient may be huge).
      auto source = [](long d, double scale, long n) {
        return static_cast<long>(std::min(double(n - 1), std::floor(double(d) / scale + 1e-9)));
      };
      for (long i = 0; i < target.width(); ++i)
        columns[std::size_t(i)] = source(target.left() + i - left, sx, image.width());
      l.flush();
      for (long j = 0; j < target.height(); ++j) {
        const long sr = source(target.top() + j - top, sy, image.height());
        const T* src = image.rowPointer(image.offset().y() + sr);
        std::uint32_t* dst = l.row(target.top() + j) + target.left();
        for (long i = 0; i < target.width(); ++i) {
          std::uint32_t v;
          if (pel(src[columns[std::size_t(i)]], v)) dst[i] = v;
        }
      }
      l.dirty(target.left(), target.top(), target.width(), target.height());
    }
    painted(s, box);
  }

  // Per-value paints of 8-bit pels through a byte map (identity when empty) and the
  // palette, or as gray levels.
  struct ByteTable {
    std::array<std::uint32_t, 256> argb;
    std::array<bool, 256> skip;
    bool operator()(unsigned char v, std::uint32_t& out) const {
      out = argb[v];
      return !skip[v];
    }
  };

  static ByteTable byteTable(const S& s, const std::vector<unsigned char>* map, bool gray, bool passThrough,
                             unsigned char passValue) {
    ByteTable t;
    for (int v = 0; v < 256; ++v) {
      const auto m = map && std::size_t(v) < map->size() ? (*map)[std::size_t(v)] : static_cast<unsigned char>(v);
      const Paint p = gray ? Paint{zf_ScreenOpaque(zcRGB(m, m, m)), false} : paint(s, zcColor(m));
      t.argb[std::size_t(v)] = p.argb;
      t.skip[std::size_t(v)] = passThrough && v == passValue;
    }
    return t;
  }

  static std::uint32_t rgb32(zcPackedRGB32 v) { return 0xFF000000u | (v.value() & 0xFFFFFFu); }
  static std::uint32_t rgb16(zcPackedRGB16 v) { return zf_ScreenOpaque(zcRGB(v.red(), v.green(), v.blue())); }
  static std::uint32_t gray16(unsigned short v) {
    const auto g = static_cast<unsigned char>(v >> 8);
    return zf_ScreenOpaque(zcRGB(g, g, g));
  }

  template <class T, class ToArgb>
  static auto passFn(bool passThrough, T passValue, ToArgb toArgb) {
    return [=](T v, std::uint32_t& out) {
      if (passThrough && v == passValue) return false;
      out = toArgb(v);
      return true;
    };
  }

  // Display factor of a reduction slot: below 1 as given, above 1 its reciprocal.
  static double reduction(double s) { return s > 1.0 ? 1.0 / s : s; }

  // --- Flood fill --------------------------------------------------------------------------

  // Four-connected scanline fill in the clip rectangle; returns the filled box in
  // layer pixels (null when nothing changed).
  static zcUIRect flood(zc_ScreenLayer& l, const zcUIRect& clip, long sx, long sy, std::uint32_t fillValue,
                        std::uint32_t key, bool toBoundary) {
    auto inside = [&](std::uint32_t v) { return toBoundary ? v != key : v == key; };
    const long w = clip.width();
    std::vector<unsigned char> seen(std::size_t(w) * std::size_t(clip.height()), 0);
    auto visited = [&](long x, long y) -> unsigned char& {
      return seen[std::size_t(y - clip.top()) * std::size_t(w) + std::size_t(x - clip.left())];
    };
    long bx0 = sx, by0 = sy, bx1 = sx, by1 = sy;
    std::vector<std::pair<long, long>> stack{{sx, sy}};
    while (!stack.empty()) {
      const auto [x, y] = stack.back();
      stack.pop_back();
      std::uint32_t* row = l.row(y);
      if (visited(x, y) || !inside(row[x])) continue;
      long a = x, b = x;
      while (a > clip.left() && !visited(a - 1, y) && inside(row[a - 1])) --a;
      while (b + 1 < clip.right() && !visited(b + 1, y) && inside(row[b + 1])) ++b;
      for (long i = a; i <= b; ++i) {
        visited(i, y) = 1;
        row[i] = fillValue;
      }
      bx0 = std::min(bx0, a);
      bx1 = std::max(bx1, b);
      by0 = std::min(by0, y);
      by1 = std::max(by1, y);
      for (const long ny : {y - 1, y + 1}) {
        if (ny < clip.top() || ny >= clip.bottom()) continue;
        const std::uint32_t* next = l.row(ny);
        bool run = false;
        for (long i = a; i <= b; ++i) {
          const bool in = !visited(i, ny) && inside(next[i]);
          if (in && !run) stack.emplace_back(i, ny);
          run = in;
        }
      }
    }
    return zcUIRect(bx0, by0, bx1 - bx0 + 1, by1 - by0 + 1);
  }

  // --- Generic shapes ----------------------------------------------------------------------

  static void addShape(S& s, zc_ScreenPath& path, const zcShape& shape, int depth) {
    if (depth > kMaxTreeDepth) return;
    if (const auto* gen = dynamic_cast<const zcGenShape*>(&shape)) {
      if (!gen->isEmpty()) addShape(s, path, *gen->shape(), depth + 1);
      return;
    }
    const auto* tree = dynamic_cast<const zcShapeTree*>(&shape);
    if (tree && !dynamic_cast<const zcContourTree*>(&shape)) {
      for (const zcShapePtr& child : tree->children())
        if (child) addShape(s, path, *child, depth + 1);
      return;
    }
    zcSampleParams params;
    params.tolerance = kSampleTolerance;
    params.maxPoints = kMaxSamples;
    zcSampleResult result;
    try {
      shape.sample(params, result);
    } catch (const zcException&) {
      // Shapes that are not curves: a single position paints its pixel.
      try {
        const zcRect box = shape.boundingBox();
        if (!box.isEmpty() && box.ul() == box.lr()) result.points = {box.ul(), box.ul()};
      } catch (const zcException&) {
      }
    }
    for (std::size_t i = 0; i < result.points.size(); ++i) {
      const zcPoint& p = result.points[i];
      if (i == 0)
        path.moveTo(p.x(), p.y());
      else
        path.lineTo(p.x(), p.y());
    }
  }

  // --- Text --------------------------------------------------------------------------------

  struct TextMetrics {
    double ascent = 0;
    long width = 0, height = 0;
  };

  static TextMetrics measure(S& s, const std::string& text, const zcUIFormat& format) {
    cairo_t* cr = context(s).cr;
    const long id = format.fontId();
    const long sizeId = id >= 256 ? id - 256 : id;
    const bool bold = id >= 256 + 6 && id <= 256 + 255;
    const double size = sizeId >= 6 && sizeId <= 255 ? double(sizeId) : 13.0;
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, text.c_str(), &te);
    TextMetrics m;
    m.ascent = std::ceil(fe.ascent);
    m.width = text.empty() ? 0 : static_cast<long>(std::ceil(te.x_advance));
    m.height = static_cast<long>(m.ascent + std::ceil(fe.descent));
    settle(s);
    return m;
  }

  static zcUIRect placeText(const S& s, const TextMetrics& m, const zcPoint& pos, const zcUIFormat& format) {
    return format.alignRect(zcUIRect(s.xCoord(pos), s.yCoord(pos), m.width, m.height));
  }
};

using P = zcScreenScopePrivate;

// --- Construction and the tree --------------------------------------------------------------

zcScreenScope::zcScreenScope(std::shared_ptr<zc_ScreenLayer> layer, const zcUIRect& layerRect)
    : layer_(std::move(layer)), layerRect_(layerRect), base_(layerRect.ul()) {}

zcScreenScope::~zcScreenScope() = default;

bool zcScreenScope::isOverlay() const { return layer_->overlay; }

void zcScreenScopePrivate::moved(const zcUIScope& parent, const zcUIRect& r) {
  // r lies in the parent's scope pixels; the part outside the parent is cut off, and
  // the origin that move() set counts the pixels cut off left of and above it.
  const auto* screenParent = dynamic_cast<const zcScreenScope*>(&parent);
  context_.reset();
  if (!screenParent || screenParent->layer_ != layer_) {
    layerRect_ = zcUIRect::null;
    return;
  }
  const zcPair<long>& pb = screenParent->base_;
  base_ = zcPair<long>(pb.x() + std::max(0L, r.left()), pb.y() + std::max(0L, r.top()));
  layerRect_ = zcUIRect(pb.x() + r.left(), pb.y() + r.top(), r.width(), r.height()) & screenParent->layerRect_;
}

zcUIScope* zcScreenScopePrivate::makeKidScope(const zcUIRect& r, bool temporary) {
  std::unique_ptr<zcScreenScope> kid(new zcScreenScopePrivate(layer_, zcUIRect::null));
  kid->inhibited_ = inhibited_;
  if (!temporary) {
    kid->move(*this, r);
    return kid.release();
  }
  // An update repaints part of this scope: same pixel coordinates, clipped to r.
  kid->subset(*this, r);
  if (root_ && !inhibited_) {
    const zcUIRect area = kid->layerRect_;
    if (!area.isNull()) {
      zc_ScreenLayer& l = *layer_;
      l.flush();
      for (long y = area.top(); y < area.bottom(); ++y) std::fill_n(l.row(y) + area.left(), area.width(), l.blank);
      l.dirty(area.left(), area.top(), area.width(), area.height());
    }
  }
  return kid.release();
}

void zcScreenScopePrivate::dragStart() {
  const zcUIRect r = layerRect_;
  std::vector<std::uint32_t> pels;
  zc_ScreenLayer& l = *layer_;
  l.flush();
  for (long y = r.top(); y < r.bottom(); ++y) pels.insert(pels.end(), l.row(y) + r.left(), l.row(y) + r.right());
  dragPels_ = std::move(pels);
  dragRect_ = r;
}

void zcScreenScopePrivate::dragStop() {
  dragPels_.clear();
  dragRect_ = zcUIRect::null;
}

void zcScreenScopePrivate::dragErase() {
  if (dragPels_.empty()) return;
  const zcUIRect r = dragRect_;
  zc_ScreenLayer& l = *layer_;
  l.flush();
  for (long y = 0; y < r.height(); ++y)
    std::copy_n(dragPels_.begin() + y * r.width(), r.width(), l.row(r.top() + y) + r.left());
  l.dirty(r.left(), r.top(), r.width(), r.height());
  P::painted(*this, r - base_);
}

void zcScreenScopePrivate::dragAnimate(bool on) { dragAnimated_ = on; }

void zcScreenScopePrivate::lockScreenUpdatesPush(bool lock) { locks_.push_back(lock); }

bool zcScreenScopePrivate::lockScreenUpdatesPop() {
  if (!locks_.empty()) locks_.pop_back();
  return screenUpdatesLocked();
}

bool zcScreenScopePrivate::screenUpdatesLocked() const {
  return std::find(locks_.begin(), locks_.end(), true) != locks_.end();
}

bool zcScreenScopePrivate::drawingInhibited(Layers) const { return inhibited_; }

zcPair<long> zcScreenScopePrivate::size() const { return layerRect_.sz(); }

void zcScreenScopePrivate::displayClipRectChanged(const zcUIRect&) { context_.reset(); }

// --- Vector shapes --------------------------------------------------------------------------

void zcScreenScopePrivate::draw(const zcLineSeg& segment, const zcGraphicProps& props) {
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  path.moveTo(segment.p1().x(), segment.p1().y());
  path.lineTo(segment.p2().x(), segment.p2().y());
  P::paintPath(*this, props, false, CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::draw(const zcPoint& point, const zcGraphicProps& props) {
  const long w = P::penWidth(props);
  const long x = xCoord(point) - (w - 1) / 2;
  const long y = yCoord(point) - (w - 1) / 2;
  const zcUIRect box(x, y, w, w);
  if (!inhibited_) P::fillRect(*this, box, P::paint(*this, props.penColor()));
  P::painted(*this, box);
}

void zcScreenScopePrivate::draw(const zcPolygon& polygon, const zcGraphicProps& props) {
  const std::vector<zcPoint>& v = polygon.vertices();
  if (v.empty()) return;
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  path.moveTo(v[0].x(), v[0].y());
  for (std::size_t i = 1; i < v.size(); ++i) path.lineTo(v[i].x(), v[i].y());
  if (v.size() == 1) path.lineTo(v[0].x(), v[0].y());
  path.close();
  const cairo_fill_rule_t rule =
      polygon.fillMode() == zcPolygon::eWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
  P::paintPath(*this, props, props.fill() && v.size() >= 3, rule);
}

void zcScreenScopePrivate::draw(const zcPolyline& polyline, const zcGraphicProps& props) {
  const std::vector<zcPoint>& v = polyline.vertices();
  if (v.empty()) return;
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  path.moveTo(v[0].x(), v[0].y());
  for (std::size_t i = 1; i < v.size(); ++i) path.lineTo(v[i].x(), v[i].y());
  if (v.size() == 1) path.lineTo(v[0].x(), v[0].y());
  if (polyline.isClosed()) path.close();
  P::paintPath(*this, props, props.fill() && polyline.isClosed() && v.size() >= 3, CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::draw(const zcEllipse& ellipse, const zcGraphicProps& props) {
  const zcXform<2> u = ellipse.geom().unitXform();
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  zf_ScreenAppendArc(path, u.matrix(), zcPoint(u.trans()), 0.0, 2 * kPi, true);
  path.close();
  P::paintPath(*this, props, props.fill(), CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::draw(const zcEllipse2& ellipse, const zcGraphicProps& props) {
  const zcXform<2>& u = ellipse.ellFromUnitCirc();
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  zf_ScreenAppendArc(path, u.matrix(), zcPoint(u.trans()), 0.0, 2 * kPi, true);
  path.close();
  P::paintPath(*this, props, props.fill(), CAIRO_FILL_RULE_WINDING);
}

namespace {
// An arc, or its pie when filled.
void arcPath(zc_ScreenPath& path, const zcXform<2>& u, double start, double span, bool pie) {
  const zcPoint c(u.trans());
  if (pie) {
    path.moveTo(c.x(), c.y());
    zf_ScreenAppendArc(path, u.matrix(), c, start, span, false);
    path.close();
  } else {
    zf_ScreenAppendArc(path, u.matrix(), c, start, span, true);
  }
}
}  // namespace

void zcScreenScopePrivate::draw(const zcEllipseArc& arc, const zcGraphicProps& props) {
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  arcPath(path, arc.geom().unitXform(), arc.phiStart().value(), arc.phiSpan().value(), props.fill());
  P::paintPath(*this, props, props.fill(), CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::draw(const zcEllipseArc2& arc, const zcGraphicProps& props) {
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  arcPath(path, arc.ellFromUnitCirc(), arc.phiStart().value(), arc.phiSpan().value(), props.fill());
  P::paintPath(*this, props, props.fill(), CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::draw(const zcGenRect& rect, const zcGraphicProps& props) {
  // The rounded square of the rectangle's frame, carried into the plane by U and c.
  const zcXform<2> u = rect.unitXform();
  const zcMatrix<2> m = u.matrix();
  const zcPoint c(u.trans());
  auto at = [&](double x, double y) { return zcPoint(c + m * zcVector<2>(x, y)); };
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  if (rect.isSharp()) {
    const zcPoint corners[4] = {at(-1, -1), at(1, -1), at(1, 1), at(-1, 1)};
    path.moveTo(corners[0].x(), corners[0].y());
    for (int i = 1; i < 4; ++i) path.lineTo(corners[i].x(), corners[i].y());
  } else {
    const double fx = rect.roundFractions().x(), fy = rect.roundFractions().y();
    const zcMatrix<2> corner = m * zcMatrix<2>::scaling(fx, fy);
    const zcPoint first = at(-(1 - fx), -1);
    path.moveTo(first.x(), first.y());
    const double cx[4] = {1 - fx, 1 - fx, -(1 - fx), -(1 - fx)};
    const double cy[4] = {-(1 - fy), 1 - fy, 1 - fy, -(1 - fy)};
    for (int i = 0; i < 4; ++i)
      zf_ScreenAppendArc(path, corner, at(cx[i], cy[i]), -kPi / 2 + i * kPi / 2, kPi / 2, false);
  }
  path.close();
  P::paintPath(*this, props, props.fill(), CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::draw(const zcGenShape& shape, const zcColor& color) {
  const zcGraphicProps pen(color, 1, zcGraphicProps::ePenStyleDefault, false);
  zc_ScreenPath& path = P::beginPath(*this, 1);
  P::addShape(*this, path, shape, 0);
  P::paintPath(*this, pen, false, CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::drawTo(const zcPoint& p, const zcGraphicProps& props) {
  const long x0 = drawX(), y0 = drawY();
  const long x1 = xCoord(p), y1 = yCoord(p);
  drawStart(p);
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  // The integer positions are scope pixels already.
  path.moveTo(double(x0 + origin().x()), double(y0 + origin().y()));
  path.lineTo(double(x1 + origin().x()), double(y1 + origin().y()));
  P::paintPath(*this, props, false, CAIRO_FILL_RULE_WINDING);
}

void zcScreenScopePrivate::drawToRelPels(long dx, long dy, const zcGraphicProps& props) {
  const long x0 = drawX(), y0 = drawY();
  moveToRel(dx, dy);
  zc_ScreenPath& path = P::beginPath(*this, P::penWidth(props));
  path.moveTo(double(x0 + origin().x()), double(y0 + origin().y()));
  path.lineTo(double(drawX() + origin().x()), double(drawY() + origin().y()));
  P::paintPath(*this, props, false, CAIRO_FILL_RULE_WINDING);
}

// --- Text -----------------------------------------------------------------------------------

void zcScreenScopePrivate::draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground,
                         const zcColor& background, const zcUIFormat& format) {
  const std::string bytes = utf8(text);
  const P::TextMetrics m = P::measure(*this, bytes, format);
  const zcUIRect box = P::placeText(*this, m, pos, format);
  if (box.isNull()) return;
  if (!inhibited_ && !((box + base_) & P::context(*this).clip).isNull()) {
    if (!(background.isIndexColor() && background.index() == kPassIndex))
      P::fillRect(*this, box, P::paint(*this, background));
    zc_ScreenContext& c = P::context(*this);
    P::setColor(c, P::paint(*this, foreground));
    cairo_move_to(c.cr, double(box.left() + base_.x()), double(box.top() + base_.y()) + m.ascent);
    cairo_show_text(c.cr, bytes.c_str());
    cairo_new_path(c.cr);
    P::settle(*this);
  }
  P::painted(*this, box);
}

void zcScreenScopePrivate::textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format, zcUIRect& out) {
  const P::TextMetrics m = P::measure(*this, utf8(text), format);
  out = P::placeText(*this, m, pos, format);
}

// --- Areas ----------------------------------------------------------------------------------

void zcScreenScopePrivate::set(const zcUIRect& rect, const zcColor& color) {
  if (rect.isNull()) return;
  if (!inhibited_) P::fillRect(*this, rect, P::paint(*this, color));
  P::painted(*this, rect, true);
}

void zcScreenScopePrivate::set(const zcColor& color) { set(zcUIRect(zcPair<long>(), size()), color); }

void zcScreenScopePrivate::fill(const zcPair<long>& pos, const zcColor& fillColor, const zcColor& boundary, bool fillType0) {
  const zcUIRect whole(zcPair<long>(), size());
  if (inhibited_) {
    P::painted(*this, whole);
    return;
  }
  const zcUIRect clip = P::context(*this).clip;
  const long x = pos.x() - origin().x() + base_.x();
  const long y = pos.y() - origin().y() + base_.y();
  if (!clip.within(zcPair<long>(x, y))) return;
  zc_ScreenLayer& l = *layer_;
  l.flush();
  const std::uint32_t fillValue = P::paint(*this, fillColor).argb;
  const std::uint32_t seed = l.row(y)[x];
  std::uint32_t key;
  if (fillType0) {
    key = P::paint(*this, boundary).argb;
    if (seed == key) return;
  } else {
    key = seed;
    if (seed == fillValue) return;
  }
  const zcUIRect filled = P::flood(l, clip, x, y, fillValue, key, fillType0);
  l.dirty(filled.left(), filled.top(), filled.width(), filled.height());
  P::painted(*this, filled - base_);
}

// --- Images ---------------------------------------------------------------------------------

void zcScreenScopePrivate::draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<zcColor>& colorMap,
                         bool passThrough, unsigned char passValue) {
  if (!image.isInit() || image.width() < 1 || image.height() < 1) return;
  P::ByteTable t;
  for (int v = 0; v < 256; ++v) {
    const bool mapped = std::size_t(v) < colorMap.size();
    const zcColor color = mapped ? colorMap[std::size_t(v)] : zcColor(static_cast<unsigned char>(v));
    t.argb[std::size_t(v)] = P::paint(*this, color).argb;
    const bool passColor = mapped && color.isIndexColor() && color.index() == kPassIndex;
    t.skip[std::size_t(v)] = passThrough && (v == passValue || passColor);
  }
  P::blit(*this, zcPelBuffer_const<unsigned char>(image.image()), xCoord(pos), yCoord(pos), 1.0, 1.0, t);
}

void zcScreenScopePrivate::draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                         bool passThrough, unsigned char passValue, bool flag) {
  if (!image.isInit() || image.width() < 1 || image.height() < 1) return;
  const P::ByteTable t = P::byteTable(*this, &colorMap, flag, passThrough, passValue);
  P::blit(*this, zcPelBuffer_const<unsigned char>(image.image()), xCoord(pos), yCoord(pos), 1.0, 1.0, t);
}

void zcScreenScopePrivate::draw(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos, bool passThrough,
                         zcPackedRGB32 passValue) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), 1.0, 1.0, P::passFn(passThrough, passValue, &P::rgb32));
}

void zcScreenScopePrivate::draw(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos, bool passThrough,
                         zcPackedRGB16 passValue) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), 1.0, 1.0, P::passFn(passThrough, passValue, &P::rgb16));
}

void zcScreenScopePrivate::draw(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos, bool passThrough,
                         unsigned short passValue) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), 1.0, 1.0, P::passFn(passThrough, passValue, &P::gray16));
}

void zcScreenScopePrivate::draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
                         unsigned char passValue, bool flag) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), 1.0, 1.0, P::byteTable(*this, nullptr, flag, passThrough, passValue));
}

void zcScreenScopePrivate::drawReduced(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos,
                                const zcPair<double>& scale, bool passThrough, zcPackedRGB32 passValue, bool) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), P::reduction(scale.x()), P::reduction(scale.y()),
          P::passFn(passThrough, passValue, &P::rgb32));
}

void zcScreenScopePrivate::drawReduced(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos,
                                const zcPair<double>& scale, bool passThrough, zcPackedRGB16 passValue, bool) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), P::reduction(scale.x()), P::reduction(scale.y()),
          P::passFn(passThrough, passValue, &P::rgb16));
}

void zcScreenScopePrivate::drawReduced(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos,
                                const zcPair<double>& scale, bool passThrough, unsigned short passValue, bool) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), P::reduction(scale.x()), P::reduction(scale.y()),
          P::passFn(passThrough, passValue, &P::gray16));
}

void zcScreenScopePrivate::drawReduced(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos,
                                const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), P::reduction(scale.x()), P::reduction(scale.y()),
          P::byteTable(*this, nullptr, flag, passThrough, passValue));
}

void zcScreenScopePrivate::drawMagnified(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos,
                                  const zcPair<double>& scale, bool passThrough, zcPackedRGB32 passValue, bool,
                                  InterpolationModes) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), scale.x(), scale.y(), P::passFn(passThrough, passValue, &P::rgb32));
}

void zcScreenScopePrivate::drawMagnified(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos,
                                  const zcPair<double>& scale, bool passThrough, zcPackedRGB16 passValue, bool,
                                  InterpolationModes) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), scale.x(), scale.y(), P::passFn(passThrough, passValue, &P::rgb16));
}

void zcScreenScopePrivate::drawMagnified(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos,
                                  const zcPair<double>& scale, bool passThrough, unsigned short passValue, bool,
                                  InterpolationModes) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), scale.x(), scale.y(), P::passFn(passThrough, passValue, &P::gray16));
}

void zcScreenScopePrivate::drawMagnified(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos,
                                  const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag,
                                  InterpolationModes) {
  P::blit(*this, image, xCoord(pos), yCoord(pos), scale.x(), scale.y(),
          P::byteTable(*this, nullptr, flag, passThrough, passValue));
}

std::unique_ptr<zcScreenScope> zf_ScreenMakeScope(std::shared_ptr<zc_ScreenLayer> layer, const zcUIRect& layerRect,
                                                  bool root) {
  auto scope = std::make_unique<zcScreenScopePrivate>(std::move(layer), layerRect);
  if (root) P::markRoot(*scope);
  return scope;
}

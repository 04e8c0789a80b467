#include "support/logging_scope.h"

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/uistring.h"

#include "zfound/conics.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/persistent.h"
#include "zfound/rect.h"
#include "zfound/strings.h"
#include "zfound/trees.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {
constexpr long kMaxListedPels = 4096;

std::string flag(bool b) { return b ? "1" : "0"; }

std::string pair(double x, double y) { return "(" + zcLoggingScope::text(x) + "," + zcLoggingScope::text(y) + ")"; }
std::string pair(const zcPoint& p) { return pair(p.x(), p.y()); }
std::string pair(const zcPair<long>& p) { return "(" + std::to_string(p.x()) + "," + std::to_string(p.y()) + ")"; }
std::string pair(const zcPair<double>& p) { return pair(p.x(), p.y()); }

std::string quoted(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : zfConvertString(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string xform(const zcXform<2>& x) {
  const zcMatrix<2> m = x.matrix();
  return "[" + zcLoggingScope::text(m.element(0, 0)) + "," + zcLoggingScope::text(m.element(0, 1)) + "," +
         zcLoggingScope::text(m.element(1, 0)) + "," + zcLoggingScope::text(m.element(1, 1)) + "," +
         zcLoggingScope::text(x.trans().x()) + "," + zcLoggingScope::text(x.trans().y()) + "]";
}

std::string geometry(const zcEllipse::zcEllipseGeom& g) {
  return "center=" + pair(g.center()) + " radii=" + pair(g.xRadius(), g.yRadius()) +
         " rot=" + zcLoggingScope::text(g.rotation().value()) + (g.isRightHanded() ? "" : " mirrored");
}

std::string angles(zcRadian start, zcRadian span) {
  return "start=" + zcLoggingScope::text(start.value()) + " span=" + zcLoggingScope::text(span.value());
}

std::string vertices(const std::vector<zcPoint>& points) {
  std::string out = "n=" + std::to_string(points.size());
  for (const zcPoint& p : points) out += " " + pair(p);
  return out;
}

std::string runs(const zcRLEBuffer& image) {
  std::string out;
  for (long r = 0; r < image.rowCount(); ++r) {
    if (r > 0) out += ';';
    bool first = true;
    for (const unsigned char b : image.row(r)) {
      if (!first) out += ',';
      out += std::to_string(b);
      first = false;
    }
  }
  return out;
}

std::string pelText(unsigned char v) { return std::to_string(v); }
std::string pelText(unsigned short v) { return std::to_string(v); }
std::string pelText(zcPackedRGB16 v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(v.value()));
  return buf;
}
std::string pelText(zcPackedRGB32 v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(v.value()));
  return buf;
}

template <class T>
std::string pels(const zcPelBuffer_const<T>& image) {
  if (!image.isBound()) return "pels=(unbound)";
  // Many rows of nothing would still make a long list.
  if (image.width() * image.height() > kMaxListedPels || image.height() > kMaxListedPels)
    return "pels=(" + std::to_string(image.width() * image.height()) + " pels)";
  std::string out = "pels=";
  for (long r = 0; r < image.height(); ++r) {
    if (r > 0) out += ';';
    const T* row = image.width() > 0 ? image.rowPointer(image.offset().y() + r) : nullptr;
    for (long c = 0; c < image.width(); ++c) {
      if (c > 0) out += ',';
      out += pelText(row[c]);
    }
  }
  return out;
}

template <class T>
std::string sizeText(const T& image) {
  return "size=" + std::to_string(image.width()) + "x" + std::to_string(image.height());
}

// Display factor of a reduction slot's scale: below 1 as given, above 1 its reciprocal.
double reducedFactor(double s) { return s > 1.0 ? 1.0 / s : s; }

long scaledSide(long side, double factor) {
  const double v = std::ceil(static_cast<double>(side) * factor);
  return std::isfinite(v) && v > 0.0 ? static_cast<long>(std::min(v, static_cast<double>(zkPelLimit))) : 0;
}
}  // namespace

// --- Construction -----------------------------------------------------------------------

zcLoggingScope::zcLoggingScope(const zcPair<long>& size, const zcPair<long>& origin, std::string label)
    : zcUIScope(origin), size_(size), label_(std::move(label)) {}

zcLoggingScope::~zcLoggingScope() {
  const std::vector<zcLoggingScope*> made = made_;
  made_.clear();
  for (zcLoggingScope* kid : made) {
    kid->maker_ = nullptr;
    delete kid;
  }
  if (maker_) {
    std::vector<zcLoggingScope*>& siblings = maker_->made_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

// --- The log --------------------------------------------------------------------------------

namespace {
std::string_view nameOf(const std::string& entry) {
  const std::size_t space = entry.find(' ');
  return std::string_view(entry).substr(0, space);
}
}  // namespace

std::size_t zcLoggingScope::count(std::string_view name) const {
  return static_cast<std::size_t>(
      std::count_if(calls_.begin(), calls_.end(), [&](const std::string& e) { return nameOf(e) == name; }));
}

std::vector<std::string> zcLoggingScope::callsOf(std::string_view name) const {
  std::vector<std::string> out;
  for (const std::string& e : calls_)
    if (nameOf(e) == name) out.push_back(e);
  return out;
}

std::vector<std::string> zcLoggingScope::names() const {
  std::vector<std::string> out;
  for (const std::string& e : calls_) out.emplace_back(nameOf(e));
  return out;
}

// --- Renderings -----------------------------------------------------------------------------

std::string zcLoggingScope::text(double value) {
  if (value == 0.0) return "0";  // -0 too
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string zcLoggingScope::text(const zcColor& color) {
  static const struct {
    const zcColor* color;
    const char* name;
  } stock[] = {{&zcColor::blackColor(), "black"},   {&zcColor::dkGreyColor(), "dkGrey"},
               {&zcColor::greyColor(), "grey"},     {&zcColor::ltGreyColor(), "ltGrey"},
               {&zcColor::whiteColor(), "white"},   {&zcColor::redColor(), "red"},
               {&zcColor::dkRedColor(), "dkRed"},   {&zcColor::orangeColor(), "orange"},
               {&zcColor::yellowColor(), "yellow"}, {&zcColor::greenColor(), "green"},
               {&zcColor::dkGreenColor(), "dkGreen"}, {&zcColor::cyanColor(), "cyan"},
               {&zcColor::blueColor(), "blue"},     {&zcColor::purpleColor(), "purple"},
               {&zcColor::magentaColor(), "magenta"}, {&zcColor::passColor(), "pass"}};
  const zcRGB& rgb = color.rgbStruct();
  const std::string triple =
      std::to_string(rgb.r()) + "," + std::to_string(rgb.g()) + "," + std::to_string(rgb.b());
  if (color.isStockColor() && color.isIndexColor()) {
    for (const auto& s : stock)
      if (s.color->index() == color.index() && s.color->rgbStruct() == rgb) return s.name;
    return "stock(" + std::to_string(color.index()) + ";" + triple + ")";
  }
  if (color.isIndexColor()) return "index(" + std::to_string(color.index()) + ")";
  return "rgb(" + triple + ")";
}

std::string zcLoggingScope::text(const zcGraphicProps& props) {
  std::string out = "color=" + text(props.penColor()) + " width=" + std::to_string(props.penWidth());
  if (props.fill()) out += " fill";
  if (props.penStyle() != 0) out += " style=" + std::to_string(props.penStyle());
  if (props.penJoin() != 0) out += " join=" + std::to_string(props.penJoin());
  if (props.penEndCap() != 0) out += " cap=" + std::to_string(props.penEndCap());
  if (!props.arrowHead()) out += " noArrow";
  if (!props.arrowHeadForward()) out += " backArrow";
  if (props.showVertex()) out += " vertex";
  return out;
}

std::string zcLoggingScope::text(const zcUIRect& rect) {
  return "[" + std::to_string(rect.left()) + "," + std::to_string(rect.top()) + "," + std::to_string(rect.width()) +
         "," + std::to_string(rect.height()) + "]";
}

std::string zcLoggingScope::position(const zcPoint& p) const {
  return (&p == &drawPoint() ? "@drawPoint" : "") + pair(p);
}

// --- Change bookkeeping -------------------------------------------------------------------

void zcLoggingScope::painted(const zcUIRect& r, bool opaque) {
  if (r.isNull()) return;
  if (inhibited_) {
    collectClientChange(r);
    return;
  }
  change(r, opaque);
  modified(true);
}

zcUIRect zcLoggingScope::pixelBox(const zcShape& shape) const {
  // Shapes without points or bounds, and boxes beyond the pixel range, paint nothing
  // that a test could see.
  try {
    const zcRect box = shape.boundingBox();
    if (box.isEmpty()) return zcUIRect::null;
    const long x0 = xCoord(box.ul());
    const long y0 = yCoord(box.ul());
    const long x1 = xCoord(box.lr()) + 1;
    const long y1 = yCoord(box.lr()) + 1;
    return zcUIRect(x0, y0, x1 - x0, y1 - y0);
  } catch (const zcException&) {
    return zcUIRect::null;
  }
}

zcUIRect zcLoggingScope::imageBox(const zcPoint& pos, long width, long height) const {
  try {
    return zcUIRect(xCoord(pos), yCoord(pos), width, height);
  } catch (const zcException&) {
    return zcUIRect::null;
  }
}

// --- Tree, dragging, locks ----------------------------------------------------------------

void zcLoggingScope::moved(const zcUIScope& parent, const zcUIRect& r) {
  const auto* logging = dynamic_cast<const zcLoggingScope*>(&parent);
  log("moved " + (logging ? logging->label() : std::string("?")) + " " + text(r));
  size_ = r.sz();
}

zcUIScope* zcLoggingScope::makeKidScope(const zcUIRect& r, bool temporary) {
  auto* kid = new zcLoggingScope(r.sz(), zcPair<long>(), label_ + "/" + std::to_string(++kidsMade_));
  kid->inhibited_ = inhibited_;
  kid->maker_ = this;
  made_.push_back(kid);
  kid->move(*this, r);
  kid->clear();
  log("makeKidScope " + text(r) + " temporary=" + flag(temporary) + " -> " + kid->label());
  return kid;
}

void zcLoggingScope::dragStart() { log("dragStart"); }
void zcLoggingScope::dragStop() { log("dragStop"); }
void zcLoggingScope::dragErase() { log("dragErase"); }
void zcLoggingScope::dragAnimate(bool on) { log("dragAnimate " + flag(on)); }

void zcLoggingScope::lockScreenUpdatesPush(bool lock) {
  log("lockScreenUpdatesPush " + flag(lock));
  locks_.push_back(lock);
}

bool zcLoggingScope::lockScreenUpdatesPop() {
  if (!locks_.empty()) locks_.pop_back();
  const bool locked = std::find(locks_.begin(), locks_.end(), true) != locks_.end();
  log("lockScreenUpdatesPop -> " + flag(locked));
  return locked;
}

bool zcLoggingScope::screenUpdatesLocked() const {
  const bool locked = std::find(locks_.begin(), locks_.end(), true) != locks_.end();
  log("screenUpdatesLocked -> " + flag(locked));
  return locked;
}

void zcLoggingScope::hook10_() { log("hook10"); }
void zcLoggingScope::hook11_() { log("hook11"); }
void zcLoggingScope::hook24_() { log("hook24"); }
void zcLoggingScope::hook59_() { log("hook59"); }
void zcLoggingScope::hook60_() { log("hook60"); }
void zcLoggingScope::optimizeDrawing(bool on) { log("optimizeDrawing " + flag(on)); }

// --- Vector painting ----------------------------------------------------------------------

void zcLoggingScope::draw(const zcGenShape& shape, const zcColor& color) {
  std::string kind = "empty";
  std::string box = "none";
  if (!shape.isEmpty()) {
    const char* name = zc_Instantiator::nameOf(*shape.shape());
    kind = name ? name : "?";
    try {
      const zcRect b = shape.boundingBox();
      box = pair(b.ul()) + "-" + pair(b.lr());
    } catch (const zcException&) {
    }
  }
  log("drawGenShape " + kind + " box=" + box + " color=" + text(color));
  painted(pixelBox(shape));
}

void zcLoggingScope::draw(const zcEllipseArc& arc, const zcGraphicProps& props) {
  log("drawEllipseArc " + geometry(arc.geom()) + " " + angles(arc.phiStart(), arc.phiSpan()) + " " + text(props));
  painted(pixelBox(arc));
}

void zcLoggingScope::draw(const zcEllipse& ellipse, const zcGraphicProps& props) {
  log("drawEllipse " + geometry(ellipse.geom()) + " " + text(props));
  painted(pixelBox(ellipse));
}

void zcLoggingScope::draw(const zcPolygon& polygon, const zcGraphicProps& props) {
  log(std::string("drawPolygon ") + (polygon.fillMode() == zcPolygon::eWinding ? "winding " : "alternate ") +
      vertices(polygon.vertices()) + " " + text(props));
  painted(pixelBox(polygon));
}

void zcLoggingScope::draw(const zcPolyline& polyline, const zcGraphicProps& props) {
  log(std::string("drawPolyline ") + (polyline.isClosed() ? "closed " : "open ") + vertices(polyline.vertices()) +
      " " + text(props));
  painted(pixelBox(polyline));
}

void zcLoggingScope::draw(const zcGenRect& rect, const zcGraphicProps& props) {
  const zcMatrix<2>& m = rect.matrix();
  log("drawGenRect center=" + pair(rect.center()) + " matrix=[" + text(m.element(0, 0)) + "," +
      text(m.element(0, 1)) + "," + text(m.element(1, 0)) + "," + text(m.element(1, 1)) +
      "] round=" + pair(rect.roundFractions()) + " " + text(props));
  painted(pixelBox(rect));
}

void zcLoggingScope::draw(const zcEllipseArc2& arc, const zcGraphicProps& props) {
  log("drawEllipseArc2 xform=" + xform(arc.ellFromUnitCirc()) + " " + angles(arc.phiStart(), arc.phiSpan()) + " " +
      text(props));
  painted(pixelBox(arc));
}

void zcLoggingScope::draw(const zcEllipse2& ellipse, const zcGraphicProps& props) {
  log("drawEllipse2 xform=" + xform(ellipse.ellFromUnitCirc()) + " " + text(props));
  painted(pixelBox(ellipse));
}

void zcLoggingScope::draw(const zcLineSeg& segment, const zcGraphicProps& props) {
  log("drawLineSeg " + pair(segment.p1()) + "-" + pair(segment.p2()) + " " + text(props));
  painted(pixelBox(segment));
}

void zcLoggingScope::draw(const zcPoint& point, const zcGraphicProps& props) {
  log("drawPoint " + position(point) + " " + text(props));
  painted(imageBox(point, 1, 1));
}

void zcLoggingScope::drawTo(const zcPoint& p, const zcGraphicProps& props) {
  log("drawTo " + position(p) + " from " + pair(drawPoint()) + " " + text(props));
  const long x0 = drawX();
  const long y0 = drawY();
  const long x1 = xCoord(p);
  const long y1 = yCoord(p);
  drawStart(p);
  painted(zcUIRect(std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1));
}

void zcLoggingScope::drawToRelPels(long dx, long dy, const zcGraphicProps& props) {
  log("drawToRelPels " + pair(zcPair<long>(dx, dy)) + " from [" + std::to_string(drawX()) + "," +
      std::to_string(drawY()) + "] " + text(props));
  const long x0 = drawX();
  const long y0 = drawY();
  moveToRel(dx, dy);
  painted(zcUIRect(std::min(x0, drawX()), std::min(y0, drawY()), std::abs(drawX() - x0) + 1,
                   std::abs(drawY() - y0) + 1));
}

// --- Text ---------------------------------------------------------------------------------

void zcLoggingScope::draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground,
                          const zcColor& background, const zcUIFormat& format) {
  log("drawText " + quoted(text) + " " + position(pos) + " fg=" + zcLoggingScope::text(foreground) +
      " bg=" + zcLoggingScope::text(background) + " font=" + std::to_string(format.fontId()) +
      " align=" + std::to_string(format.alignment()));
  painted(format.alignRect(imageBox(pos, textCell_.x() * static_cast<long>(text.size()), textCell_.y())));
}

void zcLoggingScope::textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format,
                              zcUIRect& out) {
  out = format.alignRect(imageBox(pos, textCell_.x() * static_cast<long>(text.size()), textCell_.y()));
  log("textRect " + quoted(text) + " " + position(pos) + " font=" + std::to_string(format.fontId()) +
      " align=" + std::to_string(format.alignment()) + " -> " + zcLoggingScope::text(out));
}

// --- Images -------------------------------------------------------------------------------

void zcLoggingScope::draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<zcColor>& colorMap,
                          bool passThrough, unsigned char passValue) {
  std::string map;
  for (const zcColor& c : colorMap) map += (map.empty() ? "" : ",") + text(c);
  log("drawIcon " + position(pos) + " " + sizeText(image) + " map=[" + map + "] pass=" + flag(passThrough) + "/" +
      std::to_string(passValue) + " runs=" + runs(image));
  lastRLE_ = image;
  painted(imageBox(pos, image.width(), image.height()));
}

void zcLoggingScope::draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                          bool passThrough, unsigned char passValue, bool flagValue) {
  std::string map;
  for (const unsigned char c : colorMap) map += (map.empty() ? "" : ",") + std::to_string(c);
  log("drawRLE " + position(pos) + " " + sizeText(image) + " map=[" + map + "] pass=" + flag(passThrough) + "/" +
      std::to_string(passValue) + " flag=" + flag(flagValue) + " runs=" + runs(image));
  lastRLE_ = image;
  painted(imageBox(pos, image.width(), image.height()));
}

#define ZC_LOGGING_UNSCALED(T, NAME)                                                                      \
  void zcLoggingScope::draw(const zcPelBuffer_const<T>& image, const zcPoint& pos, bool passThrough,       \
                            T passValue) {                                                               \
    log(std::string(NAME " ") + position(pos) + " " + sizeText(image) + " pass=" + flag(passThrough) + "/" + \
        pelText(passValue) + " " + pels(image));                                                         \
    painted(imageBox(pos, image.width(), image.height()));                                               \
  }
ZC_LOGGING_UNSCALED(zcPackedRGB32, "drawRGB32")
ZC_LOGGING_UNSCALED(zcPackedRGB16, "drawRGB16")
ZC_LOGGING_UNSCALED(unsigned short, "drawPel16")
#undef ZC_LOGGING_UNSCALED

void zcLoggingScope::draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
                          unsigned char passValue, bool flagValue) {
  log("drawPel8 " + position(pos) + " " + sizeText(image) + " pass=" + flag(passThrough) + "/" + pelText(passValue) +
      " flag=" + flag(flagValue) + " " + pels(image));
  painted(imageBox(pos, image.width(), image.height()));
}

#define ZC_LOGGING_SCALED(T, KIND)                                                                             \
  void zcLoggingScope::drawReduced(const zcPelBuffer_const<T>& image, const zcPoint& pos,                     \
                                   const zcPair<double>& scale, bool passThrough, T passValue, bool flagValue) { \
    log("drawReduced" KIND " " + position(pos) + " scale=" + pair(scale) + " " + sizeText(image) +             \
        " pass=" + flag(passThrough) + "/" + pelText(passValue) + " flag=" + flag(flagValue) + " " +           \
        pels(image));                                                                                          \
    painted(imageBox(pos, scaledSide(image.width(), reducedFactor(scale.x())),                                 \
                     scaledSide(image.height(), reducedFactor(scale.y()))));                                   \
  }                                                                                                            \
  void zcLoggingScope::drawMagnified(const zcPelBuffer_const<T>& image, const zcPoint& pos,                   \
                                     const zcPair<double>& scale, bool passThrough, T passValue, bool flagValue, \
                                     InterpolationModes mode) {                                                \
    log("drawMagnified" KIND " " + position(pos) + " scale=" + pair(scale) + " " + sizeText(image) +           \
        " pass=" + flag(passThrough) + "/" + pelText(passValue) + " flag=" + flag(flagValue) +                 \
        " mode=" + std::to_string(mode) + " " + pels(image));                                                  \
    painted(imageBox(pos, scaledSide(image.width(), scale.x()), scaledSide(image.height(), scale.y())));       \
  }
ZC_LOGGING_SCALED(zcPackedRGB32, "RGB32")
ZC_LOGGING_SCALED(zcPackedRGB16, "RGB16")
ZC_LOGGING_SCALED(unsigned short, "Pel16")
ZC_LOGGING_SCALED(unsigned char, "Pel8")
#undef ZC_LOGGING_SCALED

// --- Areas --------------------------------------------------------------------------------

void zcLoggingScope::set(const zcUIRect& rect, const zcColor& color) {
  log("setRect " + text(rect) + " color=" + text(color));
  painted(rect, true);
}

void zcLoggingScope::set(const zcColor& color) {
  log("setAll color=" + text(color));
  painted(zcUIRect(zcPair<long>(), size_), true);
}

void zcLoggingScope::fill(const zcPair<long>& pos, const zcColor& fillColor, const zcColor& boundary,
                          bool fillType0) {
  log("fill " + pair(pos) + " fill=" + text(fillColor) + " boundary=" + text(boundary) + " type0=" + flag(fillType0));
  painted(zcUIRect(zcPair<long>(), size_));
}

bool zcLoggingScope::drawingInhibited(Layers) const { return inhibited_; }

zcPair<long> zcLoggingScope::size() const { return size_; }

void zcLoggingScope::displayClipRectChanged(const zcUIRect& r) { log("displayClipRectChanged " + text(r)); }

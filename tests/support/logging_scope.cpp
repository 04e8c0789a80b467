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
#include <iterator>
#include <span>
#include <type_traits>

namespace {
constexpr long kMaxListedPels = 4096;

// --- Renderings of arguments, and entries made of them ---------------------------------

std::string render(const std::string& s) { return s; }
std::string render(const char* s) { return s; }
std::string render(const zcColor& c) { return zcLoggingScope::text(c); }
std::string render(const zcGraphicProps& p) { return zcLoggingScope::text(p); }
std::string render(const zcUIRect& r) { return zcLoggingScope::text(r); }
std::string render(const zcPair<long>& p) { return "(" + std::to_string(p.x()) + "," + std::to_string(p.y()) + ")"; }
template <class P>
  requires requires(const P& p) { double(p.x()) + double(p.y()); }
std::string render(const P& p) {  // points and pairs of doubles
  return "(" + zcLoggingScope::text(p.x()) + "," + zcLoggingScope::text(p.y()) + ")";
}
// Numbers: doubles in their shortest exact form, flags 0 or 1, pels of 16 or 32 bits in hex.
template <class T>
  requires std::is_arithmetic_v<T> || std::is_enum_v<T>
std::string render(T v) {
  if constexpr (std::is_floating_point_v<T>) return zcLoggingScope::text(v);
  else return std::to_string(static_cast<long long>(v));
}
template <class T>
  requires std::is_same_v<T, zcPackedRGB16> || std::is_same_v<T, zcPackedRGB32>
std::string render(T v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, std::is_same_v<T, zcPackedRGB16> ? "0x%04X" : "0x%06X", unsigned(v.value()));
  return buf;
}

// `pattern` with each "%" replaced by the rendering of the next argument.
template <class... A>
std::string entry(std::string_view pattern, const A&... args) {
  const std::vector<std::string> parts{render(args)...};
  std::string out;
  std::size_t next = 0;
  for (const char c : pattern) c == '%' ? out += parts.at(next++) : out += c;
  return out;
}

std::string quoted(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : zfConvertString(text)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    out += c == '"' || c == '\\' ? std::string{'\\', c} : static_cast<unsigned char>(c) < 0x20 ? hex : std::string{c};
  }
  return out + "\"";
}

// Values joined with ",".
template <class C>
std::string joined(const C& values) {
  std::string out;
  for (const auto& v : values) out += (out.empty() ? "" : ",") + render(v);
  return out;
}

std::string list(std::initializer_list<double> values) { return "[" + joined(values) + "]"; }

std::string matrix(const zcMatrix<2>& m) {
  return list({m.element(0, 0), m.element(0, 1), m.element(1, 0), m.element(1, 1)});
}

std::string xform(const zcXform<2>& x) {
  const zcMatrix<2> m = x.matrix();
  return list({m.element(0, 0), m.element(0, 1), m.element(1, 0), m.element(1, 1), x.trans().x(), x.trans().y()});
}

std::string geometry(const zcEllipse::zcEllipseGeom& g) {
  return entry("center=% radii=% rot=%", g.center(), zcPair<double>(g.xRadius(), g.yRadius()),
               g.rotation().value()) +
         (g.isRightHanded() ? "" : " mirrored");
}

std::string angles(zcRadian start, zcRadian span) { return entry("start=% span=%", start.value(), span.value()); }

std::string vertices(const std::vector<zcPoint>& points) {
  std::string out = "n=" + std::to_string(points.size());
  for (const zcPoint& p : points) out += " " + render(p);
  return out;
}

// Rows of values joined with ";".
std::string runs(const zcRLEBuffer& image) {
  std::string out;
  for (long r = 0; r < image.rowCount(); ++r) out += (r > 0 ? ";" : "") + joined(image.row(r));
  return out;
}

template <class T>
std::string pels(const zcPelBuffer_const<T>& image) {
  if (!image.isBound()) return "pels=(unbound)";
  // Many rows of nothing would still make a long list.
  if (image.width() * image.height() > kMaxListedPels || image.height() > kMaxListedPels)
    return "pels=(" + std::to_string(image.width() * image.height()) + " pels)";
  std::string out = "pels=";
  for (long r = 0; r < image.height(); ++r)
    out += (r > 0 ? ";" : "") +
           joined(std::span<const T>(image.width() > 0 ? image.rowPointer(image.offset().y() + r) : nullptr,
                                     static_cast<std::size_t>(image.width())));
  return out;
}

template <class T>
std::string sizeText(const T& image) {
  return entry("size=%x%", image.width(), image.height());
}

// Display factor of a reduction slot's scale: below 1 as given, above 1 its reciprocal.
double reducedFactor(double s) { return s > 1.0 ? 1.0 / s : s; }

long scaledSide(long side, double factor) {
  const double v = std::ceil(static_cast<double>(side) * factor);
  return std::isfinite(v) && v > 0.0 ? static_cast<long>(std::min(v, static_cast<double>(zkPelLimit))) : 0;
}

std::string_view nameOf(const std::string& entry) { return std::string_view(entry).substr(0, entry.find(' ')); }

bool anyLocked(const std::vector<bool>& locks) { return std::find(locks.begin(), locks.end(), true) != locks.end(); }
}  // namespace

// --- Construction and the log ---------------------------------------------------------------

zcLoggingScope::zcLoggingScope(const zcPair<long>& size, const zcPair<long>& origin, std::string label)
    : zcUIScope(origin), size_(size), label_(std::move(label)) {}

zcLoggingScope::~zcLoggingScope() {
  const std::vector<zcLoggingScope*> made = made_;
  made_.clear();
  for (zcLoggingScope* kid : made) {
    kid->maker_ = nullptr;
    delete kid;
  }
  if (maker_) std::erase(maker_->made_, this);
}

std::size_t zcLoggingScope::count(std::string_view name) const {
  return static_cast<std::size_t>(
      std::count_if(calls_.begin(), calls_.end(), [&](const std::string& e) { return nameOf(e) == name; }));
}

std::vector<std::string> zcLoggingScope::callsOf(std::string_view name) const {
  std::vector<std::string> out;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out), [&](const auto& e) { return nameOf(e) == name; });
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
  const std::string triple = entry("%,%,%", rgb.r(), rgb.g(), rgb.b());
  if (color.isStockColor() && color.isIndexColor()) {
    for (const auto& s : stock)
      if (s.color->index() == color.index() && s.color->rgbStruct() == rgb) return s.name;
    return entry("stock(%;%)", color.index(), triple);
  }
  return color.isIndexColor() ? entry("index(%)", color.index()) : "rgb(" + triple + ")";
}

std::string zcLoggingScope::text(const zcGraphicProps& props) {
  std::string out = entry("color=% width=%", props.penColor(), props.penWidth());
  const std::pair<bool, std::string> fields[] = {{props.fill(), " fill"},
                                                 {props.penStyle() != 0, entry(" style=%", props.penStyle())},
                                                 {props.penJoin() != 0, entry(" join=%", props.penJoin())},
                                                 {props.penEndCap() != 0, entry(" cap=%", props.penEndCap())},
                                                 {!props.arrowHead(), " noArrow"},
                                                 {!props.arrowHeadForward(), " backArrow"},
                                                 {props.showVertex(), " vertex"}};
  for (const auto& [shown, field] : fields) out += shown ? field : "";
  return out;
}

std::string zcLoggingScope::text(const zcUIRect& rect) {
  return entry("[%,%,%,%]", rect.left(), rect.top(), rect.width(), rect.height());
}

std::string zcLoggingScope::position(const zcPoint& p) const {
  return (&p == &drawPoint() ? "@drawPoint" : "") + render(p);
}

// --- Change bookkeeping -------------------------------------------------------------------

void zcLoggingScope::painted(const zcUIRect& r, bool opaque) {
  if (r.isNull()) return;
  if (inhibited_) return collectClientChange(r);
  change(r, opaque);
  modified(true);
}

zcUIRect zcLoggingScope::pixelBox(const zcShape& shape) const {
  // Shapes without points or bounds, and boxes beyond the pixel range, paint nothing
  // that a test could see.
  try {
    const zcRect box = shape.boundingBox();
    if (box.isEmpty()) return zcUIRect::null;
    const long x0 = xCoord(box.ul()), y0 = yCoord(box.ul());
    return zcUIRect(x0, y0, xCoord(box.lr()) + 1 - x0, yCoord(box.lr()) + 1 - y0);
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
  log(entry("moved % %", logging ? logging->label() : "?", r));
  size_ = r.sz();
}

zcUIScope* zcLoggingScope::makeKidScope(const zcUIRect& r, bool temporary) {
  auto* kid = new zcLoggingScope(r.sz(), zcPair<long>(), label_ + "/" + std::to_string(++kidsMade_));
  kid->inhibited_ = inhibited_;
  kid->maker_ = this;
  made_.push_back(kid);
  kid->move(*this, r);
  kid->clear();
  log(entry("makeKidScope % temporary=% -> %", r, temporary, kid->label()));
  return kid;
}

void zcLoggingScope::dragStart() { log("dragStart"); }
void zcLoggingScope::dragStop() { log("dragStop"); }
void zcLoggingScope::dragErase() { log("dragErase"); }
void zcLoggingScope::dragAnimate(bool on) { log(entry("dragAnimate %", on)); }

void zcLoggingScope::lockScreenUpdatesPush(bool lock) {
  log(entry("lockScreenUpdatesPush %", lock));
  locks_.push_back(lock);
}

bool zcLoggingScope::lockScreenUpdatesPop() {
  if (!locks_.empty()) locks_.pop_back();
  log(entry("lockScreenUpdatesPop -> %", anyLocked(locks_)));
  return anyLocked(locks_);
}

void zcLoggingScope::optimizeDrawing(bool on) { log(entry("optimizeDrawing %", on)); }

// --- Vector painting ----------------------------------------------------------------------

void zcLoggingScope::draw(const zcGenShape& shape, const zcColor& color) {
  std::string kind = "empty", box = "none";
  if (!shape.isEmpty()) {
    const char* name = zc_Instantiator::nameOf(*shape.shape());
    kind = name ? name : "?";
    try {
      const zcRect b = shape.boundingBox();
      box = entry("%-%", b.ul(), b.lr());
    } catch (const zcException&) {
    }
  }
  log(entry("drawGenShape % box=% color=%", kind, box, color));
  painted(pixelBox(shape));
}

void zcLoggingScope::draw(const zcEllipseArc& arc, const zcGraphicProps& props) {
  log(entry("drawEllipseArc % % %", geometry(arc.geom()), angles(arc.phiStart(), arc.phiSpan()), props));
  painted(pixelBox(arc));
}

void zcLoggingScope::draw(const zcEllipse& ellipse, const zcGraphicProps& props) {
  log(entry("drawEllipse % %", geometry(ellipse.geom()), props));
  painted(pixelBox(ellipse));
}

void zcLoggingScope::draw(const zcPolygon& polygon, const zcGraphicProps& props) {
  log(entry("drawPolygon % % %", polygon.fillMode() == zcPolygon::eWinding ? "winding" : "alternate",
            vertices(polygon.vertices()), props));
  painted(pixelBox(polygon));
}

void zcLoggingScope::draw(const zcPolyline& polyline, const zcGraphicProps& props) {
  log(entry("drawPolyline % % %", polyline.isClosed() ? "closed" : "open", vertices(polyline.vertices()), props));
  painted(pixelBox(polyline));
}

void zcLoggingScope::draw(const zcGenRect& rect, const zcGraphicProps& props) {
  log(entry("drawGenRect center=% matrix=% round=% %", rect.center(), matrix(rect.matrix()), rect.roundFractions(),
            props));
  painted(pixelBox(rect));
}

void zcLoggingScope::draw(const zcEllipseArc2& arc, const zcGraphicProps& props) {
  log(entry("drawEllipseArc2 xform=% % %", xform(arc.ellFromUnitCirc()), angles(arc.phiStart(), arc.phiSpan()), props));
  painted(pixelBox(arc));
}

void zcLoggingScope::draw(const zcEllipse2& ellipse, const zcGraphicProps& props) {
  log(entry("drawEllipse2 xform=% %", xform(ellipse.ellFromUnitCirc()), props));
  painted(pixelBox(ellipse));
}

void zcLoggingScope::draw(const zcLineSeg& segment, const zcGraphicProps& props) {
  log(entry("drawLineSeg %-% %", segment.p1(), segment.p2(), props));
  painted(pixelBox(segment));
}

void zcLoggingScope::draw(const zcPoint& point, const zcGraphicProps& props) {
  log(entry("drawPoint % %", position(point), props));
  painted(imageBox(point, 1, 1));
}

void zcLoggingScope::drawTo(const zcPoint& p, const zcGraphicProps& props) {
  log(entry("drawTo % from % %", position(p), drawPoint(), props));
  const long x0 = drawX(), y0 = drawY(), x1 = xCoord(p), y1 = yCoord(p);
  drawStart(p);
  painted(zcUIRect(std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1));
}

void zcLoggingScope::drawToRelPels(long dx, long dy, const zcGraphicProps& props) {
  const long x0 = drawX(), y0 = drawY();
  log(entry("drawToRelPels % from [%,%] %", zcPair<long>(dx, dy), x0, y0, props));
  moveToRel(dx, dy);
  painted(zcUIRect(std::min(x0, drawX()), std::min(y0, drawY()), std::abs(drawX() - x0) + 1,
                   std::abs(drawY() - y0) + 1));
}

// --- Text ---------------------------------------------------------------------------------

void zcLoggingScope::draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground,
                          const zcColor& background, const zcUIFormat& format) {
  log(entry("drawText % % fg=% bg=% font=% align=%", quoted(text), position(pos), foreground, background,
            format.fontId(), format.alignment()));
  painted(format.alignRect(imageBox(pos, textCell_.x() * static_cast<long>(text.size()), textCell_.y())));
}

void zcLoggingScope::textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format,
                              zcUIRect& out) {
  out = format.alignRect(imageBox(pos, textCell_.x() * static_cast<long>(text.size()), textCell_.y()));
  log(entry("textRect % % font=% align=% -> %", quoted(text), position(pos), format.fontId(), format.alignment(),
            out));
}

// --- Images -------------------------------------------------------------------------------

void zcLoggingScope::draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<zcColor>& colorMap,
                          bool passThrough, unsigned char passValue) {
  log(entry("drawIcon % % map=[%] pass=%/% runs=%", position(pos), sizeText(image), joined(colorMap), passThrough,
            passValue, runs(image)));
  lastRLE_ = image;
  painted(imageBox(pos, image.width(), image.height()));
}

void zcLoggingScope::draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                          bool passThrough, unsigned char passValue, bool flagValue) {
  log(entry("drawRLE % % map=[%] pass=%/% flag=% runs=%", position(pos), sizeText(image), joined(colorMap),
            passThrough, passValue, flagValue, runs(image)));
  lastRLE_ = image;
  painted(imageBox(pos, image.width(), image.height()));
}

#define ZC_LOGGING_UNSCALED(T, NAME)                                                                             \
  void zcLoggingScope::draw(const zcPelBuffer_const<T>& image, const zcPoint& pos, bool passThrough,             \
                            T passValue) {                                                                       \
    log(entry(NAME " % % pass=%/% %", position(pos), sizeText(image), passThrough, passValue, pels(image)));     \
    painted(imageBox(pos, image.width(), image.height()));                                                       \
  }
ZC_LOGGING_UNSCALED(zcPackedRGB32, "drawRGB32")
ZC_LOGGING_UNSCALED(zcPackedRGB16, "drawRGB16")
ZC_LOGGING_UNSCALED(unsigned short, "drawPel16")
#undef ZC_LOGGING_UNSCALED

void zcLoggingScope::draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
                          unsigned char passValue, bool flagValue) {
  log(entry("drawPel8 % % pass=%/% flag=% %", position(pos), sizeText(image), passThrough, passValue, flagValue,
            pels(image)));
  painted(imageBox(pos, image.width(), image.height()));
}

#define ZC_LOGGING_SCALED(T, KIND)                                                                               \
  void zcLoggingScope::drawReduced(const zcPelBuffer_const<T>& image, const zcPoint& pos,                       \
                                   const zcPair<double>& scale, bool passThrough, T passValue, bool flagValue) { \
    log(entry("drawReduced" KIND " % scale=% % pass=%/% flag=% %", position(pos), scale, sizeText(image),        \
              passThrough, passValue, flagValue, pels(image)));                                                  \
    painted(imageBox(pos, scaledSide(image.width(), reducedFactor(scale.x())),                                   \
                     scaledSide(image.height(), reducedFactor(scale.y()))));                                     \
  }                                                                                                              \
  void zcLoggingScope::drawMagnified(const zcPelBuffer_const<T>& image, const zcPoint& pos,                     \
                                     const zcPair<double>& scale, bool passThrough, T passValue, bool flagValue, \
                                     InterpolationModes mode) {                                                  \
    log(entry("drawMagnified" KIND " % scale=% % pass=%/% flag=% mode=% %", position(pos), scale,               \
              sizeText(image), passThrough, passValue, flagValue, mode, pels(image)));                           \
    painted(imageBox(pos, scaledSide(image.width(), scale.x()), scaledSide(image.height(), scale.y())));         \
  }
ZC_LOGGING_SCALED(zcPackedRGB32, "RGB32")
ZC_LOGGING_SCALED(zcPackedRGB16, "RGB16")
ZC_LOGGING_SCALED(unsigned short, "Pel16")
ZC_LOGGING_SCALED(unsigned char, "Pel8")
#undef ZC_LOGGING_SCALED

// --- Areas --------------------------------------------------------------------------------

void zcLoggingScope::set(const zcUIRect& rect, const zcColor& color) {
  log(entry("setRect % color=%", rect, color));
  painted(rect, true);
}

void zcLoggingScope::set(const zcColor& color) {
  log(entry("setAll color=%", color));
  painted(zcUIRect(zcPair<long>(), size_), true);
}

void zcLoggingScope::fill(const zcPair<long>& pos, const zcColor& fillColor, const zcColor& boundary,
                          bool fillType0) {
  log(entry("fill % fill=% boundary=% type0=%", pos, fillColor, boundary, fillType0));
  painted(zcUIRect(zcPair<long>(), size_));
}

bool zcLoggingScope::drawingInhibited(Layers) const { return inhibited_; }

zcPair<long> zcLoggingScope::size() const { return size_; }

void zcLoggingScope::displayClipRectChanged(const zcUIRect& r) { log(entry("displayClipRectChanged %", r)); }

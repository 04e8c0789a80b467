// `dispc dump`: a disassembler for sketches. One line per operation: offset, whole
// length (properties block, header and payload), kind, layer, header color, the
// properties when a block sets them, and a short summary of the payload read through
// the record's accessors. The last line counts the operations and says whether the
// walk ended exactly at the sketch's size.
#include "commands.h"

#include "dispc/sketchop.h"
#include "dispc/uierror.h"

#include "zfound/handle.h"
#include "zfound/strings.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Concatenates what an output stream makes of each part (numbers as %g with six
// significant digits).
template <class... Parts>
std::string str(const Parts&... parts) {
  std::ostringstream out;
  (out << ... << parts);
  return out.str();
}

std::string pt(const zcVector<2>& p) { return str('(', p.x(), ", ", p.y(), ')'); }
std::string pels(const zcPair<long>& p) { return str('(', p.x(), ", ", p.y(), ')'); }
std::string deg(zcRadian a) { return str(zcDegree(a).value(), " deg"); }
std::string size(long w, long h) { return str(w, 'x', h); }
const char* flag(bool on, const char* text) { return on ? text : ""; }

std::string pixelRect(const zcUIRect& r) { return str("pixels ", pels(r.ul()), ' ', size(r.width(), r.height())); }
std::string clientRect(const zcRect& r) {
  return r.isEmpty() ? std::string("empty rect") : str("rect ", pt(r.corner()), " size ", pt(r.size()));
}
std::string ellipse(const zcEllipse::zcEllipseGeom& g) {
  return str("center ", pt(g.center()), " radii (", g.xRadius(), ", ", g.yRadius(), ") rot ", deg(g.rotation()),
             flag(!g.isRightHanded(), " mirrored"));
}
std::string genRect(const zcGenRect& r) {
  return str("center ", pt(r.center()), " half ", pt(r.halfSizes()), " orient ", deg(r.orient()), " round ",
             pt(r.round()));
}
std::string vertexRun(const std::vector<zcPoint>& v) {
  if (v.empty()) return "0 vertices";
  return str(v.size(), v.size() == 1 ? " vertex " : " vertices ", pt(v.front()), " .. ", pt(v.back()));
}

// Text made printable on one line: control characters and quotes escaped.
std::string quoted(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", u);
      out += esc;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

template <class R>
const R& as(const zc_UISketchOpData& record) {
  const R* typed = dynamic_cast<const R*>(&record);
  // The factory makes the record from the opcode, so this holds for every walk.
  if (!typed) throw zcUIError::InvalidUISketch();
  return *typed;
}

std::string text(const std::string& utf8, const zcPoint& at, const zcColor& background, const zcUIFormat& format) {
  return str("at ", pt(at), ' ', quoted(utf8), " align ", static_cast<unsigned>(format.alignment()), " font ",
             format.fontId(), " background ", zfColorText(background));
}

// The payload summary of every kind: the one place that knows the record classes.
std::string summary(long opcode, const zc_UISketchOpData& d) {
  switch (opcode) {
    case 0:
    case 1:
    case 20:
    case 21:
      return str("at ", pt(as<zc_UISketchOpPoint>(d).point()));
    case 2: {
      const zcLineSeg& s = as<zc_UISketchOpLineSeg>(d).lineSeg();
      return str(pt(s.p1()), " to ", pt(s.p2()));
    }
    case 3: {
      const zcLine& l = as<zc_UISketchOpLine>(d).line();
      return str("through ", pt(l.point()), " direction ", pt(l.dir()));
    }
    case 4:
    case 29: {
      const zcCircle& c = as<zc_UISketchOpCircle>(d).circle();
      return str("center ", pt(c.center()), " radius ", c.radius(), flag(opcode == 29, " filled"));
    }
    case 5:
    case 30:
      return str(ellipse(as<zc_UISketchOpEllipse>(d).ellipse().geom()), flag(opcode == 30, " filled"));
    case 6: {
      const zcEllipseArc& a = as<zc_UISketchOpEllipseArc>(d).ellipseArc();
      return str(ellipse(a.geom()), " from ", deg(a.phiStart()), " span ", deg(a.phiSpan()));
    }
    case 7:
    case 39: {
      const zcEllipseAnnulusSection& s = as<zc_UISketchOpEllipseAnnSect>(d).section();
      const char* arrow = "";
      if (opcode == 39) {
        const auto& f = as<zc_UISketchOpEllipseAnnSectArrowheadFlag>(d);
        arrow = f.arrowHead() ? (f.arrowHeadForward() ? " arrow forward" : " arrow backward") : " arrow none";
      }
      return str("outer ", ellipse(s.annulus().outer().geom()), " ratio ", s.annulus().ratio(), " from ",
                 deg(s.phiStart()), " to ", deg(s.phiEnd()), flag(s.isFull(), " full"),
                 flag(s.isReversed(), " reversed"), arrow);
    }
    case 8:
    case 31:
      return str(genRect(as<zc_UISketchOpGenRect>(d).genRect()), flag(opcode == 31, " filled"));
    case 9: {
      const zcGenAnnulus& a = as<zc_UISketchOpGenAnn>(d).genAnnulus();
      return str("outer ", genRect(a.outer()), " inner half ", pt(a.inner().halfSizes()));
    }
    case 10: {
      const zcCoordAxes& a = as<zc_UISketchOpCoordAxes>(d).coordAxes();
      return str("origin ", pt(a.origin()), " x end ", pt(a.xEnd()), " y end ", pt(a.yEnd()));
    }
    case 11: {
      const auto& r = as<zc_UISketchOpString>(d);
      return text(r.text(), r.position(), r.background(), r.format());
    }
    case 35: {
      const auto& r = as<zc_UISketchOpUnicodeString>(d);
      return text(zfConvertString(r.text()), r.position(), r.background(), r.format());
    }
    case 12: {
      const auto& r = as<zc_UISketchOpPelBuf8>(d);
      const std::string pass = r.flag() ? str(" pass ", static_cast<int>(r.value())) : std::string();
      return str("at ", pt(r.position()), ' ', size(r.pels().width(), r.pels().height()), " pels", pass,
                 flag(r.flag2(), " gray"));
    }
    case 14: {
      const auto& r = as<zc_UISketchOpRleBuf>(d);
      const std::string pass = r.flag() ? str(" pass ", static_cast<int>(r.passValue())) : std::string();
      return str("at ", pt(r.position()), ' ', size(r.image().width(), r.image().height()), " run-length, map ",
                 r.colorMap().size(), pass);
    }
    case 15: {
      const auto& r = as<zc_UISketchOpSketch>(d);
      return str("offset ", pt(r.offset()), " nested ", r.sketch().size(), " bytes");
    }
    case 16:
    case 18: {
      const auto& r = as<zc_UISketchOpSet>(d);
      return r.pixelForm() ? pixelRect(r.pixels()) : clientRect(r.rect());
    }
    case 17:
      return "whole layer";
    case 19: {
      const auto& r = as<zc_UISketchOpFill>(d);
      return str("from ", r.pixelForm() ? str("pixel ", pels(r.pel())) : pt(r.point()), " boundary ",
                 zfColorText(r.boundary()), " type ", r.fillType());
    }
    case 22:
    case 23: {
      const auto& r = as<zc_UISketchOpDrawToRelPels>(d);
      return str("by ", pels(zcPair<long>(r.dx(), r.dy())), " pixels");
    }
    case 25: {
      const auto& r = as<zc_UISketchOpOutline3d>(d);
      return str(r.pixelForm() ? pixelRect(r.pixels()) : clientRect(r.rect()), " light ", zfColorText(r.light()),
                 " dark ", zfColorText(r.dark()), " width ", r.width());
    }
    case 26: {
      const auto& r = as<zc_UISketchOpArrow>(d);
      return str("tip ", pt(r.tip()), " direction ", pt(r.direction()), " size ", r.size());
    }
    case 27: {
      const zcAffineRectangle& r = as<zc_UISketchOpAffineRect>(d).affineRect();
      return str("corners ", pt(r.cornerPo()), ' ', pt(r.cornerPx()), ' ', pt(r.cornerPy()));
    }
    case 28: {
      const zcPolygon& p = as<zc_UISketchOpPolygon>(d).polygon();
      return str(vertexRun(p.vertices()), p.fillMode() == zcPolygon::eWinding ? " winding" : " alternate");
    }
    case 32:
    case 47:
      return clientRect(as<zc_UISketchOpRect>(d).rect());
    case 33: {
      const auto& r = as<zc_UISketchOpGenShape>(d);
      return str(zfColorText(r.color()), ' ', pixelRect(r.rect()), " shape ", r.shapeBytes().size(), " bytes");
    }
    case 34:
    case 38:
    case 41: {
      const zc_UISketchPolyData& p = as<zc_UISketchOpGenPoly>(d).poly();
      const std::string from = p.vertices.empty() ? std::string() : str(" from ", pt(p.vertices.front().point));
      return str(p.vertices.size(), " vertices, ", p.open ? "open" : "closed", from, flag(opcode == 38, " filled"));
    }
    case 37: {
      const zcCross& c = as<zc_UISketchOpCross>(d).cross();
      return str("center ", pt(c.center()), " angle ", deg(c.angle()), " size ", c.size());
    }
    case 42: {
      const auto& p = as<zc_UISketchOpBezierCurve>(d).curve().controlPoints();
      return str(pt(p[0]), " to ", pt(p[3]), " via ", pt(p[1]), ' ', pt(p[2]));
    }
    case 43: {
      const zcCubicSpline& s = as<zc_UISketchOpCubicSpline>(d).spline();
      if (s.numPieces() == 0) return "0 pieces";
      return str(s.numPieces(), " pieces ", pt(s.pieces().front().controlPoints()[0]), " .. ",
                 pt(s.pieces().back().controlPoints()[3]));
    }
    case 44: {
      const zcPolyline& p = as<zc_UISketchOpPolyline>(d).polyline();
      return str(vertexRun(p.vertices()), p.isClosed() ? " closed" : " open");
    }
    case 45:
      return ellipse(as<zc_UISketchOpEllipse2>(d).ellipse().geom());
    case 46: {
      const zcEllipseArc2& a = as<zc_UISketchOpEllipseArc2>(d).ellipseArc();
      return str(ellipse(a.ellipse().geom()), " from ", deg(a.phiStart()), " span ", deg(a.phiSpan()));
    }
    default:
      return std::string();
  }
}

const char* layerName(zcUITablet::Layers layer) {
  switch (layer) {
    case zcUITablet::eImage:
      return "image";
    case zcUITablet::eOverlay:
      return "overlay";
    default:
      return "both";
  }
}

std::string propsText(const zcGraphicProps& p) {
  return str("{width ", p.penWidth(), " style ", static_cast<int>(p.penStyle()), " join ",
             static_cast<int>(p.penJoin()), " cap ", static_cast<int>(p.penEndCap()), flag(p.fill(), " fill"),
             p.arrowHead() ? (p.arrowHeadForward() ? " arrow-forward" : " arrow-backward") : "",
             flag(p.showVertex(), " vertices"), '}');
}

}  // namespace

const std::vector<zcNamedColor>& zfStockColors() {
  static const std::vector<zcNamedColor> colors = {
      {"black", zcColor::black},   {"dkGrey", zcColor::dkGrey},   {"grey", zcColor::grey},
      {"ltGrey", zcColor::ltGrey}, {"white", zcColor::white},     {"red", zcColor::red},
      {"dkRed", zcColor::dkRed},   {"orange", zcColor::orange},   {"yellow", zcColor::yellow},
      {"green", zcColor::green},   {"dkGreen", zcColor::dkGreen}, {"cyan", zcColor::cyan},
      {"blue", zcColor::blue},     {"purple", zcColor::purple},   {"magenta", zcColor::magenta},
      {"pass", zcColor::pass}};
  return colors;
}

std::string zfColorText(const zcColor& color) {
  if (color.isStockColor() && color.isIndexColor()) {
    for (const zcNamedColor& n : zfStockColors())
      if (n.color.index() == color.index() && n.color.rgbStruct() == color.rgbStruct()) return n.name;
  }
  char text[16];
  if (color.isIndexColor()) {
    // A stock color read from outside may carry a triple of its own: its index rules.
    std::snprintf(text, sizeof text, "index %u", static_cast<unsigned>(color.index()));
  } else if (color.isRGBColor()) {
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(color.rgbStruct().rgb()));
  } else {
    std::snprintf(text, sizeof text, "flags 0x%02X", static_cast<unsigned>(color.flags()));
  }
  return text;
}

int zfRunDump(const std::string& path) {
  zcUISketch sketch = zfReadSketchArchive(path);
  // The whole listing is built first, so that a sketch that fails half-way prints
  // nothing but the error.
  std::string out = str("sketch ", path, ": ", sketch.size(), " bytes\n");
  char line[160];
  std::snprintf(line, sizeof line, "%8s %6s  %-27s %-7s %-10s %s\n", "offset", "length", "operation", "layer", "color",
                "payload");
  out += line;
  zc_UISketchOpHeader header;
  long count = 0;
  long at = 0;
  while (at < sketch.size()) {
    zc_UISketchOpData* made = nullptr;
    const long length = zfParseUISketch(sketch, at, header, &made);
    const zcPtrHandle<zc_UISketchOpData> record(made);
    const bool block = sketch.data()[at] == zcUISketch::kPropsOpcode;
    std::snprintf(line, sizeof line, "%8ld %6ld  %-27s %-7s %-10s ", at, length, zfUISketchOpName(header.opcode()),
                  layerName(header.layer()), zfColorText(header.color()).c_str());
    out += line;
    if (block) out += str("props ", propsText(header.props()), ' ');
    out += summary(header.opcode(), *record);
    out += '\n';
    at += length;
    ++count;
  }
  out += str(count, count == 1 ? " operation, " : " operations, ", at, " of ", sketch.size(), " bytes: ",
             at == sketch.size() ? "the walk ended exactly at the size" : "the walk ran past the size", '\n');
  std::fputs(out.c_str(), stdout);
  return at == sketch.size() ? 0 : 1;
}

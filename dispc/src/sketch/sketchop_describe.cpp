// What each operation kind says about its payload in a listing (dispc dump): a short
// summary read through the record's own fields, numbers with six significant digits.
#include "dispc/sketchop.h"

#include "zfound/strings.h"

#include <cstdio>
#include <sstream>

namespace {
using ColorText = zc_UISketchOpData::ColorText;

// Concatenates what an output stream makes of each part.
template <class... Parts>
std::string str(const Parts&... parts) {
  std::ostringstream out;
  (out << ... << parts);
  return out.str();
}

std::string pt(const zcVector<2>& p) { return str('(', p.x(), ", ", p.y(), ')'); }
std::string pels(const zcPair<long>& p) { return str('(', p.x(), ", ", p.y(), ')'); }
std::string deg(zcRadian a) { return str(zcDegree(a).value(), " deg"); }
std::string sizeText(long w, long h) { return str(w, 'x', h); }
const char* onlyIf(bool on, const char* text) { return on ? text : ""; }

std::string pixelRect(const zcUIRect& r) { return str("pixels ", pels(r.ul()), ' ', sizeText(r.width(), r.height())); }
std::string clientRect(const zcRect& r) {
  return r.isEmpty() ? std::string("empty rect") : str("rect ", pt(r.corner()), " size ", pt(r.size()));
}
std::string ellipseText(const zcEllipse::zcEllipseGeom& g) {
  return str("center ", pt(g.center()), " radii (", g.xRadius(), ", ", g.yRadius(), ") rot ", deg(g.rotation()),
             onlyIf(!g.isRightHanded(), " mirrored"));
}
std::string genRectText(const zcGenRect& r) {
  return str("center ", pt(r.center()), " half ", pt(r.halfSizes()), " orient ", deg(r.orient()), " round ",
             pt(r.round()));
}
std::string vertexRun(const std::vector<zcPoint>& v) {
  if (v.empty()) return "0 vertices";
  return str(v.size(), v.size() == 1 ? " vertex " : " vertices ", pt(v.front()), " .. ", pt(v.back()));
}
std::string passText(bool on, unsigned char value) { return on ? str(" pass ", static_cast<int>(value)) : ""; }

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

std::string textOf(const std::string& utf8, const zcPoint& at, const zcColor& background, const zcUIFormat& format,
                 ColorText colorText) {
  return str("at ", pt(at), ' ', quoted(utf8), " align ", static_cast<unsigned>(format.alignment()), " font ",
             format.fontId(), " background ", colorText(background));
}
}  // namespace

std::string zc_UISketchOpPoint::describe(ColorText) const { return str("at ", pt(point_)); }
std::string zc_UISketchOpLineSeg::describe(ColorText) const { return str(pt(p1_), " to ", pt(p2_)); }
std::string zc_UISketchOpLine::describe(ColorText) const {
  return str("through ", pt(line_.point()), " direction ", pt(line_.dir()));
}
std::string zc_UISketchOpCircle::describe(ColorText) const {
  return str("center ", pt(circle_.center()), " radius ", circle_.radius());
}
std::string zc_UISketchOpEllipse::describe(ColorText) const { return ellipseText(ellipse_.geom()); }
std::string zc_UISketchOpEllipseArc::describe(ColorText) const {
  return str(ellipseText(arc_.geom()), " from ", deg(arc_.phiStart()), " span ", deg(arc_.phiSpan()));
}
std::string zc_UISketchOpEllipseAnnSect::describe(ColorText) const {
  const zcEllipseAnnulusSection& s = section_;
  return str("outer ", ellipseText(s.annulus().outer().geom()), " ratio ", s.annulus().ratio(), " from ",
             deg(s.phiStart()), " to ", deg(s.phiEnd()), onlyIf(s.isFull(), " full"), onlyIf(s.isReversed(), " reversed"));
}
std::string zc_UISketchOpEllipseAnnSectArrowheadFlag::describe(ColorText colorText) const {
  return str(zc_UISketchOpEllipseAnnSect::describe(colorText),
             arrowHead_ ? (forward_ ? " arrow forward" : " arrow backward") : " arrow none");
}
std::string zc_UISketchOpGenRect::describe(ColorText) const { return genRectText(rect_); }
std::string zc_UISketchOpGenAnn::describe(ColorText) const {
  return str("outer ", genRectText(annulus_.outer()), " inner half ", pt(annulus_.inner().halfSizes()));
}
std::string zc_UISketchOpCoordAxes::describe(ColorText) const {
  return str("origin ", pt(axes_.origin()), " x end ", pt(axes_.xEnd()), " y end ", pt(axes_.yEnd()));
}
std::string zc_UISketchOpString::describe(ColorText colorText) const {
  return textOf(text_, position_, background_, format_, colorText);
}
std::string zc_UISketchOpUnicodeString::describe(ColorText colorText) const {
  return textOf(zfConvertString(text_), position_, background_, format_, colorText);
}
std::string zc_UISketchOpPelBuf8::describe(ColorText) const {
  return str("at ", pt(position_), ' ', sizeText(pels_.width(), pels_.height()), " pels", passText(flag_, value_),
             onlyIf(flag2_, " gray"));
}
std::string zc_UISketchOpRleBuf::describe(ColorText) const {
  return str("at ", pt(position_), ' ', sizeText(image_.width(), image_.height()), " run-length, map ", colorMap_.size(),
             passText(flag_, passValue_));
}
std::string zc_UISketchOpSketch::describe(ColorText) const {
  return str("offset ", pt(offset_), " nested ", sketch_.size(), " bytes");
}
std::string zc_UISketchOpSet::describe(ColorText) const { return pixelForm_ ? pixelRect(pixels_) : clientRect(rect_); }
std::string zc_UISketchOpSetAll::describe(ColorText) const { return "whole layer"; }
std::string zc_UISketchOpFill::describe(ColorText colorText) const {
  return str("from ", pixelForm_ ? str("pixel ", pels(pel_)) : pt(point_), " boundary ", colorText(boundary_), " type ",
             fillType_);
}
std::string zc_UISketchOpDrawToRelPels::describe(ColorText) const {
  return str("by ", pels(zcPair<long>(dx_, dy_)), " pixels");
}
std::string zc_UISketchOpOutline3d::describe(ColorText colorText) const {
  return str(zc_UISketchOpSet::describe(colorText), " light ", colorText(light_), " dark ", colorText(dark_), " width ",
             width_);
}
std::string zc_UISketchOpArrow::describe(ColorText) const {
  return str("tip ", pt(tip_), " direction ", pt(direction_), " size ", size_);
}
std::string zc_UISketchOpAffineRect::describe(ColorText) const {
  return str("corners ", pt(rect_.cornerPo()), ' ', pt(rect_.cornerPx()), ' ', pt(rect_.cornerPy()));
}
std::string zc_UISketchOpPolygon::describe(ColorText) const {
  return str(vertexRun(polygon_.vertices()), polygon_.fillMode() == zcPolygon::eWinding ? " winding" : " alternate");
}
std::string zc_UISketchOpRect::describe(ColorText) const { return clientRect(rect_); }
std::string zc_UISketchOpGenShape::describe(ColorText colorText) const {
  return str(colorText(color_), ' ', pixelRect(rect_), " shape ", shapeBytes_.size(), " bytes");
}
std::string zc_UISketchOpGenPoly::describe(ColorText) const {
  const std::string from = poly_.vertices.empty() ? std::string() : str(" from ", pt(poly_.vertices.front().point));
  return str(poly_.vertices.size(), " vertices, ", poly_.open ? "open" : "closed", from);
}
std::string zc_UISketchOpCross::describe(ColorText) const {
  return str("center ", pt(cross_.center()), " angle ", deg(cross_.angle()), " size ", cross_.size());
}
std::string zc_UISketchOpBezierCurve::describe(ColorText) const {
  const auto& p = curve_.controlPoints();
  return str(pt(p[0]), " to ", pt(p[3]), " via ", pt(p[1]), ' ', pt(p[2]));
}
std::string zc_UISketchOpCubicSpline::describe(ColorText) const {
  if (spline_.numPieces() == 0) return "0 pieces";
  return str(spline_.numPieces(), " pieces ", pt(spline_.pieces().front().controlPoints()[0]), " .. ",
             pt(spline_.pieces().back().controlPoints()[3]));
}
std::string zc_UISketchOpPolyline::describe(ColorText) const {
  return str(vertexRun(polyline_.vertices()), polyline_.isClosed() ? " closed" : " open");
}
std::string zc_UISketchOpEllipse2::describe(ColorText) const { return ellipseText(ellipse_.geom()); }
std::string zc_UISketchOpEllipseArc2::describe(ColorText) const {
  return str(ellipseText(arc_.ellipse().geom()), " from ", deg(arc_.phiStart()), " span ", deg(arc_.phiSpan()));
}

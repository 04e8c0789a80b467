// Colors and graphic properties.
//
//   dispc.zcColor.red             a stock color (every stock name is a class attribute)
//   dispc.zcColor(249)            an index color
//   dispc.zcColor(255, 0, 0)      an RGB color
//   dispc.zcGraphicProps(dispc.zcColor.red, width=3, fill=True)
//
// Wherever a color is taken, a stock name ("red"), an index (249) or an (r, g, b)
// tuple does as well.
#include "common.h"

#include "dispc/color.h"
#include "dispc/dispprop.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace zc_py {
namespace {

struct StockColor {
  std::string name;
  const zcColor& color;
};

// The library's stock colors under Python's names: snake case ("dkGrey" becomes
// "dk_grey"), and "pass_" for "pass", a keyword.
const std::vector<StockColor>& stockColors() {
  static const std::vector<StockColor> colors = [] {
    std::vector<StockColor> out;
    for (const zcNamedColor& n : zfStockColors()) {
      std::string name;
      for (const char* c = n.name; *c; ++c) {
        if (std::isupper(static_cast<unsigned char>(*c))) name += '_';
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
      }
      out.push_back({name == "pass" ? "pass_" : name, n.color});
    }
    return out;
  }();
  return colors;
}

zcColor stockNamed(const std::string& name) {
  const std::string wanted = name == "pass" ? "pass_" : name;
  for (const StockColor& s : stockColors())
    if (wanted == s.name) return s.color;
  throw py::value_error("color: no stock color named '" + name + "'");
}

}  // namespace

std::string colorRepr(const zcColor& c) {
  if (c.isStockColor()) {
    for (const StockColor& s : stockColors())
      if (s.color.index() == c.index() && s.color.rgbStruct() == c.rgbStruct()) return std::string("zcColor.") + s.name;
  }
  char text[48];
  if (c.isIndexColor())
    std::snprintf(text, sizeof text, "zcColor(%u)", unsigned(c.index()));
  else
    std::snprintf(text, sizeof text, "zcColor(%u, %u, %u)", unsigned(c.rgbStruct().r()), unsigned(c.rgbStruct().g()),
                  unsigned(c.rgbStruct().b()));
  return text;
}

namespace {

std::string propsRepr(const zcGraphicProps& p) {
  return "zcGraphicProps(" + colorRepr(p.penColor()) + ", width=" + std::to_string(p.penWidth()) +
         ", style=" + std::to_string(p.penStyle()) + ", fill=" + (p.fill() ? "True" : "False") +
         ", join=" + std::to_string(p.penJoin()) + ", end_cap=" + std::to_string(p.penEndCap()) +
         ", arrow_head=" + (p.arrowHead() ? "True" : "False") +
         ", arrow_head_forward=" + (p.arrowHeadForward() ? "True" : "False") +
         ", show_vertex=" + (p.showVertex() ? "True" : "False") + ")";
}

}  // namespace

void bindColors(py::module_& m) {
  py::class_<zcColor> color(m, "zcColor",
                            "A stock color (a class attribute per stock name), an index color zcColor(i) or an RGB "
                            "color zcColor(r, g, b). Equal when both carry an index and the indices agree, else "
                            "when both carry RGB values that agree.");
  color.def(py::init<unsigned char>(), py::arg("index") = 0, "An index color (0 to 255).")
      .def(py::init<unsigned char, unsigned char, unsigned char>(), py::arg("r"), py::arg("g"), py::arg("b"),
           "An RGB color.")
      .def(py::init([](const py::tuple& rgb) {
             if (rgb.size() != 3) throw py::value_error("color: an RGB tuple has three values");
             return zcColor(rgb[0].cast<unsigned char>(), rgb[1].cast<unsigned char>(), rgb[2].cast<unsigned char>());
           }),
           py::arg("rgb"), "An RGB color from an (r, g, b) tuple.")
      .def(py::init(&stockNamed), py::arg("name"), "The stock color of that name ('red', 'dk_grey', ...).")
      .def_property_readonly("is_stock", &zcColor::isStockColor, "A stock color: it has both an index and RGB.")
      .def_property_readonly("is_rgb", &zcColor::isRGBColor, "It carries an RGB value.")
      .def_property_readonly("is_index", &zcColor::isIndexColor, "It carries a palette index.")
      .def_property_readonly("flags", &zcColor::flags, "Kind flags: 1 stock, 2 RGB, 4 index.")
      .def_property_readonly("index", &zcColor::index, "The palette index (zcUIError.NotIndexColor without one).")
      .def_property_readonly("rgb", &zcColor::rgb, "0x00RRGGBB (zcUIError.NotRGBColor without RGB).")
      .def_property_readonly("bgr", &zcColor::bgr, "0x00BBGGRR (zcUIError.NotRGBColor without RGB).")
      .def_property_readonly(
          "rgb_tuple",
          [](const zcColor& c) { return py::make_tuple(c.rgbStruct().r(), c.rgbStruct().g(), c.rgbStruct().b()); },
          "The held (r, g, b), (0, 0, 0) for an index color.")
      .def("__eq__", [](const zcColor& a, const zcColor& b) { return a == b; }, py::is_operator())
      .def("__ne__", [](const zcColor& a, const zcColor& b) { return a != b; }, py::is_operator())
      .def("__repr__", &colorRepr);
  color.attr("__hash__") = py::none();
  for (const StockColor& s : stockColors()) color.attr(s.name.c_str()) = s.color;
  color.attr("gray") = zcColor::grey;
  color.attr("lt_gray") = zcColor::ltGrey;
  color.attr("dk_gray") = zcColor::dkGrey;
  py::setattr(color, "pass", py::cast(zcColor::pass));
  py::implicitly_convertible<py::int_, zcColor>();
  py::implicitly_convertible<py::tuple, zcColor>();
  py::implicitly_convertible<py::str, zcColor>();

  using P = zcGraphicProps;
  py::class_<P>(m, "zcGraphicProps",
                "The pen a shape is drawn with: color, width, style, fill, join, end cap, arrow heads, vertex "
                "markers. Default: cyan, width 1, arrow heads on.")
      .def(py::init<>())
      .def(py::init([](const zcColor& color, long width, long style, bool fill, long join, long endCap, bool arrowHead,
                       bool arrowHeadForward, bool showVertex) {
             P p(color, width, static_cast<P::zePenStyle>(style), fill);
             p.penJoin(static_cast<P::zePenJoin>(join));
             p.penEndCap(static_cast<P::zePenEndCap>(endCap));
             p.arrowHead(arrowHead);
             p.arrowHeadForward(arrowHeadForward);
             p.showVertex(showVertex);
             return p;
           }),
           py::arg("color"), py::arg("width") = 1, py::arg("style") = 0, py::arg("fill") = false, py::arg("join") = 0,
           py::arg("end_cap") = 0, py::arg("arrow_head") = true, py::arg("arrow_head_forward") = true,
           py::arg("show_vertex") = false, "zcGraphicProps.BadParams for a negative width.")
      .def_property("pen_color", py::overload_cast<>(&P::penColor, py::const_), py::overload_cast<const zcColor&>(&P::penColor))
      .def_property("pen_width", py::overload_cast<>(&P::penWidth, py::const_), py::overload_cast<long>(&P::penWidth))
      .def_property(
          "pen_style", [](const P& p) { return long(p.penStyle()); },
          [](P& p, long v) { p.penStyle(static_cast<P::zePenStyle>(v)); })
      .def_property("fill", py::overload_cast<>(&P::fill, py::const_), py::overload_cast<bool>(&P::fill))
      .def_property(
          "pen_join", [](const P& p) { return long(p.penJoin()); },
          [](P& p, long v) { p.penJoin(static_cast<P::zePenJoin>(v)); })
      .def_property(
          "pen_end_cap", [](const P& p) { return long(p.penEndCap()); },
          [](P& p, long v) { p.penEndCap(static_cast<P::zePenEndCap>(v)); })
      .def_property("arrow_head", py::overload_cast<>(&P::arrowHead, py::const_),
                    py::overload_cast<bool>(&P::arrowHead))
      .def_property("arrow_head_forward", py::overload_cast<>(&P::arrowHeadForward, py::const_),
                    py::overload_cast<bool>(&P::arrowHeadForward))
      .def_property("show_vertex", py::overload_cast<>(&P::showVertex, py::const_),
                    py::overload_cast<bool>(&P::showVertex))
      .def(
          "record", [](const P& p) {
            unsigned char out[P::kRecordSize];
            p.writeRecord(out);
            return py::bytes(reinterpret_cast<const char*>(out), sizeof out);
          },
          "The 21-byte sketch record of these properties (the pen color is not part of it).")
      .def("__eq__", [](const P& a, const P& b) { return a == b; }, py::is_operator())
      .def("__ne__", [](const P& a, const P& b) { return a != b; }, py::is_operator())
      .def("__repr__", &propsRepr)
      .attr("__hash__") = py::none();
  py::implicitly_convertible<zcColor, P>();
}

}  // namespace zc_py

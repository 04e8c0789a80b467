// The drawing tablet and its calls, text formats and pixel rectangles.
//
//   rec = dispc.zcUITablet()                       # a recorder: records, never paints
//   rec.draw(dispc.zcCircle((5, 5), 3), pen, dispc.eOverlay)
//   view = dispc.zcUITablet(screen)                # paints into a screen's layers
//   view.replay(rec.sketch)
//
// draw() takes every shape kind with a zcGraphicProps pen (a color converts to the pen
// of that color); the kinds with a color form also take a color, and the filled kinds
// a `fill` keyword. The named calls (draw_circle, draw_rect, ...) are the tablet's
// calls of the same names. The layer is last and defaults to eOverlay. Replay releases
// the interpreter lock, so threads replay onto different tablets at once.
#include "common.h"

#include "dispc/glist.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/genpoly.h"
#include "dispc/wrfm/wirefrm.h"

#include "zscreen/screen.h"

namespace zc_py {

void bindTabletBatch(py::class_<zcUITablet>& c);

namespace {

using namespace py::literals;
using T = zcUITablet;
using L = zcUITablet::Layers;
using Props = zcGraphicProps;
constexpr L kOverlay = zcUITablet::eOverlay;

template <class S>
void propsForm(py::class_<T>& c) {
  c.def("draw", [](T& t, const S& s, const Props& p, L l) { t.draw(s, p, l); }, "shape"_a, "pen"_a,
        "layer"_a = kOverlay);
}
template <class S>
void colorForm(py::class_<T>& c) {
  c.def("draw", [](T& t, const S& s, const zcColor& color, L l) { t.draw(s, color, l); }, "shape"_a, "color"_a,
        "layer"_a = kOverlay);
}
template <class S>
void fillForm(py::class_<T>& c) {
  c.def("draw", [](T& t, const S& s, const zcColor& color, L l, bool fill) { t.draw(s, color, fill, l); },
        "shape"_a, "color"_a, "layer"_a = kOverlay, "fill"_a = false);
}

void bindEnums(py::module_& m) {
  py::enum_<L>(m, "Layers", "The layer of a drawing call.")
      .value("eImage", zcUITablet::eImage)
      .value("eOverlay", zcUITablet::eOverlay)
      .value("eBothLayers", zcUITablet::eBothLayers)
      .export_values();
  py::enum_<zcUITablet::ScaleModes>(m, "ScaleModes", "How the scaled map derives from the base map.")
      .value("eNoScale", zcUITablet::eNoScale)
      .value("eMagnify", zcUITablet::eMagnify)
      .value("eReduce", zcUITablet::eReduce)
      .export_values();
  py::enum_<zcUITablet::FillType>(m, "FillType", "Flood fill: up to a boundary color (0) or of one color (1).")
      .value("eFillType0", zcUITablet::eFillType0)
      .value("eFillType1", zcUITablet::eFillType1)
      .export_values();

  py::class_<zcUIFormat> format(m, "zcUIFormat", "How text is placed: a font id and an alignment.");
  py::enum_<zcUIFormat::Alignment> align(format, "Alignment");
  for (auto [name, value] : {std::pair{"eTopLeft", zcUIFormat::eTopLeft}, {"eTopCenter", zcUIFormat::eTopCenter},
                             {"eTopRight", zcUIFormat::eTopRight}, {"eMiddleLeft", zcUIFormat::eMiddleLeft},
                             {"eMiddleCenter", zcUIFormat::eMiddleCenter}, {"eMiddleRight", zcUIFormat::eMiddleRight},
                             {"eBottomLeft", zcUIFormat::eBottomLeft}, {"eBottomCenter", zcUIFormat::eBottomCenter},
                             {"eBottomRight", zcUIFormat::eBottomRight}})
    align.value(name, value);
  align.export_values();
  format.def(py::init<>())
      .def(py::init<long, zcUIFormat::Alignment>(), "font_id"_a, "alignment"_a = zcUIFormat::eTopLeft,
           "Font id f from 6 to 255: f pixels; f + 256 bold; others the default.")
      .def_property("font_id", py::overload_cast<>(&zcUIFormat::fontId, py::const_),
                    py::overload_cast<long>(&zcUIFormat::fontId))
      .def_property("alignment", py::overload_cast<>(&zcUIFormat::alignment, py::const_),
                    py::overload_cast<zcUIFormat::Alignment>(&zcUIFormat::alignment))
      .def("__eq__", [](const zcUIFormat& a, const zcUIFormat& b) { return a == b; }, py::is_operator())
      .def("__repr__", [](const zcUIFormat& f) {
        return "zcUIFormat(" + std::to_string(f.fontId()) + ", " + std::to_string(f.alignment()) + ")";
      })
      .attr("__hash__") = py::none();

  py::class_<zcUIRect>(m, "zcUIRect", "A pixel rectangle: left, top, width, height.")
      .def(py::init<>())
      .def(py::init<long, long, long, long>(), "x"_a, "y"_a, "w"_a, "h"_a)
      .def_property_readonly("left", ZC_PY_GET(zcUIRect, left))
      .def_property_readonly("top", ZC_PY_GET(zcUIRect, top))
      .def_property_readonly("width", ZC_PY_GET(zcUIRect, width))
      .def_property_readonly("height", ZC_PY_GET(zcUIRect, height))
      .def("__eq__", [](const zcUIRect& a, const zcUIRect& b) { return a == b; }, py::is_operator())
      .def("__repr__", [](const zcUIRect& r) {
        return "zcUIRect(" + std::to_string(r.left()) + ", " + std::to_string(r.top()) + ", " +
               std::to_string(r.width()) + ", " + std::to_string(r.height()) + ")";
      })
      .attr("__hash__") = py::none();
}

// A flag stack's top as a property.
template <zcFlagStack& (T::*Flag)()>
void flag(py::class_<T>& c, const char* name, const char* doc) {
  c.def_property(
      name, [](T& t) { return static_cast<bool>((t.*Flag)()); }, [](T& t, bool on) { (t.*Flag)() = on; }, doc);
}

void bindState(py::class_<T>& c) {
  c.def(py::init<>(), "A recorder: no scopes, drawing off, recording on.")
      .def(py::init([](zcScreen& screen, bool record) {
             auto t = std::make_unique<T>(&screen.image(), &screen.overlay());
             t->visible(true);
             t->recordOn() = record;
             return t;
           }),
           "screen"_a, "record"_a = false, py::keep_alive<1, 2>(),
           "A visible tablet painting into the screen's two layers; it keeps the screen alive.")
      .def_property_readonly("sketch", py::overload_cast<>(&T::sketch), py::return_value_policy::reference_internal,
                             "The recorded sketch (shared with the tablet, not a copy).")
      .def_property("visible", py::overload_cast<>(&T::visible, py::const_),
                    [](T& t, bool on) {
                      if (on != t.visible()) t.visible(on);
                    })
      .def_property("base_map", py::overload_cast<>(&T::baseMap, py::const_), py::overload_cast<const zcXform<2>&>(&T::baseMap),
                    "Client to pixels before scaling (zcUIError.BadParams when not finite).")
      .def_property_readonly("scaled_map", ZC_PY_GET(T, scaledMap))
      .def_property("scale_mode", py::overload_cast<>(&T::scaleMode, py::const_), py::overload_cast<zcUITablet::ScaleModes>(&T::scaleMode))
      .def_property("scale_exact", py::overload_cast<>(&T::scaleExact, py::const_), py::overload_cast<const zcPair<double>&>(&T::scaleExact),
                    "Both factors, finite and positive (zcUIError.BadParams).")
      .def("scope_coords", &T::scopeCoords, "p"_a, "A client point in the tablet's pixels.")
      .def("tablet_coords", &T::tabletCoords, "p"_a, "A pixel back to client coordinates.")
      .def("erase", py::overload_cast<L>(&T::erase), "layer"_a = zcUITablet::eBothLayers,
           "Removes what the tablet painted; empties a recorder's sketch.");
  flag<&T::recordOn>(c, "record_on", "Calls are recorded into the sketch.");
  flag<&T::drawOn>(c, "draw_on", "Calls paint (when the tablet has scopes and is visible).");
  flag<&T::drawOnOverlay>(c, "draw_on_overlay", "Calls on the overlay layer paint.");
}

void bindShapeCalls(py::class_<T>& c) {
  propsForm<zcPoint>(c);
  colorForm<zcPoint>(c);
  propsForm<zc2Point>(c);
  propsForm<zcPointSet>(c);
  colorForm<zcPointSet>(c);
  propsForm<zcLineSeg>(c);
  colorForm<zcLineSeg>(c);
  propsForm<zcLineSegSet>(c);
  propsForm<zcLine>(c);
  colorForm<zcLine>(c);
  propsForm<zcPolygon>(c);
  colorForm<zcPolygon>(c);
  propsForm<zcPolyline>(c);
  propsForm<zcBezierCurve>(c);
  propsForm<zcCubicSpline>(c);
  propsForm<zcCircle>(c);
  fillForm<zcCircle>(c);
  propsForm<zcEllipse>(c);
  fillForm<zcEllipse>(c);
  propsForm<zcEllipseArc>(c);
  colorForm<zcEllipseArc>(c);
  propsForm<zcEllipse2>(c);
  propsForm<zcEllipseArc2>(c);
  propsForm<zcEllipseAnnulusSection>(c);
  c.def(
      "draw",
      [](T& t, const zcEllipseAnnulusSection& s, const zcColor& color, L l, bool head, bool forward) {
        t.draw(s, color, head, forward, l);
      },
      "shape"_a, "color"_a, "layer"_a = kOverlay, "arrow_head"_a = true, "arrow_head_forward"_a = false);
  propsForm<zcAnnulus>(c);
  colorForm<zcAnnulus>(c);
  propsForm<zcGenAnnulus>(c);
  colorForm<zcGenAnnulus>(c);
  propsForm<zcGenRect>(c);
  fillForm<zcGenRect>(c);
  propsForm<zcRect>(c);
  fillForm<zcRect>(c);
  propsForm<zcAffineRectangle>(c);
  colorForm<zcAffineRectangle>(c);
  propsForm<zcCross>(c);
  colorForm<zcCross>(c);
  propsForm<zcCoordAxes>(c);
  colorForm<zcCoordAxes>(c);
  propsForm<zcGenPoly>(c);
  fillForm<zcGenPoly>(c);
  propsForm<zc2Wireframe>(c);
  fillForm<zc2Wireframe>(c);
  // Last, so that every kind above is matched first.
  propsForm<zcShape>(c);
  c.def("draw", [](T& t, const zcGraphic& g, L l) { t.draw(g, l); }, "graphic"_a, "layer"_a = kOverlay,
        "A graphic draws itself with its own properties.");
  c.def("draw", [](T& t, const zcUISketch& s, const zcPoint& offset, L l) { t.draw(s, offset, l); }, "sketch"_a,
        "offset"_a = zcPoint(0, 0), "layer"_a = zcUITablet::eBothLayers, py::call_guard<py::gil_scoped_release>());
  c.def("replay", [](T& t, const zcUISketch& s, const zcPoint& offset, L l) { t.draw(s, offset, l); }, "sketch"_a,
        "offset"_a = zcPoint(0, 0), "layer"_a = zcUITablet::eBothLayers, py::call_guard<py::gil_scoped_release>(),
        "Replays the sketch moved by offset (the operations of the layer; all of them for eBothLayers), "
        "without the interpreter lock. zcUIError.InvalidUISketch for a malformed sketch.");
}

void bindNamedCalls(py::class_<T>& c) {
  c.def("draw_pixel", &T::drawPixel, "p"_a, "color"_a, "layer"_a = kOverlay)
      .def("draw_point_icon", py::overload_cast<const zcPoint&, const Props&, L>(&T::drawPointIcon), "p"_a, "pen"_a,
           "layer"_a = kOverlay)
      .def("draw_point_icon", py::overload_cast<const zcPoint&, const zcColor&, L>(&T::drawPointIcon), "p"_a,
           "color"_a, "layer"_a = kOverlay)
      .def("draw_line_seg", &T::drawLineSeg, "p1"_a, "p2"_a, "color"_a, "layer"_a = kOverlay)
      .def("draw_line", &T::drawLine, "point"_a, "angle"_a, "color"_a, "layer"_a = kOverlay)
      .def("draw_polygon", &T::drawPolygon, "vertices"_a, "mode"_a, "color"_a, "layer"_a = kOverlay)
      .def("draw_circle", &T::drawCircle, "center"_a, "radius"_a, "color"_a, "layer"_a = kOverlay, "fill"_a = false)
      .def("draw_ellipse", &T::drawEllipse, "center"_a, "radii"_a, "rotation"_a, "color"_a, "layer"_a = kOverlay,
           "fill"_a = false)
      .def("draw_ellipse_arc", &T::drawEllipseArc, "center"_a, "radii"_a, "rotation"_a, "start"_a, "span"_a,
           "color"_a, "layer"_a = kOverlay)
      .def("draw_gen_rect", &T::drawGenRect, "center"_a, "half_sizes"_a, "orient"_a, "round"_a, "color"_a,
           "layer"_a = kOverlay, "fill"_a = false)
      .def("draw_rect", &T::drawRect, "corner"_a, "size"_a, "color"_a, "layer"_a = kOverlay, "fill"_a = false)
      .def("draw_affine_rect", &T::drawAffineRect, "origin"_a, "x_corner"_a, "y_corner"_a, "color"_a,
           "layer"_a = kOverlay)
      .def("draw_cross", &T::drawCross, "center"_a, "angle"_a, "color"_a, "layer"_a = kOverlay,
           "A cross of size 7.")
      .def(
          "arrow_head",
          [](T& t, const zcPoint& tip, const zcVector<2>& dir, float size, const Props& p, L l) {
            t.arrowHead(tip, dir, static_cast<float>(finite(size, "size")), p, l);
          },
          "tip"_a, "dir"_a, "size"_a, "pen"_a, "layer"_a = kOverlay)
      .def("draw_text", py::overload_cast<const std::wstring&, const zcPoint&, const zcColor&, const zcColor&,
                                          const zcUIFormat&, L>(&T::draw),
           "text"_a, "pos"_a, "foreground"_a, "background"_a = zcColor::pass, "format"_a = zcUIFormat(),
           "layer"_a = kOverlay, "Text at pos; the background fills the text box unless it is the pass color.")
      .def(
          "text_rect",
          [](T& t, const std::wstring& text, const zcPoint& pos, const zcUIFormat& format, L l) {
            zcUIRect out;
            t.textRect(text, pos, format, out, l);
            return out;
          },
          "text"_a, "pos"_a, "format"_a = zcUIFormat(), "layer"_a = kOverlay)
      .def("draw_start", &T::drawStart, "p"_a, "layer"_a = kOverlay)
      .def("draw_to", py::overload_cast<const zcPoint&, const Props&, L>(&T::drawTo), "p"_a, "pen"_a,
           "layer"_a = kOverlay)
      .def("draw_to", py::overload_cast<const zcPoint&, const zcColor&, L>(&T::drawTo), "p"_a, "color"_a,
           "layer"_a = kOverlay)
      .def("draw_to_rel_pels", py::overload_cast<long, long, const Props&, L>(&T::drawToRelPels), "dx"_a, "dy"_a,
           "pen"_a, "layer"_a = kOverlay)
      .def("draw_to_rel_pels", py::overload_cast<long, long, const zcColor&, L>(&T::drawToRelPels), "dx"_a, "dy"_a,
           "color"_a, "layer"_a = kOverlay)
      .def(
          "draw_to_rel_pels",
          [](T& t, const zcVector<2>& dir, float length, const Props& p, L l) {
            t.drawToRelPels(dir, static_cast<float>(finite(length, "length")), p, l);
          },
          "dir"_a, "length"_a, "pen"_a, "layer"_a = kOverlay)
      .def("move_to_rel_pels", py::overload_cast<long, long, L>(&T::moveToRelPels), "dx"_a, "dy"_a,
           "layer"_a = kOverlay)
      .def(
          "move_to_rel_pels",
          [](T& t, const zcVector<2>& dir, float length, L l) {
            t.moveToRelPels(dir, static_cast<float>(finite(length, "length")), l);
          },
          "dir"_a, "length"_a, "layer"_a = kOverlay)
      .def("set", py::overload_cast<const zcColor&, L>(&T::set), "color"_a, "layer"_a = kOverlay,
           "The whole layer; empties the sketch first.")
      .def("set", py::overload_cast<const zcUIRect&, const zcColor&, L>(&T::set), "rect"_a, "color"_a,
           "layer"_a = kOverlay)
      .def("set", py::overload_cast<const zcRect&, const zcColor&, L>(&T::set), "rect"_a, "color"_a,
           "layer"_a = kOverlay)
      .def("set_complement", py::overload_cast<const zcUIRect&, const zcColor&, L>(&T::setComplement), "rect"_a,
           "color"_a, "layer"_a = kOverlay)
      .def("set_complement", py::overload_cast<const zcRect&, const zcColor&, L>(&T::setComplement), "rect"_a,
           "color"_a, "layer"_a = kOverlay)
      .def("fill",
           py::overload_cast<const zcPoint&, const zcColor&, const zcColor&, zcUITablet::FillType, L>(&T::fill),
           "p"_a, "fill"_a, "boundary"_a, "type"_a = zcUITablet::eFillType0, "layer"_a = kOverlay)
      .def("outline3d", py::overload_cast<const zcUIRect&, const zcColor&, const zcColor&, long, L>(&T::outline3D),
           "rect"_a, "light"_a, "dark"_a, "width"_a, "layer"_a = kOverlay)
      .def("outline3d", py::overload_cast<const zcRect&, const zcColor&, const zcColor&, long, L>(&T::outline3D),
           "rect"_a, "light"_a, "dark"_a, "width"_a, "layer"_a = kOverlay)
      .def("outline", py::overload_cast<const zcUIRect&, const zcColor&, long, L>(&T::outline), "rect"_a,
           "color"_a, "width"_a, "layer"_a = kOverlay)
      .def("outline", py::overload_cast<const zcRect&, const zcColor&, long, L>(&T::outline), "rect"_a, "color"_a,
           "width"_a, "layer"_a = kOverlay)
      .def("draw_clip_rect", &T::drawClipRect, "rect"_a, "layer"_a = kOverlay,
           "The client clip rectangle of the layer.")
      .def(
          "draw_image",
          [](T& t, py::handle image, const zcPoint& pos, bool passThrough, unsigned char passValue, bool gray, L l) {
            const py::array a = checkedU8(image, "image", false, 0);  // may be a copy: kept while drawing
            t.draw(zcPelBuffer_const<unsigned char>(borrowedPels(a)), pos, passThrough, passValue, gray, l);
          },
          "image"_a, "pos"_a, "pass_through"_a = false, "pass_value"_a = 0, "gray"_a = false, "layer"_a = kOverlay,
          "An 8-bit H x W image (palette indices, or gray levels with gray=True) at pos; recorded.");
}

}  // namespace

void bindTablet(py::module_& m) {
  bindEnums(m);
  py::class_<T> c(m, "zcUITablet",
                  "The drawing tablet: maps client coordinates to pixels, paints through a screen's layers, "
                  "records every call into its sketch.");
  bindState(c);
  bindShapeCalls(c);
  bindNamedCalls(c);
  bindTabletBatch(c);
}

}  // namespace zc_py

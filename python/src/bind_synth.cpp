// Generalized polygons, SMD polys and synthetic drawing into numpy arrays.
//
//   body = dispc.zcSMDGDPoly.rectangle(40, 20, (64, 64))
//   img = np.zeros((128, 128), np.uint8)
//   dispc.draw_synthetic(body, img, 200)                       # into img, no copy
//   dispc.draw_synthetic(body, img[10:90, 20:100], 200, coverage=dispc.eExactCoverage)
//
// The target is the caller's own writable uint8 H x W array (a view of a larger one
// works: only the view's pels change). A read-only array raises ValueError, another
// dtype TypeError, both naming the argument. Drawing runs without the interpreter lock.
#include "common.h"

#include "dispc/wrfm/genpoly.h"
#include "dispc/wrfm/smdpoly.h"
#include "dispc/wrfm/synth.h"
#include "dispc/dimtol.h"
#include "dispc/wrfm/wirefrm.h"

#include <string>
#include <vector>

namespace zc_py {
namespace {

using namespace py::literals;

// One synthetic drawing call for any poly kind and transform kind.
template <class Poly, class Xform>
void synthetic(const Poly& poly, py::handle image, unsigned char value, const Xform& xform,
               zeSyntheticCoverage coverage) {
  const py::array a = checkedU8(image, "image", true, 0);
  zcPelBuffer<unsigned char> pb = borrowedPels(a);
  py::gil_scoped_release unlocked;
  if constexpr (std::is_same_v<Poly, zcGenPoly>) {
    zfDrawSynthetic(poly, xform, pb, value, coverage);
  } else if constexpr (std::is_same_v<Xform, zcXform<2>>) {
    zcSMDGDPolyPrivate::drawSynthetic(poly, xform, pb, value, true, true, coverage);
  } else {
    zcSMDGDPolyPrivate::drawSynthetic(poly, xform, pb, value, coverage);
  }
}

template <class Poly>
void defSynthetic(py::module_& m) {
  m.def("draw_synthetic", &synthetic<Poly, zcXform<2>>, "poly"_a, "image"_a, "value"_a = 255,
        "xform"_a = zcXform<2>(), "coverage"_a = eNeighbourBlend,
        "Renders the closed poly into the uint8 image as an anti-aliased region of `value`; xform maps the "
        "poly to the image's pels.");
  m.def(
      "draw_synthetic",
      [](const Poly& poly, py::handle image, unsigned char value, const zcPtrHandle<zc2XformBase>& xform,
         zeSyntheticCoverage coverage) {
        synthetic(poly, image, value, zcPtrHandle_const<zc2XformBase>(xform), coverage);
      },
      "poly"_a, "image"_a, "value"_a, "xform"_a, "coverage"_a = eNeighbourBlend,
      "The same under any transform handle (a projective one goes to the general renderer).");
}

zcGenPoly genPolyFrom(const std::vector<std::tuple<double, double, double, double>>& vertices, bool closed) {
  zcGenPoly p;
  for (const auto& [x, y, rounding, span] : vertices) {
    for (const double v : {x, y, rounding, span}) finite(v, "vertices");
    p.insertVertex(zcVector<2>(x, y), rounding, zcRadian(span));
  }
  if (closed) p.close();
  return p;
}

void bindPolys(py::module_& m) {
  py::class_<zcGenPoly, zcShape, zcPtrHandle<zcGenPoly>>(
      m, "zcGenPoly", "A generalized polygon: straight and circular segments with rounded vertices.")
      .def(py::init<>())
      .def(py::init<const zcCircle&>(), "circle"_a)
      .def(py::init<const zcPolygon&>(), "polygon"_a)
      .def(py::init<const zcRect&>(), "rect"_a)
      .def(py::init<const zcGenRect&>(), "rect"_a)
      .def(py::init<const zcEllipse&>(), "ellipse"_a)
      .def(py::init<const zcLineSeg&>(), "segment"_a)
      .def(py::init(&genPolyFrom), "vertices"_a, "closed"_a = true,
           "From (x, y, rounding, span) rows: span is the arriving segment's arc span in radians (0: straight).")
      .def_property_readonly("num_vertices", ZC_PY_GET(zcGenPoly, numVertices))
      .def_property_readonly("is_open", ZC_PY_GET(zcGenPoly, isOpen))
      .def("vertex_point", py::overload_cast<long>(&zcGenPoly::vertexPoint, py::const_), "index"_a)
      .def("__repr__", [](const zcGenPoly& p) {
        return "<zcGenPoly of " + std::to_string(p.numVertices()) + " vertices, " + (p.isOpen() ? "open>" : "closed>");
      });
  py::class_<zc2Wireframe, zcGenPoly, zcPtrHandle<zc2Wireframe>>(m, "zc2Wireframe",
                                                                   "A generalized polygon with segment tolerances.")
      .def(py::init<const zcGenPoly&>(), "polygon"_a);

  py::class_<zcSMDGDPolyVertex>(m, "zcSMDGDPolyVertex", "A vertex of an SMD poly.")
      .def(py::init([](const zcVector<2>& p, double radius, double span, double prev, double next, std::int32_t label) {
             return zcSMDGDPolyVertex(p, finite(radius, "radius"), zcDegree(finite(span, "span")),
                                      finite(prev, "percent_prev"), finite(next, "percent_next"), label, zcDimTol());
           }),
           "point"_a, "radius"_a = 0.0, "span"_a = 0.0, "percent_prev"_a = 0.5, "percent_next"_a = 0.5,
           "label"_a = -1, "span in degrees; zcSMDGDPolyVertex.invalidSegmentLength for a fraction outside "
                           "[0.01, 1].")
      .def_property_readonly("point", ZC_PY_GET(zcSMDGDPolyVertex, point))
      .def_property_readonly("radius", ZC_PY_GET(zcSMDGDPolyVertex, vertexRadius));
  py::class_<zcSMDGDPoly, zcPtrHandle<zcSMDGDPoly>>(m, "zcSMDGDPoly",
                                                    "An SMD body outline: vertices with roundings and spans, "
                                                    "validated on every edit.")
      .def(py::init([](const std::vector<zcSMDGDPolyVertex>& vertices, bool closed, const std::wstring& name) {
             zcPtrHandle<zcSMDGDPoly> p(new zcSMDGDPoly(name));
             p->vertices(vertices);
             if (closed) p->close();
             return p;
           }),
           "vertices"_a = std::vector<zcSMDGDPolyVertex>(), "closed"_a = true, "name"_a = L"poly",
           "zcSMDGDPoly.crossingSegments, invalidRounding ... for an invalid chain.")
      .def_static("circle", &zcSMDGDPoly::circle, "radius"_a, "center"_a)
      .def_static("rectangle", &zcSMDGDPoly::rectangle, "width"_a, "height"_a, "center"_a)
      .def_property_readonly("num_vertices", ZC_PY_GET(zcSMDGDPoly, numVertices))
      .def_property_readonly("vertices", ZC_PY_GET(zcSMDGDPoly, vertices))
      .def_property_readonly("is_closed", ZC_PY_GET(zcSMDGDPoly, isClosed))
      .def("append", [](zcSMDGDPoly& p, const zcSMDGDPolyVertex& v) { p << v; }, "vertex"_a,
           "Appends a vertex; a refused one leaves the poly unchanged.")
      .def("close", &zcSMDGDPoly::close)
      .def("__eq__", [](const zcSMDGDPoly& a, const zcSMDGDPoly& b) { return a == b; }, py::is_operator())
      .def("__repr__", [](const zcSMDGDPoly& p) {
        return "<zcSMDGDPoly of " + std::to_string(p.numVertices()) + " vertices, " +
               (p.isClosed() ? "closed>" : "open>");
      })
      .attr("__hash__") = py::none();
}

}  // namespace

void bindSynth(py::module_& m) {
  py::enum_<zeSyntheticCoverage>(m, "zeSyntheticCoverage", "How boundary pels are found.")
      .value("eNeighbourBlend", eNeighbourBlend)
      .value("eExactCoverage", eExactCoverage)
      .export_values();
  bindPolys(m);
  defSynthetic<zcGenPoly>(m);
  defSynthetic<zcSMDGDPoly>(m);
}

}  // namespace zc_py

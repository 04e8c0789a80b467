// Transforms and the shapes a user draws. Every shape shares the zcShape methods
// (bounding_box, nearest_point, dist_to_point, perimeter, map, ==); map gives a new
// shape of whatever kind the image is.
//
//   c = dispc.zcCircle((10, 20), 5)
//   e = c.map(dispc.zcXform.scaling(2, 1))     # a zcEllipse2
#include "common.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/shape.h"
#include "zfound/xformbase.h"

#include <array>
#include <sstream>
#include <string>
#include <vector>

namespace zc_py {
namespace {

std::string num(double v) {
  std::ostringstream out;
  out.precision(17);
  out << v;
  return out.str();
}
std::string pt(const zcPoint& p) { return "(" + num(p.x()) + ", " + num(p.y()) + ")"; }
std::string pts(const std::vector<zcPoint>& v) {
  std::string s = "[";
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + pt(v[i]);
  return s + "]";
}

// A shape class with its repr; the zcShape methods come from the base.
template <class S, class Repr>
py::class_<S, zcShape, zcPtrHandle<S>> shape(py::module_& m, const char* name, const char* doc, Repr repr) {
  py::class_<S, zcShape, zcPtrHandle<S>> c(m, name, doc);
  c.def("__repr__", [name, repr](const S& s) { return std::string(name) + "(" + repr(s) + ")"; });
  return c;
}

void bindXforms(py::module_& m) {
  using X = zcXform<2>;
  py::class_<X>(m, "zcXform", "An affine map: p -> M p + t, M = ((m00, m01), (m10, m11)).")
      .def(py::init<>(), "The identity.")
      .def(py::init([](double m00, double m01, double m10, double m11, double tx, double ty) {
             return X(zcMatrix<2>(m00, m01, m10, m11), zcVector<2>(tx, ty));
           }),
           py::arg("m00"), py::arg("m01"), py::arg("m10"), py::arg("m11"), py::arg("tx") = 0.0, py::arg("ty") = 0.0)
      .def_static("translation", &X::translation, py::arg("offset"))
      .def_static("rotation", &X::rotation, py::arg("angle"), "Rotation by the angle in radians.")
      .def_static("scaling", &X::scaling, py::arg("sx"), py::arg("sy"))
      .def_property_readonly("matrix",
                             [](const X& x) {
                               const zcMatrix<2> a = x.matrix();
                               return py::make_tuple(a.element(0, 0), a.element(0, 1), a.element(1, 0),
                                                     a.element(1, 1));
                             },
                             "(m00, m01, m10, m11).")
      .def_property_readonly("trans", ZC_PY_GET(X, trans))
      .def_property_readonly("determinant", ZC_PY_GET(X, determinant))
      .def("map_point", &X::mapPoint, py::arg("p"))
      .def("map_vector", &X::mapVector, py::arg("v"))
      .def("inverse", &X::inverse, "zcMathError.Singular for a singular map.")
      .def("__mul__", &X::operator*, py::is_operator(), "a * b maps by b, then by a.")
      .def("__eq__", [](const X& a, const X& b) { return a == b; }, py::is_operator())
      .def("__repr__",
           [](const X& x) {
             const zcMatrix<2> a = x.matrix();
             return "zcXform(" + num(a.element(0, 0)) + ", " + num(a.element(0, 1)) + ", " + num(a.element(1, 0)) +
                    ", " + num(a.element(1, 1)) + ", " + num(x.trans().x()) + ", " + num(x.trans().y()) + ")";
           })
      .attr("__hash__") = py::none();

  py::class_<zc2XformBase, zcPtrHandle<zc2XformBase>>(
      m, "zc2XformBase", "A transform handle for synthetic drawing: linear (affine) or not.")
      .def("map_point", &zc2XformBase::mapPoint, py::arg("p"))
      .def("is_linear", &zc2XformBase::isLinear);
  py::class_<zc2XformLinear, zc2XformBase, zcPtrHandle<zc2XformLinear>>(m, "zc2XformLinear", "An affine map.")
      .def(py::init<const X&>(), py::arg("xform") = X());
  py::class_<zc2XformProjective, zc2XformBase, zcPtrHandle<zc2XformProjective>>(
      m, "zc2XformProjective", "A projective map given by its 3 x 3 matrix, row by row.")
      .def(py::init<const std::array<double, 9>&>(), py::arg("row_by_row"));
}

void bindBase(py::module_& m) {
  py::class_<zcShape, zcPtrHandle<zcShape>>(m, "zcShape", "The base of every shape.")
      .def("bounding_box", &zcShape::boundingBox, "The smallest axis-aligned zcRect that holds the shape.")
      .def("nearest_point", &zcShape::nearestPoint, py::arg("p"))
      .def("dist_to_point", &zcShape::distToPoint, py::arg("p"), "Distance from p (0 inside a region).")
      .def("perimeter", &zcShape::perimeter)
      .def("within", &zcShape::within, py::arg("p"))
      .def_property_readonly("degen", &zcShape::degen, "No extent to speak of.")
      .def("map", &zcShape::mapShape, py::arg("xform"), "The image under an affine map, a new shape.")
      .def("clone", &zcShape::clone)
      .def("__eq__", [](const zcShape& a, const zcShape& b) { return a == b; }, py::is_operator())
      .def("__ne__", [](const zcShape& a, const zcShape& b) { return a != b; }, py::is_operator())
      .attr("__hash__") = py::none();
}

void bindLines(py::module_& m) {
  shape<zc2Point>(m, "zc2Point", "A point as a shape.", [](const zc2Point& s) { return pt(s.point()); })
      .def(py::init<const zcPoint&>(), py::arg("p"))
      .def_property_readonly("point", ZC_PY_GET(zc2Point, point));
  shape<zcLineSeg>(m, "zcLineSeg", "A segment from p1 to p2.",
                   [](const zcLineSeg& s) { return pt(s.p1()) + ", " + pt(s.p2()); })
      .def(py::init<const zcPoint&, const zcPoint&>(), py::arg("p1"), py::arg("p2"))
      .def_property_readonly("p1", ZC_PY_GET(zcLineSeg, p1))
      .def_property_readonly("p2", ZC_PY_GET(zcLineSeg, p2))
      .def_property_readonly("length", ZC_PY_GET(zcLineSeg, length));
  shape<zcLine>(m, "zcLine", "An infinite line through a point along a direction.",
                [](const zcLine& s) { return pt(s.dir()) + ", " + pt(s.point()); })
      .def(py::init<const zcVector<2>&, const zcPoint&>(), py::arg("direction"), py::arg("point"))
      .def(py::init<const zcPoint&, zcRadian>(), py::arg("point"), py::arg("angle"))
      .def_property_readonly("dir", ZC_PY_GET(zcLine, dir))
      .def_property_readonly("point", ZC_PY_GET(zcLine, point));
  shape<zcPointSet>(m, "zcPointSet", "A set of points.", [](const zcPointSet& s) { return pts(s.points()); })
      .def(py::init<std::vector<zcPoint>>(), py::arg("points"))
      .def_property_readonly("points", ZC_PY_GET(zcPointSet, points))
      .def("__len__", &zcPointSet::size);
  shape<zcLineSegSet>(m, "zcLineSegSet", "A set of segments.",
                      [](const zcLineSegSet& s) { return std::to_string(s.size()) + " segments"; })
      .def(py::init<std::vector<zcLineSeg>, bool>(), py::arg("segments"), py::arg("allow_degenerate") = false)
      .def_property_readonly("segments", ZC_PY_GET(zcLineSegSet, segments))
      .def("__len__", &zcLineSegSet::size);
  py::class_<zcPolygon, zcShape, zcPtrHandle<zcPolygon>> polygon(m, "zcPolygon", "A closed polygon.");
  py::enum_<zcPolygon::PolyFillMode>(polygon, "PolyFillMode")
      .value("eAlternate", zcPolygon::eAlternate)
      .value("eWinding", zcPolygon::eWinding)
      .export_values();
  polygon.def(py::init<std::vector<zcPoint>, zcPolygon::PolyFillMode>(), py::arg("vertices"),
              py::arg("mode") = zcPolygon::eAlternate)
      .def_property_readonly("vertices", ZC_PY_GET(zcPolygon, vertices))
      .def_property_readonly("fill_mode", ZC_PY_GET(zcPolygon, fillMode))
      .def("__len__", &zcPolygon::size)
      .def("__repr__", [](const zcPolygon& s) { return "zcPolygon(" + pts(s.vertices()) + ")"; });
  shape<zcPolyline>(m, "zcPolyline", "An open or closed polyline.",
                    [](const zcPolyline& s) { return pts(s.vertices()) + (s.isClosed() ? ", closed=True" : ""); })
      .def(py::init<std::vector<zcPoint>, bool>(), py::arg("vertices"), py::arg("closed") = false)
      .def_property_readonly("vertices", ZC_PY_GET(zcPolyline, vertices))
      .def_property_readonly("closed", ZC_PY_GET(zcPolyline, isClosed))
      .def("__len__", &zcPolyline::size);
  shape<zcCross>(m, "zcCross", "A cross marker of `size` pixels.",
                 [](const zcCross& s) { return pt(s.center()) + ", " + num(s.angle().value()) + ", " + std::to_string(s.size()); })
      .def(py::init<const zcPoint&, zcRadian, std::int32_t>(), py::arg("center"), py::arg("angle") = 0.0,
           py::arg("size") = 7)
      .def_property_readonly("center", ZC_PY_GET(zcCross, center))
      .def_property_readonly("angle", ZC_PY_GET(zcCross, angle))
      .def_property_readonly("size", ZC_PY_GET(zcCross, size));
  shape<zcCoordAxes>(m, "zcCoordAxes", "Coordinate axes: an origin and the ends of the x and y axes.",
                     [](const zcCoordAxes& s) { return pt(s.origin()) + ", " + pt(s.xEnd()) + ", " + pt(s.yEnd()); })
      .def(py::init<const zcPoint&, const zcPoint&, const zcPoint&>(), py::arg("origin"), py::arg("x_end"),
           py::arg("y_end"))
      .def_property_readonly("origin", ZC_PY_GET(zcCoordAxes, origin))
      .def_property_readonly("x_end", ZC_PY_GET(zcCoordAxes, xEnd))
      .def_property_readonly("y_end", ZC_PY_GET(zcCoordAxes, yEnd));
}

void bindConics(py::module_& m) {
  shape<zcCircle>(m, "zcCircle", "A circle.", [](const zcCircle& s) { return pt(s.center()) + ", " + num(s.radius()); })
      .def(py::init<const zcPoint&, double>(), py::arg("center"), py::arg("radius"))
      .def_property_readonly("center", ZC_PY_GET(zcCircle, center))
      .def_property_readonly("radius", ZC_PY_GET(zcCircle, radius));
  shape<zcEllipse>(m, "zcEllipse", "An ellipse: center, radii and rotation (radians).",
                   [](const zcEllipse& s) {
                     return pt(s.center()) + ", " + num(s.xRadius()) + ", " + num(s.yRadius()) + ", " +
                            num(s.rotation().value());
                   })
      .def(py::init<const zcPoint&, double, double, zcRadian, bool>(), py::arg("center"), py::arg("x_radius"),
           py::arg("y_radius"), py::arg("rotation") = 0.0, py::arg("right_handed") = true)
      .def(py::init<const zcCircle&>(), py::arg("circle"))
      .def_property_readonly("center", ZC_PY_GET(zcEllipse, center))
      .def_property_readonly("x_radius", ZC_PY_GET(zcEllipse, xRadius))
      .def_property_readonly("y_radius", ZC_PY_GET(zcEllipse, yRadius))
      .def_property_readonly("rotation", ZC_PY_GET(zcEllipse, rotation));
  shape<zcEllipse2>(m, "zcEllipse2", "An ellipse as the image of the unit circle (radii, angle, center).",
                    [](const zcEllipse2& s) { return pt(s.radii()) + ", " + num(s.angle().value()) + ", " + pt(s.center()); })
      .def(py::init<const zcVector<2>&, zcRadian, const zcPoint&, bool, zcRadian>(), py::arg("radii"),
           py::arg("angle"), py::arg("center"), py::arg("right_handed") = true, py::arg("phase") = 0.0)
      .def(py::init<const zcEllipse&>(), py::arg("ellipse"))
      .def_property_readonly("center", ZC_PY_GET(zcEllipse2, center))
      .def_property_readonly("radii", ZC_PY_GET(zcEllipse2, radii))
      .def_property_readonly("angle", ZC_PY_GET(zcEllipse2, angle));
  shape<zcEllipseArc>(m, "zcEllipseArc", "An arc of an ellipse from phi_start over phi_span (radians).",
                      [](const zcEllipseArc& s) {
                        return "zcEllipse(" + pt(s.ellipse().center()) + ", ...), " + num(s.phiStart().value()) + ", " +
                               num(s.phiSpan().value());
                      })
      .def(py::init<const zcEllipse&, zcRadian, zcRadian>(), py::arg("ellipse"), py::arg("phi_start"),
           py::arg("phi_span"))
      .def_property_readonly("ellipse", ZC_PY_GET(zcEllipseArc, ellipse))
      .def_property_readonly("phi_start", ZC_PY_GET(zcEllipseArc, phiStart))
      .def_property_readonly("phi_span", ZC_PY_GET(zcEllipseArc, phiSpan));
  shape<zcEllipseArc2>(m, "zcEllipseArc2", "An arc of a zcEllipse2.",
                       [](const zcEllipseArc2& s) { return num(s.phiStart().value()) + ", " + num(s.phiSpan().value()); })
      .def(py::init<const zcEllipse2&, zcRadian, zcRadian>(), py::arg("ellipse"), py::arg("phi_start"),
           py::arg("phi_span"))
      .def_property_readonly("phi_start", ZC_PY_GET(zcEllipseArc2, phiStart))
      .def_property_readonly("phi_span", ZC_PY_GET(zcEllipseArc2, phiSpan));
  shape<zcAnnulus>(m, "zcAnnulus", "A ring between two circles.",
                   [](const zcAnnulus& s) {
                     return pt(s.center()) + ", " + num(s.innerRadius()) + ", " + num(s.outerRadius());
                   })
      .def(py::init<const zcPoint&, double, double>(), py::arg("center"), py::arg("inner_radius"),
           py::arg("outer_radius"))
      .def_property_readonly("center", ZC_PY_GET(zcAnnulus, center))
      .def_property_readonly("inner_radius", ZC_PY_GET(zcAnnulus, innerRadius))
      .def_property_readonly("outer_radius", ZC_PY_GET(zcAnnulus, outerRadius));
  shape<zcEllipseAnnulus>(m, "zcEllipseAnnulus", "A ring between an ellipse and its scaled copy.",
                          [](const zcEllipseAnnulus& s) { return "..., ratio=" + num(s.ratio()); })
      .def(py::init<const zcEllipse&, const zcEllipse&>(), py::arg("inner"), py::arg("outer"))
      .def(py::init<const zcEllipse&, double>(), py::arg("outer"), py::arg("ratio"))
      .def_property_readonly("outer", ZC_PY_GET(zcEllipseAnnulus, outer))
      .def_property_readonly("ratio", ZC_PY_GET(zcEllipseAnnulus, ratio));
  shape<zcEllipseAnnulusSection>(m, "zcEllipseAnnulusSection", "A section of an elliptical ring (radians).",
                                 [](const zcEllipseAnnulusSection& s) {
                                   return "..., " + num(s.phiStart().value()) + ", " + num(s.phiEnd().value());
                                 })
      .def(py::init<const zcEllipseAnnulus&, zcRadian, zcRadian, bool, bool>(), py::arg("annulus"),
           py::arg("phi_start"), py::arg("phi_end"), py::arg("full") = false, py::arg("reversed") = false)
      .def_property_readonly("annulus", ZC_PY_GET(zcEllipseAnnulusSection, annulus))
      .def_property_readonly("phi_start", ZC_PY_GET(zcEllipseAnnulusSection, phiStart))
      .def_property_readonly("phi_end", ZC_PY_GET(zcEllipseAnnulusSection, phiEnd));
}

void bindRects(py::module_& m) {
  shape<zcRect>(m, "zcRect", "An axis-aligned rectangle: corner (x, y) and size.",
                [](const zcRect& s) { return num(s.x()) + ", " + num(s.y()) + ", " + num(s.width()) + ", " + num(s.height()); })
      .def(py::init<double, double, double, double>(), py::arg("x"), py::arg("y"), py::arg("width"),
           py::arg("height"))
      .def_property_readonly("x", ZC_PY_GET(zcRect, x))
      .def_property_readonly("y", ZC_PY_GET(zcRect, y))
      .def_property_readonly("width", ZC_PY_GET(zcRect, width))
      .def_property_readonly("height", ZC_PY_GET(zcRect, height))
      .def_property_readonly("is_empty", ZC_PY_GET(zcRect, isEmpty));
  shape<zcGenRect>(m, "zcGenRect", "A general rectangle: center, half sizes, orientation, corner rounding.",
                   [](const zcGenRect& s) {
                     return pt(s.center()) + ", " + pt(s.halfSizes()) + ", " + num(s.orient().value()) + ", " +
                            pt(s.round());
                   })
      .def(py::init<const zcVector<2>&, const zcVector<2>&, zcRadian, const zcVector<2>&>(), py::arg("center"),
           py::arg("half_sizes"), py::arg("orient") = 0.0, py::arg("round") = zcVector<2>(0, 0))
      .def_property_readonly("center", ZC_PY_GET(zcGenRect, center))
      .def_property_readonly("half_sizes", ZC_PY_GET(zcGenRect, halfSizes))
      .def_property_readonly("orient", ZC_PY_GET(zcGenRect, orient))
      .def_property_readonly("round", ZC_PY_GET(zcGenRect, round));
  shape<zcGenAnnulus>(m, "zcGenAnnulus", "A ring between two general rectangles.",
                      [](const zcGenAnnulus& s) { return pt(s.inner().center()) + ", ..."; })
      .def(py::init<const zcGenRect&, const zcGenRect&>(), py::arg("inner"), py::arg("outer"))
      .def_property_readonly("inner", ZC_PY_GET(zcGenAnnulus, inner))
      .def_property_readonly("outer", ZC_PY_GET(zcGenAnnulus, outer));
  shape<zcAffineRectangle>(m, "zcAffineRectangle", "A parallelogram from a corner and its two neighbours.",
                           [](const zcAffineRectangle& s) {
                             return pt(s.cornerPo()) + ", " + pt(s.cornerPx()) + ", " + pt(s.cornerPy());
                           })
      .def(py::init<const zcVector<2>&, const zcVector<2>&, const zcVector<2>&>(), py::arg("corner_po"),
           py::arg("corner_px"), py::arg("corner_py"));
  shape<zcBezierCurve>(m, "zcBezierCurve", "A cubic Bezier curve through four control points.",
                       [](const zcBezierCurve&) { return std::string("...") ; })
      .def(py::init<const zcPoint&, const zcPoint&, const zcPoint&, const zcPoint&, double, double, double, double>(),
           py::arg("p0"), py::arg("p1"), py::arg("p2"), py::arg("p3"), py::arg("w0") = 1.0, py::arg("w1") = 1.0,
           py::arg("w2") = 1.0, py::arg("w3") = 1.0);
  shape<zcCubicSpline>(m, "zcCubicSpline", "A chain of Bezier pieces.",
                       [](const zcCubicSpline&) { return std::string("..."); })
      .def(py::init<std::vector<zcBezierCurve>>(), py::arg("pieces"));
}

}  // namespace

void bindShapes(py::module_& m) {
  bindXforms(m);
  bindBase(m);
  bindLines(m);
  bindConics(m);
  bindRects(m);
}

}  // namespace zc_py

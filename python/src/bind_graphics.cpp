// Graphics, groups and lists.
//
//   g = dispc.zcGraphic.make_shape_graphic(dispc.zcCircle((5, 5), 3), pen)
//   lst = dispc.zcGraphicList([g, g.map(dispc.zcXform.rotation(0.5))])
//   lst.save("scene.zar"); again = dispc.zcGraphicList.load("scene.zar")
//   tablet.draw(g)  /  lst.draw(tablet)  /  lst.sketch()
//
// Graphics are shared, not copied: a list holds the same graphic objects that Python
// holds (clone() makes a copy).
#include "common.h"

#include "dispc/glist.h"

#include <string>
#include <vector>

namespace zc_py {
namespace {

using namespace py::literals;
using G = zcGraphic;
using GPtr = zcPtrHandle<zcGraphic>;

std::string graphicRepr(const G& g) {
  const char* name = zc_Instantiator::nameOf(g);
  return std::string("<") + (name ? name : "zcGraphic") + " " + colorRepr(g.color()) + ">";
}

std::vector<GPtr> itemsOf(const zcGraphicGroup& g) {
  std::vector<zcPtrHandle_const<zcGraphic>> items;
  g.getItems(items);
  std::vector<GPtr> out;
  for (const auto& h : items) out.emplace_back(const_cast<G*>(h.rep()));
  return out;
}

void bindGraphic(py::module_& m) {
  py::class_<G, GPtr>(m, "zcGraphic", "A drawable thing: a shape with its pen, or a group of graphics.")
      .def_property(
          "props", [](const G& g) { return g.props(); }, py::overload_cast<const zcGraphicProps&>(&G::props),
          "The properties (a copy; assign to change them).")
      .def_property("color", py::overload_cast<>(&G::color, py::const_), py::overload_cast<const zcColor&>(&G::color))
      .def("map", &G::map, "xform"_a, "A new graphic mapped by the transform.")
      .def("clone", &G::clone)
      .def("enclose_rect", &G::encloseRect, "The bounding zcRect (empty for graphics without one).")
      .def("dist_to_point", &G::distToPoint, "p"_a)
      .def_property_readonly("is_null", ZC_PY_GET(G, isNull))
      .def(
          "draw", [](const G& g, zcUITablet& t, zcUITablet::Layers l) { t.draw(g, l); }, "tablet"_a,
          "layer"_a = zcUITablet::eOverlay)
      .def_static("make_shape_graphic", py::overload_cast<const zcShape&, const zcGraphicProps&>(&G::makeShapeGraphic),
                  "shape"_a, "pen"_a = zcGraphicProps(),
                  "The graphic of the shape's kind (zcGraphic.NoGraphicForShape for a kind without one).")
      .def("save", [](GPtr& g, const std::string& path) { saveArchive(g, path); }, "path"_a,
           "Writes the graphic's archive file.")
      .def_static("load", &loadArchive<GPtr>, "path"_a, "Reads a graphic archive file.")
      .def("__repr__", &graphicRepr);

  py::class_<zcGraphicText, G, zcPtrHandle<zcGraphicText>>(m, "zcGraphicText", "A text label.")
      .def(py::init<const std::wstring&, const zcPoint&, const zcColor&, const zcColor&, const zcUIFormat&,
                    const zcVector<2>&>(),
           "text"_a, "location"_a, "color"_a, "background"_a = zcColor::pass, "format"_a = zcUIFormat(),
           "offset"_a = zcVector<2>(0, 0))
      .def_property(
          "text", [](const zcGraphicText& g) { return g.item(); },
          [](zcGraphicText& g, const std::wstring& s) { g.item() = s; })
      .def_property("location", py::overload_cast<>(&zcGraphicText::location, py::const_),
                    py::overload_cast<const zcPoint&>(&zcGraphicText::location));
  py::class_<zcGraphicCross, G, zcPtrHandle<zcGraphicCross>>(m, "zcGraphicCross", "A cross marker.")
      .def(py::init<const zcCross&, const zcGraphicProps&>(), "cross"_a, "pen"_a)
      .def_property_readonly("cross", [](const zcGraphicCross& g) { return g.item(); });
  py::class_<zcGraphicPointIcon, G, zcPtrHandle<zcGraphicPointIcon>>(m, "zcGraphicPointIcon",
                                                                      "A point drawn as the point icon.")
      .def(py::init<const zcPoint&, const zcGraphicProps&>(), "point"_a, "pen"_a)
      .def_property_readonly("point", [](const zcGraphicPointIcon& g) { return g.item(); });
  py::class_<zcGraphicEllipseAnnulusSection, G, zcPtrHandle<zcGraphicEllipseAnnulusSection>>(
      m, "zcGraphicEllipseAnnulusSection", "An annulus section with arrow heads from the pen's flags.")
      .def(py::init<const zcEllipseAnnulusSection&, const zcGraphicProps&>(), "section"_a, "pen"_a);
  py::class_<zcGraphicGroup, G, zcPtrHandle<zcGraphicGroup>>(
      m, "zcGraphicGroup", "Graphics drawn, mapped and archived as one; its items are copies of those given.")
      .def(py::init([](const std::vector<GPtr>& items) {
             zcPtrHandle<zcGraphicGroup> g(new zcGraphicGroup());
             g->items(std::vector<zcPtrHandle_const<zcGraphic>>(items.begin(), items.end()));
             return g;
           }),
           "items"_a = std::vector<GPtr>())
      .def_property(
          "items", &itemsOf,
          [](zcGraphicGroup& g, const std::vector<GPtr>& items) {
            g.items(std::vector<zcPtrHandle_const<zcGraphic>>(items.begin(), items.end()));
          })
      .def("__len__", &zcGraphicGroup::numItems);
}

void bindList(py::module_& m) {
  using Lst = zcGraphicList;
  py::class_<Lst>(m, "zcGraphicList", "An ordered list of shared graphics that draws, records and archives.")
      .def(py::init<>())
      .def(py::init([](const std::vector<GPtr>& items) {
             Lst l;
             for (const GPtr& g : items) l.append(g, false);
             return l;
           }),
           "items"_a)
      .def("append", py::overload_cast<const GPtr&, bool>(&Lst::append), "graphic"_a, "clone"_a = false)
      .def("__len__", [](const Lst& l) { return l.items().size(); })
      .def("__getitem__",
           [](const Lst& l, long i) {
             const long n = static_cast<long>(l.items().size());
             if (i < 0) i += n;
             if (i < 0 || i >= n) throw py::index_error("zcGraphicList index out of range");
             return l.items()[static_cast<std::size_t>(i)];
           })
      // Over the handles as they are now: appending while iterating moves no iterator.
      .def("__iter__", [](const Lst& l) { return py::iter(py::cast(l.items())); })
      .def("reset", &Lst::reset)
      .def("draw", &Lst::draw, "tablet"_a, "layer"_a = zcUITablet::eOverlay)
      .def("sketch", &Lst::sketch, "layer"_a = zcUITablet::eOverlay, "The sketch of the list drawn on a recorder.")
      .def("save", [](Lst& l, const std::string& path) { saveArchive(l, path); }, "path"_a)
      .def_static("load", &loadArchive<Lst>, "path"_a, "Reads a graphic list archive file.");
}

}  // namespace

void bindGraphics(py::module_& m) {
  bindGraphic(m);
  bindList(m);
}

}  // namespace zc_py

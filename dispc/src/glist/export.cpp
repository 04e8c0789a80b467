// Export of graphic lists to the graphics list: one table, in the order in which a
// graphic's kind is tested, says which graphics go and how (dispc/glexport.h).
#include "dispc/glexport.h"

#include "dispc/glist.h"

#include "zfound/exception.h"

#include <cstdint>
#include <typeinfo>
#include <utility>
#include <vector>

namespace {

zmath_vector vec(const zcVector<2>& v) { return zmath_vector{v.x(), v.y()}; }

template <class G>
using Append = std::int32_t (*)(zgr_list*, zgr_color, const G&);

// One row: the graphic kind and the append that writes its record.
struct Row {
  bool (*is)(const zcGraphic&);
  std::int32_t (*append)(zgr_list*, zgr_color, const zcGraphic&);
};

template <class G, Append<G> F>
constexpr Row row() {
  return Row{[](const zcGraphic& g) { return dynamic_cast<const G*>(&g) != nullptr; },
             [](zgr_list* list, zgr_color code, const zcGraphic& g) { return F(list, code, static_cast<const G&>(g)); }};
}

std::int32_t pointIcon(zgr_list* list, zgr_color code, const zcGraphicPointIcon& g) {
  const zmath_vector p = vec(g.item());
  return zgr_list_appendPoint(list, code, &p);
}

std::int32_t lineSeg(zgr_list* list, zgr_color code, const zcGraphicSimple<zcLineSeg>& g) {
  const zmath_vector a = vec(g.item().p1()), b = vec(g.item().p2());
  return zgr_list_appendLineSeg(list, code, &a, &b);
}

std::int32_t line(zgr_list* list, zgr_color code, const zcGraphicSimple<zcLine>& g) {
  const zmath_vector dir = vec(g.item().dir()), point = vec(g.item().point());
  return zgr_list_appendLineDirPoint(list, code, &dir, &point);
}

std::int32_t rect(zgr_list* list, zgr_color code, const zcGraphicWithFill<zcRect, zcGenRect>& g) {
  const zmath_vector corner = vec(g.item().corner()), size = vec(g.item().size());
  return zgr_list_appendRect(list, code, &corner, &size);
}

std::int32_t genRect(zgr_list* list, zgr_color code, const zcGraphicWithFill<zcGenRect, zcGenRect>& g) {
  const zcGenRect& r = g.item();
  const zmath_vector center = vec(r.center()), half = vec(r.halfSizes()), round = vec(r.round());
  const double orient = r.orient().value();
  return zgr_list_appendGenRect(list, code, &center, &half, &orient, &round);
}

std::int32_t affineRect(zgr_list* list, zgr_color code, const zcGraphicSimple<zcAffineRectangle>& g) {
  const zmath_vector po = vec(g.item().cornerPo()), px = vec(g.item().cornerPx()), py = vec(g.item().cornerPy());
  zmath_shapeAffineRect shape;
  zfThrowExceptionOnFailure(zmath_shapeAffineRect_initPoints(&shape, &po, &px, &py));
  return zgr_list_appendShapeAffineRect(list, code, &shape);
}

// Scratch arrays for the counted kinds, kept between records.
template <class T>
std::vector<T>& scratch() {
  thread_local std::vector<T> values;
  values.clear();
  return values;
}

std::int32_t polyline(zgr_list* list, zgr_color code, const zcGraphicSimple<zcPolyline>& g) {
  std::vector<zmath_vector>& vertices = scratch<zmath_vector>();
  for (const zcPoint& p : g.item().vertices()) vertices.push_back(vec(p));
  return zgr_list_appendPolyline(list, code, vertices.data(), static_cast<std::int32_t>(g.item().size()),
                                 g.item().isClosed() ? 1 : 0);
}

std::int32_t lineSegSet(zgr_list* list, zgr_color code, const zcGraphicSimple<zcLineSegSet>& g) {
  std::vector<double>& ends = scratch<double>();
  for (const zcLineSeg& s : g.item().segments()) ends.insert(ends.end(), {s.p1().x(), s.p1().y(), s.p2().x(), s.p2().y()});
  return zgr_list_appendLineSegSet(list, code, ends.data(), static_cast<std::int32_t>(g.item().size()));
}

std::int32_t text(zgr_list* list, zgr_color code, const zcGraphicText& g) {
  const zmath_vector at = vec(g.location()), offset = vec(g.offset());
  const auto alignment = static_cast<std::uint32_t>(g.format().alignment());
  return zgr_list_appendTextEx(list, g.item().c_str(), &at, code, zfColor(g.backgroundColor()),
                               alignment >= 1 && alignment <= 8 ? static_cast<std::int32_t>(alignment) : 0, &offset);
}

// The kinds in the order they are tested: the first that matches decides.
const Row kRows[] = {
    row<zcGraphicPointIcon, pointIcon>(),
    row<zcGraphicSimple<zcLineSeg>, lineSeg>(),
    row<zcGraphicSimple<zcLine>, line>(),
    row<zcGraphicWithFill<zcRect, zcGenRect>, rect>(),
    row<zcGraphicWithFill<zcGenRect, zcGenRect>, genRect>(),
    row<zcGraphicSimple<zcAffineRectangle>, affineRect>(),
    row<zcGraphicSimple<zcPolyline>, polyline>(),
    row<zcGraphicSimple<zcLineSegSet>, lineSegSet>(),
    row<zcGraphicText, text>(),
};

// The row of a dynamic type is found once per thread: a failed dynamic_cast costs more
// than writing the record.
const Row* rowOf(const zcGraphic& g) {
  thread_local std::vector<std::pair<const std::type_info*, const Row*>> known;
  const std::type_info* type = &typeid(g);
  for (const auto& [t, row] : known)
    if (t == type) return row;
  const Row* found = nullptr;
  for (const Row& r : kRows)
    if (!found && r.is(g)) found = &r;
  known.emplace_back(type, found);
  return found;
}

}  // namespace

bool zfGraphicListExportable(const zcGraphic& graphic) { return rowOf(graphic) != nullptr; }

void zfGraphicListAppend(zgr_list* list, const zcGraphicList& graphics) {
  if (!list) throw zcBadPointer(L"no graphics list to export to");
  for (const zcPtrHandle<zcGraphic>& g : graphics.items()) {
    if (!g) throw zcBadPointer(L"a null graphic in the exported list");
    if (const Row* r = rowOf(*g)) zfThrowExceptionOnFailure(r->append(list, zfColor(g->props().penColor()), *g));
  }
}

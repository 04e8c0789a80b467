// Import and drawing of graphics lists: one walker checks the whole list, then reads
// each record into its shape and hands it to a graphic list, a tablet, or both
// (dispc/glexport.h).
#include "dispc/glexport.h"

#include "glist/glist_private.h"
#include "grlist_layout.h"

#include "zfound/bytes.h"
#include "zfound/strings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The records are checked as a whole before any is used.
void checkList(const zgr_list& list) {
  std::int32_t bad = 0;
  std::size_t at = 0;
  if (zgr_check_records(&list, &bad, &at) == ZF_STATUS_OK) return;
  if (!list.records) throw zcMalformedData(L"a graphics list with records has no record buffer");
  if (bad < list.count)
    throw zcMalformedData(L"graphics list record " + std::to_wstring(bad) + L" at byte " + std::to_wstring(at) +
                          L" does not fit its " + std::to_wstring(list.used) + L" used bytes");
  throw zcMalformedData(std::to_wstring(list.used - at) + L" bytes follow the last graphics list record");
}

zcPoint point(const unsigned char* p) { return zcPoint(zfLoadF64(p), zfLoadF64(p + 8)); }
zmath_vector vector(const unsigned char* p) { return zmath_vector{zfLoadF64(p), zfLoadF64(p + 8)}; }
zcPoint point(const zmath_vector& v) { return zcPoint(v.x, v.y); }

// Where the walk's shapes go: graphics appended to a list, tablet calls, or both.
struct Sink {
  zcGraphicList* graphics;
  zcUITablet* tablet;
  zcUITablet::Layers layer;

  // The list receives a clone of the graphic made, as append(g, true) gives: a text's
  // clone has no pixel offset.
  template <class G, class... A>
  void add(const A&... args) const {
    if (graphics) graphics->append(zcPtrHandle<zcGraphic>(new G(args...)), true);
  }
};

zcEllipse2 ellipseOf(const unsigned char* p) {
  zmath_shapeEllipse e;
  e.center = vector(p);
  e.radii = vector(p + 16);
  e.rotation = zfLoadF64(p + 32);
  for (int i = 0; i < 4; ++i) {
    e.matrix[i] = zfLoadF64(p + 40 + 8 * i);
    e.inverse[i] = zfLoadF64(p + 72 + 8 * i);
  }
  zmath_xform x;
  zfThrowExceptionOnFailure(zmath_shapeEllipse_getXform(&e, &x));
  return zcEllipse2(zcXform<2>(zcMatrix<2>(x.m00, x.m01, x.m10, x.m11), zcVector<2>(x.tx, x.ty)));
}

zcAffineRectangle affineRectOf(const unsigned char* p) {
  const zmath_shapeAffineRect r{vector(p), vector(p + 16), vector(p + 32)};
  zmath_vector po, px, py;
  zfThrowExceptionOnFailure(zmath_shapeAffineRect_getPoints(&r, &po, &px, &py));
  return zcAffineRectangle(point(po), point(px), point(py));
}

std::wstring textOf(const unsigned char* p) {
  std::u16string units;
  for (; (p[0] | p[1]) != 0; p += 2) units.push_back(static_cast<char16_t>(p[0] | p[1] << 8));
  return zfFromUtf16(units);
}

// One record: its shape, then the graphic and the tablet call of its kind.
void walkRecord(const Sink& s, std::uint32_t kind, const zcColor& c, const unsigned char* p) {
  const zcGraphicProps plain(c, 1, zcGraphicProps::ePenStyleDefault, false);
  zcUITablet* t = s.tablet;
  switch (kind) {
    case ZGR_KIND_LINE_SEG: {
      const zcLineSeg seg(point(p), point(p + 16));
      s.add<zcGraphicSimple<zcLineSeg>>(seg, c);
      if (t) t->draw(seg, c, s.layer);
      return;
    }
    case ZGR_KIND_LINE: {
      const zcLine line(point(p), point(p + 16));
      s.add<zcGraphicSimple<zcLine>>(line, c);
      if (t) t->draw(line, c, s.layer);
      return;
    }
    case ZGR_KIND_RECT: {
      const zcRect rect(point(p), point(p + 16));
      s.add<zcGraphicWithFill<zcRect, zcGenRect>>(rect, c, false);
      if (t) t->draw(rect, c, false, s.layer);
      return;
    }
    case ZGR_KIND_GEN_RECT: {
      const zcGenRect rect(point(p), point(p + 16), zcRadian(zfLoadF64(p + 32)), point(p + 40));
      s.add<zcGraphicWithFill<zcGenRect, zcGenRect>>(rect, c, false);
      if (t) t->draw(rect, c, false, s.layer);
      return;
    }
    case ZGR_KIND_CIRCLE:
    case ZGR_KIND_ELLIPSE: {
      const double r = kind == ZGR_KIND_CIRCLE ? zfLoadF64(p + 16) : 0;
      const zcEllipse2 e = kind == ZGR_KIND_CIRCLE ? zcEllipse2(zcVector<2>(r, r), zcRadian(0), point(p)) : ellipseOf(p);
      s.add<zcGraphicWithFill<zcEllipse2, zcEllipse2>>(e, c, false);
      if (t) t->draw(e, plain, s.layer);
      return;
    }
    case ZGR_KIND_POLYLINE: {
      std::vector<zcPoint> vertices(static_cast<std::size_t>(zfLoadI32(p)));
      for (std::size_t i = 0; i < vertices.size(); ++i) vertices[i] = point(p + 8 + 16 * i);
      const zcPolyline poly(std::move(vertices), zfLoadU32(p + 4) != 0);
      s.add<zcGraphicSimple<zcPolyline>>(poly, c);
      if (t) t->draw(poly, plain, s.layer);
      return;
    }
    case ZGR_KIND_AFFINE_RECT: {
      const zcAffineRectangle rect = affineRectOf(p);
      s.add<zcGraphicSimple<zcAffineRectangle>>(rect, c);
      if (t) t->draw(rect, c, s.layer);
      return;
    }
    case ZGR_KIND_TEXT: {
      const std::wstring text = textOf(p + ZGR_TEXT_FIXED_SIZE);
      const zcPoint at = point(p), offset = point(p + 24);
      const zcColor background = zfColor(static_cast<zgr_color>(zfLoadU32(p + 16)));
      const std::uint32_t code = zfLoadU32(p + 20);
      const zcUIFormat format(static_cast<zcUIFormat::Alignment>(code >= 1 && code <= 8 ? code : 0));
      s.add<zcGraphicText>(text, at, c, background, format, offset);
      if (t) zfDrawText(*t, text, at, offset, c, background, format, s.layer);
      return;
    }
    case ZGR_KIND_LINE_SEG_SET: {
      std::vector<zcLineSeg> segs(static_cast<std::size_t>(zfLoadI32(p)));
      for (std::size_t i = 0; i < segs.size(); ++i) segs[i].ends(point(p + 4 + 32 * i), point(p + 20 + 32 * i));
      const zcLineSegSet set(std::move(segs), true);
      s.add<zcGraphicSimple<zcLineSegSet>>(set, c);
      if (t) t->draw(set, plain, s.layer);
      return;
    }
    default: {  // a point, and every kind above the last
      const zcPoint at = point(p);
      s.add<zcGraphicPointIcon>(at, c);
      if (t) t->drawPointIcon(at, c, s.layer);
    }
  }
}

void walk(const zgr_list* list, const Sink& sink) {
  if (!list) throw zcBadPointer(L"no graphics list to read");
  checkList(*list);
  std::size_t at = 0;
  for (std::int32_t i = 0; i < list->count; ++i) {
    const unsigned char* r = list->records + at;
    walkRecord(sink, zfLoadU32(r), zfColor(static_cast<zgr_color>(zfLoadU32(r + 4))), r + ZGR_HEADER_SIZE);
    at += zgr_record_size(r, list->used - at);
  }
}

}  // namespace

void zfGraphicListAppend(zcGraphicList& graphics, const zgr_list* list) {
  walk(list, Sink{&graphics, nullptr, zcUITablet::eImage});
}

void zfUITabletDraw(zcUITablet& tablet, const zgr_list* list, zcUITablet::Layers layer) {
  walk(list, Sink{nullptr, &tablet, layer});
}

// Graphics lists from arbitrary bytes: the first four are the record count, the rest
// the record buffer. Import, drawing and printing must agree on whether the list is
// well formed; a malformed list appends and draws nothing.
#include "programs.h"

#include "support/tablet_screen.h"

#include "dispc/glexport.h"
#include "dispc/graphic.h"

#include "zfound/bytes.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

void zfReadGraphicsListBytes(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return;
  std::vector<unsigned char> records(data + 4, data + size);
  zgr_list list{};
  list.count = zfLoadI32(data);
  list.used = records.size();
  list.records = records.empty() ? nullptr : records.data();
  static std::FILE* const sink = std::fopen("/dev/null", "w");
  const bool printable = zgr_list_print(&list, sink) == ZF_STATUS_OK;

  zcGraphicList graphics;
  zc_test::Screen screen;
  bool malformed = false;
  try {
    zfGraphicListAppend(graphics, &list);
  } catch (const zcMalformedData&) {
    malformed = true;
  } catch (const zcShapesError::Errors&) {
  } catch (const zcMathError::Errors&) {
  }
  try {
    zfUITabletDraw(screen.tablet, &list, zcUITablet::eOverlay);
  } catch (const zcMalformedData&) {
    if (!malformed || !screen.overlay.calls().empty()) std::abort();
  } catch (const zcShapesError::Errors&) {
  } catch (const zcMathError::Errors&) {
  }
  if (malformed == printable || (malformed && !graphics.items().empty())) std::abort();
}

std::vector<std::uint8_t> zfGraphicsListSeed() {
  zgr_list list;
  zgr_list_init(&list);
  const zmath_vector a{1, 2}, b{30, 40}, v[] = {{0, 0}, {10, 0}, {10, 10}};
  const double orient = 0.3, segs[] = {0, 0, 5, 5};
  zmath_shapeAffineRect rect;
  zmath_shapeEllipse ellipse;
  zmath_shapeAffineRect_initPoints(&rect, &a, &b, &v[1]);
  zmath_shapeEllipse_init(&ellipse, &b, &b, orient);
  zgr_list_appendPoint(&list, 1, &a);
  zgr_list_appendLineSeg(&list, 2, &a, &b);
  zgr_list_appendLineDirPoint(&list, 3, &b, &a);
  zgr_list_appendRect(&list, 4, &a, &b);
  zgr_list_appendGenRect(&list, 5, &b, &b, &orient, &a);
  zgr_list_appendRaw(&list, ZGR_KIND_ELLIPSE, 6, &ellipse, sizeof ellipse);
  zgr_list_appendPolyline(&list, 7, v, 3, 1);
  zgr_list_appendShapeAffineRect(&list, 0x10203080, &rect);
  zgr_list_appendTextEx(&list, L"Text", &a, 9, 0, 4, &b);
  zgr_list_appendLineSegSet(&list, 10, segs, 1);
  std::vector<std::uint8_t> bytes(4);
  zfStoreI32(bytes.data(), list.count);
  bytes.insert(bytes.end(), list.records, list.records + list.used);
  zgr_list_free(&list);
  return bytes;
}

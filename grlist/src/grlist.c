/* The graphics list and its shape math (grlist/grlist.h). Every append checks its
 * arguments and reserves room before it writes, so a refused append leaves the list
 * as it was; records are written byte by byte, little-endian, wherever they fall. */
#include "grlist_layout.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

/* --- Bytes ------------------------------------------------------------------------ */

static void put_u32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (unsigned char)(v >> (8 * i));
}

static void put_f64(unsigned char* p, double v) {
  uint64_t bits;
  memcpy(&bits, &v, 8);
  put_u32(p, (uint32_t)bits);
  put_u32(p + 4, (uint32_t)(bits >> 32));
}

static double get_f64(const unsigned char* p) {
  const uint64_t bits = (uint64_t)zgr_get_u32(p) | (uint64_t)zgr_get_u32(p + 4) << 32;
  double v;
  memcpy(&v, &bits, 8);
  return v;
}

static unsigned char* put_vector(unsigned char* p, const zmath_vector* v) {
  put_f64(p, v->x);
  put_f64(p + 8, v->y);
  return p + 16;
}

static zmath_vector get_vector(const unsigned char* p) {
  zmath_vector v = {get_f64(p), get_f64(p + 8)};
  return v;
}

/* ZF_STATUS_OK when the list's records fill exactly its used bytes. */
static int32_t check_list(const zgr_list* list) {
  if (!list) return ZF_STATUS_NULL_POINTER;
  int32_t bad;
  size_t at;
  return zgr_check_records(list, &bad, &at);
}

/* --- Appending ---------------------------------------------------------------------- */

/* Room for one more record of `payload` bytes; on success *out is where its header goes.
 * Nothing visible changes until commit(). */
static int32_t reserve(zgr_list* list, size_t payload, unsigned char** out) {
  if (list->count < 0 || list->count == INT32_MAX) return ZF_STATUS_SIZE_OVERFLOW;
  const size_t limit = (size_t)PTRDIFF_MAX;
  if (payload > limit - ZGR_HEADER_SIZE || list->used > limit - ZGR_HEADER_SIZE - payload)
    return ZF_STATUS_SIZE_OVERFLOW;
  const size_t need = list->used + ZGR_HEADER_SIZE + payload;
  if (need > list->capacity) {
    size_t grown = list->capacity < 256 ? 256 : list->capacity;
    while (grown < need) grown = grown > limit / 2 ? need : grown * 2;
    unsigned char* bigger = (unsigned char*)realloc(list->records, grown);
    if (!bigger) return ZF_STATUS_NO_MEMORY;
    list->records = bigger;
    list->capacity = grown;
  }
  *out = list->records + list->used;
  return ZF_STATUS_OK;
}

static int32_t commit(zgr_list* list, unsigned char* record, uint32_t kind, zgr_color color, size_t payload) {
  put_u32(record, kind);
  put_u32(record + 4, (uint32_t)color);
  list->used += ZGR_HEADER_SIZE + payload;
  ++list->count;
  return ZF_STATUS_OK;
}

/* A record of vectors a, b, c in order, with the angle (when given) before c. */
static int32_t append_vectors(zgr_list* list, uint32_t kind, zgr_color color, const zmath_vector* a,
                              const zmath_vector* b, const double* angle, const zmath_vector* c) {
  if (!list || !a || (kind != ZGR_KIND_POINT && !b) || (kind == ZGR_KIND_GEN_RECT && (!angle || !c)))
    return ZF_STATUS_NULL_POINTER;
  const size_t size = (size_t)zgr_fixed_payload[kind];
  unsigned char* r;
  const int32_t status = reserve(list, size, &r);
  if (status < 0) return status;
  unsigned char* p = put_vector(r + ZGR_HEADER_SIZE, a);
  if (b) p = put_vector(p, b);
  if (angle) {
    put_f64(p, *angle);
    p += 8;
  }
  if (c) put_vector(p, c);
  return commit(list, r, kind, color, size);
}

int32_t zgr_list_init(zgr_list* list) {
  if (!list) return ZF_STATUS_NULL_POINTER;
  memset(list, 0, sizeof *list);
  return ZF_STATUS_OK;
}

void zgr_list_free(zgr_list* list) {
  if (!list) return;
  free(list->records);
  zgr_list_init(list);
}

int32_t zgr_list_appendPoint(zgr_list* list, zgr_color color, const zmath_vector* point) {
  return append_vectors(list, ZGR_KIND_POINT, color, point, NULL, NULL, NULL);
}

int32_t zgr_list_appendLineSeg(zgr_list* list, zgr_color color, const zmath_vector* first,
                               const zmath_vector* second) {
  return append_vectors(list, ZGR_KIND_LINE_SEG, color, first, second, NULL, NULL);
}

int32_t zgr_list_appendLineDirPoint(zgr_list* list, zgr_color color, const zmath_vector* direction,
                                    const zmath_vector* point) {
  return append_vectors(list, ZGR_KIND_LINE, color, direction, point, NULL, NULL);
}

int32_t zgr_list_appendRect(zgr_list* list, zgr_color color, const zmath_vector* corner, const zmath_vector* size) {
  return append_vectors(list, ZGR_KIND_RECT, color, corner, size, NULL, NULL);
}

int32_t zgr_list_appendGenRect(zgr_list* list, zgr_color color, const zmath_vector* center,
                               const zmath_vector* halfSizes, const double* orient, const zmath_vector* round) {
  return append_vectors(list, ZGR_KIND_GEN_RECT, color, center, halfSizes, orient, round);
}

int32_t zgr_list_appendShapeAffineRect(zgr_list* list, zgr_color color, const zmath_shapeAffineRect* rect) {
  if (!rect) return ZF_STATUS_NULL_POINTER;
  return append_vectors(list, ZGR_KIND_AFFINE_RECT, color, &rect->origin, &rect->xCorner, NULL, &rect->yCorner);
}

/* A count and `n` groups of `each` doubles after a head of `head` bytes. */
static int32_t append_counted(zgr_list* list, uint32_t kind, zgr_color color, const double* values, int32_t n,
                              size_t head, size_t each, int32_t closed) {
  if (!list || (n > 0 && !values)) return ZF_STATUS_NULL_POINTER;
  if (n < 0) return ZF_STATUS_BAD_PARAMS;
  const size_t size = head + 8 * each * (size_t)n;
  unsigned char* r;
  const int32_t status = reserve(list, size, &r);
  if (status < 0) return status;
  unsigned char* p = r + ZGR_HEADER_SIZE;
  put_u32(p, (uint32_t)n);
  if (head == 8) put_u32(p + 4, (uint32_t)closed);
  for (size_t i = 0; i < each * (size_t)n; ++i) put_f64(p + head + 8 * i, values[i]);
  return commit(list, r, kind, color, size);
}

int32_t zgr_list_appendPolyline(zgr_list* list, zgr_color color, const zmath_vector* vertices, int32_t n,
                                int32_t closed) {
  return append_counted(list, ZGR_KIND_POLYLINE, color, vertices ? &vertices->x : NULL, n, 8, 2, closed);
}

int32_t zgr_list_appendLineSegSet(zgr_list* list, zgr_color color, const double* segments, int32_t n) {
  return append_counted(list, ZGR_KIND_LINE_SEG_SET, color, segments, n, 4, 4, 0);
}

/* The UTF-16 units of one wide character (wchar_t may itself be 16 bits). */
static int utf16_units(wchar_t c, uint16_t out[2]) {
  const unsigned long u = (unsigned long)c;
#if WCHAR_MAX > 0xFFFF
  if (u > 0x10FFFFul) {
    out[0] = 0xFFFD;
    return 1;
  }
  if (u > 0xFFFFul) {
    out[0] = (uint16_t)(0xD800 + ((u - 0x10000ul) >> 10));
    out[1] = (uint16_t)(0xDC00 + ((u - 0x10000ul) & 0x3FF));
    return 2;
  }
#endif
  out[0] = (uint16_t)u;
  return 1;
}

int32_t zgr_list_appendTextEx(zgr_list* list, const wchar_t* text, const zmath_vector* location, zgr_color color,
                              zgr_color background, int32_t alignment, const zmath_vector* offset) {
  if (!list || !text || !location || !offset) return ZF_STATUS_NULL_POINTER;
  size_t units = 0;
  uint16_t u[2];
  for (const wchar_t* c = text; *c; ++c) {
    units += (size_t)utf16_units(*c, u);
    if (units > (size_t)PTRDIFF_MAX / 4) return ZF_STATUS_SIZE_OVERFLOW;
  }
  const size_t size = ZGR_TEXT_FIXED_SIZE + 2 * (units + 1);
  unsigned char* r;
  const int32_t status = reserve(list, size, &r);
  if (status < 0) return status;
  unsigned char* p = r + ZGR_HEADER_SIZE;
  put_vector(p, location);
  put_u32(p + 16, (uint32_t)background);
  put_u32(p + 20, (uint32_t)alignment);
  put_vector(p + 24, offset);
  memset(p + 40, 0, 8);
  p += ZGR_TEXT_FIXED_SIZE;
  for (const wchar_t* c = text; *c; ++c)
    for (int i = 0, n = utf16_units(*c, u); i < n; ++i, p += 2) {
      p[0] = (unsigned char)u[i];
      p[1] = (unsigned char)(u[i] >> 8);
    }
  p[0] = p[1] = 0;
  return commit(list, r, ZGR_KIND_TEXT, color, size);
}

int32_t zgr_list_appendRaw(zgr_list* list, uint32_t kind, zgr_color color, const void* payload, size_t size) {
  if (!list || (size > 0 && !payload)) return ZF_STATUS_NULL_POINTER;
  /* Checked before anything is reserved, so a refusal leaves the buffer where it was. */
  if (size == 0 || zgr_payload_size(kind, (const unsigned char*)payload, size) != size) return ZF_STATUS_MALFORMED;
  unsigned char* r;
  const int32_t status = reserve(list, size, &r);
  if (status < 0) return status;
  memcpy(r + ZGR_HEADER_SIZE, payload, size);
  return commit(list, r, kind, color, size);
}

/* --- Printing ------------------------------------------------------------------------ */

static const char* const kKindNames[] = {"point",   "lineSeg",  "line",       "rect", "genRect",  "circle",
                                         "ellipse", "polyline", "affineRect", "text", "lineSegSet"};

static void print_vectors(FILE* out, const unsigned char* p, size_t n, const char* between) {
  for (size_t i = 0; i < n; ++i) {
    const zmath_vector v = get_vector(p + 16 * i);
    fprintf(out, "%s(%.17g, %.17g)", i ? between : " ", v.x, v.y);
  }
}

static void print_record(FILE* out, int32_t index, const unsigned char* r) {
  const uint32_t kind = zgr_get_u32(r);
  const unsigned char* p = r + ZGR_HEADER_SIZE;
  fprintf(out, "#%ld %s color 0x%08lX", (long)index, kind <= ZGR_KIND_LINE_SEG_SET ? kKindNames[kind] : "point",
          (unsigned long)zgr_get_u32(r + 4));
  if (kind > ZGR_KIND_LINE_SEG_SET) fprintf(out, " (kind %lu)", (unsigned long)kind);
  switch (kind) {
    case ZGR_KIND_GEN_RECT:
      print_vectors(out, p, 2, " ");
      fprintf(out, " orient %.17g", get_f64(p + 32));
      print_vectors(out, p + 40, 1, "");
      break;
    case ZGR_KIND_CIRCLE:
      print_vectors(out, p, 1, "");
      fprintf(out, " radius %.17g", get_f64(p + 16));
      break;
    case ZGR_KIND_ELLIPSE:
      print_vectors(out, p, 1, "");
      fprintf(out, " matrix [%.17g %.17g %.17g %.17g]", get_f64(p + 40), get_f64(p + 48), get_f64(p + 56),
              get_f64(p + 64));
      break;
    case ZGR_KIND_POLYLINE:
      fprintf(out, " %s n=%ld:", zgr_get_u32(p + 4) ? "closed" : "open", (long)(int32_t)zgr_get_u32(p));
      print_vectors(out, p + 8, (size_t)zgr_get_u32(p), " ");
      break;
    case ZGR_KIND_TEXT:
      fprintf(out, " \"");
      for (const unsigned char* c = p + ZGR_TEXT_FIXED_SIZE; c[0] | c[1]; c += 2) {
        const unsigned unit = (unsigned)c[0] | (unsigned)c[1] << 8;
        if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\')
          fputc((int)unit, out);
        else
          fprintf(out, "\\u%04X", unit);
      }
      fprintf(out, "\" at");
      print_vectors(out, p, 1, "");
      fprintf(out, " background 0x%08lX alignment %ld offset", (unsigned long)zgr_get_u32(p + 16),
              (long)(int32_t)zgr_get_u32(p + 20));
      print_vectors(out, p + 24, 1, "");
      break;
    case ZGR_KIND_LINE_SEG_SET:
      fprintf(out, " n=%ld:", (long)(int32_t)zgr_get_u32(p));
      print_vectors(out, p + 4, 2 * (size_t)zgr_get_u32(p), "-");
      break;
    default:
      print_vectors(out, p, kind <= ZGR_KIND_LINE_SEG_SET ? (size_t)zgr_fixed_payload[kind] / 16 : 1, " ");
  }
  fputc('\n', out);
}

int32_t zgr_list_print(const zgr_list* list, FILE* out) {
  if (!out) return ZF_STATUS_NULL_POINTER;
  const int32_t status = check_list(list);
  if (status < 0) return status;
  size_t at = 0;
  for (int32_t i = 0; i < list->count; ++i) {
    print_record(out, i, list->records + at);
    at += zgr_record_size(list->records + at, list->used - at);
  }
  return ZF_STATUS_OK;
}

/* --- Shape math ---------------------------------------------------------------------- */

static int finite_vectors(const zmath_vector* const* v, int n) {
  for (int i = 0; i < n; ++i)
    if (!isfinite(v[i]->x) || !isfinite(v[i]->y)) return 0;
  return 1;
}

int32_t zmath_shapeAffineRect_initPoints(zmath_shapeAffineRect* rect, const zmath_vector* origin,
                                         const zmath_vector* xCorner, const zmath_vector* yCorner) {
  if (!rect || !origin || !xCorner || !yCorner) return ZF_STATUS_NULL_POINTER;
  const zmath_vector* corners[] = {origin, xCorner, yCorner};
  if (!finite_vectors(corners, 3)) return ZF_STATUS_BAD_GEOM;
  rect->origin = *origin;
  rect->xCorner = *xCorner;
  rect->yCorner = *yCorner;
  return ZF_STATUS_OK;
}

int32_t zmath_shapeAffineRect_getPoints(const zmath_shapeAffineRect* rect, zmath_vector* origin,
                                        zmath_vector* xCorner, zmath_vector* yCorner) {
  if (!rect || !origin || !xCorner || !yCorner) return ZF_STATUS_NULL_POINTER;
  const zmath_vector* corners[] = {&rect->origin, &rect->xCorner, &rect->yCorner};
  if (!finite_vectors(corners, 3)) return ZF_STATUS_BAD_GEOM;
  *origin = rect->origin;
  *xCorner = rect->xCorner;
  *yCorner = rect->yCorner;
  return ZF_STATUS_OK;
}

int32_t zmath_shapeEllipse_init(zmath_shapeEllipse* ellipse, const zmath_vector* center, const zmath_vector* radii,
                                double rotation) {
  if (!ellipse || !center || !radii) return ZF_STATUS_NULL_POINTER;
  const zmath_vector* given[] = {center, radii};
  if (!finite_vectors(given, 2) || !isfinite(rotation)) return ZF_STATUS_BAD_GEOM;
  if (radii->x < 0 || radii->y < 0) return ZF_STATUS_BAD_PARAMS;
  if (radii->x == 0 || radii->y == 0) return ZF_STATUS_SINGULAR;
  const double c = cos(rotation), s = sin(rotation);
  const zmath_shapeEllipse e = {*center,
                                *radii,
                                rotation,
                                {radii->x * c, 0 - radii->y * s, radii->x * s, radii->y * c}, /* 0 - x: no negative zero */
                                {c / radii->x, s / radii->x, 0 - s / radii->y, c / radii->y}};
  *ellipse = e;
  return ZF_STATUS_OK;
}

int32_t zmath_shapeEllipse_getXform(const zmath_shapeEllipse* ellipse, zmath_xform* xform) {
  if (!ellipse || !xform) return ZF_STATUS_NULL_POINTER;
  const double* m = ellipse->matrix;
  const zmath_vector rows[] = {{m[0], m[1]}, {m[2], m[3]}};
  const zmath_vector* given[] = {&ellipse->center, &rows[0], &rows[1]};
  if (!finite_vectors(given, 3)) return ZF_STATUS_BAD_GEOM;
  const double det = m[0] * m[3] - m[1] * m[2];
  if (det == 0 || !isfinite(1 / det)) return ZF_STATUS_SINGULAR;
  const zmath_xform x = {m[0], m[1], m[2], m[3], ellipse->center.x, ellipse->center.y};
  *xform = x;
  return ZF_STATUS_OK;
}

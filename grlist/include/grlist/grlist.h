/* The graphics list: drawings kept as a flat list of simple records, each with a
 * 32-bit color code, and the shape-math records that two of its kinds carry. Plain C
 * (C11), usable from C++; no operation raises a C++ exception.
 *
 *   zgr_list list;
 *   zgr_list_init(&list);
 *   zmath_vector a = {0, 0}, b = {10, 5};
 *   if (zgr_list_appendLineSeg(&list, 3, &a, &b) < 0) ...;   // a negative status
 *   zgr_list_print(&list, stdout);
 *   zgr_list_free(&list);
 *
 * Statuses. Every operation returns a signed 32-bit status of zfound/status.h: 0 on
 * success, else ZF_STATUS_NULL_POINTER (a pointer argument is null), ZF_STATUS_BAD_PARAMS
 * (a negative count), ZF_STATUS_SIZE_OVERFLOW (the record count or the used bytes would
 * pass their largest value), ZF_STATUS_NO_MEMORY, ZF_STATUS_BAD_GEOM (a non-finite
 * shape-math input), ZF_STATUS_SINGULAR (an ellipse record without an inverse map) or
 * ZF_STATUS_MALFORMED (a list or record that breaks the layout below). A refused
 * operation changes nothing.
 *
 * Records. The buffer holds `count` records back to back in `used` bytes, each an
 * 8-byte header (kind u32, color code u32) and a payload; every number is
 * little-endian and unaligned, coordinates are doubles, a vector is x then y.
 *
 *   kind  payload                                                        bytes
 *   0     point: vector @0 (and every kind above 10, read as a point)    16
 *   1     line segment: first end @0, second end @16                     32
 *   2     line: direction @0, point @16 (the core's zcLine order)        32
 *   3     rectangle: corner @0, size @16                                 32
 *   4     general rectangle: center @0, half sizes @16, orientation      56
 *         (radians) @32, corner radii @40
 *   5     circle: center @0, radius @16                                  24
 *   6     ellipse: a zmath_shapeEllipse @0                               104
 *   7     polyline: n (i32) @0, closed flag (i32) @4, n vectors @8       8 + 16 n
 *   8     affine rectangle: a zmath_shapeAffineRect @0                   48
 *   9     text: location @0, background color code (u32) @16,           48 + 2 (units + 1)
 *         alignment (i32) @20, offset in pixels @24, 8 zero bytes @40,
 *         UTF-16 code units @48 ending with a zero unit
 *   10    segment set: n (i32) @0, n segments from @4, each first end    4 + 32 n
 *         x, y, second end x, y
 * A list is well formed when count <= 0 or its records fill exactly its used bytes,
 * with no count negative and every text terminated inside its record.
 */
#ifndef GRLIST_GRLIST_H
#define GRLIST_GRLIST_H

#include "zfound/status.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <wchar.h>

#if defined(_WIN32)
#  if defined(GRLIST_BUILDING)
#    define GRLIST_API __declspec(dllexport)
#  else
#    define GRLIST_API __declspec(dllimport)
#  endif
#else
#  define GRLIST_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* 0 to 15: a stock color; bit 7 set: red, green, blue in bits 24-31, 16-23, 8-15. */
typedef int32_t zgr_color;

typedef struct zmath_vector {
  double x;
  double y;
} zmath_vector;

/* An affine map: matrix row by row, then the translation. */
typedef struct zmath_xform {
  double m00, m01, m10, m11;
  double tx, ty;
} zmath_xform;

/* A parallelogram by three corners, 48 bytes: origin corner @0, x corner @16,
 * y corner @32 (the fourth is x + y - origin). */
typedef struct zmath_shapeAffineRect {
  zmath_vector origin;
  zmath_vector xCorner;
  zmath_vector yCorner;
} zmath_shapeAffineRect;

/* An ellipse as the image of the unit circle, 104 bytes. getXform reads the center
 * and the matrix; the radii, the rotation and the inverse are kept for readers.
 *   @0 center   @16 radii   @32 rotation (radians)
 *   @40 matrix m00, m01, m10, m11 (the unit circle's axes onto the ellipse's)
 *   @72 its inverse, same order */
typedef struct zmath_shapeEllipse {
  zmath_vector center;
  zmath_vector radii;
  double rotation;
  double matrix[4];
  double inverse[4];
} zmath_shapeEllipse;

/* The list. The first three fields are the layout other components read. */
typedef struct zgr_list {
  int32_t count;          /* @0: the number of records */
  int32_t reserved;       /* @4: zero */
  size_t used;            /* @8: bytes of records in the buffer */
  unsigned char* records; /* @16: the record buffer (null while empty) */
  size_t capacity;        /* @24: bytes allocated for the buffer */
} zgr_list;

enum {
  ZGR_KIND_POINT = 0,
  ZGR_KIND_LINE_SEG = 1,
  ZGR_KIND_LINE = 2,
  ZGR_KIND_RECT = 3,
  ZGR_KIND_GEN_RECT = 4,
  ZGR_KIND_CIRCLE = 5,
  ZGR_KIND_ELLIPSE = 6,
  ZGR_KIND_POLYLINE = 7,
  ZGR_KIND_AFFINE_RECT = 8,
  ZGR_KIND_TEXT = 9,
  ZGR_KIND_LINE_SEG_SET = 10
};
#define ZGR_HEADER_SIZE 8
/* The fixed part of a text payload, before its code units. */
#define ZGR_TEXT_FIXED_SIZE 48

#ifdef __cplusplus
#  define GRLIST_STATIC_ASSERT static_assert
#else
#  define GRLIST_STATIC_ASSERT _Static_assert
#endif
GRLIST_STATIC_ASSERT(offsetof(zgr_list, count) == 0, "record count at 0");
GRLIST_STATIC_ASSERT(offsetof(zgr_list, used) == 8, "used bytes at 8");
GRLIST_STATIC_ASSERT(offsetof(zgr_list, records) == 16, "record buffer in the third 8-byte slot");
GRLIST_STATIC_ASSERT(sizeof(zmath_vector) == 16, "a vector is two doubles");
GRLIST_STATIC_ASSERT(sizeof(zmath_shapeAffineRect) == 48, "affine rectangle record");
GRLIST_STATIC_ASSERT(sizeof(zmath_shapeEllipse) == 104, "ellipse record");

/* An empty list; zgr_list_free releases its buffer and leaves it empty again. */
GRLIST_API int32_t zgr_list_init(zgr_list* list);
GRLIST_API void zgr_list_free(zgr_list* list);

GRLIST_API int32_t zgr_list_appendPoint(zgr_list* list, zgr_color color, const zmath_vector* point);
GRLIST_API int32_t zgr_list_appendLineSeg(zgr_list* list, zgr_color color, const zmath_vector* first,
                                          const zmath_vector* second);
GRLIST_API int32_t zgr_list_appendLineDirPoint(zgr_list* list, zgr_color color, const zmath_vector* direction,
                                               const zmath_vector* point);
GRLIST_API int32_t zgr_list_appendRect(zgr_list* list, zgr_color color, const zmath_vector* corner,
                                       const zmath_vector* size);
GRLIST_API int32_t zgr_list_appendGenRect(zgr_list* list, zgr_color color, const zmath_vector* center,
                                          const zmath_vector* halfSizes, const double* orient,
                                          const zmath_vector* round);
GRLIST_API int32_t zgr_list_appendShapeAffineRect(zgr_list* list, zgr_color color,
                                                  const zmath_shapeAffineRect* rect);
/* n vertices (null allowed when n is 0); closed non-zero for a closed polyline. */
GRLIST_API int32_t zgr_list_appendPolyline(zgr_list* list, zgr_color color, const zmath_vector* vertices,
                                           int32_t n, int32_t closed);
/* n segments of four doubles each: first end x, y, second end x, y. */
GRLIST_API int32_t zgr_list_appendLineSegSet(zgr_list* list, zgr_color color, const double* segments, int32_t n);
/* The text up to its zero as UTF-16 (a wchar_t above U+FFFF as a surrogate pair, one
 * above U+10FFFF as U+FFFD, a lone surrogate unchanged). */
GRLIST_API int32_t zgr_list_appendTextEx(zgr_list* list, const wchar_t* text, const zmath_vector* location,
                                         zgr_color color, zgr_color background, int32_t alignment,
                                         const zmath_vector* offset);
/* Any kind with its payload as given (for circles, ellipses and the kinds above 10);
 * ZF_STATUS_MALFORMED when the size is not the kind's. */
GRLIST_API int32_t zgr_list_appendRaw(zgr_list* list, uint32_t kind, zgr_color color, const void* payload,
                                      size_t size);

/* One line per record: index, kind, color code and fields (text as ASCII with \uXXXX
 * escapes). A malformed list prints nothing. */
GRLIST_API int32_t zgr_list_print(const zgr_list* list, FILE* out);

/* Shape math. Non-finite input gives ZF_STATUS_BAD_GEOM. */
GRLIST_API int32_t zmath_shapeAffineRect_initPoints(zmath_shapeAffineRect* rect, const zmath_vector* origin,
                                                    const zmath_vector* xCorner, const zmath_vector* yCorner);
GRLIST_API int32_t zmath_shapeAffineRect_getPoints(const zmath_shapeAffineRect* rect, zmath_vector* origin,
                                                   zmath_vector* xCorner, zmath_vector* yCorner);
/* Radii > 0 (a zero radius ZF_STATUS_SINGULAR, a negative one ZF_STATUS_BAD_PARAMS),
 * x radius along the rotation. */
GRLIST_API int32_t zmath_shapeEllipse_init(zmath_shapeEllipse* ellipse, const zmath_vector* center,
                                           const zmath_vector* radii, double rotation);
/* The map of the unit circle onto the ellipse: its matrix and center. */
GRLIST_API int32_t zmath_shapeEllipse_getXform(const zmath_shapeEllipse* ellipse, zmath_xform* xform);

#ifdef __cplusplus
}
#endif

#endif

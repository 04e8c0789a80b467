/* A C program built against the graphics list's header: one record of each append,
 * the sizes they add up to, a refusal that changes nothing, and the printed list. */
#include "grlist/grlist.h"

#include <stdio.h>

#define CHECK(cond)                                        \
  do {                                                     \
    if (!(cond)) {                                         \
      fprintf(stderr, "line %d: %s\n", __LINE__, #cond);   \
      return 1;                                            \
    }                                                      \
  } while (0)

int main(void) {
  zgr_list list;
  zgr_list_init(&list);
  const zmath_vector a = {1, 2}, b = {3, 4}, c = {5, 1};
  const double orient = 0.5, segments[4] = {0, 0, 1, 1};
  const zmath_vector vertices[3] = {{0, 0}, {1, 0}, {1, 1}};
  zmath_shapeAffineRect rect;
  CHECK(zmath_shapeAffineRect_initPoints(&rect, &a, &b, &c) == ZF_STATUS_OK);
  /* A refused append gives a negative status, so any refusal turns the sum negative. */
  CHECK(zgr_list_appendPoint(&list, 1, &a) + zgr_list_appendLineSeg(&list, 2, &a, &b) +
            zgr_list_appendLineDirPoint(&list, 3, &a, &b) + zgr_list_appendRect(&list, 4, &a, &b) +
            zgr_list_appendGenRect(&list, 5, &a, &b, &orient, &c) + zgr_list_appendShapeAffineRect(&list, 6, &rect) +
            zgr_list_appendPolyline(&list, 7, vertices, 3, 1) + zgr_list_appendLineSegSet(&list, 8, segments, 1) +
            zgr_list_appendTextEx(&list, L"AB", &a, 9, 0, 1, &b) ==
        0);
  CHECK(list.count == 9);
  CHECK(list.used == 9 * 8 + 16 + 32 + 32 + 32 + 56 + 48 + (8 + 48) + 36 + 54);
  const size_t used = list.used;
  CHECK(zgr_list_appendPolyline(&list, 7, vertices, -1, 0) == ZF_STATUS_BAD_PARAMS);
  CHECK(list.count == 9 && list.used == used);
  CHECK(zgr_list_print(&list, stdout) == ZF_STATUS_OK);
  zgr_list_free(&list);
  CHECK(list.count == 0 && list.records == NULL);
  return 0;
}

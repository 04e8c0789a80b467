// Random well-formed graphics lists for tests and fuzz seeds.
#pragma once

#include "grlist/grlist.h"

#include <random>
#include <vector>

namespace zc_test {

// A random well-formed list: every kind, colors of every form, texts at every
// alignment code with fractional offsets (or none), sometimes at the drawing-point
// argument.
inline void randomRecords(zgr_list* l, std::mt19937& rng, int count, bool textOffsets = true) {
  const zmath_vector noOffset{0, 0};
  auto num = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng) / 4.0; };
  auto vec = [&](int lo = -400, int hi = 400) { return zmath_vector{num(lo, hi), num(lo, hi)}; };
  const zgr_color colors[] = {0, 3, 15, 16, 127, 0x10203080, -1};
  for (int i = 0; i < count; ++i) {
    const zgr_color c = colors[rng() % 7];
    const zmath_vector a = vec(), b = vec(), pos = vec(1, 40), half = vec(8, 40), round = vec(0, 8);
    const double angle = num(-12, 12);
    std::vector<zmath_vector> points(rng() % 4);
    for (zmath_vector& p : points) p = vec();
    zmath_shapeAffineRect affine;
    zmath_shapeEllipse ellipse;
    zmath_shapeAffineRect_initPoints(&affine, &a, &b, &pos);
    zmath_shapeEllipse_init(&ellipse, &a, &half, angle);
    const double circle[] = {a.x, a.y, pos.x};
    const zmath_vector at = rng() % 3 ? a : zmath_vector{0, 0};
    switch (rng() % 12) {
      case 0: zgr_list_appendPoint(l, c, &a); break;
      case 1: zgr_list_appendLineSeg(l, c, &a, &b); break;
      case 2: zgr_list_appendLineDirPoint(l, c, &pos, &b); break;
      case 3: zgr_list_appendRect(l, c, &a, &pos); break;
      case 4: zgr_list_appendGenRect(l, c, &a, &half, &angle, &round); break;
      case 5: zgr_list_appendRaw(l, ZGR_KIND_CIRCLE, c, circle, sizeof circle); break;
      case 6: zgr_list_appendRaw(l, ZGR_KIND_ELLIPSE, c, &ellipse, sizeof ellipse); break;
      case 7: zgr_list_appendPolyline(l, c, points.data(), static_cast<std::int32_t>(points.size()), rng() % 3); break;
      case 8: zgr_list_appendShapeAffineRect(l, c, &affine); break;
      case 9: zgr_list_appendTextEx(l, L"Tx\U0001F600", &at, c, colors[rng() % 7], rng() % 11, textOffsets ? &b : &noOffset); break;
      case 10: zgr_list_appendLineSegSet(l, c, points.empty() ? nullptr : &points[0].x, static_cast<std::int32_t>(points.size() / 2)); break;
      default: zgr_list_appendRaw(l, 11 + rng() % 100, c, &a, 16);
    }
  }
}

}  // namespace zc_test

// Thin lines: solid one-pixel strokes written straight into a layer's pels, one store
// per pixel, instead of going through Cairo's stroker.
//
//   zc_ScreenPels pels{layer.row(0), layer.stride / 4};
//   zc_ScreenInk ink;                                // the pixels set, accumulated
//   zf_ScreenThinPath(pels, clip, path, argb, ink);  // a path without curves
//   if (!ink.empty()) layer.dirty(ink.x0, ink.y0, ink.width(), ink.height());
//
// Coordinates are those of a layer path (zc_ScreenPath): pixel (i, j) covers
// [i, i + 1) × [j, j + 1). The pixel rule (zscreen/screen.h says it in screen
// coordinates): end points are rounded to 1/256 pixel; a line running at least as
// much across as down sets one pixel in every column from the one holding its left
// end to the one holding its right end, in the row that holds the line's height at
// the column's centre (a height on the border of two rows takes the lower row, the
// larger y); a steeper line does the same with rows and columns swapped. A segment
// of length 0 sets the pixel holding it. The rule depends on the line alone, not on
// its direction. Only pixels inside the clip rectangle are written, and the walk
// starts at the first of them, so a line with far-away ends costs its visible
// pixels only. Ends beyond 2^20 pixels are first cut to the neighbourhood of the
// clip rectangle in floating point.
#pragma once

#include "screen_path.h"

#include "dispc/uirect.h"

#include <algorithm>
#include <climits>
#include <cstdint>

// A layer's pels: `stride` pels from one row to the next.
struct zc_ScreenPels {
  std::uint32_t* data;
  long stride;
};

// The bounding box of the pixels set, inclusive; empty until a pixel is added.
struct zc_ScreenInk {
  long x0 = LONG_MAX, y0 = LONG_MAX, x1 = LONG_MIN, y1 = LONG_MIN;
  bool empty() const { return x0 > x1; }
  long width() const { return x1 - x0 + 1; }
  long height() const { return y1 - y0 + 1; }
  void add(long x, long y) {
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
  }
};

// Sets the pixels of the thin line from a to b that lie in `clip` (layer pixels, within
// the pels) to `value`. Non-finite ends set nothing.
void zf_ScreenThinLine(const zc_ScreenPels& pels, const zcUIRect& clip, zc_ScreenPoint a, zc_ScreenPoint b,
                       std::uint32_t value, zc_ScreenInk& ink);

// Every segment of a path made of moves, lines and closes (curves are skipped), each
// a thin line; a close draws the segment back to its subpath's start.
void zf_ScreenThinPath(const zc_ScreenPels& pels, const zcUIRect& clip, const zc_ScreenPath& path,
                       std::uint32_t value, zc_ScreenInk& ink);

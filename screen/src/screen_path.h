// Paths for the screen scopes: a path in layer coordinates, elliptical arcs as
// Bézier curves, and the emission of a path to Cairo, guarded for paths that reach
// beyond the range of Cairo's fixed-point coordinates.
//
//   zc_ScreenPath& path = ...;                    // reused between calls
//   path.clear();
//   path.offset(dx, dy);                          // screen pixels to layer pixels
//   zf_ScreenAppendArc(path, u, c, 0, 2 * pi, true);
//   if (path.safe()) zf_ScreenEmit(cr, path); else zf_ScreenEmitGuarded(cr, path, guard, fill);
#pragma once

#include "zfound/geometry.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

// Cairo holds coordinates as 24.8 fixed point; paths reaching beyond this bound are
// flattened and clipped to a guard box around the layer first.
inline constexpr double zkScreenSafeCoord = 1 << 20;

struct zc_ScreenPoint {
  double x, y;
};

// A path in layer coordinates with the bounding box of its points (control points
// included).
class zc_ScreenPath {
public:
  enum Op : unsigned char { eMove, eLine, eCurve, eClose };

  void clear() {
    ops_.clear();
    pts_.clear();
    x0_ = y0_ = HUGE_VAL;
    x1_ = y1_ = -HUGE_VAL;
    finite_ = true;
    curved_ = false;
  }
  // Added to every point given from now on.
  void offset(double dx, double dy) {
    dx_ = dx;
    dy_ = dy;
  }
  void moveTo(double x, double y) { add(eMove, x, y); }
  void lineTo(double x, double y) { add(eLine, x, y); }
  void curveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
    curved_ = true;
    add(eCurve, x1, y1);
    point(x2, y2);
    point(x3, y3);
  }
  void close() { ops_.push_back(eClose); }

  bool empty() const { return pts_.empty(); }
  bool finite() const { return finite_; }
  // Some part is a curve (not only moves, lines and closes).
  bool curved() const { return curved_; }
  double left() const { return x0_; }
  double top() const { return y0_; }
  double right() const { return x1_; }
  double bottom() const { return y1_; }
  // Every point lies within ±zkScreenSafeCoord.
  bool safe() const {
    return x0_ > -zkScreenSafeCoord && y0_ > -zkScreenSafeCoord && x1_ < zkScreenSafeCoord && y1_ < zkScreenSafeCoord;
  }

  const std::vector<Op>& ops() const { return ops_; }
  const std::vector<zc_ScreenPoint>& points() const { return pts_; }

private:
  void add(Op op, double x, double y) {
    ops_.push_back(op);
    point(x, y);
  }
  void point(double x, double y) {
    x += dx_;
    y += dy_;
    if (!std::isfinite(x) || !std::isfinite(y)) finite_ = false;
    x0_ = std::min(x0_, x);
    y0_ = std::min(y0_, y);
    x1_ = std::max(x1_, x);
    y1_ = std::max(y1_, y);
    pts_.push_back({x, y});
  }

  std::vector<Op> ops_;
  std::vector<zc_ScreenPoint> pts_;
  double dx_ = 0, dy_ = 0;
  double x0_ = HUGE_VAL, y0_ = HUGE_VAL, x1_ = -HUGE_VAL, y1_ = -HUGE_VAL;
  bool finite_ = true;
  bool curved_ = false;
};

struct zc_ScreenBox {
  double x0, y0, x1, y1;
};

// An arc of the ellipse c + M (cos t, sin t) from t0 over `span`, as cubic Béziers of
// at most a quarter turn each (exact under the affine map). The path continues with
// a line to the arc's start unless `move` asks for a new subpath.
void zf_ScreenAppendArc(zc_ScreenPath& path, const zcMatrix<2>& m, const zcPoint& c, double t0, double span, bool move);

// Liang–Barsky: clips the segment to the box; false when nothing is left.
bool zf_ScreenClipSegment(zc_ScreenPoint& a, zc_ScreenPoint& b, const zc_ScreenBox& box);

// The path as it is (every coordinate within Cairo's range).
void zf_ScreenEmit(cairo_t* cr, const zc_ScreenPath& path);

// The path flattened (curves within 0.25 pixel) and cut to the guard box: for a fill,
// each closed subpath is clipped as a polygon, which keeps the winding number of every
// point inside the box; for a stroke, each segment is clipped on its own.
void zf_ScreenEmitGuarded(cairo_t* cr, const zc_ScreenPath& path, const zc_ScreenBox& guard, bool forFill);

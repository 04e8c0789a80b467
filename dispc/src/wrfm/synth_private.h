// The stages of synthetic drawing, shared by its files (dispc/wrfm/synth.h is the public
// side). A rendering runs
//   edges (synth_edges.cpp)  the outline as monotone pieces in image coordinates;
//   cells (synth_cells.h)    exact cover and area per pel of one row, or, in the
//                            neighbour-blend mode, the boundary rasterizers of
//                            synth_lines.cpp after a fill through pel centres;
//   sweep (synth_sweep.cpp)  running sums per row, full spans as runs;
//   fill  (synth_fill.h)     one memset per run, boundary pels blended and rounded.
#pragma once

#include "dispc/wrfm/smdpoly.h"
#include "dispc/wrfm/synth.h"
#include "wrfm/synth_fill.h"

#include "zfound/geometry.h"
#include "zfound/pelbuf.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace zc_synth {

// ---------------------------------------------------------------------------------------
// Rounding rules (ε = 1e-11): a value a hair below an integer floors to it, a hair above
// ceils to it. Results stay doubles; callers clamp before converting to integers.
// std::floor and std::ceil to the bit (−0 stays −0), by a conversion to integer below 2^52.
inline double exactFloor(double x) {
  if (!(std::abs(x) < 4503599627370496.0)) return std::floor(x);
  const double i = static_cast<double>(static_cast<long long>(x));
  return i > x ? i - 1.0 : i == x ? x : i;
}
inline double exactCeil(double x) {
  if (!(std::abs(x) < 4503599627370496.0)) return std::ceil(x);
  const double i = static_cast<double>(static_cast<long long>(x));
  return i < x ? i + 1.0 : i == x ? x : std::copysign(i, x);
}
inline double tolFloor(double x) { return exactFloor(x * (1.0 + (x > 0 ? 1e-11 : x < 0 ? -1e-11 : 0.0))); }
inline double tolCeil(double x) { return exactCeil(x * (1.0 - (x > 0 ? 1e-11 : x < 0 ? -1e-11 : 0.0))); }
// x + 0.5 truncated for x >= 0, x − 0.5 truncated below.
inline double nearest(double x) { return x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5); }
// ⌊x⌋ and ⌈x⌉ for |x| < 2^62 without a library call (the cell stage takes them per pel).
inline double fastFloor(double x) {
  const double i = static_cast<double>(static_cast<long long>(x));
  return i > x ? i - 1.0 : i;
}
inline double fastCeil(double x) {
  const double i = static_cast<double>(static_cast<long long>(x));
  return i < x ? i + 1.0 : i;
}
// x limited to [lo, hi] (lo <= hi) by min and max, without branches; NaN stays NaN.
inline double clampFast(double x, double lo, double hi) { return std::min(std::max(x, lo), hi); }
// x limited to [lo, hi] and made an integer (lo and hi are integers).
inline long clampToLong(double x, long lo, long hi) {
  if (!(x > static_cast<double>(lo))) return lo;  // NaN too
  if (x >= static_cast<double>(hi)) return hi;
  return static_cast<long>(x);
}

// Pels [x0, x1) × [y0, y1) of the image plane.
struct Window {
  long x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};
// The buffer's window; UnboundWindow for an unbound buffer.
Window bufferWindow(const zcPelBuffer_const<unsigned char>& pb);
// The pels that the box [lo, hi] touches, within `within`.
Window boxWindow(const zcPoint& lo, const zcPoint& hi, const Window& within);

// ---------------------------------------------------------------------------------------
// Stage 1, edges. A Mono is a piece of the outline along which x and y are both
// monotone, held downward: a has the smaller y. The outline runs a → b when w is +1 and
// b → a when w is −1. A line runs with t from 0 (a) to 1 (b); an arc is
// c + u cos t + v sin t with t from ta (a) to tb (b), either way. a and b are the chain's
// own points, so consecutive pieces meet exactly.
struct Mono {
  // Where an arc's coordinate reaches a value: the parameter and its cosine and sine.
  struct Param {
    double t, cos, sin;
  };
  // One coordinate of an arc, r cos(t − φ) about its centre, on the half turn
  // base ≤ t ≤ base + π (base = φ + mπ, sign = (−1)^m) that holds the piece.
  struct Axis {
    double centre = 0.0, r = 0.0, base = 0.0, sign = 1.0, cosBase = 1.0, sinBase = 0.0;
    Param root(double value, double lo, double hi) const;
    // The cosine and sine of the root alone (t left 0): no arc cosine, one square root.
    Param at(double value) const {
      const double q = clampFast((value - centre) * signOverR, -1.0, 1.0);
      const double s = std::sqrt(1.0 - q * q);
      return Param{0.0, cosBase * q - sinBase * s, sinBase * q + cosBase * s};
    }
    double signOverR = 0.0;  // sign / r, 0 for r 0
  };
  // One coordinate of a whole arc, r cos(t − φ) = cu cos t + cv sin t (cu and cv
  // finite), before it is split: each piece takes its half turn from here, and a piece
  // on the half turn of the one before reuses its cosine and sine.
  struct DISPC_API Frame {
    double phi, r;
    double m = std::numeric_limits<double>::quiet_NaN(), base = 0.0, cosBase = 1.0, sinBase = 0.0;
    Frame(double cu, double cv);
    Axis axis(double centre, double mid);
  };

  zcPoint a, b;
  double ta = 0.0, tb = 1.0;
  // An arc's cosines and sines of ta and tb.
  double cosA = 1.0, sinA = 0.0, cosB = 1.0, sinB = 0.0;
  // A line's slopes, dx/dy and dy/dx (0 where infinite), set when the piece is walked.
  double dxdy = 0.0, dydx = 0.0;
  double w = 1.0;
  bool arc = false;
  zcPoint c;
  zcVector<2> u, v;
  Axis ax, ay;
  // Walking state of the cell stage, set by clipPieces: the point reached (x within the
  // window's columns) and its column ⌊x⌋. An arc's points are taken in its x axis's
  // frame, (q, s) = (cos, sin)(t − ax.base), where x = ax.centre + xr q and
  // y = c.y + yq q + ys s: the point reached (q0, s0) and the end (qEnd, sEnd); a root in
  // the y axis's frame turns into it by the angle ay.base − ax.base (turnCos, turnSin).
  // hd is halfDet().
  double px = 0.0, py = 0.0, pcol = 0.0;
  double q0 = 1.0, s0 = 0.0, qEnd = 1.0, sEnd = 0.0;
  double xr = 0.0, yq = 0.0, ys = 0.0, turnCos = 1.0, turnSin = 0.0;
  double hd = 0.0;
  // The arc's root for the row below, (aheadQ, aheadS) at x aheadX, solved while walking
  // the row above it; valid when the row's bottom is aheadY.
  double aheadY = std::numeric_limits<double>::quiet_NaN(), aheadQ = 0.0, aheadS = 0.0, aheadX = 0.0;

  zcPoint at(double s) const {
    if (!arc) return a + (b - a) * s;
    return c + u * std::cos(s) + v * std::sin(s);
  }
  zcPoint at(const Param& q) const { return c + u * q.cos + v * q.sin; }
  // Sets up the axes of an arc whose ta and tb lie within one half turn of each
  // coordinate (a monotone piece, or a part of one), from the frames of its x and y.
  void prepare(Frame& x, Frame& y);
  // The parameter where the piece reaches x (or y); x within the piece's range.
  double tAtX(double x) const { return arc ? ax.root(x, std::min(ta, tb), std::max(ta, tb)).t : lineAt(x, a.x(), b.x()); }
  double tAtY(double y) const { return arc ? ay.root(y, std::min(ta, tb), std::max(ta, tb)).t : lineAt(y, a.y(), b.y()); }
  // Half the determinant of (u v): an arc's sliver is that times θ − sin θ.
  double halfDet() const { return 0.5 * (u.x() * v.y() - u.y() * v.x()); }
  // The signed area between the arc from t0 to t1 and its chord, with the sign of the
  // loop arc-then-chord-back, from the cosines and sines of t0 and t1 (at most a half
  // turn apart), or of both less one angle.
  static double sliver(double halfDet, double cos0, double sin0, double cos1, double sin1) {
    const double s = cos0 * sin1 - sin0 * cos1;  // sin θ, θ = t1 − t0
    const double c = cos0 * cos1 + sin0 * sin1;
    // θ − sin θ loses every digit for a small θ; the series of arcsin(s) − s does not.
    const double s2 = s * s;
    const double g = c > 0.0 && s2 < 2.5e-3
                         ? s * s2 * (1.0 / 6.0 + s2 * (3.0 / 40.0 + s2 * (5.0 / 112.0 + s2 * (35.0 / 1152.0))))
                         : std::atan2(s, c) - s;
    return halfDet * g;
  }

private:
  static double lineAt(double x, double from, double to) { return to == from ? 0.0 : (x - from) / (to - from); }
};

// The outline in image coordinates, piece by piece in order, each starting where the
// last ended; the pieces are split into Monos as they come. Non-finite points raise
// zcShapesError::BadGeom.
class Outline {
public:
  // The storage of the pieces passes from one outline to the next on a thread.
  Outline();
  ~Outline();
  Outline(const Outline&) = delete;
  Outline& operator=(const Outline&) = delete;
  void line(const zcPoint& from, const zcPoint& to);
  // The arc c + u cos t + v sin t from t0 to t1 (|t1 − t0| ≤ 2π); it starts at the
  // last point and ends at its own end point.
  void arc(const zcPoint& c, const zcVector<2>& u, const zcVector<2>& v, double t0, double t1);
  // Ends the chain back at its first point.
  void close();
  bool hasPoint() const { return started_; }
  const zcPoint& last() const { return last_; }

  std::vector<Mono> pieces;
  zcPoint lo, hi;  // the box of every piece

private:
  // Appends the piece from the last point to `to`, set up by fill(m) and then held
  // downward (an arc's axes from its frames), unless it is horizontal.
  template <class Fill>
  void add(const zcPoint& to, Fill&& fill, Mono::Frame* frames = nullptr);
  void extend(const zcPoint& p);
  bool started_ = false;
  zcPoint first_, last_;
};

// The boundary pieces of the poly in drawing order: for each vertex with an arriving
// segment, the segment between the roundings, line(from, to) (none where the roundings
// consume it), then the vertex's rounding arc, arc(a). The arcs come from `made` in
// order when it is given (as polyOutline recorded them).
template <class Line, class Arc>
void eachRoundedPiece(const zcSMDGDPoly& poly, Line&& line, Arc&& arc,
                      const std::vector<zc2SegmentArc>* made = nullptr) {
  const auto& starts = poly.roundedStartPoints();
  const auto& ends = poly.roundedEndPoints();
  std::size_t next = 0;
  for (long k = 0; k < poly.numVertices(); ++k) {
    const long s = poly.previousSegmentIndex_(k);
    if (s < 0) continue;
    if (poly.isSegmentArc_(s)) {
      arc(made ? (*made)[next++] : poly.roundedArcSegment_(s));
    } else {
      const zcVector<2>& from = ends[poly.previousVertexIndex_(s)];
      if (from != starts[k]) line(from, starts[k]);
    }
    if (poly.isVertexRounded_(k)) arc(made ? (*made)[next++] : poly.roundedArcVertex_(k));
  }
}

// The rounded outline of a poly (segments between the roundings, then the rounding
// arc of their end vertex, as the boundary is drawn), mapped by M.
// The arcs made on the way are appended to `arcs` when given.
void polyOutline(const zcSMDGDPoly& poly, const zcXform<2>& M, Outline& out,
                 std::vector<zc2SegmentArc>* arcs = nullptr);
// The pieces cut to the window's rows, ready to walk; parts left of it become vertical
// pieces on its left edge (their cover counts), parts right of it go.
std::vector<Mono> clipPieces(const std::vector<Mono>& pieces, const Window& win);

// ---------------------------------------------------------------------------------------
// Stage 2 (exact coverage): one dense row of cells. cover is Σ dy of the outline within
// the pel, area Σ dy × (mean distance from the pel's left edge) plus the arcs' slivers,
// so that a pel's signed coverage is (cover of the pels before it and itself) − area.
// Each walk of a piece through the row touches one run of neighbouring cells; the row
// keeps those runs, so the sweep visits the touched cells run by run (merged where they
// overlap) and the pels between them as spans, never the untouched width.
class CellRow {
public:
  // For pieces cut to the window; a row walks each at most once.
  CellRow(const Window& win, std::size_t pieces);
  // Walks the piece from its state down to y = min(bottom, b.y), adding its cells;
  // bottom is the row's lower edge.
  void walk(Mono& m, double bottom);

  // Stage 3: sweeps the row into the sink and clears the touched cells. A sink takes
  // span(from, to, f), pels [from, to) at one coverage, and pel(i, f), in indices
  // from the window's left column.
  template <class Sink>
  void sweep(Sink& sink);

private:
  struct Cell {
    double cover = 0.0, area = 0.0;
  };
  long x0_;
  double left_, right_;  // the window's first and end columns
  long width_;
  std::vector<Cell> cells_;
  // The cells first … last (indices) touched by each walk of the row, count_ of them.
  std::vector<long> firsts_, lasts_;
  std::size_t count_ = 0;
  // Adds to the cell of column col and records it as a run of its own.
  void addCell(double col, double cover, double area) {
    const long i = static_cast<long>(col) - x0_;
    Cell& cell = cells_[static_cast<std::size_t>(i)];
    cell.cover += cover;
    cell.area += area;
    firsts_[count_] = i;
    lasts_[count_++] = i;
  }
  // The walk of an arc; those of a line or an arc across columns, out of line.
  void walkArc(Mono& m, double yEnd);
  void arcRoot(const Mono& m, double y, double& q, double& s, double& x) const;
  void walkLine(Mono& m, double xb, double yEnd);
  void walkArcParts(Mono& m, double xb, double yEnd, double endQ, double endS);
  template <class Border>
  double walkParts(double xa, double ya, double ca, double xb, double yb, double w, Border& border);
};

// Sinks of the sweep: the pels of a row (stage 4), or the coverage values themselves.
struct PelSink {
  unsigned char* row0;  // the row's pel at the window's left column
  unsigned char v;
  void span(long from, long to, double f) {
    if (from >= to || f <= 1e-12) return;
    if (f >= 1.0 - 1e-12) {
      fillRun(row0 + from, to - from, v);
      return;
    }
    for (long i = from; i < to; ++i) blendPel(row0[i], v, f);
  }
  void pel(long i, double f) { blendPelUnit(row0[i], v, f); }  // 0 <= f <= 1
};
struct CoverageSink {
  double* row0;
  void span(long from, long to, double f) {
    for (long i = from; i < to; ++i) row0[i] = f;
  }
  void pel(long i, double f) { row0[i] = f; }
};

// The whole exact pipeline over the pieces (unclipped) within the window.
void renderExact(const std::vector<Mono>& pieces, const Window& win, zcPelBuffer<unsigned char>& pb,
                 unsigned char v);
// The fill through pel centres: in every row, the pels whose centres lie inside
// (nonzero winding of the pieces), in runs; pels outside `win` stay.
// The rows of `early` are blended as their fill is written.
class EarlyColumns;
void fillCentres(const std::vector<Mono>& pieces, const Window& win, zcPelBuffer<unsigned char>& pb,
                 unsigned char v, EarlyColumns* early = nullptr);

// The covered part of every pel of the window (row by row), for the poly mapped by M into
// image coordinates: stages 1 to 3 of the exact mode without the 8 bits of stage 4.
DISPC_API std::vector<double> exactCoverage(const zcSMDGDPoly& poly, const zcXform<2>& M, const Window& win);

// ---------------------------------------------------------------------------------------
// Boundary rasterizers (synth_lines.cpp). A Stroke is a line in image coordinates that
// has been clipped to the window shrunk by 2 pels and checked, ready to draw.
struct Stroke {
  zcPoint a, b;
};
// Clips and checks the mapped line against the buffer's window: false when nothing is
// to be drawn; DegenerateShape and BadCoord as drawLinePelBuf raises them.
DISPC_API bool prepareStroke(const Window& win, const zcPoint& a, const zcPoint& b, bool antialias, Stroke& out);
// The middles of anti-aliased vertical strokes (along a pel column, every pel they read
// inside the window) where no earlier stroke comes near: a pel of such a row depends on
// nothing but its row as the fill left it, so the fill blends each row's pels right
// after writing the row, while it is in cache, and drawStrokes leaves them.
//
//   EarlyColumns early(pb, strokes, true);
//   fillCentres(pieces, win, pb, v, &early);
//   drawStrokes(pb, strokes, v, true, &early);
class EarlyColumns {
public:
  // Rows first … last of stroke `stroke` at one column, blended up to `next`.
  struct Run {
    std::size_t stroke;
    long first, last, column;
    double f;
    long next;
  };
  EarlyColumns(zcPelBuffer<unsigned char>& pb, const std::vector<Stroke>& strokes, bool antialias);
  // Blends the runs' rows above `row` that are not blended yet.
  void blendAbove(long row);
  // By stroke, then row.
  const std::vector<Run>& runs() const { return runs_; }

private:
  static constexpr long kMinRun = 32;       // rows worth a run
  static constexpr long kMargin = 5;        // pels around a stroke's ends that it may touch
  static constexpr std::size_t kCheckBudget = 1 << 20;  // earlier strokes checked in all
  static constexpr double kCachedBytes = 4 << 20;        // buffers smaller than a core's cache
  unsigned char* first_;
  long pitch_, x0_, y0_;
  std::vector<Run> runs_;
};
// Draws prepared strokes in order (each blended line reads the pels the ones before it
// wrote), the rows of `early` blended first where they are not yet.
void drawStrokes(zcPelBuffer<unsigned char>& pb, const std::vector<Stroke>& strokes, unsigned char v, bool antialias,
                 EarlyColumns* early = nullptr);
// The chord ends of the arc mapped by X, as drawArcPelBuf flattens it; empty when the
// arc lies wholly outside the window grown by 1 pel.
DISPC_API std::vector<zcPoint> arcChordPoints(const zcPelBuffer_const<unsigned char>& pb, const zc2SegmentArc& arc,
                                    const zcXform<2>& X);
// Prepares every chord of the points (all checked first), appending to `out`.
DISPC_API void prepareChords(const Window& win, const std::vector<zcPoint>& points, bool antialias, std::vector<Stroke>& out);

}  // namespace zc_synth

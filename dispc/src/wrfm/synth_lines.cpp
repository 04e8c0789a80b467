// The boundary rasterizers of synthetic drawing: plain Bresenham lines, the neighbour
// blender (the cell stage of the default coverage mode), arcs as chords, and the
// horizontal extents of segments.
//
//   Stroke s;
//   if (prepareStroke(pb, a, b, true, s)) drawStroke(pb, s, v, true);
//
// Every check (coincident ends, pels outside the window, an unbound buffer) is made by
// the prepare functions, before any pel is written; drawing cannot fail.
//
// The blender, for a line nearer to horizontal (the other one is the same with x and y
// exchanged): in each column c the line's heights y0, y1 at x = c and c + 1 give rows
// r0, r1. A pel (c, r) that the line crosses gets A + (B − A) f, A and B its neighbours
// above and below, f the part of the pel below the line. Within one row f is a
// trapezoid. Where the line goes down into row r1 = r0 + 1 at x = xm, the row it leaves
// keeps the triangle (⌈y0⌉ − y0)(xm − c)/2 below it and the row it enters has all but
// (y1 − ⌊y1⌋)(c + 1 − xm)/2; where it goes up into r1 = r0 − 1 (the mirrored case), the
// row it leaves has all but (y0 − ⌊y0⌋)(xm − c)/2 below it and the row it enters the
// triangle (⌈y1⌉ − y1)(c + 1 − xm)/2. Both pels of such a column read their neighbours
// before either is written.
#include "wrfm/synth_fill.h"
#include "wrfm/synth_private.h"

#include "dispc/wrfm/genpoly.h"
#include "wrfm/arc_private.h"
#include "wrfm/genpoly_private.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <span>
#include <utility>

namespace zc_synth {

namespace {

// Pel access along a major axis u and a minor axis w; transposed means u is y. The pels
// are reached from the window's first pel by strides, without a call per pel.
struct Axes {
  Axes(zcPelBuffer<unsigned char>& pb, bool transposed) : first(pb.pelPointer(pb.offset().x(), pb.offset().y())) {
    const Window win = bufferWindow(pb);
    const long pitch = pb.pitch();
    u0 = transposed ? win.y0 : win.x0, u1 = transposed ? win.y1 : win.x1;
    w0 = transposed ? win.x0 : win.y0, w1 = transposed ? win.x1 : win.y1;
    su = transposed ? pitch : 1, sw = transposed ? 1 : pitch;
  }
  unsigned char* first;
  long u0, u1, w0, w1, su, sw;
  bool contains(long u, long w) const { return u >= u0 && u < u1 && w >= w0 && w < w1; }
  unsigned char& at(long u, long w) const { return first[(u - u0) * su + (w - w0) * sw]; }
};

// Pel (u, w) between its neighbours w − 1 and w + 1. Checked, a pel whose neighbours
// are not all in the window is left; unchecked, they are known to be.
template <bool kChecked>
class Pel {
public:
  Pel(const Axes& axes, long u, long w) : axes_(axes), u_(u), w_(w) {}
  // The blended value, f toward w + 1; −1 for a pel left.
  int blended(double f) const {
    if (!axes_.contains(u_, w_ - 1) || !axes_.contains(u_, w_ + 1)) return -1;
    return blendValue(axes_.at(u_, w_ - 1), axes_.at(u_, w_ + 1), f);
  }
  void put(int value) const {
    if (value >= 0) axes_.at(u_, w_) = static_cast<unsigned char>(value);
  }

private:
  const Axes& axes_;
  long u_, w_;
};
template <>
class Pel<false> {
public:
  Pel(unsigned char* pel, long step) : pel_(pel), step_(step) {}
  int blended(double f) const { return blendUnit(pel_[-step_], pel_[step_], unitFraction(f)); }
  void put(int value) const { *pel_ = static_cast<unsigned char>(value); }

private:
  unsigned char* pel_;
  long step_;
};

// Pel (u, w) of the axes, checked or not.
template <bool kChecked>
Pel<kChecked> pelAt(const Axes& axes, long u, long w) {
  if constexpr (kChecked) {
    return Pel<true>(axes, u, w);
  } else {
    return Pel<false>(&axes.at(u, w), axes.sw);
  }
}

// The line's height w at u, and its rows: floors and ceilings with the rounding rule's
// tolerance. The heights stay within the window, so the floors need no library call.
struct Heights {
  zcPoint p;
  double slope;
  double at(double u) const { return p.y() + slope * (u - p.x()); }
  static double floorOf(double w) { return fastFloor(w * (1.0 + (w > 0 ? 1e-11 : w < 0 ? -1e-11 : 0.0))); }
  static double ceilOf(double w) { return fastCeil(w * (1.0 - (w > 0 ? 1e-11 : w < 0 ? -1e-11 : 0.0))); }
};

// floorOf and ceilOf over the heights of columns first … last + 1, which lie between the
// end ones: where those keep one sign (0 either way), the tolerance's factor is taken
// once for all (0 times it is 0 all the same).
class Rounding {
public:
  Rounding(const Heights& h, double first, double last) {
    const double a = h.at(first), b = h.at(last + 1.0);
    const double lo = std::min(a, b), hi = std::max(a, b);
    one_ = lo >= 0.0 ? 1.0 : hi <= 0.0 ? -1.0 : 0.0;
    down_ = 1.0 + one_ * 1e-11, up_ = 1.0 - one_ * 1e-11;
  }
  double floorOf(double w) const { return one_ != 0.0 ? fastFloor(w * down_) : Heights::floorOf(w); }
  double ceilOf(double w) const { return one_ != 0.0 ? fastCeil(w * up_) : Heights::ceilOf(w); }

private:
  double one_, down_, up_;
};

// `count` pels from `pel` on, `step` bytes apart, each blended from its neighbours
// `across` bytes before and after it with one f: a line along the major axis. Along a
// row (step 1) the loop runs over consecutive bytes, several pels at a time.
// Across rows, the neighbours mostly repeat from one pel to the next (the fill on one
// side, the background on the other): the last pair's value is kept.
inline void blendRun(unsigned char* pel, long count, long step, long across, double f) {
  f = unitFraction(f);
  const unsigned char* above = pel - across;
  const unsigned char* below = pel + across;
  if (step == 1) {
    for (long i = 0; i < count; ++i) pel[i] = blendUnit(above[i], below[i], f);
    return;
  }
  int last = -1;  // above × 256 + below of the last pel
  unsigned char value = 0;
  for (long i = 0, k = 0; i < count; ++i, k += step) {
    const int pair = above[k] * 256 + below[k];
    if (pair != last) last = pair, value = blendUnit(above[k], below[k], f);
    pel[k] = value;
  }
}

// The row and f of a line along the major axis (slope 0): every column has its height.
struct Along {
  double r, f;
  Along(const Heights& h, double first) {
    const double w = h.at(first);
    r = Heights::floorOf(w);
    f = ((r + 1.0 - w) + (r + 1.0 - w)) / 2.0;
  }
};

// Columns first … last of a line along the major axis whose pels all lie inside: one
// row and f for all; the columns of `skip` (blended already, in order) are left.
void blendAlong(const Axes& axes, const Heights& h, double first, double last, std::span<const EarlyColumns::Run> skip) {
  const Along along(h, first);
  const double r = along.r, f = along.f;
  const auto run = [&](double from, double to) {
    blendRun(&axes.at(static_cast<long>(from), static_cast<long>(r)), static_cast<long>(to - from) + 1, axes.su,
             axes.sw, f);
  };
  double from = first;
  for (const EarlyColumns::Run& s : skip) {
    if (static_cast<double>(s.first) > from) run(from, static_cast<double>(s.first) - 1.0);
    from = static_cast<double>(s.last) + 1.0;
  }
  if (from <= last) run(from, last);
}

// Columns first … last of a sloped line; a column's right height and its floor are the
// next column's left ones. The heights only grow (kDown) or only fall along the line, so
// a column where the floor changes enters the next row down or the next row up.
template <bool kChecked, bool kDown>
void blendSloped(const Axes& axes, const Heights& h, double first, double last) {
  const Rounding round(h, first, last);
  double w1 = h.at(first), f1 = round.floorOf(w1);
  long uc = static_cast<long>(first);
  for (double c = first; c <= last; c += 1.0, ++uc) {
    const double w0 = w1, r0 = f1;
    w1 = h.at(c + 1.0);
    f1 = round.floorOf(w1);
    const long ur0 = static_cast<long>(r0);
    const Pel<kChecked> pel0 = pelAt<kChecked>(axes, uc, ur0);
    if (r0 == f1) {
      pel0.put(pel0.blended(((r0 + 1.0 - w0) + (r0 + 1.0 - w1)) / 2.0));
      continue;
    }
    const double border = kDown ? r0 + 1.0 : r0;
    const double xm = std::clamp(h.p.x() + (border - h.p.y()) / h.slope, c, c + 1.0);
    const Pel<kChecked> pel1 = pelAt<kChecked>(axes, uc, kDown ? ur0 + 1 : ur0 - 1);
    // Both pels take their neighbours as they were before either is written.
    const int left = pel0.blended(kDown ? (round.ceilOf(w0) - w0) * (xm - c) / 2.0 : 1.0 - (w0 - r0) * (xm - c) / 2.0);
    const int entered =
        pel1.blended(kDown ? 1.0 - (w1 - f1) * (c + 1.0 - xm) / 2.0 : (round.ceilOf(w1) - w1) * (c + 1.0 - xm) / 2.0);
    pel0.put(left);
    pel1.put(entered);
  }
}

// Columns first … last of the line.
template <bool kChecked>
void blendColumns(const Axes& axes, const Heights& h, double first, double last) {
  if (h.slope > 0.0) return blendSloped<kChecked, true>(axes, h, first, last);
  if (h.slope < 0.0) return blendSloped<kChecked, false>(axes, h, first, last);
  // Along the major axis every column has the same height, row and f.
  const Along along(h, first);
  const double r = along.r, f = along.f;
  if constexpr (kChecked) {
    for (double c = first; c <= last; c += 1.0) {
      const Pel<true> pel(axes, static_cast<long>(c), static_cast<long>(r));
      pel.put(pel.blended(f));
    }
  } else {
    blendRun(&axes.at(static_cast<long>(first), static_cast<long>(r)), static_cast<long>(last - first) + 1, axes.su,
             axes.sw, f);
  }
}

// A line in (major, minor) coordinates, p.x() ≤ q.x(), ready to blend: its heights and
// columns, and whether every pel it reads or writes lies in the window.
struct Plan {
  Heights h;
  double first, last;
  bool inside;
};
[[gnu::always_inline]] inline bool plan(const Axes& axes, const zcPoint& p, const zcPoint& q, Plan& out) {
  const zcVector<2> d = q - p;
  const double minor = p.y();
  // Along a pel border a line covers nothing.
  if (std::abs(minor - fastFloor(minor + 0.5)) <= 0.001 && std::abs(d.y()) < 1e-12 * d.length()) return false;
  const double first = tolFloor(p.x()), last = tolFloor(q.x());
  if (first == last) return false;
  const Heights h{p, d.y() / d.x()};
  // Heights, and so their floors, change monotonically along the line: the rows a
  // column writes lie between the end columns' floors, the neighbours read one further.
  // When all of them lie in the window, no pel needs its check.
  const double fa = Heights::floorOf(h.at(first)), fb = Heights::floorOf(h.at(last + 1.0));
  const double lo = std::min(fa, fb) - 1.0, hi = std::max(fa, fb) + 1.0;
  const bool inside = first >= static_cast<double>(axes.u0) && last < static_cast<double>(axes.u1) &&
                      lo >= static_cast<double>(axes.w0) && hi < static_cast<double>(axes.w1);
  out = Plan{h, first, last, inside};
  return true;
}

// A stroke in the blender's coordinates: transposed when it is nearer to vertical, its
// ends in (major, minor) order along the major axis.
struct Oriented {
  bool transposed;
  zcPoint p, q;
  explicit Oriented(const Stroke& s) {
    const zcVector<2> d = s.b - s.a;
    transposed = std::abs(d.y()) > std::abs(d.x());
    const auto swap = [&](const zcPoint& e) { return transposed ? zcPoint(e.y(), e.x()) : e; };
    p = swap(s.a), q = swap(s.b);
    if (q.x() < p.x()) std::swap(p, q);
  }
};

void blendLine(const Axes& axes, const zcPoint& p, const zcPoint& q) {
  Plan line;
  if (!plan(axes, p, q, line)) return;
  if (line.inside) {
    blendColumns<false>(axes, line.h, line.first, line.last);
  } else {
    blendColumns<true>(axes, line.h, line.first, line.last);
  }
}

// The same for a line along the major axis, all inside, less the columns of `skip`.
[[gnu::noinline]] void blendLineLeaving(const Axes& axes, const zcPoint& p, const zcPoint& q,
                                        std::span<const EarlyColumns::Run> skip) {
  Plan line;
  if (plan(axes, p, q, line)) blendAlong(axes, line.h, line.first, line.last, skip);
}

void bresenham(zcPelBuffer<unsigned char>& pb, const Stroke& s, unsigned char v) {
  long c = static_cast<long>(tolFloor(s.a.x())), r = static_cast<long>(tolFloor(s.a.y()));
  const long c1 = static_cast<long>(tolFloor(s.b.x())), r1 = static_cast<long>(tolFloor(s.b.y()));
  const long dx = std::abs(c1 - c), dy = -std::abs(r1 - r);
  const long sx = c < c1 ? 1 : -1, sy = r < r1 ? 1 : -1;
  long err = dx + dy;
  for (long n = std::max(dx, -dy); n > 0; --n) {
    pb.set(c, r, v);
    const long e2 = 2 * err;
    if (e2 >= dy) err += dy, c += sx;
    if (e2 <= dx) err += dx, r += sy;
  }
}

bool inBox(const zcPoint& p, double l, double t, double r, double b) {
  return p.x() >= l && p.x() <= r && p.y() >= t && p.y() <= b;
}

// The pels a segment marks by drawHorizontalExtentsPelBuf, checked against the window.
void extentPels(const Window& win, const zcPoint& p, const zcPoint& q, std::vector<std::pair<long, long>>& out) {
  if (p == q) throw zcShapesError::DegenerateShape(L"a segment whose ends coincide");
  if (!zfIsFinite(p) || !zfIsFinite(q)) throw zcPel::BadCoord();
  const zcPoint a = p.y() <= q.y() ? p : q, b = p.y() <= q.y() ? q : p;
  const double first = tolCeil(a.y() - 0.5), last = tolFloor(b.y() - 0.5);
  if (first > last) return;
  const auto inside = [&](double c, double r) {
    return c >= static_cast<double>(win.x0) && c < static_cast<double>(win.x1) && r >= static_cast<double>(win.y0) &&
           r < static_cast<double>(win.y1);
  };
  if (first == last) {
    const double c0 = tolCeil(std::min(a.x(), b.x()) - 0.5), c1 = tolFloor(std::max(a.x(), b.x()) - 0.5);
    if (!inside(c0, first) || !inside(c1, first)) throw zcPel::BadCoord();
    out.emplace_back(static_cast<long>(c0), static_cast<long>(first));
    out.emplace_back(static_cast<long>(c1), static_cast<long>(first));
    return;
  }
  const auto column = [&](double r) { return tolFloor((r + 0.5 - a.y()) * (b.x() - a.x()) / (b.y() - a.y()) + a.x()); };
  // x is monotone in r: the end rows hold the extreme columns.
  if (!inside(column(first), first) || !inside(column(last), last)) throw zcPel::BadCoord();
  for (double r = first; r <= last; r += 1.0) {
    const double c = std::clamp(column(r), static_cast<double>(win.x0), static_cast<double>(win.x1 - 1));
    out.emplace_back(static_cast<long>(c), static_cast<long>(r));
  }
}

void widen(const zcPoint& p, double* xMin, double* xMax, double* yMin, double* yMax) {
  if (xMin) *xMin = std::min(*xMin, p.x());
  if (xMax) *xMax = std::max(*xMax, p.x());
  if (yMin) *yMin = std::min(*yMin, p.y());
  if (yMax) *yMax = std::max(*yMax, p.y());
}

}  // namespace

bool prepareStroke(const Window& win, const zcPoint& a, const zcPoint& b, bool antialias, Stroke& out) {
  // The window shrunk by 2 pels keeps a blended pel's neighbours inside it.
  const double l = static_cast<double>(win.x0) + 2.0, t = static_cast<double>(win.y0) + 2.0;
  const double r = static_cast<double>(win.x1) - 2.0, bt = static_cast<double>(win.y1) - 2.0;
  if (r < l || bt < t) return false;
  if (a == b) throw zcShapesError::DegenerateShape(L"a boundary line whose ends coincide");
  if (!zfIsFinite(a) || !zfIsFinite(b)) throw zcPel::BadCoord();
  out = Stroke{a, b};
  if (!inBox(a, l, t, r, bt) || !inBox(b, l, t, r, bt)) {
    if ((a.x() < l && b.x() < l) || (a.x() > r && b.x() > r) || (a.y() < t && b.y() < t) ||
        (a.y() > bt && b.y() > bt))
      return false;
    // Liang–Barsky, each cut end put exactly on its edge line.
    const zcVector<2> d = b - a;
    double t0 = 0.0, t1 = 1.0;
    zcPoint e0 = a, e1 = b;
    const auto edge = [&](double den, double num, bool isX, double at) {
      if (den == 0.0) return num >= 0.0;
      const double s = num / den;
      const zcPoint q = isX ? zcPoint(at, a.y() + d.y() * s) : zcPoint(a.x() + d.x() * s, at);
      if (den < 0.0 && s > t0) t0 = s, e0 = q;
      if (den > 0.0 && s < t1) t1 = s, e1 = q;
      return true;
    };
    if (!edge(-d.x(), a.x() - l, true, l) || !edge(d.x(), r - a.x(), true, r) || !edge(-d.y(), a.y() - t, false, t) ||
        !edge(d.y(), bt - a.y(), false, bt) || t0 > t1)
      return false;
    out = Stroke{e0, e1};
    if (out.a == out.b) throw zcShapesError::DegenerateShape(L"a boundary line clipped to one point");
  }
  const double m = antialias ? 1.0 : 0.0;
  const double c0 = tolFloor(std::min(out.a.x(), out.b.x())) - m, c1 = tolFloor(std::max(out.a.x(), out.b.x())) + m;
  const double r0 = tolFloor(std::min(out.a.y(), out.b.y())) - m, r1 = tolFloor(std::max(out.a.y(), out.b.y())) + m;
  if (c0 < static_cast<double>(win.x0) || c1 >= static_cast<double>(win.x1) || r0 < static_cast<double>(win.y0) ||
      r1 >= static_cast<double>(win.y1))
    throw zcPel::BadCoord();
  return true;
}

void drawStrokes(zcPelBuffer<unsigned char>& pb, const std::vector<Stroke>& strokes, unsigned char v, bool antialias,
                 EarlyColumns* early) {
  if (early) early->blendAbove(std::numeric_limits<long>::max());
  if (strokes.empty()) return;
  if (!antialias) {
    for (const Stroke& s : strokes) bresenham(pb, s, v);
    return;
  }
  const Axes along(pb, false), across(pb, true);
  std::span<const EarlyColumns::Run> runs = early ? std::span(early->runs()) : std::span<const EarlyColumns::Run>();
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    const Oriented o(strokes[i]);
    if (runs.empty() || runs.front().stroke != i) {
      blendLine(o.transposed ? across : along, o.p, o.q);
      continue;
    }
    std::size_t n = 0;
    while (n < runs.size() && runs[n].stroke == i) ++n;
    blendLineLeaving(across, o.p, o.q, runs.first(n));
    runs = runs.subspan(n);
  }
}

EarlyColumns::EarlyColumns(zcPelBuffer<unsigned char>& pb, const std::vector<Stroke>& strokes, bool antialias)
    : first_(pb.pelPointer(pb.offset().x(), pb.offset().y())), pitch_(pb.pitch()), x0_(pb.offset().x()),
      y0_(pb.offset().y()) {
  // A buffer that stays in cache gains nothing.
  if (!antialias || static_cast<double>(pb.height()) * static_cast<double>(pitch_) < kCachedBytes) return;
  std::optional<Axes> across;
  std::size_t budget = kCheckBudget;
  std::vector<std::pair<long, long>> near;
  for (std::size_t j = 0; j < strokes.size() && j <= budget; ++j) {
    const Stroke& s = strokes[j];
    if (s.a.x() != s.b.x() || !(std::abs(s.b.y() - s.a.y()) > static_cast<double>(kMinRun))) continue;
    if (!across) across.emplace(pb, true);
    const Oriented o(s);
    Plan line;
    if (!plan(*across, o.p, o.q, line) || !line.inside || line.h.slope != 0.0 || line.last - line.first < kMinRun)
      continue;
    budget -= j;
    const Along at(line.h, line.first);
    const long column = static_cast<long>(at.r), first = static_cast<long>(line.first);
    const long last = static_cast<long>(line.last);
    // Rows where an earlier stroke comes near stay with the stroke, in order. A stroke
    // touches pels within kMargin of its ends' box (its columns reach a pel past its
    // ends, its heights one more, its neighbours one further).
    const double margin = static_cast<double>(kMargin), left = static_cast<double>(column - 1) - margin;
    const double right = static_cast<double>(column + 1) + margin;
    const double top = static_cast<double>(first) - margin, bottom = static_cast<double>(last) + margin;
    near.clear();
    for (std::size_t i = 0; i < j; ++i) {
      const Stroke& e = strokes[i];
      const double y0 = std::min(e.a.y(), e.b.y()), y1 = std::max(e.a.y(), e.b.y());
      if (std::max(e.a.x(), e.b.x()) >= left && std::min(e.a.x(), e.b.x()) <= right && y1 >= top && y0 <= bottom)
        near.emplace_back(static_cast<long>(exactFloor(y0)) - kMargin, static_cast<long>(exactFloor(y1)) + kMargin);
    }
    std::sort(near.begin(), near.end());
    long from = first;
    const auto keep = [&](long to) {
      if (to - from >= kMinRun) runs_.push_back(Run{j, from, to, column, at.f, from});
    };
    for (const auto& [y0, y1] : near) {
      keep(std::min(y0 - 1, last));
      from = std::max(from, y1 + 1);
    }
    keep(last);
  }
}

void EarlyColumns::blendAbove(long row) {
  for (Run& run : runs_) {
    const long end = std::min(row - 1, run.last);
    if (run.next > end) continue;
    blendRun(first_ + (run.next - y0_) * pitch_ + (run.column - x0_), end - run.next + 1, pitch_, 1, run.f);
    run.next = end + 1;
  }
}

std::vector<zcPoint> arcChordPoints(const zcPelBuffer_const<unsigned char>& pb, const zc2SegmentArc& arc,
                                    const zcXform<2>& X) {
  const Window win = bufferWindow(pb);
  const zc2SegmentArcPrivate::StepPoints walk(arc, X);
  const zcDegree span = arc.angleSpan();
  const double start = arc.startAngle().value();
  const double l = static_cast<double>(win.x0) - 1.0, t = static_cast<double>(win.y0) - 1.0;
  const double r = static_cast<double>(win.x1) + 1.0, b = static_cast<double>(win.y1) + 1.0;
  if (!inBox(walk.at(start), l, t, r, b) || !inBox(walk.at(start + span.value()), l, t, r, b)) {
    const zc2SegmentArc copy = X * arc;
    const zcFLine edges[] = {zcFLine(1.0, 0.0, l), zcFLine(1.0, 0.0, r), zcFLine(0.0, 1.0, t), zcFLine(0.0, 1.0, b)};
    if (std::none_of(std::begin(edges), std::end(edges), [&](const zcFLine& e) { return !copy.intersection(e).empty(); }))
      return {};
  }
  // Flattened as the generalized polygon's scope drawing does it (0.05 pel, 5 degrees).
  const long k = zcGenPolyPrivate::arcChords(walk.radiusAtZero(), span) - 1;
  const double delta = span.value() / static_cast<double>(k + 1);
  std::vector<zcPoint> points;
  walk.append(start, delta, k + 1, points);
  // The blender's axis flips where |Δx| = |Δy|: the ends of a chord within 1e-9 of that
  // (symmetric arcs have them) are taken exactly, so that the last bits do not choose.
  std::optional<zc2SegmentArcPrivate::MappedPoints> exact;
  for (std::size_t j = 0; j + 1 < points.size(); ++j) {
    const zcVector<2> d = points[j + 1] - points[j];
    if (!(std::abs(std::abs(d.x()) - std::abs(d.y())) <= 1e-9 * (std::abs(d.x()) + std::abs(d.y())))) continue;
    if (!exact) exact.emplace(arc, X);
    for (const std::size_t i : {j, j + 1}) points[i] = (*exact)(start + delta * static_cast<double>(i));
  }
  return points;
}

void prepareChords(const Window& win, const std::vector<zcPoint>& points, bool antialias, std::vector<Stroke>& out) {
  // Room grown geometrically: the arcs of an outline come one by one.
  if (out.capacity() < out.size() + points.size()) out.reserve(std::max(out.size() + points.size(), 2 * out.capacity()));
  if (points.empty()) return;
  // Chords whose ends all lie inside the clip rectangle are drawn whole, and their pels
  // lie inside the window (below 1e10 the rounding rule's tolerance moves no floor by a
  // pel): only coinciding ends are left to refuse.
  constexpr long kFar = 10000000000L;
  const double l = static_cast<double>(win.x0) + 2.0, t = static_cast<double>(win.y0) + 2.0;
  const double r = static_cast<double>(win.x1) - 2.0, b = static_cast<double>(win.y1) - 2.0;
  const bool whole = win.x0 > -kFar && win.y0 > -kFar && win.x1 < kFar && win.y1 < kFar &&
                     std::all_of(points.begin(), points.end(), [&](const zcPoint& p) { return inBox(p, l, t, r, b); });
  const auto degenerate = [] { return zcShapesError::DegenerateShape(L"an arc chord whose ends coincide"); };
  if (whole) {
    for (std::size_t j = 0; j + 1 < points.size(); ++j)
      if (points[j] == points[j + 1]) throw degenerate();
    for (std::size_t j = 0; j + 1 < points.size(); ++j) out.push_back(Stroke{points[j], points[j + 1]});
    return;
  }
  for (std::size_t j = 0; j + 1 < points.size(); ++j) {
    if (points[j] == points[j + 1]) throw degenerate();
    Stroke s;
    if (prepareStroke(win, points[j], points[j + 1], antialias, s)) out.push_back(s);
  }
}

}  // namespace zc_synth

using namespace zc_synth;

void drawLinePelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentLine& line, const zcXform<2>& X,
                    signed char value, signed char antialias) {
  Stroke s;
  if (prepareStroke(bufferWindow(pb), X.mapPoint(line.p1()), X.mapPoint(line.p2()), antialias != 0, s))
    drawStrokes(pb, {s}, static_cast<unsigned char>(value), antialias != 0);
}

void drawArcPelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentArc& arc, const zcXform<2>& X, signed char value,
                   signed char antialias, double* xMin, double* xMax, double* yMin, double* yMax) {
  const std::vector<zcPoint> points = arcChordPoints(pb, arc, X);
  std::vector<Stroke> strokes;
  prepareChords(bufferWindow(pb), points, antialias != 0, strokes);
  drawStrokes(pb, strokes, static_cast<unsigned char>(value), antialias != 0);
  if (!antialias)
    for (std::size_t j = 1; j < points.size(); ++j) widen(points[j], xMin, xMax, yMin, yMax);
}

void drawHorizontalExtentsPelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentLine& line, const zcXform<2>& X,
                                 signed char value) {
  std::vector<std::pair<long, long>> pels;
  extentPels(bufferWindow(pb), X.mapPoint(line.p1()), X.mapPoint(line.p2()), pels);
  for (const auto& [c, r] : pels) pb.set(c, r, static_cast<unsigned char>(value));
}

void drawHorizontalExtentsPelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentArc& arc, const zcXform<2>& X,
                                 signed char value, double* xMin, double* xMax, double* yMin, double* yMax) {
  const Window win = bufferWindow(pb);
  const double span = arc.angleSpan().value();
  const long n = static_cast<long>(std::abs(span) * 0.2) + 1;
  const double start = arc.startAngle().value();
  const zc2SegmentArcPrivate::MappedPoints pointAt(arc, X);
  std::vector<zcPoint> ends;
  for (long j = 0; j <= n; ++j) ends.push_back(pointAt(start + span * static_cast<double>(j) / static_cast<double>(n)));
  std::vector<std::pair<long, long>> pels;
  for (long j = 0; j < n; ++j) extentPels(win, ends[j], ends[j + 1], pels);
  for (const zcPoint& p : ends) widen(p, xMin, xMax, yMin, yMax);
  for (const auto& [c, r] : pels) pb.set(c, r, static_cast<unsigned char>(value));
}

// Thin lines written into a layer's pels (see screen_lines.h for the pixel rule).
//
// Fixed point. Ends are held in 1/256 pixel (8 fractional bits) as 64-bit integers,
// within ±2^28 once cut to ±2^20 pixels, so every product below stays under 2^60 and
// the walk is exact: the rule is met to the last pixel and ties fall the same way in
// both directions.
#include "screen_lines.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kFracBits = 8;
constexpr std::int64_t kOne = std::int64_t(1) << kFracBits;
constexpr std::int64_t kHalf = kOne / 2;
// Ends within this many pixels are walked as they are; farther ones are cut first.
constexpr double kSafe = double(1 << 20);
// How far around the clip rectangle a far segment is cut, in pixels.
constexpr double kCutMargin = 2.0;

std::int64_t floorDiv(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d;
  if (n % d != 0 && (n < 0) != (d < 0)) --q;
  return q;
}

std::int64_t ceilDiv(std::int64_t n, std::int64_t d) { return -floorDiv(-n, d); }

std::int64_t fixed(double v) { return static_cast<std::int64_t>(std::floor(v * double(kOne) + 0.5)); }

// A pixel axis of the walk: the clip interval [lo, hi) and the pels between neighbours.
struct Axis {
  long lo, hi;
  long step;
};

// What a walk set: the first and the last pixel, as (major, minor).
struct Run {
  bool any = false;
  std::int64_t major0 = 0, minor0 = 0, major1 = 0, minor1 = 0;
};

// One pixel per major column from the column of M0 to that of M1 (M0 <= M1), in the
// row holding the line's minor coordinate at the column's centre. The line is
// m0 + (t - M0) · Dm / DM: at the centre of column i, t = 256 i + 128, and the row is
// floor(N(i) / D) with N(i) = A + S · i, D = 256 DM, S = 256 Dm, A = m0 DM + (128 - M0) Dm.
Run walk(std::uint32_t* data, const Axis& major, const Axis& minor, std::int64_t M0, std::int64_t m0,
         std::int64_t M1, std::int64_t m1, std::uint32_t value) {
  Run run;
  const std::int64_t DM = M1 - M0, Dm = m1 - m0;
  if (DM == 0) {
    const std::int64_t i = M0 >> kFracBits, j = m0 >> kFracBits;
    if (i < major.lo || i >= major.hi || j < minor.lo || j >= minor.hi) return run;
    data[i * major.step + j * minor.step] = value;
    return Run{true, i, j, i, j};
  }
  const std::int64_t D = DM * kOne, S = Dm * kOne;
  const std::int64_t A = m0 * DM + (kHalf - M0) * Dm;
  std::int64_t lo = std::max<std::int64_t>(M0 >> kFracBits, major.lo);
  std::int64_t hi = std::min<std::int64_t>(M1 >> kFracBits, major.hi - 1);
  // The columns whose row lies in [minor.lo, minor.hi): N(i) >= lo·D and N(i) < hi·D.
  const std::int64_t first = std::int64_t(minor.lo) * D - A, past = std::int64_t(minor.hi) * D - A;
  if (S > 0) {
    lo = std::max(lo, ceilDiv(first, S));
    hi = std::min(hi, ceilDiv(past, S) - 1);
  } else if (S < 0) {
    lo = std::max(lo, floorDiv(past, S) + 1);
    hi = std::min(hi, floorDiv(first, S));
  } else if (first > 0 || past <= 0) {
    return run;
  }
  if (lo > hi) return run;
  const std::int64_t n = A + S * lo;
  const std::int64_t q = floorDiv(n, D);
  run = Run{true, lo, q, hi, floorDiv(A + S * hi, D)};
  // The remainder r of N(i) / D, counted from the other end when the row falls
  // (r' = D - 1 - r grows by -S), passes D when the row moves; |S| <= D, so it moves
  // by at most one per column.
  std::int64_t r = n - q * D, grow = S;
  long side = minor.step;
  if (S < 0) {
    r = D - 1 - r;
    grow = -S;
    side = -side;
  }
  std::int64_t at = lo * major.step + q * minor.step;
  for (std::int64_t i = lo;; ++i) {
    data[at] = value;
    if (i == hi) break;
    r += grow;
    const bool moves = r >= D;
    r -= moves ? D : 0;
    at += major.step + (moves ? side : 0);
  }
  return run;
}

}  // namespace

void zf_ScreenThinLine(const zc_ScreenPels& pels, const zcUIRect& clip, zc_ScreenPoint a, zc_ScreenPoint b,
                       std::uint32_t value, zc_ScreenInk& ink) {
  if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return;
  if (clip.isNull()) return;
  // One order for a segment and its reverse, so that cutting cannot tell them apart.
  if (b.x < a.x || (b.x == a.x && b.y < a.y)) std::swap(a, b);
  const bool far = std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y)}) > kSafe;
  if (far) {
    const zc_ScreenBox box{clip.left() - kCutMargin, clip.top() - kCutMargin, clip.right() + kCutMargin,
                           clip.bottom() + kCutMargin};
    if (!zf_ScreenClipSegment(a, b, box)) return;
    // A segment whose length overflows leaves nothing finite to walk.
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return;
  }
  std::int64_t x0 = fixed(a.x), y0 = fixed(a.y), x1 = fixed(b.x), y1 = fixed(b.y);
  const Axis columns{clip.left(), clip.right(), 1}, rows{clip.top(), clip.bottom(), pels.stride};
  if (std::llabs(x1 - x0) >= std::llabs(y1 - y0)) {
    const Run run = walk(pels.data, columns, rows, x0, y0, x1, y1, value);
    if (!run.any) return;
    ink.add(long(run.major0), long(run.minor0));
    ink.add(long(run.major1), long(run.minor1));
  } else {
    if (y1 < y0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    const Run run = walk(pels.data, rows, columns, y0, x0, y1, x1, value);
    if (!run.any) return;
    ink.add(long(run.minor0), long(run.major0));
    ink.add(long(run.minor1), long(run.major1));
  }
}

void zf_ScreenThinPath(const zc_ScreenPels& pels, const zcUIRect& clip, const zc_ScreenPath& path,
                       std::uint32_t value, zc_ScreenInk& ink) {
  const std::vector<zc_ScreenPoint>& pts = path.points();
  std::size_t at = 0;
  zc_ScreenPoint start{0, 0}, current{0, 0};
  bool open = false;
  for (const zc_ScreenPath::Op op : path.ops()) {
    switch (op) {
      case zc_ScreenPath::eMove:
        start = current = pts[at++];
        open = true;
        break;
      case zc_ScreenPath::eLine:
        // A line with no current point only starts the subpath, as in Cairo.
        if (open)
          zf_ScreenThinLine(pels, clip, current, pts[at], value, ink);
        else
          start = pts[at];
        current = pts[at++];
        open = true;
        break;
      case zc_ScreenPath::eCurve:
        if (!open) start = pts[at];
        current = pts[at + 2];
        at += 3;
        open = true;
        break;
      case zc_ScreenPath::eClose:
        if (open) zf_ScreenThinLine(pels, clip, current, start, value, ink);
        current = start;
        break;
    }
  }
}

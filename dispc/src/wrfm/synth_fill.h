// Stage 4 of synthetic drawing, fill: the only places that write pels of a region.
//
//   fillRun(row + c0 - x0, c1 - c0, v);   // pels c0 … c1 − 1 of a row, one memset
//   blendPel(pel, v, f);                  // a boundary pel f covered
//   blendPelUnit(pel, v, f);              // the same, 0 <= f <= 1 known
//   blendUnit(from, to, unitFraction(f))  // blendValue(from, to, f) without branches
//
// A blended pel gets old + (v − old) × f, stored as trunc(x + 0.5) (the one rounding
// rule of the renderers); f is clamped to [0, 1], so f 0 leaves the pel, f 1 gives v.
#pragma once

#include <algorithm>
#include <cstring>

namespace zc_synth {

inline void fillRun(unsigned char* first, long count, unsigned char v) {
  if (count > 0) std::memset(first, v, static_cast<std::size_t>(count));
}

inline unsigned char blendValue(unsigned char from, unsigned char to, double f) {
  if (!(f > 0.0)) return from;
  if (f >= 1.0) return to;
  const double x = from + (static_cast<double>(to) - from) * f;
  return static_cast<unsigned char>(x + 0.5);
}

// The same for f already within [0, 1], without the branches: f 0 gives from, f 1 gives to.
inline unsigned char blendUnit(unsigned char from, unsigned char to, double f) {
  return static_cast<unsigned char>(from + (static_cast<double>(to) - from) * f + 0.5);
}
// f limited to [0, 1] by max and min, NaN taken as 0: blendUnit(from, to, unitFraction(f))
// is blendValue(from, to, f) for every f.
inline double unitFraction(double f) { return std::min(std::max(0.0, f), 1.0); }

inline void blendPel(unsigned char& pel, unsigned char v, double f) { pel = blendValue(pel, v, f); }
inline void blendPelUnit(unsigned char& pel, unsigned char v, double f) { pel = blendUnit(pel, v, f); }

}  // namespace zc_synth

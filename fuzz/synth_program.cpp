// Synthetic drawing of arbitrary outlines: bytes become an SMD poly, a map, a window of
// a larger buffer and a coverage mode; the rendering may only raise a zcException and
// must leave every pel outside its window as it was.
#include "programs.h"

#include "dispc/wrfm/smdpoly.h"
#include "dispc/wrfm/synth.h"

#include "zfound/exception.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// Reads doubles (as 16-bit fixed point scaled by an exponent byte, so that both small
// and huge coordinates come up) and small integers from the bytes, zero past the end.
struct Reader {
  const std::uint8_t* p;
  std::size_t size, at = 0;
  unsigned byte() { return at < size ? p[at++] : 0; }
  double number() {
    const int raw = static_cast<std::int16_t>(byte() | byte() << 8);
    const int exponent = static_cast<int>(byte() % 48) - 16;
    return std::ldexp(raw / 256.0, exponent);
  }
};

}  // namespace

void zfDrawSyntheticBytes(const std::uint8_t* data, std::size_t size) {
  Reader in{data, size};
  const unsigned flags = in.byte();
  const long w = in.byte() % 48, h = in.byte() % 48;
  const long ox = static_cast<long>(in.byte() % 64) - 32, oy = static_cast<long>(in.byte() % 64) - 32;
  std::array<double, 9> h9{};
  for (double& e : h9) e = in.number();
  zcSMDGDPoly poly;
  try {
    for (unsigned n = 2 + in.byte() % 10; n > 0; --n) {
      const double x = in.number(), y = in.number();
      const double radius = (in.byte() & 1) ? std::abs(in.number()) : 0.0;
      const double span = static_cast<double>(static_cast<std::int8_t>(in.byte()));
      poly << zcSMDGDPolyVertex(zcPoint(x, y), radius, zcDegree(span), 0.5, 0.5, -1, zcDimTol());
    }
    poly.close();
  } catch (const zcException&) {
    if (poly.isOpen()) return;
  }
  // A guard of 3 pels around the window.
  zcPelBuffer<unsigned char> whole(w + 6, h + 6, 0x5A);
  whole.offset(zcPair<long>(ox - 3, oy - 3));
  zcPelBuffer<unsigned char> win = whole.window(ox, oy, w, h);
  const zcXform<2> affine(zcMatrix<2>(h9[0], h9[1], h9[3], h9[4]), zcVector<2>(h9[2], h9[5]));
  const auto mode = (flags & 1) ? eExactCoverage : eNeighbourBlend;
  try {
    if (flags & 2)
      zcSMDGDPolyPrivate::drawSynthetic(poly, zc2XformBasePtr(new zc2XformProjective(h9)), win, 255, mode);
    else
      zcSMDGDPolyPrivate::drawSynthetic(poly, affine, win, 255, (flags & 4) == 0, (flags & 8) == 0, mode);
  } catch (const zcException&) {
  }
  for (long r = 0; r < h + 6; ++r)
    for (long c = 0; c < w + 6; ++c)
      if (!win.contains(ox - 3 + c, oy - 3 + r) && whole.get(ox - 3 + c, oy - 3 + r) != 0x5A) std::abort();
}

std::vector<std::uint8_t> zfSyntheticSeed() {
  // Exact mode, affine; a 32 × 32 window at the origin; the identity; a triangle with
  // vertices rounded by 2 and one arc side. A number is 16-bit raw / 256, exponent 16.
  return {1, 32, 32, 32, 32,                                                          // flags, window
          0, 1,  16, 0,  0,  16, 0, 0, 16, 0,  0,  16, 0, 1, 16, 0, 0, 16, 0, 0, 16,  // the map
          0, 0,  16, 0,  1,  16, 1,                                                   // and 3 vertices
          0, 4,  16, 0,  4,  16, 1, 0, 2,  16, 0,                                     // (4, 4)
          0, 28, 16, 0,  6,  16, 1, 0, 2,  16, 20,                                    // (28, 6), arc 20°
          0, 14, 16, 0,  27, 16, 1, 0, 2,  16, 0};                                    // (14, 27)
}

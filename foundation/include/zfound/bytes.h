// Little-endian, unaligned access to byte forms (value images, sketches). Every
// multi-byte value goes through these memcpy helpers, never through a cast pointer.
//
// Value images are read from and written to fixed-size spans, so a reader cannot be
// handed fewer bytes than the image has:
//   unsigned char image[zkXformImageSize];
//   xform.writeImage(image);
//   zcXform<2> back = zcXform<2>::readImage(image);
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

template <std::size_t N>
using zcImageOut = std::span<unsigned char, N>;
template <std::size_t N>
using zcImageIn = std::span<const unsigned char, N>;

// A 16-bit unit in one store on a little-endian host (UTF-16 text in sketches).
inline void zfStoreU16(unsigned char* p, std::uint16_t v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, 2);
  } else {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
  }
}

inline void zfStoreU32(unsigned char* p, std::uint32_t v) {
  const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
  std::memcpy(p, b, 4);
}

inline std::uint32_t zfLoadU32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline void zfStoreI32(unsigned char* p, std::int32_t v) { zfStoreU32(p, static_cast<std::uint32_t>(v)); }
inline std::int32_t zfLoadI32(const unsigned char* p) { return static_cast<std::int32_t>(zfLoadU32(p)); }

// On a little-endian host an f64 is its own bytes, moved in one piece (the hot path
// of sketches); elsewhere it is assembled from two 32-bit halves.
inline void zfStoreF64(unsigned char* p, double v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, 8);
  } else {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    zfStoreU32(p, static_cast<std::uint32_t>(bits));
    zfStoreU32(p + 4, static_cast<std::uint32_t>(bits >> 32));
  }
}

inline double zfLoadF64(const unsigned char* p) {
  double v;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, p, 8);
  } else {
    const std::uint64_t bits = std::uint64_t(zfLoadU32(p)) | std::uint64_t(zfLoadU32(p + 4)) << 32;
    std::memcpy(&v, &bits, 8);
  }
  return v;
}

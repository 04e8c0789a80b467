// Building archive bytes by hand in tests: the 8-byte header of a memory archive and
// little-endian values after it.
#pragma once

#include "zfound/bytes.h"

#include <vector>

namespace zc_test {

using Bytes = std::vector<unsigned char>;

// "zfAR", format version 1, three reserved bytes.
inline const Bytes kArchiveHeader = {'z', 'f', 'A', 'R', 1, 0, 0, 0};

// `body` after the header.
inline Bytes withHeader(const Bytes& body) {
  Bytes bytes = kArchiveHeader;
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

inline void putDouble(Bytes& bytes, double v) {
  unsigned char b[8];
  zfStoreF64(b, v);
  bytes.insert(bytes.end(), b, b + 8);
}

}  // namespace zc_test

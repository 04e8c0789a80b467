// Building archive bytes by hand in tests: the 8-byte header of a memory archive and
// little-endian values after it.
#pragma once

#include "zfound/archive.h"
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

// The archive of one persistent pointer, and the object read back from such bytes.
template <class T>
Bytes archivedPointer(T* rep) {
  zcArchive out;
  out.serializePointer(rep);
  return out.bytes();
}

template <class T>
T* loadedPointer(const Bytes& bytes) {
  zcArchive in(bytes);
  T* rep = nullptr;
  in.serializePointer(rep);
  return rep;
}

}  // namespace zc_test

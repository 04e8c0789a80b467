// The list form that SMD polys and models archive their vectors in.
#pragma once

#include "zfound/archive.h"

#include <cstddef>
#include <vector>

namespace zc_smd {

// Version byte 0 (another raises zcArchive::UnknownVersion naming `module`), the
// count as u32, then each element through `element`. Loading checks the count
// against the bytes left before it allocates.
template <class T, class Element>
void serializeList(zcArchive& archive, std::vector<T>& list, std::size_t minBytesEach, const char* module,
                   Element element) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion(module, __LINE__);
  unsigned long count = static_cast<unsigned long>(list.size());
  archive || count;
  if (archive.isLoading()) {
    archive.checkCount(count, minBytesEach);
    list.assign(count, T());
  }
  for (T& item : list) element(item);
}

// A 32-bit label as the long the archive writes.
inline void serializeLabel(zcArchive& archive, std::int32_t& label) {
  long value = label;
  archive || value;
  label = static_cast<std::int32_t>(value);
}

}  // namespace zc_smd

// What the sources of SMD polys and models share: the definitions of their exception
// classes and the list form their archives use for vectors.
#pragma once

#include "zfound/archive.h"
#include "zfound/exception.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

// Defines the SMD exception class Owner::Name (declared with ZC_SMD_ERROR) with its
// error number and fixed message.
#define ZC_SMD_ERROR_DEFINE(Owner, Name, Number, Text)                 \
  ZC_EXCEPTION_DEFINE(Owner::Name, Errors, #Owner "::" #Name, Number) \
  void Owner::Name::message_(std::wostream& out) const { out << Text; }

namespace zc_smd {

// sin 45° as the library computes it (sin of 45 degrees), one ulp below the rounded
// 1/√2: a direction at exactly 45 degrees is not below it.
inline constexpr double kSin45 = 0.70710678118654746;

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

// Arbitrary bytes through the value-image readers: a bad image must end in a
// zcException, never in a crash or an out-of-bounds read.
#include "image_program.h"

#include "zfound/exception.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    zfReadValueImage(data, size);
  } catch (const zcException&) {
  }
  return 0;
}

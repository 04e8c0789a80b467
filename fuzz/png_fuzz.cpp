// Arbitrary bytes as a PNG file: a damaged file must end in a zcScreenError, never in
// a crash, an out-of-bounds read or an unbounded allocation.
#include "zscreen/png.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    (void)zfReadPngBytes(data, size);
  } catch (const zcScreenError::Errors&) {
  }
  return 0;
}

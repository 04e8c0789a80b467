// Reads arbitrary bytes as an archive program. Malformed input must end in a
// zcException, never in a crash, an out-of-bounds read or an unbounded allocation.
#include "archive_program.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    zcArchive in(data, size);
    for (int steps = 0; in.remaining() > 0 && steps < 4096; ++steps) {
      unsigned char selector = 0;
      in || selector;
      zfArchiveProgramStep(in, selector);
    }
  } catch (const zcException&) {
  }
  zfArchiveProgramRelease();
  return 0;
}

// Reads arbitrary bytes as a sketch archive (both versions): a malformed archive
// must end in an archive or sketch exception with nothing appended, and what is read
// must walk to its end.
#include "sketch_program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zfReadSketchArchive(data, size);
  return 0;
}

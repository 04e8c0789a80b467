// Walks arbitrary bytes as a sketch: a malformed sketch must end in
// zcUIError::InvalidUISketch, never in another exception, a crash or a read past
// its end.
#include "sketch_program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zfWalkSketchBytes(data, size);
  return 0;
}

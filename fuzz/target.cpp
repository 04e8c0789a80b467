// The entry of every fuzz target; the compile definition ZF_TARGET_<NAME> picks what
// the bytes go through and which exceptions may end it:
//   ARCHIVE         an archive program (programs.h): a zcException
//   IMAGE           the value-image readers: a zcException
//   SKETCH          a walk, replay and archive of a sketch: zcUIError::InvalidUISketch
//   SKETCH_ARCHIVE  a sketch archive of either version: an archive or sketch
//                   exception, with nothing appended
//   PNG             a PNG file: a zcScreenError
//   SYNTH           an outline, map and window rendered synthetically: a zcException
//   FOOTPRINT       footprint text imported, pads included: a zcFootprintImport error
//   GRLIST          a graphics list imported, drawn and printed: zcMalformedData or a
//                   shape failure, and all three agree on what is malformed
// Never a crash, a read out of bounds or an unbounded allocation.
#include "programs.h"

#include "zscreen/png.h"

#include "dispc/wrfm/fpimport.h"

#include "zfound/exception.h"

// Fontconfig, which Cairo's text uses, keeps allocations it never frees at exit; only
// that library's leaks are let through (the tests' sanitizer preset does the same).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#if defined(ZF_TARGET_ARCHIVE)
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
#elif defined(ZF_TARGET_IMAGE)
  try {
    zfReadValueImage(data, size);
  } catch (const zcException&) {
  }
#elif defined(ZF_TARGET_SKETCH)
  zfWalkSketchBytes(data, size);
#elif defined(ZF_TARGET_SKETCH_ARCHIVE)
  zfReadSketchArchive(data, size);
#elif defined(ZF_TARGET_PNG)
  try {
    (void)zfReadPngBytes(data, size);
  } catch (const zcScreenError::Errors&) {
  }
#elif defined(ZF_TARGET_SYNTH)
  zfDrawSyntheticBytes(data, size);
#elif defined(ZF_TARGET_FOOTPRINT)
  try {
    (void)zcFootprintImport::outlines(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz", true);
  } catch (const zcFootprintImport::Errors&) {
  }
#elif defined(ZF_TARGET_GRLIST)
  zfReadGraphicsListBytes(data, size);
#else
#error "define ZF_TARGET_<NAME> to choose the target"
#endif
  return 0;
}

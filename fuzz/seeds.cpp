// Writes valid inputs as seeds into CORPUS/<target>: seeds CORPUS.
#include "programs.h"

#include "zscreen/png.h"

#include <fstream>
#include <string>
#include <vector>

namespace {
void write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string corpus = argv[1];
  const std::size_t kinds = zfArchiveProgramStepCount();
  for (std::size_t seed = 0; seed < kinds + 1; ++seed) {
    zcArchive out;
    // One seed per kind, and one with every kind in turn.
    for (std::size_t k = 0; k < kinds; ++k) {
      if (seed < kinds && k != seed) continue;
      unsigned char selector = static_cast<unsigned char>(k);
      out || selector;
      zfArchiveProgramStep(out, selector);
    }
    write(corpus + "/archive/seed" + std::to_string(seed), out.bytes());
  }
  const auto images = zfValueImageSeeds();
  for (std::size_t i = 0; i < images.size(); ++i) write(corpus + "/image/seed" + std::to_string(i), images[i]);
  write(corpus + "/sketch/seed0", zfSampleSketchBytes());
  const auto archives = zfSampleSketchArchives();
  for (std::size_t i = 0; i < archives.size(); ++i)
    write(corpus + "/sketch_archive/seed" + std::to_string(i), archives[i]);
  zcPelBuffer<unsigned char> gray(5, 3, 7);
  zfWritePngGray(corpus + "/png/seed0.png", gray);
  zcPelBuffer<zcPackedRGB32> rgb(4, 4);
  zfWritePngRGBA(corpus + "/png/seed1.png", rgb);
  write(corpus + "/synth/seed0", zfSyntheticSeed());
  // Every item kind the importer reads, a marking, text and pads.
  const std::string footprint = R"((footprint "seed" (layer "F.Cu")
  (fp_arc (start 1 0) (mid 0.6 0.8) (end 0 1) (layer "F.Fab") (width 0.1))
  (fp_line (start 0 1) (end 0 0) (layer "F.Fab")) (fp_line (start 0 0) (end 1 0) (layer "F.Fab"))
  (fp_arc (start 10 0) (end 11 0) (angle 180) (layer F.Fab)) (fp_line (start 9 0) (end 11 0) (layer F.Fab))
  (fp_line (start 2.8 3) (end 3.2 3) (layer "F.Fab") (stroke (width 0.1)))
  (fp_circle (center 3 3) (end 3 4) (layer "F.Fab") (fill none)) (fp_rect (start 5 5) (end 6 7) (layer "F.Fab"))
  (fp_poly (pts (xy 8 8) (xy 9 8) (xy 8 9)) (layer "F.Fab"))
  (fp_text user ""x"" (at 0 0) (layer "F.Fab") (effects (font (size 1 1))))
  (pad "1" smd roundrect (at 1 2 30) (size 1 0.5) (layers "F.Cu") (roundrect_rratio 0.25))
  (pad "2" smd oval (at 3 2) (size 1 3) (layers "F.Cu")) (pad 3 smd circle (at 0 4) (size 1 1))
  (pad "4" smd rect (at 2 5 90) (size 1 2)))
)";
  write(corpus + "/footprint/seed0", std::vector<std::uint8_t>(footprint.begin(), footprint.end()));
  write(corpus + "/grlist/seed0", zfGraphicsListSeed());
  return 0;
}

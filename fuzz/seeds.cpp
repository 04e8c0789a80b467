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
  write(corpus + "/grlist/seed0", zfGraphicsListSeed());
  return 0;
}

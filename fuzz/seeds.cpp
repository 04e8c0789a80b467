// Writes valid inputs as seeds: seeds ARCHIVE_DIR IMAGE_DIR.
#include "archive_program.h"
#include "image_program.h"

#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
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
    std::ofstream(std::string(argv[1]) + "/seed" + std::to_string(seed), std::ios::binary)
        .write(reinterpret_cast<const char*>(out.bytes().data()), static_cast<std::streamsize>(out.bytes().size()));
  }
  const auto images = zfValueImageSeeds();
  for (std::size_t i = 0; i < images.size(); ++i)
    std::ofstream(std::string(argv[2]) + "/seed" + std::to_string(i), std::ios::binary)
        .write(reinterpret_cast<const char*>(images[i].data()), static_cast<std::streamsize>(images[i].size()));
  return 0;
}

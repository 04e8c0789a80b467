// Writes valid archive programs as seed inputs: seeds DIR.
#include "archive_program.h"

#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
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
  return 0;
}

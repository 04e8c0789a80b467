// Sketch readers under fuzzing: walking bytes as a sketch and reading bytes as a
// sketch archive. A malformed input may only raise the exceptions the readers
// promise; anything else escapes and counts as a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Walks the bytes as a sketch, writes every record back, replays the sketch (onto
// logging scopes and a small screen) and archives it.
void zfWalkSketchBytes(const std::uint8_t* data, std::size_t size);
// Reads the bytes as a sketch archive; what was read must walk to its end, and,
// without redundant properties blocks, archive and read back byte for byte.
void zfReadSketchArchive(const std::uint8_t* data, std::size_t size);

// Valid inputs: a sketch with an operation of many kinds, and its archive (version
// 1), and the same bytes as a version-0 archive.
std::vector<std::uint8_t> zfSampleSketchBytes();
std::vector<std::vector<std::uint8_t>> zfSampleSketchArchives();

// The programs that the fuzz targets run arbitrary bytes through, and valid inputs for
// them that the seed writer writes with the same tables. A malformed input may only
// raise the exceptions its reader promises; anything else escapes and counts as a
// finding.
#pragma once

#include "zfound/archive.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// An archive read as a program: each step is a selector byte followed by a value of
// the type it selects. Reads or writes step `selector` (any byte; it is taken modulo
// the step count).
void zfArchiveProgramStep(zcArchive& archive, unsigned char selector);
std::size_t zfArchiveProgramStepCount();
// Frees what the loading steps created.
void zfArchiveProgramRelease();

// Value-image readers: data[0] picks a reader, the bytes after it are its image;
// returns quietly on too few bytes. Every failure must be a zcException.
void zfReadValueImage(const unsigned char* data, std::size_t size);
// One valid input per reader.
std::vector<std::vector<unsigned char>> zfValueImageSeeds();

// Walks the bytes as a sketch, writes every record back, replays the sketch (onto
// logging scopes and a small screen) and archives it.
void zfWalkSketchBytes(const std::uint8_t* data, std::size_t size);
// Reads the bytes as a sketch archive; what was read must walk to its end, and,
// without redundant properties blocks, archive and read back byte for byte.
void zfReadSketchArchive(const std::uint8_t* data, std::size_t size);
// A sketch with an operation of many kinds; its archive (version 1), and the same
// bytes as a version-0 archive.
std::vector<std::uint8_t> zfSampleSketchBytes();
std::vector<std::vector<std::uint8_t>> zfSampleSketchArchives();

// Renders an outline, a map, a window and a mode read from the bytes; aborts when a pel
// outside the window changes. Every failure must be a zcException.
void zfDrawSyntheticBytes(const std::uint8_t* data, std::size_t size);
// A valid input: a rounded triangle in a 32 × 32 window.
std::vector<std::uint8_t> zfSyntheticSeed();

// The first four bytes as a graphics-list record count, the rest as its records:
// imported, drawn and printed. Only zcMalformedData (with nothing appended or drawn)
// and shape failures may end it; import, drawing and printing agree on malformed lists.
void zfReadGraphicsListBytes(const std::uint8_t* data, std::size_t size);
// A random list of records of every kind, in that form.
std::vector<std::uint8_t> zfGraphicsListSeed();

// Value-image readers driven by bytes: a selector byte picks a reader, the bytes
// after it are its image. The fuzz target feeds arbitrary bytes; the seed writer
// writes valid images with the same table.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Reads the image at data[1..] with the reader chosen by data[0]; returns quietly on
// too few bytes. Every failure must be a zcException.
void zfReadValueImage(const unsigned char* data, std::size_t size);
// One valid input per reader.
std::vector<std::vector<unsigned char>> zfValueImageSeeds();

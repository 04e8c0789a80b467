// An archive read as a program: each step is a selector byte followed by a value of
// the type it selects. The fuzz target runs inputs through it; the seed writer
// writes valid programs with the same table.
#pragma once

#include "zfound/archive.h"

#include <cstddef>

// Reads or writes step `selector` (any byte; it is taken modulo the step count).
void zfArchiveProgramStep(zcArchive& archive, unsigned char selector);
// The number of step kinds.
std::size_t zfArchiveProgramStepCount();
// Frees what the loading steps created.
void zfArchiveProgramRelease();

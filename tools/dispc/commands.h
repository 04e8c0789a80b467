// Commands of the dispc program.
#pragma once

#include <string>

// Writes the demo's files into `dir` and reports on standard output; returns the
// process exit code.
int zfRunDemo(const std::string& dir);

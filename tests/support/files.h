// Whole files read back for checks.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zc_test {

inline std::string readText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<unsigned char> readBytes(const std::filesystem::path& p) {
  const std::string text = readText(p);
  return std::vector<unsigned char>(text.begin(), text.end());
}

}  // namespace zc_test

#pragma once
// File helpers for the model tests.
#include "tests/support/scratch.h"

#include <fstream>
#include <random>
#include <string>

inline void WriteRaw(const std::string &path, const std::string &bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

inline std::string ReadRaw(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

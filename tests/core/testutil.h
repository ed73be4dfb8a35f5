#pragma once
// Scratch folders and file helpers for the model tests.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TScratchDir {
public:
  TScratchDir() {
    std::random_device rd;
    Path = std::filesystem::temp_directory_path() / ("kdcore_" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(Path);
  }
  ~TScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Path, ec);
  }
  std::string File(const std::string &name) const { return (Path / name).string(); }
  std::filesystem::path Path;
};

inline void WriteRaw(const std::string &path, const std::string &bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

inline std::string ReadRaw(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

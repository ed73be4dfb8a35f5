#pragma once
// A fresh, uniquely named folder for one test, removed with everything in it
// when the test ends (write permission is given back first, so tests that
// make it read-only still clean up).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

class ScratchDir {
public:
  ScratchDir() {
    const std::string templ = (std::filesystem::temp_directory_path() / "kdtest-XXXXXX").string();
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()))
      Path = buf.data();
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Path, ec);
  }
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  std::string File(const std::string &name) const { return (Path / name).string(); }
  std::string operator/(const std::string &name) const { return File(name); }

  std::filesystem::path Path;
};

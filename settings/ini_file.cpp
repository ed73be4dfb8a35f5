#include "settings/ini_file.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/point_set.h"
#include "core/text_file.h"

namespace {

// Ten short lines; a file far beyond this is not a settings file and is not
// read into memory.
constexpr std::uintmax_t MaxSettingsBytes = 64 * 1024;

} // namespace

namespace kd {

void TakeNetworkSettings(const PointSet &points, Settings &s) {
  s.ScSvpMode = points.ScSvpMode;
  s.AutoSave = points.AutoSave;
}

void ApplySettings(const Settings &s, PointSet &points) {
  points.ScSvpMode = s.ScSvpMode;
  points.AutoSave = s.AutoSave;
}

} // namespace kd

std::string IniFile::FileName(const std::string &programPath) {
  return kd::ChangeFileExt(programPath, ".ini");
}

SettingsLoad IniFile::LoadSettings(kd::Settings &settings, const std::string &fileName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(fileName, ec);
  if (fileName.empty() || st.type() == fs::file_type::not_found)
    return SettingsLoad::Missing;

  kd::Settings s;
  std::string bytes;
  bool ok = !ec && fs::is_regular_file(st) && fs::file_size(fileName, ec) <= MaxSettingsBytes &&
            !ec && kd::ReadFileBytes(fileName, bytes);
  if (ok)
    ok = kd::ParseSettings(kd::SplitLines(kd::DecodeFileText(bytes)), s);
  if (!ok)
    s = kd::Settings{};
  settings = s;
  return ok ? SettingsLoad::Loaded : SettingsLoad::Defaults;
}

bool IniFile::SaveSettings(const kd::Settings &settings, const std::string &fileName) {
  const std::vector<std::string> lines = kd::FormatSettings(settings);
  std::vector<std::string> encoded;
  encoded.reserve(lines.size());
  for (const std::string &line : lines)
    encoded.push_back(kd::Utf8ToCp1250(line));
  return kd::WriteFileAtomic(fileName, kd::JoinLinesCrLf(encoded));
}

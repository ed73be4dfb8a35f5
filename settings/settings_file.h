#pragma once
// The values kept in the settings file and their ten-line text form.
//
// The file holds, one per line and in this order: the fixed, adjusted,
// measurement, mark and background colours (colour texts), the plan font
// name, the font size, the Sc/Svp mode, the automatic-save flag ("T"/"F")
// and the file name of the chosen language pack.
#include "core/sc_svp_mode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kd {

struct Settings {
  std::uint32_t FixedColor = 0x0000FFFF;    // yellow
  std::uint32_t AdjustedColor = 0x0000FF00; // lime
  std::uint32_t MeasColor = 0x00C0C0C0;     // silver
  std::uint32_t MarkColor = 0x000000FF;     // red
  std::uint32_t BackColor = 0x00000000;     // black
  std::string FontName = "Times New Roman";
  std::uint8_t FontSize = 10;  // points, 1 to 255
  ::ScSvpMode ScSvpMode = ::ScSvpMode::PerMeasurement; // stored as 0, 1 or 2
  bool AutoSave = true;
  std::string LangPackFile = "EN.pck"; // file name without folder
  bool operator==(const Settings &) const = default;
};

// The settings file holds exactly this many lines.
inline constexpr int SettingsLineCount = 10;

// Reads the ten lines (UTF-8). False when a line is missing, a colour is
// neither a name nor an integer, the font size is not an integer from 1 to
// 255 or the mode not one of 0, 1, 2; `out` is then unchanged. Lines after
// the tenth are ignored.
bool ParseSettings(const std::vector<std::string> &lines, Settings &out);

// The ten lines (UTF-8) for `s`: colours as colour texts, numbers in
// decimal, "T"/"F", and only the file-name part of the pack. Line breaks
// inside the font name become blanks so that the file keeps its ten lines.
std::vector<std::string> FormatSettings(const Settings &s);

// The file-name part of a path (after the last '/' or '\').
std::string FileNamePart(const std::string &path);

} // namespace kd

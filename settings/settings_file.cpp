#include "settings/settings_file.h"

#include "settings/color_text.h"

namespace kd {

bool ParseSettings(const std::vector<std::string> &lines, Settings &out) {
  if (lines.size() < static_cast<std::size_t>(SettingsLineCount))
    return false;
  Settings s;
  std::uint32_t *const colors[] = {&s.FixedColor, &s.AdjustedColor, &s.MeasColor,
                                   &s.MarkColor, &s.BackColor};
  for (int i = 0; i < 5; ++i)
    if (!TextToColor(lines[static_cast<std::size_t>(i)], *colors[i]))
      return false;
  s.FontName = lines[5];
  std::int64_t size = 0, mode = 0;
  if (!TextToInt(lines[6], size) || size < 1 || size > 255)
    return false;
  if (!TextToInt(lines[7], mode) || !ScSvpModeFromNumber(mode, s.ScSvpMode))
    return false;
  s.FontSize = static_cast<std::uint8_t>(size);
  s.AutoSave = lines[8] == "T";
  s.LangPackFile = lines[9];
  out = std::move(s);
  return true;
}

namespace {

// A value with a line break would split into two lines of the file.
std::string OneLine(std::string text) {
  for (char &c : text)
    if (c == '\r' || c == '\n')
      c = ' ';
  return text;
}

} // namespace

std::vector<std::string> FormatSettings(const Settings &s) {
  return {ColorToText(s.FixedColor),
          ColorToText(s.AdjustedColor),
          ColorToText(s.MeasColor),
          ColorToText(s.MarkColor),
          ColorToText(s.BackColor),
          OneLine(s.FontName),
          std::to_string(s.FontSize),
          std::to_string(NumberOf(s.ScSvpMode)),
          s.AutoSave ? "T" : "F",
          OneLine(FileNamePart(s.LangPackFile))};
}

std::string FileNamePart(const std::string &path) {
  const std::size_t p = path.find_last_of("/\\");
  return p == std::string::npos ? path : path.substr(p + 1);
}

} // namespace kd

#pragma once
// Loading and saving the settings file (the program's path with the
// extension ".ini"): plan colours and font, the Sc/Svp mode, the
// automatic-save flag and the chosen language pack.
#include <string>

#include "settings/settings_file.h"

class PointSet;

// What LoadSettings found.
enum class SettingsLoad {
  Missing,  // no settings file: nothing changed
  Loaded,   // all ten lines were read
  Defaults, // unreadable, short or bad file: every setting got its default
};

class IniFile {
public:
  // The settings file of the program at `programPath`: same folder and name,
  // extension ".ini".
  static std::string FileName(const std::string &programPath);

  // Reads `fileName` into `settings`. A missing file changes nothing. A
  // file that cannot be read, is far too large to be a settings file, has
  // fewer than ten lines or holds a bad value gives every setting its
  // default at once (the pack "EN.pck"), even values read before the fault.
  // No message is shown; the outcome is returned.
  SettingsLoad LoadSettings(kd::Settings &settings, const std::string &fileName);

  // Writes the ten lines for `settings` over `fileName`, atomically: on
  // failure false is returned and an existing file stays as it was.
  bool SaveSettings(const kd::Settings &settings, const std::string &fileName);
};

namespace kd {

// The settings the point set carries (Sc/Svp mode, automatic save): taken
// into `s` / put into `points`.
void TakeNetworkSettings(const PointSet &points, Settings &s);
void ApplySettings(const Settings &s, PointSet &points);

} // namespace kd

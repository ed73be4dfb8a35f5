#pragma once
// Loading and saving the settings file (the program's path with the
// extension ".ini"): plan colours and font, the Sc/Svp mode and the
// automatic-save flag of the point set, and the chosen language pack.
#include <string>

#include "settings/settings_file.h"

class PointSet;

// File name (without folder) of the chosen language pack; empty until the
// settings are read, and empty again when the built-in English set is chosen.
extern std::string LangPackFile;

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

  // Reads `fileName` into `points` and `langPackFile`. A missing file
  // changes nothing. A file that cannot be read, is far too large to be a
  // settings file, has fewer than ten lines or holds a bad value gives every
  // setting its default at once (the pack "EN.pck"), even values read before
  // the fault. No message is shown; the outcome is returned.
  SettingsLoad LoadSettings(PointSet &points, std::string &langPackFile,
                             const std::string &fileName);
  SettingsLoad LoadSettings(PointSet &points, const std::string &fileName) {
    return LoadSettings(points, LangPackFile, fileName);
  }

  // Writes the ten lines for the current values over `fileName`, atomically:
  // on failure false is returned and an existing file stays as it was.
  bool SaveSettings(const PointSet &points, const std::string &langPackFile,
                    const std::string &fileName);
  bool SaveSettings(const PointSet &points, const std::string &fileName) {
    return SaveSettings(points, LangPackFile, fileName);
  }
};

namespace kd {

// The settings held by the point set and the pack name, as one record (for
// the settings dialog: it edits a copy and applies it with ApplySettings).
Settings SettingsOf(const PointSet &points, const std::string &langPackFile);

// Puts the colours, font, mode and flag of `s` into `points` (not the pack).
void ApplySettings(const Settings &s, PointSet &points);

} // namespace kd

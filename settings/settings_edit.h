#pragma once
// The state behind the settings dialog: it edits a copy of the settings and
// changes the settings in use only when the user applies them.
#include <string>

#include "settings/settings_file.h"

class SettingsEdit {
public:
  // What the dialog shows: colours, font, Sc/Svp mode, automatic save.
  kd::Settings Values;

  // Dialog shown: start from the values in use.
  void Show(const kd::Settings &inUse) { Values = inUse; }

  // "Default settings": default colours and font; the Sc/Svp mode, the
  // automatic-save flag and the language stay as they are in the dialog.
  void Defaults();

  // "Apply": the dialog's values become `inUse`, then the settings file
  // `iniFile` is written with them. False when the file could not be
  // written (the values are in use all the same, and an existing file is
  // left as it was).
  bool Apply(kd::Settings &inUse, const std::string &iniFile) const;
};

#pragma once
// The state behind the settings dialog: it edits a copy of the settings and
// changes the point set only when the user applies them.
#include <string>

#include "settings/settings_file.h"

class PointSet;

class SettingsEdit {
public:
  // What the dialog shows: colours, font, Sc/Svp mode, automatic save.
  kd::Settings Values;

  // Dialog shown: start from the values in use.
  void Show(const PointSet &points, const std::string &langPackFile);

  // "Default settings": default colours and font; the Sc/Svp mode, the
  // automatic-save flag and the language stay as they are in the dialog.
  void Defaults();

  // "Apply": the dialog's values go into `points`, then the settings file
  // `iniFile` is written with them and `langPackFile`. False when the file
  // could not be written (the values are in use all the same, and an
  // existing file is left as it was).
  bool Apply(PointSet &points, const std::string &langPackFile, const std::string &iniFile) const;
};

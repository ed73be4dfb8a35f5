#include "settings/settings_edit.h"

#include "settings/ini_file.h"

void SettingsEdit::Defaults() {
  const kd::Settings d;
  Values.FixedColor = d.FixedColor;
  Values.AdjustedColor = d.AdjustedColor;
  Values.MeasColor = d.MeasColor;
  Values.MarkColor = d.MarkColor;
  Values.BackColor = d.BackColor;
  Values.FontName = d.FontName;
  Values.FontSize = d.FontSize;
}

bool SettingsEdit::Apply(kd::Settings &inUse, const std::string &iniFile) const {
  inUse = Values;
  return IniFile().SaveSettings(inUse, iniFile);
}

#include "settings/settings_edit.h"

#include "core/point_set.h"
#include "settings/ini_file.h"

void SettingsEdit::Show(const PointSet &points, const std::string &langPackFile) {
  Values = kd::SettingsOf(points, langPackFile);
}

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

bool SettingsEdit::Apply(PointSet &points, const std::string &langPackFile,
                          const std::string &iniFile) const {
  kd::ApplySettings(Values, points);
  return IniFile().SaveSettings(points, langPackFile, iniFile);
}

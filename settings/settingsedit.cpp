#include "settings/settingsedit.h"

#include "core/pointset.h"
#include "settings/inifile.h"

void TSettingsEdit::Show(const TPoints &points, const std::string &langPackFile) {
  Values = kd::SettingsOf(points, langPackFile);
}

void TSettingsEdit::Defaults() {
  const kd::TSettings d;
  Values.FixedColor = d.FixedColor;
  Values.AdjustedColor = d.AdjustedColor;
  Values.MeasColor = d.MeasColor;
  Values.MarkColor = d.MarkColor;
  Values.BackColor = d.BackColor;
  Values.FontName = d.FontName;
  Values.FontSize = d.FontSize;
}

bool TSettingsEdit::Apply(TPoints &points, const std::string &langPackFile,
                          const std::string &iniFile) const {
  kd::ApplySettings(Values, points);
  return inifile().SaveSettings(points, langPackFile, iniFile);
}

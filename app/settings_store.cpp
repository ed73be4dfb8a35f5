#include "app/settings_store.h"

#include <QSettings>
#include <cmath>


namespace kd::app {

namespace {

QSettings Preferences() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvadimensio"),
                   QStringLiteral("Korvadimensio3D"));
}

double NonNegative(const QVariant &v, double fallback) {
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok && std::isfinite(d) && d >= 0 ? d : fallback;
}

} // namespace

SettingsStore::SettingsStore(QObject *parent) : QObject(parent) { LoadPreferences(); }

void SettingsStore::LoadPreferences() {
  PlanPreferences &p = PlanValues;
  QSettings s = Preferences();
  s.beginGroup(QStringLiteral("Plans"));
  p.Ellipses = s.value(QStringLiteral("Ellipses"), p.Ellipses).toBool();
  p.HeightBars = s.value(QStringLiteral("HeightBars"), p.HeightBars).toBool();
  p.RelativeEllipses = s.value(QStringLiteral("RelativeEllipses"), p.RelativeEllipses).toBool();
  p.Percent95 = s.value(QStringLiteral("Percent95"), p.Percent95).toBool();
  p.LivePrecision = s.value(QStringLiteral("LivePrecision"), p.LivePrecision).toBool();
  p.Magnification = NonNegative(s.value(QStringLiteral("Magnification")), p.Magnification);
  p.ToleranceSemiMajorMm =
      NonNegative(s.value(QStringLiteral("ToleranceSemiMajorMm")), p.ToleranceSemiMajorMm);
  p.ToleranceSigmaZMm = NonNegative(s.value(QStringLiteral("ToleranceSigmaZMm")), p.ToleranceSigmaZMm);
  s.endGroup();
  s.beginGroup(QStringLiteral("Report"));
  ReportValues.Title = s.value(QStringLiteral("Title")).toString();
  ReportValues.Author = s.value(QStringLiteral("Author")).toString();
}

void SettingsStore::SetProgram(const kd::Settings &settings) {
  if (settings == ProgramSettings)
    return;
  ProgramSettings = settings;
  emit ProgramChanged();
}

SettingsLoad SettingsStore::LoadProgramFile(const std::string &fileName) {
  kd::Settings read = ProgramSettings;
  const SettingsLoad load = IniFile().LoadSettings(read, fileName);
  if (load != SettingsLoad::Missing)
    SetProgram(read);
  return load;
}

bool SettingsStore::SaveProgramFile(const std::string &fileName) const {
  return IniFile().SaveSettings(ProgramSettings, fileName);
}

void SettingsStore::SetPlans(const PlanPreferences &p) {
  if (p == PlanValues)
    return;
  const PlanPreferences old = PlanValues;
  PlanValues = p;
  QSettings s = Preferences();
  s.beginGroup(QStringLiteral("Plans"));
  s.setValue(QStringLiteral("Ellipses"), p.Ellipses);
  s.setValue(QStringLiteral("HeightBars"), p.HeightBars);
  s.setValue(QStringLiteral("RelativeEllipses"), p.RelativeEllipses);
  s.setValue(QStringLiteral("Percent95"), p.Percent95);
  s.setValue(QStringLiteral("LivePrecision"), p.LivePrecision);
  s.setValue(QStringLiteral("Magnification"), p.Magnification);
  s.setValue(QStringLiteral("ToleranceSemiMajorMm"), p.ToleranceSemiMajorMm);
  s.setValue(QStringLiteral("ToleranceSigmaZMm"), p.ToleranceSigmaZMm);
  emit PlansChanged();
  if (old.Percent95 != p.Percent95)
    emit ConfidenceChanged(p.Level());
  if (old.ToleranceSemiMajorMm != p.ToleranceSemiMajorMm || old.ToleranceSigmaZMm != p.ToleranceSigmaZMm)
    emit ToleranceChanged();
  if (old.Magnification != p.Magnification)
    emit MagnificationChanged(p.Magnification);
  if (old.LivePrecision != p.LivePrecision)
    emit LivePrecisionChanged(p.LivePrecision);
}

void SettingsStore::SetReport(const ReportFields &fields) {
  if (fields == ReportValues)
    return;
  ReportValues = fields;
  QSettings s = Preferences();
  s.beginGroup(QStringLiteral("Report"));
  s.setValue(QStringLiteral("Title"), fields.Title);
  s.setValue(QStringLiteral("Author"), fields.Author);
  emit ReportChanged();
}

} // namespace kd::app

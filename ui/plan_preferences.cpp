#include "ui/plan_preferences.h"

#include <QSettings>

#include <cmath>

namespace {

QSettings Store() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvadimensio"),
                   QStringLiteral("Korvadimensio3D"));
}

double NonNegative(const QVariant &v, double fallback) {
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok && std::isfinite(d) && d >= 0 ? d : fallback;
}

} // namespace

PlanPreferences LoadPlanPreferences() {
  PlanPreferences p;
  QSettings s = Store();
  s.beginGroup(QStringLiteral("Plans"));
  p.Ellipses = s.value(QStringLiteral("Ellipses"), p.Ellipses).toBool();
  p.HeightBars = s.value(QStringLiteral("HeightBars"), p.HeightBars).toBool();
  p.RelativeEllipses = s.value(QStringLiteral("RelativeEllipses"), p.RelativeEllipses).toBool();
  p.Percent95 = s.value(QStringLiteral("Percent95"), p.Percent95).toBool();
  p.LivePrecision = s.value(QStringLiteral("LivePrecision"), p.LivePrecision).toBool();
  p.Magnification = NonNegative(s.value(QStringLiteral("Magnification")), p.Magnification);
  p.ToleranceSemiMajorMm =
      NonNegative(s.value(QStringLiteral("ToleranceSemiMajorMm")), p.ToleranceSemiMajorMm);
  p.ToleranceSigmaZMm =
      NonNegative(s.value(QStringLiteral("ToleranceSigmaZMm")), p.ToleranceSigmaZMm);
  return p;
}

void SavePlanPreferences(const PlanPreferences &p) {
  QSettings s = Store();
  s.beginGroup(QStringLiteral("Plans"));
  s.setValue(QStringLiteral("Ellipses"), p.Ellipses);
  s.setValue(QStringLiteral("HeightBars"), p.HeightBars);
  s.setValue(QStringLiteral("RelativeEllipses"), p.RelativeEllipses);
  s.setValue(QStringLiteral("Percent95"), p.Percent95);
  s.setValue(QStringLiteral("LivePrecision"), p.LivePrecision);
  s.setValue(QStringLiteral("Magnification"), p.Magnification);
  s.setValue(QStringLiteral("ToleranceSemiMajorMm"), p.ToleranceSemiMajorMm);
  s.setValue(QStringLiteral("ToleranceSigmaZMm"), p.ToleranceSigmaZMm);
}

ReportPreferences LoadReportPreferences() {
  ReportPreferences p;
  QSettings s = Store();
  s.beginGroup(QStringLiteral("Report"));
  p.Title = s.value(QStringLiteral("Title")).toString();
  p.Author = s.value(QStringLiteral("Author")).toString();
  return p;
}

void SaveReportPreferences(const ReportPreferences &p) {
  QSettings s = Store();
  s.beginGroup(QStringLiteral("Report"));
  s.setValue(QStringLiteral("Title"), p.Title);
  s.setValue(QStringLiteral("Author"), p.Author);
}

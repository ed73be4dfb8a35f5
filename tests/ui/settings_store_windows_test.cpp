// The windows share their settings through the store, never through a
// file: a choice under one plan reaches the other plan and the results
// window at once, even with the preference file gone.
#include "ui_test_support.h"

#include "app/settings_store.h"
#include "ui/desktop_application.h"
#include "ui/coordinate_plan_window.h"
#include "ui/measurement_plan_window.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QSignalSpy>
#include <QtTest>

class TestSettingsStoreWindows : public QObject {
  Q_OBJECT
  UiFixture F;

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void aChoiceUnderOnePlanReachesTheOtherWithoutAFile() {
    QSignalSpy confidence(App().Settings(), &kd::app::SettingsStore::ConfidenceChanged);
    QSignalSpy live(App().Settings(), &kd::app::SettingsStore::LivePrecisionChanged);
    QVERIFY(QDir(F.Path("preferences")).removeRecursively() || !QDir(F.Path("preferences")).exists());
    // Nothing may be read back from disk: the folder becomes a file.
    F.Write("preferences", "not a folder");

    App().CoordinatePlan()->Level95Check->setChecked(true);
    QCOMPARE(confidence.count(), 1);
    QCOMPARE(App().Settings()->Confidence(), ConfidenceLevel::Percent95);
    QVERIFY(App().MeasurementPlan()->Level95Check->isChecked());

    App().MeasurementPlan()->ToleranceSemiMajorSpin->setValue(4.0);
    QCOMPARE(App().Settings()->Tolerance().Horizontal, 4.0L);
    QCOMPARE(App().CoordinatePlan()->ToleranceSemiMajorSpin->value(), 4.0);

    App().CoordinatePlan()->LivePrecisionCheck->setChecked(true);
    QCOMPARE(live.count(), 1);
    QVERIFY(App().MeasurementPlan()->LivePrecisionCheck->isChecked());
  }
};

QTEST_MAIN(TestSettingsStoreWindows)
#include "settings_store_windows_test.moc"

// Saves a PNG of every window of the desktop program, filled with a small
// network, into the folder given as the first argument. Run it through
// ui/screenshots.sh (under Xvfb) or with QT_QPA_PLATFORM=offscreen.
#include "ui_test_support.h"

#include "core/survey_network.h"
#include "settings/language_pack.h"
#include "ui/main_window.h"
#include "ui/coordinate_plan_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/add_measurement_window.h"
#include "ui/protocol_window.h"
#include "ui/results_window.h"
#include "ui/change_precision_dialog.h"
#include "ui/all_points_sc_svp_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/desktop_application.h"
#include "ui/point_properties_dialog.h"
#include "ui/live_precision.h"
#include "ui/design_panel.h"

#include <QLineEdit>
#include "ui/precision_guide_dialog.h"

#include <QApplication>
#include <QTableView>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdio>

namespace {

QString OutDir;
int Saved = 0;

void Shot(QWidget *w, const QString &name) {
  w->show();
  QApplication::processEvents();
  QThread::msleep(50);
  QApplication::processEvents();
  const QString file = OutDir + "/" + name + ".png";
  if (w->grab().save(file)) {
    std::printf("%s\n", qPrintable(file));
    ++Saved;
  } else {
    std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
  }
  w->hide();
}

// Two windows side by side in one picture, as they stand on the screen.
void ShotSideBySide(QWidget *left, QWidget *right, const QString &name) {
  left->show();
  right->show();
  QApplication::processEvents();
  QThread::msleep(50);
  QApplication::processEvents();
  const QPixmap a = left->grab(), b = right->grab();
  QPixmap both(a.width() + 8 + b.width(), std::max(a.height(), b.height()));
  both.fill(QColor(210, 210, 210));
  {
    QPainter painter(&both);
    painter.drawPixmap(0, 0, a);
    painter.drawPixmap(a.width() + 8, 0, b);
  }
  const QString file = OutDir + "/" + name + ".png";
  if (both.save(file)) {
    std::printf("%s\n", qPrintable(file));
    ++Saved;
  } else {
    std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
  }
}

} // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  NameApplication();
  OutDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath() + "/screenshots";
  QDir().mkpath(OutDir);

  UiFixture f;
  f.Start({"EN.pck", "CZ.pck", "shaft_coords.txt", "shaft_meas.txt"});
  const QString engine = QStringLiteral(KD_BIN_DIR "/gama.exe");
  if (QFile::exists(engine))
    QFile::link(engine, f.Path("gama.exe"));
  QtPlatform real;
  UseRealEngine(*f.Fake, real);

  // The main window with a loaded network and a finished evaluation.
  f.Write("coords.txt", CoordinateFile(6));
  f.Write("meas.txt", MeasurementFile(6));
  f.Fake->openAnswers << f.Path("coords.txt") << f.Path("meas.txt");
  App().Main()->LoadFullCoordinates();
  App().Main()->LoadMeasurements();
  Shot(App().Main(), "main");
  App().Main()->Evaluate();
  auto *timer = static_cast<FakeTimer *>(App().Main()->PollTimer.get());
  for (int i = 0; i < 51 && timer->Enabled(); ++i) {
    QThread::msleep(500);
    timer->Fire();
  }
  Shot(App().Main(), "main_evaluated");

  if (App().Main()->ProtocolButton->isEnabled()) {
    App().Main()->ShowProtocol();
    Shot(App().Protocol(), "protocol");
  }
  if (App().Main()->CalculationsButton->isEnabled()) {
    App().Main()->ShowCalculations();
    if (!f.Fake->modalShown.isEmpty() && f.Fake->modalShown.last() == App().Results()) {
      App().Results()->ToPointCombo->setCurrentIndex(App().Results()->ToPointCombo->count() - 1);
      App().Results()->ComputeDistance();
      Shot(App().Results(), "results");
    }
  }
  App().SettingsWindow()->OnShow();
  Shot(App().SettingsWindow(), "settings");

  // The plans and their dialogs with the bundled sample network.
  f.Fake->openAnswers << f.Path("shaft_coords.txt") << f.Path("shaft_meas.txt");
  App().Main()->LoadFullCoordinates();
  App().Main()->LoadMeasurements();
  App().Network()->Points.AutoSave = false; // the shots save nothing
  App().CoordinatePlan()->PreparePlan();
  App().CoordinatePlan()->PointTable->selectRow(3);
  App().CoordinatePlan()->PlanImageMouseDown(Qt::LeftButton, 330, 140); // a marked position
  Shot(App().CoordinatePlan(), "coordinate_plan");
  App().MeasurementPlan()->PreparePlan();
  App().MeasurementPlan()->show();
  App().MeasurementPlan()->AddPolar3D(); // "->3d pol." opens the add dialog
  Shot(App().MeasurementPlan(), "measurement_plan");
  App().MeasurementPlan()->AddZenithAngle();
  Shot(App().AddMeasurement(), "add_measurement");
  App().MeasurementPlan()->MeasurementTable->selectRow(4);
  Shot(App().ChangePrecision(), "change_precision");
  Shot(App().AllPointsScSvp(), "change_all_sc_svp");
  App().PointProperties()->Fill(App().Network()->Points.List.Items[3], 3);
  Shot(App().PointProperties(), "point_properties");
  App().PrecisionGuide()->ComputeDirectionSigma();
  App().PrecisionGuide()->ComputeZenithAngleSigma();
  App().PrecisionGuide()->FillAverageSlopeDistance();
  App().PrecisionGuide()->ComputeSlopeDistanceSigma();
  App().PrecisionGuide()->ComputeHeightDifferenceSigma();
  Shot(App().PrecisionGuide(), "precision_guide");

  // The plans with the precision of the evaluated sample network: error
  // ellipses, height bars, reliability colours and a tolerance.
  App().Main()->Evaluate();
  for (int i = 0; i < 51 && timer->Enabled(); ++i) {
    QThread::msleep(500);
    timer->Fire();
  }
  if (App().Main()->CalculationsButton->isEnabled()) {
    // Both plans at their default size first, with a tolerance: the legend
    // and the scale box must leave every point of the network in view.
    const QSize coordinateDefault = App().CoordinatePlan()->size(), measurementDefault = App().MeasurementPlan()->size();
    App().Main()->ShowCoordinatePlan();
    App().CoordinatePlan()->resize(coordinateDefault);
    App().CoordinatePlan()->ToleranceSemiMajorSpin->setValue(3.0);
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->ShowAllPoints();
    Shot(App().CoordinatePlan(), "coordinate_plan_default_size");
    App().Main()->ShowMeasurementPlan();
    App().MeasurementPlan()->resize(measurementDefault);
    App().MeasurementPlan()->ToleranceSemiMajorSpin->setValue(3.0);
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->ShowAllPoints();
    Shot(App().MeasurementPlan(), "measurement_plan_default_size");
    App().MeasurementPlan()->ToleranceSemiMajorSpin->setValue(0);
    App().MeasurementPlan()->hide();
    App().Main()->ShowCoordinatePlan();
    App().CoordinatePlan()->resize(1300, 860);
    App().CoordinatePlan()->ToleranceSemiMajorSpin->setValue(3.0);
    App().CoordinatePlan()->show();
    App().CoordinatePlan()->ShowAllPoints();
    Shot(App().CoordinatePlan(), "coordinate_plan_ellipses");
    App().CoordinatePlan()->ToleranceSemiMajorSpin->setValue(0);
    App().Main()->ShowMeasurementPlan();
    App().MeasurementPlan()->resize(1300, 860);
    App().MeasurementPlan()->RelativeCheck->setChecked(true);
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->ShowAllPoints();
    Shot(App().MeasurementPlan(), "measurement_plan_ellipses");
    App().MeasurementPlan()->RelativeCheck->setChecked(false);

    // Both plans at their designed size and maximised: the plan refits.
    for (PlanWindow *plan : {static_cast<PlanWindow *>(App().CoordinatePlan()),
                             static_cast<PlanWindow *>(App().MeasurementPlan())}) {
      const QString name = plan == App().CoordinatePlan() ? "coordinate_plan" : "measurement_plan";
      plan->resize(PlanWindow::DesignWidth, PlanWindow::DesignHeight);
      if (plan == App().CoordinatePlan())
        App().Main()->ShowCoordinatePlan();
      else
        App().Main()->ShowMeasurementPlan();
      plan->show();
      Shot(plan, name + "_default");
      plan->showMaximized();
      QApplication::processEvents();
      if (plan->width() < 1200) // no window manager: the size of a maximised window
        plan->resize(1600, 1150);
      Shot(plan, name + "_maximised");
      plan->showNormal();
    }

    // Live precision: every direction from 3 cc to 1 cc; the plan says
    // that it computes, then what changed.
    App().MeasurementPlan()->resize(1300, 860);
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->ShowAllPoints();
    App().Live()->SetEnginePath(engine);
    QElapsedTimer wait;
    App().MeasurementPlan()->LivePrecisionCheck->setChecked(true);
    for (wait.start(); App().Live()->Busy() && wait.elapsed() < 20000;)
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    App().PrecisionGuide()->DirectionResultEdit->setText("0.0001");
    App().PrecisionGuide()->ApplyDirectionSigma();
    App().MeasurementPlan()->LivePrecisionCheck->setChecked(false); // "computing…" right away
    App().MeasurementPlan()->LivePrecisionCheck->setChecked(true);
    Shot(App().MeasurementPlan(), "live_precision_computing");
    for (wait.start(); App().Live()->Busy() && wait.elapsed() < 20000;)
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    Shot(App().MeasurementPlan(), "live_precision_changed");
    App().MeasurementPlan()->LivePrecisionCheck->setChecked(false);
  }

  // The sample network evaluated: relative precision of the tunnel traverse
  // 401 - 404 and the transverse breakthrough error across its axis
  // (81.29 gon).
  App().MeasurementPlan()->hide();
  App().Main()->Evaluate();
  for (int i = 0; i < 51 && timer->Enabled(); ++i) {
    QThread::msleep(200);
    timer->Fire();
  }
  if (App().Main()->CalculationsButton->isEnabled()) {
    App().Main()->ShowCalculations();
    App().Results()->FromPointCombo->setCurrentIndex(App().Results()->FromPointCombo->findText("401"));
    App().Results()->ToPointCombo->setCurrentIndex(App().Results()->ToPointCombo->findText("404"));
    App().Results()->BearingEdit->setText("81.29");
    App().Results()->ComputeDistance();
    Shot(App().Results(), "results_relative");
  }

  // A run that fails: the engine's reason at once, the protocol readable.
  f.Fake->openAnswers << f.Path("coords.txt") << f.Path("few.txt");
  f.Write("few.txt", MeasurementFile(4)); // points 5 and 6 stay undetermined
  App().Main()->LoadFullCoordinates();
  App().Main()->LoadMeasurements();
  App().Main()->Evaluate();
  for (int i = 0; i < 200 && timer->Enabled(); ++i) {
    QThread::msleep(100);
    timer->Fire();
  }
  Shot(App().Main(), "failed_evaluation");

  // Results of an earlier network: marked out of date after a change.
  f.Fake->openAnswers << f.Path("meas.txt");
  App().Main()->LoadMeasurements();
  App().Main()->Evaluate();
  for (int i = 0; i < 200 && timer->Enabled(); ++i) {
    QThread::msleep(100);
    timer->Fire();
  }
  App().Network()->Points.SetAllSc(0.001);
  App().Main()->CheckResultsFreshness();
  Shot(App().Main(), "outdated_results");

  // The same main and settings windows in Czech.
  App().SettingsWindow()->LanguageCombo->setEditText("CZ");
  // The measurement design on the sample: the requirements panel beside the
  // plan with the ranked candidates drawn on it, a proposal, and the plan
  // after the proposal was accepted.
  {
    f.Fake->openAnswers << f.Path("shaft_coords.txt") << f.Path("shaft_meas.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    App().Network()->Points.AutoSave = false;
    f.Write("shaft_meas.req",
            "# breakthrough of the tunnel\r\nacross 401 404 81.29 2.5\r\nellipse * 5\r\nheight 404 5\r\n");
    App().MeasurementPlan()->PreparePlan();
    App().MeasurementPlan()->show();
    App().MeasurementPlan()->OpenDesignPanel();
    DesignPanel *panel = App().MeasurementPlan()->Design;
    // Closer to the tunnel, where the candidates are.
    const PointList &list = App().Network()->Points.List;
    const int at = list.IndexOfNumber(402);
    if (at >= 0) {
      const PixelPosition p = App().MeasurementPlan()->View().ToPixel(list.Items[static_cast<size_t>(at)]);
      App().MeasurementPlan()->OnMouseWheelAt(120, static_cast<int>(p.x), static_cast<int>(p.y));
    }
    ShotSideBySide(App().MeasurementPlan(), panel, "design_candidates");
    panel->Optimise();
    while (panel->Optimising()) {
      QApplication::processEvents();
      QThread::msleep(10);
    }
    ShotSideBySide(App().MeasurementPlan(), panel, "design_proposal");
    panel->AcceptProposal();
    ShotSideBySide(App().MeasurementPlan(), panel, "design_accepted");
    panel->hide();
    App().MeasurementPlan()->hide();
  }

  App().SettingsWindow()->ChangeLanguage();
  Shot(App().Main(), "main_cz");
  App().SettingsWindow()->OnShow();
  Shot(App().SettingsWindow(), "settings_cz");
  Shot(App().Results(), "results_cz");

  f.Stop();
  std::printf("%d screenshots\n", Saved);
  return Saved > 0 ? 0 : 1;
}

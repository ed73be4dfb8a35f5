// Saves a PNG of every window of the desktop program, filled with a small
// network, into the folder given as the first argument. Run it through
// ui/screenshots.sh (under Xvfb) or with QT_QPA_PLATFORM=offscreen.
#include "ui_test_support.h"
#include "ui/startup.h"

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
#include "ui/app_globals.h"
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
  TheMainWindow->LoadFullCoordinates();
  TheMainWindow->LoadMeasurements();
  Shot(TheMainWindow, "main");
  TheMainWindow->Evaluate();
  auto *timer = static_cast<FakeTimer *>(TheMainWindow->PollTimer.get());
  for (int i = 0; i < 51 && timer->Enabled(); ++i) {
    QThread::msleep(500);
    timer->Fire();
  }
  Shot(TheMainWindow, "main_evaluated");

  if (TheMainWindow->ProtocolButton->isEnabled()) {
    TheMainWindow->ShowProtocol();
    Shot(TheProtocolWindow, "protocol");
  }
  if (TheMainWindow->CalculationsButton->isEnabled()) {
    TheMainWindow->ShowCalculations();
    if (!f.Fake->modalShown.isEmpty() && f.Fake->modalShown.last() == TheResultsWindow) {
      TheResultsWindow->ToPointCombo->setCurrentIndex(TheResultsWindow->ToPointCombo->count() - 1);
      TheResultsWindow->ComputeDistance();
      Shot(TheResultsWindow, "results");
    }
  }
  TheSettingsDialog->OnShow();
  Shot(TheSettingsDialog, "settings");

  // The plans and their dialogs with the bundled sample network.
  f.Fake->openAnswers << f.Path("shaft_coords.txt") << f.Path("shaft_meas.txt");
  TheMainWindow->LoadFullCoordinates();
  TheMainWindow->LoadMeasurements();
  TheNetwork->Points.AutoSave = false; // the shots save nothing
  TheCoordinatePlan->PreparePlan();
  TheCoordinatePlan->PointTable->selectRow(3);
  TheCoordinatePlan->PlanImageMouseDown(Qt::LeftButton, 330, 140); // a marked position
  Shot(TheCoordinatePlan, "coordinate_plan");
  TheMeasurementPlan->PreparePlan();
  TheMeasurementPlan->show();
  TheMeasurementPlan->AddPolar3D(); // "->3d pol." opens the add dialog
  Shot(TheMeasurementPlan, "measurement_plan");
  TheMeasurementPlan->AddZenithAngle();
  Shot(TheAddMeasurementWindow, "add_measurement");
  TheMeasurementPlan->MeasurementTable->selectRow(4);
  Shot(TheChangePrecisionDialog, "change_precision");
  Shot(TheAllPointsScSvpDialog, "change_all_sc_svp");
  ThePointPropertiesDialog->Fill(TheNetwork->Points.List.Items[3], 3);
  Shot(ThePointPropertiesDialog, "point_properties");
  ThePrecisionGuide->ComputeDirectionSigma();
  ThePrecisionGuide->ComputeZenithAngleSigma();
  ThePrecisionGuide->FillAverageSlopeDistance();
  ThePrecisionGuide->ComputeSlopeDistanceSigma();
  ThePrecisionGuide->ComputeHeightDifferenceSigma();
  Shot(ThePrecisionGuide, "precision_guide");

  // The plans with the precision of the evaluated sample network: error
  // ellipses, height bars, reliability colours and a tolerance.
  TheMainWindow->Evaluate();
  for (int i = 0; i < 51 && timer->Enabled(); ++i) {
    QThread::msleep(500);
    timer->Fire();
  }
  if (TheMainWindow->CalculationsButton->isEnabled()) {
    // Both plans at their default size first, with a tolerance: the legend
    // and the scale box must leave every point of the network in view.
    const QSize coordinateDefault = TheCoordinatePlan->size(), measurementDefault = TheMeasurementPlan->size();
    TheMainWindow->ShowCoordinatePlan();
    TheCoordinatePlan->resize(coordinateDefault);
    TheCoordinatePlan->ToleranceSemiMajorSpin->setValue(3.0);
    TheCoordinatePlan->show();
    TheCoordinatePlan->ShowAllPoints();
    Shot(TheCoordinatePlan, "coordinate_plan_default_size");
    TheMainWindow->ShowMeasurementPlan();
    TheMeasurementPlan->resize(measurementDefault);
    TheMeasurementPlan->ToleranceSemiMajorSpin->setValue(3.0);
    TheMeasurementPlan->show();
    TheMeasurementPlan->ShowAllPoints();
    Shot(TheMeasurementPlan, "measurement_plan_default_size");
    TheMeasurementPlan->ToleranceSemiMajorSpin->setValue(0);
    TheMeasurementPlan->hide();
    TheMainWindow->ShowCoordinatePlan();
    TheCoordinatePlan->resize(1300, 860);
    TheCoordinatePlan->ToleranceSemiMajorSpin->setValue(3.0);
    TheCoordinatePlan->show();
    TheCoordinatePlan->ShowAllPoints();
    Shot(TheCoordinatePlan, "coordinate_plan_ellipses");
    TheCoordinatePlan->ToleranceSemiMajorSpin->setValue(0);
    TheMainWindow->ShowMeasurementPlan();
    TheMeasurementPlan->resize(1300, 860);
    TheMeasurementPlan->RelativeCheck->setChecked(true);
    TheMeasurementPlan->show();
    TheMeasurementPlan->ShowAllPoints();
    Shot(TheMeasurementPlan, "measurement_plan_ellipses");
    TheMeasurementPlan->RelativeCheck->setChecked(false);

    // Both plans at their designed size and maximised: the plan refits.
    for (PlanWindow *plan : {static_cast<PlanWindow *>(TheCoordinatePlan),
                             static_cast<PlanWindow *>(TheMeasurementPlan)}) {
      const QString name = plan == TheCoordinatePlan ? "coordinate_plan" : "measurement_plan";
      plan->resize(PlanWindow::DesignWidth, PlanWindow::DesignHeight);
      if (plan == TheCoordinatePlan)
        TheMainWindow->ShowCoordinatePlan();
      else
        TheMainWindow->ShowMeasurementPlan();
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
    TheMeasurementPlan->resize(1300, 860);
    TheMeasurementPlan->show();
    TheMeasurementPlan->ShowAllPoints();
    TheLivePrecision->SetEnginePath(engine);
    QElapsedTimer wait;
    TheMeasurementPlan->LivePrecisionCheck->setChecked(true);
    for (wait.start(); TheLivePrecision->Busy() && wait.elapsed() < 20000;)
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    ThePrecisionGuide->DirectionResultEdit->setText("0.0001");
    ThePrecisionGuide->ApplyDirectionSigma();
    TheMeasurementPlan->LivePrecisionCheck->setChecked(false); // "computing…" right away
    TheMeasurementPlan->LivePrecisionCheck->setChecked(true);
    Shot(TheMeasurementPlan, "live_precision_computing");
    for (wait.start(); TheLivePrecision->Busy() && wait.elapsed() < 20000;)
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    Shot(TheMeasurementPlan, "live_precision_changed");
    TheMeasurementPlan->LivePrecisionCheck->setChecked(false);
  }

  // The sample network evaluated: relative precision of the tunnel traverse
  // 401 - 404 and the transverse breakthrough error across its axis
  // (81.29 gon).
  TheMeasurementPlan->hide();
  TheMainWindow->Evaluate();
  for (int i = 0; i < 51 && timer->Enabled(); ++i) {
    QThread::msleep(200);
    timer->Fire();
  }
  if (TheMainWindow->CalculationsButton->isEnabled()) {
    TheMainWindow->ShowCalculations();
    TheResultsWindow->FromPointCombo->setCurrentIndex(TheResultsWindow->FromPointCombo->findText("401"));
    TheResultsWindow->ToPointCombo->setCurrentIndex(TheResultsWindow->ToPointCombo->findText("404"));
    TheResultsWindow->BearingEdit->setText("81.29");
    TheResultsWindow->ComputeDistance();
    Shot(TheResultsWindow, "results_relative");
  }

  // A run that fails: the engine's reason at once, the protocol readable.
  f.Fake->openAnswers << f.Path("coords.txt") << f.Path("few.txt");
  f.Write("few.txt", MeasurementFile(4)); // points 5 and 6 stay undetermined
  TheMainWindow->LoadFullCoordinates();
  TheMainWindow->LoadMeasurements();
  TheMainWindow->Evaluate();
  for (int i = 0; i < 200 && timer->Enabled(); ++i) {
    QThread::msleep(100);
    timer->Fire();
  }
  Shot(TheMainWindow, "failed_evaluation");

  // Results of an earlier network: marked out of date after a change.
  f.Fake->openAnswers << f.Path("meas.txt");
  TheMainWindow->LoadMeasurements();
  TheMainWindow->Evaluate();
  for (int i = 0; i < 200 && timer->Enabled(); ++i) {
    QThread::msleep(100);
    timer->Fire();
  }
  TheNetwork->Points.SetAllSc(0.001);
  TheMainWindow->CheckResultsFreshness();
  Shot(TheMainWindow, "outdated_results");

  // The same main and settings windows in Czech.
  TheSettingsDialog->LanguageCombo->setEditText("CZ");
  // The measurement design on the sample: the requirements panel beside the
  // plan with the ranked candidates drawn on it, a proposal, and the plan
  // after the proposal was accepted.
  {
    f.Fake->openAnswers << f.Path("shaft_coords.txt") << f.Path("shaft_meas.txt");
    TheMainWindow->LoadFullCoordinates();
    TheMainWindow->LoadMeasurements();
    TheNetwork->Points.AutoSave = false;
    f.Write("shaft_meas.req",
            "# breakthrough of the tunnel\r\nacross 401 404 81.29 2.5\r\nellipse * 5\r\nheight 404 5\r\n");
    TheMeasurementPlan->PreparePlan();
    TheMeasurementPlan->show();
    TheMeasurementPlan->OpenDesignPanel();
    DesignPanel *panel = TheMeasurementPlan->Design;
    // Closer to the tunnel, where the candidates are.
    const PointList &list = TheNetwork->Points.List;
    const int at = list.IndexOfNumber(402);
    if (at >= 0) {
      const PixelPosition p = TheMeasurementPlan->View().ToPixel(list.Items[static_cast<size_t>(at)]);
      TheMeasurementPlan->OnMouseWheelAt(120, static_cast<int>(p.x), static_cast<int>(p.y));
    }
    ShotSideBySide(TheMeasurementPlan, panel, "design_candidates");
    panel->Optimise();
    while (panel->Optimising()) {
      QApplication::processEvents();
      QThread::msleep(10);
    }
    ShotSideBySide(TheMeasurementPlan, panel, "design_proposal");
    panel->AcceptProposal();
    ShotSideBySide(TheMeasurementPlan, panel, "design_accepted");
    panel->hide();
    TheMeasurementPlan->hide();
  }

  TheSettingsDialog->ChangeLanguage();
  Shot(TheMainWindow, "main_cz");
  TheSettingsDialog->OnShow();
  Shot(TheSettingsDialog, "settings_cz");
  Shot(TheResultsWindow, "results_cz");

  f.Stop();
  std::printf("%d screenshots\n", Saved);
  return Saved > 0 ? 0 : 1;
}

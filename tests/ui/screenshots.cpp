// Saves a PNG of every window of the desktop program, filled with a small
// network, into the folder given as the first argument. Run it through
// ui/screenshots.sh (under Xvfb) or with QT_QPA_PLATFORM=offscreen.
#include "uitest_util.h"

#include "core/container.h"
#include "settings/langpack.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/form8.h"
#include "ui/form9.h"
#include "ui/globals.h"
#include "ui/pointprop.h"
#include "ui/precguide.h"

#include <QApplication>
#include <QTableWidget>
#include <QComboBox>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QWidget>
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

} // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("Korvadimensio3D v.3.3.0");
  OutDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath() + "/screenshots";
  QDir().mkpath(OutDir);

  TUiFixture f;
  f.Start({"EN.pck", "CZ.pck", "shaft_coords.txt", "shaft_meas.txt"});
  const QString engine = QStringLiteral(KD_BIN_DIR "/gama.exe");
  if (QFile::exists(engine))
    QFile::link(engine, f.Path("gama.exe"));
  TQtPlatform real;
  f.Fake->onStart = [&real](const QString &program, const QStringList &args, QString &error) {
    return real.StartProcess(program, args, error);
  };

  // The main window with a loaded network and a finished evaluation.
  f.Write("coords.txt", CoordinateFile(6));
  f.Write("meas.txt", MeasurementFile(6));
  f.Fake->openAnswers << f.Path("coords.txt") << f.Path("meas.txt");
  Form1->BitBtn1Click();
  Form1->BitBtn3Click();
  Shot(Form1, "main");
  Form1->BitBtn4Click();
  auto *timer = static_cast<TFakeTimer *>(Form1->Timer1.get());
  for (int i = 0; i < 51 && timer->Enabled(); ++i) {
    QThread::msleep(500);
    timer->Fire();
  }
  Shot(Form1, "main_evaluated");

  if (Form1->BitBtn8->isEnabled()) {
    Form1->BitBtn8Click();
    Shot(Form5, "protocol");
  }
  if (Form1->BitBtn9->isEnabled()) {
    Form1->BitBtn9Click();
    if (!f.Fake->modalShown.isEmpty() && f.Fake->modalShown.last() == Form6) {
      Form6->ComboBox2->setCurrentIndex(Form6->ComboBox2->count() - 1);
      Form6->BitBtn1Click();
      Shot(Form6, "results");
    }
  }
  Form9->FormShow();
  Shot(Form9, "settings");

  // The plans and their dialogs with the bundled sample network.
  f.Fake->openAnswers << f.Path("shaft_coords.txt") << f.Path("shaft_meas.txt");
  Form1->BitBtn1Click();
  Form1->BitBtn3Click();
  Container->Points.AutoSave = false; // the shots save nothing
  Form2->PreparePlan();
  Form2->StringGrid1->selectRow(3);
  Form2->Image1MouseDown(Qt::LeftButton, 330, 140); // a marked position
  Shot(Form2, "coordinate_plan");
  Form3->PreparePlan();
  Form3->show();
  Form3->BitBtn1Click(); // "->3d pol." opens the add dialog
  Shot(Form3, "measurement_plan");
  Form3->BitBtn16Click();
  Shot(Form4, "add_measurement");
  Form3->StringGrid2->selectRow(4);
  Shot(Form7, "change_precision");
  Shot(Form8, "change_all_sc_svp");
  TPointProp->Fill(Container->Points.List.Items[3], 3);
  Shot(TPointProp, "point_properties");
  FPrecGuide->BitBtn5Click();
  FPrecGuide->BitBtn6Click();
  FPrecGuide->BitBtn4Click();
  FPrecGuide->BitBtn7Click();
  FPrecGuide->BitBtn8Click();
  Shot(FPrecGuide, "precision_guide");

  // The same main and settings windows in Czech.
  Form9->ComboBox1->setEditText("CZ");
  Form9->BitBtn6Click();
  Shot(Form1, "main_cz");
  Form9->FormShow();
  Shot(Form9, "settings_cz");
  Shot(Form6, "results_cz");

  f.Stop();
  std::printf("%d screenshots\n", Saved);
  return Saved > 0 ? 0 : 1;
}

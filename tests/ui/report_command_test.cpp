// The main window's Report command after a real evaluation: the file comes
// from the platform's save dialog, the date from its clock, the relative
// pairs from the results window.
#include "ui_test_support.h"

#include "ui/desktop_application.h"
#include "ui/main_window.h"
#include "app/settings_store.h"
#include "ui/results_window.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestReportCommand : public QObject {
  Q_OBJECT
  UiFixture F;
  QtPlatform Real; // starts the engine and keeps it while it runs

  bool EvaluateWithTheRealEngine() {
    if (!QFile::link(QStringLiteral(KD_BIN_DIR "/gama.exe"), F.Path("gama.exe")))
      return false;
    UseRealEngine(*F.Fake, Real);
    F.Write("c.txt", CoordinateFile(5));
    F.Write("m.txt", MeasurementFile(5));
    F.Fake->openAnswers << F.Path("c.txt") << F.Path("m.txt");
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
    App().Main()->Evaluate();
    auto *timer = static_cast<FakeTimer *>(App().Main()->PollTimer.get());
    for (int i = 0; i < 51 && timer->Enabled(); ++i) {
      QThread::msleep(200);
      timer->Fire();
    }
    return App().Main()->StatusText() == "Evaluation acomplished.";
  }

private slots:
  void init() { F.Start(); }
  void cleanup() { F.Stop(); }

  void reportIsOfferedOnlyAfterAnEvaluation() {
    QVERIFY(!App().Main()->ReportButton->isEnabled());
    QCOMPARE(App().Main()->ReportButton->text(), QString::fromUtf8("Report\u2026"));
  }

  void writesBothFormatsWithTheCalculatedPairs() {
    if (!QFile::exists(QStringLiteral(KD_BIN_DIR "/gama.exe")))
      QSKIP("the engine has not been built");
    QVERIFY(EvaluateWithTheRealEngine());
    QVERIFY(App().Main()->ReportButton->isEnabled());

    // A pair calculated in the results window goes into the report.
    App().Main()->ShowCalculations();
    App().Results()->FromPointCombo->setCurrentIndex(0);
    App().Results()->ToPointCombo->setCurrentIndex(2);
    App().Results()->DistanceKindCombo->setCurrentIndex(1);
    App().Results()->ComputeDistance();
    App().Results()->ComputeDistance(); // the same pair counts once
    QCOMPARE(App().Results()->RequestedPairs.size(), size_t(1));

    // The tolerances chosen under the plans are those of the report.
    kd::app::PlanPreferences shown = App().Settings()->Plans();
    shown.ToleranceSemiMajorMm = 1e-6;
    App().Settings()->SetPlans(shown);

    // The title block's fields: typed for the first report, offered again
    // for the second.
    QStringList offered;
    F.Fake->onModal = [&](QDialog *dialog) {
      auto *title = dialog->findChild<QLineEdit *>(QStringLiteral("ReportTitleEdit"));
      auto *author = dialog->findChild<QLineEdit *>(QStringLiteral("ReportAuthorEdit"));
      if (!title || !author)
        return 0;
      offered << title->text();
      if (title->text().isEmpty()) {
        title->setText(QStringLiteral("Tunnel A"));
        author->setText(QString::fromUtf8("J. Nov\u00e1k"));
      }
      return static_cast<int>(QDialog::Accepted);
    };
    App().Settings()->SetReport({});
    F.Fake->saveAnswers << F.Path("net.html") << F.Path("net.pdf");
    App().Main()->WriteReportFile();
    App().Main()->WriteReportFile();
    F.Fake->onModal = nullptr;
    QCOMPARE(offered, QStringList({QString(), QStringLiteral("Tunnel A")}));
    QVERIFY2(F.Fake->messages.isEmpty(), qPrintable(F.Fake->messages.join('|')));
    QFile html(F.Path("net.html"));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    QVERIFY(text.contains("<td>2024-03-01 09:30</td>")); // the platform's clock
    QVERIFY(text.contains("<td>c.txt</td>"));
    QVERIFY(text.contains(">horizontal</td>"));
    QVERIFY(text.contains("data:image/png;base64,"));
    QVERIFY(text.contains("<td>Tunnel A</td>"));
    QVERIFY(text.contains(QString::fromUtf8("<td>J. Nov\u00e1k</td>")));
    QVERIFY(text.contains(QStringLiteral("<p class=\"verdict\">")));
    QVERIFY(text.contains(QStringLiteral(" points exceed a ")));
    QFile pdf(F.Path("net.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(App().Main()->StatusText().endsWith(F.Path("net.pdf")));
  }

  void refusedNamesAndCancelLeaveNoFile() {
    if (!QFile::exists(QStringLiteral(KD_BIN_DIR "/gama.exe")))
      QSKIP("the engine has not been built");
    QVERIFY(EvaluateWithTheRealEngine());
    F.Fake->onModal = [](QDialog *) { return static_cast<int>(QDialog::Accepted); };
    F.Fake->saveAnswers << F.Path("net.doc") << F.Path("missing/net.pdf") << "";
    App().Main()->WriteReportFile();
    App().Main()->WriteReportFile();
    App().Main()->WriteReportFile(); // cancelled: nothing happens
    QCOMPARE(F.Fake->messages.size(), 2);
    QVERIFY(F.Fake->messages[0].contains(".pdf or .html"));
    QVERIFY(F.Fake->messages[1].contains("cannot write the report"));
    QVERIFY(!QFile::exists(F.Path("net.doc")));
    QVERIFY(!QDir(F.Path("missing")).exists());
    // The title block's dialog cancelled: no report either.
    F.Fake->onModal = nullptr;
    F.Fake->saveAnswers << F.Path("kept.pdf");
    App().Main()->WriteReportFile();
    QVERIFY(!QFile::exists(F.Path("kept.pdf")));
    QCOMPARE(F.Fake->messages.size(), 2);
  }
};

QTEST_MAIN(TestReportCommand)
#include "report_command_test.moc"

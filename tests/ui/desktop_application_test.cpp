// The application object: two programs side by side share no window, no
// network, no platform and no language, and a program can be started again
// after its windows are gone.
#include "ui_test_support.h"

#include "app/network_document.h"
#include "core/survey_network.h"
#include "settings/language_pack.h"
#include "ui/coordinate_plan_window.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Program {
  QTemporaryDir Dir;
  FakePlatform *Fake = nullptr;
  std::unique_ptr<DesktopApplication> App;

  Program() {
    auto fake = std::make_unique<FakePlatform>();
    fake->programPath = Dir.filePath("korvadimensio3d");
    Fake = fake.get();
    App = std::make_unique<DesktopApplication>(std::move(fake));
    App->StartUp();
  }
  void Write(const QString &name, const QByteArray &bytes) const {
    QFile f(Dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
      f.write(bytes);
  }
};

} // namespace

class TestDesktopApplication : public QObject {
  Q_OBJECT
  QTemporaryDir Preferences;

private slots:
  void initTestCase() {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Preferences.filePath("p"));
  }
  void twoProgramsShareNothing() {
    Program a, b;
    QVERIFY(a.App->Main() != b.App->Main());
    QVERIFY(a.App->Network() != b.App->Network());
    a.Write("c.txt", CoordinateFile(4));
    a.Fake->openAnswers << a.Dir.filePath("c.txt");
    a.App->Main()->LoadFullCoordinates();
    QCOMPARE(a.App->Network()->Points.List.Count(), 4);
    QCOMPARE(b.App->Network()->Points.List.Count(), 0);
    // The file dialog was the first program's alone.
    QCOMPARE(a.Fake->dialogTitles.size(), 1);
    QVERIFY(b.Fake->dialogTitles.isEmpty());
    // An edit is undone in its own program only.
    QVERIFY(a.App->Document()->CanUndo());
    QVERIFY(!b.App->Document()->CanUndo());
  }

  void twoProgramsSpeakTheirOwnLanguage() {
    Program a, b;
    QVERIFY(QFile::copy(QStringLiteral(KD_SOURCE_DIR "/data/CZ.pck"), a.Dir.filePath("CZ.pck")));
    a.App->SettingsWindow()->LanguageCombo->setCurrentText("CZ");
    a.App->SettingsWindow()->ChangeLanguage();
    LanguagePack czech;
    QVERIFY(czech.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"));
    QCOMPARE(a.App->LangPackFile(), std::string("CZ.pck"));
    QVERIFY(b.App->LangPackFile().empty());
    // Numbered texts, the catalogue's newer texts and the table headers of
    // the plans follow each program's own pack.
    QCOMPARE(a.App->Main()->LoadFullCoordinatesButton->text(), QString::fromStdString(czech.Text(3)));
    QCOMPARE(b.App->Main()->LoadFullCoordinatesButton->text(), QString("Load coords"));
    QCOMPARE(a.App->Txt(Text::ReportButton), QString::fromUtf8("Zpráva\u2026"));
    QCOMPARE(b.App->Txt(Text::ReportButton), QString::fromUtf8("Report\u2026"));
    const auto header = [](DesktopApplication &app) {
      return app.CoordinatePlan()->PointTable->model()->headerData(0, Qt::Horizontal).toString();
    };
    QCOMPARE(header(*a.App), QString::fromStdString(czech.Text(static_cast<int>(Text::PointNumberShort))));
    QCOMPARE(header(*b.App), QString("P.No."));
    // Back to English: the same pack object, so every window follows again.
    a.App->SettingsWindow()->LanguageCombo->setCurrentText("EN(default)");
    a.App->SettingsWindow()->ChangeLanguage();
    QCOMPARE(a.App->Main()->LoadFullCoordinatesButton->text(), QString("Load coords"));
    QCOMPARE(header(*a.App), QString("P.No."));
    QVERIFY(a.App->LangPackFile().empty());
  }

  void windowsGoAndComeBack() {
    Program p;
    p.App->DestroyWindows();
    QVERIFY(!p.App->Main() && !p.App->CoordinatePlan() && !p.App->MeasurementPlan() &&
            !p.App->Document() && !p.App->Settings() && !p.App->Network() && !p.App->Live());
    // Texts put on no window at all do nothing.
    p.App->ApplyTextsToAllWindows();
    p.App->StartUp();
    QVERIFY(p.App->Main() && p.App->Network());
    QCOMPARE(p.App->Main()->LoadFullCoordinatesButton->text(), QString("Load coords"));
    // The platform is the same one after the restart.
    QCOMPARE(&p.App->Platform(), static_cast<PlatformServices *>(p.Fake));
  }
};

QTEST_MAIN(TestDesktopApplication)
#include "desktop_application_test.moc"

// The desktop program installed in a tree whose program folder it cannot
// write: the engine below lib/, packs and the sample below share/, and every
// file of its own (settings, engine input, protocol, observation table,
// results) in the user's data folder.
#include "ui_test_support.h"

#include "settings/ini_file.h"
#include "settings/language_pack.h"
#include "ui/desktop_application.h"
#include "ui/main_window.h"
#include "ui/platform.h"
#include "ui/results_window.h"
#include "ui/settings_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <memory>

namespace {

const QString kEngine = QStringLiteral(KD_BIN_DIR "/gama.exe");
const QString kData = QStringLiteral(KD_SOURCE_DIR "/data/");

QStringList Entries(const QString &folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                QDir::Name);
}

} // namespace

class TestInstalledProgram : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> Root;
  FakePlatform *Fake = nullptr;
  QtPlatform Real; // starts the real engine for the fake platform

  QString Path(const QString &relative) const { return Root->filePath(relative); }
  QString Bin() const { return Path("usr/bin"); }
  QString Share() const { return Path("usr/share/korvadimensio3d"); }
  QString Own() const { return Path("xdg/korvadimensio3d"); }

  // The program as installed below `Root`, started with XDG_DATA_HOME at
  // Root/xdg; its own folder is never writable.
  void StartProgram() {
    auto fake = std::make_unique<FakePlatform>();
    fake->programPath = Path("usr/bin/korvadimensio3d");
    kd::UserEnvironment env;
    env.Home = Path("home").toStdString();
    env.XdgDataHome = Path("xdg").toStdString();
    fake->folders = kd::AppFolders(Bin().toStdString(), env, [](const std::string &) { return false; });
    UseRealEngine(*fake, Real);
    Fake = fake.get();
    CreateApp(std::move(fake)).StartUp();
  }

  void StopProgram() {
    DestroyApp();
    Fake = nullptr;
  }

  // Loads the sample network from share/ through the file dialogs.
  void LoadSample() {
    Fake->openAnswers << Share() + "/shaft_coords.txt" << Share() + "/shaft_meas.txt";
    App().Main()->LoadFullCoordinates();
    App().Main()->LoadMeasurements();
  }

  // Evaluates and waits for the engine as the poll timer would.
  void EvaluateAndWait() {
    App().Main()->Evaluate();
    auto *timer = static_cast<FakeTimer *>(App().Main()->PollTimer.get());
    for (int i = 0; i < 101 && timer->Enabled(); ++i) {
      QThread::msleep(200);
      timer->Fire();
    }
  }

private slots:
  void init() {
    Root = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Path("preferences"));
    QVERIFY(QDir().mkpath(Bin()));
    QVERIFY(QDir().mkpath(Path("usr/lib/korvadimensio3d")));
    QVERIFY(QDir().mkpath(Share()));
    QVERIFY(QDir().mkpath(Path("home")));
    QFile program(Path("usr/bin/korvadimensio3d"));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    for (const char *name : {"shaft_coords.txt", "shaft_meas.txt", "CZ.pck"})
      QVERIFY(QFile::copy(kData + name, Share() + "/" + name));
    if (QFile::exists(kEngine))
      QVERIFY(QFile::link(kEngine, Path("usr/lib/korvadimensio3d/gama.exe")));
    QFile::setPermissions(Bin(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
  }

  void cleanup() {
    if (Fake)
      StopProgram();
    QFile::setPermissions(Bin(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Root.reset();
  }

  void keepsItsFilesInTheUserFolderAndFindsPacksInShare() {
    if (!QFile::exists(kEngine))
      QSKIP("the engine has not been built");
    StartProgram();
    QCOMPARE(Fake->Folders().OwnFilesFolder(), Own().toStdString());
    QCOMPARE(QString::fromStdString(Fake->Folders().EnginePath()),
             Path("usr/lib/korvadimensio3d/gama.exe"));

    LoadSample();
    EvaluateAndWait();
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation acomplished."));
    QCOMPARE(Fake->lastProgram, Path("usr/lib/korvadimensio3d/gama.exe"));
    App().Main()->ShowCalculations();
    QVERIFY2(Fake->messages.isEmpty(), qPrintable(Fake->messages.join('|')));
    QVERIFY(Fake->modalShown.contains(App().Results()));
    QCOMPARE(App().Results()->ResultsTable->model()->rowCount(), 9);

    // The Czech pack lies only in share/ and is offered and switched to.
    QVERIFY(App().SettingsWindow()->LanguageCombo->findText("CZ") >= 0);
    App().SettingsWindow()->LanguageCombo->setCurrentText("CZ");
    App().SettingsWindow()->ChangeLanguage();
    LanguagePack czech;
    QVERIFY(czech.LoadPack((Share() + "/CZ.pck").toStdString()));
    QCOMPARE(App().Language().Text(9), czech.Text(9));
    QVERIFY(App().Language().Text(9) != LanguagePack().Text(9));
    QCOMPARE(App().LangPackFile(), std::string("CZ.pck"));
    App().SettingsWindow()->Apply();
    QVERIFY2(Fake->messages.isEmpty(), qPrintable(Fake->messages.join('|')));

    QCOMPARE(Entries(Own()), (QStringList{"korvadimensio3d.gfk", "korvadimensio3d.ini",
                                          "korvadimensio3d.obs.csv", "korvadimensio3d.txt",
                                          "korvadimensio3d.xml"}));
    QCOMPARE(Entries(Bin()), QStringList{"korvadimensio3d"});
    QCOMPARE(Entries(Share()), (QStringList{"CZ.pck", "shaft_coords.txt", "shaft_meas.txt"}));
    QVERIFY(!QFile::exists(Path("home/.local")));

    // The next start reads the settings from the user folder and speaks Czech.
    StopProgram();
    StartProgram();
    QCOMPARE(App().LangPackFile(), std::string("CZ.pck"));
    QCOMPARE(App().Language().Text(9), czech.Text(9));
  }

  void userFolderThatCannotBeMadeIsReported() {
    // The place of the user's data folder is taken by a file.
    QFile blocker(Path("xdg"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    StartProgram();
    LoadSample();
    App().Main()->Evaluate();
    QCOMPARE(Fake->starts, 0);
    QCOMPARE(Fake->messages.size(), 1);
    QVERIFY2(Fake->messages[0].startsWith("Evaluation fails. (") &&
                 Fake->messages[0].contains(Own()),
             qPrintable(Fake->messages[0]));
    QCOMPARE(App().Main()->StatusText(), QString("Evaluation fails."));
    QVERIFY(!App().Main()->RunInProgress());

    App().SettingsWindow()->Apply();
    QCOMPARE(Fake->messages.size(), 2);
    QVERIFY2(Fake->messages[1].contains(Own()), qPrintable(Fake->messages[1]));
    QCOMPARE(Entries(Bin()), QStringList{"korvadimensio3d"});
  }
};

QTEST_MAIN(TestInstalledProgram)
#include "installed_program_test.moc"

#include "ui/platform.h"

#include "core/text_file.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

bool PlatformServices::FileExists(const QString &path) {
  const QFileInfo info(path);
  return info.isFile() && info.lastModified().isValid();
}

void PlatformServices::DeleteFile(const QString &path) { QFile::remove(path); }

// ---- the real desktop ----

QString QtPlatform::OpenFileName(QWidget *parent, const QString &title, const QString &filter) {
  return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString QtPlatform::SaveFileName(QWidget *parent, const QString &title) {
  return QFileDialog::getSaveFileName(parent, title);
}

void QtPlatform::Message(QWidget *parent, const QString &text) {
  QMessageBox::information(parent, QApplication::applicationName(), text, QMessageBox::Ok);
}

bool QtPlatform::Ask(QWidget *parent, const QString &text) {
  return QMessageBox::question(parent, QApplication::applicationName(), text,
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool QtPlatform::ChooseFont(QWidget *parent, QFont &font) {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, font, parent);
  if (ok)
    font = chosen;
  return ok;
}

QString QtPlatform::ProgramPath() { return QCoreApplication::applicationFilePath(); }

QtPlatform::~QtPlatform() {
  StopProcess();
  delete Started;
}

kd::AppFolders QtPlatform::Folders() { return kd::AppFolders::ForProgram(ProgramPath().toStdString()); }

bool QtPlatform::StartProcess(const QString &program, const QStringList &args, QString &error) {
  // One program at a time: an earlier one still running is stopped.
  StopProcess();
  delete Started;
  Started = new QProcess();
  Started->setProgram(program);
  Started->setArguments(args);
  // The engine talks only through its files: its console streams go nowhere.
  Started->setStandardInputFile(QProcess::nullDevice());
  Started->setStandardOutputFile(QProcess::nullDevice());
  Started->setStandardErrorFile(QProcess::nullDevice());
  Started->start();
  if (Started->waitForStarted())
    return true;
  error = Started->errorString();
  if (error.isEmpty())
    error = QStringLiteral("Cannot start %1").arg(program);
  delete Started;
  Started = nullptr;
  return false;
}

bool QtPlatform::ProcessRunning() {
  if (!Started)
    return false;
  // Collects an ended process without waiting for the event loop.
  Started->waitForFinished(0);
  return Started->state() != QProcess::NotRunning;
}

void QtPlatform::StopProcess() {
  if (!Started || Started->state() == QProcess::NotRunning)
    return;
  Started->kill();
  Started->waitForFinished(5000);
}

std::unique_ptr<RepeatingTimer> QtPlatform::CreateTimer(int intervalMs) {
  return std::make_unique<kd::app::QtRepeatingTimer>(intervalMs);
}

int QtPlatform::ShowModal(QDialog *dialog) { return dialog->exec(); }

bool PlatformEngineProcess::Start(const QString &program, const QStringList &args, QString &error) {
  return Platform_.StartProcess(program, args, error);
}
bool PlatformEngineProcess::Running() { return Platform_.ProcessRunning(); }
void PlatformEngineProcess::Stop() { Platform_.StopProcess(); }

// ---- the test stand-in ----

kd::AppFolders FakePlatform::Folders() {
  if (folders)
    return *folders;
  return kd::AppFolders::BesideProgram(kd::DirectoryOf(programPath.toStdString()));
}

int FakePlatform::ShowModal(QDialog *dialog) {
  modalShown << dialog;
  return onModal ? onModal(dialog) : 0;
}

QString FakePlatform::OpenFileName(QWidget *, const QString &title, const QString &) {
  dialogTitles << title;
  return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString FakePlatform::SaveFileName(QWidget *, const QString &title) {
  dialogTitles << title;
  return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

void FakePlatform::Message(QWidget *, const QString &text) { messages << text; }

bool FakePlatform::Ask(QWidget *, const QString &text) {
  questions << text;
  return askAnswers.isEmpty() ? true : askAnswers.takeFirst();
}

bool FakePlatform::ChooseFont(QWidget *, QFont &font) {
  if (fontAnswer)
    font = fontChosen;
  return fontAnswer;
}

bool FakePlatform::StartProcess(const QString &program, const QStringList &args, QString &error) {
  ++starts;
  lastProgram = program;
  lastArgs = args;
  if (onStart)
    return onStart(program, args, error);
  error = QStringLiteral("The system cannot find the file specified.");
  return false;
}

void FakePlatform::StopProcess() {
  ++stops;
  processRunning = false;
  if (onStop)
    onStop();
}

std::unique_ptr<RepeatingTimer> FakePlatform::CreateTimer(int intervalMs) {
  return std::make_unique<FakeTimer>(intervalMs);
}

QDateTime PlatformServices::Now() { return QDateTime::currentDateTime(); }

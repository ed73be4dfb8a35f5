#include "ui/platform.h"

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

namespace {

std::unique_ptr<TPlatform> &Current() {
  static std::unique_ptr<TPlatform> platform = std::make_unique<TQtPlatform>();
  return platform;
}

class TQtTimer : public TTimer {
public:
  explicit TQtTimer(int interval) {
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (OnTimer)
        OnTimer();
    });
  }
  void SetEnabled(bool on) override {
    if (on)
      timer_.start();
    else
      timer_.stop();
  }
  bool Enabled() const override { return timer_.isActive(); }
  int Interval() const override { return timer_.interval(); }

private:
  QTimer timer_;
};

} // namespace

TPlatform &Platform() { return *Current(); }

std::unique_ptr<TPlatform> SetPlatform(std::unique_ptr<TPlatform> platform) {
  auto previous = std::move(Current());
  Current() = std::move(platform);
  return previous;
}

bool TPlatform::FileExists(const QString &path) {
  const QFileInfo info(path);
  return info.isFile() && info.lastModified().isValid();
}

void TPlatform::DeleteFile(const QString &path) { QFile::remove(path); }

// ---- the real desktop ----

QString TQtPlatform::OpenFileName(QWidget *parent, const QString &title, const QString &filter) {
  return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString TQtPlatform::SaveFileName(QWidget *parent, const QString &title) {
  return QFileDialog::getSaveFileName(parent, title);
}

void TQtPlatform::Message(QWidget *parent, const QString &text) {
  QMessageBox::information(parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

bool TQtPlatform::ChooseFont(QWidget *parent, QFont &font) {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, font, parent);
  if (ok)
    font = chosen;
  return ok;
}

QString TQtPlatform::ProgramPath() { return QCoreApplication::applicationFilePath(); }

bool TQtPlatform::StartProcess(const QString &program, const QStringList &args, QString &error) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(args);
  // The engine talks only through its files: its console streams go nowhere.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  if (process.startDetached())
    return true;
  error = process.errorString();
  if (error.isEmpty())
    error = QStringLiteral("Cannot start %1").arg(program);
  return false;
}

std::unique_ptr<TTimer> TQtPlatform::CreateTimer(int intervalMs) {
  return std::make_unique<TQtTimer>(intervalMs);
}

int TQtPlatform::ShowModal(QDialog *dialog) { return dialog->exec(); }

// ---- the test stand-in ----

int TFakePlatform::ShowModal(QDialog *dialog) {
  modalShown << dialog;
  return onModal ? onModal(dialog) : 0;
}

QString TFakePlatform::OpenFileName(QWidget *, const QString &title, const QString &) {
  dialogTitles << title;
  return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString TFakePlatform::SaveFileName(QWidget *, const QString &title) {
  dialogTitles << title;
  return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

void TFakePlatform::Message(QWidget *, const QString &text) { messages << text; }

bool TFakePlatform::ChooseFont(QWidget *, QFont &font) {
  if (fontAnswer)
    font = fontChosen;
  return fontAnswer;
}

bool TFakePlatform::StartProcess(const QString &program, const QStringList &args, QString &error) {
  ++starts;
  lastProgram = program;
  lastArgs = args;
  if (onStart)
    return onStart(program, args, error);
  error = QStringLiteral("The system cannot find the file specified.");
  return false;
}

std::unique_ptr<TTimer> TFakePlatform::CreateTimer(int intervalMs) {
  return std::make_unique<TFakeTimer>(intervalMs);
}

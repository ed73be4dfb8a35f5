#pragma once
// Everything the windows need from the desktop platform goes through this
// seam: file dialogs, message boxes, the font dialog, the program's own path
// and folders, starting a program, file existence and deletion, and the poll
// timer.
// The program hands a QtPlatform to its DesktopApplication; the window
// tests hand a FakePlatform, which answers dialogs from queues and never
// blocks.
#include "app/engine_process.h"
#include "core/app_folders.h"

#include <QDateTime>
#include <QFont>
#include <QString>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QProcess;
class QWidget;

class PlatformServices {
public:
  virtual ~PlatformServices() = default;

  // File dialogs. An empty result means the user cancelled.
  virtual QString OpenFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
  virtual QString SaveFileName(QWidget *parent, const QString &title) = 0;
  // A message box with one OK button.
  virtual void Message(QWidget *parent, const QString &text) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool Ask(QWidget *parent, const QString &text) = 0;
  // The system font dialog, starting from `font`. True and `font` replaced
  // when the user confirms.
  virtual bool ChooseFont(QWidget *parent, QFont &font) = 0;
  // Full path of the running program file; the program's own files are
  // named after it.
  virtual QString ProgramPath() = 0;
  // Where the program finds its engine, language packs and sample network,
  // and where it keeps its own files (settings, engine input, protocol,
  // observation table, results): beside a portable program that may write
  // there, else in the user's data folder.
  virtual kd::AppFolders Folders() = 0;
  // Starts a program without a window and without waiting for it, with an
  // argument list (never through a shell). False and `error` filled when the
  // program could not be started.
  virtual bool StartProcess(const QString &program, const QStringList &args, QString &error) = 0;
  // Whether the program last started by StartProcess still runs.
  virtual bool ProcessRunning() = 0;
  // Stops the program last started (if it still runs) and waits for its end.
  virtual void StopProcess() = 0;
  virtual std::unique_ptr<RepeatingTimer> CreateTimer(int intervalMs) = 0;
  // Shows a dialog modally and returns its result when it closes.
  virtual int ShowModal(QDialog *dialog) = 0;

  // A file exists when its last-write time can be read.
  virtual bool FileExists(const QString &path);
  // Deletes a file; a failure (absent file included) is ignored.
  virtual void DeleteFile(const QString &path);
  // The current local date and time (reports carry it).
  virtual QDateTime Now();
};

// The platform's program start, as the evaluator's engine process: Start,
// Running and Stop go to StartProcess, ProcessRunning and StopProcess of
// `platform`.
class PlatformEngineProcess : public kd::app::EngineProcess {
public:
  explicit PlatformEngineProcess(PlatformServices &platform) : Platform_(platform) {}
  bool Start(const QString &program, const QStringList &args, QString &error) override;
  bool Running() override;
  void Stop() override;

private:
  PlatformServices &Platform_;
};

// The real desktop.
class QtPlatform : public PlatformServices {
public:
  QString OpenFileName(QWidget *parent, const QString &title, const QString &filter) override;
  QString SaveFileName(QWidget *parent, const QString &title) override;
  void Message(QWidget *parent, const QString &text) override;
  bool Ask(QWidget *parent, const QString &text) override;
  bool ChooseFont(QWidget *parent, QFont &font) override;
  QString ProgramPath() override;
  kd::AppFolders Folders() override;
  bool StartProcess(const QString &program, const QStringList &args, QString &error) override;
  bool ProcessRunning() override;
  void StopProcess() override;
  std::unique_ptr<RepeatingTimer> CreateTimer(int intervalMs) override;
  int ShowModal(QDialog *dialog) override;
  ~QtPlatform() override;

private:
  QProcess *Started = nullptr; // the program last started, owned
};

// Test stand-in: dialogs answer from queues, messages are recorded, timers
// fire only when the test says so, and starting a program calls OnStart.
class FakeTimer : public RepeatingTimer {
public:
  explicit FakeTimer(int interval) : interval_(interval) {}
  void SetEnabled(bool on) override { enabled_ = on; }
  bool Enabled() const override { return enabled_; }
  int Interval() const override { return interval_; }
  // One tick, as the real timer would deliver it; nothing when disabled.
  void Fire() {
    if (enabled_ && OnTimer)
      OnTimer();
  }

private:
  int interval_;
  bool enabled_ = false;
};

class FakePlatform : public PlatformServices {
public:
  QString OpenFileName(QWidget *parent, const QString &title, const QString &filter) override;
  QString SaveFileName(QWidget *parent, const QString &title) override;
  void Message(QWidget *parent, const QString &text) override;
  // Records the question; answers from askAnswers (front first), else Yes.
  bool Ask(QWidget *parent, const QString &text) override;
  bool ChooseFont(QWidget *parent, QFont &font) override;
  QString ProgramPath() override { return programPath; }
  // `folders` when a test sets it (e.g. an installed program with a scratch
  // user folder); else a portable program that keeps everything beside
  // programPath.
  kd::AppFolders Folders() override;
  bool StartProcess(const QString &program, const QStringList &args, QString &error) override;
  // onRunning's answer when set, else `processRunning`.
  bool ProcessRunning() override { return onRunning ? onRunning() : processRunning; }
  // Counts the stop and calls onStop; the process no longer runs.
  void StopProcess() override;
  std::unique_ptr<RepeatingTimer> CreateTimer(int intervalMs) override;
  // Records the dialog and calls onModal (while the dialog counts as open)
  // instead of blocking; returns onModal's result, else 0 (rejected).
  int ShowModal(QDialog *dialog) override;

  QString programPath;
  std::optional<kd::AppFolders> folders;
  QStringList openAnswers;   // consumed front first; "" or empty queue = cancel
  QStringList saveAnswers;
  QStringList dialogTitles;  // titles of every file dialog shown
  QStringList messages;      // texts of every message box shown
  QStringList questions;     // texts of every question asked
  QList<bool> askAnswers;    // consumed front first; empty queue = Yes
  bool fontAnswer = false;   // whether the font dialog is confirmed
  QFont fontChosen;
  // Called for every start; the default refuses with "not found".
  std::function<bool(const QString &, const QStringList &, QString &)> onStart;
  QString lastProgram;
  QStringList lastArgs;
  int starts = 0;
  // The started program's state: a test sets processRunning (true while its
  // stand-in engine "works"), or onRunning to ask a real process.
  bool processRunning = false;
  std::function<bool()> onRunning;
  std::function<void()> onStop;
  int stops = 0;
  std::function<int(QDialog *)> onModal;
  QDateTime now{QDate(2024, 3, 1), QTime(9, 30)}; // the clock's fixed answer
  QDateTime Now() override { return now; }
  QList<QDialog *> modalShown;       // every dialog shown modally, in order
};

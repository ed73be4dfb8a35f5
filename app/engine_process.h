#pragma once
// How the evaluator reaches the engine program: a child process started
// from its path and an argument list (never through a shell), and a
// repeating timer that drives the wait for the engine's files. The desktop
// program hands in its platform seam's process and timer (ui/platform.h),
// so that the window tests stand in for both; live precision and the tests
// of the evaluator use the real ones below.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QProcess;
class QTimer;

// A repeating timer. OnTimer runs on the user-interface thread.
class RepeatingTimer {
public:
  virtual ~RepeatingTimer() = default;
  virtual void SetEnabled(bool on) = 0;
  virtual bool Enabled() const = 0;
  virtual int Interval() const = 0;
  std::function<void()> OnTimer;
};

namespace kd::app {

// One child process at a time.
class EngineProcess {
public:
  virtual ~EngineProcess() = default;
  // Starts `program` with `args`, without waiting for its end. False and
  // `error` filled when it could not be started; an earlier process of
  // this object still running is stopped first.
  virtual bool Start(const QString &program, const QStringList &args, QString &error) = 0;
  // Whether the process last started still runs.
  virtual bool Running() = 0;
  // Stops the process (if it still runs) and waits for its end. OnEnded is
  // not called for a stopped process.
  virtual void Stop() = 0;
  // The exit code of a process that ended by itself; none while it runs,
  // after a crash or a stop, or when the process cannot tell.
  virtual std::optional<int> ExitCode() const { return std::nullopt; }
  // The system's id of the running process, 0 when none runs or when
  // unknown.
  virtual long long ProcessId() const { return 0; }
  // Called (on the user-interface thread) when the process has ended by
  // itself, by processes that can tell; the others are found ended by the
  // poll.
  std::function<void()> OnEnded;
};

// The real child process; standard input, output and error go nowhere
// (the engine talks only through its files).
class QtEngineProcess : public EngineProcess {
public:
  QtEngineProcess();
  ~QtEngineProcess() override;
  bool Start(const QString &program, const QStringList &args, QString &error) override;
  bool Running() override;
  void Stop() override;
  std::optional<int> ExitCode() const override;
  long long ProcessId() const override;

private:
  void Release();
  QProcess *Process = nullptr; // owned; deleted later (it may be delivering a signal)
  std::optional<int> EndCode;
};

// The real timer (QTimer).
class QtRepeatingTimer : public RepeatingTimer {
public:
  explicit QtRepeatingTimer(int intervalMs);
  ~QtRepeatingTimer() override;
  void SetEnabled(bool on) override;
  bool Enabled() const override;
  int Interval() const override;

private:
  std::unique_ptr<QTimer> Timer;
};

} // namespace kd::app

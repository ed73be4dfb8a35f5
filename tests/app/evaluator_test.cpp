// The evaluator: a run of the real engine delivers one results object;
// stand-in engines show the failures, the stop, the refused start, the
// time limit and a newer run superseding an older one.
#include "app/evaluator.h"

#include "core/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using kd::app::EvaluationFailure;
using kd::app::EvaluationRequest;
using kd::app::Evaluator;

namespace {

QCoreApplication &App() {
  static int argc = 1;
  static char name[] = "tests_app";
  static char *argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// A timer that ticks only when the test says so.
class ManualTimer : public RepeatingTimer {
public:
  void SetEnabled(bool on) override { On = on; }
  bool Enabled() const override { return On; }
  int Interval() const override { return EnginePoll::IntervalMs; }
  void Fire() {
    if (On && OnTimer)
      OnTimer();
  }
  bool On = false;
};

// A stand-in engine: OnStartDo runs at the start (writing files), Works
// says whether it still runs.
class FakeEngine : public kd::app::EngineProcess {
public:
  bool Start(const QString &program, const QStringList &args, QString &error) override {
    ++Starts;
    Program = program;
    Args = args;
    if (Refuse) {
      error = QStringLiteral("no such program");
      return false;
    }
    if (OnStartDo)
      OnStartDo();
    return true;
  }
  bool Running() override { return Works; }
  void Stop() override {
    ++Stops;
    Works = false;
  }
  std::function<void()> OnStartDo;
  bool Refuse = false;
  bool Works = false;
  int Starts = 0, Stops = 0;
  QString Program;
  QStringList Args;
};

// Every signal of an evaluator, in order.
struct Record {
  explicit Record(Evaluator &e) {
    QObject::connect(&e, &Evaluator::Started, &Context, [this](quint64 run) { Log << "started " + QString::number(run); });
    QObject::connect(&e, &Evaluator::Waiting, &Context, [this](quint64, int count) { Log << "waiting " + QString::number(count); });
    QObject::connect(&e, &Evaluator::Finished, &Context, [this](quint64 run, std::shared_ptr<EvaluationResults> r) {
      Log << "finished " + QString::number(run);
      Results = r;
    });
    QObject::connect(&e, &Evaluator::Failed, &Context, [this](quint64 run, EvaluationFailure f) {
      Log << "failed " + QString::number(run);
      Failure = f;
    });
    QObject::connect(&e, &Evaluator::Stopped, &Context, [this](quint64 run) { Log << "stopped " + QString::number(run); });
  }
  QObject Context; // ends the connections with the record
  QStringList Log;
  std::shared_ptr<EvaluationResults> Results;
  EvaluationFailure Failure;
};

// The sample network, checked and sorted as every caller does it.
SurveyNetwork SampleNetwork() {
  SurveyNetwork net;
  net.Points.List.LoadFull(KD_SOURCE_DIR "/data/shaft_coords.txt");
  net.Measurements.LoadFromFile(KD_SOURCE_DIR "/data/shaft_meas.txt");
  CheckBeforeEvaluation(net, [](const PlumbingWarning &) {});
  net.Measurements.Sort();
  return net;
}

class EvaluatorTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(Dir.isValid());
    Request.Files = RunFilesInFolder(Dir.path().toStdString(), "net");
    Request.Engine = QStringLiteral(KD_BIN_DIR "/gama.exe");
    Request.PointNumberHeading = "Pt.";
  }
  void Write(const std::string &path, const std::string &text) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
  }
  bool Exists(const std::string &path) { return QFile::exists(QString::fromStdString(path)); }

  QTemporaryDir Dir;
  EvaluationRequest Request;
  SurveyNetwork Net = SampleNetwork();
};

} // namespace

// The real engine, its end told by the process: one results object with
// the table, the points and their covariance, the observations and the
// precision, all read from one run.
TEST_F(EvaluatorTest, RealEngineDeliversOneResultsObject) {
  Evaluator e(std::make_unique<kd::app::QtEngineProcess>(),
              std::make_unique<kd::app::QtRepeatingTimer>(EnginePoll::IntervalMs), {20000, false});
  Record rec(e);
  const quint64 run = e.Start(Net, Request);
  EXPECT_EQ(rec.Log, QStringList{"started 1"});
  EXPECT_TRUE(e.Running());
  EXPECT_TRUE(Exists(Request.Files.Input));
  QElapsedTimer clock;
  clock.start();
  while (e.Running() && clock.elapsed() < 20000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  ASSERT_TRUE(rec.Results) << rec.Log.join(", ").toStdString();
  EXPECT_EQ(rec.Log.last(), "finished " + QString::number(run));
  const EvaluationResults &r = *rec.Results;
  EXPECT_EQ(e.Results(), rec.Results);
  ASSERT_TRUE(r.Usable()) << r.Error;
  // 9 adjusted points: the table has a heading row and one row each.
  EXPECT_EQ(r.Reader.Results.Count(), 9);
  EXPECT_EQ(r.Table.RowCount(), 10);
  EXPECT_EQ(r.Table.Cell(0, 0), "Pt.");
  EXPECT_EQ(r.PointChoices.size(), 9u);
  EXPECT_TRUE(r.ObservationError.empty()) << r.ObservationError;
  EXPECT_GE(r.Observations.size(), 60u);
  ASSERT_TRUE(r.Precision);
  EXPECT_EQ(r.Precision->Points.size(), 9u);
  EXPECT_EQ(r.Precision->Observations.size(), r.Observations.size());
  EXPECT_GE(r.Precision->IndexOf(404), 0);
  EXPECT_LT(r.Precision->IndexOf(101), 0); // fixed
  // The precision's covariance and the reader's are the same figures.
  const int k = r.Precision->IndexOf(404);
  EXPECT_EQ(r.Precision->Points[static_cast<std::size_t>(k)].Horizontal.XX,
            r.Reader.Cov.Row(static_cast<std::size_t>(3 * k))[3 * k]);
}

// The desktop's poll: a stand-in that writes both files completes on the
// first tick; the results document it wrote is no results, and the
// results object says so instead of a plausible number.
TEST_F(EvaluatorTest, PollCompletesAndUnreadableResultsAreSaid) {
  FakeEngine engine;
  ManualTimer timer;
  Evaluator e(engine, timer, {0, true});
  Record rec(e);
  engine.OnStartDo = [this] {
    Write(Request.Files.Protocol, "protocol\r\n");
    Write(Request.Files.Results, "<r/>");
  };
  engine.Works = true;
  e.Start(Net, Request);
  EXPECT_EQ(engine.Program, Request.Engine);
  EXPECT_EQ(engine.Args.last(), QString::fromStdString(Request.Files.Prefix));
  EXPECT_TRUE(timer.On);
  timer.Fire();
  EXPECT_EQ(rec.Log, (QStringList{"started 1", "finished 1"}));
  EXPECT_FALSE(timer.On);
  ASSERT_TRUE(rec.Results);
  EXPECT_FALSE(rec.Results->Usable());
  EXPECT_FALSE(rec.Results->Error.empty());
  EXPECT_FALSE(rec.Results->Precision);
}

// An engine that ends without results: its protocol's reason comes with the
// failure, the waiting count before it, and no temporary file stays.
TEST_F(EvaluatorTest, EngineEndingWithoutResultsFailsWithTheProtocolsReason) {
  FakeEngine engine;
  ManualTimer timer;
  Evaluator e(engine, timer, {0, true});
  Record rec(e);
  engine.OnStartDo = [this] {
    Write(Request.Files.Protocol, "THE ADJUSTMENT FAILED.\r\n\r\n"
                                  "The normal equations are singular (defect 3).\r\n");
    Write(Request.Files.Results + ".tmp12345678", "<partial");
  };
  e.Start(Net, Request);
  timer.Fire();
  EXPECT_EQ(rec.Log, (QStringList{"started 1", "waiting 0", "failed 1"}));
  EXPECT_EQ(rec.Failure.What, EvaluationFailure::Kind::EngineEnded);
  EXPECT_TRUE(rec.Failure.Protocol.ProtocolRead);
  EXPECT_EQ(rec.Failure.Protocol.Reason, "The normal equations are singular (defect 3).");
  EXPECT_TRUE(rec.Failure.Protocol.SingularNetwork);
  EXPECT_FALSE(Exists(Request.Files.Results + ".tmp12345678"));
  EXPECT_FALSE(e.Running());
  EXPECT_FALSE(e.Results());
}

// Stop: the engine is stopped, every output of the run removed, Stopped
// told, and nothing else comes of the run.
TEST_F(EvaluatorTest, StopRemovesTheRunsOutputs) {
  FakeEngine engine;
  ManualTimer timer;
  Evaluator e(engine, timer, {0, true});
  Record rec(e);
  engine.OnStartDo = [this] { Write(Request.Files.Protocol, "protocol\r\n"); };
  engine.Works = true;
  e.Start(Net, Request);
  for (int i = 0; i < 80; ++i) // a working engine is waited for beyond 51 ticks
    timer.Fire();
  EXPECT_TRUE(e.Running());
  EXPECT_EQ(rec.Log.last(), "waiting 79");
  e.Stop();
  EXPECT_EQ(engine.Stops, 1);
  EXPECT_EQ(rec.Log.last(), "stopped 1");
  EXPECT_FALSE(Exists(Request.Files.Protocol));
  EXPECT_FALSE(timer.On);
  timer.Fire();
  e.Stop(); // nothing more
  EXPECT_EQ(rec.Log.last(), "stopped 1");
  EXPECT_EQ(engine.Stops, 1);
}

// A refused start: at once for live precision; told by StartError and
// given up by the poll after its 51 ticks for the desktop's evaluation.
TEST_F(EvaluatorTest, RefusedStartFailsAtOnceOrAfterThePoll) {
  FakeEngine engine;
  engine.Refuse = true;
  ManualTimer timer;
  {
    Evaluator live(engine, timer, {25500, false});
    Record rec(live);
    live.Start(Net, Request);
    EXPECT_EQ(rec.Log, QStringList{"failed 1"});
    EXPECT_EQ(rec.Failure.What, EvaluationFailure::Kind::NotStarted);
    EXPECT_EQ(rec.Failure.Detail, "no such program");
    EXPECT_FALSE(live.Running());
  }
  Evaluator desk(engine, timer, {0, true});
  Record rec(desk);
  desk.Start(Net, Request);
  EXPECT_EQ(desk.StartError(), QString("no such program"));
  EXPECT_TRUE(desk.Running());
  for (int i = 0; i < 50; ++i)
    timer.Fire();
  EXPECT_TRUE(desk.Running());
  timer.Fire();
  EXPECT_EQ(rec.Log.last(), "failed 1");
  EXPECT_EQ(rec.Failure.What, EvaluationFailure::Kind::NoEngine);
}

// The preparation: an old result that cannot be removed, and an input the
// engine document refuses, fail before any engine starts.
TEST_F(EvaluatorTest, PreparationFailuresStartNoEngine) {
  FakeEngine engine;
  ManualTimer timer;
  Evaluator e(engine, timer, {0, true});
  Record rec(e);
  // A folder in the results' place cannot be deleted as a file.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Request.Files.Results) + "/x"));
  e.Start(Net, Request);
  EXPECT_EQ(rec.Failure.What, EvaluationFailure::Kind::OldResultsKept);
  EXPECT_EQ(rec.Failure.Detail, Request.Files.Results);
  EXPECT_EQ(engine.Starts, 0);
  ASSERT_TRUE(QDir(QString::fromStdString(Request.Files.Results)).removeRecursively());

  // Two points under one number: the engine document cannot be written.
  Net.Points.List.Items[1].Number = Net.Points.List.Items[0].Number;
  e.Start(Net, Request);
  EXPECT_EQ(rec.Log.last(), "failed 2");
  EXPECT_EQ(rec.Failure.What, EvaluationFailure::Kind::InputNotWritten);
  EXPECT_FALSE(rec.Failure.Input.empty());
  EXPECT_EQ(engine.Starts, 0);
}

// The time limit of live precision stops an engine that works too long;
// a newer run stops the older one, and only the newer one's outcome comes.
TEST_F(EvaluatorTest, TimeLimitAndNewerRun) {
  FakeEngine engine;
  ManualTimer timer;
  Evaluator e(engine, timer, {1000, false});
  Record rec(e);
  engine.Works = true;
  e.Start(Net, Request);
  timer.Fire();
  EXPECT_TRUE(e.Running());
  timer.Fire();
  EXPECT_EQ(rec.Log.last(), "failed 1");
  EXPECT_EQ(rec.Failure.What, EvaluationFailure::Kind::TimedOut);
  EXPECT_EQ(engine.Stops, 1);

  engine.Works = true;
  EXPECT_EQ(e.Start(Net, Request), 2u);
  EXPECT_EQ(e.Start(Net, Request), 3u);
  EXPECT_EQ(engine.Stops, 2); // run 2 stopped for run 3, without a signal
  EXPECT_EQ(rec.Log.mid(rec.Log.size() - 2), (QStringList{"started 2", "started 3"}));
  EXPECT_EQ(e.CurrentRun(), 3u);
}

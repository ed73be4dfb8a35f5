#pragma once
// Live precision: evaluates the network again in the background after every
// edit, so that the plans can redraw the error ellipses and the reliability
// colours without the user pressing "- Evaluation -".
//
// Each request works on a copy of the network and runs the engine in a
// private temporary folder of its own, never touching the files of the main
// window's evaluation (korvadimensio3d.gfk/.txt/.obs.csv/.xml). A newer
// request cancels an older one: the older engine process is stopped and
// nothing is delivered for it. The Sc/Svp mode of the copy is honoured as in
// the main evaluation: mode 1 enters the observations, mode 2 adds the
// centring and height variances to the covariance of the results.
//
// Everything runs on the user-interface thread; the runs go through an
// evaluator of its own (app/evaluator.h), whose engine is a child process
// started with an argument list and whose end arrives as an event.
//
// Edits as updates: after a delivered evaluation the cofactor matrix of its
// network is formed on a worker thread (kd::app::UpdatablePrecision). A
// request whose network differs from it by a single edit (a measurement
// added or deleted, or its standard deviation changed) then delivers the
// updated precision at once, and the engine's evaluation follows and
// replaces it (FollowsUpdate() is true while that one is delivered). Any
// other edit drops the matrix until the next evaluation has been delivered.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "app/evaluator.h"
#include "core/survey_network.h"
#include "evaluation/evaluation.h"
#include "evaluation/network_precision.h"

class PlatformServices;
class QTemporaryDir;
class QTimer;
class LanguagePack;
namespace kd::app {
class UpdatablePrecision;
}

class LivePrecision : public QObject {
  Q_OBJECT
public:
  // The longest an engine run may take before it is stopped and the
  // request fails, as the main evaluation's time-out.
  static constexpr int TimeoutMs = EnginePoll::MaxPolls * EnginePoll::IntervalMs;

  // Its failure messages are worded from `lang`, which must outlive it.
  LivePrecision(PlatformServices &platform, const LanguagePack &lang, QObject *parent = nullptr);
  // The same with the built-in English texts.
  explicit LivePrecision(PlatformServices &platform, QObject *parent = nullptr);
  ~LivePrecision() override;

  // Evaluates a copy of `snapshot` (points, measurements, Sc/Svp mode) in
  // the background; the outcome arrives as PrecisionReady or PrecisionFailed,
  // always after Request has returned. A request that is still running is
  // cancelled first.
  void Request(const SurveyNetwork &snapshot);
  // Cancels the running request, if any: its engine is stopped and nothing
  // is delivered for it.
  void Cancel();
  // True from a Request until its outcome has been delivered or cancelled.
  bool Busy() const { return Pending; }
  // True while the engine's precision of a request is delivered whose
  // updated precision was delivered before: the same network, computed
  // afresh (a plan replaces the update without taking it as the state
  // before an edit).
  bool FollowsUpdate() const { return UpdateDelivered; }
  // True when the next single edit can be delivered as an update at once.
  bool UpdateReady() const { return Updates != nullptr; }
  // Waits for the matrix being formed in the background, if any, and takes
  // it (tests and benchmarks).
  void WaitForUpdateMatrix();

  // The engine to run; by default gama.exe in the program's folder.
  void SetEnginePath(const QString &path) { EnginePath = path; }
  // The private folder of the runs ("" when none could be created).
  QString Folder() const;
  // The process id of the running engine, 0 when none runs.
  qint64 EngineProcessId() const;

signals:
  // A request began (emitted by Request, before it returns).
  void Started();
  void PrecisionReady(std::shared_ptr<const NetworkPrecision> precision);
  // Why no precision can be shown: the engine's own explanation when it
  // refused the network (first explanatory line of its protocol), else what
  // went wrong before or while running it.
  void PrecisionFailed(QString reason);

private:
  PlatformServices &Platform_; // where the engine lies
  const LanguagePack &Language; // the owner's texts
  void StartRun(SurveyNetwork &copy);
  void RunFinished(quint64 run, const std::shared_ptr<EvaluationResults> &results);
  void RunFailed(quint64 run, const kd::app::EvaluationFailure &failure);
  // True when `run` is the evaluator's run of the pending request.
  bool Current(quint64 run) const;
  // Delivers a failure after the current event, unless a newer request
  // came first.
  void FailLater(const QString &reason);
  // Ends the pending request with a failure now.
  void FailNow(const QString &reason);
  void RemoveRunFolder();
  // The updated precision of `snapshot`, delivered after the current
  // event; false when it is not a single edit of the matrix's network.
  bool DeliverUpdate(const SurveyNetwork &snapshot);
  // Forms the matrix of the delivered network on a worker thread.
  void StartMatrix();
  void MatrixFormed();
  void JoinMatrixThread();

  std::unique_ptr<QTemporaryDir> Dir;
  std::unique_ptr<kd::app::Evaluator> Evaluation;
  QString EnginePath;
  quint64 Generation = 0; // number of the newest request
  quint64 Run = 0;        // the evaluator's run of the pending request, 0 when none
  bool Pending = false;
  QString RunFolder;      // folder of the running request
  SurveyNetwork Requested; // its network
  bool UpdateDelivered = false;

  // The cofactor matrix of the last delivered network (or its updates).
  std::shared_ptr<kd::app::UpdatablePrecision> Updates;
  std::thread MatrixThread;
  std::mutex MatrixMutex;              // guards the next two
  std::shared_ptr<kd::app::UpdatablePrecision> Formed;
  bool MatrixThreadDone = false;
  quint64 MatrixGeneration = 0;        // request the matrix belongs to
  QString RunEngine;      // the engine it runs
};

// Hooks a plan window up to `live`. `Plan` is a plan window with
//   bool LivePrecisionEnabled() const;      // the "live precision" box
//   signal void NetworkEdited();            // after every edit of the network
//   void SetPrecision(std::shared_ptr<const NetworkPrecision>,
//                     const std::string &failureReason);
// While the plan's box is checked, every NetworkEdited requests an
// evaluation of the network that `network` returns (by default the
// program's one network). Each outcome goes to the plan through SetPrecision
// when its box is checked at that moment: the precision with an empty
// reason, or a null precision with the reason. A plan that also has
//   void ReplacePrecision(std::shared_ptr<const NetworkPrecision>);
// gets the engine's precision that follows an update through it. Several plans may share one
// LivePrecision; the latest outcome then reaches every plan that shows live
// precision, since all of them show the same network.
template <class Plan>
void ConnectLivePrecision(
    LivePrecision &live, Plan &plan,
    std::function<const SurveyNetwork *()> network) {
  QObject::connect(&plan, &Plan::NetworkEdited, &live, [&live, &plan, network] {
    if (!plan.LivePrecisionEnabled())
      return;
    if (const SurveyNetwork *net = network())
      live.Request(*net);
  });
  QObject::connect(&live, &LivePrecision::PrecisionReady, &plan,
                   [&live, &plan](std::shared_ptr<const NetworkPrecision> precision) {
                     if (!plan.LivePrecisionEnabled())
                       return;
                     if constexpr (requires { plan.ReplacePrecision(precision); }) {
                       if (live.FollowsUpdate()) {
                         plan.ReplacePrecision(std::move(precision));
                         return;
                       }
                     }
                     plan.SetPrecision(std::move(precision), std::string());
                   });
  QObject::connect(&live, &LivePrecision::PrecisionFailed, &plan, [&plan](const QString &reason) {
    if (plan.LivePrecisionEnabled())
      plan.SetPrecision(nullptr, reason.toStdString());
  });
}

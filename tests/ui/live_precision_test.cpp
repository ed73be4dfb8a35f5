// Live precision: background evaluations of the sample network with our
// engine, cancelling of older requests, the engine's reason for a network it
// cannot adjust, the Sc/Svp modes, and the main window's files left alone.
#include "ui_test_support.h"

#include "core/survey_network.h"
#include "evaluation/network_precision.h"
#include "ui/live_precision.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cmath>

Q_DECLARE_METATYPE(std::shared_ptr<const NetworkPrecision>)

namespace {

const QString kEngine = QStringLiteral(KD_BIN_DIR "/gama.exe");
constexpr int kWaitMs = 20000;

SurveyNetwork SampleNetwork(int mode) {
  SurveyNetwork net;
  net.Points.List.LoadFull(KD_SOURCE_DIR "/data/shaft_coords.txt");
  net.Measurements.LoadFromFile(KD_SOURCE_DIR "/data/shaft_meas.txt");
  net.Points.ScSvpMode = static_cast<ScSvpMode>(mode);
  return net;
}

// A plan that also takes the engine's precision after an update apart.
class ReplacingPlan : public QObject {
  Q_OBJECT
public:
  bool LivePrecisionEnabled() const { return true; }
  void SetPrecision(std::shared_ptr<const NetworkPrecision> precision, const std::string &) {
    Precision = std::move(precision);
    ++Set;
  }
  void ReplacePrecision(std::shared_ptr<const NetworkPrecision> precision) {
    Precision = std::move(precision);
    ++Replaced;
  }
  std::shared_ptr<const NetworkPrecision> Precision;
  int Set = 0, Replaced = 0;
signals:
  void NetworkEdited();
};

// A stand-in for the main window's plan: the members ConnectLivePrecision uses.
class FakePlan : public QObject {
  Q_OBJECT
public:
  bool Enabled = true;
  bool LivePrecisionEnabled() const { return Enabled; }
  void SetPrecision(std::shared_ptr<const NetworkPrecision> precision, const std::string &reason) {
    Precision = std::move(precision);
    Reason = reason;
    ++Deliveries;
  }
  std::shared_ptr<const NetworkPrecision> Precision;
  std::string Reason;
  int Deliveries = 0;
signals:
  void NetworkEdited();
};

} // namespace

class TestLivePrecision : public QObject {
  Q_OBJECT
  UiFixture F;

  // The one precision a request delivers.
  static std::shared_ptr<const NetworkPrecision> Delivered(QSignalSpy &ready) {
    if (ready.isEmpty() && !ready.wait(kWaitMs))
      return nullptr;
    return ready.first().first().value<std::shared_ptr<const NetworkPrecision>>();
  }

private slots:
  void initTestCase() { qRegisterMetaType<std::shared_ptr<const NetworkPrecision>>(); }
  void init() {
    F.Start();
    QFile::link(kEngine, F.Path("gama.exe"));
  }
  void cleanup() { F.Stop(); }

  void sampleNetworkGivesEveryAdjustedPointWithReliability() {
    LivePrecision live(App().Platform()); // the engine beside the program, through the platform
    QSignalSpy ready(&live, &LivePrecision::PrecisionReady);
    QSignalSpy failed(&live, &LivePrecision::PrecisionFailed);
    live.Request(SampleNetwork(1));
    QVERIFY(live.Busy());
    QVERIFY(ready.isEmpty()); // never delivered inside Request
    const auto precision = Delivered(ready);
    QVERIFY2(precision, failed.isEmpty() ? "" : qPrintable(failed.first().first().toString()));
    QVERIFY(!live.Busy());
    QCOMPARE(precision->Points.size(), std::size_t{9});
    QCOMPARE(precision->IndexOf(101), -1); // fixed pillar
    QVERIFY(precision->IndexOf(404) >= 0);
    // Every measurement of the sample is in the observation table (gyro
    // directions and plumbing write more than one row each).
    QVERIFY(precision->Observations.size() >= 60);
    const PointPrecision &p404 = precision->Points[std::size_t(precision->IndexOf(404))];
    QVERIFY(p404.Ellipse.SemiMajor > p404.Ellipse.SemiMinor);
    QVERIFY(p404.Ellipse.SemiMajor < 20);
    RelativePrecision tunnel;
    QVERIFY(precision->Relative(401, 404, tunnel));
    // The run's private folder is cleaned up after the delivery.
    QVERIFY(QDir(live.Folder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
  }

  void wholeNetworkModeAddsTheCentringToTheResults() {
    LivePrecision live(App().Platform());
    QSignalSpy ready(&live, &LivePrecision::PrecisionReady);
    live.Request(SampleNetwork(0));
    const auto mode0 = Delivered(ready);
    QVERIFY(mode0);
    ready.clear();
    live.Request(SampleNetwork(2));
    const auto mode2 = Delivered(ready);
    QVERIFY(mode2);
    // Mode 2 writes the observations as mode 0 does, then adds Sc^2 to the
    // horizontal and Svp^2 to the height variances: 404 has Sc 0.5 mm and
    // Svp 0.8 mm.
    const auto &a = mode0->Points[std::size_t(mode0->IndexOf(404))];
    const auto &b = mode2->Points[std::size_t(mode2->IndexOf(404))];
    QVERIFY(std::fabs(double(b.Horizontal.XX - a.Horizontal.XX) - 0.25) < 1e-6);
    QVERIFY(std::fabs(double(b.Horizontal.YY - a.Horizontal.YY) - 0.25) < 1e-6);
    QVERIFY(std::fabs(double(b.Horizontal.XY - a.Horizontal.XY)) < 1e-9);
    QVERIFY(std::fabs(double(b.SigmaZ * b.SigmaZ - a.SigmaZ * a.SigmaZ) - 0.64) < 1e-6);
  }

  void aNewerRequestStopsTheOlderEngineAndOnlyItIsDelivered() {
    // The first request's engine hangs; the second one uses the real engine.
    F.Write("slow.sh", "#!/bin/sh\nexec sleep 60\n");
    QFile::setPermissions(F.Path("slow.sh"), QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner);
    LivePrecision live(App().Platform());
    QSignalSpy ready(&live, &LivePrecision::PrecisionReady);
    QSignalSpy failed(&live, &LivePrecision::PrecisionFailed);
    live.SetEnginePath(F.Path("slow.sh"));
    live.Request(SampleNetwork(0));
    QTRY_VERIFY(live.EngineProcessId() > 0);
    const qint64 slowPid = live.EngineProcessId();
    live.SetEnginePath(kEngine);
    live.Request(SampleNetwork(2));
    // The hanging engine is gone (stopped and collected).
    QCOMPARE(::kill(pid_t(slowPid), 0), -1);
    QCOMPARE(errno, ESRCH);
    const auto precision = Delivered(ready);
    QVERIFY(precision);
    QTest::qWait(300);
    QCOMPARE(ready.size(), 1);
    QVERIFY(failed.isEmpty());

    // Two quick requests with the real engine: only the newer (mode 2 with
    // point 404 moved 1 m) arrives.
    ready.clear();
    SurveyNetwork moved = SampleNetwork(2);
    for (NetworkPoint &p : moved.Points.List.Items)
      if (p.Number == 404)
        p.X += 1.0;
    live.Request(SampleNetwork(0));
    live.Request(moved);
    const auto newer = Delivered(ready);
    QVERIFY(newer);
    QTest::qWait(500);
    QCOMPARE(ready.size(), 1);
    const auto &p404 = newer->Points[std::size_t(newer->IndexOf(404))];
    QVERIFY(std::fabs(double(p404.X) - 5248.036) < 0.01);
  }

  void undeterminableNetworkDeliversTheEnginesReason() {
    // Point 500 is sighted by a single direction: its position cannot be
    // determined.
    SurveyNetwork net = SampleNetwork(1);
    NetworkPoint extra;
    extra.Number = 500;
    extra.X = 5260;
    extra.Y = 2650;
    extra.Z = 224;
    net.Points.List.Items.push_back(extra);
    net.Measurements.AddMeasurement(3, 0.0003, 500, 404);
    LivePrecision live(App().Platform());
    QSignalSpy ready(&live, &LivePrecision::PrecisionReady);
    QSignalSpy failed(&live, &LivePrecision::PrecisionFailed);
    live.Request(net);
    QVERIFY(failed.wait(kWaitMs));
    QVERIFY(ready.isEmpty());
    const QString reason = failed.first().first().toString();
    QVERIFY2(reason.contains("singular", Qt::CaseInsensitive), qPrintable(reason));
    QVERIFY(!live.Busy());
  }

  void tooSmallNetworkOrMissingEngineFailWithAReason() {
    LivePrecision live(App().Platform());
    QSignalSpy failed(&live, &LivePrecision::PrecisionFailed);
    SurveyNetwork tiny = SampleNetwork(1);
    tiny.Measurements.Items.resize(2);
    live.Request(tiny);
    QVERIFY(failed.isEmpty()); // never inside Request
    QVERIFY(failed.wait(kWaitMs));
    QCOMPARE(failed.first().first().toString(), QString("Too few coordinates or measurements."));

    failed.clear();
    live.SetEnginePath(F.Path("no-such-engine"));
    live.Request(SampleNetwork(1));
    QVERIFY(failed.wait(kWaitMs));
    QVERIFY2(failed.first().first().toString().contains("no-such-engine"),
             qPrintable(failed.first().first().toString()));
  }

  void mainWindowRunFilesAreNeverTouched() {
    const QStringList names = {"korvadimensio3d.gfk", "korvadimensio3d.txt",
                               "korvadimensio3d.obs.csv", "korvadimensio3d.xml"};
    for (const QString &n : names)
      F.Write(n, "main evaluation's " + n.toUtf8());
    {
      LivePrecision live(App().Platform());
      QVERIFY(!live.Folder().isEmpty());
      QVERIFY(!live.Folder().startsWith(F.Path("")));
      QSignalSpy ready(&live, &LivePrecision::PrecisionReady);
      live.Request(SampleNetwork(1));
      QVERIFY(Delivered(ready));
    }
    for (const QString &n : names)
      QCOMPARE(F.Read(n), "main evaluation's " + n.toUtf8());
    // Nothing else appeared beside the program.
    QStringList all = QDir(F.Path("")).entryList(QDir::Files | QDir::System);
    all.removeOne("gama.exe");
    QCOMPARE(all.size(), names.size());
  }

  void aSingleEditIsDeliveredAtOnceThenTheEnginesPrecisionReplacesIt() {
    LivePrecision live(App().Platform());
    live.SetEnginePath(kEngine);
    ReplacingPlan plan;
    SurveyNetwork net = SampleNetwork(1);
    ConnectLivePrecision(live, plan, [&net] { return &net; });
    QSignalSpy ready(&live, &LivePrecision::PrecisionReady);
    emit plan.NetworkEdited();
    QVERIFY(ready.wait(kWaitMs));
    QVERIFY(!live.FollowsUpdate());
    live.WaitForUpdateMatrix();
    QVERIFY(live.UpdateReady());
    QCOMPARE(plan.Set, 1);

    // The tunnel's distances twice as precise, one after the other: each
    // edit delivers its update first (the engine still works), then the
    // engine's precision, which replaces it on the plan.
    int edits = 0;
    for (auto &m : net.Measurements.Items) {
      if (m.MeasType != mtSd || m.Station < 400)
        continue;
      m.StdDev /= 2;
      ++edits;
      ready.clear();
      emit plan.NetworkEdited();
      QVERIFY(ready.wait(kWaitMs));
      QCOMPARE(plan.Set, 1 + edits);
      QVERIFY(live.Busy());
      const auto updated = ready.first().first().value<std::shared_ptr<const NetworkPrecision>>();
      QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 2, kWaitMs);
      QCOMPARE(plan.Replaced, edits);
      QVERIFY(!live.Busy());
      const auto engine = plan.Precision;
      QVERIFY(updated && engine && engine != updated);
      // The engine adjusts the document's rounded observed values: the two
      // agree far beyond the plan's figures.
      QCOMPARE(updated->Points.size(), engine->Points.size());
      for (std::size_t k = 0; k < engine->Points.size(); ++k) {
        QCOMPARE(updated->Points[k].Number, engine->Points[k].Number);
        const long double a = updated->Points[k].Ellipse.SemiMajor, b = engine->Points[k].Ellipse.SemiMajor;
        QVERIFY2(std::fabs(double(a - b)) < 1e-5 * double(b), qPrintable(QString::number(double(a - b))));
        QVERIFY(std::fabs(double(updated->Points[k].SigmaZ - engine->Points[k].SigmaZ)) < 1e-5);
      }
      QCOMPARE(updated->Observations.size(), engine->Observations.size());
      QVERIFY(live.UpdateReady()); // the matrix followed the edit
    }
    QVERIFY(edits >= 5);

    // A moved point is no single edit: only the engine's precision comes,
    // and the matrix is formed again afterwards.
    net.Points.List.Items[4].X += 0.01L;
    ready.clear();
    emit plan.NetworkEdited();
    QVERIFY(!live.UpdateReady());
    QVERIFY(ready.wait(kWaitMs));
    QTest::qWait(200);
    QCOMPARE(ready.size(), 1);
    QCOMPARE(plan.Set, 1 + edits + 1);
    live.WaitForUpdateMatrix();
    QVERIFY(live.UpdateReady());
  }

  void wiringFollowsThePlansLivePrecisionBox() {
    LivePrecision live(App().Platform());
    FakePlan plan;
    SurveyNetwork net = SampleNetwork(1);
    ConnectLivePrecision(live, plan, [&net] { return &net; });
    QSignalSpy ready(&live, &LivePrecision::PrecisionReady);
    emit plan.NetworkEdited();
    QVERIFY(ready.wait(kWaitMs));
    QCOMPARE(plan.Deliveries, 1);
    QVERIFY(plan.Precision);
    QCOMPARE(plan.Precision->Points.size(), std::size_t{9});
    QVERIFY(plan.Reason.empty());

    // A failure reaches the plan as a reason without precision.
    QSignalSpy failed(&live, &LivePrecision::PrecisionFailed);
    net.Measurements.Items.resize(1);
    emit plan.NetworkEdited();
    QVERIFY(failed.wait(kWaitMs));
    QCOMPARE(plan.Deliveries, 2);
    QVERIFY(!plan.Precision);
    QCOMPARE(plan.Reason, std::string("Too few coordinates or measurements."));

    // With the box unchecked an edit starts nothing.
    plan.Enabled = false;
    emit plan.NetworkEdited();
    QVERIFY(!live.Busy());
    QTest::qWait(100);
    QCOMPARE(plan.Deliveries, 2);
  }
};

QTEST_MAIN(TestLivePrecision)
#include "live_precision_test.moc"

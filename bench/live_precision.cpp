// Benchmark of live precision after a one-measurement edit (the standard
// deviation of one measurement changed, a different one each time), on the
// bundled sample network and on a generated network (each point sights its
// 5 nearest neighbours with a direction, a zenith angle and a slope
// distance; three fixed points; Sc 1 mm, Svp 1 mm; mode 1):
//   - update: from the edit to the delivered updated precision (the
//     cofactor matrix updated by one block, the points' covariance and
//     every observation's reliability from it);
//   - engine: from the edit to the engine's precision that replaces it
//     (network copy, engine input, gama.exe, results and observation table
//     read);
//   - matrix: forming the cofactor matrix in the background after the first
//     evaluation (once per network).
//
//   bench_live_precision [repetitions [points]]     defaults 10 300
//
// Runs gama.exe beside this program. Prints the minimum, median and maximum
// wall times; the last line is the generated network's.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench/generated_network.h"
#include "core/survey_network.h"
#include "ui/live_precision.h"
#include "ui/platform.h"

namespace {

SurveyNetwork SampleNetwork() {
  SurveyNetwork net;
  net.Points.List.LoadFull(KD_BIN_DIR "/shaft_coords.txt");
  net.Measurements.LoadFromFile(KD_BIN_DIR "/shaft_meas.txt");
  return net;
}

struct Times {
  double update = -1; // s, -1: no update was delivered
  double engine = -1; // s, -1: the evaluation failed
};

// One request; waits for every delivery of it.
Times Deliveries(LivePrecision &live, const SurveyNetwork &net) {
  Times t;
  QEventLoop loop;
  QElapsedTimer clock;
  auto c1 = QObject::connect(&live, &LivePrecision::PrecisionReady, &loop,
                             [&](std::shared_ptr<const NetworkPrecision> p) {
                               const double s = clock.nsecsElapsed() / 1e9;
                               if (!p || p->Empty())
                                 return;
                               if (live.Busy()) {
                                 t.update = s;
                                 return;
                               }
                               t.engine = s;
                               loop.quit();
                             });
  auto c2 = QObject::connect(&live, &LivePrecision::PrecisionFailed, &loop,
                             [&](const QString &reason) {
                               std::fprintf(stderr, "failed: %s\n", qPrintable(reason));
                               loop.quit();
                             });
  clock.start();
  live.Request(net);
  loop.exec();
  QObject::disconnect(c1);
  QObject::disconnect(c2);
  return t;
}

std::vector<double> Sorted(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v;
}

void Measure(const char *name, SurveyNetwork net, int repetitions) {
  QtPlatform platform; // not asked for the engine: its path is given
  LivePrecision live(platform);
  live.SetEnginePath(KD_BIN_DIR "/gama.exe");
  if (Deliveries(live, net).engine < 0) { // the first evaluation
    std::printf("%-22s evaluation failed\n", name);
    return;
  }
  QElapsedTimer clock;
  clock.start();
  live.WaitForUpdateMatrix();
  const double matrix = clock.nsecsElapsed() / 1e9;
  std::vector<double> updates, engines;
  auto &items = net.Measurements.Items;
  for (int r = 1; r <= repetitions; ++r) {
    Measurement &m = items[static_cast<std::size_t>(r * 7919) % items.size()];
    m.StdDev *= (r % 2) ? 1.1 : 1 / 1.1;
    const Times t = Deliveries(live, net);
    if (t.engine < 0)
      return;
    if (t.update >= 0)
      updates.push_back(t.update);
    engines.push_back(t.engine);
  }
  updates = Sorted(updates);
  engines = Sorted(engines);
  std::printf("%-22s %5d pts %6d meas  matrix %.3f s", name, net.Points.List.Count(),
              net.Measurements.Count(), matrix);
  if (updates.empty())
    std::printf("  update: none");
  else
    std::printf("  update %zu/%d: min %.4f s median %.4f s max %.4f s", updates.size(), repetitions,
                updates.front(), updates[updates.size() / 2], updates.back());
  std::printf("  engine: median %.3f s\n", engines[engines.size() / 2]);
  std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const int points = argc > 2 ? std::max(10, std::atoi(argv[2])) : 300;
  std::printf("live precision after a one-measurement edit (%d edits each, mode 1)\n", repetitions);
  Measure("sample network (shaft)", SampleNetwork(), repetitions);
  Measure("generated network", GeneratedNetwork(points, 7), repetitions);
  return 0;
}

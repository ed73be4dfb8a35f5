// Benchmark of live precision: the time from an edit of the network (a
// changed standard deviation, a moved point) to the delivered ellipses of
// the background evaluation, on the bundled sample network and on a
// generated 300-point network (each point sights its 5 nearest neighbours
// with a direction, a zenith angle and a slope distance; three fixed points;
// Sc 1 mm, Svp 1 mm).
//
//   bench_live_precision [repetitions [points]]     defaults 10 300
//
// Runs gama.exe beside this program. Prints the minimum, median and maximum
// wall time of each network, and which one was over its goal (0.5 s for the
// sample, 1.5 s for 300 points).
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

namespace {

SurveyNetwork SampleNetwork() {
  SurveyNetwork net;
  net.Points.List.LoadFull(KD_BIN_DIR "/shaft_coords.txt");
  net.Measurements.LoadFromFile(KD_BIN_DIR "/shaft_meas.txt");
  return net;
}

// Wall time in seconds from the edit to the delivered precision; negative
// when the evaluation failed.
double EditToEllipses(LivePrecision &live, SurveyNetwork &net, int round) {
  // The edit: one precision changed and one adjusted point moved a little.
  auto &m = net.Measurements.Items[static_cast<std::size_t>(round) % net.Measurements.Items.size()];
  m.StdDev *= (round % 2) ? 1.1 : 1 / 1.1;
  for (NetworkPoint &p : net.Points.List.Items)
    if (!p.Fixed) {
      p.X += (round % 2) ? 0.01 : -0.01;
      break;
    }
  QEventLoop loop;
  bool ok = false;
  auto c1 = QObject::connect(&live, &LivePrecision::PrecisionReady, &loop,
                             [&](std::shared_ptr<const NetworkPrecision> p) {
                               ok = p && !p->Empty();
                               loop.quit();
                             });
  auto c2 = QObject::connect(&live, &LivePrecision::PrecisionFailed, &loop,
                             [&](const QString &reason) {
                               std::fprintf(stderr, "failed: %s\n", qPrintable(reason));
                               loop.quit();
                             });
  QElapsedTimer clock;
  clock.start();
  live.Request(net);
  loop.exec();
  const double seconds = clock.nsecsElapsed() / 1e9;
  QObject::disconnect(c1);
  QObject::disconnect(c2);
  return ok ? seconds : -1;
}

void Measure(const char *name, SurveyNetwork net, int repetitions, double goal) {
  LivePrecision live;
  live.SetEnginePath(KD_BIN_DIR "/gama.exe");
  std::vector<double> times;
  EditToEllipses(live, net, 0); // warm-up: program and files in the cache
  for (int r = 1; r <= repetitions; ++r) {
    const double t = EditToEllipses(live, net, r);
    if (t < 0) {
      std::printf("%-28s evaluation failed\n", name);
      return;
    }
    times.push_back(t);
  }
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("%-28s %5d pts %6d meas  min %.3f s  median %.3f s  max %.3f s  (goal %.1f s: %s)\n",
              name, net.Points.List.Count(), net.Measurements.Count(), times.front(), median,
              times.back(), goal, median <= goal ? "met" : "MISSED");
  std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const int points = argc > 2 ? std::max(10, std::atoi(argv[2])) : 300;
  std::printf("edit-to-ellipses time of live precision (%d edits each, mode 1)\n", repetitions);
  Measure("sample network (shaft)", SampleNetwork(), repetitions, 0.5);
  Measure("generated network", GeneratedNetwork(points, 7), repetitions, 1.5);
  return 0;
}

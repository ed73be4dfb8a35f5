// Benchmark of the updates behind live precision, without windows: the
// cofactor matrix of a generated network (each point sights its 5 nearest
// neighbours with a direction, a zenith angle and a slope distance; three
// fixed points; mode 1) is formed once, then one measurement's standard
// deviation is changed, one measurement deleted and one added, each applied
// as an update and followed by the whole precision (points, covariance,
// every observation's reliability).
//
//   bench_precision_update [points...]     default 300 1000
//
// Prints, per network, the time to form the matrix and the minimum, median
// and maximum of the update and of the precision after it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/updatable_precision.h"
#include "bench/generated_network.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string Spread(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  char b[120];
  std::snprintf(b, sizeof b, "min %.4f median %.4f max %.4f s", v.front(), v[v.size() / 2], v.back());
  return b;
}

} // namespace

int main(int argc, char **argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i)
    sizes.push_back(std::max(10, std::atoi(argv[i])));
  if (sizes.empty())
    sizes = {300, 1000};
  for (int n : sizes) {
    SurveyNetwork net = GeneratedNetwork(n, 7);
    net.Points.ScSvpMode = ScSvpMode::PerMeasurement;
    kd::app::UpdatablePrecision live;
    std::string error;
    auto t0 = std::chrono::steady_clock::now();
    if (!live.Build(net, error)) {
      std::printf("%d points: %s\n", n, error.c_str());
      continue;
    }
    const double build = Seconds(t0);
    std::vector<double> update, precision;
    auto &items = net.Measurements.Items;
    for (int r = 0; r < 9; ++r) {
      const std::size_t at = static_cast<std::size_t>(r * 7919) % items.size();
      if (r % 3 == 0)
        items[at].StdDev *= 1.5;
      else if (r % 3 == 1)
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(at));
      else
        items.push_back(items[at]); // a repetition of a measurement
      t0 = std::chrono::steady_clock::now();
      if (!live.Apply(net)) {
        std::printf("%d points: edit %d was not an update\n", n, r);
        return 1;
      }
      update.push_back(Seconds(t0));
      t0 = std::chrono::steady_clock::now();
      const NetworkPrecision p = live.Precision();
      precision.push_back(Seconds(t0));
      if (p.Empty())
        return 1;
    }
    std::printf("%5d points, %6d measurements: matrix %.3f s; update %s; precision %s\n", n,
                net.Measurements.Count(), build, Spread(update).c_str(), Spread(precision).c_str());
    std::fflush(stdout);
  }
  return 0;
}

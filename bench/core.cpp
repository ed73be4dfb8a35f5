// Network model benchmark: a planned network of 5,000 points and 50,000
// measurements is saved, loaded, checked and sorted; prints the time of each
// step and the peak memory.
#include "core/survey_network.h"
#include "core/text_grid.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

template <class F> double TimeIt(F &&f) {
  auto t0 = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

long PeakKiB() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

} // namespace

int main(int argc, char **argv) {
  int nPoints = 5000, nMeas = 50000;
  if (argc >= 3) {
    nPoints = std::max(2, std::atoi(argv[1]));
    nMeas = std::max(0, std::atoi(argv[2]));
  }
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kd_bench_core_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string coordFile = (dir / "points.txt").string();
  const std::string measFile = (dir / "measurements.txt").string();

  // Generate: points on a 10 km square with 300 m of relief, numbered from
  // 1001; each measurement between a random station and a nearby target.
  SurveyNetwork net;
  std::mt19937_64 rng(20261206);
  std::uniform_real_distribution<double> xy(0, 10000), z(200, 500);
  double gen = TimeIt([&] {
    net.Points.List.Items.reserve(static_cast<std::size_t>(nPoints));
    for (int i = 0; i < nPoints; ++i) {
      NetworkPoint p;
      p.Number = 1001 + i;
      p.X = 1000000 + xy(rng);
      p.Y = 500000 + xy(rng);
      p.Z = z(rng);
      p.Fixed = i % 50 == 0;
      p.Sc = 0.001;
      p.Svp = 0.0005;
      net.Points.List.Append(p);
    }
    std::uniform_int_distribution<int> station(0, nPoints - 1), step(1, 40), type(0, 8);
    while (net.Measurements.Count() < nMeas) {
      int s = station(rng);
      int t = (s + step(rng)) % nPoints;
      auto code = static_cast<std::uint8_t>(type(rng));
      if (code == mtAngles || code == mtAll)
        code = mtDi;
      net.Measurements.AddMeasurement(code, code == mtZu || code == mtDi || code == mtGd ? 0.0005 : 0.002, 1001 + t,
                                      1001 + s);
    }
  });

  int saved = 0, savedM = 0, loaded = 0, loadedM = 0;
  bool invalid = true;
  net.Points.List.FileName = coordFile;
  double tSave = TimeIt([&] { saved = net.Points.List.Save(); });
  double tSaveM = TimeIt([&] { savedM = net.Measurements.SaveToFile(measFile); });

  SurveyNetwork back;
  double tLoad = TimeIt([&] { loaded = back.Points.List.LoadFull(coordFile); });
  double tLoadM = TimeIt([&] { loadedM = back.Measurements.LoadFromFile(measFile); });
  double tCheck = TimeIt([&] { invalid = back.CheckConsistency(true); });
  double tSort = TimeIt([&] { back.Measurements.Sort(); });
  double tPairs = TimeIt([&] {
    back.Measurements.ClearPairs();
    back.Measurements.BuildPairs();
  });
  TextGrid grid;
  double tGrid = TimeIt([&] { back.Measurements.FillGrid(grid, {"Type", "Station", "Target", "Precision"}); });

  std::printf("network: %d points, %d measurements (generated in %.3f s)\n", nPoints, nMeas, gen);
  std::printf("%-34s %8.3f s  (%d points, %.1f KiB)\n", "save coordinates", tSave, saved,
              std::filesystem::file_size(coordFile) / 1024.0);
  std::printf("%-34s %8.3f s  (%d measurements, %.1f KiB)\n", "save measurements", tSaveM, savedM,
              std::filesystem::file_size(measFile) / 1024.0);
  std::printf("%-34s %8.3f s  (%d points)\n", "load coordinates (full format)", tLoad, loaded);
  std::printf("%-34s %8.3f s  (%d measurements)\n", "load measurements", tLoadM, loadedM);
  std::printf("%-34s %8.3f s  (invalid found: %s)\n", "consistency check", tCheck, invalid ? "yes" : "no");
  std::printf("%-34s %8.3f s\n", "sort by station", tSort);
  std::printf("%-34s %8.3f s  (%d pairs)\n", "pair statistics", tPairs, back.Measurements.PairCount());
  std::printf("%-34s %8.3f s  (%d rows)\n", "measurement table", tGrid, grid.RowCount());
  std::printf("peak memory: %.1f MiB\n", PeakKiB() / 1024.0);

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  bool ok = saved == nPoints && savedM == nMeas && loaded == nPoints && loadedM == nMeas && !invalid;
  if (!ok)
    std::printf("ERROR: the network did not survive the round trip\n");
  return ok ? 0 : 1;
}

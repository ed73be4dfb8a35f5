// Writes the engine input document of a generated network of 5,000 points
// and 50,000 measurements and prints the time of each write.
#include "core/survey_network.h"
#include "evaluation/input_document.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

constexpr int kPoints = 5000;
constexpr int kMeasurements = 50000;

void Generate(SurveyNetwork &net) {
  std::mt19937_64 rng(20261206);
  std::uniform_real_distribution<double> xy(-5000.0, 5000.0), z(100.0, 900.0);
  std::uniform_int_distribution<int> pick(0, kPoints - 1);
  net.Points.List.Items.reserve(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    NetworkPoint p;
    p.Number = 1000 + i;
    p.X = 1000000.0L + xy(rng);
    p.Y = 5000000.0L + xy(rng);
    p.Z = z(rng);
    p.Fixed = i % 50 == 0;
    p.Sc = 0.001;
    p.Svp = 0.0005;
    net.Points.List.Append(p);
  }
  // Mostly terrestrial observations; a few gyro directions and plumbings.
  const std::uint8_t types[] = {mtSd, mtHd, mtZu, mtDi, mtDi, mtVd, mtSd, mtZu, mtDi, mtHd};
  net.Measurements.Items.reserve(kMeasurements);
  while (net.Measurements.Count() < kMeasurements) {
    const int s = pick(rng), t = pick(rng);
    const int n = net.Measurements.Count();
    std::uint8_t type = types[n % 10];
    if (n % 97 == 0)
      type = mtGd;
    else if (n % 101 == 0)
      type = mtPr;
    const double sd = (type == mtZu || type == mtDi || type == mtGd) ? 0.0003 : 0.002;
    net.Measurements.AddMeasurement(type, sd, 1000 + t, 1000 + s);
  }
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

} // namespace

int main() {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kd_bench_docwriter_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "net.gfk").string();

  auto t0 = std::chrono::steady_clock::now();
  SurveyNetwork net;
  Generate(net);
  std::printf("network: %d points, %d measurements (generated in %.3f s)\n",
              net.Points.PointCount(), net.Measurements.Count(), Seconds(t0));

  bool allOk = true;
  const char *labels[] = {"unsorted list, Sc/Svp mode 1", "sorted list,   Sc/Svp mode 1",
                          "sorted list,   Sc/Svp mode 0", "sorted list,   Sc/Svp mode 2"};
  const std::uint8_t modes[] = {1, 1, 0, 2};
  for (int run = 0; run < 4; ++run) {
    net.Points.ScSvpMode = static_cast<ScSvpMode>(modes[run]);
    t0 = std::chrono::steady_clock::now();
    const bool ok = WriteEngineInput(net, file);
    const double s = Seconds(t0);
    allOk = allOk && ok;
    std::printf("write document, %s: %.3f s (%s)\n", labels[run], s, ok ? "ok" : "FAILED");
  }
  std::error_code ec;
  std::printf("document: %zu lines, %ju bytes\n", net.Document.size(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(file, ec)));
  std::filesystem::remove_all(dir, ec);
  std::printf("goal: each write under 0.5 s\n");
  return allOk ? 0 : 1;
}

// Reading the results of a large network: a results file of N points with
// its full 3N x 3N covariance matrix is written, then read and turned into
// the results table by a fresh process, which reports its wall time and
// peak memory. Usage: bench_reader [points]   (default 1000)
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/text_file.h"
#include "evaluation/results_reader.h"

extern char **environ;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// CPU seconds (user + system) used by this process so far: a figure that
// stays meaningful when other jobs share the machine.
double CpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double PeakMiB() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void Append(std::string &s, double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  s.append(buf, r.ptr);
}

// A results file of n points: diagonally dominant covariance (so every
// block is a valid covariance), numbers written in shortest round-trip form.
bool WriteResults(const std::string &path, int n) {
  std::mt19937_64 gen(12345);
  std::uniform_real_distribution<double> off(-0.05, 0.05), diag(5.0, 50.0), coord(0, 5000);
  std::string s = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<results>\n";
  for (int k = 0; k < n; ++k) {
    s += "<point id=\"" + std::to_string(1000 + k) + "\" x=\"";
    Append(s, coord(gen));
    s += "\" y=\"";
    Append(s, coord(gen));
    s += "\" z=\"";
    Append(s, coord(gen) / 10);
    s += "\"/>\n";
  }
  const int dim = 3 * n;
  s += "<cov-mat dim=\"" + std::to_string(dim) + "\">\n";
  for (int i = 0; i < dim; ++i) {
    for (int j = i; j < dim; ++j) {
      Append(s, i == j ? diag(gen) : off(gen));
      s += ' ';
    }
    s += '\n';
  }
  s += "</cov-mat>\n</results>\n";
  return kd::WriteFileAtomic(path, s);
}

int ReadOnce(const std::string &path) {
  const double cpu0 = CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  ResultsReader reader;
  PointList network;
  TextGrid grid;
  std::vector<std::string> from, to;
  // The steps of ReadResults, timed one by one.
  bool ok = reader.Bind(path);
  const double tBind = Seconds(t0);
  ok = ok && reader.ReadCoordinates();
  const double tCoords = Seconds(t0);
  ok = ok && reader.ReadCovariance() && reader.ResultsAre3d();
  const double tCov = Seconds(t0);
  ok = ok && reader.FillResultsTable(grid, from, to);
  const double read = Seconds(t0);
  const double readCpu = CpuSeconds() - cpu0;
  std::printf("  load and parse XML   %.3f s\n", tBind);
  std::printf("  coordinates          %.3f s\n", tCoords - tBind);
  std::printf("  covariance           %.3f s\n", tCov - tCoords);
  std::printf("  table and ellipsoids %.3f s\n", read - tCov);
  if (!ok) {
    std::fprintf(stderr, "reading failed: %s\n", reader.Error.c_str());
    return 1;
  }
  const double peak = PeakMiB();
  const auto t1 = std::chrono::steady_clock::now();
  std::string d, s;
  reader.CalculateDistance(0, reader.Results.Count() - 1, 0, d, s);
  const double calc = Seconds(t1);
  const std::string out1 = path + ".cov.txt", out2 = path + ".table.txt";
  const double cpu2 = CpuSeconds();
  const auto t2 = std::chrono::steady_clock::now();
  const bool covOk = reader.SaveCov(out1);
  const double saveCov = Seconds(t2);
  const double saveCovCpu = CpuSeconds() - cpu2;
  const auto t3 = std::chrono::steady_clock::now();
  const bool tabOk = reader.SaveTable(out2);
  const double saveTab = Seconds(t3);
  std::error_code ec;
  const double covBytes = static_cast<double>(std::filesystem::file_size(out1, ec));
  std::filesystem::remove(out1, ec);
  std::filesystem::remove(out2, ec);

  const double fileMiB = static_cast<double>(std::filesystem::file_size(path)) / 1048576.0;
  const double matrixMiB =
      static_cast<double>(reader.Cov.Rows()) * reader.Cov.Cols() * sizeof(double) / 1048576.0;
  std::printf("points                 %d (covariance %d x %d, %zu numbers)\n",
              reader.Results.Count(), reader.Cov.Rows(), reader.Cov.Cols(),
              static_cast<std::size_t>(reader.Cov.Rows()) * (reader.Cov.Rows() + 1) / 2);
  std::printf("results file           %.1f MiB\n", fileMiB);
  std::printf("matrix in memory       %.1f MiB\n", matrixMiB);
  std::printf("read + fill table      %.3f s wall, %.3f s CPU   (goal <= 1.5 s)\n", read, readCpu);
  std::printf("peak memory            %.1f MiB (goal < 3 x file + matrix = %.1f MiB)\n", peak,
              3 * fileMiB + matrixMiB);
  std::printf("distance precision     %.6f s   (%s, %s)\n", calc, d.c_str(), s.c_str());
  std::printf("save covariance        %.3f s wall, %.3f s CPU   (%s, %.1f MiB)\n", saveCov,
              saveCovCpu, covOk ? "ok" : "FAILED", covBytes / 1048576.0);
  std::printf("save table             %.3f s   (%s)\n", saveTab, tabOk ? "ok" : "FAILED");
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::string(argv[1]) == "--read")
    return ReadOnce(argv[2]);
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (n < 1 || n > 20000) {
    std::fprintf(stderr, "points must be 1 .. 20000\n");
    return 2;
  }
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kd_bench_reader_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "results.xml").string();
  const auto t0 = std::chrono::steady_clock::now();
  if (!WriteResults(path, n)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("writing the test file  %.3f s\n", Seconds(t0));
  std::fflush(stdout);

  // Read in a fresh process so that its peak memory is the reader's alone.
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string flag = "--read";
  std::vector<char *> args = {self.data(), flag.data(), const_cast<char *>(path.c_str()), nullptr};
  pid_t pid = 0;
  int status = 1;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, args.data(), environ) == 0)
    waitpid(pid, &status, 0);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// Benchmark of the adjustment engine: generates networks of 100, 300, 1000
// and 2000 points (each point sights its 5 nearest neighbours with a
// direction, a zenith angle and a slope distance; three fixed points), runs
// gama.exe on each and prints the wall time and the peak memory of the run.
//
//   bench_engine [--engine PATH] [--repeat R] [sizes...]   e.g. bench_engine 100 1000
//
// --engine runs another engine program (an older build, for comparison);
// --repeat runs each size R times and prints the medians of wall time and
// peak memory (the machine may be shared).
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/text_file.h"

extern char **environ;

namespace {

struct P {
  double x, y, z;
};

std::string Num(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string Id(int i) { return std::to_string(i + 1) + ".00"; }

// A network as the desktop writes it: points, then one set per station.
std::string MakeNetwork(int n, unsigned seed) {
  std::mt19937 rng(seed);
  const double side = std::sqrt(static_cast<double>(n)) * 100.0;
  std::uniform_real_distribution<double> ux(0, side), uz(200, 300);
  std::vector<P> pts(n);
  for (auto &p : pts) p = {1000 + ux(rng), 5000 + ux(rng), uz(rng)};
  // Fixed: the points nearest to three corners of the area.
  auto nearest = [&](double x, double y) {
    int best = 0;
    for (int i = 1; i < n; ++i)
      if (std::hypot(pts[i].x - x, pts[i].y - y) < std::hypot(pts[best].x - x, pts[best].y - y))
        best = i;
    return best;
  };
  std::vector<int> fixed = {nearest(1000, 5000), nearest(1000 + side, 5000),
                            nearest(1000 + side / 2, 5000 + side)};
  std::string s;
  s += "<?xml version=\"1.0\" ?>\r\n<gama-xml version=\"2.0\">\r\n"
       "<network axes-xy=\"sw\" angles=\"right-handed\">\r\n<description> bench </description>\r\n"
       "<parameters sigma-apr=\"1.00\" conf-pr=\"0.95\" tol-abs=\"1000\" sigma-act=\"apriori\" />\r\n"
       "<points-observations >\r\n";
  for (int i = 0; i < n; ++i) {
    const bool fx = std::find(fixed.begin(), fixed.end(), i) != fixed.end();
    s += "<point id= \"" + Id(i) + "\" x=\"" + Num(pts[i].x, 5) + "\" y=\"" + Num(pts[i].y, 5) +
         "\" z=\"" + Num(pts[i].z, 5) + (fx ? "\" fix=\"XYZ\" />\r\n" : "\" adj=\"XYZ\" />\r\n");
  }
  const double gon = 200.0 / M_PI;
  for (int i = 0; i < n; ++i) {
    std::vector<std::pair<double, int>> d;
    for (int j = 0; j < n; ++j)
      if (j != i) d.push_back({std::hypot(pts[j].x - pts[i].x, pts[j].y - pts[i].y), j});
    std::partial_sort(d.begin(), d.begin() + 5, d.end());
    s += "<obs from=\"" + Id(i) + "\">\r\n";
    for (int k = 0; k < 5; ++k) {
      const P &a = pts[i], &b = pts[d[k].second];
      const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z, h = std::hypot(dx, dy);
      double dir = std::atan2(dy, dx);
      if (dir < 0) dir += 2 * M_PI;
      const std::string to = Id(d[k].second);
      s += "<direction to= \"" + to + "\" val= \"" + Num(dir * gon, 4) + "\" stdev=\"3.00\" />\r\n";
      s += "<z-angle to= \"" + to + "\" val= \"" + Num(std::atan2(h, dz) * gon, 4) +
           "\" stdev=\"5.00\" />\r\n";
      s += "<s-distance to= \"" + to + "\" val= \"" + Num(std::sqrt(h * h + dz * dz), 4) +
           "\" stdev=\"2.00\" />\r\n";
    }
    s += "</obs>\r\n";
  }
  s += "</points-observations>\r\n</network>\r\n</gama-xml>\r\n";
  return s;
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<int> sizes;
  std::string engine = std::string(KD_BIN_DIR) + "/gama.exe";
  int repeat = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--engine" && i + 1 < argc) engine = argv[++i];
    else if (a == "--repeat" && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
    else sizes.push_back(std::atoi(a.c_str()));
  }
  if (sizes.empty()) sizes = {100, 300, 1000, 2000};
  char tmpl[] = "/tmp/kd_bench_engineXXXXXX";
  if (!mkdtemp(tmpl)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = tmpl;
  std::printf("%7s %9s %10s %11s %12s %9s %10s  %s\n", "points", "unknowns", "wall [s]",
              "peak [MiB]", "cov [MiB]", "peak/cov", "xml [MiB]", "exit");
  int failures = 0;
  for (int n : sizes) {
    const std::string in = dir + "/net" + std::to_string(n) + ".gfk";
    const std::string prefix = dir + "/net" + std::to_string(n) + ".";
    if (!kd::WriteFileAtomic(in, MakeNetwork(n, 12345u + n))) {
      std::fprintf(stderr, "cannot write %s\n", in.c_str());
      return 1;
    }
    std::vector<std::string> args = {engine, "--encoding", "cp-1250", "--language", "en", in, prefix};
    std::vector<char *> av;
    for (auto &a : args) av.push_back(a.data());
    av.push_back(nullptr);
    std::vector<double> walls, peaks;
    int status = 0;
    for (int r = 0; r < repeat; ++r) {
      const auto t0 = std::chrono::steady_clock::now();
      pid_t pid = 0;
      if (posix_spawn(&pid, engine.c_str(), nullptr, nullptr, av.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", engine.c_str());
        return 1;
      }
      struct rusage ru {};
      wait4(pid, &status, 0, &ru);
      walls.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
      peaks.push_back(ru.ru_maxrss / 1024.0);  // kB -> MiB
    }
    std::sort(walls.begin(), walls.end());
    std::sort(peaks.begin(), peaks.end());
    const double wall = walls[walls.size() / 2], peak = peaks[peaks.size() / 2];
    const double cov = 8.0 * (3.0 * n) * (3.0 * n) / (1024.0 * 1024.0);
    std::string xml;
    kd::ReadFileBytes(prefix + "xml", xml);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code != 0) ++failures;
    std::printf("%7d %9d %10.2f %11.1f %12.1f %9.2f %10.1f  %d\n", n, 3 * n - 9 + n, wall, peak,
                cov, peak / cov, xml.size() / (1024.0 * 1024.0), code);
    std::fflush(stdout);
    if (std::getenv("KD_BENCH_KEEP")) continue;
    std::remove(in.c_str());
    std::remove((prefix + "txt").c_str());
    std::remove((prefix + "xml").c_str());
  }
  // Other work on the machine stretches the wall times: show how busy it was.
  std::string load;
  if (kd::ReadFileBytes("/proc/loadavg", load)) std::printf("load average: %s", load.c_str());
  if (std::getenv("KD_BENCH_KEEP")) std::printf("files kept in %s\n", dir.c_str());
  else rmdir(dir.c_str());
  return failures == 0 ? 0 : 1;
}

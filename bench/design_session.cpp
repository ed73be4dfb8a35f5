// Benchmark of the desktop's measurement design: what the design panel
// computes after every edit of the network (the engine document of a copy,
// the normal system and its inverse, the requirement values, the ten best
// candidates, the critical and low-value measurements), and the work of
// "Optimise". Prints the times for a generated network.
//
//   bench_design_session [ROWS COLS]      default 15 20
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/design_session.h"
#include "design/generated_network.h"

using namespace kd::design;

int main(int argc, char **argv) {
  const int rows = argc > 2 ? std::atoi(argv[1]) : 15;
  const int cols = argc > 2 ? std::atoi(argv[2]) : 20;
  using Clock = std::chrono::steady_clock;
  auto seconds = [](Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
  };
  const SurveyNetwork net = test::GeneratedNetwork(rows, cols);
  RequirementSet reqs;
  std::string error;
  const std::string text = "ellipse * 1\nacross 1001 " + std::to_string(1000 + rows * cols - 2) + " 40 1\n";
  if (!ParseRequirements(text, "bench.req", reqs, error))
    return 1;
  kd::app::DesignSession session;
  const auto t0 = Clock::now();
  if (!session.Evaluate(net, reqs, CandidateOptions())) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  const auto t1 = Clock::now();
  const auto ranked = session.Rank(10);
  const auto t2 = Clock::now();
  const auto marks = session.Marks();
  const auto t3 = Clock::now();
  const auto proposal = session.Optimise(false);
  const auto t4 = Clock::now();
  std::printf("network: %d points, %d measurements, %d candidates\n", rows * cols, net.Measurements.Count(),
              session.CandidateCount());
  std::printf("document, normal system, values:  %.3f s\n", seconds(t0, t1));
  std::printf("ten best candidates:              %.3f s\n", seconds(t1, t2));
  std::printf("critical and low-value:           %.3f s  (%zu critical, %zu low-value)\n", seconds(t2, t3),
              marks.Critical.size(), marks.LowValue.size());
  std::printf("after every edit, in all:         %.3f s\n", seconds(t0, t3));
  std::printf("optimise:                         %.3f s  (%zu added, %s)\n", seconds(t3, t4),
              proposal.Added.size(), proposal.Reached ? "every requirement met" : "not reached");
  return ranked.empty() ? 1 : 0;
}

// Benchmark of the measurement design: builds the normal system of a
// generated network (default 300 points: rows × columns grid, every point a
// station with directions, zenith angles and slope distances to its
// neighbours), then ranks all of its automatic candidates against an
// ellipse requirement on every point and a breakthrough requirement, and
// prints the times.
//
//   bench_design_rank [ROWS COLS]      default 15 20
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/text_file.h"
#include "evaluation/input_document.h"
#include "design/generated_network.h"
#include "design/plan_model.h"
#include "design/planner.h"

using namespace kd::design;

int main(int argc, char **argv) {
  const int rows = argc > 2 ? std::atoi(argv[1]) : 15;
  const int cols = argc > 2 ? std::atoi(argv[2]) : 20;
  using Clock = std::chrono::steady_clock;
  auto seconds = [](Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
  };
  SurveyNetwork net = test::GeneratedNetwork(rows, cols);
  const std::string doc = "/tmp/bench_design_rank.gfk";
  if (!WriteEngineInput(net, doc)) {
    std::fprintf(stderr, "cannot write the engine document: %s\n", net.LastWriteFailure.Reason.c_str());
    return 1;
  }
  std::remove(doc.c_str());
  const auto t0 = Clock::now();
  PlanModel model;
  std::string error;
  if (!BuildPlanModel(net, kd::JoinLinesCrLf(net.Document), {}, model, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const auto t1 = Clock::now();
  RequirementSet reqs;
  const std::string text = "ellipse * 1\nacross 1001 " + std::to_string(1000 + rows * cols - 2) + " 40 1\n";
  if (!ParseRequirements(text, "bench.req", reqs, error)) return 1;
  std::vector<Check> checks;
  if (!CompileChecks(model.engine, model.system, reqs, model.pointNumbers, checks, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  Planner planner(model.system, model.units, checks, reqs, 5);
  const auto t2 = Clock::now();
  const auto ranked = planner.Rank(0);
  const auto t3 = Clock::now();
  std::printf("network: %d points, %d unknowns (%d orientations), %d planned measurements\n", rows * cols,
              model.system.unknowns, model.system.orientationUnknowns, model.plannedCount);
  std::printf("candidates: %zu automatic (sights up to %.1f m), requirements: %zu checks\n", ranked.size(),
              model.maxSight, checks.size());
  std::printf("normal system and cofactor matrix: %.3f s\n", seconds(t0, t1));
  std::printf("requirement set-up:                %.3f s\n", seconds(t1, t2));
  std::printf("ranking all candidates:            %.3f s  (goal: within 1 s)\n", seconds(t2, t3));
  if (!ranked.empty())
    std::printf("best: %s, gain %.4f %% of the limit per cost\n", planner.Units()[ranked[0].unit].label.c_str(),
                100 * ranked[0].effect.score);
  return 0;
}

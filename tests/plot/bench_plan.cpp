// Benchmark of the plan drawing: a whole redraw of the coordinate plan and
// of the measurement plan for a large network, cold (labels rendered for the
// first time) and warm (every later redraw). Prints the figures.
//   bench_plan [points [measurements [width height]]]
#include "core/survey_network.h"
#include "plot/plan_painter.h"
#include "plot/plan_view.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

double Ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int m = argc > 2 ? std::atoi(argv[2]) : 50000;
  const int w = argc > 4 ? std::atoi(argv[3]) : 1200;
  const int h = argc > 4 ? std::atoi(argv[4]) : 900;
  if (n < 2 || m < 0 || w < 60 || h < 60) {
    std::fprintf(stderr, "usage: bench_plan [points>=2 [measurements [width height]]]\n");
    return 2;
  }

  // Points scattered over about 2 km; each measurement joins a point with
  // one of its next seven neighbours in the list.
  SurveyNetwork net;
  for (int i = 0; i < n; ++i) {
    NetworkPoint p;
    p.Number = 1000 + i;
    p.X = 5000 + 900 * std::cos(i * 0.7) * (i % 97) / 97.0;
    p.Y = 2000 + 900 * std::sin(i * 0.7) * (i % 89) / 89.0;
    p.Z = 300 + (i % 50);
    p.Fixed = i < 3;
    net.Points.List.Append(p);
  }
  for (int k = 0; k < m; ++k) {
    const int s = k % n, t = (s + 1 + (k / n) % 7) % n;
    net.Measurements.AddMeasurement(std::uint8_t(k % 5), 0.001, 1000 + t, 1000 + s);
  }

  QImage img(w, h, QImage::Format_RGB888);
  kd::plot::PlanView view;
  view.Width = w;
  view.Height = h;
  view.FitAll(net.Points.List);
  const kd::plot::PlanStyle style;
  auto coordinatePlan = [&] {
    QPainter painter(&img);
    kd::plot::DrawCoordinatePlan(painter, view, net.Points.List, style);
  };
  auto measurementPlan = [&] {
    net.Measurements.ClearPairs();
    net.Measurements.BuildPairs();
    kd::plot::ComputePairPixels(view, net.Points.List, net.Measurements);
    QPainter painter(&img);
    kd::plot::DrawMeasurementPlan(painter, view, net.Points.List, net.Measurements, style);
  };

  using clock = std::chrono::steady_clock;
  const auto t0 = clock::now();
  coordinatePlan();
  const auto t1 = clock::now();
  coordinatePlan();
  const auto t2 = clock::now();
  measurementPlan();
  const auto t3 = clock::now();
  measurementPlan();
  const auto t4 = clock::now();
  view.Zoom(style.ZoomStep);
  measurementPlan();
  const auto t5 = clock::now();

  std::printf("plan %dx%d, %d points, %d measurements, %d point pairs\n", w, h, n, m,
              net.Measurements.PairCount());
  std::printf("coordinate plan redraw:  cold %8.1f ms  warm %8.1f ms\n", Ms(t0, t1), Ms(t1, t2));
  std::printf("measurement plan redraw: cold %8.1f ms  warm %8.1f ms  after zoom %8.1f ms\n",
              Ms(t2, t3), Ms(t3, t4), Ms(t4, t5));
  return 0;
}

#pragma once
// The generated test network of the benchmarks: n points at random in a
// square of side 100 m × √n, heights 200–300 m; each point sights its 5
// nearest neighbours with a direction (3 cc), a zenith angle (5 cc) and a
// slope distance (2 mm); the points nearest to three corners are fixed;
// Sc 1 mm, Svp 1 mm.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "core/survey_network.h"

inline SurveyNetwork GeneratedNetwork(int n, unsigned seed) {
  SurveyNetwork net;
  std::mt19937 rng(seed);
  const double side = std::sqrt(static_cast<double>(n)) * 100.0;
  std::uniform_real_distribution<double> ux(0, side), uz(200, 300);
  for (int i = 0; i < n; ++i) {
    NetworkPoint p;
    p.Number = i + 1;
    p.X = 1000 + ux(rng);
    p.Y = 5000 + ux(rng);
    p.Z = uz(rng);
    p.Sc = 0.001;
    p.Svp = 0.001;
    net.Points.List.Items.push_back(p);
  }
  auto &pts = net.Points.List.Items;
  auto dist = [&](int a, int b) {
    return std::hypot(static_cast<double>(pts[a].X - pts[b].X),
                      static_cast<double>(pts[a].Y - pts[b].Y));
  };
  // Fixed: the points nearest to three corners of the area.
  auto nearestTo = [&](double x, double y) {
    int best = 0;
    for (int i = 1; i < n; ++i)
      if (std::hypot(static_cast<double>(pts[i].X) - x, static_cast<double>(pts[i].Y) - y) <
          std::hypot(static_cast<double>(pts[best].X) - x, static_cast<double>(pts[best].Y) - y))
        best = i;
    return best;
  };
  for (int f : {nearestTo(1000, 5000), nearestTo(1000 + side, 5000),
                nearestTo(1000 + side / 2, 5000 + side)})
    pts[static_cast<std::size_t>(f)].Fixed = true;
  for (int i = 0; i < n; ++i) {
    std::vector<int> others;
    for (int j = 0; j < n; ++j)
      if (j != i)
        others.push_back(j);
    std::partial_sort(others.begin(), others.begin() + 5, others.end(),
                      [&](int a, int b) { return dist(i, a) < dist(i, b); });
    for (int k = 0; k < 5; ++k) {
      const double station = i + 1, target = others[static_cast<std::size_t>(k)] + 1;
      net.Measurements.AddMeasurement(3, 0.0003, target, station); // direction 3 cc
      net.Measurements.AddMeasurement(2, 0.0005, target, station); // zenith angle 5 cc
      net.Measurements.AddMeasurement(0, 0.002, target, station);  // slope distance 2 mm
    }
  }
  return net;
}

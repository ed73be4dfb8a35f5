// Writes the generated benchmark network of N points (generated_network.h)
// as a coordinate file and a measurement file, for timing the headless
// command:
//
//   bench_network N COORDINATES MEASUREMENTS [grid]
//
// With "grid" the network is the measurement design's grid of 50 columns
// (N/50 rows, rounded down): every point a station with directions, zenith
// angles and slope distances to its neighbours, a few gyro directions and
// three fixed corners; for sizes where random sights may leave a point
// undetermined.
#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include <cstring>

#include "bench/generated_network.h"
#include "design/generated_network.h"

int main(int argc, char **argv) {
  const bool grid = argc == 5 && std::strcmp(argv[4], "grid") == 0;
  if (argc != 4 && !grid) {
    std::fprintf(stderr, "usage: bench_network N COORDINATES MEASUREMENTS [grid]\n");
    return 64;
  }
  const int n = std::atoi(argv[1]);
  if (n < 10) {
    std::fprintf(stderr, "bench_network: N must be at least 10\n");
    return 64;
  }
  SurveyNetwork net = grid ? kd::design::test::GeneratedNetwork(std::max(3, n / 50), 50) : GeneratedNetwork(n, 7);
  net.Points.List.FileName = argv[2];
  if (net.Points.List.Save() != net.Points.List.Count() || net.Measurements.SaveToFile(argv[3]) != net.Measurements.Count()) {
    std::fprintf(stderr, "bench_network: cannot write the files\n");
    return 1;
  }
  return 0;
}

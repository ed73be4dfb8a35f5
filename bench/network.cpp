// Writes the generated benchmark network of N points (generated_network.h)
// as a coordinate file and a measurement file, for timing the headless
// command:
//
//   bench_network N COORDINATES MEASUREMENTS
#include <cstdio>
#include <cstdlib>

#include "bench/generated_network.h"

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_network N COORDINATES MEASUREMENTS\n");
    return 64;
  }
  const int n = std::atoi(argv[1]);
  if (n < 10) {
    std::fprintf(stderr, "bench_network: N must be at least 10\n");
    return 64;
  }
  SurveyNetwork net = GeneratedNetwork(n, 7);
  net.Points.List.FileName = argv[2];
  if (net.Points.List.Save() != n || net.Measurements.SaveToFile(argv[3]) != net.Measurements.Count()) {
    std::fprintf(stderr, "bench_network: cannot write the files\n");
    return 1;
  }
  return 0;
}

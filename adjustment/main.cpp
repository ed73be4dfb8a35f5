// The adjustment engine program ("gama.exe").
#include <iostream>
#include <string>
#include <vector>

#include "adjustment/run.h"

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kd::adj::RunEngine(args, std::cerr);
}

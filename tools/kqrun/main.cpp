// kq-run: the board without windows, from a ROM image; see Runner.h and --help.
#include <iostream>
#include <string>
#include <vector>

#include "tools/kqrun/Runner.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kqrun::RunMain(args, std::cout, std::cerr);
}

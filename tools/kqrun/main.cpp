// kq-run: the board without windows, from a ROM image; see Runner.h and --help.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "tools/kqrun/Runner.h"

int main(int argc, char** argv) {
  // Past a file size limit a write fails with EFBIG, whose failure the saves handle (the
  // old bytes put back, the reason said), rather than killing the program mid-write.
  std::signal(SIGXFSZ, SIG_IGN);
  kqrun::CatchStopSignals();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = kqrun::RunMain(args, std::cout, std::cerr);
  // The run's files are cleaned up by now; its parent sees the signal end the program.
  kqrun::EndByStopSignal();
  return status;
}

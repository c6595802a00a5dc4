// Speed of the whole board, unpaced, on the board test firmware with a chord sounding:
// slices of the core with the slice services and the audio renderer, as the headless
// runner runs them. The counter `mips` is millions of instructions per second of run
// time, `realtime_ratio` the emulated time per run time (8,000,000 instructions a
// second of emulated time). The board's set-up is not timed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "board/Uart.h"
#include "firmware/host/programs.h"
#include "tools/kqrun/HeadlessBoard.h"

namespace {

constexpr uint32_t kSlicesPerIteration = 1000;  // about a second of emulated time

// The board test firmware as a ROM file for the run's lifetime.
class RomFile {
 public:
  explicit RomFile(const firmware::ProgramImage& image)
      : path_((std::filesystem::temp_directory_path() / ("kq-bench-" + std::to_string(getpid()) + ".bin")).string()) {
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(image.data), std::streamsize(image.size));
  }
  ~RomFile() { std::filesystem::remove(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void BM_BoardUnpaced(benchmark::State& state) {
  const firmware::ProgramImage* image = firmware::FindProgram("boardtest", "O2");
  if (!image) {
    state.SkipWithError("the board test firmware is not built in");
    return;
  }
  RomFile rom(*image);
  kqrun::HeadlessBoard board(false);
  std::string error;
  if (!board.Start(rom.Path(), "", error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  board.RunSlices(50);
  const uint8_t chord[] = {0x90, 48, 100, 0x90, 55, 100, 0x90, 60, 100, 0x90, 64, 100, 0x90, 67, 100};
  UartQueueMidiIn(sizeof chord, chord);
  board.RunSlices(50);

  const uint64_t before = board.Instructions();
  for (auto _ : state) board.RunSlices(kSlicesPerIteration);
  const double instructions = double(board.Instructions() - before);
  state.counters["mips"] = benchmark::Counter(instructions / 1e6, benchmark::Counter::kIsRate);
  state.counters["realtime_ratio"] =
      benchmark::Counter(instructions / kqrun::kInstructionsPerSecond, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BoardUnpaced)->Name("Board/Unpaced")->Unit(benchmark::kMillisecond);

}  // namespace

// Speed of the 68000 core on the compiled processor programs: each image runs from reset
// to its STOP, again and again. The counter `mips` is millions of instructions per second
// of run time; the load of the image between runs is not timed.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "firmware/host/programs.h"

namespace {

using firmware::ProgramImage;

constexpr uint64_t kInstructionLimit = 100'000'000;

// Runs the images one after another per iteration.
void RunPrograms(benchmark::State& state, std::vector<const ProgramImage*> images) {
  uint64_t instructions = 0;
  for (auto _ : state) {
    for (const ProgramImage* image : images) {
      state.PauseTiming();
      firmware::LoadFlat(*image);
      state.ResumeTiming();
      firmware::CoreRun run = firmware::RunUntilStop(kInstructionLimit);
      instructions += run.instructions;
      if (!run.stopped) {
        state.SkipWithError((std::string(image->name) + " -" + image->level + " did not stop").c_str());
        return;
      }
    }
  }
  state.counters["mips"] = benchmark::Counter(double(instructions) / 1e6, benchmark::Counter::kIsRate);
  state.counters["instructions"] = double(instructions) / double(state.iterations());
}

const int kRegistered = [] {
  std::vector<const ProgramImage*> optimised;
  for (const ProgramImage& image : firmware::ProgramImages()) {
    if (image.map != firmware::MemoryMap::Flat) continue;
    std::string name = std::string("Core/") + image.name + "/" + image.level;
    benchmark::RegisterBenchmark(name.c_str(), RunPrograms, std::vector<const ProgramImage*>{&image})
        ->Unit(benchmark::kMillisecond);
    if (std::string(image.level) == "O2") optimised.push_back(&image);
  }
  benchmark::RegisterBenchmark("Core/AllPrograms/O2", RunPrograms, optimised)->Unit(benchmark::kMillisecond);
  return 0;
}();

}  // namespace

// The audio renderer at full load: all eight voices sounding from all four chips, every
// filter's cutoff moving between refills, both chorus lines on. A refill of 44 frames is
// what one slice of about a millisecond asks for.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>

#include "board/Dac.h"
#include "board/Output.h"
#include "board/WaveRender.h"

namespace {

void LoadBusyBoard() {
  WaveInit();
  for (int c = 0; c < 4; ++c) {
    WaveChip& chip = *WaveChips[c];
    for (int w = 0; w < 8; ++w)
      for (int i = 0; i < 128; ++i)
        chip.WaveTables[w][i] = float(std::sin((w + 1) * i * 2 * M_PI / 128) * 0.49);
    for (int v = 0; v < 8; ++v) {
      chip.Regs[v] = {uint16_t((v + c) & 7), uint16_t(200 + 97 * v + 31 * c)};
      chip.Levels[v] = 0.6f;
    }
  }
  for (int v = 0; v < 8; ++v) {
    VcaLevels[v] = 0.9f;
    PanPositions[v] = v / 7.0f;
  }
  LeftControls = {0.7f, 0.2f, 0.8f};
  RightControls = {0.5f, 0.6f, 0.8f};
  OutputEnable = LeftChorusOn = RightChorusOn = 1;
}

void BM_WaveRender(benchmark::State& state) {
  constexpr uint32_t kFrames = 44;
  LoadBusyBoard();
  int16_t out[kFrames * 2];
  float sweep = 0.0f;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    sweep = sweep >= 1.0f ? 0.0f : sweep + 1.0f / 256;
    for (int v = 0; v < 8; ++v) VcfCutoffs[v] = std::fmod(sweep + v * 0.1f, 1.0f) * 0.9f;
    WaveRender(out, kFrames, 44100);
    benchmark::DoNotOptimize(out);
  }
  const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
  state.counters["ns_per_frame"] = elapsed.count() / (double(state.iterations()) * kFrames);
}
BENCHMARK(BM_WaveRender);

}  // namespace

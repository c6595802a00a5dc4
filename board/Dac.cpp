#include "board/Dac.h"

#include <array>

#include "board/Io.h"
#include "board/Wave.h"

float VcaLevels[8];
float VcfCutoffs[8];
float PanPositions[8];
SideControls LeftControls;
SideControls RightControls;
float DacDummyTarget;

namespace {

constexpr std::array<float*, 64> BuildTargets() {
  std::array<float*, 64> t{};
  WaveChip* const chips[4] = {&WaveChipA, &WaveChipB, &WaveChipC, &WaveChipD};
  for (int k = 0; k < 8; ++k) {
    for (int j = 0; j < 4; ++j) t[4 * k + j] = &chips[j]->Levels[k];
    t[32 + k] = &VcaLevels[k];
    t[40 + k] = &VcfCutoffs[k];
    t[48 + k] = &PanPositions[k];
  }
  t[56] = &LeftControls.Res;
  t[57] = &RightControls.Res;
  t[58] = &LeftControls.Chorus;
  t[59] = &RightControls.Chorus;
  t[60] = &LeftControls.Final;
  t[61] = &RightControls.Final;
  t[62] = t[63] = &DacDummyTarget;
  return t;
}

}  // namespace

constinit const std::array<float*, 64> DacTargets = BuildTargets();

float* DacChannelTarget(uint32_t channel) { return DacTargets[channel & 63]; }

// Channel c is the word at offset 2c; address bits 0 and 7 are not decoded.
void DacWriteWord(uint32_t address, uint32_t value) {
  *DacChannelTarget(address >> 1) = float(static_cast<long double>(value & 0xFFF0) * (1.0L / 65520.0L));
}
void DacWriteByte(uint32_t, uint32_t) {}
void DacWriteLong(uint32_t, uint32_t) {}

void DacMap() { MapDeviceWriteHandlers(kDacPage, DacWriteByte, DacWriteWord, DacWriteLong); }

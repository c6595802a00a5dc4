// The 64-channel DAC: each word write sets one control voltage, a float of 0.0-1.0 with
// 12-bit resolution (value & 0xFFF0) / 65520, that the audio renderer reads.
#pragma once

#include <array>
#include <cstdint>

struct SideControls {
  float Res;     // filter resonance of the side's voices (left 0-3, right 4-7)
  float Chorus;  // chorus clock
  float Final;   // final volume
};

extern float VcaLevels[8];
extern float VcfCutoffs[8];
extern float PanPositions[8];
extern SideControls LeftControls;
extern SideControls RightControls;
// Channels 62 and 63 set it; nothing reads it.
extern float DacDummyTarget;

// By channel: 0-31 the chips' levels (channel 4k + j is level k of chip j, A-D), 32-39
// VcaLevels, 40-47 VcfCutoffs, 48-55 PanPositions, 56-61 Res, Chorus and Final of the
// left and right side in turn, 62-63 DacDummyTarget.
extern const std::array<float*, 64> DacTargets;

float* DacChannelTarget(uint32_t channel);

void DacWriteByte(uint32_t address, uint32_t value);
void DacWriteWord(uint32_t address, uint32_t value);
void DacWriteLong(uint32_t address, uint32_t value);

void DacMap();

// The four wave-generator chips A-D of eight oscillators (voices) each: wave memory
// loaded byte by byte through one load port per chip, a write-only register window, a
// reset strobe, and one output level per voice that the DAC sets. The chips compute no
// sound themselves: the audio renderer reads this state and advances the phases.
#pragma once

#include <atomic>
#include <cstdint>

struct WaveVoice {
  bool Noise;          // plays noise instead of its wave table
  uint32_t Phase;      // 16.16 fixed point over the 128-sample table; advanced by the renderer
  uint32_t PhaseStep;  // added to Phase per output frame; set by the renderer from Frequency
  const float* Table;  // the selected wave of WaveTables; set by the renderer from Control
};

struct WaveReg {
  uint16_t Control;  // bits 0-2 wave, 3 noise (taken with bit 14); voice 0: load pointer
  uint16_t Frequency;
};

struct WaveChip {
  WaveVoice Voices[8];
  // Wave memory as loaded: only the top 12 bits of a sample can be set.
  int16_t WaveRam[8][128];
  // WaveRam x 2^-16, kept up to date on every load: -0.5 to 0.5 - 2^-12.
  float WaveTables[8][128];
  // Output level of each voice, 0.0-1.0, written only by the DAC.
  float Levels[8];
  WaveReg Regs[8];
};

extern WaveChip WaveChipA;
extern WaveChip WaveChipB;
extern WaveChip WaveChipC;
extern WaveChip WaveChipD;
// The four chips by their number in the register decode: 0 A, 1 B, 2 C, 3 D.
extern WaveChip* const WaveChips[4];

// Set by every accepted wave-memory load, cleared by whoever draws the waves.
extern std::atomic<bool> WaveRamChanged;

void WaveRegWriteByte(uint32_t address, uint32_t value);
void WaveRegWriteWord(uint32_t address, uint32_t value);
void WaveRegWriteLong(uint32_t address, uint32_t value);
void WaveRamWriteByteA(uint32_t address, uint32_t value);
void WaveRamWriteWordA(uint32_t address, uint32_t value);
void WaveRamWriteLongA(uint32_t address, uint32_t value);
void WaveRamWriteByteB(uint32_t address, uint32_t value);
void WaveRamWriteWordB(uint32_t address, uint32_t value);
void WaveRamWriteLongB(uint32_t address, uint32_t value);
void WaveRamWriteByteC(uint32_t address, uint32_t value);
void WaveRamWriteWordC(uint32_t address, uint32_t value);
void WaveRamWriteLongC(uint32_t address, uint32_t value);
void WaveRamWriteByteD(uint32_t address, uint32_t value);
void WaveRamWriteWordD(uint32_t address, uint32_t value);
void WaveRamWriteLongD(uint32_t address, uint32_t value);
uint32_t WaveStrobeReadByte(uint32_t address);
uint32_t WaveStrobeReadWord(uint32_t address);
uint32_t WaveStrobeReadLong(uint32_t address);
void WaveStrobeWriteByte(uint32_t address, uint32_t value);
void WaveStrobeWriteWord(uint32_t address, uint32_t value);
void WaveStrobeWriteLong(uint32_t address, uint32_t value);

// Register window decode: bit 1 Control (0) or Frequency (1), bits 2-3 chip, bits 4-6
// voice; the 128-byte block repeats through the window.
void WaveRegWrite(uint32_t address, uint16_t value);
void WaveRegStore(WaveChip& chip, uint32_t address, uint16_t value);
// One byte through a chip's load port, to where voice 0's control register points.
void WaveRamWrite(WaveChip& chip, uint8_t byte);
// Registers, phases, noise flags and tables of every voice back to their start;
// wave memory and levels stay.
void WaveChipReset(WaveChip& chip);
void WaveResetAll();
void WaveChipInit(WaveChip& chip);

// Start-up: builds the four chips.
void WaveInit();
// Board set-up: maps the register window, the load ports and the strobe, and resets
// the chips' registers.
void WaveReset();

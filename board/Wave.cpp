#include "board/Wave.h"

#include <cstring>

#include "board/Io.h"

WaveChip WaveChipA;
WaveChip WaveChipB;
WaveChip WaveChipC;
WaveChip WaveChipD;
WaveChip* const WaveChips[4] = {&WaveChipA, &WaveChipB, &WaveChipC, &WaveChipD};

std::atomic<bool> WaveRamChanged{true};

void WaveRegStore(WaveChip& chip, uint32_t address, uint16_t value) {
  uint32_t voice = (address >> 4) & 7;
  if (address & 2) {
    chip.Regs[voice].Frequency = value;
    return;
  }
  chip.Regs[voice].Control = value;
  if (value & 0x4000) chip.Voices[voice].Noise = (value & 0x0008) != 0;
}

void WaveRegWrite(uint32_t address, uint16_t value) { WaveRegStore(*WaveChips[(address >> 2) & 3], address, value); }

void WaveRamWrite(WaveChip& chip, uint8_t byte) {
  // Voice 0's control register doubles as the load pointer: 1 0000 (bits 15-11), then
  // the upper wave bank (10), high or low byte (9), wave (8-7) and sample (6-0).
  uint16_t c = chip.Regs[0].Control;
  if ((c & 0xF800) != 0x8000) return;
  uint32_t wave = ((c >> 7) & 3) + (c & 0x0400 ? 4 : 0);
  uint32_t index = c & 0x7F;
  uint16_t sample = uint16_t(chip.WaveRam[wave][index]);
  if (c & 0x0200)
    sample = uint16_t((sample & 0x00FF) | byte << 8);
  else
    sample = uint16_t((sample & 0xFF00) | (byte & 0xF0));
  chip.WaveRam[wave][index] = int16_t(sample);
  chip.WaveTables[wave][index] = float(int16_t(sample)) * (1.0f / 65536.0f);
  WaveRamChanged = true;
}

void WaveChipReset(WaveChip& chip) {
  for (int v = 0; v < 8; ++v) {
    chip.Regs[v] = {0, 0};
    chip.Voices[v] = {false, 0, 0, chip.WaveTables[0]};
  }
}

void WaveResetAll() {
  for (WaveChip* chip : WaveChips) WaveChipReset(*chip);
}

void WaveChipInit(WaveChip& chip) {
  std::memset(chip.WaveRam, 0, sizeof chip.WaveRam);
  for (auto& wave : chip.WaveTables)
    for (float& sample : wave) sample = 0.0f;
  WaveChipReset(chip);
}

void WaveRegWriteByte(uint32_t address, uint32_t value) { WaveRegWrite(address, uint8_t(value)); }
void WaveRegWriteWord(uint32_t address, uint32_t value) { WaveRegWrite(address, uint16_t(value)); }
void WaveRegWriteLong(uint32_t address, uint32_t value) { WaveRegWrite(address, uint16_t(value)); }

// The load ports take the low byte of any access size; the address plays no part.
void WaveRamWriteByteA(uint32_t, uint32_t value) { WaveRamWrite(WaveChipA, uint8_t(value)); }
void WaveRamWriteWordA(uint32_t, uint32_t value) { WaveRamWrite(WaveChipA, uint8_t(value)); }
void WaveRamWriteLongA(uint32_t, uint32_t value) { WaveRamWrite(WaveChipA, uint8_t(value)); }
void WaveRamWriteByteB(uint32_t, uint32_t value) { WaveRamWrite(WaveChipB, uint8_t(value)); }
void WaveRamWriteWordB(uint32_t, uint32_t value) { WaveRamWrite(WaveChipB, uint8_t(value)); }
void WaveRamWriteLongB(uint32_t, uint32_t value) { WaveRamWrite(WaveChipB, uint8_t(value)); }
void WaveRamWriteByteC(uint32_t, uint32_t value) { WaveRamWrite(WaveChipC, uint8_t(value)); }
void WaveRamWriteWordC(uint32_t, uint32_t value) { WaveRamWrite(WaveChipC, uint8_t(value)); }
void WaveRamWriteLongC(uint32_t, uint32_t value) { WaveRamWrite(WaveChipC, uint8_t(value)); }
void WaveRamWriteByteD(uint32_t, uint32_t value) { WaveRamWrite(WaveChipD, uint8_t(value)); }
void WaveRamWriteWordD(uint32_t, uint32_t value) { WaveRamWrite(WaveChipD, uint8_t(value)); }
void WaveRamWriteLongD(uint32_t, uint32_t value) { WaveRamWrite(WaveChipD, uint8_t(value)); }

namespace {

uint32_t Strobe(uint32_t ones) {
  WaveResetAll();
  return ones;
}

}  // namespace

uint32_t WaveStrobeReadByte(uint32_t) { return Strobe(0xFF); }
uint32_t WaveStrobeReadWord(uint32_t) { return Strobe(0xFFFF); }
uint32_t WaveStrobeReadLong(uint32_t) { return Strobe(0xFFFFFFFF); }
void WaveStrobeWriteByte(uint32_t, uint32_t) { Strobe(0); }
void WaveStrobeWriteWord(uint32_t, uint32_t) { Strobe(0); }
void WaveStrobeWriteLong(uint32_t, uint32_t) { Strobe(0); }

void WaveInit() {
  for (WaveChip* chip : WaveChips) WaveChipInit(*chip);
  // The audio renderer's voice filters and chorus lines are built here too, after the
  // chips; their state belongs to the renderer.
  WaveRamChanged = true;
}

void WaveReset() {
  MapWriteHandlers(kWaveRegBase, kWaveRegSize, WaveRegWriteByte, WaveRegWriteWord, WaveRegWriteLong);
  MapDeviceWriteHandlers(kWaveRamPageA, WaveRamWriteByteA, WaveRamWriteWordA, WaveRamWriteLongA);
  MapDeviceWriteHandlers(kWaveRamPageB, WaveRamWriteByteB, WaveRamWriteWordB,
                         WaveRamWriteLongB);
  MapDeviceWriteHandlers(kWaveRamPageC, WaveRamWriteByteC, WaveRamWriteWordC,
                         WaveRamWriteLongC);
  MapDeviceWriteHandlers(kWaveRamPageD, WaveRamWriteByteD, WaveRamWriteWordD,
                         WaveRamWriteLongD);
  MapDeviceReadHandlers(kWaveStrobePage, WaveStrobeReadByte, WaveStrobeReadWord, WaveStrobeReadLong);
  MapDeviceWriteHandlers(kWaveStrobePage, WaveStrobeWriteByte, WaveStrobeWriteWord,
                         WaveStrobeWriteLong);
  WaveResetAll();
}

// The wave chips: register decode, the wave-memory load protocol and the reset strobe.
#include <gtest/gtest.h>

#include "board/Wave.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using WaveTest = kqtest::BoardTest;

TEST_F(WaveTest, RegistersAreDecodedFromAddressBits1To6) {
  m68k::WriteByte(0x16000, 0xFF);
  EXPECT_EQ(WaveChipA.Regs[0].Control, 0x00FF);
  m68k::WriteWord(0x1607E, 0x1234);
  EXPECT_EQ(WaveChipD.Regs[7].Frequency, 0x1234);
  m68k::WriteWord(0x16080, 0x0005);  // the 128-byte block repeats
  EXPECT_EQ(WaveChipA.Regs[0].Control, 0x0005);
  m68k::WriteLong(0x17FF6, 0xABCD5678);  // chip B, voice 7, frequency; low half only
  EXPECT_EQ(WaveChipB.Regs[7].Frequency, 0x5678);
  m68k::WriteWord(0x16029, 0x0777);  // bit 0 ignored: chip C, voice 2, control
  EXPECT_EQ(WaveChipC.Regs[2].Control, 0x0777);

  int written = 0;
  for (WaveChip* chip : WaveChips)
    for (const WaveReg& r : chip->Regs) written += (r.Control != 0) + (r.Frequency != 0);
  EXPECT_EQ(written, 4);
}

TEST_F(WaveTest, NoiseFollowsBit3OnlyWhenBit14IsSet) {
  bool& noise = WaveChipB.Voices[3].Noise;
  m68k::WriteWord(0x16034, 0x0008);
  EXPECT_FALSE(noise);
  m68k::WriteWord(0x16034, 0x4008);
  EXPECT_TRUE(noise);
  m68k::WriteWord(0x16034, 0x0000);
  EXPECT_TRUE(noise);
  m68k::WriteWord(0x16034, 0x4000);
  EXPECT_FALSE(noise);
}

TEST_F(WaveTest, TheLoadPortWritesWhereVoice0Points) {
  WaveRamChanged = false;
  m68k::WriteWord(0x16000, 0x8283);  // high byte, wave 1, sample 3
  m68k::WriteByte(0x1E800, 0xAB);
  EXPECT_EQ(uint16_t(WaveChipA.WaveRam[1][3]), 0xAB00);
  EXPECT_EQ(WaveChipA.WaveTables[1][3], float(int16_t(0xAB00)) / 65536.0f);
  EXPECT_TRUE(WaveRamChanged);

  m68k::WriteWord(0x16000, 0x8483);  // low byte, wave 5, sample 3
  m68k::WriteWord(0x1F8FE, 0x12AB);  // any size, any offset: the low byte
  EXPECT_EQ(uint16_t(WaveChipA.WaveRam[5][3]), 0x00A0);
  m68k::WriteWord(0x16000, 0x8683);  // high byte of the same sample
  m68k::WriteLong(0x1E810, 0x7F);
  EXPECT_EQ(uint16_t(WaveChipA.WaveRam[5][3]), 0x7FA0);
  EXPECT_EQ(WaveChipA.WaveTables[5][3], float(0x7FA0) / 65536.0f);
}

TEST_F(WaveTest, TheTablesSpanMinusAHalfToAlmostAHalf) {
  auto load = [](uint16_t pointer, uint8_t byte) {
    m68k::WriteWord(0x16000, pointer);
    m68k::WriteByte(0x1E800, byte);
  };
  load(0x827F, 0x80), load(0x807F, 0x00);  // sample 127 of wave 0: 0x8000
  load(0x8200, 0x7F), load(0x8000, 0xFF);  // sample 0 of wave 0: 0x7FF0
  EXPECT_EQ(WaveChipA.WaveTables[0][127], -0.5f);
  EXPECT_EQ(WaveChipA.WaveTables[0][0], 0.5f - 1.0f / 4096.0f);
}

TEST_F(WaveTest, EachChipHasItsOwnPortAndPointer) {
  const uint32_t ports[4] = {0x1E800, 0x1F900, 0x1EA00, 0x1FB00};
  for (int chip = 0; chip < 4; ++chip) {
    m68k::WriteWord(0x16000 + 4 * chip, uint16_t(0x8200 | (chip + 10)));
    m68k::WriteByte(ports[chip], uint8_t(0x10 * (chip + 1)));
  }
  for (int chip = 0; chip < 4; ++chip) {
    for (int other = 0; other < 4; ++other) {
      int16_t expected = other == chip ? int16_t(0x1000 * (chip + 1)) : 0;
      EXPECT_EQ(WaveChips[chip]->WaveRam[0][other + 10], expected) << chip << other;
    }
  }
}

TEST_F(WaveTest, BytesOutsideALoadPatternAreDropped) {
  for (uint16_t control : {0x0000, 0xC000, 0x8800, 0x0283, 0xFFFF}) {
    WaveRamChanged = false;
    m68k::WriteWord(0x16000, control);
    m68k::WriteByte(0x1E800, 0x55);
    EXPECT_FALSE(WaveRamChanged) << control;
  }
  for (const auto& wave : WaveChipA.WaveRam)
    for (int16_t sample : wave) ASSERT_EQ(sample, 0);
}

TEST_F(WaveTest, TheStrobeResetsEveryVoiceButKeepsWavesAndLevels) {
  const uint32_t strobes[] = {0x1ED00, 0x1FDFF, 0x1ED42};
  for (int size : {1, 2, 4})
    for (bool read : {true, false}) {
      for (WaveChip* chip : WaveChips) {
        for (int v = 0; v < 8; ++v) {
          chip->Regs[v] = {0x4008, 0x1234};
          chip->Voices[v] = {true, 0x10000, 77, chip->WaveTables[3]};
        }
        chip->WaveRam[2][5] = 0x1230;
        chip->Levels[4] = 0.5f;
      }
      uint32_t a = strobes[size % 3];
      if (read) {
        uint32_t ones = size == 1 ? m68k::ReadByte(a) : size == 2 ? m68k::ReadWord(a) : m68k::ReadLong(a);
        EXPECT_EQ(ones, size == 1 ? 0xFFu : size == 2 ? 0xFFFFu : 0xFFFFFFFFu);
      } else {
        size == 1 ? m68k::WriteByte(a, 0) : size == 2 ? m68k::WriteWord(a, 0) : m68k::WriteLong(a, 0);
      }
      for (WaveChip* chip : WaveChips) {
        for (int v = 0; v < 8; ++v) {
          EXPECT_EQ(chip->Regs[v].Control, 0);
          EXPECT_EQ(chip->Regs[v].Frequency, 0);
          EXPECT_FALSE(chip->Voices[v].Noise);
          EXPECT_EQ(chip->Voices[v].Phase, 0u);
          EXPECT_EQ(chip->Voices[v].PhaseStep, 0u);
          EXPECT_EQ(chip->Voices[v].Table, chip->WaveTables[0]);
        }
        EXPECT_EQ(chip->WaveRam[2][5], 0x1230);
        EXPECT_EQ(chip->Levels[4], 0.5f);
      }
    }
}

TEST_F(WaveTest, ReadsOfRegistersAndPortsAreOpenBus) {
  EXPECT_EQ(m68k::ReadWord(0x16000), 0xFFFFu);
  EXPECT_EQ(m68k::ReadLong(0x17FFC), 0xFFFFFFFFu);
  EXPECT_EQ(m68k::ReadByte(0x1EA00), 0xFFu);
}

TEST_F(WaveTest, AtStartTheWavesCountAsChanged) {
  EXPECT_TRUE(WaveRamChanged);
  for (WaveChip* chip : WaveChips)
    for (const WaveVoice& v : chip->Voices) EXPECT_EQ(v.Table, chip->WaveTables[0]);
}

}  // namespace

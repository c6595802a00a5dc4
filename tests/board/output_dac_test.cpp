// The DAC's channels and values, the two output latches, and the program digits and
// button lights they drive.
#include <gtest/gtest.h>

#include <cmath>

#include "board/Dac.h"
#include "board/Emulator.h"
#include "board/Output.h"
#include "board/Wave.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::BoardTest;

// The control voltage each DAC channel sets, by name.
float& ChannelVariable(int c) {
  WaveChip* chips[4] = {&WaveChipA, &WaveChipB, &WaveChipC, &WaveChipD};
  if (c < 32) return chips[c % 4]->Levels[c / 4];
  if (c < 40) return VcaLevels[c - 32];
  if (c < 48) return VcfCutoffs[c - 40];
  if (c < 56) return PanPositions[c - 48];
  switch (c) {
    case 56: return LeftControls.Res;
    case 57: return RightControls.Res;
    case 58: return LeftControls.Chorus;
    case 59: return RightControls.Chorus;
    case 60: return LeftControls.Final;
    case 61: return RightControls.Final;
    default: return DacDummyTarget;
  }
}

float Dac(uint32_t value) { return float(value & 0xFFF0) / 65520.0f; }

using DacTest = BoardTest;

TEST_F(DacTest, EachChannelSetsItsOwnControl) {
  for (int c = 0; c < 62; ++c) {
    m68k::WriteWord(0x1E700 + 2 * c, uint32_t(c + 1) << 4);
    ASSERT_EQ(DacChannelTarget(c), &ChannelVariable(c)) << c;
  }
  for (int c = 0; c < 62; ++c) EXPECT_EQ(ChannelVariable(c), Dac(uint32_t(c + 1) << 4)) << c;
  EXPECT_EQ(DacDummyTarget, 0.0f);
  EXPECT_EQ(&WaveChipD.Levels[0], DacChannelTarget(3));
  EXPECT_EQ(&WaveChipD.Levels[7], DacChannelTarget(31));
}

TEST_F(DacTest, ChannelsAreDecodedFromAddressBits1To6OnBothPages) {
  m68k::WriteWord(0x1E750, 0xFFFF);
  EXPECT_EQ(VcfCutoffs[0], 1.0f);
  m68k::WriteWord(0x1F740, 0x8000);
  EXPECT_EQ(VcaLevels[0], 32768.0f / 65520.0f);
  m68k::WriteWord(0x1E780, 0x1230);  // bit 7 ignored: channel 0
  EXPECT_EQ(WaveChipA.Levels[0], Dac(0x1230));
  m68k::WriteWord(0x1E703, 0x4560);  // bit 0 ignored: channel 1
  EXPECT_EQ(WaveChipB.Levels[0], Dac(0x4560));
  for (uint32_t a : {0x1E77Cu, 0x1E77Eu}) {
    m68k::WriteWord(a, 0x7770);
    EXPECT_EQ(DacDummyTarget, Dac(0x7770));
    for (int c = 0; c < 62; ++c) EXPECT_NE(ChannelVariable(c), Dac(0x7770)) << c;
    DacDummyTarget = 0;
  }
}

TEST_F(DacTest, ByteAndLongWritesAndReadsDoNothing) {
  m68k::WriteByte(0x1E750, 0xFF);
  m68k::WriteLong(0x1E750, 0xFFFFFFFF);
  m68k::WriteLong(0x1F74E, 0xFFFFFFFF);
  for (int c = 0; c < 64; ++c) EXPECT_EQ(*DacChannelTarget(c), 0.0f) << c;
  EXPECT_EQ(m68k::ReadWord(0x1E750), 0xFFFFu);
  EXPECT_EQ(m68k::ReadLong(0x1F700), 0xFFFFFFFFu);
}

TEST_F(DacTest, EveryCodeIsTheNearestFloatToItsFractionOf0xFFF0) {
  float previous = -1.0f;
  for (uint32_t code = 0; code < 4096; ++code) {
    uint32_t value = code << 4 | (code * 7 & 0xF);  // the low four bits are dropped
    m68k::WriteWord(0x1E750, value);
    float f = VcfCutoffs[0];
    long double exact = (long double)(code * 16) / 65520.0L;
    long double error = std::fabs((long double)f - exact);
    EXPECT_LE(error, std::fabs((long double)std::nextafter(f, 2.0f) - exact)) << code;
    EXPECT_LE(error, std::fabs((long double)std::nextafter(f, -1.0f) - exact)) << code;
    EXPECT_GT(f, previous) << code;
    previous = f;
  }
  EXPECT_EQ(previous, 1.0f);
  m68k::WriteWord(0x1E750, 0x000F);
  EXPECT_EQ(VcfCutoffs[0], 0.0f);
}

// ---- Output latches ----------------------------------------------------------------

struct Lines {
  uint8_t rightChorus, leftChorus, output, backlight, baud, wrsel;
  bool operator==(const Lines&) const = default;
};
Lines CurrentLines() { return {RightChorusOn, LeftChorusOn, OutputEnable, BacklightEnable, Baud, Wrsel}; }

using LatchTest = BoardTest;

TEST_F(LatchTest, AByteSetsOnlyTheDigits) {
  m68k::WriteWord(0x1E400, 0x3F00);
  m68k::WriteByte(0x1E400, 0x93);
  EXPECT_EQ(LeftDigit, 3);
  EXPECT_EQ(RightDigit, 9);
  EXPECT_EQ(CurrentLines(), (Lines{1, 1, 1, 1, 1, 1}));
}

TEST_F(LatchTest, AWordSetsTheControlLinesToo) {
  m68k::WriteWord(0x1F4F2, 0x04A5);
  EXPECT_EQ(CurrentLines(), (Lines{0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(LeftDigit, 5);
  EXPECT_EQ(RightDigit, 10);
  const Lines one[6] = {{1, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0},
                        {0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 1}};
  for (int bit = 8; bit < 14; ++bit) {
    m68k::WriteWord(0x1E400, (1u << bit) | 0xC000);  // bits 14 and 15 mean nothing
    EXPECT_EQ(CurrentLines(), one[bit - 8]) << bit;
  }
  m68k::WriteLong(0x1E400, 0xFFFF0077);  // a long write is a word write of its low half
  EXPECT_EQ(CurrentLines(), (Lines{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(LeftDigit, 7);
  EXPECT_EQ(RightDigit, 7);
}

// Lit buttons after the slice service, in LedStates order.
std::vector<std::string> LitButtons() {
  SliceService(0);
  std::vector<std::string> lit;
  for (int b = 0; b < kPanelButtonCount; ++b)
    if (ButtonLED[b] == kLedOn) lit.push_back(PanelButtonNames[b]);
  return lit;
}

TEST_F(LatchTest, TheLightsAreActiveLow) {
  const char* lights[10] = {"Split",           "Double",           "Store",   "ChorusRight",
                            "ChorusLeft",      "CartridgeSelect",  "ArpLatchTranspose",
                            "ArpOnOffRate",    "Review",           "EditWaveform"};
  for (int n = 0; n < 10; ++n) {
    m68k::WriteWord(0x1E500, ~(1u << n) & 0xFFFF);
    auto lit = LitButtons();
    ASSERT_EQ(lit.size(), 1u) << n;
    EXPECT_EQ(lit[0], lights[n]);
  }
  m68k::WriteByte(0x1F500, 0xFE);
  EXPECT_EQ(LitButtons(), (std::vector<std::string>{"Split", "EditWaveform"}));  // bit 9 kept
  m68k::WriteWord(0x1E500, 0xFDFF);
  EXPECT_EQ(LitButtons(), (std::vector<std::string>{"EditWaveform"}));
  m68k::WriteLong(0x1E500, 0x12340000);
  EXPECT_EQ(LitButtons().size(), 10u);
  m68k::WriteWord(0x1E500, 0xFFFF);
  EXPECT_TRUE(LitButtons().empty());
}

TEST_F(LatchTest, OnlyTheTenLightButtonsShowALight) {
  EXPECT_EQ(std::count(ButtonLED, ButtonLED + kPanelButtonCount, kLedNone), kPanelButtonCount);
  SliceService(0);
  EXPECT_EQ(std::count(ButtonLED, ButtonLED + kPanelButtonCount, kLedOff), 10);
  EXPECT_EQ(std::count(ButtonLED, ButtonLED + kPanelButtonCount, kLedNone), kPanelButtonCount - 10);
}

TEST_F(LatchTest, LatchPagesReadAsOpenBus) {
  EXPECT_EQ(m68k::ReadByte(0x1E400), 0xFFu);
  EXPECT_EQ(m68k::ReadWord(0x1F500), 0xFFFFu);
}

// ---- Program display ---------------------------------------------------------------

// The display shows glyphs g0 on the left and g1 on the right.
void ExpectDigitGlyphs(int g0, int g1) {
  const Bitmap& glyphs = SevenSegmentGlyphs();
  ASSERT_EQ(SevenSegmentDisplay.Width(), 70);
  ASSERT_EQ(SevenSegmentDisplay.Height(), 50);
  int mismatches = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 70; ++x) {
      int glyph = x < 35 ? g0 : g1;
      mismatches += SevenSegmentDisplay.Pixel(x, y) != glyphs.Pixel(x % 35, glyph * 50 + y);
    }
  EXPECT_EQ(mismatches, 0) << g0 << " " << g1;
}

TEST_F(LatchTest, TheDisplayStartsBlankAndFollowsTheDigits) {
  ExpectDigitGlyphs(0, 0);
  m68k::WriteByte(0x1E400, 0x93);
  ExpectDigitGlyphs(0, 0);  // drawn after the slice
  SliceService(0);
  ExpectDigitGlyphs(4, 10);
  m68k::WriteByte(0x1E400, 0xF0);
  SliceService(0);
  ExpectDigitGlyphs(1, 0);  // 0 and 15 (blank)
  for (int d = 0; d < 10; ++d) {
    m68k::WriteByte(0x1E400, uint32_t(d << 4 | (9 - d)));
    SliceService(0);
    ExpectDigitGlyphs(10 - d, d + 1);
  }
}

}  // namespace

// The switch matrix with every button and PC key, and the analog inputs.
#include <gtest/gtest.h>

#include <string>

#include "board/Adc.h"
#include "board/Panel.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::BoardTest;

// Where each button sits in the matrix (row, bit), with the PC key merged into its bit.
struct Position {
  const char* button;
  int row, bit;
  const char* key;
};
constexpr Position kMatrix[] = {
    {"FilterCutoff", 1, 0, nullptr},         {"FilterEnvAmount", 1, 1, nullptr},
    {"FilterResonance", 1, 2, nullptr},      {"FineFreq", 1, 3, nullptr},
    {"CoarseFreq", 1, 4, nullptr},           {"Wave", 1, 5, nullptr},
    {"Enter", 1, 6, "Enter"},                {"OscillatorSelect", 1, 7, nullptr},
    {"Split", 2, 0, nullptr},                {"Double", 2, 1, nullptr},
    {"LinkSelect", 2, 2, nullptr},           {"Store", 2, 3, nullptr},
    {"Review", 2, 4, nullptr},               {"Name", 2, 5, nullptr},
    {"EditWaveform", 2, 6, nullptr},         {"EnvelopeSelect", 3, 0, nullptr},
    {"LFOSelect", 3, 1, nullptr},            {"ModulationSourceSelect", 3, 2, nullptr},
    {"ModulationDestSelect", 3, 3, nullptr}, {"PitchWheelRange", 4, 0, nullptr},
    {"MasterTune", 4, 1, nullptr},           {"ChorusRateDepth", 4, 2, nullptr},
    {"ChorusRight", 4, 3, nullptr},          {"ChorusLeft", 4, 4, nullptr},
    {"ProgramVolume", 4, 5, nullptr},        {"Glide", 4, 6, nullptr},
    {"VoicePan", 4, 7, nullptr},             {"EnvelopePointSelect", 5, 0, nullptr},
    {"EnvelopeRate", 5, 1, nullptr},         {"EnvelopeLevel", 5, 2, nullptr},
    {"EnvelopeLoop", 5, 3, nullptr},         {"EnvelopeRepeat", 5, 4, nullptr},
    {"LFOShape", 5, 5, nullptr},             {"LFORate", 5, 6, nullptr},
    {"UnisonDetune", 5, 7, nullptr},         {"MidiOptionSelect", 6, 0, nullptr},
    {"MidiChannelLR", 6, 1, nullptr},        {"ArpOptionSelect", 6, 2, nullptr},
    {"ArpLatchTranspose", 6, 3, nullptr},    {"ArpOnOffRate", 6, 4, nullptr},
    {"CartridgeSelect", 6, 5, nullptr},      {"ProgramSelect8", 6, 6, "8"},
    {"ProgramSelect9", 6, 7, "9"},           {"ProgramSelect0", 7, 0, "0"},
    {"ProgramSelect1", 7, 1, "1"},           {"ProgramSelect2", 7, 2, "2"},
    {"ProgramSelect3", 7, 3, "3"},           {"ProgramSelect4", 7, 4, "4"},
    {"ProgramSelect5", 7, 5, "5"},           {"ProgramSelect6", 7, 6, "6"},
    {"ProgramSelect7", 7, 7, "7"},
};

PcKey KeyNamed(const std::string& name) {
  return name == "Enter" ? PcKey::Enter : PcKey(name[0] - '0');
}

// The eight rows as byte reads.
std::array<uint32_t, 8> Rows() {
  std::array<uint32_t, 8> rows;
  for (uint32_t r = 0; r < 8; ++r) rows[r] = m68k::ReadByte(0x1E300 + 2 * r);
  return rows;
}

std::array<uint32_t, 8> OnlyBit(int row, int bit) {
  std::array<uint32_t, 8> rows{};
  rows[row] = 1u << bit;
  return rows;
}

using SwitchesTest = BoardTest;

TEST_F(SwitchesTest, EveryButtonSetsItsOwnBitAndNoOther) {
  ASSERT_EQ(std::size(kMatrix), size_t(kPanelButtonCount));
  EXPECT_EQ(Rows(), (std::array<uint32_t, 8>{}));
  for (const Position& p : kMatrix) {
    auto button = FindPanelButton(p.button);
    ASSERT_TRUE(button) << p.button;
    Pressed(*button) = 1;
    EXPECT_EQ(Rows(), OnlyBit(p.row, p.bit)) << p.button;
    Pressed(*button) = 0;
  }
}

TEST_F(SwitchesTest, EveryPcKeyActsAsItsButton) {
  int keys = 0;
  for (const Position& p : kMatrix) {
    if (!p.key) continue;
    ++keys;
    KeyDown(KeyNamed(p.key)) = 1;
    EXPECT_EQ(Rows(), OnlyBit(p.row, p.bit)) << "key " << p.key;
    // Button and key together are still one bit.
    Pressed(*FindPanelButton(p.button)) = 1;
    EXPECT_EQ(Rows(), OnlyBit(p.row, p.bit)) << "key " << p.key;
    Pressed(*FindPanelButton(p.button)) = 0;
    KeyDown(KeyNamed(p.key)) = 0;
  }
  EXPECT_EQ(keys, kPcKeyCount);
}

TEST_F(SwitchesTest, UnusedPositionsStayClearWithEverythingDown) {
  for (auto& p : ButtonPressed) p = 1;
  for (auto& k : PcKeyDown) k = 1;
  EXPECT_EQ(Rows(), (std::array<uint32_t, 8>{0x00, 0xFF, 0x7F, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(m68k::ReadLong(0x1E300), 0xFFFFF300u);
}

TEST_F(SwitchesTest, RowsAreDecodedFromAddressBits1To3OnBothPages) {
  Pressed(PanelButton::ProgramSelect3) = 2;  // latched by a right click
  EXPECT_EQ(m68k::ReadWord(0x1E30E), 0xF308u);
  EXPECT_EQ(m68k::ReadWord(0x1F30F), 0xF308u);
  EXPECT_EQ(m68k::ReadWord(0x1E3FE), 0xF308u);
  EXPECT_EQ(m68k::ReadLong(0x1E3EE), 0xFFFFF308u);
  EXPECT_EQ(m68k::ReadByte(0x1E3F1), 0x00u);  // row 0
  Pressed(PanelButton::ProgramSelect3) = 0;
  KeyDown(PcKey::Digit3) = 1;
  EXPECT_EQ(m68k::ReadWord(0x1E30E), 0xF308u);
  KeyDown(PcKey::Digit3) = 0;
}

TEST_F(SwitchesTest, WritesToTheMatrixChangeNothing) {
  Pressed(PanelButton::Store) = 1;
  m68k::WriteLong(0x1E304, 0);
  m68k::WriteByte(0x1F304, 0);
  EXPECT_EQ(m68k::ReadByte(0x1E304), 0x08u);
  Pressed(PanelButton::Store) = 0;
}

TEST(PanelButtons, NamesAreTheFieldNamesInLayoutOrder) {
  EXPECT_STREQ(PanelButtonNames[0], "ProgramSelect0");
  EXPECT_STREQ(PanelButtonNames[int(PanelButton::Wave)], "Wave");
  EXPECT_STREQ(PanelButtonNames[kPanelButtonCount - 1], "Store");
  for (int i = 0; i < kPanelButtonCount; ++i) {
    ASSERT_NE(PanelButtonNames[i], nullptr) << i;
    EXPECT_EQ(FindPanelButton(PanelButtonNames[i]), PanelButton(i));
  }
  EXPECT_EQ(FindPanelButton("ProgramSelect10"), std::nullopt);
}

// ---- Analog inputs -----------------------------------------------------------------

using AdcTest = BoardTest;

TEST_F(AdcTest, AnyAccessToTheSelectPageLatchesTheChannel) {
  for (uint32_t n = 0; n < 8; ++n) AdcInputs[n] = 0x100 + 0x11 * n;  // only the low byte counts
  AdcInputs[0] = AdcInputs[1] = AdcInputs[7] = 0;
  struct Select {
    uint32_t (*access)(uint32_t address);
    uint32_t ones;
  };
  const Select selects[] = {
      {[](uint32_t a) { return m68k::ReadByte(a); }, 0xFF},
      {[](uint32_t a) { return m68k::ReadWord(a); }, 0xFFFF},
      {[](uint32_t a) { return m68k::ReadLong(a); }, 0xFFFFFFFF},
      {[](uint32_t a) { return m68k::WriteByte(a, 0), 0xFFu; }, 0xFF},
      {[](uint32_t a) { return m68k::WriteWord(a, 0), 0xFFFFu; }, 0xFFFF},
      {[](uint32_t a) { return m68k::WriteLong(a, 0), 0xFFFFFFFFu; }, 0xFFFFFFFF},
  };
  uint32_t page = 0x1E600;
  for (const Select& select : selects) {
    for (uint32_t n = 0; n < 8; ++n) {
      EXPECT_EQ(select.access(page + 0x30 + 2 * n + (n & 1)), select.ones);
      uint32_t expected = n == 0 || n == 1 || n == 7 ? 0 : (0x11 * n) & 0xFF;
      EXPECT_EQ(m68k::ReadByte(0x1EF00), expected) << n;
      EXPECT_EQ(m68k::ReadWord(0x1FF42), expected) << n;
      EXPECT_EQ(m68k::ReadLong(0x1EFFC), expected) << n;
    }
    page ^= 0x1000;
  }
}

TEST_F(AdcTest, TheResultStaysUntilTheNextSelection) {
  AdcInputs[kAdcDataEntry] = 200;
  EXPECT_EQ(m68k::ReadByte(0x1F608), 0xFFu);
  AdcInputs[kAdcDataEntry] = 10;
  EXPECT_EQ(m68k::ReadLong(0x1EF00), 200u);
  m68k::WriteLong(0x1EF00, 0);  // the result page ignores writes
  EXPECT_EQ(m68k::ReadByte(0x1EF00), 200u);
  m68k::WriteByte(0x1E609, 0);
  EXPECT_EQ(m68k::ReadByte(0x1EF00), 10u);
}

}  // namespace

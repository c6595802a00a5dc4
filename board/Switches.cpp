#include "board/Switches.h"

#include "board/Io.h"
#include "board/Panel.h"

namespace {

// What sets one bit of a row: a button, and a PC key that counts as the same button.
struct SwitchBit {
  int button = -1;
  int key = -1;
};

using B = PanelButton;
using K = PcKey;

constexpr SwitchBit S(B button) { return {int(button), -1}; }
constexpr SwitchBit S(B button, K key) { return {int(button), int(key)}; }
constexpr SwitchBit None{};

// Rows by bit 0 to bit 7.
constexpr SwitchBit kSwitchRows[8][8] = {
    {None, None, None, None, None, None, None, None},
    {S(B::FilterCutoff), S(B::FilterEnvAmount), S(B::FilterResonance), S(B::FineFreq),
     S(B::CoarseFreq), S(B::Wave), S(B::Enter, K::Enter), S(B::OscillatorSelect)},
    {S(B::Split), S(B::Double), S(B::LinkSelect), S(B::Store), S(B::Review), S(B::Name),
     S(B::EditWaveform), None},
    {S(B::EnvelopeSelect), S(B::LFOSelect), S(B::ModulationSourceSelect),
     S(B::ModulationDestSelect), None, None, None, None},
    {S(B::PitchWheelRange), S(B::MasterTune), S(B::ChorusRateDepth), S(B::ChorusRight),
     S(B::ChorusLeft), S(B::ProgramVolume), S(B::Glide), S(B::VoicePan)},
    {S(B::EnvelopePointSelect), S(B::EnvelopeRate), S(B::EnvelopeLevel), S(B::EnvelopeLoop),
     S(B::EnvelopeRepeat), S(B::LFOShape), S(B::LFORate), S(B::UnisonDetune)},
    {S(B::MidiOptionSelect), S(B::MidiChannelLR), S(B::ArpOptionSelect),
     S(B::ArpLatchTranspose), S(B::ArpOnOffRate), S(B::CartridgeSelect),
     S(B::ProgramSelect8, K::Digit8), S(B::ProgramSelect9, K::Digit9)},
    {S(B::ProgramSelect0, K::Digit0), S(B::ProgramSelect1, K::Digit1),
     S(B::ProgramSelect2, K::Digit2), S(B::ProgramSelect3, K::Digit3),
     S(B::ProgramSelect4, K::Digit4), S(B::ProgramSelect5, K::Digit5),
     S(B::ProgramSelect6, K::Digit6), S(B::ProgramSelect7, K::Digit7)},
};

bool IsDown(const SwitchBit& s) {
  if (s.button < 0) return false;
  if (ButtonPressed[s.button].load(std::memory_order_relaxed)) return true;
  return s.key >= 0 && PcKeyDown[s.key].load(std::memory_order_relaxed);
}

template <int Row> uint32_t ReadSwitchRow() {
  uint32_t bits = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (IsDown(kSwitchRows[Row][bit])) bits |= 1u << bit;
  return bits;
}

}  // namespace

const SwitchRow SwitchRowTable[8] = {
    ReadSwitchRow<0>, ReadSwitchRow<1>, ReadSwitchRow<2>, ReadSwitchRow<3>,
    ReadSwitchRow<4>, ReadSwitchRow<5>, ReadSwitchRow<6>, ReadSwitchRow<7>,
};

uint32_t ReadSwitches(uint32_t address) { return 0xFFFFF300 | SwitchRowTable[(address & 0xE) >> 1](); }

uint32_t SwitchesReadByte(uint32_t address) { return ReadSwitches(address) & 0xFF; }
uint32_t SwitchesReadWord(uint32_t address) { return ReadSwitches(address) & 0xFFFF; }
uint32_t SwitchesReadLong(uint32_t address) { return ReadSwitches(address); }

void SwitchesMap() {
  MapDeviceReadHandlers(kSwitchesPage, SwitchesReadByte, SwitchesReadWord, SwitchesReadLong);
}

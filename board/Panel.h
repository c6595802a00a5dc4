// Front-panel state that the board shares with the window: each panel button's Pressed
// byte and light, and the PC keys that act as panel keys. The board owns them; the
// window writes Pressed and the keys from its thread while the firmware reads them
// from the emulation thread at the moment of a switch scan, hence atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

// The 51 panel buttons, in the panel's layout order.
enum class PanelButton : uint8_t {
  ProgramSelect0, ProgramSelect1, ProgramSelect2, ProgramSelect3, ProgramSelect4,
  ProgramSelect5, ProgramSelect6, ProgramSelect7, ProgramSelect8, ProgramSelect9,
  CartridgeSelect,
  OscillatorSelect, Wave, CoarseFreq, FineFreq,
  FilterCutoff, FilterResonance, FilterEnvAmount,
  UnisonDetune, Glide, VoicePan, ProgramVolume,
  EnvelopeSelect, EnvelopePointSelect, EnvelopeRate, EnvelopeLevel, EnvelopeLoop,
  EnvelopeRepeat,
  LFOSelect, LFORate, LFOShape,
  ModulationSourceSelect, ModulationDestSelect,
  ArpOnOffRate, ArpLatchTranspose, ArpOptionSelect,
  ChorusLeft, ChorusRight, ChorusRateDepth,
  Split, LinkSelect, Double,
  PitchWheelRange, MasterTune,
  MidiChannelLR, MidiOptionSelect,
  Enter, EditWaveform, Name, Review, Store,
};
constexpr int kPanelButtonCount = 51;
static_assert(int(PanelButton::Store) + 1 == kPanelButtonCount);

// Field names of the buttons ("ProgramSelect3"), indexed by PanelButton.
extern const char* const PanelButtonNames[kPanelButtonCount];
std::optional<PanelButton> FindPanelButton(std::string_view name);

// Light states of a button.
constexpr int8_t kLedNone = 0;  // the button has no light
constexpr int8_t kLedOff = 1;
constexpr int8_t kLedOn = 2;

// Non-zero while the button is held or latched down. Written by the window.
extern std::atomic<uint8_t> ButtonPressed[kPanelButtonCount];
// Written by the board after each slice; the window draws a light when it changes.
extern std::atomic<int8_t> ButtonLED[kPanelButtonCount];

inline std::atomic<uint8_t>& Pressed(PanelButton b) { return ButtonPressed[size_t(b)]; }
inline std::atomic<int8_t>& LED(PanelButton b) { return ButtonLED[size_t(b)]; }

// The PC keys 0-9 of the main keyboard row and Enter, down or not; set by the window.
enum class PcKey : uint8_t {
  Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9, Enter,
};
constexpr int kPcKeyCount = 11;
static_assert(int(PcKey::Enter) + 1 == kPcKeyCount);
extern std::atomic<uint8_t> PcKeyDown[kPcKeyCount];

inline std::atomic<uint8_t>& KeyDown(PcKey k) { return PcKeyDown[size_t(k)]; }

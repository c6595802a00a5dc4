#include "board/Panel.h"

const char* const PanelButtonNames[kPanelButtonCount] = {
    "ProgramSelect0", "ProgramSelect1", "ProgramSelect2", "ProgramSelect3", "ProgramSelect4",
    "ProgramSelect5", "ProgramSelect6", "ProgramSelect7", "ProgramSelect8", "ProgramSelect9",
    "CartridgeSelect",
    "OscillatorSelect", "Wave", "CoarseFreq", "FineFreq",
    "FilterCutoff", "FilterResonance", "FilterEnvAmount",
    "UnisonDetune", "Glide", "VoicePan", "ProgramVolume",
    "EnvelopeSelect", "EnvelopePointSelect", "EnvelopeRate", "EnvelopeLevel", "EnvelopeLoop",
    "EnvelopeRepeat",
    "LFOSelect", "LFORate", "LFOShape",
    "ModulationSourceSelect", "ModulationDestSelect",
    "ArpOnOffRate", "ArpLatchTranspose", "ArpOptionSelect",
    "ChorusLeft", "ChorusRight", "ChorusRateDepth",
    "Split", "LinkSelect", "Double",
    "PitchWheelRange", "MasterTune",
    "MidiChannelLR", "MidiOptionSelect",
    "Enter", "EditWaveform", "Name", "Review", "Store",
};

std::atomic<uint8_t> ButtonPressed[kPanelButtonCount];
std::atomic<int8_t> ButtonLED[kPanelButtonCount];
std::atomic<uint8_t> PcKeyDown[kPcKeyCount];

std::optional<PanelButton> FindPanelButton(std::string_view name) {
  for (int i = 0; i < kPanelButtonCount; ++i)
    if (name == PanelButtonNames[i]) return PanelButton(i);
  return std::nullopt;
}

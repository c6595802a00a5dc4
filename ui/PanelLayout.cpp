#include "ui/PanelLayout.h"

#include <QFrame>
#include <QLabel>
#include <algorithm>

#include "ui/Kqbuttonframe.h"
#include "ui/PanelStyle.h"

using enum PanelButton;

const std::array<ButtonPlace, kPanelButtonCount> kButtonPlaces = {{
    {ProgramSelect0, "0", 320, 32, 33, true},
    {ProgramSelect1, "1", 360, 32, 33, true},
    {ProgramSelect2, "2", 400, 32, 33, true},
    {ProgramSelect3, "3", 440, 32, 33, true},
    {ProgramSelect4, "4", 480, 32, 33, true},
    {ProgramSelect5, "5", 520, 32, 33, true},
    {ProgramSelect6, "6", 560, 32, 33, true},
    {ProgramSelect7, "7", 600, 32, 33, true},
    {ProgramSelect8, "8", 640, 32, 33, true},
    {ProgramSelect9, "9", 680, 32, 33, true},
    {CartridgeSelect, "Cartridge", 744, 32, 65, true},
    {OscillatorSelect, "Select", 296, 128, 31, false},
    {Wave, "Wave #", 336, 128, 37, false},
    {CoarseFreq, "Coarse Freq", 376, 128, 36, false},
    {FineFreq, "Fine Freq", 416, 128, 23, false},
    {FilterCutoff, "Cutoff", 480, 128, 29, false},
    {FilterResonance, "Res", 520, 128, 20, false},
    {FilterEnvAmount, "Env Amount", 560, 128, 37, false},
    {UnisonDetune, "Unison/ Detune", 624, 128, 37, false},
    {Glide, "Glide", 664, 128, 27, false},
    {VoicePan, "Voice Pan", 704, 128, 28, false},
    {ProgramVolume, "Program Volume", 744, 128, 42, false},
    {EnvelopeSelect, "Select", 296, 240, 31, false},
    {EnvelopePointSelect, "Point Select", 336, 240, 31, false},
    {EnvelopeRate, "Rate", 376, 240, 23, false},
    {EnvelopeLevel, "Level", 416, 240, 26, false},
    {EnvelopeLoop, "Loop", 456, 240, 24, false},
    {EnvelopeRepeat, "Repeat", 496, 240, 35, false},
    {LFOSelect, "Select", 560, 240, 31, false},
    {LFORate, "Rate", 600, 240, 23, false},
    {LFOShape, "Shape", 640, 240, 31, false},
    {ModulationSourceSelect, "Source Select", 704, 240, 35, false},
    {ModulationDestSelect, "Dest Select", 744, 240, 31, false},
    {ArpOnOffRate, "On-Off/ Rate", 264, 344, 37, false},
    {ArpLatchTranspose, "Latch/ Transpose", 304, 344, 53, false},
    {ArpOptionSelect, "Option Select", 344, 344, 33, false},
    {ChorusLeft, "Left", 408, 344, 18, false},
    {ChorusRight, "Right", 448, 344, 26, false},
    {ChorusRateDepth, "Rate / Depth", 488, 344, 29, false},
    {Split, "Split", 552, 344, 22, false},
    {LinkSelect, "Link Select", 592, 344, 31, false},
    {Double, "Double", 632, 344, 36, false},
    {PitchWheelRange, "Pitch Wheel Range", 704, 344, 32, false},
    {MasterTune, "Master Tune", 744, 344, 34, false},
    {MidiChannelLR, "Channel L/R", 472, 448, 41, false},
    {MidiOptionSelect, "Option Select", 512, 448, 33, false},
    {Enter, "Enter", 200, 448, 26, false},
    {EditWaveform, "Edit Waveform", 264, 448, 50, false},
    {Name, "Name", 328, 448, 29, false},
    {Review, "Review", 368, 448, 35, false},
    {Store, "Store", 408, 448, 26, false},
}};

const std::array<GroupHeader, 12> kGroupHeaders = {{
    {" PROGRAM SELECT", 320, 8, 393},
    {" OSCILLATOR GROUP", 296, 104, 153},
    {" FILTER", 480, 104, 113},
    {" VOICE CONTROL", 624, 104, 153},
    {" ENVELOPE GROUP", 296, 216, 233},
    {" LFO GROUP", 560, 216, 113},
    {" MOD", 704, 216, 72},
    {" ARPEGGIATOR", 264, 320, 113},
    {" CHORUS", 408, 320, 113},
    {" KEYBOARD MODE", 552, 320, 129},
    {" PITCH", 704, 320, 73},
    {" MIDI", 472, 424, 73},
}};

namespace {

constexpr int kCaptionGap = 3;

// The cartridge caption is wider than its cap and stands centred under it.
int CaptionLeft(const ButtonPlace& place) {
  return place.button == CartridgeSelect ? 728 : place.left;
}

void AddBar(QWidget* client, int left, int top, int width, int height) {
  auto* bar = new QFrame(client);
  bar->setGeometry(left, top, width, height);
  bar->setAutoFillBackground(true);
  SetColours(bar, kHeaderColour, kHeaderColour);
}

// A legend of the groups beside two bars: its words stand one under the other.
void AddLegend(QWidget* client, const char* text, QRect label, QRect vertical, QRect horizontal) {
  QLabel* legend = PanelLabel(client, text, label.left(), label.top(), label.width(),
                              Qt::AlignRight);
  legend->setMinimumHeight(label.height());
  AddBar(client, vertical.left(), vertical.top(), vertical.width(), vertical.height());
  AddBar(client, horizontal.left(), horizontal.top(), horizontal.width(), horizontal.height());
}

}  // namespace

PanelButtons BuildPanel(QWidget* client) {
  for (const GroupHeader& header : kGroupHeaders) {
    auto* label = new QLabel(header.caption, client);
    label->setGeometry(header.left, header.top, header.width, 16);
    label->setFont(PanelFont(13, true));
    label->setAutoFillBackground(true);
    SetColours(label, Qt::white, kHeaderColour);
  }

  PanelButtons buttons{};
  for (const ButtonPlace& place : kButtonPlaces) {
    auto* button = new TKQButton(place.button, client);
    button->move(place.left, place.top);
    buttons[size_t(place.button)] = button;
    // The digits and the cartridge caption are centred under their caps.
    Qt::Alignment alignment = Qt::AlignLeft;
    if (place.button <= ProgramSelect9 || place.button == CartridgeSelect)
      alignment = Qt::AlignHCenter;
    // A caption keeps at least the panel's narrowest gap to the next one on its row.
    const int left = CaptionLeft(place);
    int width = place.labelWidth;
    for (const ButtonPlace& other : kButtonPlaces)
      if (other.top == place.top && CaptionLeft(other) > left)
        width = std::min(width, CaptionLeft(other) - left - kCaptionGap);
    QLabel* caption = PanelLabel(client, place.caption, left, place.top + 40, width, alignment);
    caption->setObjectName(QString(PanelButtonNames[size_t(place.button)]) + "Label");
  }

  AddLegend(client, "A B C D", {253, 119, 11, 56}, {272, 118, 3, 57}, {272, 144, 16, 3});
  AddLegend(client, "Mix Filter Amp", {238, 236, 26, 42}, {272, 236, 3, 45}, {272, 256, 16, 3});
  return buttons;
}

#include "board/Output.h"

#include "board/Glyphs.h"
#include "board/Io.h"

int32_t LeftDigit = -1;
int32_t RightDigit = -1;
uint8_t RightChorusOn;
uint8_t LeftChorusOn;
uint8_t OutputEnable;
uint8_t BacklightEnable;
uint8_t Baud;
uint8_t Wrsel;
uint8_t LedStates[10];

const PanelButton LedButtons[10] = {
    PanelButton::Split,          PanelButton::Double,          PanelButton::Store,
    PanelButton::ChorusRight,    PanelButton::ChorusLeft,      PanelButton::CartridgeSelect,
    PanelButton::ArpLatchTranspose, PanelButton::ArpOnOffRate, PanelButton::Review,
    PanelButton::EditWaveform,
};

namespace {

Bitmap sevenSegment;
bool sevenSegmentDrawn = false;
Bitmap* display = nullptr;
int glyphWidth = 0;
int glyphHeight = 0;
// Glyph shown at each position; 0 is the blank digit.
int drawnGlyph[2] = {0, 0};

}  // namespace

void DigitLatchWriteByte(uint32_t, uint32_t value) {
  LeftDigit = int32_t(value & 0x0F);
  RightDigit = int32_t((value >> 4) & 0x0F);
}

void DigitLatchWriteWord(uint32_t address, uint32_t value) {
  RightChorusOn = (value >> 8) & 1;
  LeftChorusOn = (value >> 9) & 1;
  OutputEnable = (value >> 10) & 1;
  BacklightEnable = (value >> 11) & 1;
  Baud = (value >> 12) & 1;
  Wrsel = (value >> 13) & 1;
  DigitLatchWriteByte(address, value);
}

void DigitLatchWriteLong(uint32_t address, uint32_t value) { DigitLatchWriteWord(address, value & 0xFFFF); }

void LedLatchWriteByte(uint32_t, uint32_t value) {
  for (int n = 0; n < 8; ++n) LedStates[n] = (value & (1u << n)) ? 0 : 1;
}

void LedLatchWriteWord(uint32_t address, uint32_t value) {
  LedStates[8] = (value & 0x100) ? 0 : 1;
  LedStates[9] = (value & 0x200) ? 0 : 1;
  LedLatchWriteByte(address, value);
}

void LedLatchWriteLong(uint32_t address, uint32_t value) { LedLatchWriteWord(address, value & 0xFFFF); }

void OutputInit() {
  if (sevenSegmentDrawn) return;
  sevenSegment = SevenSegmentBitmap();
  sevenSegmentDrawn = true;
}

const Bitmap& SevenSegmentGlyphs() { return sevenSegment; }

void DrawSevenSegmentDigit(int position, int32_t value) {
  int glyph = value >= -1 && value <= 9 ? value + 1 : 0;
  if (glyph == drawnGlyph[position]) return;
  drawnGlyph[position] = glyph;
  display->CopyRect(sevenSegment, 0, glyph * glyphHeight, glyphWidth, glyphHeight,
                    position * glyphWidth, 0);
}

void OutputReset(Bitmap& image) {
  display = &image;
  glyphWidth = sevenSegment.Width();
  glyphHeight = sevenSegment.Height() / 11;
  image.Reset(2 * glyphWidth, glyphHeight, kBlack);
  // Each position drawn as 0 and then blank, so that the picture matches the cache.
  DrawSevenSegmentDigit(0, 0);
  DrawSevenSegmentDigit(0, -1);
  DrawSevenSegmentDigit(1, 0);
  DrawSevenSegmentDigit(1, -1);
  MapDeviceWriteHandlers(kDigitLatchPage, DigitLatchWriteByte, DigitLatchWriteWord,
                         DigitLatchWriteLong);
  MapDeviceWriteHandlers(kLedLatchPage, LedLatchWriteByte, LedLatchWriteWord, LedLatchWriteLong);
}

void OutputService(int32_t) {
  DrawSevenSegmentDigit(0, LeftDigit);
  DrawSevenSegmentDigit(1, RightDigit);
  for (int n = 0; n < 10; ++n)
    LED(LedButtons[n]).store(LedStates[n] ? kLedOn : kLedOff, std::memory_order_relaxed);
}

#include "board/Lcd.h"

#include <cstring>

#include "board/Glyphs.h"
#include "board/Io.h"

uint8_t Ddram[128];
uint8_t Cgram[64];
uint8_t LcdDdramAddress;
uint8_t LcdCgramAddress;
int32_t LcdIncrement = 1;
bool LcdDdramSelected = true;
bool LcdDisplayOn;
bool LcdCursorOn;
bool LcdBlinkOn;

Bitmap LcdFont;
uint32_t LcdBackground;
uint8_t LcdShadow[128];
uint8_t CgramShadow[64];
bool LcdCgramChanged = true;
uint8_t LcdCursorShown = 0xFF;

namespace {

Bitmap* LcdImage = nullptr;  // the picture handed to LcdReset, not owned

constexpr uint8_t kBlank = 0x20;
constexpr uint8_t kNoCursor = 0xFF;

// The visible cells: sixteen per line.
constexpr uint8_t kLineStart[2] = {0x00, 0x40};

int CellX(uint8_t address) { return 6 * (address & 0x0F) + 1; }
int CellY(uint8_t address) { return address & 0x40 ? 10 : 1; }

void DrawCell(uint8_t address, uint8_t code) {
  LcdImage->CopyRect(LcdFont, (code & 15) * 5, (code >> 4) * 8, 5, 8, CellX(address), CellY(address));
  if (address == LcdCursorShown) LcdImage->FillRect(CellX(address), CellY(address) + 7, 5, 1, kBlack);
}

// What a cell shows now.
uint8_t Shown(uint8_t address) { return LcdDisplayOn ? Ddram[address] : kBlank; }

void Advance() {
  if (LcdDdramSelected)
    LcdDdramAddress = uint8_t(LcdDdramAddress + LcdIncrement) & 0x7F;
  else
    LcdCgramAddress = uint8_t(LcdCgramAddress + LcdIncrement) & 0x3F;
}

void Instruction(uint8_t value) {
  if (value & 0x80) {
    LcdDdramAddress = value & 0x7F;
    LcdDdramSelected = true;
  } else if (value & 0x40) {
    LcdCgramAddress = value & 0x3F;
    LcdDdramSelected = false;
  } else if (value & 0x30) {
    // Function set and cursor or display shift: nothing to model.
  } else if (value & 0x08) {
    LcdDisplayOn = value & 0x04;
    LcdCursorOn = value & 0x02;
    LcdBlinkOn = value & 0x01;
  } else if (value & 0x04) {
    LcdIncrement = value & 0x02 ? 1 : -1;
  } else if (value & 0x02) {
    LcdDdramAddress = 0;
  } else if (value & 0x01) {
    // Clear leaves the display RAM alone: the panel is blank until the display is
    // switched on again, and then shows the old text.
    LcdDdramAddress = 0;
    LcdDisplayOn = false;
  }
}

}  // namespace

uint32_t LcdReadByte(uint32_t address) {
  if (!(address & 2)) return LcdDdramSelected ? LcdDdramAddress : LcdCgramAddress;  // never busy
  uint8_t byte = LcdDdramSelected ? Ddram[LcdDdramAddress] : Cgram[LcdCgramAddress];
  Advance();
  return byte;
}
uint32_t LcdReadWord(uint32_t address) { return 0xFF00 | LcdReadByte(address); }
uint32_t LcdReadLong(uint32_t address) { return 0xFFFFFF00 | LcdReadByte(address); }

void LcdWriteByte(uint32_t address, uint32_t value) {
  uint8_t byte = uint8_t(value);
  if (!(address & 2)) {
    Instruction(byte);
    return;
  }
  if (LcdDdramSelected) {
    Ddram[LcdDdramAddress] = byte;
  } else {
    Cgram[LcdCgramAddress] = byte;
    LcdCgramChanged = true;
  }
  Advance();
}
void LcdWriteWord(uint32_t address, uint32_t value) { LcdWriteByte(address, value & 0xFF); }
void LcdWriteLong(uint32_t address, uint32_t value) { LcdWriteByte(address, value & 0xFF); }

void LcdInit() {
  std::memset(Ddram, 0, sizeof Ddram);
  std::memset(Cgram, 0, sizeof Cgram);
  // A fresh font, so that its first pixel (in user glyph 0) is the background again.
  LcdFont = LcdFontBitmap();
}

void LcdDrawGlyphRow(int i) {
  uint8_t b = Cgram[i];
  CgramShadow[i] = b;
  int glyph = i >> 3, row = i & 7;
  for (int j = 0; j < 5; ++j) {
    uint32_t colour = b & (0x10 >> j) ? kBlack : LcdBackground;
    LcdFont.SetPixel(5 * glyph + j, row, colour);
    LcdFont.SetPixel(5 * (glyph + 8) + j, row, colour);
  }
}

void LcdReset(Bitmap& image) {
  LcdImage = &image;
  LcdBackground = LcdFont.Pixel(0, 0);
  // Two colours only: black ink on the background.
  for (int y = 0; y < LcdFont.Height(); ++y)
    for (int x = 0; x < LcdFont.Width(); ++x)
      if (LcdFont.Pixel(x, y) != kBlack) LcdFont.SetPixel(x, y, LcdBackground);
  image.Reset(97, 19, LcdBackground);
  for (uint8_t start : kLineStart)
    for (uint8_t address = start; address < start + 16; ++address) {
      LcdShadow[address] = kBlank;
      DrawCell(address, kBlank);
    }
  for (int i = 0; i < 64; ++i) LcdDrawGlyphRow(i);
  MapDeviceReadHandlers(kLcdPage, LcdReadByte, LcdReadWord, LcdReadLong);
  MapDeviceWriteHandlers(kLcdPage, LcdWriteByte, LcdWriteWord, LcdWriteLong);
}

void LcdService(int32_t) {
  // The cells that gain or lose the cursor are drawn again.
  uint8_t cursor = LcdDisplayOn && LcdCursorOn ? LcdDdramAddress : kNoCursor;
  if (cursor != LcdCursorShown) {
    if (LcdCursorShown < 0x80) LcdShadow[LcdCursorShown] = uint8_t(~Shown(LcdCursorShown));
    if (cursor < 0x80) LcdShadow[cursor] = uint8_t(~Shown(cursor));
    LcdCursorShown = cursor;
  }

  // User glyphs whose rows changed, and so the cells that show them.
  unsigned redefined = 0;
  if (LcdCgramChanged) {
    for (int i = 0; i < 64; ++i)
      if (Cgram[i] != CgramShadow[i]) {
        LcdDrawGlyphRow(i);
        redefined |= 1u << (i >> 3);
      }
    LcdCgramChanged = false;
  }

  for (uint8_t start : kLineStart)
    for (uint8_t address = start; address < start + 16; ++address) {
      uint8_t ch = Shown(address);
      bool userGlyphRedrawn = ch < 16 && (redefined & (1u << (ch & 7)));
      if (ch == LcdShadow[address] && !userGlyphRedrawn) continue;
      LcdShadow[address] = ch;
      DrawCell(address, ch);
    }
}

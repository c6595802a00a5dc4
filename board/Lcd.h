// The two-line, sixteen-character LCD controller (instruction and data registers,
// display RAM, character-generator RAM, address counter) and its picture: 97 x 19
// pixels, 5 x 8 cells one pixel apart inside a one-pixel margin, redrawn after every
// slice where something changed.
#pragma once

#include <cstdint>

#include "board/Bitmap.h"

extern uint8_t Ddram[128];  // line 1 shows 0x00-0x0F, line 2 0x40-0x4F
extern uint8_t Cgram[64];   // user glyph g is bytes 8g-8g+7, top row first, bit 4 leftmost
extern uint8_t LcdDdramAddress;
extern uint8_t LcdCgramAddress;
extern int32_t LcdIncrement;  // +1 or -1 after each data access
extern bool LcdDdramSelected;
extern bool LcdDisplayOn;
extern bool LcdCursorOn;
extern bool LcdBlinkOn;  // stored, never drawn

// Drawing state.
extern Bitmap LcdFont;          // 16 x 16 glyphs of 5 x 8; codes 0-15 are the user glyphs
extern uint32_t LcdBackground;  // the font's pixel (0, 0)
extern uint8_t LcdShadow[128];  // per Ddram address, the code last drawn in its cell
extern uint8_t CgramShadow[64];  // per Cgram address, the row last drawn into the font
extern bool LcdCgramChanged;
extern uint8_t LcdCursorShown;  // Ddram address of the cell with the cursor; 0xFF none

uint32_t LcdReadByte(uint32_t address);
uint32_t LcdReadWord(uint32_t address);
uint32_t LcdReadLong(uint32_t address);
void LcdWriteByte(uint32_t address, uint32_t value);
void LcdWriteWord(uint32_t address, uint32_t value);
void LcdWriteLong(uint32_t address, uint32_t value);

// Start-up: clears both RAMs and draws the "LCD" font.
void LcdInit();
// Board set-up: the image becomes a blank display; maps the registers.
void LcdReset(Bitmap& image);
// Row i of the user glyphs (Cgram address) into the font, at both of its codes.
void LcdDrawGlyphRow(int i);
// The slice service: the cursor, changed user glyphs and changed cells.
void LcdService(int32_t count);

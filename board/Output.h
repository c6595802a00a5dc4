// The two output latches: latch 1 holds the two program digits (byte) and six control
// lines (word); latch 2 the ten button lights, active low. The digits and lights are
// drawn after every slice.
#pragma once

#include <cstdint>

#include "board/Bitmap.h"
#include "board/Panel.h"

// Program digits, -1 (blank) at start; the latch's nibbles 10-15 show blank too.
extern int32_t LeftDigit;
extern int32_t RightDigit;
// Control lines, 1 = set.
extern uint8_t RightChorusOn;
extern uint8_t LeftChorusOn;
extern uint8_t OutputEnable;
extern uint8_t BacklightEnable;
extern uint8_t Baud;
extern uint8_t Wrsel;
// Lights in latch-bit order, 1 = on.
extern uint8_t LedStates[10];
// The button of each light.
extern const PanelButton LedButtons[10];

void DigitLatchWriteByte(uint32_t address, uint32_t value);
void DigitLatchWriteWord(uint32_t address, uint32_t value);
void DigitLatchWriteLong(uint32_t address, uint32_t value);
void LedLatchWriteByte(uint32_t address, uint32_t value);
void LedLatchWriteWord(uint32_t address, uint32_t value);
void LedLatchWriteLong(uint32_t address, uint32_t value);

// Start-up: draws the "SevenSegment" glyphs once.
void OutputInit();
const Bitmap& SevenSegmentGlyphs();
// Board set-up: the image becomes two blank digits; maps both latches.
void OutputReset(Bitmap& image);
// Position 0 left, 1 right; value -1 or 10-15 blank, 0-9 the digit. Draws only a change.
void DrawSevenSegmentDigit(int position, int32_t value);
// The slice service: digits and lights.
void OutputService(int32_t count);

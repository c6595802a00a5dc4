// The board's two glyph pictures, drawn from code at start-up.
#pragma once

#include <cstdint>

#include "board/Bitmap.h"

// "LCD": 80 x 128 pixels, a 16 x 16 grid of 5 x 8 glyphs; code c at x = (c & 15) * 5,
// y = (c >> 4) * 8. Black ink on the display's background colour, which is also the
// colour of pixel (0, 0). Codes 0-15 (the user glyphs) start blank.
constexpr uint32_t kLcdBackground = 0x9CBE48;
Bitmap LcdFontBitmap();

// "SevenSegment": 35 x 550 pixels, eleven 35 x 50 glyphs from the top: a blank digit,
// then 0 to 9; lit segments red, unlit ones dark red, on black.
constexpr uint32_t kSegmentLit = 0xFF2010;
constexpr uint32_t kSegmentDark = 0x3A0A06;
Bitmap SevenSegmentBitmap();

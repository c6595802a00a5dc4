// The LCD font and the seven-segment digits drawn at start-up.
#include <gtest/gtest.h>

#include <set>

#include "board/Glyphs.h"

namespace {

// A glyph's pixels as a bit string, row by row.
std::string FontGlyph(const Bitmap& font, int code) {
  std::string bits;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 5; ++x) bits += font.Pixel((code & 15) * 5 + x, (code >> 4) * 8 + y) == kBlack ? '#' : '.';
  return bits;
}

TEST(LcdFont, IsBlackInkOnTheBackgroundOfItsFirstPixel) {
  Bitmap font = LcdFontBitmap();
  ASSERT_EQ(font.Width(), 80);
  ASSERT_EQ(font.Height(), 128);
  EXPECT_EQ(font.Pixel(0, 0), kLcdBackground);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 80; ++x) {
      uint32_t p = font.Pixel(x, y);
      ASSERT_TRUE(p == kBlack || p == kLcdBackground) << x << "," << y;
    }
}

TEST(LcdFont, EveryPrintableCharacterHasAGlyphOfItsOwn) {
  Bitmap font = LcdFontBitmap();
  const std::string blank(40, '.');
  std::set<std::string> seen;
  for (int code = 0x21; code <= 0x7F; ++code) {
    std::string glyph = FontGlyph(font, code);
    EXPECT_NE(glyph, blank) << code;
    EXPECT_TRUE(seen.insert(glyph).second) << "code " << code << " repeats a glyph";
    // The bottom row belongs to the cursor.
    EXPECT_EQ(glyph.substr(35), ".....") << code;
  }
  EXPECT_EQ(FontGlyph(font, ' '), blank);
  for (int code = 0; code < 16; ++code) EXPECT_EQ(FontGlyph(font, code), blank) << code;
  // A few symbols of the upper half.
  for (int code : {0xDF, 0xE4, 0xF4, 0xF7, 0xFF}) EXPECT_NE(FontGlyph(font, code), blank) << code;
}

TEST(SevenSegment, ElevenGlyphsBlankThenTheDigits) {
  Bitmap digits = SevenSegmentBitmap();
  ASSERT_EQ(digits.Width(), 35);
  ASSERT_EQ(digits.Height(), 550);
  auto lit = [&](int glyph) {
    std::set<int> pixels;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 35; ++x) {
        uint32_t p = digits.Pixel(x, glyph * 50 + y);
        EXPECT_TRUE(p == kBlack || p == kSegmentDark || p == kSegmentLit);
        if (p == kSegmentLit) pixels.insert(y * 35 + x);
      }
    return pixels;
  };
  auto unlit = [&](int glyph) {
    int n = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 35; ++x) n += digits.Pixel(x, glyph * 50 + y) == kSegmentDark;
    return n;
  };
  EXPECT_TRUE(lit(0).empty());
  std::set<int> eight = lit(9);
  EXPECT_EQ(int(eight.size()), unlit(0));  // 8 lights every segment of the blank digit
  std::set<std::set<int>> distinct;
  for (int d = 0; d <= 9; ++d) {
    std::set<int> pixels = lit(d + 1);
    EXPECT_FALSE(pixels.empty()) << d;
    EXPECT_TRUE(std::includes(eight.begin(), eight.end(), pixels.begin(), pixels.end())) << d;
    EXPECT_EQ(int(pixels.size()) + unlit(d + 1), int(eight.size())) << d;
    distinct.insert(pixels);
  }
  EXPECT_EQ(distinct.size(), 10u);
  // 1 lights fewer segments than 7, and 7's are all part of 0's.
  auto one = lit(2), seven = lit(8), zero = lit(1);
  EXPECT_TRUE(std::includes(seven.begin(), seven.end(), one.begin(), one.end()));
  EXPECT_TRUE(std::includes(zero.begin(), zero.end(), seven.begin(), seven.end()));
}

}  // namespace

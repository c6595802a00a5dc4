// The LCD controller: its instructions, address counters and RAMs, and the picture it
// draws.
#include <gtest/gtest.h>

#include <string>

#include "board/Emulator.h"
#include "board/Glyphs.h"
#include "board/Lcd.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

constexpr uint32_t kInstruction = 0x1E100;
constexpr uint32_t kData = 0x1E102;

class LcdTest : public kqtest::BoardTest {
 protected:
  static void Command(uint8_t value) { m68k::WriteByte(kInstruction, value); }
  static void Text(uint8_t address, const std::string& text) {
    Command(0x80 | address);
    for (char c : text) m68k::WriteByte(kData, uint8_t(c));
  }
  static uint32_t Address() { return m68k::ReadByte(kInstruction); }
  // The 5 x 8 picture of a cell: '#' ink, '.' background, one string per row.
  static std::vector<std::string> Cell(int line, int column) {
    std::vector<std::string> rows;
    for (int y = 0; y < 8; ++y) {
      std::string row;
      for (int x = 0; x < 5; ++x) {
        uint32_t p = LcdDisplay.Pixel(6 * column + 1 + x, line * 9 + 1 + y);
        row += p == kBlack ? '#' : p == LcdBackground ? '.' : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }
  // The same for a glyph of the font.
  static std::vector<std::string> Glyph(uint8_t code) {
    std::vector<std::string> rows;
    for (int y = 0; y < 8; ++y) {
      std::string row;
      for (int x = 0; x < 5; ++x)
        row += LcdFont.Pixel((code & 15) * 5 + x, (code >> 4) * 8 + y) == kBlack ? '#' : '.';
      rows.push_back(row);
    }
    return rows;
  }
  static std::vector<std::string> WithCursor(std::vector<std::string> rows) {
    rows[7] = "#####";
    return rows;
  }
};

TEST_F(LcdTest, ThePictureStartsBlank) {
  ASSERT_EQ(LcdDisplay.Width(), 97);
  ASSERT_EQ(LcdDisplay.Height(), 19);
  EXPECT_EQ(LcdBackground, kLcdBackground);
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 97; ++x) ASSERT_EQ(LcdDisplay.Pixel(x, y), LcdBackground) << x << "," << y;
}

TEST_F(LcdTest, TextIsShownOnceTheDisplayIsOn) {
  Text(0x00, "Hello");
  Text(0x4F, "!");
  SliceService(0);
  EXPECT_EQ(Cell(0, 0), Glyph(' '));
  Command(0x0C);
  SliceService(0);
  EXPECT_EQ(Cell(0, 0), Glyph('H'));
  EXPECT_EQ(Cell(0, 4), Glyph('o'));
  EXPECT_EQ(Cell(1, 15), Glyph('!'));
  EXPECT_EQ(Cell(0, 5), Glyph(0));  // display RAM starts as zeros: user glyph 0, blank
  // The gaps between cells and the margin stay background.
  for (int y = 0; y < 19; ++y) EXPECT_EQ(LcdDisplay.Pixel(6, y), LcdBackground);
  for (int x = 0; x < 97; ++x) EXPECT_EQ(LcdDisplay.Pixel(x, 9), LcdBackground);
}

TEST_F(LcdTest, ClearBlanksThePanelButKeepsTheText) {
  Command(0x0C);
  Text(0x00, "AB");
  Command(0x01);
  EXPECT_EQ(Address(), 0u);
  EXPECT_FALSE(LcdDisplayOn);
  SliceService(0);
  EXPECT_EQ(Cell(0, 0), Glyph(' '));
  EXPECT_EQ(Ddram[0], 'A');
  Command(0x0C);
  SliceService(0);
  EXPECT_EQ(Cell(0, 1), Glyph('B'));
}

TEST_F(LcdTest, DisplayControlSetsDisplayCursorAndBlink) {
  for (auto [command, display, cursor, blink] :
       {std::tuple{0x0C, true, false, false}, {0x0E, true, true, false}, {0x0F, true, true, true},
        {0x08, false, false, false}, {0x0B, false, true, true}}) {
    Command(uint8_t(command));
    EXPECT_EQ(LcdDisplayOn, display) << command;
    EXPECT_EQ(LcdCursorOn, cursor) << command;
    EXPECT_EQ(LcdBlinkOn, blink) << command;
  }
}

TEST_F(LcdTest, TheCursorUnderlinesTheCellAtTheAddressCounter) {
  Text(0x40, "xyz");
  Command(0x80 | 0x41);
  Command(0x0E);
  SliceService(0);
  EXPECT_EQ(Cell(1, 1), WithCursor(Glyph('y')));
  Command(0x80 | 0x42);
  SliceService(0);
  EXPECT_EQ(Cell(1, 1), Glyph('y'));
  EXPECT_EQ(Cell(1, 2), WithCursor(Glyph('z')));
  Command(0x0F);  // blinking is never drawn
  SliceService(0);
  EXPECT_EQ(Cell(1, 2), WithCursor(Glyph('z')));
  Command(0x0C);
  SliceService(0);
  EXPECT_EQ(Cell(1, 2), Glyph('z'));
}

TEST_F(LcdTest, EntryModeChoosesTheDirectionOfTheCounter) {
  Command(0x04);
  Text(0x00, "ab");
  EXPECT_EQ(Address(), 0x7Eu);
  EXPECT_EQ(Ddram[0x00], 'a');
  EXPECT_EQ(Ddram[0x7F], 'b');
  Command(0x07);  // increment; the shift bit is ignored
  Text(0x7F, "cd");
  EXPECT_EQ(Address(), 0x01u);
  EXPECT_EQ(Ddram[0x7F], 'c');
  EXPECT_EQ(Ddram[0x00], 'd');
}

TEST_F(LcdTest, ReadsReturnTheRamAndAdvanceTheCounter) {
  Text(0x20, "hidden");
  SliceService(0);
  Command(0xA0);
  EXPECT_EQ(m68k::ReadByte(kData), uint32_t('h'));
  EXPECT_EQ(m68k::ReadWord(0x1F1FE), 0xFF00u | 'i');
  EXPECT_EQ(m68k::ReadLong(0x1E103), 0xFFFFFF00u | 'd');
  EXPECT_EQ(m68k::ReadWord(0x1F101), 0xFF00u | 0x23);  // instruction register: the counter
  EXPECT_EQ(m68k::ReadLong(kInstruction), 0xFFFFFF23u);
  Command(0x02);  // home
  EXPECT_EQ(Address(), 0u);
  Command(0x30);  // function set and shift change nothing
  Command(0x1C);
  EXPECT_EQ(Address(), 0u);
  EXPECT_EQ(LcdIncrement, 1);
}

TEST_F(LcdTest, UserGlyphsAreDefinedThroughTheCharacterRam) {
  Command(0x40 | 0x3F);
  EXPECT_FALSE(LcdDdramSelected);
  EXPECT_EQ(Address(), 0x3Fu);
  m68k::WriteByte(kData, 0x15);
  EXPECT_EQ(Address(), 0x00u);  // wraps within 6 bits
  m68k::WriteByte(kData, 0xFF);  // bits 5-7 are not pixels
  Command(0x80);
  EXPECT_TRUE(LcdDdramSelected);
  m68k::WriteByte(kData, 0x00);
  m68k::WriteByte(kData, 0x08);
  m68k::WriteByte(kData, 0x07);
  Command(0x0C);
  SliceService(0);
  std::vector<std::string> glyph0 = {"#####", ".....", ".....", ".....", ".....", ".....", ".....", "....."};
  std::vector<std::string> glyph7 = {".....", ".....", ".....", ".....", ".....", ".....", ".....", "#.#.#"};
  EXPECT_EQ(Cell(0, 0), glyph0);
  EXPECT_EQ(Cell(0, 1), glyph0);
  EXPECT_EQ(Cell(0, 2), glyph7);
  Command(0x40);
  EXPECT_EQ(m68k::ReadByte(kData), 0xFFu);
}

TEST_F(LcdTest, RedefiningAGlyphRedrawsTheCellsShowingIt) {
  Command(0x0C);
  Text(0x00, std::string("\x01\x09", 2));
  Text(0x45, std::string("\x02", 1));
  SliceService(0);
  Command(0x40 | 8);
  for (uint8_t row : {0x11, 0x0A, 0x04, 0x0A, 0x11, 0x00, 0x00, 0x00}) m68k::WriteByte(kData, row);
  SliceService(0);
  std::vector<std::string> cross = {"#...#", ".#.#.", "..#..", ".#.#.", "#...#", ".....", ".....", "....."};
  EXPECT_EQ(Cell(0, 0), cross);
  EXPECT_EQ(Cell(0, 1), cross);
  EXPECT_EQ(Cell(1, 5), Glyph(' '));  // another user glyph, still blank
}

TEST_F(LcdTest, HiddenAddressesAreStoredButNotShown) {
  Command(0x0C);
  Text(0x10, std::string(0x30, 'X'));
  Text(0x50, std::string(0x30, 'Y'));
  SliceService(0);
  for (int line = 0; line < 2; ++line)
    for (int column = 0; column < 16; ++column) EXPECT_EQ(Cell(line, column), Glyph(0));
  Command(0x90);
  EXPECT_EQ(m68k::ReadByte(kData), uint32_t('X'));
}

TEST_F(LcdTest, AnUnchangedDisplayIsNotDrawnAgain) {
  Command(0x0C);
  Text(0x00, "A");
  SliceService(0);
  LcdDisplay.SetPixel(1, 1, 0x123456);  // a mark that only a redraw would remove
  SliceService(0);
  EXPECT_EQ(LcdDisplay.Pixel(1, 1), 0x123456u);
  Text(0x00, "B");
  SliceService(0);
  EXPECT_EQ(Cell(0, 0), Glyph('B'));
}

}  // namespace

/* The LCD: two lines of sixteen characters kept in RAM and written to the controller
   when they change, with the address counter read back after every line; two user
   glyphs defined at start and read back from the character-generator RAM. */
#include "board.h"

#define LCD_BUSY 0x80
#define LCD_CLEAR 0x01
#define LCD_ENTRY_INCREMENT 0x06
#define LCD_DISPLAY_ON 0x0C
#define LCD_FUNCTION_8BIT_2LINES 0x38
#define LCD_SET_GLYPH_ADDRESS 0x40
#define LCD_SET_DISPLAY_ADDRESS 0x80

static const uint8_t glyphs[2][8] = {
    [GLYPH_NOTE] = {0x04, 0x06, 0x05, 0x04, 0x04, 0x1C, 0x1C, 0x00},
    [GLYPH_BUTTON] = {0x00, 0x0E, 0x1F, 0x1F, 0x1F, 0x0E, 0x00, 0x00},
};

static char lines[2][16];
static uint8_t dirty;

static void lcd_wait(void) {
  while (REG8(LCD_INSTRUCTION) & LCD_BUSY) {
  }
}

static void lcd_command(uint8_t command) {
  lcd_wait();
  REG8(LCD_INSTRUCTION) = command;
}

static void lcd_put(uint8_t c) {
  lcd_wait();
  REG8(LCD_DATA) = c;
}

static uint8_t lcd_address(void) { return REG8(LCD_INSTRUCTION) & 0x7F; }

static void define_glyphs(void) {
  lcd_command(LCD_SET_GLYPH_ADDRESS);
  for (int g = 0; g < 2; ++g)
    for (int row = 0; row < 8; ++row) lcd_put(glyphs[g][row]);
  /* Read back from the start: five pixel bits per row, the counter moving on. */
  lcd_command(LCD_SET_GLYPH_ADDRESS);
  int same = 1;
  for (int g = 0; g < 2; ++g)
    for (int row = 0; row < 8; ++row) {
      lcd_wait();
      same &= (REG8(LCD_DATA) & 0x1F) == glyphs[g][row];
    }
  if (same && lcd_address() == 16) REPORTED(KQ_BT_CHECKS) |= KQ_BT_CHECK_LCD_GLYPHS;
}

static int write_line(int line) {
  uint8_t start = line ? 0x40 : 0x00;
  lcd_command(LCD_SET_DISPLAY_ADDRESS | start);
  for (int i = 0; i < 16; ++i) lcd_put((uint8_t)lines[line][i]);
  return lcd_address() == start + 16;
}

void display_init(void) {
  lcd_command(LCD_FUNCTION_8BIT_2LINES);
  lcd_command(LCD_CLEAR);
  lcd_command(LCD_ENTRY_INCREMENT);
  lcd_command(LCD_DISPLAY_ON);
  define_glyphs();
  for (int i = 0; i < 16; ++i) lines[0][i] = lines[1][i] = ' ';
  dirty = 3;
  REPORTED(KQ_BT_CHECKS) |= KQ_BT_CHECK_LCD_COUNTER;
}

void display_text(int line, const char *text) {
  int i = 0;
  for (; i < 16 && text[i]; ++i) lines[line][i] = text[i];
  for (; i < 16; ++i) lines[line][i] = ' ';
  dirty |= 1 << line;
}

void display_set(int line, int column, char c) {
  if (lines[line][column] == c) return;
  lines[line][column] = c;
  dirty |= 1 << line;
}

void display_update(void) {
  for (int line = 0; line < 2; ++line) {
    if (!(dirty & (1 << line))) continue;
    if (!write_line(line)) REPORTED(KQ_BT_CHECKS) &= ~KQ_BT_CHECK_LCD_COUNTER;
  }
  dirty = 0;
}

void format_decimal(char *out, uint32_t value, int digits) {
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = (char)('0' + value % 10);
    value /= 10;
  }
  out[digits] = 0;
}

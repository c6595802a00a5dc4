/* The front panel: the switch rows scanned every tick, each lamp lit while its button
   is held, a two-digit program number entered with the program-select buttons, and the
   analog inputs that set the sound's volume, pan and cutoff. */
#include "board.h"

/* The buttons with a lamp, in the light latch's bit order: row << 4 | bit. */
static const uint8_t lamp_switches[10] = {
    0x20, /* Split */
    0x21, /* Double */
    0x23, /* Store */
    0x43, /* ChorusRight */
    0x44, /* ChorusLeft */
    0x65, /* CartridgeSelect */
    0x63, /* ArpLatchTranspose */
    0x64, /* ArpOnOffRate */
    0x24, /* Review */
    0x26, /* EditWaveform */
};

static uint8_t rows[8];
static uint16_t digit_latch;
static uint32_t program;

static void show_program(void) {
  digit_latch = (uint16_t)((digit_latch & 0xFF00) | (program % 10) << 4 | program / 10);
  REG16(DIGIT_LATCH) = digit_latch;
  REPORTED(KQ_BT_DIGIT_LATCH) = digit_latch;
  REPORTED(KQ_BT_PROGRAM) = program;
}

void panel_init(uint32_t boots) {
  digit_latch = LATCH_OUTPUT_ENABLE | LATCH_BACKLIGHT;
  program = boots % 100;
  show_program();
  REG16(LIGHT_LATCH) = 0x03FF; /* active low: all off */
  panel_sample_inputs();
}

/* The digit of a program-select switch, or -1. */
static int program_digit(int row, int bit) {
  if (row == 7) return bit;
  if (row == 6 && bit >= 6) return bit + 2;
  return -1;
}

static void pressed(int row, int bit) {
  int digit = program_digit(row, bit);
  if (digit >= 0) {
    char text[17] = "PROGRAM ";
    program = program % 10 * 10 + (uint32_t)digit;
    show_program();
    format_decimal(text + 8, program, 2);
    display_text(1, text);
    return;
  }
  char text[17] = "SWITCH R0 B0";
  text[8] = (char)('0' + row);
  text[11] = (char)('0' + bit);
  display_text(1, text);
}

void panel_tick(void) {
  uint32_t low = 0, high = 0;
  int held = 0;
  for (int row = 1; row < 8; ++row) {
    uint8_t bits = REG8(SWITCH_ROWS + 2 * row);
    uint8_t down = bits & (uint8_t)~rows[row];
    rows[row] = bits;
    held |= bits;
    for (int bit = 0; bit < 8; ++bit)
      if (down & (1 << bit)) pressed(row, bit);
    if (row < 4)
      low |= (uint32_t)bits << (8 * (3 - row));
    else
      high |= (uint32_t)bits << (8 * (7 - row));
  }
  REPORTED(KQ_BT_SWITCHES_LOW) = low;
  REPORTED(KQ_BT_SWITCHES_HIGH) = high;

  uint16_t lit = 0;
  for (int n = 0; n < 10; ++n)
    if (rows[lamp_switches[n] >> 4] & (1 << (lamp_switches[n] & 15))) lit |= (uint16_t)(1 << n);
  REG16(LIGHT_LATCH) = (uint16_t)~lit & 0x03FF;
  REPORTED(KQ_BT_LIGHTS) = lit;
  display_set(0, 13, held ? GLYPH_BUTTON : ' ');
}

void panel_sample_inputs(void) {
  uint8_t inputs[8];
  uint32_t low = 0, high = 0;
  for (int n = 0; n < 8; ++n) {
    REG8(ADC_SELECT + 2 * n) = 0;
    inputs[n] = REG8(ADC_RESULT);
    if (n < 4)
      low |= (uint32_t)inputs[n] << (8 * (3 - n));
    else
      high |= (uint32_t)inputs[n] << (8 * (7 - n));
  }
  REPORTED(KQ_BT_ADC_LOW) = low;
  REPORTED(KQ_BT_ADC_HIGH) = high;
  sound_controls(inputs[ADC_VOLUME], inputs[ADC_BALANCE], inputs[ADC_DATA_ENTRY]);
}

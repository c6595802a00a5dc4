/* Test firmware of the KQ board: it drives every device through the board's address
   map and shows what it sees on the LCD, the digits and the lights, with the details in
   the report at the start of work RAM (boardtest.h).

   At start it counts the boot in the patch memory, sets up the LCD with two user
   glyphs, loads chip A's waves and the DAC, and turns the serial receiver's interrupt
   on. Then the main loop follows the timer: every tick it scans the switches (held
   buttons light their lamps, program-select buttons and the PC digit keys enter a
   two-digit program number), every sixteenth tick it samples the analog inputs
   (volume, balance and data entry set the final volume, pan and cutoff), and in between
   it plays the notes that arrive over MIDI or from the key FIFO and answers SysEx. */
#include "board.h"

static uint32_t count_boot(void) {
  volatile uint32_t *record = (volatile uint32_t *)PATCH_MEMORY;
  uint32_t boots = record[KQ_BT_PATCH_BOOTS / 4];
  int valid = record[KQ_BT_PATCH_MAGIC / 4] == KQ_BT_READY &&
              record[KQ_BT_PATCH_BOOTS_CHECK / 4] == ~boots;
  if (valid) {
    REPORTED(KQ_BT_CHECKS) |= KQ_BT_CHECK_PATCH_VALID;
  } else {
    boots = 0;
    record[KQ_BT_PATCH_DUMP_BYTES / 4] = 0;
  }
  ++boots;
  record[KQ_BT_PATCH_BOOTS / 4] = boots;
  record[KQ_BT_PATCH_BOOTS_CHECK / 4] = ~boots;
  record[KQ_BT_PATCH_MAGIC / 4] = KQ_BT_READY;
  return boots;
}

/* The signature sits in the high bytes of the last words of the cartridge. */
static void check_cartridge(void) {
  int present = REG8(CARTRIDGE + 0x3FF8) == 'K' && REG8(CARTRIDGE + 0x3FFA) == 'Q' &&
                REG8(CARTRIDGE + 0x3FFC) == 3;
  uint32_t checks = REPORTED(KQ_BT_CHECKS) & ~KQ_BT_CHECK_CARTRIDGE;
  REPORTED(KQ_BT_CHECKS) = checks | (present ? KQ_BT_CHECK_CARTRIDGE : 0);
  display_set(0, 14, present ? 'C' : ' ');
}

int main(void) {
  uint32_t boots = count_boot();
  REPORTED(KQ_BT_BOOTS) = boots;
  display_init();
  display_text(0, "KQ BOARD TEST");
  char line[17] = "BOOT ";
  format_decimal(line + 5, boots, 5);
  display_text(1, line);
  sound_init();
  panel_init(boots);
  midi_init();
  check_cartridge();
  display_update();
  REPORTED(KQ_BT_MAGIC) = KQ_BT_READY;
  interrupts_enable();

  uint32_t seen = ticks;
  for (;;) {
    /* Idle until an interrupt brings a tick or input. */
    while (ticks == seen && !input_waiting()) {
    }
    midi_poll();
    keys_poll();
    if (ticks == seen) continue;
    seen = ticks;
    panel_tick();
    if ((seen & 15) == 0) {
      panel_sample_inputs();
      check_cartridge();
    }
    display_set(0, 15, REPORTED(KQ_BT_SOUNDING) ? 0 : ' ');
    display_update();
  }
}

/* Notes and SysEx from the MIDI bytes that the serial interrupt leaves in its ring, and
   the key FIFO's note events, which its interrupt moves into a ring of its own. */
#include "board.h"

#define KEY_PRESS 0x80

enum { SYSEX_NONE, SYSEX_ID, SYSEX_COMMAND, SYSEX_DATA, SYSEX_FOREIGN };

uint8_t midi_ring_read;
static uint8_t status;  /* running status, 0 for none */
static uint8_t data[2];
static uint8_t data_count;

static uint8_t sysex_stage;
static uint8_t sysex_command;
static uint32_t sysex_length;
static uint32_t sysex_sum;
static char sysex_text[17];

static volatile uint16_t key_ring[32];
volatile uint8_t key_ring_write;
uint8_t key_ring_read;

static volatile uint8_t *const patch = (volatile uint8_t *)PATCH_MEMORY;

static void set_patch_long(uint32_t offset, uint32_t value) {
  *(volatile uint32_t *)(PATCH_MEMORY + offset) = value;
}

/* "NOTE 060 VEL 127" or "NOTE 060 OFF", with the source's name in front. */
static void show_note(const char *source, uint8_t note, uint8_t velocity, int on) {
  char text[17];
  int i = 0;
  for (; source[i]; ++i) text[i] = source[i];
  for (; i < 5; ++i) text[i] = ' ';
  format_decimal(text + 5, note, 3);
  if (on) {
    const char *vel = " VEL ";
    for (int j = 0; j < 5; ++j) text[8 + j] = vel[j];
    format_decimal(text + 13, velocity, 3);
  } else {
    const char *off = " OFF";
    for (int j = 0; j < 5; ++j) text[8 + j] = off[j];
  }
  display_text(1, text);
}

static void note(const char *source, uint8_t key, uint8_t velocity, int on) {
  if (on)
    sound_note_on(key, velocity);
  else
    sound_note_off(key);
  show_note(source, key, velocity, on);
}

static void channel_message(void) {
  switch (status & 0xF0) {
    case 0x90:
      note("NOTE", data[0], data[1], data[1] != 0);
      break;
    case 0x80:
      note("NOTE", data[0], data[1], 0);
      break;
    case 0xB0:
      if (data[0] == 120 || data[0] == 123) {
        sound_all_off();
        display_text(1, "ALL NOTES OFF");
      }
      break;
  }
}

static void sysex_begin(void) {
  sysex_stage = SYSEX_ID;
  sysex_length = 0;
  sysex_sum = 0;
}

static void sysex_byte(uint8_t byte) {
  switch (sysex_stage) {
    case SYSEX_ID:
      sysex_stage = byte == KQ_BT_SYSEX_ID ? SYSEX_COMMAND : SYSEX_FOREIGN;
      return;
    case SYSEX_COMMAND:
      sysex_command = byte;
      sysex_stage = SYSEX_DATA;
      /* A dump counts as stored only once it is complete. */
      if (byte == KQ_BT_SYSEX_DUMP) set_patch_long(KQ_BT_PATCH_DUMP_BYTES, 0);
      return;
    case SYSEX_DATA:
      if (sysex_command == KQ_BT_SYSEX_TEXT && sysex_length < 16) sysex_text[sysex_length] = (char)byte;
      if (sysex_command == KQ_BT_SYSEX_DUMP && sysex_length < KQ_BT_PATCH_DUMP_MAX)
        patch[KQ_BT_PATCH_DUMP + sysex_length] = byte;
      else if (sysex_command == KQ_BT_SYSEX_DUMP)
        return; /* the rest of an oversized dump is dropped */
      ++sysex_length;
      sysex_sum += byte;
      return;
  }
}

static void sysex_end(void) {
  if (sysex_stage != SYSEX_DATA) return;
  char text[17] = "DUMP ";
  switch (sysex_command) {
    case KQ_BT_SYSEX_TEXT:
      sysex_text[sysex_length < 16 ? sysex_length : 16] = 0;
      display_text(1, sysex_text);
      break;
    case KQ_BT_SYSEX_DUMP:
      set_patch_long(KQ_BT_PATCH_DUMP_BYTES, sysex_length);
      REPORTED(KQ_BT_DUMP_BYTES) = sysex_length;
      REPORTED(KQ_BT_DUMP_SUM) = sysex_sum;
      format_decimal(text + 5, sysex_length, 5);
      display_text(1, text);
      break;
    case KQ_BT_SYSEX_CARTRIDGE:
      REG8(CARTRIDGE + 0x3FF8) = 'K';
      REG8(CARTRIDGE + 0x3FFA) = 'Q';
      REG8(CARTRIDGE + 0x3FFC) = 3;
      display_text(1, "CARTRIDGE SIGNED");
      break;
    default:
      return;
  }
  REPORTED(KQ_BT_SYSEX) += 1;
}

static void midi_byte(uint8_t byte) {
  if (byte >= 0xF8) return; /* real-time bytes may come anywhere */
  if (byte == 0xF7) {
    sysex_end();
    sysex_stage = SYSEX_NONE;
    return;
  }
  if (byte & 0x80) {
    /* Any other status byte ends a SysEx message unfinished. */
    sysex_stage = SYSEX_NONE;
    status = byte < 0xF0 ? byte : 0;
    data_count = 0;
    if (byte == 0xF0) sysex_begin();
    return;
  }
  if (sysex_stage != SYSEX_NONE) {
    sysex_byte(byte);
    return;
  }
  if (!status) return;
  data[data_count++] = byte;
  if (data_count < ((status & 0xE0) == 0xC0 ? 1 : 2)) return;
  data_count = 0;
  channel_message();
}

void midi_init(void) {
  REG8(UART_STATUS) = 0x03; /* master reset */
  REG8(UART_STATUS) = 0x95; /* receive interrupt on, transmit interrupt off, 8N1 */
}

void midi_poll(void) {
  while (midi_ring_read != midi_ring_write) midi_byte(midi_ring[midi_ring_read++]);
}

/* Level 2: the FIFO holds two-byte events and reads 0 once it is empty, which also
   withdraws the request. */
void __attribute__((interrupt_handler)) exception_vector_26(void) {
  for (;;) {
    uint8_t key = REG8(KEY_FIFO);
    if (key == 0) return;
    uint8_t velocity = REG8(KEY_FIFO);
    key_ring[key_ring_write++ & 31] = (uint16_t)(key << 8 | velocity);
  }
}

void keys_poll(void) {
  while (key_ring_read != key_ring_write) {
    uint16_t event = key_ring[key_ring_read++ & 31];
    uint8_t key = (uint8_t)(event >> 8);
    REPORTED(KQ_BT_KEY_EVENTS) += 1;
    note("KEY", key & 0x7F, (uint8_t)event, (key & KEY_PRESS) != 0);
  }
}

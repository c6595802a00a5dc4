/* The KQ board as the test firmware drives it: the address of every device register,
   and the state that the firmware's parts share. */
#ifndef KQ_BOARDTEST_BOARD_H
#define KQ_BOARDTEST_BOARD_H

#include "boardtest.h"

#define CARTRIDGE 0x10000
#define WAVE_REGISTERS 0x16000
#define PATCH_MEMORY 0x18000
#define UART_STATUS 0x1E000 /* read: status; write: control */
#define UART_DATA 0x1E002
#define LCD_INSTRUCTION 0x1E100 /* read: address counter and busy flag */
#define LCD_DATA 0x1E102
#define KEY_FIFO 0x1E200
#define SWITCH_ROWS 0x1E300 /* row n at + 2n */
#define DIGIT_LATCH 0x1E400
#define LIGHT_LATCH 0x1E500
#define ADC_SELECT 0x1E600 /* input n at + 2n */
#define DAC 0x1E700        /* channel n at + 2n */
#define WAVE_LOAD_A 0x1E800
#define TIMER_ACK 0x1EC00
#define WAVE_RESET 0x1ED00
#define ADC_RESULT 0x1FF00 /* the result page's mirror: the board ignores address bit 12 there */

#define REPORT(field) (KQ_MAILBOX_KQ + (field))

/* Serial status bits. */
#define UART_RECEIVED 0x01
#define UART_CAN_SEND 0x02

#ifndef __ASSEMBLER__

#include <stdint.h>

#define REG8(address) (*(volatile uint8_t *)(address))
#define REG16(address) (*(volatile uint16_t *)(address))
#define REPORTED(field) (*(volatile uint32_t *)REPORT(field))

/* DAC channels. */
#define DAC_LEVEL_A(voice) (4 * (voice)) /* chip A's output level of the voice */
#define DAC_VCA(voice) (32 + (voice))
#define DAC_CUTOFF(voice) (40 + (voice))
#define DAC_PAN(voice) (48 + (voice))
#define DAC_RESONANCE_LEFT 56
#define DAC_RESONANCE_RIGHT 57
#define DAC_CHORUS_LEFT 58
#define DAC_CHORUS_RIGHT 59
#define DAC_FINAL_LEFT 60
#define DAC_FINAL_RIGHT 61
#define VOICES 8

/* Control lines of the digit latch (its word's high byte). */
#define LATCH_OUTPUT_ENABLE 0x0400
#define LATCH_BACKLIGHT 0x0800

/* Analog inputs. */
#define ADC_JOYSTICK_X 2
#define ADC_JOYSTICK_Y 3
#define ADC_DATA_ENTRY 4
#define ADC_VOLUME 5
#define ADC_BALANCE 6

static inline void dac_write(int channel, uint16_t value) { REG16(DAC + 2 * channel) = value; }

/* Kept by the interrupt entries: the tick count, and the bytes received on the serial
   port in a ring that the main loop empties. */
extern volatile uint32_t ticks;
extern volatile uint8_t midi_ring[256];
extern volatile uint8_t midi_ring_write;
void interrupts_enable(void);

/* LCD: text of both lines, shown by display_update, and the user glyphs: a note while a
   voice sounds, a button while one is held. */
#define GLYPH_NOTE 0
#define GLYPH_BUTTON 1
void display_init(void);
void display_text(int line, const char *text); /* up to 16 characters, padded */
void display_set(int line, int column, char c);
void display_update(void);
/* Writes the value as `digits` decimal digits at out. */
void format_decimal(char *out, uint32_t value, int digits);

/* Sound: chip A's waves and voices, the DAC's channels. */
void sound_init(void);
void sound_note_on(uint8_t note, uint8_t velocity);
void sound_note_off(uint8_t note);
void sound_all_off(void);
void sound_controls(uint8_t volume, uint8_t balance, uint8_t data_entry);
uint16_t note_frequency(uint8_t note);

/* Front panel: switches, lights, digits, analog inputs. */
void panel_init(uint32_t boots);
void panel_tick(void);
void panel_sample_inputs(void);

/* MIDI in from the serial ring, and the key FIFO's events in a ring of their own;
   input_waiting tells the main loop's wait that either ring holds something. */
extern uint8_t midi_ring_read;
extern volatile uint8_t key_ring_write;
extern uint8_t key_ring_read;
static inline int input_waiting(void) {
  return midi_ring_read != midi_ring_write || key_ring_read != key_ring_write;
}
void midi_init(void);
void midi_poll(void);
void keys_poll(void);

#endif
#endif

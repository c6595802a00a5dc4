/* Chip A's waves and eight voices, one oscillator of chip A each, through the DAC's
   level, amplifier, cutoff and pan channels. */
#include "board.h"

#define NO_NOTE 0xFF
#define CONTROL_NOISE_OFF 0x4000 /* the write also sets the noise flag, here to off */
#define LOAD_POINTER 0x8000
#define LOAD_HIGH_BYTE 0x0200
#define LOAD_UPPER_BANK 0x0400

enum { WAVE_SINE, WAVE_TRIANGLE, WAVE_SAW, WAVE_SQUARE, WAVES };

/* A quarter of a sine at 12 bits, 32 steps and the peak. */
static const int16_t quarter_sine[33] = {
    0,    100,  201,  300,  399,  497,  594,  690,  783,  875,  965,
    1052, 1137, 1219, 1299, 1375, 1447, 1517, 1582, 1644, 1702, 1756,
    1805, 1850, 1891, 1927, 1959, 1986, 2008, 2025, 2037, 2045, 2047,
};

/* Oscillator frequency registers of the notes 84-95 (C6 to B6); lower octaves halve
   them. One register step is 249618.66 / 2^23 Hz. */
static const uint32_t top_octave[12] = {
    35168, 37260, 39475, 41823, 44309, 46944, 49736, 52693, 55826, 59146, 62663, 66389,
};

static struct {
  uint8_t note;
  uint32_t started;
} voices[VOICES];
static uint32_t notes_started;

static volatile uint16_t *wave_register(int voice, int frequency) {
  return (volatile uint16_t *)(WAVE_REGISTERS + (voice << 4) + (frequency ? 2 : 0));
}

/* One 12-bit sample of a wave, -2047 to 2047, at index 0-127. */
static int16_t wave_sample(int wave, int i) {
  switch (wave) {
    case WAVE_SINE: {
      int quarter = i >> 5, step = i & 31;
      int16_t s = quarter_sine[quarter & 1 ? 32 - step : step];
      return quarter & 2 ? -s : s;
    }
    case WAVE_TRIANGLE:
      return (int16_t)(i < 64 ? -2047 + i * 64 : 2047 - (i - 64) * 64);
    case WAVE_SAW:
      return (int16_t)(-2047 + i * 32);
    default:
      return i < 64 ? 2047 : -2047;
  }
}

/* Voice 0's control register points the load port at a sample and one of its bytes. */
static void load_wave(int wave) {
  volatile uint16_t *pointer = wave_register(0, 0);
  uint16_t base = LOAD_POINTER | (wave & 4 ? LOAD_UPPER_BANK : 0) | (uint16_t)((wave & 3) << 7);
  for (int i = 0; i < 128; ++i) {
    uint16_t sample = (uint16_t)(wave_sample(wave, i) << 4);
    *pointer = base | LOAD_HIGH_BYTE | (uint16_t)i;
    REG8(WAVE_LOAD_A) = (uint8_t)(sample >> 8);
    *pointer = base | (uint16_t)i;
    REG8(WAVE_LOAD_A) = (uint8_t)sample;
  }
}

uint16_t note_frequency(uint8_t note) {
  if (note >= 84) note = 84 + note % 12;
  uint32_t value = top_octave[note % 12] >> (7 - note / 12);
  while (value > 0xFFFF) value >>= 1;
  return (uint16_t)value;
}

static void report_sounding(void) {
  uint32_t sounding = 0;
  for (int v = 0; v < VOICES; ++v)
    if (voices[v].note != NO_NOTE) sounding |= 1u << v;
  REPORTED(KQ_BT_SOUNDING) = sounding;
}

void sound_init(void) {
  (void)REG8(WAVE_RESET);
  for (int wave = 0; wave < WAVES; ++wave) load_wave(wave);
  for (int channel = 0; channel < 32; ++channel) dac_write(channel, 0);
  for (int v = 0; v < VOICES; ++v) {
    *wave_register(v, 0) = CONTROL_NOISE_OFF | WAVE_SINE;
    *wave_register(v, 1) = 0;
    dac_write(DAC_VCA(v), 0);
    voices[v].note = NO_NOTE;
  }
  dac_write(DAC_RESONANCE_LEFT, 0);
  dac_write(DAC_RESONANCE_RIGHT, 0);
  dac_write(DAC_CHORUS_LEFT, 0x8000);
  dac_write(DAC_CHORUS_RIGHT, 0x8000);
  report_sounding();
}

/* Balance 0 is the knob's L end. The pan channel takes the left share, so it gets the
   reverse: 0 all left, 255 all right. */
void sound_controls(uint8_t volume, uint8_t balance, uint8_t data_entry) {
  dac_write(DAC_FINAL_LEFT, (uint16_t)(volume * 0x101));
  dac_write(DAC_FINAL_RIGHT, (uint16_t)(volume * 0x101));
  for (int v = 0; v < VOICES; ++v) {
    dac_write(DAC_PAN(v), (uint16_t)((255 - balance) * 0x101));
    dac_write(DAC_CUTOFF(v), (uint16_t)(data_entry * 0x101));
  }
}

/* A free voice, else the one playing longest. */
static int take_voice(void) {
  int oldest = 0;
  for (int v = 0; v < VOICES; ++v) {
    if (voices[v].note == NO_NOTE) return v;
    if (voices[v].started < voices[oldest].started) oldest = v;
  }
  return oldest;
}

void sound_note_on(uint8_t note, uint8_t velocity) {
  int v = take_voice();
  uint16_t frequency = note_frequency(note);
  voices[v].note = note;
  voices[v].started = ++notes_started;
  *wave_register(v, 1) = frequency;
  dac_write(DAC_LEVEL_A(v), 0xFFF0);
  dac_write(DAC_VCA(v), (uint16_t)(velocity << 9));
  REPORTED(KQ_BT_NOTES) += 1;
  REPORTED(KQ_BT_LAST_NOTE) = (uint32_t)note << 8 | velocity;
  REPORTED(KQ_BT_LAST_FREQUENCY) = frequency;
  report_sounding();
}

void sound_note_off(uint8_t note) {
  for (int v = 0; v < VOICES; ++v)
    if (voices[v].note == note) {
      dac_write(DAC_VCA(v), 0);
      voices[v].note = NO_NOTE;
    }
  report_sounding();
}

void sound_all_off(void) {
  for (int v = 0; v < VOICES; ++v)
    if (voices[v].note != NO_NOTE) sound_note_off(voices[v].note);
}

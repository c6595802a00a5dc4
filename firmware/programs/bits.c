/* Bit operations: counting, reversing, rotating, Gray codes, interleaving, bit fields,
   sign extension of fields, a bitmap of flags, shift registers and the compiler's bit
   count built-ins. */
#include "common.h"

static uint8_t flags[256];

struct packed_voice {
  unsigned wave : 3;
  unsigned level : 7;
  signed detune : 5;
  unsigned on : 1;
  unsigned pan : 4;
};

/* Bit instructions as firmware uses them on flags in memory and on peripherals: BSET,
   BCLR, BCHG and BTST with the bit number in a register (taken modulo 8 in memory,
   modulo 32 in a register), MOVEP on the alternate bytes of an 8-bit device, and TAS
   on a lock byte. The host build does the same in C. */
#ifdef __mc68000__
#define FLAG_OPERATION(name, instruction)                                                       \
  static void name(uint8_t *map, uint16_t bit) {                                               \
    __asm__ volatile(instruction " %1, %0" : "+m"(map[bit >> 3]) : "d"((uint32_t)bit) : "cc"); \
  }
FLAG_OPERATION(set_flag, "bset")
FLAG_OPERATION(clear_flag, "bclr")
FLAG_OPERATION(change_flag, "bchg")

static int flag_is_set(const uint8_t *map, uint16_t bit) {
  uint8_t set;
  __asm__("btst %2, %1\n\tsne %0" : "=d"(set) : "m"(map[bit >> 3]), "d"((uint32_t)bit) : "cc");
  return set & 1;
}

static uint32_t change_register_bit(uint32_t v, uint32_t bit) {
  __asm__("bchg %1, %0" : "+d"(v) : "d"(bit) : "cc");
  return v;
}

static void write_alternate(uint8_t *device, uint32_t v) {
  __asm__ volatile("movep.l %1, 0(%0)" : : "a"(device), "d"(v) : "memory");
}

static uint16_t read_alternate(const uint8_t *device) {
  uint16_t v;
  __asm__ volatile("movep.w 0(%1), %0" : "=d"(v) : "a"(device), "m"(*(const uint8_t(*)[4])device));
  return v;
}

static int take_lock(uint8_t *lock) {
  uint8_t was;
  __asm__ volatile("tas %1\n\tsmi %0" : "=d"(was), "+m"(*lock) : : "cc");
  return !(was & 1);
}
#else
static void set_flag(uint8_t *map, uint16_t bit) { map[bit >> 3] |= (uint8_t)(1 << (bit & 7)); }
static void clear_flag(uint8_t *map, uint16_t bit) { map[bit >> 3] &= (uint8_t)~(1 << (bit & 7)); }
static void change_flag(uint8_t *map, uint16_t bit) { map[bit >> 3] ^= (uint8_t)(1 << (bit & 7)); }
static int flag_is_set(const uint8_t *map, uint16_t bit) { return (map[bit >> 3] >> (bit & 7)) & 1; }
static uint32_t change_register_bit(uint32_t v, uint32_t bit) { return v ^ (1u << (bit & 31)); }
static void write_alternate(uint8_t *device, uint32_t v) {
  for (int i = 0; i < 4; ++i) device[2 * i] = (uint8_t)(v >> (24 - 8 * i));
}
static uint16_t read_alternate(const uint8_t *device) { return (uint16_t)(device[0] << 8 | device[2]); }
static int take_lock(uint8_t *lock) {
  int free = !(*lock & 0x80);
  *lock |= 0x80;
  return free;
}
#endif

static uint32_t count_bits(uint32_t v) {
  uint32_t n = 0;
  for (; v; v &= v - 1) ++n;
  return n;
}

static uint32_t count_bits_parallel(uint32_t v) {
  v = v - ((v >> 1) & 0x55555555u);
  v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
  v = (v + (v >> 4)) & 0x0F0F0F0Fu;
  return (v * 0x01010101u) >> 24;
}

static uint32_t reverse_bits(uint32_t v) {
  v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
  v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
  v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
  v = ((v >> 8) & 0x00FF00FFu) | ((v & 0x00FF00FFu) << 8);
  return (v >> 16) | (v << 16);
}

static uint32_t reverse_bits_loop(uint32_t v) {
  uint32_t r = 0;
  for (int i = 0; i < 32; ++i, v >>= 1) r = (r << 1) | (v & 1);
  return r;
}

static uint32_t rotate_left(uint32_t v, unsigned n) { return (v << (n & 31)) | (v >> ((32 - n) & 31)); }
static uint16_t rotate_left16(uint16_t v, unsigned n) { return (uint16_t)((v << (n & 15)) | (v >> ((16 - n) & 15))); }
static uint8_t rotate_right8(uint8_t v, unsigned n) { return (uint8_t)((v >> (n & 7)) | (v << ((8 - n) & 7))); }

static uint32_t gray(uint32_t v) { return v ^ (v >> 1); }
static uint32_t from_gray(uint32_t g) {
  for (uint32_t s = 1; s < 32; s <<= 1) g ^= g >> s;
  return g;
}

/* Morton order: the bits of x and y interleaved. */
static uint32_t interleave(uint16_t x, uint16_t y) {
  uint32_t r = 0;
  for (int i = 0; i < 16; ++i) r |= (uint32_t)((x >> i) & 1) << (2 * i) | (uint32_t)((y >> i) & 1) << (2 * i + 1);
  return r;
}

static int32_t sign_extend(uint32_t v, unsigned width) {
  uint32_t m = 1u << (width - 1);
  v &= (m << 1) - 1;
  return (int32_t)((v ^ m) - m);
}

static uint16_t lfsr_step(uint16_t s) { return (uint16_t)((s >> 1) ^ (-(int16_t)(s & 1) & 0xB400u)); }

static uint32_t byte_swap(uint32_t v) { return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24); }

int main(void) {
  uint32_t state = 0x1BADB002u, counts = 0, disagree = 0, reversed = HASH_START, rotated = HASH_START;
  for (int i = 0; i < 300; ++i) {
    uint32_t v = next_random(&state) >> (i & 15);
    counts += count_bits(v);
    disagree += count_bits(v) != count_bits_parallel(v);
    disagree += (uint32_t)__builtin_popcount(v) != count_bits(v);
    disagree += reverse_bits(v) != reverse_bits_loop(v);
    if (v) {
      disagree += (uint32_t)__builtin_clz(v) + (uint32_t)__builtin_ctz(reverse_bits(v)) != 2u * (uint32_t)__builtin_clz(v);
      reversed = mix(reversed, (uint32_t)__builtin_clz(v) << 8 | (uint32_t)__builtin_ctz(v));
    }
    reversed = mix(reversed, reverse_bits(v));
    rotated = mix(rotated, rotate_left(v, (unsigned)i));
    rotated = mix(rotated, rotate_left16((uint16_t)v, (unsigned)i));
    rotated = mix(rotated, rotate_right8((uint8_t)v, (unsigned)i));
    disagree += from_gray(gray(v)) != v;
    disagree += byte_swap(byte_swap(v)) != v;
  }
  kq_report("bit counts", counts);
  kq_report("disagreements", disagree);
  kq_report("reversed", reversed);
  kq_report("rotated", rotated);

  uint32_t grays = HASH_START, morton = HASH_START;
  for (uint32_t v = 0; v < 256; ++v) grays = mix(grays, gray(v * 0x01010101u));
  for (uint16_t x = 0; x < 40; x += 3)
    for (uint16_t y = 0; y < 40; y += 5) morton = mix(morton, interleave((uint16_t)(x * 1237), (uint16_t)(y * 4099)));
  kq_report("gray codes", grays);
  kq_report("morton", morton);

  /* Fields of a packed structure, updated read-modify-write. */
  struct packed_voice voices[8];
  memset(voices, 0, sizeof voices);
  for (int round = 0; round < 50; ++round)
    for (int v = 0; v < 8; ++v) {
      uint32_t r = next_random(&state);
      voices[v].wave = (voices[v].wave + r) & 7;
      voices[v].level = (uint8_t)(voices[v].level + (r >> 3)) & 0x7F;
      voices[v].detune = (int8_t)(sign_extend(r >> 10, 5));
      voices[v].on ^= (r >> 15) & 1;
      voices[v].pan = (voices[v].pan + 3) & 15;
    }
  uint32_t fields = HASH_START;
  for (int v = 0; v < 8; ++v)
    fields = mix(mix(mix(mix(mix(fields, voices[v].wave), voices[v].level), (uint32_t)voices[v].detune), voices[v].on),
                 voices[v].pan);
  kq_report("bit fields", fields);

  uint32_t extended = HASH_START;
  for (unsigned width = 1; width <= 32; ++width) extended = mix(extended, (uint32_t)sign_extend(0xDEADBEEFu >> (32 - width), width));
  kq_report("sign extension", extended);

  /* A bitmap of 2048 flags: set, clear and toggle by computed indexes in C and with the
     bit instructions, then count. */
  for (int i = 0; i < 2000; ++i) {
    uint32_t r = next_random(&state);
    uint16_t bit = (uint16_t)(r & 2047);
    switch ((r >> 11) & 7) {
      case 0: flags[bit >> 3] |= (uint8_t)(1 << (bit & 7)); break;
      case 1: flags[bit >> 3] &= (uint8_t)~(1 << (bit & 7)); break;
      case 2: flags[bit >> 3] ^= (uint8_t)(1 << (bit & 7)); break;
      case 3: set_flag(flags, bit); break;
      case 4: clear_flag(flags, bit); break;
      case 5: change_flag(flags, bit); break;
      default: break;
    }
  }
  uint32_t set = 0, positions = 0, tested = 0;
  for (uint16_t bit = 0; bit < 2048; ++bit) {
    if (flags[bit >> 3] & (1 << (bit & 7))) {
      ++set;
      positions += bit;
    }
    tested += (uint32_t)flag_is_set(flags, bit);
  }
  kq_report("flags set", set);
  kq_report("flag positions", positions);
  kq_report("flags tested", tested);

  uint32_t register_bits = 0x5A5A5A5Au;
  for (uint32_t bit = 0; bit < 70; bit += 3) register_bits = change_register_bit(register_bits, bit);
  kq_report("register bits", register_bits);

  /* A device on every other byte: four registers written at once, read back in pairs. */
  uint8_t device[8];
  memset(device, 0xEE, sizeof device);
  write_alternate(device, 0x12345678u);
  uint32_t alternate = (uint32_t)read_alternate(device) << 16 | read_alternate(device + 4);
  kq_report("alternate bytes", alternate);
  kq_report("untouched bytes", (uint32_t)device[1] << 24 | (uint32_t)device[3] << 16 | (uint32_t)device[5] << 8 | device[7]);

  uint8_t lock = 0x05;
  int first = take_lock(&lock), second = take_lock(&lock);
  kq_report("lock", (uint32_t)(first << 9 | second << 8 | lock));

  uint16_t lfsr = 0xACE1u;
  uint32_t period = 0;
  do {
    lfsr = lfsr_step(lfsr);
    ++period;
  } while (lfsr != 0xACE1u);
  kq_report("lfsr period", period);

  /* Shifts by variable counts, logical and arithmetic, of every width. */
  uint32_t shifts = HASH_START;
  for (unsigned n = 0; n < 32; ++n) {
    uint32_t u = 0x8421F00Fu;
    int32_t s = (int32_t)0x8421F00Fu;
    int16_t w = (int16_t)0x9ABC;
    int8_t b = (int8_t)0xA5;
    shifts = mix(shifts, u << n);
    shifts = mix(shifts, u >> n);
    shifts = mix(shifts, (uint32_t)(s >> n));
    shifts = mix(shifts, (uint32_t)(w >> (n & 15)));
    shifts = mix(shifts, (uint16_t)((uint16_t)w << (n & 15)));
    shifts = mix(shifts, (uint32_t)(b >> (n & 7)));
  }
  kq_report("shifts", shifts);

  /* Parity, nibble swap and the lowest set bit. */
  uint32_t misc = HASH_START;
  for (uint32_t v = 1; v < 4000; v += 13) {
    uint32_t p = v ^ (v >> 16);
    p ^= p >> 8;
    p ^= p >> 4;
    p ^= p >> 2;
    p ^= p >> 1;
    misc = mix(misc, p & 1);
    misc = mix(misc, (uint8_t)((v << 4) | ((v >> 4) & 15)));
    misc = mix(misc, v & (0u - v));
  }
  kq_report("misc", misc);
  return 0;
}

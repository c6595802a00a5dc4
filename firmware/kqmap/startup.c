/* A program for the KQ memory map that checks its own start-up: initialised data
   arrives from its copy in ROM, zeroed data is zero although work RAM starts out full
   of noise, constants are read in place from ROM, the stack works to some depth, and a
   vector that the program defines (TRAP #0 here) replaces the catch-all. */
#include "program.h"

static uint32_t counter = 0x12345678u;
static uint8_t odd_table[5] = {1, 2, 3, 4, 5};
static int16_t signed_words[3] = {-1, 300, -32768};
static uint32_t zeros[64];
static uint8_t zero_bytes[7];
static const uint16_t constants[6] = {0xCAFE, 0xBABE, 0x0123, 0x4567, 0x89AB, 0xCDEF};

static volatile uint32_t traps;

#ifdef __mc68000__
void __attribute__((interrupt_handler)) exception_vector_32(void) { traps += 3; }
static void trap(void) { __asm__ volatile("trap #0" : : : "memory"); }
#else
static void trap(void) { traps += 3; }
#endif

static uint32_t depth(uint32_t n) { return n == 0 ? 0 : n + depth(n - 1); }

int main(void) {
  kq_report("counter", counter);
  uint32_t sum = 0;
  for (int i = 0; i < 5; ++i) sum = sum * 16 + odd_table[i];
  kq_report("odd table", sum);
  kq_report("signed words", (uint32_t)(signed_words[0] + signed_words[1] + signed_words[2]));
  uint32_t nonzero = 0;
  for (int i = 0; i < 64; ++i) nonzero += zeros[i] != 0;
  for (int i = 0; i < 7; ++i) nonzero += zero_bytes[i] != 0;
  kq_report("nonzero", nonzero);
  uint32_t c = 0;
  for (int i = 0; i < 6; ++i) c = (c << 5) ^ constants[i];
  kq_report("constants", c);

  /* The data is writable where it lives. */
  counter += 0x1111u;
  for (int i = 0; i < 64; ++i) zeros[i] = counter + (uint32_t)i;
  odd_table[4] = 0x55;
  uint32_t total = 0;
  for (int i = 0; i < 64; ++i) total += zeros[i];
  kq_report("written", total + odd_table[4]);
  kq_report("stack", depth(40));
  trap();
  trap();
  kq_report("traps", traps);
  return 0;
}

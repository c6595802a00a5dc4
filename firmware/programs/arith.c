/* 16- and 32-bit arithmetic: products, quotients and remainders, signed and unsigned,
   over edge values and random operands of every magnitude; then GCD, square roots,
   modular powers, Collatz runs and binomials. */
#include "common.h"

static const uint32_t edges[] = {
    0,          1,          2,          3,          7,          10,         0x7F,       0x80,
    0xFF,       0x100,      0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x10001,    0x1FFFF,
    0x12345,    0xFFFFF,    0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFF0000, 0xFFFF0001, 0xFFFFFFFE,
    0xFFFFFFFF, 123456789,  987654321,  0xDEADBEEF, 0x00C0FFEE, 0x0000FFFE, 0x00010000, 0x3B9ACA00,
};
#define EDGES (sizeof edges / sizeof edges[0])

static uint32_t hash_unsigned(uint32_t h, uint32_t a, uint32_t b) {
  h = mix(h, a * b);
  if (b != 0) h = mix(mix(h, a / b), a % b);
  return h;
}

static uint32_t hash_signed(uint32_t h, int32_t a, int32_t b) {
  h = mix(h, (uint32_t)a * (uint32_t)b);
  if (b != 0 && !(a == INT32_MIN && b == -1)) h = mix(mix(h, (uint32_t)(a / b)), (uint32_t)(a % b));
  return h;
}

static uint32_t hash_words(uint32_t h, uint16_t a, uint16_t b) {
  int16_t sa = (int16_t)a, sb = (int16_t)b;
  h = mix(h, (uint32_t)a * b);
  h = mix(h, (uint32_t)(sa * sb));
  if (b != 0) h = mix(mix(h, (uint16_t)(a / b)), (uint16_t)(a % b));
  if (sb != 0) h = mix(mix(h, (uint32_t)(sa / sb)), (uint32_t)(sa % sb));
  /* A long divided by a word, as a 32/16 division would be asked for. */
  if (b != 0) h = mix(h, ((uint32_t)a << 12 | b) / b);
  return h;
}

static uint32_t gcd(uint32_t a, uint32_t b) {
  while (b) {
    uint32_t t = a % b;
    a = b;
    b = t;
  }
  return a;
}

static uint32_t isqrt(uint32_t n) {
  if (n < 2) return n;
  uint32_t x = n / 2 + 1, y = (x + n / x) / 2;
  while (y < x) {
    x = y;
    y = (x + n / x) / 2;
  }
  return x;
}

static uint32_t mod_pow(uint32_t base, uint32_t exp, uint16_t mod) {
  uint32_t result = 1;
  base %= mod;
  while (exp) {
    if (exp & 1) result = result * base % mod;
    base = base * base % mod;
    exp >>= 1;
  }
  return result;
}

static uint16_t collatz_steps(uint32_t n) {
  uint16_t steps = 0;
  while (n != 1) {
    n = (n & 1) ? 3 * n + 1 : n >> 1;
    ++steps;
  }
  return steps;
}

int main(void) {
  uint32_t h = HASH_START;
  for (unsigned i = 0; i < EDGES; ++i)
    for (unsigned j = 0; j < EDGES; ++j) h = hash_unsigned(h, edges[i], edges[j]);
  kq_report("unsigned edges", h);

  h = HASH_START;
  for (unsigned i = 0; i < EDGES; ++i)
    for (unsigned j = 0; j < EDGES; ++j) h = hash_signed(h, (int32_t)edges[i], (int32_t)edges[j]);
  kq_report("signed edges", h);

  h = HASH_START;
  for (unsigned i = 0; i < EDGES; ++i)
    for (unsigned j = 0; j < EDGES; ++j) h = hash_words(h, (uint16_t)edges[i], (uint16_t)(edges[j] >> (j & 16)));
  kq_report("word edges", h);

  /* Random operands of random magnitude, so that every path of the long division runs. */
  uint32_t state = 0xA5A5F00Du, hu = HASH_START, hs = HASH_START, hw = HASH_START;
  for (int i = 0; i < 400; ++i) {
    uint32_t a = next_random(&state), b = next_random(&state);
    a >>= a & 31;
    b >>= (b >> 8) & 31;
    hu = hash_unsigned(hu, a, b);
    hs = hash_signed(hs, (int32_t)a, -(int32_t)(b >> 1));
    hw = hash_words(hw, (uint16_t)a, (uint16_t)b);
  }
  kq_report("random unsigned", hu);
  kq_report("random signed", hs);
  kq_report("random words", hw);

  /* Exact quotients and their checks: q * b + r == a always. */
  uint32_t wrong = 0;
  for (int i = 0; i < 300; ++i) {
    uint32_t a = next_random(&state), b = next_random(&state) >> (i % 32);
    if (b == 0) continue;
    uint32_t q = a / b, r = a % b;
    wrong += q * b + r != a || r >= b;
    int32_t sa = (int32_t)a >> (i % 7), sb = (int32_t)(b | 1) >> (i % 5);
    if (sb == 0 || (sa == INT32_MIN && sb == -1)) continue;
    int32_t sq = sa / sb, sr = sa % sb;
    wrong += (uint32_t)sq * (uint32_t)sb + (uint32_t)sr != (uint32_t)sa;
  }
  kq_report("identity failures", wrong);

  uint32_t g = 0;
  for (uint32_t a = 1000; a < 1300; a += 7) g += gcd(a * 9973u, 123456u + a);
  kq_report("gcd", g);

  uint32_t roots = HASH_START;
  for (int i = 0; i < 200; ++i) roots = mix(roots, isqrt(next_random(&state) >> (i % 20)));
  roots = mix(roots, isqrt(0xFFFFFFFFu));
  kq_report("square roots", roots);

  uint32_t powers = HASH_START;
  for (uint32_t b = 2; b < 40; ++b) powers = mix(powers, mod_pow(b * 12345u, b * 1000u + 7, (uint16_t)(60000 + b)));
  kq_report("modular powers", powers);

  uint16_t longest = 0;
  uint32_t longest_start = 0;
  for (uint32_t n = 1; n < 3000; ++n) {
    uint16_t s = collatz_steps(n);
    if (s > longest) {
      longest = s;
      longest_start = n;
    }
  }
  kq_report("collatz steps", longest);
  kq_report("collatz start", longest_start);

  /* Pascal's triangle in 32 bits (wrapping), row by row in place. */
  uint32_t row[41] = {1};
  for (int n = 1; n <= 40; ++n)
    for (int k = n; k > 0; --k) row[k] += row[k - 1];
  uint32_t binomials = HASH_START;
  for (int k = 0; k <= 40; ++k) binomials = mix(binomials, row[k]);
  kq_report("binomials", binomials);

  /* 64-bit sums, differences, negation, comparisons and shifts by constants, which the
     compiler does inline with ADDX, SUBX, NEGX and ROXR. */
  uint64_t wide = 0x0123456789ABCDEFull, mixed = 0;
  uint32_t below = 0;
  for (int i = 0; i < 200; ++i) {
    uint64_t a = (uint64_t)next_random(&state) << 32 | next_random(&state);
    uint64_t b = (uint64_t)next_random(&state) << (i % 32);
    wide += a;
    wide -= b >> 1;
    wide ^= a << 3;
    mixed = (0 - mixed) + (uint64_t)((int64_t)a >> 5) + (b >> 17);
    below += (a < b) + ((int64_t)a < (int64_t)b) * 2u + (wide > mixed) * 4u;
  }
  kq_report("wide high", (uint32_t)(wide >> 32));
  kq_report("wide low", (uint32_t)wide);
  kq_report("mixed", (uint32_t)(mixed >> 32) ^ (uint32_t)mixed);
  kq_report("wide compares", below);

  /* Bytes: signed and unsigned narrowing of products and quotients. */
  uint32_t bytes = HASH_START;
  for (int a = -128; a < 128; a += 5)
    for (int b = -128; b < 128; b += 9) {
      int8_t sa = (int8_t)a, sb = (int8_t)b;
      bytes = mix(bytes, (uint8_t)(sa * sb));
      if (sb != 0) bytes = mix(bytes, (uint32_t)(int8_t)(sa / sb) ^ (uint32_t)(sa % sb));
      bytes = mix(bytes, (uint8_t)((uint8_t)a + (uint8_t)b) + ((uint8_t)a < (uint8_t)b));
    }
  kq_report("bytes", bytes);
  return 0;
}

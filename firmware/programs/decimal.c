/* Packed decimal arithmetic as a cash register or a counter display would do it: numbers
   of ten bytes (twenty digits, most significant byte first) added, subtracted and
   negated through ABCD, SBCD and NBCD chains with the carry in X, and single bytes in
   registers. The host build runs a model of the three instructions instead. */
#include "common.h"

#define DIGIT_BYTES 10

typedef uint8_t decimal[DIGIT_BYTES];

#ifdef __mc68000__

/* d := d + s or d - s over n bytes from the low end, X clear at the start; returns the
   carry or borrow out. */
#define DECIMAL_CHAIN(name, instruction)                                \
  static uint8_t name(uint8_t *d, const uint8_t *s, uint16_t n) {       \
    uint8_t out;                                                        \
    d += n;                                                             \
    s += n;                                                             \
    n -= 1;                                                             \
    __asm__ volatile("  move.w  #4, %%ccr\n"                            \
                     "1: " instruction " -(%1), -(%0)\n"                \
                     "  dbra    %2, 1b\n"                               \
                     "  scs     %3\n"                                   \
                     : "+a"(d), "+a"(s), "+d"(n), "=d"(out)             \
                     :                                                  \
                     : "cc", "memory");                                 \
    return out & 1;                                                     \
  }
DECIMAL_CHAIN(add_decimal, "abcd")
DECIMAL_CHAIN(subtract_decimal, "sbcd")

/* d := 0 - d over n bytes; returns the borrow out. */
static uint8_t negate_decimal(uint8_t *d, uint16_t n) {
  uint8_t borrow;
  d += n;
  n -= 1;
  __asm__ volatile(
      "  andi.b  #0xEF, %%ccr\n"
      "1: nbcd   -(%0)\n"
      "  dbra    %1, 1b\n"
      "  scs     %2\n"
      : "+a"(d), "+d"(n), "=d"(borrow)
      :
      : "cc", "memory");
  return borrow & 1;
}

/* Register forms on one byte, the carry or borrow passed in and out; NEG of 0 or 1 sets
   X to that value. */
#define DECIMAL_BYTE(name, instruction)                           \
  static uint8_t name(uint8_t a, uint8_t b, uint8_t *flag) {      \
    uint8_t x = *flag, c;                                         \
    __asm__("  neg.b  %1\n"                                       \
            "  " instruction " %3, %0\n"                          \
            "  scs    %2\n"                                       \
            : "+d"(a), "+d"(x), "=d"(c)                           \
            : "d"(b)                                              \
            : "cc");                                              \
    *flag = c & 1;                                                \
    return a;                                                     \
  }
DECIMAL_BYTE(add_byte, "abcd")
DECIMAL_BYTE(subtract_byte, "sbcd")

static uint8_t negate_byte(uint8_t a, uint8_t *borrow) {
  uint8_t x = *borrow, c;
  __asm__("  neg.b  %1\n"
          "  nbcd   %0\n"
          "  scs    %2\n"
          : "+d"(a), "+d"(x), "=d"(c)
          :
          : "cc");
  *borrow = c & 1;
  return a;
}

#else

/* The three instructions on one byte, with the decimal carry x in and out. */
static uint8_t model_abcd(uint8_t s, uint8_t d, uint8_t *x) {
  int lo = (s & 0x0F) + (d & 0x0F) + *x;
  if (lo >= 10) lo += 6;
  int r = lo + (s & 0xF0) + (d & 0xF0);
  if (r >= 0xA0) r += 0x60;
  *x = r >= 0x100;
  return (uint8_t)r;
}

static uint8_t model_sbcd(uint8_t s, uint8_t d, uint8_t *x) {
  int lo = (d & 0x0F) - (s & 0x0F) - *x;
  int hi = (d & 0xF0) - (s & 0xF0);
  if (lo < 0) {
    lo += 10;
    hi -= 0x10;
  }
  if (hi < 0) hi -= 0x60;
  int r = lo + hi;
  *x = r < 0;
  return (uint8_t)r;
}

static uint8_t add_decimal(uint8_t *d, const uint8_t *s, uint16_t n) {
  uint8_t x = 0;
  while (n--) d[n] = model_abcd(s[n], d[n], &x);
  return x;
}

static uint8_t subtract_decimal(uint8_t *d, const uint8_t *s, uint16_t n) {
  uint8_t x = 0;
  while (n--) d[n] = model_sbcd(s[n], d[n], &x);
  return x;
}

static uint8_t negate_decimal(uint8_t *d, uint16_t n) {
  uint8_t x = 0;
  while (n--) d[n] = model_sbcd(d[n], 0, &x);
  return x;
}

static uint8_t add_byte(uint8_t a, uint8_t b, uint8_t *carry) { return model_abcd(b, a, carry); }
static uint8_t subtract_byte(uint8_t a, uint8_t b, uint8_t *borrow) { return model_sbcd(b, a, borrow); }
static uint8_t negate_byte(uint8_t a, uint8_t *borrow) { return model_sbcd(a, 0, borrow); }

#endif

static void to_decimal(uint8_t *d, uint32_t v) {
  for (int i = DIGIT_BYTES - 1; i >= 0; --i) {
    uint8_t low = (uint8_t)(v % 10);
    v /= 10;
    d[i] = (uint8_t)((v % 10) << 4 | low);
    v /= 10;
  }
}

/* The low eight digits as a binary number. */
static uint32_t low_digits(const uint8_t *d) {
  uint32_t v = 0;
  for (int i = DIGIT_BYTES - 4; i < DIGIT_BYTES; ++i) v = v * 100 + (uint32_t)(d[i] >> 4) * 10 + (d[i] & 15);
  return v;
}

static uint32_t hash_decimal(uint32_t h, const uint8_t *d) {
  for (int i = 0; i < DIGIT_BYTES; ++i) h = mix(h, d[i]);
  return h;
}

int main(void) {
  decimal a, b, c;

  /* Sums of binary numbers done in decimal agree with the binary sums. */
  uint32_t state = 0xDEC1AA11u, wrong = 0, h = HASH_START;
  for (int i = 0; i < 200; ++i) {
    uint32_t x = next_random(&state) % 50000000u, y = next_random(&state) % 50000000u;
    to_decimal(a, x);
    to_decimal(b, y);
    wrong += add_decimal(a, b, DIGIT_BYTES);
    to_decimal(c, x + y);
    wrong += memcmp(a, c, DIGIT_BYTES) != 0;
    uint8_t borrow = subtract_decimal(a, b, DIGIT_BYTES);
    wrong += borrow || low_digits(a) != x;
    h = hash_decimal(h, a);
    /* x - y below zero leaves the ten's complement and a borrow. */
    to_decimal(a, x);
    borrow = subtract_decimal(a, b, DIGIT_BYTES);
    wrong += borrow != (x < y);
    h = mix(hash_decimal(h, a), borrow);
  }
  kq_report("sum and difference failures", wrong);
  kq_report("differences", h);

  /* Fibonacci numbers to F(90) in twenty digits. */
  memset(a, 0, sizeof a);
  memset(b, 0, sizeof b);
  b[DIGIT_BYTES - 1] = 1;
  for (int n = 2; n <= 90; ++n) {
    add_decimal(a, b, DIGIT_BYTES);
    memcpy(c, a, sizeof c);
    memcpy(a, b, sizeof a);
    memcpy(b, c, sizeof b);
  }
  kq_report("fibonacci 90 high", (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | b[3]);
  kq_report("fibonacci 90 low", low_digits(b));

  /* 20! by repeated addition. */
  memset(a, 0, sizeof a);
  a[DIGIT_BYTES - 1] = 1;
  uint8_t overflow = 0;
  for (int k = 2; k <= 20; ++k) {
    memcpy(b, a, sizeof b);
    for (int i = 1; i < k; ++i) overflow |= add_decimal(a, b, DIGIT_BYTES);
  }
  kq_report("factorial 20", hash_decimal(HASH_START, a));
  kq_report("factorial overflow", overflow);

  /* Negation: -x + x is zero with a carry out; negating twice gives x back. */
  uint32_t negations = HASH_START;
  for (int i = 0; i < 50; ++i) {
    to_decimal(a, next_random(&state) >> (i % 24));
    memcpy(b, a, sizeof b);
    uint8_t borrow = negate_decimal(b, DIGIT_BYTES);
    negations = mix(hash_decimal(negations, b), borrow);
    uint8_t carry = add_decimal(b, a, DIGIT_BYTES);
    negations = mix(hash_decimal(negations, b), carry);
    negate_decimal(b, DIGIT_BYTES);
    negations = hash_decimal(negations, b);
  }
  kq_report("negations", negations);

  /* A till roll: a column of amounts in cents, byte by byte in registers, with refunds
     taken off. */
  static const uint32_t amounts[] = {1999, 250, 4, 100000, 73, 1250, 9999, 1, 31415, 2718};
  uint8_t total[4] = {0, 0, 0, 0};
  for (unsigned i = 0; i < sizeof amounts / sizeof amounts[0]; ++i) {
    uint8_t amount[DIGIT_BYTES];
    to_decimal(amount, amounts[i]);
    uint8_t carry = 0;
    for (int k = 3; k >= 0; --k) {
      if (i % 4 == 3) total[k] = subtract_byte(total[k], amount[DIGIT_BYTES - 4 + k], &carry);
      else total[k] = add_byte(total[k], amount[DIGIT_BYTES - 4 + k], &carry);
    }
  }
  kq_report("till", (uint32_t)total[0] << 24 | (uint32_t)total[1] << 16 | (uint32_t)total[2] << 8 | total[3]);

  /* Every byte pair of decimal digits through the register forms. */
  uint32_t bytes = HASH_START;
  for (int x = 0; x < 100; x += 3)
    for (int y = 0; y < 100; y += 7) {
      uint8_t bx = (uint8_t)((x / 10) << 4 | x % 10), by = (uint8_t)((y / 10) << 4 | y % 10);
      for (uint8_t in = 0; in < 2; ++in) {
        uint8_t flag = in;
        bytes = mix(bytes, add_byte(bx, by, &flag));
        bytes = mix(bytes, flag);
        flag = in;
        bytes = mix(bytes, subtract_byte(bx, by, &flag));
        bytes = mix(bytes, flag);
        flag = in;
        bytes = mix(bytes, negate_byte(bx, &flag));
        bytes = mix(bytes, flag);
      }
    }
  kq_report("byte forms", bytes);
  return 0;
}

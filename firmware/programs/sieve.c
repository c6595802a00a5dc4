/* Primes: a byte sieve with its count, sum, largest gap and twin pairs, a bit sieve of odd
   numbers, trial division against the sieve, Goldbach partitions and Euler's totient. */
#include "common.h"

#define LIMIT 12000
#define BIT_LIMIT 65536u
#define TOTIENT_LIMIT 1500

static uint8_t composite[LIMIT + 1];
static uint8_t odd_composite[BIT_LIMIT / 16]; /* bit k: 2k + 1 */
static uint16_t totient[TOTIENT_LIMIT + 1];

static void byte_sieve(void) {
  composite[0] = composite[1] = 1;
  for (uint32_t i = 2; i * i <= LIMIT; ++i)
    if (!composite[i])
      for (uint32_t j = i * i; j <= LIMIT; j += i) composite[j] = 1;
}

static int odd_is_composite(uint32_t n) { return (odd_composite[n >> 4] >> ((n >> 1) & 7)) & 1; }

static void bit_sieve(void) {
  odd_composite[0] |= 1; /* 1 is not prime */
  for (uint32_t i = 3; i * i < BIT_LIMIT; i += 2)
    if (!odd_is_composite(i))
      for (uint32_t j = i * i; j < BIT_LIMIT; j += 2 * i) odd_composite[j >> 4] |= (uint8_t)(1 << ((j >> 1) & 7));
}

static int prime_by_division(uint16_t n) {
  if (n < 2) return 0;
  if (n % 2 == 0) return n == 2;
  for (uint16_t d = 3; (uint32_t)d * d <= n; d += 2)
    if (n % d == 0) return 0;
  return 1;
}

static void totients(void) {
  for (uint16_t i = 0; i <= TOTIENT_LIMIT; ++i) totient[i] = i;
  for (uint16_t p = 2; p <= TOTIENT_LIMIT; ++p)
    if (totient[p] == p)
      for (uint16_t k = p; k <= TOTIENT_LIMIT; k += p) totient[k] -= totient[k] / p;
}

int main(void) {
  byte_sieve();
  uint32_t count = 0, sum = 0, twins = 0, largest_gap = 0, last = 2, hash = HASH_START;
  for (uint32_t n = 2; n <= LIMIT; ++n) {
    if (composite[n]) continue;
    ++count;
    sum += n;
    hash = mix(hash, n);
    if (n - last > largest_gap) largest_gap = n - last;
    if (n - last == 2) ++twins;
    last = n;
  }
  kq_report("primes", count);
  kq_report("sum", sum);
  kq_report("hash", hash);
  kq_report("largest gap", largest_gap);
  kq_report("twins", twins);

  bit_sieve();
  uint32_t odd_count = 1, odd_sum = 2; /* 2 is not in the odd sieve */
  for (uint32_t n = 3; n < BIT_LIMIT; n += 2)
    if (!odd_is_composite(n)) {
      ++odd_count;
      odd_sum += n;
    }
  kq_report("bit sieve primes", odd_count);
  kq_report("bit sieve sum", odd_sum);

  uint32_t disagreements = 0;
  for (uint16_t n = 0; n < 3000; ++n) disagreements += prime_by_division(n) != !composite[n];
  for (uint32_t n = 3; n < LIMIT; n += 2) disagreements += odd_is_composite(n) != composite[n];
  kq_report("disagreements", disagreements);

  uint32_t partitions = HASH_START;
  for (uint32_t even = 1000; even <= 1100; even += 2) {
    uint32_t ways = 0;
    for (uint32_t p = 2; p <= even / 2; ++p) ways += !composite[p] && !composite[even - p];
    partitions = mix(partitions, ways);
  }
  kq_report("goldbach", partitions);

  totients();
  uint32_t phi_sum = 0;
  for (int i = 1; i <= TOTIENT_LIMIT; ++i) phi_sum += totient[i];
  kq_report("totient sum", phi_sum);
  kq_report("totient 1499", totient[1499]);
  return 0;
}

/* Helpers shared by the test programs: a small random generator, so that the data is
   the same on both builds, and a hash step to fold results into one value. */
#ifndef KQ_PROGRAMS_COMMON_H
#define KQ_PROGRAMS_COMMON_H

#include "program.h"

static inline uint32_t next_random(uint32_t *state) {
  uint32_t x = *state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return *state = x;
}

static inline uint32_t mix(uint32_t hash, uint32_t value) { return (hash ^ value) * 0x01000193u; }

#define HASH_START 0x811C9DC5u

#endif

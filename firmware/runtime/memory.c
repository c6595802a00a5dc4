/* The memory functions that the compiler calls for structure copies and clears, and
   that programs may call. Longs move four bytes at a time when both ends are even, as
   the 68000 requires of word and long accesses. Built with loop-to-call rewriting off,
   so that these loops do not turn into calls of themselves. */
#include <stddef.h>
#include <stdint.h>

typedef uint32_t __attribute__((may_alias)) block_t;

static int both_even(const void *a, const void *b) { return (((uintptr_t)a | (uintptr_t)b) & 1) == 0; }

void *memcpy(void *restrict dst, const void *restrict src, size_t n) {
  unsigned char *d = dst;
  const unsigned char *s = src;
  if (both_even(d, s)) {
    for (; n >= 4; n -= 4, d += 4, s += 4) *(block_t *)d = *(const block_t *)s;
  }
  while (n--) *d++ = *s++;
  return dst;
}

void *memmove(void *dst, const void *src, size_t n) {
  unsigned char *d = dst;
  const unsigned char *s = src;
  if (d <= s || d >= s + n) return memcpy(dst, src, n);
  /* Overlapping with the destination above: copy from the end down. */
  d += n;
  s += n;
  while (n--) *--d = *--s;
  return dst;
}

void *memset(void *dst, int c, size_t n) {
  unsigned char *d = dst;
  uint32_t fill = (uint8_t)c;
  fill |= fill << 8;
  fill |= fill << 16;
  if (both_even(d, d)) {
    for (; n >= 4; n -= 4, d += 4) *(block_t *)d = fill;
  }
  while (n--) *d++ = (unsigned char)c;
  return dst;
}

int memcmp(const void *a, const void *b, size_t n) {
  const unsigned char *p = a, *q = b;
  for (; n; --n, ++p, ++q)
    if (*p != *q) return *p - *q;
  return 0;
}

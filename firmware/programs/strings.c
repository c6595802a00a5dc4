/* String work of the kind firmware does: copying, comparing, searching, number
   conversion both ways in several bases, a small formatter with a variable argument
   list, case changes, tokens and a sort of words. */
#include <stdarg.h>

#include "common.h"

static char buffer[512];
static char line[128];
static const char sentence[] = "  Patch 12 'Glass Bells' bank B, level -37; cutoff 0x5A, resonance 017  ";

static size_t length(const char *s) {
  const char *p = s;
  while (*p) ++p;
  return (size_t)(p - s);
}

static char *copy(char *dst, const char *src) {
  char *d = dst;
  while ((*d++ = *src++) != 0) {
  }
  return dst;
}

static char *append(char *dst, const char *src) {
  copy(dst + length(dst), src);
  return dst;
}

static int compare(const char *a, const char *b) {
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return (uint8_t)*a - (uint8_t)*b;
}

static const char *find_char(const char *s, char c) {
  for (; *s; ++s)
    if (*s == c) return s;
  return 0;
}

static const char *find(const char *hay, const char *needle) {
  size_t n = length(needle);
  for (size_t left = length(hay); left >= n; --left, ++hay)
    if (memcmp(hay, needle, n) == 0) return hay;
  return 0;
}

static void reverse(char *s) {
  char *e = s + length(s);
  while (s < --e) {
    char t = *s;
    *s++ = *e;
    *e = t;
  }
}

static char upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

static char rot13(char c) {
  if (c >= 'a' && c <= 'z') return (char)('a' + (c - 'a' + 13) % 26);
  if (c >= 'A' && c <= 'Z') return (char)('A' + (c - 'A' + 13) % 26);
  return c;
}

/* Unsigned value in any base from 2 to 16; returns the end of the digits. */
static char *unsigned_text(char *out, uint32_t v, unsigned base, int min_digits) {
  char digits[33];
  int n = 0;
  do {
    digits[n++] = "0123456789abcdef"[v % base];
    v /= base;
  } while (v);
  while (n < min_digits) digits[n++] = '0';
  while (n) *out++ = digits[--n];
  *out = 0;
  return out;
}

static char *signed_text(char *out, int32_t v) {
  if (v < 0) {
    *out++ = '-';
    return unsigned_text(out, 0u - (uint32_t)v, 10, 1);
  }
  return unsigned_text(out, (uint32_t)v, 10, 1);
}

/* Parses an optionally signed number with C's base prefixes; *end is set past it. */
static int32_t parse_number(const char *s, const char **end) {
  int negative = 0;
  uint32_t base = 10, v = 0;
  if (*s == '-' || *s == '+') negative = *s++ == '-';
  if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s += 2;
  } else if (s[0] == '0' && s[1] >= '0' && s[1] <= '7') {
    base = 8;
  }
  for (;; ++s) {
    uint32_t d;
    if (*s >= '0' && *s <= '9') d = (uint32_t)(*s - '0');
    else if (*s >= 'a' && *s <= 'f') d = (uint32_t)(*s - 'a' + 10);
    else if (*s >= 'A' && *s <= 'F') d = (uint32_t)(*s - 'A' + 10);
    else break;
    if (d >= base) break;
    v = v * base + d;
  }
  *end = s;
  return negative ? (int32_t)(0u - v) : (int32_t)v;
}

/* %d %u %x %s %c %% with an optional zero-padded width. */
static int format(char *out, const char *fmt, ...) {
  va_list args;
  va_start(args, fmt);
  char *o = out;
  while (*fmt) {
    if (*fmt != '%') {
      *o++ = *fmt++;
      continue;
    }
    ++fmt;
    int width = 0;
    while (*fmt >= '0' && *fmt <= '9') width = width * 10 + (*fmt++ - '0');
    switch (*fmt++) {
      case 'd': o = signed_text(o, va_arg(args, int32_t)); break;
      case 'u': o = unsigned_text(o, va_arg(args, uint32_t), 10, width); break;
      case 'x': o = unsigned_text(o, va_arg(args, uint32_t), 16, width); break;
      case 's': for (const char *s = va_arg(args, const char *); *s;) *o++ = *s++; break;
      case 'c': *o++ = (char)va_arg(args, int); break;
      case '%': *o++ = '%'; break;
      default: *o++ = '?'; break;
    }
  }
  *o = 0;
  va_end(args);
  return (int)(o - out);
}

static uint32_t text_hash(const char *s) {
  uint32_t h = HASH_START;
  while (*s) h = mix(h, (uint8_t)*s++);
  return h;
}

int main(void) {
  kq_report("length", length(sentence));
  copy(buffer, sentence);
  append(buffer, "| tail");
  kq_report("append", text_hash(buffer));
  kq_report("compare", (uint32_t)compare(buffer, sentence));
  kq_report("find char", (uint32_t)(find_char(sentence, '\'') - sentence));
  kq_report("find", (uint32_t)(find(sentence, "cutoff") - sentence));
  kq_report("not found", find(sentence, "chorus") == 0);

  reverse(buffer);
  kq_report("reverse", text_hash(buffer));
  for (char *p = buffer; *p; ++p) *p = upper(*p);
  kq_report("upper", text_hash(buffer));
  for (char *p = buffer; *p; ++p) *p = rot13(*p);
  kq_report("rot13", text_hash(buffer));

  /* Numbers out and back in. */
  uint32_t state = 0x5EED5EEDu, round_trip = 0, texts = HASH_START;
  for (int i = 0; i < 60; ++i) {
    uint32_t v = next_random(&state) >> (i % 29);
    unsigned base = 2 + i % 15;
    unsigned_text(line, v, base, 0);
    texts = mix(texts, text_hash(line));
    if (base == 10 || base == 16 || base == 8) {
      char prefixed[40] = "-";
      append(prefixed, base == 16 ? "0x" : base == 8 ? "0" : "");
      append(prefixed, line);
      const char *end;
      round_trip += parse_number(prefixed, &end) == (int32_t)(0u - v) && *end == 0;
    }
  }
  kq_report("number texts", texts);
  kq_report("round trips", round_trip);

  /* Tokens of the sentence: words, numbers and punctuation. */
  uint32_t words = 0, numbers = 0, sum = 0, punct = 0;
  for (const char *p = sentence; *p;) {
    if (*p == ' ') {
      ++p;
    } else if ((*p >= '0' && *p <= '9') || *p == '-') {
      const char *end;
      sum += (uint32_t)parse_number(p, &end);
      ++numbers;
      p = end;
    } else if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) {
      while ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) ++p;
      ++words;
    } else {
      ++punct;
      ++p;
    }
  }
  kq_report("words", words);
  kq_report("numbers", numbers);
  kq_report("number sum", sum);
  kq_report("punctuation", punct);

  int n = format(buffer, "%s=%d [%5u] %x/%08x %c%%", "level", (int32_t)-37, (uint32_t)42, (uint32_t)0xBEEF,
                 (uint32_t)0x5A, 'q');
  kq_report("format length", (uint32_t)n);
  kq_report("format", text_hash(buffer));
  format(line, "%d %d %u", (int32_t)0x80000000u, (int32_t)2147483647, (uint32_t)4294967295u);
  kq_report("format limits", text_hash(line));

  /* A sort of the words of a list, by pointer. */
  static const char *names[] = {"strings", "brass", "organ", "piano", "bells", "choir", "bass", "lead", "pad", "sweep"};
  const char *sorted[10];
  for (int i = 0; i < 10; ++i) {
    int j = i;
    for (; j > 0 && compare(sorted[j - 1], names[i]) > 0; --j) sorted[j] = sorted[j - 1];
    sorted[j] = names[i];
  }
  buffer[0] = 0;
  for (int i = 0; i < 10; ++i) append(append(buffer, sorted[i]), ",");
  kq_report("sorted names", text_hash(buffer));

  /* Palindromes among the numbers 0-2000 in base 10 and base 2. */
  uint32_t palindromes = 0;
  for (uint32_t v = 0; v <= 2000; ++v) {
    for (unsigned base = 2; base <= 10; base += 8) {
      unsigned_text(line, v, base, 0);
      copy(buffer, line);
      reverse(buffer);
      palindromes += compare(line, buffer) == 0;
    }
  }
  kq_report("palindromes", palindromes);
  return 0;
}

/* Checksums over a block of pseudo-random bytes and over text: CRC-32 by table and bit by
   bit, CRC-16, Adler-32, Fletcher-16, FNV-1a and the ones'-complement sum of words. */
#include "common.h"

static uint8_t block[4096];
static uint32_t crc_table[256];
static const char text[] =
    "The quick brown fox jumps over the lazy dog. 0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";

static void fill_block(void) {
  uint32_t state = 0x12345678u;
  for (uint16_t i = 0; i < sizeof block; ++i) block[i] = (uint8_t)(next_random(&state) >> 11);
}

static void make_crc_table(void) {
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    crc_table[n] = c;
  }
}

static uint32_t crc32_by_table(const uint8_t *p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  while (n--) c = crc_table[(c ^ *p++) & 0xFF] ^ (c >> 8);
  return ~c;
}

static uint32_t crc32_by_bit(const uint8_t *p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  while (n--) {
    c ^= *p++;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

static uint16_t crc16_ccitt(const uint8_t *p, size_t n) {
  uint16_t crc = 0xFFFF;
  while (n--) {
    crc ^= (uint16_t)(*p++ << 8);
    for (int k = 0; k < 8; ++k) crc = (crc & 0x8000) ? (uint16_t)((crc << 1) ^ 0x1021) : (uint16_t)(crc << 1);
  }
  return crc;
}

static uint32_t adler32(const uint8_t *p, size_t n) {
  uint32_t a = 1, b = 0;
  while (n--) {
    a = (a + *p++) % 65521u;
    b = (b + a) % 65521u;
  }
  return (b << 16) | a;
}

static uint16_t fletcher16(const uint8_t *p, size_t n) {
  uint16_t s1 = 0, s2 = 0;
  while (n--) {
    s1 = (uint16_t)((s1 + *p++) % 255);
    s2 = (uint16_t)((s2 + s1) % 255);
  }
  return (uint16_t)((s2 << 8) | s1);
}

static uint32_t fnv1a(const uint8_t *p, size_t n) {
  uint32_t h = HASH_START;
  while (n--) h = mix(h, *p++);
  return h;
}

/* Big-endian words, the carries folded back in. */
static uint16_t ones_complement_sum(const uint8_t *p, size_t n) {
  uint32_t sum = 0;
  for (; n >= 2; n -= 2, p += 2) sum += (uint32_t)(p[0] << 8 | p[1]);
  if (n) sum += (uint32_t)p[0] << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return (uint16_t)~sum;
}

static void report_all(const uint8_t *p, size_t n) {
  kq_report("crc32 table", crc32_by_table(p, n));
  kq_report("crc32 bitwise", crc32_by_bit(p, n));
  kq_report("crc16", crc16_ccitt(p, n));
  kq_report("adler32", adler32(p, n));
  kq_report("fletcher16", fletcher16(p, n));
  kq_report("fnv1a", fnv1a(p, n));
  kq_report("ones' complement", ones_complement_sum(p, n));
}

int main(void) {
  fill_block();
  make_crc_table();
  uint32_t table_hash = HASH_START;
  for (int i = 0; i < 256; ++i) table_hash = mix(table_hash, crc_table[i]);
  kq_report("crc table", table_hash);
  report_all(block, sizeof block);
  report_all(block + 17, 1001);
  report_all((const uint8_t *)text, sizeof text - 1);
  /* The same text in a block, checked again after a copy to an odd address. */
  memcpy(block + 3, text, sizeof text - 1);
  kq_report("copied text", crc32_by_table(block + 3, sizeof text - 1));
  return 0;
}

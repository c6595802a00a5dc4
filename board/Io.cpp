#include "board/Io.h"

#include <cassert>

// The tables start out as the empty bus, so that every entry is callable even before
// InitMemoryMap runs.
#define KQ_FILL512(x) KQ_FILL256(x), KQ_FILL256(x)
#define KQ_FILL256(x) KQ_FILL128(x), KQ_FILL128(x)
#define KQ_FILL128(x) KQ_FILL64(x), KQ_FILL64(x)
#define KQ_FILL64(x) KQ_FILL32(x), KQ_FILL32(x)
#define KQ_FILL32(x) KQ_FILL16(x), KQ_FILL16(x)
#define KQ_FILL16(x) x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x

MemReadHandler MemReadByte[kPageCount] = {KQ_FILL512(OpenBusReadByte)};
MemReadHandler MemReadWord[kPageCount] = {KQ_FILL512(OpenBusReadWord)};
MemReadHandler MemReadLong[kPageCount] = {KQ_FILL512(OpenBusReadLong)};
MemWriteHandler MemWriteByte[kPageCount] = {KQ_FILL512(IgnoreWriteByte)};
MemWriteHandler MemWriteWord[kPageCount] = {KQ_FILL512(IgnoreWriteWord)};
MemWriteHandler MemWriteLong[kPageCount] = {KQ_FILL512(IgnoreWriteLong)};

uint32_t OpenBusReadByte(uint32_t) { return 0xFF; }
uint32_t OpenBusReadWord(uint32_t) { return 0xFFFF; }
uint32_t OpenBusReadLong(uint32_t) { return 0xFFFFFFFF; }
void IgnoreWriteByte(uint32_t, uint32_t) {}
void IgnoreWriteWord(uint32_t, uint32_t) {}
void IgnoreWriteLong(uint32_t, uint32_t) {}

void InitMemoryMap() {
  MapReadHandlers(0, kBusSize, OpenBusReadByte, OpenBusReadWord, OpenBusReadLong);
  MapWriteHandlers(0, kBusSize, IgnoreWriteByte, IgnoreWriteWord, IgnoreWriteLong);
}

// A window outside the bus, or not in whole pages, is a programming error. Without
// assertions the pages outside the bus are still never touched.
static uint32_t LastPage(uint32_t base, uint32_t size) {
  assert((base & 0xFF) == 0 && (size & 0xFF) == 0);
  assert(base <= kBusSize && size <= kBusSize - base);
  uint64_t end = uint64_t(base) + size;
  return uint32_t(end < kBusSize ? end : kBusSize) >> kPageShift;
}

void MapReadHandlers(uint32_t base, uint32_t size, MemReadHandler byte, MemReadHandler word,
                     MemReadHandler lng) {
  const uint32_t last = LastPage(base, size);
  for (uint32_t page = base >> kPageShift; page < last; ++page) {
    MemReadByte[page] = byte;
    MemReadWord[page] = word;
    MemReadLong[page] = lng;
  }
}

void MapWriteHandlers(uint32_t base, uint32_t size, MemWriteHandler byte, MemWriteHandler word,
                      MemWriteHandler lng) {
  const uint32_t last = LastPage(base, size);
  for (uint32_t page = base >> kPageShift; page < last; ++page) {
    MemWriteByte[page] = byte;
    MemWriteWord[page] = word;
    MemWriteLong[page] = lng;
  }
}

void MapDeviceReadHandlers(uint32_t page, MemReadHandler byte, MemReadHandler word,
                           MemReadHandler lng) {
  MapReadHandlers(page, kDevicePageSize, byte, word, lng);
  MapReadHandlers(page + kDeviceMirrorOffset, kDevicePageSize, byte, word, lng);
}

void MapDeviceWriteHandlers(uint32_t page, MemWriteHandler byte, MemWriteHandler word,
                            MemWriteHandler lng) {
  MapWriteHandlers(page, kDevicePageSize, byte, word, lng);
  MapWriteHandlers(page + kDeviceMirrorOffset, kDevicePageSize, byte, word, lng);
}

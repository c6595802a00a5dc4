// libFuzzer target of the 68000 core: a short run of instructions from a processor state
// and bus contents taken from the input. The input is a header (the sixteen registers,
// both stack pointers, SR, the pending interrupt level and the run's length) followed by
// a body that fills the whole bus, repeated, with its first byte at the PC.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "board/Cpu.h"
#include "board/Io.h"
#include "core/68000.h"

namespace {

uint8_t Memory[kBusSize];

uint32_t ReadByte(uint32_t a) { return Memory[a]; }
uint32_t ReadWord(uint32_t a) { return uint32_t(Memory[a]) << 8 | Memory[(a + 1) & kBusMask]; }
uint32_t ReadLong(uint32_t a) { return ReadWord(a) << 16 | ReadWord((a + 2) & kBusMask); }
void WriteByte(uint32_t a, uint32_t v) { Memory[a] = uint8_t(v); }
void WriteWord(uint32_t a, uint32_t v) {
  Memory[a] = uint8_t(v >> 8);
  Memory[(a + 1) & kBusMask] = uint8_t(v);
}
void WriteLong(uint32_t a, uint32_t v) {
  WriteWord(a, v >> 16);
  WriteWord((a + 2) & kBusMask, v);
}

constexpr uint32_t kCodeAddress = 0x1000;

constexpr size_t kHeaderSize = 16 * 4 + 4 + 4 + 2 + 1 + 1;

uint32_t Long(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool mapped = [] {
    CpuInit();
    MapReadHandlers(0, kBusSize, ReadByte, ReadWord, ReadLong);
    MapWriteHandlers(0, kBusSize, WriteByte, WriteWord, WriteLong);
    return true;
  }();
  (void)mapped;
  if (size <= kHeaderSize) return 0;

  const uint8_t* body = data + kHeaderSize;
  size_t length = size - kHeaderSize;
  for (size_t at = 0; at < kBusSize;) {
    size_t from = (at + kBusSize - kCodeAddress) % length;
    size_t n = std::min(length - from, kBusSize - at);
    std::memcpy(Memory + at, body + from, n);
    at += n;
  }

  for (int i = 0; i < 16; ++i) M68kRegs[i] = Long(data + 4 * i);
  M68kUSP = Long(data + 64);
  M68kSSP = Long(data + 68);
  M68kSR = uint16_t(data[72] << 8 | data[73]);
  M68kIntLevel.store(data[74] & 3);
  M68kRunState = (data[74] & 0x80) ? kM68kStopped : kM68kRunning;
  M68kPC = kCodeAddress;
  M68kRun(1 + data[75]);
  return 0;
}

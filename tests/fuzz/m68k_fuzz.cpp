// libFuzzer target of the 68000 core: a short run of instructions from a processor state
// and bus contents taken from the input. The input is a header (the sixteen registers,
// both stack pointers, SR, the pending interrupt level with the stopped state, and the
// run's length) followed by a body that fills the whole bus, repeated, with its first
// byte at the PC.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/Cpu.h"
#include "board/Io.h"
#include "core/68000.h"

namespace {

constexpr uint32_t kCodeAddress = 0x1000;
constexpr size_t kHeaderSize = 16 * 4 + 4 + 4 + 2 + 1 + 1;

// The bus reads the input's body, repeated, until a byte is written; written bytes are
// kept aside and forgotten before the next input, so that no input pays for filling
// all 128 KB.
const uint8_t* Body;
size_t BodyLength;
uint8_t Written[kBusSize];
std::bitset<kBusSize> IsWritten;
std::vector<uint32_t> WrittenList;

uint32_t Byte(uint32_t a) {
  a &= kBusMask;
  return IsWritten[a] ? Written[a] : Body[(a + kBusSize - kCodeAddress) % BodyLength];
}
void Store(uint32_t a, uint32_t v) {
  a &= kBusMask;
  if (!IsWritten[a]) {
    IsWritten.set(a);
    WrittenList.push_back(a);
  }
  Written[a] = uint8_t(v);
}

uint32_t ReadByte(uint32_t a) { return Byte(a); }
uint32_t ReadWord(uint32_t a) { return Byte(a) << 8 | Byte(a + 1); }
uint32_t ReadLong(uint32_t a) { return ReadWord(a) << 16 | ReadWord(a + 2); }
void WriteByte(uint32_t a, uint32_t v) { Store(a, v); }
void WriteWord(uint32_t a, uint32_t v) {
  Store(a, v >> 8);
  Store(a + 1, v);
}
void WriteLong(uint32_t a, uint32_t v) {
  WriteWord(a, v >> 16);
  WriteWord(a + 2, v);
}

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

  for (uint32_t a : WrittenList) IsWritten.reset(a);
  WrittenList.clear();
  Body = data + kHeaderSize;
  BodyLength = size - kHeaderSize;

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

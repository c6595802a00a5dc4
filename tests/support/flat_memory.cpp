#include "tests/support/flat_memory.h"

#include <cstdio>
#include <cstring>

#include "board/Cpu.h"
#include "board/Io.h"
#include "board/Memory.h"
#include "core/68000.h"

namespace kqtest {

uint8_t FlatRam[0x20000];
std::vector<Access> AccessLog;
bool LogAccesses = false;

// Big-endian, wrapping at the end of the 128 KB like the bus itself.
uint32_t Peek8(uint32_t a) { return ImageReadByte(FlatRam, a); }
uint32_t Peek16(uint32_t a) { return ImageReadWord(FlatRam, a); }
uint32_t Peek32(uint32_t a) { return ImageReadLong(FlatRam, a); }
void Poke8(uint32_t a, uint32_t v) { ImageWriteByte(FlatRam, a, v); }
void Poke16(uint32_t a, uint32_t v) { ImageWriteWord(FlatRam, a, v); }
void Poke32(uint32_t a, uint32_t v) { ImageWriteLong(FlatRam, a, v); }

static void Log(char kind, int size, uint32_t a, uint32_t v) {
  if (LogAccesses) AccessLog.push_back({kind, size, a, v});
}

static uint32_t ReadB(uint32_t a) {
  uint32_t v = Peek8(a);
  Log('r', 1, a, v);
  return v;
}
static uint32_t ReadW(uint32_t a) {
  uint32_t v = Peek16(a);
  Log('r', 2, a, v);
  return v;
}
static uint32_t ReadL(uint32_t a) {
  uint32_t v = Peek32(a);
  Log('r', 4, a, v);
  return v;
}
static void WriteB(uint32_t a, uint32_t v) {
  Log('w', 1, a, v & 0xFF);
  Poke8(a, v);
}
static void WriteW(uint32_t a, uint32_t v) {
  Log('w', 2, a, v & 0xFFFF);
  Poke16(a, v);
}
static void WriteL(uint32_t a, uint32_t v) {
  Log('w', 4, a, v);
  Poke32(a, v);
}

void MapFlatRam() {
  InitMemoryMap();
  MapReadHandlers(0, 0x20000, ReadB, ReadW, ReadL);
  MapWriteHandlers(0, 0x20000, WriteB, WriteW, WriteL);
  std::memset(FlatRam, 0, sizeof FlatRam);
  AccessLog.clear();
  LogAccesses = false;
}

void PokeWords(uint32_t address, std::initializer_list<uint16_t> words) {
  for (uint16_t w : words) {
    Poke16(address, w);
    address += 2;
  }
}

void ResetProcessor(uint32_t pc, uint32_t ssp) {
  MapFlatRam();
  std::memset(M68kRegs, 0, sizeof M68kRegs);
  M68kUSP = M68kSSP = 0;
  M68kSR = 0;
  M68kIntLevel.store(0);
  M68kOpcode = 0;
  for (uint32_t v = 2; v < 64; ++v) Poke32(v * 4, VectorHandler(v));
  Poke32(0, ssp);
  Poke32(4, pc);
  M68kReset();
}

void RunOne(std::initializer_list<uint16_t> words) {
  PokeWords(M68kPC, words);
  M68kStep();
}

std::string Hex(uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", value);
  return buf;
}

}  // namespace kqtest

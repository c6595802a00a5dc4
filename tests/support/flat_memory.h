// A flat 128 KB RAM over the whole bus, with an optional log of every access, for tests
// of the processor core.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kqtest {

extern uint8_t FlatRam[0x20000];

struct Access {
  char kind;      // 'r' or 'w'
  int size;       // 1, 2, 4
  uint32_t address;
  uint32_t value;
  bool operator==(const Access&) const = default;
};

// Access log, filled while LogAccesses is true.
extern std::vector<Access> AccessLog;
extern bool LogAccesses;

// Maps the flat RAM onto every page and clears it, the log and the processor state.
void MapFlatRam();

void Poke8(uint32_t address, uint32_t value);
void Poke16(uint32_t address, uint32_t value);
void Poke32(uint32_t address, uint32_t value);
uint32_t Peek8(uint32_t address);
uint32_t Peek16(uint32_t address);
uint32_t Peek32(uint32_t address);

// Writes consecutive words from address on.
void PokeWords(uint32_t address, std::initializer_list<uint16_t> words);

// A processor in supervisor state with the given stack and PC, every register clear, and
// the vector table pointing each vector n at 0x10000 + 0x100 * n.
void ResetProcessor(uint32_t pc = 0x1000, uint32_t ssp = 0x8000);
constexpr uint32_t VectorHandler(uint32_t vector) { return 0x10000 + 0x100 * vector; }

// Places the words at the PC and executes one instruction.
void RunOne(std::initializer_list<uint16_t> words);

std::string Hex(uint32_t value);

}  // namespace kqtest

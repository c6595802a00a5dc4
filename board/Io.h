// The memory bus: six page tables of handlers over the 128 KB window, one entry per
// 256-byte page. Every access of the processor goes through them.
#pragma once

#include <cstdint>

using MemReadHandler = uint32_t (*)(uint32_t address);
using MemWriteHandler = void (*)(uint32_t address, uint32_t value);

constexpr uint32_t kBusMask = 0x1FFFF;  // the board decodes 17 address bits
constexpr uint32_t kBusSize = 0x20000;
constexpr uint32_t kPageShift = 8;
constexpr uint32_t kPageCount = kBusSize >> kPageShift;

extern MemReadHandler MemReadByte[kPageCount];
extern MemReadHandler MemReadWord[kPageCount];
extern MemReadHandler MemReadLong[kPageCount];
extern MemWriteHandler MemWriteByte[kPageCount];
extern MemWriteHandler MemWriteWord[kPageCount];
extern MemWriteHandler MemWriteLong[kPageCount];

uint32_t OpenBusReadByte(uint32_t address);
uint32_t OpenBusReadWord(uint32_t address);
uint32_t OpenBusReadLong(uint32_t address);
void IgnoreWriteByte(uint32_t address, uint32_t value);
void IgnoreWriteWord(uint32_t address, uint32_t value);
void IgnoreWriteLong(uint32_t address, uint32_t value);

// Every page: open-bus reads, ignored writes.
void InitMemoryMap();
// Installs the handlers on the pages of [base, base + size); base and size are whole
// pages inside the window.
void MapReadHandlers(uint32_t base, uint32_t size, MemReadHandler byte, MemReadHandler word,
                     MemReadHandler lng);
void MapWriteHandlers(uint32_t base, uint32_t size, MemWriteHandler byte, MemWriteHandler word,
                      MemWriteHandler lng);

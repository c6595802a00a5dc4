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

// ---- The board's address decoder ---------------------------------------------------
// Windows of the memories (base, size).
constexpr uint32_t kRomBase = 0x00000, kRomSize = 0x10000;
constexpr uint32_t kCartridgeBase = 0x10000, kCartridgeSize = 0x4000;
// 0x14000-0x15FFF is not decoded.
constexpr uint32_t kWaveRegBase = 0x16000, kWaveRegSize = 0x2000;
constexpr uint32_t kNvrBase = 0x18000, kNvrSize = 0x4000;
constexpr uint32_t kRamBase = 0x1C000, kRamMirrorBase = 0x1D000, kRamSize = 0x1000;

// Device pages: each device answers in one 256-byte page of 0x1E000-0x1EFFF and again
// 4 KB higher, because the decoder ignores address bit 12 there.
constexpr uint32_t kDevicePageSize = 0x100;
constexpr uint32_t kDeviceMirrorOffset = 0x1000;
constexpr uint32_t kUartPage = 0x1E000;
constexpr uint32_t kLcdPage = 0x1E100;
constexpr uint32_t kKeyboardPage = 0x1E200;
constexpr uint32_t kSwitchesPage = 0x1E300;
constexpr uint32_t kDigitLatchPage = 0x1E400;
constexpr uint32_t kLedLatchPage = 0x1E500;
constexpr uint32_t kAdcSelectPage = 0x1E600;
constexpr uint32_t kDacPage = 0x1E700;
constexpr uint32_t kWaveRamPageA = 0x1E800;  // load ports of the four wave chips
constexpr uint32_t kWaveRamPageB = 0x1E900;
constexpr uint32_t kWaveRamPageC = 0x1EA00;
constexpr uint32_t kWaveRamPageD = 0x1EB00;
constexpr uint32_t kTimerAckPage = 0x1EC00;
constexpr uint32_t kWaveStrobePage = 0x1ED00;
// 0x1EE00 is not decoded.
constexpr uint32_t kAdcResultPage = 0x1EF00;

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

// A device page and its mirror.
void MapDeviceReadHandlers(uint32_t page, MemReadHandler byte, MemReadHandler word,
                           MemReadHandler lng);
void MapDeviceWriteHandlers(uint32_t page, MemWriteHandler byte, MemWriteHandler word,
                            MemWriteHandler lng);

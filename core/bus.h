// The core's one access layer over the board's page tables: mask to the 17-bit bus,
// index the page, make one call. Nothing else happens on an access.
#pragma once

#include <cstdint>

#include "board/Io.h"
#include "core/68000.h"

// The per-slot handlers are many small functions in large generated files, where the
// compiler's inlining budget runs out; the access layer must still fold into each one.
#define M68K_INLINE [[gnu::always_inline]] inline

namespace m68k {

enum class Size : uint32_t { B = 1, W = 2, L = 4 };

template <Size S> constexpr uint32_t kBytes = uint32_t(S);
template <Size S> constexpr uint32_t kMask = S == Size::B ? 0xFFu : S == Size::W ? 0xFFFFu : 0xFFFFFFFFu;
template <Size S> constexpr uint32_t kSign = S == Size::B ? 0x80u : S == Size::W ? 0x8000u : 0x80000000u;

// Sign-extends the sized value to 32 bits.
template <Size S> constexpr uint32_t SignExtend(uint32_t v) {
  if constexpr (S == Size::B)
    return uint32_t(int32_t(int8_t(v)));
  else if constexpr (S == Size::W)
    return uint32_t(int32_t(int16_t(v)));
  else
    return v;
}

M68K_INLINE uint32_t ReadByte(uint32_t address) {
  address &= kBusMask;
  return MemReadByte[address >> kPageShift](address) & 0xFF;
}
M68K_INLINE uint32_t ReadWord(uint32_t address) {
  address &= kBusMask;
  return MemReadWord[address >> kPageShift](address) & 0xFFFF;
}
M68K_INLINE uint32_t ReadLong(uint32_t address) {
  address &= kBusMask;
  return MemReadLong[address >> kPageShift](address);
}
M68K_INLINE void WriteByte(uint32_t address, uint32_t value) {
  address &= kBusMask;
  MemWriteByte[address >> kPageShift](address, value);
}
M68K_INLINE void WriteWord(uint32_t address, uint32_t value) {
  address &= kBusMask;
  MemWriteWord[address >> kPageShift](address, value);
}
M68K_INLINE void WriteLong(uint32_t address, uint32_t value) {
  address &= kBusMask;
  MemWriteLong[address >> kPageShift](address, value);
}

template <Size S> M68K_INLINE uint32_t Read(uint32_t address) {
  if constexpr (S == Size::B)
    return ReadByte(address);
  else if constexpr (S == Size::W)
    return ReadWord(address);
  else
    return ReadLong(address);
}
template <Size S> M68K_INLINE void Write(uint32_t address, uint32_t value) {
  if constexpr (S == Size::B)
    WriteByte(address, value);
  else if constexpr (S == Size::W)
    WriteWord(address, value);
  else
    WriteLong(address, value);
}

// Instruction stream: read first, then advance the PC.
M68K_INLINE uint32_t FetchWord() {
  uint32_t v = ReadWord(M68kPC);
  M68kPC += 2;
  return v;
}
M68K_INLINE uint32_t FetchLong() {
  uint32_t v = ReadLong(M68kPC);
  M68kPC += 4;
  return v;
}
// An immediate operand; a byte immediate is the low byte of its extension word.
template <Size S> M68K_INLINE uint32_t FetchImmediate() {
  if constexpr (S == Size::B) {
    uint32_t v = ReadByte(M68kPC + 1);
    M68kPC += 2;
    return v;
  } else if constexpr (S == Size::W) {
    return FetchWord();
  } else {
    return FetchLong();
  }
}

// Stack pushes move A7 first; pops read first.
M68K_INLINE void PushLong(uint32_t value) {
  M68kRegs[15] -= 4;
  WriteLong(M68kRegs[15], value);
}
M68K_INLINE void PushWord(uint32_t value) {
  M68kRegs[15] -= 2;
  WriteWord(M68kRegs[15], value);
}
M68K_INLINE uint32_t PopLong() {
  uint32_t v = ReadLong(M68kRegs[15]);
  M68kRegs[15] += 4;
  return v;
}
M68K_INLINE uint32_t PopWord() {
  uint32_t v = ReadWord(M68kRegs[15]);
  M68kRegs[15] += 2;
  return v;
}

// Replaces the sized low part of a data register.
template <Size S> M68K_INLINE void SetDataReg(unsigned n, uint32_t value) {
  if constexpr (S == Size::L)
    M68kRegs[n] = value;
  else
    M68kRegs[n] = (M68kRegs[n] & ~kMask<S>) | (value & kMask<S>);
}

}  // namespace m68k

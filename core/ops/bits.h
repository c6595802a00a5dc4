// BTST, BCHG, BCLR and BSET with the bit number in a data register or in the
// instruction, and MOVEP, which sits in the address-register slots of the first kind.
#pragma once

#include "core/ops/common.h"

namespace m68k {

enum class BitOp { Test, Change, Clear, Set };

// Every bit destination accepts abs.W, abs.L and both PC-relative forms in mode 7; the
// changing operations write back to a PC-relative address too.
constexpr unsigned kBitDestination7 = kControl7;

// Z := the bit was clear (no other flag changes); returns the value with the bit
// changed, cleared or set (unchanged for BTST).
template <BitOp B> inline uint32_t TestAndApply(uint32_t value, uint32_t bit) {
  M68kSR = uint16_t((M68kSR & ~kSrZ) | ((value & bit) ? 0 : kSrZ));
  if constexpr (B == BitOp::Change)
    return value ^ bit;
  else if constexpr (B == BitOp::Clear)
    return value & ~bit;
  else if constexpr (B == BitOp::Set)
    return value | bit;
  else
    return value;
}

// A data register is a 32-bit operand (bit number modulo 32), a memory operand one
// byte (modulo 8), read once and written back once at the same address.
template <BitOp B, int M> inline void BitOnDestination(unsigned y, uint32_t bitNumber) {
  if constexpr (M == kDn) {
    uint32_t result = TestAndApply<B>(M68kRegs[y], 1u << (bitNumber & 31));
    if constexpr (B != BitOp::Test) M68kRegs[y] = result;
  } else {
    M68kEffectiveAddress<Size::B, M, kBitDestination7> destination(y);
    if (!destination.Locate()) return;
    uint32_t result = TestAndApply<B>(destination.Read(), 1u << (bitNumber & 7));
    if constexpr (B != BitOp::Test) destination.Write(result);
  }
}

// Bit number in Dr.
template <BitOp B, int M, unsigned Dr> inline void OpBitDynamic() { BitOnDestination<B, M>(EaReg(), M68kRegs[Dr]); }

// Bit number in the low byte of the word after the opcode; a mode-7 destination is
// checked before that word is fetched.
template <BitOp B, int M> inline void OpBitStatic() {
  unsigned y = EaReg();
  if constexpr (M == kMode7)
    if (!Mode7Accepts<kBitDestination7>(y)) return;
  BitOnDestination<B, M>(y, FetchImmediate<Size::B>());
}

// MOVEP: a word or long between Dx and every other byte from (d16,Ay) on, most
// significant byte first. Each byte address wraps into the bus on its own; no flag changes.
template <Size S, bool ToMemory, unsigned Dx> inline void OpMovep() {
  constexpr unsigned kCount = kBytes<S>;
  uint32_t address = M68kAddrRegs[EaReg()] + SignExtend<Size::W>(FetchWord());
  if constexpr (ToMemory) {
    uint32_t value = M68kRegs[Dx];
    for (unsigned k = 0; k < kCount; ++k) WriteByte(address + 2 * k, value >> (8 * (kCount - 1 - k)));
  } else {
    uint32_t value = 0;
    for (unsigned k = 0; k < kCount; ++k) value = (value << 8) | ReadByte(address + 2 * k);
    SetDataReg<S>(Dx, value);
  }
}

}  // namespace m68k

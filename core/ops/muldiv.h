// MULU, MULS, DIVU and DIVS: a 16-bit source against a data register.
#pragma once

#include "core/ops/common.h"

namespace m68k {

enum class Signedness { Unsigned, Signed };

// A 16-bit operand as a number of the operation's signedness, wide enough that no
// product or quotient of these instructions can overflow it.
template <Signedness K>
inline int64_t Widen16(uint32_t word) {
  if constexpr (K == Signedness::Signed)
    return int16_t(uint16_t(word));
  else
    return word & 0xFFFF;
}

// MULU, MULS <ea>,Dn: the low words of Dn and the source, a 32-bit product in all of Dn.
// The product always fits: no overflow case exists.
template <Signedness K, int M, unsigned Dn>
inline void OpMul() {
  M68kEffectiveAddress<Size::W, M> source(EaReg());
  if (!source.Locate()) return;
  uint32_t product = uint32_t(Widen16<K>(source.Read()) * Widen16<K>(M68kRegs[Dn]));
  M68kFlagsLogical<Size::L>(product);
  M68kRegs[Dn] = product;
}

// DIVU, DIVS <ea>,Dn: all of Dn by the source word; quotient to the low word, remainder
// to the high word. A zero divisor traps (vector 5) with Dn and the flags untouched; a
// quotient beyond 16 bits sets V, clears C and leaves Dn, N and Z alone.
template <Signedness K, int M, unsigned Dn>
inline void OpDiv() {
  M68kEffectiveAddress<Size::W, M> source(EaReg());
  if (!source.Locate()) return;
  uint32_t divisorWord = source.Read();
  if (divisorWord == 0) {
    M68kTrapException(kVecZeroDivide);
    return;
  }
  // 64-bit arithmetic: 0x80000000 / -1 is an ordinary overflow here, not a host trap.
  int64_t dividend = K == Signedness::Signed ? int64_t(int32_t(M68kRegs[Dn])) : int64_t(M68kRegs[Dn]);
  int64_t divisor = Widen16<K>(divisorWord);
  int64_t quotient = dividend / divisor;
  bool fits = K == Signedness::Signed ? quotient >= -32768 && quotient <= 32767 : quotient <= 0xFFFF;
  if (!fits) {
    M68kSR = uint16_t((M68kSR & ~kSrC) | kSrV);
    return;
  }
  int64_t remainder = dividend - quotient * divisor;
  M68kRegs[Dn] = (uint32_t(remainder) << 16) | (uint32_t(quotient) & 0xFFFF);
  M68kFlagsLogical<Size::W>(uint32_t(quotient));
}

}  // namespace m68k

// SWAP, EXT and EXG: register-only instructions, no memory access, no extension word.
#pragma once

#include "core/ops/common.h"

namespace m68k {

inline void OpSwap() {
  uint32_t& d = M68kRegs[EaReg()];
  const uint32_t res = (d << 16) | (d >> 16);
  M68kFlagsLogical<Size::L>(res);
  d = res;
}

// EXT.W: byte to word, the upper word kept. EXT.L: word to long.
template <Size S> inline void OpExt() {
  static_assert(S == Size::W || S == Size::L);
  constexpr Size kFrom = S == Size::W ? Size::B : Size::W;
  const unsigned n = EaReg();
  const uint32_t res = SignExtend<kFrom>(M68kRegs[n]);
  M68kFlagsLogical<S>(res);
  SetDataReg<S>(n, res);
}

// EXG: the first register is fixed by the slot (0-7 a data register, 8-15 an address
// register); the opcode's four low bits index the second over D0-D7, A0-A7. A7 is the
// live stack pointer. No flag changes.
template <unsigned First> inline void OpExg() {
  static_assert(First < 16);
  uint32_t& second = M68kRegs[M68kOpcode & 15];
  const uint32_t t = M68kRegs[First];
  M68kRegs[First] = second;
  second = t;
}

}  // namespace m68k

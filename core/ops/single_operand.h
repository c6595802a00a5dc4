// The single-operand instructions of line 4: NEGX, CLR, NEG, NOT, TST and TAS.
//
// Every memory operand is located once; a read-modify-write is then one read and one
// write at that address, with the flags set in between. The handlers are flattened so
// that each carries its addressing, bus access and flag work inline.
#pragma once

#include "core/ops/common.h"

namespace m68k {

// A data-alterable operand: mode 7 accepts abs.W and abs.L only.
template <Size S, int M>
using AlterableEa = M68kEffectiveAddress<S, M, kAlterable7>;

// Reads the operand, lets `op` compute the result and set the flags, writes the result.
template <Size S, int M, typename Op>
inline void ReadModifyWrite(Op op) {
  AlterableEa<S, M> ea(EaReg());
  if (!ea.Locate()) return;
  ea.Write(op(ea.Read()));
}

template <Size S, int M>
[[gnu::flatten]] inline void OpNegx() {
  ReadModifyWrite<S, M>([](uint32_t src) {
    uint32_t res = 0 - src - ((M68kSR & kSrX) ? 1 : 0);
    M68kFlagsExtend<S, Arith::Sub>(src, 0, res);
    return res;
  });
}

template <Size S, int M>
[[gnu::flatten]] inline void OpNeg() {
  ReadModifyWrite<S, M>([](uint32_t src) {
    uint32_t res = 0 - src;
    M68kFlagsNeg<S>(src, res);
    return res;
  });
}

template <Size S, int M>
[[gnu::flatten]] inline void OpNot() {
  ReadModifyWrite<S, M>([](uint32_t src) {
    uint32_t res = ~src;
    M68kFlagsLogical<S>(res);
    return res;
  });
}

// TAS: the flags come from the byte as read, before bit 7 is set. The read and the write
// are two ordinary bus calls.
template <int M>
[[gnu::flatten]] inline void OpTas() {
  ReadModifyWrite<Size::B, M>([](uint32_t src) {
    M68kFlagsLogical<Size::B>(src);
    return src | 0x80;
  });
}

// CLR reads a memory operand too (a device register cleared with CLR sees the read) and
// discards it; a data register is not read.
template <Size S, int M>
[[gnu::flatten]] inline void OpClr() {
  AlterableEa<S, M> ea(EaReg());
  if (!ea.Locate()) return;
  if constexpr (M != kDn) (void)ea.Read();
  M68kFlagsLogical<S>(0);
  ea.Write(0);
}

template <Size S, int M>
[[gnu::flatten]] inline void OpTst() {
  AlterableEa<S, M> ea(EaReg());
  if (!ea.Locate()) return;
  M68kFlagsLogical<S>(ea.Read());
}

}  // namespace m68k

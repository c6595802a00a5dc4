// MOVE, MOVEA and MOVEQ. A MOVE handler has its size, source mode and whole destination
// fixed; only the source register comes from the opcode.
//
// The handlers are flattened: with hundreds of them in one generated file the compiler
// otherwise stops inlining the access layer and the flag rules into them.
#pragma once

#include "core/ops/common.h"

namespace m68k {

// MOVE <ea>,<ea>. The source is complete (extension words, register step, read) before
// the destination's extension words or step, so a destination built on the same
// register sees the stepped value. The flags are set before the write, and the
// destination is never read.
template <Size S, int SrcMode, int DstMode, unsigned DstReg>
[[gnu::flatten]] inline void OpMove() {
  M68kEffectiveAddress<S, SrcMode> src(EaReg());
  if (!src.Locate()) return;
  uint32_t value = src.Read();
  M68kEffectiveAddress<S, DstMode, kAlterable7> dst(DstReg);
  dst.Locate();  // a fixed destination register is always accepted
  M68kFlagsLogical<S>(value);
  dst.Write(value);
}

// MOVEA <ea>,An: the whole register takes the (sign-extended) source; no flag changes.
// The write follows the source's step, so MOVEA.L (An)+,An keeps the loaded value.
template <Size S, int SrcMode, unsigned DstReg>
[[gnu::flatten]] inline void OpMoveA() {
  M68kEffectiveAddress<S, SrcMode> src(EaReg());
  if (!src.Locate()) return;
  M68kAddrRegs[DstReg] = SignExtend<S>(src.Read());
}

// MOVEQ #d8,Dn: the datum is the opcode's low byte, sign-extended to the whole register.
template <unsigned DstReg>
[[gnu::flatten]] inline void OpMoveQ() {
  uint32_t value = SignExtend<Size::B>(M68kOpcode);
  M68kFlagsLogical<Size::L>(value);
  M68kRegs[DstReg] = value;
}

}  // namespace m68k

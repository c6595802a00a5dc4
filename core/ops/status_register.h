// The status register moves: MOVE from SR, MOVE to CCR and MOVE to SR, word operands.
// The handlers are flattened so that each carries its addressing inline.
#pragma once

#include "core/ops/common.h"

namespace m68k {

// MOVE from SR: not privileged; the destination is written without being read.
template <int M>
[[gnu::flatten]] inline void OpMoveFromSr() {
  M68kEffectiveAddress<Size::W, M, kAlterable7> ea(EaReg());
  if (!ea.Locate()) return;
  ea.Write(M68kGetSR());
}

// MOVE to CCR: the low byte of the source word, all eight bits of it.
template <int M>
[[gnu::flatten]] inline void OpMoveToCcr() {
  M68kEffectiveAddress<Size::W, M> ea(EaReg());
  if (!ea.Locate()) return;
  M68kSetCCR(ea.Read() & 0xFF);
}

// MOVE to SR: privileged, tested before the operand is touched. It leaves the run loop so
// that a new trace bit and interrupt mask are seen before the next instruction.
template <int M>
[[gnu::flatten]] inline void OpMoveToSr() {
  if (!Privileged()) return;
  M68kEffectiveAddress<Size::W, M> ea(EaReg());
  if (!ea.Locate()) return;
  M68kSetSR(ea.Read());
  M68kLeaveRun();
}

}  // namespace m68k

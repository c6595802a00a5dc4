// Scc and DBcc: set a byte by a condition; test a condition, else count a data
// register's low word down and loop. Neither changes a flag.
#pragma once

#include "core/ops/condition.h"

namespace m68k {

// Scc <ea>: a byte destination of all ones or all zeros. The operand is never read;
// the write is its only access. A true condition hands all ones in every bit to the
// write (a data register keeps its bits above the byte).
template <unsigned Code, int M> inline void OpScc() {
  M68kEffectiveAddress<Size::B, M, kAlterable7> ea(EaReg());
  if (!ea.Locate()) return;
  ea.Write(M68kCondition<Code>() ? 0xFFFFFFFFu : 0u);
}

// DBcc Dn,d16: the displacement word is read only when the branch is taken; its own
// address is the base of the branch.
template <unsigned Code> inline void OpDbcc() {
  if (M68kCondition<Code>()) {
    M68kPC += 2;
    return;
  }
  const unsigned r = EaReg();
  const uint32_t counter = (M68kRegs[r] - 1) & 0xFFFF;
  SetDataReg<Size::W>(r, counter);
  if (counter == 0xFFFF) {
    M68kPC += 2;
    return;
  }
  M68kPC += SignExtend<Size::W>(ReadWord(M68kPC));
}

}  // namespace m68k

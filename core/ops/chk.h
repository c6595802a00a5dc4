// CHK <ea>,Dn: the low word of Dn, signed, must lie in 0..bound, else the CHK trap.
#pragma once

#include "core/ops/common.h"

namespace m68k {

// The register under test is read before the source; the source is read whatever its
// value. Only N changes: set for a negative value, cleared otherwise. The trap stacks
// the address after the instruction and its extension words.
template <int M, unsigned Dn> inline void OpChk() {
  const int16_t value = int16_t(M68kRegs[Dn]);
  M68kEffectiveAddress<Size::W, M, kData7> ea(EaReg());
  if (!ea.Locate()) return;
  const int16_t bound = int16_t(ea.Read());
  M68kSR = uint16_t(value < 0 ? M68kSR | kSrN : M68kSR & ~kSrN);
  if (value < 0 || value > bound) M68kTrapException(kVecChk);
}

}  // namespace m68k

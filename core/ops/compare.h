// CMP, CMPA, CMPM and CMPI: subtract a source from a destination, keep only the flags.
// No compare writes memory; the only registers they change are stepped (An)+ / -(An).
#pragma once

#include "core/ops/common.h"

namespace m68k {

// CMP <ea>,Dn: Dn at the size against the source.
template <Size S, int M, unsigned Dn>
inline void OpCmp() {
  M68kEffectiveAddress<S, M> source(EaReg());
  if (!source.Locate()) return;
  M68kFlagsCompare<S>(source.Read(), M68kRegs[Dn]);
}

// CMPA <ea>,An: the whole of An against the source, a word source sign-extended. An is
// read after the source's own step, so CMPA.L (A0)+,A0 sees the stepped A0.
template <Size S, int M, unsigned An>
inline void OpCmpa() {
  M68kEffectiveAddress<S, M> source(EaReg());
  if (!source.Locate()) return;
  uint32_t value = SignExtend<S>(source.Read());
  M68kFlagsCompare<Size::L>(value, M68kAddrRegs[An]);
}

// CMPM (Ay)+,(Ax)+: the source is stepped before the destination is located, so with
// Ax = Ay the destination is the element after the source.
template <Size S, unsigned Ax>
inline void OpCmpm() {
  M68kEffectiveAddress<S, kPostInc> source(EaReg());
  source.Locate();
  uint32_t value = source.Read();
  M68kEffectiveAddress<S, kPostInc> destination(Ax);
  destination.Locate();
  M68kFlagsCompare<S>(value, destination.Read());
}

// CMPI #imm,<ea>: the immediate comes before the destination's extension words, and an
// unaccepted mode-7 destination is refused before the immediate is fetched.
template <Size S, int M>
inline void OpCmpi() {
  M68kEffectiveAddress<S, M, kAlterable7> destination(EaReg());
  if constexpr (M == kMode7) {
    if (!Mode7Accepts<kAlterable7>(destination.reg)) return;
  }
  uint32_t immediate = FetchImmediate<S>();
  destination.Locate();
  M68kFlagsCompare<S>(immediate, destination.Read());
}

}  // namespace m68k

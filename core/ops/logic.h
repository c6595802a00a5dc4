// AND, OR and EOR with a data register, and the immediate forms ANDI, ORI and EORI with
// their forms to CCR and to SR.
#pragma once

#include "core/ops/common.h"

namespace m68k {

enum class Logic { And, Or, Eor };

template <Logic L> constexpr uint32_t Combine(uint32_t a, uint32_t b) {
  if constexpr (L == Logic::And)
    return a & b;
  else if constexpr (L == Logic::Or)
    return a | b;
  else
    return a ^ b;
}

// Dn := Dn op <ea>. An address register is never a source (its slots are illegal).
template <Logic L, Size S, int M, unsigned Dn> inline void OpLogicToRegister() {
  M68kEffectiveAddress<S, M, kData7> source(EaReg());
  if (!source.Locate()) return;
  uint32_t result = Combine<L>(M68kRegs[Dn], source.Read()) & kMask<S>;
  M68kFlagsLogical<S>(result);
  SetDataReg<S>(Dn, result);
}

// The destination of a read-modify-write with a known second operand: addressed once,
// read once, flags set, written once at the same address.
template <Logic L, Size S, int M>
inline void CombineInto(M68kEffectiveAddress<S, M, kAlterable7>& destination, uint32_t operand) {
  uint32_t result = Combine<L>(destination.Read(), operand) & kMask<S>;
  M68kFlagsLogical<S>(result);
  destination.Write(result);
}

// <ea> := <ea> op Dn; for EOR also Dy := Dy op Dn.
template <Logic L, Size S, int M, unsigned Dn> inline void OpLogicToEa() {
  M68kEffectiveAddress<S, M, kAlterable7> destination(EaReg());
  if (!destination.Locate()) return;
  CombineInto<L, S, M>(destination, M68kRegs[Dn]);
}

// ANDI, ORI, EORI to CCR: the low byte of SR becomes the result, all eight bits of it.
template <Logic L> inline void LogicToCcr() {
  uint32_t immediate = FetchImmediate<Size::B>();
  M68kSetCCR(Combine<L>(M68kGetCCR(), immediate));
}

// ANDI, ORI, EORI to SR. The privilege test comes before the immediate is fetched, so a
// user-state attempt stacks the instruction's own address. The run loop is not left: a
// new mask is seen at its next interrupt test, a new T at its next entry.
template <Logic L> inline void LogicToSr() {
  if (!Privileged()) return;
  uint32_t immediate = FetchImmediate<Size::W>();
  M68kSetSR(Combine<L>(M68kGetSR(), immediate) & 0xFFFF);
}

// ANDI, ORI, EORI #imm,<ea>. The immediate comes before the destination's extension
// words. In mode 7 register 4 selects the CCR form (byte) or the SR form (word); the
// byte and word handlers check the register field before fetching anything, the long
// handler fetches its immediate first and rewinds it before raising the exception.
template <Logic L, Size S, int M> inline void OpLogicImmediate() {
  unsigned y = EaReg();
  uint32_t immediate;
  if constexpr (M == kMode7 && S == Size::L) {
    immediate = FetchImmediate<S>();
    if (y > 1) {
      M68kPC -= 4;
      M68kException(kVecIllegal);
      return;
    }
  } else if constexpr (M == kMode7) {
    if (y == 4) {
      if constexpr (S == Size::B)
        LogicToCcr<L>();
      else
        LogicToSr<L>();
      return;
    }
    if (!Mode7Accepts<kAlterable7>(y)) return;
    immediate = FetchImmediate<S>();
  } else {
    immediate = FetchImmediate<S>();
  }
  M68kEffectiveAddress<S, M, kAlterable7> destination(y);
  if (!destination.Locate()) return;
  CombineInto<L, S, M>(destination, immediate);
}

}  // namespace m68k

// MOVEM: a set of registers, chosen by a 16-bit mask, to or from consecutive memory
// words or longs. No flag changes.
#pragma once

#include <bit>

#include "core/ops/common.h"

namespace m68k {

// The start address of the transfer, computed after the mask word has been read. The
// running address is kept apart from An, so loading An from memory in the middle of
// the list does not move the transfer. (An)+ and -(An) start at An; their register is
// written once, after the loop.
//
// An invalid mode-7 field stacks the opcode's own address: the mask word has already
// been consumed, so the PC is taken back over it before the exception entry takes it
// back over the opcode.
template <int M, unsigned Allowed7> inline bool MovemStart(uint32_t& address) {
  const unsigned reg = EaReg();
  if constexpr (M == kInd || M == kPostInc || M == kPreDec) {
    address = M68kAddrRegs[reg];
    return true;
  } else {
    if constexpr (M == kMode7) {
      if (!Mode7Allows<Allowed7>(reg)) {
        M68kPC -= 2;
        M68kException(kVecIllegal);
        return false;
      }
    }
    return ControlAddress<M>(reg, address);
  }
}

// Calls visit(register index) for each set bit of the mask, from bit 0 upward.
// -(An) masks list A7 first (bit 0) and D0 last (bit 15).
template <bool Reversed, typename Visit> inline void ForEachMaskedRegister(uint32_t mask, Visit visit) {
  while (mask) {
    const unsigned bit = unsigned(std::countr_zero(mask));
    mask &= mask - 1;
    visit(Reversed ? 15 - bit : bit);
  }
}

// Each register is stored as it is when its turn comes, so a stored An is An's value
// at the start of the instruction (-(An) writes An back only after the loop).
template <Size S, int M> inline void OpMovemRegsToMem() {
  const uint32_t mask = FetchWord();
  uint32_t address;
  if (!MovemStart<M, kAlterable7>(address)) return;
  if constexpr (M == kPreDec) {
    ForEachMaskedRegister<true>(mask, [&](unsigned r) {
      address -= kBytes<S>;
      Write<S>(address, M68kRegs[r]);
    });
    M68kAddrRegs[EaReg()] = address;
  } else {
    ForEachMaskedRegister<false>(mask, [&](unsigned r) {
      Write<S>(address, M68kRegs[r]);
      address += kBytes<S>;
    });
  }
}

// Words are sign-extended into the whole register, data and address registers alike.
// (An)+ writes the final address into An at the end, replacing a value loaded into it.
template <Size S, int M> inline void OpMovemMemToRegs() {
  const uint32_t mask = FetchWord();
  uint32_t address;
  if (!MovemStart<M, kControl7>(address)) return;
  ForEachMaskedRegister<false>(mask, [&](unsigned r) {
    M68kRegs[r] = SignExtend<S>(Read<S>(address));
    address += kBytes<S>;
  });
  if constexpr (M == kPostInc) M68kAddrRegs[EaReg()] = address;
}

}  // namespace m68k

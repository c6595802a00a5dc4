// BRA, BSR and Bcc. The displacement base is the address of the word after the opcode,
// for both displacement sizes. No flag changes.
#pragma once

#include "core/ops/condition.h"

namespace m68k {

// Slot xx00-xx07: a low byte of 0 means a 16-bit displacement word follows, read
// whether or not the branch is then taken; 1-7 are 8-bit displacements.
template <unsigned Code> inline void OpBranchW() {
  const uint32_t d8 = SignExtend<Size::B>(M68kOpcode);
  if (d8 == 0) {
    const uint32_t d16 = SignExtend<Size::W>(ReadWord(M68kPC));
    M68kPC += M68kCondition<Code>() ? d16 : 2;
  } else if (M68kCondition<Code>()) {
    M68kPC += d8;
  }
}

// Slots xx08-xxFF: always an 8-bit displacement.
template <unsigned Code> inline void OpBranchB() {
  if (M68kCondition<Code>()) M68kPC += SignExtend<Size::B>(M68kOpcode);
}

// BSR: the return address is the address after the displacement word (word form) or
// after the opcode (byte form).
inline void OpBsrW() {
  const uint32_t d8 = SignExtend<Size::B>(M68kOpcode);
  if (d8 == 0) {
    const uint32_t d16 = SignExtend<Size::W>(ReadWord(M68kPC));
    PushLong(M68kPC + 2);
    M68kPC += d16;
  } else {
    PushLong(M68kPC);
    M68kPC += d8;
  }
}

inline void OpBsrB() {
  PushLong(M68kPC);
  M68kPC += SignExtend<Size::B>(M68kOpcode);
}

}  // namespace m68k

// LEA, PEA, JMP and JSR: an effective address used as an address. The addressed memory
// is never touched and no flag changes. The address is complete (every extension word
// read) before a register, the stack or the PC changes.
#pragma once

#include "core/ops/common.h"

namespace m68k {

template <int M, unsigned An> inline void OpLea() {
  uint32_t address;
  if (ControlAddress<M>(EaReg(), address)) M68kAddrRegs[An] = address;
}

// PEA (A7) pushes A7's value before the decrement.
template <int M> inline void OpPea() {
  uint32_t address;
  if (ControlAddress<M>(EaReg(), address)) PushLong(address);
}

template <int M> inline void OpJmp() {
  uint32_t address;
  if (ControlAddress<M>(EaReg(), address)) M68kPC = address;
}

// The PC is past the extension words by now: the return address is the next
// instruction's.
template <int M> inline void OpJsr() {
  uint32_t address;
  if (!ControlAddress<M>(EaReg(), address)) return;
  PushLong(M68kPC);
  M68kPC = address;
}

}  // namespace m68k

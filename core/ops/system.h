// System control: TRAP, LINK, UNLK, MOVE USP and the one-word control opcodes
// 0x4E70-0x4E77 (RESET, NOP, STOP, RTE, RTS, TRAPV, RTR).
#pragma once

#include "core/ops/common.h"

namespace m68k {

inline void OpTrap() { M68kTrapException(kVecTrap0 + (M68kOpcode & 15)); }

inline void OpLink() {
  unsigned n = EaReg();
  uint32_t& a7 = M68kRegs[15];
  uint32_t frame = M68kAddrRegs[n];
  a7 -= 4;
  // LINK A7 pushes the stack pointer as it is after the decrement, as the 68000 does.
  if (n == 7) frame = a7;
  WriteLong(a7, frame);
  M68kAddrRegs[n] = a7;
  uint32_t displacement = SignExtend<Size::W>(FetchWord());
  a7 += displacement;
}

inline void OpUnlk() {
  unsigned n = EaReg();
  uint32_t& a7 = M68kRegs[15];
  a7 = M68kAddrRegs[n];
  uint32_t frame = ReadLong(a7);
  a7 += 4;
  M68kAddrRegs[n] = frame;
}

inline void OpMoveToUsp() {
  if (Privileged()) M68kUSP = M68kAddrRegs[EaReg()];
}

inline void OpMoveFromUsp() {
  if (Privileged()) M68kAddrRegs[EaReg()] = M68kUSP;
}

inline void OpRte() {
  if (!Privileged()) return;
  uint32_t sr = PopWord();
  M68kPC = PopLong();
  M68kSetSR(sr);
  M68kLeaveRun();
}

inline void OpRtr() {
  M68kSetCCR(PopWord());
  M68kPC = PopLong();
}

inline void OpSystemControl() {
  switch (M68kOpcode & 7) {
    case 0:  // RESET: resets no device here
      Privileged();
      break;
    case 1:  // NOP
      break;
    case 2:
      M68kStop();
      break;
    case 3:
      OpRte();
      break;
    case 4:
      M68kException(kVecIllegal);
      break;
    case 5:  // RTS
      M68kPC = PopLong();
      break;
    case 6:  // TRAPV
      if (M68kSR & kSrV) M68kException(kVecTrapV);
      break;
    case 7:
      OpRtr();
      break;
  }
}

}  // namespace m68k

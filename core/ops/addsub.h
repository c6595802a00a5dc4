// The add and subtract families: ADD, SUB, ADDA, SUBA, ADDX, SUBX, ADDI, SUBI, ADDQ, SUBQ.
// Each handler fixes the operation, size, addressing mode and the register field (or
// quick data); only the EA register is decoded at run time.
#pragma once

#include "core/ops/common.h"

namespace m68k {

template <Arith K> inline uint32_t AddOrSub(uint32_t dst, uint32_t src) {
  if constexpr (K == Arith::Add)
    return dst + src;
  else
    return dst - src;
}

// dst := dst + src or dst - src at the size, all five flags; a memory destination is
// read and written at the address located once.
template <Arith K, Size S, class Dest> inline void AddSubInto(const Dest& dst, uint32_t src) {
  uint32_t d = dst.Read();
  uint32_t res = AddOrSub<K>(d, src);
  M68kFlagsAdd<S, K>(src, d, res);
  dst.Write(res);
}

// ADD/SUB <ea>,Dn.
template <Arith K, Size S, int M, unsigned Dn> inline void OpAddSubToDn() {
  M68kEffectiveAddress<S, M> src(EaReg());
  if (!src.Locate()) return;
  AddSubInto<K, S>(M68kEffectiveAddress<S, kDn>(Dn), src.Read());
}

// ADD/SUB Dn,<ea> with a memory destination.
template <Arith K, Size S, int M, unsigned Dn> inline void OpAddSubToEa() {
  M68kEffectiveAddress<S, M, kAlterable7> dst(EaReg());
  if (!dst.Locate()) return;
  AddSubInto<K, S>(dst, M68kRegs[Dn] & kMask<S>);
}

// ADDI/SUBI #imm,<ea>. The immediate comes first in the instruction stream; a mode-7
// destination the instruction does not accept still stacks the opcode's own address, so
// the PC is taken back over the immediate before the exception.
template <Arith K, Size S, int M> inline void OpAddSubImmediate() {
  uint32_t afterOpcode = M68kPC;
  uint32_t src = FetchImmediate<S>();
  M68kEffectiveAddress<S, M, kAlterable7> dst(EaReg());
  if constexpr (M == kMode7) {
    if (!Mode7Allows<kAlterable7>(dst.reg)) M68kPC = afterOpcode;
  }
  if (!dst.Locate()) return;
  AddSubInto<K, S>(dst, src);
}

// ADDQ/SUBQ #q,<ea>. To an address register the whole register changes, in the word
// size too, and no flag.
template <Arith K, Size S, int M, unsigned Q> inline void OpAddSubQuick() {
  if constexpr (M == kAn) {
    uint32_t& an = M68kAddrRegs[EaReg()];
    an = AddOrSub<K>(an, Q);
  } else {
    M68kEffectiveAddress<S, M, kAlterable7> dst(EaReg());
    if (!dst.Locate()) return;
    AddSubInto<K, S>(dst, Q);
  }
}

// ADDA/SUBA <ea>,An: a word source is sign-extended, the whole register changes, no flag.
// An is taken after the source, so (An)+ and -(An) on An itself count.
template <Arith K, Size S, int M, unsigned An> inline void OpAddSubAddress() {
  M68kEffectiveAddress<S, M> src(EaReg());
  if (!src.Locate()) return;
  uint32_t v = SignExtend<S>(src.Read());
  M68kAddrRegs[An] = AddOrSub<K>(M68kAddrRegs[An], v);
}

// ADDX/SUBX: X is the carry or borrow in, Z is only ever cleared.
template <Arith K, Size S, class Dest> inline void AddSubExtendInto(const Dest& dst, uint32_t src) {
  uint32_t d = dst.Read();
  uint32_t res = AddOrSub<K>(AddOrSub<K>(d, src), (M68kSR & kSrX) ? 1 : 0);
  M68kFlagsExtend<S, K>(src, d, res);
  dst.Write(res);
}

// ADDX/SUBX Dy,Dx (M = kDn) or -(Ay),-(Ax) (M = kPreDec): the source register is
// stepped and read before the destination, so with x = y the two operands are
// consecutive.
template <Arith K, Size S, int M, unsigned Rx> inline void OpAddSubExtend() {
  static_assert(M == kDn || M == kPreDec);
  M68kEffectiveAddress<S, M> src(EaReg());
  src.Locate();
  uint32_t s = src.Read();
  M68kEffectiveAddress<S, M> dst(Rx);
  dst.Locate();
  AddSubExtendInto<K, S>(dst, s);
}

}  // namespace m68k

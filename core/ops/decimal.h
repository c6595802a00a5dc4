// ABCD, SBCD and NBCD: packed decimal bytes (two digits each), with X as the decimal
// carry or borrow between bytes. Bytes with digits above 9 are operands too: they get
// whatever the adjustment steps below make of them.
#pragma once

#include "core/ops/common.h"

namespace m68k {

// X as the carry or borrow into this byte.
inline int32_t DecimalCarryIn() { return (M68kSR & kSrX) ? 1 : 0; }

// s + d + x in decimal, before truncation to a byte: 0x100 and above is a carry.
inline int32_t DecimalSum(uint32_t s, uint32_t d, int32_t x) {
  int32_t low = int32_t(s & 0x0F) + int32_t(d & 0x0F) + x;
  if (low >= 10) low += 6;
  int32_t r = low + int32_t(s & 0xF0) + int32_t(d & 0xF0);
  if (r >= 0xA0) r += 0x60;
  return r;
}

// d - s - x in decimal, before truncation to a byte: negative exactly on a borrow.
inline int32_t DecimalDifference(uint32_t d, uint32_t s, int32_t x) {
  int32_t low = int32_t(d & 0x0F) - int32_t(s & 0x0F) - x;
  int32_t high = int32_t(d & 0xF0) - int32_t(s & 0xF0);
  if (low < 0) {
    low += 10;
    high -= 0x10;
  }
  if (high < 0) high -= 0x60;
  return low + high;
}

// ABCD Dy,Dx and ABCD -(Ay),-(Ax); SBCD the same with Arith::Sub. The source is read,
// with its register stepped, before the destination register is touched. X and C take
// the carry or borrow, Z is set exactly when the result byte is zero; N and V are kept.
template <Arith K, int M, unsigned Rx>
inline void OpBcd() {
  static_assert(M == kDn || M == kPreDec);
  M68kEffectiveAddress<Size::B, M> source(EaReg());
  source.Locate();
  uint32_t s = source.Read();
  M68kEffectiveAddress<Size::B, M> destination(Rx);
  destination.Locate();
  uint32_t d = destination.Read();
  int32_t r = K == Arith::Add ? DecimalSum(s, d, DecimalCarryIn()) : DecimalDifference(d, s, DecimalCarryIn());
  uint32_t result = uint32_t(r) & 0xFF;
  bool carry = K == Arith::Add ? r >= 0x100 : r < 0;
  uint16_t flags = uint16_t((carry ? kSrX | kSrC : 0) | (result == 0 ? kSrZ : 0));
  M68kSR = uint16_t((M68kSR & ~(kSrX | kSrZ | kSrC)) | flags);
  destination.Write(result);
}

// NBCD <ea>: 0 - operand - X in decimal. Any nonzero difference (a borrow) sets X, C and
// N and clears Z; only a zero operand with X clear gives Z and clears the other three.
// V is kept.
template <int M>
inline void OpNbcd() {
  M68kEffectiveAddress<Size::B, M, kAlterable7> operand(EaReg());
  if (!operand.Locate()) return;
  int32_t r = DecimalDifference(0, operand.Read(), DecimalCarryIn());
  uint16_t flags = r != 0 ? kSrX | kSrN | kSrC : kSrZ;
  M68kSR = uint16_t((M68kSR & ~(kSrX | kSrN | kSrZ | kSrC)) | flags);
  operand.Write(uint32_t(r) & 0xFF);
}

}  // namespace m68k

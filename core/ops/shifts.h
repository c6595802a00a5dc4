// ASL, ASR, LSL, LSR, ROL, ROR, ROXL and ROXR of a data register (count 1-8 in the
// opcode or 0-63 in a data register) and of a memory word (by one).
#pragma once

#include <bit>

#include "core/ops/common.h"

namespace m68k {

enum class ShiftKind { Arithmetic, Logical, RotateExtend, Rotate };

// The sized value repeated across 32 bits, so that a 32-bit rotation by any count
// leaves the sized rotation in the low bits.
template <Size S> constexpr uint32_t Repeated(uint32_t v) {
  if constexpr (S == Size::B)
    return v * 0x01010101u;
  else if constexpr (S == Size::W)
    return v * 0x00010001u;
  else
    return v;
}

// Shifts or rotates the sized value v by n (0-63) places, sets the flags and returns the
// sized result. Counts reach twice the widest operand, so the shifts work on 64 bits,
// where every count up to 63 is a plain machine shift. With a constant n (immediate
// counts, memory forms) the branches and masks fold away.
template <ShiftKind K, bool Left, Size S> inline uint32_t Shifted(uint32_t v, unsigned n) {
  constexpr unsigned w = kBytes<S> * 8;
  uint16_t sr = uint16_t(M68kSR & ~(kSrN | kSrZ | kSrV | kSrC));
  uint32_t result = v;
  if constexpr (K == ShiftKind::Arithmetic || K == ShiftKind::Logical) {
    if (n != 0) {
      uint32_t out;  // the last bit shifted out; 0 once n passes the width
      if constexpr (Left) {
        uint64_t wide = uint64_t(v) << n;
        result = uint32_t(wide) & kMask<S>;
        out = uint32_t(wide >> w) & 1;
        // V: the sign changed at some step, i.e. shifting back does not restore v.
        if constexpr (K == ShiftKind::Arithmetic)
          if ((int64_t(int32_t(SignExtend<S>(result))) >> n) != int64_t(int32_t(SignExtend<S>(v)))) sr |= kSrV;
      } else if constexpr (K == ShiftKind::Logical) {
        result = uint32_t(uint64_t(v) >> n);
        out = uint32_t(uint64_t(v) >> (n - 1)) & 1;
      } else {
        int64_t sv = int32_t(SignExtend<S>(v));
        result = uint32_t(sv >> n) & kMask<S>;
        out = uint32_t(sv >> (n - 1)) & 1;
      }
      sr = uint16_t((sr & ~kSrX) | (out ? kSrX | kSrC : 0));
    }
  } else if constexpr (K == ShiftKind::Rotate) {
    if (n != 0) {
      uint32_t all = Left ? std::rotl(Repeated<S>(v), int(n)) : std::rotr(Repeated<S>(v), int(n));
      result = all & kMask<S>;
      if ((Left ? result : result >> (w - 1)) & 1) sr |= kSrC;
    }
  } else {
    // Through X: a rotation of the (w + 1)-bit value X:v, by n modulo w + 1.
    unsigned r = n % (w + 1);
    uint64_t x = (M68kSR >> 4) & 1;
    if (r == 0) {
      sr |= uint16_t(x);  // C := X
    } else {
      unsigned left = Left ? r : w + 1 - r;
      uint64_t u = uint64_t(v) | (x << w);
      u = (u << left) | (u >> (w + 1 - left));
      result = uint32_t(u) & kMask<S>;
      sr = uint16_t((sr & ~kSrX) | (((u >> w) & 1) ? kSrX | kSrC : 0));
    }
  }
  M68kSR = uint16_t(sr | NZ<S>(result));
  return result;
}

// Dy by the count of the opcode: 1-7, with 0 meaning 8.
template <ShiftKind K, bool Left, Size S, unsigned Count> inline void OpShiftImmediate() {
  static_assert(Count >= 1 && Count <= 8);
  unsigned y = EaReg();
  SetDataReg<S>(y, Shifted<K, Left, S>(M68kRegs[y] & kMask<S>, Count));
}

// Dy by Dc modulo 64; Dc is read before Dy changes (they may be the same register).
template <ShiftKind K, bool Left, Size S, unsigned Dc> inline void OpShiftByRegister() {
  unsigned y = EaReg();
  SetDataReg<S>(y, Shifted<K, Left, S>(M68kRegs[y] & kMask<S>, M68kRegs[Dc] & 63));
}

// A memory word by one place: read once, flags set, written once at the same address.
template <ShiftKind K, bool Left, int M> inline void OpShiftMemory() {
  M68kEffectiveAddress<Size::W, M, kAlterable7> operand(EaReg());
  if (!operand.Locate()) return;
  operand.Write(Shifted<K, Left, Size::W>(operand.Read(), 1));
}

}  // namespace m68k

// The condition-code rules. Each touches only X, N, Z, V and C and leaves the
// unassigned bits and the system byte alone.
#pragma once

#include <cstdint>

#include "core/bus.h"

namespace m68k {

enum class Arith { Add, Sub };

template <Size S> constexpr uint32_t kMsbShift = kBytes<S> * 8 - 1;

// N and Z of the sized result, as flag bits.
template <Size S> M68K_INLINE uint16_t NZ(uint32_t res) {
  res &= kMask<S>;
  return uint16_t(((res >> kMsbShift<S>) << 3) | (res == 0 ? kSrZ : 0));
}

// Carry (or borrow) and overflow of res = dst + src (+ x) or res = dst - src (- x), as
// C and V flag bits. The bit formulas hold with and without a carry in.
template <Size S, Arith K> M68K_INLINE uint16_t CarryOverflow(uint32_t src, uint32_t dst, uint32_t res) {
  uint32_t c, v;
  if constexpr (K == Arith::Add) {
    c = (src & dst) | (~res & (src | dst));
    v = (src ^ res) & (dst ^ res);
  } else {
    c = (src & ~dst) | (res & ~dst) | (src & res);
    v = (src ^ dst) & (res ^ dst);
  }
  return uint16_t(((c >> kMsbShift<S>) & 1) | (((v >> kMsbShift<S>) & 1) << 1));
}

// MOVE, logic, CLR, TST and the like: N and Z from the result, V and C cleared, X kept.
template <Size S> M68K_INLINE void M68kFlagsLogical(uint32_t res) {
  M68kSR = uint16_t((M68kSR & ~(kSrN | kSrZ | kSrV | kSrC)) | NZ<S>(res));
}

// ADD, SUB and their immediate and quick forms: all five flags, X equal to C.
template <Size S, Arith K> M68K_INLINE void M68kFlagsAdd(uint32_t src, uint32_t dst, uint32_t res) {
  uint16_t cv = CarryOverflow<S, K>(src, dst, res);
  uint16_t x = (cv & kSrC) ? kSrX : 0;
  M68kSR = uint16_t((M68kSR & ~0x1F) | x | NZ<S>(res) | cv);
}

// NEG: res = 0 - src.
template <Size S> M68K_INLINE void M68kFlagsNeg(uint32_t src, uint32_t res) { M68kFlagsAdd<S, Arith::Sub>(src, 0, res); }

// CMP family: the flags of dst - src, X untouched.
template <Size S> M68K_INLINE void M68kFlagsCompare(uint32_t src, uint32_t dst) {
  uint32_t res = dst - src;
  uint16_t cv = CarryOverflow<S, Arith::Sub>(src, dst, res);
  M68kSR = uint16_t((M68kSR & ~(kSrN | kSrZ | kSrV | kSrC)) | NZ<S>(res) | cv);
}

// ADDX, SUBX, NEGX (as 0 - src - X): Z is only ever cleared, so a chain of parts keeps it
// set while every part is zero.
template <Size S, Arith K> M68K_INLINE void M68kFlagsExtend(uint32_t src, uint32_t dst, uint32_t res) {
  uint16_t cv = CarryOverflow<S, K>(src, dst, res);
  uint16_t x = (cv & kSrC) ? kSrX : 0;
  uint16_t keepZ = (res & kMask<S>) == 0 ? (M68kSR & kSrZ) : 0;
  uint16_t n = uint16_t(((res & kMask<S>) >> kMsbShift<S>) << 3);
  M68kSR = uint16_t((M68kSR & ~0x1F) | x | n | keepZ | cv);
}

}  // namespace m68k

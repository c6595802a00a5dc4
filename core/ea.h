// Effective addressing shared by every instruction family. The mode is a template
// parameter fixed by the handler's dispatch slot; only the register field is decoded at
// run time (and, for mode 7, switched on).
#pragma once

#include <cstdint>

#include "core/bus.h"

namespace m68k {

enum Mode : int { kDn = 0, kAn = 1, kInd = 2, kPostInc = 3, kPreDec = 4, kDisp = 5, kIndex = 6, kMode7 = 7 };

// Mode-7 sub-modes a handler accepts, one bit per register field value.
constexpr unsigned kAbsW = 1u << 0;
constexpr unsigned kAbsL = 1u << 1;
constexpr unsigned kPcDisp = 1u << 2;
constexpr unsigned kPcIndex = 1u << 3;
constexpr unsigned kImm = 1u << 4;
constexpr unsigned kAlterable7 = kAbsW | kAbsL;               // data-alterable destinations
constexpr unsigned kControl7 = kAbsW | kAbsL | kPcDisp | kPcIndex;  // LEA, PEA, JMP, JSR, MOVEM from memory
constexpr unsigned kData7 = kControl7 | kImm;                 // data sources

// The register field of the opcode's effective address.
M68K_INLINE unsigned EaReg() { return M68kOpcode & 7; }
// Bits 11-9 of the opcode.
M68K_INLINE unsigned RxField() { return (M68kOpcode >> 9) & 7; }

// Brief extension word: index register (any of the sixteen), word or long index,
// signed 8-bit displacement; bits 10-8 play no part.
M68K_INLINE uint32_t BriefIndexOffset(uint32_t ext) {
  uint32_t index = M68kRegs[(ext >> 12) & 15];
  if (!(ext & 0x800)) index = SignExtend<Size::W>(index);
  return index + SignExtend<Size::B>(ext);
}

// Whether a mode-7 handler accepts the register field. When it does not, the
// illegal-instruction exception is taken and the handler must end with no other effect.
// Handlers that fetch something before their effective address call this first.
template <unsigned Allowed7> M68K_INLINE constexpr bool Mode7Allows(unsigned reg) {
  return reg <= 4 && (Allowed7 & (1u << reg));
}
template <unsigned Allowed7> inline bool Mode7Accepts(unsigned reg) {
  if (Mode7Allows<Allowed7>(reg)) return true;
  M68kException(kVecIllegal);
  return false;
}

// Step of (An)+ and -(An): a byte through A7 moves it by two.
template <Size S> M68K_INLINE uint32_t StepFor(unsigned reg) {
  if constexpr (S == Size::B) return reg == 7 ? 2 : 1;
  return kBytes<S>;
}

// One operand. Locate() does the whole address computation (extension words, register
// step, immediate fetch); Read() and Write() are then one access each at the located
// address, so a read-modify-write operand is addressed once.
//
// Locate() returns false when a mode-7 register field is not accepted: the
// illegal-instruction exception has been taken and the handler must end without any
// further effect.
template <Size S, int M, unsigned Allowed7 = kData7>
struct M68kEffectiveAddress {
  unsigned reg;
  uint32_t address = 0;  // memory modes; the immediate value for #imm
  bool immediate = false;

  explicit M68kEffectiveAddress(unsigned r) : reg(r) {}

  M68K_INLINE bool Locate() {
    if constexpr (M == kDn || M == kAn) {
      return true;
    } else if constexpr (M == kInd) {
      address = M68kAddrRegs[reg];
    } else if constexpr (M == kPostInc) {
      uint32_t& an = M68kAddrRegs[reg];
      if (S == Size::B && reg == 7) {
        an += 1;
        address = an;
        an += 1;
      } else {
        address = an;
        an += kBytes<S>;
      }
    } else if constexpr (M == kPreDec) {
      uint32_t& an = M68kAddrRegs[reg];
      if (S == Size::B && reg == 7) {
        an -= 1;
        address = an;
        an -= 1;
      } else {
        an -= kBytes<S>;
        address = an;
      }
    } else if constexpr (M == kDisp) {
      uint32_t base = M68kAddrRegs[reg];
      address = base + SignExtend<Size::W>(FetchWord());
    } else if constexpr (M == kIndex) {
      uint32_t base = M68kAddrRegs[reg];
      address = base + BriefIndexOffset(FetchWord());
    } else {
      if (!Mode7Accepts<Allowed7>(reg)) return false;
      switch (reg) {
        case 0:
          address = SignExtend<Size::W>(FetchWord());
          break;
        case 1:
          address = FetchLong();
          break;
        case 2: {
          uint32_t base = M68kPC;
          address = base + SignExtend<Size::W>(FetchWord());
          break;
        }
        case 3: {
          uint32_t base = M68kPC;
          address = base + BriefIndexOffset(FetchWord());
          break;
        }
        default:
          address = FetchImmediate<S>();
          immediate = true;
          break;
      }
    }
    return true;
  }

  // The sized operand value (zero-extended).
  M68K_INLINE uint32_t Read() const {
    if constexpr (M == kDn) {
      return M68kRegs[reg] & kMask<S>;
    } else if constexpr (M == kAn) {
      return M68kAddrRegs[reg] & kMask<S>;
    } else if constexpr (M == kMode7 && (Allowed7 & kImm)) {
      if (immediate) return address;
      return m68k::Read<S>(address);
    } else {
      return m68k::Read<S>(address);
    }
  }

  // Writes the sized value; a data register keeps its bits above the size.
  M68K_INLINE void Write(uint32_t value) const {
    if constexpr (M == kDn) {
      SetDataReg<S>(reg, value);
    } else if constexpr (M == kAn) {
      M68kAddrRegs[reg] = value;
    } else {
      m68k::Write<S>(address, value);
    }
  }
};

// The control address of LEA, PEA, JMP and JSR: (An), (d16,An), (d8,An,Xn), abs.W,
// abs.L, (d16,PC), (d8,PC,Xn). Returns false after raising the illegal instruction.
template <int M> M68K_INLINE bool ControlAddress(unsigned reg, uint32_t& address) {
  static_assert(M == kInd || M == kDisp || M == kIndex || M == kMode7);
  M68kEffectiveAddress<Size::L, M, kControl7> ea(reg);
  if (!ea.Locate()) return false;
  address = ea.address;
  return true;
}

}  // namespace m68k

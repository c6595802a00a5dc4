// Shifts and rotates against a bit-by-bit model of the 68000's definitions, and their
// memory forms.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/flat_memory.h"
#include "tests/support/instruction.h"

using namespace kqtest;

namespace {

enum Kind : unsigned { kAs = 0, kLs = 1, kRox = 2, kRo = 3 };
const char* const kKindNames[] = {"AS", "LS", "ROX", "RO"};
constexpr unsigned kWidths[] = {8, 16, 32};

struct Outcome {
  uint32_t value;
  uint16_t ccr;  // X N Z V C
};

// One place at a time, as the instruction set defines it.
Outcome Model(Kind kind, bool left, unsigned width, uint32_t v, unsigned count, bool x) {
  const uint32_t msb = 1u << (width - 1);
  const uint32_t mask = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;
  v &= mask;
  bool carry = kind == kRox && x;  // a count of 0: C := X, else C cleared
  bool overflow = false;
  for (unsigned i = 0; i < count; ++i) {
    bool out;
    if (left) {
      out = v & msb;
      bool in = kind == kRo ? out : kind == kRox ? x : false;
      uint32_t next = ((v << 1) | (in ? 1u : 0u)) & mask;
      if ((next ^ v) & msb) overflow = true;
      v = next;
    } else {
      out = v & 1;
      bool in = kind == kRo ? out : kind == kRox ? x : kind == kAs ? (v & msb) != 0 : false;
      v = (v >> 1) | (in ? msb : 0);
    }
    carry = out;
    if (kind != kRo) x = out;
  }
  uint16_t ccr = uint16_t((x ? 0x10 : 0) | ((v & msb) ? 0x08 : 0) | (v == 0 ? 0x04 : 0) |
                          (kind == kAs && left && overflow ? 0x02 : 0) | (carry ? 0x01 : 0));
  return {v, ccr};
}

uint16_t RegisterOpcode(Kind kind, bool left, unsigned width, bool countInRegister, unsigned field, unsigned y) {
  unsigned size = width == 8 ? 0 : width == 16 ? 1 : 2;
  return uint16_t(0xE000 | field << 9 | unsigned(left) << 8 | size << 6 | unsigned(countInRegister) << 5 |
                  unsigned(kind) << 3 | y);
}

uint16_t MemoryOpcode(Kind kind, bool left, unsigned mode, unsigned reg) {
  return uint16_t(0xE0C0 | unsigned(kind) << 9 | unsigned(left) << 8 | mode << 3 | reg);
}

// Operands that reach every branch: zero, the end bits, alternating bits, all ones and
// two irregular values; above the size, bits that must survive.
std::vector<uint32_t> Operands(unsigned width) {
  const uint32_t msb = 1u << (width - 1);
  const uint32_t mask = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;
  std::vector<uint32_t> values;
  for (uint32_t v : {0u, 1u, msb, msb | 1, mask, mask >> 1, 0x55555555u, 0xAAAAAAAAu, 0x9E3779B9u, 0x2545F491u})
    values.push_back((0xC3A5F00Fu & ~mask) | (v & mask));
  return values;
}

class ShiftTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(); }

  // Runs one register form on D2 and compares it with the model; false after a mismatch.
  bool Check(uint16_t opcode, Kind kind, bool left, unsigned width, uint32_t operand, unsigned count, bool x) {
    const uint32_t mask = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;
    Outcome want = Model(kind, left, width, operand, count, x);
    M68kRegs[2] = operand;
    // The other flags start set so that clearing them shows.
    M68kSR = uint16_t(0x2700 | 0x0F | (x ? 0x10 : 0));
    M68kPC = 0x1000;
    RunOne({opcode});
    uint32_t wantD2 = (operand & ~mask) | want.value;
    if (M68kRegs[2] == wantD2 && M68kSR == (0x2700 | want.ccr) && M68kPC == 0x1002) return true;
    ADD_FAILURE() << kKindNames[kind] << (left ? 'L' : 'R') << " width " << width << " count " << count << " X " << x
                  << " operand " << Hex(operand) << ": D2 " << Hex(M68kRegs[2]) << " SR " << Hex(M68kSR)
                  << ", expected D2 " << Hex(wantD2) << " SR " << Hex(0x2700 | want.ccr);
    return false;
  }
};

TEST_F(ShiftTest, RegisterCountsZeroTo63MatchTheModel) {
  for (Kind kind : {kAs, kLs, kRox, kRo})
    for (bool left : {false, true})
      for (unsigned width : kWidths)
        for (unsigned count = 0; count < 64; ++count)
          for (bool x : {false, true})
            for (uint32_t operand : Operands(width)) {
              // Only the low six bits of the count register count.
              const uint32_t countRegister = count | (operand & 0xFFFFFFC0u);
              M68kRegs[1] = countRegister;
              if (!Check(RegisterOpcode(kind, left, width, true, 1, 2), kind, left, width, operand, count, x)) return;
              ASSERT_EQ(M68kRegs[1], countRegister);
            }
}

TEST_F(ShiftTest, ImmediateCountsOneToEightMatchTheModel) {
  for (Kind kind : {kAs, kLs, kRox, kRo})
    for (bool left : {false, true})
      for (unsigned width : kWidths)
        for (unsigned field = 0; field < 8; ++field)
          for (bool x : {false, true})
            for (uint32_t operand : Operands(width)) {
              unsigned count = field == 0 ? 8 : field;
              if (!Check(RegisterOpcode(kind, left, width, false, field, 2), kind, left, width, operand, count, x))
                return;
            }
}

TEST_F(ShiftTest, LongCountsOfThirtyTwoAndMore) {
  struct Case {
    Kind kind;
    bool left;
    uint32_t operand, count;
    bool x;
    uint32_t result;
    uint16_t ccr;
  };
  const Case cases[] = {
      {kAs, true, 0x00000001, 32, false, 0x00000000, 0x17},   // everything out: X = C = 1, V, Z
      {kLs, false, 0xFFFFFFFF, 33, true, 0x00000000, 0x04},   // nothing left to shift out
      {kAs, false, 0x80000000, 40, false, 0xFFFFFFFF, 0x19},  // the sign bit is the last one out
      {kRox, false, 0x80000001, 32, true, 0x00000003, 0x11},  // 32 right = 1 left through X
      {kRox, true, 0x80000001, 32, false, 0x40000000, 0x11},
      {kRox, true, 0x00000001, 63, false, 0x40000000, 0x00},  // by 30
      {kRox, true, 0x12345678, 33, true, 0x12345678, 0x11},   // a whole turn: C := X
      {kRo, false, 0x00000001, 33, false, 0x80000000, 0x09},
      {kRo, true, 0x80000000, 63, false, 0x40000000, 0x00},
  };
  for (const Case& c : cases) {
    M68kRegs[1] = c.count;
    M68kRegs[2] = c.operand;
    M68kSR = uint16_t(0x2700 | (c.x ? 0x10 : 0));
    RunOne({RegisterOpcode(c.kind, c.left, 32, true, 1, 2)});
    EXPECT_EQ(M68kRegs[2], c.result) << kKindNames[c.kind] << c.left << " " << c.count;
    EXPECT_EQ(M68kSR, 0x2700 | c.ccr) << kKindNames[c.kind] << c.left << " " << c.count;
  }
}

TEST_F(ShiftTest, MemoryFormsShiftAWordByOneReadOnceWrittenOnce) {
  for (Kind kind : {kAs, kLs, kRox, kRo})
    for (bool left : {false, true})
      for (bool x : {false, true})
        for (uint32_t operand : Operands(16)) {
          ResetProcessor();
          M68kRegs[8] = 0x3001;  // odd: passed to the bus unchanged
          Poke16(0x3001, operand);
          M68kSR = uint16_t(0x2700 | (x ? 0x10 : 0));
          LogAccesses = true;
          RunOne({MemoryOpcode(kind, left, 2, 0)});
          Outcome want = Model(kind, left, 16, operand, 1, x);
          const std::vector<Access> expected = {{'r', 2, 0x1000, MemoryOpcode(kind, left, 2, 0)},
                                                {'r', 2, 0x3001, operand & 0xFFFF},
                                                {'w', 2, 0x3001, want.value}};
          EXPECT_EQ(AccessLog, expected) << kKindNames[kind] << left << " " << Hex(operand);
          EXPECT_EQ(M68kSR, 0x2700 | want.ccr) << kKindNames[kind] << left << " " << Hex(operand);
        }
}

TEST_F(ShiftTest, MemoryFormsAddressing) {
  // -(A7) and (A7)+ step by two, like any word.
  M68kRegs[15] = 0x2000;
  Poke16(0x1FFE, 0x4000);
  RunOne({MemoryOpcode(kAs, true, 4, 7)});  // ASL -(A7)
  EXPECT_EQ(M68kRegs[15], 0x1FFEu);
  EXPECT_EQ(Peek16(0x1FFE), 0x8000u);
  EXPECT_EQ(M68kSR & 0x1F, 0x0Au);  // N, V
  RunOne({MemoryOpcode(kLs, false, 3, 7)});  // LSR (A7)+
  EXPECT_EQ(M68kRegs[15], 0x2000u);
  EXPECT_EQ(Peek16(0x1FFE), 0x4000u);

  // abs.L: the extension long follows the opcode.
  Poke16(0x4000, 0x0001);
  RunOne({MemoryOpcode(kRox, true, 7, 1), 0x0000, 0x4000});  // ROXL abs.L
  EXPECT_EQ(Peek16(0x4000), 0x0002u);
  EXPECT_EQ(M68kPC, 0x1000u + 2 + 2 + 6);
}

TEST_F(ShiftTest, MemoryFormsRejectPcRelativeAndImmediate) {
  for (unsigned reg = 2; reg < 8; ++reg) {
    ResetProcessor();
    const uint16_t opcode = MemoryOpcode(kRox, false, 7, reg);  // 0xE4FA for (d16,PC)
    M68kSR = 0x271F;
    LogAccesses = true;
    RunOne({opcode, 0x0010});
    EXPECT_EQ(M68kPC, VectorHandler(4)) << Hex(opcode);
    EXPECT_EQ(Stacked().pc, 0x1000u) << Hex(opcode);
    EXPECT_EQ(Stacked().sr, 0x271Fu) << Hex(opcode);
    // The opcode fetch, then only the exception's own accesses (two pushes, the vector).
    ASSERT_EQ(AccessLog.size(), 4u) << Hex(opcode);
    EXPECT_EQ(AccessLog[1].kind, 'w');
  }
}

TEST_F(ShiftTest, MemoryModesZeroAndOneAndSizeThreeWithBitElevenAreIllegal) {
  for (unsigned opcode : {0xE0C0u, 0xE0C8u, 0xE7CFu, 0xE8C0u, 0xEFF8u}) {
    ResetProcessor();
    RunOne({uint16_t(opcode)});
    EXPECT_EQ(M68kPC, VectorHandler(4)) << Hex(opcode);
    EXPECT_EQ(std::string(M68kOpNames[opcode >> 3]), "M68kIllegal") << Hex(opcode);
  }
}

}  // namespace

// MULU, MULS, DIVU, DIVS against 64-bit arithmetic, the divide-by-zero trap, overflow,
// and the encodings the family refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/support/instruction.h"

namespace kqtest {
namespace {

constexpr uint16_t kCcr = 0x1F;

// Source operands: D1 for the register forms.
constexpr uint16_t kMuluD1D0 = 0xC0C1;
constexpr uint16_t kMulsD1D0 = 0xC1C1;
constexpr uint16_t kDivuD1D0 = 0x80C1;
constexpr uint16_t kDivsD1D0 = 0x81C1;

std::vector<uint32_t> DividendEdges() {
  std::vector<uint32_t> v;
  for (uint32_t base : {0u, 0x7FFFu, 0x8000u, 0xFFFFu, 0x10000u, 0xFFFEFFFFu, 0xFFFF8000u, 0x7FFFFFFFu, 0x80000000u,
                        0xFFFFFFFFu, 0x00007FFFu << 15, 0xFFFF0000u})
    for (uint32_t delta : {0u, 1u, 0xFFFFFFFFu}) v.push_back(base + delta);
  return v;
}

std::vector<uint32_t> WordEdges() {
  return {0x0000, 0x0001, 0x0002, 0x0007, 0x7FFE, 0x7FFF, 0x8000, 0x8001, 0xFFFE, 0xFFFF};
}

// D0 op D1 with the given starting CCR.
void RunOnD0(uint16_t opcode, uint32_t d0, uint32_t d1, uint16_t ccr) {
  M68kRegs[0] = d0;
  M68kRegs[1] = d1;
  M68kRegs[15] = 0x8000;
  M68kSR = uint16_t(0x2700 | ccr);
  Exec({opcode});
}

class MulDiv : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(); }
  std::mt19937 random{99};
};

// The expected N and Z of a 32- or 16-bit result, V and C clear, X kept.
uint16_t LogicalFlags(uint16_t ccrBefore, uint32_t result, int bits) {
  uint32_t mask = bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  uint16_t flags = ccrBefore & kSrX;
  if ((result & mask) >> (bits - 1)) flags |= kSrN;
  if ((result & mask) == 0) flags |= kSrZ;
  return flags;
}

void CheckMultiply(bool isSigned, uint32_t d0, uint32_t d1, uint16_t ccr) {
  RunOnD0(isSigned ? kMulsD1D0 : kMuluD1D0, d0, d1, ccr);
  int64_t a = isSigned ? int64_t(int16_t(d0)) : int64_t(d0 & 0xFFFF);
  int64_t b = isSigned ? int64_t(int16_t(d1)) : int64_t(d1 & 0xFFFF);
  uint32_t product = uint32_t(a * b);
  ASSERT_EQ(M68kRegs[0], product) << Hex(d0) << " * " << Hex(d1);
  ASSERT_EQ(M68kSR, 0x2700 | LogicalFlags(ccr, product, 32)) << Hex(d0) << " * " << Hex(d1);
  ASSERT_EQ(M68kRegs[1], d1);
}

TEST_F(MulDiv, ProductsMatchWideArithmeticAndIgnoreTheUpperWords) {
  for (bool isSigned : {false, true}) {
    for (uint32_t a : WordEdges())
      for (uint32_t b : WordEdges())
        ASSERT_NO_FATAL_FAILURE(
            CheckMultiply(isSigned, a | (random() << 16), b | (random() << 16), uint16_t(random() & kCcr)));
    for (int i = 0; i < 50000; ++i)
      ASSERT_NO_FATAL_FAILURE(
          CheckMultiply(isSigned, uint32_t(random()), uint32_t(random()), uint16_t(random() & kCcr)));
  }
}

// Quotient and remainder by magnitudes, with the signs put back afterwards: the
// quotient truncates toward zero and the remainder takes the dividend's sign.
struct Division {
  bool zero = false, overflow = false;
  uint32_t quotient = 0, remainder = 0;
};

Division DivideModel(bool isSigned, uint32_t dividend, uint32_t divisorWord) {
  Division d;
  divisorWord &= 0xFFFF;
  if (divisorWord == 0) {
    d.zero = true;
    return d;
  }
  int64_t a = isSigned ? int64_t(int32_t(dividend)) : int64_t(dividend);
  int64_t b = isSigned ? int64_t(int16_t(divisorWord)) : int64_t(divisorWord);
  uint64_t qMagnitude = uint64_t(std::llabs(a)) / uint64_t(std::llabs(b));
  uint64_t rMagnitude = uint64_t(std::llabs(a)) % uint64_t(std::llabs(b));
  int64_t q = ((a < 0) != (b < 0)) ? -int64_t(qMagnitude) : int64_t(qMagnitude);
  int64_t r = a < 0 ? -int64_t(rMagnitude) : int64_t(rMagnitude);
  d.overflow = isSigned ? (q < -32768 || q > 32767) : q > 0xFFFF;
  d.quotient = uint32_t(q) & 0xFFFF;
  d.remainder = uint32_t(r) & 0xFFFF;
  return d;
}

void CheckDivide(bool isSigned, uint32_t d0, uint32_t d1, uint16_t ccr) {
  RunOnD0(isSigned ? kDivsD1D0 : kDivuD1D0, d0, d1, ccr);
  const Division want = DivideModel(isSigned, d0, d1);
  const std::string what = Hex(d0) + " / " + Hex(d1);
  ASSERT_EQ(M68kRegs[1], d1);
  if (want.zero) {
    ASSERT_TRUE(Took(kVecZeroDivide)) << what;
    ASSERT_EQ(Stacked().pc, kCodeAt + 2) << what;
    ASSERT_EQ(Stacked().sr, 0x2700 | ccr) << what;
    ASSERT_EQ(M68kRegs[0], d0) << what;
  } else if (want.overflow) {
    ASSERT_EQ(M68kPC, kCodeAt + 2) << what;
    ASSERT_EQ(M68kRegs[0], d0) << what;
    ASSERT_EQ(M68kSR, 0x2700 | (ccr & (kSrX | kSrN | kSrZ)) | kSrV) << what;
  } else {
    ASSERT_EQ(M68kPC, kCodeAt + 2) << what;
    ASSERT_EQ(M68kRegs[0], want.remainder << 16 | want.quotient) << what;
    ASSERT_EQ(M68kSR, 0x2700 | LogicalFlags(ccr, want.quotient, 16)) << what;
  }
}

TEST_F(MulDiv, QuotientsMatchWideArithmeticOverEdgesAndRandomOperands) {
  for (bool isSigned : {false, true}) {
    for (uint32_t dividend : DividendEdges())
      for (uint32_t divisor : WordEdges())
        ASSERT_NO_FATAL_FAILURE(CheckDivide(isSigned, dividend, divisor | (random() << 16), uint16_t(random() & kCcr)));
    // Random dividends, and dividends near a multiple of the divisor so that both the
    // fitting and the overflowing quotients are common.
    for (int i = 0; i < 50000; ++i) {
      uint32_t divisor = uint32_t(random());
      if (i & 1) divisor &= 0xFF;
      uint32_t dividend = uint32_t(random());
      if (i & 2) dividend = (divisor & 0xFFFF) * uint32_t(random() & 0x1FFFF) + uint32_t(random() & 3);
      ASSERT_NO_FATAL_FAILURE(CheckDivide(isSigned, dividend, divisor, uint16_t(random() & kCcr)));
    }
  }
}

TEST_F(MulDiv, DivideExamples) {
  // Dn after D0 / D1 (C set before): signs of quotient and remainder, the 16-bit limits,
  // and the pair a host division would trap on.
  struct Case {
    uint16_t opcode;
    uint32_t d0, divisor, result;
    uint16_t flags;
  } cases[] = {
      {kDivuD1D0, 100, 7, 0x0002000E, 0},
      {kDivuD1D0, 0xFFFEFFFF, 0xFFFF, 0xFFFEFFFF, kSrN},
      {kDivuD1D0, 0x00010000, 1, 0x00010000, kSrV},
      {kDivsD1D0, 7, 0xFFFE, 0x0001FFFD, kSrN},
      {kDivsD1D0, uint32_t(-7), 0xFFFE, 0xFFFF0003, 0},
      {kDivsD1D0, uint32_t(-1), 2, 0xFFFF0000, kSrZ},
      {kDivsD1D0, 0xFFFF8000, 1, 0x00008000, kSrN},
      {kDivsD1D0, 0xFFFF8000, 0xFFFF, 0xFFFF8000, kSrV},
      {kDivsD1D0, 0x80000000, 0xFFFF, 0x80000000, kSrV},
  };
  for (const Case& c : cases) {
    RunOnD0(c.opcode, c.d0, c.divisor, kSrC);
    EXPECT_EQ(M68kRegs[0], c.result) << Hex(c.opcode) << " " << Hex(c.d0) << " / " << Hex(c.divisor);
    EXPECT_EQ(M68kSR & kCcr, c.flags) << Hex(c.opcode) << " " << Hex(c.d0) << " / " << Hex(c.divisor);
  }
}

TEST_F(MulDiv, DivideByZeroTrapsPastTheWholeInstruction) {
  // DIVU #0,D0: the stacked PC is the next instruction, flags and D0 as they were.
  M68kRegs[0] = 1234;
  M68kSR = 0x2700 | kSrX | kSrZ | kSrV;
  Exec({0x80FC, 0x0000});
  EXPECT_TRUE(Took(kVecZeroDivide));
  EXPECT_EQ(Stacked().pc, kCodeAt + 4);
  EXPECT_EQ(Stacked().sr, 0x2700 | kSrX | kSrZ | kSrV);
  EXPECT_EQ(M68kSR & kCcr, kSrX | kSrZ | kSrV);
  EXPECT_EQ(M68kRegs[0], 1234u);

  // DIVS (A0)+,D0 with a zero word: A0 has stepped when the trap is taken.
  ResetProcessor();
  M68kRegs[8] = 0x3000;
  Exec({0x81D8});
  EXPECT_TRUE(Took(kVecZeroDivide));
  EXPECT_EQ(M68kRegs[8], 0x3002u);
}

TEST_F(MulDiv, SourceWordsFromEveryModeSevenForm) {
  // MULU with each mode-7 source holding 3, D0 = 5: the PC ends past each form's words.
  const std::vector<uint16_t> forms[] = {
      {0xC0F8, 0x3000},          // abs.W
      {0xC0F9, 0x0000, 0x3000},  // abs.L
      {0xC0FA, 0x1FFE},          // (d16,PC): 0x1002 + 0x1FFE
      {0xC0FB, 0x1004},          // (d8,PC,D1.W): 0x1002 + 4 + 0x1FFA
      {0xC0FC, 0x0003},          // #imm
  };
  Poke16(0x3000, 3);
  for (const auto& words : forms) {
    M68kRegs[0] = 5;
    M68kRegs[1] = 0xFFFF1FFA;
    Exec(words);
    EXPECT_EQ(M68kRegs[0], 15u) << Hex(words[0]);
    EXPECT_EQ(M68kPC, kCodeAt + 2 * words.size()) << Hex(words[0]);
  }
}

TEST_F(MulDiv, RefusedEncodingsChangeNothing) {
  // Mode 7 registers 5-7 and the address-register slots; in particular a refused divide
  // takes no divide-by-zero trap.
  for (uint16_t opcode : {0x80FD, 0x80FE, 0x80FF, 0x81FD, 0xC0FD, 0xC1FF, 0x80C8, 0x81C8, 0xC0C8, 0xC1CF})
    ExpectRefused({opcode, 0x0000});
}

TEST_F(MulDiv, SlotsOfTheFamily) {
  EXPECT_EQ(SlotsNamed("M68kOpMULU_W_") + SlotsNamed("M68kOpMULS_W_"), 112);
  EXPECT_EQ(SlotsNamed("M68kOpDIVU_W_") + SlotsNamed("M68kOpDIVS_W_"), 112);
  EXPECT_STREQ(M68kOpNames[0xC0C0 >> 3], "M68kOpMULU_W_Dn_0");
  EXPECT_STREQ(M68kOpNames[0x87F8 >> 3], "M68kOpDIVS_W_Mode7_3");
  EXPECT_STREQ(M68kOpNames[0x8EE0 >> 3], "M68kOpDIVU_W_PreDec_7");
}

}  // namespace
}  // namespace kqtest

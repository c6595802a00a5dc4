// ABCD, SBCD, NBCD: every operand pair against a decimal model, the memory forms with
// their register steps, multi-byte chains through X.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/instruction.h"

namespace kqtest {
namespace {

constexpr uint16_t kCcr = 0x1F;

struct DecimalResult {
  uint32_t byte;
  bool carry;  // carry or borrow out
  bool operator==(const DecimalResult&) const = default;
};

// The binary sum, corrected by 6 where the units passed 9 and by 0x60 where the corrected
// sum passed 0x9F; the second correction is the carry out.
DecimalResult AddModel(uint32_t s, uint32_t d, uint32_t x) {
  uint32_t sum = s + d + x;
  if ((s & 15) + (d & 15) + x > 9) sum += 6;
  bool carry = sum > 0x9F;
  if (carry) sum += 0x60;
  return {sum & 0xFF, carry};
}

// The binary difference, corrected by 6 where the units borrowed and by 0x60 where the
// whole byte borrowed; a corrected difference below zero is a borrow out.
DecimalResult SubtractModel(uint32_t d, uint32_t s, uint32_t x) {
  int diff = int(d) - int(s) - int(x);
  if (int(d & 15) < int(s & 15) + int(x)) diff -= 6;
  if (int(d) < int(s) + int(x)) diff -= 0x60;
  return {uint32_t(diff) & 0xFF, diff < 0};
}

bool ValidDigits(uint32_t b) { return (b & 15) <= 9 && (b >> 4) <= 9; }
int Value(uint32_t b) { return 10 * int(b >> 4) + int(b & 15); }
uint32_t Packed(int v) { return uint32_t(v / 10) << 4 | uint32_t(v % 10); }

class Decimal : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(); }
};

// Register form over every byte pair and both X: the result byte and X/C from the model,
// Z from the result byte, N and V kept, Dx's upper bits kept.
void CheckPairs(uint16_t opcode, bool add) {
  for (uint32_t x = 0; x < 2; ++x)
    for (uint32_t s = 0; s < 256; ++s)
      for (uint32_t d = 0; d < 256; ++d) {
        const DecimalResult want = add ? AddModel(s, d, x) : SubtractModel(d, s, x);
        if (ValidDigits(s) && ValidDigits(d)) {
          int exact = add ? Value(d) + Value(s) + int(x) : Value(d) - Value(s) - int(x);
          ASSERT_EQ(want, (DecimalResult{Packed((exact + 100) % 100), exact < 0 || exact > 99}));
        }
        const uint16_t kept = uint16_t((s ^ d) & 1 ? kSrN : kSrV);  // vary the kept flags
        M68kRegs[0] = 0xABCDEF00 | d;
        M68kRegs[1] = 0x12345600 | s;
        M68kSR = uint16_t(0x2700 | kept | (x ? kSrX : 0) | (d & 1 ? kSrZ | kSrC : 0));
        Exec({opcode});
        const std::string what = Hex(opcode) + " " + Hex(d) + ", " + Hex(s) + " X " + std::to_string(x);
        ASSERT_EQ(M68kRegs[0], 0xABCDEF00 | want.byte) << what;
        ASSERT_EQ(M68kRegs[1], 0x12345600 | s) << what;
        const uint16_t flags = uint16_t(kept | (want.carry ? kSrX | kSrC : 0) | (want.byte == 0 ? kSrZ : 0));
        ASSERT_EQ(M68kSR, 0x2700 | flags) << what;
      }
}

TEST_F(Decimal, AbcdEveryOperandPair) { CheckPairs(0xC101, true); }   // ABCD D1,D0
TEST_F(Decimal, SbcdEveryOperandPair) { CheckPairs(0x8101, false); }  // SBCD D1,D0

TEST_F(Decimal, NbcdEveryOperand) {
  for (uint32_t x = 0; x < 2; ++x)
    for (uint32_t v = 0; v < 256; ++v) {
      const DecimalResult want = SubtractModel(0, v, x);
      if (ValidDigits(v)) {
        int exact = -Value(v) - int(x);
        ASSERT_EQ(want, (DecimalResult{Packed((exact + 100) % 100), exact < 0}));
      }
      M68kRegs[0] = 0x5555AA00 | v;
      M68kSR = uint16_t(0x2700 | kSrV | (x ? kSrX : 0) | (v & 1 ? kSrZ : kSrN | kSrC));
      Exec({0x4800});  // NBCD D0
      const std::string what = Hex(v) + " X " + std::to_string(x);
      ASSERT_EQ(M68kRegs[0], 0x5555AA00 | want.byte) << what;
      // Only a zero operand with X clear is no borrow: then Z alone, else X, N and C.
      const uint16_t flags = (v == 0 && x == 0) ? kSrZ : kSrX | kSrN | kSrC;
      ASSERT_EQ(M68kSR, 0x2700 | kSrV | flags) << what;
    }
}

TEST_F(Decimal, AbcdOfARegisterWithItself) {
  M68kRegs[2] = 0x1111145;
  Exec({0xC502});  // ABCD D2,D2
  EXPECT_EQ(M68kRegs[2], 0x1111190u);
}

TEST_F(Decimal, MemoryFormsStepTheSourceFirstAndA7ByTwo) {
  struct Case {
    uint16_t opcode;
    unsigned ry, rx;
    uint32_t ryStart, rxStart;     // rx is set last, so with rx = ry its start counts
    uint32_t source, destination;  // the bytes read; the result goes to the destination
    uint32_t ryAfter, rxAfter;
  } cases[] = {
      {0xCF0F, 7, 7, 0x3000, 0x3000, 0x2FFF, 0x2FFD, 0x2FFC, 0x2FFC},  // ABCD -(A7),-(A7)
      {0x8F08, 0, 7, 0x3100, 0x3000, 0x30FF, 0x2FFF, 0x30FF, 0x2FFE},  // SBCD -(A0),-(A7)
      {0xC309, 1, 1, 0x3200, 0x3200, 0x31FF, 0x31FE, 0x31FE, 0x31FE},  // ABCD -(A1),-(A1)
  };
  for (const Case& c : cases) {
    M68kAddrRegs[c.ry] = c.ryStart;
    M68kAddrRegs[c.rx] = c.rxStart;
    M68kSR = 0x2700;
    Poke8(c.source, 0x12);
    Poke8(c.destination, 0x34);
    const uint32_t result = (c.opcode >> 12) == 0xC ? 0x46 : 0x22;
    const std::vector<Access> want = {{'r', 2, kCodeAt, c.opcode},
                                      {'r', 1, c.source, 0x12},
                                      {'r', 1, c.destination, 0x34},
                                      {'w', 1, c.destination, result}};
    EXPECT_EQ(ExecLogged({c.opcode}), want) << Hex(c.opcode);
    EXPECT_EQ(M68kAddrRegs[c.ry], c.ryAfter) << Hex(c.opcode);
    EXPECT_EQ(M68kAddrRegs[c.rx], c.rxAfter) << Hex(c.opcode);
  }
}

TEST_F(Decimal, MemoryFormsAddressTheSeventeenBitBus) {
  // ABCD -(A0),-(A1) with registers outside the bus: the accesses wrap, the registers
  // keep their upper bits.
  M68kRegs[8] = 0x00020001;
  M68kRegs[9] = 0xFFFE0003;
  Poke8(0x00000, 0x01);
  Poke8(0x00002, 0x02);
  const std::vector<Access> want = {
      {'r', 2, kCodeAt, 0xC308}, {'r', 1, 0x00000, 0x01}, {'r', 1, 0x00002, 0x02}, {'w', 1, 0x00002, 0x03}};
  EXPECT_EQ(ExecLogged({0xC308}), want);
  EXPECT_EQ(M68kRegs[8], 0x00020000u);
  EXPECT_EQ(M68kRegs[9], 0xFFFE0002u);
}

TEST_F(Decimal, NbcdOperandsAreReadAndWrittenOnce) {
  M68kRegs[15] = 0x3000;
  Poke8(0x3001, 0x01);
  std::vector<Access> want = {{'r', 2, kCodeAt, 0x481F}, {'r', 1, 0x3001, 0x01}, {'w', 1, 0x3001, 0x99}};
  EXPECT_EQ(ExecLogged({0x481F}), want);  // NBCD (A7)+
  EXPECT_EQ(M68kRegs[15], 0x3002u);

  M68kRegs[11] = 0x3100;
  M68kSR = 0x2700;
  Poke8(0x30FF, 0x99);
  want = {{'r', 2, kCodeAt, 0x4823}, {'r', 1, 0x30FF, 0x99}, {'w', 1, 0x30FF, 0x01}};
  EXPECT_EQ(ExecLogged({0x4823}), want);  // NBCD -(A3)
  EXPECT_EQ(M68kRegs[11], 0x30FFu);

  // NBCD D5 changes only the low byte of D5.
  for (int i = 0; i < 16; ++i) M68kRegs[i] = 0x1000u * uint32_t(i) + 0x44;
  M68kRegs[15] = 0x8000;
  M68kSR = 0x2700;
  Exec({0x4805});
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(M68kRegs[i], i == 5 ? 0x5056u : (i == 15 ? 0x8000u : 0x1000u * uint32_t(i) + 0x44)) << i;
}

TEST_F(Decimal, ChainsCarryThroughX) {
  // 12345678 + 87654329 with ABCD -(A0),-(A1) from the low byte up.
  PokeWords(0x3000, {0x1234, 0x5678});
  PokeWords(0x3100, {0x8765, 0x4329});
  M68kRegs[8] = 0x3004;
  M68kRegs[9] = 0x3104;
  M68kSR = 0x2700;
  for (int i = 0; i < 4; ++i) Exec({0xC308});
  EXPECT_EQ(Peek32(0x3100), 0x00000007u);
  EXPECT_EQ(M68kSR & (kSrX | kSrC), kSrX | kSrC);

  // 0 - 00001234 with NBCD -(A0): the ten's complement and a borrow out.
  PokeWords(0x3000, {0x0000, 0x1234});
  M68kRegs[8] = 0x3004;
  M68kSR = 0x2700;
  for (int i = 0; i < 4; ++i) Exec({0x4820});
  EXPECT_EQ(Peek32(0x3000), 0x99998766u);
  EXPECT_EQ(M68kSR & kSrX, kSrX);
}

TEST_F(Decimal, NbcdRefusesModeSevenBeyondAbsoluteAddresses) {
  for (uint16_t opcode : {0x483A, 0x483B, 0x483C, 0x483F, 0x4808}) ExpectRefused({opcode, 0x3000});
  // NBCD abs.W is accepted.
  ResetProcessor();
  Poke8(0x3000, 0x01);
  Exec({0x4838, 0x3000});
  EXPECT_EQ(Peek8(0x3000), 0x99u);
  EXPECT_EQ(M68kPC, kCodeAt + 4);
}

TEST_F(Decimal, SlotsOfTheFamily) {
  EXPECT_EQ(SlotsNamed("M68kOpABCD_B_"), 16);
  EXPECT_EQ(SlotsNamed("M68kOpSBCD_B_"), 16);
  EXPECT_EQ(SlotsNamed("M68kOpNBCD_B_"), 7);
  EXPECT_STREQ(M68kOpNames[0xC100 >> 3], "M68kOpABCD_B_Dn_0");
  EXPECT_STREQ(M68kOpNames[0x8F08 >> 3], "M68kOpSBCD_B_PreDec_7");
  EXPECT_STREQ(M68kOpNames[0x4838 >> 3], "M68kOpNBCD_B_Mode7");
}

}  // namespace
}  // namespace kqtest

// Add and subtract: the flag rules against a 64-bit model, the A7 byte rule, the 17-bit
// bus, the invalid forms and the slot layout of lines 0 and 5.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

constexpr uint32_t kStart = 0x1000, kStack = 0x8000;

void Place(uint32_t address, const std::vector<uint16_t>& words) {
  for (uint16_t w : words) {
    Poke16(address, w);
    address += 2;
  }
}

class AddSub : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(kStart, kStack); }
};

// ---- Flags against an independent model ------------------------------------------------

struct Expected {
  uint32_t result;
  uint16_t ccr;
};

// dst + src (+ X) or dst - src (- X) at 8, 16 or 32 bits, carry and overflow read off
// exact 64-bit sums.
Expected Model(bool sub, bool extend, int bits, uint32_t src, uint32_t dst, uint16_t ccr) {
  const uint64_t mask = (uint64_t(1) << bits) - 1;
  const int64_t xin = extend && (ccr & 0x10) ? 1 : 0;
  auto sext = [&](uint32_t v) { return int64_t(v & mask) - ((v >> (bits - 1)) & 1 ? int64_t(mask) + 1 : 0); };
  int64_t wide =
      sub ? int64_t(dst & mask) - int64_t(src & mask) - xin : int64_t(dst & mask) + int64_t(src & mask) + xin;
  int64_t signedRes = sub ? sext(dst) - sext(src) - xin : sext(dst) + sext(src) + xin;
  uint32_t res = uint32_t(uint64_t(wide) & mask);
  bool carry = wide < 0 || uint64_t(wide) > mask;
  bool overflow = signedRes < -(int64_t(1) << (bits - 1)) || signedRes >= (int64_t(1) << (bits - 1));
  uint16_t z = res != 0 ? 0 : extend ? (ccr & 0x04) : 0x04;
  uint16_t n = (res >> (bits - 1)) & 1 ? 0x08 : 0;
  return {res, uint16_t((carry ? 0x11 : 0) | n | z | (overflow ? 0x02 : 0))};
}

TEST_F(AddSub, FlagsMatchTheModelInEverySizeWithBothExtendBits) {
  std::vector<uint32_t> operands = {0,          1,          0x7F,       0x80,       0xFF,       0x100,
                                    0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF, 0x80000000,
                                    0xFFFFFFFF, 0xFFFFFFFE, 0x12345678, 0xFFFFFF80, 0xFFFF8000, 0x00017F80};
  uint32_t seed = 12345;
  for (int i = 0; i < 30; ++i) operands.push_back(seed = seed * 1103515245u + 12345u);
  // X, Z and the other flags in all combinations that matter: X 0/1 with Z 0/1.
  const uint16_t ccrs[] = {0x00, 0x14, 0x0F, 0x1B};
  // ADD D1,D0; SUB D1,D0; ADDX D1,D0; SUBX D1,D0 (size in bits 7-6).
  const struct {
    uint16_t opcode;
    bool sub, extend;
  } ops[] = {{0xD001, false, false}, {0x9001, true, false}, {0xD101, false, true}, {0x9101, true, true}};
  int failures = 0;
  for (const auto& op : ops)
    for (int size = 0; size < 3; ++size) {
      const int bits = 8 << size;
      const uint32_t mask = bits == 32 ? 0xFFFFFFFF : (1u << bits) - 1;
      for (uint32_t src : operands)
        for (uint32_t dst : operands)
          for (uint16_t ccr : ccrs) {
            M68kPC = kStart;
            M68kRegs[0] = dst;
            M68kRegs[1] = src;
            M68kSR = uint16_t(0x2700 | ccr);
            RunOne({uint16_t(op.opcode | size << 6)});
            Expected want = Model(op.sub, op.extend, bits, src, dst, ccr);
            uint32_t wantD0 = (dst & ~mask) | want.result;
            if ((M68kRegs[0] != wantD0 || M68kSR != (0x2700 | want.ccr)) && failures++ < 10)
              ADD_FAILURE() << Hex(op.opcode | size << 6) << " src " << Hex(src) << " dst " << Hex(dst) << " ccr "
                            << Hex(ccr) << ": D0 " << Hex(M68kRegs[0]) << " SR " << Hex(M68kSR) << ", expected "
                            << Hex(wantD0) << " SR " << Hex(0x2700 | want.ccr);
          }
    }
  EXPECT_EQ(failures, 0);
}

// ---- Byte operands through A7 -----------------------------------------------------------

TEST_F(AddSub, ByteThroughA7MovesItByTwoAndUsesTheOddByte) {
  const struct {
    std::vector<uint16_t> words;
    uint32_t address, a7;  // the operand's address, A7 after
    bool intoD0;
    uint32_t result;
  } cases[] = {
      {{0xD01F}, 0x1001, 0x1002, true, 0x42},           // ADD.B (A7)+,D0
      {{0x9027}, 0x0FFF, 0x0FFE, true, 0xC0},           // SUB.B -(A7),D0
      {{0xD11F}, 0x1001, 0x1002, false, 0x42},          // ADD.B D0,(A7)+
      {{0x5327}, 0x0FFF, 0x0FFE, false, 0x40},          // SUBQ.B #1,-(A7)
      {{0x061F, 0x0001}, 0x1001, 0x1002, false, 0x42},  // ADDI.B #1,(A7)+
  };
  for (const auto& c : cases) {
    SetUp();
    M68kPC = 0x2000;
    M68kRegs[15] = 0x1000;
    M68kRegs[0] = 1;
    Poke8(c.address, 0x41);
    Place(M68kPC, c.words);
    M68kStep();
    EXPECT_EQ(M68kRegs[15], c.a7) << Hex(c.words[0]);
    EXPECT_EQ(c.intoD0 ? M68kRegs[0] : Peek8(c.address), c.result) << Hex(c.words[0]);
    EXPECT_EQ(Peek8(c.address ^ 1), 0u) << Hex(c.words[0]);
  }
}

TEST_F(AddSub, ExtendMemoryFormStepsTheSourceFirstWithTheA7ByteRule) {
  const struct {
    uint16_t opcode;
    uint32_t ay, ax;                      // source and destination register before
    uint32_t src, dst, ayAfter, axAfter;  // operand addresses, registers after
  } cases[] = {
      {0xDF0F, 0x1000, 0x1000, 0x0FFF, 0x0FFD, 0x0FFC, 0x0FFC},  // ADDX.B -(A7),-(A7)
      {0xD50F, 0x3000, 0x2000, 0x2FFF, 0x1FFF, 0x2FFE, 0x1FFF},  // ADDX.B -(A7),-(A2)
      {0x9F0A, 0x2000, 0x3000, 0x1FFF, 0x2FFF, 0x1FFF, 0x2FFE},  // SUBX.B -(A2),-(A7)
      {0x958F, 0x3000, 0x2000, 0x2FFC, 0x1FFC, 0x2FFC, 0x1FFC},  // SUBX.L -(A7),-(A2)
      {0xD148, 0x1004, 0x1004, 0x1002, 0x1000, 0x1000, 0x1000},  // ADDX.W -(A0),-(A0)
  };
  for (const auto& c : cases) {
    SetUp();
    M68kPC = 0x4000;
    const unsigned y = c.opcode & 7, x = (c.opcode >> 9) & 7;
    const int size = 1 << ((c.opcode >> 6) & 3);
    const bool sub = (c.opcode >> 12) == 9;
    auto poke = size == 1 ? Poke8 : size == 2 ? Poke16 : Poke32;
    poke(c.src, 0x05);
    poke(c.dst, 0x20);
    M68kRegs[8 + y] = c.ay;
    M68kRegs[8 + x] = c.ax;
    M68kSR |= 0x10;  // X in
    LogAccesses = true;
    RunOne({c.opcode});
    const std::vector<Access> want = {{'r', 2, 0x4000, c.opcode},
                                      {'r', size, c.src, 0x05},
                                      {'r', size, c.dst, 0x20},
                                      {'w', size, c.dst, sub ? 0x20u - 0x05 - 1 : 0x20u + 0x05 + 1}};
    EXPECT_EQ(AccessLog, want) << Hex(c.opcode);
    EXPECT_EQ(M68kRegs[8 + y], c.ayAfter) << Hex(c.opcode);
    EXPECT_EQ(M68kRegs[8 + x], c.axAfter) << Hex(c.opcode);
    EXPECT_EQ(M68kPC, 0x4002u);
  }
}

// ---- The 17-bit bus ---------------------------------------------------------------------

TEST_F(AddSub, AddressesWrapIntoTheBusAndRegistersKeepAllBits) {
  // ADDQ.B #1,abs.W 0x8000: the address 0xFFFF8000 reaches the bus as 0x18000.
  Poke8(0x18000, 0x7F);
  RunOne({0x5238, 0x8000});
  EXPECT_EQ(Peek8(0x18000), 0x80u);
  EXPECT_EQ(M68kPC, kStart + 4);
  // ADD.L D0,(A0)+ with A0 above the window: the access wraps, A0 steps on all 32 bits.
  M68kRegs[0] = 0x01010101;
  M68kRegs[8] = 0x00020010;
  Poke32(0x10, 0x10203040);
  RunOne({0xD198});
  EXPECT_EQ(Peek32(0x10), 0x11213141u);
  EXPECT_EQ(M68kRegs[8], 0x00020014u);
  // SUBI.W #1,abs.L 0x00FE0020: immediate first, then the address.
  Poke16(0x00020, 0x0005);
  RunOne({0x0479, 0x0001, 0x00FE, 0x0020});
  EXPECT_EQ(Peek16(0x00020), 0x0004u);
  EXPECT_EQ(M68kPC, kStart + 6 + 8);
}

// ---- Invalid forms ----------------------------------------------------------------------

TEST_F(AddSub, InvalidFormsStackTheOpcodeAddressAndChangeNothingElse) {
  const std::vector<uint16_t> cases[] = {
      {0xD03D},                          // ADD.B mode 7 register 5
      {0x907F},                          // SUB.W mode 7 register 7
      {0xD13A, 0x0010},                  // ADD.B D0,(d16,PC)
      {0x95BC},                          // SUB.L D2,#imm
      {0xD0FD},                          // ADDA.W mode 7 register 5
      {0x503A, 0x0010},                  // ADDQ.B #8,(d16,PC)
      {0x5FBC},                          // SUBQ.L #7,#imm
      {0x063C, 0x0001},                  // ADDI.B #1,#imm
      {0x04BB, 0x1234, 0x5678, 0x0000},  // SUBI.L #imm,(d8,PC,Xn)
      {0xD008},                          // ADD.B A0,D0
      {0x5108},                          // SUBQ.B #8,A0
      {0x0608, 0x0001},                  // ADDI.B #1,A0
      {0x06C0},                          // ADDI with size 3
  };
  for (const auto& words : cases) {
    SetUp();
    for (int i = 0; i < 15; ++i) M68kRegs[i] = 0x100 * (i + 1);
    M68kSR = 0x271F;
    Place(kStart, words);
    LogAccesses = true;
    M68kStep();
    EXPECT_EQ(M68kPC, VectorHandler(4)) << Hex(words[0]);
    EXPECT_EQ(M68kRegs[15], kStack - 6) << Hex(words[0]);
    EXPECT_EQ(Peek32(kStack - 4), kStart) << Hex(words[0]);
    EXPECT_EQ(Peek16(kStack - 6), 0x271Fu) << Hex(words[0]);
    EXPECT_EQ(M68kSR, 0x271F) << Hex(words[0]);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(M68kRegs[i], 0x100u * (i + 1)) << Hex(words[0]) << " register " << i;
    for (const Access& a : AccessLog) {
      if (a.kind == 'w')
        EXPECT_GE(a.address, kStack - 6) << Hex(words[0]);
      else
        EXPECT_TRUE((a.address >= kStart && a.address < kStart + 2 * words.size()) || a.address == 16)
            << Hex(words[0]) << " read " << Hex(a.address);
    }
  }
}

// ---- Slots of lines 0 and 5 -------------------------------------------------------------

TEST(AddSubSlots, ImmediateAndQuickFormsFillTheirSlots) {
  for (unsigned opcode = 0x0000; opcode < 0x6000; opcode += 8) {
    const std::string name = M68kOpNames[opcode >> 3];
    const unsigned line = opcode >> 12, rx = (opcode >> 9) & 7, op = (opcode >> 6) & 7, mode = (opcode >> 3) & 7;
    std::string want;
    if (line == 0 && (rx == 2 || rx == 3) && op < 4)
      want = op == 3 || mode == 1 ? "M68kIllegal" : std::string(rx == 3 ? "M68kOpADDI_" : "M68kOpSUBI_") + "BWL"[op];
    else if (line == 5 && op != 3 && op != 7)
      want = mode == 1 && (op & 3) == 0 ? "M68kIllegal"
                                        : std::string(op < 4 ? "M68kOpADDQ_" : "M68kOpSUBQ_") + "BWL"[op & 3];
    else
      continue;
    EXPECT_EQ(name.substr(0, want.size()), want) << Hex(opcode);
    if (line == 5 && want != "M68kIllegal") {
      EXPECT_EQ(name.back(), char('0' + (rx ? rx : 8))) << Hex(opcode);
    }
  }
  EXPECT_STREQ(M68kOpNames[0x0600 >> 3], "M68kOpADDI_B_Dn");
  EXPECT_STREQ(M68kOpNames[0x04B8 >> 3], "M68kOpSUBI_L_Mode7");
  EXPECT_STREQ(M68kOpNames[0x5000 >> 3], "M68kOpADDQ_B_Dn_8");
  EXPECT_STREQ(M68kOpNames[0x5348 >> 3], "M68kOpSUBQ_W_An_1");
  EXPECT_STREQ(M68kOpNames[0x5FB8 >> 3], "M68kOpSUBQ_L_Mode7_7");
  EXPECT_STREQ(M68kOpNames[0xD558 >> 3], "M68kOpADD_W_D2_PostInc");
  EXPECT_STREQ(M68kOpNames[0x9FB8 >> 3], "M68kOpSUB_L_D7_Mode7");
  EXPECT_STREQ(M68kOpNames[0x9F88 >> 3], "M68kOpSUBX_L_PreDec_A7");
  EXPECT_STREQ(M68kOpNames[0x9FF8 >> 3], "M68kOpSUBA_L_Mode7_A7");
}

}  // namespace

// CMP, CMPA, CMPM, CMPI: flags against a model in exact arithmetic, operand addressing,
// the immediate-before-destination order and the slots of the family.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/instruction.h"

namespace kqtest {
namespace {

constexpr uint16_t kCcr = 0x1F;

// N, Z, V, C of dst - src at the width, computed with wide integers.
uint16_t CompareModel(uint64_t dst, uint64_t src, int bits) {
  const uint64_t mask = (uint64_t(1) << bits) - 1;
  dst &= mask;
  src &= mask;
  auto sign = [&](uint64_t v) { return v >> (bits - 1) ? int64_t(v) - int64_t(mask) - 1 : int64_t(v); };
  const int64_t exact = sign(dst) - sign(src);
  const int64_t limit = int64_t(1) << (bits - 1);
  const uint64_t r = (dst - src) & mask;
  uint16_t flags = 0;
  if (r >> (bits - 1)) flags |= kSrN;
  if (r == 0) flags |= kSrZ;
  if (exact < -limit || exact >= limit) flags |= kSrV;
  if (dst < src) flags |= kSrC;
  return flags;
}

std::vector<uint32_t> EdgeValues() {
  std::vector<uint32_t> v;
  for (uint32_t base : {0u, 0x7Fu, 0x80u, 0xFFu, 0x7FFFu, 0x8000u, 0xFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
    for (uint32_t delta : {0u, 1u, 0xFFFFFFFFu}) v.push_back(base + delta);
  return v;
}

// Runs `opcode` with dst in D0 and A0 and the source register D1 = d1; `src` is the
// source as the instruction should see it. Only N, Z, V and C may change, by the model.
void CheckCompare(uint16_t opcode, int bits, uint32_t dst, uint32_t d1, uint32_t src, uint16_t ccr) {
  M68kRegs[0] = M68kRegs[8] = dst;
  M68kRegs[1] = d1;
  M68kSR = uint16_t(0x2700 | ccr);
  Exec({opcode});
  const uint16_t want = uint16_t(0x2700 | (ccr & kSrX) | CompareModel(dst, src, bits));
  ASSERT_EQ(M68kSR, want) << Hex(opcode) << " dst " << Hex(dst) << " src " << Hex(src);
  ASSERT_EQ(M68kPC, kCodeAt + 2);
  ASSERT_EQ(M68kRegs[0], dst);
  ASSERT_EQ(M68kRegs[8], dst);
  ASSERT_EQ(M68kRegs[1], d1);
}

class Compare : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(); }
  uint16_t RandomCcr() { return uint16_t(random() & kCcr); }
  std::mt19937 random{1234};
};

TEST_F(Compare, ByteFlagsForEveryPairIgnoreTheUpperBits) {
  for (uint32_t dst = 0; dst < 256; ++dst)
    for (uint32_t src = 0; src < 256; ++src) {
      uint32_t noise = random() & 0xFFFFFF00u;
      ASSERT_NO_FATAL_FAILURE(
          CheckCompare(0xB001, 8, dst | noise, src | (~noise & 0xFFFFFF00u), src, RandomCcr()));  // CMP.B D1,D0
    }
}

TEST_F(Compare, WordAndLongFlagsOverEdgesAndRandomOperands) {
  const auto edges = EdgeValues();
  for (auto [opcode, bits] : {std::pair{uint16_t(0xB041), 16}, std::pair{uint16_t(0xB081), 32}}) {
    for (uint32_t dst : edges)
      for (uint32_t src : edges) ASSERT_NO_FATAL_FAILURE(CheckCompare(opcode, bits, dst, src, src, RandomCcr()));
    for (int i = 0; i < 20000; ++i) {
      uint32_t dst = uint32_t(random()), src = uint32_t(random());
      ASSERT_NO_FATAL_FAILURE(CheckCompare(opcode, bits, dst, src, src, RandomCcr()));
    }
  }
}

TEST_F(Compare, CmpaComparesAllOfAnWithTheSignExtendedSource) {
  const auto edges = EdgeValues();
  for (uint32_t an : edges)
    for (uint32_t src : edges) {
      const uint32_t word = uint32_t(int32_t(int16_t(src)));
      ASSERT_NO_FATAL_FAILURE(CheckCompare(0xB0C1, 32, an, src, word, RandomCcr()));  // CMPA.W D1,A0
      ASSERT_NO_FATAL_FAILURE(CheckCompare(0xB1C1, 32, an, src, src, RandomCcr()));   // CMPA.L D1,A0
    }
  // CMPA.W A1,A0 takes the low word of A1.
  M68kRegs[8] = 0xFFFFFFFF;
  M68kRegs[9] = 0x1234FFFF;
  M68kSR = 0x2700;
  Exec({0xB0C9});
  EXPECT_EQ(M68kSR & kCcr, kSrZ);
}

TEST_F(Compare, CmpaSeesTheRegisterAsItsOwnSourceStepLeftIt) {
  M68kRegs[8] = 0x3000;
  Poke32(0x3000, 0x3004);
  Exec({0xB1D8});  // CMPA.L (A0)+,A0
  EXPECT_EQ(M68kRegs[8], 0x3004u);
  EXPECT_EQ(M68kSR & kCcr, kSrZ);
}

TEST_F(Compare, CmpmStepsTheSourceBeforeTheDestinationAndWritesNothing) {
  struct Case {
    uint16_t opcode;
    unsigned ry, rx;
    uint32_t start, source, destination;  // Ay and Ax start alike; the addresses read
    int size;
    uint32_t ryAfter, rxAfter;
  } cases[] = {
      {0xBF0F, 7, 7, 0x3000, 0x3001, 0x3003, 1, 0x3004, 0x3004},        // CMPM.B (A7)+,(A7)+
      {0xB148, 0, 0, 0x3000, 0x3000, 0x3002, 2, 0x3004, 0x3004},        // CMPM.W (A0)+,(A0)+
      {0xB589, 1, 2, 0xFFFFFFFC, 0x1FFFC, 0x1FFFC, 4, 0x0000, 0x0000},  // CMPM.L (A1)+,(A2)+ on the 17-bit bus
  };
  for (const Case& c : cases) {
    M68kAddrRegs[c.ry] = M68kAddrRegs[c.rx] = c.start;
    Poke32(0x1FFFC, 0x80000000);
    Poke16(0x3000, 0x8001);
    Poke16(0x3002, 0x0100);
    auto peek = [&](uint32_t a) { return c.size == 1 ? Peek8(a) : c.size == 2 ? Peek16(a) : Peek32(a); };
    const uint32_t src = peek(c.source), dst = peek(c.destination);
    M68kSR = 0x2700;
    const std::vector<Access> want = {
        {'r', 2, kCodeAt, c.opcode}, {'r', c.size, c.source, src}, {'r', c.size, c.destination, dst}};
    EXPECT_EQ(ExecLogged({c.opcode}), want) << Hex(c.opcode);
    EXPECT_EQ(M68kAddrRegs[c.ry], c.ryAfter) << Hex(c.opcode);
    EXPECT_EQ(M68kAddrRegs[c.rx], c.rxAfter) << Hex(c.opcode);
    EXPECT_EQ(M68kSR & kCcr, CompareModel(dst, src, 8 * c.size)) << Hex(c.opcode);
  }
}

TEST_F(Compare, CmpiFetchesTheImmediateBeforeTheDestinationWords) {
  // The destination memory holds the long 7 at 0x3010; A0 = 0x3000.
  struct Case {
    std::vector<uint16_t> words;
    uint16_t flags;
  } cases[] = {
      {{0x0C68, 0x0007, 0x0012}, kSrZ},                 // CMPI.W #7,(0x12,A0)
      {{0x0CA8, 0x0000, 0x0008, 0x0010}, kSrN | kSrC},  // CMPI.L #8,(0x10,A0)
      {{0x0C79, 0x0006, 0x0000, 0x3012}, 0},            // CMPI.W #6,abs.L
      {{0x0C38, 0x0007, 0x3013}, kSrZ},                 // CMPI.B #7,abs.W
  };
  Poke32(0x3010, 7);
  M68kRegs[8] = 0x3000;
  for (const Case& c : cases) {
    M68kSR = 0x2700;
    Exec(c.words);
    EXPECT_EQ(M68kPC, kCodeAt + 2 * c.words.size()) << Hex(c.words[0]);
    EXPECT_EQ(M68kSR & kCcr, c.flags) << Hex(c.words[0]);
  }

  // CMPI.B #imm,D0 and CMP.B #imm,D0 read only the low byte of the extension word.
  for (uint16_t opcode : {uint16_t(0x0C00), uint16_t(0xB03C)}) {
    M68kRegs[0] = 0xFF;
    const std::vector<Access> want = {{'r', 2, kCodeAt, opcode}, {'r', 1, kCodeAt + 3, 0xFF}};
    EXPECT_EQ(ExecLogged({opcode, 0x12FF}), want) << Hex(opcode);
    EXPECT_EQ(M68kPC, kCodeAt + 4);
    EXPECT_EQ(M68kSR & kCcr, kSrZ);
  }
}

TEST_F(Compare, RefusedEncodingsFetchNothingMore) {
  ExpectRefused({0xB07D, 0x0000});          // CMP.W with mode 7 register 5
  ExpectRefused({0xB0FF, 0x0000});          // CMPA.W with mode 7 register 7
  ExpectRefused({0x0C3A, 0x0012, 0x0000});  // CMPI.B to (d16,PC)
  ExpectRefused({0x0CBC, 0x0000, 0x0000});  // CMPI.L to #imm
  ExpectRefused({0xB008});                  // CMP.B A0,D0
  ExpectRefused({0x0C08, 0x0000});          // CMPI.B to A0
  ExpectRefused({0x0CC0, 0x0000});          // size 11
}

TEST_F(Compare, SlotsOfTheFamily) {
  // Line B: 336 compare slots and 8 illegal ones; the other 168 are EOR's.
  EXPECT_EQ(SlotsNamed("M68kOpCMP_", 0xB000 >> 3, 0xBFFF >> 3), 184);
  EXPECT_EQ(SlotsNamed("M68kOpCMPA_", 0xB000 >> 3, 0xBFFF >> 3), 128);
  EXPECT_EQ(SlotsNamed("M68kOpCMPM_", 0xB000 >> 3, 0xBFFF >> 3), 24);
  EXPECT_EQ(SlotsNamed("M68kIllegal", 0xB000 >> 3, 0xBFFF >> 3), 8);
  EXPECT_EQ(SlotsNamed("M68kOpCMPI_", 0x0C00 >> 3, 0x0CFF >> 3), 21);
  EXPECT_STREQ(M68kOpNames[0xB000 >> 3], "M68kOpCMP_B_Dn_0");
  EXPECT_STREQ(M68kOpNames[0xB0C0 >> 3], "M68kOpCMPA_W_Dn_0");
  EXPECT_STREQ(M68kOpNames[0xBF08 >> 3], "M68kOpCMPM_B_PostInc_7");
  EXPECT_STREQ(M68kOpNames[0x0C38 >> 3], "M68kOpCMPI_B_Mode7");
}

}  // namespace
}  // namespace kqtest

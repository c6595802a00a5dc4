// NEGX, CLR, NEG, NOT, TST and TAS: which accesses each makes and where, and bytes
// through A7. Results and flags are left to the recorded single-instruction tests.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/instruction.h"

namespace {

using kqtest::Access;
using Log = std::vector<Access>;
using SingleOperandTest = kqtest::StepTest;

TEST_F(SingleOperandTest, EachMemoryOperandIsAddressedOnce) {
  M68kRegs[8] = 0x2000;  // A0
  kqtest::Poke32(0x2000, 0x8001F00F);
  EXPECT_EQ(Run({0x4250}), (Log{{'r', 2, 0x2000, 0x8001}, {'w', 2, 0x2000, 0}}));  // CLR.W (A0)
  kqtest::Poke32(0x2000, 0x8001F00F);
  EXPECT_EQ(Run({0x4A90}), (Log{{'r', 4, 0x2000, 0x8001F00F}}));  // TST.L (A0)
  EXPECT_EQ(Run({0x4AD0}), (Log{{'r', 1, 0x2000, 0x80}, {'w', 1, 0x2000, 0x80}}));  // TAS (A0)
  EXPECT_EQ(Run({0x4628, 0x0002}),  // NOT.B (2,A0)
            (Log{{'r', 2, kPc + 2, 0x0002}, {'r', 1, 0x2002, 0xF0}, {'w', 1, 0x2002, 0x0F}}));

  // -(An) steps once, and the write goes back to the address read.
  M68kRegs[9] = 0x3004;
  kqtest::Poke32(0x3000, 1);
  EXPECT_EQ(Run({0x44A1}), (Log{{'r', 4, 0x3000, 1}, {'w', 4, 0x3000, 0xFFFFFFFF}}));  // NEG.L -(A1)
  EXPECT_EQ(M68kRegs[9], 0x3000u);

  // A data register operand makes no bus access at all.
  EXPECT_TRUE(Run({0x4280}).empty());  // CLR.L D0
}

TEST_F(SingleOperandTest, BytesThroughA7UseTheOddAddress) {
  uint32_t& a7 = M68kRegs[15];
  a7 = 0x7000;
  kqtest::Poke16(0x7000, 0x0005);
  EXPECT_EQ(Run({0x4A1F}), (Log{{'r', 1, 0x7001, 0x05}}));  // TST.B (A7)+
  EXPECT_EQ(a7, 0x7002u);

  a7 = 0x7002;
  EXPECT_EQ(Run({0x4427}), (Log{{'r', 1, 0x7001, 0x05}, {'w', 1, 0x7001, 0xFB}}));  // NEG.B -(A7)
  EXPECT_EQ(a7, 0x7000u);

  EXPECT_EQ(Run({0x4ADF}), (Log{{'r', 1, 0x7001, 0xFB}, {'w', 1, 0x7001, 0xFB}}));  // TAS (A7)+
  EXPECT_EQ(a7, 0x7002u);

  // Word and long sizes step A7 like any other register.
  EXPECT_EQ(Run({0x4267}), (Log{{'r', 2, 0x7000, 0x00FB}, {'w', 2, 0x7000, 0}}));  // CLR.W -(A7)
  EXPECT_EQ(a7, 0x7000u);
}

}  // namespace

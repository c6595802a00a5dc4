// A mode-7 register field that an instruction does not accept: the illegal-instruction
// exception with the instruction's own address stacked, and nothing else — no extension
// word, no operand access, no register step, no flag change.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/68000.h"
#include "tests/support/instruction.h"

namespace {

using kqtest::Access;
using kqtest::VectorHandler;

class InvalidFieldTest : public kqtest::StepTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(InvalidFieldTest, TakesOnlyTheIllegalInstruction) {
  for (uint32_t n = 0; n < 15; ++n) M68kRegs[n] = 0x01010101 * n + 0x100;
  M68kSR = 0x2715;
  uint32_t before[16];
  std::copy(std::begin(M68kRegs), std::end(M68kRegs), before);

  auto log = Run({GetParam(), 0x0102, 0x0304, 0x0506});

  EXPECT_EQ(log, (std::vector<Access>{
                     {'w', 4, kSsp - 4, kPc}, {'w', 2, kSsp - 6, 0x2715}, {'r', 4, 4 * 4, VectorHandler(4)}}));
  EXPECT_EQ(M68kPC, VectorHandler(4));
  EXPECT_EQ(M68kSR, 0x2715);
  for (int n = 0; n < 15; ++n) EXPECT_EQ(M68kRegs[n], before[n]) << "register " << n;
  EXPECT_EQ(M68kRegs[15], kSsp - 6);
}

INSTANTIATE_TEST_SUITE_P(Opcodes, InvalidFieldTest,
                         ::testing::Values(0x103D,   // MOVE.B <field 5>,D0
                                           0x203E,   // MOVE.L <field 6>,D0
                                           0x33FF,   // MOVE.W <field 7>,abs.L
                                           0x207D,   // MOVEA.L <field 5>,A0
                                           0x3E7F,   // MOVEA.W <field 7>,A7
                                           0x407A,   // NEGX.W (d16,PC)
                                           0x42BC,   // CLR.L #imm
                                           0x447B,   // NEG.W (d8,PC,Xn)
                                           0x463D,   // NOT.B <field 5>
                                           0x4A3C,   // TST.B #imm
                                           0x4AFC,   // ILLEGAL, in the TAS slot
                                           0x40FC,   // MOVE SR,#imm
                                           0x44FD,   // MOVE <field 5>,CCR
                                           0x46FE),  // MOVE <field 6>,SR
                         [](const auto& info) { return kqtest::Hex(info.param).substr(2); });

}  // namespace

// System control instructions: LINK, UNLK, MOVE USP, RTE, RTR, RTS, RESET and the
// privilege rule.
#include <gtest/gtest.h>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

class System : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(0x400, 0x1000); }
};

TEST_F(System, LinkAndUnlinkBuildAndDropAFrame) {
  M68kRegs[14] = 0x2000;  // A6
  RunOne({0x4E56, 0xFFF8});  // LINK A6,#-8
  EXPECT_EQ(Peek32(0xFFC), 0x2000u);
  EXPECT_EQ(M68kRegs[14], 0xFFCu);
  EXPECT_EQ(M68kRegs[15], 0xFF4u);
  EXPECT_EQ(M68kPC, 0x404u);
  RunOne({0x4E5E});  // UNLK A6
  EXPECT_EQ(M68kRegs[15], 0x1000u);
  EXPECT_EQ(M68kRegs[14], 0x2000u);
}

TEST_F(System, LinkA7PushesTheDecrementedStackPointer) {
  RunOne({0x4E57, 0x0010});  // LINK A7,#16
  EXPECT_EQ(Peek32(0xFFC), 0xFFCu);
  EXPECT_EQ(M68kRegs[15], 0xFFCu + 16);
}

TEST_F(System, UnlinkA7LoadsTheStackPointerFromTheStack) {
  Poke32(0x1000, 0x3000);
  RunOne({0x4E5F});
  EXPECT_EQ(M68kRegs[15], 0x3000u);
}

TEST_F(System, MoveUspBothWays) {
  M68kRegs[9] = 0x1234;
  RunOne({0x4E61});  // MOVE A1,USP
  EXPECT_EQ(M68kUSP, 0x1234u);
  RunOne({0x4E6F});  // MOVE USP,A7 replaces the supervisor stack pointer
  EXPECT_EQ(M68kRegs[15], 0x1234u);
}

TEST_F(System, PrivilegedInstructionsInUserStateOnlyTrap) {
  for (uint16_t opcode : {0x4E70, 0x4E73, 0x4E61, 0x4E69}) {
    ResetProcessor(0x400, 0x1000);
    M68kSetSR(0x0000);
    M68kRegs[15] = 0x800;
    M68kRegs[9] = 0x5555;
    Poke32(0x800, 0xDEADBEEF);
    RunOne({opcode});
    EXPECT_EQ(M68kPC, VectorHandler(kVecPrivilege)) << Hex(opcode);
    EXPECT_EQ(Peek32(0x1000 - 4), 0x400u) << Hex(opcode);
    EXPECT_EQ(M68kUSP, 0x800u) << Hex(opcode);  // nothing popped from the user stack
    EXPECT_EQ(M68kRegs[9], 0x5555u) << Hex(opcode);
    EXPECT_EQ(M68kSR, 0x2000);
  }
}

TEST_F(System, RteToUserStateSwitchesStacks) {
  M68kUSP = 0x3000;
  Poke16(0x1000, 0x0004);
  Poke32(0x1002, 0x5000);
  RunOne({0x4E73});
  EXPECT_EQ(M68kSR, 0x0004);
  EXPECT_EQ(M68kPC, 0x5000u);
  EXPECT_EQ(M68kRegs[15], 0x3000u);
  EXPECT_EQ(M68kSSP, 0x1006u);
}

TEST_F(System, RteStaysInSupervisorState) {
  Poke16(0x1000, 0x2701);
  Poke32(0x1002, 0x5000);
  RunOne({0x4E73});
  EXPECT_EQ(M68kSR, 0x2701);
  EXPECT_EQ(M68kRegs[15], 0x1006u);
}

TEST_F(System, RtrLoadsTheWholeLowByte) {
  Poke16(0x1000, 0xFFFF);
  Poke32(0x1002, 0x5000);
  RunOne({0x4E77});
  EXPECT_EQ(M68kSR, 0x27FF);
  EXPECT_EQ(M68kPC, 0x5000u);
  EXPECT_EQ(M68kRegs[15], 0x1006u);
}

TEST_F(System, RtsAndResetAndNop) {
  Poke32(0x1000, 0x6000);
  RunOne({0x4E75});
  EXPECT_EQ(M68kPC, 0x6000u);
  EXPECT_EQ(M68kRegs[15], 0x1004u);
  uint16_t sr = M68kSR;
  RunOne({0x4E70});  // RESET: the processor goes on with the next instruction
  EXPECT_EQ(M68kPC, 0x6002u);
  EXPECT_EQ(M68kSR, sr);
  RunOne({0x4E71});
  EXPECT_EQ(M68kPC, 0x6004u);
}

TEST_F(System, StackAccessesAreMaskedButTheStackPointerIsNot) {
  M68kRegs[15] = 0x00321000;
  Poke32(0x01000, 0x7000);
  RunOne({0x4E75});
  EXPECT_EQ(M68kPC, 0x7000u);
  EXPECT_EQ(M68kRegs[15], 0x00321004u);
}

}  // namespace

// MOVE from SR, MOVE to CCR and MOVE to SR: the unassigned bits, privilege, and MOVE to
// SR's exit from the run loop, seen through the counts and the exceptions that follow.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/instruction.h"

namespace {

using kqtest::Access;
using kqtest::VectorHandler;
using Log = std::vector<Access>;
using StatusRegisterTest = kqtest::StepTest;

constexpr uint16_t kNop = 0x4E71;

// NOPs from address on.
void FillNops(uint32_t address, int count) {
  for (int i = 0; i < count; ++i) kqtest::Poke16(address + 2 * i, kNop);
}

TEST_F(StatusRegisterTest, UnassignedBitsAreStoredAndReadBack) {
  Run({0x44FC, 0x00FF});  // MOVE #$00FF,CCR
  EXPECT_EQ(M68kSR, 0x27FF);
  Run({0x44FC, 0xFF00});  // MOVE #$FF00,CCR: the high byte of the source is not used
  EXPECT_EQ(M68kSR, 0x2700);
  M68kRegs[1] = 0xFFFFFF15;
  Run({0x44C1});  // MOVE D1,CCR
  EXPECT_EQ(M68kSR, 0x2715);

  Run({0x46FC, 0xFFFF});  // MOVE #$FFFF,SR: all 16 bits, still supervisor
  EXPECT_EQ(M68kSR, 0xFFFF);
  EXPECT_EQ(M68kRegs[15], kSsp);
  M68kRegs[0] = 0x12345678;
  Run({0x40C0});  // MOVE SR,D0
  EXPECT_EQ(M68kRegs[0], 0x1234FFFFu);
}

TEST_F(StatusRegisterTest, MoveFromSrWritesWithoutReading) {
  M68kRegs[8] = 0x2000;
  EXPECT_EQ(Run({0x40D0}), (Log{{'w', 2, 0x2000, 0x2700}}));  // MOVE SR,(A0)
}

TEST_F(StatusRegisterTest, OnlyMoveToSrIsPrivileged) {
  M68kSR = 0x0011;  // user state
  M68kSSP = kSsp;
  M68kRegs[15] = 0x6000;
  Run({0x40C0});  // MOVE SR,D0
  EXPECT_EQ(M68kRegs[0] & 0xFFFF, 0x0011u);
  Run({0x44FC, 0x0004});  // MOVE #4,CCR
  EXPECT_EQ(M68kSR, 0x0004);

  // MOVE #$2700,SR: the privilege violation, before the immediate word is read. The
  // privilege test also comes before a register field that is not accepted.
  for (uint16_t opcode : {0x46FC, 0x46FD}) {
    M68kSR = 0x0004;
    M68kSSP = kSsp;
    M68kRegs[15] = 0x6000;
    Log log = Run({opcode, 0x2700});
    EXPECT_EQ(log, (Log{{'w', 4, kSsp - 4, kPc}, {'w', 2, kSsp - 6, 0x0004}, {'r', 4, 8 * 4, VectorHandler(8)}}));
    EXPECT_EQ(M68kPC, VectorHandler(8));
    EXPECT_EQ(M68kSR, 0x2004);
    EXPECT_EQ(M68kUSP, 0x6000u);
  }
}

TEST_F(StatusRegisterTest, MoveToSrLeavesTheRunLoop) {
  // Two NOPs, MOVE #$2700,SR, NOPs: the round is cut short after the move, which counts
  // as one; the next round runs in full.
  FillNops(kPc, 20);
  kqtest::PokeWords(kPc + 4, {0x46FC, 0x2700});
  EXPECT_EQ(M68kRun(8), 9u);
  EXPECT_EQ(M68kPC, kPc + 8 + 2 * 8);

  // MOVE to CCR in the same place does not leave.
  kqtest::PokeWords(kPc + 4, {0x44FC, 0x0000});
  M68kPC = kPc;
  EXPECT_EQ(M68kRun(8), 8u);
  EXPECT_EQ(M68kPC, kPc + 8 + 2 * 5);
}

TEST_F(StatusRegisterTest, LoweredMaskLetsAPendingInterruptInAtOnce) {
  FillNops(kPc + 4, 8);
  FillNops(VectorHandler(27), 8);  // level 3 autovector
  M68kIntLevel.store(3);
  kqtest::PokeWords(kPc, {0x46FC, 0x2000});  // MOVE #$2000,SR
  M68kRun(8);
  EXPECT_EQ(kqtest::Peek32(kSsp - 4), kPc + 4);  // taken before the next instruction
  EXPECT_EQ(kqtest::Peek16(kSsp - 6), 0x2000u);
  EXPECT_EQ(M68kSR & kSrMask, 0x0300);
  M68kIntLevel.store(0);
}

TEST_F(StatusRegisterTest, TraceBitTakesEffectWithTheNextInstruction) {
  FillNops(kPc + 4, 8);
  FillNops(VectorHandler(9), 8);
  kqtest::PokeWords(kPc, {0x46FC, 0xA000});  // MOVE #$A000,SR
  M68kRun(2);
  // Exactly the NOP after the move is traced; the trace handler runs untraced.
  EXPECT_EQ(kqtest::Peek32(kSsp - 4), kPc + 6);
  EXPECT_EQ(kqtest::Peek16(kSsp - 6), 0xA000u);
  EXPECT_EQ(M68kPC, VectorHandler(9) + 2 * 8);
  EXPECT_EQ(M68kSR & kSrT, 0);
}

}  // namespace

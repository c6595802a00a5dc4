// Processor state: the status-register operations, exception entries and their frames,
// and reset.
#include <gtest/gtest.h>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

class State : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(0x1000, 0x8000); }
};

TEST_F(State, CcrKeepsAllEightBitsAndLeavesTheSystemByte) {
  M68kSR = 0x2700;
  M68kSetCCR(0xFF);
  EXPECT_EQ(M68kSR, 0x27FF);
  EXPECT_EQ(M68kGetCCR(), 0xFF);
  M68kSetCCR(0x1234);  // only the low byte counts
  EXPECT_EQ(M68kSR, 0x2734);
}

TEST_F(State, SetSRStoresEveryBitAndSwitchesStacksOnlyOnTheWayToUser) {
  M68kRegs[15] = 0x1000;
  M68kUSP = 0x0800;
  M68kSetSR(0xFFFF);
  EXPECT_EQ(M68kSR, 0xFFFF);
  EXPECT_EQ(M68kRegs[15], 0x1000u);
  EXPECT_EQ(M68kSSP, 0x1000u);

  M68kSetSR(0x2700);
  EXPECT_EQ(M68kRegs[15], 0x1000u);
  EXPECT_EQ(M68kUSP, 0x0800u);

  M68kSetSR(0x0000);
  EXPECT_EQ(M68kSSP, 0x1000u);
  EXPECT_EQ(M68kRegs[15], 0x0800u);
  EXPECT_EQ(M68kGetSR(), 0x0000);
}

TEST_F(State, IllegalInstructionFromUserStateBuildsTheShortFrame) {
  M68kSetSR(0x0015);  // user state, X Z C
  M68kRegs[15] = 0x800;
  M68kSSP = 0x1000;
  M68kPC = 0x400;
  RunOne({0x4AFC});
  EXPECT_EQ(M68kUSP, 0x800u);
  EXPECT_EQ(M68kRegs[15], 0xFFAu);
  EXPECT_EQ(Peek32(0xFFC), 0x400u);
  EXPECT_EQ(Peek16(0xFFA), 0x0015u);
  EXPECT_EQ(M68kSR, 0x2015);
  EXPECT_EQ(M68kPC, VectorHandler(kVecIllegal));
}

TEST_F(State, ExceptionInSupervisorStateStaysOnItsStack) {
  M68kRegs[15] = 0x1000;
  M68kUSP = 0x1234;
  M68kPC = 0x400;
  RunOne({0x4E42});  // TRAP #2
  EXPECT_EQ(M68kRegs[15], 0xFFAu);
  EXPECT_EQ(M68kUSP, 0x1234u);
  EXPECT_EQ(Peek32(0xFFC), 0x402u);
  EXPECT_EQ(M68kPC, VectorHandler(34));
}

TEST_F(State, StackedPcDependsOnTheVector) {
  struct Case {
    uint16_t opcode;
    uint32_t vector, stacked;
  } cases[] = {
      {0x4E40, 32, 0x402}, {0x4E4F, 47, 0x402},        // TRAP #0, #15
      {0xA123, kVecLineA, 0x400}, {0xF123, kVecLineF, 0x400},
      {0x4E74, kVecIllegal, 0x400},
  };
  for (const Case& c : cases) {
    ResetProcessor(0x400, 0x8000);
    RunOne({c.opcode});
    EXPECT_EQ(M68kPC, VectorHandler(c.vector)) << Hex(c.opcode);
    EXPECT_EQ(Peek32(0x8000 - 4), c.stacked) << Hex(c.opcode);
  }
  ResetProcessor(0x400, 0x8000);
  M68kSR |= kSrV;
  RunOne({0x4E76});  // TRAPV with V set stacks the next instruction
  EXPECT_EQ(M68kPC, VectorHandler(kVecTrapV));
  EXPECT_EQ(Peek32(0x8000 - 4), 0x402u);
  ResetProcessor(0x400, 0x8000);
  RunOne({0x4E76});  // with V clear it does nothing
  EXPECT_EQ(M68kPC, 0x402u);
  EXPECT_EQ(M68kRegs[15], 0x8000u);
}

TEST_F(State, InterruptSetsTheMaskAndStacksTheOldOne) {
  M68kSR = 0x2000 | 0x1F;
  M68kIntLevel = 3;
  M68kPC = 0x1234;
  M68kInterrupt();
  EXPECT_EQ(M68kSR, 0x231F);
  EXPECT_EQ(Peek16(0x8000 - 6), 0x201Fu);
  EXPECT_EQ(Peek32(0x8000 - 4), 0x1234u);
  EXPECT_EQ(M68kPC, Peek32(0x6C));
}

TEST_F(State, TraceEntryClearsTAndStacksIt) {
  M68kSR = 0xA000;
  M68kPC = 0x2000;
  M68kTraceException();
  EXPECT_EQ(M68kSR, 0x2000);
  EXPECT_EQ(Peek16(0x8000 - 6), 0xA000u);
  EXPECT_EQ(M68kPC, VectorHandler(kVecTrace));
}

TEST_F(State, ExceptionStacksTheFullPcAndMasksOnlyTheAccess) {
  M68kPC = 0x00FE1000;
  M68kTrapException(32);
  EXPECT_EQ(Peek32(0x8000 - 4), 0x00FE1000u);
}

TEST_F(State, VectorFromOpenBusBecomesThePc) {
  InitMemoryMap();  // nothing mapped: reads are all ones, writes ignored
  M68kException(kVecIllegal);
  EXPECT_EQ(M68kPC, 0xFFFFFFFFu);
}

TEST_F(State, FirstResetLoadsStackAndPcFromTheVectors) {
  MapFlatRam();
  for (auto& r : M68kRegs) r = 0;
  M68kSR = 0;
  M68kUSP = 0;
  Poke32(0, 0x1000);
  Poke32(4, 0x400);
  M68kReset();
  EXPECT_EQ(M68kRegs[15], 0x1000u);
  EXPECT_EQ(M68kPC, 0x400u);
  EXPECT_EQ(M68kSR, 0x2700);
  EXPECT_EQ(M68kUSP, 0u);
  EXPECT_EQ(M68kAddrRegs, &M68kRegs[8]);
}

TEST_F(State, ResetFromUserStateSavesTheUserStack) {
  M68kSetSR(0x001F);
  M68kRegs[15] = 0x800;
  M68kRegs[3] = 0x33;
  M68kRunState = kM68kStopped;
  M68kReset();
  EXPECT_EQ(M68kUSP, 0x800u);
  EXPECT_EQ(M68kRegs[15], 0x8000u);
  EXPECT_EQ(M68kSR, 0x271F);
  EXPECT_EQ(M68kRegs[3], 0x33u);
  EXPECT_EQ(M68kRunState, kM68kRunning);
}

TEST_F(State, ResetInSupervisorStateKeepsFlagsAndClearsTrace) {
  M68kSR = 0xA01F;
  M68kUSP = 0x4444;
  M68kReset();
  EXPECT_EQ(M68kSR, 0x271F);
  EXPECT_EQ(M68kUSP, 0x4444u);
}

}  // namespace

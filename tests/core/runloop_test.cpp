// The run loop: counting in rounds of eight, the interrupt test per round, STOP and the
// early exits, tracing, and the dispatch of opcodes that are not instructions.
#include <gtest/gtest.h>

#include "board/Cpu.h"
#include "board/Io.h"
#include "board/Timer.h"
#include "core/68000.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

constexpr uint16_t kNop = 0x4E71;
constexpr uint16_t kStop = 0x4E72;
constexpr uint16_t kRte = 0x4E73;

// Fills memory from `from` with NOPs up to `to`.
void FillNops(uint32_t from, uint32_t to) {
  for (uint32_t a = from; a < to; a += 2) Poke16(a, kNop);
}

class RunLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProcessor(0x1000, 0x8000);
    FillNops(0x1000, 0x9000 - 0x1000);
  }
};

TEST_F(RunLoop, BudgetIsRoundedUpToWholeRoundsOfEight) {
  EXPECT_EQ(M68kRun(8192), 8192u);
  EXPECT_EQ(M68kPC, 0x1000u + 2 * 8192);
  ResetProcessor(0x1000, 0x8000);
  FillNops(0x1000, 0x2000);
  EXPECT_EQ(M68kRun(10), 16u);
  EXPECT_EQ(M68kPC, 0x1000u + 2 * 16);
  ResetProcessor(0x1000, 0x8000);
  FillNops(0x1000, 0x2000);
  EXPECT_EQ(M68kRun(1), 8u);
}

TEST_F(RunLoop, StopCountsAsOneAndDropsTheRestOfItsRound) {
  // STOP as the fifth instruction of the third round: 16 + 1.
  uint32_t stopAt = 0x1000 + 2 * 20;
  PokeWords(stopAt, {kStop, 0x2700});
  EXPECT_EQ(M68kRun(8192), 17u);
  EXPECT_EQ(M68kRunState, kM68kStopped);
  EXPECT_EQ(M68kPC, stopAt + 4);
  EXPECT_EQ(M68kSR, 0x2700);
}

TEST_F(RunLoop, StoppedWithoutInterruptExecutesNothing) {
  PokeWords(0x1000, {kStop, 0x2000});
  EXPECT_EQ(M68kRun(8192), 1u);
  uint32_t pc = M68kPC;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(M68kRun(8192), 0u);
  EXPECT_EQ(M68kPC, pc);
  // A level at or below the mask does not wake it either.
  PokeWords(0x1000, {kStop, 0x2300});
  M68kPC = 0x1000;
  M68kRunState = kM68kRunning;
  EXPECT_EQ(M68kRun(8192), 1u);
  M68kIntLevel = 3;
  EXPECT_EQ(M68kRun(8192), 0u);
}

TEST_F(RunLoop, InterruptAboveTheMaskEndsTheStop) {
  PokeWords(0x1000, {kStop, 0x2200});
  EXPECT_EQ(M68kRun(8192), 1u);
  FillNops(VectorHandler(27), VectorHandler(27) + 0x400);
  M68kIntLevel = 3;
  EXPECT_EQ(M68kRun(16), 16u);
  EXPECT_EQ(M68kRunState, kM68kRunning);
  EXPECT_EQ(M68kSR & kSrMask, 0x0300);
  EXPECT_EQ(M68kPC, VectorHandler(27) + 2 * 16);
  // The frame holds the address after the STOP and the SR with the old mask.
  EXPECT_EQ(Peek32(M68kRegs[15] + 2), 0x1004u);
  EXPECT_EQ(Peek16(M68kRegs[15]), 0x2200u);
}

// A fetch handler that raises the interrupt level when the third instruction is fetched.
int fetches = 0;
uint32_t FetchRaisingLevel(uint32_t address) {
  if (++fetches == 3) M68kIntLevel = 1;
  return Peek16(address);
}

TEST_F(RunLoop, InterruptIsTestedOncePerRound) {
  M68kSR = 0x2000;
  fetches = 0;
  MapReadHandlers(0x1000, 0x100, MemReadByte[0x10], FetchRaisingLevel, MemReadLong[0x10]);
  FillNops(VectorHandler(25), VectorHandler(25) + 0x100);
  EXPECT_EQ(M68kRun(16), 16u);
  // The level rose during the first round; the interrupt waited for the second.
  EXPECT_EQ(Peek32(M68kRegs[15] + 2), 0x1010u);
  EXPECT_EQ(M68kPC, VectorHandler(25) + 16);
  EXPECT_EQ(M68kSR & kSrMask, 0x0100);
}

TEST_F(RunLoop, Level7IsMaskedByMask7) {
  M68kIntLevel = 7;  // never produced by the board, but not special either
  M68kSR = 0x2700;
  M68kRun(8);
  EXPECT_EQ(M68kPC, 0x1010u);
}

TEST_F(RunLoop, RteWithTraceTracesExactlyTheNextInstruction) {
  // An RTE whose frame restores T set, returning to 0x3000.
  M68kRegs[15] = 0x7000;
  Poke16(0x7000, 0xA000);  // T and S set
  Poke32(0x7002, 0x3000);
  PokeWords(0x1000, {kRte});
  FillNops(0x3000, 0x3100);
  FillNops(VectorHandler(kVecTrace), VectorHandler(kVecTrace) + 0x100);
  uint32_t n = M68kRun(9);
  // RTE (1), then one traced NOP (1) and its trace exception, then a fast round of 8.
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(M68kSR & kSrT, 0);
  // The trace frame: the address after the traced NOP, the SR with T set.
  EXPECT_EQ(Peek32(M68kRegs[15] + 2), 0x3002u);
  EXPECT_EQ(Peek16(M68kRegs[15]), 0xA000u);
  EXPECT_EQ(M68kPC, VectorHandler(kVecTrace) + 2 * 8);
}

TEST_F(RunLoop, TraceRoundTestsTheBudgetBeforeItsOwnCount) {
  M68kSR = 0xA000;
  FillNops(VectorHandler(kVecTrace), VectorHandler(kVecTrace) + 0x100);
  // One traced NOP and its trace exception (count 0 < 1, so on), then a fast round.
  EXPECT_EQ(M68kRun(1), 9u);
  EXPECT_EQ(Peek32(M68kRegs[15] + 2), 0x1002u);
  EXPECT_EQ(M68kPC, VectorHandler(kVecTrace) + 16);
}

TEST_F(RunLoop, EndlessEarlyExitsStillEndTheSlice) {
  // Every instruction is an RTE back to itself, so no round is ever finished and the
  // round's budget test is never reached; the test at re-entry ends the slice.
  PokeWords(0x1000, {kRte});
  for (uint32_t sp = 0x6000; sp < 0x7000; sp += 6) {
    Poke16(sp, 0x2700);
    Poke32(sp + 2, 0x1000);
  }
  M68kRegs[15] = 0x6000;
  EXPECT_EQ(M68kRun(100), 100u);
  EXPECT_EQ(M68kRegs[15], 0x6000u + 600);
}

TEST_F(RunLoop, UnassignedOpcodesRaiseTheirExceptions) {
  struct Case {
    uint16_t opcode;
    uint32_t vector;
  } cases[] = {{0x4E74, kVecIllegal}, {0x4E00, kVecIllegal}, {0x7100, kVecIllegal}, {0x4AFC, kVecIllegal},
               {0xA000, kVecLineA},   {0xAFFF, kVecLineA},   {0xF000, kVecLineF},   {0xFFFF, kVecLineF}};
  for (const Case& c : cases) {
    ResetProcessor(0x1000, 0x8000);
    RunOne({c.opcode});
    EXPECT_EQ(M68kPC, VectorHandler(c.vector)) << Hex(c.opcode);
    EXPECT_EQ(Peek32(0x8000 - 4), 0x1000u) << Hex(c.opcode);
    EXPECT_EQ(M68kRegs[15], 0x8000u - 6);
  }
}

TEST_F(RunLoop, StopInUserStateIsAPrivilegeViolation) {
  M68kSetSR(0x0000);
  M68kRegs[15] = 0x4000;
  PokeWords(0x1000, {kStop, 0x2700});
  FillNops(VectorHandler(kVecPrivilege), VectorHandler(kVecPrivilege) + 0x100);
  EXPECT_EQ(M68kRun(8), 8u);
  EXPECT_EQ(M68kRunState, kM68kRunning);
  EXPECT_EQ(Peek32(0x8000 - 4), 0x1000u);
  EXPECT_EQ(Peek16(0x8000 - 6), 0x0000u);
  EXPECT_EQ(M68kSR, 0x2000);
}

TEST_F(RunLoop, BudgetZeroRunsUntilStopped) {
  PokeWords(0x1000 + 2 * 100, {kStop, 0x2700});
  EXPECT_EQ(M68kRun(0), 96u + 1);
}

TEST_F(RunLoop, CpuRunRefreshesTheLevelFirst) {
  PokeWords(0x1000, {kStop, 0x2000});
  M68kRun(8);
  TimerIrq = 1;
  M68kIntLevel = 0;
  FillNops(VectorHandler(25), VectorHandler(25) + 0x100);
  EXPECT_EQ(CpuRun(8), 8u);
  EXPECT_EQ(M68kPC, VectorHandler(25) + 16);
  TimerIrq = 0;
  UpdateInterruptLevel();
}

TEST_F(RunLoop, FetchWrapsAtTheEndOfTheWindow) {
  M68kPC = 0x1FFFE;
  Poke16(0x1FFFE, kNop);
  FillNops(0, 0x10);
  EXPECT_EQ(M68kRun(8), 8u);
  // The PC keeps counting past the window; fetches reduce it to 17 bits.
  EXPECT_EQ(M68kPC, 0x1FFFEu + 16);
}

}  // namespace

// Scc and DBcc: Scc's single byte write (no read), its A7 rule and invalid mode-7
// fields; DBcc's counter wrap and when it reads its displacement.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/instruction.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

TEST(Scc, WritesOneByteAndNeverReadsTheOperand) {
  ResetProcessor(0x1000);
  M68kRegs[8 + 3] = 0x3000;
  Poke8(0x3000, 0x5A);
  LogAccesses = true;
  RunOne({0x50D3});  // ST (A3)
  std::vector<Access> want = {{'r', 2, 0x1000, 0x50D3}, {'w', 1, 0x3000, 0xFF}};
  EXPECT_EQ(AccessLog, want);
}

TEST(Scc, ByteThroughA7MovesItByTwoAndLandsOnTheOddAddress) {
  struct Case {
    uint16_t opcode;
    unsigned reg;
    uint32_t written, after;
  } cases[] = {
      {0x56E7, 7, 0x0FFF, 0x0FFE},  // SNE -(A7)
      {0x56DF, 7, 0x1001, 0x1002},  // SNE (A7)+
      {0x56E4, 4, 0x0FFF, 0x0FFF},  // SNE -(A4)
      {0x56DC, 4, 0x1000, 0x1001},  // SNE (A4)+
  };
  for (const Case& c : cases) {
    ResetProcessor(0x2000);
    M68kRegs[8 + c.reg] = 0x1000;
    LogAccesses = true;
    RunOne({c.opcode});
    ASSERT_EQ(AccessLog.size(), 2u) << Hex(c.opcode);
    EXPECT_EQ(Hex(AccessLog[1].address), Hex(c.written)) << Hex(c.opcode);
    EXPECT_EQ(Hex(M68kRegs[8 + c.reg]), Hex(c.after)) << Hex(c.opcode);
  }
}

TEST(Scc, AbsoluteShortAddressWrapsOntoTheBus) {
  ResetProcessor(0x1000);
  RunOne({0x50F8, 0x8000});  // ST $FFFF8000.W
  EXPECT_EQ(Peek8(0x18000), 0xFFu);
  EXPECT_EQ(Hex(M68kPC), "0x1004");
}

TEST(Scc, ModeSevenFieldsTwoToSevenAreIllegal) {
  for (uint16_t opcode = 0x50FA; opcode <= 0x50FF; ++opcode) {
    ResetProcessor(0x1000);
    M68kSR = 0x271F;
    PokeWords(0x1002, {0x0000, 0x0000});
    CoreSnapshot before;
    LogAccesses = true;
    RunOne({opcode});
    SCOPED_TRACE(Hex(opcode));
    ExpectIllegalOnly(before, 0x1000);
    EXPECT_EQ(AccessLog[1].kind, 'w');  // no extension word fetched
  }
}

TEST(Dbcc, CounterWrapsInTheLowWordAndEndsTheLoopWithoutReadingTheDisplacement) {
  ResetProcessor(0x1000);
  M68kRegs[0] = 0xABCD0000;
  LogAccesses = true;
  RunOne({0x51C8, 0xFFFC});  // DBF D0
  EXPECT_EQ(Hex(M68kRegs[0]), "0xABCDFFFF");
  EXPECT_EQ(Hex(M68kPC), "0x1004");
  EXPECT_EQ(AccessLog.size(), 1u);

  ResetProcessor(0x1000);
  M68kRegs[0] = 0xABCD0001;
  RunOne({0x51C8, 0xFFFC});
  EXPECT_EQ(Hex(M68kRegs[0]), "0xABCD0000");
  EXPECT_EQ(Hex(M68kPC), "0xFFE");
}

TEST(Dbcc, TrueConditionLeavesTheCounterAndSkipsTheDisplacement) {
  ResetProcessor(0x1000);
  M68kSR |= kSrZ;
  M68kRegs[1] = 0;
  LogAccesses = true;
  RunOne({0x57C9, 0x0010});  // DBEQ D1
  EXPECT_EQ(M68kRegs[1], 0u);
  EXPECT_EQ(Hex(M68kPC), "0x1004");
  EXPECT_EQ(AccessLog.size(), 1u);
}

}  // namespace

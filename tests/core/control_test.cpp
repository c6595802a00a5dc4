// LEA, PEA, JMP and JSR: the address is complete before the stack moves, the stacked
// return addresses, the 32-bit results over the 17-bit bus, and invalid mode-7 fields.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/instruction.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

TEST(Control, JsrReadsItsAddressThenPushesTheNextInstruction) {
  ResetProcessor(0x400, 0x8000);
  LogAccesses = true;
  RunOne({0x4EBA, 0x0010});  // JSR (16,PC)
  std::vector<Access> want = {{'r', 2, 0x400, 0x4EBA}, {'r', 2, 0x402, 0x0010}, {'w', 4, 0x7FFC, 0x404}};
  EXPECT_EQ(AccessLog, want);
  EXPECT_EQ(Hex(M68kPC), "0x412");

  ResetProcessor(0x400, 0x8000);
  RunOne({0x4EB9, 0x0002, 0x0000});  // JSR $20000: the PC takes all 32 bits
  EXPECT_EQ(Hex(Peek32(0x7FFC)), "0x406");
  EXPECT_EQ(Hex(M68kPC), "0x20000");
}

TEST(Control, StackRelativeTargetsUseA7BeforeThePush) {
  ResetProcessor(0x400, 0x8000);
  RunOne({0x4E97});  // JSR (A7)
  EXPECT_EQ(Hex(M68kPC), "0x8000");
  EXPECT_EQ(Hex(M68kRegs[15]), "0x7FFC");

  ResetProcessor(0x400, 0x00021000);  // PEA (A7), A7 above the bus
  RunOne({0x4857});
  EXPECT_EQ(Hex(M68kRegs[15]), "0x20FFC");
  EXPECT_EQ(Hex(Peek32(0x0FFC)), "0x21000");
}

TEST(Control, LeaKeepsAllThirtyTwoBits) {
  ResetProcessor(0x400);
  RunOne({0x43F8, 0x8000});  // LEA $8000.W,A1
  EXPECT_EQ(Hex(M68kRegs[9]), "0xFFFF8000");

  ResetProcessor(0x400);
  M68kRegs[10] = 0x3000;
  M68kRegs[3] = 0x0001FFFF;
  LogAccesses = true;
  RunOne({0x49F2, 0x3010});  // LEA (16,A2,D3.W),A4: the index is -1
  EXPECT_EQ(Hex(M68kRegs[12]), "0x300F");
  EXPECT_EQ(AccessLog.size(), 2u);  // opcode and brief word; no operand access
}

TEST(Control, JmpTakesAnOddTargetAsItIs) {
  ResetProcessor(0x400);
  M68kRegs[8] = 0x3001;
  RunOne({0x4ED0});
  EXPECT_EQ(Hex(M68kPC), "0x3001");
}

TEST(Control, ImmediateAndUnassignedModeSevenFieldsAreIllegal) {
  for (uint16_t opcode : {0x4EFC, 0x4EBD, 0x487E, 0x47FF}) {  // JMP #, JSR, PEA, LEA
    SCOPED_TRACE(Hex(opcode));
    ResetProcessor(0x400);
    M68kSR = 0x2704;
    CoreSnapshot before;
    LogAccesses = true;
    RunOne({opcode, 0x1234, 0x5678});
    ExpectIllegalOnly(before, 0x400);
    EXPECT_EQ(AccessLog[1].kind, 'w');
  }
}

}  // namespace

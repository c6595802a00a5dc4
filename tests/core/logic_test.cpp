// AND, OR, EOR and the immediate forms ANDI, ORI, EORI with their CCR and SR forms.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/flat_memory.h"
#include "tests/support/instruction.h"

using namespace kqtest;

namespace {

class LogicTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(); }

  // The accesses after the opcode fetch.
  std::vector<Access> AccessesAfterOpcode() const {
    return std::vector<Access>(AccessLog.begin() + (AccessLog.empty() ? 0 : 1), AccessLog.end());
  }

  void ExpectIllegalAt(uint32_t opcodeAddress, const char* what) {
    EXPECT_EQ(M68kPC, VectorHandler(4)) << what;
    EXPECT_EQ(Stacked().pc, opcodeAddress) << what;
  }
};

TEST_F(LogicTest, MemoryDestinationIsReadOnceAndWrittenOnceEvenUnchanged) {
  M68kRegs[2] = 0;
  M68kRegs[9] = 0x3002;
  Poke32(0x3002, 0x80000001);
  LogAccesses = true;
  RunOne({0x8591});  // OR.L D2,(A1)
  const std::vector<Access> expected = {{'r', 4, 0x3002, 0x80000001}, {'w', 4, 0x3002, 0x80000001}};
  EXPECT_EQ(AccessesAfterOpcode(), expected);
  EXPECT_EQ(M68kSR & 0x0F, 0x08u);
}

TEST_F(LogicTest, BytesThroughA7MoveItByTwo) {
  M68kRegs[15] = 0x3000;
  Poke8(0x3001, 0x3C);
  M68kRegs[1] = 0xFFFFFFFF;
  RunOne({0xC21F});  // AND.B (A7)+,D1
  EXPECT_EQ(M68kRegs[1], 0xFFFFFF3Cu);
  EXPECT_EQ(M68kRegs[15], 0x3002u);

  M68kRegs[0] = 0x81;
  M68kRegs[15] = 0x3000;
  RunOne({0xB127});  // EOR.B D0,-(A7)
  EXPECT_EQ(Peek8(0x2FFF), 0x81u);
  EXPECT_EQ(M68kRegs[15], 0x2FFEu);

  M68kRegs[15] = 0x3000;
  Poke8(0x3001, 0xF5);
  RunOne({0x021F, 0x000F});  // ANDI.B #$0F,(A7)+
  EXPECT_EQ(Peek8(0x3001), 0x05u);
  EXPECT_EQ(M68kRegs[15], 0x3002u);

  M68kRegs[14] = 0x3000;
  RunOne({0x811E});  // OR.B D0,(A6)+: other registers step by one
  EXPECT_EQ(M68kRegs[14], 0x3001u);
}

TEST_F(LogicTest, ImmediateComesBeforeTheDestinationsExtensionWords) {
  M68kRegs[8] = 0x3000;
  LogAccesses = true;
  RunOne({0x0068, 0x1234, 0x0010});  // ORI.W #$1234,(16,A0)
  EXPECT_EQ(Peek16(0x3010), 0x1234u);
  EXPECT_EQ(M68kPC, 0x1006u);

  ResetProcessor();
  M68kRegs[8] = 0x3000;
  M68kRegs[1] = 4;
  RunOne({0x00B0, 0x1234, 0x5678, 0x1002});  // ORI.L #$12345678,(2,A0,D1.W)
  EXPECT_EQ(Peek32(0x3006), 0x12345678u);
  EXPECT_EQ(M68kPC, 0x1008u);

  // A byte immediate is the low byte of its word; the high byte is never read.
  ResetProcessor();
  LogAccesses = true;
  RunOne({0x0000, 0xFF80});  // ORI.B #$80,D0
  const std::vector<Access> expected = {{'r', 1, 0x1003, 0x80}};
  EXPECT_EQ(AccessesAfterOpcode(), expected);
  EXPECT_EQ(M68kRegs[0], 0x80u);
  EXPECT_EQ(M68kPC, 0x1004u);
}

TEST_F(LogicTest, ConditionCodeFormsTakeTheWholeLowByte) {
  M68kSR = 0x2700;
  RunOne({0x003C, 0x0010});  // ORI #$10,CCR
  EXPECT_EQ(M68kSR, 0x2710);
  RunOne({0x003C, 0x00E0});  // bits 5-7 are stored too
  EXPECT_EQ(M68kSR, 0x27F0);
  RunOne({0x0A3C, 0x0004});  // EORI #4,CCR
  EXPECT_EQ(M68kSR, 0x27F4);
  RunOne({0x023C, 0x0000});  // ANDI #0,CCR
  EXPECT_EQ(M68kSR, 0x2700);
  EXPECT_EQ(M68kPC, 0x1000u + 4 * 4);

  // No privilege needed.
  M68kSR = 0x0000;
  M68kRegs[15] = 0x6000;
  M68kPC = 0x1000;
  RunOne({0x003C, 0x001F});
  EXPECT_EQ(M68kSR, 0x001F);
  EXPECT_EQ(M68kPC, 0x1004u);
}

TEST_F(LogicTest, StatusRegisterFormsInUserStateRaiseThePrivilegeViolation) {
  for (uint16_t opcode : {0x007C, 0x027C, 0x0A7C}) {
    ResetProcessor();
    M68kUSP = 0x6000;
    M68kSetSR(0x0015);  // user state
    LogAccesses = true;
    RunOne({opcode, 0x2700});
    EXPECT_EQ(M68kPC, VectorHandler(8)) << Hex(opcode);
    EXPECT_EQ(Stacked().pc, 0x1000u) << Hex(opcode);
    EXPECT_EQ(Stacked().sr, 0x0015u) << Hex(opcode);
    // The immediate was never fetched: the opcode, the two pushes and the vector only.
    EXPECT_EQ(AccessLog.size(), 4u) << Hex(opcode);
  }
}

TEST_F(LogicTest, StatusRegisterFormsSwitchStacks) {
  M68kRegs[15] = 0x7000;
  M68kUSP = 0x5000;
  RunOne({0x007C, 0x2000});  // ORI #$2000,SR: stays supervisor
  EXPECT_EQ(M68kRegs[15], 0x7000u);
  EXPECT_EQ(M68kSSP, 0x7000u);

  M68kSR = 0x2715;
  RunOne({0x027C, 0xDFFF});  // ANDI #$DFFF,SR: to user state
  EXPECT_EQ(M68kSR, 0x0715);
  EXPECT_EQ(M68kRegs[15], 0x5000u);
  EXPECT_EQ(M68kSSP, 0x7000u);
  EXPECT_EQ(M68kPC, 0x1008u);

  ResetProcessor();
  M68kUSP = 0x5000;
  RunOne({0x0A7C, 0xA000});  // EORI #$A000,SR: T set, S cleared
  EXPECT_EQ(M68kSR, 0x8700);
  EXPECT_EQ(M68kRegs[15], 0x5000u);
}

TEST_F(LogicTest, StatusRegisterFormsStayInTheRunLoop) {
  // ORI #$8000,SR sets T at once, but the slice goes on untraced, eight instructions to
  // the round; tracing begins with the next entry of the loop.
  PokeWords(0x1000, {0x007C, 0x8000});
  for (uint32_t a = 0x1004; a < 0x1020; a += 2) Poke16(a, 0x4E71);  // NOP
  EXPECT_EQ(M68kRun(8), 8u);
  EXPECT_EQ(M68kPC, 0x1004u + 7 * 2);
  EXPECT_EQ(M68kSR & 0x8000, 0x8000);
  M68kRun(1);
  EXPECT_EQ(Stacked().pc, 0x1014u);  // traced after the next NOP
  EXPECT_EQ(Stacked().sr & 0x8000, 0x8000u);
}

TEST_F(LogicTest, InvalidModeSevenFieldsChangeNothing) {
  struct Case {
    uint16_t opcode;
    const char* what;
  };
  const Case cases[] = {
      {0xC13C, "AND.B D0,#imm"},     {0xC03D, "AND.B <5>,D0"},      {0x8B7A, "OR.W D5,(d16,PC)"},
      {0x813B, "OR.B D0,(d8,PC,Xn)"}, {0xB13C, "EOR.B D0,#imm"},     {0xB5BA, "EOR.L D2,(d16,PC)"},
      {0x003A, "ORI.B #,(d16,PC)"},  {0x027B, "ANDI.W #,(d8,PC,Xn)"}, {0x0A3F, "EORI.B #,<7>"},
      {0x007D, "ORI.W #,<5>"},
  };
  for (const Case& c : cases) {
    ResetProcessor();
    M68kRegs[0] = 0x12345678;
    M68kRegs[5] = 0x9ABCDEF0;
    M68kSR = 0x2705;
    LogAccesses = true;
    RunOne({c.opcode, 0xFFFF, 0xFFFF});
    ExpectIllegalAt(0x1000, c.what);
    EXPECT_EQ(Stacked().sr, 0x2705u) << c.what;
    EXPECT_EQ(M68kRegs[0], 0x12345678u) << c.what;
    EXPECT_EQ(M68kRegs[5], 0x9ABCDEF0u) << c.what;
    EXPECT_EQ(AccessLog.size(), 4u) << c.what;  // opcode, two pushes, vector
  }
}

TEST_F(LogicTest, LongImmediateFormsRewindTheirImmediateBeforeTheException) {
  for (uint16_t opcode : {0x00BC, 0x02BA, 0x0ABF}) {  // ORI.L #,#imm; ANDI.L #,(d16,PC); EORI.L #,<7>
    ResetProcessor();
    LogAccesses = true;
    RunOne({opcode, 0x1234, 0x5678});
    ExpectIllegalAt(0x1000, "long immediate form");
    ASSERT_GE(AccessLog.size(), 2u);
    EXPECT_EQ(AccessLog[1], (Access{'r', 4, 0x1002, 0x12345678}));
  }
}

TEST_F(LogicTest, AddressRegisterSourcesAndDestinationsAreIllegalSlots) {
  for (unsigned opcode : {0xC008u, 0x8048u, 0xC088u, 0x0008u, 0x0248u, 0x0A88u, 0x00C0u, 0x0EFFu}) {
    EXPECT_EQ(std::string(M68kOpNames[opcode >> 3]), "M68kIllegal") << Hex(opcode);
  }
}

}  // namespace

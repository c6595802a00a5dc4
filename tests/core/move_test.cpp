// MOVE, MOVEA and MOVEQ: what the recorded single-instruction tests cannot show — the
// 17-bit bus, byte moves through A7, the order of accesses, odd addresses, MOVEA's
// register rules and the handler names in the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/Io.h"
#include "core/68000.h"
#include "tests/support/instruction.h"

namespace {

using kqtest::Access;

using MoveTest = kqtest::StepTest;

TEST_F(MoveTest, AddressesWrapOnTheBusWhileRegistersKeepFullValues) {
  M68kRegs[8] = 0x00020010;  // A0
  kqtest::Poke8(0x0010, 0x5A);
  auto log = Run({0x1018});  // MOVE.B (A0)+,D0
  EXPECT_EQ(log, (std::vector<Access>{{'r', 1, 0x0010, 0x5A}}));
  EXPECT_EQ(M68kRegs[8], 0x00020011u);
  EXPECT_EQ(M68kRegs[0], 0x5Au);

  // abs.W 0x8000 is sign-extended to 0xFFFF8000 and reaches the bus as 0x18000.
  M68kRegs[1] = 0x1234;
  log = Run({0x31C1, 0x8000});  // MOVE.W D1,$8000.W
  EXPECT_EQ(log, (std::vector<Access>{{'r', 2, kPc + 2, 0x8000}, {'w', 2, 0x18000, 0x1234}}));

  // MOVEA keeps the base register's upper bits; only the access is masked.
  M68kRegs[8] = 0x00FE0004;
  kqtest::Poke32(0x0004, 0xCAFEF00D);
  Run({0x2250});  // MOVEA.L (A0),A1
  EXPECT_EQ(M68kRegs[8], 0x00FE0004u);
  EXPECT_EQ(M68kRegs[9], 0xCAFEF00Du);
}

TEST_F(MoveTest, OddAddressesAndPageCrossingsAreSingleCalls) {
  M68kRegs[0] = 0x11223344;
  M68kRegs[8] = 0x2FF;  // a long written here runs into the next page
  auto log = Run({0x2080});  // MOVE.L D0,(A0)
  EXPECT_EQ(log, (std::vector<Access>{{'w', 4, 0x2FF, 0x11223344}}));
  M68kRegs[9] = 0x2301;
  kqtest::Poke16(0x2301, 0xA55A);
  log = Run({0x3211});  // MOVE.W (A1),D1
  EXPECT_EQ(log, (std::vector<Access>{{'r', 2, 0x2301, 0xA55A}}));
}

TEST_F(MoveTest, BytesThroughA7MoveItByTwoAndLieAtTheOddAddress) {
  uint32_t& a7 = M68kRegs[15];
  a7 = 0x7000;
  M68kRegs[0] = 0xAB;
  auto log = Run({0x1F00});  // MOVE.B D0,-(A7)
  EXPECT_EQ(log, (std::vector<Access>{{'w', 1, 0x6FFF, 0xAB}}));
  EXPECT_EQ(a7, 0x6FFEu);

  log = Run({0x121F});  // MOVE.B (A7)+,D1: pops the byte back from the odd address
  EXPECT_EQ(log, (std::vector<Access>{{'r', 1, 0x6FFF, 0xAB}}));
  EXPECT_EQ(a7, 0x7000u);
  EXPECT_EQ(M68kRegs[1] & 0xFF, 0xABu);

  // Both sides through A7 at once: the source's two steps come first.
  kqtest::Poke8(0x7001, 0x42);
  log = Run({0x1F1F});  // MOVE.B (A7)+,-(A7)
  EXPECT_EQ(log, (std::vector<Access>{{'r', 1, 0x7001, 0x42}, {'w', 1, 0x7001, 0x42}}));
  EXPECT_EQ(a7, 0x7000u);

  // Other registers step by one with bytes; words through A7 step by two, unsplit.
  M68kRegs[9] = 0x3000;
  Run({0x1019});  // MOVE.B (A1)+,D0
  EXPECT_EQ(M68kRegs[9], 0x3001u);
  log = Run({0x3F00});  // MOVE.W D0,-(A7)
  EXPECT_EQ(log.back().address, 0x6FFEu);
  EXPECT_EQ(a7, 0x6FFEu);
}

TEST_F(MoveTest, SourceCompletesBeforeTheDestinationIsAddressed) {
  // MOVE.W (A0)+,(d8,A1,A0.L): the index word is fetched after the source read and adds
  // the stepped A0.
  M68kRegs[8] = 0x2000;
  M68kRegs[9] = 0x100;
  kqtest::Poke16(0x2000, 0xBEEF);
  auto log = Run({0x3398, 0x8804});
  EXPECT_EQ(log, (std::vector<Access>{
                     {'r', 2, 0x2000, 0xBEEF}, {'r', 2, kPc + 2, 0x8804}, {'w', 2, 0x2106, 0xBEEF}}));
  EXPECT_EQ(M68kRegs[8], 0x2002u);

  // (d16,A0) to (d16,A1): the first extension word is the source's.
  M68kRegs[8] = 0x3000;
  M68kRegs[9] = 0x4000;
  kqtest::Poke32(0x3010, 0x01020304);
  log = Run({0x2368, 0x0010, 0x0020});  // MOVE.L (16,A0),(32,A1)
  EXPECT_EQ(log, (std::vector<Access>{{'r', 2, kPc + 2, 0x0010},
                                      {'r', 4, 0x3010, 0x01020304},
                                      {'r', 2, kPc + 4, 0x0020},
                                      {'w', 4, 0x4020, 0x01020304}}));
  EXPECT_EQ(M68kPC, kPc + 6);

  // A register source is taken before the destination's step.
  M68kRegs[8] = 0x1800;
  log = Run({0x2108});  // MOVE.L A0,-(A0)
  EXPECT_EQ(log, (std::vector<Access>{{'w', 4, 0x17FC, 0x1800}}));
  EXPECT_EQ(M68kRegs[8], 0x17FCu);
}

// The write handler of page 0x50 records the condition codes at the moment it runs.
uint16_t srAtWrite;
void RecordSrByte(uint32_t, uint32_t) { srAtWrite = M68kSR; }

TEST_F(MoveTest, FlagsAreSetBeforeTheWrite) {
  MemWriteByte[0x50] = RecordSrByte;
  M68kSR |= kSrC | kSrV | kSrX;
  M68kRegs[8] = 0x5000;
  M68kRegs[0] = 0x80;
  Run({0x1080});  // MOVE.B D0,(A0)
  EXPECT_EQ(srAtWrite & 0x1F, kSrN | kSrX);
  kqtest::Poke8(0x5000, 0x80);
  Run({0x4410});  // NEG.B (A0) of 0x80, a read-modify-write
  EXPECT_EQ(srAtWrite & 0x1F, kSrX | kSrN | kSrV | kSrC);
}

TEST_F(MoveTest, MoveaSignExtendsWordsAndLeavesTheFlags) {
  M68kSR |= 0x1F;
  Run({0x307C, 0x8000});  // MOVEA.W #$8000,A0
  EXPECT_EQ(M68kRegs[8], 0xFFFF8000u);
  EXPECT_EQ(M68kPC, kPc + 4);
  M68kRegs[1] = 0x12348765;
  Run({0x3441});  // MOVEA.W D1,A2
  EXPECT_EQ(M68kRegs[10], 0xFFFF8765u);
  Run({0x347C, 0x7FFF});  // MOVEA.W #$7FFF,A2
  EXPECT_EQ(M68kRegs[10], 0x00007FFFu);
  EXPECT_EQ(M68kSR & 0x1F, 0x1F);

  M68kSR &= ~0x1F;
  Run({0x287C, 0x0000, 0x0000});  // MOVEA.L #0,A4: a zero sets no Z
  EXPECT_EQ(M68kSR & 0x1F, 0);
}

TEST(MoveTable, HandlerNames) {
  const std::pair<uint16_t, const char*> expected[] = {
      {0x1618, "M68kOpMOVE_B_PostInc_D3"},       {0x1F38, "M68kOpMOVE_B_Mode7_PreDecA7"},
      {0x25A8, "M68kOpMOVE_L_Disp_IndexA2"},     {0x20D8, "M68kOpMOVE_L_PostInc_PostIncA0"},
      {0x3008, "M68kOpMOVE_W_An_D0"},            {0x33F8, "M68kOpMOVE_W_Mode7_AbsL"},
      {0x11C0, "M68kOpMOVE_B_Dn_AbsW"},          {0x2658, "M68kOpMOVEA_L_PostInc_A3"},
      {0x3E78, "M68kOpMOVEA_W_Mode7_A7"},        {0x7A00, "M68kOpMOVEQ_L_Dn_D5"},
      {0x7AFF, "M68kOpMOVEQ_L_Dn_D5"},           {0x1040, "M68kIllegal"},
      {0x1008, "M68kIllegal"},                   {0x25C0, "M68kIllegal"},
      {0x7100, "M68kIllegal"},
  };
  for (auto [opcode, name] : expected) EXPECT_EQ(std::string(M68kOpNames[opcode >> 3]), name) << kqtest::Hex(opcode);
}

}  // namespace

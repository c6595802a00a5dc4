// BTST, BCHG, BCLR, BSET and MOVEP.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/flat_memory.h"
#include "tests/support/instruction.h"

using namespace kqtest;

namespace {

class BitTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessor(); }
};

// 0000 rrr1 ttmm mxxx and 0000 1000 ttmm mxxx.
constexpr uint16_t kBset = 3;
uint16_t Dynamic(uint16_t op, unsigned dr, unsigned mode, unsigned reg) {
  return uint16_t(0x0100 | dr << 9 | op << 6 | mode << 3 | reg);
}
uint16_t Static(uint16_t op, unsigned mode, unsigned reg) { return uint16_t(0x0800 | op << 6 | mode << 3 | reg); }

TEST_F(BitTest, BitNumbersWrapModulo32InRegistersAndModulo8InMemory) {
  struct Case {
    uint32_t number;
    unsigned registerBit, memoryBit;
  };
  const Case cases[] = {{7, 7, 7}, {8, 8, 0}, {31, 31, 7}, {32, 0, 0}, {255, 31, 7}, {0xFFFFFFFF, 31, 7}};
  for (const Case& c : cases) {
    ResetProcessor();
    M68kRegs[1] = c.number;
    M68kRegs[2] = 0;
    RunOne({Dynamic(kBset, 1, 0, 2)});  // BSET D1,D2
    EXPECT_EQ(M68kRegs[2], 1u << c.registerBit) << c.number;
    EXPECT_EQ(M68kSR & 0x04, 0x04) << c.number;

    M68kRegs[8] = 0x3000;
    RunOne({Dynamic(kBset, 1, 2, 0)});  // BSET D1,(A0)
    EXPECT_EQ(Peek8(0x3000), 1u << c.memoryBit) << c.number;
  }
}

TEST_F(BitTest, StaticBitNumberIsTheLowByteOfItsWord) {
  struct Case {
    uint16_t word;
    unsigned registerBit, memoryBit;
  };
  const Case cases[] = {{0x0007, 7, 7}, {0x0008, 8, 0}, {0x001F, 31, 7}, {0x0020, 0, 0}, {0x00FF, 31, 7}, {0xFF05, 5, 5}};
  for (const Case& c : cases) {
    ResetProcessor();
    LogAccesses = true;
    RunOne({Static(kBset, 0, 2), c.word});  // BSET #n,D2
    EXPECT_EQ(M68kRegs[2], 1u << c.registerBit) << Hex(c.word);
    EXPECT_EQ(AccessLog[1], (Access{'r', 1, 0x1003, c.word & 0xFFu})) << Hex(c.word);
    EXPECT_EQ(M68kPC, 0x1004u);

    M68kRegs[8] = 0x3000;
    RunOne({Static(kBset, 2, 0), c.word});  // BSET #n,(A0)
    EXPECT_EQ(Peek8(0x3000), 1u << c.memoryBit) << Hex(c.word);
  }
}

TEST_F(BitTest, MemoryByteIsReadOnceAndWrittenOnce) {
  M68kRegs[8] = 0x3001;
  Poke8(0x3001, 0x80);
  M68kRegs[1] = 7;
  LogAccesses = true;
  RunOne({Dynamic(2, 1, 2, 0)});  // BCLR D1,(A0)
  const std::vector<Access> expected = {{'r', 2, 0x1000, Dynamic(2, 1, 2, 0)},
                                        {'r', 1, 0x3001, 0x80},
                                        {'w', 1, 0x3001, 0x00}};
  EXPECT_EQ(AccessLog, expected);
  EXPECT_EQ(M68kSR & 0x04, 0);

  // BTST reads and never writes.
  AccessLog.clear();
  RunOne({Dynamic(0, 1, 2, 0)});
  EXPECT_EQ(AccessLog.size(), 2u);
}

TEST_F(BitTest, StackPointerStepsByTwoOtherRegistersByOne) {
  M68kRegs[15] = 0x2000;
  RunOne({Static(kBset, 3, 7), 0});  // BSET #0,(A7)+
  EXPECT_EQ(Peek8(0x2001), 0x01u);
  EXPECT_EQ(M68kRegs[15], 0x2002u);
  M68kRegs[15] = 0x2000;
  RunOne({Static(kBset, 4, 7), 1});  // BSET #1,-(A7)
  EXPECT_EQ(Peek8(0x1FFF), 0x02u);
  EXPECT_EQ(M68kRegs[15], 0x1FFEu);
  M68kRegs[11] = 0x2000;
  RunOne({Static(kBset, 3, 3), 2});  // BSET #2,(A3)+
  EXPECT_EQ(Peek8(0x2000), 0x04u);
  EXPECT_EQ(M68kRegs[11], 0x2001u);
}

TEST_F(BitTest, ChangingOperationsWriteBackToPcRelativeAddresses) {
  // BCHG D0,(d16,PC): the base is the extension word's address.
  Poke8(0x1012, 0x0F);
  RunOne({0x017A, 0x0010});
  EXPECT_EQ(Peek8(0x1012), 0x0Eu);
  EXPECT_EQ(M68kPC, 0x1004u);
  // BSET #7,(d16,PC): after the bit-number word, so the base is the opcode + 4.
  RunOne({Static(kBset, 7, 2), 0x0007, 0x0010});
  EXPECT_EQ(Peek8(0x1004 + 4 + 0x10), 0x80u);
  EXPECT_EQ(M68kPC, 0x100Au);
  // BCLR D0,(d8,PC,D1.W)
  M68kRegs[1] = 2;
  Poke8(0x100C + 2 + 3, 0xFF);
  RunOne({Dynamic(2, 0, 7, 3), 0x1003});
  EXPECT_EQ(Peek8(0x100C + 2 + 3), 0xFEu);
}

TEST_F(BitTest, ImmediateAndUndefinedDestinationsAreIllegalBeforeAnyFetch) {
  for (uint16_t opcode : {uint16_t(0x013C), Dynamic(kBset, 3, 7, 5), Dynamic(1, 0, 7, 7), uint16_t(0x083C),
                          Static(kBset, 7, 4), Static(2, 7, 6)}) {
    ResetProcessor();
    M68kSR = 0x2704;
    LogAccesses = true;
    RunOne({opcode, 0x0001, 0x0002});
    EXPECT_EQ(M68kPC, VectorHandler(4)) << Hex(opcode);
    EXPECT_EQ(Stacked().pc, 0x1000u) << Hex(opcode);
    EXPECT_EQ(Stacked().sr, 0x2704u) << Hex(opcode);
    EXPECT_EQ(AccessLog.size(), 4u) << Hex(opcode);  // opcode, two pushes, vector
  }
  for (unsigned opcode : {0x0808u, 0x0848u, 0x0888u, 0x08C8u})
    EXPECT_EQ(std::string(M68kOpNames[opcode >> 3]), "M68kIllegal") << Hex(opcode);
}

// ---- MOVEP --------------------------------------------------------------------------

// 0000 xxx1 oo00 1yyy: opmode 4 word to Dx, 5 long to Dx, 6 word to memory, 7 long.
uint16_t Movep(unsigned opmode, unsigned dx, unsigned ay) { return uint16_t(0x0008 | dx << 9 | opmode << 6 | ay); }

TEST_F(BitTest, MovepReadsEveryOtherByteMostSignificantFirst) {
  M68kRegs[8] = 0x3000;
  PokeWords(0x3000, {0xAB11, 0xCD22, 0xEF33, 0x0144});
  M68kRegs[1] = 0x12345678;
  M68kSR = 0x2715;
  LogAccesses = true;
  RunOne({Movep(4, 1, 0), 0x0000});  // MOVEP.W (0,A0),D1
  EXPECT_EQ(M68kRegs[1], 0x1234ABCDu);
  const std::vector<Access> word = {{'r', 2, 0x1002, 0}, {'r', 1, 0x3000, 0xAB}, {'r', 1, 0x3002, 0xCD}};
  EXPECT_EQ(std::vector<Access>(AccessLog.begin() + 1, AccessLog.end()), word);

  RunOne({Movep(5, 1, 0), 0x0000});  // MOVEP.L (0,A0),D1
  EXPECT_EQ(M68kRegs[1], 0xABCDEF01u);
  EXPECT_EQ(M68kSR, 0x2715);  // no flag changes
  EXPECT_EQ(M68kRegs[8], 0x3000u);
}

TEST_F(BitTest, MovepWritesEveryOtherByteInOrder) {
  M68kRegs[15] = 0x4000;
  M68kRegs[2] = 0x8899AABB;
  LogAccesses = true;
  RunOne({Movep(7, 2, 7), 0xFFFE});  // MOVEP.L D2,(-2,A7)
  const std::vector<Access> expected = {{'r', 2, 0x1002, 0xFFFE},
                                        {'w', 1, 0x3FFE, 0x88},
                                        {'w', 1, 0x4000, 0x99},
                                        {'w', 1, 0x4002, 0xAA},
                                        {'w', 1, 0x4004, 0xBB}};
  EXPECT_EQ(std::vector<Access>(AccessLog.begin() + 1, AccessLog.end()), expected);
  EXPECT_EQ(M68kRegs[15], 0x4000u);

  RunOne({Movep(6, 2, 7), 0x7FFF});  // MOVEP.W D2,(32767,A7): odd addresses
  EXPECT_EQ(Peek8(0x4000 + 0x7FFF), 0xAAu);
  EXPECT_EQ(Peek8(0x4000 + 0x7FFF + 2), 0xBBu);
}

TEST_F(BitTest, MovepByteAddressesWrapIntoTheBusOneByOne) {
  M68kRegs[8] = 0x1FFFF;
  Poke8(0x1FFFE, 0x11);
  Poke8(0x00000, 0x22);
  Poke8(0x00002, 0x33);
  Poke8(0x00004, 0x44);
  RunOne({Movep(5, 0, 0), 0xFFFF});  // MOVEP.L (-1,A0),D0
  EXPECT_EQ(M68kRegs[0], 0x11223344u);
}

}  // namespace

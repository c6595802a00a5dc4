// Effective addressing and the bus as the core uses it: which accesses happen, at which
// addresses, in which order, and what the registers look like afterwards.
#include <gtest/gtest.h>

#include <vector>

#include "core/ea.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;
using namespace m68k;

namespace {

class Addressing : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProcessor(0x1000, 0x8000);
    M68kPC = 0x1002;  // as if the opcode at 0x1000 had just been fetched
  }
  std::vector<Access> Log(auto&& body) {
    AccessLog.clear();
    LogAccesses = true;
    body();
    LogAccesses = false;
    return AccessLog;
  }
};

TEST_F(Addressing, A7MovesByTwoWithBytesAndTheByteIsTheOddOne) {
  M68kRegs[15] = 0x1000;
  M68kEffectiveAddress<Size::B, kPostInc> pop(7);
  ASSERT_TRUE(pop.Locate());
  EXPECT_EQ(pop.address, 0x1001u);
  EXPECT_EQ(M68kRegs[15], 0x1002u);

  M68kRegs[15] = 0x1000;
  M68kEffectiveAddress<Size::B, kPreDec> push(7);
  ASSERT_TRUE(push.Locate());
  EXPECT_EQ(push.address, 0x0FFFu);
  EXPECT_EQ(M68kRegs[15], 0x0FFEu);

  M68kRegs[11] = 0x1000;  // A3 moves by one
  M68kEffectiveAddress<Size::B, kPostInc> a3(3);
  ASSERT_TRUE(a3.Locate());
  EXPECT_EQ(a3.address, 0x1000u);
  EXPECT_EQ(M68kRegs[11], 0x1001u);

  M68kRegs[15] = 0x1000;
  M68kEffectiveAddress<Size::W, kPreDec> word(7);
  ASSERT_TRUE(word.Locate());
  EXPECT_EQ(word.address, 0x0FFEu);
  M68kEffectiveAddress<Size::L, kPostInc> lng(7);
  ASSERT_TRUE(lng.Locate());
  EXPECT_EQ(M68kRegs[15], 0x1002u);
}

TEST_F(Addressing, RegistersKeepTheirFullValueAndAccessesWrap) {
  M68kRegs[8] = 0x00020010;
  Poke8(0x0010, 0x5A);
  M68kEffectiveAddress<Size::B, kPostInc> ea(0);
  auto log = Log([&] {
    ASSERT_TRUE(ea.Locate());
    EXPECT_EQ(ea.Read(), 0x5Au);
  });
  EXPECT_EQ(M68kRegs[8], 0x00020011u);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], (Access{'r', 1, 0x0010, 0x5A}));
}

TEST_F(Addressing, BriefIndexUsesAnyRegisterWordOrLong) {
  M68kRegs[8] = 0x2000;
  M68kRegs[1] = 0x0001FFFF;
  PokeWords(0x1002, {0x1000 | 0x04});  // D1.W, displacement 4
  M68kEffectiveAddress<Size::W, kIndex> word(0);
  ASSERT_TRUE(word.Locate());
  EXPECT_EQ(word.address, 0x2000u - 1 + 4);
  EXPECT_EQ(M68kPC, 0x1004u);

  PokeWords(0x1004, {0x1800 | 0x700 | 0xFC});  // D1.L, bits 10-8 set, displacement -4
  M68kEffectiveAddress<Size::W, kIndex> lng(0);
  ASSERT_TRUE(lng.Locate());
  EXPECT_EQ(lng.address, 0x2000u + 0x0001FFFF - 4);

  M68kRegs[15] = 0x100;
  PokeWords(0x1006, {0xF000});  // index 15 is A7
  M68kEffectiveAddress<Size::W, kIndex> a7(0);
  ASSERT_TRUE(a7.Locate());
  EXPECT_EQ(a7.address, 0x2100u);
}

TEST_F(Addressing, AbsoluteShortIsSignExtended) {
  PokeWords(0x1002, {0x8000});
  Poke16(0x18000, 0xBEEF);
  M68kEffectiveAddress<Size::W, kMode7, kAlterable7> ea(0);
  ASSERT_TRUE(ea.Locate());
  EXPECT_EQ(ea.address, 0xFFFF8000u);
  EXPECT_EQ(ea.Read(), 0xBEEFu);
}

TEST_F(Addressing, AbsoluteLongAndLongImmediateAreOneLongRead) {
  PokeWords(0x1002, {0x0001, 0x2344});
  M68kEffectiveAddress<Size::W, kMode7> abs(1);
  auto log = Log([&] { ASSERT_TRUE(abs.Locate()); });
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], (Access{'r', 4, 0x1002, 0x12344}));
  EXPECT_EQ(M68kPC, 0x1006u);

  PokeWords(0x1006, {0xCAFE, 0xF00D});
  M68kEffectiveAddress<Size::L, kMode7> imm(4);
  log = Log([&] { ASSERT_TRUE(imm.Locate()); });
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(imm.Read(), 0xCAFEF00Du);
  EXPECT_EQ(M68kPC, 0x100Au);
}

TEST_F(Addressing, ByteImmediateIsTheLowByteOfItsWord) {
  PokeWords(0x1002, {0x12AB});
  M68kEffectiveAddress<Size::B, kMode7> imm(4);
  auto log = Log([&] { ASSERT_TRUE(imm.Locate()); });
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], (Access{'r', 1, 0x1003, 0xAB}));
  EXPECT_EQ(imm.Read(), 0xABu);
  EXPECT_EQ(M68kPC, 0x1004u);
}

TEST_F(Addressing, PcRelativeBaseIsTheExtensionWordsAddress) {
  PokeWords(0x1002, {0x0010});
  M68kEffectiveAddress<Size::W, kMode7> disp(2);
  ASSERT_TRUE(disp.Locate());
  EXPECT_EQ(disp.address, 0x1012u);

  M68kPC = 0x2000;
  M68kRegs[2] = 0x10;
  PokeWords(0x2000, {0x2000 | 0xFE});  // D2.W, displacement -2
  M68kEffectiveAddress<Size::W, kMode7> index(3);
  ASSERT_TRUE(index.Locate());
  EXPECT_EQ(index.address, 0x2000u + 0x10 - 2);
}

TEST_F(Addressing, RejectedMode7FieldTakesOnlyTheIllegalInstruction) {
  for (unsigned reg : {2u, 3u, 4u, 5u, 6u, 7u}) {
    ResetProcessor(0x1000, 0x8000);
    M68kPC = 0x1002;
    M68kSR = 0x2715;
    uint32_t regs[16];
    std::copy(std::begin(M68kRegs), std::end(M68kRegs), regs);
    M68kEffectiveAddress<Size::W, kMode7, kAlterable7> ea(reg);
    auto log = Log([&] { EXPECT_FALSE(ea.Locate()); });
    EXPECT_EQ(M68kPC, VectorHandler(kVecIllegal)) << reg;
    EXPECT_EQ(Peek32(0x8000 - 4), 0x1000u) << reg;
    EXPECT_EQ(M68kSR, 0x2715);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(M68kRegs[i], regs[i]);
    // The frame and the vector: no extension word was read.
    for (const Access& a : log) EXPECT_TRUE(a.kind == 'w' || a.address == kVecIllegal * 4);
  }
}

TEST_F(Addressing, ReadModifyWriteIsAddressedOnce) {
  M68kRegs[9] = 0x3000;
  Poke16(0x2FFE, 0x1234);
  M68kEffectiveAddress<Size::W, kPreDec> ea(1);
  auto log = Log([&] {
    ASSERT_TRUE(ea.Locate());
    ea.Write(ea.Read() + 1);
  });
  EXPECT_EQ(M68kRegs[9], 0x2FFEu);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], (Access{'r', 2, 0x2FFE, 0x1234}));
  EXPECT_EQ(log[1], (Access{'w', 2, 0x2FFE, 0x1235}));
}

TEST_F(Addressing, DataRegisterWritesKeepTheUpperBits) {
  M68kRegs[3] = 0x12345678;
  M68kEffectiveAddress<Size::B, kDn>(3).Write(0xAB);
  EXPECT_EQ(M68kRegs[3], 0x123456ABu);
  M68kEffectiveAddress<Size::W, kDn>(3).Write(0xCDEF);
  EXPECT_EQ(M68kRegs[3], 0x1234CDEFu);
  EXPECT_EQ((M68kEffectiveAddress<Size::W, kAn>(3).Read()), 0u);
  M68kRegs[11] = 0x89ABCDEF;
  EXPECT_EQ((M68kEffectiveAddress<Size::W, kAn>(3).Read()), 0xCDEFu);
}

// ---- The bus ------------------------------------------------------------------------

std::vector<std::pair<int, uint32_t>> calls;
template <int Page> uint32_t Probe(uint32_t address) {
  calls.push_back({Page, address});
  return 0;
}
template <int Page> void ProbeWrite(uint32_t address, uint32_t) { calls.push_back({Page, address}); }

TEST(Bus, OneCallPerAccessChosenByTheFirstBytesPage) {
  InitMemoryMap();
  MapReadHandlers(0x000, 0x100, Probe<0>, Probe<0>, Probe<0>);
  MapReadHandlers(0x100, 0x100, Probe<1>, Probe<1>, Probe<1>);
  MapReadHandlers(0x1200, 0x100, Probe<0x12>, Probe<0x12>, Probe<0x12>);
  MapWriteHandlers(0x100, 0x100, ProbeWrite<1>, ProbeWrite<1>, ProbeWrite<1>);
  calls.clear();
  ReadWord(0xFF);
  ReadLong(0x1FE);
  ReadByte(0x21234);
  WriteLong(0x101, 0);
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], std::make_pair(0, 0xFFu));
  EXPECT_EQ(calls[1], std::make_pair(1, 0x1FEu));
  EXPECT_EQ(calls[2], std::make_pair(0x12, 0x1234u));
  EXPECT_EQ(calls[3], std::make_pair(1, 0x101u));
}

TEST(Bus, EmptyBusReadsAllOnesAndIgnoresWrites) {
  InitMemoryMap();
  EXPECT_EQ(ReadByte(0x14000), 0xFFu);
  EXPECT_EQ(ReadWord(0x1EE00), 0xFFFFu);
  EXPECT_EQ(ReadLong(0x1FFFC), 0xFFFFFFFFu);
  WriteLong(0x14000, 0);
  EXPECT_EQ(ReadLong(0x14000), 0xFFFFFFFFu);
}

TEST(Bus, LaterMappingsReplaceEarlierOnesPageByPage) {
  InitMemoryMap();
  MapReadHandlers(0x1000, 0x300, Probe<1>, Probe<1>, Probe<1>);
  MapReadHandlers(0x1100, 0x100, Probe<2>, Probe<2>, Probe<2>);
  EXPECT_EQ(MemReadWord[0x10], Probe<1>);
  EXPECT_EQ(MemReadWord[0x11], Probe<2>);
  EXPECT_EQ(MemReadWord[0x12], Probe<1>);
  EXPECT_EQ(MemReadWord[0x13], OpenBusReadWord);
  EXPECT_EQ(MemWriteWord[0x11], IgnoreWriteWord);
}

TEST(Bus, MappingOutsideTheWindowIsAProgrammingError) {
  // Checked where assertions are on (debug and sanitizer builds); elsewhere the pages
  // outside the window are left alone.
  EXPECT_DEBUG_DEATH(MapReadHandlers(0x1FF00, 0x200, Probe<0>, Probe<0>, Probe<0>), "");
  EXPECT_DEBUG_DEATH(MapWriteHandlers(0x20000, 0x100, ProbeWrite<0>, ProbeWrite<0>, ProbeWrite<0>), "");
  EXPECT_DEBUG_DEATH(MapReadHandlers(0x1080, 0x100, Probe<0>, Probe<0>, Probe<0>), "");
  InitMemoryMap();
}

}  // namespace

// MOVEM: register orders of both mask layouts, the address-register update of (An)+
// and -(An), the order of its accesses, the bus mask, and invalid mode-7 fields.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/instruction.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

constexpr unsigned A(unsigned n) { return 8 + n; }

TEST(Movem, PredecrementStoresFromA7DownToD0AndWritesAnOnceAtTheEnd) {
  ResetProcessor(0x1000, 0x8000);
  M68kRegs[0] = 0xD0D0D0D0;
  M68kRegs[A(6)] = 0xA6A6A6A6;
  LogAccesses = true;
  RunOne({0x48E7, 0x8002});  // MOVEM.L D0/A6,-(A7)
  std::vector<Access> want = {{'r', 2, 0x1000, 0x48E7},
                              {'r', 2, 0x1002, 0x8002},
                              {'w', 4, 0x7FFC, 0xA6A6A6A6},
                              {'w', 4, 0x7FF8, 0xD0D0D0D0}};
  EXPECT_EQ(AccessLog, want);
  EXPECT_EQ(Hex(M68kRegs[15]), "0x7FF8");
}

TEST(Movem, StoredAddressRegisterIsItsValueBeforeTheInstruction) {
  ResetProcessor(0x1000, 0x8000);
  RunOne({0x48E7, 0x0001});  // MOVEM.L A7,-(A7)
  EXPECT_EQ(Hex(Peek32(0x7FFC)), "0x8000");
  EXPECT_EQ(Hex(M68kRegs[15]), "0x7FFC");

  ResetProcessor(0x1000);
  for (unsigned r = 0; r < 15; ++r) M68kRegs[r] = 0x10000 * r + 0x100 + r;
  M68kRegs[A(0)] = 0x3000;
  RunOne({0x4890, 0xFFFF});  // MOVEM.W D0-D7/A0-A7,(A0)
  for (unsigned r = 0; r < 16; ++r) EXPECT_EQ(Peek16(0x3000 + 2 * r), M68kRegs[r] & 0xFFFF) << r;
  EXPECT_EQ(Peek16(0x3010), 0x3000u);
  EXPECT_EQ(Hex(M68kRegs[A(0)]), "0x3000");
}

TEST(Movem, PostincrementLoadsFromD0UpAndTheFinalAddressWins) {
  ResetProcessor(0x1000, 0x8000);
  M68kRegs[15] = 0x7FF8;
  Poke32(0x7FF8, 0x11111111);
  Poke32(0x7FFC, 0x22222222);
  RunOne({0x4CDF, 0x4001});  // MOVEM.L (A7)+,D0/A6
  EXPECT_EQ(Hex(M68kRegs[0]), "0x11111111");
  EXPECT_EQ(Hex(M68kRegs[A(6)]), "0x22222222");
  EXPECT_EQ(Hex(M68kRegs[15]), "0x8000");

  ResetProcessor(0x1000);
  M68kRegs[A(0)] = 0x3000;
  Poke16(0x3000, 0x8000);
  RunOne({0x4C98, 0x0102});  // MOVEM.W (A0)+,D1/A0
  EXPECT_EQ(Hex(M68kRegs[1]), "0xFFFF8000");  // whole register, sign-extended
  EXPECT_EQ(Hex(M68kRegs[A(0)]), "0x3004");   // the loaded word is lost
}

TEST(Movem, LoadingTheBaseRegisterDoesNotMoveTheTransfer) {
  ResetProcessor(0x1000);
  M68kRegs[A(0)] = 0x3000;
  Poke32(0x3000, 0x5000);
  Poke32(0x3004, 0x12345678);
  RunOne({0x4CD0, 0x0300});  // MOVEM.L (A0),A0/A1
  EXPECT_EQ(Hex(M68kRegs[A(0)]), "0x5000");
  EXPECT_EQ(Hex(M68kRegs[A(1)]), "0x12345678");
}

TEST(Movem, MaskComesBeforeTheAddressWordsAndAnEmptyMaskMovesNothing) {
  ResetProcessor(0x1000);
  M68kRegs[A(2)] = 0x3000;
  LogAccesses = true;
  RunOne({0x4CAA, 0x0000, 0x0010});  // MOVEM.W (16,A2),<none>
  std::vector<Access> want = {{'r', 2, 0x1000, 0x4CAA}, {'r', 2, 0x1002, 0x0000}, {'r', 2, 0x1004, 0x0010}};
  EXPECT_EQ(AccessLog, want);
  EXPECT_EQ(Hex(M68kPC), "0x1006");
}

TEST(Movem, EachTransferIsMaskedOntoTheBus) {
  ResetProcessor(0x1000);
  M68kRegs[0] = 0xAAAAAAAA;
  M68kRegs[1] = 0xBBBBBBBB;
  RunOne({0x48F9, 0x0003, 0x0001, 0xFFFC});  // MOVEM.L D0/D1,$1FFFC
  EXPECT_EQ(Hex(Peek32(0x1FFFC)), "0xAAAAAAAA");
  EXPECT_EQ(Hex(Peek32(0x00000)), "0xBBBBBBBB");
}

TEST(Movem, InvalidModeSevenFieldStacksTheOpcodeAfterReadingTheMask) {
  // Stores accept abs.W and abs.L; loads also the two PC-relative forms.
  for (uint16_t opcode : {0x48BA, 0x48BB, 0x48BC, 0x48FD, 0x4CFC, 0x4CBD, 0x4CFF}) {
    SCOPED_TRACE(Hex(opcode));
    ResetProcessor(0x1000);
    for (unsigned r = 0; r < 15; ++r) M68kRegs[r] = 0x2000 + r;
    M68kSR = 0x271F;
    CoreSnapshot before;
    LogAccesses = true;
    RunOne({opcode, 0xFFFF, 0x0000});
    ExpectIllegalOnly(before, 0x1000);
    ASSERT_GE(AccessLog.size(), 3u);
    EXPECT_EQ(AccessLog[1], (Access{'r', 2, 0x1002, 0xFFFF}));
    EXPECT_EQ(AccessLog[2].kind, 'w');
  }
}

}  // namespace

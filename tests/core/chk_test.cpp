// CHK: only N changes, the trap frame, the source read in every case, and an invalid
// mode-7 field.
#include <gtest/gtest.h>

#include "core/68000.h"
#include "tests/support/instruction.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

struct ChkCase {
  uint32_t value;  // D0
  uint16_t bound;  // D1
  bool traps;
  bool negative;
};

TEST(Chk, OnlyNChangesAndOutOfRangeTrapsPastTheInstruction) {
  const ChkCase cases[] = {
      {5, 10, false, false},       {10, 10, false, false}, {0, 10, false, false},  {11, 10, true, false},
      {0x10005, 10, false, false}, {0xFFFF, 10, true, true}, {0, 0xFFFF, true, false}, {0x8000, 0x7FFF, true, true},
  };
  for (const ChkCase& c : cases) {
    for (uint16_t ccr : {0x00, 0x1F, 0x17}) {
      SCOPED_TRACE(Hex(c.value) + " against " + Hex(c.bound) + ", CCR " + Hex(ccr));
      ResetProcessor(0x1000, 0x8000);
      M68kSR = uint16_t(0x2700 | ccr);
      M68kRegs[0] = c.value;
      M68kRegs[1] = c.bound;
      RunOne({0x4181});  // CHK D1,D0
      const uint16_t sr = uint16_t((0x2700 | ccr) & ~kSrN) | (c.negative ? kSrN : 0);
      EXPECT_EQ(Hex(M68kSR), Hex(sr));
      EXPECT_EQ(M68kRegs[0], c.value);
      if (c.traps) {
        EXPECT_EQ(Hex(M68kPC), Hex(VectorHandler(kVecChk)));
        EXPECT_EQ(Hex(M68kRegs[15]), "0x7FFA");
        EXPECT_EQ(Hex(Peek16(0x7FFA)), Hex(sr));
        EXPECT_EQ(Hex(Peek32(0x7FFC)), "0x1002");
      } else {
        EXPECT_EQ(Hex(M68kPC), "0x1002");
        EXPECT_EQ(Hex(M68kRegs[15]), "0x8000");
      }
    }
  }
}

TEST(Chk, StacksTheAddressAfterTheExtensionWords) {
  ResetProcessor(0x400, 0x8000);
  M68kRegs[8] = 0x3000;
  Poke16(0x3010, 3);
  M68kRegs[0] = 4;
  RunOne({0x41A8, 0x0010});  // CHK (16,A0),D0
  EXPECT_EQ(Hex(Peek32(0x7FFC)), "0x404");
}

TEST(Chk, ReadsTheBoundEvenForANegativeValueAndStepsA7ByTwo) {
  ResetProcessor(0x1000, 0x8000);
  M68kRegs[0] = 0xFFFF;
  LogAccesses = true;
  RunOne({0x41A7});  // CHK -(A7),D0
  ASSERT_GE(AccessLog.size(), 2u);
  EXPECT_EQ(AccessLog[1], (Access{'r', 2, 0x7FFE, 0}));
  EXPECT_EQ(Hex(M68kRegs[15]), "0x7FF8");  // 0x7FFE less the frame
  EXPECT_EQ(Hex(M68kPC), Hex(VectorHandler(kVecChk)));
}

TEST(Chk, ImmediateBoundAndInvalidModeSevenField) {
  ResetProcessor(0x1000);
  M68kRegs[2] = 100;
  RunOne({0x45BC, 100});  // CHK #100,D2
  EXPECT_EQ(Hex(M68kPC), "0x1004");

  ResetProcessor(0x1000);
  M68kSR = 0x2715;
  M68kRegs[0] = 0xFFFF;
  CoreSnapshot before;
  LogAccesses = true;
  RunOne({0x41BD, 0x0000});  // mode 7, field 5
  ExpectIllegalOnly(before, 0x1000);
}

}  // namespace

// BRA, BSR and Bcc beyond what a single recorded instruction shows: the displacement
// word's read, the stacked return addresses, the 17-bit bus under a 32-bit A7 and PC.
#include <gtest/gtest.h>

#include <vector>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

TEST(Branch, WordFormReadsItsDisplacementEvenWhenNotTaken) {
  ResetProcessor(0x1000);
  LogAccesses = true;
  RunOne({0x6700, 0x0100});  // BEQ.W with Z clear
  EXPECT_EQ(Hex(M68kPC), "0x1004");
  std::vector<Access> want = {{'r', 2, 0x1000, 0x6700}, {'r', 2, 0x1002, 0x0100}};
  EXPECT_EQ(AccessLog, want);
}

TEST(Branch, DisplacementBaseIsTheWordAfterTheOpcode) {
  ResetProcessor(0x1000);
  RunOne({0x6000, 0xFFFE});  // BRA.W to itself
  EXPECT_EQ(Hex(M68kPC), "0x1000");
  ResetProcessor(0x1000);
  RunOne({0x60FE});  // BRA.B to itself
  EXPECT_EQ(Hex(M68kPC), "0x1000");
  ResetProcessor(0x1000);
  RunOne({0x60FF});  // -1 is a displacement like any other
  EXPECT_EQ(Hex(M68kPC), "0x1001");
  ResetProcessor(0x1FFFE);  // the PC keeps counting past the bus
  RunOne({0x6010});
  EXPECT_EQ(Hex(M68kPC), "0x20010");
}

TEST(Branch, BsrStacksTheAddressAfterItsDisplacement) {
  ResetProcessor(0x2000, 0x8000);
  LogAccesses = true;
  RunOne({0x6100, 0x0100});
  EXPECT_EQ(Hex(M68kPC), "0x2102");
  EXPECT_EQ(Hex(M68kRegs[15]), "0x7FFC");
  std::vector<Access> want = {{'r', 2, 0x2000, 0x6100}, {'r', 2, 0x2002, 0x0100}, {'w', 4, 0x7FFC, 0x2004}};
  EXPECT_EQ(AccessLog, want);

  ResetProcessor(0x2000, 0x8000);
  RunOne({0x6110});
  EXPECT_EQ(Hex(M68kPC), "0x2012");
  EXPECT_EQ(Hex(Peek32(0x7FFC)), "0x2002");
  EXPECT_EQ(Hex(M68kRegs[15]), "0x7FFC");
  ResetProcessor(0x2000, 0x8000);
  RunOne({0x6104});  // the word slot's 8-bit form
  EXPECT_EQ(Hex(M68kPC), "0x2006");
  EXPECT_EQ(Hex(Peek32(0x7FFC)), "0x2002");
}

TEST(Branch, BsrPushesThroughTheBusMaskAndKeepsA7Whole) {
  ResetProcessor(0x2000, 0x00021000);
  RunOne({0x6110});
  EXPECT_EQ(Hex(M68kRegs[15]), "0x20FFC");
  EXPECT_EQ(Hex(Peek32(0x0FFC)), "0x2002");
}

}  // namespace

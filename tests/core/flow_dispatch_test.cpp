// Which handler fills each slot of MOVEM, SWAP, EXT, EXG, LEA, PEA, JMP, JSR, CHK, Scc,
// DBcc and the branches, and which slots of their ranges stay illegal. Lines 4, 5 and
// 0xC are shared with other families, so the census cannot vouch for these slots alone.
#include <gtest/gtest.h>

#include <string>

#include "core/68000.h"

namespace {

const char* const kModes[8] = {"Dn", "An", "Ind", "PostInc", "PreDec", "Disp", "Index", "Mode7"};
const char* const kConditions[16] = {"T",  "F",  "HI", "LS", "CC", "CS", "NE", "EQ",
                                     "VC", "VS", "PL", "MI", "GE", "LT", "GT", "LE"};

std::string NameAt(unsigned opcode) { return M68kOpNames[opcode >> 3]; }

TEST(FlowDispatch, ConditionalSlots) {
  for (unsigned c = 0; c < 16; ++c) {
    const std::string cc = kConditions[c];
    for (unsigned m = 0; m < 8; ++m) {
      const std::string want = m == 1 ? "M68kOpDB" + cc + "_W_Dn" : "M68kOpS" + cc + "_B_" + kModes[m];
      EXPECT_EQ(NameAt(0x50C0 | c << 8 | m << 3), want);
    }
    const std::string branch = c == 0 ? "M68kOpBRA" : c == 1 ? "M68kOpBSR" : "M68kOpB" + cc;
    EXPECT_EQ(NameAt(0x6000 | c << 8), branch + "_W");
    for (unsigned low = 0x08; low < 0x100; low += 8) EXPECT_EQ(NameAt(0x6000 | c << 8 | low), branch + "_B");
  }
}

TEST(FlowDispatch, ControlAndChkSlots) {
  for (unsigned m = 0; m < 8; ++m) {
    const bool control = m == 2 || m >= 5;
    const std::string mode = kModes[m];
    for (unsigned n = 0; n < 8; ++n) {
      const std::string reg = std::to_string(n);
      EXPECT_EQ(NameAt(0x41C0 | n << 9 | m << 3), control ? "M68kOpLEA_L_" + mode + "_A" + reg : "M68kIllegal");
      EXPECT_EQ(NameAt(0x4180 | n << 9 | m << 3), m != 1 ? "M68kOpCHK_W_" + mode + "_D" + reg : "M68kIllegal");
    }
    EXPECT_EQ(NameAt(0x4840 | m << 3), control ? "M68kOpPEA_L_" + mode : m == 0 ? "M68kOpSWAP_W_Dn" : "M68kIllegal");
    EXPECT_EQ(NameAt(0x4E80 | m << 3), control ? "M68kOpJSR_" + mode : "M68kIllegal");
    EXPECT_EQ(NameAt(0x4EC0 | m << 3), control ? "M68kOpJMP_" + mode : "M68kIllegal");
  }
}

TEST(FlowDispatch, MovemExtAndExgSlots) {
  for (unsigned m = 0; m < 8; ++m) {
    const std::string mode = kModes[m];
    for (const char* size : {"W", "L"}) {
      const unsigned sizeBit = size[0] == 'L' ? 0x40 : 0;
      const std::string store = m >= 2 && m != 3 ? "M68kOpMOVEM_" + std::string(size) + "_" + mode + "_RegsToMem"
                                : m == 0 ? "M68kOpEXT_" + std::string(size) + "_Dn"
                                         : "M68kIllegal";
      const std::string load =
          m >= 2 && m != 4 ? "M68kOpMOVEM_" + std::string(size) + "_" + mode + "_MemToRegs" : "M68kIllegal";
      EXPECT_EQ(NameAt(0x4880 | sizeBit | m << 3), store);
      EXPECT_EQ(NameAt(0x4C80 | sizeBit | m << 3), load);
    }
  }
  for (unsigned x = 0; x < 8; ++x) {
    const std::string reg = std::to_string(x);
    EXPECT_EQ(NameAt(0xC140 | x << 9), "M68kOpEXG_L_Dn_D" + reg);
    EXPECT_EQ(NameAt(0xC148 | x << 9), "M68kOpEXG_L_An_A" + reg);
    EXPECT_EQ(NameAt(0xC188 | x << 9), "M68kOpEXG_L_An_D" + reg);
    EXPECT_EQ(NameAt(0xC180 | x << 9), "M68kIllegal");
  }
}

}  // namespace

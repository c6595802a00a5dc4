// The sixteen condition tests, through the Scc, DBcc and Bcc handlers of every
// condition, against a model written from the 68000's definitions.
#include <gtest/gtest.h>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

using namespace kqtest;

namespace {

bool Expected(unsigned code, bool n, bool z, bool v, bool c) {
  const bool signedLess = (n && !v) || (!n && v);
  const bool table[16] = {true,  false, !(c || z), c || z, !c, c, !z,          z,
                          !v,    v,     !n,        n,      !signedLess, signedLess, !(signedLess || z), signedLess || z};
  return table[code];
}

TEST(Condition, SccDbccAndBccTestEveryConditionOverEveryFlagCombination) {
  for (unsigned code = 0; code < 16; ++code) {
    for (unsigned flags = 0; flags < 32; ++flags) {  // bit 4 is X, which plays no part
      const bool n = flags & 8, z = flags & 4, v = flags & 2, c = flags & 1;
      const bool want = Expected(code, n, z, v, c);
      const uint16_t sr = uint16_t(0x2700 | flags);
      SCOPED_TRACE("condition " + std::to_string(code) + ", flags " + Hex(flags));

      ResetProcessor();
      M68kSR = sr;
      M68kRegs[1] = 0x12345678;
      RunOne({uint16_t(0x50C1 | code << 8)});  // Scc D1
      EXPECT_EQ(Hex(M68kRegs[1]), Hex(want ? 0x123456FF : 0x12345600));
      EXPECT_EQ(M68kSR, sr);

      ResetProcessor();
      M68kSR = sr;
      M68kRegs[2] = 0xABCD0005;
      RunOne({uint16_t(0x50CA | code << 8), 0x0010});  // DBcc D2,*+0x12
      EXPECT_EQ(Hex(M68kRegs[2]), Hex(want ? 0xABCD0005 : 0xABCD0004));
      EXPECT_EQ(Hex(M68kPC), Hex(want ? 0x1004 : 0x1012));
      EXPECT_EQ(M68kSR, sr);

      if (code < 2) continue;  // BRA and BSR
      for (uint16_t low : {0x10, 0x04}) {  // the 8-bit handler and the word slot's 1-7
        ResetProcessor();
        M68kSR = sr;
        RunOne({uint16_t(0x6000 | code << 8 | low)});
        EXPECT_EQ(Hex(M68kPC), Hex(want ? 0x1002 + low : 0x1002));
        EXPECT_EQ(M68kSR, sr);
      }
    }
  }
}

}  // namespace

// Checks that an instruction took the illegal-instruction exception and had no other
// effect. For tests that run in supervisor state with the access log on.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

namespace kqtest {

struct CoreSnapshot {
  uint32_t regs[16];
  uint16_t sr;
  CoreSnapshot() : sr(M68kSR) { std::memcpy(regs, M68kRegs, sizeof regs); }
};

// Registers and SR as they were but for the six-byte frame on A7, the frame holds the
// opcode's own address, and its two stores are the only writes of the instruction.
inline void ExpectIllegalOnly(const CoreSnapshot& before, uint32_t opcodeAddress) {
  for (int i = 0; i < 15; ++i) EXPECT_EQ(M68kRegs[i], before.regs[i]) << "register " << i;
  EXPECT_EQ(M68kRegs[15], before.regs[15] - 6);
  EXPECT_EQ(M68kSR, before.sr);
  EXPECT_EQ(M68kPC, VectorHandler(kVecIllegal));
  EXPECT_EQ(Peek16(M68kRegs[15]), before.sr);
  EXPECT_EQ(Hex(Peek32(M68kRegs[15] + 2)), Hex(opcodeAddress));
  EXPECT_EQ(std::count_if(AccessLog.begin(), AccessLog.end(), [](const Access& a) { return a.kind == 'w'; }), 2);
}

}  // namespace kqtest

// Robustness of the whole instruction set: every opcode word executed from random
// processor states over random memory, and the run loop over random code with random
// trace and interrupt requests. Whatever the bytes, the core must not crash or touch
// memory outside its state (the sanitizer build checks that), and every slot without an
// instruction must enter its exception.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

namespace {

using namespace kqtest;

void RandomMemory(std::mt19937& rng) {
  MapFlatRam();
  for (size_t i = 0; i < sizeof FlatRam; i += 4) {
    uint32_t r = rng();
    std::memcpy(FlatRam + i, &r, 4);
  }
}

// Any register values, supervisor or user state, any mask and condition codes; trace
// stays off because a single step does not take it.
void RandomProcessor(std::mt19937& rng) {
  for (uint32_t& r : M68kRegs) r = rng();
  M68kUSP = rng();
  M68kSSP = rng();
  M68kPC = rng();
  M68kSR = uint16_t(rng() & 0x271F);
  M68kRunState = kM68kRunning;
  M68kIntLevel.store(0);
}

uint32_t ExceptionVector(M68kHandler handler) {
  if (handler == M68kLineA) return kVecLineA;
  if (handler == M68kLineF) return kVecLineF;
  if (handler == M68kIllegal) return kVecIllegal;
  return 0;
}

TEST(Robustness, EveryOpcodeFromRandomStates) {
  constexpr int kStates = 128;
  std::mt19937 rng(0x6800);
  for (int state = 0; state < kStates; ++state) {
    RandomMemory(rng);
    for (uint32_t opcode = 0; opcode < 0x10000; ++opcode) {
      RandomProcessor(rng);
      uint32_t pc = M68kPC;
      Poke16(pc, opcode);
      M68kStep();
      uint32_t vector = ExceptionVector(M68kOpTable[opcode >> 3]);
      if (vector == 0) continue;
      // No instruction here: the exception is entered with the opcode's address stacked.
      ASSERT_EQ(M68kPC, Peek32(vector * 4)) << "opcode " << Hex(opcode);
      ASSERT_TRUE(M68kSR & kSrS) << "opcode " << Hex(opcode);
      ASSERT_EQ(Peek32(M68kRegs[15] + 2), pc) << "opcode " << Hex(opcode);
    }
  }
}

// Random memory as code, from random states with trace and interrupt requests, in short
// runs so that many starting points are tried.
TEST(Robustness, RunLoopOverRandomCode) {
  constexpr int kRuns = 200000;
  std::mt19937 rng(0x1C000);
  RandomMemory(rng);
  uint64_t executed = 0;
  for (int run = 0; run < kRuns; ++run) {
    if (run % 500 == 0) RandomMemory(rng);
    RandomProcessor(rng);
    M68kSR = uint16_t(rng());
    M68kIntLevel.store(int32_t(rng() & 3));
    if (rng() & 1) M68kRunState = kM68kStopped;
    executed += M68kRun(64 + (rng() & 63));
  }
  EXPECT_GT(executed, uint64_t(kRuns) * 32);
}

}  // namespace

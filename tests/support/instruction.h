// Helpers of the instruction tests: run one instruction at a fixed address with its bus
// accesses logged, look at the exception frame it left, and check that an encoding the
// instruction does not accept took only the illegal-instruction exception.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

namespace kqtest {

constexpr uint32_t kCodeAt = 0x1000;

// For readable failures of access-log comparisons.
inline std::ostream& operator<<(std::ostream& out, const Access& a) {
  return out << a.kind << a.size << ' ' << Hex(a.address) << '=' << Hex(a.value);
}

// Runs the instruction at kCodeAt, whatever the PC was, so that loops of many runs stay
// clear of the vector table.
inline void Exec(const std::vector<uint16_t>& words) {
  for (size_t i = 0; i < words.size(); ++i) Poke16(kCodeAt + 2 * uint32_t(i), words[i]);
  M68kPC = kCodeAt;
  M68kStep();
}

// Exec with every bus access logged, the opcode fetch first.
inline std::vector<Access> ExecLogged(const std::vector<uint16_t>& words) {
  AccessLog.clear();
  LogAccesses = true;
  Exec(words);
  LogAccesses = false;
  return AccessLog;
}

struct StackedFrame {
  uint16_t sr;
  uint32_t pc;
};

inline StackedFrame Stacked() { return {uint16_t(Peek16(M68kRegs[15])), Peek32(M68kRegs[15] + 2)}; }

inline bool Took(uint32_t vector) { return M68kPC == VectorHandler(vector); }

// An encoding the handler does not accept: the illegal-instruction exception with the
// opcode's address stacked, and nothing else: no access beyond the opcode fetch and the
// exception's own, no register or flag changed.
inline void ExpectRefused(const std::vector<uint16_t>& words) {
  const std::string what = Hex(words[0]);
  uint32_t before[16];
  for (uint32_t i = 0; i < 15; ++i) before[i] = M68kRegs[i] = 0x3000 + 0x100 * i;
  M68kRegs[15] = 0x8000;
  const uint16_t sr = 0x2700 | kSrX | kSrN | kSrC;
  M68kSR = sr;
  const std::vector<Access> want = {
      {'r', 2, kCodeAt, words[0]}, {'w', 4, 0x7FFC, kCodeAt}, {'w', 2, 0x7FFA, sr}, {'r', 4, 0x10, VectorHandler(4)}};
  EXPECT_EQ(ExecLogged(words), want) << what;
  EXPECT_TRUE(Took(kVecIllegal)) << what;
  EXPECT_EQ(M68kSR & 0xFF, sr & 0xFF) << what;
  for (int i = 0; i < 15; ++i) EXPECT_EQ(M68kRegs[i], before[i]) << what << " register " << i;
}

// How many dispatch slots in [first, last] hold a handler whose name starts with prefix.
inline int SlotsNamed(const std::string& prefix, int first = 0, int last = 8191) {
  int n = 0;
  for (int slot = first; slot <= last; ++slot) n += std::string(M68kOpNames[slot]).rfind(prefix, 0) == 0;
  return n;
}

class StepTest : public ::testing::Test {
 public:
  static constexpr uint32_t kPc = 0x1000;
  static constexpr uint32_t kSsp = 0x8000;

 protected:
  void SetUp() override { ResetProcessor(kPc, kSsp); }

  // Runs one instruction at kPc and returns its accesses after the opcode fetch.
  std::vector<Access> Run(std::initializer_list<uint16_t> words) {
    M68kPC = kPc;
    AccessLog.clear();
    LogAccesses = true;
    RunOne(words);
    LogAccesses = false;
    EXPECT_FALSE(AccessLog.empty());
    return {AccessLog.begin() + 1, AccessLog.end()};
  }
};

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

// Helpers of the instruction tests: run one instruction from a fixed address, and see
// where a taken exception went and what it stacked.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
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

}  // namespace kqtest

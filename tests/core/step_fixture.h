// A processor on flat RAM that runs single instructions at a fixed address and reports
// the bus accesses each one makes.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

namespace kqtest {

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

}  // namespace kqtest

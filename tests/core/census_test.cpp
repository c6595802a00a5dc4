// The dispatch table against the census of the 68000 instruction set: illegal slots per
// opcode line, line A and line F, and the number of distinct handlers.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/68000.h"

namespace {

constexpr int kIllegalPerLine[16] = {102, 162, 48, 48, 242, 16, 0, 256, 72, 8, 0, 8, 48, 8, 80, 0};

TEST(Census, IllegalSlotsPerLine) {
  for (int line = 0; line < 16; ++line) {
    int illegal = 0;
    for (int slot = line * 512; slot < (line + 1) * 512; ++slot) illegal += M68kOpTable[slot] == M68kIllegal;
    EXPECT_EQ(illegal, kIllegalPerLine[line]) << "line " << line;
  }
}

TEST(Census, LinesAAndFAreTheEmulatorTraps) {
  for (int slot = 0xA000 >> 3; slot < 0xB000 >> 3; ++slot) EXPECT_EQ(M68kOpTable[slot], M68kLineA);
  for (int slot = 0xF000 >> 3; slot < 0x10000 >> 3; ++slot) EXPECT_EQ(M68kOpTable[slot], M68kLineF);
}

TEST(Census, NamesMatchHandlers) {
  // One name per handler and one handler per name.
  std::map<std::string, M68kHandler> byName;
  std::map<M68kHandler, std::string> byHandler;
  for (int slot = 0; slot < 8192; ++slot) {
    std::string name = M68kOpNames[slot];
    auto [it, fresh] = byName.emplace(name, M68kOpTable[slot]);
    EXPECT_EQ(it->second, M68kOpTable[slot]) << name;
    auto [it2, fresh2] = byHandler.emplace(M68kOpTable[slot], name);
    EXPECT_EQ(it2->second, name);
    if (name != "M68kIllegal" && name != "M68kLineA" && name != "M68kLineF") {
      EXPECT_EQ(name.rfind("M68kOp", 0), 0u) << name;
    }
  }
  EXPECT_EQ(std::string(M68kOpNames[0x4E71 >> 3]), "M68kOpSystemControl");
  EXPECT_EQ(std::string(M68kOpNames[0x4E40 >> 3]), "M68kOpTRAP");
  EXPECT_EQ(std::string(M68kOpNames[0x4E48 >> 3]), "M68kOpTRAP");
}

TEST(Census, WholeTable) {
  std::set<M68kHandler> distinct(M68kOpTable, M68kOpTable + 8192);
  EXPECT_EQ(distinct.size(), 5344u);
  int instructionSlots = 0, illegal = 0;
  for (int slot = 0; slot < 8192; ++slot) {
    M68kHandler h = M68kOpTable[slot];
    if (h == M68kIllegal)
      ++illegal;
    else if (h != M68kLineA && h != M68kLineF)
      ++instructionSlots;
  }
  EXPECT_EQ(illegal, 1098);
  EXPECT_EQ(instructionSlots, 6070);
}

}  // namespace

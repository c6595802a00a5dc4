// The compiled programs reach the instruction families the way firmware does: stepped
// one instruction at a time, together they run every kind of instruction that the C
// compiler and the runtime emit for the 68000, at each optimisation level.
#include <gtest/gtest.h>

#include <bitset>
#include <set>
#include <string>

#include "core/68000.h"
#include "core/bus.h"
#include "firmware/host/programs.h"

namespace {

// Mnemonics (handler names without the prefix and the size and mode suffixes) of the
// instructions that the programs of one level execute.
std::set<std::string> MnemonicsRun(std::string_view level) {
  std::bitset<8192> slots;
  for (const firmware::ProgramImage& image : firmware::ProgramImages()) {
    if (image.map != firmware::MemoryMap::Flat || level != image.level) continue;
    firmware::LoadFlat(image);
    for (uint64_t n = 0; n < 20'000'000 && M68kRunState != kM68kStopped; ++n) {
      slots.set(m68k::ReadWord(M68kPC) >> 3);
      M68kStep();
    }
  }
  std::set<std::string> mnemonics;
  for (size_t slot = 0; slot < slots.size(); ++slot) {
    if (!slots[slot]) continue;
    std::string name = M68kOpNames[slot];
    if (name.rfind("M68kOp", 0) == 0) name = name.substr(6, name.find('_') - 6);
    mnemonics.insert(name);
  }
  return mnemonics;
}

std::string Missing(const std::set<std::string>& run, std::initializer_list<const char*> wanted) {
  std::string missing;
  for (const char* mnemonic : wanted)
    if (!run.count(mnemonic)) missing += std::string(mnemonic) + " ";
  return missing;
}

TEST(ProgramCoverage, EveryLevelRunsTheCompilersInstructions) {
  for (const char* level : {"O0", "O2", "Os"}) {
    std::set<std::string> run = MnemonicsRun(level);
    EXPECT_EQ(Missing(run, {"MOVE", "MOVEA", "MOVEQ", "MOVEM", "MOVEP", "MOVEtoCCR", "LEA", "PEA", "LINK", "UNLK",
                            "CLR", "TST", "TAS", "NEG", "NOT", "EXT", "SWAP", "ADD", "ADDA", "ADDI", "ADDQ", "ADDX",
                            "SUB", "SUBA", "SUBI", "SUBQ", "SUBX", "CMP", "CMPA", "CMPI", "MULU", "MULS", "DIVU",
                            "DIVS", "ABCD", "SBCD", "NBCD", "AND", "ANDI", "OR", "ORI", "EOR", "EORI", "LSL", "LSR",
                            "ASR", "ROXR", "BTST", "BSET", "BCLR", "BCHG", "BRA", "BSR", "BEQ", "BNE", "BCC", "BCS",
                            "BGE", "BGT", "BLE", "BLT", "BHI", "BLS", "BMI", "BPL", "DBF", "SEQ", "SNE", "SCS",
                            "JSR", "JMP", "SystemControl"}),
              "")
        << "at -" << level;
    if (std::string_view(level) != "O0") {
      EXPECT_EQ(Missing(run, {"ROL", "ROR"}), "") << "at -" << level;
    }
  }
}

}  // namespace

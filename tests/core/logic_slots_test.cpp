// The slots of the logic, bit, MOVEP, shift and rotate families in the dispatch table,
// also in the lines they share with other families.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/68000.h"
#include "tests/support/flat_memory.h"

namespace {

struct Family {
  const char* prefix;
  size_t handlers;
};

TEST(LogicSlots, EachFamilyHasOneHandlerPerSlot) {
  const Family families[] = {
      {"M68kOpAND_", 312}, {"M68kOpOR_", 312},   {"M68kOpEOR_", 168},  {"M68kOpORI_", 21},   {"M68kOpANDI_", 21},
      {"M68kOpEORI_", 21}, {"M68kOpBTST_", 63},  {"M68kOpBCHG_", 63},  {"M68kOpBCLR_", 63},  {"M68kOpBSET_", 63},
      {"M68kOpMOVEP_", 32}, {"M68kOpASL_", 54},  {"M68kOpASR_", 54},   {"M68kOpLSL_", 54},   {"M68kOpLSR_", 54},
      {"M68kOpROL_", 54},  {"M68kOpROR_", 54},   {"M68kOpROXL_", 54},  {"M68kOpROXR_", 54},
  };
  for (const Family& f : families) {
    std::set<std::string> names;
    size_t slots = 0;
    for (int slot = 0; slot < 8192; ++slot) {
      std::string name = M68kOpNames[slot];
      if (name.rfind(f.prefix, 0) != 0) continue;
      names.insert(name);
      ++slots;
    }
    EXPECT_EQ(names.size(), f.handlers) << f.prefix;
    EXPECT_EQ(slots, f.handlers) << f.prefix;
  }
}

TEST(LogicSlots, HandlersSitWhereTheEncodingPutsThem) {
  const std::pair<unsigned, const char*> slots[] = {
      {0xC000, "M68kOpAND_EaDn_B_Dn_0"},     {0xC13F, "M68kOpAND_DnEa_B_Mode7_0"},
      {0xCEBC, "M68kOpAND_EaDn_L_Mode7_7"},  {0x8150, "M68kOpOR_DnEa_W_Ind_0"},
      {0x8F90, "M68kOpOR_DnEa_L_Ind_7"},     {0xB13A, "M68kOpEOR_B_Mode7_0"},
      {0xBF80, "M68kOpEOR_L_Dn_7"},          {0x003C, "M68kOpORI_B_Mode7"},
      {0x027C, "M68kOpANDI_W_Mode7"},        {0x0AB0, "M68kOpEORI_L_Index"},
      {0x0100, "M68kOpBTST_L_Dn_0"},         {0x0FF8, "M68kOpBSET_B_Mode7_7"},
      {0x0868, "M68kOpBCHG_B_Disp"},         {0x0108, "M68kOpMOVEP_EaDn_W_Disp_0"},
      {0x0FC8, "M68kOpMOVEP_DnEa_L_Disp_7"}, {0xE000, "M68kOpASR_B_Imm_8"},
      {0xE3A8, "M68kOpLSL_L_Reg_1"},         {0xEE18, "M68kOpROR_B_Imm_7"},
      {0xE5F8, "M68kOpROXL_W_Mode7"},        {0xE6D0, "M68kOpROR_W_Ind"},
  };
  for (const auto& [opcode, name] : slots) EXPECT_EQ(std::string(M68kOpNames[opcode >> 3]), name) << kqtest::Hex(opcode);
}

}  // namespace

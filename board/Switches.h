// The front panel's switch matrix: eight rows of eight bits, each bit computed at the
// moment of the read from a panel button's Pressed byte (and, for the program-select
// and Enter buttons, from the PC key of the same name).
#pragma once

#include <cstdint>

using SwitchRow = uint32_t (*)();
// Indexed by row number; row 0 is always 0.
extern const SwitchRow SwitchRowTable[8];

// The row that address bits 1-3 select, above the constant pattern 0xFFFFF300.
uint32_t ReadSwitches(uint32_t address);

uint32_t SwitchesReadByte(uint32_t address);
uint32_t SwitchesReadWord(uint32_t address);
uint32_t SwitchesReadLong(uint32_t address);

void SwitchesMap();

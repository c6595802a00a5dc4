// The 4 KB work RAM, answering in two 4 KB windows. Starts as zeros, never stored.
#pragma once

#include <cstdint>

#include "board/Io.h"

extern uint8_t RamImage[kRamSize];

uint32_t RamReadByte(uint32_t address);
uint32_t RamReadWord(uint32_t address);
uint32_t RamReadLong(uint32_t address);
void RamWriteByte(uint32_t address, uint32_t value);
void RamWriteWord(uint32_t address, uint32_t value);
void RamWriteLong(uint32_t address, uint32_t value);

void ClearRam();
void RamMap();

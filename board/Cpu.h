// Binds the 68000 core to the board: the default bus map, reset and run entries, the
// interrupt level from the devices' request flags, and the autovectors.
#pragma once

#include <cstdint>

extern const int32_t AutovectorTable[8];

// Once per program: fills the bus with its defaults before any device maps itself.
void CpuInit();
void CpuReset();
uint32_t CpuRun(uint32_t budget);
// The pending level from the devices' request flags: serial port 3, key-event FIFO 2,
// timer 1.
void UpdateInterruptLevel();
int32_t InterruptVector(int32_t level);

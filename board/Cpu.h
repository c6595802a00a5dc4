// Binds the 68000 core to the board: the default bus map, reset and run entries, the
// interrupt level from the devices' request flags, and the autovectors.
#pragma once

#include <atomic>
#include <cstdint>

// Interrupt request flags of the serial port (level 3), key-event FIFO (2) and timer (1).
extern std::atomic<uint8_t> UartIrq;
extern std::atomic<uint8_t> KeyboardIrq;
extern std::atomic<uint8_t> TimerIrq;

extern const int32_t AutovectorTable[8];

// Once per program: fills the bus with its defaults before any device maps itself.
void CpuInit();
void CpuReset();
uint32_t CpuRun(uint32_t budget);
void UpdateInterruptLevel();
int32_t InterruptVector(int32_t level);

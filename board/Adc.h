// The analog-to-digital converter: any access to its select page picks one of eight
// inputs and latches its value at once; the result page reads the latch.
#pragma once

#include <atomic>
#include <cstdint>

// Input slots; only the low byte of each is used.
constexpr int kAdcJoystickX = 2;
constexpr int kAdcJoystickY = 3;
constexpr int kAdcDataEntry = 4;
constexpr int kAdcVolume = 5;
constexpr int kAdcBalance = 6;

// Written by the window's joystick, slider and knobs; slots 0, 1 and 7 stay 0.
extern std::atomic<uint32_t> AdcInputs[8];
// The latched result, 0-255.
extern uint32_t AdcResult;

// Latches the input that address bits 1-3 select.
void AdcSelect(uint32_t address);

uint32_t AdcSelectReadByte(uint32_t address);
uint32_t AdcSelectReadWord(uint32_t address);
uint32_t AdcSelectReadLong(uint32_t address);
void AdcSelectWriteByte(uint32_t address, uint32_t value);
void AdcSelectWriteWord(uint32_t address, uint32_t value);
void AdcSelectWriteLong(uint32_t address, uint32_t value);
uint32_t AdcResultReadByte(uint32_t address);
uint32_t AdcResultReadWord(uint32_t address);
uint32_t AdcResultReadLong(uint32_t address);

void AdcMap();

// The key-event FIFO: a 256-byte ring of two-byte events (key byte with bit 7 set for a
// press, velocity byte) that raises interrupt level 2 while it holds data. The window
// side pushes; the firmware reads byte by byte, and a read that finds it empty returns 0
// and withdraws the request.
#pragma once

#include <atomic>
#include <cstdint>

extern uint8_t KeyEventFifo[256];
// The one writer of each index: the window thread moves the write index, the emulation
// thread the read index. Held = (write - read) & 255, at most 255.
extern std::atomic<uint8_t> KeyFifoRead;
extern std::atomic<uint8_t> KeyFifoWrite;
// Level-2 interrupt request.
extern std::atomic<uint8_t> KeyboardIrq;

void KeyboardInit();
// Appends one event and raises the request; false (nothing stored) if fewer than two
// bytes are free.
bool KeyboardPushEvent(uint8_t key, uint8_t velocity);
uint8_t KeyboardRead();

uint32_t KeyboardReadByte(uint32_t address);
uint32_t KeyboardReadWord(uint32_t address);
uint32_t KeyboardReadLong(uint32_t address);

void KeyboardMap();

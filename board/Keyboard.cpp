#include "board/Keyboard.h"

#include "board/Cpu.h"
#include "board/Io.h"

uint8_t KeyEventFifo[256];
std::atomic<uint8_t> KeyFifoRead;
std::atomic<uint8_t> KeyFifoWrite;
std::atomic<uint8_t> KeyboardIrq;

void KeyboardInit() {
  KeyFifoRead = 0;
  KeyFifoWrite = 0;
}

bool KeyboardPushEvent(uint8_t key, uint8_t velocity) {
  uint8_t write = KeyFifoWrite.load(std::memory_order_relaxed);
  uint8_t held = uint8_t(write - KeyFifoRead.load(std::memory_order_acquire));
  if (255 - held < 2) return false;
  KeyEventFifo[write] = key;
  KeyEventFifo[uint8_t(write + 1)] = velocity;
  KeyFifoWrite = uint8_t(write + 2);
  KeyboardIrq = 1;
  UpdateInterruptLevel();
  return true;
}

uint8_t KeyboardRead() {
  uint8_t read = KeyFifoRead.load(std::memory_order_relaxed);
  if (read != KeyFifoWrite.load(std::memory_order_acquire)) {
    uint8_t byte = KeyEventFifo[read];
    KeyFifoRead.store(uint8_t(read + 1), std::memory_order_release);
    return byte;
  }
  if (KeyboardIrq) {
    KeyboardIrq = 0;
    // An event pushed from the window's thread between the emptiness test and the
    // clear must keep its request.
    if (KeyFifoWrite.load() != read) KeyboardIrq = 1;
    UpdateInterruptLevel();
  }
  return 0;
}

uint32_t KeyboardReadByte(uint32_t) { return KeyboardRead(); }
uint32_t KeyboardReadWord(uint32_t) { return KeyboardRead(); }
uint32_t KeyboardReadLong(uint32_t) { return KeyboardRead(); }

void KeyboardMap() {
  MapDeviceReadHandlers(kKeyboardPage, KeyboardReadByte, KeyboardReadWord, KeyboardReadLong);
}

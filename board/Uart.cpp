#include "board/Uart.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "board/Cpu.h"
#include "board/Files.h"
#include "board/Io.h"

UartFifo UartTx;
UartFifo UartRx;
std::atomic<uint8_t> UartIrq;
MidiQueue MidiInQueue;

namespace {

constexpr uint32_t kMaxSysexFile = 65536;

// Keeps the appends of the two writer threads from interleaving.
std::mutex queueWriters;

void Store(UartFifo& fifo, uint8_t byte) {
  fifo.data[fifo.write] = byte;
  fifo.write = (fifo.write + 1) & 31;
}

uint8_t Take(UartFifo& fifo) {
  uint8_t byte = fifo.data[fifo.read];
  fifo.read = (fifo.read + 1) & 31;
  return byte;
}

void Empty(UartFifo& fifo) { fifo.read = fifo.write; }

uint16_t QueueUsed() {
  return uint16_t(MidiInQueue.write.load(std::memory_order_acquire) -
                  MidiInQueue.read.load(std::memory_order_acquire));
}

}  // namespace

bool UartFifoEmpty(const UartFifo& fifo) { return fifo.read == fifo.write; }
bool UartFifoFull(const UartFifo& fifo) { return ((fifo.read - fifo.write) & 31) == 1; }

void UartInit() {
  Empty(UartTx);
  Empty(UartRx);
  UartTx.interruptEnable = false;
  UartRx.interruptEnable = false;
  MidiInQueue.read.store(MidiInQueue.write.load());
}

void UartUpdateIrq() {
  uint8_t irq = (UartRx.interruptEnable && !UartFifoEmpty(UartRx)) ||
                (UartTx.interruptEnable && !UartFifoFull(UartTx));
  if (irq == UartIrq.load(std::memory_order_relaxed)) return;
  UartIrq = irq;
  UpdateInterruptLevel();
}

uint32_t UartReadByte(uint32_t address) {
  if (!(address & 2))
    return (UartFifoEmpty(UartRx) ? 0 : 0x01) | (UartFifoFull(UartTx) ? 0 : 0x02) |
           (UartIrq.load(std::memory_order_relaxed) ? 0x80 : 0);
  // An empty receiver shows whatever its next slot holds and changes nothing.
  if (UartFifoEmpty(UartRx)) return UartRx.data[UartRx.read];
  uint8_t byte = Take(UartRx);
  UartUpdateIrq();
  return byte;
}
uint32_t UartReadWord(uint32_t address) { return UartReadByte(address); }
uint32_t UartReadLong(uint32_t address) { return UartReadByte(address); }

void UartWriteByte(uint32_t address, uint32_t value) {
  if (!(address & 2)) {
    UartTx.interruptEnable = (value & 0x60) == 0x20;
    UartRx.interruptEnable = (value & 0x80) != 0;
    UartUpdateIrq();
    return;
  }
  if (UartFifoFull(UartTx)) return;
  Store(UartTx, uint8_t(value));
  UartUpdateIrq();
}
void UartWriteWord(uint32_t address, uint32_t value) { UartWriteByte(address, value & 0xFF); }
void UartWriteLong(uint32_t address, uint32_t value) { UartWriteByte(address, value & 0xFF); }

void UartReset() {
  UartIrq = 0;
  UartInit();
  MapDeviceReadHandlers(kUartPage, UartReadByte, UartReadWord, UartReadLong);
  MapDeviceWriteHandlers(kUartPage, UartWriteByte, UartWriteWord, UartWriteLong);
}

void UartService(int32_t) {
  for (int n = 0; n < 4 && QueueUsed() != 0 && !UartFifoFull(UartRx); ++n) {
    uint16_t read = MidiInQueue.read.load(std::memory_order_relaxed);
    Store(UartRx, MidiInQueue.data[read]);
    MidiInQueue.read.store(uint16_t(read + 1), std::memory_order_release);
    UartUpdateIrq();
  }
  if (!UartFifoEmpty(UartTx)) {
    Take(UartTx);
    UartUpdateIrq();
  }
}

bool UartQueueMidiIn(int32_t count, const uint8_t* bytes) {
  std::lock_guard lock(queueWriters);
  if (count > kMidiQueueCapacity - int32_t(QueueUsed())) return false;
  if (count <= 0) return true;
  uint16_t write = MidiInQueue.write.load(std::memory_order_relaxed);
  // The block may wrap past the end of the ring.
  size_t first = std::min<size_t>(size_t(count), sizeof MidiInQueue.data - write);
  std::memcpy(MidiInQueue.data + write, bytes, first);
  std::memcpy(MidiInQueue.data, bytes + first, size_t(count) - first);
  // Published only once every byte is in place.
  MidiInQueue.write.store(uint16_t(write + count), std::memory_order_release);
  return true;
}

bool UartLoadSysex(const std::string& name) {
  auto file = ReadWholeFile(name, kMaxSysexFile);
  if (!file) return false;
  return UartQueueMidiIn(int32_t(file->size()), file->data());
}

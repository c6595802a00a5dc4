// The serial port that carries MIDI: a status/control register and a data register with
// 32-byte receive and transmit FIFOs behind them, and interrupt level 3. In front of the
// receive FIFO, the MIDI input queue takes whole blocks from the MIDI input and from
// SysEx files; after every slice at most four queued bytes enter the receive FIFO and
// one transmitted byte leaves (and is dropped: no MIDI data goes out).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct UartFifo {
  uint8_t data[32];
  uint8_t read;   // slot of the next byte to take, 0-31
  uint8_t write;  // slot of the next byte to store, 0-31
  bool interruptEnable;
};

extern UartFifo UartTx;
extern UartFifo UartRx;
// Level-3 interrupt request; the serial port is its only writer.
extern std::atomic<uint8_t> UartIrq;

// At most 65535 bytes held. The MIDI input thread and the window's thread append; the
// slice service is the only reader.
// The most bytes the MIDI input queue holds: one less than its ring.
constexpr int32_t kMidiQueueCapacity = 65535;

struct MidiQueue {
  uint8_t data[65536];
  std::atomic<uint16_t> read;
  std::atomic<uint16_t> write;
};
extern MidiQueue MidiInQueue;

// A FIFO holds at most 31 bytes.
bool UartFifoEmpty(const UartFifo& fifo);
bool UartFifoFull(const UartFifo& fifo);

void UartInit();
// Board set-up: clears the request, empties both FIFOs and the queue, maps the port.
void UartReset();
void UartUpdateIrq();
// The slice service.
void UartService(int32_t count);

// Appends the whole block, or nothing (false) if it does not fit the free space.
bool UartQueueMidiIn(int32_t count, const uint8_t* bytes);
// Queues a file of at most 65536 bytes as one block, as raw MIDI bytes; only a file read
// whole is queued.
bool UartLoadSysex(const std::string& name);

uint32_t UartReadByte(uint32_t address);
uint32_t UartReadWord(uint32_t address);
uint32_t UartReadLong(uint32_t address);
void UartWriteByte(uint32_t address, uint32_t value);
void UartWriteWord(uint32_t address, uint32_t value);
void UartWriteLong(uint32_t address, uint32_t value);

// The host's MIDI ports: the device lists read once at start, the input and output
// chosen in the device dialog opened and closed, their state on the status bar, and
// every message received on the input handed whole to the serial port's input queue.
// The output port is opened and shown but no data is sent to it.
//
// The pre-selected list indexes are TSettings::MidiInDevice and MidiOutDevice (0, 0:
// the first port of each list; the host has no mapper entry).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Receives one MIDI message on the MIDI system's own thread.
using MidiReceiver = void (*)(const uint8_t* message, size_t size);

// The host's MIDI system. Indexes are those of the lists it gave at start. Every error is
// a text for the user; an empty text means success.
class MidiSystem {
 public:
  virtual ~MidiSystem() = default;
  virtual std::vector<std::string> InputNames() = 0;
  virtual std::vector<std::string> OutputNames() = 0;
  virtual std::string OpenInput(int32_t index) = 0;
  // Starts delivering the open input's messages: short messages whole, a system-exclusive
  // message as one block from 0xF0 to 0xF7.
  virtual std::string StartInput(MidiReceiver receive) = 0;
  // Returns once no delivery is under way any more.
  virtual void CloseInput() = 0;
  virtual std::string OpenOutput(int32_t index) = 0;
  virtual void CloseOutput() = 0;
};

// Port names, as the device dialog lists them.
extern std::vector<std::string> MidiInDevices;
extern std::vector<std::string> MidiOutDevices;
// Written on the user-interface thread, read by the receiving thread.
extern std::atomic<bool> MidiInIsOpen;
extern bool MidiOutIsOpen;

// The MIDI ports' keeper for one run of the program. Its constructor takes the host's
// MIDI system (none: null) and reads the device lists (none: both empty); its destructor
// closes both ports, empties the lists and releases the system.
class TMidi {
 public:
  explicit TMidi(std::unique_ptr<MidiSystem> system);
  ~TMidi();
  TMidi(const TMidi&) = delete;
  TMidi& operator=(const TMidi&) = delete;

 private:
  std::unique_ptr<MidiSystem> system_;
};

// Program start, once: builds the one TMidi over the system (one built earlier goes first).
void MidiInit(std::unique_ptr<MidiSystem> system);
// Program end: destroys it.
void MidiShutdown();

// Opens the chosen pair (an index of -1 closes that side instead); a port already open
// is closed and opened again. On failure, reported to the user already, both ports are
// closed and the result is false.
bool OpenMidi(int32_t in, int32_t out);
bool OpenMidiIn(int32_t index);
bool OpenMidiOut(int32_t index);
void CloseMidi();
void CloseMidiIn();
void CloseMidiOut();

// The input's receiver: queues the message for the serial port while the input is open.
void MidiInProc(const uint8_t* message, size_t size);
// Bytes of a message with this status byte under MIDI 1.0; 0 for a data byte and for
// 0xF0, whose system-exclusive message runs up to its 0xF7.
size_t MidiMessageLength(uint8_t status);

#include "board/Midi.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "board/Host.h"
#include "board/Uart.h"

std::vector<std::string> MidiInDevices;
std::vector<std::string> MidiOutDevices;
std::atomic<bool> MidiInIsOpen{false};
bool MidiOutIsOpen = false;

namespace {

constexpr const char* kInputCaption = "MIDI input port";
constexpr const char* kOutputCaption = "MIDI output port";
constexpr const char* kNoSuchDevice = "The MIDI device is not present.";

// The system of the live TMidi; null without one.
MidiSystem* midiSystem = nullptr;

// The one TMidi, from MidiInit to MidiShutdown. A process that ends without MidiShutdown
// queues and shows nothing more; the system closes its ports as it goes.
struct MidiOwner {
  std::unique_ptr<TMidi> midi;
  ~MidiOwner() { MidiInIsOpen = MidiOutIsOpen = false; }
} owner;

// Held while a received message is checked and queued, and while the input is marked
// closed: once closed, nothing more reaches the queue.
std::mutex receiving;

std::string CheckDevice(int32_t index, const std::vector<std::string>& devices) {
  if (!midiSystem || index < 0 || size_t(index) >= devices.size()) return kNoSuchDevice;
  return {};
}

// Opens the port at index of the list, offering a failed open again until it succeeds
// or the user declines.
bool OpenListed(int32_t index, const std::vector<std::string>& devices, const char* caption,
                std::string (MidiSystem::*open)(int32_t)) {
  for (;;) {
    std::string error = CheckDevice(index, devices);
    if (error.empty()) error = (midiSystem->*open)(index);
    if (error.empty()) return true;
    if (Host().ShowMessage(error, caption, MessageButtons::RetryCancel, MessageIcon::Question) !=
        MessageChoice::Retry)
      return false;
  }
}

}  // namespace

TMidi::TMidi(std::unique_ptr<MidiSystem> system) : system_(std::move(system)) {
  midiSystem = system_.get();
  MidiInDevices = system_ ? system_->InputNames() : std::vector<std::string>{};
  MidiOutDevices = system_ ? system_->OutputNames() : std::vector<std::string>{};
}

TMidi::~TMidi() {
  CloseMidi();
  MidiInDevices.clear();
  MidiOutDevices.clear();
  midiSystem = nullptr;
}

void MidiInit(std::unique_ptr<MidiSystem> system) {
  owner.midi.reset();
  owner.midi = std::make_unique<TMidi>(std::move(system));
}

void MidiShutdown() { owner.midi.reset(); }

bool OpenMidi(int32_t in, int32_t out) {
  bool ok;
  if (in >= 0) {
    ok = OpenMidiIn(in);
  } else {
    CloseMidiIn();
    ok = true;
  }
  if (ok) {
    if (out >= 0)
      ok = OpenMidiOut(out);
    else
      CloseMidiOut();
  }
  if (!ok) CloseMidi();
  return ok;
}

bool OpenMidiIn(int32_t index) {
  CloseMidiIn();
  if (!OpenListed(index, MidiInDevices, kInputCaption, &MidiSystem::OpenInput)) return false;
  MidiInIsOpen = true;
  Host().SetStatusText(StatusPanel::MidiIn, "Midi in: " + MidiInDevices[size_t(index)]);
  const std::string error = midiSystem->StartInput(MidiInProc);
  if (!error.empty()) {
    // The port stays open and marked open: OpenMidi closes it.
    Host().ShowMessage(error, kInputCaption, MessageButtons::Ok, MessageIcon::Stop);
    return false;
  }
  return true;
}

bool OpenMidiOut(int32_t index) {
  CloseMidiOut();
  if (!OpenListed(index, MidiOutDevices, kOutputCaption, &MidiSystem::OpenOutput)) return false;
  MidiOutIsOpen = true;
  Host().SetStatusText(StatusPanel::MidiOut, "Midi out: " + MidiOutDevices[size_t(index)]);
  return true;
}

void CloseMidi() {
  CloseMidiIn();
  CloseMidiOut();
}

void CloseMidiIn() {
  if (!MidiInIsOpen) return;
  {
    std::lock_guard lock(receiving);
    MidiInIsOpen = false;
  }
  Host().SetStatusText(StatusPanel::MidiIn, "Midi in: CLOSED");
  midiSystem->CloseInput();
}

void CloseMidiOut() {
  if (!MidiOutIsOpen) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  MidiOutIsOpen = false;
  Host().SetStatusText(StatusPanel::MidiOut, "Midi out: CLOSED");
  midiSystem->CloseOutput();
}

size_t MidiMessageLength(uint8_t status) {
  if (status < 0x80 || status == 0xF0) return 0;
  if (status < 0xC0) return 3;  // note off and on, key pressure, control change
  if (status < 0xE0) return 2;  // program change, channel pressure
  if (status < 0xF0) return 3;  // pitch bend
  switch (status) {
    case 0xF1:  // time code quarter frame
    case 0xF3:  // song select
      return 2;
    case 0xF2:  // song position
      return 3;
    default:  // tune request, end of exclusive, real-time messages
      return 1;
  }
}

void MidiInProc(const uint8_t* message, size_t size) {
  if (size == 0) return;
  size_t length = MidiMessageLength(message[0]);
  if (length == 0)
    length = size;  // system exclusive, or the rest of one: the bytes as they came
  else if (size < length)
    return;  // a short message cut off would confuse the firmware's parser
  if (length > sizeof MidiInQueue.data) return;  // never fits the queue
  std::lock_guard lock(receiving);
  if (!MidiInIsOpen) return;
  UartQueueMidiIn(int32_t(length), message);  // a message that does not fit is lost whole
}

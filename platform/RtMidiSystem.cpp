// The host's MIDI ports over the sound system's sequencer (ALSA), through RtMidi. The
// port names are listed once; an open looks the listed name up again, as ports come and
// go and our own ports join the lists once opened. Without a sequencer (no sound
// hardware, a container) there is no system and both lists stay empty.
#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "board/Host.h"
#include "platform/HostServices.h"

namespace {

constexpr const char* kClientName = kApplicationTitle;

template <class Port>
std::vector<std::string> PortNames(Port& port) {
  std::vector<std::string> names;
  const unsigned count = port.getPortCount();
  for (unsigned i = 0; i < count; ++i) names.push_back(port.getPortName(i));
  return names;
}

class RtMidiSystem final : public MidiSystem {
 public:
  RtMidiSystem(std::unique_ptr<RtMidiIn> in, std::unique_ptr<RtMidiOut> out)
      : MidiInHandle(std::move(in)), MidiOutHandle(std::move(out)) {
    // Errors come back here instead of as exceptions or on standard error.
    MidiInHandle->setErrorCallback(Error, &error_);
    MidiOutHandle->setErrorCallback(Error, &error_);
    // Everything reaches the instrument: system exclusive, timing and active sensing.
    MidiInHandle->ignoreTypes(false, false, false);
    // Set once, before any port opens, so that no message waits in a queue of RtMidi's.
    MidiInHandle->setCallback(Deliver, this);
    inputs_ = PortNames(*MidiInHandle);
    outputs_ = PortNames(*MidiOutHandle);
  }

  ~RtMidiSystem() override {
    CloseInput();
    CloseOutput();
  }

  std::vector<std::string> InputNames() override { return inputs_; }
  std::vector<std::string> OutputNames() override { return outputs_; }

  std::string OpenInput(int32_t index) override {
    return Open(*MidiInHandle, inputs_, index, "Tarvelion MIDI in");
  }

  std::string StartInput(MidiReceiver receive) override {
    receive_ = receive;
    return {};
  }

  void CloseInput() override {
    MidiInHandle->closePort();  // returns once the receiving thread has stopped
    receive_ = nullptr;
  }

  std::string OpenOutput(int32_t index) override {
    return Open(*MidiOutHandle, outputs_, index, "Tarvelion MIDI out");
  }

  void CloseOutput() override { MidiOutHandle->closePort(); }

 private:
  static void Error(RtMidiError::Type, const std::string& text, void* error) {
    *static_cast<std::string*>(error) = text;
  }

  // On the receiving thread.
  static void Deliver(double, std::vector<unsigned char>* message, void* self) {
    const MidiReceiver receive = static_cast<RtMidiSystem*>(self)->receive_.load();
    if (receive && !message->empty()) receive(message->data(), message->size());
  }

  // Opens the port listed at index under its listed name: among the current ports of
  // that name, the one that stood in the same place among its namesakes.
  template <class Port>
  std::string Open(Port& port, const std::vector<std::string>& listed, int32_t index,
                   const std::string& ownName) {
    const std::string& name = listed[size_t(index)];
    auto namesakes = std::count(listed.begin(), listed.begin() + index, name);
    const std::vector<std::string> current = PortNames(port);
    for (unsigned i = 0; i < current.size(); ++i) {
      if (current[i] != name || namesakes-- > 0) continue;
      error_.clear();
      try {
        port.openPort(i, ownName);
      } catch (const RtMidiError& e) {
        return e.getMessage();
      }
      return error_;
    }
    return "The MIDI port \"" + name + "\" is no longer present.";
  }

  std::unique_ptr<RtMidiIn> MidiInHandle;
  std::unique_ptr<RtMidiOut> MidiOutHandle;
  std::vector<std::string> inputs_, outputs_;
  std::string error_;
  std::atomic<MidiReceiver> receive_{nullptr};
};

}  // namespace

std::unique_ptr<MidiSystem> HostMidiSystem() {
  // Without the sequencer's device node, opening it only writes complaints to stderr.
  std::error_code missing;
  if (!std::filesystem::exists("/dev/snd/seq", missing)) return nullptr;
  std::vector<RtMidi::Api> apis;
  RtMidi::getCompiledApi(apis);
  if (std::find(apis.begin(), apis.end(), RtMidi::LINUX_ALSA) == apis.end()) return nullptr;
  try {
    auto in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName);
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
    return std::make_unique<RtMidiSystem>(std::move(in), std::move(out));
  } catch (const RtMidiError&) {
    return nullptr;  // no sequencer
  }
}

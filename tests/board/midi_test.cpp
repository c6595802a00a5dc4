#include "board/Midi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <thread>

#include "board/Uart.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::BoardTest;
using Bytes = std::vector<uint8_t>;

// A MIDI system that records what is asked of it and fails where told to.
class FakeMidiSystem final : public MidiSystem {
 public:
  std::vector<std::string> InputNames() override { return inputs; }
  std::vector<std::string> OutputNames() override { return outputs; }
  std::string OpenInput(int32_t index) override {
    log.push_back("open in " + std::to_string(index));
    return NextResult(inputErrors);
  }
  std::string StartInput(MidiReceiver receive) override {
    log.push_back("start in");
    receiver = receive;
    return startError;
  }
  void CloseInput() override { log.push_back("close in"); }
  std::string OpenOutput(int32_t index) override {
    log.push_back("open out " + std::to_string(index));
    return NextResult(outputErrors);
  }
  void CloseOutput() override { log.push_back("close out"); }

  // Delivers a message as the system's thread would, open or not.
  void Send(const Bytes& message) const { receiver(message.data(), message.size()); }

  std::vector<std::string> inputs{"In A", "In B"};
  std::vector<std::string> outputs{"Out X", "Out Y", "Out Z"};
  std::deque<std::string> inputErrors, outputErrors;  // per open, then success
  std::string startError;
  std::vector<std::string> log;
  std::atomic<MidiReceiver> receiver{nullptr};

 private:
  static std::string NextResult(std::deque<std::string>& errors) {
    if (errors.empty()) return {};
    std::string error = errors.front();
    errors.pop_front();
    return error;
  }
};

class MidiTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    auto fake = std::make_unique<FakeMidiSystem>();
    midi = fake.get();
    MidiInit(std::move(fake));
    window.messages.clear();  // the missing ROM image
    window.statusLog.clear();
  }
  void TearDown() override { MidiShutdown(); }

  static Bytes Queued() {
    Bytes bytes;
    for (uint16_t i = MidiInQueue.read; i != MidiInQueue.write; ++i) bytes.push_back(MidiInQueue.data[i]);
    return bytes;
  }

  std::vector<std::string> StatusTexts(StatusPanel panel) const {
    std::vector<std::string> texts;
    for (const auto& [p, text] : window.statusLog)
      if (p == panel) texts.push_back(text);
    return texts;
  }

  void ExpectMessage(size_t index, const std::string& text, const std::string& caption,
                     MessageButtons buttons, MessageIcon icon) const {
    ASSERT_LT(index, window.messages.size());
    const auto& message = window.messages[index];
    EXPECT_EQ(message.text, text);
    EXPECT_EQ(message.caption, caption);
    EXPECT_EQ(message.buttons, buttons);
    EXPECT_EQ(message.icon, icon);
  }

  FakeMidiSystem* midi;
};

TEST_F(MidiTest, TheListsAreTheSystemsPortsAndOutputIndexesNeedNoShift) {
  EXPECT_EQ(MidiInDevices, midi->inputs);
  EXPECT_EQ(MidiOutDevices, midi->outputs);
  ASSERT_TRUE(OpenMidi(1, 2));
  EXPECT_EQ(midi->log, (std::vector<std::string>{"open in 1", "start in", "open out 2"}));
  EXPECT_EQ(window.status[1], "Midi in: In B");
  EXPECT_EQ(window.status[2], "Midi out: Out Z");
  EXPECT_TRUE(MidiInIsOpen);
  EXPECT_TRUE(MidiOutIsOpen);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(MidiTest, OpeningAnOpenPortAgainClosesAndReopensIt) {
  ASSERT_TRUE(OpenMidi(0, 0));
  midi->log.clear();
  ASSERT_TRUE(OpenMidi(0, 0));
  EXPECT_EQ(midi->log, (std::vector<std::string>{"close in", "open in 0", "start in", "close out",
                                                 "open out 0"}));
  EXPECT_EQ(StatusTexts(StatusPanel::MidiIn),
            (std::vector<std::string>{"Midi in: In A", "Midi in: CLOSED", "Midi in: In A"}));
}

TEST_F(MidiTest, IndexMinusOneClosesThatSide) {
  ASSERT_TRUE(OpenMidi(0, 0));
  ASSERT_TRUE(OpenMidi(-1, 1));
  EXPECT_FALSE(MidiInIsOpen);
  EXPECT_EQ(window.status[1], "Midi in: CLOSED");
  EXPECT_EQ(window.status[2], "Midi out: Out Y");
  ASSERT_TRUE(OpenMidi(1, -1));
  EXPECT_EQ(window.status[1], "Midi in: In B");
  EXPECT_EQ(window.status[2], "Midi out: CLOSED");
  EXPECT_FALSE(MidiOutIsOpen);
}

TEST_F(MidiTest, AFailedOpenIsOfferedAgainUntilTheUserDeclines) {
  midi->inputErrors = {"The device is busy."};
  window.answers = {MessageChoice::Retry};
  ASSERT_TRUE(OpenMidi(0, 0));
  EXPECT_EQ(window.messages.size(), 1u);
  ExpectMessage(0, "The device is busy.", "MIDI input port", MessageButtons::RetryCancel,
                MessageIcon::Question);
  EXPECT_EQ(std::count(midi->log.begin(), midi->log.end(), "open in 0"), 2);

  // Cancelled on the output side: the input opened just before is closed as well.
  window.messages.clear();
  midi->outputErrors = {"Gone.", "Gone."};
  window.answers = {MessageChoice::Retry, MessageChoice::Cancel};
  EXPECT_FALSE(OpenMidi(1, 1));
  EXPECT_EQ(window.messages.size(), 2u);
  ExpectMessage(1, "Gone.", "MIDI output port", MessageButtons::RetryCancel, MessageIcon::Question);
  EXPECT_FALSE(MidiInIsOpen);
  EXPECT_FALSE(MidiOutIsOpen);
  EXPECT_EQ(window.status[1], "Midi in: CLOSED");
  EXPECT_EQ(window.status[2], "Midi out: CLOSED");
}

TEST_F(MidiTest, AnInputThatCannotStartIsReportedOnceAndBothPortsClose) {
  midi->startError = "No buffer for the input.";
  EXPECT_FALSE(OpenMidi(0, 0));
  EXPECT_EQ(window.messages.size(), 1u);
  ExpectMessage(0, "No buffer for the input.", "MIDI input port", MessageButtons::Ok,
                MessageIcon::Stop);
  EXPECT_EQ(StatusTexts(StatusPanel::MidiIn),
            (std::vector<std::string>{"Midi in: In A", "Midi in: CLOSED"}));
  EXPECT_EQ(midi->log.back(), "close in");  // the output was never tried
}

TEST_F(MidiTest, AnIndexOutsideTheListOpensNothing) {
  EXPECT_FALSE(OpenMidi(2, -1));
  EXPECT_EQ(window.messages.size(), 1u);
  ExpectMessage(0, "The MIDI device is not present.", "MIDI input port",
                MessageButtons::RetryCancel, MessageIcon::Question);
  EXPECT_FALSE(OpenMidi(-1, 3));
  EXPECT_TRUE(midi->log.empty());
}

TEST_F(MidiTest, WithoutAMidiSystemBothListsAreEmptyAndNothingOpens) {
  MidiInit(nullptr);
  EXPECT_TRUE(MidiInDevices.empty());
  EXPECT_TRUE(MidiOutDevices.empty());
  EXPECT_FALSE(OpenMidi(0, 0));
  EXPECT_FALSE(MidiInIsOpen);
  EXPECT_TRUE(OpenMidi(-1, -1));
}

TEST(MidiMessageLength, FollowsTheStatusByte) {
  for (int status : {0x80, 0x9F, 0xA0, 0xB5, 0xE0, 0xEF, 0xF2}) EXPECT_EQ(MidiMessageLength(uint8_t(status)), 3u) << status;
  for (int status : {0xC0, 0xCF, 0xD0, 0xDF, 0xF1, 0xF3}) EXPECT_EQ(MidiMessageLength(uint8_t(status)), 2u) << status;
  for (int status = 0xF4; status <= 0xFF; ++status) EXPECT_EQ(MidiMessageLength(uint8_t(status)), 1u) << status;
  for (int status : {0x00, 0x45, 0x7F, 0xF0}) EXPECT_EQ(MidiMessageLength(uint8_t(status)), 0u) << status;
}

TEST_F(MidiTest, EachMessageEntersTheQueueWithItsOwnLength) {
  ASSERT_TRUE(OpenMidi(0, -1));
  midi->Send({0x90, 0x45, 0x7F});        // note on: 3
  midi->Send({0xC3, 0x05, 0x66});        // program change: 2 of the 3 delivered
  midi->Send({0xF8});                    // timing clock: 1
  midi->Send({0xFE, 0x00});              // active sensing: 1
  midi->Send({0xB0, 0x07});              // a control change cut short: nothing
  midi->Send({});                        // nothing
  midi->Send({0x40, 0x00});              // data under running status: as it came
  EXPECT_EQ(Queued(), (Bytes{0x90, 0x45, 0x7F, 0xC3, 0x05, 0xF8, 0xFE, 0x40, 0x00}));
}

TEST_F(MidiTest, ASystemExclusiveMessageEntersTheQueueAsOneBlock) {
  ASSERT_TRUE(OpenMidi(0, -1));
  Bytes sysex = kqtest::Pattern(300, 5);
  for (auto& b : sysex) b &= 0x7F;
  sysex.front() = 0xF0;
  sysex.back() = 0xF7;
  midi->Send(sysex);
  EXPECT_EQ(Queued(), sysex);
}

TEST_F(MidiTest, AMessageThatDoesNotFitTheQueueIsLostWhole) {
  ASSERT_TRUE(OpenMidi(0, -1));
  const Bytes filler(65533, 0xF8);
  ASSERT_TRUE(UartQueueMidiIn(int32_t(filler.size()), filler.data()));
  midi->Send({0x90, 0x45, 0x7F});
  EXPECT_EQ(Queued().size(), 65533u);
  midi->Send({0xC0, 0x01});
  EXPECT_EQ(Queued().size(), 65535u);
}

TEST_F(MidiTest, NothingIsQueuedOnceTheInputReadsClosed) {
  ASSERT_TRUE(OpenMidi(0, -1));
  std::atomic<bool> sending{true};
  std::thread driver([&] {
    while (sending) {
      midi->Send({0xF8});
      std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
  });
  // Closed while messages are arriving.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (MidiInQueue.write < 20 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  CloseMidiIn();
  EXPECT_EQ(window.status[1], "Midi in: CLOSED");
  const uint16_t written = MidiInQueue.write;
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  sending = false;
  driver.join();
  EXPECT_GE(written, 20);
  EXPECT_EQ(MidiInQueue.write, written);
}

TEST_F(MidiTest, ShutdownClosesBothPortsOnce) {
  ASSERT_TRUE(OpenMidi(0, 0));
  midi->log.clear();
  window.statusLog.clear();
  CloseMidi();
  CloseMidi();
  EXPECT_EQ(midi->log, (std::vector<std::string>{"close in", "close out"}));
  EXPECT_EQ(window.statusLog.size(), 2u);
  MidiShutdown();
  EXPECT_EQ(window.statusLog.size(), 2u);
}

}  // namespace

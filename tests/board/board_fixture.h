// Helpers of the board tests: a window that records what the board asks of it, and a
// board in its start-up state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "board/Host.h"
#include "board/Sound.h"
#include "tests/support/temp_files.h"

namespace kqtest {

// n bytes that differ from their neighbours and between seeds.
std::vector<uint8_t> Pattern(size_t n, uint32_t seed);

// Installed for its lifetime in place of the main window.
class FakeWindow final : public HostWindow {
 public:
  struct Message {
    std::string text, caption;
    MessageButtons buttons;
    MessageIcon icon;
  };
  FakeWindow() { SetHostWindow(this); }
  ~FakeWindow() override { SetHostWindow(nullptr); }
  void SetStatusText(StatusPanel panel, const std::string& text) override {
    status[int(panel)] = text;
    statusLog.emplace_back(panel, text);
  }
  // Answered from answers in turn, then OK.
  MessageChoice ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons, MessageIcon icon) override {
    messages.push_back({text, caption, buttons, icon});
    if (answers.empty()) return MessageChoice::Ok;
    const MessageChoice answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void RequestQuit() override { ++quitRequests; }

  std::string status[4];
  std::vector<std::pair<StatusPanel, std::string>> statusLog;
  std::vector<Message> messages;
  std::deque<MessageChoice> answers;
  int quitRequests = 0;
};

// Every unit back at its program-start state, then BoardInit (patch memory from an
// empty folder; no audio output unless one is given) and BoardSetup with the ROM image
// given (none: a missing file).
class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBoard({}); }
  void BuildBoard(const std::vector<uint8_t>& rom, std::unique_ptr<SoundOutput> sound = nullptr);

  TempDir dir;
  FakeWindow window;
};

}  // namespace kqtest

// Helpers of the window tests: a registry of the Qt Test classes (one program runs the
// class named on its command line), a board in its start-up state in a folder of its own,
// a host window that records what the windows ask and answers as told, and synthetic
// mouse and key events sent straight to a control.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "board/Host.h"

class QWidget;

namespace kqui {

using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, TestFactory>& TestRegistry();

struct RegisterTest {
  RegisterTest(const char* name, TestFactory factory) {
    TestRegistry().emplace(name, std::move(factory));
  }
};

#define KQ_UI_TEST(Class) \
  static ::kqui::RegisterTest register##Class(#Class, [] { return std::make_unique<Class>(); })

// Every board unit back at its program-start state, with the patch memory in a new
// folder, no audio output, no pacing and no MIDI system. Lives for one test.
class TestBoard {
 public:
  TestBoard();
  ~TestBoard();
  QString File(const QString& name) const { return dir_.filePath(name); }
  std::string Path(const QString& name) const { return File(name).toStdString(); }
  // BoardSetup with the image given (none: a missing ROM).
  void Setup(const std::vector<uint8_t>& rom = {});

 private:
  QTemporaryDir dir_;
};

// Installed in place of the main window while it lives (install it after the window).
class FakeHost final : public HostWindow {
 public:
  struct Message {
    std::string text, caption;
    MessageButtons buttons;
    MessageIcon icon;
  };
  FakeHost() { SetHostWindow(this); }
  ~FakeHost() override { SetHostWindow(nullptr); }
  void SetStatusText(StatusPanel panel, const std::string& text) override {
    status[int(panel)] = text;
  }
  // Answers with the next of `answers`, or OK / Cancel when none is left.
  MessageChoice ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons, MessageIcon icon) override;
  void RequestQuit() override { ++quitRequests; }

  std::string status[4];
  std::vector<Message> messages;
  std::deque<MessageChoice> answers;
  int quitRequests = 0;
};

// One mouse event straight to the control, at its own pixel position.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held);
void Press(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void Move(QWidget* widget, QPoint at, Qt::MouseButtons held = Qt::LeftButton);
void Release(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// A key event through the application, so that its event filters see it.
void SendKey(QWidget* widget, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {},
             quint32 scanCode = 0, bool autoRepeat = false);

std::vector<uint8_t> Pattern(size_t n, uint32_t seed);
void WriteBytes(const QString& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const QString& path);

// A cartridge file's bytes: a pattern with the signature in place.
std::vector<uint8_t> CartridgeBytes(uint32_t seed);

}  // namespace kqui

// What the board asks of the window it runs in: status-bar texts, modal message boxes
// and the request to end the program. The main window implements it; without one the
// board runs headless (see Host()).
#pragma once

#include <string>

enum class StatusPanel { RunState = 0, MidiIn = 1, MidiOut = 2, Speed = 3 };

// The program's name: the caption of its own message boxes.
inline constexpr const char* kApplicationTitle = "Tarvelion";

enum class MessageButtons { Ok, OkCancel, YesNoCancel, RetryCancel };
enum class MessageIcon { None, Error, Warning, Question, Stop, Information };
enum class MessageChoice { Ok, Cancel, Yes, No, Retry };

class HostWindow {
 public:
  virtual ~HostWindow() = default;
  virtual void SetStatusText(StatusPanel panel, const std::string& text) = 0;
  // Shows a modal box and returns the button the user chose.
  virtual MessageChoice ShowMessage(const std::string& text, const std::string& caption,
                                    MessageButtons buttons, MessageIcon icon) = 0;
  // A fatal failure: ends the program, with exit status 1, once its message loop sees
  // the request; the caller carries on.
  virtual void RequestQuit() = 0;
};

// Installs the window (nullptr: none). Not owned.
void SetHostWindow(HostWindow* host);

// The installed window. Without one, status texts are dropped, a message box is written
// to standard error and answered OK (or Cancel where it offers a choice), and the quit
// request is dropped.
HostWindow& Host();

// How the windows reach the board while the emulation thread runs: the thread's calls
// onto the window thread, and the windows' operations that must fall between two slices.
#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "board/UiThread.h"

// The emulation thread's calls run on the Qt thread that owns this object, wherever that
// thread dispatches events (modal loops included) and while StopEmulation waits.
class QtUiThread : public QObject, public QueuedUiThread {
  Q_OBJECT

 public:
  // On the window thread: serving a call now, so the emulation thread is held in it.
  bool Serving() const { return serving_ > 0; }
  // On the window thread: returns once a call has been handed over since the last
  // return, or after the timeout.
  void WaitForCall(std::chrono::microseconds timeout);
  void ServePending() override;

  // The one installed by the program (or a test), if any.
  static QtUiThread* Installed();
  static void Install(QtUiThread* ui);

 protected:
  void Wake() override;

 private:
  int serving_ = 0;
  std::mutex wakeMutex_;
  std::condition_variable woken_;
  bool wakePending_ = false;
};

// Runs the operation on the board where no slice is running, on this thread, and returns
// once it has run: at once while no emulation thread runs (or it is held in a call that
// this thread serves), otherwise at the start of the next slice service.
void RunOnBoard(const std::function<void()>& operation);

// How the emulation thread has the user-interface thread run something and waits for it.
// The window layer installs its implementation; without one, every call runs directly on
// the calling thread (tests, headless use).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class UiThread {
 public:
  virtual ~UiThread() = default;
  // Called from another thread: runs f on the user-interface thread and returns once it
  // has run. f never throws (RunOnUiThread carries exceptions across by itself). Must be
  // served wherever the user-interface thread dispatches events, modal loops included.
  virtual void Call(const std::function<void()>& f) = 0;
  // Called on the user-interface thread: runs the calls that wait on it at this moment.
  // StopEmulation calls it over and over while it waits for the emulation thread to end,
  // when no event loop may be running; an implementation whose Call waits on the event
  // loop must serve those events here, or StopEmulation never returns.
  virtual void ServePending() {}
};

// A ready-made UiThread for window layers that can post an event but should not block
// in their own event machinery: Call hands f over and waits on a condition variable;
// Wake asks the user-interface thread, without waiting, to call ServePending soon.
class QueuedUiThread : public UiThread {
 public:
  void Call(const std::function<void()>& f) override;
  void ServePending() override;

 protected:
  // Called on the calling thread after f is handed over; must not wait for the
  // user-interface thread. A wake that finds nothing to run is harmless.
  virtual void Wake() = 0;

 private:
  struct Request {
    const std::function<void()>* f;
    bool done;
  };
  std::mutex mutex_;
  std::condition_variable served_;
  std::deque<Request*> waiting_;
};

// Installs the user-interface thread (nullptr: none). Not owned; it must stay installed
// until StopEmulation has returned.
void SetUiThread(UiThread* ui);

// Runs f on the user-interface thread (on the calling thread when none is installed) and
// waits for it; an exception thrown by f is thrown again here.
void RunOnUiThread(const std::function<void()>& f);
// On the user-interface thread: serves the calls waiting on it (nothing without one).
void ServeUiThreadCalls();

#include "ui/BoardAccess.h"

#include <atomic>
#include <thread>

#include "board/Emulator.h"

namespace {

QtUiThread* installed = nullptr;

}  // namespace

QtUiThread* QtUiThread::Installed() { return installed; }

void QtUiThread::Install(QtUiThread* ui) {
  installed = ui;
  SetUiThread(ui);
}

void QtUiThread::Wake() {
  {
    std::lock_guard lock(wakeMutex_);
    wakePending_ = true;
  }
  woken_.notify_all();
  QMetaObject::invokeMethod(this, [this] { ServePending(); }, Qt::QueuedConnection);
}

void QtUiThread::ServePending() {
  ++serving_;
  QueuedUiThread::ServePending();
  --serving_;
}

void QtUiThread::WaitForCall(std::chrono::microseconds timeout) {
  std::unique_lock lock(wakeMutex_);
  woken_.wait_for(lock, timeout, [this] { return wakePending_; });
  wakePending_ = false;
}

void RunOnBoard(const std::function<void()>& operation) {
  QtUiThread* ui = QtUiThread::Installed();
  if (ui && ui->Serving()) {
    operation();
    return;
  }
  std::atomic<bool> done{false};
  RunBetweenSlices([&] {
    operation();
    done = true;
  });
  // The slice service that runs it is one of the thread's calls onto this thread.
  while (!done) {
    ServeUiThreadCalls();
    if (done) break;
    if (!EmulationRunning()) {
      RunBetweenSlices([] {});  // a thread that ended meanwhile left it waiting
      continue;
    }
    if (ui) ui->WaitForCall(std::chrono::milliseconds(1));
    else std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
}

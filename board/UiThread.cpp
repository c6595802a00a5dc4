#include "board/UiThread.h"

#include <atomic>
#include <exception>

namespace {

std::atomic<UiThread*> installed{nullptr};

}  // namespace

void QueuedUiThread::Call(const std::function<void()>& f) {
  Request request{&f, false};
  {
    std::lock_guard lock(mutex_);
    waiting_.push_back(&request);
  }
  Wake();
  std::unique_lock lock(mutex_);
  served_.wait(lock, [&] { return request.done; });
}

void QueuedUiThread::ServePending() {
  for (;;) {
    Request* request;
    {
      std::lock_guard lock(mutex_);
      if (waiting_.empty()) return;
      request = waiting_.front();
      waiting_.pop_front();
    }
    (*request->f)();
    {
      std::lock_guard lock(mutex_);
      request->done = true;
    }
    served_.notify_all();
  }
}

void SetUiThread(UiThread* ui) { installed.store(ui); }

void RunOnUiThread(const std::function<void()>& f) {
  UiThread* ui = installed.load();
  if (ui == nullptr) {
    f();
    return;
  }
  // The window layer's event machinery never sees the exception.
  std::exception_ptr failure;
  ui->Call([&] {
    try {
      f();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  if (failure) std::rethrow_exception(failure);
}

void ServeUiThreadCalls() {
  if (UiThread* ui = installed.load()) ui->ServePending();
}

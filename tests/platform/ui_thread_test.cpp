#include "platform/UiThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

// A user-interface thread with an event loop of its own: a wake posts an event, the
// loop serves what waits.
class LoopedUiThread final : public QueuedUiThread {
 public:
  LoopedUiThread() : loop_([this] { Loop(); }) {}
  ~LoopedUiThread() override {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    woken_.notify_one();
    loop_.join();
  }
  std::thread::id Id() const { return loop_.get_id(); }

 protected:
  void Wake() override {
    {
      std::lock_guard lock(mutex_);
      ++posted_;
    }
    woken_.notify_one();
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      woken_.wait(lock, [&] { return quit_ || posted_ > 0; });
      if (quit_) return;
      --posted_;
      lock.unlock();
      ServePending();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable woken_;
  int posted_ = 0;
  bool quit_ = false;
  std::thread loop_;
};

TEST(UiThread, WithoutOneACallRunsOnTheCallingThreadAndThrowsThere) {
  SetUiThread(nullptr);
  std::thread::id where;
  RunOnUiThread([&] { where = std::this_thread::get_id(); });
  EXPECT_EQ(where, std::this_thread::get_id());
  EXPECT_THROW(RunOnUiThread([] { throw std::logic_error("x"); }), std::logic_error);
  ServeUiThreadCalls();  // nothing to serve
}

TEST(UiThread, ACallRunsOnTheUiThreadAndReturnsOnceItHasRun) {
  LoopedUiThread ui;
  SetUiThread(&ui);
  std::thread::id where;
  bool done = false;
  std::thread worker([&] {
    RunOnUiThread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      where = std::this_thread::get_id();
      done = true;
    });
    EXPECT_TRUE(done);
  });
  worker.join();
  EXPECT_EQ(where, ui.Id());
  SetUiThread(nullptr);
}

TEST(UiThread, AnExceptionOnTheUiThreadIsThrownAgainOnTheCallingThread) {
  LoopedUiThread ui;
  SetUiThread(&ui);
  std::string caught;
  std::thread worker([&] {
    try {
      RunOnUiThread([] { throw std::runtime_error("slice service failed"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
  });
  worker.join();
  EXPECT_EQ(caught, "slice service failed");
  // The user-interface thread still serves.
  std::thread again([] {
    int n = 0;
    RunOnUiThread([&] { n = 7; });
    EXPECT_EQ(n, 7);
  });
  again.join();
  SetUiThread(nullptr);
}

// A thread that is not the event loop's can serve the waiting calls too, as
// StopEmulation does while the loop no longer runs.
TEST(UiThread, PendingCallsCanBeServedWithoutTheEventLoop) {
  class Unlooped final : public QueuedUiThread {
   protected:
    void Wake() override { ++wakes; }

   public:
    std::atomic<int> wakes{0};
  } ui;
  SetUiThread(&ui);
  std::atomic<int> served{0};
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) RunOnUiThread([&] { ++served; });
  });
  while (served < 50) ServeUiThreadCalls();
  worker.join();
  EXPECT_EQ(ui.wakes, 50);
  SetUiThread(nullptr);
}

}  // namespace

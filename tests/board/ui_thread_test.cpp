#include "board/UiThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <stdexcept>
#include <thread>

namespace {

// Its "event loop" is whichever thread calls ServePending; a wake only counts.
class PolledUiThread final : public QueuedUiThread {
 public:
  std::atomic<int> wakes{0};

 protected:
  void Wake() override { ++wakes; }
};

TEST(UiThread, WithoutOneACallRunsOnTheCallingThreadAndThrowsThere) {
  std::thread::id where;
  RunOnUiThread([&] { where = std::this_thread::get_id(); });
  EXPECT_EQ(where, std::this_thread::get_id());
  EXPECT_THROW(RunOnUiThread([] { throw std::logic_error("x"); }), std::logic_error);
  ServeUiThreadCalls();  // nothing to serve
}

TEST(UiThread, ACallRunsWhereItIsServedAndItsExceptionReachesTheCaller) {
  PolledUiThread ui;
  SetUiThread(&ui);
  std::thread::id where;
  bool ranBeforeReturn = false;
  std::string caught;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    bool ran = false;
    RunOnUiThread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      where = std::this_thread::get_id();
      ran = true;
    });
    ranBeforeReturn = ran;
    try {
      RunOnUiThread([] { throw std::runtime_error("slice service failed"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    finished = true;
  });
  while (!finished) {
    ServeUiThreadCalls();
    std::this_thread::yield();
  }
  worker.join();
  SetUiThread(nullptr);
  EXPECT_EQ(where, std::this_thread::get_id());
  EXPECT_TRUE(ranBeforeReturn);
  EXPECT_EQ(caught, "slice service failed");
  EXPECT_EQ(ui.wakes, 2);
}

}  // namespace

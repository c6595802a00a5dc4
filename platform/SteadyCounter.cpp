// The host's performance counter: the monotonic steady clock, in its own ticks.
#include <chrono>
#include <thread>

#include "platform/HostServices.h"

namespace {

class SteadyCounter final : public PerformanceCounter {
  using Clock = std::chrono::steady_clock;

 public:
  int64_t Frequency() override { return Clock::period::den / Clock::period::num; }
  int64_t Now() override { return Clock::now().time_since_epoch().count(); }
  void Sleep(int32_t milliseconds) override {
    if (milliseconds <= 0)
      std::this_thread::yield();
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace

// Never destroyed: the program's way out at exit() still paces the last slice with it.
PerformanceCounter* HostPerformanceCounter() {
  static SteadyCounter* const counter = new SteadyCounter;
  return counter;
}

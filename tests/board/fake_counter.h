// A performance counter that moves only when told to, or by a fixed step per reading,
// and records the sleeps asked of it (a sleep moves it by the time slept).
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "board/PerformanceCounter.h"

namespace kqtest {

class FakeCounter final : public PerformanceCounter {
 public:
  // One count per microsecond unless told otherwise.
  explicit FakeCounter(int64_t frequency = 1'000'000) : frequency_(frequency) {}

  int64_t Frequency() override { return frequency_; }
  int64_t Now() override {
    ++readings;
    const int64_t now = now_;
    now_ += stepPerReading;
    return now;
  }
  void Sleep(int32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    if (onSleep) onSleep();
    now_ += int64_t(milliseconds) * frequency_ / 1000;
  }

  void AdvanceSeconds(double seconds) { now_ += std::llround(seconds * double(frequency_)); }

  int64_t stepPerReading = 0;
  int readings = 0;
  std::vector<int32_t> sleeps;
  std::function<void()> onSleep;

 private:
  int64_t frequency_;
  int64_t now_ = 1'000'000'000;
};

}  // namespace kqtest

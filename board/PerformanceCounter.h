// The host's high-resolution clock as real-time pacing sees it: a counter, its frequency
// and a sleep. The program passes the host's clock in; tests pass a clock of their own.
#pragma once

#include <cstdint>

class PerformanceCounter {
 public:
  virtual ~PerformanceCounter() = default;
  // Counts per second; 0 when the host has no such counter.
  virtual int64_t Frequency() = 0;
  // The current count; only differences of two readings mean anything.
  virtual int64_t Now() = 0;
  // Sleeps this many milliseconds; 0 gives up the rest of the time slice.
  virtual void Sleep(int32_t milliseconds) = 0;
};

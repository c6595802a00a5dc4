#include "board/Speedthrottle.h"

#include <cmath>
#include <string>

#include "board/Settings.h"

bool CounterAvailable = false;
float SecondsPerCount = 0.0f;
float PaceBudget = 0.0f;

namespace {

constexpr double kSecondsPerInstruction = 1.25e-7;
constexpr float kPaceLimit = 0.25f;
constexpr float kMeterPeriod = 0.25f;
// Instructions per second to a percentage of 8,000,000.
constexpr long double kMeterFactor = 1.25e-5L;

PerformanceCounter* counter = nullptr;
StatusPanel meterPanel = StatusPanel::Speed;

bool meterFirstCall = true;
int64_t meterStart = 0;
int64_t meterCount = 0;  // wide: a stalled clock must not overflow it

bool paceFirstCall = true;
int64_t paceStart = 0;

double ElapsedSeconds(int64_t start, int64_t& now) {
  now = counter->Now();
  return double(now - start) * SecondsPerCount;
}

}  // namespace

void SpeedthrottleInit(PerformanceCounter* pacing) {
  counter = pacing;
  const int64_t frequency = pacing ? pacing->Frequency() : 0;
  CounterAvailable = frequency > 0;
  SecondsPerCount = CounterAvailable ? float(1.0 / double(frequency)) : 0.0f;
  meterPanel = StatusPanel::Speed;
  meterFirstCall = paceFirstCall = true;
  meterStart = paceStart = 0;
  meterCount = 0;
  PaceBudget = 0.0f;
}

void SetSpeedPanel(StatusPanel panel) {
  meterPanel = panel;
  Host().SetStatusText(panel, "CPU:");
}

void ThrottleSlice(int32_t count) {
  if (!CounterAvailable) return;
  UpdateCpuMeter(count);
  PaceSlice(count);
}

void UpdateCpuMeter(int32_t count) {
  if (meterFirstCall) {
    meterFirstCall = false;
    meterStart = counter->Now();
    return;
  }
  meterCount += count;
  int64_t now;
  const auto elapsed = float(ElapsedSeconds(meterStart, now));
  if (elapsed < kMeterPeriod) return;
  const long double percent = (long double)meterCount / elapsed * kMeterFactor;
  Host().SetStatusText(meterPanel, "CPU: " + std::to_string(std::llround(percent)) + "%");
  meterCount = 0;
  meterStart = now;
}

void PaceSlice(int32_t count) {
  if (paceFirstCall) {
    paceFirstCall = false;
    paceStart = counter->Now();
    return;
  }
  PaceBudget = float(PaceBudget + count * kSecondsPerInstruction);
  if (PaceBudget > kPaceLimit) PaceBudget = kPaceLimit;
  int64_t now;
  double elapsed;
  if (TSettings::UseSleep) {
    elapsed = ElapsedSeconds(paceStart, now);
    // Rounded to the nearest millisecond; anything that truncates below 0 is a lag
    // that no sleep can make up. The budget holds at most 0.25 s, so the count fits.
    const double milliseconds = (PaceBudget - elapsed) * 1000.0f + 0.5f;
    if (milliseconds > -1.0) counter->Sleep(int32_t(milliseconds));
  } else {
    do elapsed = ElapsedSeconds(paceStart, now);
    while (PaceBudget > elapsed);
  }
  // Taken before the sleep: the sleep, and any oversleep, count in the next slice.
  paceStart = now;
  PaceBudget = float(PaceBudget - elapsed);
  if (PaceBudget < -kPaceLimit) PaceBudget = -kPaceLimit;
}

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
StatusPanel MeterPanel = StatusPanel::Speed;

bool MeterFirstCall = true;
int64_t MeterStart = 0;
int64_t MeterCount = 0;  // wide: a stalled clock must not overflow it

bool PaceFirstCall = true;
int64_t PaceStart = 0;

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
  MeterPanel = StatusPanel::Speed;
  MeterFirstCall = PaceFirstCall = true;
  MeterStart = PaceStart = 0;
  MeterCount = 0;
  PaceBudget = 0.0f;
}

void SetSpeedPanel(StatusPanel panel) {
  MeterPanel = panel;
  Host().SetStatusText(panel, "CPU:");
}

void ThrottleSlice(int32_t count) {
  if (!CounterAvailable) return;
  UpdateCpuMeter(count);
  PaceSlice(count);
}

void UpdateCpuMeter(int32_t count) {
  if (MeterFirstCall) {
    MeterFirstCall = false;
    MeterStart = counter->Now();
    return;
  }
  MeterCount += count;
  int64_t now;
  const auto elapsed = float(ElapsedSeconds(MeterStart, now));
  if (elapsed < kMeterPeriod) return;
  const long double percent = (long double)MeterCount / elapsed * kMeterFactor;
  Host().SetStatusText(MeterPanel, "CPU: " + std::to_string(std::llround(percent)) + "%");
  MeterCount = 0;
  MeterStart = now;
}

void PaceSlice(int32_t count) {
  if (PaceFirstCall) {
    PaceFirstCall = false;
    PaceStart = counter->Now();
    return;
  }
  PaceBudget = float(PaceBudget + count * kSecondsPerInstruction);
  if (PaceBudget > kPaceLimit) PaceBudget = kPaceLimit;
  int64_t now;
  double elapsed;
  if (TSettings::UseSleep) {
    elapsed = ElapsedSeconds(PaceStart, now);
    // Rounded to the nearest millisecond; anything that truncates below 0 is a lag
    // that no sleep can make up. The budget holds at most 0.25 s, so the count fits.
    const double milliseconds = (PaceBudget - elapsed) * 1000.0f + 0.5f;
    if (milliseconds > -1.0) counter->Sleep(int32_t(milliseconds));
  } else {
    do elapsed = ElapsedSeconds(PaceStart, now);
    while (PaceBudget > elapsed);
  }
  // Taken before the sleep: the sleep, and any oversleep, count in the next slice.
  PaceStart = now;
  PaceBudget = float(PaceBudget - elapsed);
  if (PaceBudget < -kPaceLimit) PaceBudget = -kPaceLimit;
}

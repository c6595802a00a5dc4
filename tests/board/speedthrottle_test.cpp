#include "board/Speedthrottle.h"

#include <gtest/gtest.h>

#include "board/Settings.h"
#include "tests/board/board_fixture.h"
#include "tests/board/fake_counter.h"

namespace {

using kqtest::FakeCounter;
using kqtest::FakeWindow;

constexpr int32_t kSlice = 8192;
constexpr double kSliceSeconds = kSlice * 125e-9;  // 1.024 ms

class SpeedthrottleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SpeedthrottleInit(&clock);
    SetSpeedPanel(StatusPanel::Speed);
  }
  void TearDown() override { TSettings::UseSleep = true; }

  // The first slice after set-up starts the meter and the pacing.
  void Start() { ThrottleSlice(kSlice); }

  // Slices of n instructions, each taking the host this long before its service.
  void RunSlices(int slices, int32_t n, double hostSeconds) {
    for (int i = 0; i < slices; ++i) {
      clock.AdvanceSeconds(hostSeconds);
      ThrottleSlice(n);
    }
  }

  FakeWindow window;
  FakeCounter clock;
};

TEST_F(SpeedthrottleTest, TheFirstSliceIsNeitherPacedNorCounted) {
  EXPECT_EQ(window.status[3], "CPU:");
  Start();
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_EQ(PaceBudget, 0.0f);
  // 0.3 s of host time passes, yet the first slice's instructions are not in the meter.
  clock.AdvanceSeconds(0.3);
  ThrottleSlice(0);
  EXPECT_EQ(window.status[3], "CPU: 0%");
}

TEST_F(SpeedthrottleTest, ASliceAddsItsEmulatedTimeAndSleepsTheLead) {
  Start();
  ThrottleSlice(kSlice);  // no host time passed: 1.024 ms ahead
  ASSERT_EQ(clock.sleeps, std::vector<int32_t>{1});
  // The sleep is not measured here: the budget keeps the whole lead until the next slice.
  EXPECT_FLOAT_EQ(PaceBudget, float(kSliceSeconds));
  // The next slice sees the millisecond slept.
  ThrottleSlice(kSlice);
  EXPECT_FLOAT_EQ(PaceBudget, float(2 * kSliceSeconds - 0.001));
}

TEST_F(SpeedthrottleTest, TheSleepIsTheLeadRoundedToWholeMilliseconds) {
  struct Case {
    double lead;  // budget minus elapsed time, in seconds
    std::vector<int32_t> sleeps;
  };
  for (const Case& c : {Case{0.0026, {3}}, Case{0.0014, {1}}, Case{0.0006, {1}},
                        Case{0.0004, {0}}, Case{0.0, {0}}, Case{-0.0014, {0}},
                        Case{-0.0016, {}}, Case{-0.2, {}}}) {
    SpeedthrottleInit(&clock);
    Start();
    clock.sleeps.clear();
    PaceBudget = 0.1f;
    clock.AdvanceSeconds(0.1 - c.lead);
    PaceSlice(0);
    EXPECT_EQ(clock.sleeps, c.sleeps) << "lead " << c.lead;
  }
}

TEST_F(SpeedthrottleTest, TheLeadIsHeldWithinAQuarterSecond) {
  Start();
  PaceBudget = 0.2499f;
  ThrottleSlice(kSlice);
  EXPECT_EQ(clock.sleeps, std::vector<int32_t>{250});
  EXPECT_FLOAT_EQ(PaceBudget, 0.25f);
}

TEST_F(SpeedthrottleTest, OnAVerySlowHostTheLagSettlesAtAQuarterSecondWithoutSleeping) {
  Start();
  RunSlices(20, kSlice, 0.1);
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_FLOAT_EQ(PaceBudget, -0.25f);
  // Back at full speed, a lag of 0.25 s is made up by running without sleeping.
  RunSlices(240, kSlice, 0.0);
  EXPECT_TRUE(clock.sleeps.empty());
  RunSlices(10, kSlice, 0.0);
  EXPECT_FALSE(clock.sleeps.empty());
}

TEST_F(SpeedthrottleTest, AHostStalledForDaysOnlyDropsTheBudgetToItsLimit) {
  Start();
  clock.AdvanceSeconds(3.0e6);
  ThrottleSlice(kSlice);
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_FLOAT_EQ(PaceBudget, -0.25f);
}

TEST_F(SpeedthrottleTest, TheMeterShowsTheSpeedEveryQuarterSecond) {
  Start();
  // Full speed: each 1.024 ms slice takes 1.024 ms of host time.
  RunSlices(200, kSlice, kSliceSeconds);
  EXPECT_EQ(window.status[3], "CPU:");  // 0.2048 s: not a whole period yet
  RunSlices(45, kSlice, kSliceSeconds);
  EXPECT_EQ(window.status[3], "CPU: 100%");
}

TEST_F(SpeedthrottleTest, TheMeterShowsASlowHostsRealSpeed) {
  Start();
  // Each slice takes the host twice its emulated time; the pacing never sleeps.
  RunSlices(123, kSlice, 2 * kSliceSeconds);
  EXPECT_EQ(window.status[3], "CPU: 50%");
  EXPECT_TRUE(clock.sleeps.empty() || clock.sleeps == std::vector<int32_t>(clock.sleeps.size(), 0));
}

TEST_F(SpeedthrottleTest, WhilePausedTheMeterFallsToZero) {
  Start();
  RunSlices(260, 0, 0.001);
  EXPECT_EQ(window.status[3], "CPU: 0%");
}

TEST_F(SpeedthrottleTest, BusyWaitingReadsTheClockUntilItHasCaughtUp) {
  TSettings::UseSleep = false;
  Start();
  clock.stepPerReading = 100;  // 0.1 ms between readings
  ThrottleSlice(kSlice);
  EXPECT_TRUE(clock.sleeps.empty());
  // Waited until the elapsed time reached the 1.024 ms lead, overshooting by less than
  // one reading.
  EXPECT_LE(PaceBudget, 0.0f);
  EXPECT_GT(PaceBudget, -0.0001f);
}

TEST(SpeedthrottleWithoutCounter, NeitherPacesNorMeters) {
  FakeWindow window;
  for (PerformanceCounter* none : {static_cast<PerformanceCounter*>(nullptr),
                                   static_cast<PerformanceCounter*>(new FakeCounter(0))}) {
    SpeedthrottleInit(none);
    EXPECT_FALSE(CounterAvailable);
    SetSpeedPanel(StatusPanel::Speed);
    for (int i = 0; i < 1000; ++i) ThrottleSlice(kSlice);
    EXPECT_EQ(window.status[3], "CPU:");
    EXPECT_EQ(PaceBudget, 0.0f);
    delete none;
  }
}

}  // namespace

// The host's own services, as far as a machine without sound hardware can show them.
#include <gtest/gtest.h>

#include <chrono>

#include "board/Midi.h"
#include "platform/HostServices.h"

namespace {

TEST(HostPerformanceCounter, CountsForwardAndSleeps) {
  PerformanceCounter* counter = HostPerformanceCounter();
  ASSERT_GT(counter->Frequency(), 1000);
  const int64_t before = counter->Now();
  counter->Sleep(2);
  counter->Sleep(0);
  const int64_t after = counter->Now();
  EXPECT_GE(double(after - before) / double(counter->Frequency()), 0.002);
}

// With a sequencer the lists are whatever the machine has; without one (a container,
// a build server) there is no system and the lists are empty. Neither hangs.
TEST(HostMidiSystem, ListsThePortsOrNothing) {
  MidiInit(HostMidiSystem());
  for (const auto& name : MidiInDevices) EXPECT_FALSE(name.empty());
  for (const auto& name : MidiOutDevices) EXPECT_FALSE(name.empty());
  MidiShutdown();
  EXPECT_FALSE(MidiInIsOpen);
  EXPECT_FALSE(MidiOutIsOpen);
}

}  // namespace

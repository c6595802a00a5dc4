// Real-time pacing and the speed meter. Every instruction counts as 125 ns of emulated
// time (8,000,000 per second). After every slice the meter adds up the instructions and
// shows the achieved speed every 0.25 s; then the pacing sleeps until the host's clock
// has caught up with the emulated time. Lead and lag are both held within 0.25 s.
#pragma once

#include <cstdint>

#include "board/Host.h"
#include "board/PerformanceCounter.h"

// The counter has been read: without one there is neither pacing nor meter.
extern bool CounterAvailable;
extern float SecondsPerCount;
// Emulated time minus host time, in seconds: positive while the emulation is ahead.
extern float PaceBudget;

// Program start: pacing by this counter (none: the board runs as fast as it can, the
// meter stays blank); the meter and the pacing both start with their next slice.
void SpeedthrottleInit(PerformanceCounter* counter);
// Board set-up: the meter's panel, which then reads "CPU:".
void SetSpeedPanel(StatusPanel panel);
// The last slice service, with the slice's instruction count: meter, then pacing.
void ThrottleSlice(int32_t count);

void UpdateCpuMeter(int32_t count);
void PaceSlice(int32_t count);

// The board as a whole: its start-up in unit order, its one-time set-up (each device
// maps itself onto the bus), the services that run after every slice of instructions,
// and what happens at exit.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

#include "board/Bitmap.h"
#include "board/PerformanceCounter.h"
#include "board/Sound.h"

// Instructions per slice: 1.024 ms of emulated time at 8,000,000 per second.
constexpr uint32_t SliceLength = 8192;

inline constexpr const char* kRomFileName = "kq.bin";

// The pictures the board draws and the window shows: the LCD (97 x 19) and the two
// program digits (70 x 50).
extern Bitmap LcdDisplay;
extern Bitmap SevenSegmentDisplay;

// Program start, once, before any window exists: the default bus, then each unit's
// start-up state. The sound comes out of the audio output given (none: silent); the
// slices are paced to real time by the counter given (none: as fast as they go).
void BoardInit(std::unique_ptr<SoundOutput> sound, PerformanceCounter* pacing);
// Once, before the first slice: every device maps itself, the ROM image is installed
// (from the current directory unless named) and the processor reset.
void BoardSetup(const std::string& romFile = kRomFileName);
// After every slice, with the slice's instruction count (0 while paused): first the
// operations waiting in RunBetweenSlices, then each device's service, the pacing last.
void SliceService(int32_t count);
// Program end: the patch memory is written back, unless the ROM image never loaded;
// false, with the system's reason in error, when that failed.
bool BoardShutdown(std::error_code* error = nullptr);

// The emulation thread. StartEmulation starts it once (a second call does nothing): it
// has the user-interface thread (board/UiThread.h) run BoardSetup with the ROM image,
// then runs slice after slice, the processor for SliceLength instructions (or 1 ms asleep
// while paused), then SliceService on the user-interface thread with the count. An
// exception out of either ends the thread; the windows carry on. Without a thread the
// user is told and the program asked to end.
void StartEmulation(const std::string& romFile = kRomFileName);
// Called on the user-interface thread: lets the thread finish its slice and its last
// slice service, and waits until it has ended, serving its calls meanwhile. Does nothing
// without a thread; afterwards StartEmulation may start a new one. Call it before
// BoardShutdown, so that no slice runs while the patch memory is saved.
void StopEmulation();
// At exit, where StopEmulation cannot be waited for (the thread is held in a call that
// the user-interface thread left unfinished for good): the thread runs no further slice
// and is let go, without waiting for it, so that the process can end. Only for the end
// of the process.
void LetGoOfEmulation();
// The pause switch: the processor stands still, the slice services go on with count 0.
void SetPaused(bool paused);
bool IsPaused();
// True from StartEmulation until the thread has left its loop.
bool EmulationRunning();
// For operations of the windows that change the processor or board memory (reset,
// factory state, cartridge new, open and remove): while the thread runs, the operation
// waits for the start of the next slice service and runs there, on the user-interface
// thread; otherwise it runs at once. Operations run in the order given.
void RunBetweenSlices(std::function<void()> operation);
// Instructions executed in the last slice (0 while paused).
extern std::atomic<int32_t> LastSliceCount;

// For a process that builds the board more than once (tests, the headless runner):
// the bus, the processor's registers and every value that no unit's start-up sets
// (request flags, timer count, latches, DAC values, LCD registers, panel inputs, no
// patch-memory directory) back at their program-start state. Called before BoardInit.
void BoardRestoreStartValues();

// The board as a whole: its start-up in unit order, its one-time set-up (each device
// maps itself onto the bus), the services that run after every slice of instructions,
// and what happens at exit.
#pragma once

#include <cstdint>
#include <string>

#include "board/Bitmap.h"
#include "board/Sound.h"

// Instructions per slice: 1.024 ms of emulated time at 8,000,000 per second.
constexpr uint32_t SliceLength = 8192;

inline constexpr const char* kRomFileName = "kq.bin";

// The pictures the board draws and the window shows: the LCD (97 x 19) and the two
// program digits (70 x 50).
extern Bitmap LcdDisplay;
extern Bitmap SevenSegmentDisplay;

// Program start, once, before any window exists: the default bus, then each unit's
// start-up state. The sound comes out of the audio output given (none: silent).
void BoardInit(std::unique_ptr<SoundDevice> sound = HostSoundDevice());
// Once, before the first slice: every device maps itself, the ROM image is installed
// (from the current directory unless named) and the processor reset.
void BoardSetup(const std::string& romFile = kRomFileName);
// After every slice, with the slice's instruction count (0 while paused).
void SliceService(int32_t count);
// Program end: the patch memory is written back.
void BoardShutdown();

// For a process that builds the board more than once (tests, the headless runner):
// the bus, the processor's registers and every value that no unit's start-up sets
// (request flags, timer count, latches, DAC values, LCD registers, panel inputs) back
// at their program-start state. Called before BoardInit.
void BoardRestoreStartValues();

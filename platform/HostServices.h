// The host's services that the board takes at program start: the audio output over SDL2,
// the MIDI ports over RtMidi and the monotonic clock that paces the slices.
#pragma once

#include <memory>

#include "board/Midi.h"
#include "board/PerformanceCounter.h"
#include "board/Sound.h"

// The host's default audio output, or null when it has none.
std::unique_ptr<SoundOutput> HostSoundDevice();
// The host's MIDI system (the sound system's sequencer), or null when it has none.
std::unique_ptr<MidiSystem> HostMidiSystem();
// The host's monotonic clock, one for the process.
PerformanceCounter* HostPerformanceCounter();

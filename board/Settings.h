// Built-in settings: the values a configurable emulator would read from a store. Nothing
// reads or writes them elsewhere, so every start begins with these.
#pragma once

#include <cstdint>

class TSettings {
 public:
  static inline bool UseSleep = true;        // pacing sleeps (true) or busy-waits
  static inline int32_t MidiInDevice = 0;    // pre-selected input; set when ports open
  static inline int32_t MidiOutDevice = 0;   // pre-selected output (0: the mapper)
  // Front-panel start values, used by their low byte.
  static inline int32_t DefaultVolume = 255;
  static inline int32_t DefaultBalance = 128;
  static inline int32_t DefaultDataEntry = 128;
  static inline int32_t DefaultJoystickX = 128;
  static inline int32_t DefaultJoystickY = 128;
};

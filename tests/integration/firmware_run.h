// Helpers of the integration tests: the board test firmware as a ROM file, its report in
// work RAM, and what a stretch of the run's audio sounds like.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tests/support/temp_files.h"
#include "tools/kqrun/Runner.h"

namespace kqtest {

// Frames of the audio output per slice of 8192 instructions: 45.16.
constexpr double kFramesPerSlice = 8192.0 * 44100 / 8'000'000;

// A folder holding the board test firmware as "kq.bin".
class FirmwareRun : public ::testing::Test {
 protected:
  FirmwareRun();
  std::string Rom() const { return dir.File("kq.bin"); }
  kqrun::RunOptions Options(uint32_t slices) const;
  // Runs the options; fails the test if the run fails.
  kqrun::RunResult Run(const kqrun::RunOptions& options);

  TempDir dir;
};

// A field of the firmware's report (boardtest.h) in work RAM as it stands.
uint32_t Reported(uint32_t field);
// The exception that the firmware's catch-all noted, 0 if none.
uint32_t UnexpectedException();

// The left channel of the interleaved frames from frame `first` up to frame `end`.
std::vector<int16_t> LeftChannel(std::span<const int16_t> audio, size_t first, size_t end);
double Rms(std::span<const int16_t> samples);
// Frequency in Hz from the rising zero crossings, 0 when there are fewer than two.
double Pitch(std::span<const int16_t> samples);
// The equal-tempered frequency of a MIDI note, A4 = 69 = 440 Hz.
double NoteHz(int note);

}  // namespace kqtest

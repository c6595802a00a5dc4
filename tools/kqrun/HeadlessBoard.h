// The board without windows, run slice after slice at no particular pace: the headless
// runner's engine, also driven directly by the integration tests and the benchmark.
//
// A slice is CpuRun of SliceLength instructions, then the audio output's play position
// moves on by 44100 frames per 8,000,000 instructions executed so far, then the slice
// services. Everything happens on the calling thread, so a run depends on nothing but
// its ROM, its patch memory and what is done to it between slices.
//
// The board is one set of module-level units, so only one HeadlessBoard runs at a time.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kqrun {

constexpr uint32_t kInstructionsPerSecond = 8'000'000;
// A WAV file's sizes are 32-bit: at most this many bytes of frames (about 6.7 hours).
constexpr uint64_t kWavMostDataBytes = UINT32_MAX - 36;

// Frames the audio output has played once this many instructions have executed.
uint64_t FramesDue(uint64_t instructions);
// The most frames a run of this many slices can play, whatever its ROM does.
uint64_t MostFramesPlayed(uint32_t slices);

// What the panel shows at a moment.
struct PanelView {
  std::string lcd1, lcd2;          // the LCD's lines; a user glyph (or any code without a
                                   // printable ASCII character) as '?'
  std::string digits;              // "L R", a blank digit as '-'
  std::vector<std::string> leds;   // field names of the lit buttons, in panel order
};

class HeadlessBoard {
 public:
  // keepAudio: the frames played are kept for Audio(); without it only the last slice's.
  explicit HeadlessBoard(bool keepAudio = true) : keepAudio_(keepAudio) {}

  // Builds the board from its program-start state with the analog inputs at the
  // built-in settings' values, installs the ROM and resets the processor. With a patch
  // memory directory, the directory is locked against other programs (until the next
  // Start or the end of the process) and "Tarvelion.nvr" (else "Factory.nvr") is loaded
  // from there; without one the patch memory starts blank and no file is read, locked
  // or written for it. False, with the reason, when the ROM image cannot be read or is
  // not 65536 bytes (the board is not built then), or when the directory cannot be
  // locked: another program holds it, or the system refuses the lock.
  bool Start(const std::string& romFile, const std::string& nvrDirectory, std::string& error);

  void RunSlice();
  void RunSlices(uint32_t count);

  // Writes the patch memory back to its directory, if it has one; false with the reason
  // (the system's) if that fails. Without it the file stays as it was.
  bool Finish(std::string& error);

  uint32_t Slices() const { return slices_; }
  uint64_t Instructions() const { return instructions_; }
  // Interleaved stereo frames (left, right) played since the start, 44100 per second.
  const std::vector<int16_t>& Audio() const { return audio_; }
  // The frames the last slice played, kept or not.
  std::span<const int16_t> SliceAudio() const {
    return std::span<const int16_t>(audio_).subspan(audio_.size() - sliceSamples_);
  }
  uint64_t FramesPlayed() const { return framesPlayed_; }

 private:
  bool keepAudio_;
  std::string nvrDirectory_;
  uint32_t slices_ = 0;
  uint64_t instructions_ = 0;
  uint64_t framesPlayed_ = 0;
  std::vector<int16_t> audio_;
  size_t sliceSamples_ = 0;
};

PanelView ReadPanel();
// The panel as the runner prints it: lcd1, lcd2, digits, leds and instructions lines.
std::string FormatPanel(const PanelView& panel, uint64_t instructions);

constexpr size_t kWavHeaderBytes = 44;
// The header of a 44100 Hz 16-bit stereo WAV file whose frames take dataBytes (at most
// kWavMostDataBytes); the frames follow it as little-endian samples, left then right.
std::array<uint8_t, kWavHeaderBytes> WavHeader(uint32_t dataBytes);

}  // namespace kqrun

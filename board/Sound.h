// The sound output stream: a looping ring of 40 ms of 44100 Hz 16-bit stereo that the
// host's audio output plays continuously. After every slice the ring is refilled from
// the audio renderer, half of the distance from the last written byte to the play
// position at a time, so nearly the whole ring stays written ahead of the player.
//
// Two threads meet at the ring and take no lock: the slice service writes behind the
// play position and publishes its write position; the host's audio thread reads ahead
// of the play position, never past the published write position, and publishes its play
// position. Neither position ever passes the other, so no byte is read while written;
// where they meet, the whole ring counts as written ahead.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "board/WaveRender.h"

constexpr int32_t kSoundRate = 44100;
// One frame: the left then the right sample, signed 16-bit little-endian.
constexpr uint32_t kSoundFrameBytes = 4;
// trunc(176400 bytes per second x 0.04 s): 1764 frames.
constexpr uint32_t SoundBufferSize = 7056;

// Writes frames of interleaved stereo (left, right) computed at the rate into out.
using SoundRenderer = void (*)(int16_t* out, uint32_t frames, int32_t rate);

// The host's audio output.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Prepares a 44100 Hz 16-bit stereo output that takes its bytes from SoundConsume;
  // false if the host cannot play that.
  virtual bool Open() = 0;
  // Starts the output; from then on it plays the ring in a loop.
  virtual void Play() = 0;
};

extern int16_t SoundBuffer[SoundBufferSize / 2];
// Byte offset where the next refill starts; taken modulo the ring size at each refill.
extern std::atomic<uint32_t> SoundWritePos;
// Byte offset of the next byte the host plays; moved only by the host's audio thread.
extern std::atomic<uint32_t> SoundPlayPos;
// True once SoundInit has set the stream up.
extern bool SoundStreaming;

// Program start: takes the audio output (none when null) and forgets any earlier stream.
void SoundCreate(std::unique_ptr<SoundOutput> device);
// Board set-up: opens the output, clears the ring and starts it playing. False, with
// nothing reported, when there is no output or it cannot be opened; the board then runs
// without sound.
bool SoundInit();
// After every slice: renders into the free half of the ring ahead of the last refill.
// Does nothing at all while there is no stream.
void SoundUpdate(SoundRenderer render = WaveRender);
// The host's audio thread: copies the next bytes of the ring to out and moves the play
// position past them. Where the refills have fallen behind, it copies up to the write
// position and fills the rest of out with silence. The two positions then meet, which
// counts as the whole ring written ahead: the following calls play on around the ring,
// through the older sound it still holds, while the refills start again behind the play
// position.
void SoundConsume(uint8_t* out, uint32_t bytes);

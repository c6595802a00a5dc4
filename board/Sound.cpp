#include "board/Sound.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the ring holds little-endian samples");
static_assert(SoundBufferSize % kSoundFrameBytes == 0);

int16_t SoundBuffer[SoundBufferSize / 2];
std::atomic<uint32_t> SoundWritePos{0};
std::atomic<uint32_t> SoundPlayPos{0};
bool SoundStreaming = false;

// The host's audio output; null when there is none.
static std::unique_ptr<SoundOutput> SoundDevice;

void SoundCreate(std::unique_ptr<SoundOutput> device) {
  SoundDevice.reset();  // an earlier output stops pulling before its stream is forgotten
  SoundStreaming = false;
  SoundWritePos = 0;
  SoundPlayPos = 0;
  SoundDevice = std::move(device);
}

bool SoundInit() {
  if (!SoundDevice || !SoundDevice->Open()) return false;
  std::memset(SoundBuffer, 0, sizeof SoundBuffer);
  SoundStreaming = true;
  SoundDevice->Play();
  return true;
}

void SoundUpdate(SoundRenderer render) {
  if (!SoundStreaming) return;
  const uint32_t write = SoundWritePos.load(std::memory_order_relaxed) % SoundBufferSize;
  SoundWritePos.store(write, std::memory_order_relaxed);
  // Acquire: the audio thread has finished reading every byte behind the play position.
  const uint32_t play = SoundPlayPos.load(std::memory_order_acquire);
  // Equal positions mean the whole ring is written ahead (as right after the start).
  const uint32_t free = write > play ? play + SoundBufferSize - write : play - write;
  const uint32_t bytes = (free >> 1) & ~(kSoundFrameBytes - 1);
  // The range from the write position, in two parts where it wraps at the ring's end.
  const uint32_t first = std::min(bytes, SoundBufferSize - write);
  const uint32_t second = bytes - first;
  if (first != 0) render(SoundBuffer + write / 2, first / kSoundFrameBytes, kSoundRate);
  if (second != 0) render(SoundBuffer, second / kSoundFrameBytes, kSoundRate);
  // Release: the rendered bytes are in place before the audio thread may read them.
  SoundWritePos.store(write + bytes, std::memory_order_release);
}

void SoundConsume(uint8_t* out, uint32_t bytes) {
  const auto* ring = reinterpret_cast<const uint8_t*>(SoundBuffer);
  const uint32_t play = SoundPlayPos.load(std::memory_order_relaxed);
  const uint32_t write = SoundWritePos.load(std::memory_order_acquire) % SoundBufferSize;
  const uint32_t ahead =
      write == play ? SoundBufferSize : (write + SoundBufferSize - play) % SoundBufferSize;
  const uint32_t take = std::min(bytes, ahead);
  const uint32_t first = std::min(take, SoundBufferSize - play);
  std::memcpy(out, ring + play, first);
  std::memcpy(out + first, ring, take - first);
  std::memset(out + take, 0, bytes - take);
  SoundPlayPos.store((play + take) % SoundBufferSize, std::memory_order_release);
}

// The sound output ring: its refill arithmetic with a play position set by the test,
// the audio thread's side of the ring, a run without any output, and the host's output
// under SDL's dummy driver.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "board/Sound.h"
#include "platform/HostServices.h"

namespace {

// Stands in for the host's output: nothing plays unless the test consumes.
struct FakeDevice : SoundOutput {
  bool opens = true;
  bool* played;
  explicit FakeDevice(bool* played_flag) : played(played_flag) {}
  bool Open() override { return opens; }
  void Play() override { *played = true; }
};

struct RenderCall {
  uint32_t offset;  // bytes into the ring
  uint32_t frames;
  int32_t rate;
  bool operator==(const RenderCall&) const = default;
};

std::vector<RenderCall> Calls;
int16_t NextFrame = 1;

// Each frame it renders holds a running count on the left and its negation on the right.
void CountingRender(int16_t* out, uint32_t frames, int32_t rate) {
  Calls.push_back(
      {uint32_t(reinterpret_cast<uint8_t*>(out) - reinterpret_cast<uint8_t*>(SoundBuffer)), frames,
       rate});
  for (uint32_t i = 0; i < frames; ++i, ++NextFrame) {
    out[2 * i] = NextFrame;
    out[2 * i + 1] = int16_t(-NextFrame);
  }
}

class SoundStream : public testing::Test {
 protected:
  void SetUp() override {
    Calls.clear();
    NextFrame = 1;
    SoundCreate(std::make_unique<FakeDevice>(&played_));
  }
  void TearDown() override { SoundCreate(nullptr); }

  void Start() { ASSERT_TRUE(SoundInit()); }

  bool played_ = false;
};

TEST_F(SoundStream, InitClearsTheRingAndStartsPlaying) {
  std::memset(SoundBuffer, 0x5A, sizeof SoundBuffer);
  Start();
  EXPECT_TRUE(played_);
  EXPECT_TRUE(SoundStreaming);
  for (int16_t sample : SoundBuffer) ASSERT_EQ(sample, 0);
  // Both positions at 0: the whole ring counts as written ahead, nothing is rendered.
  SoundUpdate(CountingRender);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(SoundWritePos, 0u);
}

TEST_F(SoundStream, RefillsHalfTheDistanceToThePlayPosition) {
  Start();
  SoundPlayPos = 1000;
  SoundUpdate(CountingRender);
  EXPECT_EQ(Calls, (std::vector<RenderCall>{{0, 125, 44100}}));
  EXPECT_EQ(SoundWritePos, 500u);
  SoundUpdate(CountingRender);  // half of the remaining 500
  EXPECT_EQ(Calls.back(), (RenderCall{500, 62, 44100}));
  EXPECT_EQ(SoundWritePos, 748u);

  SoundCreate(std::make_unique<FakeDevice>(&played_));
  Start();
  Calls.clear();
  SoundPlayPos = 1006;  // 503 rounded down to whole frames
  SoundUpdate(CountingRender);
  EXPECT_EQ(Calls, (std::vector<RenderCall>{{0, 125, 44100}}));
}

TEST_F(SoundStream, RefillWrapsAtTheRingsEndInTwoParts) {
  Start();
  SoundWritePos = 7000;
  SoundPlayPos = 100;
  SoundUpdate(CountingRender);  // free 156, 76 bytes: 56 at the end, 20 at the start
  EXPECT_EQ(Calls, (std::vector<RenderCall>{{7000, 14, 44100}, {0, 5, 44100}}));
  EXPECT_EQ(SoundWritePos, 7076u);
  EXPECT_EQ(SoundBuffer[7000 / 2], 1);
  EXPECT_EQ(SoundBuffer[7052 / 2 + 1], -14);
  EXPECT_EQ(SoundBuffer[0], 15);
  EXPECT_EQ(SoundBuffer[4 * 2], 19);
  EXPECT_EQ(SoundBuffer[5 * 2], 0);

  Calls.clear();
  SoundUpdate(CountingRender);  // from 20 to the play position at 100: 40 bytes
  EXPECT_EQ(Calls, (std::vector<RenderCall>{{20, 10, 44100}}));
  EXPECT_EQ(SoundWritePos, 60u);
}

TEST_F(SoundStream, WithoutAnOutputNothingIsTouched) {
  SoundCreate(nullptr);
  EXPECT_FALSE(SoundInit());
  SoundWritePos = 7000;
  SoundPlayPos = 100;
  SoundBuffer[0] = 77;
  SoundUpdate(CountingRender);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(SoundWritePos, 7000u);
  EXPECT_EQ(SoundBuffer[0], 77);
  EXPECT_FALSE(SoundStreaming);
}

TEST_F(SoundStream, AnOutputThatWillNotOpenIsNeverStarted) {
  auto device = std::make_unique<FakeDevice>(&played_);
  device->opens = false;
  SoundCreate(std::move(device));
  EXPECT_FALSE(SoundInit());
  EXPECT_FALSE(played_);
  SoundPlayPos = 1000;
  SoundUpdate(CountingRender);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(SoundWritePos, 0u);
}

// The audio thread's pulls interleaved with refills, as a slice service about once a
// millisecond and an output taking 256 frames at a time: after the 40 ms of silence
// the ring starts with, every rendered frame is played once, in order.
TEST_F(SoundStream, PlaysEveryRenderedFrameOnceInOrder) {
  Start();
  std::vector<int16_t> played;
  uint8_t block[1024];
  for (int pull = 0; pull < 200; ++pull) {
    for (int slice = 0; slice < 6; ++slice) SoundUpdate(CountingRender);
    SoundConsume(block, sizeof block);
    const auto* samples = reinterpret_cast<const int16_t*>(block);
    for (size_t i = 0; i < sizeof block / 2; i += 2) {
      ASSERT_EQ(samples[i + 1], int16_t(-samples[i]));
      played.push_back(samples[i]);
    }
  }
  const size_t silence = SoundBufferSize / kSoundFrameBytes;
  ASSERT_GT(played.size(), silence);
  for (size_t i = 0; i < silence; ++i) ASSERT_EQ(played[i], 0) << i;
  for (size_t i = silence; i < played.size(); ++i)
    ASSERT_EQ(played[i], int16_t(i - silence + 1)) << i;
}

TEST_F(SoundStream, PlayStopsAtTheWritePositionWhenRefillsFallBehind) {
  Start();
  uint8_t block[1024];
  SoundConsume(block, 1000);
  SoundUpdate(CountingRender);  // 500 bytes at 0
  EXPECT_EQ(SoundWritePos, 500u);
  // The rest of the silent ring, then what was written, then silence where nothing is.
  std::vector<uint8_t> out(7056 - 1000 + 500 + 100, 0xEE);
  SoundConsume(out.data(), uint32_t(out.size()));
  EXPECT_EQ(out[0], 0);
  const auto* written = reinterpret_cast<const int16_t*>(out.data() + 7056 - 1000);
  EXPECT_EQ(written[0], 1);
  EXPECT_EQ(written[2 * 124], 125);
  for (size_t i = out.size() - 100; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
  EXPECT_EQ(SoundPlayPos, 500u);
  // The positions meet: the next refill finds nothing free and the ring plays on.
  SoundUpdate(CountingRender);
  EXPECT_EQ(SoundWritePos, 500u);
  SoundConsume(block, 400);
  EXPECT_EQ(SoundPlayPos, 900u);
  SoundUpdate(CountingRender);
  EXPECT_EQ(Calls.back(), (RenderCall{500, 50, 44100}));
}

// The host's output under SDL's dummy driver plays in real time on its own thread.
TEST(HostSound, DummyDriverPlaysTheRing) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SoundCreate(HostSoundDevice());
  if (!SoundInit()) {
    SoundCreate(nullptr);
    GTEST_SKIP() << "SDL's dummy audio driver is not available";
  }
  Calls.clear();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Calls.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    SoundUpdate(CountingRender);
  }
  SoundCreate(nullptr);  // closes the output and waits for its thread
  EXPECT_FALSE(Calls.empty());
  unsetenv("SDL_AUDIODRIVER");
}

TEST(HostSound, NoUsableDriverMeansNoSound) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SoundCreate(HostSoundDevice());
  EXPECT_FALSE(SoundInit());
  Calls.clear();
  SoundUpdate(CountingRender);
  EXPECT_TRUE(Calls.empty());
  SoundCreate(nullptr);
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace

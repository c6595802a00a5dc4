// The sound stream in the board's life: the set-up starts it before any device maps
// itself, and every slice service refills it from the renderer, paused or not.
#include <cstring>

#include "board/Emulator.h"
#include "board/Output.h"
#include "tests/board/board_fixture.h"

namespace {

struct RecordingOutput : SoundOutput {
  int* opened;
  int* played;
  RecordingOutput(int* opened_count, int* played_count)
      : opened(opened_count), played(played_count) {}
  bool Open() override {
    ++*opened;
    return true;
  }
  void Play() override { ++*played; }
};

class SoundServiceTest : public kqtest::BoardTest {
 protected:
  void SetUp() override { BuildBoard({}, std::make_unique<RecordingOutput>(&opened_, &played_)); }
  void TearDown() override { SoundCreate(nullptr); }
  int opened_ = 0, played_ = 0;
};

TEST_F(SoundServiceTest, SetUpStartsTheStreamOnce) {
  EXPECT_EQ(opened_, 1);
  EXPECT_EQ(played_, 1);
  EXPECT_TRUE(SoundStreaming);
}

TEST_F(SoundServiceTest, EverySliceRefillsFromTheRenderer) {
  std::memset(SoundBuffer, 0x55, sizeof SoundBuffer);
  SoundPlayPos = 1000;
  SliceService(0);  // paused: the output is still refilled, silent while disabled
  EXPECT_EQ(SoundWritePos, 500u);
  EXPECT_EQ(SoundBuffer[0], 0);
  EXPECT_EQ(SoundBuffer[249], 0);
  EXPECT_EQ(SoundBuffer[250], 0x5555);
  SliceService(8192);
  EXPECT_EQ(SoundWritePos, 748u);
}

using SilentBoardTest = kqtest::BoardTest;

TEST_F(SilentBoardTest, WithoutAnOutputTheSlicesLeaveTheStreamAlone) {
  EXPECT_FALSE(SoundStreaming);
  SoundPlayPos = 1000;
  SliceService(0);
  EXPECT_EQ(SoundWritePos, 0u);
}

}  // namespace

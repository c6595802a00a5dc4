// The renderer's building blocks against figures worked out by hand from their rules:
// oscillator and chorus clock steps, filter coefficients at the control edges, the
// filter's first frames, the chorus delay and the noise sequence.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "board/WaveRender.h"

namespace {

TEST(PhaseStep, FrequencyRegisterToSixteenDotSixteenStep) {
  EXPECT_EQ(WavePhaseStep(0, 44100), 0u);
  EXPECT_EQ(WavePhaseStep(1, 44100), 5u);
  EXPECT_EQ(WavePhaseStep(1000, 44100), 5660u);
  EXPECT_EQ(WavePhaseStep(65535, 44100), 370946u);
  EXPECT_EQ(WavePhaseStep(1000, 22050), 11320u);
}

TEST(ChorusClock, StepsAtTheControlEdges) {
  EXPECT_EQ(ChorusClockStep(0.0f, 44100), 594430u);  // a write every 2.5 us
  EXPECT_EQ(ChorusClockStep(1.0f, 44100), 29721u);   // every 50 us
}

TEST(LadderFilter, StartsOpenAndSilent) {
  LadderFilter filter;
  std::memset(&filter, 0x55, sizeof filter);
  LadderFilterInit(filter);
  EXPECT_EQ(filter.Rate, 44100);
  EXPECT_EQ(filter.Cutoff, 1.0f);
  EXPECT_EQ(filter.Res, 0.0f);
  EXPECT_EQ(filter.StageGain, 1.0f);
  EXPECT_EQ(filter.StagePole, 1.0f);
  EXPECT_EQ(filter.Feedback, 0.0f);
  for (float b : {filter.B0, filter.B1, filter.B2, filter.B3, filter.B4}) EXPECT_EQ(b, 0.0f);
}

struct Coefficients {
  float cutoff, res;
  float gain, pole, feedback;
};

TEST(LadderFilter, CoefficientsAtTheControlEdges) {
  const Coefficients cases[] = {
      // Cutoff 1.0 (and anything above about 0.893) reaches half the rate: the stages pass
      // everything and the feedback is the resonance x 1.04 alone.
      {1.0f, 0.0f, 1.0f, 1.0f, 0.0f},
      {0.894f, 0.0f, 1.0f, 1.0f, 0.0f},
      {1.0f, 0.5f, 1.0f, 1.0f, 0.52f},
      {1.0f, 1.0f, 1.0f, 1.0f, 1.0f},  // 1.04 clamped
      // Cutoff 0.0: about 52.19 Hz.
      {0.0f, 0.0f, 0x1.16e764p-8f, -0x1.fba462p-1f, 0.0f},
      {0.0f, 1.0f, 0x1.16e764p-8f, -0x1.fba462p-1f, 0x1.e4032ap+1f},  // about 3.781
      {0.5f, 0.5f, 0x1.f36344p-4f, -0x1.83273p-1f, 0x1.b55a06p+0f},
  };
  for (const Coefficients& c : cases) {
    SCOPED_TRACE(testing::Message() << "cutoff " << c.cutoff << " res " << c.res);
    LadderFilter filter;
    LadderFilterInit(filter);
    LadderFilterTune(filter, 44100, c.cutoff, c.res);
    EXPECT_EQ(filter.StageGain, c.gain);
    EXPECT_EQ(filter.StagePole, c.pole);
    EXPECT_EQ(filter.Feedback, c.feedback);
    EXPECT_EQ(filter.Cutoff, c.cutoff);
    EXPECT_EQ(filter.Res, c.res);
  }
}

TEST(LadderFilter, RecomputesOnlyWhenAnInputChanges) {
  LadderFilter filter;
  LadderFilterInit(filter);
  LadderFilterTune(filter, 44100, 0.5f, 0.5f);
  filter.Feedback = 99.0f;  // a recomputation would overwrite it
  LadderFilterTune(filter, 44100, 0.5f, 0.5f);
  EXPECT_EQ(filter.Feedback, 99.0f);
  LadderFilterTune(filter, 22050, 0.5f, 0.5f);
  EXPECT_EQ(filter.Rate, 22050);
  EXPECT_NE(filter.Feedback, 99.0f);
  // The constructed inputs themselves count as computed.
  LadderFilterInit(filter);
  filter.StageGain = 0.25f;
  LadderFilterTune(filter, 44100, 1.0f, 0.0f);
  EXPECT_EQ(filter.StageGain, 0.25f);
}

TEST(LadderFilter, FirstFramesOfAStep) {
  LadderFilter filter;
  LadderFilterInit(filter);
  LadderFilterTune(filter, 44100, 0.5f, 0.5f);
  const std::array<float, 6> expected = {0x1.cf627ap-15f, 0x1.d0ca26p-12f, 0x1.ccffa4p-10f,
                                         0x1.356594p-8f,  0x1.4384e2p-7f,  0x1.1d93a0p-6f};
  for (float out : expected) EXPECT_EQ(LadderFilterProcess(filter, 0.25f), out);
  EXPECT_EQ(filter.B0, float(0.25 - double(filter.Feedback) * 0x1.4384e2p-7f));
}

TEST(LadderFilter, OpenFilterSwingsAroundASteadyLevel) {
  // Gain and pole 1.0: each stage adds its input's last two values and takes off its own
  // last output, so the saturated last stage settles slowly around the input.
  LadderFilter filter;
  LadderFilterInit(filter);
  const std::array<float, 4> expected = {0x1.eaaaaap-2f, 0x1.fd3880p-2f, 0x1.ed18bep-2f,
                                         0x1.fb1e66p-2f};
  for (float out : expected) EXPECT_EQ(LadderFilterProcess(filter, 0.5f), out);
}

TEST(LadderFilter, StagesStayWithinPlusMinusOne) {
  LadderFilter filter;
  LadderFilterInit(filter);
  constexpr float kSaturatedOne = 0x1.aaaaaap-1f;               // 1 - 1/6
  EXPECT_EQ(LadderFilterProcess(filter, 3.0f), kSaturatedOne);  // clamped to 1.0 in each stage
  EXPECT_EQ(filter.B1, 1.0f);
  EXPECT_EQ(filter.B3, 1.0f);
  LadderFilterInit(filter);
  EXPECT_EQ(LadderFilterProcess(filter, -3.0f), -kSaturatedOne);
  EXPECT_EQ(filter.B2, -1.0f);
  // High resonance at a low cutoff rings but never leaves the range.
  LadderFilterTune(filter, 44100, 0.0f, 1.0f);
  for (int i = 0; i < 20000; ++i) {
    const float out = LadderFilterProcess(filter, i % 400 < 200 ? 1.0f : -1.0f);
    ASSERT_LE(std::fabs(out), 1.0f);
    ASSERT_LE(std::fabs(filter.B1), 1.0f);
  }
}

constexpr float kChorusWrite = float(0.173158911);

TEST(ChorusLine, AnImpulseIsHeardFromTheTwoOldestSlots) {
  ChorusLine line{};
  line.ClockStep = 65536;  // one write per frame
  EXPECT_EQ(ChorusProcess(line, 1.0f), 0.0f);
  EXPECT_EQ(line.Index, 1);
  EXPECT_EQ(line.Samples[0], kChorusWrite);
  for (int frame = 1; frame < 254; ++frame) ASSERT_EQ(ChorusProcess(line, 0.0f), 0.0f) << frame;
  EXPECT_EQ(ChorusProcess(line, 0.0f), kChorusWrite);  // 255 writes old
  EXPECT_EQ(ChorusProcess(line, 0.0f), kChorusWrite);  // 256 writes old, then overwritten
  EXPECT_EQ(ChorusProcess(line, 0.0f), 0.0f);
  EXPECT_EQ(line.Index, 1);  // wrapped
}

TEST(ChorusLine, ClockDecidesHowManyCopiesAFrameWrites) {
  ChorusLine line{};
  line.ClockStep = ChorusClockStep(0.0f, 44100);
  int writes = 0;
  for (int frame = 0; frame < 100; ++frame) {
    const uint8_t before = line.Index;
    ChorusProcess(line, 0.5f);
    const int n = uint8_t(line.Index - before);
    ASSERT_TRUE(n == 9 || n == 10) << frame;
    writes += n;
  }
  EXPECT_EQ(writes, 907);  // 100 x 594430 / 65536
  EXPECT_LT(line.ClockPhase, 65536u);

  // A slow clock writes only every third frame here.
  ChorusLine slow{};
  slow.ClockStep = ChorusClockStep(1.0f, 44100);
  ChorusProcess(slow, 1.0f);
  ChorusProcess(slow, 1.0f);
  EXPECT_EQ(slow.Index, 0);
  EXPECT_EQ(slow.ClockPhase, 2u * 29721u);
  ChorusProcess(slow, 1.0f);
  EXPECT_EQ(slow.Index, 1);
  EXPECT_EQ(slow.ClockPhase, 3u * 29721u - 65536u);
}

TEST(ChorusLine, ReturnsTheSumOfTheOldestTwoWithoutAWrite) {
  ChorusLine line{};
  line.Index = 255;
  line.Samples[255] = 0.25f;
  line.Samples[0] = 0.5f;
  EXPECT_EQ(ChorusProcess(line, 1.0f), 0.75f);  // no clock: nothing written
  EXPECT_EQ(line.Index, 255);
}

TEST(Noise, FixedSequenceFromAnUnseededStart) {
  NoiseState = 1;
  const uint32_t expected[] = {346, 130, 10982, 1090, 11656, 7117};
  for (uint32_t value : expected) EXPECT_EQ(NoiseDraw(), value);
  for (int i = 0; i < 100000; ++i) ASSERT_LE(NoiseDraw(), 32767u);
}

TEST(WaveRenderInit, BuildsOpenFiltersAndSilentLines) {
  VoiceFilters[3].B2 = 0.5f;
  VoiceFilters[7].Feedback = 2.0f;
  LeftChorusLine.Samples[17] = 1.0f;
  RightChorusLine.Index = 9;
  RightChorusLine.ClockStep = 5;
  WaveRenderInit();
  for (const LadderFilter& filter : VoiceFilters) {
    EXPECT_EQ(filter.B2, 0.0f);
    EXPECT_EQ(filter.Feedback, 0.0f);
    EXPECT_EQ(filter.StageGain, 1.0f);
  }
  EXPECT_EQ(LeftChorusLine.Samples[17], 0.0f);
  EXPECT_EQ(RightChorusLine.Index, 0);
  EXPECT_EQ(RightChorusLine.ClockStep, 0u);
}

}  // namespace

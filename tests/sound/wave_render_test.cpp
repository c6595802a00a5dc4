// The audio renderer over the wave chips, the DAC and the output lines, set through the
// same entry points the firmware's writes reach: a loaded wave heard as a tone at its
// pitch and pan, noise in its draw order, the output scaling and clamps, silence with the
// output disabled, and a busy board against figures worked out independently.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "board/Dac.h"
#include "board/Output.h"
#include "board/WaveRender.h"

namespace {

constexpr int32_t kRate = 44100;

// DAC channels.
constexpr uint32_t kLevel = 0;  // + 4 x voice + chip
constexpr uint32_t kVca = 32, kCutoff = 40, kPan = 48;
constexpr uint32_t kLeftRes = 56, kRightRes = 57, kLeftChorus = 58, kRightChorus = 59,
                   kLeftFinal = 60, kRightFinal = 61;
// Latch-1 word bits.
constexpr uint32_t kRightChorusLine = 0x100, kLeftChorusLine = 0x200, kOutputLine = 0x400;

void Dac(uint32_t channel, uint32_t value) { DacWriteWord(channel * 2, value); }
void Lines(uint32_t word) { DigitLatchWriteWord(0, word); }
void Control(WaveChip& chip, int voice, uint16_t value) {
  WaveRegStore(chip, uint32_t(voice) << 4, value);
}
void Frequency(WaveChip& chip, int voice, uint16_t value) {
  WaveRegStore(chip, uint32_t(voice) << 4 | 2, value);
}

// Chip c's voice v at full level and amplifier, fully to the left, through an open
// filter (cutoff 1.0: the stages pass everything, only the last one saturates).
void OpenVoiceLeft(int c, int v) {
  Dac(kLevel + 4 * v + c, 0xFFF0);
  Dac(kVca + v, 0xFFF0);
  Dac(kCutoff + v, 0xFFF0);
  Dac(kPan + v, 0xFFF0);
  Dac(kLeftFinal, 0xFFF0);
}

// Through the chip's load port, high and low byte of each sample in turn.
void LoadWave(WaveChip& chip, int wave, const std::vector<int16_t>& samples) {
  const uint16_t base = uint16_t(0x8000 | (wave & 4 ? 0x400 : 0) | (wave & 3) << 7);
  for (int i = 0; i < 128; ++i) {
    Control(chip, 0, uint16_t(base | 0x200 | i));
    WaveRamWrite(chip, uint8_t(uint16_t(samples[i]) >> 8));
    Control(chip, 0, uint16_t(base | i));
    WaveRamWrite(chip, uint8_t(samples[i]));
  }
}

class WaveRenderTest : public testing::Test {
 protected:
  void SetUp() override {
    WaveInit();
    for (float* target : DacTargets) *target = 0.0f;
    Lines(0);
  }

  std::vector<int16_t> Render(uint32_t frames) {
    std::vector<int16_t> out(2 * frames, 0x5555);
    WaveRender(out.data(), frames, kRate);
    return out;
  }
};

TEST_F(WaveRenderTest, VoicesTakeTheirWaveAndStepFromTheRegisters) {
  Control(WaveChipB, 2, 0x0005);
  Frequency(WaveChipB, 2, 1000);
  Frequency(WaveChipB, 3, 1);
  Frequency(WaveChipB, 4, 65535);
  Control(WaveChipB, 4, 0xFFFF);
  WaveUpdateVoices(WaveChipB, kRate);
  EXPECT_EQ(WaveChipB.Voices[2].Table, WaveChipB.WaveTables[5]);
  EXPECT_EQ(WaveChipB.Voices[2].PhaseStep, 5660u);
  EXPECT_EQ(WaveChipB.Voices[3].PhaseStep, 5u);
  EXPECT_EQ(WaveChipB.Voices[4].PhaseStep, 370946u);
  EXPECT_EQ(WaveChipB.Voices[4].Table, WaveChipB.WaveTables[7]);
  EXPECT_EQ(WaveChipB.Voices[0].Table, WaveChipB.WaveTables[0]);
}

// A sine of amplitude 0.4 in wave 1 of chip A, voice 0 at full level, amplifier 0.5,
// a quarter to the left, through a filter well above its pitch.
TEST_F(WaveRenderTest, LoadedWaveSoundsAtItsPitchAndPan) {
  std::vector<int16_t> sine(128);
  for (int i = 0; i < 128; ++i)
    sine[i] = int16_t(int(std::lround(26214 * std::sin(i * 2 * M_PI / 128))) & ~15);
  LoadWave(WaveChipA, 1, sine);
  Control(WaveChipA, 0, 0x0001);
  Frequency(WaveChipA, 0, 14820);  // step 83884: 440.99 Hz
  Dac(kLevel + 0, 0xFFF0);
  Dac(kVca + 0, 0x8000);
  Dac(kCutoff + 0, 0xCCC0);
  Dac(kPan + 0, 0x4000);
  Dac(kLeftFinal, 0xFFF0);
  Dac(kRightFinal, 0xFFF0);
  Lines(kOutputLine);

  const std::vector<int16_t> out = Render(kRate);
  int crossings = 0;
  double left = 0.0, right = 0.0;
  int16_t peak = 0;
  for (int frame = 1; frame < kRate; ++frame) {
    const int16_t l = out[2 * frame], r = out[2 * frame + 1];
    if (out[2 * frame - 2] < 0 && l >= 0) ++crossings;
    left += double(l) * l;
    right += double(r) * r;
    peak = std::max(peak, r);
  }
  EXPECT_NEAR(crossings, 441, 1);
  // The pan control is the left share: 16384 / 65520 left, the rest right.
  const double pan = 16384.0 / 65520.0;
  EXPECT_NEAR(std::sqrt(right / left), (1 - pan) / pan, 0.01);
  // 0.4 x 0.5 x 0.75 of full scale, a little less after the last stage's saturation.
  EXPECT_GT(peak, 0.95 * 0.4 * 0.5 * 0.75 * 65535);
  EXPECT_LT(peak, 1.01 * 0.4 * 0.5 * 0.75 * 65535);
}

// The state from which the next draw returns value: the generator run backwards.
uint32_t StateBefore(uint32_t state) {
  uint32_t inverse = 22695477u;  // Newton's iteration for the inverse modulo 2^32
  for (int i = 0; i < 5; ++i) inverse *= 2u - 22695477u * inverse;
  return (state - 1u) * inverse;
}

// Voice 3 plays noise on all four chips and voice 1 on chip C; only chip D's voice 3 is
// heard: the first frame is that frame's fifth draw, saturated.
TEST_F(WaveRenderTest, NoiseDrawsVoiceByVoiceChipByChip) {
  for (WaveChip* chip : WaveChips) Control(*chip, 3, 0x4008);
  Control(WaveChipC, 1, 0x4008);  // voice 1 draws before voice 3
  OpenVoiceLeft(3, 3);
  Lines(kOutputLine);
  const int16_t saturated = int16_t(float(0.5 - 0.125 / 6.0) * 65535.0);  // 31401

  for (uint32_t draw : {0u, 0x7FFFu}) {
    SCOPED_TRACE(draw);
    WaveRenderInit();
    // Five draws per frame; the fifth (chip D, voice 3) is to give the value.
    uint32_t state = draw << 16;
    for (int i = 0; i < 5; ++i) state = StateBefore(state);
    NoiseState = state;
    const uint32_t phase = WaveChipA.Voices[3].Phase;
    const std::vector<int16_t> out = Render(1);
    EXPECT_EQ(out[0], draw == 0 ? -saturated : saturated);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(NoiseState, draw << 16);
    EXPECT_EQ(WaveChipA.Voices[3].Phase, phase);  // a noise voice keeps its phase
  }
  // Ten frames: fifty draws.
  uint32_t expected = NoiseState;
  for (int i = 0; i < 50; ++i) expected = expected * 22695477u + 1u;
  Render(10);
  EXPECT_EQ(NoiseState, expected);
}

// Both lines' oldest slots hold 0.3 + 0.3: with the chorus heard and no voice sounding
// the side's sum is 0.6 before its final volume.
TEST_F(WaveRenderTest, FinalVolumeClampAndSampleScaling) {
  struct Case {
    float oldest, final;
    int16_t sample;
  };
  const Case cases[] = {
      {0.3f, 1.0f, 32767},     // 0.6 clamped to 0.5: 32767.5 truncated
      {-0.3f, 1.0f, -32767},   // -0.6 clamped to -0.5
      {0.125f, 1.0f, 16383},   // 0.25: 16383.75
      {0.3f, 0.5f, 19660},     // 0.3f x 65535 = 19660.5...
      {-0.125f, 0.5f, -8191},  // -0.125: -8191.875
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    WaveRenderInit();
    for (ChorusLine* line : {&LeftChorusLine, &RightChorusLine})
      line->Samples[0] = line->Samples[1] = c.oldest;
    Dac(kLeftChorus, 0xFFF0);  // slow clocks: nothing is written in the first frame
    Dac(kRightChorus, 0xFFF0);
    LeftControls.Final = RightControls.Final = c.final;
    Lines(kOutputLine | kLeftChorusLine | kRightChorusLine);
    const std::vector<int16_t> out = Render(1);
    EXPECT_EQ(out[0], c.sample);
    EXPECT_EQ(out[1], c.sample);
  }
}

TEST_F(WaveRenderTest, UnheardChorusStillTakesItsSide) {
  Control(WaveChipA, 0, 0x4008);
  OpenVoiceLeft(0, 0);
  Lines(kOutputLine);  // chorus lines off; the left clock at 0.0 writes 9 copies
  const std::vector<int16_t> out = Render(1);
  EXPECT_EQ(LeftChorusLine.Index, 9);
  EXPECT_NE(LeftChorusLine.Samples[0], 0.0f);
  // Amplifier, pan and final volume at 1.0: the side is the filter's output, heard
  // without the chorus and written scaled into the line.
  const float side = VoiceFilters[0].B4;
  EXPECT_EQ(out[0], int16_t(side * 65535.0));
  EXPECT_EQ(LeftChorusLine.Samples[8], float(side * 0.173158911));
  EXPECT_EQ(RightChorusLine.Index, 9);
  EXPECT_EQ(RightChorusLine.Samples[0], 0.0f);  // nothing on the right
}

TEST_F(WaveRenderTest, DisabledOutputIsSilentAndFreezesEverything) {
  auto setUp = [] {
    WaveInit();
    Control(WaveChipA, 0, 0x0000);
    Frequency(WaveChipA, 0, 3000);
    Control(WaveChipB, 0, 0x4008);
    for (int i = 0; i < 128; ++i) WaveChipA.WaveTables[0][i] = float(i - 64) / 256;
    Dac(kLevel + 0, 0xFFF0);
    Dac(kLevel + 1, 0x4000);
    Dac(kVca + 0, 0xC000);
    Dac(kCutoff + 0, 0x8000);
    Dac(kPan + 0, 0x8000);
    Dac(kLeftRes, 0xC000);
    Dac(kLeftFinal, 0xFFF0);
    Dac(kRightFinal, 0xFFF0);
    Lines(kOutputLine | kLeftChorusLine | kRightChorusLine);
  };
  setUp();
  std::vector<int16_t> straight = Render(200);
  const std::vector<int16_t> more = Render(200);
  straight.insert(straight.end(), more.begin(), more.end());

  setUp();
  std::vector<int16_t> paused = Render(200);
  Lines(kLeftChorusLine | kRightChorusLine);
  const LadderFilter filter = VoiceFilters[0];
  const uint32_t phase = WaveChipA.Voices[0].Phase, noise = NoiseState;
  const std::vector<int16_t> silent = Render(300);
  for (int16_t sample : silent) ASSERT_EQ(sample, 0);
  EXPECT_EQ(std::memcmp(&filter, &VoiceFilters[0], sizeof filter), 0);
  EXPECT_EQ(WaveChipA.Voices[0].Phase, phase);
  EXPECT_EQ(NoiseState, noise);
  Lines(kOutputLine | kLeftChorusLine | kRightChorusLine);
  const std::vector<int16_t> resumed = Render(200);
  paused.insert(paused.end(), resumed.begin(), resumed.end());
  EXPECT_EQ(paused, straight);
}

TEST_F(WaveRenderTest, SilentInputsGiveExactZeros) {
  VoiceFilters[2].B4 = 0.75f;  // a filter still ringing is not heard without its amplifier
  VoiceFilters[5].B1 = -0.5f;
  Control(WaveChipA, 2, 0x4008);
  Frequency(WaveChipC, 5, 9000);
  Dac(kLeftFinal, 0xFFF0);
  Dac(kRightFinal, 0xFFF0);
  Dac(kCutoff + 2, 0x1000);
  Lines(kOutputLine | kLeftChorusLine | kRightChorusLine);
  for (int16_t sample : Render(500)) ASSERT_EQ(sample, 0);
}

TEST_F(WaveRenderTest, ZeroFramesStillTakesTheRegistersAndControls) {
  Frequency(WaveChipD, 6, 1000);
  Control(WaveChipD, 6, 0x0003);
  Dac(kCutoff + 6, 0x8000);
  Dac(kRightChorus, 0xFFF0);
  Lines(kOutputLine);
  int16_t untouched[2] = {0x1234, 0x1234};
  WaveRender(untouched, 0, kRate);
  EXPECT_EQ(untouched[0], 0x1234);
  EXPECT_EQ(WaveChipD.Voices[6].PhaseStep, 5660u);
  EXPECT_EQ(WaveChipD.Voices[6].Table, WaveChipD.WaveTables[3]);
  EXPECT_EQ(WaveChipD.Voices[6].Phase, 0u);
  EXPECT_EQ(VoiceFilters[6].Cutoff, 32768.0f / 65520.0f);
  EXPECT_EQ(RightChorusLine.ClockStep, 29721u);
  EXPECT_EQ(LeftChorusLine.ClockStep, 594430u);
}

TEST_F(WaveRenderTest, FirstCallComputesEveryFilterButTheUntouchedOnes) {
  Dac(kCutoff + 1, 0xFFF0);  // 1.0 with no resonance: as constructed
  Dac(kCutoff + 5, 0xFFF0);
  Dac(kRightRes, 0x0100);  // but the right side's resonance moved
  for (LadderFilter& filter : VoiceFilters) filter.Feedback = 99.0f;
  Lines(kOutputLine);
  Render(1);
  for (int v = 0; v < 8; ++v) EXPECT_EQ(VoiceFilters[v].Feedback == 99.0f, v == 1) << v;
}

// The figures of a busy board (every voice sounding, three of them noise, resonance,
// both choruses, a cutoff change and a silent stretch between two refills) come from a
// separate model of the same rules; a hash covers every sample.
uint32_t Fnv(const std::vector<int16_t>& samples) {
  uint32_t hash = 2166136261u;
  for (int16_t sample : samples)
    for (int shift : {0, 8}) hash = (hash ^ ((uint16_t(sample) >> shift) & 0xFF)) * 16777619u;
  return hash;
}

TEST_F(WaveRenderTest, BusyBoardMatchesTheReferenceFigures) {
  for (int c = 0; c < 4; ++c) {
    WaveChip& chip = *WaveChips[c];
    for (int w = 0; w < 8; ++w)
      for (int i = 0; i < 128; ++i)
        chip.WaveTables[w][i] = float(((i * (w + 3) * 37 + c * 101) % 4096 - 2048) * 16) / 65536.0f;
    for (int v = 0; v < 8; ++v) {
      Control(chip, v, uint16_t((v + c) & 7));
      Frequency(chip, v, uint16_t(200 + 97 * v + 31 * c));
      chip.Levels[v] = float(16.0 * (300 + 113 * v + 217 * c) / 65520.0);
    }
  }
  Control(WaveChipD, 3, 0x4008);
  Control(WaveChipB, 3, 0x400B);
  Control(WaveChipA, 6, 0x400E);
  for (int v = 0; v < 8; ++v) {
    VcaLevels[v] = 0.9f;
    PanPositions[v] = float(v / 7.0);
    VcfCutoffs[v] = float(0.1 * v);
  }
  LeftControls = {0.7f, 0.2f, 0.35f};
  RightControls = {0.5f, 0.6f, 0.35f};
  Lines(kOutputLine | kLeftChorusLine | kRightChorusLine);

  const std::vector<int16_t> first = Render(300);
  EXPECT_EQ(std::vector<int16_t>(first.begin(), first.begin() + 8),
            (std::vector<int16_t>{-470, -5, -2643, -37, -6659, -131, -10376, -306}));
  EXPECT_EQ(Fnv(first), 0x5f43b4b6u);
  Lines(kLeftChorusLine | kRightChorusLine);
  Render(50);
  for (int v = 0; v < 8; ++v) VcfCutoffs[v] = float(0.95 - 0.1 * v);
  Lines(kOutputLine | kRightChorusLine);
  const std::vector<int16_t> second = Render(300);
  EXPECT_EQ(std::vector<int16_t>(second.end() - 4, second.end()),
            (std::vector<int16_t>{-2918, -931, -3031, -2668}));
  EXPECT_EQ(Fnv(second), 0xa3a5be96u);
  EXPECT_EQ(NoiseState, 2856484633u);
  EXPECT_EQ(WaveChipA.Voices[0].Phase, 679200u);
}

}  // namespace

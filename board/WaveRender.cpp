#include "board/WaveRender.h"

#include <cassert>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/Dac.h"
#include "board/Output.h"

LadderFilter VoiceFilters[8];
ChorusLine LeftChorusLine;
ChorusLine RightChorusLine;
uint32_t NoiseState = 1;

static inline uint32_t NextNoise(uint32_t& state) {
  state = state * 22695477u + 1u;
  return (state >> 16) & 0x7FFF;
}

uint32_t NoiseDraw() { return NextNoise(NoiseState); }

void WaveRenderInit() {
  for (LadderFilter& filter : VoiceFilters) LadderFilterInit(filter);
  LeftChorusLine = {};
  RightChorusLine = {};
  NoiseState = 1;
}

void LadderFilterInit(LadderFilter& filter) {
  filter.B4 = filter.B3 = filter.B2 = filter.B1 = filter.B0 = 0.0f;
  filter.Rate = 0;
  LadderFilterTune(filter, 44100, 1.0f, 0.0f);
}

void LadderFilterTune(LadderFilter& filter, int32_t rate, float cutoff, float res) {
  if (rate == filter.Rate && cutoff == filter.Cutoff && res == filter.Res) return;
  filter.Rate = rate;
  filter.Cutoff = cutoff;
  filter.Res = res;
  float r1 = float(res * 1.04);
  if (r1 > 1.0f) r1 = 1.0f;
  // The cutoff control is exponential: about 52.19 Hz at 0.0, 45527.6 Hz at 1.0.
  const float hz = float(std::exp(cutoff * 6.771228070175438 + -2.9168421052631577) * 964.575413);
  float fc = float(2.0 * hz / rate);
  if (fc > 1.0f) fc = 1.0f;
  const float k = float(1.0 - fc);
  filter.StageGain = float(double(0.8f) * fc * k + fc);
  filter.StagePole = float(double(filter.StageGain) + filter.StageGain - 1.0);
  // More feedback towards low cutoffs keeps the resonance even across the range.
  filter.Feedback = float(((1.0 - k + double(5.6f) * k * k) * (0.5 * k) + 1.0) * r1);
}

// Two voices side by side in double precision. Every value the renderer keeps is a float;
// held here in a double it is exact, and each step rounds its result to float again, so
// the voices run in pairs with the same results as one at a time.
using Lanes = double __attribute__((vector_size(16)));
using FloatLanes = float __attribute__((vector_size(8)));

static inline Lanes RoundToFloat(Lanes value) {
  return __builtin_convertvector(__builtin_convertvector(value, FloatLanes), Lanes);
}

// Above the limit gives the limit; anything not at least -limit gives -limit.
template <typename T>
static inline T Clamp(T value, float limit) {
  const T floor = value >= -limit ? value : -limit;
  return floor > limit ? limit : floor;
}

#if defined(__SSE2__)
// The same rule by the processor's max and min: max(v, -limit) gives -limit unless v is
// above it (also for a NaN), min(v, limit) gives limit unless v is below it.
template <>
inline Lanes Clamp(Lanes value, float limit) {
  return _mm_min_pd(_mm_max_pd(value, Lanes{} - limit), Lanes{} + limit);
}
#endif

namespace {

// Filters of 2 x kPairs voices side by side, one frame of all of them at a time.
template <int kPairs>
struct FilterBank {
  Lanes gain[kPairs], pole[kPairs], feedback[kPairs];
  Lanes b0[kPairs], b1[kPairs], b2[kPairs], b3[kPairs], b4[kPairs];

  explicit FilterBank(const LadderFilter* filters) {
    for (int p = 0; p < kPairs; ++p) {
      const LadderFilter& f = filters[2 * p];
      const LadderFilter& g = filters[2 * p + 1];
      gain[p] = Lanes{f.StageGain, g.StageGain};
      pole[p] = Lanes{f.StagePole, g.StagePole};
      feedback[p] = Lanes{f.Feedback, g.Feedback};
      b0[p] = Lanes{f.B0, g.B0};
      b1[p] = Lanes{f.B1, g.B1};
      b2[p] = Lanes{f.B2, g.B2};
      b3[p] = Lanes{f.B3, g.B3};
      b4[p] = Lanes{f.B4, g.B4};
    }
  }

  void Store(LadderFilter* filters) const {
    for (int v = 0; v < 2 * kPairs; ++v) {
      const int p = v / 2, lane = v % 2;
      filters[v].B0 = float(b0[p][lane]);
      filters[v].B1 = float(b1[p][lane]);
      filters[v].B2 = float(b2[p][lane]);
      filters[v].B3 = float(b3[p][lane]);
      filters[v].B4 = float(b4[p][lane]);
    }
  }

  // One frame: each stage rounds to float where it keeps its output and takes the
  // clamped output of the stage before it. Returns the last stages' outputs.
  void Process(const Lanes* in, Lanes* out) {
    for (int p = 0; p < kPairs; ++p) {
      const Lanes x = RoundToFloat(in[p] - feedback[p] * b4[p]);
      const Lanes t1 = b1[p];
      b1[p] = Clamp(RoundToFloat((x + b0[p]) * gain[p] - pole[p] * t1), 1.0f);
      const Lanes t2 = b2[p];
      b2[p] = Clamp(RoundToFloat((b1[p] + t1) * gain[p] - pole[p] * t2), 1.0f);
      const Lanes t3 = b3[p];
      b3[p] = Clamp(RoundToFloat((b2[p] + t2) * gain[p] - pole[p] * t3), 1.0f);
      Lanes last = RoundToFloat((b3[p] + t3) * gain[p] - pole[p] * b4[p]);
      last = RoundToFloat(last - last * last * last * (1.0 / 6.0));  // soft saturation
      b4[p] = Clamp(last, 1.0f);
      b0[p] = x;
      out[p] = b4[p];
    }
  }
};

}  // namespace

float LadderFilterProcess(LadderFilter& filter, float input) {
  LadderFilter pair[2] = {filter, filter};  // the bank takes voices in pairs
  FilterBank<1> bank(pair);
  const Lanes in = {input, input};
  Lanes out;
  bank.Process(&in, &out);
  bank.Store(pair);
  filter = pair[0];
  return float(out[0]);
}

static inline float ChorusFrame(ChorusLine& line, float input) {
  line.ClockPhase += line.ClockStep;
  if (line.ClockPhase > 65535) {
    const float written = float(input * 0.173158911);
    do {
      line.Samples[line.Index++] = written;
      line.ClockPhase -= 65536;
    } while (line.ClockPhase > 65535);
  }
  return line.Samples[line.Index] + line.Samples[uint8_t(line.Index + 1)];
}

float ChorusProcess(ChorusLine& line, float input) { return ChorusFrame(line, input); }

uint32_t ChorusClockStep(float chorus, int32_t rate) {
  const float period = float(chorus * 0.0000475 + 0.0000025);
  return uint32_t(int64_t(65536.0 / (rate * double(period))));
}

uint32_t WavePhaseStep(uint16_t frequency, int32_t rate) {
  return uint32_t(int64_t(frequency * 249618.6602749952 / rate));
}

void WaveUpdateVoices(WaveChip& chip, int32_t rate) {
  for (int v = 0; v < 8; ++v) {
    chip.Voices[v].Table = chip.WaveTables[chip.Regs[v].Control & 7];
    chip.Voices[v].PhaseStep = WavePhaseStep(chip.Regs[v].Frequency, rate);
  }
}

static inline int16_t Sample(float value) { return int16_t(int32_t(value * 65535.0)); }

namespace {

// The 32 oscillators for the length of one call, chip by chip and voice by voice.
struct Oscillators {
  const float* table[4][8];
  uint32_t phase[4][8];
  uint32_t step[4][8];  // 0 for a noise voice, which keeps its phase
  Lanes level[4][4];    // chip, voice pair
  uint8_t noise[32];    // chip x 8 + voice of each noise voice, in draw order
  int noiseCount = 0;

  Oscillators() {
    for (int v = 0; v < 8; ++v) {
      for (int c = 0; c < 4; ++c) {
        const WaveVoice& voice = WaveChips[c]->Voices[v];
        table[c][v] = voice.Table;
        phase[c][v] = voice.Phase;
        step[c][v] = voice.Noise ? 0 : voice.PhaseStep;
        level[c][v / 2][v % 2] = WaveChips[c]->Levels[v];
        if (voice.Noise) noise[noiseCount++] = uint8_t(c * 8 + v);
      }
    }
  }

  void Store() const {
    for (int c = 0; c < 4; ++c)
      for (int v = 0; v < 8; ++v) WaveChips[c]->Voices[v].Phase = phase[c][v];
  }

  // One frame of each voice's mix: its oscillators of chips A to D at their levels, summed
  // in that order; noise drawn voice by voice, chip by chip.
  void Mix(uint32_t& noiseState, Lanes* mix) {
    uint32_t* phases = &phase[0][0];
    const uint32_t* steps = &step[0][0];
    for (int i = 0; i < 32; ++i) phases[i] += steps[i];
    Lanes value[4][4];
    for (int c = 0; c < 4; ++c)
      for (int v = 0; v < 8; ++v) value[c][v / 2][v % 2] = table[c][v][(phase[c][v] >> 16) & 127];
    for (int i = 0; i < noiseCount; ++i) {
      const int c = noise[i] >> 3, v = noise[i] & 7;
      value[c][v / 2][v % 2] = NextNoise(noiseState) * (1.0 / 32767.0) - 0.5;
    }
    for (int p = 0; p < 4; ++p) {
      Lanes sum = RoundToFloat(value[0][p] * level[0][p]);
      for (int c = 1; c < 4; ++c) sum = RoundToFloat(value[c][p] * level[c][p] + sum);
      mix[p] = sum;
    }
  }
};

}  // namespace

void WaveRender(int16_t* out, uint32_t frames, int32_t rate) {
  if (OutputEnable == 0) {
    std::memset(out, 0, size_t(frames) * 2 * sizeof *out);
    return;
  }
  assert(rate != 0);
  for (WaveChip* chip : WaveChips) WaveUpdateVoices(*chip, rate);
  for (int v = 0; v < 8; ++v)
    LadderFilterTune(VoiceFilters[v], rate, VcfCutoffs[v],
                     v < 4 ? LeftControls.Res : RightControls.Res);
  LeftChorusLine.ClockStep = ChorusClockStep(LeftControls.Chorus, rate);
  RightChorusLine.ClockStep = ChorusClockStep(RightControls.Chorus, rate);

  Oscillators oscillators;
  FilterBank<4> filters(VoiceFilters);
  Lanes vca[4], pan[4];
  for (int p = 0; p < 4; ++p) {
    vca[p] = Lanes{VcaLevels[2 * p], VcaLevels[2 * p + 1]};
    pan[p] = Lanes{PanPositions[2 * p], PanPositions[2 * p + 1]};
  }
  const float leftFinal = LeftControls.Final, rightFinal = RightControls.Final;
  const bool leftChorusOn = LeftChorusOn != 0, rightChorusOn = RightChorusOn != 0;
  uint32_t noiseState = NoiseState;

  for (uint32_t frame = 0; frame < frames; ++frame) {
    Lanes mix[4], filtered[4], voice[4], voiceLeft[4], voiceRight[4];
    oscillators.Mix(noiseState, mix);
    filters.Process(mix, filtered);
    for (int p = 0; p < 4; ++p) {
      voice[p] = RoundToFloat(vca[p] * filtered[p]);
      voiceLeft[p] = RoundToFloat(voice[p] * pan[p]);
      voiceRight[p] = voice[p] - voiceLeft[p];
    }
    // A single operation on two floats rounded to float gives the same result in float
    // arithmetic as in double (double holds more than twice float's precision), so the
    // left sum and everything after the voices run in float.
    float left = 0.0f;
    float right = 0.0f;
    for (int v = 0; v < 8; ++v) {
      left = float(voiceLeft[v / 2][v % 2]) + left;
      right = float(voiceRight[v / 2][v % 2] + right);
    }
    // The lines are clocked and fed whether or not their chorus is heard.
    const float leftChorus = ChorusFrame(LeftChorusLine, left);
    if (leftChorusOn) left = leftChorus + left;
    const float rightChorus = ChorusFrame(RightChorusLine, right);
    if (rightChorusOn) right = rightChorus + right;
    out[2 * frame] = Sample(Clamp(leftFinal * left, 0.5f));
    out[2 * frame + 1] = Sample(Clamp(rightFinal * right, 0.5f));
  }

  oscillators.Store();
  filters.Store(VoiceFilters);
  NoiseState = noiseState;
}

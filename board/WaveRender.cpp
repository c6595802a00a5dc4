#include "board/WaveRender.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "board/Dac.h"
#include "board/Output.h"

LadderFilter VoiceFilters[8];
ChorusLine LeftChorusLine;
ChorusLine RightChorusLine;
uint32_t NoiseState = 1;

static inline uint32_t NextNoise() {
  NoiseState = NoiseState * 22695477u + 1u;
  return (NoiseState >> 16) & 0x7FFF;
}

uint32_t NoiseDraw() { return NextNoise(); }

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

// Above the limit gives the limit; anything not at least -limit gives -limit.
static inline float Clamp(float value, float limit) { return value > limit ? limit : value >= -limit ? value : -limit; }

static inline float FilterFrame(LadderFilter& filter, float input) {
  const double gain = filter.StageGain;
  const double pole = filter.StagePole;
  const float x = float(input - double(filter.Feedback) * filter.B4);
  const float t1 = filter.B1;
  filter.B1 = Clamp(float((double(x) + filter.B0) * gain - pole * t1), 1.0f);
  const float t2 = filter.B2;
  filter.B2 = Clamp(float((double(filter.B1) + t1) * gain - pole * t2), 1.0f);
  const float t3 = filter.B3;
  filter.B3 = Clamp(float((double(filter.B2) + t2) * gain - pole * t3), 1.0f);
  float b4 = float((double(filter.B3) + t3) * gain - pole * filter.B4);
  b4 = float(b4 - double(b4) * b4 * b4 * (1.0 / 6.0));  // soft saturation
  filter.B4 = Clamp(b4, 1.0f);
  filter.B0 = x;
  return filter.B4;
}

float LadderFilterProcess(LadderFilter& filter, float input) { return FilterFrame(filter, input); }

static inline float ChorusFrame(ChorusLine& line, float input) {
  line.ClockPhase += line.ClockStep;
  if (line.ClockPhase > 65535) {
    const float written = float(input * 0.173158911);
    do {
      line.Samples[line.Index++] = written;
      line.ClockPhase -= 65536;
    } while (line.ClockPhase > 65535);
  }
  return float(double(line.Samples[line.Index]) + line.Samples[uint8_t(line.Index + 1)]);
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

// Voice v's oscillators of chips A to D, each at its level, summed in that order.
static inline float MixVoice(int v) {
  float sum = 0.0f;
  for (int c = 0; c < 4; ++c) {
    WaveChip& chip = *WaveChips[c];
    WaveVoice& voice = chip.Voices[v];
    double value;
    if (voice.Noise) {
      value = NextNoise() * (1.0 / 32767.0) - 0.5;  // a noise voice keeps its phase
    } else {
      voice.Phase += voice.PhaseStep;
      value = voice.Table[(voice.Phase >> 16) & 127];
    }
    sum = c == 0 ? float(value * chip.Levels[v]) : float(value * chip.Levels[v] + sum);
  }
  return sum;
}

void WaveRender(int16_t* out, uint32_t frames, int32_t rate) {
  if (OutputEnable == 0) {
    std::memset(out, 0, size_t(frames) * 2 * sizeof *out);
    return;
  }
  assert(rate != 0);
  for (WaveChip* chip : WaveChips) WaveUpdateVoices(*chip, rate);
  for (int v = 0; v < 8; ++v)
    LadderFilterTune(VoiceFilters[v], rate, VcfCutoffs[v], v < 4 ? LeftControls.Res : RightControls.Res);
  LeftChorusLine.ClockStep = ChorusClockStep(LeftControls.Chorus, rate);
  RightChorusLine.ClockStep = ChorusClockStep(RightControls.Chorus, rate);

  for (uint32_t frame = 0; frame < frames; ++frame) {
    float left = 0.0f;
    float right = 0.0f;
    for (int v = 0; v < 8; ++v) {
      const float y = float(double(VcaLevels[v]) * FilterFrame(VoiceFilters[v], MixVoice(v)));
      const float yLeft = float(double(y) * PanPositions[v]);
      left = float(double(yLeft) + left);
      right = float((double(y) - yLeft) + right);
    }
    // The lines are clocked and fed whether or not their chorus is heard.
    const float leftChorus = ChorusFrame(LeftChorusLine, left);
    if (LeftChorusOn != 0) left = float(double(leftChorus) + left);
    const float rightChorus = ChorusFrame(RightChorusLine, right);
    if (RightChorusOn != 0) right = float(double(rightChorus) + right);
    left = Clamp(float(double(LeftControls.Final) * left), 0.5f);
    right = Clamp(float(double(RightControls.Final) * right), 0.5f);
    out[2 * frame] = Sample(left);
    out[2 * frame + 1] = Sample(right);
  }
}

#include "board/WaveRender.h"

#include <cmath>
#include <cstring>

LadderFilter VoiceFilters[8];
ChorusLine LeftChorusLine;
ChorusLine RightChorusLine;
uint32_t NoiseState = 1;

uint32_t NoiseDraw() {
  NoiseState = NoiseState * 22695477u + 1u;
  return (NoiseState >> 16) & 0x7FFF;
}

void WaveRenderInit() {
  for (LadderFilter& filter : VoiceFilters) LadderFilterInit(filter);
  LeftChorusLine = {};
  RightChorusLine = {};
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

// Above 1.0 gives 1.0; anything not at least -1.0 gives -1.0.
static inline float ClampUnit(float value) { return value > 1.0f ? 1.0f : value >= -1.0f ? value : -1.0f; }

float LadderFilterProcess(LadderFilter& filter, float input) {
  const double gain = filter.StageGain;
  const double pole = filter.StagePole;
  const float x = float(input - double(filter.Feedback) * filter.B4);
  const float t1 = filter.B1;
  filter.B1 = ClampUnit(float((double(x) + filter.B0) * gain - pole * t1));
  const float t2 = filter.B2;
  filter.B2 = ClampUnit(float((double(filter.B1) + t1) * gain - pole * t2));
  const float t3 = filter.B3;
  filter.B3 = ClampUnit(float((double(filter.B2) + t2) * gain - pole * t3));
  float b4 = float((double(filter.B3) + t3) * gain - pole * filter.B4);
  b4 = float(b4 - double(b4) * b4 * b4 * (1.0 / 6.0));  // soft saturation
  filter.B4 = ClampUnit(b4);
  filter.B0 = x;
  return filter.B4;
}

float ChorusProcess(ChorusLine& line, float input) {
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

uint32_t ChorusClockStep(float chorus, int32_t rate) {
  const float period = float(chorus * 0.0000475 + 0.0000025);
  return uint32_t(int64_t(65536.0 / (rate * double(period))));
}

uint32_t WavePhaseStep(uint16_t frequency, int32_t rate) {
  return uint32_t(int64_t(frequency * 249618.6602749952 / rate));
}

// The instrument's analog side, computed: each voice mixes oscillator v of the four wave
// chips at their levels, passes a resonant four-pole low-pass filter with a soft
// saturating last stage, its amplifier and its pan; each side of the stereo mix passes a
// clocked 256-slot chorus delay line, the final volume and a clamp to 16-bit samples.
//
// The arithmetic is double precision with a rounding to float wherever a value is kept,
// in a fixed order; this file is built without floating-point contraction so that the
// samples are the same on every build.
#pragma once

#include <cstdint>

#include "board/Wave.h"

// One voice's filter: the coefficients and the inputs they were computed from, and the
// state of its four stages.
struct LadderFilter {
  int32_t Rate;      // sample rate of the coefficients
  float Cutoff;      // cutoff control of the coefficients
  float Res;         // resonance control of the coefficients
  float StagePole;   // on each stage's own previous output: 2 x StageGain - 1
  float StageGain;   // on each stage's input
  float Feedback;    // from the last stage back to the input
  float B0;          // the previous frame's filter input
  float B1, B2, B3;  // stage outputs, within -1.0 to 1.0
  float B4;          // last stage after saturation, within -1.0 to 1.0
};

// A bucket-brigade style delay: the input is written at the line's clock rate and the
// two oldest slots are heard.
struct ChorusLine {
  float Samples[256];
  uint8_t Index;        // next slot written, which holds the oldest sample
  uint32_t ClockPhase;  // every full 65536 is one write
  uint32_t ClockStep;   // added per output frame
};

extern LadderFilter VoiceFilters[8];
extern ChorusLine LeftChorusLine;
extern ChorusLine RightChorusLine;

// The noise source: a 15-bit linear congruential generator that starts at 1 and is never
// seeded, so the noise is the same at every start.
extern uint32_t NoiseState;
uint32_t NoiseDraw();

// Start-up: the eight filters open (cutoff 1.0, no resonance) and silent, both chorus
// lines silent, the noise source at its first value.
void WaveRenderInit();

void LadderFilterInit(LadderFilter& filter);
// Recomputes the coefficients unless they were computed for exactly these inputs.
void LadderFilterTune(LadderFilter& filter, int32_t rate, float cutoff, float res);
// One frame through the filter; returns the saturated output of the last stage.
float LadderFilterProcess(LadderFilter& filter, float input);

// Clocks the line once and returns the sum of its two oldest samples.
float ChorusProcess(ChorusLine& line, float input);
// Clock step for a chorus control of 0.0-1.0 at the rate: one write every 2.5 to 50 us.
uint32_t ChorusClockStep(float chorus, int32_t rate);

// Phase step per frame of an oscillator at the frequency register's value.
uint32_t WavePhaseStep(uint16_t frequency, int32_t rate);
// Takes each voice's wave and phase step from its registers.
void WaveUpdateVoices(WaveChip& chip, int32_t rate);

// Writes frames of interleaved stereo (left, right) at the rate (not 0) from the wave
// chips, the DAC's control values and the output lines. With the output disabled it
// writes silence and leaves every phase, filter and chorus line as it stands.
void WaveRender(int16_t* out, uint32_t frames, int32_t rate);

#include "tests/integration/firmware_run.h"

#include <cmath>

#include "board/Ram.h"
#include "firmware/host/programs.h"
#include "firmware/runtime/mailbox.h"

namespace kqtest {

FirmwareRun::FirmwareRun() {
  const firmware::ProgramImage* image = firmware::FindProgram("boardtest", "O2");
  if (!image) throw std::runtime_error("the board test firmware is not built in");
  WriteFile(Rom(), std::vector<uint8_t>(image->data, image->data + image->size));
}

kqrun::RunOptions FirmwareRun::Options(uint32_t slices) const {
  kqrun::RunOptions options;
  options.rom = Rom();
  options.slices = slices;
  return options;
}

kqrun::RunResult FirmwareRun::Run(const kqrun::RunOptions& options) {
  kqrun::RunResult result;
  std::string error;
  EXPECT_TRUE(kqrun::Run(options, result, error)) << error;
  EXPECT_EQ(UnexpectedException(), 0u) << "at " << std::hex << Reported(KQ_MAILBOX_EXCEPTION_PC);
  return result;
}

uint32_t Reported(uint32_t field) {
  const uint8_t* p = RamImage + (KQ_MAILBOX_KQ - kRamBase) + field;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t UnexpectedException() { return Reported(KQ_MAILBOX_EXCEPTION); }

std::vector<int16_t> LeftChannel(std::span<const int16_t> audio, size_t first, size_t end) {
  std::vector<int16_t> left;
  for (size_t frame = first; frame < end && 2 * frame < audio.size(); ++frame) left.push_back(audio[2 * frame]);
  return left;
}

double Rms(std::span<const int16_t> samples) {
  if (samples.empty()) return 0;
  double sum = 0;
  for (int16_t s : samples) sum += double(s) * s;
  return std::sqrt(sum / double(samples.size()));
}

double Pitch(std::span<const int16_t> samples) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = 1; i < samples.size(); ++i) {
    if (!(samples[i - 1] < 0 && samples[i] >= 0)) continue;
    // Where the line between the two samples meets zero.
    const double at = double(i - 1) + double(-samples[i - 1]) / double(samples[i] - samples[i - 1]);
    if (first < 0) first = at;
    last = at;
    ++crossings;
  }
  return crossings < 2 ? 0 : (crossings - 1) * 44100.0 / (last - first);
}

double NoteHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

}  // namespace kqtest

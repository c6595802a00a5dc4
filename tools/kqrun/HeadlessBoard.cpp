#include "tools/kqrun/HeadlessBoard.h"

#include <filesystem>
#include <memory>

#include "board/Adc.h"
#include "board/Cpu.h"
#include "board/Emulator.h"
#include "board/Files.h"
#include "board/Io.h"
#include "board/Lcd.h"
#include "board/Nvr.h"
#include "board/Output.h"
#include "board/Panel.h"
#include "board/Rom.h"
#include "board/Settings.h"
#include "board/Sound.h"

namespace kqrun {

namespace {

// An audio output that plays nothing by itself: the runner moves its play position.
class PlayPositionOutput final : public SoundOutput {
 public:
  bool Open() override { return true; }
  void Play() override {}
};

// The image is read as the board will read it, so that whatever the board would refuse
// (no file, no permission, a folder, FIFO or device, another size) ends the run before
// it starts.
bool CheckRomFile(const std::string& romFile, std::string& error) {
  std::vector<uint8_t> image(kRomSize);
  std::error_code failure;
  if (LoadImageFile(romFile, image, &failure)) return true;
  std::error_code sizeFailure;
  const uintmax_t size = std::filesystem::file_size(romFile, sizeFailure);
  if (failure == std::errc::no_such_file_or_directory)
    error = "ROM image " + Quoted(romFile) + " not found";
  else if (failure == FileError::NotARegularFile || failure == std::errc::is_a_directory)
    error = "ROM image " + Quoted(romFile) + " is not a file";
  else if (failure == FileError::WrongSize && !sizeFailure)
    error = "ROM image " + Quoted(romFile) + " is " + std::to_string(size) + " bytes, not " +
            std::to_string(kRomSize);
  else
    error = "ROM image " + Quoted(romFile) + " cannot be read: " + failure.message();
  return false;
}

}  // namespace

bool HeadlessBoard::Start(const std::string& romFile, const std::string& nvrDirectory,
                          std::string& error) {
  if (!CheckRomFile(romFile, error)) return false;
  nvrDirectory_ = nvrDirectory;
  slices_ = 0;
  instructions_ = 0;
  framesPlayed_ = 0;
  audio_.clear();
  sliceSamples_ = 0;

  BoardRestoreStartValues();
  SetNvrDirectory(nvrDirectory);
  BoardInit(std::make_unique<PlayPositionOutput>(), nullptr);  // unpaced
  // Unlocked, the directory may be another program's too: the run would overwrite its
  // patch memory or lose its own.
  if (const std::error_code failure = NvrLockFailure()) {
    error = failure == FileError::Locked
                ? "the patch memory in " + Quoted(nvrDirectory) + " is in use by another Tarvelion"
                : "the patch memory folder " + Quoted(nvrDirectory) + " cannot be locked: " + failure.message();
    return false;
  }
  // The front panel's controls at their start positions.
  AdcInputs[kAdcVolume] = uint32_t(TSettings::DefaultVolume) & 0xFF;
  AdcInputs[kAdcBalance] = uint32_t(TSettings::DefaultBalance) & 0xFF;
  AdcInputs[kAdcDataEntry] = uint32_t(TSettings::DefaultDataEntry) & 0xFF;
  AdcInputs[kAdcJoystickX] = uint32_t(TSettings::DefaultJoystickX) & 0xFF;
  AdcInputs[kAdcJoystickY] = uint32_t(TSettings::DefaultJoystickY) & 0xFF;
  BoardSetup(romFile);
  if (!RomInstalled) {  // changed since it was checked
    error = "ROM image " + Quoted(romFile) + " could not be installed";
    return false;
  }
  return true;
}

void HeadlessBoard::RunSlice() {
  const uint32_t count = CpuRun(SliceLength);
  instructions_ += count;
  ++slices_;
  // The output has played up to where the instructions executed so far have led.
  const uint64_t due = FramesDue(instructions_);
  const auto frames = uint32_t(due - framesPlayed_);
  framesPlayed_ = due;
  const size_t at = keepAudio_ ? audio_.size() : 0;
  sliceSamples_ = 2 * size_t(frames);
  audio_.resize(at + sliceSamples_);
  if (frames != 0) SoundConsume(reinterpret_cast<uint8_t*>(audio_.data() + at), frames * kSoundFrameBytes);
  SliceService(int32_t(count));
}

void HeadlessBoard::RunSlices(uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) RunSlice();
}

bool HeadlessBoard::Finish(std::string& error) {
  if (nvrDirectory_.empty()) return true;
  const std::string file = NvrDirectory() + kNvrFileName;
  std::error_code failure;
  if (SaveNvrFile(file, &failure)) return true;
  error = "patch memory not saved to " + Quoted(file) + ": " + failure.message();
  return false;
}

uint64_t FramesDue(uint64_t instructions) { return instructions * kSoundRate / kInstructionsPerSecond; }

uint64_t MostFramesPlayed(uint32_t slices) {
  // M68kRun counts whole rounds of eight and stops at the first budget test at or past
  // its budget; a traced instruction that reaches the budget (its round tests the count
  // from before it) is followed by one more round of eight.
  constexpr uint64_t kMostSliceInstructions = SliceLength + 8;
  return FramesDue(slices * kMostSliceInstructions);
}

PanelView ReadPanel() {
  PanelView view;
  for (uint8_t start : {0x00, 0x40}) {
    std::string& line = start ? view.lcd2 : view.lcd1;
    for (int i = 0; i < 16; ++i) {
      const uint8_t code = LcdShadow[start + i];
      line += code >= 0x20 && code < 0x7F ? char(code) : '?';
    }
  }
  auto digit = [](int32_t value) { return value >= 0 && value <= 9 ? char('0' + value) : '-'; };
  view.digits = {digit(LeftDigit), ' ', digit(RightDigit)};
  for (int b = 0; b < kPanelButtonCount; ++b)
    if (ButtonLED[b].load(std::memory_order_relaxed) == kLedOn) view.leds.emplace_back(PanelButtonNames[b]);
  return view;
}

std::string FormatPanel(const PanelView& panel, uint64_t instructions) {
  std::string text = "lcd1: " + panel.lcd1 + "\nlcd2: " + panel.lcd2 + "\ndigits: " + panel.digits + "\nleds:";
  for (const std::string& name : panel.leds) text += " " + name;
  return text + "\ninstructions: " + std::to_string(instructions) + "\n";
}

std::array<uint8_t, kWavHeaderBytes> WavHeader(uint32_t dataBytes) {
  std::array<uint8_t, kWavHeaderBytes> header{};
  size_t at = 0;
  auto put = [&](uint32_t value, int size) {
    for (int i = 0; i < size; ++i) header[at++] = uint8_t(value >> (8 * i));
  };
  auto tag = [&](const char* name) {
    for (int i = 0; i < 4; ++i) header[at++] = uint8_t(name[i]);
  };
  tag("RIFF");
  put(uint32_t(kWavHeaderBytes - 8) + dataBytes, 4);
  tag("WAVE");
  tag("fmt ");
  put(16, 4);
  put(1, 2);  // PCM
  put(2, 2);  // stereo
  put(kSoundRate, 4);
  put(kSoundRate * kSoundFrameBytes, 4);
  put(kSoundFrameBytes, 2);
  put(16, 2);
  tag("data");
  put(dataBytes, 4);
  return header;
}

}  // namespace kqrun

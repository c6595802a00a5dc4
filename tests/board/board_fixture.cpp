#include "tests/board/board_fixture.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "board/Adc.h"
#include "board/Cpu.h"
#include "board/Dac.h"
#include "board/Emulator.h"
#include "board/Io.h"
#include "board/Keyboard.h"
#include "board/Lcd.h"
#include "board/Nvr.h"
#include "board/Output.h"
#include "board/Panel.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "board/Wave.h"
#include "core/68000.h"

namespace kqtest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kqboard.XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

FileSizeLimit::FileSizeLimit(size_t bytes) {
  savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  saved_ = limit.rlim_cur;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = saved_;
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, savedSignal_);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  if (!bytes.empty()) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  }
  ASSERT_EQ(std::fclose(f), 0);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
  std::fclose(f);
  return bytes;
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> bytes(n);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = uint8_t(state >> 16);
  }
  return bytes;
}

// The start-up values of the state that no unit start-up step sets.
static void RestoreStartValues() {
  TimerCounter = 0;
  TimerIrq = 0;
  KeyboardIrq = 0;
  UartIrq = 0;
  M68kIntLevel = 0;
  for (auto& input : AdcInputs) input = 0;
  AdcResult = 0;
  for (auto& p : ButtonPressed) p = 0;
  for (auto& l : ButtonLED) l = kLedNone;
  for (auto& k : PcKeyDown) k = 0;
  for (float* target : DacTargets) *target = 0.0f;
  LeftDigit = RightDigit = -1;
  RightChorusOn = LeftChorusOn = OutputEnable = BacklightEnable = Baud = Wrsel = 0;
  std::memset(LedStates, 0, sizeof LedStates);
  LcdDdramAddress = LcdCgramAddress = 0;
  LcdIncrement = 1;
  LcdDdramSelected = true;
  LcdDisplayOn = LcdCursorOn = LcdBlinkOn = false;
  LcdCgramChanged = true;
  LcdCursorShown = 0xFF;
  std::memset(LcdShadow, 0, sizeof LcdShadow);
  std::memset(CgramShadow, 0, sizeof CgramShadow);
}

void BoardTest::BuildBoard(const std::vector<uint8_t>& rom) {
  window.messages.clear();
  window.quitRequests = 0;
  RestoreStartValues();
  SetNvrDirectory(dir.Path());
  InitMemoryMap();
  BoardInit();
  std::string romFile = dir.File("kq.bin");
  std::filesystem::remove(romFile);
  if (!rom.empty()) WriteFile(romFile, rom);
  BoardSetup(romFile);
}

}  // namespace kqtest

#include "tests/board/board_fixture.h"

#include <filesystem>

#include "board/Emulator.h"
#include "board/Nvr.h"

namespace kqtest {

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> bytes(n);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = uint8_t(state >> 16);
  }
  return bytes;
}

void BoardTest::BuildBoard(const std::vector<uint8_t>& rom, std::unique_ptr<SoundOutput> sound) {
  window.messages.clear();
  window.quitRequests = 0;
  BoardRestoreStartValues();
  SetNvrDirectory(dir.Path());
  BoardInit(std::move(sound), nullptr);  // unpaced
  std::string romFile = dir.File("kq.bin");
  std::filesystem::remove(romFile);
  if (!rom.empty()) WriteFile(romFile, rom);
  BoardSetup(romFile);
}

}  // namespace kqtest

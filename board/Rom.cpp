#include "board/Rom.h"

#include <cstring>

#include "board/Files.h"
#include "board/Host.h"
#include "board/Memory.h"

uint8_t RomImage[kRomSize];
std::atomic<bool> RomInstalled{false};

uint32_t RomReadByte(uint32_t address) { return ImageReadByte(RomImage, address); }
uint32_t RomReadWord(uint32_t address) { return ImageReadWord(RomImage, address); }
uint32_t RomReadLong(uint32_t address) { return ImageReadLong(RomImage, address); }

void ClearRom() {
  std::memset(RomImage, 0, sizeof RomImage);
  RomInstalled = false;
}

bool LoadRomImage(const std::string& name) { return LoadImageFile(name, RomImage); }

bool InstallRom(const std::string& name) {
  if (LoadRomImage(name)) {
    MapReadHandlers(kRomBase, kRomSize, RomReadByte, RomReadWord, RomReadLong);
    RomInstalled = true;
    return true;
  }
  Host().ShowMessage("Can't locate \"" + name + "\"\nProgram terminating", "ROM image missing",
                     MessageButtons::Ok, MessageIcon::Error);
  Host().RequestQuit();
  return false;
}

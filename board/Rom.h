// The 64 KB program ROM, filled from the firmware image "kq.bin".
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "board/Io.h"

extern uint8_t RomImage[kRomSize];

uint32_t RomReadByte(uint32_t address);
uint32_t RomReadWord(uint32_t address);
uint32_t RomReadLong(uint32_t address);

void ClearRom();
// Reads an image of exactly 65536 bytes into RomImage; any other file leaves it as it was.
bool LoadRomImage(const std::string& name);
// Loads the image and maps the ROM's read handlers (writes stay ignored); without an
// image, reports it, asks the program to end, leaves the window on open bus and gives
// false. A file that cannot be read, or is no regular file, counts as missing.
bool InstallRom(const std::string& name);
// An image is installed; cleared by ClearRom. Until then the processor is neither reset
// nor run.
extern std::atomic<bool> RomInstalled;

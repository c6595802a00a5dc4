// The 64 KB program ROM, filled from the firmware image "kq.bin".
#pragma once

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
// image, reports it, asks the program to end and leaves the window on open bus.
void InstallRom(const std::string& name);

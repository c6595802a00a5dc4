// The cartridge port: 16 KB of RAM always on the bus, plugged in when the image carries
// its signature ('K' at 0x3FF8, 'Q' at 0x3FFA, 3 at 0x3FFC). Cartridges are stored as
// ".kqc" files of exactly 16384 bytes.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "board/Io.h"

extern uint8_t CartridgeImage[kCartridgeSize];
// A cartridge is plugged in (follows the signature after every slice).
extern bool CartridgePresent;
// The firmware wrote the image since it was last loaded, saved, made new or removed.
// Set on the emulation thread, read and cleared by the window's.
extern std::atomic<uint8_t> CartridgeChanged;

uint32_t CartridgeReadByte(uint32_t address);
uint32_t CartridgeReadWord(uint32_t address);
uint32_t CartridgeReadLong(uint32_t address);
void CartridgeWriteByte(uint32_t address, uint32_t value);
void CartridgeWriteWord(uint32_t address, uint32_t value);
void CartridgeWriteLong(uint32_t address, uint32_t value);

void CartridgeMap();
void CartridgeCheck(int32_t count);

// All zeros, no cartridge, unchanged; also the state at start.
void CartridgeRemove();
// An empty cartridge: zeros and the signature.
void CartridgeNew();
// A valid file becomes the cartridge; otherwise nothing changes and the result is false.
bool CartridgeLoad(const std::string& name);
// Replaces the file with the image; only a complete save clears CartridgeChanged.
bool CartridgeSave(const std::string& name);

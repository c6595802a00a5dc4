#include "board/Ram.h"

#include <cstring>

#include "board/Memory.h"

uint8_t RamImage[kRamSize];

uint32_t RamReadByte(uint32_t address) { return ImageReadByte(RamImage, address); }
uint32_t RamReadWord(uint32_t address) { return ImageReadWord(RamImage, address); }
uint32_t RamReadLong(uint32_t address) { return ImageReadLong(RamImage, address); }
void RamWriteByte(uint32_t address, uint32_t value) { ImageWriteByte(RamImage, address, value); }
void RamWriteWord(uint32_t address, uint32_t value) { ImageWriteWord(RamImage, address, value); }
void RamWriteLong(uint32_t address, uint32_t value) { ImageWriteLong(RamImage, address, value); }

void ClearRam() { std::memset(RamImage, 0, sizeof RamImage); }

void RamMap() {
  MapReadHandlers(kRamBase, kRamSize, RamReadByte, RamReadWord, RamReadLong);
  MapReadHandlers(kRamMirrorBase, kRamSize, RamReadByte, RamReadWord, RamReadLong);
  MapWriteHandlers(kRamBase, kRamSize, RamWriteByte, RamWriteWord, RamWriteLong);
  MapWriteHandlers(kRamMirrorBase, kRamSize, RamWriteByte, RamWriteWord, RamWriteLong);
}

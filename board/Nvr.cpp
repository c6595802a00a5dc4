#include "board/Nvr.h"

#include <cstring>

#include "board/Files.h"
#include "board/Memory.h"

uint8_t NvrImage[kNvrSize];

namespace {
std::string directoryOverride;
}

uint32_t NvrReadByte(uint32_t address) { return ImageReadByte(NvrImage, address); }
uint32_t NvrReadWord(uint32_t address) { return ImageReadWord(NvrImage, address); }
uint32_t NvrReadLong(uint32_t address) { return ImageReadLong(NvrImage, address); }
void NvrWriteByte(uint32_t address, uint32_t value) { ImageWriteByte(NvrImage, address, value); }
void NvrWriteWord(uint32_t address, uint32_t value) { ImageWriteWord(NvrImage, address, value); }
void NvrWriteLong(uint32_t address, uint32_t value) { ImageWriteLong(NvrImage, address, value); }

void NvrMap() {
  MapReadHandlers(kNvrBase, kNvrSize, NvrReadByte, NvrReadWord, NvrReadLong);
  MapWriteHandlers(kNvrBase, kNvrSize, NvrWriteByte, NvrWriteWord, NvrWriteLong);
}

void SetNvrDirectory(const std::string& directory) {
  directoryOverride = directory;
  if (!directoryOverride.empty() && directoryOverride.back() != '/') directoryOverride += '/';
}

std::string NvrDirectory() { return directoryOverride.empty() ? ProgramDirectory() : directoryOverride; }

bool LoadNvrFile(const std::string& name) { return LoadImageFile(name, NvrImage); }

bool SaveNvrFile(const std::string& name) { return ReplaceFile(name, NvrImage); }

bool LoadFactoryNvr() { return LoadNvrFile(NvrDirectory() + kFactoryNvrFileName); }

void NvrInit() {
  std::memset(NvrImage, 0, sizeof NvrImage);
  if (!LoadNvrFile(NvrDirectory() + kNvrFileName)) LoadFactoryNvr();
}

void NvrShutdown() { SaveNvrFile(NvrDirectory() + kNvrFileName); }

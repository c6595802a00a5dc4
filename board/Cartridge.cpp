#include "board/Cartridge.h"

#include <cstring>
#include <span>

#include "board/Files.h"
#include "board/Memory.h"

uint8_t CartridgeImage[kCartridgeSize];
bool CartridgePresent;
std::atomic<uint8_t> CartridgeChanged;

namespace {

constexpr uint32_t kSignatureK = 0x3FF8;
constexpr uint32_t kSignatureQ = 0x3FFA;
constexpr uint32_t kSignatureVersion = 0x3FFC;

bool HasSignature(std::span<const uint8_t> image) {
  return image[kSignatureK] == 'K' && image[kSignatureQ] == 'Q' && image[kSignatureVersion] == 3;
}

void MarkChanged() { CartridgeChanged.store(1, std::memory_order_relaxed); }

}  // namespace

uint32_t CartridgeReadByte(uint32_t address) { return ImageReadByte(CartridgeImage, address); }
uint32_t CartridgeReadWord(uint32_t address) { return ImageReadWord(CartridgeImage, address); }
uint32_t CartridgeReadLong(uint32_t address) { return ImageReadLong(CartridgeImage, address); }

void CartridgeWriteByte(uint32_t address, uint32_t value) {
  ImageWriteByte(CartridgeImage, address, value);
  MarkChanged();
}
void CartridgeWriteWord(uint32_t address, uint32_t value) {
  ImageWriteWord(CartridgeImage, address, value);
  MarkChanged();
}
void CartridgeWriteLong(uint32_t address, uint32_t value) {
  ImageWriteLong(CartridgeImage, address, value);
  MarkChanged();
}

void CartridgeMap() {
  MapReadHandlers(kCartridgeBase, kCartridgeSize, CartridgeReadByte, CartridgeReadWord,
                  CartridgeReadLong);
  MapWriteHandlers(kCartridgeBase, kCartridgeSize, CartridgeWriteByte, CartridgeWriteWord,
                   CartridgeWriteLong);
}

void CartridgeCheck(int32_t) { CartridgePresent = HasSignature(CartridgeImage); }

void CartridgeRemove() {
  std::memset(CartridgeImage, 0, sizeof CartridgeImage);
  CartridgePresent = false;
  CartridgeChanged = 0;
}

void CartridgeNew() {
  std::memset(CartridgeImage, 0, sizeof CartridgeImage);
  CartridgeImage[kSignatureK] = 'K';
  CartridgeImage[kSignatureQ] = 'Q';
  CartridgeImage[kSignatureVersion] = 3;
  CartridgePresent = true;
  CartridgeChanged = 0;
}

bool CartridgeLoad(const std::string& name) {
  auto file = ReadWholeFile(name, kCartridgeSize);
  if (!file || file->size() != kCartridgeSize || !HasSignature(*file)) return false;
  std::memcpy(CartridgeImage, file->data(), kCartridgeSize);
  CartridgePresent = true;
  CartridgeChanged = 0;
  return true;
}

bool CartridgeSave(const std::string& name) {
  // Cleared before the image is written, so that a firmware write during the save marks
  // the cartridge changed again.
  uint8_t wasChanged = CartridgeChanged.exchange(0);
  if (ReplaceFile(name, CartridgeImage)) return true;
  if (wasChanged) CartridgeChanged = 1;
  return false;
}

#include "board/Adc.h"

#include "board/Io.h"

std::atomic<uint32_t> AdcInputs[8];
uint32_t AdcResult;

void AdcSelect(uint32_t address) {
  AdcResult = AdcInputs[(address & 0xE) >> 1].load(std::memory_order_relaxed) & 0xFF;
}

namespace {

uint32_t SelectAndRead(uint32_t address, uint32_t ones) {
  AdcSelect(address);
  return ones;
}

}  // namespace

uint32_t AdcSelectReadByte(uint32_t address) { return SelectAndRead(address, 0xFF); }
uint32_t AdcSelectReadWord(uint32_t address) { return SelectAndRead(address, 0xFFFF); }
uint32_t AdcSelectReadLong(uint32_t address) { return SelectAndRead(address, 0xFFFFFFFF); }
void AdcSelectWriteByte(uint32_t address, uint32_t) { AdcSelect(address); }
void AdcSelectWriteWord(uint32_t address, uint32_t) { AdcSelect(address); }
void AdcSelectWriteLong(uint32_t address, uint32_t) { AdcSelect(address); }

// The latch holds a byte, so every size reads it zero-extended.
uint32_t AdcResultReadByte(uint32_t) { return AdcResult; }
uint32_t AdcResultReadWord(uint32_t) { return AdcResult; }
uint32_t AdcResultReadLong(uint32_t) { return AdcResult; }

void AdcMap() {
  MapDeviceReadHandlers(kAdcResultPage, AdcResultReadByte, AdcResultReadWord, AdcResultReadLong);
  MapDeviceReadHandlers(kAdcSelectPage, AdcSelectReadByte, AdcSelectReadWord, AdcSelectReadLong);
  MapDeviceWriteHandlers(kAdcSelectPage, AdcSelectWriteByte, AdcSelectWriteWord,
                         AdcSelectWriteLong);
}

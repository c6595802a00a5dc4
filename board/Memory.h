// Access to a memory image as the 68000 sees it: big-endian words and longs, no
// alignment check. The image size is a power of two; the offset is the bus address
// reduced by the image's mask, and a word or long that starts in the last bytes wraps
// to the image's first bytes instead of leaving it.
#pragma once

#include <cstddef>
#include <cstdint>

template <size_t N> constexpr uint32_t kImageMask = [] {
  static_assert(N != 0 && (N & (N - 1)) == 0, "memory images are a power of two long");
  return uint32_t(N - 1);
}();

template <size_t N> inline uint32_t ImageReadByte(const uint8_t (&m)[N], uint32_t address) {
  return m[address & kImageMask<N>];
}

template <size_t N> inline uint32_t ImageReadWord(const uint8_t (&m)[N], uint32_t address) {
  constexpr uint32_t mask = kImageMask<N>;
  return uint32_t(m[address & mask]) << 8 | m[(address + 1) & mask];
}

template <size_t N> inline uint32_t ImageReadLong(const uint8_t (&m)[N], uint32_t address) {
  constexpr uint32_t mask = kImageMask<N>;
  return uint32_t(m[address & mask]) << 24 | uint32_t(m[(address + 1) & mask]) << 16 |
         uint32_t(m[(address + 2) & mask]) << 8 | m[(address + 3) & mask];
}

template <size_t N> inline void ImageWriteByte(uint8_t (&m)[N], uint32_t address, uint32_t value) {
  m[address & kImageMask<N>] = uint8_t(value);
}

template <size_t N> inline void ImageWriteWord(uint8_t (&m)[N], uint32_t address, uint32_t value) {
  constexpr uint32_t mask = kImageMask<N>;
  m[address & mask] = uint8_t(value >> 8);
  m[(address + 1) & mask] = uint8_t(value);
}

template <size_t N> inline void ImageWriteLong(uint8_t (&m)[N], uint32_t address, uint32_t value) {
  constexpr uint32_t mask = kImageMask<N>;
  m[address & mask] = uint8_t(value >> 24);
  m[(address + 1) & mask] = uint8_t(value >> 16);
  m[(address + 2) & mask] = uint8_t(value >> 8);
  m[(address + 3) & mask] = uint8_t(value);
}

// Access to a memory image as the 68000 sees it: big-endian words and longs, no
// alignment check. The image size is a power of two; the offset is the bus address
// reduced by the image's mask, and a word or long that starts in the last bytes wraps
// to the image's first bytes instead of leaving it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

template <size_t N> constexpr uint32_t kImageMask = [] {
  static_assert(N != 0 && (N & (N - 1)) == 0, "memory images are a power of two long");
  return uint32_t(N - 1);
}();

template <size_t N> inline uint32_t ImageReadByte(const uint8_t (&m)[N], uint32_t address) {
  return m[address & kImageMask<N>];
}

// Words and longs that lie wholly inside the image (nearly all of them) are one load;
// only the last bytes of the image take the wrapping path.
template <size_t N> inline uint32_t ImageReadWord(const uint8_t (&m)[N], uint32_t address) {
  constexpr uint32_t mask = kImageMask<N>;
  const uint32_t offset = address & mask;
  if (offset < mask) [[likely]] {
    uint16_t v;
    std::memcpy(&v, m + offset, sizeof v);
    return __builtin_bswap16(v);
  }
  return uint32_t(m[offset]) << 8 | m[(offset + 1) & mask];
}

template <size_t N> inline uint32_t ImageReadLong(const uint8_t (&m)[N], uint32_t address) {
  constexpr uint32_t mask = kImageMask<N>;
  const uint32_t offset = address & mask;
  if (offset < mask - 2) [[likely]] {
    uint32_t v;
    std::memcpy(&v, m + offset, sizeof v);
    return __builtin_bswap32(v);
  }
  return uint32_t(m[offset]) << 24 | uint32_t(m[(offset + 1) & mask]) << 16 |
         uint32_t(m[(offset + 2) & mask]) << 8 | m[(offset + 3) & mask];
}

template <size_t N> inline void ImageWriteByte(uint8_t (&m)[N], uint32_t address, uint32_t value) {
  m[address & kImageMask<N>] = uint8_t(value);
}

template <size_t N> inline void ImageWriteWord(uint8_t (&m)[N], uint32_t address, uint32_t value) {
  constexpr uint32_t mask = kImageMask<N>;
  const uint32_t offset = address & mask;
  if (offset < mask) [[likely]] {
    const uint16_t v = __builtin_bswap16(uint16_t(value));
    std::memcpy(m + offset, &v, sizeof v);
    return;
  }
  m[offset] = uint8_t(value >> 8);
  m[(offset + 1) & mask] = uint8_t(value);
}

template <size_t N> inline void ImageWriteLong(uint8_t (&m)[N], uint32_t address, uint32_t value) {
  constexpr uint32_t mask = kImageMask<N>;
  const uint32_t offset = address & mask;
  if (offset < mask - 2) [[likely]] {
    const uint32_t v = __builtin_bswap32(value);
    std::memcpy(m + offset, &v, sizeof v);
    return;
  }
  m[offset] = uint8_t(value >> 24);
  m[(offset + 1) & mask] = uint8_t(value >> 16);
  m[(offset + 2) & mask] = uint8_t(value >> 8);
  m[(offset + 3) & mask] = uint8_t(value);
}

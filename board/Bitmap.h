// A picture in memory: 32-bit pixels 0x00RRGGBB, rows from the top. The board draws
// the LCD and the program digits into such pictures; the window shows them.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kBlack = 0x000000;

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, uint32_t colour = kBlack)
      : width_(width), height_(height), pixels_(size_t(width) * size_t(height), colour) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  const uint32_t* Pixels() const { return pixels_.data(); }

  uint32_t Pixel(int x, int y) const { return pixels_[Index(x, y)]; }
  void SetPixel(int x, int y, uint32_t colour) { pixels_[Index(x, y)] = colour; }

  // A new size; every pixel becomes the colour.
  void Reset(int width, int height, uint32_t colour);
  void FillRect(int x, int y, int w, int h, uint32_t colour);
  // Copies the w x h rectangle at (sx, sy) of the source to (dx, dy); both rectangles
  // lie inside their pictures.
  void CopyRect(const Bitmap& source, int sx, int sy, int w, int h, int dx, int dy);

 private:
  size_t Index(int x, int y) const {
    assert(x >= 0 && x < width_ && y >= 0 && y < height_);
    return size_t(y) * size_t(width_) + size_t(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

#include "board/Bitmap.h"

#include <algorithm>

void Bitmap::Reset(int width, int height, uint32_t colour) {
  width_ = width;
  height_ = height;
  pixels_.assign(size_t(width) * size_t(height), colour);
}

void Bitmap::FillRect(int x, int y, int w, int h, uint32_t colour) {
  for (int row = y; row < y + h; ++row)
    std::fill_n(pixels_.begin() + ptrdiff_t(Index(x, row)), w, colour);
}

void Bitmap::CopyRect(const Bitmap& source, int sx, int sy, int w, int h, int dx, int dy) {
  assert(sx + w <= source.width_ && sy + h <= source.height_);
  assert(dx + w <= width_ && dy + h <= height_);
  for (int row = 0; row < h; ++row)
    std::copy_n(source.pixels_.begin() + ptrdiff_t(source.Index(sx, sy + row)), w,
                pixels_.begin() + ptrdiff_t(Index(dx, dy + row)));
}

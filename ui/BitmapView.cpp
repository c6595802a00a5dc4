#include "ui/BitmapView.h"

#include <QPainter>
#include <algorithm>

#include "board/Bitmap.h"

TBitmapView::TBitmapView(const Bitmap& source, QWidget* parent)
    : QWidget(parent), source_(source) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TBitmapView::Refresh() {
  const size_t count = size_t(source_.Width()) * size_t(source_.Height());
  const uint32_t* pixels = source_.Pixels();
  if (count == shown_.size() && source_.Width() == shownWidth_ &&
      std::equal(pixels, pixels + count, shown_.begin()))
    return false;
  shown_.assign(pixels, pixels + count);
  shownWidth_ = source_.Width();
  picture_ = QImage(source_.Width(), source_.Height(), QImage::Format_RGB32);
  for (int y = 0; y < source_.Height(); ++y) {
    const uint32_t* row = pixels + size_t(y) * size_t(shownWidth_);
    auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    for (int x = 0; x < shownWidth_; ++x) line[x] = 0xFF000000u | row[x];
  }
  update();
  return true;
}

// Stretched without smoothing: each of the board's pixels stays a sharp block.
void TBitmapView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (picture_.isNull()) painter.fillRect(rect(), Qt::black);
  else painter.drawImage(rect(), picture_);
}

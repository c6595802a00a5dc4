#include "ui/Sliderframe.h"

#include <QPainter>
#include <algorithm>

#include "board/Adc.h"
#include "ui/Art.h"

namespace {

const QImage& Thumb() { return ArtImage("Slider"); }
const QImage& Track() { return ArtImage("SliderBack"); }

}  // namespace

TSlider::TSlider(QWidget* parent) : TDragFrame(parent) {
  setObjectName("DataEntry");
  setFixedSize(Track().size());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSlider::SetPosition(uint8_t p) {
  AdcInputs[kAdcDataEntry].store(p, std::memory_order_relaxed);
  if (p == position_) return;
  bool moved = ThumbRect(p).top() != ThumbRect(position_).top();
  position_ = p;
  if (moved) update();
}

void TSlider::Increment(int n) { SetPosition(uint8_t(std::min(position_ + n, 255))); }
void TSlider::Decrement(int n) { SetPosition(uint8_t(std::max(position_ - n, 0))); }

QRect TSlider::ThumbRect(uint8_t p) const {
  int top = int(double(height() - Thumb().height()) * (255 - p) * (1.0 / 255.0) + 0.5);
  return {0, top, Thumb().width(), Thumb().height()};
}

// The thumb's centre follows the pointer.
void TSlider::FrameMouseMove(int, int y) {
  const int range = height() - Thumb().height();
  const int d = y - Thumb().height() / 2;
  if (d < 0) SetPosition(255);
  else if (d > range) SetPosition(0);
  else SetPosition(uint8_t((range - d) * 255.0 / range + 0.5));
}

void TSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Track());
  DrawThumb(painter);
}

void TSlider::DrawThumb(QPainter& painter) const {
  painter.drawImage(ThumbRect(position_).topLeft(), Thumb());
}

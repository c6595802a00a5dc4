#include "ui/Knobframe.h"

#include <QPainter>
#include <cmath>
#include <numbers>

#include "ui/Art.h"

namespace {

const QImage& Face() { return ArtImage("Knob"); }

}  // namespace

TKnob::TKnob(QWidget* parent) : TDragFrame(parent) {
  setFixedSize(Face().size());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TKnob::SetOutput(std::atomic<uint32_t>* target) {
  outputTarget_ = target;
  if (outputTarget_) outputTarget_->store(value_, std::memory_order_relaxed);
}

void TKnob::SetValue(uint8_t v) {
  if (v == value_) return;
  value_ = v;
  if (outputTarget_) outputTarget_->store(v, std::memory_order_relaxed);
  update();
}

// Value 0 points at 120 degrees, 255 at 420, clockwise from the x axis (y grows down).
QPoint TKnob::PointerTip() const {
  const float angle = float((value_ * (1.0 / 255.0) * 300.0 + 120.0) * std::numbers::pi / 180.0);
  const float x = float(std::cos(double(angle)) * kPointerLength + kPivot.x() + 0.5);
  const float y = float(std::sin(double(angle)) * kPointerLength + kPivot.y() + 0.5);
  return {int(x), int(y)};
}

void TKnob::FrameMouseMove(int x, int y) {
  const int dx = x - kPivot.x(), dy = y - kPivot.y();
  float a;
  if (dx > 0) {
    a = float(std::atan(double(dy) / dx) * 180.0 / std::numbers::pi);
  } else if (dx < 0) {
    a = float(std::atan(double(dy) / dx) * 180.0 / std::numbers::pi + 180.0);
  } else {
    if (dy >= 0) return;  // straight below or on the pivot: no direction to follow
    a = 270.0f;
  }
  if (a < 0) a += 360.0f;
  // The 60-degree gap straight down: its outer fifths snap to the ends, its middle is dead.
  if (a < 60) SetValue(uint8_t((a - 120.0 + 360.0) * (1.0 / 300.0) * 255.0));
  else if (a < 65) SetValue(255);
  else if (a < 115) return;
  else if (a < 120) SetValue(0);
  else SetValue(uint8_t((a - 120.0) * (1.0 / 300.0) * 255.0));
}

void TKnob::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawKnob(painter);
}

void TKnob::DrawKnob(QPainter& painter) const {
  painter.drawImage(0, 0, Face());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(kPivot, PointerTip());
}

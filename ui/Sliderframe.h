// The Data Entry slider: a thumb on a vertical track, position 0-255 with 255 at the
// top, written to the ADC's data-entry input on every change.
#pragma once

#include <QRect>
#include <cstdint>

#include "ui/DragFrame.h"

class QPainter;

class TSlider : public TDragFrame {
  Q_OBJECT

 public:
  explicit TSlider(QWidget* parent = nullptr);

  uint8_t Position() const { return position_; }
  // The ADC input takes p even when the thumb stays where it is.
  void SetPosition(uint8_t p);
  void Increment(int n);
  void Decrement(int n);
  // Where the thumb stands for position p, in the control's pixels.
  QRect ThumbRect(uint8_t p) const;

 protected:
  void FrameMouseMove(int x, int y) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // The thumb's picture at ThumbRect(Position()).
  void DrawThumb(QPainter& painter) const;

  uint8_t position_ = 128;
};

// A rotary knob: value 0-255 over 300 degrees, 0 at lower left, 255 at lower right,
// mirrored into the ADC input its owner chooses.
#pragma once

#include <QPoint>
#include <atomic>
#include <cstdint>

#include "ui/DragFrame.h"

class QPainter;

class TKnob : public TDragFrame {
  Q_OBJECT

 public:
  explicit TKnob(QWidget* parent = nullptr);

  uint8_t Value() const { return value_; }
  // The target (may be null) takes the current value at once.
  void SetOutput(std::atomic<uint32_t>* target);
  std::atomic<uint32_t>* OutputTarget() const { return outputTarget_; }
  void SetValue(uint8_t v);
  // The end of the pointer line drawn for the current value.
  QPoint PointerTip() const;

  static constexpr QPoint kPivot{37, 36};
  static constexpr int kPointerLength = 27;

 protected:
  void FrameMouseMove(int x, int y) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // The face for the current value: the knob's picture and its pointer line.
  void DrawKnob(QPainter& painter) const;

  uint8_t value_ = 128;
  std::atomic<uint32_t>* outputTarget_ = nullptr;
};

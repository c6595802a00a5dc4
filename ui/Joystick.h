// The joystick: a square field with the stick on it. A left press on the stick starts a
// drag: the pointer disappears and is held inside the field's inner square, the stick
// follows it, and the release of any button ends the drag where the stick stands.
// X and Y (0-255 each) go to the ADC's joystick inputs.
#pragma once

#include <QRect>
#include <QWidget>
#include <cstdint>

class TJoystick : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kStickSize = 16;

  explicit TJoystick(QWidget* parent = nullptr);
  ~TJoystick() override;

  void SetJoystick(uint8_t x, uint8_t y);
  uint8_t X() const { return x_; }
  uint8_t Y() const { return y_; }
  // The stick's place in the field's pixels.
  QRect StickRect() const { return {stick_, QSize(kStickSize, kStickSize)}; }
  bool Dragging() const { return dragging_; }
  // Where the pointer is held during a drag, in the field's pixels.
  QRect DragArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void EndDrag();

  uint8_t x_ = 0;
  uint8_t y_ = 0;
  QPoint stick_;
  bool dragging_ = false;
};

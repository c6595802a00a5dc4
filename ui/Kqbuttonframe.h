// One button of the front panel: a 33 x 33 key cap, blue or grey, with or without a
// light, drawn up or down. A left press holds the button down until the left button goes
// up (wherever the pointer is by then); a right click latches it down until the next
// right click or left click. The switch matrix reads the button's Pressed byte.
#pragma once

#include <QWidget>
#include <cstdint>

#include "board/Panel.h"

class QPainter;

class TKQButton : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSize = 33;

  explicit TKQButton(PanelButton button, QWidget* parent = nullptr);

  PanelButton Button() const { return button_; }
  uint8_t Grey() const { return grey_; }
  int8_t LED() const { return led_; }
  uint8_t IsPressed() const { return Pressed(button_).load(std::memory_order_relaxed); }

  // Each redraws only on a change.
  void SetGrey(uint8_t grey);
  void SetLED(int8_t led);

  // The cell of "Buttons" shown: column (grey 2, blue 0, plus 1 when down), row the light.
  QPoint Cell() const;

  // Left: held down until the left button goes up; right: latched down or released;
  // middle: nothing.
  void ImageMouseDown(Qt::MouseButton button);
  // The left button's release lets the button go up; the others do nothing.
  void FrameMouseUp(Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetPressed(uint8_t pressed);
  void DrawButton(QPainter& painter) const;

  const PanelButton button_;
  uint8_t grey_ = 1;
  int8_t led_ = kLedNone;
};

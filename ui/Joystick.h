// The joystick: a square field with the stick on it. A left press on the stick starts a
// drag: the pointer disappears and is held inside the field's inner square, the stick
// follows it, and the release of any button ends the drag where the stick stands.
// X and Y (0-255 each) go to the ADC's joystick inputs.
#pragma once

#include <QRect>
#include <QWidget>
#include <cstdint>
#include <optional>

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
  bool JoystickDragging() const { return savedCursor_.has_value(); }
  // Where the pointer is held during a drag, in the field's pixels.
  QRect DragArea() const;

  // The drag: a left press on the stick starts it; the moves, which Qt sends here for as
  // long as a button is held after the press, move the stick; any button's release ends
  // it. (x, y) in the field's pixels.
  void JoystickMouseDown(Qt::MouseButton button, QPoint at);
  void FormMouseMove(int x, int y);
  void FormMouseUp();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The pointer hidden for as long as it lives; the cursor in force before comes back
  // when it goes.
  class SavedCursor {
   public:
    SavedCursor();
    ~SavedCursor();
    SavedCursor(const SavedCursor&) = delete;
    SavedCursor& operator=(const SavedCursor&) = delete;
  };

  uint8_t x_ = 0;
  uint8_t y_ = 0;
  QPoint stick_;
  std::optional<SavedCursor> savedCursor_;  // during a drag
};

// An analog control of the panel drawn from pictures: a left press on it starts a drag,
// every move of the pointer during the drag sets the control's value, and the release of
// any button ends it. Moves outside the control still count while the drag lasts.
#pragma once

#include <QWidget>

class TDragFrame : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;
  bool Dragging() const { return dragging_; }

  // A press on the control's face: the left button starts a drag, the others do nothing.
  void ImageMouseDown(Qt::MouseButton button);
  // Any button's release ends the drag.
  void FrameMouseUp();

 protected:
  // (x, y) in the control's own pixels.
  virtual void FrameMouseMove(int x, int y) = 0;

  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool dragging_ = false;
};

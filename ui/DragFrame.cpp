#include "ui/DragFrame.h"

#include <QMouseEvent>
#include <cmath>

void TDragFrame::mousePressEvent(QMouseEvent* event) { ImageMouseDown(event->button()); }

void TDragFrame::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  QPointF at = event->position();
  FrameMouseMove(int(std::floor(at.x())), int(std::floor(at.y())));
}

void TDragFrame::mouseReleaseEvent(QMouseEvent*) { FrameMouseUp(); }

// The value does not change on the press itself, only with the first move.
void TDragFrame::ImageMouseDown(Qt::MouseButton button) {
  if (button == Qt::LeftButton) dragging_ = true;
}

void TDragFrame::FrameMouseUp() { dragging_ = false; }

#include "ui/DragFrame.h"

#include <QMouseEvent>
#include <cmath>

// The value does not change on the press itself, only with the first move.
void TDragFrame::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = true;
}

void TDragFrame::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  QPointF at = event->position();
  FrameMouseMove(int(std::floor(at.x())), int(std::floor(at.y())));
}

void TDragFrame::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

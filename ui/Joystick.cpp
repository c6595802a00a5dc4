#include "ui/Joystick.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "board/Adc.h"
#include "ui/Art.h"

TJoystick::TJoystick(QWidget* parent) : QWidget(parent) {
  setObjectName("ImageJoystick");
  setFixedSize(ArtImage("JoystickField").size());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TJoystick::~TJoystick() = default;

TJoystick::SavedCursor::SavedCursor() { QGuiApplication::setOverrideCursor(Qt::BlankCursor); }
TJoystick::SavedCursor::~SavedCursor() { QGuiApplication::restoreOverrideCursor(); }

void TJoystick::SetJoystick(uint8_t x, uint8_t y) {
  AdcInputs[kAdcJoystickX].store(x, std::memory_order_relaxed);
  AdcInputs[kAdcJoystickY].store(y, std::memory_order_relaxed);
  x_ = x;
  y_ = y;
  stick_ = {int(x * (1.0 / 255.0) * (width() - 2 * kStickSize)) + kStickSize / 2,
            int(y * (1.0 / 255.0) * (height() - 2 * kStickSize)) + kStickSize / 2};
  update();
}

QRect TJoystick::DragArea() const {
  return QRect(QPoint(kStickSize, kStickSize), QPoint(width() - kStickSize, height() - kStickSize));
}

void TJoystick::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, ArtImage("JoystickField"));
  // The stick inverts what lies beneath it.
  painter.setCompositionMode(QPainter::CompositionMode_Difference);
  painter.drawImage(stick_, ArtImage("Joystick"));
}

void TJoystick::mousePressEvent(QMouseEvent* event) {
  JoystickMouseDown(event->button(), event->position().toPoint());
}

void TJoystick::mouseMoveEvent(QMouseEvent* event) {
  FormMouseMove(int(std::floor(event->position().x())), int(std::floor(event->position().y())));
}

void TJoystick::mouseReleaseEvent(QMouseEvent*) { FormMouseUp(); }

// The stick does not move on the press, only with the pointer's first move.
void TJoystick::JoystickMouseDown(Qt::MouseButton button, QPoint at) {
  if (button != Qt::LeftButton || JoystickDragging()) return;
  if (!StickRect().contains(at)) return;
  savedCursor_.emplace();
}

// The pointer is put back inside the drag area where the platform lets a program move it;
// the value is computed from the held position in any case, so it stays within 0-255.
void TJoystick::FormMouseMove(int x, int y) {
  if (!JoystickDragging()) return;
  const QRect area = DragArea();
  const QPoint at(x, y);
  const QPoint held(std::clamp(at.x(), area.left(), area.right()),
                    std::clamp(at.y(), area.top(), area.bottom()));
  if (held != at) QCursor::setPos(mapToGlobal(held));
  SetJoystick(uint8_t((held.x() - area.left()) * 255 / (width() - 2 * kStickSize)),
              uint8_t((held.y() - area.top()) * 255 / (height() - 2 * kStickSize)));
}

void TJoystick::FormMouseUp() { savedCursor_.reset(); }

#include "ui/Kqbuttonframe.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/Art.h"

TKQButton::TKQButton(PanelButton button, QWidget* parent) : QWidget(parent), button_(button) {
  setObjectName(PanelButtonNames[size_t(button)]);
  setFixedSize(kSize, kSize);
  setContextMenuPolicy(Qt::PreventContextMenu);  // the right button latches instead
  setAttribute(Qt::WA_OpaquePaintEvent);
  Pressed(button_).store(0, std::memory_order_relaxed);
}

void TKQButton::SetGrey(uint8_t grey) {
  if (grey == grey_) return;
  grey_ = grey;
  update();
}

void TKQButton::SetLED(int8_t led) {
  if (led == led_) return;
  led_ = led;
  update();
}

QPoint TKQButton::Cell() const { return {(grey_ ? 2 : 0) + (IsPressed() ? 1 : 0), led_}; }

void TKQButton::SetPressed(uint8_t pressed) {
  Pressed(button_).store(pressed, std::memory_order_relaxed);
  update();
}

void TKQButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawButton(painter);
}

void TKQButton::DrawButton(QPainter& painter) const {
  const QPoint cell = Cell();
  painter.drawImage(QRect(0, 0, width(), height()), ArtImage("Buttons"),
                    QRect(cell.x() * kSize, cell.y() * kSize, kSize, kSize));
}

// Qt keeps sending the pointer's events to the widget pressed until every button is up,
// so the left button's release arrives here wherever it happens.
void TKQButton::mousePressEvent(QMouseEvent* event) { ImageMouseDown(event->button()); }
void TKQButton::mouseReleaseEvent(QMouseEvent* event) { FrameMouseUp(event->button()); }

void TKQButton::ImageMouseDown(Qt::MouseButton button) {
  if (button == Qt::LeftButton) SetPressed(1);
  else if (button == Qt::RightButton) SetPressed(IsPressed() ? 0 : 1);
}

void TKQButton::FrameMouseUp(Qt::MouseButton button) {
  if (button == Qt::LeftButton) SetPressed(0);
}

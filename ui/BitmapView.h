// Shows one of the board's pictures (the LCD, the program digits) stretched over the
// control, copying it only when its pixels changed.
#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

class Bitmap;

class TBitmapView : public QWidget {
  Q_OBJECT

 public:
  TBitmapView(const Bitmap& source, QWidget* parent = nullptr);
  // Takes the board's picture if it changed; true if it did.
  bool Refresh();
  // The picture as last taken, at the board's size.
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Bitmap& source_;
  std::vector<uint32_t> shown_;
  int shownWidth_ = 0;
  QImage picture_;
};

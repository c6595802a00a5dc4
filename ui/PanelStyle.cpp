#include "ui/PanelStyle.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <algorithm>

#include "ui/Art.h"

QFont PanelFont(int pixels, bool bold) {
  QFont font;
  font.setFamilies({"Arial", "Liberation Sans", "Helvetica", "DejaVu Sans"});
  font.setPixelSize(pixels);
  font.setItalic(true);
  font.setBold(bold);
  return font;
}

void SetColours(QWidget* widget, const QColor& text, const QColor& background) {
  QPalette palette = widget->palette();
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(role, text);
  for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
    palette.setColor(role, background);
  widget->setPalette(palette);
}

QLabel* PanelLabel(QWidget* parent, const QString& text, int left, int top, int width,
                   Qt::Alignment alignment, bool wrap) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(alignment | Qt::AlignTop);
  label->setWordWrap(wrap);
  const QFontMetrics metrics(label->font());
  int widest = 0;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts))
    widest = std::max(widest, metrics.horizontalAdvance(word) + 2);
  if (width == 0) width = metrics.horizontalAdvance(text) + 2;
  // A right-aligned caption keeps its right edge where it grows.
  if (widest > width && (alignment & Qt::AlignRight)) left -= widest - width;
  width = std::max(width, widest);
  const int height = wrap ? label->heightForWidth(width) : metrics.height();
  label->setGeometry(left, top, width, std::max(height, metrics.height()));
  return label;
}

QLabel* PanelImage(QWidget* parent, const char* name, QRect place, const char* picture) {
  auto* image = new QLabel(parent);
  image->setObjectName(name);
  image->setGeometry(place);
  image->setScaledContents(true);
  image->setPixmap(QPixmap::fromImage(ArtImage(picture)));
  return image;
}

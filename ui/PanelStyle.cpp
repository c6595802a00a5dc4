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
  // Whole-pixel advances, in which the panel's caption widths are measured.
  font.setHintingPreference(QFont::PreferFullHinting);
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

namespace {

qreal WidestWord(const QFont& font, const QString& text) {
  const QFontMetricsF metrics(font);
  qreal widest = 0;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts))
    widest = std::max(widest, metrics.horizontalAdvance(word));
  return widest;
}

// The text broken into lines at blanks, each line as many words as fit the width by their
// advances (a slanted letter may reach a pixel past them), a lone word on a line of its
// own even if it is wider.
QString BreakAtBlanks(const QFont& font, const QString& text, qreal width) {
  const QFontMetricsF metrics(font);
  QStringList lines;
  QString line;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    const QString longer = line.isEmpty() ? word : line + ' ' + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
      lines.append(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.isEmpty()) lines.append(line);
  return lines.join('\n');
}

}  // namespace

QLabel* PanelLabel(QWidget* parent, const QString& text, int left, int top, int width,
                   Qt::Alignment alignment, bool wrap) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(alignment | Qt::AlignTop);
  if (width == 0) width = QFontMetrics(label->font()).horizontalAdvance(text) + 2;
  QFont font = label->font();
  for (int stretch = 98; stretch >= 50 && WidestWord(font, text) > width; stretch -= 2)
    font.setStretch(stretch);
  label->setFont(font);
  if (wrap) label->setText(BreakAtBlanks(font, text, width));
  label->setGeometry(left, top, width, label->sizeHint().height());
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

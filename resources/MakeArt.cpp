// Draws the front panel's pictures and writes them as PNG files into the folder given,
// where the build embeds them: the button caps, the knob, the slider's thumb and track,
// the joystick field and stick, and the logos.
//
//   make-art FOLDER
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr QRgb kPanelBlack = 0xFF000000;
const QColor kHeaderBlue(0x00, 0x89, 0xE1);

QImage NewImage(int w, int h, QRgb fill = kPanelBlack) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(fill);
  return image;
}

QFont LogoFont(int pixels, bool bold = true) {
  QFont font;
  font.setFamilies({"DejaVu Sans", "Liberation Sans", "Arial"});
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setItalic(true);
  return font;
}

// A 33 x 33 key cap: blue or grey, up or down, with no light, a dark one or a lit one.
void DrawCap(QPainter& p, int cellX, int cellY, bool blue, bool down, int light) {
  p.save();
  p.translate(cellX, cellY);
  p.setRenderHint(QPainter::Antialiasing);
  QColor face = blue ? QColor(0x1E, 0x5C, 0xC8) : QColor(0x9C, 0xA0, 0xA4);
  if (down) face = face.darker(125);
  const int shift = down ? 1 : 0;
  QRectF body(2.5 + shift, 2.5 + shift, 28, 28);

  // Shadow below the cap; a pressed cap sits lower and casts almost none.
  if (!down) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRoundedRect(body.translated(1.5, 1.5), 4, 4);
  }
  QLinearGradient shade(body.topLeft(), body.bottomRight());
  shade.setColorAt(0, down ? face : face.lighter(135));
  shade.setColorAt(1, down ? face.lighter(110) : face.darker(125));
  p.setBrush(shade);
  p.setPen(QPen(face.darker(170), 1));
  p.drawRoundedRect(body, 4, 4);

  // The light is a small window near the cap's top edge.
  if (light > 0) {
    QRectF lamp(11.5 + shift, 5.5 + shift, 10, 5);
    p.setPen(QPen(QColor(0x20, 0x00, 0x00), 1));
    p.setBrush(light == 2 ? QColor(0xFF, 0x28, 0x18) : QColor(0x50, 0x08, 0x06));
    p.drawRoundedRect(lamp, 1.5, 1.5);
    if (light == 2) {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xFF, 0xC0, 0xB0, 0xB0));
      p.drawRoundedRect(QRectF(lamp.x() + 2, lamp.y() + 1, 6, 1.6), 0.8, 0.8);
    }
  }
  p.restore();
}

// 4 columns (blue up, blue down, grey up, grey down) by 3 rows (no light, off, on).
QImage Buttons() {
  QImage image = NewImage(132, 99);
  QPainter p(&image);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 4; ++column)
      DrawCap(p, column * 33, row * 33, column < 2, column & 1, row);
  return image;
}

// The knob's face around the pivot (37, 36) with its scale from 120 to 420 degrees;
// the window draws the pointer.
QImage Knob() {
  QImage image = NewImage(75, 70);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF pivot(37.5, 36.5);
  p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1.4));
  for (int tick = 0; tick <= 10; ++tick) {
    double angle = (120.0 + tick * 30.0) * M_PI / 180.0;
    double inner = tick % 5 == 0 ? 29.0 : 31.0;
    p.drawLine(pivot + QPointF(std::cos(angle) * inner, std::sin(angle) * inner),
               pivot + QPointF(std::cos(angle) * 34.0, std::sin(angle) * 34.0));
  }
  QRadialGradient body(pivot - QPointF(8, 9), 34);
  body.setColorAt(0, QColor(0x6A, 0x6E, 0x74));
  body.setColorAt(1, QColor(0x1A, 0x1C, 0x1E));
  p.setBrush(body);
  p.setPen(QPen(QColor(0x08, 0x08, 0x08), 1.5));
  p.drawEllipse(pivot, 26.5, 26.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x80, 0x84, 0x88), 1));
  p.drawEllipse(pivot, 20.5, 20.5);
  return image;
}

// The slider's track: a slot with a scale on both sides, for a 19-pixel thumb.
QImage SliderBack() {
  QImage image = NewImage(45, 172);
  QPainter p(&image);
  p.setPen(QColor(0x90, 0x90, 0x90));
  for (int tick = 0; tick <= 10; ++tick) {
    int y = 9 + tick * 153 / 10;
    int length = tick % 5 == 0 ? 9 : 6;
    p.drawLine(1, y, length, y);
    p.drawLine(43 - length, y, 43, y);
  }
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.setBrush(QColor(0x10, 0x10, 0x10));
  p.drawRect(19, 5, 6, 161);
  return image;
}

// The thumb: a grey grip with a white line across its middle.
QImage Slider() {
  QImage image = NewImage(45, 19);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient grip(0, 0, 0, 19);
  grip.setColorAt(0, QColor(0xD0, 0xD2, 0xD4));
  grip.setColorAt(0.5, QColor(0x8A, 0x8C, 0x90));
  grip.setColorAt(1, QColor(0x50, 0x52, 0x56));
  p.setBrush(grip);
  p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
  p.drawRoundedRect(QRectF(10.5, 1.5, 24, 16), 2, 2);
  p.setPen(QPen(Qt::white, 2));
  p.drawLine(QPointF(12, 9.5), QPointF(33, 9.5));
  return image;
}

// The joystick's field: black, with a blue arrowhead on each edge pointing outwards and
// the letters A (left), B (top), C (right), D (bottom).
QImage JoystickField() {
  QImage image = NewImage(194, 194);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  p.drawRect(QRectF(0.5, 0.5, 193, 193));
  p.setFont(LogoFont(13));
  struct Edge {
    QPointF tip, left, right, letter;
    const char* name;
  };
  const Edge edges[] = {
      {{3, 97}, {12, 89}, {12, 105}, {18, 97}, "A"},
      {{97, 3}, {89, 12}, {105, 12}, {97, 20}, "B"},
      {{191, 97}, {182, 89}, {182, 105}, {176, 97}, "C"},
      {{97, 191}, {89, 182}, {105, 182}, {97, 174}, "D"},
  };
  for (const Edge& e : edges) {
    QPainterPath arrow;
    arrow.moveTo(e.tip);
    arrow.lineTo(e.left);
    arrow.lineTo(e.right);
    arrow.closeSubpath();
    p.fillPath(arrow, kHeaderBlue);
    p.setPen(Qt::white);
    p.drawText(QRectF(e.letter.x() - 8, e.letter.y() - 8, 16, 16), Qt::AlignCenter, e.name);
  }
  return image;
}

// The stick: an X-shaped cross in white on transparent; the window inverts with it.
QImage Joystick() {
  QImage image = NewImage(16, 16, 0x00000000);
  QPainter p(&image);
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(2, 2), QPointF(14, 14));
  p.drawLine(QPointF(14, 2), QPointF(2, 14));
  return image;
}

// The name in the panel's style: italic capitals over a blue bar, and a small wave.
QImage Logo(int w, int h, const QString& subtitle) {
  QImage image = NewImage(w, h);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const int textHeight = subtitle.isEmpty() ? h * 3 / 4 : h / 2;
  const double waveWidth = h * 1.2;
  // The name fills the width left of the wave.
  QFont font = LogoFont(textHeight);
  font.setLetterSpacing(QFont::PercentageSpacing, 112);
  const double room = w - waveWidth - 16;
  for (int pixels = textHeight; pixels > 6; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetricsF(font).horizontalAdvance("TARVELION") <= room) break;
  }
  p.setFont(font);
  p.setPen(Qt::white);
  QRectF nameBox(4, 0, room, textHeight + 4);
  p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, "TARVELION");
  p.fillRect(QRectF(4, textHeight + 5, w - 8, 2), kHeaderBlue);
  if (!subtitle.isEmpty()) {
    p.setFont(LogoFont(h / 5, false));
    p.drawText(QRectF(6, textHeight + 8, w - 12, h - textHeight - 8),
               Qt::AlignLeft | Qt::AlignVCenter, subtitle);
  }
  // One period of a sawtooth softened by a filter, at the right end.
  QPainterPath wave;
  const double x0 = w - waveWidth - 6, y0 = textHeight * 0.5, span = waveWidth, amp = textHeight * 0.3;
  for (int i = 0; i <= 48; ++i) {
    double t = i / 48.0;
    double v = 0;
    for (int k = 1; k <= 6; ++k) v += std::sin(2 * M_PI * k * t) / k / (1 + 0.3 * k);
    QPointF point(x0 + t * span, y0 - v * amp * 0.9);
    i == 0 ? wave.moveTo(point) : wave.lineTo(point);
  }
  p.setPen(QPen(kHeaderBlue.lighter(130), 2));
  p.drawPath(wave);
  return image;
}

// A 195 x 29 badge: the instrument's name beside a short row of keys.
QImage Badge() {
  QImage image = NewImage(195, 29);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  for (int key = 0; key < 14; ++key)
    p.fillRect(QRectF(2 + key * 7, 3, 6, 23), QColor(0xF0, 0xF0, 0xF0));
  for (int key : {0, 1, 3, 4, 5, 7, 8, 10, 11, 12})
    p.fillRect(QRectF(6.5 + key * 7, 3, 4, 14), Qt::black);
  p.setFont(LogoFont(18));
  p.setPen(Qt::white);
  p.drawText(QRectF(104, 0, 89, 29), Qt::AlignCenter, "KQ");
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-art FOLDER\n");
    return 2;
  }
  // Text needs the font database, which needs the application object; no display is used.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.exists() && !QDir().mkpath(folder.path())) {
    std::fprintf(stderr, "make-art: cannot create %s\n", argv[1]);
    return 1;
  }
  const struct {
    const char* name;
    std::function<QImage()> draw;
  } pictures[] = {
      {"Buttons", Buttons},
      {"Knob", Knob},
      {"Slider", Slider},
      {"SliderBack", SliderBack},
      {"JoystickField", JoystickField},
      {"Joystick", Joystick},
      {"Logo", [] { return Logo(194, 38, {}); }},
      {"AboutLogo", [] { return Logo(461, 60, "KQ synthesizer emulator"); }},
      {"AboutBadge", Badge},
  };
  for (const auto& picture : pictures) {
    QString path = folder.filePath(QString(picture.name) + ".png");
    if (!picture.draw().save(path, "PNG")) {
      std::fprintf(stderr, "make-art: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}

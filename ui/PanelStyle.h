// The look shared by the panel's labels: the panel's italic face in white on black, and
// the blue-green of the group headers.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

class QWidget;

// Red 0x00, green 0x89, blue 0xE1.
inline const QColor kHeaderColour{0x00, 0x89, 0xE1};

// The panel's face (Arial, or the nearest one installed), italic, at a pixel height.
QFont PanelFont(int pixels, bool bold);
// Text and background colours of a widget.
void SetColours(QWidget* widget, const QColor& text, const QColor& background);

class QLabel;

// A caption of the panel at (left, top), `width` wide (0: as wide as its text), its words
// wrapped onto lines inside that width (its text then holds the line breaks), as high as
// its lines. A word wider than the label is shown in a face narrowed just enough to fit.
QLabel* PanelLabel(QWidget* parent, const QString& text, int left, int top, int width,
                   Qt::Alignment alignment, bool wrap = true);

// One of the embedded pictures in a label of its own, stretched over the place given.
QLabel* PanelImage(QWidget* parent, const char* name, QRect place, const char* picture);

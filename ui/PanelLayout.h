// The front panel's buttons in their labelled groups, as they stand on the main window.
#pragma once

#include <array>

#include "board/Panel.h"

class QWidget;
class TKQButton;

// A button's top-left corner and its caption underneath, wrapped at the width given.
struct ButtonPlace {
  PanelButton button;
  const char* caption;
  int left, top, labelWidth;
  bool blue;
};
// In PanelButton order.
extern const std::array<ButtonPlace, kPanelButtonCount> kButtonPlaces;

struct GroupHeader {
  const char* caption;
  int left, top, width;
};
extern const std::array<GroupHeader, 12> kGroupHeaders;

using PanelButtons = std::array<TKQButton*, kPanelButtonCount>;

// Puts the headers, the buttons with their captions and the two legends on the window's
// client area (whose font the captions take), and returns the buttons.
PanelButtons BuildPanel(QWidget* client);

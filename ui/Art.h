// The front panel's pictures, embedded in the program: "Buttons", "Knob", "Slider",
// "SliderBack", "JoystickField", "Joystick", "Logo", "AboutLogo", "AboutBadge".
#pragma once

#include <QImage>

// Loaded by the first use of each name and kept for the life of the program; a null
// image for an unknown name.
const QImage& ArtImage(const char* name);

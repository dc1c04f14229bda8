#pragma once
// Colour numbers as the window keeps them: blue-green-red integers
// (255 is red, 65280 green, 16711680 blue), or a system colour written as
// 0x80000000 plus the system colour index (-2147483640 is the window-text
// colour, index 8; -2147483643 the window colour, index 5).
//
// Every colour number in the window becomes a QColor through toQColor and
// nowhere else.
#include <QColor>

#include "protocol/Colours.h"

namespace qm::ui {

// The window's colour numbers are defined once, with the protocol.
using namespace qm::colour;
inline constexpr int kSysWindowTextColour = colour::kSysWindowText; // index 8: dark text colour
inline constexpr int kSysWindowColour = colour::kSysWindow;         // index 5: window background
inline constexpr int kSysButtonFaceColour = -2147483633;            // index 15
inline constexpr int kSysButtonTextColour = -2147483630;            // index 18
inline constexpr int kWindowGrey = colour::kFormGrey;

// True for a colour number that names a system colour.
constexpr bool isSystemColour(int colourNumber) { return colourNumber < 0; }

// Colour number of an RGB triple (components clamped to 0..255).
constexpr int colourNumber(int red, int green, int blue)
{
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    return clamp(red) | (clamp(green) << 8) | (clamp(blue) << 16);
}

// The one conversion of a colour number to a QColor. Plain numbers use their
// low 24 bits; system colours come from the application palette, with the
// window-text colour always dark so light text on it stays readable.
QColor toQColor(int colourNumber);

} // namespace qm::ui

#pragma once
// Colour numbers as the window keeps them: blue-green-red integers
// (255 is red, 65280 green, 16711680 blue), or a system colour written as
// 0x80000000 plus the system colour index (-2147483640 is the window-text
// colour, index 8; -2147483643 the window colour, index 5).
//
// Every colour number in the window becomes a QColor through toQColor and
// nowhere else.
#include <QColor>

namespace qm::ui {

inline constexpr int kSysWindowTextColour = -2147483640; // index 8: dark text colour
inline constexpr int kSysWindowColour = -2147483643;     // index 5: window background
inline constexpr int kSysButtonFaceColour = -2147483633; // index 15
inline constexpr int kSysButtonTextColour = -2147483630; // index 18

// Colour numbers the window uses by name.
inline constexpr int kBlack = 0;
inline constexpr int kWhite = 16777215;
inline constexpr int kRed = 255;
inline constexpr int kGreen = 65280;
inline constexpr int kYellow = 65535;
inline constexpr int kDarkRed = 128;
inline constexpr int kDarkCyan = 32896;
inline constexpr int kGrey = 8421504;
inline constexpr int kLightGrey = 14737632;
inline constexpr int kWindowGrey = 12632256;
inline constexpr int kLightYellow = 8454143;
inline constexpr int kLightBlue = 16744576;
inline constexpr int kOrange = 33023;
inline constexpr int kPaleGreen = 12648384;
inline constexpr int kPaleYellow = 12648447;
inline constexpr int kPaleRed = 12632319;
inline constexpr int kPaleOrange = 12640511;
inline constexpr int kMintGreen = 8454016;

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

#pragma once
// Colour numbers as the window uses them: 24-bit blue-green-red integers, plus
// the two system colours (window text and window background) written as the
// negative system-colour codes. The views turn a number into a real colour in
// one place; everything here only passes the numbers around.
#include <cstdint>

namespace qm::presentation {

using Colour = std::int32_t;

constexpr Colour kRed = 255;
constexpr Colour kGreen = 65280;
constexpr Colour kYellow = 65535;
constexpr Colour kWhite = 16777215;
constexpr Colour kBlack = 0;
constexpr Colour kLightGrey = 14737632;
constexpr Colour kGrey = 8421504;
constexpr Colour kLightBlue = 16744576;
constexpr Colour kOrange = 33023;
constexpr Colour kPaleGreen = 12648384;
constexpr Colour kPaleYellow = 12648447;
constexpr Colour kPaleRed = 12632319;
constexpr Colour kDarkCyan = 32896;

// System colours: window text (index 8) and window background (index 5).
constexpr Colour kWindowText = -2147483640;
constexpr Colour kWindowColour = -2147483643;

} // namespace qm::presentation

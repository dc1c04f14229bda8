#pragma once
// Colour numbers as the window uses them: 24-bit blue-green-red integers, plus
// two platform colours written as system colour codes.
#include <cstdint>

namespace qm::colour {

inline constexpr std::int32_t kRed = 255;
inline constexpr std::int32_t kGreen = 65280;
inline constexpr std::int32_t kYellow = 65535;
inline constexpr std::int32_t kWhite = 16777215;
inline constexpr std::int32_t kBlack = 0;
inline constexpr std::int32_t kLightGrey = 14737632;
inline constexpr std::int32_t kGrey = 8421504;
inline constexpr std::int32_t kLightBlue = 16744576;
inline constexpr std::int32_t kOrange = 33023;
inline constexpr std::int32_t kPaleGreen = 12648384;
inline constexpr std::int32_t kPaleYellow = 12648447;
inline constexpr std::int32_t kPaleRed = 12632319;
inline constexpr std::int32_t kDarkCyan = 32896;
inline constexpr std::int32_t kLightYellow = 8454143;  // progress tabs
inline constexpr std::int32_t kPaleOrange = 12640511;  // keep-alive poll text
inline constexpr std::int32_t kFormGrey = 12632256;    // window and panel background
inline constexpr std::int32_t kDarkRed = 128;
inline constexpr std::int32_t kMintGreen = 8454016;    // the keep-alive notice as designed

// Platform colours: the window-text colour (a dark theme colour) and the window
// colour (system colour index 5).
inline constexpr std::int32_t kSysWindowText = -2147483640;
inline constexpr std::int32_t kSysWindow = -2147483643;

} // namespace qm::colour

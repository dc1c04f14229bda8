#pragma once
// Colour numbers as the window uses them (blue-green-red integers and the two
// system colours); the numbers themselves are defined once, with the protocol.
#include <cstdint>

#include "protocol/Colours.h"

namespace qm::presentation {

using Colour = std::int32_t;
using namespace qm::colour;

inline constexpr Colour kWindowText = colour::kSysWindowText; // system colour: window text
inline constexpr Colour kWindowColour = colour::kSysWindow;   // system colour index 5: window

} // namespace qm::presentation

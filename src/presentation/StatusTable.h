#pragma once
// How each cell status code looks: the colour of its overview square and
// battery bar, the bar's top and height inside the cell panel (panel units, 15
// per pixel; every bar ends at the body's bottom edge 855), and the body fill.
// And the eight rows of the legend that explain the codes.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "presentation/Colours.h"

namespace qm::presentation {

// Cell status codes.
enum StatusCode : std::int16_t {
    kNoReading = 0,
    kFlagInRange = 1,
    kDischarging = 2,
    kFlagUnder = 3,
    kFlagOver = 4,
    kMasked = 5,
    kMaskedDischarging = 6,
    kThermalShutdown = 7,
    kSoftInRange = 8,
    kSoftUnder = 9,
    kSoftOver = 10,
};

inline constexpr int kBatteryBodyBottom = 855;

struct StatusAppearance {
    Colour colour;   // overview square, bar fill, legend swatch
    int barTop;      // level bar top; the bar always ends at kBatteryBodyBottom
    int barHeight;
    Colour bodyFill; // battery body behind the bar
};

// Appearance of codes 0..10; any other code leaves the square and the bar as
// they are (nullopt).
std::optional<StatusAppearance> StatusAppearanceFor(int code);

enum class Legend { Flag, Soft };

struct LegendRow {
    Colour colour;         // swatch fill and mark text colour
    std::string_view mark; // the row's mark label
    std::string_view text; // the row's description
};

inline constexpr int kLegendRows = 8;
// Rows 0, 1 and 6 are the ones the two legends write differently.
inline constexpr std::array<int, 3> kSwitchedLegendRows{0, 1, 6};

// Row 0..7 of the given legend; an out-of-range row gives row 2 (" CLEAR").
const LegendRow& LegendRowFor(int row, Legend legend);
// The status code a legend row explains.
StatusCode LegendRowCode(int row, Legend legend);

} // namespace qm::presentation

#include "presentation/StatusTable.h"

namespace qm::presentation {

namespace {

constexpr std::array<StatusAppearance, 11> kAppearance{{
    {kWhite, 600, 255, kWhite},          // 0 no valid reading
    {kGreen, 600, 255, kLightGrey},      // 1 flags in range
    {kLightBlue, 720, 135, kLightGrey},  // 2 discharging
    {kYellow, 720, 135, kLightGrey},     // 3 flag undervoltage
    {kRed, 480, 375, kLightGrey},        // 4 flag overvoltage
    {kLightGrey, 360, 495, kLightGrey},  // 5 masked
    {kGrey, 720, 135, kLightGrey},       // 6 masked and discharging
    {kOrange, 360, 495, kLightGrey},     // 7 thermal shutdown
    {kPaleGreen, 600, 255, kWhite},      // 8 soft in range
    {kPaleYellow, 720, 135, kWhite},     // 9 soft at or below VUV
    {kPaleRed, 480, 375, kWhite},        // 10 soft at or above VOV
}};

// Row order of the legend frame, by the code each row explains.
constexpr std::array<StatusCode, kLegendRows> kFlagRowCodes{
    kFlagOver, kFlagInRange, kNoReading, kMasked, kMaskedDischarging, kDischarging, kFlagUnder,
    kThermalShutdown};
constexpr std::array<StatusCode, kLegendRows> kSoftRowCodes{
    kSoftOver, kSoftInRange, kNoReading, kMasked, kMaskedDischarging, kDischarging, kSoftUnder,
    kThermalShutdown};

constexpr std::array<LegendRow, kLegendRows> kFlagRows{{
    {kRed, " DANGER!", "Flag Over Voltage "},
    {kGreen, " GOOD", "Voltage In Range"},
    {kWhite, " CLEAR", "No Voltage Reading"},
    {kLightGrey, " MASKED", "Mask Cell Interrupt"},
    {kGrey, " MASKDCC", "Mask Cell Int w/ DCC"},
    {kLightBlue, " DISCHARGE", "DisCharge Cell"},
    {kYellow, " CAUTION!", "Flag  Under Voltage "},
    {kOrange, " THERMAL SD!", "Thermal Shutdown! "},
}};

constexpr std::array<LegendRow, kLegendRows> kSoftRows{{
    {kPaleRed, " Soft DANGER!", "Soft Over Voltage "},
    {kPaleGreen, " Soft GOOD", "Soft Volts In Range"},
    kFlagRows[2],
    kFlagRows[3],
    kFlagRows[4],
    kFlagRows[5],
    {kPaleYellow, " Soft CAUTION!", "Soft Under Voltage "},
    kFlagRows[7],
}};

int SafeRow(int row) { return (row >= 0 && row < kLegendRows) ? row : 2; }

} // namespace

std::optional<StatusAppearance> StatusAppearanceFor(int code)
{
    if (code < 0 || code >= static_cast<int>(kAppearance.size())) return std::nullopt;
    return kAppearance[static_cast<std::size_t>(code)];
}

const LegendRow& LegendRowFor(int row, Legend legend)
{
    const auto r = static_cast<std::size_t>(SafeRow(row));
    return legend == Legend::Soft ? kSoftRows[r] : kFlagRows[r];
}

StatusCode LegendRowCode(int row, Legend legend)
{
    const auto r = static_cast<std::size_t>(SafeRow(row));
    return legend == Legend::Soft ? kSoftRowCodes[r] : kFlagRowCodes[r];
}

} // namespace qm::presentation

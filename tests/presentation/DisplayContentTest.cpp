// The status table's bars and legend rows, the selector digits and the
// captions of the 10-cell layout. What the session shows with them is tested
// over the simulated stack.
#include <gtest/gtest.h>

#include <string>

#include "presentation/DisplayContent.h"
#include "presentation/StatusTable.h"

namespace qm::presentation {
namespace {

TEST(StatusTable, BarsShareTheBottomEdgeAndLegendRowsMatchTheirCodes)
{
    const int heights[11] = {255, 255, 135, 135, 375, 495, 135, 495, 255, 135, 375};
    for (int code = 0; code <= 10; ++code) {
        const auto look = StatusAppearanceFor(code);
        ASSERT_TRUE(look.has_value()) << code;
        EXPECT_EQ(look->barTop + look->barHeight, kBatteryBodyBottom) << code;
        EXPECT_EQ(look->barHeight, heights[code]) << code;
        EXPECT_EQ(look->bodyFill, (code == 0 || code >= 8) ? kWhite : kLightGrey) << code;
    }
    for (int code : {-1, 11, 32767}) EXPECT_FALSE(StatusAppearanceFor(code).has_value()) << code;
    // Only rows 0, 1 and 6 change between the flag and the soft legend.
    for (int row = 0; row < kLegendRows; ++row) {
        for (Legend legend : {Legend::Flag, Legend::Soft})
            EXPECT_EQ(LegendRowFor(row, legend).colour, StatusAppearanceFor(LegendRowCode(row, legend))->colour) << row;
        EXPECT_EQ(LegendRowFor(row, Legend::Flag).text != LegendRowFor(row, Legend::Soft).text,
                  row == 0 || row == 1 || row == 6) << row;
    }
    EXPECT_EQ(LegendRowFor(6, Legend::Flag).text, "Flag  Under Voltage ");
    EXPECT_EQ(LegendRowFor(0, Legend::Soft).mark, " Soft DANGER!");
}

TEST(Selectors, DigitsOfCellsAndTemperatureRowsAndTheTenCellCaptions)
{
    for (auto [cell, digit] : {std::pair{5, "5"}, {10, "A"}, {12, "C"}, {0, "0"}, {13, "0"}})
        EXPECT_EQ(CellSelectorDigit(cell), digit) << cell;
    EXPECT_EQ(TemperatureSelectorDigit(0) + TemperatureSelectorDigit(1) + TemperatureSelectorDigit(2), "312");
    EXPECT_EQ(PanelCaption(11, true), "");
    EXPECT_EQ(PanelCaption(11, false), "CELL11");
    EXPECT_EQ(PanelCaption(3, true), "CELL3");
    EXPECT_EQ(GroupReadButtonCaption(true), "READ CELL   9 -10");
    EXPECT_EQ(GroupReadButtonCaption(false), "READ CELL   9 -12");
}

} // namespace
} // namespace qm::presentation

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "presentation/DisplayContent.h"
#include "protocol/ChainProtocol.h"
#include "presentation/StatusTable.h"
#include "protocol/RegisterImages.h"

namespace qm::presentation {
namespace {

using protocol::RegisterImages;

TEST(StatusTable, BarsShareTheBottomEdgeAndKeepFourLevels)
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
}

TEST(StatusTable, LegendRowsMatchTheirCodesAndSwitchOnlyRows0_1_6)
{
    for (int row = 0; row < kLegendRows; ++row) {
        for (Legend legend : {Legend::Flag, Legend::Soft})
            EXPECT_EQ(LegendRowFor(row, legend).colour,
                      StatusAppearanceFor(LegendRowCode(row, legend))->colour) << row;
        const bool switched = row == 0 || row == 1 || row == 6;
        EXPECT_EQ(LegendRowFor(row, Legend::Flag).text != LegendRowFor(row, Legend::Soft).text, switched) << row;
    }
    EXPECT_EQ(LegendRowFor(6, Legend::Flag).text, "Flag  Under Voltage ");
    EXPECT_EQ(LegendRowFor(0, Legend::Soft).mark, " Soft DANGER!");
}

TEST(CellContent, GroupsSelectorsAndTextsOfTheBoardShown)
{
    EXPECT_EQ(CellsOfGroup(3), (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(CellsOfGroup(5), (std::vector<int>{9, 10}));
    EXPECT_EQ(CellsOfGroup(1).size(), 10u);
    EXPECT_EQ(CellsOfGroup(9).size(), 12u);
    for (auto [cell, digit] : {std::pair{5, "5"}, {10, "A"}, {12, "C"}, {0, "0"}, {13, "0"}})
        EXPECT_EQ(CellSelectorDigit(cell), digit) << cell;

    RegisterImages images;
    images.measured[RegisterImages::CellIndex(2, 7)] = protocol::CodeToVolts(2913);
    images.codeText[RegisterImages::CellIndex(2, 7)] = "B61";
    EXPECT_EQ(CellValueText(images, 2, 7), " 3.6015V  ");
    EXPECT_EQ(CellHexText(images, 2, 7), "0xB61 ");
    EXPECT_EQ(CellValueText(images, 1, 7), " 0.0000V  ");
    EXPECT_EQ(CellValueText(images, 10, 1), " 0.0000V  "); // outside the tables
}

TEST(TemperatureContent, RowsShowItmpThenEtmp1ThenEtmp2)
{
    RegisterImages images;
    const int board = 4;
    const unsigned codes[] = {0, 1312, 1912, 2512}; // inputs 1..3: 1.2 V, 2.1 V, 3.0 V
    for (int input = 1; input <= 3; ++input) {
        images.measured[RegisterImages::TemperatureIndex(board, input)] = protocol::CodeToVolts(codes[input]);
        images.codeText[RegisterImages::TemperatureIndex(board, input)] = std::to_string(input) + "AB";
    }
    EXPECT_EQ(TemperatureValueText(images, board, 0), " 3.0000V ");
    EXPECT_EQ(TemperatureValueText(images, board, 1), " 1.2000V ");
    EXPECT_EQ(TemperatureValueText(images, board, 2), " 2.1000V ");
    EXPECT_EQ(TemperatureHexText(images, board, 0), " 0x3AB ");
    EXPECT_EQ(TemperatureSelectorDigit(0) + TemperatureSelectorDigit(1) + TemperatureSelectorDigit(2), "312");

    EXPECT_EQ(TemperatureGraphicColours(images, board)[0], kWindowColour);
    images.temperatureValid[board] = 1;
    EXPECT_EQ(TemperatureGraphicColours(images, board), (std::array<Colour, 3>{kRed, kRed, kLightGrey}));
}

TEST(WrittenConfiguration, CopiesBoardsInUseAndFollowsTheCurrentBoardsTenCellBit)
{
    RegisterImages images;
    images.pending[0] = {"E2", "01", "00", "00", "50", "E0"};
    images.pending[1] = {"EA", "00", "00", "00", "50", "E0"};
    qm::protocol::RecordWrittenConfiguration(images, {1, 1});
    EXPECT_EQ(images.written[0], images.pending[0]);
    EXPECT_EQ(images.written[1], images.pending[1]);
    EXPECT_EQ(images.written[2], protocol::ConfigRegisters{}); // beyond the last board
    EXPECT_EQ(HexViewGroupAfterFocusChange(images), 1);
    qm::protocol::RecordWrittenConfiguration(images, {1, 0});
    EXPECT_EQ(images.writtenTenCellFlag, 0);
}

TEST(TenCellLayout, CaptionsFollowTheLayout)
{
    EXPECT_EQ(PanelCaption(11, true), "");
    EXPECT_EQ(PanelCaption(11, false), "CELL11");
    EXPECT_EQ(PanelCaption(3, true), "CELL3");
    EXPECT_EQ(GroupReadButtonCaption(true), "READ CELL   9 -10");
    EXPECT_EQ(GroupReadButtonCaption(false), "READ CELL   9 -12");
}

} // namespace
} // namespace qm::presentation

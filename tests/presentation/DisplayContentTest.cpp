// What the display is made of: the texts of values, codes and flags, code
// texts read back as volts, the status table's bars and legend rows, the
// selector digits, the captions of the 10-cell layout and the progress tabs.
// What the session shows with them is tested over the simulated stack (and
// every text of a garbling controller by the soak's display invariants).
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "presentation/Conversions.h"
#include "presentation/DisplayContent.h"
#include "presentation/ProgressTabs.h"
#include "presentation/StatusTable.h"
#include "presentation/TextFormats.h"

namespace qm::presentation {
namespace {

TEST(VoltFormats, SignTakesThePlaceOfTheLeadingBlank)
{
    struct { float volts; const char* cell; } cases[] = {
        {protocol::CodeToVolts(512), " 0.0000V  "},  {protocol::CodeToVolts(0), "-0.7680V  "},
        {protocol::CodeToVolts(511), "-0.0015V  "},  {protocol::CodeToVolts(4095), " 5.3745V  "},
        {protocol::CodeToVolts(2913), " 3.6015V  "}, {-0.00001f, " 0.0000V  "}, // never "-0.0000"
        {std::numeric_limits<float>::quiet_NaN(), " -.----V  "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatCellVolts(c.volts), c.cell) << c.volts;
        EXPECT_EQ(FormatTemperatureVolts(c.volts), std::string(c.cell).substr(0, 9)) << c.volts; // one blank less
    }
    EXPECT_EQ(FormatCellVolts(0.0f), kCellClearText);
    EXPECT_EQ(FormatTemperatureVolts(0.0f), kTemperatureClearText);
    for (unsigned code = 0; code <= 4095; ++code)
        ASSERT_EQ(FormatCellVolts(protocol::CodeToVolts(code)).size(), kCellClearText.size()) << code;
}

TEST(CodeTextToVolts, ReadsTheHexPrefixOfTheCodeText)
{
    const std::pair<std::string, float> cases[] = {
        {"000", -0.768f}, {"200", 0.0f}, {"FFF", 5.3745f}, {"fff", 5.3745f},
        {"5G5", static_cast<float>((5.0 - 512.0) * 0.0015)}, // garbled: stops at 'G'
        {"", -0.768f}, {std::string("\0\0\0", 3), -0.768f},  // never read, missing board
        {"FFFF", 5.3745f},                                   // only three digits count
    };
    for (const auto& [text, volts] : cases) EXPECT_FLOAT_EQ(CodeTextToVolts(text), volts) << text;
}

TEST(ChainTexts, CodeAndFlagFormsWithGarbledCharactersMadeVisible)
{
    EXPECT_EQ(CellCodeText("555"), "0x555 ");
    EXPECT_EQ(TemperatureCodeText("AAA"), " 0xAAA ");
    EXPECT_EQ(CellCodeText("FFFFF"), "0xFFF ");
    EXPECT_EQ(FlagDisplayText("0C"), "  0C   ");
    EXPECT_EQ(FlagDisplayText(""), "");
    EXPECT_EQ(CellCodeText(std::string("\0\0\0", 3)), "0x??? ");
    EXPECT_EQ(TemperatureCodeText("5\x01" "A"), " 0x5?A ");
    EXPECT_EQ(CellCodeText("\xFF\x80" "7"), "0x??7 ");
    EXPECT_EQ(FlagDisplayText(std::string("\0\x1B", 2)), "  ??   ");
}

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

// The progress tabs behind the read buttons: the boards a start leaves
// pending, the configuration tab hidden while edits are unwritten, tabs held
// over a board-count change, and their looks. The tabs along the command
// column are compared step by step by the session's traffic fixtures.
TEST(ProgressTabs, PendingBoardsTheHiddenConfigurationTabAndHeldTabs)
{
    ProgressTabs tabs;
    tabs.ResetForStartup(2);
    tabs.setState(Tab::CellRead, kTabArmed); // "STARTCELLVOLT"
    tabs.SettleAfterCommandColumn(2);
    for (int b = 0; b <= 3; ++b) EXPECT_EQ(tabs.pending(Tab::CellRead, b), b <= 2 ? 1 : 0) << b;
    EXPECT_TRUE(tabs.armedLook(Tab::CellRead));
    tabs.requestSettle(Tab::CellRead);   // "READCELL VOLT"
    tabs.requestSettle(Tab::ConfigRead); // a read without a start leaves its tab idle
    tabs.SettleAfterCommandColumn(2);
    EXPECT_EQ(tabs.state(Tab::ConfigRead), kTabIdle);
    EXPECT_FALSE(tabs.armedLook(Tab::CellRead) || tabs.armedLook(Tab::ConfigRead));
    EXPECT_EQ(tabs.pending(Tab::CellRead, 0), 0);

    tabs.setState(Tab::ConfigRead, kTabArmed); // "WRITE CONFIG"
    tabs.SettleAfterCommandColumn(2);
    tabs.ShowReadConfigTab(true); // a box was ticked after the write
    EXPECT_FALSE(tabs.armedLook(Tab::ConfigRead));
    EXPECT_EQ(tabs.state(Tab::ConfigRead), kTabArmed);
    tabs.ShowReadConfigTab(false); // written again
    EXPECT_TRUE(tabs.armedLook(Tab::ConfigRead));
    tabs.ResetTab(Tab::ConfigRead, 2);
    tabs.ShowReadConfigTab(false); // idle tabs are not touched by the tick
    EXPECT_FALSE(tabs.armedLook(Tab::ConfigRead));

    tabs.ResetForStartup(0);
    tabs.setState(Tab::TemperatureRead, kTabArmed);
    tabs.SettleAfterCommandColumn(0);
    tabs.HoldArmedTabs(); // the automatic read of a board-count change
    tabs.requestSettle(Tab::TemperatureRead);
    tabs.SettleAfterCommandColumn(3);
    EXPECT_EQ(tabs.state(Tab::TemperatureRead), kTabHeld);
    tabs.ReleaseHeldTabs();
    EXPECT_EQ(tabs.state(Tab::TemperatureRead), kTabArmed);
    EXPECT_TRUE(tabs.armedLook(Tab::TemperatureRead));
    tabs.ShowForCurrentBoard(3, 3); // a board added after arming is not pending
    EXPECT_FALSE(tabs.armedLook(Tab::TemperatureRead));

    const TabLook cell = LookOf(Tab::CellRead, true), diag = LookOf(Tab::DiagnosticRead, true);
    EXPECT_EQ(std::make_tuple(cell.shapeIndex, *cell.left, *cell.width, *cell.caption),
              std::make_tuple(1, 804, 81, "READCELL"));
    EXPECT_EQ(*LookOf(Tab::CellRead, false).caption, "READCELLVOLT");
    EXPECT_EQ(LookOf(Tab::FlagRead, true).shapeIndex, 9);
    EXPECT_FALSE(LookOf(Tab::TemperatureRead, true).caption.has_value());
    EXPECT_EQ(std::make_tuple(*diag.top, *diag.height), std::make_tuple(2362, 400));
    EXPECT_FALSE(LookOf(Tab::CellHexRead, true).left.has_value());
}

} // namespace
} // namespace qm::presentation

// The status displays in the window: overview squares and battery symbols per
// status code, the legend, and what the reads leave in the value, temperature
// and flag boxes, over the simulated stack.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// Writes a measuring configuration to every board in use through the editors:
// VOV 4.2 V, VUV 3.0 V, CDC 2, "WRITE CONFIG", then "READ CONFIG" so that
// the tool knows the chips measure.
void WriteMeasureMode(WindowRig& rig)
{
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command1[5]);
    rig.click(rig.form().Command1[6]);
}

std::string Volts(unsigned code, const char* suffix)
{
    char text[32];
    std::snprintf(text, sizeof text, " %.4f%s", static_cast<double>(static_cast<float>((code - 512.0) * 0.0015)),
                  suffix);
    return text;
}

std::string FlagBox(unsigned byte)
{
    char text[16];
    std::snprintf(text, sizeof text, "  %02X   ", byte);
    return text;
}

struct Look {
    int colour;
    int barTop;
    int barHeight;
    int body;
};

// Colour, level bar and body of each status code 0..10.
constexpr Look kLooks[11] = {
    {16777215, 600, 255, 16777215}, {65280, 600, 255, 14737632},    {16744576, 720, 135, 14737632},
    {65535, 720, 135, 14737632},    {255, 480, 375, 14737632},      {14737632, 360, 495, 14737632},
    {8421504, 720, 135, 14737632},  {33023, 360, 495, 14737632},    {12648384, 600, 255, 16777215},
    {12648447, 720, 135, 16777215}, {12632319, 480, 375, 16777215},
};

void SetCode(WindowRig& rig, int board, int cell, int code)
{
    rig.state().status.statusCode[U(12 * board + cell - 1)] = static_cast<std::int16_t>(code);
}

void ExpectSquare(WindowRig& rig, int board, int cell, const Look& look)
{
    EXPECT_EQ(rig.form().Shape1[U(12 * board + cell - 1)]->fillColor(), look.colour)
        << "board " << board << " cell " << cell;
}

void ExpectBattery(WindowRig& rig, int cell, const Look& look)
{
    const ui::Shape* bar = rig.form().Shape2[U(cell - 1)];
    const ui::Shape* body = rig.form().Shape4[U(cell - 1)];
    EXPECT_EQ(bar->fillColor(), look.colour) << "cell " << cell;
    EXPECT_EQ(bar->top(), look.barTop) << "cell " << cell;
    EXPECT_EQ(bar->bounds().height, look.barHeight) << "cell " << cell;
    EXPECT_EQ(body->fillColor(), look.body) << "cell " << cell;
    // The bar sits on the body: same left edge, width and bottom edge.
    EXPECT_EQ(bar->left(), body->left());
    EXPECT_EQ(bar->bounds().width, body->bounds().width);
    EXPECT_EQ(bar->top() + bar->bounds().height, body->top() + body->bounds().height);
}

void ExpectLegendRow(WindowRig& rig, int row, int colour, const std::string& mark, const std::string& text)
{
    EXPECT_EQ(rig.form().Shape9[U(row)]->fillColor(), colour) << "row " << row;
    EXPECT_EQ(rig.form().Label10[U(row)]->foreColor(), colour) << "row " << row;
    EXPECT_EQ(Text(rig.form().Label10[U(row)]), mark);
    EXPECT_EQ(Text(rig.form().Label11[U(row)]), text);
}

void ExpectFlagLegend(WindowRig& rig)
{
    ExpectLegendRow(rig, 0, 255, " DANGER!", "Flag Over Voltage ");
    ExpectLegendRow(rig, 1, 65280, " GOOD", "Voltage In Range");
    ExpectLegendRow(rig, 6, 65535, " CAUTION!", "Flag  Under Voltage ");
}

void ExpectSoftLegend(WindowRig& rig)
{
    ExpectLegendRow(rig, 0, 12632319, " Soft DANGER!", "Soft Over Voltage ");
    ExpectLegendRow(rig, 1, 12648384, " Soft GOOD", "Soft Volts In Range");
    ExpectLegendRow(rig, 6, 12648447, " Soft CAUTION!", "Soft Under Voltage ");
}

} // namespace

TEST(StatusDisplay, EveryCodeGivesSquareAndBatteryTheirColourAndLevel)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    // Every code on every position: cell c of board b gets (c + b + r) mod 11.
    for (int r = 0; r < 11; ++r) {
        for (int b = 0; b < 2; ++b)
            for (int c = 1; c <= 12; ++c) SetCode(rig, b, c, (c + b + r) % 11);
        rig.monitor().RefreshStatusDisplay();
        for (int b = 0; b < 2; ++b)
            for (int c = 1; c <= 12; ++c) ExpectSquare(rig, b, c, kLooks[(c + b + r) % 11]);
        for (int c = 1; c <= 12; ++c) ExpectBattery(rig, c, kLooks[(c + r) % 11]);
    }
    // The battery symbols show the current board.
    rig.click(rig.form().Command4[1]);
    for (int c = 1; c <= 12; ++c) ExpectBattery(rig, c, kLooks[(c + 1 + 10) % 11]);
}

TEST(StatusDisplay, CodesOutsideTheTableLeaveSquareAndBatteryAsTheyAre)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    for (int c = 1; c <= 12; ++c) SetCode(rig, 0, c, 4);
    rig.monitor().RefreshStatusDisplay();
    for (int odd : {11, 12, 255, -1, 32767}) {
        for (int c = 1; c <= 12; ++c) SetCode(rig, 0, c, c == 3 ? 1 : odd);
        rig.monitor().RefreshStatusDisplay();
        for (int c = 1; c <= 12; ++c) {
            ExpectSquare(rig, 0, c, kLooks[c == 3 ? 1 : 4]);
            ExpectBattery(rig, c, kLooks[c == 3 ? 1 : 4]);
        }
        for (int c = 1; c <= 12; ++c) SetCode(rig, 0, c, 4);
        rig.monitor().RefreshStatusDisplay();
    }
}

TEST(StatusDisplay, OnlyBoardsInUseArePaintedAndHiddenBoardsKeepTheirColour)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    // One board on the stack: only column 1 is painted.
    for (int b = 0; b < 3; ++b)
        for (int c = 1; c <= 12; ++c) SetCode(rig, b, c, 4);
    rig.monitor().RefreshStatusDisplay();
    ExpectSquare(rig, 0, 1, kLooks[4]);
    ExpectSquare(rig, 1, 1, kLooks[0]);

    rig.chooseBoards(3);
    rig.monitor().RefreshStatusDisplay();
    for (int c = 1; c <= 12; ++c) ExpectSquare(rig, 2, c, kLooks[4]);

    // Shrinking: the columns of boards 2 and 3 are hidden and keep their red.
    rig.chooseBoards(1);
    for (int b = 0; b < 3; ++b)
        for (int c = 1; c <= 12; ++c) SetCode(rig, b, c, 1);
    rig.monitor().RefreshStatusDisplay();
    for (int c = 1; c <= 12; ++c) {
        ExpectSquare(rig, 0, c, kLooks[1]);
        ExpectSquare(rig, 1, c, kLooks[4]);
        ExpectSquare(rig, 2, c, kLooks[4]);
        EXPECT_FALSE(rig.form().Shape1[U(12 + c - 1)]->isVisibleTo(&rig.form()));
    }
}

TEST(Legend, SoftAfterASingleCellReadFlagOtherwise)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    ExpectFlagLegend(rig);
    WriteMeasureMode(rig);
    rig.click(rig.form().Command1[2]); // START CELL VOLT
    rig.click(rig.form().Command1[7]); // READ CELL VOLT
    ExpectSoftLegend(rig);
    // The rows that do not switch keep their text.
    EXPECT_EQ(Text(rig.form().Label10[2]), " CLEAR");
    EXPECT_EQ(rig.form().Shape9[5]->fillColor(), 16744576);

    rig.click(rig.form().Command1[8]); // READ FLAG: the flags decide again
    ExpectFlagLegend(rig);
    rig.click(rig.form().Command1[7]);
    ExpectSoftLegend(rig);

    rig.click(rig.form().Command1[10]); // the continuous cycle shows flags
    rig.tick(3);
    ExpectFlagLegend(rig);
    rig.click(rig.form().Command1[10]);
    ExpectFlagLegend(rig);

    // A cell read with a broken PEC leaves no valid cell data: flag legend.
    rig.click(rig.form().Command1[7]);
    ExpectSoftLegend(rig);
    rig.chip(0).setPecErrorProbability(1.0);
    rig.click(rig.form().Command1[7]);
    ExpectFlagLegend(rig);
}

TEST(MeasurementTexts, ReadsShowValuesTemperaturesAndFlagsOfTheCurrentBoard)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    rig.chip(0).setCellVolts(3, 2.8);
    rig.chip(1).setCellVolts(7, 4.5);
    WriteMeasureMode(rig);

    rig.click(rig.form().Command1[2]);
    for (auto* box : rig.form().Text1) EXPECT_EQ(Text(box), " 0.0000V  ");
    rig.click(rig.form().Command1[7]);
    for (int c = 1; c <= 12; ++c) {
        EXPECT_EQ(Text(rig.form().Text1[U(c - 1)]), Volts(rig.chip(0).cellCode(c), "V  ")) << c;
        EXPECT_EQ(rig.form().Text1[U(c - 1)]->backColor(), colour::kSysWindowText);
        EXPECT_EQ(rig.form().Text1[U(c - 1)]->foreColor(), colour::kWhite);
    }
    // A single read classifies by the tool's own comparison.
    ExpectBattery(rig, 3, kLooks[9]);
    ExpectBattery(rig, 4, kLooks[8]);
    ExpectSquare(rig, 1, 7, kLooks[10]);

    rig.click(rig.form().Command1[8]); // READ FLAG
    const auto flags = rig.chip(0).flagRegisters();
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(Text(rig.form().Text7[k]), FlagBox(flags[k]));
    EXPECT_EQ(Text(rig.form().Text7[0]), "  10   "); // cell 3 under voltage: bit 4 of FLGR0
    ExpectBattery(rig, 3, kLooks[3]);
    ExpectBattery(rig, 4, kLooks[1]);
    ExpectSquare(rig, 1, 7, kLooks[4]);

    rig.click(rig.form().Command1[4]); // START TEMP empties only the temperatures
    for (auto* box : rig.form().Text6) EXPECT_EQ(Text(box), " 0.0000V ");
    EXPECT_EQ(rig.form().Shape6[0]->fillColor(), colour::kWhite);
    EXPECT_EQ(Text(rig.form().Text7[0]), "  10   ");
    EXPECT_EQ(Text(rig.form().Text1[0]), Volts(rig.chip(0).cellCode(1), "V  "));
    rig.click(rig.form().Command1[9]); // READ TEMP
    // ITMP (input 3) first, then ETMP1 and ETMP2.
    EXPECT_EQ(Text(rig.form().Text6[0]), Volts(rig.chip(0).temperatureCode(3), "V "));
    EXPECT_EQ(Text(rig.form().Text6[1]), Volts(rig.chip(0).temperatureCode(1), "V "));
    EXPECT_EQ(Text(rig.form().Text6[2]), Volts(rig.chip(0).temperatureCode(2), "V "));
    for (std::size_t row = 0; row < 3; ++row) {
        EXPECT_EQ(rig.form().Shape6[row]->fillColor(), colour::kRed);
        EXPECT_EQ(rig.form().Shape7[row]->fillColor(), colour::kRed);
        EXPECT_EQ(rig.form().Shape8[row]->fillColor(), colour::kLightGrey);
    }

    // Board 2 in focus: its values, temperatures, flags and batteries.
    rig.click(rig.form().Command4[1]);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(Text(rig.form().Text1[U(c - 1)]), Volts(rig.chip(1).cellCode(c), "V  ")) << c;
    EXPECT_EQ(Text(rig.form().Text6[0]), Volts(rig.chip(1).temperatureCode(3), "V "));
    EXPECT_EQ(Text(rig.form().Text7[1]), FlagBox(rig.chip(1).flagRegisters()[1]));
    EXPECT_EQ(Text(rig.form().Text7[1]), "  20   "); // cell 7 over voltage: bit 5 of FLGR1
    ExpectBattery(rig, 7, kLooks[4]);
    ExpectBattery(rig, 3, kLooks[1]);

    // Starting the cycle empties every text, flags included.
    rig.click(rig.form().Command1[10]);
    for (auto* box : rig.form().Text7) EXPECT_EQ(Text(box), "");
}

TEST(StatusDisplay, GarbledAndMissingRepliesShowClear)
{
    // Two boards answer, the third is missing from the chain.
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    rig.toggle(rig.form().maskBox(4));
    rig.toggle(rig.form().dccBox(6));
    WriteMeasureMode(rig);
    rig.click(rig.form().Command1[10]);
    rig.tick(3);
    ExpectSquare(rig, 0, 4, kLooks[5]);
    ExpectSquare(rig, 0, 6, kLooks[2]);
    ExpectBattery(rig, 6, kLooks[2]);
    ExpectSquare(rig, 0, 1, kLooks[1]);
    for (int c = 1; c <= 12; ++c) ExpectSquare(rig, 2, c, kLooks[0]);
    EXPECT_EQ(rig.form().Shape12[2]->fillColor(), colour::kRed);

    // Board 1's replies turn garbled: all its cells, masked and discharging
    // ones included, show no valid reading; board 2 carries on.
    rig.chip(0).setPecErrorProbability(1.0);
    rig.tick(3);
    for (int c = 1; c <= 12; ++c) {
        ExpectSquare(rig, 0, c, kLooks[0]);
        ExpectBattery(rig, c, kLooks[0]);
        ExpectSquare(rig, 1, c, kLooks[1]);
    }
    EXPECT_EQ(rig.form().Shape12[0]->fillColor(), colour::kRed);
    EXPECT_EQ(rig.form().Shape12[1]->fillColor(), colour::kGreen);

    // Good replies again: the codes come back at the next cycle.
    rig.chip(0).setPecErrorProbability(0.0);
    rig.tick(3);
    ExpectSquare(rig, 0, 4, kLooks[5]);
    ExpectSquare(rig, 0, 1, kLooks[1]);
}

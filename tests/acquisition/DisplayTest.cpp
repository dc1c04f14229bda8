// What the session shows after the reads over the simulated stack: values,
// temperatures and flags of the current board, the status of every cell, the
// legend, the single-cell and single-temperature selections, the 10-cell
// layout, the self tests, the diagnostic panel and the ovals' tool tips.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/SessionRig.h"

using namespace qm;
using test::SessionRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::string Volts(unsigned code, const char* suffix)
{
    char text[32];
    std::snprintf(text, sizeof text, " %.4f%s", static_cast<double>(static_cast<float>((code - 512.0) * 0.0015)),
                  suffix);
    return text;
}

struct Look {
    int colour, barTop, barHeight, body;
    bool operator==(const Look&) const = default;
};
// Colour, level bar and body of each status code 0..10.
constexpr Look kLooks[11] = {
    {16777215, 600, 255, 16777215}, {65280, 600, 255, 14737632},    {16744576, 720, 135, 14737632},
    {65535, 720, 135, 14737632},    {255, 480, 375, 14737632},      {14737632, 360, 495, 14737632},
    {8421504, 720, 135, 14737632},  {33023, 360, 495, 14737632},    {12648384, 600, 255, 16777215},
    {12648447, 720, 135, 16777215}, {12632319, 480, 375, 16777215},
};

void ExpectSquare(const SessionRig& rig, int board, int cell, int code)
{
    EXPECT_EQ(rig.view().squareColour[U(12 * board + cell - 1)], kLooks[code].colour) << board << ":" << cell;
}

void ExpectBattery(const SessionRig& rig, int cell, int code)
{
    const auto& p = rig.view().cells[U(cell - 1)];
    EXPECT_EQ((Look{p.barColour, p.barTop, p.barHeight, p.bodyFill}), kLooks[code]) << cell;
}

} // namespace

TEST(Reads, ValuesTemperaturesFlagsAndStatusOfTheCurrentBoard)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chip(0).setCellVolts(3, 2.8);
    rig.chip(1).setCellVolts(7, 4.5);
    rig.measure(2);
    rig.session.OnCommandButton(6);

    rig.session.OnCommandButton(2);
    for (const auto& p : rig.view().cells) EXPECT_EQ(p.value.text, " 0.0000V  ");
    rig.session.OnCommandButton(7);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(rig.view().cells[U(c - 1)].value,
                  (acquisition::ValueBox{Volts(rig.chip(0).cellCode(c), "V  "), colour::kSysWindowText, colour::kWhite}))
            << c;
    // A single read classifies by the tool's own comparison: soft codes.
    ExpectBattery(rig, 3, 9);
    ExpectBattery(rig, 4, 8);
    ExpectSquare(rig, 1, 7, 10);
    EXPECT_EQ(rig.view().legend, presentation::Legend::Soft);

    rig.session.OnCommandButton(8); // READ FLAG: the chips' flags decide
    EXPECT_EQ(rig.view().flags[0], "  10   "); // cell 3 under voltage: bit 4 of FLGR0
    ExpectBattery(rig, 3, 3);
    ExpectBattery(rig, 4, 1);
    ExpectSquare(rig, 1, 7, 4);
    EXPECT_EQ(rig.view().legend, presentation::Legend::Flag);

    rig.session.OnCommandButton(4); // START TEMP empties only the temperatures
    for (const auto& row : rig.view().temperatures) EXPECT_EQ(row.value.text, " 0.0000V ");
    EXPECT_EQ(rig.view().temperatures[0].graphic[0], colour::kWhite);
    EXPECT_EQ(rig.view().flags[0], "  10   ");
    rig.session.OnCommandButton(9);
    // ITMP (input 3) first, then ETMP1 and ETMP2; the thermometers go red.
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(rig.view().temperatures[U(row)].value.text, Volts(rig.chip(0).temperatureCode(row == 0 ? 3 : row), "V "));
    EXPECT_EQ(rig.view().temperatures[0].graphic,
              (std::array<acquisition::Colour, 3>{colour::kRed, colour::kRed, colour::kLightGrey}));

    // Board 2 in focus: its values, temperatures, flags and batteries.
    rig.session.OnBoardFocus(1);
    EXPECT_EQ(rig.view().cells[6].value.text, Volts(rig.chip(1).cellCode(7), "V  "));
    EXPECT_EQ(rig.view().temperatures[0].value.text, Volts(rig.chip(1).temperatureCode(3), "V "));
    EXPECT_EQ(rig.view().flags[1], "  20   "); // cell 7 over voltage: bit 5 of FLGR1
    ExpectBattery(rig, 7, 4);
    ExpectBattery(rig, 3, 1);

    rig.session.OnCommandButton(10); // starting the cycle empties every text, flags included
    for (const auto& f : rig.view().flags) EXPECT_EQ(f, "");
}

TEST(Selection, OneCellIsConvertedAndTheOthersGreyOnEveryBoard)
{
    SessionRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(1);
    rig.session.OnCellSelectBox(4, true); // cell 5
    EXPECT_EQ(rig.state().acq.cellSelector, "5");
    for (int c = 1; c <= 12; ++c) {
        EXPECT_EQ(rig.view().cells[U(c - 1)].inSelection, c == 5) << c;
        for (int b = 0; b < 2; ++b) EXPECT_EQ(rig.view().squareHollow[U(12 * b + c - 1)], c != 5) << b << ":" << c;
    }
    rig.session.OnCellSelectBox(6, true); // a greyed box cannot be ticked
    EXPECT_EQ(rig.view().selectedCell, 5);
    EXPECT_EQ(rig.framesOf([&] { rig.session.OnCommandButton(2); })[0].substr(0, 6), "MSxS15");
    rig.session.OnCommandButton(7); // values outside the selection are still written, on grey
    EXPECT_EQ(rig.view().cells[0].value.back, colour::kGrey);
    EXPECT_EQ(rig.view().cells[4].value.back, colour::kSysWindowText);
    rig.session.OnBoardCountChosen(2); // a board joining the stack takes the selection's look
    EXPECT_TRUE(rig.view().squareHollow[U(24)]);
    rig.session.OnCellSelectBox(4, false);
    EXPECT_EQ(rig.state().acq.cellSelector, "0");
    for (std::size_t i = 0; i < 36; ++i) EXPECT_FALSE(rig.view().squareHollow[i]) << i;

    rig.session.OnTemperatureSelectBox(1, true); // ETMP1
    EXPECT_FALSE(rig.view().temperatures[0].inSelection);
    EXPECT_EQ(rig.framesOf([&] { rig.session.OnCommandButton(4); })[0].substr(0, 6), "MSxS31");
    rig.session.OnTemperatureSelectBox(1, false);
    EXPECT_TRUE(rig.view().temperatures[0].inSelection);
}

TEST(CellCountLayout, TenCellsReleasesCellsElevenAndTwelveAndMarksEveryBoardPending)
{
    SessionRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(1);
    rig.session.OnCommandButton(5); // nothing pending
    rig.session.OnCellSelectBox(11, true);
    EXPECT_EQ(rig.state().acq.cellSelector, "C");
    rig.session.OnCfgr0Box(3, true); // 10CELLS
    EXPECT_TRUE(rig.view().tenCellLayout);
    EXPECT_EQ(rig.view().selectedCell, 0);
    EXPECT_EQ(rig.state().acq.cellSelector, "0");
    for (int b = 0; b < 2; ++b) EXPECT_EQ(rig.pending(b, 0), "E8") << b;
    EXPECT_EQ(rig.view().config.registerLook, config::kPendingLook);
    rig.session.OnBoardCountChosen(2); // a third board joins the layout
    EXPECT_EQ(rig.pending(2, 0), "E8");
    rig.session.OnCommandButton(5);
    EXPECT_EQ(rig.state().images.writtenTenCellFlag, 1);
    for (int b = 0; b < 3; ++b) EXPECT_TRUE(rig.chip(b).tenCellMode()) << b;
    // The reads follow the written bit: ten cells, and the last group is 9-10.
    EXPECT_EQ(rig.framesOf([&] {
        rig.session.OnCommandButton(7);
        rig.session.OnReadCellGroup(2);
    }),
              (std::vector<std::string>{"MSxT04TDC" + std::string(3 * 16, 'R') + "X",
                                        "MSxT0ATF6" + std::string(3 * 4, 'R') + "X"}));
    rig.session.OnCfgr0Box(3, false);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(rig.pending(b, 0), "E0") << b;
    EXPECT_FALSE(rig.view().tenCellLayout);
}

TEST(SelfTest, EachPatternMarksOnlyTheFaultyCellOnceAndAConversionBetweenCancelsIt)
{
    struct Case {
        int option;
        const char* start;
        const char* good;
        int red; // the faulty cell's box turns red (0: none)
    };
    for (const Case& k : {Case{0, "1E", "0x555 ", 7}, Case{1, "1F", "0xAAA ", 7}, Case{2, "1D", "0xFFF ", 0}}) {
        SessionRig rig("boards=2,selftest-fault=0:7");
        ASSERT_TRUE(rig.startMeasuring(2));
        rig.session.SelectSelfTest(k.option);
        EXPECT_EQ(rig.framesOf([&] { rig.session.OnSelfTestButton(0); })[0].substr(4, 2), k.start);
        EXPECT_EQ(rig.view().cells[0].value.text, "0x000 ");
        rig.session.OnSelfTestButton(3);
        for (int c = 1; c <= 12; ++c) {
            const auto& box = rig.view().cells[U(c - 1)].value;
            EXPECT_EQ(box.back, c == k.red ? colour::kRed : colour::kWhite) << k.option << " cell " << c;
            EXPECT_TRUE(c == k.red || box.text == k.good) << k.option << " cell " << c << ": " << box.text;
        }
        // The check ran once: a second read shows codes but colours nothing;
        // nor does a read after a cell conversion between start and read.
        rig.session.OnBoardFocus(1);
        rig.session.OnSelfTestButton(3);
        for (const auto& p : rig.view().cells) EXPECT_EQ(p.value.back, colour::kWhite);
        rig.session.OnBoardFocus(0);
        rig.session.OnSelfTestButton(0);
        rig.session.OnCommandButton(2);
        rig.session.OnSelfTestButton(3);
        for (const auto& p : rig.view().cells) EXPECT_EQ(p.value.back, colour::kWhite);
    }
}

TEST(SelfTest, TemperaturesTheDischargeLampAndTheCycle)
{
    SessionRig rig("boards=1");
    ASSERT_TRUE(rig.startMeasuring(1));
    rig.session.SelectSelfTest(1);
    EXPECT_EQ(rig.view().commands.selfTestTips[2], "0x3F STTMPAD SELF TEST2 ALL");
    rig.session.OnSelfTestButton(2); // the temperature check compares with a blank-led text
    EXPECT_EQ(rig.view().temperatures[0].graphic[0], colour::kSysWindow);
    rig.session.OnSelfTestButton(4);
    for (const auto& row : rig.view().temperatures)
        EXPECT_TRUE(row.value.text == " 0xAAA " && row.value.back == colour::kWhite) << row.value.text;
    rig.session.OnSelfTestButton(5); // the discharge starts light the lamp; the cycle pauses the panel
    EXPECT_EQ(rig.view().commands.dccLamp, colour::kLightBlue);
    rig.session.OnCommandButton(10);
    EXPECT_FALSE(rig.view().commands.singleCommandsEnabled);
}

TEST(Diagnostics, SimulatedChainReportsItsReferenceAndAFailingMultiplexer)
{
    SessionRig rig("boards=2,mux-fail=1");
    ASSERT_TRUE(rig.startMeasuring(2));
    rig.session.OnDiagnosticButton(0);
    const auto& f = rig.view().diagnostics.fields;
    EXPECT_EQ(f[0].text, "");
    EXPECT_EQ(f[4], (acquisition::ValueBox{" 0.0000V ", colour::kSysWindowText, colour::kWhite}));
    rig.session.OnDiagnosticButton(1);
    EXPECT_EQ(f[3], (acquisition::ValueBox{" PASS", colour::kGreen, f[3].fore}));
    rig.session.OnBoardFocus(1);
    EXPECT_EQ(f[3], (acquisition::ValueBox{" FAIL", colour::kRed, f[3].fore}));
    EXPECT_EQ(f[4].text.substr(0, 2), "2.") << f[4].text;
    rig.chip(1).setPecErrorProbability(1.0); // a broken reply: question marks, on white
    rig.session.OnDiagnosticButton(1);
    EXPECT_EQ(f[2].text, "   ?    ");
    EXPECT_EQ(f[3], (acquisition::ValueBox{" ????", colour::kWhite, f[3].fore}));
}

TEST(HoldDischargeAndGroupReads, FramesLampAndTheThirdsOfTheCells)
{
    SessionRig rig("boards=1");
    ASSERT_TRUE(rig.startMeasuring(1));
    rig.session.OnCellSelectBox(2, true); // cell 3
    EXPECT_EQ(rig.framesOf([&] { rig.session.OnHoldDischargeStart(1); })[0].substr(0, 6), "MSxS73");
    EXPECT_EQ(rig.view().commands.dccLamp, colour::kLightBlue);
    EXPECT_EQ(rig.display.focus.back(), test::Command1(7));
    rig.session.OnCellSelectBox(2, false);
    rig.session.OnCommandButton(2);
    rig.session.OnCommandButton(7);
    EXPECT_EQ(rig.framesOf([&] {
        for (int i = 0; i < 3; ++i) rig.session.OnReadCellGroup(i);
    }),
              (std::vector<std::string>{"MSxT06TD2RRRRRRRX", "MSxT08TF8RRRRRRRX", "MSxT0ATF6RRRRRRRX"}));
}

// Each board's link health as its oval's tip, renewed by every transfer shown
// and timed by the session's own clock, not the host's (counting: tests/protocol).
TEST(OvalTips, EachBoardsLinkHealthOnTheSessionsClock)
{
    SessionRig rig("boards=3,pec-errors=1:1");
    rig.followSimulatedTime();
    ASSERT_TRUE(rig.start());
    const auto& tips = rig.view().ovalTips;
    EXPECT_EQ(tips[1], ""); // not on the stack yet
    rig.session.OnBoardCountChosen(2);
    rig.clock->advance(1500);
    rig.chip(0).setPecErrorProbability(1.0);
    rig.display.painted = 0;
    rig.session.OnCommandButton(6);
    EXPECT_EQ(tips[0], "Board 1: 1 PEC failure (config 1); 0 replies missing, 0 short; last good read 1.5 s ago");
    EXPECT_EQ(tips[1], "Board 2: 2 PEC failures (config 2); 0 replies missing, 0 short; no good read yet");
    EXPECT_NE(rig.display.painted & acquisition::kAreaTransfer, 0u);
    rig.clock->advance(1000);
    rig.session.OnCommandButton(2); // a send-only command renews the times too
    EXPECT_EQ(tips[2], "Board 3: 0 PEC failures; 0 replies missing, 0 short; last good read 1.0 s ago");
}

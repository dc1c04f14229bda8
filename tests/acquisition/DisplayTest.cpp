// What the session shows after the reads over the simulated stack: values,
// temperatures and flags of the current board, the status of every cell, the
// legend, the single-cell and single-temperature selections, the 10-cell
// layout, the self tests and the diagnostic panel.
#include <gtest/gtest.h>

#include <cstdio>

#include "protocol/Pec.h"
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
    EXPECT_EQ(p.barColour, kLooks[code].colour) << cell;
    EXPECT_EQ(p.barTop, kLooks[code].barTop) << cell;
    EXPECT_EQ(p.barHeight, kLooks[code].barHeight) << cell;
    EXPECT_EQ(p.bodyFill, kLooks[code].body) << cell;
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
    for (int c = 1; c <= 12; ++c) {
        const auto& box = rig.view().cells[U(c - 1)].value;
        EXPECT_EQ(box.text, Volts(rig.chip(0).cellCode(c), "V  ")) << c;
        EXPECT_EQ(box.back, colour::kSysWindowText);
        EXPECT_EQ(box.fore, colour::kWhite);
    }
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
    for (const auto& row : rig.view().temperatures) {
        EXPECT_EQ(row.value.text, " 0.0000V ");
        EXPECT_EQ(row.graphic[0], colour::kWhite);
    }
    EXPECT_EQ(rig.view().flags[0], "  10   ");
    rig.session.OnCommandButton(9);
    // ITMP (input 3) first, then ETMP1 and ETMP2; the thermometers go red.
    EXPECT_EQ(rig.view().temperatures[0].value.text, Volts(rig.chip(0).temperatureCode(3), "V "));
    EXPECT_EQ(rig.view().temperatures[1].value.text, Volts(rig.chip(0).temperatureCode(1), "V "));
    EXPECT_EQ(rig.view().temperatures[2].value.text, Volts(rig.chip(0).temperatureCode(2), "V "));
    EXPECT_EQ(rig.view().temperatures[0].graphic,
              (std::array<acquisition::Colour, 3>{colour::kRed, colour::kRed, colour::kLightGrey}));

    // Board 2 in focus: its values, temperatures, flags and batteries.
    rig.session.OnBoardFocus(1);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(rig.view().cells[U(c - 1)].value.text, Volts(rig.chip(1).cellCode(c), "V  ")) << c;
    EXPECT_EQ(rig.view().temperatures[0].value.text, Volts(rig.chip(1).temperatureCode(3), "V "));
    EXPECT_EQ(rig.view().flags[1], "  20   "); // cell 7 over voltage: bit 5 of FLGR1
    ExpectBattery(rig, 7, 4);
    ExpectBattery(rig, 3, 1);

    rig.session.OnCommandButton(10); // starting the cycle empties every text, flags included
    for (const auto& f : rig.view().flags) EXPECT_EQ(f, "");
    EXPECT_TRUE(rig.checker.report.Ok()) << rig.checker.report.Text();
}

TEST(Reads, GarbledAndMissingRepliesShowClearAndRecover)
{
    // Two boards answer, the third is missing from the chain.
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.session.OnRegisterBox(2, 7, true); // mask of cell 4
    rig.session.OnRegisterBox(1, 5, true); // discharge of cell 6
    rig.measure(3);
    rig.session.OnCommandButton(10);
    rig.tick(3);
    ExpectSquare(rig, 0, 4, 5);
    ExpectSquare(rig, 0, 6, 2);
    ExpectBattery(rig, 6, 2);
    ExpectSquare(rig, 0, 1, 1);
    for (int c = 1; c <= 12; ++c) ExpectSquare(rig, 2, c, 0);
    EXPECT_EQ(rig.state().panel.ovalFill[2], colour::kRed);

    // Board 1's replies turn garbled: all its cells, masked and discharging
    // ones included, show no valid reading; board 2 carries on.
    rig.chip(0).setPecErrorProbability(1.0);
    rig.tick(3);
    for (int c = 1; c <= 12; ++c) {
        ExpectSquare(rig, 0, c, 0);
        ExpectBattery(rig, c, 0);
        ExpectSquare(rig, 1, c, 1);
    }
    EXPECT_EQ(rig.state().panel.ovalFill[0], colour::kRed);
    EXPECT_EQ(rig.state().panel.ovalFill[1], colour::kGreen);
    EXPECT_EQ(rig.state().panel.valueBack, colour::kRed);

    rig.chip(0).setPecErrorProbability(0.0);
    rig.tick(3);
    ExpectSquare(rig, 0, 4, 5);
    ExpectSquare(rig, 0, 1, 1);
    EXPECT_TRUE(rig.checker.report.Ok()) << rig.checker.report.Text();
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
    rig.markWrites();
    rig.session.OnCommandButton(2);
    EXPECT_EQ(rig.writesSinceMark()[0].substr(0, 6), "MSxS15");
    // Values of the cells outside the selection are still written, on grey.
    rig.session.OnCommandButton(7);
    EXPECT_EQ(rig.view().cells[0].value.back, colour::kGrey);
    EXPECT_EQ(rig.view().cells[4].value.back, colour::kSysWindowText);
    // A board joining the stack takes the selection's look.
    rig.session.OnBoardCountChosen(2);
    EXPECT_TRUE(rig.view().squareHollow[U(24)]);
    rig.session.OnCellSelectBox(4, false);
    EXPECT_EQ(rig.state().acq.cellSelector, "0");
    for (std::size_t i = 0; i < 36; ++i) EXPECT_FALSE(rig.view().squareHollow[i]) << i;

    rig.session.OnTemperatureSelectBox(1, true); // ETMP1
    EXPECT_EQ(rig.state().acq.temperatureSelector, "1");
    EXPECT_FALSE(rig.view().temperatures[0].inSelection);
    rig.markWrites();
    rig.session.OnCommandButton(4);
    EXPECT_EQ(rig.writesSinceMark()[0].substr(0, 6), "MSxS31");
    rig.session.OnTemperatureSelectBox(1, false);
    EXPECT_TRUE(rig.view().temperatures[0].inSelection);
    EXPECT_EQ(rig.state().acq.temperatureSelector, "0");
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
    rig.markWrites();
    rig.session.OnCommandButton(7);
    rig.session.OnReadCellGroup(2);
    const auto w = rig.writesSinceMark();
    EXPECT_EQ(w[0], "MSxT04TDC" + std::string(3 * 16, 'R') + "X");
    EXPECT_EQ(w[1], "MSxT0ATF6" + std::string(3 * 4, 'R') + "X");
    rig.session.OnCfgr0Box(3, false);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(rig.pending(b, 0), "E0") << b;
    EXPECT_FALSE(rig.view().tenCellLayout);
    EXPECT_TRUE(rig.checker.report.Ok()) << rig.checker.report.Text();
}

TEST(SelfTest, EachPatternPassesOnAHealthyBoardAndMarksOnlyTheFaultyCell)
{
    struct Case {
        int option;
        const char* start;
        const char* good;
        int red; // the faulty cell's box turns red (0: none)
    };
    for (const Case& k : {Case{0, "1E", "0x555 ", 7}, Case{1, "1F", "0xAAA ", 7}, Case{2, "1D", "0xFFF ", 0}}) {
        SessionRig rig("boards=2,selftest-fault=0:7");
        ASSERT_TRUE(rig.start());
        rig.measure(2);
        rig.session.SelectSelfTest(k.option);
        rig.markWrites();
        rig.session.OnSelfTestButton(0);
        EXPECT_EQ(rig.writesSinceMark()[0].substr(4, 2), k.start);
        EXPECT_EQ(rig.view().cells[0].value.text, "0x000 ");
        rig.session.OnSelfTestButton(3);
        for (int c = 1; c <= 12; ++c) {
            const auto& box = rig.view().cells[U(c - 1)].value;
            EXPECT_EQ(box.back, c == k.red ? colour::kRed : colour::kWhite) << k.option << " cell " << c;
            if (c != k.red) {
                EXPECT_EQ(box.text, k.good);
            }
        }
        // The check ran once: a second read shows codes but colours nothing.
        rig.session.OnBoardFocus(1);
        rig.session.OnSelfTestButton(3);
        for (const auto& p : rig.view().cells) EXPECT_EQ(p.value.back, colour::kWhite);
    }
}

TEST(SelfTest, TipsTemperaturesAndCancelling)
{
    SessionRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.measure(1);
    rig.session.SelectSelfTest(2);
    const auto& tips = rig.view().commands.selfTestTips;
    EXPECT_EQ(tips[0], "0x1D STCVAD CLEAR (FF) ALL");
    EXPECT_EQ(tips[6], "0x7D STOWDC CLEAR (FF) ALL");
    rig.session.SelectSelfTest(1);
    EXPECT_EQ(tips[2], "0x3F STTMPAD SELF TEST2 ALL");
    // The temperature check compares with a blank-led text.
    rig.session.OnSelfTestButton(2);
    EXPECT_EQ(rig.view().temperatures[0].graphic[0], colour::kSysWindow);
    rig.session.OnSelfTestButton(4);
    for (const auto& row : rig.view().temperatures) {
        EXPECT_EQ(row.value.text, " 0xAAA ");
        EXPECT_EQ(row.value.back, colour::kWhite);
    }
    // "STARTCELLVOLT" between start and read cancels the check.
    rig.session.OnSelfTestButton(0);
    rig.session.OnCommandButton(2);
    rig.session.OnSelfTestButton(3);
    for (const auto& p : rig.view().cells) EXPECT_EQ(p.value.back, colour::kWhite);
    // The discharge starts light the lamp; the cycle pauses the panel.
    rig.session.OnSelfTestButton(5);
    EXPECT_EQ(rig.view().commands.dccLamp, colour::kLightBlue);
    rig.session.OnCommandButton(10);
    EXPECT_FALSE(rig.view().commands.singleCommandsEnabled);
}

TEST(Diagnostics, SimulatedChainReportsItsReferenceAndAFailingMultiplexer)
{
    SessionRig rig("boards=2,mux-fail=1");
    ASSERT_TRUE(rig.start());
    rig.measure(2);
    rig.session.OnDiagnosticButton(0);
    const auto& f = rig.view().diagnostics.fields;
    EXPECT_EQ(f[0].text, "");
    EXPECT_EQ(f[4].text, " 0.0000V ");
    EXPECT_EQ(f[4].back, colour::kSysWindowText);
    rig.session.OnDiagnosticButton(1);
    EXPECT_EQ(f[3].text, " PASS");
    EXPECT_EQ(f[3].back, colour::kGreen);
    rig.session.OnBoardFocus(1);
    EXPECT_EQ(f[3].text, " FAIL");
    EXPECT_EQ(f[3].back, colour::kRed);
    EXPECT_EQ(f[4].text.substr(0, 2), "2.") << f[4].text;
    // A broken reply: question marks, on white.
    rig.chip(1).setPecErrorProbability(1.0);
    rig.session.OnDiagnosticButton(1);
    EXPECT_EQ(f[2].text, "   ?    ");
    EXPECT_EQ(f[3].text, " ????");
    EXPECT_EQ(f[3].back, colour::kWhite);
    EXPECT_TRUE(rig.checker.report.Ok()) << rig.checker.report.Text();
}

TEST(HoldDischargeAndGroupReads, FramesLampAndTheThirdsOfTheCells)
{
    SessionRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.measure(1);
    rig.session.OnCellSelectBox(2, true); // cell 3
    rig.markWrites();
    rig.session.OnHoldDischargeStart(1);
    EXPECT_EQ(rig.writesSinceMark()[0].substr(0, 6), "MSxS73");
    EXPECT_EQ(rig.view().commands.dccLamp, colour::kLightBlue);
    EXPECT_EQ(rig.display.focus.back(), test::Command1(7));
    rig.session.OnCellSelectBox(2, false);
    rig.session.OnCommandButton(2);
    rig.session.OnCommandButton(7);
    rig.markWrites();
    for (int i = 0; i < 3; ++i) rig.session.OnReadCellGroup(i);
    EXPECT_EQ(rig.writesSinceMark(), (std::vector<std::string>{"MSxT06TD2RRRRRRRX", "MSxT08TF8RRRRRRRX",
                                                               "MSxT0ATF6RRRRRRRX"}));
    EXPECT_TRUE(rig.checker.report.Ok()) << rig.checker.report.Text();
}

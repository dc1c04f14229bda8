// The command column, the continuous cycle and the configuration write, run
// by the session over the simulated stack: the frames sent, the focus handed
// on, and what the window is told to show.
#include <gtest/gtest.h>

#include "protocol/ByteText.h"
#include "support/SessionRig.h"

using namespace qm;
using test::SessionRig;

namespace {

std::string Read(const char* head, int tokens) { return head + std::string(tokens, 'R') + "X"; }

} // namespace

TEST(CommandColumn, SingleCommandsSendTheirFramesAndHandTheFocusOn)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(1);
    const struct {
        int button;
        std::string frame;
        int focus; // -1: none
    } steps[] = {
        {2, "MSxS10SB0X", 7},          {7, Read("MSxT04TDC", 38), 8}, {8, Read("MSxT0CTE4", 8), 2},
        {3, "MSxS20S20X", 7},          {4, "MSxS30S50X", 9},          {9, Read("MSxT0ETEA", 12), 4},
        {5, "MSxT01SC7SE0S00S00S00S00S00SFESE0S00S00S00S00S00SFEX", 6}, {6, Read("MSxT02TCE", 14), -1},
    };
    for (const auto& s : steps) {
        rig.display.focus.clear();
        EXPECT_EQ(rig.framesOf([&] { rig.session.OnCommandButton(s.button); }), std::vector{s.frame}) << s.button;
        EXPECT_EQ(rig.display.focus, s.focus >= 0 ? std::vector{test::Command1(s.focus)}
                                                  : std::vector<acquisition::FocusTarget>{})
            << s.button;
    }
}

TEST(CommandColumn, PollCommandsStopTheCycleAndLeaveTheFrameOpenUntilTheNextButton)
{
    SessionRig rig;
    ASSERT_TRUE(rig.startMeasuring(1));
    rig.session.OnCommandButton(10);
    EXPECT_EQ(rig.framesOf([&] { rig.session.OnCommandButton(1); }).back(), "MSxS50S77"); // "POLL  INT"
    EXPECT_EQ(rig.state().acq.continuousActive, 0);
    EXPECT_EQ(rig.view().commands.cycleCaption, "START CONTINUOUS READ CELLS");
    EXPECT_EQ(rig.state().panel.caption, "Command = 0x50 PLINT");
    // Every button that sends closes the open frame first.
    for (const std::function<void()>& press : std::vector<std::function<void()>>{
             [&] { rig.session.OnCommandButton(6); }, [&] { rig.session.OnSelfTestButton(0); },
             [&] { rig.session.OnDiagnosticButton(0); }, [&] { rig.session.OnHoldDischargeStart(0); },
             [&] { rig.session.OnReadCellGroup(1); }}) {
        rig.session.OnCommandButton(0); // "POLL ADC" with no cycle still stops and polls
        EXPECT_EQ(rig.state().acq.openPoll, 1);
        const auto writes = rig.framesOf(press);
        ASSERT_GE(writes.size(), 2u);
        EXPECT_EQ(writes[0], "MSX");
        EXPECT_EQ(rig.state().acq.openPoll, 0);
    }
}

TEST(ContinuousCycle, ThreeTicksOfFramesStartStopLooksAndStepZeroTakesTheNewOptionAndCount)
{
    SessionRig rig("boards=3");
    ASSERT_TRUE(rig.startMeasuring(2));
    rig.session.OnCommandButton(10);
    const auto& c = rig.view().commands;
    EXPECT_EQ(c.cycleCaption, "STOP  CONTINUOUS READ CELLS");
    EXPECT_EQ(c.cycleLamp, colour::kGreen);
    EXPECT_FALSE(c.singleCommandsEnabled);
    EXPECT_TRUE(c.readConfigEnabled);
    EXPECT_EQ(c.windowWidthTwips, 13780);
    EXPECT_EQ(rig.framesOf([&] { rig.tick(3); }),
              (std::vector<std::string>{"MSxS10SB0X", "", Read("MSxT04TDC", 38), // start, empty write, RDCV
                                        "MSxS30S50X", Read("MSxT0ETEA", 12),      // STTMPAD, RDTMP
                                        Read("MSxT0CTE4", 8)}));                  // RDFLG
    EXPECT_EQ(rig.code(1, 5), 1);
    EXPECT_EQ(rig.view().squareColour[12 + 4], colour::kGreen);
    EXPECT_EQ(rig.view().legend, presentation::Legend::Flag);

    rig.session.SelectContinuousStart(2);
    EXPECT_EQ(c.cycleToolTip, "CONTINUOUS  READ 1) STCVDC 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG");
    rig.session.OnBoardCountChosen(2);
    const auto writes = rig.framesOf([&] { rig.tick(); });
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[0], "MSxS60SE7X");
    EXPECT_EQ(writes[2], Read("MSxT04TDC", 3 * 19));

    rig.session.OnCommandButton(10);
    EXPECT_EQ(c.cycleCaption, "START CONTINUOUS READ CELLS");
    EXPECT_EQ(c.cycleLamp, colour::kRed);
    EXPECT_TRUE(c.singleCommandsEnabled);
    EXPECT_EQ(c.windowWidthTwips, 13500);
    EXPECT_EQ(rig.state().images.cellValid[0], 0);
}

TEST(WriteConfig, HighestBoardGoesFirstAndTheChipsHoldThePendingImage)
{
    SessionRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(2);
    rig.session.OnCfgr0Option(0);
    rig.session.OnBoardFocus(2);
    rig.session.OnCdcArrow(1); // board index 2: CFGR0 "E1"
    rig.session.OnBoardFocus(1);
    // Discharge on cells 1, 2, 5 and 6 (CFGR1 "33") gives board index 1 the
    // data PEC 0x0E, shown without its leading zero.
    for (int bit : {0, 1, 4, 5}) rig.session.OnRegisterBox(1, bit, true);
    EXPECT_EQ(rig.pending(1, 1), "33");
    EXPECT_EQ(rig.framesOf([&] { rig.session.OnCommandButton(5); }),
              std::vector<std::string>{"MSxT01SC7SE1S00S00S00S00S00SD7SE0S33S00S00S00S00S0ESE0S00S00S00S00S00SFEX"});
    EXPECT_EQ(rig.state().panel.value, "  C7  |  E  |");
    EXPECT_EQ(rig.state().panel.direction, "W R");
    for (int b = 0; b < 3; ++b)
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(rig.chip(b).registers()[static_cast<std::size_t>(k)], protocol::ByteFromText(rig.pending(b, k)))
                << b << " " << k;
    EXPECT_TRUE(rig.chip(1).discharging(5));
    rig.session.OnBoardFocus(0); // the panel is redrawn for the board shown
    EXPECT_EQ(rig.state().panel.value, "  C7  |  FE  |");
    // Written: the fields take their normal look, the button its own.
    const auto& cv = rig.view().config;
    EXPECT_EQ(cv.registerLook, config::kWrittenLook);
    EXPECT_FALSE(cv.writeButton.frameVisible);
    EXPECT_EQ(rig.state().images.configReadBackFlag, 0);
    EXPECT_EQ(cv.readBackTexts[0], "");
}

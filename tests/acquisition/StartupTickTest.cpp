// Start-up, the timer tick, the keep-alive and the low-current standby, run by
// the session over the simulated stack.
#include <gtest/gtest.h>

#include "acquisition/KeepAlive.h"
#include "support/SessionRig.h"

using namespace qm;
using acquisition::CloseReason;
using test::SessionRig;

TEST(Startup, IdentifiesThenReadsTheConfigurationOfOneBoard)
{
    SessionRig rig;
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.rec.writes(), (std::vector<std::string>{"IZ", "MSxT02TCERRRRRRRX"}));
    const auto& v = rig.view();
    EXPECT_EQ(rig.state().acq.identification, "QM7410-1");
    EXPECT_EQ(rig.state().panel.ovalFill[0], colour::kGreen);
    EXPECT_EQ(v.config.readBackTexts[0], "   E0   ");
    EXPECT_EQ(v.config.thresholdTexts, (std::array<std::string, 2>{"-0.744V ", "-0.768V "}));
    EXPECT_EQ(v.config.zeroMarkers, (std::array<bool, 2>{true, true}));
    // Nothing written yet: the write button shows its changed look.
    EXPECT_EQ(rig.state().config.configChanged, 1);
    EXPECT_EQ(v.config.writeButton.caption, "WRITECONFIG");
    EXPECT_TRUE(v.config.writeButton.frameVisible);
    EXPECT_TRUE(v.commands.timerRunning);
    EXPECT_TRUE(rig.display.closed.empty());
    using namespace acquisition;
    const std::uint32_t laidOut = kAreaIdentification | kAreaBoards | kAreaConfig | kAreaThresholds | kAreaTabs |
                                  kAreaTransfer | kAreaKeepAlive | kAreaCommands | kAreaLegend | kAreaDiagnostics;
    EXPECT_EQ(rig.display.painted & laidOut, laidOut);
}

TEST(Startup, WithoutARecognisedBoardNothingButIdentificationIsSent)
{
    for (const char* scenario : {"variant=QM7411-1", "unplug-after=0"}) {
        SessionRig rig(scenario);
        EXPECT_FALSE(rig.start()) << scenario;
        EXPECT_EQ(rig.rec.writes(), (std::vector<std::string>{"IZ"})) << scenario;
        EXPECT_EQ(rig.display.closed, (std::vector<CloseReason>{CloseReason::NoBoardAtStart}));
        EXPECT_FALSE(rig.view().commands.timerRunning);
    }
}

TEST(Tick, IdentifiesEveryTickAndClosesWhenTheBoardIsLost)
{
    SessionRig rig;
    ASSERT_TRUE(rig.start());
    rig.markWrites();
    rig.tick(3);
    EXPECT_EQ(rig.writesSinceMark(true), (std::vector<std::string>{"IZ", "IZ", "IZ"}));
    rig.session.OnCommandButton(10);
    rig.device.unplug();
    rig.tick();
    EXPECT_EQ(rig.display.closed, (std::vector<CloseReason>{CloseReason::BoardLost}));
    EXPECT_EQ(rig.state().acq.continuousActive, 0);
    EXPECT_FALSE(rig.view().commands.timerRunning);
    rig.markWrites();
    rig.tick(); // a late tick or click after the close does nothing
    rig.session.OnCommandButton(7);
    EXPECT_TRUE(rig.writesSinceMark(true).empty());
    EXPECT_EQ(rig.display.closed.size(), 1u);
}

TEST(KeepAlive, WrittenMeasureModeSendsPladcEverySecondTickAndBlinks)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(1);
    // Ten cells in standby (CFGR0 "E8"): no board measures, no keep-alive.
    rig.session.OnCfgr0Box(3, true);
    rig.session.OnCommandButton(5);
    EXPECT_EQ(rig.state().images.written[1][0], "E8");
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    rig.session.OnCfgr0Box(3, false);
    // Board 2 alone measures: CFGR0 "E0" and "E1" in the written copy.
    rig.session.OnCfgr0Option(0);
    rig.session.OnBoardFocus(1);
    rig.session.OnCdcArrow(1);
    rig.session.OnCommandButton(5);
    EXPECT_EQ(rig.state().images.written[0][0], "E0");
    EXPECT_EQ(rig.state().images.written[1][0], "E1");
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
    EXPECT_EQ(rig.state().acq.keepAlivePhase, 3);

    std::vector<bool> polled, wdt, shrunk;
    for (int i = 0; i < 12; ++i) {
        rig.markWrites();
        rig.tick();
        const auto w = rig.writesSinceMark(true);
        polled.push_back(w.front() == "MSxS40S07X");
        EXPECT_EQ(w.back(), "IZ"); // the keep-alive goes out before the identification
        const auto& ind = rig.state().acq.indication;
        wdt.push_back(ind.wdtServiceVisible);
        shrunk.push_back(ind.pollButtonLeft == 804 && ind.pollButtonWidth == 81);
    }
    EXPECT_EQ(polled, (std::vector<bool>{true, false, true, false, true, false, true, false, true, false, true, false}));
    EXPECT_EQ(wdt, (std::vector<bool>{true, true, true, false, false, false, true, true, true, false, false, false}));
    EXPECT_EQ(shrunk, wdt);
    const auto& ind = rig.state().acq.indication;
    EXPECT_TRUE(ind.messageVisible);
    EXPECT_EQ(ind.messageCaption, acquisition::PollText());
    EXPECT_EQ(ind.messageBack, acquisition::kPollTextBack);
    EXPECT_EQ(ind.messageFontSize, 9);
    EXPECT_EQ(acquisition::PollText().size(), 21u + 61u + 27u);
    // The watchdog of the simulated chips is kept alive.
    rig.tick(40);
    EXPECT_FALSE(rig.chip(1).watchdogExpired());
}

TEST(KeepAlive, TheCycleReplacesItAndStoppingEvaluatesItAgain)
{
    SessionRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.measure(1);
    ASSERT_EQ(rig.state().acq.keepAliveActive, 1);
    rig.session.OnCommandButton(10);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    rig.tick();
    const auto& ind = rig.state().acq.indication;
    EXPECT_TRUE(ind.messageVisible);
    EXPECT_EQ(ind.messageCaption, acquisition::CycleText());
    EXPECT_EQ(acquisition::CycleText().size(), 34u + 26u + 27u);
    // A write during the cycle leaves the keep-alive off; stopping evaluates it.
    rig.session.OnCommandButton(5);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    rig.session.OnCommandButton(10);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
    EXPECT_EQ(rig.state().acq.keepAlivePhase, 3);
}

// The threshold check's message box waits for OK while the window's timer
// goes on ticking: the keep-alive keeps servicing the watchdog, and the boxes
// show the stored values once the box is closed.
TEST(KeepAlive, TicksGoOnWhileAMessageBoxWaits)
{
    SessionRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.measure(1);
    rig.display.duringMessage = [&] { rig.tick(35); };
    rig.markWrites();
    rig.session.EnterThreshold(0, "9");
    ASSERT_EQ(rig.display.messages, (std::vector<std::string>{"Only Enter Values Between -0.744V and 5.376V."}));
    EXPECT_EQ(rig.countSinceMark("MSxS40S07X"), 18u);
    EXPECT_FALSE(rig.chip(0).watchdogExpired());
    EXPECT_EQ(rig.view().config.thresholdTexts[0], "3.000V ");
    rig.session.OnCommandButton(6);
    EXPECT_EQ(rig.state().images.readBack[0][0], "E2");
}

TEST(LowCurrentStandby, WritesDefaultsReadsBackAndKeepsTheTimerQuiet)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.measure(2);
    rig.session.OnCfgr0Box(3, true); // ten cells
    rig.markWrites();
    rig.session.OnCommandButton(14);
    const auto writes = rig.writesSinceMark();
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[writes.size() - 3], "MSxT01SC7SE0S00S00S00S00S00SFESE0S00S00S00S00S00SFEX");
    EXPECT_EQ(writes[writes.size() - 2].substr(0, 9), "MSxT02TCE");
    EXPECT_EQ(writes.back(), "MI");
    EXPECT_EQ(rig.state().acq.lowCurrentStandby, 1);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    EXPECT_FALSE(rig.view().tenCellLayout);
    EXPECT_EQ(rig.view().config.thresholdTexts, (std::array<std::string, 2>{"-0.744V ", "-0.768V "}));
    EXPECT_EQ(rig.state().acq.indication.messageBack, acquisition::kStandbyNoticeBack);
    rig.markWrites();
    rig.tick(5);
    EXPECT_TRUE(rig.writesSinceMark(true).empty()); // no keep-alive, no identification
    rig.session.OnCommandButton(6);
    EXPECT_EQ(rig.state().acq.lowCurrentStandby, 0);
    rig.markWrites();
    rig.tick();
    EXPECT_EQ(rig.writesSinceMark(true), (std::vector<std::string>{"IZ"}));
}

// Start-up, the timer tick, the keep-alive and the low-current standby, run by
// the session over the simulated stack.
#include <gtest/gtest.h>

#include "acquisition/KeepAlive.h"
#include "support/SessionRig.h"

using namespace qm;
using acquisition::CloseReason;
using test::SessionRig;

TEST(Startup, IdentifiesThenReadsTheConfigurationOfOneBoardOrClosesWithoutARecognisedOne)
{
    SessionRig rig;
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.rec.writes(), (std::vector<std::string>{"IZ", "MSxT02TCERRRRRRRX"}));
    const auto& v = rig.view();
    EXPECT_EQ(rig.state().acq.identification, "QM7410-1");
    EXPECT_EQ(rig.state().panel.ovalFill[0], colour::kGreen);
    EXPECT_EQ(v.config.readBackTexts[0], "   E0   ");
    EXPECT_EQ(v.config.thresholdTexts, (std::array<std::string, 2>{"-0.744V ", "-0.768V "}));
    EXPECT_EQ(v.config.writeButton.caption, "WRITECONFIG"); // nothing written yet
    EXPECT_TRUE(v.commands.timerRunning);
    EXPECT_TRUE(rig.display.closed.empty());
    using namespace acquisition;
    const std::uint32_t laidOut = kAreaIdentification | kAreaBoards | kAreaConfig | kAreaThresholds | kAreaTabs |
                                  kAreaTransfer | kAreaKeepAlive | kAreaCommands | kAreaLegend | kAreaDiagnostics;
    EXPECT_EQ(rig.display.painted & laidOut, laidOut);

    for (const char* scenario : {"variant=QM7411-1", "unplug-after=0"}) {
        SessionRig none(scenario);
        EXPECT_FALSE(none.start()) << scenario;
        EXPECT_EQ(none.rec.writes(), (std::vector<std::string>{"IZ"})) << scenario;
        EXPECT_EQ(none.display.closed, (std::vector<CloseReason>{CloseReason::NoBoardAtStart}));
        EXPECT_FALSE(none.view().commands.timerRunning);
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

TEST(KeepAlive, WrittenMeasureModeSendsPladcEverySecondTickBlinksAndGivesWayToTheCycle)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(1);
    rig.session.OnCfgr0Box(3, true); // ten cells in standby (CFGR0 "E8"): no board measures
    rig.session.OnCommandButton(5);
    EXPECT_EQ(rig.state().images.written[1][0], "E8");
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    rig.session.OnCfgr0Box(3, false);
    rig.session.OnCfgr0Option(0); // board 2 alone measures: CFGR0 "E0" and "E1"
    rig.session.OnBoardFocus(1);
    rig.session.OnCdcArrow(1);
    rig.session.OnCommandButton(5);
    EXPECT_EQ(rig.state().images.written[0][0], "E0");
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
    EXPECT_EQ(rig.state().acq.keepAlivePhase, 3);

    const auto& ind = rig.state().acq.indication;
    std::string polled, wdt;
    for (int i = 0; i < 12; ++i) {
        rig.markWrites();
        rig.tick();
        const auto w = rig.writesSinceMark(true);
        polled += w.front() == "MSxS40S07X" ? 'P' : '.';
        EXPECT_EQ(w.back(), "IZ"); // the keep-alive goes out before the identification
        wdt += ind.wdtServiceVisible ? 'W' : '.';
        EXPECT_EQ(ind.pollButtonLeft == 804 && ind.pollButtonWidth == 81, ind.wdtServiceVisible);
    }
    EXPECT_EQ(polled, "P.P.P.P.P.P.");
    EXPECT_EQ(wdt, "WWW...WWW...");
    EXPECT_TRUE(ind.messageVisible);
    EXPECT_EQ(ind.messageCaption, acquisition::PollText());
    EXPECT_EQ(ind.messageBack, acquisition::kPollTextBack);
    EXPECT_EQ(ind.messageFontSize, 9);
    // A message box left open for 4 s: the ticks go on inside it and keep the watchdog served.
    rig.display.duringMessage = [&] { rig.tick(40); };
    rig.session.EnterThreshold(0, "9");
    ASSERT_EQ(rig.display.messages.size(), 1u);
    EXPECT_FALSE(rig.chip(1).watchdogExpired());
    EXPECT_EQ(rig.chip(1).registers()[0], 0xE1);

    // The cycle replaces it; a write during the cycle leaves it off; stopping evaluates it again.
    rig.session.OnCommandButton(10);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    rig.tick();
    EXPECT_EQ(ind.messageCaption, acquisition::CycleText());
    rig.session.OnCommandButton(5);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    rig.session.OnCommandButton(10);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
    EXPECT_EQ(rig.state().acq.keepAlivePhase, 3);
}

TEST(LowCurrentStandby, WritesDefaultsReadsBackAndKeepsTheTimerQuiet)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.startMeasuring(2));
    rig.session.OnCfgr0Box(3, true); // ten cells
    const auto writes = rig.framesOf([&] { rig.session.OnCommandButton(14); });
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

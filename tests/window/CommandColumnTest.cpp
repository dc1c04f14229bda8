#include <gtest/gtest.h>

#include <algorithm>

#include "WindowRig.h"
#include "acquisition/KeepAlive.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

// Writes a configuration measuring on every board in use (CDC 2, VUV 3.0 V,
// VOV 4.2 V) through the editors and "WRITE CONFIG", as the operator would.
void MeasureWithCdc2(WindowRig& rig)
{
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command1[5]);
}

std::vector<std::string> WithoutIdentification(const std::vector<std::string>& writes)
{
    std::vector<std::string> out;
    std::copy_if(writes.begin(), writes.end(), std::back_inserter(out), [](const std::string& w) { return w != "IZ"; });
    return out;
}

} // namespace

TEST(ContinuousCycle, ThreeTicksOfFramesAndStartStopLooks)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    MeasureWithCdc2(rig);
    rig.click(rig.form().Command1[10]);
    EXPECT_EQ(Text(rig.form().Command1[10]), "STOP  CONTINUOUS READ CELLS");
    EXPECT_EQ(rig.form().Shape3->fillColor(), colour::kGreen);
    EXPECT_FALSE(rig.form().Command1[2]->isEnabled());
    EXPECT_FALSE(rig.form().Command5[0]->isEnabled());
    EXPECT_TRUE(rig.form().Command1[6]->isEnabled());
    EXPECT_EQ(rig.form().windowWidthTwips(), 13780);

    rig.markWrites();
    rig.tick(3);
    const std::vector<std::string> expect{
        "MSxS10SB0X", "", "MSxT04TDC" + std::string(38, 'R') + "X", // start, empty write, RDCV of 2 boards
        "MSxS30S50X", "MSxT0ETEA" + std::string(12, 'R') + "X",     // STTMPAD, RDTMP
        "MSxT0CTE4" + std::string(8, 'R') + "X",                    // RDFLG
    };
    EXPECT_EQ(WithoutIdentification(rig.writesSinceMark()), expect);
    // The simulated chain answers: cells measured, every board green.
    EXPECT_EQ(rig.form().Shape12[1]->fillColor(), colour::kGreen);
    EXPECT_EQ(rig.state().status.Code(1, 5), 1);
    EXPECT_EQ(rig.form().Shape1[12 + 4]->fillColor(), colour::kGreen);

    rig.click(rig.form().Command1[10]);
    EXPECT_EQ(Text(rig.form().Command1[10]), "START CONTINUOUS READ CELLS");
    EXPECT_EQ(rig.form().Shape3->fillColor(), colour::kRed);
    EXPECT_TRUE(rig.form().Command1[2]->isEnabled());
    EXPECT_TRUE(rig.form().Command5[0]->isEnabled());
    EXPECT_EQ(rig.form().windowWidthTwips(), 13500);
    EXPECT_EQ(rig.state().images.cellValid[0], 0);
}

TEST(ContinuousCycle, StartOptionAndBoardCountTakeEffectAtTheNextStep)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    MeasureWithCdc2(rig);
    rig.click(rig.form().Command1[10]);
    rig.tick(); // step 0 with STCVAD
    rig.choose(rig.form().OptionSTADC[2]);
    EXPECT_EQ(rig.form().Command1[10]->toolTip().toStdString(),
              "CONTINUOUS  READ 1) STCVDC 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG");
    rig.tick(2);
    rig.chooseBoards(3);
    rig.markWrites();
    rig.tick(); // step 0 again
    const auto writes = WithoutIdentification(rig.writesSinceMark());
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[0].substr(0, 6), "MSxS60");
    EXPECT_EQ(writes[2], "MSxT04TDC" + std::string(3 * 19, 'R') + "X");
}

TEST(PollCommands, StopTheCycleAndLeaveTheFrameOpenUntilTheNextButton)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    MeasureWithCdc2(rig);
    rig.click(rig.form().Command1[10]);
    rig.markWrites();
    rig.click(rig.form().Command1[1]); // "POLL  INT"
    EXPECT_EQ(rig.state().acq.continuousActive, 0);
    EXPECT_EQ(Text(rig.form().Command1[10]), "START CONTINUOUS READ CELLS");
    EXPECT_EQ(rig.writesSinceMark().back(), "MSxS50S77");
    EXPECT_EQ(rig.state().acq.openPoll, 1);
    EXPECT_EQ(Text(rig.form().Label8[1]), "Command = 0x50 PLINT");
    rig.markWrites();
    rig.click(rig.form().Command1[6]);
    const auto writes = rig.writesSinceMark();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0], "MSX");
    EXPECT_EQ(writes[1].substr(0, 9), "MSxT02TCE");
    EXPECT_EQ(rig.state().acq.openPoll, 0);
}

TEST(KeepAlive, WrittenMeasureModeSendsPladcEverySecondTickAndBlinks)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    // Board 2 alone measures: CFGR0 "E0" and "E1" in the written copy.
    rig.choose(rig.form().Option3[0]);
    rig.click(rig.form().Command4[1]);
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command1[5]);
    EXPECT_EQ(rig.state().images.written[0][0], "E0");
    EXPECT_EQ(rig.state().images.written[1][0], "E1");
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
    EXPECT_EQ(rig.state().acq.keepAlivePhase, 3);

    std::vector<bool> polled, wdt;
    for (int i = 0; i < 6; ++i) {
        rig.markWrites();
        rig.tick();
        const auto w = rig.writesSinceMark();
        polled.push_back(!w.empty() && w.front() == "MSxS40S07X");
        EXPECT_EQ(w.back(), "IZ"); // the keep-alive goes out before the identification
        wdt.push_back(rig.form().Label_KA[0]->isVisibleTo(&rig.form()));
    }
    EXPECT_EQ(polled, (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_EQ(wdt, (std::vector<bool>{true, true, true, false, false, false}));
    EXPECT_EQ(Text(rig.form().Label_KA[1]), acquisition::PollText());
    // The watchdog of the simulated chips is kept alive.
    rig.tick(40);
    EXPECT_FALSE(rig.chip(1).watchdogExpired());
}

TEST(LowCurrentStandby, WritesDefaultsReadsBackAndKeepsTheTimerQuiet)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    MeasureWithCdc2(rig);
    rig.markWrites();
    rig.click(rig.form().Command1[14]);
    const auto writes = rig.writesSinceMark();
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[writes.size() - 3].substr(0, 9), "MSxT01SC7");
    EXPECT_NE(writes[writes.size() - 3].find("SE0S00S00S00S00S00SFE"), std::string::npos);
    EXPECT_EQ(writes[writes.size() - 2].substr(0, 9), "MSxT02TCE");
    EXPECT_EQ(writes.back(), "MI");
    EXPECT_EQ(rig.state().acq.lowCurrentStandby, 1);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    rig.markWrites();
    rig.tick(5);
    EXPECT_TRUE(rig.writesSinceMark().empty()); // no keep-alive, no identification
    rig.click(rig.form().Command1[6]);
    EXPECT_EQ(rig.state().acq.lowCurrentStandby, 0);
}

TEST(FocusChains, EachCommandHandsTheFocusOn)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.form().show();
    QApplication::setActiveWindow(&rig.form());
    const std::vector<std::pair<int, int>> chain{{2, 7}, {7, 8}, {8, 2}, {3, 7}, {4, 9}, {9, 4}, {5, 6}};
    for (const auto& [from, to] : chain) {
        rig.click(rig.form().Command1[static_cast<std::size_t>(from)]);
        EXPECT_TRUE(rig.form().Command1[static_cast<std::size_t>(to)]->hasFocus()) << from << " -> " << to;
    }
}

// The progress tabs behind the read buttons: armed by a start, settled by the
// matching read, held over a board-count change, and their looks.
#include <gtest/gtest.h>

#include "presentation/ProgressTabs.h"

using namespace qm::presentation;

TEST(ProgressTabs, StartArmsEveryBoardAndTheMatchingReadSettlesThem)
{
    ProgressTabs tabs;
    tabs.ResetForStartup(2);
    EXPECT_FALSE(tabs.armedLook(Tab::CellRead));
    // "STARTCELLVOLT": cell read and cell hex read armed after the click.
    tabs.setState(Tab::CellRead, kTabArmed);
    tabs.setState(Tab::CellHexRead, kTabArmed);
    tabs.SettleAfterCommandColumn(2);
    for (int b = 0; b <= 3; ++b) EXPECT_EQ(tabs.pending(Tab::CellRead, b), b <= 2 ? 1 : 0) << b;
    EXPECT_TRUE(tabs.armedLook(Tab::CellRead) && tabs.armedLook(Tab::CellHexRead));
    // "READCELL VOLT": both settle away, the flag read becomes due.
    tabs.requestSettle(Tab::CellRead);
    tabs.requestSettle(Tab::CellHexRead);
    tabs.setState(Tab::FlagRead, kTabArmed);
    tabs.requestSettle(Tab::ConfigRead); // a read without a start leaves its tab idle
    EXPECT_EQ(tabs.state(Tab::ConfigRead), kTabIdle);
    tabs.SettleAfterCommandColumn(2);
    EXPECT_FALSE(tabs.armedLook(Tab::CellRead) || tabs.armedLook(Tab::CellHexRead) || tabs.armedLook(Tab::ConfigRead));
    EXPECT_EQ(tabs.pending(Tab::CellRead, 0), 0);
    EXPECT_TRUE(tabs.armedLook(Tab::FlagRead));
}

TEST(ProgressTabs, ConfigurationTabHidesWhileEditsAreUnwrittenAndHeldTabsSurviveACountChange)
{
    ProgressTabs tabs;
    tabs.ResetForStartup(0);
    tabs.setState(Tab::ConfigRead, kTabArmed); // "WRITE CONFIG"
    tabs.SettleAfterCommandColumn(0);
    tabs.ShowReadConfigTab(true); // a box was ticked after the write
    EXPECT_FALSE(tabs.armedLook(Tab::ConfigRead));
    EXPECT_EQ(tabs.state(Tab::ConfigRead), kTabArmed);
    tabs.ShowReadConfigTab(false); // written again
    EXPECT_TRUE(tabs.armedLook(Tab::ConfigRead));
    tabs.ResetTab(Tab::ConfigRead, 0);
    tabs.ShowReadConfigTab(false); // idle tabs are not touched by the tick
    EXPECT_FALSE(tabs.armedLook(Tab::ConfigRead));

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
}

TEST(ProgressTabs, LooksOfTheButtons)
{
    const TabLook cellArmed = LookOf(Tab::CellRead, true);
    EXPECT_EQ(cellArmed.shapeIndex, 1);
    EXPECT_EQ(*cellArmed.left, 804);
    EXPECT_EQ(*cellArmed.width, 81);
    EXPECT_EQ(*cellArmed.caption, "READCELL");
    EXPECT_EQ(*LookOf(Tab::CellRead, false).caption, "READCELLVOLT");
    EXPECT_EQ(LookOf(Tab::FlagRead, true).shapeIndex, 9);
    EXPECT_FALSE(LookOf(Tab::TemperatureRead, true).caption.has_value());
    const TabLook diag = LookOf(Tab::DiagnosticRead, true);
    EXPECT_EQ(*diag.top, 2362);
    EXPECT_EQ(*diag.height, 400);
    EXPECT_FALSE(LookOf(Tab::CellHexRead, true).left.has_value());
}

#include <gtest/gtest.h>

#include "presentation/ProgressTabs.h"

using namespace qm::presentation;

TEST(ProgressTabs, StartArmsEveryBoardAndTheMatchingReadClearsThem)
{
    ProgressTabs tabs;
    tabs.ResetForStartup(2);
    EXPECT_FALSE(tabs.armedLook(Tab::CellRead));

    // "STARTCELLVOLT": cell read and cell hex read armed, settled after the click.
    tabs.setState(Tab::CellRead, kTabArmed);
    tabs.setState(Tab::CellHexRead, kTabArmed);
    tabs.SettleAfterCommandColumn(2);
    for (int b = 0; b <= 2; ++b) EXPECT_EQ(tabs.pending(Tab::CellRead, b), 1);
    EXPECT_EQ(tabs.pending(Tab::CellRead, 3), 0);
    EXPECT_TRUE(tabs.armedLook(Tab::CellRead));
    EXPECT_TRUE(tabs.armedLook(Tab::CellHexRead));

    // "READCELL VOLT": both settle away, the flag read becomes due.
    tabs.setState(Tab::CellRead, kTabSettle);
    tabs.setState(Tab::CellHexRead, kTabSettle);
    tabs.setState(Tab::FlagRead, kTabArmed);
    tabs.SettleAfterCommandColumn(2);
    EXPECT_FALSE(tabs.armedLook(Tab::CellRead));
    EXPECT_FALSE(tabs.armedLook(Tab::CellHexRead));
    EXPECT_EQ(tabs.pending(Tab::CellRead, 0), 0);
    EXPECT_TRUE(tabs.armedLook(Tab::FlagRead));
}

TEST(ProgressTabs, ReadWithoutStartLeavesTheTabIdle)
{
    ProgressTabs tabs;
    tabs.ResetForStartup(0);
    tabs.requestSettle(Tab::ConfigRead);
    EXPECT_EQ(tabs.state(Tab::ConfigRead), kTabIdle);
    tabs.SettleAfterCommandColumn(0);
    EXPECT_FALSE(tabs.armedLook(Tab::ConfigRead));
}

TEST(ProgressTabs, ConfigurationTabHidesWhileEditsAreUnwritten)
{
    ProgressTabs tabs;
    tabs.ResetForStartup(0);
    tabs.setState(Tab::ConfigRead, kTabArmed); // "WRITE CONFIG"
    tabs.SettleAfterCommandColumn(0);
    tabs.ShowReadConfigTab(false);
    EXPECT_TRUE(tabs.armedLook(Tab::ConfigRead));
    tabs.ShowReadConfigTab(true); // a box was ticked after the write
    EXPECT_FALSE(tabs.armedLook(Tab::ConfigRead));
    EXPECT_EQ(tabs.state(Tab::ConfigRead), kTabArmed);
    tabs.ShowReadConfigTab(false); // written again
    EXPECT_TRUE(tabs.armedLook(Tab::ConfigRead));
    // Idle tabs are not touched by the tick.
    tabs.ResetTab(Tab::ConfigRead, 0);
    tabs.ShowReadConfigTab(false);
    EXPECT_FALSE(tabs.armedLook(Tab::ConfigRead));
}

TEST(ProgressTabs, HeldTabsSurviveTheAutomaticReadOfABoardCountChange)
{
    ProgressTabs tabs;
    tabs.setState(Tab::TemperatureRead, kTabArmed);
    tabs.SettleAfterCommandColumn(0);
    tabs.HoldArmedTabs();
    tabs.requestSettle(Tab::TemperatureRead); // held: not armed, so no settle request
    tabs.SettleAfterCommandColumn(3);
    EXPECT_EQ(tabs.state(Tab::TemperatureRead), kTabHeld);
    tabs.ReleaseHeldTabs();
    EXPECT_EQ(tabs.state(Tab::TemperatureRead), kTabArmed);
    EXPECT_TRUE(tabs.armedLook(Tab::TemperatureRead));
    // Boards added after arming are not pending: focusing one shows it idle.
    tabs.ShowForCurrentBoard(3, 3);
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

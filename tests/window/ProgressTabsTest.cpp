// The progress tabs as the operator sees them: the light-yellow frame around
// the read button that is due, with the button shrunk to show it.
#include <gtest/gtest.h>

#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using presentation::Tab;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

// Whether the command-column button (Command1 index) shows its armed look:
// tab visible, button 81 wide at left 804; the normal look is 97 at 796.
bool ColumnArmed(WindowRig& rig, int button, int shape)
{
    auto* b = rig.form().Command1[static_cast<std::size_t>(button)];
    const bool tab = rig.form().Shape16[static_cast<std::size_t>(shape)]->visible();
    const bool narrow = b->left() == 804 && b->bounds().width == 81;
    const bool wide = b->left() == 796 && b->bounds().width == 97;
    EXPECT_TRUE(tab ? narrow : wide) << "button " << button << " and its tab disagree";
    return tab;
}

bool CellArmed(WindowRig& rig) { return ColumnArmed(rig, 7, 1); }
bool TemperatureArmed(WindowRig& rig) { return ColumnArmed(rig, 9, 2); }
bool ConfigArmed(WindowRig& rig) { return ColumnArmed(rig, 6, 0); }
bool FlagArmed(WindowRig& rig) { return ColumnArmed(rig, 8, 9); }
bool CellHexArmed(WindowRig& rig) { return rig.form().Shape16[3]->visible(); }
bool TemperatureHexArmed(WindowRig& rig) { return rig.form().Shape16[4]->visible(); }
bool DiagnosticArmed(WindowRig& rig) { return rig.form().Shape16[5]->visible(); }

} // namespace

TEST(ProgressTabs, StartUpShowsEveryButtonInItsNormalLook)
{
    WindowRig rig;
    // As designed, three tabs show before the window is loaded.
    EXPECT_TRUE(rig.form().Shape16[0]->visible());
    ASSERT_TRUE(rig.start());
    EXPECT_FALSE(CellArmed(rig));
    EXPECT_FALSE(TemperatureArmed(rig));
    EXPECT_FALSE(ConfigArmed(rig)); // the read-back at start-up settles nothing
    EXPECT_FALSE(FlagArmed(rig));
    EXPECT_FALSE(CellHexArmed(rig));
    EXPECT_EQ(Text(rig.form().Command1[7]), "READCELLVOLT");
}

TEST(ProgressTabs, CellReadThenFlagReadAlongTheCommandChain)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.writeMeasureMode();
    rig.click(rig.form().Command1[6]);

    rig.click(rig.form().Command1[2]); // "STARTCELLVOLT"
    EXPECT_TRUE(CellArmed(rig));
    EXPECT_EQ(Text(rig.form().Command1[7]), "READCELL");
    EXPECT_TRUE(CellHexArmed(rig)); // the self-test panel's read is due too
    EXPECT_FALSE(FlagArmed(rig));
    // An unrelated command leaves a due read due.
    rig.click(rig.form().Command1[4]);
    EXPECT_TRUE(CellArmed(rig));
    EXPECT_TRUE(TemperatureArmed(rig));
    EXPECT_TRUE(TemperatureHexArmed(rig));

    rig.click(rig.form().Command1[7]); // "READCELL VOLT"
    EXPECT_FALSE(CellArmed(rig));
    EXPECT_EQ(Text(rig.form().Command1[7]), "READCELLVOLT");
    EXPECT_FALSE(CellHexArmed(rig));
    EXPECT_TRUE(FlagArmed(rig));
    EXPECT_TRUE(TemperatureArmed(rig));

    rig.click(rig.form().Command1[8]); // "READ  FLAG"
    EXPECT_FALSE(FlagArmed(rig));
    rig.click(rig.form().Command5[4]); // the hex-view read settles the temperature tabs too
    EXPECT_FALSE(TemperatureArmed(rig));
    EXPECT_FALSE(TemperatureHexArmed(rig));
}

TEST(ProgressTabs, SelfTestStartsArmBothCellReadsAndTheHexReadSettlesThem)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.click(rig.form().Command5[5]); // "CELL DCC"
    EXPECT_TRUE(CellArmed(rig));
    EXPECT_TRUE(CellHexArmed(rig));
    rig.click(rig.form().Command5[3]);
    EXPECT_FALSE(CellArmed(rig));
    EXPECT_FALSE(CellHexArmed(rig));
    EXPECT_FALSE(FlagArmed(rig)); // only the column's cell read asks for the flags
}

TEST(ProgressTabs, ReadConfigFollowsWritesAndHidesWhileEditsArePending)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.click(rig.form().Command1[6]); // a read without a write
    EXPECT_EQ(rig.state().tabs.state(Tab::ConfigRead), presentation::kTabIdle);
    EXPECT_FALSE(ConfigArmed(rig));

    rig.click(rig.form().Command1[5]); // "WRITE CONFIG"
    EXPECT_TRUE(ConfigArmed(rig));
    rig.toggle(rig.form().Check1[0]); // an edit not yet written
    rig.tick();
    EXPECT_FALSE(ConfigArmed(rig));
    EXPECT_EQ(rig.state().tabs.state(Tab::ConfigRead), presentation::kTabArmed);
    rig.click(rig.form().Command1[5]);
    rig.tick();
    EXPECT_TRUE(ConfigArmed(rig));
    rig.click(rig.form().Command1[6]);
    EXPECT_FALSE(ConfigArmed(rig));
}

TEST(ProgressTabs, BoardCountChangeKeepsArmedTabsAndFocusFollowsPendingBoards)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.click(rig.form().Command1[2]);
    rig.click(rig.form().Command1[5]);
    rig.click(rig.form().Command7[0]);
    // The count change reads the configuration back, but settles nothing.
    rig.chooseBoards(3);
    EXPECT_TRUE(CellArmed(rig));
    EXPECT_TRUE(ConfigArmed(rig));
    EXPECT_TRUE(DiagnosticArmed(rig));
    EXPECT_EQ(rig.state().tabs.state(Tab::CellRead), presentation::kTabArmed);

    // Boards added after the arming are not pending: making one current
    // shows its tabs idle; the next command marks every board again.
    rig.click(rig.form().Command4[2]);
    EXPECT_FALSE(CellArmed(rig));
    EXPECT_FALSE(DiagnosticArmed(rig));
    rig.click(rig.form().Command4[0]);
    EXPECT_FALSE(CellArmed(rig)); // disarming cleared every board
    rig.click(rig.form().Command1[2]);
    rig.click(rig.form().Command4[2]);
    EXPECT_TRUE(CellArmed(rig));
}

TEST(ProgressTabs, CycleAndStandbyReset)
{
    const auto armAll = [](WindowRig& rig) {
        rig.click(rig.form().Command1[2]);
        rig.click(rig.form().Command1[4]);
        rig.click(rig.form().Command1[7]); // flag read due
        rig.click(rig.form().Command1[2]);
        rig.click(rig.form().Command7[0]);
    };
    const auto noneArmed = [](WindowRig& rig) {
        return !CellArmed(rig) && !TemperatureArmed(rig) && !FlagArmed(rig) && !CellHexArmed(rig) &&
               !TemperatureHexArmed(rig) && !DiagnosticArmed(rig);
    };
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.writeMeasureMode();
    armAll(rig);
    ASSERT_TRUE(FlagArmed(rig) && DiagnosticArmed(rig) && CellArmed(rig));
    rig.click(rig.form().Command1[10]); // cycle start
    EXPECT_TRUE(noneArmed(rig));
    rig.tick(3);
    EXPECT_TRUE(noneArmed(rig)); // the cycle's own reads arm nothing
    rig.click(rig.form().Command7[0]);
    rig.click(rig.form().Command1[10]); // cycle stop
    EXPECT_TRUE(noneArmed(rig));

    armAll(rig);
    rig.click(rig.form().Command1[14]); // "LOW CURRENT STBY"
    EXPECT_FALSE(CellArmed(rig));
    EXPECT_FALSE(DiagnosticArmed(rig));
    EXPECT_FALSE(ConfigArmed(rig));
}

// The comparator duty-cycle arrows: the wrap of the value, the table row, the
// standby notice and its frame, global and custom storing, and the keep-alive
// judged from what was written. Also the screenshot of the editors.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "WindowRig.h"
#include "config/DutyCycle.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

const std::string kStandbyNotice =
    "CDC=0-STANDBY MODE. CLICK UP/DOWN BUTTON TO SET CDC>0 THEN WRITE CONFIG FOR MEASURE MODE";

bool Shown(WindowRig& rig, QWidget* w) { return w->isVisibleTo(&rig.form()); }
int Cdc(WindowRig& rig, int board) { return rig.state().config.boards[U(board)].cdc; }

} // namespace

TEST(DutyCycle, ArrowsWrapWithTheirRowsAndTheStandbyNotice)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    // Start-up: standby, announced.
    EXPECT_EQ(Text(f.Text3), config::CdcTableText(0));
    EXPECT_TRUE(Shown(rig, f.Shape16[6]));
    EXPECT_TRUE(Shown(rig, f.Label_KA[1]));
    EXPECT_EQ(Text(f.Label_KA[1]), kStandbyNotice);

    rig.click(f.Command0[0]); // 0 -> 7
    EXPECT_EQ(Cdc(rig, 0), 7);
    EXPECT_EQ(Text(f.Text15), "7");
    EXPECT_EQ(Text(f.Text3), "|            2000mS          |                Yes                 |"
                             "                   21mS               | |                                   |"
                             "     8mS output settling    |  8mS VREF + 13mS Cell V | ");
    EXPECT_EQ(rig.state().images.pending[0][0], "E7");
    EXPECT_FALSE(Shown(rig, f.Shape16[6]));
    EXPECT_FALSE(Shown(rig, f.Label_KA[1])); // no keep-alive running
    for (int k = 0; k < 3; ++k) EXPECT_EQ(f.Check0[U(k)]->value(), 1) << k;

    rig.click(f.Command0[1]); // 7 -> 0
    EXPECT_EQ(Cdc(rig, 0), 0);
    EXPECT_EQ(Text(f.Text15), "0");
    EXPECT_EQ(Text(f.Text3), config::CdcTableText(0));
    EXPECT_EQ(rig.state().images.pending[0][0], "E0");
    EXPECT_TRUE(Shown(rig, f.Shape16[6]));
    EXPECT_TRUE(Shown(rig, f.Label_KA[1]));
    EXPECT_EQ(Text(f.Label_KA[1]), kStandbyNotice);
    EXPECT_EQ(f.Label_KA[1]->backColor(), colour::kPaleYellow);
    EXPECT_EQ(f.Label_KA[1]->fontSize(), 9);

    // Every value on the way up shows its own row and mirror bits.
    for (int c = 1; c <= 7; ++c) {
        rig.click(f.Command0[1]);
        EXPECT_EQ(Text(f.Text3), config::CdcTableText(c)) << c;
        EXPECT_EQ(Text(f.Text15), std::to_string(c));
        for (int k = 0; k < 3; ++k) EXPECT_EQ(f.Check0[U(k)]->value(), (c >> k) & 1) << c << " bit " << k;
    }
}

TEST(DutyCycle, GlobalSetsEveryBoardInUseCustomOnlyTheCurrent)
{
    WindowRig rig("boards=4");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    auto& f = rig.form();
    rig.click(f.Command4[1]);
    rig.click(f.Command0[1]);
    rig.click(f.Command0[1]);
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(Cdc(rig, b), 2) << b;
        EXPECT_EQ(rig.state().images.pending[U(b)][0], "E2") << b;
    }
    EXPECT_EQ(Cdc(rig, 3), 0);
    EXPECT_EQ(rig.state().images.pending[3][0], "E0");

    rig.choose(f.Option3[0]);
    rig.click(f.Command0[0]);
    EXPECT_EQ(Cdc(rig, 1), 1);
    EXPECT_EQ(rig.state().images.pending[1][0], "E1");
    for (int b : {0, 2}) {
        EXPECT_EQ(Cdc(rig, b), 2) << b;
        EXPECT_EQ(rig.state().images.pending[U(b)][0], "E2") << b;
    }
    // Each board shows its own value when focused.
    rig.click(f.Command4[2]);
    EXPECT_EQ(Text(f.Text15), "2");
    EXPECT_EQ(Text(f.Text3), config::CdcTableText(2));
}

TEST(DutyCycle, KeepAliveFollowsTheWrittenCopyNotThePendingValue)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    auto& f = rig.form();
    rig.click(f.Command1[5]); // every board CDC 0
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);

    rig.choose(f.Option3[0]);
    rig.click(f.Command4[2]);
    rig.click(f.Command0[1]); // CDC 1 on board index 2 only, not yet written
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
    EXPECT_FALSE(Shown(rig, f.Label_KA[1]));
    rig.click(f.Command1[5]);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);

    // Back to 0 in the editor: the notice says standby, the keep-alive keeps
    // running until the standby configuration is written.
    rig.click(f.Command0[0]);
    EXPECT_TRUE(Shown(rig, f.Label_KA[1]));
    EXPECT_EQ(Text(f.Label_KA[1]), kStandbyNotice);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
    rig.click(f.Command1[5]);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 0);
}

namespace {


} // namespace

TEST(Screenshots, ConfigurationEditing)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    rig.saveScreenshot("configuration-standby.png"); // start-up: standby notice and zero markers

    auto& f = rig.form();
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    rig.click(f.Command0[1]);
    rig.click(f.Command0[1]);
    rig.click(f.Command1[5]);
    // Pending edits after the write: discharge, mask, a new VOV; then a
    // read-back that marks them.
    rig.click(f.Command4[1]);
    rig.choose(f.Option1[0]);
    rig.toggle(f.dccBox(3));
    rig.toggle(f.maskBox(7));
    rig.typeThreshold(1, "4.1");
    rig.click(f.Command1[6]);
    EXPECT_EQ(f.Text5[1]->backColor(), colour::kRed);
    EXPECT_EQ(Text(f.Command1[5]), "WRITECONFIG");
    rig.saveScreenshot("configuration-editing.png");
}

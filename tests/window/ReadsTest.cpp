#include <gtest/gtest.h>

#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

TEST(Reads, ACorruptedBoardShowsRedButItsImagesAreStillRewritten)
{
    WindowRig rig("boards=2,pec-errors=1:1");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    EXPECT_EQ(rig.form().Shape12[0]->fillColor(), colour::kGreen);
    EXPECT_EQ(rig.form().Shape12[1]->fillColor(), colour::kRed);
    EXPECT_EQ(rig.state().images.pecStatus[1], 2);

    rig.click(rig.form().Command1[2]);
    rig.click(rig.form().Command1[7]);
    EXPECT_EQ(rig.state().images.cellValid[0], 1);
    EXPECT_EQ(rig.state().images.cellValid[1], 0);
    EXPECT_EQ(rig.state().images.flagValid[1], 0);
    EXPECT_FALSE(rig.state().images.codeText[protocol::RegisterImages::CellIndex(1, 1)].empty());
    EXPECT_EQ(rig.state().status.Code(1, 1), 0); // CLEAR: no valid reading
    EXPECT_EQ(rig.form().Shape1[12]->fillColor(), colour::kWhite);

    // The panel shows the current board's verdict; board 2's on focus.
    EXPECT_EQ(rig.form().Text8->backColor(), colour::kWhite);
    rig.click(rig.form().Command4[1]);
    EXPECT_EQ(rig.form().Text8->backColor(), colour::kRed);
    EXPECT_NE(Text(rig.form().Text8).find(" != "), std::string::npos);
}

TEST(Reads, StartCommandsShowInThePanelAndTheKeepAliveDoesNot)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.click(rig.form().Command1[4]);
    EXPECT_EQ(rig.rec.writes().back(), "MSxS30S50X");
    EXPECT_EQ(Text(rig.form().Label8[1]), "Command = 0x30 STTMPAD");
    EXPECT_EQ(Text(rig.form().Label25), "W R");
    EXPECT_EQ(Text(rig.form().Text8), "  50  |");
    rig.monitor().protocol().SendKeepAlive();
    EXPECT_EQ(rig.rec.writes().back(), "MSxS40S07X");
    EXPECT_EQ(Text(rig.form().Label8[1]), "Command = 0x30 STTMPAD");
}

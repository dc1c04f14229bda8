#include <gtest/gtest.h>

#include <algorithm>

#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {
bool Shown(WindowRig& rig, QWidget* w) { return w->isVisibleTo(&rig.form()); }
} // namespace

TEST(BoardCount, ColumnsButtonsTabAndTheReadOfEveryBoard)
{
    WindowRig rig("boards=10");
    ASSERT_TRUE(rig.start());
    EXPECT_TRUE(Shown(rig, rig.form().Command4[0]));
    EXPECT_FALSE(Shown(rig, rig.form().Command4[1]));

    rig.markWrites();
    rig.chooseBoards(10);
    EXPECT_EQ(rig.writesSinceMark().back(), "MSxT02TCE" + std::string(70, 'R') + "X");
    for (int b = 0; b < 10; ++b) {
        EXPECT_TRUE(Shown(rig, rig.form().Command4[static_cast<std::size_t>(b)]));
        EXPECT_TRUE(Shown(rig, rig.form().Shape12[static_cast<std::size_t>(b)]));
        EXPECT_TRUE(Shown(rig, rig.form().Shape1[static_cast<std::size_t>(12 * b + 11)]));
        EXPECT_EQ(rig.form().Shape12[static_cast<std::size_t>(b)]->fillColor(), colour::kGreen);
    }
    EXPECT_EQ(rig.form().Label9[1]->left(), 720);
    EXPECT_EQ(Text(rig.form().Label12),
              "BOARDS    1      2      3      4      5      6      7      8      9     10");
    EXPECT_EQ(rig.form().Shape15->top(), 532 - 360);
    EXPECT_EQ(rig.form().Shape15->bounds().height, 41 + 360);

    rig.chooseBoards(1);
    EXPECT_TRUE(Shown(rig, rig.form().Command4[0]));
    EXPECT_FALSE(Shown(rig, rig.form().Command4[1]));
    EXPECT_FALSE(Shown(rig, rig.form().Shape1[12]));
    EXPECT_FALSE(Shown(rig, rig.form().Shape12[1]));
    EXPECT_EQ(rig.form().Shape15->top(), 532);
    EXPECT_EQ(rig.form().Shape15->bounds().height, 41);
    EXPECT_EQ(Text(rig.form().Label12), "BOARDS    1");
    EXPECT_EQ(rig.form().Label9[1]->left(), 504);

    // The same count again repeats the whole operation, read included.
    rig.markWrites();
    rig.chooseBoards(1);
    EXPECT_EQ(rig.writesSinceMark(), (std::vector<std::string>{"MSxT02TCERRRRRRRX"}));
}

TEST(BoardCount, ShrinkingBelowTheCurrentBoardFocusesTheLastBoardFirst)
{
    WindowRig rig("boards=6");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(6);
    rig.click(rig.form().Command4[5]);
    EXPECT_EQ(rig.state().chain.currentBoard, 5);
    rig.chooseBoards(3);
    EXPECT_EQ(rig.state().chain.currentBoard, 2);
    EXPECT_EQ(Text(rig.form().Label21), " 3");
    EXPECT_EQ(Text(rig.form().Label13[0]), "CUSTOM  BOARD # 3");
    EXPECT_EQ(Text(rig.form().Option3[0]), "CUSTOM BRD# 3");
    EXPECT_EQ(rig.form().Image1->left(), 472 + 48);
}

TEST(BoardFocus, CaptionsMarkerAnimationAndRepaint)
{
    WindowRig rig("boards=10");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(10);
    rig.click(rig.form().Command4[9]);
    EXPECT_EQ(Text(rig.form().Label13[0]), "CUSTOM  BOARD # 10");
    EXPECT_EQ(Text(rig.form().Option3[0]), "CUSTOM BRD#10");
    EXPECT_EQ(Text(rig.form().Label21), "10");
    EXPECT_EQ(rig.form().Image1->left(), 472 + 24 * 9);
    // The focused button is shortened inside the board tab; its squares get a
    // black outline of width 2.
    EXPECT_EQ(rig.form().Command4[9]->top(), 537 - 360);
    EXPECT_EQ(rig.form().Command4[9]->bounds().height, 30);
    EXPECT_EQ(rig.form().Command4[0]->top(), 532);
    EXPECT_EQ(rig.form().Command4[0]->bounds().height, 41);
    EXPECT_EQ(rig.form().Shape1[12 * 9]->borderColor(), colour::kBlack);
    EXPECT_EQ(rig.form().Shape1[12 * 9]->borderWidth(), 2);
    EXPECT_EQ(rig.form().Shape1[0]->borderColor(), colour::kLightGrey);
    EXPECT_EQ(rig.form().Shape12[0]->borderWidth(), 1);

    // The panels show the focused board's images.
    rig.chip(9).setCellVolts(3, 3.3);
    rig.chip(0).setCellVolts(3, 3.9);
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command1[5]);
    rig.click(rig.form().Command1[2]);
    rig.click(rig.form().Command1[7]);
    EXPECT_EQ(Text(rig.form().Text1[2]).substr(0, 5), " 3.30");
    rig.click(rig.form().Command4[0]);
    EXPECT_EQ(Text(rig.form().Text1[2]).substr(0, 5), " 3.90");
    EXPECT_EQ(Text(rig.form().Label8[1]), "Command = 0x04 RDCV"); // the last read, redrawn
}

TEST(Menus, ExitEndsAndTheDatalogItemsDoNothing)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    EXPECT_TRUE(rig.form().mnuCreateNewSetup->isEnabled());
    EXPECT_FALSE(rig.form().mnuUsePreviousSetup->isEnabled());
    EXPECT_FALSE(rig.form().mnuViewLastDatalog->isEnabled());
    rig.markWrites();
    rig.form().mnuCreateNewSetup->trigger();
    EXPECT_TRUE(rig.writesSinceMark().empty());
    EXPECT_TRUE(rig.closed.empty());
    rig.form().mnuExit->trigger();
    ASSERT_EQ(rig.closed.size(), 1u);
    EXPECT_EQ(rig.closed[0], ui::CloseReason::Exit);
    EXPECT_TRUE(rig.writesSinceMark().empty()); // nothing is sent on exit
}

TEST(BoardFocus, ABoardBeyondTheStackCannotTakeTheFocus)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    rig.monitor().OnBoardFocus(5); // a hidden button, triggered from code
    EXPECT_EQ(rig.state().chain.currentBoard, 0);
    rig.monitor().OnBoardFocus(1);
    EXPECT_EQ(rig.state().chain.currentBoard, 1);
}

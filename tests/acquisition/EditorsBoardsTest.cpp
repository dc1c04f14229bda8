// The configuration editors and the board selection as sequences of operator
// actions on the session: what each action leaves pending, what the fields
// show, and which board the panels follow. The rules behind each editor are
// tested in tests/config; the custom and global modes with the configuration
// files (ConfigFileSessionTest.cpp).
#include <gtest/gtest.h>

#include "support/SessionRig.h"

using namespace qm;
using test::SessionRig;

TEST(Editors, ThresholdEntriesShowTheStoredValuesAndRefusalsTheirMessage)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(1);
    const auto& c = rig.view().config;
    rig.session.EnterThreshold(0, "1"); // both at their start value: refused
    EXPECT_EQ(rig.display.messages, (std::vector<std::string>{"VUV must be less than VOV"}));
    EXPECT_EQ(c.thresholdTexts[0], "-0.744V ");
    rig.session.EnterThreshold(1, "4.2");
    rig.session.EnterThreshold(0, "3.6");
    EXPECT_EQ(rig.display.messages.size(), 1u);
    EXPECT_EQ(c.thresholdTexts, (std::array<std::string, 2>{"3.600V ", "4.200V "}));
    EXPECT_EQ(c.registerTexts[4], "   B5   ");
    EXPECT_EQ(c.registerTexts[5], "   CF   ");
    EXPECT_EQ(rig.state().config.boards[1].vuvCode, 181); // global thresholds: every board in use has them
    rig.session.EnterThreshold(1, "5.4"); // out of range: the stored value shown again
    EXPECT_EQ(rig.display.messages.back(), "Only Enter Values Between  -0.768V and 5.352V.");
    EXPECT_EQ(c.thresholdTexts[1], "4.200V ");
    // Enter in a box moves on to WRITE CONFIG (what may be typed: tests/config).
    EXPECT_TRUE(rig.session.OnThresholdKey(1, "42", 2, '\r').focusWriteConfig);
    EXPECT_EQ(rig.display.focus.back(), test::Command1(5));
}

TEST(Editors, ChangedLookFollowsTheDifferenceToTheWrittenCopy)
{
    SessionRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    const auto& c = rig.view().config;
    rig.session.OnCommandButton(5);
    EXPECT_EQ(c.writeButton.caption, "WRITE CONFIG");
    EXPECT_EQ(c.writeButton.left, 796);
    rig.session.OnCfgr0Box(4, true);
    rig.session.OnRegisterBox(2, 6, true);
    EXPECT_EQ(c.writeButton.caption, "WRITECONFIG");
    EXPECT_EQ(c.writeButton.left, 804);
    EXPECT_TRUE(c.writeButton.frameVisible);
    EXPECT_EQ(c.registerLook, config::kPendingLook);
    rig.session.OnCfgr0Box(4, false);
    EXPECT_EQ(c.writeButton.caption, "WRITECONFIG"); // CFGR2 still differs
    rig.session.OnRegisterBox(2, 6, false);
    EXPECT_EQ(c.writeButton.caption, "WRITE CONFIG");
    EXPECT_EQ(c.registerLook, config::kWrittenLook);
    // The duty-cycle fields are marked by the CDC bits alone; the arrows wrap.
    rig.session.OnCfgr0Box(4, true);
    EXPECT_EQ(c.cdcLook, config::kWrittenLook);
    rig.session.OnCdcArrow(1);
    EXPECT_EQ(c.cdcLook, config::kPendingLook);
    rig.session.OnCdcArrow(0);
    rig.session.OnCdcArrow(0);
    EXPECT_EQ(c.cdcNumber, "7");
    EXPECT_EQ(c.editors[0][0] + c.editors[0][1] + c.editors[0][2], 3);
}

TEST(Boards, CountReadsEveryBoardAndTheFocusStaysOnTheStack)
{
    SessionRig rig("boards=10");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.framesOf([&] { rig.session.OnBoardCountChosen(9); }).back(),
              "MSxT02TCE" + std::string(70, 'R') + "X");
    for (int b = 0; b < 10; ++b) EXPECT_EQ(rig.state().panel.ovalFill[static_cast<std::size_t>(b)], colour::kGreen);
    rig.session.OnBoardFocus(9);
    rig.chip(9).setCellVolts(3, 3.3);
    rig.chip(0).setCellVolts(3, 3.9);
    rig.measure(10);
    rig.session.OnCommandButton(2);
    rig.session.OnCommandButton(7);
    EXPECT_EQ(rig.view().cells[2].value.text.substr(0, 5), " 3.30");
    rig.session.OnBoardFocus(0);
    EXPECT_EQ(rig.view().cells[2].value.text.substr(0, 5), " 3.90");
    EXPECT_EQ(rig.state().panel.caption, "Command = 0x04 RDCV"); // the last read, redrawn

    rig.session.OnBoardFocus(5);
    rig.session.OnBoardCountChosen(2); // shrinking below the current board
    EXPECT_EQ(rig.state().chain.currentBoard, 2);
    rig.session.OnBoardFocus(3); // just beyond the stack: refused
    EXPECT_EQ(rig.state().chain.currentBoard, 2);
    rig.session.OnBoardCountChosen(12); // not a position of the list
    EXPECT_EQ(rig.state().chain.lastBoardIndex, 2);
    // The same count again repeats the whole operation, read included.
    EXPECT_EQ(rig.framesOf([&] { rig.session.OnBoardCountChosen(2); }),
              (std::vector<std::string>{"MSxT02TCE" + std::string(21, 'R') + "X"}));
}

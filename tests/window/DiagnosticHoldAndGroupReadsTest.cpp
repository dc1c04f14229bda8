// The two hold-discharge starts beside "DCC PERMITTED" and the four-cell reads
// of the "READ" panel, against the simulated chain.
#include <gtest/gtest.h>

#include "WindowRig.h"
#include "protocol/CommandBytes.h"
#include "protocol/Colours.h"
#include "protocol/Frames.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::string StartByte(const std::vector<std::string>& writes)
{
    for (const auto& w : writes)
        if (w.rfind("MSxS", 0) == 0) return w.substr(4, 2);
    return {};
}

} // namespace

TEST(HoldDischargeStart, SendsStcvdcOrStowdcWithTheCellSelectorAndLightsTheLamp)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.form().show();
    QApplication::setActiveWindow(&rig.form());
    rig.writeMeasureMode();
    rig.click(rig.form().Command1[7]);
    ASSERT_NE(Text(rig.form().Text1[0]), " 0.0000V  ");

    struct Case {
        int button;
        const char* command;
    };
    for (const Case& k : {Case{0, "60"}, Case{1, "70"}}) {
        rig.click(rig.form().Command1[2]);
        EXPECT_EQ(rig.form().Shape13->fillColor(), colour::kWhite);
        rig.click(rig.form().Command1[7]);
        rig.markWrites();
        rig.click(rig.form().Command3[U(k.button)]);
        EXPECT_EQ(StartByte(rig.writesSinceMark()), k.command);
        EXPECT_EQ(rig.form().Shape13->fillColor(), 16744576);
        // The cell values are cleared and the cells lose their status.
        EXPECT_EQ(Text(rig.form().Text1[0]), " 0.0000V  ");
        EXPECT_EQ(rig.state().status.Code(0, 1), 0);
        // The cell read is due, and the focus is on it.
        EXPECT_EQ(Text(rig.form().Command1[7]), "READCELL");
        EXPECT_TRUE(rig.form().Shape16[1]->visible());
        EXPECT_TRUE(rig.form().Command1[7]->hasFocus());
    }

    // With one cell chosen, its number is the selector.
    rig.toggle(rig.form().Check6[2]);
    rig.markWrites();
    rig.click(rig.form().Command3[0]);
    EXPECT_EQ(StartByte(rig.writesSinceMark()), "63");
}

TEST(GroupReads, EachButtonReadsItsThirdOfTheCellsOnly)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    rig.writeMeasureMode();
    rig.click(rig.form().Command1[6]); // read back: the boards measure, their ovals judge PECs
    rig.click(rig.form().Command1[2]); // the cells are converted and the texts cleared

    struct Case {
        int button;
        const char* command;
        int first, last; // cells shown afterwards
    };
    for (const Case& k : {Case{0, "06", 1, 4}, Case{1, "08", 5, 8}, Case{2, "0A", 9, 12}}) {
        rig.markWrites();
        rig.click(rig.form().Command8[U(k.button)]);
        EXPECT_EQ(rig.writesSinceMark(), (std::vector<std::string>{protocol::ReadFrame(k.command, 6, 2)}));
        for (int c = 1; c <= 12; ++c) {
            const bool shown = c <= k.last;
            EXPECT_EQ(Text(rig.form().Text1[U(c - 1)]) != " 0.0000V  ", shown) << k.button << " cell " << c;
        }
        EXPECT_EQ(rig.form().Shape12[1]->fillColor(), colour::kGreen) << k.button;
    }
    // The read shows values, not codes, even after a hex view.
    rig.click(rig.form().Command5[3]);
    ASSERT_EQ(Text(rig.form().Text1[0]).substr(0, 2), "0x");
    rig.click(rig.form().Command8[0]);
    EXPECT_EQ(rig.state().acq.cellHexView, 0);
    EXPECT_NE(Text(rig.form().Text1[0]).substr(0, 2), "0x");
}

TEST(GroupReads, TheLastThirdIsCellsNineAndTenOnceTenCellsAreWritten)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    rig.toggle(rig.form().Check0[3]); // 10-cell bit
    rig.writeMeasureMode();
    rig.click(rig.form().Command1[6]);
    rig.click(rig.form().Command1[2]);
    rig.markWrites();
    rig.click(rig.form().Command8[2]);
    // Three bytes and a PEC per board, the length the chips answer with: both
    // boards' PECs match.
    EXPECT_EQ(rig.writesSinceMark(), (std::vector<std::string>{protocol::ReadFrame("0A", 3, 2)}));
    EXPECT_EQ(rig.form().Shape12[0]->fillColor(), colour::kGreen);
    EXPECT_EQ(rig.form().Shape12[1]->fillColor(), colour::kGreen);
    EXPECT_NE(Text(rig.form().Text1[8]), " 0.0000V  ");
    EXPECT_NE(Text(rig.form().Text1[9]), " 0.0000V  ");
    EXPECT_EQ(rig.state().lastCellGroup, 5);
}

TEST(PollFrame, TheseButtonsCloseAnOpenPollFrameBeforeTheirCommand)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.writeMeasureMode();
    rig.click(rig.form().Command1[6]);
    for (ui::CommandButton* button : {rig.form().Command7[0], rig.form().Command7[1], rig.form().Command3[0],
                                      rig.form().Command3[1], rig.form().Command8[0], rig.form().Command8[2]}) {
        rig.click(rig.form().Command1[0]); // "POLL ADC": frame left open
        rig.markWrites();
        rig.click(button);
        const auto writes = rig.writesSinceMark();
        ASSERT_GE(writes.size(), 2u) << Text(button);
        EXPECT_EQ(writes[0], "MSX") << Text(button);
        EXPECT_EQ(writes[1].substr(0, 3), "MSx") << Text(button);
        EXPECT_EQ(rig.state().acq.openPoll, 0) << Text(button);
    }
    // A read right after the poll is answered by the chips, not by the poll.
    EXPECT_EQ(rig.form().Text8->backColor(), colour::kWhite);
    EXPECT_EQ(rig.form().Shape12[0]->fillColor(), colour::kGreen);
}

// "WRITE CONFIG", "READ CONFIG" and "LOW CURRENT STBY" as the operator uses
// them: the WRCFG frame, what lands in the simulated chips, the transfer
// panel, the read-back row with its difference marks and the field colours.
#include <gtest/gtest.h>

#include "WindowRig.h"
#include "protocol/ByteText.h"
#include "protocol/Colours.h"
#include "protocol/RegisterImages.h"
#include "sim/Chip.h"

using namespace qm;
using qm::ui::Control;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

constexpr int kWrite = 5;
constexpr int kRead = 6;
constexpr int kStandby = 14;

void Press(WindowRig& rig, int command) { rig.click(rig.form().Command1[U(command)]); }
void Focus(WindowRig& rig, int board) { rig.click(rig.form().Command4[U(board)]); }

// Board index b gets a configuration of its own through the editors: the
// custom options, CDC (b % 7) + 1 and the discharge box of cell b + 1.
void DistinctPerBoard(WindowRig& rig, int boards)
{
    auto& f = rig.form();
    rig.choose(f.Option3[0]);
    rig.choose(f.Option1[0]);
    for (int b = 0; b < boards; ++b) {
        Focus(rig, b);
        for (int i = 0; i <= b % 7; ++i) rig.click(f.Command0[1]);
        rig.toggle(f.dccBox(b + 1));
    }
}

std::string WriteFrameOf(const std::vector<std::string>& writes)
{
    for (const std::string& w : writes)
        if (w.rfind("MSxT01", 0) == 0) return w;
    return {};
}

} // namespace

TEST(WriteConfig, OneDefaultBoardSendsTheKnownFrame)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.markWrites();
    Press(rig, kWrite);
    EXPECT_EQ(WriteFrameOf(rig.writesSinceMark()), "MSxT01SC7SE0S00S00S00S00S00SFEX");
    auto& f = rig.form();
    EXPECT_EQ(Text(f.Label25), "W R");
    EXPECT_EQ(Text(f.Label8[1]), "Command = 0x01 WRCFG");
    EXPECT_EQ(Text(f.Text8), "  C7  |  FE  |");
}

TEST(WriteConfig, HighestBoardGoesFirstAndThePanelShowsTheCurrentBoardsPec)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    auto& f = rig.form();
    rig.choose(f.Option3[0]);
    Focus(rig, 2);
    rig.click(f.Command0[1]); // board index 2: CFGR0 "E1"
    Focus(rig, 1);
    // Discharge on cells 1, 2, 5 and 6 (CFGR1 "33") gives board index 1 the
    // data PEC 0x0E, shown without its leading zero.
    for (int cell : {1, 2, 5, 6}) rig.toggle(f.dccBox(cell));

    rig.markWrites();
    Press(rig, kWrite);
    const std::string frame = WriteFrameOf(rig.writesSinceMark());
    EXPECT_EQ(frame.rfind("MSxT01SC7SE1S00S00S00S00S00S", 0), 0u) << frame;
    EXPECT_EQ(frame.find("SE0S33S00S00S00S00S0E"), 9u + 7 * 3) << frame;
    EXPECT_EQ(frame.substr(frame.size() - 22), "SE0S00S00S00S00S00SFEX") << frame;
    EXPECT_EQ(frame.size(), 9u + 3 * 21 + 1);
    EXPECT_EQ(Text(f.Text8), "  C7  |  E  |");
    EXPECT_EQ(f.Text8->backColor(), colour::kWhite);

    // The view is redrawn for the board shown.
    Focus(rig, 0);
    EXPECT_EQ(Text(f.Text8), "  C7  |  FE  |");
}

TEST(WriteConfig, ChipsHoldThePendingImageForEveryBoardCount)
{
    for (int boards = 1; boards <= 10; ++boards) {
        SCOPED_TRACE(boards);
        WindowRig rig("boards=10");
        ASSERT_TRUE(rig.start());
        rig.chooseBoards(boards);
        DistinctPerBoard(rig, boards);
        Press(rig, kWrite);
        for (int b = 0; b < 10; ++b) {
            sim::Registers expected = sim::kPowerOnRegisters;
            if (b < boards)
                for (int k = 0; k < 6; ++k)
                    expected[U(k)] = protocol::ByteFromText(rig.state().images.pending[U(b)][U(k)]);
            EXPECT_EQ(rig.chip(b).registers(), expected) << "board index " << b;
            if (b < boards) {
                EXPECT_EQ(rig.chip(b).cdc(), b % 7 + 1) << b;
                EXPECT_TRUE(rig.chip(b).discharging(b + 1)) << b;
            }
        }
        EXPECT_EQ(rig.state().images.written[U(boards - 1)], rig.state().images.pending[U(boards - 1)]);
    }
}

TEST(WriteConfig, ReadBackRowIsEmptiedByEveryWriteAndMarksDifferences)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    auto& f = rig.form();
    rig.click(f.Command0[1]); // CDC 1 on both boards
    Press(rig, kWrite);
    Press(rig, kRead);
    EXPECT_EQ(rig.state().images.configReadBackFlag, 1);
    EXPECT_EQ(Text(f.Text5[0]), "   E1   ");
    for (auto* t : f.Text5) EXPECT_EQ(t->backColor(), colour::kSysWindow);

    // The same configuration again: the row empties all the same.
    Press(rig, kWrite);
    EXPECT_EQ(rig.state().images.configReadBackFlag, 0);
    for (auto* t : f.Text5) {
        EXPECT_EQ(Text(t), "");
        EXPECT_EQ(t->backColor(), colour::kSysWindow);
    }

    // Pending edits that the chips do not hold are marked red at the next
    // read-back, register by register.
    rig.choose(f.Option3[0]);
    rig.choose(f.Option1[0]);
    rig.toggle(f.maskBox(1));
    rig.typeThreshold(1, "4.2");
    Press(rig, kRead);
    EXPECT_EQ(Text(f.Text5[2]), "   00   ");
    const std::array<int, 6> marks{colour::kSysWindow, colour::kSysWindow, colour::kRed,
                                   colour::kSysWindow, colour::kSysWindow, colour::kRed};
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(f.Text5[k]->backColor(), marks[k]) << k;

    // Board index 1 has no pending change of its own: no marks there.
    Focus(rig, 1);
    EXPECT_EQ(Text(f.Text5[0]), "   E1   ");
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(f.Text5[k]->backColor(), colour::kSysWindow) << k;
    Focus(rig, 0);
    EXPECT_EQ(f.Text5[2]->backColor(), colour::kRed);
}

TEST(WriteConfig, FieldColoursReturnToNormalAfterTheWrite)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    rig.click(f.Command0[1]);
    for (Control* c : {static_cast<Control*>(f.Text2[0]), static_cast<Control*>(f.Text2[1]),
                       static_cast<Control*>(f.Text3), static_cast<Control*>(f.Text15),
                       static_cast<Control*>(f.Text4[4])}) {
        EXPECT_EQ(c->foreColor(), colour::kDarkCyan) << c->displayName().toStdString();
        EXPECT_EQ(c->backColor(), colour::kLightGrey) << c->displayName().toStdString();
    }
    Press(rig, kWrite);
    for (Control* c : {static_cast<Control*>(f.Text2[0]), static_cast<Control*>(f.Text2[1]),
                       static_cast<Control*>(f.Text3), static_cast<Control*>(f.Text15)}) {
        EXPECT_EQ(c->foreColor(), colour::kSysWindowText) << c->displayName().toStdString();
        EXPECT_EQ(c->backColor(), colour::kWhite) << c->displayName().toStdString();
    }
    for (auto* t : f.Text4) {
        EXPECT_EQ(t->foreColor(), colour::kSysWindowText);
        EXPECT_EQ(t->backColor(), colour::kWhite);
    }
    EXPECT_EQ(Text(f.Text2[0]), "3.000V ");
    EXPECT_EQ(Text(f.Text2[1]), "4.200V ");
    EXPECT_EQ(Text(f.Command1[5]), "WRITE CONFIG");
}

TEST(StandbyDefaults, BoardsInUseReturnToDefaultsBoardsBeyondKeepTheirs)
{
    WindowRig rig("boards=4");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(4);
    DistinctPerBoard(rig, 4);
    auto& f = rig.form();
    rig.toggle(f.Check0[3]); // 10CELLS on every board in use
    rig.typeThreshold(1, "4.2");
    Press(rig, kWrite);
    Focus(rig, 1);
    rig.chooseBoards(3); // board index 3 is no longer in use
    const auto beyond = rig.state().images.pending[3];
    const auto beyondConfig = rig.state().config.boards[3];
    ASSERT_EQ(beyond[0], "EC");
    const sim::Registers beyondChip = rig.chip(3).registers();

    rig.markWrites();
    Press(rig, kStandby);
    EXPECT_EQ(f.Check0[3]->value(), 0);
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(rig.state().images.pending[U(b)], protocol::DefaultConfiguration()) << b;
        EXPECT_EQ(rig.state().config.boards[U(b)].cdc, 0) << b;
        EXPECT_EQ(rig.chip(b).registers(), sim::kPowerOnRegisters) << b;
    }
    EXPECT_EQ(rig.state().images.pending[3], beyond);
    EXPECT_EQ(rig.state().config.boards[3], beyondConfig);
    EXPECT_EQ(rig.chip(3).registers(), beyondChip);

    const std::string frame = WriteFrameOf(rig.writesSinceMark());
    EXPECT_EQ(frame, "MSxT01SC7" + std::string("SE0S00S00S00S00S00SFE") + "SE0S00S00S00S00S00SFE" +
                         "SE0S00S00S00S00S00SFEX");
    EXPECT_EQ(rig.writesSinceMark().back(), "MI");
    // Standby shows in the duty-cycle fields and the notice.
    EXPECT_EQ(Text(f.Text15), "0");
    EXPECT_TRUE(f.Label_KA[1]->isVisibleTo(&f));
    EXPECT_TRUE(f.Shape16[6]->isVisibleTo(&f));
    EXPECT_EQ(Text(f.Text2[0]), "-0.744V ");
}

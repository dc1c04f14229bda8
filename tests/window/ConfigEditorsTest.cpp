// The configuration editors as the operator uses them: the register boxes of
// CFGR0..CFGR3, the global/custom options, propagation to the other boards
// and the changed look of "WRITE CONFIG".
#include <gtest/gtest.h>

#include "WindowRig.h"
#include "config/DutyCycle.h"
#include "protocol/Colours.h"
#include "sim/Chip.h"

using namespace qm;
using qm::ui::Bounds;
using qm::ui::CommandButton;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

const std::string& Pending(WindowRig& rig, int board, int reg)
{
    return rig.state().images.pending[U(board)][U(reg)];
}

std::string Field(const std::string& reg) { return "   " + reg + "   "; }

// Focuses board index b through its board button.
void Focus(WindowRig& rig, int board) { rig.click(rig.form().Command4[U(board)]); }

bool Shown(WindowRig& rig, QWidget* w) { return w->isVisibleTo(&rig.form()); }

} // namespace

TEST(RegisterBoxes, Cfgr0BoxesBuildTheRegisterWithTheDutyCycle)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    // WDTB, GPIO2 and GPIO1 ticked, nothing else.
    for (int k = 0; k < 8; ++k) EXPECT_EQ(f.Check0[U(k)]->value(), k >= 5 ? 1 : 0) << k;
    EXPECT_EQ(Text(f.Text4[0]), Field("E0"));

    rig.click(f.Command0[1]);
    rig.click(f.Command0[1]); // CDC 2
    rig.toggle(f.Check0[3]);  // 10CELLS
    EXPECT_EQ(Pending(rig, 0, 0), "EA");
    EXPECT_EQ(Text(f.Text4[0]), Field("EA"));

    // From CDC 1 with 10CELLS ticked, one step up: "E9" to "EA".
    rig.click(f.Command0[0]);
    EXPECT_EQ(Text(f.Text4[0]), Field("E9"));
    EXPECT_EQ(Text(f.Text15), "1");
    rig.click(f.Command0[1]);
    EXPECT_EQ(Text(f.Text4[0]), Field("EA"));
    EXPECT_EQ(Text(f.Text15), "2");
    EXPECT_EQ(Text(f.Text3), config::CdcTableText(2));

    rig.toggle(f.Check0[4]); // LVLPL
    rig.toggle(f.Check0[7]); // WDTB off
    EXPECT_EQ(Pending(rig, 0, 0), "7A");
    // The mirror boxes of the duty cycle follow the value and are never shown.
    EXPECT_EQ(f.Check0[1]->value(), 1);
    EXPECT_EQ(f.Check0[0]->value(), 0);
    for (int k = 0; k < 3; ++k) EXPECT_FALSE(Shown(rig, f.Check0[U(k)])) << k;
}

TEST(RegisterBoxes, DischargeAndMaskBoxesOfTheCellPanels)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();

    rig.toggle(f.Check1[0]);
    EXPECT_EQ(Text(f.Text4[1]), Field("01"));
    for (int k = 1; k < 8; ++k) rig.toggle(f.Check1[U(k)]);
    EXPECT_EQ(Text(f.Text4[1]), Field("FF"));

    rig.toggle(f.maskBox(1));
    EXPECT_EQ(Text(f.Text4[2]), Field("10"));
    rig.toggle(f.maskBox(1));
    rig.toggle(f.dccBox(12));
    EXPECT_EQ(Text(f.Text4[2]), Field("08"));
    rig.toggle(f.dccBox(12));
    EXPECT_EQ(Text(f.Text4[2]), Field("00"));

    rig.toggle(f.maskBox(5));
    rig.toggle(f.maskBox(12));
    EXPECT_EQ(Text(f.Text4[3]), Field("81"));
    // Registers the boxes do not edit stay as they were.
    EXPECT_EQ(Pending(rig, 0, 0), "E0");
    EXPECT_EQ(Pending(rig, 0, 4), "00");
}

TEST(RegisterBoxes, DischargeAndMaskArePerBoardAndFollowTheBoardFocus)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    auto& f = rig.form();
    Focus(rig, 1);
    rig.toggle(f.dccBox(3));
    rig.toggle(f.maskBox(9));
    EXPECT_EQ(Pending(rig, 1, 1), "04");
    EXPECT_EQ(Pending(rig, 1, 3), "10");
    for (int b : {0, 2}) {
        EXPECT_EQ(Pending(rig, b, 1), "00") << b;
        EXPECT_EQ(Pending(rig, b, 3), "00") << b;
    }

    Focus(rig, 0); // the boxes show board 1's registers
    EXPECT_EQ(f.dccBox(3)->value(), 0);
    EXPECT_EQ(f.maskBox(9)->value(), 0);
    EXPECT_EQ(Text(f.Text4[1]), Field("00"));
    Focus(rig, 1);
    EXPECT_EQ(f.dccBox(3)->value(), 1);
    EXPECT_EQ(f.maskBox(9)->value(), 1);
    EXPECT_EQ(Text(f.Text4[3]), Field("10"));
}

TEST(ChangedLook, WriteButtonShrinksWhilePendingAndRecoversWhenBoxesMatchAgain)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    CommandButton* write = f.Command1[5];

    rig.click(write);
    EXPECT_EQ(rig.state().config.configChanged, 0);
    EXPECT_EQ(Text(write), "WRITE CONFIG");
    EXPECT_EQ(write->bounds(), (Bounds{796, 168, 97, 20}));
    EXPECT_FALSE(Shown(rig, f.Shape14));
    EXPECT_EQ(f.Text4[0]->backColor(), colour::kWhite);

    // Any register: the changed look; every register back: the normal look.
    rig.toggle(f.Check0[4]);
    rig.toggle(f.Check2[6]);
    EXPECT_EQ(rig.state().config.configChanged, 1);
    EXPECT_EQ(Text(write), "WRITECONFIG");
    EXPECT_EQ(write->bounds(), (Bounds{804, 168, 81, 20}));
    EXPECT_TRUE(Shown(rig, f.Shape14));
    for (auto* t : f.Text4) {
        EXPECT_EQ(t->foreColor(), colour::kDarkCyan);
        EXPECT_EQ(t->backColor(), colour::kLightGrey);
    }
    rig.toggle(f.Check0[4]);
    EXPECT_EQ(Text(write), "WRITECONFIG"); // CFGR2 still differs
    rig.toggle(f.Check2[6]);
    EXPECT_EQ(rig.state().config.configChanged, 0);
    EXPECT_EQ(Text(write), "WRITE CONFIG");
    EXPECT_EQ(write->bounds(), (Bounds{796, 168, 97, 20}));
    EXPECT_FALSE(Shown(rig, f.Shape14));
    for (auto* t : f.Text4) {
        EXPECT_EQ(t->foreColor(), colour::kSysWindowText);
        EXPECT_EQ(t->backColor(), colour::kWhite);
    }

    // The duty-cycle fields are marked by the CDC bits alone.
    rig.toggle(f.Check0[4]);
    EXPECT_EQ(f.Text3->backColor(), colour::kWhite);
    EXPECT_EQ(f.Text15->backColor(), colour::kWhite);
    rig.click(f.Command0[1]);
    EXPECT_EQ(f.Text3->foreColor(), colour::kDarkCyan);
    EXPECT_EQ(f.Text15->backColor(), colour::kLightGrey);
    rig.click(f.Command0[0]);
    EXPECT_EQ(f.Text15->backColor(), colour::kWhite);
    EXPECT_EQ(Text(write), "WRITECONFIG"); // LVLPL still pending
}

// ---- Propagation ----------------------------------------------------------

namespace {

struct ModeCase {
    bool globalCfgr0;
    bool globalThresholds;
};

// Three boards in use (and a fourth on the chain beyond them), every board's
// pending registers made distinct in custom mode; then board index 1 gets its
// own CFGR0 and thresholds and the modes of the case are chosen.
void PrepareDistinctBoards(WindowRig& rig)
{
    auto& f = rig.form();
    rig.chooseBoards(4);
    rig.choose(f.Option3[0]);
    rig.choose(f.Option1[0]);
    rig.typeThreshold(1, "4.2"); // VOV on board index 0 only
    Focus(rig, 3);
    rig.toggle(f.Check0[4]); // board index 3: LVLPL, CFGR0 "F0"
    rig.typeThreshold(1, "4.8");
    rig.chooseBoards(3); // board index 3 is beyond the last board now
    Focus(rig, 1);
    rig.click(f.Command0[1]); // CDC 1 on board index 1 only
    rig.typeThreshold(1, "4.0");
    rig.typeThreshold(0, "3.0");
}

} // namespace

TEST(Propagation, EachModeCombinationThroughTheOptionButtons)
{
    const ModeCase cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const ModeCase m : cases) {
        SCOPED_TRACE(::testing::Message() << "global CFGR0 " << m.globalCfgr0 << ", global thresholds "
                                          << m.globalThresholds);
        WindowRig rig("boards=4");
        ASSERT_TRUE(rig.start());
        PrepareDistinctBoards(rig);
        auto& f = rig.form();
        ASSERT_EQ(Pending(rig, 1, 0), "E1");
        ASSERT_EQ(Pending(rig, 1, 4), "9C");
        ASSERT_EQ(Pending(rig, 1, 5), "C7");
        ASSERT_EQ(Pending(rig, 0, 5), "CF");

        if (m.globalCfgr0) rig.choose(f.Option3[1]);
        if (m.globalThresholds) rig.choose(f.Option1[1]);
        EXPECT_EQ(rig.state().config.globalCfgr0Mode, m.globalCfgr0 ? 1 : 0);
        EXPECT_EQ(rig.state().config.globalThresholdMode, m.globalThresholds ? 1 : 0);

        for (int b : {0, 2}) {
            EXPECT_EQ(Pending(rig, b, 0), m.globalCfgr0 ? "E1" : "E0") << b;
            EXPECT_EQ(Pending(rig, b, 4), m.globalThresholds ? "9C" : "00") << b;
            EXPECT_EQ(Pending(rig, b, 5), m.globalThresholds ? "C7" : (b == 0 ? "CF" : "00")) << b;
            EXPECT_EQ(rig.state().config.boards[U(b)].cdc, m.globalCfgr0 ? 1 : 0) << b;
        }
        // The board beyond the last index keeps what it had.
        EXPECT_EQ(Pending(rig, 3, 0), "F0");
        EXPECT_EQ(Pending(rig, 3, 5), "E8");

        // The write propagates again: the frame carries board index 1's
        // values for every board the global modes cover.
        rig.markWrites();
        rig.click(f.Command1[5]);
        for (int b : {0, 2}) {
            EXPECT_EQ(rig.chip(b).registers()[0], m.globalCfgr0 ? 0xE1 : 0xE0) << b;
            EXPECT_EQ(rig.chip(b).registers()[5], m.globalThresholds ? 0xC7 : (b == 0 ? 0xCF : 0x00)) << b;
        }
        EXPECT_EQ(rig.chip(3).registers(), sim::kPowerOnRegisters);
    }
}

TEST(Propagation, CustomElementChangesNothingButTheMode)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    auto& f = rig.form();
    rig.choose(f.Option3[0]);
    rig.choose(f.Option1[0]);
    Focus(rig, 2);
    rig.click(f.Command0[1]);
    rig.typeThreshold(1, "4.2");
    const auto before = rig.state().images.pending;
    const auto configBefore = rig.state().config.boards;

    rig.choose(f.Option3[0]);
    rig.choose(f.Option1[0]);
    EXPECT_EQ(rig.state().images.pending, before);
    EXPECT_EQ(rig.state().config.boards, configBefore);
    EXPECT_EQ(rig.state().config.globalCfgr0Mode, 0);
    EXPECT_EQ(rig.state().config.globalThresholdMode, 0);
}

TEST(Propagation, BoxChangesReachTheOtherBoardsOnlyWithTheWrite)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    auto& f = rig.form();
    Focus(rig, 2);
    rig.toggle(f.Check0[4]); // global CFGR0 mode: still board index 2 alone
    EXPECT_EQ(Pending(rig, 2, 0), "F0");
    EXPECT_EQ(Pending(rig, 0, 0), "E0");
    rig.click(f.Command1[5]);
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(Pending(rig, b, 0), "F0") << b;
        EXPECT_EQ(rig.chip(b).registers()[0], 0xF0) << b;
    }
}

TEST(Propagation, CaptionsOfTheCustomElementsFollowTheBoardFocus)
{
    WindowRig rig("boards=10");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(10);
    auto& f = rig.form();
    Focus(rig, 4);
    EXPECT_EQ(Text(f.Option3[0]), "CUSTOM BRD# 5");
    EXPECT_EQ(Text(f.Label13[0]), "CUSTOM  BOARD # 5");
    Focus(rig, 9);
    EXPECT_EQ(Text(f.Option3[0]), "CUSTOM BRD#10");
    EXPECT_EQ(Text(f.Label13[0]), "CUSTOM  BOARD # 10");
}

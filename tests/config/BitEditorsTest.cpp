#include <gtest/gtest.h>

#include "config/BitEditors.h"
#include "config/DutyCycle.h"
#include "config/OptionState.h"
#include "config/ConfigFixture.h"

using namespace qm::config;
using qm::config::testing::Chain;

TEST(Cfgr0Editor, TenCellsWithCdcTwoGivesEA)
{
    Chain c;
    EXPECT_EQ(c.reg(0, 0), "E0");
    c.board(0).cdc = 2;
    RefreshCdcTable(c.ctx);
    EXPECT_EQ(c.reg(0, 0), "E2");
    ChangeCfgr0Box(c.ctx, 3, true);
    EXPECT_EQ(c.reg(0, 0), "EA");
    EXPECT_EQ(c.board(0).cfgr0Low, 0xA);
    // The same through the eight boxes and the nibbles.
    const Boxes boxes{false, true, false, true, false, true, true, true};
    EXPECT_EQ(NibblesFromBoxes(boxes), (Nibbles{0xE, 0xA}));
    EXPECT_EQ(Cfgr0Text(NibblesFromBoxes(boxes)), "EA");
}

TEST(Cfgr0Editor, TenCellsFollowsOnEveryBoardInUseOnly)
{
    Chain c(2, 1);
    c.state.globalCfgr0Mode = 0; // per-board CFGR0 does not matter for this bit
    c.reg(0, 0) = "C5";
    c.reg(3, 0) = "E0";
    ChangeCfgr0Box(c.ctx, 3, true);
    EXPECT_EQ(c.reg(0, 0), "CD");
    EXPECT_EQ(c.reg(1, 0), "E8");
    EXPECT_EQ(c.reg(2, 0), "E8");
    EXPECT_EQ(c.reg(3, 0), "E0") << "board beyond the last index";
    EXPECT_EQ(c.board(0).cfgr0Low, 0xD) << "nibbles follow the register";

    ChangeCfgr0Box(c.ctx, 3, false);
    EXPECT_EQ(c.reg(0, 0), "C5");
    EXPECT_EQ(c.reg(1, 0), "E0");
    // Any other CFGR0 bit belongs to the current board alone.
    ChangeCfgr0Box(c.ctx, 4, true);
    EXPECT_EQ(c.reg(1, 0), "F0");
    EXPECT_EQ(c.reg(2, 0), "E0");
}

TEST(RegisterEditors, BoxesOfCfgr1To3)
{
    Chain c;
    ChangeRegisterBox(c.ctx, 1, 0, true);
    EXPECT_EQ(c.reg(0, 1), "01");
    for (int k = 0; k < 8; ++k) ChangeRegisterBox(c.ctx, 1, k, true);
    EXPECT_EQ(c.reg(0, 1), "FF");

    Chain mask;
    ChangeMaskBox(mask.ctx, 1, true);
    EXPECT_EQ(mask.reg(0, 2), "10");

    Chain dcc;
    ChangeDischargeBox(dcc.ctx, 12, true);
    EXPECT_EQ(dcc.reg(0, 2), "08");
}

TEST(RegisterEditors, EveryCellHasItsOwnDischargeAndMaskBit)
{
    // Register bits of the run CFGR1..CFGR3 as one 24-bit number, CFGR1 lowest.
    auto runBit = [](BoxRef b) { return (b.array - 1) * 8 + b.index; };
    for (int cell = 1; cell <= 12; ++cell) {
        const auto dcc = DischargeBoxOf(cell);
        const auto mask = MaskBoxOf(cell);
        ASSERT_TRUE(dcc && mask) << cell;
        EXPECT_EQ(runBit(*dcc), cell - 1) << cell;
        EXPECT_EQ(runBit(*mask), cell + 11) << cell;
    }
    EXPECT_EQ(DischargeBoxOf(9), (BoxRef{2, 0}));
    EXPECT_EQ(MaskBoxOf(5), (BoxRef{3, 0}));
    for (int bad : {0, 13, -1}) {
        EXPECT_FALSE(DischargeBoxOf(bad));
        EXPECT_FALSE(MaskBoxOf(bad));
    }
}

TEST(RegisterEditors, AreAlwaysPerBoardAndIgnoreBadIndices)
{
    Chain c(3, 2);
    ChangeDischargeBox(c.ctx, 3, true);
    ChangeRegisterBox(c.ctx, 0, 1, true); // CFGR0 is not one of these
    ChangeRegisterBox(c.ctx, 4, 1, true);
    ChangeRegisterBox(c.ctx, 2, 8, true);
    ChangeCfgr0Box(c.ctx, 8, true);
    for (int b = 0; b < kBoards; ++b)
        EXPECT_EQ(c.images.pending[static_cast<std::size_t>(b)],
                  (qm::protocol::ConfigRegisters{"E0", b == 2 ? "04" : "00", "00", "00", "00", "00"})) << b;
}

TEST(RegisterEditors, BoxChangeWorksOnTheRegisterNotOnStaleBoxes)
{
    // The standby defaults clear CFGR1 behind the boxes; the next click must
    // not bring the old discharge bits back.
    Chain c;
    for (int cell : {1, 2, 3}) ChangeDischargeBox(c.ctx, cell, true);
    EXPECT_EQ(c.reg(0, 1), "07");
    const StandbyRefresh s = ApplyStandbyDefaults(c.ctx);
    EXPECT_EQ(s.editors[1], Boxes{}) << "editors handed back for reloading";
    ChangeDischargeBox(c.ctx, 5, true);
    EXPECT_EQ(c.reg(0, 1), "10");
}

TEST(LoadEditors, BoxesShowTheCurrentBoardAndNibblesFollow)
{
    Chain c(1, 1);
    c.images.pending[1] = {"6B", "81", "F0", "0C", "00", "00"};
    const auto boxes = LoadEditors(c.ctx);
    EXPECT_EQ(boxes[1], (Boxes{true, false, false, false, false, false, false, true}));
    EXPECT_EQ(boxes[3], BoxesFromByte(0x0C));
    EXPECT_EQ(c.board(1).cfgr0High, 6);
    EXPECT_EQ(c.board(1).cfgr0Low, 0xB);
}

TEST(BoardFocus, ChangingBoardsLeavesTheNewBoardsRegistersAlone)
{
    // Per-board CFGR0: board 1 has its own GPIO, LVLPL and CDC bits. Moving
    // the focus to it repaints the editors and touches only CFGR4/CFGR5,
    // which follow the board's own codes.
    Chain c(1, 0);
    SelectCfgr0Option(c.ctx, kOptionCustom, "", "");
    SelectThresholdOption(c.ctx, kOptionCustom, "", "");
    c.reg(1, 0) = "93";
    c.board(1).cdc = 3;
    c.reg(1, 1) = "5A";
    c.board(1).vovCode = 200;
    c.ctx.currentBoard = 1;
    const BoardFocusRefresh r = RefreshForCurrentBoard(c.ctx, false);
    EXPECT_EQ(c.reg(1, 0), "93");
    EXPECT_EQ(c.reg(1, 1), "5A");
    EXPECT_EQ(c.reg(1, 5), "C8");
    EXPECT_EQ(r.editors[0], BoxesFromByte(0x93));
    EXPECT_EQ(r.cdc.cdc, 3);
    EXPECT_EQ(c.reg(0, 0), "E0");
}

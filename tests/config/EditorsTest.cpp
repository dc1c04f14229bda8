// The configuration editors' rules on the pending images: register bits of
// the boxes, the changed look and the read-back marks, the duty cycle, the
// option buttons and the standby defaults. The editors as sequences of
// operator actions are tested with the session.
#include <gtest/gtest.h>

#include <string>

#include "config/BitEditors.h"
#include "config/ChangeIndication.h"
#include "config/ConfigFixture.h"
#include "config/DutyCycle.h"
#include "config/OptionState.h"
#include "config/Thresholds.h"

using namespace qm::config;
using qm::config::testing::Chain;

TEST(BitEditors, Cfgr0BoxesAndNibblesAndTheTenCellBitOnEveryBoardInUse)
{
    const Boxes boxes{false, true, false, true, false, true, true, true};
    EXPECT_EQ(NibblesFromBoxes(boxes), (Nibbles{0xE, 0xA}));
    EXPECT_EQ(Cfgr0Text(NibblesFromBoxes(boxes)), "EA");
    EXPECT_EQ(BoxesFromByte(0xEA), boxes);

    Chain c(2, 1);
    c.state.globalCfgr0Mode = 0; // per-board CFGR0 does not matter for this bit
    c.reg(0, 0) = "C5";
    ChangeCfgr0Box(c.ctx, 3, true);
    EXPECT_EQ(c.reg(0, 0) + c.reg(1, 0) + c.reg(2, 0) + c.reg(3, 0), "CDE8E8E0"); // board 3 is beyond the chain
    EXPECT_EQ(c.board(0).cfgr0Low, 0xD) << "nibbles follow the register";
    ChangeCfgr0Box(c.ctx, 3, false);
    EXPECT_EQ(c.reg(0, 0) + c.reg(1, 0), "C5E0");
    ChangeCfgr0Box(c.ctx, 4, true); // any other bit belongs to the current board alone
    EXPECT_EQ(c.reg(1, 0) + c.reg(2, 0), "F0E0");
}

TEST(BitEditors, EveryCellHasItsOwnDischargeAndMaskBitAndBadIndicesChangeNothing)
{
    auto runBit = [](BoxRef b) { return (b.array - 1) * 8 + b.index; }; // CFGR1..CFGR3 as one 24-bit number
    for (int cell = 1; cell <= 12; ++cell) {
        const auto dcc = DischargeBoxOf(cell);
        const auto mask = MaskBoxOf(cell);
        ASSERT_TRUE(dcc && mask) << cell;
        EXPECT_EQ(runBit(*dcc), cell - 1) << cell;
        EXPECT_EQ(runBit(*mask), cell + 11) << cell;
    }
    for (int bad : {0, 13, -1}) EXPECT_FALSE(DischargeBoxOf(bad) || MaskBoxOf(bad)) << bad;

    Chain c(3, 2);
    ChangeDischargeBox(c.ctx, 3, true);
    ChangeMaskBox(c.ctx, 12, true);
    ChangeRegisterBox(c.ctx, 0, 1, true); // CFGR0 is not one of these
    ChangeRegisterBox(c.ctx, 4, 1, true);
    ChangeRegisterBox(c.ctx, 2, 8, true);
    ChangeCfgr0Box(c.ctx, 8, true);
    for (int b = 0; b < kBoards; ++b)
        EXPECT_EQ(c.images.pending[static_cast<std::size_t>(b)],
                  (qm::protocol::ConfigRegisters{"E0", b == 2 ? "04" : "00", "00", b == 2 ? "80" : "00", "00", "00"}))
            << b;
}

TEST(BitEditors, ABoxChangeWorksOnTheRegisterNotOnStaleBoxes)
{
    // The standby defaults clear CFGR1 behind the boxes; the next click must
    // not bring the old discharge bits back.
    Chain c;
    for (int cell : {1, 2, 3}) ChangeDischargeBox(c.ctx, cell, true);
    EXPECT_EQ(c.reg(0, 1), "07");
    EXPECT_EQ(ApplyStandbyDefaults(c.ctx).editors[1], Boxes{}) << "editors handed back for reloading";
    ChangeDischargeBox(c.ctx, 5, true);
    EXPECT_EQ(c.reg(0, 1), "10");
}

TEST(BitEditors, FocusOnABoardShowsItsOwnRegistersAndTouchesOnlyItsThresholdRegisters)
{
    Chain c(1, 0);
    SelectCfgr0Option(c.ctx, kOptionCustom, "", "");
    SelectThresholdOption(c.ctx, kOptionCustom, "", "");
    c.images.pending[1] = {"93", "5A", "F0", "0C", "00", "00"};
    c.board(1).cdc = 3;
    c.board(1).vovCode = 200;
    c.ctx.currentBoard = 1;
    const BoardFocusRefresh r = RefreshForCurrentBoard(c.ctx, false);
    EXPECT_EQ(c.images.pending[1], (qm::protocol::ConfigRegisters{"93", "5A", "F0", "0C", "00", "C8"}));
    EXPECT_EQ(r.editors[0], BoxesFromByte(0x93));
    EXPECT_EQ(r.editors[3], BoxesFromByte(0x0C));
    EXPECT_EQ(r.cdc.cdc, 3);
    EXPECT_EQ(c.board(1).cfgr0High, 9);
    EXPECT_EQ(c.reg(0, 0), "E0");
}

// The looks' colour numbers and the button's two geometries; which look a
// field takes after each edit is tested with the session.
TEST(ChangedIndication, LooksAndWhatMarksThem)
{
    EXPECT_EQ(kPendingLook, (FieldLook{32896, 14737632}));
    EXPECT_EQ(kWrittenLook, (FieldLook{-2147483640, 16777215}));
    Chain c(1, 0);
    EXPECT_EQ(RefreshConfigurationDisplay(c.ctx).writeButton, (WriteButtonLook{"WRITECONFIG", 804, 168, 81, 20, true}));
    c.write();
    EXPECT_EQ(RefreshConfigurationDisplay(c.ctx).writeButton, (WriteButtonLook{"WRITE CONFIG", 796, 168, 97, 20, false}));
    c.reg(1, 2) = "FF"; // another board's edit does not count
    EXPECT_FALSE(RefreshConfigurationDisplay(c.ctx).changed);
    c.board(0).vovCode = 40; // each threshold field by its own register
    const ConfigDisplay d = RefreshThresholds(c.ctx).config;
    EXPECT_EQ(d.vuvLook, kWrittenLook);
    EXPECT_EQ(d.vovLook, kPendingLook);
}

TEST(ReadBack, TextsWhileTheReadBackFlagIsSetAndDifferencesFromThePendingImageInRed)
{
    Chain c(1, 1);
    c.images.readBack[1] = {"E1", "00", "", "0", "zz", "CF"};
    EXPECT_EQ(ReadBackTexts(c.images, 1).texts[0], "");
    EXPECT_EQ(ReadBackTexts(c.images, 1).background, -2147483643);
    c.images.configReadBackFlag = 1;
    const ReadBackRow row = ReadBackTexts(c.images, 1);
    EXPECT_EQ(row.texts[0], "   E1   ");
    EXPECT_EQ(row.texts[5], "   CF   ");
    EXPECT_FALSE(row.background);
    // "", "0" and a garbled text all read as 0, which matches "00".
    const Colour w = -2147483643;
    EXPECT_EQ(ReadBackMarks(c.images, 1), (std::array<Colour, 6>{255, w, w, w, w, 255}));
}

TEST(DutyCycle, ArrowsWrapWithTheirRowsMirrorBitsAndTenCellsKept)
{
    Chain c;
    auto r = ClickCdcArrow(c.ctx, 0, "", "");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->cdc.numberText, "7");
    EXPECT_EQ(r->cdc.tableText, CdcTableText(7));
    EXPECT_FALSE(r->cdc.standby || r->cdc.frameVisible);
    EXPECT_EQ(c.reg(0, 0), "E7");
    r = ClickCdcArrow(c.ctx, 1, "", "");
    EXPECT_EQ(r->cdc.numberText, "0");
    EXPECT_TRUE(r->cdc.standby && r->cdc.frameVisible);
    EXPECT_EQ(c.reg(0, 0), "E0");
    EXPECT_FALSE(ClickCdcArrow(c.ctx, 2, "", ""));

    ChangeCfgr0Box(c.ctx, 3, true); // 10CELLS stays through every step
    for (int step = 1; step <= 8; ++step) {
        r = ClickCdcArrow(c.ctx, 1, "", "");
        const int cdc = step & 7;
        EXPECT_EQ(r->cdc.mirror, (std::array<bool, 3>{(cdc & 1) != 0, (cdc & 2) != 0, (cdc & 4) != 0})) << cdc;
        EXPECT_EQ(c.reg(0, 0), "E" + std::string(1, "89ABCDEF"[cdc])) << cdc;
        EXPECT_EQ(c.board(0).cfgr0Low, 8 | cdc) << cdc;
    }
    // The arrows propagate the current board's registers and store the box
    // values for every board again.
    Chain two(1, 0);
    two.board(0).vuvCode = 181;
    two.board(0).vovCode = 207;
    RefreshThresholds(two.ctx);
    ClickCdcArrow(two.ctx, 1, "3.600V ", "4.200V ");
    EXPECT_EQ(two.board(1).vuvCode, 181);
    EXPECT_EQ(two.reg(1, 4) + two.reg(1, 5), "B5CF");
}

TEST(DutyCycle, TableRowsAndTheStandbyNotice)
{
    EXPECT_EQ(CdcTableText(3), std::string(CdcTableRow(3).values) + std::string(CdcTableRow(3).notes));
    EXPECT_TRUE(CdcTableRow(0).notes.starts_with("|default StandbyMode |"));
    EXPECT_TRUE(CdcTableRow(2).notes.ends_with("(Cell Voltage)           |"));
    EXPECT_TRUE(CdcTableRow(3).notes.ends_with("(Cell Voltage)           |  "));
    EXPECT_EQ(CdcTableRow(4).notes, CdcTableRow(3).notes);
    EXPECT_EQ(CdcTableRow(7).notes, CdcTableRow(5).notes);
    EXPECT_NE(CdcTableRow(1).notes, CdcTableRow(2).notes);
    EXPECT_TRUE(CdcTableRow(4).values.starts_with("|              500mS "));
    EXPECT_TRUE(CdcTableRow(7).values.starts_with("|            2000mS"));
    const StandbyNotice n = StandbyNoticeLook();
    EXPECT_EQ(n.caption, "CDC=0-STANDBY MODE. CLICK UP/DOWN BUTTON TO SET CDC>0 THEN WRITE CONFIG FOR MEASURE MODE");
    EXPECT_EQ(n.fontSize, 9);
    EXPECT_EQ(n.back, 12648447);
    EXPECT_EQ(NoticeLabelAfter(0, false), NoticeLabel::ShowStandbyNotice);
    EXPECT_EQ(NoticeLabelAfter(0, true), NoticeLabel::ShowStandbyNotice);
    EXPECT_EQ(NoticeLabelAfter(3, false), NoticeLabel::Hide);
    EXPECT_EQ(NoticeLabelAfter(3, true), NoticeLabel::Keep) << "the keep-alive notice stays up";
}

TEST(StandbyDefaults, BoardsInUseReturnToDefaultsOthersKeepTheirs)
{
    Chain c(1, 1);
    for (int b = 0; b < 3; ++b) {
        c.board(b) = BoardConfig{.cdc = 5, .vuvCode = 100, .vovCode = 200};
        c.images.pending[static_cast<std::size_t>(b)] = {"FD", "5A", "5A", "5A", "64", "C8"};
    }
    const StandbyRefresh r = ApplyStandbyDefaults(c.ctx);
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(c.images.pending[static_cast<std::size_t>(b)], qm::protocol::DefaultConfiguration()) << b;
        EXPECT_EQ(c.board(b), BoardConfig{}) << b;
    }
    EXPECT_EQ(c.reg(2, 0) + c.reg(2, 3), "FD5A");
    EXPECT_EQ(c.board(2).vuvCode, 100);
    EXPECT_TRUE(r.cdc.standby);
    EXPECT_EQ(r.thresholds.vuvText, "-0.744V ");
    EXPECT_EQ(r.editors[0], BoxesFromByte(0xE0));
}

// Board 1 of three (current) has its own edits; the others hold the defaults,
// and board 3 lies beyond the chain.
TEST(Options, EachModeCombinationPropagatesItsOwnRegisters)
{
    const std::tuple<int, int, const char*> cases[] = {
        {0, 0, "E00000"}, {1, 0, "F30000"}, {0, 1, "E0B5C8"}, {1, 1, "F3B5C8"}};
    for (const auto& [cfgr0Mode, thresholdMode, copied] : cases) {
        Chain c(2, 1);
        c.state.globalCfgr0Mode = static_cast<std::int16_t>(cfgr0Mode);
        c.state.globalThresholdMode = static_cast<std::int16_t>(thresholdMode);
        c.images.pending[1] = {"F3", "11", "00", "00", "B5", "C8"};
        c.board(1).vuvCode = 181;
        Propagate(c.ctx);
        const std::string tag = std::to_string(cfgr0Mode) + "/" + std::to_string(thresholdMode);
        for (int b : {0, 2}) {
            EXPECT_EQ(c.reg(b, 0) + c.reg(b, 4) + c.reg(b, 5), copied) << tag << " board " << b;
            EXPECT_EQ(c.reg(b, 1), "00") << "discharge bits are never propagated";
            EXPECT_EQ(c.board(b).vuvCode, 0) << "codes are not copied, only registers";
        }
        EXPECT_EQ(c.board(0).cfgr0High, cfgr0Mode == 1 ? 0xF : 0xE) << tag;
        EXPECT_EQ(c.reg(3, 0) + c.reg(3, 4), "E000") << tag << " board beyond the last index";
    }
}

// What each option does to every board is tested with the session; here
// the cases it cannot reach.
TEST(Options, ButtonsStoreOnlyCheckedBoxValuesAndTheCdcAsTheirModeSays)
{
    Chain c(2, 1);
    EXPECT_FALSE(SelectCfgr0Option(c.ctx, kOptionCustom, "", "")); // only the mode changes
    EXPECT_EQ(c.state.globalCfgr0Mode, 0);
    EXPECT_FALSE(SelectCfgr0Option(c.ctx, 2, "", "")); // no such element
    EXPECT_EQ(c.state.cfgr0Option, kOptionCustom);
    // A box left holding a typed value that was never checked keeps the
    // stored code: 9 V would be VUV code 406.
    c.board(1).vuvCode = 100;
    c.board(1).vovCode = 200;
    ApplyOptionState(c.ctx, "9", "-5");
    EXPECT_EQ(c.board(1).vuvCode, 100);
    EXPECT_EQ(c.board(1).vovCode, 200);
    EXPECT_EQ(c.reg(1, 4) + c.reg(1, 5), "64C8");
    for (const auto option : {kOptionCustom, kOptionGlobal, kOptionNone}) {
        Chain d(2, 0);
        d.state.cfgr0Option = option;
        d.reg(0, 0) = "ED"; // 10CELLS and CDC 5
        ApplyOptionState(d.ctx, "", "");
        EXPECT_EQ(d.board(0).cdc, option == kOptionNone ? 0 : 5) << option;
        EXPECT_EQ(d.board(2).cdc, option == kOptionGlobal ? 5 : 0) << option;
        EXPECT_EQ(d.board(3).cdc, 0) << option;
    }
}

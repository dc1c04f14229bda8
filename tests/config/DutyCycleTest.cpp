#include <gtest/gtest.h>

#include <string>

#include "config/BitEditors.h"
#include "config/DutyCycle.h"
#include "config/OptionState.h"
#include "config/ConfigFixture.h"

using namespace qm::config;
using qm::config::testing::Chain;

namespace {
bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
bool EndsWith(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}
} // namespace

TEST(CdcArrows, WrapAroundWithTheMatchingRows)
{
    Chain c;
    auto r = ClickCdcArrow(c.ctx, 0, "", "");
    ASSERT_TRUE(r);
    EXPECT_EQ(c.board(0).cdc, 7);
    EXPECT_EQ(r->cdc.numberText, "7");
    EXPECT_TRUE(StartsWith(r->cdc.tableText, "|            2000mS"));
    EXPECT_FALSE(r->cdc.standby);
    EXPECT_FALSE(r->cdc.frameVisible);
    EXPECT_EQ(c.reg(0, 0), "E7");

    r = ClickCdcArrow(c.ctx, 1, "", "");
    ASSERT_TRUE(r);
    EXPECT_EQ(c.board(0).cdc, 0);
    EXPECT_EQ(r->cdc.numberText, "0");
    EXPECT_NE(r->cdc.tableText.find("|default StandbyMode |"), std::string::npos);
    EXPECT_TRUE(r->cdc.standby);
    EXPECT_TRUE(r->cdc.frameVisible);
    EXPECT_EQ(NoticeLabelAfter(r->cdc.cdc, false), NoticeLabel::ShowStandbyNotice);
    EXPECT_EQ(c.reg(0, 0), "E0");

    EXPECT_FALSE(ClickCdcArrow(c.ctx, 2, "", ""));
    EXPECT_EQ(c.board(0).cdc, 0);
}

TEST(CdcArrows, EveryValueSetsItsMirrorBitsAndKeepsTenCells)
{
    // With 10CELLS ticked, CDC 1 -> 2 takes CFGR0 from "E9" to "EA".
    Chain c;
    ChangeCfgr0Box(c.ctx, 3, true);
    for (int step = 1; step <= 8; ++step) {
        const auto r = ClickCdcArrow(c.ctx, 1, "", "");
        ASSERT_TRUE(r);
        const int cdc = step & 7;
        EXPECT_EQ(r->cdc.mirror, (std::array<bool, 3>{(cdc & 1) != 0, (cdc & 2) != 0, (cdc & 4) != 0})) << cdc;
        EXPECT_EQ(c.reg(0, 0), "E" + std::string(1, "89ABCDEF"[cdc])) << cdc;
        EXPECT_EQ(c.board(0).cfgr0Low, 8 | cdc) << cdc;
    }
}

TEST(CdcArrows, GlobalSetsEveryBoardInUseCustomOnlyTheCurrent)
{
    Chain global(2, 1);
    ClickCdcArrow(global.ctx, 1, "", "");
    for (int b = 0; b <= 2; ++b) {
        EXPECT_EQ(global.board(b).cdc, 1) << b;
        EXPECT_EQ(global.reg(b, 0), "E1") << b;
    }
    EXPECT_EQ(global.board(3).cdc, 0);
    EXPECT_EQ(global.reg(3, 0), "E0");

    Chain custom(2, 1);
    SelectCfgr0Option(custom.ctx, kOptionCustom, "", "");
    ClickCdcArrow(custom.ctx, 1, "", "");
    ClickCdcArrow(custom.ctx, 1, "", "");
    for (int b = 0; b <= 2; ++b) {
        EXPECT_EQ(custom.board(b).cdc, b == 1 ? 2 : 0) << b;
        EXPECT_EQ(custom.reg(b, 0), b == 1 ? "E2" : "E0") << b;
    }
}

TEST(CdcArrows, ThresholdsRideAlongFromTheBoxes)
{
    // The arrows apply the option state, which stores the box values again.
    Chain c(1, 0);
    c.board(0).vuvCode = 181;
    c.board(0).vovCode = 207;
    RefreshThresholds(c.ctx);
    const auto r = ClickCdcArrow(c.ctx, 1, "3.600V ", "4.200V ");
    ASSERT_TRUE(r);
    EXPECT_EQ(c.board(1).vuvCode, 181);
    EXPECT_EQ(c.board(1).vovCode, 207);
    EXPECT_EQ(c.reg(1, 4), "B5") << "propagated as registers in global mode";
    EXPECT_EQ(r->thresholds.vuvText, "3.600V ");
}

TEST(CdcTable, RowsKeepTheirExactBlanks)
{
    EXPECT_EQ(CdcTableText(3), std::string(CdcTableRow(3).values) + std::string(CdcTableRow(3).notes));
    EXPECT_TRUE(EndsWith(CdcTableRow(2).notes, "(Cell Voltage)           |"));
    EXPECT_TRUE(EndsWith(CdcTableRow(3).notes, "(Cell Voltage)           |  "));
    EXPECT_EQ(CdcTableRow(4).notes, CdcTableRow(3).notes);
    EXPECT_EQ(CdcTableRow(7).notes, CdcTableRow(5).notes);
    EXPECT_NE(CdcTableRow(1).notes, CdcTableRow(2).notes);
    EXPECT_TRUE(StartsWith(CdcTableRow(4).values, "|              500mS "));
}

TEST(StandbyNotice, LookAndWhenItShows)
{
    const StandbyNotice n = StandbyNoticeLook();
    EXPECT_EQ(n.caption,
              "CDC=0-STANDBY MODE. CLICK UP/DOWN BUTTON TO SET CDC>0 THEN WRITE CONFIG FOR MEASURE MODE");
    EXPECT_EQ(n.fontSize, 9);
    EXPECT_EQ(n.back, 12648447);
    EXPECT_EQ(NoticeLabelAfter(0, true), NoticeLabel::ShowStandbyNotice);
    EXPECT_EQ(NoticeLabelAfter(3, false), NoticeLabel::Hide);
    EXPECT_EQ(NoticeLabelAfter(3, true), NoticeLabel::Keep) << "the keep-alive notice stays up";
}

TEST(StandbyDefaults, BoardsInUseReturnToDefaultsOthersKeepTheirs)
{
    Chain c(1, 1);
    ChangeCfgr0Box(c.ctx, 3, true);
    for (int b = 0; b < 3; ++b) {
        c.board(b).cdc = 5;
        c.board(b).vuvCode = 100;
        c.board(b).vovCode = 200;
        c.reg(b, 0) = b < 2 ? "FD" : "F5";
        c.reg(b, 1) = c.reg(b, 2) = c.reg(b, 3) = "5A";
        c.reg(b, 4) = "64";
        c.reg(b, 5) = "C8";
    }
    const StandbyRefresh r = ApplyStandbyDefaults(c.ctx);
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(c.images.pending[static_cast<std::size_t>(b)], qm::protocol::DefaultConfiguration()) << b;
        EXPECT_EQ(c.board(b), BoardConfig{}) << b;
    }
    EXPECT_EQ(c.reg(2, 0), "F5");
    EXPECT_EQ(c.reg(2, 3), "5A");
    EXPECT_EQ(c.board(2).vuvCode, 100);
    EXPECT_TRUE(r.cdc.standby);
    EXPECT_EQ(r.thresholds.vuvText, "-0.744V ");
    EXPECT_EQ(r.editors[0], BoxesFromByte(0xE0));
}

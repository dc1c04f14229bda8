#include <gtest/gtest.h>

#include "config/OptionState.h"
#include "config/ConfigFixture.h"

using namespace qm::config;
using qm::config::testing::Chain;

namespace {
// Board 1 of three (current) gets its own edits; the others hold the
// defaults, and board 3 lies beyond the chain.
void Edit(Chain& c, int cfgr0Mode, int thresholdMode)
{
    c.state.globalCfgr0Mode = static_cast<std::int16_t>(cfgr0Mode);
    c.state.globalThresholdMode = static_cast<std::int16_t>(thresholdMode);
    c.reg(1, 0) = "F3";
    c.reg(1, 1) = "11";
    c.reg(1, 4) = "B5";
    c.reg(1, 5) = "C8";
    c.board(1).vuvCode = 181;
}
} // namespace

TEST(Propagate, EachModeCombinationCopiesItsOwnRegisters)
{
    struct Case {
        int cfgr0Mode, thresholdMode;
        const char *cfgr0, *cfgr4, *cfgr5;
    };
    const Case cases[] = {
        {0, 0, "E0", "00", "00"},
        {1, 0, "F3", "00", "00"},
        {0, 1, "E0", "B5", "C8"},
        {1, 1, "F3", "B5", "C8"},
    };
    for (const Case& k : cases) {
        Chain c(2, 1);
        Edit(c, k.cfgr0Mode, k.thresholdMode);
        Propagate(c.ctx);
        const std::string tag = std::to_string(k.cfgr0Mode) + "/" + std::to_string(k.thresholdMode);
        for (int b : {0, 2}) {
            EXPECT_EQ(c.reg(b, 0), k.cfgr0) << tag << " board " << b;
            EXPECT_EQ(c.reg(b, 4), k.cfgr4) << tag << " board " << b;
            EXPECT_EQ(c.reg(b, 5), k.cfgr5) << tag << " board " << b;
            EXPECT_EQ(c.reg(b, 1), "00") << "discharge bits are never propagated";
            EXPECT_EQ(c.board(b).vuvCode, 0) << "codes are not copied, only registers";
        }
        EXPECT_EQ(c.board(0).cfgr0High, k.cfgr0Mode == 1 ? 0xF : 0xE) << tag;
        EXPECT_EQ(c.reg(3, 0), "E0") << tag << " board beyond the last index";
        EXPECT_EQ(c.reg(3, 4), "00") << tag << " board beyond the last index";
    }
}

TEST(OptionButtons, CustomChangesOnlyTheMode)
{
    Chain c(2, 1);
    Edit(c, 1, 1);
    EXPECT_FALSE(SelectCfgr0Option(c.ctx, kOptionCustom, "3.600V ", "4.200V "));
    EXPECT_FALSE(SelectThresholdOption(c.ctx, kOptionCustom, "3.600V ", "4.200V "));
    EXPECT_EQ(c.state.globalCfgr0Mode, 0);
    EXPECT_EQ(c.state.globalThresholdMode, 0);
    EXPECT_EQ(c.state.cfgr0Option, kOptionCustom);
    EXPECT_EQ(c.state.thresholdOption, kOptionCustom);
    for (int b : {0, 2}) {
        EXPECT_EQ(c.reg(b, 0), "E0");
        EXPECT_EQ(c.reg(b, 4), "00");
        EXPECT_EQ(c.board(b).vuvCode, 0);
    }
    // An element that does not exist changes nothing at all.
    EXPECT_FALSE(SelectCfgr0Option(c.ctx, 2, "", ""));
    EXPECT_EQ(c.state.globalCfgr0Mode, 0);
}

TEST(OptionButtons, GlobalPropagatesAndStoresTheBoxValuesForEveryBoard)
{
    Chain c(2, 1);
    Edit(c, 0, 0);
    c.state.cfgr0Option = c.state.thresholdOption = kOptionCustom;
    ASSERT_TRUE(SelectThresholdOption(c.ctx, kOptionGlobal, "3.600V ", "4.200V "));
    for (int b = 0; b <= 2; ++b) {
        EXPECT_EQ(c.board(b).vuvCode, 181) << b;
        EXPECT_EQ(c.board(b).vovCode, 207) << b;
        EXPECT_EQ(c.reg(b, 0), b == 1 ? "F3" : "E0") << "CFGR0 mode still per board";
    }
    EXPECT_EQ(c.reg(1, 4), "B5");
    EXPECT_EQ(c.reg(1, 5), "CF");
    EXPECT_EQ(c.board(3).vuvCode, 0);

    const auto r = SelectCfgr0Option(c.ctx, kOptionGlobal, "3.600V ", "4.200V ");
    ASSERT_TRUE(r);
    for (int b = 0; b <= 2; ++b) {
        EXPECT_EQ(c.reg(b, 0), "F3") << b;
        EXPECT_EQ(c.board(b).cdc, 3) << b;
    }
    EXPECT_EQ(r->cdc.cdc, 3);
    EXPECT_EQ(c.reg(3, 0), "E0");
}

TEST(ApplyOptionState, BoxTextsOutsideTheirRangeKeepTheStoredCode)
{
    // A box left holding a typed value that was never checked must not
    // become a register: 9 V would be VUV code 406.
    Chain c;
    c.board(0).vuvCode = 100;
    c.board(0).vovCode = 200;
    ApplyOptionState(c.ctx, "9", "-5");
    EXPECT_EQ(c.board(0).vuvCode, 100);
    EXPECT_EQ(c.board(0).vovCode, 200);
    EXPECT_EQ(c.reg(0, 4), "64");
    EXPECT_EQ(c.reg(0, 5), "C8");
}

TEST(ApplyOptionState, CdcIsStoredAsTheCfgr0OptionSays)
{
    for (const auto option : {kOptionCustom, kOptionGlobal, kOptionNone}) {
        Chain c(2, 0);
        c.state.cfgr0Option = option;
        c.reg(0, 0) = "ED"; // 10CELLS and CDC 5
        ApplyOptionState(c.ctx, "", "");
        EXPECT_EQ(c.board(0).cdc, option == kOptionNone ? 0 : 5) << option;
        EXPECT_EQ(c.board(2).cdc, option == kOptionGlobal ? 5 : 0) << option;
        EXPECT_EQ(c.board(3).cdc, 0) << option;
    }
}

#include <gtest/gtest.h>

#include "config/BitEditors.h"
#include "config/ChangeIndication.h"
#include "config/DutyCycle.h"
#include "config/Thresholds.h"
#include "config/ConfigFixture.h"

using namespace qm::config;
using qm::config::testing::Chain;

TEST(ChangedIndication, NothingWrittenYetShowsEverythingPending)
{
    Chain c;
    EXPECT_EQ(c.state.configChanged, 1);
    const ConfigDisplay d = RefreshConfigurationDisplay(c.ctx);
    EXPECT_TRUE(d.changed);
    EXPECT_EQ(c.state.configChanged, 1);
    EXPECT_EQ(d.registerTexts[0], "   E0   ");
    EXPECT_EQ(d.registerTexts[5], "   00   ");
    EXPECT_EQ(d.registerLook, (FieldLook{32896, 14737632}));
    EXPECT_EQ(d.vuvLook, kPendingLook);
    EXPECT_EQ(d.writeButton, (WriteButtonLook{"WRITECONFIG", 804, 168, 81, 20, true}));
}

TEST(ChangedIndication, ReturningABoxToItsWrittenStateClearsTheLook)
{
    Chain c;
    c.write();
    ConfigDisplay d = RefreshConfigurationDisplay(c.ctx);
    EXPECT_FALSE(d.changed);
    EXPECT_EQ(d.registerLook, (FieldLook{-2147483640, 16777215}));
    EXPECT_EQ(d.writeButton, (WriteButtonLook{"WRITE CONFIG", 796, 168, 97, 20, false}));

    d = ChangeMaskBox(c.ctx, 7, true);
    EXPECT_TRUE(d.changed);
    EXPECT_EQ(c.state.configChanged, 1);
    EXPECT_EQ(d.registerTexts[3], "   04   ");
    d = ChangeDischargeBox(c.ctx, 2, true);
    d = ChangeMaskBox(c.ctx, 7, false);
    EXPECT_TRUE(d.changed) << "CFGR1 still differs";
    d = ChangeDischargeBox(c.ctx, 2, false);
    EXPECT_FALSE(d.changed);
    EXPECT_EQ(c.state.configChanged, 0);
}

TEST(ChangedIndication, OnlyTheCurrentBoardCounts)
{
    Chain c(1, 0);
    c.write();
    c.reg(1, 2) = "FF";
    EXPECT_FALSE(RefreshConfigurationDisplay(c.ctx).changed);
    c.ctx.currentBoard = 1;
    EXPECT_TRUE(RefreshConfigurationDisplay(c.ctx).changed);
}

TEST(ChangedIndication, FieldsAreMarkedByTheirOwnRegisters)
{
    Chain c;
    c.write();

    // A 10CELLS change alone marks the row but not the duty-cycle fields.
    ConfigDisplay d = ChangeCfgr0Box(c.ctx, 3, true);
    EXPECT_TRUE(d.changed);
    EXPECT_EQ(d.cdcLook, kWrittenLook);
    EXPECT_EQ(d.vuvLook, kWrittenLook);

    c.board(0).cdc = 1;
    d = RefreshCdcTable(c.ctx).config;
    EXPECT_EQ(d.cdcLook, kPendingLook);

    c.board(0).vovCode = 40;
    d = RefreshThresholds(c.ctx).config;
    EXPECT_EQ(d.vuvLook, kWrittenLook);
    EXPECT_EQ(d.vovLook, kPendingLook);
}

TEST(ReadBack, TextsOnlyWhileTheReadBackFlagIsSet)
{
    Chain c(1, 1);
    c.images.readBack[1] = {"E1", "00", "0F", "00", "B5", "CF"};
    ReadBackRow row = ReadBackTexts(c.images, 1);
    EXPECT_EQ(row.texts[0], "");
    EXPECT_EQ(row.background, -2147483643);

    c.images.configReadBackFlag = 1;
    row = ReadBackTexts(c.images, 1);
    EXPECT_EQ(row.texts[0], "   E1   ");
    EXPECT_EQ(row.texts[5], "   CF   ");
    EXPECT_FALSE(row.background);
}

TEST(ReadBack, DifferencesFromThePendingImageAreRed)
{
    Chain c;
    c.images.readBack[0] = {"E1", "00", "", "0", "zz", "00"};
    c.reg(0, 4) = "00";
    const auto marks = ReadBackMarks(c.images, 0);
    // "" and "0" and a garbled text all read as 0, which matches "00".
    const std::array<Colour, 6> expect{255, -2147483643, -2147483643, -2147483643, -2147483643, -2147483643};
    EXPECT_EQ(marks, expect);
}

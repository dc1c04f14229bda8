// The flag rule (the chips' own comparison), the thermal rule, clearing and
// the legend.
#include <gtest/gtest.h>

#include "RuleFixture.h"

namespace qm::presentation {
namespace {

using FlagRule = testing::RuleFixture;
using ThermalRule = testing::RuleFixture;
using Clearing = testing::RuleFixture;
using LegendSelection = testing::RuleFixture;

TEST_F(FlagRule, UnderAndOverBitsOfEachCellPosition)
{
    struct { const char *flgr0, *flgr1, *flgr2; int cell; std::int16_t code; } cases[] = {
        {"01", "00", "00", 1, kFlagUnder},   {"02", "00", "00", 1, kFlagOver},
        {"03", "00", "00", 1, kFlagOver},    // both bits: overvoltage wins
        {"FC", "FF", "FF", 1, kFlagInRange}, {"40", "00", "00", 4, kFlagUnder},
        {"00", "20", "00", 7, kFlagOver},    {"00", "00", "10", 11, kFlagUnder},
        {"00", "00", "C0", 12, kFlagOver},   {"0c", "00", "00", 2, kFlagOver},
        {"", "", "", 5, kFlagInRange},       {"1G", "00", "00", 1, kFlagUnder}, // hex prefix "1"
    };
    Valid(0, 0, 1);
    for (const auto& c : cases) {
        images.flagTexts[0] = {c.flgr0, c.flgr1, c.flgr2};
        Fill(0, kSoftInRange);
        ApplyFlagRule(images, state, 0, 0);
        EXPECT_EQ(Code(0, c.cell), c.code) << c.flgr0 << " " << c.flgr1 << " " << c.flgr2 << " cell " << c.cell;
    }
}

TEST_F(FlagRule, KeepsMaskDischargeAndThermalCodesAndTenCellReadsLeaveCells11And12)
{
    Valid(0, 0, 1);
    Valid(1, 0, 1);
    images.flagTexts[0] = {"FF", "FF", "FF"};
    const std::int16_t before[12] = {5, 2, 6, 7, 0, 1, 3, 4, 8, 9, 10, 5};
    const std::int16_t after[12] = {5, 2, 6, 7, 4, 4, 4, 4, 4, 4, 4, 5};
    for (int c = 1; c <= 12; ++c) Set(0, c, before[c - 1]);
    Fill(2, kSoftInRange);
    ApplyFlagRule(images, state, 1, 0);
    for (int c = 1; c <= 12; ++c) EXPECT_EQ(Code(0, c), after[c - 1]) << c;
    EXPECT_EQ(Code(2, 1), kSoftInRange); // beyond the last board

    images.flagTexts[0] = {"AA", "AA", "AA"};
    for (int group : {1, 5, 4}) { // 9-12 covers all of FLGR2
        Fill(0, kSoftInRange);
        ApplyFlagRule(images, state, 0, group);
        for (int c = 1; c <= 12; ++c)
            EXPECT_EQ(Code(0, c), (group == 4 || c <= 10) ? kFlagOver : kSoftInRange) << group << " " << c;
    }
}

TEST_F(FlagRule, BoardNotMeasuringOrWithAFailedReadIsNotShownGood)
{
    // Not measuring: every covered cell cleared, masked and thermal included.
    Valid(0, 0, 1, 0);
    images.flagTexts[0] = {"00", "00", "00"};
    Fill(0, kThermalShutdown);
    Set(0, 3, kMasked);
    ApplyFlagRule(images, state, 0, 1);
    for (int c = 1; c <= 10; ++c) EXPECT_EQ(Code(0, c), kNoReading) << c;
    EXPECT_EQ(Code(0, 11), kThermalShutdown);

    // A missing board answers zero bytes: flag texts "00", PEC failed, both
    // validity flags cleared. Its cells show no reading rather than "GOOD".
    Valid(0, 0, 0);
    Fill(0, kSoftInRange);
    Set(0, 5, kMasked);
    ApplyFlagRule(images, state, 0, 0);
    for (int c = 1; c <= 12; ++c) EXPECT_EQ(Code(0, c), c == 5 ? kMasked : kNoReading) << c;

    // After a good cell read the last flag read still counts: in the cycle
    // flag codes overwrite soft codes.
    Valid(0, 1, 0);
    images.flagTexts[0] = {"01", "00", "00"};
    Fill(0, kSoftInRange);
    ApplyFlagRule(images, state, 0, 0);
    EXPECT_EQ(Code(0, 1), kFlagUnder);
    EXPECT_EQ(Code(0, 2), kFlagInRange);
}

TEST_F(ThermalRule, ShutdownMarksTheBoardAndRecoveryAsksForTheReadBack)
{
    Valid(0, 1, 0);
    Valid(1, 1, 0);
    Fill(0, kSoftInRange);
    images.thermalBit[1] = 1;
    images.thermalBit[2] = 1; // beyond the last board

    auto outcome = ApplyThermalRule(images, state, 1);
    EXPECT_TRUE(outcome.repaint);
    EXPECT_FALSE(outcome.ReadBackNeeded());
    EXPECT_EQ(images.thermalMark[0], 0);
    EXPECT_EQ(images.thermalMark[1], 1);
    EXPECT_EQ(images.thermalMark[2], 0);
    for (int c = 1; c <= 12; ++c) {
        EXPECT_EQ(Code(0, c), kSoftInRange) << c;
        EXPECT_EQ(Code(1, c), kThermalShutdown) << c;
    }

    // The bit clears: the read-back is asked for after every read until the
    // marks are cleared.
    images.thermalBit[1] = 0;
    for (int read = 0; read < 2; ++read) {
        Fill(1, kThermalShutdown);
        outcome = ApplyThermalRule(images, state, 1);
        EXPECT_TRUE(outcome.repaint);
        EXPECT_EQ(outcome.boardsLeavingShutdown, 1);
        EXPECT_EQ(state.thermalReadBackMark, 1);
        for (int c = 1; c <= 12; ++c) EXPECT_EQ(Code(1, c), kNoReading) << c;
    }
    ClearThermalMarks(images, state, 1);
    EXPECT_EQ(state.thermalReadBackMark, 0);
    EXPECT_EQ(images.thermalMark[1], 0);
    EXPECT_FALSE(ApplyThermalRule(images, state, 1).repaint);
}

TEST_F(Clearing, CoversBoardsInUseOnly)
{
    for (int b = 0; b < 3; ++b) {
        Fill(b, kFlagOver);
        images.flagValid[b] = images.temperatureValid[b] = 1;
    }
    ClearCellStatusCodes(state, 1);
    ClearFlagDataValid(images, 1);
    ClearTemperatureDataValid(images, 1);
    EXPECT_EQ(Code(1, 12), kNoReading);
    EXPECT_EQ(Code(2, 1), kFlagOver);
    EXPECT_EQ(images.flagValid[1] + images.temperatureValid[1], 0);
    EXPECT_EQ(images.flagValid[2] + images.temperatureValid[2], 2);
}

TEST_F(LegendSelection, SoftOnlyForValidCellDataOutsideTheCycle)
{
    images.cellValid[3] = 1;
    EXPECT_EQ(SelectLegend(images, 3, false), Legend::Soft);
    EXPECT_EQ(SelectLegend(images, 3, true), Legend::Flag);
    EXPECT_EQ(SelectLegend(images, 2, false), Legend::Flag);
    EXPECT_EQ(SelectLegend(images, 12, false), Legend::Flag);
}

} // namespace
} // namespace qm::presentation

// The status rules on the register images: the flag rule (the chips' own
// comparison), the mask and discharge rule with the soft thresholds, the
// thermal rule, clearing and the legend.
#include <gtest/gtest.h>

#include "config/Thresholds.h"
#include "presentation/Conversions.h"
#include "presentation/StatusRules.h"
#include "protocol/RegisterImages.h"

namespace qm::presentation {
namespace {

// Register images and presentation state, with helpers that put a board into
// the state the reads leave it in.
class StatusRules : public ::testing::Test {
protected:
    protocol::RegisterImages images;
    PresentationState state;

    // A measuring board (read-back CDC non-zero) and the validity its last read left.
    void Valid(int board, std::int16_t cells, std::int16_t flags, std::int16_t measuring = 1)
    {
        images.configReadValid[board] = measuring;
        images.cellValid[board] = cells;
        images.flagValid[board] = flags;
    }
    void Measured(int board, int cell, unsigned code)
    {
        images.measured[protocol::RegisterImages::CellIndex(board, cell)] = protocol::CodeToVolts(code);
    }
    void Set(int board, int cell, std::int16_t code) { state.statusCode[PresentationState::StatusIndex(board, cell)] = code; }
    void Fill(int board, std::int16_t code)
    {
        for (int c = 1; c <= 12; ++c) Set(board, c, code);
    }
    std::int16_t Code(int board, int cell) const { return state.Code(board, cell); }
};

TEST_F(StatusRules, FlagRuleReadsTheUnderAndOverBitsOfEachCellPosition)
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

TEST_F(StatusRules, FlagRuleKeepsMaskDischargeAndThermalCodesAndTenCellReadsLeaveCells11And12)
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

TEST_F(StatusRules, FlagRuleShowsABoardNotMeasuringOrWithAFailedReadNotGood)
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

TEST_F(StatusRules, MaskAndDischargeBitsOfEveryRegisterRunAndValidityDecidesBetweenSoftKeptAndCleared)
{
    struct { const char *cfgr1, *cfgr2, *cfgr3; int cell; std::int16_t code; } cases[] = {
        {"01", "00", "00", 1, kDischarging},  {"80", "00", "00", 8, kDischarging},
        {"00", "01", "00", 9, kDischarging},  {"00", "08", "00", 12, kDischarging},
        {"00", "10", "00", 1, kMasked},       {"00", "80", "00", 4, kMasked},
        {"00", "00", "01", 5, kMasked},       {"00", "00", "80", 12, kMasked},
        {"01", "10", "00", 1, kMaskedDischarging},
        {"FE", "F7", "7F", 1, kMasked},       // neighbouring bits do not leak
        {"00", "00", "00", 1, kNoReading},
    };
    Valid(0, 0, 1); // flag data valid: the codes stand on their own
    for (const auto& c : cases) {
        images.written[0] = {"E1", c.cfgr1, c.cfgr2, c.cfgr3, "00", "00"};
        ApplyMaskAndDischargeRule(images, state, 0, 0);
        EXPECT_EQ(Code(0, c.cell), c.code) << c.cfgr1 << c.cfgr2 << c.cfgr3 << " cell " << c.cell;
    }

    // Validity decides between soft codes kept and cleared.
    struct { std::int16_t cells, flags, measuring; const char* cfgr1; std::int16_t code; } validity[] = {
        {1, 0, 1, "00", kSoftInRange}, {1, 0, 1, "01", kDischarging},
        {0, 1, 1, "01", kDischarging}, {0, 1, 1, "00", kNoReading},
        {0, 0, 1, "01", kNoReading},   // failed read: cleared, discharging or not
        {1, 0, 0, "01", kNoReading},   {0, 1, 0, "01", kNoReading}, // not measuring
    };
    Measured(0, 1, 512 + 2400); // 3.6 V
    images.pending[0] = {"E1", "01", "10", "00", "00", "FF"}; // not yet written: ignored
    for (const auto& c : validity) {
        Valid(0, c.cells, c.flags, c.measuring);
        images.written[0] = {"E1", c.cfgr1, "00", "00", "50", "E0"};
        ApplyMaskAndDischargeRule(images, state, 0, 0);
        EXPECT_EQ(Code(0, 1), c.code) << c.cells << c.flags << c.measuring << c.cfgr1;
    }
    // Empty or garbled written texts read as 0: VOV -0.768 V, so 3.6 V is over.
    for (const char* text : {"", "Z0"}) {
        Valid(0, 1, 0);
        images.written[0] = {text, text, text, text, text, text};
        ApplyMaskAndDischargeRule(images, state, 0, 0);
        EXPECT_EQ(Code(0, 1), kSoftOver) << text;
    }
}

// A cell exactly at a threshold is a violation; one code step inside is not.
TEST_F(StatusRules, SoftThresholdsAtExactEquality)
{
    for (int k = 31; k <= 253; ++k) { // VUV 254 is VOV 255's volts
        const unsigned atVuv = 512 + 16 * (k - 31);
        const auto vuv = static_cast<std::uint8_t>(k);
        ASSERT_EQ(protocol::CodeToVolts(atVuv), config::VuvCodeToVolts(vuv)) << k;
        EXPECT_EQ(SoftStatus(protocol::CodeToVolts(atVuv), vuv, 255), kSoftUnder) << k;
        EXPECT_EQ(SoftStatus(protocol::CodeToVolts(atVuv + 1), vuv, 255), kSoftInRange) << k;
    }
    for (int k = 32; k <= 255; ++k) {
        const unsigned atVov = 512 + 16 * (k - 32);
        const auto vov = static_cast<std::uint8_t>(k);
        EXPECT_EQ(SoftStatus(protocol::CodeToVolts(atVov), 0, vov), kSoftOver) << k;
        EXPECT_EQ(SoftStatus(protocol::CodeToVolts(atVov - 1), 0, vov), kSoftInRange) << k;
    }
    EXPECT_EQ(SoftStatus(3.0f, 156, 157), kSoftUnder); // at both: undervoltage first

    // Through the rule: written VUV 156 (3.000 V), VOV 158 (3.024 V).
    Valid(0, 1, 0);
    images.written[0] = {"E1", "00", "00", "00", "9C", "9E"};
    Measured(0, 1, 2512);
    Measured(0, 2, 2513);
    Measured(0, 3, 2528);
    ApplyMaskAndDischargeRule(images, state, 0, 0);
    EXPECT_EQ(Code(0, 1), kSoftUnder);
    EXPECT_EQ(Code(0, 2), kSoftInRange);
    EXPECT_EQ(Code(0, 3), kSoftOver);
}

TEST_F(StatusRules, MaskAndDischargeTouchOnlyTheGroupsCellsOfBoardsInUse)
{
    constexpr std::int16_t kUntouched = 99;
    struct { int group, first, last; } groups[] = {
        {0, 1, 12}, {1, 1, 10}, {2, 1, 4}, {3, 5, 8}, {4, 9, 12}, {5, 9, 10}};
    for (const auto& g : groups) {
        for (int b = 0; b < 3; ++b) {
            Fill(b, kUntouched);
            Valid(b, 0, 1);
            images.written[b] = {"E1", "FF", "0F", "00", "00", "00"}; // all discharging
        }
        ApplyMaskAndDischargeRule(images, state, 1, g.group);
        for (int b = 0; b < 3; ++b)
            for (int c = 1; c <= 12; ++c) {
                const bool covered = b <= 1 && c >= g.first && c <= g.last;
                EXPECT_EQ(Code(b, c), covered ? std::int16_t{kDischarging} : kUntouched)
                    << "group " << g.group << " board " << b << " cell " << c;
            }
    }
    // A board range past the chain is held to boards 0..9.
    ApplyMaskAndDischargeRule(images, state, 57, 0);
    EXPECT_EQ(Code(9, 12), kNoReading);
}

TEST_F(StatusRules, ThermalShutdownMarksTheBoardAndRecoveryAsksForTheReadBack)
{
    Valid(0, 1, 0);
    Valid(1, 1, 0);
    Fill(0, kSoftInRange);
    images.thermalBit[1] = 1;
    images.thermalBit[2] = 1; // beyond the last board
    auto outcome = ApplyThermalRule(images, state, 1);
    EXPECT_TRUE(outcome.repaint);
    EXPECT_FALSE(outcome.ReadBackNeeded());
    EXPECT_EQ((std::array{images.thermalMark[0], images.thermalMark[1], images.thermalMark[2]}),
              (std::array<std::int16_t, 3>{0, 1, 0}));
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
    EXPECT_EQ(state.thermalReadBackMark + images.thermalMark[1], 0);
    EXPECT_FALSE(ApplyThermalRule(images, state, 1).repaint);
}

TEST_F(StatusRules, ClearingCoversBoardsInUseOnlyAndTheSoftLegendNeedsValidCellDataOutsideTheCycle)
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

    images.cellValid[3] = 1;
    EXPECT_EQ(SelectLegend(images, 3, false), Legend::Soft);
    EXPECT_EQ(SelectLegend(images, 3, true), Legend::Flag);
    EXPECT_EQ(SelectLegend(images, 2, false), Legend::Flag);
    EXPECT_EQ(SelectLegend(images, 12, false), Legend::Flag);
}

} // namespace
} // namespace qm::presentation

#include <gtest/gtest.h>

#include "config/Thresholds.h"
#include "presentation/Conversions.h"
#include "RuleFixture.h"

namespace qm::presentation {
namespace {

using MaskDischargeRule = testing::RuleFixture;

TEST_F(MaskDischargeRule, DischargeAndMaskBitsOfEveryRegisterRun)
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
}

TEST_F(MaskDischargeRule, ValidityDecidesBetweenSoftKeptAndCleared)
{
    struct { std::int16_t cells, flags, measuring; const char* cfgr1; std::int16_t code; } cases[] = {
        {1, 0, 1, "00", kSoftInRange}, {1, 0, 1, "01", kDischarging},
        {0, 1, 1, "01", kDischarging}, {0, 1, 1, "00", kNoReading},
        {0, 0, 1, "01", kNoReading},   // failed read: cleared, discharging or not
        {1, 0, 0, "01", kNoReading},   {0, 1, 0, "01", kNoReading}, // not measuring
    };
    Measured(0, 1, 512 + 2400); // 3.6 V
    images.pending[0] = {"E1", "01", "10", "00", "00", "FF"}; // not yet written: ignored
    for (const auto& c : cases) {
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
TEST_F(MaskDischargeRule, SoftThresholdsAtExactEquality)
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

TEST_F(MaskDischargeRule, TouchesOnlyTheGroupsCellsOfBoardsInUse)
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

} // namespace
} // namespace qm::presentation

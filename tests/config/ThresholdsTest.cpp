#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "config/Thresholds.h"
#include "protocol/ByteText.h"
#include "config/ConfigFixture.h"

using namespace qm::config;
using qm::config::testing::Chain;

TEST(ThresholdConversions, CodeEndsAndRoundTripsOfEveryCode)
{
    EXPECT_FLOAT_EQ(VuvCodeToVolts(0), -0.744f);
    EXPECT_FLOAT_EQ(VuvCodeToVolts(255), 5.376f);
    EXPECT_FLOAT_EQ(VovCodeToVolts(0), -0.768f);
    EXPECT_FLOAT_EQ(VovCodeToVolts(255), 5.352f);
    // Every code survives the trip through its box text and back.
    for (int k = 0; k <= 255; ++k) {
        EXPECT_EQ(VuvCodeOfText(ThresholdText(VuvCodeToVolts(k))), k) << k;
        EXPECT_EQ(VovCodeOfText(ThresholdText(VovCodeToVolts(k))), k) << k;
    }
}

TEST(ThresholdConversions, RoundingIsHalfToEvenWithinAByte)
{
    const std::pair<float, int> cases[] = {
        {0.5f, 0},    {1.5f, 2},     {2.5f, 2},   {2.5001f, 3}, {114.333f, 114}, {180.99f, 181},
        {254.5f, 254}, {255.4f, 255}, {-0.4f, 0}, {-3.0f, 0},   {300.0f, 255},  {1e30f, 255},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(RoundHalfEven(in), out) << in;
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(RoundHalfEven(-std::numeric_limits<float>::infinity()), 0);
}

TEST(ThresholdTexts, NumericPrefixOfABoxText)
{
    const std::pair<const char*, float> cases[] = {
        {"3.600V ", 3.6f}, {"  -0.744V ", -0.744f}, {"", 0.0f},      {"Set VUV", 0.0f}, {"-", 0.0f},
        {".", 0.0f},       {"-.5", -0.5f},          {"1.2.3", 1.2f}, {"+2", 2.0f},      {"1e5", 1.0f},
        {"007", 7.0f},     {"5.", 5.0f},
    };
    for (const auto& [text, value] : cases) EXPECT_FLOAT_EQ(NumericPrefix(text), value) << '"' << text << '"';

    EXPECT_TRUE(std::isinf(NumericPrefix(std::string(60, '9'))));
    EXPECT_TRUE(std::isinf(NumericPrefix(std::string(400, '9'))));
    EXPECT_EQ(NumericPrefix("0." + std::string(400, '0') + "1"), 0.0f);
}

TEST(ThresholdTexts, VoltsShowThreeDecimalsAndTheSignBeforeTheDigits)
{
    const std::pair<float, const char*> cases[] = {{3.6f, "3.600V "},   {1.992f, "1.992V "}, {-0.744f, "-0.744V "},
                                                   {5.352f, "5.352V "}, {0.0f, "0.000V "},   {-0.0001f, "0.000V "},
                                                   {VuvCodeToVolts(31), "0.000V "}};
    for (const auto& [volts, text] : cases) EXPECT_EQ(ThresholdText(volts), text) << volts;
}

namespace {
struct EntryCase {
    const char* name;
    int vovCode;     // stored before the entry
    int box;         // box being left
    const char* vuv; // box texts at that moment
    const char* vov;
    const char* message; // nullptr when accepted
    int vuvAfter, vovAfter;
    const char* shownVuv;
    const char* shownVov;
};
} // namespace

TEST(ThresholdEntry, LeavingABoxChecksBothAndStoresOne)
{
    const EntryCase cases[] = {
        {"lowest VUV", 207, 0, "-0.744", "4.200V ", nullptr, 0, 207, "-0.744V ", "4.200V "},
        {"start values, 0 V", 0, 0, "0", "-0.768V ", "VUV must be less than VOV", 0, 0, "-0.744V ", "-0.768V "},
        {"highest VOV", 0, 1, "-0.744V ", "5.352", nullptr, 0, 255, "-0.744V ", "5.352V "},
        {"VOV too low", 0, 1, "-0.744V ", "-0.769", "Only Enter Values Between  -0.768V and 5.352V.", 0, 0,
         "-0.744V ", "-0.768V "},
        {"equal volts pass", 115, 0, "2.000", "2.000", nullptr, 114, 115, "1.992V ", "1.992V "},
        {"other box not stored", 0, 1, "2.000", "2.000", nullptr, 0, 115, "-0.744V ", "1.992V "},
        {"VUV above VOV", 115, 0, "2.1", "2.0", "VUV must be less than VOV", 0, 115, "-0.744V ", "1.992V "},
        {"empty VUV reads 0 V", 207, 0, "", "4.200V ", nullptr, 31, 207, "0.000V ", "4.200V "},
        {"VUV too high", 255, 0, "5.377", "5.352V ", "Only Enter Values Between -0.744V and 5.376V.", 0, 255,
         "-0.744V ", "5.352V "},
        {"VUV too low", 255, 0, "-0.745", "5.352V ", "Only Enter Values Between -0.744V and 5.376V.", 0, 255,
         "-0.744V ", "5.352V "},
        {"highest VUV", 255, 0, "5.376", "5.352V ", nullptr, 255, 255, "5.376V ", "5.352V "},
        {"VUV range first", 0, 1, "9", "9", "Only Enter Values Between -0.744V and 5.376V.", 0, 0, "-0.744V ",
         "-0.768V "},
        {"huge number", 0, 1, "-0.744V ", "99999999999999999999999999999999999999999999",
         "Only Enter Values Between  -0.768V and 5.352V.", 0, 0, "-0.744V ", "-0.768V "},
    };
    for (const EntryCase& k : cases) {
        Chain c;
        c.board(0).vovCode = k.vovCode;
        const EntryResult r = LeaveThresholdBox(c.ctx, k.box, k.vuv, k.vov);
        if (k.message) {
            ASSERT_TRUE(r.message) << k.name;
            EXPECT_EQ(*r.message, k.message) << k.name;
        } else {
            EXPECT_FALSE(r.message) << k.name << ": " << r.message.value_or("");
        }
        EXPECT_EQ(c.board(0).vuvCode, k.vuvAfter) << k.name;
        EXPECT_EQ(c.board(0).vovCode, k.vovAfter) << k.name;
        EXPECT_EQ(r.display.vuvText, k.shownVuv) << k.name;
        EXPECT_EQ(r.display.vovText, k.shownVov) << k.name;
        EXPECT_EQ(r.display.vuvZeroMarker, k.vuvAfter == 0) << k.name;
        EXPECT_EQ(c.reg(0, 4), qm::protocol::ByteText(static_cast<std::uint8_t>(k.vuvAfter))) << k.name;
    }
    Chain badBox; // neither box: nothing checked, nothing stored
    EXPECT_FALSE(LeaveThresholdBox(badBox.ctx, 2, "0", "4.2").message);
    EXPECT_EQ(badBox.board(0).vuvCode + badBox.board(0).vovCode, 0);
}

TEST(ThresholdKeys, FilterTrimsThenAcceptsOnlyWhatCanFormANumber)
{
    struct Case {
        const char* text;
        int caret;
        char32_t key;
        bool accepted;
        bool focus;
        const char* trimmed;
        int caretAfter;
    };
    const Case cases[] = {
        {"3.6", 3, 8, true, false, "3.6", 3},
        {"3.6", 3, 13, true, true, "3.6", 3},
        {"3.6", 3, U'.', false, false, "3.6", 3},
        {"36", 1, U'.', true, false, "36", 1},
        {"", 0, U'-', true, false, "", 0},
        {"3", 1, U'-', false, false, "3", 1},
        {"-3", 0, U'-', false, false, "-3", 0},
        {"  3 ", 2, U'-', true, false, "3", 0},
        {"  3 ", 3, U'-', false, false, "3", 1},
        {"  3 ", 9, U'7', true, false, "3", 1},
        {"3", 1, U'a', false, false, "3", 1},
        {"3", 1, U' ', false, false, "3", 1},
        {"3", 1, U'+', false, false, "3", 1},
        {"3", 1, U'\u0663', false, false, "3", 1}, // a digit of another script
        {"3", 1, 22, false, false, "3", 1},        // Ctrl+V
        {"   ", 1, U'5', true, false, "", 0},
    };
    for (const Case& k : cases) {
        const KeyDecision d = FilterThresholdKey(k.text, k.caret, k.key);
        const std::string tag = std::string("\"") + k.text + "\" key " + std::to_string(static_cast<unsigned>(k.key));
        EXPECT_EQ(d.accepted, k.accepted) << tag;
        EXPECT_EQ(d.focusWriteConfig, k.focus) << tag;
        EXPECT_EQ(d.text, k.trimmed) << tag;
        EXPECT_EQ(d.caret, k.caretAfter) << tag;
    }
}

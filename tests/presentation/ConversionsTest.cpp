#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "presentation/Conversions.h"

namespace qm::presentation {
namespace {

struct CodeTextCase {
    std::string text;
    float volts;
};

TEST(CodeTextToVolts, ReadsTheHexPrefixOfTheCodeText)
{
    const CodeTextCase cases[] = {
        {"000", -0.768f},
        {"200", 0.0f},
        {"FFF", 5.3745f},
        {"fff", 5.3745f},
        {"201", 0.0015f},
        {"5G5", static_cast<float>((5.0 - 512.0) * 0.0015)},  // garbled: stops at 'G'
        {"", -0.768f},                                         // never read
        {std::string("\0\0\0", 3), -0.768f},                   // missing board
        {"FFFF", 5.3745f},                                     // only three digits count
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(CodeTextToVolts(c.text), c.volts) << c.text;
}

TEST(ThresholdVolts, EndsOfBothCodeRanges)
{
    EXPECT_FLOAT_EQ(VuvVolts(0), -0.744f);
    EXPECT_FLOAT_EQ(VuvVolts(255), 5.376f);
    EXPECT_FLOAT_EQ(VovVolts(0), -0.768f);
    EXPECT_FLOAT_EQ(VovVolts(255), 5.352f);
}

TEST(ThresholdCodes, EveryCodeSurvivesTheRoundTripThroughVolts)
{
    for (int k = 0; k <= 255; ++k) {
        const auto code = static_cast<std::uint8_t>(k);
        EXPECT_EQ(VuvCodeFromVolts(VuvVolts(code)), code) << k;
        EXPECT_EQ(VovCodeFromVolts(VovVolts(code)), code) << k;
    }
}

TEST(ThresholdCodes, AcceptedRangeEndsAndEnteredValues)
{
    EXPECT_EQ(VuvCodeFromVolts(-0.744f), 0);
    EXPECT_EQ(VuvCodeFromVolts(5.376f), 255);
    EXPECT_EQ(VovCodeFromVolts(-0.768f), 0);
    EXPECT_EQ(VovCodeFromVolts(5.352f), 255);
    EXPECT_EQ(VuvCodeFromVolts(3.6f), 181);
    EXPECT_EQ(VuvCodeFromVolts(2.0f), 114);
    EXPECT_EQ(VovCodeFromVolts(4.2f), 207);
    EXPECT_EQ(VuvCodeFromVolts(0.0f), 31);
}

TEST(ThresholdCodes, HalfwayValuesRoundToTheEvenNeighbour)
{
    // 0.012 V is exactly half a step: VUV 31.5, VOV 32.5; -0.012 V: 30.5, 31.5.
    EXPECT_EQ(VuvCodeFromVolts(0.012), 32);
    EXPECT_EQ(VovCodeFromVolts(0.012), 32);
    EXPECT_EQ(VuvCodeFromVolts(-0.012), 30);
    EXPECT_EQ(VovCodeFromVolts(-0.012), 32);
}

TEST(RoundToCode, HalvesToEvenAndRefusesWhatIsNoByte)
{
    EXPECT_EQ(RoundToCode(2.5f), 2);
    EXPECT_EQ(RoundToCode(3.5f), 4);
    EXPECT_EQ(RoundToCode(3.4999f), 3);
    EXPECT_EQ(RoundToCode(-0.5f), 0);
    EXPECT_EQ(RoundToCode(254.5f), 254);
    EXPECT_EQ(RoundToCode(255.49f), 255);
    EXPECT_EQ(RoundToCode(255.5f), std::nullopt);
    EXPECT_EQ(RoundToCode(-0.51f), std::nullopt);
    EXPECT_EQ(RoundToCode(std::numeric_limits<float>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(RoundToCode(std::numeric_limits<float>::infinity()), std::nullopt);
    // Out of the accepted ranges: no code, rather than a wrapped one.
    EXPECT_EQ(VovCodeFromVolts(5.4), std::nullopt);
    EXPECT_EQ(VuvCodeFromVolts(-1.0), std::nullopt);
}

} // namespace
} // namespace qm::presentation

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "presentation/Conversions.h"

namespace qm::presentation {
namespace {

TEST(CodeTextToVolts, ReadsTheHexPrefixOfTheCodeText)
{
    const std::pair<std::string, float> cases[] = {
        {"000", -0.768f}, {"200", 0.0f}, {"FFF", 5.3745f}, {"fff", 5.3745f},
        {"5G5", static_cast<float>((5.0 - 512.0) * 0.0015)}, // garbled: stops at 'G'
        {"", -0.768f}, {std::string("\0\0\0", 3), -0.768f},  // never read, missing board
        {"FFFF", 5.3745f},                                   // only three digits count
    };
    for (const auto& [text, volts] : cases) EXPECT_FLOAT_EQ(CodeTextToVolts(text), volts) << text;
}

TEST(ThresholdCodes, RangeEndsAndRoundTripOfEveryCode)
{
    EXPECT_FLOAT_EQ(VuvVolts(0), -0.744f);
    EXPECT_FLOAT_EQ(VuvVolts(255), 5.376f);
    EXPECT_FLOAT_EQ(VovVolts(0), -0.768f);
    EXPECT_FLOAT_EQ(VovVolts(255), 5.352f);
    for (int k = 0; k <= 255; ++k) {
        const auto code = static_cast<std::uint8_t>(k);
        EXPECT_EQ(VuvCodeFromVolts(VuvVolts(code)), code) << k;
        EXPECT_EQ(VovCodeFromVolts(VovVolts(code)), code) << k;
    }
    // Entered values, held single precision as the threshold boxes hold them.
    EXPECT_EQ(VuvCodeFromVolts(3.6f), 181);
    EXPECT_EQ(VuvCodeFromVolts(2.0f), 114);
    EXPECT_EQ(VovCodeFromVolts(4.2f), 207);
}

TEST(ThresholdCodes, HalvesRoundToEvenAndNonBytesAreRefused)
{
    // 0.012 V is exactly half a step: VUV 31.5, VOV 32.5; -0.012 V: 30.5, 31.5.
    EXPECT_EQ(VuvCodeFromVolts(0.012), 32);
    EXPECT_EQ(VovCodeFromVolts(0.012), 32);
    EXPECT_EQ(VuvCodeFromVolts(-0.012), 30);
    EXPECT_EQ(VovCodeFromVolts(-0.012), 32);
    EXPECT_EQ(RoundToCode(-0.5f), 0);
    EXPECT_EQ(RoundToCode(254.5f), 254);
    EXPECT_EQ(RoundToCode(255.5f), std::nullopt);
    EXPECT_EQ(RoundToCode(-0.51f), std::nullopt);
    EXPECT_EQ(RoundToCode(std::numeric_limits<float>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(VovCodeFromVolts(5.4), std::nullopt); // no wrapped code
}

} // namespace
} // namespace qm::presentation

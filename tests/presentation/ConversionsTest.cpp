#include <gtest/gtest.h>

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

} // namespace
} // namespace qm::presentation

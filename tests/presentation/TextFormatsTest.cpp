// The texts of values, codes and flags, and code texts read back as volts.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "presentation/Conversions.h"
#include "presentation/TextFormats.h"
#include "protocol/RegisterImages.h"
#include "support/Invariants.h"

namespace qm::presentation {
namespace {

TEST(VoltFormats, SignTakesThePlaceOfTheLeadingBlank)
{
    struct { float volts; const char* cell; } cases[] = {
        {protocol::CodeToVolts(512), " 0.0000V  "},  {protocol::CodeToVolts(0), "-0.7680V  "},
        {protocol::CodeToVolts(511), "-0.0015V  "},  {protocol::CodeToVolts(4095), " 5.3745V  "},
        {protocol::CodeToVolts(2913), " 3.6015V  "}, {-0.00001f, " 0.0000V  "}, // never "-0.0000"
        {std::numeric_limits<float>::quiet_NaN(), " -.----V  "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatCellVolts(c.volts), c.cell) << c.volts;
        EXPECT_EQ(FormatTemperatureVolts(c.volts), std::string(c.cell).substr(0, 9)) << c.volts; // one blank less
    }
    EXPECT_EQ(FormatCellVolts(0.0f), kCellClearText);
    EXPECT_EQ(FormatTemperatureVolts(0.0f), kTemperatureClearText);
    for (unsigned code = 0; code <= 4095; ++code)
        ASSERT_EQ(FormatCellVolts(protocol::CodeToVolts(code)).size(), kCellClearText.size()) << code;
}

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

TEST(ChainTexts, CodeAndFlagFormsWithGarbledCharactersMadeVisible)
{
    EXPECT_EQ(CellCodeText("555"), "0x555 ");
    EXPECT_EQ(TemperatureCodeText("AAA"), " 0xAAA ");
    EXPECT_EQ(CellCodeText("FFFFF"), "0xFFF ");
    EXPECT_EQ(FlagDisplayText("0C"), "  0C   ");
    EXPECT_EQ(FlagDisplayText(""), "");
    EXPECT_EQ(CellCodeText(std::string("\0\0\0", 3)), "0x??? ");
    EXPECT_EQ(TemperatureCodeText("5\x01" "A"), " 0x5?A ");
    EXPECT_EQ(CellCodeText("\xFF\x80" "7"), "0x??7 ");
    EXPECT_EQ(FlagDisplayText(std::string("\0\x1B", 2)), "  ??   ");
    // Whatever characters the images hold, every board's texts, in range or
    // not, are printable and of their widths.
    protocol::RegisterImages images;
    for (std::size_t i = 0; i < images.codeText.size(); ++i)
        for (std::size_t k = 0; k < 3; ++k) images.codeText[i] += static_cast<char>((3 * i + k) % 256);
    for (auto& flags : images.flagTexts) flags = {std::string("\0\x1B", 2), "\xFF\x80", "Z~"};
    test::Report report;
    test::CheckDisplays(report, images, {});
    EXPECT_TRUE(report.Ok()) << report.Text();
}

} // namespace
} // namespace qm::presentation

// The PEC (CRC-8, polynomial 0x07, from 0x41) and the byte texts of the chain.
#include <gtest/gtest.h>

#include <vector>

#include "protocol/ByteText.h"
#include "protocol/Pec.h"

using namespace qm::protocol;
using namespace std::string_literals;

TEST(Pec, TableInitialValueAndTheCommandsPecs)
{
    const auto& t = PecTable();
    EXPECT_EQ(std::vector<std::uint8_t>(t.begin(), t.begin() + 7),
              (std::vector<std::uint8_t>{0x00, 0x07, 0x0E, 0x09, 0x1C, 0x1B, 0x12}));
    EXPECT_EQ(std::vector<std::uint8_t>(t.end() - 4, t.end()), (std::vector<std::uint8_t>{0xFA, 0xFD, 0xF4, 0xF3}));
    // A sequence starts from 0x41: six zero bytes still move it.
    EXPECT_EQ(PecOfBytes(std::vector<std::uint8_t>(6, 0)), 0x5F);
    EXPECT_EQ(PecOfBytes({}), 0x41);
    EXPECT_EQ(ByteText(PecOfBytes(std::vector<std::uint8_t>{0xE0, 0, 0, 0, 0, 0})), "FE"); // the default configuration
    const std::vector<std::pair<const char*, const char*>> commands{
        {"01", "C7"}, {"02", "CE"}, {"04", "DC"}, {"06", "D2"}, {"08", "F8"}, {"0A", "F6"}, {"0C", "E4"}, {"0E", "EA"},
        {"10", "B0"}, {"20", "20"}, {"30", "50"}, {"40", "07"}, {"50", "77"}, {"52", "79"}, {"54", "6B"}, {"60", "E7"},
        {"70", "97"},
    };
    for (const auto& [cmd, pec] : commands) EXPECT_EQ(CommandPec(cmd), pec) << cmd;
    EXPECT_EQ(CommandPec("zz"), CommandPec("00")); // a text that is not hex enters as 0
}

TEST(ByteText, TwoUpperCaseDigitsAndPrefixReading)
{
    EXPECT_EQ(ByteText(0x0C), "0C");
    EXPECT_EQ(HexNoPad(0x0E), "E");
    EXPECT_EQ(HexNoPad(0), "0");
    EXPECT_EQ(CodeText(0x00A), "00A");
    const std::pair<std::string, int> texts[] = {{"4\0"s, 4}, {"\0\0"s, 0}, {"ff", 255}, {"FF", 255},
                                                 {"G1", 0},   {"1G", 1},    {"", 0}};
    for (const auto& [text, value] : texts) EXPECT_EQ(ByteFromText(text), value) << text;
    EXPECT_EQ(HexPrefixValue("5A5x"), 0x5A5u);
}

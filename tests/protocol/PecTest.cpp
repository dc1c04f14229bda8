#include <gtest/gtest.h>

#include <vector>

#include "protocol/ByteText.h"
#include "protocol/Frames.h"
#include "protocol/Pec.h"

using namespace qm::protocol;

TEST(Pec, TableStartsAndEndsWithTheCrcOfSingleBytes)
{
    const auto& t = PecTable();
    const std::vector<std::uint8_t> first{0x00, 0x07, 0x0E, 0x09, 0x1C, 0x1B, 0x12};
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(t[i], first[i]) << i;
    EXPECT_EQ(t[252], 0xFA);
    EXPECT_EQ(t[253], 0xFD);
    EXPECT_EQ(t[254], 0xF4);
    EXPECT_EQ(t[255], 0xF3);
}

TEST(Pec, EveryCommandTravelsWithItsPec)
{
    const std::vector<std::pair<const char*, const char*>> cases{
        {"01", "C7"}, {"02", "CE"}, {"04", "DC"}, {"06", "D2"}, {"08", "F8"}, {"0A", "F6"},
        {"0C", "E4"}, {"0E", "EA"}, {"10", "B0"}, {"20", "20"}, {"30", "50"}, {"40", "07"},
        {"50", "77"}, {"52", "79"}, {"54", "6B"}, {"60", "E7"}, {"70", "97"},
    };
    for (const auto& [cmd, pec] : cases) EXPECT_EQ(CommandPec(cmd), pec) << cmd;
    // Worked examples: WRCFG is table[0x40], RDDGNR table[0x15].
    EXPECT_EQ(PecTable()[0x40], 0xC7);
    EXPECT_EQ(PecTable()[0x15], 0x6B);
}

TEST(Pec, SequencesStartFromTheInitialValue)
{
    const std::vector<std::uint8_t> zeros(6, 0);
    const std::uint8_t p = PecOfBytes(zeros);
    EXPECT_NE(p, 0x41); // six zero bytes still move the register
    std::uint8_t expect = 0x41;
    for (int i = 0; i < 6; ++i) expect = PecTable()[expect];
    EXPECT_EQ(p, expect);
    EXPECT_EQ(PecOfBytes({}), 0x41);
    // Default board configuration E0 00 00 00 00 00 carries PEC FE.
    const std::vector<std::uint8_t> def{0xE0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ByteText(PecOfBytes(def)), "FE");
    // A command text that is not hex reads as 0 and enters the PEC as 0.
    EXPECT_EQ(CommandPec("zz"), CommandPec("00"));
}

TEST(ByteText, TwoUpperCaseDigitsAndPrefixReading)
{
    EXPECT_EQ(ByteText(0x0C), "0C");
    EXPECT_EQ(ByteText(0xE0), "E0");
    EXPECT_EQ(HexNoPad(0x0E), "E");
    EXPECT_EQ(HexNoPad(0), "0");
    EXPECT_EQ(CodeText(0x555), "555");
    EXPECT_EQ(CodeText(0x00A), "00A");

    using namespace std::string_literals;
    EXPECT_EQ(ByteFromText("4\0"s), 4);
    EXPECT_EQ(ByteFromText("\0\0"s), 0);
    EXPECT_EQ(ByteFromText("ff"), 255);
    EXPECT_EQ(ByteFromText("FF"), 255);
    EXPECT_EQ(ByteFromText("G1"), 0);
    EXPECT_EQ(ByteFromText("1G"), 1);
    EXPECT_EQ(ByteFromText(""), 0);
    EXPECT_EQ(HexPrefixValue("5A5x"), 0x5A5u);
}

TEST(Frames, TextsOfTheCommandLanguage)
{
    EXPECT_EQ(SendFrame("10"), "MSxS10SB0X");
    EXPECT_EQ(SendFrame("30"), "MSxS30S50X");
    EXPECT_EQ(SendFrame("40"), "MSxS40S07X");
    EXPECT_EQ(SendFrame("52"), "MSxS52S79X");
    EXPECT_EQ(PollFrame("50"), "MSxS50S77");
    EXPECT_EQ(ReadFrame("02", 6, 2), "MSxT02TCE" "RRRRRRR" "RRRRRRR" "X");
    EXPECT_EQ(ReadReplyLength(6, 2), 32);
    EXPECT_EQ(ReadReplyLength(6, 1), 18);
    EXPECT_EQ(ReadReplyLength(18, 10), 384);
    EXPECT_EQ(ReadReplyLength(2, 10), 64);
}

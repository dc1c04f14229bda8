// The configuration file: exact round trips, a file of human fields only,
// the agreement of both forms, and refusals that name the field and the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "config/ConfigFile.h"
#include "protocol/ByteText.h"

namespace qm::config {
namespace {

using protocol::ByteText;
using Regs = protocol::ConfigRegisters;

std::string Written(const StackConfiguration& stack)
{
    const auto write = WriteConfigText(stack);
    EXPECT_TRUE(write.text) << DescribeConfigFileError(write.error);
    return write.text.value_or("");
}

// The line of the first occurrence of marker.
int LineOf(const std::string& text, const std::string& marker)
{
    const auto at = text.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

std::string WithoutRegisters(const std::string& text)
{
    auto doc = nlohmann::ordered_json::parse(text);
    for (auto& board : doc["boards"]) board.erase("registers");
    return doc.dump(2);
}

TEST(ConfigFileTest, WrittenFilesReadBackExactlyAndTheirHumanFieldsAloneGiveTheSameRegisters)
{
    for (int v = 1; v < 255; ++v) {
        SCOPED_TRACE("v " + std::to_string(v));
        const auto b = [](int x) { return ByteText(static_cast<std::uint8_t>(x)); };
        // Every register value in every place; thresholds from code 0 to 255.
        const StackConfiguration stack{{Regs{b(v), b(255 - v), b(v ^ 0x5A), b(v * 3), b(v - 1), "FF"},
                                        Regs{b(v * 5), b(v), b(~v), b(v + 7), "00", b(v + 1)}}};
        const std::string text = Written(stack);
        const auto read = ReadConfigText(text);
        ASSERT_TRUE(read.configuration) << DescribeConfigFileError(read.error);
        EXPECT_EQ(*read.configuration, stack);
        EXPECT_EQ(Written(*read.configuration), text);

        const auto human = ReadConfigText(WithoutRegisters(text));
        ASSERT_TRUE(human.configuration) << DescribeConfigFileError(human.error);
        EXPECT_EQ(*human.configuration, stack);
    }
}

// Human fields alone, and beside registers with which they agree.
TEST(ConfigFileTest, HumanFieldsBecomeRegistersAsTheThresholdEntryStoresThem)
{
    const auto read = ReadConfigText(R"({"format": "qm7410-configuration", "version": 1, "boards": [
        {"vuvVolts": 3.6, "vovVolts": 4.2, "cdc": 2, "tenCells": true, "dischargeCells": [9, 1], "maskedCells": [12, 1, 5]},
        {"vuvVolts": 2.0, "vovVolts": 2, "cdc": 7, "wdtb": false, "lvlpl": true},
        {"registers": {"CFGR0": "e1", "CFGR1": "03", "CFGR2": "00", "CFGR3": "00", "CFGR4": "00", "CFGR5": "00"},
         "cdc": 1, "dischargeCells": [2, 1], "vovVolts": -0.768}]})");
    ASSERT_TRUE(read.configuration) << DescribeConfigFileError(read.error);
    EXPECT_EQ(read.configuration->boards, (std::vector<Regs>{{"EA", "01", "11", "81", "B5", "CF"},
                                                             {"77", "00", "00", "00", "72", "73"},
                                                             {"E1", "03", "00", "00", "00", "00"}}));
}

const std::string kBase = "{\n"
                          "  \"format\": \"qm7410-configuration\",\n"
                          "  \"version\": 1,\n"
                          "  \"boards\": [\n"
                          "    {\n"
                          "      \"vuvVolts\": 3.0,\n"
                          "      \"vovVolts\": 4.2,\n"
                          "      \"cdc\": 2\n"
                          "    }\n"
                          "  ]\n"
                          "}\n";

struct Bad {
    std::string from, to; // kBase with from replaced by to
    std::string lineOf;   // the error's line holds this text
    std::string field, words;
};

// Nine more boards after the first.
const std::string kNine = [] {
    std::string nine;
    for (int b = 0; b < 9; ++b) nine += ",\n    {\"vuvVolts\": 1, \"vovVolts\": 2, \"cdc\": 0}";
    return nine;
}();
const std::string kCdc = "\"cdc\": 2";
const std::string kRegisters = R"("registers": {"CFGR0": "E2", "CFGR1": "00", "CFGR2": "00", "CFGR3": "00", )";
const std::string kAgreeing = kRegisters + R"("CFGR4": "9C", "CFGR5": "CF"})";

// Each class of bad input, with LF and with CRLF line ends.
TEST(ConfigFileTest, RefusalsNameTheFieldAndTheLine)
{
    const Bad cases[] = {
        {"\"cdc\": 2\n", "\"cdc\": 2,,\n", "2,,", "boards[0].cdc", "not valid JSON"},
        {"  ]\n}\n", "", "    }", "boards", "not valid JSON"}, {kBase, "[1, 2]", "[1", "", "one JSON object"},
        {"\"version\": 1,\n", "", "{", "version", "missing"},
        {"\"version\": 1", "\"version\": 2", "version", "version", "version"},
        {"qm7410-configuration", "qm7411", "format", "format", "is not"},
        {kCdc, kCdc + ", \"cdc\": 3", "\"cdc\": 3", "boards[0].cdc", "more than once"},
        {kCdc, "\"colour\": 2", "colour", "boards[0].colour", "not a field"},
        {"\"vuvVolts\": 3.0,\n", "", "    {", "boards[0].vuvVolts", "missing"},
        {"3.0", "5.4", "5.4", "boards[0].vuvVolts", "outside -0.744 V to 5.376 V"},
        {"4.2", "-0.77", "-0.77", "boards[0].vovVolts", "outside -0.768 V to 5.352 V"},
        {"3.0", "\"3\"", "\"3\"", "boards[0].vuvVolts", "not a number"},
        {"3.0", "4.3", "4.3", "boards[0].vuvVolts", "VUV must be less than VOV"},
        {kCdc, kCdc + ".0", "cdc", "boards[0].cdc", "0 to 7"},
        {kCdc, kCdc + ",\n \"tenCells\": 1", "tenCells", "boards[0].tenCells", "true or false"},
        {kCdc, kCdc + ", \"dischargeCells\": [1,\n 13\n]", "13", "boards[0].dischargeCells[1]", "1 to 12"},
        {kCdc, kCdc + ", \"maskedCells\": [4, 4]", "[4", "boards[0].maskedCells[1]", "twice"},
        {kCdc, kCdc + ", \"maskedCells\": 4", "maskedCells", "boards[0].maskedCells", "list"},
        {kCdc, kCdc + ",\n" + kRegisters + "\"CFGR4\": \"9C\", \"CFGR5\": \"1G0\"}", "CFGR5",
            "boards[0].registers.CFGR5", "two hex digits"},
        {kCdc, "\"cdc\": 3,\n" + kAgreeing, "cdc", "boards[0].cdc", "3 does not agree with CFGR0 E2, which gives 2"},
        {kCdc, kCdc + ",\n" + kRegisters + "\"CFGR4\": \"9D\", \"CFGR5\": \"CF\"}", "vuvVolts", "boards[0].vuvVolts",
            "3.0 V does not agree with CFGR4 9D, which gives 3.024 V"},
        {kCdc, kCdc + ",\n" + kAgreeing + ",\n\"maskedCells\": [1]", "maskedCells", "boards[0].maskedCells",
            "[1] does not agree with CFGR1 to CFGR3, which give []"},
        {kCdc, kCdc + ",\n\"tenCells\": true," + kAgreeing, "tenCells", "boards[0].tenCells", "true does not agree"},
        {kCdc, kCdc + ",\n" + kRegisters + "\"CFGR4\": \"9C\"}", "CFGR0", "boards[0].registers.CFGR5", "missing"},
        {kCdc, kCdc + ",\n" + kRegisters + "\"CFGR4\": \"D0\", \"CFGR5\": \"CF\"}", "CFGR4",
            "boards[0].registers.CFGR4", "VUV must be less than VOV"},
        {"    {\n      \"vuvVolts\": 3.0,\n      \"vovVolts\": 4.2,\n      \"cdc\": 2\n    }\n", "", "[", "boards",
            "1 to 10"},
        {"2\n", "2\n" + std::string(40, '['), "[[", "boards[0].cdc", "not valid JSON"},
        {"    }\n", "    }" + kNine + ",\n{\"cdc\": 10}\n", "10}", "boards[10]", "more than 10 boards"}};
    for (const Bad& bad : cases) {
        std::string text = kBase;
        text.replace(text.find(bad.from), bad.from.size(), bad.to);
        for (const bool crlf : {false, true}) {
            std::string input = text;
            for (std::size_t at = 0; crlf && (at = input.find('\n', at)) != std::string::npos; at += 2)
                input.insert(at, "\r");
            const auto read = ReadConfigText(input);
            ASSERT_FALSE(read.configuration) << input;
            EXPECT_EQ(read.error.line, LineOf(text, bad.lineOf)) << DescribeConfigFileError(read.error);
            EXPECT_EQ(read.error.field, bad.field) << DescribeConfigFileError(read.error);
            EXPECT_NE(read.error.message.find(bad.words), std::string::npos) << read.error.message;
        }
    }
}

TEST(ConfigFileTest, DeepNestingIsRefusedAndNoInputThrows)
{
    EXPECT_EQ(ReadConfigText(std::string(100000, '[')).error.message.find("nested too deep"), 0u);
    EXPECT_EQ(ReadConfigText("").error.line, 1);
    // Every cut and every single-character change of a file: refused with a
    // line of the text, or read; never thrown.
    const std::string two = Written({{Regs{"EA", "01", "11", "81", "B5", "CF"}, protocol::DefaultConfiguration()}});
    const int lines = LineOf(two + "$", "$");
    for (std::size_t at = 0; at < two.size(); ++at) {
        for (const std::string& input :
             {two.substr(0, at), std::string(two).replace(at, 1, 1, '"'), std::string(two).replace(at, 1, 1, '7'),
              std::string(two).replace(at, 1, 1, '\xC3')}) {
            ConfigFileRead read;
            ASSERT_NO_THROW(read = ReadConfigText(input));
            EXPECT_TRUE(read.configuration || (read.error.line >= 1 && read.error.line <= lines)) << input;
        }
    }
}

TEST(ConfigFileTest, FilesAreReadByPathAndUnsavableConfigurationsAreRefused)
{
    const auto path = std::filesystem::temp_directory_path() / ("qm-config-" + std::to_string(::getpid()) + ".json");
    const StackConfiguration stack{{Regs{"EA", "01", "11", "81", "B5", "CF"}}};
    std::ofstream(path) << Written(stack);
    EXPECT_EQ(ReadConfigFile(path).configuration, stack);
    std::filesystem::remove(path);
    const auto missing = ReadConfigFile(path);
    EXPECT_EQ(missing.error.message.find(path.string() + ": No such file"), 0u) << missing.error.message;
    EXPECT_FALSE(ReadConfigFile(path.parent_path()).configuration);

    EXPECT_EQ(WriteConfigText({}).error.field, "boards");
    EXPECT_EQ(WriteConfigText({{stack.boards[0], Regs{"E0", "00", "G0", "00", "00", "00"}}}).error.field,
              "boards[1].registers.CFGR2");
    EXPECT_EQ(WriteConfigText({{Regs{"E0", "00", "00", "00", "01", "00"}}}).error.field, "boards[0].registers.CFGR4");
}

} // namespace
} // namespace qm::config

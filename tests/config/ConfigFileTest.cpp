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
    // Register texts in lower case are read, and saved, in upper case.
    const StackConfiguration upper{{Regs{"E3", "0A", "00", "00", "9C", "CF"}}};
    std::string text = Written({{Regs{"e3", "0a", "00", "00", "9c", "cf"}}});
    EXPECT_EQ(text, Written(upper));
    EXPECT_EQ(ReadConfigText(text.replace(text.find("\"E3\""), 4, "\"e3\"")).configuration, upper);
}

TEST(ConfigFileTest, HumanFieldsBecomeRegistersAsTheThresholdEntryStoresThem)
{
    const auto read = ReadConfigText(R"({"format": "qm7410-configuration", "version": 1, "boards": [
        {"vuvVolts": 3.6, "vovVolts": 4.2, "cdc": 2, "tenCells": true, "dischargeCells": [9, 1], "maskedCells": [12, 1, 5]},
        {"vuvVolts": 2.0, "vovVolts": 2, "cdc": 7, "wdtb": false, "lvlpl": true},
        {"registers": {"CFGR0": "E1", "CFGR1": "00", "CFGR2": "00", "CFGR3": "00", "CFGR4": "00", "CFGR5": "00"}}]})");
    ASSERT_TRUE(read.configuration) << DescribeConfigFileError(read.error);
    EXPECT_EQ(read.configuration->boards, (std::vector<Regs>{{"EA", "01", "11", "81", "B5", "CF"},
                                                             {"77", "00", "00", "00", "72", "73"},
                                                             {"E1", "00", "00", "00", "00", "00"}}));
}

TEST(ConfigFileTest, HumanFieldsGivenBesideRegistersMustAgreeWithThem)
{
    const std::string text = Written({{Regs{"EA", "01", "11", "81", "B5", "CF"}, protocol::DefaultConfiguration()}});
    EXPECT_TRUE(ReadConfigText(text).configuration);
    auto changed = text;
    EXPECT_TRUE(ReadConfigText(changed.replace(changed.find("[1, 9]"), 6, "[9, 1]")).configuration);
    struct Change {
        std::string from, to, field;
    };
    for (const Change& c : {Change{"\"vuvVolts\": 3.6", "\"vuvVolts\": 3.61", "boards[0].vuvVolts"},
                            Change{"\"cdc\": 2", "\"cdc\": 3", "boards[0].cdc"},
                            Change{"\"tenCells\": true", "\"tenCells\": false", "boards[0].tenCells"},
                            Change{"\"maskedCells\": [1, 5, 12]", "\"maskedCells\": [1, 5]", "boards[0].maskedCells"},
                            Change{"\"vovVolts\": -0.768", "\"vovVolts\": -0.744", "boards[1].vovVolts"}}) {
        changed = text;
        changed.replace(changed.find(c.from), c.from.size(), c.to);
        const auto read = ReadConfigText(changed);
        EXPECT_FALSE(read.configuration) << c.to;
        EXPECT_EQ(read.error.field, c.field);
        EXPECT_EQ(read.error.line, LineOf(changed, c.to)) << DescribeConfigFileError(read.error);
        EXPECT_NE(read.error.message.find("does not agree"), std::string::npos) << read.error.message;
    }
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
    friend void PrintTo(const Bad& bad, std::ostream* os) { *os << bad.to; }
};

class ConfigFileRefusalTest : public ::testing::TestWithParam<Bad> {};

TEST_P(ConfigFileRefusalTest, NamesTheFieldAndTheLine)
{
    const Bad& bad = GetParam();
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

const std::string kRegisters = R"("registers": {"CFGR0": "E2", "CFGR1": "00", "CFGR2": "00", "CFGR3": "00", )";

INSTANTIATE_TEST_SUITE_P(
    EachClassOfBadInput, ConfigFileRefusalTest,
    ::testing::Values(
        Bad{"\"cdc\": 2\n", "\"cdc\": 2,,\n", "2,,", "boards[0].cdc", "not valid JSON"},
        Bad{"  ]\n}\n", "", "    }", "boards", "not valid JSON"}, Bad{kBase, "[1, 2]", "[1", "", "one JSON object"},
        Bad{"\"version\": 1,\n", "", "{", "version", "missing"},
        Bad{"\"version\": 1", "\"version\": 1,\n  \"colour\": 1", "colour", "colour", "not a field"},
        Bad{"\"version\": 1", "\"version\": 2", "version", "version", "version"},
        Bad{"qm7410-configuration", "qm7411", "format", "format", "is not"},
        Bad{"\"cdc\": 2", "\"cdc\": 2, \"cdc\": 3", "\"cdc\": 3", "boards[0].cdc", "more than once"},
        Bad{"\"cdc\": 2", "\"colour\": 2", "colour", "boards[0].colour", "not a field"},
        Bad{"\"vuvVolts\": 3.0,\n", "", "    {", "boards[0].vuvVolts", "missing"},
        Bad{"3.0", "5.4", "5.4", "boards[0].vuvVolts", "outside -0.744 V to 5.376 V"},
        Bad{"4.2", "-0.77", "-0.77", "boards[0].vovVolts", "outside -0.768 V to 5.352 V"},
        Bad{"3.0", "\"3\"", "\"3\"", "boards[0].vuvVolts", "not a number"},
        Bad{"3.0", "4.3", "4.3", "boards[0].vuvVolts", "VUV must be less than VOV"},
        Bad{"\"cdc\": 2", "\"cdc\": 8", "cdc", "boards[0].cdc", "0 to 7"},
        Bad{"\"cdc\": 2", "\"cdc\": 2.0", "cdc", "boards[0].cdc", "0 to 7"},
        Bad{"\"cdc\": 2", "\"cdc\": -1", "cdc", "boards[0].cdc", "0 to 7"},
        Bad{"\"cdc\": 2", "\"cdc\": 2,\n \"tenCells\": 1", "tenCells", "boards[0].tenCells", "true or false"},
        Bad{"\"cdc\": 2", "\"cdc\": 2, \"dischargeCells\": [1,\n 13\n]", "13", "boards[0].dischargeCells[1]", "1 to 12"},
        Bad{"\"cdc\": 2", "\"cdc\": 2, \"maskedCells\": [0]", "[0]", "boards[0].maskedCells[0]", "1 to 12"},
        Bad{"\"cdc\": 2", "\"cdc\": 2, \"maskedCells\": [4, 4]", "[4", "boards[0].maskedCells[1]", "twice"},
        Bad{"\"cdc\": 2", "\"cdc\": 2, \"maskedCells\": 4", "maskedCells", "boards[0].maskedCells", "list"},
        Bad{"\"cdc\": 2", "\"cdc\": 2,\n" + kRegisters + "\"CFGR4\": \"9C\", \"CFGR5\": \"1G0\"}", "CFGR5",
            "boards[0].registers.CFGR5", "two hex digits"},
        Bad{"\"cdc\": 2", "\"cdc\": 2,\n" + kRegisters + "\"CFGR4\": \"9C\", \"CFGR5\": 207}", "CFGR5",
            "boards[0].registers.CFGR5", "two hex digits"},
        Bad{"\"cdc\": 2", "\"cdc\": 2,\n" + kRegisters + "\"CFGR4\": \"9C\"}", "CFGR0", "boards[0].registers.CFGR5",
            "missing"},
        Bad{"\"cdc\": 2", "\"cdc\": 2,\n" + kRegisters + "\"CFGR4\": \"D0\", \"CFGR5\": \"CF\"}", "CFGR4",
            "boards[0].registers.CFGR4", "VUV must be less than VOV"},
        Bad{"    {\n      \"vuvVolts\": 3.0,\n      \"vovVolts\": 4.2,\n      \"cdc\": 2\n    }\n", "", "[", "boards",
            "1 to 10"},
        Bad{"2\n", "2\n" + std::string(40, '['), "[[", "boards[0].cdc", "not valid JSON"}));

TEST(ConfigFileTest, ElevenBoardsAndDeepNestingAreRefusedAndNoInputThrows)
{
    const std::vector<Regs> ten(10, protocol::DefaultConfiguration());
    std::string text = Written({ten});
    text.insert(text.rfind("    }") + 5, ",\n    {\"vuvVolts\": 1, \"vovVolts\": 2, \"cdc\": 0}");
    const auto eleven = ReadConfigText(text);
    EXPECT_EQ(eleven.error.field, "boards[10]");
    EXPECT_EQ(eleven.error.line, LineOf(text, "{\"vuvVolts\""));

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
    EXPECT_FALSE(missing.configuration);
    EXPECT_EQ(missing.error.line, 0);
    EXPECT_NE(missing.error.message.find(path.string()), std::string::npos);
    EXPECT_FALSE(ReadConfigFile(path.parent_path()).configuration);

    EXPECT_EQ(WriteConfigText({}).error.field, "boards");
    EXPECT_EQ(WriteConfigText({std::vector<Regs>(11, protocol::DefaultConfiguration())}).error.field, "boards");
    EXPECT_EQ(WriteConfigText({{stack.boards[0], Regs{"E0", "00", "G0", "00", "00", "00"}}}).error.field,
              "boards[1].registers.CFGR2");
    EXPECT_EQ(WriteConfigText({{Regs{"E0", "00", "00", "00", "01", "00"}}}).error.field, "boards[0].registers.CFGR4");
}

} // namespace
} // namespace qm::config

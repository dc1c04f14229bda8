// Configuration write and read through the chain: round trips, PEC checks,
// groups shifting through the chain, boards missing from the chain.
#include <gtest/gtest.h>

#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

// A distinct configuration per board.
Registers BoardConfig(int b)
{
    const auto v = static_cast<std::uint8_t>(b);
    return {static_cast<std::uint8_t>(0xE0 | (b % 8)), static_cast<std::uint8_t>(0x11 * v), static_cast<std::uint8_t>(0xA0 | v),
            static_cast<std::uint8_t>(0xF0 - v), static_cast<std::uint8_t>(100 + v), static_cast<std::uint8_t>(200 + v)};
}

std::vector<Registers> Configs(int n, int offset = 0)
{
    std::vector<Registers> out;
    for (int b = 0; b < n; ++b) out.push_back(BoardConfig(b + offset));
    return out;
}

std::vector<std::uint8_t> Bytes(const Registers& r) { return {r.begin(), r.end()}; }

class RoundTripTest : public ::testing::TestWithParam<int> {};

TEST_P(RoundTripTest, WrittenConfigurationReadsBackWithGoodPecs)
{
    const int n = GetParam();
    Bench bench(Boards(n));
    const auto configs = Configs(n);
    WriteConfig(bench.device, configs);
    const auto read = Read(bench.device, 0x02, 6, n);
    for (int b = 0; b < n; ++b) {
        SCOPED_TRACE("board " + std::to_string(b));
        EXPECT_TRUE(read[static_cast<std::size_t>(b)].pecOk());
        EXPECT_EQ(read[static_cast<std::size_t>(b)].data, Bytes(configs[static_cast<std::size_t>(b)]));
        EXPECT_EQ(bench.chip(b).registers(), configs[static_cast<std::size_t>(b)]);
    }
}

INSTANTIATE_TEST_SUITE_P(Chains, RoundTripTest, ::testing::Values(1, 3, 10));

TEST(ConfigurationTest, PowerOnConfigurationIsStandbyWithTheWindowsDefaultFrame)
{
    Bench bench(Boards(1));
    const auto read = Read(bench.device, 0x02, 6, 1);
    EXPECT_EQ(read[0].data, (std::vector<std::uint8_t>{0xE0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(read[0].pec, 0xFE); // as the default write frame carries it
}

TEST(ConfigurationTest, AWrongCommandPecIsIgnoredByEveryChip)
{
    Bench bench(Boards(2));
    std::string badWrite = WriteFrame(Configs(2));
    badWrite.replace(badWrite.find("SC7"), 3, "SC6");
    link::TransactWriteOnly(bench.device, badWrite);
    EXPECT_EQ(bench.chip(0).registers(), kPowerOnRegisters);
    EXPECT_EQ(bench.chip(1).registers(), kPowerOnRegisters);

    const std::string reply = link::TransactWithReply(bench.device, "MSxT02TCFRRRRRRRRRRRRRRX", 32);
    EXPECT_EQ(reply.substr(0, 32), std::string(32, 'F'));
}

TEST(ConfigurationTest, AWrongDataPecLeavesOnlyThatBoardUnchanged)
{
    Bench bench(Boards(3));
    const auto configs = Configs(3);
    WriteConfig(bench.device, configs, /*spoilBoard=*/1);
    EXPECT_EQ(bench.chip(0).registers(), configs[0]);
    EXPECT_EQ(bench.chip(1).registers(), kPowerOnRegisters);
    EXPECT_EQ(bench.chip(2).registers(), configs[2]);
}

TEST(ConfigurationTest, GroupsLandAsBytesShiftThroughTheChain)
{
    // Two groups into a chain of three: the last group lands in board 0, the
    // one before in board 1; board 2 receives none and keeps its registers.
    Bench shorter(Boards(3));
    WriteConfig(shorter.device, Configs(3, 10));
    WriteConfig(shorter.device, Configs(2));
    EXPECT_EQ(shorter.chip(0).registers(), BoardConfig(0));
    EXPECT_EQ(shorter.chip(1).registers(), BoardConfig(1));
    EXPECT_EQ(shorter.chip(2).registers(), BoardConfig(12));

    // Five groups into a chain of three: the first two fall off the top.
    Bench longer(Boards(3));
    WriteConfig(longer.device, Configs(5));
    EXPECT_EQ(longer.chip(0).registers(), BoardConfig(0));
    EXPECT_EQ(longer.chip(1).registers(), BoardConfig(1));
    EXPECT_EQ(longer.chip(2).registers(), BoardConfig(2));

    // Sent in the wrong order (board 0 first), the boards get each other's groups.
    Bench reversed(Boards(2));
    const auto configs = Configs(2);
    WriteConfig(reversed.device, {configs[1], configs[0]});
    EXPECT_EQ(reversed.chip(0).registers(), configs[1]);
}

TEST(ConfigurationTest, BoardsBeyondAShortChainReadFFAndFailTheirPec)
{
    Bench bench(Boards(2));
    WriteConfig(bench.device, Configs(4)); // the host believes in four boards
    const auto read = Read(bench.device, 0x02, 6, 4);
    EXPECT_TRUE(read[0].pecOk());
    EXPECT_TRUE(read[1].pecOk());
    EXPECT_EQ(read[0].data, Bytes(BoardConfig(0)));
    for (int b : {2, 3}) {
        EXPECT_EQ(read[static_cast<std::size_t>(b)].data, std::vector<std::uint8_t>(6, 0xFF));
        EXPECT_EQ(read[static_cast<std::size_t>(b)].pec, 0xFF);
        EXPECT_FALSE(read[static_cast<std::size_t>(b)].pecOk());
    }
}

} // namespace
} // namespace qm::sim::test

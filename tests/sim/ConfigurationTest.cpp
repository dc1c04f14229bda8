// The configuration write through the chain: PEC checks, groups shifting
// through the chain, boards missing from it. Round trips of matching writes
// and reads are what every session test over the simulated stack does.
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

TEST(ConfigurationTest, AWrongCommandPecIsIgnoredByEveryChipAndAWrongDataPecByItsBoard)
{
    Bench bench(Boards(3));
    std::string badWrite = WriteFrame(Configs(3));
    badWrite.replace(badWrite.find("SC7"), 3, "SC6");
    link::TransactWriteOnly(bench.device, badWrite);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(bench.chip(b).registers(), kPowerOnRegisters) << b;
    const std::string reply = link::TransactWithReply(bench.device, "MSxT02TCFRRRRRRRRRRRRRRX", 32);
    EXPECT_EQ(reply.substr(0, 32), std::string(32, 'F')); // a read with a wrong PEC: nothing answers

    WriteConfig(bench.device, Configs(3), /*spoilBoard=*/1);
    EXPECT_EQ(bench.chip(0).registers(), BoardConfig(0));
    EXPECT_EQ(bench.chip(1).registers(), kPowerOnRegisters);
    EXPECT_EQ(bench.chip(2).registers(), BoardConfig(2));
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
    // Sent in the wrong order (board 0 first), the boards get each other's groups.
    WriteConfig(shorter.device, {BoardConfig(1), BoardConfig(0)});
    EXPECT_EQ(shorter.chip(0).registers(), BoardConfig(1));

    // Four groups into a chain of two: the first two fall off the top, and
    // the boards the host believes in beyond the chain read FF and fail their PEC.
    Bench longer(Boards(2));
    WriteConfig(longer.device, Configs(4));
    const auto read = Read(longer.device, 0x02, 6, 4);
    for (int b = 0; b < 4; ++b) {
        const auto& board = read[static_cast<std::size_t>(b)];
        if (b < 2) {
            const Registers want = BoardConfig(b);
            EXPECT_TRUE(board.pecOk()) << b;
            EXPECT_EQ(board.data, std::vector<std::uint8_t>(want.begin(), want.end())) << b;
        } else {
            EXPECT_EQ(board.data, std::vector<std::uint8_t>(6, 0xFF)) << b;
            EXPECT_EQ(board.pec, 0xFF) << b;
        }
    }
}

} // namespace
} // namespace qm::sim::test

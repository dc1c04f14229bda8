// Discharge paths as a discharge check sees them through the link: a healthy
// cell drops while its switch conducts and recovers after; an open path does
// not drop; a swapped sense pair drops the neighbour. Plus the settling time,
// measure mode, the comparator and the measurement noise.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

constexpr std::uint8_t kStCvad = 0x10, kPladc = 0x40;
constexpr double kNoiseVolts = kNoiseCodes * 0.0015;
// Two readings differ by at most twice the noise; a discharging cell also
// drains for the 100 ms of its check.
constexpr double kSame = 2 * kNoiseVolts + 0.001;

using BoardVolts = std::array<double, 12>;

// Only cell's DCC bit set, measuring with CDC 2.
Registers Discharging(int cell)
{
    const auto r1 = static_cast<std::uint8_t>(cell <= 8 ? 1u << (cell - 1) : 0u);
    const auto r2 = static_cast<std::uint8_t>(cell > 8 ? 1u << (cell - 9) : 0u);
    return Config(2, false, r1, r2);
}

// Lets ms pass in steps of 50 ms, serving the watchdog as the tool does.
void Wait(Bench& bench, int ms)
{
    for (int t = 0; t < ms; t += 50) {
        bench.clock->advance(50);
        Send(bench.device, kPladc);
    }
}

// Every cell of every board, converted and read back as the tool does.
std::vector<BoardVolts> Measure(Bench& bench, int boards)
{
    Send(bench.device, kStCvad);
    const auto read = Read(bench.device, 0x04, 18, boards);
    std::vector<BoardVolts> volts(static_cast<std::size_t>(boards));
    for (int b = 0; b < boards; ++b) {
        const auto& board = read[static_cast<std::size_t>(b)];
        EXPECT_TRUE(board.pecOk());
        const auto codes = Codes(board.data);
        for (std::size_t c = 0; c < 12; ++c) volts[static_cast<std::size_t>(b)][c] = CodeVolts(codes[c]);
    }
    return volts;
}

struct Check {
    std::vector<BoardVolts> before, on, after;
};

// One step of a discharge check on every board at once: read; only cell's
// bit set, 100 ms, read; bit cleared, 100 ms, read.
Check RunCheck(Bench& bench, int boards, int cell)
{
    Check check;
    for (auto* readings : {&check.before, &check.on, &check.after}) {
        WriteConfig(bench.device, readings == &check.on ? Discharging(cell) : Config(2), boards);
        Wait(bench, 100);
        *readings = Measure(bench, boards);
    }
    return check;
}

// Expects exactly `dropping` (0: none) of the board to drop by the discharge
// drop while switched on, and every cell to be back afterwards.
void ExpectDrop(const Check& check, int board, int dropping)
{
    const auto b = static_cast<std::size_t>(board);
    for (int c = 1; c <= 12; ++c) {
        SCOPED_TRACE("board " + std::to_string(board) + " cell " + std::to_string(c));
        const auto i = static_cast<std::size_t>(c - 1);
        const double expected = c == dropping ? -kDischargeDropVolts : 0.0;
        EXPECT_NEAR(check.on[b][i] - check.before[b][i], expected, kSame);
        EXPECT_NEAR(check.after[b][i], check.before[b][i], kSame);
    }
}

TEST(DischargePathTest, AHealthyCellDropsWhileItsSwitchConductsAndRecoversAfter)
{
    Bench bench(Boards(3));
    for (int cell : {1, 8, 9, 12}) {
        const Check check = RunCheck(bench, 3, cell);
        for (int b = 0; b < 3; ++b) ExpectDrop(check, b, cell);
    }
}

TEST(DischargePathTest, TheDropSettlesWithItsTimeConstantOnlyInMeasureMode)
{
    Bench bench(Boards(1));
    bench.chip(0).setCellVolts(3, 3.7);
    auto drop = [&] { return bench.chip(0).cellVolts(3) - bench.chip(0).sensedVolts(3); };

    WriteConfig(bench.device, Discharging(3), 1);
    EXPECT_DOUBLE_EQ(drop(), 0.0);
    bench.clock->advance(static_cast<std::int64_t>(kDischargeSettleMs));
    EXPECT_NEAR(drop(), kDischargeDropVolts * (1 - std::exp(-1.0)), 1e-9);
    bench.clock->advance(100 - static_cast<std::int64_t>(kDischargeSettleMs));
    EXPECT_GT(drop(), 0.99 * kDischargeDropVolts);
    EXPECT_NEAR(bench.chip(0).cellVolts(3), 3.7 - 0.1 * kDischargeVoltsPerSecond, 1e-9);

    WriteConfig(bench.device, Config(2), 1);
    bench.clock->advance(100);
    EXPECT_LT(drop(), 0.01 * kDischargeDropVolts);

    // In standby the bit is stored, but the switch stays open.
    WriteConfig(bench.device, Config(0, false, 0x04), 1);
    const double rested = bench.chip(0).cellVolts(3);
    bench.clock->advance(2000);
    EXPECT_TRUE(bench.chip(0).discharging(3));
    EXPECT_FALSE(bench.chip(0).dischargeLoaded(3));
    EXPECT_EQ(bench.chip(0).cellVolts(3), rested);
    EXPECT_LT(drop(), 1e-6);
}

TEST(DischargePathTest, TheComparatorSeesTheLoadedInput)
{
    constexpr std::uint8_t kVuv3V = 156, kVov4V2 = 207;
    Bench bench(Boards(1));
    bench.chip(0).setCellVolts(3, 3.02); // 20 mV above VUV at rest
    WriteConfig(bench.device, Config(2, false, 0, 0, 0, kVuv3V, kVov4V2), 1);
    bench.clock->advance(100);
    EXPECT_EQ(bench.chip(0).flagRegisters()[0], 0x00);
    WriteConfig(bench.device, Config(2, false, 0x04, 0, 0, kVuv3V, kVov4V2), 1);
    bench.clock->advance(100);
    EXPECT_EQ(bench.chip(0).flagRegisters()[0], 0x10); // cell 3 under
}

TEST(DischargePathTest, AnOpenPathKeepsItsBitButNeitherDropsNorDrains)
{
    Bench bench(*ParseScenario("boards=2,dcc-open=1:4,dcc-open=1:9").scenario);
    for (int cell : {4, 9}) {
        const Check check = RunCheck(bench, 2, cell);
        ExpectDrop(check, 0, cell);
        ExpectDrop(check, 1, 0);
    }
    WriteConfig(bench.device, Discharging(9), 2);
    const auto read = Read(bench.device, 0x02, 6, 2);
    EXPECT_EQ(read[1].data[2], 0x01); // DCC9 reads back
    const double open = bench.chip(1).cellVolts(9);
    const double healthy = bench.chip(0).cellVolts(9);
    Wait(bench, 2000);
    EXPECT_EQ(bench.chip(1).cellVolts(9), open);
    EXPECT_NEAR(bench.chip(0).cellVolts(9), healthy - 2 * kDischargeVoltsPerSecond, 1e-9);
}

TEST(DischargePathTest, ASwappedPairDropsTheNeighbourInstead)
{
    Bench bench(*ParseScenario("boards=2,dcc-swap=1:5,dcc-swap=1:12").scenario);
    ExpectDrop(RunCheck(bench, 2, 5), 1, 6);
    ExpectDrop(RunCheck(bench, 2, 12), 1, 11);
    ExpectDrop(RunCheck(bench, 2, 6), 1, 6); // the neighbour's own path is sound
    ExpectDrop(RunCheck(bench, 2, 5), 0, 5); // and so is the other board's
}

TEST(DischargePathTest, NoiseIsSmallButPresentInEveryConversion)
{
    Bench bench(Boards(1));
    WriteConfig(bench.device, Config(2), 1);
    std::set<int> deviations;
    for (int n = 0; n < 40; ++n) {
        const BoardVolts volts = Measure(bench, 1)[0];
        for (int c = 1; c <= 12; ++c) {
            const int code = static_cast<int>(std::lround(volts[static_cast<std::size_t>(c - 1)] / 0.0015)) + 512;
            deviations.insert(code - static_cast<int>(VoltsToCode(bench.chip(0).sensedVolts(c))));
        }
    }
    EXPECT_EQ(deviations, (std::set<int>{-2, -1, 0, 1, 2}));
}

} // namespace
} // namespace qm::sim::test

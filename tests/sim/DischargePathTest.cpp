// Discharge paths as a discharge check sees them through the link: a healthy
// cell drops while its switch conducts and recovers after; an open path does
// not drop; a swapped sense pair drops the neighbour. Plus the settling time,
// measure mode and the comparator.
#include <gtest/gtest.h>

#include <cmath>

#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

// Two readings differ by at most twice the noise; a discharging cell also
// drains for the 100 ms of its check.
constexpr double kSame = 2 * kNoiseCodes * 0.0015 + 0.001;

using BoardVolts = std::array<double, 12>;

// Only cell's DCC bit set (0: none), measuring with CDC 2 (VUV 3.0 V, VOV 4.2 V).
Registers Discharging(int cell)
{
    const auto r1 = static_cast<std::uint8_t>(cell >= 1 && cell <= 8 ? 1u << (cell - 1) : 0u);
    const auto r2 = static_cast<std::uint8_t>(cell >= 9 ? 1u << (cell - 9) : 0u);
    return Config(2, false, r1, r2, 0, 156, 207);
}

// Lets 100 ms pass, serving the watchdog; then every cell of every board,
// converted and read back as the tool does.
std::vector<BoardVolts> WaitAndMeasure(Bench& bench, int boards)
{
    for (int t = 0; t < 100; t += 50) {
        bench.clock->advance(50);
        Send(bench.device, 0x40);
    }
    Send(bench.device, 0x10);
    const auto read = Read(bench.device, 0x04, 18, boards);
    std::vector<BoardVolts> volts(static_cast<std::size_t>(boards));
    for (std::size_t b = 0; b < volts.size(); ++b) {
        EXPECT_TRUE(read[b].pecOk());
        const auto codes = Codes(read[b].data);
        for (std::size_t c = 0; c < 12; ++c) volts[b][c] = CodeVolts(codes[c]);
    }
    return volts;
}

// One step of a discharge check on every board at once: read; only cell's
// bit set, 100 ms, read; bit cleared, 100 ms, read. Expects exactly cell
// dropping[b] of board b (0: none) to drop, and every cell to be back after.
void ExpectCheck(Bench& bench, int cell, const std::vector<int>& dropping)
{
    const int boards = static_cast<int>(dropping.size());
    std::array<std::vector<BoardVolts>, 3> v;
    for (std::size_t step = 0; step < 3; ++step) {
        WriteConfig(bench.device, step == 1 ? Discharging(cell) : Discharging(0), boards);
        v[step] = WaitAndMeasure(bench, boards);
    }
    for (std::size_t b = 0; b < dropping.size(); ++b) {
        for (int c = 1; c <= 12; ++c) {
            SCOPED_TRACE("DCC " + std::to_string(cell) + ", board " + std::to_string(b) + " cell " + std::to_string(c));
            const auto i = static_cast<std::size_t>(c - 1);
            EXPECT_NEAR(v[1][b][i] - v[0][b][i], c == dropping[b] ? -kDischargeDropVolts : 0.0, kSame);
            EXPECT_NEAR(v[2][b][i], v[0][b][i], kSame);
        }
    }
}

TEST(DischargePathTest, AHealthyCellDropsWhileItsSwitchConductsAndRecoversAfter)
{
    Bench bench(Boards(3));
    for (int cell : {1, 8, 9, 12}) ExpectCheck(bench, cell, {cell, cell, cell});
}

TEST(DischargePathTest, AnOpenPathDoesNotDropAndASwappedPairDropsTheNeighbour)
{
    Bench bench(Parsed("boards=2,dcc-open=1:4,dcc-swap=1:5,dcc-swap=1:12"));
    ExpectCheck(bench, 4, {4, 0});
    ExpectCheck(bench, 5, {5, 6});
    ExpectCheck(bench, 12, {12, 11});
    ExpectCheck(bench, 6, {6, 6}); // the neighbour's own path is sound

    // The open path's bit is stored and read back, but it drains nothing.
    WriteConfig(bench.device, Discharging(4), 2);
    EXPECT_EQ(Read(bench.device, 0x02, 6, 2)[1].data[1], 0x08);
    const double open = bench.chip(1).cellVolts(4);
    const double healthy = bench.chip(0).cellVolts(4);
    for (int i = 0; i < 20; ++i) WaitAndMeasure(bench, 2);
    EXPECT_EQ(bench.chip(1).cellVolts(4), open);
    EXPECT_NEAR(bench.chip(0).cellVolts(4), healthy - 2 * kDischargeVoltsPerSecond, 1e-9);
}

TEST(DischargePathTest, TheDropSettlesWithItsTimeConstantInMeasureModeAndTheComparatorSeesIt)
{
    Bench bench(Boards(1));
    bench.chip(0).setCellVolts(3, 3.02); // 20 mV above VUV at rest
    auto drop = [&] { return bench.chip(0).cellVolts(3) - bench.chip(0).sensedVolts(3); };

    WriteConfig(bench.device, Discharging(3), 1);
    EXPECT_DOUBLE_EQ(drop(), 0.0);
    bench.clock->advance(static_cast<std::int64_t>(kDischargeSettleMs));
    EXPECT_NEAR(drop(), kDischargeDropVolts * (1 - std::exp(-1.0)), 1e-9);
    bench.clock->advance(100 - static_cast<std::int64_t>(kDischargeSettleMs));
    EXPECT_GT(drop(), 0.99 * kDischargeDropVolts);
    EXPECT_EQ(bench.chip(0).flagRegisters()[0], 0x10); // cell 3 under VUV

    WriteConfig(bench.device, Discharging(0), 1);
    bench.clock->advance(100);
    EXPECT_LT(drop(), 0.01 * kDischargeDropVolts);
    EXPECT_EQ(bench.chip(0).flagRegisters()[0], 0x00);

    // In standby the bit is stored, but the switch stays open.
    auto standby = Discharging(3);
    standby[0] &= 0xF8;
    WriteConfig(bench.device, standby, 1);
    const double rested = bench.chip(0).cellVolts(3);
    bench.clock->advance(2000);
    EXPECT_TRUE(bench.chip(0).discharging(3));
    EXPECT_EQ(bench.chip(0).cellVolts(3), rested);
    EXPECT_LT(drop(), 1e-6);
}

} // namespace
} // namespace qm::sim::test

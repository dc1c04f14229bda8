// Behaviour on the simulator's clock: flags after conversions and every
// comparator period, the watchdog and its keep-alive, and a discharge drop
// settling with its time constant (held open in standby). Which cell drops on
// a healthy, an open and a swapped path the session's discharge-check tests measure.
#include <gtest/gtest.h>

#include <cmath>

#include "link/Identify.h"
#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

constexpr std::uint8_t kVuv3V = 156;   // (156 + 1) * 0.024 - 0.768 = 3.000 V
constexpr std::uint8_t kVov4V2 = 207;  // (207 - 32) * 0.024 = 4.200 V
constexpr std::uint8_t kStCvad = 0x10;

std::array<std::uint8_t, 3> FlagsOf(Bench& bench, int boards, int board)
{
    const auto read = Read(bench.device, 0x0C, 3, boards);
    EXPECT_TRUE(read[static_cast<std::size_t>(board)].pecOk());
    const auto& d = read[static_cast<std::size_t>(board)].data;
    return {d[0], d[1], d[2]};
}

// Only cell's DCC bit set (0: none), measuring with CDC 2 (VUV 3.0 V, VOV 4.2 V).
Registers Discharging(int cell)
{
    const auto r1 = static_cast<std::uint8_t>(cell >= 1 && cell <= 8 ? 1u << (cell - 1) : 0u);
    const auto r2 = static_cast<std::uint8_t>(cell >= 9 ? 1u << (cell - 9) : 0u);
    return Config(2, false, r1, r2, 0, kVuv3V, kVov4V2);
}

// The comparator sets a cell's flag below VUV (not at it) once a period of
// its duty cycle has passed, or at a conversion; masked cells and cells out
// of use never flag.
TEST(FlagTest, TheComparatorRunsEveryPeriodOfItsDutyCycle)
{
    for (const auto& [cdc, periodMs] : {std::pair{2, 13}, {3, 130}, {4, 500}, {5, 130}, {6, 500}, {7, 2000}}) {
        SCOPED_TRACE("CDC " + std::to_string(cdc));
        Bench bench(Boards(1));
        WriteConfig(bench.device, Config(cdc, false, 0, 0, 0, kVuv3V, kVov4V2), 1);
        bench.chip(0).setCellVolts(3, 2.5);
        bench.clock->advance(periodMs - 1);
        EXPECT_EQ(bench.chip(0).flagRegisters()[0], 0x00);
        bench.clock->advance(1);
        EXPECT_EQ(bench.chip(0).flagRegisters()[0], 0x10);
    }
    // CDC 1: the comparator is off; only a conversion compares.
    Bench off(Boards(1));
    auto& chip = off.chip(0);
    chip.setCellVolts(2, 3.0);  // exactly VUV: not under
    chip.setCellVolts(3, 2.5);  // under
    chip.setCellVolts(6, 4.3);  // over
    chip.setCellVolts(7, 4.3);  // over but masked (MCI7: CFGR3 bit 2)
    chip.setCellVolts(10, 4.2); // exactly VOV: not over
    chip.setCellVolts(12, 2.0); // under, out of use in 10-cell mode
    WriteConfig(off.device, Config(1, false, 0, 0, 0x04, kVuv3V, kVov4V2), 1);
    off.clock->advance(2400);
    EXPECT_EQ(FlagsOf(off, 1, 0), (std::array<std::uint8_t, 3>{0, 0, 0}));
    Send(off.device, kStCvad);
    EXPECT_EQ(FlagsOf(off, 1, 0), (std::array<std::uint8_t, 3>{0x10, 0x08, 0x40}));
    WriteConfig(off.device, Config(1, /*tenCells=*/true, 0, 0, 0x04, kVuv3V, kVov4V2), 1);
    EXPECT_EQ(FlagsOf(off, 1, 0)[2], 0x00);
}

// No valid frame for 2500 ms (a bad PEC or the identification is none) returns
// the power-on configuration with WDTB low and stops the discharge; a PLADC
// every 200 ms keeps the configuration.
TEST(WatchdogTest, ExpiresAfter2500MsWithoutAValidFrameAndAPladcServesIt)
{
    const Registers measuring = Config(2, false, 0x01, 0, 0, kVuv3V, kVov4V2);
    Bench bench(Boards(2)), served(Boards(2));
    const double before = bench.chip(0).cellVolts(1);
    WriteConfig(bench.device, measuring, 2);
    WriteConfig(served.device, measuring, 2);
    bench.clock->advance(2499);
    link::TransactWriteOnly(bench.device, "MSxS40S08X"); // wrong PEC
    link::IdentifyController(bench.device);
    EXPECT_EQ(bench.chip(0).registers(), measuring);
    bench.clock->advance(1);
    for (const auto& b : Read(bench.device, 0x02, 6, 2)) {
        EXPECT_TRUE(b.pecOk());
        EXPECT_EQ(b.data, (std::vector<std::uint8_t>{0x60, 0, 0, 0, 0, 0}));
    }
    // That read was a valid frame: WDTB reads 1 again.
    EXPECT_EQ(Read(bench.device, 0x02, 6, 2)[1].data[0], 0xE0);
    bench.clock->advance(60'000);
    EXPECT_NEAR(bench.chip(0).cellVolts(1), before - 2.5 * kDischargeVoltsPerSecond, 1e-9);

    for (int i = 0; i < 50; ++i) {
        served.clock->advance(200);
        Send(served.device, 0x40);
    }
    EXPECT_EQ(Read(served.device, 0x02, 6, 2)[1].data, std::vector<std::uint8_t>(measuring.begin(), measuring.end()));
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

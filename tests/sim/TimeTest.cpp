// Behaviour on the simulator's clock: flags after conversions and every
// comparator period, the watchdog and its keep-alive. The discharge's drift
// and drop are in the discharge-path tests.
#include <gtest/gtest.h>

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

// The comparator sets a cell's flag below VUV (not at it) once a period of
// its duty cycle has passed, or at a conversion; masked cells and cells out
// of use never flag.
TEST(FlagTest, TheComparatorRunsEveryPeriodOfItsDutyCycle)
{
    struct Case {
        int cdc;
        int periodMs;
    };
    for (const Case c : {Case{2, 13}, Case{3, 130}, Case{4, 500}, Case{5, 130}, Case{6, 500}, Case{7, 2000}}) {
        SCOPED_TRACE("CDC " + std::to_string(c.cdc));
        Bench bench(Boards(1));
        WriteConfig(bench.device, Config(c.cdc, false, 0, 0, 0, kVuv3V, kVov4V2), 1);
        bench.chip(0).setCellVolts(3, 2.5);
        bench.clock->advance(c.periodMs - 1);
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

TEST(WatchdogTest, NoValidFrameFor2500MsReturnsThePowerOnConfigurationWithWdtbLow)
{
    Bench bench(Boards(2));
    const Registers measuring = Config(2, false, 0x01, 0, 0, kVuv3V, kVov4V2);
    const double before = bench.chip(0).cellVolts(1);
    WriteConfig(bench.device, measuring, 2);
    bench.clock->advance(2499);
    EXPECT_EQ(bench.chip(0).registers(), measuring);
    bench.clock->advance(1);
    for (const auto& b : Read(bench.device, 0x02, 6, 2)) {
        EXPECT_TRUE(b.pecOk());
        EXPECT_EQ(b.data, (std::vector<std::uint8_t>{0x60, 0, 0, 0, 0, 0}));
    }
    // That read was a valid frame: WDTB reads 1 again.
    EXPECT_EQ(Read(bench.device, 0x02, 6, 2)[1].data[0], 0xE0);
    // The reset stopped the discharge at the moment it happened.
    bench.clock->advance(60'000);
    EXPECT_NEAR(bench.chip(0).cellVolts(1), before - 2.5 * kDischargeVoltsPerSecond, 1e-9);
}

TEST(WatchdogTest, APladcEvery200MsKeepsTheConfigurationAndFramesWithBadPecDoNot)
{
    const Registers measuring = Config(2, false, 0x01);
    Bench served(Boards(2)), neglected(Boards(2));
    WriteConfig(served.device, measuring, 2);
    WriteConfig(neglected.device, measuring, 2);
    for (int i = 0; i < 50; ++i) {
        served.clock->advance(200);
        Send(served.device, 0x40);
        neglected.clock->advance(200);
        link::TransactWriteOnly(neglected.device, "MSxS40S08X"); // wrong PEC
        link::IdentifyController(neglected.device);                // not a chip frame
    }
    EXPECT_EQ(Read(served.device, 0x02, 6, 2)[1].data, std::vector<std::uint8_t>(measuring.begin(), measuring.end()));
    EXPECT_EQ(neglected.chip(1).registers(), kPowerOnRegisters);
    EXPECT_TRUE(neglected.chip(1).watchdogExpired());
}

} // namespace
} // namespace qm::sim::test

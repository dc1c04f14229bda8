// Start commands: self tests, standby, 10-cell mode, single selectors, group
// reads, open wires, temperatures and the injected faults. The failing
// multiplexer is shown by the session's diagnostics test.
#include <gtest/gtest.h>

#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

constexpr std::uint8_t kStCvad = 0x10, kStTmpad = 0x30;

std::vector<unsigned> CellCodes(Bench& bench, int boards, int board, bool tenCells = false)
{
    const auto read = Read(bench.device, 0x04, tenCells ? 15 : 18, boards);
    EXPECT_TRUE(read[static_cast<std::size_t>(board)].pecOk());
    return Codes(read[static_cast<std::size_t>(board)].data);
}

std::array<unsigned, 3> TempCodes(Bench& bench, int boards, int board)
{
    const auto read = Read(bench.device, 0x0E, 5, boards);
    EXPECT_TRUE(read[static_cast<std::size_t>(board)].pecOk());
    return TemperatureCodes(read[static_cast<std::size_t>(board)].data);
}

// Every board measuring with CDC 1.
void Measure(Bench& bench, int boards) { WriteConfig(bench.device, Config(1), boards); }

// Every cell start kind and the temperature start answer the pattern of the
// selector over real readings; a self-test fault flips the low bit of one
// cell's pattern.
TEST(ConversionTest, SelfTestPatternsAndTheInjectedFault)
{
    for (const auto& [selector, code] : {std::pair{0xE, 0x555u}, {0xF, 0xAAAu}, {0xD, 0xFFFu}}) {
        for (std::uint8_t kind : {0x1, 0x2, 0x6, 0x7, 0x3}) { // 3: the temperatures
            SCOPED_TRACE("kind " + std::to_string(kind) + " selector " + std::to_string(selector));
            Bench bench(Parsed("boards=2,selftest-fault=1:7"));
            Measure(bench, 2);
            Send(bench.device, kind == 0x3 ? kStTmpad : kStCvad);
            Send(bench.device, static_cast<std::uint8_t>(kind << 4 | selector));
            if (kind == 0x3) {
                EXPECT_EQ(TempCodes(bench, 2, 1), (std::array<unsigned, 3>{code, code, code}));
                continue;
            }
            EXPECT_EQ(CellCodes(bench, 2, 0), std::vector<unsigned>(12, code));
            auto faulty = std::vector<unsigned>(12, code);
            if (code != 0xFFF) faulty[6] ^= 1;
            EXPECT_EQ(CellCodes(bench, 2, 1), faulty);
        }
    }
}

TEST(ConversionTest, StandbyChipConvertsNothing)
{
    Bench bench(Boards(2));
    WriteConfig(bench.device, {Config(0), Config(1)}); // board 0 in standby
    for (std::uint8_t cmd : {0x10, 0x1E, 0x30, 0x3E, 0x52}) Send(bench.device, cmd);
    EXPECT_EQ(CellCodes(bench, 2, 0), std::vector<unsigned>(12, 0xFFF));
    EXPECT_EQ(TempCodes(bench, 2, 0), (std::array<unsigned, 3>{0xFFF, 0xFFF, 0xFFF}));
    EXPECT_EQ(CellCodes(bench, 2, 1), std::vector<unsigned>(12, 0x555));
}

TEST(ConversionTest, ReadingsArePlausibleAndReproducibleFromTheSeed)
{
    auto run = [](const char* scenario) {
        Bench bench(Parsed(scenario));
        Measure(bench, 3);
        Send(bench.device, kStCvad);
        Send(bench.device, kStTmpad);
        auto values = CellCodes(bench, 3, 2);
        const auto t = TempCodes(bench, 3, 2);
        values.insert(values.end(), t.begin(), t.end());
        return values;
    };
    const auto a = run("boards=3,seed=7");
    for (int c = 0; c < 12; ++c) {
        EXPECT_GE(CodeVolts(a[static_cast<std::size_t>(c)]), 3.49);
        EXPECT_LE(CodeVolts(a[static_cast<std::size_t>(c)]), 3.91);
    }
    EXPECT_NEAR(CodeVolts(a[12]), 1.5, 0.06); // ETMP1
    EXPECT_NEAR(CodeVolts(a[13]), 1.5, 0.06); // ETMP2
    EXPECT_NEAR(CodeVolts(a[14]), 2.4, 0.03); // ITMP
    EXPECT_EQ(run("boards=3,seed=7"), a);
    EXPECT_NE(run("boards=3,seed=8"), a);
}

TEST(ConversionTest, TenCellModeShortensTheCellGroupsAndLeavesCells11And12Alone)
{
    Bench bench(Parsed("boards=3"));
    Measure(bench, 3);
    Send(bench.device, 0x1F); // all twelve cells 0xAAA
    WriteConfig(bench.device, Config(1, /*tenCells=*/true), 3);
    Send(bench.device, 0x1E); // cells 1..10 only
    for (int b = 0; b < 3; ++b) EXPECT_EQ(CellCodes(bench, 3, b, true), std::vector<unsigned>(10, 0x555));
    for (const auto& board : Read(bench.device, 0x0A, 3, 3)) {
        EXPECT_TRUE(board.pecOk());
        EXPECT_EQ(Codes(board.data), (std::vector<unsigned>{0x555, 0x555}));
    }
    EXPECT_FALSE(Read(bench.device, 0x04, 18, 3)[1].pecOk()); // 18 bytes a board: misaligned
    WriteConfig(bench.device, Config(1), 3);
    auto expected = std::vector<unsigned>(10, 0x555);
    expected.insert(expected.end(), {0xAAA, 0xAAA});
    EXPECT_EQ(CellCodes(bench, 3, 2), expected);
}

TEST(ConversionTest, SingleSelectorsAndGroupReads)
{
    Bench bench(Parsed("boards=2"));
    Measure(bench, 2);
    for (int c = 1; c <= 12; ++c) bench.chip(1).setCellVolts(c, 3.0 + 0.05 * c);
    Send(bench.device, 0x1D);
    Send(bench.device, 0x15); // cell 5 only
    const auto cells = CellCodes(bench, 2, 1);
    for (int c = 1; c <= 12; ++c) EXPECT_EQ(cells[static_cast<std::size_t>(c - 1)] == 0xFFF, c != 5) << c;
    Send(bench.device, 0x3D);
    Send(bench.device, 0x33); // ITMP only
    const auto t = TempCodes(bench, 2, 1);
    EXPECT_EQ(t[0], 0xFFFu);
    EXPECT_EQ(t[1], 0xFFFu);
    EXPECT_NEAR(CodeVolts(t[2]), 2.4, 0.03);
    // The group reads cover four cells each.
    Send(bench.device, kStCvad);
    const std::uint8_t commands[] = {0x06, 0x08, 0x0A};
    for (int g = 0; g < 3; ++g) {
        const auto read = Read(bench.device, commands[g], 6, 2);
        ASSERT_TRUE(read[1].pecOk());
        const auto codes = Codes(read[1].data);
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(CodeVolts(codes[static_cast<std::size_t>(k)]), 3.0 + 0.05 * (4 * g + k + 1), 0.004);
    }
}

TEST(ConversionTest, AnOpenWireReadsNearZeroOnlyWithTheOpenWireCurrent)
{
    Bench bench(Parsed("boards=2,openwire=1:5"));
    Measure(bench, 2);
    Send(bench.device, kStCvad);
    EXPECT_GT(CodeVolts(CellCodes(bench, 2, 1)[4]), 3.4);
    for (std::uint8_t cmd : {0x20, 0x70}) {
        Send(bench.device, cmd);
        const auto cells = CellCodes(bench, 2, 1);
        EXPECT_NEAR(CodeVolts(cells[4]), 0.0, 0.004);
        EXPECT_GT(CodeVolts(cells[5]), 3.4);
        EXPECT_GT(CodeVolts(CellCodes(bench, 2, 0)[4]), 3.4);
    }
}

TEST(ConversionTest, ThermalShutdownSetsTheItmpBitAndClearsDischarge)
{
    Bench bench(Parsed("boards=2,thsd=1"));
    WriteConfig(bench.device, Config(1, false, /*cfgr1=*/0x81, /*cfgr2=*/0x38), 2);
    Send(bench.device, kStTmpad);
    const auto read = Read(bench.device, 0x0E, 5, 2);
    EXPECT_EQ((read[0].data[4] >> 4) & 1, 0);
    EXPECT_EQ((read[1].data[4] >> 4) & 1, 1);
    EXPECT_TRUE(read[1].pecOk());
    const auto cfg = Read(bench.device, 0x02, 6, 2);
    EXPECT_EQ(cfg[0].data[1] << 8 | cfg[0].data[2], 0x8138);
    EXPECT_EQ(cfg[1].data[1] << 8 | cfg[1].data[2], 0x0030); // DCC12..1 cleared, masks kept
    bench.chip(0).setThermalShutdown(true);
    EXPECT_EQ(bench.chip(0).registers()[1], 0x00);
}

TEST(ConversionTest, InjectedPecErrorsHitOnlyTheirBoard)
{
    Bench always(Parsed("boards=3,pec-errors=1:1"));
    for (const auto& [cmd, n] : {std::pair{0x02, 6}, {0x0C, 3}}) {
        const auto read = Read(always.device, static_cast<std::uint8_t>(cmd), n, 3);
        EXPECT_TRUE(read[0].pecOk() && !read[1].pecOk() && read[2].pecOk()) << cmd;
    }
    Bench never(Parsed("boards=3,pec-errors=1:0"));
    EXPECT_TRUE(Read(never.device, 0x02, 6, 3)[1].pecOk());
}

} // namespace
} // namespace qm::sim::test

// Start commands: self tests, standby, 10-cell mode, single selectors, open
// wires, temperatures, diagnostics and the injected faults.
#include <gtest/gtest.h>

#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

constexpr std::uint8_t kStCvad = 0x10, kStTmpad = 0x30;

std::vector<unsigned> CellCodes(Bench& bench, int boards, int board, bool tenCells = false)
{
    const int n = tenCells ? 15 : 18;
    const auto read = Read(bench.device, 0x04, n, boards);
    EXPECT_TRUE(read[static_cast<std::size_t>(board)].pecOk());
    return Codes(read[static_cast<std::size_t>(board)].data);
}

std::array<unsigned, 3> TempCodes(Bench& bench, int boards, int board)
{
    const auto read = Read(bench.device, 0x0E, 5, boards);
    EXPECT_TRUE(read[static_cast<std::size_t>(board)].pecOk());
    return TemperatureCodes(read[static_cast<std::size_t>(board)].data);
}

struct SelfTestCase {
    std::uint8_t selector;
    unsigned code;
};

class SelfTestTest : public ::testing::TestWithParam<SelfTestCase> {};

TEST_P(SelfTestTest, EveryCellKindAndTheTemperaturesAnswerThePattern)
{
    const auto [selector, code] = GetParam();
    for (std::uint8_t kind : {0x1, 0x2, 0x6, 0x7}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        Bench bench(Boards(2));
        WriteConfig(bench.device, Config(1), 2);
        Send(bench.device, 0x10); // real readings first, so the pattern must overwrite them
        Send(bench.device, static_cast<std::uint8_t>(kind << 4 | selector));
        for (int b = 0; b < 2; ++b) EXPECT_EQ(CellCodes(bench, 2, b), std::vector<unsigned>(12, code));
    }
    Bench bench(Boards(2));
    WriteConfig(bench.device, Config(1), 2);
    Send(bench.device, kStTmpad);
    Send(bench.device, static_cast<std::uint8_t>(kStTmpad | selector));
    EXPECT_EQ(TempCodes(bench, 2, 1), (std::array<unsigned, 3>{code, code, code}));
}

INSTANTIATE_TEST_SUITE_P(Selectors, SelfTestTest,
                         ::testing::Values(SelfTestCase{0xE, 0x555}, SelfTestCase{0xF, 0xAAA}, SelfTestCase{0xD, 0xFFF}));

TEST(ConversionTest, SelfTestFaultSpoilsOnlyThatCellsPattern)
{
    Bench bench(*ParseScenario("boards=2,selftest-fault=1:7").scenario);
    WriteConfig(bench.device, Config(2), 2);
    Send(bench.device, 0x1F);
    auto expected = std::vector<unsigned>(12, 0xAAA);
    EXPECT_EQ(CellCodes(bench, 2, 0), expected);
    expected[6] = 0xAAB;
    EXPECT_EQ(CellCodes(bench, 2, 1), expected);
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
        Bench bench(*ParseScenario(scenario).scenario);
        WriteConfig(bench.device, Config(2), 3);
        Send(bench.device, kStCvad);
        Send(bench.device, kStTmpad);
        auto cells = CellCodes(bench, 3, 2);
        const auto t = TempCodes(bench, 3, 2);
        cells.insert(cells.end(), t.begin(), t.end());
        return cells;
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
    Bench bench(Boards(3));
    WriteConfig(bench.device, Config(1), 3);
    Send(bench.device, 0x1F); // all twelve cells 0xAAA
    WriteConfig(bench.device, Config(1, /*tenCells=*/true), 3);
    Send(bench.device, 0x1E); // cells 1..10 only
    for (int b = 0; b < 3; ++b) EXPECT_EQ(CellCodes(bench, 3, b, true), std::vector<unsigned>(10, 0x555));

    const auto c = Read(bench.device, 0x0A, 3, 3);
    for (const auto& board : c) {
        EXPECT_TRUE(board.pecOk());
        EXPECT_EQ(Codes(board.data), (std::vector<unsigned>{0x555, 0x555}));
    }
    // A host reading 18 bytes per board sees the boards misaligned.
    const auto wrongLength = Read(bench.device, 0x04, 18, 3);
    EXPECT_FALSE(wrongLength[1].pecOk());

    WriteConfig(bench.device, Config(1), 3);
    auto expected = std::vector<unsigned>(10, 0x555);
    expected.insert(expected.end(), {0xAAA, 0xAAA});
    EXPECT_EQ(CellCodes(bench, 3, 2), expected);
}

TEST(ConversionTest, SingleSelectorsConvertOneCellOrOneTemperatureInput)
{
    Bench bench(Boards(1));
    WriteConfig(bench.device, Config(1), 1);
    Send(bench.device, 0x1D);
    Send(bench.device, 0x15);
    const auto cells = CellCodes(bench, 1, 0);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(cells[static_cast<std::size_t>(c - 1)] == 0xFFF, c != 5) << "cell " << c;

    Send(bench.device, 0x3D);
    Send(bench.device, 0x33); // ITMP only
    const auto t = TempCodes(bench, 1, 0);
    EXPECT_EQ(t[0], 0xFFFu);
    EXPECT_EQ(t[1], 0xFFFu);
    EXPECT_NEAR(CodeVolts(t[2]), 2.4, 0.03);
}

TEST(ConversionTest, PartialCellReadsCoverTheirFourCells)
{
    Bench bench(Boards(2));
    WriteConfig(bench.device, Config(1), 2);
    for (int c = 1; c <= 12; ++c) bench.chip(1).setCellVolts(c, 3.0 + 0.05 * c);
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
    Bench bench(*ParseScenario("boards=2,openwire=1:5").scenario);
    WriteConfig(bench.device, Config(1), 2);
    Send(bench.device, 0x10);
    EXPECT_GT(CodeVolts(CellCodes(bench, 2, 1)[4]), 3.4);
    for (std::uint8_t cmd : {0x20, 0x70}) {
        Send(bench.device, cmd);
        const auto cells = CellCodes(bench, 2, 1);
        EXPECT_NEAR(CodeVolts(cells[4]), 0.0, 0.004);
        EXPECT_GT(CodeVolts(cells[5]), 3.4);
        EXPECT_GT(CodeVolts(CellCodes(bench, 2, 0)[4]), 3.4);
    }
}

TEST(ConversionTest, DiagnosticsMeasureTheReferenceAndReportTheMultiplexer)
{
    Bench bench(*ParseScenario("boards=3,mux-fail=1").scenario);
    WriteConfig(bench.device, Config(1), 3);
    Send(bench.device, 0x52);
    const auto read = Read(bench.device, 0x54, 2, 3);
    for (int b = 0; b < 3; ++b) {
        SCOPED_TRACE("board " + std::to_string(b));
        const auto& d = read[static_cast<std::size_t>(b)].data;
        EXPECT_TRUE(read[static_cast<std::size_t>(b)].pecOk());
        const unsigned ref = static_cast<unsigned>((d[1] & 0x0F) << 8 | d[0]);
        EXPECT_NEAR(CodeVolts(ref), 2.3, 0.004);
        EXPECT_EQ(d[1] >> 6, 2);                   // revision
        EXPECT_EQ((d[1] >> 5) & 1, b == 1 ? 1 : 0); // multiplexer check
        EXPECT_EQ((d[1] >> 4) & 1, 0);
    }
}

TEST(ConversionTest, ThermalShutdownSetsTheItmpBitAndClearsDischarge)
{
    Bench bench(*ParseScenario("boards=2,thsd=1").scenario);
    WriteConfig(bench.device, Config(1, false, /*cfgr1=*/0x81, /*cfgr2=*/0x38), 2);
    Send(bench.device, kStTmpad);
    const auto read = Read(bench.device, 0x0E, 5, 2);
    EXPECT_EQ((read[0].data[4] >> 4) & 1, 0);
    EXPECT_EQ((read[1].data[4] >> 4) & 1, 1);
    EXPECT_TRUE(read[1].pecOk());

    const auto cfg = Read(bench.device, 0x02, 6, 2);
    EXPECT_EQ(cfg[0].data[1], 0x81);
    EXPECT_EQ(cfg[0].data[2], 0x38);
    EXPECT_EQ(cfg[1].data[1], 0x00); // DCC8..1 cleared
    EXPECT_EQ(cfg[1].data[2], 0x30); // DCC12..9 cleared, masks kept

    bench.chip(0).setThermalShutdown(true);
    EXPECT_EQ(bench.chip(0).registers()[1], 0x00);
}

TEST(ConversionTest, InjectedPecErrorsHitOnlyTheirBoard)
{
    Bench always(*ParseScenario("boards=3,pec-errors=1:1").scenario);
    for (std::uint8_t cmd : {0x02, 0x0C}) {
        const int n = cmd == 0x02 ? 6 : 3;
        const auto read = Read(always.device, cmd, n, 3);
        EXPECT_TRUE(read[0].pecOk());
        EXPECT_FALSE(read[1].pecOk());
        EXPECT_TRUE(read[2].pecOk());
    }
    Bench never(*ParseScenario("boards=3,pec-errors=1:0").scenario);
    EXPECT_TRUE(Read(never.device, 0x02, 6, 3)[1].pecOk());
}

} // namespace
} // namespace qm::sim::test

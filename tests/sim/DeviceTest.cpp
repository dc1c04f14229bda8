// The simulated device without its clock: the scenario text (accepted, or
// refused naming the key), the controller board (identification, reads,
// released lines and open frames) and the chips behind it (configuration
// writes through the chain, self tests, readings, open wires, thermal
// shutdown). The rest shows in the session tests over the simulated stack.
#include <gtest/gtest.h>

#include "link/Identify.h"
#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

TEST(ScenarioTest, RefusalsNameTheKey)
{
    const std::pair<const char*, const char*> cases[] = {
        {"colour=blue", "\"colour\""}, {"boards", "\"boards\""}, {"boards=11", "\"boards\""},
        {"boards=4x", "\"boards\""}, {"boards=2,boards=3", "\"boards\""}, {"variant=2", "\"variant\""},
        {"seed=-1", "\"seed\""}, {"thsd=4", "\"thsd\""}, {"openwire=1", "\"openwire\""},
        {"openwire=1:13", "\"openwire\""}, {"pec-errors=1:1.5", "\"pec-errors\""}, {"mux-fail=-1", "\"mux-fail\""},
        {"unplug-after=soon", "\"unplug-after\""}, {"selftest-fault=2:3,boards=2", "\"selftest-fault\""},
        {"dcc-open=1:0", "\"dcc-open\""}, {"dcc-swap=4:1", "\"dcc-swap\""}, {"dcc-swaps=1:1", "dcc-swap"},
    };
    for (const auto& [text, named] : cases) {
        const auto r = ParseScenario(text);
        EXPECT_FALSE(r.scenario) << text;
        EXPECT_NE(r.error.find(named), std::string::npos) << r.error;
    }
}

std::string Exchange(SimulatedDevice& device, const std::vector<std::string>& writes, std::size_t want)
{
    std::string buf(want, '\0');
    device.open(0);
    device.setTimeouts(1000, 1000);
    for (const auto& w : writes) device.write(w);
    buf.resize(device.read(buf.data(), want));
    device.close();
    return buf;
}

TEST(ControllerBoardTest, IdentificationIsTextDescriptionAndLineEndAndTheLineEndEndsTheRead)
{
    Bench bench(Parsed("variant=3"));
    EXPECT_EQ(link::IdentifyController(bench.device).recognised, -1);
    // The answer is shorter than the 50 bytes asked for, but its line end
    // ends the read: no time passes on the simulator's clock.
    EXPECT_EQ(bench.clock->nowMs(), 0);
    EXPECT_EQ(Exchange(bench.device, {"IZ"}, 60), "QM7410-3, XU250B USB-SPI controller\r\n");
}

TEST(ControllerBoardTest, OnlyIndexZeroOpensEachOpenStartsEmptyAndAReadNeverReturnsMoreThanAsked)
{
    Bench bench(Boards(1));
    EXPECT_FALSE(bench.device.open(1));
    ASSERT_TRUE(bench.device.open(0));
    bench.device.write("IZIZ"); // answered, never read
    bench.device.close();
    bench.device.open(0);
    bench.device.setTimeouts(1000, 1000);
    bench.device.write(protocol::ReadFrame("02", 6, 1)); // 18 answer characters
    char buf[64] = {};
    EXPECT_EQ(bench.device.read(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "FFFF");
    EXPECT_EQ(bench.clock->nowMs(), 0); // a full read takes no time
    EXPECT_EQ(bench.device.read(buf, 64), 14u);
    EXPECT_EQ(std::string(buf, 14), "E00000000000FE");
    EXPECT_EQ(bench.clock->nowMs(), 1000); // a short one its time-out
    bench.device.close();
}

TEST(ControllerBoardTest, ReleasedLinesAndAnOpenPollFrameSpoilWhatFollowsUntilTheFrameIsNew)
{
    Bench bench(Boards(1));
    // "MI" ends the frame and releases the lines: R clocks nothing from the chain.
    EXPECT_EQ(Exchange(bench.device, {"MSxT02TCE", "MI", "RRRRRRR", "xT02TCERRRRRRRX"}, 32), std::string(32, 'F'));
    EXPECT_EQ(Exchange(bench.device, {protocol::ReadFrame("02", 6, 1)}, 18), "FFFFE00000000000FE"); // after "MS"

    link::TransactWriteOnly(bench.device, protocol::PollFrame("40")); // no "X": chip select stays low
    EXPECT_EQ(Read(bench.device, 0x02, 6, 1)[0].data, std::vector<std::uint8_t>(6, 0xFF));
    link::ClosePollFrame(bench.device);
    link::TransactWriteOnly(bench.device, protocol::PollFrame("40"));
    link::ClosePollFrame(bench.device);
    const auto clean = Read(bench.device, 0x02, 6, 1);
    EXPECT_TRUE(clean[0].pecOk());
    EXPECT_EQ(clean[0].data[0], 0xE0);
}

constexpr std::uint8_t kStCvad = 0x10, kStTmpad = 0x30;

// A distinct configuration per board.
Registers BoardConfig(int b)
{
    const auto v = [b](int x) { return static_cast<std::uint8_t>(x); };
    return Config(b % 8, false, v(0x11 * b), v(0xA0 | b), v(0xF0 - b), v(100 + b), v(200 + b));
}

std::vector<Registers> Configs(int n, int offset = 0)
{
    std::vector<Registers> out;
    for (int b = 0; b < n; ++b) out.push_back(BoardConfig(b + offset));
    return out;
}

std::vector<unsigned> CellCodes(Bench& bench, int boards, int board)
{
    const auto read = Read(bench.device, 0x04, 18, boards);
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

TEST(ChipTest, WritesCheckTheirPecsAndGroupsShiftThroughTheChain)
{
    // A wrong command PEC: no chip takes the write, and no chip answers the read.
    Bench bench(Boards(3));
    std::string badWrite = WriteFrame(Configs(3));
    badWrite.replace(badWrite.find("SC7"), 3, "SC6");
    link::TransactWriteOnly(bench.device, badWrite);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(bench.chip(b).registers(), kPowerOnRegisters) << b;
    EXPECT_EQ(link::TransactWithReply(bench.device, "MSxT02TCFRRRRRRRRRRRRRRX", 32).substr(0, 32), std::string(32, 'F'));
    // A wrong data PEC: only its board keeps what it had.
    WriteConfig(bench.device, Configs(3), /*spoilBoard=*/1);
    EXPECT_EQ(bench.chip(0).registers(), BoardConfig(0));
    EXPECT_EQ(bench.chip(1).registers(), kPowerOnRegisters);
    EXPECT_EQ(bench.chip(2).registers(), BoardConfig(2));
    // Two groups into a chain of three: the last group lands in board 0, the
    // one before in board 1; board 2 receives none.
    WriteConfig(bench.device, Configs(2, 10));
    EXPECT_EQ(bench.chip(0).registers(), BoardConfig(10));
    EXPECT_EQ(bench.chip(1).registers(), BoardConfig(11));
    EXPECT_EQ(bench.chip(2).registers(), BoardConfig(2));

    // Four groups into a chain of two: the first two fall off the top, and
    // the boards the host believes in beyond the chain read FF and fail their PEC.
    Bench longer(Boards(2));
    WriteConfig(longer.device, Configs(4));
    const auto read = Read(longer.device, 0x02, 6, 4);
    for (std::size_t b = 0; b < 4; ++b) {
        const Registers want = b < 2 ? BoardConfig(static_cast<int>(b)) : Registers{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        EXPECT_EQ(read[b].data, std::vector<std::uint8_t>(want.begin(), want.end())) << b;
        EXPECT_EQ(read[b].pec, b < 2 ? protocol::PecOfBytes(want) : 0xFF) << b;
    }
}

// Every cell start kind and the temperature start answer the pattern of the
// selector over real readings; a self-test fault flips the low bit of one
// cell's pattern.
TEST(ChipTest, SelfTestPatternsAndTheInjectedFault)
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

TEST(ChipTest, ReadingsArePlausibleAndReproducibleFromTheSeed)
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
    for (std::size_t c = 0; c < 12; ++c) EXPECT_NEAR(CodeVolts(a[c]), 3.70, 0.21) << c;
    EXPECT_NEAR(CodeVolts(a[12]), 1.5, 0.06); // ETMP1
    EXPECT_NEAR(CodeVolts(a[13]), 1.5, 0.06); // ETMP2
    EXPECT_NEAR(CodeVolts(a[14]), 2.4, 0.03); // ITMP
    EXPECT_EQ(run("boards=3,seed=7"), a);
    EXPECT_NE(run("boards=3,seed=8"), a);
}

TEST(ChipTest, AnOpenWireReadsNearZeroOnlyWithTheOpenWireCurrent)
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

TEST(ChipTest, ThermalShutdownSetsTheItmpBitAndClearsDischarge)
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

} // namespace
} // namespace qm::sim::test

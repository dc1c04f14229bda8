// The controller board: its identification answer, reads on the simulator's
// clock, released lines and open frames, unplugging. The interpreter's
// handling of any input is the simulator fuzz target's.
#include <gtest/gtest.h>

#include "link/Identify.h"
#include "sim/Scenario.h"
#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

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
    Bench other(Parsed("variant=QM7411-1"));
    EXPECT_EQ(link::IdentifyController(other.device).text, "QM7411-1");
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

TEST(ControllerBoardTest, AnUnpluggedBoardFailsOpensAndNeverAnswers)
{
    Bench bench(Parsed("unplug-after=30"));
    bench.clock->advance(29'000);
    EXPECT_EQ(link::IdentifyController(bench.device).recognised, -1);
    bench.clock->advance(1'000);
    EXPECT_FALSE(bench.device.open(0));
    const auto id = link::IdentifyController(bench.device);
    EXPECT_EQ(id.recognised, 0);
    EXPECT_EQ(id.text, "");
    EXPECT_EQ(link::TransactWithReply(bench.device, protocol::ReadFrame("02", 6, 1), 18),
              std::string(link::kReplyBufferSize, '\0'));

    Bench pulled(Boards(1));
    pulled.device.open(0);
    pulled.device.write("IZ");
    pulled.device.unplug(); // between the write and the read
    char buf[50];
    EXPECT_EQ(pulled.device.read(buf, sizeof buf), 0u);
    EXPECT_EQ(pulled.device.write("IZ"), 0u);
    EXPECT_FALSE(pulled.device.open(0));
}

} // namespace
} // namespace qm::sim::test

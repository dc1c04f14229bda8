// The controller board: identification, the token interpreter, reads on the
// simulator's clock, unplugging.
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

struct IdentifyCase {
    const char* variant;
    const char* shownText;
    std::int16_t recognised;
};

class IdentifyTest : public ::testing::TestWithParam<IdentifyCase> {};

TEST_P(IdentifyTest, AnswersTheVariantTextAndTheWindowJudgesIt)
{
    Scenario s;
    s.identification = GetParam().variant;
    Bench bench(s);
    const auto id = link::IdentifyController(bench.device);
    EXPECT_EQ(id.text, GetParam().shownText);
    EXPECT_EQ(id.recognised, GetParam().recognised);
}

INSTANTIATE_TEST_SUITE_P(Variants, IdentifyTest,
                         ::testing::Values(IdentifyCase{"QM7410-1", "QM7410-1", -1},
                                           IdentifyCase{"QM7410-3", "QM7410-3", -1},
                                           IdentifyCase{"QM7411-1", "QM7411-1", 0},
                                           IdentifyCase{"qm7410-1", "qm7410-1", 0},
                                           IdentifyCase{"QM74", "QM74, XU", 0}));

TEST(ControllerBoardTest, IdentificationIsTextDescriptionAndLineEndAndTheLineEndEndsTheRead)
{
    Bench bench(*ParseScenario("variant=3").scenario);
    const auto id = link::IdentifyController(bench.device);
    EXPECT_EQ(id.recognised, -1);
    // The answer is shorter than the 50 bytes asked for, but its line end
    // ends the read: no time passes on the simulator's clock.
    EXPECT_EQ(bench.clock->nowMs(), 0);

    bench.device.open(0);
    bench.device.write("IZ");
    std::string buf(60, '\0');
    buf.resize(bench.device.read(buf.data(), buf.size()));
    bench.device.close();
    EXPECT_EQ(buf, "QM7410-3, XU250B USB-SPI controller\r\n");
}

TEST(ControllerBoardTest, AFullReadTakesNoTimeAndAReadNeverReturnsMoreThanAsked)
{
    Bench bench(Boards(1));
    bench.device.open(0);
    bench.device.setTimeouts(1000, 1000);
    bench.device.write(protocol::ReadFrame("02", 6, 1)); // 18 answer characters
    char buf[64] = {};
    EXPECT_EQ(bench.device.read(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "FFFF");
    EXPECT_EQ(bench.clock->nowMs(), 0);
    EXPECT_EQ(bench.device.read(buf, 64), 14u);
    EXPECT_EQ(std::string(buf, 14), "E00000000000FE");
    EXPECT_EQ(bench.clock->nowMs(), 1000);
    bench.device.close();
}

TEST(ControllerBoardTest, TokensSplitAcrossWritesAndForeignCharactersAreHandledLikeOneClean)
{
    const std::string whole = protocol::ReadFrame("02", 6, 2);
    Bench clean(Boards(2));
    const std::string expected = Exchange(clean.device, {whole}, 32);
    ASSERT_EQ(expected.size(), 32u);

    Bench split(Boards(2));
    EXPECT_EQ(Exchange(split.device, {"M", "SxT0", "2T", "C", "ERRRRRRRR", "RRRRRRX"}, 32), expected);

    // Characters that are no token are ignored; a token cut short by one is dropped.
    Bench noisy(Boards(2));
    EXPECT_EQ(Exchange(noisy.device, {"\r\nMS x#T02TCE\nRRRRRRRRRRRRRRT1? X"}, 32), expected);
}

TEST(ControllerBoardTest, ReleasedLinesOpenNoFrameUntilSpiModeReturns)
{
    Bench bench(Boards(1));
    // "MI" ends the frame and releases the lines: R clocks nothing from the chain.
    const std::string released = Exchange(bench.device, {"MSxT02TCE", "MI", "RRRRRRR", "xT02TCERRRRRRRX"}, 32);
    EXPECT_EQ(released, std::string(32, 'F'));
    // After "MS" frames work again.
    EXPECT_EQ(Exchange(bench.device, {protocol::ReadFrame("02", 6, 1)}, 18), "FFFFE00000000000FE");
}

TEST(ControllerBoardTest, APollFrameLeftOpenSpoilsTheNextFrameUntilClosed)
{
    Bench bench(Boards(1));
    link::TransactWriteOnly(bench.device, protocol::PollFrame("40")); // no "X"
    // Chip select is still low: the read's bytes continue the poll frame.
    const auto spoiled = Read(bench.device, 0x02, 6, 1);
    EXPECT_EQ(spoiled[0].data, std::vector<std::uint8_t>(6, 0xFF));
    link::ClosePollFrame(bench.device);
    link::TransactWriteOnly(bench.device, protocol::PollFrame("40"));
    link::ClosePollFrame(bench.device);
    const auto clean = Read(bench.device, 0x02, 6, 1);
    EXPECT_TRUE(clean[0].pecOk());
    EXPECT_EQ(clean[0].data[0], 0xE0);
}

TEST(ControllerBoardTest, AnUnpluggedBoardFailsOpensAndNeverAnswers)
{
    Bench bench(*ParseScenario("unplug-after=30").scenario);
    bench.clock->advance(29'000);
    EXPECT_EQ(link::IdentifyController(bench.device).recognised, -1);
    bench.clock->advance(1'000);
    EXPECT_FALSE(bench.device.open(0));
    const auto id = link::IdentifyController(bench.device);
    EXPECT_EQ(id.recognised, 0);
    EXPECT_EQ(id.text, "");
    const auto reply = link::TransactWithReply(bench.device, protocol::ReadFrame("02", 6, 1), 18);
    EXPECT_EQ(reply, std::string(link::kReplyBufferSize, '\0'));

    Bench pulled(Boards(1));
    pulled.device.open(0);
    pulled.device.write("IZ");
    pulled.device.unplug(); // between the write and the read
    char buf[50];
    EXPECT_EQ(pulled.device.read(buf, sizeof buf), 0u);
    EXPECT_EQ(pulled.device.write("IZ"), 0u);
    EXPECT_FALSE(pulled.device.open(0));
}

TEST(ControllerBoardTest, OnlyDeviceIndexZeroExistsAndEachOpenStartsWithNothingQueued)
{
    Bench bench(Boards(1));
    EXPECT_FALSE(bench.device.open(1));
    ASSERT_TRUE(bench.device.open(0));
    bench.device.write("IZIZ"); // answered, never read
    bench.device.close();
    EXPECT_EQ(link::TransactWithReply(bench.device, protocol::ReadFrame("02", 6, 1), 18).substr(0, 18),
              "FFFFE00000000000FE");
}

} // namespace
} // namespace qm::sim::test

// The real qm7410-sim program on its pseudo-terminal, reached through the
// window's serial back end exactly as a board behind a tty.
#include <gtest/gtest.h>

#include <csignal>

#include <chrono>
#include <thread>

#include "link/Identify.h"
#include "link/SerialDevice.h"
#include "SimTestSupport.h"
#include "support/ChildProcess.h"

namespace qm::sim::test {
namespace {

using qm::test::ChildProcess;
using qm::test::SimulatorOnTty;

TEST(PtyEndToEndTest, SerialDeviceIdentifiesWritesAndReadsBackThroughThePseudoTerminal)
{
    SimulatorOnTty simulator("boards=3,variant=3");
    auto& [sim, path] = simulator;
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;

    link::SerialDevice device(path);
    const auto id = link::IdentifyController(device);
    EXPECT_EQ(id.text, "QM7410-3");
    EXPECT_EQ(id.recognised, -1);

    // Every transaction opens and closes the tty; the server goes on serving.
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<Registers> configs;
        for (int b = 0; b < 3; ++b)
            configs.push_back(Config(1 + (b + round) % 7, false, static_cast<std::uint8_t>(b * 16 + round), 0x5A,
                                     static_cast<std::uint8_t>(round), 150, 210));
        // The write leaves the "T01" answer unread; the back end drains it, so
        // the read right after is not shifted by two late characters.
        WriteConfig(device, configs);
        const auto read = Read(device, 0x02, 6, 3);
        for (std::size_t b = 0; b < 3; ++b) {
            EXPECT_TRUE(read[b].pecOk());
            EXPECT_EQ(read[b].data, std::vector<std::uint8_t>(configs[b].begin(), configs[b].end()));
        }
    }
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

TEST(PtyEndToEndTest, AnUnpluggedBoardsTerminalDisappears)
{
    SimulatorOnTty simulator("boards=1,unplug-after=0.2");
    auto& [sim, path] = simulator;
    ASSERT_FALSE(path.empty());
    link::SerialDevice device(path);
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = !device.open(0);
        device.close();
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(gone);
    EXPECT_EQ(link::IdentifyController(device).recognised, 0);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

TEST(PtyEndToEndTest, BadArgumentsExitWithStatus2NamingTheProblem)
{
    for (const auto& [arg, named] : {std::pair{"boards=2,colour=red", "colour"}, {"openwire=0:13", "openwire"},
                                     {"--fast", "--fast"}}) {
        ChildProcess sim(qm::test::kSim, {arg});
        EXPECT_EQ(sim.wait(), 2) << arg;
        EXPECT_NE(sim.errorText().find(named), std::string::npos) << sim.errorText();
    }
}

} // namespace
} // namespace qm::sim::test

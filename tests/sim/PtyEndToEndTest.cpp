// The real qm7410-sim program on its pseudo-terminal, reached through the
// window's serial back end exactly as a board behind a tty.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "link/Identify.h"
#include "link/SerialDevice.h"
#include "SimTestSupport.h"

namespace qm::sim::test {
namespace {

const char* const kSimulator = QM_BINARY_DIR "/qm7410-sim";

// Reads from fd until a line end, end of file, or a generous safety limit.
std::string ReadLine(int fd, int limitMs = 10'000)
{
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char c;
        const ssize_t r = ::read(fd, &c, 1);
        if (r <= 0 || c == '\n') break;
        line += c;
    }
    return line;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buf[512];
    ssize_t r;
    while ((r = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(r));
    return text;
}

// qm7410-sim as a child process with its standard output and error on pipes.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args)
    {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            ::close(out[0]);
            ::close(err[0]);
            std::vector<char*> argv{const_cast<char*>(kSimulator)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(kSimulator, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~SimProcess()
    {
        if (pid_ > 0) stop();
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }

    std::string firstLine() { return ReadLine(out_); }
    std::string errorText() { return ReadAll(err_); }

    // SIGTERM (when still running), then the exit status; -1 if it did not exit normally.
    int stop()
    {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        return wait();
    }
    int wait()
    {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

TEST(PtyEndToEndTest, SerialDeviceIdentifiesWritesAndReadsBackThroughThePseudoTerminal)
{
    SimProcess sim({"boards=3,variant=3"});
    const std::string path = sim.firstLine();
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
        for (int b = 0; b < 3; ++b) {
            EXPECT_TRUE(read[static_cast<std::size_t>(b)].pecOk());
            const auto& want = configs[static_cast<std::size_t>(b)];
            EXPECT_EQ(read[static_cast<std::size_t>(b)].data, std::vector<std::uint8_t>(want.begin(), want.end()));
        }
    }
    EXPECT_EQ(sim.stop(), 0);
}

TEST(PtyEndToEndTest, AnUnpluggedBoardsTerminalDisappears)
{
    SimProcess sim({"boards=1,unplug-after=0.2"});
    const std::string path = sim.firstLine();
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
    EXPECT_EQ(sim.stop(), 0);
}

TEST(PtyEndToEndTest, BadArgumentsExitWithStatus2NamingTheProblem)
{
    SimProcess badKey({"boards=2,colour=red"});
    EXPECT_EQ(badKey.wait(), 2);
    EXPECT_NE(badKey.errorText().find("colour"), std::string::npos);

    SimProcess badValue({"openwire=0:13"});
    EXPECT_EQ(badValue.wait(), 2);
    EXPECT_NE(badValue.errorText().find("openwire"), std::string::npos);

    SimProcess badOption({"--fast"});
    EXPECT_EQ(badOption.wait(), 2);
    EXPECT_NE(badOption.errorText().find("--fast"), std::string::npos);
}

} // namespace
} // namespace qm::sim::test

// The real programs: qm7410-gui (offscreen) against qm7410-sim on a
// pseudo-terminal, and the command lines of both.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>
#include <cstdlib>

#include "support/ChildProcess.h"

using qm::test::ChildProcess;

namespace {

const std::string kGui = QM_BINARY_DIR "/qm7410-gui";
const std::string kSim = QM_BINARY_DIR "/qm7410-sim";
const std::vector<std::pair<std::string, std::string>> kOffscreen{{"QT_QPA_PLATFORM", "offscreen"}};

} // namespace

// The window is built only with Qt.
#ifdef QM_WITH_QT
#define REQUIRE_WINDOW()
#else
#define REQUIRE_WINDOW() GTEST_SKIP() << "built without the window"
#endif

TEST(Programs, WindowRunsOnTheSimulatorUntilTheBoardGoesAway)
{
    REQUIRE_WINDOW();
    ChildProcess sim(kSim, {"boards=3"});
    const std::string path = sim.readLine();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;

    ChildProcess gui(kGui, {"--device=serial:" + path}, kOffscreen);
    // The window identifies the board at every tick; it keeps running while
    // the simulated board answers.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(gui.wait(0), -2) << gui.errorText();

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    const int status = gui.wait(20'000);
    EXPECT_EQ(status, 1);
    EXPECT_NE(gui.errorText().find("stopped answering"), std::string::npos);
}

TEST(Programs, WindowWithoutABoardEndsAtOnceSayingSo)
{
    REQUIRE_WINDOW();
    // A tty nobody answers on: /dev/null reads nothing and takes every write.
    ChildProcess gui(kGui, {"--device=serial:/dev/null"}, kOffscreen);
    EXPECT_EQ(gui.wait(), 1);
    EXPECT_NE(gui.errorText().find("no QM7410 controller board found"), std::string::npos);

    ChildProcess unknown(kGui, {"--simulate=variant=QM7411-1"}, kOffscreen);
    EXPECT_EQ(unknown.wait(), 1);
}

TEST(Programs, CommandLinesAreCheckedBeforeAnyWindowOpens)
{
    REQUIRE_WINDOW();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string needle; // in stdout for status 0, in stderr otherwise
    };
    const std::vector<Case> cases{
        {{"--help"}, 0, "--simulate"},
        {{"--version"}, 0, "qm7410-gui"},
        {{"--frobnicate"}, 2, "--frobnicate"},
        {{"--simulate=boards=11"}, 2, "boards"},
        {{"--simulate=colour=red"}, 2, "colour"},
        {{"--device=usb"}, 2, "--device"},
        {{"--device=serial:"}, 2, "serial"},
        {{"--simulate", "--device=serial:/dev/ttyUSB0"}, 2, "one of"},
    };
    for (const auto& c : cases) {
        ChildProcess gui(kGui, c.args); // no display needed: nothing gets that far
        EXPECT_EQ(gui.wait(), c.status) << c.args[0];
        const std::string text = c.status == 0 ? gui.outputText() : gui.errorText();
        EXPECT_NE(text.find(c.needle), std::string::npos) << c.args[0] << ": " << text;
    }
}

TEST(Programs, InstallLaysOutProgramsDesktopEntryIconAndUdevRule)
{
    char dir[] = "/tmp/qm7410-install-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    ChildProcess install("/usr/bin/cmake", {"--install", QM_BINARY_DIR, "--prefix", dir});
    ASSERT_EQ(install.wait(60'000), 0) << install.errorText();
#ifdef QM_WITH_QT
    EXPECT_EQ(::access((std::string(dir) + "/bin/qm7410-gui").c_str(), F_OK), 0);
#endif
    for (const char* file : {"/bin/qm7410-sim", "/share/applications/qm7410-monitor.desktop",
                             "/share/icons/hicolor/scalable/apps/qm7410-monitor.svg",
                             "/lib/udev/rules.d/60-qm7410-xu250b.rules"})
        EXPECT_EQ(::access((std::string(dir) + file).c_str(), F_OK), 0) << file;
    ChildProcess clean("/bin/rm", {"-rf", dir});
    clean.wait();
}

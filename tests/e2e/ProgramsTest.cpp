// The real programs: qm7410-gui (offscreen) against qm7410-sim on a
// pseudo-terminal, the command lines of the window, and the installed layout.
#include <gmock/gmock.h>

#include "e2e/Programs.h"

using namespace qm::test;
using ::testing::HasSubstr;

#ifdef QM_WITH_QT // the window is built only with Qt

TEST(Programs, WindowRunsOnTheSimulatorUntilTheBoardGoesAwayAndEndsAtOnceWithoutOne)
{
    SimulatorOnTty sim("boards=3");
    ASSERT_EQ(sim.tty.rfind("/dev/", 0), 0u) << sim.tty;
    ChildProcess gui(kGui, {sim.device()}, kOffscreen);
    // The window identifies the board at every tick; it keeps running while
    // the simulated board answers.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(gui.wait(0), -2) << gui.errorText();
    sim.sim.signal(SIGTERM);
    EXPECT_EQ(sim.sim.wait(), 0);
    EXPECT_EQ(gui.wait(20'000), 1);
    EXPECT_THAT(gui.errorText(), HasSubstr("stopped answering"));
    // A tty nobody answers on: /dev/null reads nothing and takes every write.
    const Result none = Gui({"--device=serial:/dev/null"});
    EXPECT_EQ(none.status, 1);
    EXPECT_THAT(none.err, HasSubstr("no QM7410 controller board found"));
    EXPECT_EQ(Gui({"--simulate=variant=QM7411-1"}).status, 1);
}

TEST(Programs, CommandLinesAreCheckedBeforeAnyWindowOpens)
{
    // Device values go through the parser qm7410-cli uses; its other refusals are checked there.
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = { // options, status, words of the output
        {{"--help"}, 0, "--simulate"}, {{"--version"}, 0, "qm7410-gui"}, {{"--frobnicate"}, 2, "--frobnicate"},
        {{"--simulate=colour=red"}, 2, "colour"}, {{"--device=serial:"}, 2, "serial"},
        {{"--simulate", "--device=serial:/dev/ttyUSB0"}, 2, "one of"}};
    for (const auto& [options, status, needle] : cases) {
        const Result r = Gui(options);
        EXPECT_EQ(r.status, status) << options[0];
        EXPECT_THAT(status == 0 ? r.out : r.err, HasSubstr(needle)) << options[0];
    }
}

#endif

TEST(Programs, InstallLaysOutProgramsDesktopEntryIconAndUdevRule)
{
    TempDir dir;
    const Result install = Exec("/usr/bin/cmake", {"--install", QM_BINARY_DIR, "--prefix", dir.path.string()});
    ASSERT_EQ(install.status, 0) << install.err;
    std::vector<std::string> files{"/bin/qm7410-sim", "/share/applications/qm7410-monitor.desktop",
                                   "/share/icons/hicolor/scalable/apps/qm7410-monitor.svg",
                                   "/lib/udev/rules.d/60-qm7410-xu250b.rules"};
#ifdef QM_WITH_QT
    files.push_back("/bin/qm7410-gui");
#endif
    for (const auto& file : files) EXPECT_TRUE(std::filesystem::exists(dir.path.string() + file)) << file;
}

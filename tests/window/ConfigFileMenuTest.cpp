// File > "Save configuration…" and "Load configuration…" in the window, and
// the frames they lead to against those of qm7410-cli from the same file.
#include <QAction>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/RecordingDevice.h"
#include "sim/SimulatedDevice.h"
#include "support/ChildProcess.h"
#include "ui/MainWindow.h"

using namespace qm;

namespace {

std::filesystem::path Temp(const std::string& name)
{
    return std::filesystem::temp_directory_path() / ("qm7410-menu-" + std::to_string(::getpid()) + "-" + name);
}

std::string WriteFrame(const std::vector<std::string>& writes)
{
    for (const auto& w : writes)
        if (w.rfind("MSxT01SC7", 0) == 0) return w;
    return {};
}

struct Rig {
    explicit Rig(const std::string& scenario)
        : device(*sim::ParseScenario(scenario).scenario, std::make_shared<sim::ManualClock>()), rec(device), window(rec)
    {
        window.display().messageHook = [this](const std::string& m) { messages.push_back(m); };
        window.start();
        window.form().Timer1->stop();
    }
    sim::SimulatedDevice device;
    link::RecordingDevice rec;
    ui::MainWindow window;
    std::vector<std::string> messages;
};

} // namespace

TEST(ConfigFileMenu, SaveLoadAndTheSameFramesAsTheCommandLineTool)
{
    Rig rig("boards=2");
    auto& f = rig.window.form();
    const auto actions = f.mnuFile->actions();
    ASSERT_GE(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&Save configuration\u2026"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("&Load configuration\u2026"));
    EXPECT_EQ(actions.back(), f.mnuExit);

    // A configuration of two boards, made in the window and saved.
    auto& s = rig.window.session();
    s.OnBoardCountChosen(1);
    s.EnterThreshold(1, "4.2");
    s.EnterThreshold(0, "3.1");
    s.OnCdcArrow(1);
    s.OnCfgr0Option(0);
    s.OnBoardFocus(1);
    s.OnRegisterBox(1, 2, true); // board 2 discharges cell 3
    const auto file = Temp("saved.json");
    ASSERT_TRUE(rig.window.configFiles().saveTo(QString::fromStdString(file.string())));

    // Loaded into a fresh window: pending, not written, and then written.
    Rig other("boards=2");
    ASSERT_TRUE(other.window.configFiles().loadFrom(QString::fromStdString(file.string())));
    EXPECT_TRUE(other.messages.empty());
    EXPECT_EQ(other.window.session().state().chain.lastBoardIndex, 1);
    EXPECT_EQ(other.window.session().state().config.configChanged, 1);
    EXPECT_EQ(other.window.form().Command1[5]->caption(), QStringLiteral("WRITECONFIG"));
    EXPECT_EQ(WriteFrame(other.rec.writes()), "");
    other.window.form().Command1[5]->click();
    const std::string windowFrame = WriteFrame(other.rec.writes());
    EXPECT_NE(windowFrame.find("S04"), std::string::npos) << windowFrame; // board 2's CFGR1

    // qm7410-cli writes the same frame from the same file.
    const auto traffic = Temp("cli.jsonl");
    test::ChildProcess cli(QM_BINARY_DIR "/qm7410-cli",
                           {"--simulate=boards=2", "--record=" + traffic.string(), "config", "write", file.string()});
    ASSERT_EQ(cli.wait(), 0) << cli.errorText();
    std::ifstream in(traffic);
    std::stringstream all;
    all << in.rdbuf();
    EXPECT_NE(all.str().find("\"" + windowFrame + "\""), std::string::npos) << windowFrame;

    // A file that cannot be used changes nothing and says where it is wrong.
    const auto bad = Temp("bad.json");
    std::ofstream(bad) << "{\n  \"format\": \"qm7410-configuration\",\n  \"version\": 1,\n  \"boards\": 3\n}\n";
    const std::string pending = other.window.session().state().images.pending[1][1];
    EXPECT_FALSE(other.window.configFiles().loadFrom(QString::fromStdString(bad.string())));
    ASSERT_EQ(other.messages.size(), 1u);
    EXPECT_NE(other.messages[0].find("line 4"), std::string::npos) << other.messages[0];
    EXPECT_EQ(other.window.session().state().images.pending[1][1], pending);
    for (const auto& p : {file, traffic, bad}) std::filesystem::remove(p);
}

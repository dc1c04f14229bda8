// File > "Save configuration…" and "Load configuration…" in the window, and
// the frames they lead to against those of qm7410-cli from the same file.
#include <QMenu>

#include <gtest/gtest.h>

#include "e2e/Programs.h"
#include "ui/WindowRig.h"

using namespace qm;
using namespace qm::test;

TEST(ConfigFileMenu, SaveLoadAndTheSameFramesAsTheCommandLineTool)
{
    TempDir dir;
    WindowRig rig("boards=2");
    rig.start();
    const auto actions = rig.form().mnuFile->actions();
    ASSERT_GE(actions.size(), 4);
    EXPECT_EQ(actions[0]->text() + " " + actions[1]->text(), "&Save configuration\u2026 &Load configuration\u2026");
    EXPECT_EQ(actions.back(), rig.form().mnuExit);
    // A configuration of two boards, made in the window and saved.
    auto& s = rig.session();
    s.OnBoardCountChosen(1);
    s.EnterThreshold(1, "4.2");
    s.EnterThreshold(0, "3.1");
    s.OnCdcArrow(1);
    s.OnCfgr0Option(0);
    s.OnBoardFocus(1);
    s.OnRegisterBox(1, 2, true); // board 2 discharges cell 3
    const QString file = QString::fromStdString((dir / "saved.json").string());
    ASSERT_TRUE(rig.window.configFiles().saveTo(file));
    // Loaded into a fresh window: pending, not written, and then written.
    WindowRig other("boards=2");
    other.start();
    ASSERT_TRUE(other.window.configFiles().loadFrom(file));
    EXPECT_TRUE(other.messages.empty() && other.configWrites().empty());
    EXPECT_TRUE(other.state().chain.lastBoardIndex == 1 && other.state().config.configChanged == 1);
    EXPECT_EQ(other.form().Command1[5]->caption(), QStringLiteral("WRITECONFIG"));
    other.form().Command1[5]->click();
    const auto frames = other.configWrites();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_NE(frames[0].find("S04"), std::string::npos) << frames[0]; // board 2's CFGR1
    // qm7410-cli writes the same frames from the same file.
    const auto traffic = dir / "cli.jsonl";
    const Result cli = Cli({"--simulate=boards=2", "--record=" + traffic.string(), "config", "write", file.toStdString()});
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(ConfigWrites(traffic), frames);
    // A file that cannot be used changes nothing and says where it is wrong.
    const auto bad = dir / "bad.json";
    WriteText(bad, "{\n  \"format\": \"qm7410-configuration\",\n  \"version\": 1,\n  \"boards\": 3\n}\n");
    const std::string pending = other.state().images.pending[1][1];
    EXPECT_FALSE(other.window.configFiles().loadFrom(QString::fromStdString(bad.string())));
    ASSERT_EQ(other.messages.size(), 1u);
    EXPECT_NE(other.messages[0].find("line 4"), std::string::npos) << other.messages[0];
    EXPECT_EQ(other.state().images.pending[1][1], pending);
}

// The window's recording and replay of the controller traffic, run as the real
// program (offscreen): a recording left by a window that was killed replays
// until it ends as an unplugged board would; a replay the window departs from
// ends with the reason; a cut or corrupt recording is refused naming its line,
// and so is recording over the recording being replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "link/TrafficReader.h"
#include "support/ChildProcess.h"

using qm::test::ChildProcess;

namespace {

const std::string kGui = QM_BINARY_DIR "/qm7410-gui";
const std::vector<std::pair<std::string, std::string>> kOffscreen{{"QT_QPA_PLATFORM", "offscreen"}};
const std::string kFixture = QM_SOURCE_DIR "/tests/data/traffic/pec-thermal.jsonl";

std::string TempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("qm7410-" + name + "-" + std::to_string(::getpid()) + ".jsonl"))
        .string();
}

// The program's own last line on stderr (Qt may say something before it).
std::string LastLine(std::string text)
{
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.rfind('\n') + 1); // from the start when there is only one
}

std::size_t LineCount(const std::string& path)
{
    std::ifstream in(path);
    return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

std::vector<std::string> FixtureLines()
{
    std::ifstream in(kFixture);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

} // namespace

TEST(ReplayProgram, AKilledWindowsRecordingReplaysUntilItEndsLikeAnUnpluggedBoard)
{
    const std::string file = TempPath("killed");
    {
        ChildProcess gui(kGui, {"--simulate=boards=2,thsd=1", "--record=" + file}, kOffscreen);
        // Until it has recorded start-up and a few ticks (however slow the machine).
        for (int i = 0; i < 200 && LineCount(file) < 8; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(gui.wait(0), -2) << gui.errorText();
        gui.signal(SIGKILL); // no chance to finish the file: every closed transaction is already in it
        gui.wait();
    }
    const auto read = qm::link::ReadTrafficFile(file);
    ASSERT_TRUE(read) << read.error;
    const auto& header = read.recording->header;
    EXPECT_EQ(header.program, "qm7410-gui");
    EXPECT_EQ(header.device, "simulated: boards=2,thsd=1");
    EXPECT_EQ(header.scenario, "boards=2,thsd=1");
    const auto& txs = read.recording->transactions;
    ASSERT_GE(txs.size(), 7u); // identification, configuration read, a tick's identification each
    const std::string ended = "qm7410-gui: the recording ended after " + std::to_string(txs.size()) + " transactions";

    ChildProcess replay(kGui, {"--device=replay:" + file}, kOffscreen);
    EXPECT_EQ(replay.wait(), 1);
    EXPECT_EQ(LastLine(replay.errorText()), ended);

    // At the recorded pace it takes at least as long as the recording did.
    const auto start = std::chrono::steady_clock::now();
    ChildProcess paced(kGui, {"--device=replay:" + file + "@realtime"}, kOffscreen);
    EXPECT_EQ(paced.wait(), 1);
    EXPECT_EQ(LastLine(paced.errorText()), ended);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(txs.back().startUs));

    // Recording the replay gives the same transactions, then the one the ended recording refused.
    const std::string again = TempPath("again");
    ChildProcess rerecord(kGui, {"--device=replay:" + file, "--record=" + again}, kOffscreen);
    EXPECT_EQ(rerecord.wait(), 1);
    const auto reread = qm::link::ReadTrafficFile(again);
    ASSERT_TRUE(reread) << reread.error;
    EXPECT_EQ(reread.recording->header.device, "replay:" + std::filesystem::path(file).filename().string());
    const auto untimed = [](std::vector<qm::link::TrafficOperation> ops) {
        for (auto& op : ops) op.atUs = 0;
        return ops;
    };
    const auto& replayed = reread.recording->transactions;
    ASSERT_EQ(replayed.size(), txs.size() + 1);
    for (std::size_t i = 0; i < txs.size(); ++i) EXPECT_EQ(untimed(replayed[i].ops), untimed(txs[i].ops)) << i;
    EXPECT_EQ(replayed.back().open, (qm::link::TrafficOpen{0, false}));
    std::filesystem::remove(file);
    std::filesystem::remove(again);
}

TEST(ReplayProgram, AWindowThatDepartsFromTheRecordingEndsNamingBothTexts)
{
    // The recorded operator chose three boards after two ticks; the window
    // without an operator identifies at its third tick instead.
    ChildProcess gui(kGui, {"--device=replay:" + kFixture}, kOffscreen);
    EXPECT_EQ(gui.wait(), 1);
    EXPECT_EQ(LastLine(gui.errorText()), "qm7410-gui: transaction 5 (line 6 of the recording): the program sent \"IZ\" "
                                         "where the recording has \"MSxT02TCE" +
                                             std::string(21, 'R') + "X\"; the replay stops here");
}

TEST(ReplayProgram, ACutCorruptOrMissingRecordingIsRefusedNamingItsLine)
{
    const std::vector<std::string> lines = FixtureLines();
    ASSERT_GT(lines.size(), 5u);
    std::string corrupt = lines[2];
    corrupt[corrupt.size() / 2] = '}';
    struct Case {
        std::string text;
        std::string needle;
    };
    const std::vector<Case> cases{
        {lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3].substr(0, lines[3].size() / 2),
         ": line 4: the line is cut off"},
        {lines[0] + "\n" + lines[1] + "\n" + corrupt + "\n" + lines[3] + "\n", ": line 3, column "},
        {lines[0] + "\n" + lines[2] + "\n", ": line 2: transaction number 2 where 1 was expected"},
        {"{\"format\":\"csv\"}\n", ": line 1: not a traffic recording"},
        {"", ": line 1: the recording is empty"},
    };
    const std::string file = TempPath("bad");
    for (const Case& c : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.text;
        ChildProcess gui(kGui, {"--device=replay:" + file}, kOffscreen);
        EXPECT_EQ(gui.wait(), 2) << c.needle;
        EXPECT_EQ(LastLine(gui.errorText()).rfind("qm7410-gui: " + file + c.needle, 0), 0u) << c.needle;
    }
    // Recording over the recording being replayed would destroy it.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << lines[0] << "\n" << lines[1] << "\n";
    ChildProcess same(kGui, {"--device=replay:" + file, "--record=" + file}, kOffscreen);
    EXPECT_EQ(same.wait(), 2);
    EXPECT_NE(same.errorText().find("is the recording being replayed"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(file), lines[0].size() + lines[1].size() + 2);
    std::filesystem::remove(file);
    ChildProcess missing(kGui, {"--device=replay:" + file}, kOffscreen);
    EXPECT_EQ(missing.wait(), 2);
    EXPECT_NE(missing.errorText().find("cannot read the recording"), std::string::npos);
}

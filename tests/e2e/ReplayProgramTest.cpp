// Recording and replay of the controller traffic by the real window (offscreen): a killed window's
// recording replays until it ends as an unplugged board would; a departing replay ends with the
// reason; a cut or corrupt recording, or recording over the one replayed, is refused.
#include <gmock/gmock.h>

#include "e2e/Programs.h"

using namespace qm::test;
using ::testing::HasSubstr;

#ifdef QM_WITH_QT // these run the window

const std::string kFixture = QM_SOURCE_DIR "/tests/data/traffic/pec-thermal.jsonl";

TEST(ReplayProgram, AKilledWindowsRecordingReplaysUntilItEndsLikeAnUnpluggedBoard)
{
    TempDir dir;
    const std::string file = (dir / "killed.jsonl").string(), again = (dir / "again.jsonl").string();
    {
        ChildProcess gui(kGui, {"--simulate=boards=2,thsd=1", "--record=" + file}, kOffscreen);
        // Until it has recorded start-up and a few ticks (however slow the machine).
        for (int i = 0; i < 200 && Lines(FileText(file)).size() < 9; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(gui.wait(0), -2) << gui.errorText();
        gui.signal(SIGKILL); // no chance to finish the file: every closed transaction is already in it
        gui.wait();
    }
    const auto read = qm::link::ReadTrafficFile(file);
    ASSERT_TRUE(read) << read.error;
    const auto& header = read.recording->header;
    EXPECT_EQ(std::tuple(header.program, header.device, header.scenario),
              std::tuple("qm7410-gui", "simulated: boards=2,thsd=1", "boards=2,thsd=1"));
    const auto& txs = read.recording->transactions;
    ASSERT_GE(txs.size(), 7u); // identification, configuration read, a tick's identification each
    const std::string ended = "qm7410-gui: the recording ended after " + std::to_string(txs.size()) + " transactions";
    const Result replay = Gui({"--device=replay:" + file});
    EXPECT_EQ(std::pair(replay.status, LastLine(replay.err)), std::pair(1, ended));
    // At the recorded pace it takes at least as long as the recording did.
    const auto start = std::chrono::steady_clock::now();
    const Result paced = Gui({"--device=replay:" + file + "@realtime"});
    EXPECT_EQ(std::pair(paced.status, LastLine(paced.err)), std::pair(1, ended));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(txs.back().startUs));
    // Recording the replay gives the same transactions, then the one the ended recording refused.
    EXPECT_EQ(Gui({"--device=replay:" + file, "--record=" + again}).status, 1);
    const auto reread = qm::link::ReadTrafficFile(again);
    ASSERT_TRUE(reread) << reread.error;
    EXPECT_EQ(reread.recording->header.device, "replay:killed.jsonl");
    const auto untimed = [](auto ops) { for (auto& op : ops) op.atUs = 0; return ops; };
    const auto& replayed = reread.recording->transactions;
    ASSERT_EQ(replayed.size(), txs.size() + 1);
    for (std::size_t i = 0; i < txs.size(); ++i) EXPECT_EQ(untimed(replayed[i].ops), untimed(txs[i].ops)) << i;
    EXPECT_EQ(replayed.back().open, (qm::link::TrafficOpen{0, false}));
}

TEST(ReplayProgram, AWindowThatDepartsFromTheRecordingEndsNamingBothTexts)
{
    // The recorded operator chose three boards after two ticks; the window
    // without an operator identifies at its third tick instead.
    const Result r = Gui({"--device=replay:" + kFixture});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(LastLine(r.err), "qm7410-gui: transaction 5 (line 6 of the recording): the program sent \"IZ\" where the "
                               "recording has \"MSxT02TCE" + std::string(21, 'R') + "X\"; the replay stops here");
}

TEST(ReplayProgram, ACutOrCorruptRecordingIsRefusedNamingItsLine)
{
    std::vector<std::string> lines = Lines(FileText(kFixture));
    ASSERT_GT(lines.size(), 5u);
    for (auto& line : lines) line += "\n";
    std::string corrupt = lines[2];
    corrupt[corrupt.size() / 2] = '}';
    // The reader's other refusals are tested in tests/link; here the program's message and status.
    const std::pair<std::string, std::string> cases[] = { // the recording, what the message says after its name
        {lines[0] + lines[1] + lines[2] + lines[3].substr(0, lines[3].size() / 2), ": line 4: the line is cut off"},
        {lines[0] + lines[1] + corrupt + lines[3], ": line 3, column "},
    };
    TempDir dir;
    const std::string file = (dir / "bad.jsonl").string();
    for (const auto& [text, needle] : cases) {
        WriteText(file, text);
        const Result r = Gui({"--device=replay:" + file});
        EXPECT_EQ(r.status, 2) << needle;
        EXPECT_EQ(LastLine(r.err).rfind("qm7410-gui: " + file + needle, 0), 0u) << needle << ": " << r.err;
    }
    // Recording over the recording being replayed would destroy it.
    WriteText(file, lines[0] + lines[1]);
    const Result same = Gui({"--device=replay:" + file, "--record=" + file});
    EXPECT_EQ(same.status, 2);
    EXPECT_THAT(same.err, HasSubstr("is the recording being replayed"));
    EXPECT_EQ(std::filesystem::file_size(file), lines[0].size() + lines[1].size());
}

#endif

// Recordings of the controller traffic replayed through the real session: the
// fixtures under tests/data/traffic/ show, step by step, what the session
// showed when they were recorded; a session recorded over the simulator comes
// back identical; and a replay the operator departs from stops naming both
// texts and closes as for a lost board.
//
// With QM_REMAKE_TRAFFIC_FIXTURES=1, TrafficFixtures.Remake writes the
// fixtures afresh (scripts/remake-traffic-fixtures.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "acquisition/TrafficFixtures.h"
#include "link/ReplayDevice.h"
#include "link/TrafficReader.h"
#include "link/TrafficRecorder.h"
#include "support/Operator.h"

using namespace qm;
using test::RecordingDisplay;
using test::ScriptStep;
using test::StepShown;

namespace {

// Records the script over the simulated stack into out, with what it showed.
std::vector<StepShown> Record(const std::string& scenario, const std::vector<ScriptStep>& script, std::ostream& out)
{
    auto clock = std::make_shared<sim::ManualClock>();
    sim::SimulatedDevice board(*sim::ParseScenario(scenario).scenario, clock);
    link::TrafficRecorder recorder(board, out,
                                   {"remake-traffic-fixtures", "1", "simulated: " + scenario, {}, scenario, 1});
    RecordingDisplay display;
    acquisition::Session session(recorder, display);
    return RunScript(session, display, script, [&] { clock->advance(100); });
}

link::TrafficRecording Parsed(const std::string& text)
{
    auto read = link::ParseTraffic(text);
    EXPECT_TRUE(read) << read.error;
    return read ? std::move(*read.recording) : link::TrafficRecording{};
}

struct Replay {
    explicit Replay(link::TrafficRecording recording) : device(std::move(recording)), session(device, display) {}
    std::vector<StepShown> run(const std::vector<ScriptStep>& script)
    {
        return RunScript(session, display, script, {});
    }
    link::ReplayDevice device;
    RecordingDisplay display;
    acquisition::Session session;
};

// The first few differences between what was shown when recorded and on replay.
std::string Differences(const std::vector<StepShown>& recorded, const std::vector<StepShown>& replayed)
{
    std::ostringstream out;
    int left = 5;
    if (recorded.size() != replayed.size())
        out << recorded.size() << " steps recorded, " << replayed.size() << " replayed\n";
    for (std::size_t i = 0; i < std::min(recorded.size(), replayed.size()) && left > 0; ++i)
        for (const auto& [area, text] : recorded[i].shown) {
            const std::string& again = replayed[i].shown.count(area) ? replayed[i].shown.at(area) : "(missing)";
            if (again == text || left-- <= 0) continue;
            out << "step " << i + 1 << " (" << recorded[i].label << "), " << area << ":\n  recorded " << text
                << "\n  replayed " << again << "\n";
        }
    return out.str();
}

std::string Quoted(std::string_view bytes)
{
    std::string text;
    link::AppendJsonBytes(text, bytes);
    return text;
}

// Where two recordings first send different command texts: the replay of one
// by the actions of the other must stop there.
std::string ExpectedDeparture(const link::TrafficRecording& recorded, const link::TrafficRecording& sent)
{
    const auto writes = [](const link::TrafficTransaction& tx) {
        std::vector<std::string> texts;
        for (const auto& op : tx.ops)
            if (op.kind == link::TrafficOperation::Kind::Write) texts.push_back(op.bytes);
        return texts;
    };
    for (std::size_t i = 0; i < std::min(recorded.transactions.size(), sent.transactions.size()); ++i) {
        const auto a = writes(recorded.transactions[i]), b = writes(sent.transactions[i]);
        for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k)
            if (a[k] != b[k])
                return "transaction " + std::to_string(i + 1) + " (line " + std::to_string(i + 2) +
                       " of the recording): the program sent " + Quoted(b[k]) + " where the recording has " +
                       Quoted(a[k]) + "; the replay stops here";
    }
    return "(the recordings never part)";
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(TrafficFixtures, Remake)
{
    if (!std::getenv("QM_REMAKE_TRAFFIC_FIXTURES")) GTEST_SKIP() << "set QM_REMAKE_TRAFFIC_FIXTURES=1 to remake them";
    for (const auto& f : test::TrafficFixtures()) {
        std::ofstream traffic(f.path(".jsonl"), std::ios::binary | std::ios::trunc);
        const auto steps = Record(f.scenario, f.script(), traffic);
        std::ofstream(f.path(".view"), std::ios::binary | std::ios::trunc) << test::ViewFileText(f.name, steps);
        ASSERT_TRUE(traffic.good()) << f.path(".jsonl");
    }
}

TEST(TrafficFixtures, ReplayShowsWhatWasShownWhenRecorded)
{
    for (const auto& f : test::TrafficFixtures()) {
        SCOPED_TRACE(f.name);
        auto read = link::ReadTrafficFile(f.path(".jsonl"));
        ASSERT_TRUE(read) << read.error;
        EXPECT_EQ(read.recording->header.scenario, f.scenario) << "remake the fixtures";
        const auto recorded = test::ParseViewFile(FileText(f.path(".view")));
        ASSERT_TRUE(recorded && !recorded->empty()) << f.path(".view");

        Replay replay(std::move(*read.recording));
        const auto replayed = replay.run(f.script());
        EXPECT_EQ(Differences(*recorded, replayed), "");
        EXPECT_FALSE(replay.device.failure());
        const std::size_t count = replay.device.recording().transactions.size();
        if (f.cycleOnly) {
            // The board was unplugged while recording: the session closed there.
            EXPECT_EQ(replay.display.closed, (std::vector{acquisition::CloseReason::BoardLost}));
            EXPECT_LT(replayed.size(), f.script().size());
            continue;
        }
        EXPECT_EQ(replay.device.transactionsReplayed(), count);
        // Past its end the recording is an unplugged board.
        replay.session.OnTimerTick();
        EXPECT_EQ(replay.display.closed, (std::vector{acquisition::CloseReason::BoardLost}));
        EXPECT_EQ(replay.device.failure(), "the recording ended after " + std::to_string(count) + " transactions");
    }
}

TEST(TrafficReplay, RandomOperatorOverAFaultyStackComesBackIdentical)
{
    const std::string scenario = "boards=4,seed=9,pec-errors=2:0.2,thsd=1,openwire=0:3,mux-fail=3";
    const auto drive = [](acquisition::Session& session, RecordingDisplay& display, const std::function<void()>& advance) {
        std::vector<StepShown> shown = RunScript(session, display, test::CycleScript(4, 3), advance);
        test::Operator op(session, test::Seeded(17));
        for (int a = 0; a < 600 && !session.closed(); ++a) {
            display.messages.clear();
            display.focus.clear();
            op.act([&](int n) {
                for (int i = 0; i < n; ++i) {
                    if (advance) advance();
                    session.OnTimerTick();
                }
            });
            shown.push_back({"action " + std::to_string(a), test::ShownBy(session, display)});
        }
        return shown;
    };
    std::stringstream out;
    std::vector<StepShown> live;
    {
        auto clock = std::make_shared<sim::ManualClock>();
        sim::SimulatedDevice board(*sim::ParseScenario(scenario).scenario, clock);
        link::TrafficRecorder recorder(board, out, {"test", "1", "simulated", {}, scenario, 1});
        RecordingDisplay display;
        acquisition::Session session(recorder, display);
        live = drive(session, display, [&] { clock->advance(100); });
    }
    Replay replay(Parsed(out.str()));
    EXPECT_EQ(Differences(live, drive(replay.session, replay.display, {})), "");
    EXPECT_FALSE(replay.device.failure());
    EXPECT_GT(replay.device.transactionsReplayed(), 1000u);
    EXPECT_EQ(replay.device.transactionsReplayed(), replay.device.recording().transactions.size());
}

TEST(TrafficReplay, ADifferentBoardCountOrButtonStopsNamingBothTextsAndClosesAsForALostBoard)
{
    const test::TrafficFixture& f = test::TrafficFixtures().front();
    auto read = link::ReadTrafficFile(f.path(".jsonl"));
    ASSERT_TRUE(read) << read.error;
    for (const char* variant : {"boards", "button"}) {
        SCOPED_TRACE(variant);
        const auto script = test::BenchScript(f.boards, variant);
        std::stringstream other;
        Record(f.scenario, script, other);

        Replay replay(*read.recording);
        const auto steps = replay.run(script);
        EXPECT_EQ(replay.device.state(), link::ReplayDevice::State::Diverged);
        EXPECT_EQ(replay.device.failure(), ExpectedDeparture(*read.recording, Parsed(other.str())));
        EXPECT_EQ(replay.display.closed, (std::vector{acquisition::CloseReason::BoardLost}));
        EXPECT_LT(steps.size(), script.size());
    }
}

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

using namespace qm;
using acquisition::CloseReason;
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
    std::vector<StepShown> run(const std::vector<ScriptStep>& script) { return RunScript(session, display, script, {}); }
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
            if (again != text && left-- > 0)
                out << "step " << i + 1 << " (" << recorded[i].label << "), " << area << ":\n  recorded " << text
                    << "\n  replayed " << again << "\n";
        }
    return out.str();
}

} // namespace

TEST(TrafficFixtures, Remake)
{
    if (!std::getenv("QM_REMAKE_TRAFFIC_FIXTURES")) GTEST_SKIP() << "set QM_REMAKE_TRAFFIC_FIXTURES=1 to remake them";
    for (const auto& f : test::kTrafficFixtures) {
        std::ofstream traffic(f.path(".jsonl"), std::ios::binary | std::ios::trunc);
        const auto steps = Record(f.scenario, f.script(), traffic);
        std::ofstream(f.path(".view"), std::ios::binary | std::ios::trunc) << test::ViewFileText(f.name, steps);
        ASSERT_TRUE(traffic.good()) << f.path(".jsonl");
    }
}

TEST(TrafficFixtures, ReplayShowsWhatWasShownWhenRecorded)
{
    for (const auto& f : test::kTrafficFixtures) {
        SCOPED_TRACE(f.name);
        auto read = link::ReadTrafficFile(f.path(".jsonl"));
        ASSERT_TRUE(read) << read.error;
        EXPECT_EQ(read.recording->header.scenario, f.scenario) << "remake the fixtures";
        std::ifstream view(f.path(".view"), std::ios::binary);
        const auto recorded = test::ParseViewFile(std::string(std::istreambuf_iterator<char>(view), {}));
        ASSERT_TRUE(recorded && !recorded->empty()) << f.path(".view");

        Replay replay(std::move(*read.recording));
        const auto replayed = replay.run(f.script());
        EXPECT_EQ(Differences(*recorded, replayed), "");
        EXPECT_FALSE(replay.device.failure());
        const std::size_t count = replay.device.recording().transactions.size();
        if (f.cycleOnly) { // the board was unplugged while recording: the session closed there
            EXPECT_EQ(replay.display.closed, (std::vector{CloseReason::BoardLost}));
            EXPECT_LT(replayed.size(), f.script().size());
            continue;
        }
        EXPECT_EQ(replay.device.transactionsReplayed(), count);
        replay.session.OnTimerTick(); // past its end the recording is an unplugged board
        EXPECT_EQ(replay.display.closed, (std::vector{CloseReason::BoardLost}));
        EXPECT_EQ(replay.device.failure(), "the recording ended after " + std::to_string(count) + " transactions");
    }
}

TEST(TrafficReplay, RandomOperatorOverAFaultyStackComesBackIdentical)
{
    const auto script = [] {
        auto steps = test::CycleScript(4, 3);
        for (auto& step : test::OperatorSteps(17, 600)) steps.push_back(std::move(step));
        return steps;
    };
    std::stringstream out;
    const auto live = Record("boards=4,seed=9,pec-errors=2:0.2,thsd=1,openwire=0:3,mux-fail=3", script(), out);
    Replay replay(Parsed(out.str()));
    EXPECT_EQ(Differences(live, replay.run(script())), "");
    EXPECT_FALSE(replay.device.failure());
    EXPECT_GT(replay.device.transactionsReplayed(), 1000u);
    EXPECT_EQ(replay.device.transactionsReplayed(), replay.device.recording().transactions.size());
}

TEST(TrafficReplay, ADifferentBoardCountOrButtonStopsNamingBothTextsAndClosesAsForALostBoard)
{
    const test::TrafficFixture& f = test::kTrafficFixtures[0];
    auto read = link::ReadTrafficFile(f.path(".jsonl"));
    ASSERT_TRUE(read) << read.error;
    const struct {
        const char* variant;
        std::string sent, recorded; // the first command texts that differ
    } cases[] = {
        {"boards", "MSxT02TCE" + std::string(14, 'R') + "X", "MSxT02TCE" + std::string(21, 'R') + "X"},
        {"button", "MSxS20S20X", "MSxS10SB0X"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variant);
        const auto script = test::BenchScript(f.boards, c.variant);
        Replay replay(*read.recording);
        const auto steps = replay.run(script);
        EXPECT_EQ(replay.device.state(), link::ReplayDevice::State::Diverged);
        const std::string failure = replay.device.failure().value_or("");
        EXPECT_EQ(failure.rfind("transaction ", 0), 0u) << failure;
        EXPECT_NE(failure.find("the program sent \"" + c.sent + "\" where the recording has \"" + c.recorded +
                               "\"; the replay stops here"),
                  std::string::npos)
            << failure;
        EXPECT_EQ(replay.display.closed, (std::vector{CloseReason::BoardLost}));
        EXPECT_LT(steps.size(), script.size());
    }
}

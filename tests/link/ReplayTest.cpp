// Playing a traffic recording back: the replies of a recorded session come back
// the same, and a session that goes its own way stops the replay.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "link/Identify.h"
#include "link/ReplayDevice.h"
#include "link/TrafficReader.h"
#include "link/TrafficRecorder.h"
#include "link/Transport.h"
#include "protocol/ChainProtocol.h"
#include "sim/SimulatedDevice.h"

using namespace qm;
using namespace qm::link;

namespace {

// Passes every operation on and keeps what each read returned.
class ReplyTap : public Device {
public:
    explicit ReplyTap(Device& inner) : inner_(inner) {}
    bool open(int i) override { return inner_.open(i); }
    void setTimeouts(int r, int w) override { inner_.setTimeouts(r, w); }
    std::size_t write(std::string_view b) override { return inner_.write(b); }
    std::size_t read(char* buf, std::size_t n) override { return keep(buf, inner_.read(buf, n)); }
    std::size_t readAvailable(char* buf, std::size_t n, int w) override { return keep(buf, inner_.readAvailable(buf, n, w)); }
    std::int32_t close() override { return inner_.close(); }
    std::vector<std::string> replies;

private:
    std::size_t keep(const char* buf, std::size_t got) { return replies.emplace_back(buf, got).size(); }
    Device& inner_;
};

struct SessionResult {
    std::vector<std::string> replies;
    std::string identification;
    std::array<float, protocol::kTableSize> measured{};
};

// Identification, configuration write and read-back, and one measurement-cycle pass.
SessionResult RunSession(Device& device, int boards, const char* writeAfterStart = "")
{
    ReplyTap tap(device);
    SessionResult result;
    result.identification = IdentifyController(tap).text;
    protocol::RegisterImages images;
    protocol::TransferPanel panel;
    protocol::ChainSelection chain{boards - 1, 0};
    protocol::ChainProtocol proto(tap, images, panel, chain);
    for (auto& regs : images.pending) regs = {"E2", "00", "00", "00", "A0", "C0"};
    proto.WriteConfiguration();
    proto.ReadConfiguration();
    proto.StartCellConversion(protocol::CellStartKind::STCVAD, "0");
    TransactWriteOnly(tap, writeAfterStart);
    proto.ReadCellVoltages(0);
    proto.StartTemperatureConversion("0");
    proto.ReadTemperatures();
    proto.ReadFlags();
    result.replies = tap.replies;
    result.measured = images.measured;
    return result;
}

TrafficRecording RecordSession(int boards, SessionResult* live = nullptr)
{
    const auto scenario = sim::ParseScenario("boards=" + std::to_string(boards) + ",pec-errors=0:0.5,seed=3");
    EXPECT_TRUE(scenario.scenario) << scenario.error;
    sim::SimulatedDevice board(scenario.scenario.value_or(sim::Scenario{}), std::make_shared<sim::ManualClock>());
    std::stringstream out;
    {
        TrafficRecorder recorder(board, out, {"qm7410-test", "0.1.0", "simulate", {}, "boards=3", 1});
        const SessionResult result = RunSession(recorder, boards);
        if (live) *live = result;
    }
    auto parsed = ParseTraffic(out.str());
    EXPECT_TRUE(parsed) << parsed.error;
    return parsed ? std::move(*parsed.recording) : TrafficRecording{};
}

// A clock that only moves when slept on, and keeps every sleep.
struct FakeClock : ReplayClock {
    std::int64_t now = 1'000'000;
    std::vector<std::int64_t> sleeps;
    std::int64_t nowUs() override { return now; }
    void sleepUs(std::int64_t us) override { now += sleeps.emplace_back(us); }
};

} // namespace

TEST(Replay, RecordedSessionComesBackIdentical)
{
    SessionResult live;
    TrafficRecording recording = RecordSession(3, &live);
    ASSERT_EQ(live.replies.size(), 5u); // IZ, RDCFG, RDCV, RDTMP, RDFLG
    ASSERT_EQ(live.identification, "QM7410-1");
    const std::size_t count = recording.transactions.size();

    ReplayDevice replay(std::move(recording));
    const SessionResult again = RunSession(replay, 3);
    EXPECT_EQ(again.identification, live.identification);
    EXPECT_EQ(again.replies, live.replies);
    EXPECT_EQ(again.measured, live.measured);
    EXPECT_EQ(replay.state(), ReplayDevice::State::Replaying);
    EXPECT_FALSE(replay.failure());

    // Past the end it is an unplugged board.
    EXPECT_FALSE(replay.open(0));
    char buf[4];
    EXPECT_EQ(replay.read(buf, 4), 0u);
    EXPECT_EQ(replay.close(), 1);
    EXPECT_EQ(replay.state(), ReplayDevice::State::Ended);
    EXPECT_EQ(replay.failure(), "the recording ended after " + std::to_string(count) + " transactions");
}

// A different, a missing or an extra command stops the replay, naming it.
TEST(Replay, ACommandOtherThanRecordedStopsTheReplayWithBothTexts)
{
    TrafficRecording recording = RecordSession(3);
    ASSERT_EQ(recording.transactions.at(4).ops.at(1).bytes, ""); // the empty write after the start command
    ReplayDevice replay(recording);
    const SessionResult diverged = RunSession(replay, 3, "MI\n");
    EXPECT_EQ(replay.state(), ReplayDevice::State::Diverged);
    EXPECT_EQ(replay.failure(), "transaction 5 (line 6 of the recording): the program sent \"MI\\n\" where the "
                                "recording has \"\"; the replay stops here");
    // From the divergence on, every read came back empty: the program sees a lost board.
    ASSERT_EQ(diverged.replies.size(), 5u);
    EXPECT_EQ(diverged.replies.back(), "");
    EXPECT_FALSE(replay.open(0));

    ReplayDevice skipped(recording);
    skipped.open(0);
    EXPECT_EQ(skipped.close(), 1); // "IZ" never sent
    EXPECT_EQ(skipped.failure(), "transaction 1 (line 2 of the recording): the program ended the transaction "
                                 "without sending \"IZ\", which the recording has next; the replay stops here");
    ReplayDevice extra(recording);
    extra.open(0);
    EXPECT_EQ(extra.write("IZ"), 2u);
    EXPECT_EQ(extra.write("IZ"), 0u);
    EXPECT_NE(extra.failure()->find("the program sent \"IZ\" where the recording has no further command"),
              std::string::npos);
}

TEST(Replay, ReadsGiveTheRecordedPiecesNeverMoreThanAskedFor)
{
    auto parsed = ParseTraffic(
        R"({"format":"qm7410-traffic","version":1,"program":"p","programVersion":"1","device":"ftdi","started":"x"})"
        "\n"
        R"({"seq":1,"t":2,"open":{"index":0,"ok":false},"ops":[{"op":"write","text":"IZ","count":0},)"
        R"({"op":"readAvailable","n":50,"wait":200,"got":"QM7410","t":2.5},{"op":"readAvailable","n":44,"wait":200,"got":"-1\r\n","t":2.75}],"close":7})"
        "\n"
        R"({"seq":2,"t":4,"ops":[]})"
        "\n");
    ASSERT_TRUE(parsed) << parsed.error;
    auto clock = std::make_shared<FakeClock>();
    ReplayDevice replay(std::move(*parsed.recording), {true, clock});
    char buf[8] = {};
    EXPECT_FALSE(replay.open(0)); // as recorded
    EXPECT_EQ(replay.write("IZ"), 0u);
    EXPECT_EQ(replay.readAvailable(buf, 4, 200), 4u);
    EXPECT_EQ(std::string(buf, 4), "QM74");
    EXPECT_EQ(replay.readAvailable(buf, 8, 200), 2u); // the rest of the first piece
    EXPECT_EQ(std::string(buf, 2), "10");
    EXPECT_EQ(replay.readAvailable(buf, 8, 5), 4u);
    EXPECT_EQ(std::string(buf, 4), "-1\r\n");
    EXPECT_EQ(replay.read(buf, 8), 0u); // nothing more was read there
    EXPECT_EQ(replay.close(), 7);
    replay.open(0);
    // Realtime: the first transaction at once, then the recorded distances.
    EXPECT_EQ(clock->sleeps, (std::vector<std::int64_t>{500'000, 250'000, 1'250'000}));
}

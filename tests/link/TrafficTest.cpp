// The traffic recorder, the reader of its files, and the replay device call by
// call: the recorded pieces and pace, and the ways a program can leave the
// recording. A session recorded over the simulator and replayed through the
// same operator actions is tests/acquisition's traffic round trip.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "link/ReplayDevice.h"
#include "link/TrafficReader.h"
#include "link/TrafficRecorder.h"
#include "link/Transport.h"
#include "support/ScriptedDevice.h"

using namespace qm::link;
using qm::test::ScriptedDevice;

namespace {

TrafficHeader Header() { return {"qm7410-test", "0.1.0", "simulate", "2026-12-07T10:15:30Z", "boards=2", 1}; }

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    return text;
}

const std::string kHead = R"({"format":"qm7410-traffic","version":1,"program":"p","programVersion":"1","device":"ftdi","started":"x"})";
const std::string kTx1 = R"({"seq":1,"t":0.5,"open":{"index":0,"ok":true},"ops":[{"op":"write","text":"IZ","count":2},)"
                         R"({"op":"read","n":4,"got":"QM74","t":0.6}],"close":0})";

// An identification whose answer came in two pieces, then an empty transaction.
TrafficRecording TwoTransactions()
{
    auto parsed = ParseTraffic(Lines(
        {kHead,
         R"({"seq":1,"t":2,"open":{"index":0,"ok":false},"ops":[{"op":"write","text":"IZ","count":2},)"
         R"({"op":"readAvailable","n":50,"wait":200,"got":"QM7410","t":2.5},)"
         R"({"op":"readAvailable","n":44,"wait":200,"got":"-1\r\n","t":2.75}],"close":7})",
         R"({"seq":2,"t":4,"ops":[]})"}));
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

TEST(TrafficRecorder, KeepsEveryOperationInOrderAndEveryByteValueAsPureAscii)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    ScriptedDevice board;
    board.push(all);
    board.push("FFFF3A");
    std::stringstream out;
    {
        TrafficRecorder rec(board, out, Header());
        std::string buf(256, '\0');
        rec.open(0);
        rec.setTimeouts(1000, 1000);
        rec.write(all);
        EXPECT_EQ(rec.read(buf.data(), 256), 256u);
        rec.close();
        rec.write(""); // outside open..close
        EXPECT_EQ(rec.read(buf.data(), 4), 4u);
        EXPECT_EQ(rec.readAvailable(buf.data(), 8, 5), 2u);
        rec.open(0); // never closed: written by the destructor
        EXPECT_TRUE(rec.error().empty());
    }
    for (char c : out.str()) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
    const auto parsed = ParseTraffic(out.str());
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(parsed.recording->header, Header());
    const auto& txs = parsed.recording->transactions;
    ASSERT_EQ(txs.size(), 3u);
    using Kind = TrafficOperation::Kind;
    const std::vector<std::vector<std::tuple<Kind, std::string, std::size_t>>> ops{
        {{Kind::Timeouts, "", 0}, {Kind::Write, all, 0}, {Kind::Read, all, 256}},
        {{Kind::Write, "", 0}, {Kind::Read, "FFFF", 4}, {Kind::ReadAvailable, "3A", 8}},
        {}};
    for (std::size_t t = 0; t < 3; ++t) {
        ASSERT_EQ(txs[t].ops.size(), ops[t].size()) << t;
        for (std::size_t i = 0; i < ops[t].size(); ++i)
            EXPECT_EQ(std::tie(txs[t].ops[i].kind, txs[t].ops[i].bytes, txs[t].ops[i].count), ops[t][i]) << t << i;
    }
    EXPECT_EQ(txs[0].ops[0].readMs, 1000);
    EXPECT_EQ(txs[1].ops[2].waitMs, 5);
    EXPECT_LE(txs[1].startUs, txs[1].ops[1].atUs);
    EXPECT_EQ(std::make_tuple(txs[0].seq, txs[0].line, txs[0].open, txs[0].closeStatus),
              std::make_tuple(1u, 2u, std::optional<TrafficOpen>({0, true}), std::optional<std::int32_t>(0)));
    EXPECT_FALSE(txs[1].open || txs[1].closeStatus);
    EXPECT_TRUE(txs[2].open && !txs[2].closeStatus);
    // Any JSON spelling of the same characters reads the same: raw UTF-8 and escapes.
    const auto spelled = ParseTraffic(Lines({kHead, R"({"seq":1,"t":0,"ops":[{"op":"write","text":"\u00ff\u0000ÿé","count":0}]})"}));
    ASSERT_TRUE(spelled) << spelled.error;
    EXPECT_EQ(spelled.recording->transactions[0].ops[0].bytes, std::string("\xff\0\xff\xe9", 4));
}

TEST(TrafficRecorder, FileHoldsEachTransactionAsItClosesAndACutOffEndIsNamed)
{
    const auto path = std::filesystem::temp_directory_path() / "qm7410-traffic-test.jsonl";
    ScriptedDevice board;
    const auto transactionsInFile = [&] {
        const auto read = ReadTrafficFile(path);
        return read ? read.recording->transactions.size() : 999u;
    };
    {
        TrafficRecorder buffered(board, path, Header(), TrafficFlush::Buffered);
        TransactWriteOnly(buffered, "MSX");
        EXPECT_EQ(ReadTrafficFile(path).errorLine, 1u); // nothing out yet, not even the header
        buffered.finish();
        EXPECT_EQ(transactionsInFile(), 1u);
    }
    {
        TrafficRecorder rec(board, path, Header());
        ASSERT_TRUE(rec.error().empty()) << rec.error();
        for (int i = 0; i < 3; ++i) TransactWriteOnly(rec, "MSX");
        EXPECT_EQ(transactionsInFile(), 3u); // each on disk as it closed
        rec.open(0);
    }
    EXPECT_EQ(transactionsInFile(), 4u); // the one left open, written at the end
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 20);
    const auto cut = ReadTrafficFile(path);
    EXPECT_EQ(cut.errorLine, 5u);
    EXPECT_EQ(cut.error, path.string() + ": line 5: the line is cut off (the recording stopped while it was being "
                                         "written); the 4 lines before it are whole: delete this one to use them");
    std::filesystem::remove(path);

    TrafficRecorder nowhere(board, std::filesystem::path("/nonexistent-dir/x.jsonl"), Header());
    EXPECT_NE(nowhere.error().find("cannot create the traffic recording /nonexistent-dir/x.jsonl"), std::string::npos);
    EXPECT_EQ(TransactWriteOnly(nowhere, "MI"), 0); // the device still works
    TrafficRecorder full(board, std::filesystem::path("/dev/full"), Header());
    EXPECT_EQ(TransactWriteOnly(full, "MI"), 0);
    EXPECT_NE(full.error().find("writing the traffic recording failed"), std::string::npos);
    EXPECT_NE(ReadTrafficFile("/nonexistent-dir/x.jsonl").error.find("cannot read the recording"), std::string::npos);
}

TEST(TrafficReader, ErrorsNameTheLineAndWhatIsWrong)
{
    std::string noGot = kTx1;
    noGot.replace(noGot.find(R"("got")"), 5, R"("gto")");
    const auto tx = [](const std::string& t, const std::string& ops) {
        return R"({"seq":1,"t":)" + t + R"(,"ops":[)" + ops + "]}";
    };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "line 1: the recording is empty; its first line should be the header"},
        {Lines({R"({"format":"csv"})"}),
         R"(line 1: not a traffic recording: "format" is "csv", expected "qm7410-traffic")"},
        {Lines({R"({"format":"qm7410-traffic","version":2})"}),
         "line 1: the recording is version 2; this program reads version 1 and older"},
        // A corrupted line in the middle is not taken for a cut-off end.
        {Lines({kHead, kTx1, R"({"seq":2,"t":1,"ops":[}x)", kTx1}),
         "line 3, column 23: not valid JSON: syntax error while parsing value - unexpected '}'; "
         "expected '[', '{', or a literal"},
        {Lines({kHead, noGot}),
         R"(line 2: transaction 1, operation 2 (read): "got" is missing (the characters the read returned))"},
        {Lines({kHead, kTx1, kTx1}),
         "line 3: transaction number 1 where 2 was expected (a line is missing, repeated or out of order)"},
        {Lines({kHead, tx("0", R"({"op":"read","n":1,"got":"€","t":0})")}),
         R"(line 2: transaction 1, operation 1 (read): "got" holds the character U+20AC; a recording holds bytes, U+0000 to U+00FF)"},
        {Lines({kHead, tx("0", R"({"op":"read","n":1,"got":"ab","t":0})")}),
         R"(line 2: transaction 1, operation 1 (read): "got" holds 2 characters, more than the 1 asked for)"},
        {Lines({kHead, tx("-1", "")}), R"(line 2: transaction 1: "t" must be a time in seconds from 0 to 1e9, not -1)"},
    };
    for (const auto& [text, error] : cases) {
        const auto r = ParseTraffic(text, "rec.jsonl");
        EXPECT_FALSE(r.recording) << error;
        EXPECT_EQ(r.error, "rec.jsonl: " + error);
    }
}

TEST(Replay, ReadsGiveTheRecordedPiecesNeverMoreThanAskedForAtTheRecordedPace)
{
    auto clock = std::make_shared<FakeClock>();
    ReplayDevice replay(TwoTransactions(), {true, clock});
    char buf[8] = {};
    EXPECT_FALSE(replay.open(0)); // as recorded
    EXPECT_EQ(replay.write("IZ"), 2u);
    EXPECT_EQ(replay.readAvailable(buf, 4, 200), 4u);
    EXPECT_EQ(std::string(buf, 4), "QM74");
    EXPECT_EQ(replay.readAvailable(buf, 8, 200), 2u); // the rest of the first piece
    EXPECT_EQ(std::string(buf, 2), "10");
    EXPECT_EQ(replay.readAvailable(buf, 8, 5), 4u);
    EXPECT_EQ(std::string(buf, 4), "-1\r\n");
    EXPECT_EQ(replay.read(buf, 8), 0u); // nothing more was read there
    EXPECT_EQ(replay.close(), 7);
    EXPECT_TRUE(replay.open(0));
    // Realtime: the first transaction at once, then the recorded distances.
    EXPECT_EQ(clock->sleeps, (std::vector<std::int64_t>{500'000, 250'000, 1'250'000}));
    EXPECT_EQ(replay.close(), 0);
    EXPECT_EQ(replay.state(), ReplayDevice::State::Replaying);

    // Past the end it is an unplugged board.
    EXPECT_FALSE(replay.open(0));
    EXPECT_EQ(replay.read(buf, 4), 0u);
    EXPECT_EQ(replay.close(), 1);
    EXPECT_EQ(replay.state(), ReplayDevice::State::Ended);
    EXPECT_EQ(replay.failure(), "the recording ended after 2 transactions");
}

// A different, a missing or an extra command stops the replay, naming it; from
// there on the device is a lost board.
TEST(Replay, ACommandOtherThanRecordedStopsTheReplayWithBothTexts)
{
    ReplayDevice other(TwoTransactions());
    other.open(0);
    EXPECT_EQ(other.write("MI\n"), 0u);
    EXPECT_EQ(other.state(), ReplayDevice::State::Diverged);
    EXPECT_EQ(other.failure(), "transaction 1 (line 2 of the recording): the program sent \"MI\\n\" where the "
                               "recording has \"IZ\"; the replay stops here");
    char buf[4];
    EXPECT_EQ(other.read(buf, 4), 0u);
    EXPECT_EQ(other.close(), 1);
    EXPECT_FALSE(other.open(0));

    ReplayDevice skipped(TwoTransactions());
    skipped.open(0);
    EXPECT_EQ(skipped.close(), 1); // "IZ" never sent
    EXPECT_EQ(skipped.failure(), "transaction 1 (line 2 of the recording): the program ended the transaction "
                                 "without sending \"IZ\", which the recording has next; the replay stops here");
    ReplayDevice extra(TwoTransactions());
    extra.open(0);
    EXPECT_EQ(extra.write("IZ"), 2u);
    EXPECT_EQ(extra.write("IZ"), 0u);
    EXPECT_NE(extra.failure()->find("the program sent \"IZ\" where the recording has no further command"),
              std::string::npos);
    EXPECT_EQ(extra.state(), ReplayDevice::State::Diverged);
}

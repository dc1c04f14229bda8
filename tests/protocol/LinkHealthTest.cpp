// Link health per board: failures counted by read kind, silent and cut-off
// replies, the last good read on an injected clock, and the tool-tip text.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "protocol/ChainProtocol.h"
#include "support/Replies.h"
#include "support/ScriptedDevice.h"

using namespace qm::protocol;
using namespace std::chrono_literals;
using qm::test::BoardBytes;
using qm::test::ChainReply;
using qm::test::PackCodes;

namespace {

struct Fixture {
    qm::test::ScriptedDevice board;
    RegisterImages images;
    TransferPanel panel;
    ChainSelection chain;
    ChainProtocol proto{board, images, panel, chain};
    HealthClock::time_point now{};

    explicit Fixture(int boards)
    {
        chain.lastBoardIndex = boards - 1;
        proto.setClock([this] { return now; });
    }
    const LinkHealth& health(int b) const { return images.health[static_cast<std::size_t>(b)]; }
};

// The same bytes for n boards.
std::vector<BoardBytes> Same(int n, BoardBytes bytes) { return std::vector<BoardBytes>(static_cast<std::size_t>(n), bytes); }
std::vector<BoardBytes> Cells(int n) { return Same(n, PackCodes(std::vector<unsigned>(12, 0xA00))); }

} // namespace

TEST(LinkHealth, PecFailuresCountByReadKindAndMissingAndShortRepliesApart)
{
    Fixture f(3);
    f.board.push(ChainReply(Cells(3), {1}));
    f.proto.ReadCellVoltages(0);
    f.board.push(ChainReply(Same(3, PackCodes({1, 2, 3, 4})), {1, 2}));
    f.proto.ReadCellVoltages(3); // RDCVB: still a cell read
    f.board.push(ChainReply(Same(3, {0, 0, 0}), {1}));
    f.proto.ReadFlags();
    f.board.push(ChainReply(Same(3, {0xE1, 0, 0, 0, 0, 0}), {0}));
    f.proto.ReadConfiguration();
    f.board.push(ChainReply(Same(3, {0, 0, 0, 0, 0}), {2}));
    f.proto.ReadTemperatures();
    f.board.push(ChainReply(Same(3, {0, 0}), {2}));
    f.proto.ReadDiagnostics();
    EXPECT_EQ(f.health(0).counts.pecFailures, (std::array<std::uint32_t, 5>{1, 0, 0, 0, 0}));
    EXPECT_EQ(f.health(1).counts.pecFailures, (std::array<std::uint32_t, 5>{0, 2, 0, 1, 0}));
    EXPECT_EQ(f.health(2).counts.pecFailures, (std::array<std::uint32_t, 5>{0, 1, 1, 0, 1}));
    EXPECT_EQ(f.health(0).goodReads, 5u);
    EXPECT_EQ(f.health(3).goodReads, 0u); // boards beyond the chain are never counted

    // Board 1 whole, board 2 ten characters, board 3 nothing.
    f.board.push(ChainReply(Cells(3)).substr(0, 4 + 38 + 10));
    f.proto.ReadCellVoltages(0);
    f.proto.ReadFlags(); // nothing at all
    const std::uint32_t missing[] = {1, 1, 2}, shortReplies[] = {0, 1, 0};
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(f.health(b).counts.missing, missing[b]) << b;
        EXPECT_EQ(f.health(b).counts.shortReplies, shortReplies[b]) << b;
    }
    EXPECT_EQ(f.health(1).counts.totalPecFailures(), 3u); // as before
    EXPECT_EQ(f.images.pecStatus[1], kPecMismatch);       // the verdict is still the read's own
    const std::string reply = ChainReply(Cells(2));
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 42), 0, 18), ReplyPart::Complete);
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 41), 0, 18), ReplyPart::Short);
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 42), 1, 18), ReplyPart::Missing);
}

TEST(LinkHealth, LastGoodReadFollowsTheInjectedClockAndTheToolTipSaysIt)
{
    Fixture f(2);
    EXPECT_EQ(HealthText(1, f.health(0), f.now), "Board 1: 0 PEC failures; 0 replies missing, 0 short; no good read yet");
    f.now = HealthClock::time_point{} + 10s;
    f.board.push(ChainReply(Cells(2)));
    f.proto.ReadCellVoltages(0);
    f.now += 200ms;
    f.board.push(ChainReply(Cells(2), {1}));
    f.proto.ReadCellVoltages(0);
    f.now += 100ms;
    f.board.push(ChainReply(Same(2, {0, 0, 0}), {1}));
    f.proto.ReadFlags();
    f.board.push(ChainReply(Cells(2)).substr(0, 50));
    f.proto.ReadCellVoltages(0);
    EXPECT_EQ(*f.health(0).lastGoodRead, HealthClock::time_point{} + 10300ms);
    EXPECT_EQ(*f.health(1).lastGoodRead, HealthClock::time_point{} + 10s); // its failures do not move it
    f.now += 1s;
    EXPECT_DOUBLE_EQ(*SecondsSinceGoodRead(f.health(1), f.now), 1.3);
    EXPECT_EQ(HealthText(2, f.health(1), f.now),
              "Board 2: 2 PEC failures (cells 1, flags 1); 0 replies missing, 1 short; last good read 1.3 s ago");
    LinkCounts one;
    one.pec(HealthKind::Diagnostics) = 1;
    one.missing = 1;
    EXPECT_EQ(HealthText(10, one, 0.04),
              "Board 10: 1 PEC failure (diagnostics 1); 1 reply missing, 0 short; last good read 0.0 s ago");
}

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "protocol/ChainProtocol.h"
#include "support/Replies.h"
#include "support/ScriptedDevice.h"

using namespace qm::protocol;
using namespace std::chrono_literals;
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

std::vector<qm::test::BoardBytes> Cells(int boards)
{
    return std::vector<qm::test::BoardBytes>(static_cast<std::size_t>(boards),
                                             PackCodes(std::vector<unsigned>(12, 0xA00)));
}

} // namespace

TEST(LinkHealth, PecFailuresAreCountedByReadKindAndCellGroupsCountAsCells)
{
    Fixture f(3);
    f.board.push(ChainReply(Cells(3), {1}));
    f.proto.ReadCellVoltages(0);
    f.board.push(ChainReply({PackCodes({1, 2, 3, 4}), PackCodes({1, 2, 3, 4}), PackCodes({1, 2, 3, 4})}, {1, 2}));
    f.proto.ReadCellVoltages(3); // RDCVB: still a cell read
    f.board.push(ChainReply({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {1}));
    f.proto.ReadFlags();
    f.board.push(ChainReply({{0xE1, 0, 0, 0, 0, 0}, {0xE1, 0, 0, 0, 0, 0}, {0xE1, 0, 0, 0, 0, 0}}, {0}));
    f.proto.ReadConfiguration();
    f.board.push(ChainReply({{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, {2}));
    f.proto.ReadTemperatures();
    f.board.push(ChainReply({{0, 0}, {0, 0}, {0, 0}}, {2}));
    f.proto.ReadDiagnostics();

    EXPECT_EQ(f.health(0).counts.pecFailures, (std::array<std::uint32_t, 5>{1, 0, 0, 0, 0}));
    EXPECT_EQ(f.health(1).counts.pecFailures, (std::array<std::uint32_t, 5>{0, 2, 0, 1, 0}));
    EXPECT_EQ(f.health(2).counts.pecFailures, (std::array<std::uint32_t, 5>{0, 1, 1, 0, 1}));
    EXPECT_EQ(f.health(0).goodReads, 5u);
    EXPECT_EQ(f.health(1).counts.totalPecFailures(), 3u);
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(f.health(b).counts.missing, 0u);
        EXPECT_EQ(f.health(b).counts.shortReplies, 0u);
    }
    EXPECT_EQ(f.health(3).goodReads, 0u); // boards beyond the chain are never counted
    // Counting changes nothing the read decides.
    EXPECT_EQ(f.images.pecStatus[2], kPecMismatch);
}

TEST(LinkHealth, SilentAndCutOffBoardsCountAsMissingAndShortNotAsPecFailures)
{
    Fixture f(3);
    std::string reply = ChainReply(Cells(3));
    f.board.push(reply.substr(0, 4 + 38 + 10)); // board 1 whole, board 2 ten characters, board 3 nothing
    f.proto.ReadCellVoltages(0);
    EXPECT_EQ(f.health(0).goodReads, 1u);
    EXPECT_EQ(f.health(1).counts.shortReplies, 1u);
    EXPECT_EQ(f.health(2).counts.missing, 1u);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(f.health(b).counts.totalPecFailures(), 0u) << b;
    EXPECT_EQ(f.images.pecStatus[1], kPecMismatch); // the verdict is still the reads' own

    f.proto.ReadFlags(); // nothing at all comes
    for (int b = 0; b < 3; ++b) EXPECT_EQ(f.health(b).counts.missing, b == 2 ? 2u : 1u) << b;

    // Only the board's own characters count: a reply that stops right after board 1's PEC.
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 42), 0, 18), ReplyPart::Complete);
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 41), 0, 18), ReplyPart::Short);
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 42), 1, 18), ReplyPart::Missing);
}

TEST(LinkHealth, LastGoodReadTimeFollowsTheInjectedClockAndTheToolTipSaysIt)
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
    f.board.push(ChainReply({{0, 0, 0}, {0, 0, 0}}, {1}));
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

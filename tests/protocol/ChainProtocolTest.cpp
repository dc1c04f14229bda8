// The chain commands over scripted replies: frames and reply lengths, where
// each board's bytes sit in a reply, what a read decodes and judges, the
// transfer panel and each board's link health. The command column's frames
// and the configuration write are tested with the session; every read and
// write frame, the thermal bit and the diagnostics on a mismatch included, by
// the shared read checker in the session soak; the health tool tips by the
// session's oval-tip test.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <string>
#include <vector>

#include "link/NullDevice.h"
#include "link/RecordingDevice.h"
#include "protocol/ChainProtocol.h"
#include "protocol/Colours.h"
#include "support/Replies.h"
#include "support/ScriptedDevice.h"

using namespace qm::protocol;
using namespace std::chrono_literals;
using qm::test::BoardBytes;
using qm::test::ChainReply;
using qm::test::PackCodes;
namespace colour = qm::colour;

namespace {

struct Fixture {
    qm::test::ScriptedDevice board;
    qm::link::RecordingDevice rec{board};
    RegisterImages images;
    TransferPanel panel;
    ChainSelection chain;
    ChainProtocol proto{rec, images, panel, chain};

    explicit Fixture(int boards = 1, bool measuring = false)
    {
        chain.lastBoardIndex = boards - 1;
        images.configReadValid.fill(measuring ? 1 : 0);
    }
    const std::string& code(int board, int cell) const { return images.codeText[RegisterImages::CellIndex(board, cell)]; }
};

std::vector<unsigned> Codes(unsigned first, int count)
{
    std::vector<unsigned> v(static_cast<std::size_t>(count));
    std::iota(v.begin(), v.end(), first);
    return v;
}

// The same bytes for n boards.
std::vector<BoardBytes> Same(int n, BoardBytes bytes) { return std::vector<BoardBytes>(static_cast<std::size_t>(n), bytes); }

} // namespace

// The start frames of the command column are the session's to show; here the
// selector in the command, validity and the keep-alive shown nowhere.
TEST(StartCommands, SelectorInTheCommandValidityOfBoardsInUseAndTheKeepAliveShownNowhere)
{
    Fixture f(3);
    f.images.cellValid.fill(1);
    f.images.flagValid.fill(1);
    f.proto.StartCellConversion(CellStartKind::STCVAD, "0");
    EXPECT_EQ(f.panel.caption, "Command = 0x10 STCVAD");
    EXPECT_EQ(f.panel.value, "  B0  |");
    for (int b = 0; b < 11; ++b) EXPECT_EQ(f.images.cellValid[b] + f.images.flagValid[b], b <= 2 ? 0 : 2) << b;
    f.proto.StartCellConversion(CellStartKind::STOWDC, "C");
    EXPECT_EQ(f.rec.writes().back(), "MSxS7CS" + CommandPec("7C") + "X");
    f.proto.StartPoll(0);
    EXPECT_EQ(f.rec.writes().back(), "MSxS40S07");
    f.proto.StartDiagnostic();
    EXPECT_EQ(f.rec.writes().back(), "MSxS52S79X");
    const TransferPanel before = f.panel;
    f.proto.SendKeepAlive();
    EXPECT_EQ(f.rec.writes().back(), "MSxS40S07X");
    EXPECT_EQ(f.panel.caption + f.panel.value, before.caption + before.value);
    EXPECT_TRUE(f.rec.reads().empty());
}

TEST(Reads, FramesAndReplyLengthsForOneAndTenBoards)
{
    // groupOrKind: -1 config, -2 flags, -3 temps, -4 diag, else the cell group code.
    struct Case { int boards, groupOrKind; std::string frameStart; std::size_t length; };
    const std::vector<Case> cases{
        {1, -1, "MSxT02TCE", 18}, {10, -1, "MSxT02TCE", 144}, {1, -2, "MSxT0CTE4", 12},
        {10, -3, "MSxT0ETEA", 124}, {10, -4, "MSxT54T6B", 64}, {1, 0, "MSxT04TDC", 42},
        {10, 0, "MSxT04TDC", 384}, {10, 1, "MSxT04TDC", 324}, {1, 2, "MSxT06TD2", 18},
        {1, 3, "MSxT08TF8", 18}, {1, 4, "MSxT0ATF6", 18}, {1, 5, "MSxT0ATF6", 12},
    };
    for (const auto& c : cases) {
        Fixture f(c.boards);
        switch (c.groupOrKind) {
        case -1: f.proto.ReadConfiguration(); break;
        case -2: f.proto.ReadFlags(); break;
        case -3: f.proto.ReadTemperatures(); break;
        case -4: f.proto.ReadDiagnostics(); break;
        default: f.proto.ReadCellVoltages(c.groupOrKind);
        }
        const std::string& frame = f.rec.writes().back();
        EXPECT_EQ(frame.substr(0, 9), c.frameStart);
        EXPECT_EQ(frame, c.frameStart + std::string((c.length - 4) / 2, 'R') + "X"); // one R per byte
        EXPECT_EQ(f.rec.reads().back(), c.length) << c.frameStart << " " << c.boards;
    }
    // A selection past the chain is held to ten boards.
    Fixture f(1);
    f.chain.lastBoardIndex = 14;
    f.chain.currentBoard = -3;
    f.images.measured[RegisterImages::TemperatureIndex(0, 1)] = 1.5f;
    f.proto.ReadCellVoltages(0);
    EXPECT_EQ(f.rec.reads().back(), 384u);
    EXPECT_FLOAT_EQ(f.images.measured[RegisterImages::TemperatureIndex(0, 1)], 1.5f);
    f.proto.WriteConfiguration();
    EXPECT_EQ(f.rec.writes().back().size(), 9u + 10 * 21 + 1);
}

TEST(Reads, CellCodesComeFromTheirCharactersAndGroupsFillOnlyTheirCells)
{
    Fixture f(10, true);
    std::vector<BoardBytes> boards;
    for (int b = 0; b < 10; ++b) boards.push_back(PackCodes(Codes(0x100 * static_cast<unsigned>(b) + 1, 12)));
    const std::string reply = ChainReply(boards);
    f.board.push(reply);
    f.proto.ReadCellVoltages(0);
    // Cell 12 of board 10: characters 381, 382 and 379.
    EXPECT_EQ(f.code(9, 12), (std::string{reply[380], reply[381], reply[378]}));
    EXPECT_EQ(f.code(9, 12), "90C");
    EXPECT_FLOAT_EQ(f.images.measured[RegisterImages::CellIndex(9, 12)], static_cast<float>((0x90C - 512) * 0.0015));
    EXPECT_EQ(f.code(0, 1), "001");
    EXPECT_EQ(f.code(4, 7), "407");
    for (int b = 0; b < 10; ++b) EXPECT_EQ(f.images.pecStatus[b], kPecMatched) << b;

    Fixture g(1);
    g.images.codeText[RegisterImages::CellIndex(0, 11)] = "ABC";
    g.board.push(ChainReply({PackCodes({0x111, 0x222})}));
    g.proto.ReadCellVoltages(5); // cells 9 and 10 of the 10-cell layout
    EXPECT_EQ(g.code(0, 9) + g.code(0, 10) + g.code(0, 11), "111222ABC");
    EXPECT_EQ(g.panel.caption, "Command = 0x0A RDCVC");
    EXPECT_EQ(g.panel.lastKind, 7);
    g.board.push(ChainReply({PackCodes({0x555, 0x556, 0x557, 0x558})}));
    g.proto.ReadCellVoltages(3);
    EXPECT_EQ(g.code(0, 5) + g.code(0, 8), "555558");
    EXPECT_EQ(g.panel.lastKind, 6);
}

TEST(Reads, AMismatchIsShownInvalidatesButStillDecodes)
{
    Fixture f(2, true);
    for (auto& v : f.images.flagValid) v = 1;
    f.board.push(ChainReply({PackCodes(Codes(0x800, 12)), PackCodes(Codes(0x900, 12))}, {1}));
    f.proto.ReadCellVoltages(0);
    EXPECT_EQ(f.images.pecStatus[0], kPecMatched);
    EXPECT_EQ(f.panel.valueBack, colour::kWhite);
    EXPECT_EQ(f.images.pecStatus[1], kPecMismatch);
    EXPECT_EQ(f.panel.ovalFill[1], colour::kRed);
    EXPECT_EQ(f.images.cellValid[1] + f.images.flagValid[1], 0);
    EXPECT_EQ(f.code(1, 1), "900"); // rewritten all the same
    RedrawTransferPanel(f.panel, f.images, 1, 1); // the panel shows the current board's verdict
    EXPECT_EQ(f.panel.valueBack, colour::kRed);
    EXPECT_NE(f.panel.value.find(" != "), std::string::npos);

    // An absent board answers nothing: zero codes, mismatches.
    qm::link::NullDevice absent;
    ChainSelection four{3, 0};
    ChainProtocol proto(absent, f.images, f.panel, four);
    proto.ReadCellVoltages(0);
    for (int b = 0; b < 4; ++b) EXPECT_EQ(f.images.pecStatus[b], kPecMismatch);
    EXPECT_FLOAT_EQ(f.images.measured[RegisterImages::CellIndex(3, 12)], -0.768f);
}

TEST(TransferPanel, ReadAndRedrawTexts)
{
    Fixture f(2);
    f.images.config.pec[0] = 0x3A; // RDCFG: board 1 returned 3A, 5C computed
    f.images.config.computed[0] = 0x5C;
    ShowRead(f.panel, f.images, ReadKind::Config, 0);
    EXPECT_EQ(f.panel.value, "  CE  | 3A  !=  5C");
    EXPECT_EQ(f.panel.valueBack, colour::kRed);
    EXPECT_EQ(f.panel.lastKind, 3);
    ShowConfigurationWrite(f.panel, f.images, 1);
    EXPECT_EQ(f.panel.headerTop, "| SENT | SENT  |");
    // After a start command a change of board brings back the last read.
    f.images.flags.pec[1] = f.images.flags.computed[1] = 0x07;
    ShowRead(f.panel, f.images, ReadKind::Flags, 0);
    f.proto.StartCellConversion(CellStartKind::STCVAD, "0");
    EXPECT_EQ(f.panel.direction, "W R");
    RedrawTransferPanel(f.panel, f.images, 1, 1);
    EXPECT_EQ(f.panel.caption, "Command = 0x0C RDFLG");
    EXPECT_EQ(f.panel.value, "  E4  |  07 == 07");
    f.panel.lastKind = kPanelNone;
    RedrawTransferPanel(f.panel, f.images, 1, 1);
    EXPECT_EQ(f.panel.value, "");
    EXPECT_EQ(f.panel.valueBack, colour::kSysWindow);
    EXPECT_EQ(f.panel.ovalFill[1], colour::kSysWindow);
    EXPECT_EQ(f.panel.ovalFill[2], colour::kWhite); // beyond the last board: untouched
}

TEST(LinkHealth, FailuresCountByReadKindMissingAndShortApartAndOnlyGoodReadsMoveTheLastGoodRead)
{
    Fixture f(3);
    HealthClock::time_point now = HealthClock::time_point{} + 10s;
    f.proto.setClock([&] { return now; });
    const auto health = [&](int b) -> const LinkHealth& { return f.images.health[static_cast<std::size_t>(b)]; };
    const auto cells = [](int n) { return Same(n, PackCodes(std::vector<unsigned>(12, 0xA00))); };

    f.board.push(ChainReply(cells(3), {1}));
    f.proto.ReadCellVoltages(0);
    now += 300ms;
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
    // Config, cells, temperatures, flags, diagnostics.
    EXPECT_EQ(health(0).counts.pecFailures, (std::array<std::uint32_t, 5>{1, 0, 0, 0, 0}));
    EXPECT_EQ(health(1).counts.pecFailures, (std::array<std::uint32_t, 5>{0, 2, 0, 1, 0}));
    EXPECT_EQ(health(2).counts.pecFailures, (std::array<std::uint32_t, 5>{0, 1, 1, 0, 1}));
    EXPECT_EQ(health(0).goodReads, 5u);
    EXPECT_EQ(health(3).goodReads, 0u); // boards beyond the chain are never counted

    // Board 1 whole, board 2 ten characters, board 3 nothing; then no reply at all.
    now += 1s;
    f.board.push(ChainReply(cells(3)).substr(0, 4 + 38 + 10));
    f.proto.ReadCellVoltages(0);
    f.proto.ReadFlags();
    const std::uint32_t missing[] = {1, 1, 2}, shortReplies[] = {0, 1, 0};
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(health(b).counts.missing, missing[b]) << b;
        EXPECT_EQ(health(b).counts.shortReplies, shortReplies[b]) << b;
    }
    EXPECT_EQ(health(1).counts.totalPecFailures(), 3u); // as before
    EXPECT_EQ(f.images.pecStatus[1], kPecMismatch);       // the verdict is still the read's own
    EXPECT_EQ(*health(0).lastGoodRead, HealthClock::time_point{} + 11300ms);
    EXPECT_EQ(*health(1).lastGoodRead, HealthClock::time_point{} + 10300ms); // its failures do not move it
    now += 1s;
    EXPECT_DOUBLE_EQ(*SecondsSinceGoodRead(health(1), now), 2.0);
    EXPECT_EQ(HealthText(2, health(1), now),
              "Board 2: 3 PEC failures (cells 2, flags 1); 1 reply missing, 1 short; last good read 2.0 s ago");

    const std::string reply = ChainReply(cells(2));
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 42), 0, 18), ReplyPart::Complete);
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 41), 0, 18), ReplyPart::Short);
    EXPECT_EQ(BoardReplyPart(reply.substr(0, 42), 1, 18), ReplyPart::Missing);
}

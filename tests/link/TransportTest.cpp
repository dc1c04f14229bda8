// Transactions with the controller board, reply cutting, identification and
// the count of characters a command text is answered with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/AnswerCount.h"
#include "link/Identify.h"
#include "link/NullDevice.h"
#include "link/RecordingDevice.h"
#include "link/Transport.h"
#include "support/ScriptedDevice.h"

using namespace qm::link;
using qm::test::ScriptedDevice;
using namespace std::string_literals;

TEST(Transport, EachTransactionOpensSetsTimeOutsWritesReadsAndCloses)
{
    ScriptedDevice board;
    board.push("FFFF3A3B");
    board.push(std::string(600, 'A'));
    RecordingDevice rec(board);
    const std::string reply = TransactWithReply(rec, "MSxT02TCERRRRRRRX", 18);
    EXPECT_EQ(rec.log(), (std::vector<std::string>{"open 0", "timeouts 1000 1000", "write MSxT02TCERRRRRRRX",
                                                   "read 18", "close"}));
    EXPECT_EQ(reply, "FFFF3A3B" + std::string(504, '\0')); // the 512-character buffer
    // A reply length outside the buffer is clamped to it.
    EXPECT_EQ(TransactWithReply(rec, "R", 700).size(), 512u);
    EXPECT_EQ(rec.reads().back(), 512u);
    EXPECT_EQ(TransactWithReply(rec, "R", -5), std::string(512, '\0'));
    EXPECT_EQ(rec.reads().back(), 0u);

    // An absent board: the calls are still made, fail without effect, and the
    // reply reads as zero bytes.
    NullDevice absent;
    RecordingDevice none(absent);
    const std::string nothing = TransactWithReply(none, "MSxT02TCERRRRRRRX", 18);
    EXPECT_EQ(nothing, std::string(512, '\0'));
    for (int k = 0; k <= 6; ++k) EXPECT_EQ(ReplyByte(nothing, 0, k, 6), 0);
    EXPECT_EQ(none.log().size(), 5u);
    SendStandbyLines(none);
    ClosePollFrame(none);
    EXPECT_EQ(std::vector<std::string>(none.log().begin() + 5, none.log().end()),
              (std::vector<std::string>{"open 0", "timeouts 1000 1000", "write MI", "close", "open 0",
                                        "timeouts 1000 1000", "write MSX", "close"}));
}

TEST(ReplyCutting, PositionsOfBoardsAndBytes)
{
    EXPECT_EQ(ReplyBytePosition(0, 6, 6), 17); // one board, n = 6: PEC at 17-18
    EXPECT_EQ(ReplyBytePosition(0, 0, 6), 5);
    EXPECT_EQ(ReplyBytePosition(9, 17, 18), 381); // ten boards, cell bytes: last data byte
    const std::string reply = "FFFF" "0102" "03" "A0B1" "C2"; // two boards of n = 2
    EXPECT_EQ(ReplyByte(reply, 0, 0, 2), 0x01);
    EXPECT_EQ(ReplyByte(reply, 0, 2, 2), 0x03);
    EXPECT_EQ(ReplyByte(reply, 1, 0, 2), 0xA0);
    EXPECT_EQ(ReplyByte(reply, 1, 2, 2), 0xC2);
    EXPECT_EQ(ReplyByte(reply, 5, 0, 2), 0); // past the end: 0, never out of bounds
    EXPECT_EQ(ReplyChars(reply, 19, 2).size(), 2u);
    EXPECT_EQ(ReplyByte("FFFF4\0"s, 0, 0, 1), 4);
}

TEST(Identification, RecognisedVariantsAndLabelText)
{
    const std::vector<std::tuple<std::string, std::int16_t, std::string>> cases{
        {"QM7410-1 XU250B controller\r\n", -1, "QM7410-1"}, {"QM7410-3 with more text", -1, "QM7410-3"},
        {"qm7410-1", 0, "qm7410-1"}, {"QM7410-2", 0, "QM7410-2"}, {"QM7411-1", 0, "QM7411-1"},
        {"QM7410", 0, "QM7410"}, {"", 0, ""},
    };
    for (const auto& [reply, flag, label] : cases) {
        ScriptedDevice board;
        board.push(reply);
        RecordingDevice rec(board);
        const Identification id = IdentifyController(rec);
        EXPECT_EQ(id.recognised, flag) << reply;
        EXPECT_EQ(id.text, label) << reply;
        EXPECT_EQ(std::vector<std::string>(rec.log().begin(), rec.log().begin() + 3),
                  (std::vector<std::string>{"open 0", "timeouts 200 50", "write IZ"}));
        EXPECT_EQ(rec.log().back(), "close");
    }
    NullDevice absent;
    EXPECT_EQ(IdentifyController(absent).recognised, 0);
}

// The read ends as soon as the reply is complete: at its line end, or after a
// short silence once the compared characters are in. Until then each read may
// wait out what is left of the 200 ms.
TEST(Identification, ReadEndsWhenTheReplyIsComplete)
{
    struct Case {
        std::string reply;
        std::size_t piece;
        std::vector<std::string> reads; // "... 200": what is left of the 200 ms
    };
    const std::vector<Case> cases{
        {"QM7410-1 XU250B\r\n", 0, {"read-available 50 200"}}, // line end in the first piece
        {"QM7410-3 v2\r\nafter", 4,
         {"read-available 50 200", "read-available 46 200", "read-available 42 5", "read-available 38 5"}},
        {"QM7410-1", 0, {"read-available 50 200", "read-available 42 5"}}, // no line end: the silence ends it
        {"", 0, {"read-available 50 200"}},                                // a silent board waits once
    };
    for (const auto& c : cases) {
        ScriptedDevice board;
        board.pieceSize = c.piece;
        board.push(c.reply);
        RecordingDevice rec(board);
        const Identification id = IdentifyController(rec);
        std::vector<std::string> reads;
        for (const auto& line : rec.log()) {
            if (line.rfind("read", 0) != 0) continue;
            const auto space = line.rfind(' ');
            const int wait = std::stoi(line.substr(space + 1));
            reads.push_back(line.substr(0, space + 1) + (wait > 150 && wait <= 200 ? "200" : std::to_string(wait)));
        }
        EXPECT_EQ(reads, c.reads) << c.reply;
        EXPECT_EQ(id.text, c.reply.substr(0, std::min<std::size_t>(8, c.reply.size())));
    }
}

TEST(AnswerCount, TokensTheControllerAnswers)
{
    const std::pair<const char*, std::size_t> cases[] = {
        {"MSxT01SC7SE0S00S00S00S00S00SFEX", 2}, {"MSxT02TCERRRRRRRX", 18}, {"MSxS10SB0X", 0}, {"MSX", 0},
        {"MI", 0}, {"IZ", 0}, {"MSxSRRSTTX", 0}, /* "R" and "T" as hex digits of S tokens */ {"", 0},
    };
    for (const auto& [text, count] : cases) EXPECT_EQ(AnsweredCharacters(text), count) << text;
}

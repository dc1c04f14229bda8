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

TEST(Transport, ReplyTransactionSequenceAndBuffer)
{
    ScriptedDevice board;
    board.push("FFFF3A3B");
    RecordingDevice rec(board);
    const std::string reply = TransactWithReply(rec, "MSxT02TCERRRRRRRX", 18);
    EXPECT_EQ(rec.log(), (std::vector<std::string>{"open 0", "timeouts 1000 1000", "write MSxT02TCERRRRRRRX",
                                                   "read 18", "close"}));
    ASSERT_EQ(reply.size(), 512u);
    EXPECT_EQ(reply.substr(0, 8), "FFFF3A3B");
    EXPECT_EQ(reply.find_first_not_of('\0', 8), std::string::npos); // NULs after the received bytes
}

TEST(Transport, AbsentBoardGivesNulsThatReadAsZero)
{
    NullDevice absent;
    RecordingDevice rec(absent);
    const std::string reply = TransactWithReply(rec, "MSxT02TCERRRRRRRX", 18);
    EXPECT_EQ(reply, std::string(512, '\0'));
    for (int k = 0; k <= 6; ++k) EXPECT_EQ(ReplyByte(reply, 0, k, 6), 0);
    // The calls are still made; they fail without effect.
    EXPECT_EQ(rec.log().size(), 5u);
}

TEST(Transport, ReplyLengthIsClampedToTheBuffer)
{
    ScriptedDevice board;
    board.push(std::string(600, 'A'));
    RecordingDevice rec(board);
    EXPECT_EQ(TransactWithReply(rec, "R", 700).size(), 512u);
    EXPECT_EQ(rec.reads().back(), 512u);
    EXPECT_EQ(TransactWithReply(rec, "R", -5), std::string(512, '\0'));
    EXPECT_EQ(rec.reads().back(), 0u);
}

TEST(Transport, WriteOnlyCommands)
{
    NullDevice absent;
    RecordingDevice rec(absent);
    SendStandbyLines(rec);
    ClosePollFrame(rec);
    EXPECT_EQ(rec.log(), (std::vector<std::string>{"open 0", "timeouts 1000 1000", "write MI", "close", "open 0",
                                                   "timeouts 1000 1000", "write MSX", "close"}));
    EXPECT_TRUE(rec.reads().empty());
}

TEST(ReplyCutting, PositionsOfBoardsAndBytes)
{
    EXPECT_EQ(ReplyBytePosition(0, 6, 6), 17); // one board, n = 6: PEC at 17-18
    EXPECT_EQ(ReplyBytePosition(0, 0, 6), 5);
    EXPECT_EQ(ReplyBytePosition(9, 17, 18), 381); // ten boards, cell bytes: last data byte
    // Board b's bytes in a reply built for two boards of n = 2.
    const std::string reply = "FFFF" "0102" "03" "A0B1" "C2";
    EXPECT_EQ(ReplyByte(reply, 0, 0, 2), 0x01);
    EXPECT_EQ(ReplyByte(reply, 0, 2, 2), 0x03);
    EXPECT_EQ(ReplyByte(reply, 1, 0, 2), 0xA0);
    EXPECT_EQ(ReplyByte(reply, 1, 2, 2), 0xC2);
    // Past the end of the text: reads as 0, never out of bounds.
    EXPECT_EQ(ReplyByte(reply, 5, 0, 2), 0);
    EXPECT_EQ(ReplyChars(reply, 19, 2).size(), 2u);
    const std::string halfByte = "FFFF4\0"s;
    EXPECT_EQ(ReplyByte(halfByte, 0, 0, 1), 4);
}

TEST(Identification, RecognisedVariantsAndLabelText)
{
    struct Case {
        std::string reply;
        std::int16_t flag;
        std::string label;
    };
    const std::vector<Case> cases{
        {"QM7410-1 XU250B controller\r\n", -1, "QM7410-1"},
        {"QM7410-3 with more text", -1, "QM7410-3"},
        {"qm7410-1", 0, "qm7410-1"},
        {"QM7410-2", 0, "QM7410-2"},
        {"QM7410", 0, "QM7410"},
        {"", 0, ""},
    };
    for (const auto& c : cases) {
        ScriptedDevice board;
        board.push(c.reply);
        RecordingDevice rec(board);
        const Identification id = IdentifyController(rec);
        EXPECT_EQ(id.recognised, c.flag) << c.reply;
        EXPECT_EQ(id.text, c.label) << c.reply;
        EXPECT_EQ(rec.log().front(), "open 0");
        EXPECT_EQ(rec.log()[1], "timeouts 200 50");
        EXPECT_EQ(rec.log()[2], "write IZ");
        EXPECT_EQ(rec.log().back(), "close");
    }
}

// The read ends as soon as the reply is complete: at its line end, or after a
// short silence once the compared characters are in. Until then each read may
// wait out what is left of the 200 ms.
TEST(Identification, ReadEndsWhenTheReplyIsComplete)
{
    struct Case {
        std::string reply;
        std::size_t piece;
        std::vector<std::string> reads;
    };
    const std::vector<Case> cases{
        // Line end in the first piece: one read.
        {"QM7410-1 XU250B\r\n", 0, {"read-available 50 200"}},
        // Pieces of 4: two reads for the compared text, then quiet waits up to the line end.
        {"QM7410-3 v2\r\nafter", 4,
         {"read-available 50 200", "read-available 46 200", "read-available 42 5", "read-available 38 5"}},
        // No line end: the silence after the text ends it.
        {"QM7410-1", 0, {"read-available 50 200", "read-available 42 5"}},
        // A silent board is given the whole 200 ms once.
        {"", 0, {"read-available 50 200"}},
    };
    for (const auto& c : cases) {
        ScriptedDevice board;
        board.pieceSize = c.piece;
        board.push(c.reply);
        RecordingDevice rec(board);
        const Identification id = IdentifyController(rec);
        std::vector<std::string> reads;
        for (const auto& line : rec.log())
            if (line.rfind("read", 0) == 0) reads.push_back(line);
        ASSERT_EQ(reads.size(), c.reads.size()) << c.reply;
        for (std::size_t i = 0; i < reads.size(); ++i) {
            // Waits before the text is in are what is left of 200 ms.
            if (c.reads[i].ends_with(" 200")) {
                const std::string prefix = c.reads[i].substr(0, c.reads[i].size() - 3);
                ASSERT_EQ(reads[i].substr(0, prefix.size()), prefix) << c.reply;
                EXPECT_GT(std::stoi(reads[i].substr(prefix.size())), 150) << c.reply;
            } else {
                EXPECT_EQ(reads[i], c.reads[i]) << c.reply;
            }
        }
        EXPECT_EQ(id.text, c.reply.substr(0, std::min<std::size_t>(8, c.reply.size())));
    }
}

TEST(Identification, AbsentBoardIsNotRecognised)
{
    NullDevice absent;
    const Identification id = IdentifyController(absent);
    EXPECT_EQ(id.recognised, 0);
    EXPECT_EQ(id.text, "");
}

TEST(AnswerCount, TokensTheControllerAnswers)
{
    EXPECT_EQ(AnsweredCharacters("MSxT01SC7SE0S00S00S00S00S00SFEX"), 2u);
    EXPECT_EQ(AnsweredCharacters("MSxT02TCERRRRRRRX"), 18u);
    EXPECT_EQ(AnsweredCharacters("MSxS10SB0X"), 0u);
    EXPECT_EQ(AnsweredCharacters("MSX"), 0u);
    EXPECT_EQ(AnsweredCharacters("MI"), 0u);
    EXPECT_EQ(AnsweredCharacters("IZ"), 0u);
    EXPECT_EQ(AnsweredCharacters("MSxSRRSTTX"), 0u); // "R" and "T" as hex digits of S tokens
    EXPECT_EQ(AnsweredCharacters(""), 0u);
}

// Controllers that misbehave: silent, absent, short, overlong, garbage and
// corrupted replies, for one board and for ten, through every register read,
// the configuration write and the classification after them. Whatever comes
// back, nothing crashes, no image or status code leaves its range, boards
// beyond the chain stay untouched, and a PEC that does not match is reported
// as a mismatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "link/NullDevice.h"
#include "link/Transport.h"
#include "presentation/DisplayContent.h"
#include "protocol/Pec.h"
#include "robustness/Rig.h"
#include "support/Replies.h"

using namespace qm;
using namespace qm::robustness;

namespace {

// Answers every read with the text a function makes for the requested count;
// it delivers at most the count (a device cannot put more into the buffer) but
// may claim to have delivered more.
class AnsweringDevice : public link::Device {
public:
    using Answer = std::function<std::string(std::size_t requested)>;
    explicit AnsweringDevice(Answer answer, bool overclaim = false)
        : answer_(std::move(answer)), overclaim_(overclaim)
    {
    }

    bool open(int) override { return true; }
    void setTimeouts(int, int) override {}
    std::size_t write(std::string_view bytes) override { return bytes.size(); }
    std::size_t read(char* buf, std::size_t n) override
    {
        const std::string text = answer_(n);
        const std::size_t k = std::min(n, text.size());
        if (k > 0) std::memcpy(buf, text.data(), k);
        return overclaim_ ? text.size() : k;
    }
    std::int32_t close() override { return 0; }

private:
    Answer answer_;
    bool overclaim_;
};

std::vector<ReadShape> AllReads()
{
    std::vector<ReadShape> reads{ConfigurationRead(), FlagRead(), TemperatureRead(), DiagnosticRead()};
    for (int g = 0; g <= 5; ++g) reads.push_back(CellRead(g));
    return reads;
}

std::string Name(const ReadShape& shape)
{
    return "read kind " + std::to_string(static_cast<int>(shape.kind)) + ", group " + std::to_string(shape.groupCode);
}

// A well-formed chain reply for the shape: plausible bytes per board (CDC 2 in
// a configuration), PEC spoiled on the given boards.
std::string ChainAnswer(const ReadShape& shape, int boards, const std::vector<int>& spoiled = {})
{
    std::vector<test::BoardBytes> data;
    for (int b = 0; b < boards; ++b) {
        test::BoardBytes bytes;
        for (int k = 0; k < shape.bytesPerBoard; ++k) bytes.push_back(static_cast<std::uint8_t>(0x35 + 29 * b + 11 * k));
        if (shape.kind == protocol::ReadKind::Config) bytes[0] = 0xE2;
        data.push_back(bytes);
    }
    return test::ChainReply(data, spoiled);
}

// The first and the last board (one board when the chain has one).
std::vector<int> Ends(int boards) { return boards == 1 ? std::vector<int>{0} : std::vector<int>{0, boards - 1}; }

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

// Seeded bytes 0..255, NUL and high bytes included.
std::string Garbage(std::size_t n, unsigned seed)
{
    std::string text(n, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (char& c : text) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return text;
}

void AllMeasuring(Rig& rig)
{
    for (auto& v : rig.images.configReadValid) v = 1;
}

struct BadAnswer {
    std::string name;
    // The controller's answer for a read of this shape on this many boards.
    std::function<std::string(const ReadShape&, int boards, std::size_t requested)> make;
    bool overclaim = false;
};

const std::vector<BadAnswer>& BadAnswers()
{
    static const std::vector<BadAnswer> answers{
        {"silent", [](const ReadShape&, int, std::size_t) { return std::string(); }},
        {"short", [](const ReadShape& s, int b, std::size_t) { auto t = ChainAnswer(s, b); return t.substr(0, t.size() / 2); }},
        {"overlong", [](const ReadShape& s, int b, std::size_t) { return ChainAnswer(s, b) + std::string(700, 'F'); }, true},
        {"garbage", [](const ReadShape& s, int b, std::size_t n) { return Garbage(n, static_cast<unsigned>(s.bytesPerBoard * 31 + b)); }},
        {"not hex", [](const ReadShape&, int, std::size_t n) { return std::string(n, 'G'); }},
        {"one digit then NUL", [](const ReadShape&, int, std::size_t n) {
             std::string t;
             while (t.size() < n) t += std::string("4\0", 2);
             return t;
         }},
        {"lower case", [](const ReadShape& s, int b, std::size_t) { return Lower(ChainAnswer(s, b)); }},
        {"PEC spoiled on the first and last board",
         [](const ReadShape& s, int b, std::size_t) { return ChainAnswer(s, b, Ends(b)); }},
    };
    return answers;
}

} // namespace

TEST(BadController, EveryReadOfOneAndTenBoardsStaysInRange)
{
    for (int boards : {1, 10}) {
        for (const auto& bad : BadAnswers()) {
            for (const ReadShape& shape : AllReads()) {
                SCOPED_TRACE(bad.name + ", " + std::to_string(boards) + " boards, " + Name(shape));
                AnsweringDevice device([&](std::size_t n) { return bad.make(shape, boards, n); }, bad.overclaim);
                Rig rig(device, boards, boards - 1);
                AllMeasuring(rig);
                // Twice: the second read starts from images the first one left.
                for (int round = 0; round < 2; ++round) {
                    const Report report = ReadAndClassify(rig, shape);
                    ASSERT_TRUE(report.Ok()) << report.Text();
                }
                EXPECT_LE(rig.tap.largestReadCount(), link::kReplyBufferSize);
            }
        }
    }
}

TEST(BadController, VerdictsOfKnownAnswers)
{
    for (int boards : {1, 10}) {
        for (const ReadShape& shape : AllReads()) {
            SCOPED_TRACE(std::to_string(boards) + " boards, " + Name(shape));
            auto statuses = [&](const std::string& answer) {
                AnsweringDevice device([&](std::size_t) { return answer; });
                Rig rig(device, boards);
                AllMeasuring(rig);
                EXPECT_TRUE(ReadAndClassify(rig, shape).Ok());
                return std::vector<std::int16_t>(rig.images.pecStatus.begin(), rig.images.pecStatus.begin() + boards);
            };
            using V = std::vector<std::int16_t>;
            const V allMatched(static_cast<std::size_t>(boards), protocol::kPecMatched);
            const V allMismatched(static_cast<std::size_t>(boards), protocol::kPecMismatch);

            EXPECT_EQ(statuses(ChainAnswer(shape, boards)), allMatched);
            EXPECT_EQ(statuses(Lower(ChainAnswer(shape, boards))), allMatched); // "ff" reads as "FF"
            // Nothing, NULs or text without hex digits: every byte 0, whose PEC is not 0.
            EXPECT_EQ(statuses(""), allMismatched);
            EXPECT_EQ(statuses(std::string(600, 'Z')), allMismatched);

            V spoiled = allMatched;
            spoiled.front() = spoiled.back() = protocol::kPecMismatch;
            EXPECT_EQ(statuses(ChainAnswer(shape, boards, Ends(boards))), spoiled);

            // Cut short inside the last board: the boards before it still match.
            std::string cut = ChainAnswer(shape, boards);
            cut.resize(cut.size() - 3);
            V lastMissing = allMatched;
            lastMissing.back() = protocol::kPecMismatch;
            EXPECT_EQ(statuses(cut), lastMissing);
        }
    }
}

TEST(BadController, AbsentBoardReadsZeroCodesOnEveryBoard)
{
    link::NullDevice absent;
    Rig rig(absent, 10);
    AllMeasuring(rig);
    for (int b = 0; b < 10; ++b) rig.images.flagValid[static_cast<std::size_t>(b)] = 1;
    const Report report = ReadAndClassify(rig, CellRead(0));
    ASSERT_TRUE(report.Ok()) << report.Text();
    for (int b = 0; b < 10; ++b) {
        EXPECT_EQ(rig.images.pecStatus[static_cast<std::size_t>(b)], protocol::kPecMismatch);
        EXPECT_EQ(rig.images.cellValid[static_cast<std::size_t>(b)], 0);
        EXPECT_EQ(rig.images.flagValid[static_cast<std::size_t>(b)], 0);
        for (int c = 1; c <= 12; ++c) {
            EXPECT_EQ(rig.state.Code(b, c), presentation::kNoReading);
            EXPECT_EQ(presentation::CellValueText(rig.images, b, c), "-0.7680V  ");
        }
    }
    EXPECT_EQ(rig.images.cellsReply, std::string(link::kReplyBufferSize, '\0'));
}

TEST(BadController, OverlongAnswerNeverReachesPastTheRequestedCount)
{
    const ReadShape shape = CellRead(0);
    AnsweringDevice device([](std::size_t) { return std::string(2000, 'A'); }, true);
    Rig rig(device, 10);
    ASSERT_TRUE(ReadAndClassify(rig, shape).Ok());
    const std::size_t requested = 4 + 10 * 38;
    EXPECT_EQ(rig.tap.lastReadCount(), requested);
    const std::string& reply = rig.images.cellsReply;
    ASSERT_EQ(reply.size(), link::kReplyBufferSize);
    EXPECT_EQ(reply.find_first_not_of('A'), requested);
    EXPECT_EQ(reply.find_first_not_of('\0', requested), std::string::npos);
}

TEST(BadController, GarbledPendingRegistersStillMakeAWellFormedWrite)
{
    const std::vector<std::string> garbled{"", "Z", "1", "123", std::string("\x01\xFF", 2), "e0", "G7", " 5"};
    for (int boards : {1, 10}) {
        SCOPED_TRACE(std::to_string(boards) + " boards");
        link::NullDevice absent;
        Rig rig(absent, boards);
        for (int b = 0; b < boards; ++b)
            for (std::size_t k = 0; k < 6; ++k)
                rig.images.pending[static_cast<std::size_t>(b)][k] = garbled[(static_cast<std::size_t>(b) + k) % garbled.size()];
        const Report written = WriteAndClassify(rig);
        ASSERT_TRUE(written.Ok()) << written.Text();
        // The rules read the garbled written copy; the codes stay in range.
        AllMeasuring(rig);
        for (const ReadShape& shape : AllReads()) {
            const Report report = ReadAndClassify(rig, shape);
            ASSERT_TRUE(report.Ok()) << Name(shape) << "\n" << report.Text();
        }
    }
}

// The "DIAGNOSTIC" panel: START DIAGN empties the fields, READ DIAGN decodes
// every board's DGNR0/DGNR1 and shows the current board. Replies the simulated
// chips never give (other revisions, exact reference codes, broken PECs) come
// from a scripted board.
#include <gtest/gtest.h>

#include <deque>

#include "../support/Replies.h"
#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::BoardBytes;
using qm::test::ChainReply;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

// A controller board that identifies itself and answers each RDDGNR frame with
// the next queued reply; every other frame gets no answer (zero bytes).
class DiagnosticBoard : public link::Device {
public:
    void queue(std::string reply) { replies_.push_back(std::move(reply)); }

    bool open(int) override { return true; }
    void setTimeouts(int, int) override {}
    std::size_t write(std::string_view bytes) override
    {
        writes.emplace_back(bytes);
        pending_.clear();
        if (bytes == "IZ") {
            pending_ = "QM7410-1 scripted board\r\n";
        } else if (bytes.substr(0, 6) == "MSxT54" && !replies_.empty()) {
            pending_ = std::move(replies_.front());
            replies_.pop_front();
        }
        return bytes.size();
    }
    std::size_t read(char* buf, std::size_t n) override
    {
        const std::size_t k = std::min(n, pending_.size());
        std::copy_n(pending_.data(), k, buf);
        pending_.erase(0, k);
        return k;
    }
    std::int32_t close() override { return 0; }

    std::vector<std::string> writes;

private:
    std::deque<std::string> replies_;
    std::string pending_;
};

struct ScriptedRig {
    DiagnosticBoard board;
    ui::MainWindow window{board};

    ScriptedRig()
    {
        window.monitor().showMessage = [](const std::string&) {};
        window.monitor().closeWindow = [](ui::CloseReason) {};
        started = window.start();
        window.form().Timer1->stop();
    }
    ui::Form& form() { return window.form(); }
    void read(const std::vector<BoardBytes>& boards, const std::vector<int>& badPec = {})
    {
        board.queue(ChainReply(boards, badPec));
        form().Command7[1]->click();
    }
    std::array<std::string, 5> fields()
    {
        std::array<std::string, 5> out;
        for (std::size_t i = 0; i < 5; ++i) out[i] = Text(form().Text14[i]);
        return out;
    }

    bool started = false;
};

} // namespace

TEST(Diagnostics, RevisionAndMultiplexerCheckFromTheHighNibbleOfDgnr1)
{
    struct Case {
        std::uint8_t nibble;
        const char* revision;
        const char* check;
        int back;
    };
    const std::vector<Case> cases{
        {0x0, "   A    ", " PASS", colour::kGreen}, {0x4, "   B    ", " PASS", colour::kGreen},
        {0x5, "   B    ", " PASS", colour::kGreen}, {0x6, "   B    ", " FAIL", colour::kRed},
        {0x7, "   B    ", " FAIL", colour::kRed},   {0x8, "   C    ", " PASS", colour::kGreen},
        {0xF, "   D    ", " FAIL", colour::kRed},
    };
    ScriptedRig rig;
    ASSERT_TRUE(rig.started);
    for (const Case& k : cases) {
        const auto dgnr1 = static_cast<std::uint8_t>(k.nibble << 4 | 0x0A);
        rig.read({{0x00, dgnr1}});
        const auto f = rig.fields();
        EXPECT_EQ(f[0], "   00   ");
        EXPECT_EQ(f[1], "   " + protocol::ByteText(dgnr1) + "   ");
        EXPECT_EQ(f[2], k.revision) << int(k.nibble);
        EXPECT_EQ(f[3], k.check) << int(k.nibble);
        EXPECT_EQ(rig.form().Text14[3]->backColor(), k.back) << int(k.nibble);
        // Reference code 0xA00 = 2560: (2560 - 512) * 1.5 mV.
        EXPECT_EQ(f[4], "3.0720V ") << int(k.nibble);
    }
    rig.read({{0x05, 0x80}});
    EXPECT_EQ(rig.fields()[0], "   05   ");
    EXPECT_EQ(rig.fields()[4], "-0.7605V "); // code 0x005 lies below the 512 offset
}

TEST(Diagnostics, BrokenPecShowsQuestionMarksButStillTheReference)
{
    ScriptedRig rig;
    ASSERT_TRUE(rig.started);
    rig.read({{0x00, 0xCA}}); // revision D, check passing
    EXPECT_EQ(rig.fields()[2], "   D    ");

    rig.read({{0x00, 0x6B}}, {0});
    const auto f = rig.fields();
    EXPECT_EQ(f[0], "   00   ");
    EXPECT_EQ(f[1], "   6B   ");
    EXPECT_EQ(f[2], "   ?    ");
    EXPECT_EQ(f[3], " ????");
    EXPECT_EQ(rig.form().Text14[3]->backColor(), colour::kWhite); // not the earlier PASS green
    // (0xB00 - 512) * 1.5 mV, decoded from the received bytes all the same.
    EXPECT_EQ(f[4], "3.4560V ");
    // The revision and check of the earlier good read are kept.
    const auto& diag = rig.window.monitor().state().images.diag[0];
    EXPECT_EQ(diag.revision, 3);
    EXPECT_EQ(diag.muxFail, 0);
    // The transfer panel shows the mismatch on red.
    EXPECT_EQ(rig.form().Text8->backColor(), colour::kRed);
}

TEST(Diagnostics, StartEmptiesThePanelAndArmsTheReadButton)
{
    ScriptedRig rig;
    ASSERT_TRUE(rig.started);
    rig.read({{0x00, 0x8A}});
    auto* read = rig.form().Command7[1];
    EXPECT_FALSE(rig.form().Shape16[5]->visible()); // a read without a start leaves the tab idle

    rig.board.writes.clear();
    rig.form().Command7[0]->click(); // "START DIAGN"
    ASSERT_EQ(rig.board.writes.size(), 1u);
    EXPECT_EQ(rig.board.writes[0].substr(0, 6), "MSxS52");
    EXPECT_EQ(rig.board.writes[0].back(), 'X');
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Text(rig.form().Text14[i]), "") << i;
        EXPECT_EQ(rig.form().Text14[i]->backColor(), colour::kWhite) << i;
    }
    EXPECT_EQ(Text(rig.form().Text14[4]), " 0.0000V ");
    EXPECT_EQ(rig.form().Text14[4]->backColor(), -2147483640);
    EXPECT_EQ(rig.form().Text14[4]->foreColor(), colour::kWhite);
    EXPECT_TRUE(rig.form().Shape16[5]->visible());
    EXPECT_EQ(read->top(), 2362);
    EXPECT_EQ(read->bounds().height, 400);

    rig.read({{0x00, 0x8A}});
    EXPECT_EQ(rig.fields()[2], "   C    ");
    EXPECT_FALSE(rig.form().Shape16[5]->visible());
    EXPECT_EQ(read->top(), 2330);
    EXPECT_EQ(read->bounds().height, 500);
}

TEST(Diagnostics, EachBoardKeepsItsValuesAndAMissingBoardReadsZero)
{
    ScriptedRig rig;
    ASSERT_TRUE(rig.started);
    rig.form().Combo1->setListIndexAsClick(1); // two boards
    // Only board 1 answers; board 2's bytes and PEC read as zero.
    rig.read({{0x00, 0x4A}});
    EXPECT_EQ(rig.fields()[2], "   B    ");

    rig.board.writes.clear();
    rig.form().Command4[1]->click();
    EXPECT_TRUE(rig.board.writes.empty()); // shown from the images, no new read
    const auto f = rig.fields();
    EXPECT_EQ(f[0], "   00   ");
    EXPECT_EQ(f[1], "   00   ");
    EXPECT_EQ(f[2], "   ?    ");
    EXPECT_EQ(f[3], " ????");
    EXPECT_EQ(f[4], "-0.7680V ");

    rig.form().Command4[0]->click();
    EXPECT_EQ(rig.fields()[2], "   B    ");
    EXPECT_EQ(rig.fields()[4], "3.0720V ");
}

TEST(Diagnostics, SimulatedChainReportsItsReferenceAndAFailingMultiplexer)
{
    WindowRig rig("boards=2,mux-fail=1");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    rig.writeMeasureMode();
    rig.click(rig.form().Command1[10]); // the diagnostic buttons stay usable in the cycle
    ASSERT_TRUE(rig.form().Command7[0]->isEnabled());
    ASSERT_TRUE(rig.form().Command7[1]->isEnabled());
    rig.click(rig.form().Command7[0]);
    rig.click(rig.form().Command7[1]);
    EXPECT_EQ(Text(rig.form().Text14[2]), "   C    ");
    EXPECT_EQ(Text(rig.form().Text14[3]), " PASS");
    const float volts = std::stof(Text(rig.form().Text14[4]));
    EXPECT_NEAR(volts, 2.3, 0.05);

    rig.click(rig.form().Command4[1]);
    EXPECT_EQ(Text(rig.form().Text14[3]), " FAIL");
    EXPECT_EQ(rig.form().Text14[3]->backColor(), colour::kRed);
}

// A seeded random operator at the real controls of the window over a faulty
// simulated stack: thousands of clicks, ticks, board counts and threshold
// entries (garbage included). After every action the window's state stays in
// range and consistent with what it shows, and only the threshold check ever
// raises a message box. An operator who pulls the plug half way through
// closes the window at the next tick that identifies the board.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <random>
#include <sstream>
#include <string_view>

#include "WindowRig.h"
#include "config/Thresholds.h"
#include "presentation/StatusTable.h"
#include "protocol/ByteText.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kActions = 3000; // the sanitizer build runs about ten times slower
#else
constexpr int kActions = 6000;
#endif

constexpr const char* kFaultyStack =
    "boards=10,seed=3,pec-errors=1:0.1,thsd=2,openwire=3:7,mux-fail=4,selftest-fault=5:3";

std::size_t U(int i) { return static_cast<std::size_t>(i); }

using Problems = std::vector<std::string>;

bool UpperHexByte(const std::string& text)
{
    return text.size() == 2 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

// A threshold box showing a stored value: "-0.744V ", "4.200V ".
bool ThresholdShown(const std::string& text)
{
    std::string_view t = text;
    if (!t.empty() && t.front() == '-') t.remove_prefix(1);
    return t.size() == 7 && std::isdigit(static_cast<unsigned char>(t[0])) && t[1] == '.' &&
           std::isdigit(static_cast<unsigned char>(t[2])) && std::isdigit(static_cast<unsigned char>(t[3])) &&
           std::isdigit(static_cast<unsigned char>(t[4])) && t.substr(5) == "V ";
}

bool KnownMessage(const std::string& text)
{
    return text == config::kVuvRangeMessage || text == config::kVovRangeMessage || text == config::kOrderMessage;
}

// The seeded operator: picks a usable control (visible and enabled, as one
// the operator can reach with the mouse) and acts on it through its own
// signal, or lets the timer tick, or types into a threshold box.
class Operator {
public:
    Operator(WindowRig& rig, std::uint32_t seed) : rig_(rig), rng_(seed) {}

    int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

    // One action; returns what it did, for the failure messages.
    std::string Act()
    {
        auto& f = rig_.form();
        typed_ = false;
        const int roll = Pick(100);
        if (roll < 30) {
            const int n = 1 + Pick(3);
            rig_.tick(n);
            return std::to_string(n) + " ticks";
        }
        if (roll < 45) {
            static constexpr std::array<int, 12> kColumn{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14};
            return Click(f.Command1[U(kColumn[U(Pick(12))])]);
        }
        if (roll < 50) return Click(f.Command0[U(Pick(2))]);
        if (roll < 53) return Click(f.Command3[U(Pick(2))]);
        if (roll < 59) return Click(f.Command4[U(Pick(10))]);
        if (roll < 63) return Click(f.Command5[U(Pick(7))]);
        if (roll < 66) return Click(f.Command7[U(Pick(2))]);
        if (roll < 69) return Click(f.Command8[U(Pick(3))]);
        if (roll < 79) {
            switch (Pick(6)) {
            case 0: return Click(f.Check0[U(Pick(8))]);
            case 1: return Click(f.Check1[U(Pick(8))]);
            case 2: return Click(f.Check2[U(Pick(8))]);
            case 3: return Click(f.Check3[U(Pick(8))]);
            case 4: return Click(f.Check6[U(Pick(12))]);
            default: return Click(f.Check7[U(Pick(3))]);
            }
        }
        if (roll < 85) {
            switch (Pick(4)) {
            case 0: return Click(f.Option1[U(Pick(2))]);
            case 1: return Click(f.Option2[U(Pick(3))]);
            case 2: return Click(f.Option3[U(Pick(2))]);
            default: return Click(f.OptionSTADC[U(Pick(4))]);
            }
        }
        if (roll < 90) {
            const int count = 1 + Pick(10);
            rig_.chooseBoards(count);
            return "board count " + std::to_string(count);
        }
        return Type();
    }

    bool typed() const { return typed_; }

private:
    template <typename Button>
    std::string Click(Button* control)
    {
        if (!control || !control->isEnabled() || !control->isVisibleTo(&rig_.form())) return "nothing (out of reach)";
        control->click();
        return control->displayName().toStdString();
    }

    std::string ThresholdText()
    {
        static const std::array<std::string, 22> kTexts{
            "abc", "--1", "1.2.3", "9999999999999999999", "", "-", ".", "-.", "3.6", "4.2", "-0.744", "5.376",
            "5.352", "5.4", "-0.768", "2.000", "0", "1e5", " 3.3 ", "+1", "3,6", std::string(400, '9'),
        };
        if (Pick(3) != 0) return kTexts[U(Pick(static_cast<int>(kTexts.size())))];
        static constexpr std::string_view kKeys = "0123456789.-+ eE,x\t";
        std::string text(U(Pick(Pick(10) == 0 ? 300 : 12)), ' ');
        for (char& c : text) c = kKeys[U(Pick(static_cast<int>(kKeys.size())))];
        return text;
    }

    // Types into a box and leaves it: with Enter, or (as a click elsewhere
    // would) through the box's focus-leaving signal.
    std::string Type()
    {
        const int box = Pick(2);
        const std::string text = ThresholdText();
        const bool enter = Pick(2) == 0;
        rig_.typeThreshold(box, text, enter);
        if (!enter) Q_EMIT rig_.form().Text2[U(box)]->focusLeft(box);
        typed_ = true;
        return "typed \"" + text.substr(0, 40) + (text.size() > 40 ? "...\"" : "\"") + " into box " +
               std::to_string(box) + (enter ? " with Enter" : "");
    }

    WindowRig& rig_;
    std::mt19937 rng_;
    bool typed_ = false;
};

// What must hold after any operator action.
void CheckState(WindowRig& rig, std::size_t messagesBefore, bool typed, Problems& problems)
{
    const ui::AppState& s = rig.state();
    auto& f = rig.form();
    const int last = s.chain.lastBoardIndex;
    const int current = s.chain.currentBoard;
    if (last < 0 || last > 9 || current < 0 || current > last) {
        problems.push_back("board selection: current " + std::to_string(current) + ", last " + std::to_string(last));
        return;
    }
    for (int b = 0; b < protocol::kMaxBoards; ++b) {
        if (f.Command4[U(b)]->isVisibleTo(&f) != (b <= last)) problems.push_back("board button " + std::to_string(b + 1));
        for (int c = 1; c <= 12; ++c) {
            const std::int16_t code = s.status.Code(b, c);
            if (code < 0 || code > 10) {
                problems.push_back("status code " + std::to_string(code));
                continue;
            }
            if (b <= last && f.Shape1[U(12 * b + c - 1)]->fillColor() != presentation::StatusAppearanceFor(code)->colour)
                problems.push_back("overview square of board " + std::to_string(b + 1) + " cell " + std::to_string(c));
        }
        for (int k = 0; k < 6; ++k)
            if (!UpperHexByte(s.images.pending[U(b)][U(k)]))
                problems.push_back("pending CFGR" + std::to_string(k) + " of board " + std::to_string(b + 1) + " \"" +
                                   s.images.pending[U(b)][U(k)] + "\"");
    }
    for (const auto& board : s.config.boards)
        if (board.vuvCode < 0 || board.vuvCode > 255 || board.vovCode < 0 || board.vovCode > 255 || board.cdc < 0 ||
            board.cdc > 7)
            problems.push_back("VUV " + std::to_string(board.vuvCode) + ", VOV " + std::to_string(board.vovCode) +
                               ", CDC " + std::to_string(board.cdc));
    for (int box = 0; box < 2; ++box)
        if (!ThresholdShown(Text(f.Text2[U(box)])))
            problems.push_back("threshold box " + std::to_string(box) + " shows \"" + Text(f.Text2[U(box)]) + "\"");
    // The editors and fields show the current board's pending configuration.
    const auto& pending = s.images.pending[U(current)];
    const config::BoardConfig& cfg = s.config.boards[U(current)];
    const std::array<std::array<ui::CheckBox*, 8>*, 4> editors{&f.Check0, &f.Check1, &f.Check2, &f.Check3};
    for (int k = 0; k < 6; ++k) {
        if (Text(f.Text4[U(k)]) != "   " + pending[U(k)] + "   ")
            problems.push_back("CFGR" + std::to_string(k) + " field \"" + Text(f.Text4[U(k)]) + "\" for \"" +
                               pending[U(k)] + "\"");
        if (k > 3) continue;
        const unsigned value = protocol::ByteFromText(pending[U(k)]);
        for (int bit = 0; bit < 8; ++bit)
            if ((*editors[U(k)])[U(bit)]->value() != static_cast<int>((value >> bit) & 1u))
                problems.push_back("box " + std::to_string(bit) + " of the CFGR" + std::to_string(k) + " editor");
    }
    if ((protocol::ByteFromText(pending[0]) & 7u) != static_cast<unsigned>(cfg.cdc) ||
        Text(f.Text15) != std::to_string(cfg.cdc))
        problems.push_back("CDC " + std::to_string(cfg.cdc) + " shown as \"" + Text(f.Text15) + "\" in CFGR0 \"" +
                           pending[0] + "\"");
    if (pending[4] != protocol::ByteText(static_cast<std::uint8_t>(cfg.vuvCode)) ||
        pending[5] != protocol::ByteText(static_cast<std::uint8_t>(cfg.vovCode)) ||
        Text(f.Text2[0]) != config::ThresholdText(config::VuvCodeToVolts(cfg.vuvCode)) ||
        Text(f.Text2[1]) != config::ThresholdText(config::VovCodeToVolts(cfg.vovCode)))
        problems.push_back("thresholds " + std::to_string(cfg.vuvCode) + "/" + std::to_string(cfg.vovCode) +
                           " shown as \"" + Text(f.Text2[0]) + "\", \"" + Text(f.Text2[1]) + "\" in CFGR4/5 " +
                           pending[4] + "/" + pending[5]);

    const std::string label = current < 9 ? " " + std::to_string(current + 1) : "10";
    if (Text(f.Label21) != label) problems.push_back("current board caption \"" + Text(f.Label21) + "\"");

    const bool running = s.acq.continuousActive == 1;
    if (s.acq.continuousActive != 0 && !running) problems.push_back("cycle flag " + std::to_string(s.acq.continuousActive));
    // The cycle keeps the chips awake itself, and the standby stops it.
    if (running && (s.acq.keepAliveActive != 0 || s.acq.lowCurrentStandby != 0))
        problems.push_back("keep-alive or standby with the cycle running");
    if (Text(f.Command1[10]) != (running ? "STOP  CONTINUOUS READ CELLS" : "START CONTINUOUS READ CELLS") ||
        f.Shape3->fillColor() != (running ? colour::kGreen : colour::kRed))
        problems.push_back("cycle button and lamp disagree with the cycle");

    // One box was left at most once: at most one message, and only then.
    const std::size_t added = rig.messages.size() - messagesBefore;
    if (added > (typed ? 1u : 0u)) problems.push_back(std::to_string(added) + " messages");
    for (std::size_t m = messagesBefore; m < rig.messages.size(); ++m)
        if (!KnownMessage(rig.messages[m])) problems.push_back("message \"" + rig.messages[m] + "\"");
}

std::string Join(const Problems& problems)
{
    std::ostringstream out;
    for (const auto& p : problems) out << "  " << p << "\n";
    return out.str();
}

} // namespace

TEST(WindowSoak, RandomOperatorAtTheRealControlsKeepsTheWindowConsistent)
{
    WindowRig rig(kFaultyStack);
    ASSERT_TRUE(rig.start());
    Operator op(rig, 20240611);
    int cycleTicks = 0;
    int keepAliveTicks = 0;
    std::array<bool, 10> counts{};
    for (int action = 0; action < kActions; ++action) {
        const std::size_t messagesBefore = rig.messages.size();
        const std::string what = op.Act();
        Problems problems;
        CheckState(rig, messagesBefore, op.typed(), problems);
        ASSERT_TRUE(problems.empty()) << "action " << action << " (" << what << "):\n" << Join(problems);
        ASSERT_TRUE(rig.closed.empty()) << "action " << action << " (" << what << ")";
        cycleTicks += rig.state().acq.continuousActive;
        keepAliveTicks += rig.state().acq.keepAliveActive;
        counts[U(rig.state().chain.lastBoardIndex)] = true;
    }
    // The walk reached the cycle, the keep-alive, every board count and each
    // of the three refusals.
    EXPECT_GT(cycleTicks, 0);
    EXPECT_GT(keepAliveTicks, 0);
    EXPECT_EQ(std::count(counts.begin(), counts.end(), true), 10);
    for (std::string_view m : {config::kVuvRangeMessage, config::kVovRangeMessage, config::kOrderMessage})
        EXPECT_NE(std::find(rig.messages.begin(), rig.messages.end(), m), rig.messages.end()) << m;
}

// After a stretch of random actions the operator leaves the window with the
// cycle running, with it stopped, or in the standby (in which no tick
// identifies the board), and pulls the plug.
TEST(WindowSoak, OperatorWhoUnplugsTheBoardClosesTheWindowAtTheNextIdentifyingTick)
{
    enum class Ending { CycleRunning, CycleStopped, Standby };
    for (const Ending ending : {Ending::CycleRunning, Ending::CycleStopped, Ending::Standby}) {
        SCOPED_TRACE("ending " + std::to_string(static_cast<int>(ending)));
        WindowRig rig(kFaultyStack);
        ASSERT_TRUE(rig.start());
        Operator op(rig, 100 + static_cast<std::uint32_t>(ending));
        for (int action = 0; action < 300; ++action) op.Act();
        const bool running = rig.state().acq.continuousActive == 1;
        if (ending == Ending::Standby) rig.click(rig.form().Command1[14]);
        else if (running != (ending == Ending::CycleRunning)) rig.click(rig.form().Command1[10]);
        ASSERT_EQ(rig.state().acq.continuousActive, ending == Ending::CycleRunning ? 1 : 0);
        ASSERT_EQ(rig.state().acq.lowCurrentStandby, ending == Ending::Standby ? 1 : 0);
        ASSERT_TRUE(rig.closed.empty());

        rig.device.unplug();
        // The first tick that identifies the board closes the window, once;
        // later ticks send nothing. The operator keeps clicking the closing
        // window (a command-column click ends the standby).
        bool lost = false;
        for (int action = 0; action < 300; ++action) {
            const bool identifies = rig.state().acq.lowCurrentStandby == 0;
            const std::size_t writesBefore = rig.rec.writes().size();
            rig.tick();
            if (!lost && identifies) {
                ASSERT_EQ(rig.closed, std::vector<ui::CloseReason>{ui::CloseReason::BoardLost}) << "action " << action;
                EXPECT_EQ(rig.monitor().closeReason(), ui::CloseReason::BoardLost);
                EXPECT_EQ(rig.state().acq.continuousActive, 0);
                lost = true;
            } else if (lost) {
                EXPECT_EQ(rig.rec.writes().size(), writesBefore) << "a tick after closing sent something";
            } else {
                ASSERT_TRUE(rig.closed.empty()) << "closed in the standby";
            }
            const std::string what = op.Act();
            ASSERT_LE(rig.closed.size(), 1u) << what;
            ASSERT_LE(rig.state().chain.currentBoard, rig.state().chain.lastBoardIndex) << what;
        }
        EXPECT_TRUE(lost);
    }
}

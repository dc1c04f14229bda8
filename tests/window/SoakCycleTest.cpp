// Long runs of the window's continuous cycle: ten simulated boards with PEC
// faults, a board in thermal shutdown, an open wire, drifting and discharging
// cells, thousands of ticks; and the same window over a controller that
// garbles, shortens, lengthens or swallows its replies. After every tick the
// window's state and controls must agree with the bytes the chain returned.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include <array>
#include <cstring>
#include <optional>
#include <random>
#include <sstream>

#include "WindowRig.h"
#include "presentation/DisplayContent.h"
#include "presentation/StatusTable.h"
#include "protocol/ByteText.h"
#include "protocol/Colours.h"

using namespace qm;
using protocol::ReadKind;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

// About two seconds each in the sanitizer build, a fifth of that without.
constexpr int kCycleTicks = 3000;
constexpr int kUnreliableActions = 3000;

std::size_t U(int i) { return static_cast<std::size_t>(i); }

using Problems = std::vector<std::string>;

std::string Join(const Problems& problems)
{
    std::ostringstream out;
    for (const auto& p : problems) out << "  " << p << "\n";
    return out.str();
}

std::string At(int board, int cell = -1)
{
    return " (board index " + std::to_string(board) + (cell >= 0 ? ", cell " + std::to_string(cell) : "") + ")";
}

// The register reads: command byte, kind and the transfer panel's caption.
struct ReadCommand {
    std::string_view byte;
    ReadKind kind;
    const char* caption;
};
constexpr std::array<ReadCommand, 8> kReads{{
    {"02", ReadKind::Config, "Command = 0x02 RDCFG"},
    {"04", ReadKind::Cells, "Command = 0x04 RDCV"},
    {"06", ReadKind::CellsA, "Command = 0x06 RDCVA"},
    {"08", ReadKind::CellsB, "Command = 0x08 RDCVB"},
    {"0A", ReadKind::CellsC, "Command = 0x0A RDCVC"},
    {"0C", ReadKind::Flags, "Command = 0x0C RDFLG"},
    {"0E", ReadKind::Temperatures, "Command = 0x0E RDTMP"},
    {"54", ReadKind::Diagnostics, "Command = 0x54 RDDGNR"},
}};

const char* CaptionOf(ReadKind kind)
{
    for (const auto& r : kReads)
        if (r.kind == kind) return r.caption;
    return "";
}

// The last chain frame sent (identifications and empty writes aside), as a
// read when it was one.
std::optional<ReadKind> LastChainRead(const std::vector<std::string>& writes)
{
    for (auto it = writes.rbegin(); it != writes.rend(); ++it) {
        if (it->rfind("MS", 0) != 0 || *it == "MSX") continue;
        if (it->size() >= 6 && it->rfind("MSxT", 0) == 0)
            for (const auto& r : kReads)
                if (it->substr(4, 2) == r.byte) return r.kind;
        return std::nullopt;
    }
    return std::nullopt;
}

bool IsCellRead(ReadKind kind)
{
    return kind == ReadKind::Cells || kind == ReadKind::CellsA || kind == ReadKind::CellsB || kind == ReadKind::CellsC;
}

bool Matched(const ui::AppState& s, ReadKind kind, int b)
{
    const auto& set = s.images.set(kind);
    return set.pec[U(b)] == set.computed[U(b)];
}

// What holds whatever the window did last: the board selection in range,
// every status code known, every overview square of a board in use and every
// battery bar of the current board in the colour of its cell's code, the
// board ovals in PEC-verdict colours, and no control showing a character an
// operator cannot read (line ends aside: some headings run over two lines).
void CheckWindow(ui::Form& form, const ui::AppState& s, Problems& problems)
{
    const int last = s.chain.lastBoardIndex;
    const int current = s.chain.currentBoard;
    if (last < 0 || last > 9 || current < 0 || current > last) {
        problems.push_back("board selection: current " + std::to_string(current) + ", last " + std::to_string(last));
        return;
    }
    for (std::size_t i = 0; i < s.status.statusCode.size(); ++i)
        if (s.status.statusCode[i] < 0 || s.status.statusCode[i] > 10)
            problems.push_back("status code " + std::to_string(s.status.statusCode[i]) + " at " + std::to_string(i));
    for (int b = 0; b <= last; ++b) {
        for (int c = 1; c <= 12; ++c) {
            const auto look = presentation::StatusAppearanceFor(s.status.Code(b, c));
            if (look && form.Shape1[U(12 * b + c - 1)]->fillColor() != look->colour)
                problems.push_back("overview square not in its code's colour" + At(b, c));
            if (look && b == current && form.Shape2[U(c - 1)]->fillColor() != look->colour)
                problems.push_back("battery bar not in its code's colour" + At(b, c));
        }
        const int oval = form.Shape12[U(b)]->fillColor();
        if (oval != colour::kWhite && oval != colour::kGreen && oval != colour::kRed && oval != colour::kOrange &&
            oval != colour::kSysWindow)
            problems.push_back("oval colour " + std::to_string(oval) + At(b));
    }
    for (const ui::Control* control : form.controls()) {
        const QString caption = control->caption();
        for (const QChar ch : caption)
            if ((ch.unicode() < 0x20 && ch != u'\n' && ch != u'\r') || ch.unicode() > 0x7E) {
                problems.push_back("unreadable character in " + control->displayName().toStdString());
                break;
            }
    }
}

using Marks = protocol::PerBoard<std::int16_t>;

// Right after a read of `kind`: every board's validity flags and oval follow
// its PEC verdict, and the transfer panel shows the current board's verdict.
// A board marked for thermal shutdown has an orange oval instead; the mark
// may have been set by the thermal rule after the read was judged, hence the
// marks from before the action.
void CheckVerdicts(ui::Form& form, const ui::AppState& s, ReadKind kind, const Marks& marksBefore,
                   Problems& problems)
{
    const auto& set = s.images.set(kind);
    for (int b = 0; b <= s.chain.lastBoardIndex; ++b) {
        const auto i = U(b);
        const bool match = Matched(s, kind, b);
        const bool measuring = s.images.configReadValid[i] == 1;
        if (IsCellRead(kind) && (s.images.cellValid[i] != (match ? 1 : 0) || s.images.flagValid[i] != 0))
            problems.push_back("cell and flag validity after a cell read" + At(b));
        if (kind == ReadKind::Flags && (s.images.flagValid[i] != (match ? 1 : 0) || s.images.cellValid[i] != 0))
            problems.push_back("flag and cell validity after a flag read" + At(b));
        if (kind == ReadKind::Temperatures && s.images.temperatureValid[i] != (match && measuring ? 1 : 0))
            problems.push_back("temperature validity" + At(b));
        if (kind == ReadKind::Config && s.images.configReadValid[i] != ((s.images.config.data[i][0] & 7) != 0 ? 1 : 0))
            problems.push_back("configuration read valid not from the CDC bits received" + At(b));
        int oval = colour::kGreen;
        if (!match) oval = colour::kRed;
        else if (kind != ReadKind::Config && !measuring) oval = colour::kWhite;
        const int fill = form.Shape12[i]->fillColor();
        const bool marked = s.images.thermalMark[i] == 1 || marksBefore[i] == 1;
        if (fill != oval && !(marked && fill == colour::kOrange))
            problems.push_back("oval does not show the verdict" + At(b));
    }
    const auto c = U(s.chain.currentBoard);
    const bool match = set.pec[c] == set.computed[c];
    const std::string value = Text(form.Text8);
    const std::string received = protocol::ByteText(set.pec[c]);
    const std::string computed = protocol::ByteText(set.computed[c]);
    if (Text(form.Label8[1]) != CaptionOf(kind) || Text(form.Label25) != "R D")
        problems.push_back("panel caption \"" + Text(form.Label8[1]) + "\" after " + CaptionOf(kind));
    // The configuration read marks a mismatch with one more blank.
    const std::string mark = received + (match ? " ==" : kind == ReadKind::Config ? "  !=" : " !=");
    const bool endsWithComputed =
        value.size() >= computed.size() && value.compare(value.size() - computed.size(), computed.size(), computed) == 0;
    if (form.Text8->backColor() != (match ? colour::kWhite : colour::kRed) || value.find(mark) == std::string::npos ||
        !endsWithComputed)
        problems.push_back("panel \"" + value + "\" does not show the current board's verdict " + received +
                           (match ? " == " : " != ") + computed);
}

// ---- Continuous cycle over ten faulty boards ---------------------------------

constexpr const char* kSoakScenario = "boards=10,seed=5,pec-errors=2:0.08,pec-errors=7:0.05,thsd=4,openwire=8:5";
constexpr int kHotBoard = 4;
constexpr std::array<int, 2> kFaultyBoards{2, 7};

enum class Role { Plain, Discharging, Masked, MaskedDischarging };

struct TickedCell {
    int board;
    int cell;
    Role role;
};

// Board 2 discharges cells 2 and 9; board 7 masks cell 1 and masks and
// discharges cell 3.
constexpr std::array<TickedCell, 4> kTickedCells{{
    {1, 2, Role::Discharging},
    {1, 9, Role::Discharging},
    {6, 1, Role::Masked},
    {6, 3, Role::MaskedDischarging},
}};

Role RoleOf(int b, int c)
{
    for (const auto& s : kTickedCells)
        if (s.board == b && s.cell == c) return s.role;
    return Role::Plain;
}

std::int16_t CodeAfterCellRead(Role role)
{
    switch (role) {
    case Role::Discharging: return presentation::kDischarging;
    case Role::Masked: return presentation::kMasked;
    case Role::MaskedDischarging: return presentation::kMaskedDischarging;
    case Role::Plain: break;
    }
    return presentation::kNoReading;
}

// The codes a cycle step leaves: a board in thermal shutdown is orange from
// its temperature read on; a cell read gives discharging and masked cells
// their codes while the board's data are valid; the flag rule that ends
// every step gives every other cell of a measuring board with valid data a
// flag code, and white to a board whose read failed.
void CheckCycleCodes(const ui::AppState& s, int step, Problems& problems)
{
    for (int b = 0; b <= s.chain.lastBoardIndex; ++b) {
        const auto i = U(b);
        const bool measuring = s.images.configReadValid[i] == 1;
        const bool valid = s.images.cellValid[i] == 1 || s.images.flagValid[i] == 1;
        for (int c = 1; c <= 12; ++c) {
            const std::int16_t code = s.status.Code(b, c);
            if (s.images.thermalBit[i] == 1) {
                if (code != presentation::kThermalShutdown) problems.push_back("not in thermal shutdown" + At(b, c));
                continue;
            }
            const Role role = RoleOf(b, c);
            if (role != Role::Plain) {
                const std::int16_t want = measuring && s.images.cellValid[i] == 1 ? CodeAfterCellRead(role) : 0;
                if (step == 0 && code != want)
                    problems.push_back("code " + std::to_string(code) + " of a discharging or masked cell" + At(b, c));
                continue;
            }
            const bool flagCode = code == presentation::kFlagInRange || code == presentation::kFlagUnder ||
                                  code == presentation::kFlagOver;
            if (measuring && valid ? !flagCode : code != presentation::kNoReading)
                problems.push_back("code " + std::to_string(code) + " after the flag rule" + At(b, c));
        }
    }
}

// Matching boards hold what their chips hold.
void CheckData(WindowRig& rig, ReadKind kind, Problems& problems)
{
    const ui::AppState& s = rig.state();
    for (int b = 0; b <= s.chain.lastBoardIndex; ++b) {
        if (!Matched(s, kind, b)) continue;
        const sim::Chip& chip = rig.chip(b);
        if (kind == ReadKind::Cells)
            for (int c = 1; c <= 12; ++c)
                if (s.images.codeText[U(protocol::RegisterImages::CellIndex(b, c))] != protocol::CodeText(chip.cellCode(c)))
                    problems.push_back("cell code differs from the chip's" + At(b, c));
        if (kind == ReadKind::Temperatures)
            for (int t = 1; t <= 3; ++t)
                if (s.images.codeText[U(protocol::RegisterImages::TemperatureIndex(b, t))] !=
                    protocol::CodeText(chip.temperatureCode(t)))
                    problems.push_back("temperature code differs from the chip's" + At(b, t));
        if (kind == ReadKind::Flags)
            for (int k = 0; k < 3; ++k)
                if (s.images.flagTexts[U(b)][U(k)] != protocol::ByteText(chip.flagRegisters()[U(k)]))
                    problems.push_back("flag register differs from the chip's" + At(b));
    }
    if (IsCellRead(kind))
        for (int c = 1; c <= 12; ++c)
            if (Text(rig.form().Text1[U(c - 1)]) != presentation::CellValueText(s.images, s.chain.currentBoard, c))
                problems.push_back("cell panel does not show the current board" + At(s.chain.currentBoard, c));
}

// Ten boards measuring with VUV 3.0 V, VOV 4.2 V and CDC 2, the ticked
// cells' boxes on their boards, written, and the cycle started.
void StartTenBoardCycle(WindowRig& rig)
{
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(10);
    for (const auto& ticked : kTickedCells) {
        rig.click(rig.form().Command4[U(ticked.board)]);
        if (ticked.role != Role::Discharging) rig.toggle(rig.form().maskBox(ticked.cell));
        if (ticked.role != Role::Masked) rig.toggle(rig.form().dccBox(ticked.cell));
    }
    rig.click(rig.form().Command4[0]);
    rig.writeMeasureMode();
    for (int b = 0; b < 10; ++b) ASSERT_EQ(rig.chip(b).cdc(), 2) << "board " << b;
    ASSERT_TRUE(rig.chip(1).discharging(9));
    ASSERT_TRUE(rig.chip(6).masked(3));
    rig.click(rig.form().Command1[10]);
    ASSERT_EQ(rig.state().acq.continuousActive, 1);
}

} // namespace

TEST(WindowSoak, ContinuousCycleOverTenFaultyBoardsKeepsTheWindowInStepWithTheChain)
{
    WindowRig rig(kSoakScenario);
    StartTenBoardCycle(rig);
    if (HasFatalFailure()) return;

    std::mt19937 rng(4711);
    const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::array<int, 11> codesSeen{};
    std::array<int, 10> mismatches{};
    for (int tick = 0; tick < kCycleTicks; ++tick) {
        if (tick % 23 == 0) // a cell drifts, now and then out of the thresholds
            rig.chip(pick(10)).setCellVolts(1 + pick(12), 2.7 + 0.1 * pick(17));
        if (tick % 151 == 150) rig.click(rig.form().Command4[U(pick(10))]);
        // Late in the run the hot board cools down; later still the operator
        // writes the configuration, which clears its thermal mark.
        if (tick == kCycleTicks * 2 / 3) rig.chip(kHotBoard).setThermalShutdown(false);
        if (tick == kCycleTicks * 5 / 6) rig.click(rig.form().Command1[5]);

        const int step = rig.state().acq.cycleStep;
        const Marks marks = rig.state().images.thermalMark;
        rig.tick();

        const ui::AppState& s = rig.state();
        const auto read = LastChainRead(rig.rec.writes());
        // Cells, temperatures, flags; while a board that left thermal
        // shutdown is still marked, each temperature read is followed by a
        // read-back of the configuration.
        const bool leaving = marks[kHotBoard] == 1 && s.images.thermalBit[kHotBoard] == 0;
        const std::array<ReadKind, 3> stepReads{ReadKind::Cells, leaving ? ReadKind::Config : ReadKind::Temperatures,
                                                ReadKind::Flags};
        ASSERT_EQ(read, stepReads[U(step)]) << "tick " << tick;
        Problems problems;
        CheckWindow(rig.form(), s, problems);
        CheckVerdicts(rig.form(), s, *read, marks, problems);
        CheckCycleCodes(s, step, problems);
        if (tick > 1 && s.images.thermalMark[kHotBoard] == 1 && rig.form().Shape12[kHotBoard]->fillColor() != colour::kOrange)
            problems.push_back("the board in thermal shutdown is not orange");
        if (tick > kCycleTicks * 5 / 6 && s.images.thermalMark[kHotBoard] != 0)
            problems.push_back("the thermal mark outlived the configuration write");
        CheckData(rig, *read, problems);
        ASSERT_TRUE(problems.empty()) << "tick " << tick << " step " << step << ":\n" << Join(problems);
        ASSERT_TRUE(rig.closed.empty()) << "tick " << tick;
        ASSERT_EQ(s.acq.continuousActive, 1);

        for (int b = 0; b < 10; ++b) {
            mismatches[U(b)] += Matched(s, *read, b) ? 0 : 1;
            for (int c = 1; c <= 12; ++c) ++codesSeen[U(s.status.Code(b, c))];
        }
    }
    // Only the boards with PEC faults ever mismatched, and they did; every
    // status a cell of this stack can have was shown at some point.
    for (int b = 0; b < 10; ++b) {
        const bool faulty = b == kFaultyBoards[0] || b == kFaultyBoards[1];
        EXPECT_EQ(mismatches[U(b)] > 0, faulty) << "board " << b << ": " << mismatches[U(b)] << " mismatches";
    }
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7}) EXPECT_GT(codesSeen[U(code)], 0) << "code " << code;
    EXPECT_TRUE(rig.messages.empty());
}

// ---- A controller that misbehaves -------------------------------------------

namespace {

// Wraps the simulated controller and spoils its replies on a seeded schedule:
// garbage characters (any byte, NUL included), replies cut short, replies
// with extra characters (of which only the requested count arrives), or no
// reply at all. The identification goes through untouched, so the window
// keeps recognising the board. Never more than the requested count is
// delivered, and nothing is written past what read() returns.
class UnreliableController : public link::Device {
public:
    enum Fault { kNone, kGarbage, kShort, kOverlong, kSilent, kFaults };

    UnreliableController(link::Device& inner, std::uint32_t seed) : inner_(inner), rng_(seed) {}

    bool open(int index) override { return inner_.open(index); }
    void setTimeouts(int readMs, int writeMs) override { inner_.setTimeouts(readMs, writeMs); }
    std::size_t write(std::string_view bytes) override
    {
        identifying_ = bytes == "IZ";
        return inner_.write(bytes);
    }
    std::size_t read(char* buf, std::size_t n) override
    {
        std::string reply(n, '\0');
        reply.resize(inner_.read(reply.data(), n));
        if (!identifying_) Spoil(reply);
        const std::size_t got = std::min(reply.size(), n);
        std::memcpy(buf, reply.data(), got);
        return got;
    }
    std::int32_t close() override { return inner_.close(); }

    std::array<int, kFaults> faults{};

private:
    std::size_t Pick(std::size_t n) { return n == 0 ? 0 : rng_() % n; }
    char AnyByte() { return static_cast<char>(rng_() & 0xFF); }

    void Spoil(std::string& reply)
    {
        const auto roll = Pick(100);
        const Fault fault = roll < 50 ? kNone : roll < 70 ? kGarbage : roll < 80 ? kShort : roll < 90 ? kOverlong : kSilent;
        ++faults[fault];
        switch (fault) {
        case kGarbage:
            if (Pick(4) == 0) {
                for (char& ch : reply) ch = AnyByte();
            } else {
                for (std::size_t k = 1 + Pick(6); k > 0 && !reply.empty(); --k) reply[Pick(reply.size())] = AnyByte();
            }
            break;
        case kShort:
            reply.resize(Pick(reply.size()));
            break;
        case kOverlong: {
            static constexpr char kHex[] = "0123456789ABCDEFabcdef";
            std::string extra(1 + Pick(40), '0');
            for (char& ch : extra) ch = kHex[Pick(sizeof kHex - 1)];
            reply.insert(Pick(reply.size() + 1), extra);
            break;
        }
        case kSilent:
            reply.clear();
            break;
        default:
            break;
        }
    }

    link::Device& inner_;
    std::mt19937 rng_;
    bool identifying_ = false;
};

// Types into a threshold box key by key and leaves it with Enter.
void TypeThreshold(ui::MainWindow& window, int box, const std::string& text)
{
    auto* t = window.form().Text2[U(box)];
    window.monitor().OnThresholdFocusIn(box);
    for (char c : text + "\r") {
        const int key = c == '\r' ? Qt::Key_Return : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(t, &press);
    }
}

// The real window over the unreliable controller around a simulated stack.
struct UnreliableRig {
    explicit UnreliableRig(const std::string& scenarioText, std::uint32_t seed)
        : clock(std::make_shared<sim::ManualClock>()),
          device(*sim::ParseScenario(scenarioText).scenario, clock),
          controller(device, seed),
          rec(controller),
          window(rec)
    {
        window.monitor().showMessage = [this](const std::string& text) { messages.push_back(text); };
        window.monitor().closeWindow = [this](ui::CloseReason reason) { closed.push_back(reason); };
    }

    ui::Form& form() { return window.form(); }
    const ui::AppState& state() { return window.monitor().state(); }
    void tick()
    {
        clock->advance(100);
        window.monitor().OnTimerTick();
    }

    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    UnreliableController controller;
    link::RecordingDevice rec;
    ui::MainWindow window;
    std::vector<std::string> messages;
    std::vector<ui::CloseReason> closed;
};

} // namespace

TEST(WindowSoak, UnreliableControllerUnderTheCycleAndOperatorReads)
{
    UnreliableRig rig("boards=6,seed=9,thsd=3", 1234);
    ASSERT_TRUE(rig.window.start());
    rig.form().Timer1->stop();
    auto& form = rig.form();
    form.Combo1->setListIndexAsClick(5);
    TypeThreshold(rig.window, 1, "4.2");
    form.Command0[1]->click();
    form.Command0[1]->click();
    form.Command1[5]->click();
    form.Command1[10]->click();

    std::mt19937 rng(99);
    const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int verdictChecks = 0;
    for (int action = 0; action < kUnreliableActions; ++action) {
        const int roll = pick(100);
        const Marks marks = rig.state().images.thermalMark;
        bool endsWithRead = false;
        std::string what;
        if (roll < 70) {
            what = "tick";
            if (rig.state().acq.continuousActive == 0 && pick(4) == 0) form.Command1[10]->click();
            rig.tick();
            endsWithRead = rig.state().acq.continuousActive == 1;
        } else if (roll < 77) {
            what = "READ CONFIG";
            form.Command1[6]->click();
            endsWithRead = true;
        } else if (roll < 82) {
            const int i = pick(2);
            what = "diagnostic " + std::to_string(i);
            form.Command7[U(i)]->click();
            endsWithRead = i == 1;
        } else if (roll < 85) {
            const int b = pick(rig.state().chain.lastBoardIndex + 1);
            what = "board " + std::to_string(b + 1);
            form.Command4[U(b)]->click();
        } else if (roll < 87) {
            // Counts beyond the six boards of the chain read nothing for the
            // boards that are not there.
            const int count = 1 + pick(10);
            what = "board count " + std::to_string(count);
            form.Combo1->setListIndexAsClick(count - 1);
            endsWithRead = true; // the count ends with a configuration read
        } else if (roll < 89) {
            what = "WRITE CONFIG";
            form.Command1[5]->click();
        } else if (roll < 92) {
            what = "POLL ADC";
            form.Command1[0]->click();
        } else {
            // The single commands, with the cycle stopped, then the cycle again.
            if (rig.state().acq.continuousActive == 1) form.Command1[10]->click();
            static constexpr std::array<int, 6> kColumn{2, 7, 8, 4, 9, 3};
            const int index = kColumn[U(pick(6))];
            what = "command " + std::to_string(index);
            form.Command1[U(index)]->click();
            endsWithRead = index == 7 || index == 8 || index == 9;
            if (pick(3) == 0) {
                const int group = pick(3);
                what += ", group read " + std::to_string(group);
                form.Command8[U(group)]->click();
                endsWithRead = true;
            }
            if (pick(2) == 0) {
                form.Command1[10]->click();
                endsWithRead = false;
            }
        }

        Problems problems;
        CheckWindow(form, rig.state(), problems);
        const auto read = LastChainRead(rig.rec.writes());
        if (endsWithRead) {
            if (!read) problems.push_back("no read frame was the last frame");
            else {
                CheckVerdicts(form, rig.state(), *read, marks, problems);
                ++verdictChecks;
            }
        }
        ASSERT_TRUE(problems.empty()) << "action " << action << " (" << what << "):\n" << Join(problems);
        ASSERT_TRUE(rig.closed.empty()) << "action " << action << " (" << what << ")";
    }
    EXPECT_TRUE(rig.messages.empty());
    EXPECT_GT(verdictChecks, kUnreliableActions / 2);
    for (int f = UnreliableController::kGarbage; f < UnreliableController::kFaults; ++f)
        EXPECT_GT(rig.controller.faults[U(f)], 10) << "fault " << f;
}

// Ten boards after a stretch of the cycle with faults, board 3 (PEC faults)
// in detail: written only when QM_SCREENSHOT_DIR names a directory.
TEST(Screenshots, SoakTenBoardsWithFaults)
{
    WindowRig rig(kSoakScenario);
    StartTenBoardCycle(rig);
    if (HasFatalFailure()) return;
    rig.chip(0).setCellVolts(4, 2.8);
    rig.chip(5).setCellVolts(7, 4.4);
    rig.click(rig.form().Command4[2]);
    int tick = 0;
    // Stop after a flag read in which board 3's PEC failed, so its oval is red.
    while (tick < 3000 && !(rig.state().acq.cycleStep == 0 && tick > 30 && !Matched(rig.state(), ReadKind::Flags, 2))) {
        rig.tick();
        ++tick;
    }
    ASSERT_LT(tick, 3000);
    EXPECT_EQ(rig.form().Shape12[2]->fillColor(), colour::kRed);
    EXPECT_EQ(rig.form().Text8->backColor(), colour::kRed);
    EXPECT_EQ(rig.form().Shape1[12 * kHotBoard]->fillColor(), colour::kOrange);

    const QByteArray dir = qgetenv("QM_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    const QImage shot = rig.form().screenshot();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("soak-ten-boards.png")), "PNG"));
}

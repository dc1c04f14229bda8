// The discharge check over the chain, one timer tick at a time.
//
// Start: the written configuration is checked (every board written, the
// chosen ones measuring, none in thermal shutdown, the chips holding it) and
// kept; the chosen boards' discharge bits are cleared ("rest"). After the
// settling time a baseline is read, and then each cell of the order in turn,
// on every chosen board at once: its bit alone is set, the settling time
// passes, the cells are read and the bit cleared, the settling time passes,
// the cells are read again and the cell is judged. Each write is read back
// and compared (and written again once when it did not take); before each
// reading the chips are checked to still hold what was written.
//
// At the end, on cancel, when another command wrote the configuration and
// when the session ends, the configuration from before the check is written
// back, read back and compared. A lost board cannot be written: the chips'
// watchdog then clears their discharge bits, as the result says.
#include <algorithm>
#include <cctype>

#include "acquisition/Session.h"
#include "link/HexText.h"
#include "link/Transport.h"
#include "presentation/StatusRules.h"
#include "protocol/ByteText.h"

namespace qm::acquisition {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::string BoardName(int board) { return "Board " + std::to_string(board + 1); }

// The check's chain commands address the boards it started with, whatever
// the board count is meanwhile: its bits are cleared on every board it set them.
class ChainPin {
public:
    ChainPin(protocol::ChainSelection& chain, int last) : chain_(chain), saved_(chain.lastBoardIndex)
    {
        chain_.lastBoardIndex = last;
    }
    ~ChainPin() { chain_.lastBoardIndex = saved_; }
    ChainPin(const ChainPin&) = delete;
    ChainPin& operator=(const ChainPin&) = delete;

private:
    protocol::ChainSelection& chain_;
    int saved_;
};

// A register set as the chips read it back against what was written.
bool SameConfiguration(const protocol::ConfigRegisters& read, const protocol::ConfigRegisters& written)
{
    return protocol::DifferingRegisters(written, read).empty();
}

bool WellFormed(const protocol::ConfigRegisters& regs)
{
    return std::all_of(regs.begin(), regs.end(), [](const std::string& t) { return link::IsByteText(t); });
}

bool DischargeBitsDiffer(const protocol::ConfigRegisters& read, const protocol::ConfigRegisters& written)
{
    for (int cell = 1; cell <= protocol::kCellsPerBoard; ++cell)
        if (presentation::DischargeBit(read, cell) != presentation::DischargeBit(written, cell)) return true;
    return false;
}

bool Contains(const std::vector<int>& list, int value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

// ---- Start and cancel ------------------------------------------------------------

bool Session::StartDischargeCheck(const DischargeCheckPlan& asked)
{
    DischargeCheckView& v = s_.view.dischargeCheck;
    const auto refuse = [&](std::string why) {
        v.refusal = std::move(why);
        ++v.revision;
        mark(kAreaDischargeCheck);
        return false;
    };
    if (closed_) return refuse("The controller board is gone.");
    Scope scope(*this);
    if (dischargeCheckRunning()) return refuse("A discharge check is already running.");
    if (s_.acq.continuousActive == 1)
        return refuse("Stop the continuous read cycle first (and with it any datalog): its readings would be mixed "
                      "into the check's.");
    const PlanCheck pc = NormalisePlan(asked, last());
    if (!pc.error.empty()) return refuse(pc.error);
    const DischargeCheckPlan& plan = pc.plan;
    const auto& written = s_.images.written;
    for (int b = 0; b <= last(); ++b)
        if (!WellFormed(written[U(b)]))
            return refuse(BoardName(b) + " has no configuration written yet: write the configuration first.");
    for (int b : plan.boards)
        if (protocol::CdcOf(written[U(b)]) == 0)
            return refuse(BoardName(b) + " is in standby (CDC 0 written): discharge only flows while the chips "
                                         "measure. Choose CDC 1 to 7 and write the configuration.");

    closeOpenPollFrame();
    proto_.ReadTemperatures(); // the chips' thermal-shutdown bits as they are now
    runThermalRule();
    for (int b : plan.boards)
        if (s_.images.thermalBit[U(b)] == 1 || s_.images.thermalMark[U(b)] == 1)
            return refuse(BoardName(b) + " is in thermal shutdown: its chip clears the discharge bits itself. "
                                         "Let it cool down and write the configuration again.");
    proto_.ReadConfiguration();
    for (int b = 0; b <= last(); ++b) {
        const bool pecOk = s_.images.config.pec[U(b)] == s_.images.config.computed[U(b)];
        if (pecOk && !SameConfiguration(s_.images.readBack[U(b)], written[U(b)]))
            return refuse(BoardName(b) + " does not hold the configuration last written: write it first, so that "
                                         "the check can put it back afterwards.");
    }

    DischargeRun run;
    run.last = last();
    run.group = s_.cellGroupCode();
    run.settleTicks = SettleTicks(plan.settleMs);
    run.original = written;
    run.rest = RestConfiguration(written, plan.boards);
    DischargeCheckResult result;
    result.outcome = CheckOutcome::Running;
    result.settleMs = plan.settleMs;
    std::vector<int> tested;
    for (int b : plan.boards) {
        const auto& regs = written[U(b)];
        DischargeRun::Board board;
        board.cellsInUse = protocol::TenCells(regs) ? 10 : 12;
        BoardResult br;
        br.board = b;
        for (int c = 1; c <= 12; ++c) {
            CellVerdict& verdict = br.cells[U(c - 1)].verdict;
            if (!Contains(plan.cells, c)) verdict = CellVerdict::NotChosen;
            else if (c > board.cellsInUse) verdict = CellVerdict::NotInUse;
            else if (presentation::MaskBit(regs, c)) verdict = CellVerdict::Masked;
            else if (presentation::DischargeBit(regs, c)) verdict = CellVerdict::Discharging;
            board.testable[U(c - 1)] = verdict == CellVerdict::Untested;
            if (board.testable[U(c - 1)] && !Contains(tested, c)) tested.push_back(c);
        }
        run.boards.push_back(board);
        result.boards.push_back(br);
    }
    std::sort(tested.begin(), tested.end());
    result.order = DischargeOrder(tested);
    if (result.order.empty())
        return refuse("None of the chosen cells can be tested: they are masked, discharging or not in use.");

    dcc_ = std::move(run);
    const std::uint64_t revision = v.revision;
    v = DischargeCheckView{};
    v.revision = revision;
    v.running = true;
    v.steps = static_cast<int>(result.order.size());
    v.ticksTotal = dcc_.settleTicks * (1 + 2 * v.steps);
    v.result = std::move(result);
    v.phase = "Discharge bits cleared; the cells settle";
    ChainPin pin(s_.chain, dcc_.last);
    noteProblems(configProblems(writeChecked(dcc_.rest, 2), dcc_.rest, "as the check started"));
    dcc_.phase = DischargeRun::Phase::Settling;
    dcc_.countdown = dcc_.settleTicks;
    touchDischargeView();
    return true;
}

void Session::CancelDischargeCheck()
{
    if (!dischargeCheckRunning() || closed_) return;
    Scope scope(*this);
    ChainPin pin(s_.chain, dcc_.last);
    const auto& v = s_.view.dischargeCheck;
    finishDischargeCheck(CheckOutcome::Cancelled, "Cancelled by the operator at step " + std::to_string(v.step) +
                                                      " of " + std::to_string(v.steps) + ".");
}

Session::~Session()
{
    // No painting: the window is going. The chips still answer.
    if (!dischargeCheckRunning()) return;
    ChainPin pin(s_.chain, dcc_.last);
    finishDischargeCheck(CheckOutcome::Ended, "The program ended while the check ran.");
}

// ---- The tick ---------------------------------------------------------------------

void Session::AdvanceDischargeCheck()
{
    DischargeRun& run = dcc_;
    DischargeCheckView& v = s_.view.dischargeCheck;
    ChainPin pin(s_.chain, run.last);
    ++v.ticksDone;
    for (int b = 0; b <= run.last; ++b)
        if (s_.images.written[U(b)] != run.lastWritten[U(b)])
            return finishDischargeCheck(CheckOutcome::Interrupted,
                                        "The configuration was written by another command while the check ran; "
                                        "the check stopped there.");
    if (--run.countdown > 0) return touchDischargeView();
    closeOpenPollFrame();
    auto& boards = v.result.boards;
    const int cell = v.cell;
    switch (run.phase) {
    case DischargeRun::Phase::Settling: {
        const auto reads = readCheckCells(dcc::kBaselineReads);
        for (std::size_t i = 0; i < run.boards.size(); ++i) {
            run.boards[i].noiseMv = PooledNoiseMv(reads[i], run.boards[i].cellsInUse);
            run.boards[i].before = MeanPoint(reads[i]);
            boards[i].noiseMv = run.boards[i].noiseMv;
        }
        beginDischargeStep();
        break;
    }
    case DischargeRun::Phase::Discharging: {
        const auto step = StepConfiguration(run, v.result, cell);
        noteProblems(configProblems(readBackAgainst(step), step, "while discharging"));
        const auto reads = readCheckCells(dcc::kReadsPerPoint);
        for (std::size_t i = 0; i < run.boards.size(); ++i) run.boards[i].during = MeanPoint(reads[i]);
        noteProblems(configProblems(writeChecked(run.rest, 2), run.rest, "as the bit was cleared"));
        run.phase = DischargeRun::Phase::Recovering;
        run.countdown = run.settleTicks;
        v.phase = "Cell " + std::to_string(cell) + " recovering";
        break;
    }
    case DischargeRun::Phase::Recovering: {
        // A problem found now concerns this step's last point and the next
        // step's first, which is the same reading.
        const auto problems = configProblems(readBackAgainst(run.rest), run.rest, "after the bit was cleared");
        const auto reads = readCheckCells(dcc::kReadsPerPoint);
        for (std::size_t i = 0; i < run.boards.size(); ++i) {
            DischargeRun::Board& b = run.boards[i];
            const Point after = MeanPoint(reads[i]);
            if (b.testable[U(cell - 1)]) {
                const CellEvidence e{cell, b.cellsInUse, b.before, b.during, after,
                                     b.problem.empty() ? problems[i] : b.problem, b.noiseMv};
                boards[i].cells[U(cell - 1)] = JudgeCell(e);
            }
            b.before = after;
            b.problem = problems[i];
        }
        ++run.step;
        if (run.step < v.result.order.size()) beginDischargeStep();
        else return finishDischargeCheck(CheckOutcome::Completed, "");
        break;
    }
    }
    touchDischargeView();
}

void Session::beginDischargeStep()
{
    DischargeRun& run = dcc_;
    DischargeCheckView& v = s_.view.dischargeCheck;
    v.cell = v.result.order[run.step];
    v.step = static_cast<int>(run.step) + 1;
    v.phase = "Cell " + std::to_string(v.cell) + " discharging";
    const auto step = StepConfiguration(run, v.result, v.cell);
    noteProblems(configProblems(writeChecked(step, 2), step, "as the bit was set"));
    run.phase = DischargeRun::Phase::Discharging;
    run.countdown = run.settleTicks;
}

void Session::touchDischargeView()
{
    ++s_.view.dischargeCheck.revision;
    mark(kAreaDischargeCheck);
}

void Session::LoseDischargeCheck()
{
    DischargeCheckView& v = s_.view.dischargeCheck;
    if (!v.running) return;
    v.running = false;
    v.cell = 0;
    v.phase = "The controller board stopped answering";
    v.result.outcome = CheckOutcome::BoardLost;
    v.result.elapsedMs = static_cast<std::int64_t>(v.ticksDone) * dcc::kTickMs;
    for (BoardResult& b : v.result.boards) b.restore = RestoreState::NotRestored;
    v.result.note = "The controller board stopped answering at step " + std::to_string(v.step) + " of " +
                    std::to_string(v.steps) +
                    ": the configuration could not be put back. The chips' watchdog clears every discharge bit and "
                    "returns the boards to standby (CDC 0) within 2.5 s of the last frame; write the configuration "
                    "again once the board answers.";
    touchDischargeView();
}

// ---- The end -----------------------------------------------------------------------

void Session::finishDischargeCheck(CheckOutcome outcome, const std::string& how)
{
    DischargeRun& run = dcc_;
    DischargeCheckView& v = s_.view.dischargeCheck;
    v.phase = "Putting the configuration back";
    // Written back until every board reads it back as it was, three times at most.
    const std::vector<Held> held = writeChecked(run.original, 3);
    std::string unconfirmed;
    std::string differs;
    for (int b = 0; b <= run.last; ++b) {
        const Held h = held[U(b)];
        std::string& list = h == Held::PecFailed ? unconfirmed : differs;
        if (h != Held::Ok) list += (list.empty() ? "" : ", ") + std::to_string(b + 1);
    }
    for (BoardResult& b : v.result.boards)
        b.restore = held[U(b.board)] == Held::Ok          ? RestoreState::Confirmed
                    : held[U(b.board)] == Held::PecFailed ? RestoreState::Unconfirmed
                                                          : RestoreState::Differs;
    std::string note = how.empty() ? "" : how + " ";
    if (unconfirmed.empty() && differs.empty()) {
        note += "The configuration written before the check is back on every board (read back and compared).";
    } else {
        note += "The configuration written before the check was written back";
        if (!unconfirmed.empty()) note += "; the read-back of board(s) " + unconfirmed + " failed its PEC";
        if (!differs.empty()) note += "; board(s) " + differs + " read back something else: check them";
        note += ".";
    }
    v.result.note = note;
    v.result.outcome = outcome;
    v.result.elapsedMs = static_cast<std::int64_t>(v.ticksDone) * dcc::kTickMs;
    v.running = false;
    v.cell = 0;
    v.phase = OutcomeName(outcome);
    v.phase[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(v.phase[0])));
    // The fields and the grid again as the restored configuration shows them.
    RefreshConfigurationDisplay();
    presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, run.last, run.group);
    RefreshStatusDisplay();
    touchDischargeView();
}

// ---- Chain commands of the check ---------------------------------------------------------

void Session::writeCheckConfiguration(const protocol::PerBoard<protocol::ConfigRegisters>& regs)
{
    // The write sends the pending image; the operator's pending edits are
    // kept aside meanwhile and are never written by the check.
    const auto pending = s_.images.pending;
    for (int b = 0; b <= dcc_.last; ++b) s_.images.pending[U(b)] = regs[U(b)];
    proto_.WriteConfiguration();
    s_.images.pending = pending;
    dcc_.lastWritten = s_.images.written;
}

std::vector<Session::Held> Session::readBackAgainst(const protocol::PerBoard<protocol::ConfigRegisters>& expected)
{
    proto_.ReadConfiguration();
    std::vector<Held> held;
    for (int b = 0; b <= dcc_.last; ++b) {
        const auto i = U(b);
        if (s_.images.config.pec[i] != s_.images.config.computed[i]) held.push_back(Held::PecFailed);
        else held.push_back(SameConfiguration(s_.images.readBack[i], expected[i]) ? Held::Ok : Held::Differs);
    }
    return held;
}

std::vector<Session::Held> Session::writeChecked(const protocol::PerBoard<protocol::ConfigRegisters>& regs,
                                                 int attempts)
{
    std::vector<Held> held;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        writeCheckConfiguration(regs);
        held = readBackAgainst(regs);
        if (std::all_of(held.begin(), held.end(), [](Held h) { return h == Held::Ok; })) break;
    }
    return held;
}

std::vector<std::string> Session::configProblems(const std::vector<Held>& held,
                                                 const protocol::PerBoard<protocol::ConfigRegisters>& expected,
                                                 const std::string& when) const
{
    std::vector<std::string> out;
    for (const BoardResult& br : s_.view.dischargeCheck.result.boards) {
        const auto i = U(br.board);
        std::string p;
        if (held[i] == Held::PecFailed) {
            p = "the configuration read back " + when + " failed its PEC";
        } else if (held[i] == Held::Differs) {
            const auto& read = s_.images.readBack[i];
            if (protocol::CdcOf(read) == 0) p = "the board left measure mode " + when;
            else if (DischargeBitsDiffer(read, expected[i]))
                p = "the board did not hold the discharge bits written " + when;
            else p = "the board read back another configuration " + when;
        }
        out.push_back(p);
    }
    return out;
}

void Session::noteProblems(const std::vector<std::string>& problems)
{
    for (std::size_t i = 0; i < problems.size() && i < dcc_.boards.size(); ++i)
        if (dcc_.boards[i].problem.empty()) dcc_.boards[i].problem = problems[i];
}

std::vector<std::vector<Reading>> Session::readCheckCells(int count)
{
    // Converted with discharge permitted, so the switch under test keeps
    // conducting while the chip measures.
    std::vector<std::vector<Reading>> out(dcc_.boards.size());
    for (int n = 0; n < count; ++n) {
        proto_.StartCellConversion(protocol::CellStartKind::STCVDC, "0");
        link::TransactWriteOnly(proto_.device(), "");
        proto_.ReadCellVoltages(dcc_.group);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const int b = s_.view.dischargeCheck.result.boards[i].board;
            Reading r;
            r.ok = s_.images.cellValid[U(b)] == 1;
            for (int c = 1; c <= 12; ++c)
                r.mv[U(c - 1)] = static_cast<double>(s_.images.measured[U(protocol::RegisterImages::CellIndex(b, c))]) * 1000.0;
            out[i].push_back(r);
        }
    }
    s_.acq.cellHexView = 0;
    presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, dcc_.last, dcc_.group);
    RefreshStatusDisplay();
    return out;
}

} // namespace qm::acquisition

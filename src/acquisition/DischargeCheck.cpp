// The discharge check's plan, verdict rules and result forms.
#include "acquisition/DischargeCheck.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "config/ConfigModel.h"
#include "protocol/ByteText.h"

namespace qm::acquisition {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::string Mv(double mv)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f mV", mv);
    return text;
}

// Sets or clears the discharge bit of cell 1..12, where the DCC box of the
// cell keeps it.
void SetDischargeBit(protocol::ConfigRegisters& regs, int cell, bool on)
{
    const auto box = config::DischargeBoxOf(cell);
    if (!box) return;
    std::string& text = regs[U(box->array)];
    auto value = static_cast<unsigned>(protocol::ByteFromText(text));
    value = on ? (value | (1u << box->index)) : (value & ~(1u << box->index));
    text = protocol::ByteText(static_cast<std::uint8_t>(value));
}

} // namespace

PlanCheck NormalisePlan(const DischargeCheckPlan& in, int lastBoard)
{
    PlanCheck out{in, {}};
    DischargeCheckPlan& p = out.plan;
    if (p.boards.empty())
        for (int b = 0; b <= lastBoard; ++b) p.boards.push_back(b);
    if (p.cells.empty())
        for (int c = 1; c <= 12; ++c) p.cells.push_back(c);
    for (auto* list : {&p.boards, &p.cells}) {
        std::sort(list->begin(), list->end());
        list->erase(std::unique(list->begin(), list->end()), list->end());
    }
    if (p.boards.front() < 0 || p.boards.back() > lastBoard)
        out.error = "Board " + std::to_string((p.boards.front() < 0 ? p.boards.front() : p.boards.back()) + 1) +
                    " is not on the stack (boards 1 to " + std::to_string(lastBoard + 1) + " are).";
    else if (p.cells.front() < 1 || p.cells.back() > 12)
        out.error = "Cells are numbered 1 to 12.";
    else if (p.settleMs < dcc::kMinSettleMs || p.settleMs > dcc::kMaxSettleMs)
        out.error = "The settling time must lie between " + std::to_string(dcc::kMinSettleMs) + " and " +
                    std::to_string(dcc::kMaxSettleMs) + " ms.";
    return out;
}

int SettleTicks(int settleMs) { return std::max(1, (settleMs + dcc::kTickMs - 1) / dcc::kTickMs); }

std::vector<int> DischargeOrder(const std::vector<int>& cells)
{
    std::vector<int> order;
    for (int parity : {1, 0})
        for (int c : cells)
            if (c % 2 == parity) order.push_back(c);
    return order;
}

const char* VerdictName(CellVerdict v)
{
    switch (v) {
    case CellVerdict::Pass: return "PASS";
    case CellVerdict::Fail: return "FAIL";
    case CellVerdict::Unsure: return "UNSURE";
    case CellVerdict::Masked: return "masked";
    case CellVerdict::Discharging: return "discharging";
    case CellVerdict::NotInUse: return "not in use";
    case CellVerdict::NotChosen: return "not chosen";
    case CellVerdict::Untested: break;
    }
    return "untested";
}

const char* RestoreName(RestoreState s)
{
    switch (s) {
    case RestoreState::Confirmed: return "restored";
    case RestoreState::Unconfirmed: return "written, read-back failed its PEC";
    case RestoreState::Differs: return "reads back different";
    case RestoreState::NotRestored: return "not restored";
    case RestoreState::Pending: break;
    }
    return "pending";
}

const char* OutcomeName(CheckOutcome o)
{
    switch (o) {
    case CheckOutcome::Running: return "running";
    case CheckOutcome::Completed: return "completed";
    case CheckOutcome::Cancelled: return "cancelled";
    case CheckOutcome::Interrupted: return "interrupted";
    case CheckOutcome::BoardLost: return "board lost";
    case CheckOutcome::Ended: return "ended with the program";
    case CheckOutcome::None: break;
    }
    return "not run";
}

int DischargeCheckResult::count(CellVerdict verdict) const
{
    int n = 0;
    for (const BoardResult& b : boards)
        for (const CellResult& c : b.cells) n += c.verdict == verdict ? 1 : 0;
    return n;
}

// ---- Verdict rules ------------------------------------------------------------

Point MeanPoint(const std::vector<Reading>& readings)
{
    Point p;
    p.valid = !readings.empty();
    for (const Reading& r : readings) {
        p.valid = p.valid && r.ok;
        for (std::size_t c = 0; c < 12; ++c) p.mv[c] += r.mv[c];
    }
    if (!readings.empty())
        for (double& v : p.mv) v /= static_cast<double>(readings.size());
    return p;
}

std::optional<double> PooledNoiseMv(const std::vector<Reading>& readings, int cellsInUse)
{
    std::vector<const Reading*> good;
    for (const Reading& r : readings)
        if (r.ok) good.push_back(&r);
    if (good.size() < 2 || cellsInUse < 1) return std::nullopt;
    double squares = 0;
    for (int c = 0; c < cellsInUse; ++c) {
        double mean = 0;
        for (const Reading* r : good) mean += r->mv[U(c)];
        mean /= static_cast<double>(good.size());
        for (const Reading* r : good) squares += (r->mv[U(c)] - mean) * (r->mv[U(c)] - mean);
    }
    const double freedom = static_cast<double>(cellsInUse) * static_cast<double>(good.size() - 1);
    return std::sqrt(squares / freedom);
}

CellResult JudgeCell(const CellEvidence& e)
{
    CellResult r;
    const std::size_t i = U(e.cell - 1);
    if (e.before.valid && e.during.valid) r.dropMv = e.before.mv[i] - e.during.mv[i];
    if (e.before.valid && e.after.valid) r.residualMv = e.before.mv[i] - e.after.mv[i];
    auto unsure = [&](std::string why) {
        r.verdict = CellVerdict::Unsure;
        r.reason = std::move(why);
        return r;
    };
    if (!e.before.valid || !e.during.valid || !e.after.valid) return unsure("a read failed its PEC");
    if (!e.configProblem.empty()) return unsure(e.configProblem);
    if (!e.noiseMv) return unsure("no noise estimate: the baseline reads failed their PEC");
    if (*e.noiseMv > dcc::kMaxNoiseMv) return unsure("readings too noisy (" + Mv(*e.noiseMv) + " per reading)");

    const double own = *r.dropMv;
    int neighbour = 0;
    double neighbourDrop = 0;
    for (int n : {e.cell - 1, e.cell + 1}) {
        if (n < 1 || n > e.cellsInUse) continue;
        const double d = e.before.mv[U(n - 1)] - e.during.mv[U(n - 1)];
        if (neighbour == 0 || d > neighbourDrop) {
            neighbour = n;
            neighbourDrop = d;
        }
    }
    if (neighbour != 0 && neighbourDrop >= dcc::kClearDropMv) {
        if (own >= dcc::kClearDropMv)
            return unsure("cell " + std::to_string(neighbour) + " dropped as well (" + Mv(neighbourDrop) + ")");
        r.verdict = CellVerdict::Fail;
        r.droppedInstead = neighbour;
        r.reason = "cell " + std::to_string(neighbour) + " dropped instead (" + Mv(neighbourDrop) +
                   "): the discharge path is on the wrong sense line";
        return r;
    }
    if (own >= dcc::kClearDropMv) {
        if (*r.residualMv > own * (1.0 - dcc::kRecoveredShare))
            return unsure("did not recover (still " + Mv(*r.residualMv) + " low after the bit was cleared)");
        r.verdict = CellVerdict::Pass;
        return r;
    }
    if (own < dcc::kNoDropMv) {
        r.verdict = CellVerdict::Fail;
        r.reason = "no drop: open discharge resistor, switch or joint";
        return r;
    }
    return unsure("weak drop: a high-resistance discharge path?");
}

protocol::PerBoard<protocol::ConfigRegisters> RestConfiguration(
    const protocol::PerBoard<protocol::ConfigRegisters>& written, const std::vector<int>& boards)
{
    auto regs = written;
    for (int b : boards)
        if (b >= 0 && b < protocol::kMaxBoards)
            for (int c = 1; c <= 12; ++c) SetDischargeBit(regs[U(b)], c, false);
    return regs;
}

protocol::PerBoard<protocol::ConfigRegisters> StepConfiguration(const DischargeRun& run,
                                                                const DischargeCheckResult& result, int cell)
{
    auto regs = run.rest;
    if (cell < 1 || cell > 12) return regs;
    for (std::size_t i = 0; i < result.boards.size() && i < run.boards.size(); ++i)
        if (run.boards[i].testable[U(cell - 1)]) SetDischargeBit(regs[U(result.boards[i].board)], cell, true);
    return regs;
}

// ---- Text and JSON ---------------------------------------------------------------

namespace {

std::string CellWord(const CellResult& c)
{
    char text[16];
    switch (c.verdict) {
    case CellVerdict::Pass:
    case CellVerdict::Fail:
    case CellVerdict::Unsure:
        if (c.dropMv)
            std::snprintf(text, sizeof text, "%c%6.1f", VerdictName(c.verdict)[0], *c.dropMv);
        else
            std::snprintf(text, sizeof text, "%c    --", VerdictName(c.verdict)[0]);
        return text;
    case CellVerdict::Masked: return "masked";
    case CellVerdict::Discharging: return "dcc on";
    case CellVerdict::NotInUse: return "unused";
    case CellVerdict::NotChosen: return "     -";
    case CellVerdict::Untested: break;
    }
    return "     .";
}

} // namespace

std::string DischargeCheckText(const DischargeCheckResult& r)
{
    std::ostringstream out;
    out << "Discharge check " << OutcomeName(r.outcome) << ": " << r.boards.size() << " board"
        << (r.boards.size() == 1 ? "" : "s") << ", " << r.order.size() << " cell" << (r.order.size() == 1 ? "" : "s")
        << ", settling " << r.settleMs << " ms, " << r.elapsedMs / 1000 << "." << (r.elapsedMs % 1000) / 100
        << " s\n";
    out << "PASS " << r.count(CellVerdict::Pass) << ", FAIL " << r.count(CellVerdict::Fail) << ", UNSURE "
        << r.count(CellVerdict::Unsure) << "; skipped: masked " << r.count(CellVerdict::Masked) << ", discharging "
        << r.count(CellVerdict::Discharging) << "\n";
    out << "Drop in mV while each cell discharged (P pass, F fail, U unsure):\n";
    out << "board  noise ";
    for (int c = 1; c <= 12; ++c) {
        char head[16];
        std::snprintf(head, sizeof head, " %6d", c);
        out << head;
    }
    out << "\n";
    for (const BoardResult& b : r.boards) {
        char head[32];
        if (b.noiseMv)
            std::snprintf(head, sizeof head, "%5d %6.1f", b.board + 1, *b.noiseMv);
        else
            std::snprintf(head, sizeof head, "%5d     --", b.board + 1);
        out << head;
        for (const CellResult& c : b.cells) out << ' ' << CellWord(c);
        out << "\n";
    }
    for (const BoardResult& b : r.boards)
        for (std::size_t c = 0; c < 12; ++c)
            if (!b.cells[c].reason.empty())
                out << "board " << b.board + 1 << " cell " << c + 1 << ": " << VerdictName(b.cells[c].verdict) << ", "
                    << b.cells[c].reason << "\n";
    if (!r.note.empty()) out << r.note << "\n";
    return out.str();
}

std::string DischargeCheckJson(const DischargeCheckResult& r)
{
    using nlohmann::json;
    const auto optional = [](const std::optional<double>& v) {
        return v ? json(std::round(*v * 100.0) / 100.0) : json(nullptr);
    };
    json boards = json::array();
    for (const BoardResult& b : r.boards) {
        json cells = json::array();
        for (std::size_t c = 0; c < 12; ++c) {
            const CellResult& cell = b.cells[c];
            cells.push_back({{"cell", c + 1},
                             {"verdict", VerdictName(cell.verdict)},
                             {"drop_mv", optional(cell.dropMv)},
                             {"residual_mv", optional(cell.residualMv)},
                             {"dropped_instead", cell.droppedInstead == 0 ? json(nullptr) : json(cell.droppedInstead)},
                             {"reason", cell.reason}});
        }
        boards.push_back({{"board", b.board + 1},
                          {"noise_mv", optional(b.noiseMv)},
                          {"configuration", RestoreName(b.restore)},
                          {"cells", cells}});
    }
    const json doc = {
        {"outcome", OutcomeName(r.outcome)},
        {"settle_ms", r.settleMs},
        {"elapsed_ms", r.elapsedMs},
        {"order", r.order},
        {"limits",
         {{"clear_drop_mv", dcc::kClearDropMv},
          {"no_drop_mv", dcc::kNoDropMv},
          {"recovered_share", dcc::kRecoveredShare},
          {"max_noise_mv", dcc::kMaxNoiseMv},
          {"reads_per_point", dcc::kReadsPerPoint},
          {"baseline_reads", dcc::kBaselineReads}}},
        {"summary",
         {{"pass", r.count(CellVerdict::Pass)},
          {"fail", r.count(CellVerdict::Fail)},
          {"unsure", r.count(CellVerdict::Unsure)},
          {"masked", r.count(CellVerdict::Masked)},
          {"discharging", r.count(CellVerdict::Discharging)}}},
        {"note", r.note},
        {"boards", boards},
    };
    return doc.dump(2) + "\n";
}

} // namespace qm::acquisition

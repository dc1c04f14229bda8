// dcc-check: the discharge check of the window's Tools menu, run from the
// command line. A measuring configuration is written first (--config): the
// chips discharge only while they measure, and the check puts back exactly
// the configuration it found. The check runs over the timer ticks, so the
// keep-alive goes on; Ctrl-C cancels it, and the configuration is restored.
#include <memory>
#include <sstream>

#include "acquisition/DischargeCheck.h"
#include "apps/cli/Commands.h"

namespace qm::cli {

namespace {

struct Options {
    int boards = 1;
    std::string cells; // "1,3,5-8"; empty: every cell
    int settleMs = acquisition::dcc::kDefaultSettleMs;
    std::string configFile;
};

// "1,3,5-8" as cell numbers; an empty vector and a message when refused.
std::vector<int> ParseCells(const std::string& text, std::string& error)
{
    std::vector<int> cells;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        const auto dash = part.find('-');
        try {
            std::size_t used = 0;
            const int first = std::stoi(part.substr(0, dash), &used);
            const int last = dash == std::string::npos ? first : std::stoi(part.substr(dash + 1));
            if (used != (dash == std::string::npos ? part.size() : dash) || first < 1 || last > 12 || first > last)
                throw std::invalid_argument(part);
            for (int c = first; c <= last; ++c) cells.push_back(c);
        } catch (const std::exception&) {
            error = "--cells: '" + part + "' is not a cell 1..12 or a range of them";
            return {};
        }
    }
    if (cells.empty()) error = "--cells: no cell named";
    return cells;
}

int Run(Context& ctx, const Options& o)
{
    acquisition::DischargeCheckPlan plan;
    plan.settleMs = o.settleMs;
    if (!o.cells.empty()) {
        std::string error;
        plan.cells = ParseCells(o.cells, error);
        if (!error.empty()) {
            Error(error);
            return kExitUsage;
        }
    }
    if (const std::string error = acquisition::NormalisePlan(plan, o.boards - 1).error; !error.empty()) {
        Error(error);
        return kExitUsage;
    }
    if (const int status = Prepare(ctx, o.boards, o.configFile); status != kExitOk) return status;
    auto& session = ctx.session();
    ctx.catchInterrupts();
    if (!session.StartDischargeCheck(plan)) {
        Error("the discharge check did not start: " + ctx.view().dischargeCheck.refusal);
        return kExitCheckFailed;
    }
    while (session.dischargeCheckRunning()) {
        const Context::Tick tick = ctx.tick();
        if (tick == Context::Tick::BoardLost) break;
        if (tick == Context::Tick::Interrupted) session.CancelDischargeCheck();
    }
    const acquisition::DischargeCheckResult& result = ctx.view().dischargeCheck.result;
    int status = result.anyFail() ? kExitCheckFailed : kExitOk;
    if (session.closed()) status = ctx.boardLost();
    return ctx.finish(status, Json::parse(acquisition::DischargeCheckJson(result)),
                      acquisition::DischargeCheckText(result));
}

} // namespace

void AddDccCheck(CLI::App& app, Commands& commands)
{
    auto* sub = app.add_subcommand("dcc-check", "Prove every cell's discharge path: switch it on alone, see it drop");
    sub->footer("Writes the --config file (a measuring configuration, CDC 1..7), then for each cell in turn sets only "
                "its discharge bit on every chosen board, waits the settling time, reads, clears it and reads again. "
                "PASS: the cell dropped clearly and came back; FAIL: no drop, or a neighbour dropped instead (a "
                "swapped sense line); UNSURE: a weak drop, noise, a failed PEC check. The configuration found before "
                "the check is written back and read back at the end and on Ctrl-C. Exit status 3 when a cell FAILs "
                "or the check cannot start (a board in thermal shutdown or in standby).");
    auto o = std::make_shared<Options>();
    AddBoardsOption(*sub, o->boards, "boards on the stack (1..10, default 1); every one is checked");
    sub->add_option("--cells", o->cells, "cells to check, e.g. 1,3,5-8 (default every cell)")->type_name("LIST");
    sub->add_option("--settle", o->settleMs, "settling time after each switch, in ms (100..2000, default 200)")
        ->check(CLI::Range(100, 2000))
        ->type_name("MS");
    AddConfigOption(*sub, o->configFile)->required();
    commands.add(sub, [o](Context& ctx) { return Run(ctx, *o); });
}

} // namespace qm::cli

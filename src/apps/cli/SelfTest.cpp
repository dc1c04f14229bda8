// selftest: the window's self-test panel for every board. For each pattern
// (0x555, 0xAAA, 0xFFF) and each board as the current one: CELL VOLT, then
// READCELL HEX VIEW, which checks the board's cell codes; ALL TEMP, then
// READTEMP HEX VIEW, which checks its temperature codes. A code the check
// marks red is a fault, named by board and cell or temperature input.
#include <map>
#include <memory>

#include "acquisition/CommandTexts.h"
#include "apps/cli/Commands.h"

namespace qm::cli {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

constexpr const char* kPatterns[3] = {"0x555", "0xAAA", "0xFFF"}; // Option2 0..2

struct Fault {
    std::string what; // "cell 7", "temperature input 2"
    std::string pattern;
    std::string answered;
};

// One start and its hex-view read, a tick apart so the conversion has ended.
// False when the board was lost.
bool StartAndRead(Context& ctx, int start, int read)
{
    ctx.session().OnSelfTestButton(start);
    if (ctx.tick() == Context::Tick::BoardLost) return false;
    ctx.session().OnSelfTestButton(read);
    return true;
}

int Run(Context& ctx, int boards, const std::string& configFile)
{
    if (const int status = Prepare(ctx, boards, configFile); status != kExitOk) return status;
    ctx.warnStandby();
    auto& session = ctx.session();
    std::vector<std::vector<Fault>> faults(U(ctx.boards()));
    for (int pattern = 0; pattern < 3; ++pattern) {
        session.SelectSelfTest(pattern);
        for (int b = 0; b < ctx.boards(); ++b) {
            session.OnBoardFocus(b);
            if (!StartAndRead(ctx, 0, 3)) return ctx.boardLost(); // CELL VOLT, READCELL HEX VIEW
            // Cells out of use in 10-cell mode are not converted: not faults.
            const int cells = ctx.state().cellGroupCode() == 1 ? 10 : 12;
            for (int c = 0; c < cells; ++c) {
                const auto& box = ctx.view().cells[U(c)].value;
                if (box.back == colour::kRed)
                    faults[U(b)].push_back({"cell " + std::to_string(c + 1), kPatterns[pattern], Trimmed(box.text)});
            }
            if (!StartAndRead(ctx, 2, 4)) return ctx.boardLost(); // ALL TEMP, READTEMP HEX VIEW
            for (int t = 0; t < 3; ++t) {
                const auto& box = ctx.view().temperatures[U(t)].value;
                if (box.back == colour::kRed)
                    faults[U(b)].push_back(
                        {"temperature input " + std::to_string(t + 1), kPatterns[pattern], Trimmed(box.text)});
            }
        }
    }

    int status = kExitOk;
    Json list = Json::array();
    std::string text;
    for (int b = 0; b < ctx.boards(); ++b) {
        const auto& found = faults[U(b)];
        if (!found.empty()) status = kExitCheckFailed;
        Json board{{"board", b + 1}, {"passed", found.empty()}, {"faults", Json::array()}};
        // One line per cell or input, with every pattern it failed.
        std::map<std::string, std::string> lines;
        std::vector<std::string> order;
        for (const Fault& f : found) {
            board["faults"].push_back(Json{{"board", b + 1}, {"input", f.what}, {"expected", f.pattern}, {"answered", f.answered}});
            if (!lines.count(f.what)) order.push_back(f.what);
            lines[f.what] += (lines[f.what].empty() ? "" : ", ") + f.answered + " for " + f.pattern;
        }
        list.push_back(board);
        if (found.empty()) text += "board " + std::to_string(b + 1) + ": PASS\n";
        for (const auto& what : order)
            text += "board " + std::to_string(b + 1) + ": FAIL " + what + ": answered " + lines[what] + "\n";
    }
    text += status == kExitOk ? "self test passed\n" : "self test FAILED\n";
    return ctx.finish(status, Json{{"boards", list}, {"passed", status == kExitOk}}, text);
}

} // namespace

void AddSelfTest(CLI::App& app, Commands& commands)
{
    auto* sub = app.add_subcommand("selftest", "Run the chips' self tests on every board");
    sub->footer(
        "Runs the self-test panel board after board: cell and temperature conversions with each pattern (0x555, "
        "0xAAA, 0xFFF), then the hex-view reads that check every code of the board. Prints each board's verdict; "
        "a fault names board and cell (or temperature input) and the code it answered; exit status 3 when any "
        "board fails. Cells 11 and 12 take no part in 10-cell mode. The chips must measure (CDC above 0): write "
        "a configuration just before or give --config.");
    AddPreparedCommand(*sub, commands, Run);
}

} // namespace qm::cli

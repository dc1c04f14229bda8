// diagnose: the window's diagnostic panel for every board: START DIAGN, then
// READ DIAGN, and each board's fields as the panel shows them when it is the
// current board: revision, multiplexer check and reference voltage.
#include <memory>

#include "apps/cli/Commands.h"

namespace qm::cli {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

int Run(Context& ctx, int boards, const std::string& configFile)
{
    if (const int status = Prepare(ctx, boards, configFile); status != kExitOk) return status;
    ctx.warnStandby();
    auto& session = ctx.session();
    session.OnDiagnosticButton(0); // START DIAGN
    if (ctx.tick() == Context::Tick::BoardLost) return ctx.boardLost();
    session.OnDiagnosticButton(1); // READ DIAGN

    int status = kExitOk;
    Json list = Json::array();
    std::string text;
    for (int b = 0; b < ctx.boards(); ++b) {
        session.OnBoardFocus(b);
        const auto& fields = ctx.view().diagnostics.fields;
        const auto& diag = ctx.state().images.diag[U(b)];
        const bool pecOk = PecMatched(ctx.state().images.diagnostics, b);
        const bool passed = pecOk && diag.muxFail == 0;
        if (!passed) status = kExitCheckFailed;
        const std::string reference = Trimmed(fields[4].text); // "2.3040V"
        Json board{{"board", b + 1},
                   {"pecOk", pecOk},
                   {"revision", pecOk ? Json(Trimmed(fields[2].text)) : Json(nullptr)},
                   {"multiplexer", pecOk ? Json(Trimmed(fields[3].text)) : Json(nullptr)},
                   {"referenceVolts", JsonNumber(diag.referenceVolts)},
                   {"passed", passed}};
        list.push_back(board);
        text += "board " + std::to_string(b + 1) + ": ";
        if (pecOk)
            text += std::string(passed ? "PASS" : "FAIL") + " revision " + Trimmed(fields[2].text) + ", multiplexer " +
                    Trimmed(fields[3].text);
        else
            text += "FAIL the diagnostic read failed its PEC check (revision and multiplexer unknown)";
        text += ", reference " + reference.substr(0, reference.size() - (reference.ends_with('V') ? 1 : 0)) + " V\n";
    }
    text += status == kExitOk ? "diagnostics passed\n" : "diagnostics FAILED\n";
    return ctx.finish(status, Json{{"boards", list}, {"passed", status == kExitOk}}, text);
}

} // namespace

void AddDiagnose(CLI::App& app, Commands& commands)
{
    auto* sub = app.add_subcommand("diagnose", "Read every board's revision, multiplexer check and reference");
    sub->footer("START DIAGN, READ DIAGN, then every board's revision, multiplexer check (PASS or FAIL) and "
                "reference voltage; exit status 3 when a board's multiplexer check FAILs or its diagnostic read "
                "fails its PEC check. The chips must measure (CDC above 0): write a configuration just before or "
                "give --config.");
    AddPreparedCommand(*sub, commands, Run);
}

} // namespace qm::cli

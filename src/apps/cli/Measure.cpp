// measure: the continuous read cycle, recorded pass by pass through the
// session's recorder (the same record file as the window's datalog), until
// a count of passes, a duration, Ctrl-C or the loss of the board.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "apps/cli/Commands.h"
#include "datalog/RecordWriter.h"

namespace qm::cli {

namespace {

struct Options {
    int boards = 1;
    std::uint64_t count = 0;     // passes to record; 0: no limit
    double duration = 0;         // seconds; 0: no limit
    std::uint64_t intervalMs = 0; // at most one recorded pass per interval
    std::string out;             // empty: standard output
    std::string format = "csv";
    std::string configFile;
};

// "12 passes, 3.6 s" on one line of a terminal, rewritten in place.
void ShowProgress(std::uint64_t passes, double seconds, std::uint64_t pecFailures)
{
    std::fprintf(stderr, "\rmeasure: %llu passes recorded, %.1f s, %llu PEC failures ",
                 static_cast<unsigned long long>(passes), seconds, static_cast<unsigned long long>(pecFailures));
    std::fflush(stderr);
}

int Run(Context& ctx, const Options& o)
{
    const auto format = datalog::FormatNamed(o.format);
    if (!o.out.empty()) {
        // A record that cannot be created is found out before the board is touched.
        std::error_code ec;
        const auto folder = std::filesystem::absolute(o.out, ec).parent_path();
        if (ec || !std::filesystem::is_directory(folder, ec) || ::access(folder.c_str(), W_OK) != 0) {
            Error("cannot record to " + o.out + ": its folder does not exist or cannot be written");
            return kExitUsage;
        }
    }
    if (const int status = Prepare(ctx, o.boards, o.configFile); status != kExitOk) return status;
    ctx.warnStandby();

    acquisition::RecordingSetup setup;
    setup.file = o.out.empty() ? std::string("standard output") : o.out;
    setup.intervalSeconds = static_cast<double>(o.intervalMs) / 1000.0;
    setup.program = ctx.program();
    setup.device = ctx.deviceDescription();
    setup.format = *format;
    if (o.out.empty()) setup.stream = stdout;
    ctx.catchInterrupts();
    auto& session = ctx.session();
    if (!session.StartRecording(setup)) {
        Error("cannot record: " + session.recordingError());
        return kExitUsage;
    }

    const bool progress = ::isatty(STDERR_FILENO) == 1;
    const auto started = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
    int status = kExitOk;
    std::uint64_t shown = 0;
    for (;;) {
        const Context::Tick tick = ctx.tick();
        if (tick == Context::Tick::Interrupted) {
            session.StopRecording("interrupted by " + ctx.interruption());
            break;
        }
        if (tick == Context::Tick::BoardLost) { // the session ended the recording, saying so
            status = kExitNoBoard;
            break;
        }
        const acquisition::RecordingStatus& rec = ctx.view().recording;
        if (!rec.active) {
            status = kExitNoBoard;
            break;
        }
        if (progress && rec.passes != shown) ShowProgress(shown = rec.passes, elapsed(), ctx.pecFailures());
        if (o.count > 0 && rec.passes >= o.count) {
            session.StopRecording(std::to_string(o.count) + " passes recorded as asked");
            break;
        }
        if (o.duration > 0 && elapsed() >= o.duration) {
            session.StopRecording("the duration asked for has passed");
            break;
        }
    }
    if (progress) std::fputc('\n', stderr);

    const acquisition::RecordingStatus& rec = ctx.view().recording;
    if (status != kExitOk) {
        if (ctx.session().closed()) ctx.boardLost();
        else Error("measuring stopped: " + rec.endReason);
    }
    Json report{{"passes", rec.passes},
                {"boards", ctx.boards()},
                {"out", o.out.empty() ? "-" : o.out},
                {"format", o.format},
                {"endReason", rec.endReason}};
    const std::string text = "measure: " + std::to_string(rec.passes) + " passes of " +
                             std::to_string(ctx.boards()) + " board" + (ctx.boards() == 1 ? "" : "s") +
                             " recorded to " + (o.out.empty() ? std::string("standard output") : o.out) +
                             "; " + rec.endReason + "\n";
    // The records take standard output when there is no --out.
    return ctx.finish(status, std::move(report), text, o.out.empty() ? std::cerr : std::cout);
}

} // namespace

void AddMeasure(CLI::App& app, Commands& commands)
{
    auto* sub = app.add_subcommand("measure", "Record the continuous read cycle, one line per board per pass");
    sub->footer(
        "Runs the continuous read cycle (a pass of cell, temperature and flag reads every 300 ms) and records one "
        "line per board per pass in the format of the window's datalog. Ends after --count passes or --duration "
        "seconds, at Ctrl-C (SIGINT) or SIGTERM (the record is finished with its reason line and the exit status "
        "is 0), or when the board is lost (exit status 1; every record before it is kept and the record ends with "
        "its reason). Without --out the records go to standard output and the summary to standard error; a "
        "progress line shows on standard error when it is a terminal.");
    auto o = std::make_shared<Options>();
    AddBoardsOption(*sub, o->boards)->required();
    auto* count = sub->add_option("--count", o->count, "stop after recording K passes")
                      ->type_name("K")
                      ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1} << 40));
    auto* duration = sub->add_option("--duration", o->duration, "stop after S seconds (e.g. 28800 for a night)")
                         ->type_name("S")
                         ->check(CLI::Range(0.001, 1e9));
    count->excludes(duration);
    sub->add_option("--interval", o->intervalMs,
                    "record at most one pass every MS milliseconds (default: every pass); the cycle itself keeps "
                    "its pace")
        ->type_name("MS")
        ->check(CLI::Range(std::uint64_t{0}, std::uint64_t{86'400'000}));
    sub->add_option("--out", o->out, "record file (replaced when it exists); default standard output")
        ->type_name("FILE");
    sub->add_option("--format", o->format, "csv (default; '#' header lines, one row per board per pass) or jsonl "
                                           "(one JSON object per line)")
        ->check(CLI::IsMember({"csv", "jsonl"}));
    AddConfigOption(*sub, o->configFile);
    commands.add(sub, [o](Context& ctx) { return Run(ctx, *o); });
}

} // namespace qm::cli

// identify: the controller board's identification and whether it names a
// supported chip variant; the session's start-up, nothing more.
#include "apps/cli/Commands.h"

namespace qm::cli {

void AddIdentify(CLI::App& app, Commands& commands)
{
    auto* sub = app.add_subcommand("identify", "The controller board's identification and whether it is supported");
    sub->footer("Prints the chip variant the controller board names and whether it is a supported one (QM7410-1, "
                "QM7410-3); exit status 1 when it is not or no board answers.");
    commands.add(sub, [](Context& ctx) {
        const int started = ctx.start();
        if (started == kExitUsage) return started;
        const std::string& id = ctx.state().acq.identification;
        const bool supported = started == kExitOk;
        Json report{{"identification", id}, {"supported", supported}};
        const std::string text = id.empty()  ? std::string("no controller board answered\n")
                                 : supported ? id + ": supported\n"
                                             : id + ": not a supported QM7410 controller board\n";
        return ctx.finish(started, std::move(report), text);
    });
}

} // namespace qm::cli

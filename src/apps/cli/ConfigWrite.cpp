// config write: a configuration file (or the default configuration) loaded
// into the editors, written ("WRITE CONFIG"), read back ("READ CONFIG") and
// compared register by register.
#include <memory>

#include "apps/cli/Commands.h"
#include "protocol/RegisterImages.h"

namespace qm::cli {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// The names of the registers read back otherwise than written ("CFGR2").
std::vector<std::string> Differences(const protocol::ConfigRegisters& written, const protocol::ConfigRegisters& read)
{
    std::vector<std::string> names;
    for (int k : protocol::DifferingRegisters(written, read)) names.push_back("CFGR" + std::to_string(k));
    return names;
}

struct Options {
    std::string file;
    bool defaults = false;
    int boards = 0; // 0: the file's
};

} // namespace

void AddConfigWrite(CLI::App& config, Commands& commands)
{
    auto* sub = config.add_subcommand("write", "Write a configuration file, read it back and compare");
    sub->footer(
        "Loads a configuration file (docs/configuration-file.md), or the default configuration, into the editors, "
        "writes it to the chain (WRITE CONFIG), reads it back (READ CONFIG) and compares every register: exit "
        "status 3 when any differs or its read-back failed its PEC check. CFGR0 bit 7 (WDTB) reads back the "
        "chip's watchdog state rather than the bit written and is not compared. A file is checked before "
        "anything is sent: a bad one ends with exit status 2, naming line and field. Boards that differ in CFGR0 "
        "or thresholds are written their own values (the custom options); the 10-cell mode must be the same on "
        "every board.");
    auto o = std::make_shared<Options>();
    auto* file = sub->add_option("FILE", o->file, "configuration file (JSON, see docs/configuration-file.md)");
    auto* defaults = sub->add_flag("--default", o->defaults,
                                   "write the default configuration (CFGR0 E0, the others 00: standby) instead");
    file->excludes(defaults);
    AddBoardsOption(*sub, o->boards, "boards on the stack (1..10); default the file's (a file of more boards "
                                     "makes the stack that large), 1 with --default");
    commands.add(sub, [o](Context& ctx) {
        if (o->file.empty() && !o->defaults) {
            Error("config write needs a configuration file or --default");
            return static_cast<int>(kExitUsage);
        }
        std::optional<config::StackConfiguration> configuration;
        if (o->defaults) configuration = DefaultConfiguration(o->boards > 0 ? o->boards : 1);
        else if (!(configuration = ReadConfiguration(o->file))) return static_cast<int>(kExitUsage);

        const int boards = o->boards > 0 ? o->boards : configuration->boardCount();
        if (const int status = Prepare(ctx, boards, configuration); status != kExitOk) return status;

        const auto& images = ctx.state().images;
        int status = kExitOk;
        Json list = Json::array();
        std::string text;
        for (int b = 0; b < ctx.boards(); ++b) {
            const auto& written = images.written[U(b)];
            const auto& read = images.readBack[U(b)];
            const bool pecOk = PecMatched(images.config, b);
            const std::vector<std::string> differ = Differences(written, read);
            const bool same = pecOk && differ.empty();
            if (!same) status = kExitCheckFailed;
            list.push_back(Json{{"board", b + 1},
                                {"written", RegistersJson(written)},
                                {"readBack", RegistersJson(read)},
                                {"pecOk", pecOk},
                                {"differences", differ},
                                {"matches", same}});
            text += "board " + std::to_string(b + 1) + ": wrote " + RegistersText(written) + ", read " +
                    RegistersText(read);
            if (!pecOk) text += ": the read-back failed its PEC check";
            else if (!differ.empty()) {
                text += ": differs in";
                for (const auto& name : differ) text += " " + name;
            } else {
                text += ": same";
            }
            text += "\n";
        }
        text += status == kExitOk ? "configuration written and read back the same\n"
                                  : "configuration check FAILED\n";
        return ctx.finish(status, Json{{"boards", list}, {"matches", status == kExitOk}}, text);
    });
}

} // namespace qm::cli

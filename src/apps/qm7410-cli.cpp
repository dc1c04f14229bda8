// qm7410-cli: the QM7410 stack from scripts and test benches. The same
// session as the window runs every procedure; this program is its operator,
// with subcommands instead of buttons (src/apps/cli, one file each).
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "apps/cli/Commands.h"
#include "apps/cli/Context.h"

#ifndef QM_VERSION
#define QM_VERSION "0.0.0"
#endif

namespace {

constexpr const char* kFooter = R"(Exit status:
  0  all good
  1  no controller board, the board was lost, or the run could not go on
     (e.g. its record could no longer be written)
  2  bad command line, or a bad or refused file (nothing was written to the chips)
  3  a check failed: a self-test fault, a diagnostic FAIL, a configuration that
     read back different, or more PEC failures than --max-pec-errors

Global options may stand before or after the subcommand. Examples:
  qm7410-cli --simulate=boards=3 config write stack.json
  qm7410-cli --device=serial:/dev/ttyUSB0 measure --boards 4 --interval 1000 --out night.csv
  qm7410-cli --json selftest --boards 4 --config stack.json)";

// Flags that take a value after '=' only are declared with "{}"; the help
// shows them without it.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_option_name(const CLI::Option* option, bool positional) const override
    {
        std::string name = CLI::Formatter::make_option_name(option, positional);
        if (const auto braces = name.find("{}"); braces != std::string::npos) name.erase(braces, 2);
        return name;
    }
};

} // namespace

int main(int argc, char** argv)
{
    using namespace qm::cli;
    // A closed output (a pipe whose reader went away) is a failed write, not
    // the end of the program, so a recording can still end properly.
    std::signal(SIGPIPE, SIG_IGN);

    CLI::App app("QM7410 stack monitor from the command line: identify the controller board, read and "
                 "write the chips' configuration, record measurements, run self tests and diagnostics "
                 "on a daisy chain of 1 to 10 QM7410 cell monitors reached through the XU250B "
                 "USB-to-SPI controller board.",
                 kProgram);
    app.footer(kFooter);
    app.formatter(std::make_shared<HelpFormatter>());
    app.fallthrough();
    app.set_help_all_flag("--help-all", "Print this help with every subcommand's options, and exit");
    app.set_version_flag("--version", std::string(kProgram) + " " + QM_VERSION);

    GlobalOptions options;
    std::string simulate;
    std::string device;
    std::uint64_t maxPec = 0;
    auto* simulateOption =
        app.add_flag("--simulate{}", simulate,
                     "Use the built-in simulated board and chain; SCENARIO (after '=') is a comma-separated "
                     "key list, e.g. --simulate=boards=4,pec-errors=1:0.1 (see qm7410-sim --help)")
            ->type_name("[=SCENARIO]")
            ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    auto* deviceOption =
        app.add_option("--device", device,
                       "ftdi (the first FTDI USB device, the default), serial:PATH[@BAUD] (a tty, e.g. "
                       "/dev/ttyUSB0 or the pseudo-terminal qm7410-sim prints) or replay:FILE[@realtime] (a "
                       "recording of the traffic)")
            ->type_name("DEVICE");
    simulateOption->excludes(deviceOption);
    app.add_option("--record", options.device.recordFile,
                   "Record every transaction with the board to FILE (JSON lines)")
        ->type_name("FILE");
    app.add_flag("--json", options.json, "Print the result as one JSON document");
    auto* maxPecOption = app.add_option("--max-pec-errors", maxPec,
                                        "Fail (exit status 3) when the replies of the boards on the stack "
                                        "failed their PEC check more than N times in all")
                             ->type_name("N");

    Commands commands;
    AddIdentify(app, commands);
    auto* config = app.add_subcommand("config", "Read or write the configuration registers CFGR0..CFGR5");
    AddConfigRead(*config, commands);
    AddConfigWrite(*config, commands);
    AddMeasure(app, commands);
    AddSelfTest(app, commands);
    AddDiagnose(app, commands);
    AddDccCheck(app, commands);

    try {
        app.parse(argc, argv);
        if (!simulateOption->empty()) {
            options.device.kind = qm::options::DeviceChoice::Kind::Simulated;
            options.device.scenario = simulate;
        }
        if (!deviceOption->empty())
            if (const std::string refused = qm::options::ParseDeviceValue(device, options.device); !refused.empty())
                throw CLI::ValidationError(refused);
        if (!maxPecOption->empty()) options.maxPecErrors = maxPec;
        if (app.get_option("--record")->count() > 0 && options.device.recordFile.empty())
            throw CLI::ValidationError("--record needs the path of a file");
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ExtrasError& e) {
        // A word that is neither a subcommand nor an option's value.
        const std::vector<std::string> extra = app.remaining();
        if (!extra.empty() && !extra.front().starts_with('-') && app.get_subcommands().empty())
            Error("unknown subcommand '" + extra.front() + "'");
        else
            Error(e.what());
        std::cerr << "Try '" << kProgram << " --help'.\n";
        return kExitUsage;
    } catch (const CLI::ParseError& e) {
        Error(e.what());
        std::cerr << "Try '" << kProgram << " --help'.\n";
        return kExitUsage;
    }

    const Action* run = commands.chosen();
    if (!run) {
        std::string needed = "a subcommand is needed: ";
        const std::vector<std::string> names = commands.names();
        for (std::size_t i = 0; i < names.size(); ++i)
            needed += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
        Error(config->parsed() ? "config needs 'read' or 'write'" : needed);
        std::cerr << "Try '" << kProgram << " --help'.\n";
        return kExitUsage;
    }
    Context ctx(options);
    return (*run)(ctx);
}

// qm7410-sim: the simulated XU250B controller board and its QM7410 chain,
// served on a pseudo-terminal. The first line of standard output is the path
// of the terminal to open (e.g. /dev/pts/7); the board is served until
// SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "sim/Clock.h"
#include "sim/PtyServer.h"
#include "sim/Scenario.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnStopSignal(int) { gStop = 1; }

void PrintUsage(std::ostream& out)
{
    out << "Usage: qm7410-sim [SCENARIO]\n"
           "Serves a simulated XU250B controller board carrying a chain of QM7410 chips on a\n"
           "pseudo-terminal. Prints the terminal's path on the first line, then serves until\n"
           "interrupted (SIGINT or SIGTERM).\n\n"
        << qm::sim::ScenarioHelp()
        << "\nOptions:\n"
           "  -h, --help     show this text and exit\n"
           "  --version      show the version and exit\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::string scenarioText;
    bool haveScenario = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            PrintUsage(std::cout);
            return 0;
        }
        if (arg == "--version") {
            std::cout << "qm7410-sim 0.1.0\n";
            return 0;
        }
        if (arg.size() > 1 && arg.front() == '-') {
            std::cerr << "qm7410-sim: unknown option " << arg << " (see --help)\n";
            return 2;
        }
        if (haveScenario) {
            std::cerr << "qm7410-sim: only one scenario may be given (keys are separated by commas)\n";
            return 2;
        }
        scenarioText = std::string(arg);
        haveScenario = true;
    }

    const auto parsed = qm::sim::ParseScenario(scenarioText);
    if (!parsed.scenario) {
        std::cerr << "qm7410-sim: " << parsed.error << "\n";
        return 2;
    }

    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    qm::sim::PtyServer server(*parsed.scenario, std::make_shared<qm::sim::SteadyClock>());
    std::string error;
    if (!server.open(error)) {
        std::cerr << "qm7410-sim: " << error << "\n";
        return 1;
    }
    std::cout << server.path() << std::endl; // flushed: the caller waits for this line

    server.serve([] { return gStop != 0; });
    return 0;
}

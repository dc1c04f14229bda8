#include "options/Options.h"

#include <charconv>

namespace qm::options {

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

void ParseDevice(const std::string& value, Options& o)
{
    if (value == "ftdi") {
        o.device = Options::Device::Ftdi;
        return;
    }
    if (!StartsWith(value, "serial:") || value.size() == 7) {
        o.error = "--device takes ftdi or serial:PATH, not '" + value + "'";
        return;
    }
    std::string path = value.substr(7);
    const auto at = path.rfind('@');
    if (at != std::string::npos) {
        const std::string baud = path.substr(at + 1);
        int b = 0;
        const auto [end, ec] = std::from_chars(baud.data(), baud.data() + baud.size(), b);
        if (ec != std::errc() || end != baud.data() + baud.size() || b <= 0) {
            o.error = "--device: '" + baud + "' is not a line speed";
            return;
        }
        o.baud = b;
        path.resize(at);
    }
    if (path.empty()) {
        o.error = "--device=serial: needs the path of a tty";
        return;
    }
    o.device = Options::Device::Serial;
    o.serialPath = path;
}

} // namespace

Options ParseOptions(const std::vector<std::string>& args)
{
    Options o;
    bool deviceChosen = false;
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--simulate" || StartsWith(a, "--simulate=")) {
            if (deviceChosen) o.error = "choose one of --simulate and --device";
            deviceChosen = true;
            o.device = Options::Device::Simulated;
            o.scenario = a.size() > 11 ? a.substr(11) : std::string();
        } else if (StartsWith(a, "--device=")) {
            if (deviceChosen) o.error = "choose one of --simulate and --device";
            deviceChosen = true;
            ParseDevice(a.substr(9), o);
        } else {
            o.error = "unknown option '" + a + "'";
        }
        if (!o.error.empty()) break;
    }
    return o;
}

std::string UsageText(const std::string& program)
{
    return "Usage: " + program + " [--simulate[=SCENARIO] | --device=serial:PATH[@BAUD] | --device=ftdi]\n"
           "\n"
           "Evaluation and monitoring window for a daisy chain of 1 to 10 QM7410 cell\n"
           "monitors reached through the XU250B USB-to-SPI controller board.\n"
           "\n"
           "  (no option)               talk to the first FTDI USB device (the XU250B)\n"
           "  --device=ftdi             the same, said explicitly\n"
           "  --device=serial:PATH      reach the board through a tty, e.g. /dev/ttyUSB0\n"
           "                            (the kernel's FTDI serial driver) or the pseudo-\n"
           "                            terminal qm7410-sim prints; @BAUD sets the speed\n"
           "  --simulate[=SCENARIO]     run on the built-in simulated board and chain;\n"
           "                            SCENARIO is a comma-separated key list, e.g.\n"
           "                            boards=4,thsd=2 (see qm7410-sim --help)\n"
           "  --help                    this text\n"
           "  --version                 the program's version\n"
           "\n"
           "Exit status: 0 after File > Exit or closing the window; 1 when no QM7410\n"
           "controller board answers at start or the board is lost; 2 for a bad command line.\n";
}

} // namespace qm::options

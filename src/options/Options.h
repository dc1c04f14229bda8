#pragma once
// The command line of qm7410-gui: which controller board to talk to.
//   (no option)               the first FTDI USB device, as the tool always has
//   --simulate[=SCENARIO]     the built-in simulated board and chain
//   --device=serial:PATH      the board through a tty (optionally PATH@BAUD)
//   --device=ftdi             the first FTDI USB device (the default)
//   --help, --version
#include <string>
#include <vector>

namespace qm::options {

struct Options {
    enum class Device { Ftdi, Serial, Simulated };
    Device device = Device::Ftdi;
    std::string serialPath;
    int baud = 9600;
    std::string scenario; // the text after --simulate=
    bool help = false;
    bool version = false;
    std::string error;    // set when the command line is refused (exit status 2)
};

Options ParseOptions(const std::vector<std::string>& args);
std::string UsageText(const std::string& program);

} // namespace qm::options

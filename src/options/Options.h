#pragma once
// The command line both programs share: which controller board to talk to,
// and opening it.
//   (no option)               the first FTDI USB device, as the tool always has
//   --simulate[=SCENARIO]     the built-in simulated board and chain
//   --device=serial:PATH      the board through a tty (optionally PATH@BAUD)
//   --device=ftdi             the first FTDI USB device (the default)
//   --help, --version
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/Device.h"

namespace qm::options {

// The controller board a program talks to.
struct DeviceChoice {
    enum class Kind { Ftdi, Serial, Simulated, Replay };
    Kind kind = Kind::Ftdi;
    std::string serialPath;
    int baud = 9600;
    std::string scenario;   // the text after --simulate=
    std::string replayFile; // --device=replay:FILE
    bool realtime = false;  // --device=replay:FILE@realtime
    std::string recordFile; // --record=FILE: every transaction recorded there
};

// Reads the value of --device= ("ftdi", "serial:PATH[@BAUD]") into choice;
// returns a message when the value is refused, empty otherwise.
std::string ParseDeviceValue(const std::string& value, DeviceChoice& choice);

// The device, opened lazily by its first transaction as every back end is;
// with a recording file, every transaction goes through the recorder.
struct OpenedDevice {
    link::Device& use() { return recorder ? *recorder : *device; }
    std::unique_ptr<link::Device> device;
    std::unique_ptr<link::Device> recorder;
    std::string description; // "ftdi", "serial:/dev/ttyUSB0", "simulated: boards=4"
    std::string error;       // set when the choice cannot be used (a refused scenario); exit status 2
    // Why the device stopped answering when the device itself knows (a replay
    // that diverged from its recording); empty otherwise.
    std::function<std::optional<std::string>()> failure = [] { return std::optional<std::string>(); };
};
// program names the recording program ("qm7410-gui 0.1.0") in a recording's header.
OpenedDevice OpenDevice(const DeviceChoice& choice, const std::string& program);

// The window's command line.
struct Options {
    DeviceChoice device;
    bool help = false;
    bool version = false;
    std::string error; // set when the command line is refused (exit status 2)
};

Options ParseOptions(const std::vector<std::string>& args);
std::string UsageText(const std::string& program);

} // namespace qm::options

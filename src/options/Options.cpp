#include "options/Options.h"

#include <charconv>
#include <filesystem>

#include "link/FtdiDevice.h"
#include "link/ReplayDevice.h"
#include "link/SerialDevice.h"
#include "link/TrafficReader.h"
#include "link/TrafficRecorder.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"

namespace qm::options {

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

} // namespace

std::string ParseDeviceValue(const std::string& value, DeviceChoice& choice)
{
    if (value == "ftdi") {
        choice.kind = DeviceChoice::Kind::Ftdi;
        return {};
    }
    if (StartsWith(value, "replay:")) {
        std::string file = value.substr(7);
        constexpr std::string_view kRealtime = "@realtime";
        choice.realtime = file.size() > kRealtime.size() && file.ends_with(kRealtime);
        if (choice.realtime) file.resize(file.size() - kRealtime.size());
        if (file.empty()) return "--device=replay: needs the path of a recording";
        choice.kind = DeviceChoice::Kind::Replay;
        choice.replayFile = file;
        return {};
    }
    if (!StartsWith(value, "serial:") || value.size() == 7)
        return "--device takes ftdi, serial:PATH or replay:FILE, not '" + value + "'";
    std::string path = value.substr(7);
    int baud = choice.baud;
    const auto at = path.rfind('@');
    if (at != std::string::npos) {
        const std::string text = path.substr(at + 1);
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), baud);
        if (ec != std::errc() || end != text.data() + text.size() || baud <= 0)
            return "--device: '" + text + "' is not a line speed";
        path.resize(at);
    }
    if (path.empty()) return "--device=serial: needs the path of a tty";
    choice.kind = DeviceChoice::Kind::Serial;
    choice.serialPath = path;
    choice.baud = baud;
    return {};
}

OpenedDevice OpenDevice(const DeviceChoice& choice, const std::string& program)
{
    OpenedDevice opened;
    switch (choice.kind) {
    case DeviceChoice::Kind::Ftdi:
        opened.device = std::make_unique<link::FtdiDevice>();
        opened.description = "ftdi";
        break;
    case DeviceChoice::Kind::Serial:
        opened.device = std::make_unique<link::SerialDevice>(choice.serialPath, choice.baud);
        opened.description = "serial:" + choice.serialPath;
        break;
    case DeviceChoice::Kind::Simulated: {
        const sim::ScenarioResult parsed = sim::ParseScenario(choice.scenario);
        if (!parsed.scenario) {
            opened.error = "--simulate: " + parsed.error;
            return opened;
        }
        opened.device = std::make_unique<sim::SimulatedDevice>(*parsed.scenario);
        opened.description = "simulated: " + choice.scenario;
        break;
    }
    case DeviceChoice::Kind::Replay: {
        link::TrafficReadResult read = link::ReadTrafficFile(choice.replayFile);
        if (!read.recording) {
            opened.error = read.error;
            return opened;
        }
        link::ReplayOptions replayOptions;
        replayOptions.realtime = choice.realtime;
        auto replay = std::make_unique<link::ReplayDevice>(std::move(*read.recording), replayOptions);
        opened.failure = [device = replay.get()] { return device->failure(); };
        opened.device = std::move(replay);
        opened.description = "replay:" + choice.replayFile;
        break;
    }
    }
    if (!choice.recordFile.empty()) {
        link::TrafficHeader header;
        const auto space = program.find(' ');
        header.program = program.substr(0, space);
        header.programVersion = space == std::string::npos ? std::string() : program.substr(space + 1);
        header.device = opened.description;
        if (choice.kind == DeviceChoice::Kind::Simulated) header.scenario = choice.scenario;
        if (choice.kind == DeviceChoice::Kind::Replay) {
            // Recording over the recording being replayed would destroy it.
            std::error_code ec;
            if (std::filesystem::equivalent(choice.replayFile, choice.recordFile, ec)) {
                opened.error = "--record: " + choice.recordFile + " is the recording being replayed";
                return opened;
            }
            // A report names the file it replayed, not the folders it sits in.
            header.device = "replay:" + std::filesystem::path(choice.replayFile).filename().string();
        }
        auto recorder = std::make_unique<link::TrafficRecorder>(*opened.device, std::filesystem::path(choice.recordFile),
                                                                std::move(header));
        if (!recorder->error().empty()) {
            opened.error = "--record: " + recorder->error();
            return opened;
        }
        opened.recorder = std::move(recorder);
    }
    return opened;
}

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
            o.device.kind = DeviceChoice::Kind::Simulated;
            o.device.scenario = a.size() > 11 ? a.substr(11) : std::string();
        } else if (StartsWith(a, "--record=")) {
            o.device.recordFile = a.substr(9);
            if (o.device.recordFile.empty()) o.error = "--record= needs the path of a file";
        } else if (StartsWith(a, "--device=")) {
            if (deviceChosen) o.error = "choose one of --simulate and --device";
            deviceChosen = true;
            if (o.error.empty()) o.error = ParseDeviceValue(a.substr(9), o.device);
        } else {
            o.error = "unknown option '" + a + "'";
        }
        if (!o.error.empty()) break;
    }
    return o;
}

std::string UsageText(const std::string& program)
{
    return "Usage: " + program +
           " [--simulate[=SCENARIO] | --device=serial:PATH[@BAUD] | --device=replay:FILE[@realtime] |\n"
           "        --device=ftdi] [--record=FILE]\n"
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
           "  --device=replay:FILE      answer from a recording of the traffic instead of\n"
           "                            a board, at once or (@realtime) at its own pace\n"
           "  --record=FILE             record every transaction with the board to FILE\n"
           "                            (JSON lines), e.g. for a problem report\n"
           "  --help                    this text\n"
           "  --version                 the program's version\n"
           "\n"
           "Exit status: 0 after File > Exit or closing the window; 1 when no QM7410\n"
           "controller board answers at start, the board is lost or a replay departs from\n"
           "its recording; 2 for a bad command line or recording.\n";
}

} // namespace qm::options

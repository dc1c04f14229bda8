#include "apps/cli/Context.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <thread>

#include "protocol/ByteText.h"

#ifndef QM_VERSION
#define QM_VERSION "0.0.0"
#endif

namespace qm::cli {

namespace {

constexpr std::chrono::milliseconds kTickInterval{100};

sigset_t InterruptSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

std::size_t U(int i) { return static_cast<std::size_t>(i); }

} // namespace

void Error(const std::string& message) { std::cerr << kProgram << ": " << message << "\n"; }

Context::Context(GlobalOptions options) : options_(std::move(options)) {}

// Signals caught stay blocked to the end: a second Ctrl-C must not end the
// program while it reports the first.
Context::~Context() = default;

std::string Context::program() const { return std::string(kProgram) + " " + QM_VERSION; }

int Context::start()
{
    opened_ = options::OpenDevice(options_.device, program());
    if (!opened_.error.empty()) {
        Error(opened_.error);
        return kExitUsage;
    }
    session_ = std::make_unique<acquisition::Session>(opened_.use(), display_);
    nextTick_ = std::chrono::steady_clock::now() + kTickInterval;
    if (session_->OnLoad()) return kExitOk;
    const std::string& id = state().acq.identification;
    if (const auto why = opened_.failure()) Error(*why);
    else if (!id.empty())
        Error("the controller board names the chip variant '" + id +
              "', which is not supported (QM7410-1 and QM7410-3 are)");
    else
        Error(std::string("no QM7410 controller board found") +
              (options_.device.kind == options::DeviceChoice::Kind::Simulated ? "" : " (try --simulate)"));
    return kExitNoBoard;
}

void Context::chooseBoards(int count)
{
    if (count - 1 != state().chain.lastBoardIndex) session_->OnBoardCountChosen(count - 1);
}

void Context::catchInterrupts()
{
    // Blocked, the signals wait for the tick loop to take them, so no
    // transaction is ever cut short by one.
    const sigset_t set = InterruptSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
    catching_ = true;
}

std::string Context::interruption() const
{
    return signal_ == SIGINT ? "SIGINT" : signal_ == SIGTERM ? "SIGTERM" : std::string();
}

Context::Tick Context::tick()
{
    using Clock = std::chrono::steady_clock;
    if (signal_ != 0) return Tick::Interrupted;
    for (;;) {
        const auto now = Clock::now();
        if (catching_) {
            const sigset_t set = InterruptSignals();
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(nextTick_ - now, Clock::duration::zero()));
            timespec wait{static_cast<std::time_t>(left.count() / 1'000'000'000), static_cast<long>(left.count() % 1'000'000'000)};
            const int sig = sigtimedwait(&set, nullptr, &wait);
            if (sig > 0) {
                signal_ = sig;
                return Tick::Interrupted;
            }
            if (sig < 0 && errno == EINTR) continue;
        } else if (now < nextTick_) {
            std::this_thread::sleep_until(nextTick_);
        }
        if (Clock::now() >= nextTick_) break;
    }
    session_->OnTimerTick();
    nextTick_ = std::max(nextTick_ + kTickInterval, Clock::now());
    return session_->closed() ? Tick::BoardLost : Tick::Ticked;
}

int Context::writeConfiguration(const config::StackConfiguration& configuration)
{
    const std::string refused = session_->LoadConfiguration(configuration);
    if (!refused.empty()) {
        Error("the configuration was refused: " + refused);
        return kExitUsage;
    }
    session_->OnCommandButton(5); // WRITE CONFIG
    return kExitOk;
}

void Context::warnStandby() const
{
    for (int b = 0; b < boards(); ++b)
        if (state().images.configReadValid[U(b)] == 0)
            Error("warning: board " + std::to_string(b + 1) +
                  " is in standby (CDC 0) and converts nothing; write a measuring configuration first "
                  "(config write, or --config FILE)");
}

int Context::boardLost() const
{
    if (const auto why = opened_.failure()) Error(*why);
    else Error("the QM7410 controller board stopped answering");
    return kExitNoBoard;
}

std::uint64_t Context::pecFailures() const
{
    std::uint64_t n = 0;
    if (!session_) return n;
    for (int b = 0; b < boards(); ++b) n += state().images.health[U(b)].counts.totalPecFailures();
    return n;
}

int Context::finish(int status, Json report, const std::string& text) { return finish(status, std::move(report), text, std::cout); }

int Context::finish(int status, Json report, const std::string& text, std::ostream& out)
{
    const std::uint64_t pec = pecFailures();
    if (options_.maxPecErrors && pec > *options_.maxPecErrors) {
        Error(std::to_string(pec) + " PEC failures, more than --max-pec-errors " +
              std::to_string(*options_.maxPecErrors) + " allows");
        if (status == kExitOk) status = kExitCheckFailed;
    }
    if (options_.json) {
        report["pecFailures"] = pec;
        report["exitStatus"] = status;
        out << report.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    } else {
        out << text;
        if (pec > 0) out << "link: " << pec << " PEC failure" << (pec == 1 ? "" : "s") << "\n";
    }
    out.flush();
    return status;
}

std::optional<config::StackConfiguration> ReadConfiguration(const std::string& file)
{
    const config::ConfigFileRead read = config::ReadConfigFile(file);
    if (!read.configuration) Error(file + ": " + config::DescribeConfigFileError(read.error));
    return read.configuration;
}

config::StackConfiguration DefaultConfiguration(int boards)
{
    return config::StackConfiguration{std::vector<protocol::ConfigRegisters>(U(boards), protocol::DefaultConfiguration())};
}

std::string RegistersText(const protocol::ConfigRegisters& registers)
{
    std::string text;
    for (const std::string& r : registers) text += (text.empty() ? "" : " ") + (r.empty() ? std::string("--") : r);
    return text;
}

Json RegistersJson(const protocol::ConfigRegisters& registers)
{
    Json regs = Json::object();
    for (std::size_t k = 0; k < registers.size(); ++k) regs["CFGR" + std::to_string(k)] = registers[k];
    return regs;
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool PecMatched(const protocol::ReceivedSet& set, int board) { return set.pec[U(board)] == set.computed[U(board)]; }

} // namespace qm::cli

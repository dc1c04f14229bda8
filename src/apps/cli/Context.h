#pragma once
// What every subcommand of qm7410-cli shares: the device options, the opened
// controller board, the session the window also runs, its timer ticks
// (driven here, 100 ms apart in real time), a display that shows nothing (the
// report is read from the session's state and view), and the report of a run
// as text or JSON.
//
// A subcommand is the operator at the window: it calls the session's
// procedures (OnCommandButton, OnSelfTestButton, ...) and reads the session's
// state and view for its report; it never sends a frame of its own.
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "acquisition/Display.h"
#include "acquisition/Session.h"
#include "config/ConfigFile.h"
#include "datalog/JsonLinesWriter.h"
#include "options/Options.h"

namespace qm::cli {

inline constexpr const char* kProgram = "qm7410-cli";

enum ExitStatus : int {
    kExitOk = 0,          // all good
    kExitNoBoard = 1,     // no board, board lost, or the run could not go on
    kExitUsage = 2,       // bad command line or bad file
    kExitCheckFailed = 3, // a check failed
};

using Json = nlohmann::ordered_json;

struct GlobalOptions {
    options::DeviceChoice device;
    bool json = false;
    std::optional<std::uint64_t> maxPecErrors; // --max-pec-errors
};

class Context {
public:
    enum class Tick { Ticked, Interrupted, BoardLost };

    explicit Context(GlobalOptions options);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // Opens the controller board and starts the session as the window starts:
    // identification, defaults, one configuration read. kExitOk, or the exit
    // status with the reason on stderr: kExitUsage when the device choice
    // cannot be used, kExitNoBoard when no supported board answered.
    int start();

    acquisition::Session& session() { return *session_; }
    const acquisition::AppState& state() const { return session_->state(); }
    const acquisition::View& view() const { return session_->view(); }
    const GlobalOptions& options() const { return options_; }
    const std::string& deviceDescription() const { return opened_.description; }
    bool json() const { return options_.json; }
    // Boards on the stack (the board count).
    int boards() const { return state().chain.lastBoardIndex + 1; }

    // The board count, chosen as in the window's list (1..10).
    void chooseBoards(int count);

    // Waits for the next timer tick, 100 ms after the one before (a tick
    // that ran late is followed at once, never by a backlog), and runs it.
    // Interrupted (and no tick) once SIGINT or SIGTERM came while caught;
    // BoardLost when the tick found the board gone (the session has closed).
    Tick tick();
    // From now on SIGINT and SIGTERM end the run at the next tick instead of
    // ending the program; interruption() names the one that came.
    void catchInterrupts();
    std::string interruption() const;

    // Loads a configuration into the editors and writes it ("WRITE CONFIG"),
    // as the window's File menu and the operator would. kExitOk, or
    // kExitUsage with the reason on stderr when the session refused it
    // (then nothing was written).
    int writeConfiguration(const config::StackConfiguration& configuration);

    // Warns on stderr about boards whose configuration, as last read back,
    // has them in standby (CDC 0): their conversions give no results.
    void warnStandby() const;

    // kExitNoBoard, with why the board stopped answering on stderr.
    int boardLost() const;

    // PEC failures of every board on the stack since the program started.
    std::uint64_t pecFailures() const;

    // Ends the subcommand: counts the PEC failures against --max-pec-errors
    // (above it, a good run becomes kExitCheckFailed), prints the report
    // (JSON, with "pecFailures" and "exitStatus" added, or the text) and
    // returns the exit status.
    int finish(int status, Json report, const std::string& text);
    int finish(int status, Json report, const std::string& text, std::ostream& out);

    std::string program() const;

private:
    GlobalOptions options_;
    options::OpenedDevice opened_;
    acquisition::NullDisplay display_;
    std::unique_ptr<acquisition::Session> session_;
    std::chrono::steady_clock::time_point nextTick_{};
    bool catching_ = false;
    int signal_ = 0;
};

// "qm7410-cli: message" on stderr.
void Error(const std::string& message);

// Reads a configuration file; on refusal says why (line and field) on stderr.
std::optional<config::StackConfiguration> ReadConfiguration(const std::string& file);

// The default configuration (CFGR0 E0, the rest 00: standby) of boards boards.
config::StackConfiguration DefaultConfiguration(int boards);

// "E2 04 00 00 9C CF"; {"CFGR0":"E2", ...}.
std::string RegistersText(const protocol::ConfigRegisters& registers);
Json RegistersJson(const protocol::ConfigRegisters& registers);

// A text without its leading and trailing blanks (a window field's text).
std::string Trimmed(const std::string& text);

// A single-precision value as JSON with its own fewest digits (4.2, not
// 4.199999809265137).
using datalog::JsonNumber;

// Whether a board's data in a read's received set passed its PEC check.
bool PecMatched(const protocol::ReceivedSet& set, int board);

} // namespace qm::cli

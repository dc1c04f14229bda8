#pragma once
// The recorder of the continuous cycle: one record per board per pass, written
// to a stack record file (datalog/RecordWriter: CSV, or JSON lines) when the
// pass ends. The window's Datalog menu and the command-line tool's measure
// both record through it, so both write the same file.
//
// A pass spreads over three ticks: the cell values come from its cell read,
// the temperatures from its temperature read, the flags and the final status
// codes from its flag read; each read's validity is taken right after it,
// since a later read of another kind clears it.
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/AppState.h"
#include "datalog/RecordWriter.h"
#include "protocol/LinkHealth.h"

namespace qm::acquisition {

struct RecordingSetup {
    std::filesystem::path file;
    double intervalSeconds = 0;  // 0: every pass; otherwise at most one pass every so many seconds
    std::vector<int> boards;     // board numbers 1..10 to record; empty: every board on the stack
    std::string program;         // e.g. "qm7410-gui 0.1.0"
    std::string device;          // e.g. "serial:/dev/ttyUSB0", "simulated: boards=4"
    datalog::RecordFormat format = datalog::RecordFormat::Csv;
    // When set, the records go into this stream (standard output), which the
    // caller keeps open; file then only names it in messages.
    std::FILE* stream = nullptr;
};

// The validity of each read of the pass in progress, per board.
struct PassValidity {
    protocol::PerBoard<bool> cells{}, temperatures{}, flags{};
};

// The records of one pass for the given boards (numbers 1..10).
std::vector<datalog::PassRecord> PassRecords(const AppState& state, const PassValidity& validity,
                                             const std::vector<int>& boards, datalog::UtcTime utc,
                                             double sinceStartSeconds, protocol::HealthClock::time_point now);

// The header of a recording: the written configuration and thresholds of the
// boards recorded.
datalog::RecordHeader RecordingHeader(const AppState& state, const RecordingSetup& setup, datalog::UtcTime started);

class Recorder {
public:
    // Opens the file and writes its header. False, with error() saying why,
    // when the file cannot be written or the setup names no board on the stack.
    bool start(const RecordingSetup& setup, const AppState& state, datalog::UtcTime utc,
               protocol::HealthClock::time_point now);
    // The end of a continuous-cycle pass: writes it when the interval has
    // passed. False when the write failed; the recording has then ended with
    // the reason in the file's last line and in status().endReason.
    bool passEnded(const AppState& state, const PassValidity& validity, datalog::UtcTime utc,
                   protocol::HealthClock::time_point now);
    // Ends the recording with the reason as the file's last line.
    void stop(const std::string& reason);

    bool active() const { return status_.active; }
    const RecordingStatus& status() const { return status_; }
    const std::string& error() const { return error_; }

private:
    std::unique_ptr<datalog::RecordWriter> writer_;
    RecordingSetup setup_;
    std::vector<int> boards_;
    protocol::HealthClock::time_point started_{};
    std::optional<protocol::HealthClock::time_point> lastWritten_;
    RecordingStatus status_;
    std::string error_;
};

} // namespace qm::acquisition

#pragma once
// What a stack record holds: a header describing the recording and one record
// per board per continuous-cycle pass. Plain values only, so that the record
// can be written and read without any other layer of the program.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::datalog {

inline constexpr int kCells = 12;
inline constexpr int kTemperatures = 3;
inline constexpr int kFlagBytes = 3;
inline constexpr int kMaxBoards = 10;
inline constexpr int kFormatVersion = 1;

// UTC wall-clock time, millisecond resolution.
using UtcTime = std::chrono::sys_time<std::chrono::milliseconds>;

// Read kinds whose PEC failures are counted, in column order.
enum class LinkKind : int { Config = 0, Cells = 1, Temperatures = 2, Flags = 3, Diagnostics = 4 };
inline constexpr int kLinkKinds = 5;

// A board's link-health counters as recorded: running totals since the
// recording's program started, and the age of the last good read.
struct LinkCounters {
    std::array<std::uint32_t, kLinkKinds> pecFailures{}; // indexed by LinkKind
    std::uint32_t missing = 0;
    std::uint32_t shortReplies = 0;
    std::optional<double> sinceGoodReadSeconds; // empty: no good read yet
    bool operator==(const LinkCounters&) const = default;
};

// One board in one pass.
struct PassRecord {
    UtcTime utc{};
    double sinceStartSeconds = 0; // from the recording's start, monotonic
    int board = 1;                // 1..10
    int cellsInUse = 12;          // 12, or 10 when the board is in 10-cell mode (cells 11, 12 unused)
    std::array<float, kCells> cellVolts{};
    std::array<std::int16_t, kCells> cellStatus{}; // status codes 0..10
    std::array<float, kTemperatures> temperatureVolts{};
    std::array<std::uint8_t, kFlagBytes> flags{}; // FLGR0..FLGR2
    bool cellsValid = false;        // the cell values come from a read whose PEC matched
    bool temperaturesValid = false; // likewise for the temperature inputs
    bool flagsValid = false;        // likewise for the flag registers
    bool measuring = false;         // the board's configuration has it measuring
    LinkCounters link;
    bool operator==(const PassRecord&) const = default;
};

// Configuration of one recorded board when the recording started.
struct BoardSetup {
    int board = 1;                              // 1..10
    std::array<std::string, 6> config;          // CFGR0..CFGR5, two hex digits each; "--" when never written
    float vuvVolts = 0;                         // undervoltage threshold
    float vovVolts = 0;                         // overvoltage threshold
    bool operator==(const BoardSetup&) const = default;
};

struct RecordHeader {
    std::string program;            // name and version of the recording program
    UtcTime started{};
    int boardCount = 1;             // boards in the chain
    std::vector<BoardSetup> boards; // the boards recorded, in board order
    std::string device;             // the device, or "simulated: <scenario>"
    double intervalSeconds = 0;     // time between recorded passes
    bool operator==(const RecordHeader&) const = default;
};

// The record's column names, in file order; every name carries its unit
// (_V volts, _s seconds) or is a count, code, flag byte or 0/1 validity.
const std::vector<std::string>& ColumnNames();

// "2026-12-07T14:03:21.300Z".
std::string UtcText(UtcTime time);
std::optional<UtcTime> ParseUtcText(std::string_view text);

} // namespace qm::datalog

#pragma once
// The discharge check: proves, cell by cell, that each cell's discharge switch,
// resistor and sense wiring work. A missing resistor, a cracked joint or a
// swapped sense line only shows while a cell is discharged and its reading
// does not move, so the check switches one cell's discharge on at a time and
// watches that cell and its neighbours.
//
// This file holds what the check decides without touching the chain: the plan
// and the order of the cells, the limits and the verdict rules, the result,
// the progress the window shows, and the text and JSON forms of the result.
// The session runs it over the chain (SessionDischargeCheck.cpp).
//
// Physics behind the limits. A conducting discharge switch draws about 100 mA
// (3.6 V over a 33 ohm resistor) through the cell's sense lead and connector;
// their few hundred milliohms, shared with the measurement, pull the reading
// of that cell down by tens of millivolts (about 40 mV on the simulated
// boards), settling with the input filter (20 ms there). A cell whose reading
// moves less than a few conversion steps (1.5 mV each) carries no current:
//   - a drop of kClearDropMv (10 mV, under 7 steps, a quarter of a typical
//     drop) or more is a clear drop; below kNoDropMv (5 mV) there is none;
//     in between the path is suspect (a high-resistance joint) and the cell
//     is UNSURE;
//   - after the bit is cleared the reading must come back by at least
//     kRecoveredShare (half) of its drop: a switch that stays on, or a step
//     of the cell itself that happened to fall in the step, does not come
//     back. A full return is not expected, because the discharge also drains
//     the cell (about 1 mV over the default settling time on the simulated
//     boards, 10 mV over the longest), and noise of the two readings adds
//     up to a few millivolts;
//   - each point is the mean of kReadsPerPoint conversions, so with the
//     chips' noise (about 2 mV standard deviation for one reading, estimated
//     per board from kBaselineReads baseline reads) a drop is known to about
//     1.7 mV, far from both limits; a board noisier than kMaxNoiseMv per
//     reading cannot separate them and its cells are UNSURE.
// The default settling time, 200 ms, is ten time constants of a 20 ms input
// filter: the drop is complete when read and gone when read again.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/RegisterImages.h"

namespace qm::acquisition {

namespace dcc {
inline constexpr int kTickMs = 100;          // the session's timer period
inline constexpr int kDefaultSettleMs = 200;
inline constexpr int kMinSettleMs = 100;     // one tick
inline constexpr int kMaxSettleMs = 2000;    // below the chips' 2.5 s watchdog
inline constexpr int kBaselineReads = 4;
inline constexpr int kReadsPerPoint = 3;
inline constexpr double kClearDropMv = 10.0;
inline constexpr double kNoDropMv = 5.0;
inline constexpr double kRecoveredShare = 0.5;
inline constexpr double kMaxNoiseMv = 3.0;
} // namespace dcc

// What the operator chose: board indices (0..9), cells (1..12), settling time.
// Empty lists stand for every board in use and every cell.
struct DischargeCheckPlan {
    std::vector<int> boards;
    std::vector<int> cells;
    int settleMs = dcc::kDefaultSettleMs;
};

// The plan with its lists filled in, sorted and without repeats; or why it
// cannot run on boards 0..lastBoard.
struct PlanCheck {
    DischargeCheckPlan plan;
    std::string error;
};
PlanCheck NormalisePlan(const DischargeCheckPlan& plan, int lastBoard);

// Timer ticks of a settling time (rounded up).
int SettleTicks(int settleMs);

// The order the cells are discharged in: the odd cells, then the even ones,
// so that no cell follows its neighbour and what is left of one cell's drop
// never lands beside the next cell tested.
std::vector<int> DischargeOrder(const std::vector<int>& cells);

enum class CellVerdict { Untested, Pass, Fail, Unsure, Masked, Discharging, NotInUse, NotChosen };
const char* VerdictName(CellVerdict verdict); // "PASS", "FAIL", "UNSURE", "masked", ...

struct CellResult {
    CellVerdict verdict = CellVerdict::Untested;
    std::optional<double> dropMv;     // reading before, less reading while discharging
    std::optional<double> residualMv; // reading before, less reading after the bit was cleared
    int droppedInstead = 0;           // the neighbour that dropped in its place (a swapped line)
    std::string reason;               // why it is not a PASS
};

// Whether the configuration from before the check is back on a board.
enum class RestoreState { Pending, Confirmed, Unconfirmed, Differs, NotRestored };
const char* RestoreName(RestoreState state);

struct BoardResult {
    int board = 0;                 // index 0..9; the window calls it board + 1
    std::optional<double> noiseMv; // standard deviation of one reading
    RestoreState restore = RestoreState::Pending;
    std::array<CellResult, 12> cells{};
};

enum class CheckOutcome { None, Running, Completed, Cancelled, Interrupted, BoardLost, Ended };
const char* OutcomeName(CheckOutcome outcome);

struct DischargeCheckResult {
    CheckOutcome outcome = CheckOutcome::None;
    int settleMs = 0;
    std::vector<int> order;        // the cells, in the order they were discharged
    std::vector<BoardResult> boards;
    std::int64_t elapsedMs = 0;    // timer ticks from the start to the end
    std::string note;              // how it ended and what became of the configuration

    int count(CellVerdict verdict) const;
    bool anyFail() const { return count(CellVerdict::Fail) > 0; }
};

// What the window shows while the check runs and after it.
struct DischargeCheckView {
    bool running = false;
    int step = 0;                // 1-based step in progress, 0 before the first
    int steps = 0;
    int cell = 0;                // the cell discharged now, 0 none
    std::string phase;           // what the check does now
    int ticksDone = 0;
    int ticksTotal = 0;
    std::string refusal;         // why the last start was refused (empty: it was not)
    DischargeCheckResult result;
    std::uint64_t revision = 0;  // changes with every update
};

// ---- Verdict rules ------------------------------------------------------------

// One measuring point of a board: millivolts of each cell, the mean of a few
// conversions, valid only when every one of them passed its PEC.
struct Point {
    std::array<double, 12> mv{};
    bool valid = false;
};

// One conversion of a board's cells, in millivolts, and whether its PEC matched.
struct Reading {
    std::array<double, 12> mv{};
    bool ok = false;
};

// The mean of the readings (valid when there is at least one and all passed).
Point MeanPoint(const std::vector<Reading>& readings);
// Pooled standard deviation of one reading over the cells 1..cellsInUse of
// the readings that passed their PEC; none with fewer than two of them.
std::optional<double> PooledNoiseMv(const std::vector<Reading>& readings, int cellsInUse);

struct CellEvidence {
    int cell = 0;
    int cellsInUse = 12;
    Point before;        // at rest, right before the bit was set
    Point during;        // the settling time after the bit was set
    Point after;         // the settling time after it was cleared
    std::string configProblem; // the board did not hold the configuration written for the step
    std::optional<double> noiseMv;
};

CellResult JudgeCell(const CellEvidence& evidence);

// ---- Text and JSON ---------------------------------------------------------------

// A table of boards by cells with each verdict and drop, the cells that did
// not pass with their reasons, and what became of the configuration.
std::string DischargeCheckText(const DischargeCheckResult& result);
// The same as JSON text (two-space indent); boards and cells numbered from 1.
std::string DischargeCheckJson(const DischargeCheckResult& result);

// ---- The check in progress (the session's own state) ----------------------------

struct DischargeRun {
    enum class Phase { Settling, Discharging, Recovering };
    int last = 0;        // the boards the chain commands addressed when it started
    int group = 0;       // cell group code of its reads
    int settleTicks = 1;
    Phase phase = Phase::Settling;
    int countdown = 0;
    std::size_t step = 0;
    protocol::PerBoard<protocol::ConfigRegisters> original;     // the written copy before the check
    protocol::PerBoard<protocol::ConfigRegisters> rest;         // it, with no discharge bit on the chosen boards
    protocol::PerBoard<protocol::ConfigRegisters> lastWritten;  // what the check wrote last
    struct Board {
        int cellsInUse = 12;
        std::array<bool, 12> testable{};
        std::optional<double> noiseMv;
        Point before;
        Point during;
        std::string problem; // of the step in progress
    };
    std::vector<Board> boards; // parallel to the result's boards
};

// The written configuration with every discharge bit of the chosen boards
// cleared: what the chips hold between two steps.
protocol::PerBoard<protocol::ConfigRegisters> RestConfiguration(
    const protocol::PerBoard<protocol::ConfigRegisters>& written, const std::vector<int>& boards);

// The configuration of a step: the rest configuration with only `cell`'s
// discharge bit set on the boards that test it (0: none).
protocol::PerBoard<protocol::ConfigRegisters> StepConfiguration(const DischargeRun& run,
                                                                const DischargeCheckResult& result, int cell);

} // namespace qm::acquisition

#pragma once
// What the simulated stack looks like and which faults it carries.
//
// The text form is a comma-separated list of keys, every key optional:
//   boards=4,variant=3,seed=7,thsd=2,openwire=1:5,pec-errors=3:0.05,
//   mux-fail=2,unplug-after=30,selftest-fault=0:7,dcc-open=1:3,dcc-swap=0:12
// Boards are numbered 0 (nearest the controller) to boards - 1, cells 1..12.
// The fault keys may be given more than once (two open wires, two boards in
// thermal shutdown); the others at most once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::sim {

inline constexpr int kMaxChainBoards = 10;
inline constexpr int kChipCells = 12;

struct BoardCell {
    int board = 0;
    int cell = 1;
};

struct PecErrorFault {
    int board = 0;
    double probability = 0.0; // per read frame, 0..1
};

struct Scenario {
    int boards = 4;
    // The text the controller answers "IZ" with, before its board description.
    std::string identification = "QM7410-1";
    std::uint64_t seed = 1;
    std::vector<int> thermalShutdown;        // thsd=board
    std::vector<BoardCell> openWires;        // openwire=board:cell
    std::vector<PecErrorFault> pecErrors;    // pec-errors=board:probability
    std::vector<int> muxFail;                // mux-fail=board
    std::optional<double> unplugAfterSeconds; // unplug-after=seconds
    std::vector<BoardCell> selfTestFaults;   // selftest-fault=board:cell
    std::vector<BoardCell> dischargeOpen;    // dcc-open=board:cell
    std::vector<BoardCell> dischargeSwapped; // dcc-swap=board:cell
};

struct ScenarioResult {
    std::optional<Scenario> scenario; // set when the text was accepted
    std::string error;                // names the offending key otherwise
};

// Parses the text form. An empty text gives the default scenario. Blanks
// around keys and values are ignored, and so are empty items (",,").
ScenarioResult ParseScenario(std::string_view text);

// Checks a scenario built in code (board and cell ranges, probabilities);
// returns an empty text when it is sound.
std::string ValidateScenario(const Scenario& scenario);

// The scenario keys explained, for --help texts.
std::string ScenarioHelp();

} // namespace qm::sim

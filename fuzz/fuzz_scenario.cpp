// Fuzz target: the scenario text of the simulated stack.
//
// The whole input is the text. ParseScenario either accepts it, and then the
// scenario is one ValidateScenario finds sound (boards 1..10, every fault on a
// board of the chain, cells 1..12, probabilities 0..1, an identification of
// printable characters), or refuses it with a message. An accepted scenario
// must build a simulated board whose chain has that many chips, and the tool's
// configuration write and read-back must then match on every board without an
// injected PEC fault, or mismatch everywhere when the board starts unplugged.
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "robustness/Rig.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"

using namespace qm;
using namespace qm::robustness;

namespace {

bool OnChain(int board, const sim::Scenario& s) { return board >= 0 && board < s.boards; }
bool Cell(int cell) { return cell >= 1 && cell <= 12; }

void CheckAccepted(const sim::Scenario& s)
{
    fuzz::Require(sim::ValidateScenario(s).empty(), "an accepted scenario validates");
    fuzz::Require(s.boards >= 1 && s.boards <= 10, "board count 1..10");
    for (int b : s.thermalShutdown) fuzz::Require(OnChain(b, s), "thermal shutdown on a board of the chain");
    for (int b : s.muxFail) fuzz::Require(OnChain(b, s), "multiplexer fault on a board of the chain");
    for (const auto& f : s.openWires) fuzz::Require(OnChain(f.board, s) && Cell(f.cell), "open wire on a cell of the chain");
    for (const auto& f : s.selfTestFaults)
        fuzz::Require(OnChain(f.board, s) && Cell(f.cell), "self-test fault on a cell of the chain");
    for (const auto& f : s.pecErrors)
        fuzz::Require(OnChain(f.board, s) && f.probability >= 0.0 && f.probability <= 1.0, "PEC fault in range");
    if (s.unplugAfterSeconds)
        fuzz::Require(*s.unplugAfterSeconds >= 0.0 && *s.unplugAfterSeconds <= 1.0e9, "unplug time in range");
    fuzz::Require(!s.identification.empty() && Printable(s.identification), "identification printable");
}

bool Faulty(const sim::Scenario& s, int board)
{
    for (const auto& f : s.pecErrors)
        if (f.board == board && f.probability > 0.0) return true;
    return false;
}

void RunStack(const sim::Scenario& s)
{
    auto clock = std::make_shared<sim::ManualClock>();
    sim::SimulatedDevice device(s, clock);
    fuzz::Require(device.chain().size() == s.boards, "a chip for every board");
    const bool plugged = device.plugged();
    Rig rig(device, s.boards, s.boards - 1);
    for (int b = 0; b < s.boards; ++b) rig.images.pending[static_cast<std::size_t>(b)] = {"E2", "00", "00", "00", "A0", "C0"};
    fuzz::Require(WriteAndClassify(rig), "the configuration write");
    fuzz::Require(ReadAndClassify(rig, ConfigurationRead()), "the configuration read");
    fuzz::Require(ReadAndClassify(rig, CellRead(0)), "a cell-voltage read");
    if (device.plugged() != plugged) return; // unplugged by its clock on the way
    for (int b = 0; b < s.boards; ++b) {
        const auto i = static_cast<std::size_t>(b);
        const bool matched = rig.images.config.pec[i] == rig.images.config.computed[i];
        if (!plugged) fuzz::Require(!matched, "an unplugged stack mismatches");
        else if (!Faulty(s, b)) fuzz::Require(matched, "board " + std::to_string(b) + " matches");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sim::ScenarioResult result = sim::ParseScenario(text);
    fuzz::Require(result.scenario.has_value() != !result.error.empty(), "either a scenario or a message");
    if (!result.scenario) return 0;
    CheckAccepted(*result.scenario);
    RunStack(*result.scenario);
    return 0;
}

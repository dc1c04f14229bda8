// Fuzz target: the scenario text of the simulated stack.
//
// The whole input is the text. ParseScenario either accepts it, and then the
// scenario is one ValidateScenario finds sound (boards 1..10, every fault on a
// board of the chain, cells 1..12, probabilities 0..1, an identification of
// printable characters), or refuses it with a message. An accepted scenario
// must build a simulated board whose chain has that many chips. The tool's
// session then starts exactly when the board is plugged in and names a
// supported variant, and its configuration write and read-back must match on
// every board without an injected PEC fault.
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"

using namespace qm;
using test::Printable;

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

void RunStack(const sim::Scenario& s)
{
    auto clock = std::make_shared<sim::ManualClock>();
    sim::SimulatedDevice device(s, clock);
    fuzz::Require(device.chain().size() == s.boards, "a chip for every board");
    const bool plugged = device.plugged();
    const std::string_view variant = std::string_view(s.identification).substr(0, 8);
    fuzz::CheckedSession checked(device);
    auto& session = checked.session;
    bool started = false;
    checked.run([&] { started = session.OnLoad(); }, "start-up");
    fuzz::Require(started == (plugged && (variant == "QM7410-1" || variant == "QM7410-3")),
                  "the session starts exactly on a plugged, supported board");
    if (!started) return;
    checked.run([&] { session.OnBoardCountChosen(s.boards - 1); }, "the board count");
    checked.run([&] { session.OnBoardFocus(s.boards - 1); }, "the board focus");
    checked.run([&] { session.EnterThreshold(1, "4.2"); }, "a threshold entry");
    checked.run([&] { session.OnCdcArrow(1); }, "the duty cycle");
    checked.run([&] { session.OnCommandButton(5); }, "the configuration write");
    checked.run([&] { session.OnCommandButton(6); }, "the configuration read");
    checked.run([&] { session.OnCommandButton(7); }, "a cell-voltage read");
    if (device.plugged() != plugged) return; // unplugged by its clock on the way
    const auto& images = session.state().images;
    for (int b = 0; b < s.boards; ++b) {
        const auto i = static_cast<std::size_t>(b);
        if (fuzz::Faulty(s, b)) continue;
        fuzz::Require(images.config.pec[i] == images.config.computed[i], "board " + std::to_string(b) + " matches");
        fuzz::Require(images.readBack[i] == images.written[i], "board " + std::to_string(b) + " reads back the write");
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

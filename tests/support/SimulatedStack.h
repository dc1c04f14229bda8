#pragma once
// A simulated stack on a manual clock, with a recording of every operation on
// its device; and a session over a device with every read and write checked
// against the wire. Without GoogleTest, so that the tests and the fuzz targets
// share them: the tests add the expectation, the fuzz targets stop the run.
#include <memory>
#include <string>

#include "acquisition/Session.h"
#include "link/RecordingDevice.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"
#include "support/Invariants.h"

namespace qm::test {

struct SimulatedStack {
    // The text must be a valid scenario.
    explicit SimulatedStack(const std::string& scenarioText) : SimulatedStack(*sim::ParseScenario(scenarioText).scenario)
    {
    }
    explicit SimulatedStack(const sim::Scenario& scenario)
        : clock(std::make_shared<sim::ManualClock>()), device(scenario, clock), rec(device)
    {
    }
    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    link::RecordingDevice rec; // every operation on the device
};

template <typename DisplayType>
struct CheckedSessionCore {
    explicit CheckedSessionCore(link::Device& device) : checker(device), session(checker, display)
    {
        checker.attach(session);
    }
    ReadChecker checker;
    DisplayType display;
    acquisition::Session session;
};

} // namespace qm::test

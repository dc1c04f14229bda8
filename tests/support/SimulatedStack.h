#pragma once
// A simulated stack on a manual clock, with a recording of every operation on
// its device.
#include <memory>
#include <string>

#include "link/RecordingDevice.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"

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

} // namespace qm::test

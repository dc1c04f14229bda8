#pragma once
// The simulated controller board and chain as a Device, in-process.
//
//   auto clock = std::make_shared<qm::sim::ManualClock>();
//   qm::sim::SimulatedDevice device(scenario, clock);   // tests
//   qm::sim::SimulatedDevice device(scenario);          // real time (qm7410-gui --simulate)
//   device.chain().chip(2).setCellVolts(5, 2.9);
//
// Only device index 0 exists. Every transaction starts with the receive side
// empty, as with the other back ends. A read returns at most the requested
// count at once when that many answer bytes are waiting; otherwise it returns
// what there is after the read time-out has passed on the simulator's clock
// (a manual clock is advanced by it; nothing ever really sleeps). Once the
// board is unplugged, open fails and nothing is written or read.
#include <memory>

#include "link/Device.h"
#include "sim/Clock.h"
#include "sim/ControllerBoard.h"
#include "sim/Scenario.h"

namespace qm::sim {

class SimulatedDevice : public link::Device {
public:
    explicit SimulatedDevice(const Scenario& scenario = {}, std::shared_ptr<Clock> clock = std::make_shared<SteadyClock>());

    bool open(int index) override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override;
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override;
    std::int32_t close() override;

    ControllerBoard& board() { return board_; }
    Chain& chain() { return board_.chain(); }
    Clock& clock() { return *clock_; }
    // Pulls the USB plug: every later open fails and nothing is answered.
    void unplug() { board_.unplug(); }
    bool plugged() const { return board_.plugged(); }

private:
    std::shared_ptr<Clock> clock_;
    ControllerBoard board_;
    bool open_ = false;
    int readTimeoutMs_ = 0;
};

} // namespace qm::sim

#pragma once
// Time as the simulated board sees it. Discharge drift, the comparator period,
// the watchdog, the read time-out and the unplug event all run on a Clock, so
// the programs use real time while tests step time by hand and never sleep.
#include <cstdint>

namespace qm::sim {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary, fixed origin; never decreases.
    virtual std::int64_t nowMs() const = 0;
    // A blocking wait of ms (the read time-out of a short read) as seen by this
    // clock. Only the manual clock moves: an in-process board has nothing more
    // to send, so really sleeping would only stall the caller.
    virtual void letPass(std::int64_t ms) = 0;
};

// Real time from the steady clock, for qm7410-sim and qm7410-gui --simulate.
class SteadyClock : public Clock {
public:
    SteadyClock();
    std::int64_t nowMs() const override;
    void letPass(std::int64_t) override {}

private:
    std::int64_t origin_;
};

// Time that moves only when a test moves it. Starts at 0.
class ManualClock : public Clock {
public:
    std::int64_t nowMs() const override { return now_; }
    void letPass(std::int64_t ms) override { advance(ms); }
    // Moves time forward by ms (negative values are ignored: time never runs back).
    void advance(std::int64_t ms)
    {
        if (ms > 0) now_ += ms;
    }

private:
    std::int64_t now_ = 0;
};

} // namespace qm::sim

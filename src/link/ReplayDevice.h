#pragma once
// A Device that plays a traffic recording back: each transaction the program
// makes is answered from the next recorded one, in order, so a reported stack
// can be watched again without its hardware.
//
//   auto read = link::ReadTrafficFile("bench.jsonl");
//   if (!read) { std::cerr << read.error << "\n"; return 2; }
//   link::ReplayDevice device(std::move(*read.recording), {.realtime = true});
//   ... when the program has lost the board: if (auto why = device.failure()) std::cerr << *why;
//
// open returns the recorded result, write the recorded count, read and
// readAvailable exactly the recorded characters, piece by piece as recorded
// (never more than asked for: the rest of a piece comes with the next read),
// close the recorded status. Time-outs are taken and ignored.
//
// The replay stops when the program sends a command text other than the
// recorded one at that point (or closes a transaction without sending a
// recorded one), and when the recording runs out. failure() then says why, and
// the device behaves like an unplugged board from then on: open fails, writes
// and reads move nothing, close returns 1, so the program's own lost-board
// handling ends it.
//
// By default every answer comes at once. In realtime mode the replay keeps the
// recorded pace: a transaction opens and a read returns no earlier than it did
// in the recording, counted from the first operation.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "link/Device.h"
#include "link/TrafficFormat.h"

namespace qm::link {

// The time a realtime replay keeps (tests pass one that does not sleep).
class ReplayClock {
public:
    virtual ~ReplayClock() = default;
    // Microseconds since an arbitrary, fixed origin; never decreases.
    virtual std::int64_t nowUs() = 0;
    // Waits us microseconds.
    virtual void sleepUs(std::int64_t us) = 0;
};

// The steady clock, really sleeping.
class SteadyReplayClock : public ReplayClock {
public:
    std::int64_t nowUs() override;
    void sleepUs(std::int64_t us) override;
};

struct ReplayOptions {
    bool realtime = false;
    std::shared_ptr<ReplayClock> clock;  // realtime only; the steady clock when empty
};

class ReplayDevice : public Device {
public:
    enum class State { Replaying, Diverged, Ended };

    explicit ReplayDevice(TrafficRecording recording, ReplayOptions options = {});

    bool open(int index) override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override;
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override;
    std::int32_t close() override;

    State state() const { return state_; }
    // Why the replay stopped; empty while it goes on. Either
    //   "transaction 12 (line 13 of the recording): the program sent "MSX" where the
    //    recording has "MSxT04TDCRRRX"; the replay stops here"
    // or "the recording ended after 57 transactions".
    std::optional<std::string> failure() const { return failure_; }
    // Recorded transactions taken up so far.
    std::size_t transactionsReplayed() const { return next_; }
    const TrafficRecording& recording() const { return recording_; }

private:
    bool begin();                 // the transaction under way, taking the next one when none is
    void end();                   // leaves it; a recorded command never sent stops the replay
    void diverge(const std::string& what);
    std::size_t deliver(char* buf, std::size_t n);
    void pace(std::int64_t recordedUs);

    TrafficRecording recording_;
    ReplayOptions options_;
    State state_ = State::Replaying;
    std::optional<std::string> failure_;
    const TrafficTransaction* current_ = nullptr;
    std::size_t next_ = 0;
    std::size_t writeAt_ = 0;     // where to look for the next recorded write
    std::size_t readAt_ = 0;      // ... and read
    std::string pending_;         // the rest of a recorded read the program asked fewer characters of
    bool paced_ = false;
    std::int64_t originUs_ = 0;   // the clock's time that recorded time 0 stands for
};

} // namespace qm::link

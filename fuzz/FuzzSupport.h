#pragma once
// Helpers shared by the fuzz targets: reading the fuzz input piece by piece,
// a controller that answers reads with pieces of it, and stopping the run with
// a readable message when an invariant fails (libFuzzer then keeps the input
// that did it).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/Device.h"
#include "acquisition/Display.h"
#include "acquisition/Session.h"
#include "sim/Scenario.h"
#include "support/SimulatedStack.h"
#include "support/Invariants.h"
#include "support/Operator.h"

namespace qm::fuzz {

// Consumes the input from the front; past its end every byte reads 0 and
// every text is empty.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[at_++]; }
    // Up to n bytes as text.
    std::string_view text(std::size_t n);
    // Everything up to the next occurrence of `end` (which is consumed), or the rest.
    std::string_view until(char end);
    std::string_view rest() { return text(size_ - at_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A controller board whose reply to the i-th read is the i-th piece of a text
// cut at line ends (taken in turn, again from the first when they run out;
// with no pieces at all it stays silent). It never delivers more than asked.
// "IZ" is answered as a supported board answers it, so the tool keeps running.
class ReplyingController : public link::Device {
public:
    explicit ReplyingController(std::string_view replies);

    bool open(int) override { return true; }
    void setTimeouts(int, int) override {}
    std::size_t write(std::string_view bytes) override
    {
        identifying_ = bytes == "IZ";
        return bytes.size();
    }
    std::size_t read(char* buf, std::size_t n) override;
    std::int32_t close() override { return 0; }

private:
    std::vector<std::string_view> pieces_;
    std::size_t next_ = 0;
    bool identifying_ = false;
};

// The tool's session over a device, with every read and write checked against
// the wire and the checks of any procedure after each action.
struct CheckedSession : test::CheckedSessionCore<acquisition::NullDisplay> {
    using CheckedSessionCore::CheckedSessionCore;
    // Runs one action and stops the run when a check fails.
    void run(const std::function<void()>& action, const char* where);
};

// Some board of the scenario can answer with a wrong PEC.
bool Faulty(const sim::Scenario& scenario, int board);

// Stops the run when the report holds a problem.
void Require(const test::Report& report, const char* where);
// Stops the run when the condition is false.
void Require(bool ok, const std::string& what);

} // namespace qm::fuzz

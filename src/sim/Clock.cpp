#include "sim/Clock.h"

#include <chrono>

namespace qm::sim {

namespace {
std::int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

SteadyClock::SteadyClock() : origin_(SteadyMs()) {}

std::int64_t SteadyClock::nowMs() const { return SteadyMs() - origin_; }

} // namespace qm::sim

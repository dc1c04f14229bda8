#include "sim/SimulatedDevice.h"

namespace qm::sim {

SimulatedDevice::SimulatedDevice(const Scenario& scenario, std::shared_ptr<Clock> clock)
    : clock_(clock ? std::move(clock) : std::make_shared<SteadyClock>()), board_(scenario, clock_)
{
}

bool SimulatedDevice::open(int index)
{
    open_ = index == 0 && board_.plugged();
    if (open_) board_.discardAnswers();
    return open_;
}

void SimulatedDevice::setTimeouts(int readMs, int /*writeMs*/)
{
    readTimeoutMs_ = readMs < 0 ? 0 : readMs;
}

std::size_t SimulatedDevice::write(std::string_view bytes)
{
    if (!open_ || !board_.plugged()) return 0;
    board_.feed(bytes);
    return bytes.size();
}

std::size_t SimulatedDevice::read(char* buf, std::size_t n)
{
    if (!open_ || !board_.plugged() || n == 0) return 0;
    // Answers are complete as soon as the write has been taken in; a shortfall
    // will not be made up, so the read waits out its time-out.
    if (board_.pending() < n) clock_->letPass(readTimeoutMs_);
    return board_.take(buf, n);
}

std::size_t SimulatedDevice::readAvailable(char* buf, std::size_t n, int waitMs)
{
    if (!open_ || !board_.plugged() || n == 0) return 0;
    // Whatever the board answered is there at once; silence lasts the wait.
    if (board_.pending() == 0) {
        clock_->letPass(waitMs < 0 ? 0 : waitMs);
        return 0;
    }
    return board_.take(buf, n);
}

std::int32_t SimulatedDevice::close()
{
    const bool wasOpen = open_;
    open_ = false;
    return wasOpen ? 0 : 1;
}

} // namespace qm::sim

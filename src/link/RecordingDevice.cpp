#include "link/RecordingDevice.h"

namespace qm::link {

bool RecordingDevice::open(int index)
{
    log_.push_back("open " + std::to_string(index));
    return inner_.open(index);
}

void RecordingDevice::setTimeouts(int readMs, int writeMs)
{
    log_.push_back("timeouts " + std::to_string(readMs) + " " + std::to_string(writeMs));
    inner_.setTimeouts(readMs, writeMs);
}

std::size_t RecordingDevice::write(std::string_view bytes)
{
    log_.push_back("write " + std::string(bytes));
    writes_.emplace_back(bytes);
    return inner_.write(bytes);
}

std::size_t RecordingDevice::read(char* buf, std::size_t n)
{
    log_.push_back("read " + std::to_string(n));
    reads_.push_back(n);
    return inner_.read(buf, n);
}

std::size_t RecordingDevice::readAvailable(char* buf, std::size_t n, int waitMs)
{
    log_.push_back("read-available " + std::to_string(n) + " " + std::to_string(waitMs));
    reads_.push_back(n);
    return inner_.readAvailable(buf, n, waitMs);
}

std::int32_t RecordingDevice::close()
{
    log_.push_back("close");
    return inner_.close();
}

void RecordingDevice::clear()
{
    log_.clear();
    writes_.clear();
    reads_.clear();
}

} // namespace qm::link

#pragma once
// A Device decorator that logs every operation with its arguments, so tests can
// assert the exact frames, time-outs and read counts a feature produces.
#include <string>
#include <vector>

#include "link/Device.h"

namespace qm::link {

class RecordingDevice : public Device {
public:
    explicit RecordingDevice(Device& inner) : inner_(inner) {}

    bool open(int index) override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override;
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override;
    std::int32_t close() override;

    // Every operation in order: "open 0", "timeouts 1000 1000", "write MSX",
    // "read 18", "read-available 50 200", "close".
    const std::vector<std::string>& log() const { return log_; }
    // Only the command texts written, in order.
    const std::vector<std::string>& writes() const { return writes_; }
    // Read counts requested, in order.
    const std::vector<std::size_t>& reads() const { return reads_; }
    void clear();

private:
    Device& inner_;
    std::vector<std::string> log_;
    std::vector<std::string> writes_;
    std::vector<std::size_t> reads_;
};

} // namespace qm::link

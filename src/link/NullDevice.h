#pragma once
// A controller board that is not there: open fails, writes go nowhere and reads
// return nothing. Every transaction through it behaves as with an unplugged board.
#include "link/Device.h"

namespace qm::link {

class NullDevice : public Device {
public:
    bool open(int) override { return false; }
    void setTimeouts(int, int) override {}
    std::size_t write(std::string_view) override { return 0; }
    std::size_t read(char*, std::size_t) override { return 0; }
    std::size_t readAvailable(char*, std::size_t, int) override { return 0; }
    std::int32_t close() override { return 1; }
};

} // namespace qm::link

#pragma once
// A controller board that answers each write with the next scripted reply (or
// nothing when the script is empty). Used where a test needs a reply no real
// board would give: odd identification texts, garbage, short replies.
#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

#include "link/Device.h"

namespace qm::test {

class ScriptedDevice : public link::Device {
public:
    void push(std::string reply) { script_.push_back(std::move(reply)); }

    bool open(int) override { return openable; }
    void setTimeouts(int, int) override {}
    std::size_t write(std::string_view) override
    {
        pending_ = script_.empty() ? std::string() : std::move(script_.front());
        if (!script_.empty()) script_.pop_front();
        return 0;
    }
    std::size_t read(char* buf, std::size_t n) override
    {
        const std::size_t k = std::min(n, pending_.size());
        std::memcpy(buf, pending_.data(), k);
        pending_.erase(0, k);
        return k;
    }
    // Hands out the reply in pieces of pieceSize characters (0: all at once).
    std::size_t readAvailable(char* buf, std::size_t n, int) override
    {
        return read(buf, pieceSize == 0 ? n : std::min(n, pieceSize));
    }
    std::int32_t close() override { return 0; }

    std::size_t pieceSize = 0;
    bool openable = true;

private:
    std::deque<std::string> script_;
    std::string pending_;
};

} // namespace qm::test

#include "link/ReplayDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace qm::link {

namespace {

constexpr std::int32_t kUnpluggedCloseStatus = 1;

std::string Shown(std::string_view bytes)
{
    std::string text;
    AppendJsonBytes(text, bytes);
    return text;
}

} // namespace

std::int64_t SteadyReplayClock::nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SteadyReplayClock::sleepUs(std::int64_t us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

ReplayDevice::ReplayDevice(TrafficRecording recording, ReplayOptions options)
    : recording_(std::move(recording)), options_(std::move(options))
{
    if (options_.realtime && !options_.clock) options_.clock = std::make_shared<SteadyReplayClock>();
}

void ReplayDevice::pace(std::int64_t recordedUs)
{
    if (!options_.realtime) return;
    const std::int64_t now = options_.clock->nowUs();
    if (!paced_) {
        // The first operation comes at once; everything after keeps its distance to it.
        paced_ = true;
        originUs_ = now - recordedUs;
        return;
    }
    const std::int64_t due = originUs_ + recordedUs;
    if (due > now) options_.clock->sleepUs(due - now);
}

bool ReplayDevice::begin()
{
    if (state_ != State::Replaying) return false;
    if (current_) return true;
    const auto& all = recording_.transactions;
    if (next_ >= all.size()) {
        state_ = State::Ended;
        failure_ = "the recording ended after " + std::to_string(all.size()) +
                   (all.size() == 1 ? " transaction" : " transactions");
        return false;
    }
    current_ = &all[next_++];
    writeAt_ = 0;
    readAt_ = 0;
    pending_.clear();
    pace(current_->startUs);
    return true;
}

void ReplayDevice::end()
{
    if (!current_) return;
    const auto& ops = current_->ops;
    for (std::size_t i = writeAt_; i < ops.size(); ++i) {
        if (ops[i].kind != TrafficOperation::Kind::Write) continue;
        diverge("the program ended the transaction without sending " + Shown(ops[i].bytes) +
                ", which the recording has next");
        break;
    }
    current_ = nullptr;
}

void ReplayDevice::diverge(const std::string& what)
{
    std::string where = "transaction " + std::to_string(current_->seq);
    if (current_->line > 0) where += " (line " + std::to_string(current_->line) + " of the recording)";
    failure_ = where + ": " + what + "; the replay stops here";
    state_ = State::Diverged;
    current_ = nullptr;
}

bool ReplayDevice::open(int /*index*/)
{
    end(); // one never closed at recording time ends where the next one opens, as it did then
    if (!begin()) return false;
    return current_->open ? current_->open->ok : true;
}

void ReplayDevice::setTimeouts(int, int) { begin(); }

std::size_t ReplayDevice::write(std::string_view bytes)
{
    if (!begin()) return 0;
    const auto& ops = current_->ops;
    std::size_t i = writeAt_;
    while (i < ops.size() && ops[i].kind != TrafficOperation::Kind::Write) ++i;
    if (i == ops.size()) {
        diverge("the program sent " + Shown(bytes) + " where the recording has no further command in this transaction");
        return 0;
    }
    if (ops[i].bytes != bytes) {
        diverge("the program sent " + Shown(bytes) + " where the recording has " + Shown(ops[i].bytes));
        return 0;
    }
    writeAt_ = i + 1;
    return ops[i].count;
}

std::size_t ReplayDevice::deliver(char* buf, std::size_t n)
{
    if (!begin()) return 0;
    if (pending_.empty()) {
        const auto& ops = current_->ops;
        std::size_t i = readAt_;
        while (i < ops.size() && !ops[i].isRead()) ++i;
        if (i == ops.size()) return 0; // nothing more was read here: the board stays silent
        readAt_ = i + 1;
        pending_ = ops[i].bytes;
        pace(ops[i].atUs);
    }
    const std::size_t k = std::min(n, pending_.size());
    if (k > 0) std::memcpy(buf, pending_.data(), k);
    pending_.erase(0, k);
    return k;
}

std::size_t ReplayDevice::read(char* buf, std::size_t n) { return deliver(buf, n); }

std::size_t ReplayDevice::readAvailable(char* buf, std::size_t n, int /*waitMs*/) { return deliver(buf, n); }

std::int32_t ReplayDevice::close()
{
    if (!begin()) return kUnpluggedCloseStatus;
    const std::int32_t status = current_->closeStatus.value_or(0);
    end();
    return state_ == State::Replaying ? status : kUnpluggedCloseStatus;
}

} // namespace qm::link

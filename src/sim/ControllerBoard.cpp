#include "sim/ControllerBoard.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qm::sim {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr char kHex[] = "0123456789ABCDEF";

} // namespace

ControllerBoard::ControllerBoard(const Scenario& scenario, std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)), chain_(scenario, clock_), identification_(scenario.identification)
{
    if (scenario.unplugAfterSeconds && *scenario.unplugAfterSeconds >= 0.0)
        unplugAtMs_ = clock_->nowMs() + static_cast<std::int64_t>(std::llround(*scenario.unplugAfterSeconds * 1000.0));
}

bool ControllerBoard::plugged() const
{
    return !unplugged_ && (unplugAtMs_ < 0 || clock_->nowMs() < unplugAtMs_);
}

void ControllerBoard::feed(std::string_view text)
{
    if (!plugged()) return;
    for (char ch : text) consume(ch);
}

std::size_t ControllerBoard::take(char* buf, std::size_t n)
{
    if (!plugged()) return 0;
    const std::size_t k = std::min(n, pending());
    if (k > 0) std::memcpy(buf, answers_.data() + head_, k);
    head_ += k;
    if (head_ == answers_.size()) discardAnswers();
    return k;
}

void ControllerBoard::discardAnswers()
{
    answers_.clear();
    head_ = 0;
}

void ControllerBoard::answer(std::string_view text)
{
    if (head_ > 0 && head_ * 2 >= answers_.size()) {
        answers_.erase(0, head_);
        head_ = 0;
    }
    const std::size_t room = kAnswerCapacity - std::min(kAnswerCapacity, pending());
    answers_.append(text.substr(0, room));
}

void ControllerBoard::clockByte(std::uint8_t mosi, bool withAnswer)
{
    // With the lines released no chip is selected and the data line idles high.
    const std::uint8_t miso = linesDriven_ ? chain_.transfer(mosi) : std::uint8_t{0xFF};
    if (withAnswer) {
        const char text[2] = {kHex[miso >> 4], kHex[miso & 0x0F]};
        answer(std::string_view(text, 2));
    }
}

void ControllerBoard::consume(char ch)
{
    // Finish a token in progress; a character that cannot continue it abandons
    // the token and is read afresh.
    switch (state_) {
    case State::Idle: break;
    case State::AfterM:
        state_ = State::Idle;
        if (ch == 'S') {
            linesDriven_ = true;
            return;
        }
        if (ch == 'I') {
            chain_.deselect();
            linesDriven_ = false;
            return;
        }
        break;
    case State::AfterI:
        state_ = State::Idle;
        if (ch == 'Z') {
            answer(identification_);
            answer(kDescription);
            return;
        }
        break;
    case State::ByteS:
    case State::ByteT: {
        const int d = HexValue(ch);
        if (d >= 0) {
            value_ = static_cast<std::uint8_t>(value_ * 16 + d);
            if (++digits_ == 2) {
                const bool withAnswer = state_ == State::ByteT;
                state_ = State::Idle;
                clockByte(value_, withAnswer);
            }
            return;
        }
        state_ = State::Idle;
        break;
    }
    }

    switch (ch) {
    case 'M': state_ = State::AfterM; break;
    case 'I': state_ = State::AfterI; break;
    case 'x':
        if (linesDriven_) chain_.select();
        break;
    case 'X': chain_.deselect(); break;
    case 'S':
    case 'T':
        state_ = ch == 'S' ? State::ByteS : State::ByteT;
        digits_ = 0;
        value_ = 0;
        break;
    case 'R': clockByte(0xFF, true); break;
    default: break; // not a token of this board
    }
}

} // namespace qm::sim

#pragma once
// The simulated XU250B controller board: it consumes the command language
// token by token and drives the chip chain on its SPI lines.
//
//   "MS"      SPI mode (the lines are driven again after "MI")
//   "MI"      releases the SPI lines, forced high: an open frame ends, and no
//             frame can open until the next "MS"
//   "x" / "X" chip select low (a frame begins) / high (the frame ends)
//   "S"hh     clocks byte hh to the chain
//   "T"hh     clocks byte hh and answers two upper-case hex digits of the byte clocked back
//   "R"       clocks 0xFF and answers the byte clocked back
//   "IZ"      answers the identification text, a board description and a line end
//   anything else is ignored
//
// Parser state survives from one write to the next ("S" in one write, "E0" in
// the following one is one token). Answers queue up in order. An unplugged
// board (unplug(), or the scenario's unplug-after time) takes no input and
// answers nothing.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sim/Chain.h"
#include "sim/Clock.h"
#include "sim/Scenario.h"

namespace qm::sim {

class ControllerBoard {
public:
    ControllerBoard(const Scenario& scenario, std::shared_ptr<Clock> clock);

    // Bytes written by the host.
    void feed(std::string_view text);
    // Answer bytes waiting to be read by the host.
    std::size_t pending() const { return answers_.size() - head_; }
    // Moves up to n waiting answer bytes into buf; returns the count.
    std::size_t take(char* buf, std::size_t n);
    // Drops every waiting answer byte (a host flushing its receive side).
    void discardAnswers();

    bool plugged() const;
    void unplug() { unplugged_ = true; }

    Chain& chain() { return chain_; }
    Clock& clock() { return *clock_; }
    const std::string& identification() const { return identification_; }

    // The board's answer to "IZ" after the identification text.
    static constexpr std::string_view kDescription = ", XU250B USB-SPI controller\r\n";
    // Answer bytes beyond this many are lost, as in a receive buffer that overflows.
    static constexpr std::size_t kAnswerCapacity = 64 * 1024;

private:
    enum class State { Idle, AfterM, AfterI, ByteS, ByteT };

    void consume(char ch);
    void clockByte(std::uint8_t mosi, bool answer);
    void answer(std::string_view text);

    std::shared_ptr<Clock> clock_;
    Chain chain_;
    std::string identification_;
    std::int64_t unplugAtMs_ = -1; // -1: never
    bool unplugged_ = false;

    State state_ = State::Idle;
    int digits_ = 0;
    std::uint8_t value_ = 0;
    bool linesDriven_ = true;

    std::string answers_;
    std::size_t head_ = 0;
};

} // namespace qm::sim

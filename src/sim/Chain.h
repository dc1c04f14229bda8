#pragma once
// The daisy chain of 1..10 simulated chips on the controller's SPI lines.
//
// A frame runs from chip select low to chip select high. Byte 0 is the
// command, byte 1 its PEC; a frame whose command PEC is wrong is ignored by
// every chip and everything clocked back in it reads 0xFF. For a read, the
// bytes clocked back after the PEC are board 0's register group and its PEC,
// then board 1's, and so on, then 0xFF. Everything else reads 0xFF, except a
// PLINT poll, which reads 0x00 while some chip has an unmasked flag set.
// The chips act on the frame when chip select goes high.
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/Chip.h"
#include "sim/Clock.h"
#include "sim/Random.h"
#include "sim/Scenario.h"

namespace qm::sim {

class Chain {
public:
    // The scenario must be valid (see ValidateScenario); out-of-range entries
    // are ignored here.
    Chain(const Scenario& scenario, std::shared_ptr<Clock> clock);

    int size() const { return static_cast<int>(chips_.size()); }
    // Board b (0 nearest the controller), brought up to the clock first.
    // Throws std::out_of_range for a board that is not in the chain.
    Chip& chip(int board);
    Clock& clock() { return *clock_; }

    // SPI side, driven by the controller board.
    void select();   // chip select low: a frame begins (no effect while one is open)
    void deselect(); // chip select high: the frame ends and the chips act on it
    bool selected() const { return selected_; }
    // Clocks one byte to the chain; returns the byte clocked back.
    std::uint8_t transfer(std::uint8_t mosi);

    // Brings every chip up to the clock's present time.
    void sync();

private:
    void prepareReadOut();
    void act();

    std::shared_ptr<Clock> clock_;
    std::vector<Chip> chips_;
    Random noise_;  // measurement noise
    Random faults_; // injected PEC errors

    bool selected_ = false;
    std::size_t clocked_ = 0; // bytes clocked in the open frame
    std::uint8_t command_ = 0;
    bool commandValid_ = false;
    std::vector<std::uint8_t> shifted_; // bytes after the PEC (the last ones only)
    std::vector<std::uint8_t> readOut_;
};

} // namespace qm::sim

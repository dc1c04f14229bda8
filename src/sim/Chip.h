#pragma once
// One simulated QM7410 monitor chip: its configuration registers, the cell,
// temperature, flag and diagnostic registers, the cells and temperature inputs
// it measures, and the behaviour that runs on time (discharge, the comparator
// period, the watchdog).
//
// Discharge: while a cell's DCC bit is set and the chip measures (CDC 1..7),
// its discharge switch conducts. The current through the cell's sense path
// pulls the voltage the chip sees at that cell's input down by
// kDischargeDropVolts, settling with the time constant kDischargeSettleMs of
// the input filter, and it slowly drains the cell (kDischargeVoltsPerSecond).
// Clearing the bit lets the input recover with the same time constant. Two
// wiring faults change which cell the current loads: an open resistor or
// switch loads none, a swapped sense pair loads the neighbour
// (DischargeNeighbour).
//
// The chain drives a chip through the "chain side" operations; tests may also
// look at and change its state directly through the "inspection" operations
// to build mixed states (an undervoltage cell, a hot board...).
#include <array>
#include <cstddef>
#include <cstdint>

#include "sim/Random.h"

namespace qm::sim {

// Command bytes the chips act on (start commands take a selector in the low
// nibble: 0 all, 1..C one cell or temperature input, D clear, E/F self tests).
namespace chipcmd {
inline constexpr std::uint8_t WRCFG = 0x01;
inline constexpr std::uint8_t RDCFG = 0x02;
inline constexpr std::uint8_t RDCV = 0x04;
inline constexpr std::uint8_t RDCVA = 0x06;
inline constexpr std::uint8_t RDCVB = 0x08;
inline constexpr std::uint8_t RDCVC = 0x0A;
inline constexpr std::uint8_t RDFLG = 0x0C;
inline constexpr std::uint8_t RDTMP = 0x0E;
inline constexpr std::uint8_t PLADC = 0x40;
inline constexpr std::uint8_t PLINT = 0x50;
inline constexpr std::uint8_t DAGN = 0x52;
inline constexpr std::uint8_t RDDGNR = 0x54;
// High nibbles of the start commands.
inline constexpr std::uint8_t STCVAD = 0x1;
inline constexpr std::uint8_t STOWAD = 0x2;
inline constexpr std::uint8_t STTMPAD = 0x3;
inline constexpr std::uint8_t STCVDC = 0x6;
inline constexpr std::uint8_t STOWDC = 0x7;
} // namespace chipcmd

inline constexpr std::int64_t kWatchdogMs = 2500;
// Slow drain of a discharging cell, down to a floor.
inline constexpr double kDischargeVoltsPerSecond = 0.005;
inline constexpr double kDischargeFloorVolts = 2.5;
// Drop of a discharging cell's input voltage once settled, and its time
// constant (about 99 % of the drop after 5 time constants, 100 ms).
inline constexpr double kDischargeDropVolts = 0.040;
inline constexpr double kDischargeSettleMs = 20.0;
// Every conversion adds a whole number of codes from -kNoiseCodes to
// +kNoiseCodes, uniformly, from the chain's seeded generator.
inline constexpr int kNoiseCodes = 2;
inline constexpr std::uint16_t kPowerOnCode = 0xFFF;
inline constexpr int kRevisionCode = 2;
// Largest register group a read returns (cells, 12-cell mode).
inline constexpr std::size_t kMaxGroupBytes = 18;

using Registers = std::array<std::uint8_t, 6>;

// CFGR0..CFGR5 after power-on and after a watchdog time-out: CDC 0 (standby).
inline constexpr Registers kPowerOnRegisters = {0xE0, 0x00, 0x00, 0x00, 0x00, 0x00};

// 12-bit code of a voltage: 1.5 mV per code, 0 V at code 512, clipped to 0..4095.
std::uint16_t VoltsToCode(double volts);
// Comparator period of a CDC value in ms; 0 where the comparator is off (CDC 0, 1).
int ComparatorPeriodMs(int cdc);
// The cell whose sense pair a swapped discharge path of `cell` loads instead:
// the next cell up, and cell 11 for cell 12.
int DischargeNeighbour(int cell);

class Chip {
public:
    // index: position in the chain (0 nearest the controller); seed: the
    // scenario seed, which fixes this chip's cell spread.
    Chip(int index, std::uint64_t seed, std::int64_t nowMs);

    // ---- inspection (cells 1..12, temperature inputs 1 ETMP1, 2 ETMP2, 3 ITMP;
    // out-of-range numbers read 0 and are ignored when set) ----
    int index() const { return index_; }
    // CFGR0..CFGR5 as stored.
    const Registers& registers() const { return regs_; }
    // CFGR0..CFGR5 as an RDCFG returns them: bit 7 of CFGR0 is the watchdog
    // status (1 running, 0 timed out).
    Registers registersRead() const;
    int cdc() const { return regs_[0] & 0x07; }
    bool tenCellMode() const { return (regs_[0] & 0x08) != 0; }
    int cellsInUse() const { return tenCellMode() ? 10 : 12; }
    // The cell's DCC bit is set.
    bool discharging(int cell) const;
    bool masked(int cell) const;

    // The cell's own voltage (what setCellVolts sets; the discharge drain
    // lowers it slowly).
    double cellVolts(int cell) const;
    void setCellVolts(int cell, double volts);
    // The voltage at the chip's input for the cell, which conversions and the
    // comparator see: the cell's own voltage less the discharge drop.
    double sensedVolts(int cell) const;
    double temperatureVolts(int input) const;
    void setTemperatureVolts(int input, double volts);

    std::uint16_t cellCode(int cell) const;
    std::uint16_t temperatureCode(int input) const;
    std::uint16_t referenceCode() const { return refCode_; }
    bool muxFailReported() const { return muxFailBit_; }
    // FLGR0..FLGR2 as an RDFLG returns them (masked cells and cells out of use read 0).
    std::array<std::uint8_t, 3> flagRegisters() const;

    bool thermalShutdown() const { return thermalShutdown_; }
    // Entering thermal shutdown clears the DCC bits at once.
    void setThermalShutdown(bool on);
    bool watchdogExpired() const { return watchdogExpired_; }

    // Faults.
    void setOpenWire(int cell, bool open);
    void setSelfTestFault(int cell, bool faulty);
    // The cell's discharge resistor or switch is open: its DCC bit is stored
    // and read back, but no current flows.
    void setDischargeOpen(int cell, bool open);
    // The cell's discharge path is wired to its neighbour's sense pair
    // (DischargeNeighbour): its DCC bit loads the neighbour instead.
    void setDischargeSwapped(int cell, bool swapped);
    void setMuxFailure(bool failing) { muxFailing_ = failing; }
    void setPecErrorProbability(double p) { pecErrorProbability_ = p; }
    double pecErrorProbability() const { return pecErrorProbability_; }

    // ---- chain side ----
    // Runs discharge, comparator and watchdog up to nowMs (never backwards).
    void advanceTo(std::int64_t nowMs);
    // A frame with a valid command PEC ended: the watchdog restarts.
    void kickWatchdog(std::int64_t nowMs);
    // Six configuration bytes and their PEC as shifted into this chip; the
    // registers change only when the PEC matches. Returns whether they did.
    bool landConfiguration(const std::uint8_t* group7, std::int64_t nowMs);
    // Start commands; kind is the command's high nibble.
    void startCells(std::uint8_t kind, std::uint8_t selector, Random& noise);
    void startTemperatures(std::uint8_t selector, Random& noise);
    void diagnose(Random& noise);
    // The register group a read command returns, without its PEC; 0 bytes for
    // a command that is not a read.
    std::size_t readGroup(std::uint8_t command, std::uint8_t* out) const;
    // Some unmasked cell in use has its undervoltage or overvoltage flag.
    bool interruptPending() const;

private:
    void evolve(std::int64_t from, std::int64_t to);
    void discharge(std::int64_t ms);
    // The cell the discharge switch of `cell` loads; 0 for none.
    int dischargeTarget(int cell) const;
    void compare();
    void clearDischargeBits();
    std::uint16_t measure(double volts, Random& noise) const;

    int index_;
    Registers regs_ = kPowerOnRegisters;
    std::array<double, 12> cellVolts_{};
    std::array<double, 12> dischargeDrop_{}; // volts, settling towards 0 or kDischargeDropVolts
    std::array<double, 3> tempVolts_{};
    std::array<std::uint16_t, 12> cellCodes_{};
    std::array<std::uint16_t, 3> tempCodes_{};
    std::array<std::uint8_t, 12> cellFlags_{}; // bit 0 undervoltage, bit 1 overvoltage
    std::uint16_t refCode_ = kPowerOnCode;
    bool muxFailBit_ = false;

    bool thermalShutdown_ = false;
    bool watchdogExpired_ = false;
    std::int64_t lastKickMs_;
    std::int64_t nowMs_;
    std::int64_t comparatorEpochMs_;

    std::array<bool, 12> openWire_{};
    std::array<bool, 12> selfTestFault_{};
    std::array<bool, 12> dischargeOpen_{};
    std::array<bool, 12> dischargeSwapped_{};
    bool muxFailing_ = false;
    double pecErrorProbability_ = 0.0;
};

} // namespace qm::sim

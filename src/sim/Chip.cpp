#include "sim/Chip.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "protocol/Pec.h"

namespace qm::sim {

namespace {

constexpr double kVoltsPerCode = 0.0015;
constexpr int kZeroCode = 512;
constexpr double kReferenceVolts = 2.3;
constexpr std::uint16_t kSelfTest1 = 0x555;
constexpr std::uint16_t kSelfTest2 = 0xAAA;
constexpr std::uint8_t kSelectAll = 0x0;
constexpr std::uint8_t kSelectClear = 0xD;
constexpr std::uint8_t kSelectSelfTest1 = 0xE;
constexpr std::uint8_t kSelectSelfTest2 = 0xF;

constexpr int kLastCell = 12;

bool ValidCell(int cell) { return cell >= 1 && cell <= kLastCell; }
bool ValidInput(int input) { return input >= 1 && input <= 3; }
std::size_t Slot(int oneBased) { return static_cast<std::size_t>(oneBased - 1); }

// Two 12-bit values in three bytes, low value first.
void Pack(std::uint16_t a, std::uint16_t b, std::uint8_t* out)
{
    out[0] = static_cast<std::uint8_t>(a & 0xFF);
    out[1] = static_cast<std::uint8_t>(((b & 0x0F) << 4) | ((a >> 8) & 0x0F));
    out[2] = static_cast<std::uint8_t>((b >> 4) & 0xFF);
}

// Threshold volts of the VUV (CFGR4) and VOV (CFGR5) codes.
double UndervoltageVolts(std::uint8_t code) { return (code + 1) * 0.024 - 0.768; }
double OvervoltageVolts(std::uint8_t code) { return (code - 32) * 0.024; }

} // namespace

std::uint16_t VoltsToCode(double volts)
{
    const double code = std::round(volts / kVoltsPerCode) + kZeroCode;
    return static_cast<std::uint16_t>(std::clamp(code, 0.0, 4095.0));
}

int ComparatorPeriodMs(int cdc)
{
    static constexpr std::array<int, 8> kPeriods = {0, 0, 13, 130, 500, 130, 500, 2000};
    return (cdc >= 0 && cdc < 8) ? kPeriods[static_cast<std::size_t>(cdc)] : 0;
}

int DischargeNeighbour(int cell)
{
    if (!ValidCell(cell)) return 0;
    return cell == kLastCell ? kLastCell - 1 : cell + 1;
}

Chip::Chip(int index, std::uint64_t seed, std::int64_t nowMs)
    : index_(index), lastKickMs_(nowMs), nowMs_(nowMs), comparatorEpochMs_(nowMs)
{
    const auto chip = static_cast<std::uint64_t>(index);
    // A plausible lithium-ion stack: 3.5 to 3.9 V per cell, fixed by the seed.
    for (std::size_t c = 0; c < cellVolts_.size(); ++c)
        cellVolts_[c] = 3.5 + 0.4 * FixedUnit(seed, chip, c);
    tempVolts_[0] = 1.45 + 0.1 * FixedUnit(seed, chip, 100);
    tempVolts_[1] = 1.45 + 0.1 * FixedUnit(seed, chip, 101);
    tempVolts_[2] = 2.38 + 0.04 * FixedUnit(seed, chip, 102);
    cellCodes_.fill(kPowerOnCode);
    tempCodes_.fill(kPowerOnCode);
}

Registers Chip::registersRead() const
{
    Registers r = regs_;
    if (watchdogExpired_) r[0] &= 0x7F;
    return r;
}

bool Chip::discharging(int cell) const
{
    if (!ValidCell(cell)) return false;
    return cell <= 8 ? ((regs_[1] >> (cell - 1)) & 1) != 0 : ((regs_[2] >> (cell - 9)) & 1) != 0;
}

bool Chip::masked(int cell) const
{
    if (!ValidCell(cell)) return false;
    return cell <= 4 ? ((regs_[2] >> (cell + 3)) & 1) != 0 : ((regs_[3] >> (cell - 5)) & 1) != 0;
}

int Chip::dischargeTarget(int cell) const
{
    // The switches conduct only while the chip measures; thermal shutdown and
    // the watchdog clear the DCC bits themselves.
    if (cdc() == 0 || !discharging(cell) || dischargeOpen_[Slot(cell)]) return 0;
    return dischargeSwapped_[Slot(cell)] ? DischargeNeighbour(cell) : cell;
}

double Chip::cellVolts(int cell) const { return ValidCell(cell) ? cellVolts_[Slot(cell)] : 0.0; }

double Chip::sensedVolts(int cell) const
{
    return ValidCell(cell) ? cellVolts_[Slot(cell)] - dischargeDrop_[Slot(cell)] : 0.0;
}

void Chip::setCellVolts(int cell, double volts)
{
    if (ValidCell(cell) && std::isfinite(volts)) cellVolts_[Slot(cell)] = volts;
}

double Chip::temperatureVolts(int input) const { return ValidInput(input) ? tempVolts_[Slot(input)] : 0.0; }

void Chip::setTemperatureVolts(int input, double volts)
{
    if (ValidInput(input) && std::isfinite(volts)) tempVolts_[Slot(input)] = volts;
}

std::uint16_t Chip::cellCode(int cell) const { return ValidCell(cell) ? cellCodes_[Slot(cell)] : 0; }

std::uint16_t Chip::temperatureCode(int input) const { return ValidInput(input) ? tempCodes_[Slot(input)] : 0; }

std::array<std::uint8_t, 3> Chip::flagRegisters() const
{
    std::array<std::uint8_t, 3> flgr{};
    for (int c = 1; c <= cellsInUse(); ++c) {
        if (masked(c)) continue;
        const int p = (c - 1) % 4;
        flgr[Slot(c) / 4] |= static_cast<std::uint8_t>((cellFlags_[Slot(c)] & 0x03) << (2 * p));
    }
    return flgr;
}

bool Chip::interruptPending() const
{
    const auto f = flagRegisters();
    return (f[0] | f[1] | f[2]) != 0;
}

void Chip::setThermalShutdown(bool on)
{
    thermalShutdown_ = on;
    if (on) clearDischargeBits();
}

void Chip::setOpenWire(int cell, bool open)
{
    if (ValidCell(cell)) openWire_[Slot(cell)] = open;
}

void Chip::setSelfTestFault(int cell, bool faulty)
{
    if (ValidCell(cell)) selfTestFault_[Slot(cell)] = faulty;
}

void Chip::setDischargeOpen(int cell, bool open)
{
    if (ValidCell(cell)) dischargeOpen_[Slot(cell)] = open;
}

void Chip::setDischargeSwapped(int cell, bool swapped)
{
    if (ValidCell(cell)) dischargeSwapped_[Slot(cell)] = swapped;
}

void Chip::clearDischargeBits()
{
    regs_[1] = 0x00;
    regs_[2] &= 0xF0;
}

// ---------------------------------------------------------------------------
// Time
// ---------------------------------------------------------------------------

void Chip::advanceTo(std::int64_t nowMs)
{
    for (;;) {
        const std::int64_t deadline = lastKickMs_ + kWatchdogMs;
        const bool watchdogDue = !watchdogExpired_ && deadline <= nowMs;
        const std::int64_t segmentEnd = watchdogDue ? deadline : nowMs;
        if (segmentEnd > nowMs_) {
            evolve(nowMs_, segmentEnd);
            nowMs_ = segmentEnd;
        }
        if (!watchdogDue) break;
        // No valid frame for the watchdog period: back to the power-on
        // configuration, and WDTB reads 0 until the next valid frame.
        regs_ = kPowerOnRegisters;
        watchdogExpired_ = true;
        comparatorEpochMs_ = std::max(nowMs_, deadline);
    }
}

void Chip::evolve(std::int64_t from, std::int64_t to)
{
    const int period = ComparatorPeriodMs(cdc());
    if (period > 0) {
        // Only the last comparison inside the interval decides the flags.
        const std::int64_t ticks = (to - comparatorEpochMs_) / period;
        const std::int64_t lastTick = comparatorEpochMs_ + ticks * period;
        if (ticks >= 1 && lastTick > from) {
            discharge(lastTick - from);
            compare();
            discharge(to - lastTick);
            return;
        }
    }
    discharge(to - from);
}

void Chip::discharge(std::int64_t ms)
{
    if (ms <= 0) return;
    // The configuration does not change within an interval, so the input
    // filter's first-order response is exact over any split of the time.
    const double drain = kDischargeVoltsPerSecond * static_cast<double>(ms) / 1000.0;
    const double remaining = std::exp(-static_cast<double>(ms) / kDischargeSettleMs);
    std::array<bool, kLastCell> loadedCells{};
    for (int c = 1; c <= kLastCell; ++c)
        if (const int target = dischargeTarget(c); target != 0) loadedCells[Slot(target)] = true;
    for (int c = 1; c <= kLastCell; ++c) {
        const bool loaded = loadedCells[Slot(c)];
        double& v = cellVolts_[Slot(c)];
        if (loaded && v > kDischargeFloorVolts) v = std::max(kDischargeFloorVolts, v - drain);
        double& drop = dischargeDrop_[Slot(c)];
        const double target = loaded ? kDischargeDropVolts : 0.0;
        drop = target + (drop - target) * remaining;
    }
}

void Chip::compare()
{
    const double vuv = UndervoltageVolts(regs_[4]);
    const double vov = OvervoltageVolts(regs_[5]);
    for (int c = 1; c <= kLastCell; ++c) {
        const double v = sensedVolts(c);
        cellFlags_[Slot(c)] = static_cast<std::uint8_t>((v < vuv ? 1 : 0) | (v > vov ? 2 : 0));
    }
}

void Chip::kickWatchdog(std::int64_t nowMs)
{
    lastKickMs_ = nowMs;
    watchdogExpired_ = false;
}

// ---------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------

bool Chip::landConfiguration(const std::uint8_t* group7, std::int64_t nowMs)
{
    const std::uint8_t pec = protocol::PecOfBytes(std::span<const std::uint8_t>(group7, 6));
    if (pec != group7[6]) return false;
    std::copy(group7, group7 + 6, regs_.begin());
    if (thermalShutdown_) clearDischargeBits();
    comparatorEpochMs_ = nowMs;
    return true;
}

std::uint16_t Chip::measure(double volts, Random& noise) const
{
    const int code = static_cast<int>(VoltsToCode(volts)) + noise.between(-kNoiseCodes, kNoiseCodes);
    return static_cast<std::uint16_t>(std::clamp(code, 0, 4095));
}

void Chip::startCells(std::uint8_t kind, std::uint8_t selector, Random& noise)
{
    if (cdc() == 0) return; // standby: nothing is converted
    const int inUse = cellsInUse();
    const bool openWireCurrent = kind == chipcmd::STOWAD || kind == chipcmd::STOWDC;
    auto convert = [&](int c) {
        // With the open-wire current an open input is pulled down to about 0 V.
        const double v = (openWireCurrent && openWire_[Slot(c)]) ? 0.0 : sensedVolts(c);
        cellCodes_[Slot(c)] = measure(v, noise);
    };
    if (selector == kSelectAll) {
        for (int c = 1; c <= inUse; ++c) convert(c);
    } else if (selector <= 12) {
        if (selector > inUse) return;
        convert(selector);
    } else if (selector == kSelectClear) {
        for (int c = 1; c <= inUse; ++c) cellCodes_[Slot(c)] = kPowerOnCode;
    } else {
        const std::uint16_t pattern = selector == kSelectSelfTest1 ? kSelfTest1 : kSelfTest2;
        for (int c = 1; c <= inUse; ++c)
            cellCodes_[Slot(c)] = static_cast<std::uint16_t>(pattern ^ (selfTestFault_[Slot(c)] ? 0x001 : 0x000));
    }
    compare();
}

void Chip::startTemperatures(std::uint8_t selector, Random& noise)
{
    if (cdc() == 0) return;
    if (selector == kSelectAll) {
        for (int t = 1; t <= 3; ++t) tempCodes_[Slot(t)] = measure(tempVolts_[Slot(t)], noise);
    } else if (selector <= 3) {
        tempCodes_[Slot(selector)] = measure(tempVolts_[Slot(selector)], noise);
    } else if (selector == kSelectClear) {
        tempCodes_.fill(kPowerOnCode);
    } else if (selector == kSelectSelfTest1) {
        tempCodes_.fill(kSelfTest1);
    } else if (selector == kSelectSelfTest2) {
        tempCodes_.fill(kSelfTest2);
    }
    // Selectors 4..C name no temperature input: nothing is converted.
}

void Chip::diagnose(Random& noise)
{
    if (cdc() == 0) return; // the reference is off in standby
    refCode_ = measure(kReferenceVolts, noise);
    muxFailBit_ = muxFailing_;
}

std::size_t Chip::readGroup(std::uint8_t command, std::uint8_t* out) const
{
    auto packCells = [&](int first, int count) {
        for (int j = 0; j < count / 2; ++j)
            Pack(cellCodes_[Slot(first + 2 * j)], cellCodes_[Slot(first + 2 * j + 1)], out + 3 * j);
        return static_cast<std::size_t>(count / 2 * 3);
    };
    switch (command) {
    case chipcmd::RDCFG: {
        const Registers r = registersRead();
        std::copy(r.begin(), r.end(), out);
        return r.size();
    }
    case chipcmd::RDCV: return packCells(1, cellsInUse());
    case chipcmd::RDCVA: return packCells(1, 4);
    case chipcmd::RDCVB: return packCells(5, 4);
    case chipcmd::RDCVC: return packCells(9, cellsInUse() - 8);
    case chipcmd::RDFLG: {
        const auto f = flagRegisters();
        std::copy(f.begin(), f.end(), out);
        return f.size();
    }
    case chipcmd::RDTMP:
        Pack(tempCodes_[0], tempCodes_[1], out);
        out[3] = static_cast<std::uint8_t>(tempCodes_[2] & 0xFF);
        out[4] = static_cast<std::uint8_t>((thermalShutdown_ ? 0x10 : 0x00) | ((tempCodes_[2] >> 8) & 0x0F));
        return 5;
    case chipcmd::RDDGNR:
        out[0] = static_cast<std::uint8_t>(refCode_ & 0xFF);
        out[1] = static_cast<std::uint8_t>((kRevisionCode << 6) | (muxFailBit_ ? 0x20 : 0x00) | ((refCode_ >> 8) & 0x0F));
        return 2;
    default: return 0;
    }
}

} // namespace qm::sim

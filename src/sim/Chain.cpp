#include "sim/Chain.h"

#include <array>
#include <span>
#include <utility>

#include "protocol/Pec.h"

namespace qm::sim {

namespace {

constexpr std::size_t kConfigGroup = 7; // CFGR0..CFGR5 and their PEC

bool IsRead(std::uint8_t command)
{
    switch (command) {
    case chipcmd::RDCFG:
    case chipcmd::RDCV:
    case chipcmd::RDCVA:
    case chipcmd::RDCVB:
    case chipcmd::RDCVC:
    case chipcmd::RDFLG:
    case chipcmd::RDTMP:
    case chipcmd::RDDGNR: return true;
    default: return false;
    }
}

std::uint8_t PecOf(const std::uint8_t* bytes, std::size_t n)
{
    return protocol::PecOfBytes(std::span<const std::uint8_t>(bytes, n));
}

} // namespace

Chain::Chain(const Scenario& scenario, std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)),
      noise_(scenario.seed ^ 0x6E6F697365ULL),
      faults_(scenario.seed ^ 0x6661756C74ULL)
{
    const int boards = scenario.boards < 1 ? 1 : (scenario.boards > kMaxChainBoards ? kMaxChainBoards : scenario.boards);
    const std::int64_t now = clock_->nowMs();
    chips_.reserve(static_cast<std::size_t>(boards));
    for (int b = 0; b < boards; ++b) chips_.emplace_back(b, scenario.seed, now);

    auto inChain = [&](int b) { return b >= 0 && b < boards; };
    for (int b : scenario.thermalShutdown) {
        if (!inChain(b)) continue;
        chips_[static_cast<std::size_t>(b)].setThermalShutdown(true);
        chips_[static_cast<std::size_t>(b)].setTemperatureVolts(3, 3.1); // a hot die
    }
    for (int b : scenario.muxFail)
        if (inChain(b)) chips_[static_cast<std::size_t>(b)].setMuxFailure(true);
    // The board:cell faults, each list with the chip setting it turns on.
    const std::pair<std::vector<BoardCell> Scenario::*, void (Chip::*)(int, bool)> cellFaults[] = {
        {&Scenario::openWires, &Chip::setOpenWire},
        {&Scenario::selfTestFaults, &Chip::setSelfTestFault},
        {&Scenario::dischargeOpen, &Chip::setDischargeOpen},
        {&Scenario::dischargeSwapped, &Chip::setDischargeSwapped},
    };
    for (const auto& [list, set] : cellFaults)
        for (const auto& f : scenario.*list)
            if (inChain(f.board)) (chips_[static_cast<std::size_t>(f.board)].*set)(f.cell, true);
    for (const auto& f : scenario.pecErrors)
        if (inChain(f.board)) chips_[static_cast<std::size_t>(f.board)].setPecErrorProbability(f.probability);
}

Chip& Chain::chip(int board)
{
    sync();
    return chips_.at(static_cast<std::size_t>(board));
}

void Chain::sync()
{
    const std::int64_t now = clock_->nowMs();
    for (auto& c : chips_) c.advanceTo(now);
}

void Chain::select()
{
    if (selected_) return; // chip select is already low: the frame goes on
    selected_ = true;
    clocked_ = 0;
    commandValid_ = false;
    shifted_.clear();
    readOut_.clear();
}

std::uint8_t Chain::transfer(std::uint8_t mosi)
{
    if (!selected_) return 0xFF; // no chip listens; the line idles high
    const std::size_t i = clocked_++;
    if (i == 0) {
        command_ = mosi;
        return 0xFF;
    }
    if (i == 1) {
        commandValid_ = PecOf(&command_, 1) == mosi;
        if (commandValid_) {
            sync();
            if (IsRead(command_)) prepareReadOut();
        }
        return 0xFF;
    }
    if (!commandValid_) return 0xFF;
    if (command_ == chipcmd::WRCFG) {
        // Only the last groups stay in the chain's shift registers.
        const std::size_t keep = kConfigGroup * chips_.size();
        shifted_.push_back(mosi);
        if (shifted_.size() >= 2 * keep) shifted_.erase(shifted_.begin(), shifted_.end() - static_cast<std::ptrdiff_t>(keep));
        return 0xFF;
    }
    if (IsRead(command_)) {
        const std::size_t k = i - 2;
        return k < readOut_.size() ? readOut_[k] : 0xFF;
    }
    if (command_ == chipcmd::PLINT) {
        for (const auto& c : chips_)
            if (c.interruptPending()) return 0x00;
    }
    return 0xFF;
}

void Chain::prepareReadOut()
{
    readOut_.clear();
    std::array<std::uint8_t, kMaxGroupBytes> group{};
    for (const auto& c : chips_) {
        const std::size_t n = c.readGroup(command_, group.data());
        std::uint8_t pec = PecOf(group.data(), n);
        const double p = c.pecErrorProbability();
        if (p > 0.0 && faults_.chance(p)) pec ^= 0x5A;
        readOut_.insert(readOut_.end(), group.begin(), group.begin() + static_cast<std::ptrdiff_t>(n));
        readOut_.push_back(pec);
    }
}

void Chain::deselect()
{
    if (!selected_) return;
    selected_ = false;
    if (clocked_ >= 2 && commandValid_) {
        sync();
        act();
        const std::int64_t now = clock_->nowMs();
        for (auto& c : chips_) c.kickWatchdog(now);
    }
    shifted_.clear();
    readOut_.clear();
}

void Chain::act()
{
    const std::int64_t now = clock_->nowMs();
    const std::uint8_t kind = command_ >> 4;
    const std::uint8_t selector = command_ & 0x0F;
    if (command_ == chipcmd::WRCFG) {
        // The last group shifted in sits in board 0, the one before in board 1...
        // Boards that received no complete group keep their registers.
        const std::size_t n = shifted_.size();
        for (std::size_t b = 0; b < chips_.size() && kConfigGroup * (b + 1) <= n; ++b)
            chips_[b].landConfiguration(shifted_.data() + n - kConfigGroup * (b + 1), now);
        return;
    }
    switch (kind) {
    case chipcmd::STCVAD:
    case chipcmd::STOWAD:
    case chipcmd::STCVDC:
    case chipcmd::STOWDC:
        for (auto& c : chips_) c.startCells(kind, selector, noise_);
        return;
    case chipcmd::STTMPAD:
        for (auto& c : chips_) c.startTemperatures(selector, noise_);
        return;
    default: break;
    }
    if (command_ == chipcmd::DAGN)
        for (auto& c : chips_) c.diagnose(noise_);
}

} // namespace qm::sim

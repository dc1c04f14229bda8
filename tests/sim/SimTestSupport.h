#pragma once
// Helpers for the simulator tests: a simulated device on a manual clock, and
// frames built by hand and sent through the link layer's own transactions.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/Transport.h"
#include "protocol/ByteText.h"
#include "protocol/Frames.h"
#include "protocol/Pec.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"
#include "support/SimulatedStack.h"

namespace qm::sim::test {

struct Bench : qm::test::SimulatedStack {
    explicit Bench(const Scenario& scenario = {}) : SimulatedStack(scenario) {}
    Chip& chip(int b) { return device.chain().chip(b); }
};

// A scenario text the tests know to be valid; n boards and nothing else.
inline Scenario Parsed(const std::string& text) { return *ParseScenario(text).scenario; }
inline Scenario Boards(int n) { return Parsed("boards=" + std::to_string(n)); }

// "MSxT01SC7", then the boards' groups from the highest index down to 0 (boards[0]
// is board 0), then "X". A board's data PEC can be spoiled for fault tests.
inline std::string WriteFrame(const std::vector<Registers>& boards, int spoilBoard = -1)
{
    std::string frame = "MSxT01S" + protocol::CommandPec("01");
    for (int b = static_cast<int>(boards.size()) - 1; b >= 0; --b) {
        const auto& r = boards[static_cast<std::size_t>(b)];
        for (auto byte : r) frame += "S" + protocol::ByteText(byte);
        frame += "S" + protocol::ByteText(static_cast<std::uint8_t>(protocol::PecOfBytes(r) ^ (b == spoilBoard ? 1 : 0)));
    }
    return frame + "X";
}

inline void WriteConfig(link::Device& device, const std::vector<Registers>& boards, int spoilBoard = -1)
{
    link::TransactWriteOnly(device, WriteFrame(boards, spoilBoard));
}
// The same registers for n boards.
inline void WriteConfig(link::Device& device, const Registers& regs, int n)
{
    WriteConfig(device, std::vector<Registers>(static_cast<std::size_t>(n), regs));
}

// Registers with a CDC in CFGR0 (10-cell bit optional) and the rest as given.
inline Registers Config(int cdc, bool tenCells = false, std::uint8_t cfgr1 = 0, std::uint8_t cfgr2 = 0,
                        std::uint8_t cfgr3 = 0, std::uint8_t vuv = 0, std::uint8_t vov = 0)
{
    return {static_cast<std::uint8_t>(0xE0 | (tenCells ? 0x08 : 0) | (cdc & 7)), cfgr1, cfgr2, cfgr3, vuv, vov};
}

struct BoardBytes {
    std::vector<std::uint8_t> data;
    std::uint8_t pec = 0;
    bool pecOk() const { return protocol::PecOfBytes(data) == pec; }
};

// One read frame for `boards` boards of n bytes, cut as the window cuts it.
inline std::vector<BoardBytes> Read(link::Device& device, std::uint8_t command, int n, int boards)
{
    const std::string cmd = protocol::ByteText(command);
    const std::string reply = link::TransactWithReply(device, protocol::ReadFrame(cmd, n, boards),
                                                      static_cast<std::int16_t>(protocol::ReadReplyLength(n, boards)));
    std::vector<BoardBytes> out(static_cast<std::size_t>(boards));
    for (int b = 0; b < boards; ++b) {
        auto& bb = out[static_cast<std::size_t>(b)];
        for (int k = 0; k < n; ++k) bb.data.push_back(link::ReplyByte(reply, b, k, n));
        bb.pec = link::ReplyByte(reply, b, n, n);
    }
    return out;
}

// A closed start, poll or diagnostic frame: "MSxS" cmd "S" pec "X".
inline void Send(link::Device& device, std::uint8_t command)
{
    link::TransactWriteOnly(device, protocol::SendFrame(protocol::ByteText(command)));
}

// 12-bit codes packed two in three bytes, low value first.
inline std::vector<unsigned> Codes(const std::vector<std::uint8_t>& d)
{
    std::vector<unsigned> codes;
    for (std::size_t j = 0; j + 2 < d.size(); j += 3) {
        codes.push_back(static_cast<unsigned>((d[j + 1] & 0x0F) << 8 | d[j]));
        codes.push_back(static_cast<unsigned>(d[j + 2] << 4 | d[j + 1] >> 4));
    }
    return codes;
}

// Temperature codes ETMP1, ETMP2, ITMP of an RDTMP group.
inline std::array<unsigned, 3> TemperatureCodes(const std::vector<std::uint8_t>& d)
{
    const auto pair = Codes({d[0], d[1], d[2]});
    return {pair[0], pair[1], static_cast<unsigned>((d[4] & 0x0F) << 8 | d[3])};
}

inline double CodeVolts(unsigned code) { return (static_cast<double>(code) - 512.0) * 0.0015; }

} // namespace qm::sim::test

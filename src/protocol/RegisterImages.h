#pragma once
// Per-board images of what the tool last sent to and received from each
// register group of the chain, with the per-board verdicts and validity flags.
//
// Every per-board array has 11 entries (0..10): boards 0..9 are addressed,
// entry 10 never is. Reads fill boards 0..last board index and leave the rest
// stale; the configuration write sends the highest board first.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/HexText.h"
#include "protocol/LinkHealth.h"

namespace qm::protocol {

constexpr int kBoardSlots = 11;
constexpr int kMaxBoards = 10;
constexpr int kCellsPerBoard = 12;
constexpr int kTableSize = 151;      // measured-value and code text tables
constexpr int kStatusTableSize = 121; // cell status codes

// Six register texts CFGR0..CFGR5, two upper-case hex digits each.
using ConfigRegisters = std::array<std::string, 6>;

// The comparator duty cycle (CDC) of a register set: CFGR0 bits 2..0 (0 is standby).
inline int CdcOf(const ConfigRegisters& regs) { return link::ByteFromText(regs[0]) & 0x07; }
// Whether a register set has its chip in 10-cell mode: CFGR0 bit 3.
inline bool TenCells(const ConfigRegisters& regs) { return (link::ByteFromText(regs[0]) & 0x08) != 0; }

// The registers (0..5 for CFGR0..CFGR5) a board read back otherwise than they
// were written. CFGR0 bit 7 (WDTB) reads back the state of the chip's
// watchdog, not the bit written, so it takes no part.
inline std::vector<int> DifferingRegisters(const ConfigRegisters& written, const ConfigRegisters& read)
{
    std::vector<int> differ;
    for (std::size_t k = 0; k < written.size(); ++k) {
        const unsigned mask = k == 0 ? 0x7Fu : 0xFFu;
        if ((link::ByteFromText(written[k]) & mask) != (link::ByteFromText(read[k]) & mask))
            differ.push_back(static_cast<int>(k));
    }
    return differ;
}

// The bytes of one read kind: per board the data bytes as cut from the reply,
// the PEC byte the board sent, and the PEC the tool computed over the data.
struct ReceivedSet {
    std::array<std::array<std::uint8_t, 18>, kBoardSlots> data{};
    std::array<std::uint8_t, kBoardSlots> pec{};
    std::array<std::uint8_t, kBoardSlots> computed{};
};

// PEC status code of a board: drives the fill of its oval.
enum PecStatus : std::int16_t {
    kPecNoVerdict = 0,
    kPecMatched = 1,
    kPecMismatch = 2,
    kPecThermalMark = 3,
};

// Read kinds; the values are the last-command kinds of the transfer panel.
enum class ReadKind : std::int16_t {
    Config = 3,
    Cells = 4,
    CellsA = 5,
    CellsB = 6,
    CellsC = 7,
    Flags = 8,
    Temperatures = 9,
    Diagnostics = 10,
};

struct DiagnosticValues {
    float referenceVolts = 0.0f;
    std::int16_t revision = 0;   // 0..3, letters A..D
    std::int16_t muxFail = 0;    // 1 = multiplexer check failed
};

template <typename T>
using PerBoard = std::array<T, kBoardSlots>;

struct RegisterImages {
    // Configuration images.
    PerBoard<ConfigRegisters> pending;   // edited by the window, sent by WRCFG
    PerBoard<ConfigRegisters> written;   // copy made right after each WRCFG (empty until then)
    PerBoard<ConfigRegisters> readBack;  // as last read by RDCFG
    PerBoard<std::uint8_t> writtenDataPec{};

    // Received sets. RDCV serves the 12- and 10-cell reads, RDCVC both lengths.
    ReceivedSet config, flags, temperatures, diagnostics, cells, cellsA, cellsB, cellsC;
    // Each read kind keeps its reply text until the next read of that kind.
    std::string configReply, flagsReply, temperaturesReply, diagnosticsReply;
    std::string cellsReply, cellsAReply, cellsBReply, cellsCReply;

    // Decoded images.
    PerBoard<std::array<std::string, 3>> flagTexts; // FLGR0..FLGR2
    std::array<std::string, kTableSize> codeText;   // three hex digits of each code
    std::array<float, kTableSize> measured{};       // volts
    PerBoard<std::int16_t> thermalBit{};
    PerBoard<DiagnosticValues> diag{};

    // Per-board status.
    PerBoard<std::int16_t> pecStatus{};
    PerBoard<std::int16_t> cellValid{};
    PerBoard<std::int16_t> flagValid{};
    PerBoard<std::int16_t> temperatureValid{};
    PerBoard<std::int16_t> configReadValid{};
    PerBoard<std::int16_t> thermalMark{};
    PerBoard<LinkHealth> health{}; // counted by every register read

    // Chain-wide: 1 after every RDCFG, 0 after every WRCFG and at start-up.
    std::int16_t configReadBackFlag = 0;
    // 1 when CFGR0 of the current board's written copy has the 10-cell bit set;
    // recomputed after every configuration write. The cell-voltage reads follow
    // it (group code 1 instead of 0), because the chips follow their own bit.
    std::int16_t writtenTenCellFlag = 0;

    RegisterImages();

    ReceivedSet& set(ReadKind kind);
    const ReceivedSet& set(ReadKind kind) const;
    std::string& reply(ReadKind kind);

    // Table indices: cell c (1..12) of board b at 12b + c; temperature input
    // t (1..3) of board b at 120 + 3b + t.
    static constexpr int CellIndex(int board, int cell) { return 12 * board + cell; }
    static constexpr int TemperatureIndex(int board, int input) { return 120 + 3 * board + input; }
};

// Volts of a 12-bit measurement code: (code - 512) * 0.0015, computed in double
// precision and stored single precision.
float CodeToVolts(unsigned code12);

// The default configuration of a board: CFGR0 "E0", CFGR1..CFGR5 "00".
ConfigRegisters DefaultConfiguration();

} // namespace qm::protocol

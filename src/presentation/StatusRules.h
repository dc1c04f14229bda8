#pragma once
// The rules that give every cell of the chain a status code, and the state they
// own. The rules read the register images (measured values, flag texts,
// validity flags and the WRITTEN configuration copy: the chips classify by what
// was last sent to them, not by what is being edited) and write the codes.
//
// Every rule covers boards 0..lastBoardIndex; a lastBoardIndex outside 0..9 is
// held to that range, so no call can reach past the tables.
#include <array>
#include <cstdint>

#include "presentation/StatusTable.h"
#include "protocol/RegisterImages.h"

namespace qm::presentation {

struct PresentationState {
    // Cell c (1..12) of board b (0..9) at 12b + c - 1.
    std::array<std::int16_t, protocol::kStatusTableSize> statusCode{};
    // Set when a board came out of thermal shutdown; the next configuration
    // write reads the chain's configuration back and clears it.
    std::int16_t thermalReadBackMark = 0;

    static constexpr int StatusIndex(int board, int cell) { return 12 * board + cell - 1; }
    // Code of a cell; kNoReading for a board or cell outside the table.
    std::int16_t Code(int board, int cell) const;
};

// All codes of boards 0..last := 0.
void ClearCellStatusCodes(PresentationState& state, int lastBoardIndex);
// Flag data valid, respectively temperature data valid, of boards 0..last := 0.
void ClearFlagDataValid(protocol::RegisterImages& images, int lastBoardIndex);
void ClearTemperatureDataValid(protocol::RegisterImages& images, int lastBoardIndex);
// Thermal-shutdown marks of boards 0..last and the thermal read-back mark := 0
// (done by the configuration write once the configuration was read back).
void ClearThermalMarks(protocol::RegisterImages& images, PresentationState& state,
                       int lastBoardIndex);

// Discharge (DCC) and mask (MCI) bit of cell 1..12 in a register set: DCC runs
// over CFGR1 bits 0..7 and CFGR2 bits 0..3, MCI over CFGR2 bits 4..7 and CFGR3
// bits 0..7. Empty or garbled register texts read as 0.
bool DischargeBit(const protocol::ConfigRegisters& regs, int cell);
bool MaskBit(const protocol::ConfigRegisters& regs, int cell);

// Soft classification of a value against threshold codes: at or below VUV
// volts 9, otherwise at or above VOV volts 10, otherwise 8. Compared in single
// precision; equality counts as a violation on both sides.
StatusCode SoftStatus(float volts, std::uint8_t vuvCode, std::uint8_t vovCode);
// The same for cell 1..12 of a board, with the board's measured value and the
// written CFGR4/CFGR5.
StatusCode SoftRule(const protocol::RegisterImages& images, int board, int cell);

// After a cell-voltage read, for the cells the group code covers on every
// board: 6 mask and discharge, 2 discharge, 5 mask, else 0; with valid cell
// data (and the chip measuring) a 0 becomes the soft result; with valid flag
// data the code stays; otherwise, as after a failed read, it becomes 0.
void ApplyMaskAndDischargeRule(const protocol::RegisterImages& images, PresentationState& state,
                               int lastBoardIndex, int groupCode);

// Whether a cell group code stands for a ten-cell read (cells 1-10 or 9-10).
bool IsTenCellGroup(int groupCode);

// After a flag read: FLGR0 covers cells 1-4, FLGR1 5-8, FLGR2 9-12 (9-10 for a
// ten-cell group); the cell at position p of a register owns bit 2p
// (undervoltage) and bit 2p+1 (overvoltage). Codes 0, 1, 3, 4, 8, 9, 10 become
// 4 on overvoltage, else 3 on undervoltage, else 1; 2, 5, 6 and 7 stay. A board
// that is not measuring gets 0 on every covered cell. A board whose last cell
// or flag read failed its PEC (cell data valid and flag data valid both 0) has
// no flag bits worth reading: its flag-derived codes become 0 rather than
// being read from the bytes of the failed reply (2, 5, 6, 7 stay).
void ApplyFlagRule(const protocol::RegisterImages& images, PresentationState& state,
                   int lastBoardIndex, int groupCode);

struct ThermalOutcome {
    // Some board entered or left thermal shutdown: repaint the indicators.
    bool repaint = false;
    // Boards that are out of shutdown but still marked. While there is one,
    // the caller reads the configuration of the chain back and refreshes the
    // read-back display; one read covers the whole chain.
    int boardsLeavingShutdown = 0;
    bool ReadBackNeeded() const { return boardsLeavingShutdown > 0; }
};

// After a temperature read: a board with its thermal-shutdown bit set gets
// code 7 on all twelve cells and its mark; a board without the bit but still
// marked gets code 0 on all twelve cells and sets the thermal read-back mark.
// The marks stay until the next configuration write.
ThermalOutcome ApplyThermalRule(protocol::RegisterImages& images, PresentationState& state,
                                int lastBoardIndex);

// Boards in thermal shutdown by their last temperature read keep code 7 on all
// twelve cells. The measurement cycle runs this after the mask and discharge
// pass of its cell read, so that a shut-down board shows code 7 at every step
// instead of blinking back to its soft codes once a pass.
void HoldThermalShutdownCodes(const protocol::RegisterImages& images, PresentationState& state,
                              int lastBoardIndex);

// The soft legend while the current board's cell data are valid and no
// continuous cycle runs; the flag legend otherwise.
Legend SelectLegend(const protocol::RegisterImages& images, int currentBoard,
                    bool continuousActive);

} // namespace qm::presentation

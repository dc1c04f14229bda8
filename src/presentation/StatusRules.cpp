#include "presentation/StatusRules.h"

#include <algorithm>

#include "config/Thresholds.h"
#include "presentation/Conversions.h"
#include "protocol/ByteText.h"
#include "protocol/CellGroups.h"

namespace qm::presentation {

namespace {

using protocol::RegisterImages;

constexpr int kCells = protocol::kCellsPerBoard;

// Boards the rules walk: 0..last, held inside the table.
int BoardCount(int lastBoardIndex)
{
    return std::clamp(lastBoardIndex, -1, protocol::kMaxBoards - 1) + 1;
}

bool ValidBoard(int board) { return board >= 0 && board < protocol::kMaxBoards; }
bool ValidCell(int cell) { return cell >= 1 && cell <= kCells; }

std::uint8_t Register(const protocol::ConfigRegisters& regs, int k)
{
    return protocol::ByteFromText(regs[static_cast<std::size_t>(k)]);
}

bool Bit(std::uint8_t value, int bit) { return ((value >> bit) & 1u) != 0; }

std::int16_t& CodeOf(PresentationState& state, int board, int cell)
{
    return state.statusCode[static_cast<std::size_t>(PresentationState::StatusIndex(board, cell))];
}

std::size_t Slot(int board) { return static_cast<std::size_t>(board); }

} // namespace

std::int16_t PresentationState::Code(int board, int cell) const
{
    if (!ValidBoard(board) || !ValidCell(cell)) return kNoReading;
    return statusCode[static_cast<std::size_t>(StatusIndex(board, cell))];
}

void ClearCellStatusCodes(PresentationState& state, int lastBoardIndex)
{
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b)
        for (int c = 1; c <= kCells; ++c) CodeOf(state, b, c) = kNoReading;
}

void ClearFlagDataValid(RegisterImages& images, int lastBoardIndex)
{
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b) images.flagValid[Slot(b)] = 0;
}

void ClearTemperatureDataValid(RegisterImages& images, int lastBoardIndex)
{
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b) images.temperatureValid[Slot(b)] = 0;
}

void ClearThermalMarks(RegisterImages& images, PresentationState& state, int lastBoardIndex)
{
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b) images.thermalMark[Slot(b)] = 0;
    state.thermalReadBackMark = 0;
}

bool DischargeBit(const protocol::ConfigRegisters& regs, int cell)
{
    if (!ValidCell(cell)) return false;
    return cell <= 8 ? Bit(Register(regs, 1), cell - 1) : Bit(Register(regs, 2), cell - 9);
}

bool MaskBit(const protocol::ConfigRegisters& regs, int cell)
{
    if (!ValidCell(cell)) return false;
    return cell <= 4 ? Bit(Register(regs, 2), cell + 3) : Bit(Register(regs, 3), cell - 5);
}

StatusCode SoftStatus(float volts, std::uint8_t vuvCode, std::uint8_t vovCode)
{
    if (volts <= config::VuvCodeToVolts(vuvCode)) return kSoftUnder;
    if (volts >= config::VovCodeToVolts(vovCode)) return kSoftOver;
    return kSoftInRange;
}

StatusCode SoftRule(const RegisterImages& images, int board, int cell)
{
    if (!ValidBoard(board) || !ValidCell(cell)) return kNoReading;
    const auto& regs = images.written[Slot(board)];
    const float volts = images.measured[static_cast<std::size_t>(RegisterImages::CellIndex(board, cell))];
    return SoftStatus(volts, Register(regs, 4), Register(regs, 5));
}

void ApplyMaskAndDischargeRule(const RegisterImages& images, PresentationState& state,
                               int lastBoardIndex, int groupCode)
{
    const auto& group = protocol::CellGroupFor(groupCode);
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b) {
        const auto& regs = images.written[Slot(b)];
        const bool measuring = images.configReadValid[Slot(b)] == 1;
        const bool cellsValid = measuring && images.cellValid[Slot(b)] == 1;
        const bool flagsValid = measuring && images.flagValid[Slot(b)] == 1;
        for (int c = group.firstCell; c <= group.LastCell(); ++c) {
            const bool dcc = DischargeBit(regs, c);
            const bool mci = MaskBit(regs, c);
            std::int16_t code = kNoReading;
            if (dcc && mci) code = kMaskedDischarging;
            else if (dcc) code = kDischarging;
            else if (mci) code = kMasked;

            if (cellsValid) {
                if (code == kNoReading) code = SoftRule(images, b, c);
            } else if (!flagsValid) {
                code = kNoReading;
            }
            CodeOf(state, b, c) = code;
        }
    }
}

bool IsTenCellGroup(int groupCode) { return groupCode == 1 || groupCode == 5; }

void ApplyFlagRule(const RegisterImages& images, PresentationState& state, int lastBoardIndex,
                   int groupCode)
{
    const int fgr2Cells = IsTenCellGroup(groupCode) ? 2 : 4;
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b) {
        const bool measuring = images.configReadValid[Slot(b)] == 1;
        const bool readFailed = images.cellValid[Slot(b)] == 0 && images.flagValid[Slot(b)] == 0;
        for (int r = 0; r < 3; ++r) {
            const auto flags = static_cast<std::uint8_t>(
                protocol::HexPrefixValue(images.flagTexts[Slot(b)][static_cast<std::size_t>(r)], 2));
            const int covered = r == 2 ? fgr2Cells : 4;
            for (int p = 0; p < covered; ++p) {
                std::int16_t& code = CodeOf(state, b, 4 * r + p + 1);
                if (!measuring) {
                    code = kNoReading;
                    continue;
                }
                switch (code) {
                case kDischarging:
                case kMasked:
                case kMaskedDischarging:
                case kThermalShutdown:
                    continue;
                default:
                    break;
                }
                if (readFailed) code = kNoReading;
                else if (Bit(flags, 2 * p + 1)) code = kFlagOver;
                else if (Bit(flags, 2 * p)) code = kFlagUnder;
                else code = kFlagInRange;
            }
        }
    }
}

ThermalOutcome ApplyThermalRule(RegisterImages& images, PresentationState& state,
                                int lastBoardIndex)
{
    ThermalOutcome outcome;
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b) {
        if (images.thermalBit[Slot(b)] == 1) {
            for (int c = 1; c <= kCells; ++c) CodeOf(state, b, c) = kThermalShutdown;
            images.thermalMark[Slot(b)] = 1;
            outcome.repaint = true;
        } else if (images.thermalMark[Slot(b)] == 1) {
            for (int c = 1; c <= kCells; ++c) CodeOf(state, b, c) = kNoReading;
            state.thermalReadBackMark = 1;
            ++outcome.boardsLeavingShutdown;
            outcome.repaint = true;
        }
    }
    return outcome;
}

void HoldThermalShutdownCodes(const RegisterImages& images, PresentationState& state, int lastBoardIndex)
{
    for (int b = 0; b < BoardCount(lastBoardIndex); ++b)
        if (images.thermalBit[Slot(b)] == 1)
            for (int c = 1; c <= kCells; ++c) CodeOf(state, b, c) = kThermalShutdown;
}

Legend SelectLegend(const RegisterImages& images, int currentBoard, bool continuousActive)
{
    if (!ValidBoard(currentBoard)) return Legend::Flag;
    const bool soft = images.cellValid[Slot(currentBoard)] == 1 && !continuousActive;
    return soft ? Legend::Soft : Legend::Flag;
}

} // namespace qm::presentation

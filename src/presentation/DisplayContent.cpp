#include "presentation/DisplayContent.h"

#include <algorithm>

#include "presentation/TextFormats.h"
#include "protocol/ByteText.h"
#include "protocol/CellGroups.h"

namespace qm::presentation {

namespace {

using protocol::RegisterImages;


bool ValidBoard(int board) { return board >= 0 && board < protocol::kMaxBoards; }
bool ValidCell(int cell) { return cell >= 1 && cell <= protocol::kCellsPerBoard; }
std::size_t Slot(int board) { return static_cast<std::size_t>(board); }

std::size_t CellSlot(int board, int cell)
{
    return static_cast<std::size_t>(RegisterImages::CellIndex(board, cell));
}

std::size_t TemperatureSlot(int board, int row)
{
    return static_cast<std::size_t>(RegisterImages::TemperatureIndex(board, TemperatureInputOfRow(row)));
}

bool ValidRow(int row) { return row >= 0 && row < kTemperatureRows; }

} // namespace

std::vector<int> CellsOfGroup(int groupCode)
{
    const auto& group = protocol::CellGroupFor(groupCode);
    std::vector<int> cells;
    for (int c = group.firstCell; c <= group.LastCell(); ++c) cells.push_back(c);
    return cells;
}

std::string CellValueText(const RegisterImages& images, int board, int cell)
{
    if (!ValidBoard(board) || !ValidCell(cell)) return std::string(kCellClearText);
    return FormatCellVolts(images.measured[CellSlot(board, cell)]);
}

std::string CellHexText(const RegisterImages& images, int board, int cell)
{
    if (!ValidBoard(board) || !ValidCell(cell)) return std::string(kCodeClearText);
    return CellCodeText(images.codeText[CellSlot(board, cell)]);
}

std::string CellSelectorDigit(int cell)
{
    if (!ValidCell(cell)) return "0";
    return protocol::HexNoPad(static_cast<unsigned>(cell));
}

int TemperatureInputOfRow(int row)
{
    static constexpr std::array<int, kTemperatureRows> kInputs{3, 1, 2};
    return ValidRow(row) ? kInputs[static_cast<std::size_t>(row)] : 0;
}

std::string TemperatureSelectorDigit(int row)
{
    return std::to_string(TemperatureInputOfRow(row));
}

std::string TemperatureValueText(const RegisterImages& images, int board, int row)
{
    if (!ValidBoard(board) || !ValidRow(row)) return std::string(kTemperatureClearText);
    return FormatTemperatureVolts(images.measured[TemperatureSlot(board, row)]);
}

std::string TemperatureHexText(const RegisterImages& images, int board, int row)
{
    if (!ValidBoard(board) || !ValidRow(row)) return std::string(kCodeClearText);
    return TemperatureCodeText(images.codeText[TemperatureSlot(board, row)]);
}

std::array<Colour, 3> TemperatureGraphicColours(const RegisterImages& images, int board)
{
    if (ValidBoard(board) && images.temperatureValid[Slot(board)] != 0)
        return {kRed, kRed, kLightGrey};
    return {kWindowColour, kWindowColour, kWindowColour};
}

BoxLook CellValueLook(bool selectable)
{
    return {selectable ? kWindowText : kGrey, kWhite};
}

BoxLook TemperatureValueLook(bool selectable)
{
    if (!selectable) return {kGrey, std::nullopt};
    return {kBlack, kWhite};
}

BoxLook HexViewLook(bool selectable)
{
    return {selectable ? kWhite : kGrey, kWindowText};
}

std::string_view ClearCellText(bool hexView) { return hexView ? kCodeClearText : kCellClearText; }

std::string_view ClearTemperatureText(bool hexView)
{
    return hexView ? kCodeClearText : kTemperatureClearText;
}

std::array<std::string, 3> FlagTexts(const RegisterImages& images, int board)
{
    if (!ValidBoard(board)) return {};
    const auto& texts = images.flagTexts[Slot(board)];
    return {FlagDisplayText(texts[0]), FlagDisplayText(texts[1]), FlagDisplayText(texts[2])};
}

int HexViewGroupAfterFocusChange(const RegisterImages& images)
{
    return images.writtenTenCellFlag == 1 ? 1 : 0;
}

std::string_view GroupReadButtonCaption(bool tenCells)
{
    return tenCells ? "READ CELL   9 -10" : "READ CELL   9 -12";
}

std::string_view PanelCaption(int cell, bool tenCells)
{
    static constexpr std::array<std::string_view, 12> kCaptions{
        "CELL1", "CELL2", "CELL3", "CELL4", "CELL5", "CELL6",
        "CELL7", "CELL8", "CELL9", "CELL10", "CELL11", "CELL12"};
    if (!ValidCell(cell) || (tenCells && cell > 10)) return {};
    return kCaptions[static_cast<std::size_t>(cell - 1)];
}

} // namespace qm::presentation

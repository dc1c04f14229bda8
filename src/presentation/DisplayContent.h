#pragma once
// What the cell, temperature, flag and configuration boxes of the window show,
// computed from the register images. The window's views copy these results
// onto their controls and decide nothing themselves.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/Colours.h"
#include "protocol/RegisterImages.h"

namespace qm::presentation {

// ---- cells -----------------------------------------------------------------

// Cells 1..12 a cell group code covers (any code outside 0..5 covers all 12).
std::vector<int> CellsOfGroup(int groupCode);

// Value box text of cell 1..12 of a board, in volts (" 3.6015V  ") or as the
// raw code ("0x555 "). A board or cell outside the tables gives the clear text.
std::string CellValueText(const protocol::RegisterImages& images, int board, int cell);
std::string CellHexText(const protocol::RegisterImages& images, int board, int cell);

// Start selector of a single cell: "1".."9", "A".."C"; "0" (all) otherwise.
std::string CellSelectorDigit(int cell);

// ---- temperatures ----------------------------------------------------------

inline constexpr int kTemperatureRows = 3;

// The temperature input a row of the panel shows: row 0 ITMP is input 3,
// row 1 ETMP1 input 1, row 2 ETMP2 input 2. Rows outside 0..2 give 0.
int TemperatureInputOfRow(int row);
// Start selector of a single temperature row: "3" ITMP, "1" ETMP1, "2" ETMP2.
std::string TemperatureSelectorDigit(int row);

std::string TemperatureValueText(const protocol::RegisterImages& images, int board, int row);
std::string TemperatureHexText(const protocol::RegisterImages& images, int board, int row);

// Fill colours of the three graphic elements of a temperature row: red, red,
// light grey while the board's temperature data are valid, else the window
// colour on all three.
std::array<Colour, 3> TemperatureGraphicColours(const protocol::RegisterImages& images, int board);

// ---- box looks -------------------------------------------------------------

// Background and text colour of a value box. A text colour of nullopt leaves
// the box's text colour as it is.
struct BoxLook {
    Colour back;
    std::optional<Colour> fore;
    bool operator==(const BoxLook&) const = default;
};

// Cell value box after a refresh in volts: light text on the dark window-text
// colour; grey background when the cell is not the selected one.
BoxLook CellValueLook(bool selectable);
// Temperature value box after a refresh in volts: light text on black; grey
// background (text colour untouched) when the row is not selectable.
BoxLook TemperatureValueLook(bool selectable);
// A value box in the raw-code view: window-text colour on white, or on grey
// when the cell or row is not selectable.
BoxLook HexViewLook(bool selectable);

// Clear texts of the value boxes, by the current view.
std::string_view ClearCellText(bool hexView);
std::string_view ClearTemperatureText(bool hexView);

// ---- flags -----------------------------------------------------------------

// The three flag register boxes of a board ("  0C   ", ...); empty for a
// board outside the tables or a register never read.
std::array<std::string, 3> FlagTexts(const protocol::RegisterImages& images, int board);

// ---- configuration ---------------------------------------------------------

// The cell group code the raw-code view uses after a board focus change.
int HexViewGroupAfterFocusChange(const protocol::RegisterImages& images);

// Captions that follow the cell-count layout.
std::string_view GroupReadButtonCaption(bool tenCells); // third group read button
std::string_view PanelCaption(int cell, bool tenCells);  // "CELL1".."CELL12"; 11/12 empty

} // namespace qm::presentation

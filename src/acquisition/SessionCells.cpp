// The cell panels, the temperature panel and the flag texts of the current
// board: values in volts or as raw codes, the single-cell and single-temperature
// selections, the 12/10-cell layout; the status of every cell (overview
// squares of every board in use, battery symbols of the current board) and the
// legend.
#include "acquisition/Session.h"
#include "presentation/DisplayContent.h"
#include "presentation/StatusTable.h"

namespace qm::acquisition {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

void ApplyLook(ValueBox& box, const presentation::BoxLook& look)
{
    box.back = look.back;
    if (look.fore) box.fore = *look.fore;
}

} // namespace

void Session::RefreshCellValues(int groupCode)
{
    s_.lastCellGroup = groupCode;
    for (int cell : presentation::CellsOfGroup(groupCode)) {
        CellPanelView& panel = s_.view.cells[U(cell - 1)];
        panel.value.text = presentation::CellValueText(s_.images, current(), cell);
        ApplyLook(panel.value, presentation::CellValueLook(panel.inSelection));
    }
    mark(kAreaCells);
}

void Session::ShowCellCodes(int groupCode)
{
    for (int cell : presentation::CellsOfGroup(groupCode)) {
        CellPanelView& panel = s_.view.cells[U(cell - 1)];
        panel.value.text = presentation::CellHexText(s_.images, current(), cell);
        ApplyLook(panel.value, presentation::HexViewLook(panel.inSelection));
    }
    mark(kAreaCells);
}

void Session::RefreshTemperatures()
{
    for (int row = 0; row < presentation::kTemperatureRows; ++row) {
        TemperatureRowView& r = s_.view.temperatures[U(row)];
        r.value.text = presentation::TemperatureValueText(s_.images, current(), row);
        ApplyLook(r.value, presentation::TemperatureValueLook(r.inSelection));
    }
    PaintTemperatureGraphics();
}

void Session::ShowTemperatureCodes()
{
    for (int row = 0; row < presentation::kTemperatureRows; ++row) {
        TemperatureRowView& r = s_.view.temperatures[U(row)];
        r.value.text = presentation::TemperatureHexText(s_.images, current(), row);
        ApplyLook(r.value, presentation::HexViewLook(r.inSelection));
    }
    mark(kAreaTemperatures);
}

void Session::PaintTemperatureGraphics()
{
    const auto colours = presentation::TemperatureGraphicColours(s_.images, current());
    for (auto& row : s_.view.temperatures) row.graphic = colours;
    mark(kAreaTemperatures);
}

void Session::ShowFlagTexts()
{
    s_.view.flags = presentation::FlagTexts(s_.images, current());
    mark(kAreaFlags);
}

void Session::ClearMeasurementTexts(bool cells, bool temperatures)
{
    if (cells) {
        const bool hex = s_.acq.cellHexView == 1;
        for (auto& panel : s_.view.cells) {
            panel.value.text = presentation::ClearCellText(hex);
            ApplyLook(panel.value, hex ? presentation::HexViewLook(panel.inSelection)
                                       : presentation::CellValueLook(panel.inSelection));
        }
        mark(kAreaCells);
    }
    if (temperatures) {
        const bool hex = s_.acq.temperatureHexView == 1;
        for (auto& row : s_.view.temperatures) {
            row.value.text = presentation::ClearTemperatureText(hex);
            ApplyLook(row.value, hex ? presentation::HexViewLook(row.inSelection)
                                     : presentation::TemperatureValueLook(row.inSelection));
            row.graphic.fill(colour::kWhite);
        }
        mark(kAreaTemperatures);
    }
    if (cells && temperatures) {
        s_.view.flags = {};
        mark(kAreaFlags);
    }
}

// Cell panel c (1..12) in the selection (dark lines and outlines, solid
// battery, box enabled, value box in the normal look of the view) or left out
// of it (grey, hollow, box disabled, value on grey), with the overview squares
// of cell c on boards 0..lastBoard solid or hollow to match.
void Session::paintCellPanel(int cell, bool on, int lastBoard)
{
    CellPanelView& panel = s_.view.cells[U(cell - 1)];
    panel.inSelection = on;
    ApplyLook(panel.value, s_.acq.cellHexView == 1 ? presentation::HexViewLook(on) : presentation::CellValueLook(on));
    for (int b = 0; b <= lastBoard && b < protocol::kMaxBoards; ++b) s_.view.squareHollow[U(12 * b + cell - 1)] = !on;
    mark(kAreaCells | kAreaStatus);
}

void Session::paintTemperatureRow(int row, bool on)
{
    TemperatureRowView& r = s_.view.temperatures[U(row)];
    r.inSelection = on;
    ApplyLook(r.value, s_.acq.temperatureHexView == 1 ? presentation::HexViewLook(on)
                                                      : presentation::TemperatureValueLook(on));
    mark(kAreaTemperatures);
}

void Session::ApplyCellSelection()
{
    for (int c = 1; c <= 12; ++c) {
        const bool ticked = s_.view.selectedCell == c;
        paintCellPanel(c, ticked, last());
        if (ticked) s_.acq.cellSelector = presentation::CellSelectorDigit(c);
    }
}

void Session::ClearCellSelection()
{
    for (int c = 1; c <= 12; ++c) {
        if (s_.view.cells[U(c - 1)].inSelection) continue;
        // Every board, not only those on the stack: a column hidden while the
        // selection was made hollow must come back solid when the board count
        // grows again.
        paintCellPanel(c, true, protocol::kMaxBoards - 1);
    }
    s_.acq.cellSelector = "0";
}

void Session::ApplyTemperatureSelection()
{
    for (int row = 0; row < presentation::kTemperatureRows; ++row) {
        const bool ticked = s_.view.selectedTemperatureRow == row;
        paintTemperatureRow(row, ticked);
        if (ticked) s_.acq.temperatureSelector = presentation::TemperatureSelectorDigit(row);
    }
}

void Session::ClearTemperatureSelection()
{
    for (int row = 0; row < presentation::kTemperatureRows; ++row)
        if (!s_.view.temperatures[U(row)].inSelection) paintTemperatureRow(row, true);
    s_.acq.temperatureSelector = "0";
}

void Session::OnCellSelectBox(int index, bool ticked)
{
    if (index < 0 || index > 11) return;
    Scope scope(*this);
    View& v = s_.view;
    // Only a box the selection leaves enabled can change.
    if (!v.cells[U(index)].inSelection || (v.tenCellLayout && index >= 10)) return;
    if (ticked) {
        v.selectedCell = index + 1;
        ApplyCellSelection();
    } else if (v.selectedCell == index + 1) {
        v.selectedCell = 0;
        ClearCellSelection();
    }
}

void Session::OnTemperatureSelectBox(int index, bool ticked)
{
    if (index < 0 || index > 2) return;
    Scope scope(*this);
    View& v = s_.view;
    if (!v.temperatures[U(index)].inSelection) return;
    if (ticked) {
        v.selectedTemperatureRow = index;
        ApplyTemperatureSelection();
    } else if (v.selectedTemperatureRow == index) {
        v.selectedTemperatureRow = -1;
        ClearTemperatureSelection();
    }
}

void Session::ApplyCellCountLayout()
{
    View& v = s_.view;
    const bool ten = v.config.editors[0][config::kTenCellsBit];
    // A single-cell selection of cell 11 or 12 cannot outlive the 10-cell
    // layout: its box would be hidden with every other panel locked, and the
    // chips would no longer convert the cell the start commands name.
    if (ten && v.selectedCell >= 11) {
        v.selectedCell = 0;
        ClearCellSelection();
    }
    auto ctx = configContext();
    config::ApplyTenCellBit(ctx, ten);
    v.tenCellLayout = ten;
    mark(kAreaBoards | kAreaCells);
    RefreshConfigurationDisplay();
}

void Session::RefreshStatusDisplay()
{
    for (int b = 0; b <= last(); ++b)
        for (int c = 1; c <= 12; ++c)
            if (const auto look = presentation::StatusAppearanceFor(s_.status.Code(b, c)))
                s_.view.squareColour[U(12 * b + c - 1)] = look->colour;
    for (int c = 1; c <= 12; ++c) {
        const auto look = presentation::StatusAppearanceFor(s_.status.Code(current(), c));
        if (!look) continue; // codes above 10 leave the symbol as it is
        CellPanelView& panel = s_.view.cells[U(c - 1)];
        panel.barTop = look->barTop;
        panel.barHeight = look->barHeight;
        panel.barColour = look->colour;
        panel.bodyFill = look->bodyFill;
    }
    mark(kAreaStatus);
}

void Session::ShowLegend()
{
    s_.view.legend = presentation::SelectLegend(s_.images, current(), s_.acq.continuousActive == 1);
    mark(kAreaLegend);
}

} // namespace qm::acquisition

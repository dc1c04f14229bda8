// Paints the cell panels, the temperature panel and the flag texts of the
// current board from the register images: values in volts or as raw codes,
// the single-cell and single-temperature selection, and the 12/10-cell layout.
#include "config/ConfigModel.h"
#include "presentation/DisplayContent.h"
#include "presentation/TextFormats.h"
#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::size_t U(int i) { return static_cast<std::size_t>(i); }

void ApplyLook(TextBox* box, const presentation::BoxLook& look)
{
    box->setBackColor(look.back);
    if (look.fore) box->setForeColor(*look.fore);
}

// A cell or temperature row takes part while its "Only" box is enabled: when
// one box is ticked the others are disabled and their values shown on grey.
bool Selectable(const CheckBox* box) { return box->isEnabled(); }

// Cell panel c (1..12) in the selection (dark lines and outlines, solid
// battery, box enabled, value box in the normal look of the view) or left out
// of it (grey, hollow, box disabled, value on grey), with the overview squares
// of cell c on boards 0..lastBoard solid or hollow to match.
void PaintCellPanelLook(Form& form, int c, bool on, bool hexView, int lastBoard)
{
    const std::size_t i = U(c - 1);
    const int lineColour = on ? colour::kSysWindowText : colour::kGrey;
    const Shape::FillStyle fill = on ? Shape::FillStyle::Solid : Shape::FillStyle::Transparent;
    form.Frame1[i]->setForeColor(lineColour);
    form.Check6[i]->setForeColor(lineColour);
    form.Check6[i]->setEnabled(on);
    for (Line* l : {form.Line7[i], form.Line9[i], form.Line10[i]}) l->setBorderColor(lineColour);
    for (Shape* s : {form.Shape2[i], form.Shape4[i], form.Shape5[i]}) {
        s->setBorderColor(lineColour);
        s->setFillStyle(fill);
    }
    form.maskBox(c)->setForeColor(lineColour);
    form.dccBox(c)->setForeColor(lineColour);
    ApplyLook(form.Text1[i], hexView ? presentation::HexViewLook(on) : presentation::CellValueLook(on));
    for (int b = 0; b <= lastBoard && b < protocol::kMaxBoards; ++b)
        form.Shape1[U(12 * b + c - 1)]->setFillStyle(fill);
}

// Temperature row 0..2 in the selection or left out of it, as the cell panels.
void PaintTemperatureRowLook(Form& form, int row, bool on, bool hexView)
{
    const std::size_t r = U(row);
    const int lineColour = on ? colour::kSysWindowText : colour::kGrey;
    form.Check7[r]->setForeColor(lineColour);
    form.Check7[r]->setEnabled(on);
    for (Shape* s : {form.Shape6[r], form.Shape7[r], form.Shape8[r]}) {
        s->setBorderColor(lineColour);
        s->setFillStyle(on ? Shape::FillStyle::Solid : Shape::FillStyle::Transparent);
    }
    ApplyLook(form.Text6[r], hexView ? presentation::HexViewLook(on) : presentation::TemperatureValueLook(on));
}

} // namespace

void Monitor::RefreshCellValues(int groupCode)
{
    s_.lastCellGroup = groupCode;
    for (int cell : presentation::CellsOfGroup(groupCode)) {
        TextBox* box = form_.Text1[U(cell - 1)];
        box->setCaption(Q(presentation::CellValueText(s_.images, current(), cell)));
        ApplyLook(box, presentation::CellValueLook(Selectable(form_.Check6[U(cell - 1)])));
    }
}

void Monitor::ShowCellCodes(int groupCode)
{
    for (int cell : presentation::CellsOfGroup(groupCode)) {
        TextBox* box = form_.Text1[U(cell - 1)];
        box->setCaption(Q(presentation::CellHexText(s_.images, current(), cell)));
        ApplyLook(box, presentation::HexViewLook(Selectable(form_.Check6[U(cell - 1)])));
    }
}

void Monitor::RefreshTemperatures()
{
    for (int row = 0; row < presentation::kTemperatureRows; ++row) {
        TextBox* box = form_.Text6[U(row)];
        box->setCaption(Q(presentation::TemperatureValueText(s_.images, current(), row)));
        ApplyLook(box, presentation::TemperatureValueLook(Selectable(form_.Check7[U(row)])));
    }
    PaintTemperatureGraphics();
}

void Monitor::ShowTemperatureCodes()
{
    for (int row = 0; row < presentation::kTemperatureRows; ++row) {
        TextBox* box = form_.Text6[U(row)];
        box->setCaption(Q(presentation::TemperatureHexText(s_.images, current(), row)));
        ApplyLook(box, presentation::HexViewLook(Selectable(form_.Check7[U(row)])));
    }
}

void Monitor::PaintTemperatureGraphics()
{
    const auto colours = presentation::TemperatureGraphicColours(s_.images, current());
    for (std::size_t row = 0; row < 3; ++row) {
        form_.Shape6[row]->setFillColor(colours[0]);
        form_.Shape7[row]->setFillColor(colours[1]);
        form_.Shape8[row]->setFillColor(colours[2]);
    }
}

void Monitor::ShowFlagTexts()
{
    const auto texts = presentation::FlagTexts(s_.images, current());
    for (std::size_t k = 0; k < 3; ++k) form_.Text7[k]->setCaption(Q(texts[k]));
}

void Monitor::ClearMeasurementTexts(bool cells, bool temperatures)
{
    if (cells) {
        const bool hex = s_.acq.cellHexView == 1;
        for (int i = 0; i < 12; ++i) {
            form_.Text1[U(i)]->setCaption(Q(presentation::ClearCellText(hex)));
            const bool on = Selectable(form_.Check6[U(i)]);
            ApplyLook(form_.Text1[U(i)], hex ? presentation::HexViewLook(on) : presentation::CellValueLook(on));
        }
    }
    if (temperatures) {
        const bool hex = s_.acq.temperatureHexView == 1;
        for (int i = 0; i < 3; ++i) {
            form_.Text6[U(i)]->setCaption(Q(presentation::ClearTemperatureText(hex)));
            const bool on = Selectable(form_.Check7[U(i)]);
            ApplyLook(form_.Text6[U(i)], hex ? presentation::HexViewLook(on) : presentation::TemperatureValueLook(on));
        }
        for (std::size_t row = 0; row < 3; ++row)
            for (Shape* s : {form_.Shape6[row], form_.Shape7[row], form_.Shape8[row]}) s->setFillColor(colour::kWhite);
    }
    if (cells && temperatures)
        for (auto* t : form_.Text7) t->setCaption(QString());
}

void Monitor::ApplyCellSelection()
{
    const bool hex = s_.acq.cellHexView == 1;
    for (int c = 1; c <= 12; ++c) {
        const bool ticked = form_.Check6[U(c - 1)]->value() == 1;
        PaintCellPanelLook(form_, c, ticked, hex, last());
        if (ticked) s_.acq.cellSelector = presentation::CellSelectorDigit(c);
    }
}

void Monitor::ClearCellSelection()
{
    const bool hex = s_.acq.cellHexView == 1;
    for (int c = 1; c <= 12; ++c) {
        if (form_.Check6[U(c - 1)]->isEnabled()) continue;
        // Every board, not only those on the stack: a column hidden while the
        // selection was made hollow must come back solid when the board count
        // grows again.
        PaintCellPanelLook(form_, c, true, hex, protocol::kMaxBoards - 1);
    }
    s_.acq.cellSelector = "0";
}

void Monitor::ApplyTemperatureSelection()
{
    const bool hex = s_.acq.temperatureHexView == 1;
    for (int row = 0; row < presentation::kTemperatureRows; ++row) {
        const bool ticked = form_.Check7[U(row)]->value() == 1;
        PaintTemperatureRowLook(form_, row, ticked, hex);
        if (ticked) s_.acq.temperatureSelector = presentation::TemperatureSelectorDigit(row);
    }
}

void Monitor::ClearTemperatureSelection()
{
    const bool hex = s_.acq.temperatureHexView == 1;
    for (int row = 0; row < presentation::kTemperatureRows; ++row)
        if (!form_.Check7[U(row)]->isEnabled()) PaintTemperatureRowLook(form_, row, true, hex);
    s_.acq.temperatureSelector = "0";
}

void Monitor::OnCellSelectBox(int index)
{
    if (index < 0 || index > 11) return;
    if (form_.Check6[U(index)]->value() == 1) ApplyCellSelection();
    else ClearCellSelection();
}

void Monitor::OnTemperatureSelectBox(int index)
{
    if (index < 0 || index > 2) return;
    if (form_.Check7[U(index)]->value() == 1) ApplyTemperatureSelection();
    else ClearTemperatureSelection();
}

void Monitor::ApplyCellCountLayout()
{
    const bool ten = form_.Check0[3]->value() == 1;
    // A single-cell selection of cell 11 or 12 cannot outlive the 10-cell
    // layout: its box would be hidden with every other panel locked, and the
    // chips would no longer convert the cell the start commands name.
    if (ten && (form_.Check6[10]->value() == 1 || form_.Check6[11]->value() == 1)) {
        form_.Check6[10]->setValue(0);
        form_.Check6[11]->setValue(0);
        ClearCellSelection();
    }
    auto ctx = configContext();
    config::ApplyTenCellBit(ctx, ten);
    for (int c = 11; c <= 12; ++c) {
        const std::size_t i = U(c - 1);
        for (QWidget* w : std::initializer_list<QWidget*>{form_.Text1[i], form_.Check6[i], form_.maskBox(c),
                                                          form_.dccBox(c), form_.Shape2[i], form_.Shape4[i],
                                                          form_.Shape5[i], form_.Line7[i], form_.Line9[i],
                                                          form_.Line10[i]})
            w->setVisible(!ten);
        form_.Frame1[i]->setCaption(Q(presentation::PanelCaption(c, ten)));
        for (int b = 0; b < protocol::kMaxBoards; ++b)
            if (b <= last()) form_.Shape1[U(12 * b + c - 1)]->setVisible(!ten);
    }
    // The wire from the top of the stack into cell 12 goes with cell 12.
    if (form_.Line10[12]) form_.Line10[12]->setVisible(!ten);
    form_.Command8[2]->setCaption(Q(presentation::GroupReadButtonCaption(ten)));
    RefreshConfigurationDisplay();
}

void Monitor::BorderWidthLocalCells()
{
    for (std::size_t i = 0; i < 12; ++i)
        for (Shape* s : {form_.Shape2[i], form_.Shape4[i], form_.Shape5[i]}) s->setBorderWidth(2);
}

} // namespace qm::ui

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
        CheckBox* box = form_.Check6[U(c - 1)];
        const bool ticked = box->value() == 1;
        const int lineColour = ticked ? colour::kSysWindowText : colour::kGrey;
        form_.Frame1[U(c - 1)]->setForeColor(lineColour);
        box->setForeColor(lineColour);
        box->setEnabled(ticked);
        for (Line* l : {form_.Line7[U(c - 1)], form_.Line9[U(c - 1)], form_.Line10[U(c - 1)]})
            l->setBorderColor(lineColour);
        for (Shape* s : {form_.Shape2[U(c - 1)], form_.Shape4[U(c - 1)], form_.Shape5[U(c - 1)]}) {
            s->setBorderColor(lineColour);
            s->setFillStyle(ticked ? Shape::FillStyle::Solid : Shape::FillStyle::Transparent);
        }
        form_.maskBox(c)->setForeColor(lineColour);
        form_.dccBox(c)->setForeColor(lineColour);
        ApplyLook(form_.Text1[U(c - 1)], hex ? presentation::HexViewLook(ticked) : presentation::CellValueLook(ticked));
        for (int b = 0; b <= last(); ++b)
            form_.Shape1[U(12 * b + c - 1)]->setFillStyle(ticked ? Shape::FillStyle::Solid
                                                                   : Shape::FillStyle::Transparent);
        if (ticked) s_.acq.cellSelector = presentation::CellSelectorDigit(c);
    }
}

void Monitor::ClearCellSelection()
{
    const bool hex = s_.acq.cellHexView == 1;
    for (int c = 1; c <= 12; ++c) {
        CheckBox* box = form_.Check6[U(c - 1)];
        if (box->isEnabled()) continue;
        const int lineColour = colour::kSysWindowText;
        form_.Frame1[U(c - 1)]->setForeColor(lineColour);
        box->setForeColor(lineColour);
        box->setEnabled(true);
        for (Line* l : {form_.Line7[U(c - 1)], form_.Line9[U(c - 1)], form_.Line10[U(c - 1)]})
            l->setBorderColor(lineColour);
        for (Shape* s : {form_.Shape2[U(c - 1)], form_.Shape4[U(c - 1)], form_.Shape5[U(c - 1)]}) {
            s->setBorderColor(lineColour);
            s->setFillStyle(Shape::FillStyle::Solid);
        }
        form_.maskBox(c)->setForeColor(lineColour);
        form_.dccBox(c)->setForeColor(lineColour);
        ApplyLook(form_.Text1[U(c - 1)], hex ? presentation::HexViewLook(true) : presentation::CellValueLook(true));
        for (int b = 0; b < protocol::kMaxBoards; ++b) form_.Shape1[U(12 * b + c - 1)]->setFillStyle(Shape::FillStyle::Solid);
    }
    s_.acq.cellSelector = "0";
}

void Monitor::ApplyTemperatureSelection()
{
    const bool hex = s_.acq.temperatureHexView == 1;
    for (int row = 0; row < 3; ++row) {
        CheckBox* box = form_.Check7[U(row)];
        const bool ticked = box->value() == 1;
        const int lineColour = ticked ? colour::kSysWindowText : colour::kGrey;
        box->setForeColor(lineColour);
        box->setEnabled(ticked);
        for (Shape* s : {form_.Shape6[U(row)], form_.Shape7[U(row)], form_.Shape8[U(row)]}) {
            s->setBorderColor(lineColour);
            s->setFillStyle(ticked ? Shape::FillStyle::Solid : Shape::FillStyle::Transparent);
        }
        ApplyLook(form_.Text6[U(row)],
                  hex ? presentation::HexViewLook(ticked) : presentation::TemperatureValueLook(ticked));
        if (ticked) s_.acq.temperatureSelector = presentation::TemperatureSelectorDigit(row);
    }
}

void Monitor::ClearTemperatureSelection()
{
    const bool hex = s_.acq.temperatureHexView == 1;
    for (int row = 0; row < 3; ++row) {
        CheckBox* box = form_.Check7[U(row)];
        if (box->isEnabled()) continue;
        box->setForeColor(colour::kSysWindowText);
        box->setEnabled(true);
        for (Shape* s : {form_.Shape6[U(row)], form_.Shape7[U(row)], form_.Shape8[U(row)]}) {
            s->setBorderColor(colour::kSysWindowText);
            s->setFillStyle(Shape::FillStyle::Solid);
        }
        ApplyLook(form_.Text6[U(row)], hex ? presentation::HexViewLook(true) : presentation::TemperatureValueLook(true));
    }
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
    if (form_.Line10[12]) form_.Line10[12]->setVisible(true);
    form_.Command8[2]->setCaption(Q(presentation::GroupReadButtonCaption(ten)));
    RefreshConfigurationDisplay();
}

void Monitor::BorderWidthLocalCells()
{
    for (std::size_t i = 0; i < 12; ++i)
        for (Shape* s : {form_.Shape2[i], form_.Shape4[i], form_.Shape5[i]}) s->setBorderWidth(2);
}

} // namespace qm::ui

// Paints the status of every cell (overview squares of every board in use,
// the battery symbols of the current board), the legend, and the progress
// tabs.
#include "presentation/ProgressTabs.h"
#include "presentation/StatusTable.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

namespace {
std::size_t U(int i) { return static_cast<std::size_t>(i); }
QString Q(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
} // namespace

void Monitor::RefreshStatusDisplay()
{
    for (int b = 0; b <= last(); ++b)
        for (int c = 1; c <= 12; ++c)
            if (const auto look = presentation::StatusAppearanceFor(s_.status.Code(b, c)))
                form_.Shape1[U(12 * b + c - 1)]->setFillColor(look->colour);
    for (int c = 1; c <= 12; ++c) {
        const auto look = presentation::StatusAppearanceFor(s_.status.Code(current(), c));
        if (!look) continue; // codes above 10 leave the symbol as it is
        Shape* bar = form_.Shape2[U(c - 1)];
        bar->setTop(look->barTop);
        bar->setHeight(look->barHeight);
        bar->setFillColor(look->colour);
        form_.Shape4[U(c - 1)]->setFillColor(look->bodyFill);
    }
}

void Monitor::ShowLegend()
{
    const presentation::Legend legend =
        presentation::SelectLegend(s_.images, current(), s_.acq.continuousActive == 1);
    for (int row : presentation::kSwitchedLegendRows) {
        const presentation::LegendRow& r = presentation::LegendRowFor(row, legend);
        form_.Shape9[U(row)]->setFillColor(r.colour);
        form_.Label10[U(row)]->setForeColor(r.colour);
        form_.Label10[U(row)]->setCaption(Q(r.mark));
        form_.Label11[U(row)]->setCaption(Q(r.text));
    }
}

void Monitor::PaintProgressTabs()
{
    using presentation::Tab;
    static constexpr struct {
        Tab tab;
        int command1; // index of the read button in the command column, or -1
    } kTabs[] = {{Tab::CellRead, 7},     {Tab::TemperatureRead, 9},     {Tab::ConfigRead, 6},
                 {Tab::CellHexRead, -1}, {Tab::TemperatureHexRead, -1}, {Tab::DiagnosticRead, -1},
                 {Tab::FlagRead, 8}};
    for (const auto& t : kTabs) {
        const presentation::TabLook look = presentation::LookOf(t.tab, s_.tabs.armedLook(t.tab));
        form_.Shape16[U(look.shapeIndex)]->setVisible(look.shapeVisible);
        Control* button = t.command1 >= 0 ? static_cast<Control*>(form_.Command1[U(t.command1)])
                                          : t.tab == Tab::DiagnosticRead ? form_.Command7[1] : nullptr;
        if (!button) continue;
        if (look.left) button->setLeft(*look.left);
        if (look.width) button->setWidth(*look.width);
        if (look.top) button->setTop(*look.top);
        if (look.height) button->setHeight(*look.height);
        if (look.caption) button->setCaption(QString::fromStdString(*look.caption));
    }
}

} // namespace qm::ui

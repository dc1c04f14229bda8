// Paints the progress tabs: the light-yellow frames around the read button
// that is due, with the button shrunk (or moved) to show them.
#include "presentation/ProgressTabs.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

namespace {
std::size_t U(int i) { return static_cast<std::size_t>(i); }
} // namespace

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

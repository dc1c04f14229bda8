// Paints the status of every cell (overview squares of every board in use,
// the battery symbols of the current board) and the legend.
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

} // namespace qm::ui

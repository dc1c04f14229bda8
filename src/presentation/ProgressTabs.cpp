#include "presentation/ProgressTabs.h"

#include <algorithm>
#include <initializer_list>

namespace qm::presentation {

namespace {
int Clamp(int lastBoardIndex) { return std::clamp(lastBoardIndex, 0, protocol::kMaxBoards - 1); }

void ForEach(std::initializer_list<Tab> tabs, auto&& fn)
{
    for (Tab t : tabs) fn(t);
}
} // namespace

TabLook LookOf(Tab tab, bool armed)
{
    TabLook look{0, armed, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    const auto column = [&](int shape) {
        look.shapeIndex = shape;
        look.left = armed ? 804 : 796;
        look.width = armed ? 81 : 97;
    };
    switch (tab) {
    case Tab::CellRead:
        column(1);
        look.caption = armed ? "READCELL" : "READCELLVOLT";
        break;
    case Tab::TemperatureRead: column(2); break;
    case Tab::ConfigRead: column(0); break;
    case Tab::FlagRead: column(9); break;
    case Tab::CellHexRead: look.shapeIndex = 3; break;
    case Tab::TemperatureHexRead: look.shapeIndex = 4; break;
    case Tab::DiagnosticRead:
        look.shapeIndex = 5;
        look.top = armed ? 2362 : 2330;
        look.height = armed ? 400 : 500;
        break;
    }
    return look;
}

ProgressTabs::ProgressTabs()
{
    // As the window is designed, the configuration, cell and temperature read
    // tabs show with their buttons at the armed size.
    tabs_[I(Tab::ConfigRead)].armedLook = true;
    tabs_[I(Tab::CellRead)].armedLook = true;
    tabs_[I(Tab::TemperatureRead)].armedLook = true;
}

void ProgressTabs::requestSettle(Tab tab)
{
    if (tabs_[I(tab)].state == kTabArmed) tabs_[I(tab)].state = kTabSettle;
}

void ProgressTabs::ResetTab(Tab tab, int lastBoardIndex)
{
    auto& e = tabs_[I(tab)];
    for (int b = 0; b < protocol::kMaxBoards; ++b) e.pending[static_cast<std::size_t>(b)] = 0;
    e.state = kTabIdle;
    DisarmTab(tab, lastBoardIndex);
}

void ProgressTabs::MarkTabPending(Tab tab, int lastBoardIndex)
{
    for (int b = 0; b <= Clamp(lastBoardIndex); ++b) tabs_[I(tab)].pending[static_cast<std::size_t>(b)] = 1;
}

void ProgressTabs::ArmTab(Tab tab)
{
    tabs_[I(tab)].armedLook = true;
    tabs_[I(tab)].state = kTabArmed;
}

void ProgressTabs::DisarmTab(Tab tab, int lastBoardIndex)
{
    auto& e = tabs_[I(tab)];
    e.armedLook = false;
    e.state = kTabIdle;
    for (int b = 0; b <= Clamp(lastBoardIndex); ++b) e.pending[static_cast<std::size_t>(b)] = 0;
}

void ProgressTabs::ShowTabForCurrentBoard(Tab tab, int currentBoard, int lastBoardIndex)
{
    const auto c = static_cast<std::size_t>(std::clamp(currentBoard, 0, protocol::kMaxBoards - 1));
    if (tabs_[I(tab)].pending[c] == 1) ArmTab(tab);
    else DisarmTab(tab, lastBoardIndex);
}

void ProgressTabs::SettleTab(Tab tab, int lastBoardIndex)
{
    switch (tabs_[I(tab)].state) {
    case kTabSettle: DisarmTab(tab, lastBoardIndex); break;
    case kTabArmed:
        MarkTabPending(tab, lastBoardIndex);
        ArmTab(tab);
        break;
    default: break;
    }
}

void ProgressTabs::HoldArmedTabs()
{
    for (auto& e : tabs_)
        if (e.state == kTabArmed) e.state = kTabHeld;
}

void ProgressTabs::ReleaseHeldTabs()
{
    for (auto& e : tabs_)
        if (e.state == kTabHeld) e.state = kTabArmed;
}

void ProgressTabs::ShowReadConfigTab(bool configurationChanged)
{
    auto& e = tabs_[I(Tab::ConfigRead)];
    if (e.state == kTabArmed) e.armedLook = !configurationChanged;
}

void ProgressTabs::SettleAfterCommandColumn(int last)
{
    ForEach({Tab::CellRead, Tab::TemperatureRead, Tab::ConfigRead, Tab::CellHexRead, Tab::TemperatureHexRead,
             Tab::FlagRead},
            [&](Tab t) { SettleTab(t, last); });
}

void ProgressTabs::SettleAfterSelfTest(int last)
{
    ForEach({Tab::CellRead, Tab::TemperatureRead, Tab::CellHexRead, Tab::TemperatureHexRead},
            [&](Tab t) { SettleTab(t, last); });
}

void ProgressTabs::SettleAfterDiagnostic(int last) { SettleTab(Tab::DiagnosticRead, last); }

void ProgressTabs::ResetForCycle(int last)
{
    ForEach({Tab::CellRead, Tab::TemperatureRead, Tab::CellHexRead, Tab::TemperatureHexRead, Tab::DiagnosticRead,
             Tab::FlagRead},
            [&](Tab t) { ResetTab(t, last); });
}

void ProgressTabs::ResetForStandby(int last)
{
    ForEach({Tab::CellRead, Tab::TemperatureRead, Tab::ConfigRead, Tab::CellHexRead, Tab::TemperatureHexRead,
             Tab::DiagnosticRead},
            [&](Tab t) { ResetTab(t, last); });
}

void ProgressTabs::ResetForStartup(int last)
{
    ForEach({Tab::CellRead, Tab::TemperatureRead, Tab::ConfigRead, Tab::CellHexRead, Tab::TemperatureHexRead},
            [&](Tab t) { ResetTab(t, last); });
}

void ProgressTabs::ShowForCurrentBoard(int current, int last)
{
    ForEach({Tab::CellRead, Tab::TemperatureRead, Tab::ConfigRead, Tab::CellHexRead, Tab::TemperatureHexRead,
             Tab::DiagnosticRead},
            [&](Tab t) { ShowTabForCurrentBoard(t, current, last); });
}

} // namespace qm::presentation

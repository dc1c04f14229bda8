#pragma once
// Command progress indicators: a light-yellow tab behind a read button, shown
// while the button is shrunk so the yellow frames it, marks the read that is
// due after a start command or a write. Seven tabs share one state machine:
// 0 idle, 1 armed (the read is due), 2 settle requested (the read was done),
// 3 held (armed, exempt from settling around an automatic read).
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/RegisterImages.h"

namespace qm::presentation {

enum class Tab : int {
    CellRead = 0,       // "READCELL VOLT"      Shape16(1)
    TemperatureRead,    // "READ TEMP"          Shape16(2)
    ConfigRead,         // "READ CONFIG"        Shape16(0)
    CellHexRead,        // "READCELL HEX VIEW"  Shape16(3)
    TemperatureHexRead, // "READTEMP HEX VIEW"  Shape16(4)
    DiagnosticRead,     // "READ DIAGN"         Shape16(5)
    FlagRead,           // "READ  FLAG"         Shape16(9)
};
inline constexpr int kTabCount = 7;

enum TabState : std::int16_t { kTabIdle = 0, kTabArmed = 1, kTabSettle = 2, kTabHeld = 3 };

// What a tab looks like: whether its shape shows, and the read button's
// geometry and caption where the look changes them (window pixels for the
// command column, panel units for the diagnostic button).
struct TabLook {
    int shapeIndex;                 // Shape16 index
    bool shapeVisible;
    std::optional<int> left, width; // command column buttons
    std::optional<int> top, height; // diagnostic read button
    std::optional<std::string> caption;
};

TabLook LookOf(Tab tab, bool armed);

class ProgressTabs {
public:
    ProgressTabs();

    std::int16_t state(Tab tab) const { return tabs_[I(tab)].state; }
    void setState(Tab tab, std::int16_t state) { tabs_[I(tab)].state = state; }
    // Sets the state to 2 only when the tab is armed (a read without a
    // preceding start leaves its tab idle).
    void requestSettle(Tab tab);
    bool armedLook(Tab tab) const { return tabs_[I(tab)].armedLook; }
    std::int16_t pending(Tab tab, int board) const { return tabs_[I(tab)].pending[static_cast<std::size_t>(board)]; }

    void ResetTab(Tab tab, int lastBoardIndex);
    void MarkTabPending(Tab tab, int lastBoardIndex);
    void ArmTab(Tab tab);
    void DisarmTab(Tab tab, int lastBoardIndex);
    void ShowTabForCurrentBoard(Tab tab, int currentBoard, int lastBoardIndex);
    void SettleTab(Tab tab, int lastBoardIndex);
    void HoldArmedTabs();
    void ReleaseHeldTabs();
    // Every timer tick: while the configuration read is armed, its tab hides as
    // long as edits are not yet written, and shows again once they are.
    void ShowReadConfigTab(bool configurationChanged);

    // The groups of tabs the commands settle and reset.
    void SettleAfterCommandColumn(int lastBoardIndex);
    void SettleAfterSelfTest(int lastBoardIndex);
    void SettleAfterDiagnostic(int lastBoardIndex);
    void ResetForCycle(int lastBoardIndex);   // start and stop of the continuous cycle
    void ResetForStandby(int lastBoardIndex); // after the standby configuration reset
    void ResetForStartup(int lastBoardIndex);
    void ShowForCurrentBoard(int currentBoard, int lastBoardIndex); // board focus change

private:
    struct Entry {
        std::int16_t state = kTabIdle;
        std::array<std::int16_t, protocol::kBoardSlots> pending{};
        bool armedLook = false;
    };
    static std::size_t I(Tab tab) { return static_cast<std::size_t>(tab); }
    std::array<Entry, kTabCount> tabs_;
};

} // namespace qm::presentation

#pragma once
// Comparator duty cycle (CDC, CFGR0 bits 2..0): the up/down editor, the table
// row that explains the value (Text3), the number box (Text15) and the
// standby notice shown while the value is 0.
#include <array>
#include <string>
#include <string_view>

#include "config/ChangeIndication.h"
#include "config/ConfigModel.h"

namespace qm::config {

// The two lines of the table row of a CDC value (0..7; other values use
// value AND 7): the values line and the notes line, blanks included.
struct CdcRow {
    std::string_view values;
    std::string_view notes;
};
CdcRow CdcTableRow(int cdc);
// What Text3 shows: the values line followed directly by the notes line.
std::string CdcTableText(int cdc);

// The arrows: increment wraps 7 -> 0, decrement wraps 0 -> 7.
int IncrementCdc(int cdc);
int DecrementCdc(int cdc);

// Label_KA(1) while the CDC value is 0.
struct StandbyNotice {
    std::string caption;
    int fontSize = 9;
    Colour back = colour::kPaleYellow;
};
StandbyNotice StandbyNoticeLook();

// What happens to Label_KA(1) after a refresh: with CDC 0 it shows the
// standby notice; otherwise it is hidden, unless the keep-alive poll is
// running, whose notice it then keeps.
enum class NoticeLabel { ShowStandbyNotice, Hide, Keep };
NoticeLabel NoticeLabelAfter(int cdc, bool keepAliveActive);

struct CdcDisplay {
    int cdc = 0;
    std::string tableText;      // Text3
    std::array<bool, 3> mirror{}; // Check0(0..2) = bits 0..2 of the value
    std::string numberText;     // Text15
    bool frameVisible = false;  // Shape16(6), around the arrows while in standby
    bool standby = false;       // CDC 0
    ConfigDisplay config;       // Text3/Text15 take config.cdcLook
};

// Refresh CDC table for the current board: its CFGR0 bits 2..0 follow its
// CDC value (with the 10CELLS bit kept; when CFGR0 changes, bit 3 of every
// board 0..last follows as on any CFGR0 box change); then the configuration
// display.
CdcDisplay RefreshCdcTable(ConfigContext& ctx);

} // namespace qm::config

#pragma once
// The global/custom choices and the flows that tie the editors together:
// Apply option state, the option buttons, the duty-cycle arrows, the standby
// defaults and the repaint of a newly focused board.
//
// The threshold box texts are passed in as they stand: the option handling
// reads the volts back from the boxes.
#include <array>
#include <optional>
#include <string_view>

#include "config/ChangeIndication.h"
#include "config/ConfigModel.h"
#include "config/DutyCycle.h"
#include "config/Thresholds.h"

namespace qm::config {

struct OptionRefresh {
    ThresholdDisplay thresholds;
    CdcDisplay cdc;
};

// Apply option state (after a change of option, of the number of boards, or
// of the CDC value):
//  1. both box texts are read back as codes; a box whose number lies outside
//     its threshold's range keeps the current board's stored code instead,
//     so no unchecked value ever becomes a register;
//  2. the codes are stored for the current board (custom threshold option) or
//     every board 0..last (global);
//  3. the thresholds are refreshed;
//  4. the CDC value, the current board's CFGR0 AND 7, is stored for the
//     current board (custom CFGR0 option), every board 0..last (global), or
//     nowhere (neither selected);
//  5. the CDC table is refreshed.
OptionRefresh ApplyOptionState(ConfigContext& ctx, std::string_view vuvText, std::string_view vovText);

// Option3 (CFGR0) and Option1 (thresholds), element 0 custom, 1 global.
// Custom only sets the global mode to 0 and repaints nothing (nullopt);
// global sets it to 1, propagates and applies the option state. Any other
// element changes nothing.
std::optional<OptionRefresh> SelectCfgr0Option(ConfigContext& ctx, int element, std::string_view vuvText,
                                               std::string_view vovText);
std::optional<OptionRefresh> SelectThresholdOption(ConfigContext& ctx, int element, std::string_view vuvText,
                                                   std::string_view vovText);

// Propagate, then Apply option state (a new number of boards).
OptionRefresh PropagateAndApply(ConfigContext& ctx, std::string_view vuvText, std::string_view vovText);

// The duty-cycle arrows Command0(1) (increment) and Command0(0) (decrement),
// for the current board: the new value, Refresh CDC table, Propagate, Apply
// option state. Any other index changes nothing (nullopt).
std::optional<OptionRefresh> ClickCdcArrow(ConfigContext& ctx, int arrowIndex, std::string_view vuvText,
                                           std::string_view vovText);

// The configuration part of the low-current standby: the 10CELLS box is
// cleared as by the operator, then every board 0..last returns to CFGR0
// "E0", CDC 0, CFGR1..CFGR3 "00" and VUV/VOV codes 0 (CFGR4/CFGR5 "00");
// boards beyond keep their values. The editors are returned for reloading,
// since their boxes no longer match the registers.
struct StandbyRefresh {
    std::array<Boxes, 4> editors{};
    CdcDisplay cdc;
    ThresholdDisplay thresholds;
};
StandbyRefresh ApplyStandbyDefaults(ConfigContext& ctx);

// Repaint of the configuration editors after the current board changed, in
// this order: the 10-cell bit from the 10CELLS box, the CDC table, the
// editors, the thresholds, the read-back marks, the configuration display and
// the read-back texts.
struct BoardFocusRefresh {
    CdcDisplay cdc;
    std::array<Boxes, 4> editors{};
    ThresholdDisplay thresholds;
    std::array<Colour, 6> readBackMarks{};
    ConfigDisplay config;
    ReadBackRow readBack;
};
BoardFocusRefresh RefreshForCurrentBoard(ConfigContext& ctx, bool tenCellsBox);

} // namespace qm::config

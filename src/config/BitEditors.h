#pragma once
// The check-box editors of CFGR0..CFGR3.
//
// Each box change acts on the current board's register as held in the
// pending image, one bit at a time, so a box that still shows another board
// (or a register rewritten behind the editors, as the standby defaults do)
// can never carry stale bits into the register.
#include <array>

#include "config/ChangeIndication.h"
#include "config/ConfigModel.h"

namespace qm::config {

// Box states of Check0..Check3 for the current board: box k is ticked exactly
// when bit k of CFGR0..CFGR3 is set. Also brings the board's CFGR0 nibbles in
// step with its register.
std::array<Boxes, 4> LoadEditors(ConfigContext& ctx);

// Check0(bit) ticked or cleared (the operator for boxes 3..7, the duty-cycle
// refresh for boxes 0..2): the current board's nibbles and CFGR0 change;
// then bit 3 of every board 0..last follows the 10CELLS box, whatever the
// global CFGR0 mode, and the changed indication is refreshed.
ConfigDisplay ChangeCfgr0Box(ConfigContext& ctx, int bit, bool ticked);

// Check1..Check3 (array 1..3), element bit (0..7): that bit of CFGR1..CFGR3
// of the current board only. An array or bit out of range changes nothing.
ConfigDisplay ChangeRegisterBox(ConfigContext& ctx, int array, int bit, bool ticked);

// A cell panel's "DCC" or "Mask" box.
ConfigDisplay ChangeDischargeBox(ConfigContext& ctx, int cell, bool ticked);
ConfigDisplay ChangeMaskBox(ConfigContext& ctx, int cell, bool ticked);

} // namespace qm::config

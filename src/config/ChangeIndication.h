#pragma once
// Marking what is not written yet, and the read-back row.
//
// The pending registers of the current board are compared with the copy made
// at the last configuration write. While any differs, the pending row
// (Text4), and the fields whose own register differs (the duty-cycle fields
// Text3/Text15 for the CDC bits, Text2(0) for CFGR4, Text2(1) for CFGR5),
// show dark cyan on light grey, and "WRITE CONFIG" takes its changed look.
#include <array>
#include <optional>
#include <string>

#include "config/ConfigModel.h"
#include "config/Looks.h"

namespace qm::config {

struct ConfigDisplay {
    bool changed = false;                  // the configuration-changed flag as set
    std::array<std::string, 6> registerTexts; // Text4(0..5): "   E0   "
    FieldLook registerLook;                // all six Text4 boxes
    FieldLook cdcLook;                     // Text3 and Text15
    FieldLook vuvLook;                     // Text2(0)
    FieldLook vovLook;                     // Text2(1)
    WriteButtonLook writeButton;
};

// Three blanks, the register text, three blanks.
std::string RegisterFieldText(const std::string& registerText);

// True when any of CFGR0..CFGR5 of the board differs from its written copy.
bool PendingDiffersFromWritten(const protocol::RegisterImages& images, int board);

// Compares the current board's pending registers with the written copy, sets
// the configuration-changed flag and returns the looks of the fields.
ConfigDisplay RefreshConfigurationDisplay(ConfigContext& ctx);

// Read-back row Text5(0..5). While the read-back flag is 1 each box shows the
// current board's read-back register as "   XX   "; otherwise the boxes are
// emptied and take the window colour (background set).
struct ReadBackRow {
    std::array<std::string, 6> texts;
    std::optional<Colour> background; // set when the row is emptied
};
ReadBackRow ReadBackTexts(const protocol::RegisterImages& images, int currentBoard);

// After a read-back and when the board changes: red (255) for every register
// whose read-back value differs numerically from the pending value, the window
// colour for the others.
std::array<Colour, 6> ReadBackMarks(const protocol::RegisterImages& images, int currentBoard);

} // namespace qm::config

#pragma once
// Cell group codes select the form of a cell-voltage read and the cells that
// the rules and displays touch: 0 cells 1-12, 1 cells 1-10, 2 cells 1-4,
// 3 cells 5-8, 4 cells 9-12, 5 cells 9-10.
#include <cstdint>
#include <string_view>

#include "protocol/RegisterImages.h"

namespace qm::protocol {

struct CellGroup {
    std::string_view command; // command byte text
    ReadKind kind;            // received set and panel kind
    int bytesPerBoard;        // n
    int firstCell;
    int cellCount;
    constexpr int LastCell() const { return firstCell + cellCount - 1; }
    constexpr bool Covers(int cell) const { return cell >= firstCell && cell <= LastCell(); }
};

// Group for a code 0..5; any other code is treated as 0 (all twelve cells).
const CellGroup& CellGroupFor(int groupCode);

} // namespace qm::protocol

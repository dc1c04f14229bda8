#include "protocol/CellGroups.h"

#include <array>

namespace qm::protocol {

const CellGroup& CellGroupFor(int groupCode)
{
    static constexpr std::array<CellGroup, 6> kGroups{{
        {"04", ReadKind::Cells, 18, 1, 12},
        {"04", ReadKind::Cells, 15, 1, 10},
        {"06", ReadKind::CellsA, 6, 1, 4},
        {"08", ReadKind::CellsB, 6, 5, 4},
        {"0A", ReadKind::CellsC, 6, 9, 4},
        {"0A", ReadKind::CellsC, 3, 9, 2},
    }};
    if (groupCode < 0 || groupCode > 5) groupCode = 0;
    return kGroups[static_cast<std::size_t>(groupCode)];
}

} // namespace qm::protocol

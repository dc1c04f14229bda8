#pragma once
// Steps the benchmarks share.
#include "acquisition/Session.h"

namespace qm::bench {

// The operator chooses `boards` boards, writes a measuring configuration
// (CDC 2) and, unless told not to, starts the continuous cycle.
inline void StartCycle(acquisition::Session& session, int boards, bool cycle = true)
{
    session.OnBoardCountChosen(boards - 1);
    session.OnCdcArrow(1);
    session.OnCdcArrow(1);
    session.OnCommandButton(5);
    if (cycle) session.OnCommandButton(10);
}

} // namespace qm::bench

#pragma once
// Register images and presentation state for the rule tests, with helpers that
// put a board into the state the reads leave it in.
#include <gtest/gtest.h>

#include "presentation/StatusRules.h"
#include "protocol/RegisterImages.h"

namespace qm::presentation::testing {

class RuleFixture : public ::testing::Test {
protected:
    protocol::RegisterImages images;
    PresentationState state;

    // A measuring board (read-back CDC non-zero) and the validity its last read left.
    void Valid(int board, std::int16_t cells, std::int16_t flags, std::int16_t measuring = 1)
    {
        images.configReadValid[board] = measuring;
        images.cellValid[board] = cells;
        images.flagValid[board] = flags;
    }
    void Measured(int board, int cell, unsigned code)
    {
        images.measured[protocol::RegisterImages::CellIndex(board, cell)] = protocol::CodeToVolts(code);
    }
    void Set(int board, int cell, std::int16_t code)
    {
        state.statusCode[PresentationState::StatusIndex(board, cell)] = code;
    }
    void Fill(int board, std::int16_t code)
    {
        for (int c = 1; c <= 12; ++c) Set(board, c, code);
    }
    std::int16_t Code(int board, int cell) const { return state.Code(board, cell); }
};

} // namespace qm::presentation::testing

#pragma once
// A chain of boards with their pending images and editor state, as the
// configuration editors see it.
#include <string>

#include "config/ConfigModel.h"
#include "protocol/RegisterImages.h"

namespace qm::config::testing {

struct Chain {
    protocol::RegisterImages images;
    ConfigState state;
    ConfigContext ctx{images, state, 0, 0};

    explicit Chain(int lastBoard = 0, int currentBoard = 0)
    {
        ResetConfiguration(images, state);
        ctx.lastBoard = lastBoard;
        ctx.currentBoard = currentBoard;
    }
    // ctx refers to this object's own members.
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    std::string& reg(int board, int k) { return images.pending[static_cast<std::size_t>(board)][static_cast<std::size_t>(k)]; }
    BoardConfig& board(int b) { return state.boards[static_cast<std::size_t>(b)]; }

    // What a configuration write leaves behind: the written copy of boards
    // 0..last equals their pending image.
    void write()
    {
        for (int b = 0; b <= ctx.lastBoard; ++b) images.written[static_cast<std::size_t>(b)] = images.pending[static_cast<std::size_t>(b)];
    }
};

} // namespace qm::config::testing

#pragma once
// Builds the reply text a chain would give to a read frame: "FFFF" for the two
// "T" tokens, then per board its data bytes and PEC as hex text.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/ByteText.h"
#include "protocol/Pec.h"

namespace qm::test {

using BoardBytes = std::vector<std::uint8_t>;

// badPecBoards: boards whose PEC byte is deliberately wrong.
inline std::string ChainReply(const std::vector<BoardBytes>& boards, const std::vector<int>& badPecBoards = {})
{
    std::string reply = "FFFF";
    for (std::size_t b = 0; b < boards.size(); ++b) {
        for (std::uint8_t d : boards[b]) reply += protocol::ByteText(d);
        const bool bad = std::count(badPecBoards.begin(), badPecBoards.end(), static_cast<int>(b)) % 2 == 1;
        reply += protocol::ByteText(static_cast<std::uint8_t>(protocol::PecOfBytes(boards[b]) ^ (bad ? 0xFF : 0)));
    }
    return reply;
}

// Packs 12-bit codes pairwise, low value first, three bytes per pair.
inline BoardBytes PackCodes(const std::vector<unsigned>& codes)
{
    BoardBytes out;
    for (std::size_t i = 0; i + 1 < codes.size(); i += 2) {
        const unsigned a = codes[i], b = codes[i + 1];
        out.push_back(static_cast<std::uint8_t>(a & 0xFF));
        out.push_back(static_cast<std::uint8_t>(((b & 0x0F) << 4) | ((a >> 8) & 0x0F)));
        out.push_back(static_cast<std::uint8_t>((b >> 4) & 0xFF));
    }
    return out;
}

} // namespace qm::test

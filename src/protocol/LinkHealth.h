#pragma once
// Link health of each board: how often its part of a read reply failed, and
// when a read of it last succeeded. Every register read of a board counts as
// exactly one of: good (complete, PEC matched), PEC failure (complete, PEC
// mismatched), missing (nothing of the board's part came) or short (part of
// it came). Missing and short replies are not counted as PEC failures too.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm::protocol {

enum class ReadKind : std::int16_t; // RegisterImages.h

using HealthClock = std::chrono::steady_clock;

// The read kinds PEC failures are counted by; every cell read counts as Cells.
enum class HealthKind : int { Config = 0, Cells = 1, Temperatures = 2, Flags = 3, Diagnostics = 4 };
inline constexpr int kHealthKinds = 5;

HealthKind HealthKindOf(ReadKind kind);
// Short lower-case name of a kind: "config", "cells", "temperatures", "flags", "diagnostics".
std::string_view HealthKindName(HealthKind kind);

struct LinkCounts {
    std::array<std::uint32_t, kHealthKinds> pecFailures{}; // indexed by HealthKind
    std::uint32_t missing = 0;      // replies of which nothing came
    std::uint32_t shortReplies = 0; // replies of which only a part came

    std::uint32_t totalPecFailures() const;
    std::uint32_t& pec(HealthKind kind) { return pecFailures[static_cast<std::size_t>(kind)]; }
    std::uint32_t pec(HealthKind kind) const { return pecFailures[static_cast<std::size_t>(kind)]; }
    bool operator==(const LinkCounts&) const = default;
};

struct LinkHealth {
    LinkCounts counts;
    std::uint32_t goodReads = 0;
    std::optional<HealthClock::time_point> lastGoodRead; // empty until the first good read
};

// How much of a board's part of a reply arrived. The reply buffer holds the
// received characters first and NUL characters after them, so the NULs in
// the board's 2 * (n + 1) characters tell how much of it came.
enum class ReplyPart { Complete, Missing, Short };
ReplyPart BoardReplyPart(std::string_view reply, int board, int bytesPerBoard);

// Counts one read of a board.
void CountRead(LinkHealth& health, HealthKind kind, ReplyPart part, bool pecMatched, HealthClock::time_point now);

// Seconds from the last good read to now; empty before the first good read.
std::optional<double> SecondsSinceGoodRead(const LinkHealth& health, HealthClock::time_point now);

// The tool-tip text of a board's PEC oval (board numbered from 1), e.g.
// "Board 3: 2 PEC failures (cells 1, flags 1); 0 replies missing, 1 short;
// last good read 0.3 s ago".
std::string HealthText(int boardNumber, const LinkCounts& counts, std::optional<double> secondsSinceGoodRead);
std::string HealthText(int boardNumber, const LinkHealth& health, HealthClock::time_point now);

} // namespace qm::protocol

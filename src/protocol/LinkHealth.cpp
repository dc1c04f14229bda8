#include "protocol/LinkHealth.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "link/Transport.h"
#include "protocol/RegisterImages.h"

namespace qm::protocol {

HealthKind HealthKindOf(ReadKind kind)
{
    switch (kind) {
    case ReadKind::Config: return HealthKind::Config;
    case ReadKind::Flags: return HealthKind::Flags;
    case ReadKind::Temperatures: return HealthKind::Temperatures;
    case ReadKind::Diagnostics: return HealthKind::Diagnostics;
    case ReadKind::Cells:
    case ReadKind::CellsA:
    case ReadKind::CellsB:
    case ReadKind::CellsC: break;
    }
    return HealthKind::Cells;
}

std::string_view HealthKindName(HealthKind kind)
{
    switch (kind) {
    case HealthKind::Config: return "config";
    case HealthKind::Cells: return "cells";
    case HealthKind::Temperatures: return "temperatures";
    case HealthKind::Flags: return "flags";
    case HealthKind::Diagnostics: return "diagnostics";
    }
    return "cells";
}

std::uint32_t LinkCounts::totalPecFailures() const
{
    return std::accumulate(pecFailures.begin(), pecFailures.end(), std::uint32_t{0});
}

ReplyPart BoardReplyPart(std::string_view reply, int board, int bytesPerBoard)
{
    const int chars = 2 * (bytesPerBoard + 1);
    const int first = link::ReplyBytePosition(board, 0, bytesPerBoard);
    int nuls = 0;
    for (int i = 0; i < chars; ++i)
        if (link::ReplyChars(reply, first + i, 1)[0] == '\0') ++nuls;
    if (nuls == 0) return ReplyPart::Complete;
    return nuls == chars ? ReplyPart::Missing : ReplyPart::Short;
}

void CountRead(LinkHealth& health, HealthKind kind, ReplyPart part, bool pecMatched, HealthClock::time_point now)
{
    switch (part) {
    case ReplyPart::Missing: ++health.counts.missing; return;
    case ReplyPart::Short: ++health.counts.shortReplies; return;
    case ReplyPart::Complete: break;
    }
    if (!pecMatched) {
        ++health.counts.pec(kind);
        return;
    }
    ++health.goodReads;
    health.lastGoodRead = now;
}

std::optional<double> SecondsSinceGoodRead(const LinkHealth& health, HealthClock::time_point now)
{
    if (!health.lastGoodRead) return std::nullopt;
    return std::chrono::duration<double>(now - *health.lastGoodRead).count();
}

namespace {

void Append(std::string& out, std::uint64_t n)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
}

} // namespace

std::string HealthText(int boardNumber, const LinkCounts& counts, std::optional<double> secondsSinceGoodRead)
{
    std::string out = "Board ";
    Append(out, static_cast<std::uint64_t>(boardNumber < 0 ? 0 : boardNumber));
    out += ": ";
    const std::uint32_t total = counts.totalPecFailures();
    Append(out, total);
    out += total == 1 ? " PEC failure" : " PEC failures";
    if (total > 0) {
        out += " (";
        bool first = true;
        for (int k = 0; k < kHealthKinds; ++k) {
            const auto kind = static_cast<HealthKind>(k);
            if (counts.pec(kind) == 0) continue;
            if (!first) out += ", ";
            first = false;
            out += HealthKindName(kind);
            out += ' ';
            Append(out, counts.pec(kind));
        }
        out += ')';
    }
    out += "; ";
    Append(out, counts.missing);
    out += counts.missing == 1 ? " reply missing, " : " replies missing, ";
    Append(out, counts.shortReplies);
    out += " short; ";
    if (!secondsSinceGoodRead || std::isnan(*secondsSinceGoodRead)) {
        out += "no good read yet";
        return out;
    }
    char buf[32];
    const double seconds = std::max(0.0, *secondsSinceGoodRead);
    const auto r = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed, 1);
    out += "last good read ";
    out.append(buf, r.ptr);
    out += " s ago";
    return out;
}

std::string HealthText(int boardNumber, const LinkHealth& health, HealthClock::time_point now)
{
    return HealthText(boardNumber, health.counts, SecondsSinceGoodRead(health, now));
}

} // namespace qm::protocol

#include "link/TrafficFormat.h"

#include <array>
#include <charconv>
#include <chrono>
#include <ctime>

#include <nlohmann/json.hpp>

namespace qm::link {

namespace {

template <typename Int>
void AppendInt(std::string& out, Int value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// The bytes written as they are: printable ASCII but the quote and the backslash.
constexpr auto kPlain = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c) plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

bool Plain(char c) { return kPlain[static_cast<unsigned char>(c)]; }

const char* KindName(TrafficOperation::Kind kind)
{
    switch (kind) {
    case TrafficOperation::Kind::Timeouts: return "timeouts";
    case TrafficOperation::Kind::Write: return "write";
    case TrafficOperation::Kind::Read: return "read";
    case TrafficOperation::Kind::ReadAvailable: return "readAvailable";
    }
    return "write";
}

void AppendOperation(std::string& out, const TrafficOperation& op)
{
    out += R"({"op":")";
    out += KindName(op.kind);
    out += '"';
    switch (op.kind) {
    case TrafficOperation::Kind::Timeouts:
        out += R"(,"read":)";
        AppendInt(out, op.readMs);
        out += R"(,"write":)";
        AppendInt(out, op.writeMs);
        break;
    case TrafficOperation::Kind::Write:
        out += R"(,"text":)";
        AppendJsonBytes(out, op.bytes);
        out += R"(,"count":)";
        AppendInt(out, op.count);
        break;
    case TrafficOperation::Kind::Read:
    case TrafficOperation::Kind::ReadAvailable:
        out += R"(,"n":)";
        AppendInt(out, op.count);
        if (op.kind == TrafficOperation::Kind::ReadAvailable) {
            out += R"(,"wait":)";
            AppendInt(out, op.waitMs);
        }
        out += R"(,"got":)";
        AppendJsonBytes(out, op.bytes);
        out += R"(,"t":)";
        AppendSeconds(out, op.atUs);
        break;
    }
    out += '}';
}

} // namespace

void AppendJsonBytes(std::string& out, std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Replies are hex text: copy runs of plain characters at once.
        std::size_t run = i;
        while (run < bytes.size() && Plain(bytes[run])) ++run;
        out.append(bytes.data() + i, run - i);
        if (run == bytes.size()) break;
        const auto c = static_cast<unsigned char>(bytes[run]);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
        i = run + 1;
    }
    out += '"';
}

void AppendSeconds(std::string& out, std::int64_t us)
{
    const auto u = static_cast<std::uint64_t>(us < 0 ? 0 : us); // times since the start are never negative
    AppendInt(out, u / 1'000'000);
    char frac[7];
    std::uint64_t rest = u % 1'000'000;
    for (int k = 5; k >= 0; --k) {
        frac[k] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    out += '.';
    out.append(frac, 6);
}

std::string TrafficHeaderLine(const TrafficHeader& header)
{
    nlohmann::ordered_json line;
    line["format"] = kTrafficFormat;
    line["version"] = kTrafficVersion;
    line["program"] = header.program;
    line["programVersion"] = header.programVersion;
    line["device"] = header.device;
    line["started"] = header.started;
    if (header.scenario) line["scenario"] = *header.scenario;
    // Header texts are text, not bytes: ill-formed UTF-8 is replaced, not refused.
    return line.dump(-1, ' ', true, nlohmann::ordered_json::error_handler_t::replace);
}

void AppendTransactionLine(std::string& out, const TrafficTransaction& transaction)
{
    out += R"({"seq":)";
    AppendInt(out, transaction.seq);
    out += R"(,"t":)";
    AppendSeconds(out, transaction.startUs);
    if (transaction.open) {
        out += R"(,"open":{"index":)";
        AppendInt(out, transaction.open->index);
        out += transaction.open->ok ? R"(,"ok":true})" : R"(,"ok":false})";
    }
    out += R"(,"ops":[)";
    for (std::size_t i = 0; i < transaction.ops.size(); ++i) {
        if (i > 0) out += ',';
        AppendOperation(out, transaction.ops[i]);
    }
    out += ']';
    if (transaction.closeStatus) {
        out += R"(,"close":)";
        AppendInt(out, *transaction.closeStatus);
    }
    out += '}';
}

std::string UtcNowIso8601()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return std::string(text, n);
}

} // namespace qm::link

#include "datalog/JsonLinesWriter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include <nlohmann/json.hpp>

namespace qm::datalog {

using Json = nlohmann::ordered_json;

Json JsonNumber(float value)
{
    if (!std::isfinite(value)) return nullptr;
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf - 1, value);
    *r.ptr = '\0';
    return std::strtod(buf, nullptr);
}

namespace {

Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

// Seconds to the millisecond, as the CSV columns give them.
Json Seconds(double value) { return Number(std::round(value * 1000) / 1000); }

template <typename T, std::size_t N>
Json Numbers(const std::array<T, N>& values)
{
    Json list = Json::array();
    for (const T& v : values) {
        if constexpr (std::is_same_v<T, float>) list.push_back(JsonNumber(v));
        else list.push_back(static_cast<int>(v));
    }
    return list;
}

void AppendLine(std::string& out, const Json& line)
{
    // Invalid UTF-8 in a free text (a program or device name) is replaced
    // rather than thrown about.
    out += line.dump(-1, ' ', false, Json::error_handler_t::replace);
    out += '\n';
}

} // namespace

void AppendJsonHeaderLine(std::string& out, const RecordHeader& h)
{
    Json line;
    line["record"] = "qm7410-record";
    line["version"] = kFormatVersion;
    line["program"] = h.program;
    line["startedUtc"] = UtcText(h.started);
    line["device"] = h.device;
    line["intervalSeconds"] = Number(h.intervalSeconds);
    line["boardCount"] = h.boardCount;
    Json boards = Json::array();
    for (const BoardSetup& b : h.boards) {
        Json board;
        board["board"] = b.board;
        board["config"] = b.config;
        board["vuvVolts"] = JsonNumber(b.vuvVolts);
        board["vovVolts"] = JsonNumber(b.vovVolts);
        boards.push_back(std::move(board));
    }
    line["boards"] = std::move(boards);
    AppendLine(out, line);
}

void AppendJsonRecordLine(std::string& out, const PassRecord& r)
{
    static constexpr const char* kKinds[kLinkKinds] = {"config", "cells", "temperatures", "flags", "diagnostics"};
    Json line;
    line["utc"] = UtcText(r.utc);
    line["sinceStartSeconds"] = Seconds(r.sinceStartSeconds);
    line["board"] = r.board;
    line["cellsInUse"] = r.cellsInUse;
    line["cellVolts"] = Numbers(r.cellVolts);
    line["cellStatus"] = Numbers(r.cellStatus);
    line["temperatureVolts"] = Numbers(r.temperatureVolts);
    line["flags"] = Numbers(r.flags);
    line["cellsValid"] = r.cellsValid;
    line["temperaturesValid"] = r.temperaturesValid;
    line["flagsValid"] = r.flagsValid;
    line["measuring"] = r.measuring;
    Json pec;
    for (std::size_t k = 0; k < r.link.pecFailures.size(); ++k) pec[kKinds[k]] = r.link.pecFailures[k];
    line["pecFailures"] = std::move(pec);
    line["repliesMissing"] = r.link.missing;
    line["repliesShort"] = r.link.shortReplies;
    line["sinceGoodReadSeconds"] = r.link.sinceGoodReadSeconds ? Seconds(*r.link.sinceGoodReadSeconds) : Json(nullptr);
    AppendLine(out, line);
}

void AppendJsonEndLine(std::string& out, std::string_view reason)
{
    AppendLine(out, Json{{"recordingEnded", reason.empty() ? std::string_view("no reason given") : reason}});
}

} // namespace qm::datalog

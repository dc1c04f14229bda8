#include "link/TrafficReader.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

namespace qm::link {

namespace {

using nlohmann::json;

// The longest time since the start a recording may state (about 31 years):
// beyond it a time is corruption, and it keeps every time within 64-bit microseconds.
constexpr double kMaxSeconds = 1.0e9;

// What is wrong with the line being read; caught at the line's end.
struct LineError {
    std::string what;
    std::size_t column = 0; // 0: about the whole line
};

[[noreturn]] void Fail(std::string what, std::size_t column = 0) { throw LineError{std::move(what), column}; }

std::string Quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

// A value for a message: a scalar as it stands in the file (shortened), a list
// or object by its kind (never written out: it may nest without end).
std::string Shown(const json& value)
{
    if (value.is_array()) return "a list";
    if (value.is_object()) return "an object";
    std::string text = value.dump(-1, ' ', true, json::error_handler_t::replace);
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return text;
}

const json& Field(const json& object, std::string_view key, const std::string& where, std::string_view meaning = {})
{
    const auto it = object.find(key);
    if (it == object.end())
        Fail(where + ": " + Quoted(key) + " is missing" + (meaning.empty() ? "" : " (" + std::string(meaning) + ")"));
    return *it;
}

std::int64_t WholeNumber(const json& value, std::string_view key, const std::string& where, std::int64_t min,
                         std::int64_t max)
{
    bool ok = false;
    std::int64_t n = 0;
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        ok = u <= static_cast<std::uint64_t>(max);
        n = static_cast<std::int64_t>(u);
    } else if (value.is_number_integer()) {
        n = value.get<std::int64_t>();
        ok = n >= min && n <= max;
    }
    if (!ok || n < min)
        Fail(where + ": " + Quoted(key) + " must be a whole number from " + std::to_string(min) + " to " +
             std::to_string(max) + ", not " + Shown(value));
    return n;
}

std::int64_t Microseconds(const json& value, std::string_view key, const std::string& where)
{
    if (!value.is_number() || !(value.get<double>() >= 0.0 && value.get<double>() <= kMaxSeconds))
        Fail(where + ": " + Quoted(key) + " must be a time in seconds from 0 to 1e9, not " + Shown(value));
    return std::llround(value.get<double>() * 1.0e6);
}

std::string Text(const json& value, std::string_view key, const std::string& where)
{
    if (!value.is_string()) Fail(where + ": " + Quoted(key) + " must be a text, not " + Shown(value));
    return value.get<std::string>();
}

// The characters of a JSON string (UTF-8, checked by the parser) as bytes:
// each code point is one byte of the same value.
std::string Bytes(const json& value, std::string_view key, const std::string& where)
{
    const std::string utf8 = Text(value, key, where);
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        std::uint32_t cp = lead & (length == 2 ? 0x1Fu : length == 3 ? 0x0Fu : 0x07u);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        if (length > 2 || cp > 0xFF) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
            Fail(where + ": " + Quoted(key) + " holds the character " + code +
                 "; a recording holds bytes, U+0000 to U+00FF");
        }
        bytes += static_cast<char>(cp);
        i += length;
    }
    return bytes;
}

void ReadHeader(const json& line, TrafficHeader& header)
{
    const std::string where = "the header";
    if (!line.is_object()) Fail("not a traffic recording: the first line is " + Shown(line) + ", not a header object");
    const auto format = line.find("format");
    if (format == line.end()) Fail("not a traffic recording: the header has no \"format\"");
    if (!format->is_string() || format->get<std::string>() != kTrafficFormat)
        Fail("not a traffic recording: \"format\" is " + Shown(*format) + ", expected \"" +
             std::string(kTrafficFormat) + "\"");
    const json& version = Field(line, "version", where);
    header.version = static_cast<int>(WholeNumber(version, "version", where, 1, std::numeric_limits<int>::max()));
    if (header.version > kTrafficVersion)
        Fail("the recording is version " + std::to_string(header.version) + "; this program reads version " +
             std::to_string(kTrafficVersion) + " and older");
    header.program = Text(Field(line, "program", where), "program", where);
    header.programVersion = Text(Field(line, "programVersion", where), "programVersion", where);
    header.device = Text(Field(line, "device", where), "device", where);
    header.started = Text(Field(line, "started", where), "started", where);
    if (const auto it = line.find("scenario"); it != line.end()) header.scenario = Text(*it, "scenario", where);
}

TrafficOperation ReadOperation(const json& value, const std::string& transaction, std::size_t number)
{
    std::string where = transaction + ", operation " + std::to_string(number);
    if (!value.is_object()) Fail(where + ": an operation must be a JSON object, not " + Shown(value));
    const std::string kind = Text(Field(value, "op", where), "op", where);
    where += " (" + kind + ")";
    TrafficOperation op;
    constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
    constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
    if (kind == "timeouts") {
        op.kind = TrafficOperation::Kind::Timeouts;
        op.readMs = static_cast<int>(WholeNumber(Field(value, "read", where, "the read time-out in ms"), "read", where,
                                                 kIntMin, kIntMax));
        op.writeMs = static_cast<int>(WholeNumber(Field(value, "write", where, "the write time-out in ms"), "write",
                                                  where, kIntMin, kIntMax));
    } else if (kind == "write") {
        op.kind = TrafficOperation::Kind::Write;
        op.bytes = Bytes(Field(value, "text", where, "the command text written"), "text", where);
        op.count = static_cast<std::size_t>(WholeNumber(Field(value, "count", where, "the count the device took"),
                                                        "count", where, 0, std::numeric_limits<std::int64_t>::max()));
    } else if (kind == "read" || kind == "readAvailable") {
        op.kind = kind == "read" ? TrafficOperation::Kind::Read : TrafficOperation::Kind::ReadAvailable;
        op.count = static_cast<std::size_t>(WholeNumber(Field(value, "n", where, "the count asked for"), "n", where, 0,
                                                        std::numeric_limits<std::int64_t>::max()));
        if (op.kind == TrafficOperation::Kind::ReadAvailable)
            op.waitMs = static_cast<int>(
                WholeNumber(Field(value, "wait", where, "the wait in ms"), "wait", where, kIntMin, kIntMax));
        op.bytes = Bytes(Field(value, "got", where, "the characters the read returned"), "got", where);
        if (op.bytes.size() > op.count)
            Fail(where + ": \"got\" holds " + std::to_string(op.bytes.size()) + " characters, more than the " +
                 std::to_string(op.count) + " asked for");
        op.atUs = Microseconds(Field(value, "t", where, "when the read returned"), "t", where);
    } else {
        Fail(where + ": unknown \"op\"; expected timeouts, write, read or readAvailable");
    }
    return op;
}

void ReadTransaction(const json& line, TrafficTransaction& tx, std::uint64_t expectedSeq, std::int64_t previousUs)
{
    if (!line.is_object()) Fail("a transaction must be a JSON object, not " + Shown(line));
    const std::string where = "transaction " + std::to_string(expectedSeq);
    const json& seq = Field(line, "seq", where, "the transaction number");
    tx.seq = static_cast<std::uint64_t>(WholeNumber(seq, "seq", where, 1, std::numeric_limits<std::int64_t>::max()));
    if (tx.seq != expectedSeq)
        Fail("transaction number " + std::to_string(tx.seq) + " where " + std::to_string(expectedSeq) +
             " was expected (a line is missing, repeated or out of order)");
    tx.startUs = Microseconds(Field(line, "t", where, "its time since the start"), "t", where);
    if (tx.startUs < previousUs) {
        std::string now, before;
        AppendSeconds(now, tx.startUs);
        AppendSeconds(before, previousUs);
        Fail(where + " starts at " + now + " s, before the transaction ahead of it (" + before + " s)");
    }
    if (const auto it = line.find("open"); it != line.end()) {
        const std::string in = where + ", open";
        if (!it->is_object()) Fail(in + ": must be a JSON object, not " + Shown(*it));
        TrafficOpen open;
        open.index = static_cast<int>(WholeNumber(Field(*it, "index", in), "index", in,
                                                  std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
        const json& ok = Field(*it, "ok", in, "whether it opened");
        if (!ok.is_boolean()) Fail(in + ": \"ok\" must be true or false, not " + Shown(ok));
        open.ok = ok.get<bool>();
        tx.open = open;
    }
    const json& ops = Field(line, "ops", where, "the operations in order");
    if (!ops.is_array()) Fail(where + ": \"ops\" must be a list, not " + Shown(ops));
    tx.ops.reserve(ops.size());
    for (std::size_t i = 0; i < ops.size(); ++i) tx.ops.push_back(ReadOperation(ops[i], where, i + 1));
    if (const auto it = line.find("close"); it != line.end())
        tx.closeStatus = static_cast<std::int32_t>(WholeNumber(
            *it, "close", where, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The parser's own words after its "parse error at line 1, column N: " prefix.
std::string ParserWords(const json::parse_error& e)
{
    const std::string what = e.what();
    const auto at = what.find("column ");
    const auto colon = at == std::string::npos ? std::string::npos : what.find(": ", at);
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

std::string CutOff(std::size_t lineNo)
{
    std::string what = "the line is cut off (the recording stopped while it was being written)";
    if (lineNo == 2) what += "; the header before it is whole: delete this line to use it";
    else if (lineNo > 2)
        what += "; the " + std::to_string(lineNo - 1) + " lines before it are whole: delete this one to use them";
    return what;
}

bool Blank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

} // namespace

TrafficReadResult ParseTraffic(std::string_view text, std::string_view name)
{
    TrafficReadResult result;
    TrafficRecording recording;
    std::size_t lineNo = 0;
    const auto fail = [&](const std::string& what, const std::string& column = {}) {
        result.error = std::string(name) + ": line " + std::to_string(lineNo) + column + ": " + what;
        result.errorLine = lineNo;
        return result;
    };
    if (text.empty()) {
        lineNo = 1;
        return fail("the recording is empty; its first line should be the header");
    }
    std::size_t at = 0;
    std::int64_t previousUs = 0;
    while (at < text.size()) {
        ++lineNo;
        const std::size_t end = text.find('\n', at);
        const bool whole = end != std::string_view::npos;
        const std::string_view line = text.substr(at, whole ? end - at : std::string_view::npos);
        at = whole ? end + 1 : text.size();
        if (Blank(line)) return fail("the line is empty; every line of a recording holds one JSON object");
        try {
            json value;
            try {
                value = json::parse(line);
            } catch (const json::parse_error& e) {
                // A last line without its line end whose text stops making sense only
                // where it ends was cut off; one that goes wrong earlier is corrupt.
                if (!whole && e.byte >= line.size()) Fail(CutOff(lineNo));
                Fail("not valid JSON: " + ParserWords(e), e.byte);
            }
            if (lineNo == 1) {
                ReadHeader(value, recording.header);
                continue;
            }
            TrafficTransaction tx;
            ReadTransaction(value, tx, recording.transactions.size() + 1, previousUs);
            tx.line = lineNo;
            previousUs = tx.startUs;
            recording.transactions.push_back(std::move(tx));
        } catch (const LineError& e) {
            if (e.column > 0) return fail(e.what, ", column " + std::to_string(e.column));
            return fail(e.what);
        } catch (const std::exception& e) {
            return fail(std::string("the line cannot be read: ") + e.what());
        }
    }
    result.recording = std::move(recording);
    return result;
}

TrafficReadResult ReadTrafficFile(const std::filesystem::path& path)
{
    TrafficReadResult result;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.error = path.string() + ": cannot read the recording: it is a folder";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = path.string() + ": cannot read the recording: " + std::strerror(errno);
        return result;
    }
    std::ostringstream content;
    content << in.rdbuf(); // an empty file leaves content empty, which the parser reports
    if (in.bad()) {
        result.error = path.string() + ": cannot read the recording: reading the file failed";
        return result;
    }
    return ParseTraffic(content.view(), path.string());
}

} // namespace qm::link
